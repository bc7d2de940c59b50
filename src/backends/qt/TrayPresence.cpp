#include "backends/qt/TrayPresence.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <cstdlib>
#include <string>
#include <xcb/xcb.h>

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const char* const kHostSignals[] = {"StatusNotifierHostRegistered",
                                    "StatusNotifierHostUnregistered"};
// A watcher that does not answer counts as none, and never holds the program up for long.
constexpr int kBusTimeoutMs = 1000;

xcb_atom_t Atom(xcb_connection_t* x, const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void WatchStructure(xcb_connection_t* x, xcb_window_t window) {
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, window, XCB_CW_EVENT_MASK, &mask);
}

} // namespace

TrayPresence::TrayPresence(std::function<void()> changed) {
    recheck_.setSingleShot(true);
    recheck_.setInterval(0);
    QObject::connect(&recheck_, &QTimer::timeout, std::move(changed));
    WatchBus();
    if (QGuiApplication::platformName() == QStringLiteral("xcb"))
        WatchScreen();
}

TrayPresence::~TrayPresence() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (busWatcher_)
        for (const char* signal : kHostSignals)
            bus.disconnect(kWatcher, kWatcherPath, kWatcher, QString::fromLatin1(signal), &recheck_,
                           SLOT(start()));
    xEvents_.reset();
    if (x_)
        xcb_disconnect(x_);
}

void TrayPresence::WatchBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    busWatcher_ = std::make_unique<QDBusServiceWatcher>(kWatcher, bus,
                                                        QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(busWatcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, &recheck_,
                     [this] { recheck_.start(); });
    // The watcher's host signals carry no arguments: they start the re-check directly.
    for (const char* signal : kHostSignals)
        bus.connect(kWatcher, kWatcherPath, kWatcher, QString::fromLatin1(signal), &recheck_,
                    SLOT(start()));
}

bool TrayPresence::StatusNotifierHost() const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!busWatcher_ || !bus.interface() || !bus.interface()->isServiceRegistered(kWatcher))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kBusTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

// A connection of its own, so that the event masks chosen here leave Qt's alone. A tray manager
// announces itself with a MANAGER message on the root window and ends with its window.
void TrayPresence::WatchScreen() {
    int screen = 0;
    x_ = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(x_)) {
        xcb_disconnect(x_);
        x_ = nullptr;
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x_));
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    root_ = it.data->root;
    selection_ = Atom(x_, "_NET_SYSTEM_TRAY_S" + std::to_string(screen));
    managerAtom_ = Atom(x_, "MANAGER");
    WatchStructure(x_, root_);
    FollowTrayOwner();
    xEvents_ =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(x_), QSocketNotifier::Read);
    QObject::connect(xEvents_.get(), &QSocketNotifier::activated, xEvents_.get(),
                     [this] { ReadScreenEvents(); });
    ReadScreenEvents();
}

void TrayPresence::FollowTrayOwner() {
    // The owner may end between the question and the watch: ask again until both agree.
    for (int round = 0; round < 3; ++round) {
        xcb_get_selection_owner_reply_t* reply =
            xcb_get_selection_owner_reply(x_, xcb_get_selection_owner(x_, selection_), nullptr);
        const xcb_window_t owner = reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
        std::free(reply);
        if (owner == trayOwner_ && round > 0)
            break;
        trayOwner_ = owner;
        if (owner != XCB_WINDOW_NONE)
            WatchStructure(x_, owner);
    }
    xcb_flush(x_);
}

void TrayPresence::ReadScreenEvents() {
    for (;;) {
        bool relevant = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                relevant |= message->type == managerAtom_ && message->data.data32[1] == selection_;
            } else if (type == XCB_DESTROY_NOTIFY) {
                relevant |=
                    reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == trayOwner_;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(x_)) {
            // The X server has gone: nothing on it can hold the icon any more.
            xEvents_->setEnabled(false);
            trayOwner_ = 0;
            recheck_.start();
            return;
        }
        if (!relevant)
            return;
        FollowTrayOwner();
        recheck_.start();
    }
}
