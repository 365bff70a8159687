// Worker threads: the outcome of Init, Run and Finish as exit code and log lines, suspended
// start, the thread name mutex and destruction.
#include "Sys/Thrd.h"

#include "Lib/Except.h"
#include "Log/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>
#include <string>

namespace {

unsigned long long Addr(const void *p)
{
    return (unsigned long long)(std::uintptr_t)p;
}

enum class TAct { Nothing, ThrowLib, ThrowOther };

// A thread whose Init result, Run behaviour and Finish code the test chooses; it records what
// was called.
class TTestThrd : public TThrd {
public:
    TTestThrd(bool init, TAct act, unsigned code) : init(init), act(act), code(code) {}
    bool ran = false;
    bool finished = false;
    std::string thrownText;

protected:
    bool Init() override { return init; }
    void Run() override
    {
        ran = true;
        if (act == TAct::ThrowLib) {
            EInvalidArgument e(__FILE__, __LINE__, "code!=0");
            thrownText = e.Text();
            throw e;
        }
        if (act == TAct::ThrowOther)
            throw 42;
    }
    unsigned Finish() override
    {
        finished = true;
        return code;
    }

private:
    bool init;
    TAct act;
    unsigned code;
};

std::string Line(const char *fmt, ...) QZ_PRINTF_FMT(1, 2);
std::string Line(const char *fmt, ...)
{
    char buf[400];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

DWORD ExitCode(HANDLE h)
{
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    return code;
}

} // namespace

TEST(TThrd, OutcomesBecomeExitCodesAndLines)
{
    struct Row {
        const char *what;
        bool init;
        TAct act;
        unsigned code;
        unsigned exitCode;
        bool ran, finished;
    } rows[] = {
        {"plain", true, TAct::Nothing, 0, 0, true, true},
        {"code from Finish", true, TAct::Nothing, 0xC0DE, 0xC0DE, true, true},
        {"Init refuses", false, TAct::Nothing, 5, 5, false, true},
        {"library exception", true, TAct::ThrowLib, 7, 1359, true, false},
        {"other exception", true, TAct::ThrowOther, 7, 1359, true, false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        TLogCapture cap;
        TTestThrd t(r.init, r.act, r.code);
        ASSERT_EQ(t.Start(0), 0u);
        ASSERT_NE(t.GetHandle(), nullptr);
        ASSERT_EQ(WaitForSingleObject(t.GetHandle(), INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(ExitCode(t.GetHandle()), r.exitCode);
        EXPECT_EQ(t.ran, r.ran);
        EXPECT_EQ(t.finished, r.finished);

        unsigned id = t.GetId();
        EXPECT_NE(id, 0u);
        EXPECT_EQ(cap.Texts("STT"), std::vector<std::string>{Line("Create thread: handle=%#08llx,id=%#06x,this=%#08llx result=0.",
                                                                   Addr(t.GetHandle()), id, Addr(&t))});
        std::vector<std::string> routine = cap.Texts("ST.");
        ASSERT_GE(routine.size(), 1u);
        EXPECT_EQ(routine[0], Line("Thread routine begin(thrd=%#010llx).", Addr(&t)));
        std::vector<std::string> failed = cap.Texts("ST!");
        if (r.finished) {
            EXPECT_EQ(routine, (std::vector<std::string>{routine[0],
                                                         Line("Thread routine end %u (%#010x) [thrd=%#010llx id=%u(%#06x)].",
                                                              r.exitCode, r.exitCode, Addr(&t), id, id)}));
            EXPECT_TRUE(failed.empty());
        } else {
            EXPECT_EQ(routine.size(), 1u); // no end line
            ASSERT_EQ(failed.size(), 1u);
            if (r.act == TAct::ThrowLib) {
                ASSERT_FALSE(t.thrownText.empty());
                EXPECT_EQ(failed[0],
                          Line("Thread routine exception [thrd=%#010llx,%s].", Addr(&t), t.thrownText.c_str()));
            } else {
                EXPECT_EQ(failed[0], Line("Thread routine unknown exception [thrd=%#010llx].", Addr(&t)));
            }
        }
    }
}

TEST(TThrd, ZeroExitCodePrintsAsTenZerosInHex)
{
    TLogCapture cap;
    TTestThrd t(true, TAct::Nothing, 0);
    ASSERT_EQ(t.Start(0), 0u);
    ASSERT_EQ(WaitForSingleObject(t.GetHandle(), INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(cap.Has("ST.", "Thread routine end 0 (0000000000) [thrd="));
}

TEST(TThrd, SuspendedStartRunsWhenResumed)
{
    TTestThrd t(true, TAct::Nothing, 3);
    ASSERT_EQ(t.Start(1), 0u);
    EXPECT_EQ(WaitForSingleObject(t.GetHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(ExitCode(t.GetHandle()), STILL_ACTIVE);
    EXPECT_FALSE(t.ran);
    EXPECT_EQ(ResumeThread(t.GetHandle()), 1u);
    ASSERT_EQ(WaitForSingleObject(t.GetHandle(), INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(t.ran);
    EXPECT_EQ(ExitCode(t.GetHandle()), 3u);
}

TEST(TThrd, NameMutexLivesAsLongAsTheObject)
{
    TLogCapture cap;
    std::string name;
    HANDLE thread;
    const void *addr;
    {
        TTestThrd t(true, TAct::Nothing, 0);
        addr = &t;
        ASSERT_EQ(t.Start(0), 0u);
        thread = t.GetHandle();
        name = "QZ_TThrd_" + std::to_string(t.GetId());
        EXPECT_TRUE(cap.Has("SMT", ("Creating mutex \"" + name + "\": handle=").c_str()));
        ASSERT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
        // Still there after the thread ended: opening the name finds the existing mutex.
        HANDLE probe = CreateMutexA(NULL, FALSE, name.c_str());
        ASSERT_NE(probe, nullptr);
        EXPECT_EQ(GetLastError(), 183u);
        CloseHandle(probe);
        cap.Clear();
    }
    // Destruction: the thread handle, then the never-created second mutex (skipped by value),
    // then the first mutex.
    auto lines = cap.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].type, "STC");
    EXPECT_EQ(lines[0].text, Line("Closing thread handle: handle=%#08llx this=%#08llx result=0", Addr(thread), Addr(addr)));
    EXPECT_EQ(lines[1].type, "SOA");
    EXPECT_NE(lines[1].text.find("-skipped(value)."), std::string::npos);
    EXPECT_EQ(lines[2].type, "SOC");
    EXPECT_FALSE(GetHandleInformation(thread, NULL));
    HANDLE probe = CreateMutexA(NULL, FALSE, name.c_str());
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(GetLastError(), 0u); // gone with the object
    CloseHandle(probe);
}

TEST(TThrd, NeverStartedWritesNoLines)
{
    TLogCapture cap;
    {
        TTestThrd t(true, TAct::Nothing, 0);
        EXPECT_EQ(t.GetHandle(), nullptr);
        EXPECT_EQ(t.GetId(), 0u);
    }
    EXPECT_TRUE(cap.Lines().empty());
}

TEST(TThrd, ManyThreadsWaitedForAtOnce)
{
    const unsigned n = 16;
    std::vector<std::unique_ptr<TTestThrd>> thrds;
    std::vector<HANDLE> handles;
    for (unsigned i = 0; i < n; ++i) {
        thrds.emplace_back(new TTestThrd(true, TAct::Nothing, 100 + i));
        ASSERT_EQ(thrds.back()->Start(0), 0u);
        handles.push_back(thrds.back()->GetHandle());
    }
    ASSERT_EQ(WaitForMultipleObjects(n, handles.data(), TRUE, INFINITE), WAIT_OBJECT_0);
    for (unsigned i = 0; i < n; ++i)
        EXPECT_EQ(ExitCode(handles[i]), 100 + i);
}
