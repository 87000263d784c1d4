#pragma once

#include "core/zkoption.h"
#include "core/zkwindows.h"
#include "platform/graphics/colors.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QCloseEvent;
class QComboBox;
class QKeyEvent;
class QMdiSubWindow;
class QMenu;
class QPainter;
class QSplitter;
class QStyleOptionViewItem;
class QTimer;
class QToolBar;
class QToolButton;
class TFDQuery;
class TScriptSink;
struct TScriptRunResult;
class TzkActionList;
class TzkListView;
class TzkTreeNode;
class TzkTreeView;
enum class TObjectListView;

// One object remembered by the copy command, to be pasted in any connection
// window.
struct TCopyObjectList
{
    QString Database;
    QString Schema;
    QString ObjectName;
    int ObjectType = 0; // object-kind code
};
// The copy list shared by every connection window; any of them empties it
// when it closes.
extern QList<TCopyObjectList> CopyObjectList;

// The host-name suffix that Azure SQL Database servers share.
inline const QString AzureServerSuffix = QStringLiteral(".database.windows.net");

// The connection window: one MDI child of the main window per logon. It owns
// the connection's session module, registers the session and joins the main
// window's connection combo and task bar, shows the server's databases and
// objects in a tree and a list, and offers every window of the connection
// the catalogue query interface below. The windows created from it are owned
// by it: it asks them before it closes and they go with it.
class TfrmObject
    : public QWidget
    , public TzkConnectionWindow
{
    Q_OBJECT
public:
    // Connects (SQL Server authentication, or Windows authentication for a
    // blank login), reads the session's version, user, schema and database,
    // registers the session in colour `i_colorIndex` and shows the window.
    // Raises the connection's error when it cannot be opened; nothing stays
    // registered then.
    TfrmObject(QWidget *AOwner, const QString &SID, const QString &UserID, const QString &Password,
               const QString &Server, TColor i_colorIndex, bool Encrypt);
    ~TfrmObject() override;

    // --- TzkConnectionWindow -------------------------------------------------
    QWidget *Form() override { return this; }
    int FormID() const override { return m_formID; }
    QString GetConnectInfo(const QString &Schema, const QString &ObjectName, bool IsAddDB) const override;
    QString GetCurrentSchema() const override;
    int ObjectListCount() const override;
    int ObjectListSelCount() const override;
    void SetShortCut() override;
    // Asks the windows it owns (from the last), then settles an open
    // transaction as the option SessionKilledMode says. A failing commit or
    // rollback raises and keeps the window open.
    bool CloseQuery() override;

    // --- Catalogue query interface --------------------------------------------
    // Every call runs synchronously on the window's one connection: all
    // windows of the connection share its session, its transaction and its
    // current database. Server errors reach the caller.

    // "use [DataBase]" and a line break; empty for an empty name.
    QString Use(const QString &DataBase) const;
    // S1 on a server of at least `Version`, else S2.
    QString VerStr(int Version, const QString &S1, const QString &S2) const;
    // Runs one statement without result, its text exactly as given (":name"
    // reaches the server unchanged).
    void ExecuteSQL(const QString &SQLText);
    // Runs a script batch by batch, split at lines that read "go". With
    // IgnoreError a failing batch is passed over and the next one runs;
    // otherwise the first failure ends the script (earlier batches stay
    // executed). A cancelled batch (ESC) always ends it.
    void ExecuteSQL(const QStringList &SQLText, bool IgnoreError);
    // Opens the statement on the session's one general query and returns it
    // on its first row; the next call of this interface closes it.
    TFDQuery *OpenSQL(const QString &SQLText);
    // As above, binding the statement's parameters (":OWNER", ...) in order
    // of appearance to the texts of ParamData.
    TFDQuery *OpenSQL(const QString &SQLText, const QStringList &ParamData);

    // The list operations empty ListData first, so a failure leaves it empty.
    // The accessible databases, sorted.
    void GetDatabase(QStringList &ListData);
    // The principals that can receive permissions (IsGrant) or the schemas
    // of the database, sorted.
    void GetUser(QStringList &ListData, const QString &Database, bool IsGrant);
    // The names of one kind ("TABLE", "VIEW", "PROCEDURE", "FUNCTION") of the
    // schema in the database, sorted; a blank schema lists nothing.
    void GetObject(QStringList &ListData, const QString &Database, const QString &Schema, const QString &ObjectType);
    // The file groups of the current database in id order.
    void GetFileGroup(QStringList &ListData);
    // The type names for the object-kind code, in server order.
    void GetDataType(QStringList &ListData, int ObjType);
    // The collation names, in server order.
    void GetCollationType(QStringList &ListData);

    // --- Tree and list ---------------------------------------------------------
    // Rebuilds the database and object tree: the server, its databases as
    // the filter Disp lets through, and the kinds the options show, in the
    // order of the option TreeSort. The object list is left as it is. A
    // failing database list raises before the tree is touched.
    void ShowTree();
    // Refills the object list for the selected tree node, one database after
    // another; IsGrep leaves the name pattern out of the statements. ESC ends
    // the fill, keeping what was listed.
    void ShowObject(bool IsGrep);
    // The object list's style: report (columns) or list.
    void SetListStyle(bool report);
    // The settings key of this server's tree: "Disp" and the list "DataBase".
    QString TreeSettingsKey() const;
    // The databases listed under TreeSettingsKey for the tree's third
    // setting, in stored order.
    QStringList ConfiguredDatabases() const;

    // The dialog that picks the databases of the tree's third setting
    // ("設定"); true when the user confirmed. The main window's folder
    // provides it.
    static inline std::function<bool(TfrmObject *form)> SelectDatabases;

    // --- Opening objects -------------------------------------------------------
    // Opens the window of an object of the kind (an empty name: a new
    // object) on the tab OpenMode, through the opening table. Returns the
    // window, or null when the kind has none or it could not be opened (it
    // was open already and came to the front, or its creation failed):
    // failures are logged, never shown. ShowRefObject has no effect.
    // ParentObject is an index's table when the caller knows it.
    QWidget *OpenObject(int ObjectType, const QString &DataBase, const QString &Schema, const QString &ObjectName,
                        TOpenMode OpenMode, bool ShowRefObject, int DefTopRecord, const QString &ParentObject);
    // The table of an index: ParentObject when given; else from the list's
    // selected item (IndexTableOf); empty without one.
    QString IndexTableName(const QString &ParentObject) const;
    // The table of the list's index item: its "テーブル名" column when the
    // list shows one kind (ListsOneKind for the tree's selected node), else
    // the parent value that the list of all kinds keeps after its columns.
    QString IndexTableOf(int item) const;

    // The open commands on the list's selected items, one after the other
    // in list order, each item deselected once done; ESC stops them.
    void actOpenExecute(); // the tab of the option OpenMode
    void actOpenDefineExecute();
    void actOpenSourceExecute();
    void actOpenDataExecute();
    void actOpenDataTopExecute(); // asks for the rows to load first
    // Opens the runner of each selected procedure or function; the other
    // kinds are passed over. Failures end the command and reach the caller.
    void actExecExecute();
    // A new object of the kind in the connection's current database and
    // the login's default schema. The new-object actions carry their kind
    // as the property "ImageIndex".
    void actNewExecute(int kind);

    // --- Script output -----------------------------------------------------------
    // Writes the object's DDL into the sink through its kind's generator:
    // with AppendDrop its DROP script first (a failing DROP pass is passed
    // over), then its CREATE script. Never raises: false, with the reason in
    // Error, when the CREATE script could not be written. A kind without
    // script writes nothing and counts as written. The global ScriptOption
    // is never changed.
    bool OutputScript(int ObjectType, const QString &Database, const QString &Schema, const QString &ObjectName,
                      TScriptSink &Stream, const QString &NewSchema, const QString &NewObjectName, bool AppendDrop,
                      const QString &TableName, QString *Error = nullptr);
    // Appends the GRANT and DENY statements of the object's (or with IsDB the
    // database's) privileges. Query errors reach the caller.
    void OutputGrant(const QString &Database, const QString &Schema, const QString &ObjectName, TScriptSink &Stream,
                     bool IsDB);
    // The script output command: the options dialog, then the run.
    void actScriptExecute();
    // The run over the list's selected items into Path (a file in one-file
    // mode, a folder ending in "/" otherwise), with the bracketed name table
    // (may be empty). Each item is deselected once done; ESC ends it. A file
    // that cannot be written ends it with the error.
    TScriptRunResult RunScriptOutput(const QString &Path, const QString &NameTable);
    // The print command: the print dialog with PrintObjectScripts.
    void actPrintExecute();
    // Prints the script of each selected object, page numbers restarting
    // per object.
    void PrintObjectScripts();

    // The object's source history before and after an editor's change: its
    // CREATE script into the history folder of the options SaveBeforeSrc* /
    // SaveAfterSrc*. A folder or file that cannot be created, or a failing
    // name-table query, raises to the editor; a Cancel in the save dialog
    // writes nothing; a script that cannot be generated is shown as a
    // warning naming the object.
    void SaveBeforeSource(const QString &Database, const QString &Schema, const QString &ObjectName, int ObjectType);
    void SaveAfterSource(const QString &Database, const QString &Schema, const QString &ObjectName, int ObjectType);

    // --- Keep-alive, user commands, reports -----------------------------------
    // Applies the keep-alive options: the timer and the connection's own
    // reconnection go on and off together.
    void SetOptionKeepAlive();
    // The keep-alive timer's tick: "SELECT 1" on the session, unseen by the
    // user, unless the connection is busy or held; stops the timer when the
    // connection is gone.
    void tmrKeepAliveTimer();
    void SetCommandList();
    void SetReportList();
    // Runs the user command or writes the report of a menu item (the main
    // window's or the window's own) on this connection.
    void UserCommandClick(QAction *Sender);
    void ReportClick(QAction *Sender);

    // Closes the window as its close box does.
    void Close();
    QMdiSubWindow *MDIFrame() const;
    // The task tab's caption for a text: whole up to 16 characters, else its
    // first 14 and "…".
    static QString TaskCaption(const QString &text);

    // The column picker opened from this connection.
    QPointer<QWidget> FieldWindow;

    // --- Components --------------------------------------------------------------
    TFDQuery *qryExec = nullptr;
    TFDQuery *qryObject = nullptr;
    TFDQuery *qryIdxFragment = nullptr;
    TFDQuery *qryIdxCol = nullptr;
    TFDQuery *qryFragmentPerms = nullptr;
    TFDQuery *qryKeepAlive = nullptr;
    // Code completion of the source-editor frames on this connection.
    TFDQuery *qryCodeAssist = nullptr;
    QTimer *tmrKeepAlive = nullptr;

    QSplitter *spl1 = nullptr;
    QWidget *pnlTree = nullptr;
    QToolBar *tolTree = nullptr;
    QToolButton *btnTree1 = nullptr;
    QToolButton *btnTree2 = nullptr;
    QToolButton *btnLevel0 = nullptr;
    QToolButton *btnLevel1 = nullptr;
    QComboBox *cmbTree = nullptr;
    TzkTreeView *lstTree = nullptr;
    QWidget *pnlObject = nullptr;
    QWidget *pnlListHeader = nullptr;
    QWidget *pnlFind = nullptr;
    QToolButton *btnWhere = nullptr;
    QToolButton *btnGrep = nullptr;
    QComboBox *cmbFind = nullptr;
    QToolButton *btnShowFragment = nullptr;
    TzkListView *lstObject = nullptr;
    TzkActionList *actObject = nullptr;
    QMenu *popTree = nullptr;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void SaveSource(bool before, const QString &Database, const QString &Schema, const QString &ObjectName,
                    int ObjectType);
    void CreateComponents();
    void CreateActions();
    void Connect(QString SID, QString UserID, const QString &Password, const QString &Server, TColor i_colorIndex,
                 bool Encrypt);
    void ShowInMainWindow();
    void RestoreLayout();
    void SaveLayout();
    void CreateTaskTab(const QString &caption);
    // Undoes whatever of the registrations exists (combo item, task tab,
    // session); safe to call twice.
    void Unregister();
    QString ServerParam() const;

    void FormActivate();
    void FormClose();
    void ConnectionAfterConnect();
    // Says that the connection was lost and made again; `discarded` adds that
    // changes not committed are gone.
    void ConnectionRestored(bool discarded = false);
    // A link lost inside a transaction stays lost: with keep-alive on, the
    // window logs on again.
    void ConnectionLost();
    // Runs `step` from the event loop once no statement waits, so that a
    // message box never opens inside a statement's wait, whose input
    // filter would hold back the user's answer.
    void WhenNoStatementWaits(std::function<void()> step);

    // The tree's and list's own settings and events.
    void SaveColumnWidths();
    void btnTreeClick();
    void btnLevel0Click();
    void btnLevel1Click();
    void cmbTreeChange(int index);
    void lstTreeChange();
    void popTreePopup();
    void ConnectTreeAndList();

    // The fill of the object list.
    void CreateColumns(TObjectListView view);
    QString NamePattern(bool IsGrep);
    bool FragmentButtonDown() const;
    bool ReadFragmentPerms(const QString &database);
    void PrepareFragment8(const QString &database);
    void AddObjectRows(TObjectListView view, const QString &filter, bool &escaped);

    // The list's events.
    bool lstObjectKeyDown(QKeyEvent *event);
    void lstObjectChange();
    void lstObjectEnter();
    void cmbFindEnter();
    bool lstObjectEditing(int item) const;
    bool lstObjectEdited(int item, QString &text);
    void lstObjectCustomDrawSubItem(QPainter *painter, const QStyleOptionViewItem &option, int item, int column,
                                    bool &defaultDraw);

    // Commands of the list that come with their own work.
    // The loop of the open commands, inside their TListLoopGuard.
    void OpenSelected(TOpenMode mode, int DefTopRecord);
    void OpenCommand(TOpenMode mode);
    void actDeleteExecute();
    void mnuObjectClick();
    void lstObjectContextPopup(const QPoint &globalPos);

    int m_formID = 0;
    QPointer<QObject> m_session; // dmSQLServer, owned by the main window
    TzkTreeNode *FRSelected = nullptr;
    QString FViewType;
    QStringList m_columnKeys; // the registry values of the list's columns' widths
    bool m_filling = false;   // ShowObject is running
    int m_refill = -1;        // a fill asked for meanwhile: -1 none, else its IsGrep
    bool m_hasTaskTab = false;
    bool m_inCombo = false;
    bool m_registered = false;
    bool FSessionKilledQuery = false;
    bool m_keepAliveTicking = false; // a keep-alive statement waits
    bool m_closed = false;           // FormClose ran

    friend class TListLoopGuard;
};
