#pragma once

// A small SQL Server (TDS 7.4) for tests: it accepts the FreeTDS ODBC
// driver's and tsql's logon on a loopback port and answers every request
// from rule files (see README.md), logging what it received. It runs on its
// own threads; tests start it on port 0 (a free port) and stop it.

#include "support/rules/tdsrules.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

struct TdsLogEntry
{
    enum Kind {
        Login,       // text: user, database and application
        Batch,       // text: the SQL batch exactly as received
        Rpc,         // procedure: "sp_executesql", "sp_prepexec", ...; text: the statement; params: rendered with types
        Transaction, // text: "begin", "commit", "rollback" (transaction manager requests);
                     // "commit, begin" when the next transaction starts at once
        Attention,   // the client cancelled
        Disconnect   // the link closed (text "dropped" when the server dropped it)
    };
    Kind kind = Batch;
    int connection = 0; // 1, 2, ... in the order connections were accepted
    QString text;
    QString procedure;
    QString params;

    // "[1] batch: select 1", "[2] rpc sp_executesql: select ... | @P1 int = 5"
    QString line() const;
};

struct TdsLoginRecord
{
    int connection = 0;
    QString user;
    QString password;
    QString database; // as asked for; empty when the client named none
    QString appName;
    QString hostName;
    QString language;
    quint32 tdsVersion = 0;
    int packetSize = 0;
    bool refused = false;
};

class TdsServer
{
public:
    TdsServer();
    ~TdsServer(); // stops
    TdsServer(const TdsServer &) = delete;
    TdsServer &operator=(const TdsServer &) = delete;

    // Rules may be loaded and cleared while the server runs; a later load is
    // searched first. Errors name the file and line.
    bool loadRules(const QString &path, QString *error = nullptr);
    bool loadRulesText(const QString &text, const QString &name = QStringLiteral("inline"), QString *error = nullptr);
    void clearRules();

    // Also writes every log entry to this file as it happens ("-": stdout).
    void setLogFile(const QString &path);

    // Listens on 127.0.0.1; port 0 picks a free port.
    bool start(quint16 port = 0, QString *error = nullptr);
    void stop();
    bool isRunning() const;
    quint16 port() const;

    // DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=n;UID=sa;PWD=x;TDS_Version=7.4;ClientCharset=UTF-8
    // plus DATABASE={database} when given.
    QString connectionString(const QString &database = {}) const;

    QList<TdsLogEntry> log() const;
    QStringList logLines() const;
    // Batch texts and RPC statements only, in order.
    QStringList statements() const;
    void clearLog();
    // Waits until the log satisfies the condition; false on timeout.
    bool waitForLog(const std::function<bool(const QList<TdsLogEntry> &)> &condition, int timeoutMs = 5000) const;
    QList<TdsLoginRecord> logins() const;

    int openConnections() const;
    // Closes every open connection now, as a lost link would.
    void dropConnections();

    struct Private;

private:
    std::unique_ptr<Private> d;
};
