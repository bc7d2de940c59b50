#pragma once
// Top-level windows: frame and client sizes, placement, show/hide/close, the modal run, the
// active control and the dialog keys, activation, and the window's message handlers.
//
// Building a form: the constructor of a form class builds its designed controls inside
// LoadDesign(), which holds every reaction and the layout back until the description is complete,
// then calls Loaded() on each component and runs OnCreate. Forms are destroyed with Free() (or
// FreeAndNil), which runs OnDestroy while the form is still whole; an owner frees its forms so.

#include "toolkit/TScrollingWinControl.h"

#include <cstdint>
#include <functional>
#include <optional>

class TButton;

// A window icon: the handle the program loaded.
class TIcon {
public:
    std::uintptr_t Handle() const { return handle_; }
    void SetHandle(std::uintptr_t handle) { handle_ = handle; }

private:
    std::uintptr_t handle_ = 0;
};

class TCustomForm : public TScrollingWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    const char* ClassName() const override { return "TCustomForm"; }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TWindowState WindowState() const { return windowState_; }
    // Maximising places the window where WM_GETMINMAXINFO says, as a window manager does;
    // restoring brings back the bounds it had before.
    void SetWindowState(TWindowState state);
    TIcon& Icon() { return icon_; }
    // Topmost in the desktop's window order (stay-on-top forms, SetWindowPos with HWND_TOPMOST).
    bool Topmost() const { return topmost_; }
    void SetTopmost(bool value);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }

    // The frame: a sizeable or single border adds 8 × 27, a dialog border 6 × 25, none nothing.
    int FrameWidth() const;
    int FrameHeight() const;
    void SetClientWidth(int value) override;
    void SetClientHeight(int value) override;
    // Every size change of a window respects the limits WM_GETMINMAXINFO gives.
    void SetBounds(int left, int top, int width, int height) override;
    MINMAXINFO GetMinMaxInfo();
    // The outer bounds of the maximised window: WM_GETMINMAXINFO's place and size, within its
    // tracking limits.
    TRect MaximizedBounds();

    // Visibility: showing runs OnShow (and places the form the first time), hiding OnHide.
    void SetVisible(bool visible) override;
    // Runs OnCloseQuery and OnClose; the action decides: none refuses, hide (the default) hides,
    // free hides and releases, minimize minimises. Also runs when the form is already hidden.
    void Close();
    // Shows the form modally and runs the message loop (posted messages and timers keep going)
    // until ModalResult is set and the close is not refused; the other forms are disabled
    // meanwhile. Returns the result; mrCancel once the program is ending.
    TModalResult ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Frees the form once the messages pending now have been handled.
    void Release();

    bool Active() const;
    TWinControl* ActiveControl() const { return activeControl_; }
    // Moves the focus: OnExit of the old control, then OnEnter of the new one. A SetFocus made
    // inside OnExit wins over this move.
    void FocusControl(TWinControl* control);
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the next (or previous) focusable control in child order.
    void SelectNext(bool forward = true);
    TButton* DefaultButton() const;
    TButton* CancelButton() const;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual bool CloseQuery();
    virtual void DoActivate();
    virtual void DoDeactivate();

    void DefaultHandler(TMessage& message) override;
    void BeforeDestruction() override;

    // Called by a parent inside the form when a control leaves it or is hidden.
    void ControlRemoved(TControl* control);
    void ControlHidden(TControl* control);

    // Runs OnCreate unless it ran already (LoadDesign and Application->CreateForm call this).
    void AfterConstruction();

protected:
    // Builds the designed layout: loading state around `build`, then Loaded() on each component,
    // then OnCreate (an error escaping OnCreate goes to the standard report; the form stays).
    void LoadDesign(const std::function<void()>& build);
    int FrameClientWidth() const override { return Width() - FrameWidth(); }
    int FrameClientHeight() const override { return Height() - FrameHeight(); }

private:
    void CloseModal();
    void PlaceOnFirstShow();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    // The bounds to restore, held from maximising until the window is normal again.
    std::optional<TRect> restoreBounds_;
    TIcon icon_;
    bool topmost_ = false;
    bool keyPreview_ = false;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    bool shownOnce_ = false;
    bool created_ = false;
    bool createDeferred_ = false;
    bool destroyed_ = false;
    bool releasing_ = false;
    TWinControl* activeControl_ = nullptr;
    TWinControl* exiting_ = nullptr;
    unsigned focusGeneration_ = 0;

    friend class TApplication;
    static bool deferNextCreate_;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
    const char* ClassName() const override { return "TForm"; }
};
