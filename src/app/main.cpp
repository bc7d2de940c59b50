#include "app/Startup.h"
#include "controls/MixerControlsAutomation.h"
#include "toolkit/automation/AutomationEndpoint.h"

int main() {
    // First of all, so that a script can answer even the startup report's message box.
    RegisterMixerControlsAutomation();
    StartAutomationFromEnvironment();
    const int code = RunProgram();
    ShutdownProgram();
    return code;
}
