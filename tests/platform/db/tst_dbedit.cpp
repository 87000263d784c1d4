// Record editing of a query: edit, insert, post, cancel, the moves that
// post or drop, bulk inserts and batch deletes, with handlers in place of
// a server.
#include "fakebackend.h"

#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "platform/db/dbtext.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class DbEdit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBackend>();
        b->answer = [](const TDBRequest &) {
            TDBBatch batch;
            batch.results.push_back(
                FakeBackend::table({DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 20),
                                    DescribeColumn("stamp", "datetime2", 0, 0, 7)},
                                   {{1, "a", QVariant()}, {2, "b", QVariant()}, {3, "c", QVariant()}}));
            return batch;
        };
        con.SetBackend(std::move(b));
        con.Open();
        query.SetConnection(&con);
        query.Open("select");
        query.SetPostHandler([this](TFDQuery *q, const TFDQuery::TPostRequest &r) {
            if (failPost)
                throw EDBError(TDBErrorKind::Server, QStringLiteral("refused"));
            posts << QStringLiteral("%1 %2 [%3]")
                         .arg(r.inserting ? "insert" : "update", q->Fields(1)->TextAt(r.record))
                         .arg(r.changedColumns.size());
        });
        query.SetDeleteHandler([this](TFDQuery *q, TRecordId r) {
            if (q->Fields(0)->ValueAt(r).toInt() == refuseDeleteOf)
                throw EDBError(TDBErrorKind::Server, QStringLiteral("refused"));
            deletes << q->Fields(0)->ValueAt(r).toInt();
        });
    }
    QStringList names()
    {
        QStringList list;
        for (qint64 p = 0; p < query.RecordCount(); ++p)
            list << query.Fields(1)->TextAt(query.Result()->RecordId(p));
        return list;
    }

    TFDConnection con;
    TFDQuery query;
    QStringList posts;
    QList<int> deletes;
    bool failPost = false;
    int refuseDeleteOf = -1;
};

TEST_F(DbEdit, EditPostAndCancelKeepEveryDigit)
{
    EXPECT_EQ(query.State(), dsBrowse);
    query.Edit();
    EXPECT_EQ(query.State(), dsEdit);
    query.Post(); // nothing changed: nothing posted
    EXPECT_TRUE(posts.isEmpty());
    EXPECT_EQ(query.State(), dsBrowse);

    // A datetime2 written and cancelled comes back to the tick.
    const qint64 ticks = qint64(dbtext::DaysFromCivil(2024, 1, 31)) * dbtext::TicksPerDay + 1234567;
    query.Result()->SetValue(2, 0, QVariant());
    TDBResultSet one(query.Result()->Columns());
    one.AppendNull(0);
    one.AppendNull(1);
    one.AppendTicks(2, ticks);
    one.EndRow();
    query.Result()->CopyValue(2, 0, one, 0);
    query.Edit();
    query.Fields(2)->SetText(QStringLiteral("2020/01/01 10:00"));
    query.Fields(1)->SetText(QStringLiteral("x"));
    EXPECT_TRUE(query.Modified());
    query.Cancel();
    EXPECT_EQ(query.Result()->Ticks(2, 0), ticks);
    EXPECT_EQ(query.Fields(1)->AsString(), QStringLiteral("a"));

    query.Edit();
    query.Fields(1)->SetText(QStringLiteral("y"));
    query.Post();
    EXPECT_EQ(posts, (QStringList{"update y [1]"}));
}

TEST_F(DbEdit, MovingPostsAChangeAndDropsAnUntouchedInsert)
{
    query.Next();
    query.Insert(); // before b
    EXPECT_EQ(names(), (QStringList{"a", "", "b", "c"}));
    query.Next();
    EXPECT_EQ(names(), (QStringList{"a", "b", "c"}));
    EXPECT_TRUE(posts.isEmpty());
    query.Append();
    query.Fields(1)->SetText(QStringLiteral("d"));
    query.First();
    EXPECT_EQ(posts, (QStringList{"insert d [1]"}));
    EXPECT_EQ(names(), (QStringList{"a", "b", "c", "d"}));

    // A refused post keeps the record where it was, in edit.
    failPost = true;
    query.Edit();
    query.Fields(1)->SetText(QStringLiteral("z"));
    EXPECT_THROW(query.Next(), EDBError);
    EXPECT_EQ(query.State(), dsEdit);
    EXPECT_EQ(query.RecNo(), 1);
}

TEST_F(DbEdit, WritingOutsideEditIsRefusedAndBadTextNamesValueAndField)
{
    EXPECT_THROW(query.Fields(1)->SetText("x"), EDBError);
    query.Edit();
    try {
        query.Fields(0)->SetText(QStringLiteral("abc"));
        FAIL();
    } catch (const EDBError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'abc' はフィールド 'id' の有効な値ではありません。"));
    }
    query.Fields(0)->SetText(QString()); // empty: NULL
    EXPECT_TRUE(query.Fields(0)->IsNull());
}

TEST_F(DbEdit, BulkInsertPlacesTheRecordsOnceBeforeTheCurrentOne)
{
    query.Next();
    QSignalSpy changed(&query, &TFDQuery::dataSetChanged);
    query.DisableControls();
    query.BeginBulkInsert();
    for (const char *name : {"x", "y"}) {
        query.Insert();
        query.Fields(1)->SetText(QString::fromUtf8(name));
    }
    query.Insert(); // the last one stays open, empty
    query.EndBulkInsert();
    query.EnableControls();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(posts, (QStringList{"insert x [1]", "insert y [1]"}));
    EXPECT_EQ(names(), (QStringList{"a", "x", "y", "", "b", "c"}));
    EXPECT_EQ(query.State(), dsInsert);
    EXPECT_EQ(query.RecNo(), 4);
}

TEST_F(DbEdit, DeleteRecordsInOneStepAndARefusalKeepsTheRest)
{
    std::vector<TRecordId> all;
    for (qint64 p = query.RecordCount() - 1; p >= 0; --p)
        all.push_back(query.Result()->RecordId(p));
    refuseDeleteOf = 1;
    QList<TRecordId> told;
    EXPECT_THROW(query.DeleteRecords(all, [&](TRecordId r) { told << r; }), EDBError);
    EXPECT_EQ(deletes, (QList<int>{3, 2}));
    EXPECT_EQ(told.size(), 2);
    EXPECT_EQ(names(), (QStringList{"a"}));
    EXPECT_EQ(query.RecNo(), 1);
}

} // namespace
