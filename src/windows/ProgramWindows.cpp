#include "windows/ProgramWindows.h"

#include "windows/AdatInp.h"
#include "windows/AdatOut.h"
#include "windows/AnalogInp.h"
#include "windows/AnalogOut.h"
#include "windows/ChannelWindowRegistry.h"
#include "windows/DigInp.h"
#include "windows/DigOut.h"
#include "windows/DlgCfg.h"

// Each window class of this build registers here, usually as ChannelWindowClassOf(its global
// instance variable). A window that is not listed does not exist yet: its box on the hub unticks
// itself again.
void RegisterProgramWindows() {
    RegisterChannelWindow(ChannelWindowKind::AnalogInputs, ChannelWindowClassOf(frmAnalogInp));
    RegisterChannelWindow(ChannelWindowKind::DigitalInputs, ChannelWindowClassOf(frmDigInp));
    RegisterChannelWindow(ChannelWindowKind::AdatInputs, ChannelWindowClassOf(frmAdatInp));
    RegisterChannelWindow(ChannelWindowKind::AdatOutputs, ChannelWindowClassOf(frmAdatOut));
    RegisterChannelWindow(ChannelWindowKind::AnalogOutputs, ChannelWindowClassOf(frmAnalogOut));
    RegisterChannelWindow(ChannelWindowKind::DigitalOutputs, ChannelWindowClassOf(frmDigOut));
    RegisterSettingsDialog(SettingsDialogClassOf(dlgCfg));
}
