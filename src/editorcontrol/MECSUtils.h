#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// Questions the editor asks about single characters of its UTF-16 text: how
// many cells a code point takes, whether it combines with the character
// before it, and how surrogate pairs join into code points. The width and
// combining tables are those of Unicode 5.1.0, built into the program.

// Width class of a code point; callers compare the numeric values.
enum TEastAsianWidth : quint8 {
    eawNeutral = 0,
    eawFullwidth = 1,
    eawHalfwidth = 2,
    eawWide = 3,
    eawNarrow = 4,
    eawAmbiguous = 5,
};

// The user's locale as a Windows locale identifier, taken once at start-up
// from the system locale (0 when the locale has no identifier here).
extern const qint32 UserDefaultLCID;

TEastAsianWidth GetEastAsianWidth(char32_t CodePoint);
bool IsCombiningChar(char32_t CodePoint);

inline bool IsHighSurrogate(char16_t Unit)
{
    return Unit >= 0xD800 && Unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t Unit)
{
    return Unit >= 0xDC00 && Unit <= 0xDFFF;
}

// 0 = not a surrogate, 1 = high, 2 = low. StrSurrogateType reads a
// 0-terminated buffer at a 0-based index: the first unit, an empty buffer and
// an index at or past the terminator give 0. SurrogateTypeAt takes a 1-based
// position in a string.
int StrSurrogateType(const char16_t *Buffer, int Index);
int SurrogateTypeAt(const QString &S, int Position);

// Code points of S with pairs joined and unpaired surrogates dropped, ended by
// one 0; an empty S gives an empty array.
std::vector<char32_t> UTF16ToUCS4(QStringView S);

// Whether the code point at the 1-based code-point Position of S takes two
// cells; ambiguous characters count as AmbiguousWide says.
bool IsWideCharAt(const QString &S, int Position, bool AmbiguousWide);
// Whether a code point takes two cells (the same rule, one code point).
bool IsWideCodePoint(char32_t CodePoint, bool AmbiguousWide);

// Font charsets and locales whose ambiguous characters are drawn wide.
bool IsAmbiguousWideCharset(quint8 Charset);
bool IsAmbiguousWideLocale(qint32 Lcid);

// The locale's identifier as the system reports it (exposed for tests).
qint32 LcidFromLocaleName(const QString &Name);

// Whether the editors count ambiguous characters wide: the stored setting
// "AmbiguousWide" of the editor settings (0 narrow, 1 wide) when present,
// else the user's locale (Japanese, Chinese, Korean: wide). Read once.
bool DefaultAmbiguousWide();
// Replaces the decision (-1: read the setting and the locale again).
void SetAmbiguousWideOverride(int Value);
