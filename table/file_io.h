// Whole-file reading, crash-safe whole-file writing, and the file-name helpers of the system.
// Paths are native file-system paths (UTF-8 on Linux).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace parlix {

// The file's bytes. Throws EFOpenError when it cannot be opened or read (a folder included).
std::string ReadFileBytes(const std::string& path);

// Replaces the file at `path` by `content` in one piece: the bytes go to a temporary file in
// the same folder, which takes the place of the target only once it was written completely.
// A symbolic link is followed, and a replaced file keeps its permissions. On failure the old
// file stays untouched, no temporary file is left behind, and EFCreateError is thrown.
void WriteFileAtomically(const std::string& path, std::string_view content);

// WriteFileAtomically for content that comes in pieces: the constructor checks the target and
// creates the temporary file, Write appends to it, and Commit lets it take the target's place.
// Without a Commit (a failure, or the caller changed its mind) the temporary file is removed
// and the target stays untouched. Every failure throws EFCreateError naming `path`.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    void Commit();

  private:
    [[noreturn]] void Fail(int error);
    void CheckOpen() const;

    std::string path_;              // as the caller named it, for messages
    std::filesystem::path target_;  // the file replaced (a symbolic link followed)
    std::filesystem::path folder_;  // the target's folder, home of the temporary file
    std::string temporary_;         // empty once renamed or removed
    int fd_ = -1;
    unsigned mode_ = 0;  // permissions the new file gets
};

// Whether a file (not a folder) exists under this name.
bool FileExists(const std::string& path);

// Copies a file over another, replacing it. False when the copy failed.
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
