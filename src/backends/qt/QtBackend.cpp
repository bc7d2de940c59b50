#include "backends/qt/QtBackend.h"

#include "backends/qt/Accessibility.h"
#include "backends/qt/FormWindow.h"
#include "toolkit/TForm.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <vector>

namespace {
QtBackend* g_instance = nullptr;

// More separate rectangles than this in one widget are painted as their bounding rectangle:
// with many small changes (a window of meters) one paint beats many clipped ones.
constexpr int kMaxRects = 12;
} // namespace

QtBackend::QtBackend() {
    g_instance = this;
    frame_.setSingleShot(true);
    frame_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frame_, &QTimer::timeout, [this] { FlushInvalidations(); });
    InstallAccessibility();
}

QtBackend::~QtBackend() {
    if (g_instance == this)
        g_instance = nullptr;
    ForgetPaintedAccessibles();
    for (auto& [control, widget] : widgets_)
        if (widget && widget->isWindow())
            delete widget.data();
}

QtBackend* QtBackend::Instance() {
    return g_instance;
}

ControlWidget* QtBackend::WidgetOf(const TControl* control) const {
    auto it = widgets_.find(control);
    return it == widgets_.end() ? nullptr : it->second.data();
}

ControlWidget* QtBackend::WindowOf(const TCustomForm* form) const {
    return WidgetOf(form);
}

void QtBackend::ControlCreated(TControl* control) {
    lastParent_ = nullptr;
    if (!control->IsWindowed()) {
        Invalidate(control);
        return;
    }
    auto* win = static_cast<TWinControl*>(control);
    if (auto* form = dynamic_cast<TCustomForm*>(control); form && !form->Parent()) {
        auto* window = new FormWindow(form);
        widgets_[control] = window;
        window->SyncVisible();
        return;
    }
    ControlWidget* parent = control->Parent() ? WidgetOf(control->Parent()) : nullptr;
    auto* widget = new ControlWidget(win, parent);
    widgets_[control] = widget;
    widget->SyncGeometry();
    widget->SyncVisible();
    if (parent)
        SyncChildOrder(control->Parent());
}

void QtBackend::ControlDestroyed(TControl* control) {
    AccessibleControlDestroyed(control);
    lastParent_ = nullptr;
    std::erase_if(dirty_, [control](const auto& entry) { return entry.first == control; });
    auto it = widgets_.find(control);
    if (it == widgets_.end()) {
        if (control->Parent())
            if (ControlWidget* parent = WidgetOf(control->Parent()))
                parent->update(parent->RectOf(control));
        return;
    }
    QPointer<ControlWidget> widget = it->second;
    widgets_.erase(it);
    if (widget) {
        widget->ForgetControl();
        // Widgets of controls still alive inside it keep their own lives in the model's order.
        for (auto* child : widget->findChildren<ControlWidget*>(Qt::FindDirectChildrenOnly))
            child->setParent(nullptr);
        delete widget.data();
    }
}

void QtBackend::SyncChildOrder(TWinControl* parent) {
    // Windowed siblings stack in child order, the last one on top.
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (ControlWidget* widget = WidgetOf(parent->Controls(i)))
            widget->raise();
}

void QtBackend::RepaintTree(TControl* control) {
    if (ControlWidget* widget = WidgetOf(control)) {
        widget->update();
        if (auto* win = dynamic_cast<TWinControl*>(control))
            for (int i = 0; i < win->ControlCount(); ++i)
                if (win->Controls(i)->IsWindowed())
                    RepaintTree(win->Controls(i));
    } else {
        Invalidate(control);
    }
}

void QtBackend::PropertyChanged(TControl* control, TControlProperty which) {
    AccessiblePropertyChanged(control, which);
    ControlWidget* widget = WidgetOf(control);
    auto* window = dynamic_cast<FormWindow*>(widget);
    switch (which) {
    case TControlProperty::Bounds:
        if (widget) {
            widget->SyncGeometry();
        } else if (control->Parent()) {
            // A graphic control moved: its parent repaints where it was and where it is.
            if (ControlWidget* parent = WidgetOf(control->Parent()))
                parent->update();
        }
        break;
    case TControlProperty::Visible:
        if (widget)
            widget->SyncVisible();
        else
            Invalidate(control);
        break;
    case TControlProperty::Enabled:
        if (window)
            window->setEnabled(control->Enabled());
        RepaintTree(control);
        break;
    case TControlProperty::Caption:
        if (window)
            window->SyncCaption();
        else
            RepaintTree(control);
        break;
    case TControlProperty::Parent:
        if (widget && !window && control->Parent()) {
            ControlWidget* parent = WidgetOf(control->Parent());
            widget->setParent(parent);
            widget->SyncGeometry();
            widget->SyncVisible();
            if (parent)
                SyncChildOrder(control->Parent());
        } else if (control->Parent()) {
            if (ControlWidget* parent = WidgetOf(control->Parent()))
                parent->update();
        }
        break;
    case TControlProperty::Style:
        if (window) {
            window->SyncFlags();
            window->SyncGeometry();
        }
        RepaintTree(control);
        break;
    case TControlProperty::Topmost:
        if (window)
            window->SyncFlags();
        break;
    case TControlProperty::WindowState:
        if (window)
            window->SyncWindowState();
        break;
    case TControlProperty::Cursor:
        if (widget)
            widget->setCursor(control->Cursor() == crHandPoint   ? Qt::PointingHandCursor
                              : control->Cursor() == crIBeam     ? Qt::IBeamCursor
                              : control->Cursor() == crHourGlass ? Qt::WaitCursor
                                                                 : Qt::ArrowCursor);
        break;
    case TControlProperty::Focus:
        // A control that lost or took the focus repaints (its dotted rectangle); a window that
        // was activated repaints its active control.
        if (auto* form = dynamic_cast<TCustomForm*>(control)) {
            if (form->ActiveControl())
                RepaintTree(form->ActiveControl());
        } else {
            RepaintTree(control);
        }
        break;
    case TControlProperty::Hint:
        break;
    case TControlProperty::Font:
    case TControlProperty::Color:
    case TControlProperty::State:
    case TControlProperty::Items:
        if (widget) {
            widget->update();
            if (which == TControlProperty::State)
                widget->SyncDropDown();
        } else
            Invalidate(control);
        break;
    }
}

void QtBackend::InvalidateArea(TControl* owner, const QRect& rect) {
    dirty_.emplace_back(owner, rect);
    if (!frame_.isActive()) {
        const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : kFrameMs;
        frame_.start(static_cast<int>(std::max<qint64>(0, kFrameMs - since)));
    }
}

void QtBackend::Invalidate(TControl* control) {
    AccessibleRepainted(control);
    if (control->IsWindowed()) {
        if (ControlWidget* widget = WidgetOf(control))
            InvalidateArea(control, widget->rect());
        return;
    }
    TWinControl* parent = control->Parent();
    if (!parent)
        return;
    if (ControlWidget* widget = ParentWidgetOf(parent))
        InvalidateArea(parent, widget->RectOf(control));
}

ControlWidget* QtBackend::ParentWidgetOf(const TControl* parent) {
    if (parent != lastParent_) {
        lastParent_ = parent;
        lastParentWidget_ = WidgetOf(parent);
    }
    return lastParentWidget_.data();
}

void QtBackend::FlushInvalidations() {
    frame_.stop();
    sinceFlush_.restart();
    auto pending = std::move(dirty_);
    dirty_.clear();
    std::stable_sort(pending.begin(), pending.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QWidget*> windows;
    for (auto first = pending.begin(); first != pending.end();) {
        const TControl* control = first->first;
        const auto last = std::find_if(
            first, pending.end(), [control](const auto& entry) { return entry.first != control; });
        ControlWidget* widget = WidgetOf(control);
        if (widget) {
            ++flushes_;
            QRegion region;
            for (auto it = first; it != last; ++it)
                region += it->second;
            if (region.rectCount() > kMaxRects)
                widget->update(region.boundingRect());
            else
                widget->update(region);
            if (QWidget* window = widget->window();
                std::find(windows.begin(), windows.end(), window) == windows.end())
                windows.push_back(window);
        }
        first = last;
    }
    // Each window paints what changed now, every widget of it in one pass and one flush to the
    // display, rather than on a wake-up of its own a little later.
    for (QWidget* window : windows) {
        QEvent paintNow(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(window, &paintNow);
    }
}
