#include "controls/zkdbgridh.h"

#include "controls/zkdbgrid_shared.h"
#include "core/zkforms.h"
#include "core/zkoption.h"
#include "platform/fonts/fontmap.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <set>

// --- The Qt pieces ----------------------------------------------------------------

// Rows are the field rows (at least one), columns the records on screen (at
// least one, so an empty or closed grid shows one empty record column).
class TzkDBGridHModel : public QAbstractTableModel
{
public:
    explicit TzkDBGridHModel(TzkDBGridH *grid)
        : QAbstractTableModel(grid)
        , m_grid(grid)
    {
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_cols; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_grid->m_rows->Count())
            return QVariant();
        const TRecordId record = m_grid->m_dataLink->Active() ? m_grid->m_dataLink->BufferRecord(index.column()) : -1;
        const TField *field = record >= 0 ? m_grid->m_rows->Items(index.row())->Field() : nullptr;
        return field ? field->TextAt(record) : QString();
    }
    void SetShape(int rows, int cols)
    {
        rows = qMax(1, rows);
        cols = qMax(1, cols);
        if (rows != m_rows) {
            beginResetModel();
            m_rows = rows;
            m_cols = cols;
            endResetModel();
            return;
        }
        SetCols(cols);
    }
    void SetCols(int cols)
    {
        cols = qMax(1, cols);
        if (cols > m_cols) {
            beginInsertColumns(QModelIndex(), m_cols, cols - 1);
            m_cols = cols;
            endInsertColumns();
        } else if (cols < m_cols) {
            beginRemoveColumns(QModelIndex(), cols, m_cols - 1);
            m_cols = cols;
            endRemoveColumns();
        }
    }
    void CellsChanged() { emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1)); }

private:
    TzkDBGridH *m_grid;
    int m_rows = 1;
    int m_cols = 1;
};

class TzkDBGridHDelegate : public QStyledItemDelegate
{
public:
    explicit TzkDBGridHDelegate(TzkDBGridH *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_grid->DrawCell(painter, option.rect, index.column() + m_grid->TitleOffset(),
                         index.row() + m_grid->IndicatorOffset());
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(m_grid->DefaultColWidth(), m_grid->DefaultRowHeight());
    }

private:
    TzkDBGridH *m_grid;
};

// The title column: one title per field row. A press and release on the
// same title is a title click.
class TzkDBGridHTitle : public QHeaderView
{
public:
    explicit TzkDBGridHTitle(TzkDBGridH *grid)
        : QHeaderView(Qt::Vertical, grid)
        , m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(true);
        setHighlightSections(false);
        setMinimumSectionSize(0);
    }
    QSize sizeHint() const override { return QSize(m_grid->m_titleWidth, m_grid->DefaultRowHeight()); }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        m_grid->DrawTitleCell(painter, rect, logicalIndex + m_grid->IndicatorOffset());
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        m_pressed = logicalIndexAt(event->position().toPoint());
        if (!m_grid->AcquireFocus())
            return;
        m_grid->TitleMouseDown(event->button(), event->modifiers(),
                               m_pressed < 0 ? -1 : m_pressed + m_grid->IndicatorOffset());
    }
    void mouseMoveEvent(QMouseEvent *) override {}
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && m_pressed >= 0
            && logicalIndexAt(event->position().toPoint()) == m_pressed)
            m_grid->TitleClicked(m_pressed + m_grid->IndicatorOffset());
        m_pressed = -1;
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && m_grid->OnDblClick)
            m_grid->OnDblClick();
    }

private:
    TzkDBGridH *m_grid;
    int m_pressed = -1;
};

// The indicator row over the record columns; with dgColumnResize the user
// sizes the record columns on it.
class TzkDBGridHIndicator : public QHeaderView
{
public:
    explicit TzkDBGridHIndicator(TzkDBGridH *grid)
        : QHeaderView(Qt::Horizontal, grid)
        , m_grid(grid)
    {
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(1);
    }
    QSize sizeHint() const override
    {
        const int h = m_grid->TitleOffset() ? m_grid->m_titleHeight : m_grid->DefaultRowHeight();
        return QSize(QHeaderView::sizeHint().width(), h);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        m_grid->DrawIndicatorCell(painter, rect, logicalIndex + m_grid->TitleOffset());
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        const QPoint p = event->position().toPoint();
        // A press on a column edge sizes the columns.
        if (m_grid->Options().Has(dgColumnResize) && cursor().shape() == Qt::SplitHCursor) {
            m_passed = true;
            QHeaderView::mousePressEvent(event);
            return;
        }
        const int col = logicalIndexAt(p.x());
        m_grid->GridMouseDown(event->button(), event->modifiers(), col < 0 ? -1 : col + m_grid->TitleOffset(), 0,
                              viewport()->mapTo(m_grid, p).y());
    }
    void mouseMoveEvent(QMouseEvent *event) override { QHeaderView::mouseMoveEvent(event); }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (m_passed)
            QHeaderView::mouseReleaseEvent(event);
        m_passed = false;
    }

private:
    TzkDBGridH *m_grid;
    bool m_passed = false;
};

namespace {

bool s_wholeRecordSelectedH = false;

// The result font of the options and a record column as wide as
// DataColWidthH letters "A".
const bool s_settingsRegistered = [] {
    RegisterControlSettings([](QWidget *control) {
        auto *grid = qobject_cast<TzkDBGridH *>(control);
        if (!grid)
            return false;
        QFont font(FontMap::substitute(zkOption.DataFontName), zkOption.DataFontSize);
        font.setFixedPitch(true);
        grid->setFont(font);
        const QString letters(qMax(1, zkOption.DataColWidthH), QLatin1Char('A'));
        grid->SetDefaultColWidth(QFontMetrics(font).horizontalAdvance(letters));
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

struct InputScope
{
    InputScope(bool &active, Qt::KeyboardModifiers &shiftRef, int &keyRef, Qt::KeyboardModifiers shift, int key)
        : m_active(active)
        , m_shiftRef(shiftRef)
        , m_keyRef(keyRef)
        , m_oldActive(active)
        , m_oldShift(shiftRef)
        , m_oldKey(keyRef)
    {
        active = true;
        shiftRef = shift;
        keyRef = key;
    }
    ~InputScope()
    {
        m_active = m_oldActive;
        m_shiftRef = m_oldShift;
        m_keyRef = m_oldKey;
    }
    bool &m_active;
    Qt::KeyboardModifiers &m_shiftRef;
    int &m_keyRef;
    bool m_oldActive;
    Qt::KeyboardModifiers m_oldShift;
    int m_oldKey;
};

} // namespace

#define ZK_INPUT(shift, key) const InputScope inputScope_(m_inInput, m_inputShift, m_inputKey, shift, key)

// --- TRow -------------------------------------------------------------------------

QString TRowTitle::DefaultCaption() const
{
    const TField *field = m_row->Field();
    return field ? field->DisplayName() : QString();
}

TColor TRowTitle::DefaultColor() const
{
    return m_row->Grid()->FixedColor();
}

QFont TRowTitle::DefaultFont() const
{
    return m_row->Grid()->TitleFont();
}

QString TRowTitle::Caption() const
{
    return DefaultCaption();
}

void TRowTitle::SetCaption(const QString &value)
{
    // The row is the grid's own: its caption is the field's label.
    if (m_row->linkActive() && m_row->Field())
        m_row->Field()->SetDisplayLabel(value);
}

TAlignment TRowTitle::Alignment() const
{
    return m_row->m_assigned.Has(cvTitleAlignment) ? m_alignment : DefaultAlignment();
}

void TRowTitle::SetAlignment(TAlignment value)
{
    if (m_row->m_assigned.Has(cvTitleAlignment) && value == m_alignment)
        return;
    m_alignment = value;
    m_row->m_assigned.Include(cvTitleAlignment);
    m_row->Changed();
}

TColor TRowTitle::Color() const
{
    return m_row->m_assigned.Has(cvTitleColor) ? m_color : DefaultColor();
}

void TRowTitle::SetColor(TColor value)
{
    if (m_row->m_assigned.Has(cvTitleColor) && value == m_color)
        return;
    m_color = value;
    m_row->m_assigned.Include(cvTitleColor);
    m_row->Changed();
}

QFont TRowTitle::Font() const
{
    return m_row->m_assigned.Has(cvTitleFont) ? m_font : DefaultFont();
}

void TRowTitle::SetFont(const QFont &value)
{
    // The title column fits the widest title: a layout.
    m_font = value;
    m_row->m_assigned.Include(cvTitleFont);
    m_row->Changed(true);
}

void TRowTitle::RestoreDefaults()
{
    const bool fontSet = m_row->m_assigned.Has(cvTitleFont);
    for (TColumnValue v : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont})
        m_row->m_assigned.Exclude(v);
    m_row->Changed(fontSet);
}

TRow::TRow(TzkDBGridH *grid)
    : m_grid(grid)
    , m_title(std::make_unique<TRowTitle>(this))
{
}

int TRow::Index() const
{
    const auto &items = m_grid->m_rows->m_items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].get() == this)
            return int(i);
    }
    return -1;
}

void TRow::SetIndex(int value)
{
    const int from = Index();
    value = qBound(0, value, m_grid->m_rows->Count() - 1);
    if (from < 0 || value == from)
        return;
    if (m_grid->m_dataLink->Active() && m_grid->AcquireLayoutLock()) {
        // The field takes the place of the field shown at the target; the
        // layout then puts the rows in the fields' order.
        try {
            TField *target = m_grid->m_rows->Items(value)->Field();
            if (target && m_field)
                m_field->SetIndex(target->Index());
        } catch (...) {
            m_grid->EndLayout();
            throw;
        }
        m_grid->EndLayout();
    }
    auto &items = m_grid->m_rows->m_items;
    const int now = Index();
    if (now != value && now >= 0) {
        auto item = std::move(items[size_t(now)]);
        items.erase(items.begin() + now);
        items.insert(items.begin() + value, std::move(item));
        m_grid->RequestLayout();
    }
}

void TRow::SetField(TField *value)
{
    if (value == m_field)
        return;
    m_field = value;
    RestoreDefaults();
}

QString TRow::FieldName() const
{
    return m_field ? m_field->FullName() : QString();
}

bool TRow::linkActive() const
{
    return m_grid->m_dataLink->Active();
}

void TRow::Changed(bool whole)
{
    m_grid->RowChanged(whole ? nullptr : this);
}

void TRow::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    m_visible = value;
    Changed(true);
}

TColor TRow::DefaultColor() const
{
    return m_grid->Color();
}

QFont TRow::DefaultFont() const
{
    return m_grid->font();
}

TAlignment TRow::DefaultAlignment() const
{
    return m_field ? m_field->Alignment() : taLeftJustify;
}

bool TRow::DefaultReadOnly() const
{
    return m_grid->ReadOnly() || (m_field && m_field->ReadOnly());
}

TColor TRow::Color() const
{
    return m_assigned.Has(cvColor) ? m_color : DefaultColor();
}

void TRow::SetColor(TColor value)
{
    if (m_assigned.Has(cvColor) && value == m_color)
        return;
    m_color = value;
    m_assigned.Include(cvColor);
    Changed();
}

QFont TRow::Font() const
{
    return m_assigned.Has(cvFont) ? m_font : DefaultFont();
}

void TRow::SetFont(const QFont &value)
{
    m_font = value;
    m_assigned.Include(cvFont);
    Changed();
}

TAlignment TRow::Alignment() const
{
    return m_assigned.Has(cvAlignment) ? m_alignment : DefaultAlignment();
}

void TRow::SetAlignment(TAlignment value)
{
    if (linkActive() && m_field)
        m_field->SetAlignment(value);
}

bool TRow::ReadOnly() const
{
    return m_assigned.Has(cvReadOnly) ? m_readOnly : DefaultReadOnly();
}

void TRow::SetReadOnly(bool value)
{
    if (linkActive() && m_field) {
        m_field->SetReadOnly(value);
        return;
    }
    if (m_assigned.Has(cvReadOnly) && value == m_readOnly)
        return;
    m_readOnly = value;
    m_assigned.Include(cvReadOnly);
    Changed();
}

void TRow::SetButtonStyle(TColumnButtonStyle value)
{
    if (value == m_buttonStyle)
        return;
    m_buttonStyle = value;
    Changed();
}

void TRow::RestoreDefaults()
{
    const bool fontSet = m_assigned.Has(cvFont);
    m_title->RestoreDefaults();
    m_assigned = TColumnValues();
    m_pickList.clear();
    m_buttonStyle = cbsAuto;
    Changed(fontSet);
}

void TDBGridRows::RestoreDefaults()
{
    for (const auto &item : m_items)
        item->RestoreDefaults();
}

// --- TzkDBGridH ----------------------------------------------------------------------

TzkDBGridH::TzkDBGridH(QWidget *parent)
    : QTableView(parent)
    , m_dataLink(std::make_unique<TGridDataLink>(static_cast<IzkDBGridLink *>(this)))
    , m_rows(std::make_unique<TDBGridRows>(this))
    , m_bookmarks(std::make_unique<TBookmarkList>(static_cast<IzkDBGridLink *>(this), m_dataLink.get()))
    , m_model(new TzkDBGridHModel(this))
    , m_delegate(new TzkDBGridHDelegate(this))
    , m_title(new TzkDBGridHTitle(this))
    , m_indicator(new TzkDBGridHIndicator(this))
{
    Q_UNUSED(s_settingsRegistered)
    m_options = TDBGridOptions::Default() + dgAlwaysShowEditor;
    setHorizontalHeader(m_indicator);
    setVerticalHeader(m_title);
    setItemDelegate(m_delegate);
    setModel(m_model);
    // The grid keeps its own selection: Qt's header presses select nothing.
    disconnect(m_title, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(m_title, &QHeaderView::sectionEntered, this, nullptr);
    disconnect(m_indicator, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(m_indicator, &QHeaderView::sectionEntered, this, nullptr);
    disconnect(m_indicator, &QHeaderView::sectionHandleDoubleClicked, this, nullptr);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setAutoScroll(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    connect(horizontalScrollBar(), &QScrollBar::sliderReleased, this, &TzkDBGridH::ScrollBarThumbReleased);
    connect(m_indicator, &QHeaderView::sectionResized, this, [this] { ColWidthsChanged(); });
    connect(m_title, &QHeaderView::sectionMoved, this, [this](int, int oldVisual, int newVisual) {
        // The header only reports the move: the rows make it.
        const QSignalBlocker block(m_title);
        m_title->moveSection(newVisual, oldVisual);
        QMetaObject::invokeMethod(
            this, [this, oldVisual, newVisual] { MoveRow(oldVisual, newVisual); }, Qt::QueuedConnection);
    });
    QPalette p = palette();
    p.setColor(QPalette::Base, ColorToQColor(m_color));
    setPalette(p);
    m_indicator->setSectionResizeMode(m_options.Has(dgColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
    horizontalScrollBar()->installEventFilter(this);
    RequestLayout();
}

TzkDBGridH::~TzkDBGridH()
{
    // Gone before the view; the editor must not call back while the focus
    // leaves it.
    if (m_inplaceEdit)
        m_inplaceEdit->GridGone();
    m_bookmarks.reset();
    m_dataLink.reset();
}

const QList<QPixmap> &TzkDBGridH::IndicatorImages()
{
    // The record grid's images turned a quarter to point down.
    static const QList<QPixmap> images = [] {
        QList<QPixmap> list;
        for (const QPixmap &image : TzkDBGridV::IndicatorImages())
            list << image.transformed(QTransform().rotate(90));
        return list;
    }();
    return images;
}

bool TzkDBGridH::WholeRecordSelectedH()
{
    return s_wholeRecordSelectedH;
}

void TzkDBGridH::SetWholeRecordSelectedH(bool value)
{
    s_wholeRecordSelectedH = value;
}

void TzkDBGridH::SetDataSource(TDataSource *source)
{
    if (source == DataSource())
        return;
    m_bookmarks->Clear();
    m_dataLink->SetDataSource(source);
}

void TzkDBGridH::SetOptions(TDBGridOptions value)
{
    if (value == m_options)
        return;
    if (value.Has(dgRowSelect)) {
        value.Exclude(dgEditing);
        value.Exclude(dgAlwaysShowEditor);
    }
    if (m_options.Has(dgMultiSelect) && !value.Has(dgMultiSelect))
        m_bookmarks->Clear();
    m_options = value;
    m_indicator->setSectionResizeMode(value.Has(dgColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
    setTabKeyNavigation(value.Has(dgTabs));
    RequestLayout();
    viewport()->update();
}

void TzkDBGridH::SetReadOnly(bool value)
{
    m_readOnly = value;
    RequestLayout();
}

void TzkDBGridH::SetColor(TColor value)
{
    m_color = value;
    QPalette p = palette();
    p.setColor(QPalette::Base, ColorToQColor(value));
    setPalette(p);
    viewport()->update();
}

void TzkDBGridH::SetFixedColor(TColor value)
{
    m_fixedColor = value;
    m_title->viewport()->update();
    m_indicator->viewport()->update();
}

void TzkDBGridH::SetTitleFont(const QFont &value)
{
    m_titleFont = value;
    m_titleFontAssigned = true;
    RequestLayout();
}

void TzkDBGridH::SetDefaultColWidth(int value)
{
    if (value == m_defaultColWidth || value <= 0)
        return;
    m_defaultColWidth = value;
    RequestLayout();
}

int TzkDBGridH::ColCount() const
{
    return m_model->columnCount() + m_titleOffset;
}

int TzkDBGridH::RowCount() const
{
    return qMax(1, m_rows->Count()) + m_indicatorOffset;
}

int TzkDBGridH::Col() const
{
    return qMax(0, m_dataLink->ActiveRecord()) + m_titleOffset;
}

int TzkDBGridH::VisibleColCount() const
{
    return qMax(1, viewport()->width() / qMax(1, m_defaultColWidth));
}

int TzkDBGridH::GetColWidth(int col) const
{
    if (col < m_titleOffset)
        return m_title->isVisible() ? m_title->width() : 0;
    const int c = col - m_titleOffset;
    return c < m_model->columnCount() ? columnWidth(c) : 0;
}

int TzkDBGridH::RowHeights(int row) const
{
    if (row < m_indicatorOffset)
        return m_indicator->height();
    const int r = row - m_indicatorOffset;
    return r < m_model->rowCount() ? rowHeight(r) : 0;
}

QRect TzkDBGridH::GetCellRect(int col, int row) const
{
    return DBGridCellRect(this, m_titleOffset, m_indicatorOffset, col, row);
}

TGridCoord TzkDBGridH::MouseCoord(int x, int y) const
{
    return DBGridMouseCoord(this, m_titleOffset, m_indicatorOffset, x, y);
}

TField *TzkDBGridH::SelectedField() const
{
    const int index = SelectedIndex();
    if (index < 0 || index >= m_rows->Count())
        return nullptr;
    return m_rows->Items(index)->Field();
}

void TzkDBGridH::SetSelectedIndex(int value)
{
    MoveToRow(value + m_indicatorOffset, 0);
}

QString TzkDBGridH::GetEditText(int col, int row) const
{
    const int r = row - m_indicatorOffset;
    if (!m_dataLink->Active() || r < 0 || r >= m_rows->Count())
        return QString();
    const TRecordId record = m_dataLink->BufferRecord(col - m_titleOffset);
    const TField *field = m_rows->Items(r)->Field();
    if (record < 0 || !field || field->IsNullAt(record))
        return QString();
    return field->TextAt(record);
}

// --- Layout ----------------------------------------------------------------------

void TzkDBGridH::EndUpdate()
{
    if (m_updateLock > 0)
        --m_updateLock;
}

void TzkDBGridH::BeginLayout()
{
    BeginUpdate();
    ++m_layoutLock;
}

void TzkDBGridH::EndLayout()
{
    if (m_layoutLock <= 0)
        return;
    const auto finish = [this] {
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

bool TzkDBGridH::AcquireLayoutLock()
{
    if (m_updateLock != 0 || m_layoutLock != 0)
        return false;
    BeginLayout();
    return true;
}

void TzkDBGridH::RequestLayout()
{
    if (AcquireLayoutLock())
        EndLayout();
}

void TzkDBGridH::MapFields()
{
    TFDQuery *dataSet = m_dataLink->DataSet();
    m_dataLink->SetSparseMap(false);
    for (int i = 0; i < dataSet->FieldCount(); ++i) {
        TField *field = dataSet->Fields(i);
        if (field->Visible())
            m_dataLink->AddMapping(field->FullName());
    }
}

void TzkDBGridH::InternalLayout()
{
    m_indicatorOffset = m_options.Has(dgIndicator) ? 1 : 0;
    m_titleOffset = m_options.Has(dgTitles) ? 1 : 0;
    m_dataLink->ClearMapping();
    if (m_dataLink->Active())
        MapFields();

    // A row stays with its field (and what was set on it); rows of fields
    // gone are dropped.
    auto &items = m_rows->m_items;
    std::vector<std::unique_ptr<TRow>> kept;
    for (int j = 0; j < m_dataLink->FieldCount(); ++j) {
        TField *field = m_dataLink->Fields(j);
        auto found = std::find_if(items.begin(), items.end(),
                                  [field](const std::unique_ptr<TRow> &r) { return r && r->Field() == field; });
        if (found != items.end()) {
            kept.push_back(std::move(*found));
        } else {
            kept.push_back(std::make_unique<TRow>(this));
            kept.back()->SetField(field);
        }
    }
    items = std::move(kept);

    // Heights: a row is the text height plus 3 (and its line); the
    // indicator row takes the title height.
    m_defaultRowHeight = QFontMetrics(font()).height() + 3 + (m_options.Has(dgRowLines) ? 1 : 0);
    m_titleHeight = QFontMetrics(TitleFont()).height() + 4;
    // The title column fits the widest caption.
    m_titleWidth = 64;
    const QFontMetrics titleMetrics(TitleFont());
    for (const auto &row : items)
        m_titleWidth = qMax(m_titleWidth, titleMetrics.horizontalAdvance(row->Title()->Caption()) + 4);

    m_title->setDefaultSectionSize(m_defaultRowHeight);
    m_title->setVisible(m_options.Has(dgTitles));
    m_indicator->setVisible(m_options.Has(dgIndicator));
    m_indicator->setDefaultSectionSize(m_defaultColWidth);
    m_model->SetShape(int(items.size()), m_model->columnCount());
    for (int i = 0; i < m_model->rowCount(); ++i) {
        const bool hidden = i < int(items.size()) && !items[size_t(i)]->Visible();
        m_title->setSectionHidden(i, hidden);
        if (!hidden)
            m_title->resizeSection(i, m_defaultRowHeight);
    }
    m_row = qBound(m_indicatorOffset, m_row, qMax(m_indicatorOffset, RowCount() - 1));
    m_title->setFixedWidth(m_options.Has(dgTitles) ? m_titleWidth : 0);
    m_indicator->setFixedHeight(m_options.Has(dgIndicator) ? (m_titleOffset ? m_titleHeight : m_defaultRowHeight) : 0);
    updateGeometries();
    UpdateColCount();
    UpdateScrollBar();
    UpdateActive();
    RepaintAll();
}

void TzkDBGridH::UpdateColCount()
{
    int records = 1;
    if (m_dataLink->Active() && m_dataLink->DataSet()->RecordCount() > 0) {
        m_dataLink->SetBufferCount(VisibleColCount());
        records = m_dataLink->RecordCount();
    }
    m_model->SetCols(records);
    // Every record column is as wide as the others.
    const QSignalBlocker block(m_indicator);
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_indicator->sectionSize(c) != m_defaultColWidth)
            m_indicator->resizeSection(c, m_defaultColWidth);
    }
    UpdateActive();
}

void TzkDBGridH::UpdateScrollBar()
{
    QScrollBar *bar = horizontalScrollBar();
    if (!m_dataLink->Active()) {
        if (horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
            setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return;
    }
    const qint64 count = m_dataLink->DataSet()->RecordCount();
    const int page = VisibleColCount();
    const QSignalBlocker block(bar);
    bar->setRange(1, qMax(1, int(qMin<qint64>(count, INT_MAX))));
    bar->setPageStep(page);
    bar->setSingleStep(1);
    const qint64 at = m_dataLink->FirstPosition() + qMax(0, m_dataLink->ActiveRecord()) + 1;
    bar->setValue(int(qMin<qint64>(at, INT_MAX)));
    const Qt::ScrollBarPolicy policy = count > page ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != policy)
        setHorizontalScrollBarPolicy(policy);
}

void TzkDBGridH::UpdateActive()
{
    if (m_painting)
        return;
    const int col = qMin(qMax(0, m_dataLink->ActiveRecord()), m_model->columnCount() - 1);
    const int row = qBound(0, m_row - m_indicatorOffset, m_model->rowCount() - 1);
    const QModelIndex index = m_model->index(row, col);
    if (currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    UpdateEditor();
}

void TzkDBGridH::RepaintAll()
{
    viewport()->update();
    m_title->viewport()->update();
    m_indicator->viewport()->update();
}

void TzkDBGridH::RefreshData()
{
    UpdateColCount();
    UpdateScrollBar();
    m_model->CellsChanged();
    RepaintAll();
}

void TzkDBGridH::updateGeometries()
{
    QTableView::updateGeometries();
    // Every record of the window is on screen: the view never scrolls
    // sideways, the scroll bar stands for the data set's records.
    m_indicator->setOffset(0);
    UpdateScrollBar();
    UpdateEditor();
}

void TzkDBGridH::scrollContentsBy(int, int dy)
{
    QTableView::scrollContentsBy(0, dy);
}

void TzkDBGridH::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    QScrollBar *bar = horizontalScrollBar();
    const int value = bar->value();
    QTableView::scrollTo(index, hint);
    const QSignalBlocker block(bar);
    bar->setValue(value);
    m_indicator->setOffset(0);
}

bool TzkDBGridH::viewportEvent(QEvent *event)
{
    const bool result = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize && m_updateLock == 0) {
        UpdateColCount();
        UpdateScrollBar();
    }
    return result;
}

bool TzkDBGridH::eventFilter(QObject *watched, QEvent *event)
{
    // The scroll bar stands for records: the wheel over it moves the field
    // row as over the cells, never the bar alone.
    if (watched == horizontalScrollBar() && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void TzkDBGridH::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        RequestLayout();
    else if (event->type() == QEvent::EnabledChange)
        viewport()->update();
}

void TzkDBGridH::ColWidthsChanged()
{
    if (!m_dataLink->Active() || !AcquireLayoutLock())
        return;
    try {
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const int width = m_indicator->sectionSize(c);
            if (width != m_defaultColWidth && width > 0) {
                m_defaultColWidth = width;
                break;
            }
        }
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
    // The editor follows the new width.
    if (m_options.Has(dgAlwaysShowEditor)) {
        HideEditor();
        ShowEditor();
    }
}

// --- Link notifications ------------------------------------------------------------

void TzkDBGridH::LinkActive(bool active)
{
    m_bookmarks->ResetForLink(active);
    m_selecting = false;
    LinkActivated(active);
}

void TzkDBGridH::LinkActivated(bool)
{
    try {
        RequestLayout();
    } catch (...) {
        UpdateScrollBar();
        throw;
    }
    UpdateScrollBar();
}

void TzkDBGridH::DataChanged()
{
    RefreshData();
}

void TzkDBGridH::EditingChanged()
{
    if (m_options.Has(dgIndicator))
        m_indicator->viewport()->update();
}

void TzkDBGridH::RecordChanged(TField *)
{
    m_model->CellsChanged();
    viewport()->update();
    UpdateEditor();
}

void TzkDBGridH::UpdateData()
{
    DBGridUpdateData(SelectedField(), m_editText);
}

void TzkDBGridH::LayoutChanged()
{
    RequestLayout();
}

void TzkDBGridH::InvalidateSelection()
{
    viewport()->update();
    m_indicator->viewport()->update();
}

void TzkDBGridH::RowChanged(TRow *row)
{
    if (!row)
        RequestLayout();
    else if (const int i = row->Index(); i >= 0)
        InvalidateRow(i + m_indicatorOffset);
}

void TzkDBGridH::InvalidateRow(int row)
{
    const int r = row - m_indicatorOffset;
    if (r < 0 || r >= m_model->rowCount())
        return;
    viewport()->update(QRect(0, rowViewportPosition(r), viewport()->width(), rowHeight(r)));
    m_title->viewport()->update(QRect(0, rowViewportPosition(r), m_title->width(), rowHeight(r)));
}

void TzkDBGridH::MoveRow(int fromIndex, int toIndex)
{
    if (fromIndex < 0 || fromIndex >= m_rows->Count() || fromIndex == toIndex)
        return;
    m_rows->Items(fromIndex)->SetIndex(toIndex);
    if (OnRowMoved)
        OnRowMoved(fromIndex, toIndex);
}

void TzkDBGridH::InvalidateCurrentRecord()
{
    InvalidateSelection();
}

// --- Painting --------------------------------------------------------------------

bool TzkDBGridH::ShowsSelection() const
{
    return m_options.Has(dgAlwaysShowSelection) || hasFocus();
}

bool TzkDBGridH::IsCellHighlighted(int dataRow, int bufferCol) const
{
    bool highlighted = false;
    if (m_options.Has(dgMultiSelect) && m_dataLink->Active()) {
        const TRecordId record = m_dataLink->BufferRecord(bufferCol);
        highlighted = record >= 0 && m_bookmarks->Contains(record);
    }
    if (!highlighted) {
        const bool current = m_dataLink->Active() && bufferCol == m_dataLink->ActiveRecord()
                             && (m_options.Has(dgRowSelect) || dataRow == m_row - m_indicatorOffset);
        highlighted = current && ShowsSelection() && (m_updateLock == 0 || m_options.Has(dgRowSelect));
    }
    return highlighted
           && (s_wholeRecordSelectedH
               || (dataRow >= qMin(m_rowStart, m_rowEnd) && dataRow <= qMax(m_rowStart, m_rowEnd)));
}

void TzkDBGridH::DrawGridLines(QPainter *painter, const QRect &rect, bool fixed)
{
    const QColor line = ColorToQColor(fixed ? clBtnShadow : clSilver);
    if (m_options.Has(dgColLines))
        painter->fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), line);
    if (m_options.Has(dgRowLines))
        painter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), line);
}

void TzkDBGridH::DrawCell(QPainter *painter, const QRect &rect, int col, int row)
{
    const int dataRow = row - m_indicatorOffset;
    const int bufferCol = col - m_titleOffset;
    TRow *fieldRow = dataRow >= 0 && dataRow < m_rows->Count() ? m_rows->Items(dataRow) : nullptr;
    QRect cell = rect;
    if (m_options.Has(dgColLines))
        cell.setRight(cell.right() - 1);
    if (m_options.Has(dgRowLines))
        cell.setBottom(cell.bottom() - 1);
    m_canvas.Painter = painter;
    m_canvas.BrushColor = fieldRow ? fieldRow->Color() : m_color;
    m_canvas.Font = fieldRow ? fieldRow->Font() : font();
    m_canvas.FontColor = clWindowText;
    const TRecordId record = m_dataLink->Active() ? m_dataLink->BufferRecord(bufferCol) : -1;
    if (!fieldRow || record < 0) {
        m_canvas.FillRect(cell);
        DrawGridLines(painter, rect, false);
        return;
    }
    TField *field = fieldRow->Field();
    TGridDrawState state = 0;
    const bool current = bufferCol == m_dataLink->ActiveRecord() && row == m_row;
    if (current)
        state |= gdFocused;
    if (IsCellHighlighted(dataRow, bufferCol)) {
        state |= gdSelected;
        m_canvas.BrushColor = clHighlight;
        m_canvas.FontColor = clHighlightText;
    }
    if (!isEnabled())
        m_canvas.FontColor = clGrayText;
    if (m_defaultDrawing) {
        m_canvas.Apply();
        DrawCellText(painter, cell, 2, 2, field ? cellText(field->TextAt(record)) : QString(), fieldRow->Alignment(),
                     isRightToLeft());
    }
    if (OnDrawDataCell || OnDrawRowCell) {
        // The handlers' fields read the record being painted.
        TFDQuery *dataSet = m_dataLink->DataSet();
        struct Restore
        {
            TzkDBGridH *grid;
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
        if (OnDrawDataCell)
            OnDrawDataCell(cell, field, state);
        if (OnDrawRowCell)
            OnDrawRowCell(cell, dataRow, fieldRow, state);
    }
    if (m_defaultDrawing && current && ShowsSelection() && !m_options.Has(dgRowSelect) && m_updateLock == 0
        && hasFocus()) {
        painter->setPen(QPen(ColorToQColor(m_canvas.FontColor), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    }
    DrawGridLines(painter, rect, false);
}

void TzkDBGridH::DefaultDrawRowCell(const QRect &rect, int, TRow *row, TGridDrawState)
{
    TField *field = row ? row->Field() : nullptr;
    m_canvas.Apply();
    DrawCellText(m_canvas.Painter, rect, 2, 2, field ? cellText(field->AsString()) : QString(),
                 row ? row->Alignment() : taLeftJustify);
}

void TzkDBGridH::DrawTitleCell(QPainter *painter, const QRect &rect, int row)
{
    const int dataRow = row - m_indicatorOffset;
    QRect r = rect;
    if (m_options.Has(dgColLines))
        r.setRight(r.right() - 1);
    if (m_options.Has(dgRowLines))
        r.setBottom(r.bottom() - 1);
    const TRowTitle *title = dataRow >= 0 && dataRow < m_rows->Count() ? m_rows->Items(dataRow)->Title() : nullptr;
    painter->setBrush(ColorToQColor(title ? title->Color() : m_fixedColor));
    painter->setPen(ColorToQColor(clBtnText));
    painter->setFont(title ? title->Font() : TitleFont());
    const int frameOffset = m_options.Has(dgRowLines) && m_options.Has(dgColLines) ? 1 : 2;
    DrawCellText(painter, r, frameOffset + 1, frameOffset, title ? cellText(title->Caption()) : QString(),
                 title ? title->Alignment() : taLeftJustify, isRightToLeft());
    DrawGridLines(painter, rect, true);
}

void TzkDBGridH::DrawIndicatorCell(QPainter *painter, const QRect &rect, int col)
{
    const int bufferCol = col - m_titleOffset;
    QRect r = rect;
    if (m_options.Has(dgColLines))
        r.setRight(r.right() - 1);
    if (m_options.Has(dgRowLines))
        r.setBottom(r.bottom() - 1);
    painter->fillRect(r, ColorToQColor(m_fixedColor));
    if (m_dataLink->Active()) {
        const TRecordId record = m_dataLink->BufferRecord(bufferCol);
        const bool active = record >= 0 && bufferCol == m_dataLink->ActiveRecord();
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
            const int frameOffset = m_options.Has(dgRowLines) && m_options.Has(dgColLines) ? 1 : 2;
            const int x = r.left() - frameOffset + 2 + (isRightToLeft() ? 1 : 0);
            const int y = r.top() + (r.height() - pixmap.height()) / 2;
            painter->drawPixmap(x, y, pixmap);
        }
    }
    DrawGridLines(painter, rect, true);
}

// --- Selection and copy -----------------------------------------------------------

void TzkDBGridH::RowMoveSelection()
{
    const Qt::KeyboardModifiers shift = m_inInput ? m_inputShift : QGuiApplication::queryKeyboardModifiers();
    const bool tab = m_inInput && m_inputKey == Qt::Key_Tab;
    const int current = m_row - m_indicatorOffset;
    if ((shift & Qt::ShiftModifier) && !tab) {
        m_rowEnd = current;
    } else {
        m_rowStart = current;
        m_rowEnd = current;
    }
    const bool ctrl = shift & Qt::ControlModifier;
    SetWholeRecordSelectedH(ctrl);
    if (m_dataLink->Active())
        m_bookmarks->SetCurrentRowSelected(!ctrl);
    viewport()->update();
    m_indicator->viewport()->update();
}

bool TzkDBGridH::SelectionText(QString *text)
{
    return DBGridRangeText(m_dataLink.get(), m_bookmarks.get(), SelectedField(), m_rowStart, m_rowEnd,
                           WholeRecordSelectedH(), text);
}

void TzkDBGridH::CopySelection()
{
    QString text;
    if (SelectionText(&text))
        QGuiApplication::clipboard()->setText(text);
}

void TzkDBGridH::SelectAllRecords()
{
    if (!DBGridSelectAll(m_dataLink.get(), m_bookmarks.get()))
        return;
    m_rowStart = 0;
    m_rowEnd = m_rows->Count();
    RepaintAll();
}

// --- Moves -------------------------------------------------------------------------

bool TzkDBGridH::AcquireFocus()
{
    if (focusPolicy() == Qt::NoFocus || !isEnabled())
        return true;
    if (!hasFocus() && !(m_inplaceEdit && m_inplaceEdit->hasFocus()))
        setFocus(Qt::MouseFocusReason);
    // In a window that is not active the grid becomes its focus widget; the
    // editor, when shown, takes the focus over from the grid.
    return OwnsFocusWidget(QApplication::focusWidget()) || OwnsFocusWidget(window()->focusWidget());
}

void TzkDBGridH::MoveToRow(int row, int direction)
{
    m_dataLink->UpdateRecord();
    const int last = RowCount() - 1;
    row = qBound(m_indicatorOffset, row, qMax(m_indicatorOffset, last));
    if (direction != 0) {
        // Rows without a height are passed over.
        while (row >= m_indicatorOffset && row <= last && RowHeights(row) <= 0)
            row += direction;
        if (row < m_indicatorOffset || row > last)
            return;
    }
    if (row != m_row) {
        if (!m_inRowExit) {
            const int before = m_row;
            m_inRowExit = true;
            try {
                if (OnRowExit)
                    OnRowExit();
            } catch (...) {
                m_inRowExit = false;
                throw;
            }
            m_inRowExit = false;
            if (m_row != before)
                return;
        }
        m_row = row;
        UpdateActive();
        scrollTo(currentIndex());
        if (OnRowEnter)
            OnRowEnter();
    }
    RowMoveSelection();
}

TDBGridMoves TzkDBGridH::moves()
{
    return {m_dataLink.get(), m_bookmarks.get(), m_options.Has(dgMultiSelect),
            m_selecting,      m_selectionAnchor, m_updateLock};
}

void TzkDBGridH::ClearSelection()
{
    moves().ClearSelection();
}

void TzkDBGridH::MoveRecord(int direction, bool maySelect, Qt::KeyboardModifiers shift)
{
    moves().MoveRecord(direction, maySelect, shift);
    viewport()->update();
}

void TzkDBGridH::TabMove(bool backwards)
{
    BeginUpdate();
    try {
        const int start = m_row;
        int row = m_row;
        for (;;) {
            row += backwards ? -1 : 1;
            if (row >= RowCount()) {
                MoveRecord(1, false, Qt::NoModifier);
                row = m_indicatorOffset;
            } else if (row < m_indicatorOffset) {
                MoveRecord(-1, false, Qt::NoModifier);
                row = RowCount() - m_indicatorOffset;
            }
            if (row == start)
                break;
            // Every shown field row is a tab stop.
            if (RowHeights(row) > 0) {
                MoveToRow(row, 0);
                break;
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    RepaintAll();
}

// --- Keys ------------------------------------------------------------------------

bool TzkDBGridH::KeyDown(int key, Qt::KeyboardModifiers shift)
{
    static const int tableKeys[] = {Qt::Key_Up,     Qt::Key_PageUp, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left,
                                    Qt::Key_Right,  Qt::Key_Return, Qt::Key_Home, Qt::Key_End,      Qt::Key_Insert,
                                    Qt::Key_Delete, Qt::Key_Escape, Qt::Key_F2};
    const bool ctrl = shift & Qt::ControlModifier;
    if (key == Qt::Key_Tab && (!m_options.Has(dgTabs) || ctrl || (shift & Qt::AltModifier)))
        return false;
    if (!m_dataLink->Active())
        return key == Qt::Key_Tab || std::find(std::begin(tableKeys), std::end(tableKeys), key) != std::end(tableKeys);
    if (isRightToLeft()) {
        if (key == Qt::Key_Left)
            key = Qt::Key_Right;
        else if (key == Qt::Key_Right)
            key = Qt::Key_Left;
    }
    TFDQuery *dataSet = m_dataLink->DataSet();
    const bool singleRow = RowCount() - m_indicatorOffset == 1;
    const bool rowSelect = m_options.Has(dgRowSelect);
    // Ctrl keeps the selected records with Left and Right only.
    if (ctrl
        && (key == Qt::Key_Up || key == Qt::Key_PageUp || key == Qt::Key_Down || key == Qt::Key_PageDown
            || key == Qt::Key_Home || key == Qt::Key_End))
        ClearSelection();
    switch (key) {
    case Qt::Key_Left:
        if (ctrl)
            dataSet->MoveBy(-m_dataLink->ActiveRecord());
        else
            moves().PriorRecord(shift);
        break;
    case Qt::Key_Right:
        if (ctrl)
            dataSet->MoveBy(m_dataLink->BufferCount() - m_dataLink->ActiveRecord() - 1);
        else
            moves().NextRecord(!m_readOnly && m_options.Has(dgEditing), shift);
        break;
    case Qt::Key_Up:
        if (ctrl)
            MoveToRow(m_indicatorOffset, 1);
        else if (rowSelect)
            MoveRecord(-1, false, shift);
        else
            MoveToRow(m_row - 1, -1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Return:
        if (ctrl) {
            if (key == Qt::Key_Down)
                MoveToRow(RowCount() - 1, -1);
        } else if (rowSelect) {
            MoveRecord(1, false, shift);
        } else {
            MoveToRow(m_row + 1, 1);
        }
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!ctrl) {
            ClearSelection();
            dataSet->MoveBy(key == Qt::Key_PageUp ? -VisibleColCount() : VisibleColCount());
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (ctrl || singleRow || rowSelect) {
            ClearSelection();
            if (key == Qt::Key_Home)
                dataSet->First();
            else
                dataSet->Last();
        } else if (key == Qt::Key_Home) {
            MoveToRow(m_indicatorOffset, 1);
        } else {
            MoveToRow(RowCount() - 1, -1);
        }
        break;
    case Qt::Key_Insert:
        if (!ctrl && dataSet->CanEdit() && !m_readOnly && m_options.Has(dgEditing)) {
            ClearSelection();
            dataSet->Insert();
        }
        break;
    case Qt::Key_Delete:
        if (ctrl)
            moves().DeleteRecords(m_readOnly, m_options.Has(dgConfirmDelete));
        break;
    case Qt::Key_Tab: TabMove(shift & Qt::ShiftModifier); break;
    case Qt::Key_Escape:
        m_dataLink->Reset();
        ClearSelection();
        if (!m_options.Has(dgAlwaysShowEditor))
            HideEditor();
        break;
    case Qt::Key_F2: ShowEditor(); break;
    default: return false;
    }
    RepaintAll();
    return true;
}

void TzkDBGridH::keyPressEvent(QKeyEvent *event)
{
    int key = event->key();
    Qt::KeyboardModifiers shift = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Backtab) {
        key = Qt::Key_Tab;
        shift |= Qt::ShiftModifier;
    } else if (key == Qt::Key_Enter) {
        key = Qt::Key_Return;
    }
    ZK_INPUT(shift, key);
    if (OnKeyDown) {
        OnKeyDown(key, shift);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (KeyDown(key, shift)) {
        event->accept();
    } else if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
    } else if (event->matches(QKeySequence::SelectAll)) {
        SelectAllRecords();
        event->accept();
    } else if (!event->text().isEmpty() && event->text().at(0) >= QLatin1Char(' ')
               && !(shift & (Qt::ControlModifier | Qt::AltModifier)) && CanEditShow()) {
        // Typing starts editing the cell with that character.
        ShowEditor();
        if (m_inplaceEdit && !m_inplaceEdit->isHidden()) {
            m_inplaceEdit->setFocus();
            QApplication::sendEvent(m_inplaceEdit, event);
        }
        event->accept();
    } else {
        event->ignore();
    }
}

void TzkDBGridH::wheelEvent(QWheelEvent *event)
{
    // A notch moves the current cell one field row, as a plain grid does:
    // no row exit or enter, the selection stays.
    event->accept();
    // What the editor holds belongs to the field row it was typed in.
    if (m_dataLink->Active())
        m_dataLink->UpdateRecord();
    m_wheelDelta += event->angleDelta().y();
    while (qAbs(m_wheelDelta) >= 120) {
        const int step = m_wheelDelta < 0 ? 1 : -1;
        m_wheelDelta += step * 120;
        int row = m_row + step;
        while (row >= m_indicatorOffset && row < RowCount() && RowHeights(row) <= 0)
            row += step;
        if (row < m_indicatorOffset || row >= RowCount())
            continue;
        m_row = row;
        UpdateActive();
        scrollTo(currentIndex());
    }
    viewport()->update();
}

// --- Mouse -------------------------------------------------------------------------

void TzkDBGridH::GridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int col, int row, int y)
{
    ZK_INPUT(shift, 0);
    // A right press near the top keeps the selected records for the menu.
    if (button == Qt::RightButton && !m_bookmarks->IsEmpty() && y < m_indicatorOffset + 17)
        return;
    if (!AcquireFocus())
        return;
    m_selectedCell = {col, row};
    if (col < m_titleOffset || row < 0 || !m_dataLink->Active())
        return;
    const int target = col - m_titleOffset;
    const bool wasCurrent = target == m_dataLink->ActiveRecord() && row == m_row;
    const bool indicator = row < m_indicatorOffset;
    const bool pressed = moves().PressRecord(
        target, indicator, shift, [&] { MoveToRow(row, 0); },
        [&](bool range, bool wholeRecord) {
            if (range)
                m_rowEnd = m_row - m_indicatorOffset;
            SetWholeRecordSelectedH(wholeRecord);
        });
    if (!pressed)
        return;
    RepaintAll();
    if (button == Qt::LeftButton && !indicator && (wasCurrent || m_options.Has(dgAlwaysShowEditor)))
        ShowEditor();
}

void TzkDBGridH::TitleMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int row)
{
    ZK_INPUT(shift, 0);
    m_selectedCell = {0, row};
    if (button != Qt::LeftButton || row < m_indicatorOffset || !m_dataLink->Active())
        return;
    BeginUpdate();
    try {
        MoveToRow(row, 0);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    RepaintAll();
}

void TzkDBGridH::TitleClicked(int row)
{
    const int d = row - m_indicatorOffset;
    if (OnTitleClick && d >= 0 && d < m_rows->Count())
        OnTitleClick(m_rows->Items(d));
}

void TzkDBGridH::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const int col = columnAt(p.x());
    const int row = rowAt(p.y());
    GridMouseDown(event->button(), event->modifiers(), col < 0 ? -1 : col + m_titleOffset,
                  row < 0 ? -1 : row + m_indicatorOffset, viewport()->mapTo(this, p).y());
}

void TzkDBGridH::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton || columnAt(p.x()) < 0 || rowAt(p.y()) < 0)
        return;
    const int d = SelectedIndex();
    if (OnCellClick && d >= 0 && d < m_rows->Count())
        OnCellClick(m_rows->Items(d));
}

void TzkDBGridH::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick();
}

void TzkDBGridH::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
    if (m_inplaceEdit && !m_inplaceEdit->isHidden())
        m_inplaceEdit->setFocus();
}

void TzkDBGridH::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
    // Leaving the grid (not for its editor) writes what its editor holds.
    if (!OwnsFocusWidget(QApplication::focusWidget()))
        GridExit();
}

// --- Scroll bar: moves records, as the record grid's vertical one -------------------

void TzkDBGridH::horizontalScrollbarAction(int action)
{
    if (!AcquireFocus() || !m_dataLink->Active())
        return;
    if (DBGridScrollAction(m_dataLink.get(), action, VisibleColCount()))
        UpdateScrollBar();
}

void TzkDBGridH::ScrollBarThumbReleased()
{
    if (!m_dataLink->Active())
        return;
    DBGridThumbReleased(m_dataLink.get(), horizontalScrollBar()->sliderPosition());
    UpdateScrollBar();
}

// --- In-place editing: the record grid's editor over the current cell ----------------

bool TzkDBGridH::EditorMode() const
{
    return CanEditShow() && (m_editorMode || m_options.Has(dgAlwaysShowEditor));
}

void TzkDBGridH::SetEditorMode(bool value)
{
    if (value)
        ShowEditor();
    else
        HideEditor();
}

bool TzkDBGridH::CanEditShow() const
{
    // Only a result that can be changed gets an editor.
    return m_layoutLock == 0 && m_options.Has(dgEditing) && !m_options.Has(dgRowSelect) && m_dataLink->Active()
           && m_dataLink->DataSet()->CanEdit() && SelectedIndex() >= 0 && SelectedIndex() < m_rows->Count();
}

bool TzkDBGridH::EditorItem(TDBGridEditItem *item) const
{
    const int index = SelectedIndex();
    if (index < 0 || index >= m_rows->Count())
        return false;
    const TRow *row = m_rows->Items(index);
    item->field = row->Field();
    item->buttonStyle = row->ButtonStyle();
    item->pickList = row->PickList();
    item->dropDownRows = row->DropDownRows();
    item->font = row->Font();
    item->readOnly = row->ReadOnly();
    return true;
}

bool TzkDBGridH::CellModifiable() const
{
    TDBGridEditItem item;
    return EditorItem(&item) && DBGridCellModifiable(m_readOnly, m_dataLink.get(), item.readOnly, item.field);
}

bool TzkDBGridH::CanEditModify()
{
    return CellModifiable() && DBGridEnterEdit(m_dataLink.get());
}

bool TzkDBGridH::CanEditAcceptKey(QChar ch) const
{
    TField *field = SelectedField();
    return m_dataLink->Active() && field && field->IsValidChar(ch);
}

QString TzkDBGridH::GetEditText() const
{
    // A null field starts empty, whatever the type's rules would show.
    const QString text = m_dataLink->Active() ? DBGridEditText(SelectedField(), true) : QString();
    const_cast<TzkDBGridH *>(this)->m_editText = text;
    return text;
}

int TzkDBGridH::GetEditLimit() const
{
    return DBGridEditLimit(SelectedField());
}

void TzkDBGridH::EditButtonClick()
{
    if (OnEditButtonClick)
        OnEditButtonClick();
}

void TzkDBGridH::EditorKey(int key, Qt::KeyboardModifiers shift)
{
    ZK_INPUT(shift, key);
    if (OnKeyDown) {
        OnKeyDown(key, shift);
        if (key == 0)
            return;
    }
    if (key == Qt::Key_Return && !m_options.Has(dgAlwaysShowEditor))
        m_dataLink->UpdateRecord();
    KeyDown(key, shift);
}

bool TzkDBGridH::OwnsFocusWidget(QWidget *widget) const
{
    return widget && (widget == this || (m_inplaceEdit && widget == m_inplaceEdit));
}

void TzkDBGridH::GridExit()
{
    // The focus also leaves a grid being taken down.
    if (!m_dataLink || !m_dataLink->Active())
        return;
    try {
        DBGridLeave(m_dataLink.get(), m_options.Has(dgCancelOnExit));
    } catch (...) {
        // The focus stays in the grid, which shows the error.
        if (focusPolicy() != Qt::NoFocus && isEnabled() && isVisible()) {
            setFocus();
            throw;
        }
    }
}

TDBGridInplaceEdit *TzkDBGridH::CreateEditor()
{
    if (!m_inplaceEdit)
        m_inplaceEdit = new TDBGridInplaceEdit(static_cast<IzkDBGridEditorHost *>(this));
    return m_inplaceEdit;
}

void TzkDBGridH::UpdateEditor()
{
    const bool show = EditorMode() && !m_painting;
    if (show)
        CreateEditor();
    DBGridPlaceEditor(this, m_inplaceEdit, show, m_options, !m_dataLink->IsModified());
}

void TzkDBGridH::ShowEditor()
{
    m_editorMode = true;
    UpdateEditor();
}

void TzkDBGridH::HideEditor()
{
    m_editorMode = false;
    UpdateEditor();
}

void TzkDBGridH::EditUndo()
{
    if (m_inplaceEdit && !m_inplaceEdit->isHidden())
        m_inplaceEdit->EditUndo();
}

void TzkDBGridH::EditCut()
{
    if (m_inplaceEdit && !m_inplaceEdit->isHidden())
        m_inplaceEdit->EditCut();
}

void TzkDBGridH::EditPaste()
{
    if (CanEditShow())
        CreateEditor()->EditPaste();
}

void TzkDBGridH::EditDelete()
{
    if (CanEditShow())
        CreateEditor()->EditDelete();
}
