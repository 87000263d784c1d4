#include "fakebackend.h"

#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "platform/db/dbwait.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class DbQuery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBackend>();
        backend = b.get();
        con.SetBackend(std::move(b));
        backend->answer = [this](const TDBRequest &r) { return answer(r); };
        con.Open();
        query.SetConnection(&con);
    }

    // Three rows for "select", errors and messages on cue.
    TDBBatch answer(const TDBRequest &r)
    {
        TDBBatch b;
        if (r.sql.contains(QLatin1String("select"))) {
            b.results.push_back(
                FakeBackend::table({DescribeColumn("id", "int"), DescribeColumn("Name", "nvarchar", 20)},
                                   {{1, "a"}, {2, "b"}, {3, QVariant()}}));
        } else if (r.sql.startsWith(QLatin1String("two"))) {
            b.results.push_back(FakeBackend::table({DescribeColumn("x", "int")}, {{1}}));
            b.results.push_back(FakeBackend::table({DescribeColumn("y", "nvarchar", 5)}, {{"y1"}, {"y2"}}));
        } else if (r.sql.startsWith(QLatin1String("empty"))) {
            b.results.push_back(FakeBackend::table({DescribeColumn("x", "int")}, {}));
        } else if (r.sql.startsWith(QLatin1String("update"))) {
            b.rowsAffected = 3;
            b.messages.append(FakeBackend::info(0, "printed"));
        } else if (r.sql.startsWith(QLatin1String("fail"))) {
            b.messages.append(FakeBackend::info(0, "before"));
            b.messages.append(FakeBackend::error(547, "The UPDATE statement conflicted", 2));
            b.messages.append(FakeBackend::error(3621, "The statement has been terminated.", 2));
        } else if (r.sql.startsWith(QLatin1String("drop"))) {
            b.linkLost = true;
            b.answered = !r.sql.startsWith(QLatin1String("drop unanswered"));
            b.messages.append({0, 0, 16, 0, "Communication link failure", "08S01", {}});
        } else if (r.sql == QLatin1String("COMMIT TRANSACTION") && commitFails) {
            b.messages.append(
                FakeBackend::error(3902, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."));
        }
        return b;
    }

    FakeBackend *backend = nullptr;
    TFDConnection con;
    TFDQuery query;
    bool commitFails = false;
};

TEST_F(DbQuery, OpenReadsTheResultAndNavigates)
{
    query.SetSQL("select id, name from t");
    query.Open();
    ASSERT_TRUE(query.Active());
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_TRUE(query.Bof());
    EXPECT_FALSE(query.Eof());
    QStringList names;
    for (query.First(); !query.Eof(); query.Next())
        names << query.FieldByName("NAME")->AsString() + (query.Fields(1)->IsNull() ? "!" : "");
    EXPECT_EQ(names, (QStringList{"a", "b", "!"}));
    EXPECT_EQ(query.RecNo(), 3); // Eof keeps the last record current
    query.Prior();
    EXPECT_EQ(query.Fields(0)->AsInteger(), 2);
    EXPECT_EQ(query.MoveBy(-5), -1);
    EXPECT_TRUE(query.Bof());
    query.Last();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.Fields(0)->AsLargeInt(), 3);
    EXPECT_EQ(query.FindField("missing"), nullptr);
    EXPECT_THROW(query.FieldByName("missing"), EDBError);
    EXPECT_THROW(query.Fields(2), EDBError);
    EXPECT_EQ(query.Fields(1)->DisplayName(), "Name");
    EXPECT_EQ(query.Fields(0)->Alignment(), taRightJustify);
    query.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.FieldCount(), 0);
}

TEST_F(DbQuery, EmptyResultIsAtBothEnds)
{
    query.Open("empty");
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_EQ(query.Fields(0)->AsString(), "");
    EXPECT_TRUE(query.Fields(0)->IsNull());
}

TEST_F(DbQuery, ParametersAreBoundAtEveryMarker)
{
    query.SetSQL("select :OWNER + '.' + :NAME, schema_id(:owner)");
    ASSERT_EQ(query.Params().Count(), 2);
    query.ParamByName("owner").SetAsWideString("dbo");
    query.Params()[1].SetAsWideString("t'1");
    query.Open();
    const TDBRequest r = backend->requests().last();
    EXPECT_EQ(r.sql, "select ? + '.' + ?, schema_id(?)");
    ASSERT_EQ(r.params.size(), 3);
    EXPECT_EQ(r.params[0].value, QVariant("dbo"));
    EXPECT_EQ(r.params[1].value, QVariant("t'1"));
    EXPECT_EQ(r.params[2].value, QVariant("dbo"));
    EXPECT_EQ(r.params[0].dataType, ftWideString);

    // A new text keeps the values of the names it still uses.
    query.SetSQL("select :NAME, :other");
    EXPECT_EQ(query.ParamByName("name").AsString(), "t'1");
    EXPECT_TRUE(query.ParamByName("other").IsNull());
    EXPECT_THROW(query.ParamByName("owner"), EDBError);
}

TEST_F(DbQuery, WithoutParameterCreationTheTextGoesAsWritten)
{
    query.SetParamCreate(false);
    query.SetSQL("select ':x', :y");
    query.Open();
    EXPECT_EQ(backend->requests().last().sql, "select ':x', :y");
    EXPECT_TRUE(backend->requests().last().params.isEmpty());
}

TEST_F(DbQuery, UseRunsAsABatchOfItsOwnBeforeAParameterisedStatement)
{
    const int before = backend->requests().size();
    query.SetSQL("use [my db]\r\nselect name from sys.schemas where name = :OWNER");
    query.ParamByName("OWNER").SetAsWideString("dbo");
    query.Open();
    const QStringList sent = backend->sqlTexts().mid(before);
    EXPECT_EQ(sent, (QStringList{"use [my db]", "\r\nselect name from sys.schemas where name = ?"}));

    // Without parameters the batch goes whole.
    query.Open("use [my db]\r\nselect 1");
    EXPECT_EQ(backend->sqlTexts().last(), "use [my db]\r\nselect 1");
}

TEST_F(DbQuery, ExecReportsRowsAndMessagesAndOpenNeedsAResult)
{
    EXPECT_EQ(query.ExecSQL("update t set a = 1"), 3);
    ASSERT_EQ(query.Messages().size(), 1);
    EXPECT_EQ(query.Messages().first().text, "printed");
    try {
        query.Open("update t set a = 1");
        FAIL() << "no error";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::NoResult);
    }
    EXPECT_FALSE(query.Active());
}

TEST_F(DbQuery, ErrorsKeepEveryRecordInOrder)
{
    try {
        query.ExecSQL("fail");
        FAIL() << "no error";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::Server);
        ASSERT_EQ(e.ErrorCount(), 2);
        EXPECT_EQ(e.Number(), 547);
        EXPECT_EQ(e.Line(), 2);
        EXPECT_EQ(e.Severity(), 16);
        EXPECT_EQ(e.Errors().at(1).number, 3621);
        EXPECT_EQ(e.message(), "The UPDATE statement conflicted\nThe statement has been terminated.");
        ASSERT_EQ(e.Messages().size(), 1);
        EXPECT_EQ(e.Messages().first().text, "before");
    }
    // The connection stays usable.
    EXPECT_NO_THROW(query.Open("select 1"));
}

TEST_F(DbQuery, LaterResultsOfTheBatchStayForNextRecordSet)
{
    query.Open("two");
    EXPECT_EQ(query.Fields(0)->FieldName(), "x");
    ASSERT_TRUE(query.NextRecordSet());
    EXPECT_EQ(query.Fields(0)->FieldName(), "y");
    EXPECT_EQ(query.RecordCount(), 2);
    EXPECT_FALSE(query.NextRecordSet());
    EXPECT_FALSE(query.Active());
}

TEST_F(DbQuery, LinksHearOpenCloseAndScrollAndHoldThemWhileDisabled)
{
    QSignalSpy active(&query, &TFDQuery::activeChanged);
    QSignalSpy scrolled(&query, &TFDQuery::dataSetScrolled);
    QSignalSpy changed(&query, &TFDQuery::dataSetChanged);
    int fieldsWhenClosing = -1;
    QObject::connect(&query, &TFDQuery::activeChanged, [&](bool on) {
        if (!on)
            fieldsWhenClosing = query.FieldCount();
    });
    query.Open("select");
    query.Next();
    EXPECT_EQ(scrolled.size(), 1);
    EXPECT_EQ(scrolled.first().first().toLongLong(), 1);
    query.DisableControls();
    query.Last();
    query.First();
    EXPECT_EQ(scrolled.size(), 1);
    query.EnableControls();
    EXPECT_EQ(changed.size(), 1);
    query.Close();
    ASSERT_EQ(active.size(), 2);
    EXPECT_EQ(fieldsWhenClosing, 2); // fields still there for the links to let go
}

TEST_F(DbQuery, BookmarksFollowRecordsThroughStoreChanges)
{
    query.Open("select");
    query.Last();
    const TRecordId last = query.Bookmark();
    query.Result()->DeleteRecord(0);
    query.Result()->InsertRecord(1);
    query.NotifyDataChanged();
    query.GotoBookmark(last);
    EXPECT_EQ(query.RecNo(), 3);
    EXPECT_TRUE(query.Fields(1)->IsNull());
    EXPECT_FALSE(query.BookmarkValid(0));
    EXPECT_LT(query.CompareBookmarks(1, last), 0);
    EXPECT_THROW(query.GotoBookmark(0), EDBError);
}

TEST_F(DbQuery, TransactionsStartedHereAreTracked)
{
    con.StartTransaction();
    EXPECT_TRUE(con.InTransaction());
    con.Commit();
    EXPECT_FALSE(con.InTransaction());
    con.StartTransaction();
    con.Rollback();
    EXPECT_EQ(backend->sqlTexts().mid(1),
              (QStringList{"BEGIN TRANSACTION", "COMMIT TRANSACTION", "BEGIN TRANSACTION", "ROLLBACK TRANSACTION"}));
    // A transaction the server already ended: the commit fails and the flag clears.
    con.StartTransaction();
    commitFails = true;
    EXPECT_THROW(con.Commit(), EDBError);
    EXPECT_FALSE(con.InTransaction());
}

TEST_F(DbQuery, ATransactionGuardRollsBackUnlessCommitted)
{
    const int before = backend->requests().size();
    try {
        TFDTransaction tr(con);
        EXPECT_TRUE(con.InTransaction());
        query.ExecSQL("fail");
        tr.Commit();
    } catch (const EDBError &) {
    }
    EXPECT_FALSE(con.InTransaction());
    {
        TFDTransaction tr(con);
        tr.Commit();
    }
    // An open transaction is not the guard's to end.
    con.StartTransaction();
    {
        TFDTransaction tr(con);
        EXPECT_FALSE(tr.Owns());
    }
    EXPECT_TRUE(con.InTransaction());
    EXPECT_EQ(backend->sqlTexts().mid(before),
              (QStringList{"BEGIN TRANSACTION", "fail", "ROLLBACK TRANSACTION", "BEGIN TRANSACTION",
                           "COMMIT TRANSACTION", "BEGIN TRANSACTION"}));
}

TEST_F(DbQuery, EveryOpenIsANewGeneration)
{
    query.Open("select");
    const quint64 first = query.Generation();
    query.Open("select");
    EXPECT_GT(query.Generation(), first);
}

TEST_F(DbQuery, ALostLinkStaysLostWithoutAutomaticReconnect)
{
    QSignalSpy lost(&con, &TFDConnection::lost);
    try {
        query.Open("drop");
        FAIL();
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::LinkLost);
    }
    EXPECT_EQ(lost.size(), 1);
    EXPECT_FALSE(con.Connected());
    EXPECT_THROW(query.Open("select"), EDBError);
    EXPECT_EQ(backend->connects, 1);
}

TEST_F(DbQuery, AutomaticReconnectRestoresTheLinkAtTheNextStatement)
{
    con.SetAutoReconnect(true);
    QSignalSpy restored(&con, &TFDConnection::restored);
    QSignalSpy connected(&con, &TFDConnection::afterConnect);
    EXPECT_THROW(query.Open("drop"), EDBError);
    EXPECT_TRUE(con.Connected()); // recoverable
    query.Open("select");
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(backend->connects, 2);
    EXPECT_EQ(restored.size(), 1);
    EXPECT_EQ(connected.size(), 1);
    EXPECT_EQ(backend->sqlTexts().mid(backend->sqlTexts().size() - 2, 1), QStringList{"SET TEXTSIZE 2147483647"});
}

TEST_F(DbQuery, ALinkLostInATransactionIsNeverReplacedSilently)
{
    con.SetAutoReconnect(true);
    con.StartTransaction();
    EXPECT_THROW(query.Open("drop"), EDBError);
    EXPECT_FALSE(con.InTransaction());
    EXPECT_FALSE(con.Connected());
    try {
        query.Open("select");
        FAIL();
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::LinkLost);
        EXPECT_TRUE(e.message().contains("トランザクション"));
    }
    EXPECT_EQ(backend->connects, 1);
    con.Close();
    con.Open();
    EXPECT_NO_THROW(query.Open("select"));

    // Nor is a statement that found the link gone sent again on a new
    // session: not in a transaction started here, not with autocommit off.
    for (bool autoCommitOff : {false, true}) {
        SCOPED_TRACE(autoCommitOff ? "autocommit off" : "transaction");
        con.Close();
        con.Open();
        if (autoCommitOff)
            con.SetAutoCommit(false);
        else
            con.StartTransaction();
        const int connects = backend->connects;
        EXPECT_THROW(query.Open("drop unanswered"), EDBError);
        EXPECT_FALSE(con.Connected());
        EXPECT_THROW(query.Open("select"), EDBError);
        EXPECT_EQ(backend->connects, connects);
        con.SetAutoCommit(true);
    }
}

TEST_F(DbQuery, EscapeCancelsAndAStatementDuringTheWaitIsRefused)
{
    QWidget window;
    window.show();
    QSignalSpy started(TDBWaitNotifier::instance(), &TDBWaitNotifier::waitStarted);
    int ticks = 0;
    QString refusal;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 2) {
            TFDQuery other;
            other.SetConnection(&con);
            try {
                other.Open("select 1");
            } catch (const EDBError &e) {
                refusal = e.Kind() == TDBErrorKind::Busy ? QStringLiteral("busy") : e.message();
            }
        }
        if (ticks == 4)
            QTest::keyClick(&window, Qt::Key_Escape);
    });
    timer.start(20);
    try {
        query.ExecSQL("waitfor delay '00:00:10'");
        FAIL() << "not cancelled";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::Cancelled);
    }
    EXPECT_EQ(refusal, "busy");
    EXPECT_EQ(started.size(), 1);
    EXPECT_GE(ticks, 4);
    EXPECT_NO_THROW(query.Open("select"));
}

TEST_F(DbQuery, ShortStatementsDoNotEnterTheWaitLoop)
{
    QSignalSpy started(TDBWaitNotifier::instance(), &TDBWaitNotifier::waitStarted);
    for (int i = 0; i < 20; ++i)
        query.Open("select");
    EXPECT_EQ(started.size(), 0);
}

TEST(DbConnection, FailedLogonLeavesItClosed)
{
    TFDConnection con;
    auto b = std::make_unique<FakeBackend>();
    b->failConnect = true;
    con.SetBackend(std::move(b));
    EXPECT_THROW(con.Open(), EDBError);
    EXPECT_FALSE(con.Connected());
    EXPECT_EQ(con.DriverName(), "");
    TFDQuery q;
    q.SetConnection(&con);
    try {
        q.Open("select 1");
        FAIL();
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Kind(), TDBErrorKind::NotConnected);
    }
}

} // namespace
