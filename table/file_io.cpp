#include "table/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "table/errors.h"

namespace parlix {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

}  // namespace

FileReader::FileReader(const std::string& path) : path_(path) {
    // Without O_NONBLOCK, opening a FIFO waits until something writes to it.
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor_ < 0) {
        throw EFOpenError(path, SystemErrorText(errno));
    }
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0) {
        const int error = errno;
        ::close(descriptor_);
        throw EFOpenError(path, SystemErrorText(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(descriptor_);
        throw EFOpenError(path, S_ISDIR(info.st_mode) ? SystemErrorText(EISDIR)
                                                      : "Das ist keine gewöhnliche Datei (ein "
                                                        "Gerät, eine FIFO oder ein Socket).");
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    mode_ = info.st_mode & 07777;
}

FileReader::~FileReader() {
    ::close(descriptor_);
}

std::size_t FileReader::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(descriptor_, buffer, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw EFOpenError(path_, SystemErrorText(errno));
        }
    }
}

std::string Megabytes(std::uint64_t bytes) {
    return std::to_string((bytes >> 20) + ((bytes & ((1 << 20) - 1)) != 0 ? 1 : 0)) + " MB";
}

FileBuffer ReadFileBuffer(const std::string& path, std::uint64_t maxBytes) {
    FileReader file(path);
    const std::string tooLarge = "Die Datei ist größer als " + Megabytes(maxBytes) + ".";
    if (file.Size() > maxBytes) {
        throw EFOpenError(path, tooLarge);
    }
    try {
        // Room for the whole file plus one byte, so that the end shows without growing; read
        // until the end all the same, since the file may change while it is read.
        std::size_t capacity = static_cast<std::size_t>(file.Size()) + 1;
        detail::PageMemory data = detail::AllocatePages(capacity, /*prefault=*/true);
        std::size_t filled = 0;
        for (;;) {
            if (filled == capacity) {
                if (filled > maxBytes) {
                    throw EFOpenError(path, tooLarge);
                }
                detail::PageMemory larger = detail::AllocatePages(capacity * 2, /*prefault=*/true);
                std::memcpy(larger.get(), data.get(), filled);
                data = std::move(larger);
                capacity *= 2;
            }
            const std::size_t got = file.Read(data.get() + filled, capacity - filled);
            if (got == 0) {
                break;
            }
            filled += got;
        }
        if (filled > maxBytes) {
            throw EFOpenError(path, tooLarge);
        }
        return FileBuffer(std::move(data), filled);
    } catch (const std::bad_alloc&) {
        throw EFOpenError(path, kOutOfMemory);
    }
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
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
