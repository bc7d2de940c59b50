#pragma once
// The ADAT input window ("ADAT Inputs"): the peak levels of the eight ADAT input channels of
// every card, numbered through over all cards.

#include "windows/AdatWindow.h"

class TfrmAdatInp : public TAdatWindow {
public:
    explicit TfrmAdatInp(TComponent* owner);
    const char* ClassName() const override { return "TfrmAdatInp"; }

    TPanel* grpInput = nullptr; // the ground panel and the meter section
    TPanel* pnMeter12 = nullptr;
    TPanel* pnMeter34 = nullptr;
    TPanel* pnMeter56 = nullptr;
    TPanel* pnMeter78 = nullptr; // each with two meters: Meter1 .. Meter8, channels 1 .. 8

protected:
    TPanel* GroundPanel() const override { return grpInput; }

private:
    // The designed layout (AdatInpDesign.cpp).
    void Design();
};

// The window while it exists, else null.
extern TfrmAdatInp* frmAdatInp;
