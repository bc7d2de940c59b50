// A desktop panel's StatusNotifierWatcher, as far as a tray icon sees it, for the desktop tests on
// a private session bus: it owns the watcher's name, reports a registered host, and prints
// `ready` once it serves and `registered <bus name> <object path>` for every item that registers.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <cstdio>

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");

class Watcher : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\">"
            "<arg name=\"service\" type=\"s\" direction=\"in\"/></method>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QString member = message.member();
        if (member == QStringLiteral("Get") &&
            message.arguments().value(1).toString() ==
                QStringLiteral("IsStatusNotifierHostRegistered")) {
            bus.send(message.createReply(QVariant::fromValue(QDBusVariant(true))));
            return true;
        }
        if (member != QStringLiteral("RegisterStatusNotifierItem"))
            return false;
        // An item names its bus name, or only its object path on the caller's connection.
        QString service = message.arguments().value(0).toString();
        QString path = QStringLiteral("/StatusNotifierItem");
        if (service.startsWith(QLatin1Char('/'))) {
            path = service;
            service = message.service();
        }
        std::printf("registered %s %s\n", qPrintable(service), qPrintable(path));
        std::fflush(stdout);
        bus.send(message.createReply());
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    Watcher watcher;
    if (!bus.registerVirtualObject(kPath, &watcher) || !bus.registerService(kWatcher)) {
        std::fprintf(stderr, "tray-watcher: cannot serve %s on the session bus: %s\n",
                     qPrintable(kWatcher), qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
