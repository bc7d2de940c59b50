// The input windows opened and closed from the real mixer control window.

#include "ProgramHubFixture.h"
#include "controls/ExtControls.h"
#include "driver/CardDiscovery.h"
#include "toolkit/UserInput.h"
#include "windows/AdatInp.h"
#include "windows/AnalogInp.h"
#include "windows/DigInp.h"

#include <gtest/gtest.h>

namespace {

using InputHubTest = ProgramHubTest;

TEST_F(InputHubTest, TheInputBoxesOpenBothInputWindowsAndTheirClosesUntickThem) {
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogInputs));
    ASSERT_NE(frmAnalogInp, nullptr);
    EXPECT_TRUE(frmAnalogInp->Visible());
    EXPECT_EQ(frmAnalogInp->Owner(), hub);
    ASSERT_TRUE(UserInput::Click(hub->chkAdatInputs));
    ASSERT_TRUE(UserInput::Click(hub->chkDigitalInputs));
    ASSERT_NE(frmDigInp, nullptr);
    EXPECT_TRUE(frmDigInp->Visible());
    EXPECT_EQ(frmAdatInp, nullptr) << "the digital family closes the ADAT windows";
    EXPECT_NE(frmAnalogInp, nullptr);
    EXPECT_EQ(model->Handles().size(), 8u);

    ASSERT_TRUE(UserInput::CloseWindow(frmDigInp));
    ASSERT_TRUE(UserInput::CloseWindow(frmAnalogInp));
    app.ProcessMessages();
    EXPECT_EQ(frmDigInp, nullptr);
    EXPECT_EQ(frmAnalogInp, nullptr);
    EXPECT_FALSE(hub->chkDigitalInputs->Checked());
    EXPECT_FALSE(hub->chkAnalogInputs->Checked());
    EXPECT_TRUE(model->Handles().empty());
}

} // namespace
