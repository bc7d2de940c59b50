#pragma once
// Hub tests: the toolkit fixture with a private INI directory, an in-process card with a chosen
// number of cards, and stand-in channel windows registered for every kind. A stand-in records
// what happens to it in a shared log, is ready or not as the test says, can raise during its
// creation, and posts the closing notice to its owner as a channel window does.

#include "forms/FormsFixture.h"
#include "platform/CardConnection.h"
#include "platform/TimerScheduler.h"
#include "sim/model/CardModel.h"
#include "toolkit/Exceptions.h"
#include "windows/ChannelWindowRegistry.h"
#include "windows/MixControlWnd.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TStandIn : public TForm {
public:
    TStandIn(TComponent* owner, std::string name, std::vector<std::string>& log)
        : TForm(owner), name_(std::move(name)), log_(log) {
        LoadDesign([this] {
            SetCaption(name_);
            OnShow = [this](TObject*) { log_.push_back("show " + name_); };
            OnClose = [this](TObject*, TCloseAction&) {
                log_.push_back("close " + name_);
                PostMessageA(static_cast<TCustomForm*>(Owner())->Handle(),
                             TMixControlWnd::kCloseNotice, 0, reinterpret_cast<LPARAM>(this));
            };
            OnDestroy = [this](TObject*) { log_.push_back("destroy " + name_); };
        });
        log_.push_back("create " + name_);
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class HubTest : public FormsTest {
protected:
    struct Behaviour {
        bool ready = true;
        std::function<void()> raise; // runs inside the window's creation
    };

    explicit HubTest(int cards = 2) {
        InstallCardService(
            std::make_unique<simcard::CardModel>(cards, [] { return Clock().NowMs(); }));
        ClearWindowRegistry();
        for (int k = 0; k < kChannelWindowKinds; ++k)
            RegisterStandIn(static_cast<ChannelWindowKind>(k));
    }
    ~HubTest() override {
        app.DestroyComponents();
        ClearWindowRegistry();
        InstallCardService(nullptr);
    }

    void RegisterStandIn(ChannelWindowKind kind) {
        const auto k = static_cast<std::size_t>(kind);
        const std::string name = ChannelWindowClassName(kind);
        RegisterChannelWindow(kind,
                              ChannelWindowClass{
                                  [this, k, name](TComponent* owner) -> TCustomForm* {
                                      if (behaviour[k].raise)
                                          behaviour[k].raise();
                                      return new TStandIn(owner, name, log);
                                  },
                                  [this, k](const TCustomForm*) { return behaviour[k].ready; },
                                  [this, k]() { return windows[k]; },
                                  [this, k](TCustomForm* window) { windows[k] = window; },
                              });
    }

    // The hub comes second, as in the program: the first form is the main form, whose closing
    // would end the application.
    TMixControlWnd* CreateHub() {
        TForm* mainForm = nullptr;
        app.CreateForm(mainForm);
        app.CreateForm(MixControlWnd);
        return MixControlWnd;
    }

    TCustomForm* WindowOf(ChannelWindowKind kind) const {
        return windows[static_cast<std::size_t>(kind)];
    }
    Behaviour& BehaviourOf(ChannelWindowKind kind) {
        return behaviour[static_cast<std::size_t>(kind)];
    }

    std::vector<std::string> log;
    std::array<TCustomForm*, kChannelWindowKinds> windows{};
    std::array<Behaviour, kChannelWindowKinds> behaviour{};
};
