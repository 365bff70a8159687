// Test helper: collects the lines that Write queues while an object of this class lives, through
// the log's test hook (Log/LogA.h). Used by the tests of every module that logs, to check its
// lines without a ".wli" file and without waiting for a flush:
//     TLogCapture cap;
//     ... code under test ...
//     EXPECT_TRUE(cap.Has("SMT", "Creating mutex \"x\""));
// Create it before, and destroy it after, the threads whose lines it collects.
#pragma once

#include "Log/LogA.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

class TLogCapture
{
public:
    struct TLine
    {
        std::string type;
        std::string text;
    };

    TLogCapture() { SetLogHook(&TLogCapture::Hook, this); }
    ~TLogCapture() { SetLogHook(nullptr, nullptr); }
    TLogCapture(const TLogCapture &) = delete;
    TLogCapture &operator=(const TLogCapture &) = delete;

    // A copy of the lines collected so far, in the order they were queued.
    std::vector<TLine> Lines() const
    {
        std::lock_guard<std::mutex> g(mtx);
        return lines;
    }
    // Lines of one type code whose text contains textPart (an empty part matches every text).
    std::vector<std::string> Texts(const char *type, const char *textPart = "") const
    {
        std::vector<std::string> r;
        std::lock_guard<std::mutex> g(mtx);
        for (const TLine &l : lines)
            if (l.type == type && l.text.find(textPart) != std::string::npos)
                r.push_back(l.text);
        return r;
    }
    // Whether a line of this type code with textPart in its text was queued.
    bool Has(const char *type, const char *textPart = "") const { return !Texts(type, textPart).empty(); }
    void Clear()
    {
        std::lock_guard<std::mutex> g(mtx);
        lines.clear();
    }

private:
    static void Hook(void *ctx, const char *type, const char *text)
    {
        TLogCapture *self = static_cast<TLogCapture *>(ctx);
        std::lock_guard<std::mutex> g(self->mtx);
        self->lines.push_back(TLine{type ? type : "", text ? text : ""});
    }

    mutable std::mutex mtx;
    std::vector<TLine> lines;
};
