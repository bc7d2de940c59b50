// Sections: construction and the form's events; metering; the control panel and the sections;
// the window messages.
#include "windows/ChannelWindow.h"

#include "controls/TLevelMeter.h"
#include "driver/DriverMessages.h"
#include "forms/AboutBox.h"
#include "forms/FormState.h"
#include "forms/WindowChrome.h"
#include "platform/MessageQueue.h"
#include "platform/MmResults.h"
#include "platform/MultimediaTimers.h"
#include "toolkit/AccessibleScale.h"
#include "toolkit/TApplication.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "windows/MixerIcon.h"

#include <algorithm>
#include <string>

namespace {

// The timer procedures run on the timer thread: they only post to the window.
void DecayProc(UINT timerId, UINT, DWORD_PTR window, DWORD_PTR, DWORD_PTR) {
    PostMessageA(static_cast<HWND>(window), WM_METERDECAY, timerId, 0);
}

void PollProc(UINT timerId, UINT, DWORD_PTR window, DWORD_PTR, DWORD_PTR) {
    PostMessageA(static_cast<HWND>(window), WM_METERPOLL, timerId, 0);
}

} // namespace

TChannelWindow::TChannelWindow(TComponent* owner, const ChannelWindowParams& params)
    : TForm(owner), params_(params) {
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnShow = [this](TObject* sender) { FormShow(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
    SetMessageHandler(WM_METERDECAY, [this](TMessage& m) { DecayMeters(m); });
    SetMessageHandler(WM_METERPOLL, [this](TMessage& m) {
        PollMeters();
        m.Result = 1;
    });
    SetMessageHandler(WM_SYSCOMMAND, [this](TMessage& m) { SystemCommand(m); });
    SetMessageHandler(WM_GETMINMAXINFO, [this](TMessage& m) { MinMaxInfo(m); });
}

// --- The form's events -------------------------------------------------------------------------

void TChannelWindow::FormCreate(TObject*) {
    Icon().SetHandle(MixerIcon);
    cards_ = std::clamp(CardCount, 0, kMaxCards);
    const int perCard = params_.handlesPerCard;
    handles_.assign(static_cast<std::size_t>(kMaxCards * perCard), 0);
    // A handle that cannot be opened raises the silent abort here: the window stays not ready
    // and the handles opened so far wait for FormDestroy.
    OpenControlRange(Handle(), params_.kind, params_.isOutput, 0, perCard - 1, 0, cards_ - 1,
                     handles_);
    AssignTags();
    ResetCloneCounters();
    pinnedHeight_ = params_.basePinnedHeight;
    HideHeaderForOneCard();
    CloneStrips();
    WireClones();
    BuildMeterTable();
    decayInterval_ = kDecayIntervalMs;
    pollInterval_ = kPollIntervalMs;
    ready_ = ObtainBlocks();
    // The mixer control window's activation handlers keep always-on-top applied whenever one of
    // its windows gains or loses activation.
    if (auto* hub = dynamic_cast<TCustomForm*>(Owner())) {
        OnActivate = [hub](TObject* sender) {
            if (hub->OnActivate)
                hub->OnActivate(sender);
        };
        OnDeactivate = [hub](TObject* sender) {
            if (hub->OnDeactivate)
                hub->OnDeactivate(sender);
        };
    }
}

void TChannelWindow::FormShow(TObject*) {
    // A program that is ending sends its driver nothing but meter-off and the closing of handles.
    if (!ready_ || Application->Ending())
        return;
    if (!ObtainCardBlocks()) {
        ready_ = false;
        return;
    }
    PrepareShow();
    RestoreFormState(this, kIniFile, "", 1, -1);
    restored_ = true;
    ReadDriverState();
    if (MeterSection()->Visible())
        StartMetering();
    // The restore sets the control panel's visibility without the height bookkeeping: show it
    // again and hide it the proper way.
    if (!ControlPanel()->Visible()) {
        ControlPanel()->Show();
        ToggleControlPanel();
    }
    BuildSystemMenu(ControlPanel(), AboutBox, 0);
    StartWindow();
}

void TChannelWindow::FormClose(TObject*, TCloseAction&) {
    if (restored_)
        SaveFormState(this, kIniFile, "", 1, -1);
    StopMetering();
    // The mixer control window owns the window; it unticks the window's box and frees it.
    if (auto* hub = dynamic_cast<TCustomForm*>(Owner()))
        PostMessageA(hub->Handle(), WM_CLOSENOTICE, 0,
                     reinterpret_cast<LPARAM>(static_cast<TCustomForm*>(this)));
}

void TChannelWindow::FormDestroy(TObject*) {
    // A close always comes first and stops the timers; a window freed without one (the program's
    // end) must not leave them posting to a window that is gone.
    KillTimers();
    CloseControlHandles(params_.isOutput, cards_ * params_.handlesPerCard, handles_);
    for (SharedBlock* block : blocks_)
        block->Release();
}

void TChannelWindow::ReleaseDriver() {
    StopMetering();
    CloseControlHandles(params_.isOutput, cards_ * params_.handlesPerCard, handles_);
}

// --- Creation steps ----------------------------------------------------------------------------

bool TChannelWindow::ObtainBlock(SharedBlock& block, DWORD size) {
    if (std::find(blocks_.begin(), blocks_.end(), &block) == blocks_.end())
        blocks_.push_back(&block);
    return block.Obtain(size);
}

void TChannelWindow::HideHeaderForOneCard() {
    TPanel* header = HeaderPanel();
    if (!header || cards_ != 1)
        return;
    header->Hide();
    const int height = header->Height();
    // Top-aligned containers follow the header by themselves.
    for (const StripContainer& strip : StripContainers())
        if (strip.container != header && strip.container->Align() != alTop)
            strip.container->SetTop(strip.container->Top() - height);
    GroundPanel()->SetHeight(GroundPanel()->Height() - height);
    ChangeHeight(-height);
}

void TChannelWindow::CloneStrips() {
    const std::vector<StripContainer> strips = StripContainers();
    for (int card = 1; card < cards_; ++card) {
        cloningCard_ = card;
        for (const StripContainer& strip : strips) {
            if (strip.widen)
                strip.container->SetWidth(strip.container->Width() + params_.stripWidth);
            CloneComponents(strip.container, strip.container, card * params_.stripWidth, 0,
                            strip.callback, this);
        }
    }
    cloningCard_ = 0;
    NameCardStrips(strips);
}

void TChannelWindow::NameCardStrips(const std::vector<StripContainer>& strips) {
    // A screen reader tells the cards' strips apart by these groups: each card's "Analog
    // Ausgang" sounds alike otherwise.
    for (const StripContainer& strip : strips)
        for (int i = 0; i < strip.container->ControlCount(); ++i) {
            auto* panel = dynamic_cast<TPanel*>(strip.container->Controls(i));
            if (!panel || panel->Name().empty() || dynamic_cast<AccessibleScale*>(panel))
                continue;
            const int card = std::clamp(panel->Left() / params_.stripWidth, 0, cards_ - 1);
            panel->SetAccessibleName("Karte #" + std::to_string(card + 1));
        }
}

TCloneCallback TChannelWindow::HeaderLabelCallback() {
    return [this](TObject*, TControl*& copy) {
        if (!dynamic_cast<TLabel*>(copy))
            return;
        std::string caption = copy->Caption();
        if (!caption.empty())
            caption.pop_back();
        copy->SetCaption(caption + std::to_string(cloningCard_ + 1));
    };
}

void TChannelWindow::BuildMeterTable() {
    meters_.clear();
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* meter = dynamic_cast<TLevelMeter*>(Components(i)))
            meters_.push_back(meter);
}

// --- Metering ----------------------------------------------------------------------------------

bool TChannelWindow::MeterOnTaken(MMRESULT result) {
    return result == DRIVER_DONE || result == MMSYSERR_NODRIVER;
}

UINT TChannelWindow::MeterOnMessage() const {
    return params_.isOutput ? OUTMSG_METER_ON : INMSG_METER_ON;
}

UINT TChannelWindow::MeterOffMessage() const {
    return params_.isOutput ? OUTMSG_METER_OFF : INMSG_METER_OFF;
}

UINT TChannelWindow::MeterReadMessage() const {
    return params_.isOutput ? OUTMSG_METER_READ : INMSG_METER_READ;
}

void TChannelWindow::StartMetering() {
    if (metering_)
        return;
    const int pairs = cards_ * params_.pairsPerCard;
    // classic behaviour: pairs switched on before a refusal stay on until their handles close.
    for (int pair = 0; pair < pairs; ++pair)
        if (!MeterOnTaken(SendControlMessage(handles_[2 * pair], MeterOnMessage(), 0)))
            return;
    metering_ = true;
    StartTimers();
}

void TChannelWindow::StopMetering() {
    if (!metering_)
        return;
    const int pairs = cards_ * params_.pairsPerCard;
    for (int pair = 0; pair < pairs; ++pair)
        SendControlMessage(handles_[2 * pair], MeterOffMessage(), 0);
    KillTimers();
    metering_ = false;
}

void TChannelWindow::StartTimers() {
    StartDecayTimer();
    StartPollTimer();
}

void TChannelWindow::StartDecayTimer() {
    if (decayTimer_ == 0)
        decayTimer_ =
            timeSetEvent(decayInterval_, decayInterval_, DecayProc, Handle(), TIME_PERIODIC);
}

void TChannelWindow::StartPollTimer() {
    if (pollTimer_ == 0)
        pollTimer_ = timeSetEvent(pollInterval_, pollInterval_, PollProc, Handle(), TIME_PERIODIC);
}

void TChannelWindow::KillPollTimer() {
    if (pollTimer_ != 0) {
        timeKillEvent(pollTimer_);
        pollTimer_ = 0;
    }
}

void TChannelWindow::KillTimers() {
    for (UINT* timer : {&decayTimer_, &pollTimer_})
        if (*timer != 0) {
            timeKillEvent(*timer);
            *timer = 0;
        }
}

// One peak block serves every pair: all reads run on this thread, one after the other.
void TChannelWindow::PollMeters() {
    if (!peakBlock_.Usable())
        return;
    const int pairs = cards_ * params_.pairsPerCard;
    const auto meterCount = static_cast<int>(meters_.size());
    for (int pair = 0; pair < pairs && 2 * pair + 1 < meterCount; ++pair) {
        const PeakValues peaks = ReadPeaks(handles_[2 * pair], MeterReadMessage());
        meters_[2 * pair]->SetLevel(peaks.left);
        meters_[2 * pair + 1]->SetLevel(peaks.right);
    }
}

// A refused read leaves in the block what the pair read before it measured, or a signal a driver
// that has gone no longer reports: the pair shows silence instead, and its lamps fall by the
// meters' own rules.
PeakValues TChannelWindow::ReadPeaks(ControlHandle handle, UINT message) {
    if (SendControlMessage(handle, message, peakBlock_.Address()) != DRIVER_DONE)
        return {};
    return ReadPeakBlock(peakBlock_.Flat());
}

void TChannelWindow::DecayMeters(TMessage& message) {
    for (TLevelMeter* meter : meters_)
        meter->DecayTick(message);
    message.Result = 1;
}

// --- The control panel and the sections --------------------------------------------------------

void TChannelWindow::ChangeHeight(int delta) {
    pinnedHeight_ += delta;
    SetHeight(Height() + delta);
}

void TChannelWindow::ToggleControlPanel() {
    TPanel* checks = ControlPanel();
    TPanel* ground = GroundPanel();
    if (checks->Visible()) {
        checks->Hide();
        ChangeHeight(-checks->Height());
        checks->SetAlign(alNone);
        if (ground->Visible())
            ground->SetAlign(alClient);
    } else {
        ground->SetAlign(alTop);
        ChangeHeight(checks->Height());
        checks->SetAlign(alClient);
        checks->Show();
    }
    UpdateSystemMenuItem(checks);
}

void TChannelWindow::ShowGroundPanel() {
    TPanel* ground = GroundPanel();
    if (ground->Visible())
        return;
    ground->Show();
    ChangeHeight(ground->Height());
    if (!ControlPanel()->Visible())
        ground->SetAlign(alClient);
}

void TChannelWindow::HideGroundPanel() {
    TPanel* ground = GroundPanel();
    if (!ground->Visible())
        return;
    ground->SetAlign(alTop);
    ground->Hide();
    ChangeHeight(-ground->Height());
}

void TChannelWindow::ShowSection(TControl* section, int height,
                                 const std::vector<TControl*>& below) {
    ShowGroundPanel();
    section->Show();
    for (TControl* control : below)
        control->SetTop(control->Top() + height);
    GroundPanel()->SetHeight(GroundPanel()->Height() + height);
    ChangeHeight(height);
}

void TChannelWindow::HideSection(TControl* section, int height, const std::vector<TControl*>& below,
                                 const std::vector<TControl*>& sections) {
    section->Hide();
    for (TControl* control : below)
        control->SetTop(control->Top() - height);
    GroundPanel()->SetHeight(GroundPanel()->Height() - height);
    ChangeHeight(-height);
    if (std::none_of(sections.begin(), sections.end(),
                     [](const TControl* s) { return s->Visible(); }))
        HideGroundPanel();
}

void TChannelWindow::ToggleLastMeterSection(const TCheckBox* box, TControl* line,
                                            const std::vector<TControl*>& sections) {
    TControl* meters = MeterSection();
    const int height = meters->Height();
    if (box->Checked()) {
        ShowSection(meters, height, {});
        line->Show();
        StartMetering();
    } else {
        StopMetering();
        HideSection(meters, height, {}, sections);
        line->Hide();
    }
}

// --- Window messages ---------------------------------------------------------------------------

void TChannelWindow::SystemCommand(TMessage& message) {
    DefaultHandler(message);
    const auto command = static_cast<UINT>(message.WParam);
    for (TObject* target : SystemCommandTargets()) {
        const UINT id = SystemMenuItemId(this, target);
        if (id == 0 || id != command)
            continue;
        if (auto* box = dynamic_cast<TCheckBox*>(target))
            box->SetChecked(!box->Checked());
        else if (target == ControlPanel())
            ToggleControlPanel();
        else if (auto* form = dynamic_cast<TCustomForm*>(target))
            form->ShowModal();
        return;
    }
}

void TChannelWindow::MinMaxInfo(TMessage& message) {
    auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
    if (ready_ && info) {
        const int maxTrack = params_.maxTrackWidth ? params_.maxTrackWidth(cards_) : Width();
        const int maxSize = params_.maxSizeWidth ? params_.maxSizeWidth(cards_) : maxTrack;
        info->ptMaxSize = {maxSize, pinnedHeight_};
        info->ptMaxPosition = {0, 0};
        info->ptMinTrackSize = {params_.minTrackWidth, pinnedHeight_};
        info->ptMaxTrackSize = {maxTrack, pinnedHeight_};
    }
    message.Result = 0;
}
