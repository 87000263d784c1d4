#pragma once

#include <QString>

// The private folders every test process runs in: the settings store root,
// and a home with its own configuration and data folders, so no test touches
// the user's real settings.
namespace TestEnv {
QString root();         // temporary folder of this process
QString registryRoot(); // $ZK_REGISTRY_ROOT
QString home();         // $HOME

// Points the settings store at a fresh empty folder and forgets what the
// store held in memory; for suites that need an empty store per test.
void resetRegistry();
} // namespace TestEnv
