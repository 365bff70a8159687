// Code pages, comparison, the user's language and the message table of the POSIX layer.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

// "Привет" in UTF-8, UTF-16 and CP866.
const char HelloUtf8[] = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
const WCHAR HelloWide[] = {0x041F, 0x0440, 0x0438, 0x0432, 0x0435, 0x0442, 0};
const char Hello866[] = "\x8F\xE0\xA8\xA2\xA5\xE2";

std::u16string ToWide(UINT cp, const char *s, DWORD flags = 0)
{
    int n = MultiByteToWideChar(cp, flags, s, -1, nullptr, 0);
    if (n <= 0)
        return u"<fail>";
    std::u16string w((size_t)n, u'\0');
    EXPECT_EQ(MultiByteToWideChar(cp, flags, s, -1, &w[0], n), n);
    w.resize((size_t)n - 1);
    return w;
}

std::string ToNarrow(UINT cp, const std::u16string &w, BOOL *usedDefault = nullptr, const char *defaultChar = nullptr)
{
    int n = WideCharToMultiByte(cp, 0, w.data(), (int)w.size(), nullptr, 0, defaultChar, usedDefault);
    if (n <= 0)
        return "<fail>";
    std::string s((size_t)n, '\0');
    EXPECT_EQ(WideCharToMultiByte(cp, 0, w.data(), (int)w.size(), &s[0], n, defaultChar, usedDefault), n);
    return s;
}

TEST(PxTextTest, CodePageConversions)
{
    // The tests run in a UTF-8 locale (or the C locale, which the layer reads as UTF-8).
    struct Case {
        const char *name;
        UINT cp;
        const char *narrow;
        std::u16string wide;
    } cases[] = {
        {"ansi cyrillic", CP_ACP, HelloUtf8, HelloWide},
        {"oem is ansi", CP_OEMCP, HelloUtf8, HelloWide},
        {"utf-8", CP_UTF8, "a\xE2\x82\xAC", u"a\u20AC"},
        {"cp866 cyrillic", 866, Hello866, HelloWide},
        {"cp866 yo", 866, "\xF0\xF1", u"\u0401\u0451"},
        {"cp850 latin", 850, "\x81\x84", u"\u00FC\u00E4"},
        {"cp1251", 1251, "\xCF\xF0\xE8\xE2\xE5\xF2", HelloWide},
        {"line breaks", 866, "a\r\nb", u"a\r\nb"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToWide(c.cp, c.narrow), c.wide);
        EXPECT_EQ(ToNarrow(c.cp, c.wide), c.narrow);
    }
}

TEST(PxTextTest, ConversionEdgesAndErrors)
{
    // Characters a code page lacks become the default character.
    BOOL used = FALSE;
    EXPECT_EQ(ToNarrow(866, u"a\u20ACb", &used), "a?b");
    EXPECT_TRUE(used);
    used = TRUE;
    EXPECT_EQ(ToNarrow(866, u"ab", &used), "ab");
    EXPECT_FALSE(used);
    EXPECT_EQ(ToNarrow(850, u"\U0001F600x", &used, "#"), "#x") << "a surrogate pair is one character";
    std::u16string loneSurrogate = std::u16string(1, (char16_t)0xD800) + u"x";
    EXPECT_EQ(ToNarrow(CP_UTF8, loneSurrogate), "\xEF\xBF\xBDx");
    used = FALSE;
    EXPECT_EQ(ToNarrow(CP_ACP, loneSurrogate, &used), "\xEF\xBF\xBDx") << "the ANSI code page is UTF-8 here";
    EXPECT_TRUE(used);

    // Invalid input: U+FFFD, or a failure when asked to be strict.
    EXPECT_EQ(ToWide(CP_UTF8, "a\xFF" "b"), u"a\uFFFDb");
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", -1, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_UNICODE_TRANSLATION);

    // Explicit lengths include no terminator; -1 includes it.
    WCHAR w[8];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 2, w, 8), 2);
    EXPECT_EQ(w[0], u'a');
    EXPECT_EQ(w[1], u'b');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, w, 8), 4);
    EXPECT_EQ(w[3], 0);

    char out[4];
    struct ErrCase {
        const char *name;
        std::function<int()> call;
        DWORD code;
    } cases[] = {
        {"buffer too small", [&] { return MultiByteToWideChar(CP_UTF8, 0, "abcdef", -1, w, 3); },
         ERROR_INSUFFICIENT_BUFFER},
        {"narrow buffer too small", [&] { return WideCharToMultiByte(866, 0, HelloWide, -1, out, 4, nullptr, nullptr); },
         ERROR_INSUFFICIENT_BUFFER},
        {"unknown code page", [&] { return MultiByteToWideChar(12345, 0, "a", -1, w, 8); }, ERROR_INVALID_PARAMETER},
        {"null source", [&] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, w, 8); }, ERROR_INVALID_PARAMETER},
        {"default char with utf-8",
         [&] { return WideCharToMultiByte(CP_UTF8, 0, HelloWide, -1, out, 4, "?", nullptr); }, ERROR_INVALID_PARAMETER},
    };
    for (const ErrCase &c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        EXPECT_EQ(c.call(), 0);
        EXPECT_EQ(GetLastError(), c.code);
    }
}

int Cmp(const char *a, const char *b, DWORD flags)
{
    return CompareStringA(LOCALE_USER_DEFAULT, flags, a, -1, b, -1);
}

TEST(PxTextTest, CompareString)
{
    struct Case {
        const char *a, *b;
        DWORD flags;
        int expected;
    } cases[] = {
        {"abc", "abc", 0, CSTR_EQUAL},
        {"abc", "ABC", NORM_IGNORECASE, CSTR_EQUAL},
        {"abc", "abd", 0, CSTR_LESS_THAN},
        {"abd", "ABC", NORM_IGNORECASE, CSTR_GREATER_THAN},
        {"ab", "abc", 0, CSTR_LESS_THAN},
        {"", "", 0, CSTR_EQUAL},
        {"\xD0\xAF", "\xD1\x8F", NORM_IGNORECASE, CSTR_EQUAL}, // Я and я
        {"\x01", "\x02", NORM_IGNORECASE, CSTR_LESS_THAN},
        {"\xFF", "\xFE", 0, CSTR_GREATER_THAN}, // not characters of the charset, still ordered
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(Cmp(c.a, c.b, c.flags), c.expected);
        // Swapping the texts reverses the order.
        EXPECT_EQ(Cmp(c.b, c.a, c.flags), 4 - c.expected);
    }
    EXPECT_NE(Cmp("abc", "ABC", 0), CSTR_EQUAL);
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "abX", 2, "abY", 2), CSTR_EQUAL);
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, "a\0b", 3, "a\0c", 3), CSTR_LESS_THAN);
    SetLastError(0);
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, 0, nullptr, -1, "a", -1), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);

    char text[] = "abc";
    EXPECT_TRUE(CharToOemBuffA(text, text, 3));
    EXPECT_STREQ(text, "abc");
}

// Sets the three locale variables for one test and restores them afterwards.
class TEnvLang {
public:
    TEnvLang(const char *all, const char *messages, const char *lang)
    {
        for (int i = 0; i < 3; ++i) {
            const char *v = std::getenv(names[i]);
            saved[i] = v ? v : "";
            had[i] = v != nullptr;
        }
        Set("LC_ALL", all);
        Set("LC_MESSAGES", messages);
        Set("LANG", lang);
    }
    ~TEnvLang()
    {
        for (int i = 0; i < 3; ++i)
            Set(names[i], had[i] ? saved[i].c_str() : nullptr);
    }

private:
    static void Set(const char *name, const char *value)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    const char *names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3];
};

TEST(PxTextTest, UserLanguageFromEnvironment)
{
    struct Case {
        const char *all, *messages, *lang;
        LANGID expected;
    } cases[] = {
        {nullptr, nullptr, "ru_RU.UTF-8", 1049},
        {nullptr, nullptr, "en_US.UTF-8", 1033},
        {nullptr, nullptr, nullptr, 1033},
        {"", "", "ru_RU.UTF-8", 1049},
        {"en_GB.UTF-8", "ru_RU.UTF-8", "ru_RU.UTF-8", 1033},
        {nullptr, "ru_UA.KOI8-U", "de_DE.UTF-8", 1049},
        {"ru", nullptr, nullptr, 1049},
        {"C", nullptr, "ru_RU.UTF-8", 1033},
        {"russian", nullptr, nullptr, 1049},
        {"RU_ru", nullptr, nullptr, 1033},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.all ? c.all : "-") + "/" + (c.messages ? c.messages : "-") + "/" +
                     (c.lang ? c.lang : "-"));
        TEnvLang env(c.all, c.messages, c.lang);
        EXPECT_EQ(GetUserDefaultLangID(), c.expected);
    }
}

DWORD Message(DWORD code, DWORD lang, char *buf, DWORD size)
{
    return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, lang, buf, size,
                          nullptr);
}

TEST(PxTextTest, MessageTable)
{
    // The codes the system, the layer and the transport produce (111, 1400 and 1816 come from the
    // layer's identity and message-queue calls, 11 from the log's reader).
    const DWORD listed[] = {0,    2,    3,    5,    6,    11,   50,   53,   64,   87,   111,  121,  123,
                            258,  1225, 1231, 1232, 1359, 1400, 1444, 1460, 1816, 2136, 2270, 2273, 2299};
    for (DWORD code : listed) {
        for (DWORD lang : {1033u, 1049u}) {
            SCOPED_TRACE(std::to_string(code) + "/" + std::to_string(lang));
            char buf[512] = {};
            DWORD n = Message(code, lang, buf, 511);
            ASSERT_GT(n, 2u);
            EXPECT_EQ(n, std::strlen(buf));
            EXPECT_EQ(std::string(buf + n - 2), "\r\n");
            EXPECT_EQ(std::strpbrk(buf, "\r\n"), buf + n - 2) << "one line";
        }
    }
    for (DWORD code = 2270; code <= 2299; ++code) {
        char buf[512];
        EXPECT_GT(Message(code, 1033, buf, sizeof buf), 0u) << code;
    }

    char en[512], ru[512], dflt[512];
    ASSERT_GT(Message(87, 1033, en, sizeof en), 0u);
    ASSERT_GT(Message(87, 1049, ru, sizeof ru), 0u);
    EXPECT_STRNE(en, ru);
    EXPECT_NE(std::strchr(ru, '\xD0'), nullptr) << "Russian text in the UTF-8 code page";
    {
        TEnvLang env(nullptr, nullptr, "ru_RU.UTF-8");
        ASSERT_GT(Message(87, 0, dflt, sizeof dflt), 0u);
        EXPECT_STREQ(dflt, ru) << "language 0 is the user's";
    }
    EXPECT_GT(Message(87, MAKELANGID(LANG_ENGLISH, 2), dflt, sizeof dflt), 0u) << "any English sublanguage";
    EXPECT_STREQ(dflt, en);

    struct ErrCase {
        const char *name;
        DWORD code, lang, size, flags, expected;
    } errs[] = {
        {"unknown code", 7, 1033, 512, 0, 317},
        {"unknown code 9999", 9999, 1033, 512, 0, 317},
        {"application code", 0x20000001, 1033, 512, 0, 317},
        {"other language", 87, MAKELANGID(0x07, 1), 512, 0, 1815},
        {"buffer too small", 87, 1033, 5, 0, 122},
        {"allocate buffer", 87, 1033, 512, FORMAT_MESSAGE_ALLOCATE_BUFFER, 87},
    };
    for (const ErrCase &e : errs) {
        SCOPED_TRACE(e.name);
        char buf[512];
        SetLastError(0);
        EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | e.flags, nullptr, e.code,
                                 e.lang, buf, e.size, nullptr),
                  0u);
        EXPECT_EQ(GetLastError(), e.expected);
    }

    char viaHelper[512];
    EXPECT_EQ(QzSysMsgText(87, 1033, viaHelper, sizeof viaHelper), std::strlen(en));
    EXPECT_STREQ(viaHelper, en);
}

// Every code that the layer's errno mapping produces has a text.
TEST(PxTextTest, EveryMappedErrnoHasAText)
{
    for (int err = 0; err < 150; ++err) {
        DWORD code = PxErrnoToWin(err);
        char buf[512];
        EXPECT_GT(Message(code, 1033, buf, sizeof buf), 0u) << "errno " << err << " -> " << code;
    }
}

} // namespace
