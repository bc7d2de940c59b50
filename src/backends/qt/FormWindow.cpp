#include "backends/qt/FormWindow.h"

#include "backends/qt/ClassicLook.h"
#include "backends/qt/InputMapping.h"
#include "backends/qt/QtIcons.h"
#include "backends/qt/SystemMenuPopup.h"
#include "toolkit/TApplication.h"
#include "toolkit/TScreen.h"
#include "toolkit/UserInput.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <map>

namespace {

// Counts a nesting of model-to-Qt updates.
class Syncing {
public:
    explicit Syncing(int& depth) : depth_(depth) { ++depth_; }
    ~Syncing() { --depth_; }
    Syncing(const Syncing&) = delete;
    Syncing& operator=(const Syncing&) = delete;

private:
    int& depth_;
};

bool Resizable(const TCustomForm* form) {
    return form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin ||
           form->BorderStyle() == bsNone;
}

// The frame the desktop last drew around a window of each kind (Qt::WindowType): a window is
// placed with it until its own frame is known.
std::map<int, QMargins>& SeenFrames() {
    static std::map<int, QMargins> frames;
    return frames;
}

// How long after a window has been framed the desktop is given to answer the placing.
constexpr int kSettleMs = 300;

bool OnWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// A Wayland compositor keeps no window above the others at a client's request.
void SayTopmostIgnored() {
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fputs("varnel-manager: this desktop (Wayland) ignores \"Immer im Vordergrund\": the "
               "setting is kept and saved, the windows stay in the desktop's order\n",
               stderr);
}

} // namespace

FormWindow::FormWindow(TCustomForm* form) : ControlWidget(form, nullptr) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_DeleteOnClose, false);
    SyncFlags();
    SyncCaption();
    SyncIcon();
}

TCustomForm* FormWindow::Form() const {
    return static_cast<TCustomForm*>(Control());
}

void FormWindow::ApplyLimits() {
    TCustomForm* form = Form();
    const int fw = form->FrameWidth(), fh = form->FrameHeight();
    const QSize client(form->Width() - fw, form->Height() - fh);
    if (!Resizable(form)) {
        setFixedSize(client.expandedTo(QSize(1, 1)));
        return;
    }
    MINMAXINFO info{};
    if (!Application->Guard([&] { info = form->GetMinMaxInfo(); }, form))
        return;
    const QSize minimum(std::max(0, info.ptMinTrackSize.x - fw),
                        std::max(0, info.ptMinTrackSize.y - fh));
    QSize maximum(std::max(0, info.ptMaxTrackSize.x - fw), std::max(0, info.ptMaxTrackSize.y - fh));
    maximum = maximum.expandedTo(minimum).boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    setMinimumSize(minimum);
    setMaximumSize(maximum.expandedTo(QSize(1, 1)));
}

QMargins FormWindow::Frame() const {
    if (framed_)
        return normalFrame_;
    const auto seen = SeenFrames().find(windowType());
    return seen == SeenFrames().end() ? QMargins() : seen->second;
}

void FormWindow::SyncGeometry() {
    // A hidden window is placed when it is shown: each place given before would reach the
    // desktop and come back later as a stale move.
    if (isVisible())
        Place();
}

void FormWindow::Place() {
    TCustomForm* form = Form();
    if (!form)
        return;
    Syncing guard(syncing_);
    ApplyLimits();
    // A maximised window is where the desktop put it; placing it would end the maximised state.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QSize client(form->Width() - form->FrameWidth(), form->Height() - form->FrameHeight());
    if (!Screen->PlacesKnown()) {
        resize(client);
        return;
    }
    // Placed by the client area, which the desktop leaves where it is asked to be: the frame
    // then lands on the model's place once the frame is known.
    const QMargins frame = Frame();
    const QRect asked(QPoint(form->Left() + frame.left(), form->Top() + frame.top()), client);
    if (geometry() != asked)
        setGeometry(asked);
}

void FormWindow::Framed() {
    TCustomForm* form = Form();
    if (framed_ || !form || !windowHandle() || !Screen->PlacesKnown() ||
        windowState() != Qt::WindowNoState)
        return;
    framed_ = true;
    normalFrame_ = windowHandle()->frameMargins();
    SeenFrames()[windowType()] = normalFrame_;
    // Shown with a frame guessed before the desktop's was known, or put elsewhere by the
    // desktop at mapping: the model's place is asked for again, and where the desktop then keeps
    // the window (clamped to the screen, clear of a panel) is read back as the window's place.
    // Moves reported meanwhile may still answer the requests made before the frame was known.
    Place();
    settling_ = true;
    QTimer::singleShot(kSettleMs, this, [this] {
        settling_ = false;
        ReportPlace();
    });
}

void FormWindow::ReportPlace() {
    TCustomForm* form = Form();
    if (!form || !isVisible() || !framed_ || settling_ || form->WindowState() != wsNormal ||
        windowState() != Qt::WindowNoState)
        return;
    normalFrame_ = windowHandle()->frameMargins();
    const QPoint at = geometry().topLeft() - QPoint(normalFrame_.left(), normalFrame_.top());
    if (at.x() != form->Left() || at.y() != form->Top())
        UserInput::MoveWindow(form, at.x(), at.y());
}

void FormWindow::WatchNativeWindow() {
    QWindow* native = windowHandle();
    if (native && native != watched_) {
        native->installEventFilter(this);
        watched_ = native;
    }
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed())
        Framed();
    return ControlWidget::eventFilter(watched, event);
}

void FormWindow::SyncVisible() {
    TCustomForm* form = Form();
    if (!form)
        return;
    Syncing guard(syncing_);
    if (!form->Visible()) {
        hide();
        framed_ = false;
        settling_ = false;
        return;
    }
    Place();
    SyncWindowState();
    if (!isVisible())
        show();
    WatchNativeWindow();
    raise();
    if (Screen->ActiveForm() == form)
        activateWindow();
}

void FormWindow::SyncCaption() {
    if (Form())
        setWindowTitle(QString::fromStdString(Form()->Caption()));
}

void FormWindow::SyncIcon() {
    TCustomForm* form = Form();
    if (!form)
        return;
    const QIcon icon =
        form->Icon().Handle() ? IconFromHandle(static_cast<HICON>(form->Icon().Handle())) : QIcon();
    setWindowIcon(icon.isNull() ? ProgramIcon() : icon);
}

void FormWindow::SyncFlags() {
    TCustomForm* form = Form();
    if (!form)
        return;
    Qt::WindowFlags flags;
    switch (form->BorderStyle()) {
    case bsNone:
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    case bsDialog:
        flags =
            Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        flags = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case bsSingle:
        flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        break;
    default:
        flags = Qt::Window;
        break;
    }
    if (form->Topmost() && OnWayland())
        SayTopmostIgnored();
    else if (form->Topmost())
        flags |= Qt::WindowStaysOnTopHint;
    if (flags == windowFlags())
        return;
    Syncing guard(syncing_);
    const bool shown = isVisible();
    setWindowFlags(flags); // hides the window
    framed_ = false;
    if (shown) {
        Place();
        show();
        WatchNativeWindow();
    }
}

void FormWindow::SyncWindowState() {
    TCustomForm* form = Form();
    if (!form)
        return;
    Syncing guard(syncing_);
    switch (form->WindowState()) {
    case wsMinimized:
        if (!(windowState() & Qt::WindowMinimized))
            setWindowState(Qt::WindowMinimized);
        break;
    case wsMaximized:
        // The desktop is asked as its own maximise button would; the bounds follow from the model.
        if (!(windowState() & Qt::WindowMaximized))
            setWindowState(Qt::WindowMaximized);
        break;
    default:
        if (windowState() != Qt::WindowNoState)
            setWindowState(Qt::WindowNoState);
        SyncGeometry();
        break;
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The model decides: its OnCloseQuery and OnClose run, and its visibility comes back.
    event->ignore();
    if (!syncing_ && Form())
        UserInput::CloseWindow(Form());
}

void FormWindow::moveEvent(QMoveEvent* event) {
    ControlWidget::moveEvent(event);
    // Before the desktop has framed the window, its place says nothing about the frame's.
    if (syncing_ || !framed_ || reportDue_)
        return;
    // Read once the desktop's events of this round are in: a move and a new frame come
    // together when a window is maximised or restored.
    reportDue_ = true;
    QTimer::singleShot(0, this, [this] {
        reportDue_ = false;
        ReportPlace();
    });
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    ControlWidget::resizeEvent(event);
    TCustomForm* form = Form();
    if (syncing_ || !form || !isVisible() || form->WindowState() != wsNormal)
        return;
    const int w = width() + form->FrameWidth(), h = height() + form->FrameHeight();
    if (w != form->Width() || h != form->Height())
        UserInput::ResizeWindow(form, w, h);
    // The model's limits may have refused part of the change: the window follows the model.
    if (form->Width() != w || form->Height() != h) {
        QPointer<FormWindow> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->SyncGeometry();
        });
    }
}

void FormWindow::changeEvent(QEvent* event) {
    ControlWidget::changeEvent(event);
    TCustomForm* form = Form();
    if (event->type() != QEvent::WindowStateChange || syncing_ || !form)
        return;
    TWindowState state = wsNormal;
    if (windowState() & Qt::WindowMinimized)
        state = wsMinimized;
    else if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        state = wsMaximized;
    // The model's bounds follow: maximised where WM_GETMINMAXINFO says, which is where a
    // desktop that honours the window's limits puts it too; restored to the bounds before.
    if (state != form->WindowState())
        UserInput::ChangeWindowState(form, state);
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    TCustomForm* form = Form();
    if (!form)
        return;
    const bool alt = event->modifiers() & Qt::AltModifier;
    if (alt && event->key() == Qt::Key_Space) {
        ShowSystemMenu(form, this, mapToGlobal(QPoint(0, 0)));
        return;
    }
    QPointer<FormWindow> self(this);
    if (const WORD key = VirtualKeyOf(event->key()))
        UserInput::KeyDown(form, key, ShiftOf(event->modifiers(), Qt::NoButton));
    if (!self || !self->Form() || alt || (event->modifiers() & Qt::ControlModifier))
        return;
    const QByteArray typed = event->text().toUtf8();
    if (typed.isEmpty())
        return;
    const unsigned char first = static_cast<unsigned char>(typed[0]);
    if (typed.size() == 1 && (first == '\b' || first == '\r' || (first >= 0x20 && first < 0x7F))) {
        UserInput::KeyPress(form, typed[0]);
    } else if (typed.size() > 1) {
        UserInput::TypeCharacter(form, typed.toStdString());
    }
}

bool FormWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !syncing_ && Form()) {
        UserInput::ActivateForm(Form());
        update();
    }
    return ControlWidget::event(event);
}

bool FormWindow::focusNextPrevChild(bool) {
    // Tab belongs to the model's focus order.
    return false;
}
