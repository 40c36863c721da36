#include "table/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "table/errors.h"

namespace parlix {

namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool IsSeparator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

}  // namespace

FileBuffer ReadFileBuffer(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        throw EFOpenError(path, SystemErrorText(errno));
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        throw EFOpenError(path, SystemErrorText(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        throw EFOpenError(path, SystemErrorText(EISDIR));
    }
    // Room for the whole file plus one byte, so that the end shows without growing; read until
    // the end all the same, since the file may change while it is read.
    std::size_t capacity =
        S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : std::size_t{65536};
    detail::PageMemory data = detail::AllocatePages(capacity, /*prefault=*/true);
    std::size_t filled = 0;
    for (;;) {
        if (filled == capacity) {
            detail::PageMemory larger = detail::AllocatePages(capacity * 2, /*prefault=*/true);
            std::memcpy(larger.get(), data.get(), filled);
            data = std::move(larger);
            capacity *= 2;
        }
        ssize_t got = ::read(file.get(), data.get() + filled, capacity - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EFOpenError(path, SystemErrorText(errno));
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return FileBuffer(std::move(data), filled);
}

namespace {
constexpr std::size_t kWriteChunk = std::size_t{1} << 20;
constexpr std::size_t kWriteBackStretch = std::size_t{8} << 20;
}  // namespace

SafeFileWriter::SafeFileWriter(const std::string& path, bool durable)
    : path_(path), target_(path), durable_(durable) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Follow a symbolic link, so that the link stays and the file it names is replaced.
    if (fs::is_symlink(fs::symlink_status(target_, ec))) {
        fs::path resolved = fs::weakly_canonical(target_, ec);
        if (!ec) {
            target_ = resolved.string();
        }
    }
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        throw EFCreateError(path_, SystemErrorText(EISDIR));
    }
    // A file the user made read-only is not replaced behind their back.
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        throw EFCreateError(path_, SystemErrorText(errno));
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a FIFO takes the bytes as they come; replacing it would destroy it.
        descriptor_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (descriptor_ < 0) {
            throw EFCreateError(path_, SystemErrorText(errno));
        }
        buffer_.reserve(kWriteChunk);
        return;
    }
    // The new file gets the old one's permissions, or those of a newly created file.
    if (exists) {
        mode_ = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode_ = 0666 & ~mask;
    }
    temporary_ = std::make_unique<TemporaryFile>(target_);
    descriptor_ = temporary_->Descriptor();
    if (descriptor_ < 0) {
        throw EFCreateError(path_, SystemErrorText(errno));
    }
    buffer_.reserve(kWriteChunk);
}

SafeFileWriter::~SafeFileWriter() {
    if (!temporary_ && descriptor_ >= 0) {
        ::close(descriptor_);  // a temporary file closes itself
    }
}

void SafeFileWriter::Fail(int error) {
    if (temporary_) {
        temporary_.reset();  // closes (unless closed already) and removes the temporary file
    } else if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    descriptor_ = -1;
    throw EFCreateError(path_, SystemErrorText(error));
}

void SafeFileWriter::WriteOut(const char* data, std::size_t left) {
    while (left > 0) {
        const ssize_t written = ::write(descriptor_, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
        written_ += static_cast<std::size_t>(written);
    }
    // Start writing each finished stretch to disk now, while the rest is still being made, so
    // that the flush before the rename has little left to wait for. Only a hint: errors show
    // in that flush.
    if (durable_ && temporary_ && written_ - writeBackStart_ >= kWriteBackStretch) {
        ::sync_file_range(descriptor_, static_cast<off_t>(writeBackStart_),
                          static_cast<off_t>(written_ - writeBackStart_), SYNC_FILE_RANGE_WRITE);
        writeBackStart_ = written_;
    }
}

void SafeFileWriter::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kWriteChunk) {
        Flush();
    }
    if (bytes.size() >= kWriteChunk) {
        WriteOut(bytes.data(), bytes.size());
    } else {
        buffer_.append(bytes);
    }
}

void SafeFileWriter::Flush() {
    WriteOut(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void SafeFileWriter::Commit() {
    Flush();
    if (!temporary_) {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        if (::close(descriptor) != 0) {
            throw EFCreateError(path_, SystemErrorText(errno));
        }
        return;
    }
    if (::fchmod(descriptor_, static_cast<mode_t>(mode_)) != 0 ||
        (durable_ && ::fsync(descriptor_) != 0)) {
        Fail(errno);
    }
    descriptor_ = -1;
    if (::close(temporary_->TakeDescriptor()) != 0) {  // a close can report a failed write
        Fail(errno);
    }
    if (::rename(temporary_->Path().c_str(), target_.c_str()) != 0) {
        Fail(errno);
    }
    temporary_->Release();
    temporary_.reset();
    if (!durable_) {
        return;
    }
    // Make the rename itself durable; a failure here no longer endangers the data.
    const std::filesystem::path folder = std::filesystem::path(target_).parent_path();
    FileDescriptor directory(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        ::fsync(directory.get());
    }
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
    SafeFileWriter writer(path);
    writer.Write(content);
    writer.Commit();
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool CopyFileReplacing(const std::string& from, const std::string& to) noexcept {
    try {
        FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        if (source.get() < 0 || ::fstat(source.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
            return false;
        }
        // A copy need not reach the disk before the next one starts: the file it was made
        // from stays in place until the caller has written its replacement.
        SafeFileWriter copy(to, /*durable=*/false);
        copy.SetMode(info.st_mode & 07777);  // a copy has the permissions of its original
        std::string block(kWriteChunk, '\0');
        for (;;) {
            const ssize_t got = ::read(source.get(), block.data(), block.size());
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return false;  // the copy goes with `copy`
            }
            if (got == 0) {
                break;
            }
            copy.Write(std::string_view(block.data(), static_cast<std::size_t>(got)));
        }
        copy.Commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string_view ExtractFileName(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) {
            return path.substr(i);
        }
    }
    return path;
}

std::string_view ExtractFilePath(std::string_view path) {
    return path.substr(0, path.size() - ExtractFileName(path).size());
}

std::string_view RemoveFileExtension(std::string_view path) {
    std::string_view name = ExtractFileName(path);
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return path;
    }
    return path.substr(0, path.size() - name.size() + dot);
}

bool IsAbsolutePath(std::string_view path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) {
        return true;
    }
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

}  // namespace parlix
