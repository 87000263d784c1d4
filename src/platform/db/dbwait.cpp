#include "platform/db/dbwait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// Waits shorter than this never show a cursor or enter an event loop.
constexpr int QuietWaitMs = 30;

// The threads that run statements. A plain pool on std::thread and
// std::mutex rather than QThreadPool: its hand-over is then visible to
// ThreadSanitizer, which does not see inside an uninstrumented Qt.
class Workers
{
public:
    void start(std::function<void()> job)
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(job));
        // Every queued job needs a waiting thread; else one more is started.
        if (m_idle >= int(m_queue.size()))
            m_wake.notify_one();
        else
            std::thread([this] { run(); }).detach();
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_queue.empty()) {
                ++m_idle;
                const bool woken = m_wake.wait_for(lock, std::chrono::seconds(60), [this] { return !m_queue.empty(); });
                --m_idle;
                if (!woken)
                    return; // idle for a minute
            }
            std::function<void()> job = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;
    int m_idle = 0;
};

Workers *workers()
{
    // Never destroyed: detached threads may still wait on it at exit.
    static Workers *pool = new Workers;
    return pool;
}

QList<QPointer<QObject>> &allowed()
{
    static QList<QPointer<QObject>> list;
    return list;
}

thread_local int t_depth = 0;
thread_local int t_background = 0;

struct JobState
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::exception_ptr error;
    QEventLoop *loop = nullptr;
};

class InputFilter : public QObject
{
public:
    InputFilter(std::function<void()> cancel, bool background)
        : m_cancel(std::move(cancel))
        , m_background(background)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_background)
            return closesWindow(event);
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !m_cancelled) {
                m_cancelled = true;
                if (m_cancel)
                    m_cancel();
                emit TDBWaitNotifier::instance()->escapePressed();
            }
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod: return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: return !isAllowed(watched);
        case QEvent::Close: return closesWindow(event);
        default: return false;
        }
    }

private:
    // The window system's close would free a window whose statement is
    // still running.
    static bool closesWindow(QEvent *event)
    {
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return false;
    }

    static bool isAllowed(QObject *o)
    {
        for (; o; o = o->parent()) {
            for (const QPointer<QObject> &a : std::as_const(allowed())) {
                if (a == o)
                    return true;
            }
        }
        return false;
    }

    std::function<void()> m_cancel;
    bool m_background = false;
    bool m_cancelled = false;
};

} // namespace

TDBWaitNotifier *TDBWaitNotifier::instance()
{
    static TDBWaitNotifier notifier;
    return &notifier;
}

TDBWait::Background::Background()
{
    ++t_background;
}

TDBWait::Background::~Background()
{
    --t_background;
}

bool TDBWait::IsWaiting()
{
    return t_depth > 0;
}

void TDBWait::AllowInput(QObject *object)
{
    allowed().removeAll(nullptr);
    allowed().append(object);
}

void TDBWait::DisallowInput(QObject *object)
{
    allowed().removeAll(object);
    allowed().removeAll(nullptr);
}

void TDBWait::Run(const std::function<void()> &job, const std::function<void()> &cancel, bool silent)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        job();
        return;
    }

    // Only the wait itself is in the background; what the user starts
    // meanwhile waits as usual.
    const bool background = t_background > 0;
    const int outerBackground = t_background;
    t_background = 0;
    struct RestoreBackground
    {
        int value;
        ~RestoreBackground() { t_background = value; }
    } restoreBackground{outerBackground};

    ++t_depth;
    auto state = std::make_shared<JobState>();
    workers()->start([state, &job] {
        try {
            job();
        } catch (...) {
            state->error = std::current_exception();
        }
        std::lock_guard lock(state->mutex);
        state->finished = true;
        if (state->loop)
            QMetaObject::invokeMethod(state->loop, "quit", Qt::QueuedConnection);
        state->done.notify_all();
    });

    bool finished;
    {
        std::unique_lock lock(state->mutex);
        finished = state->done.wait_for(lock, std::chrono::milliseconds(QuietWaitMs), [&] { return state->finished; });
    }
    if (!finished) {
        QEventLoop loop;
        InputFilter filter(cancel, background);
        app->installEventFilter(&filter);
        const bool cursor = !silent && !background && qobject_cast<QGuiApplication *>(app);
        if (cursor)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        TDBWaitNotifier *notifier = TDBWaitNotifier::instance();
        if (!background)
            emit notifier->waitStarted();
        QElapsedTimer elapsed;
        elapsed.start();
        QTimer tick;
        tick.setInterval(250);
        QObject::connect(&tick, &QTimer::timeout, notifier, [&] { emit notifier->waitTick(elapsed.elapsed()); });
        if (!background)
            tick.start();
        {
            std::lock_guard lock(state->mutex);
            if (!state->finished)
                state->loop = &loop;
        }
        if (state->loop)
            loop.exec();
        {
            std::lock_guard lock(state->mutex);
            state->loop = nullptr;
        }
        tick.stop();
        if (cursor)
            QGuiApplication::restoreOverrideCursor();
        app->removeEventFilter(&filter);
        if (!background)
            emit notifier->waitFinished();
    }
    {
        // The loop ends only after the job; this is the hand-over of its results.
        std::unique_lock lock(state->mutex);
        state->done.wait(lock, [&] { return state->finished; });
    }
    --t_depth;
    if (state->error)
        std::rethrow_exception(state->error);
}
