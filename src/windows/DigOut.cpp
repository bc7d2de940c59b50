#include "windows/DigOut.h"

#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"

TfrmDigOut* frmDigOut = nullptr;

namespace {

constexpr int kRouteCodes = 4;

ChannelWindowParams DigOutParams() {
    ChannelWindowParams params;
    params.kind = KindDigital;
    params.isOutput = true;
    params.handlesPerCard = 2;
    params.pairsPerCard = 1;
    params.stripWidth = TfrmDigOut::kStripWidth;
    params.basePinnedHeight = TfrmDigOut::kBasePinnedHeight;
    params.minTrackWidth = TfrmDigOut::kMinTrackWidth;
    params.maxTrackWidth = &TfrmDigOut::MaxWidth;
    return params;
}

} // namespace

TfrmDigOut::TfrmDigOut(TComponent* owner) : TOutputWindow(owner, DigOutParams(), kRouteCodes) {
    LoadDesign([this] {
        Design();
        WireReactions();
        for (TExtRadioButton* button : {btnProgram, btnAnaOut, btnAnaInp, btnDigInp})
            button->OnClick = [this](TObject* sender) { btnRouteClick(sender); };
        for (TExtRadioButton* button : {btnCons, btnProf})
            button->OnClick = [this](TObject* sender) { btnFormatClick(sender); };
    });
}

void TfrmDigOut::AssignTags() {
    btnProgram->SetTag(DigitalFromApplication);
    btnAnaOut->SetTag(DigitalFromAnalogOut);
    btnAnaInp->SetTag(DigitalFromAnalogIn);
    btnDigInp->SetTag(DigitalFromDigitalIn);
    pnRouteParent->SetTag(0);
}

TOutputWindow::RouteSource TfrmDigOut::SourceOf(int code) const {
    switch (code) {
    case DigitalFromApplication:
        return {SourceKind::OwnOutput, KindDigital};
    case DigitalFromAnalogOut:
        return {SourceKind::Playback, KindAnalog};
    case DigitalFromAnalogIn:
        return {SourceKind::Recording, KindAnalog};
    case DigitalFromDigitalIn:
        return {SourceKind::Recording, KindDigital};
    default:
        return {};
    }
}

bool TfrmDigOut::IsFormatButton(const TRadioButton* button) {
    return button->Caption() == kConsumerCaption || button->Caption() == kProfessionalCaption;
}

bool TfrmDigOut::IsRouteButton(const TRadioButton* button) const {
    return !IsFormatButton(button);
}

void TfrmDigOut::WireClones() {
    TOutputWindow::WireClones();
    for (auto& buttons : formatButtons_)
        buttons = {nullptr, nullptr};
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* button = dynamic_cast<TRadioButton*>(Components(i));
        const int card = CardOf(button);
        if (card >= 0 && IsFormatButton(button))
            formatButtons_[card][button->Caption() == kProfessionalCaption ? 1 : 0] = button;
    }
}

TRadioButton* TfrmDigOut::FormatButton(int card, int professional) const {
    return formatButtons_.at(card).at(professional ? 1 : 0);
}

bool TfrmDigOut::ObtainBlocks() {
    const bool format = ObtainBlock(formatBlock_, kQuadBlockSize);
    const bool peaks = ObtainBlock(peakBlock_, kPeakBlockSize);
    return format && peaks;
}

// After the routes, each card's format: checking its button sends the word back to the card.
bool TfrmDigOut::ObtainCardBlocks() {
    if (!TOutputWindow::ObtainCardBlocks())
        return false;
    for (int card = 0; card < Cards(); ++card) {
        SendControlMessage(HandleEntry(2 * card), OUTMSG_GET_FORMAT, formatBlock_.Address());
        formatWords_[card] = ReadFormatBlock(formatBlock_.Flat());
        const bool professional = (formatWords_[card] & kProfessionalFormat) != 0;
        if (TRadioButton* button = FormatButton(card, professional))
            button->SetChecked(true);
    }
    return true;
}

// Only bit 0x10 is the window's; the other bits go back to the card as they were read from that
// same card. (One word for the whole window would hand one card's bits to another.)
void TfrmDigOut::btnFormatClick(TObject* Sender) {
    auto* button = dynamic_cast<TRadioButton*>(Sender);
    const int card = CardOf(button);
    if (!button || !button->Checked() || card < 0 || !formatBlock_.Usable())
        return;
    const bool professional = button->Caption() == kProfessionalCaption;
    const DWORD word = WithProfessionalFormat(formatWords_[card], professional);
    formatWords_[card] = word;
    WriteInt32(formatBlock_.Flat(), static_cast<std::int32_t>(word));
    SendControlMessage(HandleEntry(2 * card), OUTMSG_SET_FORMAT, word);
}

// classic behaviour: the driver hears of the new route before the old source is closed, and its
// answer is not examined.
bool TfrmDigOut::ChangeRoute(int card, const RouteState& next) {
    SendRoute(card, next);
    StopCardMetering(card);
    CloseSources(card);
    WriteRouteCode(card, next.b[RouteState::kSource]);
    OpenSources(card);
    StartCardMetering(card);
    return true;
}
