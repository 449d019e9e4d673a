#include "app/main/screen_lock.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>

namespace corvane {

namespace {

// A screen saver that does not answer within this time is taken as absent.
constexpr int answerTimeoutMilliseconds = 1000;

}  // namespace

bool screenSaverActive() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    // A plain call: an interface object would first ask the service to describe itself.
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("GetActive"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, answerTimeoutMilliseconds);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().front().toBool();
}

}  // namespace corvane
