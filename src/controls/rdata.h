#pragma once

// The result frame: one query shown in the record grid or the transposed
// grid, with the commands on its result (editing, sorting, exports, record
// insert and delete, aggregates).
//
//   auto *frame = new TfraData(ownerWindow, parentWidget);
//   frame->qryData->SetConnection(&connection);
//   frame->SetSQL("select * from dbo.people");
//   frame->Prepare();                     // sort clause, read-only state
//   frame->Open();                        // raises on failure
//
// Windows that prepare qryData themselves (the SQL window) may open it
// directly: the after-open handler runs on every open and close of qryData.
//
// The owner window tells what it is through IzkDataFrameOwner (table and
// view editors, the test-data generator); other owners are plain windows.

#include "controls/zkdbgrid.h"
#include "controls/zkdbgridh.h"
#include "platform/db/dbquery.h"
#include "platform/db/dbsource.h"

#include <QDateTimeEdit>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QScrollArea;
class QToolBar;
class QToolButton;
class TzkIniFile;

enum TzkDataOwnerKind { dokOther, dokTable, dokView, dokDataGenerate };

// What the frame needs to know of the window that holds it.
class IzkDataFrameOwner
{
public:
    virtual ~IzkDataFrameOwner() = default;
    virtual TzkDataOwnerKind DataOwnerKind() const = 0;
    // The comment the editor's column grid holds for the column whose name
    // equals fieldName; false when the grid has no such row.
    virtual bool DataColumnComment(const QString &fieldName, QString &comment) const
    {
        Q_UNUSED(fieldName)
        Q_UNUSED(comment)
        return false;
    }
    // The table an INSERT script of the frame's rows names, as the owner
    // shows it (the test-data generator: schema + "." + name); empty when
    // the owner has none.
    virtual QString DataInsertTableName() const { return QString(); }
};

// --- Texts the frame builds (no window needed) -----------------------------------

// The statement with " ORDER BY sort[ DESC]" on a line of its own, trailing
// semicolons (and blanks between them) removed; unchanged when sort is empty
// or the statement holds "ORDER BY" anywhere (upper-cased).
QString SortedStatement(const QString &sql, const QString &sort, bool desc);

// "select count(" etc. + the bracketed field name + ") from (" + the
// trimmed statement + ") as dummy".
QString AggregateStatement(const QString &function, const QString &fieldName, const QString &sql);

// The column-width file of a table or view: the work folder +
// DBName.TableName.ini without the characters invalid in file names (the
// file of its WHERE history).
QString ColumnWidthFileName(const QString &dbName, const QString &tableName);

// Whether a title caption can be a key of the width file: a key holding "="
// or a line break, or starting with ";", would not read back as written.
bool ColumnWidthKeyUsable(const QString &caption);

// How the frame draws a data cell of a field: whether it draws the cell
// itself, and then the text, alignment and font colour.
struct TzkDataCellLook
{
    bool own = false;
    QString text;
    TAlignment alignment = taLeftJustify;
    bool nullText = false; // "(NULL)" in blue
};
// showMode -1: the record grid; 0.. the option DataShowMode of the
// transposed grid. The field reads the record being drawn.
TzkDataCellLook DataCellLook(TField *field, int showMode, bool showNull);

// --- The frame ------------------------------------------------------------------

class TfraData : public QWidget
{
    Q_OBJECT
public:
    // owner: the window the frame belongs to (the table or view editor, the
    // SQL window's connection window, ...); parent: where it is placed.
    explicit TfraData(QObject *owner, QWidget *parent = nullptr);
    ~TfraData() override;

    QObject *Owner() const { return m_owner; }
    TzkDataOwnerKind OwnerKind() const;

    // The long-text editor (set by the SQL window's folder at start-up):
    // returns 1 on OK, when text and nullChecked take the new value.
    static inline std::function<int(QString &text, bool &nullChecked, bool showNull, bool readOnly)> ShowMemoWindow;
    // Re-reads the frame's result before an export when the user asks for
    // it (set by the SQL window for its frames); returns true when it took
    // the frame. Without it, or when it declines, the owner gets WM_RELOAD.
    static inline std::function<bool(TfraData *frame)> RefreshForExport;

    // --- Components --------------------------------------------------------------
    TFDQuery *qryData;
    TFDQuery *qryTemp;
    TDataSource *dsrTableData;
    TzkDBGridV *grdData1;
    TzkDBGridH *grdData2;
    QScrollArea *scrButton;
    QToolBar *tolLeft;
    QToolButton *btnUpdate;
    QToolButton *btnGridType;
    QToolButton *btnComHeader;
    QToolButton *btnExcel;
    QToolButton *btnInsert;
    QToolButton *btnCopy;
    QToolButton *btnCSV;
    QToolButton *btnIns;
    QToolButton *btnDel;
    QToolButton *btnFirst;
    QToolButton *btnPrev;
    QToolButton *btnNext;
    QToolButton *btnLast;
    QDateTimeEdit *dtpInputDate;
    QMenu *popRecord;
    QAction *mnuIns;
    QAction *mnuCopy;
    QAction *mnuPaste;
    QAction *mnuDel;
    QMenu *popColumn;
    QAction *mnuEditCopy;
    QAction *mnuSortAscending;
    QAction *mnuSortDescending;
    QMenu *mnugroup;
    QAction *mnuCount;
    QAction *mnuSum;
    QAction *mnuAverage;
    QAction *mnuMax;
    QAction *mnuMin;

    // --- Properties ----------------------------------------------------------------
    QString SQL() const { return FSQL; }
    // Clears the sort column; ascending.
    void SetSQL(const QString &value);
    QString TableName() const { return FTableName; }
    void SetTableName(const QString &value) { FTableName = value; }
    QString DBName() const { return FDBName; }
    void SetDBName(const QString &value) { FDBName = value; }
    const QStringList &Primary() const { return FPrimary; }
    // Kept only when the owner is the table editor.
    void SetPrimary(const QStringList &value);
    bool GridType() const { return FGridType; }
    void SetGridType(bool value) { FGridType = value; }
    QString Sort() const { return FSort; }
    bool Desc() const { return FDesc; }
    bool ComHeader() const { return FComHeader; }

    // Rebuilds the query text (sort clause, read-only state, grid options).
    void Prepare();
    // Opens the query, reading every record; raises on failure.
    void Open();
    // Whether the open result can be changed.
    bool ResultWritable() const;

    // --- Handlers --------------------------------------------------------------------
    void qryDataAfterOpenClose();
    void qryDataBeforeClose();
    void qryDataAfterPost();
    void qryDataAfterDelete();
    void grdData1TitleClick(TColumn *column);
    void grdData2TitleClick(TRow *row);
    void grdData1DrawColumnCell(const QRect &rect, int dataCol, TColumn *column, TGridDrawState state);
    void grdData2DrawRowCell(const QRect &rect, int dataRow, TRow *row, TGridDrawState state);
    void grdData1EditButtonClick();
    void grdData1DblClick();
    void grdData1KeyDown(int &key, Qt::KeyboardModifiers shift);
    void grdData2KeyDown(int &key, Qt::KeyboardModifiers shift);
    void dtpInputdateChange();
    void dtpInputDateCloseUp();
    void btnUpdateClick();
    void btnGridTypeClick();
    void btnComHeaderClick();
    void btnInsClick();
    void btnDelClick();
    void btnFirstClick();
    void btnPrevClick();
    void btnNextClick();
    void btnLastClick();
    void mnuCopyClick();
    void mnuPasteClick();
    void popColumnPopup();
    void mnuEditCopyClick();
    void mnuSortAscendingClick();
    void mnuSortDescendingClick();
    void mnuCountClick();
    void mnuSumClick();
    void mnuAverageClick();
    void mnuMaxClick();
    void mnuMinClick();
    // Exports (the export units fill them in).
    void btnExcelClick();
    void btnInsertClick();
    void btnCopyClick();
    void btnCSVClick();

    void SortByColumn(const QString &n, bool desc);
    void SortByRow(const QString &n, bool desc) { SortByColumn(n, desc); }

    // The menu a right click at pos (in the grid's coordinates) opens on
    // the visible grid; null for none.
    QMenu *PopupMenuAt(const QPoint &pos) const;

    // The visible grid's selected field; null when none.
    TField *SelectedGridField() const;

    TColumn *SelectedColumn = nullptr;
    TRow *SelectedRow = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void SetEditButtonStyles();
    void ApplyEditOptions(bool editing);
    void ApplyTitles();
    void ApplyColumnWidths();
    void TransactionRule();
    void CopyParams(TFDQuery *from, TFDQuery *to);
    void PrepareKeepingParams();
    void Aggregate(const QString &function, const QString &label, bool formatted);
    void GridKeyDown(int &key, Qt::KeyboardModifiers shift);
    void ClearVisibleSelections();
    void FocusVisibleGrid();
    void DrawStripe(TGridDrawState state, bool selected);
    void DrawLook(const QRect &rect, const TzkDataCellLook &look);
    void ShowDatePicker(TField *field);
    void ColourPrimaryTitles();
    QString SelectedCaption() const;

    QPointer<QObject> m_owner;
    QString FSQL;
    QString FTableName;
    QString FDBName;
    QString FSort;
    bool FDesc = false;
    bool FGridType = false;
    bool FTitleClicked = false;
    QStringList FPrimary;
    bool FComHeader = false;
    // The picker shows no date until the user picks one.
    bool m_pickerBlank = false;
    bool m_pickerSetting = false;
    quint64 m_editChecked = 0;
};
