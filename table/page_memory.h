// Large buffers straight from the operating system, not initialised: the file buffer and the
// record memory of a large table.
#pragma once

#include <cstddef>
#include <memory>

namespace parlix::detail {

struct PageMemoryRelease {
    std::size_t size = 0;
    bool mapped = false;  // small buffers come from the heap
    void operator()(char* memory) const noexcept;
};
using PageMemory = std::unique_ptr<char[], PageMemoryRelease>;

// At least `size` bytes (throws std::bad_alloc when there is no memory). With `prefault`, the
// pages are made present at once, which is cheaper than faulting them in one by one when the
// whole buffer will be filled anyway.
PageMemory AllocatePages(std::size_t size, bool prefault = false);

// At least `size` bytes, all zero, for a large table that is looked up at random: in huge pages
// where the system offers them, so that lookups miss the processor's page cache less. Pages are
// made present as they are first touched.
PageMemory AllocateZeroedTable(std::size_t size);

}  // namespace parlix::detail
