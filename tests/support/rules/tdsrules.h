#pragma once

// Rule files of the TDS test server and of the in-process scripted backend:
// a pattern of the SQL text a client sends, and the answers to it (result
// sets with typed columns, row counts, messages, errors, a delay, a dropped
// link). The format is described in tests/tds/README.md.

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QVariant>

namespace tdsrules {

enum class Type {
    Int,
    BigInt,
    SmallInt,
    TinyInt,
    Bit,
    Decimal,
    Numeric,
    Float,
    Real,
    Money,
    SmallMoney,
    Char,
    VarChar,
    NChar,
    NVarChar,
    Text,
    NText,
    DateTime,
    SmallDateTime,
    DateTime2,
    Date,
    Time,
    DateTimeOffset,
    UniqueIdentifier,
    Binary,
    VarBinary,
    Image,
    Xml,
    SqlVariant,
    Timestamp
};

struct Column
{
    QString name;
    QString typeName; // lower case: "int", "nvarchar", "decimal", ...
    Type type = Type::Int;
    int length = 0;    // char/varchar/binary/varbinary: bytes; nchar/nvarchar: characters; -1 for max
    int precision = 0; // decimal/numeric
    int scale = 0;     // decimal/numeric; fraction digits of datetime2/time/datetimeoffset
    int codePage = 0;  // char/varchar/text: 1252, or 932 when a value needs Japanese

    QString sqlType() const; // "nvarchar(40)", "decimal(18,4)", "varbinary(max)", "datetime2(7)"
    bool isMax() const { return length < 0; }
};

// One column of a generated result: the value of the row numbered n (1, 2, ...).
struct Generator
{
    enum Kind {
        Sequence, // start + (n - 1) * step, in the column's unit (see README)
        Constant, // the same value (or NULL) in every row
        Template  // text with "{n}" replaced by n
    };
    Kind kind = Sequence;
    // Integers, bit, text digits, GUID and binary: plain integers; decimal and
    // money: scaled by 10^scale; date and time types: 100 ns ticks (start from
    // 0001-01-01 00:00, time of day for time).
    qint64 start = 1;
    qint64 step = 1;
    double realStart = 1; // float, real
    double realStep = 1;
    QVariant constant;
    int constantTicks = 0; // 100 ns units below the millisecond of a date/time constant
    int offsetMinutes = 0; // datetimeoffset sequence
    QString text;          // Template

    qint64 integerAt(qint64 n) const { return start + (n - 1) * step; }
    double realAt(qint64 n) const { return realStart + double(n - 1) * realStep; }
};

struct ResultSet
{
    QList<Column> columns;
    QList<QList<QVariant>> rows;
    // A huge result is described, not stored: generatedRows rows, one
    // generator per column, and rows stays empty.
    qint64 generatedRows = 0;
    QList<Generator> generators;
    // Date/time cells whose text had digits below the millisecond: 100 ns
    // units beyond what QDateTime/QTime keep; key row * 65536 + column.
    QHash<qint64, int> subMilliTicks;

    bool isGenerated() const { return !generators.isEmpty(); }
    qint64 rowCount() const { return isGenerated() ? generatedRows : rows.size(); }
    // The typed value of a cell (stored or generated); a null QVariant for NULL.
    QVariant value(qint64 row, int column) const;
    int extraTicks(qint64 row, int column) const;
};

struct Answer
{
    enum Kind {
        Result,      // a result set, then a DONE with its row count
        RowCount,    // a DONE with a row count
        Message,     // an INFO token (PRINT, low-severity RAISERROR)
        Error,       // an ERROR token, then a DONE with the error flag
        Delay,       // wait delayMs; an attention (cancel) ends the wait and the answer
        Drop,        // close the connection without answering further
        UseDatabase, // the session's database changes to text (ENVCHANGE + INFO 5701)
        Transaction, // text "begin", "commit" or "rollback" (ENVCHANGE)
        Output,      // values of the call's output parameters (outputs); sent after the answers
        Return       // the return status (number) of the procedure the call runs
    };
    Kind kind = RowCount;
    ResultSet result;
    qint64 rowCount = -1; // Result: the DONE count (-1: the number of rows); RowCount: the count
    int number = 0;
    int state = 0;
    int severity = 0; // the class of a message or error
    int line = 0;
    QString text;
    int delayMs = 0;
    // Output: parameter name ("@P2") and the literal as written, converted
    // to the parameter's type when the call is answered.
    QList<QPair<QString, QString>> outputs;
};

// An error answer (severity 11 or more).
Answer errorAnswer(int number, int state, int severity, int line, const QString &text);

struct Rule
{
    QString mode; // "exact", "contains", "regex", or "login" (a regex on the user name)
    QString pattern;
    QString paramsPattern; // regex on the parameters rendered without types; empty: any
    QList<Answer> answers;
    QString file;
    int line = 0;

    // Prepared when loaded.
    QString normalizedPattern;
    QRegularExpression regex;
    QRegularExpression paramsRegex;
};

// What built-in answers need to know of the session that asks.
struct Session
{
    int spid = 51;
    QString user = QStringLiteral("sa");
    QString database = QStringLiteral("master");
    QString appName;
    QString hostName;
    int tranCount = 0;
};

// A parameter of an RPC (sp_executesql and friends), as logged and matched.
struct Param
{
    QString name;     // "@P1"
    QString typeName; // "nvarchar(4000)", "int", "decimal(18,4)", ...
    QVariant value;   // as ResultSet values hold them
    bool output = false;
};

// A value as an SQL literal: NULL, 12, N'text', 'text' (for char types),
// 0x0A0B, '2024-01-31 12:34:56.789'.
QString renderValue(const QVariant &value, const QString &typeName = {});
// "@P1 nvarchar(4000) = N'dbo', @P2 int = 5" (withTypes) or "@P1 = N'dbo', @P2 = 5".
QString renderParams(const QList<Param> &params, bool withTypes);

// What a call's output parameters come back with: the value an "output:"
// answer gives the parameter's name; for the variable that the statement's
// "exec @v = proc" assigns, the "return:" status; otherwise the value sent.
// False, with *error, when a value does not fit the parameter's type.
bool applyOutputs(const QList<Answer> &answers, const QString &statement, QList<Param> *params, QString *error);
// The "return:" status among the answers; 0 when none.
int returnStatus(const QList<Answer> &answers);

// Runs of blanks, tabs, CR and LF collapsed to one blank, ends trimmed.
QString normalizeSql(const QString &sql);

// Splits the leading "use <db>" statements (plain, [bracketed] or "quoted"
// names, an optional ";") off a batch: returns the statements as written,
// their databases in *databases and the text after them in *rest.
QStringList splitLeadingUse(const QString &sql, QStringList *databases, QString *rest);

// SQL Server 2019's answers to the statements clients send on logon.
constexpr const char *ProductVersion = "15.0.2000.5";
QString versionText();

// Not thread-safe: the server serialises its use.
class RuleSet
{
public:
    // A later file is searched before an earlier one; a file top to bottom.
    bool loadFile(const QString &path, QString *error = nullptr);
    bool loadText(const QString &text, const QString &name, QString *error = nullptr);
    void clear() { m_files.clear(); }
    bool isEmpty() const { return m_files.isEmpty(); }

    // The first rule that matches the batch text (and its parameters), or null.
    const Rule *match(const QString &sql, const QString &renderedParams = {}) const;

    // The whole answer to a batch: leading "use" statements, then the matching
    // rule's answers, the built-in answer, or error 50000 "no rule matches".
    QList<Answer> answer(const QString &sql, const QString &renderedParams = {}) const;
    // As above, for a session that the answer updates (database, transactions).
    QList<Answer> answer(const QString &sql, const QString &renderedParams, Session *session) const;

    // The answers to a logon of this user from the first "login" rule that
    // matches; empty when the logon is accepted without remark.
    QList<Answer> loginAnswers(const QString &user) const;
    // Whether answers to a logon refuse it (hold an error or a drop).
    static bool refusesLogin(const QList<Answer> &answers);

private:
    const Rule *find(const QString &sql, const QString &renderedParams, bool login) const;

    QList<QList<Rule>> m_files;
};

} // namespace tdsrules
