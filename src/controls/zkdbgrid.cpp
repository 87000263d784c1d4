#include "controls/zkdbgrid.h"
#include "controls/zkdbgrid_inplace.h"

#include "controls/zkdbgrid_p.h"
#include "controls/zkdbgrid_shared.h"
#include "core/zkforms.h"
#include "core/zkoption.h"
#include "core/zksub_datetime.h"
#include "platform/fonts/fontmap.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

#include <set>

namespace {

bool s_wholeRecordSelectedV = false;

// The result font of the options: the grids take it when a form sets up
// its controls.
const bool s_settingsRegistered = [] {
    RegisterControlSettings([](QWidget *control) {
        auto *grid = qobject_cast<TzkDBGridV *>(control);
        if (!grid)
            return false;
        QFont font(FontMap::substitute(zkOption.DataFontName), zkOption.DataFontSize);
        font.setFixedPitch(true);
        grid->setFont(font);
        return true;
    });
    return true;
}();

// Control characters would show as boxes; a cell shows one line.
QString cellText(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return text;
}

QPixmap indicatorImage(int index)
{
    QPixmap image(6, 11);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    switch (index) {
    case 0: { // solid triangle pointing right
        const QPoint points[] = {{1, 1}, {1, 9}, {5, 5}};
        p.drawPolygon(points, 3);
        break;
    }
    case 1: // I-beam
        p.drawLine(0, 1, 5, 1);
        p.drawLine(0, 9, 5, 9);
        p.drawLine(2, 1, 2, 9);
        p.drawLine(3, 1, 3, 9);
        break;
    case 2: // small asterisk
        p.drawLine(3, 2, 3, 8);
        p.drawLine(0, 5, 5, 5);
        p.drawLine(1, 3, 5, 7);
        p.drawLine(1, 7, 5, 3);
        break;
    case 3: // filled dot
        p.drawEllipse(1, 3, 4, 4);
        break;
    default: // open chevron pointing right
        p.drawLine(1, 1, 4, 5);
        p.drawLine(4, 5, 1, 9);
        p.drawLine(2, 1, 5, 5);
        p.drawLine(5, 5, 2, 9);
        break;
    }
    return image;
}

} // namespace

TDBGridOptions TDBGridOptions::Default()
{
    return {dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
            dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};
}

// --- TzkGridCanvas ---------------------------------------------------------------

void TzkGridCanvas::Apply()
{
    Painter->setBrush(ColorToQColor(BrushColor));
    Painter->setPen(ColorToQColor(FontColor));
    Painter->setFont(Font);
}

void TzkGridCanvas::FillRect(const QRect &rect)
{
    Painter->fillRect(rect, ColorToQColor(BrushColor));
}

void TzkGridCanvas::TextOut(int x, int y, const QString &text)
{
    Apply();
    Painter->drawText(x, y + QFontMetrics(Font).ascent(), cellText(text));
}

int TzkGridCanvas::TextWidth(const QString &text) const
{
    return QFontMetrics(Font).horizontalAdvance(cellText(text));
}

// --- TzkDBGridModel --------------------------------------------------------------

TzkDBGridModel::TzkDBGridModel(TzkDBGridV *grid)
    : QAbstractTableModel(grid)
    , m_grid(grid)
{
}

int TzkDBGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TzkDBGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : qMax(1, int(m_columns.size()));
}

QVariant TzkDBGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= int(m_columns.size()))
        return QVariant();
    TColumn *column = m_columns[size_t(index.column())];
    if (role == Qt::TextAlignmentRole) {
        switch (column->Alignment()) {
        case taRightJustify: return int(Qt::AlignRight | Qt::AlignVCenter);
        case taCenter: return int(Qt::AlignCenter);
        default: return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    const TRecordId record = m_grid->DataLink()->BufferRecord(index.row());
    const TField *field = record >= 0 ? column->Field() : nullptr;
    return field ? field->TextAt(record) : QString();
}

QVariant TzkDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < int(m_columns.size()))
        return m_columns[size_t(section)]->Title()->Caption();
    return QVariant();
}

void TzkDBGridModel::SetShape(int rows, const std::vector<TColumn *> &columns)
{
    rows = qMax(1, rows);
    if (columns != m_columns) {
        beginResetModel();
        m_columns = columns;
        m_rows = rows;
        endResetModel();
        return;
    }
    SetRows(rows);
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    CellsChanged();
}

void TzkDBGridModel::SetRows(int rows)
{
    rows = qMax(1, rows);
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void TzkDBGridModel::CellsChanged()
{
    emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

// --- TzkDBGridDelegate -----------------------------------------------------------

TzkDBGridDelegate::TzkDBGridDelegate(TzkDBGridV *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

void TzkDBGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    m_grid->DrawCell(painter, option.rect, index.column() + m_grid->IndicatorOffset(),
                     index.row() + m_grid->TitleOffset());
}

QSize TzkDBGridDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return QSize(m_grid->ColWidths(index.column() + m_grid->IndicatorOffset()), m_grid->DefaultRowHeight());
}

// --- TzkDBGridV ------------------------------------------------------------------

TzkDBGridV::TzkDBGridV(QWidget *parent)
    : QTableView(parent)
    , m_dataLink(std::make_unique<TGridDataLink>(static_cast<IzkDBGridLink *>(this)))
    , m_columns(std::make_unique<TDBGridColumns>(this))
    , m_bookmarks(std::make_unique<TBookmarkList>(static_cast<IzkDBGridLink *>(this), m_dataLink.get()))
    , m_model(new TzkDBGridModel(this))
    , m_delegate(new TzkDBGridDelegate(this))
    , m_title(new TzkDBGridTitle(this))
    , m_indicator(new TzkDBGridIndicator(this))
{
    Q_UNUSED(s_settingsRegistered)
    m_options = TDBGridOptions::Default() + dgAlwaysShowEditor;
    setHorizontalHeader(m_title);
    setVerticalHeader(m_indicator);
    setItemDelegate(m_delegate);
    setModel(m_model);
    // Presses select nothing of Qt's: the grid keeps its own selection.
    disconnect(m_title, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(m_title, &QHeaderView::sectionEntered, this, nullptr);
    disconnect(m_title, &QHeaderView::sectionHandleDoubleClicked, this, nullptr);
    disconnect(m_indicator, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(m_indicator, &QHeaderView::sectionEntered, this, nullptr);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setAutoScroll(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, &TzkDBGridV::ScrollBarThumbReleased);
    connect(m_title, &QHeaderView::sectionResized, this, [this](int section) { ColWidthsChanged(section); });
    connect(m_title, &QHeaderView::sectionMoved, this, [this](int logical, int oldVisual, int newVisual) {
        // The header only proposes the move: the columns make it.
        const QSignalBlocker block(m_title);
        m_title->moveSection(newVisual, oldVisual);
        QMetaObject::invokeMethod(
            this, [this, logical, newVisual] { ColumnMoved(logical, newVisual); }, Qt::QueuedConnection);
    });
    QPalette p = palette();
    p.setColor(QPalette::Base, ColorToQColor(m_color));
    setPalette(p);
    verticalScrollBar()->installEventFilter(this);
    applyBaseOptions();
    RequestLayout();
}

TzkDBGridV::~TzkDBGridV()
{
    // Gone before the view: nothing reaches a grid half taken down. The
    // editor is told too: hiding it while the grid dies moves the focus, and
    // its focus-out handler must not call back into this grid.
    if (m_inplaceEdit)
        m_inplaceEdit->GridGone();
    m_bookmarks.reset();
    m_dataLink.reset();
}

const QList<QPixmap> &TzkDBGridV::IndicatorImages()
{
    static const QList<QPixmap> images = [] {
        QList<QPixmap> list;
        for (int i = 0; i < 5; ++i)
            list << indicatorImage(i);
        return list;
    }();
    return images;
}

bool TzkDBGridV::WholeRecordSelectedV()
{
    return s_wholeRecordSelectedV;
}

void TzkDBGridV::SetWholeRecordSelectedV(bool value)
{
    s_wholeRecordSelectedV = value;
}

void TzkDBGridV::SetDataSource(TDataSource *source)
{
    if (source == DataSource())
        return;
    m_bookmarks->Clear();
    m_dataLink->SetDataSource(source);
}

bool TzkDBGridV::ValidFieldIndex(int fieldIndex) const
{
    for (int i = 0; i < m_dataLink->FieldCount(); ++i) {
        if (m_dataLink->FieldMapIndex(i) == fieldIndex)
            return true;
    }
    return false;
}

void TzkDBGridV::applyBaseOptions()
{
    const bool resize = m_options.Has(dgColumnResize);
    m_title->setSectionsMovable(resize);
    m_title->setSectionResizeMode(resize ? QHeaderView::Interactive : QHeaderView::Fixed);
    setTabKeyNavigation(m_options.Has(dgTabs));
}

void TzkDBGridV::SetOptions(TDBGridOptions value)
{
    if (value == m_options)
        return;
    if (value.Has(dgRowSelect)) {
        value.Exclude(dgEditing);
        value.Exclude(dgAlwaysShowEditor);
    }
    if (m_options.Has(dgMultiSelect) && !value.Has(dgMultiSelect))
        m_bookmarks->Clear();
    const TDBGridOptions old = m_options;
    m_options = value;
    applyBaseOptions();
    bool layout = false;
    for (TDBGridOption o : {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect,
                            dgAlwaysShowSelection})
        layout = layout || old.Has(o) != value.Has(o);
    if (layout)
        RequestLayout();
    viewport()->update();
}

void TzkDBGridV::SetReadOnly(bool value)
{
    if (value == m_readOnly)
        return;
    m_readOnly = value;
    RequestLayout();
}

void TzkDBGridV::SetColor(TColor value)
{
    m_color = value;
    QPalette p = palette();
    p.setColor(QPalette::Base, ColorToQColor(value));
    setPalette(p);
    viewport()->update();
}

void TzkDBGridV::SetFixedColor(TColor value)
{
    m_fixedColor = value;
    m_title->viewport()->update();
    m_indicator->viewport()->update();
}

void TzkDBGridV::SetTitleFont(const QFont &value)
{
    m_titleFont = value;
    m_titleFontAssigned = true;
    if (m_options.Has(dgTitles))
        RequestLayout();
}

void TzkDBGridV::SetDefaultColWidth(int value)
{
    if (value == m_defaultColWidth)
        return;
    m_defaultColWidth = value;
    RequestLayout();
}

int TzkDBGridV::ColCount() const
{
    return m_columns->Count() + m_indicatorOffset;
}

int TzkDBGridV::RowCount() const
{
    return m_model->rowCount() + m_titleOffset;
}

int TzkDBGridV::Row() const
{
    return qMax(0, m_dataLink->ActiveRecord()) + m_titleOffset;
}

int TzkDBGridV::VisibleRowCount() const
{
    return qMax(1, viewport()->height() / qMax(1, m_defaultRowHeight));
}

int TzkDBGridV::ColWidths(int col) const
{
    if (col < m_indicatorOffset)
        return IndicatorWidth;
    const int d = col - m_indicatorOffset;
    if (d >= m_model->columnCount() || m_title->isSectionHidden(d))
        return 0;
    return m_title->sectionSize(d);
}

bool TzkDBGridV::TabStops(int col) const
{
    const int d = col - m_indicatorOffset;
    return d >= 0 && d < int(m_tabStops.size()) && m_tabStops[size_t(d)];
}

QRect TzkDBGridV::CellRect(int col, int row) const
{
    return DBGridCellRect(this, m_indicatorOffset, m_titleOffset, col, row);
}

TGridCoord TzkDBGridV::MouseCoord(int x, int y) const
{
    return DBGridMouseCoord(this, m_indicatorOffset, m_titleOffset, x, y);
}

TField *TzkDBGridV::SelectedField() const
{
    const int index = SelectedIndex();
    if (index < 0 || index >= m_columns->Count())
        return nullptr;
    return m_columns->Items(index)->Field();
}

void TzkDBGridV::SetSelectedIndex(int value)
{
    MoveToColumn(value + m_indicatorOffset, 0);
}

void TzkDBGridV::SetSelectedField(TField *value)
{
    if (!value)
        return;
    for (int i = 0; i < m_columns->Count(); ++i) {
        if (m_columns->Items(i)->Field() == value)
            MoveToColumn(i + m_indicatorOffset, 0);
    }
}

// --- Layout ----------------------------------------------------------------------

void TzkDBGridV::BeginUpdate()
{
    ++m_updateLock;
}

void TzkDBGridV::EndUpdate()
{
    if (m_updateLock > 0)
        --m_updateLock;
}

void TzkDBGridV::BeginLayout()
{
    BeginUpdate();
    if (m_layoutLock == 0)
        m_columns->BeginUpdate();
    ++m_layoutLock;
}

void TzkDBGridV::EndLayout()
{
    if (m_layoutLock <= 0)
        return;
    const auto finish = [this] {
        if (m_layoutLock == 1)
            m_columns->EndUpdate();
        --m_layoutLock;
        EndUpdate();
    };
    try {
        if (m_layoutLock == 1)
            InternalLayout();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TzkDBGridV::CancelLayout()
{
    if (m_layoutLock <= 0)
        return;
    if (m_layoutLock == 1)
        m_columns->EndUpdate();
    --m_layoutLock;
    EndUpdate();
}

bool TzkDBGridV::AcquireLayoutLock()
{
    if (m_updateLock != 0 || m_layoutLock != 0)
        return false;
    BeginLayout();
    return true;
}

void TzkDBGridV::RequestLayout()
{
    if (AcquireLayoutLock())
        EndLayout();
}

void TzkDBGridV::MapFields()
{
    TFDQuery *dataSet = m_dataLink->DataSet();
    if (m_columns->State() == csCustomized) {
        m_dataLink->SetSparseMap(true);
        for (int i = 0; i < m_columns->Count(); ++i)
            m_dataLink->AddMapping(m_columns->Items(i)->FieldName());
    } else {
        m_dataLink->SetSparseMap(false);
        for (int i = 0; i < dataSet->FieldCount(); ++i) {
            TField *field = dataSet->Fields(i);
            if (field->Visible())
                m_dataLink->AddMapping(field->FullName());
        }
    }
}

void TzkDBGridV::InternalLayout()
{
    // A default column before a given one: the given ones are the layout.
    bool seenDefault = false, mixed = false;
    for (int i = 0; i < m_columns->Count(); ++i) {
        if (!m_columns->Items(i)->IsStored())
            seenDefault = true;
        else if (seenDefault)
            mixed = true;
    }
    if (mixed) {
        for (int i = m_columns->Count() - 1; i >= 0; --i) {
            if (!m_columns->Items(i)->IsStored())
                m_columns->Delete(i);
        }
    }
    m_indicatorOffset = m_options.Has(dgIndicator) ? 1 : 0;
    m_dataLink->ClearMapping();
    if (m_dataLink->Active())
        MapFields();

    if (m_columns->State() == csCustomized) {
        // Each finds its field again by name when asked.
        for (int i = 0; i < m_columns->Count(); ++i)
            m_columns->Items(i)->m_field = nullptr;
    } else {
        if (!m_dataLink->Active()) {
            m_columns->Clear();
        } else {
            std::set<int> mapped;
            for (int i = 0; i < m_dataLink->FieldCount(); ++i)
                mapped.insert(m_dataLink->FieldMapIndex(i));
            for (int i = m_columns->Count() - 1; i >= 0; --i) {
                const TField *f = m_columns->Items(i)->m_field;
                if (!f || !mapped.count(f->Index()))
                    m_columns->Delete(i);
            }
        }
        int n = m_dataLink->FieldCount();
        if (n == 0 && m_columns->Count() == 0)
            n = 1; // an empty grid keeps one column
        for (int j = 0; j < n; ++j) {
            TField *field = m_dataLink->Fields(j);
            int found = -1;
            if (field) {
                for (int k = j; k < m_columns->Count(); ++k) {
                    if (m_columns->Items(k)->m_field == field) {
                        found = k;
                        break;
                    }
                }
            }
            if (found < 0) {
                TColumn *column = m_columns->AddDefaultColumn();
                found = m_columns->Count() - 1;
                if (field)
                    column->SetField(field);
            }
            m_columns->MoveItem(found, j);
        }
    }

    m_visibleColumns.clear();
    std::vector<TColumn *> all;
    for (int i = 0; i < m_columns->Count(); ++i) {
        TColumn *column = m_columns->Items(i);
        all.push_back(column);
        if (column->Showing())
            m_visibleColumns.push_back(column);
    }
    m_titleOffset = m_options.Has(dgTitles) ? 1 : 0;

    // Heights: a row is the text height plus 3 (and its line); the title row
    // fits the tallest title font.
    m_defaultRowHeight = QFontMetrics(font()).height() + 3 + (m_options.Has(dgRowLines) ? 1 : 0);
    m_titleHeight = 0;
    for (TColumn *column : m_visibleColumns)
        m_titleHeight = qMax(m_titleHeight, QFontMetrics(column->Title()->Font()).height() + 4);
    if (m_visibleColumns.empty())
        m_titleHeight = QFontMetrics(TitleFont()).height() + 4;
    m_indicator->setMinimumSectionSize(1);
    m_indicator->setDefaultSectionSize(m_defaultRowHeight);
    m_title->setVisible(m_options.Has(dgTitles));
    m_indicator->setVisible(m_options.Has(dgIndicator));

    m_model->SetShape(m_model->rowCount(), all);
    m_col = qBound(m_indicatorOffset, m_col, qMax(m_indicatorOffset, ColCount() - 1));
    ApplyColumnAttributes();
    m_title->updateGeometry();
    updateGeometries();
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    viewport()->update();
    m_title->viewport()->update();
    m_indicator->viewport()->update();
}

void TzkDBGridV::ApplyColumnAttributes()
{
    const int count = m_columns->Count();
    m_tabStops.assign(size_t(count), false);
    const QString dateTime = FormatSettings.ShortDateFormat + QLatin1Char(' ') + FormatSettings.ShortTimeFormat;
    for (int i = 0; i < count; ++i) {
        TColumn *column = m_columns->Items(i);
        TField *field = column->Field();
        if (field && IsDateTimeField(field->DataType()) && field->DisplayWidth() == 18)
            field->SetDisplayWidth(int(dateTime.size()));
        m_tabStops[size_t(i)] =
            column->Showing() && !column->ReadOnly() && m_dataLink->Active() && field && !field->ReadOnly();
        const int width = column->Width();
        if (i < m_model->columnCount()) {
            m_title->setSectionHidden(i, width < 0);
            if (width >= 0)
                m_title->resizeSection(i, width);
        }
    }
}

void TzkDBGridV::UpdateRowCount()
{
    int records = 1;
    if (m_dataLink->Active() && m_dataLink->DataSet()->RecordCount() > 0) {
        m_dataLink->SetBufferCount(VisibleRowCount());
        records = m_dataLink->RecordCount();
    }
    m_model->SetRows(records);
    UpdateActive();
}

void TzkDBGridV::UpdateScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    if (!m_dataLink->Active()) {
        if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return;
    }
    TFDQuery *dataSet = m_dataLink->DataSet();
    const qint64 count = dataSet->RecordCount();
    const int page = VisibleRowCount();
    const int max = int(qMin<qint64>(count, INT_MAX));
    const QSignalBlocker block(bar);
    bar->setRange(1, qMax(1, max));
    bar->setPageStep(page);
    bar->setSingleStep(1);
    const qint64 first = m_dataLink->FirstPosition();
    const int active = m_dataLink->ActiveRecord();
    bar->setValue(int(qMin<qint64>(first + qMax(0, active) + 1, INT_MAX)));
    const Qt::ScrollBarPolicy policy = count > page ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (verticalScrollBarPolicy() != policy)
        setVerticalScrollBarPolicy(policy);
}

void TzkDBGridV::UpdateActive()
{
    if (m_painting)
        return;
    const int row = qMax(0, m_dataLink->ActiveRecord());
    const int col = qBound(0, m_col - m_indicatorOffset, m_model->columnCount() - 1);
    const QModelIndex index = m_model->index(qMin(row, m_model->rowCount() - 1), col);
    if (currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    UpdateEditor();
}

void TzkDBGridV::RefreshData()
{
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActive();
    m_model->CellsChanged();
    viewport()->update();
    m_indicator->viewport()->update();
}

void TzkDBGridV::updateGeometries()
{
    QTableView::updateGeometries();
    // Every row of the window is on screen: the view itself never scrolls
    // vertically, the scroll bar stands for the data set's records.
    m_indicator->setOffset(0);
    UpdateScrollBar();
    UpdateEditor();
}

void TzkDBGridV::scrollContentsBy(int dx, int)
{
    QTableView::scrollContentsBy(dx, 0);
}

void TzkDBGridV::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QScrollBar *bar = verticalScrollBar();
    const int value = bar->value();
    QTableView::scrollTo(index, hint);
    const QSignalBlocker block(bar);
    bar->setValue(value);
}

bool TzkDBGridV::viewportEvent(QEvent *event)
{
    const bool result = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize && m_updateLock == 0) {
        UpdateRowCount();
        UpdateScrollBar();
    }
    return result;
}

void TzkDBGridV::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    m_title->viewport()->update();
}

void TzkDBGridV::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // Columns take the grid's font by default, the titles too unless
        // a title font was given.
        BeginLayout();
        EndLayout();
    } else if (event->type() == QEvent::EnabledChange) {
        viewport()->update();
    }
}

bool TzkDBGridV::eventFilter(QObject *watched, QEvent *event)
{
    // The wheel over the scroll bar moves the records as over the cells.
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// --- Link notifications ------------------------------------------------------------

void TzkDBGridV::LinkActive(bool active)
{
    m_bookmarks->ResetForLink(active);
    m_selecting = false;
    try {
        RequestLayout();
    } catch (...) {
        UpdateScrollBar();
        throw;
    }
    UpdateScrollBar();
}

void TzkDBGridV::DataChanged()
{
    RefreshData();
}

void TzkDBGridV::EditingChanged()
{
    if (m_options.Has(dgIndicator))
        m_indicator->viewport()->update();
}

void TzkDBGridV::RecordChanged(TField *field)
{
    if (!field) {
        viewport()->update();
    } else {
        for (int i = 0; i < m_columns->Count(); ++i) {
            if (m_columns->Items(i)->m_field == field)
                InvalidateColumn(i + m_indicatorOffset);
        }
    }
    m_model->CellsChanged();
    UpdateEditor();
}

void TzkDBGridV::LayoutChanged()
{
    const bool old = m_layoutFromDataset;
    m_layoutFromDataset = true;
    try {
        RequestLayout();
    } catch (...) {
        m_layoutFromDataset = old;
        throw;
    }
    m_layoutFromDataset = old;
}

void TzkDBGridV::UpdateData()
{
    DBGridUpdateData(SelectedField(), m_editText);
}

void TzkDBGridV::InvalidateSelection()
{
    viewport()->update();
    m_indicator->viewport()->update();
}

void TzkDBGridV::InvalidateCurrentRecord()
{
    InvalidateRow(Row());
}

void TzkDBGridV::InvalidateColumn(int col)
{
    const int d = col - m_indicatorOffset;
    if (d < 0 || d >= m_model->columnCount())
        return;
    viewport()->update(QRect(columnViewportPosition(d), 0, columnWidth(d), viewport()->height()));
}

void TzkDBGridV::InvalidateRow(int row)
{
    const int r = row - m_titleOffset;
    if (r < 0 || r >= m_model->rowCount())
        return;
    viewport()->update(QRect(0, rowViewportPosition(r), viewport()->width(), rowHeight(r)));
    m_indicator->viewport()->update(QRect(0, rowViewportPosition(r), m_indicator->width(), rowHeight(r)));
}

void TzkDBGridV::ColumnChanged(TColumn *column)
{
    const int i = column->Index();
    if (i < 0)
        return;
    InvalidateColumn(i + m_indicatorOffset);
    if (i < m_model->columnCount()) {
        const int width = column->Width();
        m_title->setSectionHidden(i, width < 0);
        if (width >= 0)
            m_title->resizeSection(i, width);
    }
    m_title->viewport()->update();
}

void TzkDBGridV::ColWidthsChanged(int)
{
    if (!(m_dataLink->Active() || m_columns->State() == csCustomized) || !AcquireLayoutLock())
        return;
    try {
        for (int i = 0; i < m_columns->Count() && i < m_model->columnCount(); ++i) {
            if (!m_title->isSectionHidden(i))
                m_columns->Items(i)->SetWidth(m_title->sectionSize(i));
        }
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

void TzkDBGridV::ColumnMoved(int fromIndex, int toIndex)
{
    if (fromIndex < 0 || fromIndex >= m_columns->Count() || fromIndex == toIndex)
        return;
    m_columns->Items(fromIndex)->SetIndex(toIndex);
    if (OnColumnMoved)
        OnColumnMoved(fromIndex, toIndex);
}

// --- Painting --------------------------------------------------------------------

bool TzkDBGridV::ShowsSelection() const
{
    return m_options.Has(dgAlwaysShowSelection) || hasFocus();
}

bool TzkDBGridV::IsCellHighlighted(int dataCol, int dataRow) const
{
    bool highlighted = false;
    if (m_options.Has(dgMultiSelect) && m_dataLink->Active()) {
        const TRecordId record = m_dataLink->BufferRecord(dataRow);
        highlighted = record >= 0 && m_bookmarks->Contains(record);
    }
    if (!highlighted) {
        const bool current = m_dataLink->Active() && dataRow == m_dataLink->ActiveRecord()
                             && (m_options.Has(dgRowSelect) || dataCol == m_col - m_indicatorOffset);
        highlighted = current && ShowsSelection() && (m_updateLock == 0 || m_options.Has(dgRowSelect));
    }
    // Selected records count across the field range only, unless whole
    // records are selected.
    return highlighted
           && (s_wholeRecordSelectedV
               || (dataCol >= qMin(m_colStart, m_colEnd) && dataCol <= qMax(m_colStart, m_colEnd)));
}

void TzkDBGridV::DrawGridLines(QPainter *painter, const QRect &rect, bool fixed)
{
    const QColor line = ColorToQColor(fixed ? clBtnShadow : clSilver);
    if (m_options.Has(dgColLines))
        painter->fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), line);
    if (m_options.Has(dgRowLines))
        painter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), line);
}

void TzkDBGridV::DrawFixedFrame(QPainter *painter, const QRect &rect)
{
    // A raised inner edge inside the grid lines.
    if (!(m_options.Has(dgRowLines) && m_options.Has(dgColLines)))
        return;
    const QRect r = rect.adjusted(0, 0, -1, -1);
    painter->fillRect(QRect(r.left(), r.top(), r.width(), 1), ColorToQColor(clBtnHighlight));
    painter->fillRect(QRect(r.left(), r.top(), 1, r.height()), ColorToQColor(clBtnHighlight));
    painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), ColorToQColor(clBtnShadow));
    painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), ColorToQColor(clBtnShadow));
}

void TzkDBGridV::DrawCell(QPainter *painter, const QRect &rect, int col, int row)
{
    const int dataCol = col - m_indicatorOffset;
    const int dataRow = row - m_titleOffset;
    TColumn *column = dataCol >= 0 && dataCol < m_columns->Count() ? m_columns->Items(dataCol) : nullptr;
    if (column && !column->Showing())
        return;
    QRect cell = rect;
    if (m_options.Has(dgColLines))
        cell.setRight(cell.right() - 1);
    if (m_options.Has(dgRowLines))
        cell.setBottom(cell.bottom() - 1);
    m_canvas.Painter = painter;
    m_canvas.BrushColor = column ? column->Color() : m_color;
    m_canvas.Font = column ? column->Font() : font();
    m_canvas.FontColor = clWindowText;
    const TRecordId record = m_dataLink->Active() ? m_dataLink->BufferRecord(dataRow) : -1;
    if (!column || record < 0) {
        m_canvas.FillRect(cell);
        DrawGridLines(painter, rect, false);
        return;
    }
    TField *field = column->Field();
    const QString text = field ? cellText(field->TextAt(record)) : QString();
    TGridDrawState state = 0;
    const bool current = dataRow == m_dataLink->ActiveRecord() && dataCol == m_col - m_indicatorOffset;
    if (current)
        state |= gdFocused;
    if (IsCellHighlighted(dataCol, dataRow)) {
        state |= gdSelected;
        m_canvas.BrushColor = clHighlight;
        m_canvas.FontColor = clHighlightText;
    }
    if (!isEnabled())
        m_canvas.FontColor = clGrayText;
    if (m_defaultDrawing) {
        m_canvas.Apply();
        DrawCellText(painter, cell, 2, 2, text, column->Alignment());
    }
    if (OnDrawDataCell || OnDrawColumnCell) {
        // The handlers' fields read the record being painted, and what they
        // paint stays in the cell: nothing paints over the space beside the
        // last column afterwards.
        TFDQuery *dataSet = m_dataLink->DataSet();
        struct Restore
        {
            TzkDBGridV *grid;
            TFDQuery *dataSet;
            QPainter *painter;
            ~Restore()
            {
                painter->restore();
                dataSet->SetActiveRecord(-1);
                grid->m_painting = false;
            }
        } restore{this, dataSet, painter};
        painter->save();
        painter->setClipRect(cell, Qt::IntersectClip);
        m_painting = true;
        dataSet->SetActiveRecord(record);
        if (OnDrawDataCell && m_columns->State() == csDefault)
            OnDrawDataCell(cell, field, state);
        if (OnDrawColumnCell)
            OnDrawColumnCell(cell, dataCol, column, state);
    }
    if (m_defaultDrawing && current && ShowsSelection() && !m_options.Has(dgRowSelect) && m_updateLock == 0
        && hasFocus()) {
        QPen pen(ColorToQColor(m_canvas.FontColor), 1, Qt::DotLine);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    }
    DrawGridLines(painter, rect, false);
}

void TzkDBGridV::DefaultDrawColumnCell(const QRect &rect, int, TColumn *column, TGridDrawState)
{
    TField *field = column ? column->Field() : nullptr;
    const QString text = field ? cellText(field->AsString()) : QString();
    m_canvas.Apply();
    DrawCellText(m_canvas.Painter, rect, 2, 2, text, column ? column->Alignment() : taLeftJustify);
}

void TzkDBGridV::DefaultDrawDataCell(const QRect &rect, TField *field, TGridDrawState)
{
    const QString text = field ? cellText(field->AsString()) : QString();
    m_canvas.Apply();
    DrawCellText(m_canvas.Painter, rect, 2, 2, text, field ? field->Alignment() : taLeftJustify);
}

void TzkDBGridV::DrawTitleCell(QPainter *painter, const QRect &rect, int col)
{
    const int dataCol = col - m_indicatorOffset;
    if (dataCol < 0 || dataCol >= m_columns->Count()) {
        painter->fillRect(rect, ColorToQColor(m_fixedColor));
        DrawGridLines(painter, rect, true);
        return;
    }
    TColumn *column = m_columns->Items(dataCol);
    TColumnTitle *title = column->Title();
    const bool framed = m_options.Has(dgRowLines) && m_options.Has(dgColLines);
    const int frameOffset = framed ? 1 : 2;
    QRect r = rect;
    if (m_options.Has(dgColLines))
        r.setRight(r.right() - 1);
    if (m_options.Has(dgRowLines))
        r.setBottom(r.bottom() - 1);
    painter->setBrush(ColorToQColor(title->Color()));
    painter->setPen(ColorToQColor(clBtnText));
    painter->setFont(title->Font());
    DrawCellText(painter, r, frameOffset + 1, frameOffset, cellText(title->Caption()), title->Alignment());
    DrawFixedFrame(painter, r.adjusted(0, 0, 1, 1));
    DrawGridLines(painter, rect, true);
}

void TzkDBGridV::DrawIndicatorCell(QPainter *painter, const QRect &rect, int row)
{
    const int dataRow = row - m_titleOffset;
    QRect r = rect;
    if (m_options.Has(dgColLines))
        r.setRight(r.right() - 1);
    if (m_options.Has(dgRowLines))
        r.setBottom(r.bottom() - 1);
    painter->fillRect(r, ColorToQColor(m_fixedColor));
    const bool framed = m_options.Has(dgRowLines) && m_options.Has(dgColLines);
    if (m_dataLink->Active()) {
        const TRecordId record = m_dataLink->BufferRecord(dataRow);
        const bool active = record >= 0 && dataRow == m_dataLink->ActiveRecord();
        const bool selected = record >= 0 && m_options.Has(dgMultiSelect) && m_bookmarks->Contains(record);
        if (active || selected) {
            int image = 0;
            switch (m_dataLink->DataSet()->State()) {
            case dsEdit: image = 1; break;
            case dsInsert: image = 2; break;
            case dsBrowse:
                if (selected)
                    image = active ? 4 : 3;
                break;
            default: break;
            }
            const QPixmap &pixmap = IndicatorImages().at(image);
            const int x = r.left() + r.width() - pixmap.width() - (framed ? 1 : 2);
            const int y = r.top() + (r.height() - pixmap.height()) / 2;
            painter->drawPixmap(x, y, pixmap);
        }
    }
    DrawFixedFrame(painter, r.adjusted(0, 0, 1, 1));
    DrawGridLines(painter, rect, true);
}

// --- Headers ---------------------------------------------------------------------

TzkDBGridTitle::TzkDBGridTitle(TzkDBGridV *grid)
    : QHeaderView(Qt::Horizontal, grid)
    , m_grid(grid)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setMinimumSectionSize(1);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QHeaderView::sectionResized, this, [this] { m_dragged = true; });
    connect(this, &QHeaderView::sectionMoved, this, [this] { m_dragged = true; });
}

QSize TzkDBGridTitle::sizeHint() const
{
    return QSize(QHeaderView::sizeHint().width(), m_grid->m_titleHeight);
}

void TzkDBGridTitle::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    m_grid->DrawTitleCell(painter, rect, logicalIndex + m_grid->IndicatorOffset());
}

void TzkDBGridTitle::mousePressEvent(QMouseEvent *event)
{
    m_pressed = logicalIndexAt(event->position().toPoint());
    m_dragged = false;
    m_passed = false;
    if (!m_grid->AcquireFocus())
        return;
    if (m_grid->Options().Has(dgColumnResize)) {
        m_passed = true;
        QHeaderView::mousePressEvent(event);
        return;
    }
    const QPoint p = viewport()->mapTo(m_grid, event->position().toPoint());
    m_grid->TitleMouseDown(event->button(), event->modifiers(),
                           m_pressed < 0 ? -1 : m_pressed + m_grid->IndicatorOffset(), p.x());
}

void TzkDBGridTitle::mouseMoveEvent(QMouseEvent *event)
{
    if (m_passed || !(event->buttons() & Qt::LeftButton))
        QHeaderView::mouseMoveEvent(event);
    if (m_grid->OnMouseMove) {
        const QPoint p = viewport()->mapTo(m_grid, event->position().toPoint());
        m_grid->OnMouseMove(event->modifiers(), p.x(), p.y());
    }
}

void TzkDBGridTitle::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_passed)
        QHeaderView::mouseReleaseEvent(event);
    m_passed = false;
    if (event->button() == Qt::LeftButton && !m_dragged && m_pressed >= 0
        && logicalIndexAt(event->position().toPoint()) == m_pressed)
        m_grid->TitleClicked(m_pressed + m_grid->IndicatorOffset());
    m_pressed = -1;
}

TzkDBGridIndicator::TzkDBGridIndicator(TzkDBGridV *grid)
    : QHeaderView(Qt::Vertical, grid)
    , m_grid(grid)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(1);
}

QSize TzkDBGridIndicator::sizeHint() const
{
    return QSize(TzkDBGridV::IndicatorWidth, m_grid->DefaultRowHeight());
}

void TzkDBGridIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    m_grid->DrawIndicatorCell(painter, rect, logicalIndex + m_grid->TitleOffset());
}

void TzkDBGridIndicator::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const int row = logicalIndexAt(p.y());
    const QPoint g = viewport()->mapTo(m_grid, p);
    m_grid->GridMouseDown(event->button(), event->modifiers(), 0, row < 0 ? -1 : row + m_grid->TitleOffset(), g.x());
}

void TzkDBGridIndicator::mouseMoveEvent(QMouseEvent *event)
{
    if (m_grid->OnMouseMove) {
        const QPoint p = viewport()->mapTo(m_grid, event->position().toPoint());
        m_grid->OnMouseMove(event->modifiers(), p.x(), p.y());
    }
}

void TzkDBGridIndicator::mouseReleaseEvent(QMouseEvent *)
{
}

void TzkDBGridIndicator::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_grid->OnDblClick)
        m_grid->OnDblClick();
}
