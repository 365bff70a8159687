// POSIX build: files through kernel handles. Included only through qzplat.h.
//
// A file handle lives in the process-wide handle table of PxKernel.h, so a closed file handle is
// detected (error 6) like any other. Sharing modes are accepted but not enforced: POSIX has no
// mandatory file sharing, and the system never opens one file in conflicting modes.
#pragma once

#include "PxKernel.h"

struct _OVERLAPPED;
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

#define FILE_ATTRIBUTE_NORMAL 0x00000080u

#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u

#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu

// Opens or creates a file. access: GENERIC_READ and/or GENERIC_WRITE (0 opens for reading).
// disposition: CREATE_NEW (fails with 80 if the file exists), CREATE_ALWAYS (truncates; last error
// 183 when it existed), OPEN_EXISTING (2 when missing), OPEN_ALWAYS (creates; last error 183 when
// it existed), TRUNCATE_EXISTING (needs GENERIC_WRITE); any other value gives 87. An empty name
// gives 3, a directory 5. Flags, attributes, security attributes and the template are ignored;
// new files get mode 0666 minus the umask. Returns INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);

// Reads up to n bytes at the file pointer; a short count means end of file (success). A handle
// opened without read access fails with 5. done may be null; overlapped must be null.
BOOL ReadFile(HANDLE h, LPVOID buf, DWORD n, LPDWORD done, LPOVERLAPPED overlapped);

// Writes all n bytes at the file pointer (a short write is retried until done or failed). A
// handle opened without write access fails with 5.
BOOL WriteFile(HANDLE h, LPCVOID buf, DWORD n, LPDWORD done, LPOVERLAPPED overlapped);

// Moves the file pointer. distanceHigh (may be null) makes the distance a 64-bit value and
// receives the high half of the new position. Returns the low half of the new position, or
// INVALID_SET_FILE_POINTER with the last error set (131 for a position before the start). On
// success the last error is set to 0, so a low half that happens to be all ones is recognisable.
DWORD SetFilePointer(HANDLE h, LONG distance, LONG *distanceHigh, DWORD method);

// Returns the low half of the size (the high half through sizeHigh, may be null), or
// INVALID_FILE_SIZE with the last error set; the last error is 0 on success.
DWORD GetFileSize(HANDLE h, LPDWORD sizeHigh);

// Commits written data to the device (fsync). As on Windows, a handle without write access
// fails with 5.
BOOL FlushFileBuffers(HANDLE h);

// Deletes a file: 2 when it does not exist, 5 for a directory or without permission.
BOOL DeleteFileA(LPCSTR name);
