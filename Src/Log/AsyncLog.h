// TAsyncLog: the process log. Moves every flush and every re-read of the ".wli" file onto a
// writer thread of its own, which runs a message loop with two thread timers (flush every
// FlshSec seconds, re-read every PrmsRd seconds). Write only queues and posts a "line queued"
// message; the writer flushes when the queue holds more than FlshLns lines or the flush
// period has passed. Stop ends the thread and writes out what is queued.
#pragma once

#include "Log/WliLog.h"

// Thread message of the writer: wParam 0 from Start (re-read, create the timers), 2 from
// LineQueued (flush if due); lParam is the log object.
enum : unsigned { WmLogCmd = 0x8001 };  // WM_APP + 1
enum : unsigned { LogCmdStart = 0, LogCmdLine = 2 };

class TAsyncLog : public TWliLog
{
public:
    TAsyncLog();
    ~TAsyncLog() override;

    unsigned Start() override;
    unsigned Stop() override;
    void LineQueued() override;

    // The writer thread's id, or all bits set before the first start.
    unsigned WriterId() const { return thrdId; }

private:
    static DWORD WINAPI WriterRtn(LPVOID arg);
    unsigned StartWriter();
    unsigned RunWriter();
    void HandleMsg(const MSG &msg);
    void SetRdTimer();
    void SetFlTimer();
    void KillTimers();

    DWORD thrdId;
    HANDLE thrdHnd;
    // Owned by the writer thread alone.
    UINT_PTR rdTmr;
    UINT_PTR flTmr;
};
