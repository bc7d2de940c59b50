#include "support/Varnelctl.h"

#include "support/ChildProcess.h"

#include <sstream>
#include <unistd.h>

namespace testsupport {

CtlResult RunVarnelctl(const std::string& socket, const std::vector<std::string>& args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return {-1, {}, "pipe"};
    pid_t pid = SpawnWithSocket(VARNELCTL_PATH, args, socket, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    // Small outputs: stderr fits its pipe while stdout is drained.
    CtlResult result{0, ReadAll(out[0]), ReadAll(err[0])};
    close(out[0]);
    close(err[0]);
    result.status = ExitStatus(pid);
    return result;
}

std::string Fact(const std::string& facts, const std::string& key) {
    std::string text = "\n" + facts;
    std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return "(missing)";
    std::size_t start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

std::map<std::string, std::string> StatusFacts(const std::string& socket) {
    std::map<std::string, std::string> facts;
    std::istringstream lines(RunVarnelctl(socket, {"status"}).out);
    for (std::string line; std::getline(lines, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            facts[line.substr(0, eq)] = line.substr(eq + 1);
    return facts;
}

std::vector<std::string> TraceLines(const std::string& socket, const std::string& what) {
    std::vector<std::string> lines;
    std::istringstream trace(RunVarnelctl(socket, {"trace"}).out);
    for (std::string line; std::getline(trace, line);)
        if (line.find(what) != std::string::npos)
            lines.push_back(line);
    return lines;
}

} // namespace testsupport
