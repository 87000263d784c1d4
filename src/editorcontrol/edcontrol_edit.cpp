#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"

#include "editorcontrol/edutils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <optional>

using namespace EdControl;

namespace {

const QLatin1String CrLf("\r\n");

// Puts Line into Row before its 1-based position P, padding a shorter row
// with blanks up to P - 1 characters; returns the index after the line.
int putLineAt(QString &Row, int P, QStringView Line)
{
    const int at = std::max(0, P - 1);
    if (Row.size() < at)
        Row += Blanks(at - int(Row.size()));
    Row.insert(at, Line);
    return at + int(Line.size());
}

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

void TEditor::ClearSelection()
{
    DeleteSelection();
}

void TEditor::SelectAll()
{
    CaretHold caret(*this);
    SetSelStart(0);
    SetSelLength(GetTextLen());
}

void TEditor::HitToSelected()
{
    if (!HitSelected())
        return;
    if (FHitStyle == hsCaret)
        SetRowCol(FSelDraw.Er, FSelDraw.Ec);
    FSelectionState = sstSelected;
    // Shown in the selection's colours from now on.
    InvalidateRows(FSelDraw.Sr, FSelDraw.Er);
}

bool TEditor::CanSelDrag() const
{
    return !FReadOnly && Selected() && FSelectionMode == smLine && FCaret->SelMove();
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
            const QString map = CellMap(text, options);
            int start = 0;
            int count = 0;
            BoxRowRange(text, map, FSelDraw.Sc, FSelDraw.Ec, start, count);
            List.AppendRow(text.left(start) + text.mid(start + count), RowAttrAt(*FList, r));
            // A row shorter than the box keeps the box's column.
            List.PutData(List.Count() - 1, quintptr(FirstCharAtOrRightOfCol(map, FSelDraw.Sc) + 1));
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

bool TEditor::replaceChangedRows(int First, int Last, const QString &Text)
{
    const int count = FList->Count();
    if (First < count) {
        QString old;
        int rows = 0;
        TRowAttribute attribute = raInvalid;
        FList->GetRowsText(First, std::min(Last, count - 1) - First + 1, old, rows, attribute);
        if (old == Text)
            return false;
    } else if (Text.isEmpty()) {
        return false;
    }
    replaceRowRange(First, Last, Text);
    return true;
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
    std::optional<CaretHold> caret;
    std::optional<UnderlineHold> underline;
    if (FSelStr.Sr != FSelStr.Er) {
        caret.emplace(*this);
        underline.emplace(*this);
    }
    CleanSelection();
    replaceRowRange(first, last, text);
    SetRowColFromIndex(base, offset);
}

// ---- Replacing the selection ----

void TEditor::PutStringToLine(const QString &Source)
{
    putText(Source, FOverWrite);
}

void TEditor::putText(const QString &Source, bool Overwrite)
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
        } else if (Overwrite) {
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
    std::optional<UnderlineHold> underline;
    if (Source.contains(QLatin1Char('\r')) || Source.contains(QLatin1Char('\n')))
        underline.emplace(*this);
    replaceRowRange(first, last, text);
    SetRowColFromIndex(base, offset);
}

bool TEditor::replacementText(const QString &Buffer, QString &Text)
{
    if (FReadOnly)
        return false;
    const qsizetype nul = Buffer.indexOf(QChar(0));
    Text = nul < 0 ? Buffer : Buffer.left(nul);
    if (!Text.isEmpty())
        return true;
    if (Selected())
        DeleteSelection();
    else if (HitSelected())
        CleanSelection();
    return false;
}

void TEditor::SetSelTextBuf(const QString &Buffer)
{
    QString text;
    if (replacementText(Buffer, text))
        putText(text, false);
}

void TEditor::SetSelTextBox(const QString &Buffer)
{
    QString text;
    if (!replacementText(Buffer, text))
        return;
    const QList<QStringView> lines = SplitLines(text);
    const int n = int(lines.size());
    const int count = FList->Count();
    const TCellMapOptions options = CellMapOptions();
    TEditorStringList block;
    int first = FRow;
    int next = FRow;
    int column = FCol;
    int last = FRow - 1;
    if (Selected()) {
        first = FSelStr.Sr;
        next = FSelStr.Er + 1;
        column = FSelDraw.Sc;
        last = FSelStr.Er;
        RowsWithoutSelection(block);
    }
    int caretCol = 0;
    for (int j = 0; j < n; ++j) {
        QString row;
        int p = 0;
        if (j < block.Count()) {
            row = block.Get(j);
            p = int(block.GetData(j));
        } else if (next < count) {
            row = FList->RowText(next);
            p = FirstCharAtOrRightOfCol(CellMap(row, options), column) + 1;
            block.AppendRow(row, FList->RowAttr(next));
            ++next;
        } else {
            // Past the end of the text: a new row from the box's column.
            p = column + 1;
            block.AppendRow(QString(), raCrlf);
        }
        const int end = putLineAt(row, p, lines[j]);
        block.Put(j, row);
        if (j == n - 1)
            caretCol = ColOfCharIndex(CellMap(row, options), end);
    }
    // Every rebuilt row ends with a line break.
    for (int j = 0; j < block.Count(); ++j) {
        if (block.GetRows(j) == raEof)
            block.SetRows(j, raCrlf);
    }
    // The rows the lines went into (also those after a line selection's
    // last row) are the ones replaced.
    last = std::min(count - 1, std::max(last, next - 1));
    CaretHold caret(*this);
    UnderlineHold underline(*this);
    if (SelectedData())
        CleanSelection();
    replaceRowRange(first, last, JoinRows(block));
    SetRow(first + n - 1);
    SetCol(caretCol);
}

// ---- Dragged selections ----

void TEditor::CopySelection(int ARow, int ACol)
{
    if (!CanSelDrag() || IsSelectedArea(ARow, ACol)) {
        CleanSelection();
        return;
    }
    const QString text = SelText();
    CleanSelection();
    CaretHold caret(*this);
    SetRowCol(ARow, ACol);
    SetSelTextBuf(text);
}

void TEditor::MoveSelection(int ARow, int ACol)
{
    if (!CanSelDrag() || IsSelectedArea(ARow, ACol)) {
        CleanSelection();
        return;
    }
    const int count = FList->Count();
    auto withBreak = [&](int r, QString text) {
        if (r < count && FList->RowAttr(r) == raCrlf)
            text += CrLf;
        return text;
    };
    // Rows From .. To - 1 whole, with their breaks.
    auto wholeRows = [&](int From, int To) {
        QString text;
        for (int r = From; r < To; ++r)
            text += withBreak(r, RowTextAt(*FList, r));
        return text;
    };
    const TSelectedPosition sel = FSelStr;
    const TSelectedPosition draw = FSelDraw;
    const QString moving = SelText();
    const QString dropRow = RowTextAt(*FList, ARow);
    const int drop = CharIndexOfCol(CellMap(dropRow, CellMapOptions()), ACol);
    const QString prefix = dropRow.left(drop) + Blanks(drop - int(dropRow.size()));
    const QString suffix = withBreak(ARow, dropRow.mid(drop));
    const QString head = RowTextAt(*FList, sel.Sr).left(sel.Sc);
    const QString lastRow = RowTextAt(*FList, sel.Er);
    const QString tail = withBreak(sel.Er, lastRow.mid(sel.Ec + 1));
    const int first = std::min(draw.Sr, ARow);
    const int last = std::max(draw.Er, ARow);
    const int base = baseRowOf(first);
    QString text;
    int offset = 0;
    if (ARow < sel.Sr || (ARow == sel.Sr && ACol < draw.Sc)) {
        // Dropped before the selection.
        text = prefix + moving;
        if (ARow < sel.Sr)
            text += suffix + wholeRows(ARow + 1, sel.Sr) + head;
        else
            text += RowTextAt(*FList, sel.Sr).mid(drop, sel.Sc - drop);
        text += tail;
        offset = RowColToIndex(base, ARow, ACol) + int(moving.size());
    } else {
        // Dropped after it: the caret ends after the moved text.
        QString moved;
        if (ARow > sel.Er)
            moved = tail + wholeRows(sel.Er + 1, ARow) + prefix;
        else
            moved = lastRow.mid(sel.Ec + 1, drop - (sel.Ec + 1)) + Blanks(drop - int(lastRow.size()));
        moved += moving;
        text = head + moved + suffix;
        offset = RowColToIndex(base, draw.Sr, draw.Sc) + int(moved.size());
    }
    CleanSelection();
    CaretHold caret(*this);
    replaceRowRange(first, last, text);
    SetRowColFromIndex(base, offset);
}

// ---- Clipboard ----

void TEditor::CopyToClipboard()
{
    if (!Selected())
        return;
    const QString text = SelText();
    auto *data = new QMimeData;
    data->setText(text);
    if (FSelectionMode == smBox) {
        // The mark holds the text too, as UTF-16 with its terminating zero.
        data->setData(BoxClipboardMimeType,
                      QByteArray(reinterpret_cast<const char *>(text.utf16()), (text.size() + 1) * sizeof(char16_t)));
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

void TEditor::CutToClipboard()
{
    if (!Selected())
        return;
    CopyToClipboard();
    DeleteSelection();
}

void TEditor::PasteFromClipboard()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const QString text = data->text();
    if (data->hasFormat(BoxClipboardMimeType))
        SetSelTextBox(text);
    else
        SetSelTextBuf(text);
}
