#include "backends/qt/FormWindow.h"

#include "backends/qt/ClassicLook.h"
#include "backends/qt/InputMapping.h"
#include "backends/qt/QtIcons.h"
#include "backends/qt/SystemMenuPopup.h"
#include "toolkit/TApplication.h"
#include "toolkit/TScreen.h"
#include "toolkit/UserInput.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <algorithm>

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

void FormWindow::SyncGeometry() {
    TCustomForm* form = Form();
    if (!form)
        return;
    Syncing guard(syncing_);
    ApplyLimits();
    if (form->WindowState() == wsMaximized) {
        PlaceMaximized();
        return;
    }
    move(form->Left(), form->Top());
    resize(form->Width() - form->FrameWidth(), form->Height() - form->FrameHeight());
}

void FormWindow::PlaceMaximized() {
    TCustomForm* form = Form();
    MINMAXINFO info{};
    if (!Application->Guard([&] { info = form->GetMinMaxInfo(); }, form))
        return;
    // The maximised size is the one WM_GETMINMAXINFO gives, within its tracking limits.
    const int w = std::clamp(info.ptMaxSize.x, info.ptMinTrackSize.x,
                             std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    const int h = std::clamp(info.ptMaxSize.y, info.ptMinTrackSize.y,
                             std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
    move(info.ptMaxPosition.x, info.ptMaxPosition.y);
    resize(std::max(1, w - form->FrameWidth()), std::max(1, h - form->FrameHeight()));
}

void FormWindow::SyncVisible() {
    TCustomForm* form = Form();
    if (!form)
        return;
    Syncing guard(syncing_);
    if (!form->Visible()) {
        hide();
        return;
    }
    SyncGeometry();
    SyncWindowState();
    if (!isVisible())
        show();
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
    if (form->Topmost())
        flags |= Qt::WindowStaysOnTopHint;
    if (flags == windowFlags())
        return;
    Syncing guard(syncing_);
    const bool shown = isVisible();
    setWindowFlags(flags); // hides the window
    if (shown) {
        SyncGeometry();
        show();
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
        setWindowState(Qt::WindowNoState);
        PlaceMaximized();
        break;
    default:
        if (windowState() != Qt::WindowNoState) {
            setWindowState(Qt::WindowNoState);
            SyncGeometry();
        }
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
    TCustomForm* form = Form();
    if (syncing_ || !form || !isVisible() || form->WindowState() != wsNormal)
        return;
    const QPoint at = pos();
    if (at.x() != form->Left() || at.y() != form->Top())
        UserInput::MoveWindow(form, at.x(), at.y());
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    ControlWidget::resizeEvent(event);
    TCustomForm* form = Form();
    if (syncing_ || !form || form->WindowState() != wsNormal)
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
    if (state != form->WindowState())
        UserInput::ChangeWindowState(form, state);
    if (state == wsMaximized) {
        // The window manager's maximise gives way to the size WM_GETMINMAXINFO allows.
        Syncing guard(syncing_);
        setWindowState(Qt::WindowNoState);
        PlaceMaximized();
    }
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
