// Mutexes and the wait functions, and the abandonment of mutexes whose owner thread ended.
#include "PxObj.h"

#include <algorithm>
#include <chrono>

namespace {

// The end of any thread (the main thread, std::thread, CreateThread's threads): the destructor of
// this thread-local record abandons what the thread still owns. It is created the first time the
// thread takes a mutex. `ended` is trivially destructible, so it can be read even after the
// record itself is gone (a mutex taken by a later thread-exit destructor is then not tracked).
struct TEndWatch {
    ~TEndWatch();
};
thread_local bool ended = false;
thread_local TEndWatch endWatch;

TEndWatch::~TEndWatch()
{
    ended = true;
    PxKrnl &k = PxK();
    std::lock_guard<std::mutex> g(k.lock);
    PxAbandonHeldLocked(k, GetCurrentThreadId());
}

// Forgets the names whose mutexes are gone, once the name table has doubled since the last
// sweep; the names of thread mutexes ("QZ_TThrd_<id>") would otherwise pile up.
void SweepNamesLocked(PxKrnl &k)
{
    if (k.names.size() < 2 * k.namesAfterSweep + 16)
        return;
    for (auto it = k.names.begin(); it != k.names.end();) {
        if (it->second.expired())
            it = k.names.erase(it);
        else
            ++it;
    }
    k.namesAfterSweep = k.names.size();
}

bool SignalledLocked(const PxObj &o, DWORD me)
{
    if (o.kind == PxKind::Thread)
        return static_cast<const PxThread &>(o).ended;
    const PxMutex &m = static_cast<const PxMutex &>(o);
    return m.owner == 0 || m.owner == me;
}

// Takes a signalled object for the calling thread; true when it was an abandoned mutex.
bool AcquireLocked(PxKrnl &k, const std::shared_ptr<PxObj> &o, DWORD me)
{
    if (o->kind != PxKind::Mutex)
        return false;
    auto m = std::static_pointer_cast<PxMutex>(o);
    if (m->owner == me) {
        ++m->count;
    } else {
        m->owner = me;
        m->count = 1;
        k.held[me].push_back(m);
        PxWatchThreadEnd();
    }
    bool abandoned = m->abandoned;
    m->abandoned = false;
    return abandoned;
}

} // namespace

void PxWatchThreadEnd()
{
    if (!ended)
        (void)&endWatch; // odr-use constructs the record and registers its destructor
}

void PxAbandonHeldLocked(PxKrnl &k, DWORD tid)
{
    auto it = k.held.find(tid);
    if (it == k.held.end())
        return;
    for (auto &w : it->second) {
        auto m = w.lock();
        if (m && m->owner == tid) {
            m->owner = 0;
            m->count = 0;
            m->abandoned = true;
        }
    }
    k.held.erase(it);
    k.changed.notify_all();
}

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name)
{
    PxKrnl &k = PxK();
    DWORD me = GetCurrentThreadId();
    std::lock_guard<std::mutex> g(k.lock);
    if (name && *name) {
        auto it = k.names.find(name);
        if (it != k.names.end()) {
            if (auto existing = it->second.lock()) {
                HANDLE h = PxAddHandleLocked(k, existing);
                SetLastError(ERROR_ALREADY_EXISTS);
                return h;
            }
        }
    }
    auto m = std::make_shared<PxMutex>();
    if (initialOwner)
        AcquireLocked(k, m, me);
    if (name && *name) {
        k.names[name] = m;
        SweepNamesLocked(k);
    }
    HANDLE h = PxAddHandleLocked(k, m);
    SetLastError(ERROR_SUCCESS);
    return h;
}

BOOL ReleaseMutex(HANDLE h)
{
    PxKrnl &k = PxK();
    DWORD me = GetCurrentThreadId();
    std::lock_guard<std::mutex> g(k.lock);
    auto m = PxFindKindLocked<PxMutex>(k, h, PxKind::Mutex);
    if (!m)
        return FALSE;
    if (m->owner != me) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--m->count == 0) {
        m->owner = 0;
        auto &mine = k.held[me];
        mine.erase(std::remove_if(mine.begin(), mine.end(),
                                  [&](const std::weak_ptr<PxMutex> &w) {
                                      auto p = w.lock();
                                      return !p || p == m;
                                  }),
                   mine.end());
        if (mine.empty())
            k.held.erase(me);
        k.changed.notify_all();
    }
    return TRUE;
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE *handles, BOOL waitAll, DWORD ms)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    PxKrnl &k = PxK();
    DWORD me = GetCurrentThreadId();
    // Declared before the lock so that they are dropped after it is released.
    std::vector<std::shared_ptr<PxObj>> objs(count);
    std::unique_lock<std::mutex> g(k.lock);
    for (DWORD i = 0; i < count; ++i) {
        objs[i] = PxFindLocked(k, handles[i]);
        if (!objs[i] || objs[i]->kind == PxKind::File) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (waitAll) {
            bool all = std::all_of(objs.begin(), objs.end(),
                                   [&](const std::shared_ptr<PxObj> &o) { return SignalledLocked(*o, me); });
            if (all) {
                DWORD result = WAIT_OBJECT_0;
                for (DWORD i = 0; i < count; ++i)
                    if (AcquireLocked(k, objs[i], me) && result == WAIT_OBJECT_0)
                        result = WAIT_ABANDONED_0 + i;
                return result;
            }
        } else {
            for (DWORD i = 0; i < count; ++i)
                if (SignalledLocked(*objs[i], me))
                    return (AcquireLocked(k, objs[i], me) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
        }
        if (ms == INFINITE)
            k.changed.wait(g);
        else if (std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;
        else
            k.changed.wait_until(g, deadline);
    }
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms)
{
    return WaitForMultipleObjects(1, &h, FALSE, ms);
}
