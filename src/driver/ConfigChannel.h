#pragma once
// The driver's configuration channel: one command run by the configuration process, which is
// started through the shell and exchanges one record with us through two shared blocks.

#include "platform/WinTypes.h"

#include <chrono>
#include <cstdint>

constexpr UINT CFG_GETSTATES = 0x4001;
constexpr UINT CFG_RECONFIGURABLE = 0x4002;
constexpr UINT CFG_GETCONFIG = 0x4003;
constexpr UINT CFG_SETCONFIG = 0x4004;

// 1 from startup on; every configuration call passes it.
extern std::int32_t ConfigChannelEnabled;

// The record getstates fills: the driver's state, then the states of up to four cards
// (0 ends the list, 1 ready, negative an error id).
struct StateRecord {
    std::int32_t DriverState = 0;
    std::int32_t CardState[4] = {0, 0, 0, 0}; // cards 1..4 as the user counts them

    std::int32_t Card(int n) const { return CardState[n - 1]; }
};
static_assert(sizeof(StateRecord) == 20);

// How long we wait for the configuration process. A command takes a process start and one round
// trip to the driver, milliseconds; five seconds leaves room for a loaded machine while a user
// still sees a hung process end in a time that does not look like a dead program.
constexpr std::chrono::milliseconds kConfigTimeLimit{5000};

// Runs the command `code` on `record` (`size` bytes, copied in before and back after). True when
// the configuration process was launched and signalled completion; false (record unchanged) when
// the channel is disabled, the code unknown, the blocks or the launch failed, or the process
// crashed or did not finish within the time limit.
bool RunDriverConfig(std::int32_t enabled, UINT code, void* record, DWORD size);

struct ConfigBlock;
// getconfig and setconfig on the whole block of all cards, with ConfigChannelEnabled.
bool ReadDriverConfig(ConfigBlock& block);
bool WriteDriverConfig(ConfigBlock& block);

// The parameter string of the configuration process for a command word and the two blocks.
void BuildConfigParameters(char (&buffer)[256], const char* word, DWORD dataAddress,
                           DWORD completionAddress);
