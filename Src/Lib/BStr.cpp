// TStr, TBuf and TCharBuf.
#include "Lib/BStr.h"

#include "Lib/Except.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

// ---- TBuf, TCharBuf -------------------------------------------------------------------------

TBuf::TBuf(unsigned n) : data(nullptr), size(0)
{
    Alloc(n);
}

TBuf::~TBuf()
{
    Free();
}

char *TBuf::Alloc(unsigned n)
{
    Free();
    data = static_cast<char *>(MemAlloc(n));
    size = MemSize(data);
    return data;
}

char *TBuf::ReAlloc(unsigned n)
{
    data = static_cast<char *>(MemReAlloc(data, n));
    size = MemSize(data);
    return data;
}

void TBuf::Free()
{
    if (data)
        MemFree(data);
    data = nullptr;
    size = 0;
}

void TBuf::Swap(TBuf &other)
{
    char *d = data;
    unsigned s = size;
    data = other.data;
    size = other.size;
    other.data = d;
    other.size = s;
}

TCharBuf::TCharBuf(const TCharBuf &other) : TBuf()
{
    if (other.data) {
        Alloc(other.size);
        std::memcpy(data, other.data, size);
    }
}

// ---- TStr: construction and assignment ------------------------------------------------------

TStr::TStr()
{
    Reserve(0);
    text[0] = '\0';
}

TStr::TStr(const char *s, unsigned maxLen)
{
    Assign(s, maxLen);
}

TStr::TStr(const TStr &other) : BTStr()
{
    Assign(other);
}

TStr::TStr(const BTStr &other)
{
    Assign(other);
}

TStr::TStr(unsigned value, unsigned kind)
{
    char digits[40];
    switch (kind) {
    case NumDec:
        std::snprintf(digits, sizeof digits, "%u", value);
        break;
    case NumHex:
        std::snprintf(digits, sizeof digits, "0x%x", value);
        break;
    case NumBin: {
        char *p = digits + sizeof digits;
        *--p = '\0';
        do {
            *--p = (char)('0' + (value & 1));
            value >>= 1;
        } while (value);
        std::memmove(digits, p, digits + sizeof digits - p);
        break;
    }
    default:
        digits[0] = '\0';
        break;
    }
    Assign(digits);
}

TStr::TStr(int value, unsigned kind) : TStr((unsigned)value, kind)
{
    if (kind == NumDec && value < 0)
        Format("%d", value);
}

TStr::~TStr()
{
    length = 0;
    text = nullptr;
}

TStr &TStr::operator=(const char *s)
{
    Assign(s, 0);
    return *this;
}

TStr &TStr::operator=(const BTStr &other)
{
    if (&other != this)
        Assign(other);
    return *this;
}

TStr &TStr::operator=(const TStr &other)
{
    if (&other != this)
        Assign(other);
    return *this;
}

// The block grows only when n characters and a terminator do not fit, to the smallest multiple
// of 32 above n; Reserve(0) always resets it to 32 bytes, so emptying a string by assignment
// gives its large block back.
void TStr::Reserve(unsigned n)
{
    if (n >= 0xFFFFFFE0u)
        QZ_THROW_BAD_ALLOC(n);
    if (buf.Size() < n + 1 || n == 0) {
        buf.ReAlloc((n / 32 + 1) * 32);
        text = buf.Data();
    }
}

void TStr::Assign(const char *s, unsigned maxLen)
{
    unsigned n = 0;
    if (s)
        n = (unsigned)(maxLen ? strnlen(s, maxLen) : std::strlen(s));
    // s may point into this string's own text: a non-zero n never exceeds the length then, so
    // the block does not move, and memmove copes with the overlap.
    Reserve(n);
    if (n)
        std::memmove(text, s, n);
    text[n] = '\0';
    length = n;
}

void TStr::Assign(const BTStr &other)
{
    if (&other == this)
        return;
    unsigned n = other.Length();
    Reserve(n);
    if (n)
        std::memcpy(text, other.CStr(), n);
    text[n] = '\0';
    length = n;
}

void TStr::Insert(const char *s, unsigned pos, unsigned n)
{
    if (!s)
        return;
    n = (unsigned)(n ? strnlen(s, n) : std::strlen(s));
    if (n == 0)
        return;
    if (pos > length)
        QZ_THROW_OUT_OF_RANGE(pos, length);
    // Inserting a piece of this very string: keep a copy, the block may move or shift.
    TStr copy;
    if (Holds(s)) {
        copy.Assign(s, n);
        s = copy.CStr();
    }
    Reserve(length + n);
    std::memmove(text + pos + n, text + pos, length - pos + 1);
    std::memcpy(text + pos, s, n);
    length += n;
}

const char *TStr::Format(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
    return text;
}

// Formats into a fresh block of the current capacity and adopts it, growing it by 64 bytes per
// try (the capacity + 32 rule) until the text fits. The separate block keeps an argument that
// points into this string's own text valid while the formatter reads it.
// A formatter that still fails with this much room failed for another reason than room.
static const unsigned FormatFailCap = 1u << 20;

const char *TStr::FormatV(const char *fmt, va_list args)
{
    TCharBuf out(buf.Size());
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vsnprintf(out.Data(), out.Size(), fmt ? fmt : "", copy);
        va_end(copy);
        if (n >= 0 && (unsigned)n < out.Size()) {
            out.Swap(buf);
            text = buf.Data();
            length = (unsigned)n;
            return text;
        }
        if (n < 0 && out.Size() >= FormatFailCap) {
            // The formatter failed outright (a wide-character argument the locale cannot
            // convert), not for lack of room: growing further would only exhaust memory. The
            // string becomes empty, as a formatter that produced nothing would leave it.
            Clear();
            return text;
        }
        // A formatter that does not tell the length it needs gets twice the room per try.
        unsigned next = n < 0 ? out.Size() * 2 : out.Size() + 64;
        if (n >= 0 && (unsigned)n + 1 > next)
            next += ((unsigned)n + 1 - next + 63) / 64 * 64;
        out.Alloc(next);
    }
}

// ---- TStr: editing --------------------------------------------------------------------------

void TStr::Append(const char *s)
{
    if (!s)
        return;
    unsigned n = (unsigned)std::strlen(s);
    if (n == 0)
        return;
    // Appending a piece of this very string: the block may move, so keep the offset.
    bool own = Holds(s);
    size_t off = own ? (size_t)(s - text) : 0;
    Reserve(length + n);
    if (own)
        s = text + off;
    std::memmove(text + length, s, n);
    length += n;
    text[length] = '\0';
}

void TStr::Append(const BTStr &other)
{
    unsigned n = other.Length();
    if (n == 0)
        return;
    Reserve(length + n);
    // other.CStr() is read after Reserve: when other is this string, its text has moved with it.
    std::memmove(text + length, other.CStr(), n);
    length += n;
    text[length] = '\0';
}

TStr operator+(const TStr &a, const char *b)
{
    TStr r(a);
    r.Append(b);
    return r;
}

void TStr::Clear()
{
    length = 0;
    text[0] = '\0';
}

void TStr::Erase(unsigned pos, unsigned n)
{
    if (pos >= length || n > length - pos)
        QZ_THROW_OUT_OF_RANGE(pos, length);
    if (n == 0)
        n = length - pos;
    std::memmove(text + pos, text + pos + n, length - pos - n + 1);
    length -= n;
}

void TStr::CutRight(unsigned n)
{
    if (n >= length)
        Clear();
    else if (n > 0)
        Erase(length - n, 0);
}

void TStr::TrimLeft()
{
    unsigned n = 0;
    while (n < length && IsBlank(text[n]))
        ++n;
    if (n)
        Erase(0, n);
}

void TStr::TrimRight()
{
    unsigned end = length;
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    if (end < length)
        Erase(end, 0);
}

void TStr::Trim()
{
    TrimRight();
    TrimLeft();
}

void TStr::Unquote()
{
    if (length < 2 || text[0] != '"' || text[length - 1] != '"')
        return;
    const char *second = std::strchr(text + 1, '"');
    if (second != text + length - 1)
        return;
    Erase(length - 1, 1);
    Erase(0, 1);
}

void TStr::ToOem()
{
    if (length)
        CharToOemBuffA(text, text, length);
}

// ---- TStr: search and replace ---------------------------------------------------------------

unsigned TStr::Find(const char *pattern, unsigned start, unsigned flags) const
{
    if (!pattern)
        return (unsigned)-1;
    unsigned p = (unsigned)std::strlen(pattern);
    if (p > length || start > length - p)
        return (unsigned)-1;
    bool noCase = flags & CmpNoCase;
    for (unsigned i = start; i <= length - p; ++i) {
        unsigned j = 0;
        // Without CmpNoCase two characters are equal exactly when they are the same character
        // (see CmpChar), so the bytes decide.
        while (j < p && (noCase ? CmpChar(text[i + j], pattern[j], CmpNoCase) == 0 : text[i + j] == pattern[j]))
            ++j;
        if (j == p)
            return i;
    }
    return (unsigned)-1;
}

unsigned TStr::Replace(const char *what, const char *with, unsigned start, unsigned flags)
{
    // An empty what would match everywhere and the erase of zero characters means "to the end".
    if (!what || !*what)
        return 0;
    unsigned count = 0;
    unsigned w = (unsigned)std::strlen(what);
    unsigned v = with ? (unsigned)std::strlen(with) : 0;
    // what and with may be pieces of this string's own text, which the edits below change.
    TStr whatCopy, withCopy;
    if (Holds(what)) {
        whatCopy.Assign(what);
        what = whatCopy.CStr();
    }
    if (with && Holds(with)) {
        withCopy.Assign(with);
        with = withCopy.CStr();
    }
    while (start < length) {
        unsigned pos = Find(what, start, flags);
        if (pos == (unsigned)-1)
            break;
        Erase(pos, w);
        Insert(with, pos, 0);
        ++count;
        start = pos + v;
        if (!(flags & ReplAll))
            return 1;
    }
    return count;
}
