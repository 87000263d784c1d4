#include "sqlwindow/fsqllog.h"

#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksqllog.h"
#include "core/zksub.h"
#include "core/zksub_datetime.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "core/zksub_text.h"
#include "core/zkwindows.h"
#include "core/zkoption.h"
#include "editorcontrol/edundo.h"
#include "sqleditor/zkmemo.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSizeKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\SQLLOG");
const QString kHistoryKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\SQLLOGHIS");
const QString kFavoriteKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\SQLLOGFAV");
constexpr int kDesignWidth = 642;
constexpr int kDesignHeight = 446;
constexpr int kFirstColumnWidth = 160;
constexpr int kColumnMargin = 21;

QToolButton *addButton(QToolBar *bar, const QString &name, const QString &text, int image, bool withText)
{
    auto *button = new QToolButton(bar);
    button->setObjectName(name);
    button->setAutoRaise(true);
    const TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    if (images && images->HasImage(image))
        button->setIcon(images->Icon(image));
    if (withText) {
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setMinimumWidth(78);
    } else {
        button->setToolTip(text);
        // Without the image the hint is the only way to tell the buttons apart.
        if (button->icon().isNull())
            button->setText(text);
    }
    bar->addWidget(button);
    return button;
}

int readInteger(const QString &key, const QString &name, int def)
{
    TzkRegistry reg;
    if (!reg.OpenKeyReadOnly(key))
        return def;
    return reg.GetInteger(name, def);
}

} // namespace

TfrmSQLLog::TfrmSQLLog(QWidget *AOwner)
    : QDialog(AOwner)
{
    setObjectName(QStringLiteral("frmSQLLog"));
    setWindowTitle(QStringLiteral("SQL 一覧"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    if (AOwner)
        setWindowIcon(AOwner->window()->windowIcon());
    QFont f = font();
    f.setFamily(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(13);
    setFont(f);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    tolCmd = new QToolBar(this);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    btnSelect = addButton(tolCmd, QStringLiteral("btnSelect"), QStringLiteral("選択(&S)"), 15, true);
    btnRegist = addButton(tolCmd, QStringLiteral("btnRegist"), QStringLiteral("登録(&R)"), 103, true);
    btnDel = addButton(tolCmd, QStringLiteral("btnDel"), QStringLiteral("削除(&D)"), 41, true);
    btnExit = addButton(tolCmd, QStringLiteral("btnExit"), QStringLiteral("終了(&X)"), 42, true);
    tolOption = new QToolBar(this);
    tolOption->setObjectName(QStringLiteral("tolOption"));
    btnUp = addButton(tolOption, QStringLiteral("btnUp"), QStringLiteral("上に移動"), 35, false);
    btnDown = addButton(tolOption, QStringLiteral("btnDown"), QStringLiteral("下に移動"), 36, false);
    tolOption->addSeparator();
    btnFind = addButton(tolOption, QStringLiteral("btnFind"), QStringLiteral("検索"), 23, false);
    pnlFind = new QWidget(this);
    pnlFind->setObjectName(QStringLiteral("pnlFind"));
    auto *findLayout = new QHBoxLayout(pnlFind);
    findLayout->setContentsMargins(2, 2, 2, 2);
    txtFind = new TzkStrEdit(pnlFind);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->SetCharCase(ecUpperCase);
    findLayout->addWidget(txtFind);
    // The tool bars keep every button; the search field takes the rest.
    for (QToolBar *bar : {tolCmd, tolOption}) {
        bar->setMinimumWidth(bar->sizeHint().width());
        bar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }
    top->addWidget(tolCmd);
    top->addWidget(tolOption);
    top->addWidget(pnlFind, 1);

    pagSQLList = new QTabWidget(this);
    pagSQLList->setObjectName(QStringLiteral("pagSQLList"));
    for (const QString &caption : {QStringLiteral("SQL履歴"), QStringLiteral("お気に入りSQL")}) {
        auto *page = new QWidget(pagSQLList);
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        pagSQLList->addTab(page, caption);
    }
    pagSQLList->widget(0)->setObjectName(QStringLiteral("tabSQLHistory"));
    pagSQLList->widget(1)->setObjectName(QStringLiteral("tabFavoriteSQL"));

    lstSQL = new TzkListView(pagSQLList->widget(0));
    lstSQL->setObjectName(QStringLiteral("lstSQL"));
    lstSQL->SetViewStyle(vsReport);
    lstSQL->SetMultiSelect(true);
    lstSQL->SetRowSelect(true);
    lstSQL->SetSortID(0);
    lstSQL->SetSortOnHeaderClick(false);
    pagSQLList->widget(0)->layout()->addWidget(lstSQL);

    txtSQL = new TzkMemo(this);
    txtSQL->setObjectName(QStringLiteral("txtSQL"));
    TzkForm::ApplyControlSettings(txtSQL);
    txtSQL->SetReadOnly(true);

    spl1 = new QSplitter(Qt::Vertical, this);
    spl1->setObjectName(QStringLiteral("spl1"));
    spl1->addWidget(pagSQLList);
    spl1->addWidget(txtSQL);
    spl1->setStretchFactor(0, 1);
    spl1->setStretchFactor(1, 0);
    spl1->setChildrenCollapsible(false);
    spl1->setSizes({kDesignHeight - 120, 120});

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addLayout(top);
    main->addWidget(spl1, 1);

    popSqlLogMenu = new QMenu(this);
    popSqlLogMenu->setObjectName(QStringLiteral("popSqlLogMenu"));
    mnuRename = popSqlLogMenu->addAction(QStringLiteral("名前の変更(&M)"));
    mnuRename->setObjectName(QStringLiteral("mnuRename"));
    mnuRename->setStatusTip(QStringLiteral("名前の変更|選択中のオブジェクトの名前を変更します。"));

    connect(btnSelect, &QToolButton::clicked, this, [this] { btnSelectClick(); });
    connect(btnRegist, &QToolButton::clicked, this, [this] { btnRegistClick(); });
    connect(btnDel, &QToolButton::clicked, this, [this] { btnDelClick(); });
    connect(btnExit, &QToolButton::clicked, this, [this] { btnExitClick(); });
    connect(btnUp, &QToolButton::clicked, this, [this] { btnUpClick(); });
    connect(btnDown, &QToolButton::clicked, this, [this] { btnDownClick(); });
    connect(btnFind, &QToolButton::clicked, this, [this] { btnFindClick(); });
    connect(mnuRename, &QAction::triggered, this, [this] { mnuRenameClick(); });
    connect(txtFind, &QLineEdit::returnPressed, this, [this] { btnFindClick(); });
    connect(pagSQLList, &QTabWidget::currentChanged, this, [this] {
        if (m_shown)
            RebuildList();
    });

    lstSQL->OnChange = [this] {
        ShowPreview();
        UpdateButtons();
    };
    lstSQL->OnClick = [this] { ShowPreview(); };
    lstSQL->OnDblClick = [this] { btnSelectClick(); };
    lstSQL->OnKeyDown = [this](QKeyEvent *event) {
        // The Enter that ends a rename reaches the list while the editor is
        // still open; it must not choose the entry.
        if (lstSQL->IsEditing())
            return false;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: btnSelectClick(); return true;
        case Qt::Key_Delete: btnDelClick(); return true;
        case Qt::Key_F2: mnuRenameClick(); return true;
        default: return false;
        }
    };
    lstSQL->OnEditing = [this](int) { return !IsHistoryTab(); };
    lstSQL->OnEdited = [this](int item, QString &text) {
        if (IsHistoryTab() || item < 0 || item >= SQLLogFList.size())
            return false;
        text = TrimBlanks(text);
        SQLLogFList[item] = SQLLogFFileName(SQLLogFList.at(item)).trimmed() + QLatin1Char(' ') + text;
        m_favoritesChanged = true;
        return true;
    };
    lstSQL->OnContextPopup = [this](const QPoint &globalPos) {
        mnuRename->setVisible(!IsHistoryTab());
        mnuRename->setEnabled(lstSQL->SelectedIndex() >= 0);
        if (!IsHistoryTab())
            popSqlLogMenu->popup(globalPos);
    };

    LoadSize();
}

TfrmSQLLog::~TfrmSQLLog() = default;

QString TfrmSQLLog::ShowWindow(QWidget *AOwner)
{
    TfrmSQLLog dialog(AOwner);
    if (AOwner) {
        // The caller's client-area origin, moved right by a caption height.
        const QPoint origin = AOwner->mapToGlobal(QPoint(0, 0));
        const int caption = AOwner->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, AOwner);
        dialog.move(origin.x() + caption, origin.y());
    }
    dialog.exec();
    return dialog.Answer();
}

QString TfrmSQLLog::Answer() const
{
    return m_answer;
}

bool TfrmSQLLog::IsHistoryTab() const
{
    return pagSQLList->currentIndex() == 0;
}

void TfrmSQLLog::SetHistoryTab(bool history)
{
    pagSQLList->setCurrentIndex(history ? 0 : 1);
}

QStringList &TfrmSQLLog::ActiveList() const
{
    return IsHistoryTab() ? SQLLogList : SQLLogFList;
}

void TfrmSQLLog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        RebuildList();
    }
}

void TfrmSQLLog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FitTextColumn();
}

void TfrmSQLLog::FitTextColumn()
{
    if (lstSQL->ColumnCount() >= 2)
        lstSQL->SetColumnWidth(1, qMax(0, lstSQL->width() - lstSQL->ColumnWidth(0) - kColumnMargin));
}

void TfrmSQLLog::RebuildList()
{
    const bool history = IsHistoryTab();
    QWidget *page = pagSQLList->currentWidget();
    if (lstSQL->parentWidget() != page) {
        lstSQL->setParent(page);
        page->layout()->addWidget(lstSQL);
        lstSQL->show();
    }
    lstSQL->BeginUpdate();
    lstSQL->ClearItems();
    lstSQL->ClearColumns();
    txtSQL->Lines()->Clear();
    lstSQL->SetReadOnly(history);
    const int first = readInteger(history ? kHistoryKey : kFavoriteKey, QStringLiteral("INDEX1"), kFirstColumnWidth);
    lstSQL->AddColumn(history ? QStringLiteral("発行日時") : QStringLiteral("SQL名"), first);
    lstSQL->AddColumn(QStringLiteral("SQL文"), 100);
    // A missing entry file shows an empty text rather than hiding the entries
    // after it.
    for (const QString &entry : std::as_const(ActiveList())) {
        if (history) {
            const QFileInfo info(zkOption.TempDir + entry);
            const QDateTime written = info.exists() ? info.lastModified() : QDateTime();
            const QString caption = written.isValid()
                                        ? DateToStr(written.date()) + QLatin1Char(' ') + TimeToStr(written.time())
                                        : QString();
            lstSQL->AddItem(caption, -1, {SQLLogOneLine(ReadSQLLogFile(entry))});
        } else {
            lstSQL->AddItem(SQLLogFName(entry), -1, {SQLLogOneLine(ReadSQLLogFile(SQLLogFFileName(entry)))});
        }
    }
    lstSQL->EndUpdate();
    FitTextColumn();
    UpdateButtons();
}

void TfrmSQLLog::UpdateButtons()
{
    const bool items = lstSQL->ItemCount() > 0;
    const bool selected = items && lstSQL->SelectedIndex() >= 0;
    btnSelect->setEnabled(items);
    btnDel->setEnabled(items);
    btnUp->setEnabled(items);
    btnDown->setEnabled(selected);
    btnRegist->setEnabled(selected && IsHistoryTab());
}

void TfrmSQLLog::ShowPreview()
{
    const int index = lstSQL->SelectedIndex();
    QString text;
    if (index >= 0 && index < ActiveList().size()) {
        const QString entry = ActiveList().at(index);
        text = ReadSQLLogFile(IsHistoryTab() ? entry : SQLLogFFileName(entry));
    }
    txtSQL->Lines()->BeginUpdate();
    txtSQL->Lines()->SetTextStr(text);
    txtSQL->Lines()->EndUpdate();
    txtSQL->EditorUndoObj()->Clear();
    txtSQL->SetRowCol(0, 0);
}

void TfrmSQLLog::btnSelectClick()
{
    if (lstSQL->SelectedIndex() < 0)
        return;
    FIsSelect = true;
    accept();
}

void TfrmSQLLog::btnExitClick()
{
    lstSQL->ClearSelection();
    reject();
}

void TfrmSQLLog::btnDelClick()
{
    QStringList &list = ActiveList();
    const QList<int> selected = lstSQL->SelectedItems();
    if (selected.isEmpty())
        return;
    lstSQL->BeginUpdate();
    for (qsizetype i = selected.size() - 1; i >= 0; --i) {
        const int index = selected.at(i);
        if (index < list.size())
            list.removeAt(index);
        lstSQL->DeleteItem(index);
    }
    lstSQL->EndUpdate();
    (IsHistoryTab() ? m_historyChanged : m_favoritesChanged) = true;
    txtSQL->Lines()->Clear();
    UpdateButtons();
}

void TfrmSQLLog::MoveSelected(int delta)
{
    if (lstSQL->SelCount() > 1) {
        ShowAppMessage(QStringLiteral("同時に複数行を移動する事は出来ません。１行だけ選択して下さい。"),
                       MB_OK | MB_ICONWARNING);
        return;
    }
    const int index = lstSQL->SelectedIndex();
    const int target = index + delta;
    QStringList &list = ActiveList();
    if (index < 0 || target < 0 || target >= lstSQL->ItemCount() || target >= list.size())
        return;
    list.swapItemsAt(index, target);
    lstSQL->MoveItem(index, target);
    lstSQL->SetSelected(target, true);
    lstSQL->SetItemFocused(target);
    lstSQL->MakeVisible(target);
    lstSQL->setFocus();
    (IsHistoryTab() ? m_historyChanged : m_favoritesChanged) = true;
}

void TfrmSQLLog::btnUpClick()
{
    MoveSelected(-1);
}

void TfrmSQLLog::btnDownClick()
{
    MoveSelected(1);
}

void TfrmSQLLog::btnRegistClick()
{
    if (!IsHistoryTab())
        return;
    QStringList entries;
    for (int index : lstSQL->SelectedItems())
        if (index < SQLLogList.size())
            entries << SQLLogList.at(index);
    if (entries.isEmpty())
        return;
    try {
        RegistSQLLogFavorites(entries);
    } catch (const std::exception &) {
        ShowAppMessage(QStringLiteral("ファイルの書き込みに失敗しました。"), MB_OK | MB_ICONERROR);
        return;
    }
    ShowAppMessage(QStringLiteral("お気に入りSQLに登録しました。"), MB_OK | MB_ICONINFORMATION);
}

void TfrmSQLLog::btnFindClick()
{
    if (TrimBlanks(txtFind->text()).isEmpty())
        return;
    FindInListView(txtFind, lstSQL);
}

void TfrmSQLLog::mnuRenameClick()
{
    const int index = lstSQL->SelectedIndex();
    if (IsHistoryTab() || index < 0)
        return;
    lstSQL->EditCaption(index);
}

void TfrmSQLLog::done(int result)
{
    if (!FIsSelect) {
        lstSQL->ClearSelection();
        lstSQL->ClearItems();
    }
    m_answer = (IsHistoryTab() ? QStringLiteral("H") : QStringLiteral("F")) + QString::number(lstSQL->SelectedIndex());
    FIsSelect = false;
    // What the dialog changed reaches the index files now, so a program that
    // ends before the next SQL window keeps it.
    try {
        if (m_historyChanged)
            WriteSQLLogIndex();
        if (m_favoritesChanged)
            WriteSQLLogFIndex();
    } catch (const std::exception &) {
        ShowAppMessage(QStringLiteral("ファイルの書き込みに失敗しました。"), MB_OK | MB_ICONERROR);
    }
    m_historyChanged = m_favoritesChanged = false;
    SaveSize();
    QDialog::done(result);
}

void TfrmSQLLog::LoadSize()
{
    resize(readInteger(kSizeKey, QStringLiteral("Width"), kDesignWidth),
           readInteger(kSizeKey, QStringLiteral("Height"), kDesignHeight));
}

void TfrmSQLLog::SaveSize()
{
    if (windowState() != Qt::WindowNoState)
        return;
    TzkRegistry reg;
    if (!reg.OpenKey(kSizeKey, true))
        return;
    reg.WriteInteger(QStringLiteral("Width"), width());
    reg.WriteInteger(QStringLiteral("Height"), height());
}
