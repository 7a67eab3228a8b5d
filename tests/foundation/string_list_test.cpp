#include "foundation/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> Texts(const StringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count; ++i) out.push_back(list.GetAt(i)->text.str());
    return out;
}
}  // namespace

TEST(StringList, UniqueModeCountsOccurrences) {
    StringList unique;
    unique.allowDuplicates = 0;
    for (const char* t : {"abc", "ABC", "abc"}) unique.Add(t);
    ASSERT_EQ(unique.count, 1);
    EXPECT_EQ(unique.GetAt(0)->text.str(), "abc");
    EXPECT_EQ(unique.GetAt(0)->occurrences, 3);
    StringList all;
    for (const char* t : {"abc", "ABC", "abc"}) all.Add(t);
    EXPECT_EQ(all.count, 3);
}

TEST(StringList, JoinSplitSortRemove) {
    StringList list;
    TextString out("junk");
    list.Join(&out, ", ");
    EXPECT_EQ(out.str(), "");
    for (const char* t : {"a", "b", "c"}) list.Add(t);
    list.Join(&out, ", ");
    EXPECT_EQ(out.str(), "a, b, c");

    StringList sorted;
    for (const char* t : {"b", "A", "a"}) sorted.Add(t);
    sorted.Sort(1, 0);
    EXPECT_EQ(Texts(sorted), (std::vector<std::string>{"A", "a", "b"}));
    sorted.Sort(0, 0);
    EXPECT_EQ(Texts(sorted), (std::vector<std::string>{"A", "a", "b"}));

    StringList split;
    TextString csv("x,y,,z");
    split.Split(&csv, ",");
    EXPECT_EQ(Texts(split), (std::vector<std::string>{"x", "y", "", "z"}));
    StringList split2;
    TextString trailing("x,");
    split2.Split(&trailing, ",");
    EXPECT_EQ(Texts(split2), (std::vector<std::string>{"x"}));

    StringList one;
    one.Add("only");
    EXPECT_FALSE(one.RemoveAt(1));
    EXPECT_TRUE(one.RemoveAt(0));
    EXPECT_EQ(one.count, 0);
    EXPECT_EQ(one.GetAt(0), nullptr);

    StringList ins;
    ins.Add("a");
    ins.Add("c");
    ins.InsertAt(1, "b");
    ins.InsertAt(99, "d");
    EXPECT_EQ(Texts(ins), (std::vector<std::string>{"a", "b", "c", "d"}));
    int index = -2;
    TextString probe("C");
    EXPECT_TRUE(ins.Find(&probe, &index));
    EXPECT_EQ(index, 2);
}

TEST(FrequencyTable, ValueOrderThenCountOrder) {
    FrequencyTable t;
    for (int v : {5, 3, 5, 9}) t.Add(v);
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.EntryAt(0)->value, 3);
    EXPECT_EQ(t.EntryAt(1)->value, 5);
    EXPECT_EQ(t.EntryAt(1)->occurrences, 2);
    EXPECT_EQ(t.sumOfValues, 22);
    EXPECT_EQ(t.samples, 4);
    EXPECT_EQ(t.smallest, 3);
    EXPECT_EQ(t.largest, 9);
    EXPECT_EQ(t.GetEntry(1)->value, 5);
    EXPECT_EQ(t.SumTopCounts(2), 3);
    EXPECT_EQ(t.SumTopCounts(10), 4);
    EXPECT_EQ(t.GetEntry(0), nullptr);
    t.Add(1);
    EXPECT_EQ(t.EntryAt(3)->value, 1);  // appended once sorted
}

TEST(FrequencyTable, TieOrderOfTheRanking) {
    FrequencyTable t;
    const int values[] = {10, 20, 30, 40, 50};
    const int counts[] = {2, 1, 2, 3, 2};
    for (int i = 0; i < 5; ++i)
        for (int k = 0; k < counts[i]; ++k) t.Add(values[i]);
    t.SortByCount();
    std::vector<int> order;
    for (int i = 0; i < t.count; ++i) order.push_back(t.EntryAt(i)->value);
    EXPECT_EQ(order, (std::vector<int>{40, 30, 10, 50, 20}));
}
