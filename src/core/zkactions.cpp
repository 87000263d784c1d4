#include "core/zkactions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <exception>

TzkActionList::TzkActionList(QWidget *owner, const QString &name)
    : QObject(owner)
{
    setObjectName(name);
}

QAction *TzkActionList::Add(const QString &name, const QString &caption)
{
    auto *action = new QAction(caption, parent());
    action->setObjectName(name);
    Append(action);
    return action;
}

void TzkActionList::Append(QAction *action)
{
    if (m_actions.contains(action))
        return;
    m_actions.append(action);
    connect(action, &QAction::triggered, this, [this, action] {
        const auto it = m_handlers.constFind(action);
        if (it != m_handlers.constEnd() && it->execute)
            it->execute();
        TzkIdleUpdate::Request();
    });
    connect(action, &QObject::destroyed, this, [this, action] {
        m_actions.removeAll(action);
        m_handlers.remove(action);
    });
}

void TzkActionList::SetOnExecute(QAction *action, std::function<void()> handler)
{
    Append(action);
    m_handlers[action].execute = std::move(handler);
}

void TzkActionList::SetOnUpdate(QAction *action, std::function<void()> handler)
{
    Append(action);
    m_handlers[action].update = std::move(handler);
}

bool TzkActionList::HasExecute(QAction *action) const
{
    const auto it = m_handlers.constFind(action);
    return it != m_handlers.constEnd() && bool(it->execute);
}

QAction *TzkActionList::Find(const QString &name) const
{
    for (QAction *action : m_actions)
        if (action->objectName() == name)
            return action;
    return nullptr;
}

void TzkActionList::UpdateActions()
{
    // Copied: a handler may add or remove actions.
    const QList<QAction *> actions = m_actions;
    for (QAction *action : actions) {
        const Handlers h = m_handlers.value(action);
        if (!h.execute && m_disableIfNoHandler) {
            action->setEnabled(false);
            continue;
        }
        if (!h.update)
            continue;
        try {
            h.update();
        } catch (const std::exception &e) {
            // A message box here would raise the next pass and the same error
            // again, without end: an update handler's failure is only logged.
            qWarning("update handler of %s: %s", qPrintable(action->objectName()), e.what());
        }
    }
}

namespace {

class IdleUpdater : public QObject
{
public:
    IdleUpdater(QWidget *mainWindow, QMdiArea *mdiArea)
        : m_mainWindow(mainWindow)
        , m_mdiArea(mdiArea)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] { run(); });
        qApp->installEventFilter(this);
        if (QClipboard *clipboard = QApplication::clipboard())
            connect(clipboard, &QClipboard::dataChanged, this, [this] { request(); });
        if (mdiArea)
            connect(mdiArea, &QMdiArea::subWindowActivated, this, [this] { request(); });
    }

    void request()
    {
        if (!m_timer.isActive())
            m_timer.start();
    }

    void run()
    {
        m_timer.stop();
        ++m_passes;
        QList<TzkActionList *> lists;
        if (m_mainWindow)
            lists = m_mainWindow->findChildren<TzkActionList *>(Qt::FindDirectChildrenOnly);
        if (QWidget *form = activeForm())
            lists += form->findChildren<TzkActionList *>();
        // Held by QPointer: an update handler may close a window.
        QList<QPointer<TzkActionList>> guarded(lists.begin(), lists.end());
        for (const QPointer<TzkActionList> &list : guarded)
            if (list)
                list->UpdateActions();
    }

    int passes() const { return m_passes; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::FocusIn:
        case QEvent::WindowActivate:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Close: request(); break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *activeForm() const
    {
        QWidget *active = QApplication::activeModalWidget();
        if (!active)
            active = QApplication::activeWindow();
        if (!active || active == m_mainWindow) {
            QMdiSubWindow *sub = m_mdiArea ? m_mdiArea->activeSubWindow() : nullptr;
            return sub ? sub->widget() : nullptr;
        }
        return active;
    }

    QPointer<QWidget> m_mainWindow;
    QPointer<QMdiArea> m_mdiArea;
    QTimer m_timer;
    int m_passes = 0;
};

IdleUpdater *g_updater = nullptr;

} // namespace

void TzkIdleUpdate::Install(QWidget *mainWindow, QMdiArea *mdiArea)
{
    Uninstall();
    g_updater = new IdleUpdater(mainWindow, mdiArea);
    g_updater->request();
}

void TzkIdleUpdate::Uninstall()
{
    delete g_updater;
    g_updater = nullptr;
}

void TzkIdleUpdate::Request()
{
    if (g_updater)
        g_updater->request();
}

void TzkIdleUpdate::RunNow()
{
    if (g_updater)
        g_updater->run();
}

int TzkIdleUpdate::PassCount()
{
    return g_updater ? g_updater->passes() : 0;
}
