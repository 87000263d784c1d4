#pragma once

#include <QDateTime>
#include <QUrl>

// The internet services the program asks for: whether the machine is online,
// and the modification time and length of a file on a web server.

// True when the system reports a connection beyond this machine: the
// network-information backend's reachability when it knows it, otherwise an
// interface that is up with a routable address.
bool InternetConnected();

struct UrlInfo
{
    QDateTime lastModified; // in UTC; invalid when the server gave none
    qint64 length = -1;     // -1 when the server gave none
};

// Asks the server for the headers of `url` (a HEAD request, past any cache).
// The caller's thread waits in a local event loop that repaints but takes no
// user input, for at most `timeoutMs`; a failure or a time-out gives an empty
// result. Never raises.
UrlInfo QueryUrlInfo(const QUrl &url, int timeoutMs = 15000);
