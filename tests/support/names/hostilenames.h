#pragma once

#include <QList>
#include <QString>

#include <optional>

// Names SQL Server accepts as object names that break a careless builder:
// closing brackets and quotes, comment starts, keywords, control characters,
// the longest name and characters outside the basic plane. Extend the table
// when a new kind of trouble turns up.
struct THostileName
{
    const char *label; // readable case name for test output
    QString name;
};
const QList<THostileName> &HostileNames();

// Reads text as T-SQL reads one identifier: a regular identifier (not a
// reserved keyword), a [bracketed] one with "]]" for "]", or a "quoted" one
// with "" for ". Returns the name it denotes when text is exactly one
// identifier of at most 128 characters and nothing else; nullopt otherwise
// (a name that ends early, text left over, an unclosed delimiter).
std::optional<QString> ReadTSqlIdentifier(const QString &text);
