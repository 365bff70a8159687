// The Messenger protocol's packets: NetBIOS names, session requests, the SMB message commands
// and their replies, name service queries and answers, and the mailslot datagram of a domain
// broadcast. Pure functions of their arguments, so that tests can state the exact bytes.
#include "Net/Msgr/Msgr.h"

#include <atomic>
#include <chrono>

namespace {

const unsigned char SmbStart = 0xD5, SmbEnd = 0xD6, SmbText = 0xD7, SmbTrans = 0x25;

void Put16be(TMsgrBytes &b, unsigned v)
{
    b.push_back((unsigned char)(v >> 8));
    b.push_back((unsigned char)v);
}
void Put16le(TMsgrBytes &b, unsigned v)
{
    b.push_back((unsigned char)v);
    b.push_back((unsigned char)(v >> 8));
}
void Put32le(TMsgrBytes &b, unsigned v)
{
    Put16le(b, v & 0xFFFF);
    Put16le(b, v >> 16);
}
unsigned Get16be(const unsigned char *p) { return (unsigned)p[0] << 8 | p[1]; }
unsigned Get16le(const unsigned char *p) { return (unsigned)p[1] << 8 | p[0]; }

// The session message header in front of an SMB of n bytes.
void PutSessHdr(TMsgrBytes &b, size_t n)
{
    b.push_back(0x00);
    b.push_back((unsigned char)((n >> 16) & 1));
    Put16be(b, (unsigned)(n & 0xFFFF));
}

// A 32-byte SMB header: the command, everything else zero (no session, tree or process).
void PutSmbHdr(TMsgrBytes &b, unsigned char cmd, unsigned char flags = 0, unsigned flags2 = 0)
{
    static const unsigned char magic[4] = {0xFF, 'S', 'M', 'B'};
    b.insert(b.end(), magic, magic + 4);
    b.push_back(cmd);
    Put32le(b, 0); // status
    b.push_back(flags);
    Put16le(b, flags2);
    b.insert(b.end(), 20, 0); // PID high, security features, reserved, TID, PID, UID, MID
}

// A message-command request: header, parameter words and data, framed as a session message.
TMsgrBytes SmbRequest(unsigned char cmd, const std::vector<unsigned> &words, const TMsgrBytes &data)
{
    TMsgrBytes smb;
    PutSmbHdr(smb, cmd);
    smb.push_back((unsigned char)words.size());
    for (unsigned w : words)
        Put16le(smb, w);
    Put16le(smb, (unsigned)data.size());
    smb.insert(smb.end(), data.begin(), data.end());
    TMsgrBytes pkt;
    PutSessHdr(pkt, smb.size());
    pkt.insert(pkt.end(), smb.begin(), smb.end());
    return pkt;
}

// Skips an encoded name (compressed names are pointers of 2 bytes). Returns 0 past the end.
size_t SkipName(const unsigned char *p, size_t n, size_t at)
{
    while (at < n) {
        unsigned len = p[at];
        if (len == 0)
            return at + 1;
        if ((len & 0xC0) == 0xC0)
            return at + 2 <= n ? at + 2 : 0;
        at += 1 + len;
    }
    return 0;
}

} // namespace

void NbEncRaw(TMsgrBytes &out, const unsigned char raw[16])
{
    out.push_back(0x20);
    for (int i = 0; i < 16; ++i) {
        out.push_back((unsigned char)('A' + (raw[i] >> 4)));
        out.push_back((unsigned char)('A' + (raw[i] & 0x0F)));
    }
    out.push_back(0x00);
}

void NbEncName(TMsgrBytes &out, const std::string &name, unsigned char suffix)
{
    unsigned char raw[16];
    for (size_t i = 0; i < 15; ++i)
        raw[i] = i < name.size() ? (unsigned char)name[i] : (unsigned char)' ';
    raw[15] = suffix;
    NbEncRaw(out, raw);
}

TMsgrBytes NbSessReq(const std::string &called, const std::string &calling)
{
    TMsgrBytes b;
    b.push_back(0x81);
    b.push_back(0x00);
    Put16be(b, 68);
    NbEncName(b, called, NbSufMsgr);
    NbEncName(b, calling, NbSufWks);
    return b;
}

TMsgrBytes SmbMsgStart(const std::string &orig, const std::string &dest)
{
    TMsgrBytes data;
    data.push_back(0x04);
    data.insert(data.end(), orig.begin(), orig.end());
    data.push_back(0x00);
    data.push_back(0x04);
    data.insert(data.end(), dest.begin(), dest.end());
    data.push_back(0x00);
    return SmbRequest(SmbStart, {}, data);
}

TMsgrBytes SmbMsgText(unsigned short group, const std::string &block)
{
    TMsgrBytes data;
    data.push_back(0x01);
    Put16le(data, (unsigned)block.size());
    data.insert(data.end(), block.begin(), block.end());
    return SmbRequest(SmbText, {group}, data);
}

TMsgrBytes SmbMsgEnd(unsigned short group) { return SmbRequest(SmbEnd, {group}, {}); }

DWORD SmbCheckReply(const TMsgrBytes &pkt, unsigned char cmd, unsigned short *group)
{
    if (group)
        *group = 0;
    const size_t n = pkt.size();
    // An SMB of our command, marked as a reply (flags bit 0x80): a request coming back is none.
    if (n < 35 || pkt[0] != 0xFF || pkt[1] != 'S' || pkt[2] != 'M' || pkt[3] != 'B' || pkt[4] != cmd ||
        !(pkt[9] & 0x80))
        return NERR_NetworkError;
    const unsigned char *st = &pkt[5];
    const unsigned flags2 = Get16le(&pkt[10]);
    if (flags2 & 0x4000) {
        // An NT status: no receiver that never negotiated sends one; any failure is general.
        if (st[0] | st[1] | st[2] | st[3])
            return NERR_NetworkError;
    } else if (st[0] != 0) {
        // DOS form: error class, reserved byte, error code.
        const unsigned cls = st[0], code = Get16le(st + 2);
        if (cls == 0x02 && code == 81)
            return NERR_PausedRemote;
        if (cls == 0x02 && (code == 82 || code == 83))
            return NERR_BadReceive;
        // ERRDOS 71: the receiver does not take messages at all (no message service set up).
        if (cls == 0x01 && code == 71)
            return NERR_BadReceive;
        return NERR_NetworkError;
    }
    const size_t wc = pkt[32];
    if (33 + 2 * wc + 2 > n)
        return NERR_NetworkError;
    const size_t bc = Get16le(&pkt[33 + 2 * wc]);
    if (35 + 2 * wc + bc > n)
        return NERR_NetworkError;
    if (group && wc >= 1)
        *group = (unsigned short)Get16le(&pkt[33]);
    return 0;
}

TMsgrBytes NbNameQuery(unsigned short tid, const std::string &name, unsigned char suffix, bool bcast)
{
    TMsgrBytes b;
    Put16be(b, tid);
    Put16be(b, bcast ? 0x0110 : 0x0100);
    Put16be(b, 1);
    Put16be(b, 0);
    Put16be(b, 0);
    Put16be(b, 0);
    NbEncName(b, name, suffix);
    Put16be(b, 0x0020);
    Put16be(b, 0x0001);
    return b;
}

DWORD NbParseNameResp(const unsigned char *p, size_t n, unsigned short tid, unsigned *ip)
{
    if (n < 12 || Get16be(p) != tid)
        return NERR_NetworkError;
    const unsigned flags = Get16be(p + 2);
    // A response (bit 15) to a query (opcode 0).
    if (!(flags & 0x8000) || ((flags >> 11) & 0x0F) != 0)
        return NERR_NetworkError;
    if ((flags & 0x0F) != 0)
        return NERR_NameNotFound;
    if (Get16be(p + 6) < 1)
        return NERR_NetworkError;
    size_t at = SkipName(p, n, 12);
    if (at == 0 || at + 10 > n)
        return NERR_NetworkError;
    const unsigned type = Get16be(p + at);
    const size_t rdlen = Get16be(p + at + 8);
    at += 10;
    if (type != 0x0020 || rdlen < 6 || at + rdlen > n)
        return NERR_NetworkError;
    *ip = (unsigned)p[at + 2] << 24 | (unsigned)p[at + 3] << 16 | (unsigned)p[at + 4] << 8 | p[at + 5];
    return 0;
}

TMsgrBytes NbNodeStatusReq(unsigned short tid)
{
    TMsgrBytes b;
    Put16be(b, tid);
    Put16be(b, 0x0000);
    Put16be(b, 1);
    Put16be(b, 0);
    Put16be(b, 0);
    Put16be(b, 0);
    unsigned char raw[16] = {'*'};
    NbEncRaw(b, raw);
    Put16be(b, 0x0021);
    Put16be(b, 0x0001);
    return b;
}

bool NbParseNodeStatus(const unsigned char *p, size_t n, unsigned short tid, std::string &name)
{
    if (n < 12 || Get16be(p) != tid || !(Get16be(p + 2) & 0x8000) || (Get16be(p + 2) & 0x0F) != 0 ||
        Get16be(p + 6) < 1)
        return false;
    size_t at = SkipName(p, n, 12);
    if (at == 0 || at + 11 > n || Get16be(p + at) != 0x0021)
        return false;
    const size_t rdlen = Get16be(p + at + 8);
    at += 10;
    if (at + rdlen > n || rdlen < 1)
        return false;
    const size_t count = p[at++];
    if (1 + count * 18 > rdlen)
        return false;
    std::string wks;
    for (size_t i = 0; i < count; ++i, at += 18) {
        const unsigned char *e = p + at;
        if (Get16be(e + 16) & 0x8000)
            continue; // a group name
        std::string nm((const char *)e, 15);
        while (!nm.empty() && (nm.back() == ' ' || nm.back() == '\0'))
            nm.pop_back();
        if (nm.empty())
            continue;
        if (e[15] == NbSufMsgr) {
            name = nm;
            return true;
        }
        if (e[15] == NbSufWks && wks.empty())
            wks = nm;
    }
    if (wks.empty())
        return false;
    name = wks;
    return true;
}

TMsgrBytes MsDgram(unsigned short id, unsigned srcIp, const std::string &srcName, const std::string &group,
                   const std::string &data)
{
    static const char slot[] = "\\MAILSLOT\\MESSNGR";
    const size_t slotLen = sizeof slot; // with its NUL
    // The SMB transaction: header, 17 parameter words, 3 setup words, byte count, name, data.
    const size_t dataOff = 32 + 1 + 2 * 17 + 2 + slotLen;
    TMsgrBytes smb;
    PutSmbHdr(smb, SmbTrans, 0x18, 0x0004);
    smb.push_back(17);
    Put16le(smb, 0);                            // total parameter count
    Put16le(smb, (unsigned)data.size());        // total data count
    Put16le(smb, 0);                            // max parameter count
    Put16le(smb, 0);                            // max data count
    smb.push_back(0);                           // max setup count
    smb.push_back(0);                           // reserved
    Put16le(smb, 0x0002);                       // flags: no response
    Put32le(smb, 0);                            // timeout
    Put16le(smb, 0);                            // reserved
    Put16le(smb, 0);                            // parameter count
    Put16le(smb, 0);                            // parameter offset
    Put16le(smb, (unsigned)data.size());        // data count
    Put16le(smb, (unsigned)dataOff);            // data offset
    smb.push_back(3);                           // setup count
    smb.push_back(0);                           // reserved
    Put16le(smb, 1);                            // mailslot write
    Put16le(smb, 1);                            // priority
    Put16le(smb, 2);                            // class: unreliable, broadcast
    Put16le(smb, (unsigned)(slotLen + data.size()));
    smb.insert(smb.end(), slot, slot + slotLen);
    smb.insert(smb.end(), data.begin(), data.end());

    TMsgrBytes b;
    b.push_back(0x11); // direct group datagram
    b.push_back(0x02); // first (and only) fragment, B node
    Put16be(b, id);
    Put16be(b, srcIp >> 16);
    Put16be(b, srcIp & 0xFFFF);
    Put16be(b, MsgrDgramPort);
    Put16be(b, (unsigned)(34 + 34 + smb.size()));
    Put16be(b, 0);
    NbEncName(b, srcName, NbSufWks);
    NbEncName(b, group, NbSufBcast);
    b.insert(b.end(), smb.begin(), smb.end());
    return b;
}

std::string MsMailData(const std::string &from, const std::string &to, const std::string &text,
                       const std::vector<size_t> &cuts, size_t max, bool *cut)
{
    *cut = false;
    const size_t fixed = from.size() + 1 + to.size() + 1 + 1;
    size_t keep = text.size();
    if (fixed + keep > max) {
        *cut = true;
        const size_t room = fixed < max ? max - fixed : 0;
        keep = 0;
        for (size_t c : cuts)
            if (c <= room)
                keep = c;
    }
    std::string d;
    d.reserve(fixed + keep);
    d += from;
    d += '\0';
    d += to;
    d += '\0';
    d.append(text, 0, keep);
    d += '\0';
    return d;
}

unsigned short MsgrNextId()
{
    static std::atomic<unsigned> next{
        (unsigned)std::chrono::steady_clock::now().time_since_epoch().count() * 2654435761u};
    return (unsigned short)(next.fetch_add(1) & 0xFFFF);
}
