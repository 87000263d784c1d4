#include "sqlwindow/ffldlist.h"

#include "sqlwindow/pickers_p.h"

#include "connection/fobject.h"
#include "connection/fobject_sql.h"
#include "controls/zkstdctl.h"
#include "core/dsqlserver.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_text.h"
#include "core/zkwindows.h"
#include "platform/db/db.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\FIELDLIST");
constexpr int kDesignWidth = 352;
constexpr int kDesignHeight = 382;
constexpr int kTopHeight = 20;
constexpr int kBottomHeight = 36;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 26;

QToolButton *imageButton(QWidget *parent, const QString &name, const QString &hint, int image)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFixedSize(24, 24);
    if (const TzkImageList *images = pickers::MainImages(); images && images->HasImage(image))
        button->setIcon(images->Icon(image));
    else
        button->setText(hint.left(1)); // without the image the button still says what it does
    return button;
}

QToolButton *speedButton(QWidget *parent, const QString &name, const QString &caption, int image)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->resize(kButtonWidth, kButtonHeight);
    if (const TzkImageList *images = pickers::MainImages(); images && images->HasImage(image))
        button->setIcon(images->Icon(image));
    return button;
}

// Appends the items of `from` (only the selected ones when `selectedOnly`)
// to the end of `to`, in their order, and takes them out of `from`.
void moveItems(QListWidget *from, QListWidget *to, bool selectedOnly)
{
    QStringList moved;
    for (int i = from->count() - 1; i >= 0; --i) {
        if (selectedOnly && !from->item(i)->isSelected())
            continue;
        moved.prepend(from->item(i)->text());
        delete from->takeItem(i);
    }
    to->addItems(moved);
}

} // namespace

QString FieldListSQL(int DBVer, const QString &DataBase)
{
    return UseText(DataBase) + QStringLiteral("select b.name ") + QStringLiteral("from dbo.sysobjects as a ")
           + QStringLiteral("inner join syscolumns b on a.id = b.id ") + QStringLiteral("where ")
           + (DBVer >= 9 ? QStringLiteral("schema_name(a.uid)") : QStringLiteral("user_name(a.uid)"))
           + QStringLiteral(" = :OWNER collate database_default ") + QStringLiteral("  and a.name = :NAME ")
           + QStringLiteral("  and a.xtype in (N'U',N'S',N'V')") + QStringLiteral("order by b.colorder");
}

TfrmFieldList::TfrmFieldList(TfrmObject *AOwner)
    : QDialog(AOwner)
    , m_owner(AOwner)
{
    setObjectName(QStringLiteral("frmFieldList"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    QFont f = font();
    f.setFamily(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(13);
    setFont(f);
    if (const TzkImageList *images = pickers::MainImages(); images && images->HasImage(12))
        setWindowIcon(images->Icon(12));

    pnlTop = new QWidget(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFixedHeight(kTopHeight);
    lblSelect = new QLabel(QStringLiteral("表示する項目"), pnlTop);
    lblSelect->setObjectName(QStringLiteral("lblSelect"));
    lblAll = new QLabel(QStringLiteral("選択可能な項目"), pnlTop);
    lblAll->setObjectName(QStringLiteral("lblAll"));

    pnlSelect = new QWidget(this);
    pnlSelect->setObjectName(QStringLiteral("pnlSelect"));
    lstSelect = new TzkListBox(pnlSelect);
    lstSelect->setObjectName(QStringLiteral("lstSelect"));
    lstSelect->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstAll = new TzkListBox(pnlSelect);
    lstAll->setObjectName(QStringLiteral("lstAll"));
    lstAll->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tolInsDel = new QToolBar(pnlSelect);
    tolInsDel->setObjectName(QStringLiteral("tolInsDel"));
    tolInsDel->setOrientation(Qt::Vertical);
    btnInsAll = imageButton(tolInsDel, QStringLiteral("btnInsAll"), QStringLiteral("全て追加"), 31);
    btnIns = imageButton(tolInsDel, QStringLiteral("btnIns"), QStringLiteral("追加"), 32);
    btnDel = imageButton(tolInsDel, QStringLiteral("btnDel"), QStringLiteral("削除"), 33);
    btnDelAll = imageButton(tolInsDel, QStringLiteral("btnDelAll"), QStringLiteral("全て削除"), 34);
    for (QToolButton *b : {btnInsAll, btnIns, btnDel, btnDelAll})
        tolInsDel->addWidget(b);
    tolInsDel->adjustSize();

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFixedHeight(kBottomHeight);
    btnSelect = speedButton(pnlBottom, QStringLiteral("btnSelect"), QStringLiteral("選択(&S)"), 28);
    btnExit = speedButton(pnlBottom, QStringLiteral("btnExit"), QStringLiteral("閉じる(&X)"), 42);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlTop);
    layout->addWidget(pnlSelect, 1);
    layout->addWidget(pnlBottom);

    qryField = new TFDQuery(this);
    qryField->setObjectName(QStringLiteral("qryField"));

    connect(btnSelect, &QToolButton::clicked, this, [this] { btnSelectClick(); });
    connect(btnExit, &QToolButton::clicked, this, [this] { btnExitClick(); });
    connect(btnIns, &QToolButton::clicked, this, [this] { btnInsClick(); });
    connect(btnDel, &QToolButton::clicked, this, [this] { btnDelClick(); });
    connect(btnInsAll, &QToolButton::clicked, this, [this] { btnInsAllClick(); });
    connect(btnDelAll, &QToolButton::clicked, this, [this] { btnDelAllClick(); });
    connect(lstAll, &QListWidget::itemDoubleClicked, this, [this] { btnInsClick(); });
    connect(lstSelect, &QListWidget::itemDoubleClicked, this, [this] { btnDelClick(); });
    lstAll->installEventFilter(this);
    lstSelect->installEventFilter(this);
    pnlSelect->installEventFilter(this);
    pnlBottom->installEventFilter(this);

    resize(kDesignWidth, kDesignHeight);
}

TfrmFieldList::~TfrmFieldList() = default;

void TfrmFieldList::ShowWindow(TfrmObject *AOwner, const QString &DataBase, const QString &Schema,
                               const QString &TableName, QStringList &FieldList)
{
    auto form = std::make_unique<TfrmFieldList>(AOwner);
    const QString server = AOwner && AOwner->dmSQLServer ? AOwner->dmSQLServer->Server() : QString();
    form->setWindowTitle(QStringLiteral("項目一覧 - ") + Schema + QLatin1Char('.') + TableName + QStringLiteral(" @ ")
                         + server + QLatin1Char('.') + DataBase);
    if (AOwner) {
        // The caller's client-area origin, moved right by a caption height.
        const QPoint origin = AOwner->mapToGlobal(QPoint(0, 0));
        const int caption = AOwner->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, AOwner);
        PlaceForm(form.get(), origin.y(), origin.x() + caption);
    }
    form->LoadFields(DataBase, Schema, TableName, FieldList);
    form->LoadLayout();
    const bool ok = form->exec() == QDialog::Accepted;
    if (ok && form->lstSelect->count() > 0)
        FieldList = form->SelectedFields();
    form->SaveLayout();
}

void TfrmFieldList::LoadFields(const QString &DataBase, const QString &Schema, const QString &TableName,
                               const QStringList &FieldList)
{
    lstAll->clear();
    lstSelect->clear();
    if (m_owner && m_owner->dmSQLServer)
        qryField->SetConnection(m_owner->dmSQLServer->Connection);
    qryField->Close();
    qryField->SetSQL(FieldListSQL(m_owner ? m_owner->DBVer : 99, DataBase));
    qryField->ParamByName(QStringLiteral("OWNER")).SetAsWideString(Schema);
    qryField->ParamByName(QStringLiteral("NAME")).SetAsWideString(TableName);
    qryField->Open();
    QStringList chosen, available;
    for (qryField->First(); !qryField->Eof(); qryField->Next()) {
        const QString name = qryField->Fields(0)->AsString();
        if (FieldList.contains(name) || FieldList.contains(QuoteNameDouble(name)))
            chosen << name;
        else
            available << name;
    }
    qryField->Close();
    // Every column chosen is the same as none: the list starts over.
    if (available.isEmpty()) {
        available = chosen;
        chosen.clear();
    }
    lstSelect->addItems(chosen);
    lstAll->addItems(available);
}

QStringList TfrmFieldList::SelectedFields() const
{
    QStringList names;
    for (int i = 0; i < lstSelect->count(); ++i)
        names << lstSelect->item(i)->text();
    return names;
}

void TfrmFieldList::btnSelectClick()
{
    done(QDialog::Accepted);
}

void TfrmFieldList::btnExitClick()
{
    done(QDialog::Rejected);
}

void TfrmFieldList::btnInsClick()
{
    moveItems(lstAll, lstSelect, true);
}

void TfrmFieldList::btnDelClick()
{
    moveItems(lstSelect, lstAll, true);
}

void TfrmFieldList::btnInsAllClick()
{
    moveItems(lstAll, lstSelect, false);
}

void TfrmFieldList::btnDelAllClick()
{
    moveItems(lstSelect, lstAll, false);
}

bool TfrmFieldList::lstAllKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    btnInsClick();
    return true;
}

bool TfrmFieldList::lstSelectKeyDown(int key)
{
    if (key != Qt::Key_Delete)
        return false;
    btnDelClick();
    return true;
}

bool TfrmFieldList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == lstAll && lstAllKeyDown(key))
            return true;
        if (watched == lstSelect && lstSelectKeyDown(key))
            return true;
    } else if (event->type() == QEvent::Resize) {
        if (watched == pnlSelect)
            pnlSelectResize();
        else if (watched == pnlBottom)
            pnlBottomResize();
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmFieldList::pnlSelectResize()
{
    const int w = pnlSelect->width();
    const int h = pnlSelect->height();
    const int listWidth = std::max(0, (w - 40) / 2);
    lstSelect->setGeometry(0, 0, listWidth, h);
    lstAll->setGeometry(w - listWidth, 0, listWidth, h);
    tolInsDel->move(w / 2 - 12, h / 2 - 48);
    // The headings stand over their lists.
    const int offset = pnlSelect->x() - pnlTop->x();
    lblSelect->setGeometry(offset, 0, listWidth, kTopHeight);
    lblAll->setGeometry(offset + lstAll->x() + 4, 0, listWidth, kTopHeight);
}

void TfrmFieldList::pnlBottomResize()
{
    const int w = pnlBottom->width();
    const int top = (pnlBottom->height() - kButtonHeight) / 2;
    btnExit->setGeometry(w / 2 + 2, top, kButtonWidth, kButtonHeight);
    btnSelect->setGeometry(btnExit->x() - 4 - kButtonWidth, top, kButtonWidth, kButtonHeight);
}

void TfrmFieldList::LoadLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKeyReadOnly(kLayoutKey))
        return;
    // A dialog that opened minimised could not be answered.
    if (reg.GetInteger(QStringLiteral("WindowState"), 0) == 2) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
}

void TfrmFieldList::SaveLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    const int state = pickers::StoredWindowState(this);
    reg.WriteInteger(QStringLiteral("WindowState"), state);
    if (state == 0) {
        reg.WriteInteger(QStringLiteral("Width"), width());
        reg.WriteInteger(QStringLiteral("Height"), height());
    }
}
