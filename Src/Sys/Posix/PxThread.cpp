// Threads: creation (also suspended), resumption, exit codes, ids; process identity; Sleep.
#include "PxObj.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

namespace {

thread_local DWORD threadId = 0;
std::atomic<DWORD> lastThreadId{0x100};

// Runs on the new thread: waits while suspended, runs the routine, then (under the lock, in one
// step) abandons the mutexes the thread still owns and marks it ended, so that a waiter on the
// thread sees both at once.
void ThreadMain(std::shared_ptr<PxThread> t)
{
    PxSetThreadId(t->id);
    PxKrnl &k = PxK();
    {
        std::unique_lock<std::mutex> g(k.lock);
        k.changed.wait(g, [&] { return t->suspend == 0; });
    }
    DWORD rc = t->fn(t->param);
    std::lock_guard<std::mutex> g(k.lock);
    PxAbandonHeldLocked(k, t->id);
    t->exitCode = rc;
    t->ended = true;
    k.changed.notify_all();
}

} // namespace

DWORD PxNewThreadId()
{
    DWORD id;
    do
        id = lastThreadId.fetch_add(4) + 4;
    while (id == 0);
    return id;
}

void PxSetThreadId(DWORD id)
{
    threadId = id;
}

DWORD GetCurrentThreadId()
{
    if (threadId == 0)
        threadId = PxNewThreadId();
    return threadId;
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(getpid());
}

HANDLE GetCurrentProcess()
{
    return INVALID_HANDLE_VALUE;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE fn, LPVOID param, DWORD flags,
                    LPDWORD tid)
{
    if (!fn || (flags & ~CREATE_SUSPENDED) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto t = std::make_shared<PxThread>();
    t->id = PxNewThreadId();
    t->suspend = (flags & CREATE_SUSPENDED) ? 1 : 0;
    t->fn = fn;
    t->param = param;
    if (tid)
        *tid = t->id;
    PxKrnl &k = PxK();
    HANDLE h;
    {
        std::lock_guard<std::mutex> g(k.lock);
        h = PxAddHandleLocked(k, t);
    }
    try {
        std::thread(ThreadMain, t).detach();
    } catch (const std::system_error &e) {
        std::shared_ptr<PxObj> gone;
        {
            std::lock_guard<std::mutex> g(k.lock);
            auto it = k.handles.find(reinterpret_cast<std::uintptr_t>(h));
            gone = std::move(it->second);
            k.handles.erase(it);
        }
        SetLastError(e.code().value() == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : PxErrnoToWin(e.code().value()));
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return h;
}

DWORD ResumeThread(HANDLE h)
{
    PxKrnl &k = PxK();
    std::lock_guard<std::mutex> g(k.lock);
    auto t = PxFindKindLocked<PxThread>(k, h, PxKind::Thread);
    if (!t)
        return static_cast<DWORD>(-1);
    DWORD before = t->suspend;
    if (t->suspend > 0 && --t->suspend == 0)
        k.changed.notify_all();
    return before;
}

BOOL GetExitCodeThread(HANDLE h, LPDWORD exitCode)
{
    PxKrnl &k = PxK();
    std::lock_guard<std::mutex> g(k.lock);
    auto t = PxFindKindLocked<PxThread>(k, h, PxKind::Thread);
    if (!t)
        return FALSE;
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *exitCode = t->ended ? t->exitCode : STILL_ACTIVE;
    return TRUE;
}

void Sleep(DWORD ms)
{
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
