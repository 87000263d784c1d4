// The main window's commands: the actions of actMain with their captions,
// keys and images, the menus, the editor pop-up and the six tool bars, and
// the shortcut settings kept for the actions.

#include "mainwindow/fmain.h"
#include "mainwindow/fsupport.h"
#include "mainwindow/ftmplate.h"

#include "core/zkactions.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zkshortcut.h"
#include "core/zkstsbar.h"
#include "core/zksub.h"

#include <QAction>
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

namespace {

struct ActionDef
{
    const char *name;
    const char *caption;
    const char *shortcut; // built-in key, portable text
    int image;            // index in imgMain; -1 for none
    const char *setting;  // value under SHORTCUT; null when not kept
};

// In the order of the shortcut settings, then the actions that keep no key.
const ActionDef kActions[] = {
    {"actDBCommit", "コミット(&C)", "", 15, "DBCommit"},
    {"actDBRollback", "ロールバック(&R)", "", 16, "DBRollback"},
    {"actDBLogon", "データベース接続(&L)", "", 13, "DBLogon"},
    {"actDBLogoff", "データベース切断(&D)", "", 14, "DBLogoff"},
    {"actFileExit", "終了(&X)", "", -1, "FileExit"},
    {"actEditUndo", "元に戻す(&U)", "Ctrl+Z", 19, "EditUndo"},
    {"actEditRedo", "やり直し(&R)", "Ctrl+Y", 143, "EditRedo"},
    {"actEditCut", "切り取り(&T)", "Ctrl+X", 20, "EditCut"},
    {"actEditCopy", "コピー(&C)", "Ctrl+C", 21, "EditCopy"},
    {"actEditPaste", "貼り付け(&P)", "Ctrl+V", 22, "EditPaste"},
    {"actEditDelete", "削除(&D)", "", 41, "EditDelete"},
    {"actEditSelectAll", "すべて選択(&L)", "Ctrl+A", 149, "EditSelectAll"},
    {"actEditSelectMode", "矩形選択モード(&B)", "", 150, "EditSelectMode"},
    {"actEditFind", "検索(&F)", "Ctrl+F", 23, "EditFind"},
    {"actEditFindNext", "次を検索(&S)", "F3", 140, "EditFindNext"},
    {"actEditFindPrev", "前を検索(&P)", "Shift+F3", 141, "EditFindPrev"},
    {"actEditReplace", "置換(&E)...", "Ctrl+R", 139, "EditReplace"},
    {"actEditJump", "行ジャンプ(&J)...", "Ctrl+G", 157, "EditJump"},
    {"actEditFormat", "SQL整形(&O)", "", 145, "EditFormat"},
    {"actEditUpperCase", "大文字に変更", "", 161, "EditUpperCase"},
    {"actEditLowerCase", "小文字に変更", "", 160, "EditLowerCase"},
    {"actEditIndentF", "インデント", "Ctrl+Shift+I", 151, "EditIndentF"},
    {"actEditIndentR", "逆インデント", "Ctrl+Shift+U", 152, "EditIndentR"},
    {"actEditMacroSave", "キーマクロの保存", "", 164, "EditMacroSave"},
    {"actEditMacroExec", "キーマクロ実行", "Ctrl+Shift+L", 153, "EditMacroExec"},
    {"actEditJumpDefine", "定義情報ジャンプ", "", 158, "EditOpen"},
    {"actNew", "新規作成(&N)", "", -1, "ObjectNew"},
    {"actOpen", "開く(&O)", "", 17, "ObjectOpen"},
    {"actOpenDefine", "定義情報を開く", "", 17, "ObjectOpenDefine"},
    {"actOpenSource", "ソースを開く", "", -1, "ObjectOpenSource"},
    {"actOpenData", "データを開く", "", -1, "ObjectOpenData"},
    {"actOpenDataTop", "データを開く(件数指定)", "", -1, "ObjectOpenDataTop"},
    {"actExec", "実行(&E)", "", 28, "ObjectExec"},
    {"actCompile", "再コンパイル(&C)", "", 15, "ObjectCompile"},
    {"actScript", "スクリプト出力(&S)", "", 18, "ObjectScript"},
    {"actPrint", "印刷(&P)", "", 98, "ObjectPrint"},
    {"actSynonym", "シノニム作成(&Y)", "", 60, "ObjectSynonym"},
    {"actCross", "クロスリファレンス(&F)", "", 92, "ObjectCross"},
    {"actMatrix", "マトリックス表(&M)", "", -1, "ObjectMatrix"},
    {"actGrant", "権限(&G)", "", 91, "ObjectGrant"},
    {"actAnalyze", "統計情報(&A)", "", -1, "ObjectAnalyze"},
    {"actDelete", "削除(&D)", "Del", 41, "ObjectDelete"},
    {"actGrep", "全文検索", "", 24, "ObjectGrep"},
    {"actExport", "エクスポート(&R)", "", 7, "ObjectExport"},
    {"actRestore", "復元(&R)", "", 8, "ObjectRestore"},
    {"actLoad", "BCP(&O)", "", 9, "ObjectLoad"},
    {"actViewSQL", "SQL実行(&S)", "Ctrl+S", 10, "ViewSQL"},
    {"actViewScript", "スクリプト実行", "", 11, "ViewScript"},
    {"actViewTemplate", "SQLリファレンス", "Ctrl+J", 163, "ViewTemplate"},
    {"actViewComp", "オブジェクト比較(&C)", "", 135, "ViewComp"},
    {"actAdminUser", "ユーザー情報(&U)", "", 3, "AdminUser"},
    {"actAdminStorage", "ファイルグループ情報(&F)", "", 69, "AdminStorage"},
    {"actAdminSession", "プロセス情報(&S)", "", 124, "AdminSession"},
    {"actAdminLock", "ロック情報(&L)", "", 6, "AdminLock"},
    {"actAdminJob", "ジョブ情報(&J)", "", 97, "AdminJob"},
    {"actAdminDatabase", "データベース情報(&D)", "", 116, "AdminDatabase"},
    {"actAdminPerform", "パフォーマンス情報(&Q)", "", 107, "AdminPerform"},
    {"actAdminExport", "エクスポート(&P)", "", -1, "AdminExport"},
    {"actAdminImport", "インポート(&I)", "", -1, "AdminImport"},
    {"actAdminLoad", "BCP(&O)", "", 9, "AdminLoad"},
    {"actToolCommandSetup", "ユーザー定義コマンドの登録(&M)", "", -1, "ToolCommandSetup"},
    {"actToolReportSetup", "レポート定義の登録(&R)", "", -1, "ToolReportSetup"},
    {"actToolOption", "オプション(&P)...", "", 156, "ToolOption"},
    {"actToolEditorOption", "エディタオプション(&E)...", "", 148, "ToolEditorOption"},
    {"actToolScriptOption", "スクリプト出力オプション(&S)...", "", -1, "ToolScriptOption"},
    {"actEditComment", "コメント挿入/削除", "Ctrl+-", 147, "EditComment"},
    {"actEditGetSQL", "SQL抽出(&G)", "", -1, "EditGetSQL"},
    {"actAdminBackup", "バックアップ(&B)", "", 7, "AdminBackup"},
    {"actAdminRestore", "復元(&R)", "", 8, "AdminRestore"},
    {"actAdminAttach", "アタッチ(&A)", "", 1, "AdminAttach"},
    {"actToolIndexAdviser", "インデックスアドバイザ(&I)", "", 134, "ToolIndexAdviser"},
    {"actToolDBTest", "DB負荷テスト(&D)", "", -1, "ToolDBTest"},
    {"actViewSQLCRUD", "テーブルアクセス表(&A)", "", 106, "ViewSQLCRUD"},
    {"actViewSQLCatch", "SQLキャッチ(&T)", "", 105, "ViewSQLCatch"},
    {"actViewMS", "SQL Server Management Studio", "", 132, "ViewMS"},
    {"actViewMSDTS", "SSIS(DTS)", "", 131, "ViewMSDTS"},
    {"actViewMSProfiler", "SQL Server Profiler", "", 133, "ViewMSProfiler"},
    {"actComment", "コメントチェック(&O)", "", 87, "Comment"},
    {"actConstEnable", "制約を有効にする", "", -1, "ConstEnable"},
    {"actConstDisable", "制約を無効にする", "", -1, "ConstDisable"},
    {"actAddWorkSpace", "ワークスペースに追加(&W)", "", -1, "AddWorkSpace"},
    // No shortcut setting of their own.
    {"actViewField", "表・列", "Ctrl+T", 12, nullptr},
    {"actEditFindClear", "検索クリア", "", 142, nullptr},
    {"actEditHanToZen", "全角に変換", "", 162, nullptr},
    {"actEditZenToHan", "半角に変換", "", 159, nullptr},
    {"actEditMacroRec", "マクロ記録開始", "Ctrl+Shift+M", 154, nullptr},
    {"actEditMacroLoad", "キーマクロを開く", "", 165, nullptr},
    {"actToolOptionMigration", "設定移行(&O)", "", -1, nullptr},
    {"actAdminDustBox", "ごみ箱", "", 111, nullptr},
    {"actViewIndexAdviser", "インデックスアドバイザ(&I)", "", -1, nullptr},
    {"actWindowCascade", "重ねて表示(&C)", "", 25, nullptr},
    {"actWindowTileH", "上下に並べて表示(&H)", "", 26, nullptr},
    {"actWindowTileV", "左右に並べて表示(&V)", "", 27, nullptr},
    {"actWindowMinimizeAll", "全てを最小化(&M)", "", -1, nullptr},
    {"actWindowArrange", "アイコンの整列(&A)", "", -1, nullptr},
    {"actWindowClose", "閉じる(&L)", "", -1, nullptr},
    {"actHelp", "Zekalon ヘルプ(&C)", "", -1, nullptr},
    {"actHelpHomePageTop", "Zekalon ホームページ(&P)", "", -1, nullptr},
    {"actHelpHomePageFAQ", "Zekalon FAQ(&F)", "", -1, nullptr},
    {"actHelpHomePageTech", "Zekalon 便利機能紹介(&T)", "", -1, nullptr},
    {"actHelpSupport", "サポート情報(&S)...", "", -1, nullptr},
};

// The caption as a tooltip: no accelerator "(&X)", no "...".
QString tipOf(const QString &caption)
{
    QString tip = caption;
    static const QRegularExpression accel(QStringLiteral("\\(&.\\)"));
    tip.remove(accel);
    tip.remove(QLatin1Char('&'));
    if (tip.endsWith(QLatin1String("...")))
        tip.chop(3);
    return tip;
}

struct NewObjectButton
{
    const char *name;
    const char *hint;
    int kind;
};
const NewObjectButton kNewObjectButtons[] = {
    {"btnNewTable", "新規テーブル", 45},      {"btnNewIndex", "新規インデックス", 46},
    {"btnNewView", "新規ビュー", 47},         {"btnNewProc", "新規プロシージャ", 51},
    {"btnNewFunc", "新規ファンクション", 52}, {"btnNewTrigger", "新規トリガー", 57},
    {"btnNewSequence", "新規シーケンス", 58}, {"btnNewSynonym", "新規シノニム", 60},
    {"btnNewConst", "新規制約", 66},
};

} // namespace

void TfrmMain::CreateActions()
{
    m_actMain = new TzkActionList(this, QStringLiteral("actMain"));
    for (const ActionDef &def : kActions) {
        const QString caption = QString::fromUtf8(def.caption);
        QAction *action = m_actMain->Add(QLatin1String(def.name), caption);
        action->setToolTip(tipOf(caption));
        if (*def.shortcut)
            action->setShortcut(QKeySequence::fromString(QLatin1String(def.shortcut), QKeySequence::PortableText));
        action->setProperty("ImageIndex", def.image);
        action->setIcon(m_imgMain->Icon(def.image));
        action->setIconVisibleInMenu(true);
    }
    Action(QStringLiteral("actEditSelectMode"))->setCheckable(true);
    Action(QStringLiteral("actToolIndexAdviser"))->setToolTip(QStringLiteral("インデックスアドバイザ"));

    // What this window does itself; the other commands come with their windows.
    m_actMain->SetOnExecute(Action(QStringLiteral("actFileExit")), [this] { close(); });
    m_actMain->SetOnExecute(Action(QStringLiteral("actDBLogon")), [this] { actDBLogonExecute(); });
    m_actMain->SetOnExecute(Action(QStringLiteral("actHelpSupport")), [] { TfrmSupport::ShowWindow(); });
    m_actMain->SetOnExecute(Action(QStringLiteral("actViewTemplate")),
                            [] { TfrmTemplate::ShowWindow(TfrmTemplate::FocusedSelText()); });
    m_actMain->SetOnExecute(Action(QStringLiteral("actWindowCascade")), [this] {
        // Each a step below and right of the one before, three quarters of
        // the area in size (a plain cascade would shrink the windows to
        // their smallest layout).
        const QRect area = m_mdiArea->viewport()->rect();
        const QSize size(area.width() * 3 / 4, area.height() * 3 / 4);
        const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
        int n = 0;
        for (QMdiSubWindow *w : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
            if (w->isMinimized() || !w->isVisible())
                continue;
            w->showNormal();
            const int offset = (n++ * step) % qMax(step, area.height() - size.height() + 1);
            w->setGeometry(QRect(QPoint(offset, offset), size));
            w->raise();
        }
    });
    m_actMain->SetOnExecute(Action(QStringLiteral("actWindowTileH")), [this] { TileWindows(Qt::Vertical); });
    m_actMain->SetOnExecute(Action(QStringLiteral("actWindowTileV")), [this] { TileWindows(Qt::Horizontal); });
    m_actMain->SetOnExecute(Action(QStringLiteral("actWindowMinimizeAll")), [this] {
        const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList();
        for (qsizetype i = windows.size() - 1; i >= 0; --i)
            windows.at(i)->showMinimized();
    });
    m_actMain->SetOnExecute(Action(QStringLiteral("actWindowArrange")), [this] { m_mdiArea->tileSubWindows(); });
    m_actMain->SetOnExecute(Action(QStringLiteral("actWindowClose")), [this] {
        if (QMdiSubWindow *w = m_mdiArea->activeSubWindow())
            w->close();
    });
    m_actMain->SetOnUpdate(Action(QStringLiteral("actWindowClose")), [this] {
        Action(QStringLiteral("actWindowClose"))->setEnabled(m_mdiArea->activeSubWindow());
    });
    for (const char *name : {"actWindowCascade", "actWindowTileH", "actWindowTileV", "actWindowMinimizeAll"}) {
        QAction *action = Action(QLatin1String(name));
        m_actMain->SetOnUpdate(action, [this, action] { action->setEnabled(!m_mdiArea->subWindowList().isEmpty()); });
    }
}

void TfrmMain::TileWindows(Qt::Orientation orientation)
{
    // One row (Horizontal) or one column (Vertical) of equal parts of the
    // area; minimised windows keep their place.
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *w : m_mdiArea->subWindowList())
        if (!w->isMinimized() && w->isVisible())
            windows << w;
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int n = int(windows.size());
    const bool sideBySide = orientation == Qt::Horizontal;
    const int step = (sideBySide ? area.width() : area.height()) / n;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = windows.at(i);
        w->showNormal();
        w->setGeometry(sideBySide ? QRect(i * step, 0, step, area.height()) : QRect(0, i * step, area.width(), step));
    }
}

QAction *TfrmMain::CommandItem(const QString &name, const QString &actionName, bool mirror)
{
    QAction *action = Action(actionName);
    auto *item = new QAction(action->icon(), action->text(), this);
    item->setObjectName(name);
    item->setToolTip(action->toolTip());
    item->setIconVisibleInMenu(true);
    connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    if (mirror) {
        item->setEnabled(action->isEnabled());
        connect(action, &QAction::enabledChanged, item, &QAction::setEnabled);
    }
    return item;
}

void TfrmMain::CreateMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));
    auto add = [this](QMenu *menu, const char *name) {
        QAction *action = Action(QLatin1String(name));
        Q_ASSERT(action);
        menu->addAction(action);
        return action;
    };
    auto submenu = [](QMenu *parent, const QString &name, const QString &caption) {
        QMenu *menu = parent->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    auto topMenu = [bar](const QString &name, const QString &caption) {
        QMenu *menu = bar->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };

    QMenu *file = topMenu(QStringLiteral("mnuFile"), QStringLiteral("ファイル(&F)"));
    // Commit and roll back are enabled in the menu and on the tool bar by
    // their own rule, while the actions stay usable by their keys.
    file->addAction(CommandItem(QStringLiteral("mnuDBCommit"), QStringLiteral("actDBCommit"), false));
    file->addAction(CommandItem(QStringLiteral("mnuDBRollback"), QStringLiteral("actDBRollback"), false));
    add(file, "actDBLogon");
    add(file, "actDBLogoff");
    file->addSeparator();
    QMenu *recent = submenu(file, QStringLiteral("mnuRecentObject"), QStringLiteral("最近開いたオブジェクト"));
    recent->setToolTip(QStringLiteral("現在の接続先で最近表示したオブジェクト10件を表示します。"));
    for (int i = 0; i < 10; ++i) {
        QAction *item = recent->addAction(QString());
        item->setObjectName(QStringLiteral("mnuRecentObject%1").arg(i));
        item->setVisible(false);
    }
    recent->menuAction()->setEnabled(false);
    file->addSeparator();
    add(file, "actFileExit");

    QMenu *edit = topMenu(QStringLiteral("mnuEdit"), QStringLiteral("編集(&E)"));
    const char *editItems[] = {"actEditUndo",
                               "actEditRedo",
                               nullptr,
                               "actEditCut",
                               "actEditCopy",
                               "actEditPaste",
                               "actEditDelete",
                               "actEditSelectAll",
                               "actEditSelectMode",
                               nullptr,
                               "actEditFind",
                               "actEditFindNext",
                               "actEditFindPrev",
                               "actEditReplace",
                               "actEditFindClear",
                               "actEditJump",
                               nullptr,
                               "actEditUpperCase",
                               "actEditLowerCase",
                               "actEditHanToZen",
                               "actEditZenToHan",
                               nullptr,
                               "actEditIndentF",
                               "actEditIndentR",
                               "actEditComment",
                               "actEditFormat",
                               nullptr,
                               "actEditMacroRec",
                               "actEditMacroExec",
                               "actEditMacroSave",
                               "actEditMacroLoad",
                               nullptr,
                               "actEditJumpDefine"};
    for (const char *name : editItems) {
        if (!name) {
            edit->addSeparator();
        } else if (qstrcmp(name, "actEditMacroExec") == 0) {
            // The menu's item has a key of its own beside the action's.
            QAction *item = CommandItem(QStringLiteral("mnuEditMacroExec"), QLatin1String(name), true);
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
            edit->addAction(item);
        } else {
            add(edit, name);
        }
    }

    QMenu *view = topMenu(QStringLiteral("mnuDisplay"), QStringLiteral("表示(&V)"));
    m_mnuDisplay = view;
    add(view, "actViewSQL");
    add(view, "actViewScript");
    add(view, "actViewField");
    add(view, "actViewTemplate");
    view->addSeparator();
    QMenu *toolbars = submenu(view, QStringLiteral("mnuToolbar"), QStringLiteral("ツールバー"));
    const std::pair<const char *, const char *> toolbarItems[] = {{"標準", "pnlDB"},      {"編集", "pnlEdit"},
                                                                  {"表示", "pnlTool"},    {"管理", "pnlAdmin"},
                                                                  {"ツール", "pnlTool2"}, {"新規作成", "pnlNewObj"}};
    for (const auto &[caption, barName] : toolbarItems) {
        QAction *item = toolbars->addAction(QString::fromUtf8(caption));
        item->setObjectName(QStringLiteral("mnuToolbar_") + QLatin1String(barName));
        item->setCheckable(true);
        item->setChecked(true);
        const QString target = QLatin1String(barName);
        connect(item, &QAction::triggered, this, [this, target](bool on) { ToolBar(target)->setVisible(on); });
    }
    toolbars->addSeparator();
    QAction *reset = toolbars->addAction(QStringLiteral("位置の初期化"));
    reset->setObjectName(QStringLiteral("mnuToolbarReset"));
    reset->setEnabled(false);
    connect(toolbars, &QMenu::aboutToShow, this, [this, toolbars] {
        for (QAction *item : toolbars->actions())
            if (item->isCheckable())
                item->setChecked(ToolBar(item->objectName().mid(int(qstrlen("mnuToolbar_"))))->isVisible());
    });

    QAction *workSpace = view->addAction(QStringLiteral("ワークスペース"));
    workSpace->setObjectName(QStringLiteral("mnuWorkSpace"));
    workSpace->setCheckable(true);
    connect(workSpace, &QAction::triggered, this, [this](bool on) { m_lstWorkSpace->setVisible(on); });
    QAction *taskBarItem = view->addAction(QStringLiteral("タスクバー"));
    taskBarItem->setObjectName(QStringLiteral("mnuTaskBar"));
    taskBarItem->setCheckable(true);
    connect(taskBarItem, &QAction::triggered, this, [this](bool on) { m_pnlTaskBar->setVisible(on); });
    QAction *statusItem = view->addAction(QStringLiteral("ステータスバー"));
    statusItem->setObjectName(QStringLiteral("mnuStsbar"));
    statusItem->setCheckable(true);
    connect(statusItem, &QAction::triggered, this, [this](bool on) { m_stsMain->setVisible(on); });
    view->addSeparator();
    auto *listStyle = new QActionGroup(this);
    QAction *dispList = view->addAction(QStringLiteral("一覧(&L)"));
    dispList->setObjectName(QStringLiteral("mnuDispList"));
    QAction *dispReport = view->addAction(QStringLiteral("詳細(&D)"));
    dispReport->setObjectName(QStringLiteral("mnuDispReport"));
    for (QAction *item : {dispList, dispReport}) {
        item->setCheckable(true);
        listStyle->addAction(item);
    }
    dispReport->setChecked(true);
    view->addSeparator();
    QAction *reload = view->addAction(QStringLiteral("最新の情報に更新(&R)"));
    reload->setObjectName(QStringLiteral("mnuReload"));
    reload->setShortcut(QKeySequence(Qt::Key_F5));
    connect(reload, &QAction::triggered, this, [this] {
        if (QMdiSubWindow *w = m_mdiArea->activeSubWindow())
            SendFormMessage(w->widget(), WM_RELOAD);
    });
    connect(view, &QMenu::aboutToShow, this, [this, workSpace, taskBarItem, statusItem, dispList, dispReport, reload] {
        const bool connected = m_cmbDBName->count() > 0;
        for (QAction *item : {dispList, dispReport, reload})
            item->setEnabled(connected);
        workSpace->setChecked(m_lstWorkSpace->isVisible());
        taskBarItem->setChecked(m_pnlTaskBar->isVisible());
        statusItem->setChecked(m_stsMain->isVisible());
    });
    for (QAction *item : {dispList, dispReport, reload})
        item->setEnabled(false);

    QMenu *admin = topMenu(QStringLiteral("mnuAdmin"), QStringLiteral("管理(&A)"));
    for (const char *name :
         {"actAdminUser", "actAdminSession", "actAdminLock", "actAdminStorage", "actAdminDatabase", "actAdminJob"})
        add(admin, name);
    admin->addSeparator();
    for (const char *name :
         {"actAdminBackup", "actAdminRestore", "actAdminExport", "actAdminImport", "actAdminLoad", "actAdminAttach"})
        add(admin, name);
    Action(QStringLiteral("actAdminExport"))->setVisible(false);
    Action(QStringLiteral("actAdminImport"))->setVisible(false);

    QMenu *tool = topMenu(QStringLiteral("mnuTool"), QStringLiteral("ツール(&T)"));
    QMenu *commands = submenu(tool, QStringLiteral("mnuCommandMenu"), QStringLiteral("ユーザー定義コマンド"));
    commands->addSeparator()->setObjectName(QStringLiteral("mnuTB1"));
    add(commands, "actToolCommandSetup")->setObjectName(QStringLiteral("actToolCommandSetup"));
    QMenu *reports = submenu(tool, QStringLiteral("mnuReportMenu"), QStringLiteral("レポート出力"));
    reports->addSeparator()->setObjectName(QStringLiteral("mnuTB2"));
    reports->addAction(CommandItem(QStringLiteral("mnuReportSetup"), QStringLiteral("actToolReportSetup"), false));
    for (const char *name :
         {"actViewComp", "actToolIndexAdviser", "actViewSQLCatch", "actViewSQLCRUD", "actToolDBTest"})
        add(tool, name);
    tool->addSeparator();
    for (const char *name : {"actViewMS", "actViewMSDTS", "actViewMSProfiler"})
        add(tool, name);
    tool->addSeparator();
    for (const char *name : {"actToolOption", "actToolEditorOption", "actToolScriptOption", "actToolOptionMigration"})
        add(tool, name);

    QMenu *window = topMenu(QStringLiteral("mnuWindow"), QStringLiteral("ウィンドウ(&W)"));
    for (const char *name :
         {"actWindowCascade", "actWindowTileH", "actWindowTileV", "actWindowMinimizeAll", "actWindowArrange"})
        add(window, name);
    Action(QStringLiteral("actWindowArrange"))->setVisible(false);
    window->addSeparator();
    add(window, "actWindowClose");
    // The list of open windows follows, rebuilt each time the menu opens.
    QAction *listStart = window->addSeparator();
    listStart->setObjectName(QStringLiteral("mnuWindowList"));
    connect(window, &QMenu::aboutToShow, this, [this, window, listStart] {
        const QList<QAction *> items = window->actions();
        bool after = false;
        for (QAction *item : items) {
            if (after)
                window->removeAction(item), item->deleteLater();
            if (item == listStart)
                after = true;
        }
        const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList();
        listStart->setVisible(!windows.isEmpty());
        int n = 0;
        for (QMdiSubWindow *w : windows) {
            ++n;
            const QString title = w->windowTitle();
            QAction *item = window->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title) : title);
            item->setCheckable(true);
            item->setChecked(w == m_mdiArea->activeSubWindow());
            connect(item, &QAction::triggered, this, [this, w] {
                w->showNormal();
                m_mdiArea->setActiveSubWindow(w);
            });
        }
    });

    QMenu *help = topMenu(QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ(&H)"));
    add(help, "actHelp");
    help->addSeparator();
    QMenu *homePage = submenu(help, QStringLiteral("mnuHelpHomePage"), QStringLiteral("ホームページを開く"));
    Q_UNUSED(homePage)
    help->addSeparator();
    add(help, "actHelpSupport");

    QAction *newFeatures = bar->addAction(QStringLiteral("新機能(&N)"));
    newFeatures->setObjectName(QStringLiteral("mnuNewFeatures"));
    QAction *zkInfo = bar->addAction(QStringLiteral("活用のヒント(&I)"));
    zkInfo->setObjectName(QStringLiteral("mnuZkInfo"));

    // The editor pop-up of every SQL editor.
    m_popEditor = new QMenu(this);
    m_popEditor->setObjectName(QStringLiteral("popEditor"));
    const char *popItems[] = {"actEditUndo",
                              "actEditRedo",
                              nullptr,
                              "actEditCut",
                              "actEditCopy",
                              "actEditPaste",
                              "actEditDelete",
                              "actEditSelectAll",
                              "actEditSelectMode",
                              nullptr,
                              "actEditFind",
                              "actEditFindNext",
                              "actEditFindPrev",
                              "actEditReplace",
                              "actEditFindClear",
                              "actEditJump",
                              nullptr,
                              "actEditUpperCase",
                              "actEditLowerCase",
                              "actEditHanToZen",
                              "actEditZenToHan",
                              nullptr,
                              "actEditIndentF",
                              "actEditIndentR",
                              "actEditComment",
                              "actEditFormat",
                              "actEditGetSQL",
                              nullptr,
                              "actEditMacroRec",
                              "actEditMacroExec",
                              "actEditMacroSave",
                              "actEditMacroLoad",
                              nullptr,
                              "actEditJumpDefine",
                              "actViewField",
                              "actViewTemplate"};
    for (const char *name : popItems) {
        if (!name) {
            m_popEditor->addSeparator();
        } else if (qstrcmp(name, "actEditJumpDefine") == 0) {
            // The pop-up's item has a key of its own, for the editor that
            // shows the pop-up (each SQL editor adds it): a closed pop-up
            // takes no keys.
            QAction *item = CommandItem(QStringLiteral("popEditJumpDefine"), QLatin1String(name), true);
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
            item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            m_popEditor->addAction(item);
        } else {
            add(m_popEditor, name);
        }
    }

    // Actions shown only by items of their own, or only in the pop-up,
    // keep their keys through the window.
    for (const char *name : {"actDBCommit", "actDBRollback", "actToolReportSetup", "actEditMacroExec"})
        addAction(Action(QLatin1String(name)));

    // A menu shows the state of its commands as of now.
    for (QMenu *menu : bar->findChildren<QMenu *>())
        connect(menu, &QMenu::aboutToShow, this, [] { TzkIdleUpdate::RunNow(); });
}

void TfrmMain::CreateToolBars()
{
    auto makeBar = [this](const QString &name, const QString &caption) {
        auto *bar = new QToolBar(caption, this);
        bar->setObjectName(name);
        bar->setIconSize(QSize(16, 16));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        m_toolBars.append(bar);
        return bar;
    };
    auto add = [this](QToolBar *bar, const char *name) { bar->addAction(Action(QLatin1String(name))); };

    QToolBar *db = makeBar(QStringLiteral("pnlDB"), QStringLiteral("データベース"));
    add(db, "actDBLogon");
    add(db, "actDBLogoff");
    m_cmbDBName = new TzkConnectionComboBox(db);
    m_cmbDBName->setObjectName(QStringLiteral("cmbDBName"));
    m_cmbDBName->setFixedWidth(330);
    m_cmbDBName->setToolTip(QStringLiteral("現行データベース"));
    m_cmbDBName->setFocusPolicy(Qt::ClickFocus);
    db->addWidget(m_cmbDBName);
    db->addAction(CommandItem(QStringLiteral("btnDBCommit"), QStringLiteral("actDBCommit"), false));
    db->addAction(CommandItem(QStringLiteral("btnDBRollback"), QStringLiteral("actDBRollback"), false));

    QToolBar *edit = makeBar(QStringLiteral("pnlEdit"), QStringLiteral("編集"));
    add(edit, "actEditUndo");
    edit->addSeparator();
    add(edit, "actEditCut");
    add(edit, "actEditCopy");
    add(edit, "actEditPaste");

    QToolBar *tool = makeBar(QStringLiteral("pnlTool"), QStringLiteral("ツール"));
    add(tool, "actViewSQL");
    add(tool, "actViewScript");
    add(tool, "actViewField");

    QToolBar *admin = makeBar(QStringLiteral("pnlAdmin"), QStringLiteral("管理"));
    for (const char *name :
         {"actAdminUser", "actAdminSession", "actAdminLock", "actAdminStorage", "actAdminDatabase", "actAdminJob"})
        add(admin, name);

    QToolBar *tool2 = makeBar(QStringLiteral("pnlTool2"), QStringLiteral("ツール"));
    for (const char *name : {"actViewComp", "actToolIndexAdviser", "actViewSQLCatch", "actViewSQLCRUD", "actViewMS",
                             "actViewMSDTS", "actViewMSProfiler"})
        add(tool2, name);

    QToolBar *newObj = makeBar(QStringLiteral("pnlNewObj"), QStringLiteral("新規オブジェクト"));
    for (const NewObjectButton &b : kNewObjectButtons) {
        QAction *button = newObj->addAction(m_imgMain->Icon(b.kind), QString::fromUtf8(b.hint));
        button->setObjectName(QLatin1String(b.name));
        button->setProperty("ImageIndex", b.kind);
        button->setEnabled(false);
        connect(button, &QAction::triggered, this, [this, button] { btnNewClick(button); });
    }

    // Rows as the control bar places them: database and edit; tool, admin and
    // tool 2; the new objects.
    addToolBar(Qt::TopToolBarArea, db);
    addToolBar(Qt::TopToolBarArea, edit);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, tool);
    addToolBar(Qt::TopToolBarArea, admin);
    addToolBar(Qt::TopToolBarArea, tool2);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, newObj);
}

QAction *TfrmMain::Action(const QString &name) const
{
    return m_actMain ? m_actMain->Find(name) : nullptr;
}

QToolBar *TfrmMain::ToolBar(const QString &name) const
{
    for (QToolBar *bar : m_toolBars)
        if (bar->objectName() == name)
            return bar;
    return nullptr;
}

void TfrmMain::RegisterShortCutSettings()
{
    RegisterSettingsSection(
        TSettingsSection::ShortCut,
        [this] {
            zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\SHORTCUT"), true);
            for (const ActionDef &def : kActions) {
                if (!def.setting)
                    continue;
                QAction *action = Action(QLatin1String(def.name));
                const QString stored = zkReg->GetString(QLatin1String(def.setting), ShortCutToText(action->shortcut()));
                action->setShortcut(TextToShortCut(stored));
            }
            zkReg->CloseKey();
        },
        [this] {
            zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\SHORTCUT"), true);
            for (const ActionDef &def : kActions) {
                if (!def.setting)
                    continue;
                QString text = ShortCutToText(Action(QLatin1String(def.name))->shortcut());
                // An empty text would read as missing and bring the built-in
                // key back; "None" names no key, so a removed key stays removed.
                if (text.isEmpty() && *def.shortcut)
                    text = QStringLiteral("None");
                zkReg->WriteString(QLatin1String(def.setting), text);
            }
            zkReg->CloseKey();
        });
}
