// Huge-page advice for large arrays.
#include "core/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

void AdviseHugePages(void* data, std::size_t bytes) {
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (address + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (address + bytes) & ~(kHugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
