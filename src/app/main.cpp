#include "app/Startup.h"
#include "backends/qt/Desktop.h"
#include "controls/MixerControlsAutomation.h"
#include "toolkit/automation/AutomationEndpoint.h"

int main(int argc, char** argv) {
    // The desktop comes first: it decides between a window system and a headless run, and a
    // second start only asks the running manager to show its hub.
    if (StartDesktop(argc, argv) == DesktopStart::AlreadyRunning)
        return 0;
    // Then the automation endpoint, before anything could show a message box, so that a script
    // can answer even the startup report's boxes.
    RegisterMixerControlsAutomation();
    StartAutomationFromEnvironment();
    const int code = RunProgram();
    ShutdownProgram();
    StopDesktop();
    return code;
}
