// The daemon's `--devices` file on arbitrary text. A file that parses describes devices that,
// written out again, parse to the same devices, and the card model lists each of them.

#include "sim/model/ExtraDevices.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool Same(const simcard::ExtraDevice& a, const simcard::ExtraDevice& b) {
    return a.direction == b.direction && a.manufacturerId == b.manufacturerId &&
           a.productId == b.productId && a.name == b.name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<simcard::ExtraDevice> devices;
    std::string error;
    if (!simcard::ParseExtraDevices(text, devices, &error)) {
        Require(error.starts_with("line "));
        return 0;
    }
    // "\r\n" keeps a name that itself ends in a carriage return.
    std::string written;
    for (const auto& device : devices)
        written += std::string(device.direction == simcard::WaveDirection::In ? "in " : "out ") +
                   std::to_string(device.manufacturerId) + " " + std::to_string(device.productId) +
                   " " + device.name + "\r\n";
    std::vector<simcard::ExtraDevice> again;
    Require(simcard::ParseExtraDevices(written, again, &error));
    Require(std::equal(devices.begin(), devices.end(), again.begin(), again.end(), Same));

    simcard::CardModel model(1, simcard::SteadyModelClock());
    for (const auto& device : devices)
        model.AddExtraDevice(device);
    for (const auto& device : devices) {
        const auto listed = model.ListDevices(device.direction);
        Require(std::any_of(listed.begin(), listed.end(), [&](const simcard::WaveDeviceCaps& caps) {
            return caps.name == device.name && caps.manufacturerId == device.manufacturerId &&
                   caps.productId == device.productId;
        }));
    }
    return 0;
}
