// Huge-page advice for large arrays, and the heap kept from shrinking.
#include "core/HugePages.h"

#include "core/Parallel.h"

#include <algorithm>
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

void ProvidePages(void* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    // Threads take whole huge pages, so that no two of them fault in the same one.
    constexpr std::uintptr_t kPage = 4096, kHugePage = std::uintptr_t{2} << 20;
    constexpr std::size_t kBytesPerThread = std::size_t{8} << 20;
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (address + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = (address + bytes) & ~(kPage - 1);
    if (end <= begin)
        return;
    const int parts = static_cast<int>(std::clamp<std::size_t>(
        (end - begin) / kBytesPerThread, 1, static_cast<std::size_t>(WorkerThreads())));
    const auto cut = [&](int part) {
        if (part == 0)
            return begin;
        if (part == parts)
            return end;
        const std::uintptr_t at = begin + (end - begin) / static_cast<std::uintptr_t>(parts) *
                                              static_cast<std::uintptr_t>(part);
        return std::clamp((at + kHugePage - 1) & ~(kHugePage - 1), begin, end);
    };
    RunParts(parts, [&](int part) {
        const std::uintptr_t first = cut(part), last = cut(part + 1);
        if (last > first)
            ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    });
#else
    (void)data;
    (void)bytes;
#endif
}

void KeepFreedHeapMemory() {
    // Up to this much free memory at the top of the heap stays mapped for the next allocation.
    constexpr int kKeptBytes = 512 << 20;
    mallopt(M_TRIM_THRESHOLD, kKeptBytes);
}

} // namespace vorn
