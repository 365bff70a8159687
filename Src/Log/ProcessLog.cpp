// The process registry of log objects and ProcessLog(), the entry point every module logs
// through.
#include "Log/AsyncLog.h"

#include <mutex>

namespace {
// One process and the log that serves it. Key 1 orders by process id, as an unsigned number.
class TProcessLog
{
public:
    TProcessLog(unsigned id, TAsyncLog *l) : pid(id), log(l) {}
    ~TProcessLog() { delete log; }
    TProcessLog(const TProcessLog &) = delete;
    TProcessLog &operator=(const TProcessLog &) = delete;

    TCmpRes Cmp(const TProcessLog &other, unsigned) const { return CmpNum(pid, other.pid); }

    unsigned pid;
    TAsyncLog *log;
};

// Destroying the registry at program exit destroys every log object, which stops a log that
// is still started.
class TProcessLogs : public TList<TProcessLog>
{
public:
    TProcessLogs() : TList<TProcessLog>(1, LstUnique, 64) {}
    ~TProcessLogs() { gone = true; }
    static bool gone;
};
bool TProcessLogs::gone = false;

// The registry is shared by every thread that logs, and the first lines of a program may come
// from several threads at once: lookups and the one insertion are serialised, so no two log
// objects are made for one process and the list is never read while it grows.
std::mutex &RegistryLock()
{
    static std::mutex *lock = new std::mutex; // never destroyed: destructors log late
    return *lock;
}

TProcessLogs &Registry()
{
    // Built on first use, so a static object of another file may log while it is constructed.
    static TProcessLogs reg;
    return reg;
}
} // namespace

TLogA &ProcessLog()
{
    if (TProcessLogs::gone) {
        // A static object logging from its destructor after the registry is gone: serve it
        // with a log that is never started, so its lines are queued and dropped.
        static TAsyncLog *late = new TAsyncLog;
        return *late;
    }
    std::lock_guard<std::mutex> guard(RegistryLock());
    TProcessLogs &reg = Registry();
    TProcessLog probe((unsigned)GetCurrentProcessId(), nullptr);
    TProcessLog *rec = reg.Find(&probe, 1, FndEq);
    if (!rec) {
        rec = new TProcessLog(probe.pid, new TAsyncLog);
        reg.Add(rec);
    }
    return *rec->log;
}
