#pragma once
// What a desktop backend hears from the model. The model is the only truth: a backend shows it
// and feeds the user's input back through UserInput. A control has a peer once the backend made
// one for it (when its form is first shown); only then are its changes pushed.

class TControl;

enum class TControlProperty {
    Bounds,
    Visible,
    Enabled,
    Caption,
    Font,
    Color,
    Hint,
    Cursor,
    Parent,
    State, // checked, down, position, index, text: the control's own value
    Items,
    Style, // bevels, borders, alignment and other looks
    Topmost,
    WindowState,
    Focus,
};

class IBackendObserver {
public:
    virtual ~IBackendObserver() = default;
    virtual void ControlCreated(TControl* control) = 0;
    virtual void ControlDestroyed(TControl* control) = 0;
    virtual void PropertyChanged(TControl* control, TControlProperty which) = 0;
    virtual void Invalidate(TControl* control) = 0;
};

// The backend attaches itself once at start; null detaches.
void SetBackendObserver(IBackendObserver* observer);
IBackendObserver* BackendObserver();
