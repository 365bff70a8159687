// The transport's platform part: socket start-up, non-blocking sockets and waits, socket error
// numbers, the interfaces' broadcast addresses and the default wire code page. The rest of the
// transport is the same code on both builds; this is the one file that tells them apart.
#include "Net/Msgr/Msgr.h"

#include <atomic>
#include <chrono>
#include <mutex>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

std::atomic<long> gOpenSocks{0};

#ifdef _WIN32
const int ErrWouldBlock = WSAEWOULDBLOCK;
const int ErrInProgress = WSAEINPROGRESS;
const int ErrAgain = WSAEWOULDBLOCK;
const int ErrRefused = WSAECONNREFUSED;
const int ErrNetUnreach = WSAENETUNREACH;
const int ErrHostUnreach = WSAEHOSTUNREACH;
const int ErrTimedOut = WSAETIMEDOUT;
const int ErrReset = WSAECONNRESET;
const int ErrAborted = WSAECONNABORTED;
const int ErrNetDown = WSAENETDOWN;
const int ErrNoBufs = WSAENOBUFS;
const int ErrMFile = WSAEMFILE;
const int ErrAddrNotAvail = WSAEADDRNOTAVAIL;
const int ErrAccess = WSAEACCES;
#else
const int ErrWouldBlock = EWOULDBLOCK;
const int ErrInProgress = EINPROGRESS;
const int ErrAgain = EAGAIN;
const int ErrRefused = ECONNREFUSED;
const int ErrNetUnreach = ENETUNREACH;
const int ErrHostUnreach = EHOSTUNREACH;
const int ErrTimedOut = ETIMEDOUT;
const int ErrReset = ECONNRESET;
const int ErrAborted = ECONNABORTED;
const int ErrNetDown = ENETDOWN;
const int ErrNoBufs = ENOBUFS;
const int ErrMFile = EMFILE;
const int ErrAddrNotAvail = EADDRNOTAVAIL;
const int ErrAccess = EACCES;
#endif

DWORD gInitErr = 0;

void SockInitOnce()
{
#ifdef _WIN32
    WSADATA wd;
    int rc = WSAStartup(MAKEWORD(2, 2), &wd);
    gInitErr = rc == 0 ? 0 : MsgrSockErrToWin(rc);
#else
    // One send per target runs at once, each with its own socket: lift the soft limit of open
    // files to the hard one so that thousands of concurrent sends do not run out of them.
    rlimit rl;
    if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur < rl.rlim_max) {
        rl.rlim_cur = rl.rlim_max;
        setrlimit(RLIMIT_NOFILE, &rl);
    }
    gInitErr = 0;
#endif
}

} // namespace

DWORD MsgrSockInit()
{
    static std::once_flag once;
    std::call_once(once, SockInitOnce);
    return gInitErr;
}

SOCKET MsgrSockOpen(int type, DWORD *err)
{
    *err = MsgrSockInit();
    if (*err != 0)
        return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        *err = MsgrSockErrToWin(MsgrSockErr());
        return INVALID_SOCKET;
    }
#ifdef _WIN32
    u_long on = 1;
    bool ok = ioctlsocket(s, FIONBIO, &on) == 0;
#else
    int fl = fcntl(s, F_GETFL, 0);
    bool ok = fl >= 0 && fcntl(s, F_SETFL, fl | O_NONBLOCK) == 0 && fcntl(s, F_SETFD, FD_CLOEXEC) == 0;
#endif
    if (!ok) {
        *err = MsgrSockErrToWin(MsgrSockErr());
        closesocket(s);
        return INVALID_SOCKET;
    }
    ++gOpenSocks;
    return s;
}

void MsgrSockClose(SOCKET &s)
{
    if (s == INVALID_SOCKET)
        return;
    closesocket(s);
    s = INVALID_SOCKET;
    --gOpenSocks;
}

long MsgrOpenSocks() { return gOpenSocks.load(); }

int MsgrSockErr() { return WSAGetLastError(); }

bool MsgrSockPending(int err) { return err == ErrWouldBlock || err == ErrInProgress || err == ErrAgain; }

DWORD MsgrSockErrToWin(int err)
{
    if (err == 0)
        return 0;
    if (err == ErrRefused)
        return ERROR_CONNECTION_REFUSED;
    if (err == ErrNetUnreach || err == ErrNetDown || err == ErrAddrNotAvail)
        return ERROR_NETWORK_UNREACHABLE;
    if (err == ErrHostUnreach)
        return ERROR_HOST_UNREACHABLE;
    if (err == ErrTimedOut)
        return ERROR_SEM_TIMEOUT;
    if (err == ErrReset || err == ErrAborted)
        return ERROR_NETNAME_DELETED;
    if (err == ErrNoBufs)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (err == ErrMFile)
        return ERROR_TOO_MANY_OPEN_FILES;
    if (err == ErrAccess)
        return ERROR_ACCESS_DENIED;
#ifndef _WIN32
    if (err == EPIPE)
        return ERROR_NETNAME_DELETED;
#endif
    return NERR_NetworkError;
}

int MsgrSockWait(SOCKET s, bool forWrite, unsigned ms)
{
#ifdef _WIN32
    // select serves any socket value on Windows (the set is a list of handles), and unlike
    // WSAPoll it reports a failed connect on every Windows version.
    fd_set set, errs;
    FD_ZERO(&set);
    FD_ZERO(&errs);
    FD_SET(s, &set);
    FD_SET(s, &errs);
    timeval tv;
    tv.tv_sec = (long)(ms / 1000);
    tv.tv_usec = (long)(ms % 1000) * 1000;
    int rc = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, &errs, &tv);
    if (rc == SOCKET_ERROR)
        return -1;
    return rc > 0 ? 1 : 0;
#else
    // poll, not select: descriptors above FD_SETSIZE are normal with thousands of sends.
    pollfd p;
    p.fd = s;
    p.events = forWrite ? POLLOUT : POLLIN;
    p.revents = 0;
    unsigned long long end = MsgrNowMs() + ms;
    for (;;) {
        unsigned long long now = MsgrNowMs();
        int left = now >= end ? 0 : (int)(end - now);
        int rc = poll(&p, 1, left);
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc < 0)
            return -1;
        return rc > 0 ? 1 : 0;
    }
#endif
}

int MsgrSockPendingErr(SOCKET s)
{
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, (char *)&err, &len) != 0)
        return MsgrSockErr();
    return err;
}

std::vector<TMsgrAddr> MsgrIfBcasts()
{
    std::vector<TMsgrAddr> out;
#ifdef _WIN32
    DWORD err = 0;
    SOCKET s = MsgrSockOpen(SOCK_DGRAM, &err);
    if (s == INVALID_SOCKET)
        return out;
    INTERFACE_INFO info[32];
    DWORD got = 0;
    if (WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, info, sizeof info, &got, nullptr, nullptr) == 0) {
        for (DWORD i = 0; i < got / sizeof info[0]; ++i) {
            const INTERFACE_INFO &ii = info[i];
            if (!(ii.iiFlags & IFF_UP) || (ii.iiFlags & IFF_LOOPBACK) || ii.iiAddress.Address.sa_family != AF_INET)
                continue;
            // Windows reports 255.255.255.255 as every interface's broadcast address: build the
            // subnet's own from address and mask.
            unsigned a = ntohl(ii.iiAddress.AddressIn.sin_addr.s_addr);
            unsigned m = ntohl(ii.iiNetmask.AddressIn.sin_addr.s_addr);
            TMsgrAddr b;
            b.ip = a | ~m;
            out.push_back(b);
        }
    }
    MsgrSockClose(s);
#else
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (ifaddrs *i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
            (i->ifa_flags & IFF_LOOPBACK) || !(i->ifa_flags & IFF_BROADCAST) || !i->ifa_broadaddr)
            continue;
        TMsgrAddr b;
        b.ip = ntohl(((const sockaddr_in *)i->ifa_broadaddr)->sin_addr.s_addr);
        out.push_back(b);
    }
    freeifaddrs(list);
#endif
    return out;
}

UINT MsgrDefCodePage()
{
#ifdef _WIN32
    return GetOEMCP();
#else
    return PRIMARYLANGID(GetUserDefaultLangID()) == LANG_RUSSIAN ? 866 : 850;
#endif
}

unsigned long long MsgrNowMs()
{
    using namespace std::chrono;
    return (unsigned long long)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
