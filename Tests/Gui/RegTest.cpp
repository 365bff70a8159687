// Registry access by path, against the registry of the Wine prefix (Windows build only). Every
// test works below its own key, which the fixture deletes before and after.
#include "Gui/Reg.h"
#include "Gui/Wnd.h"
#include "Log/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char TestKey[] = "Software\\QZ Software\\qzgui-tests";
const std::string Base = std::string("HKEY_CURRENT_USER\\") + TestKey;

class RegTest : public testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, TestKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, TestKey); }

    // The raw value as the system reads it, bypassing the code under test.
    static bool Raw(const char *subKey, const char *name, DWORD &type, std::string &data)
    {
        BYTE buf[512];
        DWORD size = sizeof buf;
        std::string key = std::string(TestKey) + subKey;
        if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buf, &size) != 0)
            return false;
        data.assign(reinterpret_cast<char *>(buf), size);
        return true;
    }
};

TEST_F(RegTest, WriteCreatesMissingKeysAndReadsBack)
{
    TLogCapture cap;
    const std::string path = Base + "\\A\\B\\V";
    EXPECT_EQ(SetRegVal(path.c_str(), "abc"), 0u);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Raw("\\A\\B", "V", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string("abc", 4)); // the terminating NUL is stored too
    EXPECT_STREQ(GetRegVal(path.c_str()).CStr(), "abc");

    EXPECT_TRUE(cap.Has("TRW", ("SetRegVal(nm=\"" + path + "\",tp=\"1\") end (rc=0).").c_str()));
    EXPECT_TRUE(cap.Has("TRW", ("SetRegVal(nm=\"" + path + "\",val=\"abc\") end (rc=0).").c_str()));
    EXPECT_TRUE(cap.Has("TRR", ("GetRegVal(\"" + path + "\") end (val=\"abc\",rc=0).").c_str()));
}

TEST_F(RegTest, ReadsEachAcceptedTypeAsText)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    const DWORD dword = 4294967295u;
    const char multi[] = "first\0second\0";
    const char binary[] = {'b', 'i', 'n', 0, 'x'};
    const char noNul[] = {'n', 'o', 'n', 'u', 'l'};
    const unsigned long long qword = 7;
    RegSetValueExA(key, "Dword", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dword), sizeof dword);
    RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(multi), sizeof multi);
    RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>("%PATH%"), 7);
    RegSetValueExA(key, "Binary", 0, REG_BINARY, reinterpret_cast<const BYTE *>(binary), sizeof binary);
    RegSetValueExA(key, "NoNul", 0, REG_BINARY, reinterpret_cast<const BYTE *>(noNul), sizeof noNul);
    RegSetValueExA(key, "Qword", 0, REG_QWORD, reinterpret_cast<const BYTE *>(&qword), sizeof qword);
    RegCloseKey(key);

    struct Row
    {
        const char *name;
        const char *text;
        unsigned rc;
    } rows[] = {
        {"Dword", "4294967295", 0},
        {"Multi", "first", 0},
        {"Expand", "%PATH%", 0}, // no expansion
        {"Binary", "bin", 0},
        {"NoNul", "nonul", 0},   // a value without terminator ends where the value ends
        {"Qword", "", 87},       // a type that is not read as text
        {"Missing", "", 2},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TLogCapture cap;
        const std::string path = Base + "\\" + r.name;
        EXPECT_STREQ(GetRegVal(path.c_str()).CStr(), r.text);
        EXPECT_TRUE(cap.Has("TRR", ("GetRegVal(\"" + path + "\") end (val=\"" + r.text + "\",rc=" +
                                    std::to_string(r.rc) + ").").c_str()));
    }
}

TEST_F(RegTest, RefusesBadPaths)
{
    const std::string longName(256, 'k');
    const std::string longPath = Base + "\\" + std::string(200, 'a') + "\\" + std::string(60, 'b') + "\\V";
    struct Row
    {
        std::string path;
        bool writeFails;
    } rows[] = {
        {"hkey_current_user\\Software\\V", true}, // root names match with case
        {"HKEY_NOWHERE\\Software\\V", true},
        {"NoBackslash", true},
        {Base + "\\" + longName + "\\V", true},   // a component longer than 255
        {longPath, true},                         // a key path longer than 255
        {Base + "\\\\V", true},                   // an empty component
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.path.substr(0, 60));
        EXPECT_NE(SetRegVal(r.path.c_str(), "x"), 0u);
        EXPECT_STREQ(GetRegVal(r.path.c_str()).CStr(), "");
    }
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_READ, &key), 0) << "nothing was created";
}

TEST_F(RegTest, RawReadReportsSizeAndShortBuffers)
{
    const std::string path = Base + "\\Raw";
    const BYTE data[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(SetRegVal(path.c_str(), REG_BINARY, data, sizeof data), 0u);

    BYTE buf[16] = {0};
    DWORD size = sizeof buf;
    TLogCapture cap;
    EXPECT_EQ(GetRegVal(path.c_str(), buf, size), 0u);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(memcmp(buf, data, sizeof data), 0);
    EXPECT_TRUE(cap.Has("TRR", ("GetRegVal(\"" + path + "\") end (rc=0).").c_str()));

    size = 4;
    EXPECT_EQ(GetRegVal(path.c_str(), buf, size), static_cast<unsigned>(ERROR_MORE_DATA));

    cap.Clear();
    size = sizeof buf;
    EXPECT_EQ(GetRegVal((Base + "\\NoKey\\V").c_str(), buf, size), 2u);
    EXPECT_TRUE(cap.Lines().empty()) << "no line when the key cannot be opened";
}

TEST_F(RegTest, OpenRegPathStacksEveryKeyAndEmptiesOnFailure)
{
    TRegKeyStack keys;
    HKEY key = nullptr;
    const std::string path = Base + "\\X\\Y";
    EXPECT_EQ(OpenRegPath(key, path.c_str(), KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY, keys), 0u);
    EXPECT_EQ(keys.Count(), 5u); // Software, QZ Software, qzgui-tests, X, Y
    ASSERT_TRUE(keys.Count() > 0);

    HKEY other = nullptr;
    EXPECT_EQ(OpenRegPath(other, (Base + "\\Nope\\Z").c_str(), KEY_QUERY_VALUE, keys), 2u);
    EXPECT_EQ(keys.Count(), 0u);
}

} // namespace
