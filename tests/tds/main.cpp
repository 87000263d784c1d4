// zk-tds-server --port N --rules FILE... [--log FILE]
// The test server as a program, for tsql, isql and the demo: it prints the
// port it listens on (useful with --port 0) and logs every request to the
// log file, or to stdout after the port line.

#include "tds/tdsserver.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

int usage(const char *message = nullptr)
{
    if (message)
        std::fprintf(stderr, "zk-tds-server: %s\n", message);
    std::fprintf(stderr, "usage: zk-tds-server --port N --rules FILE... [--log FILE]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    int port = -1;
    QStringList rules;
    QString logFile = QStringLiteral("-");
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--port") && i + 1 < args.size()) {
            bool ok = false;
            port = args[++i].toInt(&ok);
            if (!ok || port < 0 || port > 65535)
                return usage("bad port");
        } else if (a == QLatin1String("--rules")) {
            while (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--")))
                rules << args[++i];
        } else if (a == QLatin1String("--log") && i + 1 < args.size()) {
            logFile = args[++i];
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            return usage();
        } else {
            return usage(qPrintable(QStringLiteral("unknown argument '%1'").arg(a)));
        }
    }
    if (port < 0)
        return usage("--port is required");

    TdsServer server;
    for (const QString &file : std::as_const(rules)) {
        QString error;
        if (!server.loadRules(file, &error)) {
            std::fprintf(stderr, "zk-tds-server: %s\n", qPrintable(error));
            return 1;
        }
    }

    // Signals are taken by sigwait below; block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QString error;
    if (!server.start(quint16(port), &error)) {
        std::fprintf(stderr, "zk-tds-server: cannot listen on port %d: %s\n", port, qPrintable(error));
        return 1;
    }
    std::printf("%u\n", unsigned(server.port()));
    std::fflush(stdout);
    server.setLogFile(logFile);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    server.stop();
    return 0;
}
