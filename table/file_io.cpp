#include "table/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

#include "table/errors.h"

namespace parlix {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

}  // namespace

FileReader::FileReader(const std::string& path)
    : path_(path), file_(platform::File::OpenForReading(path)) {
    if (!file_) {
        throw EFOpenError(path, SystemErrorText(errno));
    }
    const platform::FileStatus info = file_.Status();
    if (info.kind == platform::FileKind::None) {
        throw EFOpenError(path, SystemErrorText(errno));
    }
    if (info.kind != platform::FileKind::Regular) {
        throw EFOpenError(path, info.kind == platform::FileKind::Folder
                                    ? SystemErrorText(EISDIR)
                                    : "Das ist keine gewöhnliche Datei (ein Gerät, eine FIFO "
                                      "oder ein Socket).");
    }
    size_ = info.size;
    mode_ = info.mode;
}

std::size_t FileReader::Read(char* buffer, std::size_t size) {
    const std::ptrdiff_t got = file_.Read(buffer, size);
    if (got < 0) {
        throw EFOpenError(path_, SystemErrorText(errno));
    }
    return static_cast<std::size_t>(got);
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
    const platform::FileKind kind = platform::Status(path).kind;
    return kind != platform::FileKind::None && kind != platform::FileKind::Folder;
}

std::string FolderOf(const std::string& path) {
    const std::filesystem::path folder = platform::NativePath(path).parent_path();
    return folder.empty() ? std::string(".") : platform::Utf8Path(folder);
}

std::string NameOf(const std::string& path) {
    return platform::Utf8Path(platform::NativePath(path).filename());
}

std::string PathIn(const std::string& folder, std::string_view name) {
    return platform::Utf8Path(platform::NativePath(folder) / platform::NativePath(name));
}

std::string ExtensionOf(const std::string& path) {
    return platform::Utf8Path(platform::NativePath(path).extension());
}

std::string StemOf(const std::string& path) {
    return platform::Utf8Path(platform::NativePath(path).stem());
}

std::string NormalPath(const std::string& path) {
    return platform::Utf8Path(platform::NativePath(path).lexically_normal());
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
