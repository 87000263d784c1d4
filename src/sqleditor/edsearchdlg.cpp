// The search and replace dialogs of the SQL editor.

#include "sqleditor/edsearchdlg.h"
#include "sqleditor/edreplacedlg.h"
#include "sqleditor/zkmemo.h"

#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "core/zkwindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <climits>

namespace {

constexpr int kHistoryMax = 32;
constexpr int kNoPosition = INT_MAX;
const QString kCrLf = QStringLiteral("\r\n");

QString sub(const QString &key, const char *name)
{
    return key + QLatin1Char('\\') + QLatin1String(name);
}

// Opens a key of the dialogs on the shared registry object; closed again by
// the destructor.
struct KeyGuard
{
    explicit KeyGuard(const QString &key) { open = zkReg && zkReg->OpenKey(key, true); }
    ~KeyGuard()
    {
        if (zkReg)
            zkReg->CloseKey();
    }
    bool open = false;
};

bool readBool(const QString &key, const char *name)
{
    KeyGuard k(key);
    return k.open && zkReg->GetBool(QLatin1String(name), false);
}

QStringList readHistory(const QString &key)
{
    KeyGuard k(key);
    if (!k.open || !zkReg->ValueExists(QStringLiteral("Text")))
        return {};
    return SearchHistoryFromText(zkReg->ReadString(QStringLiteral("Text")));
}

QComboBox *historyBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(16);
    box->setFont(QFont(QStringLiteral("ＭＳ ゴシック"), 10));
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return box;
}

QStringList items(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

void setItems(QComboBox *box, const QStringList &list)
{
    box->clear();
    box->addItems(list);
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

// The box's text goes first in its history, which the box then shows.
void remember(QComboBox *box)
{
    const QString text = box->currentText();
    QStringList list = items(box);
    AddSearchHistory(list, text);
    box->clear();
    box->addItems(list);
    box->setCurrentIndex(0);
}

QWidget *dialogOwner()
{
    if (zkMainForm && zkMainForm->Window())
        return zkMainForm->Window();
    return QApplication::activeWindow();
}

} // namespace

QString EditSearchKey()
{
    return ZK_REG_ROOT + QStringLiteral("\\EDITOR\\SEARCH");
}

QString EditReplaceKey()
{
    return ZK_REG_ROOT + QStringLiteral("\\EDITOR\\REPLACE");
}

void AddSearchHistory(QStringList &History, const QString &Text)
{
    const qsizetype at = History.indexOf(Text);
    if (at >= 0)
        History.removeAt(at);
    History.prepend(Text);
    while (History.size() > kHistoryMax)
        History.removeLast();
}

QString SearchHistoryToText(const QStringList &History)
{
    QString text;
    for (const QString &entry : History)
        text += entry + kCrLf;
    return text;
}

QStringList SearchHistoryFromText(const QString &Text)
{
    QStringList list = Text.split(kCrLf);
    if (!list.isEmpty() && list.constLast().isEmpty())
        list.removeLast();
    return list;
}

TSearchOptions ApplySearchButton(TSearchOptions Options, TSearchButton Button, bool Replace)
{
    const TSearchOptions down = SearchOptionBit(sfrDown);
    const TSearchOptions replace = SearchOptionBit(sfrReplace);
    const TSearchOptions all = SearchOptionBit(sfrReplaceAll);
    switch (Button) {
    case TSearchButton::FindNext:
        return Replace ? TSearchOptions((Options & ~(replace | all)) | down) : TSearchOptions(Options | down);
    case TSearchButton::FindPrev:
        return Options & (Replace ? TSearchOptions(~(replace | all | down)) : TSearchOptions(~down));
    case TSearchButton::Replace: return TSearchOptions((Options | replace) & ~all);
    case TSearchButton::AllReplace: return TSearchOptions((Options & ~replace) | all | down);
    }
    return Options;
}

TSearchOptions ApplySearchChecks(TSearchOptions Options, bool Replace, bool MatchCase, bool WholeWord, bool IncludeCRLF)
{
    auto put = [&Options](TSearchOption bit, bool on) {
        Options = on ? TSearchOptions(Options | SearchOptionBit(bit)) : TSearchOptions(Options & ~SearchOptionBit(bit));
    };
    put(sfrMatchCase, MatchCase);
    put(sfrWholeWord, WholeWord);
    put(sfrIncludeCRLF, IncludeCRLF);
    put(sfrIncludeSpace, IncludeCRLF);
    if (Replace)
        put(sfrReplaceConfirm, true);
    return Options;
}

// ---- TfrmEditSearchBase ----

TfrmEditSearchBase::TfrmEditSearchBase(bool Replace, QWidget *Owner)
    : QDialog(Owner)
    , m_replace(Replace)
{
    ZK_VER = QStringLiteral("ZKS25R");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));

    auto *texts = new QGridLayout;
    lblSearch = new QLabel(QStringLiteral("検索する文字列(&T):"), this);
    lblSearch->setObjectName(QStringLiteral("lblSearch"));
    cmbSearch = historyBox(this, "cmbSearch");
    lblSearch->setBuddy(cmbSearch);
    texts->addWidget(lblSearch, 0, 0);
    texts->addWidget(cmbSearch, 0, 1);
    if (Replace) {
        lblReplace = new QLabel(QStringLiteral("置換える文字列(&R):"), this);
        lblReplace->setObjectName(QStringLiteral("lblReplace"));
        cmbReplace = historyBox(this, "cmbReplace");
        lblReplace->setBuddy(cmbReplace);
        texts->addWidget(lblReplace, 1, 0);
        texts->addWidget(cmbReplace, 1, 1);
    }

    grpOption = new QGroupBox(QStringLiteral("オプション"), this);
    grpOption->setObjectName(QStringLiteral("grpOption"));
    auto check = [this](const char *name, const QString &caption) {
        auto *box = new QCheckBox(caption, grpOption);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    chkMatchCase = check("chkMatchCase", QStringLiteral("大/小文字の区別(&C)"));
    chkWholeWord = check("chkWholeWord", QStringLiteral("単語単位で探す(&W)"));
    chkIncludeCRLF = check("chkIncludeCRLF", QStringLiteral("改行・スペースを無視(&L)"));
    chkNotFindMsg = check("chkNotFindMsg", QStringLiteral("見つからない時にメッセージを表示する"));
    chkResearch = check("chkResearch", QStringLiteral("先頭（末尾）から再検索する"));
    auto *options = new QGridLayout(grpOption);
    options->setContentsMargins(8, 4, 8, 4);
    options->setVerticalSpacing(2);
    options->addWidget(chkMatchCase, 0, 0);
    options->addWidget(chkWholeWord, 1, 0);
    options->addWidget(chkIncludeCRLF, 2, 0);
    options->addWidget(chkNotFindMsg, 0, 1);
    options->addWidget(chkResearch, 1, 1);

    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    const QString ideo = QStringLiteral("\u3000");
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    if (Replace) {
        btnReplace = button("btnReplace", ideo + ideo + QStringLiteral("置換(&R)") + ideo + ideo + ideo);
        btnAllReplace = button("btnAllReplace", QStringLiteral("すべて置換(&A)"));
        btnFindPrev = button("btnFindPrev", QStringLiteral("上検索(&U)") + ideo);
        btnFindNext = button("btnFindNext", QStringLiteral("下検索(&N)") + ideo);
        btnReplace->setDefault(true);
        buttons->addWidget(btnReplace);
        buttons->addWidget(btnAllReplace);
    } else {
        btnFindPrev = button("btnFindPrev", QStringLiteral("前を検索(&U)") + ideo + ideo);
        btnFindNext = button("btnFindNext", QStringLiteral("次を検索(&N)") + ideo + ideo);
        btnFindNext->setDefault(true);
    }
    buttons->addWidget(btnFindNext);
    buttons->addWidget(btnFindPrev);
    btnCancel = button("btnCancel", QStringLiteral("キャンセル"));
    buttons->addWidget(btnCancel);
    buttons->addStretch();

    auto *left = new QVBoxLayout;
    left->addLayout(texts);
    left->addWidget(grpOption);
    left->addStretch();
    auto *top = new QHBoxLayout(this);
    top->setContentsMargins(8, 8, 8, 8);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    connect(btnFindNext, &QPushButton::clicked, this, [this] { TakeInput(TSearchButton::FindNext); });
    connect(btnFindPrev, &QPushButton::clicked, this, [this] { TakeInput(TSearchButton::FindPrev); });
    if (Replace) {
        connect(btnReplace, &QPushButton::clicked, this, [this] { TakeInput(TSearchButton::Replace); });
        connect(btnAllReplace, &QPushButton::clicked, this, [this] { TakeInput(TSearchButton::AllReplace); });
    }
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    const QSize hint = sizeHint();
    setFixedSize(std::max(534, hint.width()), std::max(Replace ? 175 : 139, hint.height()));
}

TSearchOptions TfrmEditSearchBase::GetOptions() const
{
    return ApplySearchChecks(L_wSearchOptions, m_replace, chkMatchCase->isChecked(), chkWholeWord->isChecked(),
                             chkIncludeCRLF->isChecked());
}

void TfrmEditSearchBase::LoadFormPosition()
{
    int top = kNoPosition;
    int left = kNoPosition;
    {
        KeyGuard k(ownKey());
        if (k.open) {
            top = zkReg->GetInteger(QStringLiteral("Top"), kNoPosition);
            left = zkReg->GetInteger(QStringLiteral("Left"), kNoPosition);
        }
    }
    const bool stored = top != kNoPosition || left != kNoPosition;
    PlaceForm(this, stored ? top : -1, stored ? left : -1);
}

void TfrmEditSearchBase::SaveFormPosition()
{
    KeyGuard k(ownKey());
    if (!k.open)
        return;
    zkReg->WriteInteger(QStringLiteral("Top"), y());
    zkReg->WriteInteger(QStringLiteral("Left"), x());
}

void TfrmEditSearchBase::LoadDialogSettings()
{
    const QString options = sub(ownKey(), "Options");
    const QString shared = sub(EditSearchKey(), "Options");
    chkMatchCase->setChecked(readBool(options, "MatchCase"));
    chkWholeWord->setChecked(readBool(options, "WholeWord"));
    chkIncludeCRLF->setChecked(readBool(options, "IncludeCRLF"));
    chkNotFindMsg->setChecked(readBool(shared, "NotFindMsg"));
    chkResearch->setChecked(readBool(shared, "Research"));
    setItems(cmbSearch, readHistory(sub(EditSearchKey(), "SearchItems")));
    if (cmbReplace)
        setItems(cmbReplace, readHistory(sub(EditReplaceKey(), "ReplaceItems")));
}

void TfrmEditSearchBase::SaveDialogSettings()
{
    auto writeBool = [](const QString &key, const char *name, bool value) {
        KeyGuard k(key);
        if (k.open)
            zkReg->WriteBool(QLatin1String(name), value);
    };
    auto writeHistory = [](const QString &key, const QComboBox *box) {
        KeyGuard k(key);
        if (k.open)
            zkReg->WriteString(QStringLiteral("Text"), SearchHistoryToText(items(box)));
    };
    const QString options = sub(ownKey(), "Options");
    const QString shared = sub(EditSearchKey(), "Options");
    writeBool(options, "MatchCase", chkMatchCase->isChecked());
    writeBool(options, "WholeWord", chkWholeWord->isChecked());
    writeBool(options, "IncludeCRLF", chkIncludeCRLF->isChecked());
    writeBool(shared, "NotFindMsg", chkNotFindMsg->isChecked());
    writeBool(shared, "Research", chkResearch->isChecked());
    writeHistory(sub(EditSearchKey(), "SearchItems"), cmbSearch);
    if (cmbReplace)
        writeHistory(sub(EditReplaceKey(), "ReplaceItems"), cmbReplace);
}

void TfrmEditSearchBase::TakeInput(TSearchButton Button)
{
    if (!cmbSearch->currentText().isEmpty()) {
        L_sSearchText = cmbSearch->currentText();
        remember(cmbSearch);
    }
    if (cmbReplace) {
        L_sReplaceText = cmbReplace->currentText();
        if (!L_sReplaceText.isEmpty())
            remember(cmbReplace);
    }
    L_bNotFindMsg = chkNotFindMsg->isChecked();
    L_bResearch = chkResearch->isChecked();
    SaveDialogSettings();
    L_wSearchOptions = ApplySearchButton(L_wSearchOptions, Button, m_replace);
    accept();
}

void TfrmEditSearchBase::done(int Result)
{
    SaveFormPosition();
    QDialog::done(Result);
}

bool TfrmEditSearchBase::run(const QString &SearchText, const QString &ReplaceText, TSearchOptions Options,
                             bool NotFindMsg, bool Research)
{
    LoadFormPosition();
    L_sSearchText = SearchText;
    L_sReplaceText = ReplaceText;
    L_wSearchOptions = Options;
    L_bNotFindMsg = NotFindMsg;
    L_bResearch = Research;
    LoadDialogSettings();
    if (!SearchText.isEmpty() && (!cmbReplace || !ReplaceText.isEmpty())) {
        cmbSearch->setEditText(SearchText);
        if (cmbReplace)
            cmbReplace->setEditText(ReplaceText);
    }
    cmbSearch->lineEdit()->selectAll();
    cmbSearch->setFocus();
    return exec() == QDialog::Accepted && !L_sSearchText.isEmpty();
}

// ---- TfrmEditSearch ----

TfrmEditSearch::TfrmEditSearch(QWidget *Owner)
    : TfrmEditSearchBase(false, Owner)
{
    setObjectName(QStringLiteral("frmEditSearch"));
    setWindowTitle(QStringLiteral("検索"));
}

bool TfrmEditSearch::Execute(QString &SearchText, TSearchOptions &SearchOptions, bool &NotFindMsg, bool &Research)
{
    TfrmEditSearch form(dialogOwner());
    if (!form.run(SearchText, QString(), SearchOptions, NotFindMsg, Research))
        return false;
    SearchText = form.L_sSearchText;
    SearchOptions = form.GetOptions();
    NotFindMsg = form.L_bNotFindMsg;
    Research = form.L_bResearch;
    return true;
}

// ---- TfrmEditReplace ----

TfrmEditReplace::TfrmEditReplace(QWidget *Owner)
    : TfrmEditSearchBase(true, Owner)
{
    setObjectName(QStringLiteral("frmEditReplace"));
    setWindowTitle(QStringLiteral("置換"));
}

bool TfrmEditReplace::Execute(QString &SearchText, QString &ReplaceText, TSearchOptions &SearchOptions,
                              bool &NotFindMsg, bool &Research)
{
    TfrmEditReplace form(dialogOwner());
    if (!form.run(SearchText, ReplaceText, SearchOptions, NotFindMsg, Research))
        return false;
    SearchText = form.L_sSearchText;
    ReplaceText = form.L_sReplaceText;
    SearchOptions = form.GetOptions();
    NotFindMsg = form.L_bNotFindMsg;
    Research = form.L_bResearch;
    return true;
}

// ---- the editors' dialogs ----

namespace {

class StandardDialogs : public IzkSearchDialogs
{
public:
    bool ExecuteSearch(QString &SearchText, TSearchOptions &SearchOptions, bool &NotFindMsg, bool &Research) override
    {
        return TfrmEditSearch::Execute(SearchText, SearchOptions, NotFindMsg, Research);
    }
    bool ExecuteReplace(QString &SearchText, QString &ReplaceText, TSearchOptions &SearchOptions, bool &NotFindMsg,
                        bool &Research) override
    {
        return TfrmEditReplace::Execute(SearchText, ReplaceText, SearchOptions, NotFindMsg, Research);
    }
    void ShowNotFound(const QString &Text) override
    {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), Text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }
};

} // namespace

IzkSearchDialogs *StandardSearchDialogs()
{
    static StandardDialogs dialogs;
    return &dialogs;
}
