// The last-error code is per thread, and errno values map to the Windows codes callers test.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

TEST(PxError, LastErrorIsPerThread)
{
    SetLastError(87);
    DWORD other = 1;
    std::thread t([&] { other = GetLastError(); SetLastError(5); });
    t.join();
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(GetLastError(), 87u);
}

TEST(PxError, ErrnoMapping)
{
    struct Row { int err; DWORD code; } rows[] = {
        {0, 0}, {ENOENT, 2}, {ENOTDIR, 3}, {EACCES, 5}, {EBADF, 6}, {EINVAL, 87},
        {EEXIST, 80}, {ETIMEDOUT, 121}, {ECONNREFUSED, 1225}, {ENETUNREACH, 1231},
        {EHOSTUNREACH, 1232}, {ECONNRESET, 64},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.err);
        EXPECT_EQ(PxErrnoToWin(r.err), r.code);
    }
}
