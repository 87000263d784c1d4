// The search and replace commands of the SQL editor.

#include "sqleditor/zkmemo.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace {

IzkSearchDialogs *s_dialogs = nullptr;

constexpr TSearchOptions kDown = SearchOptionBit(sfrDown);
constexpr quint16 kFound = 6;
constexpr quint16 kNotFound = 7;

struct WaitCursor
{
    bool on = false;
    void set()
    {
        if (!on)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        on = true;
    }
    ~WaitCursor()
    {
        if (on)
            QGuiApplication::restoreOverrideCursor();
    }
};

} // namespace

void SetSearchDialogs(IzkSearchDialogs *Dialogs)
{
    s_dialogs = Dialogs;
}

IzkSearchDialogs *SearchDialogs()
{
    return s_dialogs;
}

IzkSearchDialogs *TzkMemo::dialogs() const
{
    return m_dialogs ? m_dialogs : s_dialogs;
}

void TzkMemo::notFound()
{
    if (!FbNotFindMsg)
        return;
    const QString text =
        QStringLiteral("検索文字列  「") + FSearchValue + QStringLiteral("」\r\nは見つかりませんでした。");
    if (IzkSearchDialogs *d = dialogs()) {
        d->ShowNotFound(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, window());
    box.exec();
}

void TzkMemo::ClearSearch(bool i_bSearchValCrear)
{
    SetHitText(QString());
    SetHitSelLength(0);
    CleanSelection();
    if (i_bSearchValCrear)
        FSearchValue.clear();
}

void TzkMemo::goTop()
{
    SetRowCol(0, 0);
    CleanSelection();
    FSearchOptions |= kDown;
}

void TzkMemo::goBottom()
{
    const int row = std::max(0, GetLineNumberCount() - 1);
    SetRowCol(row, RowCells(row));
    CleanSelection();
    FSearchOptions &= ~kDown;
}

bool TzkMemo::wrapCheck(bool Down) const
{
    if (FSearchValue.isEmpty())
        return false;
    TEditor scratch;
    scratch.SetWordWrap(false);
    scratch.Lines()->SetTextStr(Lines()->GetTextStr());
    if (Down) {
        scratch.SetRowCol(0, 0);
    } else {
        const int row = std::max(0, scratch.GetLineNumberCount() - 1);
        scratch.SetRowCol(row, scratch.RowCells(row));
    }
    const TSearchOptions options = Down ? (FSearchOptions | kDown) : (FSearchOptions & ~kDown);
    return scratch.Search(FSearchValue, options);
}

bool TzkMemo::researchFromEnd(bool Down)
{
    if (!FbResearch || !wrapCheck(Down))
        return false;
    if (Down)
        goTop();
    else
        goBottom();
    return Search(FSearchValue, FSearchOptions);
}

quint16 TzkMemo::searchAgain(bool Down)
{
    if (FSearchValue.isEmpty())
        return kNotFound;
    if (Down)
        FSearchOptions |= kDown;
    else
        FSearchOptions &= ~kDown;
    if (Search(FSearchValue, FSearchOptions) || researchFromEnd(Down))
        return kFound;
    notFound();
    return kNotFound;
}

quint16 TzkMemo::NextSearch()
{
    return searchAgain(true);
}

quint16 TzkMemo::PrevSearch()
{
    return searchAgain(false);
}

void TzkMemo::ShowSearchDialog()
{
    QString previous;
    if (Selected()) {
        previous = FSearchValue;
        FSearchValue = TEditor::SelText();
    }
    TSearchOptions options = 0;
    bool notFindMsg = FbNotFindMsg;
    bool research = FbResearch;
    IzkSearchDialogs *d = dialogs();
    if (!d || !d->ExecuteSearch(FSearchValue, options, notFindMsg, research)) {
        FSearchValue = previous;
        return;
    }
    FbNotFindMsg = notFindMsg;
    FbResearch = research;
    ClearSearch(false);
    const bool down = options & kDown;
    if (!(options & (SearchOptionBit(sfrMatchCase) | SearchOptionBit(sfrWholeWord))))
        SetHitText(FSearchValue);
    bool found = Search(FSearchValue, options);
    if (found && down && FSearchValue == previous)
        found = Search(FSearchValue, options);
    FSearchOptions = options;
    if (found || researchFromEnd(down))
        return;
    notFound();
}

// The hit becomes the selection and is replaced; the replacement stays
// selected, so the next search starts after it.
void TzkMemo::replaceHit()
{
    if (!Selected())
        HitToSelected();
    SetSelTextBuf(FReplaceValue);
    SetSelStart(SelStart() - int(FReplaceValue.size()));
    if (!Selected())
        SetSelLength(int(FReplaceValue.size()));
}

void TzkMemo::replaceAll()
{
    WaitCursor cursor;
    int replaced = 0;
    Lines()->BeginUpdate();
    try {
        SetRowCol(0, 0);
        CleanSelection();
        const TSearchOptions options = FSearchOptions | kDown;
        // Each search starts at the caret, which stands after the last
        // replacement: a replacement that contains the search text is not
        // found again, and no offset is counted from the top per hit.
        while (Search(FSearchValue, options)) {
            cursor.set();
            if (!Selected())
                HitToSelected();
            SetSelTextBuf(FReplaceValue);
            ++replaced;
        }
    } catch (...) {
        Lines()->EndUpdate();
        throw;
    }
    Lines()->EndUpdate();
    if (replaced == 0)
        notFound();
    ClearSearch(false);
}

void TzkMemo::ShowReplaceDialog()
{
    // Replacing changes nothing in a read-only text, so it would find the
    // same occurrence for ever.
    if (ReadOnly())
        return;
    IzkSearchDialogs *d = dialogs();
    WaitCursor cursor;
    FSearchOptions = kDown;
    FReplaceValue.clear();
    bool firstPass = true;
    QString previous;
    if (Selected()) {
        previous = FSearchValue;
        FSearchValue = TEditor::SelText();
    }
    for (;;) {
        const bool all = FSearchOptions & SearchOptionBit(sfrReplaceAll);
        const bool one = FSearchOptions & SearchOptionBit(sfrReplace);
        const bool confirm = FSearchOptions & SearchOptionBit(sfrReplaceConfirm);
        if (!(all || (one && !confirm))) {
            bool notFindMsg = FbNotFindMsg;
            bool research = FbResearch;
            TSearchOptions options = FSearchOptions;
            if (!d || !d->ExecuteReplace(FSearchValue, FReplaceValue, options, notFindMsg, research)) {
                if (firstPass)
                    FSearchValue = previous;
                break;
            }
            FSearchOptions = options;
            FbNotFindMsg = notFindMsg;
            FbResearch = research;
        }
        if (FSearchValue.isEmpty())
            break;
        if (FSearchOptions & (SearchOptionBit(sfrMatchCase) | SearchOptionBit(sfrWholeWord)))
            SetHitText(QString());
        else
            SetHitText(FSearchValue);
        const bool down = FSearchOptions & kDown;
        if (FSearchOptions & SearchOptionBit(sfrReplaceAll)) {
            replaceAll();
            break;
        }
        if (FSearchOptions & SearchOptionBit(sfrReplace)) {
            if (firstPass && !Selected()) {
                if (NextSearch() == kNotFound)
                    break;
                if (!Selected())
                    HitToSelected();
                firstPass = false;
            }
            cursor.set();
            replaceHit();
            if (Search(FSearchValue, FSearchOptions) || researchFromEnd(down))
                continue;
            notFound();
            break;
        }
        if ((down ? NextSearch() : PrevSearch()) == kFound) {
            firstPass = false;
            if (!Selected())
                HitToSelected();
        }
    }
}
