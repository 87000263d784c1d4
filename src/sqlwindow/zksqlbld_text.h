#pragma once

// The query designer's statement text as a function of a plain design:
// the designer gathers its boxes, joins and grid rows into a TzkDesign and
// writes what these functions return.
#include "core/zkoption.h" // TzkSQLType
#include "sqlwindow/zksqlbld.h"

#include <QList>
#include <QPair>

#include <functional>
#include <QString>
#include <QStringList>

// One table box as the text needs it: the name prefixes already formed
// (empty or "name."), the unbracketed table name and the alias.
struct TzkDesignBox
{
    QString Database; // GetDatabase
    QString Schema;   // GetSchema
    QString TableName;
    QString Alias;   // as Alias() gives it: TableName when none is typed
    QString RefName; // GetRefName
};

struct TzkDesignJoin
{
    int From = 0; // index into Boxes
    int To = 0;
    QString FromColumn;
    QString ToColumn;
    TzkSQLBuildConnectType ConnectType = ctEQ;
};

// One data row of the design grid.
struct TzkDesignRow
{
    QString Expr;  // column 0
    QString Alias; // column 1: alias, or the value for INSERT and UPDATE
    bool Show = false;
    QString SortDir;   // "", "昇順", "降順"
    QString SortOrder; // digits
    QString Group;     // "", "GROUP BY", "HAVING" or an aggregate
    QString Criterion;
};

struct TzkDesign
{
    TzkSQLType Kind = sqltSelect;
    QString ViewName;
    QList<TzkDesignBox> Boxes;
    QList<TzkDesignJoin> Joins;
    QList<TzkDesignRow> Rows;
};

// The statement's lines before formatting. Rows taking part in ORDER BY
// are renumbered (sort order 1, 2, ...; an empty direction becomes
// "昇順"); other rows with a sort order lose it, as in the grid.
QStringList DesignStatementLines(TzkDesign &Design);

// "a" .. "z", "aa" .. "az", "aaa", ...: the candidate after Alias.
QString NextAliasCandidate(const QString &Alias);
// The first candidate from "a" not in Used (case counted).
QString FirstFreeAlias(const QStringList &Used);

// A name in double quotes loses them, doubled quotes inside read as one;
// other names are returned unchanged.
QString DequoteName(const QString &Name);

// A table name split at the dots outside brackets, each part unbracketed
// ("]]" inside brackets reads as "]") and trimmed.
QStringList SplitTableName(const QString &Name);

// The catalogue queries of adding a table, each with its "Use [db] " head.
QString CatalogUsePrefix(const QString &Database);
QString SynonymTargetSQL(const QString &Database);
QString KeyColumnsSQL(const QString &Database, bool IsAzure);
QString TableColumnsSQL(const QString &Database);
// The query that opens a derived table (its text with the outer
// parentheses) only to learn its columns.
QString DerivedColumnsSQL(const QString &Derived);

// What the parser gives of one statement, as (object, alias) pairs and
// token lists.
struct TzkParsedStatement
{
    TzkSQLType Kind = sqltSelect;
    QList<QPair<QString, QString>> Columns; // expression, alias
    QList<QPair<QString, QString>> Tables;  // name, alias
    QList<QPair<QString, QString>> Order;   // expression, "DESC" or other
    QStringList Where;
    QStringList Group;
    QStringList Having;
};

// A join found among the conditions: box indexes as FindBox gave them.
struct TzkRebuiltJoin
{
    int From = -1;
    int To = -1;
    QString FromColumn;
    QString ToColumn;
    TzkSQLBuildConnectType ConnectType = ctEQ;
    TzkSQLBuildJoinType JoinType = jtInner;
};

// The box (index) holding Column among those with alias Qualifier (every
// box when empty), -1 when none.
using TzkFindBox = std::function<int(const QString &Qualifier, const QString &Column)>;

// The grid rows (without the header and the trailing empty row) and the
// joins of a parsed statement. GroupPick is the grouping pick list, its
// empty entry first.
void DesignFromStatement(const TzkParsedStatement &Statement, const QStringList &GroupPick, const TzkFindBox &FindBox,
                         QList<TzkDesignRow> &Rows, QList<TzkRebuiltJoin> &Joins);
