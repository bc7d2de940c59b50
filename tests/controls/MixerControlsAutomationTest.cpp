#include "controls/MixerControlsAutomation.h"

#include "controls/TLevelMeter.h"
#include "controls/TSlider.h"
#include "toolkit/TForm.h"
#include "toolkit/ToolkitFixture.h"
#include "toolkit/automation/AutomationCommands.h"

#include <memory>

namespace {

class MixerControlsAutomationTest : public ToolkitTest {
protected:
    MixerControlsAutomationTest() {
        RegisterMixerControlsAutomation();
        form = new TForm(&app);
        form->SetCaption("Mixer");
        form->SetBounds(0, 0, 300, 300);
        form->BeginLoading();
        slider = new TSlider(form);
        slider->SetName("sldGain");
        slider->SetParent(form);
        slider->SetBounds(12, 12, 4, 112);
        slider->SetMin(108);
        slider->SetMax(255);
        slider->SetPosition(108);
        slider->SetBtnHeight(26);
        slider->SetMoveRestriction(6);
        meter = new TLevelMeter(form);
        meter->SetName("lmLeft");
        meter->SetParent(form);
        meter->SetHeight(163);
        meter->SetLumiHeight(5);
        form->EndLoading();
        form->Show();
    }

    AutomationReply Run(std::vector<std::string> words) {
        AutomationReply reply;
        commands.Run(words, reply);
        return reply;
    }
    std::string Line(const std::string& name) {
        const std::string dump = Run({"dump", "Mixer"}).lines;
        std::size_t at = dump.find(" " + name + " ");
        std::size_t start = dump.rfind('\n', at) + 1;
        return dump.substr(start, dump.find('\n', at) - start);
    }

    AutomationCommands commands{std::make_shared<OpenMessageBoxes>()};
    TForm* form;
    TSlider* slider;
    TLevelMeter* meter;
};

TEST_F(MixerControlsAutomationTest, ASliderIsSetByDraggingItsKnobToTheNearestReachablePosition) {
    int changes = 0;
    slider->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(Run({"set", "Mixer", "sldGain", "123"}).error, "");
    EXPECT_EQ(slider->Position(), 123);
    EXPECT_GT(changes, 0) << "the drag ran the slider's reaction";
    // The window opened with its only Tab stop focused.
    EXPECT_NE(Line("sldGain").find(" position=123 focused=1 color=0x000000 "), std::string::npos)
        << Line("sldGain");
    // 147 steps over a travel of 100 pixels: 200 lies between the offsets' 199 and 201.
    EXPECT_EQ(Run({"set", "Mixer", "sldGain", "200"}).error, "");
    EXPECT_EQ(std::abs(slider->Position() - 200), 1);
    EXPECT_EQ(Run({"set", "Mixer", "sldGain", "255"}).error, "");
    EXPECT_EQ(slider->Position(), 255);
    EXPECT_EQ(Run({"set", "Mixer", "sldGain", "300"}).error, "300 is outside 108..255");
    EXPECT_EQ(Run({"set", "Mixer", "sldGain", "laut"}).error, "\"laut\" is not a whole number");
    slider->SetEnabled(false);
    EXPECT_EQ(Run({"set", "Mixer", "sldGain", "150"}).error, "disabled");
    EXPECT_EQ(slider->Position(), 255);
}

TEST_F(MixerControlsAutomationTest, AMeterShowsItsLevelLitLampsAndHeldPeakInsteadOfItsLamps) {
    meter->SetLevel(32767);
    const std::string line = Line("lmLeft");
    EXPECT_NE(line.find(" level=32767 lit=" + std::to_string(meter->LitCount()) +
                        " peak=" + std::to_string(meter->PeakLumi()) + " "),
              std::string::npos)
        << line;
    EXPECT_GT(meter->LitCount(), 0);
    EXPECT_EQ(Run({"dump", "Mixer"}).lines.find("TLumi"), std::string::npos);
}

} // namespace
