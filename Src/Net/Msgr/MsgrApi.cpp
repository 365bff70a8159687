// The three messaging calls and the process-wide alias table.
//
// An alias only decides the originator name of the messages sent "from" it; registering one
// announces nothing on the network. The table's lock is held only for the table's own
// operations, never across network I/O, so that thousands of sends can run at once.
#include "Net/Msgr/Msgr.h"

#include <mutex>
#include <new>
#include <cstring>

namespace {

std::mutex gAliasLock;
std::vector<TMsgrWStr> gAliases; // upper-cased, so that names compare case-blind

// Server names: the local computer only (none, empty, or its own name with or without the
// leading backslashes). The calls cannot act on another computer.
DWORD CheckServer(LPCWSTR server)
{
    if (!server || !server[0])
        return 0;
    TMsgrWStr s(server);
    while (!s.empty() && s[0] == '\\')
        s.erase(0, 1);
    char buf[64];
    DWORD size = sizeof buf;
    if (!GetComputerNameA(buf, &size))
        return ERROR_NOT_SUPPORTED;
    TMsgrWStr own;
    for (DWORD i = 0; i < size; ++i)
        own.push_back((WCHAR)(unsigned char)buf[i]);
    return MsgrUpper(s) == MsgrUpper(own) ? 0 : (DWORD)ERROR_NOT_SUPPORTED;
}

// A usable alias: 1 to 15 characters.
DWORD CheckAlias(LPCWSTR name, TMsgrWStr &upper)
{
    const size_t n = MsgrWLen(name);
    if (n == 0 || n > 15)
        return ERROR_INVALID_PARAMETER;
    upper = MsgrUpper(TMsgrWStr(name, n));
    return 0;
}

bool AliasKnown(const TMsgrWStr &upper)
{
    std::lock_guard<std::mutex> g(gAliasLock);
    for (const TMsgrWStr &a : gAliases)
        if (a == upper)
            return true;
    return false;
}

// Sends a domain broadcast: one mailslot datagram to every broadcast address.
DWORD SendBroadcast(const TMsgrCfg &cfg, const TMsgrWStr &target, const std::string &calling,
                    const std::string &orig, const std::string &text, const std::vector<size_t> &cuts)
{
    // "NAME*" goes to the group NAME; "*" alone to the own workgroup.
    TMsgrWStr groupW(target, 0, target.size() - 1);
    if (groupW.empty()) {
        int n = MultiByteToWideChar(CP_ACP, 0, cfg.workgroup.c_str(), (int)cfg.workgroup.size(), nullptr, 0);
        if (n <= 0)
            return ERROR_INVALID_PARAMETER;
        groupW.resize((size_t)n);
        MultiByteToWideChar(CP_ACP, 0, cfg.workgroup.c_str(), (int)cfg.workgroup.size(), &groupW[0], n);
    }
    if (groupW.size() > 15)
        return ERROR_INVALID_PARAMETER;
    std::string group;
    DWORD rc = MsgrWireName(cfg.codePage, groupW, group);
    if (rc != 0)
        return rc;
    if (group.empty())
        return ERROR_INVALID_PARAMETER;
    if (cfg.bcast.empty())
        return ERROR_NETWORK_UNREACHABLE;

    bool cut = false;
    const std::string data = MsMailData(orig, group, text, cuts, MsgrMailslotMax, &cut);
    const unsigned short id = MsgrNextId();
    DWORD err;
    SOCKET s = MsgrSockOpen(SOCK_DGRAM, &err);
    if (s == INVALID_SOCKET)
        return err;
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, (const char *)&one, sizeof one);
    size_t sent = 0;
    DWORD lastErr = ERROR_NETWORK_UNREACHABLE;
    for (const TMsgrAddr &a : cfg.bcast) {
        sockaddr_in sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sin_family = AF_INET;
        sa.sin_port = htons(a.port ? a.port : MsgrDgramPort);
        sa.sin_addr.s_addr = htonl(a.ip);
        // Connecting tells which of our addresses reaches the destination: the datagram
        // header carries it.
        if (connect(s, (const sockaddr *)&sa, sizeof sa) != 0) {
            lastErr = MsgrSockErrToWin(MsgrSockErr());
            continue;
        }
        sockaddr_in me;
        socklen_t meLen = sizeof me;
        unsigned srcIp = 0;
        if (getsockname(s, (sockaddr *)&me, &meLen) == 0)
            srcIp = ntohl(me.sin_addr.s_addr);
        const TMsgrBytes dg = MsDgram(id, srcIp, calling, group, data);
        if (send(s, (const char *)dg.data(), (int)dg.size(), 0) == (int)dg.size())
            ++sent;
        else
            lastErr = MsgrSockErrToWin(MsgrSockErr());
    }
    MsgrSockClose(s);
    if (sent == 0)
        return lastErr;
    return cut ? (DWORD)NERR_TruncatedBroadcast : 0;
}

DWORD BufferSend(LPCWSTR server, LPCWSTR msgname, LPCWSTR fromname, LPBYTE buf, DWORD buflen)
{
    if (!msgname || !msgname[0] || (buflen && !buf) || (buflen & 1))
        return ERROR_INVALID_PARAMETER;
    DWORD rc = CheckServer(server);
    if (rc != 0)
        return rc;
    TMsgrCfg cfg;
    MsgrLoadCfg(cfg);

    std::string calling;
    if ((rc = MsgrComputerName(cfg.codePage, calling)) != 0)
        return rc;
    std::string orig = calling;
    TMsgrWStr from;
    if (fromname && fromname[0] && CheckAlias(fromname, from) == 0 && AliasKnown(from) &&
        (rc = MsgrWireName(cfg.codePage, from, orig)) != 0)
        return rc;

    // The text: UTF-16 units (copied, since the buffer need not be aligned), CR LF breaks, the
    // wire code page, and the character boundaries for cutting.
    TMsgrWStr raw(buflen / 2, 0);
    if (buflen)
        std::memcpy(&raw[0], buf, buflen);
    std::string text;
    std::vector<size_t> cuts;
    if ((rc = MsgrToCp(cfg.codePage, MsgrCrLf(raw.data(), raw.size()), text, &cuts)) != 0)
        return rc;

    const TMsgrWStr target = MsgrUpper(TMsgrWStr(msgname));
    if (target.back() == '*')
        return SendBroadcast(cfg, target, calling, orig, text, cuts);

    TMsgrTarget t;
    if ((rc = MsgrResolve(cfg, target, &t)) != 0)
        return rc;
    return MsgrDeliver(cfg, t, calling, orig, MsgrCutBlocks(text, cuts, MsgrBlockMax));
}

} // namespace

DWORD MsgrComputerName(UINT cp, std::string &out)
{
    char buf[64];
    DWORD size = sizeof buf;
    if (!GetComputerNameA(buf, &size))
        return GetLastError() ? GetLastError() : ERROR_INVALID_PARAMETER;
    int n = MultiByteToWideChar(CP_ACP, 0, buf, (int)size, nullptr, 0);
    if (n <= 0)
        return GetLastError() ? GetLastError() : ERROR_INVALID_PARAMETER;
    TMsgrWStr w((size_t)n, 0);
    MultiByteToWideChar(CP_ACP, 0, buf, (int)size, &w[0], n);
    return MsgrWireName(cp, w, out);
}

size_t MsgrAliasCount()
{
    std::lock_guard<std::mutex> g(gAliasLock);
    return gAliases.size();
}

NET_API_STATUS NET_API_FUNCTION NetMessageNameAdd(LPCWSTR servername, LPCWSTR msgname)
{
    try {
        DWORD rc = CheckServer(servername);
        if (rc != 0)
            return rc;
        TMsgrWStr upper;
        if ((rc = CheckAlias(msgname, upper)) != 0)
            return rc;
        std::lock_guard<std::mutex> g(gAliasLock);
        for (const TMsgrWStr &a : gAliases)
            if (a == upper)
                return NERR_AlreadyExists;
        if (gAliases.size() >= MsgrAliasMax)
            return NERR_TooManyNames;
        gAliases.push_back(upper);
        return 0;
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

NET_API_STATUS NET_API_FUNCTION NetMessageNameDel(LPCWSTR servername, LPCWSTR msgname)
{
    try {
        DWORD rc = CheckServer(servername);
        if (rc != 0)
            return rc;
        TMsgrWStr upper;
        if (!msgname)
            return ERROR_INVALID_PARAMETER;
        if (CheckAlias(msgname, upper) != 0)
            return NERR_NotLocalName;
        std::lock_guard<std::mutex> g(gAliasLock);
        for (size_t i = 0; i < gAliases.size(); ++i) {
            if (gAliases[i] == upper) {
                gAliases.erase(gAliases.begin() + (long)i);
                return 0;
            }
        }
        return NERR_NotLocalName;
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

NET_API_STATUS NET_API_FUNCTION NetMessageBufferSend(LPCWSTR servername, LPCWSTR msgname, LPCWSTR fromname,
                                                     LPBYTE buf, DWORD buflen)
{
    try {
        return BufferSend(servername, msgname, fromname, buf, buflen);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}
