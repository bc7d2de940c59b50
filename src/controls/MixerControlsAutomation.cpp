#include "controls/MixerControlsAutomation.h"

#include "controls/TBarGraph.h"
#include "controls/TLevelMeter.h"
#include "controls/TSlider.h"
#include "toolkit/UserInput.h"
#include "toolkit/automation/ControlAutomation.h"
#include "toolkit/automation/RequestWords.h"

#include <algorithm>

namespace {

std::string DragSlider(TSlider* slider, const std::string& value) {
    auto target = ParseInt(value);
    if (!target)
        return NotANumber(value);
    const int low = std::min(slider->Min(), slider->Max());
    const int high = std::max(slider->Min(), slider->Max());
    if (*target < low || *target > high)
        return value + " is outside " + std::to_string(low) + ".." + std::to_string(high);
    TPanel* knob = slider->Knob();
    if (!knob || !slider->LaidOut())
        return "the slider has no knob placed yet";
    if (!knob->EnabledInParents())
        return "disabled";
    // Pressed in the knob's middle and moved so far that the knob's offset becomes the target's:
    // moving the mouse down lowers the knob.
    const int x = knob->Width() / 2;
    const int y = knob->Height() / 2;
    const int moved = slider->Offset() - slider->OffsetNearest(*target);
    UserInput::MouseDown(knob, mbLeft, 0, x, y);
    UserInput::MouseMove(knob, ssLeft, x, y + moved);
    UserInput::MouseUp(knob, mbLeft, 0, x, y + moved);
    return {};
}

} // namespace

void RegisterMixerControlsAutomation() {
    RegisterControlAutomation(AutomationFor<TBarGraph>(
        [](const TBarGraph* bar, std::string& out) {
            AddAttribute(out, "level", bar->Level());
            AddAttribute(out, "lit", bar->LitCount());
        },
        {}, false));
    RegisterControlAutomation(AutomationFor<TLevelMeter>(
        [](const TLevelMeter* meter, std::string& out) {
            AddAttribute(out, "level", meter->Level());
            AddAttribute(out, "lit", meter->LitCount());
            AddAttribute(out, "peak", meter->PeakLumi());
        },
        {}, false));
    RegisterControlAutomation(AutomationFor<TSlider>(
        [](const TSlider* slider, std::string& out) {
            AddAttribute(out, "position", slider->Position());
        },
        DragSlider));
}
