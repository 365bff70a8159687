// The console flow of qzsend against the recording stand-in of the messaging calls: result
// lines, list lines, the usage text, exit codes. Expected texts come from the program's own
// string table and ErrorText, so the tests hold in either language.
#include "Con/ConRun.h"

#include "Con/OStream.h"
#include "FakeMsgr.h"
#include "Lib/Res.h"
#include "Net/NetSend.h"
#include "Sys/Mdl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace
{

class TStrOut : public TOStream
{
public:
    std::string text;

protected:
    void Put(const char *p, unsigned n) override { text.append(p, n); }
};

// The result text for a code, as the program words it.
std::string Result(unsigned code)
{
    WTMdl mdl(GetModuleHandleA(NULL));
    if (code == 0)
        return mdl.LoadStr(StrSent).CStr();
    TStr fmt = mdl.LoadStr(StrNotSent);
    TStr line;
    line.Format(fmt.CStr(), code, ErrorText(code).CStr());
    return line.CStr();
}

class ConRunTest : public ::testing::Test
{
protected:
    void SetUp() override { FakeMsgr::Reset(); }
    void TearDown() override
    {
        FakeMsgr::Reset();
        remove(listName);
    }
    unsigned Run(std::vector<const char *> args)
    {
        args.insert(args.begin(), "qzsend");
        out.text.clear();
        return ConRun((int)args.size(), args.data(), out);
    }
    void List(const char *bytes)
    {
        FILE *f = fopen(listName, "wb");
        fputs(bytes, f);
        fclose(f);
    }
    // One file per test and process: CTest runs the tests of this program in parallel.
    std::string listFile = std::string("conrun-") +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                           std::to_string((unsigned)GetCurrentProcessId()) + ".lst";
    const char *listName = listFile.c_str();
    TStrOut out;
};

TEST_F(ConRunTest, SingleTargetLines)
{
    FakeMsgr::SetSendResult("down", 2273);
    const struct
    {
        std::vector<const char *> args;
        unsigned rc;
        std::string prefix; // the target as printed and as sent
    } cases[] = {
        {{"pc1", "/FROM:boss", "Disk\\nfull"}, 0, "pc1"},
        {{"down", "hello"}, 2273, "down"},
        {{"/DOMAIN:work", "hi"}, 0, "work*"},
        {{"/domain:", "hi"}, 0, "*"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.prefix);
        FakeMsgr::Reset();
        FakeMsgr::SetSendResult("down", 2273);
        EXPECT_EQ(c.rc, Run(c.args));
        EXPECT_EQ(c.prefix + ": " + Result(c.rc) + "\n", out.text);
        auto sends = FakeMsgr::Sends();
        ASSERT_EQ(1u, sends.size());
        EXPECT_EQ(c.prefix, sends[0].target);
    }
    auto sends = FakeMsgr::Sends();
    Run({"pc1", "/FROM:boss", "Disk\\nfull"});
    sends = FakeMsgr::Sends();
    ASSERT_FALSE(sends.empty());
    EXPECT_EQ("boss", sends.back().from);
    EXPECT_EQ(u"Disk\nfull", sends.back().text);
}

TEST_F(ConRunTest, EmptyMessagePrintsNothing)
{
    const std::vector<const char *> cases[] = {{"pc1", "/FROM:boss"}, {"pc1", ""}, {"pc1", "/FROM:x", "/ESC:#"}};
    for (const auto &args : cases)
    {
        SCOPED_TRACE(args.size());
        EXPECT_EQ(0u, Run(args));
        EXPECT_EQ("", out.text);
    }
    EXPECT_TRUE(FakeMsgr::Sends().empty());
}

TEST_F(ConRunTest, InvalidParameterPrintsUsage)
{
    EXPECT_EQ(87u, Run({"pc1"}));
    EXPECT_EQ(std::string(UsageText().CStr()) + "\n", out.text);
    EXPECT_EQ(87u, Run({}));
    EXPECT_EQ(std::string(UsageText().CStr()) + "\n", out.text);
    EXPECT_TRUE(FakeMsgr::Sends().empty());

    // A send that fails with 87 prints its result line, then the usage text.
    FakeMsgr::SetSendResult("bad", 87);
    EXPECT_EQ(87u, Run({"bad", "hi"}));
    EXPECT_EQ("bad: " + Result(87) + "\n" + UsageText().CStr() + "\n", out.text);
}

TEST_F(ConRunTest, UsageTextLayout)
{
    // Every line ends with a line feed; option and description columns are fixed: options
    // after two blanks, every description from column 24.
    std::string usage = UsageText().CStr();
    ASSERT_FALSE(usage.empty());
    ASSERT_EQ('\n', usage.back());
    EXPECT_EQ(0u, usage.rfind("qzsend.exe {<", 0));
    std::istringstream in(usage);
    std::string line;
    unsigned described = 0;
    while (std::getline(in, line))
    {
        if (line.size() < 24 || line.compare(0, 2, "  ") != 0 || line.compare(0, 13, "  qzsend.exe ") == 0)
            continue;
        SCOPED_TRACE(line);
        EXPECT_EQ(' ', line[22]);
        EXPECT_NE(' ', line[23]);
        described++;
    }
    EXPECT_GE(described, 15u);
}

TEST_F(ConRunTest, ListLinesInFileOrder)
{
    List("pc1\r\nbad\r\npc1\r\n");
    FakeMsgr::SetSendResult("bad", 2273);
    std::string arg = std::string("/LIST:") + listName;
    EXPECT_EQ(0u, Run({arg.c_str(), "/FROM:boss", "hi"}));
    EXPECT_EQ("pc1: " + Result(0) + "\nbad: " + Result(2273) + "\npc1: " + Result(0) + "\n", out.text);
}

TEST_F(ConRunTest, ListFailuresPrintOneLineWithoutPrefix)
{
    EXPECT_EQ(2u, Run({"/LIST:no-such-list.lst", "hi"}));
    EXPECT_EQ(Result(2) + "\n", out.text);

    List("\r\n\r\n");
    std::string arg = std::string("-list:") + listName;
    unsigned rc = Run({arg.c_str(), "hi"});
    EXPECT_EQ(NetErrNoNames(), rc);
    EXPECT_EQ(Result(rc) + "\n", out.text);
    EXPECT_TRUE(FakeMsgr::Sends().empty());
}

} // namespace
