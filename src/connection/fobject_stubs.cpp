// Parts of the connection window that later work fills: the delete command
// and the object menu, and the user-command, report and shortcut copies of
// the main window's menus. Each does the least that keeps the window
// consistent until then.

#include "connection/fobject.h"

#include <QTimer>

// The list's commands: deleting the selected objects, and the object menu
// with its enabling, as a popup too. Until they come, Delete and the right
// button do nothing.
void TfrmObject::actDeleteExecute()
{
}

void TfrmObject::mnuObjectClick()
{
}

void TfrmObject::lstObjectContextPopup(const QPoint &globalPos)
{
    Q_UNUSED(globalPos)
}

// The window has no user-command or report menu, runs no user command or
// report, and its commands have no keys of their own yet.
void TfrmObject::SetCommandList()
{
}

void TfrmObject::SetReportList()
{
}

void TfrmObject::UserCommandClick(QAction *Sender)
{
    Q_UNUSED(Sender)
}

void TfrmObject::ReportClick(QAction *Sender)
{
    Q_UNUSED(Sender)
}

void TfrmObject::SetShortCut()
{
}
