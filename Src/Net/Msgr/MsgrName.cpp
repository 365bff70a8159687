// Finding a target: an IPv4 address is used as it is (its Messenger name learnt by a short node
// status query); a name with a dot goes to the system resolver first; any other name goes to
// the NetBIOS name service (the configured name server, then the broadcast addresses) and then
// to the system resolver.
#include "Net/Msgr/Msgr.h"

namespace {

struct TNameCtx
{
    unsigned short tid;
    unsigned ip;
};

DWORD CheckNameResp(const unsigned char *p, size_t n, void *ctx)
{
    TNameCtx *c = (TNameCtx *)ctx;
    return NbParseNameResp(p, n, c->tid, &c->ip);
}

struct TStatusCtx
{
    unsigned short tid;
    std::string name;
};

DWORD CheckStatusResp(const unsigned char *p, size_t n, void *ctx)
{
    TStatusCtx *c = (TStatusCtx *)ctx;
    return NbParseNodeStatus(p, n, c->tid, c->name) ? 0 : NERR_NetworkError;
}

} // namespace

bool MsgrNodeStatus(unsigned ip, unsigned short port, unsigned ms, std::string &name)
{
    TMsgrUdpAsk ask;
    TMsgrAddr a;
    a.ip = ip;
    a.port = port;
    ask.to.push_back(a);
    ask.tries = 1;
    ask.waitMs = ms;
    TStatusCtx ctx;
    ctx.tid = MsgrNextId();
    if (MsgrUdpAsk(ask, NbNodeStatusReq(ctx.tid), CheckStatusResp, &ctx) != 0)
        return false;
    name = ctx.name;
    return true;
}

DWORD MsgrNbQuery(const std::vector<TMsgrAddr> &to, bool bcast, const std::string &name, unsigned tries,
                  unsigned waitMs, unsigned *ip)
{
    TMsgrUdpAsk ask;
    ask.to = to;
    ask.bcast = bcast;
    ask.tries = tries;
    ask.waitMs = waitMs;
    TNameCtx ctx;
    ctx.tid = MsgrNextId();
    ctx.ip = 0;
    DWORD rc = MsgrUdpAsk(ask, NbNameQuery(ctx.tid, name, NbSufMsgr, bcast), CheckNameResp, &ctx);
    if (rc == 0)
        *ip = ctx.ip;
    return rc;
}

DWORD MsgrResolve(const TMsgrCfg &cfg, const TMsgrWStr &name, TMsgrTarget *t)
{
    t->addr.port = cfg.port;
    // Host names and addresses are ASCII; a name that is not goes only to the NetBIOS ways.
    std::string ascii;
    for (WCHAR c : name) {
        if ((unsigned)c >= 0x80 || c == 0) {
            ascii.clear();
            break;
        }
        ascii.push_back((char)c);
    }
    std::string wire;
    DWORD rc = MsgrWireName(cfg.codePage, name, wire);
    if (rc != 0)
        return rc;
    if (wire.empty())
        return ERROR_INVALID_PARAMETER;

    // An IPv4 address: ask the host for its Messenger name for at most a second; without an
    // answer the address text is the called name.
    if (!ascii.empty() && MsgrParseIp(ascii.c_str(), t->addr.ip)) {
        unsigned wait = cfg.timeoutMs < 1000 ? cfg.timeoutMs : 1000;
        if (!MsgrNodeStatus(t->addr.ip, MsgrNamePort, wait, t->called))
            t->called = ascii;
        return 0;
    }

    const bool dotted = ascii.find('.') != std::string::npos;
    const bool nbName = MsgrUpper(name).size() <= 15;
    // The system resolver, waited for at most the time-out (only names it may be asked about).
    // A DNS name is called by its first label, which is the host's NetBIOS name by convention.
    // Returns 0 when found, 2273 when not, or the failure that kept it from asking.
    auto dnsTry = [&]() -> DWORD {
        if (!cfg.dns || ascii.empty())
            return NERR_NameNotFound;
        DWORD found = MsgrSysResolve(ascii, cfg.timeoutMs, &t->addr.ip);
        if (found != 0)
            return found;
        std::string label = ascii.substr(0, ascii.find('.'));
        TMsgrWStr wl(label.begin(), label.end());
        if (MsgrWireName(cfg.codePage, wl, t->called) != 0 || t->called.empty())
            t->called = wire;
        return 0;
    };
    if (dotted && (rc = dnsTry()) != NERR_NameNotFound)
        return rc;
    if (nbName) {
        t->called = wire;
        // The name server: three tries sharing the time-out.
        if (!cfg.wins.empty()) {
            unsigned wait = cfg.timeoutMs / 3 > 100 ? cfg.timeoutMs / 3 : 100;
            if (MsgrNbQuery(cfg.wins, false, wire, 3, wait, &t->addr.ip) == 0)
                return 0;
        }
        // Broadcast: three tries of 250 ms (less with a shorter time-out).
        if (!cfg.bcast.empty()) {
            unsigned wait = cfg.timeoutMs / 3 < 250 ? cfg.timeoutMs / 3 : 250;
            if (MsgrNbQuery(cfg.bcast, true, wire, 3, wait ? wait : 1, &t->addr.ip) == 0)
                return 0;
        }
    }
    if (!dotted)
        return dnsTry();
    return NERR_NameNotFound;
}
