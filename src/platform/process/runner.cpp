#include "platform/process/runner.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>

bool RunCommandLines(const QString &commandLine, const std::function<void(const QString &)> &onLine)
{
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty())
        return false;
    const QString program = args.takeFirst();

    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        return false;

    // One decoder per channel: a character may be split between two reads.
    QStringDecoder outDecoder(QStringConverter::System);
    QStringDecoder errDecoder(QStringConverter::System);
    QString pending;

    auto emitCompleteLines = [&] {
        qsizetype start = 0;
        for (;;) {
            const qsizetype lf = pending.indexOf(QLatin1Char('\n'), start);
            if (lf < 0)
                break;
            qsizetype end = lf;
            if (end > start && pending.at(end - 1) == QLatin1Char('\r'))
                --end;
            onLine(pending.mid(start, end - start));
            start = lf + 1;
        }
        pending.remove(0, start);
    };
    auto readChannels = [&] {
        const QByteArray out = process.readAllStandardOutput();
        if (!out.isEmpty())
            pending += outDecoder(out);
        const QByteArray err = process.readAllStandardError();
        if (!err.isEmpty())
            pending += errDecoder(err);
        emitCompleteLines();
    };

    QEventLoop loop;
    QTimer tick;
    tick.setInterval(50);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::readyReadStandardError, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    tick.start();
    for (;;) {
        // Whether it had ended is taken before reading, so the output it
        // left behind is still read in this pass.
        const bool ended = process.state() == QProcess::NotRunning;
        readChannels();
        if (ended)
            break;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    tick.stop();
    if (!pending.isEmpty())
        onLine(pending);
    return true;
}
