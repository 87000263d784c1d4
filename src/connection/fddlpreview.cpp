#include "connection/fddlpreview.h"

#include "connection/fddlexec.h"
#include "core/zkapp.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zkwindows.h"
#include "platform/encoding/textencoding.h"
#include "sqleditor/zkmemo.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\SQLPREVIEW");

QString chooseFile(QWidget *owner, const QString &suggested)
{
    QFileDialog dialog(owner, QStringLiteral("SQL文の保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("SQLファイル(*.sql)"), QStringLiteral("すべてのファイル(*.*)")});
    dialog.setDefaultSuffix(QStringLiteral("SQL"));
    const QFileInfo info(suggested);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

} // namespace

QStringList DDLPreviewScript(const QStringList &script, const QString &DataBase)
{
    QStringList lines = script;
    if (!DataBase.isEmpty()) {
        lines.insert(0, QStringLiteral("go"));
        lines.insert(0, QStringLiteral("use ") + BracketCatalogName(DataBase));
    }
    RemoveRepeatedUse(lines);
    return lines;
}

QString DDLPreviewCaption(const QString &Schema, const QString &ObjName)
{
    if (ObjName == DDLScriptObjectName)
        return ObjName + QStringLiteral("を実行");
    if (!Schema.isEmpty())
        return Schema + QLatin1Char('.') + ObjName + QStringLiteral(" のコンパイル");
    return ObjName + QStringLiteral(" のコンパイル");
}

QString DDLPreviewFileName(const QString &dir, const QString &Schema, const QString &ObjName)
{
    const QString name = ObjName == DDLScriptObjectName ? QStringLiteral("script") : ObjName;
    const QString file =
        Schema.isEmpty() ? name + QStringLiteral(".sql") : Schema + QLatin1Char('.') + name + QStringLiteral(".sql");
    QString folder = dir;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return MakeUniqueFileName(folder + file);
}

QString DDLSaveFileName(const QString &chosen)
{
    return HasKnownFileExt(chosen) ? chosen : chosen + QStringLiteral(".sql");
}

TfrmDDLPreview::TfrmDDLPreview(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint
                         | Qt::WindowContextHelpButtonHint)
{
    if (zkMainForm && zkMainForm->imgMain())
        setWindowIcon(zkMainForm->imgMain()->Icon(10));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    txtLog = new TzkMemo(this);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    layout->addWidget(txtLog, 1);

    auto *buttons = new QHBoxLayout;
    chkModifySource = new QCheckBox(QStringLiteral("ソースを変更可能にする"), this);
    chkModifySource->setObjectName(QStringLiteral("chkModifySource"));
    btnOK = new QPushButton(QStringLiteral("開始(&E)"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnSave = new QPushButton(QStringLiteral("&SQL出力"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(chkModifySource);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &TfrmDDLPreview::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmDDLPreview::btnCancelClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmDDLPreview::btnSaveClick);
    connect(chkModifySource, &QCheckBox::clicked, this, &TfrmDDLPreview::chkModifySourceClick);
    resize(592, 366);
}

bool TfrmDDLPreview::ShowWindow(QStringList &ASQL, const QString &DataBase, const QString &Schema,
                                const QString &ObjName)
{
    if (!zkOption.ShowDDL)
        return true;
    TfrmDDLPreview form(zkMainForm ? zkMainForm->Window() : nullptr);
    form.chkModifySource->hide();
    form.FSchema = Schema;
    form.FObjName = ObjName == DDLScriptObjectName ? QStringLiteral("script") : ObjName;
    form.setWindowTitle(DDLPreviewCaption(Schema, ObjName));
    LoadDDLWindowLayout(&form, kLayoutKey);
    TzkForm::ApplyControlSettings(form.txtLog);
    form.txtLog->Lines()->Assign(DDLPreviewScript(ASQL, DataBase));
    form.chkModifySourceClick();
    const bool ok = form.exec() == QDialog::Accepted;
    if (ok)
        ASQL = form.txtLog->Lines()->SaveStrings();
    SaveDDLWindowLayout(&form, kLayoutKey);
    return ok;
}

void TfrmDDLPreview::btnOKClick()
{
    accept();
}

void TfrmDDLPreview::btnCancelClick()
{
    reject();
}

void TfrmDDLPreview::btnSaveClick()
{
    const QString suggested = DDLPreviewFileName(zkOption.FileDir, FSchema, FObjName);
    const QString chosen = SaveDialog ? SaveDialog(this, suggested) : chooseFile(this, suggested);
    if (chosen.isEmpty())
        return;
    try {
        QString text = txtLog->Lines()->SaveStrings().join(QStringLiteral("\r\n"));
        WriteTextFile(DDLSaveFileName(chosen), text + QStringLiteral("\r\n"), GetFileEncoding(), true);
    } catch (const std::exception &e) {
        TzkApplication::HandleException(e);
        return;
    }
    ShowAppMessage(QStringLiteral("SQL文の保存が完了しました。"), MB_OK | MB_ICONINFORMATION);
}

void TfrmDDLPreview::chkModifySourceClick()
{
    txtLog->SetReadOnly(!chkModifySource->isChecked());
}
