#pragma once
// A fresh private directory in /tmp for as long as the object lives, removed with everything in
// it at the end.

#include <string>
#include <sys/types.h>

namespace testsupport {

class TempDir {
public:
    // /tmp/varnel-<name>-XXXXXX with the given mode; `name` tells the tests' directories apart.
    explicit TempDir(mode_t mode = 0700, const std::string& name = "test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // "" when the directory could not be made.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace testsupport
