// What grids need of a query beyond reading it: field order and display
// properties as layout changes, deleting records, the active record a grid
// paints, and data sources.
#include "fakebackend.h"

#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "platform/db/dbsource.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class DbDataLink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto b = std::make_unique<FakeBackend>();
        b->answer = [](const TDBRequest &) {
            TDBBatch batch;
            batch.results.push_back(
                FakeBackend::table({DescribeColumn("id", "int"), DescribeColumn("name", "nvarchar", 10)},
                                   {{1, "a"}, {2, "b"}, {3, QVariant()}, {4, "d"}}));
            return batch;
        };
        con.SetBackend(std::move(b));
        con.Open();
        query = std::make_unique<TFDQuery>();
        query->SetConnection(&con);
        query->Open("select id, name from t");
    }

    QList<int> ids()
    {
        QList<int> list;
        const TRecordId keep = query->Bookmark();
        for (query->First(); !query->Eof(); query->Next())
            list << query->Fields(0)->AsInteger();
        query->GotoBookmark(keep);
        return list;
    }

    TFDConnection con;
    std::unique_ptr<TFDQuery> query;
};

TEST_F(DbDataLink, MovingAFieldKeepsItsValuesAndIsALayoutChange)
{
    QSignalSpy layout(query.get(), &TFDQuery::layoutChanged);
    TField *name = query->Fields(1);
    name->SetIndex(0);
    EXPECT_EQ(query->Fields(0), name);
    EXPECT_EQ(name->Index(), 0);
    EXPECT_EQ(query->Fields(1)->Index(), 1);
    EXPECT_EQ(name->FieldNo(), 2);
    EXPECT_EQ(query->Fields(0)->AsString(), "a");
    EXPECT_EQ(query->Fields(1)->AsInteger(), 1);
    EXPECT_EQ(layout.count(), 1);
    name->SetIndex(7); // clamped to the last place
    EXPECT_EQ(name->Index(), 1);
}

TEST_F(DbDataLink, DisplayPropertiesAreLayoutChangesHeldWhileControlsAreDisabled)
{
    QSignalSpy layout(query.get(), &TFDQuery::layoutChanged);
    QSignalSpy changed(query.get(), &TFDQuery::dataSetChanged);
    TField *f = query->Fields(0);
    f->SetDisplayWidth(f->DisplayWidth()); // unchanged: nothing
    f->SetDisplayLabel("番号");
    f->SetAlignment(taCenter);
    f->SetReadOnly(true);
    f->SetVisible(false);
    f->SetDisplayWidth(3);
    EXPECT_EQ(layout.count(), 5);
    query->DisableControls();
    f->SetDisplayLabel("ID");
    f->SetDisplayWidth(4);
    EXPECT_EQ(layout.count(), 5);
    query->EnableControls();
    EXPECT_EQ(layout.count(), 6);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(DbDataLink, DeleteWritesThroughTheHandlerAndStopsAtItsRefusal)
{
    EXPECT_FALSE(query->CanModify());
    EXPECT_THROW(query->Delete(), EDBError);
    QList<TRecordId> written;
    query->SetDeleteHandler([&](TFDQuery *, TRecordId r) {
        if (r == 3)
            throw EDBError(TDBErrorKind::Server, "refused");
        written << r;
    });
    ASSERT_TRUE(query->CanModify());
    const TRecordId third = (query->SetRecNo(3), query->Bookmark());
    query->SetRecNo(2);
    QSignalSpy changed(query.get(), &TFDQuery::dataSetChanged);
    query->Delete();
    EXPECT_EQ(written, (QList<TRecordId>{1}));
    EXPECT_EQ(ids(), (QList<int>{1, 3, 4}));
    EXPECT_EQ(query->Fields(0)->AsInteger(), 3); // the next record is current
    EXPECT_EQ(query->Bookmark(), third);         // and keeps its id
    EXPECT_EQ(changed.count(), 1);
    query->Last();
    EXPECT_THROW(query->Delete(), EDBError); // id 3 is the fourth record
    EXPECT_EQ(ids(), (QList<int>{1, 3, 4}));
    query->SetReadOnly(true);
    EXPECT_FALSE(query->CanModify());
}

TEST_F(DbDataLink, DeletingTheLastRecordMakesThePreviousCurrent)
{
    query->SetDeleteHandler([](TFDQuery *, TRecordId) {});
    query->Last();
    query->Delete();
    EXPECT_EQ(query->RecNo(), 3);
    EXPECT_EQ(query->RecordCount(), 3);
}

TEST_F(DbDataLink, TheActiveRecordIsWhatFieldsReadWithoutMoving)
{
    QSignalSpy scrolled(query.get(), &TFDQuery::dataSetScrolled);
    query->SetRecNo(1);
    scrolled.clear();
    TField *name = query->Fields(1);
    query->SetActiveRecord(query->Result()->RecordId(2));
    EXPECT_TRUE(name->IsNull());
    EXPECT_EQ(query->RecNo(), 3);
    EXPECT_EQ(query->CurrentRecord(), 0);
    query->SetActiveRecord(-1);
    EXPECT_EQ(name->AsString(), "a");
    EXPECT_EQ(query->RecNo(), 1);
    EXPECT_EQ(scrolled.count(), 0);
}

TEST_F(DbDataLink, ADestroyedQueryLetsGoOfItsFieldsFirst)
{
    bool fieldsReadable = false;
    TFDQuery *q = query.get();
    QObject::connect(q, &TFDQuery::activeChanged,
                     [&](bool active) { fieldsReadable = !active && q->FieldCount() == 2; });
    query.reset();
    EXPECT_TRUE(fieldsReadable);
}

TEST_F(DbDataLink, ADataSourceTellsOfANewOrDestroyedDataSet)
{
    TDataSource source;
    QSignalSpy replaced(&source, &TDataSource::dataSetReplaced);
    source.SetDataSet(query.get());
    source.SetDataSet(query.get());
    EXPECT_EQ(replaced.count(), 1);
    query.reset();
    EXPECT_EQ(replaced.count(), 2);
    EXPECT_EQ(source.DataSet(), nullptr);
}

} // namespace
