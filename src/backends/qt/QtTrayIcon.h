#pragma once
// The notification icon on the desktop: Qt's tray support (StatusNotifierItem where the desktop
// offers it, else the X11 tray). Where no tray exists the add still succeeds and a small window
// holding the icon stands in for it; both pass the user's clicks back as the icon's callback.
// A StatusNotifierItem host's Activate arrives as a double click, its SecondaryActivate and
// ContextMenu as clicks of the middle and the right button.

#include "platform/NotifyIcon.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

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
    ~QtTrayIcon() override;
    // The stand-in window while there is no tray, else null.
    TrayStandIn* StandIn() const { return standIn_.data(); }
    QSystemTrayIcon* Tray() const { return tray_.data(); }

protected:
    BOOL Show(DWORD message, const NOTIFYICONDATAA& data) override;

private:
    void Remove();
    // What Qt reports of the icon, as the callback's mouse messages; `activateOpens` when the
    // icon is a StatusNotifierItem, whose host reports a left click as a single Activate.
    void Activated(QSystemTrayIcon::ActivationReason reason, bool activateOpens);

    QPointer<QSystemTrayIcon> tray_;
    QPointer<TrayStandIn> standIn_;
};
