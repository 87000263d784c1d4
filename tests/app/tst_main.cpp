#include "common/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The program itself, started as a user would: it must reach its message
// loop (a window or a message box waiting for the user) and never die at
// start-up, also when its settings folder cannot be written.
TEST(Program, StartsWithoutCrashing)
{
    const QString root = TestEnv::root() + QStringLiteral("/program");
    QDir(root).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(root));
    QFile blocker(root + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    struct Case
    {
        const char *name;
        QString registryRoot;
    };
    const Case cases[] = {
        {"fresh home", root + QStringLiteral("/fresh/registry")},
        {"settings folder cannot be made", blocker.fileName() + QStringLiteral("/registry")},
    };
    std::vector<std::unique_ptr<QProcess>> programs;
    for (const Case &c : cases) {
        const QString home = root + QLatin1Char('/') + QString::fromLatin1(c.name);
        ASSERT_TRUE(QDir().mkpath(home));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_DATA_HOME", home + "/.local/share");
        env.insert("ZK_REGISTRY_ROOT", c.registryRoot);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QStringLiteral(ZK_BINARY_DIR "/bin/zekalon"));
        ASSERT_TRUE(p->waitForStarted(10000)) << c.name;
        programs.push_back(std::move(p));
    }
    for (size_t i = 0; i < programs.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        QProcess &p = *programs[i];
        if (p.waitForFinished(i == 0 ? 5000 : 100)) {
            EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAll().toStdString();
        } else {
            p.kill();
            p.waitForFinished(5000);
        }
    }
}

} // namespace
