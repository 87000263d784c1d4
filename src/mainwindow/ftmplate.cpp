// The SQL reference window and the reading of its reference files.

#include "mainwindow/ftmplate.h"
#include "core/zkwaitcursor.h"

#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "core/zkforms.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_text.h"
#include "core/zkwindows.h"
#include "platform/encoding/textencoding.h"
#include "platform/rtl/exceptions.h"
#include "sqleditor/zkmemo.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kCategoryMark = QStringLiteral("%%%");
const QString kHeaderOpen = QStringLiteral("【 ");
const QString kHeaderClose = QStringLiteral(" 】");
const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\TEMPLATE");
const QString kExtension = QStringLiteral(".tpl");
constexpr int kCategoryImage = 72;
constexpr int kEntryImage = 93;
constexpr int kChangeDelay = 50;

bool isBodyLine(const QString &line)
{
    return !IsTplHeader(line) && !IsTplCategory(line);
}

} // namespace

// --- Reference files -------------------------------------------------------------------------

bool IsTplCategory(const QString &line)
{
    return line.startsWith(kCategoryMark);
}

bool IsTplHeader(const QString &line)
{
    return line.startsWith(kHeaderOpen);
}

QString TplCategoryName(const QString &line)
{
    return line.mid(kCategoryMark.size());
}

QString TplHeaderTitle(const QString &line)
{
    const int close = line.indexOf(kHeaderClose, kHeaderOpen.size());
    return close < 0 ? QString() : line.mid(kHeaderOpen.size(), close - kHeaderOpen.size());
}

void TTplIndex::Build(const QStringList &lines)
{
    m_titles.clear();
    m_lines.clear();
    m_byTitle.clear();
    for (int i = 0; i < lines.size(); ++i) {
        if (!IsTplHeader(lines[i]))
            continue;
        const QString title = TplHeaderTitle(lines[i]);
        // The first header of a title wins.
        const QString key = title.toCaseFolded();
        if (!m_byTitle.contains(key))
            m_byTitle.insert(key, int(m_titles.size()));
        m_titles.append(title);
        m_lines.append(i);
    }
}

int TTplIndex::Find(const QString &title) const
{
    return m_byTitle.value(title.toCaseFolded(), -1);
}

void CollectTplEntries(const QStringList &lines, const TTplIndex &index, int first,
                       const std::function<bool(int item)> &visit)
{
    if (first < 0 || first >= index.Count())
        return;
    // An explicit stack, so a long chain of references in a user's file
    // cannot exhaust the call stack. Each frame resumes inside its line: a
    // referenced entry is collected at once, then the rest of the line.
    struct Frame
    {
        int line;
        int pos;
    };
    std::vector<bool> taken(size_t(index.Count()), false);
    std::vector<Frame> stack;
    taken[size_t(first)] = true;
    if (!visit(first))
        return;
    stack.push_back({index.Line(first) + 1, 0});
    while (!stack.empty()) {
        Frame &f = stack.back();
        if (f.line >= lines.size() || !isBodyLine(lines[f.line])) {
            stack.pop_back();
            continue;
        }
        const QString &line = lines[f.line];
        const int open = line.indexOf(QLatin1Char('<'), f.pos);
        const int close = open < 0 ? -1 : line.indexOf(QLatin1Char('>'), open + 1);
        if (close < 0) {
            ++f.line;
            f.pos = 0;
            continue;
        }
        f.pos = close + 1;
        const int item = index.Find(line.mid(open + 1, close - open - 1));
        if (item < 0 || taken[size_t(item)])
            continue;
        taken[size_t(item)] = true;
        if (!visit(item))
            return;
        stack.push_back({index.Line(item) + 1, 0}); // f is not used after this
    }
}

QVector<int> CollectTplEntries(const QStringList &lines, const TTplIndex &index, int first)
{
    QVector<int> items;
    CollectTplEntries(lines, index, first, [&items](int item) {
        items.append(item);
        return true;
    });
    return items;
}

namespace {

// Calls `line` for the header and body lines of index item `item`.
template<typename F>
bool forEntryLines(const QStringList &lines, const TTplIndex &index, int item, F &&line)
{
    int i = index.Line(item);
    if (!line(i, true))
        return false;
    for (++i; i < lines.size() && isBodyLine(lines[i]); ++i)
        if (!line(i, false))
            return false;
    return true;
}

} // namespace

TTplText AssembleTplText(const QStringList &lines, const TTplIndex &index, int item)
{
    TTplText text;
    CollectTplEntries(lines, index, item, [&](int entry) {
        forEntryLines(lines, index, entry, [&](int i, bool header) {
            text.Lines.append(lines[i]);
            text.Objects.append(header ? kTplHeaderObject : 0);
            return true;
        });
        return true;
    });
    return text;
}

bool TplEntryContains(const QStringList &lines, const TTplIndex &index, int item, const QString &search)
{
    bool found = false;
    // Lines are compared one by one: the search text never holds a line break.
    CollectTplEntries(lines, index, item, [&](int entry) {
        forEntryLines(lines, index, entry, [&](int i, bool) {
            found = lines[i].contains(search, Qt::CaseSensitive);
            return !found;
        });
        return !found;
    });
    return found;
}

QVector<TTplNode> BuildTplTree(const QStringList &lines, const TTplIndex &index, const QString &search)
{
    QVector<TTplNode> nodes;
    TTplNode *category = nullptr;
    int item = 0;
    for (const QString &line : lines) {
        if (IsTplCategory(line)) {
            nodes.append({TplCategoryName(line), true, {}});
            category = &nodes.last();
        } else if (IsTplHeader(line)) {
            const int entry = item++;
            // The node's text names the entry; its first header gives the text.
            const QString title = index.Title(entry);
            if (!search.isEmpty() && !TplEntryContains(lines, index, index.Find(title), search))
                continue;
            if (category)
                category->Entries.append(title);
            else
                nodes.append({title, false, {}});
        }
    }
    return nodes;
}

QStringList FindTplFiles(const QString &folder)
{
    QStringList names;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &file : files)
        if (file.isFile() && file.fileName().endsWith(kExtension, Qt::CaseInsensitive)
            && file.fileName().size() > kExtension.size())
            names.append(file.fileName());
    return names;
}

// --- The window ------------------------------------------------------------------------------

TfrmTemplate *TfrmTemplate::ShowWindow(const QString &SelectWord)
{
    QWidget *owner = zkMainForm ? zkMainForm->Window() : nullptr;
    auto *form = new TfrmTemplate(owner);
    try {
        form->ListVersions();
        form->txtFind->setText(TrimBlanks(SelectWord).toUpper());
        form->LoadTemplate();
    } catch (...) {
        form->m_layoutSaved = true; // never shown: nothing to remember
        delete form;
        throw;
    }
    form->txtFind->setFocus();
    form->RestoreLayout();
    form->show();
    return form;
}

QString TfrmTemplate::FocusedSelText()
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (auto *editor = qobject_cast<TEditor *>(w))
            return editor->SelText();
    return QString();
}

TfrmTemplate::TfrmTemplate(QWidget *owner)
    : QWidget(owner, Qt::Window)
{
    // A window of its own above the main window (its owner), not above
    // every program.
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmTemplate"));
    setWindowTitle(QStringLiteral("SQLリファレンス"));
    if (zkMainForm && zkMainForm->imgMain())
        setWindowIcon(zkMainForm->imgMain()->Icon(kEntryImage));
    resize(720, 520);
    CreateControls();
}

TfrmTemplate::~TfrmTemplate()
{
    if (!m_layoutSaved)
        SaveLayout();
}

void TfrmTemplate::CreateControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splMain = new QSplitter(Qt::Horizontal, this);
    splMain->setObjectName(QStringLiteral("splMain"));
    layout->addWidget(splMain);

    pnlLeft = new QWidget(splMain);
    pnlLeft->setObjectName(QStringLiteral("pnlLeft"));
    pnlLeft->setMinimumWidth(30);
    auto *left = new QVBoxLayout(pnlLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);

    pnlTop = new QWidget(pnlLeft);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFixedHeight(54);
    lblVersion = new QLabel(QStringLiteral("Ver."), pnlTop);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->move(4, 6);
    cmbVersion = new QComboBox(pnlTop);
    cmbVersion->setObjectName(QStringLiteral("cmbVersion"));
    cmbVersion->move(40, 2);
    lblFind = new QLabel(QStringLiteral("検索"), pnlTop);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    lblFind->move(4, 32);
    txtFind = new TzkStrEdit(pnlTop);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->SetCharCase(ecUpperCase);
    txtFind->SetAutoSave(true);
    txtFind->move(40, 28);
    txtFind->installEventFilter(this);
    pnlTop->installEventFilter(this);
    left->addWidget(pnlTop);

    lstTemplate = new TzkTreeView(pnlLeft);
    lstTemplate->setObjectName(QStringLiteral("lstTemplate"));
    if (zkMainForm)
        lstTemplate->SetImages(zkMainForm->imgMain());
    lstTemplate->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstTemplate->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstTemplate->ChangeDelay = kChangeDelay;
    lstTemplate->OnChange = [this](TzkTreeNode *node) { lstTemplateChange(node); };
    left->addWidget(lstTemplate);

    txtSQL = new TzkMemo(splMain);
    txtSQL->setObjectName(QStringLiteral("txtSQL"));
    TzkForm::ApplyControlSettings(txtSQL);
    if (TEditorBracketCollection *brackets = txtSQL->View()->Brackets(); brackets->Count() > 0) {
        brackets->GetBracketItem(0)->SetLeftBracket(QStringLiteral("［"));
        brackets->GetBracketItem(0)->SetRightBracket(QStringLiteral("］"));
    }
    txtSQL->SetReadOnly(true);

    splMain->addWidget(pnlLeft);
    splMain->addWidget(txtSQL);
    splMain->setStretchFactor(1, 1);
    splMain->setSizes({220, 500});

    connect(cmbVersion, &QComboBox::activated, this, [this] { cmbVersionChange(); });
}

bool TfrmTemplate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFind && event->type() == QEvent::FocusOut)
        txtFindExit();
    else if (watched == pnlTop && event->type() == QEvent::Resize) {
        const int width = std::max(20, pnlTop->width() - 44);
        cmbVersion->resize(width, cmbVersion->sizeHint().height());
        txtFind->resize(width, txtFind->sizeHint().height());
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmTemplate::closeEvent(QCloseEvent *event)
{
    SaveLayout();
    m_layoutSaved = true;
    QWidget::closeEvent(event);
}

void TfrmTemplate::ListVersions()
{
    QStringList files = FindTplFiles(ProgramPath);
    std::sort(files.begin(), files.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    cmbVersion->clear();
    for (const QString &file : files)
        cmbVersion->addItem(file.chopped(kExtension.size()).toUpper(), file);
    if (files.size() < 2) {
        lblVersion->hide();
        cmbVersion->hide();
        txtFind->move(txtFind->x(), 2);
        lblFind->move(lblFind->x(), 6);
        pnlTop->setFixedHeight(28);
    }
    cmbVersion->setCurrentIndex(cmbVersion->count() - 1);
}

void TfrmTemplate::LoadTemplate()
{
    // The shown name is upper-cased; the file is loaded by its real name.
    const QString file = cmbVersion->currentData().toString();
    const QString path = ProgramPath + (file.isEmpty() ? cmbVersion->currentText() + kExtension : file);
    QString text = ReadTextFile(path, TEncoding::GetANSI());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    FTplData = text.split(QLatin1Char('\n'));
    // A file ending in a line break has no further line.
    if (!FTplData.isEmpty() && FTplData.last().isEmpty())
        FTplData.removeLast();
    FIndex.Build(FTplData);
    BuildTree();
}

void TfrmTemplate::BuildTree()
{
    TSQLWaitCursor wait;
    lstTemplate->OnChange = nullptr;
    lstTemplate->ChangeDelay = 0;
    lstTemplate->BeginUpdate();
    lstTemplate->Clear();
    const QString search = TrimBlanks(txtFind->text());
    const QVector<TTplNode> nodes = BuildTplTree(FTplData, FIndex, search);
    TzkTreeNode *lastCategory = nullptr;
    for (const TTplNode &n : nodes) {
        TzkTreeNode *node = lstTemplate->AddChild(nullptr, n.Text, n.Category ? kCategoryImage : kEntryImage);
        node->SetSelectedIndex(node->ImageIndex());
        for (const QString &entry : n.Entries)
            lstTemplate->AddChild(node, entry, kEntryImage)->SetSelectedIndex(kEntryImage);
        if (n.Category) {
            if (lastCategory)
                lastCategory->Expand();
            lastCategory = node;
        }
    }
    if (lastCategory)
        lastCategory->Expand();
    lstTemplate->EndUpdate();

    m_shown = {};
    txtSQL->Lines()->Clear();
    if (lstTemplate->TopCount() > 0) {
        TzkTreeNode *first = lstTemplate->TopItem(0);
        lstTemplate->scrollToTop();
        lstTemplate->SetSelected(first);
        const QString word = txtFind->text();
        // Depth first: a category, then its entries.
        std::function<bool(TzkTreeNode *)> select = [&](TzkTreeNode *node) {
            if (!word.isEmpty() && node->Text().contains(word, Qt::CaseSensitive)) {
                lstTemplate->SetSelected(node);
                node->MakeVisible();
                ShowNode(node);
                return true;
            }
            for (int i = 0; i < node->Count(); ++i)
                if (select(node->Item(i)))
                    return true;
            return false;
        };
        for (int i = 0; i < lstTemplate->TopCount(); ++i)
            if (select(lstTemplate->TopItem(i)))
                break;
    }
    lstTemplate->ChangeDelay = kChangeDelay;
    lstTemplate->OnChange = [this](TzkTreeNode *node) { lstTemplateChange(node); };
}

void TfrmTemplate::ShowNode(TzkTreeNode *node)
{
    TSQLWaitCursor wait;
    m_shown = {};
    // A category node has no text; an entry shows the first entry of its title.
    if (node && !(node->Level() == 0 && node->ImageIndex() == kCategoryImage))
        m_shown = AssembleTplText(FTplData, FIndex, FIndex.Find(node->Text()));
    txtSQL->Lines()->BeginUpdate();
    txtSQL->Lines()->Clear();
    for (const QString &line : m_shown.Lines)
        txtSQL->Lines()->Add(line);
    txtSQL->Lines()->EndUpdate();
    try {
        txtSQL->SetRowCol(0, 0);
    } catch (const std::exception &) {
        // The caret stays where the editor put it.
    }
}

void TfrmTemplate::txtFindExit()
{
    if (txtFind->IsChanged()) {
        txtFind->Save();
        BuildTree();
    }
}

void TfrmTemplate::lstTemplateChange(TzkTreeNode *node)
{
    if (node)
        ShowNode(node);
}

void TfrmTemplate::cmbVersionChange()
{
    LoadTemplate();
}

void TfrmTemplate::RestoreLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    // A stored minimised window opens normal.
    if (reg.GetInteger(QStringLiteral("WindowState"), 0) == 2) {
        setWindowState(Qt::WindowMaximized);
        return;
    }
    setWindowState(Qt::WindowNoState);
    resize(reg.GetInteger(QStringLiteral("Width"), width()), reg.GetInteger(QStringLiteral("Height"), height()));
    const bool stored = reg.ValueExists(QStringLiteral("Left")) && reg.ValueExists(QStringLiteral("Top"));
    PlaceForm(this, stored ? reg.GetInteger(QStringLiteral("Top"), y()) : -1,
              stored ? reg.GetInteger(QStringLiteral("Left"), x()) : -1);
}

void TfrmTemplate::SaveLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    const int state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    reg.WriteInteger(QStringLiteral("WindowState"), state);
    if (state != 0)
        return;
    reg.WriteInteger(QStringLiteral("Left"), x());
    reg.WriteInteger(QStringLiteral("Top"), y());
    reg.WriteInteger(QStringLiteral("Width"), width());
    reg.WriteInteger(QStringLiteral("Height"), height());
}
