#pragma once
// Input-window tests: the channel-window fixture with the in-process card behind a thin recorder
// that notes on which driver handle each message went out and with what parameter, and that can
// refuse chosen messages on chosen handles as a failing driver would (the block stays as it was).

#include "ChannelWindowFixture.h"
#include "driver/DriverMessages.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

class RecordingCard : public simcard::ICardService {
public:
    struct Sent {
        std::uint32_t handle;
        std::uint32_t message;
        std::uint32_t param1;
    };

    explicit RecordingCard(std::unique_ptr<simcard::CardModel> model) : model_(std::move(model)) {}

    std::vector<simcard::WaveDeviceCaps> ListDevices(simcard::WaveDirection d) override {
        return model_->ListDevices(d);
    }
    simcard::OpenReply Open(simcard::WaveDirection d, std::uint32_t id,
                            std::span<const std::uint8_t> format) override {
        return model_->Open(d, id, format);
    }
    std::uint32_t Close(simcard::WaveDirection d, std::uint32_t handle) override {
        return model_->Close(d, handle);
    }
    simcard::MessageReply Message(simcard::WaveDirection d, std::uint32_t handle,
                                  std::uint32_t message, std::uint32_t p1, std::uint32_t p2,
                                  std::span<const std::uint8_t> block) override {
        sent.push_back({handle, message, p1});
        if (refused.count({handle, message}))
            return simcard::MessageReply{simcard::MMSYSERR_ERROR, {block.begin(), block.end()}};
        return model_->Message(d, handle, message, p1, p2, block);
    }
    simcard::ConfigReply Config(std::uint32_t code, std::span<const std::uint8_t> data) override {
        return model_->Config(code, data);
    }
    void SetDeviceChangeHandler(DeviceChangeHandler handler) override {
        model_->SetDeviceChangeHandler(std::move(handler));
    }
    void AnswerDeviceChange(std::uint32_t eventId) override { model_->AnswerDeviceChange(eventId); }

    simcard::CardModel& Model() { return *model_; }

    std::vector<Sent> sent;
    std::set<std::pair<std::uint32_t, std::uint32_t>> refused; // driver handle, message

private:
    std::unique_ptr<simcard::CardModel> model_;
};

class InputWindowTest : public ChannelWindowTest {
protected:
    // A message as the window sent it: the handle-table entry it went out on and its parameter.
    struct Sent {
        int entry;
        DWORD param1;
        bool operator==(const Sent&) const = default;
    };

    simcard::CardModel& UseRecordedCards(int cards) {
        auto owned = std::make_unique<RecordingCard>(
            std::make_unique<simcard::CardModel>(cards, [] { return Clock().NowMs(); }));
        recorder = owned.get();
        model = &owned->Model();
        InstallCardService(std::move(owned));
        DiscoverCards();
        return *model;
    }

    // The handle-table entry of a driver handle: the window opens its handles in table order.
    int EntryOf(std::uint32_t handle) const {
        const auto facts = HandleFacts();
        for (std::size_t i = 0; i < facts.size(); ++i)
            if (facts[i].handle == handle)
                return static_cast<int>(i);
        return -1;
    }
    std::uint32_t HandleOfEntry(int entry) const {
        return HandleFacts().at(static_cast<std::size_t>(entry)).handle;
    }
    std::vector<Sent> SentOf(UINT message) const {
        std::vector<Sent> result;
        for (const RecordingCard::Sent& s : recorder->sent)
            if (s.message == message)
                result.push_back({EntryOf(s.handle), s.param1});
        return result;
    }
    void ClearSent() { recorder->sent.clear(); }
    void Refuse(int entry, UINT message) {
        recorder->refused.insert({HandleOfEntry(entry), message});
    }

    // The radio buttons of the panels lying where `designed` lies, card by card.
    static std::vector<std::vector<TRadioButton*>> ButtonsLike(const TChannelWindow* w,
                                                               const TPanel* designed) {
        std::vector<std::vector<TRadioButton*>> cards(static_cast<std::size_t>(w->Cards()));
        for (int i = 0; i < w->ComponentCount(); ++i) {
            auto* panel = dynamic_cast<TPanel*>(w->Components(i));
            if (!panel || panel->Parent() != designed->Parent() || panel->Top() != designed->Top())
                continue;
            for (int c = 0; c < panel->ControlCount(); ++c)
                if (auto* b = dynamic_cast<TRadioButton*>(panel->Controls(c)))
                    cards.at(static_cast<std::size_t>(panel->Tag())).push_back(b);
        }
        return cards;
    }

    RecordingCard* recorder = nullptr;
};
