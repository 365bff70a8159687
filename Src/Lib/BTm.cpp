// TBTm: setting and reading time values, the year table and the setters' error codes.
#include "Lib/BTm.h"

#include "qzgen.h"

#include <cmath>
#include <cstdio>

namespace {

const double NotSet = -1.0;
const double MsPerDay = 86400000.0;
const int BaseYear = 1601;
const int LastYear = 32767;  // the largest year a 16-bit year can name

// The setters' error codes, registered at the first construction of a TBTm.
enum TBTmErr { ErrDateSep, ErrTimeSep, ErrYear, ErrMonth, ErrDay, ErrHour, ErrMinute, ErrSecond, ErrMs, ErrCount };

struct TBTmCodes {
    unsigned code[ErrCount];

    TBTmCodes()
    {
        // The texts are Russian. They are registered in the ANSI code page, so that they read
        // as the rest of the system's text does, when that code page holds Cyrillic; else in
        // Windows-1251, their own code page, since a lossy conversion would make several texts
        // the same string (all question marks) and so the same registered code.
        static const char16_t *const texts[ErrCount] = {
            u"Ошибка в формате (не найден символ, разделяющий компоненты даты).",
            u"Ошибка в формате (не найден символ, разделяющий компоненты времени).",
            u"Ошибка в номере года.",
            u"Ошибка в числе месяцев.",
            u"Ошибка в числе дней.",
            u"Ошибка в числе часов.",
            u"Ошибка в числе минут.",
            u"Ошибка в числе секунд.",
            u"Ошибка в числе миллисекунд.",
        };
        for (int i = 0; i < ErrCount; ++i) {
            LPCWSTR wide = reinterpret_cast<LPCWSTR>(texts[i]);
            char ansi[256] = "";
            BOOL lossy = FALSE;
            // A UTF-8 code page takes no "default used" flag, and it loses nothing.
            if (WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, (int)sizeof ansi, NULL, &lossy) == 0) {
                lossy = FALSE;
                if (WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, (int)sizeof ansi, NULL, NULL) == 0)
                    lossy = TRUE;
            }
            if (lossy)
                WideCharToMultiByte(1251, 0, wide, -1, ansi, (int)sizeof ansi, NULL, NULL);
            code[i] = RegisterErrCode(ansi);
        }
    }
};

const TBTmCodes &BTmCodes()
{
    static const TBTmCodes codes;
    return codes;
}

unsigned BTmErr(TBTmErr e)
{
    return BTmCodes().code[e];
}

// Days from 1601-01-01 to 1 January of `year`, by the Gregorian rules; 1601 begins a 400-year
// cycle, so the leap days before it are counted from there.
int DaysBefore(int year)
{
    int n = year - BaseYear;
    return 365 * n + n / 4 - n / 100 + n / 400;
}

// The year table: one record for every year from 1601 through the local year at the first use.
class TBTmYrTbl {
public:
    TBTmYrTbl()
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        int last = now.wYear < BaseYear ? BaseYear : (now.wYear > LastYear ? LastYear : now.wYear);
        years.SetSize((unsigned)(last - BaseYear + 1));
        TBTmYr *yr = years.Items();
        int before = 0;
        for (int y = BaseYear; y <= last; ++y, ++yr) {
            yr->year = (short)y;
            yr->daysBefore = before;
            before += TBTm::IsLeapYear(y) ? 366 : 365;
        }
    }

    unsigned Count() const { return years.Count(); }
    const TBTmYr &Item(unsigned i) const { return years.Items()[i]; }

private:
    TArray<TBTmYr> years;
};

// The table is never destroyed: static objects destroyed at exit (the process log's registry
// among them) may still format time values while they stop.
const TBTmYrTbl &YrTbl()
{
    static const TBTmYrTbl *table = new TBTmYrTbl;
    return *table;
}

// Total milliseconds of a time of day; the parts are checked by the caller.
long long DayMs(int hour, int minute, int second, int ms)
{
    return ((long long)hour * 3600 + minute * 60 + second) * 1000 + ms;
}

} // namespace

bool TBTm::IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int TBTm::DaysInMonth(int year, int month)
{
    static const int len[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : len[month - 1];
}

int TBTm::DaysBeforeYear(int year)
{
    const TBTmYrTbl &tbl = YrTbl();
    unsigned i = (unsigned)(year - BaseYear);
    if (i < tbl.Count())
        return tbl.Item(i).daysBefore;
    // Beyond the table the rule gives the same sums the table holds.
    return DaysBefore(year);
}

TBTm::TBTm() : days(NotSet)
{
    BTmCodes();
}

TBTm::TBTm(TBTmNow) : TBTm()
{
    SetNow();
}

TBTm::TBTm(unsigned count, signed char hour, signed char minute, signed char second, short millisecond) : TBTm()
{
    if (count >= (unsigned)DaysBefore(LastYear + 1))
        return;
    days = count;
    SetTime(hour, minute, second, millisecond);
}

TBTm::TBTm(const SYSTEMTIME &st) : TBTm()
{
    // Calendar values beyond the setters' ranges fail there instead of wrapping into range.
    short year = st.wYear > LastYear ? (short)-1 : (short)st.wYear;
    signed char day = st.wDay > 127 ? (signed char)-1 : (signed char)st.wDay;
    if (SetDate(year, st.wMonth, day) == 0) {
        signed char hour = st.wHour > 127 ? (signed char)-1 : (signed char)st.wHour;
        signed char minute = st.wMinute > 127 ? (signed char)-1 : (signed char)st.wMinute;
        signed char second = st.wSecond > 127 ? (signed char)-1 : (signed char)st.wSecond;
        short ms = st.wMilliseconds > 32767 ? (short)-1 : (short)st.wMilliseconds;
        SetTime(hour, minute, second, ms);
    }
}

TBTm::TBTm(const TBTm &other) : TTm(), days(other.days) {}

TBTm &TBTm::operator=(const TBTm &other)
{
    days = other.days;
    return *this;
}

unsigned TBTm::SetDate(short year, int month, signed char day)
{
    int y = year;
    // Two-digit years; negative years are no years at all and fail below.
    if (y >= 0 && y < 80)
        y += 2000;
    else if (y >= 80 && y < 100)
        y += 1900;
    if (y < BaseYear)
        return BTmErr(ErrYear);
    if (month < 1 || month > 12)
        return BTmErr(ErrMonth);
    if (day < 1 || day > DaysInMonth(y, month))
        return BTmErr(ErrDay);
    int d = DaysBeforeYear(y);
    for (int m = 1; m < month; ++m)
        d += DaysInMonth(y, m);
    d += day - 1;
    double timeOfDay = days == NotSet ? 0.0 : days - std::floor(days);
    days = timeOfDay + d;
    return 0;
}

unsigned TBTm::SetTime(signed char hour, signed char minute, signed char second, short millisecond)
{
    // Negative parts would move the value into the previous day; they fail like too large ones.
    if (hour < 0 || hour > 23)
        return BTmErr(ErrHour);
    if (minute < 0 || minute > 59)
        return BTmErr(ErrMinute);
    if (second < 0 || second > 59)
        return BTmErr(ErrSecond);
    if (millisecond < 0 || millisecond > 999)
        return BTmErr(ErrMs);
    double date = days == NotSet ? 0.0 : std::trunc(days);
    days = date + (double)DayMs(hour, minute, second, millisecond) / MsPerDay;
    return 0;
}

unsigned TBTm::Set(short year, int month, signed char day, signed char hour, signed char minute, signed char second,
                   short millisecond)
{
    unsigned rc = SetDate(year, month, day);
    if (rc != 0)
        return rc;
    return SetTime(hour, minute, second, millisecond);
}

unsigned TBTm::SetNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    SetDate((short)st.wYear, st.wMonth, (signed char)st.wDay);
    return SetTime((signed char)st.wHour, (signed char)st.wMinute, (signed char)st.wSecond,
                   (short)st.wMilliseconds);
}

void TBTm::SetInvalid()
{
    days = NotSet;
}

TRes TBTm::Check() const
{
    TRes res;
    if (days == NotSet)
        res.Set(ERROR_INVALID_PARAMETER);
    return res;
}

bool TBTm::IsValid() const
{
    return Check().IsOk();
}

bool TBTm::IsAfter(const TBTm &other) const
{
    return days != NotSet && other.days != NotSet && days > other.days;
}

void TBTm::GetDate(short *year, int *month, signed char *day) const
{
    int y = 1600, m = 12, d = 31;
    if (days != NotSet) {
        int whole = (int)std::trunc(days);
        // The year: first estimated, then corrected so that its first day is not after the
        // value and the next year's first day is.
        y = BaseYear + (int)((double)whole / 365.2425);
        while (y > BaseYear && DaysBeforeYear(y) > whole)
            --y;
        while (DaysBeforeYear(y + 1) <= whole)
            ++y;
        int before = DaysBeforeYear(y);
        m = 1;
        while (m < 12 && before + DaysInMonth(y, m) <= whole)
            before += DaysInMonth(y, m++);
        d = whole - before + 1;
    }
    if (year)
        *year = (short)y;
    if (month)
        *month = m;
    if (day)
        *day = (signed char)d;
}

void TBTm::GetTime(signed char *hour, signed char *minute, signed char *second, short *millisecond) const
{
    long long t = 0;
    if (days != NotSet) {
        t = std::llround((days - std::trunc(days)) * MsPerDay);
        // A fraction a hair below the next day must not read as 24:00:00.000.
        if (t >= (long long)MsPerDay)
            t = (long long)MsPerDay - 1;
    }
    if (hour)
        *hour = (signed char)(t / 3600000);
    if (minute)
        *minute = (signed char)(t % 3600000 / 60000);
    if (second)
        *second = (signed char)(t % 60000 / 1000);
    if (millisecond)
        *millisecond = (short)(t % 1000);
}

short TBTm::Year() const
{
    short y;
    GetDate(&y, nullptr, nullptr);
    return y;
}

int TBTm::Month() const
{
    int m;
    GetDate(nullptr, &m, nullptr);
    return m;
}

signed char TBTm::Day() const
{
    signed char d;
    GetDate(nullptr, nullptr, &d);
    return d;
}

signed char TBTm::Hour() const
{
    signed char h;
    GetTime(&h, nullptr, nullptr, nullptr);
    return h;
}

signed char TBTm::Minute() const
{
    signed char m;
    GetTime(nullptr, &m, nullptr, nullptr);
    return m;
}

signed char TBTm::Second() const
{
    signed char s;
    GetTime(nullptr, nullptr, &s, nullptr);
    return s;
}

short TBTm::Millisecond() const
{
    short ms;
    GetTime(nullptr, nullptr, nullptr, &ms);
    return ms;
}

SYSTEMTIME TBTm::ToSystemTime() const
{
    short y;
    int m;
    signed char d, hh, mm, ss;
    short ms;
    GetDate(&y, &m, &d);
    GetTime(&hh, &mm, &ss, &ms);
    SYSTEMTIME st;
    st.wYear = (WORD)y;
    st.wMonth = (WORD)m;
    // 1601-01-01 was a Monday; a value that is not set stands for 1600-12-31, a Sunday.
    long long whole = days == NotSet ? -1 : (long long)std::trunc(days);
    st.wDayOfWeek = (WORD)((whole + 1) % 7);
    st.wDay = (WORD)d;
    st.wHour = (WORD)hh;
    st.wMinute = (WORD)mm;
    st.wSecond = (WORD)ss;
    st.wMilliseconds = (WORD)ms;
    return st;
}

TStr TBTm::ToStr() const
{
    TStr s;
    if (!(days > 0))
        return s;
    short y;
    int m;
    signed char d, hh, mm, ss;
    GetDate(&y, &m, &d);
    GetTime(&hh, &mm, &ss, nullptr);
    s.Format("%04d-%02d-%02d %02d:%02d:%02d", y, m, d, hh, mm, ss);
    return s;
}
