// The recording stand-in for the network messaging calls (see FakeMsgr.h).
#include "FakeMsgr.h"

#include "qzplat.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace FakeMsgr
{
namespace
{
std::mutex mtx;
std::condition_variable released;
bool isReleased = false;
std::set<std::string> aliases;
std::set<std::string> held;
std::map<std::string, unsigned> sendRc;
unsigned addRc = 0;
std::vector<TSend> sends;
std::vector<std::string> added, deleted;

std::u16string Wide(LPCWSTR w)
{
    std::u16string s;
    for (; w && *w; w++)
        s += (char16_t)*w;
    return s;
}
} // namespace

std::string Narrow(const std::u16string &w)
{
    std::string s;
    for (char16_t c : w)
        s += c < 0x80 ? (char)c : '?';
    return s;
}

void Reset()
{
    std::lock_guard<std::mutex> g(mtx);
    aliases.clear();
    held.clear();
    sendRc.clear();
    addRc = 0;
    isReleased = false;
    sends.clear();
    added.clear();
    deleted.clear();
}

void AddAlias(const std::string &name)
{
    std::lock_guard<std::mutex> g(mtx);
    aliases.insert(name);
}

bool HasAlias(const std::string &name)
{
    std::lock_guard<std::mutex> g(mtx);
    return aliases.count(name) != 0;
}

void SetAddResult(unsigned rc)
{
    std::lock_guard<std::mutex> g(mtx);
    addRc = rc;
}

void SetSendResult(const std::string &target, unsigned rc)
{
    std::lock_guard<std::mutex> g(mtx);
    sendRc[target] = rc;
}

void Hold(const std::string &target)
{
    std::lock_guard<std::mutex> g(mtx);
    held.insert(target);
}

void Release()
{
    std::lock_guard<std::mutex> g(mtx);
    isReleased = true;
    released.notify_all();
}

std::vector<TSend> Sends()
{
    std::lock_guard<std::mutex> g(mtx);
    return sends;
}

std::vector<std::string> Added()
{
    std::lock_guard<std::mutex> g(mtx);
    return added;
}

std::vector<std::string> Deleted()
{
    std::lock_guard<std::mutex> g(mtx);
    return deleted;
}

} // namespace FakeMsgr

using namespace FakeMsgr;

NET_API_STATUS NET_API_FUNCTION NetMessageNameAdd(LPCWSTR, LPCWSTR msgname)
{
    std::lock_guard<std::mutex> g(mtx);
    std::string n = Narrow(Wide(msgname));
    added.push_back(n);
    if (addRc)
        return addRc;
    if (n.empty())
        return ERROR_INVALID_PARAMETER;
    if (!aliases.insert(n).second)
        return 2276;
    return 0;
}

NET_API_STATUS NET_API_FUNCTION NetMessageBufferSend(LPCWSTR, LPCWSTR msgname, LPCWSTR fromname, LPBYTE buf,
                                                     DWORD buflen)
{
    std::unique_lock<std::mutex> g(mtx);
    TSend s;
    s.target = Narrow(Wide(msgname));
    s.from = fromname ? Narrow(Wide(fromname)) : "(none)";
    s.text.assign((const char16_t *)buf, buflen / 2);
    s.byteCount = (unsigned)buflen;
    sends.push_back(s);
    if (held.count(s.target))
        released.wait(g, [] { return isReleased; });
    auto it = sendRc.find(s.target);
    return it == sendRc.end() ? 0 : it->second;
}

NET_API_STATUS NET_API_FUNCTION NetMessageNameDel(LPCWSTR, LPCWSTR msgname)
{
    std::lock_guard<std::mutex> g(mtx);
    std::string n = Narrow(Wide(msgname));
    deleted.push_back(n);
    return aliases.erase(n) ? 0 : 2285;
}
