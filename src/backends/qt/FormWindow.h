#pragma once
// The Qt window of a form. Its size is the form's client size; the model's outer size adds the
// classic frame, and the limits WM_GETMINMAXINFO gives (outer sizes) are converted to it. The
// user's moves and resizes, close box, activation and keys go to the model; the model's
// placement, caption, icon, border, topmost and window state come back.

#include "backends/qt/ControlWidget.h"

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

private:
    // Applies the limits of WM_GETMINMAXINFO, converted to client sizes.
    void ApplyLimits();
    void PlaceMaximized();

    // Set while the model's state is being applied, so that the resulting Qt events do not
    // travel back to the model.
    int syncing_ = 0;
};
