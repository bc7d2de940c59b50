// The INI file's reader and writer on arbitrary text. The input is the file's text, optionally
// followed by "\x01section\x01key\x01value" for one edit of each kind.
//
// What is read is written back byte for byte; an edit changes the keys it names and no other,
// and what it writes reads back as written.

#include "platform/IniDocument.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace {

using Keys = std::map<std::pair<std::string, std::string>, std::string>;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Every key the document answers, by lower-case section and key name.
Keys Visible(const IniDocument& doc) {
    Keys keys;
    for (const std::string& section : doc.SectionNames())
        for (const std::string& key : doc.KeyNames(section))
            keys[{Lower(section), Lower(key)}] = std::string(*doc.Find(section, key));
    return keys;
}

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The edited document as written and read again: stable, and apart from `section` (all of it,
// or only `key` when given) every key as before.
IniDocument Reread(const IniDocument& edited, const Keys& before, const std::string& section,
                   const std::string* key) {
    const std::string text = edited.Text();
    IniDocument again = IniDocument::Parse(text);
    Require(again.Text() == text);
    Keys after = Visible(again);
    auto untouched = [&](const Keys::value_type& entry) {
        return entry.first.first != Lower(section) || (key && entry.first.second != Lower(*key));
    };
    for (const auto& entry : before)
        if (untouched(entry)) {
            auto it = after.find(entry.first);
            Require(it != after.end() && it->second == entry.second);
        }
    for (const auto& entry : after)
        if (untouched(entry))
            Require(before.count(entry.first) == 1);
    return again;
}

void Edit(const IniDocument& doc, const std::string& section, const std::string& key,
          const std::string& value) {
    const Keys before = Visible(doc);
    if (IniDocument::IsValidSectionName(section) && IniDocument::IsValidKeyName(key) &&
        IniDocument::IsValidValue(value)) {
        IniDocument set = doc;
        set.Set(section, key, value);
        Require(Reread(set, before, section, &key).Find(section, key) == Trim(value));
    }
    IniDocument removedKey = doc;
    const bool hadKey = doc.Find(section, key).has_value();
    Require(removedKey.RemoveKey(section, key) == hadKey);
    Reread(removedKey, before, section, &key);

    IniDocument removedSection = doc;
    removedSection.RemoveSection(section);
    Reread(removedSection, before, section, nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    for (int i = 2; i >= 0; --i) {
        const std::size_t mark = input.rfind('\x01');
        if (mark == input.npos)
            break;
        parts[i] = input.substr(mark + 1);
        input = input.substr(0, mark);
        if (i == 0) {
            const IniDocument doc = IniDocument::Parse(input);
            Require(doc.Text() == input);
            Edit(doc, std::string(parts[0]), std::string(parts[1]), std::string(parts[2]));
            return 0;
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Require(IniDocument::Parse(text).Text() == text);
    if (auto number = ParseIniInteger(text))
        Require(ParseIniInteger(std::to_string(*number)) == number);
    return 0;
}
