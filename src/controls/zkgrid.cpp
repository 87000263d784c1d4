#include "controls/zkgrid.h"

#include "controls/zkgrid_p.h"
#include "core/zkforms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>

#include <algorithm>
#include <cstdlib>

int CheckBoxWidth = 0;
int CheckBoxHeight = 0;

namespace {

// Every string grid a form sets up runs as a datasheet.
const bool s_settingsRegistered = [] {
    RegisterControlSettings([](QWidget *control) {
        auto *grid = qobject_cast<TzkStringGrid *>(control);
        if (!grid)
            return false;
        grid->SetGridMode(geAccess);
        return true;
    });
    return true;
}();

bool isCheckStyle(TzkGridEditStyle s)
{
    return s == geCheckBox || s == geViewCheckBox;
}

// The style's check-box size, taken once (the style needs the application).
void initCheckBoxSize(const QStyle *style)
{
    if (CheckBoxWidth > 0)
        return;
    CheckBoxWidth = style->pixelMetric(QStyle::PM_IndicatorWidth);
    CheckBoxHeight = style->pixelMetric(QStyle::PM_IndicatorHeight);
}

const QStringList &emptyList()
{
    static const QStringList empty;
    return empty;
}

bool rowDiffers(const std::vector<QString> *cells, const QStringList *saved)
{
    const qsizetype n = cells ? qsizetype(cells->size()) : 0;
    const qsizetype m = saved ? saved->size() : 0;
    if (n != m)
        return true;
    for (qsizetype i = 0; i < n; ++i) {
        if ((*cells)[size_t(i)] != saved->at(i))
            return true;
    }
    return false;
}

} // namespace

// --- Model, delegate, headers -----------------------------------------------

TzkStringGridModel::TzkStringGridModel(TzkStringGrid *grid)
    : QAbstractTableModel(grid)
    , m_grid(grid)
{
}

int TzkStringGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TzkStringGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant TzkStringGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_grid->Cells(index.column() + m_grid->FixedCols(), index.row() + m_grid->FixedRows());
}

void TzkStringGridModel::Reshape()
{
    const int rows = std::max(0, m_grid->RowCount() - m_grid->FixedRows());
    const int cols = std::max(0, m_grid->ColCount() - m_grid->FixedCols());
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    if (cols > m_cols) {
        beginInsertColumns({}, m_cols, cols - 1);
        m_cols = cols;
        endInsertColumns();
    } else if (cols < m_cols) {
        beginRemoveColumns({}, cols, m_cols - 1);
        m_cols = cols;
        endRemoveColumns();
    }
}

void TzkStringGridModel::Reset()
{
    beginResetModel();
    m_rows = std::max(0, m_grid->RowCount() - m_grid->FixedRows());
    m_cols = std::max(0, m_grid->ColCount() - m_grid->FixedCols());
    endResetModel();
}

void TzkStringGridModel::CellsChanged(int firstRow, int firstCol, int lastRow, int lastCol)
{
    firstRow = std::max(firstRow, 0);
    firstCol = std::max(firstCol, 0);
    lastRow = std::min(lastRow, m_rows - 1);
    lastCol = std::min(lastCol, m_cols - 1);
    if (firstRow <= lastRow && firstCol <= lastCol)
        emit dataChanged(index(firstRow, firstCol), index(lastRow, lastCol), {Qt::DisplayRole});
}

TzkStringGridDelegate::TzkStringGridDelegate(TzkStringGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

void TzkStringGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    m_grid->DrawCell(painter, option.rect, index.column() + m_grid->FixedCols(), index.row() + m_grid->FixedRows());
}

TzkStringGridHeader::TzkStringGridHeader(Qt::Orientation orientation, TzkStringGrid *grid)
    : QHeaderView(orientation, grid)
    , m_grid(grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(0);
    // Beyond the last cell the grid shows its window colour, as the cells' area does.
    QPalette pal = palette();
    pal.setColor(QPalette::Button, pal.color(QPalette::Base));
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
}

QSize TzkStringGridHeader::sizeHint() const
{
    int extent = 0;
    if (orientation() == Qt::Horizontal) {
        for (int r = 0; r < m_grid->FixedRows(); ++r)
            extent += m_grid->RowHeights(r);
        return {QHeaderView::sizeHint().width(), extent};
    }
    for (int c = 0; c < m_grid->FixedCols(); ++c)
        extent += m_grid->ColWidths(c);
    return {extent, QHeaderView::sizeHint().height()};
}

void TzkStringGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (orientation() == Qt::Horizontal) {
        const int col = logicalIndex + m_grid->FixedCols();
        int y = rect.top();
        for (int r = 0; r < m_grid->FixedRows(); ++r) {
            const int h = m_grid->RowHeights(r);
            m_grid->DrawFixedCell(painter, QRect(rect.left(), y, rect.width(), h), col, r);
            y += h;
        }
    } else {
        const int row = logicalIndex + m_grid->FixedRows();
        int x = rect.left();
        for (int c = 0; c < m_grid->FixedCols(); ++c) {
            const int w = m_grid->ColWidths(c);
            if (w > 0)
                m_grid->DrawFixedCell(painter, QRect(x, rect.top(), w, rect.height()), c, row);
            x += w;
        }
    }
}

bool TzkStringGridHeader::onHandle(const QPoint &pos) const
{
    const bool horizontal = orientation() == Qt::Horizontal;
    if (!m_grid->Options().testFlag(horizontal ? goColSizing : goRowSizing))
        return false;
    const int p = horizontal ? pos.x() : pos.y();
    const int li = logicalIndexAt(p);
    if (li < 0)
        return false;
    const int end = sectionViewportPosition(li) + sectionSize(li);
    const int start = sectionViewportPosition(li);
    return std::abs(p - end) <= 3 || (visualIndex(li) > 0 && std::abs(p - start) <= 3);
}

void TzkStringGridHeader::mousePressEvent(QMouseEvent *event)
{
    m_passed = event->button() == Qt::LeftButton && onHandle(event->position().toPoint());
    if (m_passed) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    const bool horizontal = orientation() == Qt::Horizontal;
    m_pressed = logicalIndexAt(event->position().toPoint());
    m_grid->m_dragFrom = -1;
    if (event->button() == Qt::LeftButton && m_pressed >= 0
        && m_grid->Options().testFlag(horizontal ? goColMoving : goRowMoving)) {
        m_grid->m_dragFrom = m_pressed + (horizontal ? m_grid->FixedCols() : m_grid->FixedRows());
        m_grid->m_dragOrientation = orientation();
    }
    m_grid->MouseDown(event->button(), QPoint(), false);
}

void TzkStringGridHeader::mouseMoveEvent(QMouseEvent *event)
{
    if (m_passed || !event->buttons())
        QHeaderView::mouseMoveEvent(event);
}

void TzkStringGridHeader::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_passed) {
        QHeaderView::mouseReleaseEvent(event);
        m_passed = false;
        return;
    }
    const int to = logicalIndexAt(event->position().toPoint());
    const int from = m_grid->m_dragFrom;
    m_grid->m_dragFrom = -1;
    if (from < 0 || to < 0)
        return;
    if (orientation() == Qt::Horizontal) {
        const int target = to + m_grid->FixedCols();
        if (target != from) {
            m_grid->MoveColumn(from, target);
            if (m_grid->OnColumnMoved)
                m_grid->OnColumnMoved(m_grid, from, target);
        }
    } else {
        const int target = to + m_grid->FixedRows();
        if (target != from) {
            m_grid->MoveRow(from, target);
            if (m_grid->OnRowMoved)
                m_grid->OnRowMoved(m_grid, from, target);
        }
    }
}

void TzkStringGridHeader::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (onHandle(event->position().toPoint())) {
        QHeaderView::mouseDoubleClickEvent(event);
        return;
    }
    // A double-click on a fixed cell is a second press.
    m_grid->MouseDown(event->button(), QPoint(), false);
}

// --- TzkStringGrid ----------------------------------------------------------------

TzkStringGrid::TzkStringGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new TzkStringGridModel(this))
    , m_top(new TzkStringGridHeader(Qt::Horizontal, this))
    , m_left(new TzkStringGridHeader(Qt::Vertical, this))
    , m_options(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect)
{
    initCheckBoxSize(style());
    setHorizontalHeader(m_top);
    setVerticalHeader(m_left);
    setModel(m_model);
    setItemDelegate(new TzkStringGridDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setAutoScroll(false);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    // The corner is the fixed cells above the fixed columns; the grid paints it.
    if (auto *corner = findChild<QAbstractButton *>()) {
        m_corner = corner;
        corner->setEnabled(false);
        corner->installEventFilter(this);
    }
    m_editor = new TzkInplaceEditor(this);
    m_editor->hide();
    // The drop-down list pops up outside the grid: taking the focus there is
    // not leaving the grid.
    connect(m_top, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        const size_t col = size_t(section + m_fixedCols);
        if (col < m_colWidths.size())
            m_colWidths[col] = size;
        placeEditor();
    });
    connect(m_left, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        const size_t row = size_t(section + m_fixedRows);
        if (row < m_rowHeights.size())
            m_rowHeights[row] = size;
        placeEditor();
    });
    SetScrollBars(ssBoth);
    resizeCols(5);
    resizeRows(5);
    m_model->Reset();
    applyFixedSizes();
    applyColumnWidths();
    m_left->setDefaultSectionSize(m_defaultRowHeight);
    m_left->setMinimumSectionSize(0);
    SetOptions(m_options);
}

TzkStringGrid::~TzkStringGrid()
{
    // The editor goes first: its focus-out must not reach a half-destroyed grid.
    delete m_editor;
    m_editor = nullptr;
}

// --- Shape ---------------------------------------------------------------------

QModelIndex TzkStringGrid::modelIndex(int col, int row) const
{
    if (!isDataCell(col, row) || col >= m_colCount || row >= RowCount())
        return {};
    return m_model->index(row - m_fixedRows, col - m_fixedCols);
}

void TzkStringGrid::resizeRows(int count)
{
    const size_t old = m_rows.size();
    m_rows.resize(size_t(count));
    for (size_t r = old; r < m_rows.size(); ++r)
        m_rows[r].cells.resize(size_t(m_colCount));
    m_rowHeights.resize(size_t(count), 0);
}

void TzkStringGrid::resizeCols(int count)
{
    m_colCount = count;
    for (GridRow &row : m_rows) {
        row.cells.resize(size_t(count));
        if (!row.objects.empty())
            row.objects.resize(size_t(count), nullptr);
    }
    m_colWidths.resize(size_t(count), m_defaultColWidth);
    // Styles belong to positions: new positions are plain.
    m_editStyles.resize(size_t(count), geSimple);
}

void TzkStringGrid::SetRowCount(int value)
{
    value = std::max(value, 1);
    if (value == RowCount())
        return;
    if (value < RowCount() && m_editorMode && m_inplaceRow >= value) {
        m_inplaceRow = -1; // its text goes with the row
        HideEditor();
    }
    if (value <= m_fixedRows) {
        m_fixedRows = value - 1;
        resizeRows(value);
        m_model->Reset();
        applyFixedSizes();
        applyColumnWidths();
    } else {
        resizeRows(value);
        m_model->Reshape();
        applyRowHeights();
    }
    if (m_row >= value)
        m_row = value - 1;
    fixLastRowRepaint();
    UpdateEdit();
}

void TzkStringGrid::SetColCount(int value)
{
    value = std::max(value, 1);
    if (value == m_colCount)
        return;
    if (value < m_colCount && m_editorMode && m_inplaceCol >= value) {
        m_inplaceCol = -1; // its text goes with the column
        HideEditor();
    }
    resizeCols(value);
    if (value <= m_fixedCols) {
        m_fixedCols = value - 1;
        m_model->Reset();
        applyFixedSizes();
    } else {
        m_model->Reshape();
    }
    applyColumnWidths();
    if (m_col >= value)
        m_col = value - 1;
    fixLastRowRepaint();
    UpdateEdit();
}

void TzkStringGrid::SetFixedRows(int value)
{
    value = std::clamp(value, 0, RowCount() - 1);
    if (value == m_fixedRows)
        return;
    HideEditor();
    m_fixedRows = value;
    m_model->Reset();
    applyFixedSizes();
    applyColumnWidths();
    applyRowHeights();
    if (m_row < m_fixedRows)
        m_row = m_fixedRows;
    UpdateEdit();
}

void TzkStringGrid::SetFixedCols(int value)
{
    value = std::clamp(value, 0, m_colCount - 1);
    if (value == m_fixedCols)
        return;
    HideEditor();
    m_fixedCols = value;
    m_model->Reset();
    applyFixedSizes();
    applyColumnWidths();
    applyRowHeights();
    if (m_col < m_fixedCols)
        m_col = m_fixedCols;
    UpdateEdit();
}

void TzkStringGrid::SetDefaultColWidth(int value)
{
    m_defaultColWidth = value;
    std::fill(m_colWidths.begin(), m_colWidths.end(), value);
    applyFixedSizes();
    applyColumnWidths();
}

void TzkStringGrid::SetDefaultRowHeight(int value)
{
    m_defaultRowHeight = value;
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), 0);
    m_left->setDefaultSectionSize(value);
    applyFixedSizes();
    applyRowHeights();
}

int TzkStringGrid::ColWidths(int col) const
{
    return col >= 0 && size_t(col) < m_colWidths.size() ? m_colWidths[size_t(col)] : m_defaultColWidth;
}

void TzkStringGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= m_colCount)
        return;
    m_colWidths[size_t(col)] = std::max(width, 0);
    if (col < m_fixedCols)
        applyFixedSizes();
    else
        applyColumnWidths();
    placeEditor();
}

int TzkStringGrid::RowHeights(int row) const
{
    const int h = row >= 0 && size_t(row) < m_rowHeights.size() ? m_rowHeights[size_t(row)] : 0;
    return h > 0 ? h : m_defaultRowHeight;
}

void TzkStringGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= RowCount())
        return;
    m_rowHeights[size_t(row)] = std::max(height, 1);
    if (row < m_fixedRows) {
        applyFixedSizes();
    } else {
        QSignalBlocker block(m_left);
        m_left->resizeSection(row - m_fixedRows, height);
    }
    placeEditor();
}

void TzkStringGrid::SetScrollBars(TScrollStyle value)
{
    m_scrollBars = value;
    // A bar that is not needed is shown disabled, not hidden.
    setHorizontalScrollBarPolicy(value == ssHorizontal || value == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(value == ssVertical || value == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TzkStringGrid::applyFixedSizes()
{
    m_top->setVisible(m_fixedRows > 0);
    m_left->setVisible(m_fixedCols > 0);
    m_top->updateGeometry();
    m_left->updateGeometry();
    updateGeometries();
    m_top->viewport()->update();
    m_left->viewport()->update();
    if (m_corner)
        m_corner->update();
}

void TzkStringGrid::applyColumnWidths()
{
    QSignalBlocker block(m_top);
    for (int c = m_fixedCols; c < m_colCount; ++c) {
        const int w = m_colWidths[size_t(c)];
        const int section = c - m_fixedCols;
        if (w <= 0) {
            m_top->hideSection(section);
        } else {
            if (m_top->isSectionHidden(section))
                m_top->showSection(section);
            if (m_top->sectionSize(section) != w)
                m_top->resizeSection(section, w);
        }
    }
    updateGeometries();
}

void TzkStringGrid::applyRowHeights()
{
    QSignalBlocker block(m_left);
    for (int r = m_fixedRows; r < RowCount(); ++r) {
        if (m_rowHeights[size_t(r)] > 0)
            m_left->resizeSection(r - m_fixedRows, m_rowHeights[size_t(r)]);
    }
}

void TzkStringGrid::fixLastRowRepaint()
{
    viewport()->update();
}

// --- Cells -------------------------------------------------------------------------

QString TzkStringGrid::Cells(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return {};
    return m_rows[size_t(row)].cells[size_t(col)];
}

void TzkStringGrid::SetCells(int col, int row, const QString &text)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return;
    m_rows[size_t(row)].cells[size_t(col)] = text;
    cellChanged(col, row);
}

void *TzkStringGrid::Objects(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return nullptr;
    const GridRow &r = m_rows[size_t(row)];
    return r.objects.empty() ? nullptr : r.objects[size_t(col)];
}

void TzkStringGrid::SetObjects(int col, int row, void *object)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return;
    GridRow &r = m_rows[size_t(row)];
    if (r.objects.empty()) {
        if (!object)
            return;
        r.objects.resize(size_t(m_colCount), nullptr);
    }
    r.objects[size_t(col)] = object;
}

QStringList TzkStringGrid::Rows(int row) const
{
    if (row < 0 || row >= RowCount())
        return {};
    const auto &cells = m_rows[size_t(row)].cells;
    return QStringList(cells.begin(), cells.end());
}

void TzkStringGrid::SetRows(int row, const QStringList &texts)
{
    if (row < 0 || row >= RowCount())
        return;
    const int n = std::min(int(texts.size()), m_colCount);
    for (int c = 0; c < n; ++c)
        m_rows[size_t(row)].cells[size_t(c)] = texts.at(c);
    rowsChanged(row, row);
}

QStringList TzkStringGrid::Cols(int col) const
{
    QStringList out;
    if (col < 0 || col >= m_colCount)
        return out;
    out.reserve(RowCount());
    for (const GridRow &r : m_rows)
        out.append(r.cells[size_t(col)]);
    return out;
}

void TzkStringGrid::SetCols(int col, const QStringList &texts)
{
    if (col < 0 || col >= m_colCount)
        return;
    const int n = std::min(int(texts.size()), RowCount());
    for (int r = 0; r < n; ++r)
        m_rows[size_t(r)].cells[size_t(col)] = texts.at(r);
    colsChanged(col, col);
}

void TzkStringGrid::cellChanged(int col, int row)
{
    if (m_updateLock)
        return;
    if (row < m_fixedRows || col < m_fixedCols) {
        m_top->viewport()->update();
        m_left->viewport()->update();
        if (m_corner)
            m_corner->update();
    } else {
        const int r = row - m_fixedRows;
        const int c = col - m_fixedCols;
        m_model->CellsChanged(r, c, r, c);
    }
    // A program that changes the cell under the editor shows its text there.
    if (m_editorMode && col == m_inplaceCol && row == m_inplaceRow && m_editor->text() != Cells(col, row))
        m_editor->UpdateContents();
}

void TzkStringGrid::rowsChanged(int first, int last)
{
    if (m_updateLock)
        return;
    viewport()->update();
    m_top->viewport()->update();
    m_left->viewport()->update();
    if (m_corner)
        m_corner->update();
    if (m_editorMode && m_inplaceRow >= first && m_inplaceRow <= last
        && m_editor->text() != Cells(m_inplaceCol, m_inplaceRow))
        m_editor->UpdateContents();
}

void TzkStringGrid::colsChanged(int first, int last)
{
    if (m_updateLock)
        return;
    rowsChanged(0, RowCount() - 1);
    Q_UNUSED(first)
    Q_UNUSED(last)
}

// --- Current cell and scrolling ------------------------------------------------------

void TzkStringGrid::doSelectCell(int col, int row, bool &canSelect)
{
    canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, canSelect);
}

void TzkStringGrid::MoveCurrent(int col, int row, bool select)
{
    if (col < m_fixedCols || row < m_fixedRows || col >= m_colCount || row >= RowCount())
        return;
    if (select) {
        bool canSelect = true;
        doSelectCell(col, row, canSelect);
        if (!canSelect)
            return;
    }
    const bool moved = col != m_col || row != m_row;
    if (moved && m_editorMode && !m_options.testFlag(goAlwaysShowEditor))
        HideEditor();
    m_col = col;
    m_row = row;
    if (const QModelIndex index = modelIndex(col, row); index.isValid())
        scrollTo(index);
    viewport()->update();
    if (m_editorMode || m_options.testFlag(goAlwaysShowEditor))
        UpdateEdit();
    if (moved && OnClick)
        OnClick(this);
}

void TzkStringGrid::SetCol(int value)
{
    if (value != m_col)
        MoveCurrent(value, m_row, true);
}

void TzkStringGrid::SetRow(int value)
{
    if (value != m_row)
        MoveCurrent(m_col, value, true);
}

void TzkStringGrid::FocusCell(int col, int row)
{
    MoveCurrent(col, row, true);
}

int TzkStringGrid::TopRow() const
{
    return m_fixedRows + verticalScrollBar()->value();
}

void TzkStringGrid::SetTopRow(int value)
{
    verticalScrollBar()->setValue(value - m_fixedRows);
}

int TzkStringGrid::LeftCol() const
{
    const int c = columnAt(0);
    return m_fixedCols + std::max(c, 0);
}

void TzkStringGrid::SetLeftCol(int value)
{
    horizontalScrollBar()->setValue(value - m_fixedCols);
}

int TzkStringGrid::VisibleRowCount() const
{
    const int height = viewport()->height();
    int used = 0;
    int count = 0;
    for (int r = TopRow(); r < RowCount(); ++r) {
        used += RowHeights(r);
        if (used > height)
            break;
        ++count;
    }
    return std::max(count, 1);
}

int TzkStringGrid::VisibleColCount() const
{
    const int width = viewport()->width();
    int used = 0;
    int count = 0;
    for (int c = LeftCol(); c < m_colCount; ++c) {
        used += ColWidths(c);
        if (used > width)
            break;
        ++count;
    }
    return std::max(count, 1);
}

QRect TzkStringGrid::CellRect(int col, int row) const
{
    if (const QModelIndex index = modelIndex(col, row); index.isValid())
        return visualRect(index);
    return {};
}

TGridCoord TzkStringGrid::MouseCoord(int x, int y) const
{
    const QModelIndex index = indexAt(QPoint(x, y));
    if (!index.isValid())
        return {};
    return {index.column() + m_fixedCols, index.row() + m_fixedRows};
}

void TzkStringGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    placeEditor();
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void TzkStringGrid::updateGeometries()
{
    QTableView::updateGeometries();
    // Qt sets the page step to the rows on screen; it stays there, since it
    // also sizes the thumb. The half-page step is the scroll action's.
    for (QScrollBar *bar : {verticalScrollBar(), horizontalScrollBar()})
        bar->setEnabled(bar->maximum() > bar->minimum());
    placeEditor();
}

void TzkStringGrid::scrollBarAction(QScrollBar *bar, int action, int fixed, int count, int visible)
{
    Q_UNUSED(fixed)
    Q_UNUSED(count)
    const int half = std::max(1, visible / 2);
    switch (action) {
    case QAbstractSlider::SliderPageStepAdd:
        bar->setSliderPosition(std::min(bar->value() + half, bar->maximum()));
        break;
    case QAbstractSlider::SliderPageStepSub:
        bar->setSliderPosition(std::max(bar->value() - half, bar->minimum()));
        break;
    default: break;
    }
}

void TzkStringGrid::verticalScrollbarAction(int action)
{
    scrollBarAction(verticalScrollBar(), action, m_fixedRows, RowCount(), VisibleRowCount());
}

void TzkStringGrid::horizontalScrollbarAction(int action)
{
    scrollBarAction(horizontalScrollBar(), action, m_fixedCols, m_colCount, VisibleColCount());
}

void TzkStringGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    placeEditor();
}

// --- Options and editing --------------------------------------------------------------

void TzkStringGrid::SetOptions(TGridOptions value)
{
    if (value.testFlag(goRowSelect))
        value &= ~TGridOptions(goAlwaysShowEditor);
    const TGridOptions old = m_options;
    m_options = value;
    setShowGrid(value.testAnyFlags(goVertLine | goHorzLine));
    m_top->setSectionResizeMode(value.testFlag(goColSizing) ? QHeaderView::Interactive : QHeaderView::Fixed);
    m_left->setSectionResizeMode(value.testFlag(goRowSizing) ? QHeaderView::Interactive : QHeaderView::Fixed);
    if (!value.testFlag(goEditing) && m_editorMode)
        HideEditor();
    else if (!m_editorMode && value.testFlag(goAlwaysShowEditor))
        ShowEditor();
    else if (!m_editorMode && old.testFlag(goAlwaysShowEditor))
        HideEditor();
    viewport()->update();
}

void TzkStringGrid::SetGridMode(TzkGridEditorMode value)
{
    if (value == m_gridMode)
        return;
    if (value == geAccess)
        SetOptions(m_options | goAlwaysShowEditor);
    else
        SetOptions(m_options & ~TGridOptions(goAlwaysShowEditor));
    m_gridMode = value;
}

bool TzkStringGrid::EditorMode() const
{
    return m_editorMode;
}

void TzkStringGrid::SetEditorMode(bool value)
{
    if (!value) {
        HideEditor();
    } else {
        ShowEditor();
        if (m_editorMode)
            m_editor->deselect();
    }
}

TzkGridEditStyle TzkStringGrid::EditStyles(int index) const
{
    return index >= 0 && size_t(index) < m_editStyles.size() ? m_editStyles[size_t(index)] : geSimple;
}

void TzkStringGrid::SetEditStyles(int index, TzkGridEditStyle value)
{
    if (index < 0 || size_t(index) >= m_editStyles.size())
        return;
    m_editStyles[size_t(index)] = value;
    viewport()->update();
    if (m_editorMode && index == m_inplaceCol)
        m_editor->SetEditStyle(editorStyleOf(index));
}

void TzkStringGrid::SetFlatCheckBox(bool value)
{
    if (value == m_flatCheckBox)
        return;
    m_flatCheckBox = value;
    viewport()->update();
}

void TzkStringGrid::SetFixedColor(TColor value)
{
    m_fixedColor = value;
    applyFixedSizes();
}

TEditStyle TzkStringGrid::editorStyleOf(int col) const
{
    switch (EditStyles(col)) {
    case geEllipsis: return esEllipsis;
    case gePickList:
    case geDropList: return esPickList;
    default: return esSimple;
    }
}

bool TzkStringGrid::focusInside(const QWidget *w) const
{
    for (; w; w = w->parentWidget()) {
        if (w == this)
            return true;
        if (m_editor && w == m_editor->PickList())
            return true;
    }
    return false;
}

bool TzkStringGrid::CanEditShow() const
{
    if (!m_options.testFlag(goEditing) || m_options.testFlag(goRowSelect))
        return false;
    if (m_col < m_fixedCols || m_row < m_fixedRows || m_col >= m_colCount || m_row >= RowCount())
        return false;
    return m_options.testFlag(goAlwaysShowEditor) || focusInside(QApplication::focusWidget());
}

void TzkStringGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    m_editorMode = true;
    UpdateEdit();
}

void TzkStringGrid::HideEditor()
{
    m_editorMode = false;
    if (!m_editor || !m_editor->isVisible())
        return;
    commitEditor();
    m_inplaceCol = -1;
    m_inplaceRow = -1;
    if (m_editor->ListVisible())
        m_editor->CloseUp(false);
    if (m_editor->hasFocus())
        focusQuietly();
    m_editor->hide();
}

// The focus comes back from the editor: the grid is not entered anew.
void TzkStringGrid::focusQuietly()
{
    const bool old = m_tabbingOut;
    m_tabbingOut = true;
    setFocus(Qt::OtherFocusReason);
    m_tabbingOut = old;
}

// The editor's text to its cell, as the grid does whenever the editor leaves
// a cell; only a text that differs goes through the set-edit-text step.
void TzkStringGrid::commitEditor()
{
    if (m_inplaceCol < 0 || m_inplaceRow < 0 || !m_editor->isVisible())
        return;
    const QString text = m_editor->text();
    if (text != Cells(m_inplaceCol, m_inplaceRow))
        SetEditText(m_inplaceCol, m_inplaceRow, text);
}

void TzkStringGrid::UpdateEdit()
{
    if (!CanEditShow()) {
        if (m_editor->isVisible())
            HideEditor();
        m_editorMode = false;
        return;
    }
    m_editorMode = true;
    if (m_editor->isVisible() && (m_inplaceCol != m_col || m_inplaceRow != m_row))
        commitEditor();
    const bool moved = m_inplaceCol != m_col || m_inplaceRow != m_row || !m_editor->isVisible();
    if (moved) {
        if (m_editor->ListVisible())
            m_editor->CloseUp(false);
        m_inplaceCol = m_col;
        m_inplaceRow = m_row;
        m_editor->SetEditStyle(editorStyleOf(m_col));
        m_editor->UpdateContents();
        m_editor->selectAll();
    }
    placeEditor();
    if (!m_editor->isVisible())
        m_editor->show();
    if (focusInside(QApplication::focusWidget()) && !m_editor->hasFocus())
        m_editor->setFocus(Qt::OtherFocusReason);
}

void TzkStringGrid::placeEditor()
{
    if (!m_editor || m_inplaceCol < 0 || m_inplaceRow < 0)
        return;
    QRect r = CellRect(m_inplaceCol, m_inplaceRow);
    if (r.isEmpty()) {
        m_editor->setGeometry(-1000, -1000, 10, 10);
        return;
    }
    // Inside the grid lines.
    if (showGrid())
        r.adjust(0, 0, -1, -1);
    m_editor->setGeometry(r);
}

void TzkStringGrid::SetEditText(int col, int row, const QString &value)
{
    if (OnBeforeSetEditText)
        OnBeforeSetEditText(this, col, row, value);
    if (value != Cells(col, row)) {
        // The editor is where the text came from: it is not reloaded.
        ++m_updateLock;
        SetCells(col, row, value);
        --m_updateLock;
        if (const QModelIndex index = modelIndex(col, row); index.isValid())
            update(index);
        else
            rowsChanged(row, row);
    }
    if (OnSetEditText)
        OnSetEditText(this, col, row, value);
}

void TzkStringGrid::CommitEdit()
{
    if (m_editorMode && m_editor->isVisible())
        m_editor->InputComplite();
}

void TzkStringGrid::EditCopy()
{
    if (!m_editorMode)
        QGuiApplication::clipboard()->setText(Cells(m_col, m_row));
}

// --- Check boxes ----------------------------------------------------------------------

bool TzkStringGrid::Checked(int col, int row) const
{
    if (col < 0 || col >= m_colCount || !isCheckStyle(EditStyles(col)))
        return false;
    return Cells(col, row) == QLatin1String("1");
}

void TzkStringGrid::SetChecked(int col, int row, bool value)
{
    if (col < 0 || col >= m_colCount || !isCheckStyle(EditStyles(col)))
        return;
    const QString text = value ? QStringLiteral("1") : QString();
    SetCells(col, row, text);
    SetEditText(col, row, text);
}

void TzkStringGrid::toggleCurrent()
{
    if (EditStyles(m_col) == geCheckBox && m_row >= m_fixedRows)
        SetChecked(m_col, m_row, !Checked(m_col, m_row));
}

void TzkStringGrid::DrawCheck(int col, int row, const QRect &rect, bool enabled)
{
    QPainter *p = m_canvas.Painter;
    if (!p)
        return;
    const QRect box(rect.left() + (rect.width() - CheckBoxWidth) / 2, rect.top() + (rect.height() - CheckBoxHeight) / 2,
                    CheckBoxWidth, CheckBoxHeight);
    // A number may follow blanks (" 1" is checked), nothing may follow it.
    QString text = Cells(col, row);
    qsizetype lead = 0;
    while (lead < text.size() && text.at(lead).unicode() <= 32)
        ++lead;
    bool ok = false;
    const int state = text.mid(lead).toInt(&ok);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = box;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver | QStyle::State_Enabled);
    if (enabled)
        option.state |= QStyle::State_Enabled;
    const int value = ok ? state : 0;
    option.state |= value == 1 ? QStyle::State_On : value == 2 ? QStyle::State_NoChange : QStyle::State_Off;
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, p, this);
    if (m_flatCheckBox) {
        p->save();
        p->setBrush(Qt::NoBrush);
        p->setPen(ColorToQColor(clWindow));
        p->drawRect(box.adjusted(1, 1, -2, -2));
        p->setPen(ColorToQColor(clBtnShadow));
        p->drawRect(box.adjusted(0, 0, -1, -1));
        p->restore();
    }
}

// --- Painting ----------------------------------------------------------------------------

void TzkStringGrid::DrawCell(QPainter *painter, const QRect &rect, int col, int row)
{
    const bool focused = hasFocus() || (m_editor && m_editor->hasFocus());
    TGridDrawState state = 0;
    const bool current = col == m_col && row == m_row;
    if (current || (row == m_row && m_options.testFlag(goRowSelect)))
        state |= gdSelected;
    if (current && focused)
        state |= gdFocused;
    const bool highlight =
        (state & gdSelected) && (!(state & gdFocused) || m_options.testAnyFlags(goDrawFocusSelected | goRowSelect));
    painter->save();
    painter->setClipRect(rect);
    m_canvas.Painter = painter;
    m_canvas.Font = font();
    m_canvas.BrushColor = highlight ? clHighlight : clWindow;
    m_canvas.FontColor = highlight ? clHighlightText : clWindowText;
    m_canvas.Apply();
    m_canvas.FillRect(rect);
    if (isCheckStyle(EditStyles(col))) {
        // The grid's own boxes are always drawn enabled.
        DrawCheck(col, row, rect, true);
    } else {
        m_canvas.TextOut(rect.left() + 2, rect.top() + 2, Cells(col, row));
    }
    if (OnDrawCell) {
        m_canvas.Apply();
        OnDrawCell(this, col, row, rect, state);
    }
    if ((state & gdFocused) && !m_editorMode && !m_options.testFlag(goRowSelect)) {
        QStyleOptionFocusRect fr;
        fr.initFrom(this);
        fr.rect = rect.adjusted(0, 0, -1, -1);
        fr.backgroundColor = ColorToQColor(m_canvas.BrushColor);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, painter, this);
    }
    m_canvas.Painter = nullptr;
    painter->restore();
}

void TzkStringGrid::DrawFixedCell(QPainter *painter, const QRect &rect, int col, int row)
{
    painter->save();
    painter->setClipRect(rect);
    m_canvas.Painter = painter;
    m_canvas.Font = font();
    m_canvas.BrushColor = m_fixedColor;
    m_canvas.FontColor = clWindowText;
    m_canvas.Apply();
    m_canvas.FillRect(rect);
    m_canvas.TextOut(rect.left() + 2, rect.top() + 2, Cells(col, row));
    if (OnDrawCell) {
        m_canvas.Apply();
        OnDrawCell(this, col, row, rect, gdFixed);
    }
    // A raised frame, as fixed cells have.
    const QRect r = rect.adjusted(0, 0, -1, -1);
    painter->setPen(ColorToQColor(clBtnHighlight));
    painter->drawLine(r.topLeft(), r.topRight());
    painter->drawLine(r.topLeft(), r.bottomLeft());
    painter->setPen(ColorToQColor(clBtnShadow));
    if (m_options.testFlag(goFixedHorzLine))
        painter->drawLine(r.bottomLeft(), r.bottomRight());
    if (m_options.testFlag(goFixedVertLine))
        painter->drawLine(r.topRight(), r.bottomRight());
    m_canvas.Painter = nullptr;
    painter->restore();
}

void TzkStringGrid::paintCorner(QPainter *painter, const QRect &rect)
{
    int y = rect.top();
    for (int r = 0; r < m_fixedRows; ++r) {
        int x = rect.left();
        const int h = RowHeights(r);
        for (int c = 0; c < m_fixedCols; ++c) {
            const int w = ColWidths(c);
            if (w > 0)
                DrawFixedCell(painter, QRect(x, y, w, h), c, r);
            x += w;
        }
        y += h;
    }
}

void TzkStringGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
}

bool TzkStringGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner) {
        switch (event->type()) {
        case QEvent::Paint: {
            QPainter painter(m_corner);
            painter.fillRect(m_corner->rect(), ColorToQColor(m_fixedColor));
            paintCorner(&painter, m_corner->rect());
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            MouseDown(static_cast<QMouseEvent *>(event)->button(), QPoint(), false);
            return true;
        default: break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

// --- Rows and columns ---------------------------------------------------------------------

void TzkStringGrid::Clear()
{
    setUpdatesEnabled(false);
    const bool wasOpen = m_editorMode;
    if (wasOpen) {
        // The cell the editor stood on is emptied too: nothing of it is stored.
        m_inplaceCol = -1;
        m_inplaceRow = -1;
        m_editorMode = false;
        if (m_editor->hasFocus())
            focusQuietly();
        m_editor->hide();
    }
    try {
        for (int r = m_fixedRows; r < RowCount(); ++r) {
            for (int c = m_fixedCols; c < m_colCount; ++c)
                m_rows[size_t(r)].cells[size_t(c)].clear();
        }
        MoveCurrent(m_fixedCols, m_fixedRows, true);
        SetRowCount(m_fixedRows + 1);
    } catch (...) {
        setUpdatesEnabled(true);
        viewport()->update();
        throw;
    }
    setUpdatesEnabled(true);
    viewport()->update();
    if (wasOpen || m_options.testFlag(goAlwaysShowEditor))
        ShowEditor();
}

namespace {

// Where an index stands after the item at From moved to To.
int moveAdjust(int index, int from, int to)
{
    if (index == from)
        return to;
    if (from < index && index <= to)
        return index - 1;
    if (to <= index && index < from)
        return index + 1;
    return index;
}

} // namespace

void TzkStringGrid::MoveRow(int FromIndex, int ToIndex)
{
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= RowCount() || ToIndex >= RowCount())
        return;
    commitEditor();
    auto first = m_rows.begin() + FromIndex;
    auto target = m_rows.begin() + ToIndex;
    if (FromIndex < ToIndex)
        std::rotate(first, first + 1, target + 1);
    else
        std::rotate(target, first, first + 1);
    m_row = moveAdjust(m_row, FromIndex, ToIndex);
    if (m_inplaceRow >= 0)
        m_inplaceRow = moveAdjust(m_inplaceRow, FromIndex, ToIndex);
    rowsChanged(std::min(FromIndex, ToIndex), std::max(FromIndex, ToIndex));
    if (m_editorMode)
        UpdateEdit();
}

void TzkStringGrid::MoveColumn(int FromIndex, int ToIndex)
{
    if (FromIndex == ToIndex || FromIndex < 0 || ToIndex < 0 || FromIndex >= m_colCount || ToIndex >= m_colCount)
        return;
    commitEditor();
    auto rotate = [FromIndex, ToIndex](auto &v) {
        auto first = v.begin() + FromIndex;
        auto target = v.begin() + ToIndex;
        if (FromIndex < ToIndex)
            std::rotate(first, first + 1, target + 1);
        else
            std::rotate(target, first, first + 1);
    };
    for (GridRow &r : m_rows) {
        rotate(r.cells);
        if (!r.objects.empty())
            rotate(r.objects);
    }
    // Widths go with the column; styles stay with the positions.
    rotate(m_colWidths);
    m_col = moveAdjust(m_col, FromIndex, ToIndex);
    if (m_inplaceCol >= 0)
        m_inplaceCol = moveAdjust(m_inplaceCol, FromIndex, ToIndex);
    applyFixedSizes();
    applyColumnWidths();
    colsChanged(std::min(FromIndex, ToIndex), std::max(FromIndex, ToIndex));
    if (m_editorMode) {
        m_editor->SetEditStyle(editorStyleOf(m_inplaceCol));
        UpdateEdit();
    }
}

void TzkStringGrid::InsertRow(int Index)
{
    SetRowCount(RowCount() + 1);
    GridRow &last = m_rows.back();
    std::fill(last.cells.begin(), last.cells.end(), QString());
    last.objects.clear();
    MoveRow(RowCount() - 1, Index);
}

void TzkStringGrid::DeleteRow(int Index)
{
    if (Index < 0 || Index >= RowCount())
        return;
    const bool wasOpen = m_editorMode;
    if (wasOpen) {
        if (m_inplaceRow == Index)
            m_inplaceRow = -1; // its text goes with the row
        HideEditor();
    }
    MoveRow(Index, RowCount() - 1);
    SetRowCount(RowCount() - 1);
    if (Index < RowCount() - 1)
        SetRow(Index);
    viewport()->update();
    if (wasOpen)
        ShowEditor();
}

void TzkStringGrid::InsertCol(int Index)
{
    SetColCount(m_colCount + 1);
    for (GridRow &r : m_rows) {
        r.cells.back().clear();
        if (!r.objects.empty())
            r.objects.back() = nullptr;
    }
    MoveColumn(m_colCount - 1, Index);
    SetCol(Index);
}

void TzkStringGrid::RemoveColumn(int Index)
{
    if (Index >= m_colCount)
        return;
    Index = std::max(Index, m_fixedCols);
    commitEditor();
    if (m_colCount <= m_fixedCols + 1) {
        for (GridRow &r : m_rows) {
            r.cells[size_t(Index)].clear();
            if (!r.objects.empty())
                r.objects[size_t(Index)] = nullptr;
        }
    } else {
        for (GridRow &r : m_rows) {
            for (int c = Index + 1; c < m_colCount; ++c) {
                r.cells[size_t(c - 1)] = r.cells[size_t(c)];
                if (!r.objects.empty())
                    r.objects[size_t(c - 1)] = r.objects[size_t(c)];
            }
        }
    }
    if (m_editorMode && m_inplaceCol >= Index) {
        // The editor's column moved away: show what the cell now holds.
        m_inplaceCol = -1;
        HideEditor();
        m_editorMode = true;
    }
    if (m_colCount > 1)
        SetColCount(m_colCount - 1);
    colsChanged(Index, m_colCount - 1);
    if (m_editorMode) {
        m_editorMode = false;
        ShowEditor();
    }
}

// --- Change tracking -------------------------------------------------------------------------

void TzkStringGrid::Save()
{
    const int rows = RowCount();
    m_saveRows.resize(size_t(rows));
    m_saveRowCount = rows;
    for (int r = 0; r < rows; ++r) {
        const auto &cells = m_rows[size_t(r)].cells;
        m_saveRows[size_t(r)] = QStringList(cells.begin(), cells.end());
    }
}

// Rows are compared cell by cell: a line break moved from the end of one
// cell to the start of the next changes both cells, and so the row.
bool TzkStringGrid::IsChanged() const
{
    if (RowCount() != m_saveRowCount)
        return true;
    for (int r = 0; r < RowCount(); ++r) {
        if (rowDiffers(&m_rows[size_t(r)].cells, &m_saveRows[size_t(r)]))
            return true;
    }
    return false;
}

bool TzkStringGrid::IsChangedRow(int row) const
{
    const std::vector<QString> *cells = row >= 0 && row < RowCount() ? &m_rows[size_t(row)].cells : nullptr;
    const QStringList *saved = row >= 0 && row < m_saveRowCount ? &m_saveRows[size_t(row)] : nullptr;
    return rowDiffers(cells, saved);
}

bool TzkStringGrid::IsChangedCol(int col) const
{
    if (RowCount() != m_saveRowCount || col < 0 || col >= m_colCount)
        return true;
    if (m_saveRows.empty() || col >= m_saveRows.front().size())
        return true;
    for (int r = 0; r < RowCount(); ++r) {
        const QStringList &saved = m_saveRows[size_t(r)];
        if (col >= saved.size() || m_rows[size_t(r)].cells[size_t(col)] != saved.at(col))
            return true;
    }
    return false;
}

bool TzkStringGrid::IsChangedCell(int col, int row) const
{
    return Cells(col, row) != SaveCells(col, row);
}

QString TzkStringGrid::SaveCells(int col, int row) const
{
    if (row < 0 || row >= m_saveRowCount || col < 0)
        return {};
    const QStringList &saved = m_saveRows[size_t(row)];
    return col < saved.size() ? saved.at(col) : QString();
}

const QStringList &TzkStringGrid::SaveRows(int row) const
{
    if (row < 0 || row >= m_saveRowCount)
        return emptyList();
    return m_saveRows[size_t(row)];
}

const QStringList &TzkStringGrid::SaveCols(int col)
{
    if (!m_saveCols)
        m_saveCols = std::make_unique<QStringList>();
    m_saveCols->clear();
    if (col < 0 || m_saveRowCount == 0 || col >= m_saveRows.front().size())
        return *m_saveCols;
    m_saveCols->reserve(m_saveRowCount);
    for (int r = 0; r < m_saveRowCount; ++r)
        m_saveCols->append(SaveCells(col, r));
    return *m_saveCols;
}

bool TzkStringGrid::IsNull(int col, int row) const
{
    const QString text = Cells(col, row);
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 32; });
}
