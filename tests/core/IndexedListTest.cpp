// The indexed list: insertion, removal and access by index through the cached cursor.
#include "core/IndexedList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Contents(const IndexedList<int>& list) {
    return std::vector<int>(list.begin(), list.end());
}

TEST(IndexedList, InsertsAtAnyIndexAndAppendsAtCount) {
    IndexedList<int> list;
    list.Append(2);
    list.Insert(0, 0);
    list.Insert(1, 1);
    list.Insert(list.Count(), 3);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(list.Count(), 4);
}

TEST(IndexedList, AccessWalksFromCursorInBothDirections) {
    IndexedList<int> list;
    for (int i = 0; i < 100; ++i)
        list.Append(i * 10);
    // Forwards, backwards and jumps must all land on the right element.
    for (int i : {0, 1, 2, 50, 49, 99, 98, 3, 60, 0})
        EXPECT_EQ(list[i], i * 10) << "index " << i;
}

TEST(IndexedList, RemovesHeadMiddleAndTailKeepingLinksConsistent) {
    IndexedList<int> list;
    for (int i = 0; i < 6; ++i)
        list.Append(i);
    list.Remove(0);
    list.Remove(2); // was 3
    list.Remove(list.Count() - 1);
    EXPECT_EQ(Contents(list), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(list[2], 4);
    EXPECT_EQ(list[0], 1);
    list.Insert(1, 7);
    EXPECT_EQ(Contents(list), (std::vector<int>{1, 7, 2, 4}));
    while (!list.Empty())
        list.Remove(0);
    list.Append(9); // an emptied list is usable again
    EXPECT_EQ(Contents(list), (std::vector<int>{9}));
}

TEST(IndexedList, IndexOutsideTheListRaises) {
    IndexedList<int> list;
    list.Append(1);
    EXPECT_THROW(list[1], VornError);
    EXPECT_THROW(list[-1], VornError);
    EXPECT_THROW(list.Remove(3), VornError);
    EXPECT_THROW(list.Insert(3, 0), VornError);
    try {
        list.Remove(5);
    } catch (const VornError& e) {
        EXPECT_EQ(e.Source(), "list");
    }
}

TEST(IndexedList, CopyIsDeepAndMoveEmptiesTheSource) {
    IndexedList<std::string> a;
    a.Append("x");
    a.Append("y");
    IndexedList<std::string> b = a;
    b[0] = "changed";
    EXPECT_EQ(a[0], "x");
    IndexedList<std::string> c = std::move(a);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(a.Count(), 0);
}

TEST(VornErrorTest, CarriesMessageSourceAndLine) {
    try {
        VORN_RAISE("pdb", "Can't open file!");
    } catch (const VornError& e) {
        EXPECT_EQ(e.Message(), "Can't open file!");
        EXPECT_EQ(e.Source(), "pdb");
        EXPECT_GT(e.Line(), 0);
    }
    EXPECT_STREQ(VornError("", "x", 1).what(), "Excepts error thrown");
}

} // namespace
