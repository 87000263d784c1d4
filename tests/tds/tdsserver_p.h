#pragma once

#include "tds/tdsserver.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <list>
#include <mutex>
#include <thread>

struct TdsServer::Private
{
    struct Connection
    {
        int id = 0;
        int fd = -1; // -1 once its thread has closed it
        std::thread thread;
        std::atomic<bool> finished{false};
        std::atomic<bool> dropped{false}; // by dropConnections()
    };

    mutable std::mutex mutex; // rules, log, logins, connections
    mutable std::condition_variable logChanged;
    tdsrules::RuleSet rules;
    QList<TdsLogEntry> log;
    QList<TdsLoginRecord> logins;
    FILE *logStream = nullptr;
    bool ownsLogStream = false;

    int listenFd = -1;
    int wakeFd = -1;
    quint16 port = 0;
    std::thread acceptThread;
    std::atomic<bool> stopping{false};
    std::list<std::unique_ptr<Connection>> connections;
    int nextConnection = 1;

    void acceptLoop();
    void reapFinished(); // joins threads of closed connections; with mutex held
    void closeLogStream();

    // Called from connection threads.
    void addLog(const TdsLogEntry &entry);
    void addLogLocked(const TdsLogEntry &entry);
    void addLogin(const TdsLoginRecord &record);
    QList<tdsrules::Answer> answer(const QString &sql, const QString &params, tdsrules::Session *session);
    QList<tdsrules::Answer> loginAnswers(const QString &user);
    // Closes the link and logs its end under one lock: the accept loop joins
    // finished threads while it holds the lock, so a thread must not need the
    // lock again once it is marked finished.
    void connectionClosed(Connection *c, const TdsLogEntry &closed);
};

// Serves one client connection on its own thread.
void serveConnection(TdsServer::Private *server, TdsServer::Private::Connection *connection);
