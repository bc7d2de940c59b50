#pragma once
// Tests of the channel windows opened from the real mixer control window: the toolkit fixture
// with a two-card in-process card, the program's windows registered, and the hub created as the
// program creates it (after the main form, with the about box).

#include "forms/FormsFixture.h"
#include "windows/ProgramHub.h"

class ProgramHubTest : public FormsTest {
protected:
    ProgramHubTest() : model(CreateProgramHub(app)), hub(MixControlWnd) {}
    ~ProgramHubTest() override { DestroyProgramHub(app); }

    // Lets time pass in steps of 10 ms, handling what each step posts.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 10) {
            clock->Advance(10);
            app.ProcessMessages();
        }
    }

    simcard::CardModel* model;
    TMixControlWnd* hub;
};
