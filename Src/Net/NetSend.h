// The sending engine: one message to one target under a chosen sender name, and one message to
// every name of a list file with one thread per name. It reaches the messaging service only
// through NetMessageNameAdd, NetMessageBufferSend and NetMessageNameDel (qzplat.h).
//
// Results are Windows error codes, 0 for success. The engine never shows anything; it writes
// its diagnostic lines through the process log.
#pragma once

#include "qzplat.h"
#include "qzgen.h"
#include "Lib/BStr.h"
#include "Sys/Thrd.h"

// The messaging service's code for an alias that is already registered on the local computer.
inline constexpr unsigned NetAliasExists = 2276;
// How long a list send waits for its threads, in milliseconds (five minutes).
inline constexpr unsigned NetListWaitMs = 300000;

// A new zero-terminated UTF-16 copy of s, converted from the ANSI code page, or none when the
// text cannot be converted (GetLastError() then says why). The caller frees it with MemFree.
WCHAR *ToWide(const TStr &s);

// Sends msg to one target (a name, an address, or a domain broadcast name ending in "*")
// under the sender name, which is registered as a message alias for the duration of the send
// unless it already exists. Returns the send's result.
unsigned NetSend(const TStr &target, const TStr &sender, const TStr &msg);

// Sends msg to every name of the list file (one name per line, CR and/or LF breaks, empty
// lines skipped). names (if given) receives the names and results (if given) one code per
// name, index for index in file order. Returns the error of reading the file or the list-level
// result; individual targets' failures are only in results.
unsigned NetSendToList(const TStr &file, const TStr &sender, const TStr &msg, TArray<TStr> *names,
                       TArray<unsigned long> *results);

// Sends msg to every name of the queue at once, one thread per name, and waits for all of them
// at most waitMs. Returns 0 when every thread was waited for, 1460 when the wait ran out (the
// targets still running then report 1460), the wait's error code when it failed, or
// NetErrNoNames() for an empty queue. results (if given) receives one code per name.
unsigned NetSend(TQueue<TStr> &names, const TStr &sender, const TStr &msg, TArray<unsigned long> *results,
                 unsigned waitMs = NetListWaitMs);

// The library's own code for a list that yields no names ("The list holds no names.").
unsigned NetErrNoNames();
// The text of that code in the given language (Russian for a Russian language id, else English),
// in the ANSI code page; the code is registered with the text of the user's language.
TStr NetNoNamesText(unsigned langId);

// One send to one target on a thread of its own. The target, sender and message are borrowed:
// they must outlive the thread.
class TNsThrd : public TThrd
{
public:
    TNsThrd() {}
    ~TNsThrd() override {}

    // Stores the three references; called before Start. sender may be none (no sender name).
    void SetMsg(const TStr *target, const WCHAR *sender, const WCHAR *message);
    // The send result; read after the thread has ended.
    unsigned GetResult() const { return result; }

protected:
    void Run() override;
    unsigned Finish() override;

private:
    unsigned result = 0;
    const TStr *target = nullptr;
    const WCHAR *sender = nullptr;
    const WCHAR *message = nullptr;
};
