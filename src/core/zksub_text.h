#pragma once

#include "platform/rtl/datetime.h"

#include <QFlags>
#include <QString>
#include <QStringList>
#include <QVariant>

// SQL text and string helpers of the core unit. Positions are 1-based.

// --- Names and literals in generated T-SQL --------------------------------

// The name in [ ] when it needs them: when force is on, when the option
// UseLowerName is on, when it holds one of . , ? / \ : ; { } @ ! " # $ % & ( )
// = ^ |, or when it is no regular T-SQL identifier (a blank, "-", a leading
// digit, a bracket, ...) or is one of SQL Server's reserved keywords. Every
// "]" inside is doubled. For text the user typed: a name that is exactly one
// well-formed bracketed identifier ("[" first, "]" last, every "]" inside
// doubled), blanks around it aside, is taken as bracketed already and
// returned without the blanks; "[a]b]" or "[x]; drop table t;--" is not,
// and is bracketed as a whole. An empty name stays empty unless force or
// UseLowerName is on.
QString BracketName(const QString &name, bool force = false);
// As BracketName, but never takes the name as bracketed already: for names
// read from the catalogue, which may themselves begin with "[".
QString BracketCatalogName(const QString &name, bool force = false);
// The name in [ ] always, every "]" inside doubled: for catalogue names that
// generated SQL writes in brackets whatever they look like ("[dbo].[t]").
QString QuoteName(const QString &name);
// The text inside [ ] with doubled "]" undone; s unchanged when it is not
// exactly one well-formed bracketed identifier.
QString UnbracketName(const QString &s);

// s in apostrophes, every apostrophe inside doubled.
QString QuoteSQLStr(const QString &s);
// "N" + s when s begins and ends with an apostrophe (a lone "'" counts).
QString AddNationalPrefix(const QString &s);
// True for N'...' on one line.
bool IsNationalLiteral(const QString &s);

// The name in double quotes (embedded ones doubled) when it is not all upper
// case, has blanks around it, holds "-" or parentheses (also full-width), is
// no regular identifier or a reserved keyword, or the option UseLowerName is
// on. A name that is exactly one well-formed double-quoted identifier
// (blanks around it aside) is taken as quoted already and returned without
// the blanks.
QString QuoteNameDouble(const QString &s);
// The text inside double quotes with doubled quotes undone; s unchanged when
// it is not exactly one well-formed double-quoted identifier.
QString UnquoteDouble(const QString &s);

// --- Plain text -------------------------------------------------------------

// Text without blanks, tabs, CR and LF at both ends (only these four).
QString TrimBlanks(const QString &s);
// Text without carriage returns.
QString RemoveCR(const QString &s);
// Characters from position first to position last (inclusive, clipped to the
// text); empty when last < first.
QString CopyByPos(const QString &s, int first, int last);
// Position of pattern in s at or after offset; 0 when absent, when offset is
// below 1 or beyond the text, or when pattern is empty.
int AnsiPosFrom(const QString &pattern, const QString &s, int offset);
// True when value equals an item (case-sensitive), or with contains, when a
// non-empty item occurs inside value.
bool MatchStr(const QString &value, const QStringList &items, bool contains);

enum TReplaceFlag {
    rfReplaceAll = 0x1, // every occurrence, not only the first
    rfIgnoreCase = 0x2,
};
Q_DECLARE_FLAGS(TReplaceFlags, TReplaceFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TReplaceFlags)
// s with each pattern in turn replaced by replacement, each on the result of
// the one before.
QString ReplaceEach(const QString &s, const QStringList &patterns, const QString &replacement, TReplaceFlags flags);

// A string list as one text: each line followed by CR LF; empty for an empty
// list.
QString ListToText(const QStringList &lines);
// A text split into lines at CR LF, LF or CR; a final line break adds no empty
// line.
QStringList TextToList(const QString &text);

// Display width in half-width cells: 1 for printable ASCII and half-width
// katakana and punctuation (U+FF61..U+FF9F), 2 for every other character.
int GetDisplayWidth(const QString &s);

// --- Scripts and statements -----------------------------------------------

// The statement of a captured sp_executesql call: the first literal with its
// quotes undone. With checkCall, s is returned unchanged unless it is such a
// call; s is also returned when it holds no complete literal.
QString ExtractExecuteSqlText(const QString &s, bool checkCall);
// Scripts written for many objects repeat their USE lines: removes every
// repetition of a USE line (with the GO and empty line after it) until a USE
// line for another database comes.
void RemoveRepeatedUse(QStringList &lines);
// Removes the exactly empty lines while the script option NullLine is on.
void RemoveNullLines(QStringList &lines);
// True when the word w found at position p of s is code: not inside a
// literal, a quoted or bracketed name or a comment, and, for "AS" and
// "RETURNS", standing apart from what comes before it. A position below 1
// gives true, one past the end of the text false.
bool IsDefinitionKeywordAt(const QString &s, const QString &w, int p);
// The expression shifted from UTC to Japan time (nine hours).
QString UtcToJstExpr(const QString &e);

// --- Numbers, dates and database values -------------------------------------

// A decimal number in its text form ("-1234567.50") with thousands
// separators, every decimal kept and trailing zeros dropped
// ("-1,234,567.5"). Worked on the digits, never through a double.
QString FormatBcdValue(const QString &decimal);
// FormatBcdValue of s when s is a decimal number, else s unchanged.
QString FormatBcdText(const QString &s);
// A sample date and time in the chosen date format (option DateFormat).
QString GetDateSampleText();

// The value as a number or date-time; the default for NULL or a value that
// does not convert.
double VarToFloatDef(const QVariant &v, double def);
int VarToIntDef(const QVariant &v, int def);
TDateTime VarToDateTimeDef(const QVariant &v, TDateTime def);
