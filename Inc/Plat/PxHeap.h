// POSIX build: the process heap. Included only through qzplat.h.
//
// Blocks come from the C library's allocator with a small header in front that records the
// size the caller asked for, so that HeapSize reports exactly that size (string and list
// capacities are computed from it). Only the process heap exists; any other heap handle fails
// with ERROR_INVALID_HANDLE.
#pragma once

#define HEAP_NO_SERIALIZE 0x00000001u
#define HEAP_GENERATE_EXCEPTIONS 0x00000004u
#define HEAP_ZERO_MEMORY 0x00000008u

// The handle of the process heap; never null.
HANDLE GetProcessHeap();

// Allocates a block of exactly `bytes` bytes (0 is allowed). Out of memory: with
// HEAP_GENERATE_EXCEPTIONS throws std::bad_alloc (the POSIX form of the heap's out-of-memory
// exception) and never returns null; without it returns null and sets ERROR_NOT_ENOUGH_MEMORY.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);

// Resizes a block, keeping its contents up to the smaller size; the block may move. A null
// block fails with ERROR_INVALID_PARAMETER, as on Windows. Out of memory as HeapAlloc; the
// old block is then left untouched.
LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);

// Frees a block. A null block succeeds; a block that this heap did not hand out fails with
// ERROR_INVALID_PARAMETER.
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// The size asked for when the block was last allocated or resized; (SIZE_T)-1 on failure.
SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID block);
