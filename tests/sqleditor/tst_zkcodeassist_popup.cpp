// The completion popup: keys and characters while it is open, accepting,
// paging, and the size it leaves its editor.

#include "memohost.h"

#include "core/zkoption.h"

#include <QAction>
#include <QClipboard>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// A popup over "select " + typed, filtered by typed, the caret at the end.
TzkCodeAssist *openPopup(MemoHost &host, const QString &typed, const QStringList &captions)
{
    host.setText(QStringLiteral("select ") + typed, 0, 0);
    host->SetSelIndex(0, 7 + int(typed.size()));
    const QPoint p = host->CaretPoint();
    auto *popup = new TzkCodeAssist(host.memo, host.form.get(), p.x(), p.y());
    host->CodeAssist = popup;
    popup->SetRWTable({QStringLiteral("SELECT")});
    popup->SetUseBQuote(true);
    for (const QString &c : captions) {
        popup->CaptionList << c;
        popup->SubItemList << QStringLiteral("TABLE");
        popup->ImageList.push_back(45);
    }
    popup->SetBuffer(typed);
    popup->ShowItems();
    popup->show();
    return popup;
}

const QStringList names{"Orders", "OrderLines", "Customers", "SELECT", "[x]", "a]b", "*"};

} // namespace

TEST(CodeAssistPopup, KeysAndCharacters)
{
    struct Key
    {
        int key;
        Qt::KeyboardModifiers mods = Qt::NoModifier;
    };
    struct Case
    {
        const char *name;
        QString typed;
        QList<Key> keys;
        QString text;     // the editor's text after the keys
        bool open;        // the popup still open
        QStringList rows; // its rows, when open
    } cases[] = {
        {"Enter accepts without a character", "Or", {{Qt::Key_Return, {}}}, "select [Orders]", false, {}},
        {"comma accepts and follows", "Or", {{Qt::Key_Comma, {}}}, "select [Orders],", false, {}},
        {"blank accepts and follows", "Or", {{Qt::Key_Space, {}}}, "select [Orders] ", false, {}},
        {"Ctrl+blank does nothing",
         "Or",
         {{Qt::Key_Space, Qt::ControlModifier}},
         "select Or",
         true,
         {"Orders", "OrderLines"}},
        {"Esc keeps the typed text", "Or", {{Qt::Key_Escape, {}}}, "select Or", false, {}},
        {"a letter goes to filter and editor",
         "Or",
         {{Qt::Key_E, {}}, {Qt::Key_R, {}}, {Qt::Key_L, {}}},
         "select Orerl",
         true,
         {}},
        {"letters narrow the list",
         "Or",
         {{Qt::Key_D, {}}, {Qt::Key_E, {}}, {Qt::Key_R, {}}, {Qt::Key_L, {}}},
         "select Orderl",
         true,
         {"OrderLines"}},
        {"Backspace widens the list",
         "Ord",
         {{Qt::Key_Backspace, {}}, {Qt::Key_Backspace, {}}},
         "select O",
         true,
         {"Orders", "OrderLines"}},
        {"Backspace with an empty filter closes and deletes", "", {{Qt::Key_Backspace, {}}}, "select", false, {}},
        {"Down then Enter takes the second row",
         "Or",
         {{Qt::Key_Down, {}}, {Qt::Key_Return, {}}},
         "select [OrderLines]",
         false,
         {}},
        {"a reserved word stays bare", "SEL", {{Qt::Key_Tab, {}}}, "select SELECT\t", false, {}},
        {"a bracketed name is not bracketed again", "[", {{Qt::Key_Return, {}}}, "select [x]", false, {}},
        {"] is doubled", "a", {{Qt::Key_Return, {}}}, "select [a]]b]", false, {}},
        {"* stays bare", "*", {{Qt::Key_Return, {}}}, "select *", false, {}},
        {"Left at the filter's start closes", "", {{Qt::Key_Left, {}}}, "select ", false, {}},
        {"Left inside the filter stays open", "Or", {{Qt::Key_Left, {}}}, "select Or", true, {"Orders", "OrderLines"}},
        {"Right at the filter's end closes", "Or", {{Qt::Key_Right, {}}}, "select Or", false, {}},
    };
    zkOption.UseLowerName = true;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MemoHost host;
        host->SetCodeAssistCallOfDot(false);
        openPopup(host, c.typed, names);
        for (const Key &k : c.keys)
            QTest::keyClick(host.memo, Qt::Key(k.key), k.mods);
        QApplication::processEvents();
        EXPECT_EQ(host.text(), c.text);
        EXPECT_EQ(host->CodeAssist != nullptr, c.open);
        if (c.open && !c.rows.isEmpty()) {
            QStringList rows;
            for (int i = 0; i < host->CodeAssist->RowCount(); ++i)
                rows << host->CodeAssist->topLevelItem(i)->text(0);
            EXPECT_EQ(rows, c.rows);
        }
        EXPECT_TRUE(host->hasFocus());
    }
}

TEST(CodeAssistPopup, LeftAtTheStartMovesTheEditorCaret)
{
    MemoHost host;
    openPopup(host, QString(), names);
    const int col = host->Col();
    QTest::keyClick(host.memo, Qt::Key_Left);
    EXPECT_EQ(host->CodeAssist, nullptr);
    EXPECT_EQ(host->Col(), col - 1);
}

TEST(CodeAssistPopup, FullStopAcceptsAndAsksAgain)
{
    MemoHost host;
    host->SetCodeAssistCallOfDot(true);
    host->SetCodeAssistDelayShow(false);
    QSignalSpy asked(host.memo, &TEditor::CodeAssist);
    openPopup(host, QStringLiteral("d"), {"dbo", "sales"});
    QTest::keyClick(host.memo, Qt::Key_Period, Qt::NoModifier);
    EXPECT_EQ(host.text(), QStringLiteral("select [dbo]."));
    EXPECT_EQ(asked.count(), 1);
}

TEST(CodeAssistPopup, PasteGoesToTheEditorNotToTheWindowAction)
{
    MemoHost host;
    auto *action = new QAction(host.form.get());
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    host.form->addAction(action);
    QSignalSpy fired(action, &QAction::triggered);
    QApplication::clipboard()->setText(QStringLiteral("XY"));
    openPopup(host, QStringLiteral("Or"), names);
    QTest::keyClick(host.memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fired.count(), 0);
    EXPECT_EQ(host.text(), QStringLiteral("select OrXY"));
    host->CloseCodeAssist();
    QTest::keyClick(host.memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fired.count(), 1) << "with the popup closed the action has the key again";
}

TEST(CodeAssistPopup, PagingAppendsRows)
{
    MemoHost host;
    QStringList many;
    for (int i = 0; i < 150; ++i)
        many << QStringLiteral("T%1").arg(i, 3, 10, QLatin1Char('0'));
    TzkCodeAssist *popup = openPopup(host, QString(), many);
    EXPECT_EQ(popup->RowCount(), 100);
    QTest::keyClick(host.memo, Qt::Key_Down);
    EXPECT_EQ(popup->RowCount(), 101);
    QTest::keyClick(host.memo, Qt::Key_PageDown);
    EXPECT_EQ(popup->RowCount(), 109);
    QTest::keyClick(host.memo, Qt::Key_End);
    EXPECT_EQ(popup->RowCount(), 150);
    EXPECT_EQ(popup->currentItem()->text(0), QStringLiteral("T149"));
    EXPECT_EQ(host.text(), QStringLiteral("select ")) << "paging keys stay in the popup";
}

TEST(CodeAssistPopup, SizeIsKeptForTheNextOpening)
{
    MemoHost host(800, 500);
    TzkCodeAssist *popup = openPopup(host, QString(), names);
    EXPECT_EQ(popup->width(), 400);
    EXPECT_EQ(popup->height(), 200);
    popup->resize(300, 150);
    popup->setColumnWidth(0, 180);
    host->CloseCodeAssist();
    EXPECT_EQ(host->CASize.Width, 300);
    EXPECT_EQ(host->CASize.Height, 150);
    EXPECT_EQ(host->CASize.ColumnWidth[0], 180);
    popup = openPopup(host, QString(), names);
    EXPECT_EQ(popup->width(), 300);
    EXPECT_EQ(popup->columnWidth(0), 180);
}

TEST(CodeAssistPopup, ClickInTheEditorAndFocusLossClose)
{
    MemoHost host;
    openPopup(host, QString(), names);
    QTest::mouseClick(host->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 5));
    EXPECT_EQ(host->CodeAssist, nullptr);
    openPopup(host, QString(), names);
    auto *other = new QLineEdit(host.form.get());
    other->show();
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(host->CodeAssist, nullptr);
}

// Under the caret row, inside the form; with ZK_SCREENSHOT_DIR set the form is
// saved there for a look.
TEST(CodeAssistPopup, PlacedUnderTheCaretRow)
{
    MemoHost host(700, 400);
    host->Lines()->SetTextStr(QStringLiteral("-- 受注の一覧\r\nselect o.OrderID, o.\r\n  from Orders o\r\n"));
    host->SetRowCol(1, 20);
    const QPoint caret = host->CaretPoint();
    auto *popup = new TzkCodeAssist(host.memo, host.form.get(), caret.x(), caret.y());
    host->CodeAssist = popup;
    popup->setHeaderLabels({QStringLiteral("列名"), QStringLiteral("データ型")});
    const QStringList captions{"*", "OrderID", "CustomerID", "OrderDate", "Amount", "備考"};
    const QStringList types{"", "int", "int", "date", "money", "nvarchar(200)"};
    for (int i = 0; i < captions.size(); ++i) {
        popup->CaptionList << captions[i];
        popup->SubItemList << types[i];
        popup->ImageList.push_back(i == 1 ? 46 : -1);
    }
    popup->ShowItems();
    popup->show();
    QApplication::processEvents();
    const QPoint caretInForm = host->viewport()->mapTo(host.form.get(), caret);
    EXPECT_GE(popup->y(), caretInForm.y() + host->RowHeight());
    EXPECT_EQ(popup->x(), caretInForm.x());
    EXPECT_TRUE(host.form->rect().contains(popup->geometry()));
    if (qEnvironmentVariableIsSet("ZK_SCREENSHOT_DIR"))
        host.form->grab().save(qEnvironmentVariable("ZK_SCREENSHOT_DIR") + QStringLiteral("/codeassist.png"));
}
