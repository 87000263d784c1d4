// Editable results: which results can be edited, the statements a post or
// delete sends, the record paste, and the grid's in-place editor.
#include "gridtest.h"

#include "controls/zkdbgrid_edit.h"
#include "controls/zkdbgrid_inplace.h"
#include "platform/db/dbedit.h"
#include "platform/db/dbtext.h"

#include <QClipboard>
#include <QHeaderView>
#include <QGuiApplication>
#include <QTest>

namespace {

// --- Record paste -------------------------------------------------------------------

TEST(ParsePastedRecords, Cases)
{
    const struct
    {
        const char *name;
        QString text;
        QList<QStringList> records;
    } cases[] = {
        {"TwoLines", QStringLiteral("1\tabc\r\n2\tdef"), {{"1", "abc"}, {"2", "def"}}},
        {"ThirdValueKept", QStringLiteral("1\ta\tz\r\n2\tb\tz\r\n"), {{"1", "a", "z"}, {"2", "b", "z"}}},
        {"QuotedTab", QStringLiteral("\"a\tb\"\tc"), {{"a\tb", "c"}}},
        {"DoubledQuote", QStringLiteral("\"x\"\"y\"\t1"), {{"x\"y", "1"}}},
        {"AfterClosingQuoteDropped", QStringLiteral("\"ab\"cd\t1"), {{"ab", "1"}}},
        {"QuoteInsideIsText", QStringLiteral("a\"b\t1"), {{"a\"b", "1"}}},
        {"LoneCarriageReturnIsText", QStringLiteral("a\rb\t1\n"), {{"a\rb", "1"}}},
        {"LineFeedOnly", QStringLiteral("1\ta\n2\tb"), {{"1", "a"}, {"2", "b"}}},
        {"EndingLineFeedAddsNoRecord", QStringLiteral("1\ta\n"), {{"1", "a"}}},
        {"EmptyValues", QStringLiteral("\t\r\n"), {{"", ""}}},
        {"UnterminatedQuoteRunsToTheEnd", QStringLiteral("1\t\"a\tb\r\nc"), {{"1", "a\tb\r\nc"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParsePastedRecords(c.text), c.records);
    }
}

// --- Which results can be edited ------------------------------------------------------

TEST(EditableSelectObject, Cases)
{
    const struct
    {
        const char *sql;
        const char *object;
    } cases[] = {
        {"select * from dbo.people", "dbo.people"},
        {"SELECT id, name FROM people WHERE id > 3 ORDER BY name", "people"},
        {"select * from [my ]]t]", "[my ]]t]"},
        {"select * from v_people", "v_people"},
        {"select * from #work", "#work"},
        {"select * from a join b on a.id = b.id", ""},
        {"select * from a, b", ""},
        {"select a from t union select a from u", ""},
        {"select a, count(*) from t group by a", ""},
        {"select count(*) from t", ""},
        {"select distinct a from t", ""},
        {"select * from otherdb.dbo.t", ""},
        {"select * from (select * from t) x", ""},
        {"exec sp_who", ""},
        {"select * from t; select * from u", ""},
        {"select a into #x from t", ""},
        {"update t set a = 1", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(EditableSelectObject(QString::fromUtf8(c.sql)), QString::fromUtf8(c.object));
    }
    QStringList unmapped;
    EXPECT_EQ(EditableSelectObject(QStringLiteral("select id, price * 2 as price, name as label, t.code code from t"),
                                   &unmapped),
              QStringLiteral("t"));
    EXPECT_EQ(unmapped, (QStringList{"price", "label"}));
}

// --- Statements ------------------------------------------------------------------------

struct Table
{
    std::shared_ptr<TDBResultSet> store;
    TDBEditTable table;
};

// people(id int identity, name nvarchar(20), amount decimal(10,2), born datetime2(7), ver rowversion)
// with one record.
Table peopleTable(const QString &name = QStringLiteral("[dbo].[people]"))
{
    Table t;
    const QList<TDBColumnDef> defs{DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 20),
                                   DescribeColumn("amount", "decimal", 0, 10, 2),
                                   DescribeColumn("born", "datetime2", 0, 0, 7), DescribeColumn("ver", "timestamp", 8)};
    t.store = std::make_shared<TDBResultSet>(defs);
    t.store->AppendInt(0, 7);
    t.store->AppendText(1, QStringLiteral("一郎"));
    t.store->AppendValue(2, QStringLiteral("12.50"));
    t.store->AppendTicks(3, qint64(dbtext::DaysFromCivil(2024, 1, 31)) * dbtext::TicksPerDay + 1234567);
    t.store->AppendBytes(4, "\0\0\0\0\0\0\x07\xD1", 8);
    t.store->EndRow();
    t.table.name = name;
    for (int i = 0; i < defs.size(); ++i) {
        TDBEditColumn c;
        c.name = defs[i].name;
        c.type = defs[i];
        c.field = i;
        t.table.columns << c;
    }
    t.table.columns[0].identity = true;
    t.table.columns[4].rowversion = true;
    return t;
}

QString paramsText(const QList<TDBParamValue> &params)
{
    QStringList list;
    for (const TDBParamValue &p : params)
        list << (p.value.isNull()                            ? QStringLiteral("NULL")
                 : p.value.typeId() == QMetaType::QByteArray ? QString::fromLatin1("0x" + p.value.toByteArray().toHex())
                                                             : p.value.toString());
    return list.join(QLatin1String(" | "));
}

const char *const Wrapper =
    "DECLARE @zk_rows int = 0, @zk_tran int = @@TRANCOUNT;\n"
    "%1"
    "IF @zk_tran = 0 BEGIN TRANSACTION ELSE SAVE TRANSACTION zk_row;\n"
    "BEGIN TRY\n"
    "%2;\n"
    "SET @zk_rows = @@ROWCOUNT;\n"
    "END TRY\n"
    "BEGIN CATCH\n"
    "IF @zk_tran = 0 AND @@TRANCOUNT > 0 ROLLBACK TRANSACTION ELSE IF XACT_STATE() = 1 ROLLBACK TRANSACTION zk_row;\n"
    "THROW;\n"
    "END CATCH;\n"
    "IF @zk_rows > 1 BEGIN IF @zk_tran = 0 ROLLBACK TRANSACTION ELSE ROLLBACK TRANSACTION zk_row END\n"
    "ELSE IF @zk_tran = 0 COMMIT TRANSACTION;\n"
    "SELECT @zk_rows AS zk_rows;%3";

QString wrapped(const QString &declare, const QString &statement, const QString &select)
{
    return QString::fromUtf8(Wrapper).arg(declare, statement, select);
}

const QString PeopleOut = QStringLiteral(
    "DECLARE @zk_out TABLE ([id] int NULL, [name] nvarchar(20) NULL, [amount] decimal(10,2) NULL, [born] datetime2(7) NULL, [ver] binary(8) NULL);\n");
const QString PeopleSelect =
    QStringLiteral("\nSELECT [id], [name], [amount], [born], [ver] FROM @zk_out WHERE @zk_rows = 1;");
const QString PeopleOutput = QStringLiteral(
    " OUTPUT inserted.[id], inserted.[name], inserted.[amount], inserted.[born], inserted.[ver] INTO @zk_out");

TEST(EditStatements, UpdateByKeySetsOnlyChangedColumns)
{
    Table t = peopleTable();
    t.table.where = {0};
    t.table.unique = true;
    TDBResultSet before(t.store->Columns());
    for (int c = 0; c < 5; ++c)
        before.AppendCopy(c, *t.store, 0);
    before.EndRow();
    t.store->SetValue(1, 0, QStringLiteral("二郎"));
    const TDBEditStatement s = BuildUpdateStatement(t.table, *t.store, 0, {1}, &before);
    EXPECT_EQ(s.sql, wrapped(PeopleOut, "UPDATE [dbo].[people] SET [name] = ?" + PeopleOutput + " WHERE [id] = ?",
                             PeopleSelect));
    EXPECT_EQ(paramsText(s.params), QStringLiteral("二郎 | 7"));
    EXPECT_EQ(s.params.at(1).dataType, ftLargeint);
}

TEST(EditStatements, WithoutKeyEveryComparableColumnFindsTheRowAndNullIsIsNull)
{
    Table t = peopleTable(QStringLiteral("[dbo].[my ]]t able]"));
    t.table.columns.append(TDBEditColumn{QStringLiteral("f"), DescribeColumn("f", "float"), false, false, false, -1});
    t.store->SetValue(1, 0, QVariant()); // the old name is NULL
    t.table.where = {0, 1, 2, 3, 4};     // what LoadEditTable picks: float and unmapped ones left out
    const TDBEditStatement s = BuildDeleteStatement(t.table, *t.store, 0);
    EXPECT_EQ(s.sql,
              wrapped(QString(),
                      QStringLiteral(
                          "DELETE FROM [dbo].[my ]]t able] WHERE [id] = ? AND [name] IS NULL AND "
                          "[amount] = CAST(? AS decimal(10,2)) AND [born] = CAST(? AS datetime2(7)) AND [ver] = ?"),
                      QString()));
    // Exact numerics and times as text with every digit; rowversion as bytes.
    EXPECT_EQ(paramsText(s.params), QStringLiteral("7 | 12.50 | 2024-01-31T00:00:00.1234567 | 0x00000000000007d1"));
}

TEST(EditStatements, InsertLeavesIdentityAndRowversionToTheServer)
{
    Table t = peopleTable();
    t.table.where = {0};
    const TDBEditStatement s = BuildInsertStatement(t.table, *t.store, 0, {0, 1, 2, 4});
    EXPECT_EQ(s.sql, wrapped(PeopleOut,
                             "INSERT INTO [dbo].[people] ([name], [amount])" + PeopleOutput
                                 + " VALUES (?, CAST(? AS decimal(10,2)))",
                             PeopleSelect));
    EXPECT_EQ(paramsText(s.params), QStringLiteral("一郎 | 12.50"));
    const TDBEditStatement empty = BuildInsertStatement(t.table, *t.store, 0, {});
    EXPECT_TRUE(empty.sql.contains("INSERT INTO [dbo].[people]" + PeopleOutput + " DEFAULT VALUES;"));
}

TEST(EditStatements, FieldTextConversionNamesTheTypeRules)
{
    const struct
    {
        const char *type;
        int size, precision, scale;
        const char *text;
        bool ok;
        QVariant value;
    } cases[] = {
        {"int", 0, 0, 0, "42", true, qlonglong(42)},
        {"int", 0, 0, 0, "abc", false, {}},
        {"tinyint", 0, 0, 0, "256", false, {}},
        {"int", 0, 0, 0, "", true, {}},
        {"nvarchar", 10, 0, 0, "", true, QString("")},
        {"decimal", 0, 10, 2, "1.5", true, QString("1.50")},
        {"decimal", 0, 10, 2, "1.555", false, {}},
        {"bit", 0, 0, 0, "True", true, true},
        {"date", 0, 0, 0, "2024/01/31", true, QDate(2024, 1, 31)},
        {"varbinary", 10, 0, 0, "0x0A0B", true, QByteArray("\x0A\x0B")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.text);
        QVariant v;
        EXPECT_EQ(
            TextToFieldValue(DescribeColumn("c", c.type, c.size, c.precision, c.scale), QString::fromUtf8(c.text), &v),
            c.ok);
        if (c.ok) {
            EXPECT_EQ(v.isNull(), c.value.isNull());
            EXPECT_EQ(v.toString(), c.value.toString());
        }
    }
}

// --- Grid and in-place editor, offscreen ---------------------------------------------

class GridEdit : public GridTest
{
public:
    QStringList posted;
    QList<TRecordId> deleted;

    void OpenEditable(int n)
    {
        OpenNumbered(n);
        query.SetPostHandler([this](TFDQuery *q, const TFDQuery::TPostRequest &r) {
            QStringList values;
            for (int i = 0; i < q->FieldCount(); ++i)
                values << q->Fields(i)->TextAt(r.record);
            posted << (r.inserting ? "insert " : "update ") + values.join(',');
        });
        query.SetDeleteHandler([this](TFDQuery *, TRecordId r) { deleted << r; });
        grid->SetOptions(grid->Options() + dgMultiSelect);
        grid->SetDataSource(&source);
        Show();
    }
    TDBGridInplaceEdit *Editor() { return grid->InplaceEditor(); }
    QList<int> Ids()
    {
        QList<int> ids;
        for (qint64 p = 0; p < query.RecordCount(); ++p)
            ids << query.Fields(0)->ValueAt(query.Result()->RecordId(p)).toInt();
        return ids;
    }
};

TEST_F(GridEdit, TypingEditsAndMovingOnPosts)
{
    OpenEditable(3);
    ASSERT_TRUE(Editor());
    ASSERT_FALSE(Editor()->isHidden());
    grid->SetSelectedIndex(1);
    QTest::keyClicks(Editor(), "x");
    EXPECT_EQ(query.State(), dsEdit);
    QTest::keyClick(Editor(), Qt::Key_Down);
    EXPECT_EQ(posted, (QStringList{"update 1,x,n1,1.50"}));
    EXPECT_EQ(query.State(), dsBrowse);
    EXPECT_EQ(CurrentId(), 2);
}

TEST_F(GridEdit, LeftOverTheWholeTextMovesTheCellOverPartOfItTheCaret)
{
    OpenEditable(2);
    grid->SetSelectedIndex(1);
    Editor()->setSelection(0, 2); // part of "名前1"
    QTest::keyClick(Editor(), Qt::Key_Left);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_FALSE(Editor()->hasSelectedText());
    Editor()->selectAll();
    QTest::keyClick(Editor(), Qt::Key_Left);
    EXPECT_EQ(grid->SelectedIndex(), 0);
}

TEST_F(GridEdit, CopyTakesTheEditorTextOrTheSelectedRecords)
{
    OpenEditable(3);
    grid->SetSelectedIndex(1);
    grid->SelectedRows()->Clear(); // the column move marked the current record
    Editor()->setSelection(0, 2);
    Editor()->EditCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("名前"));
    grid->SelectedRows()->SetCurrentRowSelected(true);
    query.Next();
    Editor()->selectAll();
    Editor()->EditCopy(); // record 1, not the editor's text of record 2
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("名前1"));
}

TEST_F(GridEdit, DeleteRemovesTheSelectedRecordsWithoutAQuestion)
{
    OpenEditable(5);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    query.MoveBy(2);
    grid->SelectedRows()->SetCurrentRowSelected(true);
    Editor()->EditDelete(); // a question would block here
    EXPECT_EQ(Ids(), (QList<int>{2, 4, 5}));
    EXPECT_EQ(deleted.size(), 2);
    EXPECT_TRUE(grid->SelectedRows()->IsEmpty());
}

TEST_F(GridEdit, PasteInsertsOneRecordPerLineBeforeTheCurrentOne)
{
    OpenEditable(3);
    query.Next(); // record 2
    QGuiApplication::clipboard()->setText(QStringLiteral("11\tabc\r\n12\tdef"));
    grid->EditPaste();
    EXPECT_EQ(posted, (QStringList{"insert 11,abc,,", "insert 12,def,,"}));
    // The two records, then the new empty one, before record 2.
    EXPECT_EQ(Ids(), (QList<int>{1, 11, 12, 0, 2, 3}));
    EXPECT_EQ(query.State(), dsInsert);
    EXPECT_FALSE(con.AutoCommit());
}

TEST_F(GridEdit, PasteStopsAtAValueItsFieldCannotTake)
{
    OpenEditable(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("5\ta\r\nx\tb\r\n"));
    try {
        grid->EditPaste();
        FAIL() << "no error";
    } catch (const EDBError &e) {
        EXPECT_TRUE(e.message().contains("'x'"));
        EXPECT_TRUE(e.message().contains("'id'"));
    }
    EXPECT_EQ(posted, (QStringList{"insert 5,a,,"}));
    EXPECT_EQ(query.State(), dsInsert);
    EXPECT_FALSE(query.ControlsDisabled());
}

TEST_F(GridEdit, InsertKeyEscapeAndDownAppend)
{
    OpenEditable(2);
    QTest::keyClick(Editor(), Qt::Key_Insert);
    EXPECT_EQ(query.State(), dsInsert);
    EXPECT_EQ(query.RecordCount(), 3);
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_EQ(query.State(), dsBrowse);
    EXPECT_EQ(query.RecordCount(), 2);
    query.Last();
    QTest::keyClick(Editor(), Qt::Key_Down); // appends at the end
    EXPECT_EQ(query.State(), dsInsert);
    EXPECT_EQ(query.RecordCount(), 3);
    QTest::keyClick(Editor(), Qt::Key_Down); // untouched at the end: nothing more
    EXPECT_EQ(query.RecordCount(), 3);
    QTest::keyClick(Editor(), Qt::Key_Up); // and Up drops it
    EXPECT_EQ(query.State(), dsBrowse);
    EXPECT_EQ(query.RecordCount(), 2);
    EXPECT_TRUE(posted.isEmpty());
}

TEST_F(GridEdit, SelectAllTakesTheTextFirstThenTheRecords)
{
    OpenEditable(3);
    grid->SetSelectedIndex(1);
    grid->SelectedRows()->Clear();
    Editor()->setSelection(1, 1);
    ASSERT_EQ(Editor()->selectedText(), QStringLiteral("前")) << Editor()->text().toStdString();
    Editor()->EditSelectAll();
    EXPECT_TRUE(grid->SelectedRows()->IsEmpty());
    EXPECT_EQ(Editor()->selectedText(), Editor()->text());
    Editor()->EditSelectAll();
    EXPECT_EQ(grid->SelectedRows()->Count(), 3);
}

TEST_F(GridEdit, CtrlClicksOnTheIndicatorSelectWhileTheEditorShows)
{
    OpenEditable(6);
    QWidget *indicator = grid->verticalHeader()->viewport();
    const auto click = [&](int row, Qt::KeyboardModifiers shift) {
        QTest::mouseClick(indicator, Qt::LeftButton, shift, indicator->mapFrom(grid, grid->CellRect(0, row).center()));
    };
    click(2, Qt::NoModifier);
    click(4, Qt::ControlModifier);
    click(5, Qt::ControlModifier);
    EXPECT_EQ(SelectedIds(), (QList<int>{2, 4, 5}));
    Editor()->EditDelete();
    EXPECT_EQ(Ids(), (QList<int>{1, 3, 6}));
}

TEST_F(GridEdit, ReadOnlyResultGetsNoEditorAndPasteDoesNothing)
{
    OpenNumbered(2);
    Show();
    EXPECT_FALSE(grid->EditorMode());
    QGuiApplication::clipboard()->setText(QStringLiteral("1\ta\r\n"));
    grid->EditPaste();
    EXPECT_EQ(query.RecordCount(), 2);
}

} // namespace
