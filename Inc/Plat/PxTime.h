// POSIX build: the clock and the locale's date and time formatting. Included only through
// qzplat.h.
//
// Local time comes from clock_gettime and localtime_r, so it follows TZ as the C library does.
// The formatting functions serve the picture letters of Windows' date and time pictures with
// the day and month names, the AM/PM designators and the era of a locale:
//   LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT: the LC_TIME category of the process locale,
//     whose texts are in the "ANSI code page" (the locale's character set);
//   0x0409 (English, United States) and LOCALE_INVARIANT: the C locale's English names, so
//     that a caller can ask for fixed texts whatever the process locale is.
// Any other locale id fails with ERROR_INVALID_PARAMETER.
#pragma once

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek; // 0 is Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

// The local date and time, with milliseconds and the day of the week.
void GetLocalTime(LPSYSTEMTIME st);

// Milliseconds since an arbitrary fixed point (the monotonic clock), wrapping at 2^32 as the
// Windows count does after 49.7 days.
DWORD GetTickCount();

// Formats the date of `st` by the picture `format`:
//   d, dd       day of the month without / with a leading zero;
//   ddd, dddd   abbreviated / full day name (more than four d count as dddd);
//   M, MM       month number without / with a leading zero;
//   MMM, MMMM   abbreviated / full month name (more than four M count as MMMM); the full name
//               takes the locale's genitive form when the picture also holds a day number
//               (d or dd), as "17 мая" in Russian, else the standalone form;
//   y, yy       year of the century without / with a leading zero; yyy and longer: full year;
//   g, gg       the era ("A.D.").
// Text between single quotes is copied without the quotes; inside it two single quotes give
// one single quote (outside it they are an empty quoted text, as in Windows); a quote left open
// runs to the end. Every other
// character, time pictures included, is copied. The day of the week is computed from the date:
// the wDayOfWeek member is not read. `flags` must be 0. `st` null means the current local
// time. A null `format` (the locale's default picture) is not served: ERROR_INVALID_PARAMETER.
// With `size` 0 returns the number of characters needed, terminator included, and writes
// nothing; otherwise writes the terminated text and returns its length plus one, or 0 with
// ERROR_INSUFFICIENT_BUFFER when it does not fit. A date outside 1601-01-01 to 30827-12-31 or
// not in the calendar fails with ERROR_INVALID_PARAMETER.
int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME *st, LPCSTR format, LPSTR out, int size);

// Formats the time of `st` by the picture `format` with the same quoting and size rules:
//   h, hh       hour on the 12-hour clock (1 to 12) without / with a leading zero;
//   H, HH       hour on the 24-hour clock without / with a leading zero;
//   m, mm       minute; s, ss second (without / with a leading zero);
//   t, tt       first character of / whole AM or PM designator (empty in locales without one).
// A picture letter repeated more than twice counts as the two-letter picture. The date
// members of `st` are not read. A time outside 00:00:00.000 to 23:59:59.999 fails with
// ERROR_INVALID_PARAMETER.
int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME *st, LPCSTR format, LPSTR out, int size);
