#include "table/page_memory.h"

#include <new>

#include "table/platform.h"

namespace parlix::detail {

namespace {
// Below this, a system call per buffer costs more than it saves.
constexpr std::size_t kSmallest = std::size_t{1} << 20;
}  // namespace

void PageMemoryRelease::operator()(char* memory) const noexcept {
    if (memory == nullptr) {
        return;
    }
    if (mapped) {
        platform::UnmapPages(memory, size);
    } else {
        delete[] memory;
    }
}

PageMemory AllocatePages(std::size_t size, bool prefault) {
    if (size < kSmallest) {
        return PageMemory(new char[size == 0 ? 1 : size], PageMemoryRelease{size, false});
    }
    void* memory = platform::MapPages(size, prefault);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return PageMemory(static_cast<char*>(memory), PageMemoryRelease{size, true});
}

PageMemory AllocateZeroedTable(std::size_t size) {
    if (size < kSmallest) {
        return PageMemory(new char[size == 0 ? 1 : size](), PageMemoryRelease{size, false});
    }
    PageMemory memory = AllocatePages(size);        // anonymous pages: zero until written
    platform::PreferHugePages(memory.get(), size);  // a hint; without it, small pages
    return memory;
}

}  // namespace parlix::detail
