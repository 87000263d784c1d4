#pragma once

// The models, views and delegates behind TzkListView and TzkTreeView.

#include "controls/zkcomctrls.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTreeView>

// --- List view ---------------------------------------------------------------------

struct TzkListColumn
{
    QString Caption;
    Qt::Alignment Alignment = Qt::AlignLeft;
};

// The items of a list view. Appended items are announced to the views by
// Announce (rowCount counts only announced ones), so a burst of additions
// costs one insertion for the views.
class TzkListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TzkListModel(TzkListView *owner);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    void Announce();
    void Reset(const std::function<void()> &change);
    // order[new position] = old position.
    void Reorder(const std::vector<int> &order);
    void RemoveRow(int row);
    void InsertRow(int row, TzkListItem item);
    void MoveRow(int from, int to);
    void InsertColumn(const TzkListColumn &column);
    void RemoveColumns();
    void CaptionChanged(int row);

    std::vector<TzkListItem> Items;
    int Shown = 0;
    QList<TzkListColumn> Columns;

private:
    TzkListView *m_owner;
};

// Paints the cells: the selection only under the caption without row
// select, and the owner's drawing of sub-items.
class TzkListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    TzkListDelegate(TzkListView *owner, bool report);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TzkListView *m_owner;
    bool m_report;
};

// What both of a list view's views do alike: keys, mouse, context menu,
// dragging without an image, editing only the caption, and the main
// window's edit commands (the focus is here, not on the list view).
template<class Base>
class TzkListInnerView
    : public Base
    , public IzkEditCommands
{
public:
    void EditUndo() override { m_owner->EditUndo(); }
    void EditRedo() override { m_owner->EditRedo(); }
    void EditCut() override { m_owner->EditCut(); }
    void EditCopy() override { m_owner->EditCopy(); }
    void EditPaste() override { m_owner->EditPaste(); }
    void EditDelete() override { m_owner->EditDelete(); }
    void EditSelectAll() override { m_owner->EditSelectAll(); }

    explicit TzkListInnerView(TzkListView *owner)
        : Base(owner)
        , m_owner(owner)
    {
    }

    bool Editing() const { return this->state() == QAbstractItemView::EditingState; }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (m_owner->HandleKey(event)) {
            event->accept();
            return;
        }
        Base::keyPressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        Base::mouseDoubleClickEvent(event);
        if (m_owner->OnDblClick)
            m_owner->OnDblClick();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        Base::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && m_owner->OnClick)
            m_owner->OnClick();
    }
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (m_owner->OnContextPopup) {
            m_owner->OnContextPopup(event->globalPos());
            event->accept();
        } else {
            Base::contextMenuEvent(event);
        }
    }
    void startDrag(Qt::DropActions) override
    {
        const QList<TzkListItem> items = m_owner->SelectedItemsData();
        if (items.isEmpty())
            return;
        auto *drag = new QDrag(this);
        drag->setMimeData(TzkListView::EncodeDragItems(items));
        drag->exec(Qt::CopyAction);
    }
    bool edit(const QModelIndex &index, QAbstractItemView::EditTrigger trigger, QEvent *event) override
    {
        if (!index.isValid() || !m_owner->CanEditItem(index.row()))
            return false;
        // A click starts editing on the caption only; the key edits the
        // caption wherever the current cell is.
        if (trigger == QAbstractItemView::SelectedClicked && index.column() != 0)
            return false;
        return Base::edit(index.siblingAtColumn(0), trigger, event);
    }

    TzkListView *m_owner;
};

class TzkListReportView : public TzkListInnerView<QTreeView>
{
public:
    using TzkListInnerView::TzkListInnerView;
};

class TzkListIconView : public TzkListInnerView<QListView>
{
public:
    using TzkListInnerView::TzkListInnerView;
};

// --- Tree view -----------------------------------------------------------------------

class TzkTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit TzkTreeModel(TzkTreeView *view);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    TzkTreeNode *Node(const QModelIndex &index) const;
    QModelIndex IndexOf(const TzkTreeNode *node, int column = 0) const;

    // Made public for the view, which changes the nodes.
    using QAbstractItemModel::beginInsertColumns;
    using QAbstractItemModel::beginInsertRows;
    using QAbstractItemModel::beginRemoveColumns;
    using QAbstractItemModel::beginRemoveRows;
    using QAbstractItemModel::beginResetModel;
    using QAbstractItemModel::endInsertColumns;
    using QAbstractItemModel::endInsertRows;
    using QAbstractItemModel::endRemoveColumns;
    using QAbstractItemModel::endRemoveRows;
    using QAbstractItemModel::endResetModel;

private:
    TzkTreeView *m_view;
};

class TzkTreeDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TzkTreeDelegate(TzkTreeView *view);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    TzkTreeView *m_view;
};
