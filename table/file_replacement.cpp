#include "table/file_replacement.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "table/backups.h"
#include "table/file_io.h"
#include "table/temporary_files.h"

namespace parlix {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::size_t kWriteBackStretch = std::size_t{8} << 20;

// The file a write replaces: a symbolic link is followed, so that the link stays.
std::string ResolvedTarget(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path native = platform::NativePath(path);
    if (fs::is_symlink(fs::symlink_status(native, ec))) {
        fs::path resolved = fs::weakly_canonical(native, ec);
        if (!ec) {
            return platform::Utf8Path(resolved);
        }
    }
    return path;
}

// A file the user made read-only is not replaced behind their back.
void CheckReplaceable(const std::string& target, const std::string& shown, WriteStep step) {
    if (!platform::MayReplace(target)) {
        throw EFCreateError(shown, SystemErrorText(errno), step);
    }
}

// Reads until `size` bytes or the end of the file; the number read, or -1 on a failure.
std::ptrdiff_t ReadFully(platform::File& file, char* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const std::ptrdiff_t n = file.Read(buffer + got, size - got);
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(got);
}

}  // namespace

namespace detail {

// The temporary file beside a target that takes the target's place once it is complete.
class StagedFile {
  public:
    StagedFile(const std::string& target, const std::string& shown, unsigned mode, bool durable)
        : target_(target), shown_(shown), temporary_(target), mode_(mode), durable_(durable) {
        if (!temporary_.OpenFile()) {
            throw EFCreateError(shown_, SystemErrorText(errno), WriteStep::Temporary);
        }
    }

    void Write(const char* data, std::size_t size) {
        platform::File& file = temporary_.OpenFile();
        if (!file.Write(data, size)) {
            Fail(WriteStep::Write);
        }
        written_ += size;
        // Start writing each finished stretch to disk now, while the rest is still being
        // made, so that the flush before the rename has little left to wait for. Only a hint:
        // errors show in that flush.
        if (durable_ && written_ - writeBackStart_ >= kWriteBackStretch) {
            file.StartWriteBack(writeBackStart_, written_ - writeBackStart_);
            writeBackStart_ = written_;
        }
    }

    // The permissions, the flush to disk and the close, which can report a failed write.
    void Finish() {
        platform::File& file = temporary_.OpenFile();
        if (!file.SetMode(mode_) || (durable_ && !file.Flush())) {
            Fail(WriteStep::Flush);
        }
        if (!temporary_.TakeFile().Close()) {
            Fail(WriteStep::Flush);
        }
    }

    void Commit() {
        if (!platform::RenameReplacing(temporary_.Path(), target_, durable_)) {
            Fail(WriteStep::Commit);
        }
        temporary_.Release();
    }

  private:
    [[noreturn]] void Fail(WriteStep step) {
        throw EFCreateError(shown_, SystemErrorText(errno), step);
    }

    std::string target_;
    std::string shown_;
    TemporaryFile temporary_;  // removed with this object unless it took the target's place
    unsigned mode_;
    bool durable_;
    std::uint64_t written_ = 0;         // bytes handed to the file system
    std::uint64_t writeBackStart_ = 0;  // the first of them not yet sent on to the disk
};

}  // namespace detail

FileReplacement::FileReplacement(const std::string& path, std::int32_t backups)
    : path_(path), target_(ResolvedTarget(path)), backups_(backups) {
    const platform::FileStatus existing = platform::Status(target_);
    if (existing.kind == platform::FileKind::None) {
        // A new file gets the permissions a newly created file gets.
        mode_ = platform::NewFileMode();
        StartWriting();  // a missing folder fails now
        return;
    }
    if (existing.kind == platform::FileKind::Folder) {
        throw EFCreateError(path_, SystemErrorText(EISDIR), WriteStep::Target);
    }
    if (existing.kind == platform::FileKind::Other) {
        // A device or a FIFO takes the bytes as they come; replacing it would destroy it.
        direct_ = platform::File::OpenForWriting(target_);
        if (!direct_) {
            throw EFCreateError(path_, SystemErrorText(errno), WriteStep::Target);
        }
        return;
    }
    mode_ = existing.mode;
    old_ = platform::File::OpenForReading(target_);
    if (!old_) {
        StartWriting();  // nothing to compare with
    }
}

FileReplacement::~FileReplacement() = default;

void FileReplacement::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kChunk) {
        Hand(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    if (bytes.size() >= kChunk) {
        Hand(bytes.data(), bytes.size());
    } else {
        if (buffer_.capacity() < kChunk) {
            buffer_.reserve(kChunk);
        }
        buffer_.append(bytes);
    }
}

void FileReplacement::Hand(const char* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    if (direct_) {
        if (!direct_.Write(data, size)) {
            throw EFCreateError(path_, SystemErrorText(errno), WriteStep::Write);
        }
        return;
    }
    if (!staged_) {
        const std::size_t same = Matching(data, size);
        if (same == size) {
            return;
        }
        StartWriting();
        data += same;
        size -= same;
    }
    staged_->Write(data, size);
}

std::size_t FileReplacement::Matching(const char* data, std::size_t size) {
    compared_.resize(std::max(compared_.size(), std::min(size, kChunk)));
    std::size_t same = 0;
    while (same < size) {
        const std::size_t piece = std::min(size - same, kChunk);
        if (ReadFully(old_, compared_.data(), piece) != static_cast<std::ptrdiff_t>(piece) ||
            std::memcmp(compared_.data(), data + same, piece) != 0) {
            break;
        }
        same += piece;
    }
    equal_ += same;
    return same;
}

void FileReplacement::StartWriting() {
    staged_ = std::make_unique<detail::StagedFile>(target_, path_, mode_, /*durable=*/true);
    if (!old_) {
        return;
    }
    // The bytes that matched are the old file's: they are copied from there.
    compared_.resize(std::max(compared_.size(), std::min<std::size_t>(equal_, kChunk)));
    for (std::uint64_t at = 0; at < equal_;) {
        const std::size_t piece = static_cast<std::size_t>(
            std::min<std::uint64_t>(equal_ - at, static_cast<std::uint64_t>(compared_.size())));
        const std::ptrdiff_t got = old_.ReadAt(compared_.data(), piece, at);
        if (got <= 0) {
            throw EFCreateError(path_, got < 0 ? SystemErrorText(errno) : "Die Datei wurde kürzer",
                                WriteStep::Write);
        }
        staged_->Write(compared_.data(), static_cast<std::size_t>(got));
        at += static_cast<std::uint64_t>(got);
    }
    old_ = platform::File();
}

Replacement FileReplacement::Commit(const BackupFailureQuestion& question) {
    Hand(buffer_.data(), buffer_.size());
    buffer_.clear();
    if (direct_) {
        if (!direct_.Close()) {
            throw EFCreateError(path_, SystemErrorText(errno), WriteStep::Flush);
        }
        return Replacement::Written;
    }
    if (!staged_) {
        char more = 0;
        if (ReadFully(old_, &more, 1) == 0) {
            return Replacement::Unchanged;  // the file holds these bytes already
        }
        StartWriting();  // the new bytes end where the old file goes on
    }
    staged_->Finish();
    CheckReplaceable(target_, path_, WriteStep::Target);
    try {
        RotateBackups(path_, backups_);
    } catch (const EFCreateError& failure) {
        if (!question || !question(failure)) {
            return Replacement::Declined;  // the temporary file goes with this object
        }
    }
    staged_->Commit();
    staged_.reset();
    return Replacement::Written;
}

void CopyFileReplacing(const std::string& from, const std::string& to) {
    FileReader source(from);
    const std::string target = ResolvedTarget(to);
    CheckReplaceable(target, to, WriteStep::Target);
    // A copy need not reach the disk before the next one starts: the file it was made from
    // stays in place until the caller has written its replacement.
    detail::StagedFile copy(target, to, source.Mode(), /*durable=*/false);
    std::string block(kChunk, '\0');
    while (const std::size_t got = source.Read(block.data(), block.size())) {
        copy.Write(block.data(), got);
    }
    copy.Finish();
    copy.Commit();
}

}  // namespace parlix
