#include "driver/CardDiscovery.h"

#include "driver/ControlHandles.h"
#include "driver/DriverMessages.h"
#include "driver/SharedBlock.h"
#include "platform/WaveDevices.h"
#include "toolkit/Convert.h"
#include "toolkit/Exceptions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

DWORD WaveInSlots[kSlotCount];
DWORD WaveOutSlots[kSlotCount];
DWORD CardDevNodes[kMaxCards];
int CardCount = 0;
bool DriverPresent = false;

namespace {

constexpr const char* kCardNumerals[kMaxCards] = {"I", "II", "III", "IV"};
constexpr int kAdatChannelsPerCard = 8;

// Product ids of the card's recording and playback devices.
constexpr WORD kAnalogRecord = 8, kDigitalRecord = 10, kAdatRecord = 12;
constexpr WORD kAnalogPlayback = 7, kDigitalPlayback = 9, kAdatPlayback = 11;

// The slot a device of the card fills, or -1 when it is none of the card's or its name does not
// say which card. `analog`, `digital`, `adat` are the product ids of the direction.
int SlotOf(WORD productId, const char* name, WORD analog, WORD digital, WORD adat) {
    if (productId == analog || productId == digital) {
        int card = CardFromDeviceName(name);
        return card < 0 ? -1 : card * kSlotsPerCard + (productId == analog ? 0 : 1);
    }
    if (productId == adat) {
        int pair = 0;
        int card = DevNameChannelPairToCardId(name, kAdatChannelsPerCard, pair);
        return card * kSlotsPerCard + KindAdat + pair;
    }
    return -1;
}

// Files the matching devices of one direction and returns how many matched.
template <typename Caps>
int FileDevices(UINT count, MMRESULT (*getCaps)(UINT_PTR, Caps*, UINT), DWORD* slots, WORD analog,
                WORD digital, WORD adat) {
    int matched = 0;
    for (UINT device = 0; device < count; ++device) {
        Caps caps{};
        if (getCaps(device, &caps, sizeof caps) != MMSYSERR_NOERROR)
            continue;
        if (caps.wMid != kCardManufacturerId)
            continue;
        char name[MAXPNAMELEN + 1] = {};
        std::memcpy(name, caps.szPname, MAXPNAMELEN);
        int slot = SlotOf(caps.wPid, name, analog, digital, adat);
        if (slot < 0)
            continue;
        // classic behaviour: every matching device counts, also one on a slot already filled; a
        // slot past the fourth card (a fifth card's name) is not recorded.
        ++matched;
        if (slot < kSlotCount)
            slots[slot] = device;
    }
    return matched;
}

} // namespace

int CardFromDeviceName(const std::string& name) {
    // The last word, found scanning back no further than the second character.
    std::size_t start = name.size();
    while (start > 1 && name[start - 1] != ' ')
        --start;
    std::string word = name.substr(start, 3);
    // classic behaviour: a name without a last word (empty, or ending in a blank) is card I's.
    if (word.empty())
        word = "I";
    for (int card = 0; card < kMaxCards; ++card)
        if (word == kCardNumerals[card])
            return card;
    return -1;
}

int DevNameChannelPairToCardId(const std::string& name, int channelsPerCard, int& pair) {
    auto dash = name.rfind('-');
    if (dash == std::string::npos)
        throw EConvertError("DevNameChannelPairToCardId: Separator not found.");
    if (channelsPerCard <= 0)
        throw EConvertError("DevNameChannelPairToCardId: keine Kanäle je Karte.");
    // In 64 bits, so that a channel number near the int limits cannot overflow.
    const std::int64_t index = std::int64_t{StrToInt(name.substr(dash + 1))} - 2;
    pair = static_cast<int>((index % channelsPerCard) / 2);
    return static_cast<int>(index / channelsPerCard);
}

void DiscoverCards() {
    std::fill(std::begin(WaveInSlots), std::end(WaveInSlots), 0);
    std::fill(std::begin(WaveOutSlots), std::end(WaveOutSlots), 0);
    std::fill(std::begin(CardDevNodes), std::end(CardDevNodes), 0);
    CardCount = 0;
    DriverPresent = true;

    const WaveDeviceListReading lists;
    int matched = FileDevices(waveInGetNumDevs(), waveInGetDevCapsA, WaveInSlots, kAnalogRecord,
                              kDigitalRecord, kAdatRecord);
    matched += FileDevices(waveOutGetNumDevs(), waveOutGetDevCapsA, WaveOutSlots, kAnalogPlayback,
                           kDigitalPlayback, kAdatPlayback);
    // The tables hold four cards: more matching devices than four cards have (names counted
    // twice, a fifth card's devices) never make the count exceed them.
    CardCount = std::min(matched / (2 * kSlotsPerCard), kMaxCards);
    if (CardCount == 0) {
        DriverPresent = false;
        return;
    }

    SharedBlock block;
    if (!block.Obtain(kQuadBlockSize))
        return;
    for (int card = 0; card < CardCount; ++card) {
        ControlHandle handle = OpenControlHandle(0, card * kSlotsPerCard, true);
        SendControlMessage(handle, OUTMSG_GET_CARD_INFO, block.Address());
        CardDevNodes[card] = ReadCardInfoBlock(block.Flat());
        ControlHandle one[1] = {handle};
        CloseControlHandles(true, 1, one);
    }
}
