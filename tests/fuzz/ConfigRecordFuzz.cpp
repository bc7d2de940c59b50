// The configuration process on arbitrary records in its data block, with the card model as its
// driver. Input: one byte choosing the command (bits 0-1), the number of cards (bits 2-3) and a
// slow driver (bit 4), then the block's bytes (cut or zero-filled to the command's size).
//
// The process completes every command, writes only its own two blocks, and a record set is the
// record got back, byte for byte.

#include "platform/SharedArena.h"
#include "platform/Wow16.h"
#include "sim/ModelRef.h"
#include "sim/model/CardModel.h"
#include "sim/rundll/ConfigCommandLine.h"
#include "sim/rundll/ConfigProcess.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// A block of this process's arena, and a guard block after it filled with a pattern.
struct Block {
    explicit Block(DWORD size)
        : size(size), address(WOWGlobalAllocLock16(GMEM_ZEROINIT, size, nullptr)),
          guard(WOWGlobalAllocLock16(0, kGuardSize, nullptr)) {
        Require(address != 0 && guard != 0);
        std::memset(Guard(), 0xA5, kGuardSize);
    }
    ~Block() {
        WOWGlobalUnlockFree16(address);
        WOWGlobalUnlockFree16(guard);
    }
    std::uint8_t* Flat() const {
        return static_cast<std::uint8_t*>(WOWGetVDMPointer(address, size, TRUE));
    }
    std::uint8_t* Guard() const {
        return static_cast<std::uint8_t*>(WOWGetVDMPointer(guard, kGuardSize, TRUE));
    }
    bool GuardIntact() const {
        const std::uint8_t* g = Guard();
        return std::all_of(g, g + kGuardSize, [](std::uint8_t b) { return b == 0xA5; });
    }
    std::string Arg(char prefix) const {
        char text[16];
        std::snprintf(text, sizeof text, "%c%08X", prefix, static_cast<unsigned>(address));
        return text;
    }

    static constexpr DWORD kGuardSize = 64;
    DWORD size;
    DWORD address;
    DWORD guard;
};

const char* const kWords[] = {"getstates", "reconfigurable", "getconfig", "setconfig"};
const DWORD kSizes[] = {simcard::kStateRecordSize, 4, simcard::kConfigBlockSize,
                        simcard::kConfigBlockSize};

int Run(simcard::CardModel& model, int command, const Block& data, const Block& done) {
    ConfigProcessHooks hooks;
    hooks.connect = [&](std::string*) { return std::make_unique<simcard::test::ModelRef>(model); };
    hooks.sleep = [](std::uint32_t) {};
    hooks.hang = hooks.crash = [] { std::abort(); };
    std::vector<std::string> args{"Zq40Pro.DRV,DriverConfig", kWords[command], data.Arg('$'),
                                  done.Arg('#')};
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream err;
    return RunConfigProcess(views, SharedArena::Own()->Name().c_str(), hooks, err);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0)
        return 0;
    const int command = bytes[0] & 3;
    simcard::CardModel model(1 + ((bytes[0] >> 2) & 3), simcard::SteadyModelClock());
    if (bytes[0] & 0x10)
        model.SetConfigFault(simcard::ConfigFault::Slow, 10);
    Block data(kSizes[command]), done(kCompletionBlockSize);
    std::memcpy(data.Flat(), bytes + 1, std::min<std::size_t>(size - 1, data.size));
    const std::vector<std::uint8_t> record(data.Flat(), data.Flat() + data.size);

    Require(Run(model, command, data, done) == 0);
    Require(std::memcmp(done.Flat(), "\1\0\0\0", 4) == 0);
    Require(data.GuardIntact() && done.GuardIntact());
    if (command != 3)
        return 0;
    Block got(simcard::kConfigBlockSize), gotDone(kCompletionBlockSize);
    Require(Run(model, 2, got, gotDone) == 0);
    Require(std::equal(record.begin(), record.end(), got.Flat()));
    Require(got.GuardIntact() && gotDone.GuardIntact());
    return 0;
}
