#pragma once

#include "platform/db/dbtypes.h"
#include "platform/graphics/colors.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TDBGridColumns;
class TColumn;
class TField;
class TzkDBGridV;

// The columns of a data grid: each binds one field, by name, and carries its
// display properties. A property reads the value assigned to it, or else its
// default from the field or the grid. Default columns (the state every
// window of the program uses) are built by the grid from the data set's
// fields on each layout; writing their alignment, read-only flag, title or
// width writes through to the field, so the data set keeps it. Given
// (customised) columns stay as defined and look their fields up by name.

enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };
enum TDBGridColumnsState { csDefault, csCustomized };
// The kinds of input of the grids' in-place editors.
enum TEditStyle { esSimple, esEllipsis, esPickList };

// The assignable properties; member N is bit N of TColumnValues.
enum TColumnValue {
    cvColor,
    cvWidth,
    cvFont,
    cvAlignment,
    cvReadOnly,
    cvTitleColor,
    cvTitleCaption,
    cvTitleAlignment,
    cvTitleFont,
    cvImeMode,
    cvImeName,
};

class TColumnValues
{
public:
    constexpr TColumnValues() = default;
    constexpr explicit TColumnValues(quint16 bits)
        : m_bits(bits)
    {
    }
    constexpr bool Has(TColumnValue v) const { return m_bits & (1u << v); }
    void Include(TColumnValue v) { m_bits |= quint16(1u << v); }
    void Exclude(TColumnValue v) { m_bits &= quint16(~(1u << v)); }
    constexpr quint16 Bits() const { return m_bits; }
    constexpr bool IsEmpty() const { return m_bits == 0; }
    friend constexpr bool operator==(TColumnValues a, TColumnValues b) { return a.m_bits == b.m_bits; }

private:
    quint16 m_bits = 0;
};

// The title cell of a column. Its assigned flags live in the column.
class TColumnTitle
{
public:
    explicit TColumnTitle(TColumn *column);

    TColumn *Column() const { return m_column; }
    QString Caption() const;
    // A default column's caption is its field's display label: writing it
    // sets the label while the grid's link is active, and does nothing else.
    void SetCaption(const QString &value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment value);
    TColor Color() const;
    void SetColor(TColor value);
    QFont Font() const;
    void SetFont(const QFont &value);

    QString DefaultCaption() const;
    TAlignment DefaultAlignment() const { return taLeftJustify; }
    TColor DefaultColor() const;
    QFont DefaultFont() const;
    void RestoreDefaults();
    // Copies what the source's column has assigned.
    void Assign(const TColumnTitle &source);

private:
    TColumn *m_column;
    QString m_caption;
    QFont m_font;
    TColor m_color = clBtnFace;
    TAlignment m_alignment = taLeftJustify;
};

class TColumn
{
public:
    explicit TColumn(TDBGridColumns *collection);
    ~TColumn();
    TColumn(const TColumn &) = delete;
    TColumn &operator=(const TColumn &) = delete;

    TDBGridColumns *Collection() const { return m_collection; }
    TzkDBGridV *Grid() const;
    int Index() const;
    // Moves the column. A default column moves its field in the data set's
    // field order, so the grid's next layout keeps the order.
    void SetIndex(int value);

    // The bound field: looked up by name while none is bound and the data
    // set is open. A default column that changes field loses everything
    // assigned to it.
    TField *Field() const;
    void SetField(TField *value);
    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &value);
    // The field name, or a standard name without one.
    QString DisplayName() const;

    TColumnValues AssignedValues() const { return m_assigned; }
    bool IsStored() const { return m_stored; }

    TColor Color() const;
    void SetColor(TColor value);
    QFont Font() const;
    void SetFont(const QFont &value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    // -1 while the column is not showing.
    int Width() const;
    void SetWidth(int value);
    TColumnButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TColumnButtonStyle value);
    int DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(int value) { m_dropDownRows = value; }
    QStringList PickList() const { return m_pickList; }
    void SetPickList(const QStringList &value) { m_pickList = value; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    // Fields here have no child fields: a column never expands, and the
    // flag is only kept.
    bool Expandable() const { return false; }
    bool Expanded() const { return m_expanded && Expandable(); }
    void SetExpanded(bool value);
    TColumn *ParentColumn() const { return nullptr; }
    int Depth() const { return 0; }
    bool Showing() const { return Visible(); }

    TColumnTitle *Title() const { return m_title.get(); }
    void SetTitle(const TColumnTitle &value) { m_title->Assign(value); }

    TColor DefaultColor() const;
    QFont DefaultFont() const;
    TAlignment DefaultAlignment() const;
    bool DefaultReadOnly() const;
    int DefaultWidth() const;
    void RestoreDefaults();
    void Assign(const TColumn &source);

private:
    friend class TColumnTitle;
    friend class TDBGridColumns;
    friend class TzkDBGridV;
    // Tells the grid: this column changed, or (whole) every column.
    void Changed(bool whole = false);
    bool linkActive() const;

    TDBGridColumns *m_collection;
    mutable TField *m_field = nullptr;
    QString m_fieldName;
    TColor m_color = clWindow;
    int m_width = 64;
    std::unique_ptr<TColumnTitle> m_title;
    QFont m_font;
    QStringList m_pickList;
    int m_dropDownRows = 7;
    TColumnButtonStyle m_buttonStyle = cbsAuto;
    TAlignment m_alignment = taLeftJustify;
    bool m_readOnly = false;
    TColumnValues m_assigned;
    bool m_visible = true;
    bool m_expanded = true;
    bool m_stored = true;
};

class TDBGridColumns
{
public:
    explicit TDBGridColumns(TzkDBGridV *grid);
    ~TDBGridColumns();
    TDBGridColumns(const TDBGridColumns &) = delete;
    TDBGridColumns &operator=(const TDBGridColumns &) = delete;

    TzkDBGridV *Grid() const { return m_grid; }
    int Count() const { return int(m_items.size()); }
    TColumn *Items(int index) const { return m_items.at(size_t(index)).get(); }
    TColumn *operator[](int index) const { return Items(index); }
    // Assigns the given column to the item at index.
    void SetItems(int index, const TColumn &value) { Items(index)->Assign(value); }

    // A new given (customised) column.
    TColumn *Add();
    // A new default column, as the grid's layout makes them.
    TColumn *AddDefaultColumn();
    void Delete(int index);
    void Clear();

    TDBGridColumnsState State() const;
    // csCustomized makes one given column per field of the data set;
    // csDefault empties the collection for the grid's next layout.
    void SetState(TDBGridColumnsState value);
    void RebuildColumns();
    void RestoreDefaults();

    // Nestable; changes inside one are reported once, as a change of every
    // column, at the outermost end.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

private:
    friend class TColumn;
    friend class TzkDBGridV;
    // item null: every column.
    void Update(TColumn *item);
    // A plain move of an item, as the layout does it.
    void MoveItem(int from, int to);

    TzkDBGridV *m_grid;
    std::vector<std::unique_ptr<TColumn>> m_items;
    int m_updateCount = 0;
};
