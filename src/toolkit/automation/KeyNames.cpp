#include "toolkit/automation/KeyNames.h"

#include "toolkit/TComponent.h"

#include <cctype>
#include <string>

namespace {

struct NamedKey {
    const char* name;
    WORD key;
};

const NamedKey kNamedKeys[] = {
    {"Tab", VK_TAB},        {"Return", VK_RETURN}, {"Escape", VK_ESCAPE}, {"space", VK_SPACE},
    {"Up", VK_UP},          {"Down", VK_DOWN},     {"Left", VK_LEFT},     {"Right", VK_RIGHT},
    {"Prior", VK_PRIOR},    {"Next", VK_NEXT},     {"Home", VK_HOME},     {"End", VK_END},
    {"BackSpace", VK_BACK}, {"Delete", 0x2E},
};

std::optional<WORD> BaseKey(std::string_view name) {
    for (const NamedKey& named : kNamedKeys)
        if (SameText(std::string(name), named.name))
            return named.key;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        int number = 0;
        for (char c : name.substr(1)) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
            number = number * 10 + (c - '0');
        }
        if (number >= 1 && number <= 12)
            return static_cast<WORD>(VK_F1 + number - 1);
    }
    return std::nullopt;
}

} // namespace

std::optional<KeyStroke> ParseKeyName(std::string_view name) {
    KeyStroke stroke;
    for (;;) {
        const auto plus = name.find('+');
        // A lone "+" at the end is no key name; "Ctrl++" is not one either.
        if (plus == std::string_view::npos || plus + 1 == name.size())
            break;
        const std::string modifier(name.substr(0, plus));
        if (SameText(modifier, "Shift"))
            stroke.shift |= ssShift;
        else if (SameText(modifier, "Ctrl"))
            stroke.shift |= ssCtrl;
        else if (SameText(modifier, "Alt"))
            stroke.shift |= ssAlt;
        else
            return std::nullopt;
        name.remove_prefix(plus + 1);
    }
    auto key = BaseKey(name);
    if (!key)
        return std::nullopt;
    stroke.key = *key;
    return stroke;
}
