#pragma once

#include "core/zkshortcut.h"
#include "core/zkwindows.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QActionGroup;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
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
class TfrmMain : public QMainWindow, public IzkMainForm
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
    QString RecentObjectCheck(int ObjectType, const QString &DataBase, const QString &Schema,
                              const QString &ObjectName, const QString &ParentObject) override;

    // The action of actMain named `name`; null when none is.
    QAction *Action(const QString &name) const;
    TzkActionList *actMain() const { return m_actMain; }
    QToolBar *ToolBar(const QString &name) const;
    QList<QToolBar *> ToolBars() const { return m_toolBars; }

    // The logon command: the logon dialog.
    void actDBLogonExecute();

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

    // Later work fills these (fmain_stubs.cpp).
    void LoadLayout();
    void SaveLayout();
    void SetCommandList();
    void SetReportList();
    void SetHomePage();
    void GetProgramPath();
    void prcCheckZKInfoUpdated();

    // Window commands.
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
