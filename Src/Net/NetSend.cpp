// The single-target send and the UTF-16 conversion it shares with the list send.
//
// The sender name is registered as a message alias around the send so that the recipient sees
// it as the message's origin; an alias that already existed is used and left in place, and a
// name the service refuses only costs the sender name, never the message.
#include "Net/NetSend.h"

#include "Lib/QzBsMem.h"
#include "Log/LogA.h"
#include "Net/NetSendIn.h"

WCHAR *ToWide(const TStr &s)
{
    // The whole text including its terminator, so the result is terminated too.
    int units = MultiByteToWideChar(CP_ACP, 0, s.CStr(), -1, NULL, 0);
    if (units <= 0)
        return nullptr; // not convertible: GetLastError() tells why
    // units is below 2^31, so the byte count fits the allocator's 32-bit size.
    WCHAR *w = (WCHAR *)MemAlloc((unsigned)units * (unsigned)sizeof(WCHAR));
    if (MultiByteToWideChar(CP_ACP, 0, s.CStr(), -1, w, units) <= 0)
    {
        DWORD err = GetLastError();
        MemFree(w);
        SetLastError(err);
        return nullptr;
    }
    return w;
}

// Registers the sender as an alias. True when this call registered it (so it must remove it);
// *useSender says whether the alias may be named as the message's sender.
bool NetAliasAdd(const TStr &sender, const WCHAR *wsender, bool *useSender)
{
    unsigned rc = (unsigned)NetMessageNameAdd(NULL, wsender);
    *useSender = rc == 0 || rc == NetAliasExists;
    if (!*useSender)
        ProcessLog().Write(EvtAliasErr, "NetMessageNameAdd(NULL,%s) failed (rc=%u) in '%s' ln %u", sender.CStr(), rc,
                           __FILE__, (unsigned)__LINE__);
    return rc == 0;
}

unsigned WideLen(const WCHAR *w)
{
    unsigned n = 0;
    while (w[n])
        n++;
    return n;
}

unsigned NetSend(const TStr &target, const TStr &sender, const TStr &msg)
{
    unsigned rc;
    WCHAR *wtarget = ToWide(target);
    WCHAR *wsender = ToWide(sender);
    WCHAR *wmsg = ToWide(msg);
    if (!wtarget || !wsender || !wmsg)
    {
        // A text that cannot be converted is not sent at all rather than sent garbled.
        rc = (unsigned)GetLastError();
        if (rc == 0)
            rc = ERROR_NO_UNICODE_TRANSLATION;
    }
    else
    {
        bool useSender;
        bool added = NetAliasAdd(sender, wsender, &useSender);
        rc = (unsigned)NetMessageBufferSend(NULL, wtarget, useSender ? wsender : NULL, (LPBYTE)wmsg,
                                            WideLen(wmsg) * (unsigned)sizeof(WCHAR));
        if (added)
            NetMessageNameDel(NULL, wsender);
    }
    if (wtarget)
        MemFree(wtarget);
    if (wsender)
        MemFree(wsender);
    if (wmsg)
        MemFree(wmsg);
    ProcessLog().Write(EvtNetSend, "NetSend(%s,%s,msglen=%u) end(rc=%u)", target.CStr(), sender.CStr(),
                       msg.Length(), rc);
    return rc;
}
