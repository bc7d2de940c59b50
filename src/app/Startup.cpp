#include "app/Startup.h"

#include "app/MainForm.h"
#include "app/Resources.h"
#include "driver/ConfigChannel.h"
#include "driver/ErrorCatalogue.h"
#include "forms/AboutBox.h"
#include "platform/Icons.h"
#include "platform/NotifyIcon.h"
#include "platform/SessionEnd.h"
#include "toolkit/TApplication.h"
#include "windows/MixControlWnd.h"
#include "windows/MixerIcon.h"
#include "windows/ProgramWindows.h"

#include <cstring>

bool QuitRequested = false;

namespace {

NOTIFYICONDATAA IconRecord() {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(NOTIFYICONDATAA);
    data.hWnd = MixControlWnd->Handle();
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = TMixControlWnd::kIconCallback;
    data.hIcon = MixerIcon;
    std::strncpy(data.szTip, kNotifyTip, sizeof data.szTip - 1);
    return data;
}

} // namespace

int RunProgram() {
    RegisterProgramResources();
    RegisterProgramWindows();
    Application->Initialize();
    // A signal that ends the session ends the program as a card removal does, also while the
    // startup report's box waits.
    WatchSessionEnd();
    Application->SetTitle("Varnel PRO Manager");

    ConfigChannelEnabled = 1;
    // A getstates that fails leaves the record as handed in: cleared, it reports nothing and ends
    // the program.
    StateRecord states{};
    RunDriverConfig(ConfigChannelEnabled, CFG_GETSTATES, &states, sizeof states);
    ReportDriverStates(states);
    // A session that ended meanwhile (while a box of the report waited) ends the program too.
    if (states.DriverState != 1 || Application->Ending())
        return 0;

    MixerIcon = LoadIconA(0, "MIXERICON");
    Application->CreateForm(frmMain);
    Application->CreateForm(MixControlWnd);
    Application->CreateForm(AboutBox);

    const NOTIFYICONDATAA icon = IconRecord();
    if (Shell_NotifyIconA(NIM_ADD, &icon)) {
        // classic behaviour: the program's own loop, not the toolkit's run loop; a quit message
        // posted to the thread does not end it, only QuitRequested does.
        while (!QuitRequested)
            Application->HandleMessage();
        CloseProgramWindows();
        Shell_NotifyIconA(NIM_DELETE, &icon);
    }
    DestroyIcon(MixerIcon);
    MixerIcon = 0;
    return 0;
}

void ShutdownProgram() {
    Application->DestroyComponents();
    frmMain = nullptr;
    MixControlWnd = nullptr;
    AboutBox = nullptr;
}
