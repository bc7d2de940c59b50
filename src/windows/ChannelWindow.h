#pragma once
// What every channel window shares: one strip per card (the designed strip for card 0, copies for
// the others), its control handles and shared blocks, the peak meters driven by two multimedia
// timers, the sections shown and hidden with the height the window is pinned to, the control panel,
// the system-menu commands, the size limits, the persisted state and the close notice to the mixer
// control window.
//
// A window class derives from TChannelWindow, builds its designed layout in its constructor (inside
// LoadDesign) and answers the hooks below; the lifecycle runs here:
//   FormCreate  icon, handles, tags, counters and pinned height, the header rule for one card,
//               the copied strips, the meter table, the intervals, the blocks (ready flag), the
//               activation handlers
//   FormShow    per-card blocks, restore, driver state, metering, control panel, system menu
//   FormClose   save, stop metering, close notice (the window is hidden, not freed)
//   FormDestroy handles closed, blocks released

#include "driver/CardDiscovery.h"
#include "driver/ControlHandles.h"
#include "driver/DriverMessages.h"
#include "driver/SharedBlock.h"
#include "forms/CloneComponents.h"
#include "toolkit/TForm.h"

#include <vector>

class TCheckBox;
class TLevelMeter;
class TPanel;

// Messages of the channel windows: the meters' fall-back tick and poll inside a window, and the
// notice a closing window posts to the mixer control window (lParam: the window).
constexpr UINT WM_METERDECAY = WM_USER + 1;
constexpr UINT WM_CLOSENOTICE = WM_USER + 100;
constexpr UINT WM_METERPOLL = WM_USER + 101;

// The values that set one window class apart from another.
struct ChannelWindowParams {
    DeviceKind kind = KindAnalog;
    bool isOutput = false;
    int handlesPerCard = 2; // H: card k uses handle-table entries k×H .. k×H+H-1
    int pairsPerCard = 1;   // P: metered pairs per card, each read through entry 2j
    int stripWidth = 0;     // how far each further card's strip lies to the right
    int basePinnedHeight = 0;
    int minTrackWidth = 0;
    int (*maxTrackWidth)(int cards) = nullptr;
    // The width of a maximised window; the maximum tracking width when not given.
    int (*maxSizeWidth)(int cards) = nullptr;
};

class TChannelWindow : public TForm {
public:
    static constexpr const char* kIniFile = "Zq40Promix.ini";
    static constexpr UINT kDecayIntervalMs = 40;
    static constexpr UINT kPollIntervalMs = 100;

    const char* ClassName() const override { return "TChannelWindow"; }

    // Set when every shared block was obtained (the mixer control window shows the window only
    // then); cleared again when the blocks of the show cannot be had.
    bool Ready() const { return ready_; }
    bool Metering() const { return metering_; }
    int PinnedHeight() const { return pinnedHeight_; }
    int Cards() const { return cards_; }
    const ChannelWindowParams& Params() const { return params_; }
    ControlHandle HandleEntry(int index) const { return handles_.at(index); }
    const std::vector<TLevelMeter*>& MeterTable() const { return meters_; }
    const SharedBlock& PeakBlock() const { return peakBlock_; }
    UINT DecayTimer() const { return decayTimer_; }
    UINT PollTimer() const { return pollTimer_; }

    // Meter-on for every metered pair, then the two timers; nothing when metering already runs.
    // A refusal leaves metering off and starts no timer.
    virtual void StartMetering();
    // Meter-off for every pair and the timers killed; nothing when metering is off.
    virtual void StopMetering();
    // The program ends: meter-off and every handle closed now, while the card is still there;
    // the window itself goes later, from the program's own loop.
    virtual void ReleaseDriver();
    // Hides or shows the control panel, taking its height off the window or giving it back.
    void ToggleControlPanel();

protected:
    TChannelWindow(TComponent* owner, const ChannelWindowParams& params);

    // --- What each window class supplies -------------------------------------------------------

    // A strip container of the designed strip: widened by the strip width per further card (or
    // not) and its children copied with the callback.
    struct StripContainer {
        TWinControl* container;
        bool widen;
        TCloneCallback callback;
    };
    // pnChecks, the ground panel, the meter section (shown when metering should run).
    virtual TPanel* ControlPanel() const = 0;
    virtual TPanel* GroundPanel() const = 0;
    virtual TControl* MeterSection() const = 0;
    // The strip containers in the order they are copied.
    virtual std::vector<StripContainer> StripContainers() = 0;
    // The objects of the system menu in the order a command is compared with them.
    virtual std::vector<TObject*> SystemCommandTargets() const = 0;
    // The header of the strips (hidden with one card), or none.
    virtual TPanel* HeaderPanel() const { return nullptr; }

    // Creation steps: the radio buttons' tags, the clone counters, the wiring of the copies, and
    // the shared blocks (the default obtains the peak block; a window with more blocks obtains
    // them in its own order through ObtainBlock). Returns whether every block was obtained.
    virtual void AssignTags() {}
    virtual void ResetCloneCounters() {}
    virtual void WireClones() {}
    virtual bool ObtainBlocks() { return ObtainBlock(peakBlock_, 8); }
    // Show steps: the per-card blocks (false clears the ready flag and ends the show), the
    // preparation before the restore, the driver state after it, and the window's own start.
    virtual bool ObtainCardBlocks() { return true; }
    virtual void PrepareShow() {}
    virtual void ReadDriverState() {}
    virtual void StartWindow() {}
    // WM_METERPOLL: reads every pair into its two meters.
    virtual void PollMeters();

    // --- Helpers for the window classes --------------------------------------------------------

    // Obtains a block and remembers it, so that FormDestroy releases it.
    bool ObtainBlock(SharedBlock& block, DWORD size);
    // The card whose strip is being copied (1 .. n-1), for the per-copy callbacks.
    int CloningCard() const { return cloningCard_; }
    // The per-copy callback of a header: "Karte #1" becomes "Karte #<card + 1>".
    TCloneCallback HeaderLabelCallback();
    // Changes the pinned height and the window height by the same amount, pinned height first so
    // that the size limits already allow the new height.
    void ChangeHeight(int delta);
    void ShowGroundPanel();
    void HideGroundPanel();
    // Shows or hides one section of the ground panel, moving `below` by `height`. Hiding the last
    // visible one of `sections` hides the ground panel too.
    void ShowSection(TControl* section, int height, const std::vector<TControl*>& below);
    void HideSection(TControl* section, int height, const std::vector<TControl*>& below,
                     const std::vector<TControl*>& sections);
    // The peak-meter box of a window whose meter section is the last of `sections`: the section
    // and the line closing the section above it come and go with the metering.
    void ToggleLastMeterSection(const TCheckBox* box, TControl* line,
                                const std::vector<TControl*>& sections);
    // Whether a meter-on leaves the pair metering: done, or not sent because no driver answers
    // now (the platform switches the meter on when one does, and reads show silence meanwhile).
    // Only the driver's own refusal stops the metering.
    static bool MeterOnTaken(MMRESULT result);
    // The meter messages of the window's side.
    UINT MeterOnMessage() const;
    UINT MeterOffMessage() const;
    UINT MeterReadMessage() const;
    // One meter read into the peak block: the pair's two peaks, or silence when the read is
    // refused.
    PeakValues ReadPeaks(ControlHandle handle, UINT message);
    // Starts each timer that does not run; kills each that does.
    void StartTimers();
    void KillTimers();
    // The same for one timer, for windows that meter card by card.
    void StartDecayTimer();
    void StartPollTimer();
    void KillPollTimer();
    void SetMetering(bool on) { metering_ = on; }
    std::vector<ControlHandle>& Handles() { return handles_; }

    SharedBlock peakBlock_;

private:
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void HideHeaderForOneCard();
    void CloneStrips();
    void BuildMeterTable();
    void NameCardStrips(const std::vector<StripContainer>& strips);
    void DecayMeters(TMessage& message);
    void SystemCommand(TMessage& message);
    void MinMaxInfo(TMessage& message);

    ChannelWindowParams params_;
    int cards_ = 0;
    std::vector<ControlHandle> handles_;
    std::vector<TLevelMeter*> meters_;
    std::vector<SharedBlock*> blocks_;
    bool ready_ = false;
    // Set once the show has restored the saved state in full: only then is the window's state
    // the user's, worth writing back. A window that never became ready, or whose restore was cut
    // short, leaves its section as it was.
    bool restored_ = false;
    bool metering_ = false;
    UINT decayTimer_ = 0;
    UINT pollTimer_ = 0;
    UINT decayInterval_ = 0;
    UINT pollInterval_ = 0;
    // The only height the window may have. One instance of a class exists at a time, so this is
    // the class's value.
    int pinnedHeight_ = 0;
    int cloningCard_ = 0;
};
