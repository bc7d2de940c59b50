#pragma once
// Form-utility tests run on the toolkit fixture with a private configuration directory, so the
// INI file is a real file that no other test and no real home sees.

#include "toolkit/ToolkitFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>

class FormsTest : public ToolkitTest {
protected:
    FormsTest() {
        if (const char* v = std::getenv("XDG_CONFIG_HOME"))
            savedXdg_ = v;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "varnel-forms-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            dir_ = pattern;
        ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        std::filesystem::create_directories(dir_ + "/varnel-pro");
    }
    ~FormsTest() override {
        if (savedXdg_)
            ::setenv("XDG_CONFIG_HOME", savedXdg_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string IniPath() const { return dir_ + "/varnel-pro/Zq40Promix.ini"; }
    void PutIni(const std::string& content) const {
        std::ofstream(IniPath(), std::ios::binary) << content;
    }
    std::string GetIni() const {
        std::ifstream in(IniPath(), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

private:
    std::string dir_;
    std::optional<std::string> savedXdg_;
};
