// POSIX build, inside the layer only: the kernel objects behind handles and the process-wide
// handle table that PxKernel.h describes.
//
// One lock guards the table, the mutex name space and the state of every mutex and thread, and
// one condition variable announces every change of that state; a wait re-examines its objects
// whenever it is woken. Object destructors never take the lock, so the last reference to an
// object may be dropped anywhere.
#pragma once

#include "qzplat.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

enum class PxKind { Mutex, Thread, File };

struct PxObj {
    explicit PxObj(PxKind k) : kind(k) {}
    virtual ~PxObj() = default;
    const PxKind kind;
};

struct PxMutex : PxObj {
    PxMutex() : PxObj(PxKind::Mutex) {}
    DWORD owner = 0;        // id of the owning thread, 0 when free
    unsigned count = 0;     // recursion depth of the owner
    bool abandoned = false; // the owner ended while holding it; reported to the next acquirer
};

struct PxThread : PxObj {
    PxThread() : PxObj(PxKind::Thread) {}
    DWORD id = 0;
    unsigned suspend = 0; // the thread runs its routine once this is 0
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
    LPTHREAD_START_ROUTINE fn = nullptr;
    LPVOID param = nullptr;
};

struct PxKrnl {
    std::mutex lock;
    std::condition_variable changed;
    std::unordered_map<std::uintptr_t, std::shared_ptr<PxObj>> handles;
    std::uintptr_t nextHandle = 0x100;
    // Named mutexes; an entry expires with its object and is swept out later.
    std::unordered_map<std::string, std::weak_ptr<PxMutex>> names;
    std::size_t namesAfterSweep = 0;
    // The mutexes each thread owns, by thread id, so that they can be abandoned at its end.
    std::unordered_map<DWORD, std::vector<std::weak_ptr<PxMutex>>> held;
};

// The kernel state. Created on first use and never destroyed, so that threads ending during
// static destruction still find it.
PxKrnl &PxK();

// With the lock held: enters an object into the table and returns its new handle.
HANDLE PxAddHandleLocked(PxKrnl &k, std::shared_ptr<PxObj> obj);

// With the lock held: the object of a handle, or null (and last error 6) when the handle is
// unknown or its object is not of the kind asked for.
std::shared_ptr<PxObj> PxFindLocked(PxKrnl &k, HANDLE h);
template <class T>
std::shared_ptr<T> PxFindKindLocked(PxKrnl &k, HANDLE h, PxKind kind)
{
    std::shared_ptr<PxObj> o = PxFindLocked(k, h);
    if (!o || o->kind != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return std::static_pointer_cast<T>(o);
}

// With the lock held: marks every mutex that thread `tid` owns as abandoned and frees it.
void PxAbandonHeldLocked(PxKrnl &k, DWORD tid);

// Gives the calling thread its id (threads made by CreateThread get theirs before they run).
void PxSetThreadId(DWORD id);

// A new thread id from the process-wide counter.
DWORD PxNewThreadId();

// Makes sure the calling thread abandons what it owns when it ends (see PxSync.cpp).
void PxWatchThreadEnd();
