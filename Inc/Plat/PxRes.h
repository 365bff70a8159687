// POSIX build: the running module, its string resources and the local identity (user and
// computer name). Included only through qzplat.h.
//
// There is one module, the executable. Its string tables are generated at build time from the
// program's ".strings" file (cmake/QzStrings.cmake) into a C++ table that registers itself with
// PxAddStrTab before main runs; LoadStringA reads the registered tables.
#pragma once

#include "PxKernel.h"

#ifndef UNLEN
#define UNLEN 256
#endif
#ifndef MAX_COMPUTERNAME_LENGTH
#define MAX_COMPUTERNAME_LENGTH 15
#endif

// The executable's module handle for a null name; any other name fails with 126 (there are no
// loaded libraries to name).
HMODULE GetModuleHandleA(LPCSTR name);

// The executable's full path (from /proc/self/exe) for a null module or the executable's own
// handle; other modules fail with 126. A buffer of `size` characters too small for the path gets
// the first size-1 characters and a terminator; the result is then `size` with last error 122.
// Otherwise the result is the length of the path without the terminator.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buf, DWORD size);

// As GetModuleFileNameA, for the current process only (GetCurrentProcess() or a null process);
// any other process handle fails with 6.
DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buf, DWORD size);

// Copies string `id` of the module (null or the executable's handle) in the user's language
// (GetUserDefaultLangID: Russian 1049 or English 1033) into buf, at most size-1 bytes plus a
// terminator, and returns the number of bytes copied. Falls back to English and then to any
// language that has the id. A text that does not fit is cut after exactly size-1 bytes (possibly
// inside a UTF-8 sequence), so a caller recognises a cut by the length and loads again with a
// larger buffer. A missing id returns 0 with last error 1814 (buf gets an empty text); size 0 or
// a null buffer fails with 87.
int LoadStringA(HINSTANCE module, UINT id, LPSTR buf, int size);

// The login name of the user the process runs as (its effective uid). On success *size is the
// number of characters copied including the terminator. A buffer too small fails with 122 and
// *size is the size needed; a uid without an account entry fails with 1332.
BOOL GetUserNameA(LPSTR buf, LPDWORD size);

// The computer name: the first label of the host name, upper-cased, at most 15 characters (a
// NetBIOS name). On success *size is the number of characters without the terminator. A buffer
// too small fails with 111 and *size is the size needed including the terminator.
BOOL GetComputerNameA(LPSTR buf, LPDWORD size);

// One string of a generated string table: identifier, language id (1033, 1049) and UTF-8 text.
struct PxStrRes {
    UINT id;
    WORD lang;
    const char *text;
};

// A generated string table. Tables are chained by PxAddStrTab; `next` belongs to the layer.
struct PxStrTab {
    const PxStrRes *items;
    unsigned count;
    PxStrTab *next;
};

// Registers a table (called by the generated code during static initialisation). Always true,
// so that the generated code can keep the result in a constant.
bool PxAddStrTab(PxStrTab *tab);
