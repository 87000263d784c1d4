#include "editorcontrol/edrowattrs.h"

#include <algorithm>

namespace {

quintptr field(quintptr word, int shift, quintptr mask)
{
    return (word >> shift) & mask;
}

quintptr withField(quintptr word, int shift, quintptr mask, quintptr value)
{
    return (word & ~(mask << shift)) | ((value & mask) << shift);
}

} // namespace

using namespace RowBits;

TRowAttribute TRowAttributeStringList::GetRows(int Index) const
{
    return TRowAttribute(field(GetItem(Index), 0, 3));
}

void TRowAttributeStringList::SetRows(int Index, TRowAttribute Value)
{
    PutItem(Index, withField(GetItem(Index), 0, 3, Value));
}

TRowAttribute TRowAttributeStringList::GetPrevRows(int Index) const
{
    if (stale(Index)) {
        CheckIndex(Index);
        return raCrlf;
    }
    return TRowAttribute(field(GetItem(Index), PrevRowsShift, 3));
}

void TRowAttributeStringList::SetPrevRows(int Index, TRowAttribute Value)
{
    touch(Index);
    PutItem(Index, withField(GetItem(Index), PrevRowsShift, 3, Value));
}

int TRowAttributeStringList::GetBrackets(int Index) const
{
    if (stale(Index)) {
        CheckIndex(Index);
        return -2;
    }
    return int(field(GetItem(Index), BracketsShift, 0xF)) - 2;
}

void TRowAttributeStringList::SetBrackets(int Index, int Value)
{
    touch(Index);
    PutItem(Index, withField(GetItem(Index), BracketsShift, 0xF, quintptr(Value + 2)));
}

int TRowAttributeStringList::GetElements(int Index) const
{
    if (stale(Index)) {
        CheckIndex(Index);
        return 0;
    }
    return int(field(GetItem(Index), ElementsShift, 0xFF));
}

void TRowAttributeStringList::SetElements(int Index, int Value)
{
    touch(Index);
    PutItem(Index, withField(GetItem(Index), ElementsShift, 0xFF, quintptr(Value)));
}

int TRowAttributeStringList::GetWrappedBytes(int Index) const
{
    if (stale(Index)) {
        CheckIndex(Index);
        return 0;
    }
    return int(field(GetItem(Index), WrappedBytesShift, 0xFF));
}

void TRowAttributeStringList::SetWrappedBytes(int Index, int Value)
{
    touch(Index);
    PutItem(Index, withField(GetItem(Index), WrappedBytesShift, 0xFF, quintptr(Value)));
}

int TRowAttributeStringList::GetRemains(int Index) const
{
    if (stale(Index)) {
        CheckIndex(Index);
        return 0;
    }
    return int(field(GetItem(Index), RemainsShift, 0xFF));
}

void TRowAttributeStringList::SetRemains(int Index, int Value)
{
    touch(Index);
    PutItem(Index, withField(GetItem(Index), RemainsShift, 0xFF, quintptr(Value)));
}

char16_t TRowAttributeStringList::GetTokens(int Index) const
{
    if (stale(Index)) {
        CheckIndex(Index);
        return 0;
    }
    return char16_t(field(GetItem2(Index), 0, 0xFF));
}

void TRowAttributeStringList::SetTokens(int Index, char16_t Value)
{
    touch(Index);
    PutItem2(Index, withField(GetItem2(Index), 0, 0xFF, Value));
}

char16_t TRowAttributeStringList::GetPrevTokens(int Index) const
{
    if (stale(Index)) {
        CheckIndex(Index);
        return 0;
    }
    return char16_t(field(GetItem2(Index), PrevTokensShift, 0xFF));
}

void TRowAttributeStringList::SetPrevTokens(int Index, char16_t Value)
{
    touch(Index);
    PutItem2(Index, withField(GetItem2(Index), PrevTokensShift, 0xFF, Value));
}

TRowMarks TRowAttributeStringList::GetRowMarks(int Index) const
{
    return TRowMarks(field(GetItem2(Index), RowMarksShift, 0xFFFF));
}

void TRowAttributeStringList::SetRowMarks(int Index, TRowMarks Value)
{
    PutItem2(Index, withField(GetItem2(Index), RowMarksShift, 0xFFFF, Value));
}

TRowAttributeData TRowAttributeStringList::GetRowData(int Index) const
{
    CheckIndex(Index);
    const TEditorLineItem &e = Entry(Index);
    TRowAttributeData d;
    d.RowAttribute = TRowAttribute(field(e.FItem, 0, 3));
    if (stale(Index)) {
        d.BracketIndex = -2;
        return d;
    }
    d.PrevRowAttribute = TRowAttribute(field(e.FItem, PrevRowsShift, 3));
    d.BracketIndex = int(field(e.FItem, BracketsShift, 0xF)) - 2;
    d.ElementIndex = int(field(e.FItem, ElementsShift, 0xFF));
    d.WrappedByte = int(field(e.FItem, WrappedBytesShift, 0xFF));
    d.Remain = int(field(e.FItem, RemainsShift, 0xFF));
    d.StartToken = char16_t(field(e.FItem2, 0, 0xFF));
    d.PrevToken = char16_t(field(e.FItem2, PrevTokensShift, 0xFF));
    d.DataStr = e.FDataStr;
    return d;
}

void TRowAttributeStringList::PutRowData(int Index, const TRowAttributeData &Data)
{
    CheckIndex(Index);
    touch(Index);
    TEditorLineItem &e = Entry(Index);
    quintptr item = e.FItem & Rows;
    item = withField(item, PrevRowsShift, 3, Data.PrevRowAttribute);
    item = withField(item, BracketsShift, 0xF, quintptr(Data.BracketIndex + 2));
    item = withField(item, ElementsShift, 0xFF, quintptr(Data.ElementIndex));
    item = withField(item, WrappedBytesShift, 0xFF, quintptr(Data.WrappedByte));
    item = withField(item, RemainsShift, 0xFF, quintptr(Data.Remain));
    e.FItem = item;
    quintptr item2 = e.FItem2 & (quintptr(0xFFFF) << RowMarksShift);
    item2 = withField(item2, 0, 0xFF, Data.StartToken);
    item2 = withField(item2, PrevTokensShift, 0xFF, Data.PrevToken);
    e.FItem2 = item2;
    e.FDataStr = Data.DataStr;
}

bool TRowAttributeStringList::SameRowData(int Index, const TRowAttributeData &Data) const
{
    CheckIndex(Index);
    if (stale(Index)) {
        TRowAttributeData reset;
        reset.BracketIndex = -2;
        reset.RowAttribute = Data.RowAttribute;
        return Data == reset;
    }
    const TEditorLineItem &e = Entry(Index);
    return int(field(e.FItem, PrevRowsShift, 3)) == Data.PrevRowAttribute
           && int(field(e.FItem, BracketsShift, 0xF)) - 2 == Data.BracketIndex
           && int(field(e.FItem, ElementsShift, 0xFF)) == Data.ElementIndex
           && int(field(e.FItem, WrappedBytesShift, 0xFF)) == Data.WrappedByte
           && int(field(e.FItem, RemainsShift, 0xFF)) == Data.Remain
           && char16_t(field(e.FItem2, 0, 0xFF)) == Data.StartToken
           && char16_t(field(e.FItem2, PrevTokensShift, 0xFF)) == Data.PrevToken && e.FDataStr == Data.DataStr;
}

namespace {

void resetEntry(TEditorLineItem &e)
{
    // Attribute and marks stay; PrevRows raCrlf, Brackets -2, the rest zero.
    e.FItem = e.FItem & Rows;
    e.FItem2 = e.FItem2 & (quintptr(0xFFFF) << RowMarksShift);
    e.FDataStr.clear();
}

} // namespace

void TRowAttributeStringList::ResetRowData(int Index)
{
    CheckIndex(Index);
    if (!stale(Index))
        resetEntry(Entry(Index));
}

void TRowAttributeStringList::ResetRowDataFrom(int Index)
{
    FComputedUpTo = std::min(FComputedUpTo, std::max(Index, 0));
}

void TRowAttributeStringList::touch(int Index)
{
    CheckIndex(Index);
    if (!stale(Index))
        return;
    for (int r = FComputedUpTo; r <= Index; ++r)
        resetEntry(Entry(r));
    FComputedUpTo = Index + 1;
}

void TRowAttributeStringList::EntriesInserted(int Index, int Count)
{
    // New entries hold no state; the stale rows move down with the others.
    if (Index < FComputedUpTo && FComputedUpTo != AllComputed)
        FComputedUpTo += Count;
}

void TRowAttributeStringList::EntriesRemoved(int Index, int Count)
{
    if (this->Count() == 0)
        FComputedUpTo = AllComputed;
    else if (FComputedUpTo == AllComputed)
        return;
    else if (Index + Count <= FComputedUpTo)
        FComputedUpTo -= Count;
    else if (Index < FComputedUpTo)
        FComputedUpTo = Index;
}

void TRowAttributeStringList::EntriesExchanging(int Index1, int Index2)
{
    touch(std::max(Index1, Index2));
}

TRowStateParser::~TRowStateParser() = default;
