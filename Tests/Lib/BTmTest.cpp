// Time values: setting, reading back, the fixed text form, pattern formatting and the setters'
// registered error codes.
#include "Lib/BTm.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Day counts from 1601-01-01, worked out independently of the class (1970-01-01 is the
// well-known 134774 days, 11644473600 seconds, after the start of 1601).
const unsigned Day1970 = 134774;
const unsigned Day20000301 = 145791;
const unsigned Day20240517 = 154634;
const unsigned Day20240305 = 154561;
const unsigned DayLast = 11383511; // 32767-12-31

struct TCal {
    int year, month, day, hour, minute, second, ms;
};

TCal Parts(const TBTm &t)
{
    short y;
    int m;
    signed char d, hh, mm, ss;
    short ms;
    t.GetDate(&y, &m, &d);
    t.GetTime(&hh, &mm, &ss, &ms);
    return TCal{y, m, d, hh, mm, ss, ms};
}

void ExpectParts(const TCal &want, const TBTm &t)
{
    TCal got = Parts(t);
    EXPECT_EQ(want.year, got.year);
    EXPECT_EQ(want.month, got.month);
    EXPECT_EQ(want.day, got.day);
    EXPECT_EQ(want.hour, got.hour);
    EXPECT_EQ(want.minute, got.minute);
    EXPECT_EQ(want.second, got.second);
    EXPECT_EQ(want.ms, got.ms);
}

// The registered codes follow each other in the order of the texts; the year code (third) is
// the one SetDate returns for a year before 1601.
unsigned CodeOf(int order)
{
    TBTm t;
    return t.SetDate(1600, 1, 1) + (unsigned)(order - 3);
}

TBTm Sample()
{
    TBTm t;
    EXPECT_EQ(0u, t.Set(2024, 5, 17, 13, 45, 9, 45));
    return t;
}

TEST(BTm, SetDate)
{
    struct TCase {
        int year, month, day;
        int errOrder; // 0: success, else the order of the expected error text
        int wantYear;
    };
    const TCase cases[] = {
        {24, 5, 17, 0, 2024},   {85, 5, 17, 0, 1985},   {0, 1, 1, 0, 2000},     {79, 1, 1, 0, 2079},
        {80, 1, 1, 0, 1980},    {99, 12, 31, 0, 1999},  {1601, 1, 1, 0, 1601},  {2024, 2, 29, 0, 2024},
        {2000, 2, 29, 0, 2000}, {1600, 1, 1, 3, 0},     {100, 1, 1, 3, 0},      {-5, 1, 1, 3, 0},
        {2024, 13, 1, 4, 0},    {2024, 0, 1, 4, 0},     {1600, 13, 0, 3, 0},    {2023, 2, 29, 5, 0},
        {1900, 2, 29, 5, 0},    {2024, 4, 31, 5, 0},    {2024, 1, 0, 5, 0},     {2024, 1, -1, 5, 0},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        TBTm t(Day1970, 6, 7, 8, 9);
        unsigned rc = t.SetDate((short)c.year, c.month, (signed char)c.day);
        if (c.errOrder) {
            EXPECT_EQ(CodeOf(c.errOrder), rc);
            ExpectParts({1970, 1, 1, 6, 7, 8, 9}, t);
        } else {
            EXPECT_EQ(0u, rc);
            ExpectParts({c.wantYear, c.month, c.day, 6, 7, 8, 9}, t);
        }
    }
}

TEST(BTm, SetTime)
{
    struct TCase {
        int hour, minute, second, ms;
        int errOrder;
    };
    const TCase cases[] = {
        {23, 59, 59, 999, 0}, {0, 0, 0, 0, 0},     {12, 0, 0, 500, 0},    {24, 0, 0, 0, 6},
        {0, 60, 0, 0, 7},     {0, 0, 60, 0, 8},    {0, 0, 0, 1000, 9},    {24, 60, 60, 1000, 6},
        {0, 60, 60, 1000, 7}, {-1, 0, 0, 0, 6},    {0, -1, 0, 0, 7},      {0, 0, -1, 0, 8},
        {0, 0, 0, -1, 9},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.hour) + ":" + std::to_string(c.minute) + ":" + std::to_string(c.second) +
                     "." + std::to_string(c.ms));
        TBTm t(Day20000301, 1, 2, 3, 4);
        unsigned rc = t.SetTime((signed char)c.hour, (signed char)c.minute, (signed char)c.second, (short)c.ms);
        if (c.errOrder) {
            EXPECT_EQ(CodeOf(c.errOrder), rc);
            ExpectParts({2000, 3, 1, 1, 2, 3, 4}, t);
        } else {
            EXPECT_EQ(0u, rc);
            ExpectParts({2000, 3, 1, c.hour, c.minute, c.second, c.ms}, t);
        }
    }
    // On a value that is not set the date becomes 1601-01-01.
    TBTm unset;
    EXPECT_EQ(0u, unset.SetTime(10, 20, 30, 40));
    ExpectParts({1601, 1, 1, 10, 20, 30, 40}, unset);
    // Set reports the date's failure before looking at the time.
    TBTm t;
    EXPECT_EQ(CodeOf(5), t.Set(2023, 2, 29, 24, 0, 0, 0));
    EXPECT_EQ(CodeOf(6), t.Set(2023, 2, 28, 24, 0, 0, 0));
    ExpectParts({2023, 2, 28, 0, 0, 0, 0}, t);
}

TEST(BTm, DayCountsAndCalendarRecords)
{
    struct TCase {
        unsigned days;
        TCal want;
        int dayOfWeek;
    };
    const TCase cases[] = {
        {0, {1601, 1, 1, 0, 0, 0, 0}, 1},
        {364, {1601, 12, 31, 0, 0, 0, 0}, 1},
        {365, {1602, 1, 1, 0, 0, 0, 0}, 2},
        {Day1970, {1970, 1, 1, 0, 0, 0, 0}, 4},
        {Day20000301 - 1, {2000, 2, 29, 0, 0, 0, 0}, 2},
        {Day20000301, {2000, 3, 1, 0, 0, 0, 0}, 3},
        {Day20240517, {2024, 5, 17, 0, 0, 0, 0}, 5},
        {DayLast, {32767, 12, 31, 0, 0, 0, 0}, -1},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.days);
        TBTm t(c.days);
        ExpectParts(c.want, t);
        SYSTEMTIME st = t.ToSystemTime();
        if (c.dayOfWeek >= 0) {
            EXPECT_EQ(c.dayOfWeek, (int)st.wDayOfWeek);
        }
        // The calendar record leads back to the same value.
        TBTm back(st);
        EXPECT_FALSE(back.IsAfter(t));
        EXPECT_FALSE(t.IsAfter(back));
        ExpectParts(c.want, back);
    }
    // Beyond the last day a 16-bit year can name, the value stays unset.
    EXPECT_FALSE(TBTm(DayLast + 1).IsValid());
    EXPECT_FALSE(TBTm(0xFFFFFFFFu).IsValid());

    // A calendar record with a bad date stays unset; one with a bad time keeps its date.
    SYSTEMTIME badDate = {2023, 2, 0, 29, 1, 2, 3, 4};
    EXPECT_FALSE(TBTm(badDate).IsValid());
    SYSTEMTIME badTime = {2023, 2, 0, 28, 24, 2, 3, 4};
    ExpectParts({2023, 2, 28, 0, 0, 0, 0}, TBTm(badTime));
    SYSTEMTIME hugeYear = {65535, 1, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(TBTm(hugeYear).IsValid());
}

TEST(BTm, CalendarRules)
{
    struct TLeap {
        int year;
        bool leap;
    };
    const TLeap leaps[] = {{1601, false}, {1604, true}, {1700, false}, {1900, false}, {2000, true}, {2024, true},
                           {2100, false}, {2400, true}};
    for (const TLeap &l : leaps) {
        SCOPED_TRACE(l.year);
        EXPECT_EQ(l.leap, TBTm::IsLeapYear(l.year));
        EXPECT_EQ(l.leap ? 29 : 28, TBTm::DaysInMonth(l.year, 2));
    }
    EXPECT_EQ(0, TBTm::DaysBeforeYear(1601));
    EXPECT_EQ(365, TBTm::DaysBeforeYear(1602));
    EXPECT_EQ((int)Day1970, TBTm::DaysBeforeYear(1970));
    EXPECT_EQ(146097, TBTm::DaysBeforeYear(2001));
    EXPECT_EQ((int)DayLast + 1, TBTm::DaysBeforeYear(32768));
    // Across the end of the year table (the current year) the sums go on without a seam.
    SYSTEMTIME now;
    GetLocalTime(&now);
    for (int y = now.wYear - 3; y <= now.wYear + 3; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(TBTm::IsLeapYear(y) ? 366 : 365, TBTm::DaysBeforeYear(y + 1) - TBTm::DaysBeforeYear(y));
    }
}

TEST(BTm, NotSet)
{
    TBTm t;
    ExpectParts({1600, 12, 31, 0, 0, 0, 0}, t);
    EXPECT_STREQ("", t.ToStr().CStr());
    EXPECT_STREQ("", t.Format("dd.MM.yyyy HH:mm:ss.ii", LOCALE_USER_DEFAULT).CStr());
    TRes res = t.Check();
    EXPECT_EQ(87u, res.Code());
    EXPECT_TRUE(res.IsError());
    EXPECT_FALSE(t.IsValid());

    TBTm set = Sample();
    EXPECT_TRUE(set.Check().IsOk());
    EXPECT_EQ(0u, set.Check().Code());
    set.SetInvalid();
    EXPECT_FALSE(set.IsValid());
    ExpectParts({1600, 12, 31, 0, 0, 0, 0}, set);
}

TEST(BTm, SettersKeepTheOtherHalf)
{
    TBTm t = Sample();
    EXPECT_EQ(0u, t.SetDate(2000, 3, 1));
    ExpectParts({2000, 3, 1, 13, 45, 9, 45}, t);
    EXPECT_EQ(0u, t.SetTime(0, 0, 0, 1));
    ExpectParts({2000, 3, 1, 0, 0, 0, 1}, t);
    TBTm copy(t);
    ExpectParts({2000, 3, 1, 0, 0, 0, 1}, copy);
    TBTm assigned;
    assigned = Sample();
    ExpectParts({2024, 5, 17, 13, 45, 9, 45}, assigned);
    // The getters of the interface read the same parts.
    const TTm &tm = assigned;
    EXPECT_EQ(2024, tm.Year());
    EXPECT_EQ(5, tm.Month());
    EXPECT_EQ(17, tm.Day());
    EXPECT_EQ(13, tm.Hour());
    EXPECT_EQ(45, tm.Minute());
    EXPECT_EQ(9, tm.Second());
    EXPECT_EQ(45, tm.Millisecond());
}

TEST(BTm, IsAfter)
{
    TBTm early(Day1970, 0, 0, 0, 0), late(Day1970, 0, 0, 0, 1), unset;
    struct TCase {
        const char *name;
        const TBTm &a, &b;
        bool want;
    };
    const TCase cases[] = {
        {"later", late, early, true},       {"earlier", early, late, false}, {"same", late, late, false},
        {"other unset", late, unset, false}, {"this unset", unset, early, false}, {"both unset", unset, unset, false},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.want, c.a.IsAfter(c.b));
    }
}

TEST(BTm, SetNowReadsTheLocalClock)
{
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    TBTm now(BTmNow);
    GetLocalTime(&after);
    ASSERT_TRUE(now.IsValid());
    EXPECT_FALSE(TBTm(before).IsAfter(now));
    EXPECT_FALSE(now.IsAfter(TBTm(after)));
    TBTm again;
    EXPECT_EQ(0u, again.SetNow());
    EXPECT_FALSE(now.IsAfter(again));
}

TEST(BTm, ToStr)
{
    struct TCase {
        TBTm t;
        const char *want;
    };
    const TCase cases[] = {
        {Sample(), "2024-05-17 13:45:09"},
        {TBTm(0), ""},
        {TBTm(0, 0, 0, 0, 1), "1601-01-01 00:00:00"},
        {TBTm(Day20000301 - 1, 23, 59, 59, 999), "2000-02-29 23:59:59"},
        {TBTm(DayLast, 23, 59, 59, 999), "32767-12-31 23:59:59"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_STREQ(c.want, c.t.ToStr().CStr());
    }
}

TEST(BTm, FormatNumbersAndMilliseconds)
{
    struct TCase {
        const char *pattern;
        const char *want;
    };
    const TCase cases[] = {
        {"dd.MM.yyyy HH:mm:ss.ii", "17.05.2024 13:45:09.045"},
        {"yyyyMMdd-HHmmssii", "20240517-134509045"},
        {"s.i", "9.45"},
        {"iii", "04545"},
        {"d/M/yy h:m tt", "17/5/24 1:45 PM"},
        {"'ii i' ii", "ii i 045"},
        {"'HH:mm' HH:mm", "HH:mm 13:45"},
        {"'it''s' HH", "it's 13"},
        {"HH''mm", "13'45"},
        {"'open ii", "open ii"},
        {"[dd] <ss>", "[17] <09>"},
        {"", ""},
    };
    TBTm t = Sample();
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_STREQ(c.want, t.Format(c.pattern, 0x0409).CStr());
    }
    EXPECT_STREQ("17.05.2024 13:45:09.045", t.Format("dd.MM.yyyy HH:mm:ss.ii", LOCALE_USER_DEFAULT).CStr());
    TBTm small(Day1970, 0, 0, 0, 7);
    EXPECT_STREQ("007 7", small.Format("ii i", LOCALE_USER_DEFAULT).CStr());
}

// Names produced by the date pictures are text, not pictures: the "s" of Tuesday, the "h" of
// March and the "i" of Friday stay letters.
TEST(BTm, FormatNamesStayText)
{
    struct TCase {
        unsigned days;
        const char *pattern;
        const char *want;
    };
    const TCase cases[] = {
        {Day20240305, "dddd, MMMM d: h:mm tt", "Tuesday, March 5: 7:08 AM"},
        {Day20240517, "dddd ii", "Friday 001"},
        {Day20240517, "ddd MMM ss", "Fri May 09"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.pattern);
        TBTm t(c.days, 7, 8, 9, 1);
        EXPECT_STREQ(c.want, t.Format(c.pattern, 0x0409).CStr());
    }
}

// The registered texts are in the ANSI code page when it holds Cyrillic, else in
// Windows-1251: decoding one of the two must give the expected text.
bool DecodesTo(const char *text, const char16_t *want)
{
    for (UINT cp : {(UINT)CP_ACP, 1251u}) {
        WCHAR buf[256];
        int n = MultiByteToWideChar(cp, 0, text, -1, buf, 256);
        if (n > 0 && std::u16string(reinterpret_cast<const char16_t *>(buf)) == want)
            return true;
    }
    return false;
}

TEST(BTm, RegisteredErrorTexts)
{
    const char16_t *const texts[] = {
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
    unsigned first = CodeOf(1);
    EXPECT_EQ(0x20000000u, first & 0x20000000u);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i + 1);
        TStr text = ErrorText(first + (unsigned)i);
        EXPECT_TRUE(DecodesTo(text.CStr(), texts[i])) << text.CStr();
        // Registering a text again gives the code it got first.
        EXPECT_EQ(first + (unsigned)i, RegisterErrCode(text.CStr()));
    }
    // Later constructions register nothing new.
    TBTm more, another(Day1970);
    EXPECT_EQ(first, CodeOf(1));
    EXPECT_STREQ("", ErrorText(first + 9).CStr());
}

} // namespace
