#pragma once
// The classic exception classes. EAbort is the silent abort: the standard report shows nothing.

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class EAbort : public Exception {
public:
    explicit EAbort(const std::string& message = "Vorgang abgebrochen") : Exception(message) {}
};

class EConvertError : public Exception {
    using Exception::Exception;
};

class ERangeError : public Exception {
    using Exception::Exception;
};

class EComponentError : public Exception {
    using Exception::Exception;
};

class EInvalidOperation : public Exception {
    using Exception::Exception;
};

// Raises the silent abort.
[[noreturn]] void Abort();
