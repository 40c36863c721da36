// The temporary files that a write puts beside the file it replaces: their names, a record of
// those in progress that a signal handler can remove, and the removal of stale ones.
#pragma once

#include <string>
#include <string_view>

#include "table/platform.h"

namespace parlix {

// Creates the temporary file ".<name>.tmp-XXXXXX" in the folder of `target`, open for writing,
// after removing temporaries of the same target that an interrupted write left more than an
// hour ago. The file is recorded for RemoveTemporaryFilesInProgress until the object is
// destroyed or Release is called; the destructor closes and removes it.
class TemporaryFile {
  public:
    // Check OpenFile(): not open when the file could not be created (errno tells why).
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    platform::File& OpenFile() { return file_; }
    const std::string& Path() const { return path_; }
    // Hands the open file to the caller (who closes it), keeping the file and the record.
    platform::File TakeFile();
    // The file has been renamed or removed by the caller: nothing is left to clean up.
    void Release();

  private:
    std::string path_;
    platform::File file_;
    int slot_ = -1;
};

// Removes every temporary file of a write still in progress. Async-signal-safe: meant for a
// handler of a signal that ends the process (the file it removes is a partial copy anyway).
void RemoveTemporaryFilesInProgress() noexcept;

// Whether the file name `name` is that of a temporary file of a write to a file named
// `target` (both without folder).
bool IsTemporaryFileOf(std::string_view name, std::string_view target);

// Removes the temporaries of `target` (see TemporaryFile) last changed at least `ageSeconds`
// ago; other files, younger temporaries (of a write running now) and folders stay.
void RemoveStaleTemporaries(const std::string& target, long ageSeconds) noexcept;

}  // namespace parlix
