#include "table/temporary_files.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace parlix {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMarker = ".tmp-";
constexpr std::size_t kRandomPart = 6;  // the XXXXXX of mkostemp
constexpr long kStaleAfterSeconds = 60 * 60;

// The paths of temporaries in progress, readable from a signal handler: a slot is filled
// while its state is kFilling and seen by the handler only once it is kRecorded.
enum SlotState : int { kFree, kFilling, kRecorded };
struct Slot {
    std::atomic<int> state{kFree};
    char path[4096];
};
static_assert(std::atomic<int>::is_always_lock_free);
Slot g_slots[16];

int Record(const std::string& path) noexcept {
    if (path.size() >= sizeof(Slot::path)) {
        return -1;
    }
    for (int i = 0; i < static_cast<int>(std::size(g_slots)); ++i) {
        int expected = kFree;
        if (g_slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].state.store(kRecorded, std::memory_order_release);
            return i;
        }
    }
    return -1;  // more writes at once than slots: that one is left to the stale-file cleanup
}

void Forget(int slot) noexcept {
    if (slot >= 0) {
        g_slots[slot].state.store(kFree, std::memory_order_release);
    }
}

fs::path FolderOf(const fs::path& target) {
    return target.parent_path().empty() ? fs::path(".") : target.parent_path();
}

}  // namespace

// A temporary of "target" is named "." + target + ".tmp-XXXXXX".
bool IsTemporaryFileOf(std::string_view name, std::string_view target) {
    const std::size_t length = 1 + target.size() + kMarker.size() + kRandomPart;
    if (name.size() != length || name[0] != '.' || name.substr(1, target.size()) != target ||
        name.substr(1 + target.size(), kMarker.size()) != kMarker) {
        return false;
    }
    for (char c : name.substr(length - kRandomPart)) {
        const bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric) {
            return false;
        }
    }
    return true;
}

TemporaryFile::TemporaryFile(const std::string& target) {
    RemoveStaleTemporaries(target, kStaleAfterSeconds);
    const fs::path path(target);
    std::string pattern =
        (FolderOf(path) / ("." + path.filename().string() + std::string(kMarker) + "XXXXXX"))
            .string();
    // A signal between creating the file and recording it would leave it behind: signals wait.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    descriptor_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    const int error = errno;
    if (descriptor_ >= 0) {
        path_ = pattern;
        slot_ = Record(path_);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
}

TemporaryFile::~TemporaryFile() {
    const int error = errno;  // a destructor on a failure path keeps the failure's cause
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
    Forget(slot_);
    errno = error;
}

int TemporaryFile::TakeDescriptor() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor;
}

void TemporaryFile::Release() {
    path_.clear();
    Forget(slot_);
    slot_ = -1;
}

void RemoveTemporaryFilesInProgress() noexcept {
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kRecorded) {
            ::unlink(slot.path);
        }
    }
}

void RemoveStaleTemporaries(const std::string& target, long ageSeconds) noexcept {
    try {
        const fs::path path(target);
        const std::string name = path.filename().string();
        if (name.empty()) {
            return;
        }
        const std::time_t limit = std::time(nullptr) - ageSeconds;
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(FolderOf(path), ec)) {
            if (!IsTemporaryFileOf(entry.path().filename().string(), name)) {
                continue;
            }
            struct stat info {};
            if (::lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                info.st_mtime <= limit) {
                ::unlink(entry.path().c_str());
            }
        }
    } catch (...) {
        // A folder that cannot be listed keeps its debris; the write itself goes on.
    }
}

}  // namespace parlix
