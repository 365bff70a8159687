// The process heap of the POSIX build: malloc'd blocks behind a header that keeps the size the
// caller asked for and a tag that recognises our own blocks.
#include "qzplat.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The header is padded to the strictest fundamental alignment so that the block behind it is
// aligned as malloc's own blocks are.
struct alignas(alignof(std::max_align_t)) THeapHdr {
    std::size_t size;
    std::uint32_t tag;
};

constexpr std::uint32_t HeapTagLive = 0x51A7B10Cu;
constexpr std::uint32_t HeapTagFreed = 0xDEADB10Cu;

char processHeap;

bool IsProcessHeap(HANDLE heap)
{
    if (heap == &processHeap)
        return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

THeapHdr *HdrOf(LPCVOID block)
{
    THeapHdr *hdr = static_cast<THeapHdr *>(const_cast<void *>(block)) - 1;
    if (hdr->tag != HeapTagLive) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return hdr;
}

LPVOID OutOfMemory(DWORD flags)
{
    if (flags & HEAP_GENERATE_EXCEPTIONS)
        throw std::bad_alloc();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

bool TooLarge(SIZE_T bytes)
{
    return bytes > SIZE_MAX / 2 - sizeof(THeapHdr);
}

} // namespace

HANDLE GetProcessHeap()
{
    return &processHeap;
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    if (!IsProcessHeap(heap))
        return nullptr;
    if (TooLarge(bytes))
        return OutOfMemory(flags);
    THeapHdr *hdr = static_cast<THeapHdr *>(std::malloc(sizeof(THeapHdr) + bytes));
    if (!hdr)
        return OutOfMemory(flags);
    hdr->size = bytes;
    hdr->tag = HeapTagLive;
    if (flags & HEAP_ZERO_MEMORY)
        std::memset(hdr + 1, 0, bytes);
    return hdr + 1;
}

LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes)
{
    if (!IsProcessHeap(heap))
        return nullptr;
    if (!block) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    THeapHdr *hdr = HdrOf(block);
    if (!hdr)
        return nullptr;
    if (TooLarge(bytes))
        return OutOfMemory(flags);
    std::size_t old = hdr->size;
    THeapHdr *grown = static_cast<THeapHdr *>(std::realloc(hdr, sizeof(THeapHdr) + bytes));
    if (!grown)
        return OutOfMemory(flags);
    grown->size = bytes;
    if ((flags & HEAP_ZERO_MEMORY) && bytes > old)
        std::memset(reinterpret_cast<char *>(grown + 1) + old, 0, bytes - old);
    return grown + 1;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID block)
{
    if (!IsProcessHeap(heap))
        return FALSE;
    if (!block)
        return TRUE;
    THeapHdr *hdr = HdrOf(block);
    if (!hdr)
        return FALSE;
    hdr->tag = HeapTagFreed;
    std::free(hdr);
    return TRUE;
}

SIZE_T HeapSize(HANDLE heap, DWORD, LPCVOID block)
{
    if (!IsProcessHeap(heap))
        return (SIZE_T)-1;
    if (!block) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return (SIZE_T)-1;
    }
    THeapHdr *hdr = HdrOf(block);
    return hdr ? hdr->size : (SIZE_T)-1;
}
