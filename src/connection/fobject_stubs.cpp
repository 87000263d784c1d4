// Parts of the connection window that later work fills: the commands on the
// listed objects, the keep-alive timer and reconnection, and the
// user-command, report and shortcut copies of the main window's menus. Each
// does the least that keeps the window consistent until then.

#include "connection/fobject.h"

#include <QTimer>

// The list's commands: opening and deleting the selected objects, and the
// object menu with its enabling, as a popup too. Until they come, Enter,
// Delete, the double-click and the right button do nothing.
void TfrmObject::actOpenExecute()
{
}

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

// No keep-alive yet: the timer stays off and the connection does not
// reconnect by itself, so it is never restored either.
void TfrmObject::SetOptionKeepAlive()
{
    tmrKeepAlive->stop();
}

void TfrmObject::tmrKeepAliveTimer()
{
    tmrKeepAlive->stop();
}

void TfrmObject::ConnectionRestored()
{
}

// The window has no user-command or report menu, and its commands have no
// keys of their own yet.
void TfrmObject::SetCommandList()
{
}

void TfrmObject::SetReportList()
{
}

void TfrmObject::SetShortCut()
{
}
