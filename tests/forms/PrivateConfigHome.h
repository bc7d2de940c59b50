#pragma once
// A private XDG_CONFIG_HOME for as long as the object lives, with the program's directory in it,
// so the INI file is a real file that no other test and no real home sees. The previous value
// comes back at the end.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

class PrivateConfigHome {
public:
    // `name` tells this directory apart from the others in the temporary directory.
    explicit PrivateConfigHome(const std::string& name) {
        if (const char* v = std::getenv("XDG_CONFIG_HOME"))
            saved_ = v;
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("varnel-" + name + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()))
            dir_ = pattern;
        ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        std::filesystem::create_directories(dir_ + "/varnel-pro");
    }
    ~PrivateConfigHome() {
        if (saved_)
            ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    PrivateConfigHome(const PrivateConfigHome&) = delete;
    PrivateConfigHome& operator=(const PrivateConfigHome&) = delete;

    std::string IniPath() const { return dir_ + "/varnel-pro/Zq40Promix.ini"; }

private:
    std::string dir_;
    std::optional<std::string> saved_;
};
