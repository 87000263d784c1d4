#include "support/scripted/scriptedbackend.h"

#include "platform/db/dbsql.h"
#include "platform/db/dbtext.h"

#include <QDateTime>
#include <QThread>

#include <algorithm>

namespace {

TDBMessage message(int number, int state, int severity, int line, const QString &text, const char *sqlState)
{
    TDBMessage m;
    m.number = number;
    m.state = state;
    m.severity = severity;
    m.line = line;
    m.text = text;
    m.sqlState = QString::fromLatin1(sqlState);
    return m;
}

QString paramTypeName(const TDBParamValue &p)
{
    switch (p.dataType) {
    case ftBoolean: return QStringLiteral("bit");
    case ftByte:
    case ftShortint:
    case ftSmallint:
    case ftWord:
    case ftInteger:
    case ftLongWord:
    case ftLargeint:
    case ftAutoInc: return QStringLiteral("bigint");
    case ftSingle:
    case ftFloat:
    case ftExtended: return QStringLiteral("float");
    case ftDate:
    case ftDateTime:
    case ftTimeStamp: return QStringLiteral("datetime2");
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
        return p.value.toByteArray().size() > 8000 ? QStringLiteral("varbinary(max)")
                                                   : QStringLiteral("varbinary(8000)");
    default:
        return p.value.toString().size() > 4000 ? QStringLiteral("nvarchar(max)") : QStringLiteral("nvarchar(4000)");
    }
}

// A rule file's result in the column store, date and time values exact to
// 100 ns.
std::shared_ptr<TDBResultSet> toResult(const tdsrules::ResultSet &rs)
{
    QList<TDBColumnDef> defs;
    for (const tdsrules::Column &c : rs.columns)
        defs.append(DescribeColumn(c.name, c.typeName, c.length, c.precision, c.scale));
    auto result = std::make_shared<TDBResultSet>(defs);
    const qint64 rows = rs.rowCount();
    for (qint64 r = 0; r < rows; ++r) {
        for (int c = 0; c < defs.size(); ++c) {
            const QVariant v = rs.value(r, c);
            if (v.isNull()) {
                result->AppendNull(c);
                continue;
            }
            const qint64 extra = rs.extraTicks(r, c);
            switch (defs.at(c).storage) {
            case TDBStorage::DateTime: {
                const QDateTime dt = v.toDateTime();
                result->AppendTicks(c, qint64(dbtext::DaysFromDate(dt.date())) * dbtext::TicksPerDay
                                           + qint64(dt.time().msecsSinceStartOfDay()) * 10000 + extra);
                break;
            }
            case TDBStorage::DateTimeOffset: {
                const QDateTime dt = v.toDateTime();
                result->AppendDateTimeOffset(c,
                                             qint64(dbtext::DaysFromDate(dt.date())) * dbtext::TicksPerDay
                                                 + qint64(dt.time().msecsSinceStartOfDay()) * 10000 + extra,
                                             dt.offsetFromUtc() / 60);
                break;
            }
            case TDBStorage::Time:
                result->AppendTicks(c, qint64(v.toTime().msecsSinceStartOfDay()) * 10000 + extra);
                break;
            default: result->AppendValue(c, v); break;
            }
        }
        result->EndRow();
    }
    return result;
}

} // namespace

// --- TScript -------------------------------------------------------------------

QString TScriptEntry::line() const
{
    static const char *const kinds[] = {"login", "batch", "rpc", "autocommit", "disconnect", "end transaction"};
    QString s = QStringLiteral("[%1] %2").arg(connection).arg(QLatin1String(kinds[kind]));
    if (!text.isEmpty())
        s += QStringLiteral(": ") + text;
    if (!params.isEmpty())
        s += QStringLiteral(" | ") + params;
    return s;
}

bool TScript::LoadFile(const QString &path, QString *error)
{
    std::lock_guard lock(m_mutex);
    return m_rules.loadFile(path, error);
}

bool TScript::LoadText(const QString &text, const QString &name, QString *error)
{
    std::lock_guard lock(m_mutex);
    return m_rules.loadText(text, name, error);
}

void TScript::ClearRules()
{
    std::lock_guard lock(m_mutex);
    m_rules.clear();
}

QList<TScriptEntry> TScript::Log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

QStringList TScript::LogLines() const
{
    QStringList lines;
    for (const TScriptEntry &e : Log())
        lines.append(e.line());
    return lines;
}

QStringList TScript::Statements() const
{
    QStringList list;
    for (const TScriptEntry &e : Log()) {
        if (e.kind == TScriptEntry::Batch || e.kind == TScriptEntry::Rpc)
            list.append(e.text);
    }
    return list;
}

void TScript::ClearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

void TScript::DropConnections()
{
    std::lock_guard lock(m_mutex);
    ++m_dropGeneration;
}

int TScript::dropGeneration() const
{
    std::lock_guard lock(m_mutex);
    return m_dropGeneration;
}

tdsrules::RuleSet TScript::rules() const
{
    std::lock_guard lock(m_mutex);
    return m_rules;
}

int TScript::addConnection()
{
    std::lock_guard lock(m_mutex);
    return ++m_connections;
}

void TScript::append(const TScriptEntry &entry)
{
    std::lock_guard lock(m_mutex);
    m_log.append(entry);
}

// --- TScriptedBackend -------------------------------------------------------

TScriptedBackend::TScriptedBackend(std::shared_ptr<TScript> script)
    : m_script(std::move(script))
{
}

TScriptedBackend::~TScriptedBackend()
{
    Disconnect();
}

void TScriptedBackend::Connect(const TFDConnectionParams &params)
{
    Disconnect();
    m_connection = m_script->addConnection();
    const QString user = params.Value(QStringLiteral("User_Name"));
    m_session = tdsrules::Session();
    m_session.user = user;
    const QString database = params.Value(QStringLiteral("Database")).trimmed();
    if (!database.isEmpty())
        m_session.database = database;
    m_session.appName = params.Value(QStringLiteral("ApplicationName"));
    m_script->append({TScriptEntry::Login,
                      m_connection,
                      QStringLiteral("%1 database=%2 app=%3").arg(user, m_session.database, m_session.appName),
                      {}});
    const QString prefix = QStringLiteral("データベースに接続できませんでした。");
    if (params.Value(QStringLiteral("OSAuthent")).compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0) {
        throw EDBError(TDBErrorKind::Driver,
                       {message(18452, 1, 14, 1,
                                QStringLiteral("Login failed. The login is from an untrusted domain and cannot be "
                                               "used with Integrated authentication."),
                                "28000")},
                       prefix);
    }
    QList<TDBMessage> errors;
    for (const tdsrules::Answer &a : m_script->rules().loginAnswers(user)) {
        switch (a.kind) {
        case tdsrules::Answer::Delay: QThread::msleep(ulong(a.delayMs)); break;
        case tdsrules::Answer::Drop:
            errors.append(message(0, 0, 16, 0, QStringLiteral("Unexpected EOF from the server"), "08S01"));
            break;
        case tdsrules::Answer::Error:
            errors.append(message(a.number, a.state, a.severity, a.line, a.text, "28000"));
            break;
        default: break;
        }
    }
    if (!errors.isEmpty())
        throw EDBError(TDBErrorKind::Driver, errors, prefix);
    m_connected = true;
    m_dropped = false;
    m_dropGeneration = m_script->dropGeneration();
}

void TScriptedBackend::Disconnect()
{
    if (!m_connected)
        return;
    m_connected = false;
    m_script->append({TScriptEntry::Disconnect, m_connection, m_dropped ? QStringLiteral("dropped") : QString(), {}});
}

bool TScriptedBackend::waitCancelled(int ms)
{
    std::unique_lock lock(m_cancelMutex);
    return m_cancelWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_cancelled; });
}

TDBBatch TScriptedBackend::Execute(const TDBRequest &request)
{
    TDBBatch batch;
    {
        std::lock_guard lock(m_cancelMutex);
        m_cancelled = false;
    }
    if (m_connected && m_dropGeneration != m_script->dropGeneration())
        m_dropped = true;
    if (!m_connected || m_dropped) {
        batch.linkLost = true;
        batch.answered = false;
        batch.messages.append(message(0, 0, 16, 0, QStringLiteral("Unexpected EOF from the server"), "08S01"));
        return batch;
    }
    const bool rpc = !request.params.isEmpty();
    QString sql = rpc ? NumberDriverMarkers(request.sql) : request.sql;
    // A procedure call with outputs reaches the server as a call of the
    // procedure by name (as the ODBC backend sends it): its arguments
    // without the return value, which takes the return status.
    QString call, procedure;
    const bool procCall = rpc && request.params.first().IsOutput() && OdbcProcedureCall(request.sql, &call, &procedure)
                          && call.count(QLatin1Char('?')) == request.params.size();
    if (procCall)
        sql = QStringLiteral("exec ") + procedure;
    QList<tdsrules::Param> params;
    bool anyOutput = false;
    for (qsizetype i = procCall ? 1 : 0; i < request.params.size(); ++i) {
        const TDBParamValue &v = request.params.at(i);
        tdsrules::Param p;
        p.name = QStringLiteral("@P%1").arg(params.size() + 1);
        p.typeName = paramTypeName(v);
        // As the driver does: a pure output goes without its value.
        p.value = v.paramType == ptOutput || v.paramType == ptResult ? QVariant() : v.value;
        p.output = v.IsOutput();
        anyOutput = anyOutput || p.output;
        params.append(p);
    }
    m_script->append({rpc ? TScriptEntry::Rpc : TScriptEntry::Batch, m_connection, sql,
                      rpc ? tdsrules::renderParams(params, true) : QString()});
    QList<tdsrules::Param> matched = params;
    for (tdsrules::Param &p : matched)
        p.output = false;
    // A "use" inside sp_executesql only lasts for the call.
    const QString database = m_session.database;
    QList<tdsrules::Answer> answers =
        m_script->rules().answer(sql, rpc ? tdsrules::renderParams(matched, false) : QString(), &m_session);
    if (rpc)
        m_session.database = database;
    if (anyOutput || procCall) {
        QString why;
        if (tdsrules::applyOutputs(answers, sql, &params, &why)) {
            if (procCall)
                batch.outputs.append(qint64(tdsrules::returnStatus(answers)));
            for (const tdsrules::Param &p : std::as_const(params))
                batch.outputs.append(p.output ? p.value : QVariant());
        } else {
            answers << tdsrules::errorAnswer(50000, 1, 16, 1, why);
        }
    }

    bool sentSomething = false; // before a drop: the server had answered
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const tdsrules::Answer &a = answers.at(i);
        switch (a.kind) {
        case tdsrules::Answer::Result:
            if (request.keepResults)
                batch.results.push_back(toResult(a.result));
            break;
        case tdsrules::Answer::RowCount: batch.rowsAffected = qMax<qint64>(batch.rowsAffected, 0) + a.rowCount; break;
        case tdsrules::Answer::Message:
            batch.messages.append(message(a.number, a.state, a.severity, a.line, a.text, "01000"));
            break;
        case tdsrules::Answer::Error:
            batch.messages.append(message(a.number, a.state, a.severity, a.line, a.text, "42000"));
            break;
        case tdsrules::Answer::UseDatabase:
            batch.messages.append(
                message(5701, 2, 0, 1, QStringLiteral("Changed database context to '%1'.").arg(a.text), "01000"));
            break;
        case tdsrules::Answer::Delay:
            if (waitCancelled(a.delayMs)) {
                batch.cancelled = true;
                batch.messages.append(message(0, 0, 16, 0, QStringLiteral("Operation canceled"), "HY008"));
                return batch;
            }
            break;
        case tdsrules::Answer::Drop:
            m_dropped = true;
            // After the batch's last answer the driver has what it waits
            // for: the broken link shows at the next statement.
            if (sentSomething && std::all_of(answers.cbegin() + i, answers.cend(), [](const tdsrules::Answer &b) {
                    return b.kind == tdsrules::Answer::Drop || b.kind == tdsrules::Answer::Delay;
                }))
                return batch;
            batch.linkLost = true;
            batch.answered = sentSomething;
            batch.messages.append(message(0, 0, 16, 0, QStringLiteral("Unexpected EOF from the server"), "08S01"));
            return batch;
        case tdsrules::Answer::Transaction:
        case tdsrules::Answer::Output:
        case tdsrules::Answer::Return: break;
        }
        sentSomething = sentSomething || a.kind != tdsrules::Answer::Delay;
    }
    return batch;
}

void TScriptedBackend::Cancel()
{
    std::lock_guard lock(m_cancelMutex);
    m_cancelled = true;
    m_cancelWake.notify_all();
}

void TScriptedBackend::SetAutoCommit(bool on)
{
    m_script->append({TScriptEntry::AutoCommit, m_connection, on ? QStringLiteral("on") : QStringLiteral("off"), {}});
}

void TScriptedBackend::EndTransaction(bool commit)
{
    m_script->append({TScriptEntry::EndTransaction,
                      m_connection,
                      commit ? QStringLiteral("commit") : QStringLiteral("rollback"),
                      {}});
}

QString TScriptedBackend::DriverName() const
{
    return QStringLiteral("Scripted");
}

QStringList TScriptedBackend::InfoReport() const
{
    return {QStringLiteral("Driver name = Scripted"),
            QStringLiteral("DBMS version = %1").arg(QLatin1String(tdsrules::ProductVersion))};
}

// --- TScriptedScope ---------------------------------------------------------

TScriptedScope::TScriptedScope(std::shared_ptr<TScript> script)
{
    TFDConnection::SetDefaultBackendFactory([script] { return std::make_unique<TScriptedBackend>(script); });
}

TScriptedScope::~TScriptedScope()
{
    TFDConnection::SetDefaultBackendFactory({});
}
