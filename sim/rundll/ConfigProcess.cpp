#include "sim/rundll/ConfigProcess.h"

#include "sim/protocol/SharedArena.h"
#include "sim/protocol/SharedWord.h"
#include "sim/rundll/ConfigCommandLine.h"

#include <atomic>
#include <cstring>

namespace {

constexpr std::uint32_t CommandCode(ConfigCommand command) {
    switch (command) {
    case ConfigCommand::GetStates:
        return simcard::CONFIG_GETSTATES;
    case ConfigCommand::Reconfigurable:
        return simcard::CONFIG_RECONFIGURABLE;
    case ConfigCommand::GetConfig:
        return simcard::CONFIG_GETCONFIG;
    case ConfigCommand::SetConfig:
        return simcard::CONFIG_SETCONFIG;
    }
    return 0;
}

// The answer of a driver that cannot be reached: getstates says so in its record, which is how
// the caller learns why it cannot go on.
std::vector<std::uint8_t> UnreachableStates() {
    std::vector<std::uint8_t> record(simcard::kStateRecordSize, 0);
    std::memcpy(record.data(), &kDriverUnreachable, sizeof kDriverUnreachable);
    return record;
}

void Complete(void* data, const std::vector<std::uint8_t>& record, void* completion) {
    std::memcpy(data, record.data(), record.size());
    // The data block is complete before the word says so; the caller reads it after the word.
    std::atomic_ref<std::int32_t>(*static_cast<std::int32_t*>(completion))
        .store(1, std::memory_order_release);
    simcard::WakeSharedWord(static_cast<volatile std::int32_t*>(completion));
}

} // namespace

int RunConfigProcess(const std::vector<std::string_view>& args, const char* arenaName,
                     const ConfigProcessHooks& hooks, std::ostream& err) {
    ConfigCommandLineResult parsed = ParseConfigCommandLine(args);
    if (!parsed.ok) {
        err << "rundll: " << parsed.error << "\n";
        return kExitBadCommandLine;
    }
    const ConfigCommandLine& line = parsed.line;
    if (!arenaName || !*arenaName) {
        err << "rundll: no shared blocks to work on (" << simcard::SharedArena::kEnvironmentName
            << " is not set)\n";
        return kExitBadCommandLine;
    }
    std::string why;
    std::unique_ptr<simcard::SharedArena> arena = simcard::SharedArena::Attach(arenaName, why);
    if (!arena) {
        err << "rundll: " << why << "\n";
        return kExitBadCommandLine;
    }
    const std::uint32_t size = RecordSize(line.command);
    void* data = arena->BlockAt(line.dataAddress, size, why);
    if (!data) {
        err << "rundll: data block: " << why << "\n";
        return kExitBadCommandLine;
    }
    void* completion = arena->BlockAt(line.completionAddress, kCompletionBlockSize, why);
    if (!completion) {
        err << "rundll: completion block: " << why << "\n";
        return kExitBadCommandLine;
    }

    const std::uint32_t code = CommandCode(line.command);
    std::string error;
    std::unique_ptr<simcard::ICardService> driver = hooks.connect(&error);
    simcard::ConfigReply reply;
    if (driver) {
        std::vector<std::uint8_t> record(static_cast<std::uint8_t*>(data),
                                         static_cast<std::uint8_t*>(data) + size);
        reply = driver->Config(code, record);
        if (reply.result != simcard::MMSYSERR_NOERROR || reply.data.size() != size)
            error = "the driver did not carry out " + std::string(line.word) + " (result " +
                    std::to_string(reply.result) + ")";
    }
    if (!error.empty()) {
        if (line.command != ConfigCommand::GetStates) {
            err << "rundll: " << error << "\n";
            return kExitNoDriver;
        }
        err << "rundll: " << error << "; reporting the driver as unreachable\n";
        reply = simcard::ConfigReply{};
        reply.data = UnreachableStates();
    }

    switch (reply.fault) {
    case simcard::ConfigFault::Hang:
        hooks.hang();
        return 0;
    case simcard::ConfigFault::Crash:
        hooks.crash();
        return 0;
    case simcard::ConfigFault::Slow:
        hooks.sleep(reply.delayMs);
        break;
    case simcard::ConfigFault::None:
        break;
    }
    Complete(data, reply.data, completion);
    return 0;
}
