#pragma once

#include <QEvent>
#include <QString>

class QAction;
class QComboBox;
class QMainWindow;
class QMdiArea;
class QMenu;
class QMetaObject;
class QWidget;
class TdmSQLServer;
class TzkImageList;
class TzkPrintdata;
class TzkStatusBar;
class TzkTaskBar;

// How the windows of every folder see one another. The main window and the
// connection windows live in folders above the core, yet the base form and
// the lower folders' windows call them: through these interfaces.

// --- Messages between windows ------------------------------------------------

// Sent (synchronously) to every MDI child when a connection window joined or
// left the main window's connection combo.
inline constexpr QEvent::Type WM_DBCHANGE = QEvent::Type(0x8001);
// Asks the receiving window to read its object again.
inline constexpr QEvent::Type WM_RELOAD = QEvent::Type(0x8002);
// Sent by the main window to the widget of an MDI child that became active:
// the form's Activate.
inline constexpr QEvent::Type ZK_FORMACTIVATE = QEvent::Type(0x8010);

// Sends one of the messages above to a window at once.
void SendFormMessage(QWidget *form, QEvent::Type message);

// --- Forms ---------------------------------------------------------------------

// What the main window asks of every MDI child before the program ends: may
// it close? Nothing is closed by the question.
class IzkForm
{
public:
    virtual ~IzkForm() = default;
    virtual bool CloseQuery() = 0;
};

// A window with a menu of its own, which the main window shows in its menu
// bar (between "編集(&E)" and "表示(&V)") while the window is the active MDI
// child. Qt merges no menus: the window only names it.
class IzkChildMenu
{
public:
    virtual ~IzkChildMenu() = default;
    // The menu to show now; null for none.
    virtual QMenu *ChildMenu() const = 0;
};

// The connection window as the windows bound to it see it: its session and
// what it knows about the connection. The connection window derives from it;
// the other windows reach it as their OwnerForm.
class TzkConnectionWindow : public IzkForm
{
public:
    ~TzkConnectionWindow() override = default;

    // The window itself.
    virtual QWidget *Form() = 0;
    // Its window id in the connection registry (never 0).
    virtual int FormID() const = 0;
    // The connection text, login + " @ " + server, with "." + database when
    // `addDatabase`; a schema and a name, when given, qualify it further.
    virtual QString GetConnectInfo(const QString &schema, const QString &name, bool addDatabase) const = 0;
    // The login user's default schema.
    virtual QString GetCurrentSchema() const = 0;
    // Items of the object list, all and selected.
    virtual int ObjectListCount() const = 0;
    virtual int ObjectListSelCount() const = 0;
    // Copies the main window's shortcut settings onto its own commands.
    virtual void SetShortCut() = 0;

    TdmSQLServer *dmSQLServer = nullptr; // the session data module
    int MYSID = 0;                       // session id in the connection registry
    int SPID = 0;                        // the server's session id; 0 when unknown
    int DBVer = 0;                       // the server's major version; 99 when unknown
    int g_DBVer = 0;
    bool IsAzure = false;
    int Disp = 0; // databases shown in the tree: 0 all, 1 the login database, 2 a list
    bool Fragment_flg = false;
    bool Fragment_Gflg = false;
    QString g_UserID; // login name (without the Azure server suffix)
    QString g_Password;
    QString g_Server;
    QString g_DataBase;
    QString g_User;            // database user of the session
    QString g_Schema;          // its default schema
    bool g_Win_Attest = false; // Windows authentication
};

// The connection window an item of a connection combo carries; null for an
// index out of range or an item without one.
TzkConnectionWindow *ComboConnection(const QComboBox *combo, int index);
// Adds an item that carries the connection window.
void AddComboConnection(QComboBox *combo, const QString &text, TzkConnectionWindow *form);

// --- The main window -------------------------------------------------------------

// The main window's services and shared components.
class IzkMainForm
{
public:
    virtual ~IzkMainForm() = default;

    virtual QMainWindow *Window() = 0;
    virtual QMdiArea *MDIClient() const = 0;
    // One item per connection window; the selected one is the current connection.
    virtual QComboBox *cmbDBName() const = 0;
    virtual TzkTaskBar *pagTaskBar() const = 0;
    virtual TzkStatusBar *stsMain() const = 0;
    virtual TzkImageList *imgMain() const = 0;
    // The context menu of every SQL editor.
    virtual QMenu *popEditor() const = 0;
    // The page recorder every print command records into.
    virtual TzkPrintdata *prtData() const { return nullptr; }
    // The main window's command named `name` (actEditUndo, ...); null when
    // it has none.
    virtual QAction *Action(const QString &name) const
    {
        Q_UNUSED(name)
        return nullptr;
    }

    // The connection window selected in cmbDBName; null when none is.
    virtual TzkConnectionWindow *CurrentForm() const = 0;
    // Enables the main window's commands for the current connection.
    virtual void MenuUpdate() = 0;
    // The current connection changed.
    virtual void cmbDBNameChange() = 0;
    virtual void SetDefMessage() = 0;
    virtual void SetLoopMessage(int NowCount, int MaxCount) = 0;
    virtual void ShowWorkSpace(TzkConnectionWindow *EraseForm) = 0;
    // The last MDI child of the class (or derived from it) whose caption
    // equals `caption` exactly, brought to the front when `showWindow`.
    virtual QWidget *FindWindow(const QMetaObject &cls, const QString &caption, bool showWindow) = 0;
    // True once every window has agreed to the program's exit and the
    // windows are being closed: none of them asks again.
    virtual bool Closing() const { return false; }
    // Records an object just opened on the current connection in its
    // recent objects (moved to the front when it is there already).
    // ParentObject is an index's table, else empty. The result is always
    // empty.
    virtual QString RecentObjectCheck(int ObjectType, const QString &DataBase, const QString &Schema,
                                      const QString &ObjectName, const QString &ParentObject)
    {
        Q_UNUSED(ObjectType)
        Q_UNUSED(DataBase)
        Q_UNUSED(Schema)
        Q_UNUSED(ObjectName)
        Q_UNUSED(ParentObject)
        return QString();
    }
};

// The main window; null before it exists and after it is gone.
extern IzkMainForm *zkMainForm;

// --- Process-wide values the main window sets at start-up --------------------

extern QString ClientToolsFolder; // folder of SQL Server's client tools; empty when none
extern int ServerVersionOverride; // "/V=" of the command line; 0 when none
extern QString ExcelFilter;       // filter of the workbook save dialogs
extern QString ExcelMacroFilter;  // filter of the macro-enabled workbook save dialogs
