// Whole-file reading, crash-safe whole-file writing, and the file-name helpers of the system.
// Paths are native file-system paths (UTF-8 on Linux).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "table/page_memory.h"
#include "table/temporary_files.h"

namespace parlix {

// A whole file in memory.
class FileBuffer {
  public:
    FileBuffer(detail::PageMemory data, std::size_t size) : data_(std::move(data)), size_(size) {}
    std::string_view View() const { return {data_.get(), size_}; }

  private:
    detail::PageMemory data_;
    std::size_t size_;
};

// The file's bytes. Throws EFOpenError when it cannot be opened or read (a folder included).
FileBuffer ReadFileBuffer(const std::string& path);
inline std::string ReadFileBytes(const std::string& path) {
    return std::string(ReadFileBuffer(path).View());
}

// Writes a file in one piece: the bytes go to a temporary file in the same folder, which takes
// the place of the target only on Commit, once everything was written (and, when `durable`,
// flushed to disk). A symbolic link is followed, and a replaced file keeps its permissions. A
// target that exists and is no regular file (a device, a FIFO) is written directly instead,
// with nothing to replace. Every failure throws EFCreateError; a writer destroyed without
// Commit removes its temporary file, and the old file stays untouched either way.
class SafeFileWriter {
  public:
    explicit SafeFileWriter(const std::string& path, bool durable = true);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    void Write(std::string_view bytes);
    // Hands the bytes written so far to the file system, so that a full disk shows now.
    void Flush();
    // The permission bits the file gets on Commit instead of the replaced file's.
    void SetMode(unsigned mode) { mode_ = mode; }
    void Commit();

  private:
    [[noreturn]] void Fail(int error);
    void WriteOut(const char* data, std::size_t size);

    std::string path_;                          // as the caller named it, for messages
    std::string target_;                        // the file replaced (a link resolved)
    std::unique_ptr<TemporaryFile> temporary_;  // none when writing directly
    int descriptor_ = -1;
    unsigned mode_ = 0;
    bool durable_;
    std::string buffer_;
    std::size_t written_ = 0;         // bytes handed to the file system
    std::size_t writeBackStart_ = 0;  // the first of them not yet sent on to the disk
};

// Replaces the file at `path` by `content` in one piece, as SafeFileWriter does.
void WriteFileAtomically(const std::string& path, std::string_view content);

// Whether a file (not a folder) exists under this name.
bool FileExists(const std::string& path);

// Copies a file over another: the copy is made beside `to` and replaces it only once it is
// complete, so a failed copy (a full disk, a file size limit) leaves `to` as it was. False when
// the copy failed.
bool CopyFileReplacing(const std::string& from, const std::string& to) noexcept;

// --- File names. Both '/' and '\' separate folders, so that projects moved between Windows
// and Linux keep working; a drive colon ends the folder part too.

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
