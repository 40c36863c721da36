#include "table/page_memory.h"

#include <sys/mman.h>

#include <new>

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
        ::munmap(memory, size);
    } else {
        delete[] memory;
    }
}

PageMemory AllocatePages(std::size_t size, bool prefault) {
    if (size < kSmallest) {
        return PageMemory(new char[size == 0 ? 1 : size], PageMemoryRelease{size, false});
    }
    void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | (prefault ? MAP_POPULATE : 0), -1, 0);
    if (memory == MAP_FAILED) {
        throw std::bad_alloc();
    }
    return PageMemory(static_cast<char*>(memory), PageMemoryRelease{size, true});
}

PageMemory AllocateZeroedTable(std::size_t size) {
    if (size < kSmallest) {
        return PageMemory(new char[size == 0 ? 1 : size](), PageMemoryRelease{size, false});
    }
    PageMemory memory = AllocatePages(size);       // anonymous pages: zero until written
    ::madvise(memory.get(), size, MADV_HUGEPAGE);  // a hint; without it, small pages
    return memory;
}

}  // namespace parlix::detail
