#include "backends/qt/AccessibleListItem.h"

#include "backends/qt/Accessibility.h"
#include "toolkit/TComboBox.h"

bool AccessibleListItem::isValid() const {
    return index_ < combo_->Items().Count() && AccessibleOf(combo_);
}

QWindow* AccessibleListItem::window() const {
    QAccessibleInterface* list = parent();
    return list ? list->window() : nullptr;
}

QAccessibleInterface* AccessibleListItem::parent() const {
    return AccessibleOf(combo_);
}

QString AccessibleListItem::text(QAccessible::Text t) const {
    if (t != QAccessible::Name || index_ >= combo_->Items().Count())
        return {};
    return QString::fromStdString(combo_->Items()[index_]);
}

QRect AccessibleListItem::rect() const {
    // The closed list shows its chosen item in its own place.
    QAccessibleInterface* list = parent();
    return list ? list->rect() : QRect();
}

QAccessible::State AccessibleListItem::state() const {
    QAccessible::State state;
    state.selectable = true;
    state.selected = combo_->ItemIndex() == index_;
    state.invisible = !state.selected && !combo_->DroppedDown();
    state.disabled = !combo_->EnabledInParents();
    return state;
}
