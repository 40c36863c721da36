// Helpers for tests that touch the file system.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "table/platform.h"

namespace parlix::testing {

// Whether this build runs under AddressSanitizer (scripts/test-all.sh builds the core tests so
// once), which reserves terabytes of address space for its shadow memory: a limit on a
// process's address space cannot be set there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
inline constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// A fresh folder that is removed with everything in it when the test ends.
class TempDir {
  public:
    TempDir() {
        std::random_device random;
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        do {
            path_ = temp / ("parlix-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        // A test may have made files read-only, which Windows does not delete.
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // A path in the folder, as UTF-8 (`name` is UTF-8 too), with the system's separators: on
    // Windows "a/b" becomes "a\b", as a listing of the folder gives it.
    std::string File(const std::string& name) const {
        return platform::Utf8Path((path_ / platform::NativePath(name)).make_preferred());
    }

  private:
    std::filesystem::path path_;
};

// Paths are UTF-8, as everywhere in Parlix.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(platform::NativePath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(platform::NativePath(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a folder, sorted, to see that no backup or temporary file was left behind.
inline std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(platform::Utf8Path(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// What a test body found wrong, collected so that a body can run in a child process too
// (gtest's assertions do not reach the parent from there; see child_process.h).
class ChildReport {
  public:
    void Expect(bool condition, const std::string& what) {
        if (!condition) {
            text_ += what + "\n";
        }
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

// Makes a symbolic link `link` to `target`; false where the system gives no right to (Wine, and
// Windows without developer mode), for a test to skip.
inline bool MakeSymlink(const std::string& target, const std::string& link) {
    std::error_code error;
    std::filesystem::create_symlink(platform::NativePath(target), platform::NativePath(link),
                                    error);
    return !error;
}

}  // namespace parlix::testing
