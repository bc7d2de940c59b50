#pragma once
// Settings-dialog tests run on the form-utility fixture (virtual clock, scripted message boxes, a
// private INI file) with an in-process card that plays the driver: the dialog's configuration
// commands go to the card model, which answers them as the configuration process would. A test
// can make a command fail as a failed launch does, and reads the driver's records back.

#include "driver/CardDiscovery.h"
#include "driver/ConfigChannel.h"
#include "forms/AboutBox.h"
#include "forms/FormsFixture.h"
#include "platform/CardConnection.h"
#include "platform/TimerScheduler.h"
#include "sim/model/CardModel.h"
#include "sim/model/ConfigRecord.h"
#include "windows/DlgCfg.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

class SettingsDialogTest : public FormsTest {
protected:
    SettingsDialogTest() {
        UseCards(2);
        TdlgCfg::SetConfigRunner([this](UINT code, void* record, DWORD size) {
            commands.push_back(CommandWord(code));
            if (failing.contains(code))
                return false;
            auto* bytes = static_cast<std::uint8_t*>(record);
            auto reply = model->Config(code, {bytes, size});
            std::copy(reply.data.begin(), reply.data.end(), bytes);
            return true;
        });
        AboutBox = new TAboutBox(&app);
    }
    ~SettingsDialogTest() override {
        app.DestroyComponents();
        AboutBox = nullptr;
        TdlgCfg::SetConfigRunner(nullptr);
        InstallCardService(nullptr);
    }

    simcard::CardModel& UseCards(int cards) {
        auto owned = std::make_unique<simcard::CardModel>(cards, [] { return Clock().NowMs(); });
        model = owned.get();
        InstallCardService(std::move(owned));
        DiscoverCards();
        return *model;
    }

    // The block as the hub holds it after its getconfig.
    void ReadBlock() {
        auto reply = model->Config(CFG_GETCONFIG,
                                   {static_cast<std::uint8_t*>(block.Data()), ConfigBlock::kSize});
        std::copy(reply.data.begin(), reply.data.end(), static_cast<std::uint8_t*>(block.Data()));
    }

    // A dialog for `card`, created and shown as the hub does (the block read first).
    TdlgCfg* Open(int card = 0) {
        ReadBlock();
        dialog = new TdlgCfg(&app, block, card, CardCount);
        dialog->Show();
        commands.clear();
        return dialog;
    }

    // A field of the driver's own record of a card.
    std::int32_t DriverField(int card, ConfigField field) const {
        return simcard::ReadInt32(model->Card(card).config, static_cast<std::size_t>(field));
    }
    void SetDriverField(int card, ConfigField field, std::int32_t value) {
        simcard::WriteInt32(model->Card(card).config, static_cast<std::size_t>(field), value);
    }
    // Another program keeps one of the card's devices open: the driver cannot be reconfigured.
    void Busy(bool on) { model->Card(0).busy[0][0] = on; }

    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& shown : boxes->History())
            texts.push_back(shown.request.caption);
        return texts;
    }

    static std::string CommandWord(UINT code) {
        switch (code) {
        case CFG_RECONFIGURABLE:
            return "reconfigurable";
        case CFG_GETCONFIG:
            return "getconfig";
        case CFG_SETCONFIG:
            return "setconfig";
        default:
            return "other";
        }
    }

    simcard::CardModel* model = nullptr;
    ConfigBlock block;
    TdlgCfg* dialog = nullptr;
    std::vector<std::string> commands;
    std::set<UINT> failing;
};
