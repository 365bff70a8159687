// POSIX build: kernel objects (handles, mutexes, threads), waits and process/thread identity.
// Included only through qzplat.h.
//
// Every kernel object lives in one process-wide handle table. A handle is a table key, never a
// pointer: handle values are handed out once and never reused, so a handle that was closed (or
// never existed) is recognised as unknown (error 6) and no call ever reaches freed memory. An
// object stays alive while a handle refers to it or while a call is using it, so closing a handle
// on one thread while another thread reads through it or waits on it is safe.
//
// Mutexes are recursive and owned by a thread. A named mutex is shared within the process: a
// second CreateMutexA with the same name returns a new handle to the same object and sets the
// last error to 183. When a thread ends while it owns mutexes (threads made by CreateThread as
// well as the main thread, std::thread and any other), each of them becomes abandoned: the next
// thread that acquires it gets WAIT_ABANDONED (or WAIT_ABANDONED_0 + index) once.
//
// Thread ids come from a process-wide counter (multiples of 4, starting at 0x104) and are never
// reused while the process lives; a thread gets its id at creation (CreateThread) or at its first
// call of GetCurrentThreadId or of a mutex operation.
#pragma once

#include "PxTypes.h"

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef DWORD(WINAPI *LPTHREAD_START_ROUTINE)(LPVOID);

#define CREATE_SUSPENDED 0x00000004u
#define STILL_ACTIVE 259u

#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif

// Closes a handle. Fails with 6 for a handle that is not (or no longer) in the table.
BOOL CloseHandle(HANDLE h);

// Succeeds (flags 0) for a handle in the table, fails with 6 otherwise. flags may be null.
BOOL GetHandleInformation(HANDLE h, LPDWORD flags);

// Creates a mutex, or opens the existing one of that name (last error 183; the initial-owner
// flag is then ignored, as on Windows). A null or empty name gives an unnamed mutex. Names are
// compared exactly (case-sensitive) and exist only within this process. Security attributes are
// ignored.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCSTR name);

// Releases one level of ownership. Fails with 288 when the calling thread does not own the
// mutex, with 6 for an unknown handle or one that is not a mutex.
BOOL ReleaseMutex(HANDLE h);

// Waits on mutexes and threads. A mutex is signalled when it is free or owned by the calling
// thread (the wait then takes ownership); a thread is signalled once it has ended. Other
// objects (files) cannot be waited on: WAIT_FAILED with 6. ms is a time-out in milliseconds or
// INFINITE.
DWORD WaitForSingleObject(HANDLE h, DWORD ms);

// Waits for all (waitAll) or any of 1 to 64 handles (else WAIT_FAILED with 87). With waitAll the
// mutexes are taken only together, when every object is signalled at once; the result is
// WAIT_OBJECT_0, or WAIT_ABANDONED_0 + the lowest index of an abandoned mutex among them. Without
// waitAll the lowest signalled index wins.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE *handles, BOOL waitAll, DWORD ms);

// Starts fn(param) on a new thread; the stack size and security attributes are ignored. With
// CREATE_SUSPENDED the thread waits until ResumeThread brings its suspend count to 0. The id is
// stored through threadId (may be null) before the thread runs. Other flag bits give 87.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stackSize, LPTHREAD_START_ROUTINE fn, LPVOID param,
                    DWORD flags, LPDWORD threadId);

// Decrements the suspend count; returns the count before the call, or (DWORD)-1 on failure.
DWORD ResumeThread(HANDLE h);

// STILL_ACTIVE (259) while the thread runs, then the value its routine returned.
BOOL GetExitCodeThread(HANDLE h, LPDWORD exitCode);

DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

// The pseudo handle of the current process ((HANDLE)-1, as on Windows). It is not in the handle
// table; GetModuleFileNameExA accepts it.
HANDLE GetCurrentProcess();

// Sleeps at least ms milliseconds; 0 only yields the processor.
void Sleep(DWORD ms);
