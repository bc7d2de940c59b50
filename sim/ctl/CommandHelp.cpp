#include "sim/ctl/CommandHelp.h"

namespace simcard {

namespace {

struct Entry {
    const char* command;
    const char* text;
};

const Entry kHelp[] = {
    {"status",
     "varnelctl status\n"
     "  Prints every fact of the simulated card as key=value lines: cards, wave devices,\n"
     "  each card's gains, monitor states, routes, format, digital input and rates,\n"
     "  signals, busy devices, faults, configuration record, the getstates states and\n"
     "  the open handles.\n"},
    {"trace", "varnelctl trace [--clear]\n"
              "  Prints the requests the daemon has answered, oldest first; --clear empties the\n"
              "  list.\n"},
    {"state", "varnelctl state driver <n>\n"
              "varnelctl state card <1..4> <n>\n"
              "  Sets the states getstates reports (1 ready, 0 no card, negative: an error id).\n"},
    {"signal", "varnelctl signal <card> <device> sine <dBFS> [<Hz>]\n"
               "varnelctl signal <card> <device> noise <dBFS>\n"
               "varnelctl signal <card> <device> silence\n"
               "varnelctl signal <card> <device> file <path>\n"
               "varnelctl signal <card> <device> capture [<source>]\n"
               "varnelctl signal <card> <device> playback-sink\n"
               "  Sets the signal at a recording device's input, or what applications play on a\n"
               "  playback device. A file (WAV and the like) plays in a loop.\n"
               "  capture: a recording device follows a capture source of the machine's sound\n"
               "  server (its default source when none is named; <sink>.monitor hears what is\n"
               "  played to a sink), through the same gain as a generated signal.\n"
               "  playback-sink: the playback device becomes the sink varnel_pro.<card>.<device>\n"
               "  of the sound server; what applications play to it is the device's signal.\n"
               "  Without a sound server the device is silent and status says why; it follows\n"
               "  the server again once one is there.\n"
               "  Devices: analog-in, digital-in, adat-in-1..4, analog-out, digital-out,\n"
               "  adat-out-1..4. Cards count from 0.\n"},
    {"output", "varnelctl output <card> analog-out|digital-out sink [<sink>]\n"
               "varnelctl output <card> analog-out|digital-out off\n"
               "  Plays what the output plays (after its route) to a sink of the machine's sound\n"
               "  server, so that it is heard (the default sink when none is named), or stops it.\n"
               "  Refused when the sink's monitor is recorded by one of the card's own inputs,\n"
               "  or the sink is one of its own playback sinks.\n"},
    {"busy", "varnelctl busy <card> <device> on|off\n"
             "  An application takes or releases a device.\n"},
    {"dinput", "varnelctl dinput <card> optical|electrical|cd\n"
               "  Selects the digital input, as another program would.\n"},
    {"rate", "varnelctl rate <card> optical|electrical|cd <Hz>\n"
             "  Sets the rate arriving at a digital input; 0 means no lock.\n"},
    {"route", "varnelctl route <card> analog|digital <b0> <b1> <b2> <b3>\n"
              "  Sets an output's route bytes as another program would (refused for source 4\n"
              "  while the output is busy).\n"},
    {"monitor", "varnelctl monitor <card> analog|digital <b0> <b1> <b2> <b3>\n"
                "  Sets a recording kind's monitor state bytes as another program would.\n"},
    {"gain", "varnelctl gain <card> <left word> <right word>\n"
             "  Sets the analog input's gain words as another program would.\n"},
    {"format", "varnelctl format <card> <word>\n"
               "  Sets the digital output's format word as another program would.\n"},
    {"fault", "varnelctl fault meter-on <card> <device> on|off\n"
              "varnelctl fault meter-read <card> <device> on|off\n"
              "varnelctl fault open <card> <device> on|off\n"
              "varnelctl fault config hang|crash|off\n"
              "varnelctl fault config slow <ms>\n"
              "  Refuses meter-on or every meter read on a device, fails every open of a\n"
              "  device, or makes the configuration process hang, crash or answer slowly.\n"},
    {"unplug", "varnelctl unplug <card> [--no-wait] [--on-open <device>]\n"
               "  Asks every client whether the card may go and removes it once all have\n"
               "  answered (or after a few seconds). Waits for the removal unless --no-wait.\n"
               "  With --on-open the query goes out right after the daemon has answered the\n"
               "  next open of that device, and varnelctl returns at once.\n"},
    {"plug", "varnelctl plug <card>\n"
             "  Puts the card last unplugged as <card> back, with its state. Programs are not\n"
             "  told; the next one to start finds it.\n"},
    {"setup", "varnelctl setup save <file> [<card>]\n"
              "varnelctl setup load <file> [<card>]\n"
              "varnelctl setup show <file> [<card>]\n"
              "  save writes the cards' setup (configuration record, gains, monitor states and\n"
              "  digital input, routes, output format, input rates) to a readable, versioned text\n"
              "  file, replacing it at once. load applies a setup as another program changing the\n"
              "  driver would and prints each fact it changed; show prints what a load would\n"
              "  change. With <card>: save writes that card only; load and show apply a setup of\n"
              "  one card to <card>, or that card's lines of a setup of several. A damaged,\n"
              "  foreign or newer file, or a change the driver would refuse, is reported with its\n"
              "  line and changes nothing.\n"},
    {"shutdown", "varnelctl shutdown [--force]\n"
                 "  Ends the card daemon as its idle exit does (the cards' state written where it\n"
                 "  keeps one, its socket removed) and returns once it has ended. Refused while a\n"
                 "  manager is connected, unless --force.\n"},
    {"meter", "varnelctl meter <card> <device> [<ms>]\n"
              "  Meters a device as the manager does: opens a control handle, switches its meter\n"
              "  on, reads the peaks after <ms> (default 100) and prints peak=<left>,<right> on\n"
              "  the 0..32767 scale.\n"},
    {"ui", "varnelctl ui <request words...>\n"
           "  Sends one request to the running manager's automation endpoint (the socket\n"
           "  $VARNEL_AUTOMATION names) and prints its answer; exits 1 when it ends in\n"
           "  error:. A single argument is sent as the whole request line; several are\n"
           "  quoted as needed. Requests: windows; dump <window>; click <window> <name>;\n"
           "  set <window> <name> <value>; sysmenu <window> <item text>; tray dblclick|click;\n"
           "  msgbox; answer ok|cancel|yes|no; close <window>; idle;\n"
           "  screenshot <window> <file.png>; key <window> <key>... (Tab, Shift+Tab,\n"
           "  Return, Escape, space, Up, Down, Left, Right, Prior, Next, Home, End, F1-F12,\n"
           "  Alt+<letter>, Ctrl+<key>); type <window> <text>; focus <window> <name>;\n"
           "  dblclick <window> <name>; wheel <window> <name> <steps>; move <window> <x> <y>;\n"
           "  resize <window> <w> <h>; state <window> normal|minimized|maximized;\n"
           "  scroll <window> <name> <position>.\n"},
};

} // namespace

std::string CommandHelp(const std::string& command) {
    for (const Entry& e : kHelp)
        if (command == e.command)
            return e.text;
    return {};
}

std::string OverallHelp() {
    std::string text = "usage: varnelctl <command> [arguments]   (varnelctl <command> --help)\n"
                       "Numbers are decimal or 0x hexadecimal.\n\n";
    for (const Entry& e : kHelp)
        text += e.text;
    return text;
}

} // namespace simcard
