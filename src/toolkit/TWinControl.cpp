#include "toolkit/TWinControl.h"

#include "toolkit/Exceptions.h"
#include "toolkit/ScopeGuards.h"
#include "toolkit/TApplication.h"
#include "toolkit/TForm.h"

#include <algorithm>
#include <utility>

namespace {

// Alignment repeats while a pass asked for another (a handler moved something); a layout that
// never settles stops here instead of looping forever.
constexpr int kMaxAlignPasses = 8;

// Among controls of the same alignment, which one is placed first (classic ordering).
bool InsertBefore(const TControl* c1, const TControl* c2, TAlign align) {
    switch (align) {
    case alTop:
        return c1->Top() < c2->Top();
    case alBottom:
        return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
    case alLeft:
        return c1->Left() < c2->Left();
    case alRight:
        return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
    default:
        return false;
    }
}

} // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    if (Loading())
        LoadingBegun();
}

TWinControl::~TWinControl() {
    if (handle_) {
        WindowTable::Instance().Unregister(handle_);
        handle_ = 0;
    }
    while (!controls_.empty())
        controls_.back()->Free();
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount())
        throw EInvalidOperation("Steuerelementindex außerhalb des gültigen Bereichs (" +
                                std::to_string(index) + ")");
    return controls_[static_cast<std::size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
    if (!control || control->parent_ == this)
        return;
    if (auto* win = dynamic_cast<TWinControl*>(control); win && win->ContainsControl(this))
        throw EInvalidOperation("Ein Steuerelement kann nicht in sich selbst liegen");
    if (control->parent_)
        control->parent_->RemoveControl(control);
    controls_.push_back(control);
    if (auto* win = dynamic_cast<TWinControl*>(control))
        tabList_.push_back(win);
    control->parent_ = this;
    control->ParentPropertiesChanged();
    if (auto* win = dynamic_cast<TWinControl*>(control); win && win->parentCtl3D_)
        win->ParentPropertiesChanged();
    if (auto* form = GetParentForm(this); form && form->Visible() && !Loading())
        LayOutShownControls(control);
    if (HasPeer())
        CreatePeers(control);
    control->Changed(TControlProperty::Parent);
    AlignControl(control);
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    if (auto* form = GetParentForm(this))
        form->ControlRemoved(control);
    if (control->HasPeer())
        DestroyPeers(control);
    controls_.erase(it);
    std::erase(tabList_, control);
    control->parent_ = nullptr;
    if (control->Visible() && control->Align() != alNone)
        AlignControl(nullptr);
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

int TWinControl::ChildIndex(const TControl* control) const {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    return it == controls_.end() ? -1 : static_cast<int>(it - controls_.begin());
}

void TWinControl::SetChildIndex(TControl* control, int index) {
    int current = ChildIndex(control);
    if (current < 0)
        return;
    index = std::clamp(index, 0, ControlCount() - 1);
    controls_.erase(controls_.begin() + current);
    controls_.insert(controls_.begin() + index, control);
    control->Changed(TControlProperty::Parent);
}

void TWinControl::DisableAlign() {
    ++alignLevel_;
}

void TWinControl::DropAlignLevel() {
    if (alignLevel_ > 0)
        --alignLevel_;
}

void TWinControl::EnableAlign() {
    if (alignLevel_ == 0)
        return;
    if (--alignLevel_ == 0 && alignNeeded_)
        Realign();
}

void TWinControl::AdjustClientRect(TRect&) const {}

void TWinControl::AlignControl(TControl* control) {
    if (Destroying())
        return;
    if (alignLevel_ > 0) {
        // The child being placed right now reports its new bounds; that needs no second pass.
        if (!(positioning_ && control == positioning_))
            alignNeeded_ = true;
        return;
    }
    // However the passes end, the level comes back down and nothing is left pending.
    ++alignLevel_;
    const TScopeExit aligned([this] {
        alignNeeded_ = false;
        --alignLevel_;
    });
    for (int pass = 0; pass < kMaxAlignPasses; ++pass) {
        alignNeeded_ = false;
        TRect rect = ClientRect();
        AlignControls(control, rect);
        if (!alignNeeded_)
            break;
        control = nullptr;
    }
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
    AdjustClientRect(rect);
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        if (control && control->Parent() == this && control->Align() == align && control->Visible())
            list.push_back(control);
        for (TControl* c : controls_) {
            if (c == control || c->Align() != align || !c->Visible())
                continue;
            std::size_t j = 0;
            while (j < list.size() && !InsertBefore(c, list[j], align))
                ++j;
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(j), c);
        }
        for (TControl* c : list)
            if (c->Parent() == this) // a handler may have moved it elsewhere meanwhile
                PlaceAligned(c, align, rect);
    }
}

void TWinControl::PlaceAligned(TControl* control, TAlign align, TRect& rect) {
    int newWidth = rect.Right - rect.Left;
    if (newWidth < 0 || align == alLeft || align == alRight)
        newWidth = control->Width();
    int newHeight = rect.Bottom - rect.Top;
    if (newHeight < 0 || align == alTop || align == alBottom)
        newHeight = control->Height();
    int newLeft = rect.Left;
    int newTop = rect.Top;
    switch (align) {
    case alTop:
        rect.Top += newHeight;
        break;
    case alBottom:
        rect.Bottom -= newHeight;
        newTop = rect.Bottom;
        break;
    case alLeft:
        rect.Left += newWidth;
        break;
    case alRight:
        rect.Right -= newWidth;
        newLeft = rect.Right;
        break;
    default:
        break;
    }
    {
        const TScopedValue<TControl*> positioning(positioning_, control);
        control->SetBounds(newLeft, newTop, newWidth, newHeight);
    }
    // A control that keeps another size than it was given takes exactly the room it kept.
    if (control->Width() != newWidth || control->Height() != newHeight) {
        switch (align) {
        case alTop:
            rect.Top -= newHeight - control->Height();
            break;
        case alBottom:
            rect.Bottom += newHeight - control->Height();
            break;
        case alLeft:
            rect.Left -= newWidth - control->Width();
            break;
        case alRight:
            rect.Right += newWidth - control->Width();
            break;
        default:
            break;
        }
    }
}

void TWinControl::LoadingBegun() {
    if (!alignHeldForLoading_) {
        alignHeldForLoading_ = true;
        DisableAlign();
        alignNeeded_ = true;
    }
}

void TWinControl::LoadingLayout() {
    if (alignHeldForLoading_) {
        alignHeldForLoading_ = false;
        alignNeeded_ = true;
        EnableAlign();
    }
}

void TWinControl::SetVisible(bool visible) {
    TControl::SetVisible(visible);
    if (!visible)
        if (auto* form = GetParentForm(this); form && form != static_cast<TControl*>(this))
            form->ControlHidden(this);
}

int TWinControl::TabOrder() const {
    if (!Parent())
        return -1;
    const auto& list = Parent()->tabList_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int value) {
    if (!Parent())
        return;
    auto& list = Parent()->tabList_;
    std::erase(list, this);
    const auto at = static_cast<std::size_t>(std::clamp(value, 0, static_cast<int>(list.size())));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), this);
}

bool TWinControl::CanFocus() const {
    if (!AcceptsFocus())
        return false;
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return GetParentForm(this) != nullptr;
}

bool TWinControl::Focused() const {
    auto* form = GetParentForm(this);
    return form && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
    auto* form = GetParentForm(this);
    if (!form || !CanFocus())
        throw EInvalidOperation(
            "Ein deaktiviertes oder unsichtbares Fenster kann nicht den Fokus erhalten");
    form->FocusControl(this);
}

void TWinControl::DoEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit)
        OnExit(this);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::SetCtl3D(bool value) {
    parentCtl3D_ = false;
    if (value == ctl3D_)
        return;
    ctl3D_ = value;
    Changed(TControlProperty::Style);
    for (TControl* c : controls_)
        c->ParentPropertiesChanged();
}

void TWinControl::SetParentCtl3D(bool value) {
    parentCtl3D_ = value;
    if (value)
        ParentPropertiesChanged();
}

void TWinControl::ParentPropertiesChanged() {
    TControl::ParentPropertiesChanged();
    if (parentCtl3D_ && Parent() && Parent()->ctl3D_ != ctl3D_) {
        ctl3D_ = Parent()->ctl3D_;
        Changed(TControlProperty::Style);
        for (TControl* c : controls_)
            c->ParentPropertiesChanged();
    }
}

void TWinControl::CreateHandle() {
    // A form without a parent is a top-level window: broadcasts such as the device change
    // reach it.
    if (!handle_)
        handle_ = WindowTable::Instance().Register(
            this, !Parent() && dynamic_cast<const TCustomForm*>(this) != nullptr);
}

HWND TWinControl::Handle() {
    CreateHandle();
    return handle_;
}

LRESULT TWinControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    TMessage msg{message, wParam, lParam, 0};
    WndProc(msg);
    return msg.Result;
}

void TWinControl::SetMessageHandler(UINT message, TMessageHandler handler) {
    if (handler)
        handlers_[message] = std::move(handler);
    else
        handlers_.erase(message);
}

void TWinControl::WndProc(TMessage& message) {
    Dispatch(message);
}

void TWinControl::Dispatch(TMessage& message) {
    auto it = handlers_.find(message.Msg);
    if (it == handlers_.end()) {
        DefaultHandler(message);
        return;
    }
    TMessageHandler handler = it->second; // the handler may replace itself
    handler(message);
}

void TWinControl::DefaultHandler(TMessage&) {}

LRESULT TWinControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    TMessage msg{message, wParam, lParam, 0};
    try {
        WndProc(msg);
    } catch (...) {
        Application->HandleException(this);
    }
    return msg.Result;
}

void CreatePeers(TControl* control) {
    auto* observer = BackendObserver();
    if (!observer || control->hasPeer_)
        return;
    control->hasPeer_ = true;
    observer->ControlCreated(control);
    if (auto* win = dynamic_cast<TWinControl*>(control))
        for (int i = 0; i < win->ControlCount(); ++i)
            CreatePeers(win->Controls(i));
}

void LayOutShownControls(TControl* control) {
    if (control->Loading() || control->Destroying())
        return;
    Application->Guard([control] { control->LayOutForShow(); }, control);
    // By index: a layout may add controls to its parent (the slider's knob), and they are laid
    // out too.
    if (auto* win = dynamic_cast<TWinControl*>(control))
        for (int i = 0; i < win->ControlCount(); ++i)
            LayOutShownControls(win->Controls(i));
}

void DestroyPeers(TControl* control) {
    if (!control->hasPeer_)
        return;
    if (auto* win = dynamic_cast<TWinControl*>(control))
        for (int i = 0; i < win->ControlCount(); ++i)
            DestroyPeers(win->Controls(i));
    control->hasPeer_ = false;
    if (auto* observer = BackendObserver())
        observer->ControlDestroyed(control);
}

TAlignHold::TAlignHold(TWinControl* control) : control_(control) {
    control_->DisableAlign();
}

TAlignHold::~TAlignHold() {
    if (control_)
        control_->DropAlignLevel();
}

void TAlignHold::Release() {
    std::exchange(control_, nullptr)->EnableAlign();
}
