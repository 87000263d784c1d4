// The column picker: its statement, and the dialog on the scripted backend.
#include "pickerfixture.h"

#include "controls/zkstdctl.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "sqlwindow/ffldlist.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(FieldListSQL, ByVersionAndDatabase)
{
    const QString tail = QStringLiteral(
        " = :OWNER collate database_default   and a.name = :NAME   and a.xtype in (N'U',N'S',N'V')order by b.colorder");
    const QString head =
        QStringLiteral("select b.name from dbo.sysobjects as a inner join syscolumns b on a.id = b.id where ");
    struct Case
    {
        int version;
        QString database;
        QString expected;
    };
    const QList<Case> cases = {
        {9, "Sales", "use [Sales]\r\n" + head + "schema_name(a.uid)" + tail},
        {15, "Sales", "use [Sales]\r\n" + head + "schema_name(a.uid)" + tail},
        {8, "Sales", "use [Sales]\r\n" + head + "user_name(a.uid)" + tail},
        {9, "", head + "schema_name(a.uid)" + tail},
        {8, "", head + "user_name(a.uid)" + tail},
        {9, "my]db", "use [my]]db]\r\n" + head + "schema_name(a.uid)" + tail},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.version).arg(c.database).toStdString());
        EXPECT_EQ(FieldListSQL(c.version, c.database), c.expected);
    }
}

// A table t of the database Sales with the columns a, b and c, "Bad" whose
// statement fails.
const char *const TableABC =
    "rule regex: ^\\s*select b\\.name from dbo\\.sysobjects as a\n"
    "  params: @P1 = N'dbo', @P2 = N't'\n"
    "  result: name nvarchar(128)\n"
    "  row: N'a'\n"
    "  row: N'b'\n"
    "  row: N'c'\n"
    "rule exact: use [Bad]\n"
    "  error: 911, 1, 16, 1, Database 'Bad' does not exist. Make sure that the name is entered correctly.\n";

class FieldListTest : public PickerTest
{
protected:
    void SetUp() override
    {
        PickerTest::SetUp();
        rules(TableABC);
        owner = logon();
    }
    // Opens the picker on t with `fields`; `act` acts on the open dialog.
    QStringList pick(QStringList fields, const std::function<void(TfrmFieldList *)> &act,
                     const QString &database = QStringLiteral("Sales"), const QString &table = QStringLiteral("t"))
    {
        WhenDialog<TfrmFieldList>(act);
        TfrmFieldList::ShowWindow(owner, database, QStringLiteral("dbo"), table, fields);
        return fields;
    }

    TfrmObject *owner = nullptr;
};

TEST_F(FieldListTest, ChosenColumnsComeInTableOrderAndOkReturnsThem)
{
    QStringList seen[2];
    QString caption;
    const QStringList result = pick({"c", "a"}, [&](TfrmFieldList *d) {
        seen[0] = ItemTexts(d->lstSelect);
        seen[1] = ItemTexts(d->lstAll);
        caption = d->windowTitle();
        d->btnSelect->click();
    });
    EXPECT_EQ(seen[0], (QStringList{"a", "c"}));
    EXPECT_EQ(seen[1], QStringList{"b"});
    EXPECT_EQ(result, (QStringList{"a", "c"}));
    EXPECT_EQ(caption, QStringLiteral("項目一覧 - dbo.t @ srv1.Sales"));
    // The database switch goes as its own batch before the parameterised
    // statement, so the shared session stays in that database.
    const QStringList statements = sent();
    ASSERT_GE(statements.size(), 2);
    EXPECT_EQ(statements.at(statements.size() - 2).trimmed(), QStringLiteral("use [Sales]"));
    EXPECT_TRUE(statements.last().trimmed().startsWith(QStringLiteral("select b.name from dbo.sysobjects")));
    EXPECT_TRUE(statements.last().contains(QStringLiteral("schema_name(a.uid) = @P1")));
}

TEST_F(FieldListTest, WhichColumnsStartChosen)
{
    struct Case
    {
        const char *name;
        QStringList fields;
        QStringList chosen;
        QStringList available;
    };
    const QList<Case> cases = {
        {"every column: all available", {"a", "b", "c"}, {}, {"a", "b", "c"}},
        {"lower case in double quotes", {"\"b\""}, {"b"}, {"a", "c"}},
        {"unknown names", {"x", "B"}, {}, {"a", "b", "c"}},
        {"nothing", {}, {}, {"a", "b", "c"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList chosen, available;
        const QStringList result = pick(c.fields, [&](TfrmFieldList *d) {
            chosen = ItemTexts(d->lstSelect);
            available = ItemTexts(d->lstAll);
            d->btnExit->click();
        });
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(available, c.available);
        EXPECT_EQ(result, c.fields);
    }
}

TEST_F(FieldListTest, OkWithNothingChosenLeavesTheListAlone)
{
    const QStringList result = pick({"a", "b", "c"}, [](TfrmFieldList *d) { d->btnSelect->click(); });
    EXPECT_EQ(result, (QStringList{"a", "b", "c"}));
}

TEST_F(FieldListTest, MovesByKeysButtonsAndDoubleClicks)
{
    QStringList steps;
    auto state = [&](TfrmFieldList *d) {
        steps << ItemTexts(d->lstSelect).join(',') + QLatin1Char('|') + ItemTexts(d->lstAll).join(',');
    };
    const QStringList result = pick({"a"}, [&](TfrmFieldList *d) {
        state(d);
        // Enter in the available list chooses its selection.
        SelectItems(d->lstAll, {"c"});
        QTest::keyClick(d->lstAll, Qt::Key_Return);
        state(d);
        // Delete in the chosen list gives back; the column goes to the end.
        SelectItems(d->lstSelect, {"a"});
        QTest::keyClick(d->lstSelect, Qt::Key_Delete);
        state(d);
        // Several at once keep their list order.
        SelectItems(d->lstAll, {"b", "a"});
        d->btnIns->click();
        state(d);
        d->btnDelAll->click();
        state(d);
        d->btnInsAll->click();
        state(d);
        SelectItems(d->lstSelect, {"b"});
        d->btnDel->click();
        state(d);
        // A double click moves the item under the pointer.
        d->lstAll->clearSelection();
        QListWidgetItem *b = d->lstAll->item(0);
        const QPoint at = d->lstAll->visualItemRect(b).center();
        QTest::mouseClick(d->lstAll->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(d->lstAll->viewport(), Qt::LeftButton, {}, at);
        state(d);
        d->btnSelect->click();
    });
    EXPECT_EQ(steps, (QStringList{"a|b,c", "a,c|b", "c|b,a", "c,b,a|", "|c,b,a", "c,b,a|", "c,a|b", "c,a,b|"}));
    EXPECT_EQ(result, (QStringList{"c", "a", "b"}));
}

TEST_F(FieldListTest, NoDatabaseRunsInTheCurrentOne)
{
    script->ClearLog();
    pick(
        {}, [](TfrmFieldList *d) { d->btnExit->click(); }, QString());
    const QStringList statements = sent();
    ASSERT_FALSE(statements.isEmpty());
    EXPECT_TRUE(statements.first().trimmed().startsWith(QStringLiteral("select b.name")));
    EXPECT_EQ(statements.filter(QStringLiteral("use ")).size(), 0);
}

TEST_F(FieldListTest, AFailingQueryReachesTheCallerWithoutADialog)
{
    QStringList fields{"a"};
    EXPECT_THROW(TfrmFieldList::ShowWindow(owner, "Bad", "dbo", "t", fields), EDBError);
    EXPECT_EQ(fields, QStringList{"a"});
    EXPECT_EQ(owner->findChild<TfrmFieldList *>(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FieldListTest, LayoutAndPlace)
{
    QSize first;
    QPoint origin;
    pick({}, [&](TfrmFieldList *d) {
        first = d->size();
        origin = d->pos();
        SaveScreenshot(d, QStringLiteral("ffldlist"));
        d->resize(420, 300);
        d->btnExit->click();
    });
    EXPECT_EQ(first, QSize(352, 382));
    const QPoint client = owner->mapToGlobal(QPoint(0, 0));
    const int caption = owner->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, owner);
    EXPECT_EQ(origin, QPoint(client.x() + caption, client.y()));

    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\GUI\\FIELDLIST", false));
    EXPECT_EQ(reg.GetInteger("WindowState", -1), 0);
    EXPECT_EQ(reg.GetInteger("Width", 0), 420);
    EXPECT_EQ(reg.GetInteger("Height", 0), 300);
    // A minimised state opens normal, in the stored size.
    reg.WriteInteger("WindowState", 1);
    QSize again;
    Qt::WindowStates state;
    pick({}, [&](TfrmFieldList *d) {
        again = d->size();
        state = d->windowState();
        // The lists share the width, the buttons stand in the middle.
        EXPECT_EQ(d->lstSelect->width(), (d->pnlSelect->width() - 40) / 2);
        EXPECT_EQ(d->lstAll->geometry().right(), d->pnlSelect->width() - 1);
        EXPECT_EQ(d->btnExit->x(), d->pnlBottom->width() / 2 + 2);
        EXPECT_EQ(d->btnSelect->geometry().right() + 1, d->btnExit->x() - 4);
        d->btnExit->click();
    });
    EXPECT_EQ(again, QSize(420, 300));
    EXPECT_EQ(state, Qt::WindowNoState);
}

} // namespace
