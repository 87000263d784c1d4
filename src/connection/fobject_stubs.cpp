// Parts of the connection window that later work fills: the database and
// object tree with its tool bar, the object list with its search panel, the
// keep-alive timer and reconnection, and the user-command, report and
// shortcut copies of the main window's menus. Each does the least that keeps
// the window consistent until then.

#include "connection/fobject.h"

#include <QTimer>

// The tree stays empty: no database or object node is listed yet.
void TfrmObject::ShowTree()
{
}

// The list stays empty, without columns.
void TfrmObject::ShowObject(bool IsGrep)
{
    Q_UNUSED(IsGrep)
}

// The list has one style until it is built.
void TfrmObject::SetListStyle(bool report)
{
    Q_UNUSED(report)
}

// No column widths exist to be kept yet.
void TfrmObject::SaveColumnWidths()
{
}

// The tree's order and level buttons and its database filter change nothing
// yet: there is no tree to rebuild.
void TfrmObject::btnTreeClick()
{
}

void TfrmObject::btnLevel0Click()
{
}

void TfrmObject::btnLevel1Click()
{
}

void TfrmObject::cmbTreeChange(int index)
{
    Q_UNUSED(index)
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
