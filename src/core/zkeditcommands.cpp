#include "core/zkeditcommands.h"

#include <QApplication>
#include <QWidget>

IzkEditCommands::~IzkEditCommands() = default;

IzkEditCommands *EditCommandsOf(QWidget *Widget)
{
    return dynamic_cast<IzkEditCommands *>(Widget);
}

IzkEditCommands *FocusedEditCommands()
{
    return EditCommandsOf(QApplication::focusWidget());
}
