#include "connection/fddlexec.h"

#include "connection/fobject.h"
#include "controls/zkstdctl.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zkwindows.h"
#include "core/dsqlserver.h"
#include "editorcontrol/EditorFountain.h"
#include "platform/rtl/exceptions.h"
#include "sqleditor/zkmemo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\LOG");
const QString kCRLF = QStringLiteral("\r\n");

QWidget *mainWindow()
{
    return zkMainForm ? zkMainForm->Window() : nullptr;
}

// The message of any failure, as the log shows it.
QString errorText(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QString();
    }
}

} // namespace

QStringList SplitDDLLines(const QStringList &script)
{
    QStringList lines;
    for (const QString &entry : script)
        lines << entry.split(kCRLF);
    return lines;
}

bool IsDDLBatchEnd(const QString &line)
{
    // ASCII letters only: a locale's lower-casing must not turn other
    // letters into "go".
    if (line.size() != 2)
        return false;
    const auto lower = [](QChar c) { return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c; };
    return lower(line.at(0)) == u'g' && lower(line.at(1)) == u'o';
}

QStringList TakeDDLBatch(QStringList &lines)
{
    QStringList batch;
    while (!lines.isEmpty()) {
        const QString line = lines.takeFirst();
        if (IsDDLBatchEnd(line))
            break;
        batch << line;
    }
    return batch;
}

// --- The window ------------------------------------------------------------------------------

TfrmDDLExec::TfrmDDLExec(TfrmObject *AOwner)
    : QWidget(nullptr, Qt::Window)
    , FOwner(AOwner)
{
    setWindowTitle(QStringLiteral("スクリプト実行"));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    if (zkMainForm && zkMainForm->imgMain())
        setWindowIcon(zkMainForm->imgMain()->Icon(10));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    txtLog = new TzkMemo(this);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    TzkForm::ApplyControlSettings(txtLog);
    // No syntax colouring and no bracket pairs: the log is plain text in the
    // editor's font colour.
    auto *plain = new TEditorFountain(txtLog);
    const TColor fontColor = txtLog->Font().Color();
    plain->SameColor(fontColor);
    plain->SameStyle(0);
    plain->Reserve()->SetColor(fontColor);
    plain->Brackets()->Clear();
    txtLog->SetFountain(plain);
    txtLog->SetReadOnly(true);
    layout->addWidget(txtLog, 1);

    auto *pnlBottom = new QHBoxLayout;
    chkErrorStop = new TzkCheckBox(QStringLiteral("エラー発生時に処理を中断する"), this);
    chkErrorStop->setObjectName(QStringLiteral("chkErrorStop"));
    chkErrorStop->setChecked(true);
    btnOK = new QPushButton(QStringLiteral("継続(&U)"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("中止(&A)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    pnlBottom->addWidget(chkErrorStop);
    pnlBottom->addStretch(1);
    pnlBottom->addWidget(btnOK);
    pnlBottom->addWidget(btnCancel);
    pnlBottom->addStretch(1);
    layout->addLayout(pnlBottom);
    connect(btnOK, &QPushButton::clicked, this, &TfrmDDLExec::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmDDLExec::btnCancelClick);
    resize(592, 366);

    // The log goes with the main window when that is freed first.
    if (QWidget *main = mainWindow())
        connect(main, &QObject::destroyed, this, [this] { delete this; });
}

TfrmDDLExec::~TfrmDDLExec()
{
    if (!m_closed) {
        if (QWidget *main = mainWindow()) {
            main->unsetCursor();
            main->setEnabled(true);
        }
        emit Closed();
    }
}

void TfrmDDLExec::ShowWindow(TfrmObject *AOwner, const QStringList &ASQL)
{
    // One log window at a time: one that is still open is closed first.
    if (s_current) {
        s_current->FEndProc = true;
        s_current->close();
    }
    auto *form = new TfrmDDLExec(AOwner);
    s_current = form;
    if (QWidget *main = mainWindow()) {
        main->setCursor(Qt::WaitCursor);
        main->setEnabled(false);
    }
    form->FSQL = SplitDDLLines(ASQL);
    s_errorCount = 0;
    LoadDDLWindowLayout(form, kLayoutKey);
    form->show();

    QPointer<TfrmDDLExec> guard(form);
    const bool ended = form->Run();
    if (!guard)
        Abort();
    if (!ended) {
        form->FreeWhenIdle(); // closed by the user mid-run
        Abort();
    }
    TFDConnection *connection = AOwner && AOwner->dmSQLServer ? AOwner->dmSQLServer->Connection : nullptr;
    if (connection) {
        try {
            if (connection->InTransaction())
                connection->Commit();
        } catch (...) {
            // A failed commit is passed over: the run itself is done.
        }
        try {
            if (zkOption.AutoTran && !connection->InTransaction())
                connection->StartTransaction();
        } catch (...) {
        }
    }
    if (guard)
        form->FreeWhenIdle();
}

void TfrmDDLExec::WaitProc()
{
    if (!s_current || s_current->m_closed)
        return;
    QEventLoop loop;
    connect(s_current.data(), &TfrmDDLExec::Closed, &loop, &QEventLoop::quit);
    connect(s_current.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

QStringList TfrmDDLExec::LogLines() const
{
    return txtLog->Lines()->SaveStrings() + m_pending;
}

bool TfrmDDLExec::Run()
{
    QPointer<TfrmDDLExec> guard(this);
    m_running = true;
    struct RunningFlag
    {
        QPointer<TfrmDDLExec> form;
        ~RunningFlag()
        {
            if (form) {
                form->m_running = false;
                form->DrawLog();
            }
        }
    } running{guard};
    btnOK->setEnabled(false);
    bool stopped = false;
    while (!FSQL.isEmpty()) {
        if (FEndProc || m_closed) {
            stopped = true;
            break;
        }
        const QStringList batch = TakeDDLBatch(FSQL);
        if (batch.isEmpty())
            continue;
        txtLog->setFocus();
        Log(batch);
        if (!guard)
            return false;
        if (FEndProc || m_closed) {
            stopped = true;
            break;
        }
        std::exception_ptr error;
        try {
            if (!FOwner)
                throw Exception(QStringLiteral("接続ウィンドウが閉じられています。"));
            FOwner->ExecuteSQL(batch.join(kCRLF) + kCRLF);
        } catch (...) {
            error = std::current_exception();
        }
        if (!guard)
            return false;
        if (!error) {
            Log({QStringLiteral("《正常終了》"), QString()});
        } else {
            QStringList lines{QStringLiteral("《エラー》")};
            lines << errorText(error).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
            lines << QString();
            ++s_errorCount;
            Log(lines);
            if (!guard)
                return false;
            if (chkErrorStop->isChecked() && !m_closed) {
                btnOK->setEnabled(true);
                btnOK->setFocus();
                return false;
            }
        }
        if (!guard)
            return false;
    }
    if (stopped)
        return false;
    Log({QStringLiteral("スクリプト実行が完了しました。"),
         FormatText(QStringLiteral("エラー: %.d 件"), {s_errorCount})});
    if (!guard)
        return false;
    btnCancel->setText(QStringLiteral("終了(&X)"));
    btnCancel->setFocus();
    FEndProc = true;
    if (s_errorCount == 0 && zkOption.CloseDDL && !m_closed)
        close();
    return true;
}

void TfrmDDLExec::Log(const QStringList &lines)
{
    // Drawing the log and processing events after every batch would cost
    // many times what the batch costs: both happen at most every FrameMs
    // (and the log is drawn when the run stops), so the log still moves on
    // at once to the eye and the user can stop the run between batches.
    // Lines wait for the next frame and go to the log in one append.
    constexpr int FrameMs = 40;
    m_pending << lines;
    if (!m_drawn.isValid() || m_drawn.hasExpired(FrameMs)) {
        DrawLog();
        QCoreApplication::processEvents();
        m_drawn.start();
    }
}

void TfrmDDLExec::DrawLog()
{
    if (!m_pending.isEmpty()) {
        txtLog->BeginUpdate();
        for (const QString &line : std::as_const(m_pending))
            txtLog->Lines()->Add(line);
        txtLog->EndUpdate();
        m_pending.clear();
    }
    txtLog->SetRowCol(txtLog->Lines()->LinesToRow(std::max(0, txtLog->Lines()->Count() - 1)), 0);
}

void TfrmDDLExec::btnOKClick()
{
    if (m_running)
        return;
    QPointer<TfrmDDLExec> guard(this);
    Run();
    if (guard)
        FreeWhenIdle();
}

void TfrmDDLExec::btnCancelClick()
{
    close();
}

void TfrmDDLExec::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

bool TfrmDDLExec::FormCloseQuery()
{
    if (FEndProc)
        return true;
    if (ShowAppMessage(QStringLiteral("処理を中断しますか？"), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return false;
    FEndProc = true;
    return true;
}

void TfrmDDLExec::FormClose()
{
    m_closed = true;
    if (QWidget *main = mainWindow()) {
        main->unsetCursor();
        main->setEnabled(true);
    }
    SaveDDLWindowLayout(this, kLayoutKey);
    emit Closed();
    FreeWhenIdle();
}

void TfrmDDLExec::FreeWhenIdle()
{
    // Not under a running batch: the run's loop would find it gone.
    if (m_closed && !m_running)
        deleteLater();
}

void LoadDDLWindowLayout(QWidget *form, const QString &key)
{
    int top = -1;
    int left = -1;
    TzkRegistry reg;
    if (reg.KeyExists(key) && reg.OpenKey(key, false)) {
        left = reg.GetInteger(QStringLiteral("Left"), form->x());
        top = reg.GetInteger(QStringLiteral("Top"), form->y());
        form->resize(reg.GetInteger(QStringLiteral("Width"), form->width()),
                     reg.GetInteger(QStringLiteral("Height"), form->height()));
    }
    PlaceForm(form, top, left);
}

void SaveDDLWindowLayout(const QWidget *form, const QString &key)
{
    TzkRegistry reg;
    if (!reg.OpenKey(key, true))
        return;
    reg.WriteInteger(QStringLiteral("Left"), form->x());
    reg.WriteInteger(QStringLiteral("Top"), form->y());
    reg.WriteInteger(QStringLiteral("Width"), form->width());
    reg.WriteInteger(QStringLiteral("Height"), form->height());
}
