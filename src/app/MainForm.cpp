#include "app/MainForm.h"

#include "app/Startup.h"
#include "driver/CardDiscovery.h"
#include "driver/ConfigChannel.h"
#include "driver/ConfigRecord.h"
#include "forms/WindowChrome.h"
#include "platform/DeviceChange.h"
#include "platform/SessionEnd.h"
#include "toolkit/TApplication.h"
#include "windows/MixControlWnd.h"

TfrmMain* frmMain = nullptr;

namespace {

// The card whose device node a removal query names, or -1. A query for another device, another
// event, a record too short for a device node, and node 0 (a card whose node was never read)
// concern no card.
int QueriedCard(WPARAM event, LPARAM record) {
    if (event != DBT_DEVICEQUERYREMOVE || !record)
        return -1;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(record);
    if (header->dbch_devicetype != DBT_DEVTYP_DEVNODE ||
        header->dbch_size < sizeof(DEV_BROADCAST_DEVNODE))
        return -1;
    const DWORD node = reinterpret_cast<const DEV_BROADCAST_DEVNODE*>(record)->dbcd_devnode;
    if (node == 0)
        return -1;
    for (int card = 0; card < CardCount; ++card)
        if (CardDevNodes[card] == node)
            return card;
    return -1;
}

} // namespace

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {
    LoadDesign([this] {
        SetName("frmMain");
        SetCaption("frmMain");
        SetBounds(301, 157, 196, 164);
        SetMessageHandler(WM_DEVICECHANGE, [this](TMessage& message) { DeviceChange(message); });
        SetMessageHandler(WM_ENDSESSION, [this](TMessage& message) { EndSession(message); });
    });
}

// The removal is never vetoed: the answer is 1 whatever the event. A program already ending has
// told the driver once and ends anyway.
void TfrmMain::DeviceChange(TMessage& message) {
    if (!Application->Ending() && QueriedCard(message.WParam, message.LParam) >= 0)
        RemoveCard();
    message.Result = 1;
}

void TfrmMain::EndSession(TMessage& message) {
    if (message.WParam != 0 && !Application->Ending())
        EndProgram();
    message.Result = 0;
}

void TfrmMain::RemoveCard() {
    // The notice goes into the first card's record whichever card leaves: the driver reads it
    // there.
    ConfigBlock block;
    if (RunDriverConfig(ConfigChannelEnabled, CFG_GETCONFIG, block.Data(), ConfigBlock::kSize)) {
        block[0].Set(ConfigField::RemoveNotice, -1);
        RunDriverConfig(ConfigChannelEnabled, CFG_SETCONFIG, block.Data(), ConfigBlock::kSize);
    }
    EndProgram();
}

// The query may arrive inside a message box, a modal dialog or a restore that lets messages run:
// closing the windows here would free what those still use. They are closed once control is
// back in the program's own loop. The driver is let go of now, before the removal is granted:
// once the answer is out, the card may be gone.
void TfrmMain::EndProgram() {
    Application->BeginEnding();
    QuitRequested = true;
    if (MixControlWnd)
        MixControlWnd->ReleaseDriver();
}

void CloseProgramWindows() {
    CloseAndFree(MixControlWnd);
}
