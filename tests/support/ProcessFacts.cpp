#include "support/ProcessFacts.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace testsupport {

std::string ChildStates(pid_t parent) {
    std::string states;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
            continue;
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t ppid = 0;
        if (fields >> state >> ppid && ppid == parent)
            states += state;
    }
    return states;
}

std::size_t OpenDescriptors(pid_t pid) {
    const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(fds),
                                                  std::filesystem::directory_iterator{}));
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    return -1;
}

} // namespace testsupport
