// The base class of worker threads: a derived class supplies the work (Init, Run, Finish); TThrd
// creates the system thread, runs the work inside an exception guard, turns the outcome into
// the thread's exit code and records each step in the process log.
//
// Calling order: construct, Start once, wait on GetHandle() until the thread has ended, then
// destroy. The object must not be destroyed while its thread runs.
#pragma once

#include "qzplat.h"
#include "qzgen.h"
#include "Sys/Handle.h"

class TThrd : public TQzBsMem {
public:
    TThrd();
    TThrd(const TThrd &) = delete;
    TThrd &operator=(const TThrd &) = delete;
    // Closes the thread handle and the mutexes; does not wait for the thread.
    ~TThrd() override;

    // Creates the thread; flags bit 0 creates it suspended (it runs once resumed through its
    // handle). On success creates the mutex "QZ_TThrd_<id>" (not owned). 0 or the system's
    // error code; writes an "STT" line either way.
    unsigned Start(unsigned flags);
    // The thread handle (null before a successful Start), for waiting on the thread.
    HANDLE GetHandle() const { return thread; }
    unsigned GetId() const { return static_cast<unsigned>(id); }

protected:
    // Whether Run should be called; TThrd returns true.
    virtual bool Init();
    // The thread's work; TThrd does nothing.
    virtual void Run();
    // The thread's exit code; TThrd returns 0.
    virtual unsigned Finish();

private:
    static DWORD WINAPI Routine(LPVOID self);

    TMutex nameMtx;  // created under the thread's name when started
    TMutex nameMtx2; // given the same name, never created
    HANDLE thread;
    DWORD id;
    GTNumStrListUniqueNum items; // reserved for derived classes
};
