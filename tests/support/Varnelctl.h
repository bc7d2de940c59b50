#pragma once
// varnelctl as a script runs it against a card daemon, and the key=value facts it prints.

#include <map>
#include <string>
#include <vector>

namespace testsupport {

struct CtlResult {
    int status;
    std::string out;
    std::string err;
};

// Runs varnelctl with `args` against the daemon at `socket` and waits for it.
CtlResult RunVarnelctl(const std::string& socket, const std::vector<std::string>& args);

// The value of `key` in varnelctl's key=value facts, or "(missing)".
std::string Fact(const std::string& facts, const std::string& key);

// `varnelctl status` of the daemon at `socket` as key → value.
std::map<std::string, std::string> StatusFacts(const std::string& socket);

// The lines of the daemon's trace that hold `what` ("" gives them all), oldest first.
std::vector<std::string> TraceLines(const std::string& socket, const std::string& what = "");

} // namespace testsupport
