// The database layer end to end: through unixODBC and the FreeTDS driver
// against the TDS test server, and through the scripted backend, on the same
// rule file and with the same expectations.
#include "platform/db/dbconnection.h"
#include "platform/db/dbtext.h"
#include "platform/db/dbquery.h"
#include "platform/db/dbwait.h"
#include "support/scripted/scriptedbackend.h"
#include "tds/tdsserver.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

enum class Backend { Odbc, Scripted };

class DbBackends : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        QString error;
        if (odbc()) {
            ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/dblayer.rules", &error)) << error.toStdString();
            ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        } else {
            ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/dblayer.rules", &error)) << error.toStdString();
        }
        setUp(con);
        ASSERT_NO_THROW(con.Open());
        query.SetConnection(&con);
    }

    bool odbc() const { return GetParam() == Backend::Odbc; }

    void setUp(TFDConnection &c, const QString &user = QStringLiteral("sa"))
    {
        if (!odbc())
            c.SetBackend(std::make_unique<TScriptedBackend>(script));
        c.Params().SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        c.Params().SetValue("User_Name", user);
        c.Params().SetValue("Password", "pw;x=}");
        c.Params().SetValue("Database", "master");
        c.Params().SetValue("ApplicationName", "zk-test");
        c.Params().SetValue("Encrypt", "No");
        c.Params().SetValue("OSAuthent", "No");
    }

    void loadRules(const QString &text)
    {
        if (odbc())
            ASSERT_TRUE(server.loadRulesText(text));
        else
            ASSERT_TRUE(script->LoadText(text));
    }
    QStringList statements() const { return odbc() ? server.statements() : script->Statements(); }
    // The last request: "batch: <text>" or "rpc: <text> | <parameters with types>".
    QString lastRequest(int back = 0) const
    {
        if (odbc()) {
            const QList<TdsLogEntry> log = server.log();
            const TdsLogEntry &e = log.at(log.size() - 1 - back);
            return e.kind == TdsLogEntry::Rpc ? "rpc: " + e.text + " | " + e.params : "batch: " + e.text;
        }
        const QList<TScriptEntry> log = script->Log();
        const TScriptEntry &e = log.at(log.size() - 1 - back);
        return e.kind == TScriptEntry::Rpc ? "rpc: " + e.text + " | " + e.params : "batch: " + e.text;
    }
    int logins() const
    {
        if (odbc())
            return int(server.logins().size());
        const QList<TScriptEntry> log = script->Log();
        return int(
            std::count_if(log.begin(), log.end(), [](const TScriptEntry &e) { return e.kind == TScriptEntry::Login; }));
    }
    void dropConnections()
    {
        if (odbc())
            server.dropConnections();
        else
            script->DropConnections();
    }

    QStringList column(TFDQuery &q, int field)
    {
        QStringList values;
        for (q.First(); !q.Eof(); q.Next())
            values << (q.Fields(field)->IsNull() ? QStringLiteral("<null>") : q.Fields(field)->AsString());
        return values;
    }

    TdsServer server;
    std::shared_ptr<TScript> script = std::make_shared<TScript>();
    TFDConnection con;
    TFDQuery query;
};

TEST_P(DbBackends, LogsOnWithTheParametersAndSetsTheTextSize)
{
    if (odbc()) {
        ASSERT_EQ(server.logins().size(), 1);
        const TdsLoginRecord login = server.logins().first();
        EXPECT_EQ(login.user, "sa");
        EXPECT_EQ(login.password, "pw;x=}");
        EXPECT_EQ(login.database, "master");
        EXPECT_EQ(login.appName, "zk-test");
        EXPECT_EQ(login.tdsVersion, 0x74000004u);
    } else {
        EXPECT_EQ(script->LogLines().first(), "[1] login: sa database=master app=zk-test");
    }
    EXPECT_EQ(statements().first(), "SET TEXTSIZE 2147483647");
    const QString driver = odbc() ? "FreeTDS" : "Scripted";
    EXPECT_EQ(con.DriverName(), driver);
    QStringList report;
    con.GetInfoReport(report);
    EXPECT_TRUE(report.contains("Driver name = " + driver));
    EXPECT_FALSE(report.join('\n').contains("pw;x"));
    con.Close();
    EXPECT_FALSE(con.Connected());
    EXPECT_EQ(con.DriverName(), "");
}

TEST_P(DbBackends, EveryTypeArrivesWithItsTextForm)
{
    query.Open("select * from typed");
    ASSERT_EQ(query.RecordCount(), 2);
    const QStringList expected = {"int -2147483648",
                                  "bigint 9223372036854775807",
                                  "smallint -32768",
                                  "tinyint 255",
                                  "bit True",
                                  "decimal(18,4) -12.3456",
                                  "decimal(38,10) -12345678901234567890.0123456789",
                                  "float 0.1",
                                  "real 0.5",
                                  "money 922337203685477.5807",
                                  "smallmoney -214748.3648",
                                  "nvarchar(40) テスト's",
                                  "varchar(20) café",
                                  "nchar(3) ab ",
                                  "nvarchar(max) long",
                                  "text txt",
                                  "ntext ユニコード",
                                  "xml <a>x</a>",
                                  "datetime 2024/01/31 12:34:56",
                                  "smalldatetime 2024/01/31 12:35:00",
                                  "datetime2(7) 2024/01/31 12:34:56",
                                  "date 0001/01/01",
                                  "time(7) 23:59:59",
                                  "datetimeoffset(3) 2024/01/31 12:00:00 +09:00",
                                  "uniqueidentifier 6F9619FF-8B86-D011-B42D-00C04FC964FF",
                                  "binary(4) 0x0A0B0000",
                                  "varbinary(10) 0x00FF",
                                  "varbinary(max) 0x010203",
                                  "image 0xFFD8",
                                  "timestamp 0x00000000000007D1",
                                  "sql_variant 15.0"};
    ASSERT_EQ(query.FieldCount(), expected.size());
    for (int i = 0; i < query.FieldCount(); ++i) {
        TField *f = query.Fields(i);
        SCOPED_TRACE(f->FieldName().toStdString());
        EXPECT_EQ(f->Def().sqlTypeText() + ' ' + f->AsString(), expected.at(i));
        EXPECT_FALSE(f->IsNull());
    }
    // A time format with fractions shows every digit the type keeps.
    const TDBFormatSettings saved = DBFormatSettings();
    SetDBFormatSettings({"yyyy/MM/dd", "HH:mm:ss.zzz"});
    EXPECT_EQ(query.FieldByName("dt")->AsString(), "2024/01/31 12:34:56.790");
    EXPECT_EQ(query.FieldByName("d2")->AsString(), "2024/01/31 12:34:56.1234567");
    EXPECT_EQ(query.FieldByName("tt")->AsString(), "23:59:59.9999999");
    EXPECT_EQ(query.FieldByName("dto")->AsString(), "2024/01/31 12:00:00.500 +09:00");
    SetDBFormatSettings(saved);
    query.Next();
    for (int i = 0; i < query.FieldCount(); ++i)
        EXPECT_TRUE(query.Fields(i)->IsNull()) << i;
    EXPECT_EQ(query.FieldByName("vbm")->DataType(), ftBlob);
    EXPECT_EQ(query.FieldByName("nvm")->DataType(), ftWideMemo);
    EXPECT_EQ(query.FieldByName("d2")->DataType(), ftTimeStamp);
}

TEST_P(DbBackends, LongValuesAreNeverCut)
{
    const QString longText = QString(70000, QChar(0x3042)) + QStringLiteral("end");
    const QString bytes = QStringLiteral("0x") + QString(2 * 70000, QLatin1Char('A'));
    loadRules(
        QStringLiteral(
            "rule exact: select long\n  result: t nvarchar(max), v varchar(max), b varbinary(max)\n  row: N'%1', '%2', %3\n")
            .arg(longText, QString(70000, QLatin1Char('x')), bytes));
    query.Open("select long");
    EXPECT_EQ(query.Fields(0)->AsString(), longText);
    EXPECT_EQ(query.Fields(1)->AsString().size(), 70000);
    EXPECT_EQ(query.Fields(2)->AsBytes().size(), 70000);
}

TEST_P(DbBackends, AParameterUsedTwiceIsBoundTwice)
{
    query.SetSQL(
        "select count(*) as n from sys.objects where schema_id = schema_id(:OWNER) and principal_id = user_id(:OWNER)");
    query.ParamByName("OWNER").SetAsWideString("dbo");
    query.Open();
    EXPECT_EQ(query.Fields(0)->AsInteger(), 42);
    EXPECT_EQ(lastRequest(), "rpc: select count(*) as n from sys.objects where schema_id = schema_id(@P1) and "
                             "principal_id = user_id(@P2) | @P1 nvarchar(4000) = N'dbo', @P2 nvarchar(4000) = N'dbo'");
    if (odbc()) {
        EXPECT_EQ(server.log().last().procedure, "sp_executesql");
    }
}

TEST_P(DbBackends, OutputInputOutputAndReturnParametersAreReadBack)
{
    loadRules("rule contains: exec dbo.usp_out\n"
              "  rowcount: 1\n"
              "  output: @P2 = N'受付済', @P3 = 2.5\n"
              "  return: 7\n");
    query.SetSQL("execute :ret = dbo.usp_out :名前, :msg output, :ratio output, :n output, :gone output");
    TFDParam &ret = query.ParamByName("ret");
    ret.SetParamType(ptResult);
    ret.SetDataType(ftLargeint);
    query.ParamByName("名前").SetAsWideString("山田");
    TFDParam &msg = query.ParamByName("msg");
    msg.SetAsWideString("x");
    msg.SetParamType(ptOutput);
    TFDParam &ratio = query.ParamByName("ratio");
    ratio.SetAsFloat(0);
    ratio.SetParamType(ptOutput);
    TFDParam &n = query.ParamByName("n");
    n.SetAsLargeInt(41);
    n.SetParamType(ptInputOutput);
    TFDParam &gone = query.ParamByName("gone");
    gone.SetAsWideString("old");
    gone.SetParamType(ptOutput);
    query.ExecSQL();
    EXPECT_EQ(ret.Value(), QVariant(qlonglong(7)));
    EXPECT_EQ(query.ParamByName("名前").AsString(), "山田");
    EXPECT_EQ(msg.Value(), QVariant(QStringLiteral("受付済")));
    EXPECT_EQ(ratio.Value(), QVariant(2.5));
    EXPECT_EQ(n.Value(), QVariant(qlonglong(41))); // nothing named it: what was sent
    EXPECT_TRUE(gone.IsNull());                    // a pure output sends no value
    // The call goes to the procedure by name: the driver hands outputs
    // back only from such a call.
    EXPECT_EQ(lastRequest(), "rpc: exec dbo.usp_out | @P1 nvarchar(4000) = N'山田', @P2 nvarchar(4000) = NULL output,"
                             " @P3 float = NULL output, @P4 bigint = 41 output, @P5 nvarchar(4000) = NULL output");

    // A call that fails still hands back its outputs.
    loadRules("rule contains: exec dbo.usp_fail\n"
              "  error: 50001, 1, 16, 3, 在庫が足りません。\n"
              "  output: @P1 = N'NG'\n"
              "  return: -1\n");
    query.SetSQL("execute :ret = dbo.usp_fail :msg output");
    query.ParamByName("ret").SetParamType(ptResult);
    query.ParamByName("ret").SetDataType(ftLargeint);
    query.ParamByName("msg").SetParamType(ptInputOutput);
    query.ParamByName("msg").SetAsWideString("in");
    EXPECT_THROW(query.ExecSQL(), EDBError);
    EXPECT_EQ(query.ParamByName("ret").Value(), QVariant(qlonglong(-1)));
    EXPECT_EQ(query.ParamByName("msg").Value(), QVariant(QStringLiteral("NG")));
}

TEST_P(DbBackends, UseChangesTheSessionDatabaseAlsoBeforeAParameterisedStatement)
{
    query.Open("use [sales db]\r\nselect id, name from people");
    EXPECT_EQ(column(query, 1), (QStringList{"一", "two", "<null>"}));
    ASSERT_FALSE(query.Messages().isEmpty());
    EXPECT_EQ(query.Messages().first().number, 5701);

    query.SetSQL(
        "use [master]\r\nselect count(*) as n from sys.objects where schema_id = schema_id(:A) and principal_id = user_id(:B)");
    query.ParamByName("A").SetAsWideString("dbo");
    query.ParamByName("B").SetAsWideString("dbo");
    query.Open();
    EXPECT_EQ(lastRequest(1), "batch: use [master]");
    EXPECT_TRUE(lastRequest().startsWith("rpc: \r\nselect count(*)")) << lastRequest().toStdString();
    query.Open("select db_name()");
    EXPECT_EQ(query.Fields(0)->AsString(), "master"); // the use outlived the parameterised call
}

TEST_P(DbBackends, TextReachesTheServerUnchanged)
{
    const QString sql =
        QStringLiteral("select '{fn now()}', '!&?', N'::x' -- {d '2024-01-01'} ? :NOPARAM\n/* {call p} */");
    EXPECT_THROW(query.Open(sql), EDBError); // no rule answers it
    EXPECT_EQ(statements().last(), sql);
}

TEST_P(DbBackends, ErrorsCarryNumberSeverityLineAndEveryRecord)
{
    try {
        query.ExecSQL("update orders set customer = 9");
        FAIL() << "no error";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::Server);
        ASSERT_EQ(e.ErrorCount(), 2);
        EXPECT_EQ(e.Number(), 547);
        EXPECT_EQ(e.Severity(), 16);
        EXPECT_EQ(e.Line(), 2);
        EXPECT_EQ(e.Errors().at(1).number, 3621);
        EXPECT_EQ(e.message(), "The UPDATE statement conflicted with the FOREIGN KEY constraint \"FK_orders\".\n"
                               "The statement has been terminated.");
        ASSERT_EQ(e.Messages().size(), 1);
        EXPECT_EQ(e.Messages().first().text, "checking orders");
    }
}

TEST_P(DbBackends, MessagesUpToSeverityTenAreNoErrors)
{
    loadRules("rule exact: exec low_severity\n  message: 0, 1, 0, printed\n  message: 50000, 1, 10, raised at ten\n"
              "  result: a int\n  row: 1\n  message: 50000, 2, 10, after the rows\n");
    query.Open("exec low_severity");
    EXPECT_EQ(query.RecordCount(), 1);
    QStringList texts;
    for (const TDBMessage &m : query.Messages())
        texts << QStringLiteral("%1 %2 %3").arg(m.number).arg(m.severity).arg(m.text);
    // FreeTDS hands out the records of one call higher severity first.
    texts.sort();
    EXPECT_EQ(texts, (QStringList{"0 0 printed", "50000 10 after the rows", "50000 10 raised at ten"}));
    EXPECT_EQ(query.ExecSQL("exec low_severity"), -1);
    EXPECT_EQ(con.Messages().size(), 3);
}

TEST_P(DbBackends, OpenReadsTheWholeBatchAndExecCountsEveryRow)
{
    EXPECT_EQ(query.ExecSQL("exec counts"), 8);
    EXPECT_EQ(query.ExecSQL("exec nothing"), 0);
    try {
        query.Open("exec rows_then_error");
        FAIL() << "the late error was lost";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Number(), 8134);
        EXPECT_EQ(e.Line(), 3);
    }
    EXPECT_FALSE(query.Active());
    query.Open("exec two_results");
    EXPECT_EQ(query.Fields(0)->FieldName(), "a");
    ASSERT_TRUE(query.NextRecordSet());
    EXPECT_EQ(column(query, 0), (QStringList{"x", "y"}));
    EXPECT_THROW(query.Open("exec counts"), EDBError); // no result set
}

TEST_P(DbBackends, NothingAfterAFailedStatementOrAfterTheLastResultIsLost)
{
    const auto attentions = [this] {
        const QList<TdsLogEntry> log = odbc() ? server.log() : QList<TdsLogEntry>();
        return std::count_if(log.begin(), log.end(),
                             [](const TdsLogEntry &e) { return e.kind == TdsLogEntry::Attention; });
    };
    try {
        query.ExecSQL("exec error_then_more");
        FAIL() << "no error";
    } catch (const EDBError &e) {
        ASSERT_EQ(e.ErrorCount(), 2);
        EXPECT_EQ(e.Errors().at(0).number, 2627);
        EXPECT_EQ(e.Errors().at(1).number, 8152); // after the rows: the batch was read to its end
        EXPECT_EQ(e.Errors().at(1).line, 5);
    }
    query.Open("exec rows_then_print");
    ASSERT_EQ(query.Messages().size(), 1);
    EXPECT_EQ(query.Messages().first().text, "done printing");
    EXPECT_EQ(attentions(), 0); // no statement was cut short
}

TEST_P(DbBackends, SeveralResultsStayOpenOnOneConnection)
{
    TFDQuery other;
    other.SetConnection(&con);
    query.Open("select id, name from people");
    other.Open("select name from sys.schemas");
    query.Last();
    EXPECT_EQ(query.Fields(0)->AsInteger(), 3);
    EXPECT_EQ(column(other, 0), (QStringList{"dbo", "sales"}));
}

TEST_P(DbBackends, EscapeCancelsAWaitforAndATimerCannotRunASecondStatement)
{
    QWidget window;
    window.show();
    QString refusal;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 3) {
            TFDQuery keepAlive;
            keepAlive.SetConnection(&con);
            keepAlive.SetSilent(true);
            try {
                keepAlive.Open("SELECT 1");
            } catch (const EDBError &e) {
                refusal = e.Kind() == TDBErrorKind::Busy ? QStringLiteral("busy") : e.message();
            }
        }
        if (ticks == 6)
            QTest::keyClick(&window, Qt::Key_Escape);
    });
    timer.start(50);
    QElapsedTimer elapsed;
    elapsed.start();
    try {
        query.ExecSQL("waitfor delay '00:00:20'");
        FAIL() << "not cancelled";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::Cancelled);
        EXPECT_EQ(e.message(), "SQL の実行がキャンセルされました。");
    }
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_EQ(refusal, "busy");
    if (odbc()) {
        EXPECT_TRUE(server.waitForLog([](const QList<TdsLogEntry> &log) {
            return std::any_of(log.begin(), log.end(),
                               [](const TdsLogEntry &e) { return e.kind == TdsLogEntry::Attention; });
        }));
    }
    timer.stop();
    query.Open("select id, name from people"); // the connection goes on
    EXPECT_EQ(query.RecordCount(), 3);
}

TEST_P(DbBackends, ADroppedLinkIsNoticedAndStaysLostWithoutReconnect)
{
    QSignalSpy lost(&con, &TFDConnection::lost);
    try {
        query.Open("select lose the link");
        FAIL();
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::LinkLost);
    }
    EXPECT_EQ(lost.size(), 1);
    EXPECT_FALSE(con.Connected());
    EXPECT_THROW(query.Open("select id, name from people"), EDBError);
    EXPECT_EQ(logins(), 1);
}

TEST_P(DbBackends, ALostLinkReconnectsAtTheNextStatementWhenSwitchedOn)
{
    con.SetAutoReconnect(true);
    QSignalSpy restored(&con, &TFDConnection::restored);
    QSignalSpy afterConnect(&con, &TFDConnection::afterConnect);
    QSignalSpy lost(&con, &TFDConnection::lost);
    dropConnections();                         // the network drops the idle link
    query.Open("select id, name from people"); // never reached the server: runs on a new session
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(logins(), 2);
    EXPECT_EQ(lost.size(), 1);
    EXPECT_EQ(restored.size(), 1);
    EXPECT_EQ(afterConnect.size(), 1);
    EXPECT_EQ(statements().filter("select id, name from people").size(), 1);
}

TEST_P(DbBackends, ALinkThatBreaksMidAnswerIsLostAndNeverRunAgain)
{
    // The link breaks where more of the batch was still to come.
    loadRules(
        "rule exact: exec rows_then_drop\n  result: a int\n  row: 1\n  drop\n  rowcount: 1\n"
        "rule exact: exec count_then_drop\n  rowcount: 3\n  drop\n  rowcount: 1\n"
        "rule exact: exec error_then_drop\n  error: 547, 0, 16, 2, The statement conflicted.\n  drop\n  rowcount: 1\n");
    struct Case
    {
        const char *sql;
        bool open;
    };
    const Case cases[] = {{"exec rows_then_drop", true},
                          {"exec rows_then_drop", false},
                          {"exec count_then_drop", false},
                          {"exec error_then_drop", false}};
    for (bool reconnect : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.sql) + (c.open ? " open" : " exec") + (reconnect ? " reconnect" : ""));
            con.Close();
            con.Open();
            con.SetAutoReconnect(reconnect);
            const int sent = int(statements().filter(c.sql).size());
            try {
                if (c.open)
                    query.Open(c.sql);
                else
                    query.ExecSQL(c.sql);
                FAIL() << "a cut answer passed for a whole one";
            } catch (const EDBError &e) {
                EXPECT_EQ(e.Kind(), TDBErrorKind::LinkLost) << e.what();
            }
            EXPECT_FALSE(query.Active());
            EXPECT_EQ(statements().filter(c.sql).size(), sent + 1);
            EXPECT_EQ(con.Connected(), reconnect);
        }
    }
    // A batch answered to its end before the link broke stands; the next
    // statement finds the link gone.
    loadRules("rule exact: exec whole_then_drop\n  result: a int\n  row: 1\n  drop\n");
    con.Close();
    con.Open();
    con.SetAutoReconnect(false);
    query.Open("exec whole_then_drop");
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_THROW(query.Open("select id, name from people"), EDBError);
    EXPECT_FALSE(con.Connected());
}

TEST_P(DbBackends, TransactionsStartedHereAndTheServerCount)
{
    con.StartTransaction();
    EXPECT_TRUE(con.InTransaction());
    query.Open("select @@trancount");
    EXPECT_EQ(query.Fields(0)->AsInteger(), 1);
    con.Commit();
    EXPECT_FALSE(con.InTransaction());
    query.Open("select @@trancount");
    EXPECT_EQ(query.Fields(0)->AsInteger(), 0);
    con.StartTransaction();
    con.Rollback();
    EXPECT_FALSE(con.InTransaction());

    // The driver's autocommit: switching it back on commits the work first.
    con.SetAutoCommit(false);
    EXPECT_FALSE(con.AutoCommit());
    con.SetAutoCommit(true);
    if (odbc()) {
        QStringList tm;
        for (const TdsLogEntry &e : server.log()) {
            if (e.kind == TdsLogEntry::Transaction)
                tm << e.text;
        }
        // FreeTDS then rolls back only the empty transaction the commit began.
        EXPECT_EQ(tm, (QStringList{"begin", "commit, begin", "rollback"}));
    } else {
        EXPECT_EQ(script->LogLines().mid(script->LogLines().size() - 2),
                  (QStringList{"[1] autocommit: off", "[1] autocommit: on"}));
    }
}

// With autocommit off the driver's transaction is open work: it counts as a
// transaction, and Commit and Rollback end it on the server while
// autocommit stays off.
TEST_P(DbBackends, AutocommitOffIsATransactionThatCommitAndRollbackEnd)
{
    EXPECT_FALSE(con.InTransaction());
    con.SetAutoCommit(false);
    EXPECT_TRUE(con.InTransaction());
    query.Open("select id, name from people");
    con.Commit();
    EXPECT_TRUE(con.InTransaction());
    EXPECT_FALSE(con.AutoCommit());
    query.Open("select id, name from people");
    con.Rollback();
    EXPECT_TRUE(con.InTransaction());
    con.SetAutoCommit(true);
    EXPECT_FALSE(con.InTransaction());
    if (odbc()) {
        QStringList tm;
        for (const TdsLogEntry &e : server.log()) {
            if (e.kind == TdsLogEntry::Transaction)
                tm << e.text;
        }
        EXPECT_EQ(tm, (QStringList{"begin", "commit, begin", "rollback, begin", "commit, begin", "rollback"}));
    } else {
        QStringList ends;
        for (const QString &line : script->LogLines()) {
            if (line.contains("autocommit") || line.contains("end transaction"))
                ends << line;
        }
        EXPECT_EQ(ends, (QStringList{"[1] autocommit: off", "[1] end transaction: commit",
                                     "[1] end transaction: rollback", "[1] autocommit: on"}));
    }
    con.Close();
    EXPECT_FALSE(con.InTransaction());
}

TEST_P(DbBackends, ARefusedLogonLeavesTheConnectionClosed)
{
    TFDConnection refused;
    setUp(refused, "refused_user");
    try {
        refused.Open();
        FAIL();
    } catch (const EDBError &e) {
        EXPECT_TRUE(e.message().contains("Login failed for user 'refused_user'.")) << e.what();
    }
    EXPECT_FALSE(refused.Connected());
}

// The test server offers no encryption: a logon that requires it fails, and
// the message says why in Japanese before the driver's own text.
TEST_P(DbBackends, EncryptionTheServerDoesNotOfferIsNamedAsTheCause)
{
    if (!odbc())
        GTEST_SKIP() << "the driver's refusal belongs to the ODBC backend";
    TFDConnection encrypted;
    setUp(encrypted);
    encrypted.Params().SetValue("Encrypt", "Yes");
    try {
        encrypted.Open();
        FAIL();
    } catch (const EDBError &e) {
        const QString text = e.message();
        EXPECT_TRUE(
            text.startsWith(QStringLiteral("データベースに接続できませんでした。サーバーが暗号化接続を拒否したか、"
                                           "暗号化に対応していない可能性があります。")))
            << e.what();
        EXPECT_GT(text.size(), 60) << "the driver's text follows";
    }
}

TEST_P(DbBackends, WindowsAuthenticationWithoutKerberosFailsClearly)
{
    if (!odbc())
        GTEST_SKIP() << "the check belongs to the ODBC backend";
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("KRB5CCNAME");
    qputenv("KRB5CCNAME", "FILE:" + dir.filePath("no-cache").toLocal8Bit());
    TFDConnection windows;
    setUp(windows, QString());
    windows.Params().SetValue("OSAuthent", "Yes");
    try {
        windows.Open();
        FAIL();
    } catch (const EDBError &e) {
        EXPECT_TRUE(e.message().contains("Kerberos")) << e.what();
    }
    if (saved.isNull())
        qunsetenv("KRB5CCNAME");
    else
        qputenv("KRB5CCNAME", saved);
    EXPECT_EQ(logins(), 1); // the Windows logon never reached the server
}

TEST(ScriptedBackend, AScopeMakesEveryNewConnectionScripted)
{
    auto script = std::make_shared<TScript>();
    ASSERT_TRUE(
        script->LoadText("rule exact: select name from sys.schemas\n  result: name nvarchar(128)\n  row: N'dbo'\n"));
    {
        TScriptedScope scope(script);
        TFDConnection c;
        c.Params().SetValue("User_Name", "u");
        c.Open();
        TFDQuery q;
        q.SetConnection(&c);
        q.Open("select name from sys.schemas");
        EXPECT_EQ(q.Fields(0)->AsString(), "dbo");
        EXPECT_NE(dynamic_cast<TScriptedBackend *>(c.Backend()), nullptr);
    }
    EXPECT_EQ(script->LogLines(),
              (QStringList{"[1] login: u database=master app=", "[1] batch: SET TEXTSIZE 2147483647",
                           "[1] batch: select name from sys.schemas", "[1] disconnect"}));
    TFDConnection plain;
    EXPECT_EQ(dynamic_cast<TScriptedBackend *>(plain.Backend()), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Backends, DbBackends, ::testing::Values(Backend::Odbc, Backend::Scripted),
                         [](const ::testing::TestParamInfo<Backend> &info) {
                             return info.param == Backend::Odbc ? "Odbc" : "Scripted";
                         });

} // namespace
