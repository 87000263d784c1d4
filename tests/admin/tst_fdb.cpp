#include "admin/fdb.h"
#include "admin/fdb_sql.h"

#include "connection/testhelpers.h"
#include "controls/zkgrid.h"
#include "controls/zkstdctl.h"
#include "core/zksub_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

namespace {

// The database editor on the scripted backend with the Sales catalogue;
// a profile's rules (version, Azure) are loaded before the logon.
class DatabaseEditorTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/editors/database_sales.rules", &error)) << error.toStdString();
        saved = EditorServices();
        EditorServices().Message = [this](const QString &text, int) {
            messages << text;
            return IDOK;
        };
    }
    void TearDown() override
    {
        EditorServices() = saved;
        ConnectionWindowTest::TearDown();
    }
    // A server of a major version; "Azure" for Azure SQL Database.
    TfrmObject *logonTo(const QString &profile)
    {
        const bool azure = profile == QLatin1String("Azure");
        const QString version = azure ? QStringLiteral("12.0.2000.8") : profile + QStringLiteral(".0.1000.0");
        const QString text = QStringLiteral("rule regex: (?i)^\\s*select serverproperty\\(N?'productversion'\\)\\s*$\n"
                                            "  result: v sql_variant\n  row: '%1'\n"
                                            "rule exact: select serverproperty('Edition')\n"
                                            "  result: e sql_variant\n  row: '%2'\n")
                                 .arg(version, azure ? QStringLiteral("SQL Azure") : QStringLiteral("Developer"));
        QString error;
        EXPECT_TRUE(script->LoadText(text, QStringLiteral("profile"), &error)) << error.toStdString();
        TfrmObject *form = logon();
        script->ClearLog();
        return form;
    }
    Tfrmdb *open(TfrmObject *form, const QString &name, const QString &owner = QStringLiteral("sa"))
    {
        return TfrmObjectEditor::Open<Tfrmdb>(form, QString(), owner, name);
    }
    // With ZK_SHOT_DIR set, the window's pages as pictures to look at.
    void shoot(Tfrmdb *w, const QString &name)
    {
        const QString dir = qEnvironmentVariable("ZK_SHOT_DIR");
        if (dir.isEmpty())
            return;
        w->parentWidget()->resize(760, 640);
        for (int i = 0; i < w->pagObject->count(); ++i) {
            if (!w->pagObject->isTabVisible(i))
                continue;
            w->pagObject->setCurrentIndex(i);
            processEvents();
            w->grab().save(QStringLiteral("%1/%2_%3.png").arg(dir, name).arg(i));
        }
    }

    TEditorServices saved;
    QStringList messages;
};

TEST_F(DatabaseEditorTest, SalesLoadsFilesAndFilegroups)
{
    TfrmObject *form = logonTo("15");
    Tfrmdb *w = open(form, "Sales");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("データベース - sa.Sales @ srv1.SalesDB"));
    TzkStringGrid *f = w->grdFile;
    EXPECT_EQ(f->RowCount(), 5);
    EXPECT_EQ(f->Rows(1),
              (QStringList{"Sales", "データ", "PRIMARY", "100", "C:\\SQL\\DATA\\", "Sales.mdf", "128", "1", "-1"}));
    EXPECT_EQ(f->Cells(3, 2), "0.78125");
    EXPECT_EQ(f->Cells(2, 3), "適用なし");
    EXPECT_EQ(f->Cells(1, 3), "ログ");
    EXPECT_EQ(f->Rows(4), QStringList(9));
    EXPECT_EQ(f->ColWidths(6) + f->ColWidths(7) + f->ColWidths(8), 0);

    TzkStringGrid *g = w->grdFileGroup;
    EXPECT_EQ(g->RowCount(), 5);
    EXPECT_EQ(g->Rows(1), (QStringList{"PRIMARY", "1", "0", "1"}));
    EXPECT_EQ(g->Rows(3), (QStringList{"FG2", "0", "1", "0"}));
    EXPECT_TRUE(g->Checked(2, 3));
    EXPECT_FALSE(g->Checked(3, 3));
    EXPECT_EQ(w->G_FGrpRowCnt, 3);
    EXPECT_EQ(w->cmbSyogo->currentText(), "Japanese_CI_AS");
    EXPECT_EQ(w->G_RootDir, "C:\\Program Files\\Microsoft SQL Server\\MSSQL15.MSSQLSERVER\\MSSQL");
    EXPECT_FALSE(w->Modified());
    EXPECT_FALSE(w->grdFile->IsChanged());

    // The use line and the file select go as one batch, the filegroups after it.
    const QStringList sent = sentByTheWindow();
    const QRegularExpression useAndFiles("^use \\[?Sales\\]?\\r\\nselect  fileid");
    qsizetype files = 0;
    while (files < sent.size() && !useAndFiles.match(sent[files]).hasMatch())
        ++files;
    ASSERT_LT(files, sent.size()) << sent.join("\n---\n").toStdString();
    ASSERT_LT(files + 1, sent.size());
    EXPECT_TRUE(sent[files + 1].startsWith("select  gp.groupid"));
}

TEST_F(DatabaseEditorTest, GrowthShownPerRow)
{
    Tfrmdb *w = open(logonTo("15"), "Sales");
    // Row 1: 128 pages, unlimited.
    EXPECT_TRUE(w->chkAutoExt->isChecked());
    EXPECT_TRUE(w->radExtMb->isChecked());
    EXPECT_EQ(w->txtMbSize->text(), "1");
    EXPECT_FALSE(w->txtPersentSize->isEnabled());
    EXPECT_TRUE(w->radMaxUnlimited->isChecked());
    EXPECT_TRUE(w->txtMaxsize->text().isEmpty());
    EXPECT_FALSE(w->txtMaxsize->isEnabled());
    // Row 2: 10 percent, limited to 200 MB.
    w->ShowFileGrowth(2);
    EXPECT_TRUE(w->radExtPercent->isChecked());
    EXPECT_EQ(w->txtPersentSize->text(), "10");
    EXPECT_FALSE(w->txtMbSize->isEnabled());
    EXPECT_TRUE(w->radMaxLimited->isChecked());
    EXPECT_EQ(w->txtMaxsize->text(), "200");
    // Row 3: no growth.
    w->ShowFileGrowth(3);
    EXPECT_FALSE(w->chkAutoExt->isChecked());
    EXPECT_FALSE(w->pnlAutoExt->isEnabled());
}

TEST_F(DatabaseEditorTest, MbEditExit)
{
    Tfrmdb *w = open(logonTo("15"), "Sales");
    w->activateWindow();
    processEvents();
    w->grdFile->SetRow(1);
    w->txtMbSize->setText("0");
    w->txtMbSize->setFocus();
    EXPECT_THROW(w->txtMbSizeExit(), EAbort);
    EXPECT_EQ(messages, QStringList{"値を入力してください。"});
    EXPECT_EQ(QApplication::focusWidget(), w->txtMbSize);
    EXPECT_EQ(w->grdFile->Cells(6, 1), "128");

    messages.clear();
    w->txtPersentSize->setText("");
    w->txtPersentSizeExit(); // warns without the abort
    EXPECT_EQ(messages, QStringList{"値を入力してください。"});

    w->txtMbSize->setText("2");
    w->txtMbSizeExit();
    EXPECT_EQ(w->grdFile->Cells(6, 1), "256");
    EXPECT_EQ(w->grdFile->Cells(7, 1), "1");
    EXPECT_EQ(w->grdFile->Cells(8, 1), "-1");
    w->chkAutoExt->setChecked(false);
    w->StoreFileGrowth(1);
    EXPECT_EQ(w->grdFile->Rows(1).mid(6), (QStringList{"0", "1", "-1"}));
}

TEST_F(DatabaseEditorTest, MissingDatabaseShowsTheMessageAndNoWindow)
{
    TfrmObject *form = logonTo("15");
    EXPECT_THROW(open(form, "Gone"), EAbort);
    processEvents();
    EXPECT_EQ(messages, QStringList{"定義情報を読み込めませんでした。"});
    EXPECT_TRUE(main->findChildren<Tfrmdb *>().isEmpty());
}

TEST_F(DatabaseEditorTest, SecondWindowOfTheSameCaptionIsRefused)
{
    TfrmObject *form = logonTo("15");
    open(form, "Sales");
    EXPECT_THROW(open(form, "Sales"), EAbort);
    processEvents();
    EXPECT_EQ(main->findChildren<Tfrmdb *>().size(), 1);
    open(form, "Sales", "tanaka"); // another owner is another caption
    EXPECT_EQ(main->findChildren<Tfrmdb *>().size(), 2);
}

TEST_F(DatabaseEditorTest, CollationOutsideTheListSelectsTheFirst)
{
    rules("rule contains: from master.dbo.sysdatabases where name =\n"
          "  params: N'Sales'$\n  result: c sql_variant\n  row: 'Greek_CI_AS'\n");
    Tfrmdb *w = open(logonTo("15"), "Sales");
    EXPECT_EQ(w->cmbSyogo->currentIndex(), 0);
}

TEST_F(DatabaseEditorTest, NewDatabaseDefaults)
{
    rules("rule contains: xp_instance_regread\n  result: '' nvarchar(512)\n  row: N'/var/opt/mssql'\n");
    Tfrmdb *w = open(logonTo("11"), "", "");
    EXPECT_TRUE(w->IsNew());
    EXPECT_EQ(w->grdFile->Rows(1),
              (QStringList{"", "データ", "PRIMARY", "", "/var/opt/mssql/DATA/", "", "128", "1", "-1"}));
    EXPECT_EQ(w->grdFile->Rows(2).mid(0, 3), (QStringList{"_log", "ログ", "適用なし"}));
    EXPECT_EQ(w->grdFileGroup->Rows(1), (QStringList{"PRIMARY", "1", "-1", "1"}));
    EXPECT_EQ(w->G_FGrpRowCnt, 1);
    EXPECT_EQ(w->cmbSyogo->currentText(), "Japanese_XJIS_140_CI_AS");
    EXPECT_EQ(w->cmbUser->currentText(), "zkdemo");
    EXPECT_EQ(w->grdSetting->RowCount(), 48);
    EXPECT_EQ(w->grdSetting->Cells(1, 15), "Japanese");
    EXPECT_EQ(w->grdSetting->Cells(1, 46), "1");
    EXPECT_EQ(w->cmbGokan->currentText(), "SQL Server 2012 (110)");

    // The containment rows open with PARTIAL.
    for (int row = 12; row <= 16; ++row) {
        EXPECT_FALSE(w->OptionValueEditable(row)) << row;
        EXPECT_TRUE(w->OptionRowGrey(row)) << row;
    }
    w->cmbContainment->setCurrentIndex(1);
    for (int row = 12; row <= 16; ++row) {
        EXPECT_TRUE(w->OptionValueEditable(row)) << row;
        EXPECT_FALSE(w->OptionRowGrey(row)) << row;
    }
    EXPECT_FALSE(w->OptionValueEditable(1)); // heading
    EXPECT_FALSE(w->OptionValueEditable(7)); // broker id
    EXPECT_TRUE(w->OptionRowGrey(1));

    // Cross-database chaining is fixed for the system databases only.
    const int chaining = int(w->FOptionItems.indexOf("複数データベースの組合せ所有権有効")) + 1;
    w->txtName->setText("master");
    EXPECT_FALSE(w->OptionValueEditable(chaining));
    w->txtName->setText("Master");
    EXPECT_TRUE(w->OptionValueEditable(chaining));

    QStringList items;
    w->grdSettingGetPickListitems(1, 15, items);
    EXPECT_EQ(items, (QStringList{"English", "Japanese", "Simplified Chinese"}));
    items.clear();
    w->grdSettingGetPickListitems(1, 47, items);
    EXPECT_EQ(items, (QStringList{"NONE", "TORN_PAGE_DETECTION", "CHECKSUM"}));
    items.clear();
    w->grdSettingGetPickListitems(1, 2, items);
    EXPECT_TRUE(items.isEmpty());
}

TEST_F(DatabaseEditorTest, OptionRowsByVersion)
{
    struct Case
    {
        const char *profile;
        int rows;
        bool grid;
        bool containment;
    };
    for (const Case &c : {Case{"8", 0, false, false}, Case{"9", 29, true, false}, Case{"10", 35, true, false},
                          Case{"11", 47, true, true}, Case{"15", 47, true, true}}) {
        SCOPED_TRACE(c.profile);
        Tfrmdb *w = open(logonTo(c.profile), "Sales");
        EXPECT_EQ(w->FOptionItems.size(), c.rows);
        EXPECT_EQ(!w->grdSetting->isHidden(), c.grid);
        EXPECT_EQ(!w->grpSetting->isHidden(), !c.grid);
        EXPECT_EQ(!w->cmbContainment->isHidden(), c.containment);
        if (c.grid) {
            EXPECT_EQ(w->FOptionValues.size(), c.rows);
            EXPECT_EQ(w->grdSetting->RowCount(), c.rows + 1);
            EXPECT_EQ(w->cmbBkMode->currentIndex(), 2); // SIMPLE
            EXPECT_TRUE(w->chkFullTextIndex->isChecked());
        } else {
            EXPECT_TRUE(w->chkAutoUpdate->isChecked());
            EXPECT_FALSE(w->chkQuote->isChecked());
            shoot(w, "sales8");
        }
        delete w;
    }
}

TEST_F(DatabaseEditorTest, ExistingDatabaseOptionValuesOn15)
{
    Tfrmdb *w = open(logonTo("15"), "Sales");
    auto value = [w](const char *caption) {
        return w->FOptionValues.value(w->FOptionItems.indexOf(QString::fromUtf8(caption)));
    };
    EXPECT_EQ(value("FILESTREAM ディレクトリ名"), "sales_fs");
    EXPECT_EQ(value("VarDecimalストレージ形式有効"), "ON");
    EXPECT_EQ(value("ターゲットの復旧時間(秒)"), "60");
    EXPECT_EQ(value("パラメーター化"), "SIMPLE");
    // Loaded while NONE: the containment rows stay empty.
    EXPECT_EQ(value("既定の言語"), "");
    EXPECT_EQ(value("2桁表記の年の基準になる年"), "");
    EXPECT_EQ(w->cmbGokan->currentText(), "SQL Server 2017 (140)");
    EXPECT_TRUE(sentByTheWindow().contains("sp_db_vardecimal_storage_format N'Sales'"));
    shoot(w, "sales15");
}

TEST_F(DatabaseEditorTest, PartialContainmentReadsTheLanguageAlias)
{
    QFile f(ZK_FIXTURES_DIR "/editors/database_sales.rules");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    text.replace("'', '0', 2049", "'', '1', 2049");
    rules(text.toUtf8().constData());
    Tfrmdb *w = open(logonTo("15"), "Sales");
    EXPECT_EQ(w->cmbContainment->currentIndex(), 1);
    EXPECT_EQ(w->grdSetting->Cells(1, 15), "Japanese");
    EXPECT_EQ(w->grdSetting->Cells(1, 12), "2049");
}

TEST_F(DatabaseEditorTest, Level80OnVersion16SelectsTheLevel80Item)
{
    QFile f(ZK_FIXTURES_DIR "/editors/database_sales.rules");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    text.replace("'ON', 3, 140", "'ON', 1, 80");
    rules(text.toUtf8().constData());
    Tfrmdb *w = open(logonTo("16"), "Sales");
    EXPECT_EQ(w->cmbGokan->count(), 9);
    EXPECT_EQ(w->cmbGokan->currentText(), "SQL Server 2000 (80)");
    EXPECT_EQ(w->cmbBkMode->currentIndex(), 0);
}

TEST_F(DatabaseEditorTest, VersionOverrideKeepsEachSourceInItsPlace)
{
    ServerVersionOverride = 11;
    Tfrmdb *w = open(logonTo("15"), "Sales");
    // Entries and layout by the server (15), selection and rows by DBVer (11).
    EXPECT_EQ(w->cmbGokan->count(), 6);
    EXPECT_EQ(w->cmbGokan->currentIndex(), CompatibilityIndex(11, 140));
    EXPECT_EQ(w->cmbGokan->currentIndex(), 0);
    EXPECT_EQ(w->FOptionItems.size(), 47);
}

TEST_F(DatabaseEditorTest, AzureReadsNoFiles)
{
    rules("rule exact: select databasepropertyex(N'SalesDB', 'collation')\n"
          "  result: c sql_variant\n  row: 'SQL_Latin1_General_CP1_CI_AS'\n"
          "rule exact: select collation_name from sys.databases where name = @P1\n"
          "  result: c nvarchar(128)\n  row: N'SQL_Latin1_General_CP1_CI_AS'\n");
    Tfrmdb *w = open(logonTo("Azure"), "Sales");
    EXPECT_TRUE(w->pnlAzure->isVisibleTo(w));
    EXPECT_FALSE(w->pnlAll->isVisibleTo(w));
    EXPECT_EQ(w->cmbSyogoAzure->currentText(), "SQL_Latin1_General_CP1_CI_AS");
    EXPECT_EQ(w->G_FGrpRowCnt, 0);
    for (const QString &s : sentByTheWindow()) {
        EXPECT_FALSE(s.contains("sysfiles")) << s.toStdString();
        EXPECT_FALSE(s.contains("xp_instance_regread")) << s.toStdString();
    }
}

// --- The texts ------------------------------------------------------------

TEST(DatabaseEditorTexts, QueriesMatchTheGoldenTexts)
{
    for (const char *profile : {"8", "9", "10", "11", "15", "Azure"}) {
        SCOPED_TRACE(profile);
        const bool azure = QLatin1String(profile) == QLatin1String("Azure");
        const TDbQueryTexts t =
            DbQueryTexts(azure ? 12 : QString::fromLatin1(profile).toInt(), azure, QStringLiteral("use Sales\r\n"));
        const QString all = QStringList{t.Syogo, t.DataFile, t.FileGroup, t.Option}.join("\r\n--\r\n") + "\r\n";
        QFile golden(QStringLiteral(ZK_SOURCE_DIR "/tests/admin/data/queries_%1.sql").arg(QLatin1String(profile)));
        if (!golden.exists() && qEnvironmentVariableIsSet("ZK_WRITE_GOLDEN")) {
            ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
            golden.write(all.toUtf8());
            continue;
        }
        ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << golden.fileName().toStdString();
        EXPECT_EQ(all, QString::fromUtf8(golden.readAll()));
    }
}

TEST(DatabaseEditorTexts, QuotedValuesAndFolders)
{
    const TDbOptionRow *dir = FindDbOptionRow("FILESTREAM ディレクトリ名");
    ASSERT_TRUE(dir);
    EXPECT_EQ(DbOptionClause(*dir, "a'b", {}), " SET FILESTREAM( DIRECTORY_NAME = N'a''b')");
    const TDbOptionRow *broker = FindDbOptionRow("Brokerが有効");
    EXPECT_EQ(DbOptionClause(*broker, "ON", {}), " SET ENABLE_BROKER");
    EXPECT_EQ(DbOptionClause(*broker, "", {}), "");
    const TDbOptionRow *lang = FindDbOptionRow("既定の言語");
    EXPECT_EQ(DbOptionClause(*lang, "Japanese", [](const QString &) { return QStringLiteral("1041"); }),
              " SET DEFAULT_LANGUAGE = 1041");
    EXPECT_EQ(VardecimalQuery("my-db 'x'"), "sp_db_vardecimal_storage_format N'my-db ''x'''");
    EXPECT_EQ(LanguageLcidQuery("O'Brien"), "select lcid from sys.syslanguages where Alias = N'O''Brien'");
    EXPECT_EQ(LanguageAliasQuery("1'1"), "select alias from sys.syslanguages where lcid = '1''1'");
    EXPECT_EQ(AzureCollationQuery("a'b"), "select databasepropertyex(N'a''b', 'collation')");
    EXPECT_EQ(DbOptionRows().size(), 47);

    EXPECT_EQ(DefaultDataFolder(""), "");
    EXPECT_EQ(DefaultDataFolder("/var/opt/mssql"), "/var/opt/mssql/DATA/");
    EXPECT_EQ(DefaultDataFolder("C:\\SQL"), "C:\\SQL\\DATA\\");
    EXPECT_EQ(DefaultDataFolder("C:\\SQL\\"), "C:\\SQL\\DATA\\");
}

} // namespace
