#include "connection/testhelpers.h"

#include "connection/fobject_open.h"
#include "controls/zkgrid.h"
#include "controls/zkstdctl.h"
#include "core/zkactions.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "editors/table/ftable.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include "editors/golden.h"

#include <gtest/gtest.h>

namespace {

const char *const kGoldenFile = ZK_SOURCE_DIR "/tests/editors/table/data/table_queries.txt";

// The catalogue profiles: server version and Azure.
struct Profile
{
    const char *name;
    int version;
    bool azure;
};
const Profile kProfiles[] = {{"V8", 8, false},   {"V9", 9, false}, {"V10", 10, false},
                             {"V13", 13, false}, {"AZ", 12, true}, {"AZ13", 13, true}};

QString QueriesText(const TTableQueries &q)
{
    QStringList parts;
    const QList<QPair<const char *, QString>> named{
        {"qryTable", q.Table},   {"qryColumn", q.Column},     {"qryConst1", q.Const1},    {"qryConst2", q.Const2},
        {"qryConst3", q.Const3}, {"qryTemporal", q.Temporal}, {"qryConstDef", q.ConstDef}};
    for (const auto &p : named)
        parts << QStringLiteral("-- ") + QLatin1String(p.first) + QStringLiteral("\r\n") + p.second;
    return parts.join(QStringLiteral("\r\n"));
}

QMap<QString, QString> GoldenCases()
{
    QMap<QString, QString> cases;
    for (const Profile &p : kProfiles)
        for (const char *name : {"T1", "#t"})
            cases.insert(QLatin1String(p.name) + (name[0] == '#' ? QStringLiteral("_hash") : QString()),
                         QueriesText(TableQueries(QStringLiteral("use SalesDB\r\n"), p.version, p.azure,
                                                  QString::fromUtf8(name))));
    return cases;
}

} // namespace

// The seven catalogue texts per server, whole. ZK_UPDATE_GOLDEN=1 rewrites
// the file from the builder (read the diff!).
TEST(TableQueriesTest, MatchTheGoldenTexts)
{
    const QMap<QString, QString> cases = GoldenCases();
    TGoldenFile golden(QString::fromUtf8(kGoldenFile));
    for (auto it = cases.begin(); it != cases.end(); ++it)
        EXPECT_TRUE(golden.Matches(it.key(), it.value())) << it.key().toStdString();
}

// What every server's texts share: names in object_id and the identity
// functions come from quoted parts, and only a "#" name is found by like.
TEST(TableQueriesTest, QuotedNamesAndTheLikeCondition)
{
    for (const Profile &p : kProfiles) {
        SCOPED_TRACE(p.name);
        const TTableQueries q = TableQueries(QStringLiteral("use SalesDB\r\n"), p.version, p.azure, "T1");
        const QString all = QueriesText(q);
        EXPECT_FALSE(all.contains(QStringLiteral("object_id(:OWNER + '.'"), Qt::CaseInsensitive));
        EXPECT_FALSE(all.contains(QStringLiteral("TABLE_SCHEMA + '.'")));
        EXPECT_TRUE(q.Table.contains(QStringLiteral("IDENT_SEED(quotename(")));
        EXPECT_TRUE(q.Table.endsWith(QStringLiteral(" and a.name = :NAME")));
        EXPECT_TRUE(TableQueries(QString(), p.version, p.azure, "#t")
                        .Table.endsWith(QStringLiteral(" and a.name like :NAME + N'%'")));
        for (const QString *s : {&q.Table, &q.Column, &q.Const1, &q.Const2, &q.Const3})
            EXPECT_TRUE(s->startsWith(QStringLiteral("use SalesDB\r\n")));
        EXPECT_FALSE(q.Temporal.startsWith(QStringLiteral("use")));
        EXPECT_FALSE(q.ConstDef.startsWith(QStringLiteral("use")));
    }
}

TEST(TableEditorStatic, ChkNPrefixForDef)
{
    struct Case
    {
        const char *value;
        const char *type;
        bool expected;
    };
    for (const Case &c : {Case{"('abc')", "nvarchar", true}, Case{"('abc')", "NChar", true},
                          Case{"('abc')", "ntext", true}, Case{"(N'abc')", "NVARCHAR", false},
                          Case{"('abc')", "varchar", false}, Case{"('abc')", "nvarchar2", false}}) {
        SCOPED_TRACE(std::string(c.value) + " " + c.type);
        EXPECT_EQ(TfrmTable::ChkNPrefixForDef(QString::fromUtf8(c.value), QString::fromUtf8(c.type)), c.expected);
    }
}

TEST(TableEditorStatic, LengthByType)
{
    struct Case
    {
        const char *type;
        const char *maxLength;
        const char *precision;
        const char *scale;
        const char *timeScale;
        int version;
        const char *expected;
    };
    const Case cases[] = {
        {"varchar", "-1", "", "", "", 8, "-1"},     {"varchar", "-1", "", "", "", 9, "max"},
        {"NVARCHAR", "40", "", "", "", 9, "40"},    {"varbinary", "-1", "", "", "", 13, "max"},
        {"char", "10", "", "", "", 9, "10"},        {"binary", "16", "", "", "", 9, "16"},
        {"float", "", "53", "", "", 9, ""},         {"float", "", "53", "", "", 10, "53"},
        {"decimal", "", "10", "2", "", 9, "10,2"},  {"numeric", "", "18", "0", "", 8, "18,0"},
        {"datetime2", "", "27", "3", "3", 10, "3"}, {"time", "", "16", "7", "7", 10, "7"},
        {"int", "", "10", "0", "0", 13, ""},        {"datetimeoffset", "", "", "", "2", 10, "2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.type) + " v" + std::to_string(c.version));
        EXPECT_EQ(ColumnLengthText(c.type, c.maxLength, c.precision, c.scale, c.timeScale, c.version),
                  QString::fromUtf8(c.expected));
    }
}

class TfrmTableTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/editors/table_catalogue.rules", &error)) << error.toStdString();
        RegisterTableEditorWindows();
        form = logon();
        ASSERT_TRUE(form);
        saved = EditorServices();
        EditorServices().Message = [this](const QString &text, int) {
            messages << text;
            return IDOK;
        };
    }
    void TearDown() override
    {
        EditorServices() = saved;
        TfrmTable::SaveFileName = nullptr;
        ConnectionWindowTest::TearDown();
    }
    void profile(int version, bool azure)
    {
        form->DBVer = version;
        form->IsAzure = azure;
    }
    TfrmTable *open(const QString &name, TOpenMode mode = omDefine)
    {
        TfrmTable *w = TfrmTable::Open(form, QStringLiteral("SalesDB"), QStringLiteral("dbo"), name, mode, 0);
        processEvents();
        return w;
    }
    static QStringList visibleTabs(TfrmTable *w)
    {
        QStringList tabs;
        for (int i = 0; i < w->pagObject->count(); ++i)
            if (w->pagObject->isTabVisible(i))
                tabs << w->pagObject->widget(i)->objectName();
        return tabs;
    }
    static int rowOf(TfrmTable *w, const QString &column)
    {
        for (int r = 1; r < w->grdColumn->RowCount(); ++r)
            if (w->grdColumn->Cells(tgName, r) == column)
                return r;
        return -1;
    }
    QList<TfrmTable *> editors() const { return main->findChildren<TfrmTable *>(); }

    TfrmObject *form = nullptr;
    TEditorServices saved;
    QStringList messages;
};

TEST_F(TfrmTableTest, OpensFromTheConnectionWindowWithItsColumns)
{
    QWidget *opened = form->OpenObject(45, "SalesDB", "dbo", "T1", omDefine, true, 0, QString());
    processEvents();
    auto *w = qobject_cast<TfrmTable *>(opened);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("TABLE - SalesDB.") + form->GetConnectInfo("dbo", "T1", true));
    EXPECT_EQ(w->GetTaskCaption(), QStringLiteral("T1"));
    EXPECT_EQ(w->grdColumn->RowCount(), 1 + 7 + 1);
    EXPECT_EQ(w->grdColumn->Cols(tgName).mid(1),
              (QStringList{"ID", "Code", "Name", "Price", "Note", "UpdatedAt", "Rate", ""}));
    EXPECT_EQ(w->grdColumn->Rows(1), (QStringList{"1", "ID", "int", "", "1", "IDENTITY(1000, 10)", "", "", "識別子"}));
    for (int r = 1; r <= 7; ++r)
        EXPECT_EQ(reinterpret_cast<qintptr>(w->grdColumn->Objects(tgName, r)), r);
    EXPECT_EQ(w->grdColumn->Objects(tgName, 8), nullptr);
    EXPECT_EQ(w->txtComment->text(), QStringLiteral("テスト表"));
    EXPECT_EQ(w->FPrimary, QStringList{"ID"});
    EXPECT_EQ(w->FDefaultColumns, (QList<TDefaultColumn>{{"Price", "DF_T1_Price"}, {"UpdatedAt", "DF_T1_UpdatedAt"}}));
    EXPECT_EQ(w->FShowFld.size(), 7);
    EXPECT_FALSE(w->Modified());
    EXPECT_FALSE(w->grdColumn->IsChanged());
    EXPECT_FALSE(w->pnlName->isEnabled());
    EXPECT_EQ(visibleTabs(w),
              (QStringList{"tabDefine", "tabSource", "tabData", "tabStorage", "tabGrant", "tabCross", "tabTemporal"}));
    EXPECT_TRUE(messages.isEmpty());

    // A second window on the same table is refused; the first stays alone.
    EXPECT_THROW(open("T1"), EAbort);
    EXPECT_EQ(editors().size(), 1);
}

// The statements of a load in their order: the use line as its own batch,
// then the unprefixed ones in the table's database.
TEST_F(TfrmTableTest, StatementsInTheirOrder)
{
    profile(13, false);
    script->ClearLog();
    open("T1");
    QStringList sent = sentByTheWindow();
    const QStringList prefixes{"select a.id,", "SELECT tbl.temporal_type", "select cols.COLUMN_NAME",
                               "select a.name colname", "EXEC sp_pkeys"};
    QList<int> at;
    for (const QString &p : prefixes) {
        int i = -1;
        for (int k = 0; k < sent.size() && i < 0; ++k)
            if (sent[k].trimmed().startsWith(p))
                i = k;
        ASSERT_GE(i, 0) << p.toStdString() << "\n" << sent.join("\n---\n").toStdString();
        at << i;
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << sent.join("\n---\n").toStdString();
    EXPECT_EQ(sent.value(at[0] - 1).trimmed(), QStringLiteral("use [SalesDB]"));
    EXPECT_TRUE(sent[at[0]].contains(QStringLiteral("= @P1 collate database_default")));
    EXPECT_TRUE(sent[at[4]].contains(QStringLiteral("@table_owner = @P1, @table_name = @P2")));
}

// The grid by server: lengths, identity, NULL default, mask column.
TEST_F(TfrmTableTest, GridFillByServer)
{
    struct Expect
    {
        const char *table;
        const char *column;
        int col;
        // V8, V9, V10, V13, AZ, AZ13
        const char *values[6];
    };
    const Expect cases[] = {
        {"T1", "Note", tgLength, {"-1", "max", "max", "max", "max", "max"}},
        {"T1", "Rate", tgLength, {"", "", "53", "53", "53", "53"}},
        {"T1", "Price", tgLength, {"10,2", "10,2", "10,2", "10,2", "10,2", "10,2"}},
        {"T1", "UpdatedAt", tgLength, {"", "3", "3", "3", "3", "3"}},
        {"T1", "ID", tgLength, {"", "", "", "", "", ""}},
        {"T1", "Code", tgLength, {"10", "10", "10", "10", "10", "10"}},
        {"T1",
         "ID",
         tgDefault,
         {"IDENTITY(1000, 10)", "IDENTITY(1000, 10)", "IDENTITY(1000, 10)", "IDENTITY(1000, 10)", "IDENTITY(1000, 10)",
          "IDENTITY(1000, 10)"}},
        {"T1", "Price", tgDefault, {"((0))", "((0))", "((0))", "((0))", "((0))", "((0))"}},
        {"T1", "Name", tgMask, {"", "", "", "default()", "", ""}},
        {"T1", "Name", tgNotNull, {"", "", "", "", "", ""}},
        {"T1", "Code", tgNotNull, {"1", "1", "1", "1", "1", "1"}},
        {"T1",
         "Code",
         tgCollation,
         {"Japanese_CI_AS", "Japanese_CI_AS", "Japanese_CI_AS", "Japanese_CI_AS", "Japanese_CI_AS", "Japanese_CI_AS"}},
        {"T2",
         "Big",
         tgDefault,
         {"IDENTITY(3000000000, 1)", "IDENTITY(3000000000, 1)", "IDENTITY(3000000000, 1)", "IDENTITY(3000000000, 1)",
          "IDENTITY(3000000000, 1)", "IDENTITY(3000000000, 1)"}},
        {"T2", "Flag", tgDefault, {"", "", "", "", "", ""}},
        {"T2", "Bin", tgLength, {"-1", "max", "max", "max", "max", "max"}},
        {"T2", "At", tgLength, {"", "7", "7", "7", "7", "7"}},
    };
    for (int p = 0; p < 6; ++p) {
        profile(kProfiles[p].version, kProfiles[p].azure);
        for (const char *table : {"T1", "T2"}) {
            TfrmTable *w = open(QString::fromUtf8(table));
            for (const Expect &e : cases) {
                if (qstrcmp(e.table, table) != 0)
                    continue;
                SCOPED_TRACE(std::string(kProfiles[p].name) + " " + e.table + "." + e.column + " col "
                             + std::to_string(e.col));
                const int row = rowOf(w, QString::fromUtf8(e.column));
                ASSERT_GT(row, 0);
                EXPECT_EQ(w->grdColumn->Cells(e.col, row), QString::fromUtf8(e.values[p]));
            }
            // The mask column shows only from 13 off Azure.
            EXPECT_EQ(w->grdColumn->ColWidths(tgMask) > 0, kProfiles[p].version >= 13 && !kProfiles[p].azure)
                << kProfiles[p].name;
            delete w;
        }
    }
}

TEST_F(TfrmTableTest, NewTableStartsEmptyWithThreeTabs)
{
    TfrmTable *w = open(QString());
    w->UpdateActions();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("TABLE - 新規"));
    EXPECT_EQ(w->GetTaskCaption(), QStringLiteral("新規"));
    EXPECT_EQ(visibleTabs(w), (QStringList{"tabDefine", "tabStorage", "tabTemporal"}));
    EXPECT_TRUE(w->pnlName->isEnabled());
    EXPECT_EQ(w->grdColumn->RowCount(), 2);
    EXPECT_TRUE(w->grdColumn->Cells(tgName, 1).isEmpty());
    for (QAction *a : {w->actDelete, w->actDataGenerate, w->actOutput, w->actPrint, w->actSave})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(w->actRefresh->isEnabled());
    EXPECT_FALSE(w->Modified());
}

// Tabs and header controls by server.
TEST_F(TfrmTableTest, VersionAndAzureVariants)
{
    struct Case
    {
        int version;
        bool azure;
        QStringList hidden;
        bool databaseEnabled;
    };
    for (const Case &c : {Case{12, false, {"tabTemporal"}, true}, Case{12, true, {"tabStorage", "tabTemporal"}, false},
                          Case{13, true, {"tabStorage"}, false}}) {
        SCOPED_TRACE(std::to_string(c.version) + (c.azure ? " azure" : ""));
        profile(c.version, c.azure);
        TfrmTable *w = open("T1");
        QStringList hidden;
        for (int i = 0; i < w->pagObject->count(); ++i)
            if (!w->pagObject->isTabVisible(i))
                hidden << w->pagObject->widget(i)->objectName();
        EXPECT_EQ(hidden, c.hidden);
        EXPECT_EQ(w->cmbDataBase->isEnabledTo(w->pnlName), c.databaseEnabled);
        EXPECT_EQ(w->grdColumn->ColWidths(tgMask), 0);
        delete w;
    }
}

TEST_F(TfrmTableTest, TemporalStateAndHistoryTable)
{
    profile(13, false);
    TfrmTable *w = open("TT");
    EXPECT_TRUE(w->pagObject->isTabVisible(w->pagObject->indexOf(w->tabTemporal)));
    EXPECT_TRUE(w->chkCreateTmpTbl->isChecked());
    EXPECT_EQ(w->cmbTmpHistSchema->Text(), QStringLiteral("dbo"));
    EXPECT_EQ(w->txtTmpHistTblName->text(), QStringLiteral("TT_History"));
    EXPECT_EQ(w->cmbTmpHistStartCol->Text(), QStringLiteral("ValidFrom"));
    EXPECT_EQ(w->cmbTmpHistEndCol->Text(), QStringLiteral("ValidTo"));
    EXPECT_TRUE(w->chkTmpHistStartColHidden->isChecked());
    EXPECT_FALSE(w->chkTmpHistEndColHidden->isChecked());
    EXPECT_TRUE(w->bBeforechkCreateTmpTbl);
    EXPECT_TRUE(w->bBeforechkTmpHistStartColHidden);
    EXPECT_FALSE(w->bBeforechkTmpHistEndColHidden);
    EXPECT_TRUE(w->chkTmpConsistency->isChecked());
    EXPECT_FALSE(w->chkTmpConsistency->isEnabled());
    EXPECT_TRUE(w->cmbTmpHistStartCol->isEnabled());
    EXPECT_FALSE(w->Modified());
    // Only NOT NULL datetime2 columns are period candidates.
    w->cmbTmpHistColDropDown(w->cmbTmpHistStartCol);
    QStringList items;
    for (int i = 0; i < w->cmbTmpHistStartCol->count(); ++i)
        items << w->cmbTmpHistStartCol->itemText(i);
    EXPECT_EQ(items, (QStringList{"ValidFrom", "ValidTo"}));
    EXPECT_EQ(w->cmbTmpHistStartCol->Text(), QStringLiteral("ValidFrom"));
    EXPECT_FALSE(w->Modified());
    // A change on the tab is an edit.
    w->chkTmpHistEndColHidden->click();
    EXPECT_TRUE(w->Modified());

    // The history table opens without the temporal tab, on its data tab.
    w->SetModified(false);
    w->btnTmpHistTblOpenClick();
    processEvents();
    TfrmTable *history = nullptr;
    for (TfrmTable *e : editors())
        if (e->txtName->text() == QLatin1String("TT_History"))
            history = e;
    ASSERT_TRUE(history);
    EXPECT_FALSE(history->pagObject->isTabVisible(history->pagObject->indexOf(history->tabTemporal)));
    EXPECT_EQ(history->pagObject->currentWidget(), history->tabData);
}

TEST_F(TfrmTableTest, HistoryButtonRefusesEmptyFields)
{
    profile(13, false);
    TfrmTable *w = open("T1");
    w->chkCreateTmpTbl->setChecked(true);
    EXPECT_THROW(w->btnTmpHistTblOpenClick(), EAbort);
    w->cmbTmpHistSchema->SetText("dbo");
    EXPECT_THROW(w->btnTmpHistTblOpenClick(), EAbort);
    EXPECT_EQ(messages, (QStringList{"所有者を入力してください。", "テーブル名を入力してください。"}));
    EXPECT_EQ(editors().size(), 1);
}

TEST_F(TfrmTableTest, MissingTableShowsTheMessageAndNoWindow)
{
    EXPECT_EQ(form->OpenObject(45, "SalesDB", "dbo", "gone", omDefine, true, 0, QString()), nullptr);
    processEvents();
    EXPECT_EQ(messages, QStringList{QStringLiteral("オブジェクトが見つからないか、参照できませんでした。")});
    EXPECT_TRUE(editors().isEmpty());
}

TEST_F(TfrmTableTest, TemporaryTableFoundByItsPrefix)
{
    TfrmTable *w = open("#t");
    EXPECT_EQ(w->grdColumn->Cols(tgName).mid(1), (QStringList{"x", ""}));
    EXPECT_EQ(w->Definition().Id, 501);
}

TEST_F(TfrmTableTest, ActionEnabling)
{
    TfrmTable *w = open("T1");
    w->UpdateActions();
    for (QAction *a : {w->actDelete, w->actDataGenerate, w->actOutput, w->actPrint, w->actSave})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(w->actCompile->isEnabled());
    // An edit: output, print and save wait for it to be compiled or dropped.
    w->txtComment->setText(QStringLiteral("変更"));
    w->UpdateActions();
    EXPECT_TRUE(w->Modified());
    EXPECT_TRUE(w->actCompile->isEnabled());
    for (QAction *a : {w->actOutput, w->actPrint, w->actSave})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    // The source tab: compile without an edit; the data tab: no delete.
    w->SetModified(false);
    w->pagObject->setCurrentWidget(w->tabSource);
    processEvents();
    w->UpdateActions();
    EXPECT_TRUE(w->actCompile->isEnabled());
    EXPECT_FALSE(w->Modified());
    w->pagObject->setCurrentWidget(w->tabData);
    processEvents();
    w->UpdateActions();
    EXPECT_FALSE(w->actDelete->isEnabled());
}

TEST_F(TfrmTableTest, OpenModeSelectsTheTab)
{
    struct Case
    {
        TOpenMode mode;
        const char *tab;
    };
    for (const Case &c : {Case{omSource, "tabSource"}, Case{omData, "tabData"}, Case{omGrant, "tabGrant"},
                          Case{omCross, "tabCross"}, Case{omDefine, "tabDefine"}}) {
        TfrmTable *w = open("T1", c.mode);
        EXPECT_EQ(w->pagObject->currentWidget()->objectName(), QLatin1String(c.tab));
        EXPECT_FALSE(w->Modified()) << c.tab;
        delete w;
    }
}

TEST_F(TfrmTableTest, SaveAppendsSqlButKeepsAKnownExtension)
{
    QTemporaryDir dir;
    zkOption.FileDir = dir.path() + QLatin1Char('/');
    TfrmTable *w = open("T1");
    QString proposed;
    for (const char *name : {"out", "out.txt"}) {
        SCOPED_TRACE(name);
        messages.clear();
        TfrmTable::SaveFileName = [&proposed, &dir, name](QWidget *, const QString &, const QString &p) {
            proposed = p;
            return dir.filePath(QString::fromUtf8(name));
        };
        w->actSaveExecute();
        EXPECT_EQ(proposed, QStringLiteral("dbo.T1.sql"));
        EXPECT_EQ(messages, QStringList{QStringLiteral("スクリプトが出力されました。")});
    }
    EXPECT_TRUE(QFile::exists(dir.filePath("out.sql")));
    EXPECT_TRUE(QFile::exists(dir.filePath("out.txt")));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.txt.sql")));
    // The proposed name is numbered once the file exists.
    QFile existing(dir.filePath("dbo.T1.sql"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    w->actSaveExecute();
    EXPECT_EQ(proposed, QStringLiteral("dbo.T101.sql"));
}

TEST_F(TfrmTableTest, ConstraintPanelHeightIsKept)
{
    TfrmTable *w = open("T1");
    w->SaveWindowLayout();
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(ZK_REG_ROOT + QStringLiteral("\\GUI\\TABLE")));
    EXPECT_EQ(reg.GetInteger("ConstHeight", -1), w->pnlConst->height());
}

// The demo catalogue's tables open in the editor (what ./zk demo shows).
class DemoTableTest : public ConnectionWindowTest
{
};

TEST_F(DemoTableTest, OrdersOpensWithItsColumns)
{
    TfrmObject *form = logon();
    ASSERT_TRUE(form);
    TfrmTable *w = TfrmTable::Open(form, "SalesDB", "dbo", "Orders", omDefine, 0);
    EXPECT_EQ(w->grdColumn->Cols(tgName).mid(1),
              (QStringList{"OrderID", "CustomerID", "OrderDate", "Amount", "Note", ""}));
    EXPECT_EQ(w->FPrimary, QStringList{"OrderID"});
    EXPECT_EQ(w->FDefaultColumns, (QList<TDefaultColumn>{{"OrderDate", "DF_Orders_OrderDate"}}));
    w = TfrmTable::Open(form, "SalesDB", "dbo", "Customers", omDefine, 0);
    EXPECT_EQ(w->grdColumn->Cells(tgMask, 5), QStringLiteral("partial(0,\"XXX-XXXX-\",4)"));
}
