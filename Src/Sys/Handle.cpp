// Handle owners: closing with validity checks, mutexes and files, each step in the process log.
#include "Sys/Handle.h"

#include "Log/LogA.h"

#include <cstdint>

namespace {

// Handles and addresses print in full width (a value below 2^32 looks like "%#010x").
unsigned long long Addr(const void *p)
{
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p));
}

} // namespace

THandle::~THandle()
{
    if (handle != NULL && handle != INVALID_HANDLE_VALUE) {
        try {
            Close();
        } catch (...) {
            // A destructor lets nothing escape; a failed log line is only a missing line.
        }
    }
}

bool THandle::IsValid() const
{
    DWORD flags = 0;
    if (GetHandleInformation(handle, &flags))
        return true;
    return GetLastError() == 0;
}

unsigned THandle::Close()
{
    if (handle == NULL || handle == INVALID_HANDLE_VALUE) {
        ProcessLog().Write(EvtHndSkip, "Closing handle: handle=%#010llx,this=%#010llx-skipped(value).", Addr(handle),
                           Addr(this));
        return 0;
    }
    // A handle that was closed elsewhere is never passed to CloseHandle.
    if (!IsValid()) {
        ProcessLog().Write(EvtHndSkip, "Closing handle: handle=%#010llx,this=%#010llx-skipped(invalid).",
                           Addr(handle), Addr(this));
        return 0;
    }
    HANDLE old = handle;
    unsigned rc = CloseHandle(old) ? 0 : static_cast<unsigned>(GetLastError());
    handle = NULL;
    ProcessLog().Write(EvtHndCls, "Closing handle: handle=%#010llx,this=%#010llx,result=%u.", Addr(old), Addr(this),
                       rc);
    return rc;
}

TMutex::~TMutex()
{
    Release();
}

unsigned TMutex::Create(bool initialOwner, const char *nm)
{
    SetName(nm);
    const char *stored = GetName().CStr();
    handle = CreateMutexA(NULL, initialOwner ? TRUE : FALSE, stored && *stored ? stored : NULL);
    unsigned rc = handle != NULL ? 0 : static_cast<unsigned>(GetLastError());
    ProcessLog().Write(EvtMtxCrt, "Creating mutex \"%s\": handle=%#010llx,rc=%u,this=%#010llx.", stored ? stored : "",
                       Addr(handle), rc, Addr(this));
    return rc;
}

unsigned TMutex::Release()
{
    if (handle == NULL)
        return 0;
    return ReleaseMutex(handle) ? 0 : static_cast<unsigned>(GetLastError());
}

TFile::~TFile()
{
    if (handle != NULL) {
        FlushFileBuffers(handle);
        try {
            Close();
        } catch (...) {
        }
    }
}

unsigned TFile::Crt(LPCSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                    DWORD flagsAndAttributes, HANDLE templateFile)
{
    HANDLE h = CreateFileA(fileName, access, share, sa, disposition, flagsAndAttributes, templateFile);
    unsigned rc = 0;
    if (h == INVALID_HANDLE_VALUE) {
        rc = static_cast<unsigned>(GetLastError());
        h = NULL;
    }
    if (h != handle)
        handle = h;
    ProcessLog().Write(EvtFileCrt, "TFile::Crt()end(handle=%#010llx,rc=%u)[this=%#010llx]", Addr(handle), rc,
                       Addr(this));
    return rc;
}
