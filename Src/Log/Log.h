// TLog: the concrete log. Keeps the queue of written lines under a named mutex (the log lock),
// chooses the log file at start and flushes: formats each queued line with its prefix, drops
// the lines no event type selects and appends the others to the log file, which it opens for
// each flush and closes again. A plain TLog flushes on the writing thread when a flush is due.
#pragma once

#include "Lib/BStr.h"
#include "Lib/BTm.h"
#include "Log/LogA.h"
#include "Log/LogPrms.h"
#include "qzgen.h"
#include "qzplat.h"

// One written line, owned by the queue.
class TLogLine
{
public:
    TBTm tm;       // local time at the call of Write
    TStr type;     // event type code
    TStr text;     // formatted text
    unsigned pid;  // process id at the call
    unsigned tid;  // thread id at the call
};

class TLog : public TLogA
{
public:
    TLog();
    ~TLog() override;

    TLogPrms &Prms() override { return prms; }
    unsigned Start() override;
    unsigned Stop() override;
    unsigned Write(const char *type, const char *format, ...) override QZ_PRINTF_FMT(3, 4);
    void LineQueued() override;

    // More lines queued than FlshLns, or more than FlshSec seconds since the last flush.
    bool FlushDue() const;
    // Writes the queue out; the caller holds the lock.
    unsigned Flush();
    // Flush under the lock (waiting at most 250 ms).
    unsigned LockedFlush();
    bool IsStarted() const { return started; }
    // The file that flushes append to: empty until start and after stop.
    const TStr &FileName() const { return fileName; }
    // Lines queued and not yet flushed.
    unsigned Queued() const { return queue.Count(); }
    // The line as it is written to the file, prefix and CR LF included.
    TStr FormatLine(const TLogLine &line) const;

    // Takes the log lock waiting at most ms milliseconds: 0 when taken (also when abandoned by
    // a thread that died holding it), 1460 on time-out, else the error of the wait.
    unsigned Lock(unsigned ms);
    void Unlock();

protected:
    // The start and stop of this class, also run by the destructor and by derived classes.
    unsigned LogStart();
    unsigned LogStop();
    void SetStarted(bool v) { started = v; }

private:
    TQueue<TLogLine> queue;
    unsigned lastFlsh;
    bool started;
    HANDLE lock;
    TLogPrms prms;
    TStr fileName;
};
