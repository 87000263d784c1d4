#pragma once

#include "editorcontrol/edlines.h"

#include <QString>

#include <limits>

// How a screen row ends.
enum TRowAttribute : quint8 {
    raCrlf = 0,    // a line break follows
    raWrapped = 1, // word wrap cut the row; its logical line goes on below
    raEof = 2,     // the last row, without a line break
    raInvalid = 3, // no row
};

// Marks of a row; rm0..rm9 stand on one row at most (numbered bookmarks).
enum TRowMark : quint8 {
    rm0,
    rm1,
    rm2,
    rm3,
    rm4,
    rm5,
    rm6,
    rm7,
    rm8,
    rm9,
    rm10,
    rm11,
    rm12,
    rm13,
    rm14,
    rm15,
};
using TRowMarks = quint16; // bit n: mark rm<n>

constexpr TRowMarks RowMarkBit(TRowMark Mark)
{
    return TRowMarks(1u << unsigned(Mark));
}

// The colouring state carried from the end of one row to the start of the
// next. Each row stores the state at its start.
struct TRowAttributeData
{
    TRowAttribute RowAttribute = raCrlf;
    TRowAttribute PrevRowAttribute = raCrlf;
    qint32 BracketIndex = -1; // -1 no bracket pair open, -2 not computed
    qint32 ElementIndex = 0;
    qint32 WrappedByte = 0; // units at the row start that finish a token cut by wrapping
    qint32 Remain = 0;
    char16_t StartToken = 0; // kind of the token going on at the row start
    char16_t PrevToken = 0;
    QString DataStr;

    bool operator==(const TRowAttributeData &) const = default;
};

// The state before row 0.
inline TRowAttributeData InitialRowAttributeData()
{
    return TRowAttributeData();
}

// A line list whose entries carry packed row attributes, colouring state and
// row marks. A fresh entry reads raCrlf, not computed (Brackets -2), no marks.
class TRowAttributeStringList : public TEditorLineList
{
public:
    TRowAttribute GetRows(int Index) const;
    void SetRows(int Index, TRowAttribute Value);
    TRowAttribute GetPrevRows(int Index) const;
    void SetPrevRows(int Index, TRowAttribute Value);
    int GetBrackets(int Index) const;
    void SetBrackets(int Index, int Value);
    int GetElements(int Index) const;
    void SetElements(int Index, int Value);
    int GetWrappedBytes(int Index) const;
    void SetWrappedBytes(int Index, int Value);
    int GetRemains(int Index) const;
    void SetRemains(int Index, int Value);
    char16_t GetTokens(int Index) const;
    void SetTokens(int Index, char16_t Value);
    char16_t GetPrevTokens(int Index) const;
    void SetPrevTokens(int Index, char16_t Value);
    TRowMarks GetRowMarks(int Index) const;
    void SetRowMarks(int Index, TRowMarks Value);

    // The stored start state of a row (its own attribute as RowAttribute).
    TRowAttributeData GetRowData(int Index) const;
    // Stores a start state (PrevRowAttribute and the colouring fields; the
    // row's own attribute stays).
    void PutRowData(int Index, const TRowAttributeData &Data);
    // Whether the stored start state equals Data (the fields PutRowData stores).
    bool SameRowData(int Index, const TRowAttributeData &Data) const;
    // Marks the row's colouring state as not computed.
    void ResetRowData(int Index);
    // Marks the colouring state of rows Index .. Count-1 as not computed, at
    // no cost: rows from ComputedUpTo() on read as not computed whatever
    // they hold, and a write there first resets the rows above it for real.
    void ResetRowDataFrom(int Index);
    int ComputedUpTo() const { return FComputedUpTo; }

    // Unchecked reads for loops that stay inside the list.
    TRowAttribute RowAttr(int Index) const { return TRowAttribute(Entry(Index).FItem & 3); }
    const QString &RowText(int Index) const { return Entry(Index).FString; }

protected:
    void EntriesInserted(int Index, int Count) override;
    void EntriesRemoved(int Index, int Count) override;
    void EntriesExchanging(int Index1, int Index2) override;

private:
    static constexpr int AllComputed = std::numeric_limits<int>::max();
    bool stale(int Index) const { return Index >= FComputedUpTo; }
    // Makes row Index hold what it reads before one of its colouring fields
    // is written.
    void touch(int Index);

    int FComputedUpTo = AllComputed;
};

// Packing of the two attribute words.
namespace RowBits {
constexpr quintptr Rows = 0x3;
constexpr int PrevRowsShift = 2;
constexpr int BracketsShift = 4;
constexpr int ElementsShift = 8;
constexpr int WrappedBytesShift = 16;
constexpr int RemainsShift = 24;
constexpr int PrevTokensShift = 8;
constexpr int RowMarksShift = 16;
} // namespace RowBits

// Turns the colouring state at the start of a row into the state at the start
// of the next row. The colouring scheme provides one; without a scheme the
// state is carried unchanged.
class TRowStateParser
{
public:
    virtual ~TRowStateParser();
    // On entry Data holds the state row Index starts in, with row Index's own
    // attribute as RowAttribute; on exit, the state row Index + 1 starts in.
    virtual void LastTokenBracket(int Index, const TRowAttributeStringList &Strings, TRowAttributeData &Data) = 0;
};
