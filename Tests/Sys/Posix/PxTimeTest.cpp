// The POSIX clock and the date and time pictures.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <locale.h>
#include <time.h>

#include <string>

namespace {

// Friday, 2024-05-17 13:45:09.045; the day-of-week member is deliberately wrong, since the
// formatter must compute it from the date.
SYSTEMTIME Sample()
{
    SYSTEMTIME st = {2024, 5, 3, 17, 13, 45, 9, 45};
    return st;
}

std::string DateText(LCID lcid, const SYSTEMTIME &st, const char *pic)
{
    char buf[256];
    int n = GetDateFormatA(lcid, 0, &st, pic, buf, (int)sizeof buf);
    return n > 0 ? std::string(buf) : std::string("<failed ") + std::to_string(GetLastError()) + ">";
}

std::string TimeText(LCID lcid, const SYSTEMTIME &st, const char *pic)
{
    char buf[256];
    int n = GetTimeFormatA(lcid, 0, &st, pic, buf, (int)sizeof buf);
    return n > 0 ? std::string(buf) : std::string("<failed ") + std::to_string(GetLastError()) + ">";
}

struct TPicCase {
    const char *pic;
    const char *want;
};

TEST(PxTime, DatePicturesInEnglish)
{
    const TPicCase cases[] = {
        {"d/dd/ddd/dddd", "17/17/Fri/Friday"},
        {"M/MM/MMM/MMMM", "5/05/May/May"},
        {"y/yy/yyyy", "24/24/2024"},
        {"gg yyyy", "A.D. 2024"},
        {"dd.MM.yyyy HH:mm:ss.ii", "17.05.2024 HH:mm:ss.ii"},
        {"yyyyMMdd-HHmmssii", "20240517-HHmmssii"},
        {"'dd' dd", "dd 17"},
        {"d''d", "1717"},
        {"'it''s' d", "it's 17"},
        {"'''d'''", "'d'"},
        {"d 'open to the end MM", "17 open to the end MM"},
        {"ddddd MMMMM yyyyy", "Friday May 2024"},
        {"", ""},
    };
    SYSTEMTIME st = Sample();
    for (const TPicCase &c : cases) {
        SCOPED_TRACE(c.pic);
        EXPECT_EQ(c.want, DateText(0x0409, st, c.pic));
    }
    SYSTEMTIME single = {2009, 1, 0, 3, 0, 0, 0, 0};
    EXPECT_EQ("3 1 9 09 Sat January", DateText(0x0409, single, "d M y yy ddd MMMM"));
}

TEST(PxTime, TimePicturesInEnglish)
{
    struct TTmCase {
        WORD hour, minute, second;
        const char *pic;
        const char *want;
    };
    const TTmCase cases[] = {
        {13, 45, 9, "h hh H HH m mm s ss t tt", "1 01 13 13 45 45 9 09 P PM"},
        {0, 5, 0, "h:mm tt", "12:05 AM"},
        {12, 0, 0, "hh tt", "12 PM"},
        {7, 8, 9, "H:m:s", "7:8:9"},
        {23, 59, 59, "HHH:mmm:sss", "23:59:59"},
        {13, 45, 9, "dd.MM.yyyy 'HH' HH", "dd.MM.yyyy HH 13"},
        {13, 45, 9, "ss.ii", "09.ii"},
        {13, 45, 9, "HH''mm", "1345"},
        {13, 45, 9, "'x''y' mm", "x'y 45"},
    };
    for (const TTmCase &c : cases) {
        SCOPED_TRACE(c.pic);
        SYSTEMTIME st = Sample();
        st.wHour = c.hour;
        st.wMinute = c.minute;
        st.wSecond = c.second;
        EXPECT_EQ(c.want, TimeText(0x0409, st, c.pic));
    }
}

TEST(PxTime, BufferSizes)
{
    SYSTEMTIME st = Sample();
    const char *pic = "dd.MM.yyyy";
    EXPECT_EQ(11, GetDateFormatA(0x0409, 0, &st, pic, nullptr, 0));
    char buf[11];
    memset(buf, 'x', sizeof buf);
    SetLastError(0);
    EXPECT_EQ(0, GetDateFormatA(0x0409, 0, &st, pic, buf, 10));
    EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(11, GetDateFormatA(0x0409, 0, &st, pic, buf, 11));
    EXPECT_STREQ("17.05.2024", buf);
    EXPECT_EQ(6, GetTimeFormatA(0x0409, 0, &st, "HH:mm", nullptr, 0));
}

TEST(PxTime, RejectsBadArguments)
{
    struct TBadCase {
        const char *name;
        bool date;
        LCID lcid;
        DWORD flags;
        SYSTEMTIME st;
        const char *pic;
    };
    const TBadCase cases[] = {
        {"29 Feb of a common year", true, 0x0409, 0, {2023, 2, 0, 29, 0, 0, 0, 0}, "d"},
        {"year before 1601", true, 0x0409, 0, {1600, 12, 0, 31, 0, 0, 0, 0}, "d"},
        {"month 13", true, 0x0409, 0, {2024, 13, 0, 1, 0, 0, 0, 0}, "d"},
        {"day 0", true, 0x0409, 0, {2024, 1, 0, 0, 0, 0, 0, 0}, "d"},
        {"unknown locale", true, 0x0419, 0, {2024, 1, 0, 1, 0, 0, 0, 0}, "d"},
        {"flags", true, 0x0409, 1, {2024, 1, 0, 1, 0, 0, 0, 0}, "d"},
        {"no picture", true, 0x0409, 0, {2024, 1, 0, 1, 0, 0, 0, 0}, nullptr},
        {"hour 24", false, 0x0409, 0, {2024, 1, 0, 1, 24, 0, 0, 0}, "H"},
        {"minute 60", false, 0x0409, 0, {2024, 1, 0, 1, 0, 60, 0, 0}, "H"},
        {"millisecond 1000", false, 0x0409, 0, {2024, 1, 0, 1, 0, 0, 0, 1000}, "H"},
    };
    for (const TBadCase &c : cases) {
        SCOPED_TRACE(c.name);
        char buf[32];
        SetLastError(0);
        int n = c.date ? GetDateFormatA(c.lcid, c.flags, &c.st, c.pic, buf, (int)sizeof buf)
                       : GetTimeFormatA(c.lcid, c.flags, &c.st, c.pic, buf, (int)sizeof buf);
        EXPECT_EQ(0, n);
        EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    }
    // The time formatter does not look at the date, nor the date formatter at the time.
    SYSTEMTIME noDate = {0, 0, 0, 0, 8, 30, 0, 0};
    EXPECT_EQ("08:30", TimeText(0x0409, noDate, "HH:mm"));
    SYSTEMTIME noTime = {2024, 2, 0, 29, 99, 99, 99, 9999};
    EXPECT_EQ("29.02.2024", DateText(0x0409, noTime, "dd.MM.yyyy"));
}

// The user's default locale is the process locale: Russian names, with the genitive month name
// next to a day number and the standalone form elsewhere.
TEST(PxTime, UserLocaleNames)
{
    locale_t ru = newlocale(LC_ALL_MASK, "ru_RU.UTF-8", (locale_t)0);
    if (!ru)
        GTEST_SKIP() << "ru_RU.UTF-8 is not installed";
    locale_t old = uselocale(ru);
    SYSTEMTIME st = Sample();
    std::string withDay = DateText(LOCALE_USER_DEFAULT, st, "d MMMM yyyy");
    std::string alone = DateText(LOCALE_USER_DEFAULT, st, "MMMM yyyy");
    std::string quotedDay = DateText(LOCALE_USER_DEFAULT, st, "'d' MMMM");
    std::string dayName = DateText(LOCALE_USER_DEFAULT, st, "dddd");
    std::string english = DateText(0x0409, st, "dddd MMMM");
    uselocale(old);
    freelocale(ru);
    EXPECT_EQ("17 \xD0\xBC\xD0\xB0\xD1\x8F 2024", withDay); // 17 мая 2024
    EXPECT_EQ("\xD0\x9C\xD0\xB0\xD0\xB9 2024", alone);       // Май 2024
    EXPECT_EQ("d \xD0\x9C\xD0\xB0\xD0\xB9", quotedDay);       // d Май
    EXPECT_NE(std::string::npos, dayName.find("\xD1\x8F\xD1\x82\xD0\xBD\xD0\xB8\xD1\x86\xD0\xB0")); // ятница
    EXPECT_EQ("Friday May", english);
}

// Without a locale of its own a thread reads the names of the process locale.
TEST(PxTime, ProcessLocaleNames)
{
    ASSERT_EQ(LC_GLOBAL_LOCALE, uselocale((locale_t)0));
    SYSTEMTIME st = Sample();
    std::string processNames = DateText(LOCALE_USER_DEFAULT, st, "dddd MMM");
    locale_t own = duplocale(LC_GLOBAL_LOCALE);
    ASSERT_TRUE(own != (locale_t)0);
    locale_t old = uselocale(own);
    std::string threadNames = DateText(LOCALE_USER_DEFAULT, st, "dddd MMM");
    uselocale(old);
    freelocale(own);
    EXPECT_EQ(threadNames, processNames);
    EXPECT_GT(processNames.size(), 5u);
    EXPECT_EQ(std::string::npos, processNames.find("failed"));
}

TEST(PxTime, LocalTimeMatchesTheCLibrary)
{
    SYSTEMTIME st;
    time_t before = time(nullptr);
    GetLocalTime(&st);
    time_t after = time(nullptr);
    bool matched = false;
    for (time_t t = before; t <= after && !matched; ++t) {
        struct tm tm;
        localtime_r(&t, &tm);
        matched = st.wYear == tm.tm_year + 1900 && st.wMonth == tm.tm_mon + 1 && st.wDay == tm.tm_mday &&
                  st.wDayOfWeek == tm.tm_wday && st.wHour == tm.tm_hour && st.wMinute == tm.tm_min &&
                  st.wSecond == (tm.tm_sec > 59 ? 59 : tm.tm_sec);
    }
    EXPECT_TRUE(matched);
    EXPECT_LE(st.wMilliseconds, 999);
}

TEST(PxTime, TickCountDoesNotGoBack)
{
    DWORD first = GetTickCount();
    DWORD last = first;
    for (int i = 0; i < 1000; ++i) {
        DWORD now = GetTickCount();
        EXPECT_LE((DWORD)(last - first), (DWORD)(now - first));
        last = now;
    }
}

} // namespace
