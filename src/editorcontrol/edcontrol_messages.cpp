#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"

#include <algorithm>

using namespace EdControl;

int TEditor::rowStartOffset(int ARow) const
{
    int offset = 0;
    const int rows = std::min(ARow, FList->Count());
    for (int r = 0; r < rows; ++r) {
        const TRowAttribute attribute = FList->RowAttr(r);
        offset += int(FList->RowText(r).size()) + (attribute == raCrlf ? 2 : attribute == raEof ? 1 : 0);
    }
    return offset;
}

int TEditor::rowOfOffset(int Offset, int *Rest) const
{
    const int count = FList->Count();
    int rest = Offset;
    int r = 0;
    for (; r < count; ++r) {
        const TRowAttribute attribute = FList->RowAttr(r);
        const int length = int(FList->RowText(r).size()) + (attribute == raCrlf ? 2 : attribute == raEof ? 1 : 0);
        if (rest < length || attribute == raEof)
            break;
        rest -= length;
    }
    if (Rest)
        *Rest = rest;
    return r;
}

bool TEditor::EMCanUndo() const
{
    return !FReadOnly && CanUndo();
}

int TEditor::EMCharFromPos(const QPoint &Pos, int *ARow) const
{
    if (ARow)
        *ARow = -1;
    if (!viewport()->rect().contains(Pos))
        return -1;
    int row = 0;
    int col = 0;
    PosToRowCol(Pos.x(), Pos.y(), row, col, true);
    // Below the text: its last row.
    const int count = FList->Count();
    const int lastRow = count > 0 && FList->RowAttr(count - 1) == raEof ? count - 1 : count;
    row = std::clamp(row, 0, lastRow);
    const QString text = RowTextAt(*FList, row);
    const QString map = CellMap(text, CellMapOptions());
    if (isWideHalf(map, col))
        --col;
    const int index = std::min(int(text.size()), CharIndexOfCol(map, col));
    if (ARow)
        *ARow = row;
    return rowStartOffset(row) + index;
}

void TEditor::EMEmptyUndoBuffer()
{
    if (!FReadOnly)
        EditorUndoObj()->Clear();
}

QString TEditor::EMGetLine(int ARow, int MaxLength) const
{
    if (ARow < 0 || ARow >= FList->Count() || MaxLength <= 0)
        return QString();
    return FList->RowText(ARow).left(MaxLength);
}

void TEditor::EMGetSel(int &Start, int &End) const
{
    Start = SelStart();
    End = Start + SelLength();
}

int TEditor::EMLineFromChar(int Offset) const
{
    if (Offset == -1)
        return SelectedData() ? FSelStr.Sr : FRow;
    return rowOfOffset(Offset);
}

int TEditor::EMLineIndex(int ARow) const
{
    const int row = ARow == -1 ? FRow : ARow;
    if (row < 0 || row >= FList->Count())
        return -1;
    return rowStartOffset(row);
}

int TEditor::EMLineLength(int Offset) const
{
    if (Offset == -1) {
        if (SelectedData())
            return int(RowTextAt(*FList, FSelStr.Er).size()) - (FSelStr.Ec - FSelStr.Sc + 1);
        return int(RowTextAt(*FList, FRow).size());
    }
    const int row = rowOfOffset(Offset);
    return int(RowTextAt(*FList, row).size());
}

QPoint TEditor::EMPosFromChar(int Offset) const
{
    const TRowCol rc = RowColFromIndex(*FList, CellMapOptions(), 0, Offset);
    return QPoint(LeftMargin() + (rc.Col - FTopCol) * FFontWidth, TopMargin() + (rc.Row - FTopRow) * RowHeight());
}

void TEditor::EMReplaceSel(const QString &Text)
{
    if (!FReadOnly)
        SetSelTextBuf(Text);
}

void TEditor::EMScrollCaret()
{
    if (FRow < FTopRow || FRow > FTopRow + FRowCount - 1)
        SetTopRow(FRow - FRowCount / 3);
    if (FCol < FTopCol || FCol > FTopCol + FColCount - 1)
        SetTopCol(FCol - FColCount / 3);
}

void TEditor::EMSetModify(bool Value)
{
    if (!FReadOnly)
        FModified = Value;
}

void TEditor::EMSetSel(int Start, int End)
{
    if (Start == 0 && End == -1) {
        SelectAll();
        return;
    }
    CaretHold caret(*this);
    SetSelStart(std::min(Start, End));
    SetSelLength(std::max(Start, End) - std::min(Start, End));
}

bool TEditor::EMUndo()
{
    if (FReadOnly || !CanUndo())
        return false;
    Undo();
    return true;
}

void TEditor::WMClear()
{
    if (!FReadOnly)
        ClearSelection();
}

void TEditor::WMCopy()
{
    // With nothing selected the clipboard keeps what the user had there.
    if (Selected())
        CopyToClipboard();
}

void TEditor::WMCut()
{
    if (!FReadOnly && Selected())
        CutToClipboard();
}

void TEditor::WMPaste()
{
    if (!FReadOnly)
        PasteFromClipboard();
}

QString TEditor::WMGetText() const
{
    return FLines->GetTextStr();
}

void TEditor::WMSetText(const QString &Text)
{
    if (FReadOnly)
        return;
    const qsizetype nul = Text.indexOf(QChar(0));
    FLines->SetTextStr(nul < 0 ? Text : Text.left(nul));
}

void TEditor::EditUndo()
{
    EMUndo();
}

void TEditor::EditRedo()
{
    if (!FReadOnly && CanRedo())
        Redo();
}
