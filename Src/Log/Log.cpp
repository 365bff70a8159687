// TLog: the queue of lines, the log lock, the choice of the log file and the flush.
#include "Log/Log.h"

#include <cstdarg>
#include <cstdio>

namespace {
TLogHook logHook = nullptr;
void *logHookCtx = nullptr;

// Formats into a buffer that starts at 64 bytes and doubles until the text and its NUL fit.
void FormatText(TStr &out, const char *format, va_list ap)
{
    if (!format) {
        out.Clear();
        return;
    }
    TCharBuf buf(64);
    for (;;) {
        va_list aq;
        va_copy(aq, ap);
        int n = vsnprintf(static_cast<char *>(buf.Data()), buf.Size(), format, aq);
        va_end(aq);
        if (n < 0) {
            // An encoding error leaves no usable text; keep the format so the line still says
            // what was being logged.
            out = format;
            return;
        }
        if ((unsigned)n < buf.Size()) {
            if (n == 0)
                out.Clear();
            else
                out.Assign(static_cast<const char *>(buf.Data()), (unsigned)n);
            return;
        }
        buf.Alloc(buf.Size() * 2);
    }
}

// The log file name of start mode 2: the path with the local time inserted before the
// extension of its file name part.
TStr TimestampedName(const TStr &path)
{
    const char *p = path.CStr();
    unsigned base = 0, dot = path.Length();
    for (unsigned i = 0; i < path.Length(); i++)
        if (p[i] == '\\' || p[i] == '/' || p[i] == ':')
            base = i + 1;
    for (unsigned i = path.Length(); i > base; i--)
        if (p[i - 1] == '.') {
            dot = i - 1;
            break;
        }
    TBTm now;
    now.SetNow();
    TStr name;
    if (dot > 0)
        name.Assign(p, dot);
    name.Append(now.Format("yyyyMMdd-HHmmssii", LOCALE_USER_DEFAULT));
    name.Append(p + dot);
    return name;
}
} // namespace

void SetLogHook(TLogHook hook, void *ctx)
{
    logHook = hook;
    logHookCtx = ctx;
}

TLog::TLog() : lastFlsh(0), started(false), lock(NULL)
{
    char name[48];
    snprintf(name, sizeof name, "QZ_Log_%llu", (unsigned long long)(uintptr_t)this);
    lock = CreateMutexA(NULL, FALSE, name);
    prms.SetDefaults();
}

TLog::~TLog()
{
    if (started)
        LogStop();
    if (lock) {
        ReleaseMutex(lock);
        CloseHandle(lock);
    }
}

unsigned TLog::Lock(unsigned ms)
{
    if (!lock) {
        // The mutex could not be created: every lock attempt fails. The thread's last error may
        // be 0 by now, which would read as success, so fall back to "invalid handle".
        unsigned e = (unsigned)GetLastError();
        return e ? e : (unsigned)ERROR_INVALID_HANDLE;
    }
    DWORD w = WaitForSingleObject(lock, ms);
    if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED)
        return 0;
    if (w == WAIT_TIMEOUT)
        return ERROR_TIMEOUT;
    unsigned e = (unsigned)GetLastError();
    return e ? e : (unsigned)ERROR_INVALID_HANDLE;
}

void TLog::Unlock()
{
    if (lock)
        ReleaseMutex(lock);
}

unsigned TLog::LogStart()
{
    unsigned rc = Lock(250);
    if (rc != 0)
        return rc;
    if (started) {
        Unlock();
        return 1;
    }
    if (prms.LogPath().Length() == 0) {
        rc = ERROR_INVALID_PARAMETER;
    } else {
        lastFlsh = GetTickCount();
        switch (prms.StrtMd() & 3) {
        case LogAppend:
            fileName = prms.LogPath();
            break;
        case LogOvrwrt:
            fileName = prms.LogPath();
            DeleteFileA(fileName.CStr());
            break;
        case LogNew:
            fileName = TimestampedName(prms.LogPath());
            break;
        default:
            rc = ERROR_INVALID_PARAMETER;
            break;
        }
    }
    if (rc == 0)
        started = true;
    Unlock();
    return rc;
}

unsigned TLog::Start()
{
    return LogStart();
}

unsigned TLog::LogStop()
{
    unsigned rc = Lock(60000);
    if (rc != 0)
        return rc; // without the lock nothing may be touched
    if (!started) {
        Unlock();
        return 1;
    }
    Flush();
    started = false;
    fileName.Clear();
    Unlock();
    return rc;
}

unsigned TLog::Stop()
{
    return LogStop();
}

unsigned TLog::Write(const char *type, const char *format, ...)
{
    TLogLine *line = new TLogLine;
    va_list ap;
    va_start(ap, format);
    FormatText(line->text, format, ap);
    va_end(ap);
    line->type = type ? type : "";
    line->tm.SetNow();
    line->pid = (unsigned)GetCurrentProcessId();
    line->tid = (unsigned)GetCurrentThreadId();
    unsigned rc = Lock(1000);
    if (rc != 0) {
        delete line;
        return rc;
    }
    try {
        queue.Push(line);
    } catch (...) {
        // No room for the queue's node: the line is dropped, the lock must not stay taken.
        Unlock();
        delete line;
        return ERROR_INTERNAL_ERROR;
    }
    if (logHook)
        logHook(logHookCtx, line->type.CStr(), line->text.CStr());
    LineQueued();
    Unlock();
    return 0;
}

void TLog::LineQueued()
{
    // Lines written while the log is not started wait for the first flush after start: before
    // start there is no file name yet, and the parameters are still the defaults without event
    // types, which would discard them.
    if (started && FlushDue())
        Flush();
}

bool TLog::FlushDue() const
{
    if (queue.Count() > (unsigned)prms.FlshLns())
        return true;
    // Elapsed time modulo 2^32 as the tick count wraps; the period is computed in 64 bits so a
    // large FlshSec means "rarely", not a wrapped small period.
    unsigned elapsed = (unsigned)GetTickCount() - lastFlsh;
    return (unsigned long long)elapsed > (unsigned long long)(unsigned)prms.FlshSec() * 1000ull;
}

TStr TLog::FormatLine(const TLogLine &line) const
{
    TStr s(line.type);
    if (prms.TmFrmt().Length() != 0) {
        s.Append(" ");
        s.Append(line.tm.Format(prms.TmFrmt().CStr(), LOCALE_USER_DEFAULT));
    }
    char num[32];
    if (prms.Pid()) {
        snprintf(num, sizeof num, " Pid=%#06x", line.pid);
        s.Append(num);
    }
    if (prms.Tid()) {
        snprintf(num, sizeof num, " Tid=%#06x", line.tid);
        s.Append(num);
    }
    s.Append(" ");
    s.Append(line.text);
    s.Append("\r\n");
    return s;
}

unsigned TLog::Flush()
{
    if (prms.EvtTps().Count() == 0)
        queue.Clear();
    if (queue.Count() == 0)
        return 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    unsigned rc = 0;
    try {
        while (queue.Count() != 0) {
            TLogLine *line = queue.PopFront();
            TStr out;
            bool logged;
            try {
                out = FormatLine(*line);
                logged = prms.IsLogged(line->type, line->text);
            } catch (...) {
                delete line;
                throw;
            }
            delete line;
            if (!logged)
                continue;
            if (file == INVALID_HANDLE_VALUE) {
                file = CreateFileA(fileName.CStr(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                   OPEN_ALWAYS, 0, NULL);
                if (file == INVALID_HANDLE_VALUE)
                    return (unsigned)GetLastError();
                if (SetFilePointer(file, 0, NULL, FILE_END) == INVALID_SET_FILE_POINTER &&
                    GetLastError() != NO_ERROR) {
                    rc = (unsigned)GetLastError();
                    CloseHandle(file);
                    return rc;
                }
            }
            DWORD done = 0;
            if (!WriteFile(file, out.CStr(), (DWORD)out.Length(), &done, NULL) ||
                done != (DWORD)out.Length()) {
                // A short write is a failure too: the line did not reach the file whole.
                rc = (unsigned)GetLastError();
                CloseHandle(file);
                return rc ? rc : (unsigned)ERROR_WRITE_FAULT;
            }
        }
    } catch (...) {
        // Allocation failure: the lines not yet taken stay queued.
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return ERROR_INTERNAL_ERROR;
    }
    if (file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    lastFlsh = GetTickCount();
    return 0;
}

unsigned TLog::LockedFlush()
{
    unsigned rc = Lock(250);
    if (rc != 0)
        return rc;
    rc = Flush();
    Unlock();
    return rc;
}
