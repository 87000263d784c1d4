#include "platform/power/power.h"

#include <QDBusConnection>
#include <QDBusMessage>

void KeepSystemAwake()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("SimulateUserActivity"));
    // No desktop service is started for it, and no answer is awaited.
    call.setAutoStartService(false);
    bus.send(call);
}
