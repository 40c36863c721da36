#include "table/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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
    // Closes now and reports whether the close succeeded (a close can report a failed write).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool IsSeparator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
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
    // Room for the whole file plus one byte, so that the end shows without a reallocation;
    // read until the end all the same, since the file may change while it is read.
    std::string content;
    content.resize(S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : 65536);
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) {
            content.resize(content.size() * 2);
        }
        ssize_t got = ::read(file.get(), content.data() + filled, content.size() - filled);
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
    content.resize(filled);
    return content;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    target_ = path;
    // Follow a symbolic link, so that the link stays and the file it names is replaced.
    if (fs::is_symlink(fs::symlink_status(target_, ec))) {
        fs::path resolved = fs::weakly_canonical(target_, ec);
        if (!ec) {
            target_ = resolved;
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

    folder_ = target_.parent_path();
    if (folder_.empty()) {
        folder_ = ".";
    }
    std::string pattern = folder_.string() + "/." + target_.filename().string() + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        throw EFCreateError(path_, SystemErrorText(errno));
    }
    temporary_ = name.data();
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void AtomicFileWriter::Fail(int error) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    ::unlink(temporary_.c_str());
    temporary_.clear();
    throw EFCreateError(path_, SystemErrorText(error));
}

void AtomicFileWriter::CheckOpen() const {
    if (fd_ < 0) {
        throw EFCreateError(path_, SystemErrorText(EBADF));
    }
}

void AtomicFileWriter::Write(std::string_view bytes) {
    CheckOpen();
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::Commit() {
    CheckOpen();
    if (::fchmod(fd_, mode_) != 0) {
        Fail(errno);
    }
    if (::fsync(fd_) != 0) {
        Fail(errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {  // a close can report a failed write
        Fail(errno);
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        Fail(errno);
    }
    temporary_.clear();
    // Make the rename itself durable; a failure here no longer endangers the data.
    FileDescriptor dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
}

void WriteFileAtomically(const std::string& path, std::string_view content) {
    AtomicFileWriter file(path);
    file.Write(content);
    file.Commit();
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
