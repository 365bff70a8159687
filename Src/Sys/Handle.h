// Owners of kernel handles: THandle closes its handle only after checking that the system still
// knows it, TSyncObj adds the name of a named object, TMutex creates a named mutex and TFile
// opens a file and flushes it before closing. Every close, skipped close, mutex creation and
// file open is recorded in the process log.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

// Owns one handle. Null and INVALID_HANDLE_VALUE both mean "no handle"; any other value is
// closed by the object (by Close or at destruction).
class THandle : public TQzBsMem {
public:
    THandle() : handle(NULL) {}
    THandle(const THandle &) = delete;
    THandle &operator=(const THandle &) = delete;
    // Closes a handle other than null and INVALID_HANDLE_VALUE (so it never writes the
    // "-skipped(value)" line).
    ~THandle() override;

    HANDLE GetHandle() const { return handle; }
    // Stores a new value without closing the old one.
    void SetHandle(HANDLE h) { handle = h; }
    // Whether the system knows the handle (GetHandleInformation succeeds, or fails while the
    // last error stays 0).
    bool IsValid() const;
    // Closes the handle: 0 and a "-skipped(value)" line for no handle, 0 and a
    // "-skipped(invalid)" line (the value stays) for a handle the system does not know, else the
    // result of CloseHandle (0 or its error) with an "SOC" line, and the handle becomes null.
    unsigned Close();

protected:
    HANDLE handle;
};

// A handle of a named kernel object.
class TSyncObj : public THandle {
public:
    TSyncObj() {}
    ~TSyncObj() override {}

    void SetName(const char *nm) { name = nm; }
    const TStr &GetName() const { return name; }

private:
    TStr name;
};

// A mutex, created (or opened, if one of that name exists) by Create.
class TMutex : public TSyncObj {
public:
    TMutex() {}
    // Releases once (the result is ignored, also when this thread does not own it), then
    // closes.
    ~TMutex() override;

    // Creates the mutex with the initial-owner flag under the name (empty: unnamed) and stores
    // its handle, without closing a previous one. 0, or the error of CreateMutexA; opening an
    // existing mutex counts as success. Writes an "SMT" line.
    unsigned Create(bool initialOwner, const char *nm);
    // 0 when there is no handle or ReleaseMutex succeeds, else its error. Writes nothing.
    unsigned Release();
};

// A file opened by Crt; flushed and closed at destruction.
class TFile : public THandle {
public:
    TFile() {}
    // Flushes (result ignored) and closes a handle that is not null.
    ~TFile() override;

    // Passes the arguments to CreateFileA. 0, or its error (the handle is then null). Stores the
    // new value without closing a previous one: call it on an object that holds no handle.
    // Writes an "SFT" line.
    unsigned Crt(LPCSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                 DWORD flagsAndAttributes, HANDLE templateFile);
};
