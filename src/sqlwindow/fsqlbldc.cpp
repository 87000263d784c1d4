#include "sqlwindow/fsqlbldc.h"

#include "controls/fprint.h" // PrintHelpHook: the help layer's entry
#include "controls/zkstdctl.h"
#include "core/zkwindows.h"
#include "sqlwindow/zksqlbld.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int kHelpContext = 51100;

// The from- or to-table's columns without "*"; the join's column selected
// (exact name), none when it is not listed.
void fillColumns(QGroupBox *group, TzkComboBox *combo, const TzkSQLBuildTable *box, const QString &column)
{
    group->setTitle(QStringLiteral(" ") + box->TableName() + QStringLiteral(" の列選択 "));
    combo->clear();
    int selected = -1;
    const TListBoxEx *list = box->ItemList();
    for (int i = 0; i < list->count(); ++i) {
        const QString name = list->item(i)->text();
        if (name == QStringLiteral("*"))
            continue;
        if (selected < 0 && name == column)
            selected = combo->count();
        combo->addItem(name);
    }
    combo->setCurrentIndex(selected);
}

} // namespace

TfrmSQLBldConnect::TfrmSQLBldConnect(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSQLBldConnect"));
    setWindowTitle(QStringLiteral("結合"));
    setProperty("HelpContext", kHelpContext);
    setFixedSize(532, 193);

    const auto columnGroup = [this](const char *name, const char *comboName, TzkComboBox *&combo) {
        auto *group = new QGroupBox(this);
        group->setObjectName(QString::fromLatin1(name));
        combo = new TzkComboBox(group);
        combo->setObjectName(QString::fromLatin1(comboName));
        combo->SetEditable(false);
        combo->setMaxVisibleItems(20);
        auto *layout = new QVBoxLayout(group);
        layout->addWidget(combo);
        layout->addStretch();
        return group;
    };
    grpTable1 = columnGroup("grpTable1", "cmbColumn1", cmbColumn1);
    grpTable2 = columnGroup("grpTable2", "cmbColumn2", cmbColumn2);

    // In the order of the comparisons, ctEQ to ctNE.
    rdoConnectType = new QGroupBox(QStringLiteral(" 結合条件 "), this);
    rdoConnectType->setObjectName(QStringLiteral("rdoConnectType"));
    m_connectTypes = new QButtonGroup(rdoConnectType);
    auto *typeLayout = new QVBoxLayout(rdoConnectType);
    typeLayout->setSpacing(0);
    const QStringList types = {QStringLiteral("＝"), QStringLiteral("＞"), QStringLiteral(">="),
                               QStringLiteral("＜"), QStringLiteral("<="), QStringLiteral("!=")};
    for (int i = 0; i < types.size(); ++i) {
        auto *button = new QRadioButton(types[i], rdoConnectType);
        m_connectTypes->addButton(button, i);
        typeLayout->addWidget(button);
    }

    const auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    btnOk = button("btnOk", QStringLiteral("OK"));
    btnOk->setDefault(true);
    btnDelete = button("btnDelete", QStringLiteral("削除"));
    btnCancel = button("btnCancel", QStringLiteral("キャンセル"));
    btnHelp = button("btnHelp", QStringLiteral("ヘルプ"));
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });

    auto *top = new QHBoxLayout;
    top->addWidget(grpTable1, 1);
    top->addWidget(rdoConnectType);
    top->addWidget(grpTable2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {btnOk, btnDelete, btnCancel, btnHelp})
        buttons->addWidget(b);
    auto *root = new QVBoxLayout(this);
    root->addLayout(top, 1);
    root->addLayout(buttons);
}

void TfrmSQLBldConnect::SetConnect(TzkSQLBuildConnect *AConnect)
{
    FConnect = AConnect;
    if (!FConnect)
        return;
    fillColumns(grpTable1, cmbColumn1, FConnect->FromTable(), FConnect->FromColumn());
    fillColumns(grpTable2, cmbColumn2, FConnect->ToTable(), FConnect->ToColumn());
    if (QAbstractButton *b = m_connectTypes->button(FConnect->ConnectType()))
        b->setChecked(true);
}

int TfrmSQLBldConnect::ConnectTypeIndex() const
{
    return m_connectTypes->checkedId();
}

void TfrmSQLBldConnect::StoreConnect()
{
    if (!FConnect)
        return;
    FConnect->SetFromColumn(cmbColumn1->Text());
    FConnect->SetToColumn(cmbColumn2->Text());
    const int type = ConnectTypeIndex();
    if (type >= ctEQ && type <= ctNE)
        FConnect->SetConnectType(TzkSQLBuildConnectType(type));
    // The dialog offers no outer join.
    FConnect->SetJoinType(jtInner);
}

void TfrmSQLBldConnect::btnDeleteClick()
{
    delete FConnect;
    FConnect = nullptr;
    accept();
}

void TfrmSQLBldConnect::btnHelpClick()
{
    if (PrintHelpHook)
        PrintHelpHook(this, kHelpContext);
}

bool TfrmSQLBldConnect::ShowWindow(TzkSQLBuildConnect *AConnect)
{
    QWidget *owner = zkMainForm ? zkMainForm->Window() : nullptr;
    auto form = std::make_unique<TfrmSQLBldConnect>(owner);
    form->SetConnect(AConnect);
    if (owner) {
        QRect r = form->frameGeometry();
        r.moveCenter(owner->frameGeometry().center());
        form->move(r.topLeft());
    }
    const bool ok = form->exec() == QDialog::Accepted;
    if (ok)
        form->StoreConnect();
    return ok;
}
