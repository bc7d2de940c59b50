#pragma once
// A private XDG_CONFIG_HOME for as long as the object lives, with the program's directory in it,
// so the INI file is a real file that no other test and no real home sees. The previous value
// comes back at the end.

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <string>

namespace testsupport {

class PrivateConfigHome {
public:
    // `name` tells this directory apart from the others in the temporary directory.
    explicit PrivateConfigHome(const std::string& name);

    const std::string& Dir() const { return dir_.Path(); }
    std::string IniPath() const { return dir_.Path() + "/varnel-pro/Zq40Promix.ini"; }
    // The settings file's text ("" while there is none).
    std::string Ini() const;

private:
    TempDir dir_;
    ScopedEnvironment env_;
};

} // namespace testsupport
