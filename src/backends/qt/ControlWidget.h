#pragma once
// The Qt widget of one windowed control. It paints the control and the graphic controls inside
// it, and turns the user's mouse into the toolkit's input calls, aimed at the graphic control
// under the mouse where there is one.

#include <QMenu>
#include <QPointer>
#include <QWidget>

class TControl;
class TControlScrollBar;
class TScrollBox;
class TWinControl;

class ControlWidget : public QWidget {
public:
    ControlWidget(TWinControl* control, QWidget* parent);

    TWinControl* Control() const { return control_; }
    // The model is going away: the widget stops reading it.
    void ForgetControl() { control_ = nullptr; }
    // Where the model's client coordinates start inside the widget (inside a scroll box's border).
    QPoint ClientOrigin() const;
    // The rectangle of a control inside this one, in widget coordinates.
    QRect RectOf(const TControl* child) const;

    virtual void SyncGeometry();
    virtual void SyncVisible();
    // Opens or closes a combo box's list as the model says, and marks the model's item in it.
    void SyncDropDown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // A right-click on the window's background opens its system menu.
    virtual void BackgroundContextMenu(QPoint globalPos);

private:
    // The graphic control under a point (topmost first), else this control; `local` gets the
    // point in the target's client coordinates.
    TControl* TargetAt(QPoint point, QPoint& local) const;
    bool HandleOwnPress(QMouseEvent* event, QPoint local);
    // A left press on a form's or scroll box's bar: an arrow or the track scrolls at once, the
    // thumb starts a drag.
    bool HandleScrollBarPress(QMouseEvent* event);
    void PopupComboList();

    TWinControl* control_;
    // Set when the control is a scroll box, whose client area starts inside its border.
    TScrollBox* scrollBox_;
    TControl* captured_ = nullptr;
    bool pressed_ = false;
    bool draggingTrack_ = false;
    TControlScrollBar* draggedBar_ = nullptr;
    int thumbGrab_ = 0;
    int thumbPosition_ = 0;
    QPointer<QMenu> comboList_;
};
