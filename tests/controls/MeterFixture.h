#pragma once
// Meters as the channel windows design them, a form to put them on, the queue pumped without
// moving the clock, and a backend that counts what it is asked to repaint.

#include "controls/TLevelMeter.h"
#include "platform/MessageQueue.h"
#include "toolkit/BackendObserver.h"
#include "toolkit/TForm.h"
#include "toolkit/ToolkitFixture.h"

#include <map>

struct RepaintCounter : IBackendObserver {
    std::map<const TControl*, int> repaints;
    void ControlCreated(TControl*) override {}
    void ControlDestroyed(TControl*) override {}
    void PropertyChanged(TControl*, TControlProperty) override {}
    void Invalidate(TControl* control) override { ++repaints[control]; }
    int Total() const {
        int total = 0;
        for (const auto& [control, n] : repaints)
            total += n;
        return total;
    }
};

class MeterTest : public ToolkitTest {
protected:
    ~MeterTest() override { SetBackendObserver(nullptr); }

    // 40 lamps: 1 red, 12 orange, 27 green; 40 ms per tick, a hold of 75 ticks.
    static TLevelMeter* DesignedMeter(TComponent* owner, TWinControl* parent = nullptr) {
        auto* meter = new TLevelMeter(owner);
        meter->SetParent(parent);
        meter->SetHeight(163);
        meter->SetLumiHeight(5);
        meter->SetNumLumisRed(1);
        meter->SetNumLumisOrange(12);
        meter->SetTimerInterval(40);
        meter->SetLevelMaxHold(3000);
        return meter;
    }

    TForm* NewForm() {
        auto* form = new TForm(&app);
        form->SetBounds(0, 0, 300, 300);
        return form;
    }

    // Handles what is queued now; the virtual clock stays where it is.
    static void Pump() {
        auto& queue = MessageQueue::Instance();
        MSG msg;
        while (queue.Take(msg))
            queue.Dispatch(msg);
    }

    static LRESULT Tick(TLevelMeter* meter, WPARAM wParam = 0) {
        TMessage message{WM_USER + 1, wParam, 0, 0};
        meter->DecayTick(message);
        return message.Result;
    }

    // The lamps lit, bottom first, as a string of 1 and 0.
    static std::string Lamps(const TBarGraph* bar) {
        std::string lamps;
        for (int i = 0; i < bar->LumiCount(); ++i)
            lamps += bar->Lumis(i)->On() ? '1' : '0';
        return lamps;
    }
    // The column lit from lamp 0 to lamp `top` and `held` lit above it (-1: none), of `count`.
    static std::string Column(int top, int held = -1, int count = 40) {
        std::string lamps(static_cast<std::size_t>(count), '0');
        for (int i = 0; i <= top; ++i)
            lamps[static_cast<std::size_t>(i)] = '1';
        if (held >= 0)
            lamps[static_cast<std::size_t>(held)] = '1';
        return lamps;
    }
};
