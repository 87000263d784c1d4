// The data link's window and field map, the selection of records, and the
// helpers, against a recording stand-in for the grid.
#include "gridtest.h"

namespace {

class RecordingGrid : public IzkDBGridLink
{
public:
    QStringList calls;
    bool data = true;
    void LinkActive(bool active) override { calls << (active ? "active" : "inactive"); }
    void DataChanged() override
    {
        if (data)
            calls << "data";
    }
    void EditingChanged() override { calls << "editing"; }
    void RecordChanged(TField *) override { calls << "record"; }
    void LayoutChanged() override { calls << "layout"; }
    void UpdateData() override { calls << "update"; }
    void InvalidateSelection() override { calls << "paint all"; }
    void InvalidateCurrentRecord() override { calls << "paint record"; }
};

class Link : public GridTest
{
public:
    void SetUp() override
    {
        GridTest::SetUp();
        link = std::make_unique<TGridDataLink>(&recorder);
        list = std::make_unique<TBookmarkList>(&recorder, link.get());
        QObject::connect(&query, &TFDQuery::activeChanged, link.get(), [this](bool a) { list->ResetForLink(a); });
    }
    void OpenLinked(int n)
    {
        OpenNumbered(n, false);
        link->SetDataSource(&source);
        list->ResetForLink(true);
        recorder.calls.clear();
    }
    void Select(const QList<int> &recNos, bool value = true)
    {
        for (int r : recNos) {
            query.SetRecNo(r);
            list->SetCurrentRowSelected(value);
        }
    }
    QList<int> Ids()
    {
        QList<int> ids;
        list->ForEach([&](TRecordId r) { ids << query.Fields(0)->ValueAt(r).toInt(); });
        return ids;
    }
    QList<int> Remaining()
    {
        QList<int> ids;
        for (query.First(); !query.Eof(); query.Next())
            ids << CurrentId();
        return ids;
    }

    RecordingGrid recorder;
    std::unique_ptr<TGridDataLink> link;
    std::unique_ptr<TBookmarkList> list;
};

TEST_F(Link, FollowsTheDataSetsNotifications)
{
    OpenNumbered(3, false);
    link->SetDataSource(&source);
    EXPECT_TRUE(link->Active());
    query.Next();
    query.Fields(1)->SetDisplayLabel("名");
    query.Close();
    EXPECT_EQ(recorder.calls, (QStringList{"active", "data", "layout", "data", "inactive"}));
    EXPECT_FALSE(link->Active());
    recorder.calls.clear();
    source.SetDataSet(nullptr);
    EXPECT_TRUE(recorder.calls.isEmpty());
}

TEST_F(Link, TheWindowHoldsTheCurrentRecordAndStaysFull)
{
    OpenLinked(10);
    link->SetBufferCount(3);
    struct Step
    {
        const char *name;
        std::function<void()> move;
        qint64 first;
        int active;
    };
    const Step steps[] = {
        {"start", [] {}, 0, 0},
        {"down within", [&] { query.SetRecNo(3); }, 0, 2},
        {"down past the bottom", [&] { query.SetRecNo(6); }, 3, 2},
        {"up past the top", [&] { query.SetRecNo(2); }, 1, 0},
        {"last", [&] { query.Last(); }, 7, 2},
        {"first", [&] { query.First(); }, 0, 0},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        s.move();
        EXPECT_EQ(link->FirstPosition(), s.first);
        EXPECT_EQ(link->ActiveRecord(), s.active);
        EXPECT_EQ(link->RecordCount(), 3);
    }
    query.Last();
    link->SetBufferCount(20); // more rows than records
    EXPECT_EQ(link->FirstPosition(), 0);
    EXPECT_EQ(link->RecordCount(), 10);
    EXPECT_EQ(link->ActiveRecord(), 9);
    EXPECT_EQ(query.Fields(0)->ValueAt(link->BufferRecord(9)).toInt(), 10);
    EXPECT_EQ(link->BufferRecord(10), -1);
}

TEST_F(Link, MapsColumnsToFields)
{
    OpenLinked(1);
    link->AddMapping("name");
    link->AddMapping("ID");
    EXPECT_EQ(link->FieldCount(), 2);
    EXPECT_EQ(link->Fields(0), query.Fields(1));
    EXPECT_EQ(link->Fields(1), query.Fields(0));
    EXPECT_EQ(link->Fields(2), nullptr);
    EXPECT_EQ(link->FieldMapIndex(-1), -1);
    EXPECT_TRUE(link->DefaultFields());
    EXPECT_THROW(link->AddMapping("missing"), EDBError);
    link->ClearMapping();
    link->SetSparseMap(true);
    link->AddMapping("missing");
    link->AddMapping("note");
    EXPECT_EQ(link->Fields(0), nullptr);
    EXPECT_EQ(link->FieldMapIndex(1), 2);
    EXPECT_FALSE(link->DefaultFields());
}

TEST_F(Link, SelectingIsIdempotentAndRepaintsOnlyChanges)
{
    OpenLinked(5);
    recorder.data = false;
    Select({3, 3});
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(recorder.calls, (QStringList{"paint record"}));
    Select({2}, false); // not selected: nothing
    EXPECT_EQ(recorder.calls.size(), 1);
    query.SetRecNo(3);
    EXPECT_TRUE(list->CurrentRowSelected());
    list->Clear();
    list->Clear(); // already empty: no repaint
    EXPECT_EQ(recorder.calls, (QStringList{"paint record", "paint all"}));
}

TEST_F(Link, TheSelectionIsWalkedInRecordOrderAndByIndex)
{
    OpenLinked(6);
    Select({5, 1, 3});
    EXPECT_EQ(Ids(), (QList<int>{1, 3, 5}));
    query.SetRecNo(3);
    const TRecordId third = query.Bookmark();
    EXPECT_EQ(list->IndexOf(third), 1);
    EXPECT_EQ(list->Items(2), (query.SetRecNo(5), query.Bookmark()));
    qint64 index = -1;
    query.SetRecNo(4);
    EXPECT_FALSE(list->Find(query.Bookmark(), index));
    EXPECT_EQ(index, 2); // where it would stand
    EXPECT_THROW(list->Items(3), EListError);
}

TEST_F(Link, TheCurrentRecordCannotBeTestedWhileTheLinkIsInactive)
{
    OpenLinked(2);
    Select({1});
    query.Close();
    EXPECT_EQ(list->Count(), 0);
    try {
        list->SetCurrentRowSelected(true);
        FAIL() << "no error";
    } catch (const EInvalidGridOperation &e) {
        EXPECT_EQ(e.message(), "データセットは閉じているため, この操作は実行できません");
    }
    EXPECT_THROW(list->CurrentRowSelected(), EInvalidGridOperation);
    list->Clear(); // counting and clearing still work
}

TEST_F(Link, DeleteGoesFromTheLastAndStopsAtTheFirstRefusal)
{
    OpenLinked(6);
    QList<int> written;
    int refuse = 0;
    query.SetDeleteHandler([&](TFDQuery *q, TRecordId r) {
        const int id = q->Fields(0)->ValueAt(r).toInt();
        if (id == refuse)
            throw EDBError(TDBErrorKind::Server, "refused");
        written << id;
    });
    Select({2, 5, 4});
    list->Delete();
    EXPECT_EQ(written, (QList<int>{5, 4, 2}));
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(Remaining(), (QList<int>{1, 3, 6}));

    written.clear();
    refuse = 3;
    Select({1, 2, 3}); // records 1, 3 and 6
    EXPECT_THROW(list->Delete(), EDBError);
    EXPECT_EQ(written, (QList<int>{6}));
    EXPECT_EQ(Ids(), (QList<int>{1, 3})); // not reached, or refused
    EXPECT_EQ(Remaining(), (QList<int>{1, 3}));
}

TEST_F(Link, RefreshDropsRecordsDeletedByOtherMeans)
{
    OpenLinked(4);
    query.SetDeleteHandler([](TFDQuery *, TRecordId) {});
    Select({2, 3});
    recorder.calls.clear();
    EXPECT_FALSE(list->Refresh());
    EXPECT_TRUE(recorder.calls.isEmpty());
    query.SetRecNo(2);
    query.Delete();
    EXPECT_EQ(list->Count(), 2); // stale until refreshed
    EXPECT_EQ(Ids(), (QList<int>{3}));
    EXPECT_TRUE(list->Refresh());
    EXPECT_EQ(list->Count(), 1);
    EXPECT_TRUE(recorder.calls.contains("paint all"));
}

TEST_F(Link, SelectingAllIsOneStepThatLaterChangesRefine)
{
    OpenLinked(5);
    list->SelectAll();
    EXPECT_EQ(list->Count(), 5);
    Select({2, 4}, false);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(Ids(), (QList<int>{1, 3, 5}));
    Select({2});
    EXPECT_EQ(Ids(), (QList<int>{1, 2, 3, 5}));
    EXPECT_EQ(list->IndexOf((query.SetRecNo(5), query.Bookmark())), 3);
    Select({1, 2, 3, 5}, false); // nothing left
    EXPECT_TRUE(list->IsEmpty());
    list->SelectAll();
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(Ids(), QList<int>());

    // Deleting a selection of all, refused half way.
    query.SetDeleteHandler([](TFDQuery *q, TRecordId r) {
        if (q->Fields(0)->ValueAt(r).toInt() == 2)
            throw EDBError(TDBErrorKind::Server, "refused");
    });
    list->SelectAll();
    Select({4}, false);
    EXPECT_THROW(list->Delete(), EDBError);
    EXPECT_EQ(Remaining(), (QList<int>{1, 2, 4}));
    EXPECT_EQ(Ids(), (QList<int>{1, 2}));
    EXPECT_EQ(list->Count(), 2);
}

TEST(GridHelpers, UnicodeBytesToHex)
{
    struct Case
    {
        QString text;
        int maxBytes;
        QString hex;
    };
    const Case cases[] = {
        {"A", -1, "4100"}, {"A", 1, "41"},  {"A", 3, "410000"}, {"AB", -1, "41004200"},
        {"AB", 0, ""},     {"", 2, "0000"}, {"あ", -1, "4230"}, {"é", -1, "E900"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " " + std::to_string(c.maxBytes));
        EXPECT_EQ(UnicodeBytesToHex(c.text, c.maxBytes), c.hex);
    }
}

} // namespace
