// Thread message queues and thread timers of the POSIX layer.
#include "qzplat.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {
typedef std::chrono::steady_clock TClock;

const size_t QueueQuota = 10000;

struct TPxTimer
{
    UINT_PTR id;
    UINT period;
    TClock::time_point due;
};

struct TPxQueue
{
    std::mutex mtx;
    std::condition_variable cv;
    std::deque<MSG> posted;
    std::vector<TPxTimer> timers;  // touched only by the owner thread, under mtx
};

// The queues of living threads by thread id. Never destroyed, so a thread that ends during
// process exit can still unregister its queue.
struct TPxQueues
{
    std::mutex mtx;
    std::unordered_map<DWORD, std::shared_ptr<TPxQueue>> byId;
};

TPxQueues &Queues()
{
    static TPxQueues *q = new TPxQueues;
    return *q;
}

// The calling thread's queue, created on first use and removed from the registry when the
// thread ends. A post racing with the end of the thread keeps the queue alive through its
// shared pointer and lands in a queue nobody reads, which is harmless.
struct TPxOwnQueue
{
    std::shared_ptr<TPxQueue> q;
    DWORD id = 0;
    ~TPxOwnQueue()
    {
        if (!q)
            return;
        TPxQueues &all = Queues();
        std::lock_guard<std::mutex> g(all.mtx);
        auto it = all.byId.find(id);
        if (it != all.byId.end() && it->second == q)
            all.byId.erase(it);
    }
};
thread_local TPxOwnQueue ownQueue;

TPxQueue &OwnQueue()
{
    if (!ownQueue.q) {
        ownQueue.q = std::make_shared<TPxQueue>();
        ownQueue.id = GetCurrentThreadId();
        TPxQueues &all = Queues();
        std::lock_guard<std::mutex> g(all.mtx);
        all.byId[ownQueue.id] = ownQueue.q;
    }
    return *ownQueue.q;
}

bool InRange(UINT m, UINT lo, UINT hi)
{
    return (lo == 0 && hi == 0) || (m >= lo && m <= hi);
}

UINT_PTR NewTimerId()
{
    static std::mutex m;
    static UINT_PTR next = 0;
    std::lock_guard<std::mutex> g(m);
    if (++next == 0)
        ++next;
    return next;
}

// Takes (or, without remove, copies) the first message in range: posted messages first, then
// a due timer. The caller holds q.mtx. Returns false when nothing is available; then *wake is
// the time of the earliest timer due in range, or TClock::time_point::max().
bool Take(TPxQueue &q, UINT lo, UINT hi, bool remove, MSG *out, TClock::time_point *wake)
{
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (!InRange(it->message, lo, hi))
            continue;
        *out = *it;
        if (remove)
            q.posted.erase(it);
        return true;
    }
    *wake = TClock::time_point::max();
    if (!InRange(WM_TIMER, lo, hi))
        return false;
    TClock::time_point now = TClock::now();
    TPxTimer *first = nullptr;
    for (TPxTimer &t : q.timers)
        if (!first || t.due < first->due)
            first = &t;
    if (!first)
        return false;
    if (first->due > now) {
        *wake = first->due;
        return false;
    }
    *out = MSG{NULL, WM_TIMER, (WPARAM)first->id, 0, GetTickCount()};
    if (remove)
        first->due = now + std::chrono::milliseconds(first->period);
    return true;
}
} // namespace

BOOL PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<TPxQueue> q;
    {
        TPxQueues &all = Queues();
        std::lock_guard<std::mutex> g(all.mtx);
        auto it = all.byId.find(threadId);
        if (it != all.byId.end())
            q = it->second;
    }
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> g(q->mtx);
        if (q->posted.size() >= QueueQuota) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return FALSE;
        }
        q->posted.push_back(MSG{NULL, msg, wParam, lParam, GetTickCount()});
    }
    q->cv.notify_one();
    return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    TPxQueue &q = OwnQueue();
    std::unique_lock<std::mutex> g(q.mtx);
    for (;;) {
        TClock::time_point wake;
        if (Take(q, filterMin, filterMax, true, msg, &wake))
            return msg->message == WM_QUIT ? 0 : 1;
        if (wake == TClock::time_point::max())
            q.cv.wait(g);
        else
            q.cv.wait_until(g, wake);
    }
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hwnd) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    TPxQueue &q = OwnQueue();
    std::lock_guard<std::mutex> g(q.mtx);
    TClock::time_point wake;
    return Take(q, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, msg, &wake) ? TRUE : FALSE;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc)
{
    if (hwnd || proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (ms < USER_TIMER_MINIMUM)
        ms = USER_TIMER_MINIMUM;
    if (ms > USER_TIMER_MAXIMUM)
        ms = USER_TIMER_MAXIMUM;
    TPxQueue &q = OwnQueue();
    std::lock_guard<std::mutex> g(q.mtx);
    TClock::time_point due = TClock::now() + std::chrono::milliseconds(ms);
    if (id != 0)
        for (TPxTimer &t : q.timers)
            if (t.id == id) {
                t.period = ms;
                t.due = due;
                return id;
            }
    TPxTimer t{NewTimerId(), ms, due};
    q.timers.push_back(t);
    return t.id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    if (hwnd) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    TPxQueue &q = OwnQueue();
    std::lock_guard<std::mutex> g(q.mtx);
    for (auto it = q.timers.begin(); it != q.timers.end(); ++it)
        if (it->id == id) {
            q.timers.erase(it);
            return TRUE;
        }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
