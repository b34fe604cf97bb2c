// Many short lists of integers stored back to back in one array, with an offset per list.
#pragma once

#include "core/HugePages.h"
#include "core/Parallel.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace vorn {

// List i holds Values()[Start(i)] .. Values()[Start(i + 1) - 1]. A million atoms' neighbour lists
// take two allocations instead of a million.
class FlatLists {
public:
    class Range {
    public:
        Range(const int* first, const int* last) : m_first(first), m_last(last) {}
        const int* begin() const { return m_first; }
        const int* end() const { return m_last; }
        int size() const { return static_cast<int>(m_last - m_first); }
        bool empty() const { return m_first == m_last; }
        std::vector<int> ToVector() const { return std::vector<int>(m_first, m_last); }

    private:
        const int* m_first;
        const int* m_last;
    };

    FlatLists() = default;
    // Takes offsets (one more than the lists, starting at 0, not decreasing) and the values.
    FlatLists(std::vector<int> start, std::vector<int> values)
        : m_start(std::move(start)), m_values(std::move(values)) {}

    int Count() const { return static_cast<int>(m_start.size()) - 1; }
    Range operator[](int i) const {
        const int* base = m_values.data();
        return Range(base + m_start[static_cast<std::size_t>(i)],
                     base + m_start[static_cast<std::size_t>(i) + 1]);
    }

    template <typename It>
    void Add(It first, It last) {
        m_values.insert(m_values.end(), first, last);
        m_start.push_back(static_cast<int>(m_values.size()));
    }
    void Reserve(std::size_t lists, std::size_t values) {
        m_start.reserve(lists + 1);
        m_values.reserve(values);
    }

    int Start(int i) const { return m_start[static_cast<std::size_t>(i)]; }
    std::vector<int>& Values() { return m_values; }
    const std::vector<int>& Values() const { return m_values; }

private:
    std::vector<int> m_start{0};
    std::vector<int> m_values;
};

// Groups items 0 .. count − 1 into lists 0 .. lists − 1 by a counting sort: list k holds, in item
// order, the items whose keyOf(item) is k. Items with key −1 go into no list.
template <typename KeyOf>
FlatLists GroupByKey(int lists, int count, KeyOf keyOf) {
    const std::size_t n = static_cast<std::size_t>(std::max(count, 0));
    std::vector<int> key = LargeVector<int>(n);
    std::vector<int> start = LargeVector<int>(static_cast<std::size_t>(lists) + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        key[i] = keyOf(static_cast<int>(i));
        if (key[i] >= 0)
            ++start[static_cast<std::size_t>(key[i]) + 1];
    }
    for (std::size_t k = 0; k + 1 < start.size(); ++k)
        start[k + 1] += start[k];
    std::vector<int> next(start.begin(), start.end() - 1);
    std::vector<int> items = LargeVector<int>(static_cast<std::size_t>(start.back()));
    for (std::size_t i = 0; i < n; ++i)
        if (key[i] >= 0)
            items[static_cast<std::size_t>(next[static_cast<std::size_t>(key[i])]++)] =
                static_cast<int>(i);
    return FlatLists(std::move(start), std::move(items));
}

// GroupByKey on several threads, with the same result: each thread counts and places the items of
// one range, after the items of the ranges before it. keyOf is called from several threads at
// once.
template <typename KeyOf>
FlatLists GroupByKeyOnThreads(int lists, int count, KeyOf keyOf) {
    constexpr int kItemsPerThread = 50000;
    const int threads = WorkerThreads();
    const int parts = std::min(threads, count / kItemsPerThread);
    if (parts < 2)
        return GroupByKey(lists, count, keyOf);
    const std::size_t n = static_cast<std::size_t>(count);
    const std::size_t slotCount = static_cast<std::size_t>(lists) + 1;
    std::vector<int> key = LargeVector<int>(n);
    std::vector<std::vector<int>> counts(static_cast<std::size_t>(parts));
    RunParts(
        parts,
        [&](int part) {
            std::vector<int>& c = counts[static_cast<std::size_t>(part)];
            c.assign(slotCount, 0);
            const PartRange r = RangeOfPart(count, parts, part);
            for (int i = r.begin; i < r.end; ++i) {
                const int k = keyOf(i);
                key[static_cast<std::size_t>(i)] = k;
                if (k >= 0)
                    ++c[static_cast<std::size_t>(k)];
            }
        },
        threads);
    // start[k]: where list k begins; counts[p][k] becomes where part p places its first item of it.
    std::vector<int> start = LargeVector<int>(slotCount, 0);
    int total = 0;
    for (std::size_t k = 0; k + 1 < slotCount; ++k) {
        start[k] = total;
        for (std::vector<int>& c : counts) {
            const int items = c[k];
            c[k] = total;
            total += items;
        }
    }
    start[slotCount - 1] = total;
    std::vector<int> items = LargeVector<int>(static_cast<std::size_t>(total));
    RunParts(
        parts,
        [&](int part) {
            std::vector<int>& next = counts[static_cast<std::size_t>(part)];
            const PartRange r = RangeOfPart(count, parts, part);
            for (int i = r.begin; i < r.end; ++i) {
                const int k = key[static_cast<std::size_t>(i)];
                if (k >= 0)
                    items[static_cast<std::size_t>(next[static_cast<std::size_t>(k)]++)] = i;
            }
        },
        threads);
    return FlatLists(std::move(start), std::move(items));
}

} // namespace vorn
