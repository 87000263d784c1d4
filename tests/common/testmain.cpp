#include "common/testenv.h"
#include "core/zkapp.h"

#include <QDir>

#include <gmock/gmock.h>

// Every test executable: an offscreen application object and private
// settings, home, configuration and data folders.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString root = TestEnv::root();
    for (const char *sub : {"home", "home/.config", "home/.local/share", "registry"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(sub));
    qputenv("HOME", QFile::encodeName(root + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/home/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/home/.local/share")));
    qputenv("ZK_REGISTRY_ROOT", QFile::encodeName(root + QStringLiteral("/registry")));

    ::testing::InitGoogleMock(&argc, argv);
    TzkApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
