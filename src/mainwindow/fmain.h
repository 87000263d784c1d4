#pragma once

#include "core/zkshortcut.h"
#include "core/zkwindows.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QStringList>

#include <memory>

class QAction;
class QActionGroup;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSpinBox;
class QSplitter;
class QToolBar;
class QTreeWidget;
class TzkActionList;
class TzkConnectionComboBox;
class TzkImageList;
class TzkStatusBar;
class TzkTaskBar;

// What the command line asks for: "/U=user/password@server" (only a
// non-empty user matters: it suppresses the logon dialog at start) and
// "/V=n" (the server version of new connection and SQL windows). The last of
// each wins; every other argument is ignored.
struct TzkCommandLine
{
    QString User;
    QString Password;
    QString Server;
    bool HasVersion = false;
    int Version = 0;
};
TzkCommandLine ParseCommandLine(const QStringList &arguments);

// The program's one main window: the MDI frame every other window lives in,
// with the menus, the six tool bars, the task bar and the status bar.
class TfrmMain
    : public QMainWindow
    , public IzkMainForm
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // --- IzkMainForm --------------------------------------------------------
    QMainWindow *Window() override { return this; }
    QMdiArea *MDIClient() const override { return m_mdiArea; }
    QComboBox *cmbDBName() const override;
    TzkTaskBar *pagTaskBar() const override { return m_pagTaskBar; }
    TzkStatusBar *stsMain() const override { return m_stsMain; }
    TzkImageList *imgMain() const override { return m_imgMain; }
    QMenu *popEditor() const override { return m_popEditor; }
    TzkPrintdata *prtData() const override { return m_prtData.get(); }
    TzkConnectionWindow *CurrentForm() const override;
    void MenuUpdate() override;
    void cmbDBNameChange() override;
    void SetDefMessage() override;
    void SetLoopMessage(int NowCount, int MaxCount) override;
    void ShowWorkSpace(TzkConnectionWindow *EraseForm) override;
    QWidget *FindWindow(const QMetaObject &cls, const QString &caption, bool showWindow) override;
    bool Closing() const override { return m_closing; }

    // --- Services -------------------------------------------------------------
    // The connection window whose connection text equals `ServerName`: the
    // current one first, then the MDI children from the last.
    TzkConnectionWindow *GetDBForm(const QString &ServerName) const;
    // Applies the shortcut settings to every connection window.
    void SetShortCut();
    QString RecentObjectCheck(int ObjectType, const QString &DataBase, const QString &Schema, const QString &ObjectName,
                              const QString &ParentObject) override;

    // The action of actMain named `name`; null when none is.
    QAction *Action(const QString &name) const;
    TzkActionList *actMain() const { return m_actMain; }
    QToolBar *ToolBar(const QString &name) const;
    QList<QToolBar *> ToolBars() const { return m_toolBars; }

    // The logon command: the logon dialog.
    void actDBLogonExecute();

    // --- Commands on the current connection ----------------------------------
    // Commit and roll back the current connection's transaction; a new one
    // starts at once while the option AutoTran is on. A failure shows the
    // server's error and leaves the status bar as it was. A rollback reloads
    // the active table or view editor when it shows its data tab.
    void actDBCommitExecute();
    void actDBRollbackExecute();
    // Brings the current connection window forward and closes it; the window
    // may refuse.
    void actDBLogoffExecute();
    // The editor options dialog; after OK, the settings reach every SQL
    // editor (ApplyEditorOptions). `spnFontSize`: the font-size box of the
    // source-editor frame that asked, null from the menu.
    void actToolEditorOptionExecute(QSpinBox *spnFontSize = nullptr);
    // Gives the shared editor settings, the editor pop-up, the completion
    // settings and the key-macro list to every SQL editor of every MDI child
    // and repaints it; then shows the settings' font size in `spnFontSize`
    // (may be null).
    void ApplyEditorOptions(QSpinBox *spnFontSize);
    // A new object of the button's kind (its "ImageIndex") on the current
    // connection. Errors are swallowed.
    void btnNewClick(QAction *Sender);
    // The user command or report of a menu item, run by the current
    // connection window. Errors are swallowed.
    void mnuUserCommandClick(QAction *Sender);
    void mnuReportClick(QAction *Sender);
    // Shows the active MDI child's own menu (IzkChildMenu) in the menu bar
    // between "編集(&E)" and "表示(&V)", or none there.
    void ShowChildMenu();
    // The child menu the menu bar shows now; null for none.
    QMenu *ChildMenu() const { return m_childMenu; }

    // The command-line arguments (without the program's name) that the first
    // paint reads; the application's at creation.
    void SetArguments(const QStringList &arguments) { m_arguments = arguments; }

    // True once the first-paint step (layout, command line, logon) has run.
    bool FirstPaintDone() const { return m_firstPaintDone; }
    // The command line's user and password, as read at the first paint.
    const TzkCommandLine &CommandLine() const { return m_commandLine; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Start-up and shut-down.
    void CreateComponents();
    // Lets go of everything that points at this window (end of the
    // destructor, or a start-up that failed).
    void Detach();
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void LoadImages();
    void FormCreate();
    void FormPaint();
    void FormCloseQuery();
    void FormClose();
    void LoadSQLLogLists();
    void SetExcelExt();
    void ReadCommandLine();
    void RegisterShortCutSettings();

    // Commands and their enabling (fmain_commands.cpp).
    void CreateCommands();
    // Opens a window of another folder through the opening table: owned by
    // the current connection window (nothing without one), or by none.
    void OpenToolWindow(const QString &windowClass, bool needsConnection = true);
    // Another item for an action's command, with the action's caption and
    // image; its enabled state is its own unless `mirror`.
    QAction *CommandItem(const QString &name, const QString &actionName, bool mirror);

    // Later work fills these (fmain_stubs.cpp).
    void LoadLayout();
    void SaveLayout();
    void SetCommandList();
    void SetReportList();
    void SetHomePage();
    void GetProgramPath();
    void prcCheckZKInfoUpdated();

    // Window commands.
    void TileWindows(Qt::Orientation orientation);
    void pagTaskBarChange(int index);
    void MDIChildActivated(QMdiSubWindow *window);
    QList<QMdiSubWindow *> MDIChildren() const;

    QMdiArea *m_mdiArea = nullptr;
    QSplitter *m_splWorkSpace = nullptr;
    QTreeWidget *m_lstWorkSpace = nullptr;
    QWidget *m_pnlTaskBar = nullptr;
    TzkTaskBar *m_pagTaskBar = nullptr;
    TzkStatusBar *m_stsMain = nullptr;
    TzkImageList *m_imgMain = nullptr;
    TzkConnectionComboBox *m_cmbDBName = nullptr;
    TzkActionList *m_actMain = nullptr;
    QMenu *m_popEditor = nullptr;
    QMenu *m_mnuDisplay = nullptr;
    QPointer<QMenu> m_childMenu;
    std::unique_ptr<TzkPrintdata> m_prtData;
    QList<QToolBar *> m_toolBars;

    QStringList m_arguments;
    TzkCommandLine m_commandLine;
    bool m_firstPaintDone = false;
    bool m_firstPaintQueued = false;
    bool m_closing = false;

    // News check state.
    bool L_bZkInfoInitCheck = true;
    bool L_bCheckingZkInfo = false;
    bool L_bExistNewZkInfo = false;
    bool L_bInternetConnected = false;
    bool L_bExistZkInfoUpFlg = false;
};

// The main window, through which every subsystem reaches it.
extern TfrmMain *frmMain;

// Fills the opening table with a placeholder for each window class the main
// window's commands open; the folders that build the real windows replace
// them when their register functions run afterwards.
void RegisterMainWindowWindows();
