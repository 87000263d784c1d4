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
};

// "use " + the bracketed name + CR LF; empty for an empty name.
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
