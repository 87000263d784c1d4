#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// String and character helpers of the editor. Positions are 1-based and
// count UTF-16 units.
//
// The text is UTF-16 throughout: every unit is one character here, so no unit
// is the lead or trail half of a legacy double-byte character, and the units
// U+0081..U+009F and U+00E0..U+00FC are ordinary characters. The blank of two
// cells is the ideographic space U+3000.

// Name of the clipboard format that marks a rectangular copy, and the
// private MIME type that carries it here: the copy's text beside it is put
// back as a rectangle when pasted.
inline const QString BoxClipboardFormatName = QStringLiteral("TEditor Box Type");
inline const QString BoxClipboardMimeType = QStringLiteral("application/x-teditor-box-type");

// Units equal to Ch among the first min(length, N) units of S.
int CountChar(QStringView S, QChar Ch, int N);
// Always false: the text has no lead or trail units (see above).
bool IsLeadUnitAt(QStringView S, int Position);
bool IsTrailUnitAt(QStringView S, int Position);
// The unit at Position, or 0 outside S.
QChar CharAt(QStringView S, int Position);
// Sub occurs in S (case-sensitive); false for an empty or longer Sub.
bool ContainsAtUnitBoundary(QStringView Sub, QStringView S);

// The lines of Text: a line ends at CR LF, CR alone or LF alone, and a text
// that ends with a break has no empty line after it. Other control units,
// NUL among them, belong to their line.
QList<QStringView> SplitLines(QStringView Text);
// Replaces Lines by the lines of Text.
void SetStringsText(const QString &Text, QStringList &Lines);

// -1 for an empty S; else the width in columns of its leading blanks: a space
// counts 1, an ideographic space 2, and anything else (a tab too) ends it.
int LeadingBlankCount(QStringView S);
// S without its leading units up to U+0020 and ideographic spaces.
QString TrimLeadingBlanks(QStringView S);
