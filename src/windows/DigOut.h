#pragma once
// The digital output window ("Digital Output"): per card, what the digital output plays (the
// applications' playback, the analog output's signal, the analog input or the digital input), a
// stereo meter of that signal, and the output format, consumer (S/PDIF) or professional
// (AES/EBU). The driver's answer to a route change is not examined; a source that cannot be
// opened falls back to the previous route without a word.

#include "windows/OutputWindow.h"

#include <array>

class TExtRadioButton;

class TfrmDigOut : public TOutputWindow {
public:
    explicit TfrmDigOut(TComponent* owner);
    const char* ClassName() const override { return "TfrmDigOut"; }

    static constexpr int kStripWidth = 143;
    static constexpr int kBasePinnedHeight = 475;
    static constexpr int kMinTrackWidth = 161;
    static int MaxWidth(int cards) { return 161 * cards + 20; }
    static constexpr const char* kConsumerCaption = " &S/PDIF";
    static constexpr const char* kProfessionalCaption = " AES/&EBU";

    TExtRadioButton* btnProgram = nullptr;
    TExtRadioButton* btnAnaOut = nullptr;
    TExtRadioButton* btnAnaInp = nullptr;
    TExtRadioButton* btnDigInp = nullptr;
    TPanel* pnFormat = nullptr;
    TExtRadioButton* btnCons = nullptr;
    TExtRadioButton* btnProf = nullptr;

    // The format button of a card: 0 consumer, 1 professional.
    TRadioButton* FormatButton(int card, int professional) const;
    // The card's format word as last read from it or sent to it.
    DWORD FormatWord(int card) const { return formatWords_.at(card); }
    const SharedBlock& FormatBlock() const { return formatBlock_; }

    void btnFormatClick(TObject* Sender);

protected:
    RouteSource SourceOf(int code) const override;
    void AssignTags() override;
    bool ObtainBlocks() override;
    bool ObtainCardBlocks() override;
    void WireClones() override;
    bool IsRouteButton(const TRadioButton* button) const override;
    bool ChangeRoute(int card, const RouteState& next) override;

private:
    // The designed layout (DigOutDesign.cpp).
    void Design();
    static bool IsFormatButton(const TRadioButton* button);

    SharedBlock formatBlock_;
    std::array<DWORD, kMaxCards> formatWords_{};
    std::array<std::array<TRadioButton*, 2>, kMaxCards> formatButtons_{};
};

// The window while it exists, else null.
extern TfrmDigOut* frmDigOut;
