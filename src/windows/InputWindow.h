#pragma once
// What the analog and the digital input window share beyond the channel window: the monitor state
// of every card. Each card has a 4-byte monitor state block, obtained and filled by the driver when
// the window is shown and kept afterwards as the card's current state: byte 0 the digital input
// select, byte 1 the monitor destination, byte 2 the monitor condition, byte 3 passed through. The
// radio buttons of a card stand for the byte values by their tags; choosing one writes its byte
// into the card's block and sends the whole block back, on the card's first handle.

#include "driver/DriverMessages.h"
#include "windows/ChannelWindow.h"

#include <array>

class TPanel;

class TInputWindow : public TChannelWindow {
public:
    const char* ClassName() const override { return "TInputWindow"; }

    // The card's monitor state as the window keeps it (all zero before the show).
    MonitorState MonitorStateOf(int card) const;

protected:
    TInputWindow(TComponent* owner, const ChannelWindowParams& params);

    // The monitor state blocks, one per card, each filled by the driver; false at the first block
    // that cannot be had (later cards get none).
    bool LoadMonitorStates();
    // Every panel that lies where `designed` lies (the designed panel and its copies: same parent,
    // same top) gets its radio buttons checked exactly when byte `byteIndex` of its card's state
    // equals the button's tag; the panel's tag is its card. A button that becomes checked runs its
    // click reaction, which sends the unchanged state back once.
    void CheckButtonsFromState(const TPanel* designed, int byteIndex);
    // A radio button of a card was chosen: its tag goes into byte `byteIndex` of the card (the tag
    // of the button's parent panel) and the whole state to the driver.
    void ChooseMonitorByte(TObject* button, int byteIndex);

    // The reactions shared by both windows' radio groups.
    void btnMonRouteClick(TObject* Sender) {
        ChooseMonitorByte(Sender, MonitorState::kDestination);
    }
    void btnWhenToMonClick(TObject* Sender) { ChooseMonitorByte(Sender, MonitorState::kCondition); }

private:
    std::array<SharedBlock, kMaxCards> monitorBlocks_;
};
