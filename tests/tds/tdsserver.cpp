#include "tds/tdsserver_p.h"

#include <QDeadlineTimer>
#include <QFile>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

QString TdsLogEntry::line() const
{
    const QString prefix = QStringLiteral("[%1] ").arg(connection);
    switch (kind) {
    case Login: return prefix + QStringLiteral("login: ") + text;
    case Batch: return prefix + QStringLiteral("batch: ") + text;
    case Rpc:
        return prefix
               + QStringLiteral("rpc %1: %2%3")
                     .arg(procedure, text, params.isEmpty() ? QString() : QStringLiteral(" | ") + params);
    case Transaction: return prefix + QStringLiteral("tm ") + text;
    case Attention: return prefix + QStringLiteral("attention");
    case Disconnect: return prefix + (text.isEmpty() ? QStringLiteral("disconnect") : text);
    }
    return prefix;
}

void TdsServer::Private::addLog(const TdsLogEntry &entry)
{
    std::lock_guard lock(mutex);
    addLogLocked(entry);
}

void TdsServer::Private::addLogLocked(const TdsLogEntry &entry)
{
    log << entry;
    if (logStream) {
        std::fputs(entry.line().toUtf8().constData(), logStream);
        std::fputc('\n', logStream);
        std::fflush(logStream);
    }
    logChanged.notify_all();
}

void TdsServer::Private::addLogin(const TdsLoginRecord &record)
{
    std::lock_guard lock(mutex);
    logins << record;
}

QList<tdsrules::Answer> TdsServer::Private::answer(const QString &sql, const QString &params,
                                                   tdsrules::Session *session)
{
    std::lock_guard lock(mutex);
    return rules.answer(sql, params, session);
}

QList<tdsrules::Answer> TdsServer::Private::loginAnswers(const QString &user)
{
    std::lock_guard lock(mutex);
    return rules.loginAnswers(user);
}

void TdsServer::Private::connectionClosed(Connection *c, const TdsLogEntry &closed)
{
    std::lock_guard lock(mutex);
    ::close(c->fd);
    c->fd = -1;
    addLogLocked(closed);
    c->finished = true;
}

void TdsServer::Private::reapFinished()
{
    for (auto it = connections.begin(); it != connections.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = connections.erase(it);
        } else {
            ++it;
        }
    }
}

void TdsServer::Private::closeLogStream()
{
    if (logStream && ownsLogStream)
        std::fclose(logStream);
    logStream = nullptr;
    ownsLogStream = false;
}

void TdsServer::Private::acceptLoop()
{
    pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    while (!stopping) {
        const int r = ::poll(fds, 2, -1);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || (fds[1].revents & POLLIN))
            break;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(mutex);
        reapFinished();
        auto c = std::make_unique<Connection>();
        c->id = nextConnection++;
        c->fd = fd;
        Connection *raw = c.get();
        connections.push_back(std::move(c));
        raw->thread = std::thread([this, raw] { serveConnection(this, raw); });
    }
}

TdsServer::TdsServer()
    : d(std::make_unique<Private>())
{
}

TdsServer::~TdsServer()
{
    stop();
    d->closeLogStream();
}

bool TdsServer::loadRules(const QString &path, QString *error)
{
    std::lock_guard lock(d->mutex);
    return d->rules.loadFile(path, error);
}

bool TdsServer::loadRulesText(const QString &text, const QString &name, QString *error)
{
    std::lock_guard lock(d->mutex);
    return d->rules.loadText(text, name, error);
}

void TdsServer::clearRules()
{
    std::lock_guard lock(d->mutex);
    d->rules.clear();
}

void TdsServer::setLogFile(const QString &path)
{
    std::lock_guard lock(d->mutex);
    d->closeLogStream();
    if (path == QLatin1String("-")) {
        d->logStream = stdout;
    } else if (!path.isEmpty()) {
        d->logStream = std::fopen(QFile::encodeName(path).constData(), "a");
        d->ownsLogStream = d->logStream != nullptr;
    }
}

bool TdsServer::start(quint16 port, QString *error)
{
    if (isRunning())
        return true;
    auto fail = [&](const char *what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        if (d->listenFd >= 0)
            ::close(d->listenFd);
        d->listenFd = -1;
        return false;
    };
    d->listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (d->listenFd < 0)
        return fail("socket");
    const int one = 1;
    ::setsockopt(d->listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(d->listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) < 0)
        return fail("bind");
    if (::listen(d->listenFd, 64) < 0)
        return fail("listen");
    socklen_t len = sizeof addr;
    ::getsockname(d->listenFd, reinterpret_cast<sockaddr *>(&addr), &len);
    d->port = ntohs(addr.sin_port);
    d->wakeFd = ::eventfd(0, EFD_CLOEXEC);
    if (d->wakeFd < 0)
        return fail("eventfd");
    d->stopping = false;
    d->acceptThread = std::thread([this] { d->acceptLoop(); });
    return true;
}

void TdsServer::stop()
{
    if (!d->acceptThread.joinable())
        return;
    d->stopping = true;
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t w = ::write(d->wakeFd, &one, sizeof one);
    d->acceptThread.join();
    ::close(d->listenFd);
    ::close(d->wakeFd);
    d->listenFd = d->wakeFd = -1;
    dropConnections();
    std::list<std::unique_ptr<Private::Connection>> all;
    {
        std::lock_guard lock(d->mutex);
        all.swap(d->connections);
    }
    for (auto &c : all)
        c->thread.join();
    d->port = 0;
}

bool TdsServer::isRunning() const
{
    return d->acceptThread.joinable();
}

quint16 TdsServer::port() const
{
    return d->port;
}

QString TdsServer::connectionString(const QString &database) const
{
    QString s = QStringLiteral("DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=%1;UID=sa;PWD=x;TDS_Version=7.4;"
                               "ClientCharset=UTF-8")
                    .arg(d->port);
    if (!database.isEmpty())
        s += QStringLiteral(";DATABASE={%1}").arg(QString(database).replace(QLatin1Char('}'), QLatin1String("}}")));
    return s;
}

QList<TdsLogEntry> TdsServer::log() const
{
    // A copy of its own, not a shared one: the server thread goes on
    // appending to its list while the caller reads this one.
    std::lock_guard lock(d->mutex);
    return QList<TdsLogEntry>(d->log.cbegin(), d->log.cend());
}

QStringList TdsServer::logLines() const
{
    QStringList lines;
    for (const TdsLogEntry &e : log())
        lines << e.line();
    return lines;
}

QStringList TdsServer::statements() const
{
    QStringList out;
    for (const TdsLogEntry &e : log()) {
        if (e.kind == TdsLogEntry::Batch || e.kind == TdsLogEntry::Rpc)
            out << e.text;
    }
    return out;
}

void TdsServer::clearLog()
{
    std::lock_guard lock(d->mutex);
    d->log.clear();
    d->logins.clear();
}

bool TdsServer::waitForLog(const std::function<bool(const QList<TdsLogEntry> &)> &condition, int timeoutMs) const
{
    std::unique_lock lock(d->mutex);
    return d->logChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return condition(d->log); });
}

QList<TdsLoginRecord> TdsServer::logins() const
{
    std::lock_guard lock(d->mutex);
    return QList<TdsLoginRecord>(d->logins.cbegin(), d->logins.cend());
}

int TdsServer::openConnections() const
{
    std::lock_guard lock(d->mutex);
    int n = 0;
    for (const auto &c : d->connections)
        n += c->finished ? 0 : 1;
    return n;
}

void TdsServer::dropConnections()
{
    std::lock_guard lock(d->mutex);
    for (const auto &c : d->connections) {
        if (c->fd >= 0) {
            c->dropped = true;
            ::shutdown(c->fd, SHUT_RDWR);
        }
    }
}
