#pragma once

// A backend of the database layer that answers in-process from the same
// rule files as the TDS test server (tests/tds/README.md), and records every
// statement it received. Tests of windows use it for speed:
//
//   auto script = std::make_shared<TScript>();
//   script->LoadFile(ZK_FIXTURES_DIR "/catalog.rules");
//   TScriptedScope scope(script);       // every new TFDConnection answers from it
//   ... open the window, run the command ...
//   EXPECT_EQ(script->Statements().last(), "select ...");
//
// Parameterised statements are matched and logged as the server sees them:
// "?" markers as @P1, @P2 ..., parameters rendered as the server renders
// them ("@P1 = N'dbo'" for matching, with types in the log).

#include "platform/db/dbbackend.h"
#include "platform/db/dbconnection.h"
#include "support/rules/tdsrules.h"

#include <QStringList>

#include <condition_variable>
#include <memory>
#include <mutex>

struct TScriptEntry
{
    enum Kind { Login, Batch, Rpc, AutoCommit, Disconnect, EndTransaction };
    Kind kind = Batch;
    int connection = 0; // 1, 2, ... in the order backends logged on
    QString text;       // statement (markers numbered), login "user database=... app=...", "on"/"off"
    QString params;     // RPC parameters with types: "@P1 nvarchar(4000) = N'dbo'"

    QString line() const;
};

// Rules and a log, shared by every backend made from it.
class TScript
{
public:
    bool LoadFile(const QString &path, QString *error = nullptr);
    bool LoadText(const QString &text, const QString &name = QStringLiteral("inline"), QString *error = nullptr);
    void ClearRules();

    QList<TScriptEntry> Log() const;
    QStringList LogLines() const;
    // Batch texts and RPC statements, in order.
    QStringList Statements() const;
    void ClearLog();
    // Every backend's link breaks now, as a lost network would.
    void DropConnections();

    // Internal to the backends.
    tdsrules::RuleSet rules() const;
    int addConnection();
    void append(const TScriptEntry &entry);
    int dropGeneration() const;

private:
    mutable std::mutex m_mutex;
    tdsrules::RuleSet m_rules;
    QList<TScriptEntry> m_log;
    int m_connections = 0;
    int m_dropGeneration = 0;
};

class TScriptedBackend : public TDBBackend
{
public:
    explicit TScriptedBackend(std::shared_ptr<TScript> script);
    ~TScriptedBackend() override;

    std::shared_ptr<TScript> Script() const { return m_script; }
    const tdsrules::Session &Session() const { return m_session; }

    void Connect(const TFDConnectionParams &params) override;
    void Disconnect() override;
    TDBBatch Execute(const TDBRequest &request) override;
    void Cancel() override;
    void SetAutoCommit(bool on) override;
    void EndTransaction(bool commit) override;
    QString DriverName() const override;
    QStringList InfoReport() const override;

private:
    bool waitCancelled(int ms);

    std::shared_ptr<TScript> m_script;
    tdsrules::Session m_session;
    int m_connection = 0;
    bool m_connected = false;
    bool m_dropped = false;
    int m_dropGeneration = 0;
    std::mutex m_cancelMutex;
    std::condition_variable m_cancelWake;
    bool m_cancelled = false;
};

// While it lives, every TFDConnection that makes its backend gets a scripted
// one on this script.
class TScriptedScope
{
public:
    explicit TScriptedScope(std::shared_ptr<TScript> script);
    ~TScriptedScope();
    TScriptedScope(const TScriptedScope &) = delete;
    TScriptedScope &operator=(const TScriptedScope &) = delete;
};
