#include "toolkit/TControl.h"

#include "toolkit/Exceptions.h"
#include "toolkit/TWinControl.h"

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
    if (hasPeer_) {
        if (auto* observer = BackendObserver())
            observer->ControlDestroyed(this);
        hasPeer_ = false;
    }
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    if (parent == this)
        throw EInvalidOperation(
            "Ein Steuerelement kann nicht sein eigenes übergeordnetes Element sein");
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed(TControlProperty::Bounds);
    if (resized)
        BoundsResized();
    RequestAlign();
    if (resized && Reacting())
        Resize();
}

void TControl::SetAlign(TAlign align) {
    if (align == align_)
        return;
    align_ = align;
    RequestAlign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    Changed(TControlProperty::Visible);
    RequestAlign();
}

bool TControl::Showing() const {
    if (!visible_)
        return false;
    return parent_ ? parent_->Showing() : true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Changed(TControlProperty::Enabled);
}

bool TControl::EnabledInParents() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->enabled_)
            return false;
    return true;
}

void TControl::SetText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    Changed(TControlProperty::Caption);
}

void TControl::FontChanged() {
    if (!applyingParentFont_)
        parentFont_ = false;
    Changed(TControlProperty::Font);
    if (auto* self = dynamic_cast<TWinControl*>(this))
        for (int i = 0; i < self->ControlCount(); ++i)
            self->Controls(i)->ParentPropertiesChanged();
}

void TControl::SetParentFont(bool value) {
    parentFont_ = value;
    if (value)
        ParentPropertiesChanged();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    if (color == color_)
        return;
    color_ = color;
    Changed(TControlProperty::Color);
    if (auto* self = dynamic_cast<TWinControl*>(this))
        for (int i = 0; i < self->ControlCount(); ++i)
            self->Controls(i)->ParentPropertiesChanged();
}

void TControl::SetParentColor(bool value) {
    parentColor_ = value;
    if (value)
        ParentPropertiesChanged();
}

void TControl::SetAccessibleName(const std::string& name) {
    if (name == accessibleName_)
        return;
    accessibleName_ = name;
    Changed(TControlProperty::Caption);
}

void TControl::SetHint(const std::string& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
    Changed(TControlProperty::Hint);
}

void TControl::SetShowHint(bool value) {
    parentShowHint_ = false;
    if (value == showHint_)
        return;
    showHint_ = value;
    Changed(TControlProperty::Hint);
    if (auto* self = dynamic_cast<TWinControl*>(this))
        for (int i = 0; i < self->ControlCount(); ++i)
            self->Controls(i)->ParentPropertiesChanged();
}

void TControl::SetParentShowHint(bool value) {
    parentShowHint_ = value;
    if (value)
        ParentPropertiesChanged();
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    Changed(TControlProperty::Cursor);
}

void TControl::ParentPropertiesChanged() {
    if (!parent_)
        return;
    if (parentFont_) {
        applyingParentFont_ = true;
        font_.Assign(parent_->Font());
        applyingParentFont_ = false;
    }
    if (parentColor_ && color_ != parent_->Color()) {
        color_ = parent_->Color();
        Changed(TControlProperty::Color);
        if (auto* self = dynamic_cast<TWinControl*>(this))
            for (int i = 0; i < self->ControlCount(); ++i)
                self->Controls(i)->ParentPropertiesChanged();
    }
    if (parentShowHint_ && showHint_ != parent_->ShowHint()) {
        showHint_ = parent_->ShowHint();
        if (auto* self = dynamic_cast<TWinControl*>(this))
            for (int i = 0; i < self->ControlCount(); ++i)
                self->Controls(i)->ParentPropertiesChanged();
    }
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y,
                               bool doubleClick) {
    if (doubleClick && (controlStyle_ & csDoubleClicks)) {
        DblClick();
        shift |= ssDouble;
    }
    clicked_ = button == mbLeft && (controlStyle_ & csClickEvents) && !doubleClick;
    MouseDown(button, shift, x, y);
}

void TControl::HandleMouseMove(TShiftState shift, int x, int y) {
    MouseMove(shift, x, y);
}

void TControl::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    // classic behaviour: the click runs when the button is released inside the control, before
    // OnMouseUp.
    if (button == mbLeft && clicked_) {
        clicked_ = false;
        if (x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight())
            UserClicked();
    }
    MouseUp(button, shift, x, y);
}

void TControl::Resize() {
    if (OnResize)
        OnResize(this);
}

void TControl::Changed(TControlProperty which) {
    if (!hasPeer_)
        return;
    if (auto* observer = BackendObserver())
        observer->PropertyChanged(this, which);
}

void TControl::Invalidate() {
    if (!hasPeer_)
        return;
    if (auto* observer = BackendObserver())
        observer->Invalidate(this);
}

void TControl::RequestAlign() {
    if (parent_)
        parent_->AlignControl(this);
}

void TControl::BringToFront() {
    if (parent_)
        parent_->SetChildIndex(this, parent_->ControlCount() - 1);
}

void TControl::SendToBack() {
    if (parent_)
        parent_->SetChildIndex(this, 0);
}
