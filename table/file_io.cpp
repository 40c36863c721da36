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
}

SafeFileWriter::SafeFileWriter(const std::string& path) : path_(path), target_(path) {
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
    // The new file gets the old one's permissions, or those of a newly created file.
    if (exists) {
        mode_ = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode_ = 0666 & ~mask;
    }

    const fs::path target(target_);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string pattern = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    descriptor_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor_ < 0) {
        throw EFCreateError(path_, SystemErrorText(errno));
    }
    temporary_ = pattern;
    buffer_.reserve(kWriteChunk);
}

SafeFileWriter::~SafeFileWriter() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void SafeFileWriter::Fail(int error) {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    ::unlink(temporary_.c_str());
    temporary_.clear();
    throw EFCreateError(path_, SystemErrorText(error));
}

void SafeFileWriter::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kWriteChunk) {
        Flush();
    }
    if (bytes.size() >= kWriteChunk) {
        buffer_.assign(bytes);
        Flush();
    } else {
        buffer_.append(bytes);
    }
}

void SafeFileWriter::Flush() {
    const char* data = buffer_.data();
    std::size_t left = buffer_.size();
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
    }
    buffer_.clear();
}

void SafeFileWriter::Commit() {
    Flush();
    if (::fchmod(descriptor_, static_cast<mode_t>(mode_)) != 0 || ::fsync(descriptor_) != 0) {
        Fail(errno);
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0) {  // a close can report a failed write
        Fail(errno);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno);
    }
    temporary_.clear();
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
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
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
