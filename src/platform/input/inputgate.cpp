#include "platform/input/inputgate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

InputGate::InputGate(QWidget *watched)
    : m_window(watched ? watched->window() : nullptr)
{
    qApp->installEventFilter(this);
}

InputGate::~InputGate()
{
    qApp->removeEventFilter(this);
}

void InputGate::pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool InputGate::aimsAtWatched(QObject *receiver) const
{
    if (!m_window)
        return false;
    if (auto *widget = qobject_cast<QWidget *>(receiver))
        return widget->window() == m_window;
    if (auto *window = qobject_cast<QWindow *>(receiver))
        return window == m_window->windowHandle();
    return false;
}

bool InputGate::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && aimsAtWatched(watched))
            m_escape = true;
        return true;
    }
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: return true;
    case QEvent::Close:
        // A window the user tries to close; the program's own closes pass.
        return event->spontaneous();
    default: return false;
    }
}

bool PollEscapeKey()
{
    QWidget *active = QApplication::activeWindow();
    if (!active)
        return false;
    InputGate gate(active);
    gate.pump();
    return gate.escapePressed();
}
