// Sections: strips and show; metering by route; route steps; sections and the route poll.
#include "windows/OutputWindow.h"

#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "controls/TLevelMeter.h"
#include "forms/AboutBox.h"
#include "forms/WindowChrome.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TApplication.h"
#include "toolkit/TBevel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TTimer.h"

#include <cstring>
#include <exception>

namespace {

// A channel button's tag: the channel in the low byte, bit 16 for the right row.
constexpr std::int32_t kRightRow = 0x10000;

int ChannelOf(const TControl* button) {
    return button->Tag() & 0xFF;
}

bool InRightRow(const TControl* button) {
    return (button->Tag() & kRightRow) != 0;
}

// The driver plays ADAT channel byte & 7; a larger value from the driver must not make the window
// open a device outside the card's four ADAT pairs.
int AdatChannel(BYTE value) {
    return value & 7;
}

} // namespace

TOutputWindow::TOutputWindow(TComponent* owner, const ChannelWindowParams& params, int routeCodes)
    : TChannelWindow(owner, params), routeCodes_(routeCodes) {}

void TOutputWindow::WireReactions() {
    chkPlaybackSel->OnClick = [this](TObject* sender) { chkPlaybackSelClick(sender); };
    chkPeakMeter->OnClick = [this](TObject* sender) { chkPeakMeterClick(sender); };
    SecTimer->OnTimer = [this](TObject* sender) { SecTimerTimer(sender); };
    for (int i = 0; i < pnRouteParent->ControlCount(); ++i)
        if (auto* button = dynamic_cast<TRadioButton*>(pnRouteParent->Controls(i)))
            button->OnExit = [this](TObject* sender) { btnRouteExit(sender); };
}

// --- Strips and show ---------------------------------------------------------------------------

std::vector<TChannelWindow::StripContainer> TOutputWindow::StripContainers() {
    auto adjust = [this](TObject*, TControl*& copy) { AdjustCopy(copy); };
    return {{pnLevel, true, adjust},
            {pnPlaybackSel, true, adjust},
            {pnHeader, true, HeaderLabelCallback()}};
}

void TOutputWindow::AdjustCopy(TControl*& copy) {
    const int card = CloningCard();
    if (auto* button = dynamic_cast<TSpeedButton*>(copy)) {
        button->SetGroupIndex(button->GroupIndex() + 2 * card);
    } else if (dynamic_cast<TLevelMeter*>(copy)) {
        copy->SetTag(copy->Tag() + 2 * card);
    } else if (dynamic_cast<TPanel*>(copy) || dynamic_cast<TCustomGroupBox*>(copy)) {
        copy->SetTag(card);
    } else if (dynamic_cast<TBevel*>(copy)) {
        copy->Free();
        copy = nullptr;
    }
}

TControl* TOutputWindow::MeterSection() const {
    return pnLevel;
}

std::vector<TObject*> TOutputWindow::SystemCommandTargets() const {
    return {chkPeakMeter, chkPlaybackSel, AboutBox, pnChecks};
}

bool TOutputWindow::IsRouteButton(const TRadioButton*) const {
    return true;
}

int TOutputWindow::CardOf(const TControl* control) const {
    const TWinControl* parent = control ? control->Parent() : nullptr;
    const int card = parent ? parent->Tag() : -1;
    return card >= 0 && card < Cards() ? card : -1;
}

void TOutputWindow::WireClones() {
    stripButtons_.clear();
    for (auto& buttons : routeButtons_)
        buttons.assign(static_cast<std::size_t>(routeCodes_), nullptr);
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* control = dynamic_cast<TControl*>(Components(i));
        const int card = CardOf(control);
        if (card < 0)
            continue;
        if (auto* radio = dynamic_cast<TRadioButton*>(control)) {
            if (!IsRouteButton(radio) || radio->Tag() < 0 || radio->Tag() >= routeCodes_)
                continue;
            routeButtons_[card][static_cast<std::size_t>(radio->Tag())] = radio;
            stripButtons_.push_back({radio, card});
        } else if (dynamic_cast<TSpeedButton*>(control)) {
            stripButtons_.push_back({control, card});
        }
    }
}

bool TOutputWindow::ObtainCardBlocks() {
    for (int card = 0; card < Cards(); ++card) {
        SharedBlock& block = routes_[card].block;
        if (!ObtainBlock(block, kQuadBlockSize))
            return false;
        SendControlMessage(HandleEntry(2 * card), OUTMSG_GET_ROUTE, block.Address());
    }
    ApplyRoutes();
    SecTimer->SetEnabled(true);
    return true;
}

// Setting the controls runs their reactions as a user's choice would: each card's route goes
// back to the driver and its source handles open. Metering starts later in the show.
void TOutputWindow::ApplyRoutes() {
    for (const StripButton& entry : stripButtons_) {
        const RouteState route = Route(entry.card);
        if (auto* radio = dynamic_cast<TRadioButton*>(entry.button)) {
            radio->SetChecked(route.b[RouteState::kSource] == radio->Tag());
            if (radio->Checked())
                routes_[entry.card].remembered = radio;
        } else if (auto* button = dynamic_cast<TSpeedButton*>(entry.button)) {
            const BYTE chosen =
                route.b[InRightRow(button) ? RouteState::kAdatRight : RouteState::kAdatLeft];
            button->SetDown(AdatChannel(chosen) == ChannelOf(button));
        }
    }
}

RouteState TOutputWindow::Route(int card) const {
    const SharedBlock& block = routes_.at(card).block;
    return block.Usable() ? ReadQuadBlock<RouteState>(block.Flat()) : RouteState{};
}

const SharedBlock& TOutputWindow::RouteBlock(int card) const {
    return routes_.at(card).block;
}

ControlHandle TOutputWindow::SourceHandle(int card, int side) const {
    return routes_.at(card).source.at(side);
}

TRadioButton* TOutputWindow::RouteButton(int card, int code) const {
    const auto& buttons = routeButtons_.at(card);
    return code >= 0 && code < static_cast<int>(buttons.size()) ? buttons[code] : nullptr;
}

TRadioButton* TOutputWindow::RememberedRouteButton(int card) const {
    return routes_.at(card).remembered;
}

void TOutputWindow::DoClose(TCloseAction& action) {
    // A closed window follows no routes any more.
    SecTimer->SetEnabled(false);
    TChannelWindow::DoClose(action);
}

void TOutputWindow::DoDestroy() {
    SecTimer->SetEnabled(false);
    for (int card = 0; card < Cards(); ++card)
        CloseSources(card);
    TChannelWindow::DoDestroy();
}

void TOutputWindow::ReleaseDriver() {
    SecTimer->SetEnabled(false);
    TChannelWindow::ReleaseDriver();
    for (int card = 0; card < Cards(); ++card)
        CloseSources(card);
}

// --- Metering by route -------------------------------------------------------------------------

bool TOutputWindow::MeterOnByRoute(int card) {
    const CardRoute& state = routes_[card];
    const RouteSource source = SourceOf(Route(card).b[RouteState::kSource]);
    switch (source.source) {
    case SourceKind::OwnOutput:
        return MeterOnTaken(SendControlMessage(HandleEntry(2 * card), OUTMSG_METER_ON, 0));
    case SourceKind::Playback:
    case SourceKind::Recording:
    case SourceKind::AdatRecording:
        for (int side = 0; side < 2; ++side) {
            const ControlHandle handle = state.source[side];
            const UINT message = state.sourceIsOutput[side] ? OUTMSG_METER_ON : INMSG_METER_ON;
            if (handle != 0 && !MeterOnTaken(SendControlMessage(handle, message, 0)))
                return false;
        }
        return true;
    case SourceKind::Unknown:
        break;
    }
    return true;
}

void TOutputWindow::MeterOffByRoute(int card) {
    const CardRoute& state = routes_[card];
    const RouteSource source = SourceOf(Route(card).b[RouteState::kSource]);
    if (source.source == SourceKind::OwnOutput) {
        SendControlMessage(HandleEntry(2 * card), OUTMSG_METER_OFF, 0);
        return;
    }
    for (int side = 0; side < 2; ++side)
        if (state.source[side] != 0)
            SendControlMessage(state.source[side],
                               state.sourceIsOutput[side] ? OUTMSG_METER_OFF : INMSG_METER_OFF, 0);
}

// Cards after a refused one get no meter-on. Both windows leave the decay timer running after a
// refusal so that what is lit falls; reading stops, since the driver no longer fills the block
// and a read would show another card's values again.
void TOutputWindow::StartMetering() {
    if (Metering())
        return;
    SetMetering(true);
    for (int card = 0; card < Cards() && Metering(); ++card) {
        if (MeterOnByRoute(card))
            StartPollTimer();
        else
            SetMetering(false);
    }
    StartDecayTimer();
    if (!Metering())
        KillPollTimer();
}

// The timers go also when a refused meter-on had cleared the flag: nothing else would stop them.
void TOutputWindow::StopMetering() {
    if (Metering()) {
        for (int card = 0; card < Cards(); ++card)
            MeterOffByRoute(card);
        SetMetering(false);
    }
    KillTimers();
}

void TOutputWindow::StopCardMetering(int card) {
    if (!Metering())
        return;
    MeterOffByRoute(card);
    KillPollTimer();
}

void TOutputWindow::StartCardMetering(int card) {
    if (!Metering())
        return;
    if (MeterOnByRoute(card))
        StartPollTimer();
    else
        SetMetering(false);
}

void TOutputWindow::PollMeters() {
    if (!Metering() || !peakBlock_.Usable())
        return;
    for (int card = 0; card < Cards(); ++card)
        PollCard(card);
}

void TOutputWindow::ReadInto(ControlHandle handle, UINT message, int meter, int channel) {
    const auto& meters = MeterTable();
    if (handle == 0 || meter >= static_cast<int>(meters.size()))
        return;
    meters[meter]->SetLevel(ReadPeaks(handle, message).OfChannel(channel));
}

void TOutputWindow::PollCard(int card) {
    const CardRoute& state = routes_[card];
    const RouteState route = Route(card);
    const int left = 2 * card;
    const int right = 2 * card + 1;
    const auto& meters = MeterTable();
    if (right >= static_cast<int>(meters.size()))
        return;
    switch (SourceOf(route.b[RouteState::kSource]).source) {
    case SourceKind::OwnOutput:
    case SourceKind::Playback:
    case SourceKind::Recording: {
        const bool own = SourceOf(route.b[RouteState::kSource]).source == SourceKind::OwnOutput;
        const ControlHandle handle = own ? HandleEntry(2 * card) : state.source[0];
        if (handle == 0)
            return;
        const bool output = own || state.sourceIsOutput[0];
        const PeakValues peaks = ReadPeaks(handle, output ? OUTMSG_METER_READ : INMSG_METER_READ);
        meters[left]->SetLevel(peaks.left);
        meters[right]->SetLevel(peaks.right);
        break;
    }
    case SourceKind::AdatRecording:
        // Each side reads the pair that holds its channel and takes that channel's value.
        ReadInto(state.source[0], INMSG_METER_READ, left,
                 AdatChannel(route.b[RouteState::kAdatLeft]));
        ReadInto(state.source[1], INMSG_METER_READ, right,
                 AdatChannel(route.b[RouteState::kAdatRight]));
        break;
    case SourceKind::Unknown:
        break;
    }
}

// --- Route steps -------------------------------------------------------------------------------

void TOutputWindow::CloseSources(int card) {
    CardRoute& state = routes_[card];
    for (int side = 0; side < 2; ++side)
        ReplaceSource(card, side, 0, state.sourceIsOutput[side]);
}

void TOutputWindow::ReplaceSource(int card, int side, ControlHandle handle, bool isOutput) {
    CardRoute& state = routes_[card];
    if (state.source[side] != 0) {
        std::array<ControlHandle, 1> one{state.source[side]};
        CloseControlHandles(state.sourceIsOutput[side], 1, one);
        state.source[side] = 0;
    }
    state.source[side] = handle;
    state.sourceIsOutput[side] = isOutput;
}

void TOutputWindow::OpenSources(int card) {
    const RouteState route = Route(card);
    const RouteSource source = SourceOf(route.b[RouteState::kSource]);
    const int base = card * kSlotsPerCard;
    switch (source.source) {
    case SourceKind::Playback:
    case SourceKind::Recording: {
        const bool output = source.source == SourceKind::Playback;
        for (int side = 0; side < 2; ++side)
            ReplaceSource(card, side, OpenControlHandle(Handle(), base + source.kind, output),
                          output);
        break;
    }
    case SourceKind::AdatRecording: {
        const BYTE channels[2] = {route.b[RouteState::kAdatLeft], route.b[RouteState::kAdatRight]};
        for (int side = 0; side < 2; ++side)
            ReplaceSource(card, side,
                          OpenControlHandle(
                              Handle(), base + KindAdat + AdatChannel(channels[side]) / 2, false),
                          false);
        break;
    }
    case SourceKind::OwnOutput:
    case SourceKind::Unknown:
        break;
    }
}

void TOutputWindow::WriteRoute(int card, const RouteState& route) {
    SharedBlock& block = routes_[card].block;
    if (block.Usable())
        std::memcpy(block.Flat(), route.b, sizeof route.b);
}

void TOutputWindow::WriteRouteCode(int card, BYTE code) {
    RouteState route = Route(card);
    route.b[RouteState::kSource] = code;
    WriteRoute(card, route);
}

MMRESULT TOutputWindow::SendRoute(int card, const RouteState& route) {
    return SendControlMessage(HandleEntry(2 * card), OUTMSG_SET_ROUTE, route.Packed());
}

void TOutputWindow::btnRouteClick(TObject* Sender) {
    auto* button = dynamic_cast<TRadioButton*>(Sender);
    const int card = CardOf(button);
    if (!button || !button->Checked() || card < 0)
        return;
    PollPause pause(SecTimer);
    const auto code = static_cast<BYTE>(button->Tag());
    RouteState next = Route(card);
    next.b[RouteState::kSource] = code;
    BeforeRouteChange(code);
    // Closing windows of the other family lets pending messages run; the program may be ending.
    if (Application->Ending())
        return;

    bool abandoned = false;
    std::exception_ptr error;
    try {
        abandoned = !ChangeRoute(card, next);
    } catch (const EAbort&) {
        abandoned = true;
    } catch (...) {
        abandoned = true;
        error = std::current_exception();
    }
    if (abandoned)
        FallBack(card);
    if (error)
        std::rethrow_exception(error);
}

// The poll may find a refused route while the routing section is hidden or a modal box disables
// the window; the old button then cannot take the focus and is only checked again. A refusal
// answered while the program began to end (its box closed by the end) falls back to nothing:
// the driver hears no more routes.
void TOutputWindow::FallBack(int card) {
    TRadioButton* previous = routes_[card].remembered;
    if (!previous || Application->Ending())
        return;
    previous->SetChecked(true);
    if (previous->CanFocus())
        previous->SetFocus();
}

TOutputWindow::PollPause::PollPause(TTimer* timer) : timer_(timer), wasEnabled_(timer->Enabled()) {
    timer_->SetEnabled(false);
}

TOutputWindow::PollPause::~PollPause() {
    timer_->SetEnabled(wasEnabled_);
}

// --- Sections and the route poll ---------------------------------------------------------------

void TOutputWindow::chkPlaybackSelClick(TObject*) {
    UpdateSystemMenuItem(chkPlaybackSel);
    const int height = pnPlaybackSel->Height();
    if (chkPlaybackSel->Checked())
        ShowSection(pnPlaybackSel, height, {pnLevel});
    else
        HideSection(pnPlaybackSel, height, {pnLevel}, {pnPlaybackSel, pnLevel});
}

void TOutputWindow::chkPeakMeterClick(TObject*) {
    UpdateSystemMenuItem(chkPeakMeter);
    ToggleLastMeterSection(chkPeakMeter, bvLine, {pnPlaybackSel, pnLevel});
}

// The button that loses the focus to another route button is the route to fall back on. Only a
// checked one stands for the card's route: after the poll or a fall-back the focus may still sit
// on a button that is no longer chosen.
void TOutputWindow::btnRouteExit(TObject* Sender) {
    auto* button = dynamic_cast<TRadioButton*>(Sender);
    const int card = CardOf(button);
    if (card >= 0 && button->Checked())
        routes_[card].remembered = button;
}

// Another program may change a route: a changed code checks its button, whose reaction moves the
// meters to the new source. The old code goes back into the block first, so that the reaction
// stops and closes what the old route had opened.
void TOutputWindow::SecTimerTimer(TObject*) {
    for (int card = 0; card < Cards(); ++card) {
        const BYTE previous = Route(card).b[RouteState::kSource];
        SendControlMessage(HandleEntry(2 * card), OUTMSG_GET_ROUTE, routes_[card].block.Address());
        const BYTE current = Route(card).b[RouteState::kSource];
        if (current == previous)
            continue;
        WriteRouteCode(card, previous);
        TRadioButton* button = RouteButton(card, current);
        if (!button)
            continue;
        button->SetChecked(true);
        // A reaction that fell back leaves the old button checked, and that one stays remembered.
        if (button->Checked())
            routes_[card].remembered = button;
    }
}
