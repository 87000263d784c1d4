#pragma once

#include "core/zkoption.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TEncoding;
class TfrmObject;

// Script output of the connection window: where scripts are written (sinks),
// which generator writes an object kind's DDL, and the texts and paths of the
// script output command, built from what they depend on so that they can be
// checked without a window.

// --- Sinks ----------------------------------------------------------------------------------

// Where a generator appends its script text (lines ending in CR LF).
class TScriptSink
{
public:
    virtual ~TScriptSink() = default;
    virtual void Write(const QString &text) = 0;
};

// The text kept in memory, as one string (printing, searching, pasting).
class TMemoryScriptSink : public TScriptSink
{
public:
    void Write(const QString &text) override { Text += text; }
    QString Text;
};

// A file, written in the encoding of the option Encoding without byte-order
// mark, so that scripts appended one after another read as one text.
class TFileScriptSink : public TScriptSink
{
public:
    // Creates the file anew, or with `append` opens it at its end (creating
    // it when missing). Raises Exception when it cannot be opened.
    TFileScriptSink(const QString &fileName, bool append);
    TFileScriptSink(const QString &fileName, bool append, const TEncoding *encoding);
    // Raises Exception when the text cannot be written.
    void Write(const QString &text) override;
    QString FileName() const { return m_file.fileName(); }

private:
    QFile m_file;
    const TEncoding *m_encoding;
};

// --- Generators -----------------------------------------------------------------------------

// What a generator is asked for. The fields a kind's generator does not take
// are empty (see ScriptCall).
struct TScriptRequest
{
    int ObjectType = 0;
    QString Database;
    QString Schema;
    // The object; a job's or schedule's id, a login's name. For a database
    // (kind 1) it is handed over as the database generator's collation.
    QString ObjectName;
    QString NewSchema; // a copy under another schema and name; empty: the object itself
    QString NewObjectName;
    QString TableName;  // an index's table
    bool Index = false; // a table's script carries its indexes

    bool operator==(const TScriptRequest &) const = default;
};

// Writes the DROP script (options.Drop on) or the CREATE script of one
// object into the sink and returns; raises on failure. It reads the options
// it is given, never the global ScriptOption.
using TScriptGenerator = std::function<void(TfrmObject *owner, const TScriptRequest &request,
                                            const TScriptOption &options, TScriptSink &sink)>;

// The editor folders register their generators under their window class
// ("TfrmTable", ...) at start-up; an empty generator removes one.
void RegisterScriptGenerator(const QString &windowClass, TScriptGenerator generator);
// The registered generator, or ScriptGeneratorStub's when there is none.
TScriptGenerator FindScriptGenerator(const QString &windowClass);
// Stands for a kind whose editor folder has not registered its generator
// yet: raises "<class> のスクリプトはまだ出力できません。".
void ScriptGeneratorStub(const QString &windowClass);

// The generator's class and what it is asked for, for a kind code; an empty
// class for a kind without script (it writes nothing).
struct TScriptCall
{
    QString WindowClass;
    TScriptRequest Request;
};
TScriptCall ScriptCall(int ObjectType, const QString &Database, const QString &Schema, const QString &ObjectName,
                       const QString &NewSchema, const QString &NewObjectName, const QString &TableName, bool Index);

// --- Privilege scripts ----------------------------------------------------------------------

// The catalogue query of an object's (OWNER, NAME parameters) or a database's
// privileges, without its "use" line. Columns: GRANTEE, PRIVILEGE (NULL for
// an unknown code), GRANTABLE ("YES", "NO", "DENY"), the object's name, the
// permission's code.
QString GrantQuerySQL(int DBVer, bool IsDB);

struct TGrantRow
{
    QString Grantee;
    QString Privilege; // empty for an unknown code
    QString Grantable;
    QString Name;
    QString Code;
};

// What the privilege script depends on besides the rows.
struct TGrantContext
{
    bool IsDB = false;
    bool IsAzure = false;
    int DatabaseOption = 3; // ScriptOption.Database
    int OwnerOption = 2;    // ScriptOption.Owner
    QString Database;
    QString Schema;
    QString CurrentDatabase; // the session's, before the query
    QString DefaultSchema;   // the login's default schema
    QStringList Principals;  // database privileges: the grantees written
};

// The script's lines: an optional "use" entry, then each statement followed
// by "go"; an unknown permission code as a comment line "-- type XX".
QStringList GrantScript(const TGrantContext &context, const QList<TGrantRow> &rows);

// --- Name tables ----------------------------------------------------------------------------

// A name table's line ("t", "s.t", "d.s.t") split at its full stops: with
// none the database and schema given, with one the schema before it, with
// two database and schema; with more the database given, the schema unknown
// (SchemaKnown false), and always the table after the last full stop.
struct TNameTableParts
{
    QString Database;
    QString Schema;
    QString Table;
    bool SchemaKnown = true;
};
TNameTableParts SplitNameTable(const QString &line, const QString &currentDatabase, const QString &defaultSchema);
// The table of a line as the name-table statements name it: database,
// schema and table, each through BracketName; empty for an empty line.
QString QualifiedNameTable(const QString &line, const QString &currentDatabase, const QString &defaultSchema);
// The server's line of ScriptOption.NameTable ("server=line"); empty when
// none.
QString NameTableLine(const QString &server);
void SetNameTableLine(const QString &server, const QString &line);

// --- Script output paths --------------------------------------------------------------------

// The files of one script output run: the path P (a file in one-file mode, a
// folder ending in "/" otherwise), the options' layout, and the files used
// so far. Every component taken from an object goes through
// RemoveInvalidFileChars, and an empty one is refused, so no object's file
// lands outside P.
class TScriptLayout
{
public:
    TScriptLayout(const QString &path, const TScriptOption &options, int treeSort);

    // The object's file: F is the file name (name + ".SQL", or the name
    // table's SCRIPT_NAME, whose sub-folders at "\" and "/" stay).
    QString ObjectFile(const QString &database, const QString &schema, const QString &typeWord,
                       const QString &fileName) const;
    // The privilege file for GrantMode 1 and 2; empty when the privileges go
    // into the object's own file.
    QString GrantFile(const QString &database, const QString &schema, const QString &typeWord,
                      const QString &fileName) const;
    // The object's own file name: name + ".SQL", an index's table + "." +
    // name + ".SQL".
    static QString DefaultFileName(const QString &name, const QString &indexTable, bool isIndex);
    // A file name taken from a name table, relative: its parts at "\" and "/"
    // filtered each, so its sub-folders stay; raises for a part that cannot
    // be a file name.
    static QString RelativeFile(const QString &fileName);

    // Opens a file of the run: the first use creates it anew when SameName
    // is on or it does not exist and otherwise appends; every later use of
    // the same path in the run appends. Its folders are created.
    TFileScriptSink *Open(const QString &fileName);

private:
    QString m_path;
    bool m_oneScript;
    bool m_dir;
    bool m_sameName;
    int m_grantMode;
    int m_treeSort;
    QStringList m_used;
};

// The object list's item that a script output run visits.
struct TScriptItem
{
    int ObjectType = 0;
    QString Database;
    QString Schema;
    QString Name;
    QString TypeWord;
    QString IndexTable; // what the list knows of an index's table
};

// What a run wrote, and which objects failed ("db.schema.name: reason").
struct TScriptRunResult
{
    int Written = 0;
    QStringList Failed;
    bool Escaped = false;
};

// --- Source history -------------------------------------------------------------------------

// The file of an object's source history in `folder` (ending in "/"):
// folder + schema + "/" + type word + "/" + N + ".sql", an empty schema left
// out; with numbering N + "_nn" for the first number from 00 whose file does
// not exist (counting on past 99). N is the name table's SCRIPT_NAME when
// given, else the object's name; both filtered as file names.
QString SourceHistoryFile(const QString &folder, const QString &schema, int objectType, const QString &name,
                          bool numbered);
