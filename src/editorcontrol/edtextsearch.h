#pragma once

#include <QString>
#include <QStringView>

// Finding a pattern in a block of UTF-16 text, forwards or backwards from a
// position, with case folding, whole words and the skipping of line breaks
// and blanks inside a match.

// The options, bit n for option n; the dialogs keep them as a 16-bit number.
enum TSearchOption : quint8 {
    sfrDown,           // towards the end; absent: backwards
    sfrMatchCase,      // compare exactly; absent: fold case
    sfrWholeWord,      // only whole words match
    sfrNoMatchZenkaku, // carried, not interpreted
    sfrReplace,        // the replace commands' own bits, not interpreted here
    sfrReplaceAll,
    sfrReplaceConfirm,
    sfrIncludeCRLF,  // inside a match, CR and LF of the text are skipped
    sfrIncludeSpace, // inside a match, tabs and blanks of the text are skipped
    sfrWholeFile,    // carried, not interpreted
};
using TSearchOptions = quint16;

constexpr TSearchOptions SearchOptionBit(TSearchOption Option)
{
    return TSearchOptions(1u << unsigned(Option));
}

constexpr bool HasSearchOption(TSearchOptions Options, TSearchOption Option)
{
    return (Options & SearchOptionBit(Option)) != 0;
}

// A match: its start and its length in units of the searched text.
struct TSearchHit
{
    qint32 Start = 0;
    qint32 Length = 0;
};

// The units that end words for whole-word matching: U+0000..U+002F,
// U+003A..U+003E, U+0040 and U+005B..U+0060 (the underscore among them).
// Nothing else: not ? { | } ~, and no unit above U+00FF.
bool IsWordDelimiter(char16_t Unit);

// S is exactly one unit of the common alphabets, digits, ASCII symbols,
// half-width marks or the space.
bool IsFoldChar(QStringView S);

// The matcher: the start of the first match from Hit as SearchText takes it,
// with the match's length in Length; -1 when nothing matches.
int SearchBuffer(QStringView Text, const TSearchHit &Hit, const QString &Pattern, TSearchOptions Options, int &Length);

// On entry Hit.Start is where the search starts and Hit.Length the length of
// the previous hit (stepped over forwards); on success Hit is the match.
// False, with Hit unspecified, for an empty pattern or text, a start outside
// the text, a negative length, or no match.
//
// Without sfrMatchCase the pattern and the text are folded alike, unit by
// unit (a unit's upper-case form when it has one of one unit), so lengths
// never change and no width is folded: "ＡＢＣ" finds "ａｂｃ", "ABC" does
// not find "ＡＢＣ". sfrIncludeSpace skips the ideographic space too.
bool SearchText(QStringView Text, TSearchHit &Hit, const QString &Pattern, TSearchOptions Options);
