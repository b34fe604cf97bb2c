// Work shared out over threads: how many a computation may use, and numbered parts run on them.
#pragma once

#include <functional>

namespace vorn {

// The threads a computation may use: the number in the environment variable VORN_THREADS when it
// holds a positive one, else the processors of the machine. 1 keeps all work on the calling
// thread. Read at every call, so that a test can vary it.
int WorkerThreads();

// Runs work(part) for every part 0 .. parts − 1, on up to threads threads, the calling thread
// among them (threads < 1: WorkerThreads()). Parts start in increasing order, each exactly once.
// When parts fail, every part still runs and the exception of the lowest-numbered failed part is
// raised again on the calling thread, so that what escapes does not depend on the timing.
void RunParts(int parts, const std::function<void(int part)>& work, int threads = 0);

// The half-open range [begin, end) of part `part` when count items are cut into `parts` parts of
// nearly equal size, in order.
struct PartRange {
    int begin;
    int end;
};
PartRange RangeOfPart(int count, int parts, int part);

// Runs work(begin, end) over ranges that together cover 0 .. count − 1, each of at least
// minPerPart items, on up to WorkerThreads() threads; a count below two such ranges runs as one
// range on the calling thread. Exceptions as RunParts.
void ForRanges(int count, int minPerPart, const std::function<void(int begin, int end)>& work);

} // namespace vorn
