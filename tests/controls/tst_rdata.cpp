// The result frame: its statement texts, the width file, the transaction
// rule, sorting, aggregates, editing commands and the cells it draws.
#include "gridtest.h"

#include "controls/rdata.h"
#include "core/zkoption.h"
#include "core/zksub_datetime.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_history.h"
#include "core/zksub_files.h"
#include "platform/rtl/exceptions.h"
#include "support/scripted/scriptedbackend.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// --- Texts ---------------------------------------------------------------------------

TEST(SortedStatement, Cases)
{
    const struct
    {
        const char *name;
        QString sql;
        QString sort;
        bool desc;
        QString expected;
    } cases[] = {
        {"TwoSemicolonsBySecondColumn", "select * from t;;", "2", false, "select * from t\n ORDER BY 2"},
        {"BlanksBetweenSemicolons", "select * from t ; ;  \r\n", "2", false, "select * from t \n ORDER BY 2"},
        {"Descending", "select * from t\n", "1", true, "select * from t\n ORDER BY 1 DESC"},
        {"CommentLineStaysAComment", "select * from t -- all", "3", false, "select * from t -- all\n ORDER BY 3"},
        {"OrderByInAComment", "select * from t -- ORDER BY x", "1", false, "select * from t -- ORDER BY x"},
        {"OrderByAnyCase", "select * from t order by a;", "1", true, "select * from t order by a;"},
        {"OrderByInASubquery", "select * from (select top 5 * from t order by a) x", "1", false,
         "select * from (select top 5 * from t order by a) x"},
        {"NoSort", "select 1;", "", false, "select 1;"},
        {"SemicolonInsideKept", "select ';' from t", "1", false, "select ';' from t\n ORDER BY 1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SortedStatement(c.sql, c.sort, c.desc), c.expected);
    }
}

TEST(AggregateStatement, BracketsTheFieldName)
{
    EXPECT_EQ(AggregateStatement("select sum(", "Order Date", "  select * from t  "),
              "select sum([Order Date]) from (select * from t) as dummy");
    EXPECT_EQ(AggregateStatement("select max(", "a]b", "select 1 as [a]]b]"),
              "select max([a]]b]) from (select 1 as [a]]b]) as dummy");
    EXPECT_EQ(AggregateStatement("select count(", "id", "select id from t"),
              "select count([id]) from (select id from t) as dummy");
}

TEST(ColumnWidthKeyUsable, Cases)
{
    EXPECT_TRUE(ColumnWidthKeyUsable("name"));
    EXPECT_TRUE(ColumnWidthKeyUsable("x]"));
    EXPECT_TRUE(ColumnWidthKeyUsable("[x]"));
    EXPECT_TRUE(ColumnWidthKeyUsable("日付 (開始)"));
    EXPECT_FALSE(ColumnWidthKeyUsable("a=b"));
    EXPECT_FALSE(ColumnWidthKeyUsable(";note"));
    EXPECT_FALSE(ColumnWidthKeyUsable("two\nlines"));
    EXPECT_FALSE(ColumnWidthKeyUsable("  "));
}

// --- Cell looks ---------------------------------------------------------------------------

TEST_F(GridTest, DataCellLookByTypeAndMode)
{
    Open({DescribeColumn("i", "int"), DescribeColumn("d", "decimal", 0, 10, 2), DescribeColumn("s", "nvarchar", 10),
          DescribeColumn("m", "nvarchar", -1), DescribeColumn("b", "varbinary", -1), DescribeColumn("n", "int"),
          DescribeColumn("f", "float")},
         {{7, "0.50", "abc", "memo", QByteArray("\xab\xcd", 2), QVariant(), 0.5}}, false);
    auto look = [&](int field, int mode, bool showNull = true) {
        return DataCellLook(query.Fields(field), mode, showNull);
    };
    // The record grid.
    EXPECT_TRUE(look(0, -1).own);
    EXPECT_EQ(look(0, -1).alignment, taRightJustify);
    EXPECT_EQ(look(1, -1).text, "0.50");
    EXPECT_FALSE(look(2, -1).own) << "nvarchar keeps the grid's drawing";
    EXPECT_TRUE(look(3, -1).own);
    EXPECT_EQ(look(3, -1).alignment, taLeftJustify);
    EXPECT_TRUE(look(4, -1).own);
    EXPECT_EQ(look(4, -1).text, look(4, -1).text.toUpper());
    EXPECT_TRUE(look(5, -1).nullText);
    EXPECT_EQ(look(5, -1).text, "(NULL)");
    EXPECT_EQ(look(5, -1).alignment, taLeftJustify);
    EXPECT_FALSE(look(5, -1, false).nullText);
    EXPECT_EQ(look(6, -1).text.left(2), "0.") << "a number never starts with its decimal point";
    // The transposed grid by DataShowMode.
    for (int f = 0; f < 7; ++f) {
        SCOPED_TRACE(f);
        EXPECT_TRUE(look(f, 1).own);
        EXPECT_EQ(look(f, 1).alignment, taLeftJustify);
        EXPECT_TRUE(look(f, 2).own);
        EXPECT_EQ(look(f, 2).alignment, taRightJustify);
    }
    EXPECT_TRUE(look(4, 3).own);
    EXPECT_EQ(look(4, 3).alignment, taRightJustify);
    EXPECT_FALSE(look(5, 3).own);
    EXPECT_FALSE(look(0, 3).own);
}

// --- The frame on the scripted backend ---------------------------------------------------

const char *const kRules = R"(
rule exact: select * from dbo.people;;
  result: id int, name nvarchar(20), ver timestamp
  row: 1, N'一郎', 0x00000000000007D1
  row: 2, N'二郎', 0x00000000000007D2

rule exact: select * from dbo.people ORDER BY 2
  result: id int, name nvarchar(20), ver timestamp
  row: 2, N'二郎', 0x00000000000007D2
  row: 1, N'一郎', 0x00000000000007D1

rule exact: select * from dbo.people ORDER BY 2 DESC
  result: id int, name nvarchar(20), ver timestamp
  row: 1, N'一郎', 0x00000000000007D1
  row: 2, N'二郎', 0x00000000000007D2

rule exact: select * from dbo.people order by id
  result: id int, name nvarchar(20)
  row: 1, N'一郎'

rule regex: ^select \* from dbo\.docs\s+ORDER BY 1$
  error: 306, 2, 16, 1, The text, ntext, and image data types cannot be compared or sorted.

rule contains: from dbo.people where id > @P1 ORDER BY 2
  result: id int, name nvarchar(20)
  row: 5, N'五郎'

rule contains: from dbo.people where id > @P1
  result: id int, name nvarchar(20)
  row: 4, N'四郎'

rule exact: select count([name]) from (select * from dbo.people) as dummy
  result: c int
  row: 0

rule exact: select sum([id]) from (select * from dbo.people) as dummy
  result: s int
  row: NULL

rule exact: select sum([Order ]]Date]) from (select 1234.5 as [Order ]]Date]) as dummy
  result: s decimal(10,1)
  row: 1234.5

rule exact: select 1234.5 as [Order ]]Date]
  result: [Order ]]Date] decimal(10,1)
  row: 1234.5

rule exact: select * from dbo.wide
  result: a int, b int
  row: 1, 2

rule exact: select * from dbo.marks
  result: id int, [a=b] int, [x]]] int, name nvarchar(20)
  row: 1, 2, 3, N'x'

rule exact: select * from dbo.nulls
  result: id int, note nvarchar(20), amount decimal(10,2)
  row: 1, NULL, .5
  row: 2, N'二', 1.5
  row: 3, N'三', 2.5
)";

class Owner
    : public QObject
    , public IzkDataFrameOwner
{
public:
    explicit Owner(TzkDataOwnerKind kind)
        : m_kind(kind)
    {
    }
    TzkDataOwnerKind DataOwnerKind() const override { return m_kind; }
    bool DataColumnComment(const QString &fieldName, QString &comment) const override
    {
        if (fieldName != QLatin1String("name"))
            return false;
        comment = QStringLiteral("氏名");
        return true;
    }

private:
    TzkDataOwnerKind m_kind;
};

class FrameTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        saved = zkOption;
        ASSERT_TRUE(dir.isValid());
        zkOption.TempDir = dir.filePath(QStringLiteral("temp/"));
        zkOption.UpdateMode = true;
        zkOption.AutoTran = false;
        zkOption.Encoding = 2;
        script = std::make_shared<TScript>();
        QString error;
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/editing.rules", &error)) << error.toStdString();
        ASSERT_TRUE(script->LoadText(QString::fromUtf8(kRules), "frame", &error)) << error.toStdString();
        scope = std::make_unique<TScriptedScope>(script);
        con.Params().SetValue("User_Name", "sa");
        con.Params().SetValue("Database", "Sales");
        con.Open();
    }
    void TearDown() override
    {
        frame.reset();
        owner.reset();
        zkOption = saved;
    }

    TfraData *Make(TzkDataOwnerKind kind = dokOther)
    {
        owner = std::make_unique<Owner>(kind);
        frame = std::make_unique<TfraData>(kind == dokOther ? nullptr : owner.get());
        frame->resize(640, 300);
        frame->qryData->SetConnection(&con);
        return frame.get();
    }
    void OpenFrame(const QString &sql)
    {
        frame->SetSQL(sql);
        frame->Prepare();
        frame->Open();
    }
    QStringList Batches() const
    {
        QStringList list;
        for (const TScriptEntry &e : script->Log()) {
            if (e.kind == TScriptEntry::Batch || e.kind == TScriptEntry::Rpc)
                list << e.text;
        }
        return list;
    }

    TzkOption saved;
    QTemporaryDir dir;
    std::shared_ptr<TScript> script;
    std::unique_ptr<TScriptedScope> scope;
    TFDConnection con;
    std::unique_ptr<Owner> owner;
    std::unique_ptr<TfraData> frame;
};

TEST_F(FrameTest, CreatedClosedWithRecordGridShown)
{
    Make();
    EXPECT_TRUE(frame->GridType());
    EXPECT_FALSE(frame->grdData1->isHidden());
    EXPECT_TRUE(frame->grdData2->isHidden());
    EXPECT_TRUE(frame->btnUpdate->isChecked());
    EXPECT_FALSE(frame->btnComHeader->isEnabled()) << "only the table and view editors show comments";
    for (QToolButton *b : {frame->btnExcel, frame->btnCSV, frame->btnIns, frame->btnDel, frame->btnFirst})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(frame->grdData2->DataSource(), frame->dsrTableData);
    EXPECT_EQ(frame->grdData1->DataSource(), frame->dsrTableData);
    Make(dokView);
    EXPECT_TRUE(frame->btnComHeader->isEnabled());
}

TEST_F(FrameTest, EditableResultEnablesRecordCommands)
{
    Make();
    OpenFrame("select * from dbo.people");
    EXPECT_TRUE(frame->ResultWritable());
    EXPECT_TRUE(frame->btnIns->isEnabled());
    EXPECT_TRUE(frame->mnuPaste->isEnabled());
    EXPECT_TRUE(frame->btnExcel->isEnabled());
    EXPECT_TRUE(frame->grdData1->Options().Has(dgEditing));

    Make();
    OpenFrame("select id, name from dbo.people p join dbo.docs d on d.id = p.id");
    EXPECT_FALSE(frame->ResultWritable());
    EXPECT_FALSE(frame->btnDel->isEnabled());
    EXPECT_TRUE(frame->btnCopy->isEnabled());
}

TEST_F(FrameTest, TitleClickSortsThenReverses)
{
    Make();
    OpenFrame("select * from dbo.people;;");
    script->ClearLog();
    frame->grdData1TitleClick(frame->grdData1->Columns()->Items(1));
    EXPECT_EQ(frame->Sort(), "2");
    EXPECT_FALSE(frame->Desc());
    EXPECT_EQ(frame->qryData->SQL(), "select * from dbo.people\n ORDER BY 2");
    EXPECT_TRUE(Batches().contains("select * from dbo.people\n ORDER BY 2"));
    EXPECT_EQ(frame->qryData->Fields(0)->AsInteger(), 2);
    frame->grdData1TitleClick(frame->grdData1->Columns()->Items(1));
    EXPECT_TRUE(frame->Desc());
    EXPECT_EQ(frame->qryData->Fields(0)->AsInteger(), 1);
    // Writing SQL forgets the sort.
    frame->SetSQL("select * from dbo.people");
    EXPECT_TRUE(frame->Sort().isEmpty());
}

TEST_F(FrameTest, StatementWithOrderByKeepsItsOrderButRemembersTheClick)
{
    Make();
    OpenFrame("select * from dbo.people order by id");
    frame->grdData1TitleClick(frame->grdData1->Columns()->Items(0));
    EXPECT_EQ(frame->qryData->SQL(), "select * from dbo.people order by id");
    EXPECT_EQ(frame->Sort(), "1");
    frame->grdData1TitleClick(frame->grdData1->Columns()->Items(0));
    EXPECT_TRUE(frame->Desc());
    EXPECT_TRUE(frame->qryData->Active());
}

TEST_F(FrameTest, FailedSortWarnsAndReopensUnsorted)
{
    script->LoadText("rule exact: select * from dbo.docs\n  result: body ntext\n  row: N'x'\n");
    Make();
    OpenFrame("select * from dbo.docs");
    QString text;
    AnswerMessage(IDOK, &text);
    frame->grdData1TitleClick(frame->grdData1->Columns()->Items(0));
    EXPECT_EQ(text, "ntext、text、image、geography、geometry、および xml 型の列は、ORDER BY 句では使用できません。");
    EXPECT_TRUE(frame->Sort().isEmpty());
    EXPECT_TRUE(frame->qryData->Active());
    EXPECT_EQ(frame->qryData->SQL(), "select * from dbo.docs");
}

TEST_F(FrameTest, SortKeepsBindValues)
{
    Make();
    // As the SQL window does: it prepares the query itself.
    const QString sql = "select * from dbo.people where id > :ID";
    frame->SetSQL(sql);
    frame->qryData->SetSQL(sql);
    frame->qryData->ParamByName("ID").SetAsInteger(3);
    frame->Open();
    EXPECT_EQ(frame->qryData->Fields(0)->AsInteger(), 4);
    script->ClearLog();
    frame->SortByColumn("2", false);
    EXPECT_EQ(frame->qryData->Fields(0)->AsInteger(), 5);
    EXPECT_EQ(frame->qryData->ParamByName("ID").AsInteger(), 3);
    const QStringList lines = script->LogLines();
    EXPECT_TRUE(lines.filter("ORDER BY 2").filter("= 3").size() == 1) << lines.join("\n").toStdString();
}

TEST_F(FrameTest, TransactionRule)
{
    // AutoTran off: a transaction the layer started is committed by an open.
    Make();
    con.StartTransaction();
    script->ClearLog();
    OpenFrame("select * from dbo.people order by id");
    EXPECT_TRUE(Batches().contains("COMMIT TRANSACTION")) << Batches().join("\n").toStdString();
    EXPECT_FALSE(con.InTransaction());

    // A user's own BEGIN TRAN is not the layer's: it stays open.
    con.ExecSQL("begin tran");
    script->ClearLog();
    frame->Open();
    EXPECT_FALSE(Batches().contains("COMMIT TRANSACTION"));

    // AutoTran on: one is started, once.
    con.ExecSQL("commit");
    zkOption.AutoTran = true;
    script->ClearLog();
    frame->Open();
    frame->Open();
    EXPECT_EQ(Batches().count("BEGIN TRANSACTION"), 1) << Batches().join("\n").toStdString();
    EXPECT_TRUE(con.InTransaction());
    con.Rollback();
}

TEST_F(FrameTest, AggregatesBracketTheNameAndReport)
{
    Make();
    OpenFrame("select * from dbo.people");
    frame->popColumnPopup();
    frame->SelectedColumn = frame->grdData1->Columns()->Items(1);
    QString text;
    AnswerMessage(IDOK, &text);
    frame->mnuCountClick();
    EXPECT_EQ(text, "[name]列の件数 = 0");

    frame->SelectedColumn = frame->grdData1->Columns()->Items(0);
    AnswerMessage(IDOK, &text);
    EXPECT_THROW(frame->mnuSumClick(), EAbort);
    EXPECT_EQ(text, "レコードがありません");

    AnswerMessage(IDOK, &text);
    frame->mnuAverageClick();
    EXPECT_EQ(text, "集計情報を求めることができません。");

    Make();
    OpenFrame("select 1234.5 as [Order ]]Date]");
    frame->popColumnPopup();
    AnswerMessage(IDOK, &text);
    frame->mnuSumClick();
    EXPECT_EQ(text, "[Order ]Date]列の合計 = 1,234.5");
}

TEST_F(FrameTest, ColumnWidthsReadAndWrittenForTables)
{
    Make(dokTable);
    frame->SetDBName("SRV.Sales");
    frame->SetTableName("dbo.people");
    const QString file = ColumnWidthFileName("SRV.Sales", "dbo.people");
    EXPECT_EQ(file, zkOption.TempDir + "SRV.Sales.dbo.people.ini");
    QDir().mkpath(zkOption.TempDir);
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            "\xEF\xBB\xBF[WHERE]\r\n00=id > 1\r\n[COLWIDTH_V]\r\nid=0\r\nname=400\r\n[COLWIDTH_H]\r\n(ALL)=150\r\n");
    }
    OpenFrame("select * from dbo.people");
    const int limit = QFontMetrics(frame->grdData1->font()).horizontalAdvance(QString(zkOption.DataColWidthV, 'A'));
    TDBGridColumns *columns = frame->grdData1->Columns();
    EXPECT_LE(columns->Items(0)->Width(), limit);
    EXPECT_GT(columns->Items(1)->Width(), limit) << "a stored width above the limit is kept";
    EXPECT_NEAR(columns->Items(1)->Width(), 400, 10);
    EXPECT_EQ(frame->grdData2->DefaultColWidth(), 150);

    columns->Items(0)->SetWidth(77);
    frame->qryData->Close();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.contains("[WHERE]\r\n00=id > 1")) << "the WHERE history stays";
    EXPECT_TRUE(bytes.contains("(ALL)=150"));
    const TzkIniFile ini(file, GetFileEncoding());
    EXPECT_NEAR(ini.ReadString("COLWIDTH_V", "id", "").toInt(), 77, 8);
}

TEST_F(FrameTest, AwkwardCaptionsNeverCorruptTheWidthFile)
{
    Make(dokView);
    frame->SetDBName("SRV.Sales");
    frame->SetTableName("dbo.marks");
    OpenFrame("select * from dbo.marks");
    frame->qryData->Close();
    const QString file = ColumnWidthFileName("SRV.Sales", "dbo.marks");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_FALSE(text.contains("a=b=")) << text.toStdString();
    const TzkIniFile ini(file, GetFileEncoding());
    EXPECT_GT(ini.ReadString("COLWIDTH_V", "x]", "").toInt(), 0) << text.toStdString();
    EXPECT_GT(ini.ReadString("COLWIDTH_V", "name", "").toInt(), 0);
    EXPECT_EQ(ini.ReadString("COLWIDTH_V", "a", "none"), "none");
}

TEST_F(FrameTest, ManyColumnsAndOtherOwnersNeverTouchTheFile)
{
    QStringList columns, values;
    for (int i = 1; i <= 120; ++i) {
        columns << QStringLiteral("c%1 int").arg(i);
        values << QString::number(i);
    }
    script->LoadText("rule exact: select * from dbo.many\n  result: " + columns.join(", ")
                     + "\n  row: " + values.join(", ") + "\n");
    Make(dokTable);
    frame->SetDBName("SRV.Sales");
    frame->SetTableName("dbo.many");
    OpenFrame("select * from dbo.many");
    frame->qryData->Close();
    EXPECT_FALSE(QFile::exists(ColumnWidthFileName("SRV.Sales", "dbo.many")));

    Make(dokOther);
    frame->SetDBName("SRV.Sales");
    frame->SetTableName("dbo.wide");
    OpenFrame("select * from dbo.wide");
    frame->qryData->Close();
    EXPECT_FALSE(QFile::exists(ColumnWidthFileName("SRV.Sales", "dbo.wide")));
}

TEST_F(FrameTest, EditSwitchOnReadOnlyResultWarns)
{
    zkOption.UpdateMode = false;
    Make();
    OpenFrame("select id, name from dbo.people p join dbo.docs d on d.id = p.id");
    EXPECT_FALSE(frame->btnUpdate->isChecked());
    QString text;
    AnswerMessage(IDOK, &text);
    frame->btnUpdate->setChecked(true);
    frame->btnUpdateClick();
    EXPECT_EQ(text, "この結果セットには書き込み出来ません。");
    EXPECT_FALSE(frame->btnUpdate->isChecked());
    EXPECT_FALSE(frame->grdData1->Options().Has(dgEditing));
}

TEST_F(FrameTest, EditSwitchReopensEditable)
{
    zkOption.UpdateMode = false;
    Make();
    OpenFrame("select * from dbo.people");
    EXPECT_FALSE(frame->ResultWritable());
    EXPECT_FALSE(frame->grdData1->Options().Has(dgEditing));
    frame->btnUpdate->setChecked(true);
    frame->btnUpdateClick();
    EXPECT_TRUE(frame->ResultWritable());
    EXPECT_TRUE(frame->grdData1->Options().Has(dgEditing));
}

TEST_F(FrameTest, CtrlZeroClearsOnlyWhileEditing)
{
    Make();
    OpenFrame("select * from dbo.people");
    frame->grdData1->SetSelectedIndex(1);
    int key = Qt::Key_0;
    frame->btnUpdate->setChecked(false);
    frame->grdData1KeyDown(key, Qt::ControlModifier);
    EXPECT_FALSE(frame->qryData->Fields(1)->IsNull());
    EXPECT_EQ(frame->qryData->State(), dsBrowse);

    frame->btnUpdate->setChecked(true);
    key = Qt::Key_0;
    frame->grdData1KeyDown(key, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(frame->qryData->Fields(1)->IsNull());
    EXPECT_EQ(frame->qryData->State(), dsEdit);
    frame->qryData->Cancel();
}

TEST_F(FrameTest, DeleteWithNoRecordAborts)
{
    script->LoadText("rule exact: select * from dbo.people where 1 = 0\n  result: id int, name nvarchar(20), ver "
                     "timestamp\n");
    Make();
    OpenFrame("select * from dbo.people where 1 = 0");
    EXPECT_THROW(frame->btnDelClick(), EAbort);
}

TEST_F(FrameTest, DeletingSelectedRecordsGoesFromTheLastAndRereads)
{
    script->LoadText("rule exact: select * from dbo.five\n  result: id int\n  row: 1\n  row: 2\n  row: 3\n"
                     "  row: 4\n  row: 5\n");
    Make();
    OpenFrame("select * from dbo.five");
    QList<int> deleted;
    frame->qryData->SetDeleteHandler(
        [&deleted](TFDQuery *q, TRecordId r) { deleted << q->Fields(0)->ValueAt(r).toInt(); });
    for (int recNo : {2, 4, 5}) {
        frame->qryData->SetRecNo(recNo);
        frame->grdData1->SelectedRows()->SetCurrentRowSelected(true);
    }
    const quint64 generation = frame->qryData->Generation();
    QString text;
    AnswerMessage(IDOK, &text);
    frame->btnDelClick();
    EXPECT_EQ(text, "レコードを削除しますか？");
    EXPECT_EQ(deleted, (QList<int>{5, 4, 2}));
    EXPECT_GT(frame->qryData->Generation(), generation) << "the result is read anew";
    EXPECT_TRUE(frame->qryData->Active());

    deleted.clear();
    frame->qryData->SetDeleteHandler([&deleted](TFDQuery *q, TRecordId r) { deleted << int(r); });
    AnswerMessage(IDCANCEL, &text);
    frame->btnDelClick();
    EXPECT_TRUE(deleted.isEmpty());
}

TEST_F(FrameTest, CommentTitlesFromTheOwner)
{
    Make(dokTable);
    OpenFrame("select * from dbo.people");
    frame->btnComHeaderClick();
    EXPECT_EQ(frame->grdData1->Columns()->Items(1)->Title()->Caption(), "氏名");
    EXPECT_EQ(frame->grdData1->Columns()->Items(0)->Title()->Caption(), "id");
    frame->btnComHeaderClick();
    EXPECT_EQ(frame->grdData1->Columns()->Items(1)->Title()->Caption(), "name");
}

TEST_F(FrameTest, PrimaryOnlyForTheTableEditor)
{
    Make(dokView);
    frame->SetPrimary({"id"});
    EXPECT_TRUE(frame->Primary().isEmpty());
    Make(dokTable);
    frame->SetPrimary({"id"});
    EXPECT_EQ(frame->Primary(), QStringList{"id"});
    frame->show();
    OpenFrame("select * from dbo.people");
    frame->grdData1->grab();
    EXPECT_EQ(frame->grdData1->Columns()->Items(0)->Title()->Color(), 8910335);
    EXPECT_NE(frame->grdData1->Columns()->Items(1)->Title()->Color(), 8910335);
}

TEST_F(FrameTest, MemoEditorWritesTheCell)
{
    Make();
    OpenFrame("select * from dbo.people");
    frame->grdData1->SetSelectedIndex(1);
    struct Call
    {
        QString text;
        bool isNull = false;
        bool showNull = false;
        bool readOnly = true;
    } call;
    TfraData::ShowMemoWindow = [&call](QString &text, bool &isNull, bool showNull, bool readOnly) {
        call = {text, isNull, showNull, readOnly};
        text = QStringLiteral("長い文章");
        isNull = false;
        return 1;
    };
    frame->grdData1EditButtonClick();
    TfraData::ShowMemoWindow = nullptr;
    EXPECT_EQ(call.text, "一郎");
    EXPECT_TRUE(call.showNull);
    EXPECT_FALSE(call.readOnly);
    EXPECT_EQ(frame->qryData->State(), dsEdit);
    EXPECT_EQ(frame->qryData->Fields(1)->AsString(), "長い文章");
    frame->qryData->Cancel();

    frame->btnUpdate->setChecked(false);
    TfraData::ShowMemoWindow = [&call](QString &, bool &, bool, bool readOnly) {
        call.readOnly = readOnly;
        return 2;
    };
    frame->grdData1EditButtonClick();
    TfraData::ShowMemoWindow = nullptr;
    EXPECT_TRUE(call.readOnly);
    EXPECT_EQ(frame->qryData->State(), dsBrowse);
}

TEST_F(FrameTest, DatePickerKeepsTheFraction)
{
    // The layer's text carries milliseconds; the picker shows whole seconds.
    SetDateTimeFormats("yyyy/MM/dd", "HH:mm:ss.zzz");
    struct Restore
    {
        ~Restore() { SetDateTimeFormats("yyyy/MM/dd", "HH:mm:ss"); }
    } restore;
    script->LoadText(R"(
rule exact: select * from dbo.events
  result: id int, at datetime
  row: 1, '2024-01-31 12:34:56.790'

rule contains: DECLARE @zk_id int = OBJECT_ID(@P1)
  params: @P1 = N'dbo\.events'
  result: type nvarchar(2), schema_name nvarchar(128), name nvarchar(128)
  row: N'U', N'dbo', N'events'
  result: name nvarchar(128), type_name nvarchar(128), max_length smallint, precision tinyint, scale tinyint, is_identity bit, is_computed bit
  row: N'id', N'int', 4, 10, 0, 0, 0
  row: N'at', N'datetime', 8, 23, 3, 0, 0
  result: index_id int, is_primary_key bit, name nvarchar(128)
  row: 1, 1, N'id'
)");
    Make();
    frame->show();
    OpenFrame("select * from dbo.events");
    ASSERT_TRUE(frame->ResultWritable());
    EXPECT_EQ(frame->grdData1->Columns()->Items(1)->ButtonStyle(), cbsEllipsis);
    EXPECT_EQ(frame->grdData1->Columns()->Items(0)->ButtonStyle(), cbsNone);
    frame->grdData1->SetSelectedIndex(1);
    const QString before = frame->qryData->Fields(1)->AsString();
    ASSERT_TRUE(before.contains('.')) << before.toStdString();
    frame->grdData1EditButtonClick();
    ASSERT_TRUE(frame->dtpInputDate->isVisible());
    EXPECT_EQ(frame->dtpInputDate->dateTime(), QDateTime(QDate(2024, 1, 31), QTime(12, 34, 56)));
    EXPECT_EQ(frame->dtpInputDate->text(), "2024/01/31 12:34:56");
    frame->dtpInputDate->setDate(QDate(2024, 2, 1));
    EXPECT_EQ(frame->qryData->State(), dsEdit);
    EXPECT_EQ(frame->qryData->Fields(1)->AsString(), "2024/02/01 12:34:56" + before.mid(before.indexOf('.')));
    frame->dtpInputDateCloseUp();
    EXPECT_FALSE(frame->dtpInputDate->isVisible());
    frame->qryData->Cancel();
}

TEST_F(FrameTest, DatePickerOnAnEmptyCellShowsNoDateUntilOneIsChosen)
{
    SetDateTimeFormats("yyyy/MM/dd", "HH:mm:ss");
    script->LoadText(R"(
rule exact: select * from dbo.events
  result: id int, at datetime
  row: 1, NULL

rule contains: DECLARE @zk_id int = OBJECT_ID(@P1)
  params: @P1 = N'dbo\.events'
  result: type nvarchar(2), schema_name nvarchar(128), name nvarchar(128)
  row: N'U', N'dbo', N'events'
  result: name nvarchar(128), type_name nvarchar(128), max_length smallint, precision tinyint, scale tinyint, is_identity bit, is_computed bit
  row: N'id', N'int', 4, 10, 0, 0, 0
  row: N'at', N'datetime', 8, 23, 3, 0, 0
  result: index_id int, is_primary_key bit, name nvarchar(128)
  row: 1, 1, N'id'
)");
    Make();
    frame->show();
    OpenFrame("select * from dbo.events");
    frame->grdData1->SetSelectedIndex(1);
    frame->grdData1EditButtonClick();
    ASSERT_TRUE(frame->dtpInputDate->isVisible());
    EXPECT_TRUE(frame->dtpInputDate->text().isEmpty());
    EXPECT_EQ(frame->dtpInputDate->time(), QTime(0, 0));
    frame->dtpInputDate->setDate(QDate(2025, 3, 4));
    EXPECT_EQ(frame->qryData->Fields(1)->AsString(), "2025/03/04 00:00:00");
    EXPECT_EQ(frame->dtpInputDate->text(), "2025/03/04");
    frame->qryData->Cancel();
}

TEST_F(FrameTest, PopupMenusByPosition)
{
    Make();
    frame->show();
    OpenFrame("select * from dbo.people");
    QApplication::processEvents();
    TzkDBGridV *g = frame->grdData1;
    const int title = g->horizontalHeader()->height();
    EXPECT_EQ(frame->PopupMenuAt(QPoint(3, title + 10)), frame->popRecord);
    EXPECT_EQ(frame->PopupMenuAt(QPoint(100, 5)), frame->popColumn);
    EXPECT_EQ(frame->PopupMenuAt(QPoint(100, title + 10)), nullptr);
    frame->btnGridTypeClick();
    QApplication::processEvents();
    TzkDBGridH *h = frame->grdData2;
    const int titleWidth = h->verticalHeader()->width();
    EXPECT_EQ(frame->PopupMenuAt(QPoint(titleWidth + 20, 2)), frame->popRecord);
    EXPECT_EQ(frame->PopupMenuAt(QPoint(5, 40)), frame->popColumn);
    EXPECT_EQ(frame->PopupMenuAt(QPoint(titleWidth + 20, 40)), nullptr);
    frame->btnUpdate->hide();
    EXPECT_EQ(frame->PopupMenuAt(QPoint(5, 40)), nullptr);
}

// --- Drawing, sampled from the screen ------------------------------------------------------

QColor Sample(QWidget *grid, const QRect &cell)
{
    const QImage image = grid->grab().toImage();
    const QPoint p = cell.topLeft() + QPoint(cell.width() - 4, cell.height() - 3);
    return image.pixelColor(p * image.devicePixelRatio());
}

bool HasBlue(QWidget *grid, const QRect &cell)
{
    const QImage image = grid->grab().toImage();
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor c = image.pixelColor(QPoint(x, y) * image.devicePixelRatio());
            if (c.blue() > 180 && c.red() < 100 && c.green() < 100)
                return true;
        }
    return false;
}

// The first and last columns of dark pixels in the cell; -1 when none.
std::pair<int, int> InkSpan(QWidget *grid, const QRect &cell)
{
    const QImage image = grid->grab().toImage();
    int first = -1, last = -1;
    for (int x = cell.left(); x <= cell.right(); ++x)
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            if (image.pixelColor(QPoint(x, y) * image.devicePixelRatio()).lightness() < 110) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    return {first, last};
}

TEST_F(FrameTest, StripesAndNullsAreDrawn)
{
    zkOption.AddStripe = true;
    zkOption.ShowNull = true;
    Make();
    frame->show();
    OpenFrame("select * from dbo.nulls");
    frame->btnLastClick();
    QApplication::processEvents();
    TzkDBGridV *g = frame->grdData1;
    const QRect first = g->CellRect(3, 1);
    const QRect second = g->CellRect(3, 2);
    EXPECT_EQ(Sample(g, first), QColor(249, 244, 255)) << "record 1 is striped";
    EXPECT_EQ(Sample(g, second), ColorToQColor(clWindow)) << "record 2 is not";
    EXPECT_TRUE(HasBlue(g, g->CellRect(2, 1))) << "(NULL) in blue";
    EXPECT_FALSE(HasBlue(g, g->CellRect(2, 2)));
    zkOption.ShowNull = false;
    g->viewport()->update();
    EXPECT_FALSE(HasBlue(g, g->CellRect(2, 1)));
}

TEST_F(FrameTest, TransposedGridAlignsByShowMode)
{
    Make();
    frame->show();
    OpenFrame("select * from dbo.nulls");
    frame->btnGridTypeClick();
    EXPECT_FALSE(frame->GridType());
    QApplication::processEvents();
    TzkDBGridH *g = frame->grdData2;
    const QRect cell = g->GetCellRect(1, 1); // record 1, field "id"
    zkOption.DataShowMode = 1;
    const auto left = InkSpan(g, cell);
    zkOption.DataShowMode = 2;
    g->viewport()->update();
    const auto right = InkSpan(g, cell);
    ASSERT_GE(left.first, 0);
    ASSERT_GE(right.first, 0);
    EXPECT_LE(left.first - cell.left(), 4);
    EXPECT_LE(cell.right() - right.second, 5);
    EXPECT_GT(right.first, left.first + 10);
}

} // namespace
