// The log facade: the interface every module logs through, the process log that serves it,
// the event type codes of the system's diagnostic lines, and a capture hook for tests.
//
// A module logs one line with
//     ProcessLog().Write(EvtMtxCrt, "Creating mutex \"%s\": handle=%#010llx,rc=%u,this=%#010llx.", ...);
// or with the code written as a literal ("SMT"); both are the same three bytes. Write formats the
// text at once and queues it; whether the line reaches the log file is decided later, when the
// queue is flushed, by the event types of the ".wli" file beside the executable. Without that
// file nothing is ever written and no log file is created.
#pragma once

#include "Lib/QzBsMem.h"

#ifndef QZ_PRINTF_FMT
// printf-style checking of our variadic formatters; the arguments are the 1-based positions of
// the format and of the first variadic argument (a member function's "this" counts as 1).
#define QZ_PRINTF_FMT(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

class TLogPrms;

// The abstract log. Slot order: destructor, Prms, Start, Stop, Write, LineQueued.
class TLogA : public TQzBsMem
{
public:
    virtual ~TLogA() {}
    // The log's parameters (used only inside the log).
    virtual TLogPrms &Prms() = 0;
    // Reads the configuration, chooses the log file and starts the writer thread.
    // 0 on success, else a Windows error code; a second call on a started log returns 0.
    virtual unsigned Start() = 0;
    // Ends the writer thread and writes out what is queued; 1 when the log is not started.
    virtual unsigned Stop() = 0;
    // Formats the text at once (no truncation) and queues the line with the local time, the
    // process and thread ids. 0 when queued, else the error of the lock wait (1460 on time-out)
    // and the line is dropped. Never touches the file itself.
    virtual unsigned Write(const char *type, const char *format, ...) QZ_PRINTF_FMT(3, 4) = 0;
    // Called by Write after it queued a line, with the log lock held.
    virtual void LineQueued() = 0;
};

// The process-wide log object (a TAsyncLog), created on the first call. Each program's entry
// function calls ProcessLog().Start() first and ProcessLog().Stop() last.
TLogA &ProcessLog();

// Event type codes in use. A final "!" marks failures; the sending engine's code is the letters
// C and N followed by the single byte 0x9B.
inline constexpr char EvtThrdCrt[] = "STT";     // thread created
inline constexpr char EvtThrdRtn[] = "ST.";     // thread routine begin / end
inline constexpr char EvtThrdExc[] = "ST!";     // exception in a thread routine
inline constexpr char EvtThrdCls[] = "STC";     // thread handle closed
inline constexpr char EvtHndCls[] = "SOC";      // handle closed
inline constexpr char EvtHndSkip[] = "SOA";     // handle close skipped
inline constexpr char EvtMtxCrt[] = "SMT";      // mutex created
inline constexpr char EvtFileCrt[] = "SFT";     // file created / opened
inline constexpr char EvtIdOk[] = "WI.";        // user or computer name query succeeded
inline constexpr char EvtIdErr[] = "WI!";       // user or computer name query failed
inline constexpr char EvtNetSend[] = "CN\x9B";  // message sending
inline constexpr char EvtAliasErr[] = "..A";    // alias registration failed
inline constexpr char EvtRegRead[] = "TRR";     // registry value read
inline constexpr char EvtRegWrite[] = "TRW";    // registry value written
inline constexpr char EvtWndDestroy[] = "UW-";  // window destroyed
inline constexpr char EvtDlgProc[] = "UD<";     // end of one dialog procedure call
inline constexpr char EvtDlgExc[] = "UD!";      // dialog procedure call ended in an exception
inline constexpr char EvtDlgShow[] = "UDY";     // modeless dialog shown

// Test hook. When set, Write hands every line it queues to the hook as well: the type code and
// the formatted text, on the writing thread, while that log's lock is held, after the line was
// queued (so a line the hook sees was accepted, and lines of one log arrive in queue order).
// It applies to every log object of the process. Install and remove it only while no other
// thread is writing. Log/LogCapture.h wraps it for tests.
typedef void (*TLogHook)(void *ctx, const char *type, const char *text);
void SetLogHook(TLogHook hook, void *ctx);
