#pragma once

#include <QString>
#include <QStringList>

// SQL text and string helpers of the core unit. Positions are 1-based.

// Text without blanks, tabs, CR and LF at both ends (only these four).
QString TrimBlanks(const QString &s);
// Text without carriage returns.
QString RemoveCR(const QString &s);
// Characters from position first to position last (inclusive, clipped to the
// text); empty when last < first.
QString CopyByPos(const QString &s, int first, int last);
// s in apostrophes, every apostrophe inside doubled.
QString QuoteSQLStr(const QString &s);

// A string list as one text: each line followed by CR LF; empty for an empty
// list.
QString ListToText(const QStringList &lines);
// A text split into lines at CR LF, LF or CR; a final line break adds no empty
// line.
QStringList TextToList(const QString &text);
