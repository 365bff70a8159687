// TAsyncLog: the writer thread, its message loop and timers, and the start handshake.
#include "Log/AsyncLog.h"

namespace {
// A period in seconds as the milliseconds of a timer, kept in the range timers accept.
UINT PeriodMs(int sec)
{
    unsigned long long ms = (unsigned long long)(unsigned)sec * 1000ull;
    return ms > 0x7FFFFFFFull ? 0x7FFFFFFFu : (UINT)ms;
}
} // namespace

TAsyncLog::TAsyncLog() : thrdId(0xFFFFFFFFu), thrdHnd(NULL), rdTmr(0), flTmr(0)
{
}

TAsyncLog::~TAsyncLog()
{
    // A writer thread still running would go on using this object after it is freed (a program
    // that ends without Stop): end it first. The TLog destructor then writes out the queue.
    if (thrdHnd) {
        PostThreadMessageA(thrdId, WM_QUIT, 0, 0);
        WaitForSingleObject(thrdHnd, 10000);
        CloseHandle(thrdHnd);
        thrdHnd = NULL;
    }
}

unsigned TAsyncLog::Start()
{
    if (IsStarted())
        return 0;
    TWliLog::Start();
    unsigned rc = Lock(250);
    if (rc != 0)
        return rc;
    unsigned r = StartWriter();
    SetStarted(r == 0);
    Unlock();
    return r;
}

unsigned TAsyncLog::StartWriter()
{
    DWORD id = 0;
    thrdHnd = CreateThread(NULL, 0, &TAsyncLog::WriterRtn, this, 0, &id);
    if (!thrdHnd) {
        unsigned e = (unsigned)GetLastError();
        return e ? e : (unsigned)ERROR_INVALID_HANDLE;
    }
    thrdId = id;
    DWORD t0 = GetTickCount();
    for (;;) {
        if (PostThreadMessageA(thrdId, WmLogCmd, LogCmdStart, (LPARAM)this))
            return 0;
        unsigned e = (unsigned)GetLastError();
        if (e == 0)
            return 0;
        Sleep(10);
        if ((unsigned)(GetTickCount() - t0) >= 200)
            return e;
    }
}

unsigned TAsyncLog::Stop()
{
    if (!IsStarted())
        return 1;
    PostThreadMessageA(thrdId, WM_QUIT, 0, 0);
    HANDLE h = thrdHnd;
    if (h) {
        WaitForSingleObject(h, 10000);
        // Forgotten under the lock: LineQueued reads it to tell a running writer from one
        // that was stopped.
        if (Lock(60000) == 0) {
            thrdHnd = NULL;
            Unlock();
            CloseHandle(h);
        }
    }
    return LogStop();
}

void TAsyncLog::LineQueued()
{
    if (thrdId == 0 || thrdId == 0xFFFFFFFFu)
        return;
    // A successful post marks a log started whose handshake timed out. Only while the writer
    // is ours (between Start and Stop): a thread that was stopped may still accept posts for a
    // moment on some platforms, and must not turn a stopped log back on.
    if (PostThreadMessageA(thrdId, WmLogCmd, LogCmdLine, (LPARAM)this) && !IsStarted() && thrdHnd)
        SetStarted(true);
}

DWORD WINAPI TAsyncLog::WriterRtn(LPVOID arg)
{
    try {
        return static_cast<TAsyncLog *>(arg)->RunWriter();
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}

void TAsyncLog::SetRdTimer()
{
    if (rdTmr)
        KillTimer(NULL, rdTmr);
    rdTmr = SetTimer(NULL, 0, PeriodMs(PrmsRd()), NULL);
}

void TAsyncLog::SetFlTimer()
{
    if (flTmr)
        KillTimer(NULL, flTmr);
    flTmr = SetTimer(NULL, 0, PeriodMs(Prms().FlshSec()), NULL);
}

void TAsyncLog::KillTimers()
{
    if (rdTmr)
        KillTimer(NULL, rdTmr);
    if (flTmr)
        KillTimer(NULL, flTmr);
    rdTmr = flTmr = 0;
}

unsigned TAsyncLog::RunWriter()
{
    MSG msg;
    // A thread receives posted messages only once it has a message queue: create it before
    // anything else, so that Start's first post is accepted at once instead of failing until
    // this thread reaches its message loop.
    PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);
    rdTmr = flTmr = 0;
    LoadPrms();
    // The parameters and periods are written only by LoadPrms, which after start runs on this
    // thread alone, so this thread reads them without the lock.
    if (Lock(60000) == 0) {
        if (!IsStarted()) {
            SetStarted(true);
            SetRdTimer();
            SetFlTimer();
        }
        Unlock();
    }
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        HandleMsg(msg);
    // Write out what is queued, then drop the event types so that lines queued from now on are
    // discarded. Both under one wait as long as Stop's, so a busy lock does not lose lines.
    if (Lock(60000) == 0) {
        Flush();
        Prms().SetDefaults();
        Unlock();
    }
    KillTimers();
    return 0;
}

void TAsyncLog::HandleMsg(const MSG &msg)
{
    if (msg.message == WmLogCmd) {
        if (msg.wParam == LogCmdStart) {
            LoadPrms();
            SetRdTimer();
            SetFlTimer();
        } else if (msg.wParam == LogCmdLine) {
            // The due test reads the queue, which writers change: take the lock for it.
            if (Lock(250) == 0) {
                if (FlushDue())
                    Flush();
                Unlock();
            }
        }
    } else if (msg.message == WM_TIMER) {
        if (rdTmr && msg.wParam == rdTmr) {
            int rd = PrmsRd();
            int sec = Prms().FlshSec();
            LoadPrms();
            if (PrmsRd() != rd)
                SetRdTimer();
            if (Prms().FlshSec() != sec)
                SetFlTimer();
        } else if (flTmr && msg.wParam == flTmr) {
            LockedFlush();
        }
    }
}
