// The test server through the real FreeTDS ODBC driver (and tsql), with raw
// ODBC calls: what the database layer will meet.

#include "tds/tdsserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <thread>

namespace {

// FreeTDS answers SQL_DIAG_SS_MSGSTATE with the message's class (severity)
// and SQL_DIAG_SS_LINE with its line; it refuses negative (SQL_IS_...)
// buffer lengths for both.
constexpr SQLSMALLINT DiagMsgState = -1150;
constexpr SQLSMALLINT DiagLine = -1154;

SQLWCHAR *w(const QString &s)
{
    return reinterpret_cast<SQLWCHAR *>(const_cast<ushort *>(s.utf16()));
}

struct Diag
{
    QString state;
    int native = 0;
    QString text;
    int severity = -1;
    int line = -1;
};

QList<Diag> diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QList<Diag> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[2048];
        SQLSMALLINT len = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, i, state, &native, text, 2048, &len)))
            break;
        Diag d;
        d.state = QString::fromUtf16(reinterpret_cast<const char16_t *>(state), 5);
        d.native = native;
        d.text = QString::fromUtf16(reinterpret_cast<const char16_t *>(text), qMin<int>(len, 2047));
        SQLINTEGER v = 0;
        if (SQL_SUCCEEDED(SQLGetDiagFieldW(type, handle, i, DiagMsgState, &v, sizeof v, nullptr)))
            d.severity = v;
        SQLUSMALLINT line = 0;
        if (SQL_SUCCEEDED(SQLGetDiagFieldW(type, handle, i, DiagLine, &line, sizeof line, nullptr)))
            d.line = line;
        out << d;
    }
    return out;
}

// One ODBC connection with one statement handle.
class Odbc
{
public:
    Odbc()
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
    }
    ~Odbc()
    {
        if (m_stmt)
            SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        if (m_connected)
            SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }

    bool connect(const QString &connectionString)
    {
        const SQLRETURN r =
            SQLDriverConnectW(m_dbc, nullptr, w(connectionString), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        m_connected = SQL_SUCCEEDED(r);
        diags = diagnostics(SQL_HANDLE_DBC, m_dbc);
        if (m_connected)
            SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_stmt);
        return m_connected;
    }

    SQLHSTMT stmt() const { return m_stmt; }
    SQLHDBC dbc() const { return m_dbc; }

    SQLRETURN exec(const QString &sql)
    {
        SQLFreeStmt(m_stmt, SQL_CLOSE);
        const SQLRETURN r = SQLExecDirectW(m_stmt, w(sql), SQL_NTS);
        diags = diagnostics(SQL_HANDLE_STMT, m_stmt);
        return r;
    }
    SQLRETURN moreResults()
    {
        const SQLRETURN r = SQLMoreResults(m_stmt);
        diags = diagnostics(SQL_HANDLE_STMT, m_stmt);
        return r;
    }

    // Column values; std::nullopt for NULL.
    std::optional<QString> text(int col)
    {
        QString out;
        SQLWCHAR buf[4096];
        for (;;) {
            SQLLEN ind = 0;
            const SQLRETURN r = SQLGetData(m_stmt, SQLUSMALLINT(col), SQL_C_WCHAR, buf, sizeof buf, &ind);
            if (r == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(r))
                return QStringLiteral("<error>");
            if (ind == SQL_NULL_DATA)
                return std::nullopt;
            const SQLLEN chars =
                (ind == SQL_NO_TOTAL || ind >= SQLLEN(sizeof buf)) ? SQLLEN(sizeof buf / 2 - 1) : ind / 2;
            out += QString::fromUtf16(reinterpret_cast<const char16_t *>(buf), chars);
            if (r == SQL_SUCCESS)
                break;
        }
        return out;
    }
    std::optional<QByteArray> bytes(int col)
    {
        QByteArray out;
        char buf[4096];
        for (;;) {
            SQLLEN ind = 0;
            const SQLRETURN r = SQLGetData(m_stmt, SQLUSMALLINT(col), SQL_C_BINARY, buf, sizeof buf, &ind);
            if (r == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(r))
                return QByteArray("<error>");
            if (ind == SQL_NULL_DATA)
                return std::nullopt;
            out.append(buf, (ind == SQL_NO_TOTAL || ind > SQLLEN(sizeof buf)) ? SQLLEN(sizeof buf) : ind);
            if (r == SQL_SUCCESS)
                break;
        }
        return out;
    }
    template<typename T>
    std::optional<T> value(int col, SQLSMALLINT cType)
    {
        T v{};
        SQLLEN ind = 0;
        if (!SQL_SUCCEEDED(SQLGetData(m_stmt, SQLUSMALLINT(col), cType, &v, sizeof v, &ind)) || ind == SQL_NULL_DATA)
            return std::nullopt;
        return v;
    }

    QString describe(int col, SQLSMALLINT *type, SQLULEN *size = nullptr, SQLSMALLINT *digits = nullptr)
    {
        SQLWCHAR name[256];
        SQLSMALLINT len = 0, t = 0, d = 0, nullable = 0;
        SQLULEN s = 0;
        SQLDescribeColW(m_stmt, SQLUSMALLINT(col), name, 256, &len, &t, &s, &d, &nullable);
        *type = t;
        if (size)
            *size = s;
        if (digits)
            *digits = d;
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(name), len);
    }

    QList<Diag> diags;

private:
    SQLHENV m_env = nullptr;
    SQLHDBC m_dbc = nullptr;
    SQLHSTMT m_stmt = nullptr;
    bool m_connected = false;
};

class TdsServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(server.loadRules(QStringLiteral(ZK_FIXTURES_DIR "/tds_server.rules"), &error))
            << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        ASSERT_NE(server.port(), 0);
    }

    void connect(Odbc &db, const QString &extra = {})
    {
        QString cs = server.connectionString();
        if (!extra.isEmpty())
            cs += QLatin1Char(';') + extra;
        ASSERT_TRUE(db.connect(cs)) << (db.diags.isEmpty() ? std::string() : db.diags.first().text.toStdString());
    }

    QList<TdsLogEntry> entries(TdsLogEntry::Kind kind) const
    {
        QList<TdsLogEntry> out;
        for (const TdsLogEntry &e : server.log()) {
            if (e.kind == kind)
                out << e;
        }
        return out;
    }

    TdsServer server;
};

} // namespace

TEST_F(TdsServerTest, EveryColumnTypeComesBackTyped)
{
    Odbc db;
    connect(db);
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select * from all_types"))));

    struct Meta
    {
        const char *name;
        SQLSMALLINT type;
    } meta[] = {
        {"i", SQL_INTEGER},
        {"bi", SQL_BIGINT},
        {"si", SQL_SMALLINT},
        {"ti", SQL_TINYINT},
        {"b", SQL_BIT},
        {"d", SQL_NUMERIC},
        {"n", SQL_NUMERIC},
        {"f", SQL_DOUBLE},
        {"r", SQL_REAL},
        {"m", SQL_DECIMAL},
        {"sm", SQL_DECIMAL},
        {"c", SQL_CHAR},
        {"vc", SQL_VARCHAR},
        {"nc", SQL_WCHAR},
        {"nv", SQL_WVARCHAR},
        {"t", SQL_LONGVARCHAR},
        {"nt", SQL_WLONGVARCHAR},
        {"dt", SQL_TYPE_TIMESTAMP},
        {"sdt", SQL_TYPE_TIMESTAMP},
        {"dt2", SQL_TYPE_TIMESTAMP},
        {"da", SQL_TYPE_DATE},
        {"tm", -154},
        {"dto", -155},
        {"g", SQL_GUID},
        {"bin", SQL_BINARY},
        {"vb", SQL_VARBINARY},
        {"vbmax", SQL_VARBINARY},
        {"img", SQL_LONGVARBINARY},
        {"x", -152},
        {"sv", -150},
        {"ts", SQL_BINARY},
        {"vj", SQL_VARCHAR},
    };
    SQLSMALLINT count = 0;
    SQLNumResultCols(db.stmt(), &count);
    ASSERT_EQ(count, SQLSMALLINT(std::size(meta)));
    for (int c = 0; c < count; ++c) {
        SQLSMALLINT type = 0;
        EXPECT_EQ(db.describe(c + 1, &type), QLatin1String(meta[c].name));
        EXPECT_EQ(type, meta[c].type) << meta[c].name;
    }
    SQLULEN size = 0;
    SQLSMALLINT digits = 0, type = 0;
    db.describe(6, &type, &size, &digits);
    EXPECT_EQ(size, 38u);
    EXPECT_EQ(digits, 10);
    db.describe(15, &type, &size);
    EXPECT_EQ(size, 40u);

    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    EXPECT_EQ(db.value<qint64>(1, SQL_C_SBIGINT), -2147483648LL);
    EXPECT_EQ(db.value<qint64>(2, SQL_C_SBIGINT), 9223372036854775807LL);
    EXPECT_EQ(db.value<qint64>(3, SQL_C_SBIGINT), -32768);
    EXPECT_EQ(db.value<qint64>(4, SQL_C_SBIGINT), 255);
    EXPECT_EQ(db.value<unsigned char>(5, SQL_C_BIT), 1);
    EXPECT_EQ(db.text(6), QStringLiteral("1234567890123456789012345678.0123456789"));
    EXPECT_EQ(db.text(7), QStringLiteral("-1234567.89"));
    EXPECT_EQ(db.value<double>(8, SQL_C_DOUBLE), 3.141592653589793);
    EXPECT_EQ(db.value<float>(9, SQL_C_FLOAT), 1.5f);
    EXPECT_EQ(db.text(10), QStringLiteral("-922337203685477.5808"));
    EXPECT_EQ(db.text(11), QStringLiteral("214748.3647"));
    EXPECT_EQ(db.text(12), QStringLiteral("ab   "));
    EXPECT_EQ(db.text(13), QStringLiteral("café"));
    EXPECT_EQ(db.text(14), QStringLiteral("日本 "));
    EXPECT_EQ(db.text(15), QStringLiteral("テスト's"));
    EXPECT_EQ(db.text(16), QStringLiteral("plain text"));
    EXPECT_EQ(db.text(17), QStringLiteral("ユニコード"));
    auto stamp = [&](int col) {
        const auto ts = db.value<SQL_TIMESTAMP_STRUCT>(col, SQL_C_TYPE_TIMESTAMP);
        if (!ts)
            return QStringLiteral("NULL");
        return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d %09u", ts->year, ts->month, ts->day, ts->hour,
                                 ts->minute, ts->second, unsigned(ts->fraction));
    };
    EXPECT_EQ(stamp(18), QStringLiteral("2024-01-31 12:34:56 790000000"));
    EXPECT_EQ(stamp(19), QStringLiteral("2024-01-31 12:35:00 000000000"));
    EXPECT_EQ(stamp(20), QStringLiteral("2024-01-31 12:34:56 123456700"));
    const auto date = db.value<SQL_DATE_STRUCT>(21, SQL_C_TYPE_DATE);
    ASSERT_TRUE(date);
    EXPECT_EQ(date->year * 10000 + date->month * 100 + date->day, 10101);
    EXPECT_EQ(db.text(22), QStringLiteral("23:59:59.9999999"));
    EXPECT_EQ(db.text(23), QStringLiteral("2024-01-31 12:00:00.500 +09:00"));
    EXPECT_EQ(db.text(24), QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
    EXPECT_EQ(db.bytes(25), QByteArray("\x0A\x0B\0\0", 4));
    EXPECT_EQ(db.bytes(26), QByteArray("\x00\xFF", 2));
    EXPECT_EQ(db.bytes(27), QByteArray("\x01\x02\x03"));
    EXPECT_EQ(db.bytes(28), QByteArray("\xFF\xD8"));
    EXPECT_EQ(db.text(29), QStringLiteral("<a>x</a>"));
    EXPECT_EQ(db.text(30), QStringLiteral("15.0.2000.5"));
    EXPECT_EQ(db.bytes(31), QByteArray("\0\0\0\0\0\0\x07\xD1", 8));
    EXPECT_EQ(db.text(32), QStringLiteral("日本語"));

    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    for (int c = 1; c <= count; ++c) {
        SCOPED_TRACE(meta[c - 1].name);
        EXPECT_EQ(db.text(c), std::nullopt);
    }
    EXPECT_EQ(SQLFetch(db.stmt()), SQL_NO_DATA);
}

TEST_F(TdsServerTest, LongValuesArriveWhole)
{
    // Over 64 KB of text with Japanese, and 100 KB of bytes, in the max types.
    QString longText;
    while (longText.size() < 70000)
        longText += QStringLiteral("日本語のテキスト%1,").arg(longText.size());
    QByteArray longBytes(100000, '\0');
    for (int i = 0; i < longBytes.size(); ++i)
        longBytes[i] = char(i * 7);
    QString error;
    ASSERT_TRUE(server.loadRulesText(
        QStringLiteral("rule exact: select long_values\n"
                       "  result: t nvarchar(max), b varbinary(max), s varchar(max), n nvarchar(max)\n"
                       "  row: N'%1', 0x%2, 'short', N''\n"
                       "  row: NULL, NULL, NULL, NULL\n")
            .arg(longText, QString::fromLatin1(longBytes.toHex())),
        QStringLiteral("long"), &error))
        << error.toStdString();
    Odbc db;
    connect(db);
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select long_values"))));
    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    const auto t = db.text(1);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->size(), longText.size());
    EXPECT_TRUE(*t == longText);
    EXPECT_TRUE(db.bytes(2) == longBytes);
    EXPECT_EQ(db.text(3), QStringLiteral("short"));
    EXPECT_EQ(db.text(4), QString());
    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(db.text(c), std::nullopt) << c;
}

TEST_F(TdsServerTest, SeveralAnswersArriveInOrderWithMessagesAndErrors)
{
    Odbc db;
    connect(db);
    EXPECT_EQ(db.exec(QStringLiteral("exec several")), SQL_SUCCESS_WITH_INFO);
    ASSERT_FALSE(db.diags.isEmpty());
    EXPECT_TRUE(db.diags.first().text.endsWith(QLatin1String("before the rows")));
    SQLSMALLINT type = 0;
    EXPECT_EQ(db.describe(1, &type), QStringLiteral("first col"));
    EXPECT_EQ(db.describe(2, &type), QString());
    int rows = 0;
    while (SQLFetch(db.stmt()) == SQL_SUCCESS)
        ++rows;
    EXPECT_EQ(rows, 2);

    ASSERT_TRUE(SQL_SUCCEEDED(db.moreResults()));
    SQLLEN count = -1;
    SQLRowCount(db.stmt(), &count);
    EXPECT_EQ(count, 3);

    ASSERT_TRUE(SQL_SUCCEEDED(db.moreResults()));
    EXPECT_EQ(db.describe(1, &type), QStringLiteral("second"));
    // The error after the last result comes with the step past it.
    EXPECT_EQ(db.moreResults(), SQL_ERROR);
    ASSERT_FALSE(db.diags.isEmpty());
    const Diag &e = db.diags.first();
    EXPECT_EQ(e.native, 547);
    EXPECT_EQ(e.severity, 16);
    EXPECT_EQ(e.line, 2);
    EXPECT_TRUE(e.text.endsWith(QLatin1String("with the FOREIGN KEY constraint \"FK_x\"."))) << e.text.toStdString();
    EXPECT_EQ(db.moreResults(), SQL_NO_DATA);

    // No rule: error 50000 with the statement in its text.
    EXPECT_EQ(db.exec(QStringLiteral("select * from nowhere")), SQL_ERROR);
    ASSERT_FALSE(db.diags.isEmpty());
    EXPECT_EQ(db.diags.first().native, 50000);
    EXPECT_TRUE(db.diags.first().text.endsWith(QLatin1String("no rule matches: select * from nowhere")));
}

TEST_F(TdsServerTest, ParameterisedStatementsAreMatchedAndLogged)
{
    Odbc db;
    connect(db);
    const QString sql = QStringLiteral("select name from sys.schemas where name = ?");
    ASSERT_TRUE(SQL_SUCCEEDED(SQLPrepareW(db.stmt(), w(sql), SQL_NTS)));
    SQLWCHAR value[64] = {};
    SQLLEN ind = SQL_NTS;
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLBindParameter(db.stmt(), 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 128, 0, value, sizeof value, &ind)));
    for (const char *name : {"dbo", "sys"}) {
        SCOPED_TRACE(name);
        const QString n = QString::fromLatin1(name);
        std::memcpy(value, n.utf16(), size_t(n.size() + 1) * 2);
        ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(db.stmt())))
            << diagnostics(SQL_HANDLE_STMT, db.stmt()).value(0).text.toStdString();
        int rows = 0;
        while (SQLFetch(db.stmt()) == SQL_SUCCESS)
            ++rows;
        EXPECT_EQ(rows, n == QLatin1String("dbo") ? 1 : 0);
        SQLFreeStmt(db.stmt(), SQL_CLOSE);
        const QList<TdsLogEntry> rpcs = entries(TdsLogEntry::Rpc);
        ASSERT_FALSE(rpcs.isEmpty());
        EXPECT_EQ(rpcs.last().text, QStringLiteral("select name from sys.schemas where name = @P1"));
        EXPECT_TRUE(rpcs.last().params.startsWith(QLatin1String("@P1 nvarchar(")));
        EXPECT_TRUE(rpcs.last().params.endsWith(QStringLiteral(") = N'%1'").arg(n)))
            << rpcs.last().params.toStdString();
    }
    SQLFreeStmt(db.stmt(), SQL_RESET_PARAMS);

    // Typed parameters render as literals of their types.
    ASSERT_TRUE(server.loadRulesText(QStringLiteral("rule contains: params_echo\n  rowcount: 1\n")));
    qint32 i = -7;
    SQLLEN iInd = 0, nullInd = SQL_NULL_DATA, decInd = SQL_NTS, tsInd = 0, binInd = 3, strInd = SQL_NTS;
    char dec[] = "-12.5000";
    SQL_TIMESTAMP_STRUCT ts{2024, 1, 31, 12, 34, 56, 789000000};
    unsigned char bin[] = {0x0A, 0x0B, 0xFF};
    const QString jp = QStringLiteral("日本'語");
    SQLWCHAR str[16] = {};
    std::memcpy(str, jp.utf16(), size_t(jp.size() + 1) * 2);
    SQLBindParameter(db.stmt(), 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &i, 0, &iInd);
    SQLBindParameter(db.stmt(), 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_DECIMAL, 18, 4, dec, sizeof dec, &decInd);
    SQLBindParameter(db.stmt(), 3, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3, &ts, 0, &tsInd);
    SQLBindParameter(db.stmt(), 4, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY, 10, 0, bin, 3, &binInd);
    SQLBindParameter(db.stmt(), 5, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 10, 0, str, sizeof str, &strInd);
    SQLBindParameter(db.stmt(), 6, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &i, 0, &nullInd);
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("exec params_echo ?, ?, ?, ?, ?, ?"))))
        << db.diags.value(0).text.toStdString();
    const TdsLogEntry last = entries(TdsLogEntry::Rpc).last();
    EXPECT_EQ(last.text, QStringLiteral("exec params_echo @P1, @P2, @P3, @P4, @P5, @P6"));
    const QStringList params = last.params.split(QStringLiteral(", @"));
    ASSERT_EQ(params.size(), 6) << last.params.toStdString();
    EXPECT_EQ(params[0], QStringLiteral("@P1 int = -7"));
    EXPECT_TRUE(params[1].startsWith(QLatin1String("P2 decimal(18,4) = -12.5000"))) << params[1].toStdString();
    EXPECT_TRUE(params[2].endsWith(QLatin1String(" = '2024-01-31 12:34:56.789'"))) << params[2].toStdString();
    EXPECT_TRUE(params[3].endsWith(QLatin1String(" = 0x0A0BFF"))) << params[3].toStdString();
    EXPECT_TRUE(params[4].endsWith(QStringLiteral(" = N'日本''語'"))) << params[4].toStdString();
    EXPECT_TRUE(params[5].endsWith(QLatin1String(" = NULL"))) << params[5].toStdString();
}

TEST_F(TdsServerTest, LeadingUseLinesChangeTheDatabase)
{
    Odbc db;
    connect(db);
    const QString batch = QStringLiteral("use [test]]db]\r\nselect db_name()");
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(batch))) << db.diags.value(0).text.toStdString();
    // The first result with columns is the select's.
    SQLSMALLINT cols = 0;
    SQLNumResultCols(db.stmt(), &cols);
    if (cols == 0) {
        ASSERT_TRUE(SQL_SUCCEEDED(db.moreResults()));
    }
    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    EXPECT_EQ(db.text(1), QStringLiteral("test]db"));
    SQLFreeStmt(db.stmt(), SQL_CLOSE);
    EXPECT_EQ(server.statements().last(), batch); // logged exactly as received

    SQLWCHAR catalog[128] = {};
    SQLINTEGER len = 0;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLGetConnectAttrW(db.dbc(), SQL_ATTR_CURRENT_CATALOG, catalog, sizeof catalog, &len)));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(catalog)), QStringLiteral("test]db"));

    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select db_name()"))));
    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    EXPECT_EQ(db.text(1), QStringLiteral("test]db"));

    // A "use" inside a parameterised statement (sp_executesql) lasts for that call only.
    ASSERT_TRUE(server.loadRulesText(QStringLiteral("rule contains: scoped_probe\n  rowcount: 1\n")));
    SQLINTEGER one = 1;
    SQLLEN ind = 0;
    SQLBindParameter(db.stmt(), 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &one, 0, &ind);
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("use [scoped]\nexec scoped_probe ?"))))
        << db.diags.value(0).text.toStdString();
    while (db.moreResults() != SQL_NO_DATA) {
    }
    SQLFreeStmt(db.stmt(), SQL_RESET_PARAMS);
    EXPECT_EQ(entries(TdsLogEntry::Rpc).last().procedure, QStringLiteral("sp_executesql"));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLGetConnectAttrW(db.dbc(), SQL_ATTR_CURRENT_CATALOG, catalog, sizeof catalog, &len)));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(catalog)), QStringLiteral("test]db"));
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select db_name()"))));
    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    EXPECT_EQ(db.text(1), QStringLiteral("test]db"));
}

TEST_F(TdsServerTest, CancelEndsADelay)
{
    for (const char *sql : {"select slow", "waitfor delay '00:00:30'"}) {
        SCOPED_TRACE(sql);
        server.clearLog();
        Odbc db;
        connect(db);
        SQLRETURN result = SQL_SUCCESS;
        QList<Diag> diags;
        QElapsedTimer timer;
        timer.start();
        std::thread worker([&] {
            result = SQLExecDirectW(db.stmt(), w(QString::fromLatin1(sql)), SQL_NTS);
            diags = diagnostics(SQL_HANDLE_STMT, db.stmt());
        });
        ASSERT_TRUE(server.waitForLog(
            [&](const QList<TdsLogEntry> &log) { return !log.isEmpty() && log.last().text == QLatin1String(sql); }));
        QThread::msleep(100);
        EXPECT_TRUE(SQL_SUCCEEDED(SQLCancel(db.stmt())));
        worker.join();
        EXPECT_LT(timer.elapsed(), 10000);
        EXPECT_EQ(result, SQL_ERROR);
        EXPECT_EQ(diags.value(0).state, QStringLiteral("HY008"));
        EXPECT_EQ(entries(TdsLogEntry::Attention).size(), 1);

        // The connection stays usable.
        ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select @@spid"))));
        ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
        EXPECT_EQ(db.value<qint64>(1, SQL_C_SBIGINT), 50 + server.logins().last().connection);
    }
}

TEST_F(TdsServerTest, DroppedConnectionsBreakTheLink)
{
    for (bool byRule : {true, false}) {
        SCOPED_TRACE(byRule ? "by rule" : "by the test");
        Odbc db;
        connect(db);
        ASSERT_EQ(server.openConnections(), 1);
        if (!byRule)
            server.dropConnections();
        EXPECT_EQ(db.exec(byRule ? QStringLiteral("break the link") : QStringLiteral("select @@spid")), SQL_ERROR);
        EXPECT_FALSE(db.diags.isEmpty());
        // The driver knows the link is gone.
        SQLUINTEGER dead = SQL_CD_FALSE;
        SQLGetConnectAttr(db.dbc(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
        EXPECT_EQ(dead, SQLUINTEGER(SQL_CD_TRUE));
        EXPECT_TRUE(server.waitForLog([](const QList<TdsLogEntry> &log) {
            return log.last().kind == TdsLogEntry::Disconnect && log.last().text == QLatin1String("dropped");
        }));
        EXPECT_EQ(server.openConnections(), 0);
    }
}

TEST_F(TdsServerTest, LoginsAreRecordedAndCanBeRefused)
{
    Odbc db;
    connect(db, QStringLiteral("UID=o'neil;PWD={p;w=d};APP=zk test;DATABASE=tempdb"));
    ASSERT_EQ(server.logins().size(), 1);
    const TdsLoginRecord login = server.logins().first();
    EXPECT_EQ(login.user, QStringLiteral("o'neil"));
    EXPECT_EQ(login.password, QStringLiteral("p;w=d"));
    EXPECT_EQ(login.appName, QStringLiteral("zk test"));
    EXPECT_EQ(login.database, QStringLiteral("tempdb"));
    EXPECT_EQ(login.tdsVersion, 0x74000004u);
    EXPECT_FALSE(login.refused);
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select db_name(), suser_sname()"))));
    ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    EXPECT_EQ(db.text(1), QStringLiteral("tempdb"));
    EXPECT_EQ(db.text(2), QStringLiteral("o'neil"));

    Odbc refused;
    EXPECT_FALSE(refused.connect(server.connectionString() + QStringLiteral(";UID=refused_user")));
    bool found = false;
    for (const Diag &d : std::as_const(refused.diags))
        found = found || (d.native == 18456 && d.text.contains(QLatin1String("Login failed for user 'refused_user'.")));
    EXPECT_TRUE(found);
    EXPECT_TRUE(server.logins().last().refused);

    // A client that requires encryption gives up: the server offers none.
    Odbc encrypted;
    EXPECT_FALSE(encrypted.connect(server.connectionString() + QStringLiteral(";Encryption=require")));
    EXPECT_FALSE(encrypted.diags.isEmpty());
}

TEST_F(TdsServerTest, GeneratedRowsStream)
{
    ASSERT_TRUE(server.loadRulesText(QStringLiteral(
        "rule exact: select generated\n"
        "  result: id int, name nvarchar(20), amount decimal(18,4), at datetime2(7), flag bit, code varchar(12), "
        "nothing int\n"
        "  rows: 200000 generated: seq, N'行 {n}', seq(0.0001, 1.0001), seq('2024-01-01 00:00:00', 0.0000001), seq, "
        "'C{n}', NULL\n")));
    Odbc db;
    connect(db);
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select generated"))));
    int rows = 0;
    while (SQLFetch(db.stmt()) == SQL_SUCCESS) {
        ++rows;
        if (rows == 1 || rows == 200000) {
            EXPECT_EQ(db.value<qint64>(1, SQL_C_SBIGINT), rows);
            EXPECT_EQ(db.text(2), QStringLiteral("行 %1").arg(rows));
            EXPECT_EQ(db.text(3), rows == 1 ? QStringLiteral("0.0001") : QStringLiteral("200019.0000"));
            const auto ts = db.value<SQL_TIMESTAMP_STRUCT>(4, SQL_C_TYPE_TIMESTAMP);
            ASSERT_TRUE(ts);
            EXPECT_EQ(ts->fraction, SQLUINTEGER((rows - 1) * 100)); // 100 ns a row
            EXPECT_EQ(db.value<unsigned char>(5, SQL_C_BIT), rows % 2);
            EXPECT_EQ(db.text(6), QStringLiteral("C%1").arg(rows));
            EXPECT_EQ(db.text(7), std::nullopt);
        }
    }
    EXPECT_EQ(rows, 200000);
    SQLLEN count = -1;
    SQLRowCount(db.stmt(), &count);
    EXPECT_EQ(count, 200000);
}

TEST_F(TdsServerTest, TsqlLogsOnAndQueries)
{
    QProcess tsql;
    tsql.start(QStringLiteral("tsql"),
               {QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(server.port()),
                QStringLiteral("-U"), QStringLiteral("sa"), QStringLiteral("-P"), QStringLiteral("x")});
    ASSERT_TRUE(tsql.waitForStarted(10000));
    tsql.write("select @@version\ngo\nselect * from all_types\ngo\nexec several\ngo\nexit\n");
    tsql.closeWriteChannel();
    ASSERT_TRUE(tsql.waitForFinished(20000));
    const QString out = QString::fromUtf8(tsql.readAllStandardOutput());
    EXPECT_EQ(tsql.exitCode(), 0);
    EXPECT_TRUE(out.contains(QLatin1String("15.0.2000.5"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("テスト's"))) << out.toStdString();
    // tsql shows an error's number, severity, state and line as sent.
    const QString err = QString::fromUtf8(tsql.readAllStandardError());
    EXPECT_TRUE(err.contains(QLatin1String("Msg 547 (severity 16, state 0) from ZKTDS Line 2"))) << err.toStdString();
    EXPECT_EQ(entries(TdsLogEntry::Login).value(0).text, QStringLiteral("sa database=master app=TSQL"));
}

TEST(TdsServerProgram, ListensOnTheChosenPortAndLogs)
{
    QTemporaryDir dir;
    const QString logFile = dir.filePath(QStringLiteral("requests.log"));
    QProcess program;
    program.start(QStringLiteral(ZK_BINARY_DIR "/bin/zk-tds-server"),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--rules"),
                   QStringLiteral(ZK_FIXTURES_DIR "/tds_server.rules"), QStringLiteral("--log"), logFile});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(program.waitForReadyRead(10000));
    const int port = program.readLine().trimmed().toInt();
    ASSERT_GT(port, 0);
    {
        Odbc db;
        ASSERT_TRUE(db.connect(QStringLiteral("DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=%1;UID=sa;PWD=x;"
                                              "TDS_Version=7.4;ClientCharset=UTF-8")
                                   .arg(port)));
        ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select * from all_types"))));
    }
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    QFile f(logFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(log.contains(QLatin1String("[1] login: sa database=master"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QLatin1String("[1] batch: select * from all_types"))) << log.toStdString();

    QProcess bad;
    bad.start(QStringLiteral(ZK_BINARY_DIR "/bin/zk-tds-server"),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--rules"),
               dir.filePath(QStringLiteral("none.rules"))});
    ASSERT_TRUE(bad.waitForFinished(10000));
    EXPECT_EQ(bad.exitCode(), 1);
    EXPECT_TRUE(bad.readAllStandardError().contains("none.rules"));
}

TEST_F(TdsServerTest, TransactionRequestsAreAnsweredAndLogged)
{
    Odbc db;
    connect(db);
    auto tranCount = [&] {
        db.exec(QStringLiteral("select @@trancount"));
        SQLFetch(db.stmt());
        const auto n = db.value<qint64>(1, SQL_C_SBIGINT);
        SQLCloseCursor(db.stmt());
        return n.value_or(-1);
    };
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLSetConnectAttr(db.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
    EXPECT_EQ(tranCount(), 1);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_COMMIT)));
    EXPECT_EQ(tranCount(), 1); // without autocommit the next transaction starts at once
    EXPECT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, db.dbc(), SQL_ROLLBACK)));
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLSetConnectAttr(db.dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0)));
    EXPECT_EQ(tranCount(), 0);
    QStringList tm;
    for (const TdsLogEntry &e : entries(TdsLogEntry::Transaction))
        tm << e.text;
    // FreeTDS ends an open transaction with a rollback when autocommit comes back on.
    EXPECT_EQ(tm, QStringList({QStringLiteral("begin"), QStringLiteral("commit, begin"),
                               QStringLiteral("rollback, begin"), QStringLiteral("rollback")}));

    // Batches may run transactions too (a statement with no result and no
    // count gives SQL_NO_DATA).
    ASSERT_NE(db.exec(QStringLiteral("begin transaction")), SQL_ERROR);
    EXPECT_EQ(tranCount(), 1);
    ASSERT_NE(db.exec(QStringLiteral("commit")), SQL_ERROR);
    EXPECT_EQ(tranCount(), 0);
    EXPECT_EQ(db.exec(QStringLiteral("commit")), SQL_ERROR);
    EXPECT_EQ(db.diags.value(0).native, 3902);
}

TEST_F(TdsServerTest, ClosingAResultEarlyCancelsTheStream)
{
    ASSERT_TRUE(server.loadRulesText(QStringLiteral("rule exact: select many\n"
                                                    "  result: id int, name nvarchar(40)\n"
                                                    "  rows: 5000000 generated: seq, N'a rather long name {n}'\n")));
    Odbc db;
    connect(db);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select many"))));
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLCloseCursor(db.stmt())));
    EXPECT_TRUE(
        server.waitForLog([](const QList<TdsLogEntry> &log) { return log.last().kind == TdsLogEntry::Attention; }));
    ASSERT_TRUE(SQL_SUCCEEDED(db.exec(QStringLiteral("select @@spid"))));
    EXPECT_EQ(SQLFetch(db.stmt()), SQL_SUCCESS);
    EXPECT_LT(timer.elapsed(), 5000); // far less than streaming every row
}
