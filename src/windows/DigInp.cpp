// Sections: construction and the creation steps; the show and the rate; the sections.
#include "windows/DigInp.h"

#include "controls/ExtControls.h"
#include "driver/DriverMessages.h"
#include "forms/AboutBox.h"
#include "forms/WindowChrome.h"
#include "toolkit/TBevel.h"
#include "toolkit/TTimer.h"

#include <algorithm>
#include <string>

TfrmDigInp* frmDigInp = nullptr;

namespace {

ChannelWindowParams DigInpParams() {
    ChannelWindowParams params;
    params.kind = KindDigital;
    params.isOutput = false;
    params.handlesPerCard = 2;
    params.pairsPerCard = 1;
    params.stripWidth = TfrmDigInp::kStripWidth;
    params.basePinnedHeight = TfrmDigInp::kBasePinnedHeight;
    params.minTrackWidth = TfrmDigInp::kMinTrackWidth;
    params.maxTrackWidth = &TfrmDigInp::MaxWidth;
    return params;
}

} // namespace

TfrmDigInp::TfrmDigInp(TComponent* owner) : TInputWindow(owner, DigInpParams()) {
    LoadDesign([this] {
        Design();
        WireReactions();
    });
}

int TfrmDigInp::MaxWidth(int cards) {
    return std::max(kMinTrackWidth, kStripWidth * cards + 20);
}

void TfrmDigInp::WireReactions() {
    chkInpSelRate->OnClick = [this](TObject* s) { chkInpSelRateClick(s); };
    chkPeakMeter->OnClick = [this](TObject* s) { chkPeakMeterClick(s); };
    for (TRadioButton* button : {btnOptical, btnElectrical, btnCd})
        button->OnClick = [this](TObject* s) { btnRouteClick(s); };
    WireMonitorReactions();
    RateTimer->OnTimer = [this](TObject* s) { RateTimerTimer(s); };
}

// --- Creation steps ----------------------------------------------------------------------------

void TfrmDigInp::AssignTags() {
    btnOptical->SetTag(InputOptical);
    btnElectrical->SetTag(InputElectrical);
    btnCd->SetTag(InputCd);
    AssignMonitorTags();
}

std::vector<TChannelWindow::StripContainer> TfrmDigInp::StripContainers() {
    TCloneCallback strip = [this](TObject*, TControl*& copy) { StripCopied(copy); };
    return {
        {pnLevel, true, strip}, {pnInpStat, true, strip}, {pnHeader, false, HeaderLabelCallback()}};
}

// Card k's copies: its panels tagged with k, its rate label with k + 1 (its place in the rate
// label table); the bevel exists once.
void TfrmDigInp::StripCopied(TControl*& copy) {
    if (dynamic_cast<TPanel*>(copy))
        copy->SetTag(CloningCard());
    else if (dynamic_cast<TLabel*>(copy) && copy->Tag() > 0)
        copy->SetTag(CloningCard() + 1);
    else if (dynamic_cast<TBevel*>(copy))
        FreeAndNil(copy);
}

void TfrmDigInp::WireClones() {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* label = dynamic_cast<TLabel*>(Components(i));
            label && label->Tag() > 0 && label->Tag() <= kMaxCards)
            rateLabels_[static_cast<std::size_t>(label->Tag())] = label;
}

bool TfrmDigInp::ObtainBlocks() {
    const bool peak = ObtainBlock(peakBlock_, kPeakBlockSize);
    const bool rate = ObtainBlock(rateBlock_, kQuadBlockSize);
    return peak && rate;
}

// --- The show and the rate ---------------------------------------------------------------------

bool TfrmDigInp::ObtainCardBlocks() {
    if (!LoadMonitorStates())
        return false;
    CheckButtonsFromState(pnInpSelParent, MonitorState::kInputSelect);
    CheckMonitorButtons();
    return true;
}

// The timer runs from the show until the window is destroyed.
void TfrmDigInp::StartWindow() {
    RateTimer->SetEnabled(true);
}

// One rate block serves every card in turn.
void TfrmDigInp::RateTimerTimer(TObject*) {
    if (!rateBlock_.Usable())
        return;
    for (int card = 0; card < Cards(); ++card) {
        TLabel* label = RateLabel(card);
        // A refused read would leave the previous card's rate in the block: the card keeps what
        // it showed rather than another card's rate.
        if (SendControlMessage(HandleEntry(2 * card), INMSG_GET_RATE, rateBlock_.Address()) !=
                DRIVER_DONE ||
            !label)
            continue;
        const auto rate = static_cast<std::uint32_t>(ReadRateBlock(rateBlock_.Flat()));
        label->SetCaption(rate != 0 ? std::to_string(rate) + " Hz" : "No Lock");
    }
}

// --- The sections ------------------------------------------------------------------------------

void TfrmDigInp::chkInpSelRateClick(TObject*) {
    UpdateSystemMenuItem(chkInpSelRate);
    const int height = pnInpStat->Height();
    if (chkInpSelRate->Checked())
        ShowSection(pnInpStat, height, {pnLevel});
    else
        HideSection(pnInpStat, height, {pnLevel}, {pnInpStat, pnLevel});
}

// The bevel at the foot of the input section belongs to the meters below it.
void TfrmDigInp::chkPeakMeterClick(TObject*) {
    UpdateSystemMenuItem(chkPeakMeter);
    ToggleLastMeterSection(chkPeakMeter, bvLine, {pnInpStat, pnLevel});
}

std::vector<TObject*> TfrmDigInp::SystemCommandTargets() const {
    return {chkPeakMeter, chkInpSelRate, AboutBox, pnChecks};
}
