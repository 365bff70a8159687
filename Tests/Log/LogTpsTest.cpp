// Event types (the line filter) and the layout of a written line.
#include "Log/Log.h"
#include "Log/LogTps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TTp
{
    const char *type;
    const char *text;
};

TEST(LogTps, IsLogged)
{
    const std::vector<TTp> none, all = {{".", ""}};
    struct
    {
        const char *name;
        std::vector<TTp> tps;
        const char *code;
        const char *text;
        bool logged;
    } cases[] = {
        {"no event types", none, "STT", "x", false},
        {"dot selects every code", all, "..A", "", true},
        {"dot selects the engine code", all, "CN\x9B", "NetSend()end(0)", true},
        {"S anywhere in the code", {{"S", ""}}, "TRR", "x", false},
        {"S in a wrapper code", {{"S", ""}}, "SOC", "x", true},
        {"dots match any character", {{"..A", ""}}, "SOA", "x", true},
        {"escaped and anchored", {{"^\\.\\.A$", ""}}, "SOA", "x", false},
        {"escaped and anchored matches itself", {{"^\\.\\.A$", ""}}, "..A", "x", true},
        {"text pattern selects", {{"ST.", "begin"}}, "ST.", "Thread routine begin(thrd=0x00000010).", true},
        {"text pattern rejects", {{"ST.", "begin"}}, "ST.", "Thread routine end 0 (0x0)", false},
        {"lower case matches no code", {{"st.", ""}}, "ST.", "x", false},
        {"bad pattern never matches", {{"(", ""}}, "(", "x", false},
        {"bad pattern does not stop others", {{"(", ""}, {"SMT", ""}}, "SMT", "x", true},
        {"engine code by wildcard", {{"CN.", ""}}, "CN\x9B", "x", true},
        {"both must match in one type", {{"SOC", "zzz"}, {"STT", ""}}, "SOC", "x", false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        TLogTps tps;
        for (const TTp &t : c.tps)
            tps.AddEvtTp(t.type, t.text);
        EXPECT_EQ(c.logged, tps.IsLogged(TStr(c.code), TStr(c.text)));
    }
}

TEST(LogTps, UniqueTypePatterns)
{
    TLogTps tps;
    EXPECT_TRUE(tps.AddEvtTp("STT", "first"));
    EXPECT_FALSE(tps.AddEvtTp("STT", "second"));
    EXPECT_TRUE(tps.AddEvtTp("stt", ""));
    ASSERT_EQ(2u, tps.Count());
    EXPECT_TRUE(tps.IsLogged(TStr("STT"), TStr("the first one")));
    EXPECT_FALSE(tps.IsLogged(TStr("STT"), TStr("the second one")));
}

// A TLog that exposes the line layout with chosen parameters.
TEST(LogLine, Layout)
{
    struct
    {
        const char *name;
        const char *tmFrmt;
        bool pid, tid;
        unsigned pidVal, tidVal;
        const char *want;
    } cases[] = {
        {"defaults", "dd.MM.yyyy HH:mm:ss.ii", true, true, 0x0f3c, 0x0e10,
         "STT 17.05.2024 13:45:09.045 Pid=0x0f3c Tid=0x0e10 Create thread.\r\n"},
        {"five hex digits, small and zero ids", "dd.MM.yyyy HH:mm:ss.ii", true, true, 0x12345, 0,
         "STT 17.05.2024 13:45:09.045 Pid=0x12345 Tid=000000 Create thread.\r\n"},
        {"small id padded", "HH:mm", true, false, 0x1f, 0, "STT 13:45 Pid=0x001f Create thread.\r\n"},
        {"no prefix at all", "", false, false, 1, 1, "STT Create thread.\r\n"},
        {"only the thread id", "", false, true, 1, 0xabc, "STT Tid=0x0abc Create thread.\r\n"},
        {"one i: short milliseconds", "ss.i", false, false, 0, 0, "STT 09.45 Create thread.\r\n"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        TLog log;
        log.Prms().SetTmFrmt(c.tmFrmt);
        log.Prms().SetPid(c.pid);
        log.Prms().SetTid(c.tid);
        TLogLine line;
        ASSERT_EQ(0u, line.tm.Set(2024, 5, 17, 13, 45, 9, 45));
        line.type = "STT";
        line.text = "Create thread.";
        line.pid = c.pidVal;
        line.tid = c.tidVal;
        EXPECT_STREQ(c.want, log.FormatLine(line).CStr());
    }
}

} // namespace
