#include "windows/OutputDesign.h"

#include "controls/ExtControls.h"
#include "controls/TLevelMeter.h"
#include "toolkit/TBevel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "toolkit/TTimer.h"
#include "windows/MeterDesign.h"
#include "windows/OutputWindow.h"

namespace {

constexpr int kHeaderHeight = 21;
constexpr int kLevelHeight = 217;

TPanel* DesignPanel(TOutputWindow* window, TWinControl* parent, const std::string& name) {
    auto* panel = new TPanel(window);
    panel->SetName(name);
    panel->SetParent(parent);
    panel->SetBevelOuter(bvNone);
    return panel;
}

TExtLabel* DesignLabel(TOutputWindow* window, TWinControl* parent, const std::string& name,
                       int left, int top, const std::string& german, const std::string& english) {
    auto* label = new TExtLabel(window);
    label->SetName(name);
    label->SetParent(parent);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(german);
    label->SetCaptionEnglish(english);
    label->SetCaptionGerman(german);
    return label;
}

TExtCheckBox* DesignCheck(TOutputWindow* window, const std::string& name, int top,
                          const std::string& german, const std::string& english) {
    auto* box = new TExtCheckBox(window);
    box->SetName(name);
    box->SetParent(window->pnChecks);
    box->SetBounds(8, top, 140, 17);
    box->SetTag(-1);
    box->SetCaption(german);
    box->SetCaptionEnglish(english);
    box->SetCaptionGerman(german);
    box->SetChecked(true);
    return box;
}

} // namespace

void DesignOutputFrame(TOutputWindow* w, const OutputDesignSizes& sizes,
                       const std::string& peakMeterEnglish) {
    w->pnGround = DesignPanel(w, w, "pnGround");
    w->pnGround->SetAlign(alTop);
    w->pnGround->SetHeight(sizes.groundHeight);

    w->ScrollBox1 = new TScrollBox(w);
    w->ScrollBox1->SetName("ScrollBox1");
    w->ScrollBox1->SetParent(w->pnGround);
    w->ScrollBox1->SetAlign(alClient);
    w->ScrollBox1->SetBorderStyle(bsNone);
    w->ScrollBox1->VertScrollBar().SetVisible(false);
    w->ScrollBox1->HorzScrollBar().SetIncrement(sizes.stripWidth);

    w->pnHeader = DesignPanel(w, w->ScrollBox1, "pnHeader");
    w->pnHeader->SetAlign(alTop);
    w->pnHeader->SetHeight(kHeaderHeight);
    DesignLabel(w, w->pnHeader, "lbLabel", 8, 4, "Karte #1", "Card #1");

    w->pnPlaybackSel = DesignPanel(w, w->ScrollBox1, "pnPlaybackSel");
    w->pnPlaybackSel->SetAlign(alTop);
    w->pnPlaybackSel->SetTop(kHeaderHeight);
    w->pnPlaybackSel->SetHeight(sizes.playbackHeight);
    w->pnRouteParent = DesignPanel(w, w->pnPlaybackSel, "pnRouteParent");
    w->pnRouteParent->SetBounds(2, 0, sizes.routeParentWidth, sizes.playbackHeight - 4);
    DesignLabel(w, w->pnRouteParent, "lbPlayback", 2, 2, " Wiedergabe:", " Playback:");
    w->bvLine = new TBevel(w);
    w->bvLine->SetName("bvLine");
    w->bvLine->SetParent(w->pnPlaybackSel);
    w->bvLine->SetAlign(alBottom);
    w->bvLine->SetHeight(2);
    w->bvLine->SetShape(bsBottomLine);

    w->pnLevel = DesignPanel(w, w->ScrollBox1, "pnLevel");
    w->pnLevel->SetBounds(0, sizes.levelTop, sizes.stripWidth, kLevelHeight);
    DesignMeterPanel(w, w->pnLevel, "pnMeter", sizes.meterLeft, 6, "PlayLvMeter1", "PlayLvMeter2");
    DesignScale(w, w->pnLevel, "lbScale", sizes.meterLeft + 56, 172);
    DesignLabel(w, w->pnLevel, "lbLeft", sizes.meterLeft + 11, 195, "L", "L");
    DesignLabel(w, w->pnLevel, "lbRight", sizes.meterLeft + 33, 195, "R", "R");
    static_cast<TLevelMeter*>(w->FindComponent("PlayLvMeter1"))->SetTag(0);
    static_cast<TLevelMeter*>(w->FindComponent("PlayLvMeter2"))->SetTag(1);

    w->pnChecks = DesignPanel(w, w, "pnChecks");
    w->pnChecks->SetAlign(alClient);
    w->pnChecks->SetTag(-1);
    w->pnChecks->SetHeight(sizes.checksHeight);
    w->chkPlaybackSel =
        DesignCheck(w, "chkPlaybackSel", 8, " &Wiedergabeauswahl", " Playback &Select");
    w->chkPeakMeter = DesignCheck(w, "chkPeakMeter", 26, " Peak &Meter", peakMeterEnglish);

    w->SecTimer = new TTimer(w);
    w->SecTimer->SetName("SecTimer");
    w->SecTimer->SetEnabled(false);
    w->SecTimer->SetInterval(TOutputWindow::kRoutePollMs);
}
