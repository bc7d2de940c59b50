#pragma once
// The private-profile (INI) service: the classic free functions and a small file object.
//
// A bare file name lives in the configuration directory (see ConfigPaths.h); a name with a '/' is
// a path. The file is UTF-8 text read by the rules of IniDocument.h. A file that does not exist
// reads as empty; one that exists but cannot be read whole (no permission, a directory, too large)
// reads as empty too and is never replaced: writes to it fail. A file that can be read but not
// written (read-only, or in a directory this user cannot write) is read as usual and left as it
// is: writes to it fail. Every write reaches the disk at once, atomically (SettingsFile.h), so
// nothing is lost if the program dies. A new file gets "\n" line ends; an existing file keeps its
// own.
//
// GUI thread only.

#include "platform/IniDocument.h"
#include "platform/SettingsFile.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// "Opening" reads and parses the file once; reads are answered from that copy. A write first
// re-reads the file if someone else changed it since, applies the edit and replaces the file.
// "Closing" (destruction) writes what is still held (HoldWrites).
class IniFile {
public:
    explicit IniFile(std::string_view fileName);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // The file's place on disk; empty when the name cannot be placed (no name, no home).
    const std::string& Path() const { return path_; }

    // A missing key, or a value that is no integer (ParseIniInteger), gives the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // A missing key gives the default; a present but empty value gives "". A value ends at a NUL.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // True for any non-zero integer; a value that is no integer gives the default.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    std::vector<std::string> ReadSectionNames() const;
    std::vector<std::string> ReadKeyNames(std::string_view section) const;

    // Each returns false when the write failed (LastError says why); the file then is as before.
    // Names with line breaks, NULs or surrounding blanks, a ']' in a section name, and key names
    // that are empty, hold a '=' or start like a section or a comment are refused, as are values
    // with line breaks or NULs: they could not be read back as written.
    bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Written as 1 or 0.
    bool WriteBool(std::string_view section, std::string_view key, bool value);
    // Removing what is not there succeeds and leaves the file untouched.
    bool DeleteKey(std::string_view section, std::string_view key);
    bool EraseSection(std::string_view section);

    // From now on the writes change the open copy only, until Flush() replaces the file once with
    // all of them: saving many keys into a large file then costs one replacement, not one each.
    // A write refused for its names, or because the file cannot be read, still fails at once.
    void HoldWrites();
    // Writes what is held and ends the holding. What someone else wrote meanwhile is kept, as by
    // a single write. False when the replacement failed (LastError says why; the file then is as
    // before); true when nothing was held.
    bool Flush();

    // Why the last write failed; empty after one that succeeded.
    const std::string& LastError() const { return lastError_; }

private:
    using Change = std::function<bool(IniDocument&)>;
    void Load();
    // Reads the file again when someone else changed it, the held edits applied anew.
    void Refresh();
    bool Edit(Change change);
    bool Replace();

    std::string path_;
    FileSnapshot::State state_ = FileSnapshot::State::Missing;
    std::string loadError_;
    FileStamp stamp_;
    IniDocument doc_;
    std::string lastError_;
    bool holding_ = false;
    std::vector<Change> held_;
};

// Classic behaviour: a null key fills the buffer with the section's key names, a null section with
// the section names, each followed by a NUL and the list by one more. Otherwise copies the value,
// or the default (a null default counts as ""), truncated to nSize - 1 bytes without splitting a
// UTF-8 character, and NUL-terminates it. Returns the count copied, without the final NUL; a list
// that does not fit is cut and ends in two NULs.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD nSize, const char* fileName);
// Only a whole integer counts (ParseIniInteger), where the classic function took the leading
// digits of "12abc"; anything else gives the default. Negative values come back as their two's
// complement.
UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName);
// Classic behaviour: a null value deletes the key, a null key the whole section; all three null
// flushes, which with nothing ever held back is a success.
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);
