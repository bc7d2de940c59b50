#pragma once
// The desktop backend: the toolkit's observer that gives every windowed control a Qt widget,
// pushes the model's changes to it, and gathers invalidations so that a window paints at most
// once per frame, only the region that changed.

#include "toolkit/BackendObserver.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <unordered_map>
#include <utility>
#include <vector>

class ControlWidget;
class TControl;
class TCustomForm;
class TWinControl;

class QtBackend : public IBackendObserver {
public:
    QtBackend();
    ~QtBackend() override;

    void ControlCreated(TControl* control) override;
    void ControlDestroyed(TControl* control) override;
    void PropertyChanged(TControl* control, TControlProperty which) override;
    void Invalidate(TControl* control) override;

    // The widget of a windowed control, or null.
    ControlWidget* WidgetOf(const TControl* control) const;
    // The window of a form, or null while it has none.
    ControlWidget* WindowOf(const TCustomForm* form) const;

    // Paints everything gathered now, without waiting for the frame (tests, screenshots).
    void FlushInvalidations();
    // Paint requests handed to Qt so far, for the benchmark and the tests.
    int FlushCount() const { return flushes_; }

    static QtBackend* Instance();

    // The least time between two flushes of the gathered invalidations, in milliseconds.
    static constexpr int kFrameMs = 16;

private:
    void InvalidateArea(TControl* control, const QRect& rect);
    // WidgetOf for the parent of graphic controls: a meter's lamps switch one after the other,
    // so the last parent asked for is remembered.
    ControlWidget* ParentWidgetOf(const TControl* parent);
    void RepaintTree(TControl* control);
    void SyncChildOrder(TWinControl* parent);

    std::unordered_map<const TControl*, QPointer<ControlWidget>> widgets_;
    const TControl* lastParent_ = nullptr;
    QPointer<ControlWidget> lastParentWidget_;
    // What changed since the last flush, as each invalidation named it (owner, area): cheap to
    // gather for every lamp that switches, merged per widget once per frame.
    std::vector<std::pair<const TControl*, QRect>> dirty_;
    QTimer frame_;
    // Since the last flush: a change after a quiet frame is handed on at once, in the same
    // wake-up as the change, and later ones wait for the rest of the frame.
    QElapsedTimer sinceFlush_;
    int flushes_ = 0;
};
