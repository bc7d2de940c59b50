#pragma once
// The ADAT output window ("ADAT Outputs"): the twin of the ADAT input window on the playback
// side, metering the eight ADAT output channels of every card.

#include "windows/AdatWindow.h"

class TfrmAdatOut : public TAdatWindow {
public:
    explicit TfrmAdatOut(TComponent* owner);
    const char* ClassName() const override { return "TfrmAdatOut"; }

    TPanel* grpGround = nullptr; // the ground panel and the meter section
    // Channels 1 .. 8 of card 0: PlayLvMeter1, PlayLvMeter2 in pnMeter12, then LevelMeter1 ..
    // LevelMeter6 in Panel2 .. Panel4.
    TPanel* pnMeter12 = nullptr;
    TPanel* Panel2 = nullptr;
    TPanel* Panel3 = nullptr;
    TPanel* Panel4 = nullptr;

protected:
    TPanel* GroundPanel() const override { return grpGround; }

private:
    // The designed layout (AdatOutDesign.cpp).
    void Design();
};

// The window while it exists, else null.
extern TfrmAdatOut* frmAdatOut;
