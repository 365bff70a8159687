// The ".wli" file: parsing the section format and loading the parameters.
#include "Log/LogIni.h"
#include "Log/LogLdr.h"
#include "Log/LogPrms.h"
#include "LogTestUtil.h"

#include <algorithm>

using namespace logtest;

namespace {

struct TIniCase
{
    const char *name;
    std::string text;
    const char *sect;
    const char *key;
    const char *val; // nullptr: the key must not be found in that section
};

TEST(LogIni, SectionFormat)
{
    const TIniCase cases[] = {
        {"plain entry", "[Prms]\r\nFlshSec=5\r\n", "Prms", "FlshSec", "5"},
        {"case-blind section and key", "[prms]\nflshsec=5\n", "PRMS", "FLSHSEC", "5"},
        {"blanks inside brackets", "[ \tPrms \t]\nA=1\n", "Prms", "A", "1"},
        {"blank after bracket is an entry", "[X]\n[Prms] \nA=1\n", "X", "[Prms] ", ""},
        {"blank before = belongs to the key", "[Prms]\nPID =On\n", "Prms", "PID ", "On"},
        {"blank before = : bare key not found", "[Prms]\nPID =On\n", "Prms", "PID", nullptr},
        {"value kept with blanks and further =", "[S]\nk= a=b \n", "S", "k", " a=b "},
        {"no = gives an empty value", "[Evts]\n.\n", "Evts", ".", ""},
        {"leading = keeps the whole line as key", "[S]\n=x\n", "S", "=x", ""},
        {"empty value", "[Prms]\nTmFrmt=\n", "Prms", "TmFrmt", ""},
        {"entries before any header: unnamed section", "k=v\n[S]\n", "", "k", "v"},
        {"bare CR line ends and blank lines", "[S]\r\r\n\n\ra=1\r\rb=2", "S", "b", "2"},
        {"NUL ends a line, parsing goes on", std::string("[S]\na=1\0b=2\n", 12), "S", "b", "2"},
        {"repeated header keeps one section", "[S]\na=1\n[s]\nb=2\n", "S", "a", "1"},
        {"repeated header collects entries", "[S]\na=1\n[s]\nb=2\n", "S", "b", "2"},
        {"first of equal keys wins", "[S]\nA=1\na=2\n", "S", "a", "1"},
        {"byte-order mark spoils the first header", "\xEF\xBB\xBF[Prms]\nA=1\n", "Prms", "A", nullptr},
        {"[] names the unnamed section", "[]\nk=v\n", "", "k", "v"},
        {"no comment syntax", "[S]\n;k=v\n", "S", ";k", "v"},
    };
    for (const TIniCase &c : cases) {
        SCOPED_TRACE(c.name);
        TLogIni ini;
        ini.Parse(c.text.data(), (unsigned)c.text.size());
        const TLogIniSection *s = ini.Section(c.sect);
        if (!c.val && !s)
            continue;
        ASSERT_NE(nullptr, s);
        const TLogIniVal *v = s->Find(c.key);
        if (!c.val) {
            EXPECT_EQ(nullptr, v);
            continue;
        }
        ASSERT_NE(nullptr, v);
        EXPECT_STREQ(c.val, v->Val().CStr());
    }
}

TEST(LogIni, MissingFile)
{
    TLogIni ini;
    EXPECT_EQ((unsigned)ERROR_FILE_NOT_FOUND, ini.Read((ExeDir() + "qzlog_t_none.wli").c_str()));
    EXPECT_EQ(nullptr, ini.Section(""));
}

TEST(LogIni, StrToInt)
{
    struct { const char *s; int v; bool digits; } cases[] = {
        {"5", 5, true},       {"  \t12x", 12, true}, {"-7", -7, true}, {"+3", 3, true},
        {"abc", 0, false},    {"", 0, false},        {"- 5", 0, false}, {"99999999999", 2147483647, true},
        {"-99999999999", -2147483647 - 1, true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.s);
        bool digits = !c.digits;
        EXPECT_EQ(c.v, LogStrToInt(c.s, &digits));
        EXPECT_EQ(c.digits, digits);
    }
}

// Each test has files of its own: ctest runs the tests of this program in parallel processes.
class TLdrLog : public TFileLog<TWliLog>
{
public:
    TLdrLog()
        : TFileLog<TWliLog>(std::string("qzlog_t_ldr_") +
                            testing::UnitTest::GetInstance()->current_test_info()->name())
    {
    }
};

// The parameters after loading a file, in one line, event types in list order.
std::string Describe(TWliLog &log)
{
    TLogPrms &p = log.Prms();
    char buf[160];
    snprintf(buf, sizeof buf, "tm=%s pid=%d tid=%d md=%d sec=%d lns=%d rd=%d evts=", p.TmFrmt().CStr(), p.Pid(),
             p.Tid(), p.StrtMd(), p.FlshSec(), p.FlshLns(), log.PrmsRd());
    // Event types in byte order: the list's own order follows the locale's collation.
    std::vector<std::string> tps;
    for (unsigned i = 0; i < p.EvtTps().Count(); i++)
        tps.push_back(std::string(p.EvtTps().Item(i)->Type().CStr()) + "/" + p.EvtTps().Item(i)->Text().CStr() + ";");
    std::sort(tps.begin(), tps.end());
    std::string s = buf;
    for (const std::string &t : tps)
        s += t;
    return s;
}

const char *const Defaults = "tm=dd.MM.yyyy HH:mm:ss.ii pid=1 tid=1 md=0 sec=60 lns=100 rd=60 evts=";

TEST(LogLdr, SectionFormat)
{
    struct { const char *name; const char *wli; std::string want; } cases[] = {
        {"only Evts with a dot", "[Evts]\r\n.=\r\n", std::string(Defaults) + "./;"},
        {"every key",
         "[Prms]\nTmFrmt=HH:mm\nPID=Off\nTID=x\nStrtMd=OVRWRT\nFlshSec=5\nFlshLns=7\nPrmsRd=3\n[Evts]\nS=begin\n",
         "tm=HH:mm pid=0 tid=0 md=1 sec=5 lns=7 rd=3 evts=S/begin;"},
        {"keys and keywords case-blind", "[PRMS]\npid=on\ntid=ON\nstrtmd=new\nflshsec=9\n",
         "tm=dd.MM.yyyy HH:mm:ss.ii pid=1 tid=1 md=2 sec=9 lns=100 rd=60 evts="},
        {"empty time format", "[Prms]\nTmFrmt=\n", "tm= pid=1 tid=1 md=0 sec=60 lns=100 rd=60 evts="},
        {"unknown start mode keeps append", "[Prms]\nStrtMd=ROTATE\n", Defaults},
        {"blank before = : key not found", "[Prms]\nPID =Off\n", Defaults},
        {"non-numeric flush values become 0", "[Prms]\nFlshSec=x\nFlshLns=\n",
         "tm=dd.MM.yyyy HH:mm:ss.ii pid=1 tid=1 md=0 sec=0 lns=0 rd=60 evts="},
        {"PrmsRd 0 and non-numeric ignored", "[Prms]\nPrmsRd=0\n", Defaults},
        {"PrmsRd without digits ignored", "[Prms]\nPrmsRd=soon\n", Defaults},
        {"duplicate type keeps the first text", "[Evts]\nSTT=a\nSTT=b\n", std::string(Defaults) + "STT/a;"},
        {"types differing in case are two", "[Evts]\nst.=\nST.=\n", std::string(Defaults) + "ST./;st./;"},
        {"Prms without Evts selects nothing", "[Prms]\nFlshLns=0\n",
         "tm=dd.MM.yyyy HH:mm:ss.ii pid=1 tid=1 md=0 sec=60 lns=0 rd=60 evts="},
        {"other sections ignored", "[Other]\n.=\nFlshSec=1\n", Defaults},
        {"entries outside a section are ignored", "[]\n.=\n", Defaults},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        TLdrLog log;
        // Parameters left from an earlier load must not survive the next one.
        log.Prms().SetFlshSec(1234);
        log.Prms().AddEvtTp("OLD", "");
        WriteAll(log.wli, c.wli);
        EXPECT_EQ(0u, log.LoadPrms());
        EXPECT_EQ(c.want, Describe(log));
    }
}

TEST(LogLdr, MissingFileRestoresDefaults)
{
    TLdrLog log;
    WriteAll(log.wli, "[Prms]\nFlshSec=3\n[Evts]\n.=\n");
    ASSERT_EQ(0u, log.LoadPrms());
    ASSERT_EQ(1u, log.Prms().EvtTps().Count());
    Remove(log.wli);
    EXPECT_EQ((unsigned)ERROR_FILE_NOT_FOUND, log.LoadPrms());
    EXPECT_EQ(Defaults, Describe(log));
}

TEST(LogLdr, FileWithoutHeadersIsReadInTheLineFormat)
{
    struct { const char *name; const char *wli; std::string want; } cases[] = {
        {"line format", "+STT\r\n+SOC\r\n!IMM\r\n",
         "tm=dd.MM.yyyy HH:mm:ss.ii pid=1 tid=1 md=0 sec=60 lns=1 rd=60 evts=SOC/;STT/;"},
        {"section entries without a header select nothing", "FlshSec=5\n.=\n", Defaults},
        {"one header keeps the section format", "+STT\n[Evts]\nSMT=\n", std::string(Defaults) + "SMT/;"},
        {"blank lines only", "\r\n\r\n", Defaults},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        TLdrLog log;
        WriteAll(log.wli, c.wli);
        EXPECT_EQ(0u, log.LoadPrms());
        EXPECT_EQ(c.want, Describe(log));
    }
}

TEST(LogLdr, LineFormat)
{
    struct { const char *name; const char *wli; std::string want; } cases[] = {
        {"types and IMM", "+STT\r\n  + S O C\n!imm\n", "tm=dd.MM.yyyy HH:mm:ss.ii pid=1 tid=1 md=0 sec=60 lns=1 rd=60 evts=SOC/;STT/;"},
        {"only three type characters", "+ABCDEF\n", std::string(Defaults) + "ABC/;"},
        {"other lines ignored", "STT\n#x\n!IM\n!XIMM\n", Defaults},
        {"IMM is the first four non-blank characters", "! i m m x\n", "tm=dd.MM.yyyy HH:mm:ss.ii pid=1 tid=1 md=0 sec=60 lns=1 rd=60 evts="},
        {"empty file", "", Defaults},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        TLdrLog log;
        WriteAll(log.wli, c.wli);
        TLogPrmsLdr ldr(&log);
        EXPECT_EQ(0u, ldr.Load());
        EXPECT_EQ(c.want, Describe(log));
    }
}

} // namespace
