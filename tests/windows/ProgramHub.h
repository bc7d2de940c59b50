#pragma once
// The program's windows created as the program creates them, on a two-card in-process card: the
// program's windows registered, the main form first, then the hub and the about box.

#include "forms/AboutBox.h"
#include "platform/CardConnection.h"
#include "platform/TimerScheduler.h"
#include "sim/model/CardModel.h"
#include "toolkit/TApplication.h"
#include "windows/ChannelWindowRegistry.h"
#include "windows/MixControlWnd.h"
#include "windows/ProgramWindows.h"

#include <memory>

// Creates them on `app`; the card they talk to.
inline simcard::CardModel* CreateProgramHub(TApplication& app) {
    auto owned = std::make_unique<simcard::CardModel>(2, [] { return Clock().NowMs(); });
    simcard::CardModel* model = owned.get();
    InstallCardService(std::move(owned));
    ClearWindowRegistry();
    RegisterProgramWindows();
    TForm* mainForm = nullptr;
    app.CreateForm(mainForm);
    app.CreateForm(MixControlWnd);
    app.CreateForm(AboutBox);
    return model;
}

// Destroys them with the rest of `app`'s components and takes the card away.
inline void DestroyProgramHub(TApplication& app) {
    app.DestroyComponents();
    AboutBox = nullptr;
    // The windows went with the application; their instance variables must not outlive them.
    for (int k = 0; k < kChannelWindowKinds; ++k)
        if (const ChannelWindowClass* windowClass =
                FindChannelWindow(static_cast<ChannelWindowKind>(k)))
            windowClass->setInstance(nullptr);
    ClearWindowRegistry();
    InstallCardService(nullptr);
}
