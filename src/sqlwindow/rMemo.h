#pragma once

// The source-editor frame: the SQL editor every window with SQL source
// embeds, with its tool bar, file commands, code completion and the tool
// palette (object tree, column reverse lookup, conversion rules).
//
//   auto *memo = new TfraMemo(page);     // page inside a TzkForm
//   memo->ShowData();                    // each time the page is shown
//   memo->txtSQL->Lines()->SetTextStr(source);
//
// The hosting form may implement IzkMemoHost for the Save As name and the
// completion database.

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QAction;
class QComboBox;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QSplitter;
class QToolBar;
class QToolBox;
class QToolButton;
class TFDQuery;
class TfrmObject;
class TzkActionList;
class TzkForm;
class TzkListView;
class TzkMemo;
class TzkTreeNode;
class TzkTreeView;

// What the frame reads of the window that hosts it, beside the form's
// ObjType. Every part is optional.
class IzkMemoHost
{
public:
    virtual ~IzkMemoHost() = default;
    // The object's schema and name as the host's fields show them (the
    // default file name of Save As).
    virtual QString MemoSchemaName() const { return QString(); }
    virtual QString MemoObjectName() const { return QString(); }
    // The SQL window: true, with the database chosen in its database box,
    // which code completion works in. Other hosts: the login database.
    virtual bool MemoDatabase(QString &database) const
    {
        Q_UNUSED(database)
        return false;
    }
    // Code completion at the caret's pixel position, when the host runs it
    // itself (true); otherwise the frame's own.
    virtual bool MemoCodeAssist(int X, int Y)
    {
        Q_UNUSED(X)
        Q_UNUSED(Y)
        return false;
    }
};

// --- Texts the frame builds (no window needed) ---------------------------------

// Default Save As name by the host's kind: "schema.name.sql", "name.sql" or
// "Script.sql".
QString DefaultScriptName(int objType, const QString &schema, const QString &name);
// The display width of a text in editor columns as the drop and insertion
// of old counted it: a tab TabSpaceCount, ASCII 1, any other unit 2.
int StrByteLength(const QString &text, int tabSpaceCount);
// The objects of a kind in the current database: schema (field 1) and name
// (field 0). TypeList: the quoted type letters joined by ",".
QString ObjTreeObjectListSQL(int dbVersion, const QString &typeList);
// The type letters of a category node's kind, quoted and joined.
QString ObjTreeTypeList(int kind, bool showSysObj);
// The columns of a table or view of the current database, in order.
QString ObjTreeColumnListSQL(const QString &schema, const QString &name);
// The reverse lookup (parameters :p0 the database, :p1 the LIKE pattern).
QString ColumnRefSearchSQL();

// One selected node of the object tree while its insertion text is built.
struct TNodeSelInfo
{
    QString sText;
    QString sDataBase;
    int nObjType = 0;
    int nLevel = 0;
    int nIndex = 0;
    int nParentIndex = -1;
    bool bParentExpanded = true;
};
// The insertion text of the selected nodes (in selection order).
QString BuildTreeSelText(std::vector<TNodeSelInfo> entries);

// Image numbers of the object tree (the main window's image list).
enum : int {
    kImgDatabase = 1,
    kImgServer = 5,
    kImgSaveAs = 18,
    kImgLoginDatabase = 116,
    kImgAzureDatabase = 137,
    kImgColumn = 144,
    kImgEditorOption = 148,
};

class TfraMemo : public QWidget
{
    Q_OBJECT
public:
    explicit TfraMemo(QWidget *parent = nullptr);
    ~TfraMemo() override;

    // An object name split at its first full stop (and once more when the
    // rest still holds one).
    struct TzkObjName
    {
        QString schema;
        QString Name;
    };
    static TzkObjName SplitObjName(const QString &Text);

    // --- What hosts call ---------------------------------------------------------
    // Binds the frame to the hosting form's connection window and prepares
    // everything; does nothing outside a TzkForm.
    void ShowData();
    // The host switched its connection window: rebuild the tree, empty the list.
    void DBChanged();
    void actHidePaletteExecute();
    void actShowPaletteExecute();
    int StrByteLength(const QString &i_sText) const;

    // --- Parts of the show ---------------------------------------------------------
    void PrepareShow();
    void ApplyEditorSettings();
    void FrameResize();
    QString DefaultScriptName() const;
    // The form the frame sits in; null outside a TzkForm.
    TzkForm *OwnerTzkForm() const;
    TfrmObject *OwnerForm() const;
    int PaletteWidth() const;
    bool PaletteVisible() const;

    // --- Files ------------------------------------------------------------------------
    void actSaveNewFileExecute();
    void actOpenFileExecute();
    void actSaveFileExecute();
    QString OpenFilePath() const { return L_sOpenFilePath; }

    // The file dialogs: save (one file) or open (several). Filters are
    // "desc|pattern" pairs joined by "|"; FilterIndex is 1-based both ways.
    // True with the chosen files when the user confirmed. Tests replace it.
    struct TFileDialogRequest
    {
        bool Save = true;
        QString Title;
        QString Folder;
        QString FileName;
        QString Filter;
    };
    using TFileDialog =
        std::function<bool(QWidget *owner, const TFileDialogRequest &request, QStringList &files, int &filterIndex)>;
    static TFileDialog FileDialog;

    // --- Code completion ----------------------------------------------------------
    void WMCodeAssist(int X, int Y);

    // --- Object tree and column lookup -------------------------------------------
    void BuildObjectTree();
    void trvObjectExpanding(TzkTreeNode *Node);
    void SearchColumnRefs();
    QString GetTreeSelText() const;
    QString GetListSelText() const;
    // Inserts at the caret (or over the selection).
    void InsertNodeText(const QString &Text);
    // A drop of Text at the editor's cell (R, C).
    void DropText(const QString &Text, int R, int C);
    // Whether a drag comes from this frame's tree or list.
    bool IsOwnDragSource(const QObject *Source) const;
    void TreeSelectAllCol();
    void TreeExpandAllNode();
    void TreeCollapseAllNode();
    void OpenDefineForTree();
    void OpenDefineForList();
    void cmbTreeSelect(int index);
    void cmbListSelect(int index);
    void UpdateActions();
    // The databases of a display mode (0 all, 1 login, 2 configured).
    QStringList DisplayDatabases(int mode) const;

    // The conversion-rule section: its builder fills cpnlConvert once when
    // the frame is made, its preparation runs at every show (where the rule
    // index, the user rules and the selected rule are loaded). Set by the
    // unit of the conversion rules; null leaves the section empty.
    static std::function<void(TfraMemo *frame, QWidget *section)> BuildConvertSection;
    static std::function<void(TfraMemo *frame)> PrepareConvertSection;

    // --- Components ---------------------------------------------------------------
    QWidget *pnlHeader = nullptr;
    QToolBar *tlbHeader = nullptr;
    QLabel *lblFileName = nullptr;
    TzkMemo *txtSQL = nullptr;
    QSplitter *splPalette = nullptr;
    QToolButton *pnlPaletteOpen = nullptr;
    QWidget *pnlToolPalette = nullptr;
    QToolBox *ctgToolPalette = nullptr;
    QWidget *pnlToolPaletteFooter = nullptr;
    QLabel *lblFontSize = nullptr;
    QSpinBox *spnFontSize = nullptr;
    QToolButton *btnToolPaletteClose = nullptr;
    QWidget *cpnlObjTree = nullptr;
    QWidget *pnlObjTreeHead = nullptr;
    QComboBox *cmbTree = nullptr;
    TzkTreeView *trvObject = nullptr;
    QWidget *cpnlRefSearch = nullptr;
    QWidget *pnlObjListHead = nullptr;
    QComboBox *cmbList = nullptr;
    QLineEdit *txtListSearch = nullptr;
    QToolButton *btnListSearch = nullptr;
    TzkListView *lstObject = nullptr;
    QWidget *cpnlConvert = nullptr;
    TFDQuery *qryObjTree = nullptr;
    TFDQuery *qryObjList = nullptr;
    QMenu *popObjTree = nullptr;
    QMenu *popObjList = nullptr;

    TzkActionList *actEditor = nullptr;
    QAction *actSaveNewFile = nullptr;
    QAction *actOpenEditOption = nullptr;
    QAction *actHidePalette = nullptr;
    QAction *actShowPalette = nullptr;
    QAction *actOpenFile = nullptr;
    QAction *actSaveFile = nullptr;
    QAction *actSetRowMark = nullptr;
    QAction *actRowMarkNext = nullptr;
    QAction *actRowMarkPrev = nullptr;
    QAction *actOpenSqlTemplate = nullptr;
    QAction *actInsertNodeText = nullptr;
    QAction *actInsertListText = nullptr;
    QAction *actOpenDefineForTree = nullptr;
    QAction *actOpenDefineforList = nullptr;
    QAction *actTreeSelectAllCol = nullptr;
    QAction *actTreeExpandAllNode = nullptr;
    QAction *actTreeCollapseAllNode = nullptr;
    QAction *actRefreshObjectTree = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void CreateComponents();
    void CreatePalette();
    void CreateActions();
    void FillHeaderToolBar();
    void WatchWheel(QWidget *widget);
    void appMemoDeactivate();
    void SetListSearchPrompt(bool prompt);
    void GetObjectList(TzkTreeNode *Parent, const QString &Database, const QString &TypeList);
    void GetColumnList(TzkTreeNode *Parent, const QString &Database, const QString &Schema, const QString &Name);
    void StartTreeDrag();
    bool TreeKeyEvent(QKeyEvent *event, bool press);
    bool ListKeyEvent(QKeyEvent *event, bool press);
    void UndoRedoFrom(QWidget *view, bool redo);
    void SaveLines(const QString &FileName);
    QStringList ReadLines(const QString &FileName) const;
    // Cells of a text as the editor lays it out.
    int CellWidth(const QString &text) const;
    bool txtSQLDragOver(QDropEvent *event);
    void txtSQLDragDrop(QDropEvent *event);

    QPointer<TfrmObject> L_wOwnerForm;
    QString L_sOpenFilePath;
    int L_wPaletteWidth = 0;
    int L_nSchemaDisp = 1;
    bool L_bObjRtnKey = false;
    QPoint m_treePressPos;
    bool m_treePressed = false;
    bool m_showingPrompt = true;
};
