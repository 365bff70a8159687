// The list send: every name of a list file gets its own thread, all threads run at once, and
// the caller gets one result per name in file order.
//
// Choices beyond the plain algorithm (the system wait covers at most 64 handles, a wait can run
// out, a thread can fail to start, a list can be empty):
// - Any number of names is served at once; the handles are waited for in groups of at most 64
//   against one common deadline, so the five-minute limit holds for the whole list.
// - When the deadline passes, the targets whose threads are still running report 1460 and so
//   does the list. Their thread objects are not destroyed while the threads run: the engine then
//   waits for them without a limit (the transport bounds every send, so this ends) before it
//   frees anything the threads use.
// - A thread that cannot be started reports the creation error as its target's result and is
//   not waited for; the other names are served and the list result is not affected.
// - A list without names sends nothing and returns the library's own code NetErrNoNames().
#include "Net/NetSend.h"

#include "Lib/QzBsMem.h"
#include "Lib/Res.h"
#include "Log/LogA.h"
#include "Net/NetSendIn.h"
#include "Sys/Handle.h"

// Failures of the list send itself (the sending engine's code with the failure mark).
static const char EvtNetSendErr[] = "CN!";

TStr NetNoNamesText(unsigned langId)
{
    if (PRIMARYLANGID(langId) == LANG_RUSSIAN) {
        // Converted to the ANSI code page like every other text the program shows; a code
        // page without Cyrillic falls back to the English text rather than question marks.
        LPCWSTR wide = reinterpret_cast<LPCWSTR>(u"Список не содержит имён.");
        char ansi[128] = "";
        BOOL lossy = FALSE;
        int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, (int)sizeof ansi, NULL, &lossy);
        if (n == 0) // a UTF-8 code page takes no "default used" flag, and loses nothing
            n = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, (int)sizeof ansi, NULL, NULL), lossy = FALSE;
        if (n > 0 && !lossy)
            return TStr(ansi);
    }
    return TStr("The list holds no names.");
}

unsigned NetErrNoNames()
{
    static const unsigned code = RegisterErrCode(NetNoNamesText(GetUserDefaultLangID()).CStr());
    return code;
}

static unsigned NetThrdStartSys(TNsThrd &thrd, unsigned flags)
{
    return thrd.Start(flags);
}

unsigned (*NetThrdStart)(TNsThrd &thrd, unsigned flags) = &NetThrdStartSys;

void TNsThrd::SetMsg(const TStr *target, const WCHAR *sender, const WCHAR *message)
{
    this->target = target;
    this->sender = sender;
    this->message = message;
}

void TNsThrd::Run()
{
    result = 0;
    WCHAR *wtarget = ToWide(*target);
    if (!wtarget)
    {
        result = (unsigned)GetLastError();
        if (result == 0)
            result = ERROR_NO_UNICODE_TRANSLATION;
        return;
    }
    result = (unsigned)NetMessageBufferSend(NULL, wtarget, sender, (LPBYTE)message,
                                            WideLen(message) * (unsigned)sizeof(WCHAR));
    MemFree(wtarget);
}

unsigned TNsThrd::Finish()
{
    ProcessLog().Write(EvtNetSend, "TNsThrd(to=%s)end(%u)", target->CStr(), result);
    return result;
}

// Waits for the non-empty handles in groups of at most MAXIMUM_WAIT_OBJECTS until the deadline
// (start + waitMs by GetTickCount). 0 when all were signalled, 1460 when time ran out, or the
// wait's error code.
static unsigned NetWaitAll(HANDLE *hnds, unsigned cnt, unsigned waitMs)
{
    DWORD start = GetTickCount();
    unsigned i = 0;
    while (i < cnt)
    {
        HANDLE grp[MAXIMUM_WAIT_OBJECTS];
        DWORD n = 0;
        for (; i < cnt && n < MAXIMUM_WAIT_OBJECTS; i++)
            if (hnds[i])
                grp[n++] = hnds[i];
        if (n == 0)
            break;
        DWORD spent = GetTickCount() - start;
        DWORD left = spent < waitMs ? waitMs - spent : 0;
        DWORD w = WaitForMultipleObjects(n, grp, TRUE, left);
        if (w == WAIT_TIMEOUT)
            return ERROR_TIMEOUT;
        if (w == WAIT_FAILED)
        {
            unsigned err = (unsigned)GetLastError();
            return err ? err : ERROR_INVALID_FUNCTION;
        }
    }
    return 0;
}

unsigned NetSend(TQueue<TStr> &names, const TStr &sender, const TStr &msg, TArray<unsigned long> *results,
                 unsigned waitMs)
{
    unsigned cnt = names.Count();
    ProcessLog().Write(EvtNetSend, "NetSend(to_cnt=%u,from=%s,msglen=%u)begin", cnt, sender.CStr(), msg.Length());
    if (cnt == 0)
    {
        // The thread table cannot have a size of 0; a list without names is a list-level failure.
        unsigned rc = NetErrNoNames();
        if (results)
            results->SetSize(0);
        ProcessLog().Write(EvtNetSend, "NetSend()end(%u)", rc);
        return rc;
    }

    unsigned rc = 0;
    WCHAR *wsender = ToWide(sender);
    WCHAR *wmsg = ToWide(msg);
    if (!wsender || !wmsg)
    {
        rc = (unsigned)GetLastError();
        if (rc == 0)
            rc = ERROR_NO_UNICODE_TRANSLATION;
        if (results)
        {
            results->SetSize(cnt);
            for (unsigned i = 0; i < cnt; i++)
                results->Items()[i] = rc;
        }
    }
    else
    {
        bool useSender;
        bool added = NetAliasAdd(sender, wsender, &useSender);
        TArray<TNsThrd> thrds(cnt);
        TArray<void *> hnds(cnt);
        TArray<unsigned> startRc(cnt);
        unsigned i = 0;
        for (TQueueCIter<TStr> it(&names); !it.IsDone() && i < cnt; it.Next(), i++)
        {
            TNsThrd &t = thrds.Items()[i];
            t.SetMsg(it.Current(), useSender ? wsender : NULL, wmsg);
            startRc.Items()[i] = NetThrdStart(t, 0);
            hnds.Items()[i] = startRc.Items()[i] == 0 ? t.GetHandle() : NULL;
        }
        rc = NetWaitAll((HANDLE *)hnds.Items(), cnt, waitMs);

        // Results are fixed now; a thread still running reports the list's failure code.
        if (results)
        {
            results->SetSize(cnt);
            for (i = 0; i < cnt; i++)
            {
                unsigned r;
                if (startRc.Items()[i] != 0)
                    r = startRc.Items()[i];
                else if (rc == 0 || WaitForSingleObject(hnds.Items()[i], 0) == WAIT_OBJECT_0)
                    r = thrds.Items()[i].GetResult();
                else
                    r = rc;
                results->Items()[i] = r;
            }
        }
        // No thread object may be destroyed while its thread runs: after a failed or expired wait
        // the stragglers are waited for without a limit (each send is bounded by the transport).
        if (rc != 0)
        {
            ProcessLog().Write(EvtNetSendErr, "NetSend() wait ended (%u) before all %u threads ended", rc, cnt);
            for (i = 0; i < cnt; i++)
                if (hnds.Items()[i])
                    WaitForSingleObject(hnds.Items()[i], INFINITE);
        }
        if (added)
            NetMessageNameDel(NULL, wsender);
    }
    if (wsender)
        MemFree(wsender);
    if (wmsg)
        MemFree(wmsg);
    ProcessLog().Write(EvtNetSend, "NetSend()end(%u)", rc);
    return rc;
}

// Splits the bytes into names: runs of bytes without CR and LF, in file order. A zero byte
// ends its name (the TStr stops there); the rest of that line is dropped.
static void NetSplitNames(const char *p, unsigned len, TQueue<TStr> &names)
{
    unsigned i = 0;
    for (;;)
    {
        while (i < len && (p[i] == '\r' || p[i] == '\n'))
            i++;
        if (i >= len)
            break;
        unsigned s = i;
        while (i < len && p[i] != '\r' && p[i] != '\n')
            i++;
        names.Push(new TStr(p + s, i - s));
    }
}

unsigned NetSendToList(const TStr &file, const TStr &sender, const TStr &msg, TArray<TStr> *names,
                       TArray<unsigned long> *results)
{
    TFile f;
    unsigned rc = f.Crt(file.CStr(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (rc != 0)
        return rc;
    DWORD high = 0;
    DWORD size = GetFileSize(f.GetHandle(), &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != 0)
        return (unsigned)GetLastError();
    if (high != 0 || size == INVALID_FILE_SIZE)
        return ERROR_NOT_ENOUGH_MEMORY; // a list of 4 GB or more does not fit one buffer
    TBuf buf(size + 1);
    char *p = (char *)buf.Data();
    DWORD got = 0;
    if (!ReadFile(f.GetHandle(), p, size, &got, NULL))
    {
        unsigned err = (unsigned)GetLastError();
        if (err != 0)
            return err;
    }
    p[got] = 0;

    TQueue<TStr> queue;
    NetSplitNames(p, got, queue);
    rc = NetSend(queue, sender, msg, results);
    if (names)
    {
        names->SetSize(queue.Count());
        unsigned i = 0;
        for (TQueueCIter<TStr> it(&queue); !it.IsDone(); it.Next())
            names->Items()[i++] = *it.Current();
    }
    return rc;
}
