#include "platform/inet/inet.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

bool routableInterfaceUp()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.isGlobal() && !address.isLinkLocal())
                return true;
        }
    }
    return false;
}

} // namespace

bool InternetConnected()
{
    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        switch (QNetworkInformation::instance()->reachability()) {
        case QNetworkInformation::Reachability::Online: return true;
        case QNetworkInformation::Reachability::Disconnected:
        case QNetworkInformation::Reachability::Local:
        case QNetworkInformation::Reachability::Site: return false;
        case QNetworkInformation::Reachability::Unknown: break;
        }
    }
    return routableInterfaceUp();
}

UrlInfo QueryUrlInfo(const QUrl &url, int timeoutMs)
{
    UrlInfo info;
    if (!url.isValid())
        return info;
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply *reply = manager.head(request);

    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    guard.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (reply->error() == QNetworkReply::NoError) {
        const QVariant modified = reply->header(QNetworkRequest::LastModifiedHeader);
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (modified.isValid())
            info.lastModified = modified.toDateTime().toUTC();
        if (length.isValid())
            info.length = length.toLongLong();
    }
    delete reply;
    return info;
}
