#include "backends/qt/AccessiblePainted.h"

#include "backends/qt/Accessibility.h"
#include "backends/qt/AccessibleFacts.h"
#include "backends/qt/ControlWidget.h"
#include "backends/qt/QtBackend.h"
#include "toolkit/TWinControl.h"

#include <QWindow>

namespace {

ControlWidget* ParentWidget(const TControl* control) {
    QtBackend* backend = QtBackend::Instance();
    return backend && control->Parent() ? backend->WidgetOf(control->Parent()) : nullptr;
}

} // namespace

bool AccessiblePainted::isValid() const {
    return ParentWidget(control_) != nullptr;
}

QObject* AccessiblePainted::object() const {
    return nullptr;
}

QWindow* AccessiblePainted::window() const {
    ControlWidget* parent = ParentWidget(control_);
    return parent ? parent->window()->windowHandle() : nullptr;
}

QAccessibleInterface* AccessiblePainted::parent() const {
    return AccessibleOf(control_->Parent());
}

QAccessibleInterface* AccessiblePainted::child(int) const {
    return nullptr;
}

int AccessiblePainted::childCount() const {
    return 0;
}

int AccessiblePainted::indexOfChild(const QAccessibleInterface*) const {
    return -1;
}

QAccessibleInterface* AccessiblePainted::childAt(int, int) const {
    return nullptr;
}

QString AccessiblePainted::text(QAccessible::Text t) const {
    return accessible::TextOf(control_, t);
}

void AccessiblePainted::setText(QAccessible::Text, const QString&) {
    // The model's texts change only through the program.
}

QRect AccessiblePainted::rect() const {
    ControlWidget* parent = ParentWidget(control_);
    if (!parent)
        return {};
    const QRect local = parent->RectOf(control_);
    return QRect(parent->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role AccessiblePainted::role() const {
    return accessible::RoleOf(control_);
}

QAccessible::State AccessiblePainted::state() const {
    return accessible::StateOf(control_);
}

void* AccessiblePainted::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

QStringList AccessiblePainted::actionNames() const {
    return accessible::ActionsOf(control_);
}

void AccessiblePainted::doAction(const QString& actionName) {
    accessible::DoAction(control_, actionName);
}

QStringList AccessiblePainted::keyBindingsForAction(const QString&) const {
    return {};
}
