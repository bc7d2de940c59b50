#pragma once
// The two ADAT windows: the plain form of a channel window. Each card has eight handles on its
// four ADAT devices and four metered pairs; the meters are the only section, and the ground
// panel is that section. Channel numbers run on over the cards (9..16 for the second card).

#include "windows/ChannelWindow.h"

class TExtCheckBox;
class TScrollBox;

class TAdatWindow : public TChannelWindow {
public:
    const char* ClassName() const override { return "TAdatWindow"; }

    // Designed controls both windows have; the ground panel is named by each window.
    TPanel* pnChecks = nullptr;
    TExtCheckBox* chkPeakMeter = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TPanel* pnMeters = nullptr;
    TPanel* pnNumbers = nullptr;

    static constexpr int kHandlesPerCard = 8;
    static constexpr int kPairsPerCard = 4;
    static constexpr int kStripWidth = 312;
    static constexpr int kBasePinnedHeight = 296;
    static constexpr int kMinTrackWidth = 174;
    static int MaxWidth(int cards) { return 330 * cards - 16 * (cards - 1); }

protected:
    TAdatWindow(TComponent* owner, bool isOutput);
    // Binds the check box's reaction; the window's constructor calls it after its design.
    void WireReactions();

    TPanel* ControlPanel() const override { return pnChecks; }
    TControl* MeterSection() const override;
    std::vector<StripContainer> StripContainers() override;
    std::vector<TObject*> SystemCommandTargets() const override;
    void ResetCloneCounters() override { channelNumber_ = 8; }

private:
    void chkPeakMeterClick(TObject* Sender);

    int channelNumber_ = 8; // the last channel number given to a copied label
};
