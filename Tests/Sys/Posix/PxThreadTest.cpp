// Threads: exit codes, suspension, ids, and waiting on threads.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <future>

namespace {

struct TJob {
    std::promise<void> go;
    std::shared_future<void> goF = go.get_future().share();
    std::atomic<bool> ran{false};
    DWORD seenId = 0;
    DWORD result = 0;
};

DWORD WINAPI Job(LPVOID p)
{
    TJob *j = static_cast<TJob *>(p);
    j->seenId = GetCurrentThreadId();
    j->ran = true;
    j->goF.wait();
    return j->result;
}

} // namespace

TEST(PxThread, ExitCodeIsStillActiveUntilTheRoutineReturns)
{
    const DWORD results[] = {0, 1359, 0xFFFFFFFEu};
    for (DWORD want : results) {
        SCOPED_TRACE(want);
        TJob j;
        j.result = want;
        DWORD id = 0;
        HANDLE t = CreateThread(nullptr, 0, Job, &j, 0, &id);
        ASSERT_NE(t, nullptr);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(t, &code));
        EXPECT_EQ(code, STILL_ACTIVE);
        EXPECT_EQ(WaitForSingleObject(t, 0), static_cast<DWORD>(WAIT_TIMEOUT));
        j.go.set_value();
        EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0); // stays signalled
        EXPECT_TRUE(GetExitCodeThread(t, &code));
        EXPECT_EQ(code, want);
        EXPECT_EQ(j.seenId, id);
        EXPECT_TRUE(CloseHandle(t));
    }
}

TEST(PxThread, SuspendedThreadRunsOnlyWhenResumed)
{
    TJob j;
    j.go.set_value();
    j.result = 7;
    HANDLE t = CreateThread(nullptr, 0, Job, &j, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(WaitForSingleObject(t, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(j.ran);
    EXPECT_EQ(ResumeThread(t), 1u);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(j.ran);
    EXPECT_EQ(ResumeThread(t), 0u);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(t));
}

TEST(PxThread, IdsAreDistinctAndStable)
{
    DWORD me = GetCurrentThreadId();
    EXPECT_NE(me, 0u);
    EXPECT_EQ(GetCurrentThreadId(), me);
    TJob a, b;
    a.go.set_value();
    b.go.set_value();
    DWORD ida = 0, idb = 0;
    HANDLE t[] = {CreateThread(nullptr, 0, Job, &a, 0, &ida), CreateThread(nullptr, 0, Job, &b, 0, &idb)};
    ASSERT_NE(t[0], nullptr);
    ASSERT_NE(t[1], nullptr);
    EXPECT_EQ(WaitForMultipleObjects(2, t, TRUE, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(a.seenId, ida);
    EXPECT_EQ(b.seenId, idb);
    EXPECT_NE(ida, idb);
    EXPECT_NE(ida, me);
    EXPECT_NE(idb, me);
    for (HANDLE h : t)
        EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}

TEST(PxThread, WaitAnyReturnsTheThreadThatEnded)
{
    TJob slow, quick;
    quick.go.set_value();
    HANDLE t[] = {CreateThread(nullptr, 0, Job, &slow, 0, nullptr), CreateThread(nullptr, 0, Job, &quick, 0, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(2, t, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, t, TRUE, 10), static_cast<DWORD>(WAIT_TIMEOUT));
    slow.go.set_value();
    EXPECT_EQ(WaitForMultipleObjects(2, t, TRUE, INFINITE), WAIT_OBJECT_0);
    for (HANDLE h : t)
        EXPECT_TRUE(CloseHandle(h));
}

TEST(PxThread, BadArgumentsAreRefused)
{
    TJob j;
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, &j, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), 87u);
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, Job, &j, 0x10000, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), 87u);
    EXPECT_FALSE(j.ran);
}
