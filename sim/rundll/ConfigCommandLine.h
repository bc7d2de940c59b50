#pragma once
// The configuration process's command line:
//   rundll Zq40Pro.DRV,DriverConfig <getstates|reconfigurable|getconfig|setconfig> $XXXXXXXX
//   #YYYYYYYY
// where $ is the data block's and # the completion block's 16:16 address, in hexadecimal.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ConfigCommand { GetStates, Reconfigurable, GetConfig, SetConfig };

struct ConfigCommandLine {
    ConfigCommand command = ConfigCommand::GetStates;
    std::string_view word;
    std::uint32_t dataAddress = 0;
    std::uint32_t completionAddress = 0;
};

struct ConfigCommandLineResult {
    bool ok = false;
    ConfigCommandLine line;
    std::string error; // names the bad argument when !ok
};

constexpr std::string_view kConfigEntryPoint = "Zq40Pro.DRV,DriverConfig";
constexpr std::uint32_t kCompletionBlockSize = 4;

// The size of the record a command hands in and out: 20, 4 or 800 bytes.
std::uint32_t RecordSize(ConfigCommand command);

// `args` are the arguments after the program name.
ConfigCommandLineResult ParseConfigCommandLine(const std::vector<std::string_view>& args);
