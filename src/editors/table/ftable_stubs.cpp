// Parts of the table editor that later work builds: the CREATE and DROP
// scripts, the compile road's script, the constraint list, the data tab's
// condition grid and SELECT statement, the report menu. Each does the least
// that keeps the window consistent until then.

#include "editors/table/ftable.h"

#include "controls/zkgrid.h"
#include "platform/rtl/exceptions.h"

#include <QTreeWidget>

// Only the database line until the script builders come.
void TfrmTable::GetSourceCreate(QStringList &Source) const
{
    Source << DatabaseLine();
}

void TfrmTable::GetSourceDrop(QStringList &Source) const
{
    Source << DatabaseLine();
}

// Without the difference script nothing may run, and nothing the user
// entered may be dropped: the road ends quietly and the edits stay.
QStringList TfrmTable::BuildCompileScript()
{
    throw EAbort();
}

void TfrmTable::ShowConst()
{
    lstConst->clear();
}

// The data tab shows the table's columns; the condition grid keeps no
// conditions yet.
void TfrmTable::RebuildWhereGrid()
{
    FShowFld.clear();
    for (int r = 1; r < grdColumn->RowCount(); ++r)
        if (!grdColumn->Cells(tgName, r).isEmpty())
            FShowFld << grdColumn->Cells(tgName, r);
}

QString TfrmTable::DataSelectSQL() const
{
    return QString();
}

void TfrmTable::SetReportList()
{
}
