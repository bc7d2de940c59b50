#pragma once
// What the analog and the digital input window share beyond the channel window: the monitor state
// of every card. Each card has a 4-byte monitor state block, obtained and filled by the driver when
// the window is shown and kept afterwards as the card's current state: byte 0 the digital input
// select, byte 1 the monitor destination, byte 2 the monitor condition, byte 3 passed through. The
// radio buttons of a card stand for the byte values by their tags; choosing one writes its byte
// into the card's block and sends the whole block back, on the card's first handle.
//
// Both windows' strips: the header with the card label, the monitor destination group
// (pnRouteParent) and the monitor condition group (pnWhenToMonParent) in the section that ends in
// bvLine, and the meters; the control panel pnChecks below them holds chkPeakMeter.

#include "driver/DriverMessages.h"
#include "windows/ChannelWindow.h"

#include <array>

class TBevel;
class TExtCheckBox;
class TExtLabel;
class TExtRadioButton;
class TPanel;
class TScrollBox;

class TInputWindow : public TChannelWindow {
public:
    const char* ClassName() const override { return "TInputWindow"; }

    // The card's monitor state as the window keeps it (all zero before the show).
    MonitorState MonitorStateOf(int card) const;

    // Designed controls both windows have.
    TPanel* pnChecks = nullptr;
    TExtCheckBox* chkPeakMeter = nullptr;
    TScrollBox* ScrollBox = nullptr;
    TPanel* pnHeader = nullptr;
    TExtLabel* lbLabel = nullptr;
    TPanel* pnRouteParent = nullptr;
    TExtRadioButton* btnAnaMon = nullptr;
    TExtRadioButton* btnDigMon = nullptr;
    TPanel* pnWhenToMonParent = nullptr;
    TExtRadioButton* btnNever = nullptr;
    TExtRadioButton* btnOnRec = nullptr;
    TExtRadioButton* btnOnPunch = nullptr;
    TBevel* bvLine = nullptr;

protected:
    TInputWindow(TComponent* owner, const ChannelWindowParams& params);

    TPanel* ControlPanel() const override { return pnChecks; }
    TPanel* HeaderPanel() const override { return pnHeader; }

    // The monitor groups' button tags and reactions.
    void AssignMonitorTags();
    void WireMonitorReactions();

    // The monitor state blocks, one per card, each filled by the driver; false at the first block
    // that cannot be had (later cards get none).
    bool LoadMonitorStates();
    // Every panel that lies where `designed` lies (the designed panel and its copies: same parent,
    // same top) gets its radio buttons checked exactly when byte `byteIndex` of its card's state
    // equals the button's tag; the panel's tag is its card. A button that becomes checked runs its
    // click reaction, which sends the unchanged state back once.
    void CheckButtonsFromState(const TPanel* designed, int byteIndex);
    // Both monitor groups from the states: destination, then condition.
    void CheckMonitorButtons();
    // A radio button of a card was chosen: its tag goes into byte `byteIndex` of the card (the tag
    // of the button's parent panel) and the whole state to the driver.
    void ChooseMonitorByte(TObject* button, int byteIndex);

private:
    std::array<SharedBlock, kMaxCards> monitorBlocks_;
};
