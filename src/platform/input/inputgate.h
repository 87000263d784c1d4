#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Keeps user input away from the windows while a long synchronous job runs
// in the main thread, and tells whether the user pressed ESC meanwhile.
//
// While a gate exists it filters every event of the application: keyboard,
// mouse, wheel, touch, context-menu, input-method and window-close events
// from the user are dropped, except that an ESC key press aimed at the
// watched window (or any widget inside it) is recorded, then dropped too.
// Paint, timer and other non-input events pass, so windows keep repainting.
class InputGate : public QObject
{
public:
    // `watched`: the window whose ESC presses count; null counts none.
    explicit InputGate(QWidget *watched);
    ~InputGate() override;

    bool escapePressed() const { return m_escape; }
    void reset() { m_escape = false; }

    // Delivers the events waiting now through the gate.
    void pump();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool aimsAtWatched(QObject *receiver) const;

    QPointer<QWidget> m_window;
    bool m_escape = false;
};

// Delivers the waiting events with user input held off, and tells whether an
// ESC press for the active window was among them. False, with nothing
// delivered, when no window is active.
bool PollEscapeKey();
