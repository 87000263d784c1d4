#include "editorcontrol/edcontrol.h"
#include "editorcontrol/edcontrol_p.h"

#include <vector>

using namespace EdControl;

namespace {

const QLatin1String CrLf("\r\n");

// A large text is searched in blocks of whole rows of about this many units,
// each overlapping the one before by a row, so that the whole text is never
// built at once and a hit running from one block into the next is found.
constexpr int SearchBlockSize = 8192;

int rowLengthWithBreak(const TEditorScreenStrings &List, int ARow)
{
    return int(List.RowText(ARow).size()) + (List.RowAttr(ARow) == raCrlf ? 2 : 0);
}

void appendRow(const TEditorScreenStrings &List, int ARow, QString &Block)
{
    Block += List.RowText(ARow);
    if (List.RowAttr(ARow) == raCrlf)
        Block += CrLf;
}

} // namespace

bool TEditor::Search(const QString &SearchValue, TSearchOptions SearchOptions)
{
    if (FList->Count() == 0 || SearchValue.isEmpty())
        return false;
    if (HasSearchOption(SearchOptions, sfrDown))
        return searchForwards(SearchValue, SearchOptions);
    return searchBackwards(SearchValue, SearchOptions);
}

bool TEditor::searchForwards(const QString &Pattern, TSearchOptions Options)
{
    const int count = FList->Count();
    int row = FRow;
    int offset = 0;
    if (Selected()) {
        row = FSelStr.Er;
        offset = FSelStr.Ec + 1;
    } else {
        offset = charIndexAtCaret();
    }
    // A hit shown only as the caret stands at its start: step over it.
    int previous = FHitStyle == hsCaret && FHitSelLength > 0 ? FHitSelLength : 0;
    QString block;
    while (row < count) {
        block.clear();
        int r = row;
        while (r < count && block.size() < SearchBlockSize)
            appendRow(*FList, r++, block);
        const int last = r - 1;
        TSearchHit hit{offset, previous};
        if (SearchText(block, hit, Pattern, Options)) {
            showSearchHit(row, hit);
            return true;
        }
        if (last >= count - 1)
            break;
        row = last > row ? last : row + 1;
        offset = 0;
        previous = 0;
    }
    return false;
}

bool TEditor::searchBackwards(const QString &Pattern, TSearchOptions Options)
{
    const int count = FList->Count();
    int row = 0;
    int offset = 0;
    // From the start of a selection or of a hit held as one, so that the
    // same hit is not found again.
    if (SelectedData() && FSelStr.Sr < count) {
        row = FSelStr.Sr;
        offset = FSelStr.Sc;
    } else if (FRow < count) {
        row = FRow;
        offset = charIndexAtCaret();
    } else {
        row = count - 1;
        offset = rowLengthWithBreak(*FList, row);
    }
    QString block;
    for (;;) {
        int first = row;
        int size = rowLengthWithBreak(*FList, row);
        while (size < SearchBlockSize && first > 0) {
            --first;
            const int length = rowLengthWithBreak(*FList, first);
            size += length;
            offset += length;
        }
        block.clear();
        block.reserve(size);
        for (int r = first; r <= row; ++r)
            appendRow(*FList, r, block);
        TSearchHit hit{offset, 0};
        if (SearchText(block, hit, Pattern, Options)) {
            showSearchHit(first, hit);
            return true;
        }
        if (first == 0)
            return false;
        row = first < row ? first : row - 1;
        offset = rowLengthWithBreak(*FList, row);
    }
}

void TEditor::showSearchHit(int BlockRow, const TSearchHit &Hit)
{
    if (SelectedData())
        CleanSelection();
    SetRowColFromIndex(BlockRow, Hit.Start);
    SetHitSelLength(Hit.Length);
    EMScrollCaret();
}
