#include "backends/qt/AccessibleWidget.h"

#include "backends/qt/Accessibility.h"
#include "backends/qt/AccessibleFacts.h"
#include "backends/qt/ControlWidget.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TForm.h"

#include <algorithm>

AccessibleWidget::AccessibleWidget(ControlWidget* widget) : QAccessibleWidget(widget) {
    if (TControl* control = Control(); control && accessible::ShowsText(control))
        told_ = ShownText();
}

TControl* AccessibleWidget::Control() const {
    auto* widget = static_cast<ControlWidget*>(object());
    return widget ? widget->Control() : nullptr;
}

bool AccessibleWidget::isValid() const {
    return QAccessibleWidget::isValid() && Control();
}

int AccessibleWidget::childCount() const {
    TControl* control = Control();
    if (auto* combo = dynamic_cast<TComboBox*>(control))
        return combo->Items().Count();
    return control ? static_cast<int>(AccessibleChildren(control).size()) : 0;
}

QAccessibleInterface* AccessibleWidget::child(int index) const {
    TControl* control = Control();
    if (!control || index < 0)
        return nullptr;
    if (auto* combo = dynamic_cast<TComboBox*>(control))
        return AccessibleItemOf(combo, index);
    const auto children = AccessibleChildren(control);
    return index < static_cast<int>(children.size())
               ? AccessibleOf(children[static_cast<std::size_t>(index)])
               : nullptr;
}

int AccessibleWidget::indexOfChild(const QAccessibleInterface* child) const {
    TControl* control = Control();
    if (!control || !child)
        return -1;
    if (auto* combo = dynamic_cast<TComboBox*>(control)) {
        for (int i = 0; i < combo->Items().Count(); ++i)
            if (AccessibleItemOf(combo, i) == child)
                return i;
        return -1;
    }
    const auto children = AccessibleChildren(control);
    for (std::size_t i = 0; i < children.size(); ++i)
        if (AccessibleOf(children[i]) == child)
            return static_cast<int>(i);
    return -1;
}

QAccessibleInterface* AccessibleWidget::childAt(int x, int y) const {
    TControl* control = Control();
    if (!control)
        return nullptr;
    // The last child in child order lies on top.
    const auto children = AccessibleChildren(control);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        QAccessibleInterface* child = AccessibleOf(*it);
        if ((*it)->Visible() && child->rect().contains(x, y))
            return child;
    }
    return nullptr;
}

QAccessibleInterface* AccessibleWidget::focusChild() const {
    // The window keeps Qt's focus; the model knows which control has it.
    auto* control = dynamic_cast<TWinControl*>(Control());
    TCustomForm* form = control ? GetParentForm(control) : nullptr;
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    if (!focused || focused == control || !control->ContainsControl(focused))
        return nullptr;
    return AccessibleOf(focused);
}

QString AccessibleWidget::text(QAccessible::Text t) const {
    TControl* control = Control();
    return control ? accessible::TextOf(control, t) : QString();
}

QAccessible::Role AccessibleWidget::role() const {
    TControl* control = Control();
    return control ? accessible::RoleOf(control) : QAccessible::NoRole;
}

QAccessible::State AccessibleWidget::state() const {
    TControl* control = Control();
    return control ? accessible::StateOf(control) : QAccessible::State();
}

void* AccessibleWidget::interface_cast(QAccessible::InterfaceType t) {
    TControl* control = Control();
    if (t == QAccessible::TextInterface)
        return control && accessible::ShowsText(control)
                   ? static_cast<QAccessibleTextInterface*>(this)
                   : nullptr;
    if (t == QAccessible::ValueInterface)
        return control && accessible::ValueOf(control)
                   ? static_cast<QAccessibleValueInterface*>(this)
                   : nullptr;
    return QAccessibleWidget::interface_cast(t);
}

QStringList AccessibleWidget::actionNames() const {
    TControl* control = Control();
    return control ? accessible::ActionsOf(control) : QStringList();
}

void AccessibleWidget::doAction(const QString& actionName) {
    if (TControl* control = Control())
        accessible::DoAction(control, actionName);
}

QVariant AccessibleWidget::currentValue() const {
    TControl* control = Control();
    const auto value = control ? accessible::ValueOf(control) : std::nullopt;
    return value ? QVariant(value->current) : QVariant();
}

void AccessibleWidget::setCurrentValue(const QVariant& value) {
    TControl* control = Control();
    const auto current = control ? accessible::ValueOf(control) : std::nullopt;
    if (current && current->settable && value.canConvert<int>())
        accessible::SetValue(control, value.toInt());
}

QVariant AccessibleWidget::maximumValue() const {
    TControl* control = Control();
    const auto value = control ? accessible::ValueOf(control) : std::nullopt;
    return value ? QVariant(value->maximum) : QVariant();
}

QVariant AccessibleWidget::minimumValue() const {
    TControl* control = Control();
    const auto value = control ? accessible::ValueOf(control) : std::nullopt;
    return value ? QVariant(value->minimum) : QVariant();
}

QVariant AccessibleWidget::minimumStepSize() const {
    return QVariant(1);
}

QString AccessibleWidget::ShownText() const {
    TControl* control = Control();
    return control ? QString::fromStdString(accessible::ValueText(control)) : QString();
}

void AccessibleWidget::TellTextChange() {
    const QString shown = ShownText();
    // The caret stays at the end: a change is what follows the part both texts share.
    qsizetype same = 0;
    while (same < told_.size() && same < shown.size() && told_[same] == shown[same])
        ++same;
    if (same == told_.size() && same == shown.size())
        return;
    QAccessibleTextUpdateEvent update(this, static_cast<int>(same), told_.mid(same),
                                      shown.mid(same));
    told_ = shown;
    QAccessible::updateAccessibility(&update);
    if (state().focused) {
        QAccessibleTextCursorEvent caret(this, cursorPosition());
        QAccessible::updateAccessibility(&caret);
    }
}

void AccessibleWidget::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
}

int AccessibleWidget::cursorPosition() const {
    return characterCount();
}

QString AccessibleWidget::text(int startOffset, int endOffset) const {
    const QString shown = ShownText();
    if (endOffset < 0 || endOffset > shown.size())
        endOffset = static_cast<int>(shown.size());
    startOffset = std::clamp(startOffset, 0, endOffset);
    return shown.mid(startOffset, endOffset - startOffset);
}

int AccessibleWidget::characterCount() const {
    return static_cast<int>(ShownText().size());
}

QString AccessibleWidget::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
