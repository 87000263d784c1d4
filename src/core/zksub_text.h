#pragma once

#include <QString>

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
