// The classic private-profile functions, each a short-lived IniFile: every call reads the file.

#include "platform/IniFile.h"

#include <algorithm>
#include <cstring>

namespace {

// The longest prefix of `text` of at most `limit` bytes that does not end inside a UTF-8
// character. Bytes that are not UTF-8 count as characters of their own.
std::size_t CharBoundary(std::string_view text, std::size_t limit) {
    if (limit >= text.size())
        return text.size();
    auto isContinuation = [&](std::size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    std::size_t lead = limit;
    while (lead > 0 && limit - lead < 3 && isContinuation(lead))
        --lead;
    if (lead == limit && !isContinuation(limit))
        return limit;
    auto byte = static_cast<unsigned char>(text[lead]);
    std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return lead + length > limit ? lead : limit;
}

DWORD CopyValue(std::string_view value, char* buffer, DWORD size) {
    std::size_t n = CharBoundary(value, size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

DWORD CopyList(const std::vector<std::string>& names, char* buffer, DWORD size) {
    std::string list;
    for (const std::string& name : names)
        list.append(name).push_back('\0');
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<DWORD>(list.empty() ? 0 : list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::size_t n = CharBoundary(list, size - 2);
    std::memcpy(buffer, list.data(), n);
    buffer[n] = '\0';
    buffer[n + 1] = '\0';
    return static_cast<DWORD>(n);
}

} // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD nSize, const char* fileName) {
    if (buffer == nullptr || nSize == 0)
        return 0;
    IniFile ini(fileName != nullptr ? fileName : "");
    if (section == nullptr)
        return CopyList(ini.ReadSectionNames(), buffer, nSize);
    if (key == nullptr)
        return CopyList(ini.ReadKeyNames(section), buffer, nSize);
    return CopyValue(ini.ReadString(section, key, defaultValue != nullptr ? defaultValue : ""),
                     buffer, nSize);
}

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName) {
    if (section == nullptr || key == nullptr)
        return static_cast<UINT>(defaultValue);
    IniFile ini(fileName != nullptr ? fileName : "");
    return static_cast<UINT>(ini.ReadInteger(section, key, defaultValue));
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
    if (section == nullptr)
        return key == nullptr && value == nullptr ? TRUE : FALSE;
    IniFile ini(fileName != nullptr ? fileName : "");
    if (key == nullptr)
        return ini.EraseSection(section) ? TRUE : FALSE;
    if (value == nullptr)
        return ini.DeleteKey(section, key) ? TRUE : FALSE;
    return ini.WriteString(section, key, value) ? TRUE : FALSE;
}
