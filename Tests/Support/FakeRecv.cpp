// The fake receiver and name service of the transport tests (see FakeRecv.h). The replies are
// built here by hand, independently of the transport's own packet code, so that a fault in
// that code shows up as a mismatch instead of agreeing with itself.
#include "FakeRecv.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <list>

namespace {

const unsigned PollMs = 20;

sockaddr_in SockAddr(unsigned ip, unsigned short port)
{
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(ip);
    return sa;
}

unsigned short BoundPort(SOCKET s)
{
    sockaddr_in sa;
    socklen_t len = sizeof sa;
    getsockname(s, (sockaddr *)&sa, &len);
    return ntohs(sa.sin_port);
}

// Writes all of b; false when the connection failed.
bool SendRaw(SOCKET s, const TMsgrBytes &b)
{
    size_t at = 0;
    while (at < b.size()) {
        int rc = send(s, (const char *)b.data() + at, (int)(b.size() - at), MSG_NOSIGNAL);
        if (rc > 0) {
            at += (size_t)rc;
            continue;
        }
        if (rc < 0 && !MsgrSockPending(MsgrSockErr()))
            return false;
        MsgrSockWait(s, true, PollMs);
    }
    return true;
}

// The SMB reply to cmd: status in DOS form (class, code), optional group id word, no data.
TMsgrBytes SmbReply(unsigned char cmd, unsigned char cls, unsigned short code, int group)
{
    TMsgrBytes smb = {0xFF, 'S', 'M', 'B', cmd, cls, 0, (unsigned char)code, (unsigned char)(code >> 8), 0x80};
    smb.resize(32, 0);
    if (group >= 0) {
        smb.push_back(1);
        smb.push_back((unsigned char)group);
        smb.push_back((unsigned char)(group >> 8));
    } else {
        smb.push_back(0);
    }
    smb.push_back(0);
    smb.push_back(0);
    smb.insert(smb.begin(), 4, 0);
    smb[3] = (unsigned char)(smb.size() - 4);
    return smb;
}

unsigned Get16le(const unsigned char *p) { return (unsigned)p[1] << 8 | p[0]; }

} // namespace

void FakeSetEnv(const char *name, const char *value)
{
    // putenv keeps the very string on POSIX: the strings live as long as the process.
    static std::mutex lock;
    static std::list<std::string> keep;
    std::lock_guard<std::mutex> g(lock);
    keep.push_back(std::string(name) + "=" + value);
    putenv(&keep.back()[0]);
}

bool TFakeRecv::DecodeName(const unsigned char *p, size_t n, std::string &name, unsigned char &suffix)
{
    if (n < 34 || p[0] != 0x20 || p[33] != 0)
        return false;
    unsigned char raw[16];
    for (int i = 0; i < 16; ++i) {
        unsigned hi = p[1 + 2 * i] - 'A', lo = p[2 + 2 * i] - 'A';
        if (hi > 15 || lo > 15)
            return false;
        raw[i] = (unsigned char)(hi << 4 | lo);
    }
    name.assign((const char *)raw, 15);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    suffix = raw[15];
    return true;
}

std::vector<TMsgrBytes> TFakeRecv::Packets(const TMsgrBytes &conv)
{
    std::vector<TMsgrBytes> out;
    size_t at = 0;
    while (at + 4 <= conv.size()) {
        size_t len = ((size_t)(conv[at + 1] & 1) << 16) | (size_t)conv[at + 2] << 8 | conv[at + 3];
        size_t end = at + 4 + len > conv.size() ? conv.size() : at + 4 + len;
        out.emplace_back(conv.begin() + (long)at, conv.begin() + (long)end);
        at = end;
    }
    return out;
}

bool TFakeRecv::Decode(const TMsgrBytes &conv, TFakeMsg &m)
{
    m = TFakeMsg();
    std::vector<TMsgrBytes> pk = Packets(conv);
    if (pk.size() < 3 || pk[0].size() != 72 || pk[0][0] != 0x81)
        return false;
    unsigned char suf;
    if (!DecodeName(&pk[0][4], 34, m.called, suf) || suf != 0x03 ||
        !DecodeName(&pk[0][38], 34, m.calling, suf) || suf != 0x00)
        return false;
    bool ended = false;
    for (size_t i = 1; i < pk.size(); ++i) {
        const TMsgrBytes &p = pk[i];
        if (p.size() < 4 + 35 || p[0] != 0 || p[4] != 0xFF)
            return false;
        const unsigned char cmd = p[8];
        const size_t wc = p[36];
        if (p.size() < 4 + 35 + 2 * wc)
            return false;
        const unsigned char *data = &p[4 + 35 + 2 * wc];
        const size_t bc = Get16le(&p[4 + 33 + 2 * wc]);
        if (data + bc > p.data() + p.size())
            return false;
        if (cmd == 0xD5) {
            // 0x04 originator 0x00 0x04 destination 0x00
            const char *d = (const char *)data;
            if (bc < 4 || d[0] != 4)
                return false;
            m.from = std::string(d + 1);
            const char *dest = d + 1 + m.from.size() + 1;
            if (dest[0] != 4)
                return false;
            m.to = std::string(dest + 1);
        } else if (cmd == 0xD7) {
            if (bc < 3 || data[0] != 1 || Get16le(data + 1) != bc - 3)
                return false;
            m.text.append((const char *)data + 3, bc - 3);
            ++m.blocks;
        } else if (cmd == 0xD6) {
            ended = true;
        }
    }
    return ended;
}

TFakeRecv::TFakeRecv(const char *ip)
{
    MsgrParseIp(ip, mIp);
    DWORD err;
    mListen = MsgrSockOpen(SOCK_STREAM, &err);
    sockaddr_in sa = SockAddr(mIp, 0);
    if (mListen == INVALID_SOCKET || bind(mListen, (const sockaddr *)&sa, sizeof sa) != 0 ||
        listen(mListen, SOMAXCONN) != 0)
        return;
    mPort = BoundPort(mListen);
    mAccept = std::thread([this] { AcceptLoop(); });
}

TFakeRecv::~TFakeRecv()
{
    mStop = true;
    if (mAccept.joinable())
        mAccept.join();
    for (std::thread &t : mThreads)
        t.join();
    MsgrSockClose(mListen);
}

void TFakeRecv::Refuse()
{
    mStop = true;
    if (mAccept.joinable())
        mAccept.join();
    MsgrSockClose(mListen);
    mStop = false;
}

void TFakeRecv::SetFault(const TFakeFault &f)
{
    std::lock_guard<std::mutex> g(mLock);
    mFault = f;
}

size_t TFakeRecv::WaitConvs(size_t n, unsigned ms)
{
    std::unique_lock<std::mutex> g(mLock);
    mCv.wait_for(g, std::chrono::milliseconds(ms), [&] { return mConvs.size() >= n; });
    return mConvs.size();
}

std::vector<TMsgrBytes> TFakeRecv::Convs()
{
    std::lock_guard<std::mutex> g(mLock);
    return mConvs;
}

void TFakeRecv::AcceptLoop()
{
    while (!mStop) {
        if (MsgrSockWait(mListen, false, PollMs) <= 0)
            continue;
        SOCKET s = accept(mListen, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            continue;
        std::lock_guard<std::mutex> g(mLock);
        mThreads.emplace_back([this, s] { Serve(s); });
    }
}

void TFakeRecv::Serve(SOCKET s)
{
    TMsgrBytes got;
    TFakeFault fault;
    {
        std::lock_guard<std::mutex> g(mLock);
        fault = mFault;
    }
    // Reads n more bytes into got; false on end of stream, error or stop.
    auto readN = [&](size_t n) -> bool {
        while (n > 0) {
            if (mStop)
                return false;
            int w = MsgrSockWait(s, false, PollMs);
            if (w < 0)
                return false;
            if (w == 0)
                continue;
            unsigned char buf[512];
            int rc = recv(s, (char *)buf, (int)(n < sizeof buf ? n : sizeof buf), 0);
            if (rc == 0)
                return false;
            if (rc < 0) {
                if (MsgrSockPending(MsgrSockErr()))
                    continue;
                return false;
            }
            got.insert(got.end(), buf, buf + rc);
            n -= (size_t)rc;
        }
        return true;
    };
    bool closed = false;
    for (unsigned step = 0;; ++step) {
        const size_t start = got.size();
        if (!readN(4))
            break;
        const size_t len = ((size_t)(got[start + 1] & 1) << 16) | (size_t)got[start + 2] << 8 | got[start + 3];
        if (!readN(len))
            break;
        const unsigned char type = got[start];
        const unsigned char cmd = len >= 5 ? got[start + 8] : 0;
        if (fault.act != TFakeAct::Answer && step == fault.step) {
            bool hang = false;
            switch (fault.act) {
            case TFakeAct::Hang:
                hang = true;
                break;
            case TFakeAct::Reset: {
                linger l;
                l.l_onoff = 1;
                l.l_linger = 0;
                setsockopt(s, SOL_SOCKET, SO_LINGER, (const char *)&l, sizeof l);
                break;
            }
            case TFakeAct::Close:
                break;
            case TFakeAct::NegSess:
                SendRaw(s, {0x83, 0, 0, 1, fault.b1});
                break;
            case TFakeAct::ErrStatus:
                SendRaw(s, SmbReply(cmd, fault.b1, fault.code, -1));
                break;
            case TFakeAct::Garbage: {
                const char junk[] = "GARBAGE GARBAGE GARBAGE";
                SendRaw(s, TMsgrBytes(junk, junk + sizeof junk - 1));
                break;
            }
            case TFakeAct::Truncated: {
                TMsgrBytes r = step == 0 ? TMsgrBytes{0x82, 0, 0, 0} : SmbReply(cmd, 0, 0, -1);
                r.resize(r.size() / 2);
                r[3] = 40; // the header still promises a whole reply
                SendRaw(s, r);
                break;
            }
            case TFakeAct::Retarget: {
                const unsigned ip = fault.retargetIp;
                SendRaw(s, {0x84, 0, 0, 6, (unsigned char)(ip >> 24), (unsigned char)(ip >> 16),
                            (unsigned char)(ip >> 8), (unsigned char)ip, (unsigned char)(fault.retargetPort >> 8),
                            (unsigned char)fault.retargetPort});
                break;
            }
            case TFakeAct::KeepAlive:
                // One keep-alive every PollMs until the sender closes or resets.
                for (int i = 0; i < 400 && !mStop && SendRaw(s, {0x85, 0, 0, 0}); ++i) {
                    const int w = MsgrSockWait(s, false, PollMs);
                    if (w < 0 || (w > 0 && !readN(1)))
                        break;
                }
                break;
            case TFakeAct::Trickle: {
                const TMsgrBytes r = step == 0 ? TMsgrBytes{0x82, 0, 0, 0} : SmbReply(cmd, 0, 0, -1);
                for (size_t i = 0; i < r.size() && !mStop && SendRaw(s, {r[i]}); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                break;
            }
            case TFakeAct::Answer:
                break;
            }
            if (hang) {
                // Take whatever still comes until the sender gives up (or the fake stops).
                while (readN(1)) {
                }
            }
            closed = true;
            break;
        }
        if (step == 0)
            SendRaw(s, type == 0x81 ? TMsgrBytes{0x82, 0, 0, 0} : TMsgrBytes{0x83, 0, 0, 1, 0x8F});
        else if (type == 0x00 && len >= 35)
            SendRaw(s, SmbReply(cmd, 0, 0, cmd == 0xD5 ? mGroup.load() : -1));
    }
    (void)closed;
    closesocket(s);
    std::lock_guard<std::mutex> g(mLock);
    mConvs.push_back(got);
    mCv.notify_all();
}

TFakeNbns::TFakeNbns(const char *ip)
{
    MsgrParseIp(ip, mIp);
    DWORD err;
    mSock = MsgrSockOpen(SOCK_DGRAM, &err);
    sockaddr_in sa = SockAddr(mIp, 0);
    if (mSock == INVALID_SOCKET || bind(mSock, (const sockaddr *)&sa, sizeof sa) != 0)
        return;
    mPort = BoundPort(mSock);
    mThread = std::thread([this] { Loop(); });
}

TFakeNbns::~TFakeNbns()
{
    mStop = true;
    if (mThread.joinable())
        mThread.join();
    MsgrSockClose(mSock);
}

void TFakeNbns::Answer(const std::string &name, unsigned ip)
{
    std::lock_guard<std::mutex> g(mLock);
    mAnswers[name] = ip;
}

void TFakeNbns::SetStatus(const std::vector<TEntry> &entries)
{
    std::lock_guard<std::mutex> g(mLock);
    mStatus = entries;
}

size_t TFakeNbns::WaitDgrams(size_t n, unsigned ms)
{
    std::unique_lock<std::mutex> g(mLock);
    mCv.wait_for(g, std::chrono::milliseconds(ms), [&] { return mDgrams.size() >= n; });
    return mDgrams.size();
}

std::vector<TMsgrBytes> TFakeNbns::Dgrams()
{
    std::lock_guard<std::mutex> g(mLock);
    return mDgrams;
}

void TFakeNbns::Loop()
{
    while (!mStop) {
        if (MsgrSockWait(mSock, false, PollMs) <= 0)
            continue;
        unsigned char buf[1500];
        sockaddr_in from;
        socklen_t fromLen = sizeof from;
        int n = recvfrom(mSock, (char *)buf, (int)sizeof buf, 0, (sockaddr *)&from, &fromLen);
        if (n <= 0)
            continue;
        std::unique_lock<std::mutex> g(mLock);
        mDgrams.emplace_back(buf, buf + n);
        mCv.notify_all();
        // A query: header (12), the name (34), type, class.
        if (n != 12 + 34 + 4 || (buf[2] & 0x80))
            continue;
        std::string name;
        unsigned char suffix;
        if (!TFakeRecv::DecodeName(buf + 12, 34, name, suffix))
            continue;
        const unsigned type = (unsigned)buf[46] << 8 | buf[47];
        TMsgrBytes r(buf, buf + 12);
        r[6] = 0;
        r[7] = 1; // one answer
        r[4] = r[5] = 0;
        r.insert(r.end(), buf + 12, buf + 46);
        r.push_back(0);
        r.push_back((unsigned char)type);
        r.push_back(0);
        r.push_back(1);
        r.insert(r.end(), {0, 0, 0, 0}); // TTL
        if (type == 0x20) {
            auto it = mAnswers.find(name);
            if (it == mAnswers.end() || suffix != 0x03)
                continue; // silence, as for an unknown name on a broadcast
            const unsigned ip = it->second;
            if (ip == 0) {
                r[2] = 0x85;
                r[3] = 0x83; // name not found
                r.resize(12);
                r[7] = 0;
            } else {
                r[2] = 0x85;
                r[3] = 0x80;
                r.insert(r.end(), {0, 6, 0, 0, (unsigned char)(ip >> 24), (unsigned char)(ip >> 16),
                                   (unsigned char)(ip >> 8), (unsigned char)ip});
            }
        } else if (type == 0x21 && !mStatus.empty()) {
            r[2] = 0x84;
            r[3] = 0x00;
            const size_t len = 1 + 18 * mStatus.size() + 46;
            r.push_back((unsigned char)(len >> 8));
            r.push_back((unsigned char)len);
            r.push_back((unsigned char)mStatus.size());
            for (const TEntry &e : mStatus) {
                std::string nm = e.name;
                nm.resize(15, ' ');
                r.insert(r.end(), nm.begin(), nm.end());
                r.push_back(e.suffix);
                r.push_back(e.group ? 0x84 : 0x04);
                r.push_back(0x00);
            }
            r.insert(r.end(), 46, 0); // statistics
        } else {
            continue;
        }
        g.unlock();
        sendto(mSock, (const char *)r.data(), (int)r.size(), 0, (const sockaddr *)&from, fromLen);
    }
}
