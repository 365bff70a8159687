// The process heap of the POSIX layer.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>

namespace {

TEST(PxHeapTest, SizesAreExactAndContentsSurviveResizing)
{
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(GetProcessHeap(), heap);

    for (SIZE_T size : {(SIZE_T)0, (SIZE_T)1, (SIZE_T)32, (SIZE_T)33, (SIZE_T)65536}) {
        SCOPED_TRACE(size);
        void *block = HeapAlloc(heap, HEAP_GENERATE_EXCEPTIONS, size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(HeapSize(heap, 0, block), size);
        EXPECT_TRUE(HeapFree(heap, 0, block));
    }

    unsigned char *zeroed = static_cast<unsigned char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 64));
    ASSERT_NE(zeroed, nullptr);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(zeroed[i], 0) << i;
    std::memcpy(zeroed, "keep", 4);
    unsigned char *grown = static_cast<unsigned char *>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, zeroed, 200));
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(HeapSize(heap, 0, grown), 200u);
    EXPECT_EQ(std::memcmp(grown, "keep", 4), 0);
    for (int i = 64; i < 200; ++i)
        ASSERT_EQ(grown[i], 0) << i;
    void *shrunk = HeapReAlloc(heap, 0, grown, 3);
    EXPECT_EQ(HeapSize(heap, 0, shrunk), 3u);
    EXPECT_EQ(std::memcmp(shrunk, "kee", 3), 0);
    EXPECT_TRUE(HeapFree(heap, 0, shrunk));
}

TEST(PxHeapTest, BadArgumentsFailWithWindowsCodes)
{
    HANDLE heap = GetProcessHeap();
    static int notAHeap;
    alignas(16) static char foreign[64];
    struct Case {
        const char *name;
        std::function<bool()> fails;
        DWORD code;
    } cases[] = {
        {"alloc from another heap", [] { return HeapAlloc(&notAHeap, 0, 8) == nullptr; }, ERROR_INVALID_HANDLE},
        {"realloc of null", [heap] { return HeapReAlloc(heap, 0, nullptr, 8) == nullptr; }, ERROR_INVALID_PARAMETER},
        {"free of a foreign block", [heap] { return !HeapFree(heap, 0, foreign + 32); }, ERROR_INVALID_PARAMETER},
        {"size of null", [heap] { return HeapSize(heap, 0, nullptr) == (SIZE_T)-1; }, ERROR_INVALID_PARAMETER},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        EXPECT_TRUE(c.fails());
        EXPECT_EQ(GetLastError(), c.code);
    }
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
}

TEST(PxHeapTest, ExhaustionThrowsWithExceptionsAndReturnsNullWithout)
{
    HANDLE heap = GetProcessHeap();
    const SIZE_T huge = SIZE_MAX - 8;
    EXPECT_THROW(HeapAlloc(heap, HEAP_GENERATE_EXCEPTIONS, huge), std::bad_alloc);
    SetLastError(0);
    EXPECT_EQ(HeapAlloc(heap, 0, huge), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NOT_ENOUGH_MEMORY);

    void *block = HeapAlloc(heap, 0, 16);
    std::memcpy(block, "still here", 11);
    EXPECT_THROW(HeapReAlloc(heap, HEAP_GENERATE_EXCEPTIONS, block, huge), std::bad_alloc);
    EXPECT_EQ(HeapSize(heap, 0, block), 16u) << "a failed resize leaves the block";
    EXPECT_STREQ(static_cast<char *>(block), "still here");
    HeapFree(heap, 0, block);
}

} // namespace
