// Comparisons of texts: bytewise prefix comparisons and the locale-aware comparison of whole
// texts and single characters.
#include "Lib/BStr.h"

#include <cstring>

namespace {

int FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

// The first n characters of a against b, bytewise (unsigned), ASCII letters folded on request.
int PrefixCmp(const char *a, const char *b, unsigned n, bool noCase)
{
    for (unsigned i = 0; i < n; ++i) {
        int ca = (unsigned char)a[i], cb = (unsigned char)b[i];
        if (noCase) {
            ca = FoldAscii((unsigned char)ca);
            cb = FoldAscii((unsigned char)cb);
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            break;
    }
    return 0;
}

int SystemCmp(const char *a, int an, const char *b, int bn, bool noCase)
{
    int r = CompareStringA(LOCALE_USER_DEFAULT, noCase ? NORM_IGNORECASE : 0, a, an, b, bn);
    return r == 0 ? 0 : r - CSTR_EQUAL;
}

// The locale-aware comparison. The system's word sort ranks some different texts equal (it
// ignores certain characters); such texts are ordered by their bytes instead, so that only the
// same text (or, ignoring case, texts that differ only in case) compare equal.
int LocaleCmp(const char *a, int an, const char *b, int bn, bool noCase)
{
    int r = SystemCmp(a, an, b, bn, noCase);
    if (r != 0)
        return r;
    size_t la = an < 0 ? std::strlen(a) : (size_t)an;
    size_t lb = bn < 0 ? std::strlen(b) : (size_t)bn;
    int bytes = std::memcmp(a, b, la < lb ? la : lb);
    if (bytes == 0)
        bytes = la < lb ? -1 : la > lb ? 1 : 0;
    if (bytes == 0)
        return 0;
    // Equal ignoring case and different with case: the texts differ in case only.
    if (noCase && SystemCmp(a, an, b, bn, false) != 0)
        return 0;
    return bytes;
}

TCmpRes CmpTexts(const char *a, const char *b, unsigned bLen, unsigned flags)
{
    bool noCase = flags & CmpNoCase;
    if (flags & CmpPrefix)
        return PrefixCmp(a, b, bLen, noCase);
    return LocaleCmp(a, -1, b, -1, noCase);
}

} // namespace

TCmpRes TStr::Compare(const char *s, unsigned flags) const
{
    if (!s)
        s = "";
    return CmpTexts(text, s, (unsigned)std::strlen(s), flags);
}

TCmpRes TStr::Compare(const BTStr &other, unsigned flags) const
{
    return CmpTexts(text, other.CStr() ? other.CStr() : "", other.Length(), flags);
}

TCmpRes Compare(const char *a, const char *b, unsigned flags)
{
    if (!a)
        return (!b || !*b) ? 0 : -1;
    if (!b)
        return *a ? 1 : 0;
    return CmpTexts(a, b, (unsigned)std::strlen(b), flags);
}

TCmpRes CmpNum(unsigned a, unsigned b)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

TCmpRes CmpChar(char a, char b, unsigned flags)
{
    if (a == b)
        return 0;
    return LocaleCmp(&a, 1, &b, 1, flags & CmpNoCase);
}

char *StrDup(const char *s)
{
    if (!s)
        return nullptr;
    size_t n = std::strlen(s) + 1;
    char *copy = static_cast<char *>(MemAlloc((unsigned)n));
    std::memcpy(copy, s, n);
    return copy;
}

unsigned CopySubStr(char *dst, const char *src, unsigned start, unsigned count)
{
    if (!dst || !src)
        return (unsigned)-1;
    size_t len = std::strlen(src);
    if (start > len)
        return (unsigned)-1;
    if (count == 0 || count > len - start)
        count = (unsigned)(len - start);
    std::memmove(dst, src + start, count);
    dst[count] = '\0';
    return count;
}

unsigned FindSubStr(const char *text, const char *what, unsigned start)
{
    if (!text || !what)
        return (unsigned)-1;
    size_t len = std::strlen(text);
    size_t w = std::strlen(what);
    for (size_t i = start; i < len; ++i) {
        if (w <= len - i && std::memcmp(text + i, what, w) == 0)
            return (unsigned)i;
    }
    return (unsigned)-1;
}
