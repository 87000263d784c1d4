#pragma once

#include <QString>
#include <QStringList>

// The SQL history and the favourites: the index lists SQLLogList and
// SQLLogFList (zksub.h) and their files in the work folder (option TempDir):
//   SQLLOG.IDX   history index, newest first: "SQLLOG<n>.SQL"
//   SQLLOG<n>.SQL one run text
//   SQLLOGF.IDX  favourites index, newest first: "SQLLOGF<n>.SQL <name>"
//   SQLLOGF<n>.SQL one favourite text
// Files are written in GetFileEncoding() with its byte-order mark and CR LF
// after every line; they are read through ReadTextFile, so a file written
// before the Encoding option changed still reads.

// Reads both index lists, each on its own: a missing or unreadable index
// gives an empty list, without a message.
void LoadSQLLogLists();

// Records a run text as the newest history entry: drops the oldest entries
// until fewer than SQLBuf remain, takes the lowest number from 1 to SQLBuf
// that no entry uses, writes the text and SQLLOG.IDX. Nothing when SQLBuf is
// 0 or less. Raises Exception when a file cannot be written (the entry stays
// in the list).
void AddSQLLog(const QString &Text);

// Write the index files from the lists (the work folder is created when
// missing). Raise Exception on failure.
void WriteSQLLogIndex();
void WriteSQLLogFIndex();
// Both, as every new SQL window does.
void WriteSQLLogIndexes();

// A favourites entry's file name: up to and including the first ".SQL";
// empty when there is none.
QString SQLLogFFileName(const QString &Entry);
// A favourites entry's display name: after the file name and one more
// character, trimmed of blanks, tabs, CR and LF; the whole entry, trimmed,
// when it names no file.
QString SQLLogFName(const QString &Entry);

// The text of an entry file in the work folder; empty when the name is empty
// or the file cannot be read.
QString ReadSQLLogFile(const QString &FileName);
// A text file's lines joined by single blanks (the dialog's text column).
QString SQLLogOneLine(const QString &Text);

// Writes a text as lines, in the history's file format.
void WriteSQLLogFile(const QString &FileName, const QString &Text);

// Copies the history entries (given top first) into the favourites, the last
// one first, each as "SQLLOGF<n>.SQL お気に入りSQL" at the top with the lowest
// n whose file name occurs nowhere in the favourites index; writes each text
// and SQLLOGF.IDX. Raises Exception on the first failure (what was written
// before stays).
void RegistSQLLogFavorites(const QStringList &HistoryEntries);
