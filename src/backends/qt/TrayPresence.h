#pragma once
// Whether the desktop offers a notification area, watched for as long as the icon exists: a
// StatusNotifierWatcher on the session bus that reports a host, and on X11 the XEmbed tray's
// manager selection of the screen. A panel that starts after the program, quits or restarts is
// seen as it happens: `changed` runs once per turn of Qt after anything that may have changed
// either answer, and the answers are asked again then.

#include <QDBusServiceWatcher>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

struct xcb_connection_t;

class TrayPresence {
public:
    explicit TrayPresence(std::function<void()> changed);
    ~TrayPresence();
    TrayPresence(const TrayPresence&) = delete;
    TrayPresence& operator=(const TrayPresence&) = delete;

    // A StatusNotifierWatcher is on the session bus and reports a registered host.
    bool StatusNotifierHost() const;
    // The screen's XEmbed tray selection has an owner (X11 only).
    bool XEmbedTray() const { return trayOwner_ != 0; }

private:
    void WatchBus();
    void WatchScreen();
    // Takes the X events that have arrived; a new tray manager or the end of the old one.
    void ReadScreenEvents();
    // Asks the X server for the selection's owner and watches that window's end.
    void FollowTrayOwner();

    QTimer recheck_;
    std::unique_ptr<QDBusServiceWatcher> busWatcher_;
    xcb_connection_t* x_ = nullptr;
    std::unique_ptr<QSocketNotifier> xEvents_;
    std::uint32_t root_ = 0;
    std::uint32_t selection_ = 0;
    std::uint32_t managerAtom_ = 0;
    std::uint32_t trayOwner_ = 0;
};
