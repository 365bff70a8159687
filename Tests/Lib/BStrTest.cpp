// TStr, its buffers and the comparisons.
#include "Lib/Except.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

// The capacity of a string is the size of its block; the heap reports it exactly.
unsigned Capacity(const TStr &s)
{
    return MemSize(s.CStr());
}

TEST(BStrTest, BlockGrowsInStepsOf32AndResetsWhenEmptied)
{
    TStr empty;
    EXPECT_STREQ(empty.CStr(), "");
    EXPECT_EQ(empty.Length(), 0u);
    EXPECT_EQ(Capacity(empty), 32u);

    struct Case {
        unsigned len;
        unsigned cap;
    } cases[] = {{0, 32}, {1, 32}, {31, 32}, {32, 64}, {63, 64}, {64, 96}, {255, 256}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.len);
        std::string text(c.len, 'x');
        TStr s(text.c_str());
        EXPECT_EQ(s.Length(), c.len);
        EXPECT_EQ(Capacity(s), c.cap);
        TStr copy(s);
        EXPECT_EQ(Capacity(copy), c.cap);
        EXPECT_STREQ(copy.CStr(), text.c_str());
    }

    TStr big(std::string(255, 'y').c_str());
    big = "abc";
    EXPECT_EQ(Capacity(big), 256u) << "a request that fits leaves the block alone";
    big = "";
    EXPECT_EQ(Capacity(big), 32u);
    big = std::string(100, 'z').c_str();
    big.Clear();
    EXPECT_EQ(big.Length(), 0u);
    EXPECT_STREQ(big.CStr(), "");
    EXPECT_EQ(Capacity(big), 128u) << "Clear keeps the block";
}

TEST(BStrTest, ConstructionFromTextAndNumbers)
{
    struct Case {
        const char *name;
        TStr value;
        const char *expected;
    } cases[] = {
        {"maxLen cuts", TStr("abcdef", 3), "abc"},
        {"maxLen beyond", TStr("ab", 5), "ab"},
        {"null text", TStr((const char *)nullptr), ""},
        {"hex", TStr(255u, NumHex), "0xff"},
        {"hex zero", TStr(0u, NumHex), "0x0"},
        {"bin", TStr(5u, NumBin), "101"},
        {"bin zero", TStr(0u, NumBin), "0"},
        {"dec max", TStr(4294967295u, NumDec), "4294967295"},
        {"dec zero", TStr(0u, NumDec), "0"},
        {"bad kind", TStr(7u, 3u), ""},
        {"signed -1", TStr(-1, NumDec), "-1"},
        {"signed min", TStr(-2147483647 - 1, NumDec), "-2147483648"},
        {"signed hex", TStr(-1, NumHex), "0xffffffff"},
        {"signed bin", TStr(-2, NumBin), "11111111111111111111111111111110"},
        {"signed bad kind", TStr(-5, 9u), ""},
        {"long", TStr(87ul, NumDec), "87"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.value.CStr(), c.expected);
        EXPECT_EQ(c.value.Length(), std::strlen(c.expected));
    }
}

using Edit = std::function<void(TStr &)>;

TEST(BStrTest, Editing)
{
    struct Case {
        const char *name;
        const char *start;
        Edit edit;
        const char *expected;
    } cases[] = {
        {"erase to end", "abcdef", [](TStr &s) { s.Erase(2, 0); }, "ab"},
        {"erase middle", "abcdef", [](TStr &s) { s.Erase(1, 2); }, "adef"},
        {"erase last", "abcdef", [](TStr &s) { s.Erase(5, 1); }, "abcde"},
        {"cut more than all", "abc", [](TStr &s) { s.CutRight(10); }, ""},
        {"cut one", "abc", [](TStr &s) { s.CutRight(1); }, "ab"},
        {"cut none", "abc", [](TStr &s) { s.CutRight(0); }, "abc"},
        {"trim", " \ta b\t ", [](TStr &s) { s.Trim(); }, "a b"},
        {"trim blanks only", "   ", [](TStr &s) { s.Trim(); }, ""},
        {"trim empty", "", [](TStr &s) { s.Trim(); }, ""},
        {"trim left", "\t x ", [](TStr &s) { s.TrimLeft(); }, "x "},
        {"trim right", " x \t", [](TStr &s) { s.TrimRight(); }, " x"},
        {"unquote", "\"abc\"", [](TStr &s) { s.Unquote(); }, "abc"},
        {"unquote pair", "\"\"", [](TStr &s) { s.Unquote(); }, ""},
        {"unquote lone", "\"", [](TStr &s) { s.Unquote(); }, "\""},
        {"unquote three", "\"a\"b\"", [](TStr &s) { s.Unquote(); }, "\"a\"b\""},
        {"unquote plain", "abc", [](TStr &s) { s.Unquote(); }, "abc"},
        {"unquote open", "\"abc", [](TStr &s) { s.Unquote(); }, "\"abc"},
        {"insert front", "cd", [](TStr &s) { s.Insert("ab", 0); }, "abcd"},
        {"insert end", "ab", [](TStr &s) { s.Insert("cdef", 2, 2); }, "abcd"},
        {"insert n beyond source", "ab", [](TStr &s) { s.Insert("c", 2, 5); }, "abc"},
        {"insert empty", "ab", [](TStr &s) { s.Insert("", 1); }, "ab"},
        {"append", "ab", [](TStr &s) { s.Append("cd"); }, "abcd"},
        {"append null", "ab", [](TStr &s) { s.Append((const char *)nullptr); }, "ab"},
        {"append string", "ab", [](TStr &s) { s.Append(TStr("c")); }, "abc"},
        {"append itself", "ab", [](TStr &s) { s.Append(s); }, "abab"},
        {"append own tail", "abcdefghijklmnopqrstuvwxyz012345",
         [](TStr &s) { s.Append(s.CStr() + 30); }, "abcdefghijklmnopqrstuvwxyz01234545"},
        {"insert own text", "abcdefghijklmnopqrstuvwxyz012345",
         [](TStr &s) { s.Insert(s.CStr(), 1, 2); }, "aabbcdefghijklmnopqrstuvwxyz012345"},
        {"assign own tail", "abcdef", [](TStr &s) { s.Assign(s.CStr() + 2); }, "cdef"},
        {"format own text", "abc", [](TStr &s) { s.Format("<%s>", s.CStr()); }, "<abc>"},
        {"self assign", "abc", [](TStr &s) { s = s; }, "abc"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TStr s(c.start);
        c.edit(s);
        EXPECT_STREQ(s.CStr(), c.expected);
        EXPECT_EQ(s.Length(), std::strlen(c.expected));
    }
}

TEST(BStrTest, EraseOutsideTheTextThrowsAndChangesNothing)
{
    struct Case {
        const char *start;
        unsigned pos, n;
        const char *message;
    } cases[] = {
        {"abcdef", 6, 0, "[EOutOfRange(idx=6,cnt=6)]"},
        {"abcdef", 4, 3, "[EOutOfRange(idx=4,cnt=6)]"},
        {"abcdef", 1, 0xFFFFFFFFu, "[EOutOfRange(idx=1,cnt=6)]"},
        {"", 0, 0, "[EOutOfRange(idx=0,cnt=0)]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.start) + " " + std::to_string(c.pos) + "," + std::to_string(c.n));
        TStr s(c.start);
        try {
            s.Erase(c.pos, c.n);
            ADD_FAILURE() << "no exception";
        } catch (EOutOfRange &e) {
            EXPECT_EQ(std::string(e.Text()).rfind(c.message, 0), 0u) << e.Text();
            EXPECT_NE(std::string(e.Text()).find("BStr"), std::string::npos) << e.Text();
        }
        EXPECT_STREQ(s.CStr(), c.start);
    }
    TStr s("ab");
    EXPECT_THROW(s.Insert("x", 3), EOutOfRange);
    EXPECT_STREQ(s.CStr(), "ab");
}

TEST(BStrTest, FindAndReplace)
{
    TStr abc("abc");
    struct FindCase {
        const char *pattern;
        unsigned start, flags, expected;
    } finds[] = {
        {"B", 0, CmpNoCase, 1}, {"B", 0, 0, (unsigned)-1}, {"abcd", 0, 0, (unsigned)-1},
        {"c", 3, 0, (unsigned)-1}, {"c", 2, 0, 2},        {"bc", 0, 0, 1},
        {"", 3, 0, 3},          {"", 4, 0, (unsigned)-1}, {"ABC", 0, CmpNoCase, 0},
        {"a", 1, 0, (unsigned)-1},
    };
    for (const FindCase &f : finds) {
        SCOPED_TRACE(std::string(f.pattern) + " from " + std::to_string(f.start));
        EXPECT_EQ(abc.Find(f.pattern, f.start, f.flags), f.expected);
    }

    struct ReplCase {
        const char *start, *what, *with;
        unsigned from, flags, count;
        const char *expected;
    } repls[] = {
        {"abab", "ab", "x", 0, ReplAll, 2, "xx"},
        {"abab", "ab", "x", 0, 0, 1, "xab"},
        {"abab", "zz", "x", 0, ReplAll, 0, "abab"},
        {"abab", "ab", "x", 1, ReplAll, 1, "abx"},
        {"aaa", "a", "aa", 0, ReplAll, 3, "aaaaaa"},
        {"AbaB", "ab", "-", 0, ReplAll | CmpNoCase, 2, "--"},
        {"abc", "b", "", 0, 0, 1, "ac"},
        {"abc", "", "x", 0, ReplAll, 0, "abc"},
    };
    for (const ReplCase &r : repls) {
        SCOPED_TRACE(std::string(r.start) + ": " + r.what + " -> " + r.with);
        TStr s(r.start);
        EXPECT_EQ(s.Replace(r.what, r.with, r.from, r.flags), r.count);
        EXPECT_STREQ(s.CStr(), r.expected);
        EXPECT_EQ(s.Length(), std::strlen(r.expected));
    }
}

TEST(BStrTest, FormatThatFailsOutrightEndsEmpty)
{
    // A lone surrogate cannot be converted to multibyte text: the formatter fails whatever room
    // it has (natively; a formatter that converts it anyway must give a consistent string).
    const wchar_t bad[] = {static_cast<wchar_t>(0xD800), 0};
    char direct[64];
    int n = std::snprintf(direct, sizeof direct, "x%lsy", bad);
    TStr s("before");
    s.Format("x%lsy", bad);
    EXPECT_STREQ(n < 0 ? "" : direct, s.CStr());
    EXPECT_EQ(std::strlen(s.CStr()), s.Length());
}

TEST(BStrTest, FormatGrowsUntilTheTextFits)
{
    std::string hundred(100, 'q');
    TStr s;
    EXPECT_STREQ(s.Format("%s", hundred.c_str()), hundred.c_str());
    EXPECT_EQ(s.Length(), 100u);
    EXPECT_EQ(Capacity(s), 160u) << "32, then 96, then 160: each retry adds 64 bytes";

    s.Format("%u-%s-%#010llx", 87u, "x", 0x1234ull);
    EXPECT_STREQ(s.CStr(), "87-x-0x00001234");
    EXPECT_EQ(Capacity(s), 160u) << "a text that fits keeps the block";

    TStr joined = TStr("Disk") + " " + "full";
    EXPECT_STREQ(joined.CStr(), "Disk full");
}

TEST(BStrTest, Comparisons)
{
    struct Case {
        const char *a, *b;
        unsigned flags;
        int expected;
    } cases[] = {
        {"abc", "ab", CmpPrefix, 0},
        {"ab", "abc", CmpPrefix, -1},
        {"/DOMAIN:x", "/domain:", CmpPrefix | CmpNoCase, 0},
        {"/DOMAIN:x", "/domain:", CmpPrefix, -1},
        {"\xE0", "a", CmpPrefix, 1},
        {"abc", "ABC", CmpNoCase, 0},
        {"abc", "abc", 0, 0},
        {"abc", "abd", 0, -1},
        {"abd", "abc", CmpNoCase, 1},
        {"b", "a", 0, 1},
        {"abc", "", CmpPrefix, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b + " flags " + std::to_string(c.flags));
        EXPECT_EQ(TStr(c.a).Compare(c.b, c.flags).Value(), c.expected);
        EXPECT_EQ(TStr(c.a).Compare(TStr(c.b), c.flags).Value(), c.expected);
        EXPECT_EQ(Compare(c.a, c.b, c.flags).Value(), c.expected);
    }
    EXPECT_NE(TStr("abc").Compare("ABC", 0), 0);

    EXPECT_EQ(Compare(nullptr, "", 0).Value(), 0);
    EXPECT_EQ(Compare(nullptr, nullptr, 0).Value(), 0);
    EXPECT_EQ(Compare(nullptr, "a", 0).Value(), -1);
    EXPECT_EQ(Compare("a", nullptr, 0).Value(), 1);
    EXPECT_EQ(Compare("", nullptr, 0).Value(), 0);

    EXPECT_EQ(CmpNum(4294967295u, 1).Value(), 1);
    EXPECT_EQ(CmpNum(1, 4294967295u).Value(), -1);
    EXPECT_EQ(CmpNum(5, 5).Value(), 0);

    EXPECT_EQ(CmpChar('a', 'A', CmpNoCase).Value(), 0);
    EXPECT_NE(CmpChar('a', 'A', 0).Value(), 0);
    EXPECT_NE(CmpChar('\x01', '\x02', CmpNoCase).Value(), 0);
    EXPECT_EQ(CmpChar('-', '-', 0).Value(), 0);

    struct SignCase {
        int in, out;
    } signs[] = {{-5, -1}, {7, 1}, {0, 0}, {-2147483647 - 1, -1}, {2147483647, 1}};
    for (const SignCase &s : signs)
        EXPECT_EQ(TCmpRes(s.in).Value(), s.out) << s.in;
    EXPECT_EQ(TCmpRes().Value(), 0);
}

TEST(BStrTest, PlainTextHelpers)
{
    char dst[16];
    struct CopyCase {
        const char *src;
        unsigned start, count, result;
        const char *copied;
    } copies[] = {
        {"abcdef", 2, 0, 4, "cdef"}, {"abcdef", 4, 10, 2, "ef"}, {"abcdef", 0, 3, 3, "abc"},
        {"abcdef", 6, 0, 0, ""},
    };
    for (const CopyCase &c : copies) {
        SCOPED_TRACE(std::to_string(c.start) + "," + std::to_string(c.count));
        std::memset(dst, '#', sizeof dst);
        EXPECT_EQ(CopySubStr(dst, c.src, c.start, c.count), c.result);
        EXPECT_STREQ(dst, c.copied);
    }
    EXPECT_EQ(CopySubStr(dst, "abc", 4, 0), (unsigned)-1);
    EXPECT_EQ(CopySubStr(dst, nullptr, 0, 0), (unsigned)-1);

    struct FindCase {
        const char *text, *what;
        unsigned start, expected;
    } finds[] = {
        {"aab", "ab", 0, 1},       {"abc", "x", 0, (unsigned)-1}, {"abc", "c", 3, (unsigned)-1},
        {"a\\b\\c", "\\", 2, 3},   {"abc", "bcd", 0, (unsigned)-1}, {"abc", "c", 9, (unsigned)-1},
    };
    for (const FindCase &f : finds) {
        SCOPED_TRACE(std::string(f.what) + " in " + f.text);
        EXPECT_EQ(FindSubStr(f.text, f.what, f.start), f.expected);
    }

    EXPECT_EQ(StrDup(nullptr), nullptr);
    char *dup = StrDup("text");
    EXPECT_STREQ(dup, "text");
    EXPECT_EQ(MemSize(dup), 5u);
    EXPECT_EQ(MemFree(dup), 0u);
}

TEST(BStrTest, Buffers)
{
    TCharBuf none;
    EXPECT_EQ(none.Data(), nullptr);
    EXPECT_EQ(none.Size(), 0u);
    TCharBuf noneCopy(none);
    EXPECT_EQ(noneCopy.Data(), nullptr);

    TCharBuf b(10);
    EXPECT_EQ(b.Size(), 10u);
    std::memcpy(b.Data(), "0123456789", 10);
    TCharBuf c(b);
    EXPECT_EQ(c.Size(), 10u);
    EXPECT_NE(c.Data(), b.Data());
    EXPECT_EQ(std::memcmp(c.Data(), "0123456789", 10), 0);
    b.ReAlloc(40);
    EXPECT_EQ(b.Size(), 40u);
    EXPECT_EQ(std::memcmp(b.Data(), "0123456789", 10), 0);
    b.Alloc(3);
    EXPECT_EQ(b.Size(), 3u);
    b.Free();
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(b.Size(), 0u);
}

} // namespace
