#pragma once
// The digital input window ("Digital Input"): for every card, which physical input feeds the
// digital input (optical, electrical, CD), the sample rate the card is locked to or "No Lock",
// where and when the input is monitored, and its peak levels. The rate is asked once a second.

#include "toolkit/TPanel.h"
#include "windows/InputWindow.h"

#include <array>

class TExtCheckBox;
class TExtRadioButton;
class TLabel;
class TTimer;

class TfrmDigInp : public TInputWindow {
public:
    explicit TfrmDigInp(TComponent* owner);
    const char* ClassName() const override { return "TfrmDigInp"; }

    static constexpr int kStripWidth = 134;
    static constexpr int kBasePinnedHeight = 537;
    static constexpr int kMinTrackWidth = 155;
    static constexpr UINT kRateIntervalMs = 1000;
    static int MaxWidth(int cards);

    // The rate label of a card (0 .. n-1).
    TLabel* RateLabel(int card) const { return rateLabels_.at(static_cast<std::size_t>(card) + 1); }
    const SharedBlock& RateBlock() const { return rateBlock_; }

    TExtCheckBox* chkInpSelRate = nullptr;
    TPanel* pnGround = nullptr;  // the ground panel
    TPanel* pnInpStat = nullptr; // the input section: select, rate and monitor
    TPanel* pnInpSelParent = nullptr;
    TExtRadioButton* btnOptical = nullptr;
    TExtRadioButton* btnElectrical = nullptr;
    TExtRadioButton* btnCd = nullptr;
    TExtLabel* lbR = nullptr;
    TExtLabel* lbRate = nullptr;
    TPanel* pnLevel = nullptr; // the meter section
    TPanel* Panel10 = nullptr;
    TTimer* RateTimer = nullptr;

protected:
    TPanel* GroundPanel() const override { return pnGround; }
    TControl* MeterSection() const override { return pnLevel; }
    std::vector<StripContainer> StripContainers() override;
    std::vector<TObject*> SystemCommandTargets() const override;
    void AssignTags() override;
    void WireClones() override;
    bool ObtainBlocks() override;
    bool ObtainCardBlocks() override;
    void StartWindow() override;

private:
    // The designed layout (DigInpDesign.cpp).
    void Design();
    void WireReactions();

    void StripCopied(TControl*& copy);
    void chkInpSelRateClick(TObject* Sender);
    void chkPeakMeterClick(TObject* Sender);
    void btnRouteClick(TObject* Sender) { ChooseMonitorByte(Sender, MonitorState::kInputSelect); }
    void RateTimerTimer(TObject* Sender);

    SharedBlock rateBlock_;
    // Indexed by card + 1: lbRate for card 0, its copies for the further cards.
    std::array<TLabel*, kMaxCards + 1> rateLabels_{};
};

// The window while it exists, else null.
extern TfrmDigInp* frmDigInp;
