#pragma once
// Keys as a request names them: `Tab`, `Return`, `Escape`, `space`, `Up`, `Down`, `Left`, `Right`,
// `Prior`, `Next`, `Home`, `End`, `BackSpace`, `Delete`, `F1`…`F12`, a letter or a digit, each
// optionally after `Shift+`, `Ctrl+` and `Alt+` (in any order, any case).

#include "toolkit/Types.h"

#include <optional>
#include <string_view>

struct KeyStroke {
    WORD key = 0;
    TShiftState shift = 0;
};

std::optional<KeyStroke> ParseKeyName(std::string_view name);
