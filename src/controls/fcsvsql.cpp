#include "controls/fcsvsql.h"

#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TfrmCSVSQL::TfrmCSVSQL(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmCSVSQL"));
    setWindowTitle(QStringLiteral("CSV出力"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);

    auto *layout = new QVBoxLayout(this);

    auto *fileRow = new QHBoxLayout;
    lblSaveFile = new QLabel(QStringLiteral("保存ファイル名"), this);
    txtSaveFile = new TzkStrEdit(this);
    txtSaveFile->setObjectName(QStringLiteral("txtSaveFile"));
    txtSaveFile->setMinimumWidth(360);
    lblSaveFile->setBuddy(txtSaveFile);
    btnSaveFile = new QToolButton(this);
    btnSaveFile->setObjectName(QStringLiteral("btnSaveFile"));
    btnSaveFile->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    btnSaveFile->setFocusPolicy(Qt::NoFocus);
    fileRow->addWidget(lblSaveFile);
    fileRow->addWidget(txtSaveFile, 1);
    fileRow->addWidget(btnSaveFile);
    layout->addLayout(fileRow);

    grp1 = new QGroupBox(QStringLiteral("ファイル形式"), this);
    auto *grid = new QGridLayout(grp1);
    lblEncoding = new QLabel(QStringLiteral("文字コード"), grp1);
    cmbEncoding = new TzkComboBox(grp1);
    cmbEncoding->setObjectName(QStringLiteral("cmbEncoding"));
    cmbEncoding->addItems({QStringLiteral("SHIFT-JIS"), QStringLiteral("UTF-7"), QStringLiteral("UTF-8"),
                           QStringLiteral("UTF-16 (LE)"), QStringLiteral("UTF-16 (BE)")});
    lblEncoding->setBuddy(cmbEncoding);
    lblBreakLine = new QLabel(QStringLiteral("改行コード"), grp1);
    cmbLineBreak = new TzkComboBox(grp1);
    cmbLineBreak->setObjectName(QStringLiteral("cmbLineBreak"));
    cmbLineBreak->addItems({QStringLiteral("CR+LF (Windows)"), QStringLiteral("LF (UNIX)")});
    lblBreakLine->setBuddy(cmbLineBreak);
    grid->addWidget(lblEncoding, 0, 0);
    grid->addWidget(cmbEncoding, 0, 1);
    grid->addWidget(lblBreakLine, 1, 0);
    grid->addWidget(cmbLineBreak, 1, 1);
    grid->setColumnStretch(2, 1);
    layout->addWidget(grp1);

    chkCSVHeader = new QCheckBox(QStringLiteral("列タイトルを出力する"), this);
    chkCSVHeader->setObjectName(QStringLiteral("chkCSVHeader"));
    layout->addWidget(chkCSVHeader);

    rdoQuotation = new QGroupBox(QStringLiteral("二重引用符 (\") で値を囲う条件"), this);
    rdoQuotation->setObjectName(QStringLiteral("rdoQuotation"));
    rdoQuotationGroup = new QButtonGroup(this);
    auto *quoteRow = new QHBoxLayout(rdoQuotation);
    const QStringList quoteItems = {QStringLiteral("すべて囲う"), QStringLiteral("文字列型のみ囲う"),
                                    QStringLiteral("必要なときのみ囲う")};
    for (int i = 0; i < quoteItems.size(); ++i) {
        auto *radio = new QRadioButton(quoteItems[i], rdoQuotation);
        rdoQuotationGroup->addButton(radio, i);
        quoteRow->addWidget(radio);
    }
    layout->addWidget(rdoQuotation);

    chkRefresh = new QCheckBox(QStringLiteral("最新のデータを読み直してから出力する"), this);
    chkRefresh->setObjectName(QStringLiteral("chkRefresh"));
    layout->addWidget(chkRefresh);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("開始"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    txtSaveFile->setText(zkOption.CSVDir);
    const int encoding = zkOption.Encoding;
    cmbEncoding->setCurrentIndex(encoding >= 0 && encoding <= 4 ? encoding : 0);
    cmbLineBreak->setCurrentIndex(zkOption.CSVLineBreak == 1 ? 1 : 0);
    const int quotation = zkOption.CSVQuotation;
    if (QAbstractButton *b = rdoQuotationGroup->button(quotation >= 0 && quotation <= 2 ? quotation : 0))
        b->setChecked(true);
    chkCSVHeader->setChecked(zkOption.CSVHeader);
    chkRefresh->setChecked(zkOption.CSVRefresh);

    connect(btnSaveFile, &QToolButton::clicked, this, &TfrmCSVSQL::btnSaveFileClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmCSVSQL::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmCSVSQL::btnCancelClick);
}

int TfrmCSVSQL::Quotation() const
{
    const int id = rdoQuotationGroup->checkedId();
    return id < 0 ? 0 : id;
}

void TfrmCSVSQL::btnSaveFileClick()
{
    QString text = txtSaveFile->text();
    while (text.endsWith(QLatin1Char('\\')) || text.endsWith(QLatin1Char('/')))
        text.chop(1);
    const QFileInfo given(MakeUniqueFileName(text));
    QFileDialog dialog(this, QStringLiteral("名前を付けて保存"));
    dialog.setObjectName(QStringLiteral("dlgCSVSave"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(FileDialogFilters(QStringLiteral("CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*")));
    if (QFileInfo(text).dir().exists())
        dialog.setDirectory(QFileInfo(text).absolutePath());
    dialog.selectFile(given.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString chosen = dialog.selectedFiles().constFirst();
    if (QFileInfo(chosen).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) != 0)
        chosen += QStringLiteral(".csv");
    txtSaveFile->setText(chosen);
}

void TfrmCSVSQL::btnOkClick()
{
    const QString fileName = txtSaveFile->text();
    const QFileInfo info(fileName);
    if (info.completeBaseName().trimmed().isEmpty() || fileName.endsWith(QLatin1Char('/'))) {
        ShowAppMessage(QStringLiteral("ファイル名を入力して下さい。"), MB_ICONERROR);
        txtSaveFile->setFocus();
        return;
    }
    if (!info.dir().exists()) {
        ShowAppMessage(QStringLiteral("指定されたフォルダは存在しないか、無効です。"), MB_ICONERROR);
        txtSaveFile->setFocus();
        return;
    }
    if (info.exists()
        && ShowAppMessage(fileName + QStringLiteral(" はすでに存在します。\r\n上書きしますか？"),
                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2)
               != IDYES)
        return;
    zkOption.CSVHeader = chkCSVHeader->isChecked();
    zkOption.CSVRefresh = chkRefresh->isChecked();
    zkOption.CSVQuotation = Quotation();
    zkOption.CSVLineBreak = cmbLineBreak->currentIndex();
    zkOption.Encoding = cmbEncoding->currentIndex();
    zkOption.CSVDir = QDir::toNativeSeparators(info.absolutePath()) + QDir::separator();
    accept();
}
