// The files' side of table/platform.h on Windows (the process's side is
// platform_windows_process.cpp): wide-character Win32 calls, with every path converted from UTF-8
// to UTF-16 here and every name read back converted to UTF-8.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "table/platform.h"
#include "table/platform_windows_text.h"

namespace parlix::platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most bytes one ReadFile or WriteFile is asked for.
constexpr std::size_t kLargestTransfer = std::size_t{1} << 30;

// The nearest errno value of a Windows error, so that messages read as on Linux.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_CURRENT_DIRECTORY:
        case ERROR_NETWORK_ACCESS_DENIED:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
            return EPIPE;
        case ERROR_INVALID_HANDLE:
            return EBADF;
        case ERROR_NO_UNICODE_TRANSLATION:
            return EILSEQ;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        default:
            return EIO;
    }
}

void SetErrnoFrom(DWORD error) {
    errno = ErrnoOf(error);
}

// A path for a wide-character call; empty (with errno set) when it is empty or no UTF-8.
std::wstring WidePath(std::string_view path) {
    std::wstring wide;
    if (path.empty()) {
        errno = ENOENT;
    } else if (!Widen(path, wide, /*strict=*/true)) {
        SetErrnoFrom(::GetLastError());
        wide.clear();
    }
    return wide;
}

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t Value(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

// Seconds since 1970 of a time in 100 ns since 1601.
std::int64_t UnixSeconds(const FILETIME& time) {
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10'000'000) - 11'644'473'600;
}

// Nanoseconds since 1970 of a time in 100 ns since 1601 (counted without sign, so that a time
// past 2262 wraps instead of overflowing).
std::int64_t UnixNanoseconds(const FILETIME& time) {
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>((ticks - 116'444'736'000'000'000u) * 100u);
}

// `links`: a reparse point (a symbolic link, a junction) is no file of its own.
FileStatus StatusOfHandle(HANDLE handle, bool links) {
    FileStatus status;
    const DWORD type = ::GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) {
            SetErrnoFrom(::GetLastError());
            return status;
        }
        status.kind = FileKind::Other;  // NUL, CON, a pipe
        return status;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        SetErrnoFrom(::GetLastError());
        return status;
    }
    const DWORD attributes = info.dwFileAttributes;
    status.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0                ? FileKind::Folder
                  : links && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? FileKind::Other
                                                                              : FileKind::Regular;
    status.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    status.mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    status.modified = UnixSeconds(info.ftLastWriteTime);
    status.modifiedNanoseconds = UnixNanoseconds(info.ftLastWriteTime);
    status.device = info.dwVolumeSerialNumber;
    status.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return status;
}

FileStatus StatusOfPath(const std::string& path, bool followLinks) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return {};
    }
    // Only the attributes: this opens a file that another program holds open without sharing.
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE handle = ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrnoFrom(::GetLastError());
        return {};
    }
    const FileStatus status = StatusOfHandle(handle, !followLinks);
    ::CloseHandle(handle);
    return status;
}

// Another program may hold a file for a moment (a virus scanner, an indexer, a backup): a
// call that fails for that is tried again for about a second before it counts as failed.
template <typename Call>
bool Retrying(const Call& call) {
    for (DWORD wait = 1;; wait *= 2) {
        if (call()) {
            return true;
        }
        const DWORD error = ::GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                          error == ERROR_ACCESS_DENIED;
        if (!held || wait > 512) {
            SetErrnoFrom(error);
            return false;
        }
        ::Sleep(wait);
    }
}

// Random enough to make a name unique together with CREATE_NEW.
std::uint64_t NextRandom() {
    static std::uint64_t state = [] {
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        return static_cast<std::uint64_t>(now.QuadPart) ^
               (std::uint64_t{::GetCurrentProcessId()} << 32);
    }();
    state += 0x9E3779B97F4A7C15;  // splitmix64
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
}

}  // namespace

bool Widen(std::string_view text, std::wstring& wide, bool strict) {
    wide.clear();
    if (text.empty()) {
        return true;
    }
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(needed));
    return ::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, wide.data(), needed) ==
           needed;
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

std::filesystem::path NativePath(std::string_view path) {
    std::wstring wide;
    Widen(path, wide, /*strict=*/false);
    return std::filesystem::path(wide);
}

std::string Utf8Path(const std::filesystem::path& path) {
    return Narrow(path.native());
}

FileStatus Status(const std::string& path) {
    return StatusOfPath(path, /*followLinks=*/true);
}

FileStatus LinkStatus(const std::string& path) {
    return StatusOfPath(path, /*followLinks=*/false);
}

bool MayReplace(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        SetErrnoFrom(error);
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        errno = EACCES;
        return false;
    }
    // Replacing needs the right to delete, and fails while another program holds the file
    // open without letting it be deleted: better now than after the backups were rotated.
    HANDLE handle = INVALID_HANDLE_VALUE;
    const bool opened = Retrying([&] {
        handle = ::CreateFileW(wide.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    if (opened) {
        ::CloseHandle(handle);
    }
    return opened;
}

unsigned NewFileMode() {
    return 0666;
}

bool ListFolder(const std::string& folder, const std::function<void(std::string_view)>& each) {
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '/' && pattern.back() != '\\') {
        pattern += '\\';
    }
    pattern += '*';
    const std::wstring wide = WidePath(pattern);
    if (wide.empty()) {
        return false;
    }
    WIN32_FIND_DATAW entry{};
    const HANDLE listing = ::FindFirstFileW(wide.c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        SetErrnoFrom(error);
        return error == ERROR_FILE_NOT_FOUND;  // an empty drive
    }
    struct Close {
        HANDLE listing;
        ~Close() { ::FindClose(listing); }
    } close{listing};
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..") {
            each(Narrow(name));
        }
    } while (::FindNextFileW(listing, &entry));
    const DWORD error = ::GetLastError();
    SetErrnoFrom(error);
    return error == ERROR_NO_MORE_FILES;
}

File::~File() {
    if (handle_ != kClosed) {
        ::CloseHandle(Handle(handle_));
    }
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ != kClosed) {
            ::CloseHandle(Handle(handle_));
        }
        handle_ = other.handle_;
        other.handle_ = kClosed;
    }
    return *this;
}

File File::OpenForReading(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return File();
    }
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrnoFrom(::GetLastError());
    }
    return File(Value(handle));
}

File File::OpenForWriting(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        return File();
    }
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrnoFrom(::GetLastError());
    }
    return File(Value(handle));
}

File File::CreateUnique(std::string& path) {
    static constexpr char kLetters[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    constexpr std::size_t kRandomPart = 6;
    if (path.size() < kRandomPart) {
        errno = EINVAL;
        return File();
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t random = NextRandom();
        for (std::size_t i = path.size() - kRandomPart; i < path.size(); ++i) {
            path[i] = kLetters[random % (sizeof kLetters - 1)];
            random /= sizeof kLetters - 1;
        }
        const std::wstring wide = WidePath(path);
        if (wide.empty()) {
            return File();
        }
        // Shared for deleting, so that the cleanup at the end of the process can remove it
        // while it is open.
        const HANDLE handle =
            ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return File(Value(handle));
        }
        const DWORD error = ::GetLastError();
        SetErrnoFrom(error);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return File();
        }
    }
    return File();
}

FileStatus File::Status() const {
    return StatusOfHandle(Handle(handle_), /*links=*/false);
}

std::ptrdiff_t File::Read(char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!::ReadFile(Handle(handle_), buffer, wanted, &got, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
            return 0;
        }
        SetErrnoFrom(error);
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t File::ReadAt(char* buffer, std::size_t size, std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(size, kLargestTransfer));
    if (!::ReadFile(Handle(handle_), buffer, wanted, &got, &at)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF) {
            return 0;
        }
        SetErrnoFrom(error);
        return -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool File::Write(const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min(size, kLargestTransfer));
        if (!::WriteFile(Handle(handle_), data, piece, &written, nullptr)) {
            SetErrnoFrom(::GetLastError());
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void File::StartWriteBack(std::uint64_t, std::uint64_t) {
    // Windows writes back on its own; FlushFileBuffers waits for the rest.
}

bool File::SetMode(unsigned) {
    return true;  // a new file has the permissions its folder gives
}

bool File::Flush() {
    if (!::FlushFileBuffers(Handle(handle_))) {
        SetErrnoFrom(::GetLastError());
        return false;
    }
    return true;
}

bool File::Close() {
    const HANDLE handle = Handle(handle_);
    handle_ = kClosed;
    if (!::CloseHandle(handle)) {
        SetErrnoFrom(::GetLastError());
        return false;
    }
    return true;
}

bool RenameReplacing(const std::string& from, const std::string& to, bool durable) {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    if (source.empty() || target.empty()) {
        return false;
    }
    // A folder is no file to replace (and refusing it is no reason to wait), as rename says.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        errno = EISDIR;
        return false;
    }
    // The C runtime's rename refuses an existing target; this replaces it in one step.
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    return Retrying([&] { return ::MoveFileExW(source.c_str(), target.c_str(), flags) != 0; });
}

bool RemoveFile(const char* path) noexcept {
    try {
        const std::wstring wide = WidePath(path);
        return !wide.empty() && ::DeleteFileW(wide.c_str()) != 0;
    } catch (...) {
        return false;  // no memory for the wide path
    }
}

void* MapPages(std::size_t size, bool) noexcept {
    return ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapPages(void* memory, std::size_t) noexcept {
    ::VirtualFree(memory, 0, MEM_RELEASE);
}

void PreferHugePages(void*, std::size_t) noexcept {}

}  // namespace parlix::platform
