// Sections: construction and the creation steps; the show (monitor states and gains); the faders;
// the sections.
#include "windows/AnalogInp.h"

#include "controls/ExtControls.h"
#include "controls/TSlider.h"
#include "driver/CardDiscovery.h"
#include "driver/DriverMessages.h"
#include "forms/AboutBox.h"
#include "forms/WindowChrome.h"
#include "toolkit/Convert.h"
#include "toolkit/TBevel.h"
#include "toolkit/TPanel.h"

#include <algorithm>
#include <string>

TfrmAnalogInp* frmAnalogInp = nullptr;

namespace {

ChannelWindowParams AnalogInpParams() {
    ChannelWindowParams params;
    params.kind = KindAnalog;
    params.isOutput = false;
    params.handlesPerCard = 2;
    params.pairsPerCard = 1;
    params.stripWidth = TfrmAnalogInp::kStripWidth;
    params.basePinnedHeight = TfrmAnalogInp::kBasePinnedHeight;
    params.minTrackWidth = TfrmAnalogInp::kMinTrackWidth;
    params.maxTrackWidth = &TfrmAnalogInp::MaxWidth;
    return params;
}

// The faders of a strip: the sliders among the panel's children, in child order.
std::vector<TSlider*> FadersOf(const TWinControl* panel) {
    std::vector<TSlider*> faders;
    if (panel)
        for (int i = 0; i < panel->ControlCount(); ++i)
            if (auto* slider = dynamic_cast<TSlider*>(panel->Controls(i)))
                faders.push_back(slider);
    return faders;
}

// Clears a flag for the lifetime of the scope and sets it again at its end (also when an error
// leaves).
class FlagClearedWhile {
public:
    explicit FlagClearedWhile(bool& flag) : flag_(flag) { flag_ = false; }
    ~FlagClearedWhile() { flag_ = true; }
    FlagClearedWhile(const FlagClearedWhile&) = delete;
    FlagClearedWhile& operator=(const FlagClearedWhile&) = delete;

private:
    bool& flag_;
};

} // namespace

TfrmAnalogInp::TfrmAnalogInp(TComponent* owner) : TInputWindow(owner, AnalogInpParams()) {
    LoadDesign([this] {
        Design();
        WireReactions();
    });
}

int TfrmAnalogInp::MaxWidth(int cards) {
    return std::max(kMinTrackWidth, kStripWidth * cards + 24);
}

int TfrmAnalogInp::PositionOfGainWord(WORD word) {
    return RoundHalfEven(word / 256.0);
}

void TfrmAnalogInp::WireReactions() {
    chkRouting->OnClick = [this](TObject* s) { chkRoutingClick(s); };
    chkPeakMeter->OnClick = [this](TObject* s) { chkPeakMeterClick(s); };
    chkGainSlider->OnClick = [this](TObject* s) { chkGainSliderClick(s); };
    WireMonitorReactions();
    for (TSlider* slider : {Slider0, Slider1})
        slider->OnChange = [this](TObject* s) { Slider3Change(s); };
    chkLink12->OnClick = [this](TObject* s) { chkLinkClick(s); };
}

// --- Creation steps ----------------------------------------------------------------------------

void TfrmAnalogInp::AssignTags() {
    AssignMonitorTags();
}

void TfrmAnalogInp::ResetCloneCounters() {
    sliderNumber_ = 2;
    linkPairNumber_ = 1;
}

std::vector<TChannelWindow::StripContainer> TfrmAnalogInp::StripContainers() {
    TCloneCallback strip = [this](TObject*, TControl*& copy) { StripCopied(copy); };
    return {{pnInpMon, true, strip},
            {pnMeters, true, strip},
            {pnSliders, true, strip},
            {pnNumbers, true, {}},
            {pnHeader, false, HeaderLabelCallback()}};
}

// Card k's copies: its faders numbered 2k and 2k + 1 (their handle entries), its panels tagged
// with k, its link box named after its faders' channels; the bevel exists once.
void TfrmAnalogInp::StripCopied(TControl*& copy) {
    if (auto* slider = dynamic_cast<TSlider*>(copy)) {
        slider->SetNumber(sliderNumber_);
        slider->SetName("Slider" + std::to_string(sliderNumber_));
        ++sliderNumber_;
    } else if (dynamic_cast<TPanel*>(copy)) {
        copy->SetTag(CloningCard());
    } else if (dynamic_cast<TCheckBox*>(copy)) {
        const int m = linkPairNumber_++;
        copy->SetName("chkLink" + std::to_string(2 * m + 1) + std::to_string(2 * m + 2));
    } else if (dynamic_cast<TBevel*>(copy)) {
        FreeAndNil(copy);
    }
}

// Each copied fader pair is linked by its own copied link box.
void TfrmAnalogInp::WireClones() {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* slider = dynamic_cast<TSlider*>(Components(i));
        if (!slider || slider->LinkCheck() || !slider->Parent())
            continue;
        TWinControl* parent = slider->Parent();
        for (int c = 0; c < parent->ControlCount(); ++c)
            if (auto* box = dynamic_cast<TCheckBox*>(parent->Controls(c))) {
                slider->SetLinkCheck(box);
                break;
            }
    }
}

bool TfrmAnalogInp::ObtainBlocks() {
    const bool gain = ObtainBlock(gainBlock_, kQuadBlockSize);
    const bool peak = ObtainBlock(peakBlock_, kPeakBlockSize);
    return gain && peak;
}

// --- The show ----------------------------------------------------------------------------------

bool TfrmAnalogInp::ObtainCardBlocks() {
    if (!LoadMonitorStates())
        return false;
    CheckMonitorButtons();
    return true;
}

void TfrmAnalogInp::PrepareShow() {
    changeGuard_ = true;
    // The designed height is shorter than the window's sections: the window takes the height it
    // is pinned to before its placement is restored.
    SetHeight(PinnedHeight());
}

void TfrmAnalogInp::ReadDriverState() {
    if (DriverPresent)
        ReadGains();
}

// Each fader takes the word of its own channel from the card's gain block: even channels the low
// word, odd channels the high word. The change guard is cleared meanwhile, so nothing goes back.
void TfrmAnalogInp::ReadGains() {
    FlagClearedWhile guard(changeGuard_);
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* slider = dynamic_cast<TSlider*>(Components(i));
        if (!slider || slider->Number() < 0 || slider->Number() >= 2 * Cards())
            continue;
        // A refused read would leave another fader's word in the block: the fader stays put
        // rather than show (and later send) a gain that is not its own.
        if (SendControlMessage(HandleEntry(slider->Number()), INMSG_GET_GAIN,
                               gainBlock_.Address()) != DRIVER_DONE)
            continue;
        const GainWords words = ReadGainBlock(gainBlock_.Flat());
        // A word beyond the fader's travel shows at its nearest end instead of failing the show.
        const int position = PositionOfGainWord(words.OfChannel(slider->Number()));
        slider->SetPosition(std::clamp(position, slider->Min(), slider->Max()));
    }
}

// --- The faders --------------------------------------------------------------------------------

void TfrmAnalogInp::Slider3Change(TObject* Sender) {
    if (!changeGuard_)
        return;
    auto* moved = dynamic_cast<TSlider*>(Sender);
    if (!moved)
        return;
    // A linked strip follows the moved fader. The guard is cleared meanwhile, so the others'
    // changes send nothing of their own: one message carries the strip's words.
    FlagClearedWhile guard(changeGuard_);
    const std::vector<TSlider*> faders = FadersOf(moved->Parent());
    if (moved->LinkCheck() && moved->LinkCheck()->Checked())
        for (TSlider* fader : faders)
            fader->SetPosition(moved->Position());
    // classic behaviour: each fader's word comes in from the high end, so the strip's first fader
    // ends up in the left (low) word and the second in the right (high) word.
    GainWords words;
    for (TSlider* fader : faders) {
        words.left = words.right;
        words.right = GainWordOf(fader->Position());
    }
    if (moved->Number() >= 0 && moved->Number() < 2 * Cards())
        SendControlMessage(HandleEntry(moved->Number()), INMSG_SET_GAIN, words.Packed());
}

// classic behaviour: checking a link box moves every fader of the strip to the first one, each
// move sending the pair's gains (twice with equal words); clearing it sends nothing.
void TfrmAnalogInp::chkLinkClick(TObject* Sender) {
    auto* box = dynamic_cast<TCheckBox*>(Sender);
    if (!box || !box->Checked())
        return;
    const std::vector<TSlider*> faders = FadersOf(box->Parent());
    if (faders.empty())
        return;
    const int position = faders.front()->Position();
    for (TSlider* fader : faders)
        fader->SetPosition(position);
}

// --- The sections ------------------------------------------------------------------------------

void TfrmAnalogInp::ShowWithNumbers(TControl* section, int height,
                                    const std::vector<TControl*>& below) {
    ShowGroundPanel();
    if (!pnNumbers->Visible()) {
        pnNumbers->Show();
        bvLine->Show();
        grpInput->SetHeight(grpInput->Height() + pnNumbers->Height());
        ChangeHeight(pnNumbers->Height());
    }
    ShowSection(section, height, below);
}

void TfrmAnalogInp::HideWithNumbers(TControl* section, int height,
                                    const std::vector<TControl*>& below) {
    // The numbers row is still visible here, so the ground panel stays for now.
    HideSection(section, height, below, {pnMeters, pnSliders, pnNumbers});
    if (pnSliders->Visible() || pnMeters->Visible())
        return;
    pnNumbers->Hide();
    bvLine->Hide();
    grpInput->SetHeight(grpInput->Height() - pnNumbers->Height());
    ChangeHeight(-pnNumbers->Height());
    if (!pnInpMon->Visible())
        HideGroundPanel();
}

void TfrmAnalogInp::chkRoutingClick(TObject*) {
    UpdateSystemMenuItem(chkRouting);
    const int height = pnInpMon->Height();
    if (chkRouting->Checked())
        ShowSection(pnInpMon, height, {pnMeters, pnSliders, pnNumbers});
    else
        HideSection(pnInpMon, height, {pnMeters, pnSliders, pnNumbers},
                    {pnMeters, pnSliders, pnInpMon});
}

void TfrmAnalogInp::chkPeakMeterClick(TObject*) {
    UpdateSystemMenuItem(chkPeakMeter);
    const int height = pnMeter12->Height();
    if (chkPeakMeter->Checked()) {
        ShowWithNumbers(pnMeters, height, {pnSliders, pnNumbers});
        StartMetering();
    } else {
        StopMetering();
        HideWithNumbers(pnMeters, height, {pnSliders, pnNumbers});
    }
}

void TfrmAnalogInp::chkGainSliderClick(TObject*) {
    UpdateSystemMenuItem(chkGainSlider);
    const int height = pnSlider12->Height();
    if (chkGainSlider->Checked())
        ShowWithNumbers(pnSliders, height, {pnNumbers});
    else
        HideWithNumbers(pnSliders, height, {pnNumbers});
}

std::vector<TObject*> TfrmAnalogInp::SystemCommandTargets() const {
    return {chkGainSlider, chkRouting, chkPeakMeter, AboutBox, pnChecks};
}
