#include "backends/qt/QtTrayIcon.h"

#include "backends/qt/QtIcons.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kStandInSize = 48;
constexpr int kSettleMs = 1000;
constexpr int kGoneMs = 3000;

QString TipText(const NOTIFYICONDATAA& data) {
    return QString::fromStdString(NotifyIconService::TipOf(data));
}

QIcon IconOf(const NOTIFYICONDATAA& data) {
    const QIcon icon = IconFromHandle(data.hIcon);
    return icon.isNull() ? ProgramIcon() : icon;
}

} // namespace

TrayStandIn::TrayStandIn(NotifyIconService& service, const QIcon& icon, const QString& tip)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint),
      service_(service), icon_(icon) {
    // Where the program draws the frame itself (Wayland), a title bar as narrow as the icon
    // cannot hold the title and its buttons: there the stand-in is the icon alone.
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        setWindowFlag(Qt::FramelessWindowHint);
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
    // It is the icon and the program's only handle on the desktop: only the program removes it,
    // and a close request leaves it where it is (minimised, nothing might bring it back).
    event->ignore();
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

QtTrayIcon::QtTrayIcon() {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    QObject::connect(&settle_, &QTimer::timeout, [this] {
        if (!tray_ && (presence_->StatusNotifierHost() || presence_->XEmbedTray()))
            Dock();
    });
    gone_.setSingleShot(true);
    gone_.setInterval(kGoneMs);
    QObject::connect(&gone_, &QTimer::timeout, [this] {
        if (!TrayHolds())
            ShowStandIn();
    });
}

QtTrayIcon::~QtTrayIcon() {
    Remove();
}

void QtTrayIcon::Remove() {
    settle_.stop();
    gone_.stop();
    presence_.reset();
    delete tray_.data();
    delete standIn_.data();
}

void QtTrayIcon::Dock() {
    settle_.stop();
    // Qt shows a StatusNotifierItem wherever a host is registered when the icon is made.
    statusNotifier_ = presence_->StatusNotifierHost();
    tray_ = new QSystemTrayIcon(icon_);
    tray_->setToolTip(tip_);
    // A StatusNotifierItem host sends Activate on a left click and never a double click; Qt
    // reports it as a single click. Activate is that desktop's gesture for opening, so it
    // reaches the program as the double click an XEmbed tray delivers.
    QObject::connect(
        tray_, &QSystemTrayIcon::activated,
        [this, activateOpens = statusNotifier_](QSystemTrayIcon::ActivationReason reason) {
            Activated(reason, activateOpens);
        });
    tray_->show();
    if (standIn_)
        standIn_->hide();
}

bool QtTrayIcon::TrayHolds() const {
    return statusNotifier_ ? presence_->StatusNotifierHost() : presence_->XEmbedTray();
}

void QtTrayIcon::ShowStandIn() {
    if (!standIn_)
        standIn_ = new TrayStandIn(*this, icon_, tip_);
    standIn_->show();
}

void QtTrayIcon::TrayChanged() {
    if (!tray_) {
        if (presence_->StatusNotifierHost())
            Dock();
        else if (presence_->XEmbedTray() && !settle_.isActive())
            settle_.start();
        return;
    }
    if (TrayHolds()) {
        gone_.stop();
        if (standIn_)
            standIn_->hide();
    } else if (!gone_.isActive() && !(standIn_ && standIn_->isVisible())) {
        gone_.start();
    }
}

BOOL QtTrayIcon::Show(DWORD message, const NOTIFYICONDATAA& data) {
    if (message == NIM_DELETE) {
        Remove();
        return TRUE;
    }
    if (data.uFlags & NIF_ICON || message == NIM_ADD)
        icon_ = IconOf(data);
    if (data.uFlags & NIF_TIP || message == NIM_ADD)
        tip_ = TipText(data);
    if (message == NIM_ADD) {
        presence_ = std::make_unique<TrayPresence>([this] { TrayChanged(); });
        // Qt is asked nothing before a tray is there: it would keep its first answer for good.
        if (presence_->StatusNotifierHost() || presence_->XEmbedTray())
            Dock();
        else
            ShowStandIn();
        return TRUE;
    }
    // NIM_MODIFY: what the flags name changes.
    if (data.uFlags & NIF_ICON) {
        if (tray_)
            tray_->setIcon(icon_);
        if (standIn_)
            standIn_->SetIcon(icon_);
    }
    if (data.uFlags & NIF_TIP) {
        if (tray_)
            tray_->setToolTip(tip_);
        if (standIn_)
            standIn_->SetTip(tip_);
    }
    return TRUE;
}
