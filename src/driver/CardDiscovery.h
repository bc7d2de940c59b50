#pragma once
// Finding the cards among the system's wave devices: each card presents six recording and six
// playback devices, filed under slot card × 6 + kind (0 analog, 1 digital, 2..5 the ADAT pairs
// 1-2, 3-4, 5-6, 7-8). Filled once, when the mixer control window is created.

#include "platform/WinTypes.h"

#include <string>

constexpr int kMaxCards = 4;
constexpr int kSlotsPerCard = 6;
constexpr int kSlotCount = kMaxCards * kSlotsPerCard;
constexpr WORD kCardManufacturerId = 190;

enum DeviceKind { KindAnalog = 0, KindDigital = 1, KindAdat = 2 };

extern DWORD WaveInSlots[kSlotCount];  // recording device of each slot; 0 where none was found
extern DWORD WaveOutSlots[kSlotCount]; // playback device of each slot; 0 where none was found
extern DWORD CardDevNodes[kMaxCards];  // each card's device node; 0 where not read
extern int CardCount;                  // 0..4
extern bool DriverPresent;

// The card a device name ends in ("I" … "IV", an empty last word counting as "I"), or -1.
int CardFromDeviceName(const std::string& name);
// The card and channel pair of an ADAT device from the channel number after the name's last "-".
// Raises EConvertError when there is no "-" or no number after it.
int DevNameChannelPairToCardId(const std::string& name, int channelsPerCard, int& pair);

// Fills the slot tables, CardCount, DriverPresent and CardDevNodes. A conversion error of an
// ADAT name and EAbort of a failed open leave the state as far as it got and reach the caller.
void DiscoverCards();
