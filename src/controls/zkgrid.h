#pragma once

// The string grid of the object editors: column lists, index columns, file
// lists, privilege matrices, report layouts.
//
//   auto *grid = new TzkStringGrid(parent);
//   grid->SetColCount(3);
//   grid->SetRowCount(2);                 // the header row and one data row
//   grid->SetHeader({"名前", "型", "NULL"});
//   grid->SetEditStyles(1, gePickList);
//   grid->SetEditStyles(2, geCheckBox);   // cells "1", "2" (grayed) or other
//   grid->SetGridMode(geAccess);
//   grid->OnGetPickListitems = [](int ACol, int ARow, QStringList &Items) { ... };
//   grid->OnSetEditText = [](TzkStringGrid *, int ACol, int ARow, const QString &Value) { ... };
//   grid->Save();                         // the snapshot
//   ...
//   if (grid->IsChanged()) ...
//
// Coordinates are those of the cells: fixed rows and columns count, row 0 is
// the top row (the header when FixedRows is 1). Fixed rows and columns stay
// in place when the grid scrolls and are painted as headers.
//
// Editing happens in a TzkInplaceEditor placed over the current cell. An
// edited text reaches the cell (OnBeforeSetEditText, then the cell, then
// OnSetEditText) when the editor moves on or closes, on InputComplite, and
// when a check box toggles.

#include "controls/zkdbgrid.h"
#include "controls/zkstdctl.h"
#include "core/zkeditcommands.h"
#include "core/zksub_files.h"
#include "platform/rtl/scrollstyle.h"

#include <QLineEdit>
#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

class QListWidget;
class QToolButton;
class TzkStringGrid;
class TzkStringGridModel;
class TzkStringGridHeader;

enum TzkGridEditorMode { geAccess, geExcel, geNormal };

enum TzkGridEditStyle { geSimple, geEllipsis, gePickList, geDropList, geCheckBox, geViewCheckBox };

enum TGridOption : unsigned {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

using TShowEditorEvent = std::function<void(TzkStringGrid *Sender, int ACol, int ARow, class TzkInplaceEditor *Editor)>;
using TSelectListEvent = std::function<void(TzkStringGrid *Sender, int ACol, int ARow, int Index)>;
using TOnGetPickListItems = std::function<void(int ACol, int ARow, QStringList &Items)>;
using TSetEditEvent = std::function<void(TzkStringGrid *Sender, int ACol, int ARow, const QString &Value)>;
using TSelectCellEvent = std::function<void(TzkStringGrid *Sender, int ACol, int ARow, bool &CanSelect)>;
using TDrawCellEvent =
    std::function<void(TzkStringGrid *Sender, int ACol, int ARow, const QRect &Rect, TGridDrawState State)>;
using TGridNotifyEvent = std::function<void(TzkStringGrid *Sender)>;
using TMovedEvent = std::function<void(TzkStringGrid *Sender, int FromIndex, int ToIndex)>;

// The size of a check box as the style draws it; the same for every grid.
extern int CheckBoxWidth;
extern int CheckBoxHeight;

// A line edit over the current cell, with an ellipsis button or a drop-down
// list of up to 20 rows.
class TzkInplaceEditor : public QLineEdit
{
    Q_OBJECT
public:
    explicit TzkInplaceEditor(TzkStringGrid *grid);
    ~TzkInplaceEditor() override;

    TzkStringGrid *Grid() const { return m_grid; }
    TEditStyle EditStyle() const { return m_editStyle; }
    void SetEditStyle(TEditStyle value);
    // 0: no limit; -1: no limit either (a drop-down list column).
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int value);
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase value);
    int DropDownRows() const { return 20; }

    // The list of the cell, asked of OnGetPickListItems the first time it is
    // needed for the cell.
    const QStringList &PickListItems();
    bool ListVisible() const;
    void DropDown();
    // Accept takes the chosen item into the editor.
    void CloseUp(bool Accept);
    QListWidget *PickList() const { return m_list; }
    QToolButton *Button() const { return m_button; }

    // Commits the text to the current cell when it differs from the cell.
    void InputComplite();

    // The grid's OnGetPickListitems unless set here.
    TOnGetPickListItems OnGetPickListItems;
    // After the grid's OnEditButtonClick.
    std::function<void(TzkInplaceEditor *Sender)> OnEditButtonClick;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TzkStringGrid;
    // Loads the cell's text and forgets the cell's list.
    void UpdateContents();
    // Completion after a typed character; true when it took the character.
    bool Complete(QChar ch);
    // A typed character after the key-down steps: the grid's character
    // step, then completion or the character itself.
    // gridDone: the grid ran its character step already.
    void CharStage(QChar ch, QKeyEvent *event, bool gridDone = false);
    // Up to the end of the selection, or the caret.
    void selectionBounds(int &start, int &end) const;
    void layoutButton();
    void buttonClicked();

    TzkStringGrid *m_grid;
    TEditStyle m_editStyle = esSimple;
    int m_maxLength = 0;
    TEditCharCase m_charCase = ecNormal;
    QToolButton *m_button;
    QListWidget *m_list;
    QStringList m_items;
    bool m_itemsLoaded = false;
};

class TzkStringGrid
    : public QTableView
    , public IzkEditCommands
    , public IzkEditCommit
    , public IzkSizableGrid
{
    Q_OBJECT
public:
    explicit TzkStringGrid(QWidget *parent = nullptr);
    ~TzkStringGrid() override;

    // --- Shape --------------------------------------------------------------
    int ColCount() const { return m_colCount; }
    void SetColCount(int value);
    int RowCount() const override { return int(m_rows.size()); }
    void SetRowCount(int value);
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int value);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int value);
    // A width of 0 hides the column.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle value);

    // --- Cells --------------------------------------------------------------
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString &text);
    void *Objects(int col, int row) const;
    void SetObjects(int col, int row, void *object);
    QStringList Rows(int row) const;
    void SetRows(int row, const QStringList &texts);
    QStringList Cols(int col) const;
    void SetCols(int col, const QStringList &texts);
    // Row 0.
    QStringList Header() const { return Rows(0); }
    void SetHeader(const QStringList &texts) { SetRows(0, texts); }

    // --- Current cell and scrolling ------------------------------------------
    int Col() const { return m_col; }
    void SetCol(int value);
    int Row() const { return m_row; }
    void SetRow(int value);
    // Moves to a cell through OnSelectCell, as a key or a click does.
    void FocusCell(int col, int row);
    int TopRow() const;
    void SetTopRow(int value);
    int LeftCol() const;
    void SetLeftCol(int value);
    // Rows and columns below and right of the fixed ones wholly on screen.
    int VisibleRowCount() const;
    int VisibleColCount() const;
    // In the viewport's coordinates.
    QRect CellRect(int col, int row) const;
    TGridCoord MouseCoord(int x, int y) const;

    // --- Options and editing -------------------------------------------------
    TGridOptions Options() const { return m_options; }
    void SetOptions(TGridOptions value);
    TzkGridEditorMode GridMode() const { return m_gridMode; }
    void SetGridMode(TzkGridEditorMode value);
    bool EditorMode() const;
    void SetEditorMode(bool value);
    TzkInplaceEditor *InplaceEditor() const { return m_editor; }
    TzkGridEditStyle EditStyles(int index) const;
    void SetEditStyles(int index, TzkGridEditStyle value);
    bool FlatCheckBox() const { return m_flatCheckBox; }
    void SetFlatCheckBox(bool value);
    TColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(TColor value);

    // --- Check boxes ------------------------------------------------------------
    // True only for "1" in a check-box column ("2" is grayed and reads false).
    bool Checked(int col, int row) const;
    // "1" or empty, then the set-edit-text step; only in check-box columns.
    void SetChecked(int col, int row, bool value);
    // Draws the state of the cell's text read as a number: 1 checked,
    // 2 grayed, anything else unchecked. Valid while painting (Canvas()).
    void DrawCheck(int col, int row, const QRect &rect, bool enabled);

    // --- Rows and columns ---------------------------------------------------------
    // Empties every non-fixed cell and leaves one data row; fixed cells,
    // objects of the fixed columns and the snapshot stay.
    void Clear();
    void MoveRow(int FromIndex, int ToIndex);
    void MoveColumn(int FromIndex, int ToIndex);
    void InsertRow(int Index);
    void DeleteRow(int Index);
    void InsertCol(int Index);
    void RemoveColumn(int Index);

    // --- Change tracking -----------------------------------------------------------
    void Save();
    int SaveRowCount() const { return m_saveRowCount; }
    bool IsChanged() const;
    bool IsChangedRow(int row) const;
    bool IsChangedCol(int col) const;
    bool IsChangedCell(int col, int row) const;
    QString SaveCells(int col, int row) const;
    // The row's snapshot; an empty list outside the snapshot.
    const QStringList &SaveRows(int row) const;
    // The column's saved texts, one per snapshot row; the list is the
    // grid's and is refilled by the next call.
    const QStringList &SaveCols(int col);
    // The text without the characters of code 32 and below at its ends is empty.
    bool IsNull(int col, int row) const;

    // --- Painting -----------------------------------------------------------------
    // Valid while a cell is painted (OnDrawCell).
    TzkGridCanvas *Canvas() { return &m_canvas; }

    // --- Editing steps ------------------------------------------------------------
    void ShowEditor();
    void HideEditor();
    // The set-edit-text step: OnBeforeSetEditText, the cell, OnSetEditText.
    void SetEditText(int col, int row, const QString &value);

    // --- IzkEditCommands: copy of the current cell while no editor is open;
    // the in-place editor takes the commands itself when it has the focus. ---
    void EditUndo() override {}
    void EditRedo() override {}
    void EditCut() override {}
    void EditCopy() override;
    void EditPaste() override {}
    void EditDelete() override {}
    void EditSelectAll() override {}

    // --- IzkEditCommit ---
    void CommitEdit() override;

    // --- IzkSizableGrid ---
    QString CellText(int col, int row) const override { return Cells(col, row); }
    QFontMetrics GridFontMetrics() const override { return fontMetrics(); }
    int GridWidth() const override { return width(); }
    void SetColumnWidth(int col, int width) override { SetColWidths(col, width); }

    // --- Events ---------------------------------------------------------------------
    TShowEditorEvent OnShowEditor;
    TOnGetPickListItems OnGetPickListitems;
    TSelectListEvent OnSelectListItems;
    TGridNotifyEvent OnEditButtonClick;
    TSetEditEvent OnBeforeSetEditText;
    TSetEditEvent OnSetEditText;
    TSelectCellEvent OnSelectCell;
    TDrawCellEvent OnDrawCell;
    TGridNotifyEvent OnTopLeftChanged;
    TMovedEvent OnRowMoved;
    TMovedEvent OnColumnMoved;
    // The current cell moved (by key, mouse or program).
    TGridNotifyEvent OnClick;
    TGridNotifyEvent OnDblClick;
    // First of every key the grid or its editor receives; clearing the key
    // (0) stops its handling.
    std::function<void(TzkStringGrid *Sender, int &Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(TzkStringGrid *Sender, QChar &Key)> OnKeyPress;

protected:
    // The key table of the grid; true when the key was taken.
    virtual bool KeyDown(int key, Qt::KeyboardModifiers shift);
    // The editor's key table before the editor's own handling; true when taken.
    bool EditorKeyDown(int key, Qt::KeyboardModifiers shift);
    // Enter as a key down, in the grid or passed on by the editor.
    bool GridEnterKeyDown(Qt::KeyboardModifiers shift);
    // The character step of the grid and of its editor; true when taken.
    bool KeyPress(QChar &ch);
    void MouseDown(Qt::MouseButton button, const QPoint &viewportPos, bool onCells);
    void MoveCurrent(int col, int row, bool select);

    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void verticalScrollbarAction(int action) override;
    void horizontalScrollbarAction(int action) override;

private:
    friend class TzkInplaceEditor;
    friend class TzkStringGridModel;
    friend class TzkStringGridHeader;
    friend class TzkStringGridDelegate;

    struct GridRow
    {
        std::vector<QString> cells;
        std::vector<void *> objects; // empty until an object is set
    };

    // The one place grid and model coordinates meet.
    QModelIndex modelIndex(int col, int row) const;
    bool isDataCell(int col, int row) const { return col >= m_fixedCols && row >= m_fixedRows; }

    void resizeRows(int count);
    void resizeCols(int count);
    void applyColumnWidths();
    void applyRowHeights();
    void applyFixedSizes();
    void cellChanged(int col, int row);
    void rowsChanged(int first, int last);
    void colsChanged(int first, int last);
    void fixLastRowRepaint();

    // The editor's kind for a column.
    TEditStyle editorStyleOf(int col) const;
    void UpdateEdit();
    void placeEditor();
    bool CanEditShow() const;
    void commitEditor();
    void doSelectCell(int col, int row, bool &canSelect);
    void toggleCurrent();
    void TabMove(bool backwards);
    bool focusInside(const QWidget *w) const;
    void focusLeft(QWidget *newFocus);
    // Tab out of the grid to the neighbouring control.
    void leaveByTab(bool next);
    void focusQuietly();
    // The editor's standard key-down steps; true when the key went to the grid.
    bool editorStandardKeyDown(int key, Qt::KeyboardModifiers shift);
    int nextVisibleCol(int col, int step) const;

    void DrawCell(QPainter *painter, const QRect &rect, int col, int row);
    void DrawFixedCell(QPainter *painter, const QRect &rect, int col, int row);
    // The fixed cells of a header strip (columns for the top strip, rows for
    // the left one), and the corner.
    void paintCorner(QPainter *painter, const QRect &rect);
    void scrollBarAction(QScrollBar *bar, int action, int fixed, int count, int visible);

    TzkStringGridModel *m_model;
    TzkStringGridHeader *m_top;
    TzkStringGridHeader *m_left;
    TzkInplaceEditor *m_editor = nullptr;
    QWidget *m_corner = nullptr;

    std::vector<GridRow> m_rows;
    int m_colCount = 0;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_col = 1;
    int m_row = 1;
    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights; // 0: the default height
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    TGridOptions m_options;
    TScrollStyle m_scrollBars = ssBoth;
    TColor m_fixedColor = clBtnFace;

    TzkGridEditorMode m_gridMode = geNormal;
    std::vector<TzkGridEditStyle> m_editStyles;
    bool m_flatCheckBox = false;
    bool m_editorMode = false;
    int m_inplaceCol = -1;
    int m_inplaceRow = -1;

    int m_saveRowCount = 0;
    std::vector<QStringList> m_saveRows;
    std::unique_ptr<QStringList> m_saveCols;

    TzkGridCanvas m_canvas;
    bool m_enteringFocus = false;
    bool m_editorCreated = false; // the editor was shown once
    bool m_tabbingOut = false;
    bool m_clickedCurrent = false;
    int m_updateLock = 0;
    int m_dragFrom = -1;
    Qt::Orientation m_dragOrientation = Qt::Horizontal;
};
