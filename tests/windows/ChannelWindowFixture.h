#pragma once
// Channel-window tests run on the form-utility fixture (virtual clock, scripted message boxes, a
// private INI file) with an in-process card of 1 to 4 cards, the about box, and a stand-in for the
// mixer control window: it owns the channel windows, opens one as the hub does (shown only when
// ready, else freed again) and answers their close notices by closing and freeing the window.

#include "controls/TLevelMeter.h"
#include "driver/CardDiscovery.h"
#include "forms/AboutBox.h"
#include "forms/FormsFixture.h"
#include "forms/WindowChrome.h"
#include "platform/CardConnection.h"
#include "platform/TimerScheduler.h"
#include "sim/model/CardModel.h"
#include "windows/ChannelWindow.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class ChannelWindowTest : public FormsTest {
protected:
    ChannelWindowTest() {
        AboutBox = new TAboutBox(&app);
        hub = new TForm(&app);
        hub->SetName("MixControlWnd");
        hub->SetMessageHandler(WM_CLOSENOTICE, [this](TMessage& m) { CloseNotice(m); });
    }
    ~ChannelWindowTest() override {
        // The windows close their handles while the card is still there.
        FreeAndNil(hub);
        window = nullptr;
        AboutBox = nullptr;
        InstallCardService(nullptr);
    }

    simcard::CardModel& UseCards(int cards) {
        auto owned = std::make_unique<simcard::CardModel>(cards, [] { return Clock().NowMs(); });
        model = owned.get();
        InstallCardService(std::move(owned));
        DiscoverCards();
        return *model;
    }
    // Every input and playback signal of every card silent.
    void Silence() {
        for (int c = 0; c < model->CardCount(); ++c)
            for (int d = 0; d < simcard::kDevicesPerDirection; ++d) {
                model->Card(c).input[d] = simcard::Signal::Silence();
                model->Card(c).playback[d] = simcard::Signal::Silence();
            }
    }

    // Creates the window as the hub does: shown when ready, else freed again.
    template <class T> T* Open() {
        auto* created = new T(hub);
        window = created;
        if (created->Ready()) {
            created->Show();
            return created;
        }
        FreeAndNil(window);
        return nullptr;
    }

    // Lets time pass in steps of 10 ms, handling what each step posts.
    void Run(std::uint64_t ms) {
        for (std::uint64_t t = 0; t < ms; t += 10) {
            clock->Advance(10);
            app.ProcessMessages();
        }
    }

    // The device ids of the traced messages of that name, in order.
    std::vector<std::string> Traced(const std::string& message) const {
        std::vector<std::string> devices;
        for (const std::string& line : model->Trace())
            if (line.find(" " + message + " ") != std::string::npos) {
                auto at = line.find("dev=") + 4;
                devices.push_back(line.substr(at, line.find(' ', at) - at));
            }
        return devices;
    }
    std::string DeviceOf(int card, simcard::WaveDirection direction, int device) const {
        return std::to_string(model->DeviceIdOf(card, direction, device));
    }
    // The driver's view of the handles this process holds, in the order they were opened.
    std::vector<simcard::HandleFact> HandleFacts() const {
        auto facts = model->Handles();
        std::sort(facts.begin(), facts.end(),
                  [](const auto& a, const auto& b) { return a.handle < b.handle; });
        return facts;
    }
    static int LitMeters(const TChannelWindow* w) {
        const auto& meters = w->MeterTable();
        return static_cast<int>(std::count_if(meters.begin(), meters.end(),
                                              [](TLevelMeter* m) { return m->LitCount() > 0; }));
    }

    simcard::CardModel* model = nullptr;
    TForm* hub = nullptr;
    TChannelWindow* window = nullptr; // the hub's variable
    int notices = 0;
    int ignoredNotices = 0;

private:
    void CloseNotice(TMessage& m) {
        if (window && reinterpret_cast<TCustomForm*>(m.LParam) == window) {
            ++notices;
            CloseAndFree(window);
        } else {
            ++ignoredNotices;
        }
    }
};
