#pragma once

#include <QHash>
#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMdiArea;
class QWidget;

// A window's action list: its commands, each with an execute handler and an
// optional update handler that sets its enabled (and checked) state. The
// update handlers do not run per action on timers: one idle-time pass (see
// TzkIdleUpdate) runs those of the main window and of the active window after
// each burst of events.
class TzkActionList : public QObject
{
    Q_OBJECT
public:
    // The list belongs to the window (its parent).
    explicit TzkActionList(QWidget *owner, const QString &name = QString());

    // Creates an action owned by the window, named `name` (its object name).
    QAction *Add(const QString &name, const QString &caption);
    // Takes an action created elsewhere into the list.
    void Append(QAction *action);

    void SetOnExecute(QAction *action, std::function<void()> handler);
    void SetOnUpdate(QAction *action, std::function<void()> handler);
    bool HasExecute(QAction *action) const;

    QList<QAction *> Actions() const { return m_actions; }
    QAction *Find(const QString &name) const;

    // An action without an execute handler is disabled by the update pass
    // (on by default), so a command that does nothing never looks usable.
    bool DisableIfNoHandler() const { return m_disableIfNoHandler; }
    void SetDisableIfNoHandler(bool on) { m_disableIfNoHandler = on; }

    // Runs the update handlers of every action, in list order.
    void UpdateActions();

private:
    struct Handlers
    {
        std::function<void()> execute;
        std::function<void()> update;
    };
    QList<QAction *> m_actions;
    QHash<QAction *, Handlers> m_handlers;
    bool m_disableIfNoHandler = true;
};

// The one idle-time update of the program: a zero-time timer, armed by user
// input, focus and window changes (and by Request), runs the update handlers
// of the main window's action lists and of the active window's (the active
// MDI child, or the active dialog or tool window) once the events of the
// burst have been handled.
class TzkIdleUpdate
{
public:
    // Starts the mechanism for the main window and its MDI area.
    static void Install(QWidget *mainWindow, QMdiArea *mdiArea);
    static void Uninstall();
    // Arms the timer: the handlers run when the pending events are done.
    static void Request();
    // Runs the handlers now.
    static void RunNow();
    // How many passes ran so far (for tests).
    static int PassCount();
};
