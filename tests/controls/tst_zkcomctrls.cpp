#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "platform/rtl/exceptions.h"
#include "support/xlsx/xlsxread.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QStringList captions(const TzkListView &list)
{
    QStringList out;
    for (int i = 0; i < list.ItemCount(); ++i)
        out << list.Item(i).Caption;
    return out;
}

// Three columns, the last right-aligned; item "c" has no third sub-item.
void fill(TzkListView &list)
{
    list.AddColumn(QStringLiteral("名前"), 100);
    list.AddColumn(QStringLiteral("種類"), 80);
    list.AddColumn(QStringLiteral("ページ数"), 60, Qt::AlignRight);
    list.AddItem(QStringLiteral("b"), 45, {QStringLiteral("TABLE"), QStringLiteral("1,200")});
    list.AddItem(QStringLiteral("a"), 47, {QStringLiteral("VIEW"), QStringLiteral("950")});
    list.AddItem(QStringLiteral("c"), 51, {QStringLiteral("PROCEDURE")});
    list.AddItem(QStringLiteral("d"), 45, {QStringLiteral("TABLE"), QStringLiteral("1.001")});
    list.AddItem(QStringLiteral("e"), 45, {QStringLiteral("TABLE"), QStringLiteral("1.004")});
}

struct SortStep
{
    int column;
    int sortID;
    const char *order; // captions after the click
};

} // namespace

// Header clicks: the caption column starts descending, a second click turns
// the order round, another column starts ascending; right-aligned columns
// compare as numbers (commas removed, 0 for no number, equal within 0.005).
TEST(TzkListView, ColumnClicksSortAsTheHeaderSays)
{
    TzkListView list;
    fill(list);
    QStringList clicked;
    list.OnColumnClick = [&](int column) { clicked << captions(list).join(QString()) + QString::number(column); };
    EXPECT_EQ(list.SortID(), 1);
    const SortStep steps[] = {
        {0, -1, "edcba"}, {0, 1, "abcde"},
        {2, 3, "cdeab"},                   // c (none: 0), d = e (1.001 ~ 1.004, kept in order), a 950, b 1,200
        {2, -3, "badec"}, {1, 2, "cbdea"}, // PROCEDURE, TABLE x3 (kept in order), VIEW
    };
    for (const SortStep &s : steps) {
        SCOPED_TRACE(s.order);
        list.ClickColumn(s.column);
        EXPECT_EQ(list.SortID(), s.sortID);
        EXPECT_EQ(captions(list).join(QString()), QString::fromLatin1(s.order));
    }
    EXPECT_EQ(clicked.size(), 5) << "after each built-in sort";
    EXPECT_TRUE(clicked.first().startsWith("edcba")) << "called after sorting";

    // A sort key beyond the columns leaves the order alone.
    const QStringList before = captions(list);
    list.SetSortID(7);
    list.CustomSort();
    EXPECT_EQ(captions(list), before);

    // OnCompare sees the built-in result and may change it.
    list.SetSortID(0);
    list.OnCompare = [&](int a, int b, int &compare) {
        compare = -QString::compare(list.Item(a).Caption, list.Item(b).Caption);
    };
    list.ClickColumn(0);
    EXPECT_EQ(captions(list).join(QString()), "edcba");
}

// Text columns and the caption sort compare in the word order of a
// language, small letters before capitals, whatever locale the process has;
// never in code points, which put every capital first.
TEST(TzkListView, TextsSortInWordOrder)
{
    const struct
    {
        const char *name;
        QStringList given;
        QStringList sorted;
    } cases[] = {
        {"case tells equal words apart, small first", {"B", "b", "A", "a"}, {"a", "A", "b", "B"}},
        {"capitals do not go first", {"orders", "Items", "customers"}, {"customers", "Items", "orders"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TzkListView list;
        list.AddColumn(QStringLiteral("名前"), 100);
        list.AddColumn(QStringLiteral("種類"), 80);
        for (const QString &text : c.given)
            list.AddItem(text, 45, {text});
        list.AlphaSort();
        EXPECT_EQ(captions(list), c.sorted);
        list.ClickColumn(0);
        list.ClickColumn(1);
        EXPECT_EQ(list.SortID(), 2);
        EXPECT_EQ(captions(list), c.sorted) << "by the sub-item";
    }
}

TEST(TzkListView, TheSelectionFollowsItsItemsThroughASort)
{
    TzkListView list;
    fill(list);
    list.SetSelected(0, true); // b
    list.SetSelected(3, true); // d
    list.SetItemFocused(3);
    list.ClickColumn(0); // descending: e d c b a
    EXPECT_EQ(list.SelectedItems(), (QList<int>{1, 3}));
    EXPECT_EQ(list.Item(list.ItemFocused()).Caption, "d");
    EXPECT_EQ(list.SelCount(), 2);
}

TEST(TzkListView, InsertedAndMovedItemsKeepTheirSelection)
{
    TzkListView list;
    fill(list); // b a c d e
    list.SetSelected(1, true);
    list.SetItemFocused(1);
    list.MoveItem(1, 3); // b c d a e
    EXPECT_EQ(captions(list).join(QString()), "bcdae");
    EXPECT_EQ(list.SelectedItems(), QList<int>{3});
    EXPECT_EQ(list.ItemFocused(), 3);
    list.MoveItem(3, 0); // a b c d e
    EXPECT_EQ(captions(list).join(QString()), "abcde");
    EXPECT_EQ(list.SelectedItems(), QList<int>{0});
    list.InsertItem(0, TzkListItem{QStringLiteral("z"), 45, {}, {}});
    EXPECT_EQ(captions(list).join(QString()), "zabcde");
    EXPECT_EQ(list.SelectedItems(), QList<int>{1});
    list.InsertItem(list.ItemCount(), TzkListItem{QStringLiteral("y"), 45, {}, {}});
    EXPECT_EQ(list.Item(6).Caption, "y");
    EXPECT_THROW(list.MoveItem(0, 7), EListError);
    EXPECT_THROW(list.InsertItem(9, {}), EListError);
    list.DeleteItem(1);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.Model()->rowCount(), 6);
}

TEST(TzkListView, DelimitedOutputWithAndWithoutTitle)
{
    TzkListView list;
    fill(list);
    QString text = list.OutputText(true, QLatin1Char('\t'), false);
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7) << "title, five items, and nothing after the last CR LF";
    EXPECT_TRUE(lines.last().isEmpty());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(lines.at(i).count(QLatin1Char('\t')), 2) << i;
    EXPECT_EQ(lines.at(0), "名前\t種類\tページ数");
    EXPECT_EQ(lines.at(3), "c\tPROCEDURE\t") << "a missing sub-item is an empty cell";

    list.SetSelected(1, true);
    list.SetSelected(4, true);
    list.OutputToClipboard(false, QLatin1Char(','), true);
    EXPECT_EQ(QApplication::clipboard()->text(), "a,VIEW,950\r\ne,TABLE,1.004\r\n");

    TzkListView empty;
    empty.AddColumn(QStringLiteral("A"), 10);
    empty.AddColumn(QStringLiteral("B"), 10);
    EXPECT_EQ(empty.OutputText(true, QLatin1Char('\t'), false), "A\tB\r\n");
}

TEST(TzkListView, CopyPutsTheSelectedCaptionsOnTheClipboard)
{
    TzkListView list;
    fill(list);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    list.CopySelection();
    EXPECT_EQ(QApplication::clipboard()->text(), "before") << "nothing selected: unchanged";
    list.SetSelected(3, true);
    list.SetSelected(0, true);
    list.CopySelection();
    EXPECT_EQ(QApplication::clipboard()->text(), "b\r\nd");

    // The view's own copy key does the same.
    list.SetSelected(3, false);
    QTest::keyClick(list.ReportView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "b");
}

// The main window's edit commands reach the list through its focused view.
TEST(TzkListView, TakesTheMainWindowsCopyAndSelectAll)
{
    TzkListView list;
    fill(list);
    for (QAbstractItemView *view :
         {static_cast<QAbstractItemView *>(list.ReportView()), static_cast<QAbstractItemView *>(list.IconView())}) {
        IzkEditCommands *commands = EditCommandsOf(view);
        ASSERT_NE(commands, nullptr);
        list.ClearSelection();
        commands->EditSelectAll();
        EXPECT_EQ(list.SelCount(), 5);
        commands->EditCopy();
        EXPECT_EQ(QApplication::clipboard()->text(), "b\r\na\r\nc\r\nd\r\ne");
        commands->EditDelete();
        commands->EditPaste();
        EXPECT_EQ(list.ItemCount(), 5) << "nothing else changes the list";
    }
}

TEST(TzkListView, SelectAllInOneStepAndOnlyWithMultipleSelection)
{
    TzkListView list;
    for (int i = 0; i < 1000; ++i)
        list.AddItem(QString::number(i));
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.SelectAll();
    EXPECT_EQ(list.SelCount(), 1000);
    EXPECT_EQ(changes, 1);

    list.ClearSelection();
    list.SetMultiSelect(false);
    list.SelectAll();
    EXPECT_EQ(list.SelCount(), 0);
}

TEST(TzkListView, WorkbookOutputOfSelectedItemsStartsAtA1)
{
    QTemporaryDir dir;
    TzkListView list;
    fill(list);
    list.AddItem(QStringLiteral("f"), 45, {QStringLiteral("改行\r\nあり"), QStringLiteral("3")});
    list.SetSelected(2, true); // c
    list.SetSelected(5, true); // f
    const QString path = dir.filePath(QStringLiteral("out/list.xlsx"));
    list.OutputToExcelFile(path, false, true);
    EXPECT_EQ(ReadXlsxCells(path), (QList<QStringList>{{"c", "PROCEDURE", ""}, {"f", "改行 あり", "3"}}));

    list.OutputToExcelFile(path, true, false);
    const QList<QStringList> all = ReadXlsxCells(path);
    ASSERT_EQ(all.size(), 7);
    EXPECT_EQ(all.at(0), (QStringList{"名前", "種類", "ページ数"}));
    EXPECT_EQ(all.at(1), (QStringList{"b", "TABLE", "1,200"})) << "every cell a text";

    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(list.OutputToExcelFile(dir.filePath(QStringLiteral("file/x.xlsx")), true, false), Exception);
}

// Items added outside an update reach the views at the next event round as
// one insertion; inside one, at its end.
TEST(TzkListView, AddedItemsReachTheViewsTogether)
{
    TzkListView list;
    list.AddColumn(QStringLiteral("名前"), 100);
    QSignalSpy inserted(list.Model(), &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 500; ++i)
        list.AddItem(QString::number(i));
    EXPECT_EQ(list.ItemCount(), 500);
    EXPECT_EQ(list.Model()->rowCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.Model()->rowCount(), 500);
    EXPECT_EQ(inserted.count(), 1);

    list.BeginUpdate();
    list.AddItem(QStringLiteral("x"));
    QCoreApplication::processEvents();
    EXPECT_EQ(list.Model()->rowCount(), 500);
    list.EndUpdate();
    EXPECT_EQ(list.Model()->rowCount(), 501);
    EXPECT_EQ(inserted.count(), 2);

    // A call that needs the rows on screen brings them at once.
    list.AddItem(QStringLiteral("y"));
    list.SetSelected(501, true);
    EXPECT_TRUE(list.IsSelected(501));
}

TEST(TzkListView, ColumnsKeepTheirWidthsAcrossARefill)
{
    TzkListView list;
    list.resize(400, 200);
    fill(list);
    list.SetColumnWidth(1, 133);
    list.ClearItems();
    EXPECT_EQ(list.ColumnWidth(1), 133);
    list.ClearColumns();
    EXPECT_EQ(list.ColumnCount(), 0);
    EXPECT_TRUE(list.ReportView()->isHeaderHidden());
    list.AddColumn(QStringLiteral("X"), 50);
    list.AddColumn(QStringLiteral("Y"), 70);
    EXPECT_EQ(list.ColumnWidth(0), 50);
    EXPECT_EQ(list.ColumnWidth(1), 70);
    EXPECT_EQ(list.Model()->headerData(0, Qt::Horizontal).toString(), "X");
}

TEST(TzkListView, InPlaceEditingAsksBeforeAndAfter)
{
    TzkListView list;
    list.resize(300, 200);
    list.show();
    fill(list);
    list.SetReadOnly(false);
    list.OnEditing = [&](int item) { return list.Item(item).ImageIndex == 45; };
    QString proposed;
    bool accept = false;
    list.OnEdited = [&](int, QString &text) {
        proposed = text;
        text = text.toUpper();
        return accept;
    };
    list.EditCaption(1); // a: a view, refused
    EXPECT_FALSE(list.IsEditing());

    for (bool taken : {false, true}) {
        SCOPED_TRACE(taken ? "taken" : "refused");
        accept = taken;
        list.EditCaption(0); // b
        ASSERT_TRUE(list.IsEditing());
        auto *editor = list.ReportView()->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        // The copy key edits the text while the caption is edited.
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        list.CopySelection();
        EXPECT_EQ(QApplication::clipboard()->text(), "kept");
        editor->setText(QStringLiteral("renamed"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the editor closes
        EXPECT_FALSE(list.IsEditing());
        QCoreApplication::processEvents(); // then the handler runs
        EXPECT_EQ(proposed, "renamed");
        EXPECT_EQ(list.Item(0).Caption, taken ? "RENAMED" : "b");
    }

    // Read-only: no editing at all.
    list.SetReadOnly(true);
    list.EditCaption(3);
    EXPECT_FALSE(list.IsEditing());
}

TEST(TzkListView, DragDataCarriesTheSelectedItems)
{
    TzkListView list;
    fill(list);
    list.SetSelected(2, true);
    list.SetSelected(0, true);
    std::unique_ptr<QMimeData> data(list.Model()->mimeData({}));
    ASSERT_TRUE(data->hasFormat(TzkListView::DragMimeType));
    const QList<TzkListItem> items = TzkListView::DecodeDragItems(data.get());
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(0).Caption, "b");
    EXPECT_EQ(items.at(0).ImageIndex, 45);
    EXPECT_EQ(items.at(0).SubItems, (QStringList{"TABLE", "1,200"}));
    EXPECT_EQ(items.at(1).Caption, "c");
    QMimeData other;
    other.setText(QStringLiteral("x"));
    EXPECT_TRUE(TzkListView::DecodeDragItems(&other).isEmpty());
}

TEST(TzkListView, FindInListViewSelectsTheNextMatch)
{
    TzkListView list;
    list.AddColumn(QStringLiteral("名前"), 100);
    list.AddColumn(QStringLiteral("DB"), 100);
    list.AddItem(QStringLiteral("Orders"), 45, {QStringLiteral("SalesDB")});
    list.AddItem(QStringLiteral("Stock"), 45, {QStringLiteral("InventoryDB")});
    list.AddItem(QStringLiteral("OrderDetails"), 45, {QStringLiteral("SalesDB")});
    TzkStrEdit edit;
    edit.setText(QStringLiteral("order"));
    FindInListView(&edit, &list);
    EXPECT_EQ(list.SelectedItems(), QList<int>{0});
    FindInListView(&edit, &list);
    EXPECT_EQ(list.SelectedItems(), QList<int>{2});
    edit.setText(QStringLiteral("inventory"));
    FindInListView(&edit, &list);
    EXPECT_EQ(list.SelectedItems(), QList<int>{1}) << "the first sub-item counts too";
}

TEST(TzkListView, StylesShareItemsAndSelection)
{
    TzkListView list;
    fill(list);
    list.SetSelected(2, true);
    for (TViewStyle style : {vsList, vsSmallIcon, vsIcon, vsReport}) {
        list.SetViewStyle(style);
        EXPECT_EQ(list.CurrentView()->model()->rowCount(), 5);
        EXPECT_TRUE(list.CurrentView()->selectionModel()->isRowSelected(2, QModelIndex()));
        EXPECT_EQ(list.focusProxy(), list.CurrentView());
    }
}

// --- Tree view ----------------------------------------------------------------------

TEST(TzkTreeNode, FindNameSearchesDepthFirstAndFindDataByPointer)
{
    TzkTreeView tree;
    TzkTreeNode *root = tree.AddChild(nullptr, QStringLiteral("root"));
    TzkTreeNode *first = tree.AddChild(root, QStringLiteral("first"));
    TzkTreeNode *grandchild = tree.AddChild(first, QStringLiteral("ABC"));
    TzkTreeNode *second = tree.AddChild(root, QStringLiteral("abc"));
    int marker = 0;
    second->SetData(&marker);
    EXPECT_EQ(root->FindName(QStringLiteral("abc"), true), grandchild) << "a grandchild before the next child";
    EXPECT_EQ(root->FindName(QStringLiteral("abc"), false), second);
    EXPECT_EQ(root->FindName(QStringLiteral("ａｂｃ"), true), nullptr) << "only ASCII letters fold";
    EXPECT_EQ(root->FindData(&marker, true), second);
    EXPECT_EQ(root->FindData(nullptr, false), first);
    EXPECT_EQ(grandchild->Level(), 2);
    EXPECT_EQ(grandchild->Parent(), first);
    EXPECT_EQ(root->Parent(), nullptr);
    EXPECT_EQ(tree.NodeCount(), 4);

    tree.DeleteNode(first);
    EXPECT_EQ(tree.NodeCount(), 2);
    EXPECT_EQ(second->Index(), 0);
    EXPECT_EQ(tree.IndexOfNode(second).row(), 0);
}

TEST(TzkTreeView, SubItemsShowUnderTheHeaderSections)
{
    TzkTreeView tree;
    tree.resize(400, 200);
    TzkTreeNode *five = tree.AddChild(nullptr, QStringLiteral("five"));
    five->SetSubItems({"1", "2", "3", "4", "5"});
    TzkTreeNode *one = tree.AddChild(nullptr, QStringLiteral("one"));
    one->SetSubItems({"x"});
    tree.SetHeaderSections(
        {{QStringLiteral("名前"), 120}, {QStringLiteral("A"), 60}, {QStringLiteral("B"), 60, Qt::AlignRight}});
    EXPECT_FALSE(tree.isHeaderHidden());
    QAbstractItemModel *model = tree.model();
    EXPECT_EQ(model->columnCount(), 3) << "two sub-items of five are drawn";
    EXPECT_EQ(model->index(0, 2).data().toString(), "2");
    EXPECT_EQ(model->index(1, 1).data().toString(), "x");
    EXPECT_EQ(model->index(1, 2).data().toString(), "");
    EXPECT_EQ(model->index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
    EXPECT_EQ(tree.header()->sectionSize(0), 120);

    QList<int> drawn;
    tree.OnCustomDrawSubItem = [&](QPainter *, const QStyleOptionViewItem &, TzkTreeNode *node, int index,
                                   bool &defaultDraw) {
        if (node == five)
            drawn << index;
        defaultDraw = index != 1;
    };
    tree.grab();
    std::sort(drawn.begin(), drawn.end());
    drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
    EXPECT_EQ(drawn, (QList<int>{0, 1}));

    // Untied: nodes alone.
    tree.SetHeaderSections({});
    EXPECT_TRUE(tree.isHeaderHidden());
    EXPECT_EQ(model->columnCount(), 1);
    tree.grab();
}

TEST(TzkTreeView, ChangeComesAfterTheDelayOrAtOnce)
{
    TzkTreeView tree;
    TzkTreeNode *a = tree.AddChild(nullptr, QStringLiteral("a"));
    TzkTreeNode *b = tree.AddChild(nullptr, QStringLiteral("b"));
    QList<TzkTreeNode *> changes;
    tree.OnChange = [&](TzkTreeNode *node) { changes << node; };
    tree.ChangeDelay = 30;
    tree.SetSelected(a);
    tree.SetSelected(b);
    EXPECT_TRUE(changes.isEmpty());
    QTest::qWait(80);
    EXPECT_EQ(changes, QList<TzkTreeNode *>{b}) << "once, for the node where the selection settled";

    changes.clear();
    tree.ChangeDelay = 0;
    tree.SetSelected(a);
    EXPECT_EQ(changes, QList<TzkTreeNode *>{a});
}

TEST(TzkTreeView, AnUpdateKeepsExpandedNodesAndTheSelection)
{
    TzkTreeView tree;
    TzkTreeNode *db = tree.AddChild(nullptr, QStringLiteral("SalesDB"));
    TzkTreeNode *kind = tree.AddChild(db, QStringLiteral("TABLE"));
    db->Expand();
    tree.SetSelected(kind);
    int changes = 0;
    tree.OnChange = [&](TzkTreeNode *) { ++changes; };
    tree.ChangeDelay = 0;
    QSignalSpy reset(tree.model(), &QAbstractItemModel::modelReset);
    tree.BeginUpdate();
    for (int i = 0; i < 1000; ++i)
        tree.AddChild(kind, QString::number(i));
    EXPECT_EQ(tree.Selected(), kind);
    tree.EndUpdate();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_TRUE(tree.isExpanded(tree.IndexOfNode(db)));
    EXPECT_EQ(tree.Selected(), kind);
    EXPECT_EQ(changes, 0) << "nothing changed for the user";
    EXPECT_EQ(tree.model()->rowCount(tree.IndexOfNode(kind)), 1000);

    // A selected node deleted inside an update leaves nothing selected.
    tree.BeginUpdate();
    tree.DeleteNode(kind);
    tree.EndUpdate();
    EXPECT_EQ(tree.Selected(), nullptr);
}

TEST(TzkTreeView, AClickBesideTheNodesSelectsNone)
{
    TzkTreeView tree;
    tree.resize(200, 300);
    tree.show();
    TzkTreeNode *a = tree.AddChild(nullptr, QStringLiteral("a"));
    tree.SetSelected(a);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 250));
    EXPECT_EQ(tree.Selected(), nullptr);
    const QRect rect = tree.visualRect(tree.IndexOfNode(a));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    EXPECT_EQ(tree.Selected(), a);

    int scrolls = 0;
    tree.OnScroll = [&] { ++scrolls; };
    for (int i = 0; i < 100; ++i)
        tree.AddChild(nullptr, QString::number(i));
    tree.scrollToBottom();
    EXPECT_GT(scrolls, 0);
}
