#include "core/zkwindows.h"

#include <QComboBox>
#include <QCoreApplication>
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
    auto *object = combo->itemData(index).value<QObject *>();
    return dynamic_cast<TzkConnectionWindow *>(object);
}

void AddComboConnection(QComboBox *combo, const QString &text, TzkConnectionWindow *form)
{
    combo->addItem(text, QVariant::fromValue<QObject *>(form ? form->Form() : nullptr));
}
