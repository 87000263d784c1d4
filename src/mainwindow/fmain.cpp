#include "mainwindow/fmain.h"

#include "connection/fobject.h"
#include "controls/zkprinter.h"
#include "core/zkactions.h"
#include "core/zkCommonData.h"
#include "core/zkapp.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkstsbar.h"
#include "core/zksqllog.h"
#include "core/zksub.h"
#include "core/zksub_datetime.h"
#include "core/zksub_workspace.h"
#include "core/zktaskbar.h"
#include "mainwindow/flogon.h"
#include "mainwindow/fproject.h"
#include "sqleditor/zksub_editor.h"
#include "sqleditor/zksub_reserve.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

TfrmMain *frmMain = nullptr;

namespace {

// The colour of the top bar, its tool bars and the task bar.
const QColor kTopBarColor(229, 241, 255);
constexpr int kImageCount = 167;

int formIDOf(QWidget *widget)
{
    if (auto *form = qobject_cast<TzkForm *>(widget))
        return form->FormID();
    if (auto *connection = dynamic_cast<TzkConnectionWindow *>(widget))
        return connection->FormID();
    return 0;
}

} // namespace

TzkCommandLine ParseCommandLine(const QStringList &arguments)
{
    TzkCommandLine line;
    for (const QString &argument : arguments) {
        QString s = argument.toUpper();
        if (s.startsWith(QLatin1String("/U="))) {
            s = argument.mid(3);
            line.User.clear();
            line.Password.clear();
            line.Server.clear();
            const qsizetype slash = s.indexOf(QLatin1Char('/'));
            if (slash < 0) {
                line.User = s.left(s.indexOf(QLatin1Char('@')));
                if (!s.contains(QLatin1Char('@')))
                    line.User = s;
            } else {
                line.User = s.left(slash);
                const QString rest = s.mid(slash + 1);
                const qsizetype at = rest.indexOf(QLatin1Char('@'));
                line.Password = at < 0 ? rest : rest.left(at);
            }
            const qsizetype at = s.indexOf(QLatin1Char('@'));
            if (at >= 0)
                line.Server = s.mid(at + 1);
        }
        if (s.startsWith(QLatin1String("/V="))) {
            bool ok = false;
            const int version = s.mid(3).toInt(&ok);
            line.HasVersion = true;
            line.Version = ok ? version : 0;
        }
    }
    return line;
}

TfrmMain::TfrmMain(QWidget *parent)
    : QMainWindow(parent)
{
    frmMain = this;
    zkMainForm = this;
    setObjectName(QStringLiteral("frmMain"));
    m_arguments = QCoreApplication::arguments().mid(1);
    CreateComponents();
    TzkIdleUpdate::Install(this, m_mdiArea);
    RegisterShortCutSettings();
    RegisterReserveWordSettings();
    RegisterEditorSettings();
    TfrmObject::SelectDatabases = [](TfrmObject *form) { return TfrmProject::ShowWindow(form); };
    try {
        FormCreate();
    } catch (...) {
        // The destructor will not run: nothing may keep pointing at this window.
        Detach();
        throw;
    }
}

TfrmMain::~TfrmMain()
{
    Detach();
}

void TfrmMain::Detach()
{
    RegisterSettingsSection(TSettingsSection::ShortCut, {}, {});
    ReleaseEditorSettings();
    TzkIdleUpdate::Uninstall();
    m_mdiArea->disconnect(this);
    m_pagTaskBar->disconnect(this);
    m_cmbDBName->disconnect(this);
    if (zkMainForm == this)
        zkMainForm = nullptr;
    if (frmMain == this)
        frmMain = nullptr;
    // The windows that outlive this body are freed by the base class; they
    // must not reach back into a half-destroyed main window.
    delete m_mdiArea;
    m_mdiArea = nullptr;
    delete m_imgMain;
    m_imgMain = nullptr;
    // Still here when the window was never closed.
    TzkConnectionManager *manager = ConnectionManager;
    ConnectionManager = nullptr;
    delete manager;
}

QComboBox *TfrmMain::cmbDBName() const
{
    return m_cmbDBName;
}

void TfrmMain::CreateComponents()
{
    m_imgMain = new TzkImageList;
    LoadImages();
    m_prtData = std::make_unique<TzkPrintdata>();

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("pnlClient"));
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_splWorkSpace = new QSplitter(Qt::Vertical, client);
    m_splWorkSpace->setObjectName(QStringLiteral("splWorkSpace"));
    m_splWorkSpace->setChildrenCollapsible(false);
    m_mdiArea = new QMdiArea(m_splWorkSpace);
    m_mdiArea->setObjectName(QStringLiteral("MDIClient"));
    m_mdiArea->setBackground(palette().dark());
    m_mdiArea->setActivationOrder(QMdiArea::CreationOrder);
    m_lstWorkSpace = new QTreeWidget(m_splWorkSpace);
    m_lstWorkSpace->setObjectName(QStringLiteral("lstWorkSpace"));
    m_lstWorkSpace->setRootIsDecorated(false);
    m_lstWorkSpace->setHeaderLabels({QStringLiteral("タイトル"), QStringLiteral("オブジェクト名"),
                                     QStringLiteral("データベース名"), QStringLiteral("所有者")});
    m_lstWorkSpace->header()->resizeSection(0, 200);
    m_lstWorkSpace->header()->resizeSection(1, 160);
    m_lstWorkSpace->header()->resizeSection(2, 120);
    m_lstWorkSpace->setIconSize(QSize(16, 16));
    m_splWorkSpace->addWidget(m_mdiArea);
    m_splWorkSpace->addWidget(m_lstWorkSpace);
    m_splWorkSpace->setStretchFactor(0, 1);
    m_splWorkSpace->setStretchFactor(1, 0);
    m_splWorkSpace->setSizes({600, 90});
    layout->addWidget(m_splWorkSpace, 1);

    m_pnlTaskBar = new QWidget(client);
    m_pnlTaskBar->setObjectName(QStringLiteral("pnlTaskBar"));
    m_pnlTaskBar->setFixedHeight(24);
    auto *taskLayout = new QHBoxLayout(m_pnlTaskBar);
    taskLayout->setContentsMargins(2, 0, 2, 0);
    m_pagTaskBar = new TzkTaskBar(m_pnlTaskBar);
    m_pagTaskBar->setObjectName(QStringLiteral("pagTaskBar"));
    taskLayout->addWidget(m_pagTaskBar);
    taskLayout->addStretch(1);
    layout->addWidget(m_pnlTaskBar);
    setCentralWidget(client);

    m_stsMain = new TzkStatusBar(this);
    m_stsMain->setObjectName(QStringLiteral("stsMain"));
    m_stsMain->AddPanel(200, Qt::AlignRight);
    m_stsMain->AddPanel(20, Qt::AlignHCenter);
    m_stsMain->AddPanel(50, Qt::AlignLeft);
    setStatusBar(m_stsMain);

    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateCommands();

    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TfrmMain::MDIChildActivated);
    connect(m_pagTaskBar, &QTabBar::currentChanged, this, &TfrmMain::pagTaskBarChange);
    connect(m_cmbDBName, &QComboBox::activated, this, [this] { cmbDBNameChange(); });
    resize(1024, 720);
}

void TfrmMain::LoadImages()
{
    // The images live in this library's resources, which a static library
    // must register itself.
    Q_INIT_RESOURCE(fmain_images);
    for (int i = 0; i < kImageCount; ++i) {
        QIcon icon;
        for (const char *size : {"16", "24"}) {
            const QString file = QStringLiteral(":/images/%1/%2.png").arg(QLatin1String(size)).arg(i);
            if (QFile::exists(file))
                icon.addFile(file);
        }
        if (!icon.isNull())
            m_imgMain->SetIcon(i, icon);
    }
}

// --- Start-up ----------------------------------------------------------------------

void TfrmMain::FormCreate()
{
    setWindowTitle(TzkApplication::Title());
    setWindowIcon(m_imgMain->Icon(0));

    L_bZkInfoInitCheck = true;
    L_bCheckingZkInfo = false;
    L_bExistNewZkInfo = false;
    L_bInternetConnected = false;
    L_bExistZkInfoUpFlg = false;

    delete ConnectionManager;
    ConnectionManager = new TzkConnectionManager;

    // No SQL Server client tools are installed on this platform.
    ClientToolsFolder.clear();

    LoadSettings();
    LoadRecentObjects();
    SetDateTimeFormats(zkOption.DateFormat, zkOption.TimeDelphi);
    LoadSQLLogLists();

    SetCommandList();
    SetReportList();
    SetHomePage();

    if (zkOption.ExcelExt.isEmpty())
        SetExcelExt();
    ExcelFilter = zkOption.ExcelExt.toUpper() == QLatin1String(".XLSX") ? QStringLiteral("Excelファイル(*.xlsx)|*.xlsx")
                                                                        : QStringLiteral("Excelファイル(*.xls)|*.xls");
    ExcelMacroFilter = QStringLiteral("Excel ファイル マクロ有効(*.xlsm)|*.xlsm");

    for (QWidget *w : QList<QWidget *>{m_pnlTaskBar} + QList<QWidget *>(m_toolBars.begin(), m_toolBars.end())) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, kTopBarColor);
        p.setColor(QPalette::Button, kTopBarColor);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }

    cmbDBNameChange();
    m_stsMain->SetSimpleText(QString());
    if (!ClientToolsFolder.isEmpty())
        GetProgramPath();
    if (zkOption.CheckInternet)
        prcCheckZKInfoUpdated();
}

void TfrmMain::LoadSQLLogLists()
{
    ::LoadSQLLogLists();
}

void TfrmMain::SetExcelExt()
{
    // Workbooks are written directly in the Office Open XML format.
    zkOption.ExcelExt = QStringLiteral(".xlsx");
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_firstPaintQueued)
        return;
    m_firstPaintQueued = true;
    // After the window is on the screen, never inside a paint: the logon
    // dialog is modal.
    QTimer::singleShot(0, this, [this] { FormPaint(); });
}

void TfrmMain::FormPaint()
{
    if (m_firstPaintDone)
        return;
    m_firstPaintDone = true;
    LoadLayout();
    ReadCommandLine();
    if (!m_commandLine.User.isEmpty())
        QCoreApplication::processEvents();
    else
        Action(QStringLiteral("actDBLogon"))->trigger();
}

void TfrmMain::ReadCommandLine()
{
    m_commandLine = ParseCommandLine(m_arguments);
    if (m_commandLine.HasVersion)
        ServerVersionOverride = m_commandLine.Version;
}

// --- Shut-down ------------------------------------------------------------------------

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // Every window may refuse before anything is closed or saved. A window
    // that a connection window owns is asked by that window, once.
    const QList<QMdiSubWindow *> windows = MDIChildren();
    QList<QObject *> connections;
    for (QMdiSubWindow *window : windows)
        if (dynamic_cast<TzkConnectionWindow *>(window->widget()))
            connections << window->widget();
    try {
        for (qsizetype i = windows.size() - 1; i >= 0; --i) {
            QWidget *widget = windows.at(i)->widget();
            if (auto *owned = qobject_cast<TzkForm *>(widget); owned && connections.contains(owned->Owner()))
                continue;
            auto *form = dynamic_cast<IzkForm *>(widget);
            if (form && !form->CloseQuery()) {
                event->ignore();
                return;
            }
        }
    } catch (const std::exception &e) {
        event->ignore();
        TzkApplication::HandleException(e);
        return;
    }
    m_closing = true;
    FormCloseQuery();
    FormClose();
    event->accept();
}

void TfrmMain::FormCloseQuery()
{
    const QList<QMdiSubWindow *> windows = MDIChildren();
    for (qsizetype i = windows.size() - 1; i >= 0; --i)
        if (dynamic_cast<TzkConnectionWindow *>(windows.at(i)->widget()))
            windows.at(i)->close();
}

void TfrmMain::FormClose()
{
    // Each step on its own: a failing one must not cost the others, and the
    // user hears of it.
    QStringList failures;
    auto step = [&failures](const QString &what, const std::function<void()> &run) {
        try {
            run();
        } catch (const Exception &e) {
            failures << what + QStringLiteral("：") + e.message();
        } catch (const std::exception &e) {
            failures << what + QStringLiteral("：") + QString::fromUtf8(e.what());
        }
    };
    step(QStringLiteral("接続情報の解放"), [] {
        // Cleared first: windows freed after this no longer reach it.
        TzkConnectionManager *manager = ConnectionManager;
        ConnectionManager = nullptr;
        delete manager;
    });
    step(QStringLiteral("ウィンドウ配置の保存"), [this] { SaveLayout(); });
    step(QStringLiteral("設定の保存"), [] { SaveSettings(); });
    step(QStringLiteral("最近開いたオブジェクトの保存"), [] { SaveRecentObjects(); });
    if (!failures.isEmpty())
        ShowAppMessage(QStringLiteral("終了時の保存に失敗しました。\n") + failures.join(QLatin1Char('\n')),
                       MB_ICONERROR);
}

bool TfrmMain::event(QEvent *event)
{
    // Hints of commands never replace the texts of the status bar.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

// --- Services ------------------------------------------------------------------------

QList<QMdiSubWindow *> TfrmMain::MDIChildren() const
{
    return m_mdiArea ? m_mdiArea->subWindowList(QMdiArea::CreationOrder) : QList<QMdiSubWindow *>();
}

TzkConnectionWindow *TfrmMain::CurrentForm() const
{
    return ComboConnection(m_cmbDBName, m_cmbDBName->currentIndex());
}

TzkConnectionWindow *TfrmMain::GetDBForm(const QString &ServerName) const
{
    TzkConnectionWindow *current = CurrentForm();
    if (current && current->GetConnectInfo(QString(), QString(), true) == ServerName)
        return current;
    const QList<QMdiSubWindow *> windows = MDIChildren();
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        auto *form = dynamic_cast<TzkConnectionWindow *>(windows.at(i)->widget());
        if (form && form->GetConnectInfo(QString(), QString(), true) == ServerName)
            return form;
    }
    return nullptr;
}

QWidget *TfrmMain::FindWindow(const QMetaObject &cls, const QString &caption, bool showWindow)
{
    const QList<QMdiSubWindow *> windows = MDIChildren();
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        QWidget *w = windows.at(i)->widget();
        if (!w || !w->metaObject()->inherits(&cls) || w->windowTitle() != caption)
            continue;
        if (showWindow) {
            windows.at(i)->show();
            m_mdiArea->setActiveSubWindow(windows.at(i));
        }
        return w;
    }
    return nullptr;
}

void TfrmMain::SetDefMessage()
{
    const TzkConnectionWindow *form = CurrentForm();
    if (!form)
        return;
    const int count = form->ObjectListCount();
    const int selected = form->ObjectListSelCount();
    m_stsMain->SetPanelText(2, selected == 0
                                   ? QStringLiteral("%1個のオブジェクトがあります。").arg(count)
                                   : QStringLiteral("%1個中 %2個のオブジェクトを選択中。").arg(count).arg(selected));
}

void TfrmMain::SetLoopMessage(int NowCount, int MaxCount)
{
    const QString escape = QStringLiteral(" [ESC]キーを押すと処理を中断します。");
    QString text;
    if (NowCount == 0 && MaxCount == 0)
        text = escape;
    else if (MaxCount <= 0)
        text = QStringLiteral("%1件処理中...").arg(NowCount) + escape;
    else
        text = QStringLiteral("%1 / %2").arg(NowCount).arg(MaxCount) + escape;
    m_stsMain->SetPanelText(2, text);
    // The calling loop holds the event loop: show the text now.
    m_stsMain->repaint();
}

void TfrmMain::ShowWorkSpace(TzkConnectionWindow *EraseForm)
{
    m_lstWorkSpace->setUpdatesEnabled(false);
    m_lstWorkSpace->clear();
    try {
        QStringList connections;
        const QList<QMdiSubWindow *> windows = MDIChildren();
        for (qsizetype i = windows.size() - 1; i >= 0; --i) {
            auto *form = dynamic_cast<TzkConnectionWindow *>(windows.at(i)->widget());
            if (form && form != EraseForm)
                connections << form->GetConnectInfo(QString(), QString(), true);
        }
        LoadWorkSpace();
        for (const TzkWorkSpace &entry : std::as_const(WorkSpaceList)) {
            if (!connections.contains(entry.Connect))
                continue;
            auto *item = new QTreeWidgetItem(m_lstWorkSpace);
            item->setIcon(0, m_imgMain->Icon(entry.ObjectType));
            item->setText(0, entry.Title);
            item->setText(1, entry.ObjectName);
            item->setText(2, entry.DataBase);
            item->setText(3, entry.Schema);
            item->setData(0, Qt::UserRole, entry.ObjectType);
            item->setData(1, Qt::UserRole, entry.ParentObject);
            item->setData(2, Qt::UserRole, entry.Connect);
        }
        m_lstWorkSpace->sortItems(0, Qt::AscendingOrder);
    } catch (...) {
        m_lstWorkSpace->setUpdatesEnabled(true);
        throw;
    }
    m_lstWorkSpace->setUpdatesEnabled(true);
}

void TfrmMain::actDBLogonExecute()
{
    TfrmLogon::ShowWindow(QString(), QString(), QString(), QString(), false);
}

void TfrmMain::SetShortCut()
{
    for (QMdiSubWindow *window : MDIChildren())
        if (auto *form = dynamic_cast<TzkConnectionWindow *>(window->widget()))
            form->SetShortCut();
}

void TfrmMain::cmbDBNameChange()
{
    MenuUpdate();
    TzkConnectionWindow *form = CurrentForm();
    if (!form)
        return;
    Action(QStringLiteral("actAdminPerform"))->setEnabled(true);
    Action(QStringLiteral("actAdminDustBox"))->setEnabled(false);
    if (QWidget *w = form->Form()) {
        auto *frame = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        if (frame) {
            frame->show();
            m_mdiArea->setActiveSubWindow(frame);
        }
    }
}

void TfrmMain::pagTaskBarChange(int index)
{
    if (index < 0)
        return;
    const int tag = m_pagTaskBar->Tag(index);
    const QList<QMdiSubWindow *> windows = MDIChildren();
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (formIDOf(windows.at(i)->widget()) == tag) {
            if (windows.at(i)->isMinimized())
                windows.at(i)->showNormal();
            m_mdiArea->setActiveSubWindow(windows.at(i));
            return;
        }
    }
}

void TfrmMain::MDIChildActivated(QMdiSubWindow *window)
{
    ShowChildMenu();
    if (window && window->widget())
        SendFormMessage(window->widget(), ZK_FORMACTIVATE);
}
