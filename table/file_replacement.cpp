#include "table/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec) {
            return resolved.string();
        }
    }
    return path;
}

// A file the user made read-only is not replaced behind their back.
void CheckReplaceable(const std::string& target, const std::string& shown, WriteStep step) {
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) {
        throw EFCreateError(shown, SystemErrorText(errno), step);
    }
}

// Reads until `size` bytes or the end of the file; the number read, or -1 on a failure.
ssize_t ReadFully(int descriptor, char* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(descriptor, buffer + got, size - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

}  // namespace

namespace detail {

// The temporary file beside a target that takes the target's place once it is complete.
class StagedFile {
  public:
    StagedFile(const std::string& target, const std::string& shown, unsigned mode, bool durable)
        : target_(target), shown_(shown), temporary_(target), mode_(mode), durable_(durable) {
        if (temporary_.Descriptor() < 0) {
            throw EFCreateError(shown_, SystemErrorText(errno), WriteStep::Temporary);
        }
    }

    void Write(const char* data, std::size_t left) {
        const int descriptor = temporary_.Descriptor();
        while (left > 0) {
            const ssize_t written = ::write(descriptor, data, left);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written < 0) {
                Fail(WriteStep::Write);
            }
            data += written;
            left -= static_cast<std::size_t>(written);
            written_ += static_cast<std::size_t>(written);
        }
        // Start writing each finished stretch to disk now, while the rest is still being
        // made, so that the flush before the rename has little left to wait for. Only a hint:
        // errors show in that flush.
        if (durable_ && written_ - writeBackStart_ >= kWriteBackStretch) {
            ::sync_file_range(descriptor, static_cast<off_t>(writeBackStart_),
                              static_cast<off_t>(written_ - writeBackStart_),
                              SYNC_FILE_RANGE_WRITE);
            writeBackStart_ = written_;
        }
    }

    // The permissions, the flush to disk and the close, which can report a failed write.
    void Finish() {
        const int descriptor = temporary_.Descriptor();
        if (::fchmod(descriptor, static_cast<mode_t>(mode_)) != 0 ||
            (durable_ && ::fsync(descriptor) != 0)) {
            Fail(WriteStep::Flush);
        }
        if (::close(temporary_.TakeDescriptor()) != 0) {
            Fail(WriteStep::Flush);
        }
    }

    void Commit() {
        if (::rename(temporary_.Path().c_str(), target_.c_str()) != 0) {
            Fail(WriteStep::Commit);
        }
        temporary_.Release();
        if (!durable_) {
            return;
        }
        // Make the rename itself durable; a failure here no longer endangers the data.
        const std::filesystem::path folder = std::filesystem::path(target_).parent_path();
        const int directory =
            ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (directory >= 0) {
            ::fsync(directory);
            ::close(directory);
        }
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
    std::size_t written_ = 0;         // bytes handed to the file system
    std::size_t writeBackStart_ = 0;  // the first of them not yet sent on to the disk
};

}  // namespace detail

FileReplacement::FileReplacement(const std::string& path, std::int32_t backups)
    : path_(path), target_(ResolvedTarget(path)), backups_(backups) {
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) != 0) {
        // A new file gets the permissions a newly created file gets.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode_ = 0666 & ~mask;
        StartWriting();  // a missing folder fails now
        return;
    }
    if (S_ISDIR(existing.st_mode)) {
        throw EFCreateError(path_, SystemErrorText(EISDIR), WriteStep::Target);
    }
    if (!S_ISREG(existing.st_mode)) {
        // A device or a FIFO takes the bytes as they come; replacing it would destroy it.
        direct_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (direct_ < 0) {
            throw EFCreateError(path_, SystemErrorText(errno), WriteStep::Target);
        }
        return;
    }
    mode_ = existing.st_mode & 07777;
    old_ = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (old_ < 0) {
        StartWriting();  // nothing to compare with
    }
}

FileReplacement::~FileReplacement() {
    if (direct_ >= 0) {
        ::close(direct_);
    }
    if (old_ >= 0) {
        ::close(old_);
    }
}

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
    if (direct_ >= 0) {
        while (size > 0) {
            const ssize_t written = ::write(direct_, data, size);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written < 0) {
                throw EFCreateError(path_, SystemErrorText(errno), WriteStep::Write);
            }
            data += written;
            size -= static_cast<std::size_t>(written);
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
        if (ReadFully(old_, compared_.data(), piece) != static_cast<ssize_t>(piece) ||
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
    if (old_ < 0) {
        return;
    }
    // The bytes that matched are the old file's: they are copied from there.
    compared_.resize(std::max(compared_.size(), std::min<std::size_t>(equal_, kChunk)));
    for (std::uint64_t at = 0; at < equal_;) {
        const std::size_t piece = static_cast<std::size_t>(
            std::min<std::uint64_t>(equal_ - at, static_cast<std::uint64_t>(compared_.size())));
        const ssize_t got = ::pread(old_, compared_.data(), piece, static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            throw EFCreateError(path_, got < 0 ? SystemErrorText(errno) : "Die Datei wurde kürzer",
                                WriteStep::Write);
        }
        staged_->Write(compared_.data(), static_cast<std::size_t>(got));
        at += static_cast<std::uint64_t>(got);
    }
    ::close(old_);
    old_ = -1;
}

Replacement FileReplacement::Commit(const BackupFailureQuestion& question) {
    Hand(buffer_.data(), buffer_.size());
    buffer_.clear();
    if (direct_ >= 0) {
        const int descriptor = direct_;
        direct_ = -1;
        if (::close(descriptor) != 0) {
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
