// The output windows opened from the real mixer control window, and what their routes do to the
// hub's other boxes.

#include "ProgramHubFixture.h"
#include "controls/ExtControls.h"
#include "driver/CardDiscovery.h"
#include "toolkit/UserInput.h"
#include "windows/AdatInp.h"
#include "windows/AnalogOut.h"
#include "windows/DigOut.h"

#include <gtest/gtest.h>

namespace {

class OutputHubTest : public ProgramHubTest {
protected:
    // Ticked and enabled, one letter per box: digital in, digital out, ADAT in, ADAT out.
    std::string Boxes() const {
        std::string state;
        for (TExtCheckBox* box : {hub->chkDigitalInputs, hub->chkDigitalOutputs, hub->chkAdatInputs,
                                  hub->chkAdatOutputs})
            state += std::string(box->Checked() ? "x" : "-") + (box->Enabled() ? "e" : "d") + " ";
        return state;
    }
};

TEST_F(OutputHubTest, RoutesKeepTheOtherFamilyOfDigitalWindowsClosed) {
    ASSERT_TRUE(UserInput::Click(hub->chkAdatInputs));
    ASSERT_NE(frmAdatInp, nullptr);
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogOutputs));
    ASSERT_NE(frmAnalogOut, nullptr);
    EXPECT_TRUE(frmAnalogOut->Visible());
    EXPECT_EQ(Boxes(), "-e -e xe -e ");

    // A digital source on card 1 closes the ADAT window and locks both ADAT boxes.
    ASSERT_TRUE(UserInput::Click(frmAnalogOut->RouteButton(1, 3)));
    app.ProcessMessages();
    EXPECT_EQ(frmAdatInp, nullptr);
    EXPECT_EQ(Boxes(), "-e -e -d -d ");
    EXPECT_FALSE(UserInput::Click(hub->chkAdatOutputs)) << "a user cannot tick a disabled box";

    ASSERT_TRUE(UserInput::Click(frmAnalogOut->RouteButton(1, 4)));
    EXPECT_EQ(Boxes(), "-d -d -e -e ");
    ASSERT_TRUE(UserInput::Click(frmAnalogOut->RouteButton(0, 2)));
    EXPECT_EQ(Boxes(), "-e -e -e -e ");

    // Unticking the box closes the window and every handle it held.
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogOutputs));
    EXPECT_EQ(frmAnalogOut, nullptr);
    EXPECT_TRUE(model->Handles().empty());
}

TEST_F(OutputHubTest, AdatMonitoringClosesTheDigitalOutputWindow) {
    ASSERT_TRUE(UserInput::Click(hub->chkDigitalOutputs));
    ASSERT_NE(frmDigOut, nullptr);
    EXPECT_TRUE(frmDigOut->Visible());
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogOutputs));
    ASSERT_TRUE(UserInput::Click(frmAnalogOut->RouteButton(0, 4)));
    app.ProcessMessages();
    EXPECT_EQ(frmDigOut, nullptr);
    EXPECT_EQ(Boxes(), "-d -d -e -e ");
    ASSERT_TRUE(UserInput::Click(frmAnalogOut->RouteButton(0, 0)));
    ASSERT_TRUE(UserInput::Click(hub->chkDigitalOutputs));
    ASSERT_NE(frmDigOut, nullptr);
    ASSERT_TRUE(UserInput::Click(hub->chkDigitalOutputs));
    ASSERT_TRUE(UserInput::Click(hub->chkAnalogOutputs));
    EXPECT_TRUE(model->Handles().empty());
}

} // namespace
