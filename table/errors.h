// The exceptions of the core and the one description of a failure they carry. Messages are
// UTF-8 text meant for the user.
#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace parlix {

// Any failure of a core operation: a refused table operation, a bad value, a file error.
class PtfError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What went wrong and where: the one form in which readers, writers and commands of the core
// describe a failure. The command line and the windows each turn it into their message in one
// place (Text() is that message for both, so far).
struct Fault {
    enum class Kind {
        Content,  // the file (or the call) holds something wrong: "file:line: message"
        Open,     // the file cannot be opened or read: "Datei <file> kann nicht geöffnet ..."
        Create,   // the file cannot be created or written: "Datei "<file>" kann nicht ..."
    };

    Kind kind = Kind::Content;
    std::string file;          // as the caller named it; empty when no file is concerned
    int line = 0;              // 1-based; 0 when the fault concerns no single line
    std::int64_t offset = -1;  // the byte, counted from 0, for a file read without lines
    std::string message;       // what is wrong; for Open and Create the cause

    // A fault in what `file` holds (or, without a file, in what was asked).
    static Fault In(std::string file, std::string message, int line = 0) {
        return Fault{Kind::Content, std::move(file), line, -1, std::move(message)};
    }

    // "file:line: message", "file: Byte n: message", "file: message" or "message"; for the
    // kinds Open and Create "Datei <file> kann nicht geöffnet werden. <cause>" and
    // "Datei "<file>" kann nicht erstellt werden. <cause>".
    std::string Text() const;
};

// The one exception that carries a Fault; its what() is the fault's Text().
class FaultError : public PtfError {
  public:
    explicit FaultError(Fault fault);
    const Fault& GetFault() const { return fault_; }

  private:
    Fault fault_;
};

// A file could not be opened or read: "Datei <path> kann nicht geöffnet werden. <cause>".
class EFOpenError : public FaultError {
  public:
    EFOpenError(const std::string& path, const std::string& cause);
};

// The steps of writing a file, for a failure to say which of them failed.
enum class WriteStep {
    Target,     // making sure the target can be replaced (it exists and is read-only, ...)
    Temporary,  // creating the temporary file beside the target
    Write,      // handing the bytes to the temporary file
    Flush,      // bringing them to the disk
    Backups,    // copying the numbered backups of the file being replaced
    Commit,     // putting the complete file in the target's place
};

// A file could not be created or written: "Datei "<path>" kann nicht erstellt werden. <cause>".
class EFCreateError : public FaultError {
  public:
    EFCreateError(const std::string& path, const std::string& cause,
                  WriteStep step = WriteStep::Temporary);
    WriteStep Step() const { return step_; }

  private:
    WriteStep step_;
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

// The cause given when memory runs out while a file is read or written.
inline constexpr const char* kOutOfMemory = "nicht genug Arbeitsspeicher";

}  // namespace parlix
