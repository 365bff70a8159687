// The process log and its writer thread: the files beside the executable, flushing by the
// writer thread (line threshold, flush timer), re-reading a changed ".wli", stopping, and many
// threads writing at once.
#include "Log/LogCapture.h"
#include "LogTestUtil.h"

#include <regex>
#include <thread>

using namespace logtest;

namespace {

typedef TFileLog<TAsyncLog> TAsync;

const std::string Bare = "[Prms]\nTmFrmt=\nPID=Off\nTID=Off\n";

// The full default line layout.
const std::regex DefaultLine("([A-Z.]{2}.) [0-9]{2}\\.[0-9]{2}\\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} "
                             "Pid=0x[0-9a-f]{4,} Tid=0x[0-9a-f]{4,} (.*)");

TEST(ProcessLog, FirstCallsFromManyThreadsShareOneLog)
{
    // Run as its own process by CTest, this is the program's first use of the process log.
    TLogA *seen[8] = {};
    std::vector<std::thread> threads;
    for (TLogA *&slot : seen)
        threads.emplace_back([&slot] { slot = &ProcessLog(); });
    for (std::thread &t : threads)
        t.join();
    for (TLogA *log : seen)
        EXPECT_EQ(&ProcessLog(), log);
}

TEST(ProcessLog, FilesBesideTheExecutable)
{
    const std::string wli = ExeStem() + ".wli", log = ExeStem() + ".log";
    Remove(wli);
    Remove(log);
    ASSERT_EQ(&ProcessLog(), &ProcessLog());

    // Without a ".wli" nothing is ever written and no log file is created.
    ProcessLog().Start();
    for (int i = 0; i < 150; i++)
        EXPECT_EQ(0u, ProcessLog().Write(EvtMtxCrt, "quiet %d", i));
    EXPECT_EQ(0u, ProcessLog().Stop());
    EXPECT_FALSE(FileExists(log));

    WriteAll(wli, "[Evts]\r\n.=\r\n");
    ProcessLog().Start();
    ProcessLog().Write(EvtThrdCrt, "Create thread: handle=%#08x,id=%#06x,this=%#08x result=%u.", 0x24u, 0x1a4u, 0x1000u, 0u);
    ProcessLog().Write(EvtNetSend, "NetSend(%s,%s,msglen=%u) end(rc=%u)", "pc1", "boss", 9u, 0u);
    ProcessLog().Write("..A", "literal code");
    EXPECT_EQ(0u, ProcessLog().Stop());
    EXPECT_EQ(1u, ProcessLog().Stop());
    ProcessLog().Write(EvtMtxCrt, "after stop");

    std::string text = ReadAll(log);
    std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(3u, lines.size()) << text;
    EXPECT_EQ(text.size(), text.rfind("\r\n") + 2) << "every line ends in CR LF";
    const char *want[][2] = {{"STT", "Create thread: handle=0x000024,id=0x01a4,this=0x001000 result=0."},
                             {"CN\x9B", "NetSend(pc1,boss,msglen=9) end(rc=0)"},
                             {"..A", "literal code"}};
    for (size_t i = 0; i < lines.size(); i++) {
        SCOPED_TRACE(lines[i]);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, DefaultLine));
        EXPECT_EQ(want[i][0], m[1].str());
        EXPECT_EQ(want[i][1], m[2].str());
    }
    Remove(wli);
    Remove(log);
}

TEST(AsyncLog, WriterFlushesBurstWithoutTimer)
{
    TAsync log("qzlog_t_burst");
    WriteAll(log.wli, Bare + "[Evts]\n.=\n");
    EXPECT_EQ(1u, log.Stop()) << "never started";
    ASSERT_EQ(0u, log.Start());
    EXPECT_EQ(0u, log.Start()) << "a second start does nothing";
    for (int i = 0; i < 101; i++)
        log.Write("TST", "burst %d", i);
    // The 60 s flush timer is far away: only the writer's line-count check writes these.
    ASSERT_TRUE(Eventually([&] { return Lines(ReadAll(log.log)).size() == 101; }));
    std::vector<std::string> lines = Lines(ReadAll(log.log));
    for (int i = 0; i < 101; i++)
        EXPECT_EQ("TST burst " + std::to_string(i), lines[i]);
}

TEST(AsyncLog, StopWritesQueueThenNothing)
{
    TAsync log("qzlog_t_stop");
    WriteAll(log.wli, Bare + "[Prms]\nFlshLns=1000\n[Evts]\n.=\n");
    log.Write("TST", "before start");
    ASSERT_EQ(0u, log.Start());
    for (int i = 0; i < 5; i++)
        log.Write("TST", "queued %d", i);
    EXPECT_EQ(0u, log.Stop());
    EXPECT_FALSE(log.IsStarted());
    const std::string want = "TST before start\r\nTST queued 0\r\nTST queued 1\r\nTST queued 2\r\nTST queued 3\r\n"
                             "TST queued 4\r\n";
    EXPECT_EQ(want, ReadAll(log.log));

    EXPECT_EQ(0u, log.Write("TST", "after stop"));
    EXPECT_EQ(1u, log.Locked([&] { return log.Queued(); }));
    EXPECT_EQ(1u, log.Stop());
    EXPECT_EQ(want, ReadAll(log.log));
}

TEST(AsyncLog, FlushTimerAndPeriodFromRereadFile)
{
    TAsync log("qzlog_t_timer");
    // Flush period of an hour: a line stays queued.
    WriteAll(log.wli, Bare + "PrmsRd=1\nFlshSec=3600\nFlshLns=1000\n[Evts]\n.=\n");
    ASSERT_EQ(0u, log.Start());
    log.Write("TST", "waits for the timer");
    EXPECT_EQ(1u, log.Locked([&] { return log.Queued(); }));
    // The re-read after a second shortens the period; the flush timer then writes the line.
    WriteAll(log.wli, Bare + "PrmsRd=1\nFlshSec=1\nFlshLns=1000\n[Evts]\n.=\n");
    EXPECT_TRUE(Eventually([&] { return ReadAll(log.log) == "TST waits for the timer\r\n"; }));
}

TEST(AsyncLog, RereadSwitchesLoggingOnAndOff)
{
    TAsync log("qzlog_t_reread");
    WriteAll(log.wli, Bare + "PrmsRd=1\nFlshLns=0\n");
    ASSERT_EQ(0u, log.Start());
    log.Write("TST", "dropped");
    ASSERT_TRUE(Eventually([&] { return log.Locked([&] { return log.Queued(); }) == 0; }));

    WriteAll(log.wli, Bare + "PrmsRd=1\nFlshLns=0\n[Evts]\nTST=\n");
    ASSERT_TRUE(Eventually([&] { return log.Locked([&] { return log.Prms().EvtTps().Count(); }) == 1; }));
    log.Write("TST", "kept");
    ASSERT_TRUE(Eventually([&] { return ReadAll(log.log) == "TST kept\r\n"; }));

    Remove(log.wli);
    ASSERT_TRUE(Eventually([&] { return log.Locked([&] { return log.Prms().EvtTps().Count(); }) == 0; }));
    log.Write("TST", "after removal");
    EXPECT_EQ(0u, log.Stop());
    EXPECT_EQ("TST kept\r\n", ReadAll(log.log));
}

TEST(AsyncLog, EightThreadsLoseNothing)
{
    const int threads = 8, perThread = 400;
    TAsync log("qzlog_t_threads");
    // Frequent flushes run while the threads write.
    WriteAll(log.wli, "[Prms]\nFlshLns=7\n[Evts]\n.=\n");
    ASSERT_EQ(0u, log.Start());
    std::vector<std::string> queued;
    {
        TLogCapture cap;
        std::vector<std::thread> ts;
        for (int t = 0; t < threads; t++)
            ts.emplace_back([&log, t] {
                for (int i = 0; i < perThread; i++)
                    EXPECT_EQ(0u, log.Write("TST", "thread %d line %d %s", t, i, std::string(t * 20, 'a' + t).c_str()));
            });
        for (std::thread &th : ts)
            th.join();
        for (const TLogCapture::TLine &l : cap.Lines())
            queued.push_back(l.text);
    }
    EXPECT_EQ(0u, log.Stop());

    std::vector<std::string> lines = Lines(ReadAll(log.log));
    ASSERT_EQ((size_t)threads * perThread, queued.size());
    ASSERT_EQ(queued.size(), lines.size());
    std::vector<int> next(threads, 0);
    std::regex text("thread ([0-9]) line ([0-9]+) (a*|b*|c*|d*|e*|f*|g*|h*)");
    for (size_t i = 0; i < lines.size(); i++) {
        std::smatch m, t;
        ASSERT_TRUE(std::regex_match(lines[i], m, DefaultLine)) << "torn line: " << lines[i];
        std::string body = m[2].str();
        EXPECT_EQ(queued[i], body) << "the file keeps the queue order";
        ASSERT_TRUE(std::regex_match(body, t, text)) << body;
        int th = std::stoi(t[1].str());
        EXPECT_EQ(next[th]++, std::stoi(t[2].str())) << "each thread's lines in its order";
        EXPECT_EQ((size_t)th * 20, t[3].str().size());
    }
}

} // namespace
