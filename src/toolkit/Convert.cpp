#include "toolkit/Convert.h"

#include "toolkit/Exceptions.h"

#include <climits>
#include <cmath>
#include <cstdint>

int StrToInt(const std::string& text) {
    auto fail = [&] { throw EConvertError("'" + text + "' ist kein gültiger Integerwert"); };
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        fail();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit = c >= '0' && c <= '9'                 ? c - '0'
                    : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
        if (digit < 0)
            fail();
        value = value * base + digit;
        if (value > 0xFFFFFFFFLL)
            fail();
    }
    if (negative)
        value = -value;
    // classic behaviour: hexadecimal spells the bit pattern, so $FFFFFFFF is -1.
    if (base == 16 && !negative && value > INT32_MAX)
        value -= 0x100000000LL;
    if (value > INT32_MAX || value < INT32_MIN)
        fail();
    return static_cast<int>(value);
}

int RoundHalfEven(double value) {
    if (!(value > INT_MIN))
        return INT_MIN;
    if (!(value < INT_MAX))
        return INT_MAX;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<int>(whole);
}
