#include "mainwindow/fproject.h"

#include "connection/fobject.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "mainwindow/fproject_p.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <QVBoxLayout>

// --- The shared frame ----------------------------------------------------------------

TzkDatabaseCheckDialog::TzkDatabaseCheckDialog(TfrmObject *owner, const QString &caption, const QString &label,
                                               const QString &noneTickedMessage)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                         | Qt::WindowCloseButtonHint)
    , m_noneTicked(noneTickedMessage)
{
    setWindowTitle(caption);
    auto *layout = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    lblTitle = new QLabel(label, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    chkUserList = new QListWidget(this);
    chkUserList->setObjectName(QStringLiteral("chkUserList"));
    chkUserList->setMinimumSize(240, 260);
    lblTitle->setBuddy(chkUserList);
    left->addWidget(lblTitle);
    left->addWidget(chkUserList, 1);
    layout->addLayout(left, 1);

    m_buttons = new QVBoxLayout;
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_buttons->addSpacing(lblTitle->sizeHint().height());
    m_buttons->addWidget(btnOK);
    m_buttons->addWidget(btnCancel);
    m_buttons->addStretch(1);
    layout->addLayout(m_buttons);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QStringList names;
    owner->GetDatabase(names);
    // One height for every row, tall enough for Japanese names (the
    // fallback font is taller than the Latin one) and with a gap between
    // the check boxes.
    const QFontMetrics fm(chkUserList->font());
    const int indicator = chkUserList->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, chkUserList);
    const int rowHeight =
        std::max({fm.height(), fm.boundingRect(QStringLiteral("日本語データベース")).height(), indicator}) + 6;
    for (const QString &name : std::as_const(names)) {
        auto *item = new QListWidgetItem(name, chkUserList);
        item->setSizeHint(QSize(fm.boundingRect(name).width() + indicator + 12, rowHeight));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    if (chkUserList->count() > 0)
        chkUserList->setCurrentRow(0);
}

void TzkDatabaseCheckDialog::Tick(const QStringList &names)
{
    for (int i = 0; i < chkUserList->count(); ++i) {
        QListWidgetItem *item = chkUserList->item(i);
        if (names.contains(item->text(), Qt::CaseInsensitive))
            item->setCheckState(Qt::Checked);
    }
}

void TzkDatabaseCheckDialog::TickAll(bool ticked)
{
    // One update of the list for all lines.
    chkUserList->setUpdatesEnabled(false);
    for (int i = 0; i < chkUserList->count(); ++i)
        chkUserList->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    chkUserList->setUpdatesEnabled(true);
}

QStringList TzkDatabaseCheckDialog::Ticked() const
{
    QStringList names;
    for (int i = 0; i < chkUserList->count(); ++i)
        if (chkUserList->item(i)->checkState() == Qt::Checked)
            names << chkUserList->item(i)->text();
    return names;
}

void TzkDatabaseCheckDialog::AddButtons(const QList<QPushButton *> &buttons)
{
    int at = m_buttons->indexOf(btnCancel) + 1;
    for (QPushButton *button : buttons)
        m_buttons->insertWidget(at++, button);
}

bool TzkDatabaseCheckDialog::Execute()
{
    adjustSize();
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    return exec() == QDialog::Accepted;
}

void TzkDatabaseCheckDialog::btnOKClick()
{
    if (Ticked().isEmpty()) {
        ShowAppMessage(m_noneTicked, MB_ICONWARNING);
        chkUserList->setFocus();
        return;
    }
    accept();
}

// --- TfrmProject ----------------------------------------------------------------------

bool TfrmProject::ShowWindow(TfrmObject *AOwner, const QString &ProjectName)
{
    Q_UNUSED(ProjectName)
    TzkDatabaseCheckDialog dialog(AOwner, QStringLiteral("表示データベース設定"),
                                  QStringLiteral("表示するデータベース"),
                                  QStringLiteral("表示するデータベースを最低一つは選択して下さい。"));
    dialog.setObjectName(QStringLiteral("frmProject"));
    // The stored names that are still databases of the server; the others
    // are dropped by the next OK.
    dialog.Tick(AOwner->ConfiguredDatabases());
    if (!dialog.Execute())
        return false;

    QString text;
    for (const QString &name : dialog.Ticked())
        text += name + QStringLiteral("\r\n");
    TzkRegistry reg;
    if (reg.OpenKey(AOwner->TreeSettingsKey(), true))
        reg.WriteString(QStringLiteral("DataBase"), text);
    return true;
}
