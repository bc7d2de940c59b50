#pragma once
// The notification icon on the desktop: Qt's tray support (StatusNotifierItem where the desktop
// offers it, else the X11 tray). Where no tray exists the add still succeeds and a small window
// holding the icon stands in for it; both pass the user's clicks back as the icon's callback.
// A StatusNotifierItem host's Activate arrives as a double click, its SecondaryActivate and
// ContextMenu as clicks of the middle and the right button.
// A panel often starts after the program (both are started at login): while the stand-in is
// shown, the icon waits for a tray and moves into it, and the stand-in comes back when the tray
// goes away and does not return.

#include "backends/qt/TrayPresence.h"
#include "platform/NotifyIcon.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <memory>

class TrayStandIn : public QWidget {
public:
    TrayStandIn(NotifyIconService& service, const QIcon& icon, const QString& tip);
    void SetIcon(const QIcon& icon);
    void SetTip(const QString& tip);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    NotifyIconService& service_;
    QIcon icon_;
};

class QtTrayIcon : public NotifyIconService {
public:
    QtTrayIcon();
    ~QtTrayIcon() override;
    // The stand-in window (shown while the icon is in no tray), null before it was needed.
    TrayStandIn* StandIn() const { return standIn_.data(); }
    // The icon in a tray, null until a tray was there.
    QSystemTrayIcon* Tray() const { return tray_.data(); }

protected:
    BOOL Show(DWORD message, const NOTIFYICONDATAA& data) override;

private:
    void Remove();
    // Puts the icon into the desktop's tray; once made, Qt keeps it there across panel restarts.
    void Dock();
    // After the desktop's trays may have changed.
    void TrayChanged();
    // The kind of tray the icon is in is there.
    bool TrayHolds() const;
    void ShowStandIn();
    // What Qt reports of the icon, as the callback's mouse messages; `activateOpens` when the
    // icon is a StatusNotifierItem, whose host reports a left click as a single Activate.
    void Activated(QSystemTrayIcon::ActivationReason reason, bool activateOpens);

    QIcon icon_;
    QString tip_;
    QPointer<QSystemTrayIcon> tray_;
    QPointer<TrayStandIn> standIn_;
    std::unique_ptr<TrayPresence> presence_;
    bool statusNotifier_ = false;
    // A panel offers its XEmbed tray and its StatusNotifierItem host one after the other; Qt
    // chooses the kind once for the program's life, so an XEmbed tray is taken only after the
    // panel had the time to offer its host too.
    QTimer settle_;
    // A tray that has gone is given the time of a panel's restart before the stand-in returns.
    QTimer gone_;
};
