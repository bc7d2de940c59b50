#pragma once
// The analog output window ("Analog Output"): per card, what the analog output plays (the
// applications' playback, the digital output's signal, the analog input, the digital input or two
// chosen ADAT input channels) and a stereo meter of that signal. Choosing ADAT input or a digital
// signal keeps the mixer control window's other family of windows closed, since both need the
// card's digital interface. A route the driver refuses is reported and the previous one restored.

#include "windows/OutputWindow.h"

class TExtGroupBox;
class TExtRadioButton;
class TExtSpeedButton;

class TfrmAnalogOut : public TOutputWindow {
public:
    explicit TfrmAnalogOut(TComponent* owner);
    const char* ClassName() const override { return "TfrmAnalogOut"; }

    static constexpr int kStripWidth = 187;
    static constexpr int kBasePinnedHeight = 486;
    static constexpr int kMinTrackWidth = 205;
    static int MaxTrackWidth(int cards) { return 192 * cards + 8; }
    static int MaxSizeWidth(int cards) { return cards > 1 ? 192 * cards + 8 : 205; }

    TExtRadioButton* btnProgram = nullptr;
    TExtRadioButton* btnDigOut = nullptr;
    TExtRadioButton* btnAnaInp = nullptr;
    TExtRadioButton* btnDigInp = nullptr;
    TExtGroupBox* grpAdat = nullptr;
    TExtRadioButton* btnAdatInp = nullptr;
    // SpeedButton1..8: the left row (tags 0..7), SpeedButton9..16: the right row (0x10000 + 0..7).
    TExtSpeedButton* SpeedButton[16] = {};

    void btnAdatChnDown(TObject* Sender);

protected:
    RouteSource SourceOf(int code) const override;
    void AssignTags() override;
    void BeforeRouteChange(BYTE code) override;
    bool ChangeRoute(int card, const RouteState& next) override;

private:
    // The designed layout (AnalogOutDesign.cpp).
    void Design();
};

// The window while it exists, else null.
extern TfrmAnalogOut* frmAnalogOut;
