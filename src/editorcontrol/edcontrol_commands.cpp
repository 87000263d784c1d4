#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"
#include "editorcontrol/edutils.h"

#include <algorithm>
#include <vector>

using namespace EdControl;

namespace {

const QLatin1String CrLf("\r\n");
const QLatin1String CommentMark("--");

bool isBlankUnit(QChar Ch)
{
    return Ch == QLatin1Char(' ') || Ch == QLatin1Char('\t');
}

// Units that leading-blank trimming removes.
bool isLeadingBlank(QChar Ch)
{
    return Ch.unicode() <= 0x20 || Ch.unicode() == 0x3000;
}

int leadingBlankUnits(QStringView S)
{
    int i = 0;
    while (i < S.size() && isLeadingBlank(S[i]))
        ++i;
    return i;
}

// Blank cells of a row from cell Col on: spaces, tabs with their filler
// cells and ideographic spaces.
int blankCellsFrom(QStringView Text, QStringView Map, int Col)
{
    int c = std::max(0, Col);
    while (c < Map.size()) {
        if (Map[c] != QLatin1Char('3')) {
            const int index = CharIndexOfCol(Map, c);
            if (index >= Text.size() || !isLeadingBlank(Text[index]))
                break;
        }
        ++c;
    }
    return c - std::max(0, Col);
}

// Where a character boundary goes when "--" is put in front of a row, or
// taken out of it at At.
int shiftForInsert(int Boundary)
{
    return Boundary > 0 ? Boundary + 2 : Boundary;
}

int shiftForRemove(int Boundary, int At)
{
    if (Boundary >= At + 2)
        return Boundary - 2;
    return std::min(Boundary, At);
}

} // namespace

// ---- Indenting ----

void TEditor::SelTabIndent()
{
    indentRows(1, false);
}

void TEditor::SelTabUnIndent()
{
    indentRows(-1, false);
}

void TEditor::SelIndent()
{
    if (Selected())
        indentRows(1, true);
}

void TEditor::SelUnIndent()
{
    if (Selected())
        indentRows(-1, true);
}

void TEditor::indentRows(int Delta, bool Blank)
{
    if (!Selected())
        StartSelection();
    const int count = FList->Count();
    if (count == 0)
        return;
    const TCellMapOptions options = CellMapOptions();
    const int tab = FCaret->TabSpaceCount();
    const bool wrap = FList->WordWrap();
    const int wrapWidth = FList->WrapOption()->WrapByte();
    const bool soft = FCaret->SoftTab();
    const QString step = soft ? Blanks(tab) : QStringLiteral("\t");
    const int stepLength = int(step.size());
    auto wholeLine = [&](int r) {
        return !wrap || (FList->RowAttr(r) != raWrapped && !(r > 0 && FList->RowAttr(r - 1) == raWrapped));
    };
    auto fits = [&](QStringView Row) { return !wrap || ExpandTabLength(Row, options) < wrapWidth; };
    // Whether Row starts with an indent step at index I.
    auto stepAt = [&](QStringView Row, int I) {
        if (!soft)
            return I < Row.size() && Row[I] == QLatin1Char('\t');
        if (I + tab > Row.size())
            return false;
        for (int k = I; k < I + tab; ++k) {
            if (Row[k] != QLatin1Char(' '))
                return false;
        }
        return true;
    };
    auto withBreak = [&](int r, QString Row) {
        if (FList->RowAttr(r) == raCrlf)
            Row += CrLf;
        return Row;
    };

    if (FSelectionMode == smBox) {
        // Each row changes at the box's left column; the box keeps its columns.
        const int last = std::min(FSelDraw.Er, count - 1);
        QString text;
        for (int r = FSelDraw.Sr; r <= last; ++r) {
            QString s = FList->RowText(r);
            const QString map = CellMap(s, options);
            int p = FirstCharAtOrRightOfCol(map, FSelDraw.Sc) + 1;
            if (Blank) {
                int k = FSelDraw.Sc;
                if (isTabFiller(map, k)) {
                    // The tab itself is the row's first character in the box.
                    --p;
                    while (k > 0 && isTabFiller(map, k))
                        --k;
                } else if (isWideHalf(map, k)) {
                    ++k;
                }
                const bool reaches = s.size() >= p;
                const bool qualifies =
                    Delta > 0 ? reaches && wholeLine(r) && fits(s.left(p - 1) + QLatin1Char(' ') + s.mid(p - 1))
                              : reaches && isBlankUnit(s[p - 1]) && wholeLine(r);
                if (qualifies) {
                    const int blanks = blankCellsFrom(s, map, k);
                    s = s.left(p - 1) + Blanks(blanks + Delta) + TrimLeadingBlanks(QStringView(s).mid(p - 1));
                }
            } else if (Delta > 0) {
                if (s.size() >= p && wholeLine(r) && fits(s.left(p - 1) + step + s.mid(p - 1)))
                    s.insert(p - 1, step);
            } else if (s.size() >= p && stepAt(s, p - 1) && wholeLine(r)) {
                s.remove(p - 1, stepLength);
            }
            text += withBreak(r, s);
        }
        CaretHold caret(*this);
        replaceChangedRows(FSelDraw.Sr, last, text);
        return;
    }

    const int first = FSelStr.Sr;
    const int last = std::min(count - 1, FSelStr.Ec == -1 ? std::max(first, FSelStr.Er - 1) : FSelStr.Er);
    if (first > last)
        return;
    const bool anchorFirst = FSelStartRow < FSelStr.Er || (FSelStartRow == FSelStr.Er && FSelStartCol < FSelDraw.Ec);
    auto qualifies = [&](int r) {
        const QString &s = FList->RowText(r);
        if (Delta < 0)
            return !s.isEmpty() && (Blank ? isBlankUnit(s[0]) : stepAt(s, 0)) && wholeLine(r);
        if (Blank)
            return !wrap || (wholeLine(r) && fits(QLatin1Char(' ') + s));
        return !wrap || (wholeLine(r) && ExpandTabLength(s, options) + tab < wrapWidth);
    };
    // The row as the command leaves it.
    auto rebuilt = [&](const QString &s) {
        if (Blank)
            return Blanks(IndentWidth(s, options) + Delta) + TrimLeadingBlanks(s);
        return Delta > 0 ? step + s : s.mid(stepLength);
    };
    // The column a position of the row moves to: one indent step (never
    // into the new indentation), or after the blanks and the characters
    // before it once the indentation is rewritten.
    auto movedCol = [&](const QString &s, int Col, int Chars) {
        const int b = IndentWidth(s, options);
        if (!Blank)
            return std::max(b + Delta * tab, Col + Delta * tab);
        return std::max(b + Delta,
                        ExpandTabLength(Blanks(b + Delta) + TrimLeadingBlanks(QStringView(s).left(Chars)), options));
    };

    if (qualifies(first)) {
        const QString &s = FList->RowText(first);
        FSelDraw.Sc = movedCol(s, FSelDraw.Sc, FSelStr.Sc);
        FSelStr.Sc = CharIndexOfCol(CellMap(rebuilt(s), options), FSelDraw.Sc);
        if (anchorFirst) {
            FSelStartSi = FSelStr.Sc;
            FSelStartCol = FSelDraw.Sc;
        }
    }
    if (FSelStr.Ec != -1 && qualifies(last)) {
        const QString &s = FList->RowText(last);
        FSelDraw.Ec = movedCol(s, FSelDraw.Ec, FSelStr.Ec + 1);
        FSelStr.Ec = CharIndexOfCol(CellMap(rebuilt(s), options), FSelDraw.Ec) - 1;
        if (!anchorFirst) {
            FSelStartSi = FSelStr.Ec + 1;
            FSelStartCol = FSelDraw.Ec;
        }
    }
    int caretCol = FCol;
    if (FRow >= first && FRow <= last && qualifies(FRow))
        caretCol = movedCol(FList->RowText(FRow), FCol, charIndexAtCaret());
    QString text;
    for (int r = first; r <= last; ++r)
        text += withBreak(r, qualifies(r) ? rebuilt(FList->RowText(r)) : FList->RowText(r));
    {
        CaretHold caret(*this);
        replaceChangedRows(first, last, text);
        SetCol(caretCol);
    }
    if (first == last && FSelStr.Sc == FSelStr.Ec + 1)
        CleanSelection();
    else
        FSelOld = FSelDraw;
}

// ---- Comments ----

void TEditor::SelCommentOut()
{
    if (!Selected())
        StartSelection();
    if (FList->Count() == 0)
        return;
    if (FSelectionMode == smBox)
        commentBox();
    else
        commentLines();
}

void TEditor::commentBox()
{
    const int count = FList->Count();
    const TCellMapOptions options = CellMapOptions();
    const bool wrap = FList->WordWrap();
    const int wrapWidth = FList->WrapOption()->WrapByte();
    const int last = std::min(FSelDraw.Er, count - 1);
    // Rows that reach the box's left column, and where that is.
    std::vector<int> positions;
    bool commented = true;
    bool any = false;
    for (int r = FSelDraw.Sr; r <= last; ++r) {
        const QString &s = FList->RowText(r);
        const int p = FirstCharAtOrRightOfCol(CellMap(s, options), FSelDraw.Sc);
        const bool whole = !wrap || (FList->RowAttr(r) != raWrapped && !(r > 0 && FList->RowAttr(r - 1) == raWrapped));
        const bool eligible = p < s.size() && whole;
        positions.push_back(eligible ? p : -1);
        if (eligible) {
            any = true;
            if (!TrimLeadingBlanks(QStringView(s).mid(p)).startsWith(CommentMark))
                commented = false;
        }
    }
    if (!any)
        return;
    QString text;
    for (int r = FSelDraw.Sr; r <= last; ++r) {
        QString s = FList->RowText(r);
        const int p = positions[size_t(r - FSelDraw.Sr)];
        if (p >= 0) {
            if (commented) {
                s.remove(s.indexOf(CommentMark, p), 2);
            } else {
                QString changed = s;
                changed.insert(p, CommentMark);
                if (!wrap || ExpandTabLength(changed, options) < wrapWidth)
                    s = changed;
            }
        }
        if (FList->RowAttr(r) == raCrlf)
            s += CrLf;
        text += s;
    }
    CaretHold caret(*this);
    replaceChangedRows(FSelDraw.Sr, last, text);
}

void TEditor::commentLines()
{
    const int count = FList->Count();
    const TCellMapOptions options = CellMapOptions();
    const bool wrap = FList->WordWrap();
    const int wrapWidth = FList->WrapOption()->WrapByte();
    const bool selected = Selected();
    int first = FRow;
    int last = FRow;
    if (selected) {
        first = FSelStr.Sr;
        last = FSelStr.Ec == -1 ? std::max(first, FSelStr.Er - 1) : FSelStr.Er;
    }
    last = std::min(last, count - 1);
    if (first > last)
        return;
    auto wholeLine = [&](int r) {
        return !wrap || (FList->RowAttr(r) != raWrapped && !(r > 0 && FList->RowAttr(r - 1) == raWrapped));
    };
    // The block counts as commented when every row the command can change
    // starts with the mark after its indentation (rows of wrapped lines are
    // never changed, so they do not keep the mark from being taken out).
    bool commented = true;
    bool any = false;
    for (int r = first; r <= last; ++r) {
        if (!wholeLine(r))
            continue;
        any = true;
        const QString &s = FList->RowText(r);
        if (!QStringView(s).mid(leadingBlankUnits(s)).startsWith(CommentMark)) {
            commented = false;
            break;
        }
    }
    if (!any)
        return;
    // Per row: where the mark was taken out, 0 where it went in, -1 unchanged.
    std::vector<int> changes(size_t(last - first + 1), -1);
    QString text;
    std::vector<QString> rows;
    rows.reserve(changes.size());
    for (int r = first; r <= last; ++r) {
        QString s = FList->RowText(r);
        if (wholeLine(r)) {
            if (commented) {
                const int at = leadingBlankUnits(s);
                s.remove(at, 2);
                changes[size_t(r - first)] = at;
            } else if (!wrap || ExpandTabLength(QString(CommentMark + s), options) < wrapWidth) {
                s.prepend(CommentMark);
                changes[size_t(r - first)] = 0;
            }
        }
        rows.push_back(s);
        text += s;
        if (FList->RowAttr(r) == raCrlf)
            text += CrLf;
    }
    auto shifted = [&](int r, int Boundary) {
        const int change = changes[size_t(r - first)];
        if (change < 0)
            return Boundary;
        return commented ? shiftForRemove(Boundary, change) : shiftForInsert(Boundary);
    };
    auto colOf = [&](int r, int Index) { return ColOfCharIndex(CellMap(rows[size_t(r - first)], options), Index); };
    int caretCol = FCol;
    if (FRow >= first && FRow <= last && changes[size_t(FRow - first)] >= 0)
        caretCol = colOf(FRow, shifted(FRow, CharIndexOfCol(RowCellMap(FRow), FCol)));
    if (selected) {
        // The same characters stay selected.
        const bool anchorFirst =
            FSelStartRow < FSelStr.Er || (FSelStartRow == FSelStr.Er && FSelStartCol < FSelDraw.Ec);
        FSelStr.Sc = shifted(first, FSelStr.Sc);
        FSelDraw.Sc = colOf(first, FSelStr.Sc);
        if (FSelStr.Ec != -1) {
            FSelStr.Ec = shifted(last, FSelStr.Ec + 1) - 1;
            FSelDraw.Ec = colOf(last, FSelStr.Ec + 1);
        }
        if (anchorFirst) {
            FSelStartSi = FSelStr.Sc;
            FSelStartCol = FSelDraw.Sc;
        } else {
            FSelStartSi = FSelStr.Ec + 1;
            FSelStartCol = FSelDraw.Ec;
        }
    }
    {
        CaretHold caret(*this);
        replaceChangedRows(first, last, text);
        SetCol(caretCol);
    }
    if (selected) {
        if (FSelStr.Sr == FSelStr.Er && FSelStr.Sc == FSelStr.Ec + 1)
            CleanSelection();
        else
            FSelOld = FSelDraw;
    }
}

// ---- Rows and marks ----

void TEditor::DeleteRow(int Index)
{
    if (Index < 0 || Index >= FList->Count())
        return;
    if (SelectedData())
        CleanSelection();
    CaretHold caret(*this);
    UnderlineHold underline(*this);
    FList->ReplaceRows(Index, 1, QString());
    if (Index > 0 && RowAttrAt(*FList, Index - 1) == raEof)
        SetRowCol(Index - 1, RowCells(Index - 1));
    else
        SetRowCol(Index, 0);
}

namespace {

// The first row from the top that carries Mark, or -1.
int rowWithMark(const TEditorScreenStrings &List, TRowMark Mark)
{
    const TRowMarks bit = RowMarkBit(Mark);
    if (!(List.ValidRowMarks() & bit))
        return -1;
    for (int r = 0; r < List.Count(); ++r) {
        if (List.GetRowMarks(r) & bit)
            return r;
    }
    return -1;
}

} // namespace

void TEditor::PutRowMark(int Index, TRowMark Mark)
{
    if (Mark > rm15)
        return;
    if (Mark <= rm9) {
        const int r = rowWithMark(*FList, Mark);
        if (r >= 0)
            SetListRowMarks(r, ListRowMarks(r) & ~RowMarkBit(Mark));
    }
    if (Index >= 0 && Index < FList->Count())
        SetListRowMarks(Index, ListRowMarks(Index) | RowMarkBit(Mark));
}

void TEditor::DeleteRowMark(int Index, TRowMark Mark)
{
    if (Mark > rm15 || Index < 0 || Index >= FList->Count())
        return;
    SetListRowMarks(Index, ListRowMarks(Index) & ~RowMarkBit(Mark));
}

void TEditor::GotoRowMark(TRowMark Mark)
{
    if (Mark > rm15)
        return;
    const int r = rowWithMark(*FList, Mark);
    if (r < 0)
        return;
    if (r < FTopRow || r > FTopRow + FRowCount - 1)
        SetTopRow(r - FRowCount / 2);
    SetRow(r);
}

// ---- Undo ----

void TEditor::Undo()
{
    if (SelectedData())
        CleanSelection();
    FList->Undo();
}

void TEditor::Redo()
{
    if (SelectedData())
        CleanSelection();
    FList->Redo();
}

bool TEditor::CanUndo() const
{
    return EditorUndoObj()->CanUndo();
}

bool TEditor::CanRedo() const
{
    return EditorUndoObj()->CanRedo();
}

// ---- The text as a whole ----

void TEditor::Clear()
{
    FLines->Clear();
}

int TEditor::GetLineNumberCount() const
{
    const int count = FList->Count();
    if (count == 0)
        return 1;
    return FList->RowAttr(count - 1) == raEof ? count : count + 1;
}

int TEditor::GetTextLen() const
{
    int length = 0;
    for (int r = 0; r < FList->Count(); ++r)
        length += int(FList->RowText(r).size()) + (FList->RowAttr(r) == raCrlf ? 2 : 0);
    return length;
}

int TEditor::GetSelTextBuf(QChar *Buffer, int BufSize) const
{
    if (!Buffer || BufSize <= 0)
        return 0;
    const QString text = SelText();
    const int m = std::min(int(text.size()), BufSize - 1);
    std::copy(text.constBegin(), text.constBegin() + m, Buffer);
    Buffer[m] = QChar(0);
    return m;
}

void TEditor::ListToFile(const QString &FileName) const
{
    FList->SaveToFile(FileName);
}

void TEditor::ListToStream(QIODevice &Stream) const
{
    FList->SaveToStream(Stream);
}
