#pragma once
// The format a control handle opens a wave device with, as the program sends it: 16-bit stereo
// PCM at 44.1 kHz with the "CTRL" tag (and its trailing zero) as the extra bytes.

#include "platform/WaveDevices.h"

namespace testsupport {

#pragma pack(push, 1)
struct ControlFormat {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 4};
    char extra[5] = {'C', 'T', 'R', 'L', 0};
};
#pragma pack(pop)

} // namespace testsupport
