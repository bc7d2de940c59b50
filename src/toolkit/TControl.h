#pragma once
// A visual component: parent, bounds, alignment, own Visible and Enabled flags, caption, font,
// colour, hints, cursor and the mouse events. Graphic controls (no window of their own) derive from
// this directly; windowed controls from TWinControl.

#include "toolkit/BackendObserver.h"
#include "toolkit/EventSlot.h"
#include "toolkit/Graphics.h"
#include "toolkit/TComponent.h"
#include "toolkit/Types.h"

#include <string>

class TWinControl;
class TCustomForm;

using TControlStyle = unsigned;
constexpr TControlStyle csClickEvents = 1;  // a completed left click runs Click()
constexpr TControlStyle csDoubleClicks = 2; // a double click runs DblClick()
constexpr TControlStyle csAcceptsControls = 4;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    const char* ClassName() const override { return "TControl"; }
    virtual bool IsWindowed() const { return false; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    // What the control shows, in its parent's client coordinates: its bounds, and for a control
    // a sibling helps draw (a fader's knob) that sibling too. Scrolling into view shows all of it.
    virtual TRect ShownRect() const { return BoundsRect(); }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent visible up to a shown window.
    bool Showing() const;

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    // Enabled, and every parent enabled: what the user can act on.
    bool EnabledInParents() const;

    // Caption and Text are one property, as in the classic library.
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& caption) { SetText(caption); }
    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& text);

    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);

    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    // The name assistive technology reads where neither the caption nor a label beside the
    // control says what it is (a symbol caption, a list between two others); empty for those
    // that need none.
    const std::string& AccessibleName() const { return accessibleName_; }
    void SetAccessibleName(const std::string& name);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    TControlStyle ControlStyle() const { return controlStyle_; }

    TEventSlot<TNotifyEvent> OnClick;
    TEventSlot<TNotifyEvent> OnDblClick;
    TEventSlot<TNotifyEvent> OnResize;
    TEventSlot<TMouseEvent> OnMouseDown;
    TEventSlot<TMouseMoveEvent> OnMouseMove;
    TEventSlot<TMouseEvent> OnMouseUp;

    // What a completed click does; runs OnClick.
    virtual void Click();
    virtual void DblClick();

    // Mouse input as the user gives it (x, y in this control's client area). UserInput calls these.
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick);
    void HandleMouseMove(TShiftState shift, int x, int y);
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y);

    // Asks the backend to repaint the control.
    void Invalidate();
    bool HasPeer() const { return hasPeer_; }
    // Pushes a change to the backend once the control has a peer.
    void Changed(TControlProperty which);
    void BringToFront();
    void SendToBack();

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // What a completed left click means for this control (a check box toggles); default Click().
    virtual void UserClicked() { Click(); }
    virtual void Resize();
    // The size changed: a windowed control lays its children out again (before OnResize runs).
    virtual void BoundsResized() {}
    // Asks the parent to lay its aligned children out again.
    void RequestAlign();
    // Font, colour, hint flag and 3-D look taken from the parent.
    virtual void ParentPropertiesChanged();
    // The control's window is being shown, or the control entered a shown window: a control that
    // places parts of itself (the slider its knob) does so here, before the window's OnShow runs.
    // Runs at every show, with or without a backend.
    virtual void LayOutForShow() {}

    // Reactions to state set from code run only once loading is over.
    bool Reacting() const { return !Loading() && !Destroying(); }

    TControlStyle controlStyle_ = csClickEvents | csDoubleClicks;

private:
    friend class TWinControl;
    friend class UserInput;
    friend void CreatePeers(TControl* control);
    friend void DestroyPeers(TControl* control);
    friend void LayOutShownControls(TControl* control);
    void FontChanged();

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    std::string text_;
    TFont font_;
    bool parentFont_ = true;
    bool applyingParentFont_ = false;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::string hint_;
    std::string accessibleName_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    bool clicked_ = false;
    bool hasPeer_ = false;
};

// The form a control sits on (its topmost parent when that is a form), or null.
TCustomForm* GetParentForm(const TControl* control);
