#include "mainwindow/fsupport.h"

#include "controls/fprint.h"
#include "core/dsqlserver.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "platform/encoding/textencoding.h"
#include "platform/sysinfo/sysinfo.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kUnknown = QStringLiteral("Unknown");
const QString kTitle = QStringLiteral("サポート情報");

QString memoryText(double mb)
{
    if (mb > 0) {
        const qint64 rounded = qRound64(mb);
        // "#" shows nothing for a value that rounds to zero.
        return (rounded > 0 ? QString::number(rounded) : QString()) + QStringLiteral(" MB");
    }
    return kUnknown;
}

} // namespace

TSupportSources CurrentSupportSources(TzkConnectionWindow *connection)
{
    TSupportSources s;
    s.ProgramPath = QCoreApplication::applicationFilePath();
    s.ExeBitness = GetExeBitness(s.ProgramPath);
    if (connection)
        s.DriverName = connection->dmSQLServer ? connection->dmSQLServer->GetSQLDriverName() : QString();
    s.MsExe = zkOption.MS_EXE;
    s.DtsExe = zkOption.DTS_EXE;
    s.SpfExe = zkOption.SPF_EXE;
    s.ProductName = GetWindowsProductName;
    s.VersionText = GetWindowsVersionText;
    s.UserGroupName = GetUserGroupName;
    s.UacStateText = GetUacStateText;
    s.PhysicalMemoryMB = GetPhysicalMemoryMB;
    if (qEnvironmentVariableIsSet("PATH"))
        s.Path = qEnvironmentVariable("PATH");
    return s;
}

QStringList BuildSupportReport(const TSupportSources &s)
{
    QStringList lines;
    lines << QStringLiteral("【Zekalon情報】") << QStringLiteral("  バージョン         : 25 (x64)")
          << QStringLiteral("　ビット数           : ") + s.ExeBitness
          // Linux paths are case-sensitive: the path is shown as it is.
          << QStringLiteral("  プログラムのパス   : ") + s.ProgramPath
          << (s.DriverName ? QStringLiteral("  DriverName         : ") + *s.DriverName
                           : QStringLiteral("  DriverName         : 未接続のため取得できません。"))
          << QStringLiteral("\r\n【Management Studio連携実行ファイルパス】")
          << QStringLiteral("  Management Studio  : ") + s.MsExe << QStringLiteral("  SSIS(DTS)          : ") + s.DtsExe
          << QStringLiteral("  SQL Profiler       : ") + s.SpfExe << QStringLiteral("\r\n【OS情報】");

    // A failure here ends the block; the lines added so far stay.
    try {
        lines << QStringLiteral("  OS名               : ") + s.ProductName(kUnknown);
        lines << QStringLiteral("  OSのビット数       : ") + s.VersionText(0, kUnknown);
        lines << QStringLiteral("  OSバージョン       : ") + s.VersionText(9, kUnknown);
        lines << QStringLiteral("  OSサービスパック   : ") + s.VersionText(6, kUnknown);
        lines << QStringLiteral("  OSユーザー権限     : ") + s.UserGroupName(kUnknown);
        lines << QStringLiteral("  UAC                : ") + s.UacStateText();
        lines << QStringLiteral("  メモリ             : ") + memoryText(s.PhysicalMemoryMB());
        lines << QString();
    } catch (...) {
    }

    QString group;
    try {
        group = s.UserGroupName(kUnknown);
    } catch (...) {
        group = kUnknown;
    }
    lines << QStringLiteral("  ユーザ権限         : ") + group;

    // Split at ":" as the system's PATH is; not lower-cased, since Linux
    // paths are case-sensitive. A trailing separator gives an indent-only
    // line.
    const QStringList entries = s.Path ? s.Path->split(QLatin1Char(':')) : QStringList{QString()};
    for (qsizetype i = 0; i < entries.size(); ++i)
        lines << (i == 0 ? QStringLiteral("  PATH環境変数       : ") : QString(23, QLatin1Char(' '))) + entries.at(i);
    return lines;
}

QString SaveSupportText(const QString &fileName, const QString &text)
{
    QString name = fileName;
    if (!HasKnownFileExt(name))
        name += QStringLiteral(".txt");
    QString body = text;
    body.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    WriteTextFile(name, body + QStringLiteral("\r\n"), TEncoding::GetANSI(), false);
    return name;
}

TfrmSupport::TfrmSupport(QObject *AOwner)
    : TzkForm(AOwner)
{
    setObjectName(QStringLiteral("frmSupport"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    CreateControls();
    InitForm();
    resize(708, 442);
}

void TfrmSupport::CreateControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tolCmd = new QToolBar(this);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    tolCmd->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(tolCmd);

    TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    auto makeAction = [this, images](const char *name, const char *caption, int image) {
        auto *action = new QAction(QString::fromUtf8(caption), this);
        action->setObjectName(QLatin1String(name));
        QString hint = action->text();
        action->setToolTip(hint.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))));
        if (images)
            action->setIcon(images->Icon(image));
        return action;
    };
    actOutput = makeAction("actOutput", "出力(&P)", 36);
    actSaveFile = makeAction("actSaveFile", "保存(&S)", 18);
    actCopy = makeAction("actCopy", "クリップボード出力(&C)", 21);
    actPrint = makeAction("actPrint", "印刷(&P)", 98);
    actExit = makeAction("actExit", "終了(&X)", 42);

    popOutput = new QMenu(this);
    popOutput->setObjectName(QStringLiteral("popOutput"));
    popOutput->addAction(actSaveFile);
    popOutput->addAction(actCopy);
    popOutput->addAction(actPrint);

    btnOutput = new QToolButton(tolCmd);
    btnOutput->setObjectName(QStringLiteral("btnOutput"));
    btnOutput->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnOutput->setDefaultAction(actOutput);
    btnOutput->setMenu(popOutput);
    btnOutput->setPopupMode(QToolButton::MenuButtonPopup);
    tolCmd->addWidget(btnOutput);
    btnExit = new QToolButton(tolCmd);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnExit->setDefaultAction(actExit);
    tolCmd->addWidget(btnExit);

    txtSupport = new QPlainTextEdit(this);
    txtSupport->setObjectName(QStringLiteral("txtSupport"));
    txtSupport->setReadOnly(true);
    txtSupport->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtSupport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSupport->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(13);
    font.setStyleHint(QFont::Monospace);
    txtSupport->setFont(font);
    layout->addWidget(txtSupport, 1);

    connect(actOutput, &QAction::triggered, this, &TfrmSupport::actOutputExecute);
    connect(actSaveFile, &QAction::triggered, this, &TfrmSupport::actSaveFileExecute);
    connect(actCopy, &QAction::triggered, this, &TfrmSupport::actCopyExecute);
    connect(actPrint, &QAction::triggered, this, &TfrmSupport::actPrintExecute);
    connect(actExit, &QAction::triggered, this, &TfrmSupport::actExitExecute);
}

int TfrmSupport::ShowWindow()
{
    QObject *owner = zkMainForm ? static_cast<QObject *>(zkMainForm->Window()) : nullptr;
    TfrmSupport form(owner);
    form.SetReport(BuildSupportReport(CurrentSupportSources(form.OwnerForm())));
    PlaceForm(&form, -1, -1);
    return form.ShowModal();
}

void TfrmSupport::SetReport(const QStringList &lines)
{
    // The headings' own CR LF become one line break each in the memo.
    QString text = lines.join(QLatin1Char('\n'));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtSupport->setPlainText(text);
}

void TfrmSupport::actOutputExecute()
{
    btnOutput->showMenu();
}

void TfrmSupport::actSaveFileExecute()
{
    QFileDialog dialog(this, QStringLiteral("名前を付けて保存"));
    dialog.setObjectName(QStringLiteral("dlgSave"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters({QStringLiteral("テキストファイル(*.txt)"), QStringLiteral("すべてのファイル(*)")});
    if (!zkOption.FileDir.isEmpty())
        dialog.setDirectory(zkOption.FileDir);
    dialog.selectFile(QStringLiteral("ZKサポート情報.txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString written = SaveSupportText(dialog.selectedFiles().constFirst(), txtSupport->toPlainText());
    ShowAppMessage(QStringLiteral("ファイルに出力しました。"), MB_ICONINFORMATION);
    zkOption.FileDir = QFileInfo(written).absolutePath() + QLatin1Char('/');
}

void TfrmSupport::actCopyExecute()
{
    QApplication::clipboard()->setText(txtSupport->toPlainText());
    ShowAppMessage(QStringLiteral("クリップボードに出力しました。"), MB_ICONINFORMATION);
}

void TfrmSupport::actPrintExecute()
{
    const auto refocus = qScopeGuard([this] {
        activateWindow();
        txtSupport->setFocus();
    });
    const QStringList lines = txtSupport->toPlainText().split(QLatin1Char('\n'));
    TfrmPrint::ShowWindow(kTitle, [&lines] {
        TfrmPrint::BeginPrint();
        try {
            TfrmPrint::PrintSource(kTitle, lines, true);
        } catch (...) {
            TfrmPrint::EndPrint();
            throw;
        }
        TfrmPrint::EndPrint();
    });
}

void TfrmSupport::actExitExecute()
{
    Close();
}
