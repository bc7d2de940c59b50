#include "app/Startup.h"
#include "backends/qt/Desktop.h"

int main(int argc, char** argv) {
    // The desktop comes first: it decides between a window system and a headless run, and a
    // second start only asks the running manager to show its hub.
    if (StartDesktop(argc, argv) == DesktopStart::AlreadyRunning)
        return 0;
    const int code = RunProgram();
    ShutdownProgram();
    StopDesktop();
    return code;
}
