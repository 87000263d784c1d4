#pragma once

#include "core/zkoption.h" // TzkSQLType
#include "platform/rtl/exceptions.h"

#include <QString>
#include <QStringList>

#include <vector>

// Raised by ParseSqlTables with the message its caller chose.
class ESQLParseError : public Exception
{
public:
    explicit ESQLParseError(const QString &Message)
        : Exception(Message)
    {
    }
};

struct TzkParseItem
{
    QString FObjectName;
    QString FAlias;
};

// The (object name, alias) pairs that the parser collects. Storage grows in
// steps (4, then 16, then a quarter) and is never shrunk but by Clear.
class TzkParseList
{
public:
    TzkParseList() = default;
    ~TzkParseList();
    TzkParseList(const TzkParseList &) = delete;
    TzkParseList &operator=(const TzkParseList &) = delete;

    int Add(const QString &AObjectName, const QString &AAlias);
    void Insert(int Index, const QString &AObjectName, const QString &AAlias);
    void Delete(int Index);
    void Clear();
    int IndexOf(const QString &AObjectName, const QString &AAlias) const;

    QString GetObjectName(int Index) const;
    void SetObjectName(int Index, const QString &Value);
    QString GetAlias(int Index) const;
    void SetAlias(int Index, const QString &Value);
    QString ObjectName(int Index) const { return GetObjectName(Index); }
    QString Alias(int Index) const { return GetAlias(Index); }

    int Count() const { return m_count; }
    int Capacity() const { return m_capacity; }
    void SetCapacity(int Value);

private:
    void checkIndex(int Index) const;
    void grow();

    std::vector<TzkParseItem> m_list; // m_capacity slots; those past m_count stay empty
    int m_count = 0;
    int m_capacity = 0;
};

// Cleans a statement held as lines, in place: drops leading and trailing
// blank and REM lines, removes -- and /* */ comments outside literals, trims
// every line and, when CutAtSemicolon, cuts the text at the first ; outside
// literals and comments.
void StripSqlComments(QStringList &Lines, bool CutAtSemicolon);

// Scans one statement (in lenient mode, with an empty ErrorMessage, also the
// statements that follow it) and appends what it touches to the lists.
// Returns the kind of the first statement. Raises ESQLParseError with
// ErrorMessage where it cannot follow the text; the lists keep what was
// added before.
TzkSQLType ParseSqlTables(const QString &SQLText, TzkParseList &Columns, TzkParseList &Tables, TzkParseList &OrderItems,
                          QStringList &WhereTokens, QStringList &GroupItems, QStringList &HavingTokens,
                          const QString &ErrorMessage, QString &ViewName);

// What SelectSqlErrorPosition needs of an SQL editor.
class ISqlErrorSelection
{
public:
    virtual ~ISqlErrorSelection() = default;
    virtual QString SelText() const = 0;
    virtual void MultiLineSelect(int FirstRow, int LastRow) = 0;
};

class TFDQuery;

// After a statement failed: selects its rows FirstRow..LastRow (0-based) in
// the editor unless the user had selected something. Query, Schema and
// ErrorMessage do not change what is selected.
void SelectSqlErrorPosition(ISqlErrorSelection *Memo, TFDQuery *Query, const QString &Schema, int FirstRow, int LastRow,
                            const QString &ErrorMessage);
