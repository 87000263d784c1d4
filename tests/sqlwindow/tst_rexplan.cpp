// The plan frame on the scripted backend: canned SHOWPLAN_ALL answers become
// the tree; the tree goes to the clipboard and to a workbook.
#include "explanfixture.h"

#include "support/scripted/scriptedbackend.h"
#include "support/xlsx/xlsxread.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const char *const JoinText =
    "select o.id, c.name from orders o join customers c on c.id = o.customer_id where o.id = 5 order by c.name";

class ExplanPlanTest : public ExplanFrameTest
{
protected:
    void SetUp() override
    {
        ExplanFrameTest::SetUp();
        QString error;
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/explan.rules", &error)) << error.toStdString();
        con.SetBackend(std::make_unique<TScriptedBackend>(script));
        con.Params().SetValue("User_Name", "sa");
        con.Open();
        bind(&con);
        script->ClearLog();
    }
    void plan(const QString &text)
    {
        frame->SetSQL(text);
        frame->ShowData();
    }

    std::shared_ptr<TScript> script = std::make_shared<TScript>();
    TFDConnection con;
};

TEST_F(ExplanFrameTest, ParameterCreationFollowsTheCreateRuleUntrimmed)
{
    struct Case
    {
        const char *text;
        QStringList params;
    };
    // In this order: a CREATE text after one with markers must not keep them.
    const Case cases[] = {
        {"select * from t where a = :A and b = :B", {"A", "B"}},
        {"create view v as select * from t where a = ':X' or b = :B", {}},
        {"CREATE VIEW v AS SELECT :B", {}},
        {" create view v as select * from t where b = :B", {"B"}},
        {"Creat :A", {"A"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        frame->SetSQL(QString::fromUtf8(c.text));
        QStringList names;
        for (int i = 0; i < frame->qryData->Params().Count(); ++i)
            names << frame->qryData->Params().Items(i).Name();
        EXPECT_EQ(names, c.params);
        EXPECT_EQ(frame->qryData->SQL(), QString::fromUtf8(c.text));
        EXPECT_FALSE(frame->qryData->Active());
    }
    frame->SetSQL(QStringLiteral("select 1\nfrom t\r\n"));
    EXPECT_EQ(frame->SQL(), QStringLiteral("select 1\r\nfrom t\r\n"));
    frame->SetSQL(QString());
    EXPECT_EQ(frame->SQL(), QString());
}

TEST_F(ExplanPlanTest, PlanRowsBecomeATreeWithCostsAndShares)
{
    struct Case
    {
        const char *name;
        QString text;
        QStringList tree;
    };
    const QStringList twoStatements = {
        "SELECT STATEMENT||10||0.5|100%|1",
        "  Table Scan|([Sales].[dbo].[t1])|10|15|0.5|100%|2",
        "  select * from t2||3||0.25|50%|1",
        "    Clustered Index Scan|([Sales].[dbo].[t2].[PK_t2])|3|19|0.007812|1.6%|2",
    };
    const Case cases[] = {
        {"one statement: skip rule, objects, small costs, a lost parent",
         QString::fromUtf8(JoinText),
         {
             "SELECT STATEMENT||1000000||0.123457|100%|1",
             "  Nested Loops||1000000|40|0.1|81%|2",
             "    Clustered Index Seek|([Sales].[dbo].[orders].[PK_orders] AS [o])|1|25|0.000004|0%|3",
             "    Table Scan|([Sales].[dbo].[customers] AS [c])|1000|21|0|0%|4",
             "  Sort||10|11|0|0%|6",
         }},
        {"two statements in one result", "select * from t1 select * from t2", twoStatements},
        {"two statements, a result each", "select * from t1; select * from t2", twoStatements},
        {"a costed use row first sets the base",
         "use Sales; select * from t3",
         {
             "SELECT STATEMENT||5||1|50%|1",
             "  Table Scan|([Sales].[dbo].[t3])|5|30|1|50%|2",
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        script->ClearLog();
        plan(c.text);
        EXPECT_EQ(TreeLines(frame->lstPlan), c.tree);
        EXPECT_FALSE(frame->qryPlan->Active());
        // Three plain batches, the text exactly as kept.
        const QList<TScriptEntry> log = script->Log();
        ASSERT_EQ(log.size(), 3);
        EXPECT_EQ(log.at(0).text, "set showplan_all on");
        EXPECT_EQ(log.at(1).text, frame->SQL());
        EXPECT_EQ(log.at(2).text, "set showplan_all off");
        for (const TScriptEntry &e : log)
            EXPECT_EQ(e.kind, TScriptEntry::Batch) << e.line().toStdString();
        // Everything shows: the first node with all its descendants.
        std::function<void(const TzkTreeNode *)> expanded = [&](const TzkTreeNode *node) {
            if (node->HasChildren())
                EXPECT_TRUE(node->Expanded()) << node->Text().toStdString();
            for (int i = 0; i < node->Count(); ++i)
                expanded(node->Item(i));
        };
        expanded(frame->lstPlan->TopItem(0));
    }
    // A text with bind-variable markers is still sent as written.
    script->ClearLog();
    EXPECT_THROW(plan(QStringLiteral("select * from t where a = :A")), EDBError);
    EXPECT_EQ(script->Log().at(1).text, "select * from t where a = :A\r\n");
    EXPECT_EQ(script->Log().at(1).kind, TScriptEntry::Batch);
}

TEST_F(ExplanPlanTest, AFailedPlanLeavesAnEmptyTreeAndTheModeOff)
{
    plan(QString::fromUtf8(JoinText));
    ASSERT_GT(frame->lstPlan->NodeCount(), 0);
    script->ClearLog();
    try {
        plan(QStringLiteral("selec * from t1"));
        FAIL() << "the syntax error reaches the caller";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Errors().value(0).number, 102);
    }
    EXPECT_EQ(frame->lstPlan->NodeCount(), 0);
    EXPECT_FALSE(frame->qryPlan->Active());
    EXPECT_EQ(script->Statements(),
              (QStringList{"set showplan_all on", "selec * from t1\r\n", "set showplan_all off"}));
    EXPECT_FALSE(con.SessionHeld());

    // A refused mode: a warning once it is off again, nothing planned.
    ASSERT_TRUE(script->LoadText("rule exact: set showplan_all on\n"
                                 "  error: 262, 1, 14, 1, SHOWPLAN permission denied in database 'Sales'.\n"));
    script->ClearLog();
    QString warning;
    QStringList sentBeforeWarning;
    WhenModal([&](QWidget *box) {
        sentBeforeWarning = script->Statements();
        warning = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
        box->close();
    });
    EXPECT_NO_THROW(plan(QString::fromUtf8(JoinText)));
    EXPECT_EQ(warning, QStringLiteral("実行計画を使用できません。"));
    EXPECT_EQ(sentBeforeWarning, (QStringList{"set showplan_all on", "set showplan_all off"}));
    EXPECT_EQ(script->Statements(), sentBeforeWarning);
}

TEST_F(ExplanPlanTest, NothingElseRunsOnTheSessionWhilePlanning)
{
    // A timer that fires while the plan is read (a keep-alive, another
    // window's refresh) is refused instead of getting plan rows.
    TFDQuery other;
    other.SetConnection(&con);
    QString refused;
    QTimer::singleShot(50, [&] {
        try {
            other.Open(QStringLiteral("select @@spid"));
        } catch (const EDBError &e) {
            refused = e.message();
        }
    });
    frame->SetSQL(QStringLiteral("select * from t_slow"));
    EXPECT_NO_THROW(frame->ShowPlan());
    EXPECT_EQ(frame->lstPlan->NodeCount(), 2);
    EXPECT_TRUE(refused.contains(QStringLiteral("実行計画"))) << refused.toStdString();
    EXPECT_EQ(script->Statements().filter("@@spid").size(), 0);
    EXPECT_NO_THROW(other.Open(QStringLiteral("select @@spid")));
}

class ExplanOutputTest : public ExplanPlanTest
{
protected:
    void SetUp() override
    {
        ExplanPlanTest::SetUp();
        zkOption.PasteDialog = false;
        zkOption.PasteColumn = 0;
        plan(QStringLiteral("select * from t1 select * from t2"));
    }
    QString copy()
    {
        QString done;
        CaptureMessage(&done);
        frame->btnCopyClick();
        EXPECT_EQ(done, QStringLiteral("クリップボードに出力しました。"));
        return QGuiApplication::clipboard()->text();
    }
};

TEST_F(ExplanOutputTest, CopyWritesTheHeaderAndIndentedNodesWithoutTheNodeId)
{
    const QString header = QStringLiteral("操作\tオブジェクト\t予測行数\t行平均サイズ\tCOST\tCOST(%)\t\r\n");
    EXPECT_EQ(copy(), header
                          + QStringLiteral(
                              "SELECT STATEMENT\t\t10\t\t0.5\t100%\r\n"
                              "  ┗Table Scan\t([Sales].[dbo].[t1])\t10\t15\t0.5\t100%\r\n"
                              "  ┗select * from t2\t\t3\t\t0.25\t50%\r\n"
                              "    ┗Clustered Index Scan\t([Sales].[dbo].[t2].[PK_t2])\t3\t19\t0.007812\t1.6%\r\n"));
    EXPECT_EQ(mainForm.loops, (QStringList{"1/4", "2/4", "3/4", "4/4"}));
    EXPECT_GE(mainForm.defMessages, 1);

    // Commas through the question, stored back; commas in a cell stay as they are.
    zkOption.PasteDialog = true;
    frame->lstPlan->TopItem(0)->SetText(QStringLiteral("SELECT, STATEMENT"));
    QString question;
    QString done;
    WhenModal([&](QWidget *box) {
        question = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
        const QList<QCheckBox *> checks = box->findChildren<QCheckBox *>();
        ASSERT_EQ(checks.size(), 1);
        EXPECT_EQ(checks.first()->text(), QStringLiteral("カンマ区切りにする(非チェック時はタブ区切り)"));
        EXPECT_FALSE(checks.first()->isChecked());
        checks.first()->click();
        CaptureMessage(&done); // the completion message follows
        box->findChild<QPushButton *>(QStringLiteral("Yes"))->click();
    });
    frame->btnCopyClick();
    EXPECT_EQ(question, QStringLiteral("結果をクリップボードにコピーしますか？"));
    EXPECT_EQ(done, QStringLiteral("クリップボードに出力しました。"));
    EXPECT_EQ(zkOption.PasteColumn, 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text().section(QStringLiteral("\r\n"), 0, 1),
              QStringLiteral("操作,オブジェクト,予測行数,行平均サイズ,COST,COST(%),\r\n"
                             "SELECT, STATEMENT,,10,,0.5,100%"));

    // No ends the command with the clipboard untouched.
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    WhenModal([](QWidget *box) { box->findChild<QPushButton *>(QStringLiteral("No"))->click(); });
    frame->btnCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST_F(ExplanOutputTest, AnEmptyTreeCopiesTheHeaderAndEscapeKeepsTheLinesSoFar)
{
    showActive();
    mainForm.escapeAt = 2;
    const QStringList lines = copy().split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.size(), 4) << lines.join('|').toStdString(); // header, two nodes, the end
    EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("  ┗Table Scan\t")));

    mainForm.escapeAt = -1;
    frame->lstPlan->Clear();
    EXPECT_EQ(copy(), QStringLiteral("操作\tオブジェクト\t予測行数\t行平均サイズ\tCOST\tCOST(%)\t\r\n"));
}

TEST_F(ExplanOutputTest, TheWorkbookHoldsCaptionsIndentedNodesAndWidths)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("計画/出力")) + QLatin1Char('/');
    zkOption.ExcelDir = folder;
    zkOption.ExcelExt = QStringLiteral(".xlsx");

    // Writes to the name the dialog offers; `typed` replaces it. The
    // dialog's question before replacing a file is answered with Yes.
    auto save = [&](const QString &typed, QString *offered, bool replaces = false) {
        QString done;
        WhenModal([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            ASSERT_NE(dialog, nullptr);
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            *offered = edit->text();
            if (!typed.isNull())
                edit->setText(typed);
            if (replaces) {
                WhenModal(
                    [&](QWidget *box) {
                        CaptureMessage(&done);
                        qobject_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click();
                    },
                    dialog);
            } else {
                CaptureMessage(&done);
            }
            QMetaObject::invokeMethod(dialog, "accept");
        });
        frame->btnExcelClick();
        return done;
    };

    // The folder does not exist yet: the dialog starts elsewhere, so the
    // full name is typed; the writer creates the folders.
    QString offered;
    const QString target = folder + QStringLiteral("EXECUTEPLAN.xlsx");
    EXPECT_EQ(save(target, &offered), QStringLiteral("ファイルに出力しました。"));
    EXPECT_EQ(offered, QStringLiteral("EXECUTEPLAN.xlsx"));
    EXPECT_EQ(zkOption.ExcelDir, folder);
    const QList<QStringList> cells = ReadXlsxCells(target);
    EXPECT_EQ(cells, (QList<QStringList>{
                         {"操作", "オブジェクト", "予測行数", "行平均サイズ", "COST", "COST(%)"},
                         {"SELECT STATEMENT", "", "10", "", "0.5", "100%"},
                         {"  ┗Table Scan", "([Sales].[dbo].[t1])", "10", "15", "0.5", "100%"},
                         {"  ┗select * from t2", "", "3", "", "0.25", "50%"},
                         {"    ┗Clustered Index Scan", "([Sales].[dbo].[t2].[PK_t2])", "3", "19", "0.007812", "1.6%"},
                     }));
    const QString sheet = QString::fromUtf8(ReadZipEntries(target).value(QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_TRUE(sheet.contains(QRegularExpression(QStringLiteral("<col min=\"1\" max=\"1\" width=\"50[.\"]"))))
        << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QRegularExpression(QStringLiteral("<col min=\"2\" max=\"2\" width=\"50[.\"]"))));
    // Every cell a string: none without a type.
    EXPECT_FALSE(sheet.contains(QRegularExpression(QStringLiteral("<c r=\"[A-Z]+[0-9]+\"( s=\"[0-9]+\")?>"))));

    // The next proposal is made unique; an existing file chosen is replaced.
    frame->lstPlan->Clear();
    EXPECT_EQ(save(QString(), &offered), QStringLiteral("ファイルに出力しました。"));
    EXPECT_EQ(offered, QStringLiteral("EXECUTEPLAN01.xlsx"));
    EXPECT_EQ(save(QStringLiteral("EXECUTEPLAN.xlsx"), &offered, true), QStringLiteral("ファイルに出力しました。"));
    EXPECT_EQ(offered, QStringLiteral("EXECUTEPLAN02.xlsx"));
    EXPECT_EQ(ReadXlsxCells(target).size(), 1);

    // A blank name is refused: nothing written, the folder kept.
    zkOption.ExcelDir = dir.path() + QLatin1Char('/');
    EXPECT_EQ(save(QStringLiteral("   "), &offered), QStringLiteral("ファイル名を入力して下さい。"));
    EXPECT_EQ(zkOption.ExcelDir, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

} // namespace

namespace {

// Whether a pixel inside the rectangle of the picture is near the colour.
bool hasColor(const QImage &image, const QRect &rect, QColor color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) < 40 && std::abs(c.green() - color.green()) < 40
                && std::abs(c.blue() - color.blue()) < 40)
                return true;
        }
    }
    return false;
}

TEST_F(ExplanPlanTest, ScreenshotOfAPlanWithATableScanInRed)
{
    host->resize(820, 260);
    host->setWindowTitle(QStringLiteral("実行計画"));
    showActive();
    plan(QString::fromUtf8(JoinText));
    TzkTreeView *tree = frame->lstPlan;
    TzkTreeNode *loops = tree->TopItem(0)->Item(0);
    TzkTreeNode *scan = loops->Item(1);
    ASSERT_EQ(scan->Text(), QStringLiteral("Table Scan"));
    tree->SetSelected(loops);
    tree->setFocus();
    QTest::qWait(50);
    const QImage image = host->grab().toImage();
    image.save(QStringLiteral(ZK_BINARY_DIR) + QStringLiteral("/explan_screenshot.png"));

    auto rowRect = [&](TzkTreeNode *node, int column) {
        QRect r = tree->visualRect(tree->IndexOfNode(node, column));
        return QRect(tree->viewport()->mapTo(host.get(), r.topLeft()), r.size());
    };
    // The scan's text and its cost are red; the selected row is white on
    // the highlight colour.
    const QColor red(0xFF, 0, 0);
    EXPECT_TRUE(hasColor(image, rowRect(scan, 0), red));
    EXPECT_TRUE(hasColor(image, rowRect(scan, 4), red));
    EXPECT_FALSE(hasColor(image, rowRect(tree->TopItem(0), 0), red));
    const QColor highlight = tree->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_TRUE(hasColor(image, rowRect(loops, 0), highlight));
    EXPECT_TRUE(hasColor(image, rowRect(loops, 0), Qt::white));
    EXPECT_FALSE(hasColor(image, rowRect(loops, 0), red));
    const int hold = qEnvironmentVariableIntValue("ZK_SCREENSHOT_HOLD_MS");
    if (hold > 0)
        QTest::qWait(hold);
}

} // namespace
