#pragma once
// Tests of the channel windows opened from the real mixer control window: the toolkit fixture
// with a two-card in-process card, the program's windows registered, and the hub created as the
// program creates it (after the main form, with the about box).

#include "forms/AboutBox.h"
#include "forms/FormsFixture.h"
#include "platform/CardConnection.h"
#include "sim/model/CardModel.h"
#include "windows/ChannelWindowRegistry.h"
#include "windows/MixControlWnd.h"
#include "windows/ProgramWindows.h"

#include <memory>

class ProgramHubTest : public FormsTest {
protected:
    ProgramHubTest() {
        auto owned = std::make_unique<simcard::CardModel>(2);
        model = owned.get();
        InstallCardService(std::move(owned));
        ClearWindowRegistry();
        RegisterProgramWindows();
        TForm* mainForm = nullptr;
        app.CreateForm(mainForm);
        app.CreateForm(MixControlWnd);
        app.CreateForm(AboutBox);
        hub = MixControlWnd;
    }
    ~ProgramHubTest() override {
        app.DestroyComponents();
        AboutBox = nullptr;
        ClearWindowRegistry();
        InstallCardService(nullptr);
    }

    // Lets time pass in steps of 10 ms, handling what each step posts.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 10) {
            clock->Advance(10);
            app.ProcessMessages();
        }
    }

    simcard::CardModel* model = nullptr;
    TMixControlWnd* hub = nullptr;
};
