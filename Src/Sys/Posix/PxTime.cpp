// The clock and the locale's date and time pictures for the POSIX build: GetLocalTime,
// GetTickCount, GetDateFormatA and GetTimeFormatA. Names come from the C library's locale data
// (nl_langinfo), so they are in the locale's character set, the layer's "ANSI code page".
#include "qzplat.h"

#include <langinfo.h>
#include <locale.h>
#include <time.h>

#include <string>

void GetLocalTime(LPSYSTEMTIME st)
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    time_t secs = ts.tv_sec;
    struct tm tm;
    localtime_r(&secs, &tm);
    st->wYear = (WORD)(tm.tm_year + 1900);
    st->wMonth = (WORD)(tm.tm_mon + 1);
    st->wDayOfWeek = (WORD)tm.tm_wday;
    st->wDay = (WORD)tm.tm_mday;
    st->wHour = (WORD)tm.tm_hour;
    st->wMinute = (WORD)tm.tm_min;
    // A leap second shows as second 59, as Windows never reports 60.
    st->wSecond = (WORD)(tm.tm_sec > 59 ? 59 : tm.tm_sec);
    st->wMilliseconds = (WORD)(ts.tv_nsec / 1000000);
}

DWORD GetTickCount()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    unsigned long long ms = (unsigned long long)ts.tv_sec * 1000ull + (unsigned long long)ts.tv_nsec / 1000000ull;
    return (DWORD)ms;
}

namespace {

enum TPxFmtKind { PxFmtDate, PxFmtTime };

// The locale whose names a locale id stands for, or none for an id this layer does not serve.
locale_t PxTimeLocale(LCID locale)
{
    switch (locale) {
    case LOCALE_USER_DEFAULT:
    case LOCALE_SYSTEM_DEFAULT:
        return uselocale((locale_t)0);
    case 0x0409u:
    case LOCALE_INVARIANT: {
        static locale_t cLocale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
        return cLocale;
    }
    default:
        return (locale_t)0;
    }
}

// A locale item: the process-wide locale, which uselocale reports as LC_GLOBAL_LOCALE when the
// thread has none of its own, is read with nl_langinfo, since the _l form must not be given it.
const char *PxLangInfo(nl_item item, locale_t loc)
{
    return loc == LC_GLOBAL_LOCALE ? nl_langinfo(item) : nl_langinfo_l(item, loc);
}

bool PxIsLeap(unsigned y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned PxMonthDays(unsigned y, unsigned m)
{
    static const unsigned char len[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && PxIsLeap(y) ? 29 : len[m - 1];
}

// Day of the week, 0 for Sunday (Sakamoto's method on the Gregorian calendar).
unsigned PxDayOfWeek(unsigned y, unsigned m, unsigned d)
{
    static const unsigned char t[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3)
        y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

bool PxDateOk(const SYSTEMTIME &st)
{
    return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= PxMonthDays(st.wYear, st.wMonth);
}

bool PxTimeOk(const SYSTEMTIME &st)
{
    return st.wHour <= 23 && st.wMinute <= 59 && st.wSecond <= 59 && st.wMilliseconds <= 999;
}

void PxAppendNum(std::string &out, unsigned v, int width)
{
    char num[16];
    snprintf(num, sizeof num, "%0*u", width, v);
    out += num;
}

// True when the picture holds a day number (d or dd) outside quoted text: then a full month
// name takes the genitive form.
bool PxHasDayNumber(const char *p)
{
    bool quoted = false;
    while (*p) {
        if (*p == '\'') {
            if (quoted && p[1] == '\'') {
                p += 2;
                continue;
            }
            quoted = !quoted;
            ++p;
            continue;
        }
        if (!quoted && *p == 'd') {
            size_t n = 0;
            while (p[n] == 'd')
                ++n;
            if (n <= 2)
                return true;
            p += n;
            continue;
        }
        ++p;
    }
    return false;
}

// Replaces one run of a picture letter, `n` long, by its value. Returns false for a letter
// that is no picture of this kind (the caller copies it).
bool PxPicture(std::string &out, char c, size_t n, TPxFmtKind kind, const SYSTEMTIME &st, locale_t loc,
               bool genitive)
{
    if (kind == PxFmtDate) {
        switch (c) {
        case 'd':
            if (n <= 2)
                PxAppendNum(out, st.wDay, (int)n);
            else {
                unsigned wd = PxDayOfWeek(st.wYear, st.wMonth, st.wDay);
                out += PxLangInfo((nl_item)((n == 3 ? ABDAY_1 : DAY_1) + wd), loc);
            }
            return true;
        case 'M':
            if (n <= 2)
                PxAppendNum(out, st.wMonth, (int)n);
            else if (n == 3)
                out += PxLangInfo((nl_item)(ABMON_1 + st.wMonth - 1), loc);
            else {
#ifdef ALTMON_1
                if (!genitive) {
                    out += PxLangInfo((nl_item)(ALTMON_1 + st.wMonth - 1), loc);
                    return true;
                }
#endif
                out += PxLangInfo((nl_item)(MON_1 + st.wMonth - 1), loc);
            }
            return true;
        case 'y':
            if (n <= 2)
                PxAppendNum(out, st.wYear % 100u, (int)n);
            else
                PxAppendNum(out, st.wYear, 4);
            return true;
        case 'g':
            // Gregorian calendar only; glibc locales carry no era for it.
            out += "A.D.";
            return true;
        default:
            return false;
        }
    }
    int width = n >= 2 ? 2 : 1;
    switch (c) {
    case 'h':
        PxAppendNum(out, st.wHour % 12u == 0 ? 12u : st.wHour % 12u, width);
        return true;
    case 'H':
        PxAppendNum(out, st.wHour, width);
        return true;
    case 'm':
        PxAppendNum(out, st.wMinute, width);
        return true;
    case 's':
        PxAppendNum(out, st.wSecond, width);
        return true;
    case 't': {
        const char *marker = PxLangInfo(st.wHour < 12 ? AM_STR : PM_STR, loc);
        if (width == 2)
            out += marker;
        else if (*marker)
            out += *marker;
        return true;
    }
    default:
        return false;
    }
}

int PxFormat(TPxFmtKind kind, LCID locale, DWORD flags, const SYSTEMTIME *st, LPCSTR format, LPSTR out, int size)
{
    locale_t loc = PxTimeLocale(locale);
    if (!loc || flags != 0 || !format || size < 0 || (size > 0 && !out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEMTIME now;
    if (!st) {
        GetLocalTime(&now);
        st = &now;
    }
    if (kind == PxFmtDate ? !PxDateOk(*st) : !PxTimeOk(*st)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool genitive = kind == PxFmtDate && PxHasDayNumber(format);
    std::string text;
    bool quoted = false;
    for (const char *p = format; *p;) {
        if (*p == '\'') {
            // Inside quoted text a doubled quote is one quote; anywhere else a quote opens or
            // closes quoted text, so '' outside quotes is an empty quoted text.
            if (quoted && p[1] == '\'') {
                text += '\'';
                p += 2;
            } else {
                quoted = !quoted;
                ++p;
            }
            continue;
        }
        if (quoted) {
            text += *p++;
            continue;
        }
        size_t n = 1;
        while (p[n] == *p)
            ++n;
        if (PxPicture(text, *p, n, kind, *st, loc, genitive))
            p += n;
        else
            text += *p++;
    }
    int need = (int)text.size() + 1;
    if (size == 0)
        return need;
    if (size < need) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(out, text.c_str(), (size_t)need);
    return need;
}

} // namespace

int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME *st, LPCSTR format, LPSTR out, int size)
{
    return PxFormat(PxFmtDate, locale, flags, st, format, out, size);
}

int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME *st, LPCSTR format, LPSTR out, int size)
{
    return PxFormat(PxFmtTime, locale, flags, st, format, out, size);
}
