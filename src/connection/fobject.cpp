#include "connection/fobject.h"

#include "connection/fobject_p.h"
#include "connection/fobject_sql.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkactions.h"
#include "core/zkapp.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zkstsbar.h"
#include "core/zksub.h"
#include "core/zktaskbar.h"
#include "platform/db/db.h"
#include "platform/sysinfo/sysinfo.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRandomGenerator>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

QList<TCopyObjectList> CopyObjectList;

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\OBJECT");
const QString kTreeKey = ZK_REG_ROOT + QStringLiteral("\\OBJECTTREE\\");
constexpr int kWindowImage = 94;
constexpr int kTreeMinWidth = 30;

QIcon image(int index)
{
    const TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    return images ? images->Icon(index) : QIcon();
}

TzkTaskBar *taskBar()
{
    return zkMainForm ? zkMainForm->pagTaskBar() : nullptr;
}

// The follow-up statements of the logon are worth trying, not worth failing
// the logon for.
void ignoreFailure(const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

bool containsNoCase(const QString &text, const QString &part)
{
    return text.contains(part, Qt::CaseInsensitive);
}

QToolButton *toolButton(QWidget *parent, const char *name, int imageIndex, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(image(imageIndex));
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

} // namespace

// --- Creation ----------------------------------------------------------------------

TfrmObject::TfrmObject(QWidget *AOwner, const QString &SID, const QString &UserID, const QString &Password,
                       const QString &Server, TColor i_colorIndex, bool Encrypt)
    : QWidget(nullptr)
    , m_formID(NewFormID())
{
    setObjectName(QStringLiteral("frmObject"));
    auto *session = new TdmSQLServer(AOwner);
    dmSQLServer = session;
    m_session = session;
    FSessionKilledQuery = false;

    // Whatever happens: the status bar's default text, after the cursor.
    struct DefMessage
    {
        ~DefMessage()
        {
            if (zkMainForm)
                zkMainForm->SetDefMessage();
        }
    } defMessage;
    TSQLWaitCursor wait;
    if (zkMainForm)
        zkMainForm->stsMain()->SetPanelText(2, QStringLiteral("データベースに接続中です．．．"));

    CreateComponents();
    try {
        Connect(SID, UserID, Password, Server, i_colorIndex, Encrypt);
    } catch (...) {
        // Nothing of a failed logon stays: no combo item, tab or session
        // pointing at a window that is not there.
        Unregister();
        if (QMdiSubWindow *frame = MDIFrame()) {
            frame->setWidget(nullptr);
            delete frame;
        }
        session->Connection->Close();
        delete session;
        dmSQLServer = nullptr;
        if (zkMainForm)
            zkMainForm->stsMain()->SetPanelText(2, QString());
        throw;
    }
}

TfrmObject::~TfrmObject()
{
    // Closed windows have undone all this already; a window freed without
    // its close (the main window going) must leave nothing behind.
    Unregister();
    if (auto *session = qobject_cast<TdmSQLServer *>(m_session.data()))
        session->Connection->Close();
    // Queued: the list and the tree are freed after this body, as children.
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &ReleaseFreedMemory, Qt::QueuedConnection);
}

void TfrmObject::CreateComponents()
{
    resize(800, 520);
    setWindowIcon(image(kWindowImage));
    setFocusPolicy(Qt::StrongFocus);

    qryExec = new TFDQuery(this);
    qryExec->setObjectName(QStringLiteral("qryExec"));
    qryObject = new TFDQuery(this);
    qryObject->setObjectName(QStringLiteral("qryObject"));
    qryIdxFragment = new TFDQuery(this);
    qryIdxFragment->setObjectName(QStringLiteral("qryIdxFragment"));
    qryIdxCol = new TFDQuery(this);
    qryIdxCol->setObjectName(QStringLiteral("qryIdxCol"));
    qryFragmentPerms = new TFDQuery(this);
    qryFragmentPerms->setObjectName(QStringLiteral("qryFragmentPerms"));
    qryKeepAlive = new TFDQuery(this);
    qryKeepAlive->setObjectName(QStringLiteral("qryKeepAlive"));
    qryCodeAssist = new TFDQuery(this);
    qryCodeAssist->setObjectName(QStringLiteral("qryCodeAssist"));
    tmrKeepAlive = new QTimer(this);
    tmrKeepAlive->setObjectName(QStringLiteral("tmrKeepAlive"));
    connect(tmrKeepAlive, &QTimer::timeout, this, [this] { tmrKeepAliveTimer(); });

    CreateActions();

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    spl1 = new QSplitter(Qt::Horizontal, this);
    spl1->setObjectName(QStringLiteral("spl1"));
    spl1->setChildrenCollapsible(false);
    layout->addWidget(spl1);

    // The tree pane: its tool bar above the tree.
    pnlTree = new QWidget(spl1);
    pnlTree->setObjectName(QStringLiteral("pnlTree"));
    pnlTree->setMinimumWidth(kTreeMinWidth);
    auto *treeLayout = new QVBoxLayout(pnlTree);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(0);
    tolTree = new QToolBar(pnlTree);
    tolTree->setObjectName(QStringLiteral("tolTree"));
    tolTree->setIconSize(QSize(16, 16));
    btnTree1 = toolButton(tolTree, "btnTree1", 121, QStringLiteral("データベース→オブジェクト順に表示"));
    btnTree2 = toolButton(tolTree, "btnTree2", 122, QStringLiteral("オブジェクト→データベース順に表示"));
    auto *order = new QButtonGroup(this);
    for (QToolButton *b : {btnTree1, btnTree2}) {
        b->setCheckable(true);
        order->addButton(b);
        tolTree->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this] { btnTreeClick(); });
    }
    tolTree->addSeparator();
    btnLevel0 = toolButton(tolTree, "btnLevel0", 123, QStringLiteral("サーバー選択時にオブジェクト一覧を表示する"));
    btnLevel1 = toolButton(tolTree, "btnLevel1", 94, QStringLiteral("データベース選択時にオブジェクト一覧を表示する"));
    for (QToolButton *b : {btnLevel0, btnLevel1}) {
        b->setCheckable(true);
        tolTree->addWidget(b);
    }
    connect(btnLevel0, &QToolButton::clicked, this, [this] { btnLevel0Click(); });
    connect(btnLevel1, &QToolButton::clicked, this, [this] { btnLevel1Click(); });
    tolTree->addSeparator();
    cmbTree = new QComboBox(tolTree);
    cmbTree->setObjectName(QStringLiteral("cmbTree"));
    cmbTree->addItems({QStringLiteral("すべてのDB"), QStringLiteral("ログインDB"), QStringLiteral("設定")});
    cmbTree->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    tolTree->addWidget(cmbTree);
    connect(cmbTree, &QComboBox::activated, this, [this](int index) { cmbTreeChange(index); });
    treeLayout->addWidget(tolTree);
    lstTree = new TzkTreeView(pnlTree);
    lstTree->setObjectName(QStringLiteral("lstTree"));
    lstTree->SetImages(zkMainForm ? zkMainForm->imgMain() : nullptr);
    treeLayout->addWidget(lstTree, 1);

    // The list pane: the header with the search panel above the list.
    pnlObject = new QWidget(spl1);
    pnlObject->setObjectName(QStringLiteral("pnlObject"));
    auto *objectLayout = new QVBoxLayout(pnlObject);
    objectLayout->setContentsMargins(0, 0, 0, 0);
    objectLayout->setSpacing(0);
    pnlListHeader = new QWidget(pnlObject);
    pnlListHeader->setObjectName(QStringLiteral("pnlListHeader"));
    pnlListHeader->setAutoFillBackground(true);
    pnlListHeader->setMinimumHeight(6);
    auto *headerLayout = new QHBoxLayout(pnlListHeader);
    headerLayout->setContentsMargins(3, 3, 3, 3);
    pnlFind = new QWidget(pnlListHeader);
    pnlFind->setObjectName(QStringLiteral("pnlFind"));
    pnlFind->setAutoFillBackground(true);
    auto *findLayout = new QHBoxLayout(pnlFind);
    findLayout->setContentsMargins(0, 0, 0, 0);
    findLayout->setSpacing(2);
    btnWhere = toolButton(pnlFind, "btnWhere", 23, QStringLiteral("オブジェクト名検索"));
    btnGrep = toolButton(pnlFind, "btnGrep", 24, QString());
    btnGrep->setDefaultAction(actObject->Find(QStringLiteral("actGrep")));
    cmbFind = new QComboBox(pnlFind);
    cmbFind->setObjectName(QStringLiteral("cmbFind"));
    cmbFind->setEditable(true);
    cmbFind->setInsertPolicy(QComboBox::NoInsert);
    cmbFind->setMaxVisibleItems(20);
    cmbFind->setMinimumWidth(220);
    btnShowFragment = toolButton(pnlFind, "btnShowFragment", 138, QString());
    btnShowFragment->setDefaultAction(actObject->Find(QStringLiteral("actShowFragment")));
    findLayout->addWidget(btnWhere);
    findLayout->addWidget(btnGrep);
    findLayout->addWidget(cmbFind);
    findLayout->addWidget(btnShowFragment);
    headerLayout->addWidget(pnlFind);
    headerLayout->addStretch(1);
    objectLayout->addWidget(pnlListHeader);
    // The list builds its columns when it is filled.
    lstObject = new TzkListView(pnlObject);
    lstObject->setObjectName(QStringLiteral("lstObject"));
    lstObject->SetMultiSelect(true);
    lstObject->SetDragEnabled(true);
    lstObject->SetReadOnly(false);
    lstObject->SetImages(zkMainForm ? zkMainForm->imgMain() : nullptr);
    objectLayout->addWidget(lstObject, 1);
    ConnectTreeAndList();

    spl1->addWidget(pnlTree);
    spl1->addWidget(pnlObject);
    spl1->setStretchFactor(0, 0);
    spl1->setStretchFactor(1, 1);
    spl1->setSizes({220, 580});
}

void TfrmObject::CreateActions()
{
    actObject = new TzkActionList(this, QStringLiteral("actObject"));
    // The commands' handlers come with the commands; until then the list's
    // update pass keeps them disabled.
    const struct
    {
        const char *name;
        int image;
        const char *caption;
    } actions[] = {
        {"actLogon", 13, "接続(&C)"},
        {"actNew", -1, "新規作成(&N)"},
        {"actUser", 3, "ユーザー情報(&U)"},
        {"actStorage", 69, "ファイルグループ情報(&F)"},
        {"actSession", 124, "プロセス情報(&S)"},
        {"actLock", 6, "ロック情報(&L)"},
        {"actJob", 97, "ジョブ情報(&J)"},
        {"actDatabase", 116, "データベース情報(&D)"},
        {"actNewTable", 45, "テーブル(&T)"},
        {"actNewIndex", 46, "インデックス(&I)"},
        {"actNewView", 47, "ビュー(&V)"},
        {"actNewProc", 51, "プロシージャ(&P)"},
        {"actNewFunc", 52, "ファンクション(&F)"},
        {"actNewTrigger", 57, "トリガー(&G)"},
        {"actNewSequence", 58, "シーケンス(&Q)"},
        {"actNewSynonym", 60, "シノニム(&S)"},
        {"actNewConst", 66, "制約(&N)"},
        {"actOpen", 17, "開く(&O)"},
        {"actOpenDefine", 17, "定義情報を開く"},
        {"actOpenSource", -1, "ソースを開く"},
        {"actOpenData", -1, "データを開く"},
        {"actOpenDataTop", -1, "データを開く(件数指定)"},
        {"actExec", 28, "実行(&E)"},
        {"actScript", 18, "スクリプト出力(&S)"},
        {"actPrint", 98, "印刷(&P)"},
        {"actSynonym", 60, "シノニム作成(&Y)"},
        {"actCross", 92, "依存関係 - クロスリファレンス(&F)"},
        {"actGrant", 91, "権限(&G)"},
        {"actDelete", 41, "削除(&D)"},
        {"actGrep", 24, "全文検索"},
        {"actLoad", 9, "BCP(&L)"},
        {"actBackUp", 7, "バックアップ(&B)"},
        {"actRestore", 8, "復元(&R)"},
        {"actDetach", -1, "デタッチ(&T)"},
        {"actCopy", 21, ""},
        {"actPaste", 22, ""},
        {"actShowFragment", 138, "断片化割合表示"},
    };
    for (const auto &a : actions) {
        QAction *action = actObject->Add(QLatin1String(a.name), QString::fromUtf8(a.caption));
        if (a.image >= 0)
            action->setIcon(image(a.image));
    }
    // The new-object commands open the kind they carry: the nine their own,
    // actNew that of the tree's selected kind node (set when its menu opens).
    for (const char *name : {"actNew", "actNewTable", "actNewIndex", "actNewView", "actNewProc", "actNewFunc",
                             "actNewTrigger", "actNewSequence", "actNewSynonym", "actNewConst"}) {
        QAction *action = actObject->Find(QLatin1String(name));
        for (const auto &a : actions)
            if (qstrcmp(a.name, name) == 0)
                action->setProperty("ImageIndex", a.image);
        actObject->SetOnExecute(action, [this, action] { actNewExecute(action->property("ImageIndex").toInt()); });
    }
    const struct
    {
        const char *name;
        void (TfrmObject::*handler)();
    } commands[] = {
        {"actOpen", &TfrmObject::actOpenExecute},
        {"actOpenDefine", &TfrmObject::actOpenDefineExecute},
        {"actOpenSource", &TfrmObject::actOpenSourceExecute},
        {"actOpenData", &TfrmObject::actOpenDataExecute},
        {"actOpenDataTop", &TfrmObject::actOpenDataTopExecute},
        {"actExec", &TfrmObject::actExecExecute},
        {"actScript", &TfrmObject::actScriptExecute},
        {"actPrint", &TfrmObject::actPrintExecute},
    };
    for (const auto &c : commands)
        actObject->SetOnExecute(actObject->Find(QLatin1String(c.name)), [this, h = c.handler] { (this->*h)(); });

    actObject->Find(QStringLiteral("actScript"))
        ->setToolTip(QStringLiteral("選択したオブジェクトのスクリプトを出力します。"));

    QAction *fragment = actObject->Find(QStringLiteral("actShowFragment"));
    fragment->setCheckable(true);
    fragment->setToolTip(QStringLiteral("断片化の割合を表示します。(インデックス一覧)"));
}

void TfrmObject::Connect(QString SID, QString UserID, const QString &Password, const QString &Server,
                         TColor i_colorIndex, bool Encrypt)
{
    TFDConnection *connection = dmSQLServer->Connection;
    for (TFDQuery *query : {qryObject, qryExec, qryIdxFragment, qryIdxCol, qryFragmentPerms, qryKeepAlive})
        query->SetConnection(connection);
    connection->Close();
    connect(connection, &TFDConnection::afterConnect, this, [this] { ConnectionAfterConnect(); });
    // Both come from inside the statement that found the link gone; the
    // message waits until that statement is done.
    connect(
        connection, &TFDConnection::restored, this, [this] { WhenNoStatementWaits([this] { ConnectionRestored(); }); },
        Qt::QueuedConnection);
    connect(
        connection, &TFDConnection::lost, this, [this] { WhenNoStatementWaits([this] { ConnectionLost(); }); },
        Qt::QueuedConnection);

    TFDConnectionParams &params = connection->Params();
    params.SetValue(QStringLiteral("OSAuthent"), QStringLiteral("No"));
    g_Win_Attest = false;
    if (UserID.trimmed().isEmpty()) {
        g_Win_Attest = true;
        params.SetValue(QStringLiteral("OSAuthent"), QStringLiteral("Yes"));
    }
    params.SetValue(QStringLiteral("ApplicationName"), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    params.SetValue(QStringLiteral("User_Name"), UserID);
    params.SetValue(QStringLiteral("Password"), Password);
    params.SetValue(QStringLiteral("Server"), Server);
    params.SetValue(QStringLiteral("Encrypt"), Encrypt ? QStringLiteral("Yes") : QStringLiteral("No"));
    const bool azureServer = containsNoCase(Server, AzureServerSuffix);
    if (azureServer) {
        params.SetValue(QStringLiteral("User_Name"), UserID + QLatin1Char('@') + Server);
        params.SetValue(QStringLiteral("OSAuthent"), QStringLiteral("No"));
    }
    params.SetValue(QStringLiteral("Database"), SID.trimmed().isEmpty() ? QStringLiteral("master") : SID);
    g_UserID = UserID;
    g_Password = Password;
    g_Server = Server;
    g_DataBase = params.Value(QStringLiteral("Database"));

    connection->Open();

    auto firstField = [this](const QString &sql, QString &value) {
        TFDQuery *query = OpenSQL(sql);
        if (query->Eof())
            return false;
        value = query->Fields(0)->AsString();
        return true;
    };

    if (UserID.trimmed().isEmpty())
        ignoreFailure([&] { firstField(QStringLiteral("select suser_sname()"), UserID); });

    if (ServerVersionOverride < 1) {
        ignoreFailure([&] { DBVer = g_DBVer = dmSQLServer->GetDBVersion(0); });
    } else {
        DBVer = g_DBVer = ServerVersionOverride;
    }

    IsAzure = false;
    if (DBVer > 9)
        ignoreFailure([&] {
            QString edition;
            if (firstField(QStringLiteral("select serverproperty('Edition')"), edition))
                IsAzure = edition.trimmed() == QLatin1String("SQL Azure");
        });

    auto storeDatabase = [&] {
        params.SetValue(QStringLiteral("DataBase"), SID);
        g_DataBase = SID;
    };
    if (!SID.trimmed().isEmpty()) {
        ignoreFailure([&] {
            if (firstField(QStringLiteral("select db_name()"), SID))
                storeDatabase();
        });
    } else if (IsAzure) {
        SID = QStringLiteral("master");
        storeDatabase();
    } else {
        ignoreFailure([&] {
            if (!firstField(QStringLiteral("select dbname from master.dbo.syslogins where name = N")
                                + QuoteSQLStr(UserID),
                            SID))
                SID = QStringLiteral("master");
            storeDatabase();
        });
    }

    setWindowTitle(QStringLiteral("オブジェクトリスト - ") + UserID + QStringLiteral(" @ ") + Server + QLatin1Char('.')
                   + SID);

    ignoreFailure([&] {
        if (firstField(QStringLiteral("select suser_sname()"), UserID)) {
            params.SetValue(QStringLiteral("User_Name"), IsAzure ? UserID + QLatin1Char('@') + Server : UserID);
            g_UserID = UserID;
        }
    });
    ignoreFailure([&] { firstField(QStringLiteral("select user_name()"), g_User); });
    if (DBVer < 9)
        g_Schema = g_User;
    else
        ignoreFailure([&] {
            firstField(QStringLiteral("select default_schema_name from sys.database_principals where name = "
                                      "user_name()"),
                       g_Schema);
        });
    SPID = 0;
    ignoreFailure([&] {
        QString spid;
        if (firstField(QStringLiteral("select @@SPID"), spid))
            SPID = spid.toInt();
    });

    MYSID = QRandomGenerator::global()->bounded(1, 2147483647);
    if (ConnectionManager) {
        ConnectionManager->AddConnection(m_formID, MYSID, g_UserID, g_DataBase, g_Server, i_colorIndex);
        m_registered = true;
    }

    const QColor back = ColorToQColor(ConnectionManager ? ConnectionManager->GetBackgroundColor(MYSID) : clBtnFace);
    for (QWidget *panel : {pnlFind, pnlListHeader}) {
        QPalette p = panel->palette();
        p.setColor(QPalette::Window, back);
        panel->setPalette(p);
    }

    if (zkOption.AutoTran && !connection->InTransaction())
        connection->StartTransaction();

    ShowInMainWindow();
    const QString item = UserID + QStringLiteral(" @ ") + Server + QLatin1Char('.') + SID;
    if (zkMainForm) {
        QComboBox *combo = zkMainForm->cmbDBName();
        AddComboConnection(combo, item, this);
        m_inCombo = true;
        combo->setCurrentIndex(combo->count() - 1);
        zkMainForm->cmbDBNameChange();
        const QList<QMdiSubWindow *> children = zkMainForm->MDIClient()->subWindowList(QMdiArea::CreationOrder);
        for (QMdiSubWindow *child : children)
            if (QWidget *w = child->widget())
                SendFormMessage(w, WM_DBCHANGE);
    }

    (zkOption.TreeSort == 1 ? btnTree2 : btnTree1)->setChecked(true);
    btnLevel1->setToolTip(zkOption.TreeSort == 1
                              ? QStringLiteral("オブジェクトタイプ選択時にオブジェクト一覧を表示する")
                              : QStringLiteral("データベース選択時にオブジェクト一覧を表示する"));

    Disp = 0;
    {
        TzkRegistry reg;
        const QString key = TreeSettingsKey();
        if (reg.KeyExists(key) && reg.OpenKey(key, false))
            Disp = reg.GetInteger(QStringLiteral("Disp"), 0);
    }
    // A value the combo does not offer shows every database.
    if (Disp < 0 || Disp > 2)
        Disp = 0;
    if (IsAzure) {
        cmbTree->clear();
        cmbTree->addItem(QStringLiteral("ログインDB"));
        cmbTree->setCurrentIndex(0);
        Disp = 1;
    } else {
        cmbTree->setCurrentIndex(Disp);
    }

    ShowTree();

    btnLevel0->setChecked(zkOption.ShowLevel0);
    btnLevel1->setChecked(zkOption.ShowLevel1);

    RestoreLayout();

    if (zkMainForm) {
        const auto *list = zkMainForm->Window()->findChild<QAction *>(QStringLiteral("mnuDispList"));
        const auto *report = zkMainForm->Window()->findChild<QAction *>(QStringLiteral("mnuDispReport"));
        if (list && list->isChecked())
            SetListStyle(false);
        if (report && report->isChecked())
            SetListStyle(true);
    }

    pnlFind->setVisible(zkOption.Find);
    lstObject->SetRowSelect(zkOption.RowSelect);
    actObject->Find(QStringLiteral("actShowFragment"))->setChecked(zkOption.ShowFragment && !IsAzure);

    QStringList history;
    LoadWhereHistory(QStringLiteral("%"), QStringLiteral("%"), QStringLiteral("%"), QStringLiteral("%"), history);
    cmbFind->addItems(history);
    cmbFind->setCurrentText(QString());

    SetCommandList();
    SetReportList();
    SetShortCut();

    CreateTaskTab(UserID + QLatin1Char('@') + SID);

    if (zkMainForm)
        zkMainForm->ShowWorkSpace(nullptr);
}

void TfrmObject::ShowInMainWindow()
{
    QMdiArea *area = zkMainForm ? zkMainForm->MDIClient() : nullptr;
    if (!area)
        return;
    const QSize wanted = size();
    QMdiSubWindow *frame = area->addSubWindow(this);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(windowIcon());
    frame->show();
    // The frame is built around the size the window was given, as far as
    // the main window's area holds it.
    frame->resize((wanted + frame->size() - size()).boundedTo(area->viewport()->size()));
}

void TfrmObject::RestoreLayout()
{
    QMdiSubWindow *frame = MDIFrame();
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, false))
        return;
    // The stored state only for the first window; the size for every window
    // that opens in the normal state.
    if (frame && frame->mdiArea() && frame->mdiArea()->subWindowList().size() == 1) {
        if (reg.GetInteger(QStringLiteral("WindowState"), 0) == 2)
            frame->showMaximized();
        else
            frame->showNormal();
    }
    if (frame && !frame->isMaximized() && !frame->isMinimized())
        frame->resize(reg.GetInteger(QStringLiteral("Width"), frame->width()),
                      reg.GetInteger(QStringLiteral("Height"), frame->height()));
    const int treeWidth = std::max(kTreeMinWidth, reg.GetInteger(QStringLiteral("TreeWidth"), pnlTree->width()));
    const int total = std::max(spl1->width(), treeWidth + kTreeMinWidth);
    spl1->setSizes({treeWidth, total - treeWidth});
}

void TfrmObject::SaveLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    QMdiSubWindow *frame = MDIFrame();
    int state = 0;
    if (frame && frame->isMinimized())
        state = 1;
    else if (frame && frame->isMaximized())
        state = 2;
    reg.WriteInteger(QStringLiteral("WindowState"), state);
    if (state == 0 && frame) {
        reg.WriteInteger(QStringLiteral("Width"), frame->width());
        reg.WriteInteger(QStringLiteral("Height"), frame->height());
    }
    reg.WriteInteger(QStringLiteral("TreeWidth"), spl1->sizes().value(0, pnlTree->width()));
}

QString TfrmObject::TaskCaption(const QString &text)
{
    return text.size() <= 16 ? text : text.left(14) + QChar(0x2026);
}

void TfrmObject::CreateTaskTab(const QString &caption)
{
    TzkTaskBar *bar = taskBar();
    if (!bar)
        return;
    bar->AddTab(m_formID, TaskCaption(caption), windowTitle(), kWindowImage);
    m_hasTaskTab = true;
}

QString TfrmObject::TreeSettingsKey() const
{
    return kTreeKey + ServerParam();
}

QString TfrmObject::ServerParam() const
{
    return dmSQLServer ? dmSQLServer->Server() : g_Server;
}

void TfrmObject::Unregister()
{
    if (m_inCombo && zkMainForm) {
        m_inCombo = false;
        QComboBox *combo = zkMainForm->cmbDBName();
        for (int i = combo->count() - 1; i >= 0; --i) {
            if (ComboConnection(combo, i) == this) {
                combo->removeItem(i);
                if (combo->count() > 0)
                    combo->setCurrentIndex(combo->count() - 1);
                else
                    combo->clear();
                zkMainForm->cmbDBNameChange();
                break;
            }
        }
        const QList<QMdiSubWindow *> children = zkMainForm->MDIClient()->subWindowList(QMdiArea::CreationOrder);
        for (QMdiSubWindow *child : children)
            if (QWidget *w = child->widget(); w && w != this)
                SendFormMessage(w, WM_DBCHANGE);
    }
    m_inCombo = false;
    if (m_hasTaskTab) {
        m_hasTaskTab = false;
        if (TzkTaskBar *bar = taskBar())
            bar->RemoveTag(m_formID);
    }
    if (m_registered) {
        m_registered = false;
        if (ConnectionManager)
            ConnectionManager->RemoveConnection(m_formID, MYSID);
    }
}

// --- Activation and messages -------------------------------------------------------

void TfrmObject::FormActivate()
{
    if (!zkMainForm)
        return;
    QComboBox *combo = zkMainForm->cmbDBName();
    for (int i = 0; i < combo->count(); ++i) {
        const TzkConnectionWindow *form = ComboConnection(combo, i);
        if (form && form->FormID() == m_formID) {
            combo->setCurrentIndex(i);
            break;
        }
    }
    zkMainForm->cmbDBNameChange();
    if (TzkTaskBar *bar = taskBar()) {
        const int index = bar->IndexOfTag(m_formID);
        if (index >= 0)
            bar->setCurrentIndex(index);
        // The owner-drawn tabs repaint in their connections' colours.
        bar->update();
    }
}

bool TfrmObject::event(QEvent *event)
{
    switch (int(event->type())) {
    case ZK_FORMACTIVATE: FormActivate(); return true;
    case WM_RELOAD: ShowObject(false); return true;
    case WM_DBCHANGE: return true;
    case QEvent::WindowTitleChange:
        if (m_hasTaskTab) {
            if (TzkTaskBar *bar = taskBar()) {
                const int index = bar->IndexOfTag(m_formID);
                if (index >= 0) {
                    bar->setTabText(index, windowTitle());
                    bar->setTabToolTip(index, windowTitle());
                }
            }
        }
        break;
    default: break;
    }
    return QWidget::event(event);
}

// --- Closing -------------------------------------------------------------------------

bool TfrmObject::CloseQuery()
{
    // At the program's exit the windows have been asked already.
    if (zkMainForm && !zkMainForm->Closing()) {
        const QList<QMdiSubWindow *> children = zkMainForm->MDIClient()->subWindowList(QMdiArea::CreationOrder);
        for (qsizetype i = children.size() - 1; i >= 0; --i) {
            auto *form = qobject_cast<TzkForm *>(children.at(i)->widget());
            if (form && form->Owner() == this && !form->CloseQuery())
                return false;
        }
    }
    TFDConnection *connection = dmSQLServer ? dmSQLServer->Connection : nullptr;
    if (!connection || !connection->InTransaction() || FSessionKilledQuery)
        return true;
    switch (zkOption.SessionKilledMode) {
    case skmCommit: connection->Commit(); break;
    case skmRollBack: connection->Rollback(); break;
    case skmConfirm: {
        QString text = QStringLiteral("COMMIT/ROLLBACKされていない変更があります。どのように処理しますか？");
        if (zkMainForm && zkMainForm->cmbDBName()->count() > 1)
            text += QStringLiteral("\n（接続名：") + connection->Params().Value(QStringLiteral("User_Name"))
                    + QStringLiteral(" @ ") + connection->Params().Value(QStringLiteral("Database"))
                    + QStringLiteral("）");
        text += QStringLiteral("\n※COMMIT/ROLLBACK実行後は、接続を切断します。切断したくない場合は「キャンセル」を押"
                               "してください。");
        const QStringList captions{QStringLiteral("COMMIT"), QStringLiteral("ROLLBACK"), QStringLiteral("キャンセル")};
        switch (ShowCheckMessage(text, MB_YESNOCANCEL | MB_ICONQUESTION, {}, &captions)) {
        case IDYES:
            connection->Commit();
            FSessionKilledQuery = true;
            break;
        case IDNO:
            connection->Rollback();
            FSessionKilledQuery = true;
            break;
        default: return false;
        }
        break;
    }
    }
    return true;
}

void TfrmObject::FormClose()
{
    if (zkMainForm) {
        zkMainForm->stsMain()->SetPanelText(2, QString());
        zkMainForm->ShowWorkSpace(this);
    }
    SaveLayout();
    SaveColumnWidths();
    {
        TzkRegistry reg;
        if (reg.OpenKey(TreeSettingsKey(), true))
            reg.WriteInteger(QStringLiteral("Disp"), Disp);
    }
    CopyObjectList.clear();
    Unregister();
    m_closed = true;
    tmrKeepAlive->stop();
    if (dmSQLServer)
        dmSQLServer->Connection->Close();
}

void TfrmObject::closeEvent(QCloseEvent *event)
{
    // The keep-alive statement lets the user's input through while it waits;
    // a close asked for meanwhile runs once it is done.
    if (m_keepAliveTicking) {
        event->ignore();
        QTimer::singleShot(50, this, [this] { Close(); });
        return;
    }
    // A failure here (a commit that raised) is shown and keeps the window
    // open; it must not unwind through the close itself.
    try {
        if (!CloseQuery()) {
            event->ignore();
            return;
        }
        FormClose();
    } catch (const std::exception &e) {
        event->ignore();
        TzkApplication::HandleException(e);
        return;
    }
    event->accept();
    // Closed from inside: the frame goes too. (A frame that is closing
    // already, having asked this window, is not closed twice.)
    if (QMdiSubWindow *frame = MDIFrame())
        frame->close();
}

void TfrmObject::Close()
{
    if (QMdiSubWindow *frame = MDIFrame())
        frame->close();
    else
        close();
}

QMdiSubWindow *TfrmObject::MDIFrame() const
{
    return qobject_cast<QMdiSubWindow *>(parentWidget());
}

// --- The object list's counts ---------------------------------------------------------

int TfrmObject::ObjectListCount() const
{
    return lstObject ? lstObject->ItemCount() : 0;
}

int TfrmObject::ObjectListSelCount() const
{
    return lstObject ? lstObject->SelCount() : 0;
}

void TfrmObject::ConnectionAfterConnect()
{
    SetOptionKeepAlive();
}
