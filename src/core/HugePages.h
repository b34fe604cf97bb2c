// Large arrays backed by huge pages, and freed memory kept for reuse: a million atoms fill hundreds
// of megabytes at once, and every drawn frame allocates and frees megabytes in the GL driver.
#pragma once

#include <cstddef>
#include <vector>

namespace vorn {

// Marks the whole 2 MiB pages inside a block that is about to be filled for transparent huge
// pages. First touching fresh memory costs a page fault per 4 KiB page, which on virtual machines
// costs several times the work done with the memory; one fault per 2 MiB removes nearly all of it.
// Advice only: the memory stays valid whether or not the system follows it.
void AdviseHugePages(void* data, std::size_t bytes);

constexpr std::size_t kHugePageWorthBytes = std::size_t{4} << 20;

// Reserves room for count elements, advising huge pages when the block is large.
template <typename T>
void ReserveLarge(std::vector<T>& v, std::size_t count) {
    v.reserve(count);
    if (v.capacity() * sizeof(T) >= kHugePageWorthBytes)
        AdviseHugePages(v.data(), v.capacity() * sizeof(T));
}

// A vector of count copies of value whose memory was advised before it was first written.
template <typename T>
std::vector<T> LargeVector(std::size_t count, const T& value = T()) {
    std::vector<T> v;
    ReserveLarge(v, count);
    v.resize(count, value);
    return v;
}

// Has the system provide the pages of a block that is about to be filled, on WorkerThreads()
// threads. The first write to fresh memory is where the system clears it, which for hundreds of
// megabytes takes longer than the filling itself; split over threads it takes a fraction. Advice
// only, as above.
void ProvidePages(void* data, std::size_t bytes);

// LargeVector with its pages provided on several threads first.
template <typename T>
std::vector<T> LargeVectorOnThreads(std::size_t count, const T& value = T()) {
    std::vector<T> v;
    ReserveLarge(v, count);
    if (count * sizeof(T) >= kHugePageWorthBytes)
        ProvidePages(v.data(), count * sizeof(T));
    v.resize(count, value);
    return v;
}

// Keeps freed heap memory in the process instead of returning it to the system at every free.
// The software GL driver allocates and frees tens of megabytes of vertex buffers per frame; handed
// back each time, they are faulted in again page by page on the next frame, which takes longer
// than drawing them. Process-wide and idempotent.
void KeepFreedHeapMemory();

} // namespace vorn
