// Socket I/O with bounded waits: connecting, writing a request, reading one session packet, and
// asking the name service over UDP. Every wait is limited, so a dead or silent peer costs at
// most the configured time-out.
#include "Net/Msgr/Msgr.h"

#include <cstring>

namespace {

sockaddr_in SockAddr(unsigned ip, unsigned short port)
{
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(ip);
    return sa;
}

// Milliseconds left until the deadline end (0 once it has passed).
unsigned MsLeft(unsigned long long end)
{
    const unsigned long long now = MsgrNowMs();
    return now >= end ? 0 : (unsigned)(end - now);
}

// Reads exactly n bytes by the deadline end. Returns 0, 121 on time-out, 64 when the peer
// closed or reset before the first byte, 2136 when it closed in the middle (the packet was cut
// off).
DWORD RecvExact(SOCKET s, unsigned char *buf, size_t n, unsigned long long end, bool midPacket)
{
    size_t got = 0;
    while (got < n) {
        int rc = recv(s, (char *)buf + got, (int)(n - got), 0);
        if (rc > 0) {
            got += (size_t)rc;
            continue;
        }
        if (rc == 0)
            return (midPacket || got > 0) ? NERR_NetworkError : ERROR_NETNAME_DELETED;
        int err = MsgrSockErr();
        if (!MsgrSockPending(err))
            return MsgrSockErrToWin(err);
        const unsigned left = MsLeft(end);
        int w = left ? MsgrSockWait(s, false, left) : 0;
        if (w == 0)
            return ERROR_SEM_TIMEOUT;
        if (w < 0)
            return MsgrSockErrToWin(MsgrSockErr());
    }
    return 0;
}

} // namespace

DWORD MsgrConnect(const TMsgrAddr &addr, unsigned ms, SOCKET *out)
{
    DWORD err;
    SOCKET s = MsgrSockOpen(SOCK_STREAM, &err);
    if (s == INVALID_SOCKET)
        return err;
    sockaddr_in sa = SockAddr(addr.ip, addr.port);
    if (connect(s, (const sockaddr *)&sa, sizeof sa) != 0) {
        int e = MsgrSockErr();
        if (!MsgrSockPending(e)) {
            MsgrSockClose(s);
            return MsgrSockErrToWin(e);
        }
        int w = MsgrSockWait(s, true, ms);
        if (w <= 0) {
            DWORD rc = w == 0 ? (DWORD)ERROR_SEM_TIMEOUT : MsgrSockErrToWin(MsgrSockErr());
            MsgrSockClose(s);
            return rc;
        }
        e = MsgrSockPendingErr(s);
        if (e != 0) {
            MsgrSockClose(s);
            return MsgrSockErrToWin(e);
        }
    }
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&one, sizeof one);
    *out = s;
    return 0;
}

DWORD MsgrSendAll(SOCKET s, const TMsgrBytes &data, unsigned ms)
{
    // One deadline for the whole request: a peer that takes it a byte at a time gains nothing.
    const unsigned long long end = MsgrNowMs() + ms;
    size_t sent = 0;
    while (sent < data.size()) {
        int rc = send(s, (const char *)data.data() + sent, (int)(data.size() - sent), MSG_NOSIGNAL);
        if (rc > 0) {
            sent += (size_t)rc;
            continue;
        }
        int err = MsgrSockErr();
        if (rc < 0 && !MsgrSockPending(err))
            return MsgrSockErrToWin(err);
        const unsigned left = MsLeft(end);
        int w = left ? MsgrSockWait(s, true, left) : 0;
        if (w == 0)
            return ERROR_SEM_TIMEOUT;
        if (w < 0)
            return MsgrSockErrToWin(MsgrSockErr());
    }
    return 0;
}

DWORD MsgrRecvPkt(SOCKET s, unsigned ms, unsigned char *type, TMsgrBytes &payload)
{
    // One deadline for the whole reply, keep-alives included: a peer that trickles its reply
    // or sends keep-alives for ever still costs at most the time-out.
    const unsigned long long end = MsgrNowMs() + ms;
    for (;;) {
        unsigned char hdr[4];
        DWORD rc = RecvExact(s, hdr, 4, end, false);
        if (rc != 0)
            return rc;
        const size_t len = ((size_t)(hdr[1] & 1) << 16) | (size_t)hdr[2] << 8 | hdr[3];
        if (len > MsgrReplyMax)
            return NERR_NetworkError;
        payload.assign(len, 0);
        if (len > 0 && (rc = RecvExact(s, payload.data(), len, end, true)) != 0)
            return rc;
        if (hdr[0] == 0x85)
            continue; // keep-alive
        *type = hdr[0];
        return 0;
    }
}

DWORD MsgrUdpAsk(const TMsgrUdpAsk &ask, const TMsgrBytes &req,
                 DWORD (*check)(const unsigned char *p, size_t n, void *ctx), void *ctx)
{
    if (ask.to.empty())
        return NERR_NameNotFound;
    DWORD err;
    SOCKET s = MsgrSockOpen(SOCK_DGRAM, &err);
    if (s == INVALID_SOCKET)
        return err;
    if (ask.bcast) {
        int one = 1;
        setsockopt(s, SOL_SOCKET, SO_BROADCAST, (const char *)&one, sizeof one);
    }
    // A single server is asked on a connected socket, so that a host without a name service
    // answers at once with "port unreachable" instead of letting the whole wait run out.
    const bool single = ask.to.size() == 1 && !ask.bcast;
    if (single) {
        sockaddr_in sa = SockAddr(ask.to[0].ip, ask.to[0].port ? ask.to[0].port : MsgrNamePort);
        if (connect(s, (const sockaddr *)&sa, sizeof sa) != 0) {
            DWORD rc = MsgrSockErrToWin(MsgrSockErr());
            MsgrSockClose(s);
            return rc == NERR_NetworkError ? (DWORD)NERR_NameNotFound : rc;
        }
    }
    DWORD result = NERR_NameNotFound;
    size_t negatives = 0;
    unsigned char buf[1024];
    for (unsigned t = 0; t < ask.tries && result != 0; ++t) {
        if (single) {
            send(s, (const char *)req.data(), (int)req.size(), 0);
        } else {
            for (const TMsgrAddr &a : ask.to) {
                sockaddr_in sa = SockAddr(a.ip, a.port ? a.port : MsgrNamePort);
                sendto(s, (const char *)req.data(), (int)req.size(), 0, (const sockaddr *)&sa, sizeof sa);
            }
        }
        const unsigned long long end = MsgrNowMs() + ask.waitMs;
        for (;;) {
            const unsigned long long now = MsgrNowMs();
            if (now >= end)
                break;
            int w = MsgrSockWait(s, false, (unsigned)(end - now));
            if (w <= 0)
                break;
            sockaddr_in from;
            socklen_t fromLen = sizeof from;
            int n = recvfrom(s, (char *)buf, (int)sizeof buf, 0, (sockaddr *)&from, &fromLen);
            if (n < 0) {
                // An ICMP "port unreachable" from an earlier send surfaces here: a host without a
                // name service. With a single destination there is nothing left to wait for.
                int e = MsgrSockErr();
                if (MsgrSockPending(e))
                    continue;
                if (single) {
                    t = ask.tries;
                    break;
                }
                continue;
            }
            DWORD c = check(buf, (size_t)n, ctx);
            if (c == 0) {
                result = 0;
                break;
            }
            if (c == NERR_NameNotFound && !ask.bcast && ++negatives >= ask.to.size()) {
                // Every server said no: asking again changes nothing.
                t = ask.tries;
                break;
            }
        }
    }
    MsgrSockClose(s);
    return result;
}
