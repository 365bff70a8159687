// Helpers of the log tests: files beside the test program, logs whose ".wli" and log files are
// test-specific, and waiting for a condition that has no event to wait on.
#pragma once

#include "Log/AsyncLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace logtest {

// The folder of the test program, with its trailing separator.
inline std::string ExeDir()
{
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameExA(GetCurrentProcess(), NULL, exe, MAX_PATH);
    std::string p(exe, n);
    size_t cut = p.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
}

// The executable's path without its extension (what the process log's files are named after).
inline std::string ExeStem()
{
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameExA(GetCurrentProcess(), NULL, exe, MAX_PATH);
    std::string p(exe, n);
    size_t sep = p.find_last_of("\\/");
    size_t dot = p.find_last_of('.');
    if (dot != std::string::npos && (sep == std::string::npos || dot > sep))
        p.erase(dot);
    return p;
}

inline bool FileExists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

inline std::string ReadAll(const std::string &path)
{
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    return s;
}

// Writes a file whole. The log's writer thread may be reading it (Windows opens it shared for
// reading only), so a refused open is retried for a while.
inline void WriteAll(const std::string &path, const std::string &text)
{
    for (int i = 0; i < 500; i++) {
        if (FILE *f = fopen(path.c_str(), "wb")) {
            fwrite(text.data(), 1, text.size(), f);
            fclose(f);
            return;
        }
        Sleep(10);
    }
    ADD_FAILURE() << "cannot write " << path;
}

inline void Remove(const std::string &path)
{
    for (int i = 0; i < 500 && FileExists(path) && remove(path.c_str()) != 0; i++)
        Sleep(10);
}

// The CR LF terminated lines of a log file; a final piece without CR LF is returned as is, so a
// torn line shows up.
inline std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> v;
    size_t b = 0;
    while (b < text.size()) {
        size_t e = text.find("\r\n", b);
        if (e == std::string::npos) {
            v.push_back(text.substr(b));
            break;
        }
        v.push_back(text.substr(b, e - b));
        b = e + 2;
    }
    return v;
}

// Polls a condition that no event signals (a file written by another thread, a parameter
// re-read by a timer). The limit only ends a test that would otherwise hang.
inline bool Eventually(const std::function<bool()> &cond, unsigned limitMs = 20000)
{
    DWORD t0 = GetTickCount();
    while (!cond()) {
        if ((unsigned)(GetTickCount() - t0) > limitMs)
            return false;
        Sleep(5);
    }
    return true;
}

// A log of the chosen kind whose files are <exe dir>/<name>.wli and .log; both are removed
// before and after.
template <class L>
class TFileLog : public L
{
public:
    explicit TFileLog(const std::string &name)
        : wli(ExeDir() + name + ".wli"), log(ExeDir() + name + ".log")
    {
        Remove(wli);
        Remove(log);
        this->SetPaths(wli.c_str(), log.c_str());
    }
    ~TFileLog() override
    {
        this->Stop();
        Remove(wli);
        Remove(log);
    }
    // Reads a value of the log under its lock.
    template <class F>
    auto Locked(F f) -> decltype(f())
    {
        EXPECT_EQ(0u, this->Lock(5000));
        auto r = f();
        this->Unlock();
        return r;
    }

    const std::string wli;
    const std::string log;
};

} // namespace logtest
