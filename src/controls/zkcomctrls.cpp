#include "controls/zkcomctrls.h"

#include "controls/zkcomctrls_p.h"
#include "core/zkimagelist.h"
#include "platform/rtl/exceptions.h"
#include "platform/xlsx/xlsxbook.h"

#include <QClipboard>
#include <QCollator>
#include <QDataStream>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIODevice>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPainter>
#include <QStackedLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

QCollator captionCollator()
{
    // The user's word order. A process without a language (the C locale)
    // would compare code points, every capital before every small letter;
    // it takes the order of the program's own language instead.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::Japanese, QLocale::Japan);
    QCollator collator{locale};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

// A right-aligned column's text as a number: commas dropped, anything that
// does not read as a number is 0.
double numberOf(QString text)
{
    text.remove(QLatin1Char(','));
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

// Numbers closer than 0.005 are equal: the difference in hundredths,
// rounded half to even.
int compareNumbers(double a, double b)
{
    const double hundredths = std::nearbyint((a - b) * 100.0);
    return hundredths < 0 ? -1 : hundredths > 0 ? 1 : 0;
}

} // namespace

// --- Model ------------------------------------------------------------------------------

TzkListModel::TzkListModel(TzkListView *owner)
    : QAbstractTableModel(owner)
    , m_owner(owner)
{
}

int TzkListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Shown;
}

int TzkListModel::columnCount(const QModelIndex &parent) const
{
    // Without columns the caption still shows (list and icon styles).
    return parent.isValid() ? 0 : std::max(1, int(Columns.size()));
}

QVariant TzkListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Shown)
        return {};
    const TzkListItem &item = Items[size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return column == 0 ? item.Caption : item.SubItem(column - 1);
    case Qt::DecorationRole:
        if (column == 0 && m_owner->m_images && item.ImageIndex >= 0)
            return m_owner->m_images->Icon(item.ImageIndex);
        return {};
    case Qt::TextAlignmentRole:
        if (column < Columns.size())
            return int(Columns.at(column).Alignment | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant TzkListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= Columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return Columns.at(section).Caption;
    if (role == Qt::TextAlignmentRole)
        return int(Columns.at(section).Alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TzkListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_owner->m_dragEnabled)
        f |= Qt::ItemIsDragEnabled;
    if (index.column() == 0 && !m_owner->m_readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool TzkListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0 || index.row() >= Shown)
        return false;
    m_owner->ItemEdited(index.row(), value.toString());
    return true;
}

QStringList TzkListModel::mimeTypes() const
{
    return {TzkListView::DragMimeType};
}

QMimeData *TzkListModel::mimeData(const QModelIndexList &) const
{
    return TzkListView::EncodeDragItems(m_owner->SelectedItemsData());
}

void TzkListModel::Announce()
{
    const int count = int(Items.size());
    if (Shown >= count)
        return;
    beginInsertRows(QModelIndex(), Shown, count - 1);
    Shown = count;
    endInsertRows();
}

void TzkListModel::Reset(const std::function<void()> &change)
{
    beginResetModel();
    change();
    Shown = int(Items.size());
    endResetModel();
}

void TzkListModel::Reorder(const std::vector<int> &order)
{
    Announce();
    const int count = int(Items.size());
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRow(size_t(count), 0);
    for (int i = 0; i < count; ++i)
        newRow[size_t(order[size_t(i)])] = i;
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex &index : from)
        to << (index.isValid() && index.row() < count ? createIndex(newRow[size_t(index.row())], index.column())
                                                      : QModelIndex());
    std::vector<TzkListItem> sorted;
    sorted.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        sorted.push_back(std::move(Items[size_t(order[size_t(i)])]));
    Items.swap(sorted);
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TzkListModel::RemoveRow(int row)
{
    Announce();
    beginRemoveRows(QModelIndex(), row, row);
    Items.erase(Items.begin() + row);
    Shown = int(Items.size());
    endRemoveRows();
}

void TzkListModel::InsertRow(int row, TzkListItem item)
{
    Announce();
    beginInsertRows(QModelIndex(), row, row);
    Items.insert(Items.begin() + row, std::move(item));
    Shown = int(Items.size());
    endInsertRows();
}

void TzkListModel::MoveRow(int from, int to)
{
    Announce();
    // Qt names the place before which the row goes, in the old numbering.
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to))
        return;
    TzkListItem item = std::move(Items[size_t(from)]);
    Items.erase(Items.begin() + from);
    Items.insert(Items.begin() + to, std::move(item));
    endMoveRows();
}

void TzkListModel::InsertColumn(const TzkListColumn &column)
{
    if (Columns.isEmpty()) {
        // Column 0 exists already as the caption's column; it gets its name.
        Columns << column;
        emit headerDataChanged(Qt::Horizontal, 0, 0);
        return;
    }
    const int at = int(Columns.size());
    beginInsertColumns(QModelIndex(), at, at);
    Columns << column;
    endInsertColumns();
}

void TzkListModel::RemoveColumns()
{
    if (Columns.size() > 1) {
        beginRemoveColumns(QModelIndex(), 1, int(Columns.size()) - 1);
        Columns.resize(1);
        endRemoveColumns();
    }
    Columns.clear();
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void TzkListModel::CaptionChanged(int row)
{
    if (row < Shown)
        emit dataChanged(index(row, 0), index(row, 0));
}

// --- Delegate -------------------------------------------------------------------------------

TzkListDelegate::TzkListDelegate(TzkListView *owner, bool report)
    : QStyledItemDelegate(owner)
    , m_owner(owner)
    , m_report(report)
{
}

void TzkListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    if (m_report && index.column() > 0) {
        if (!m_owner->m_rowSelect)
            opt.state &= ~QStyle::State_Selected;
        if (m_owner->OnCustomDrawSubItem) {
            bool defaultDraw = true;
            initStyleOption(&opt, index);
            painter->save();
            m_owner->OnCustomDrawSubItem(painter, opt, index.row(), index.column(), defaultDraw);
            painter->restore();
            if (!defaultDraw)
                return;
            opt = option;
            if (!m_owner->m_rowSelect)
                opt.state &= ~QStyle::State_Selected;
        }
    }
    QStyledItemDelegate::paint(painter, opt, index);
}

// --- List view ------------------------------------------------------------------------------

const QString TzkListView::DragMimeType = QStringLiteral("application/x-zekalon-listitems");

TzkListView::TzkListView(QWidget *parent)
    : QWidget(parent)
{
    m_model = new TzkListModel(this);
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);

    m_report = new TzkListReportView(this);
    m_report->setObjectName(QStringLiteral("ReportView"));
    m_report->setModel(m_model);
    m_report->setRootIsDecorated(false);
    m_report->setItemsExpandable(false);
    m_report->setUniformRowHeights(true);
    m_report->setAllColumnsShowFocus(true);
    m_report->setSortingEnabled(false);
    m_report->setItemDelegate(new TzkListDelegate(this, true));
    m_report->header()->setStretchLastSection(false);
    m_report->header()->setSectionsClickable(true);
    m_report->header()->setSectionsMovable(false);
    m_report->header()->setHighlightSections(false);
    m_report->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_report->setHeaderHidden(true);
    connect(m_report->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (m_sortOnHeaderClick)
            ClickColumn(column);
    });

    m_icons = new TzkListIconView(this);
    m_icons->setObjectName(QStringLiteral("IconView"));
    m_icons->setModel(m_model);
    QItemSelectionModel *own = m_icons->selectionModel();
    m_icons->setSelectionModel(m_report->selectionModel());
    delete own;
    m_icons->setUniformItemSizes(true);
    m_icons->setMovement(QListView::Static);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setItemDelegate(new TzkListDelegate(this, false));

    for (QAbstractItemView *view :
         {static_cast<QAbstractItemView *>(m_report), static_cast<QAbstractItemView *>(m_icons)}) {
        view->setIconSize(QSize(16, 16));
        view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setTextElideMode(Qt::ElideRight);
        view->setAcceptDrops(false);
        view->setDragDropMode(QAbstractItemView::NoDragDrop);
        m_stack->addWidget(view);
    }
    SetMultiSelect(true);
    connect(m_report->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (OnChange)
            OnChange();
    });
    // Entering the list from another control (not the return from its own
    // caption editor, nor the window's activation).
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (OnEnter && old && now && isAncestorOf(now) && !isAncestorOf(old))
            OnEnter();
    });
    SetViewStyle(vsReport);
}

TzkListView::~TzkListView() = default;

void TzkListView::SetViewStyle(TViewStyle style)
{
    m_style = style;
    // The styles without columns differ in the icon view's arrangement.
    auto arrange = [this](QListView::ViewMode mode, QListView::Flow flow, int icon, QSize grid) {
        m_icons->setViewMode(mode);
        m_icons->setFlow(flow);
        m_icons->setWrapping(true);
        m_icons->setIconSize(QSize(icon, icon));
        m_icons->setGridSize(grid);
        m_icons->setMovement(QListView::Static);
    };
    switch (style) {
    case vsReport: break;
    case vsList: arrange(QListView::ListMode, QListView::TopToBottom, 16, QSize()); break;
    case vsSmallIcon: arrange(QListView::ListMode, QListView::LeftToRight, 16, QSize()); break;
    case vsIcon: arrange(QListView::IconMode, QListView::LeftToRight, 32, QSize(96, 64)); break;
    }
    m_stack->setCurrentWidget(CurrentView());
    setFocusProxy(CurrentView());
}

void TzkListView::SetRowSelect(bool on)
{
    m_rowSelect = on;
    m_report->viewport()->update();
}

void TzkListView::SetMultiSelect(bool on)
{
    m_multiSelect = on;
    const auto mode = on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    m_report->setSelectionMode(mode);
    m_icons->setSelectionMode(mode);
}

void TzkListView::SetReadOnly(bool on)
{
    m_readOnly = on;
}

void TzkListView::SetDragEnabled(bool on)
{
    m_dragEnabled = on;
    for (QAbstractItemView *view :
         {static_cast<QAbstractItemView *>(m_report), static_cast<QAbstractItemView *>(m_icons)}) {
        view->setDragEnabled(on);
        view->setDragDropMode(on ? QAbstractItemView::DragOnly : QAbstractItemView::NoDragDrop);
    }
}

void TzkListView::SetImages(const TzkImageList *images)
{
    m_images = images;
    m_report->viewport()->update();
    m_icons->viewport()->update();
}

QAbstractItemView *TzkListView::CurrentView() const
{
    return m_style == vsReport ? static_cast<QAbstractItemView *>(m_report) : static_cast<QAbstractItemView *>(m_icons);
}

QTreeView *TzkListView::ReportView() const
{
    return m_report;
}

QListView *TzkListView::IconView() const
{
    return m_icons;
}

QHeaderView *TzkListView::Header() const
{
    return m_report->header();
}

QAbstractItemModel *TzkListView::Model() const
{
    return m_model;
}

// --- Columns ---------------------------------------------------------------------------------

int TzkListView::ColumnCount() const
{
    return int(m_model->Columns.size());
}

void TzkListView::AddColumn(const QString &caption, int width, Qt::Alignment alignment)
{
    m_model->InsertColumn({caption, alignment & Qt::AlignHorizontal_Mask});
    m_report->setHeaderHidden(false);
    m_report->header()->resizeSection(ColumnCount() - 1, width);
}

QString TzkListView::ColumnCaption(int column) const
{
    return m_model->Columns.value(column).Caption;
}

Qt::Alignment TzkListView::ColumnAlignment(int column) const
{
    return column >= 0 && column < ColumnCount() ? m_model->Columns.at(column).Alignment : Qt::AlignLeft;
}

int TzkListView::ColumnWidth(int column) const
{
    return column >= 0 && column < ColumnCount() ? m_report->header()->sectionSize(column) : 0;
}

void TzkListView::SetColumnWidth(int column, int width)
{
    if (column >= 0 && column < ColumnCount())
        m_report->header()->resizeSection(column, width);
}

void TzkListView::ClearColumns()
{
    m_model->RemoveColumns();
    m_report->setHeaderHidden(true);
}

// --- Items -----------------------------------------------------------------------------------

int TzkListView::ItemCount() const
{
    return int(m_model->Items.size());
}

int TzkListView::AddItem(const QString &caption, int imageIndex, const QStringList &subItems, const QVariant &data)
{
    return AddItem(TzkListItem{caption, imageIndex, subItems, data});
}

int TzkListView::AddItem(TzkListItem item)
{
    m_model->Items.push_back(std::move(item));
    if (!Updating())
        ScheduleSync();
    return ItemCount() - 1;
}

const TzkListItem &TzkListView::Item(int index) const
{
    if (index < 0 || index >= ItemCount())
        throw EListError(index);
    return m_model->Items[size_t(index)];
}

void TzkListView::SetItemCaption(int index, const QString &caption)
{
    if (index < 0 || index >= ItemCount())
        throw EListError(index);
    m_model->Items[size_t(index)].Caption = caption;
    m_model->CaptionChanged(index);
}

void TzkListView::InsertItem(int index, TzkListItem item)
{
    if (index < 0 || index > ItemCount())
        throw EListError(index);
    ++m_generation;
    m_model->InsertRow(index, std::move(item));
}

void TzkListView::MoveItem(int from, int to)
{
    if (from < 0 || from >= ItemCount())
        throw EListError(from);
    if (to < 0 || to >= ItemCount())
        throw EListError(to);
    if (from == to)
        return;
    ++m_generation;
    m_model->MoveRow(from, to);
}

void TzkListView::DeleteItem(int index)
{
    if (index < 0 || index >= ItemCount())
        throw EListError(index);
    ++m_generation;
    m_model->RemoveRow(index);
}

void TzkListView::ClearItems()
{
    ++m_generation;
    m_model->Reset([this] { m_model->Items.clear(); });
}

void TzkListView::BeginUpdate()
{
    ++m_updateCount;
}

void TzkListView::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0)
        Sync();
}

void TzkListView::Sync() const
{
    m_model->Announce();
}

void TzkListView::ScheduleSync()
{
    if (m_syncScheduled)
        return;
    m_syncScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_syncScheduled = false;
            if (!Updating())
                Sync();
        },
        Qt::QueuedConnection);
}

// --- Selection -------------------------------------------------------------------------------

std::vector<char> TzkListView::SelectionFlags() const
{
    Sync();
    std::vector<char> flags(size_t(ItemCount()), 0);
    const QItemSelection selection = m_report->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection)
        for (int row = range.top(); row <= range.bottom() && row < ItemCount(); ++row)
            flags[size_t(row)] = 1;
    return flags;
}

bool TzkListView::IsSelected(int index) const
{
    Sync();
    return index >= 0 && index < ItemCount() && m_report->selectionModel()->isRowSelected(index, QModelIndex());
}

void TzkListView::SetSelected(int index, bool selected)
{
    Sync();
    if (index < 0 || index >= ItemCount())
        return;
    m_report->selectionModel()->select(m_model->index(index, 0),
                                       (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                                           | QItemSelectionModel::Rows);
}

int TzkListView::SelCount() const
{
    const std::vector<char> flags = SelectionFlags();
    return int(std::count(flags.begin(), flags.end(), 1));
}

QList<int> TzkListView::SelectedItems() const
{
    const std::vector<char> flags = SelectionFlags();
    QList<int> items;
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i])
            items << int(i);
    return items;
}

QList<TzkListItem> TzkListView::SelectedItemsData() const
{
    QList<TzkListItem> items;
    for (int i : SelectedItems())
        items << m_model->Items[size_t(i)];
    return items;
}

void TzkListView::ClearSelection()
{
    m_report->selectionModel()->clearSelection();
}

void TzkListView::SelectAll()
{
    if (IsEditing() || !m_multiSelect)
        return;
    Sync();
    if (ItemCount() == 0)
        return;
    const QItemSelection all(m_model->index(0, 0), m_model->index(ItemCount() - 1, m_model->columnCount() - 1));
    m_report->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
}

int TzkListView::ItemFocused() const
{
    const QModelIndex current = m_report->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TzkListView::SetItemFocused(int index)
{
    Sync();
    if (index < 0 || index >= ItemCount())
        m_report->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    else
        m_report->selectionModel()->setCurrentIndex(m_model->index(index, 0), QItemSelectionModel::NoUpdate);
}

void TzkListView::MakeVisible(int index)
{
    Sync();
    if (index >= 0 && index < ItemCount())
        CurrentView()->scrollTo(m_model->index(index, 0));
}

// --- IzkSearchableList --------------------------------------------------------------------------

int TzkListView::SelectedIndex() const
{
    Sync();
    const QItemSelection selection = m_report->selectionModel()->selection();
    int first = -1;
    for (const QItemSelectionRange &range : selection)
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}

QString TzkListView::ItemCaption(int index) const
{
    return Item(index).Caption;
}

QString TzkListView::ItemFirstSubItem(int index) const
{
    return Item(index).SubItem(0);
}

void TzkListView::ShowFoundItem(int index)
{
    Sync();
    if (index < 0 || index >= ItemCount())
        return;
    const QModelIndex at = m_model->index(index, 0);
    m_report->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    CurrentView()->scrollTo(at, QAbstractItemView::PositionAtTop);
}

// --- Sorting ---------------------------------------------------------------------------------

void TzkListView::ClickColumn(int column)
{
    if (std::abs(m_sortID) == column + 1)
        m_sortID = -m_sortID;
    else
        m_sortID = column + 1;
    CustomSort();
    if (OnColumnClick)
        OnColumnClick(column);
}

void TzkListView::CustomSort()
{
    // A sort key beyond the columns leaves the order as it is.
    if (m_sortID == 0 || std::abs(m_sortID) > ColumnCount())
        return;
    SortBy(std::abs(m_sortID) - 1, m_sortID < 0, true);
}

void TzkListView::AlphaSort()
{
    SortBy(0, false, false);
}

void TzkListView::SortBy(int column, bool descending, bool withOnCompare)
{
    Sync();
    const int count = ItemCount();
    if (count < 2)
        return;
    auto text = [&](int i) -> QString {
        const TzkListItem &item = m_model->Items[size_t(i)];
        return column == 0 ? item.Caption : item.SubItem(column - 1);
    };
    // Keys once per item, not per comparison.
    const bool numeric = column > 0 && (ColumnAlignment(column) & Qt::AlignRight);
    std::vector<double> numbers;
    std::vector<QCollatorSortKey> keys;
    if (numeric) {
        numbers.reserve(size_t(count));
        for (int i = 0; i < count; ++i)
            numbers.push_back(numberOf(text(i)));
    } else {
        const QCollator collator = captionCollator();
        keys.reserve(size_t(count));
        for (int i = 0; i < count; ++i)
            keys.push_back(collator.sortKey(text(i)));
    }
    auto compare = [&](int a, int b) {
        // Descending compares the other way round.
        const int x = descending ? b : a;
        const int y = descending ? a : b;
        int result =
            numeric ? compareNumbers(numbers[size_t(x)], numbers[size_t(y)]) : keys[size_t(x)].compare(keys[size_t(y)]);
        if (withOnCompare && OnCompare)
            OnCompare(a, b, result);
        return result;
    };
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
    bool moved = false;
    for (int i = 0; i < count && !moved; ++i)
        moved = order[size_t(i)] != i;
    if (!moved)
        return;
    ++m_generation;
    m_model->Reorder(order);
}

// --- Editing ---------------------------------------------------------------------------------

bool TzkListView::CanEditItem(int index) const
{
    if (m_readOnly || index < 0 || index >= ItemCount())
        return false;
    return !OnEditing || OnEditing(index);
}

void TzkListView::EditCaption(int index)
{
    Sync();
    if (!CanEditItem(index))
        return;
    QAbstractItemView *view = CurrentView();
    const QModelIndex at = m_model->index(index, 0);
    view->scrollTo(at);
    view->setCurrentIndex(at);
    view->edit(at);
}

bool TzkListView::IsEditing() const
{
    return m_style == vsReport ? m_report->Editing() : m_icons->Editing();
}

void TzkListView::ItemEdited(int index, const QString &text)
{
    if (text == m_model->Items[size_t(index)].Caption)
        return;
    if (!OnEdited) {
        SetItemCaption(index, text);
        return;
    }
    // The handler may talk to a server and show messages: it runs once the
    // editor has closed, on the item as it is then.
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, index, text, generation] {
            if (generation != m_generation || index >= ItemCount())
                return;
            QString accepted = text;
            if (OnEdited(index, accepted))
                SetItemCaption(index, accepted);
        },
        Qt::QueuedConnection);
}

bool TzkListView::HandleKey(QKeyEvent *event)
{
    if (OnKeyDown && OnKeyDown(event))
        return true;
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        return true;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return true;
    }
    return false;
}

// --- Output ----------------------------------------------------------------------------------

void TzkListView::CopySelection()
{
    if (IsEditing())
        return;
    QStringList captions;
    for (int i : SelectedItems())
        captions << m_model->Items[size_t(i)].Caption;
    const QString text = captions.join(kCRLF);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TzkListView::ForEachItem(bool selectedOnly, const std::function<void(const TzkListItem &)> &visit) const
{
    if (selectedOnly) {
        for (int i : SelectedItems())
            visit(m_model->Items[size_t(i)]);
    } else {
        for (const TzkListItem &item : m_model->Items)
            visit(item);
    }
}

QString TzkListView::OutputText(bool HasTitle, QChar Delimiter, bool IsSelectedItemOnly) const
{
    const int columns = ColumnCount();
    QString text;
    if (HasTitle) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                text += Delimiter;
            text += ColumnCaption(c);
        }
        text += kCRLF;
    }
    auto writeItem = [&](const TzkListItem &item) {
        text += item.Caption;
        for (int k = 1; k < columns; ++k) {
            text += Delimiter;
            text += item.SubItem(k - 1);
        }
        text += kCRLF;
    };
    ForEachItem(IsSelectedItemOnly, writeItem);
    return text;
}

void TzkListView::OutputToClipboard(bool HasTitle, QChar Delimiter, bool IsSelectedItemOnly)
{
    QGuiApplication::clipboard()->setText(OutputText(HasTitle, Delimiter, IsSelectedItemOnly));
}

void TzkListView::OutputToExcelFile(const QString &SaveFile, bool HasTitle, bool IsSelectedItemOnly)
{
    const int columns = std::max(1, ColumnCount());
    TXlsxWorkbook book(SaveFile);
    book.AddSheet();
    for (int c = 0; c < ColumnCount(); ++c)
        book.SetColumnWidth(c, std::max(4.0, ColumnWidth(c) / 7.0));
    int row = 0;
    if (HasTitle) {
        for (int c = 0; c < ColumnCount(); ++c)
            book.WriteString(row, c, ColumnCaption(c));
        ++row;
    }
    auto writeItem = [&](const TzkListItem &item) {
        book.WriteString(row, 0, item.Caption);
        for (int k = 1; k < columns; ++k)
            book.WriteString(row, k, item.SubItem(k - 1).replace(kCRLF, QStringLiteral(" ")));
        ++row;
    };
    ForEachItem(IsSelectedItemOnly, writeItem);
    book.Save();
}

QMimeData *TzkListView::EncodeDragItems(const QList<TzkListItem> &items)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(items.size());
    for (const TzkListItem &item : items)
        out << qint32(item.ImageIndex) << item.Caption << item.SubItems;
    auto *data = new QMimeData;
    data->setData(DragMimeType, bytes);
    return data;
}

QList<TzkListItem> TzkListView::DecodeDragItems(const QMimeData *data)
{
    QList<TzkListItem> items;
    if (!data || !data->hasFormat(DragMimeType))
        return items;
    QDataStream in(data->data(DragMimeType));
    qint32 count = 0;
    in >> count;
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        TzkListItem item;
        qint32 image = -1;
        in >> image >> item.Caption >> item.SubItems;
        item.ImageIndex = image;
        if (in.status() == QDataStream::Ok)
            items << item;
    }
    return items;
}
