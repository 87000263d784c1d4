// The main window's commands on the current connection, the windows its
// commands open, the enabling of the connection-dependent commands and the
// active window's menu in the menu bar.

#include "mainwindow/fmain.h"

#include "connection/fobject.h"
#include "connection/fobject_open.h"
#include "connection/fscriptoption.h"
#include "core/dsqlserver.h"
#include "core/zkactions.h"
#include "core/zkapp.h"
#include "core/zkforms.h"
#include "core/zkoption.h"
#include "core/zkstsbar.h"
#include "core/zksub_dialogs.h"
#include "platform/db/dbconnection.h"
#include "sqleditor/feoption.h"
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_editor.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolBar>

namespace {

// The windows of other folders that the commands open, by action.
struct ToolWindow
{
    const char *action;
    const char *windowClass;
    bool needsConnection;
};
const ToolWindow kToolWindows[] = {
    {"actViewSQL", "TfrmSQL", true},
    {"actViewScript", "TfrmExecScript", true},
    {"actAdminUser", "TfrmUserList", true},
    {"actAdminSession", "TfrmSession", true},
    {"actAdminLock", "TfrmLock", true},
    {"actAdminStorage", "TfrmStorage", true},
    {"actAdminDatabase", "TfrmDbList", true},
    {"actAdminJob", "TfrmJobList", true},
    {"actAdminBackup", "TfrmBackup", true},
    {"actAdminRestore", "TfrmRestore", true},
    {"actAdminLoad", "TfrmLoader", true},
    {"actAdminAttach", "TfrmAttach", true},
    {"actViewComp", "TfrmComp", true},
    {"actToolIndexAdviser", "TfrmIndexAdviser", true},
    {"actViewSQLCatch", "TfrmSQLCatch", true},
    {"actViewSQLCRUD", "TfrmSQLCRUD", true},
    {"actToolDBTest", "TfrmDBTest", true},
    {"actToolCommandSetup", "TfrmUserCommand", false},
    {"actToolReportSetup", "TfrmXLSSetup", false},
};

const char *const kNewObjectButtons[] = {"btnNewTable", "btnNewIndex",   "btnNewView", "btnNewProc",
                                         "btnNewFunc",  "btnNewTrigger", "btnNewConst"};

const char *const kAdminActions[] = {"actAdminUser",    "actAdminDatabase", "actAdminStorage", "actAdminSession",
                                     "actAdminLock",    "actAdminJob",      "actAdminBackup",  "actAdminRestore",
                                     "actAdminExport",  "actAdminImport",   "actAdminLoad",    "actAdminAttach",
                                     "actAdminPerform", "actAdminDustBox"};

// Administration commands a SQL Database in the cloud does not offer.
const char *const kServerAdminActions[] = {"actAdminStorage", "actAdminSession", "actAdminLock",   "actAdminJob",
                                           "actAdminBackup",  "actAdminRestore", "actAdminExport", "actAdminImport",
                                           "actAdminLoad",    "actAdminAttach"};

TFDConnection *connectionOf(const TzkConnectionWindow *form)
{
    return form && form->dmSQLServer ? form->dmSQLServer->Connection : nullptr;
}

QString transactionText(const TzkConnectionWindow *form, const char *verb)
{
    return QStringLiteral("現行データベース [ ") + form->GetConnectInfo(QString(), QString(), true)
           + QStringLiteral(" ] のトランザクションを ") + QLatin1String(verb) + QStringLiteral(" しました。");
}

// A new transaction only while the option asks for one: started otherwise,
// it would silently turn the session to manual commit.
void restartTransaction(TFDConnection *connection)
{
    if (!zkOption.AutoTran || connection->InTransaction())
        return;
    try {
        connection->StartTransaction();
    } catch (const std::exception &) {
        // The next statement finds the link's state itself.
    }
}

} // namespace

void RegisterMainWindowWindows()
{
    for (const ToolWindow &w : kToolWindows)
        RegisterWindowStub(QLatin1String(w.windowClass));
}

void TfrmMain::CreateCommands()
{
    auto execute = [this](const char *name, std::function<void()> handler) {
        m_actMain->SetOnExecute(Action(QLatin1String(name)), std::move(handler));
    };
    execute("actDBCommit", [this] { actDBCommitExecute(); });
    execute("actDBRollback", [this] { actDBRollbackExecute(); });
    execute("actDBLogoff", [this] { actDBLogoffExecute(); });
    execute("actToolEditorOption", [this] { actToolEditorOptionExecute(); });
    execute("actToolScriptOption", [] { TfrmScriptOption::ShowWindow(); });
    for (const ToolWindow &w : kToolWindows) {
        const QString windowClass = QLatin1String(w.windowClass);
        const bool needsConnection = w.needsConnection;
        execute(w.action, [this, windowClass, needsConnection] { OpenToolWindow(windowClass, needsConnection); });
    }
    execute("actHelp", [] { ShowAppMessage(QStringLiteral("ヘルプはまだ用意されていません。"), MB_ICONINFORMATION); });

    // The menu items and buttons of commit and roll back, and the report
    // submenu's item, follow their own rules; the actions stay as they are.
    QAction *commit = Action(QStringLiteral("actDBCommit"));
    m_actMain->SetOnUpdate(commit, [this] {
        const bool on = zkOption.AutoTran && m_cmbDBName->count() > 0;
        for (const char *name : {"btnDBCommit", "btnDBRollback", "mnuDBCommit", "mnuDBRollback"})
            if (auto *item = findChild<QAction *>(QLatin1String(name), Qt::FindDirectChildrenOnly))
                item->setEnabled(on);
    });
    m_actMain->SetOnUpdate(Action(QStringLiteral("actToolReportSetup")), [this] {
        const TzkConnectionWindow *form = CurrentForm();
        if (auto *item = findChild<QAction *>(QStringLiteral("mnuReportSetup"), Qt::FindDirectChildrenOnly))
            item->setEnabled(form && form->ObjectListSelCount() > 0);
    });
    m_actMain->SetOnUpdate(Action(QStringLiteral("actHelp")), [] {});
}

void TfrmMain::OpenToolWindow(const QString &windowClass, bool needsConnection)
{
    auto *owner = dynamic_cast<TfrmObject *>(CurrentForm());
    if (needsConnection && !owner)
        return;
    CreateRegisteredWindow(windowClass, owner, TOpenArgs{});
}

// --- Transactions and log-off --------------------------------------------------------------

void TfrmMain::actDBCommitExecute()
{
    TzkConnectionWindow *form = CurrentForm();
    TFDConnection *connection = connectionOf(form);
    if (!connection)
        return;
    try {
        connection->Commit();
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
        return;
    }
    restartTransaction(connection);
    m_stsMain->SetPanelText(2, transactionText(form, "COMMIT"));
}

void TfrmMain::actDBRollbackExecute()
{
    TzkConnectionWindow *form = CurrentForm();
    TFDConnection *connection = connectionOf(form);
    if (!connection)
        return;
    try {
        connection->Rollback();
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
        return;
    }
    restartTransaction(connection);
    // A table or view editor showing its data shows what is left after the
    // rollback.
    QMdiSubWindow *active = m_mdiArea->currentSubWindow();
    QWidget *editor = active ? active->widget() : nullptr;
    if (editor && (editor->inherits("TfrmTable") || editor->inherits("TfrmView"))) {
        for (const QTabWidget *pages : editor->findChildren<QTabWidget *>()) {
            if (pages->currentIndex() != 2)
                continue;
            try {
                SendFormMessage(editor, WM_RELOAD);
            } catch (const std::exception &) {
                // The editor says what failed on its own reload.
            }
            break;
        }
    }
    m_stsMain->SetPanelText(2, transactionText(form, "ROLLBACK"));
}

void TfrmMain::actDBLogoffExecute()
{
    TzkConnectionWindow *form = CurrentForm();
    if (!form)
        return;
    try {
        QWidget *window = form->Form();
        auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
        if (frame) {
            frame->show();
            m_mdiArea->setActiveSubWindow(frame);
            frame->close();
        } else {
            window->close();
        }
    } catch (const std::exception &) {
        // The window stays; it has said why itself.
    }
}

// --- Editor options --------------------------------------------------------------------------

void TfrmMain::actToolEditorOptionExecute(QSpinBox *spnFontSize)
{
    if (!prpEditor || !TfrmEditorOption::ShowWindow(prpEditor))
        return;
    ApplyEditorOptions(spnFontSize);
}

void TfrmMain::ApplyEditorOptions(QSpinBox *spnFontSize)
{
    for (QMdiSubWindow *window : MDIChildren()) {
        if (!window->widget())
            continue;
        for (TzkMemo *memo : window->widget()->findChildren<TzkMemo *>()) {
            TzkForm::ApplyControlSettings(memo);
            memo->viewport()->update();
        }
    }
    if (spnFontSize && prpEditor)
        spnFontSize->setValue(prpEditor->Font().pointSize());
}

// --- New objects, user commands, reports ------------------------------------------------------

void TfrmMain::btnNewClick(QAction *Sender)
{
    if (m_cmbDBName->currentIndex() < 0 || !Sender)
        return;
    try {
        if (auto *form = dynamic_cast<TfrmObject *>(CurrentForm()))
            form->actNewExecute(Sender->property("ImageIndex").toInt());
    } catch (...) {
    }
}

void TfrmMain::mnuUserCommandClick(QAction *Sender)
{
    if (m_cmbDBName->currentIndex() < 0)
        return;
    try {
        if (auto *form = dynamic_cast<TfrmObject *>(CurrentForm()))
            form->UserCommandClick(Sender);
    } catch (...) {
    }
}

void TfrmMain::mnuReportClick(QAction *Sender)
{
    if (m_cmbDBName->currentIndex() < 0)
        return;
    try {
        if (auto *form = dynamic_cast<TfrmObject *>(CurrentForm()))
            form->ReportClick(Sender);
    } catch (...) {
    }
}

// --- Enabling --------------------------------------------------------------------------------

void TfrmMain::MenuUpdate()
{
    m_cmbDBName->setToolTip(m_cmbDBName->currentText());

    const bool open = m_cmbDBName->count() >= 1;
    const TzkConnectionWindow *current = CurrentForm();
    const int version = current ? current->DBVer : 0;
    const bool azure = current && current->IsAzure;
    const bool clientTools = open && !ClientToolsFolder.isEmpty();
    QToolBar *newObjects = ToolBar(QStringLiteral("pnlNewObj"));
    auto set = [this, newObjects](const char *name, bool on) {
        QAction *command = Action(QLatin1String(name));
        if (!command)
            command = newObjects->findChild<QAction *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
        if (command)
            command->setEnabled(on);
    };

    for (const char *name : kNewObjectButtons)
        set(name, open);
    // F5 must work without the View menu having been opened.
    for (const char *name : {"mnuDispList", "mnuDispReport", "mnuReload"})
        if (QAction *item = findChild<QAction *>(QLatin1String(name)))
            item->setEnabled(open);
    set("btnNewSynonym", open && version >= 9);
    set("btnNewSequence", open && !azure && version >= 11);
    for (const char *name : {"actDBCommit", "actDBRollback", "actDBLogoff", "actViewComp", "actViewSQL",
                             "actViewScript", "actViewField", "actToolIndexAdviser", "actToolDBTest"})
        set(name, open);
    set("actViewSQLCatch", open && !azure);
    set("actViewSQLCRUD", open && !azure);
    set("actViewMSDTS", clientTools && !zkOption.DTS_EXE.isEmpty());
    set("actViewMS", clientTools && !zkOption.MS_EXE.isEmpty());
    set("actViewMSProfiler", clientTools && !zkOption.SPF_EXE.isEmpty() && !azure);

    // Administration: all off, what needs only an open connection, then
    // what the current connection's kind allows.
    for (const char *name : kAdminActions)
        set(name, false);
    set("actAdminAttach", open);
    set("actAdminRestore", open);
    set("actAdminJob", open);
    if (current) {
        set("actAdminUser", true);
        set("actAdminDatabase", true);
        for (const char *name : kServerAdminActions)
            set(name, !azure);
    }
    set("actToolCommandSetup", true);

    // The user commands, whatever the user registered since the start.
    if (auto *commands = menuBar()->findChild<QMenu *>(QStringLiteral("mnuCommandMenu")))
        for (QAction *item : commands->actions())
            item->setEnabled(true);
}

// --- The active window's menu ---------------------------------------------------------------

void TfrmMain::ShowChildMenu()
{
    // The current window, not the active one: while a dialog has the focus,
    // no MDI child is active, yet the menu bar keeps the child's menu.
    QMdiSubWindow *window = m_mdiArea ? m_mdiArea->currentSubWindow() : nullptr;
    QMenu *menu = nullptr;
    if (window)
        if (auto *owner = dynamic_cast<IzkChildMenu *>(window->widget()))
            menu = owner->ChildMenu();
    if (menu == m_childMenu)
        return;
    if (m_childMenu)
        menuBar()->removeAction(m_childMenu->menuAction());
    m_childMenu = menu;
    if (menu)
        menuBar()->insertMenu(m_mnuDisplay->menuAction(), menu);
}
