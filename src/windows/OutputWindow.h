#pragma once
// What the analog and the digital output window share beyond the channel window: each card's
// output plays one of several signals, its route, which the driver switches on OUTMSG_SET_ROUTE.
// The window meters whatever is routed, through source handles of its own on the source device,
// and follows route changes made by other programs with a poll once a second.
//
// Per card the window holds the route block (filled at show, sent whole with every change), two
// source handles (none while the output plays the applications' playback, which is metered on the
// card's own first handle), and the remembered route button to fall back on when a change fails.
//
// Layout of both windows: pnGround with a scroll box holding pnHeader and pnPlaybackSel (both
// top-aligned) and pnLevel; pnChecks below with chkPlaybackSel and chkPeakMeter. The route radio
// buttons' tags are their route codes; every panel and group box of a strip carries its card.

#include "driver/DriverMessages.h"
#include "windows/ChannelWindow.h"

#include <array>
#include <vector>

class TBevel;
class TExtCheckBox;
class TRadioButton;
class TScrollBox;
class TSpeedButton;
class TTimer;

class TOutputWindow : public TChannelWindow {
public:
    const char* ClassName() const override { return "TOutputWindow"; }

    static constexpr UINT kRoutePollMs = 1000;

    // Designed controls both windows have.
    TPanel* pnGround = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    TPanel* pnHeader = nullptr;
    TPanel* pnPlaybackSel = nullptr;
    TPanel* pnRouteParent = nullptr;
    TBevel* bvLine = nullptr;
    TPanel* pnLevel = nullptr;
    TPanel* pnChecks = nullptr;
    TExtCheckBox* chkPlaybackSel = nullptr;
    TExtCheckBox* chkPeakMeter = nullptr;
    TTimer* SecTimer = nullptr;

    // The card's route as the window last read or set it.
    RouteState Route(int card) const;
    const SharedBlock& RouteBlock(int card) const;
    // The card's source handles (0 where none is open).
    ControlHandle SourceHandle(int card, int side) const;
    // The route radio button of a card and code, or null.
    TRadioButton* RouteButton(int card, int code) const;
    TRadioButton* RememberedRouteButton(int card) const;

    void StartMetering() override;
    void StopMetering() override;
    // The route poll stops and the source handles close with the window's own.
    void ReleaseDriver() override;

    // A route button's reaction: the card moves to the button's route with the poll paused. A
    // change that fails (refused, the silent abort or another error) brings back the remembered
    // route; another error is raised again after that.
    void btnRouteClick(TObject* Sender);

protected:
    TOutputWindow(TComponent* owner, const ChannelWindowParams& params, int routeCodes);

    // Where a route's signal is metered.
    enum class SourceKind {
        OwnOutput,     // the card's own playback device: handle-table entry 2k
        Playback,      // two playback handles on device `kind`
        Recording,     // two recording handles on device `kind`
        AdatRecording, // one recording handle on the ADAT pair of each side's channel
        Unknown,       // a code no button stands for: nothing is metered
    };
    struct RouteSource {
        SourceKind source = SourceKind::Unknown;
        DeviceKind kind = KindAnalog;
    };
    virtual RouteSource SourceOf(int code) const = 0;
    // What a chosen route settles outside the card, before the change (nothing by default).
    virtual void BeforeRouteChange(BYTE) {}
    // The window's own order of the steps that move the card to `next`; false when refused.
    virtual bool ChangeRoute(int card, const RouteState& next) = 0;

    // Binds the reactions every strip shares; the window's constructor calls it after its design.
    void WireReactions();

    // Framework hooks.
    TPanel* ControlPanel() const override { return pnChecks; }
    TPanel* GroundPanel() const override { return pnGround; }
    TControl* MeterSection() const override;
    TPanel* HeaderPanel() const override { return pnHeader; }
    std::vector<StripContainer> StripContainers() override;
    std::vector<TObject*> SystemCommandTargets() const override;
    void WireClones() override;
    bool ObtainCardBlocks() override;
    void PollMeters() override;
    void DoClose(TCloseAction& action) override;
    void DoDestroy() override;

    // The per-copy callback of the strips: speed-button groups and meter tags move on by card,
    // panels and group boxes carry the card, the copied bevel line goes.
    virtual void AdjustCopy(TControl*& copy);
    // Route and channel buttons found after the copying, in component order; a window with other
    // radio buttons in its strips says which ones are not route buttons.
    virtual bool IsRouteButton(const TRadioButton* button) const;
    // Sets the strip controls from the route blocks, as a user would, at show.
    void ApplyRoutes();

    // Steps of the route reactions.
    void StopCardMetering(int card);
    void StartCardMetering(int card);
    void CloseSources(int card);
    // Opens the source handles of the route in the block; a device that cannot be opened raises
    // the silent abort.
    void OpenSources(int card);
    void WriteRouteCode(int card, BYTE code);
    void WriteRoute(int card, const RouteState& route);
    MMRESULT SendRoute(int card, const RouteState& route);
    // Checks the card's remembered route button again (which runs its reaction) and focuses it
    // where it can take the focus.
    void FallBack(int card);
    // The card a strip control belongs to: the tag of its panel or group box.
    int CardOf(const TControl* control) const;
    void ReplaceSource(int card, int side, ControlHandle handle, bool isOutput);
    bool MeterOnByRoute(int card);

    // Keeps the route poll off while a reaction runs, also when the reaction fails.
    class PollPause {
    public:
        explicit PollPause(TTimer* timer);
        ~PollPause();
        PollPause(const PollPause&) = delete;
        PollPause& operator=(const PollPause&) = delete;

    private:
        TTimer* timer_;
        bool wasEnabled_;
    };

private:
    struct CardRoute {
        SharedBlock block;
        std::array<ControlHandle, 2> source{};
        std::array<bool, 2> sourceIsOutput{};
        TRadioButton* remembered = nullptr;
    };
    struct StripButton {
        TControl* button;
        int card;
    };

    void chkPlaybackSelClick(TObject* Sender);
    void chkPeakMeterClick(TObject* Sender);
    void btnRouteExit(TObject* Sender);
    void SecTimerTimer(TObject* Sender);
    void MeterOffByRoute(int card);
    void PollCard(int card);
    // Reads the pair on `handle` into one meter: the value of ADAT channel `channel`.
    void ReadInto(ControlHandle handle, UINT message, int meter, int channel);

    int routeCodes_;
    std::array<CardRoute, kMaxCards> routes_;
    std::array<std::vector<TRadioButton*>, kMaxCards> routeButtons_;
    std::vector<StripButton> stripButtons_;
};
