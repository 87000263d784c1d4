#pragma once

// Editable results: the table behind a result, the statements that write a
// posted or deleted record, and the handlers that run them on the query's
// connection.
//
//   if (PrepareResultEditing(query))     // false: the result stays read-only
//       ...
//   query.Edit(); query.FieldByName("name")->SetText("x"); query.Post();
//
// A result is editable when its statement is one SELECT of exactly one
// table or view of the session's database. Every statement finds its row
// by the table's primary key, else by an enabled, unfiltered unique index
// whose columns are all in the result, else by every comparable column. It
// counts its own rows (@@ROWCOUNT, not the counts of triggers): no row is an
// error and the record stays as it is; more than one is undone (its own
// transaction, or a savepoint inside one already open) and an error. A
// posted record then takes the values the server keeps (identity, defaults,
// computed columns, rowversion, triggers), read back in the same batch
// through OUTPUT ... INTO a table variable (a plain OUTPUT fails on a table
// with triggers).

#include "platform/db/dbbackend.h"
#include "platform/db/dbquery.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class TFDConnection;

struct TDBEditColumn
{
    QString name;      // the column's own name, unbracketed
    TDBColumnDef type; // as the catalogue describes it
    bool identity = false;
    bool computed = false;
    bool rowversion = false;
    int field = -1; // its result column; -1 when not in the result

    // Values of these are the server's own.
    bool Writable() const { return !identity && !computed && !rowversion; }
    // Can find a row by equality: not large objects, xml, float or sql_variant.
    bool Comparable() const;
};

struct TDBEditTable
{
    QString name;                 // as statements write it: [dbo].[people]
    QList<TDBEditColumn> columns; // of the table, in its order
    QList<int> where;             // columns that find a row: key, index or all comparable
    bool unique = false;          // where is a primary key or unique index

    // The table column of a result column; -1 when none.
    int ColumnOfField(int field) const;
};

// A statement with "?" markers, its parameters, and the table columns whose
// values the batch returns in its second result (after the row count).
struct TDBEditStatement
{
    QString sql;
    QList<TDBParamValue> params;
    QList<int> returned;
};

// The changed columns are result columns; the values come from the
// record in store, the old ones (what finds the row) from before (record 0)
// or, without it, from the record itself.
TDBEditStatement BuildInsertStatement(const TDBEditTable &table, const TDBResultSet &store, TRecordId record,
                                      const QList<int> &changed);
TDBEditStatement BuildUpdateStatement(const TDBEditTable &table, const TDBResultSet &store, TRecordId record,
                                      const QList<int> &changed, const TDBResultSet *before);
TDBEditStatement BuildDeleteStatement(const TDBEditTable &table, const TDBResultSet &store, TRecordId record);

// Reads the table's columns and keys in the session's database and maps
// them to the result's columns by name. The name is the object's name as
// the statement wrote it ("dbo.people", "[my table]", "#work"); null when
// the object is not a table or view there (a synonym, another database, a
// missing object), when no column of the result is a writable column of
// it, or when nothing can find a row.
std::shared_ptr<TDBEditTable> LoadEditTable(TFDConnection &connection, const QString &objectName,
                                            const TDBResultSet &result, const QStringList &unmapped = {});
// The catalogue batch LoadEditTable runs (three results: object, columns,
// key columns), for rule files.
QString EditTableCatalogSql(bool tempdb);

// The object a SELECT reads when the result can be edited: one statement,
// one table or view, no join, UNION, GROUP BY, DISTINCT, INTO or aggregate.
// Empty otherwise. Result fields named in unmapped (aliases of expressions
// or of other columns) never map to a column.
QString EditableSelectObject(const QString &sql, QStringList *unmapped = nullptr);

// Once per opened result: when its statement is an editable SELECT and the
// catalogue confirms the table, installs the record writer. False (and the
// query untouched) otherwise, and always for a query without a result.
bool PrepareResultEditing(TFDQuery &query);

// Sets the query's post and delete handlers to write through its
// connection, and marks the result columns that are not writable columns
// of the table read-only.
void InstallRecordWriter(TFDQuery &query, std::shared_ptr<TDBEditTable> table);

// Runs a statement and checks its row count; raises EDBError (the server's
// or the count's). Returns the batch, whose second result holds the
// returned values when there is one.
TDBBatch RunEditStatement(TFDConnection &connection, const TDBEditStatement &statement);
