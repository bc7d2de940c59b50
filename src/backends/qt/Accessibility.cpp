#include "backends/qt/Accessibility.h"

#include "backends/qt/AccessibleFacts.h"
#include "backends/qt/AccessibleListItem.h"
#include "backends/qt/AccessiblePainted.h"
#include "backends/qt/AccessibleWidget.h"
#include "backends/qt/ControlWidget.h"
#include "backends/qt/QtBackend.h"
#include "platform/TimerScheduler.h"
#include "toolkit/AccessibleScale.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"

#include <QAccessible>
#include <string>
#include <unordered_map>

namespace {

// The interfaces of painted controls, registered with Qt, by control.
std::unordered_map<const TControl*, QAccessible::Id>& Painted() {
    static std::unordered_map<const TControl*, QAccessible::Id> painted;
    return painted;
}

// The interfaces of drop-down lists' items, by list, in item order.
std::unordered_map<const TControl*, std::vector<QAccessible::Id>>& ListItems() {
    static std::unordered_map<const TControl*, std::vector<QAccessible::Id>> items;
    return items;
}

void ForgetListItems(const TControl* combo) {
    auto& all = ListItems();
    if (auto it = all.find(combo); it != all.end()) {
        for (QAccessible::Id id : it->second)
            QAccessible::deleteAccessibleInterface(id);
        all.erase(it);
    }
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* widget = dynamic_cast<ControlWidget*>(object))
        return new AccessibleWidget(widget);
    return nullptr;
}

void Notify(TControl* control, QAccessible::Event type) {
    if (QAccessibleInterface* iface = AccessibleOf(control)) {
        QAccessibleEvent event(iface, type);
        QAccessible::updateAccessibility(&event);
    }
}

void NotifyState(TControl* control, QAccessible::State changed) {
    if (QAccessibleInterface* iface = AccessibleOf(control)) {
        QAccessibleStateChangeEvent event(iface, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void NotifyValue(TControl* control) {
    QAccessibleInterface* iface = AccessibleOf(control);
    if (!iface)
        return;
    const auto value = accessible::ValueOf(control);
    QAccessibleValueChangeEvent event(iface, value ? QVariant(value->current)
                                                   : QVariant(iface->text(QAccessible::Value)));
    QAccessible::updateAccessibility(&event);
}

// A window activated hands the focus to its active control; a control that took the focus in the
// active window has it now. One that lost it hears that from the bridge with the next focus.
void NotifyFocus(TControl* control) {
    auto* form = dynamic_cast<TCustomForm*>(control);
    TWinControl* focused = form ? form->ActiveControl() : dynamic_cast<TWinControl*>(control);
    if (!focused || !focused->Focused())
        return;
    TCustomForm* window = GetParentForm(focused);
    if (window && window->Active() && window->Visible())
        Notify(focused, QAccessible::Focus);
}

// What a meter last announced, and when (the program's clock).
struct Announced {
    std::string text;
    std::uint64_t atMs = 0;
};

std::unordered_map<const TControl*, Announced>& MeterAnnouncements() {
    static std::unordered_map<const TControl*, Announced> announced;
    return announced;
}

// The least time between two announcements of one meter.
constexpr std::uint64_t kMeterAnnounceMs = 500;

void AnnounceMeter(TControl* meter) {
    if (MeterAnnouncementDue(meter))
        NotifyValue(meter);
}

} // namespace

void InstallAccessibility() {
    // Qt keeps one entry per factory, however often a backend starts.
    QAccessible::installFactory(&Factory);
    // Asking starts Qt's bridge: the program is on the accessibility bus from its start, not
    // only once its first window shows.
    QAccessible::isActive();
}

QAccessibleInterface* AccessibleOf(TControl* control) {
    QtBackend* backend = QtBackend::Instance();
    if (!control || !backend)
        return nullptr;
    if (control->IsWindowed()) {
        ControlWidget* widget = backend->WidgetOf(control);
        return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    }
    if (!control->Parent() || !backend->WidgetOf(control->Parent()))
        return nullptr;
    auto& painted = Painted();
    if (auto it = painted.find(control); it != painted.end())
        return QAccessible::accessibleInterface(it->second);
    auto* iface = new AccessiblePainted(control);
    painted[control] = QAccessible::registerAccessibleInterface(iface);
    return iface;
}

QAccessibleInterface* AccessibleItemOf(TComboBox* combo, int index) {
    if (index < 0 || index >= combo->Items().Count())
        return nullptr;
    std::vector<QAccessible::Id>& items = ListItems()[combo];
    while (static_cast<int>(items.size()) <= index)
        items.push_back(QAccessible::registerAccessibleInterface(
            new AccessibleListItem(combo, static_cast<int>(items.size()))));
    return QAccessible::accessibleInterface(items[static_cast<std::size_t>(index)]);
}

std::vector<TControl*> AccessibleChildren(const TControl* control) {
    std::vector<TControl*> children = accessible::ChildrenOf(control);
    std::erase_if(children, [](TControl* child) { return !AccessibleOf(child); });
    return children;
}

void AccessibleControlDestroyed(TControl* control) {
    MeterAnnouncements().erase(control);
    ForgetListItems(control);
    auto& painted = Painted();
    auto it = painted.find(control);
    // The bridge takes the object out of the tree it shows the screen readers, so none asks for
    // it after it has gone.
    if (QAccessible::isActive()) {
        QAccessibleInterface* iface = nullptr;
        if (it != painted.end())
            iface = QAccessible::accessibleInterface(it->second);
        else if (ControlWidget* widget =
                     QtBackend::Instance() ? QtBackend::Instance()->WidgetOf(control) : nullptr)
            iface = QAccessible::queryAccessibleInterface(widget);
        if (iface) {
            QAccessibleEvent event(iface, QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&event);
        }
    }
    if (it != painted.end()) {
        const QAccessible::Id id = it->second;
        painted.erase(it);
        QAccessible::deleteAccessibleInterface(id);
    }
}

void ForgetPaintedAccessibles() {
    MeterAnnouncements().clear();
    while (!ListItems().empty())
        ForgetListItems(ListItems().begin()->first);
    auto& painted = Painted();
    for (const auto& [control, id] : painted)
        QAccessible::deleteAccessibleInterface(id);
    painted.clear();
}

void AccessiblePropertyChanged(TControl* control, TControlProperty which) {
    // Qt drops every event while no assistive technology listens: build none for it then.
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    switch (which) {
    case TControlProperty::Visible:
        changed.invisible = true;
        NotifyState(control, changed);
        break;
    case TControlProperty::Enabled:
        changed.disabled = true;
        NotifyState(control, changed);
        break;
    case TControlProperty::Caption:
        // An edit field's caption is the text typed into it; its name is its label's.
        if (!dynamic_cast<TEdit*>(control))
            Notify(control, QAccessible::NameChanged);
        else if (auto* field = dynamic_cast<AccessibleWidget*>(AccessibleOf(control)))
            field->TellTextChange();
        break;
    case TControlProperty::Items:
        ForgetListItems(control);
        break;
    case TControlProperty::State:
        if (accessible::StateOf(control).checkable) {
            changed.checked = true;
            NotifyState(control, changed);
        } else {
            NotifyValue(control);
        }
        break;
    case TControlProperty::Bounds:
        // The knob moves whenever its fader's position changes.
        if (TControl* fader = accessible::FaderOfKnob(control))
            NotifyValue(fader);
        break;
    case TControlProperty::Focus:
        NotifyFocus(control);
        break;
    default:
        break;
    }
}

bool MeterAnnouncementDue(const TControl* meter) {
    const TCustomForm* form = GetParentForm(meter);
    if (!form || !meter->Showing() || form->WindowState() == wsMinimized)
        return false;
    const std::string text = accessible::ValueText(meter);
    const std::uint64_t now = Clock().NowMs();
    auto [it, first] = MeterAnnouncements().try_emplace(meter);
    if (!first && (it->second.text == text || now - it->second.atMs < kMeterAnnounceMs))
        return false;
    it->second = {text, now};
    return true;
}

void AccessibleRepainted(TControl* control) {
    if (!QAccessible::isActive())
        return;
    // A meter's lamps are its value: their repaint is its change.
    auto* meter = dynamic_cast<AccessibleScale*>(control->Parent());
    if (meter && meter->ScaleKind() == AccessibleScale::Kind::Meter && !control->IsWindowed())
        AnnounceMeter(control->Parent());
}
