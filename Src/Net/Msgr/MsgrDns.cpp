// The system resolver (getaddrinfo) with a time-out. The resolver itself cannot be given one
// nor cancelled, so each call runs on a thread of its own while the send waits for it at most
// the configured time-out. A call that answers in time is joined, so that in the normal case
// the send leaves no thread behind.
//
// A call that outlives the time-out: the send stops waiting, detaches the thread and goes on
// as if the name were unknown. The thread stays blocked inside the system resolver until that
// gives up by its own rules (resolv.conf's timeout and attempts, or the Windows DNS client's),
// then frees the answer and the call's shared state and ends; nothing else waits for it, and
// its answer is dropped. Until then it costs one thread and the resolver's own socket.
#include "Net/Msgr/Msgr.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// The state shared by the waiting send and the resolver thread: whichever lets go last frees it.
struct TDnsCall
{
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    DWORD rc = NERR_NameNotFound;
    unsigned ip = 0;
    std::string host;
};

// The resolver threads still running. Never destroyed: a detached resolver thread may still end
// while the process runs its exit code, after static objects are gone.
struct TDnsThreads
{
    std::mutex lock;
    std::condition_variable idle;
    long running = 0;
};
TDnsThreads &DnsThreads()
{
    static TDnsThreads *t = new TDnsThreads;
    return *t;
}

// getaddrinfo, IPv4 only: the first address.
DWORD SysGetAddr(const std::string &host, unsigned *ip)
{
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res)
        return NERR_NameNotFound;
    DWORD rc = NERR_NameNotFound;
    for (addrinfo *r = res; r; r = r->ai_next) {
        if (r->ai_family == AF_INET && r->ai_addr) {
            *ip = ntohl(((const sockaddr_in *)r->ai_addr)->sin_addr.s_addr);
            rc = 0;
            break;
        }
    }
    freeaddrinfo(res);
    return rc;
}

std::atomic<TMsgrResolveFn> gResolver{SysGetAddr};

void RunCall(std::shared_ptr<TDnsCall> call)
{
    unsigned ip = 0;
    const DWORD rc = gResolver.load()(call->host, &ip);
    {
        std::lock_guard<std::mutex> g(call->lock);
        call->rc = rc;
        call->ip = ip;
        call->finished = true;
        call->done.notify_all();
    }
    call.reset();
    TDnsThreads &t = DnsThreads();
    std::lock_guard<std::mutex> g(t.lock);
    if (--t.running == 0)
        t.idle.notify_all();
}

} // namespace

DWORD MsgrSysResolve(const std::string &host, unsigned ms, unsigned *ip)
{
    // Winsock answers nothing before its start-up, and a send may reach the resolver before
    // it has opened any socket.
    const DWORD init = MsgrSockInit();
    if (init != 0)
        return init;
    std::shared_ptr<TDnsCall> call = std::make_shared<TDnsCall>();
    call->host = host;
    TDnsThreads &t = DnsThreads();
    {
        std::lock_guard<std::mutex> g(t.lock);
        ++t.running;
    }
    std::thread th;
    try {
        th = std::thread(RunCall, call);
    } catch (const std::system_error &) {
        std::lock_guard<std::mutex> g(t.lock);
        if (--t.running == 0)
            t.idle.notify_all();
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    bool finished;
    {
        std::unique_lock<std::mutex> g(call->lock);
        finished = call->done.wait_for(g, std::chrono::milliseconds(ms), [&] { return call->finished; });
    }
    if (!finished) {
        th.detach();
        return NERR_NameNotFound;
    }
    th.join();
    if (call->rc == 0)
        *ip = call->ip;
    return call->rc;
}

TMsgrResolveFn MsgrSetResolver(TMsgrResolveFn fn)
{
    return gResolver.exchange(fn ? fn : SysGetAddr);
}

long MsgrResolversRunning()
{
    TDnsThreads &t = DnsThreads();
    std::lock_guard<std::mutex> g(t.lock);
    return t.running;
}

bool MsgrWaitResolvers(unsigned ms)
{
    TDnsThreads &t = DnsThreads();
    std::unique_lock<std::mutex> g(t.lock);
    return t.idle.wait_for(g, std::chrono::milliseconds(ms), [&] { return t.running == 0; });
}
