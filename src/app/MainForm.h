#pragma once
// The tray main window: the toolkit's main form, never shown and without controls. It watches the
// system's device-change broadcast and ends the program cleanly when one of the discovered cards
// is about to be removed, and ends it the same way, without the driver's notice, when the desktop
// session ends.

#include "toolkit/TForm.h"

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* owner);
    const char* ClassName() const override { return "TfrmMain"; }

private:
    void DeviceChange(TMessage& message);
    void EndSession(TMessage& message);
    // Tells the driver, then ends the program.
    void RemoveCard();
    // Ends every modal loop and asks the program's loop to end; that loop then closes the hub
    // with its windows (CloseProgramWindows).
    void EndProgram();
};

// The teardown of the program's end, run from the program's own loop once it has stopped: closes
// the hub (which saves what it restored in full and closes every channel window and the settings
// dialog), destroys it and clears MixControlWnd.
void CloseProgramWindows();

extern TfrmMain* frmMain;
