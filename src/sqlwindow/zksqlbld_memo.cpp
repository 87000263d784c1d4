// The designer's side of its editor and grid: writing the statement.
#include "controls/zkgrid.h"
#include "sqleditor/zkmemo.h"
#include "core/zksub_dialogs.h"
#include "sqleditor/zksub_format.h"
#include "sqleditor/zksub_parse.h"
#include "sqlwindow/zksqlbld.h"
#include "sqlwindow/zksqlbld_text.h"

#include <QApplication>
#include <QScopeGuard>

TzkMemo *TzkSQLDesigner::SQLText() const
{
    return static_cast<TzkMemo *>(FSQLText.data());
}

void TzkSQLDesigner::SetSQLText(TzkMemo *Value)
{
    if (FSQLText)
        disconnect(FSQLText, nullptr, this, nullptr);
    FSQLText = Value;
    // Boxes follow every change of the text, the user's included.
    if (Value)
        connect(Value, &TEditor::OnChange, this, [this] { UpdateTablesEnabled(); });
}

QString TzkSQLDesigner::EditorText() const
{
    const TzkMemo *memo = SQLText();
    return memo ? memo->WMGetText() : QString();
}

namespace {

// Grid columns of the design.
enum { colExpr, colAlias, colShow, colSortDir, colSortOrder, colGroup, colCriterion };

} // namespace

void TzkSQLDesigner::DesignToSQL()
{
    if (FSQLDesign || !FConnection || !FGrid || !FSQLText)
        return;
    TzkMemo *memo = SQLText();
    TzkStringGrid *grid = Grid();
    FSQLDesign = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    memo->BeginUpdate();
    // Also after a failure: the editor and the grid are left in step with
    // whatever went in, and the design is editable again.
    auto done = qScopeGuard([&] {
        QApplication::restoreOverrideCursor();
        memo->EndUpdate();
        if (!memo->Modified() && !memo->WMGetText().isEmpty())
            memo->SetModified(true);
        memo->SetRowCol(0, 0);
        FSaveSQL = EditorText();
        grid->Save();
        FSQLDesign = false;
        UpdateTablesEnabled();
    });
    memo->Lines()->Clear();

    TzkDesign design;
    design.Kind = FSQLType;
    design.ViewName = FViewName;
    for (TzkSQLBuildTable *box : FTables)
        design.Boxes.append({box->GetDatabase(), box->GetSchema(), box->TableName(), box->Alias(), box->GetRefName()});
    for (TzkSQLBuildConnect *c : FConnects)
        design.Joins.append({int(FTables.indexOf(c->FromTable())), int(FTables.indexOf(c->ToTable())), c->FromColumn(),
                             c->ToColumn(), c->ConnectType()});
    for (int row = 1; row < grid->RowCount(); ++row)
        design.Rows.append({grid->Cells(colExpr, row), grid->Cells(colAlias, row), grid->Checked(colShow, row),
                            grid->Cells(colSortDir, row), grid->Cells(colSortOrder, row), grid->Cells(colGroup, row),
                            grid->Cells(colCriterion, row)});
    const QStringList lines = DesignStatementLines(design);
    // The renumbered sort orders and filled-in directions go back to the grid.
    for (int i = 0; i < design.Rows.size(); ++i) {
        const int row = i + 1;
        if (grid->Cells(colSortDir, row) != design.Rows[i].SortDir)
            grid->SetCells(colSortDir, row, design.Rows[i].SortDir);
        if (grid->Cells(colSortOrder, row) != design.Rows[i].SortOrder)
            grid->SetCells(colSortOrder, row, design.Rows[i].SortOrder);
    }
    memo->Lines()->SetTextStr(FormatSqlText(lines.join(QStringLiteral("\r\n"))));
}

void TzkSQLDesigner::SQLToDesign()
{
    if (FSQLDesign || !FConnection || !FGrid || !FSQLText || EditorText() == FSaveSQL)
        return;
    TzkMemo *memo = SQLText();
    TzkStringGrid *grid = Grid();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FSQLDesign = true;
    // Also after a refusal or a failure: the text is not tried again until
    // it changes.
    auto done = qScopeGuard([&] {
        QApplication::restoreOverrideCursor();
        FSaveSQL = EditorText();
        grid->Save();
        FSQLDesign = false;
        UpdateTablesEnabled();
    });
    Clear();
    grid->Clear();

    // Batches end at "go" lines, compared lower-cased and untrimmed.
    QList<QStringList> batches;
    bool open = false;
    for (int i = 0; i < memo->Lines()->Count(); ++i) {
        const QString &line = memo->Lines()->Get(i);
        if (line.toLower() == QLatin1String("go")) {
            if (!open)
                batches.append(QStringList());
            open = false;
            continue;
        }
        if (!open)
            batches.append(QStringList());
        open = true;
        batches.last().append(line);
    }

    TzkParsedStatement statement;
    for (QStringList lines : batches) {
        statement = TzkParsedStatement();
        StripSqlComments(lines, true);
        if (lines.isEmpty())
            continue;
        TzkParseList columns, tables, order;
        QStringList where, group, having;
        FViewName.clear();
        try {
            statement.Kind =
                ParseSqlTables(lines.join(QStringLiteral("\r\n")), columns, tables, order, where, group, having,
                               QStringLiteral("この SQL は、SQLビルダ上に表示する事は出来ません。"), FViewName);
        } catch (const ESQLParseError &e) {
            ShowAppMessage(e.message(), MB_OK | MB_ICONWARNING);
            return;
        }
        SetSQLType(statement.Kind);
        auto pairs = [](const TzkParseList &list) {
            QList<QPair<QString, QString>> out;
            for (int i = 0; i < list.Count(); ++i)
                out.append({list.ObjectName(i), list.Alias(i)});
            return out;
        };
        statement.Columns = pairs(columns);
        statement.Tables = pairs(tables);
        statement.Order = pairs(order);
        statement.Where = where;
        statement.Group = group;
        statement.Having = having;
    }

    for (const auto &[name, alias] : statement.Tables)
        AddTable(name.startsWith(QLatin1Char('"')) ? DequoteName(name) : name, alias);

    QList<TzkDesignRow> rows;
    QList<TzkRebuiltJoin> joins;
    DesignFromStatement(
        statement, FPickGroupType,
        [this](const QString &Qualifier, const QString &Column) {
            return int(FTables.indexOf(FindTableByColumn(Qualifier, Column)));
        },
        rows, joins);
    for (const TzkRebuiltJoin &j : joins) {
        auto *join = new TzkSQLBuildConnect(this, FTables[j.From], FTables[j.To], j.FromColumn, j.ToColumn);
        join->SetConnectType(j.ConnectType);
        join->SetJoinType(j.JoinType);
    }
    // The header, the rows and the empty row that takes the next entry.
    grid->SetRowCount(int(rows.size()) + 2);
    for (int i = 0; i < rows.size(); ++i) {
        const TzkDesignRow &r = rows[i];
        const int row = i + 1;
        grid->SetCells(colExpr, row, r.Expr);
        grid->SetCells(colAlias, row, r.Alias);
        grid->SetChecked(colShow, row, r.Show);
        grid->SetCells(colSortDir, row, r.SortDir);
        grid->SetCells(colSortOrder, row, r.SortOrder);
        grid->SetCells(colGroup, row, r.Group);
        grid->SetCells(colCriterion, row, r.Criterion);
    }
    const int last = grid->RowCount() - 1;
    for (int col = 0; col < grid->ColCount(); ++col)
        grid->SetCells(col, last, QString());
    BackGround()->update();
}
