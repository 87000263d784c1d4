#pragma once

// What the database editor reads and writes, as functions of the server
// version and the names: the catalogue queries, the compatibility levels,
// the option rows with their SET clauses and the server's folders. The
// window (fdb.h) fills its controls from these; the creation and alteration
// scripts read the same option table.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The caption of a database window; the second window of the same caption
// is refused, so the window's own caption comes from here as well.
QString DbWindowCaption(const QString &owner, const QString &name, const QString &server, const QString &database);

// The texts of the window's queries.
struct TDbQueryTexts
{
    QString Syogo;     // collation, parameter NAME
    QString DataFile;  // files, after the use line of the database
    QString FileGroup; // filegroups, in the database the use line chose
    QString Option;    // options, parameter dbname
};
// dbVer: the connection's major version ("/V=" included); useLine: the
// connection window's use line of the database (empty for a new one).
TDbQueryTexts DbQueryTexts(int dbVer, bool isAzure, const QString &useLine);

// The root-folder query: the instance's SQL folder from the server's registry.
QString DbRootDirQuery();

// The compatibility combo's entries for a server version (GetDBVersion) and
// the index selected for a new database.
QStringList CompatibilityEntries(int serverVersion, int *selected = nullptr);
// The entries of an Azure server.
QStringList AzureCompatibilityEntries();
// The combo index of a stored level under DBVer: 1, 2, ... for the levels
// the version lists, 0 for any other level.
int CompatibilityIndex(int dbVer, int level);

// The folder new files go to: the root folder and "DATA", with the
// server's separator ("/" when the root holds "/" and no "\"); empty when
// the root is unknown.
QString DefaultDataFolder(const QString &rootDir);
// A physical file name split into its folder (with the final separator)
// and its name.
void SplitServerPath(const QString &fileName, QString &folder, QString &name);

// --- The option grid ----------------------------------------------------

enum TDbOptionEdit {
    oeReadOnly, // never edited
    oeText,     // free text
    oePickList, // one of PickList
    oeLanguage  // a language alias of the server
};

enum TDbOptionClause {
    ocNone,     // no statement
    ocFormat,   // Clause with %1 the value
    ocQuoted,   // Clause with %1 the value as a Unicode literal
    ocBroker,   // ENABLE_BROKER / DISABLE_BROKER
    ocLanguage, // Clause with %1 the lcid of the alias
};

struct TDbOptionRow
{
    const char *Caption;
    int FromVersion;    // 9, 10 or 11: shown when DBVer >= FromVersion
    const char *Source; // the option query's alias
    const char *NewValue;
    TDbOptionEdit Edit;
    QStringList PickList;
    bool Containment; // applies only to a partially contained database
    TDbOptionClause ClauseKind;
    const char *Clause; // after "ALTER DATABASE " + db
};

// The 47 rows in grid order.
const QList<TDbOptionRow> &DbOptionRows();
// The rows shown under DBVer.
QList<const TDbOptionRow *> DbOptionRowsFor(int dbVer);
// The row of a caption; null for none.
const TDbOptionRow *FindDbOptionRow(const QString &caption);
bool IsDbOptionHeading(const QString &caption);
// The clause written after "ALTER DATABASE " + db for value v; empty when
// the row writes none. lcidOf resolves a language alias.
QString DbOptionClause(const TDbOptionRow &row, const QString &value,
                       const std::function<QString(const QString &alias)> &lcidOf);

// The language look-ups (an alias and an lcid come from the grid as text).
QString LanguageAliasesQuery();
QString LanguageLcidQuery(const QString &alias);
QString LanguageAliasQuery(const QString &lcid);
QString VardecimalQuery(const QString &database);
QString AzureCollationQuery(const QString &database);
