#pragma once
// Every toolkit test runs with a fresh application object, the virtual clock, scripted message
// boxes and an empty queue.

#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "platform/VirtualClock.h"
#include "toolkit/TApplication.h"

#include <gtest/gtest.h>

class ToolkitTest : public ::testing::Test {
protected:
    ToolkitTest() : previous_(Application) {
        MessageQueue::Instance().Clear();
        Application = &app;
        app.Initialize();
        app.SetTitle("Varnel PRO Manager");
    }
    ~ToolkitTest() override {
        app.DestroyComponents();
        MessageQueue::Instance().Clear();
        Application = previous_;
    }

    ScopedVirtualClock clock;
    ScopedScriptedMessageBoxes boxes;
    TApplication app;

private:
    TApplication* previous_;
};
