// Code-page conversion (iconv), locale-aware comparison and the user's language for the POSIX
// build.
#include "qzplat.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <iconv.h>
#include <langinfo.h>
#include <string>

namespace {

// Sets up the process locale once. Called before every text operation and from a static
// initializer, so the locale is in place whether or not anything converts text before main.
void PxLocaleInit()
{
    static const bool done = [] {
        std::setlocale(LC_ALL, "");
        std::setlocale(LC_NUMERIC, "C");
        // The bare C locale is 7-bit; its text is taken as UTF-8 (see PxText.h), so the
        // character functions should read it as UTF-8 too.
        const char *cs = nl_langinfo(CODESET);
        if (!cs || !std::strcmp(cs, "ANSI_X3.4-1968") || !std::strcmp(cs, "ASCII"))
            std::setlocale(LC_CTYPE, "C.UTF-8");
        return true;
    }();
    (void)done;
}

const bool localeReady = (PxLocaleInit(), true);

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
const char Utf16Name[] = "UTF-16BE";
#else
const char Utf16Name[] = "UTF-16LE";
#endif

// The iconv name of a Windows code page, or an empty text for a code page we cannot serve.
std::string CharsetOf(UINT codePage)
{
    PxLocaleInit();
    if (codePage == CP_ACP || codePage == CP_OEMCP) {
        const char *cs = nl_langinfo(CODESET);
        if (!cs || !*cs || !std::strcmp(cs, "ANSI_X3.4-1968") || !std::strcmp(cs, "ASCII"))
            return "UTF-8";
        return cs;
    }
    if (codePage == CP_UTF8)
        return "UTF-8";
    if (codePage < 37 || codePage > 65535)
        return std::string();
    return "CP" + std::to_string(codePage);
}

// One iconv conversion of a whole input. `onBad` is called with the offending input position
// for an invalid or unconvertible sequence; it appends its replacement to `out` and returns the
// number of input bytes to skip, or 0 to give up. Returns false on a failure (last error set).
template <typename FBad>
bool Convert(const std::string &to, const std::string &from, const char *in, size_t inLen, std::string &out,
             FBad onBad)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == (iconv_t)-1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    char chunk[512];
    char *inPtr = const_cast<char *>(in);
    size_t inLeft = inLen;
    bool ok = true;
    while (inLeft > 0) {
        char *outPtr = chunk;
        size_t outLeft = sizeof chunk;
        size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(chunk, outPtr - chunk);
        if (r != (size_t)-1)
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (a sequence cut off at the end): replace and skip.
        size_t skip = onBad(inPtr, inLeft);
        if (skip == 0 || skip > inLeft) {
            ok = false;
            break;
        }
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return ok;
}

// Copies a converted text to the caller's buffer by the Windows rules: size query with a
// zero-length buffer, ERROR_INSUFFICIENT_BUFFER when it does not fit.
template <typename TCh>
int Deliver(const TCh *data, size_t n, TCh *dst, int dstLen)
{
    if (n > 0x7fffffff) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (dstLen == 0)
        return (int)n;
    if (n > (size_t)dstLen) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, data, n * sizeof(TCh));
    return (int)n;
}

// Decodes text of the locale's character set to wide characters. Bytes that do not form a
// character become distinct values in a private-use range, so identical texts stay identical.
std::wstring Decode(const char *s, size_t n, bool fold)
{
    std::wstring w;
    std::mbstate_t st{};
    size_t i = 0;
    while (i < n) {
        wchar_t wc;
        size_t r = std::mbrtowc(&wc, s + i, n - i, &st);
        if (r == (size_t)-1 || r == (size_t)-2) {
            wc = (wchar_t)(0xF700 + (unsigned char)s[i]);
            r = 1;
            st = std::mbstate_t{};
        } else if (r == 0) {
            r = 1; // an embedded null counts as one character
        }
        w.push_back(fold ? (wchar_t)std::towlower((wint_t)wc) : wc);
        i += r;
    }
    return w;
}

// wcscoll stops at a null character, so texts are collated piece by piece between nulls.
int Collate(const std::wstring &a, const std::wstring &b)
{
    size_t pa = 0, pb = 0;
    for (;;) {
        int r = std::wcscoll(a.c_str() + pa, b.c_str() + pb);
        if (r != 0)
            return r;
        pa += std::wcslen(a.c_str() + pa) + 1;
        pb += std::wcslen(b.c_str() + pb) + 1;
        bool endA = pa > a.size(), endB = pb > b.size();
        if (endA || endB)
            return endA == endB ? 0 : (endA ? -1 : 1);
    }
}

} // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen)
{
    if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst) ||
        (flags & ~(DWORD)MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string from = CharsetOf(codePage);
    if (from.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srcLen == -1 ? std::strlen(src) + 1 : (size_t)srcLen;
    bool strict = flags & MB_ERR_INVALID_CHARS;
    std::string out;
    bool ok = Convert(Utf16Name, from, src, n, out, [&](const char *, size_t) -> size_t {
        if (strict)
            return 0;
        char16_t repl = 0xFFFD;
        out.append(reinterpret_cast<const char *>(&repl), sizeof repl);
        return 1;
    });
    if (!ok) {
        if (strict)
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(reinterpret_cast<const WCHAR *>(out.data()), out.size() / sizeof(WCHAR), dst, dstLen);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, LPBOOL usedDefault)
{
    if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst) || flags != 0 ||
        (codePage == CP_UTF8 && (defaultChar || usedDefault))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string to = CharsetOf(codePage);
    if (to.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = 0;
    if (srcLen == -1) {
        while (src[n])
            ++n;
        ++n;
    } else {
        n = (size_t)srcLen;
    }
    bool utf8 = to == "UTF-8";
    if (usedDefault)
        *usedDefault = FALSE;
    std::string out;
    bool ok = Convert(to, Utf16Name, reinterpret_cast<const char *>(src), n * sizeof(WCHAR), out,
                      [&](const char *at, size_t left) -> size_t {
                          if (left < sizeof(WCHAR))
                              return left;
                          WCHAR u[2] = {0, 0};
                          std::memcpy(u, at, left >= 2 * sizeof(WCHAR) ? 2 * sizeof(WCHAR) : sizeof(WCHAR));
                          bool pair = u[0] >= 0xD800 && u[0] < 0xDC00 && u[1] >= 0xDC00 && u[1] < 0xE000 &&
                                      left >= 2 * sizeof(WCHAR);
                          if (utf8 && !defaultChar)
                              out.append("\xEF\xBF\xBD");
                          else
                              out.push_back(defaultChar ? *defaultChar : '?');
                          if (usedDefault)
                              *usedDefault = TRUE;
                          return (pair ? 2 : 1) * sizeof(WCHAR);
                      });
    if (!ok)
        return 0;
    return Deliver(out.data(), out.size(), dst, dstLen);
}

int CompareStringA(LCID, DWORD flags, LPCSTR a, int aLen, LPCSTR b, int bLen)
{
    if (!a || !b || aLen < -1 || bLen < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    PxLocaleInit();
    bool fold = flags & NORM_IGNORECASE;
    std::wstring wa = Decode(a, aLen == -1 ? std::strlen(a) : (size_t)aLen, fold);
    std::wstring wb = Decode(b, bLen == -1 ? std::strlen(b) : (size_t)bLen, fold);
    int r = Collate(wa, wb);
    if (r == 0)
        r = wa.compare(wb);
    return r < 0 ? CSTR_LESS_THAN : r > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

BOOL CharToOemBuffA(LPCSTR src, LPSTR dst, DWORD len)
{
    if (!src || !dst) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (src != dst)
        std::memmove(dst, src, len);
    return TRUE;
}

LANGID GetUserDefaultLangID()
{
    const char *names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char *name : names) {
        const char *v = std::getenv(name);
        if (v && *v)
            return (v[0] == 'r' && v[1] == 'u') ? MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)
                                                : MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);
    }
    return MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);
}
