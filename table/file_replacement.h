// The one way Parlix writes a file: the table, the project file, the unit, an export, and
// every file that comes to stand beside them.
//
//   FileReplacement file(path, backups);
//   file.Write(...);                  // as often as needed
//   file.Commit(question);            // Written, Unchanged or Declined
//
// The steps, in this order: the bytes go to a temporary file beside the target; when they are
// complete they are flushed to disk; then the target is checked to be replaceable (a read-only
// file fails here, before any backup is touched); then the numbered backups are rotated
// (stopping at the first copy that fails, so that every backup keeps its bytes); and only then
// does the temporary file take the target's place, in one rename. A failure throws
// EFCreateError saying which step failed and why; the old file stays as it was, and the
// temporary file is removed.
//
// Bytes equal to the file on disk write nothing: no temporary file, no backup, and the
// file's time stays, so that a compiler does not rebuild an unchanged unit. (While the bytes
// match they are only compared; at the first difference the equal part is copied from the old
// file and writing goes on from there.)
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "table/errors.h"
#include "table/platform.h"

namespace parlix {

enum class Replacement {
    Written,    // the file was replaced or created
    Unchanged,  // it holds these bytes already: nothing was written
    Declined,   // a backup failed and the caller chose not to write
};

// Asked when a backup copy failed; `failure` names the backup and the cause. True writes all
// the same.
using BackupFailureQuestion = std::function<bool(const EFCreateError& failure)>;

namespace detail {
class StagedFile;
}

class FileReplacement {
  public:
    // Prepares to replace `path` (a symbolic link is followed, so that the link stays and the
    // file it names is replaced; the new file keeps the old one's permissions), keeping
    // `backups` numbered copies of the old file (RotateBackups). A target that exists and is no
    // regular file (a device, a FIFO) is written directly instead: no temporary file, no
    // comparison, no backups. A folder in the target's place throws EFCreateError.
    explicit FileReplacement(const std::string& path, std::int32_t backups = 0);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void Write(std::string_view bytes);

    // Ends the replacement (see the steps above); call it once, after the last Write. When a
    // backup copy fails, `question` decides: true writes all the same, false (or no question)
    // leaves the file alone and returns Declined.
    Replacement Commit(const BackupFailureQuestion& question = nullptr);

  private:
    void Hand(const char* data, std::size_t size);  // the buffered bytes, to compare or write
    // How many of the bytes, from the first, the old file holds next (in whole pieces).
    std::size_t Matching(const char* data, std::size_t size);
    void StartWriting();  // at the first difference: the temporary file, with the equal part

    std::string path_;    // as the caller named it, for messages and backup names
    std::string target_;  // the file replaced (a link resolved)
    std::int32_t backups_;
    unsigned mode_ = 0;      // of the new file
    platform::File direct_;  // a target written directly
    platform::File old_;     // the existing file, compared while the bytes are equal
    std::uint64_t equal_ = 0;
    std::unique_ptr<detail::StagedFile> staged_;
    std::string buffer_;
    std::string compared_;  // the old file's bytes read for one comparison
};

// Copies the regular file `from` over `to`: the copy is made beside `to`, with `from`'s
// permissions, and replaces it only when complete (not flushed to disk: the file it was made
// from stays). Throws EFOpenError when `from` cannot be read and EFCreateError when the copy
// cannot be made; `to` is then as it was.
void CopyFileReplacing(const std::string& from, const std::string& to);

}  // namespace parlix
