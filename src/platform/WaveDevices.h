#pragma once
// The wave device services under their classic names: device lists with their capabilities,
// handles, and the driver-defined messages sent on them. They reach the card's driver through
// the CardConnection (the card daemon, or an in-process card in unit tests).

#include "platform/MmResults.h"

#include <cstddef>

// Handles are opaque: distinct types for the two directions, null when not open.
struct HWAVEIN__;
struct HWAVEOUT__;
using HWAVEIN = HWAVEIN__*;
using HWAVEOUT = HWAVEOUT__*;
using UINT_PTR = std::uintptr_t;

constexpr UINT WAVE_FORMAT_PCM = 1;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;

// What a handle opened with CALLBACK_WINDOW posts to its window; wParam is the handle.
constexpr UINT MM_WOM_OPEN = 0x3BB;
constexpr UINT MM_WOM_CLOSE = 0x3BC;
constexpr UINT MM_WIM_OPEN = 0x3BE;
constexpr UINT MM_WIM_CLOSE = 0x3BF;

constexpr std::size_t MAXPNAMELEN = 32;

#pragma pack(push, 1)
// Followed in memory by cbSize extra bytes, which the open hands to the driver with it.
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct WAVEINCAPSA {
    WORD wMid;
    WORD wPid;
    DWORD vDriverVersion;
    char szPname[MAXPNAMELEN];
    DWORD dwFormats;
    WORD wChannels;
    WORD wReserved1;
};
static_assert(sizeof(WAVEINCAPSA) == 48);

struct WAVEOUTCAPSA {
    WORD wMid;
    WORD wPid;
    DWORD vDriverVersion;
    char szPname[MAXPNAMELEN];
    DWORD dwFormats;
    WORD wChannels;
    WORD wReserved1;
    DWORD dwSupport;
};
static_assert(sizeof(WAVEOUTCAPSA) == 52);

// While one lives on a thread, the device counts and capabilities asked for on that thread come
// from one reading of each direction's list: a discovery that asks for every device's
// capabilities makes a request to the driver per direction instead of one per device. Devices
// plugged meanwhile are seen by the next reading.
class WaveDeviceListReading {
public:
    WaveDeviceListReading();
    ~WaveDeviceListReading();
    WaveDeviceListReading(const WaveDeviceListReading&) = delete;
    WaveDeviceListReading& operator=(const WaveDeviceListReading&) = delete;

private:
    bool outermost_;
};

UINT waveInGetNumDevs();
// Copies at most cbwic bytes of the capabilities of device uDeviceID.
MMRESULT waveInGetDevCapsA(UINT_PTR uDeviceID, WAVEINCAPSA* pwic, UINT cbwic);
// fdwOpen: CALLBACK_NULL, or CALLBACK_WINDOW with dwCallback the window that gets MM_WIM_OPEN
// and MM_WIM_CLOSE. Other callback kinds and query opens are not offered (MMSYSERR_INVALFLAG).
MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* pwfx, DWORD_PTR dwCallback,
                    DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT waveInClose(HWAVEIN hwi);
// For a message whose first parameter is a block, dw1 is the block's 16:16 address: the driver
// reads the block and writes its answer into it before the call returns. An address that is not
// a live block of the message's block size gives MMSYSERR_INVALPARAM and reaches no driver.
MMRESULT waveInMessage(HWAVEIN hwi, UINT uMsg, DWORD_PTR dw1, DWORD_PTR dw2);

UINT waveOutGetNumDevs();
MMRESULT waveOutGetDevCapsA(UINT_PTR uDeviceID, WAVEOUTCAPSA* pwoc, UINT cbwoc);
MMRESULT waveOutOpen(HWAVEOUT* phwo, UINT uDeviceID, const WAVEFORMATEX* pwfx, DWORD_PTR dwCallback,
                     DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT waveOutClose(HWAVEOUT hwo);
MMRESULT waveOutMessage(HWAVEOUT hwo, UINT uMsg, DWORD_PTR dw1, DWORD_PTR dw2);

// Copies `name` into a fixed field of `size` bytes with its terminating zero, cut before a
// character that would not fit whole (the name is UTF-8).
void CopyDeviceName(char* field, std::size_t size, const char* name, std::size_t length);
