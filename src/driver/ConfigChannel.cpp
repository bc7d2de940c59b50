#include "driver/ConfigChannel.h"

#include "driver/ConfigRecord.h"
#include "driver/SharedBlock.h"
#include "platform/Shell.h"

#include <cstdio>
#include <cstring>

std::int32_t ConfigChannelEnabled = 0;

namespace {

const char* CommandWord(UINT code) {
    switch (code) {
    case CFG_GETSTATES:
        return "getstates";
    case CFG_RECONFIGURABLE:
        return "reconfigurable";
    case CFG_GETCONFIG:
        return "getconfig";
    case CFG_SETCONFIG:
        return "setconfig";
    default:
        return nullptr;
    }
}

// Waits until the configuration process writes the completion word. The word is re-read at least
// every millisecond, but the wait sleeps on the word itself, so the process's wake-up ends it at
// once. A process that exits without writing the word, or does not finish in time, is a failure.
bool WaitForCompletion(const volatile std::int32_t* word, pid_t process) {
    const auto deadline = std::chrono::steady_clock::now() + kConfigTimeLimit;
    for (;;) {
        if (*word != 0)
            return true;
        if (ShellProcessEnded(process))
            return *word != 0; // it may have written the word just before it exited
        if (std::chrono::steady_clock::now() >= deadline) {
            // Ended before its blocks are freed, so a late write cannot land in a block that
            // has been handed out again.
            EndShellProcess(process);
            return false;
        }
        WaitSharedWord(word, 0, 1);
    }
}

} // namespace

void BuildConfigParameters(char (&buffer)[256], const char* word, DWORD dataAddress,
                           DWORD completionAddress) {
    std::snprintf(buffer, sizeof buffer, "Zq40Pro.DRV,DriverConfig %s $%08X #%08X", word,
                  static_cast<unsigned>(dataAddress), static_cast<unsigned>(completionAddress));
}

bool RunDriverConfig(std::int32_t enabled, UINT code, void* record, DWORD size) {
    if (enabled == 0)
        return false;
    SharedBlock completion;
    if (!completion.Obtain(4, SharedBlock::Pin::Unfixed))
        return false;
    SharedBlock data;
    if (!data.Obtain(size, SharedBlock::Pin::Unfixed))
        return false;
    std::memcpy(data.Flat(), record, size);

    const char* word = CommandWord(code);
    if (!word)
        return false;
    char parameters[256];
    BuildConfigParameters(parameters, word, data.Address(), completion.Address());
    if (ShellExecuteA(0, nullptr, "rundll.exe", parameters, "", SW_SHOWDEFAULT) <= 32)
        return false;

    if (!WaitForCompletion(reinterpret_cast<volatile std::int32_t*>(completion.Flat()),
                           LastShellProcess()))
        return false;
    std::memcpy(record, data.Flat(), size);
    return true;
}

bool ReadDriverConfig(ConfigBlock& block) {
    return RunDriverConfig(ConfigChannelEnabled, CFG_GETCONFIG, block.Data(), ConfigBlock::kSize);
}

bool WriteDriverConfig(ConfigBlock& block) {
    return RunDriverConfig(ConfigChannelEnabled, CFG_SETCONFIG, block.Data(), ConfigBlock::kSize);
}
