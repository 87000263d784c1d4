// Starts the test server on a free port with the demo catalogue, writes a
// settings store of its own whose last logon and one saved connection name
// that server, and runs the program on it until the program ends. The
// program sees an ordinary SQL Server.
//
//   zk-demo --program PATH --rules FILE [--rules FILE...] [PROGRAM ARGS...]

#include "core/zkCommonData.h"
#include "core/zkreg.h"
#include "core/zkscramble.h"
#include "core/zksub.h"
#include "platform/registry/regstore.h"
#include "tds/tdsserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QString kLogin = QStringLiteral("zkdemo");
const QString kPassword = QStringLiteral("demo");
const QString kDatabase = QStringLiteral("SalesDB");
const TColor kColor = 0xFFFFE0; // ライトシアン

void say(const QString &text)
{
    std::fprintf(stderr, "zk demo: %s\n", text.toLocal8Bit().constData());
}

bool writeSettings(const QString &server, QString *error)
{
    const QString key = ZK_REG_ROOT + QStringLiteral("\\DATABASE");
    TzkRegistry reg;
    if (!reg.OpenKey(key, true)) {
        *error = QStringLiteral("cannot create the DATABASE key");
        return false;
    }
    reg.WriteString(QStringLiteral("UserID"), kLogin);
    reg.WriteString(QStringLiteral("Database"), kDatabase);
    reg.WriteString(QStringLiteral("Server"), server);
    reg.WriteString(QStringLiteral("Windows"), QStringLiteral("0"));
    reg.WriteBool(QStringLiteral("EncryptOption"), false);
    reg.WriteString(QStringLiteral("Sort"), QStringLiteral("DB000\r\n"));
    reg.CloseKey();
    if (!reg.OpenKey(key + QStringLiteral("\\DB000"), true)) {
        *error = QStringLiteral("cannot create the saved connection");
        return false;
    }
    reg.WriteString(QStringLiteral("UserID"), kLogin);
    reg.WriteString(QStringLiteral("Database"), kDatabase);
    reg.WriteString(QStringLiteral("Server"), server);
    reg.WriteString(QStringLiteral("Windows"), QStringLiteral("0"));
    reg.WriteString(QStringLiteral("Password"), ScrambleText(kPassword));
    reg.WriteString(QStringLiteral("Comment"), QStringLiteral("デモ用テストサーバー"));
    reg.WriteInteger(QStringLiteral("ForegroundColor"), TzkConnectionManager::GetInvertColor(kColor));
    reg.WriteInteger(QStringLiteral("BackgroundColor"), kColor);
    reg.WriteBool(QStringLiteral("EncryptOption"), false);
    reg.CloseKey();
    return RegistryStore::flushAll(error);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString program;
    QStringList rules;
    QStringList programArgs;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--program") && i + 1 < args.size())
            program = args.at(++i);
        else if (args.at(i) == QLatin1String("--rules") && i + 1 < args.size())
            rules << args.at(++i);
        else
            programArgs << args.at(i);
    }
    if (program.isEmpty() || rules.isEmpty()) {
        say(QStringLiteral("usage: zk-demo --program PATH --rules FILE [--rules FILE...] [ARGS...]"));
        return 2;
    }

    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/zk-demo-XXXXXX"));
    if (!root.isValid()) {
        say(QStringLiteral("cannot create a temporary folder"));
        return 1;
    }
    const QString registry = root.filePath(QStringLiteral("registry"));
    const QString home = root.filePath(QStringLiteral("home"));
    QDir().mkpath(registry);
    QDir().mkpath(home);

    TdsServer server;
    QString error;
    for (const QString &file : std::as_const(rules)) {
        if (!server.loadRules(file, &error)) {
            say(error);
            return 1;
        }
    }
    if (!server.start(0, &error)) {
        say(error);
        return 1;
    }
    const QString address = QStringLiteral("127.0.0.1,%1").arg(server.port());

    qputenv("ZK_REGISTRY_ROOT", QFile::encodeName(registry));
    RegistryStore::resetAll();
    if (!writeSettings(address, &error)) {
        say(error);
        return 1;
    }
    say(QStringLiteral("test server on %1; log on as %2 (password %3); settings in %4")
            .arg(address, kLogin, kPassword, root.path()));

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZK_REGISTRY_ROOT"), registry);
    env.insert(QStringLiteral("HOME"), home);
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, programArgs);
    if (!process.waitForStarted()) {
        say(QStringLiteral("cannot start %1: %2").arg(program, process.errorString()));
        return 1;
    }
    process.waitForFinished(-1);
    server.stop();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 1;
}
