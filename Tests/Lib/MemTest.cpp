// Process-heap allocation and the exception texts.
#include "Lib/Except.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(MemTest, BlocksReportTheSizeAskedForAndKeepContentsWhenResized)
{
    for (unsigned size : {0u, 1u, 31u, 32u, 33u, 4096u}) {
        SCOPED_TRACE(size);
        void *block = MemAlloc(size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(MemSize(block), size);
        EXPECT_EQ(MemFree(block), 0u);
    }

    char *fresh = static_cast<char *>(MemReAlloc(nullptr, 16));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(MemSize(fresh), 16u);
    std::memcpy(fresh, "0123456789abcdef", 16);
    char *grown = static_cast<char *>(MemReAlloc(fresh, 100000));
    EXPECT_EQ(MemSize(grown), 100000u);
    EXPECT_EQ(std::memcmp(grown, "0123456789abcdef", 16), 0);
    char *shrunk = static_cast<char *>(MemReAlloc(grown, 4));
    EXPECT_EQ(MemSize(shrunk), 4u);
    EXPECT_EQ(std::memcmp(shrunk, "0123", 4), 0);
    EXPECT_EQ(MemFree(shrunk), 0u);
    EXPECT_EQ(MemFree(nullptr), 0u);
}

// Objects derived from the root class, and arrays of them, come from the process heap: the
// heap reports for the block exactly the size that the class-level new asked for.
struct TProbe : TQzBsMem {
    static int alive;
    char pad[40];
    TProbe() { ++alive; }
    ~TProbe() override { --alive; }
};
int TProbe::alive = 0;

TEST(MemTest, ObjectsAndArraysLiveOnTheProcessHeap)
{
    TProbe *one = new TProbe;
    EXPECT_EQ(MemSize(one), (unsigned)sizeof(TProbe));
    delete one;

    TStr *strs = new TStr[3];
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(strs[i].CStr(), "");
        EXPECT_EQ(strs[i].Length(), 0u);
    }
    strs[2] = "third";
    delete[] strs;

    TProbe *many = new TProbe[4];
    EXPECT_EQ(TProbe::alive, 4);
    delete[] many;
    EXPECT_EQ(TProbe::alive, 0);
}

template <typename F>
std::string TextOf(F raise)
{
    try {
        raise();
    } catch (EException &e) {
        return e.Text();
    }
    ADD_FAILURE() << "nothing thrown";
    return std::string();
}

TEST(ExceptTest, TextNamesMessageFileAndLine)
{
    struct Case {
        const char *name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"EOutOfRange", TextOf([] { throw EOutOfRange("Src/Lib/BStr", 123, 7, 3); }),
         "[EOutOfRange(idx=7,cnt=3)] 'Src/Lib/BStr' line 123 "},
        {"EOutOfRange of -1", TextOf([] { throw EOutOfRange("f", 1, (unsigned)-1, 0); }),
         "[EOutOfRange(idx=4294967295,cnt=0)] 'f' line 1 "},
        {"EBadAlloc", TextOf([] { throw EBadAlloc("Inc/qzgen.h", 9, 65); }), "[EBadAlloc(sz=65)] 'Inc/qzgen.h' line 9 "},
        {"EInvalidArgument", TextOf([] { throw EInvalidArgument("x.cpp", 42, "cnt==0"); }),
         "[EInvalidArgument(cnt==0)] 'x.cpp' line 42 "},
        {"base", TextOf([] { throw EException("a", 0, "msg"); }), "[msg] 'a' line 0 "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text, c.expected);
    }
}

TEST(ExceptTest, LongTextsAreCompleteAndCopiesKeepThem)
{
    std::string message(700, 'm');
    std::string path(300, 'p');
    std::string expected = "[" + message + "] '" + path + "' line 4294967295 ";
    EException original(path.c_str(), 4294967295u, message.c_str());
    EXPECT_EQ(std::string(original.Text()), expected);
    EException copy(original);
    EXPECT_EQ(std::string(copy.Text()), expected);
    EXPECT_NE(copy.Text(), original.Text());
}

TEST(ExceptTest, ThrowMacrosNameTheirOwnSite)
{
    unsigned line = 0;
    std::string text = TextOf([&line] {
        int cnt = 0;
        line = __LINE__ + 1;
        QZ_THROW_INVALID_ARG_IF(cnt==0);
    });
    std::string tail = "' line " + std::to_string(line) + " ";
    EXPECT_EQ(text.rfind("[EInvalidArgument(cnt==0)] '", 0), 0u) << text;
    EXPECT_NE(text.find("MemTest.cpp"), std::string::npos) << text;
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    EXPECT_THROW(QZ_THROW_OUT_OF_RANGE(1u, 0u), EOutOfRange);
    EXPECT_THROW(QZ_THROW_BAD_ALLOC(5u), EBadAlloc);
    EXPECT_NO_THROW(QZ_THROW_INVALID_ARG_IF(1==2));
}

} // namespace
