// The sending engine against the recording stand-in of the messaging calls: aliases, what is
// sent, results, list files, many names, an empty list, a missing file and an expired wait.
#include "Net/NetSend.h"

#include "FakeMsgr.h"
#include "Lib/Res.h"
#include "Log/LogCapture.h"
#include "Net/NetSendIn.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{

class NetSendTest : public ::testing::Test
{
protected:
    void SetUp() override { FakeMsgr::Reset(); }
    void TearDown() override
    {
        FakeMsgr::Reset();
        for (const std::string &f : files)
            remove(f.c_str());
    }
    // Writes a list file with exactly these bytes and returns its name.
    std::string ListFile(const std::string &bytes)
    {
        // Named after the test and the process: CTest runs these tests in parallel.
        std::string name = std::string("netsend-") +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                           std::to_string((unsigned)GetCurrentProcessId()) + "-" +
                           std::to_string(files.size()) + ".lst";
        FILE *f = fopen(name.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        files.push_back(name);
        return name;
    }
    std::vector<std::string> files;
};

TEST_F(NetSendTest, SingleSendRegistersAndRemovesTheSender)
{
    TLogCapture cap;
    EXPECT_EQ(0u, NetSend(TStr("pc1"), TStr("boss"), TStr("Disk\nfull")));
    auto sends = FakeMsgr::Sends();
    ASSERT_EQ(1u, sends.size());
    EXPECT_EQ("pc1", sends[0].target);
    EXPECT_EQ("boss", sends[0].from);
    EXPECT_EQ(u"Disk\nfull", sends[0].text);
    EXPECT_EQ(18u, sends[0].byteCount);
    EXPECT_EQ(std::vector<std::string>{"boss"}, FakeMsgr::Added());
    EXPECT_EQ(std::vector<std::string>{"boss"}, FakeMsgr::Deleted());
    EXPECT_FALSE(FakeMsgr::HasAlias("boss"));
    EXPECT_EQ(1u, cap.Texts(EvtNetSend, "NetSend(pc1,boss,msglen=9) end(rc=0)").size());
}

TEST_F(NetSendTest, SingleSendAliasCases)
{
    const struct
    {
        const char *name;
        const char *sender;
        bool preset;        // the alias exists before the call
        unsigned addRc;     // forced registration result (0: the table's answer)
        unsigned sendRc;
        const char *from;   // sender seen by the send
        bool aliasAfter;    // the alias exists after the call
        unsigned refusal;   // the registration result the "..A" line names (0: no line)
    } cases[] = {
        {"registered by the call", "boss", false, 0, 0, "boss", false, 0},
        {"already present", "boss", true, 0, 0, "boss", true, 0},
        {"empty sender refused", "", false, 0, 0, "(none)", false, 87},
        {"service refuses", "boss", false, 2277, 0, "(none)", false, 2277},
        {"send fails, alias removed", "boss", false, 0, 2273, "boss", false, 0},
        {"send fails, present alias kept", "boss", true, 0, 1225, "boss", true, 0},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        FakeMsgr::Reset();
        if (c.preset)
            FakeMsgr::AddAlias(c.sender);
        FakeMsgr::SetAddResult(c.addRc);
        FakeMsgr::SetSendResult("pc1", c.sendRc);
        TLogCapture cap;
        EXPECT_EQ(c.sendRc, NetSend(TStr("pc1"), TStr(c.sender), TStr("hi")));
        auto sends = FakeMsgr::Sends();
        ASSERT_EQ(1u, sends.size());
        EXPECT_EQ(c.from, sends[0].from);
        EXPECT_EQ(c.aliasAfter, FakeMsgr::HasAlias(c.sender));
        auto refusals = cap.Texts(EvtAliasErr);
        ASSERT_EQ(c.refusal ? 1u : 0u, refusals.size());
        if (c.refusal)
        {
            // The sender, the result, and the engine's source file and line of the call.
            std::string head = std::string("NetMessageNameAdd(NULL,") + c.sender + ") failed (rc=" +
                               std::to_string(c.refusal) + ") in '";
            EXPECT_EQ(0u, refusals[0].rfind(head, 0)) << refusals[0];
            EXPECT_TRUE(std::regex_search(refusals[0], std::regex("NetSend\\.cpp' ln [1-9][0-9]*$"))) << refusals[0];
        }
    }
}

TEST_F(NetSendTest, TargetsAndTextsPassUnchanged)
{
    // Broadcast names go to the service as they are; the byte count is twice the UTF-16 units,
    // while the log line carries the 8-bit length.
    TStr ru("\xd0\x94\xd0\xb0 x"); // "Да x" in UTF-8, the ANSI code page of the POSIX build
    WCHAR *w = ToWide(ru);
    ASSERT_NE(nullptr, w);
    unsigned units = 0;
    while (w[units])
        units++;
    MemFree(w);
    const char *targets[] = {"*", "work*", "10.1.2.3"};
    for (const char *t : targets)
    {
        SCOPED_TRACE(t);
        FakeMsgr::Reset();
        TLogCapture cap;
        EXPECT_EQ(0u, NetSend(TStr(t), TStr("a"), ru));
        auto sends = FakeMsgr::Sends();
        ASSERT_EQ(1u, sends.size());
        EXPECT_EQ(t, sends[0].target);
        EXPECT_EQ(units * 2, sends[0].byteCount);
        EXPECT_TRUE(cap.Has(EvtNetSend, (std::string("msglen=") + std::to_string(ru.Length()) + ")").c_str()));
    }
}

TEST_F(NetSendTest, ListFilesGiveNamesInFileOrder)
{
    const struct
    {
        const char *name;
        std::string bytes;
        std::vector<std::string> names;
    } cases[] = {
        {"CR LF with an empty line", "pc1\r\n\r\npc2\r\n", {"pc1", "pc2"}},
        {"LF only", "pc1\npc2\n", {"pc1", "pc2"}},
        {"CR only, no final break", "pc1\rpc2", {"pc1", "pc2"}},
        {"spaces kept, duplicates kept", " pc1 \n\tpc2\npc1", {" pc1 ", "\tpc2", "pc1"}},
        {"leading breaks", "\r\n\n\rpc1", {"pc1"}},
        {"zero byte ends a name", std::string("pc1\0junk\n\0x\npc2", 16), {"pc1", "", "pc2"}},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        FakeMsgr::Reset();
        FakeMsgr::SetSendResult("pc2", 2273);
        TArray<TStr> names;
        TArray<unsigned long> codes;
        EXPECT_EQ(0u, NetSendToList(TStr(ListFile(c.bytes).c_str()), TStr("boss"), TStr("hi"), &names, &codes));
        ASSERT_EQ(c.names.size(), names.Count());
        ASSERT_EQ(c.names.size(), codes.Count());
        for (unsigned i = 0; i < names.Count(); i++)
        {
            EXPECT_EQ(c.names[i], names.Items()[i].CStr());
            EXPECT_EQ(c.names[i] == "pc2" ? 2273u : 0u, codes.Items()[i]);
        }
        EXPECT_EQ(c.names.size(), FakeMsgr::Sends().size());
        // The alias is registered once for the whole list and removed after it.
        EXPECT_EQ(std::vector<std::string>{"boss"}, FakeMsgr::Added());
        EXPECT_EQ(std::vector<std::string>{"boss"}, FakeMsgr::Deleted());
    }
}

TEST_F(NetSendTest, ManyNamesAreAllServedAndWaitedFor)
{
    // More names than one system wait can cover.
    const unsigned cnt = 300;
    std::string bytes;
    for (unsigned i = 0; i < cnt; i++)
    {
        bytes += "n" + std::to_string(i) + "\r\n";
        if (i % 7 == 3)
            FakeMsgr::SetSendResult("n" + std::to_string(i), 2273);
    }
    TLogCapture cap;
    TArray<TStr> names;
    TArray<unsigned long> codes;
    EXPECT_EQ(0u, NetSendToList(TStr(ListFile(bytes).c_str()), TStr("boss"), TStr("hi"), &names, &codes));
    ASSERT_EQ(cnt, names.Count());
    ASSERT_EQ(cnt, codes.Count());
    for (unsigned i = 0; i < cnt; i++)
    {
        EXPECT_EQ("n" + std::to_string(i), names.Items()[i].CStr());
        EXPECT_EQ(i % 7 == 3 ? 2273u : 0u, codes.Items()[i]) << i;
    }
    EXPECT_EQ(cnt, FakeMsgr::Sends().size());
    EXPECT_EQ(cnt, cap.Texts(EvtNetSend, "TNsThrd(to=").size());
    EXPECT_TRUE(cap.Has(EvtNetSend, "NetSend(to_cnt=300,from=boss,msglen=2)begin"));
    EXPECT_TRUE(cap.Has(EvtNetSend, "NetSend()end(0)"));
}

TEST_F(NetSendTest, ListWithoutNamesIsAListFailure)
{
    const std::string bytes[] = {"", "\r\n\r\n\n"};
    for (const std::string &b : bytes)
    {
        SCOPED_TRACE(b.size());
        FakeMsgr::Reset();
        TArray<TStr> names;
        TArray<unsigned long> codes;
        unsigned rc = NetSendToList(TStr(ListFile(b).c_str()), TStr("boss"), TStr("hi"), &names, &codes);
        EXPECT_EQ(NetErrNoNames(), rc);
        EXPECT_NE(0u, rc);
        EXPECT_NE(0u, ErrorText(rc).Length());
        EXPECT_EQ(0u, names.Count());
        EXPECT_EQ(0u, codes.Count());
        EXPECT_TRUE(FakeMsgr::Sends().empty());
        EXPECT_TRUE(FakeMsgr::Added().empty());
    }
}

TEST(NetNoNamesText, FollowsTheLanguage)
{
    const std::string en = NetNoNamesText(MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT)).CStr();
    const std::string ru = NetNoNamesText(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)).CStr();
    EXPECT_EQ("The list holds no names.", en);
    EXPECT_FALSE(ru.empty());
    EXPECT_EQ(en, NetNoNamesText(0x0407).CStr()) << "other languages read English";
    // The registered code carries the text of the user's language.
    EXPECT_EQ(NetNoNamesText(GetUserDefaultLangID()).CStr(), std::string(ErrorText(NetErrNoNames()).CStr()));
}

TEST_F(NetSendTest, MissingListFileSendsNothing)
{
    TArray<TStr> names;
    TArray<unsigned long> codes;
    names.SetSize(1);
    names.Items()[0] = "before";
    EXPECT_EQ((unsigned)ERROR_FILE_NOT_FOUND,
              NetSendToList(TStr("no-such-list.lst"), TStr("boss"), TStr("hi"), &names, &codes));
    ASSERT_EQ(1u, names.Count());
    EXPECT_STREQ("before", names.Items()[0].CStr());
    EXPECT_EQ(0u, codes.Count());
    EXPECT_TRUE(FakeMsgr::Sends().empty());
}

TEST_F(NetSendTest, RefusedAliasStillServesEveryName)
{
    FakeMsgr::SetAddResult(2277);
    TLogCapture cap;
    TArray<unsigned long> codes;
    TArray<TStr> names;
    EXPECT_EQ(0u, NetSendToList(TStr(ListFile("a\nb\n").c_str()), TStr("boss"), TStr("hi"), &names, &codes));
    auto sends = FakeMsgr::Sends();
    ASSERT_EQ(2u, sends.size());
    for (const auto &s : sends)
        EXPECT_EQ("(none)", s.from);
    EXPECT_TRUE(FakeMsgr::Deleted().empty());
    EXPECT_TRUE(cap.Has(EvtAliasErr, "NetMessageNameAdd(NULL,boss) failed (rc=2277)"));
}

// Thread starts of a list send fail at the chosen positions, as the system fails them when it
// has no thread to give; the engine starts its threads in file order on the calling thread.
std::set<unsigned> failStarts;
unsigned startCalls;
unsigned FailingStart(TNsThrd &thrd, unsigned flags)
{
    return failStarts.count(startCalls++) ? (unsigned)ERROR_NOT_ENOUGH_MEMORY : thrd.Start(flags);
}

TEST_F(NetSendTest, ThreadsThatCannotStartReportTheirError)
{
    std::set<unsigned> firstGroup;
    for (unsigned i = 0; i < 64; i++)
        firstGroup.insert(i);
    const struct
    {
        const char *name;
        unsigned cnt;
        std::set<unsigned> fail;
    } cases[] = {
        {"the only name", 1, {0}},
        {"one of three", 3, {1}},
        {"across wait groups", 150, {0, 63, 64, 100, 149}},
        {"a whole wait group", 130, firstGroup},
    };
    unsigned (*const sysStart)(TNsThrd &, unsigned) = NetThrdStart;
    NetThrdStart = &FailingStart;
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        FakeMsgr::Reset();
        failStarts = c.fail;
        startCalls = 0;
        TQueue<TStr> queue;
        for (unsigned i = 0; i < c.cnt; i++)
            queue.Push(new TStr(("n" + std::to_string(i)).c_str()));
        TLogCapture cap;
        TArray<unsigned long> codes;
        EXPECT_EQ(0u, NetSend(queue, TStr("boss"), TStr("hi"), &codes));
        ASSERT_EQ(c.cnt, codes.Count());
        for (unsigned i = 0; i < c.cnt; i++)
            EXPECT_EQ(c.fail.count(i) ? (unsigned)ERROR_NOT_ENOUGH_MEMORY : 0u, codes.Items()[i]) << i;
        // The others were served, each once; the names whose thread never ran were not.
        std::multiset<std::string> sent;
        for (const auto &s : FakeMsgr::Sends())
            sent.insert(s.target);
        for (unsigned i = 0; i < c.cnt; i++)
            EXPECT_EQ(c.fail.count(i) ? 0u : 1u, sent.count("n" + std::to_string(i))) << i;
        EXPECT_EQ(c.cnt - c.fail.size(), cap.Texts(EvtNetSend, "TNsThrd(to=").size());
        EXPECT_EQ(std::vector<std::string>{"boss"}, FakeMsgr::Deleted());
    }
    NetThrdStart = sysStart;
}

// The log line written when the wait runs out lets the held send go only after the results
// were fixed, so the held target reports the time-out whatever the timing.
void ReleaseOnWaitEnd(void *, const char *type, const char *text)
{
    if (strcmp(type, "CN!") == 0 && strstr(text, "wait ended"))
        FakeMsgr::Release();
}

TEST_F(NetSendTest, ExpiredWaitReportsTimeOutForRunningTargets)
{
    FakeMsgr::Hold("slow");
    SetLogHook(&ReleaseOnWaitEnd, nullptr);
    TQueue<TStr> queue;
    queue.Push(new TStr("slow"));
    TArray<unsigned long> codes;
    unsigned rc = NetSend(queue, TStr("boss"), TStr("hi"), &codes, 1);
    SetLogHook(nullptr, nullptr);
    EXPECT_EQ((unsigned)ERROR_TIMEOUT, rc);
    ASSERT_EQ(1u, codes.Count());
    EXPECT_EQ((unsigned)ERROR_TIMEOUT, codes.Items()[0]);
    // The held thread was waited for before the engine returned: its send completed.
    EXPECT_EQ(1u, FakeMsgr::Sends().size());
    EXPECT_EQ(std::vector<std::string>{"boss"}, FakeMsgr::Deleted());
}

} // namespace
