#pragma once
// Environment variables set for a test, with what was there before put back at the end.

#include <map>
#include <optional>
#include <string>

namespace testsupport {

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value);
    void Unset(const std::string& name);

private:
    void Save(const std::string& name);

    std::map<std::string, std::optional<std::string>> saved_;
};

} // namespace testsupport
