// The search and replace dialogs: histories, stored settings, the options
// their buttons return and where they open.

#include "common/testenv.h"

#include "core/zkreg.h"
#include "core/zksub.h"
#include "sqleditor/edreplacedlg.h"
#include "sqleditor/edsearchdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr TSearchOptions bit(TSearchOption o)
{
    return SearchOptionBit(o);
}

class EditSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::resetRegistry();
        InitializeCore();
        main.setGeometry(100, 80, 800, 600);
        main.show();
    }
    void TearDown() override { FinalizeCore(); }

    // Runs Act on the dialog once it is shown modally.
    static void whenShown(std::function<void(TfrmEditSearchBase *)> Act)
    {
        QTimer::singleShot(0, [Act] {
            auto *d = qobject_cast<TfrmEditSearchBase *>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            Act(d);
        });
    }
    static void type(QComboBox *box, const QString &text) { box->setEditText(text); }

    // One search through the dialog: Text typed, Ticks applied, the button pressed.
    bool search(QString &Text, TSearchOptions &Options, const QString &Typed, bool MatchCase = false, bool Next = true)
    {
        bool notFind = false, research = false;
        whenShown([&](TfrmEditSearchBase *d) {
            type(d->cmbSearch, Typed);
            d->chkMatchCase->setChecked(MatchCase);
            (Next ? d->btnFindNext : d->btnFindPrev)->click();
        });
        return TfrmEditSearch::Execute(Text, Options, notFind, research);
    }

    QMainWindow main;
};

QStringList history(TfrmEditSearchBase *d, bool Replace = false)
{
    QComboBox *box = Replace ? d->cmbReplace : d->cmbSearch;
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

} // namespace

TEST(EditSearchHistory, RecentFirstWithoutRepeatsAtMost32)
{
    struct Case
    {
        const char *name;
        QStringList typed;
        QStringList expected;
    } cases[] = {
        {"two searches", {"abc", "def"}, {"def", "abc"}},
        {"a repeat moves to the front", {"abc", "def", "abc"}, {"abc", "def"}},
        {"case counts", {"abc", "Abc"}, {"Abc", "abc"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList list;
        for (const QString &t : c.typed)
            AddSearchHistory(list, t);
        EXPECT_EQ(list, c.expected);
    }
    QStringList list;
    for (int i = 1; i <= 33; ++i)
        AddSearchHistory(list, QString::number(i));
    ASSERT_EQ(list.size(), 32);
    EXPECT_EQ(list.constFirst(), QStringLiteral("33"));
    EXPECT_EQ(list.constLast(), QStringLiteral("2"));

    EXPECT_EQ(SearchHistoryToText({"b", "a"}), QStringLiteral("b\r\na\r\n"));
    EXPECT_EQ(SearchHistoryFromText(QStringLiteral("b\r\na\r\n")), (QStringList{"b", "a"}));
    EXPECT_TRUE(SearchHistoryFromText(QString()).isEmpty());
}

TEST(EditSearchOptions, ButtonsAndCheckBoxes)
{
    const TSearchOptions crlf = bit(sfrIncludeCRLF) | bit(sfrIncludeSpace);
    struct Case
    {
        const char *name;
        TSearchOptions caller;
        TSearchButton button;
        bool replace, matchCase, wholeWord, includeCRLF;
        TSearchOptions expected;
    } cases[] = {
        {"search next, CRLF ticked", 0, TSearchButton::FindNext, false, false, false, true, 385},
        {"replace, CRLF ticked", 0, TSearchButton::Replace, true, false, false, true, 464},
        {"caller's match case, box clear", bit(sfrMatchCase), TSearchButton::FindNext, false, false, false, true, 385},
        {"search previous clears down", bit(sfrDown), TSearchButton::FindPrev, false, true, true, false,
         TSearchOptions(bit(sfrMatchCase) | bit(sfrWholeWord))},
        {"replace next drops replace bits", TSearchOptions(bit(sfrReplace) | bit(sfrReplaceAll)),
         TSearchButton::FindNext, true, false, false, false, TSearchOptions(bit(sfrDown) | bit(sfrReplaceConfirm))},
        {"replace previous", TSearchOptions(bit(sfrDown) | bit(sfrReplace)), TSearchButton::FindPrev, true, false,
         false, false, bit(sfrReplaceConfirm)},
        {"replace keeps down", bit(sfrDown), TSearchButton::Replace, true, false, false, false,
         TSearchOptions(bit(sfrDown) | bit(sfrReplace) | bit(sfrReplaceConfirm))},
        {"replace all", bit(sfrReplace), TSearchButton::AllReplace, true, false, false, false,
         TSearchOptions(bit(sfrDown) | bit(sfrReplaceAll) | bit(sfrReplaceConfirm))},
        {"other bits pass", TSearchOptions(bit(sfrNoMatchZenkaku) | bit(sfrWholeFile) | crlf), TSearchButton::FindNext,
         false, false, false, false, TSearchOptions(bit(sfrNoMatchZenkaku) | bit(sfrWholeFile) | bit(sfrDown))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TSearchOptions got = ApplySearchChecks(ApplySearchButton(c.caller, c.button, c.replace), c.replace,
                                                     c.matchCase, c.wholeWord, c.includeCRLF);
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(EditSearchTest, FirstUseOpensCentredOnTheMainWindowWithNothingStored)
{
    QString text;
    TSearchOptions options = 0;
    QPoint centre;
    bool clear = false;
    QStringList items{"x"};
    whenShown([&](TfrmEditSearchBase *d) {
        centre = d->frameGeometry().center();
        clear = !d->chkMatchCase->isChecked() && !d->chkWholeWord->isChecked() && !d->chkIncludeCRLF->isChecked()
                && !d->chkNotFindMsg->isChecked() && !d->chkResearch->isChecked();
        items = history(d);
        d->btnCancel->click();
    });
    bool notFind = true, research = true;
    EXPECT_FALSE(TfrmEditSearch::Execute(text, options, notFind, research));
    EXPECT_TRUE(notFind);
    EXPECT_TRUE(research);
    EXPECT_LE((centre - main.frameGeometry().center()).manhattanLength(), 4);
    EXPECT_TRUE(clear);
    EXPECT_TRUE(items.isEmpty());
}

TEST_F(EditSearchTest, ReturnsTextOptionsAndFlagsAndKeepsTheHistory)
{
    QString text;
    TSearchOptions options = bit(sfrMatchCase);
    bool notFind = false, research = false;
    whenShown([](TfrmEditSearchBase *d) {
        d->cmbSearch->setEditText(QStringLiteral("abc"));
        d->chkIncludeCRLF->setChecked(true);
        d->chkNotFindMsg->setChecked(true);
        d->btnFindNext->click();
    });
    ASSERT_TRUE(TfrmEditSearch::Execute(text, options, notFind, research));
    EXPECT_EQ(text, QStringLiteral("abc"));
    EXPECT_EQ(options, 385);
    EXPECT_TRUE(notFind);
    EXPECT_FALSE(research);

    ASSERT_TRUE(search(text, options, QStringLiteral("def")));
    QStringList items;
    bool crlfKept = false;
    whenShown([&](TfrmEditSearchBase *d) {
        items = history(d);
        crlfKept = d->chkIncludeCRLF->isChecked();
        d->btnCancel->click();
    });
    QString caller = QStringLiteral("zzz");
    EXPECT_FALSE(TfrmEditSearch::Execute(caller, options, notFind, research));
    EXPECT_EQ(items, (QStringList{"def", "abc"}));
    EXPECT_TRUE(crlfKept);
    EXPECT_EQ(caller, QStringLiteral("zzz"));
}

TEST_F(EditSearchTest, AnEmptyBoxReturnsTheCallersText)
{
    QString text = QStringLiteral("given");
    TSearchOptions options = 0;
    ASSERT_TRUE(search(text, options, QString()));
    EXPECT_EQ(text, QStringLiteral("given"));
    QString none;
    EXPECT_FALSE(search(none, options, QString()));
    EXPECT_TRUE(none.isEmpty());
}

TEST_F(EditSearchTest, SearchHistoryAndFlagsAreSharedCheckBoxesAreNot)
{
    QString text;
    TSearchOptions options = 0;
    ASSERT_TRUE(search(text, options, QStringLiteral("abc"), true));

    bool matchCase = true;
    QStringList searchItems;
    whenShown([&](TfrmEditSearchBase *d) {
        matchCase = d->chkMatchCase->isChecked();
        searchItems = history(d);
        d->cmbSearch->setEditText(QStringLiteral("xyz"));
        d->cmbReplace->setEditText(QStringLiteral("XYZ"));
        d->chkIncludeCRLF->setChecked(true);
        d->chkResearch->setChecked(true);
        d->btnReplace->click();
    });
    QString replace;
    bool notFind = false, research = false;
    options = 0;
    ASSERT_TRUE(TfrmEditReplace::Execute(text, replace, options, notFind, research));
    EXPECT_FALSE(matchCase);
    EXPECT_EQ(searchItems, QStringList{"abc"});
    EXPECT_EQ(text, QStringLiteral("xyz"));
    EXPECT_EQ(replace, QStringLiteral("XYZ"));
    EXPECT_EQ(options, 464);
    EXPECT_TRUE(research);

    // The search dialog sees the replace dialog's search text and Research,
    // but its own MatchCase and IncludeCRLF.
    bool ownMatch = false, ownCrlf = true, sharedResearch = false;
    whenShown([&](TfrmEditSearchBase *d) {
        searchItems = history(d);
        ownMatch = d->chkMatchCase->isChecked();
        ownCrlf = d->chkIncludeCRLF->isChecked();
        sharedResearch = d->chkResearch->isChecked();
        d->btnCancel->click();
    });
    EXPECT_FALSE(TfrmEditSearch::Execute(text, options, notFind, research));
    EXPECT_EQ(searchItems, (QStringList{"xyz", "abc"}));
    EXPECT_TRUE(ownMatch);
    EXPECT_FALSE(ownCrlf);
    EXPECT_TRUE(sharedResearch);
}

TEST_F(EditSearchTest, StoredPositionIsUsedOnTheDesktopAndIgnoredOffIt)
{
    const QRect desktop = main.screen()->virtualGeometry();
    struct Case
    {
        const char *name;
        int top, left;
        bool used;
    } cases[] = {
        {"inside", desktop.top() + 10, desktop.left() + 20, true},
        {"on the bounds", desktop.top() + desktop.height(), desktop.left() + desktop.width(), true},
        {"off the desktop", desktop.top() - 5000, desktop.left() + 20, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(zkReg->OpenKey(EditSearchKey(), true));
        zkReg->WriteInteger(QStringLiteral("Top"), c.top);
        zkReg->WriteInteger(QStringLiteral("Left"), c.left);
        zkReg->CloseKey();
        QPoint at, centre;
        whenShown([&](TfrmEditSearchBase *d) {
            at = d->pos();
            centre = d->frameGeometry().center();
            d->reject();
        });
        QString text;
        TSearchOptions options = 0;
        bool a = false, b = false;
        TfrmEditSearch::Execute(text, options, a, b);
        if (c.used)
            EXPECT_EQ(at, QPoint(c.left, c.top));
        else
            EXPECT_LE((centre - main.frameGeometry().center()).manhattanLength(), 4);
    }
}
