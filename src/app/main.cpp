#include "app/Startup.h"
#include "backends/qt/Desktop.h"
#include "base/ProgramOptions.h"
#include "controls/MixerControlsAutomation.h"
#include "toolkit/automation/AutomationEndpoint.h"

#include <cstdio>
#include <string>

namespace {

const char kHelp[] =
    "Usage: varnel-manager [--quit]\n"
    "The notification-area manager and mixer panel of up to four Varnel PRO sound cards: puts\n"
    "the mixer icon into the notification area; a double-click on it opens the mixer control\n"
    "window, from which the channel windows and the settings dialog are opened. It ends when a\n"
    "card is about to be removed, on SIGTERM, SIGINT or SIGHUP, and on --quit. Starting it\n"
    "while it runs shows the running one's mixer control window.\n"
    "\n"
    "Options:\n"
    "  --quit       end the manager running for this user on this display as SIGTERM does\n"
    "               (windows' state saved, meters off, icon removed) and wait for its end\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Environment:\n"
    "  VARNEL_HEADLESS=1      run without a display: message boxes and the icon are lines\n"
    "                         on stderr (also when no display can be opened)\n"
    "  VARNEL_AUTOMATION      a socket path: drive the program from outside (varnelctl ui)\n"
    "  VARNEL_CARD_SOCKET     the card daemon's socket\n"
    "  VARNEL_NO_AUTOSPAWN=1  do not start a card daemon when none answers\n"
    "  VARNEL_BIN_DIR         where the configuration process and the daemon are started from\n"
    "\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/varnel-pro/Zq40Promix.ini\n"
    "               window positions and view options (~/.config/varnel-pro/ by default)\n"
    "  $XDG_STATE_HOME/varnel-pro/varnel-cardd.log\n"
    "               the messages of a card daemon started on demand\n"
    "\n"
    "Exit status:\n"
    "  0            ended; with --quit: the running manager has ended\n"
    "  1            with --quit: none was running, or it did not end\n"
    "  2            a command line it does not understand\n";

} // namespace

int main(int argc, char** argv) {
    // Nothing starts before the command line is understood.
    if (argc > 2)
        return base::UsageError("varnel-manager", kHelp, "too many arguments");
    if (argc == 2) {
        const std::string arg = argv[1];
        if (base::AnswerStandardOption(arg, "varnel-manager", kHelp))
            return 0;
        if (arg != "--quit")
            return base::UsageError("varnel-manager", kHelp, "unknown option \"" + arg + "\"");
        std::string error;
        if (QuitRunningManager(error))
            return 0;
        std::fprintf(stderr, "varnel-manager: %s\n", error.c_str());
        return 1;
    }
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
