// Mutexes: recursion, ownership, names shared within the process, abandonment at thread end, and
// the wait functions on them.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

namespace {

// Runs f on a thread of its own and returns its result (the thread has ended on return).
DWORD OnOtherThread(const std::function<DWORD()> &f)
{
    DWORD r = 0;
    std::thread t([&] { r = f(); });
    t.join();
    return r;
}

// Holds a mutex on a helper thread until the returned object is destroyed.
class THeldElsewhere {
public:
    explicit THeldElsewhere(HANDLE m)
    {
        std::promise<DWORD> taken;
        auto takenF = taken.get_future();
        t = std::thread([this, m, &taken] {
            taken.set_value(WaitForSingleObject(m, INFINITE));
            release.get_future().wait();
            ReleaseMutex(m);
        });
        result = takenF.get();
    }
    ~THeldElsewhere()
    {
        release.set_value();
        t.join();
    }
    DWORD result;

private:
    std::promise<void> release;
    std::thread t;
};

} // namespace

TEST(PxMutex, RecursiveForItsOwnerAndReleasedOnlyByIt)
{
    HANDLE m = CreateMutexA(nullptr, TRUE, nullptr);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
    // Owned twice: another thread can neither take nor release it.
    EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(m, 0); }), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(OnOtherThread([&] { return ReleaseMutex(m) ? 0u : GetLastError(); }), 288u);
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(OnOtherThread([&] { return WaitForSingleObject(m, 0); }), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(m));
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(m));
    EXPECT_EQ(GetLastError(), 288u);
    EXPECT_TRUE(CloseHandle(m));
}

TEST(PxMutex, NamedMutexIsSharedWithinTheProcess)
{
    HANDLE a = CreateMutexA(nullptr, TRUE, "PxMutexTest_shared");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    // A second creation on another thread opens the same object, which that thread then does
    // not own: the initial-owner flag is ignored for an existing mutex.
    DWORD created = 0, waited = 0;
    OnOtherThread([&] {
        HANDLE h = CreateMutexA(nullptr, TRUE, "PxMutexTest_shared");
        created = h ? GetLastError() : 0;
        waited = WaitForSingleObject(h, 0);
        CloseHandle(h);
        return 0;
    });
    EXPECT_EQ(created, 183u);
    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_TIMEOUT));
    HANDLE c = CreateMutexA(nullptr, FALSE, "PxMutexTest_shared");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(GetLastError(), 183u);
    EXPECT_NE(a, c);
    // Released through one handle, the other handle sees the same object free.
    EXPECT_TRUE(ReleaseMutex(c));
    EXPECT_EQ(OnOtherThread([&] {
                  DWORD r = WaitForSingleObject(a, 0);
                  ReleaseMutex(a);
                  return r;
              }),
              WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(CloseHandle(c));
    // Once every handle is closed the name is free: a new creation makes a new object.
    HANDLE d = CreateMutexA(nullptr, FALSE, "PxMutexTest_shared");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(CloseHandle(d));
}

TEST(PxMutex, EmptyOrNullNamesGiveSeparateObjects)
{
    for (const char *name : {static_cast<const char *>(nullptr), ""}) {
        SCOPED_TRACE(name ? "empty" : "null");
        HANDLE a = CreateMutexA(nullptr, TRUE, name);
        HANDLE b = CreateMutexA(nullptr, FALSE, name);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(GetLastError(), 0u);
        EXPECT_EQ(OnOtherThread([&] {
                      DWORD r = WaitForSingleObject(b, 0);
                      ReleaseMutex(b);
                      return r;
                  }),
                  WAIT_OBJECT_0);
        EXPECT_TRUE(ReleaseMutex(a));
        EXPECT_TRUE(CloseHandle(a));
        EXPECT_TRUE(CloseHandle(b));
    }
}

namespace {
DWORD WINAPI TakeAndEnd(LPVOID m)
{
    WaitForSingleObject(static_cast<HANDLE>(m), INFINITE);
    WaitForSingleObject(static_cast<HANDLE>(m), INFINITE); // owned twice when it ends
    return 0;
}
} // namespace

TEST(PxMutex, AbandonedWhenTheOwnerThreadEnds)
{
    struct Row {
        const char *what;
        std::function<void(HANDLE)> takeAndEnd;
    } rows[] = {
        {"CreateThread",
         [](HANDLE m) {
             HANDLE t = CreateThread(nullptr, 0, TakeAndEnd, m, 0, nullptr);
             ASSERT_NE(t, nullptr);
             EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
             CloseHandle(t);
         }},
        {"std::thread", [](HANDLE m) { std::thread(TakeAndEnd, m).join(); }},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        HANDLE m = CreateMutexA(nullptr, FALSE, nullptr);
        ASSERT_NE(m, nullptr);
        r.takeAndEnd(m);
        // The next waiter gets it, told once that it was abandoned; the recursion count is gone.
        EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_ABANDONED);
        EXPECT_TRUE(ReleaseMutex(m));
        EXPECT_FALSE(ReleaseMutex(m));
        EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
        EXPECT_TRUE(ReleaseMutex(m));
        EXPECT_TRUE(CloseHandle(m));
    }
}

TEST(PxMutex, WaitAnyTakesTheLowestSignalledIndexAndReportsAbandonment)
{
    HANDLE m[3];
    for (HANDLE &h : m)
        h = CreateMutexA(nullptr, FALSE, nullptr);
    THeldElsewhere busy(m[0]);
    ASSERT_EQ(busy.result, WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(3, m, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_TRUE(ReleaseMutex(m[1]));
    std::thread(TakeAndEnd, m[2]).join();
    HANDLE last2[] = {m[0], m[2]};
    EXPECT_EQ(WaitForMultipleObjects(2, last2, FALSE, 0), WAIT_ABANDONED_0 + 1);
    EXPECT_TRUE(ReleaseMutex(m[2]));
    for (HANDLE h : m)
        EXPECT_TRUE(CloseHandle(h));
}

TEST(PxMutex, WaitAllTakesNothingUntilEveryObjectIsSignalled)
{
    HANDLE m[2];
    for (HANDLE &h : m)
        h = CreateMutexA(nullptr, FALSE, nullptr);
    {
        THeldElsewhere busy(m[1]);
        EXPECT_EQ(WaitForMultipleObjects(2, m, TRUE, 20), static_cast<DWORD>(WAIT_TIMEOUT));
        // The free mutex was not taken by the failed wait.
        EXPECT_FALSE(ReleaseMutex(m[0]));
        EXPECT_EQ(GetLastError(), 288u);
    }
    std::thread(TakeAndEnd, m[1]).join();
    EXPECT_EQ(WaitForMultipleObjects(2, m, TRUE, INFINITE), WAIT_ABANDONED_0 + 1);
    EXPECT_TRUE(ReleaseMutex(m[0]));
    EXPECT_TRUE(ReleaseMutex(m[1]));
    for (HANDLE h : m)
        EXPECT_TRUE(CloseHandle(h));
}

TEST(PxMutex, WaitAllWakesWhenTheLastObjectIsReleased)
{
    HANDLE m[2];
    for (HANDLE &h : m)
        h = CreateMutexA(nullptr, FALSE, nullptr);
    std::promise<void> taken, go;
    std::thread t([&] {
        WaitForSingleObject(m[0], INFINITE);
        taken.set_value();
        go.get_future().wait();
        ReleaseMutex(m[0]);
    });
    taken.get_future().wait();
    std::thread releaser([&] { go.set_value(); });
    EXPECT_EQ(WaitForMultipleObjects(2, m, TRUE, INFINITE), WAIT_OBJECT_0);
    releaser.join();
    t.join();
    EXPECT_TRUE(ReleaseMutex(m[0]));
    EXPECT_TRUE(ReleaseMutex(m[1]));
    for (HANDLE h : m)
        EXPECT_TRUE(CloseHandle(h));
}

TEST(PxMutex, BadWaitArgumentsFail)
{
    HANDLE m = CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE f = CreateFileA("/dev/null", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    HANDLE many[65];
    for (HANDLE &h : many)
        h = m;
    HANDLE withFile[] = {m, f};
    HANDLE withBad[] = {m, nullptr};
    struct Row {
        const char *what;
        DWORD count;
        const HANDLE *handles;
        DWORD code;
    } rows[] = {
        {"no handles", 0, many, 87}, {"65 handles", 65, many, 87}, {"a file", 2, withFile, 6},
        {"a null handle", 2, withBad, 6},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        for (BOOL all : {FALSE, TRUE}) {
            SetLastError(0);
            EXPECT_EQ(WaitForMultipleObjects(r.count, r.handles, all, 0), WAIT_FAILED);
            EXPECT_EQ(GetLastError(), r.code);
        }
    }
    // Nothing was taken by the failed waits.
    EXPECT_FALSE(ReleaseMutex(m));
    EXPECT_TRUE(CloseHandle(m));
    EXPECT_TRUE(CloseHandle(f));
}
