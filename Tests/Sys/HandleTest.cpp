// Handle owners: closing with its three outcomes, mutex creation and files, with their log lines.
#include "Sys/Handle.h"

#include "Log/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string Fmt(const char *fmt, const void *handle, const void *self)
{
    char buf[200];
    std::snprintf(buf, sizeof buf, fmt, (unsigned long long)(std::uintptr_t)handle,
                  (unsigned long long)(std::uintptr_t)self);
    return buf;
}

// Windows hands a closed handle's value to the next new handle. Tests that close a handle behind
// an owner's back make sure the process log (whose construction creates its lock) exists first,
// so that the lock cannot take over the closed value.
void LogReady()
{
    ProcessLog();
}

// A file name in the working folder, unique to this process.
std::string TempName(const char *stem)
{
    return std::string(stem) + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

} // namespace

TEST(THandle, NeverGivenAHandleWritesNothing)
{
    TLogCapture cap;
    {
        THandle h;
        TMutex m;
        TFile f;
    }
    EXPECT_TRUE(cap.Lines().empty());
}

TEST(THandle, CloseWithoutAHandleIsSkippedByValue)
{
    for (HANDLE value : {static_cast<HANDLE>(NULL), INVALID_HANDLE_VALUE}) {
        SCOPED_TRACE(value == NULL ? "null" : "all bits set");
        TLogCapture cap;
        THandle h;
        h.SetHandle(value);
        EXPECT_EQ(h.Close(), 0u);
        EXPECT_EQ(h.GetHandle(), value);
        auto lines = cap.Texts("SOA");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], Fmt("Closing handle: handle=%#010llx,this=%#010llx-skipped(value).", value, &h));
        if (value == NULL) {
            EXPECT_EQ(lines[0].find("handle=0000000000,"), 16u); // a null handle prints as ten zeros
        }
    }
}

TEST(THandle, HandleClosedElsewhereIsNeverClosedAgain)
{
    LogReady();
    TLogCapture cap;
    HANDLE raw = CreateMutexA(NULL, FALSE, NULL);
    ASSERT_NE(raw, nullptr);
    std::string want;
    {
        THandle h;
        h.SetHandle(raw);
        EXPECT_TRUE(h.IsValid());
        ASSERT_TRUE(CloseHandle(raw));
        EXPECT_FALSE(h.IsValid());
        EXPECT_EQ(h.Close(), 0u);
        EXPECT_EQ(h.GetHandle(), raw); // the value stays
        want = Fmt("Closing handle: handle=%#010llx,this=%#010llx-skipped(invalid).", raw, &h);
    }
    // Close and the destructor each tried once and skipped; nothing was closed.
    auto lines = cap.Texts("SOA");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], want);
    EXPECT_EQ(lines[1], want);
    EXPECT_FALSE(cap.Has("SOC"));
}

TEST(THandle, SuccessfulCloseEmptiesTheObject)
{
    LogReady();
    TLogCapture cap;
    HANDLE raw = CreateMutexA(NULL, FALSE, NULL);
    ASSERT_NE(raw, nullptr);
    std::string want;
    {
        THandle h;
        h.SetHandle(raw);
        EXPECT_EQ(h.Close(), 0u);
        EXPECT_EQ(h.GetHandle(), nullptr);
        EXPECT_FALSE(GetHandleInformation(raw, NULL));
        want = Fmt("Closing handle: handle=%#010llx,this=%#010llx,result=0.", raw, &h);
    }
    auto lines = cap.Lines();
    ASSERT_EQ(lines.size(), 1u); // the destructor adds nothing
    EXPECT_EQ(lines[0].type, "SOC");
    EXPECT_EQ(lines[0].text, want);
}

TEST(TMutex, CreateReleaseAndDestroy)
{
    TLogCapture cap;
    const std::string name = "QzSysTest_" + std::to_string(GetCurrentProcessId());
    struct Row {
        const char *what;
        std::string name;
    } rows[] = {{"unnamed", ""}, {"named", name}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        cap.Clear();
        HANDLE h;
        const void *addr;
        {
            TMutex m;
            addr = &m;
            EXPECT_EQ(m.Create(false, r.name.c_str()), 0u);
            h = m.GetHandle();
            ASSERT_NE(h, nullptr);
            EXPECT_EQ(std::string(m.GetName().CStr() ? m.GetName().CStr() : ""), r.name);
            auto smt = cap.Texts("SMT");
            ASSERT_EQ(smt.size(), 1u);
            char want[200];
            std::snprintf(want, sizeof want, "Creating mutex \"%s\": handle=%#010llx,rc=0,this=%#010llx.",
                          r.name.c_str(), (unsigned long long)(std::uintptr_t)h,
                          (unsigned long long)(std::uintptr_t)&m);
            EXPECT_EQ(smt[0], want);
            // Not owned: releasing fails with "not owner"; after a wait it succeeds.
            EXPECT_EQ(m.Release(), 288u);
            EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
            EXPECT_EQ(m.Release(), 0u);
            EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0); // left owned at destruction
        }
        EXPECT_FALSE(GetHandleInformation(h, NULL));
        EXPECT_TRUE(cap.Has("SOC", Fmt("Closing handle: handle=%#010llx,this=%#010llx,result=0.", h, addr).c_str()));
    }
}

TEST(TMutex, SameNameOpensTheSameMutex)
{
    const std::string name = "QzSysTest_same_" + std::to_string(GetCurrentProcessId());
    TMutex a, b;
    ASSERT_EQ(a.Create(true, name.c_str()), 0u);
    ASSERT_EQ(b.Create(false, name.c_str()), 0u); // an existing mutex counts as success
    EXPECT_NE(a.GetHandle(), b.GetHandle());
    // a owns it: released through b's handle by the same thread, the one object becomes free.
    EXPECT_EQ(b.Release(), 0u);
    EXPECT_EQ(b.Release(), 288u);
    TMutex empty;
    EXPECT_EQ(empty.Release(), 0u); // no handle
}

TEST(TFile, CrtOnAMissingFile)
{
    TLogCapture cap;
    TFile f;
    EXPECT_EQ(f.Crt(TempName("qzsys_missing").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, NULL),
              2u);
    EXPECT_EQ(f.GetHandle(), nullptr);
    auto sft = cap.Texts("SFT");
    ASSERT_EQ(sft.size(), 1u);
    // A null handle prints as ten zeros.
    EXPECT_EQ(sft[0], Fmt("TFile::Crt()end(handle=0000000000,rc=2)[this=%#010llx]%.0llx", &f, nullptr));
}

TEST(TFile, WrittenFileIsFlushedAndClosedAtDestruction)
{
    TLogCapture cap;
    const std::string name = TempName("qzsys_file");
    HANDLE h;
    const void *addr;
    {
        TFile f;
        addr = &f;
        ASSERT_EQ(f.Crt(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL),
                  0u);
        h = f.GetHandle();
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(cap.Texts("SFT")[0], Fmt("TFile::Crt()end(handle=%#010llx,rc=0)[this=%#010llx]", h, &f));
        DWORD n = 0;
        ASSERT_TRUE(WriteFile(h, "list\r\n", 6, &n, NULL));
    }
    EXPECT_TRUE(cap.Has("SOC", Fmt("Closing handle: handle=%#010llx,this=%#010llx,result=0.", h, addr).c_str()));
    EXPECT_FALSE(GetHandleInformation(h, NULL));
    // The bytes are in the file, read back through a new TFile.
    {
        TFile r;
        ASSERT_EQ(r.Crt(name.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL),
                  0u);
        char buf[16];
        DWORD n = 0;
        ASSERT_TRUE(ReadFile(r.GetHandle(), buf, sizeof buf, &n, NULL));
        EXPECT_EQ(std::string(buf, n), "list\r\n");
    }
    EXPECT_TRUE(DeleteFileA(name.c_str()));
}
