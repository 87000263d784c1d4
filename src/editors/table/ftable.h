#pragma once

// The table editor: one table on seven tabs (definition, source, data,
// storage, privileges, dependencies, system versioning).
//
//   TfrmTable::Open(owner, "SalesDB", "dbo", "Orders", omDefine, 0);  // a shown window
//   TfrmTable::Open(owner, "SalesDB", "dbo", "", omDefine, 0);        // a new table

#include "editors/fobjecteditor.h"
#include "editors/zkdropdowncombo.h"
#include "editors/table/tabledef.h"
#include "sqlwindow/rMemo.h"

#include <QStringList>

class QAction;
class QDateTimeEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TFDQuery;
class TfraCross;
class TfraData;
class TfraGrant;
class TfraStorage;
class TzkActionList;
class TzkCheckBox;
class TzkComboBox;
class TzkNumEdit;
class TzkStrEdit;
class TzkStringGrid;

// The columns of the column grid.
enum TTableGridCol : int {
    tgPrimary = 0,
    tgName = 1,
    tgType = 2,
    tgLength = 3,
    tgNotNull = 4,
    tgDefault = 5,
    tgCollation = 6,
    tgMask = 7,
    tgComment = 8,
};

class TfrmTable
    : public TfrmObjectEditor
    , public IzkMemoHost
    , public IzkChildMenu
{
    Q_OBJECT
public:
    explicit TfrmTable(TfrmObject *owner);
    ~TfrmTable() override;

    // Opens the editor on a table (an empty name: a new table) on the tab
    // the mode names; DefTopRecord above 0 replaces the option as the data
    // tab's row count. Raises EAbort when the table's window is open already
    // (it comes forward) or the first load failed.
    static TfrmTable *Open(TfrmObject *owner, const QString &database, const QString &schema, const QString &objectName,
                           TOpenMode openMode, int defTopRecord);

    // A default of a Unicode column needs an N prefix.
    static bool ChkNPrefixForDef(const QString &Value, const QString &DataType);

    // The catalogue texts for the server and the name in the window.
    void PrepareQueries();
    // Reads the table anew and fills the window; false when it is not in
    // the catalogue. With IsDrop the source receives the DROP script.
    bool ShowDefine(bool IsDrop);

    // The definition as last read.
    const TTableDef &Definition() const { return m_def; }

    void ChangedIsNew() override;
    void LoadWindowLayout() override;
    void SaveWindowLayout() override;

    // Commands.
    void actDeleteExecute() { Delete(); }
    void actDataGenerateExecute();
    void actPrintExecute();
    void PrintProc();
    void actSaveExecute();
    // Runs the update handlers of the command list.
    void UpdateActions();
    void cmbDatabaseDropDown();
    void cmbSchemaDropDown();
    void chkCreateTmpTblClick();
    void cmbTmpHistColDropDown(TzkDropDownComboBox *combo);
    void btnTmpHistTblSelectClick();
    void btnTmpHistTblOpenClick();
    void btnExecSQLClick();
    void WMCodeAssist(int X, int Y);

    // IzkMemoHost, IzkChildMenu.
    QString MemoSchemaName() const override;
    QString MemoObjectName() const override;
    QMenu *ChildMenu() const override { return mnuTool; }

    // The save dialog (tests replace it): the chosen name, empty on cancel.
    static inline std::function<QString(QWidget *parent, const QString &folder, const QString &proposed)> SaveFileName;

    // --- Components ---
    QFrame *pnlPersonalColor = nullptr;
    QToolBar *tolCmd = nullptr;
    QWidget *pnlName = nullptr;
    TzkDropDownComboBox *cmbDataBase = nullptr;
    TzkDropDownComboBox *cmbSchema = nullptr;
    TzkStrEdit *txtName = nullptr;
    TzkObjectPages *pagObject = nullptr;
    QWidget *tabDefine = nullptr;
    QWidget *tabSource = nullptr;
    QWidget *tabData = nullptr;
    QWidget *tabStorage = nullptr;
    QWidget *tabGrant = nullptr;
    QWidget *tabCross = nullptr;
    QWidget *tabTemporal = nullptr;
    // Definition tab.
    QWidget *pnlDefine = nullptr;
    QWidget *pnlFieldTop = nullptr;
    TzkStrEdit *txtComment = nullptr;
    TzkStringGrid *grdColumn = nullptr;
    QSplitter *spl1 = nullptr;
    QWidget *pnlConst = nullptr;
    QTreeWidget *lstConst = nullptr;
    // Source, data, storage, privilege and dependency tabs.
    TfraMemo *fraMemo = nullptr;
    QWidget *pnlWhere = nullptr;
    TzkComboBox *cmbWhere = nullptr;
    TzkCheckBox *chkIncNull = nullptr;
    TzkNumEdit *txtRecord = nullptr;
    QToolButton *btnWhere = nullptr;
    QToolButton *btnExecSQL = nullptr;
    TzkStringGrid *grdWhere = nullptr;
    QWidget *pnlWhereTmp = nullptr;
    TfraData *fraData = nullptr;
    TfraStorage *fraStorage = nullptr;
    TfraGrant *fraGrant = nullptr;
    TfraCross *fraCross = nullptr;
    // Temporal tab.
    TzkCheckBox *chkCreateTmpTbl = nullptr;
    QGroupBox *grpCreateTmpTbl = nullptr;
    QGroupBox *grpSelectTmpHistTbl = nullptr;
    TzkComboBox *cmbTmpHistSchema = nullptr;
    TzkStrEdit *txtTmpHistTblName = nullptr;
    QToolButton *btnTmpHistTblSelect = nullptr;
    QToolButton *btnTmpHistTblOpen = nullptr;
    TzkCheckBox *chkTmpConsistency = nullptr;
    QGroupBox *grpTmpHistStartCol = nullptr;
    TzkDropDownComboBox *cmbTmpHistStartCol = nullptr;
    TzkCheckBox *chkTmpHistStartColHidden = nullptr;
    QGroupBox *grpTmpHistEndCol = nullptr;
    TzkDropDownComboBox *cmbTmpHistEndCol = nullptr;
    TzkCheckBox *chkTmpHistEndColHidden = nullptr;
    // Commands.
    TzkActionList *actObject = nullptr;
    QAction *actCompile = nullptr;
    QAction *actRefresh = nullptr;
    QAction *actDelete = nullptr;
    QAction *actDataGenerate = nullptr;
    QAction *actOutput = nullptr;
    QAction *actPrint = nullptr;
    QAction *actSave = nullptr;
    QAction *actExit = nullptr;
    QAction *actColUp = nullptr;
    QAction *actColDown = nullptr;
    QMenu *popOutput = nullptr;
    QMenu *mnuTool = nullptr;
    // Catalogue queries.
    TFDQuery *qryTable = nullptr;
    TFDQuery *qryColumn = nullptr;
    TFDQuery *qryConst1 = nullptr;
    TFDQuery *qryConst2 = nullptr;
    TFDQuery *qryConst3 = nullptr;
    TFDQuery *qryTemporal = nullptr;
    TFDQuery *qryConstDef = nullptr;
    TFDQuery *qrySQL = nullptr;

    // --- Fields ---
    QStringList FShowFld;
    QStringList FPrimary;
    QStringList FDataType;
    QStringList FCollType;
    QStringList FMaskType;
    QString CopySchema;
    QString CopyTable;
    bool bBeforechkCreateTmpTbl = false;
    bool bBeforechkTmpHistStartColHidden = false;
    bool bBeforechkTmpHistEndColHidden = false;
    QList<TDefaultColumn> FDefaultColumns;
    bool FFirstActivated = false;

protected:
    QString TypeWord() const override { return QStringLiteral("TABLE"); }
    QString LayoutKey() const override { return QStringLiteral("TABLE"); }
    bool LoadObject() override;
    QWidget *DatabaseField() const override;
    QWidget *SchemaField() const override;
    QWidget *NameField() const override;
    QStringList BuildCompileScript() override;
    QStringList BuildDropScript() const override;
    QStringList BuildScript(bool drop) const override;
    void EnableNameFields(bool enabled) override;
    bool SourceTabActive() const override;
    void showEvent(QShowEvent *event) override;
    bool FormCloseQuery() override;
    void Activate() override;
    void BeforeFirstLoad() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TfrmTableTest;
    void BuildHeader(QWidget *parent);
    void BuildDefineTab();
    void BuildDataTab();
    void BuildTemporalTab();
    void BuildActions();
    void Construct(TOpenMode openMode, int defTopRecord);
    void Onchange();
    void FillColumns();
    void FillTemporal(const TTableDef &def);
    void SaveTemporal();
    void ShowDataTab();
    void UpdateTemporalEnabling();
    void UpdateConsistency();
    // Stubs of the parts that later work builds.
    void ShowConst();
    void RebuildWhereGrid();
    void SetReportList();
    QString DataSelectSQL() const;
    void GetSourceCreate(QStringList &Source) const;
    void GetSourceDrop(QStringList &Source) const;

    TTableDef m_def;
    bool m_loading = false; // the load fills the controls: no Modified
    bool m_firstShown = false;
    bool m_namesFilled = false;
    TOpenMode m_openMode = omDefine;
    int m_defTopRecord = 0;
    int m_constHeight = -1; // from the layout, applied at the first show
    void FormResize();
};

// Puts TfrmTable into the opening table (kind 45).
void RegisterTableEditorWindows();
