#pragma once

#include "platform/db/dbbackend.h"
#include "platform/db/dberror.h"
#include "platform/db/dbparams.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// A connection to SQL Server.
//
//   TFDConnection con;
//   con.Params().SetValue("Server", "db1,1433");       // "host", "host,port", "host\instance"
//   con.Params().SetValue("User_Name", "sa");           // blank with "OSAuthent"="Yes": Kerberos
//   con.Params().SetValue("Password", "...");
//   con.Params().SetValue("Database", "master");
//   con.Open();                                         // raises EDBError
//   con.StartTransaction(); ... con.Commit();
//
// Parameters (names ignore case; unset reads as ""): "DriverID", "Server",
// "Database", "User_Name", "Password", "OSAuthent" ("Yes"/"No"),
// "ApplicationName", "Encrypt" ("Yes"/"No"), "ODBCDriver" (the ODBC driver
// to use; else $ZK_ODBC_DRIVER, else DefaultODBCDriver(), else "FreeTDS"),
// "LoginTimeout" (seconds, default 15).
//
// Every statement runs through TDBWait (the window keeps repainting, ESC
// cancels). One statement at a time: a second one while the first runs (a
// timer firing during the wait) is refused with an EDBError of kind Busy.
//
// A lost link: the connection reads as not connected and the statement
// raises (kind LinkLost). With AutoReconnect on, the next statement logs on
// again with the current parameters, then afterConnect() and restored()
// fire; a statement that found the link already gone (the server answered
// nothing) logs on again the same way and runs at once. A link lost while a
// transaction started here was open (or with autocommit off) is never
// replaced silently: the connection stays lost (every statement raises)
// until it is closed and opened again.
class TFDConnection : public QObject
{
    Q_OBJECT
public:
    using BackendFactory = std::function<std::unique_ptr<TDBBackend>()>;

    explicit TFDConnection(QObject *parent = nullptr);
    ~TFDConnection() override;

    TFDConnectionParams &Params() { return m_params; }
    const TFDConnectionParams &Params() const { return m_params; }

    // The backend of new connections: ODBC unless a factory is set (tests).
    static void SetDefaultBackendFactory(BackendFactory factory);
    // The ODBC driver when neither the parameter nor the environment names one.
    static void SetDefaultODBCDriver(const QString &driver);
    static QString DefaultODBCDriver();
    // Replaces this connection's backend (closes the connection first).
    void SetBackend(std::unique_ptr<TDBBackend> backend);
    TDBBackend *Backend();

    void Open();
    void Close();
    bool Connected() const;
    void SetConnected(bool connected);

    // Transactions started here, and the driver's own while autocommit is
    // off: InTransaction() tells of those; a transaction a script opened
    // shows in @@TRANCOUNT. With autocommit off, Commit and Rollback end the
    // driver's transaction and autocommit stays off.
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return m_inTransaction || (!m_autoCommit && m_state != State::Closed); }
    // The driver's autocommit mode (on by default).
    void SetAutoCommit(bool on);
    bool AutoCommit() const { return m_autoCommit; }

    bool AutoReconnect() const { return m_autoReconnect; }
    void SetAutoReconnect(bool on) { m_autoReconnect = on; }

    // Cancels the running statement; both from any thread.
    void AbortJob();
    bool Busy() const { return m_busy.load(); }

    // The ODBC driver's name as registered; empty when not connected.
    QString DriverName() const;
    // "Name = value" lines on the driver, the server and the parameters
    // (without the password).
    void GetInfoReport(QStringList &list) const;

    // Runs one batch; raises EDBError on any error of the batch.
    TDBBatch Execute(const TDBRequest &request, bool silent = false);
    // The same on behalf of `caller` (a query), which counts while the
    // session is held.
    TDBBatch Execute(const TDBRequest &request, bool silent, const QObject *caller);

    // Holding the session for one caller (a window reading plans with a
    // session mode switched on). While held, only statements of the holder
    // and its children run: any other is refused with kind Busy (timed
    // callers look at SessionHeld() and skip), and a lost link is never
    // replaced, so nothing the holder sends can run on a new session that
    // lacks its mode. A holder that goes away releases the session; a
    // second holder is refused (kind Busy) meanwhile. Use TFDSessionHold.
    void HoldSession(const QObject *holder);
    void ReleaseSession(const QObject *holder);
    bool SessionHeld() const { return !m_holder.isNull(); }
    // Whether a statement of `caller` may run now.
    bool MayRun(const QObject *caller) const;
    // A statement without result; returns the rows affected (-1 when none).
    qint64 ExecSQL(const QString &sql);
    // The messages (PRINT, low-severity RAISERROR, 5701, ...) of the last batch.
    const QList<TDBMessage> &Messages() const { return m_messages; }

signals:
    void afterConnect();
    void afterDisconnect();
    void lost();
    void restored();
    void messagesReceived(const QList<TDBMessage> &messages);

private:
    enum class State { Closed, Connected, Lost };

    TDBBackend *backend();
    void connectBackend();
    void ensureLink();
    TDBBatch runBatch(const TDBRequest &request, bool silent);
    [[noreturn]] void linkLost(const TDBBatch &batch);
    void endTransaction(const QString &sql, int noTransactionError);
    void endDriverTransaction(bool commit);
    void runOnBackend(const std::function<void(TDBBackend *)> &call);

    TFDConnectionParams m_params;
    // Written on the connection's thread under m_backendMutex; AbortJob reads
    // it under the lock from any thread.
    std::unique_ptr<TDBBackend> m_backend;
    std::mutex m_backendMutex;
    State m_state = State::Closed;
    std::atomic<bool> m_busy = false;
    bool m_inTransaction = false;
    bool m_lostInTransaction = false;
    bool m_autoReconnect = false;
    bool m_autoCommit = true;
    bool m_connecting = false;
    QList<TDBMessage> m_messages;
    QPointer<const QObject> m_holder;
};

// Holds a connection's session for a scope (see TFDConnection::HoldSession).
class TFDSessionHold
{
public:
    TFDSessionHold(TFDConnection *connection, const QObject *holder);
    ~TFDSessionHold();
    TFDSessionHold(const TFDSessionHold &) = delete;
    TFDSessionHold &operator=(const TFDSessionHold &) = delete;

private:
    QPointer<TFDConnection> m_connection;
    const QObject *m_holder;
};

// A transaction that rolls back unless committed, so that an exception
// cannot leave half of a change applied in an open transaction:
//
//   TFDTransaction tr(con);      // starts one unless one is open already
//   con.ExecSQL(...); ...
//   tr.Commit();                 // without it, the destructor rolls back
//
// A transaction that was open before is left alone: the guard neither
// commits nor rolls it back.
class TFDTransaction
{
public:
    explicit TFDTransaction(TFDConnection &connection);
    ~TFDTransaction();
    TFDTransaction(const TFDTransaction &) = delete;
    TFDTransaction &operator=(const TFDTransaction &) = delete;

    void Commit();
    bool Owns() const { return m_owns; }

private:
    TFDConnection &m_connection;
    bool m_owns = false;
};
