// The calls to the operating system: files, folders, page memory, local time and the end of the
// process. This is the one place where Linux and Windows differ; platform_posix.cpp and
// platform_windows.cpp implement it, and CMake compiles the one of the system built for. The
// rest of Parlix calls the system only through here (and the standard library).
//
// Paths are UTF-8 text. On Windows they become UTF-16 at this boundary, for the wide-character
// calls; on Linux they are passed on as they are. A call that fails says so in its result and
// leaves the cause in errno (on Windows the system's error mapped to the nearest errno value),
// so that SystemErrorText(errno) words it the same on both systems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace parlix::platform {

// --- Paths

// A UTF-8 path as std::filesystem takes it, and back.
std::filesystem::path NativePath(std::string_view path);
std::string Utf8Path(const std::filesystem::path& path);

// --- What a name stands for

enum class FileKind {
    None,     // nothing there, or the system could not tell (errno says why)
    Regular,  // a file
    Folder,
    Other,  // a device (/dev/null, NUL), a FIFO, a socket, a pipe: read or written as it comes
};

struct FileStatus {
    FileKind kind = FileKind::None;
    std::uint64_t size = 0;     // bytes, of a regular file
    unsigned mode = 0;          // permission bits (Windows: 0444 when read-only, else 0666)
    std::int64_t modified = 0;  // the last change, in seconds since 1970
    std::uint64_t device = 0;   // with `file`, the same for every name of one file (links)
    std::uint64_t file = 0;
    // The last change as finely as the system keeps it, in nanoseconds since 1970: a file
    // changed twice within one second shows as changed.
    std::int64_t modifiedNanoseconds = 0;
};

// With symbolic links followed.
FileStatus Status(const std::string& path);
// A symbolic link itself, not what it names.
FileStatus LinkStatus(const std::string& path);

// Whether an existing file may be replaced: false for a read-only file (and on Windows for one
// that another program holds open without letting it be deleted). A missing file may.
bool MayReplace(const std::string& path);

// The permission bits a newly created file gets.
unsigned NewFileMode();

// Calls `each` with the name of every entry of `folder` (without "." and ".."). False when the
// folder cannot be listed.
bool ListFolder(const std::string& folder, const std::function<void(std::string_view)>& each);

// --- Files

// An open file, closed with the object. Opened so that it is not inherited by programs the
// process starts, and so that other programs may replace or delete it meanwhile.
class File {
  public:
    File() = default;
    ~File();
    File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kClosed; }
    File& operator=(File&& other) noexcept;

    // For reading; never waits (a FIFO without a writer opens at once). A folder opens too,
    // so that Status() can tell it. Not open on a failure (errno says why).
    static File OpenForReading(const std::string& path);
    // An existing file for writing from its start, without truncating: for a device or FIFO.
    static File OpenForWriting(const std::string& path);
    // Creates a new file whose path is `path` with its last six characters ("XXXXXX")
    // replaced by letters and digits that make it unique; `path` is changed to it.
    static File CreateUnique(std::string& path);

    explicit operator bool() const { return handle_ != kClosed; }

    FileStatus Status() const;
    // Up to `size` bytes from where the last read ended; 0 at the end, -1 on a failure.
    std::ptrdiff_t Read(char* buffer, std::size_t size);
    // Up to `size` bytes from `offset`; 0 at the end, -1 on a failure.
    std::ptrdiff_t ReadAt(char* buffer, std::size_t size, std::uint64_t offset);
    // All the bytes, or false.
    bool Write(const char* data, std::size_t size);
    // Starts writing `length` bytes from `offset` to the disk, without waiting: a hint.
    void StartWriteBack(std::uint64_t offset, std::uint64_t length);
    bool SetMode(unsigned mode);
    // Waits until everything written is on the disk.
    bool Flush();
    // Closes the file; false when that reports a failed write.
    bool Close();

  private:
    static constexpr std::intptr_t kClosed = -1;
    explicit File(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = kClosed;  // a descriptor (POSIX) or a HANDLE (Windows)
};

// Puts the file `from` in the place of `to`, in one step, replacing `to` when it exists.
// `durable`: the change of names is on the disk when this returns. Windows retries shortly
// while another program (a virus scanner, an indexer) holds the file.
bool RenameReplacing(const std::string& from, const std::string& to, bool durable);

// Removes a file. Safe in a signal handler (POSIX) and in a console handler (Windows).
bool RemoveFile(const char* path) noexcept;

// --- Page memory: at least `size` bytes straight from the system, or nullptr. `prefault`
// makes the pages present at once, where the system can.
void* MapPages(std::size_t size, bool prefault) noexcept;
void UnmapPages(void* memory, std::size_t size) noexcept;
// A hint that mapped pages are best kept in huge pages (Linux: transparent huge pages; Windows
// gives them only to programs with a right of their own, so nothing happens there).
void PreferHugePages(void* memory, std::size_t size) noexcept;

// --- Time
std::tm LocalTime(std::time_t when);

// --- The process

// The program's arguments as UTF-8, without the program's name (Windows reads them as UTF-16).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard input, output and error pass bytes as they are (Windows would translate line ends).
void UseBinaryStandardStreams();

// When the user or the system ends the process (POSIX: SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGXFSZ; Windows: Ctrl+C, Ctrl+Break, closing the console, logging off, shutting down),
// `cleanup` runs first and the process then ends as it would have. `cleanup` must be safe in a
// signal handler. An ending the caller's starter ignores (nohup) stays ignored.
void CleanUpOnEnding(void (*cleanup)() noexcept);

// Runs `steps` while that cleanup waits: for the steps that create a file and note it for the
// cleanup, so that the process cannot end between the two and leave the file behind.
void WithCleanupWaiting(const std::function<void()>& steps);

}  // namespace parlix::platform
