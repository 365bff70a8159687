// The handle table: unknown and closed handles are recognised and never reused.
#include "qzplat.h"

#include <gtest/gtest.h>

TEST(PxHandle, UnknownHandlesFailWithInvalidHandle)
{
    HANDLE closed = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(closed, nullptr);
    ASSERT_TRUE(CloseHandle(closed));
    struct Row {
        const char *what;
        HANDLE h;
    } rows[] = {
        {"null", nullptr},
        {"all bits set", INVALID_HANDLE_VALUE},
        {"never handed out", reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x7ffffff0))},
        {"closed", closed},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        DWORD flags = 99;
        SetLastError(0);
        EXPECT_FALSE(GetHandleInformation(r.h, &flags));
        EXPECT_EQ(GetLastError(), 6u);
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(r.h));
        EXPECT_EQ(GetLastError(), 6u);
    }
}

TEST(PxHandle, LiveHandleIsKnownUntilClosedAndItsValueIsNotReused)
{
    HANDLE a = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(a, nullptr);
    DWORD flags = 99;
    EXPECT_TRUE(GetHandleInformation(a, &flags));
    EXPECT_EQ(flags, 0u);
    EXPECT_TRUE(CloseHandle(a));
    HANDLE b = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_FALSE(GetHandleInformation(a, nullptr));
    EXPECT_TRUE(GetHandleInformation(b, nullptr));
    EXPECT_TRUE(CloseHandle(b));
}

TEST(PxHandle, ObjectsOfTheWrongKindAreRefused)
{
    HANDLE m = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(m, nullptr);
    DWORD code = 0;
    SetLastError(0);
    EXPECT_FALSE(GetExitCodeThread(m, &code));
    EXPECT_EQ(GetLastError(), 6u);
    EXPECT_EQ(ResumeThread(m), static_cast<DWORD>(-1));
    char c;
    DWORD n;
    SetLastError(0);
    EXPECT_FALSE(ReadFile(m, &c, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), 6u);
    EXPECT_TRUE(CloseHandle(m));
}
