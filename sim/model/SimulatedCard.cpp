#include "sim/model/SimulatedCard.h"

namespace simcard {

SimulatedCard::SimulatedCard(std::uint32_t node, int position)
    : devnode(node), config(DefaultConfigRecord(position)) {
    monitor[kAnalog] = {0, 1, 0, 0};
    monitor[kDigital] = {kInputElectrical, 2, 0, 0};
    route[kAnalog] = {0, 0, 1, 0};
    route[kDigital] = {0, 0, 1, 0};
    rates = {0, 48000, 44100};
    // Live inputs out of the box: the analog and digital inputs swell slowly around -12 dBFS,
    // every ADAT channel a little quieter and at a pace of its own.
    input[kAnalog] = Signal::Swell(-12, 6, 4000, 0.0, 1.3);
    input[kDigital] = Signal::Swell(-12, 5, 5300, 0.7, 2.1);
    for (int pair = 0; pair < 4; ++pair)
        input[kFirstAdat + pair] =
            Signal::Swell(-20 - 2 * pair, 6, 3100 + 700 * pair, 0.4 * pair, 0.4 * pair + 2.5);
}

std::uint32_t SimulatedCard::SelectedRate() const {
    std::uint8_t selected = SelectedInput();
    if (selected < kInputOptical || selected > kInputCd)
        return 0;
    return rates[selected - 1];
}

} // namespace simcard
