// The log writer on its own (TLog and TWliLog, flushing on the writing thread): start modes,
// the queue across start and stop, the flush thresholds and the filter at flush time.
#include "LogTestUtil.h"

#include <regex>

using namespace logtest;

namespace {

typedef TFileLog<TWliLog> TSyncLog;

// Lines are the type code, a blank and the text: easy to compare whole.
const std::string Bare = "[Prms]\nTmFrmt=\nPID=Off\nTID=Off\n";

TEST(Log, StartModes)
{
    struct
    {
        const char *mode;
        bool oldKept;       // the previous log file keeps its content
        bool oldGetsLine;   // the new line goes into the configured file
    } cases[] = {
        {"APPEND", true, true},
        {"ovrwrt", false, true},
        {"NEW", true, false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.mode);
        TSyncLog log("qzlog_t_mode");
        WriteAll(log.log, "old\r\n");
        WriteAll(log.wli, Bare + "FlshLns=0\nStrtMd=" + c.mode + "\n[Evts]\n.=\n");
        ASSERT_EQ(0u, log.Start());
        std::string file = log.FileName().CStr();
        EXPECT_EQ(c.oldKept, FileExists(log.log)) << "overwrite deletes at start, before any line";

        EXPECT_EQ(0u, log.Write("TST", "line %d", 1));
        EXPECT_EQ(std::string(c.oldKept ? "old\r\n" : "") + (c.oldGetsLine ? "TST line 1\r\n" : ""), ReadAll(log.log));
        if (!c.oldGetsLine) {
            // <stem>yyyyMMdd-HHmmssiii<ext> beside the configured file.
            std::string stem = log.log.substr(0, log.log.size() - 4);
            ASSERT_EQ(stem.size() + 18 + 4, file.size()) << file;
            EXPECT_EQ(stem, file.substr(0, stem.size()));
            EXPECT_TRUE(std::regex_match(file.substr(stem.size()), std::regex("[0-9]{8}-[0-9]{9}\\.log"))) << file;
            EXPECT_EQ("TST line 1\r\n", ReadAll(file));
        }
        EXPECT_EQ(0u, log.Stop());
        EXPECT_EQ(0u, log.FileName().Length());
        if (!c.oldGetsLine)
            Remove(file);
    }
}

TEST(Log, QueueAcrossStartAndStop)
{
    TSyncLog log("qzlog_t_queue");
    EXPECT_EQ(1u, log.Stop()) << "never started";
    EXPECT_EQ(0u, log.Write("TST", "before start"));
    WriteAll(log.wli, Bare + "[Evts]\n.=\n");
    ASSERT_EQ(0u, log.Start());
    EXPECT_EQ(1u, log.TLog::Start()) << "the writer's own start refuses a started log";
    EXPECT_EQ(0u, log.Write("TST", "%s", std::string(500, 'x').c_str()));
    EXPECT_FALSE(FileExists(log.log)) << "below the thresholds nothing is flushed";
    EXPECT_EQ(0u, log.Stop());
    EXPECT_EQ("TST before start\r\nTST " + std::string(500, 'x') + "\r\n", ReadAll(log.log));

    EXPECT_EQ(1u, log.Stop());
    EXPECT_EQ(0u, log.Write("TST", "after stop"));
    EXPECT_EQ(1u, log.Queued()) << "queued, and never written";
}

TEST(Log, FlushThresholdAndFilter)
{
    struct
    {
        const char *name;
        const char *wli;
        unsigned writes;       // lines of type SMT, then one of type STT
        unsigned wantOnDisk;   // lines in the file before Stop
        bool fileAtEnd;        // a log file exists after Stop
    } cases[] = {
        {"100 lines stay queued", "[Evts]\n.=\n", 99, 0, true},
        {"the 101st flushes", "[Evts]\n.=\n", 100, 101, true},
        {"FlshLns 0 flushes each line", "[Prms]\nFlshLns=0\n[Evts]\n.=\n", 3, 4, true},
        {"unselected type leaves no trace", "[Prms]\nFlshLns=0\n[Evts]\nSMT=\n", 3, 3, true},
        {"no event types, no file", "[Prms]\nFlshLns=0\n", 3, 0, false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        TSyncLog log("qzlog_t_flush");
        WriteAll(log.wli, Bare + c.wli);
        ASSERT_EQ(0u, log.Start());
        for (unsigned i = 0; i < c.writes; i++)
            log.Write("SMT", "n=%u", i);
        log.Write("STT", "last");
        std::vector<std::string> lines = Lines(ReadAll(log.log));
        EXPECT_EQ(c.wantOnDisk, lines.size());
        for (size_t i = 0; i < lines.size(); i++)
            EXPECT_EQ(i < c.writes ? "SMT n=" + std::to_string(i) : std::string("STT last"), lines[i]);
        EXPECT_EQ(0u, log.Stop());
        EXPECT_EQ(c.fileAtEnd, FileExists(log.log));
    }
}

TEST(Log, StartResults)
{
    const std::string path = ExeDir() + "qzlog_t_start.log";
    struct
    {
        const char *name;
        const char *logPath;
        int mode;
        unsigned want;
        bool timestamped;  // the file name is not the configured path
    } cases[] = {
        {"no log file path", "", LogAppend, (unsigned)ERROR_INVALID_PARAMETER, false},
        {"mode 3 is no mode", path.c_str(), 3, (unsigned)ERROR_INVALID_PARAMETER, false},
        {"only the low two bits count: append", path.c_str(), 4, 0, false},
        {"only the low two bits count: new file", path.c_str(), 6, 0, true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        TLog log;
        log.Prms().SetLogPath(c.logPath);
        log.Prms().SetStrtMd(c.mode);
        EXPECT_EQ(c.want, log.Start());
        EXPECT_EQ(c.want == 0, log.IsStarted());
        if (c.want != 0) {
            EXPECT_EQ(1u, log.Stop()) << "a refused start leaves the log not started";
            continue;
        }
        EXPECT_EQ(c.timestamped, path != log.FileName().CStr()) << log.FileName().CStr();
        EXPECT_EQ(0u, log.Stop());
    }
}

// A log whose file cannot be created: its folder does not exist.
class TNoDirLog : public TSyncLog
{
public:
    TNoDirLog() : TSyncLog("qzlog_t_nodir") { SetPaths(wli.c_str(), (ExeDir() + "qzlog_t_nodir/x.log").c_str()); }
};

TEST(Log, FailedFlushLosesOneLineAndKeepsTheRest)
{
    TNoDirLog log;
    WriteAll(log.wli, Bare + "FlshLns=2\n[Evts]\n.=\n");
    ASSERT_EQ(0u, log.Start());
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(0u, log.Write("TST", "line %d", i)) << "a write reports only its own queueing";
    // The third line made a flush due; the file could not be opened, so the line being written
    // is lost and the others stay queued for the next flush.
    EXPECT_EQ(2u, log.Queued());
    EXPECT_NE(0u, log.LockedFlush()) << "the flush reports the failure";
    EXPECT_EQ(1u, log.Queued());
}

} // namespace
