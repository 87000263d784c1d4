#pragma once

// The transposed data grid: the same records as TzkDBGridV with the fields
// as rows and the records as columns, so a wide record reads from top to
// bottom.
//
//   auto *grid = new TzkDBGridH(parent);
//   grid->SetDataSource(&source);        // the record grid's source
//   grid->OnTitleClick = [&](TRow *row) { ... };   // sort by row->Field()
//
// Like the record grid it keeps no cells: its columns are the data link's
// window of records (as many as fit side by side), the horizontal scroll bar
// stands for the data set's records, and keys, the mouse and the scroll bar
// move the data set. The wheel only moves the current field row. It edits
// in place with the record grid's editor (TDBGridInplaceEdit): Right on the
// last record appends one, Insert inserts, Ctrl+Delete deletes.
//
// Grid coordinates: row 0 is the indicator row with dgIndicator
// (IndicatorOffset 1), column 0 the title column with dgTitles (TitleOffset
// 1); field row d is grid row d + IndicatorOffset, grid column c >=
// TitleOffset the record at window place c - TitleOffset.

#include "controls/zkdbgrid.h"

#include <QHeaderView>

class TzkDBGridH;
class TzkDBGridHModel;
class TzkDBGridHDelegate;
class TzkDBGridHTitle;
class TzkDBGridHIndicator;

class TRow;

// The title cell of a field row. Its assigned flags live in its row.
class TRowTitle
{
public:
    explicit TRowTitle(TRow *row)
        : m_row(row)
    {
    }
    TRow *Row() const { return m_row; }
    // The field's display label: writing it sets the label while the grid's
    // link is active, and does nothing else.
    QString Caption() const;
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

private:
    TRow *m_row;
    QFont m_font;
    TColor m_color = clBtnFace;
    TAlignment m_alignment = taLeftJustify;
};

// The row of one field. The grid builds one per shown field on each layout
// and keeps a row as long as its field stays; a row that changes field loses
// what was assigned to it. A property reads its assigned value, else its
// default from the field or the grid. Rows have no width of their own.
class TRow
{
public:
    explicit TRow(TzkDBGridH *grid);
    TzkDBGridH *Grid() const { return m_grid; }
    int Index() const;
    // Moves the row, and its field in the data set's field order, so that
    // the next layout keeps the order.
    void SetIndex(int value);
    TField *Field() const { return m_field; }
    void SetField(TField *value);
    QString FieldName() const;
    TColumnValues AssignedValues() const { return m_assigned; }

    // A row not visible keeps its place with no height; moves pass over it.
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    bool Showing() const { return m_visible; }
    TColor Color() const;
    void SetColor(TColor value);
    QFont Font() const;
    void SetFont(const QFont &value);
    // Writing sets the field's alignment while the link is active.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment value);
    // Writing sets the field's read-only flag while the link is active,
    // else it is kept on the row.
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    TColumnButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TColumnButtonStyle value);
    int DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(int value) { m_dropDownRows = value; }
    QStringList PickList() const { return m_pickList; }
    void SetPickList(const QStringList &value) { m_pickList = value; }
    TRowTitle *Title() const { return m_title.get(); }

    TColor DefaultColor() const;
    QFont DefaultFont() const;
    TAlignment DefaultAlignment() const;
    bool DefaultReadOnly() const;
    void RestoreDefaults();

private:
    friend class TRowTitle;
    // Tells the grid: this row changed, or (whole) every row.
    void Changed(bool whole = false);
    bool linkActive() const;

    TzkDBGridH *m_grid;
    TField *m_field = nullptr;
    std::unique_ptr<TRowTitle> m_title;
    TColor m_color = clWindow;
    QFont m_font;
    TAlignment m_alignment = taLeftJustify;
    bool m_readOnly = false;
    TColumnValues m_assigned;
    QStringList m_pickList;
    int m_dropDownRows = 7;
    TColumnButtonStyle m_buttonStyle = cbsAuto;
    bool m_visible = true;
};

class TDBGridRows
{
public:
    explicit TDBGridRows(TzkDBGridH *grid)
        : m_grid(grid)
    {
    }
    TzkDBGridH *Grid() const { return m_grid; }
    int Count() const { return int(m_items.size()); }
    TRow *Items(int index) const { return m_items.at(size_t(index)).get(); }
    TRow *operator[](int index) const { return Items(index); }
    // The grid builds every row from the fields.
    TDBGridColumnsState State() const { return csDefault; }
    void RestoreDefaults();

private:
    friend class TzkDBGridH;
    friend class TRow;
    TzkDBGridH *m_grid;
    std::vector<std::unique_ptr<TRow>> m_items;
};

class TzkDBGridH
    : public QTableView
    , public IzkEditCommands
    , private IzkDBGridLink
    , private IzkDBGridEditorHost
{
    Q_OBJECT
public:
    explicit TzkDBGridH(QWidget *parent = nullptr);
    ~TzkDBGridH() override;

    // --- Data -----------------------------------------------------------------
    TDataSource *DataSource() const { return m_dataLink->DataSource(); }
    void SetDataSource(TDataSource *source);
    TGridDataLink *DataLink() const { return m_dataLink.get(); }
    TDBGridRows *Rows() const { return m_rows.get(); }
    int FieldCount() const { return m_dataLink->FieldCount(); }
    TField *GetFields(int fieldIndex) const { return m_dataLink->Fields(fieldIndex); }

    // --- Options and looks ------------------------------------------------------
    TDBGridOptions Options() const { return m_options; }
    void SetOptions(TDBGridOptions value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(TColor value);
    QFont TitleFont() const { return m_titleFontAssigned ? m_titleFont : font(); }
    void SetTitleFont(const QFont &value);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value) { m_defaultDrawing = value; }

    // --- Geometry (grid coordinates) --------------------------------------------
    int IndicatorOffset() const { return m_indicatorOffset; }
    int TitleOffset() const { return m_titleOffset; }
    int RawToDataRow(int row) const { return row - m_indicatorOffset; }
    int ColCount() const;
    int RowCount() const;
    // The current cell: the current record's column, the current field row.
    int Col() const;
    int Row() const { return m_row; }
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    // Every record column's width.
    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int value);
    // Record columns that fit on screen whole (at least 1): the window of
    // records and the page of the keys and the scroll bar.
    int VisibleColCount() const;
    int GetColWidth(int col) const;
    int RowHeights(int row) const;
    QRect GetCellRect(int col, int row) const;
    TGridCoord MouseCoord(int x, int y) const;

    // --- Current field row -------------------------------------------------------
    int SelectedIndex() const { return RawToDataRow(m_row); }
    void SetSelectedIndex(int value);
    TField *SelectedField() const;

    // --- Selection ------------------------------------------------------------------
    TBookmarkList *SelectedCols() const { return m_bookmarks.get(); }
    int RowStart() const { return m_rowStart; }
    void SetRowStart(int value) { m_rowStart = value; }
    int RowEnd() const { return m_rowEnd; }
    void SetRowEnd(int value) { m_rowEnd = value; }
    // One flag for every transposed grid, apart from the record grid's.
    static bool WholeRecordSelectedH();
    static void SetWholeRecordSelectedH(bool value);
    TGridCoord SelectedCell() const { return m_selectedCell; }

    void CopySelection() override;
    bool SelectionText(QString *text);
    void SelectAllRecords() override;

    // The text the in-place editor starts with: empty for a null field.
    QString GetEditText(int col, int row) const;

    // Moves the field row at fromIndex to toIndex (field indexes) and
    // reports it with OnRowMoved. The user cannot drag rows.
    void MoveRow(int fromIndex, int toIndex);

    // --- Painting --------------------------------------------------------------------
    TzkGridCanvas *Canvas() { return &m_canvas; }
    void DefaultDrawRowCell(const QRect &rect, int dataRow, TRow *row, TGridDrawState state);

    // --- In-place editing: the record grid's editor, over the current cell ---------
    // Shown while the grid may show it (dgEditing without dgRowSelect, an
    // active link on a result that can be changed) and editor mode is on;
    // dgAlwaysShowEditor keeps it on.
    bool EditorMode() const;
    void SetEditorMode(bool value);
    // Created on first need; null before.
    TDBGridInplaceEdit *InplaceEditor() const { return m_inplaceEdit; }
    // The current cell's pending edit text.
    QString EditText() const { return m_editText; }
    // Raised by the editor's ellipsis button.
    std::function<void()> OnEditButtonClick;

    // --- IzkEditCommands: copy and select-all are the grid's; undo, cut,
    // paste and delete belong to the in-place editor. ----
    void EditUndo() override;
    void EditRedo() override {}
    void EditCut() override;
    void EditCopy() override { CopySelection(); }
    void EditPaste() override;
    void EditDelete() override;
    void EditSelectAll() override { SelectAllRecords(); }

    // --- Events ----------------------------------------------------------------
    std::function<void()> OnRowEnter;
    // Raised before the current field row changes; moving it in the handler
    // abandons the move.
    std::function<void()> OnRowExit;
    std::function<void(int fromIndex, int toIndex)> OnRowMoved;
    std::function<void(TRow *row)> OnCellClick;
    std::function<void(TRow *row)> OnTitleClick;
    std::function<void(const QRect &rect, TField *field, TGridDrawState state)> OnDrawDataCell;
    std::function<void(const QRect &rect, int dataRow, TRow *row, TGridDrawState state)> OnDrawRowCell;
    std::function<void(int &key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void()> OnDblClick;

    // The indicator images, pointing down.
    static const QList<QPixmap> &IndicatorImages();
    static constexpr int IndicatorHeight = 6;

protected:
    void BeginUpdate() { ++m_updateLock; }
    void EndUpdate();
    void BeginLayout();
    void EndLayout();
    bool AcquireLayoutLock();
    virtual void MapFields();
    virtual bool IsCellHighlighted(int dataRow, int bufferCol) const;
    virtual void RequestLayout();
    virtual void LinkActivated(bool active);

    // The one way the current field row changes (row in grid rows).
    void MoveToRow(int row, int direction);
    void MoveRecord(int direction, bool maySelect, Qt::KeyboardModifiers shift);
    void ClearSelection();
    virtual bool KeyDown(int key, Qt::KeyboardModifiers shift);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    bool viewportEvent(QEvent *event) override;
    void horizontalScrollbarAction(int action) override;

private:
    friend class TRow;
    friend class TRowTitle;
    friend class TzkDBGridHModel;
    friend class TzkDBGridHDelegate;
    friend class TzkDBGridHTitle;
    friend class TzkDBGridHIndicator;

    // IzkDBGridLink
    void LinkActive(bool active) override;
    void DataChanged() override;
    void EditingChanged() override;
    void RecordChanged(TField *field) override;
    void LayoutChanged() override;
    void UpdateData() override;
    void InvalidateSelection() override;
    void InvalidateCurrentRecord() override;

    void InternalLayout();
    void UpdateColCount();
    void UpdateScrollBar();
    void UpdateActive();
    void RefreshData();
    void RepaintAll();
    void ColWidthsChanged();
    bool AcquireFocus();
    bool ShowsSelection() const;
    int rowsLast() const { return RowCount() - 1; }

    void DrawCell(QPainter *painter, const QRect &rect, int col, int row);
    void DrawTitleCell(QPainter *painter, const QRect &rect, int row);
    void DrawIndicatorCell(QPainter *painter, const QRect &rect, int col);
    void DrawGridLines(QPainter *painter, const QRect &rect, bool fixed);

    // y: of the press in the grid's own coordinates.
    void GridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int col, int row, int y);
    void TitleMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int row);
    void TitleClicked(int row);
    void ScrollBarThumbReleased();
    void TabMove(bool backwards);
    // After a field-row move: field range, whole-record flag, current record.
    void RowMoveSelection();
    void RowChanged(TRow *row);
    void InvalidateRow(int row);
    TDBGridMoves moves();

    // Editing hooks (IzkDBGridEditorHost).
    bool CanEditShow() const;
    QWidget *EditorParent() const override { return viewport(); }
    bool EditorItem(TDBGridEditItem *item) const override;
    TGridDataLink *EditorLink() const override { return m_dataLink.get(); }
    TBookmarkList *EditorSelection() const override { return m_bookmarks.get(); }
    bool CellModifiable() const override;
    bool CanEditModify() override;
    bool CanEditAcceptKey(QChar ch) const override;
    QString GetEditText() const override;
    void SetEditText(const QString &text) override { m_editText = text; }
    int GetEditLimit() const override;
    void EditButtonClick() override;
    void EditorKey(int key, Qt::KeyboardModifiers shift) override;
    bool OwnsFocusWidget(QWidget *widget) const override;
    void GridExit() override;
    TDBGridInplaceEdit *CreateEditor();
    void UpdateEditor();
    void ShowEditor();
    void HideEditor();

    std::unique_ptr<TGridDataLink> m_dataLink;
    std::unique_ptr<TDBGridRows> m_rows;
    std::unique_ptr<TBookmarkList> m_bookmarks;
    TzkDBGridHModel *m_model;
    TzkDBGridHDelegate *m_delegate;
    TzkDBGridHTitle *m_title;
    TzkDBGridHIndicator *m_indicator;

    TDBGridOptions m_options;
    bool m_readOnly = false;
    QFont m_titleFont;
    bool m_titleFontAssigned = false;
    TColor m_color = clWindow;
    TColor m_fixedColor = clBtnFace;
    bool m_defaultDrawing = true;
    int m_titleOffset = 1;
    int m_indicatorOffset = 1;
    int m_updateLock = 0;
    int m_layoutLock = 0;
    bool m_inRowExit = false;
    int m_rowStart = 0;
    int m_rowEnd = 0;
    bool m_selecting = false;
    TRecordId m_selectionAnchor = -1;
    TGridCoord m_selectedCell;
    int m_row = 1;
    int m_defaultRowHeight = 18;
    int m_defaultColWidth = 64;
    int m_titleHeight = 18;
    int m_titleWidth = 64;
    int m_wheelDelta = 0;
    bool m_painting = false;
    bool m_inInput = false;
    Qt::KeyboardModifiers m_inputShift;
    int m_inputKey = 0;
    TzkGridCanvas m_canvas;
    TDBGridInplaceEdit *m_inplaceEdit = nullptr;
    bool m_editorMode = false;
    QString m_editText;
};
