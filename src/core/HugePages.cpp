// Huge-page advice for large arrays, and the heap kept from shrinking.
#include "core/HugePages.h"

#include <cstdint>
#include <malloc.h>
#include <sys/mman.h>

namespace vorn {

void AdviseHugePages(void* data, std::size_t bytes) {
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (address + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (address + bytes) & ~(kHugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void KeepFreedHeapMemory() {
    // Up to this much free memory at the top of the heap stays mapped for the next allocation.
    constexpr int kKeptBytes = 512 << 20;
    mallopt(M_TRIM_THRESHOLD, kKeptBytes);
}

} // namespace vorn
