#include "table/temporary_files.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>

#include "table/file_io.h"

namespace parlix {

namespace {

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
    std::string path =
        PathIn(FolderOf(target), "." + NameOf(target) + std::string(kMarker) + "XXXXXX");
    int error = 0;
    // The end of the process between creating the file and recording it would leave it behind.
    platform::WithCleanupWaiting([&] {
        file_ = platform::File::CreateUnique(path);
        error = errno;
        if (file_) {
            path_ = path;
            slot_ = Record(path_);
        }
    });
    errno = error;
}

TemporaryFile::~TemporaryFile() {
    const int error = errno;  // a destructor on a failure path keeps the failure's cause
    file_ = platform::File();
    if (!path_.empty()) {
        platform::RemoveFile(path_.c_str());
    }
    Forget(slot_);
    errno = error;
}

platform::File TemporaryFile::TakeFile() {
    return std::move(file_);
}

void TemporaryFile::Release() {
    path_.clear();
    Forget(slot_);
    slot_ = -1;
}

void RemoveTemporaryFilesInProgress() noexcept {
    for (Slot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == kRecorded) {
            platform::RemoveFile(slot.path);
        }
    }
}

void RemoveStaleTemporaries(const std::string& target, long ageSeconds) noexcept {
    try {
        const std::string name = NameOf(target);
        if (name.empty()) {
            return;
        }
        const std::time_t limit = std::time(nullptr) - ageSeconds;
        const std::string folder = FolderOf(target);
        platform::ListFolder(folder, [&](std::string_view entry) {
            if (!IsTemporaryFileOf(entry, name)) {
                return;
            }
            const std::string path = PathIn(folder, entry);
            const platform::FileStatus info = platform::LinkStatus(path);
            if (info.kind == platform::FileKind::Regular && info.modified <= limit) {
                platform::RemoveFile(path.c_str());
            }
        });
    } catch (...) {
        // A folder that cannot be listed keeps its debris; the write itself goes on.
    }
}

}  // namespace parlix
