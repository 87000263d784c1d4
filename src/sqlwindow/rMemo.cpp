#include "sqlwindow/rMemo.h"
#include "core/zkwaitcursor.h"

#include "connection/fobject.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkactions.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_files.h"
#include "editorcontrol/edprops.h"
#include "editorcontrol/edrowlist.h"
#include "editorcontrol/edwrap.h"
#include "platform/db/db.h"
#include "platform/encoding/textencoding.h"
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_codeassist.h"
#include "sqleditor/zksub_editor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

std::function<void(TfraMemo *frame, QWidget *section)> TfraMemo::BuildConvertSection;
std::function<void(TfraMemo *frame)> TfraMemo::PrepareConvertSection;

namespace {

const QString kFileFilter =
    QStringLiteral("SQLファイル(*.sql)|*.sql|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*");

QIcon mainImage(int index)
{
    if (zkMainForm && zkMainForm->imgMain())
        return zkMainForm->imgMain()->Icon(index);
    return QIcon();
}

// The QFileDialog form of "desc|pattern|desc|pattern" filters.
QStringList qtFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts.at(i + 1);
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        result << parts.at(i) + QStringLiteral(" (") + pattern.split(QLatin1Char(';')).join(QLatin1Char(' ')) + u')';
    }
    return result;
}

bool runFileDialog(QWidget *owner, const TfraMemo::TFileDialogRequest &request, QStringList &files, int &filterIndex)
{
    QFileDialog dialog(owner, request.Title, request.Folder);
    const QStringList filters = qtFilters(request.Filter);
    dialog.setNameFilters(filters);
    if (request.Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.selectFile(request.FileName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    files = dialog.selectedFiles();
    filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return !files.isEmpty();
}

// Lines of a text as a file holds them: a final line break ends the last
// line and starts none.
QStringList splitLines(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

TfraMemo::TFileDialog TfraMemo::FileDialog = runFileDialog;

QString DefaultScriptName(int objType, const QString &schema, const QString &name)
{
    QString s;
    QString n;
    switch (objType) {
    case 45:
    case 46:
    case 47:
    case 48:
    case 51:
    case 52:
    case 53:
    case 54:
    case 55:
    case 56:
    case 57:
    case 58:
    case 60:
    case 66:
        s = schema;
        n = name;
        break;
    case 3:
    case 68:
    case 69: n = name; break;
    default: break;
    }
    if (n.isEmpty())
        return QStringLiteral("Script.sql");
    if (!s.isEmpty())
        return s + u'.' + n + QStringLiteral(".sql");
    return n + QStringLiteral(".sql");
}

// --- Construction ----------------------------------------------------------------

TfraMemo::TfraMemo(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fraMemo"));
    CreateActions();
    CreateComponents();
    WatchWheel(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            appMemoDeactivate();
    });
}

TfraMemo::~TfraMemo() = default;

TfrmObject *TfraMemo::OwnerForm() const
{
    return L_wOwnerForm.data();
}

void TfraMemo::CreateComponents()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlHeader = new QWidget(this);
    pnlHeader->setObjectName(QStringLiteral("pnlHeader"));
    pnlHeader->setFixedHeight(30);
    auto *header = new QHBoxLayout(pnlHeader);
    header->setContentsMargins(2, 0, 2, 0);
    tlbHeader = new QToolBar(pnlHeader);
    tlbHeader->setObjectName(QStringLiteral("tlbHeader"));
    tlbHeader->setIconSize(QSize(16, 16));
    header->addWidget(tlbHeader);
    lblFileName = new QLabel(pnlHeader);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    header->addWidget(lblFileName, 1);
    layout->addWidget(pnlHeader);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    layout->addLayout(body, 1);

    splPalette = new QSplitter(Qt::Horizontal, this);
    splPalette->setObjectName(QStringLiteral("splPalette"));
    splPalette->setHandleWidth(5);
    splPalette->setChildrenCollapsible(false);
    body->addWidget(splPalette, 1);

    txtSQL = new TzkMemo(splPalette);
    txtSQL->setObjectName(QStringLiteral("txtSQL"));
    txtSQL->SetFont(TFont(QFont(QStringLiteral("FixedSys"), 10)));
    txtSQL->WrapOption()->SetWrapByte(80);
    txtSQL->SetUndoListMax(64);
    txtSQL->Caret()->SetTabSpaceCount(8);
    txtSQL->viewport()->setAcceptDrops(true);
    txtSQL->viewport()->installEventFilter(this);
    connect(txtSQL, &TEditor::CodeAssist, this, [this](const QPoint &p) { WMCodeAssist(p.x(), p.y()); });
    splPalette->addWidget(txtSQL);
    splPalette->setStretchFactor(0, 1);

    CreatePalette();
    splPalette->addWidget(pnlToolPalette);
    splPalette->setStretchFactor(1, 0);

    pnlPaletteOpen = new QToolButton(this);
    pnlPaletteOpen->setObjectName(QStringLiteral("pnlPaletteOpen"));
    pnlPaletteOpen->setText(QStringLiteral("<<"));
    pnlPaletteOpen->setFixedWidth(26);
    pnlPaletteOpen->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    pnlPaletteOpen->setAutoRaise(true);
    pnlPaletteOpen->setStyleSheet(QStringLiteral("QToolButton:hover { background-color: rgb(200, 216, 255); }"));
    pnlPaletteOpen->hide();
    connect(pnlPaletteOpen, &QToolButton::clicked, this, [this] { actShowPaletteExecute(); });
    body->addWidget(pnlPaletteOpen);

    qryObjTree = new TFDQuery(this);
    qryObjTree->setObjectName(QStringLiteral("qryObjTree"));
    qryObjList = new TFDQuery(this);
    qryObjList->setObjectName(QStringLiteral("qryObjList"));

    FillHeaderToolBar();
}

void TfraMemo::CreateActions()
{
    actEditor = new TzkActionList(this, QStringLiteral("actEditor"));
    actEditor->SetDisableIfNoHandler(false);
    auto add = [this](const char *name, const QString &caption, std::function<void()> execute,
                      std::function<bool()> enabled = {}) {
        QAction *action = actEditor->Add(QString::fromLatin1(name), caption);
        actEditor->SetOnExecute(action, std::move(execute));
        if (enabled)
            actEditor->SetOnUpdate(action, [action, enabled] { action->setEnabled(enabled()); });
        return action;
    };
    auto hasText = [this] { return txtSQL && txtSQL->GetTextLen() > 0; };
    actSaveNewFile = add(
        "actSaveNewFile", QStringLiteral("名前を付けて保存"), [this] { actSaveNewFileExecute(); }, hasText);
    actSaveNewFile->setIcon(mainImage(kImgSaveAs));
    actOpenEditOption = add("actOpenEditOption", QStringLiteral("エディタオプション"), [this] {
        if (QAction *option = zkMainForm ? zkMainForm->Action(QStringLiteral("actToolEditorOption")) : nullptr)
            option->trigger();
        if (prpEditor)
            spnFontSize->setValue(prpEditor->Font().pointSize());
    });
    actOpenEditOption->setIcon(mainImage(kImgEditorOption));
    actHidePalette = add("actHidePalette", QString(), [this] { actHidePaletteExecute(); });
    actShowPalette = add("actShowPalette", QString(), [this] { actShowPaletteExecute(); });
    actOpenFile = add("actOpenFile", QStringLiteral("ファイルを開く"), [this] { actOpenFileExecute(); });
    actSaveFile = add(
        "actSaveFile", QStringLiteral("上書き保存"), [this] { actSaveFileExecute(); }, hasText);
    actSetRowMark = add("actSetRowMark", QStringLiteral("しおりをセットする"), [this] { txtSQL->SetRowMark(); });
    auto marks = [this] { return txtSQL && txtSQL->UsingRowMark(); };
    actRowMarkNext = add(
        "actRowMarkNext", QStringLiteral("次のしおりへ移動"), [this] { txtSQL->NextRowMark(); }, marks);
    actRowMarkPrev = add(
        "actRowMarkPrev", QStringLiteral("前のしおりへ移動"), [this] { txtSQL->PrevRowMark(); }, marks);
    actOpenSqlTemplate = add("actOpenSqlTemplate", QStringLiteral("SQLテンプレート"), [] {
        if (QAction *reference = zkMainForm ? zkMainForm->Action(QStringLiteral("actViewTemplate")) : nullptr)
            reference->trigger();
    });

    actInsertNodeText = add(
        "actInsertNodeText", QStringLiteral("エディタへ挿入する(&A)"), [this] { InsertNodeText(GetTreeSelText()); },
        [this] { return trvObject && trvObject->SelectionCount() > 0; });
    actInsertListText = add(
        "actInsertListText", QStringLiteral("エディタへ挿入する(&A)"), [this] { InsertNodeText(GetListSelText()); },
        [this] { return lstObject && lstObject->SelCount() > 0; });
    auto oneNode = [this]() -> TzkTreeNode * {
        if (!trvObject)
            return nullptr;
        const QList<TzkTreeNode *> nodes = trvObject->Selections();
        return nodes.size() == 1 ? nodes.first() : nullptr;
    };
    actOpenDefineForTree = add(
        "actOpenDefineForTree", QStringLiteral("定義情報を開く(&O)"), [this] { OpenDefineForTree(); },
        [oneNode] {
            TzkTreeNode *n = oneNode();
            return n && (n->Level() == 3 || n->Level() == 4);
        });
    actOpenDefineforList = add(
        "actOpenDefineforList", QStringLiteral("定義情報を開く(&O)"), [this] { OpenDefineForList(); },
        [this] { return lstObject && lstObject->SelCount() == 1; });
    actTreeSelectAllCol = add(
        "actTreeSelectAllCol", QStringLiteral("列をすべて選択"), [this] { TreeSelectAllCol(); },
        [oneNode] {
            TzkTreeNode *n = oneNode();
            return n && n->Level() >= 3
                   && (n->ImageIndex() == 45 || n->ImageIndex() == 47 || n->ImageIndex() == kImgColumn);
        });
    actTreeExpandAllNode = add(
        "actTreeExpandAllNode", QStringLiteral("ノードをすべて開く"), [this] { TreeExpandAllNode(); },
        [oneNode] {
            TzkTreeNode *n = oneNode();
            return n && n->HasChildren();
        });
    actTreeCollapseAllNode = add(
        "actTreeCollapseAllNode", QStringLiteral("ノードをすべて閉じる"), [this] { TreeCollapseAllNode(); },
        [oneNode] {
            TzkTreeNode *n = oneNode();
            return n && n->Expanded();
        });
    actRefreshObjectTree =
        add("actRefreshObjectTree", QStringLiteral("ツリーを最新の状態にする(&R)"), [this] { BuildObjectTree(); });
}

void TfraMemo::FillHeaderToolBar()
{
    tlbHeader->addAction(actSaveNewFile);
    const char *groups[][6] = {
        {"actEditUndo", "actEditRedo"},
        {"actEditFind", "actEditFindNext", "actEditFindPrev", "actEditReplace", "actEditFindClear", "actEditJump"},
        {"actEditUpperCase", "actEditLowerCase", "actEditHanToZen", "actEditZenToHan"},
        {"actEditIndentF", "actEditIndentR", "actEditComment", "actEditFormat"},
        {"actEditMacroRec", "actEditMacroExec", "actEditMacroSave", "actEditMacroLoad"},
        {"actEditJumpDefine", "actViewField", "actViewTemplate"},
    };
    for (const auto &group : groups) {
        tlbHeader->addSeparator();
        for (const char *name : group)
            if (name && zkMainForm)
                if (QAction *action = zkMainForm->Action(QString::fromLatin1(name)))
                    tlbHeader->addAction(action);
    }
    tlbHeader->addSeparator();
    tlbHeader->addAction(actOpenEditOption);
}

void TfraMemo::WatchWheel(QWidget *widget)
{
    widget->installEventFilter(this);
    for (QWidget *child : widget->findChildren<QWidget *>())
        child->installEventFilter(this);
}

// --- Show ------------------------------------------------------------------------

TzkForm *TfraMemo::OwnerTzkForm() const
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget())
        if (auto *form = qobject_cast<TzkForm *>(w))
            return form;
    return nullptr;
}

void TfraMemo::ShowData()
{
    TzkForm *form = OwnerTzkForm();
    if (!form)
        return;
    L_wOwnerForm = dynamic_cast<TfrmObject *>(form->OwnerForm());
    TSQLWaitCursor wait;
    PrepareShow();
    BuildObjectTree();
}

void TfraMemo::PrepareShow()
{
    splPalette->setSizes({std::max(0, width() - 320 - splPalette->handleWidth()), 320});
    if (L_wOwnerForm && L_wOwnerForm->dmSQLServer) {
        qryObjTree->SetConnection(L_wOwnerForm->dmSQLServer->Connection);
        qryObjList->SetConnection(L_wOwnerForm->dmSQLServer->Connection);
    }
    ctgToolPalette->setCurrentWidget(cpnlObjTree);
    if (PrepareConvertSection)
        PrepareConvertSection(this);
    cmbList->setCurrentIndex(1);
    SetListSearchPrompt(true);
    ApplyEditorSettings();
    spnFontSize->setValue(txtSQL->Font().pointSize());
    if (zkReg && zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\EDITOR"), false)) {
        L_nSchemaDisp = zkReg->GetInteger(QStringLiteral("SchemaDisp"), 1);
        zkReg->CloseKey();
    }
    {
        const QSignalBlocker block(cmbTree);
        cmbTree->setCurrentIndex(std::clamp(L_nSchemaDisp, 0, 2));
    }
    if (CodeAssistOption.ShowToolPalette)
        actShowPaletteExecute();
    else
        actHidePaletteExecute();
    FrameResize();
}

void TfraMemo::ApplyEditorSettings()
{
    // The same hand-over a form gives its editors when it is made.
    TzkForm::ApplyControlSettings(txtSQL);
    txtSQL->viewport()->update();
}

void TfraMemo::DBChanged()
{
    TzkForm *form = OwnerTzkForm();
    if (!form)
        return;
    L_wOwnerForm = dynamic_cast<TfrmObject *>(form->OwnerForm());
    TSQLWaitCursor wait;
    BuildObjectTree();
    lstObject->BeginUpdate();
    lstObject->ClearItems();
    lstObject->EndUpdate();
}

// --- Palette ------------------------------------------------------------------------

int TfraMemo::PaletteWidth() const
{
    if (pnlToolPalette->isHidden())
        return 0;
    const QList<int> sizes = splPalette->sizes();
    return sizes.size() > 1 ? sizes.at(1) : 0;
}

bool TfraMemo::PaletteVisible() const
{
    return !pnlToolPalette->isHidden();
}

void TfraMemo::actHidePaletteExecute()
{
    L_wPaletteWidth = PaletteWidth();
    pnlToolPalette->hide();
    pnlPaletteOpen->show();
}

void TfraMemo::actShowPaletteExecute()
{
    int w = L_wPaletteWidth;
    if (w < 100 || width() < w)
        w = 300;
    pnlPaletteOpen->hide();
    pnlToolPalette->show();
    // The splitter lays a shown child out again from a posted request; it
    // must not undo the width set below.
    QCoreApplication::sendPostedEvents(splPalette);
    QCoreApplication::sendPostedEvents(pnlToolPalette);
    splPalette->setSizes({std::max(0, width() - w - splPalette->handleWidth()), w});
}

void TfraMemo::FrameResize()
{
    // The section pages share the palette's height (the tool box does
    // that); only the list's second column follows its width.
    if (lstObject->ColumnCount() > 1) {
        const int w = lstObject->width() - lstObject->ColumnWidth(0) - 8;
        if (w > 0)
            lstObject->SetColumnWidth(1, w);
    }
}

void TfraMemo::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FrameResize();
}

void TfraMemo::appMemoDeactivate()
{
    txtSQL->SetSelectionMode(smLine);
    txtSQL->SetKeyDownAltKey(false);
}

// --- Files ------------------------------------------------------------------------------

QString TfraMemo::DefaultScriptName() const
{
    TzkForm *form = OwnerTzkForm();
    if (!form)
        return ::DefaultScriptName(0, QString(), QString());
    const auto *host = dynamic_cast<const IzkMemoHost *>(form);
    return ::DefaultScriptName(form->ObjType(), host ? host->MemoSchemaName() : QString(),
                               host ? host->MemoObjectName() : QString());
}

void TfraMemo::SaveLines(const QString &FileName)
{
    WriteTextFile(FileName, txtSQL->Lines()->GetTextStr(), GetFileEncoding(), false);
}

QStringList TfraMemo::ReadLines(const QString &FileName) const
{
    return splitLines(ReadTextFile(FileName, GetFileEncoding()));
}

void TfraMemo::actSaveNewFileExecute()
{
    TFileDialogRequest request;
    request.Save = true;
    request.Title = QStringLiteral("名前を付けて保存");
    request.Folder = zkOption.FileDir;
    request.FileName = MakeUniqueFileName(DefaultScriptName());
    request.Filter = kFileFilter;
    QStringList files;
    int filterIndex = 1;
    if (!FileDialog || !FileDialog(this, request, files, filterIndex) || files.isEmpty())
        return;
    QString fileName = files.first();
    if (!HasKnownFileExt(fileName))
        fileName += filterIndex == 2 ? QStringLiteral(".txt") : QStringLiteral(".sql");
    SaveLines(fileName);
    txtSQL->SetModified(false);
    ShowAppMessage(QStringLiteral("ファイルに出力しました。"), MB_ICONINFORMATION);
}

void TfraMemo::actOpenFileExecute()
{
    if (txtSQL->Modified()
        && ShowAppMessage(QStringLiteral("ファイルが保存されていませんが開きますか？"), MB_YESNO | MB_ICONWARNING)
               != IDYES)
        return;
    TFileDialogRequest request;
    request.Save = false;
    request.Title = QStringLiteral("ファイルを開く");
    request.Folder = zkOption.FileDir;
    request.Filter = kFileFilter;
    QStringList files;
    int filterIndex = 1;
    if (!FileDialog || !FileDialog(this, request, files, filterIndex) || files.isEmpty())
        return;
    const QString first = files.first();
    std::sort(files.begin(), files.end());
    // Every file is read before the editor changes, so a file that cannot
    // be read leaves the text as it was.
    QList<QStringList> contents;
    for (const QString &file : files)
        contents << ReadLines(file);
    TEditorStrings *lines = txtSQL->Lines();
    lines->BeginUpdate();
    try {
        lines->Clear();
        for (const QStringList &content : contents) {
            for (const QString &line : content)
                lines->Add(line);
            txtSQL->EMEmptyUndoBuffer();
            txtSQL->SetRowCol(0, 0);
        }
    } catch (...) {
        lines->EndUpdate();
        throw;
    }
    lines->EndUpdate();
    L_sOpenFilePath = first;
    lblFileName->setText(first);
    txtSQL->SetModified(false);
}

void TfraMemo::actSaveFileExecute()
{
    if (L_sOpenFilePath.isEmpty()) {
        actSaveNewFileExecute();
        return;
    }
    try {
        SaveLines(L_sOpenFilePath);
        txtSQL->SetModified(false);
    } catch (...) {
        ShowAppMessage(QStringLiteral("ファイルが使用中です。"), MB_ICONWARNING);
    }
}

// --- Code completion -----------------------------------------------------------------------

void TfraMemo::WMCodeAssist(int X, int Y)
{
    TfrmObject *owner = L_wOwnerForm.data();
    if (!owner || !owner->dmSQLServer || !owner->qryCodeAssist)
        return;
    owner->qryCodeAssist->SetConnection(owner->dmSQLServer->Connection);
    TzkForm *form = OwnerTzkForm();
    QString database;
    const auto *host = dynamic_cast<const IzkMemoHost *>(form);
    if (!host || !host->MemoDatabase(database))
        database = owner->dmSQLServer->DataBase();
    const QString schema = owner->dmSQLServer->GetDefSchema();
    CodeAssistCandidates(txtSQL, form ? static_cast<QWidget *>(form) : this, owner->qryCodeAssist, database, schema,
                         owner->DBVer, X, Y);
}

// --- Events -------------------------------------------------------------------------------

bool TfraMemo::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Wheel: {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            break;
        const int dy = wheel->angleDelta().y();
        if (dy < 0)
            spnFontSize->stepDown();
        else if (dy > 0)
            spnFontSize->stepUp();
        return true;
    }
    case QEvent::ChildAdded:
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (watched == txtSQL->viewport())
            return txtSQLDragOver(static_cast<QDropEvent *>(event)), true;
        break;
    case QEvent::Drop:
        if (watched == txtSQL->viewport()) {
            txtSQLDragDrop(static_cast<QDropEvent *>(event));
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        if (watched == trvObject->viewport()) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (event->type() == QEvent::MouseButtonPress) {
                m_treePressed = mouse->button() == Qt::LeftButton && trvObject->GetNodeAt(mouse->position().toPoint());
                m_treePressPos = mouse->position().toPoint();
            } else if (event->type() == QEvent::MouseButtonRelease) {
                m_treePressed = false;
            } else if (m_treePressed && (mouse->buttons() & Qt::LeftButton)
                       && (mouse->position().toPoint() - m_treePressPos).manhattanLength()
                              >= QApplication::startDragDistance()) {
                m_treePressed = false;
                StartTreeDrag();
                return true;
            }
        }
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool press = event->type() == QEvent::KeyPress;
        if (watched == trvObject)
            return TreeKeyEvent(key, press);
        if (lstObject && (watched == lstObject || lstObject->isAncestorOf(qobject_cast<QWidget *>(watched))))
            return ListKeyEvent(key, press);
        if (watched == txtListSearch && press && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            SearchColumnRefs();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == txtListSearch && m_showingPrompt)
            SetListSearchPrompt(false);
        break;
    case QEvent::FocusOut:
        if (watched == txtListSearch && txtListSearch->text().isEmpty())
            SetListSearchPrompt(true);
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}
