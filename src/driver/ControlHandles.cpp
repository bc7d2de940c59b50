#include "driver/ControlHandles.h"

#include "driver/CardDiscovery.h"
#include "driver/DriverMessages.h"
#include "platform/WaveDevices.h"
#include "toolkit/Exceptions.h"

#include <algorithm>

namespace {

#pragma pack(push, 1)
// The format that tells the driver a handle is for control messages only.
struct ControlFormat {
    WAVEFORMATEX format;
    char extra[5];
};
#pragma pack(pop)

constexpr ControlFormat kControlFormat{{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 4},
                                       {'C', 'T', 'R', 'L', '\0'}};

} // namespace

ControlHandle OpenControlHandle(HWND window, int slot, bool isOutput) {
    if (slot < 0 || slot >= kSlotCount)
        throw EAbort();
    const DWORD flags = window ? CALLBACK_WINDOW : CALLBACK_NULL;
    MMRESULT result;
    ControlHandle handle = 0;
    if (isOutput) {
        HWAVEOUT out = nullptr;
        result = waveOutOpen(&out, WaveOutSlots[slot], &kControlFormat.format, window, 0, flags);
        handle = reinterpret_cast<ControlHandle>(out);
    } else {
        HWAVEIN in = nullptr;
        result = waveInOpen(&in, WaveInSlots[slot], &kControlFormat.format, window, 0, flags);
        handle = reinterpret_cast<ControlHandle>(in);
    }
    if (result != MMSYSERR_NOERROR)
        throw EAbort();
    return handle;
}

void OpenControlRange(HWND window, int kind, bool isOutput, int firstChannel, int lastChannel,
                      int firstCard, int lastCard, std::span<ControlHandle> handles) {
    if (kind < KindAnalog || kind > KindAdat)
        throw EAbort();
    std::size_t next = 0;
    for (int card = firstCard; card <= lastCard; ++card)
        for (int channel = firstChannel; channel <= lastChannel; ++channel) {
            if (next >= handles.size())
                throw EAbort();
            handles[next++] =
                OpenControlHandle(window, card * kSlotsPerCard + kind + channel / 2, isOutput);
        }
}

void CloseControlHandles(bool isOutput, int count, std::span<ControlHandle> handles) {
    const auto n = std::min(handles.size(), static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < n; ++i) {
        if (handles[i] == 0)
            continue;
        MMRESULT result = isOutput ? waveOutClose(reinterpret_cast<HWAVEOUT>(handles[i]))
                                   : waveInClose(reinterpret_cast<HWAVEIN>(handles[i]));
        if (result == MMSYSERR_NOERROR)
            handles[i] = 0;
    }
}

MMRESULT SendControlMessage(ControlHandle handle, UINT message, DWORD_PTR param1) {
    switch (SideOf(message)) {
    case MessageSide::Playback:
        return waveOutMessage(reinterpret_cast<HWAVEOUT>(handle), message, param1, 0);
    case MessageSide::Recording:
        return waveInMessage(reinterpret_cast<HWAVEIN>(handle), message, param1, 0);
    case MessageSide::None:
        break;
    }
    return MMSYSERR_NOTSUPPORTED;
}
