// The configuration process's command line, split at blanks as the shell passes it.

#include "sim/rundll/ConfigCommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> args;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t blank = text.find(' ', start);
        if (blank == std::string_view::npos)
            blank = text.size();
        if (blank > start)
            args.push_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    auto result = ParseConfigCommandLine(args);
    // A line that parses must name a known command and two distinct addresses.
    if (result.ok && (RecordSize(result.line.command) == 0 ||
                      result.line.dataAddress == result.line.completionAddress))
        std::abort();
    if (!result.ok && result.error.empty())
        std::abort();
    return 0;
}
