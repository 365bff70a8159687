// The generic containers.
#include "qzgen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An item with a numeric key (sort key 1) and a tag (key 2); it records its deletion.
std::vector<std::string> deleted;

struct TNumItem : TQzBsMem {
    int num;
    std::string tag;
    TNumItem(int num, const char *tag = "") : num(num), tag(tag) {}
    ~TNumItem() override { deleted.push_back(tag.empty() ? std::to_string(num) : tag); }
    TCmpRes Cmp(const TNumItem &other, unsigned key) const
    {
        if (key == 2)
            return Compare(tag.c_str(), other.tag.c_str(), 0);
        return num < other.num ? -1 : num > other.num ? 1 : 0;
    }
};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { deleted.clear(); }

    // A sorted list holding the given numbers, tagged "s0", "s1", ...
    static void Fill(TList<TNumItem> &list, std::initializer_list<int> nums)
    {
        int i = 0;
        for (int n : nums)
            list.Add(new TNumItem(n, ("s" + std::to_string(i++)).c_str()));
    }
    static std::string Order(const TList<TNumItem> &list)
    {
        std::string s;
        for (unsigned i = 0; i < list.Count(); ++i)
            s += (i ? "," : "") + std::to_string(list.Item(i)->num);
        return s;
    }
};

TEST_F(ListTest, SortedAddPlacesItems)
{
    struct Case {
        int added;
        unsigned flags;
        unsigned index;
        const char *order;
    } cases[] = {
        {25, 0, 2, "10,20,25,30"},
        {5, 0, 0, "5,10,20,30"},
        {35, 0, 3, "10,20,30,35"},
        {20, 0, 1, "10,20,20,30"},
        {20, LstUnique, (unsigned)-1, "10,20,30"},
        {15, LstUnique, 1, "10,15,20,30"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.added);
        TList<TNumItem> list(1, c.flags, 64);
        Fill(list, {30, 10, 20});
        TNumItem *item = new TNumItem(c.added, "new");
        unsigned index = list.Add(item);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(Order(list), c.order);
        if (index == (unsigned)-1)
            delete item;
        else
            EXPECT_EQ(list.Item(index), item) << "the new item itself, before an equal stored one";
    }

    // Many items in random order come out sorted; a unique list drops the repeats.
    TList<TNumItem> big(1, LstUnique, 64);
    unsigned refused = 0;
    for (int i = 0; i < 500; ++i) {
        TNumItem *item = new TNumItem((i * 7919) % 250);
        if (big.Add(item) == (unsigned)-1) {
            delete item;
            ++refused;
        }
    }
    EXPECT_EQ(big.Count(), 250u);
    EXPECT_EQ(refused, 250u);
    for (unsigned i = 0; i < big.Count(); ++i)
        ASSERT_EQ(big.Item(i)->num, (int)i);
}

TEST_F(ListTest, GrowthKeepsInsertionOrderWithoutSortKey)
{
    TList<TNumItem> list(0, 0, 64);
    EXPECT_EQ(list.Capacity(), 0u);
    for (int i = 0; i < 65; ++i) {
        list.Add(new TNumItem(100 - i));
        if (i == 0) {
            EXPECT_EQ(list.Capacity(), 64u);
        }
    }
    EXPECT_EQ(list.Capacity(), 128u);
    EXPECT_EQ(list.Item(0)->num, 100);
    EXPECT_EQ(list.Item(64)->num, 36);

    EXPECT_FALSE(list.Reserve(65)) << "not above the count";
    EXPECT_FALSE(list.Reserve(128)) << "the capacity already";
    EXPECT_TRUE(list.Reserve(129));
    EXPECT_EQ(list.Capacity(), 192u);

    {
        // An address array reserved while the list is empty is freed with the list (the
        // sanitizer build reports it otherwise).
        TList<TNumItem> reserved(0, 0, 64);
        EXPECT_TRUE(reserved.Reserve(5));
        EXPECT_EQ(reserved.Capacity(), 64u);
    }

    deleted.clear();
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Capacity(), 0u);
    ASSERT_EQ(deleted.size(), 65u);
    EXPECT_EQ(deleted.front(), "36") << "cleared from the last item down";
    EXPECT_EQ(deleted.back(), "100");
}

TEST_F(ListTest, ChecksThrowAndChangeNothing)
{
    TList<TNumItem> list(0, 0, 64);
    Fill(list, {1, 2, 3});
    auto textOf = [](auto raise) -> std::string {
        try {
            raise();
        } catch (EException &e) {
            return e.Text();
        }
        return "nothing thrown";
    };
    std::string addNull = textOf([&] { list.Add(nullptr); });
    std::string item3 = textOf([&] { list.Item(3); });
    TNumItem *extra = new TNumItem(9, "extra");
    std::string insert4 = textOf([&] { list.InsertAt(extra, 4); });
    std::string zeroArray = textOf([] { TArray<int> a(0); });
    // Growth the heap cannot serve names the slots asked for, not bytes.
    std::string growth = textOf([&] { list.Reserve(0xFFFFFFFFu); });
    struct Case {
        std::string text;
        const char *begins;
    } cases[] = {
        {addNull, "[EInvalidArgument(item==NULL)] '"},
        {item3, "[EOutOfRange(idx=3,cnt=3)] '"},
        {insert4, "[EOutOfRange(idx=4,cnt=3)] '"},
        {zeroArray, "[EInvalidArgument(cnt==0)] '"},
        {growth, "[EBadAlloc(sz=4294967295)] '"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.begins);
        EXPECT_EQ(c.text.rfind(c.begins, 0), 0u) << c.text;
        EXPECT_NE(c.text.find("qzgen"), std::string::npos) << c.text;
    }
    EXPECT_EQ(Order(list), "1,2,3");
    EXPECT_EQ(list.Capacity(), 64u);
    EXPECT_EQ(list.InsertAt(extra, 3), 3u) << "at the count appends";
    EXPECT_EQ(Order(list), "1,2,3,9");
}

TEST_F(ListTest, SearchModes)
{
    TList<TNumItem> list(1, 0, 64);
    Fill(list, {10, 20, 30});
    const unsigned none = 999;
    struct Case {
        int probe;
        TFndMode mode;
        unsigned expected;
    } cases[] = {
        {25, FndLt, 1}, {20, FndLe, 1}, {20, FndEq, 1},   {25, FndGe, 2},   {20, FndGt, 2},
        {35, FndLt, 2}, {5, FndGe, 0},  {5, FndLt, none}, {35, FndGt, none}, {25, FndEq, none},
        {10, FndEq, 0}, {30, FndEq, 2}, {10, FndLt, none}, {30, FndGt, none}, {15, FndLe, 0},
        {15, FndGt, 1}, {35, FndLe, 2}, {5, FndGt, 0},    {35, FndGe, none}, {5, FndLe, none},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.probe) + " mode " + std::to_string(c.mode));
        TNumItem probe(c.probe, "probe");
        unsigned index = none;
        bool found = list.Search(&probe, c.mode, &index);
        EXPECT_EQ(found, c.expected != none);
        EXPECT_EQ(found ? index : none, c.expected);
        TNumItem *item = list.Find(&probe, 1, c.mode);
        EXPECT_EQ(item, found ? list.Item(index) : nullptr);
    }

    // One item, and a longer list searched for every stored value.
    TList<TNumItem> one(1, 0, 64);
    Fill(one, {10});
    TNumItem p5(5), p10(10), p15(15);
    unsigned i = none;
    EXPECT_TRUE(one.Search(&p10, FndEq, &i));
    EXPECT_EQ(i, 0u);
    EXPECT_FALSE(one.Search(&p5, FndLe, &i));
    EXPECT_TRUE(one.Search(&p15, FndLe, &i));
    EXPECT_FALSE(one.Search(&p15, FndGe, &i));
    TList<TNumItem> empty(1, 0, 64);
    EXPECT_FALSE(empty.Search(&p10, FndEq, &i));

    TList<TNumItem> many(1, 0, 64);
    for (int n = 0; n < 100; ++n)
        many.Add(new TNumItem(n * 2));
    for (int n = -1; n < 201; ++n) {
        TNumItem probe(n);
        unsigned at = none;
        bool found = many.Search(&probe, FndEq, &at);
        ASSERT_EQ(found, n >= 0 && n % 2 == 0 && n < 200) << n;
        if (found) {
            ASSERT_EQ(many.Item(at)->num, n);
        }
        found = many.Search(&probe, FndGe, &at);
        ASSERT_EQ(found, n < 199) << n;
        if (found) {
            ASSERT_EQ(many.Item(at)->num, n <= 0 ? 0 : (n + 1) / 2 * 2) << n;
        }
    }
}

TEST_F(ListTest, FindWithAnotherKeyScans)
{
    TList<TNumItem> list(1, 0, 64);
    list.Add(new TNumItem(3, "b"));
    list.Add(new TNumItem(1, "d"));
    list.Add(new TNumItem(2, "b"));
    TNumItem b(0, "b"), c(0, "c"), z(0, "z");
    struct Case {
        TNumItem *probe;
        TFndMode mode;
        int expectedNum; // 0: none
    } cases[] = {
        {&b, FndEq, 2}, // the first equal one in list order (sorted by number)
        {&b, FndLt, 0},
        {&c, FndEq, 0},
        {&c, FndGe, 1}, // the smallest greater: "d"
        {&b, FndGe, 2},
        {&z, FndGe, 0},
    };
    for (const Case &cs : cases) {
        SCOPED_TRACE(cs.probe->tag + " mode " + std::to_string(cs.mode));
        TNumItem *found = list.Find(cs.probe, 2, cs.mode);
        EXPECT_EQ(found ? found->num : 0, cs.expectedNum);
    }
}

TEST_F(ListTest, IteratorFollowsItemsAddedAfterTheEnd)
{
    TList<TNumItem> empty(0, 0, 64);
    TListCIter<TNumItem> none(&empty, true);
    EXPECT_TRUE(none.IsDone());
    EXPECT_FALSE(none.IsValid());

    TList<TNumItem> list(0, 0, 64);
    Fill(list, {1, 2});
    TListIter<TNumItem> it(&list, true);
    std::string seen;
    for (; !it.IsDone(); it.Next())
        seen += std::to_string(it.Current()->num);
    EXPECT_EQ(seen, "12");
    list.Add(new TNumItem(3));
    EXPECT_FALSE(it.IsDone());
    it.Next();
    EXPECT_FALSE(it.IsDone());
    EXPECT_EQ(it.Current()->num, 3);
    it.Next();
    EXPECT_TRUE(it.IsDone());

    TListCIter<TNumItem> back(&list, false);
    EXPECT_EQ(back.Current()->num, 3);
    EXPECT_TRUE(back.SetPos(0));
    EXPECT_FALSE(back.SetPos(3));
}

class ChainTest : public ListTest {};

TEST_F(ChainTest, QueueAndStackOwnTheirItems)
{
    {
        TQueue<TNumItem> q;
        for (const char *t : {"a", "b", "c"})
            q.Push(new TNumItem(0, t));
        TNumItem *first = q.PopFront();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->tag, "a");
        EXPECT_EQ(q.Count(), 2u);
        delete first;
        deleted.clear();
        q.Clear();
        EXPECT_EQ(deleted, (std::vector<std::string>{"b", "c"}));
        EXPECT_EQ(q.Count(), 0u);
        EXPECT_EQ(q.Head(), nullptr);
        EXPECT_EQ(q.Tail(), nullptr);
        EXPECT_EQ(q.PopFront(), nullptr);
    }
    {
        deleted.clear();
        TStack<TNumItem> s;
        for (const char *t : {"a", "b", "c"})
            s.Push(new TNumItem(0, t));
        s.Clear();
        EXPECT_EQ(deleted, (std::vector<std::string>{"c", "b", "a"}));
    }
    {
        deleted.clear();
        TQueue<TNumItem> q;
        for (const char *t : {"a", "b", "c", "d"})
            q.Push(new TNumItem(0, t));
        EXPECT_EQ(q.Remove(q.Head()->next), 3u); // b
        TContainerItem<TNumItem> *last = q.Tail();
        EXPECT_EQ(q.Unlink(last), 2u); // d, kept
        EXPECT_EQ(last->next, nullptr);
        EXPECT_EQ(last->prev, nullptr);
        EXPECT_EQ(q.Tail()->item->tag, "c");
        EXPECT_EQ(q.Head()->next, q.Tail());
        EXPECT_EQ(q.Tail()->prev, q.Head());
        delete last->item;
        delete last;
        EXPECT_EQ(deleted, (std::vector<std::string>{"b", "d"}));
    } // the destructor deletes a and c
    EXPECT_EQ(deleted, (std::vector<std::string>{"b", "d", "a", "c"}));
}

TEST_F(ChainTest, QueueIteratorContinuesAfterAppend)
{
    TQueue<TNumItem> q;
    TQueueCIter<TNumItem> it(&q);
    EXPECT_TRUE(it.IsDone());
    EXPECT_EQ(it.Current(), nullptr);

    q.Push(new TNumItem(1));
    q.Push(new TNumItem(2));
    ASSERT_TRUE(it.First());
    std::string seen;
    for (; !it.IsDone(); it.Next())
        seen += std::to_string(it.Current()->num);
    EXPECT_EQ(seen, "12");
    EXPECT_FALSE(it.Next());
    EXPECT_TRUE(it.IsDone());
    q.Push(new TNumItem(3));
    EXPECT_FALSE(it.IsDone());
    EXPECT_TRUE(it.Next());
    EXPECT_EQ(it.Current()->num, 3);
}

TEST(ArrayTest, ElementsAreConstructedAndFreed)
{
    TArray<TStr> strs;
    EXPECT_EQ(strs.Count(), 0u);
    EXPECT_EQ(strs.Items(), nullptr);
    strs.SetSize(3);
    ASSERT_EQ(strs.Count(), 3u);
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_STREQ(strs.Items()[i].CStr(), "");
        EXPECT_EQ(MemSize(strs.Items()[i].CStr()), 32u);
    }
    strs.Items()[1] = "x";
    strs.SetSize(0);
    EXPECT_EQ(strs.Count(), 0u);
    EXPECT_EQ(strs.Items(), nullptr);

    TArray<unsigned long> codes(4);
    EXPECT_EQ(codes.Count(), 4u);
    codes.Items()[3] = 2273;
    codes.SetSize(2);
    EXPECT_EQ(codes.Count(), 2u);

    deleted.clear();
    {
        TArray<TNumItem> items;
        (void)items;
    }
    EXPECT_TRUE(deleted.empty());
}

TEST(GTNumStrTest, UniqueByNumber)
{
    GTNumStrListUniqueNum list;
    EXPECT_EQ(list.Add(new GTNumStr(7, "seven")), 0u);
    EXPECT_EQ(list.Add(new GTNumStr(3, "three")), 0u);
    GTNumStr *again = new GTNumStr(7, "other");
    EXPECT_EQ(list.Add(again), (unsigned)-1);
    delete again;
    GTNumStr probe(7);
    GTNumStr *found = list.Find(&probe, 1, FndEq);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->Str().CStr(), "seven");
    GTNumStr byText(0, "three");
    found = list.Find(&byText, 2, FndEq);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Num(), 3u);
}

} // namespace
