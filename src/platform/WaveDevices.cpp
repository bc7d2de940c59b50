#include "platform/WaveDevices.h"

#include "platform/CardConnection.h"
#include "platform/MessageQueue.h"
#include "platform/WindowTable.h"
#include "platform/Wow16.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

using simcard::WaveDirection;

namespace {

// What every device reports beside its identity: the card's devices are stereo pairs; the
// driver names no standard formats, volume or version, so those fields stay empty.
constexpr WORD kChannels = 2;

using DeviceList = std::optional<std::vector<simcard::WaveDeviceCaps>>;

// The lists read while a WaveDeviceListReading lives on this thread, by direction.
struct ListsRead {
    std::optional<DeviceList> in, out;
};
thread_local std::optional<ListsRead> listsRead;

DeviceList Devices(WaveDirection dir) {
    if (!listsRead)
        return CardConnection::Instance().ListDevices(dir);
    std::optional<DeviceList>& list = dir == WaveDirection::In ? listsRead->in : listsRead->out;
    if (!list)
        list = CardConnection::Instance().ListDevices(dir);
    return *list;
}

template <typename Caps>
MMRESULT GetDevCaps(WaveDirection dir, UINT_PTR deviceId, Caps* caps, UINT size) {
    if (!caps)
        return MMSYSERR_INVALPARAM;
    const DeviceList devices = Devices(dir);
    if (!devices)
        return MMSYSERR_NODRIVER;
    if (deviceId >= devices->size())
        return MMSYSERR_BADDEVICEID;
    const simcard::WaveDeviceCaps& device = (*devices)[deviceId];
    Caps full{};
    full.wMid = device.manufacturerId;
    full.wPid = device.productId;
    CopyDeviceName(full.szPname, sizeof full.szPname, device.name.data(), device.name.size());
    full.wChannels = kChannels;
    // Classic behaviour: a short buffer receives the leading part of the record.
    std::memcpy(caps, &full, std::min<std::size_t>(size, sizeof full));
    return MMSYSERR_NOERROR;
}

UINT GetNumDevs(WaveDirection dir) {
    const DeviceList devices = Devices(dir);
    return devices ? static_cast<UINT>(devices->size()) : 0;
}

MMRESULT Open(WaveDirection dir, std::uintptr_t& handle, UINT deviceId, const WAVEFORMATEX* format,
              DWORD_PTR callback, DWORD flags) {
    if (!format)
        return MMSYSERR_INVALPARAM;
    const DWORD kind = flags & CALLBACK_TYPEMASK;
    if ((flags & ~CALLBACK_TYPEMASK) != 0 || (kind != CALLBACK_NULL && kind != CALLBACK_WINDOW))
        return MMSYSERR_INVALFLAG;
    HWND window = 0;
    if (kind == CALLBACK_WINDOW) {
        window = static_cast<HWND>(callback);
        if (callback > 0xFFFFFFFFu || !IsWindowHandle(window))
            return MMSYSERR_INVALPARAM;
    }
    // The record and its extra bytes, as the driver reads them.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(format);
    std::span<const std::uint8_t> formatBytes(bytes, sizeof(WAVEFORMATEX) + format->cbSize);
    MMRESULT result = CardConnection::Instance().Open(dir, deviceId, formatBytes, window, handle);
    if (result == MMSYSERR_NOERROR && window)
        PostMessageA(window, dir == WaveDirection::In ? MM_WIM_OPEN : MM_WOM_OPEN,
                     static_cast<WPARAM>(handle), 0);
    return result;
}

MMRESULT Close(WaveDirection dir, std::uintptr_t handle) {
    HWND window = 0;
    MMRESULT result = CardConnection::Instance().Close(dir, handle, window);
    if (result == MMSYSERR_NOERROR && window)
        PostMessageA(window, dir == WaveDirection::In ? MM_WIM_CLOSE : MM_WOM_CLOSE,
                     static_cast<WPARAM>(handle), 0);
    return result;
}

MMRESULT Message(WaveDirection dir, std::uintptr_t handle, UINT message, DWORD_PTR p1,
                 DWORD_PTR p2) {
    if (handle == 0)
        return MMSYSERR_INVALHANDLE;
    // Parameters are 32-bit values on the driver's side.
    if (p1 > 0xFFFFFFFFu || p2 > 0xFFFFFFFFu)
        return MMSYSERR_INVALPARAM;
    const auto address = static_cast<DWORD>(p1);
    const std::size_t size = simcard::MessageBlockSize(dir, message);
    std::uint8_t* flat = nullptr;
    std::vector<std::uint8_t> block;
    if (size > 0) {
        flat =
            static_cast<std::uint8_t*>(WOWGetVDMPointer(address, static_cast<DWORD>(size), TRUE));
        if (!flat)
            return MMSYSERR_INVALPARAM;
        block.assign(flat, flat + size);
    }
    MMRESULT result = CardConnection::Instance().Message(dir, handle, message, address,
                                                         static_cast<DWORD>(p2), block);
    if (flat)
        std::copy(block.begin(), block.end(), flat);
    return result;
}

} // namespace

void CopyDeviceName(char* field, std::size_t size, const char* name, std::size_t length) {
    if (size == 0)
        return;
    std::size_t n = std::min(length, size - 1);
    // Back up over continuation bytes so that the cut falls before a character's first byte.
    if (n < length)
        while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(field, name, n);
    std::memset(field + n, 0, size - n);
}

WaveDeviceListReading::WaveDeviceListReading() : outermost_(!listsRead) {
    if (outermost_)
        listsRead.emplace();
}

WaveDeviceListReading::~WaveDeviceListReading() {
    if (outermost_)
        listsRead.reset();
}

UINT waveInGetNumDevs() {
    return GetNumDevs(WaveDirection::In);
}

MMRESULT waveInGetDevCapsA(UINT_PTR uDeviceID, WAVEINCAPSA* pwic, UINT cbwic) {
    return GetDevCaps(WaveDirection::In, uDeviceID, pwic, cbwic);
}

MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* pwfx, DWORD_PTR dwCallback,
                    DWORD_PTR, DWORD fdwOpen) {
    if (!phwi)
        return MMSYSERR_INVALPARAM;
    std::uintptr_t handle = 0;
    MMRESULT result = Open(WaveDirection::In, handle, uDeviceID, pwfx, dwCallback, fdwOpen);
    *phwi = result == MMSYSERR_NOERROR ? reinterpret_cast<HWAVEIN>(handle) : nullptr;
    return result;
}

MMRESULT waveInClose(HWAVEIN hwi) {
    return Close(WaveDirection::In, reinterpret_cast<std::uintptr_t>(hwi));
}

MMRESULT waveInMessage(HWAVEIN hwi, UINT uMsg, DWORD_PTR dw1, DWORD_PTR dw2) {
    return Message(WaveDirection::In, reinterpret_cast<std::uintptr_t>(hwi), uMsg, dw1, dw2);
}

UINT waveOutGetNumDevs() {
    return GetNumDevs(WaveDirection::Out);
}

MMRESULT waveOutGetDevCapsA(UINT_PTR uDeviceID, WAVEOUTCAPSA* pwoc, UINT cbwoc) {
    return GetDevCaps(WaveDirection::Out, uDeviceID, pwoc, cbwoc);
}

MMRESULT waveOutOpen(HWAVEOUT* phwo, UINT uDeviceID, const WAVEFORMATEX* pwfx, DWORD_PTR dwCallback,
                     DWORD_PTR, DWORD fdwOpen) {
    if (!phwo)
        return MMSYSERR_INVALPARAM;
    std::uintptr_t handle = 0;
    MMRESULT result = Open(WaveDirection::Out, handle, uDeviceID, pwfx, dwCallback, fdwOpen);
    *phwo = result == MMSYSERR_NOERROR ? reinterpret_cast<HWAVEOUT>(handle) : nullptr;
    return result;
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
    return Close(WaveDirection::Out, reinterpret_cast<std::uintptr_t>(hwo));
}

MMRESULT waveOutMessage(HWAVEOUT hwo, UINT uMsg, DWORD_PTR dw1, DWORD_PTR dw2) {
    return Message(WaveDirection::Out, reinterpret_cast<std::uintptr_t>(hwo), uMsg, dw1, dw2);
}
