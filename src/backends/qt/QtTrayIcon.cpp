#include "backends/qt/QtTrayIcon.h"

#include "backends/qt/QtIcons.h"

#include <QCloseEvent>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kStandInSize = 48;

QString TipText(const NOTIFYICONDATAA& data) {
    return QString::fromStdString(NotifyIconService::TipOf(data));
}

QIcon IconOf(const NOTIFYICONDATAA& data) {
    const QIcon icon = IconFromHandle(data.hIcon);
    return icon.isNull() ? ProgramIcon() : icon;
}

// Whether the session bus has a StatusNotifierWatcher with a host: the condition under which Qt
// shows the icon as a StatusNotifierItem rather than in an XEmbed tray.
bool StatusNotifierHostRegistered() {
    const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(watcherName))
        return false;
    QDBusInterface watcher(watcherName, QStringLiteral("/StatusNotifierWatcher"), watcherName, bus);
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace

TrayStandIn::TrayStandIn(NotifyIconService& service, const QIcon& icon, const QString& tip)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint),
      service_(service), icon_(icon) {
    setFixedSize(kStandInSize, kStandInSize);
    SetTip(tip);
    setWindowIcon(icon);
}

void TrayStandIn::SetIcon(const QIcon& icon) {
    icon_ = icon;
    setWindowIcon(icon);
    update();
}

void TrayStandIn::SetTip(const QString& tip) {
    setWindowTitle(tip);
    setToolTip(tip);
}

void TrayStandIn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    icon_.paint(&p, rect().adjusted(8, 8, -8, -8));
}

void TrayStandIn::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        service_.UserMouse(WM_LBUTTONDOWN);
    else if (event->button() == Qt::RightButton)
        service_.UserMouse(WM_RBUTTONDOWN);
}

void TrayStandIn::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        service_.UserMouse(WM_LBUTTONUP);
    else if (event->button() == Qt::RightButton)
        service_.UserMouse(WM_RBUTTONUP);
}

void TrayStandIn::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        service_.UserMouse(WM_LBUTTONDBLCLK);
}

void TrayStandIn::closeEvent(QCloseEvent* event) {
    // It is the icon: only the program removes it.
    event->ignore();
    showMinimized();
}

void QtTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason, bool activateOpens) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        UserMouse(WM_LBUTTONDBLCLK);
        break;
    case QSystemTrayIcon::Trigger:
        if (activateOpens) {
            UserMouse(WM_LBUTTONDBLCLK);
            break;
        }
        UserMouse(WM_LBUTTONDOWN);
        UserMouse(WM_LBUTTONUP);
        break;
    case QSystemTrayIcon::MiddleClick:
        UserMouse(WM_MBUTTONDOWN);
        UserMouse(WM_MBUTTONUP);
        break;
    case QSystemTrayIcon::Context:
        UserMouse(WM_RBUTTONDOWN);
        UserMouse(WM_RBUTTONUP);
        break;
    default:
        break;
    }
}

QtTrayIcon::~QtTrayIcon() {
    Remove();
}

void QtTrayIcon::Remove() {
    delete tray_.data();
    delete standIn_.data();
}

BOOL QtTrayIcon::Show(DWORD message, const NOTIFYICONDATAA& data) {
    if (message == NIM_DELETE) {
        Remove();
        return TRUE;
    }
    if (message == NIM_ADD) {
        const QIcon icon = IconOf(data);
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            tray_ = new QSystemTrayIcon(icon);
            tray_->setToolTip(TipText(data));
            // A StatusNotifierItem host sends Activate on a left click and never a double
            // click; Qt reports it as a single click. Activate is that desktop's gesture for
            // opening, so it reaches the program as the double click an XEmbed tray delivers.
            const bool activateOpens = StatusNotifierHostRegistered();
            QObject::connect(tray_, &QSystemTrayIcon::activated,
                             [this, activateOpens](QSystemTrayIcon::ActivationReason reason) {
                                 Activated(reason, activateOpens);
                             });
            tray_->show();
        } else {
            standIn_ = new TrayStandIn(*this, icon, TipText(data));
            standIn_->show();
        }
        return TRUE;
    }
    // NIM_MODIFY: what the flags name changes.
    if (data.uFlags & NIF_ICON) {
        const QIcon icon = IconOf(data);
        if (tray_)
            tray_->setIcon(icon);
        if (standIn_)
            standIn_->SetIcon(icon);
    }
    if (data.uFlags & NIF_TIP) {
        if (tray_)
            tray_->setToolTip(TipText(data));
        if (standIn_)
            standIn_->SetTip(TipText(data));
    }
    return TRUE;
}
