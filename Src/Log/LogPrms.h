// The log's parameters: line prefix, flushing thresholds, start mode, event types and the log
// file path. Defaults apply until the ".wli" file is read, and again whenever it is re-read.
#pragma once

#include "Lib/BStr.h"
#include "Log/LogTps.h"

// Start modes: how the log file is chosen at start.
enum : int { LogAppend = 0, LogOvrwrt = 1, LogNew = 2 };

class TLogPrms : public TQzBsMem
{
public:
    TLogPrms();
    virtual ~TLogPrms() {}

    // Restores every parameter but the log file path to its default and removes all event types.
    void SetDefaults();

    const TStr &TmFrmt() const { return tmFrmt; }
    void SetTmFrmt(const char *v) { tmFrmt = v ? v : ""; }
    bool Pid() const { return pid; }
    void SetPid(bool v) { pid = v; }
    bool Tid() const { return tid; }
    void SetTid(bool v) { tid = v; }
    int StrtMd() const { return strtMd; }
    void SetStrtMd(int v) { strtMd = v; }
    int FlshSec() const { return flshSec; }
    void SetFlshSec(int v) { flshSec = v; }
    int FlshLns() const { return flshLns; }
    void SetFlshLns(int v) { flshLns = v; }
    const TLogTps &EvtTps() const { return evtTps; }
    const TStr &LogPath() const { return logPath; }
    void SetLogPath(const char *v) { logPath = v ? v : ""; }

    bool AddEvtTp(const char *typePat, const char *textPat) { return evtTps.AddEvtTp(typePat, textPat); }
    bool IsLogged(const TStr &type, const TStr &text) const { return evtTps.IsLogged(type, text); }

private:
    TStr tmFrmt;
    bool pid;
    bool tid;
    int strtMd;
    int flshSec;
    int flshLns;
    TLogTps evtTps;
    TStr logPath;
};
