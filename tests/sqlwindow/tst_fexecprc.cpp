// The stored-program runner: its statements and bindings as texts, and the
// window on the scripted backend with the demo catalogue.
#include "connection/testhelpers.h"

#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "core/zkstsbar.h"
#include "platform/db/db.h"
#include "platform/db/dbsql.h"
#include "sqlwindow/fexecprc.h"
#include "tds/tdsserver.h"

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Answers the next modal message box with OK.
void AnswerNextMessage()
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks] {
        QWidget *w = QApplication::activeModalWidget();
        if ((!w || !w->isVisible()) && ++*ticks < 400)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->done(1);
    });
    timer->start();
}

TEST(ExecProcSQL, CatalogueStatementsFindQuotedNamesAndKeepOrder)
{
    for (bool v9 : {true, false}) {
        const QString type = ExecProcTypeSQL(v9);
        EXPECT_TRUE(type.endsWith(QStringLiteral("= object_id(quotename(:OWNER) + N'.' + quotename(:NAME))"))) << v9;
        const QString proc = ExecProcParamSQL(v9, true, false);
        EXPECT_TRUE(proc.endsWith(QStringLiteral("quotename(:NAME)) "
                                                 " union select '','','int','','','','',' ','' order by 1")))
            << proc.toStdString();
        const QString fn = ExecProcParamSQL(v9, false, true);
        EXPECT_TRUE(fn.endsWith(QStringLiteral(" union select '','','TABLE','','','','',' ','' order by 1")));
        EXPECT_FALSE(fn.contains(QStringLiteral("'int'")));
    }
    EXPECT_TRUE(ExecProcParamSQL(true, false, false).startsWith(QStringLiteral("select param.parameter_id")));
    EXPECT_TRUE(ExecProcParamSQL(false, false, false).startsWith(QStringLiteral("select col.colorder")));
    EXPECT_TRUE(ExecProcTypeSQL(false).startsWith(QStringLiteral("select xtype from sysobjects")));
}

TEST(ExecProcSQL, CallText)
{
    const QString head = QStringLiteral("execute :zk_ret = [dbo].[usp]\r\n");
    EXPECT_EQ(ExecProcCallSQL("dbo", "usp", {}, {}), head);
    EXPECT_EQ(ExecProcCallSQL("dbo", "usp", {"@a", "@b"}, {80, 80}), head + ":a,:b");
    EXPECT_EQ(ExecProcCallSQL("dbo", "usp", {"@a", "@b"}, {80, 81}), head + ":a,:b output");
    EXPECT_EQ(ExecProcCallSQL("dbo", "usp", {"@a"}, {82}), head + ":a output");
    // An "@" inside a name stays in its one marker: every row keeps its parameter.
    const QString inner = ExecProcCallSQL("dbo", "usp", {"@a@b", "@c"}, {80, 81});
    EXPECT_EQ(inner, head + ":a@b,:c output");
    EXPECT_EQ(ParamNames(inner), (QStringList{"zk_ret", "a@b", "c"}));
    EXPECT_EQ(ExecProcCallSQL("my schema", "a]b", {}, {}), QStringLiteral("execute :zk_ret = [my schema].[a]]b]\r\n"));
    EXPECT_EQ(ExecProcTypeText("nvarchar", "-1"), "nvarchar(max)");
    EXPECT_EQ(ExecProcTypeText("char", "10"), "char(10)");
    EXPECT_EQ(ExecProcTypeText("int", "4"), "int");
}

TEST(ExecProcSQL, BindingPerType)
{
    struct Case
    {
        const char *type;
        QString value;
        int image;
        TFieldType dataType;
        QVariant expected; // null: NULL
        TParamType direction;
    };
    const QString digits = QStringLiteral("12345678901234567890.1234567890");
    const QList<Case> cases = {
        {"BOOL", "5", 80, ftInteger, 0, ptInput},
        {"int", "42", 80, ftLargeint, qint64(42), ptInput},
        {"int", "", 80, ftLargeint, QVariant(), ptInput},
        {"bit", "1", 81, ftLargeint, qint64(1), ptOutput},
        {"decimal", digits, 80, ftWideString, digits, ptInput},
        {"float", "1.5", 80, ftFloat, 1.5, ptInput},
        {"sql_variant", "", 80, ftWideString, QString(""), ptInput},
        {"datetime", "", 80, ftWideString, QVariant(), ptInput},
        {"datetime", "2024-01-02", 80, ftWideString, QStringLiteral("2024-01-02"), ptInput},
        {"datetime", "", 81, ftWideString, QString(200, QLatin1Char(' ')), ptOutput},
        {"nvarchar(max)", "日本", 80, ftWideString, QStringLiteral("日本"), ptInput},
        {"TABLE", "", 79, ftWideString, QStringLiteral(" "), ptResult},
    };
    for (const Case &c : cases) {
        TFDParam p;
        ExecProcBindParam(p, "@p", QString::fromLatin1(c.type), c.value, c.image);
        SCOPED_TRACE(c.type);
        EXPECT_EQ(p.DataType(), c.dataType);
        EXPECT_EQ(p.ParamType(), c.direction);
        EXPECT_EQ(p.IsNull(), c.expected.isNull());
        if (!c.expected.isNull())
            EXPECT_EQ(p.Value().toString(), c.expected.toString());
    }
    TFDParam p;
    EXPECT_THROW(ExecProcBindParam(p, "@n", "int", "abc", 80), Exception);
    EXPECT_THROW(ExecProcBindParam(p, "@n", "decimal", "1.2.3", 80), Exception);
}

TEST(ExecProcSQL, FunctionArgumentsAndElapsed)
{
    auto arg = [](const char *type, const QVariant &v) {
        TFDParam p;
        p.SetValue(v);
        return ExecProcFunctionArg(QString::fromLatin1(type), p);
    };
    EXPECT_EQ(arg("nvarchar(20)", QStringLiteral("a b,c'd")), "N'a b,c''d'");
    EXPECT_EQ(arg("datetime", QStringLiteral("2024-01-02   ")), "N'2024-01-02'");
    EXPECT_EQ(arg("uniqueidentifier", QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF")),
              "N'6F9619FF-8B86-D011-B42D-00C04FC964FF'");
    EXPECT_EQ(arg("nvarchar(10)", QStringLiteral("日本語")), "N'日本語'");
    EXPECT_EQ(arg("int", QVariant()), "null");
    EXPECT_EQ(arg("int", qint64(7)), "7");
    EXPECT_EQ(arg("int", QStringLiteral("1);drop table t--")), "N'1);drop table t--'");
    EXPECT_EQ(arg("sql_variant", QStringLiteral("x")), "N'x'");
    EXPECT_EQ(arg("TABLE", QStringLiteral(" ")), "");
    EXPECT_EQ(ExecProcElapsed(1500), "00:00:01.500");
    EXPECT_EQ(ExecProcElapsed(3723004), "01:02:03.004");
}

class ExecProcWindowTest : public ConnectionWindowTest
{
protected:
    TfrmExecProc *open(const char *name, int type)
    {
        if (!owner)
            owner = logon();
        return TfrmExecProc::Open(owner, "SalesDB", "dbo", QString::fromUtf8(name), type);
    }
    QStringList output(TfrmExecProc *w) const { return w->txtOutput->toPlainText().split('\n'); }
    TfrmObject *owner = nullptr;
};

TEST_F(ExecProcWindowTest, ProcedureListsParametersAndRuns)
{
    TfrmExecProc *w = open("usp_RegisterOrder", 51);
    ASSERT_EQ(w->lstParam->TopCount(), 6);
    EXPECT_EQ(w->lstParam->TopItem(0)->Text(), "RESULT");
    EXPECT_EQ(w->lstParam->TopItem(0)->ImageIndex(), kParamImageResult);
    EXPECT_EQ(w->lstParam->TopItem(4)->SubItems().value(0), "nvarchar(200)");
    EXPECT_EQ(w->lstParam->TopItem(5)->ImageIndex(), kParamImageOutput);
    EXPECT_FALSE(w->flg_TblFnc);
    EXPECT_TRUE(w->windowTitle().startsWith(QStringLiteral("ストアドプログラム実行 - dbo.usp_RegisterOrder @ ")));

    // A second window of the object brings the first forward.
    const int windows = int(area()->subWindowList().size());
    EXPECT_THROW(open("usp_RegisterOrder", 51), EAbort);
    EXPECT_EQ(int(area()->subWindowList().size()), windows);

    // The editor walks the rows; Tab in the last row stays.
    w->lstParam->SetSelected(w->lstParam->TopItem(5));
    QTest::qWait(120);
    QTest::keyClick(w->txtParam, Qt::Key_Tab);
    EXPECT_EQ(w->lstParam->Selected(), w->lstParam->TopItem(5));
    QTest::keyClick(w->txtParam, Qt::Key_Up);
    EXPECT_EQ(w->lstParam->Selected(), w->lstParam->TopItem(4));
    w->txtParam->setText(QStringLiteral("急ぎ"));
    w->lstParam->SetSelected(w->lstParam->TopItem(0));
    QTest::qWait(120);
    QTest::keyClick(w->txtParam, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w->lstParam->Selected(), w->lstParam->TopItem(0));
    EXPECT_EQ(w->lstParam->TopItem(4)->SubItems().value(1), "急ぎ");

    // A value that is no number sends nothing.
    w->lstParam->TopItem(1)->SetSubItems({"int", "abc"});
    script->ClearLog();
    EXPECT_THROW(w->btnExecClick(), Exception);
    EXPECT_TRUE(script->Statements().isEmpty());

    w->lstParam->TopItem(1)->SetSubItems({"int", "7"});
    QDateTime t0 = QDateTime::currentDateTime();
    int tick = 0;
    w->Now = [&] { return t0.addMSecs(tick++ * 1500); };
    AnswerNextMessage();
    w->btnExecClick();
    EXPECT_EQ(w->ExecStatus, esEndComplite);
    const QString sent = script->LogLines().join('\n');
    EXPECT_TRUE(sent.contains(QStringLiteral("rpc: exec [dbo].[usp_RegisterOrder] | @P1 bigint = 7, ")))
        << sent.toStdString();
    EXPECT_TRUE(sent.contains(QStringLiteral("@P5 bigint = NULL output"))) << sent.toStdString();
    const QStringList out = output(w);
    EXPECT_EQ(out.value(0), QStringLiteral("【 実行後パラメータ値 】"));
    EXPECT_EQ(out.value(1), QStringLiteral("RESULT : 0"));
    EXPECT_EQ(out.value(2), QStringLiteral("@顧客ID : 7"));
    EXPECT_EQ(out.value(3), QStringLiteral("@受注日 : (null)"));
    EXPECT_EQ(out.value(6), QStringLiteral("@受注ID : 1003"));
    EXPECT_EQ(main->stsMain()->PanelText(2), QStringLiteral("処理時間(HH:MM:SS.Ms)：00:00:01.500"));
}

TEST_F(ExecProcWindowTest, TableFunctionSelectsItsRows)
{
    TfrmExecProc *w = open("fn_OrdersByCustomer", 52);
    ASSERT_TRUE(w->flg_TblFnc);
    ASSERT_EQ(w->lstParam->TopCount(), 2);
    w->lstParam->TopItem(1)->SetSubItems({"int", "5"});
    script->ClearLog();
    AnswerNextMessage();
    w->btnExecClick();
    const QStringList sent = script->Statements();
    for (const QString &s : sent)
        EXPECT_FALSE(s.contains(QStringLiteral("execute"))) << s.toStdString();
    EXPECT_TRUE(sent.join('\n').contains(QStringLiteral("select * from [SalesDB].[dbo].[fn_OrdersByCustomer](5)")))
        << sent.join('\n').toStdString();
    const QStringList out = output(w);
    EXPECT_EQ(out.value(1), QStringLiteral("RESULT : TABLE"));
    EXPECT_EQ(out.value(2), QStringLiteral("受注ID\t受注日\t金額"));
    EXPECT_EQ(out.value(3).section('\t', 0, 0), QStringLiteral("1001"));
    EXPECT_EQ(out.value(6), QStringLiteral("@顧客ID : 5"));

    rules("rule contains: select * from [SalesDB].[dbo].[fn_OrdersByCustomer](\n"
          "  result: a nvarchar(10), b int\n"
          "  row: N'', 1\n");
    AnswerNextMessage();
    w->btnExecClick();
    EXPECT_EQ(output(w).value(3), QStringLiteral("\t1"));

    rules("rule contains: select * from [SalesDB].[dbo].[fn_OrdersByCustomer](\n"
          "  result: a int\n");
    AnswerNextMessage();
    w->btnExecClick();
    EXPECT_EQ(output(w).value(2), QStringLiteral("(レコードが見つかりませんでした)"));
}

// The runner through unixODBC and the FreeTDS driver against the test
// server with the demo catalogue.
class ExecProcServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.loadRulesText(
            QStringLiteral(
                "rule contains: from sys.all_parameters as param\n"
                "  params: N'usp_名前登録'\n"
                "  result: parameter_id int, name nvarchar(128), type nvarchar(128), length int, precision int, scale int, usertype nvarchar(256), default_value nvarchar(4000), is_output bit\n"
                "  row: 0, '', 'int', 0, 0, 0, '', ' ', 0\n"
                "  row: 1, N'@名前', N'nvarchar', 20, 0, 0, N'', NULL, 0\n"
                "  row: 2, N'@件数', N'int', 4, 10, 0, N'', NULL, 1\n"
                "rule contains: exec [dbo].[usp_名前登録]\n"
                "  rowcount: 1\n"
                "  output: @P2 = 12\n"
                "  return: 3\n"),
            QStringLiteral("inline"), &error))
            << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        owner = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                               QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
    }
    void TearDown() override
    {
        main.reset();
        ShownMainWindowTest::TearDown();
    }
    QStringList output(TfrmExecProc *w) const { return w->txtOutput->toPlainText().split('\n'); }
    // RPC requests as "statement | parameters".
    QStringList calls() const
    {
        QStringList out;
        for (const TdsLogEntry &e : server.log())
            if (e.kind == TdsLogEntry::Rpc)
                out << e.text + QStringLiteral(" | ") + e.params;
        return out;
    }

    TdsServer server;
    TfrmObject *owner = nullptr;
};

TEST_F(ExecProcServerTest, AProcedureShowsTheServersOutputAndReturnStatus)
{
    TfrmExecProc *w = TfrmExecProc::Open(owner, "SalesDB", "dbo", QStringLiteral("usp_名前登録"), 51);
    ASSERT_EQ(w->lstParam->TopCount(), 3);
    w->lstParam->TopItem(1)->SetSubItems({"nvarchar(20)", QStringLiteral("山田")});
    server.clearLog();
    AnswerNextMessage();
    w->btnExecClick();
    EXPECT_EQ(w->ExecStatus, esEndComplite);
    EXPECT_TRUE(ShownExceptions().isEmpty()) << ShownExceptions().join('\n').toStdString();
    EXPECT_EQ(server.statements().value(0), QStringLiteral("use [SalesDB]"));
    // The procedure by name, its output marked; the return value comes as its status.
    EXPECT_EQ(calls(), QStringList{QStringLiteral(
                           "exec [dbo].[usp_名前登録] | @P1 nvarchar(4000) = N'山田', @P2 bigint = NULL output")});
    const QStringList out = output(w);
    EXPECT_EQ(out.mid(1, 3), (QStringList{"RESULT : 3", QStringLiteral("@名前 : 山田"), QStringLiteral("@件数 : 12")}));
    // A picture of the main window with the runner when ZK_SCREENSHOT_DIR is set.
    if (qEnvironmentVariableIsSet("ZK_SCREENSHOT_DIR")) {
        w->lstParam->SetSelected(w->lstParam->TopItem(1));
        QTest::qWait(200);
        main->grab().save(qEnvironmentVariable("ZK_SCREENSHOT_DIR") + QStringLiteral("/execproc.png"));
        w->grab().save(qEnvironmentVariable("ZK_SCREENSHOT_DIR") + QStringLiteral("/execproc_window.png"));
    }
}

TEST_F(ExecProcServerTest, ATableFunctionShowsItsRowsWithoutTheExecute)
{
    TfrmExecProc *w = TfrmExecProc::Open(owner, "SalesDB", "dbo", "fn_OrdersByCustomer", 52);
    ASSERT_TRUE(w->flg_TblFnc);
    w->lstParam->TopItem(1)->SetSubItems({"int", "5"});
    server.clearLog();
    AnswerNextMessage();
    w->btnExecClick();
    for (const QString &s : server.statements())
        EXPECT_FALSE(s.contains(QStringLiteral("execute"))) << s.toStdString();
    const QStringList out = output(w);
    EXPECT_EQ(out.value(1), QStringLiteral("RESULT : TABLE"));
    EXPECT_EQ(out.value(2), QStringLiteral("受注ID\t受注日\t金額"));
    EXPECT_EQ(out.value(3).section('\t', 0, 0), QStringLiteral("1001"));
}

} // namespace
