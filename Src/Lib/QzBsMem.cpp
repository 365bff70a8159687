// Process-heap allocation for the library and the class-level allocation of TQzBsMem.
#include "Lib/QzBsMem.h"

#include "Lib/Except.h"

#include <new>

namespace {

// Set while an EBadAlloc is being built: its text needs a small block too, and if even that
// fails the standard allocation failure is thrown instead of recursing.
thread_local bool buildingBadAlloc = false;

[[noreturn]] void ThrowBadAlloc(unsigned size)
{
    if (buildingBadAlloc)
        throw std::bad_alloc();
    buildingBadAlloc = true;
    try {
        EBadAlloc e(__FILE__, __LINE__, size);
        buildingBadAlloc = false;
        throw e;
    } catch (EBadAlloc &) {
        throw;
    } catch (...) {
        buildingBadAlloc = false;
        throw;
    }
}

unsigned CheckedSize(std::size_t size)
{
    if (size > 0xFFFFFFFFu)
        throw std::bad_alloc();
    return (unsigned)size;
}

} // namespace

void *MemAlloc(unsigned size)
{
    void *block = HeapAlloc(GetProcessHeap(), 0, size);
    if (!block)
        ThrowBadAlloc(size);
    return block;
}

unsigned MemFree(void *block)
{
    if (!block)
        return 0;
    return HeapFree(GetProcessHeap(), 0, block) ? 0 : (unsigned)GetLastError();
}

void *MemReAlloc(void *block, unsigned size)
{
    if (!block)
        return MemAlloc(size);
    void *grown = HeapReAlloc(GetProcessHeap(), 0, block, size);
    if (!grown)
        ThrowBadAlloc(size);
    return grown;
}

unsigned MemSize(const void *block)
{
    return (unsigned)HeapSize(GetProcessHeap(), 0, block);
}

void *TQzBsMem::operator new(std::size_t size)
{
    return MemAlloc(CheckedSize(size));
}

void *TQzBsMem::operator new[](std::size_t size)
{
    return MemAlloc(CheckedSize(size));
}

void TQzBsMem::operator delete(void *block) noexcept
{
    MemFree(block);
}

void TQzBsMem::operator delete[](void *block) noexcept
{
    MemFree(block);
}
