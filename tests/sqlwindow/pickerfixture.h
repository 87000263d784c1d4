#pragma once

// The table and column pickers on connection windows of the scripted
// backend with the demo catalogue.
#include "connection/testhelpers.h"

#include "core/modal.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QStringList>

#include <functional>

// The texts of a list's items, in order.
inline QStringList ItemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Selects the items that read one of `names` (and no others).
inline void SelectItems(QListWidget *list, const QStringList &names)
{
    list->clearSelection();
    for (int i = 0; i < list->count(); ++i)
        if (names.contains(list->item(i)->text()))
            list->item(i)->setSelected(true);
}

// Saves a picture of the dialog when ZK_SCREENSHOT_DIR names a folder.
inline void SaveScreenshot(QWidget *dialog, const QString &name)
{
    const QString dir = qEnvironmentVariable("ZK_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    dialog->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

class PickerTest : public ConnectionWindowTest
{
protected:
    // The dialog of class T that the next modal window is; `act` runs on it
    // inside its loop and must close it.
    template<class T>
    static void WhenDialog(std::function<void(T *)> act)
    {
        WhenModal([act](QWidget *w) {
            auto *dialog = qobject_cast<T *>(w);
            ASSERT_NE(dialog, nullptr);
            act(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    }
    // The statements since the log was last cleared.
    QStringList sent() const { return sentByTheWindow(); }
};
