// The exceptions of the core. Messages are UTF-8 text meant for the user.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace parlix {

// Any failure of a core operation: a refused table operation, a bad value, a file error.
class PtfError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A file could not be opened or read: "Datei <path> kann nicht geöffnet werden. <cause>".
class EFOpenError : public PtfError {
  public:
    EFOpenError(const std::string& path, const std::string& cause);
};

// A file could not be created or written: "Datei "<path>" kann nicht erstellt werden. <cause>".
class EFCreateError : public PtfError {
  public:
    EFCreateError(const std::string& path, const std::string& cause);
};

// The silent refusal. A table event handler throws it to stop an insert or a delete; it travels
// to the caller of the operation and is never shown to the user. It deliberately does not derive
// from PtfError, so that a general error report that catches PtfError or std::runtime_error
// passes it over; a report that catches std::exception must test for it first.
class EAbort : public std::exception {
  public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The operating system's description of an errno value.
std::string SystemErrorText(int errorNumber);

}  // namespace parlix
