#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `act` on the next modal window once it shows (a dialog's exec() runs
// its own loop, so the test acts from a timer inside it). `notThis` skips a
// modal window that is already open. Gives up after about five seconds.
inline void WhenModal(std::function<void(QWidget *)> act, QWidget *notThis = nullptr)
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, act, notThis] {
        QWidget *w = QApplication::activeModalWidget();
        if ((!w || w == notThis || !w->isVisible()) && ++*ticks < 1000)
            return;
        timer->stop();
        timer->deleteLater();
        if (w && w != notThis)
            act(w);
    });
    timer->start();
}

// Acts on the modal windows as they show, one action each, in order. An
// action that opens another modal window must do it queued (Click), since
// a timer is not re-entered from its own slot.
class ModalScript
{
public:
    using Act = std::function<void(QWidget *)>;
    explicit ModalScript(QList<Act> acts)
        : m_acts(std::move(acts))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || !w->isVisible() || w == m_last || m_acts.isEmpty())
                return;
            m_last = w;
            Act act = m_acts.takeFirst();
            ++m_done;
            act(w);
            if (m_acts.isEmpty())
                m_timer.stop();
        });
        m_timer.start();
    }
    int Done() const { return m_done; }

private:
    QList<Act> m_acts;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    int m_done = 0;
};

inline void Click(QAbstractButton *button)
{
    QTimer::singleShot(0, button, &QAbstractButton::click);
}
