// The transport's configuration: the QZSEND_* environment variables, read at every send so that
// a change between sends takes effect, and the address parsing they need.
#include "Net/Msgr/Msgr.h"

#include <cstdlib>
#include <cstring>

namespace {

bool EqNoCase(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? (char)(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? (char)(*b - 32) : *b;
        if (x != y)
            return false;
    }
    return *a == *b;
}

// A decimal number of at most max; false for anything else (signs, spaces, overflow).
bool ParseUns(const char *s, size_t n, unsigned max, unsigned &v)
{
    if (n == 0 || n > 10)
        return false;
    unsigned long long x = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        x = x * 10 + (unsigned)(s[i] - '0');
    }
    if (x > max)
        return false;
    v = (unsigned)x;
    return true;
}

// Seconds with an optional fraction ("10", "0.5") as milliseconds; parsed by hand so that the
// locale's decimal point plays no part.
bool ParseSecs(const char *s, unsigned &ms)
{
    const char *dot = std::strchr(s, '.');
    size_t whole = dot ? (size_t)(dot - s) : std::strlen(s);
    unsigned secs = 0;
    if (whole > 0 && !ParseUns(s, whole, 86400, secs))
        return false;
    unsigned frac = 0, scale = 100;
    if (dot) {
        for (const char *p = dot + 1; *p; ++p) {
            if (*p < '0' || *p > '9')
                return false;
            frac += (unsigned)(*p - '0') * scale;
            scale /= 10;
        }
        if (whole == 0 && dot[1] == 0)
            return false;
    }
    unsigned total = secs * 1000 + frac;
    if (total == 0)
        return false;
    ms = total;
    return true;
}

// A code page that the conversion serves: a mistyped QZSEND_CODEPAGE would otherwise make
// every send fail.
bool CpUsable(UINT cp)
{
    const WCHAR probe[1] = {(WCHAR)'A'};
    char out[8];
    const bool utf8 = cp == CP_UTF8;
    return WideCharToMultiByte(cp, 0, probe, 1, out, (int)sizeof out, utf8 ? nullptr : "?", nullptr) > 0;
}

} // namespace

bool MsgrParseIp(const char *s, unsigned &ip)
{
    unsigned v = 0;
    for (int part = 0; part < 4; ++part) {
        const char *start = s;
        while (*s >= '0' && *s <= '9')
            ++s;
        unsigned x;
        if (s - start > 3 || (s - start > 1 && *start == '0') || !ParseUns(start, (size_t)(s - start), 255, x))
            return false;
        v = (v << 8) | x;
        if (part < 3) {
            if (*s != '.')
                return false;
            ++s;
        }
    }
    if (*s)
        return false;
    ip = v;
    return true;
}

std::string MsgrIpText(unsigned ip)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 255, (ip >> 8) & 255, ip & 255);
    return buf;
}

std::vector<TMsgrAddr> MsgrParseAddrs(const char *s)
{
    std::vector<TMsgrAddr> out;
    while (s && *s) {
        const char *end = std::strchr(s, ',');
        std::string item = end ? std::string(s, (size_t)(end - s)) : std::string(s);
        s = end ? end + 1 : nullptr;
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
            item.erase(0, 1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t'))
            item.pop_back();
        TMsgrAddr a;
        size_t colon = item.find(':');
        unsigned port = 0;
        if (colon != std::string::npos) {
            if (!ParseUns(item.c_str() + colon + 1, item.size() - colon - 1, 65535, port) || port == 0)
                continue;
            item.resize(colon);
        }
        if (!MsgrParseIp(item.c_str(), a.ip))
            continue;
        a.port = (unsigned short)port;
        out.push_back(a);
    }
    return out;
}

void MsgrLoadCfg(TMsgrCfg &cfg)
{
    cfg = TMsgrCfg();
    unsigned v;
    const char *e = std::getenv("QZSEND_PORT");
    if (e && ParseUns(e, std::strlen(e), 65535, v) && v != 0)
        cfg.port = (unsigned short)v;

    e = std::getenv("QZSEND_WINS");
    if (e) {
        cfg.wins = MsgrParseAddrs(e);
        if (cfg.wins.size() > 1)
            cfg.wins.resize(1);
    }

    e = std::getenv("QZSEND_BCAST");
    if (!e)
        cfg.bcast = MsgrIfBcasts();
    else if (!EqNoCase(e, "none"))
        cfg.bcast = MsgrParseAddrs(e);

    e = std::getenv("QZSEND_WORKGROUP");
    if (e && *e)
        cfg.workgroup = e;

    cfg.codePage = MsgrDefCodePage();
    e = std::getenv("QZSEND_CODEPAGE");
    if (e) {
        const char *digits = (EqNoCase(std::string(e).substr(0, 2).c_str(), "CP")) ? e + 2 : e;
        if (ParseUns(digits, std::strlen(digits), 65535, v) && v != 0 && CpUsable(v))
            cfg.codePage = v;
    }

    e = std::getenv("QZSEND_TIMEOUT");
    if (e && ParseSecs(e, v))
        cfg.timeoutMs = v;

    e = std::getenv("QZSEND_DNS");
    if (e && (EqNoCase(e, "0") || EqNoCase(e, "off") || EqNoCase(e, "no")))
        cfg.dns = false;
}
