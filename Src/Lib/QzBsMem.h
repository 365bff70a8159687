// The root class of the library and the process-heap allocation functions.
//
// Every object of a class derived from TQzBsMem, and every array of such objects, lives on the
// process heap: the class-level new and delete go through MemAlloc and MemFree.
#pragma once

#include "qzplat.h"

// Marks a printf-style function for the compiler's format checks (the GNU archetype, which is
// also what MinGW's standard-conforming stdio implements).
#ifndef QZ_PRINTF_FMT
#define QZ_PRINTF_FMT(fmtArg, firstArg) __attribute__((format(gnu_printf, fmtArg, firstArg)))
#endif

// Allocates `size` bytes from the process heap; the block is not cleared. Never returns null:
// when the heap has no block, EBadAlloc is thrown with the size asked for, so the failure is
// the same catchable library exception on every platform.
void *MemAlloc(unsigned size);

// Returns a block to the process heap; 0 on success, else the system's last error code. A null
// block is accepted and gives 0.
unsigned MemFree(void *block);

// Resizes a block, keeping its contents up to the smaller size (it may move); a null block is
// allocated as by MemAlloc. Never returns null (EBadAlloc as MemAlloc; the old block then stays
// valid).
void *MemReAlloc(void *block, unsigned size);

// The size that the heap reports for the block (the size last asked for).
unsigned MemSize(const void *block);

class TQzBsMem {
public:
    virtual ~TQzBsMem() {}

    static void *operator new(std::size_t size);
    static void *operator new[](std::size_t size);
    static void operator delete(void *block) noexcept;
    static void operator delete[](void *block) noexcept;
};
