#include "core/zkwindows.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

IzkMainForm *zkMainForm = nullptr;

QString ClientToolsFolder;
int ServerVersionOverride = 0;
QString ExcelFilter;
QString ExcelMacroFilter;

void SendFormMessage(QWidget *form, QEvent::Type message)
{
    if (!form)
        return;
    QEvent event(message);
    QCoreApplication::sendEvent(form, &event);
}

TzkConnectionWindow *ComboConnection(const QComboBox *combo, int index)
{
    if (!combo || index < 0 || index >= combo->count())
        return nullptr;
    // Guarded: a combo may still show a connection window that has just
    // closed, until its window hears of the change.
    const QPointer<QObject> object = combo->itemData(index).value<QPointer<QObject>>();
    return dynamic_cast<TzkConnectionWindow *>(object.data());
}

void AddComboConnection(QComboBox *combo, const QString &text, TzkConnectionWindow *form)
{
    combo->addItem(text, QVariant::fromValue(QPointer<QObject>(form ? form->Form() : nullptr)));
}
