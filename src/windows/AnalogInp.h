#pragma once
// The analog input window ("Analog Input"): for every card, where and when the stereo analog
// input is monitored, its peak levels, and two gain faders with a link box. Card k's faders are
// numbered 2k and 2k + 1, their handle-table entries; a fader position p is the gain word p × 256.

#include "toolkit/TPanel.h"
#include "windows/InputWindow.h"

class TCheckBox;
class TExtCheckBox;
class TExtRadioButton;
class TLevelMeter;
class TSlider;

class TfrmAnalogInp : public TInputWindow {
public:
    explicit TfrmAnalogInp(TComponent* owner);
    const char* ClassName() const override { return "TfrmAnalogInp"; }

    static constexpr int kStripWidth = 140;
    static constexpr int kBasePinnedHeight = 624;
    static constexpr int kMinTrackWidth = 155;
    static int MaxWidth(int cards);

    // The gain word of a fader position and the position of a gain word (rounded, halves to even).
    static WORD GainWordOf(int position) { return static_cast<WORD>(position * 256); }
    static int PositionOfGainWord(WORD word);

    const SharedBlock& GainBlock() const { return gainBlock_; }
    // Set from the show on, cleared only while the gains are read and while one fader change is
    // handled.
    bool ChangeGuard() const { return changeGuard_; }

    TExtCheckBox* chkRouting = nullptr;
    TExtCheckBox* chkGainSlider = nullptr;
    TPanel* grpInput = nullptr; // the ground panel
    TPanel* pnInpMon = nullptr; // the monitor section
    TPanel* pnMeters = nullptr; // the meter section
    TPanel* pnMeter12 = nullptr;
    TPanel* pnSliders = nullptr; // the fader section
    TPanel* pnSlider12 = nullptr;
    TSlider* Slider0 = nullptr;
    TSlider* Slider1 = nullptr;
    TCheckBox* chkLink12 = nullptr;
    TPanel* pnNumbers = nullptr;

protected:
    TPanel* GroundPanel() const override { return grpInput; }
    TControl* MeterSection() const override { return pnMeters; }
    std::vector<StripContainer> StripContainers() override;
    std::vector<TObject*> SystemCommandTargets() const override;
    void AssignTags() override;
    void ResetCloneCounters() override;
    void WireClones() override;
    bool ObtainBlocks() override;
    bool ObtainCardBlocks() override;
    void PrepareShow() override;
    void ReadDriverState() override;

private:
    // The designed layout (AnalogInpDesign.cpp).
    void Design();
    void WireReactions();

    void StripCopied(TControl*& copy);
    void ReadGains();
    void chkRoutingClick(TObject* Sender);
    void chkPeakMeterClick(TObject* Sender);
    void chkGainSliderClick(TObject* Sender);
    void Slider3Change(TObject* Sender);
    void chkLinkClick(TObject* Sender);
    // The meter and fader sections share the numbers row below them.
    void ShowWithNumbers(TControl* section, int height, const std::vector<TControl*>& below);
    void HideWithNumbers(TControl* section, int height, const std::vector<TControl*>& below);

    SharedBlock gainBlock_;
    bool changeGuard_ = false;
    int sliderNumber_ = 2;   // the Number of the next copied fader
    int linkPairNumber_ = 1; // names the next copied link box chkLink<2m+1><2m+2>
};

// The window while it exists, else null.
extern TfrmAnalogInp* frmAnalogInp;
