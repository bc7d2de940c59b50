// The ADAT windows opened and closed from the real mixer control window.

#include "ProgramHubFixture.h"
#include "controls/ExtControls.h"
#include "controls/TLevelMeter.h"
#include "driver/CardDiscovery.h"
#include "toolkit/UserInput.h"
#include "windows/AdatInp.h"
#include "windows/AdatOut.h"

#include <gtest/gtest.h>

namespace {

using AdatHubTest = ProgramHubTest;

TEST_F(AdatHubTest, TheBoxOpensTheMeteringWindowAndItsOwnCloseUnticksTheBox) {
    model->Card(1).input[5] = simcard::Signal::Sine(-6, 1000);
    ASSERT_TRUE(UserInput::Click(hub->chkAdatInputs));
    ASSERT_NE(frmAdatInp, nullptr);
    EXPECT_TRUE(frmAdatInp->Visible());
    EXPECT_EQ(frmAdatInp->Owner(), hub);
    EXPECT_TRUE(frmAdatInp->Metering());
    Run(100);
    EXPECT_GT(frmAdatInp->MeterTable()[14]->LitCount(), 0) << "card 1, channels 7 and 8";
    EXPECT_EQ(model->Handles().size(), 16u);

    ASSERT_TRUE(UserInput::CloseWindow(frmAdatInp));
    app.ProcessMessages();
    EXPECT_EQ(frmAdatInp, nullptr);
    EXPECT_FALSE(hub->chkAdatInputs->Checked());
    EXPECT_TRUE(model->Handles().empty());
}

TEST_F(AdatHubTest, AHandleThatCannotBeOpenedLeavesTheBoxUnticked) {
    model->Card(0).openFails[int(simcard::WaveDirection::Out)][5] = true;
    ASSERT_TRUE(UserInput::Click(hub->chkAdatOutputs));
    EXPECT_EQ(frmAdatOut, nullptr);
    EXPECT_FALSE(hub->chkAdatOutputs->Checked());
    EXPECT_TRUE(boxes->History().empty());
    EXPECT_TRUE(model->Handles().empty());

    model->Card(0).openFails[int(simcard::WaveDirection::Out)][5] = false;
    ASSERT_TRUE(UserInput::Click(hub->chkAdatOutputs));
    ASSERT_NE(frmAdatOut, nullptr);
    EXPECT_TRUE(frmAdatOut->Visible());
    ASSERT_TRUE(UserInput::Click(hub->chkDigitalInputs));
    EXPECT_EQ(frmAdatOut, nullptr) << "the digital family closes the ADAT windows";
}

} // namespace
