#pragma once
// The tray main window: the toolkit's main form, never shown and without controls. It watches the
// system's device-change broadcast and ends the program cleanly when one of the discovered cards
// is about to be removed.

#include "toolkit/TForm.h"

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* owner);
    const char* ClassName() const override { return "TfrmMain"; }

private:
    void DeviceChange(TMessage& message);
    // Tells the driver, closes the hub with its windows and asks the program's loop to end.
    void RemoveCard();
};

extern TfrmMain* frmMain;
