#include "windows/AdatWindow.h"

#include "controls/ExtControls.h"
#include "forms/AboutBox.h"
#include "forms/WindowChrome.h"
#include "toolkit/TPanel.h"

#include <string>

namespace {

ChannelWindowParams AdatParams(bool isOutput) {
    ChannelWindowParams params;
    params.kind = KindAdat;
    params.isOutput = isOutput;
    params.handlesPerCard = TAdatWindow::kHandlesPerCard;
    params.pairsPerCard = TAdatWindow::kPairsPerCard;
    params.stripWidth = TAdatWindow::kStripWidth;
    params.basePinnedHeight = TAdatWindow::kBasePinnedHeight;
    params.minTrackWidth = TAdatWindow::kMinTrackWidth;
    params.maxTrackWidth = &TAdatWindow::MaxWidth;
    return params;
}

} // namespace

TAdatWindow::TAdatWindow(TComponent* owner, bool isOutput)
    : TChannelWindow(owner, AdatParams(isOutput)) {}

void TAdatWindow::WireReactions() {
    chkPeakMeter->OnClick = [this](TObject* sender) { chkPeakMeterClick(sender); };
}

std::vector<TChannelWindow::StripContainer> TAdatWindow::StripContainers() {
    auto numbering = [this](TObject*, TControl*& copy) {
        if (dynamic_cast<TLabel*>(copy))
            copy->SetCaption(std::to_string(++channelNumber_));
    };
    return {{pnMeters, true, {}}, {pnNumbers, true, numbering}};
}

TControl* TAdatWindow::MeterSection() const {
    return GroundPanel();
}

std::vector<TObject*> TAdatWindow::SystemCommandTargets() const {
    return {chkPeakMeter, AboutBox, pnChecks};
}

// The meters are the window's only section: the ground panel comes and goes with them.
void TAdatWindow::chkPeakMeterClick(TObject*) {
    UpdateSystemMenuItem(chkPeakMeter);
    if (chkPeakMeter->Checked()) {
        ShowGroundPanel();
        StartMetering();
    } else {
        StopMetering();
        HideGroundPanel();
    }
}
