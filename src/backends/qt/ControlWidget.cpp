#include "backends/qt/ControlWidget.h"

#include "backends/qt/ClassicLook.h"
#include "backends/qt/ClassicPainter.h"
#include "backends/qt/InputMapping.h"
#include "backends/qt/SystemMenuPopup.h"
#include "toolkit/ScrollRepeat.h"
#include "toolkit/TApplication.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TScrollBox.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>
#include <QWheelEvent>

ControlWidget::ControlWidget(TWinControl* control, QWidget* parent)
    : QWidget(parent), control_(control), scrollBox_(dynamic_cast<TScrollBox*>(control)) {
    // The model keeps the focus; the window alone takes the keyboard and hands keys to it.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QPoint ControlWidget::ClientOrigin() const {
    if (scrollBox_ && control_)
        if (scrollBox_->BorderStyle() == bsSingle) {
            const int border = scrollBox_->Ctl3D() ? 2 : 1;
            return QPoint(border, border);
        }
    return QPoint(0, 0);
}

QRect ControlWidget::RectOf(const TControl* child) const {
    return QRect(ClientOrigin() + QPoint(child->Left(), child->Top()),
                 QSize(child->Width(), child->Height()));
}

void ControlWidget::SyncGeometry() {
    if (!control_ || !control_->Parent())
        return;
    auto* parent = dynamic_cast<ControlWidget*>(parentWidget());
    const QPoint origin = parent ? parent->ClientOrigin() : QPoint(0, 0);
    setGeometry(QRect(origin + QPoint(control_->Left(), control_->Top()),
                      QSize(control_->Width(), control_->Height())));
}

void ControlWidget::SyncVisible() {
    if (control_)
        setVisible(control_->Visible());
}

void ControlWidget::paintEvent(QPaintEvent* event) {
    if (!control_)
        return;
    // Qt clips the painter to the region that changed.
    QPainter p(this);
    const QRegion dirty = event->region();
    const QPoint origin = ClientOrigin();
    const QRect client(origin, QSize(control_->ClientWidth(), control_->ClientHeight()));
    // What the graphic children leave uncovered: where the control itself must paint. A window of
    // meters repaints a few lamps per frame, and they cover all of it.
    QRegion own = dirty;
    for (int i = 0; i < control_->ControlCount() && !own.isEmpty(); ++i) {
        TControl* child = control_->Controls(i);
        if (!child->IsWindowed() && child->Visible() && IsOpaqueRectangle(child))
            own -= QRect(origin + QPoint(child->Left(), child->Top()),
                         QSize(child->Width(), child->Height()))
                       .intersected(client);
    }
    if (!own.isEmpty()) {
        p.setClipRegion(own);
        PaintState state;
        auto* form = GetParentForm(control_);
        state.focused = form && form->ActiveControl() == control_ && form->Active();
        state.pressed = pressed_;
        state.draggedBar = draggedBar_;
        state.draggedPosition = thumbPosition_;
        PaintControl(p, control_, state);
        p.setClipping(false);
    }
    for (int i = 0; i < control_->ControlCount(); ++i) {
        TControl* child = control_->Controls(i);
        if (child->IsWindowed() || !child->Visible())
            continue;
        // RectOf without asking for the client origin again per lamp of a meter.
        const QRect rect(origin + QPoint(child->Left(), child->Top()),
                         QSize(child->Width(), child->Height()));
        if (!dirty.intersects(rect))
            continue;
        if (client.contains(rect) && IsOpaqueRectangle(child)) {
            PaintOpaqueRectangle(p, child, rect);
            continue;
        }
        p.save();
        p.setClipRect(rect.intersected(client));
        p.translate(rect.topLeft());
        PaintControl(p, child, PaintState{});
        p.restore();
    }
}

TControl* ControlWidget::TargetAt(QPoint point, QPoint& local) const {
    const QPoint client = point - ClientOrigin();
    for (int i = control_->ControlCount() - 1; i >= 0; --i) {
        TControl* child = control_->Controls(i);
        if (child->IsWindowed() || !child->Visible())
            continue;
        if (QRect(child->Left(), child->Top(), child->Width(), child->Height()).contains(client)) {
            local = client - QPoint(child->Left(), child->Top());
            return child;
        }
    }
    local = client;
    return control_;
}

void ControlWidget::SyncDropDown() {
    auto* combo = dynamic_cast<TComboBox*>(control_);
    if (!combo)
        return;
    if (combo->DroppedDown() && !comboList_)
        PopupComboList();
    else if (!combo->DroppedDown() && comboList_)
        comboList_->close();
    if (!comboList_)
        return;
    const QList<QAction*> actions = comboList_->actions();
    for (int i = 0; i < actions.size(); ++i)
        actions[i]->setChecked(i == combo->ItemIndex());
    comboList_->setActiveAction(actions.value(combo->ItemIndex()));
}

bool ControlWidget::eventFilter(QObject* watched, QEvent* event) {
    // The open list holds the keyboard, but its keys are the combo box's: they go to the window
    // as any other key, so that arrows, letters, Enter, Esc and Alt+Up act as on the closed list.
    // The type is asked first: a closed list still sends events while it is destroyed, when it is
    // no menu any more and the guarded pointer must not be read as one.
    if (event->type() == QEvent::KeyPress && watched == comboList_) {
        QCoreApplication::sendEvent(window(), event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ControlWidget::PopupComboList() {
    auto* combo = static_cast<TComboBox*>(control_);
    auto* menu = new QMenu(this);
    comboList_ = menu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setFont(ToQFont(combo->Font()));
    menu->setMinimumWidth(width());
    for (int i = 0; i < combo->Items().Count(); ++i) {
        QAction* action = menu->addAction(QString::fromStdString(combo->Items()[i]));
        action->setCheckable(true);
        QPointer<ControlWidget> self(this);
        QObject::connect(action, &QAction::triggered, this, [self, i] {
            if (self && self->control_)
                UserInput::SelectItem(static_cast<TComboBox*>(self->control_), i);
        });
    }
    menu->installEventFilter(this);
    QPointer<ControlWidget> self(this);
    QObject::connect(menu, &QMenu::aboutToHide, this, [self] {
        if (self && self->control_)
            UserInput::DropDown(static_cast<TComboBox*>(self->control_), false);
    });
    // popup() does not block: the program's loop keeps running while the list is open.
    menu->popup(mapToGlobal(QPoint(0, height())));
}

bool ControlWidget::HandleOwnPress(QMouseEvent* event, QPoint local) {
    if (event->button() != Qt::LeftButton)
        return false;
    if (auto* combo = dynamic_cast<TComboBox*>(control_)) {
        UserInput::DropDown(combo, true);
        return true;
    }
    if (auto* bar = dynamic_cast<TTrackBar*>(control_)) {
        draggingTrack_ =
            UserInput::MoveTrackBar(bar, TrackBarPositionAt(bar, event->position().toPoint()));
        return true;
    }
    if (auto* pages = dynamic_cast<TPageControl*>(control_)) {
        const int tab = PageTabAt(pages, local);
        if (tab >= 0) {
            UserInput::SelectPage(pages, tab);
            return true;
        }
        return false;
    }
    if (auto* edit = dynamic_cast<TEdit*>(control_)) {
        UserInput::Focus(edit);
        return true;
    }
    return false;
}

bool ControlWidget::HandleScrollBarPress(QMouseEvent* event) {
    auto* scrolling = dynamic_cast<TScrollingWinControl*>(control_);
    if (!scrolling || event->button() != Qt::LeftButton)
        return false;
    const ScrollBarHit hit = ScrollBarAt(scrolling, ClientOrigin(), event->position().toPoint());
    if (!hit.bar)
        return false;
    // An arrow or the track held down repeats until the button is let go.
    switch (hit.part) {
    case QStyle::SC_ScrollBarSubLine:
        ScrollRepeat::Press(*hit.bar, scLineUp);
        break;
    case QStyle::SC_ScrollBarAddLine:
        ScrollRepeat::Press(*hit.bar, scLineDown);
        break;
    case QStyle::SC_ScrollBarSubPage:
        ScrollRepeat::Press(*hit.bar, scPageUp);
        break;
    case QStyle::SC_ScrollBarAddPage:
        ScrollRepeat::Press(*hit.bar, scPageDown);
        break;
    case QStyle::SC_ScrollBarSlider:
        if (control_->EnabledInParents()) {
            draggedBar_ = hit.bar;
            thumbGrab_ = hit.grab;
            thumbPosition_ = hit.bar->Position();
        }
        break;
    default:
        break;
    }
    return true;
}

void ControlWidget::mousePressEvent(QMouseEvent* event) {
    if (!control_)
        return;
    if (HandleScrollBarPress(event))
        return;
    QPoint local;
    TControl* target = TargetAt(event->position().toPoint(), local);
    if (target == control_ && HandleOwnPress(event, local))
        return;
    TMouseButton button;
    if (!ButtonOf(event->button(), button))
        return;
    captured_ = target;
    if (button == mbLeft && (dynamic_cast<TButton*>(target) || dynamic_cast<TCheckBox*>(target) ||
                             dynamic_cast<TRadioButton*>(target))) {
        pressed_ = target->EnabledInParents();
        update();
    }
    QPointer<ControlWidget> self(this);
    UserInput::MouseDown(target, button, ShiftOf(event->modifiers(), event->buttons()), local.x(),
                         local.y());
    if (self && button == mbRight && event->modifiers() == Qt::NoModifier &&
        (target == control_ || dynamic_cast<TCustomPanel*>(target) ||
         dynamic_cast<TCustomGroupBox*>(target)))
        BackgroundContextMenu(event->globalPosition().toPoint());
}

void ControlWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!control_)
        return;
    if (draggingTrack_) {
        auto* bar = static_cast<TTrackBar*>(control_);
        UserInput::MoveTrackBar(bar, TrackBarPositionAt(bar, event->position().toPoint()));
        return;
    }
    if (draggedBar_) {
        thumbPosition_ = ScrollBarPositionAt(*draggedBar_, ClientOrigin(),
                                             event->position().toPoint(), thumbGrab_);
        UserInput::Scroll(*draggedBar_, scTrack, thumbPosition_);
        update();
        return;
    }
    QPoint local;
    TControl* target = TargetAt(event->position().toPoint(), local);
    if (captured_ && event->buttons() != Qt::NoButton) {
        target = captured_;
        local = event->position().toPoint() - RectOf(captured_).topLeft();
        if (captured_ == control_)
            local = event->position().toPoint() - ClientOrigin();
    }
    UserInput::MouseMove(target, ShiftOf(event->modifiers(), event->buttons()), local.x(),
                         local.y());
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!control_)
        return;
    if (draggingTrack_) {
        draggingTrack_ = false;
        return;
    }
    if (ScrollRepeat::Holding() && event->button() == Qt::LeftButton) {
        ScrollRepeat::Release();
        return;
    }
    if (draggedBar_) {
        TControlScrollBar* bar = draggedBar_;
        draggedBar_ = nullptr;
        UserInput::Scroll(*bar, scPosition, thumbPosition_);
        update();
        return;
    }
    TMouseButton button;
    if (!ButtonOf(event->button(), button) || !captured_)
        return;
    TControl* target = captured_;
    captured_ = nullptr;
    const QPoint local = target == control_
                             ? event->position().toPoint() - ClientOrigin()
                             : event->position().toPoint() - RectOf(target).topLeft();
    if (pressed_) {
        pressed_ = false;
        update();
    }
    UserInput::MouseUp(target, button, ShiftOf(event->modifiers(), event->buttons()), local.x(),
                       local.y());
}

void ControlWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!control_ || event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    // A quick second click on a bar is one more click, not a double click.
    if (HandleScrollBarPress(event))
        return;
    QPoint local;
    TControl* target = TargetAt(event->position().toPoint(), local);
    if (target == control_ && HandleOwnPress(event, local))
        return;
    if (!target->EnabledInParents())
        return;
    captured_ = target;
    UserInput::DoubleClickPress(target, ShiftOf(event->modifiers(), event->buttons()), local.x(),
                                local.y());
}

void ControlWidget::wheelEvent(QWheelEvent* event) {
    if (!control_) {
        QWidget::wheelEvent(event);
        return;
    }
    if (const int steps = event->angleDelta().y() / 120)
        UserInput::Wheel(control_, steps);
}

bool ControlWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && control_) {
        auto* help = static_cast<QHelpEvent*>(event);
        QPoint local;
        TControl* target = TargetAt(help->pos(), local);
        // Hints show only where the window's hint switch (inherited by the control) is on.
        if (target->ShowHint() && !target->Hint().empty())
            QToolTip::showText(help->globalPos(), QString::fromStdString(target->Hint()), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ControlWidget::BackgroundContextMenu(QPoint globalPos) {
    if (auto* form = GetParentForm(control_))
        ShowSystemMenu(form, window(), globalPos);
}
