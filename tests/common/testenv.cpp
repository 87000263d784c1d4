#include "common/testenv.h"

#include "platform/registry/regstore.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace {
std::unique_ptr<QTemporaryDir> g_root;
int g_registryGeneration = 0;
} // namespace

namespace TestEnv {

QString root()
{
    if (!g_root) {
        g_root = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zktest-XXXXXX"));
        g_root->setAutoRemove(true);
    }
    return g_root->path();
}

QString registryRoot()
{
    return qEnvironmentVariable("ZK_REGISTRY_ROOT");
}

QString home()
{
    return qEnvironmentVariable("HOME");
}

void resetRegistry()
{
    const QString dir = root() + QStringLiteral("/registry-%1").arg(++g_registryGeneration);
    QDir().mkpath(dir);
    qputenv("ZK_REGISTRY_ROOT", QFile::encodeName(dir));
    RegistryStore::resetAll();
}

} // namespace TestEnv
