// Work shared out over threads.
#include "core/Parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace vorn {

int WorkerThreads() {
    if (const char* text = std::getenv("VORN_THREADS")) {
        char* end = nullptr;
        const long n = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && n > 0)
            return static_cast<int>(std::min(n, 256L));
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunParts(int parts, const std::function<void(int part)>& work, int threads) {
    if (parts <= 0)
        return;
    if (threads < 1)
        threads = WorkerThreads();
    threads = std::min(threads, parts);
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(parts));
    std::atomic<int> next{0};
    const auto runParts = [&] {
        for (int part = next++; part < parts; part = next++) {
            try {
                work(part);
            } catch (...) {
                errors[static_cast<std::size_t>(part)] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    // A thread that cannot be started leaves its share to the others.
    try {
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back(runParts);
    } catch (const std::system_error&) {
    }
    runParts();
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

PartRange RangeOfPart(int count, int parts, int part) {
    const long long n = std::max(count, 0), p = std::max(parts, 1);
    return {static_cast<int>(n * part / p), static_cast<int>(n * (part + 1) / p)};
}

void ForRanges(int count, int minPerPart, const std::function<void(int begin, int end)>& work) {
    if (count <= 0)
        return;
    const int threads = WorkerThreads();
    const int parts = std::max(1, std::min(threads, count / std::max(minPerPart, 1)));
    if (parts == 1) {
        work(0, count);
        return;
    }
    RunParts(
        parts,
        [&](int part) {
            const PartRange range = RangeOfPart(count, parts, part);
            work(range.begin, range.end);
        },
        threads);
}

} // namespace vorn
