// Work shared out over threads: the thread count, parts and ranges, failures, and grouping by key
// on threads with the result of one thread.
#include "core/Parallel.h"

#include "ThreadCount.h"
#include "core/FlatLists.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vorn {

TEST(Parallel, ThreadCountComesFromTheEnvironmentWhenItIsAPositiveNumber) {
    const int machine = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (const char* text : {"3", "1", "0", "-2", "two", "4x", ""}) {
        ::setenv("VORN_THREADS", text, 1);
        const int expected = std::string(text) == "3" ? 3 : std::string(text) == "1" ? 1 : machine;
        EXPECT_EQ(WorkerThreads(), expected) << '"' << text << '"';
    }
    ::unsetenv("VORN_THREADS");
    EXPECT_EQ(WorkerThreads(), machine);
}

// Every part runs once whatever the threads; when parts fail, all still run and the lowest
// failed part's exception comes out.
TEST(Parallel, PartsRunOnceAndTheLowestFailureIsRaised) {
    for (int threads : {1, 2, 3}) {
        std::vector<std::atomic<int>> runs(50);
        EXPECT_THROW(RunParts(
                         50,
                         [&](int part) {
                             ++runs[static_cast<size_t>(part)];
                             if (part == 31 || part == 17 || part == 44)
                                 throw std::runtime_error("part " + std::to_string(part));
                         },
                         threads),
                     std::runtime_error);
        for (int part = 0; part < 50; ++part)
            EXPECT_EQ(runs[static_cast<size_t>(part)].load(), 1) << part;
        try {
            RunParts(
                50, [](int part) { throw std::runtime_error(std::to_string(part)); }, threads);
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "0");
        }
    }
}

TEST(Parallel, RangesCoverEveryItemOnce) {
    for (int count : {0, 1, 7, 100003}) {
        for (int parts : {1, 2, 3, 8}) {
            int next = 0;
            for (int part = 0; part < parts; ++part) {
                const PartRange r = RangeOfPart(count, parts, part);
                EXPECT_EQ(r.begin, next);
                EXPECT_LE(r.end - r.begin, count / parts + 1);
                next = r.end;
            }
            EXPECT_EQ(next, count);
        }
        const ThreadCount threads(3);
        std::vector<int> seen(static_cast<size_t>(count), 0);
        ForRanges(count, 1000, [&](int begin, int end) {
            for (int i = begin; i < end; ++i)
                ++seen[static_cast<size_t>(i)];
        });
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), count);
    }
}

// Items in item order within each list, items with key −1 in none: the same lists from any
// number of threads.
TEST(Parallel, GroupingOnThreadsGivesTheListsOfOneThread) {
    std::mt19937 random(5);
    std::vector<int> keys(300000);
    for (int& k : keys)
        k = static_cast<int>(random() % 1001) - 1;
    const auto keyOf = [&](int i) { return keys[static_cast<size_t>(i)]; };
    const FlatLists expected = GroupByKey(1000, static_cast<int>(keys.size()), keyOf);
    for (int threads : {1, 2, 3}) {
        const ThreadCount count(threads);
        const FlatLists lists = GroupByKeyOnThreads(1000, static_cast<int>(keys.size()), keyOf);
        ASSERT_EQ(lists.Count(), 1000);
        for (int k = 0; k < 1000; ++k)
            ASSERT_EQ(lists[k].ToVector(), expected[k].ToVector()) << threads << " threads";
    }
    const std::vector<int> five = expected[5].ToVector();
    EXPECT_EQ(five.size(), static_cast<size_t>(std::count(keys.begin(), keys.end(), 5)));
    EXPECT_TRUE(std::is_sorted(five.begin(), five.end()));
}

} // namespace vorn
