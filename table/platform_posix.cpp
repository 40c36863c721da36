// The system calls of table/platform.h on Linux (POSIX, with Linux's sync_file_range and
// MAP_POPULATE).
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "table/platform.h"

namespace parlix::platform {

namespace {

FileStatus StatusFrom(const struct stat& info) {
    FileStatus status;
    status.kind = S_ISREG(info.st_mode)   ? FileKind::Regular
                  : S_ISDIR(info.st_mode) ? FileKind::Folder
                                          : FileKind::Other;
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.mode = info.st_mode & 07777;
    status.modified = info.st_mtime;
    // Counted without sign, so that a time past 2262 wraps instead of overflowing.
    status.modifiedNanoseconds =
        static_cast<std::int64_t>(static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1'000'000'000u +
                                  static_cast<std::uint64_t>(info.st_mtim.tv_nsec));
    status.device = info.st_dev;
    status.file = info.st_ino;
    return status;
}

int Descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

std::filesystem::path NativePath(std::string_view path) {
    return std::filesystem::path(path);
}

std::string Utf8Path(const std::filesystem::path& path) {
    return path.string();
}

FileStatus Status(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? StatusFrom(info) : FileStatus{};
}

FileStatus LinkStatus(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? StatusFrom(info) : FileStatus{};
}

bool MayReplace(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0 || errno == ENOENT;
}

unsigned NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool ListFolder(const std::string& folder, const std::function<void(std::string_view)>& each) {
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (!listing) {
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing.get());
        if (entry == nullptr) {
            return errno == 0;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            each(name);
        }
    }
}

File::~File() {
    if (handle_ != kClosed) {
        ::close(Descriptor(handle_));
    }
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ != kClosed) {
            ::close(Descriptor(handle_));
        }
        handle_ = other.handle_;
        other.handle_ = kClosed;
    }
    return *this;
}

File File::OpenForReading(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO waits until something writes to it.
    return File(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
}

File File::OpenForWriting(const std::string& path) {
    return File(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
}

File File::CreateUnique(std::string& path) {
    return File(::mkostemp(path.data(), O_CLOEXEC));
}

FileStatus File::Status() const {
    struct stat info {};
    return ::fstat(Descriptor(handle_), &info) == 0 ? StatusFrom(info) : FileStatus{};
}

std::ptrdiff_t File::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(Descriptor(handle_), buffer, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

std::ptrdiff_t File::ReadAt(char* buffer, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(Descriptor(handle_), buffer, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

bool File::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(Descriptor(handle_), data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void File::StartWriteBack(std::uint64_t offset, std::uint64_t length) {
    ::sync_file_range(Descriptor(handle_), static_cast<off_t>(offset), static_cast<off_t>(length),
                      SYNC_FILE_RANGE_WRITE);
}

bool File::SetMode(unsigned mode) {
    return ::fchmod(Descriptor(handle_), static_cast<mode_t>(mode)) == 0;
}

bool File::Flush() {
    return ::fsync(Descriptor(handle_)) == 0;
}

bool File::Close() {
    const int descriptor = Descriptor(handle_);
    handle_ = kClosed;
    return ::close(descriptor) == 0;
}

bool RenameReplacing(const std::string& from, const std::string& to, bool durable) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    if (durable) {
        // Make the rename itself durable; a failure here no longer endangers the data.
        const std::filesystem::path folder = std::filesystem::path(to).parent_path();
        const int directory =
            ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (directory >= 0) {
            ::fsync(directory);
            ::close(directory);
        }
    }
    return true;
}

bool RemoveFile(const char* path) noexcept {
    return ::unlink(path) == 0;
}

void* MapPages(std::size_t size, bool prefault) noexcept {
    void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | (prefault ? MAP_POPULATE : 0), -1, 0);
    return memory == MAP_FAILED ? nullptr : memory;
}

void UnmapPages(void* memory, std::size_t size) noexcept {
    ::munmap(memory, size);
}

void PreferHugePages(void* memory, std::size_t size) noexcept {
    ::madvise(memory, size, MADV_HUGEPAGE);
}

std::tm LocalTime(std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    return local;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseBinaryStandardStreams() {}

namespace {

void (*g_cleanup)() noexcept = nullptr;

// The handler is reset on entry, so the signal raised again takes its default action once the
// handler returns.
extern "C" void CleanUpAndEnd(int signal) {
    g_cleanup();
    ::raise(signal);
}

}  // namespace

void CleanUpOnEnding(void (*cleanup)() noexcept) {
    g_cleanup = cleanup;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        if (current.sa_handler == SIG_IGN) {
            continue;  // ignored by whoever started the process (nohup, a background job)
        }
        struct sigaction action {};
        action.sa_handler = CleanUpAndEnd;
        action.sa_flags = static_cast<int>(SA_RESETHAND);
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

void WithCleanupWaiting(const std::function<void()>& steps) {
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    struct Restore {
        const sigset_t& mask;
        ~Restore() { ::pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
    } restore{previous};
    steps();
}

}  // namespace parlix::platform
