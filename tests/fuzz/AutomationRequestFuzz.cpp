// The automation endpoint's request reader on arbitrary bytes: cut into lines as the endpoint
// cuts them (at line feeds, a carriage return before one dropped), each split into words.
//
// A line that splits gives words that, quoted again, split back to the same words; one that does
// not says why. A word read as a number reads back from its decimal text.

#include "toolkit/automation/RequestWords.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::string Requote(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        line += line.empty() ? "\"" : " \"";
        for (char c : word) {
            if (c == '"' || c == '\\')
                line += '\\';
            line += c;
        }
        line += '"';
    }
    return line;
}

void CheckLine(std::string_view line) {
    const RequestWords split = SplitRequest(line);
    if (!split.error.empty())
        return;
    for (const std::string& word : split.words) {
        Require(!word.empty() || line.find('"') != line.npos);
        if (auto number = ParseInt(word))
            Require(ParseInt(std::to_string(*number)) == number);
    }
    const RequestWords again = SplitRequest(Requote(split.words));
    Require(again.error.empty() && again.words == split.words);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        CheckLine(line);
        bytes.remove_prefix(end == bytes.npos ? bytes.size() : end + 1);
    }
    return 0;
}
