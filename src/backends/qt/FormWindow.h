#pragma once
// The Qt window of a form. Its size is the form's client size; the model's outer size adds the
// classic frame, and the limits WM_GETMINMAXINFO gives (outer sizes) are converted to it. The
// model's Left and Top are the top-left corner of the frame the desktop draws around the window,
// both when a place is applied and when one is read back. The user's moves and resizes, close
// box, maximise and restore, activation and keys go to the model; the model's placement,
// caption, icon, border, topmost and window state come back.

#include "backends/qt/ControlWidget.h"

#include <QPointer>
#include <QWindow>

class TCustomForm;

class FormWindow : public ControlWidget {
public:
    explicit FormWindow(TCustomForm* form);

    TCustomForm* Form() const;

    void SyncGeometry() override;
    void SyncVisible() override;
    void SyncCaption();
    void SyncIcon();
    // Border style and topmost: both are window flags.
    void SyncFlags();
    void SyncWindowState();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Applies the limits of WM_GETMINMAXINFO, converted to client sizes.
    void ApplyLimits();
    // Gives the window the model's limits, size and place.
    void Place();
    // The frame around the client area in the normal state: the desktop's own once it has
    // framed this window, else the one it last drew around a window of this kind.
    QMargins Frame() const;
    // The desktop has framed the shown window: where it put it is checked against the model.
    void Framed();
    // Tells the model where the frame of the normal window is, when that is not where the model
    // has it.
    void ReportPlace();
    void WatchNativeWindow();

    // Set while the model's state is being applied, so that the resulting Qt events do not
    // travel back to the model.
    int syncing_ = 0;
    // The desktop has framed the window since it was last shown.
    bool framed_ = false;
    // The desktop's frame around the window in its normal state, once framed.
    QMargins normalFrame_;
    // A move is to be read back once the desktop's pending events are handled.
    bool reportDue_ = false;
    // Just framed and placed again: the desktop's answers are awaited before moves count.
    bool settling_ = false;
    QPointer<QWindow> watched_;
};
