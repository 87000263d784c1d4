#pragma once

// The program's list view and tree view, on Qt's model/view.
//
//   auto *list = new TzkListView(parent);          // report style
//   list->SetImages(zkMainForm->imgMain());        // image index = kind code
//   list->AddColumn(QStringLiteral("オブジェクト名"), 200);
//   list->AddColumn(QStringLiteral("ページ数"), 80, Qt::AlignRight);
//   list->BeginUpdate();
//   list->AddItem(QStringLiteral("Orders"), 45, {QStringLiteral("1,200")});
//   list->EndUpdate();
//   list->AlphaSort();                             // by caption
//   list->ClickColumn(1);                          // as a header click
//   list->OutputToClipboard(true, QLatin1Char('\t'), false);
//
// Items live in one array of the view's model; the views only read it, so
// a hundred thousand items cost their texts and little more. Items added
// outside BeginUpdate/EndUpdate reach the views together at the next event
// round (or when a call needs them on screen), never one by one.
//
//   auto *tree = new TzkTreeView(parent);
//   TzkTreeNode *server = tree->AddChild(nullptr, QStringLiteral("srv1"), 5);
//   TzkTreeNode *db = tree->AddChild(server, QStringLiteral("SalesDB"), 116);
//   tree->SetSelected(db);
//   tree->OnChange = [](TzkTreeNode *node) { ... };  // ChangeDelay ms later
//   tree->SetHeaderSections({{"名前", 200}, {"値", 80, Qt::AlignRight}});

#include "core/zkeditcommands.h"
#include "core/zksub_files.h"

#include <QAbstractItemView>
#include <QList>
#include <QStringList>
#include <QTreeView>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QHeaderView;
class QKeyEvent;
class QListView;
class QMimeData;
class QPainter;
class QStackedLayout;
class QStyleOptionViewItem;
class QTimer;
class TzkImageList;
class TzkListModel;
class TzkListReportView;
class TzkListIconView;
template<class>
class TzkListInnerView;
class TzkTreeModel;
class TzkTreeView;

// --- List view -------------------------------------------------------------------

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// One item of a list view: its caption (column 0), its image and the texts
// of the further columns. A missing sub-item reads as an empty text.
struct TzkListItem
{
    QString Caption;
    int ImageIndex = -1;
    QStringList SubItems;
    QVariant Data; // the owner's own value

    QString SubItem(int index) const { return SubItems.value(index); }
};

class TzkListView
    : public QWidget
    , public IzkSearchableList
    , public IzkEditCommands
{
    Q_OBJECT
public:
    explicit TzkListView(QWidget *parent = nullptr);
    ~TzkListView() override;

    // --- Appearance --------------------------------------------------------------
    TViewStyle ViewStyle() const { return m_style; }
    void SetViewStyle(TViewStyle style);
    // The whole row shows the selection; otherwise only the caption does.
    bool RowSelect() const { return m_rowSelect; }
    void SetRowSelect(bool on);
    bool MultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool on);
    // Captions can be edited in place (F2, a click on a selected caption)
    // unless the view is read-only.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool on);
    // Items can be dragged out (as DragMimeType); nothing is dropped here.
    bool DragEnabled() const { return m_dragEnabled; }
    void SetDragEnabled(bool on);
    // Small and large images: the item's image index picks the icon.
    void SetImages(const TzkImageList *images);
    const TzkImageList *Images() const { return m_images; }

    // --- Columns -----------------------------------------------------------------
    int ColumnCount() const;
    void AddColumn(const QString &caption, int width, Qt::Alignment alignment = Qt::AlignLeft);
    QString ColumnCaption(int column) const;
    Qt::Alignment ColumnAlignment(int column) const;
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    void ClearColumns();

    // --- Items -------------------------------------------------------------------
    int ItemCount() const override;
    // Appends an item; returns its index.
    int AddItem(const QString &caption, int imageIndex = -1, const QStringList &subItems = {},
                const QVariant &data = {});
    int AddItem(TzkListItem item);
    const TzkListItem &Item(int index) const;
    void SetItemCaption(int index, const QString &caption);
    // Inserts an item before `index` (at the end for ItemCount()).
    void InsertItem(int index, TzkListItem item);
    // Moves an item to another place; it keeps its selection.
    void MoveItem(int from, int to);
    void DeleteItem(int index);
    void ClearItems();
    // Items added between these reach the views at EndUpdate; pairs nest.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return m_updateCount > 0; }

    // --- Selection -------------------------------------------------------------
    bool IsSelected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;
    // Selected items in item order.
    QList<int> SelectedItems() const;
    void ClearSelection();
    // The select-all request: every item, in one step; nothing while a
    // caption is edited or without multiple selection.
    void SelectAll();
    // The item with the focus (the current one); -1 when none.
    int ItemFocused() const;
    void SetItemFocused(int index);
    void MakeVisible(int index);

    // --- Sorting -----------------------------------------------------------------
    // 0 none; +n ascending by column n-1; -n descending. 1 after creation.
    int SortID() const { return m_sortID; }
    void SetSortID(int id) { m_sortID = id; }
    // A click on the header of `column`: the same column again turns the
    // order round, another column sorts ascending; then OnColumnClick.
    void ClickColumn(int column);
    // A click on a column header sorts (ClickColumn) unless switched off, for
    // lists whose row order is the data's own order.
    bool SortOnHeaderClick() const { return m_sortOnHeaderClick; }
    void SetSortOnHeaderClick(bool on) { m_sortOnHeaderClick = on; }
    // Sorts by SortID with the built-in comparison (and OnCompare).
    void CustomSort();
    // The default order: captions, ascending, locale-aware.
    void AlphaSort();

    // --- Editing -----------------------------------------------------------------
    // Starts editing the caption (when the view and OnEditing allow).
    void EditCaption(int index);
    bool IsEditing() const;

    // --- Output ------------------------------------------------------------------
    // The copy request: the selected captions, one per line (CR LF between,
    // none after), on the clipboard; nothing while a caption is edited or
    // when no item is selected.
    void CopySelection();
    // The items as delimited text: a title line of the column captions
    // (HasTitle), then per item the caption and each sub-item, every line
    // ended by CR LF. Texts go as they are.
    QString OutputText(bool HasTitle, QChar Delimiter, bool IsSelectedItemOnly) const;
    void OutputToClipboard(bool HasTitle, QChar Delimiter, bool IsSelectedItemOnly);
    // The items into a new workbook, all cells texts; a line break inside a
    // sub-item becomes a blank. Raises on failure.
    void OutputToExcelFile(const QString &SaveFile, bool HasTitle, bool IsSelectedItemOnly);

    // --- Dragging ----------------------------------------------------------------
    // The items of a drag out of a list view: image, caption and sub-items of
    // the selected items, in item order.
    static const QString DragMimeType;
    static QMimeData *EncodeDragItems(const QList<TzkListItem> &items);
    static QList<TzkListItem> DecodeDragItems(const QMimeData *data);

    // --- IzkEditCommands: the main window's copy and select-all; the list
    // changes nothing else ------------------------------------------------------------
    void EditUndo() override {}
    void EditRedo() override {}
    void EditCut() override {}
    void EditCopy() override { CopySelection(); }
    void EditPaste() override {}
    void EditDelete() override {}
    void EditSelectAll() override { SelectAll(); }

    // --- IzkSearchableList ---------------------------------------------------------
    int SelectedIndex() const override;
    QString ItemCaption(int index) const override;
    QString ItemFirstSubItem(int index) const override;
    void ShowFoundItem(int index) override;

    // --- The views -----------------------------------------------------------------
    // The view of the current style (the report view or the icon view).
    QAbstractItemView *CurrentView() const;
    QTreeView *ReportView() const;
    QListView *IconView() const;
    QHeaderView *Header() const;
    QAbstractItemModel *Model() const;

    // --- Events --------------------------------------------------------------------
    // After the built-in sorting of a header click.
    std::function<void(int column)> OnColumnClick;
    // After the built-in comparison, which it may change.
    std::function<void(int item1, int item2, int &compare)> OnCompare;
    // The selection changed.
    std::function<void()> OnChange;
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // The list got the focus from elsewhere.
    std::function<void()> OnEnter;
    // A key pressed while no caption is edited; true ends its processing.
    std::function<bool(QKeyEvent *event)> OnKeyDown;
    std::function<void(const QPoint &globalPos)> OnContextPopup;
    // May this item's caption be edited?
    std::function<bool(int item)> OnEditing;
    // The edit ended with a new text (after the editor closed); false keeps
    // the old caption. Without it the text is taken.
    std::function<bool(int item, QString &text)> OnEdited;
    // Report style, columns from 1: paints the cell itself by clearing
    // defaultDraw. `option.rect` is the cell.
    std::function<void(QPainter *painter, const QStyleOptionViewItem &option, int item, int column, bool &defaultDraw)>
        OnCustomDrawSubItem;

private:
    friend class TzkListModel;
    friend class TzkListDelegate;
    template<class>
    friend class TzkListInnerView;

    // Announces appended items to the views.
    void Sync() const;
    void ScheduleSync();
    bool CanEditItem(int index) const;
    void ItemEdited(int index, const QString &text);
    // The view's own keys; true when handled.
    bool HandleKey(QKeyEvent *event);
    void SortBy(int column, bool descending, bool withOnCompare);
    QList<TzkListItem> SelectedItemsData() const;
    // Every item, or the selected ones, in item order.
    void ForEachItem(bool selectedOnly, const std::function<void(const TzkListItem &)> &visit) const;
    // Every selected row as a flag, by item.
    std::vector<char> SelectionFlags() const;

    TzkListModel *m_model = nullptr;
    TzkListReportView *m_report = nullptr;
    TzkListIconView *m_icons = nullptr;
    QStackedLayout *m_stack = nullptr;
    const TzkImageList *m_images = nullptr;
    TViewStyle m_style = vsReport;
    bool m_rowSelect = true;
    bool m_multiSelect = true;
    bool m_readOnly = true;
    bool m_dragEnabled = false;
    int m_sortID = 1;
    bool m_sortOnHeaderClick = true;
    int m_updateCount = 0;
    bool m_syncScheduled = false;
    quint64 m_generation = 0; // counts item-list changes that move items
};

// --- Tree view -------------------------------------------------------------------

// A node of a TzkTreeView. Nodes are made, owned and freed by their view.
class TzkTreeNode
{
public:
    ~TzkTreeNode();
    TzkTreeNode(const TzkTreeNode &) = delete;
    TzkTreeNode &operator=(const TzkTreeNode &) = delete;

    TzkTreeView *TreeView() const { return m_view; }
    QString Text() const { return m_text; }
    void SetText(const QString &text);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index);
    int SelectedIndex() const { return m_selectedIndex; }
    void SetSelectedIndex(int index);
    void *Data() const { return m_data; }
    void SetData(void *data) { m_data = data; }
    void *Data2() const { return m_data2; }
    void SetData2(void *data) { m_data2 = data; }
    void *Data3() const { return m_data3; }
    void SetData3(void *data) { m_data3 = data; }
    // Texts shown in the header's columns 1, 2, ...; a change repaints the view.
    const QStringList &SubItems() const { return m_subItems; }
    void SetSubItems(const QStringList &items);
    void AddSubItem(const QString &text);

    // Null for a top-level node.
    TzkTreeNode *Parent() const;
    // 0 for top-level nodes.
    int Level() const;
    // Position among its siblings.
    int Index() const { return m_index; }
    int Count() const { return int(m_children.size()); }
    bool HasChildren() const { return !m_children.empty(); }
    TzkTreeNode *Item(int index) const;
    TzkTreeNode *GetFirstChild() const { return Item(0); }

    bool Expanded() const { return m_expanded; }
    void SetExpanded(bool expanded);
    void Expand(bool recurse = false);
    void Collapse(bool recurse = false);
    bool Selected() const;
    void MakeVisible();

    // The first child (depth first with ARecurse: a child's children right
    // after the child) whose text equals S, ASCII letters in any case.
    TzkTreeNode *FindName(const QString &S, bool ARecurse) const;
    // The same by the children's Data pointer.
    TzkTreeNode *FindData(const void *P, bool ARecurse) const;

private:
    friend class TzkTreeView;
    friend class TzkTreeModel;
    TzkTreeNode(TzkTreeView *view, TzkTreeNode *parent, int index);
    void Changed(bool wholeView);
    template<typename Match>
    TzkTreeNode *Find(const Match &match, bool recurse) const;

    TzkTreeView *m_view;
    TzkTreeNode *m_parent; // the hidden root for top-level nodes
    int m_index;
    QString m_text;
    int m_imageIndex = -1;
    int m_selectedIndex = -1;
    void *m_data = nullptr;
    void *m_data2 = nullptr;
    void *m_data3 = nullptr;
    QStringList m_subItems;
    bool m_expanded = false;
    std::vector<std::unique_ptr<TzkTreeNode>> m_children;
};

// A column of a tree view with a header.
struct TzkHeaderSection
{
    QString Caption;
    int Width = 100;
    Qt::Alignment Alignment = Qt::AlignLeft;
};

class TzkTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit TzkTreeView(QWidget *parent = nullptr);
    ~TzkTreeView() override;

    void SetImages(const TzkImageList *images);
    const TzkImageList *Images() const { return m_images; }

    // --- Nodes -------------------------------------------------------------------
    // Appends a child of `parent` (null: a top-level node).
    TzkTreeNode *AddChild(TzkTreeNode *parent, const QString &text, int imageIndex = -1);
    // Frees the node with its children.
    void DeleteNode(TzkTreeNode *node);
    void Clear();
    int TopCount() const;
    TzkTreeNode *TopItem(int index) const;
    // Nodes in the whole tree.
    int NodeCount() const { return m_nodeCount; }
    // Node changes between these reach the view at EndUpdate, as one reset
    // that keeps the expanded nodes and the selection; pairs nest.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return m_updateCount > 0; }

    TzkTreeNode *Selected() const;
    // Selects the node (null: none) and makes it current.
    void SetSelected(TzkTreeNode *node);
    TzkTreeNode *GetNodeAt(const QPoint &viewportPos) const;
    // Ctrl and Shift select several nodes (off: one at a time, the default).
    bool MultiSelect() const;
    void SetMultiSelect(bool on);
    // The selected nodes in the order the user selected them.
    QList<TzkTreeNode *> Selections() const;
    int SelectionCount() const { return int(Selections().size()); }
    // Adds the node to the selection as a Ctrl-click does; the current node
    // stays.
    void AddToSelection(TzkTreeNode *node);
    TzkTreeNode *NodeFromIndex(const QModelIndex &index) const;
    QModelIndex IndexOfNode(const TzkTreeNode *node, int column = 0) const;

    // --- Header ------------------------------------------------------------------
    // Ties the view to header sections: sub-items are drawn under sections 1,
    // 2, ... and follow their widths. An empty list unties it: nodes alone,
    // without a header.
    void SetHeaderSections(const QList<TzkHeaderSection> &sections);
    QList<TzkHeaderSection> HeaderSections() const { return m_sections; }
    bool HasHeader() const { return !m_sections.isEmpty(); }

    // --- Events ------------------------------------------------------------------
    // The selected node changed; called ChangeDelay ms after the selection
    // settled (at once for 0). Null while nothing is selected.
    int ChangeDelay = 50;
    std::function<void(TzkTreeNode *node)> OnChange;
    // Before a sub-item (Index from 0) is drawn; clearing defaultDraw leaves
    // the cell to the handler.
    std::function<void(QPainter *painter, const QStyleOptionViewItem &option, TzkTreeNode *node, int index,
                       bool &defaultDraw)>
        OnCustomDrawSubItem;
    // Before each cell of a node's row is drawn (the node's own cell and its
    // sub-items): the handler may change the option's font and colours, which
    // the cell is then drawn with (and OnCustomDrawSubItem is given).
    std::function<void(QStyleOptionViewItem &option, TzkTreeNode *node)> OnAdvancedCustomDrawItem;
    // A collapsed node is about to show its children (a click, a key,
    // TzkTreeNode::Expand or SetExpanded, inside BeginUpdate too): the
    // handler may load them. Not called for a node already expanded.
    std::function<void(TzkTreeNode *node)> OnExpanding;
    // After every scroll of the view.
    std::function<void()> OnScroll;
    // The right button or the menu key; the node under the mouse is selected
    // first.
    std::function<void(const QPoint &globalPos)> OnContextPopup;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class TzkTreeNode;
    friend class TzkTreeModel;
    friend class TzkTreeDelegate;
    void BeginBulkChange();
    void StartChange();
    void FireChange();
    void NodeExpandedChanged(const QModelIndex &index, bool expanded);
    void RestoreAfterReset();
    void Forget(TzkTreeNode *node);

    TzkTreeModel *m_model = nullptr;
    std::unique_ptr<TzkTreeNode> m_root;
    const TzkImageList *m_images = nullptr;
    QList<TzkHeaderSection> m_sections;
    QTimer *m_changeTimer = nullptr;
    int m_nodeCount = 0;
    int m_updateCount = 0;
    bool m_resetting = false;
    bool m_restoring = false;
    TzkTreeNode *m_pendingSelected = nullptr;
    QList<TzkTreeNode *> m_selectionOrder; // may hold nodes no longer selected
};
