#include "platform/IniFile.h"

#include "platform/ConfigPaths.h"

#include <atomic>
#include <cstdio>

IniFile::IniFile(std::string_view fileName) : path_(ResolveProfilePath(fileName)) {
    Load();
}

IniFile::~IniFile() {
    Flush();
}

void IniFile::Load() {
    if (path_.empty()) {
        state_ = FileSnapshot::State::Missing;
        doc_ = IniDocument();
        return;
    }
    FileSnapshot snap = ReadSettingsFile(path_);
    state_ = snap.state;
    loadError_ = std::move(snap.error);
    stamp_ = snap.stamp;
    doc_ = IniDocument::Parse(snap.content);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    auto value = doc_.Find(section, key);
    if (!value)
        return defaultValue;
    return ParseIniInteger(*value).value_or(defaultValue);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    auto value = doc_.Find(section, key);
    if (!value)
        return std::string(defaultValue);
    // A C string cannot hold more than what comes before a NUL, and no caller expects more.
    return std::string(value->substr(0, value->find('\0')));
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> IniFile::ReadSectionNames() const {
    return doc_.SectionNames();
}

std::vector<std::string> IniFile::ReadKeyNames(std::string_view section) const {
    return doc_.KeyNames(section);
}

void IniFile::Refresh() {
    if (StampOf(path_) == stamp_)
        return;
    Load();
    for (const Change& change : held_)
        change(doc_);
}

bool IniFile::Edit(Change change) {
    lastError_.clear();
    if (path_.empty()) {
        lastError_ = "no file name, or no home directory to keep the file in";
        return false;
    }
    Refresh();
    if (state_ == FileSnapshot::State::Unreadable) {
        lastError_ = "left unchanged because it cannot be read (" + loadError_ + ")";
        return false;
    }
    // The edit works on the copy itself: copying a large file for every key would cost more than
    // the edit. A failed write leaves the file as it was, and the copy is read from it again.
    if (!change(doc_))
        return true;
    if (holding_) {
        held_.push_back(std::move(change));
        return true;
    }
    return Replace();
}

bool IniFile::Replace() {
    if (!ReplaceSettingsFile(path_, doc_.Text(), lastError_)) {
        // Said once per process: the program goes on as before, only its layout is not kept.
        static std::atomic<bool> told{false};
        if (!told.exchange(true)) {
            const std::string why = lastError_.find(path_) == std::string::npos
                                        ? path_ + ": " + lastError_
                                        : lastError_;
            std::fprintf(stderr, "varnel-manager: %s; the window layout is not saved\n",
                         why.c_str());
        }
        Load();
        return false;
    }
    state_ = FileSnapshot::State::Read;
    stamp_ = StampOf(path_);
    return true;
}

void IniFile::HoldWrites() {
    holding_ = true;
}

bool IniFile::Flush() {
    holding_ = false;
    if (held_.empty())
        return true;
    lastError_.clear();
    Refresh();
    held_.clear();
    if (state_ == FileSnapshot::State::Unreadable) {
        lastError_ = "left unchanged because it cannot be read (" + loadError_ + ")";
        Load();
        return false;
    }
    return Replace();
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!IniDocument::IsValidSectionName(section) || !IniDocument::IsValidKeyName(key) ||
        !IniDocument::IsValidValue(value)) {
        lastError_ = "a section name, key name or value that the file could not hold as written";
        return false;
    }
    return Edit(
        [section = std::string(section), key = std::string(key),
         value = std::string(value)](IniDocument& doc) { return doc.Set(section, key, value); });
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
    return Edit([section = std::string(section), key = std::string(key)](IniDocument& doc) {
        return doc.RemoveKey(section, key);
    });
}

bool IniFile::EraseSection(std::string_view section) {
    return Edit(
        [section = std::string(section)](IniDocument& doc) { return doc.RemoveSection(section); });
}
