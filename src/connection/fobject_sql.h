#pragma once

#include <QString>
#include <QStringList>

// The statement texts of the connection window's catalogue interface, built
// from what they depend on, so that they can be checked without a server.

// The server dialect a catalogue statement is written for.
struct TCatalogDialect
{
    int DBVer = 0;           // the server's major version
    bool IsAzure = false;    // Azure SQL Database
    bool ShowSysObj = false; // list system objects too
    // The server's own major version where it differs from DBVer (a version
    // forced with "/V="); 0: the same. The comment's owner level follows it.
    int ServerVer = 0;

    int ServerVersion() const { return ServerVer > 0 ? ServerVer : DBVer; }
};

// "use " + the name in [ ] + CR LF; empty for an empty name.
QString UseText(const QString &DataBase);

// Leaves the system objects (and the designer's support objects) out of a
// statement on the objects "a" of a catalogue: the text for the version's
// dialect (catalogue views from version 9, system tables before).
QString SystemObjectFilter(int DBVer);

// The accessible databases.
QString GetDatabaseSQL(bool IsAzure);
// The principals that can receive permissions (IsGrant), or the schema names
// of the database.
QString GetUserSQL(const TCatalogDialect &Dialect, const QString &Database, bool IsGrant);
// The names of one kind of object ("TABLE", "VIEW", "PROCEDURE",
// "FUNCTION") of the schema bound to the parameter :OWNER; empty for any
// other kind.
QString GetObjectSQL(const TCatalogDialect &Dialect, const QString &Database, const QString &ObjectType);
// The type names, for the kind code's columns (a sequence takes only
// integer and exact numeric types).
QString GetDataTypeSQL(int ObjType);

// The batches of a script: its lines up to each line that reads "go"
// (trimmed, any case), and after the last one, each batch as its lines
// followed by CR LF. The "go" lines are never part of a batch, and batches
// of blanks only are left out.
QStringList SplitScriptBatches(const QStringList &Lines);

// --- The object list ---------------------------------------------------------------

// The views of the object list, each with its columns and statements.
enum class TObjectListView { Table, Index, Index2, Synonym, Constraint, Source };

// The view for a kind word ("%" for every kind) and the option TreeData.
TObjectListView ObjectListViewOf(const QString &Kind, bool TreeData);
// The view's type word as the list keeps it: "TABLE", "INDEX" (both index
// views), "SYNONYM", "CONSTRAINT" or "SOURCE".
QString ObjectListViewType(TObjectListView View);

// The catalogue's type letters of a kind word, as a list of literals
// ("N'U'"); empty for "%" and unknown words.
QString ObjectListTypeFilter(const QString &Kind, bool ShowSysObj);

// What one database's statement of the object list depends on.
struct TObjectListQuery
{
    TCatalogDialect Dialect;
    TObjectListView View = TObjectListView::Source;
    QString Kind = QStringLiteral("%"); // a kind word, or "%" for every kind
    QString Database;
    QString Pattern = QStringLiteral("%"); // the upper-cased name pattern, unquoted
    // Fragmentation figures wanted (the button is down) and allowed (the
    // permission probe succeeded); index views only.
    bool Fragment = false;
};

// The statement that lists the objects of one database for a view. Its
// lines are joined with CR LF; it starts with the "use" line.
QString ObjectListSQL(const TObjectListQuery &Query);

// Statements that end a plan mode the session may be in, run before a fill.
QStringList ShowplanOffSQL(const TCatalogDialect &Dialect);

// May the login read the database's fragmentation figures? Version 9 and
// later: one column, "1" when allowed; version 8: three columns, any "1".
QString FragmentPermsSQL(const TCatalogDialect &Dialect, const QString &Database);

// Version 8 reads fragmentation through dbcc showcontig into a temporary
// table of the session: does it exist, create it (or empty it), fill it.
QString TempIdxProbeSQL();
QString TempIdxCreateSQL(const QString &Database);
QString TempIdxTruncateSQL();
QString TempIdxFillSQL(const QString &Database);

// Renaming in place, in the object's own database. The probe counts the
// objects named like an index (an index that belongs to a constraint is an
// object of its own); every argument of sp_rename is a national literal of
// bracketed names.
QString IndexObjectProbeSQL(const QString &Database, const QString &Name);
QString RenameObjectSQL(const QString &Database, const QString &Owner, const QString &Name, const QString &NewName);
QString RenameIndexSQL(const QString &Database, const QString &Owner, const QString &Table, const QString &Name,
                       const QString &NewName);
