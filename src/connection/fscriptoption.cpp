#include "connection/fscriptoption.h"

#include "connection/fnametable.h"
#include "connection/fobject.h"
#include "connection/fobject_script.h"
#include "core/dsqlserver.h"
#include "core/zkoption.h"
#include "core/zkwindows.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "platform/db/db.h"
#include "platform/rtl/exceptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kHelpContext = 20300;

// A combo that tells when its list is about to drop down, so that it can be
// filled then.
class TDropDownComboBox : public QComboBox
{
public:
    using QComboBox::QComboBox;
    std::function<void()> OnDropDown;

protected:
    void showPopup() override
    {
        if (OnDropDown)
            OnDropDown();
        QComboBox::showPopup();
    }
};

QGroupBox *radioGroup(QWidget *parent, const char *name, const QString &caption, const QStringList &items, int columns,
                      QButtonGroup *&buttons)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    buttons = new QButtonGroup(box);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto *radio = new QRadioButton(items.at(i), box);
        radio->setObjectName(QLatin1String(name) + QString::number(i));
        buttons->addButton(radio, i);
        grid->addWidget(radio, i / columns, i % columns);
    }
    return box;
}

QCheckBox *check(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

void setChoice(QButtonGroup *group, int index)
{
    if (QAbstractButton *b = group->button(index))
        b->setChecked(true);
}

} // namespace

TfrmScriptOption::TfrmScriptOption(QWidget *parent, TfrmObject *owner)
    : QDialog(parent)
    , FOwner(owner)
{
    setObjectName(QStringLiteral("frmScriptOption"));
    setWindowFlags((windowFlags() | Qt::WindowStaysOnTopHint) & ~Qt::WindowContextHelpButtonHint);
    CreateControls();
}

TfrmScriptOption::~TfrmScriptOption() = default;

void TfrmScriptOption::CreateControls()
{
    auto *layout = new QVBoxLayout(this);

    grpFile = new QGroupBox(QStringLiteral(" 出力先 "), this);
    grpFile->setObjectName(QStringLiteral("grpFile"));
    auto *file = new QGridLayout(grpFile);
    chkOneScript = check(grpFile, "chkOneScript", QStringLiteral("同時に出力するスクリプトを一つにまとめる"));
    chkDir = check(grpFile, "chkDir", QStringLiteral("タイプに応じたサブフォルダを作成する"));
    lblNameTable = new QLabel(QStringLiteral("名前TBL"), grpFile);
    lblNameTable->setObjectName(QStringLiteral("lblNameTable"));
    auto *names = new TDropDownComboBox(grpFile);
    names->OnDropDown = [this] { cmbNameTableDropDown(); };
    cmbNameTable = names;
    cmbNameTable->setObjectName(QStringLiteral("cmbNameTable"));
    cmbNameTable->setEditable(true);
    cmbNameTable->setInsertPolicy(QComboBox::NoInsert);
    btnNameTable = new QPushButton(QStringLiteral("設定"), grpFile);
    btnNameTable->setObjectName(QStringLiteral("btnNameTable"));
    lblDir = new QLabel(QStringLiteral("出力先"), grpFile);
    lblDir->setObjectName(QStringLiteral("lblDir"));
    txtDir = new QLineEdit(grpFile);
    txtDir->setObjectName(QStringLiteral("txtDir"));
    btnDialog = new QToolButton(grpFile);
    btnDialog->setObjectName(QStringLiteral("btnDialog"));
    btnDialog->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    chkSameName = check(grpFile, "chkSameName", QStringLiteral("すでに同じファイルが存在する場合は上書きする"));
    file->addWidget(chkOneScript, 0, 0, 1, 4);
    file->addWidget(chkDir, 1, 0, 1, 4);
    file->addWidget(lblNameTable, 2, 0);
    file->addWidget(cmbNameTable, 2, 1, 1, 2);
    file->addWidget(btnNameTable, 2, 3);
    file->addWidget(lblDir, 3, 0);
    file->addWidget(txtDir, 3, 1, 1, 2);
    file->addWidget(btnDialog, 3, 3);
    file->addWidget(chkSameName, 4, 0, 1, 4);
    file->setColumnStretch(1, 1);
    layout->addWidget(grpFile);

    const QStringList scopes = {
        QStringLiteral("常に出力する"), QStringLiteral("ログインデータベースと違うデータベースの場合に出力する"),
        QStringLiteral("オブジェクト所有者と違うデータベースの場合に出力する"), QStringLiteral("出力しない")};
    rdoDatabase = radioGroup(this, "rdoDatabase", QStringLiteral("データベース名の出力"), scopes, 1, m_database);
    rdoOwner =
        radioGroup(this, "rdoOwner", QStringLiteral(" スキーマ名の出力 "),
                   {QStringLiteral("常に出力する"), QStringLiteral("ログインユーザーと違うスキーマの場合に出力する"),
                    QStringLiteral("オブジェクト所有者と違うスキーマの場合に出力する"), QStringLiteral("出力しない")},
                   1, m_owner);
    auto *scopesRow = new QHBoxLayout;
    scopesRow->addWidget(rdoDatabase);
    scopesRow->addWidget(rdoOwner);
    layout->addLayout(scopesRow);

    const QStringList targets = {QStringLiteral("自身のスクリプトに追加"), QStringLiteral("別フォルダに出力"),
                                 QStringLiteral("別ファイルに出力")};
    chkIndex = check(this, "chkIndex", QStringLiteral("テーブルスクリプトに従属インデックスも追加する"));
    chkInsert = check(this, "chkInsert", QStringLiteral("テーブルスクリプト出力時、データも出力(INSERT文)"));
    rdoInsert = radioGroup(this, "rdoInsert", QString(), targets, 3, m_insert);
    chkFilegroup = check(this, "chkFilegroup", QStringLiteral("ファイルグループの出力"));
    chkListViewCol = check(this, "chkListViewCol", QStringLiteral("ビューのスクリプト出力時、項目名を出力する"));
    chkGrant = check(this, "chkGrant", QStringLiteral("オブジェクト権限を出力する"));
    rdoGrant = radioGroup(this, "rdoGrant", QString(), targets, 3, m_grant);
    chkDrop = check(this, "chkDrop", QStringLiteral("DROP文を出力する"));
    chkNullLine = check(this, "chkNullLine", QStringLiteral("空白行を出力しない"));
    chkMaskOutput =
        check(this, "chkMaskOutput", QStringLiteral("テーブルスクリプト出力時、動的データマスク設定情報を出力する"));
    for (QWidget *w : std::initializer_list<QWidget *>{chkIndex, chkInsert, rdoInsert, chkFilegroup, chkListViewCol,
                                                       chkGrant, rdoGrant, chkDrop, chkNullLine, chkMaskOutput})
        layout->addWidget(w);

    btnOk = new QPushButton(QStringLiteral("開始"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnHelp = new QPushButton(QStringLiteral("ヘルプ"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);
    layout->addLayout(buttons);

    connect(chkOneScript, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            chkDir->setChecked(false);
        UpdateEnabling();
    });
    for (QCheckBox *box : {chkInsert, chkGrant})
        connect(box, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    connect(cmbNameTable, &QComboBox::editTextChanged, this, [this] { UpdateEnabling(); });
    connect(btnNameTable, &QPushButton::clicked, this, [this] { btnNameTableClick(); });
    connect(btnDialog, &QToolButton::clicked, this, [this] { btnDialogClick(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [this] {
        if (HelpHook)
            HelpHook(this, kHelpContext);
    });
}

QString TfrmScriptOption::ServerName() const
{
    return FOwner ? FOwner->g_Server : QString();
}

void TfrmScriptOption::LoadControls()
{
    const TScriptOption &o = ScriptOption;
    chkOneScript->setChecked(o.OneScript);
    chkDir->setChecked(o.Dir && !o.OneScript);
    txtDir->setText(o.Path);
    chkSameName->setChecked(o.SameName);
    setChoice(m_database, o.Database);
    setChoice(m_owner, o.Owner);
    chkIndex->setChecked(o.Index);
    chkInsert->setChecked(o.Insert);
    setChoice(m_insert, o.InsertMode);
    chkFilegroup->setChecked(o.Filegroup);
    chkListViewCol->setChecked(o.ViewCol);
    chkGrant->setChecked(o.Grant);
    setChoice(m_grant, o.GrantMode);
    chkDrop->setChecked(o.Drop);
    chkNullLine->setChecked(o.NullLine);
    chkMaskOutput->setChecked(o.MaskOutput);
    if (FOwner) {
        cmbNameTable->setEditText(NameTableLine(ServerName()));
        if (FOwner->IsAzure) {
            rdoDatabase->setEnabled(false);
            chkFilegroup->setEnabled(false);
        }
    }
    UpdateEnabling();
}

void TfrmScriptOption::UpdateEnabling()
{
    const bool oneScript = chkOneScript->isChecked();
    chkDir->setEnabled(!oneScript);
    cmbNameTable->setEnabled(!oneScript && FOwner);
    lblNameTable->setEnabled(FOwner);
    rdoInsert->setEnabled(chkInsert->isChecked());
    rdoGrant->setEnabled(chkGrant->isChecked());
    btnNameTable->setEnabled(FOwner && !cmbNameTable->currentText().isEmpty());
}

QString TfrmScriptOption::FolderPath(const QString &path)
{
    QString folder = path.trimmed();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void TfrmScriptOption::SaveControls()
{
    if (!chkOneScript->isChecked())
        txtDir->setText(FolderPath(txtDir->text()));
    TScriptOption &o = ScriptOption;
    o.OneScript = chkOneScript->isChecked();
    o.Dir = chkDir->isChecked();
    o.Path = txtDir->text();
    o.SameName = chkSameName->isChecked();
    o.Database = m_database->checkedId() < 0 ? o.Database : m_database->checkedId();
    o.Owner = m_owner->checkedId() < 0 ? o.Owner : m_owner->checkedId();
    o.Index = chkIndex->isChecked();
    o.Insert = chkInsert->isChecked();
    o.InsertMode = m_insert->checkedId() < 0 ? o.InsertMode : m_insert->checkedId();
    o.Filegroup = chkFilegroup->isChecked();
    o.ViewCol = chkListViewCol->isChecked();
    o.Grant = chkGrant->isChecked();
    o.GrantMode = m_grant->checkedId() < 0 ? o.GrantMode : m_grant->checkedId();
    o.Drop = chkDrop->isChecked();
    o.NullLine = chkNullLine->isChecked();
    o.MaskOutput = chkMaskOutput->isChecked();
    if (FOwner)
        SetNameTableLine(ServerName(), cmbNameTable->currentText());
}

void TfrmScriptOption::cmbNameTableDropDown()
{
    if (!FOwner)
        return;
    QStringList tables;
    FOwner->GetObject(tables, FOwner->dmSQLServer->DataBase(), FOwner->GetCurrentSchema(), QStringLiteral("TABLE"));
    const QString text = cmbNameTable->currentText();
    cmbNameTable->clear();
    cmbNameTable->addItems(tables);
    cmbNameTable->setEditText(text);
}

void TfrmScriptOption::btnNameTableClick()
{
    if (!FOwner)
        return;
    SetNameTableLine(ServerName(), cmbNameTable->currentText());
    if (ShowNameTable)
        ShowNameTable(FOwner);
    else
        TfrmNameTable::ShowWindow(FOwner);
    cmbNameTable->setEditText(NameTableLine(ServerName()));
}

void TfrmScriptOption::btnDialogClick()
{
    if (chkOneScript->isChecked()) {
        QString path = txtDir->text();
        if (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        const QStringList filters =
            FileDialogFilters(QStringLiteral("SQLファイル(*.sql)|*.sql|すべてのファイル(*.*)|*.*"));
        QFileDialog dialog(this, QStringLiteral("出力先の設定"));
        dialog.setObjectName(QStringLiteral("dlgScriptSave"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setNameFilters(filters);
        if (!path.isEmpty()) {
            const QFileInfo info(path);
            if (info.dir().exists())
                dialog.setDirectory(info.absolutePath());
            dialog.selectFile(QFileInfo(MakeUniqueFileName(path)).fileName());
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        QString chosen = dialog.selectedFiles().constFirst();
        if (!HasKnownFileExt(chosen))
            chosen += QStringLiteral(".sql");
        txtDir->setText(chosen);
        return;
    }
    QFileDialog dialog(this, QStringLiteral("出力先を選択して下さい。"));
    dialog.setObjectName(QStringLiteral("dlgScriptFolder"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!txtDir->text().trimmed().isEmpty() && QDir(txtDir->text().trimmed()).exists())
        dialog.setDirectory(txtDir->text().trimmed());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (!chosen.isEmpty())
        txtDir->setText(FolderPath(chosen));
}

void TfrmScriptOption::btnOkClick()
{
    // An empty target would put the files at the root of the file system.
    if (FOwner && txtDir->text().trimmed().isEmpty()) {
        ShowAppMessage(QStringLiteral("出力先を入力して下さい。"), MB_ICONWARNING);
        txtDir->setFocus();
        return;
    }
    const QString table = cmbNameTable->currentText().trimmed();
    if (FOwner && cmbNameTable->isEnabled() && !table.isEmpty()) {
        try {
            // The table as typed, qualified as the run will use it.
            const QString qualified =
                QualifiedNameTable(table, FOwner->dmSQLServer->DataBase(), FOwner->GetCurrentSchema());
            FOwner
                ->OpenSQL(QStringLiteral("SELECT DATABASE_NAME, OWNER, OBJECT_NAME, OBJECT_TYPE, SCRIPT_NAME FROM ")
                          + qualified)
                ->Close();
        } catch (const EAbort &) {
            throw;
        } catch (const std::exception &e) {
            ShowAppMessage(QStringLiteral("名前TBL名が無効です。\r\n") + QString::fromUtf8(e.what()), MB_ICONWARNING);
            cmbNameTable->setFocus();
            return;
        }
    }
    accept();
}

bool TfrmScriptOption::ShowWindow(TfrmObject *AOwner, QString &ScriptPath, QString &NameTable)
{
    TfrmScriptOption form(AOwner, AOwner);
    form.setWindowTitle(QStringLiteral("スクリプト出力"));
    form.btnOk->setText(QStringLiteral("開始"));
    form.LoadControls();
    form.chkMaskOutput->setVisible(AOwner->DBVer >= 13 && !AOwner->IsAzure);
    if (form.exec() != QDialog::Accepted)
        return false;
    form.SaveControls();
    ScriptPath = form.txtDir->text();
    NameTable = form.cmbNameTable->isEnabled() ? form.cmbNameTable->currentText().trimmed() : QString();
    return true;
}

bool TfrmScriptOption::ShowWindow()
{
    TfrmScriptOption form(zkMainForm ? zkMainForm->Window() : nullptr, nullptr);
    form.setWindowTitle(QStringLiteral("スクリプト出力オプション"));
    form.btnOk->setText(QStringLiteral("OK"));
    form.LoadControls();
    form.lblNameTable->setEnabled(false);
    form.cmbNameTable->setEnabled(false);
    form.btnNameTable->setEnabled(false);
    if (form.exec() != QDialog::Accepted)
        return false;
    form.SaveControls();
    return true;
}
