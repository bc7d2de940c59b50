#include "base/ProgramOptions.h"

#include <cstdio>
#include <string>

namespace base {

std::string VersionText(std::string_view program) {
    return std::string(program) + " (Varnel PRO Manager) " + VARNEL_VERSION + "\n";
}

bool AnswerStandardOption(std::string_view arg, std::string_view program, std::string_view help) {
    if (arg == "--help" || arg == "-h") {
        std::fwrite(help.data(), 1, help.size(), stdout);
        return true;
    }
    if (arg == "--version") {
        std::fputs(VersionText(program).c_str(), stdout);
        return true;
    }
    return false;
}

int UsageError(std::string_view program, std::string_view help, std::string_view reason) {
    const std::string_view usage = help.substr(0, help.find('\n'));
    std::fprintf(stderr, "%.*s: %.*s\n%.*s\n", static_cast<int>(program.size()), program.data(),
                 static_cast<int>(reason.size()), reason.data(), static_cast<int>(usage.size()),
                 usage.data());
    return kUsageExit;
}

} // namespace base
