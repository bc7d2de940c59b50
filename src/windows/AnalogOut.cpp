#include "windows/AnalogOut.h"

#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "platform/MessageBox.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TPanel.h"
#include "windows/MixControlWnd.h"

TfrmAnalogOut* frmAnalogOut = nullptr;

namespace {

constexpr int kRouteCodes = 5;
constexpr const char* kRefusedCaption = "Varnel PRO Fehler";
constexpr const char* kRefusedText =
    "Kein Adat-Monitoring möglich.\r\nDas Wiedergabegerät wird durch eine andere Anwendung "
    "benutzt.";

ChannelWindowParams AnalogOutParams() {
    ChannelWindowParams params;
    params.kind = KindAnalog;
    params.isOutput = true;
    params.handlesPerCard = 2;
    params.pairsPerCard = 1;
    params.stripWidth = TfrmAnalogOut::kStripWidth;
    params.basePinnedHeight = TfrmAnalogOut::kBasePinnedHeight;
    params.minTrackWidth = TfrmAnalogOut::kMinTrackWidth;
    params.maxTrackWidth = &TfrmAnalogOut::MaxTrackWidth;
    params.maxSizeWidth = &TfrmAnalogOut::MaxSizeWidth;
    return params;
}

void SetBox(TExtCheckBox* box, bool enabled) {
    if (!enabled)
        box->SetChecked(false);
    box->SetEnabled(enabled);
}

} // namespace

TfrmAnalogOut::TfrmAnalogOut(TComponent* owner)
    : TOutputWindow(owner, AnalogOutParams(), kRouteCodes) {
    LoadDesign([this] {
        Design();
        WireReactions();
        for (TExtRadioButton* button : {btnProgram, btnDigOut, btnAnaInp, btnDigInp, btnAdatInp})
            button->OnClick = [this](TObject* sender) { btnRouteClick(sender); };
        for (TExtSpeedButton* button : SpeedButton)
            button->OnDown = [this](TObject* sender) { btnAdatChnDown(sender); };
    });
}

void TfrmAnalogOut::AssignTags() {
    btnProgram->SetTag(AnalogFromApplication);
    btnDigOut->SetTag(AnalogFromDigitalOut);
    btnAnaInp->SetTag(AnalogFromAnalogIn);
    btnDigInp->SetTag(AnalogFromDigitalIn);
    btnAdatInp->SetTag(AnalogFromAdatIn);
    pnRouteParent->SetTag(0);
}

TOutputWindow::RouteSource TfrmAnalogOut::SourceOf(int code) const {
    switch (code) {
    case AnalogFromApplication:
        return {SourceKind::OwnOutput, KindAnalog};
    case AnalogFromDigitalOut:
        return {SourceKind::Playback, KindDigital};
    case AnalogFromAnalogIn:
        return {SourceKind::Recording, KindAnalog};
    case AnalogFromDigitalIn:
        return {SourceKind::Recording, KindDigital};
    case AnalogFromAdatIn:
        return {SourceKind::AdatRecording, KindAdat};
    default:
        return {};
    }
}

// ADAT input monitoring and the digital windows exclude each other, and so do a digital source
// and the ADAT windows: clearing a box closes its window.
void TfrmAnalogOut::BeforeRouteChange(BYTE code) {
    TMixControlWnd* hub = MixControlWnd;
    if (!hub)
        return;
    const bool adat = code == AnalogFromAdatIn;
    const bool digital = code == AnalogFromDigitalOut || code == AnalogFromDigitalIn;
    SetBox(hub->chkDigitalInputs, !adat);
    SetBox(hub->chkDigitalOutputs, !adat);
    SetBox(hub->chkAdatInputs, !digital);
    SetBox(hub->chkAdatOutputs, !digital);
}

bool TfrmAnalogOut::ChangeRoute(int card, const RouteState& next) {
    const BYTE code = next.b[RouteState::kSource];
    StopCardMetering(card);
    CloseSources(card);
    MMRESULT result;
    // ADAT monitoring is metered before the driver is asked, the other routes after it.
    if (code == AnalogFromAdatIn) {
        WriteRouteCode(card, code);
        OpenSources(card);
        StartCardMetering(card);
        result = SendRoute(card, next);
    } else {
        result = SendRoute(card, next);
        if (result == DRIVER_DONE) {
            WriteRouteCode(card, code);
            OpenSources(card);
            StartCardMetering(card);
        }
    }
    if (result == DRIVER_DONE)
        return true;
    // classic behaviour: the same text for every route the driver refuses.
    MessageBoxA(Handle(), kRefusedText, kRefusedCaption, MB_ICONERROR);
    return false;
}

// A channel choice is stored in the driver with any route; with ADAT input it also moves that
// side's meter to the pair holding the new channel.
void TfrmAnalogOut::btnAdatChnDown(TObject* Sender) {
    auto* button = dynamic_cast<TSpeedButton*>(Sender);
    const int card = CardOf(button);
    if (!Visible() || !button || card < 0)
        return;
    const bool right = (button->Tag() & 0x10000) != 0;
    const int channel = button->Tag() & 0xFF;
    RouteState route = Route(card);
    route.b[right ? RouteState::kAdatRight : RouteState::kAdatLeft] = static_cast<BYTE>(channel);
    WriteRoute(card, route);
    SendRoute(card, route);
    if (route.b[RouteState::kSource] != AnalogFromAdatIn)
        return;
    const int side = right ? 1 : 0;
    const ControlHandle old = SourceHandle(card, side);
    if (Metering()) {
        if (old != 0)
            SendControlMessage(old, INMSG_METER_OFF, 0);
        KillPollTimer();
    }
    ReplaceSource(card, side, 0, false);
    ControlHandle opened = 0;
    try {
        opened = OpenControlHandle(Handle(), card * kSlotsPerCard + KindAdat + channel / 2, false);
    } catch (const EAbort&) {
        // The side stays dark; the other side and the other cards go on being read.
    }
    ReplaceSource(card, side, opened, false);
    if (!Metering())
        return;
    if (opened != 0 && !MeterOnTaken(SendControlMessage(opened, INMSG_METER_ON, 0)))
        SetMetering(false);
    else
        StartPollTimer();
}
