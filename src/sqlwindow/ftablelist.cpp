#include "sqlwindow/ftablelist.h"
#include "core/zkwaitcursor.h"

#include "sqlwindow/pickers_p.h"

#include "connection/fobject.h"
#include "connection/fobject_sql.h"
#include "controls/zkstdctl.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_objtype.h"
#include "core/zksub_text.h"
#include "core/zkwindows.h"
#include "platform/db/db.h"
#include "platform/graphics/colors.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScopeGuard>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\TABLELIST");
constexpr int kDesignWidth = 291;
constexpr int kDesignHeight = 404;
constexpr int kKindRole = Qt::UserRole;

// Names in the order the user reads them: by the locale, capitals and small
// letters alike (a code-point order would put every capital first).
QCollator nameCollator()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::Japanese, QLocale::Japan);
    QCollator collator{locale};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

void sortNames(QStringList &names)
{
    const QCollator collator = nameCollator();
    std::stable_sort(names.begin(), names.end(),
                     [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}

// A row of the list: the kind's image at the left, the name beside it.
class TTableItemDelegate : public QStyledItemDelegate
{
public:
    TTableItemDelegate(int rowHeight, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_rowHeight(rowHeight)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QRect r = option.rect;
        painter->save();
        painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
        if (const TzkImageList *images = pickers::MainImages()) {
            const int kind = index.data(kKindRole).toInt();
            if (images->HasImage(kind))
                images->Icon(kind).paint(painter, QRect(r.left() + 2, r.top(), 16, 16));
        }
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(QRect(r.left() + 20, r.top() + 2, std::max(0, r.width() - 20), r.height() - 2),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.initFrom(option.widget);
            focus.rect = r;
            focus.backgroundColor = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
            option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
        }
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width() + 20, m_rowHeight);
    }

private:
    int m_rowHeight;
};

QToolButton *toolButton(QToolBar *bar, const QString &name, const QString &caption, const QString &hint, int image)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    const TzkImageList *images = pickers::MainImages();
    const bool hasImage = images && images->HasImage(image);
    if (hasImage)
        button->setIcon(images->Icon(image));
    if (!caption.isEmpty() || !hasImage) {
        button->setText(caption.isEmpty() ? hint : caption);
        button->setToolButtonStyle(hasImage ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonTextOnly);
    }
    bar->addWidget(button);
    return button;
}

// Shows or hides a widget of a tool bar (through its action: the bar
// overrides the widget's own visibility).
void setToolWidgetVisible(QToolBar *bar, QWidget *widget, bool visible)
{
    for (QAction *action : bar->actions())
        if (bar->widgetForAction(action) == widget)
            action->setVisible(visible);
}

// Selects the item that reads `text` (any case); leaves the combo as it is
// when there is none.
void selectText(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchFixedString);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void fillCombo(TzkComboBox *combo, QStringList names, const QString &current)
{
    sortNames(names);
    combo->clear();
    combo->addItems(names);
    combo->setCurrentIndex(int(names.indexOf(current)));
    if (combo->currentIndex() < 0)
        selectText(combo, current);
}

} // namespace

QString TableListSQL(int DBVer, bool IsAzure, const QString &DataBase, TTableListKinds kinds)
{
    if (!(kinds & (tlkTable | tlkView | tlkSynonym)))
        kinds = tlkTable;
    QString filter;
    if (kinds & tlkTable)
        filter += QStringLiteral(", 'U', 'S'");
    if (kinds & tlkView)
        filter += QStringLiteral(",'V'");
    if (kinds & tlkSynonym)
        filter += QStringLiteral(",'SN'");
    filter.remove(0, 1);
    const bool version9 = DBVer >= 9;
    if (IsAzure)
        return UseText(DataBase)
               + QStringLiteral("select a.name, a.xtype from sysobjects as a left outer join sys.indexes as c on "
                                "c.object_id = a.id and c.index_id < 2")
               + QStringLiteral("where a.xtype in(") + filter + QStringLiteral(") and ")
               + (version9 ? QStringLiteral("schema_name(a.uid)") : QStringLiteral("user_name(a.uid)"))
               + QStringLiteral(" = :OWNER collate database_default");
    return UseText(DataBase) + QStringLiteral("select name, xtype from sysobjects ") + QStringLiteral("where xtype in(")
           + filter + QStringLiteral(") AND ")
           + (version9 ? QStringLiteral("schema_name(uid)") : QStringLiteral("user_name(uid)"))
           + QStringLiteral(" = :OWNER collate database_default");
}

QStringList TableListResult(const QString &database, const QString &owner, const QStringList &names, bool tableEditor)
{
    QStringList lines;
    for (const QString &name : names) {
        if (tableEditor)
            lines << owner << name;
        else if (!database.isEmpty() && !owner.isEmpty())
            lines << BracketCatalogName(database) + QLatin1Char('.') + BracketCatalogName(owner) + QLatin1Char('.')
                         + BracketCatalogName(name);
        else if (owner.isEmpty())
            lines << BracketCatalogName(name);
        else
            lines << BracketCatalogName(owner) + QLatin1Char('.') + BracketCatalogName(name);
    }
    return lines;
}

TfrmTableList::TfrmTableList(TfrmObject *AOwner)
    : QDialog(AOwner)
    , FOwner(AOwner)
{
    setObjectName(QStringLiteral("frmTableList"));
    setWindowTitle(QStringLiteral("表の選択"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    if (const TzkImageList *images = pickers::MainImages(); images && images->HasImage(12))
        setWindowIcon(images->Icon(12));

    pnlHeader = new QWidget(this);
    pnlHeader->setObjectName(QStringLiteral("pnlHeader"));
    pnlHeader->setFixedHeight(28);
    auto *headerLayout = new QHBoxLayout(pnlHeader);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(0);
    pnlPersonalColor = new QWidget(pnlHeader);
    pnlPersonalColor->setObjectName(QStringLiteral("pnlPersonalColor"));
    pnlPersonalColor->setFixedWidth(12);
    pnlPersonalColor->setAutoFillBackground(true);
    if (ConnectionManager && AOwner) {
        QPalette pal = pnlPersonalColor->palette();
        pal.setColor(QPalette::Window, ColorToQColor(ConnectionManager->GetBackgroundColor(AOwner->MYSID)));
        pnlPersonalColor->setPalette(pal);
    }
    headerLayout->addWidget(pnlPersonalColor);
    tolCmd = new QToolBar(pnlHeader);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    tolCmd->setIconSize(QSize(16, 16));
    btnOk = toolButton(tolCmd, QStringLiteral("btnOk"), QStringLiteral("選択(&O)"), QStringLiteral("選択"), 28);
    btnExit = toolButton(tolCmd, QStringLiteral("btnExit"), QStringLiteral("終了(&X)"), QString(), 42);
    tolOption = new QToolBar(tolCmd);
    tolOption->setObjectName(QStringLiteral("tolOption"));
    tolOption->setIconSize(QSize(16, 16));
    btnTable = toolButton(tolOption, QStringLiteral("btnTable"), QString(), QStringLiteral("テーブル表示"), 45);
    btnView = toolButton(tolOption, QStringLiteral("btnView"), QString(), QStringLiteral("ビュー表示"), 47);
    btnSynonym = toolButton(tolOption, QStringLiteral("btnSynonym"), QString(), QStringLiteral("シノニム表示"), 60);
    m_optionSeparator = tolCmd->addSeparator();
    tolCmd->addWidget(tolOption);
    for (QToolButton *b : {btnTable, btnView, btnSynonym}) {
        b->setCheckable(true);
        b->setChecked(true);
        connect(b, &QToolButton::clicked, this, [this, b] { btnKindClick(b); });
    }
    headerLayout->addWidget(tolCmd, 1);

    pnlTop = new QWidget(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFixedHeight(77);
    auto *grid = new QGridLayout(pnlTop);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    cmbDatabase = new TzkComboBox(pnlTop);
    cmbDatabase->setObjectName(QStringLiteral("cmbDatabase"));
    cmbOwner = new TzkComboBox(pnlTop);
    cmbOwner->setObjectName(QStringLiteral("cmbOwner"));
    for (TzkComboBox *combo : {cmbDatabase, cmbOwner}) {
        combo->SetEditable(false);
        combo->setMaxVisibleItems(20);
    }
    txtFindTable = new TzkStrEdit(pnlTop);
    txtFindTable->setObjectName(QStringLiteral("txtFindTable"));
    const QList<std::pair<QString, QWidget *>> rows = {{QStringLiteral("データベース"), cmbDatabase},
                                                       {QStringLiteral("所有者"), cmbOwner},
                                                       {QStringLiteral("検　索"), txtFindTable}};
    for (int i = 0; i < rows.size(); ++i) {
        auto *label = new QLabel(rows[i].first, pnlTop);
        label->setBuddy(rows[i].second);
        grid->addWidget(label, i, 0);
        grid->addWidget(rows[i].second, i, 1);
    }
    grid->setColumnStretch(1, 1);

    lstTable = new TzkListBox(this);
    lstTable->setObjectName(QStringLiteral("lstTable"));
    lstTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstTable->setUniformItemSizes(true);
    lstTable->setItemDelegate(new TTableItemDelegate(std::max(18, lstTable->fontMetrics().height() + 4), lstTable));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlHeader);
    layout->addWidget(pnlTop);
    layout->addWidget(lstTable, 1);

    qryTable = new TFDQuery(this);
    qryTable->setObjectName(QStringLiteral("qryTable"));
    qrySynonym = new TFDQuery(this);
    qrySynonym->setObjectName(QStringLiteral("qrySynonym"));

    connect(btnOk, &QToolButton::clicked, this, [this] { btnOkClick(); });
    connect(btnExit, &QToolButton::clicked, this, [this] { btnExitClick(); });
    connect(cmbDatabase, &QComboBox::activated, this, [this] { FillList(); });
    connect(cmbOwner, &QComboBox::activated, this, [this] { FillList(); });
    connect(lstTable, &QListWidget::itemDoubleClicked, this, [this] { btnOkClick(); });
    txtFindTable->installEventFilter(this);

    resize(kDesignWidth, kDesignHeight);
}

TfrmTableList::~TfrmTableList()
{
    SaveLayout();
}

void TfrmTableList::ShowWindow(TfrmObject *AOwner, QStringList &TableList, QWidget *Sender, const QString &Database,
                               const QString &Schema)
{
    auto form = std::make_unique<TfrmTableList>(AOwner);
    form->Prepare(Sender, Database, Schema);
    if (form->exec() == QDialog::Accepted)
        TableList << form->Result();
}

void TfrmTableList::Prepare(QWidget *Sender, const QString &Database, const QString &Schema)
{
    TdmSQLServer *session = FOwner ? FOwner->dmSQLServer : nullptr;
    setWindowTitle(QStringLiteral("表の選択 - ") + (FOwner ? FOwner->GetCurrentSchema() : QString())
                   + QStringLiteral(" @ ") + (session ? session->Server() : QString()) + QLatin1Char('.')
                   + (session ? session->DataBase() : QString()));
    if (session) {
        qryTable->SetConnection(session->Connection);
        qrySynonym->SetConnection(session->Connection);
    }
    LoadLayout();
    if (FOwner && FOwner->DBVer < 9) {
        btnSynonym->setChecked(false);
        setToolWidgetVisible(tolOption, btnSynonym, false);
        btnTable->setChecked(true);
        btnView->setChecked(true);
    }
    // Stored settings may have every kind off; tables are listed then.
    if (!Kinds())
        btnTable->setChecked(true);

    if (FOwner) {
        QStringList names;
        FOwner->GetDatabase(names);
        fillCombo(cmbDatabase, names, session ? session->DataBase() : QString());
        FOwner->GetUser(names, cmbDatabase->Text(), false);
        fillCombo(cmbOwner, names, FOwner->GetCurrentSchema());
    }

    m_tableEditor = Sender && Sender->objectName().contains(QLatin1String("frmTable"));
    if (m_tableEditor) {
        setToolWidgetVisible(tolCmd, tolOption, false);
        m_optionSeparator->setVisible(false);
        btnTable->setChecked(true);
        btnView->setChecked(false);
        btnSynonym->setChecked(false);
        cmbDatabase->setEnabled(false);
        selectText(cmbDatabase, Database);
        selectText(cmbOwner, Schema);
        lstTable->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    FillList();
}

TTableListKinds TfrmTableList::Kinds() const
{
    TTableListKinds kinds;
    if (btnTable->isChecked())
        kinds |= tlkTable;
    if (btnView->isChecked())
        kinds |= tlkView;
    if (btnSynonym->isChecked())
        kinds |= tlkSynonym;
    return kinds;
}

void TfrmTableList::FillList()
{
    TSQLWaitCursor wait;
    lstTable->setUpdatesEnabled(false);
    lstTable->clear();
    const auto restore = qScopeGuard([this] {
        qryTable->Close();
        lstTable->setUpdatesEnabled(true);
    });
    qryTable->Close();
    qryTable->SetSQL(
        TableListSQL(FOwner ? FOwner->DBVer : 99, FOwner && FOwner->IsAzure, cmbDatabase->Text(), Kinds()));
    qryTable->ParamByName(QStringLiteral("OWNER")).SetAsWideString(cmbOwner->Text());
    qryTable->Open();
    // Blanks alone find everything; otherwise the text as typed, blanks and
    // case included.
    const QString find = txtFindTable->text();
    const bool filtered = !txtFindTable->IsNull();
    QList<std::pair<QString, int>> rows;
    for (qryTable->First(); !qryTable->Eof(); qryTable->Next()) {
        const QString name = qryTable->Fields(0)->AsString();
        if (filtered && !name.contains(find, Qt::CaseSensitive))
            continue;
        rows.append({name, ObjTypeFromXType(qryTable->Fields(1)->AsString())});
    }
    const QCollator collator = nameCollator();
    std::stable_sort(rows.begin(), rows.end(),
                     [&collator](const auto &a, const auto &b) { return collator.compare(a.first, b.first) < 0; });
    for (const auto &[name, kind] : std::as_const(rows)) {
        auto *item = new QListWidgetItem(name, lstTable);
        item->setData(kKindRole, kind);
    }
}

QStringList TfrmTableList::Result() const
{
    QStringList names;
    for (int i = 0; i < lstTable->count(); ++i)
        if (lstTable->item(i)->isSelected())
            names << lstTable->item(i)->text();
    return TableListResult(cmbDatabase->Text(), cmbOwner->Text(), names, m_tableEditor);
}

void TfrmTableList::btnOkClick()
{
    done(QDialog::Accepted);
}

void TfrmTableList::btnExitClick()
{
    done(QDialog::Rejected);
}

void TfrmTableList::btnKindClick(QToolButton *button)
{
    if (!Kinds())
        button->setChecked(true);
    FillList();
}

bool TfrmTableList::event(QEvent *event)
{
    if (event->type() == WM_RELOAD) {
        FillList();
        return true;
    }
    return QDialog::event(event);
}

bool TfrmTableList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFindTable && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            FillList();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmTableList::LoadLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    // A picker that opened minimised could not be answered: it opens normal.
    if (reg.GetInteger(QStringLiteral("WindowState"), 0) == 2) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
    // Under the mouse pointer, its title bar just above it.
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const QPoint mouse = QCursor::pos();
    PlaceForm(this, mouse.y() - caption, mouse.x() - caption);
    btnTable->setChecked(reg.GetBool(QStringLiteral("ShowTable"), true));
    btnView->setChecked(reg.GetBool(QStringLiteral("ShowView"), true));
    btnSynonym->setChecked(reg.GetBool(QStringLiteral("ShowSynonym"), true));
}

void TfrmTableList::SaveLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    const int state = pickers::StoredWindowState(this);
    reg.WriteInteger(QStringLiteral("WindowState"), state);
    if (state != 0)
        return;
    reg.WriteInteger(QStringLiteral("Left"), x());
    reg.WriteInteger(QStringLiteral("Top"), y());
    reg.WriteInteger(QStringLiteral("Width"), width());
    reg.WriteInteger(QStringLiteral("Height"), height());
    reg.WriteInteger(QStringLiteral("TableWidth"), lstTable->width());
    reg.WriteBool(QStringLiteral("ShowTable"), btnTable->isChecked());
    reg.WriteBool(QStringLiteral("ShowView"), btnView->isChecked());
    reg.WriteBool(QStringLiteral("ShowSynonym"), btnSynonym->isChecked());
}
