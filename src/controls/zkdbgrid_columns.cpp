#include "controls/zkdbgrid.h"

#include <QFontMetrics>

// --- TColumnTitle --------------------------------------------------------------

TColumnTitle::TColumnTitle(TColumn *column)
    : m_column(column)
{
}

QString TColumnTitle::DefaultCaption() const
{
    const TField *field = m_column->Field();
    return field ? field->DisplayName() : m_column->FieldName();
}

TColor TColumnTitle::DefaultColor() const
{
    const TzkDBGridV *grid = m_column->Grid();
    return grid ? grid->FixedColor() : clBtnFace;
}

QFont TColumnTitle::DefaultFont() const
{
    const TzkDBGridV *grid = m_column->Grid();
    return grid ? grid->TitleFont() : m_column->Font();
}

QString TColumnTitle::Caption() const
{
    return m_column->m_assigned.Has(cvTitleCaption) ? m_caption : DefaultCaption();
}

void TColumnTitle::SetCaption(const QString &value)
{
    if (!m_column->IsStored()) {
        if (m_column->linkActive() && m_column->Field())
            m_column->Field()->SetDisplayLabel(value);
        return;
    }
    if (m_column->m_assigned.Has(cvTitleCaption) && value == m_caption)
        return;
    m_caption = value;
    m_column->m_assigned.Include(cvTitleCaption);
    m_column->Changed();
}

TAlignment TColumnTitle::Alignment() const
{
    return m_column->m_assigned.Has(cvTitleAlignment) ? m_alignment : DefaultAlignment();
}

void TColumnTitle::SetAlignment(TAlignment value)
{
    if (m_column->m_assigned.Has(cvTitleAlignment) && value == m_alignment)
        return;
    m_alignment = value;
    m_column->m_assigned.Include(cvTitleAlignment);
    m_column->Changed();
}

TColor TColumnTitle::Color() const
{
    return m_column->m_assigned.Has(cvTitleColor) ? m_color : DefaultColor();
}

void TColumnTitle::SetColor(TColor value)
{
    if (m_column->m_assigned.Has(cvTitleColor) && value == m_color)
        return;
    m_color = value;
    m_column->m_assigned.Include(cvTitleColor);
    m_column->Changed();
}

QFont TColumnTitle::Font() const
{
    return m_column->m_assigned.Has(cvTitleFont) ? m_font : DefaultFont();
}

void TColumnTitle::SetFont(const QFont &value)
{
    m_font = value;
    m_column->m_assigned.Include(cvTitleFont);
    m_column->Changed(true);
}

void TColumnTitle::RestoreDefaults()
{
    const bool fontSet = m_column->m_assigned.Has(cvTitleFont);
    for (TColumnValue v : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont})
        m_column->m_assigned.Exclude(v);
    m_caption.clear();
    m_column->Changed(fontSet);
}

void TColumnTitle::Assign(const TColumnTitle &source)
{
    const TColumnValues set = source.m_column->m_assigned;
    if (set.Has(cvTitleAlignment))
        SetAlignment(source.Alignment());
    if (set.Has(cvTitleColor))
        SetColor(source.Color());
    if (set.Has(cvTitleCaption))
        SetCaption(source.Caption());
    if (set.Has(cvTitleFont))
        SetFont(source.Font());
}

// --- TColumn -------------------------------------------------------------------

TColumn::TColumn(TDBGridColumns *collection)
    : m_collection(collection)
    , m_title(std::make_unique<TColumnTitle>(this))
{
    m_font = DefaultFont();
}

TColumn::~TColumn() = default;

TzkDBGridV *TColumn::Grid() const
{
    return m_collection->Grid();
}

bool TColumn::linkActive() const
{
    const TzkDBGridV *grid = Grid();
    return grid && grid->DataLink()->Active();
}

int TColumn::Index() const
{
    const auto &items = m_collection->m_items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].get() == this)
            return int(i);
    }
    return -1;
}

void TColumn::SetIndex(int value)
{
    const int count = m_collection->Count();
    value = qBound(0, value, count - 1);
    const int from = Index();
    if (value == from)
        return;
    TzkDBGridV *grid = Grid();
    if (!m_stored && grid && grid->DataLink()->Active() && grid->AcquireLayoutLock()) {
        // The field takes the place of the field shown at the target, so
        // that the next default layout keeps the order.
        try {
            TField *target = m_collection->Items(value)->Field();
            if (target && Field())
                Field()->SetIndex(target->Index());
        } catch (...) {
            grid->EndLayout();
            throw;
        }
        grid->EndLayout();
    }
    const int now = Index();
    if (now != value && now >= 0) {
        m_collection->MoveItem(now, value);
        m_collection->Update(nullptr);
    }
}

TField *TColumn::Field() const
{
    if (!m_field && !m_fieldName.isEmpty()) {
        const TzkDBGridV *grid = Grid();
        TFDQuery *dataSet = grid ? grid->DataLink()->DataSet() : nullptr;
        if (dataSet && dataSet->Active()) {
            if (TField *found = dataSet->FindField(m_fieldName))
                const_cast<TColumn *>(this)->SetField(found);
        }
    }
    return m_field;
}

void TColumn::SetField(TField *value)
{
    if (value == m_field)
        return;
    m_field = value;
    if (value)
        m_fieldName = value->FullName();
    if (!m_stored) {
        if (!value)
            m_fieldName.clear();
        RestoreDefaults();
    }
    Changed();
}

void TColumn::SetFieldName(const QString &value)
{
    TField *found = nullptr;
    const TzkDBGridV *grid = Grid();
    TFDQuery *dataSet = grid ? grid->DataLink()->DataSet() : nullptr;
    if (dataSet && dataSet->Active() && !value.isEmpty())
        found = dataSet->FindField(value);
    m_fieldName = value;
    SetField(found);
    Changed();
}

QString TColumn::DisplayName() const
{
    return m_fieldName.isEmpty() ? QStringLiteral("TColumn") : m_fieldName;
}

TColor TColumn::DefaultColor() const
{
    const TzkDBGridV *grid = Grid();
    return grid ? grid->Color() : clWindow;
}

QFont TColumn::DefaultFont() const
{
    const TzkDBGridV *grid = Grid();
    return grid ? grid->font() : m_font;
}

TAlignment TColumn::DefaultAlignment() const
{
    const TField *field = Field();
    return field ? field->Alignment() : taLeftJustify;
}

bool TColumn::DefaultReadOnly() const
{
    const TzkDBGridV *grid = Grid();
    const TField *field = Field();
    return (grid && grid->ReadOnly()) || (field && field->ReadOnly());
}

int TColumn::DefaultWidth() const
{
    const TzkDBGridV *grid = Grid();
    if (!grid)
        return 64;
    const TField *field = Field();
    if (!field)
        return grid->DefaultColWidth();
    const QFontMetrics metrics(Font());
    int width = field->DisplayWidth() * metrics.horizontalAdvance(QLatin1Char('0')) + 4;
    if (grid->Options().Has(dgTitles)) {
        const QFontMetrics titleMetrics(m_title->Font());
        width = qMax(width, titleMetrics.horizontalAdvance(m_title->Caption()) + 4);
    }
    return width;
}

TColor TColumn::Color() const
{
    return m_assigned.Has(cvColor) ? m_color : DefaultColor();
}

void TColumn::SetColor(TColor value)
{
    if (m_assigned.Has(cvColor) && value == m_color)
        return;
    m_color = value;
    m_assigned.Include(cvColor);
    Changed();
}

QFont TColumn::Font() const
{
    return m_assigned.Has(cvFont) ? m_font : DefaultFont();
}

void TColumn::SetFont(const QFont &value)
{
    m_font = value;
    m_assigned.Include(cvFont);
    Changed();
}

TAlignment TColumn::Alignment() const
{
    return m_assigned.Has(cvAlignment) ? m_alignment : DefaultAlignment();
}

void TColumn::SetAlignment(TAlignment value)
{
    if (!m_stored) {
        if (linkActive() && Field())
            Field()->SetAlignment(value);
        return;
    }
    if (m_assigned.Has(cvAlignment) && value == m_alignment)
        return;
    m_alignment = value;
    m_assigned.Include(cvAlignment);
    Changed();
}

bool TColumn::ReadOnly() const
{
    return m_assigned.Has(cvReadOnly) ? m_readOnly : DefaultReadOnly();
}

void TColumn::SetReadOnly(bool value)
{
    if (!m_stored && linkActive() && Field()) {
        Field()->SetReadOnly(value);
        return;
    }
    if (m_assigned.Has(cvReadOnly) && value == m_readOnly)
        return;
    m_readOnly = value;
    m_assigned.Include(cvReadOnly);
    Changed();
}

int TColumn::Width() const
{
    if (!Showing())
        return -1;
    return m_assigned.Has(cvWidth) ? m_width : DefaultWidth();
}

void TColumn::SetWidth(int value)
{
    TzkDBGridV *grid = Grid();
    if (grid && !m_stored) {
        // A default column keeps its width in its field's display width.
        // The average character width is that of "x", as the desktop
        // reports it for a font (Qt's own average counts wide glyphs in).
        if (TField *field = Field(); field && grid->m_updateFields) {
            const int average = qMax(1, QFontMetrics(Font()).horizontalAdvance(QLatin1Char('x')));
            field->SetDisplayWidth(qMax(0, (value + average / 2 - 3) / average));
        }
        if (grid->m_layoutFromDataset && !m_assigned.Has(cvWidth))
            return;
    }
    if ((m_assigned.Has(cvWidth) || value != DefaultWidth()) && value != -1) {
        m_width = value;
        m_assigned.Include(cvWidth);
    }
    Changed();
}

void TColumn::SetButtonStyle(TColumnButtonStyle value)
{
    if (value == m_buttonStyle)
        return;
    m_buttonStyle = value;
    Changed();
}

void TColumn::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    m_visible = value;
    Changed(true);
}

void TColumn::SetExpanded(bool value)
{
    if (value == m_expanded)
        return;
    m_expanded = value;
    Changed(true);
}

void TColumn::RestoreDefaults()
{
    const bool fontSet = m_assigned.Has(cvFont);
    m_title->RestoreDefaults();
    m_assigned = TColumnValues();
    m_font = DefaultFont();
    m_pickList.clear();
    m_buttonStyle = cbsAuto;
    Changed(fontSet);
}

void TColumn::Assign(const TColumn &source)
{
    m_collection->BeginUpdate();
    try {
        RestoreDefaults();
        SetFieldName(source.FieldName());
        const TColumnValues set = source.m_assigned;
        if (set.Has(cvColor))
            SetColor(source.Color());
        if (set.Has(cvWidth))
            SetWidth(source.Width());
        if (set.Has(cvFont))
            SetFont(source.Font());
        if (set.Has(cvAlignment))
            SetAlignment(source.Alignment());
        if (set.Has(cvReadOnly))
            SetReadOnly(source.ReadOnly());
        m_title->Assign(*source.m_title);
        m_dropDownRows = source.m_dropDownRows;
        SetButtonStyle(source.m_buttonStyle);
        m_pickList = source.m_pickList;
        m_visible = source.m_visible;
        m_expanded = source.m_expanded;
    } catch (...) {
        m_collection->EndUpdate();
        throw;
    }
    m_collection->EndUpdate();
}

void TColumn::Changed(bool whole)
{
    m_collection->Update(whole ? nullptr : this);
}

// --- TDBGridColumns ------------------------------------------------------------

TDBGridColumns::TDBGridColumns(TzkDBGridV *grid)
    : m_grid(grid)
{
}

TDBGridColumns::~TDBGridColumns()
{
    // Items report nothing while the collection goes.
    m_grid = nullptr;
    m_items.clear();
}

TColumn *TDBGridColumns::Add()
{
    // The grid lays out once the column is in, at the outermost layout end.
    if (m_grid)
        m_grid->BeginLayout();
    try {
        m_items.push_back(std::make_unique<TColumn>(this));
    } catch (...) {
        if (m_grid)
            m_grid->EndLayout();
        throw;
    }
    TColumn *column = m_items.back().get();
    if (m_grid)
        m_grid->EndLayout();
    return column;
}

TColumn *TDBGridColumns::AddDefaultColumn()
{
    TColumn *column = Add();
    column->m_stored = false;
    return column;
}

void TDBGridColumns::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    Update(nullptr);
}

void TDBGridColumns::Clear()
{
    if (m_items.empty())
        return;
    BeginUpdate();
    m_items.clear();
    EndUpdate();
}

void TDBGridColumns::MoveItem(int from, int to)
{
    if (from == to)
        return;
    auto item = std::move(m_items[size_t(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(item));
}

TDBGridColumnsState TDBGridColumns::State() const
{
    return !m_items.empty() && m_items.front()->IsStored() ? csCustomized : csDefault;
}

void TDBGridColumns::SetState(TDBGridColumnsState value)
{
    if (value == State())
        return;
    if (value == csCustomized)
        RebuildColumns();
    else
        Clear();
}

void TDBGridColumns::RebuildColumns()
{
    TFDQuery *dataSet = m_grid ? m_grid->DataLink()->DataSet() : nullptr;
    if (!dataSet) {
        Clear();
        return;
    }
    m_grid->BeginLayout();
    try {
        Clear();
        for (int i = 0; i < dataSet->FieldCount(); ++i)
            Add()->SetFieldName(dataSet->Fields(i)->FullName());
    } catch (...) {
        m_grid->EndLayout();
        throw;
    }
    m_grid->EndLayout();
}

void TDBGridColumns::RestoreDefaults()
{
    BeginUpdate();
    for (const auto &item : m_items)
        item->RestoreDefaults();
    EndUpdate();
}

void TDBGridColumns::BeginUpdate()
{
    ++m_updateCount;
}

void TDBGridColumns::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0)
        Update(nullptr);
}

void TDBGridColumns::Update(TColumn *item)
{
    if (!m_grid || m_updateCount > 0)
        return;
    if (item)
        m_grid->ColumnChanged(item);
    else
        m_grid->RequestLayout();
}
