// The indexed list: insertion, removal and access by index through the cached cursor.
#include "core/IndexedList.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorn {

namespace {

std::vector<int> Contents(const IndexedList<int>& list) {
    return std::vector<int>(list.begin(), list.end());
}

TEST(IndexedList, InsertsRemovesAndWalksBothWays) {
    IndexedList<int> list;
    list.Append(2);
    list.Insert(0, 0);
    list.Insert(1, 1);
    list.Insert(list.Count(), 3);
    list.Append(4);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 3, 4}));
    list.Remove(0);
    list.Remove(1); // was 2
    list.Remove(list.Count() - 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list[1], 3); // the back links were mended too
    EXPECT_EQ(list[0], 1);
    list.Insert(1, 7);
    EXPECT_EQ(Contents(list), (std::vector<int>{1, 7, 3}));
    while (!list.Empty())
        list.Remove(0);
    for (int i = 0; i < 100; ++i) // an emptied list is usable again
        list.Append(i * 10);
    for (int i : {0, 1, 2, 50, 49, 99, 98, 3, 60, 0}) // the cursor walks both ways
        EXPECT_EQ(list[i], i * 10) << "index " << i;
}

TEST(IndexedList, IndexOutsideTheListRaisesAndCopyIsDeep) {
    IndexedList<std::string> a;
    a.Append("x");
    EXPECT_THROW(a[-1], VornError);
    EXPECT_THROW(a.Insert(2, "y"), VornError);
    try {
        a.Remove(1);
        FAIL() << "removal past the end was accepted";
    } catch (const VornError& e) {
        EXPECT_EQ(e.Message(), "Invalid index");
        EXPECT_EQ(e.Source(), "list");
        EXPECT_GT(e.Line(), 0);
    }
    IndexedList<std::string> b = a;
    b[0] = "changed";
    EXPECT_EQ(a[0], "x");
    IndexedList<std::string> c = std::move(a);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(a.Count(), 0);
}

TEST(VornErrorTest, EmptyMessageStillSaysSomethingFailed) {
    EXPECT_STREQ(VornError("", "x", 1).what(), "Excepts error thrown");
    EXPECT_STREQ(VornError("Can't open file!", "pdb", 1).what(), "Can't open file!");
}

} // namespace

} // namespace vorn
