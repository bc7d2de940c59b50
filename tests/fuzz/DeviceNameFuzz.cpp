// The two device-name parsers of card discovery, on arbitrary names.

#include "driver/CardDiscovery.h"
#include "toolkit/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    int card = CardFromDeviceName(name);
    if (card < -1 || card >= kMaxCards)
        std::abort();
    try {
        int pair = -1;
        DevNameChannelPairToCardId(name, 8, pair);
        if (pair < -3 || pair > 3)
            std::abort();
    } catch (const EConvertError&) {
        // A name without "-" or without a number after it.
    }
    return 0;
}
