// The process-wide handle table: CloseHandle and GetHandleInformation.
#include "PxObj.h"

PxKrnl &PxK()
{
    static PxKrnl *k = new PxKrnl; // intentionally never destroyed (see PxObj.h)
    return *k;
}

HANDLE PxAddHandleLocked(PxKrnl &k, std::shared_ptr<PxObj> obj)
{
    // Handle values are never reused, so a stale handle can never name a newer object.
    std::uintptr_t v = k.nextHandle;
    k.nextHandle += 4;
    k.handles.emplace(v, std::move(obj));
    return reinterpret_cast<HANDLE>(v);
}

std::shared_ptr<PxObj> PxFindLocked(PxKrnl &k, HANDLE h)
{
    auto it = k.handles.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == k.handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second;
}

BOOL CloseHandle(HANDLE h)
{
    PxKrnl &k = PxK();
    std::shared_ptr<PxObj> gone;
    {
        std::lock_guard<std::mutex> g(k.lock);
        auto it = k.handles.find(reinterpret_cast<std::uintptr_t>(h));
        if (it == k.handles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        gone = std::move(it->second);
        k.handles.erase(it);
    }
    // The object (a file's descriptor, for example) goes when its last user lets go, outside the
    // lock.
    return TRUE;
}

BOOL GetHandleInformation(HANDLE h, LPDWORD flags)
{
    PxKrnl &k = PxK();
    std::lock_guard<std::mutex> g(k.lock);
    if (!PxFindLocked(k, h))
        return FALSE;
    if (flags)
        *flags = 0;
    return TRUE;
}
