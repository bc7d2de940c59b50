#pragma once
// Form-utility tests run on the toolkit fixture with a private configuration directory, so the
// INI file is a real file that no other test and no real home sees.

#include "support/PrivateConfigHome.h"
#include "toolkit/ToolkitFixture.h"

#include <fstream>
#include <sstream>
#include <string>

class FormsTest : public ToolkitTest {
protected:
    std::string IniPath() const { return configHome_.IniPath(); }
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
    testsupport::PrivateConfigHome configHome_{"forms"};
};
