// Thread message queues and thread timers of the POSIX layer.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
// A thread that reports its id, then (once released) creates its queue and hands back every
// message it gets until WM_QUIT.
class TMsgThread
{
public:
    TMsgThread()
        : thrd([this] {
              {
                  std::unique_lock<std::mutex> g(m);
                  id = GetCurrentThreadId();
                  cv.notify_all();
                  cv.wait(g, [this] { return go; });
              }
              MSG msg;
              PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
              {
                  std::lock_guard<std::mutex> g(m);
                  ready = true;
              }
              cv.notify_all();
              while (GetMessageA(&msg, NULL, 0, 0) > 0) {
                  std::lock_guard<std::mutex> g(m);
                  got.push_back(msg);
              }
          })
    {
        std::unique_lock<std::mutex> g(m);
        cv.wait(g, [this] { return id != 0; });
    }
    ~TMsgThread()
    {
        if (thrd.joinable()) {
            Go();
            PostThreadMessageA(id, WM_QUIT, 0, 0);
            thrd.join();
        }
    }
    void Go()
    {
        std::unique_lock<std::mutex> g(m);
        go = true;
        cv.notify_all();
        cv.wait(g, [this] { return ready; });
    }
    void Join() { thrd.join(); }

    std::mutex m;
    std::condition_variable cv;
    bool go = false, ready = false;
    DWORD id = 0;
    std::vector<MSG> got;
    std::thread thrd;
};

TEST(PxMsg, PostNeedsQueueOfLivingThread)
{
    TMsgThread t;
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageA(t.id, WM_USER, 1, 2)) << "no queue before the first message call";
    EXPECT_EQ((DWORD)ERROR_INVALID_THREAD_ID, GetLastError());

    t.Go();
    struct { UINT msg; WPARAM wp; LPARAM lp; } posts[] = {
        {WM_USER, 1, 2}, {WM_APP + 1, 2, -5}, {WM_TIMER, 77, 0}, {WM_USER + 9, 0, 1 << 20},
    };
    for (auto &p : posts)
        ASSERT_TRUE(PostThreadMessageA(t.id, p.msg, p.wp, p.lp));
    ASSERT_TRUE(PostThreadMessageA(t.id, WM_QUIT, 0, 0));
    t.Join();

    ASSERT_EQ(sizeof posts / sizeof posts[0], t.got.size()) << "WM_QUIT ends the loop and is not counted";
    for (size_t i = 0; i < t.got.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(posts[i].msg, t.got[i].message);
        EXPECT_EQ(posts[i].wp, t.got[i].wParam);
        EXPECT_EQ(posts[i].lp, t.got[i].lParam);
        EXPECT_EQ(NULL, t.got[i].hwnd);
    }
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageA(t.id, WM_USER, 0, 0)) << "the queue goes with its thread";
    EXPECT_EQ((DWORD)ERROR_INVALID_THREAD_ID, GetLastError());
}

TEST(PxMsg, BadArgumentsAndFilters)
{
    MSG msg;
    EXPECT_EQ(-1, GetMessageA(NULL, NULL, 0, 0));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(-1, GetMessageA(&msg, (HWND)&msg, 0, 0));
    EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    EXPECT_EQ(0u, SetTimer((HWND)&msg, 0, 10, NULL));
    EXPECT_FALSE(KillTimer(NULL, 0xDEAD));

    // The own queue exists now; a filtered read skips messages outside the range, which stay.
    DWORD self = GetCurrentThreadId();
    ASSERT_TRUE(PostThreadMessageA(self, WM_USER, 1, 0));
    ASSERT_TRUE(PostThreadMessageA(self, WM_APP, 2, 0));
    ASSERT_TRUE(PostThreadMessageA(self, WM_QUIT, 3, 0));
    EXPECT_FALSE(PeekMessageA(&msg, NULL, WM_TIMER, WM_TIMER, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_APP, WM_APP, PM_NOREMOVE));
    EXPECT_EQ(2u, msg.wParam);
    ASSERT_EQ(1, GetMessageA(&msg, NULL, WM_APP, WM_APP));
    EXPECT_EQ(2u, msg.wParam);
    ASSERT_EQ(1, GetMessageA(&msg, NULL, 0, 0));
    EXPECT_EQ(WM_USER, msg.message);
    EXPECT_EQ(0, GetMessageA(&msg, NULL, 0, 0)) << "WM_QUIT";
    EXPECT_EQ(3u, msg.wParam);
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
}

TEST(PxMsg, QueueQuota)
{
    DWORD self = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
    unsigned posted = 0;
    while (posted < 20000 && PostThreadMessageA(self, WM_USER, posted, 0))
        posted++;
    EXPECT_EQ(10000u, posted);
    EXPECT_EQ((DWORD)ERROR_NOT_ENOUGH_QUOTA, GetLastError());
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        ;
    EXPECT_TRUE(PostThreadMessageA(self, WM_USER, 0, 0)) << "room again once read";
    PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
}

TEST(PxMsg, TimersComeAfterPostedMessagesAndStopWhenKilled)
{
    UINT_PTR a = SetTimer(NULL, 0, 10, NULL);
    UINT_PTR b = SetTimer(NULL, 0, 0, NULL); // clamped to the minimum period
    ASSERT_NE(0u, a);
    ASSERT_NE(0u, b);
    ASSERT_NE(a, b);
    EXPECT_EQ(a, SetTimer(NULL, a, 10, NULL)) << "an existing id is reset, not duplicated";

    // Both timers fire; each WM_TIMER names its timer.
    MSG msg;
    bool seenA = false, seenB = false;
    while (!(seenA && seenB)) {
        ASSERT_EQ(1, GetMessageA(&msg, NULL, 0, 0));
        ASSERT_EQ(WM_TIMER, msg.message);
        ASSERT_TRUE(msg.wParam == a || msg.wParam == b);
        (msg.wParam == a ? seenA : seenB) = true;
    }

    // A posted message is served before a timer that is due.
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 5, 0));
    ASSERT_EQ(1, GetMessageA(&msg, NULL, 0, 0));
    EXPECT_EQ(WM_USER, msg.message);

    // After KillTimer, a is never delivered again while b keeps firing.
    ASSERT_TRUE(KillTimer(NULL, a));
    EXPECT_FALSE(KillTimer(NULL, a));
    for (int fired = 0; fired < 3; fired++) {
        ASSERT_EQ(1, GetMessageA(&msg, NULL, 0, 0));
        ASSERT_EQ(WM_TIMER, msg.message);
        EXPECT_EQ(b, msg.wParam);
    }
    EXPECT_TRUE(KillTimer(NULL, b));
}

TEST(PxMsg, TimersBelongToTheirThread)
{
    UINT_PTR mine = SetTimer(NULL, 0, 10, NULL);
    ASSERT_NE(0u, mine);
    std::atomic<int> otherKill{-1};
    std::thread([&] { otherKill = KillTimer(NULL, mine); }).join();
    EXPECT_EQ(FALSE, otherKill.load());
    EXPECT_TRUE(KillTimer(NULL, mine));
}
} // namespace
