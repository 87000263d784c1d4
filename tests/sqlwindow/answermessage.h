#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QStringList>
#include <QTimer>

#include <memory>

// Answers the next modal message with OK, ticking its check box when asked,
// and keeps its text.
inline void AnswerNextMessage(QString *text, bool tick = false)
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, text, tick] {
        QWidget *w = QApplication::activeModalWidget();
        if ((!w || !w->isVisible()) && ++*ticks < 400)
            return;
        timer->stop();
        timer->deleteLater();
        auto *dialog = qobject_cast<QDialog *>(w);
        if (!dialog)
            return;
        QStringList labels;
        for (const QLabel *l : dialog->findChildren<QLabel *>())
            if (!l->text().isEmpty())
                labels.append(l->text());
        for (QCheckBox *box : dialog->findChildren<QCheckBox *>()) {
            labels.append(QStringLiteral("[") + box->text() + QStringLiteral("]"));
            if (tick)
                box->setChecked(true);
        }
        if (text)
            *text = labels.join(QLatin1Char('|'));
        dialog->done(1);
    });
    timer->start();
}
