#include "sqlwindow/fsql.h"

#include "connection/fobject.h"
#include "connection/fobject_open.h"
#include "controls/rdata.h"
#include "controls/zkgrid.h"
#include "core/zkactions.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_files.h"
#include "core/zkwaitcursor.h"
#include "core/dsqlserver.h"
#include "core/zkapp.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zksqllog.h"
#include "core/zkstsbar.h"
#include "core/zksub_dialogs.h"
#include "platform/db/db.h"
#include "platform/db/dberror.h"
#include "platform/rtl/exceptions.h"
#include "platform/encoding/textencoding.h"
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_codeassist.h"
#include "sqleditor/zksub_parse.h"
#include "sqlwindow/fexecprc.h"
#include "sqlwindow/fsqllog.h"
#include "sqlwindow/fsqlrun.h"
#include "sqlwindow/rexplan.h"

#include <QApplication>
#include <QComboBox>
#include <QSet>
#include <QDateTime>
#include <QHBoxLayout>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kResultTab = QStringLiteral("結果");
const QString kElapsed = QStringLiteral("処理時間(HH:MM:SS.Ms)：");
const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\EXECSQL");

void setStatus(const QString &text)
{
    if (zkMainForm && zkMainForm->stsMain())
        zkMainForm->stsMain()->SetPanelText(2, text);
}

// A text button of the command bar for an action; its own hint when given
// (the buttons of the run and of the next entry word theirs differently).
QToolButton *commandButton(QToolBar *bar, const char *name, QAction *action, const QString &hint)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setText(action->text());
    button->setIcon(action->icon());
    const QString tip = hint.isEmpty() ? action->toolTip() + QLatin1Char('|') + action->statusTip() : hint;
    button->setToolTip(tip.section(QLatin1Char('|'), 0, 0));
    button->setStatusTip(tip.section(QLatin1Char('|'), 1));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setMinimumWidth(78);
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
    bar->addWidget(button);
    return button;
}

QToolButton *imageButton(QToolBar *bar, const char *name, int image, const QString &hint)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
    button->setStatusTip(hint.section(QLatin1Char('|'), -1));
    if (zkMainForm && zkMainForm->imgMain())
        button->setIcon(zkMainForm->imgMain()->Icon(image));
    bar->addWidget(button);
    return button;
}

// The run's message of a failed batch: the layer's text, every record.
QString errorText(const std::exception &e)
{
    return QString::fromUtf8(e.what());
}

} // namespace

TfrmSQL::TfrmSQL(TfrmObject *AOwner)
    : TzkForm(dynamic_cast<QObject *>(zkMainForm) ? dynamic_cast<QObject *>(zkMainForm)
                                                  : static_cast<QObject *>(AOwner))
{
    // Owned by the main window; bound to the caller's connection window.
    if (AOwner && OwnerForm() != AOwner)
        SetOwnerForm(AOwner);
    setObjectName(QStringLiteral("frmSQL"));
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    actObject = new TzkActionList(this, QStringLiteral("actObject"));
    auto action = [this](const char *name, const QString &caption, int image, const QString &hint,
                         std::function<void()> run) {
        QAction *a = actObject->Add(QLatin1String(name), caption);
        a->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
        a->setStatusTip(hint.section(QLatin1Char('|'), 1));
        a->setProperty("ImageIndex", image);
        if (zkMainForm && zkMainForm->imgMain())
            a->setIcon(zkMainForm->imgMain()->Icon(image));
        actObject->SetOnExecute(a, std::move(run));
        return a;
    };
    actExec = action("actExec", QStringLiteral("実行(&E)"), 28,
                     QStringLiteral("入力したSQL文を実行します。|入力したSQL文を実行します。"
                                    "複数のSQLを実行する場合は/(スラッシュ)行で区切ります。"),
                     [this] { runShown(); });
    actObject->SetOnUpdate(actExec, [this] { actExec->setEnabled(actExecEnabled()); });
    actPrev = action("actPrev", QStringLiteral("前(&P)"), 29,
                     QStringLiteral("前の履歴を表示します。|前の履歴を表示します。"), [this] { actPrevExecute(); });
    actNext = action("actNext", QStringLiteral("次(&N)"), 30,
                     QStringLiteral("次の履歴を表示します。|前の履歴を表示します。"), [this] { actNextExecute(); });
    actLog = action("actLog", QStringLiteral("履歴(&L)"), 86,
                    QStringLiteral("過去に実行したSQL文を一覧表示します。|過去に実行したSQL文を一覧表示します。"),
                    [this] { actLogExecute(); });
    actOpen = action("actOpen", QStringLiteral("開く(&O)"), 17,
                     QStringLiteral("開く|SQLスクリプトファイルを開きます。"), [this] { actOpenExecute(); });
    actExit = action("actExit", QStringLiteral("終了(&X)"), 42, QStringLiteral("画面を閉じます。|画面を閉じます。"),
                     [this] { Close(); });
    actHideResult = action("actHideResult", QStringLiteral("結果を閉じる"), 96, QStringLiteral("結果を閉じる"),
                           [this] { actHideResultExecute(); });
    actObject->SetOnUpdate(actHideResult, [this] { actHideResult->setEnabled(pagData->count() > 0); });

    mnuTool = new QMenu(QStringLiteral("SQL実行(&O)"), this);
    mnuTool->setObjectName(QStringLiteral("mnuTool"));
    mnuTool->addAction(actExec);
    mnuTool->addSeparator();
    mnuTool->addAction(actPrev);
    mnuTool->addAction(actNext);
    mnuTool->addAction(actLog);
    mnuTool->addSeparator();
    mnuTool->addAction(actOpen);

    auto *header = new QWidget(this);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(0);
    tolCmd = new QToolBar(header);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    btnExec = commandButton(tolCmd, "btnExec", actExec,
                            QStringLiteral("入力したSQL文を実行します。|入力したSQL文を実行します。"
                                           "複数のSQLを実行する場合は'go'のみの行で区切ります。"));
    btnPrev = commandButton(tolCmd, "btnPrev", actPrev, QString());
    btnNext =
        commandButton(tolCmd, "btnNext", actNext, QStringLiteral("次の履歴を表示します。|次の履歴を表示します。"));
    btnLog = commandButton(tolCmd, "btnLog", actLog, QString());
    btnExit = commandButton(tolCmd, "btnExit", actExit, QString());
    headerLayout->addWidget(tolCmd);

    tolOption = new QToolBar(header);
    tolOption->setObjectName(QStringLiteral("tolOption"));
    btnOpen = imageButton(tolOption, "btnOpen", 17, QStringLiteral("開く|SQLスクリプトファイルを開きます。"));
    connect(btnOpen, &QToolButton::clicked, actOpen, &QAction::trigger);
    tolOption->addSeparator();
    btnExplan = imageButton(tolOption, "btnExplan", 112, QStringLiteral("実行計画|実行計画を表示します。"));
    btnExplan->setCheckable(true);
    connect(btnExplan, &QToolButton::clicked, this, [this] { btnExplanClick(); });
    tolOption->addSeparator();
    btnHideResult = imageButton(tolOption, "btnHideResult", 96, QStringLiteral("結果を閉じる"));
    connect(btnHideResult, &QToolButton::clicked, actHideResult, &QAction::trigger);
    btnShowDesign = imageButton(tolOption, "btnShowDesign", 110, QStringLiteral("SQLビルダ|SQLビルダを表示します。"));
    btnShowDesign->setCheckable(true);
    // The designer pane is not part of this window yet.
    btnShowDesign->setVisible(false);
    tolOption->actions().constLast()->setVisible(false);
    headerLayout->addWidget(tolOption);

    auto *pnlName = new QWidget(header);
    pnlName->setObjectName(QStringLiteral("pnlName"));
    auto *nameLayout = new QHBoxLayout(pnlName);
    nameLayout->setContentsMargins(4, 0, 4, 0);
    nameLayout->addWidget(new QLabel(QStringLiteral("接続"), pnlName));
    cmbConnection = new TzkConnectionComboBox(pnlName);
    cmbConnection->setObjectName(QStringLiteral("cmbConnection"));
    cmbConnection->setFixedWidth(330);
    cmbConnection->SetDrawItem(&TzkForm::ConnectionComboBoxDrawItem);
    nameLayout->addWidget(cmbConnection);
    nameLayout->addWidget(new QLabel(QStringLiteral("データベース"), pnlName));
    cmbDatabase = new QComboBox(pnlName);
    cmbDatabase->setObjectName(QStringLiteral("cmbDatabase"));
    cmbDatabase->setFixedWidth(181);
    nameLayout->addWidget(cmbDatabase);
    headerLayout->addWidget(pnlName);
    headerLayout->addStretch(1);
    root->addWidget(header);

    splResult = new QSplitter(Qt::Vertical, this);
    splResult->setObjectName(QStringLiteral("splResult"));
    splResult->setChildrenCollapsible(false);
    pnlSQL = new QWidget(splResult);
    pnlSQL->setObjectName(QStringLiteral("pnlSQL"));
    auto *sqlLayout = new QVBoxLayout(pnlSQL);
    sqlLayout->setContentsMargins(0, 0, 0, 0);
    sqlLayout->setSpacing(0);
    pnlBuild = new QWidget(pnlSQL);
    pnlBuild->setObjectName(QStringLiteral("pnlBuild"));
    pnlBuild->setFixedHeight(205);
    pnlBuild->setVisible(false);
    sqlLayout->addWidget(pnlBuild);
    splParam = new QSplitter(Qt::Horizontal, pnlSQL);
    splParam->setObjectName(QStringLiteral("splParam"));
    splParam->setChildrenCollapsible(false);
    fraMemo = new TfraMemo(splParam);
    fraMemo->setObjectName(QStringLiteral("fraMemo"));
    grdParam = new TzkStringGrid(splParam);
    grdParam->setObjectName(QStringLiteral("grdParam"));
    grdParam->SetColCount(2);
    grdParam->SetRowCount(2);
    grdParam->SetFixedRows(1);
    grdParam->SetFixedCols(0);
    grdParam->SetDefaultColWidth(120);
    grdParam->SetColWidths(1, 134);
    grdParam->SetOptions(grdParam->Options() | goEditing);
    grdParam->OnSelectCell = [](TzkStringGrid *grid, int col, int, bool &) {
        // Names are not for editing; values are.
        if (col == 0) {
            grid->SetEditorMode(false);
            grid->SetOptions(grid->Options() & ~TGridOptions(goEditing));
        } else {
            grid->SetOptions(grid->Options() | goEditing);
        }
    };
    grdParam->OnDrawCell = [](TzkStringGrid *grid, int col, int row, const QRect &rect, TGridDrawState state) {
        if (col != 0 || (state & gdFixed))
            return;
        TzkGridCanvas *canvas = grid->Canvas();
        canvas->BrushColor = clBtnFace;
        canvas->FontColor = clWindowText;
        canvas->Apply();
        canvas->FillRect(rect);
        canvas->TextOut(rect.left() + 2, rect.top() + 2, grid->Cells(col, row));
    };
    grdParam->setVisible(false);
    splParam->addWidget(fraMemo);
    splParam->addWidget(grdParam);
    splParam->setStretchFactor(0, 1);
    sqlLayout->addWidget(splParam, 1);

    pagData = new QTabWidget(splResult);
    pagData->setObjectName(QStringLiteral("pagData"));
    auto *tabData = new QWidget;
    tabData->setObjectName(QStringLiteral("tabData"));
    auto *tabLayout = new QVBoxLayout(tabData);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    fraData = new TfraData(this, tabData);
    fraData->setObjectName(QStringLiteral("fraData"));
    fraData->SetTableName(QStringLiteral("SQL"));
    tabLayout->addWidget(fraData);
    pagData->addTab(tabData, kResultTab);

    pagExplan = new QTabWidget(splResult);
    pagExplan->setObjectName(QStringLiteral("pagExplan"));
    auto *tabExplan = new QWidget;
    tabExplan->setObjectName(QStringLiteral("tabExplan"));
    auto *explanLayout = new QVBoxLayout(tabExplan);
    explanLayout->setContentsMargins(0, 0, 0, 0);
    fraExplan = new TfraExplan(tabExplan);
    fraExplan->setObjectName(QStringLiteral("fraExplan"));
    explanLayout->addWidget(fraExplan);
    pagExplan->addTab(tabExplan, QStringLiteral("実行計画"));
    pagExplan->setVisible(false);

    splResult->addWidget(pnlSQL);
    splResult->addWidget(pagData);
    splResult->addWidget(pagExplan);
    splResult->setStretchFactor(0, 1);
    root->addWidget(splResult, 1);
    for (QSplitter *splitter : {splResult, splParam})
        splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background-color: #D2D2D2; }"));

    qrySQL = new TFDQuery(this);
    qrySQL->setObjectName(QStringLiteral("qrySQL"));
    resize(1139, 721);
    setAcceptDrops(true);

    connect(cmbConnection, &QComboBox::activated, this, [this] { cmbConnectionSelect(); });

    // The creation steps: a first caption that the connection's own replaces
    // at once, the task tab, the icon.
    InitForm();
    CreateTaskButton();
    if (TzkConnectionWindow *c = OwnerForm()) {
        const QString info = c->g_UserID + QStringLiteral(" @ ") + c->g_Server + QLatin1Char('.') + c->g_DataBase;
        setWindowTitle(QStringLiteral("スクリプト実行 - ") + info);
        SetTaskCaption(info);
    }
    SetIcon(10);
    fraDatas.append(fraData);
    // Frames of a run (also those the connection window holds) are re-read
    // by the window that ran them.
    TfraData::RefreshForExport = [](TfraData *frame) {
        for (QWidget *w : QApplication::allWidgets())
            if (auto *sql = qobject_cast<TfrmSQL *>(w); sql && sql->RefreshFrame(frame))
                return true;
        return false;
    };
    if (zkMainForm && zkMainForm->cmbDBName()) {
        const QComboBox *main = zkMainForm->cmbDBName();
        for (int i = 0; i < main->count(); ++i)
            AddComboConnection(cmbConnection, main->itemText(i), ComboConnection(main, i));
        if (OwnerForm())
            cmbConnection->setCurrentIndex(GetItemIndexHasSessionID(cmbConnection, OwnerForm()->MYSID));
    }
    cmbConnectionSelect();
    try {
        WriteSQLLogIndexes();
    } catch (const std::exception &) {
        // The lists stay in memory; the next recorded run writes them again.
    }
    ShowMDIChild();
    fraMemo->ShowData();
    ShowResultPane(false);
    fraMemo->txtSQL->setFocus();
}

TfrmSQL::~TfrmSQL()
{
    ClearResults();
}

bool TfrmSQL::RefreshFrame(TfraData *frame)
{
    if (!frame || !fraDatas.contains(frame))
        return false;
    // A batch that is not a query (an EXEC) runs again as it ran; failures
    // go to the caller, which shows them and exports nothing.
    frame->qryData->Close();
    if (IsSqlQueryText(frame->SQL()))
        frame->Open();
    else
        frame->qryData->Open();
    return true;
}

bool TfrmSQL::MemoDatabase(QString &database) const
{
    database = cmbDatabase->currentText();
    return true;
}

void TfrmSQL::cmbConnectionSelect()
{
    const int index = cmbConnection->currentIndex();
    if (index >= 0) {
        if (TzkConnectionWindow *form = ComboConnection(cmbConnection, index)) {
            if (form != OwnerForm()) {
                ClearResults();
                SetOwnerForm(form);
                SwitchConnectionDisplay();
                fraMemo->DBChanged();
            }
            fraData->qryData->Close();
            qrySQL->Close();
            fraData->qryData->SetConnection(form->dmSQLServer ? form->dmSQLServer->Connection : nullptr);
            qrySQL->SetConnection(fraData->qryData->Connection());
            const QString info = form->GetConnectInfo(QString(), QString(), true);
            setWindowTitle(QStringLiteral("SQL 実行 - ") + info);
            SetTaskCaption(info);
            cmbDatabase->clear();
            if (auto *object = dynamic_cast<TfrmObject *>(form)) {
                QStringList databases;
                try {
                    object->GetDatabase(databases);
                } catch (const std::exception &e) {
                    TzkApplication::HandleException(e);
                }
                cmbDatabase->addItems(databases);
            }
            cmbDatabase->setCurrentIndex(cmbDatabase->findText(form->g_DataBase));
        }
    }
    cmbDatabase->setEnabled(!(OwnerForm() && OwnerForm()->IsAzure));
}

void TfrmSQL::DBChange()
{
    const TzkConnectionWindow *own = OwnerForm();
    cmbConnection->clear();
    if (zkMainForm && zkMainForm->cmbDBName()) {
        const QComboBox *main = zkMainForm->cmbDBName();
        for (int i = 0; i < main->count(); ++i)
            AddComboConnection(cmbConnection, main->itemText(i), ComboConnection(main, i));
    }
    const int index = own ? GetItemIndexHasSessionID(cmbConnection, own->MYSID) : -1;
    cmbConnection->setCurrentIndex(index);
    // A run on the stack finishes before the window goes.
    if (index < 0 && !m_running)
        Close();
}

void TfrmSQL::runShown()
{
    // The history write and the database switch leave the run; their
    // failure goes to the usual error display.
    try {
        actExecExecute();
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
    }
}

bool TfrmSQL::actExecEnabled() const
{
    const QString text = fraMemo->txtSQL->Lines()->GetTextStr();
    return !text.isEmpty() && text != QLatin1String("\r\n");
}

bool TfrmSQL::FormKeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        runShown();
        return true;
    }
    return TzkForm::FormKeyDown(event);
}

bool TfrmSQL::FormCloseQuery()
{
    setStatus(QString());
    return !m_running;
}

void TfrmSQL::ShowResultPane(bool show)
{
    setUpdatesEnabled(false);
    QTabWidget *current = btnExplan->isChecked() ? pagExplan : pagData;
    QTabWidget *other = current == pagData ? pagExplan : pagData;
    const int client = height();
    if (show) {
        if (L_nResultTabHeight <= 30 || L_nResultTabHeight > client - 100)
            L_nResultTabHeight = client / 2;
        other->setVisible(false);
        current->setVisible(true);
        QList<int> sizes = splResult->sizes();
        const int total = sizes.value(0) + sizes.value(1) + sizes.value(2);
        const int index = splResult->indexOf(current);
        sizes = {0, 0, 0};
        sizes[index] = L_nResultTabHeight;
        sizes[0] = qMax(total - L_nResultTabHeight, 0);
        splResult->setSizes(sizes);
    } else {
        if (!current->isHidden()) {
            const int h = current->height();
            if (h > 30 && h < client - 100)
                L_nResultTabHeight = h;
        }
        pagData->setVisible(false);
        pagExplan->setVisible(false);
    }
    setUpdatesEnabled(true);
}

void TfrmSQL::ShowParamGrid(bool show)
{
    if (show && grdParam->isHidden()) {
        fraMemo->actHidePaletteExecute();
        // A third of the editor's room, the value column filling the rest.
        const int total = splParam->width();
        grdParam->setVisible(true);
        splParam->setSizes({total - total / 3, total / 3});
        grdParam->SetColWidths(1, qMax(total / 3 - grdParam->ColWidths(0) - 1 - 4, 40));
    }
    grdParam->setVisible(show);
}

void TfrmSQL::actHideResultExecute()
{
    ShowResultPane(pagData->isHidden() && pagExplan->isHidden());
}

void TfrmSQL::btnExplanClick()
{
    ShowResultPane(btnExplan->isChecked());
    fraMemo->txtSQL->CloseCodeAssist();
}

void TfrmSQL::ResetSelectionMode()
{
    fraMemo->txtSQL->SetSelectionMode(smLine);
    fraMemo->txtSQL->SetKeyDownAltKey(false);
}

void TfrmSQL::BindParams(TFDParams &params)
{
    if (params.Count() == 0) {
        ShowParamGrid(false);
        return;
    }
    bool changed = false;
    if (grdParam->isHidden())
        changed = true;
    if (grdParam->RowCount() != params.Count() + 1) {
        grdParam->SetRowCount(params.Count() + 1);
        changed = true;
    }
    grdParam->SetCells(0, 0, QStringLiteral("バインド変数名"));
    grdParam->SetCells(1, 0, QStringLiteral("値"));
    for (int r = 1; r <= params.Count(); ++r) {
        const QString name = params[r - 1].Name();
        if (grdParam->Cells(0, r) != name) {
            grdParam->SetCells(1, r, QString());
            changed = true;
        }
        grdParam->SetCells(0, r, name);
    }
    grdParam->SetFixedRows(1);
    grdParam->SetCol(1);
    grdParam->SetRow(1);
    ShowParamGrid(true);
    if (changed) {
        // The first run of new markers only asks for their values.
        setStatus(QStringLiteral("バインド変数値を入力して下さい。"));
        Abort();
    }
    for (int r = 1; r <= params.Count(); ++r) {
        TFDParam &param = params[r - 1];
        const QString value = grdParam->Cells(1, r);
        param.SetParamType(ptInput);
        param.SetDataType(ftWideString);
        param.SetSize(value.size() >= 254 ? int(value.size()) + 1 : 255);
        param.SetAsWideString(value);
    }
}

void TfrmSQL::RunExplan(const QStringList &lines)
{
    fraExplan->SetSQL(SqlExplanText(lines));
    BindParams(fraExplan->qryData->Params());
    if (!grdParam->isHidden()) {
        ShowAppMessage(QStringLiteral("バインド変数がある場合、実行計画を使用できません。"), MB_ICONWARNING);
        Abort();
    }
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    try {
        ShowResultPane(true);
        fraExplan->ShowData();
    } catch (const EAbort &) {
        throw;
    } catch (const std::exception &e) {
        setStatus(kElapsed + ExecProcElapsed(QDateTime::currentMSecsSinceEpoch() - start));
        TzkMemo *memo = fraMemo->txtSQL;
        memo->setFocus();
        const QString schema = OwnerForm() ? OwnerForm()->GetCurrentSchema() : QString();
        try {
            SelectSqlErrorPosition(memo, qrySQL, schema, 0, memo->Lines()->Count() - 1, errorText(e));
        } catch (const std::exception &) {
            // The message below still names the error.
        }
        ShowAppMessage(errorText(e), MB_ICONERROR);
        return;
    }
    setStatus(kElapsed + ExecProcElapsed(QDateTime::currentMSecsSinceEpoch() - start));
}

// --- History, files, completion and layout -----------------------------------------------

void TfrmSQL::SetEditorText(const QString &text)
{
    TzkMemo *memo = fraMemo->txtSQL;
    memo->Lines()->BeginUpdate();
    memo->Lines()->SetTextStr(text);
    memo->Lines()->EndUpdate();
    memo->SetModified(false);
    memo->EMEmptyUndoBuffer();
    memo->SetRowCol(0, 0);
}

void TfrmSQL::LoadLogFile(const QString &fileName)
{
    TSQLWaitCursor wait;
    SetEditorText(ReadSQLLogFile(fileName));
}

void TfrmSQL::actPrevExecute()
{
    if (FLog < SQLLogList.size() - 1) {
        ++FLog;
        LoadLogFile(SQLLogList.at(FLog));
    }
    fraMemo->txtSQL->CloseCodeAssist();
}

void TfrmSQL::actNextExecute()
{
    if (FLog >= 0) {
        --FLog;
        if (FLog >= 0)
            LoadLogFile(SQLLogList.at(FLog));
        else
            SetEditorText(QString());
    }
    fraMemo->txtSQL->CloseCodeAssist();
}

void TfrmSQL::actLogExecute()
{
    ResetSelectionMode();
    const QString answer = TfrmSQLLog::ShowWindow(this);
    if (answer.isEmpty())
        return;
    bool ok = false;
    const int position = answer.mid(1).toInt(&ok);
    if (!ok || position < 0)
        return;
    const bool favourite = answer.at(0) == QLatin1Char('F');
    const QStringList &list = favourite ? SQLLogFList : SQLLogList;
    if (position >= list.size())
        return;
    FLog = position;
    LoadLogFile(favourite ? SQLLogFFileName(list.at(position)) : list.at(position));
}

void TfrmSQL::actOpenExecute()
{
    TfraMemo::TFileDialogRequest request;
    request.Save = false;
    request.Title = QStringLiteral("開く");
    request.Filter = QStringLiteral("SQLファイル(*.sql)|*.sql|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*");
    QStringList files;
    int filterIndex = 1;
    if (!TfraMemo::FileDialog || !TfraMemo::FileDialog(this, request, files, filterIndex) || files.isEmpty())
        return;
    OpenFiles(files);
}

void TfrmSQL::OpenFiles(QStringList files)
{
    std::sort(files.begin(), files.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    TSQLWaitCursor wait;
    // Every file is read before the editor changes: one that cannot be read
    // raises and the text stays as it was.
    QString text;
    for (const QString &file : files) {
        QString content = ReadTextFile(file, GetFileEncoding());
        if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
            text += QStringLiteral("\r\n");
        text += content;
    }
    TzkMemo *memo = fraMemo->txtSQL;
    const bool modified = memo->Modified();
    SetEditorText(text);
    memo->SetModified(modified);
}

void TfrmSQL::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TfrmSQL::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    try {
        OpenFiles(files);
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
    }
}

bool TfrmSQL::MemoCodeAssist(int X, int Y)
{
    auto *object = dynamic_cast<TfrmObject *>(OwnerForm());
    if (!object || !object->dmSQLServer)
        return true;
    const QString database = cmbDatabase->currentText();
    try {
        QString schema;
        if (database != object->dmSQLServer->DataBase()) {
            const QString text =
                object->Use(database)
                + (object->DBVer < 9
                       ? QStringLiteral(" select user")
                       : QStringLiteral(
                           " select default_schema_name from sys.database_principals where name = user_name()"));
            schema = object->OpenSQL(text)->Fields(0)->AsString();
        } else {
            schema = object->GetCurrentSchema();
        }
        qrySQL->SetConnection(object->dmSQLServer->Connection);
        CodeAssistCandidates(fraMemo->txtSQL, this, qrySQL, database, schema, object->DBVer, X, Y);
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
    }
    return true;
}

QMenu *TfrmSQL::ChildMenu() const
{
    return mnuTool;
}

void TfrmSQL::LoadWindowLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    if (windowState() == Qt::WindowNoState)
        resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
    btnShowDesign->setChecked(reg.GetBool(QStringLiteral("ShowBuild"), false));
    grdParam->setVisible(false);
}

void TfrmSQL::SaveWindowLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    if (windowState() == Qt::WindowNoState) {
        reg.WriteInteger(QStringLiteral("Width"), width());
        reg.WriteInteger(QStringLiteral("Height"), height());
    }
    reg.WriteBool(QStringLiteral("ShowBuild"), btnShowDesign->isChecked());
}

void TfrmSQL::ClearResults()
{
    // Frames of the connection window: the tab they sit on goes first, so
    // no tab keeps a dangling child.
    for (int i = 0; i < fraDatas.size(); ++i) {
        TfraData *frame = fraDatas.at(i);
        if (frame && frame != fraData)
            delete frame;
    }
    fraDatas = {fraData};
    FSQLCount = 0;
    while (pagData->count() > 1) {
        QWidget *tab = pagData->widget(pagData->count() - 1);
        pagData->removeTab(pagData->count() - 1);
        delete tab;
    }
    FTab = 0;
    FIsFirstSelect = false;
}

TfraData *TfrmSQL::NewFrame()
{
    auto *owner = dynamic_cast<TfrmObject *>(OwnerForm());
    auto *frame = new TfraData(owner ? static_cast<QObject *>(owner) : this, nullptr);
    // Object names are the frames' handles for the exports: the first free
    // number among the frames of the same connection window, in any window.
    QObject *scope = frame->Owner();
    QSet<QString> taken;
    for (QWidget *widget : QApplication::allWidgets())
        if (auto *other = qobject_cast<TfraData *>(widget); other && other != frame && other->Owner() == scope)
            taken.insert(other->objectName());
    int n = FSQLCount;
    while (taken.contains(QStringLiteral("fraData") + QString::number(n)))
        ++n;
    frame->setObjectName(QStringLiteral("fraData") + QString::number(n));
    frame->qryData->SetConnection(fraData->qryData->Connection());
    frame->SetGridType(fraData->GridType());
    return frame;
}

void TfrmSQL::actExecExecute()
{
    if (m_running || !OwnerForm())
        return;
    m_running = true;
    struct Done
    {
        TfrmSQL *w;
        ~Done()
        {
            w->m_running = false;
            w->ResetSelectionMode();
            w->fraMemo->txtSQL->CloseCodeAssist();
        }
    } done{this};
    TSQLWaitCursor wait;

    TzkMemo *memo = fraMemo->txtSQL;
    if (memo->Modified() && zkOption.SQLBuf > 0) {
        AddSQLLog(memo->Lines()->GetTextStr());
        FLog = 0;
    }
    memo->SetModified(false);
    ClearResults();

    // An empty database list sends no use at all.
    auto *object = dynamic_cast<TfrmObject *>(OwnerForm());
    const QString use = object ? object->Use(cmbDatabase->currentText()) : QString();
    if (!use.isEmpty())
        object->ExecuteSQL(use);

    QStringList lines;
    if (zkOption.UsePartial && !memo->SelText().isEmpty())
        lines = memo->SelText().split(QStringLiteral("\r\n"));
    else
        lines = memo->Lines()->SaveStrings();

    if (btnExplan->isChecked()) {
        RunExplan(lines);
        return;
    }
    m_continue = false;
    m_quiet = false;
    m_elapsed = 0;
    const int editorLastLine = memo->Lines()->Count() - 1;
    for (const TSqlBatch &batch : SplitSqlBatches(lines))
        if (RunBatch(batch, editorLastLine))
            break;
    if (pagData->count() < 2)
        ShowResultPane(fraData->qryData->Active() && fraData->qryData->FieldCount() > 0);
    else
        ShowResultPane(true);
}

bool TfrmSQL::RunBatch(const TSqlBatch &batch, int editorLastLine)
{
    ShowResultPane(false);
    TfraData *frame = FIsFirstSelect ? NewFrame() : fraData;
    if (fraDatas.size() <= FSQLCount)
        fraDatas.append(frame);
    else
        fraDatas[FSQLCount] = frame;
    TFDQuery *query = frame->qryData;
    const bool isQuery = IsSqlQueryText(batch.Text);
    bool stop = false;
    try {
        query->Close();
        query->SetParamCreate(SqlParamCreate(batch.Text));
        query->ClearSQL();
        // A CREATE batch keeps no markers of the text before.
        query->Params().Clear();
        query->SetSQL(batch.Text);
        BindParams(query->Params());
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        frame->SetSQL(batch.Text);
        query->SetReadOnly(!frame->btnUpdate->isChecked());
        bool noResult = false;
        try {
            if (isQuery)
                frame->Open();
            else
                query->Open();
        } catch (const EDBError &e) {
            // A batch without rows ran once; its count is the query's.
            if (e.Kind() != TDBErrorKind::NoResult)
                throw;
            noResult = true;
        }
        const bool rows = !noResult && query->Active() && !query->Eof();
        if (isQuery || rows) {
            if (!FIsFirstSelect) {
                FIsFirstSelect = true;
            } else {
                auto *tab = new QWidget;
                auto *layout = new QVBoxLayout(tab);
                layout->setContentsMargins(0, 0, 0, 0);
                frame->setParent(tab);
                layout->addWidget(frame);
                pagData->addTab(tab, kResultTab + QString::number(FTab + 1));
                frame->show();
            }
            ++FTab;
        }
        if (isQuery)
            m_elapsed += QDateTime::currentMSecsSinceEpoch() - start;
        setStatus(kElapsed + ExecProcElapsed(m_elapsed));
        if (!isQuery && !rows && !m_quiet) {
            TzkCheckList checks;
            if (batch.LastLine < editorLastLine)
                checks.append({QStringLiteral("以降の結果ダイアログを表示しない"), &m_quiet});
            QString text = QStringLiteral(" SQLを実行しました。");
            if (query->RowsAffected() >= 1)
                text += QStringLiteral("\n(対象：") + QString::number(query->RowsAffected())
                        + QStringLiteral(" レコード )");
            ShowCheckMessage(text, MB_ICONINFORMATION | MB_OK, checks);
        }
    } catch (const EAbort &) {
        stop = true;
    } catch (const std::exception &e) {
        setStatus(kElapsed + ExecProcElapsed(m_elapsed));
        TzkMemo *memo = fraMemo->txtSQL;
        memo->setFocus();
        const QString schema = OwnerForm() ? OwnerForm()->GetCurrentSchema() : QString();
        try {
            SelectSqlErrorPosition(memo, qrySQL, schema, batch.FirstLine, batch.LastLine, errorText(e));
        } catch (const std::exception &) {
            // The message below still names the error.
        }
        TzkCheckList checks;
        if (batch.LastLine < editorLastLine)
            checks.append({QStringLiteral("処理を続行する"), &m_continue});
        ShowCheckMessage(errorText(e), MB_ICONWARNING | MB_OK, checks);
        stop = !m_continue;
    }
    // A frame that took no tab is not kept; the next batch takes its slot.
    if (frame != fraData && !frame->parent()) {
        delete frame;
        fraDatas.removeAt(FSQLCount);
        return stop;
    }
    ++FSQLCount;
    return stop;
}

void RegisterSqlWindow()
{
    RegisterWindow(QStringLiteral("TfrmSQL"),
                   [](TfrmObject *owner, const TOpenArgs &) -> QWidget * { return new TfrmSQL(owner); });
}
