#pragma once

// The data grid: every result of the program is shown in it.
//
//   TDataSource source;                  // what the grid is bound to
//   source.SetDataSet(&query);
//   auto *grid = new TzkDBGridV(parent);
//   grid->SetOptions(grid->Options() + dgMultiSelect);
//   grid->SetDataSource(&source);        // follows the query from now on
//   grid->OnDrawColumnCell = [&](const QRect &r, int col, TColumn *c, TGridDrawState s) {
//       ...                              // grid->Canvas(): painter, brush, font
//   };
//   grid->SelectedRows()->Count();       // records selected
//   grid->CopySelection();               // the copy command
//   grid->SelectAllRecords();            // the select-all command
//
// The grid keeps no cells: it shows a window of the data set's records,
// as many as fit on screen (TGridDataLink), reading the result's column
// store directly, and the data set's current record is always on screen:
// keys, the mouse, the wheel and the scroll bar move the data set. The
// columns (TDBGridColumns) are built from the fields. Selected records are a
// set of record ids (TBookmarkList); with the field range ColStart..ColEnd
// they make the selection that CopySelection writes as tab-separated text.
//
// Grid coordinates: column 0 is the indicator column with dgIndicator
// (IndicatorOffset 1), row 0 the title row with dgTitles (TitleOffset 1);
// data column d is grid column d + IndicatorOffset.
//
// Editing in place (the editor, posting, record paste) attaches to the
// hooks marked below; until then the grid browses and deletes.

#include "controls/zkdbgrid_columns.h"
#include "controls/zkdbgrid_inplace.h"
#include "controls/zkdbgrid_link.h"
#include "core/zkeditcommands.h"

#include <QTableView>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QPainter;
class TzkDBGridModel;
class TzkDBGridDelegate;
class TzkDBGridTitle;
class TzkDBGridIndicator;
class TDBGridInplaceEdit;
struct TDBGridMoves;

enum TDBGridOption {
    dgEditing,
    dgAlwaysShowEditor,
    dgTitles,
    dgIndicator,
    dgColumnResize,
    dgColLines,
    dgRowLines,
    dgTabs,
    dgRowSelect,
    dgAlwaysShowSelection,
    dgConfirmDelete,
    dgCancelOnExit,
    dgMultiSelect,
};

class TDBGridOptions
{
public:
    constexpr TDBGridOptions() = default;
    TDBGridOptions(std::initializer_list<TDBGridOption> options)
    {
        for (TDBGridOption o : options)
            Include(o);
    }
    bool Has(TDBGridOption o) const { return m_bits & (1u << o); }
    void Include(TDBGridOption o) { m_bits |= 1u << o; }
    void Exclude(TDBGridOption o) { m_bits &= ~(1u << o); }
    TDBGridOptions operator+(TDBGridOption o) const
    {
        TDBGridOptions r = *this;
        r.Include(o);
        return r;
    }
    TDBGridOptions operator-(TDBGridOption o) const
    {
        TDBGridOptions r = *this;
        r.Exclude(o);
        return r;
    }
    friend bool operator==(TDBGridOptions a, TDBGridOptions b) { return a.m_bits == b.m_bits; }

    // The value a stored form leaves out: [dgEditing, dgTitles, dgIndicator,
    // dgColumnResize, dgColLines, dgRowLines, dgTabs, dgConfirmDelete,
    // dgCancelOnExit].
    static TDBGridOptions Default();

private:
    quint32 m_bits = 0;
};

enum TGridDrawStateFlag { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

struct TGridCoord
{
    int X = -1;
    int Y = -1;
    friend bool operator==(TGridCoord a, TGridCoord b) { return a.X == b.X && a.Y == b.Y; }
};

// What a cell is painted with. While the grid paints a data cell, its
// drawing handlers change the brush and font here and paint through
// Painter (or DefaultDrawColumnCell); the data set's fields then read the
// record being painted.
class TzkGridCanvas
{
public:
    QPainter *Painter = nullptr;
    TColor BrushColor = clWindow;
    QFont Font;
    TColor FontColor = clWindowText;

    void FillRect(const QRect &rect);
    // Text with its top at y.
    void TextOut(int x, int y, const QString &text);
    int TextWidth(const QString &text) const;
    // The painter takes the brush, font and colour.
    void Apply();
};

class TzkDBGridV
    : public QTableView
    , public IzkEditCommands
    , private IzkDBGridLink
    , private IzkDBGridEditorHost
{
    Q_OBJECT
public:
    explicit TzkDBGridV(QWidget *parent = nullptr);
    ~TzkDBGridV() override;

    // --- Data -----------------------------------------------------------------
    TDataSource *DataSource() const { return m_dataLink->DataSource(); }
    // Another source clears the record selection and lays the grid out anew.
    void SetDataSource(TDataSource *source);
    TGridDataLink *DataLink() const { return m_dataLink.get(); }
    TDBGridColumns *Columns() const { return m_columns.get(); }
    int FieldCount() const { return m_dataLink->FieldCount(); }
    TField *GetFields(int fieldIndex) const { return m_dataLink->Fields(fieldIndex); }
    bool ValidFieldIndex(int fieldIndex) const;

    // --- Options and looks ------------------------------------------------------
    TDBGridOptions Options() const { return m_options; }
    // dgRowSelect takes dgEditing and dgAlwaysShowEditor out; removing
    // dgMultiSelect clears the selected records.
    void SetOptions(TDBGridOptions value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(TColor value);
    // The grid's font unless one was given.
    QFont TitleFont() const { return m_titleFontAssigned ? m_titleFont : font(); }
    void SetTitleFont(const QFont &value);
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value) { m_defaultDrawing = value; }

    // --- Geometry (grid coordinates) --------------------------------------------
    int IndicatorOffset() const { return m_indicatorOffset; }
    int TitleOffset() const { return m_titleOffset; }
    int RawToDataColumn(int col) const { return col - m_indicatorOffset; }
    int ColCount() const;
    int RowCount() const;
    // The current cell.
    int Col() const { return m_col; }
    int Row() const;
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int value);
    // Rows that fit on screen whole (at least 1).
    int VisibleRowCount() const;
    int ColWidths(int col) const;
    bool TabStops(int col) const;
    // In the grid's own coordinates.
    QRect CellRect(int col, int row) const;
    QRect GetCellRect(int col, int row) const { return CellRect(col, row); }
    TGridCoord MouseCoord(int x, int y) const;

    // --- Current column and field ---------------------------------------------------
    // The current data column; writing moves there.
    int SelectedIndex() const { return RawToDataColumn(m_col); }
    void SetSelectedIndex(int value);
    TField *SelectedField() const;
    void SetSelectedField(TField *value);

    // --- Selection (records, field range, whole-record flag) ------------------------
    TBookmarkList *SelectedRows() const { return m_bookmarks.get(); }
    int ColStart() const { return m_colStart; }
    void SetColStart(int value) { m_colStart = value; }
    int ColEnd() const { return m_colEnd; }
    void SetColEnd(int value) { m_colEnd = value; }
    // One flag for every grid of this class: selected records count in all
    // columns, not only in the field range.
    static bool WholeRecordSelectedV();
    static void SetWholeRecordSelectedV(bool value);
    TGridCoord SelectedCell() const { return m_selectedCell; }
    void SetSelectedCell(TGridCoord value) { m_selectedCell = value; }

    // The copy command: the selected records' cells of the field range (all
    // cells with the whole-record flag) as tab-separated lines; without
    // selected records the current cell's value as it is.
    void CopySelection() override;
    // The text CopySelection puts on the clipboard; empty and false when
    // nothing would be copied.
    bool SelectionText(QString *text);
    // The select-all command: every record selected, the field range over
    // every column, the last record current. O(1) in the records.
    void SelectAllRecords() override;

    // --- Painting --------------------------------------------------------------------
    // Valid while a data cell is being painted.
    TzkGridCanvas *Canvas() { return &m_canvas; }
    void DefaultDrawColumnCell(const QRect &rect, int dataCol, TColumn *column, TGridDrawState state);
    void DefaultDrawDataCell(const QRect &rect, TField *field, TGridDrawState state);

    // --- In-place editing -------------------------------------------------------
    // The editor is shown over the current cell while the grid may show it
    // (dgEditing without dgRowSelect, an active link on a result that can be
    // changed) and editor mode is on; dgAlwaysShowEditor keeps it on.
    bool EditorMode() const;
    void SetEditorMode(bool value);
    // Created on first need; null before.
    TDBGridInplaceEdit *InplaceEditor() const { return m_inplaceEdit; }
    // The current cell's pending edit text.
    QString EditText() const { return m_editText; }
    // Raised by the editor's ellipsis button.
    std::function<void()> OnEditButtonClick;

    // --- IzkEditCommands: the main window's commands. Copy and select-all
    // are the grid's; undo, cut, paste and delete belong to the in-place
    // editor and go to it when it is there. ----
    void EditUndo() override;
    void EditRedo() override {}
    void EditCut() override;
    void EditCopy() override { CopySelection(); }
    void EditPaste() override;
    void EditDelete() override;
    void EditSelectAll() override { SelectAllRecords(); }

    // --- Events ----------------------------------------------------------------
    std::function<void()> OnColEnter;
    // Raised before the current column changes; moving the column in it
    // abandons the move.
    std::function<void()> OnColExit;
    std::function<void(int fromIndex, int toIndex)> OnColumnMoved;
    std::function<void(TColumn *column)> OnCellClick;
    std::function<void(TColumn *column)> OnTitleClick;
    // While the columns are default.
    std::function<void(const QRect &rect, TField *field, TGridDrawState state)> OnDrawDataCell;
    std::function<void(const QRect &rect, int dataCol, TColumn *column, TGridDrawState state)> OnDrawColumnCell;
    // First of every key; may change or clear (0) the key.
    std::function<void(int &key, Qt::KeyboardModifiers shift)> OnKeyDown;
    std::function<void()> OnDblClick;
    std::function<void(Qt::KeyboardModifiers shift, int x, int y)> OnMouseMove;

    // The indicator images, for their looks.
    static const QList<QPixmap> &IndicatorImages();
    static constexpr int IndicatorWidth = 11;

protected:
    // --- Layout locks ---------------------------------------------------------------
    void BeginUpdate();
    void EndUpdate();
    void BeginLayout();
    void EndLayout();
    void CancelLayout();
    bool AcquireLayoutLock();
    virtual void RequestLayout();
    virtual void MapFields();
    virtual void ApplyColumnAttributes();
    virtual bool IsCellHighlighted(int dataCol, int dataRow) const;

    // The one way the current column changes (col in grid columns).
    void MoveToColumn(int col, int direction);
    // One record up or down, extending the selection with Shift when allowed.
    void MoveRecord(int direction, bool maySelect, Qt::KeyboardModifiers shift);
    void ClearSelection();
    // The key table; true when the key was handled.
    virtual bool KeyDown(int key, Qt::KeyboardModifiers shift);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    bool viewportEvent(QEvent *event) override;
    void verticalScrollbarAction(int action) override;

private:
    friend class TColumn;
    friend class TColumnTitle;
    friend class TDBGridColumns;
    friend class TzkDBGridModel;
    friend class TzkDBGridDelegate;
    friend class TzkDBGridTitle;
    friend class TzkDBGridIndicator;
    friend class TDBGridInplaceEdit;

    // IzkDBGridLink
    void LinkActive(bool active) override;
    void DataChanged() override;
    void EditingChanged() override;
    void RecordChanged(TField *field) override;
    void LayoutChanged() override;
    void UpdateData() override;
    void InvalidateSelection() override;
    void InvalidateCurrentRecord() override;

    void applyBaseOptions();
    void InternalLayout();
    void UpdateRowCount();
    void UpdateScrollBar();
    void UpdateActive();
    void RefreshData();
    void InvalidateColumn(int col);
    void InvalidateRow(int row);
    void ColumnChanged(TColumn *column);
    void ColWidthsChanged(int section);
    void ColumnMoved(int fromIndex, int toIndex);
    bool AcquireFocus();
    bool ShowsSelection() const;
    int ColumnAtX(int x) const;

    void DrawCell(QPainter *painter, const QRect &rect, int col, int row);
    void DrawTitleCell(QPainter *painter, const QRect &rect, int col);
    void DrawIndicatorCell(QPainter *painter, const QRect &rect, int row);
    void DrawFixedFrame(QPainter *painter, const QRect &rect);
    void DrawGridLines(QPainter *painter, const QRect &rect, bool fixed);

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
    void SetEditText(const QString &text) override;
    int GetEditLimit() const override;
    TDBGridInplaceEdit *CreateEditor();
    // Shows, moves, fills or hides the editor as the state asks.
    void UpdateEditor();
    void ShowEditor();
    void HideEditor();
    void EditButtonClick() override;
    void EditorKey(int key, Qt::KeyboardModifiers shift) override;
    void GridExit() override;
    bool OwnsFocusWidget(QWidget *widget) const override;
    TDBGridMoves moves();

    // Input.
    void GridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int col, int row, int x);
    void TitleMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int col, int x);
    void TitleClicked(int col);
    void ScrollBarThumbReleased();
    void TabMove(bool backwards);
    void NextRecord(Qt::KeyboardModifiers shift);
    void PriorRecord(Qt::KeyboardModifiers shift);
    void DeleteRecords();
    // After a column move: field range, whole-record flag, current record.
    void ColumnMoveSelection();
    // The shift keys (and the key) of the input being handled; the keyboard
    // state outside input handling.
    Qt::KeyboardModifiers shiftState() const;
    bool tabDown() const;
    struct InputScope
    {
        InputScope(TzkDBGridV *grid, Qt::KeyboardModifiers shift, int key = 0);
        ~InputScope();
        TzkDBGridV *grid;
        Qt::KeyboardModifiers oldShift;
        int oldKey;
        bool oldActive;
    };

    std::unique_ptr<TGridDataLink> m_dataLink;
    std::unique_ptr<TDBGridColumns> m_columns;
    std::unique_ptr<TBookmarkList> m_bookmarks;
    TzkDBGridModel *m_model;
    TzkDBGridDelegate *m_delegate;
    TzkDBGridTitle *m_title;
    TzkDBGridIndicator *m_indicator;

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
    bool m_inColExit = false;
    int m_colStart = 0;
    int m_colEnd = 0;
    bool m_selecting = false;
    TRecordId m_selectionAnchor = -1;
    std::vector<TColumn *> m_visibleColumns;
    std::vector<bool> m_tabStops;
    bool m_layoutFromDataset = false;
    bool m_updateFields = true;
    bool m_acquireFocus = true;
    TGridCoord m_selectedCell;
    int m_col = 1;
    int m_defaultRowHeight = 18;
    int m_defaultColWidth = 64;
    int m_titleHeight = 18;
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
