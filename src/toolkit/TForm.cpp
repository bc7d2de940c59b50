#include "toolkit/TForm.h"

#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "toolkit/Exceptions.h"
#include "toolkit/KeyboardNavigation.h"
#include "toolkit/ModalLoopNotice.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TApplication.h"
#include "toolkit/TButton.h"
#include "toolkit/TScreen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

bool TCustomForm::deferNextCreate_ = false;

TCustomForm* GetParentForm(const TControl* control) {
    if (!control)
        return nullptr;
    while (control->Parent())
        control = control->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) {
    createDeferred_ = deferNextCreate_;
    deferNextCreate_ = false;
    TControl::SetVisible(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    CreateHandle();
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (!destroyed_ && OnDestroy) {
        // OnDestroy would run on a half-destroyed form; the form must be freed with Free().
        std::fprintf(stderr, "%s: a form with OnDestroy was deleted instead of freed\n",
                     ClassName());
        std::abort();
    }
    DestroySystemMenu(Handle());
    Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
    if (created_)
        return;
    created_ = true;
    try {
        DoCreate();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TCustomForm::LoadDesign(const std::function<void()>& build) {
    BeginLoading();
    try {
        build();
    } catch (...) {
        EndLoading();
        throw;
    }
    EndLoading();
    if (!createDeferred_)
        AfterConstruction();
}

void TCustomForm::BeforeDestruction() {
    if (destroyed_)
        return;
    destroyed_ = true;
    // A form going away leaves the screen without running its deactivation.
    Screen->RemoveForm(this);
    TScrollingWinControl::BeforeDestruction();
    try {
        DoDestroy();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TCustomForm::DoCreate() {
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (OnDestroy)
        OnDestroy(this);
}

void TCustomForm::DoShow() {
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide)
        OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose)
        OnClose(this, action);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoActivate() {
    if (OnActivate)
        OnActivate(this);
}

void TCustomForm::DoDeactivate() {
    if (OnDeactivate)
        OnDeactivate(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    Changed(TControlProperty::Style);
    Realign();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    if (style == formStyle_)
        return;
    formStyle_ = style;
    SetTopmost(style == fsStayOnTop);
}

void TCustomForm::SetTopmost(bool value) {
    if (value == topmost_)
        return;
    topmost_ = value;
    Changed(TControlProperty::Topmost);
}

void TCustomForm::SetWindowState(TWindowState state) {
    if (state == windowState_)
        return;
    if (state == wsMaximized && !restoreBounds_)
        restoreBounds_ = BoundsRect();
    windowState_ = state;
    // The bounds change first, so that the desktop is asked to maximise a window that already
    // has its maximised bounds.
    if (state == wsMaximized) {
        const TRect bounds = MaximizedBounds();
        SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    } else if (state == wsNormal && restoreBounds_) {
        const TRect bounds = *restoreBounds_;
        restoreBounds_.reset();
        SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    }
    Changed(TControlProperty::WindowState);
}

int TCustomForm::FrameWidth() const {
    switch (borderStyle_) {
    case bsNone:
        return 0;
    case bsDialog:
        return 6;
    default:
        return 8;
    }
}

int TCustomForm::FrameHeight() const {
    switch (borderStyle_) {
    case bsNone:
        return 0;
    case bsDialog:
        return 25;
    default:
        return 27;
    }
}

void TCustomForm::SetClientWidth(int value) {
    SetWidth(value + (Width() - ClientWidth()));
}

void TCustomForm::SetClientHeight(int value) {
    SetHeight(value + (Height() - ClientHeight()));
}

MINMAXINFO TCustomForm::GetMinMaxInfo() {
    MINMAXINFO info;
    info.ptMaxSize = {Screen->Width() + 8, Screen->Height() + 8};
    info.ptMaxPosition = {-4, -4};
    info.ptMinTrackSize = {0, 0};
    info.ptMaxTrackSize = {Screen->Width() + 12, Screen->Height() + 12};
    Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

TRect TCustomForm::MaximizedBounds() {
    const MINMAXINFO info = GetMinMaxInfo();
    const int width = std::clamp(info.ptMaxSize.x, info.ptMinTrackSize.x,
                                 std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    const int height = std::clamp(info.ptMaxSize.y, info.ptMinTrackSize.y,
                                  std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
    return Bounds(info.ptMaxPosition.x, info.ptMaxPosition.y, width, height);
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    if (!Loading() && !Destroying() && (width != Width() || height != Height())) {
        MINMAXINFO info = GetMinMaxInfo();
        width = std::clamp(width, info.ptMinTrackSize.x,
                           std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
        height = std::clamp(height, info.ptMinTrackSize.y,
                            std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
    }
    TScrollingWinControl::SetBounds(left, top, width, height);
}

void TCustomForm::PlaceOnFirstShow() {
    if (shownOnce_)
        return;
    shownOnce_ = true;
    switch (position_) {
    case poScreenCenter:
        SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(),
                  Height());
        break;
    case poDefault:
    case poDefaultPosOnly: {
        int offset = Screen->NextDefaultOffset();
        SetBounds(offset, offset, Width(), Height());
        break;
    }
    default:
        break;
    }
}

void TCustomForm::SetVisible(bool visible) {
    if (visible == Visible())
        return;
    if (!Reacting()) {
        TScrollingWinControl::SetVisible(visible);
        return;
    }
    if (visible) {
        PlaceOnFirstShow();
        TScrollingWinControl::SetVisible(true);
        // Laid out before the peers are made, so the desktop shows the result at once.
        LayOutShownControls(this);
        if (!HasPeer())
            CreatePeers(this);
        DoShow();
        if (Visible() && Enabled())
            Screen->SetActiveForm(this);
    } else {
        TScrollingWinControl::SetVisible(false);
        DoHide();
        if (Screen->ActiveForm() == this)
            Screen->SetActiveForm(Screen->LastActiveVisibleForm(this));
    }
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    // classic behaviour: closing the main form ends the application instead of hiding it.
    if (Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Hide();
        Release();
        break;
    default:
        break;
    }
}

void TCustomForm::CloseModal() {
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        if (action == caNone)
            modalResult_ = mrNone;
        else if (action == caFree)
            Release();
    } catch (...) {
        modalResult_ = mrNone;
        Application->HandleException(this);
    }
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || modal_)
        throw EInvalidOperation("Ein sichtbares Fenster kann nicht modal gemacht werden");
    // A program that is ending shows nothing more: the form answers as if cancelled.
    if (Application->Ending())
        return mrCancel;
    TCustomForm* previous = Screen->ActiveForm();
    auto disabled = Screen->DisableOtherForms(this);
    modal_ = true;
    modalResult_ = mrNone;
    struct Restore {
        TCustomForm& form;
        std::vector<TCustomForm*>& disabled;
        TCustomForm* previous;
        ~Restore() {
            form.modal_ = false;
            Screen->EnableForms(disabled);
            if (form.Visible())
                form.Hide();
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (Screen->Forms(i) == previous && previous->Visible())
                    Screen->SetActiveForm(previous);
        }
    } restore{*this, disabled, previous};
    Show();
    NotifyModalLoopBegins();
    while (true) {
        if (modalResult_ == mrNone)
            Application->HandleMessage();
        if (Application->Terminated() || Application->Ending())
            modalResult_ = mrCancel;
        else if (modalResult_ != mrNone)
            CloseModal();
        if (modalResult_ != mrNone)
            break;
        if (ModalLoopStalled())
            throw std::logic_error(std::string(ClassName()) +
                                   ": modale Schleife steht, nichts steht an und kein Timer läuft");
    }
    return modalResult_;
}

void TCustomForm::Release() {
    if (releasing_)
        return;
    releasing_ = true;
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

bool TCustomForm::Active() const {
    return Screen->ActiveForm() == this;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control && (!ContainsControl(control) || control == this))
        throw EInvalidOperation("Ungültiges aktives Steuerelement");
    if (!control) {
        activeControl_ = nullptr;
        return;
    }
    if (!Loading() && !control->CanFocus())
        throw EInvalidOperation(
            "Ein deaktiviertes oder unsichtbares Fenster kann nicht den Fokus erhalten");
    FocusControl(control);
}

namespace {

// The control and the containers holding it, innermost first, up to (not including) the form.
std::vector<TWinControl*> FocusChain(TWinControl* control, const TCustomForm* form) {
    std::vector<TWinControl*> chain;
    for (TWinControl* c = control; c && c != form; c = c->Parent())
        chain.push_back(c);
    return chain;
}

bool Holds(TWinControl* container, TWinControl* control) {
    return control && container->ContainsControl(control);
}

} // namespace

void TCustomForm::FocusControl(TWinControl* control) {
    const unsigned generation = ++focusGeneration_;
    if (activeControl_ == control)
        return;
    TWinControl* old = activeControl_;
    // OnExit of the old control, then of each container the focus leaves, innermost first. A
    // SetFocus inside one of them has decided where the focus goes.
    if (old && exiting_ != old) {
        exiting_ = old;
        try {
            for (TWinControl* c : FocusChain(old, this)) {
                if (Holds(c, control))
                    break;
                c->DoExit();
                if (generation != focusGeneration_)
                    break;
            }
        } catch (...) {
            exiting_ = nullptr;
            throw;
        }
        exiting_ = nullptr;
        if (generation != focusGeneration_)
            return;
    }
    activeControl_ = control;
    if (old)
        old->Changed(TControlProperty::Focus);
    if (!control)
        return;
    control->Changed(TControlProperty::Focus);
    // A control that gets the focus outside a scroll box's view is scrolled into it.
    for (TWinControl* p = control->Parent(); p; p = p->Parent())
        if (auto* scrolling = dynamic_cast<TScrollingWinControl*>(p))
            scrolling->ScrollInView(control);
    // OnEnter of each container the focus enters, outermost first, then of the control.
    std::vector<TWinControl*> entered = FocusChain(control, this);
    for (auto it = entered.rbegin(); it != entered.rend(); ++it) {
        if (old && old != *it && Holds(*it, old))
            continue;
        (*it)->DoEnter();
        if (generation != focusGeneration_)
            return;
    }
}

namespace {

template <class Pick> TButton* FindButton(const TWinControl* parent, Pick pick) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (auto* b = dynamic_cast<TButton*>(c); b && pick(b) && b->Visible())
            return b;
        if (auto* win = dynamic_cast<TWinControl*>(c); win && win->Visible())
            if (auto* found = FindButton(win, pick))
                return found;
    }
    return nullptr;
}

} // namespace

void TCustomForm::SelectNext(bool forward) {
    std::vector<TWinControl*> order = TabStops(this);
    if (order.empty())
        return;
    auto it = std::find(order.begin(), order.end(), activeControl_);
    std::size_t index;
    if (it == order.end())
        index = forward ? 0 : order.size() - 1;
    else {
        auto at = static_cast<std::size_t>(it - order.begin());
        index = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
    }
    FocusControl(order[index]);
}

TButton* TCustomForm::DefaultButton() const {
    return FindButton(this, [](TButton* b) { return b->Default(); });
}

TButton* TCustomForm::CancelButton() const {
    return FindButton(this, [](TButton* b) { return b->Cancel(); });
}

void TCustomForm::ControlRemoved(TControl* control) {
    auto* win = dynamic_cast<TWinControl*>(control);
    if (activeControl_ && win && win->ContainsControl(activeControl_))
        activeControl_ = nullptr;
    if (activeControl_ == control)
        activeControl_ = nullptr;
}

void TCustomForm::ControlHidden(TControl* control) {
    ControlRemoved(control);
}

void TCustomForm::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        break;
    case WM_SYSCOMMAND:
        switch (message.WParam & 0xFFF0) {
        case SC_CLOSE:
            Close();
            break;
        case SC_MINIMIZE:
            SetWindowState(wsMinimized);
            break;
        case SC_MAXIMIZE:
            SetWindowState(wsMaximized);
            break;
        case SC_RESTORE:
            SetWindowState(wsNormal);
            break;
        default:
            break;
        }
        break;
    case CM_RELEASE:
        Free();
        break;
    default:
        TScrollingWinControl::DefaultHandler(message);
    }
}
