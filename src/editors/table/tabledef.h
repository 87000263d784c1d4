#pragma once

// A table's definition as the catalogue gives it, and the catalogue texts
// that read it. The table editor fills its controls from a TTableDef; the
// script builders read the same record, so they can be tested without a
// window.

#include <QList>
#include <QString>
#include <QStringList>

class TFDQuery;
class TfrmObject;

// A column with a named default constraint.
struct TDefaultColumn
{
    QString ColumnName;
    QString DefaultName;
    bool operator==(const TDefaultColumn &) const = default;
};

// One column as the column grid shows it (texts of its cells).
struct TTableColumn
{
    QString Name;
    QString DataType;
    QString Length; // length, precision or "precision,scale"; "max"
    bool Primary = false;
    bool NotNull = false;
    QString Default; // or "IDENTITY(seed, increment)"
    QString Collation;
    QString Mask; // masking function; empty below 13 and on Azure
    QString Comment;
    bool Identity = false;
    int LoadedRow = 0; // 1, 2, ... in catalogue order
    bool operator==(const TTableColumn &) const = default;
};

// The system-versioning state (version 13 and later).
struct TTableTemporal
{
    bool Read = false;    // the state was read (version 13, a shown page control)
    int TemporalType = 0; // 0 plain, 1 history table, 2 system-versioned
    QString HistorySchema;
    QString HistoryTable;
    QString StartColumn;
    QString EndColumn;
    bool StartHidden = false;
    bool EndHidden = false;
    bool operator==(const TTableTemporal &) const = default;
};

struct TTableDef
{
    qint64 Id = 0;
    QString Comment;
    qint64 Seed = 0; // 0 for a table without identity
    qint64 Increment = 0;
    QList<TTableColumn> Columns;
    TTableTemporal Temporal;
    QList<TDefaultColumn> DefaultColumns;
    QStringList Primary; // key order
};

// The seven catalogue texts of a table for one server.
struct TTableQueries
{
    QString Table;    // :OWNER, :NAME
    QString Column;   // :id
    QString Const1;   // :OWNER, :TABLENAME (constraints)
    QString Const2;   // indexes
    QString Const3;   // triggers
    QString Temporal; // :id, no use line
    QString ConstDef; // :OWNER, :TABLENAME, no use line
};

// `use` is the connection window's use text of the table's database (empty
// for none); a name beginning with "#" (a temporary table, whose catalogue
// name carries a suffix) is found by a like condition.
TTableQueries TableQueries(const QString &use, int dbVer, bool isAzure, const QString &tableName);

// The primary-key call (parameters :OWNER and :NAME).
QString PrimaryKeySQL();

// The length cell of a column: "max", a length, "precision,scale", a
// precision or a scale by its type; empty for other types.
QString ColumnLengthText(const QString &dataType, const QString &maxLength, const QString &precision,
                         const QString &scale, const QString &timeScale, int dbVer);

// The column at the current row of an open column query (qryColumn).
TTableColumn ColumnFromRow(const TFDQuery &query, int row, int dbVer, bool isAzure, qint64 seed, qint64 increment);

// Reads the catalogue through the connection window, in the order the
// editor needs: table row, temporal state, columns, defaults, key.
class TTableDefReader
{
public:
    TTableDefReader(TfrmObject *connection, const QString &database, const QString &schema, const QString &name);

    const TTableQueries &Queries() const { return m_queries; }

    // The table row (id, comment, identity); false when the table is not
    // there.
    bool ReadTable(TFDQuery &query, TTableDef &def) const;
    void ReadTemporal(TFDQuery &query, TTableDef &def) const;
    void ReadColumns(TFDQuery &query, TTableDef &def) const;
    // Errors leave the list empty and are not reported.
    void ReadDefaultColumns(TFDQuery &query, TTableDef &def) const;
    // Errors are not reported; a failed call leaves the list as it was.
    void ReadPrimary(TTableDef &def) const;

private:
    TfrmObject *m_connection;
    QString m_schema;
    QString m_name;
    TTableQueries m_queries;
};
