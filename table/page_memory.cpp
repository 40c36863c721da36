#include "table/page_memory.h"

#include <sys/mman.h>

#include <new>

namespace parlix::detail {

void PageMemoryRelease::operator()(char* memory) const noexcept {
    if (memory != nullptr) {
        ::munmap(memory, size);
    }
}

PageMemory AllocatePages(std::size_t size, bool prefault) {
    if (size == 0) {
        size = 1;
    }
    void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | (prefault ? MAP_POPULATE : 0), -1, 0);
    if (memory == MAP_FAILED) {
        throw std::bad_alloc();
    }
    return PageMemory(static_cast<char*>(memory), PageMemoryRelease{size});
}

}  // namespace parlix::detail
