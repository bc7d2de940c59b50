#pragma once
// What the automation shows of the mixer's own controls and how it moves them: a meter's level,
// lit lamps and held peak (its lamps are summed up, not listed), a slider's position, reached by
// dragging its knob as a user would.

// Call once at start, before requests arrive.
void RegisterMixerControlsAutomation();
