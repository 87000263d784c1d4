#pragma once

#include <QApplication>
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
