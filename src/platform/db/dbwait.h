#pragma once

#include <QObject>

#include <functional>

// Long statements and waiting. A statement keeps the synchronous shape its
// caller expects, but runs on a worker thread while the calling (main)
// thread waits in a local event loop: windows repaint and timers and queued
// events still run, user input is held back except ESC, which cancels the
// statement, and input to a widget registered with AllowInput (a stop
// button). Called from any other thread, the job simply runs there.
class TDBWait
{
public:
    // Runs job; calls cancel (on the calling thread) when ESC is pressed.
    // Exceptions of the job reach the caller. silent: no wait cursor.
    static void Run(const std::function<void()> &job, const std::function<void()> &cancel, bool silent = false);

    // Whether the calling thread is inside Run.
    static bool IsWaiting();

    // Lets mouse input reach object (and its children) during a wait.
    static void AllowInput(QObject *object);
    static void DisallowInput(QObject *object);

    // While one lives, the waits of statements run on this thread in the
    // background: no cursor, no progress reports, no ESC and no input held
    // back, since the user did not start them (a keep-alive tick). Waits
    // started by the user's input inside such a wait are ordinary again.
    class Background
    {
    public:
        Background();
        ~Background();
        Background(const Background &) = delete;
        Background &operator=(const Background &) = delete;
    };
};

// Reports waits to whoever shows progress (the main window's status bar).
class TDBWaitNotifier : public QObject
{
    Q_OBJECT
public:
    static TDBWaitNotifier *instance();

signals:
    void waitStarted();
    void waitTick(qint64 elapsedMs);
    void waitFinished();
    // ESC cancelled a statement; the wait took the key, so a loop around the
    // statement learns of it only through this.
    void escapePressed();
};
