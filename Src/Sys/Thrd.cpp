// Worker threads: start, the guarded thread routine, and orderly destruction, each step in the
// process log.
#include "Sys/Thrd.h"

#include "Lib/Except.h"
#include "Log/LogA.h"

#include <cstdint>
#include <cstdio>

namespace {

unsigned long long Addr(const void *p)
{
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p));
}

} // namespace

TThrd::TThrd() : thread(NULL), id(0) {}

TThrd::~TThrd()
{
    if (thread != NULL) {
        unsigned rc = CloseHandle(thread) ? 0 : static_cast<unsigned>(GetLastError());
        try {
            ProcessLog().Write(EvtThrdCls, "Closing thread handle: handle=%#08llx this=%#08llx result=%u", Addr(thread),
                               Addr(this), rc);
        } catch (...) {
        }
        if (rc == 0)
            thread = NULL;
        // Releasing a mutex this thread does not own fails harmlessly.
        try {
            nameMtx2.Release();
            nameMtx2.Close();
            nameMtx.Release();
            nameMtx.Close();
        } catch (...) {
        }
    }
}

unsigned TThrd::Start(unsigned flags)
{
    thread = CreateThread(NULL, 0, &TThrd::Routine, this, (flags & 1) ? CREATE_SUSPENDED : 0, &id);
    unsigned rc = 0;
    if (thread != NULL) {
        char name[32];
        std::snprintf(name, sizeof name, "QZ_TThrd_%u", static_cast<unsigned>(id));
        nameMtx.Create(false, name);
        nameMtx2.SetName(name);
    } else {
        rc = static_cast<unsigned>(GetLastError());
    }
    ProcessLog().Write(EvtThrdCrt, "Create thread: handle=%#08llx,id=%#06x,this=%#08llx result=%u.", Addr(thread),
                       static_cast<unsigned>(id), Addr(this), rc);
    return rc;
}

bool TThrd::Init()
{
    return true;
}

void TThrd::Run() {}

unsigned TThrd::Finish()
{
    return 0;
}

DWORD WINAPI TThrd::Routine(LPVOID self)
{
    TThrd *t = static_cast<TThrd *>(self);
    // Nothing may leave the thread: a line that cannot be written is only a missing line.
    try {
        ProcessLog().Write(EvtThrdRtn, "Thread routine begin(thrd=%#010llx).", Addr(t));
    } catch (...) {
    }
    unsigned rc = ERROR_INTERNAL_ERROR;
    try {
        if (t->Init())
            t->Run();
        rc = t->Finish();
        // The id as the system reports it on this thread: the creating thread may still be
        // storing the object's copy when a short routine ends.
        unsigned tid = static_cast<unsigned>(GetCurrentThreadId());
        ProcessLog().Write(EvtThrdRtn, "Thread routine end %u (%#010x) [thrd=%#010llx id=%u(%#06x)].", rc, rc, Addr(t),
                           tid, tid);
    } catch (const EException &e) {
        rc = ERROR_INTERNAL_ERROR;
        try {
            ProcessLog().Write(EvtThrdExc, "Thread routine exception [thrd=%#010llx,%s].", Addr(t), e.Text());
        } catch (...) {
        }
    } catch (...) {
        rc = ERROR_INTERNAL_ERROR;
        try {
            ProcessLog().Write(EvtThrdExc, "Thread routine unknown exception [thrd=%#010llx].", Addr(t));
        } catch (...) {
        }
    }
    return rc;
}
