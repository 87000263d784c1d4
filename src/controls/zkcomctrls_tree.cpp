#include "controls/zkcomctrls.h"

#include "controls/zkcomctrls_p.h"
#include "core/zkimagelist.h"

#include <QHeaderView>
#include <QPainter>
#include <QTimer>

namespace {

// Text equality with ASCII letters in any case (other letters exactly).
bool sameAsciiNoCase(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x >= 'a' && x <= 'z')
            x = char16_t(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char16_t(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

int subtreeSize(const TzkTreeNode *node)
{
    int count = 1;
    for (int i = 0; i < node->Count(); ++i)
        count += subtreeSize(node->Item(i));
    return count;
}

} // namespace

// --- Node -------------------------------------------------------------------------------

TzkTreeNode::TzkTreeNode(TzkTreeView *view, TzkTreeNode *parent, int index)
    : m_view(view)
    , m_parent(parent)
    , m_index(index)
{
}

TzkTreeNode::~TzkTreeNode() = default;

void TzkTreeNode::Changed(bool wholeView)
{
    if (!m_view || m_view->m_resetting || !m_parent)
        return;
    if (wholeView) {
        m_view->viewport()->update();
    } else {
        const QModelIndex at = m_view->m_model->IndexOf(this);
        emit m_view->m_model->dataChanged(at, at);
    }
}

void TzkTreeNode::SetText(const QString &text)
{
    m_text = text;
    Changed(false);
}

void TzkTreeNode::SetImageIndex(int index)
{
    m_imageIndex = index;
    Changed(false);
}

void TzkTreeNode::SetSelectedIndex(int index)
{
    m_selectedIndex = index;
    Changed(false);
}

void TzkTreeNode::SetSubItems(const QStringList &items)
{
    m_subItems = items;
    Changed(true);
}

void TzkTreeNode::AddSubItem(const QString &text)
{
    m_subItems << text;
    Changed(true);
}

TzkTreeNode *TzkTreeNode::Parent() const
{
    return m_parent && m_parent->m_parent ? m_parent : nullptr;
}

int TzkTreeNode::Level() const
{
    int level = 0;
    for (const TzkTreeNode *p = Parent(); p; p = p->Parent())
        ++level;
    return level;
}

TzkTreeNode *TzkTreeNode::Item(int index) const
{
    return index >= 0 && index < Count() ? m_children[size_t(index)].get() : nullptr;
}

void TzkTreeNode::SetExpanded(bool expanded)
{
    if (expanded && !m_expanded && m_view && m_view->OnExpanding)
        m_view->OnExpanding(this);
    m_expanded = expanded;
    if (m_view && !m_view->m_resetting)
        m_view->setExpanded(m_view->IndexOfNode(this), expanded);
}

void TzkTreeNode::Expand(bool recurse)
{
    SetExpanded(true);
    if (recurse)
        for (const auto &child : m_children)
            child->Expand(true);
}

void TzkTreeNode::Collapse(bool recurse)
{
    SetExpanded(false);
    if (recurse)
        for (const auto &child : m_children)
            child->Collapse(true);
}

bool TzkTreeNode::Selected() const
{
    return m_view && m_view->Selected() == this;
}

void TzkTreeNode::MakeVisible()
{
    if (!m_view)
        return;
    for (TzkTreeNode *p = Parent(); p; p = p->Parent())
        p->SetExpanded(true);
    if (!m_view->m_resetting)
        m_view->scrollTo(m_view->IndexOfNode(this));
}

template<typename Match>
TzkTreeNode *TzkTreeNode::Find(const Match &match, bool recurse) const
{
    for (const auto &child : m_children) {
        if (match(child.get()))
            return child.get();
        if (recurse)
            if (TzkTreeNode *found = child->Find(match, true))
                return found;
    }
    return nullptr;
}

TzkTreeNode *TzkTreeNode::FindName(const QString &S, bool ARecurse) const
{
    return Find([&S](const TzkTreeNode *n) { return sameAsciiNoCase(n->m_text, S); }, ARecurse);
}

TzkTreeNode *TzkTreeNode::FindData(const void *P, bool ARecurse) const
{
    return Find([P](const TzkTreeNode *n) { return n->m_data == P; }, ARecurse);
}

// --- Model ------------------------------------------------------------------------------

TzkTreeModel::TzkTreeModel(TzkTreeView *view)
    : QAbstractItemModel(view)
    , m_view(view)
{
}

TzkTreeNode *TzkTreeModel::Node(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<TzkTreeNode *>(index.internalPointer()) : m_view->m_root.get();
}

QModelIndex TzkTreeModel::IndexOf(const TzkTreeNode *node, int column) const
{
    if (!node || node == m_view->m_root.get())
        return {};
    return createIndex(node->m_index, column, const_cast<TzkTreeNode *>(node));
}

QModelIndex TzkTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= columnCount() || (parent.isValid() && parent.column() != 0))
        return {};
    const TzkTreeNode *node = Node(parent);
    if (row < 0 || row >= node->Count())
        return {};
    return createIndex(row, column, node->m_children[size_t(row)].get());
}

QModelIndex TzkTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return IndexOf(Node(child)->m_parent);
}

int TzkTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return Node(parent)->Count();
}

int TzkTreeModel::columnCount(const QModelIndex &) const
{
    return std::max(1, int(m_view->m_sections.size()));
}

bool TzkTreeModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant TzkTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const TzkTreeNode *node = Node(index);
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return column == 0 ? node->m_text : node->m_subItems.value(column - 1);
    case Qt::DecorationRole:
        if (column == 0 && m_view->m_images && node->m_imageIndex >= 0)
            return m_view->m_images->Icon(node->m_imageIndex);
        return {};
    case Qt::TextAlignmentRole:
        if (column < m_view->m_sections.size())
            return int(m_view->m_sections.at(column).Alignment | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant TzkTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_view->m_sections.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_view->m_sections.at(section).Caption;
    if (role == Qt::TextAlignmentRole)
        return int(m_view->m_sections.at(section).Alignment | Qt::AlignVCenter);
    return {};
}

// --- Delegate ---------------------------------------------------------------------------

TzkTreeDelegate::TzkTreeDelegate(TzkTreeView *view)
    : QStyledItemDelegate(view)
    , m_view(view)
{
}

void TzkTreeDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem drawn = option;
    if (m_view->OnAdvancedCustomDrawItem)
        m_view->OnAdvancedCustomDrawItem(drawn, m_view->NodeFromIndex(index));
    if (index.column() > 0 && m_view->OnCustomDrawSubItem) {
        QStyleOptionViewItem opt = drawn;
        initStyleOption(&opt, index);
        bool defaultDraw = true;
        painter->save();
        m_view->OnCustomDrawSubItem(painter, opt, m_view->NodeFromIndex(index), index.column() - 1, defaultDraw);
        painter->restore();
        if (!defaultDraw)
            return;
    }
    QStyledItemDelegate::paint(painter, drawn, index);
}

// --- View -------------------------------------------------------------------------------

TzkTreeView::TzkTreeView(QWidget *parent)
    : QTreeView(parent)
    , m_root(new TzkTreeNode(this, nullptr, 0))
{
    m_model = new TzkTreeModel(this);
    setModel(m_model);
    setItemDelegate(new TzkTreeDelegate(this));
    setUniformRowHeights(true);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(true);
    m_changeTimer = new QTimer(this);
    m_changeTimer->setSingleShot(true);
    connect(m_changeTimer, &QTimer::timeout, this, [this] { FireChange(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { StartChange(); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected, const QItemSelection &deselected) {
                for (const QModelIndex &i : deselected.indexes())
                    if (i.column() == 0)
                        m_selectionOrder.removeAll(NodeFromIndex(i));
                for (const QModelIndex &i : selected.indexes())
                    if (i.column() == 0 && !m_selectionOrder.contains(NodeFromIndex(i)))
                        m_selectionOrder.append(NodeFromIndex(i));
            });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &i) { NodeExpandedChanged(i, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &i) { NodeExpandedChanged(i, false); });
}

TzkTreeView::~TzkTreeView()
{
    // The model reads the nodes: it goes before they do.
    setModel(nullptr);
    delete m_model;
    m_model = nullptr;
}

void TzkTreeView::SetImages(const TzkImageList *images)
{
    m_images = images;
    viewport()->update();
}

TzkTreeNode *TzkTreeView::NodeFromIndex(const QModelIndex &index) const
{
    return index.isValid() ? m_model->Node(index) : nullptr;
}

QModelIndex TzkTreeView::IndexOfNode(const TzkTreeNode *node, int column) const
{
    return m_model->IndexOf(node, column);
}

TzkTreeNode *TzkTreeView::GetNodeAt(const QPoint &viewportPos) const
{
    return NodeFromIndex(indexAt(viewportPos));
}

int TzkTreeView::TopCount() const
{
    return m_root->Count();
}

TzkTreeNode *TzkTreeView::TopItem(int index) const
{
    return m_root->Item(index);
}

TzkTreeNode *TzkTreeView::AddChild(TzkTreeNode *parent, const QString &text, int imageIndex)
{
    TzkTreeNode *owner = parent ? parent : m_root.get();
    const int row = owner->Count();
    BeginBulkChange();
    if (!m_resetting)
        m_model->beginInsertRows(m_model->IndexOf(parent), row, row);
    auto node = std::unique_ptr<TzkTreeNode>(new TzkTreeNode(this, owner, row));
    node->m_text = text;
    node->m_imageIndex = imageIndex;
    node->m_selectedIndex = imageIndex;
    TzkTreeNode *added = node.get();
    owner->m_children.push_back(std::move(node));
    ++m_nodeCount;
    if (!m_resetting)
        m_model->endInsertRows();
    return added;
}

void TzkTreeView::BeginBulkChange()
{
    // Inside BeginUpdate: one reset for the whole burst; the selection
    // comes back after it.
    if (!Updating() || m_resetting)
        return;
    m_pendingSelected = Selected();
    m_model->beginResetModel();
    m_resetting = true;
}

void TzkTreeView::Forget(TzkTreeNode *node)
{
    m_selectionOrder.removeIf([node](const TzkTreeNode *n) {
        for (const TzkTreeNode *p = n; p; p = p->Parent())
            if (p == node)
                return true;
        return false;
    });
    for (TzkTreeNode *p = m_pendingSelected; p; p = p->Parent())
        if (p == node) {
            m_pendingSelected = nullptr;
            break;
        }
}

void TzkTreeView::DeleteNode(TzkTreeNode *node)
{
    if (!node || node->m_view != this || !node->m_parent)
        return;
    Forget(node);
    TzkTreeNode *owner = node->m_parent;
    const int row = node->m_index;
    const int removed = subtreeSize(node);
    BeginBulkChange();
    Forget(node);
    if (!m_resetting)
        m_model->beginRemoveRows(m_model->IndexOf(owner), row, row);
    owner->m_children.erase(owner->m_children.begin() + row);
    for (int i = row; i < owner->Count(); ++i)
        owner->m_children[size_t(i)]->m_index = i;
    m_nodeCount -= removed;
    if (!m_resetting)
        m_model->endRemoveRows();
}

void TzkTreeView::Clear()
{
    m_changeTimer->stop();
    m_pendingSelected = nullptr;
    m_selectionOrder.clear();
    if (!m_resetting)
        m_model->beginResetModel();
    m_root->m_children.clear();
    m_nodeCount = 0;
    if (!m_resetting)
        m_model->endResetModel();
}

void TzkTreeView::BeginUpdate()
{
    ++m_updateCount;
}

void TzkTreeView::EndUpdate()
{
    if (m_updateCount == 0 || --m_updateCount > 0 || !m_resetting)
        return;
    m_resetting = false;
    m_model->endResetModel();
    RestoreAfterReset();
}

void TzkTreeView::RestoreAfterReset()
{
    m_restoring = true;
    // Depth first, parents before their children.
    std::vector<TzkTreeNode *> stack{m_root.get()};
    while (!stack.empty()) {
        TzkTreeNode *node = stack.back();
        stack.pop_back();
        if (node != m_root.get() && node->m_expanded)
            setExpanded(m_model->IndexOf(node), true);
        for (const auto &child : node->m_children)
            if (child->HasChildren())
                stack.push_back(child.get());
    }
    TzkTreeNode *selected = m_pendingSelected;
    m_pendingSelected = nullptr;
    if (selected)
        SetSelected(selected);
    m_restoring = false;
}

TzkTreeNode *TzkTreeView::Selected() const
{
    if (m_resetting)
        return m_pendingSelected;
    const QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current.siblingAtColumn(0)))
        return nullptr;
    return NodeFromIndex(current);
}

void TzkTreeView::SetSelected(TzkTreeNode *node)
{
    if (m_resetting) {
        m_pendingSelected = node;
        return;
    }
    if (!node) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex at = m_model->IndexOf(node);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(at);
}

void TzkTreeView::NodeExpandedChanged(const QModelIndex &index, bool expanded)
{
    TzkTreeNode *node = NodeFromIndex(index);
    if (!node)
        return;
    if (expanded && !node->m_expanded && !m_restoring && OnExpanding)
        OnExpanding(node);
    node->m_expanded = expanded;
}

bool TzkTreeView::MultiSelect() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TzkTreeView::SetMultiSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QList<TzkTreeNode *> TzkTreeView::Selections() const
{
    if (m_resetting)
        return m_pendingSelected ? QList<TzkTreeNode *>{m_pendingSelected} : QList<TzkTreeNode *>{};
    QList<TzkTreeNode *> nodes;
    for (TzkTreeNode *node : m_selectionOrder)
        if (selectionModel()->isSelected(m_model->IndexOf(node)))
            nodes << node;
    // Rows selected without a selection change (a model reset keeps none,
    // so these are rare): after the ordered ones, in tree order.
    for (const QModelIndex &i : selectionModel()->selectedRows(0))
        if (TzkTreeNode *node = NodeFromIndex(i); node && !nodes.contains(node))
            nodes << node;
    return nodes;
}

void TzkTreeView::AddToSelection(TzkTreeNode *node)
{
    if (!node || node->m_view != this || m_resetting)
        return;
    selectionModel()->select(m_model->IndexOf(node), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TzkTreeView::StartChange()
{
    if (m_restoring || m_resetting || !OnChange)
        return;
    if (ChangeDelay <= 0) {
        m_changeTimer->stop();
        FireChange();
    } else {
        m_changeTimer->start(ChangeDelay);
    }
}

void TzkTreeView::FireChange()
{
    if (OnChange)
        OnChange(Selected());
}

void TzkTreeView::SetHeaderSections(const QList<TzkHeaderSection> &sections)
{
    const int before = m_model->columnCount();
    const int after = std::max(1, int(sections.size()));
    if (after < before)
        m_model->beginRemoveColumns(QModelIndex(), after, before - 1);
    else if (after > before)
        m_model->beginInsertColumns(QModelIndex(), before, after - 1);
    m_sections = sections;
    if (after < before)
        m_model->endRemoveColumns();
    else if (after > before)
        m_model->endInsertColumns();
    emit m_model->headerDataChanged(Qt::Horizontal, 0, after - 1);
    setHeaderHidden(sections.isEmpty());
    header()->setStretchLastSection(sections.isEmpty());
    for (int i = 0; i < sections.size(); ++i)
        header()->resizeSection(i, sections.at(i).Width);
    viewport()->update();
}

void TzkTreeView::mousePressEvent(QMouseEvent *event)
{
    // A click beside every node selects none.
    if (!indexAt(event->position().toPoint()).isValid()) {
        SetSelected(nullptr);
        return;
    }
    QTreeView::mousePressEvent(event);
}

void TzkTreeView::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (TzkTreeNode *node = GetNodeAt(viewport()->mapFromGlobal(event->globalPos())))
            SetSelected(node);
    }
    if (OnContextPopup) {
        OnContextPopup(event->globalPos());
        event->accept();
        return;
    }
    QTreeView::contextMenuEvent(event);
}

void TzkTreeView::scrollContentsBy(int dx, int dy)
{
    QTreeView::scrollContentsBy(dx, dy);
    if (OnScroll)
        OnScroll();
}
