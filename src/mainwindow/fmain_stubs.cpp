// Parts of the main window that later work fills: the window layout, the
// file-built menus, the client tools, the news check and the recent
// objects. Each does the least that keeps the window consistent until then.

#include "mainwindow/fmain.h"

#include <QAction>
#include <QMenu>

// The stored layout is not restored yet: the window keeps its built-in one.
void TfrmMain::LoadLayout()
{
}

void TfrmMain::SaveLayout()
{
}

// No user commands, reports or web pages are listed yet: the submenus hold
// their built-in items only.
void TfrmMain::SetCommandList()
{
}

void TfrmMain::SetReportList()
{
}

void TfrmMain::SetHomePage()
{
    if (auto *menu = findChild<QMenu *>(QStringLiteral("mnuHelpHomePage")))
        menu->menuAction()->setEnabled(!menu->actions().isEmpty());
}

void TfrmMain::GetProgramPath()
{
}

void TfrmMain::prcCheckZKInfoUpdated()
{
}

// Recent objects are not recorded yet.
QString TfrmMain::RecentObjectCheck(int, const QString &, const QString &, const QString &, const QString &)
{
    return QString();
}
