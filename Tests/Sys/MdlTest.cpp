// String resources through WTMdl in the user's language (the test program's table is
// QzSysTest.strings; CTest runs these tests once more for a Russian user), and the user and
// computer names with their log lines.
#include "Sys/Mdl.h"

#include "Log/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

bool Russian()
{
    return PRIMARYLANGID(GetUserDefaultLangID()) == LANG_RUSSIAN;
}

const char LongEn[] =
    "A text longer than sixty-two characters: it must come back whole, not cut at the first buffer of sixty-four "
    "characters, nor at 128, nor at 256 characters, because LoadStr doubles its buffer until the whole text fits; "
    "these last words make it more than 256 long.";
const char LongRu[] = "Текст длиннее шестидесяти двух символов: он должен вернуться целиком, а не обрезанным по "
                      "первому буферу.";

// A UTF-8 text in the ANSI code page, in which the loader returns texts (UTF-8 itself on POSIX,
// a Windows code page such as 1251 under Windows).
std::string Ansi(const std::string &utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, NULL, 0);
    std::vector<WCHAR> wide(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
    int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, NULL, 0, NULL, NULL);
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, &out[0], m, NULL, NULL);
    out.resize(static_cast<std::size_t>(m - 1));
    return out;
}

} // namespace

TEST(WTMdl, LoadStrReturnsWholeTextsInTheUsersLanguage)
{
    const bool ru = Russian();
    struct Row {
        unsigned id;
        std::string text;
    } rows[] = {
        {1, ru ? Ansi("Коротко") : "Short"},
        {2, ru ? Ansi(LongRu) : LongEn},
        {3, "123456789012345678901234567890123456789012345678901234567890123"},
        {4, "1234567890123456789012345678901234567890123456789012345678901234"},
        {5, "Line 1\nLine 2\t\"quoted\" C:\\dir; [a] 100%"},
        {6, "English only"},
        {7, "After a comment ending in a backslash"},
        {99, ""},
    };
    ASSERT_GT(std::strlen(LongEn), 256u);
    WTMdl mdl(GetModuleHandleA(NULL));
    for (const Row &r : rows) {
        SCOPED_TRACE(r.id);
        TStr s = mdl.LoadStr(r.id);
        EXPECT_EQ(s.Length(), r.text.size());
        EXPECT_EQ(std::string(s.CStr() ? s.CStr() : ""), r.text);
    }
}

namespace {

// Stand-ins for GetUserNameA: what they report is set by the test.
const char *fakeName;
BOOL fakeOk;
DWORD fakeErr;
DWORD fakeLen;
DWORD fakeSizeIn;

BOOL WINAPI FakeQuery(LPSTR buf, LPDWORD size)
{
    fakeSizeIn = *size;
    if (fakeName)
        std::memcpy(buf, fakeName, std::strlen(fakeName));
    *size = fakeLen;
    SetLastError(fakeErr);
    return fakeOk;
}

} // namespace

TEST(WTMdl, QueryNameWritesTheOutcomeLiterally)
{
    struct Row {
        const char *what;
        const char *name;
        BOOL ok;
        DWORD err, len;
        const char *type, *line, *result;
    } rows[] = {
        {"success", "boss", TRUE, 0, 5, "WI.", "GetUserName() returned (nm=boss,len=5).", "boss"},
        {"percent signs", "50%off%s%n%d", TRUE, 0, 13, "WI.", "GetUserName() returned (nm=50%off%s%n%d,len=13).",
         "50%off%s%n%d"},
        {"failure", nullptr, FALSE, 122, 300, "WI!", "GetUserName() returned (rc=122,len=300).", ""},
        {"failure without an error", "part", FALSE, 0, 256, "WI.", "GetUserName() returned (nm=part,len=256).",
         "part"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        fakeName = r.name;
        fakeOk = r.ok;
        fakeErr = r.err;
        fakeLen = r.len;
        TLogCapture cap;
        TStr got = QueryName(&FakeQuery, "GetUserName", 256, 256);
        EXPECT_EQ(fakeSizeIn, 256u);
        EXPECT_EQ(std::string(got.CStr() ? got.CStr() : ""), r.result);
        auto lines = cap.Lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].type, r.type);
        EXPECT_EQ(lines[0].text, r.line);
    }
}

TEST(WTMdl, UserAndComputerNameOfThisMachine)
{
    TLogCapture cap;
    TStr user = UserName();
    TStr computer = ComputerName();
    ASSERT_GT(user.Length(), 0u);
    ASSERT_GT(computer.Length(), 0u);
    EXPECT_LE(computer.Length(), 15u);
    // The user name's length counts the terminator, the computer name's does not.
    EXPECT_EQ(cap.Texts("WI."),
              (std::vector<std::string>{
                  "GetUserName() returned (nm=" + std::string(user.CStr()) + ",len=" + std::to_string(user.Length() + 1) + ").",
                  "GetComputerName() returned (nm=" + std::string(computer.CStr()) + ",len=" +
                      std::to_string(computer.Length()) + ")."}));
    EXPECT_FALSE(cap.Has("WI!"));
}
