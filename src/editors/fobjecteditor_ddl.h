#pragma once

#include "connection/fobject_sql.h"
#include "core/zkoption.h"

#include <QString>
#include <QStringList>

// What the object editors' DDL builders need besides the object's definition:
// the server's dialect, whether the text is for a shown window or a script,
// and the script options in force. A builder is a function of a definition
// struct and this context returning the statement lines; the editor gathers
// both (TfrmObjectEditor::DDLContext), tests build them by hand and compare
// whole statements.

// The database line at the head of a generated script: one item "use
// [db]" CR LF "go", or nothing. A shown window always writes it; a script
// writes it when `databaseOption` is 0, or 1 and `comparedDatabase` differs
// from the logon database, never on Azure. The constraint editor writes one
// database and compares another, hence the two names.
QStringList DatabaseLine(const QString &writtenDatabase, const QString &comparedDatabase, const QString &logonDatabase,
                         bool scriptMode, int databaseOption, bool isAzure);

struct TDDLContext
{
    TCatalogDialect Dialect;
    // A script (script output, comparison, history) rather than a shown
    // window: the options below decide the database line and the prefixes.
    bool ScriptMode = false;
    // The options of the call in script mode; null: the global ScriptOption.
    const TScriptOption *Options = nullptr;
    QString LogonDatabase; // the connection's database
    QString CurrentSchema; // the login user's default schema

    const TScriptOption &Option() const { return Options ? *Options : ScriptOption; }

    // S1 from server version `version` on, else S2 (by DBVer).
    QString VerStr(int version, const QString &s1, const QString &s2) const
    {
        return Dialect.DBVer >= version ? s1 : s2;
    }
    // The database line of a script on an object of `comparedDatabase`,
    // naming `writtenDatabase`.
    QStringList DatabaseLine(const QString &writtenDatabase, const QString &comparedDatabase) const;
    QStringList DatabaseLine(const QString &database) const { return DatabaseLine(database, database); }
    // "[schema]." or empty: always in a shown window, by the option Owner
    // in a script (0 always, 1 other than the current schema, 2 other than
    // `ownerSchema`, 3 never).
    QString SchemaPrefix(const QString &schema, const QString &ownerSchema) const;
    QString SchemaPrefix(const QString &schema) const { return SchemaPrefix(schema, schema); }
    // "[database]." or empty: always in a shown window, by the option
    // Database in a script, never in a script on Azure.
    QString DatabasePrefix(const QString &database, const QString &ownerDatabase) const;
    QString DatabasePrefix(const QString &database) const { return DatabasePrefix(database, database); }
    // The level-0 type of the MS_Description procedures: "schema" from
    // server version 9, "user" before; by the server's own version.
    QString CommentOwnerType() const;
};
