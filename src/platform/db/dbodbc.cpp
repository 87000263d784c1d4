#include "platform/db/dbodbc.h"

#include "platform/db/dbconnection.h"
#include "platform/db/dbsql.h"
#include "platform/db/dbtext.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>

static_assert(sizeof(SQLWCHAR) == 2, "the driver manager must use UTF-16 wide characters");

Q_LOGGING_CATEGORY(lcOdbc, "zk.odbc", QtWarningMsg)

namespace {

// SQL Server's extensions of the ODBC headers.
constexpr SQLSMALLINT SQL_SS_VARIANT = -150;
constexpr SQLSMALLINT SQL_SS_UDT = -151;
constexpr SQLSMALLINT SQL_SS_XML = -152;
constexpr SQLSMALLINT SQL_SS_TIME2 = -154;
constexpr SQLSMALLINT SQL_SS_TIMESTAMPOFFSET = -155;
constexpr SQLSMALLINT SQL_DIAG_SS_MSGSTATE = -1150;
constexpr SQLSMALLINT SQL_DIAG_SS_SEVERITY = -1153;
constexpr SQLSMALLINT SQL_DIAG_SS_LINE = -1154;
constexpr SQLSMALLINT SQL_DIAG_SS_PROCNAME = -1152;

constexpr int GetDataChunk = 64 * 1024; // bytes per SQLGetData call of a long value
constexpr qsizetype RowsetBytes = 1 << 20;
constexpr SQLULEN MaxRowset = 1024;

const SQLWCHAR *wide(const QString &s)
{
    return reinterpret_cast<const SQLWCHAR *>(s.utf16());
}

QString fromWide(const SQLWCHAR *s, qsizetype chars)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(s), chars);
}

// Every driver call goes through here.
SQLRETURN traced(const char *call, SQLRETURN rc)
{
    if (lcOdbc().isDebugEnabled())
        qCDebug(lcOdbc, "%s -> %d", call, int(rc));
    return rc;
}
#define ODBC(call) traced(#call, call)

SQLHENV environment()
{
    static SQLHENV env = [] {
        SQLHENV h = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(ODBC(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h))))
            return SQLHENV(SQL_NULL_HENV);
        ODBC(SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
        return h;
    }();
    return env;
}

// Vendor prefixes ("[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]")
// say nothing to the user.
QString stripVendorPrefixes(QString text)
{
    while (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            break;
        text.remove(0, close + 1);
    }
    return text.trimmed();
}

// Where diagnostics are read: through the driver manager, or straight from
// the driver (see TDBOdbcBackend::Private::collect).
struct DiagApi
{
    decltype(&SQLGetDiagRecW) rec = &SQLGetDiagRecW;
    decltype(&SQLGetDiagFieldW) field = &SQLGetDiagFieldW;
};

// The statement functions, called through the driver manager or straight on
// the driver (see TDBOdbcBackend::Execute).
struct OdbcApi
{
    decltype(&SQLExecDirectW) execDirect;
    decltype(&SQLMoreResults) moreResults;
    decltype(&SQLNumResultCols) numResultCols;
    decltype(&SQLDescribeColW) describeCol;
    decltype(&SQLColAttributeW) colAttribute;
    decltype(&SQLSetStmtAttrW) setStmtAttr;
    decltype(&SQLBindCol) bindCol;
    decltype(&SQLFetch) fetch;
    decltype(&SQLGetData) getData;
    decltype(&SQLRowCount) rowCount;
    decltype(&SQLFreeStmt) freeStmt;
    decltype(&SQLCancel) cancel;
    decltype(&SQLGetDiagRecW) diagRec;
    decltype(&SQLGetDiagFieldW) diagField;

    DiagApi diag() const { return {diagRec, diagField}; }
};

const OdbcApi ManagerApi = {&SQLExecDirectW,  &SQLMoreResults, &SQLNumResultCols, &SQLDescribeColW, &SQLColAttributeW,
                            &SQLSetStmtAttrW, &SQLBindCol,     &SQLFetch,         &SQLGetData,      &SQLRowCount,
                            &SQLFreeStmt,     &SQLCancel,      &SQLGetDiagRecW,   &SQLGetDiagFieldW};

// The same functions of a driver library; false when one is missing.
bool resolveApi(void *library, OdbcApi *api)
{
    auto get = [library](auto &fn, const char *name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(library, name));
        return fn != nullptr;
    };
    return get(api->execDirect, "SQLExecDirectW") && get(api->moreResults, "SQLMoreResults")
           && get(api->numResultCols, "SQLNumResultCols") && get(api->describeCol, "SQLDescribeColW")
           && get(api->colAttribute, "SQLColAttributeW") && get(api->setStmtAttr, "SQLSetStmtAttrW")
           && get(api->bindCol, "SQLBindCol") && get(api->fetch, "SQLFetch") && get(api->getData, "SQLGetData")
           && get(api->rowCount, "SQLRowCount") && get(api->freeStmt, "SQLFreeStmt") && get(api->cancel, "SQLCancel")
           && get(api->diagRec, "SQLGetDiagRecW") && get(api->diagField, "SQLGetDiagFieldW");
}

struct Statement
{
    const OdbcApi *api = &ManagerApi;
    SQLHSTMT handle = SQL_NULL_HSTMT;
};

// Every diagnostic record the last call left on a handle.
void readDiagnostics(const DiagApi &api, SQLSMALLINT type, SQLHANDLE handle, bool freetds, QList<TDBMessage> *out)
{
    const auto SQLGetDiagRecW = api.rec;
    const auto SQLGetDiagFieldW = api.field;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLWCHAR probe[1];
        SQLRETURN rc = ODBC(SQLGetDiagRecW(type, handle, i, state, &native, probe, 0, &length));
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            break;
        std::vector<SQLWCHAR> text(size_t(length) + 1);
        rc = ODBC(SQLGetDiagRecW(type, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length));
        if (!SQL_SUCCEEDED(rc))
            break;
        TDBMessage m;
        m.number = native;
        m.sqlState = fromWide(state, 5);
        m.text = stripVendorPrefixes(fromWide(text.data(), qMin<qsizetype>(length, qsizetype(text.size()) - 1)));
        SQLINTEGER msgState = 0;
        const bool hasMsgState =
            SQL_SUCCEEDED(SQLGetDiagFieldW(type, handle, i, SQL_DIAG_SS_MSGSTATE, &msgState, sizeof msgState, nullptr));
        SQLUSMALLINT line = 0;
        if (SQL_SUCCEEDED(SQLGetDiagFieldW(type, handle, i, SQL_DIAG_SS_LINE, &line, sizeof line, nullptr)))
            m.line = line;
        if (freetds) {
            // FreeTDS fills this field with the message's severity and does
            // not pass the state on.
            m.severity = hasMsgState ? msgState : 0;
            m.state = -1;
        } else {
            m.state = hasMsgState ? msgState : 0;
            SQLINTEGER severity = 0;
            if (SQL_SUCCEEDED(
                    SQLGetDiagFieldW(type, handle, i, SQL_DIAG_SS_SEVERITY, &severity, sizeof severity, nullptr)))
                m.severity = severity;
            SQLWCHAR proc[256] = {};
            SQLSMALLINT procLength = 0;
            if (SQL_SUCCEEDED(SQLGetDiagFieldW(type, handle, i, SQL_DIAG_SS_PROCNAME, proc, sizeof proc, &procLength)))
                m.procName = fromWide(proc, qMin<qsizetype>(procLength / 2, 255));
        }
        if (m.severity == 0 && native != 0 && !m.sqlState.startsWith(QLatin1String("01")))
            m.severity = 16;
        qCDebug(lcOdbc) << "diag" << m.sqlState << m.number << m.severity << m.line << m.text;
        out->append(m);
    }
}

void readDiagnostics(SQLSMALLINT type, SQLHANDLE handle, bool freetds, QList<TDBMessage> *out)
{
    readDiagnostics(DiagApi(), type, handle, freetds, out);
}

// The driver library the driver manager loaded for a connection, found by
// its file name among the loaded objects.
void *loadedLibrary(const QByteArray &fileName)
{
    struct Search
    {
        QByteArray name;
        QByteArray path;
    } search{fileName, {}};
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            auto *s = static_cast<Search *>(data);
            const QByteArray path(info->dlpi_name);
            if (path == s->name || path.endsWith('/' + s->name)) {
                s->path = path;
                return 1;
            }
            return 0;
        },
        &search);
    if (search.path.isEmpty())
        return nullptr;
    return dlopen(search.path.constData(), RTLD_NOW | RTLD_NOLOAD);
}

bool isLinkFailure(const TDBMessage &m)
{
    return m.sqlState.startsWith(QLatin1String("08"));
}

// A record of the driver about the link itself, not of the server: what a
// driver reports when it finds the link closed under it (FreeTDS: an
// "Unknown error" or one of its own client errors, numbered from 20000).
bool isLinkRecord(const TDBMessage &m, bool freetds)
{
    return isLinkFailure(m) || (m.number == 0 && m.sqlState == QLatin1String("HY000"))
           || (freetds && m.number >= 20000 && m.number < 20100);
}

// Every error is a connection failure (SQLSTATE class 08): the server never
// answered the logon itself (a refused password reads 28000). The driver's
// informational records ("Adaptive Server connection failed") do not count.
bool linkNeverMade(const QList<TDBMessage> &diags)
{
    bool any = false;
    for (const TDBMessage &m : diags) {
        if (!m.isError())
            continue;
        if (!m.sqlState.startsWith(QLatin1String("08")))
            return false;
        any = true;
    }
    return any;
}

bool isYes(const QString &v)
{
    const QString t = v.trimmed();
    return t.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
           || t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1");
}

// Whether Kerberos credentials can be there for the driver to use.
bool kerberosConfigured()
{
    QByteArray cache = qgetenv("KRB5CCNAME");
    if (cache.isEmpty()) {
        const QByteArray conf =
            qEnvironmentVariableIsSet("KRB5_CONFIG") ? qgetenv("KRB5_CONFIG") : QByteArray("/etc/krb5.conf");
        QFile f(QString::fromLocal8Bit(conf));
        if (!f.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QByteArray t = line.trimmed();
            if (t.startsWith("default_ccache_name")) {
                const QByteArray value = t.mid(t.indexOf('=') + 1).trimmed();
                if (!value.startsWith("FILE:") && !value.startsWith('/'))
                    return true; // a keyring or KCM cache: let the driver look
            }
        }
        cache = "FILE:/tmp/krb5cc_" + QByteArray::number(uint(getuid()));
    }
    if (cache.startsWith("FILE:"))
        cache = cache.mid(5);
    if (cache.startsWith('/'))
        return QFileInfo::exists(QString::fromLocal8Bit(cache));
    return true;
}

// How one column is read.
struct ColumnPlan
{
    TDBStorage storage;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN elementSize = 0; // bytes per row in the bound buffer
    bool getData = false;   // read with SQLGetData, not bound
    bool longValue = false; // unlimited text or binary
    std::vector<char> buffer;
    std::vector<SQLLEN> indicators;
};

// FreeTDS: it hands out text in UTF-8 (ClientCharset UTF-8), so bounded
// char and varchar values are read so, which spares it a second conversion
// (code page to UTF-8 to UTF-16); and it gives decimals read as binary in
// the ODBC numeric structure with their own precision and scale, sparing a
// conversion to text and back.
void planColumn(ColumnPlan &p, const TDBColumnDef &def, bool freetds)
{
    p.storage = def.storage;
    switch (def.storage) {
    case TDBStorage::Bool:
        p.cType = SQL_C_BIT;
        p.elementSize = 1;
        break;
    case TDBStorage::UInt8:
        p.cType = SQL_C_UTINYINT;
        p.elementSize = 1;
        break;
    case TDBStorage::Int16:
        p.cType = SQL_C_SSHORT;
        p.elementSize = 2;
        break;
    case TDBStorage::Int32:
        p.cType = SQL_C_SLONG;
        p.elementSize = 4;
        break;
    case TDBStorage::Int64:
        p.cType = SQL_C_SBIGINT;
        p.elementSize = 8;
        break;
    case TDBStorage::Float32:
        p.cType = SQL_C_FLOAT;
        p.elementSize = 4;
        break;
    case TDBStorage::Float64:
        p.cType = SQL_C_DOUBLE;
        p.elementSize = 8;
        break;
    case TDBStorage::Decimal:
    case TDBStorage::BigDecimal:
        if (freetds && def.fieldType != ftCurrency) {
            p.cType = SQL_C_BINARY;
            p.elementSize = sizeof(SQL_NUMERIC_STRUCT);
        } else {
            p.cType = SQL_C_CHAR;
            p.elementSize = def.precision + 4;
        }
        break;
    case TDBStorage::Date:
        p.cType = SQL_C_TYPE_DATE;
        p.elementSize = sizeof(SQL_DATE_STRUCT);
        break;
    case TDBStorage::DateTime:
        p.cType = SQL_C_TYPE_TIMESTAMP;
        p.elementSize = sizeof(SQL_TIMESTAMP_STRUCT);
        break;
    case TDBStorage::Time:
        p.cType = SQL_C_WCHAR;
        p.elementSize = 40 * 2;
        break;
    case TDBStorage::DateTimeOffset:
        p.cType = SQL_C_WCHAR;
        p.elementSize = 48 * 2;
        break;
    case TDBStorage::Guid:
        p.cType = SQL_C_GUID;
        p.elementSize = sizeof(SQLGUID);
        break;
    case TDBStorage::Text:
        p.cType = SQL_C_WCHAR;
        p.longValue = def.size < 0 || def.size > 4000;
        p.elementSize = p.longValue ? 0 : SQLLEN(def.size + 1) * 2;
        if (freetds && !p.longValue && (def.fieldType == ftString || def.fieldType == ftFixedChar)) {
            // Up to three bytes for each character (or byte) of the column.
            p.cType = SQL_C_CHAR;
            p.elementSize = SQLLEN(def.size) * 3 + 1;
        }
        break;
    case TDBStorage::Binary:
        p.cType = SQL_C_BINARY;
        p.longValue = def.size < 0 || def.size > 8000;
        p.elementSize = p.longValue ? 0 : qMax<SQLLEN>(def.size, 1);
        break;
    }
}

// An ODBC numeric structure at the scale of its column: the magnitude, and
// whether it is negative. False when it does not fit 128 bits there.
bool numericAt(const char *cell, int scale, unsigned __int128 *magnitude, bool *negative)
{
    SQL_NUMERIC_STRUCT n;
    std::memcpy(&n, cell, sizeof n);
    unsigned __int128 v = 0;
    for (int i = SQL_MAX_NUMERIC_LEN - 1; i >= 0; --i)
        v = (v << 8) | n.val[i];
    for (int s = n.scale; s < scale; ++s)
        v *= 10;
    for (int s = n.scale; s > scale; --s)
        v /= 10;
    *magnitude = v;
    *negative = n.sign == 0;
    return true;
}

// Puts one fetched cell of a type without a rowset form below into the
// store (times and offsets come as text; binaries and wide decimals vary in
// length). False when the driver cut the value.
bool appendCell(TDBResultSet &r, int c, const ColumnPlan &p, const char *cell, SQLLEN ind)
{
    if (ind == SQL_NULL_DATA) {
        r.AppendNull(c);
        return true;
    }
    switch (p.storage) {
    case TDBStorage::BigDecimal:
        if (p.cType == SQL_C_BINARY) {
            unsigned __int128 v;
            bool negative;
            numericAt(cell, r.Column(c).scale, &v, &negative);
            const QByteArray digits = dbtext::FormatDecimal128(v, negative, r.Column(c).scale).toLatin1();
            r.AppendDecimalText(c, digits.constData(), digits.size());
        } else {
            r.AppendDecimalText(c, cell, qsizetype(strnlen(cell, size_t(p.elementSize))));
        }
        break;
    case TDBStorage::Time:
    case TDBStorage::DateTimeOffset: {
        const qsizetype chars = qMin<qsizetype>(ind, p.elementSize - 2) / 2;
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(cell), chars);
        qint64 ticks = 0;
        int offset = 0;
        bool ok = p.storage == TDBStorage::Time ? dbtext::ParseTime(text, &ticks)
                                                : dbtext::ParseDateTimeOffset(text, &ticks, &offset);
        if (!ok)
            r.AppendNull(c);
        else if (p.storage == TDBStorage::Time)
            r.AppendTicks(c, ticks);
        else
            r.AppendDateTimeOffset(c, ticks, offset);
        break;
    }
    case TDBStorage::Binary: {
        if (ind > p.elementSize || ind == SQL_NO_TOTAL) {
            r.AppendBytes(c, cell, p.elementSize);
            return false;
        }
        r.AppendBytes(c, cell, ind);
        break;
    }
    default: r.AppendNull(c); break;
    }
    return true;
}

// Puts a fetched rowset of one bound column into the store, rows base to
// base + n - 1. False when the driver cut a value.
bool appendColumn(TDBResultSet &r, int c, const ColumnPlan &p, const char *cells, const SQLLEN *ind, SQLULEN n,
                  qint64 base)
{
    switch (p.storage) {
    case TDBStorage::Bool:
    case TDBStorage::UInt8:
    case TDBStorage::Int16:
    case TDBStorage::Int32:
    case TDBStorage::Int64:
    case TDBStorage::Float32:
    case TDBStorage::Float64:
    case TDBStorage::Guid: {
        // The C type has the store's layout: the rowset is copied whole.
        const size_t width = size_t(p.elementSize);
        char *out = r.ReserveFixed(c, qsizetype(n));
        std::memcpy(out, cells, width * n);
        for (SQLULEN i = 0; i < n; ++i) {
            if (ind[i] == SQL_NULL_DATA) {
                std::memset(out + i * width, 0, width);
                r.SetNull(c, base + qint64(i));
            }
        }
        return true;
    }
    case TDBStorage::Decimal: {
        auto *out = reinterpret_cast<qint64 *>(r.ReserveFixed(c, qsizetype(n)));
        const int scale = r.Column(c).scale;
        if (p.cType == SQL_C_BINARY) {
            for (SQLULEN i = 0; i < n; ++i) {
                unsigned __int128 v;
                bool negative;
                if (ind[i] == SQL_NULL_DATA || !numericAt(cells + i * SQLULEN(p.elementSize), scale, &v, &negative)
                    || v > (unsigned __int128)INT64_MAX) {
                    out[i] = 0;
                    r.SetNull(c, base + qint64(i));
                } else {
                    out[i] = negative ? -qint64(v) : qint64(v);
                }
            }
            return true;
        }
        for (SQLULEN i = 0; i < n; ++i) {
            const char *cell = cells + i * SQLULEN(p.elementSize);
            if (ind[i] == SQL_NULL_DATA
                || !dbtext::ParseDecimal(cell, qsizetype(strnlen(cell, size_t(p.elementSize))), scale, &out[i])) {
                out[i] = 0;
                r.SetNull(c, base + qint64(i));
            }
        }
        return true;
    }
    case TDBStorage::Date: {
        auto *out = reinterpret_cast<qint32 *>(r.ReserveFixed(c, qsizetype(n)));
        for (SQLULEN i = 0; i < n; ++i) {
            SQL_DATE_STRUCT d;
            std::memcpy(&d, cells + i * sizeof d, sizeof d);
            if (ind[i] == SQL_NULL_DATA) {
                out[i] = 0;
                r.SetNull(c, base + qint64(i));
            } else {
                out[i] = dbtext::DaysFromCivil(d.year, d.month, d.day);
            }
        }
        return true;
    }
    case TDBStorage::DateTime: {
        auto *out = reinterpret_cast<qint64 *>(r.ReserveFixed(c, qsizetype(n)));
        // Rows of one result often share their day.
        int year = 0, month = 0, day = 0;
        qint64 dayTicks = 0;
        for (SQLULEN i = 0; i < n; ++i) {
            SQL_TIMESTAMP_STRUCT t;
            std::memcpy(&t, cells + i * sizeof t, sizeof t);
            if (ind[i] == SQL_NULL_DATA) {
                out[i] = 0;
                r.SetNull(c, base + qint64(i));
                continue;
            }
            if (t.year != year || t.month != month || t.day != day) {
                year = t.year;
                month = t.month;
                day = t.day;
                dayTicks = qint64(dbtext::DaysFromCivil(year, month, day)) * dbtext::TicksPerDay;
            }
            out[i] = dayTicks + (qint64(t.hour) * 3600 + t.minute * 60 + t.second) * dbtext::TicksPerSecond
                     + t.fraction / 100;
        }
        return true;
    }
    case TDBStorage::Text: {
        if (p.cType == SQL_C_CHAR) {
            const SQLLEN room = p.elementSize - 1;
            bool whole = true;
            for (SQLULEN i = 0; i < n; ++i) {
                const char *cell = cells + i * SQLULEN(p.elementSize);
                if (ind[i] == SQL_NULL_DATA) {
                    r.AppendNull(c);
                } else if (ind[i] > room || ind[i] == SQL_NO_TOTAL) {
                    r.AppendUtf8(c, cell, room);
                    whole = false;
                } else {
                    r.AppendUtf8(c, cell, ind[i]);
                }
            }
            return whole;
        }
        const SQLLEN room = p.elementSize - 2;
        bool whole = true;
        for (SQLULEN i = 0; i < n; ++i) {
            const auto *cell = reinterpret_cast<const char16_t *>(cells + i * SQLULEN(p.elementSize));
            if (ind[i] == SQL_NULL_DATA) {
                r.AppendNull(c);
            } else if (ind[i] > room || ind[i] == SQL_NO_TOTAL) {
                r.AppendText(c, cell, room / 2);
                whole = false;
            } else {
                r.AppendText(c, cell, ind[i] / 2);
            }
        }
        return whole;
    }
    default: {
        bool whole = true;
        for (SQLULEN i = 0; i < n; ++i)
            whole &= appendCell(r, c, p, cells + i * SQLULEN(p.elementSize), ind[i]);
        return whole;
    }
    }
}

TDBMessage cutMessage(const TDBColumnDef &def)
{
    TDBMessage m;
    m.sqlState = QStringLiteral("01004");
    m.severity = 16;
    m.text = QStringLiteral("列 '%1' の値を最後まで読めませんでした。").arg(def.name);
    return m;
}

// A fallback name for drivers that report no type name.
QString typeNameOfSqlType(SQLSMALLINT t)
{
    switch (t) {
    case SQL_BIT: return QStringLiteral("bit");
    case SQL_TINYINT: return QStringLiteral("tinyint");
    case SQL_SMALLINT: return QStringLiteral("smallint");
    case SQL_INTEGER: return QStringLiteral("int");
    case SQL_BIGINT: return QStringLiteral("bigint");
    case SQL_REAL: return QStringLiteral("real");
    case SQL_FLOAT:
    case SQL_DOUBLE: return QStringLiteral("float");
    case SQL_DECIMAL:
    case SQL_NUMERIC: return QStringLiteral("decimal");
    case SQL_TYPE_DATE: return QStringLiteral("date");
    case SQL_TYPE_TIME:
    case SQL_SS_TIME2: return QStringLiteral("time");
    case SQL_TYPE_TIMESTAMP: return QStringLiteral("datetime2");
    case SQL_SS_TIMESTAMPOFFSET: return QStringLiteral("datetimeoffset");
    case SQL_GUID: return QStringLiteral("uniqueidentifier");
    case SQL_CHAR: return QStringLiteral("char");
    case SQL_VARCHAR: return QStringLiteral("varchar");
    case SQL_LONGVARCHAR: return QStringLiteral("text");
    case SQL_WCHAR: return QStringLiteral("nchar");
    case SQL_WVARCHAR: return QStringLiteral("nvarchar");
    case SQL_WLONGVARCHAR: return QStringLiteral("ntext");
    case SQL_SS_XML: return QStringLiteral("xml");
    case SQL_SS_VARIANT: return QStringLiteral("sql_variant");
    case SQL_BINARY: return QStringLiteral("binary");
    case SQL_VARBINARY: return QStringLiteral("varbinary");
    case SQL_LONGVARBINARY: return QStringLiteral("image");
    default: return QString();
    }
}

bool isBinarySqlType(SQLSMALLINT t)
{
    return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY || t == SQL_SS_UDT;
}

} // namespace

// --- the backend -------------------------------------------------------------

struct TDBOdbcBackend::Private
{
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool freetds = true;
    bool anyColumnGetData = false;
    QString driver;
    QStringList info;
    std::mutex mutex;  // guards current
    Statement current; // the running statement, for Cancel
    void *driverLibrary = nullptr;
    OdbcApi driverApi{}; // the driver's own functions, when found

    QString infoString(SQLUSMALLINT what) const
    {
        SQLWCHAR buf[512] = {};
        SQLSMALLINT len = 0;
        if (!SQL_SUCCEEDED(ODBC(SQLGetInfoW(dbc, what, buf, sizeof buf, &len))))
            return QString();
        return fromWide(buf, qMin<qsizetype>(len / 2, 511));
    }

    void fetchResult(const Statement &s, SQLSMALLINT columns, TDBBatch &batch);
    bool getData(const Statement &s, int c, ColumnPlan &p, TDBResultSet &r, qint64 row, TDBBatch &batch);
    // The driver's handle of a statement, for calls that bypass the manager.
    Statement direct(const Statement &s) const
    {
        SQLHANDLE driverStatement = s.handle;
        if (!driverLibrary
            || !SQL_SUCCEEDED(
                ODBC(SQLGetInfoW(dbc, SQL_DRIVER_HSTMT, &driverStatement, sizeof driverStatement, nullptr))))
            return Statement{nullptr, SQL_NULL_HSTMT};
        return Statement{&driverApi, driverStatement};
    }
    // Reads the diagnostics of the last call; notes a cancel and a lost link
    // (FreeTDS reports a dropped link as 01000 or HY000, not 08S01, and
    // marks the connection dead).
    //
    // The driver manager passes on a call's records only with
    // SQL_SUCCESS_WITH_INFO or SQL_ERROR; FreeTDS ends a batch whose last
    // token is a message (a PRINT after the last result, "The statement has
    // been terminated.") with SQL_NO_DATA, so those are read from the driver.
    void collect(const Statement &s, TDBBatch &batch, SQLRETURN rc)
    {
        const qsizetype before = batch.messages.size();
        readDiagnostics(s.api->diag(), SQL_HANDLE_STMT, s.handle, freetds, &batch.messages);
        if (rc == SQL_NO_DATA && batch.messages.size() == before && s.api == &ManagerApi) {
            const Statement d = direct(s);
            if (d.api)
                readDiagnostics(d.api->diag(), SQL_HANDLE_STMT, d.handle, freetds, &batch.messages);
        }
        for (qsizetype i = before; i < batch.messages.size(); ++i) {
            TDBMessage &m = batch.messages[i];
            if (isLinkFailure(m))
                batch.linkLost = true;
            else if (m.sqlState == QLatin1String("HY008"))
                batch.cancelled = true;
        }
        if (rc == SQL_ERROR && !batch.linkLost && connectionDead()) {
            batch.linkLost = true;
            for (qsizetype i = before; i < batch.messages.size(); ++i) {
                if (batch.messages.at(i).severity == 0)
                    batch.messages[i].severity = 16;
            }
        }
    }
    bool connectionDead() const
    {
        SQLUINTEGER dead = SQL_CD_FALSE;
        return SQL_SUCCEEDED(ODBC(SQLGetConnectAttrW(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, sizeof dead, nullptr)))
               && dead == SQL_CD_TRUE;
    }
};

TDBOdbcBackend::TDBOdbcBackend()
    : d(std::make_unique<Private>())
{
}

TDBOdbcBackend::~TDBOdbcBackend()
{
    Disconnect();
}

void TDBOdbcBackend::Connect(const TFDConnectionParams &params)
{
    Disconnect();
    const QString driver = OdbcDriverFor(params);
    d->freetds = IsFreeTDSDriver(driver);
    const bool osAuth = isYes(params.Value(QStringLiteral("OSAuthent")));
    if (osAuth && d->freetds && !kerberosConfigured()) {
        throw EDBError(TDBErrorKind::Driver,
                       QStringLiteral("Windows 認証でログオンできません。このコンピュータには Kerberos の資格情報が"
                                      "ありません（kinit でチケットを取得してください）。"
                                      "SQL Server 認証のユーザー名とパスワードでログオンすることもできます。"));
    }
    const QString connectionString = OdbcConnectionString(params, driver);
    SQLHENV env = environment();
    if (env == SQL_NULL_HENV || !SQL_SUCCEEDED(ODBC(SQLAllocHandle(SQL_HANDLE_DBC, env, &d->dbc)))) {
        d->dbc = SQL_NULL_HDBC;
        throw EDBError(TDBErrorKind::Driver, QStringLiteral("ODBC ドライバマネージャを初期化できません。"));
    }
    bool ok = false;
    const int timeout = params.Value(QStringLiteral("LoginTimeout")).toInt(&ok);
    ODBC(SQLSetConnectAttrW(d->dbc, SQL_ATTR_LOGIN_TIMEOUT,
                            reinterpret_cast<SQLPOINTER>(SQLULEN(ok && timeout > 0 ? timeout : 15)), 0));
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = ODBC(SQLDriverConnectW(d->dbc, nullptr, const_cast<SQLWCHAR *>(wide(connectionString)),
                                                SQL_NTS, out, 1024, &outLength, SQL_DRIVER_NOPROMPT));
    if (!SQL_SUCCEEDED(rc)) {
        QList<TDBMessage> diags;
        readDiagnostics(SQL_HANDLE_DBC, d->dbc, d->freetds, &diags);
        ODBC(SQLFreeHandle(SQL_HANDLE_DBC, d->dbc));
        d->dbc = SQL_NULL_HDBC;
        QString prefix = QStringLiteral("データベースに接続できませんでした。");
        if (diags.isEmpty() || (diags.first().sqlState == QLatin1String("IM002")))
            prefix += QStringLiteral("（ODBC ドライバ \"%1\"）").arg(driver);
        else if (isYes(params.Value(QStringLiteral("Encrypt"))) && linkNeverMade(diags))
            // The driver only says the connection failed; with encryption
            // required the likely cause is a server that does not offer it.
            prefix += QStringLiteral("サーバーが暗号化接続を拒否したか、暗号化に対応していない可能性があります。");
        for (TDBMessage &m : diags) {
            if (m.severity == 0)
                m.severity = 16;
        }
        throw EDBError(TDBErrorKind::Driver, diags, prefix);
    }
    d->driver = driver;
    const QByteArray driverFile = d->infoString(SQL_DRIVER_NAME).toLocal8Bit();
    d->driverLibrary = driverFile.isEmpty() ? nullptr : loadedLibrary(driverFile);
    if (d->driverLibrary && !resolveApi(d->driverLibrary, &d->driverApi)) {
        dlclose(d->driverLibrary);
        d->driverLibrary = nullptr;
    }
    SQLUINTEGER extensions = 0;
    if (SQL_SUCCEEDED(ODBC(SQLGetInfoW(d->dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr))))
        d->anyColumnGetData = (extensions & SQL_GD_ANY_COLUMN) && (extensions & SQL_GD_ANY_ORDER);
    d->info = {
        QStringLiteral("Driver name = ") + driver,
        QStringLiteral("Driver file = ") + d->infoString(SQL_DRIVER_NAME),
        QStringLiteral("Driver version = ") + d->infoString(SQL_DRIVER_VER),
        QStringLiteral("Driver ODBC version = ") + d->infoString(SQL_DRIVER_ODBC_VER),
        QStringLiteral("DBMS name = ") + d->infoString(SQL_DBMS_NAME),
        QStringLiteral("DBMS version = ") + d->infoString(SQL_DBMS_VER),
        QStringLiteral("Server name = ") + d->infoString(SQL_SERVER_NAME),
    };
}

void TDBOdbcBackend::Disconnect()
{
    if (d->dbc == SQL_NULL_HDBC)
        return;
    if (d->driverLibrary) {
        dlclose(d->driverLibrary);
        d->driverLibrary = nullptr;
    }
    ODBC(SQLDisconnect(d->dbc));
    ODBC(SQLFreeHandle(SQL_HANDLE_DBC, d->dbc));
    d->dbc = SQL_NULL_HDBC;
    d->info.clear();
}

void TDBOdbcBackend::Cancel()
{
    std::lock_guard lock(d->mutex);
    if (d->current.handle != SQL_NULL_HSTMT)
        ODBC(d->current.api->cancel(d->current.handle));
}

void TDBOdbcBackend::SetAutoCommit(bool on)
{
    if (d->dbc == SQL_NULL_HDBC)
        return;
    // Switching autocommit on ends an open transaction with a commit, as
    // ODBC has it; FreeTDS would roll it back.
    if (on && !SQL_SUCCEEDED(ODBC(SQLEndTran(SQL_HANDLE_DBC, d->dbc, SQL_COMMIT)))) {
        QList<TDBMessage> diags;
        readDiagnostics(SQL_HANDLE_DBC, d->dbc, d->freetds, &diags);
        throw EDBError(TDBErrorKind::Driver, diags);
    }
    const SQLRETURN rc =
        ODBC(SQLSetConnectAttrW(d->dbc, SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQLULEN(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)), 0));
    if (!SQL_SUCCEEDED(rc)) {
        QList<TDBMessage> diags;
        readDiagnostics(SQL_HANDLE_DBC, d->dbc, d->freetds, &diags);
        throw EDBError(TDBErrorKind::Driver, diags);
    }
}

void TDBOdbcBackend::EndTransaction(bool commit)
{
    if (d->dbc == SQL_NULL_HDBC)
        return;
    if (!SQL_SUCCEEDED(ODBC(SQLEndTran(SQL_HANDLE_DBC, d->dbc, commit ? SQL_COMMIT : SQL_ROLLBACK)))) {
        QList<TDBMessage> diags;
        readDiagnostics(SQL_HANDLE_DBC, d->dbc, d->freetds, &diags);
        throw EDBError(TDBErrorKind::Driver, diags);
    }
}

QString TDBOdbcBackend::DriverName() const
{
    return d->driver;
}

QStringList TDBOdbcBackend::InfoReport() const
{
    return d->info;
}

TDBBatch TDBOdbcBackend::Execute(const TDBRequest &request)
{
    TDBBatch batch;
    batch.answered = false;
    if (d->dbc == SQL_NULL_HDBC) {
        batch.linkLost = true;
        batch.messages.append({0, 0, 16, 0, QStringLiteral("接続が開いていません。"), QStringLiteral("08003"), {}});
        return batch;
    }
    SQLHSTMT st = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(ODBC(SQLAllocHandle(SQL_HANDLE_STMT, d->dbc, &st)))) {
        readDiagnostics(SQL_HANDLE_DBC, d->dbc, d->freetds, &batch.messages);
        for (const TDBMessage &m : std::as_const(batch.messages))
            batch.linkLost |= isLinkFailure(m);
        if (batch.messages.isEmpty())
            batch.messages.append(
                {0, 0, 16, 0, QStringLiteral("ステートメントを作成できません。"), QStringLiteral("HY000"), {}});
        return batch;
    }
    // Parameter buffers live until the statement is done; an output
    // parameter's buffer takes what the driver hands back.
    enum class Kind { Bit, Integer, Real, Timestamp, Bytes, Text };
    struct Bound
    {
        Kind kind = Kind::Text;
        QString text;
        std::vector<char16_t> wide; // an output text's buffer
        QByteArray bytes;
        qint64 integer = 0;
        double real = 0;
        unsigned char bit = 0;
        SQL_TIMESTAMP_STRUCT timestamp{};
        SQLLEN indicator = 0;
    };
    // nvarchar(4000) and varbinary(8000) for every value that fits, so plans
    // are reused; an output gets room for that much.
    constexpr qsizetype TextRoom = 4000;
    constexpr qsizetype BytesRoom = 8000;
    std::vector<Bound> bound(size_t(request.params.size()));
    bool anyOutput = false;
    for (qsizetype i = 0; i < request.params.size(); ++i) {
        const TDBParamValue &pv = request.params.at(i);
        Bound &b = bound[size_t(i)];
        const SQLUSMALLINT n = SQLUSMALLINT(i + 1);
        const bool output = pv.IsOutput();
        anyOutput = anyOutput || output;
        const SQLSMALLINT io = pv.paramType == ptInputOutput ? SQLSMALLINT(SQL_PARAM_INPUT_OUTPUT)
                               : output                      ? SQLSMALLINT(SQL_PARAM_OUTPUT)
                                                             : SQLSMALLINT(SQL_PARAM_INPUT);
        SQLRETURN rc;
        const bool null = pv.value.isNull();
        // An input NULL goes as a text NULL; an output keeps its type, so
        // the value comes back typed.
        switch (null && !output ? ftWideString : pv.dataType) {
        case ftBoolean:
            b.kind = Kind::Bit;
            b.bit = pv.value.toBool();
            b.indicator = null ? SQL_NULL_DATA : 0;
            rc = ODBC(SQLBindParameter(st, n, io, SQL_C_BIT, SQL_BIT, 1, 0, &b.bit, 1, &b.indicator));
            break;
        case ftByte:
        case ftShortint:
        case ftSmallint:
        case ftWord:
        case ftInteger:
        case ftLongWord:
        case ftLargeint:
        case ftAutoInc:
            b.kind = Kind::Integer;
            b.integer = pv.value.toLongLong();
            b.indicator = null ? SQL_NULL_DATA : 0;
            rc = ODBC(SQLBindParameter(st, n, io, SQL_C_SBIGINT, SQL_BIGINT, 19, 0, &b.integer, 8, &b.indicator));
            break;
        case ftSingle:
        case ftFloat:
        case ftExtended:
            b.kind = Kind::Real;
            b.real = pv.value.toDouble();
            b.indicator = null ? SQL_NULL_DATA : 0;
            rc = ODBC(SQLBindParameter(st, n, io, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &b.real, 8, &b.indicator));
            break;
        case ftTimeStamp:
        case ftDateTime:
        case ftDate: {
            b.kind = Kind::Timestamp;
            const QDateTime dt = pv.value.toDateTime();
            b.timestamp.year = SQLSMALLINT(dt.date().year());
            b.timestamp.month = SQLUSMALLINT(dt.date().month());
            b.timestamp.day = SQLUSMALLINT(dt.date().day());
            b.timestamp.hour = SQLUSMALLINT(dt.time().hour());
            b.timestamp.minute = SQLUSMALLINT(dt.time().minute());
            b.timestamp.second = SQLUSMALLINT(dt.time().second());
            b.timestamp.fraction = SQLUINTEGER(dt.time().msec()) * 1000000;
            b.indicator = null ? SQL_NULL_DATA : 0;
            rc = ODBC(SQLBindParameter(st, n, io, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3, &b.timestamp,
                                       sizeof b.timestamp, &b.indicator));
            break;
        }
        case ftBytes:
        case ftVarBytes:
        case ftBlob: {
            b.kind = Kind::Bytes;
            b.bytes = pv.value.toByteArray();
            const qsizetype length = b.bytes.size();
            b.indicator = null ? SQL_NULL_DATA : SQLLEN(length);
            if (output && b.bytes.size() < BytesRoom)
                b.bytes.resize(BytesRoom);
            const SQLULEN column = output ? SQLULEN(length > BytesRoom ? 0 : BytesRoom)
                                          : SQLULEN(length > BytesRoom ? 0 : qMax<qsizetype>(length, 1));
            rc = ODBC(SQLBindParameter(st, n, io, SQL_C_BINARY, SQL_VARBINARY, column, 0, b.bytes.data(),
                                       SQLLEN(output ? b.bytes.size() : length), &b.indicator));
            break;
        }
        default:
            b.kind = Kind::Text;
            b.text = null ? QString() : pv.value.toString();
            b.indicator = null ? SQL_NULL_DATA : SQLLEN(b.text.size() * 2);
            if (output) {
                b.wide.assign(size_t(qMax(b.text.size(), TextRoom) + 1), u'\0');
                std::copy(b.text.utf16(), b.text.utf16() + b.text.size(), b.wide.begin());
                rc = ODBC(SQLBindParameter(st, n, io, SQL_C_WCHAR, SQL_WVARCHAR,
                                           SQLULEN(b.text.size() > TextRoom ? 0 : TextRoom), 0, b.wide.data(),
                                           SQLLEN(b.wide.size() * 2), &b.indicator));
            } else {
                rc = ODBC(SQLBindParameter(st, n, io, SQL_C_WCHAR, SQL_WVARCHAR,
                                           SQLULEN(b.text.size() > TextRoom ? 0 : TextRoom), 0,
                                           const_cast<char16_t *>(reinterpret_cast<const char16_t *>(b.text.utf16())),
                                           SQLLEN(b.text.size() * 2), &b.indicator));
            }
            break;
        }
        if (!SQL_SUCCEEDED(rc)) {
            d->collect(Statement{&ManagerApi, st}, batch, rc);
            ODBC(SQLFreeHandle(SQL_HANDLE_STMT, st));
            return batch;
        }
    }

    Statement stmt{&ManagerApi, st};
    {
        std::lock_guard lock(d->mutex);
        d->current = stmt;
    }
    // A procedure call with outputs goes as the driver's call escape, the
    // one form in which every driver hands the outputs back.
    QString text = request.sql;
    QString call;
    if (anyOutput && request.params.first().IsOutput() && OdbcProcedureCall(request.sql, &call)
        && call.count(QLatin1Char('?')) == request.params.size())
        text = call;
    SQLRETURN rc = ODBC(SQLExecDirectW(st, const_cast<SQLWCHAR *>(wide(text)), SQLINTEGER(text.size())));
    int fruitlessErrors = 0;
    bool sent = true; // the first round: what SQLExecDirect returned
    for (;;) {
        const qsizetype before = batch.messages.size();
        d->collect(stmt, batch, rc);
        if (sent) {
            sent = false;
            batch.answered = !(rc == SQL_ERROR && batch.linkLost
                               && std::all_of(batch.messages.cbegin() + before, batch.messages.cend(),
                                              [&](const TDBMessage &m) { return isLinkRecord(m, d->freetds); }));
        }
        if (batch.linkLost || batch.cancelled || rc == SQL_INVALID_HANDLE)
            break;
        if (rc == SQL_ERROR) {
            // A failed statement of the batch; the batch goes on after it.
            // The driver manager takes a statement whose execution failed
            // for one without results and would free it, cancelling the
            // rest of the batch: the rest is read from the driver itself.
            if (stmt.api == &ManagerApi) {
                const Statement direct = d->direct(stmt);
                if (!direct.api)
                    break;
                stmt = direct;
                std::lock_guard lock(d->mutex);
                d->current = stmt;
            }
            if (batch.messages.size() == before && ++fruitlessErrors > 2)
                break;
        } else if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) {
            fruitlessErrors = 0;
            SQLSMALLINT columns = 0;
            if (rc != SQL_NO_DATA)
                ODBC(stmt.api->numResultCols(stmt.handle, &columns));
            if (columns > 0) {
                if (request.keepResults)
                    d->fetchResult(stmt, columns, batch);
                if (batch.linkLost || batch.cancelled)
                    break;
            } else {
                SQLLEN count = -1;
                if (SQL_SUCCEEDED(ODBC(stmt.api->rowCount(stmt.handle, &count))) && count >= 0)
                    batch.rowsAffected = qMax<qint64>(batch.rowsAffected, 0) + count;
            }
        }
        rc = ODBC(stmt.api->moreResults(stmt.handle));
        if (rc == SQL_NO_DATA) {
            d->collect(stmt, batch, rc);
            break;
        }
    }
    {
        std::lock_guard lock(d->mutex);
        d->current = Statement();
    }
    // The batch was read to its end: the driver has written the outputs.
    if (anyOutput && !batch.linkLost && !batch.cancelled) {
        for (qsizetype i = 0; i < request.params.size(); ++i) {
            const Bound &b = bound[size_t(i)];
            if (!request.params.at(i).IsOutput() || b.indicator == SQL_NULL_DATA) {
                batch.outputs.append(QVariant());
                continue;
            }
            switch (b.kind) {
            case Kind::Bit: batch.outputs.append(bool(b.bit)); break;
            case Kind::Integer: batch.outputs.append(qlonglong(b.integer)); break;
            case Kind::Real: batch.outputs.append(b.real); break;
            case Kind::Timestamp:
                batch.outputs.append(QDateTime(QDate(b.timestamp.year, b.timestamp.month, b.timestamp.day),
                                               QTime(b.timestamp.hour, b.timestamp.minute, b.timestamp.second,
                                                     int(b.timestamp.fraction / 1000000))));
                break;
            case Kind::Bytes: {
                const qsizetype length =
                    b.indicator < 0 ? b.bytes.size() : qMin<qsizetype>(b.indicator, b.bytes.size());
                batch.outputs.append(b.bytes.left(length));
                break;
            }
            case Kind::Text: {
                // A value longer than the buffer comes back cut (SQL_NO_TOTAL or more than fits).
                const qsizetype room = qsizetype(b.wide.size()) - 1;
                const qsizetype chars = b.indicator < 0 ? room : qMin<qsizetype>(b.indicator / 2, room);
                batch.outputs.append(QString::fromUtf16(b.wide.data(), chars));
                break;
            }
            }
        }
    }
    ODBC(SQLFreeHandle(SQL_HANDLE_STMT, st));
    return batch;
}

void TDBOdbcBackend::Private::fetchResult(const Statement &s, SQLSMALLINT columns, TDBBatch &batch)
{
    QList<TDBColumnDef> defs;
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(columns); ++i) {
        std::vector<SQLWCHAR> name(256);
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
        SQLULEN size = 0;
        ODBC(s.api->describeCol(s.handle, i, name.data(), SQLSMALLINT(name.size()), &nameLength, &sqlType, &size,
                                &digits, &nullable));
        if (nameLength >= SQLSMALLINT(name.size())) {
            name.resize(size_t(nameLength) + 1);
            ODBC(s.api->describeCol(s.handle, i, name.data(), SQLSMALLINT(name.size()), &nameLength, &sqlType, &size,
                                    &digits, &nullable));
        }
        SQLWCHAR typeName[128] = {};
        SQLSMALLINT typeLength = 0;
        ODBC(s.api->colAttribute(s.handle, i, SQL_DESC_TYPE_NAME, typeName, sizeof typeName, &typeLength, nullptr));
        QString type = fromWide(typeName, qMin<qsizetype>(typeLength / 2, 127)).toLower();
        // An alias type (a driver may name it) reads as its base type.
        if (!IsKnownSqlType(type) && !typeNameOfSqlType(sqlType).isEmpty())
            type = typeNameOfSqlType(sqlType);
        int precision = int(size);
        int scale = digits;
        // The driver names smalldatetime and smallmoney after their larger
        // kin; their precision tells them apart.
        if (type == QLatin1String("datetime") && digits == 0)
            type = QStringLiteral("smalldatetime");
        else if (type == QLatin1String("money") && size == 10)
            type = QStringLiteral("smallmoney");
        TDBColumnDef def =
            DescribeColumn(fromWide(name.data(), qMin<qsizetype>(nameLength, qsizetype(name.size()) - 1)), type,
                           int(qMin<SQLULEN>(size, 1u << 30)), precision, scale, isBinarySqlType(sqlType));
        def.nullable = nullable != SQL_NO_NULLS;
        defs.append(def);
    }
    auto result = std::make_shared<TDBResultSet>(defs);
    std::vector<ColumnPlan> plans(static_cast<size_t>(columns));
    int firstGetData = columns;
    for (int c = 0; c < columns; ++c) {
        planColumn(plans[size_t(c)], defs.at(c), freetds);
        if (plans[size_t(c)].longValue && firstGetData == columns)
            firstGetData = c;
    }
    // Drivers without "any column" SQLGetData read unbound columns only after
    // the last bound one.
    SQLLEN rowBytes = 0;
    for (int c = 0; c < columns; ++c) {
        ColumnPlan &p = plans[size_t(c)];
        p.getData = p.longValue || (c > firstGetData && !anyColumnGetData);
        if (!p.getData)
            rowBytes += p.elementSize + SQLLEN(sizeof(SQLLEN));
    }
    const SQLULEN rows =
        firstGetData < columns ? 1 : qBound<SQLULEN>(1, SQLULEN(RowsetBytes / qMax<SQLLEN>(rowBytes, 1)), MaxRowset);
    SQLULEN fetched = 0;
    ODBC(s.api->setStmtAttr(s.handle, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0));
    ODBC(s.api->setStmtAttr(s.handle, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0));
    ODBC(s.api->setStmtAttr(s.handle, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0));
    for (int c = 0; c < columns; ++c) {
        ColumnPlan &p = plans[size_t(c)];
        if (p.getData)
            continue;
        p.buffer.resize(size_t(p.elementSize) * rows);
        p.indicators.resize(rows);
        ODBC(s.api->bindCol(s.handle, SQLUSMALLINT(c + 1), p.cType, p.buffer.data(), p.elementSize,
                            p.indicators.data()));
    }
    int cutColumn = -1;
    qint64 filled = 0;
    for (;;) {
        SQLRETURN rc = ODBC(s.api->fetch(s.handle));
        if (rc == SQL_NO_DATA) {
            collect(s, batch, rc); // a message that followed the rows
            break;
        }
        if (rc == SQL_SUCCESS_WITH_INFO || rc == SQL_ERROR) {
            const qsizetype before = batch.messages.size();
            collect(s, batch, rc);
            // Truncation warnings are ours to report, once, below.
            for (qsizetype i = batch.messages.size() - 1; i >= before; --i) {
                if (batch.messages.at(i).sqlState == QLatin1String("01004"))
                    batch.messages.removeAt(i);
            }
        }
        if (rc == SQL_ERROR || batch.linkLost || batch.cancelled)
            break;
        for (int c = 0; c < columns; ++c) {
            const ColumnPlan &p = plans[size_t(c)];
            if (!p.getData && !appendColumn(*result, c, p, p.buffer.data(), p.indicators.data(), fetched, filled)
                && cutColumn < 0)
                cutColumn = c;
        }
        // Unbound columns come one row at a time, in column order.
        for (int c = firstGetData; c < columns && fetched > 0; ++c) {
            ColumnPlan &p = plans[size_t(c)];
            if (p.getData && !getData(s, c, p, *result, filled, batch))
                return;
        }
        result->EndRows(qint64(fetched));
        filled += qint64(fetched);
    }
    if (cutColumn >= 0)
        batch.messages.append(cutMessage(defs.at(cutColumn)));
    ODBC(s.api->freeStmt(s.handle, SQL_UNBIND));
    ODBC(s.api->setStmtAttr(s.handle, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(1)), 0));
    ODBC(s.api->setStmtAttr(s.handle, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0));
    batch.results.push_back(std::move(result));
}

bool TDBOdbcBackend::Private::getData(const Statement &s, int c, ColumnPlan &p, TDBResultSet &r, qint64 row,
                                      TDBBatch &batch)
{
    const SQLUSMALLINT column = SQLUSMALLINT(c + 1);
    if (!p.longValue) {
        // A fixed-size value that has to come after an unbound column.
        std::vector<char> cell(size_t(qMax<SQLLEN>(p.elementSize, 16)));
        SQLLEN ind = 0;
        const SQLRETURN rc = ODBC(s.api->getData(s.handle, column, p.cType, cell.data(), p.elementSize, &ind));
        if (!SQL_SUCCEEDED(rc)) {
            collect(s, batch, rc);
            r.AppendNull(c);
            return !(batch.linkLost || batch.cancelled);
        }
        appendColumn(r, c, p, cell.data(), &ind, 1, row);
        return true;
    }
    const bool text = p.cType == SQL_C_WCHAR;
    QByteArray value;
    std::vector<char> chunk(GetDataChunk);
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc = ODBC(s.api->getData(s.handle, column, p.cType, chunk.data(), SQLLEN(chunk.size()), &ind));
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc)) {
            collect(s, batch, rc);
            r.AppendNull(c);
            return !(batch.linkLost || batch.cancelled);
        }
        if (ind == SQL_NULL_DATA) {
            r.AppendNull(c);
            return true;
        }
        // A full chunk ends with a NUL character for text.
        const SQLLEN room = SQLLEN(chunk.size()) - (text ? 2 : 0);
        const bool more = rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind > room);
        value.append(chunk.data(), more ? room : ind);
        if (!more)
            break;
    }
    if (text)
        r.AppendText(c, reinterpret_cast<const char16_t *>(value.constData()), value.size() / 2);
    else
        r.AppendBytes(c, value.constData(), value.size());
    return true;
}

// --- connection strings --------------------------------------------------------

QString OdbcDriverFor(const TFDConnectionParams &params)
{
    QString driver = params.Value(QStringLiteral("ODBCDriver")).trimmed();
    if (driver.isEmpty())
        driver = qEnvironmentVariable("ZK_ODBC_DRIVER").trimmed();
    if (driver.isEmpty())
        driver = TFDConnection::DefaultODBCDriver().trimmed();
    if (driver.isEmpty())
        driver = QStringLiteral("FreeTDS");
    return driver;
}

bool IsFreeTDSDriver(const QString &driver)
{
    return driver.contains(QLatin1String("freetds"), Qt::CaseInsensitive)
           || driver.contains(QLatin1String("tdsodbc"), Qt::CaseInsensitive);
}

QString OdbcBraced(const QString &value, bool freetds)
{
    if (!freetds) {
        QString v = value;
        v.replace(QLatin1Char('}'), QLatin1String("}}"));
        return QLatin1Char('{') + v + QLatin1Char('}');
    }
    // FreeTDS reads a braced value up to the first "}" followed by ";" and
    // keeps "}}" as written, while the driver manager (which picks the
    // driver from the same string) ends it at a lone "}". A "}" can go
    // through undoubled unless what follows it could read as a key to
    // either of them.
    const qsizetype brace = value.indexOf(QLatin1Char('}'));
    if (brace >= 0 && (value.contains(QLatin1String("};")) || value.indexOf(QLatin1Char('='), brace) >= 0))
        throw EDBError(TDBErrorKind::Usage, QStringLiteral("接続の設定値に \"}\" の後に \";\" や \"=\" が続く文字列は、"
                                                           "FreeTDS ドライバでは使えません。"));
    return QLatin1Char('{') + value + QLatin1Char('}');
}

QString OdbcConnectionString(const TFDConnectionParams &params, const QString &driver)
{
    QStringList parts;
    const bool freetds = IsFreeTDSDriver(driver);
    auto add = [&](const char *key, const QString &value) {
        parts.append(QLatin1String(key) + QLatin1Char('=') + OdbcBraced(value, freetds));
    };
    add("DRIVER", driver);
    add("SERVER", params.Value(QStringLiteral("Server")).trimmed());
    const QString database = params.Value(QStringLiteral("Database"));
    if (!database.trimmed().isEmpty())
        add("DATABASE", database);
    if (isYes(params.Value(QStringLiteral("OSAuthent")))) {
        add("Trusted_Connection", QStringLiteral("Yes"));
    } else {
        add("UID", params.Value(QStringLiteral("User_Name")));
        add("PWD", params.Value(QStringLiteral("Password")));
    }
    const QString app = params.Value(QStringLiteral("ApplicationName"));
    if (!app.isEmpty())
        add("APP", app);
    const bool encrypt = isYes(params.Value(QStringLiteral("Encrypt")));
    if (freetds) {
        add("TDS_Version", QStringLiteral("7.4"));
        add("ClientCharset", QStringLiteral("UTF-8"));
        // "request" encrypts where the server offers it, as other drivers
        // do with encryption off; "require" refuses a server without it.
        add("Encryption", encrypt ? QStringLiteral("require") : QStringLiteral("request"));
    } else {
        add("Encrypt", encrypt ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    // Every value ends in "};": FreeTDS would keep the brace of a last value.
    return parts.join(QLatin1Char(';')) + QLatin1Char(';');
}
