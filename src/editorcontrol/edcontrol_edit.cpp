#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"

#include <algorithm>

using namespace EdControl;

namespace {

const QLatin1String CrLf("\r\n");

} // namespace

// ---- Selection ----

void TEditor::StartSelection()
{
    if (!FKeyDownAltKey) {
        SetSelectionMode(FDefaultSelectMode);
        FCaret->SetFreeCaret(FDefaultCaretFreeCaret);
    } else if (FDefaultSelectMode == smBox) {
        SetSelectionMode(smLine);
        FCaret->SetFreeCaret(FDefaultCaretFreeCaret);
    } else {
        SetSelectionMode(smBox);
        FCaret->SetFreeCaret(true);
    }
    if (SelectedData())
        CleanSelection();
    if (FList->Count() == 0)
        return;
    FSelectionState = sstInit;
    FSelStartRow = FRow;
    FSelStartSi = charIndexAtCaret();
    FSelStartCol = FSelectionMode == smBox ? FCol : std::min(FCol, RowCells(FRow));
    FSelStr = {FRow, FRow, FSelStartSi, FSelStartSi};
    FSelDraw = {FRow, FRow, FSelStartCol, FSelStartCol};
    FSelOld = FSelDraw;
}

void TEditor::ExtendSelection()
{
    if (FSelectionState == sstInit)
        ConfirmSelection();
    else if (FSelectionState == sstSelected)
        UpdateSelection();
}

void TEditor::ConfirmSelection()
{
    if (FSelectionState != sstInit)
        return;
    // The caret-row underline stays hidden while a selection is shown.
    BeginUnderlineUpdate();
    FSelectionState = FHitSelecting ? sstHitSelected : sstSelected;
    UpdateSelection();
}

void TEditor::UpdateSelection()
{
    if (!SelectedData())
        return;
    const int c = charIndexAtCaret();
    FSelStr.Sr = std::min(FSelStartRow, FRow);
    FSelStr.Er = std::max(FSelStartRow, FRow);
    if ((FSelStartRow == FRow && FSelStartSi < c) || FSelStartRow < FRow) {
        FSelStr.Sc = FSelStartSi;
        FSelStr.Ec = c - 1;
    } else {
        FSelStr.Sc = c;
        FSelStr.Ec = FSelStartSi - 1;
    }
    FSelDraw.Sr = FSelStr.Sr;
    FSelDraw.Er = FSelStr.Er;
    if (FSelectionMode == smBox) {
        FSelDraw.Sc = std::min(FSelStartCol, FCol);
        FSelDraw.Ec = std::max(FSelStartCol, FCol);
    } else if (FSelStartRow == FRow) {
        const int w = RowCells(FRow);
        FSelDraw.Sc = std::min(std::min(FSelStartCol, FCol), w);
        FSelDraw.Ec = std::min(std::max(FSelStartCol, FCol), w);
    } else if (FSelStartRow < FRow) {
        FSelDraw.Sc = std::min(FSelStartCol, RowCells(FSelStartRow));
        FSelDraw.Ec = std::min(FCol, RowCells(FRow));
    } else {
        FSelDraw.Sc = std::min(FCol, RowCells(FRow));
        FSelDraw.Ec = std::min(FSelStartCol, RowCells(FSelStartRow));
    }
    if (SelectedDraw() && isVisible()) {
        // Repaint the rows whose selected part changed: between the old and
        // the new start, and between the old and the new end (all rows of a
        // box, whose columns span every row).
        if (FSelectionMode == smBox) {
            InvalidateRows(std::min(FSelOld.Sr, FSelDraw.Sr), std::max(FSelOld.Er, FSelDraw.Er));
        } else {
            if (FSelOld.Sr != FSelDraw.Sr || FSelOld.Sc != FSelDraw.Sc)
                InvalidateRows(FSelOld.Sr, FSelDraw.Sr);
            if (FSelOld.Er != FSelDraw.Er || FSelOld.Ec != FSelDraw.Ec)
                InvalidateRows(FSelOld.Er, FSelDraw.Er);
        }
        FSelOld = FSelDraw;
    }
    DoSelectionChange(true);
}

void TEditor::CleanSelection()
{
    if (!SelectedData())
        return;
    FSelectionState = sstNone;
    FHitSelLength = 0;
    if (FSelDraw.Sr != FSelDraw.Er || FSelDraw.Sc != FSelDraw.Ec) {
        const int sr = std::clamp(FSelDraw.Sr, FTopRow, FTopRow + FRowCount);
        const int er = std::clamp(FSelDraw.Er, FTopRow, FTopRow + FRowCount);
        InvalidateRows(sr - 1, er + 1);
    }
    EndUnderlineUpdate();
    FColKeeping = false;
    FKeyDownAltKey = false;
    DoSelectionChange(false);
}

bool TEditor::IsSelectedArea(int ARow, int ACol) const
{
    if (!Selected() || ARow < FSelDraw.Sr || ARow > FSelDraw.Er)
        return false;
    if (FSelectionMode == smBox)
        return FSelDraw.Sc <= ACol && ACol < FSelDraw.Ec;
    if (ARow == FSelDraw.Sr && ACol < FSelDraw.Sc)
        return false;
    if (ARow == FSelDraw.Er && ACol > FSelDraw.Ec - 1)
        return false;
    return true;
}

bool TEditor::CanSelDrag() const
{
    return false;
}

void TEditor::RowsWithoutSelection(TEditorStringList &List) const
{
    List.Clear();
    if (!Selected())
        return;
    const TCellMapOptions options = CellMapOptions();
    if (FSelectionMode == smBox) {
        for (int r = FSelDraw.Sr; r <= FSelDraw.Er; ++r) {
            const QString text = RowTextAt(*FList, r);
            int start = 0;
            int count = 0;
            BoxRowRange(text, CellMap(text, options), FSelDraw.Sc, FSelDraw.Ec, start, count);
            List.AppendRow(text.left(start) + text.mid(start + count), RowAttrAt(*FList, r));
            List.PutData(List.Count() - 1, quintptr(start + 1));
        }
        return;
    }
    QString text = RowTextAt(*FList, FSelStr.Sr).left(FSelStr.Sc);
    if (FSelStr.Er < FList->Count())
        text += FList->RowText(FSelStr.Er).mid(FSelStr.Ec + 1);
    List.AppendRow(text, RowAttrAt(*FList, FSelStr.Er));
    List.PutData(0, quintptr(FSelStr.Sc + 1));
}

void TEditor::replaceRowRange(int First, int Last, const QString &Text)
{
    const int count = FList->Count();
    if (First >= count)
        FList->ReplaceRows(count, 0, Text);
    else
        FList->ReplaceRows(First, std::min(Last, count - 1) - First + 1, Text);
}

void TEditor::DeleteSelection()
{
    if (!Selected())
        return;
    const int first = FSelStr.Sr;
    const int base = baseRowOf(first);
    // A box whose left column lies past its first row's end leaves the caret
    // at that row's end.
    const int offset = RowColToIndex(base, FSelDraw.Sr, std::min(FSelDraw.Sc, RowCells(FSelDraw.Sr)));
    const int last = std::min(FSelStr.Er, FList->Count() - 1);
    TEditorStringList rows;
    RowsWithoutSelection(rows);
    const QString text = JoinRows(rows);
    const bool multiRow = FSelStr.Sr != FSelStr.Er;
    if (multiRow) {
        BeginCaretUpdate();
        BeginUnderlineUpdate();
    }
    try {
        CleanSelection();
        replaceRowRange(first, last, text);
        SetRowColFromIndex(base, offset);
    } catch (...) {
        if (multiRow) {
            EndUnderlineUpdate();
            EndCaretUpdate();
        }
        throw;
    }
    if (multiRow) {
        EndUnderlineUpdate();
        EndCaretUpdate();
    }
}

// ---- Typing ----

void TEditor::PutStringToLine(const QString &Source)
{
    if (Source.isEmpty())
        return;
    const int n = int(Source.size());
    const TCellMapOptions options = CellMapOptions();
    int first = FRow;
    int last = FRow;
    int base = 0;
    int offset = 0;
    QString text;
    if (Selected()) {
        first = FSelStr.Sr;
        last = FSelStr.Er;
        base = baseRowOf(first);
        offset = RowColToIndex(base, FSelDraw.Sr, std::min(FSelDraw.Sc, RowCells(FSelDraw.Sr))) + n;
        TEditorStringList rows;
        RowsWithoutSelection(rows);
        if (rows.Count() > 0) {
            QString row = rows.Get(0);
            const int at = std::clamp(int(rows.GetData(0)) - 1, 0, int(row.size()));
            row.insert(at, Source);
            rows.Put(0, row);
        }
        text = JoinRows(rows);
    } else {
        base = baseRowOf(FRow);
        offset = RowColToIndex(base, FRow, FCol) + n;
        const QString s = RowTextAt(*FList, FRow);
        const QString map = CellMap(s, options);
        const int c = CharIndexOfCol(map, FCol);
        if (c >= s.size()) {
            text = s + Blanks(c - int(s.size())) + Source;
        } else if (FOverWrite) {
            text = s.left(c) + Source;
            // The typed characters cover one cell each.
            int t = FCol + n;
            QString current = s;
            QString currentMap = map;
            while (t >= currentMap.size() && RowAttrAt(*FList, last) == raWrapped && last + 1 < FList->Count()) {
                t -= int(currentMap.size());
                ++last;
                current = FList->RowText(last);
                currentMap = CellMap(current, options);
            }
            const int c2 = CharIndexOfCol(currentMap, t);
            if (isWideHalf(currentMap, t))
                text += QLatin1Char(' ') + current.mid(c2 + 1);
            else
                text += current.mid(c2);
        } else {
            text = s;
            text.insert(c, Source);
        }
        if (RowAttrAt(*FList, last) == raCrlf && last < FList->Count())
            text += CrLf;
    }
    if (SelectedData())
        CleanSelection();
    CaretHold caret(*this);
    replaceRowRange(first, last, text);
    SetRowColFromIndex(base, offset);
}
