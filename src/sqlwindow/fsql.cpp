#include "sqlwindow/fsql.h"

#include "connection/fobject.h"
#include "connection/fobject_open.h"
#include "controls/rdata.h"
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
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_parse.h"
#include "sqlwindow/fexecprc.h"
#include "sqlwindow/fsqlrun.h"

#include <QApplication>
#include <QComboBox>
#include <QSet>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kResultTab = QStringLiteral("結果");
const QString kElapsed = QStringLiteral("処理時間(HH:MM:SS.Ms)：");

void setStatus(const QString &text)
{
    if (zkMainForm && zkMainForm->stsMain())
        zkMainForm->stsMain()->SetPanelText(2, text);
}

QToolButton *commandButton(QToolBar *bar, const char *name, const QString &text, int image, const QString &hint)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
    button->setStatusTip(hint.section(QLatin1Char('|'), 1));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setMinimumWidth(78);
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

    auto *header = new QWidget(this);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    auto *tolCmd = new QToolBar(header);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    btnExec = commandButton(tolCmd, "btnExec", QStringLiteral("実行(&E)"), 28,
                            QStringLiteral("入力したSQL文を実行します。|入力したSQL文を実行します。"
                                           "複数のSQLを実行する場合は'go'のみの行で区切ります。"));
    btnExit = commandButton(tolCmd, "btnExit", QStringLiteral("終了(&X)"), 42,
                            QStringLiteral("画面を閉じます。|画面を閉じます。"));
    headerLayout->addWidget(tolCmd);

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

    auto *splResult = new QSplitter(Qt::Vertical, this);
    splResult->setObjectName(QStringLiteral("splResult"));
    fraMemo = new TfraMemo(splResult);
    fraMemo->setObjectName(QStringLiteral("fraMemo"));
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
    splResult->addWidget(fraMemo);
    splResult->addWidget(pagData);
    splResult->setStretchFactor(0, 1);
    root->addWidget(splResult, 1);

    qrySQL = new TFDQuery(this);
    qrySQL->setObjectName(QStringLiteral("qrySQL"));
    resize(1139, 721);

    connect(btnExec, &QToolButton::clicked, this, [this] { runShown(); });
    connect(btnExit, &QToolButton::clicked, this, [this] { Close(); });
    connect(cmbConnection, &QComboBox::activated, this, [this] { cmbConnectionSelect(); });

    // The creation steps: a first caption that the connection's own replaces
    // at once, the task tab, the icon.
    CreateTaskButton();
    if (TzkConnectionWindow *c = OwnerForm()) {
        const QString info = c->g_UserID + QStringLiteral(" @ ") + c->g_Server + QLatin1Char('.') + c->g_DataBase;
        setWindowTitle(QStringLiteral("スクリプト実行 - ") + info);
        SetTaskCaption(info);
    }
    SetIcon(10);
    fraDatas.append(fraData);
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
    pagData->setVisible(show);
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
        ~Done() { w->m_running = false; }
    } done{this};

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
        if (query->Params().Count() > 0) {
            // Values for bind variables: the grid is still to come, so the
            // run stops before anything unbound reaches the server.
            setStatus(QStringLiteral("バインド変数値を入力して下さい。"));
            Abort();
        }
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
