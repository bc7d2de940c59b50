#pragma once
// Every backend test runs the real Qt backend on the offscreen platform, with a fresh application
// object, the virtual clock and an empty queue.

#include "backends/qt/ClassicLook.h"
#include "backends/qt/ControlWidget.h"
#include "backends/qt/QtBackend.h"
#include "backends/qt/QtEventPump.h"
#include "platform/MessageQueue.h"
#include "platform/VirtualClock.h"
#include "toolkit/TApplication.h"

#include <gtest/gtest.h>

class QWidget;
class TControl;
class TCustomForm;

// Makes the one QApplication of the test program (offscreen) before the fixture's members.
struct QtApplicationFirst {
    QtApplicationFirst();
};

class BackendTest : private QtApplicationFirst, public ::testing::Test {
protected:
    BackendTest();
    ~BackendTest() override;

    // Lets Qt handle everything pending and paints what the frame gathered.
    void PumpQt();
    // The window of a form that the test shows.
    QWidget* ShowForm(TCustomForm* form);
    // The centre of a control in the coordinates of the widget that receives its mouse.
    static QPoint CentreIn(QWidget* widget, TControl* control);

    ScopedVirtualClock clock;
    TApplication app;
    QtTextMetrics metrics;
    QtBackend backend;
    QtEventPump pump;

private:
    TApplication* previous_;
};
