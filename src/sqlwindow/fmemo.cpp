#include "sqlwindow/fmemo.h"

#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zkwindows.h"
#include "platform/fonts/fontmap.h"
#include "sqleditor/zkmemo.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\COMMENT");

} // namespace

TfrmMemo::TfrmMemo(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMemo"));
    setWindowTitle(QStringLiteral("文字列の編集"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(392, 266);

    auto *layout = new QVBoxLayout(this);
    // The editor keeps a 5-pixel border (pnlTop, pnlLeft, pnlRight).
    layout->setContentsMargins(5, 5, 5, 0);
    layout->setSpacing(0);
    txtComment = new TzkMemo(this);
    txtComment->setObjectName(QStringLiteral("txtComment"));
    TzkForm::ApplyControlSettings(txtComment);
    QFont font(FontMap::substitute(QStringLiteral("FixedSys")));
    font.setPixelSize(12);
    txtComment->setFont(font);
    txtComment->SetScrollBars(ssVertical);
    layout->addWidget(txtComment, 1);

    pnlButtom = new QWidget(this);
    pnlButtom->setObjectName(QStringLiteral("pnlButtom"));
    pnlButtom->setFixedHeight(38);
    layout->addWidget(pnlButtom);
    chkNull = new QCheckBox(QStringLiteral("NULL"), pnlButtom);
    chkNull->setObjectName(QStringLiteral("chkNull"));
    pnlButtons = new QWidget(pnlButtom);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    btnOk = new QPushButton(QStringLiteral("OK"), pnlButtons);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(false);
    btnOk->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), pnlButtons);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    connect(btnOk, &QPushButton::clicked, this, [this] { done(1); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(2); });
    connect(txtComment, &TEditor::OnChange, this, &TfrmMemo::txtCommentChange);
}

TfrmMemo::~TfrmMemo() = default;

void TfrmMemo::txtCommentChange()
{
    // A typed value is a value: NULL only when the box is ticked again.
    chkNull->setChecked(false);
}

void TfrmMemo::PlaceButtons()
{
    const int w = pnlButtom->width();
    const int h = pnlButtom->height();
    const int bw = 75;
    const int bh = 25;
    const int top = (h - bh) / 2;
    pnlButtons->setGeometry(0, 0, w, h);
    if (m_centred) {
        btnOk->setGeometry(w / 2 - 1 - bw, top, bw, bh);
        btnCancel->setGeometry(w / 2 + 1, top, bw, bh);
    } else {
        chkNull->setGeometry(8, top, qMax(60, chkNull->sizeHint().width()), bh);
        btnCancel->setGeometry(w - 5 - bw, top, bw, bh);
        btnOk->setGeometry(w - 5 - 2 * bw - 2, top, bw, bh);
    }
    chkNull->raise();
}

void TfrmMemo::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    PlaceButtons();
}

void TfrmMemo::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    PlaceButtons();
    // The caret goes to the end of the text.
    txtComment->SetSelStart(txtComment->GetTextLen());
    txtComment->setFocus();
}

void TfrmMemo::LoadLayout()
{
    TzkRegistry reg;
    int top = -1;
    int left = -1;
    if (reg.KeyExists(kLayoutKey) && reg.OpenKey(kLayoutKey, false)) {
        left = reg.GetInteger(QStringLiteral("Left"), -1);
        top = reg.GetInteger(QStringLiteral("Top"), -1);
        resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
    }
    PlaceForm(this, top, left);
}

void TfrmMemo::SaveLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    reg.WriteInteger(QStringLiteral("Left"), x());
    reg.WriteInteger(QStringLiteral("Top"), y());
    if (windowState() == Qt::WindowNoState) {
        reg.WriteInteger(QStringLiteral("Width"), width());
        reg.WriteInteger(QStringLiteral("Height"), height());
    }
}

int TfrmMemo::ShowWindow(QString &AComment, bool &NullChecked, bool ShowNull, bool ReadOnly)
{
    QWidget *owner = zkMainForm ? zkMainForm->Window() : nullptr;
    TfrmMemo dialog(owner);
    dialog.btnOk->setEnabled(!ReadOnly);
    if (zkMainForm && zkMainForm->imgMain())
        dialog.setWindowIcon(zkMainForm->imgMain()->Icon(93));
    dialog.LoadLayout();
    dialog.txtComment->WMSetText(AComment);
    dialog.chkNull->setChecked(NullChecked);
    dialog.chkNull->setVisible(ShowNull);
    dialog.m_centred = !ShowNull;
    const int result = dialog.exec();
    if (result == 1) {
        AComment = dialog.txtComment->WMGetText();
        NullChecked = dialog.chkNull->isChecked();
    }
    dialog.SaveLayout();
    return result;
}
