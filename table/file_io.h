// Reading whole files and the file-name helpers. Paths are UTF-8 (table/platform.h turns them
// into the system's). Writing goes through FileReplacement (table/file_replacement.h).
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "table/page_memory.h"
#include "table/platform.h"

namespace parlix {

// A regular file open for reading piece by piece. Only a regular file is read: a folder, a
// FIFO, a device or a socket is refused at once (a FIFO would wait for a writer without end,
// a device may never end). Every failure throws EFOpenError naming the file.
class FileReader {
  public:
    explicit FileReader(const std::string& path);
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // The file's size and permission bits when it was opened.
    std::uint64_t Size() const { return size_; }
    unsigned Mode() const { return mode_; }
    // Up to `size` bytes; 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t size);

  private:
    std::string path_;
    platform::File file_;
    std::uint64_t size_ = 0;
    unsigned mode_ = 0;
};

// A whole file in memory.
class FileBuffer {
  public:
    FileBuffer(detail::PageMemory data, std::size_t size) : data_(std::move(data)), size_(size) {}
    std::string_view View() const { return {data_.get(), size_}; }

  private:
    detail::PageMemory data_;
    std::size_t size_;
};

inline constexpr std::uint64_t kAnySize = std::numeric_limits<std::uint64_t>::max();

// The bytes of a regular file (see FileReader). A file larger than `maxBytes` is refused
// before it is read. Throws EFOpenError naming the file when it cannot be opened or read, is
// refused, or memory runs out.
FileBuffer ReadFileBuffer(const std::string& path, std::uint64_t maxBytes = kAnySize);

// "1 MB": a size for messages, in whole megabytes rounded up.
std::string Megabytes(std::uint64_t bytes);

// Whether a file (not a folder) exists under this name.
bool FileExists(const std::string& path);

// --- Paths as the system splits them (Linux at '/', Windows at '/' and '\'), for the files
// of a write and those kept beside it.

// The folder of `path` ("." when it names none).
std::string FolderOf(const std::string& path);
// The last part of `path`.
std::string NameOf(const std::string& path);
// The file `name` in `folder`.
std::string PathIn(const std::string& folder, std::string_view name);
// The extension of the last part, with its dot: ".lfm" ("" when it has none; a name whose only
// dot is its first character, ".profile", has none).
std::string ExtensionOf(const std::string& path);
// The last part without its extension.
std::string StemOf(const std::string& path);
// The path without "." and ".." parts and repeated separators (Windows: with '\' for '/'), so
// that a file named in two ways has one name.
std::string NormalPath(const std::string& path);

// --- File names as a project names them. Both '/' and '\' separate folders, so that projects
// moved between Windows and Linux keep working; a drive colon ends the folder part too.

// The text after the last separator.
std::string_view ExtractFileName(std::string_view path);
// The path without the extension: everything from the last "." after the last separator is
// dropped; a path whose file name has no "." is returned whole.
std::string_view RemoveFileExtension(std::string_view path);
// The folder part including its last separator ("" when there is none).
std::string_view ExtractFilePath(std::string_view path);
// Whether the path starts at a root ("/x", "\x", "C:\x", "C:/x", "\\server").
bool IsAbsolutePath(std::string_view path);

}  // namespace parlix
