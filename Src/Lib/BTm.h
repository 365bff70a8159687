// Time values: a local date and time of day with milliseconds, kept as one floating-point
// number of days since 1601-01-01 00:00:00.000 local time, and its text forms.
#pragma once

#include "Lib/BStr.h"
#include "Lib/Res.h"

// The abstract time value that TBTm implements.
class TTm : public TQzBsMem {
public:
    ~TTm() override {}

    // Sets date and time; 0 or the registered code of the first bad part.
    virtual unsigned Set(short year, int month, signed char day, signed char hour, signed char minute,
                         signed char second, short millisecond) = 0;
    // "YYYY-MM-DD hh:mm:ss", or the empty string for a value that is not set.
    virtual TStr ToStr() const = 0;
    // Success when the value is set, 87 when it is not.
    virtual TRes Check() const = 0;
    virtual short Year() const = 0;
    virtual int Month() const = 0;
    virtual signed char Day() const = 0;
    virtual signed char Hour() const = 0;
    virtual signed char Minute() const = 0;
    virtual signed char Second() const = 0;
    virtual short Millisecond() const = 0;
};

// One record of the year table: a year and the days from 1601-01-01 to its 1 January.
struct TBTmYr {
    short year;
    int daysBefore;
};

// Tag of the constructor that reads the clock.
enum TBTmNow { BTmNow };

// A local date and time with milliseconds. The whole part of `days` counts days since
// 1601-01-01, the fraction is the time of day (0.5 is noon); exactly -1.0 means "not set".
//
// The first construction registers the nine error texts of the setters (all Russian, in the
// ANSI code page) with RegisterErrCode; the codes are consecutive, in the order "no date
// separator", "no time separator", year, month, day, hour, minute, second, millisecond. The
// setters return them and never throw; a failed setter leaves the value unchanged.
class TBTm : public TTm {
public:
    // Not set.
    TBTm();
    // Not set, then SetNow.
    explicit TBTm(TBTmNow);
    // Day count `days` (0 is 1601-01-01), then SetTime. A count beyond 32767-12-31, the last
    // day that the calendar values can name, leaves the value not set.
    explicit TBTm(unsigned days, signed char hour = 0, signed char minute = 0, signed char second = 0,
                  short millisecond = 0);
    // Not set, then SetDate and, if that succeeded, SetTime; the day of the week is ignored.
    explicit TBTm(const SYSTEMTIME &st);
    TBTm(const TBTm &other);
    TBTm &operator=(const TBTm &other);
    ~TBTm() override {}

    // Years 0 to 79 mean 2000 to 2079 and 80 to 99 mean 1980 to 1999. Fails with the year code
    // below 1601 (negative years included), then the month code outside 1 to 12, then the day
    // code outside the month. Keeps the time of day.
    unsigned SetDate(short year, int month, signed char day);
    // Fails with the hour, minute, second or millisecond code (checked in this order) for a
    // part outside 0-23, 0-59, 0-59, 0-999. Keeps the date (1601-01-01 for a value not set).
    unsigned SetTime(signed char hour, signed char minute, signed char second, short millisecond);
    unsigned Set(short year, int month, signed char day, signed char hour, signed char minute,
                 signed char second, short millisecond) override;
    // The local clock's date and time; the result of SetTime.
    unsigned SetNow();
    void SetInvalid();

    TRes Check() const override;
    bool IsValid() const;
    // True when both values are set and this one is later.
    bool IsAfter(const TBTm &other) const;

    // Calendar parts; each pointer may be null. A value that is not set gives 1600-12-31 and
    // 00:00:00.000.
    void GetDate(short *year, int *month, signed char *day) const;
    void GetTime(signed char *hour, signed char *minute, signed char *second, short *millisecond) const;
    short Year() const override;
    int Month() const override;
    signed char Day() const override;
    signed char Hour() const override;
    signed char Minute() const override;
    signed char Second() const override;
    short Millisecond() const override;
    // The calendar record of the value, the day of the week included.
    SYSTEMTIME ToSystemTime() const;

    TStr ToStr() const override;
    // The value formatted by `pattern` with the date and time pictures of the operating
    // system's locale formatting (GetDateFormatA, GetTimeFormatA) for `locale`, plus ii
    // (milliseconds, three digits) and i (milliseconds without leading zeros). Text in single
    // quotes is literal ('' gives one quote). Text that the pictures produce (day and month
    // names, AM/PM designators) is never read again as pictures. A value that is not set, or a
    // picture the locale formatting rejects, gives the empty string.
    TStr Format(const char *pattern, LCID locale) const;

    // Calendar rules.
    static bool IsLeapYear(int year);
    static int DaysInMonth(int year, int month);
    // Days from 1601-01-01 to 1 January of `year` (year >= 1601).
    static int DaysBeforeYear(int year);

private:
    double days;
};
