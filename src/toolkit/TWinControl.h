#pragma once
// A control with a window of its own: children in child order, the classic alignment of its
// children, focus, keys, the 3-D look and a window handle whose messages reach handlers
// registered by message number.

#include "platform/WindowTable.h"
#include "toolkit/TControl.h"

#include <unordered_map>
#include <vector>

class TWinControl : public TControl, public IMessageTarget {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    const char* ClassName() const override { return "TWinControl"; }
    bool IsWindowed() const override { return true; }
    void SetVisible(bool visible) override;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // True when `control` is this or lies anywhere inside it.
    bool ContainsControl(const TControl* control) const;
    int ChildIndex(const TControl* control) const;
    void SetChildIndex(TControl* control, int index);

    // Alignment of the children: top, bottom, left, right, then client; hidden children take no
    // room. Requests while aligning or while disabled are remembered and run once afterwards.
    // See also TAlignHold, which holds the alignment for a scope.
    void DisableAlign();
    void EnableAlign();
    bool AlignDisabled() const { return alignLevel_ > 0; }
    void Realign() { AlignControl(nullptr); }
    // The area aligned children share, in client coordinates.
    virtual void AdjustClientRect(TRect& rect) const;

    // Focus.
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value) { tabStop_ = value; }
    // The place among the parent's windowed children in the Tab cycle; −1 without a parent.
    // Setting it moves the control there (clamped) and the others after it up by one.
    int TabOrder() const;
    void SetTabOrder(int value);
    // The windowed children in Tab order.
    const std::vector<TWinControl*>& TabList() const { return tabList_; }
    // The control takes the focus when clicked or tabbed to.
    virtual bool AcceptsFocus() const { return false; }
    // Accepts focus, is showing and enabled along the parent chain.
    virtual bool CanFocus() const;
    bool Focused() const;
    // Raises EInvalidOperation when the control cannot take the focus.
    virtual void SetFocus();
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    virtual void DoEnter();
    virtual void DoExit();

    // Keys reaching this control while it has the focus.
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);

    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool value);

    // The window handle, made on first use; messages posted to it reach WndProc.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != 0; }
    // Runs the message's handler at once and returns its result; errors reach the caller.
    LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // A handler for one message number (replaces an earlier one); it may call DefaultHandler.
    void SetMessageHandler(UINT message, TMessageHandler handler);
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    // From the queue: an error escaping a handler goes to the application's standard report.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void AlignControl(TControl* control);
    virtual void AlignControls(TControl* control, TRect& rect);
    void LoadingLayout() override;
    void LoadingBegun() override;
    void ParentPropertiesChanged() override;
    void BoundsResized() override { Realign(); }
    // Registers the handle now (forms have one from the start).
    void CreateHandle();

private:
    friend class TControl;
    friend class TAlignHold;
    // Takes the level down without aligning: for a hold an exception ends.
    void DropAlignLevel();
    void PlaceAligned(TControl* control, TAlign align, TRect& rect);

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    int alignLevel_ = 0;
    bool alignNeeded_ = false;
    TControl* positioning_ = nullptr;
    bool alignHeldForLoading_ = false;
    bool tabStop_ = false;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    HWND handle_ = 0;
    std::unordered_map<UINT, TMessageHandler> handlers_;
};

// DisableAlign for the length of a scope. Release() ends the hold as EnableAlign does, running the
// alignment held back meanwhile (which may raise); a scope left by an exception only takes the
// level back down, so the control is not left unaligned for good.
class TAlignHold {
public:
    explicit TAlignHold(TWinControl* control);
    ~TAlignHold();
    TAlignHold(const TAlignHold&) = delete;
    TAlignHold& operator=(const TAlignHold&) = delete;
    void Release();

private:
    TWinControl* control_;
};

// Makes peers for a control and everything inside it (parents first) and tells the backend.
void CreatePeers(TControl* control);
// Tells the backend the peers of a control and everything inside it are gone.
void DestroyPeers(TControl* control);
// Lays a control and everything inside it out for a shown window (parents first, hidden ones too,
// so that showing a section later needs nothing more). An error of one control goes to the
// application's standard report and the others are still laid out: the window shows regardless.
void LayOutShownControls(TControl* control);
