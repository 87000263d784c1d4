#include "platform/db/dbconnection.h"

#include "platform/db/dbodbc.h"
#include "platform/db/dbwait.h"

#include <QScopedValueRollback>

namespace {

TFDConnection::BackendFactory &defaultFactory()
{
    static TFDConnection::BackendFactory factory;
    return factory;
}

QString &defaultDriver()
{
    static QString driver;
    return driver;
}

const char *const MsgBusy = "このデータベース接続は別の SQL を実行中です。終わるまでお待ちください。";
const char *const MsgNotConnected = "データベースに接続されていません。";
const char *const MsgLinkLost = "サーバーとの接続が切断されました。";
const char *const MsgLostInTransaction =
    "トランザクション中にサーバーとの接続が切断されました。確定していない変更は失われています。"
    "この接続では SQL を実行できません。接続し直してください。";
const char *const MsgCancelled = "SQL の実行がキャンセルされました。";
const char *const MsgHeld = "このデータベース接続は実行計画の取得中です。終わるまでお待ちください。";

} // namespace

TFDConnection::TFDConnection(QObject *parent)
    : QObject(parent)
{
}

TFDConnection::~TFDConnection()
{
    if (m_backend && m_state != State::Closed)
        m_backend->Disconnect();
}

void TFDConnection::SetDefaultBackendFactory(BackendFactory factory)
{
    defaultFactory() = std::move(factory);
}

void TFDConnection::SetDefaultODBCDriver(const QString &driver)
{
    defaultDriver() = driver;
}

QString TFDConnection::DefaultODBCDriver()
{
    return defaultDriver();
}

void TFDConnection::SetBackend(std::unique_ptr<TDBBackend> backend)
{
    Close();
    std::unique_ptr<TDBBackend> old;
    {
        std::lock_guard lock(m_backendMutex);
        old = std::move(m_backend);
        m_backend = std::move(backend);
    }
    // Destroyed outside the lock: an AbortJob waiting for it sees the new one.
}

TDBBackend *TFDConnection::Backend()
{
    return backend();
}

TDBBackend *TFDConnection::backend()
{
    if (!m_backend) {
        std::unique_ptr<TDBBackend> made;
        if (defaultFactory())
            made = defaultFactory()();
        if (!made)
            made = std::make_unique<TDBOdbcBackend>();
        std::lock_guard lock(m_backendMutex);
        m_backend = std::move(made);
    }
    return m_backend.get();
}

void TFDConnection::connectBackend()
{
    TDBBackend *b = backend();
    m_busy = true;
    try {
        TDBWait::Run([&] { b->Connect(m_params); }, {});
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    m_state = State::Connected;
    m_inTransaction = false;
    m_lostInTransaction = false;
    try {
        // Long values arrive whole (drivers default to a 64 KB text size).
        // A link that breaks here fails the logon, never logs on again.
        const QScopedValueRollback connecting(m_connecting, true);
        Execute({QStringLiteral("SET TEXTSIZE 2147483647"), {}, false});
        if (!m_autoCommit)
            TDBWait::Run([&] { b->SetAutoCommit(false); }, {});
    } catch (...) {
        b->Disconnect();
        m_state = State::Closed;
        throw;
    }
}

void TFDConnection::Open()
{
    if (m_state == State::Connected)
        return;
    if (m_busy)
        throw EDBError(TDBErrorKind::Busy, QString::fromUtf8(MsgBusy));
    if (m_state == State::Lost)
        m_backend->Disconnect();
    m_state = State::Closed;
    connectBackend();
    emit afterConnect();
}

void TFDConnection::Close()
{
    if (m_state == State::Closed)
        return;
    m_backend->Disconnect();
    m_state = State::Closed;
    m_inTransaction = false;
    m_lostInTransaction = false;
    emit afterDisconnect();
}

bool TFDConnection::Connected() const
{
    // A lost link that the next statement will restore still counts.
    return m_state == State::Connected || (m_state == State::Lost && m_autoReconnect && !m_lostInTransaction);
}

void TFDConnection::SetConnected(bool connected)
{
    if (connected)
        Open();
    else
        Close();
}

void TFDConnection::ensureLink()
{
    if (m_state == State::Connected)
        return;
    if (m_state == State::Lost) {
        if (m_lostInTransaction)
            throw EDBError(TDBErrorKind::LinkLost, QString::fromUtf8(MsgLostInTransaction));
        if (!m_autoReconnect || SessionHeld())
            throw EDBError(TDBErrorKind::LinkLost, QString::fromUtf8(MsgLinkLost));
        m_backend->Disconnect();
        m_state = State::Closed;
        try {
            connectBackend();
        } catch (const EDBError &e) {
            m_state = State::Lost;
            throw EDBError(TDBErrorKind::LinkLost, e.Errors(), QString::fromUtf8(MsgLinkLost));
        }
        emit afterConnect();
        emit restored();
        return;
    }
    throw EDBError(TDBErrorKind::NotConnected, QString::fromUtf8(MsgNotConnected));
}

void TFDConnection::linkLost(const TDBBatch &batch)
{
    // With autocommit off every statement is inside the driver's transaction.
    const bool inTransaction = m_inTransaction || !m_autoCommit;
    m_state = State::Lost;
    m_inTransaction = false;
    m_lostInTransaction = inTransaction;
    m_backend->Disconnect();
    emit lost();
    EDBError e(TDBErrorKind::LinkLost, batch.errors(),
               QString::fromUtf8(inTransaction ? MsgLostInTransaction : MsgLinkLost));
    e.SetMessages(batch.infoMessages());
    throw e;
}

TDBBatch TFDConnection::runBatch(const TDBRequest &request, bool silent)
{
    TDBBackend *b = m_backend.get();
    TDBBatch batch;
    m_busy = true;
    try {
        TDBWait::Run([&] { batch = b->Execute(request); }, [b] { b->Cancel(); }, silent);
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    return batch;
}

TDBBatch TFDConnection::Execute(const TDBRequest &request, bool silent)
{
    return Execute(request, silent, nullptr);
}

TDBBatch TFDConnection::Execute(const TDBRequest &request, bool silent, const QObject *caller)
{
    if (!MayRun(caller))
        throw EDBError(TDBErrorKind::Busy, QString::fromUtf8(MsgHeld));
    if (m_busy)
        throw EDBError(TDBErrorKind::Busy, QString::fromUtf8(MsgBusy));
    ensureLink();
    TDBBatch batch = runBatch(request, silent);
    if (batch.linkLost && !batch.answered && m_autoReconnect && !m_inTransaction && m_autoCommit && !m_connecting
        && !SessionHeld()) {
        // Nothing came back: most likely the link was already gone when the
        // statement went out (an idle link the network or the server
        // dropped), so it goes again on a new session. A long statement cut
        // off before its first answer looks the same through ODBC.
        m_state = State::Lost;
        m_backend->Disconnect();
        emit lost();
        ensureLink();
        batch = runBatch(request, silent);
    }
    m_messages = batch.infoMessages();
    if (!m_messages.isEmpty())
        emit messagesReceived(m_messages);
    if (request.outputs && !batch.linkLost && !batch.cancelled)
        *request.outputs = batch.outputs;
    if (batch.linkLost)
        linkLost(batch);
    if (batch.cancelled) {
        EDBError e(TDBErrorKind::Cancelled, QString::fromUtf8(MsgCancelled));
        e.SetMessages(m_messages);
        throw e;
    }
    if (batch.hasErrors()) {
        EDBError e(TDBErrorKind::Server, batch.errors());
        e.SetMessages(m_messages);
        throw e;
    }
    return batch;
}

void TFDConnection::HoldSession(const QObject *holder)
{
    if (SessionHeld() && m_holder != holder)
        throw EDBError(TDBErrorKind::Busy, QString::fromUtf8(MsgHeld));
    m_holder = holder;
}

void TFDConnection::ReleaseSession(const QObject *holder)
{
    if (m_holder == holder)
        m_holder = nullptr;
}

bool TFDConnection::MayRun(const QObject *caller) const
{
    if (!SessionHeld())
        return true;
    for (const QObject *o = caller; o; o = o->parent())
        if (o == m_holder)
            return true;
    return false;
}

TFDSessionHold::TFDSessionHold(TFDConnection *connection, const QObject *holder)
    : m_connection(connection)
    , m_holder(holder)
{
    if (m_connection)
        m_connection->HoldSession(holder);
}

TFDSessionHold::~TFDSessionHold()
{
    if (m_connection)
        m_connection->ReleaseSession(m_holder);
}

qint64 TFDConnection::ExecSQL(const QString &sql)
{
    return Execute({sql, {}, false}).rowsAffected;
}

void TFDConnection::StartTransaction()
{
    if (m_inTransaction)
        return;
    ExecSQL(QStringLiteral("BEGIN TRANSACTION"));
    m_inTransaction = true;
}

void TFDConnection::endTransaction(const QString &sql, int noTransactionError)
{
    if (!m_inTransaction)
        return;
    try {
        ExecSQL(sql);
    } catch (const EDBError &e) {
        // The server ended the transaction itself (an error rolled it back).
        for (const TDBMessage &m : e.Errors()) {
            if (m.number == noTransactionError)
                m_inTransaction = false;
        }
        throw;
    }
    m_inTransaction = false;
}

void TFDConnection::Commit()
{
    if (m_inTransaction)
        endTransaction(QStringLiteral("COMMIT TRANSACTION"), 3902);
    else
        endDriverTransaction(true);
}

void TFDConnection::Rollback()
{
    if (m_inTransaction)
        endTransaction(QStringLiteral("ROLLBACK TRANSACTION"), 3903);
    else
        endDriverTransaction(false);
}

void TFDConnection::endDriverTransaction(bool commit)
{
    if (m_autoCommit || m_state != State::Connected)
        return;
    runOnBackend([commit](TDBBackend *b) { b->EndTransaction(commit); });
}

void TFDConnection::runOnBackend(const std::function<void(TDBBackend *)> &call)
{
    if (m_busy)
        throw EDBError(TDBErrorKind::Busy, QString::fromUtf8(MsgBusy));
    TDBBackend *b = m_backend.get();
    m_busy = true;
    try {
        TDBWait::Run([&] { call(b); }, {});
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
}

void TFDConnection::SetAutoCommit(bool on)
{
    if (m_state == State::Connected && on != m_autoCommit)
        runOnBackend([on](TDBBackend *b) { b->SetAutoCommit(on); });
    m_autoCommit = on;
}

void TFDConnection::AbortJob()
{
    // Another thread may be creating or replacing the backend meanwhile.
    std::lock_guard lock(m_backendMutex);
    if (m_backend)
        m_backend->Cancel();
}

QString TFDConnection::DriverName() const
{
    return m_state == State::Connected && m_backend ? m_backend->DriverName() : QString();
}

void TFDConnection::GetInfoReport(QStringList &list) const
{
    list.clear();
    for (const QString &name : m_params.Names()) {
        if (name.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0)
            continue;
        list.append(name + QStringLiteral(" = ") + m_params.Value(name));
    }
    if (m_state == State::Connected && m_backend)
        list.append(m_backend->InfoReport());
}

TFDTransaction::TFDTransaction(TFDConnection &connection)
    : m_connection(connection)
{
    if (!m_connection.InTransaction()) {
        m_connection.StartTransaction();
        m_owns = true;
    }
}

TFDTransaction::~TFDTransaction()
{
    if (!m_owns || !m_connection.InTransaction())
        return;
    try {
        m_connection.Rollback();
    } catch (const std::exception &e) {
        // The error that brought us here is the one the caller sees.
        qWarning("rollback failed: %s", e.what());
    }
}

void TFDTransaction::Commit()
{
    if (m_owns)
        m_connection.Commit();
    m_owns = false;
}
