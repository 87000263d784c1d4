#include "editorcontrol/edrowattrs.h"
#include "editorcontrol/edutils.h"

#include <gtest/gtest.h>

namespace {

// Counts notifications of a line list.
class Counter : public QObject
{
public:
    void Changed(QObject *) { ++changed; }
    void Changing(QObject *) { ++changing; }
    int changed = 0;
    int changing = 0;
};

} // namespace

TEST(EdUtils, StringHelpers)
{
    EXPECT_EQ(CharAt(QString(), 1), QChar(0));
    EXPECT_EQ(CharAt(QStringLiteral("ab"), 0), QChar(0));
    EXPECT_EQ(CharAt(QStringLiteral("ab"), 3), QChar(0));
    EXPECT_EQ(CharAt(QStringLiteral("ab"), 2), QLatin1Char('b'));
    EXPECT_EQ(CountChar(QStringLiteral("a-b-c"), QLatin1Char('-'), 100), 2);
    EXPECT_EQ(CountChar(QStringLiteral("a-b-c"), QLatin1Char('-'), 3), 1);
    EXPECT_TRUE(ContainsAtUnitBoundary(QStringLiteral("。"), QStringLiteral("、。，")));
    EXPECT_FALSE(ContainsAtUnitBoundary(QString(), QStringLiteral("abc")));
    EXPECT_FALSE(ContainsAtUnitBoundary(QStringLiteral("abcd"), QStringLiteral("abc")));
    // Every unit is its own character: no legacy lead units, even in U+0081..U+00FC.
    const QString latin = QString::fromUtf16(u"\x0081\x00E9\x00FC");
    for (int i = 1; i <= 3; ++i) {
        EXPECT_FALSE(IsLeadUnitAt(latin, i));
        EXPECT_FALSE(IsTrailUnitAt(latin, i));
    }
    EXPECT_TRUE(ContainsAtUnitBoundary(QString::fromUtf16(u"\x00E9"), latin));
}

TEST(EdUtils, LeadingBlanks)
{
    const struct
    {
        QString text;
        int count;
        QString trimmed;
    } cases[] = {
        {QString(), -1, QString()},
        {QStringLiteral("   "), 3, QString()},
        {QStringLiteral("\t  x"), 0, QStringLiteral("x")},
        {QStringLiteral("  x y"), 2, QStringLiteral("x y")},
        {QStringLiteral("\u3000 x"), 3, QStringLiteral("x")},        // the ideographic space: two columns
        {QStringLiteral("\u30FB@x"), 0, QStringLiteral("\u30FB@x")}, // no blank at all
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(LeadingBlankCount(c.text), c.count);
        EXPECT_EQ(TrimLeadingBlanks(c.text), c.trimmed);
    }
}

TEST(EdUtils, SetStringsText)
{
    const struct
    {
        QString text;
        QStringList lines;
    } cases[] = {
        {QString(), {}},
        {QStringLiteral("a\r\nb\n"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\rb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\r\n\r\nb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("\n"), {QString()}},
        {QStringLiteral("a\n\rb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        // a NUL is an ordinary character: nothing after it is lost
        {QString::fromUtf16(u"a\0b\nc", 5), {QString::fromUtf16(u"a\0b", 3), QStringLiteral("c")}},
    };
    for (const auto &c : cases) {
        QStringList lines{QStringLiteral("old")};
        SetStringsText(c.text, lines);
        EXPECT_EQ(lines, c.lines) << c.text.toStdString();
    }
}

TEST(EdLines, CapacityGrowsByTheListRule)
{
    TEditorLineList list;
    std::vector<int> capacities;
    int last = 0;
    for (int i = 0; i < 95; ++i) {
        list.Add(QString::number(i));
        if (list.Capacity() != last) {
            last = list.Capacity();
            capacities.push_back(last);
        }
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95}));
    list.Clear();
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(EdLines, EntriesAndIndexErrors)
{
    TEditorLineList list;
    list.Add(QStringLiteral("a"));
    list.Add(QStringLiteral("b"));
    list.PutData(0, 1);
    list.PutDataStr(0, QStringLiteral("d"));
    list.PutItem(0, 2);
    list.PutItem2(0, 3);
    list.Put(0, QStringLiteral("A")); // only the text changes
    EXPECT_EQ(list.GetItem2(0), 3u);
    list.Exchange(0, 1);
    EXPECT_EQ(list.Get(1), QStringLiteral("A"));
    EXPECT_EQ(list.GetData(1), 1u);
    EXPECT_EQ(list.GetDataStr(1), QStringLiteral("d"));
    EXPECT_EQ(list.GetItem(1), 2u);
    EXPECT_EQ(list.GetItem2(1), 3u);
    EXPECT_EQ(list.GetItem(0), 0u);
    list.Insert(2, QStringLiteral("c"));
    EXPECT_EQ(list.Get(2), QStringLiteral("c"));
    try {
        list.Get(3);
        FAIL() << "no error";
    } catch (const EListError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("リストのインデックスが範囲を超えています")));
    }
    EXPECT_THROW(list.Insert(4, QString()), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Exchange(0, 3), EListError);
    EXPECT_THROW(list.PutItem(5, 0), EListError);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetTextStr(), QStringLiteral("b\r\nA\r\nc\r\n"));
}

TEST(EdLines, NotificationsAreHeldInsideAnUpdate)
{
    TEditorLineList list;
    Counter counter;
    list.OnChange = TNotifyEvent(&counter, &Counter::Changed);
    list.OnChanging = TNotifyEvent(&counter, &Counter::Changing);
    list.Add(QStringLiteral("a"));
    EXPECT_EQ(counter.changed, 1);
    EXPECT_EQ(counter.changing, 1);
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(QStringLiteral("b"));
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(counter.changed, 1);
    list.EndUpdate();
    EXPECT_EQ(counter.changed, 2);
    EXPECT_EQ(counter.changing, 2);
}

TEST(EdRowAttrs, FieldsArePackedApart)
{
    TRowAttributeStringList rows;
    rows.Add(QStringLiteral("x"));
    EXPECT_EQ(rows.GetRows(0), raCrlf);
    EXPECT_EQ(rows.GetBrackets(0), -2);
    EXPECT_EQ(rows.GetRowMarks(0), 0);
    rows.SetRows(0, raWrapped);
    rows.SetPrevRows(0, raEof);
    rows.SetBrackets(0, 13);
    rows.SetElements(0, 255);
    rows.SetWrappedBytes(0, 7);
    rows.SetRemains(0, 9);
    rows.SetTokens(0, 26);
    rows.SetPrevTokens(0, 8);
    rows.SetRowMarks(0, 0x8001);
    EXPECT_EQ(rows.GetRows(0), raWrapped);
    EXPECT_EQ(rows.GetPrevRows(0), raEof);
    EXPECT_EQ(rows.GetBrackets(0), 13);
    EXPECT_EQ(rows.GetElements(0), 255);
    EXPECT_EQ(rows.GetWrappedBytes(0), 7);
    EXPECT_EQ(rows.GetRemains(0), 9);
    EXPECT_EQ(rows.GetTokens(0), 26);
    EXPECT_EQ(rows.GetPrevTokens(0), 8);
    EXPECT_EQ(rows.GetRowMarks(0), 0x8001);
    rows.SetBrackets(0, -1);
    rows.SetElements(0, 3);
    EXPECT_EQ(rows.GetBrackets(0), -1);
    EXPECT_EQ(rows.GetWrappedBytes(0), 7);
    EXPECT_EQ(rows.GetRows(0), raWrapped);
    rows.ResetRowData(0);
    EXPECT_EQ(rows.GetBrackets(0), -2);
    EXPECT_EQ(rows.GetRows(0), raWrapped);
    EXPECT_EQ(rows.GetRowMarks(0), 0x8001);
    EXPECT_THROW(rows.GetRows(1), EListError);
}
