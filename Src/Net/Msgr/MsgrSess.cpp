// One message over the NetBIOS session service: session request, "start", the text blocks and
// "end", each request written only after the reply to the one before has been read and
// checked (a receiver drops a message whose sender does not wait for its replies).
#include "Net/Msgr/Msgr.h"

namespace {

const unsigned char SmbStartCmd = 0xD5, SmbEndCmd = 0xD6, SmbTextCmd = 0xD7;
// How often a receiver may send us elsewhere before we give up.
const int MaxRetargets = 2;

// The code of a negative session response's error byte.
DWORD NegSessCode(const TMsgrBytes &payload)
{
    if (payload.empty())
        return NERR_NetworkError;
    switch (payload[0]) {
    case 0x80: // not listening on the called name
    case 0x81: // not listening for the calling name
    case 0x82: // called name not present
        return NERR_NameNotFound;
    case 0x83: // insufficient resources
        return NERR_BadReceive;
    default:
        return NERR_NetworkError;
    }
}

// Connects and completes the session request, following retargets. Returns 0 with *s open.
DWORD OpenSession(const TMsgrCfg &cfg, const TMsgrTarget &t, const std::string &calling, SOCKET *s)
{
    TMsgrAddr addr = t.addr;
    const TMsgrBytes req = NbSessReq(t.called, calling);
    for (int hop = 0;; ++hop) {
        DWORD rc = MsgrConnect(addr, cfg.timeoutMs, s);
        if (rc != 0)
            return rc;
        unsigned char type = 0;
        TMsgrBytes payload;
        rc = MsgrSendAll(*s, req, cfg.timeoutMs);
        if (rc == 0)
            rc = MsgrRecvPkt(*s, cfg.timeoutMs, &type, payload);
        if (rc == 0) {
            if (type == 0x82)
                return 0;
            if (type == 0x83)
                rc = NegSessCode(payload);
            else if (type == 0x84 && payload.size() >= 6 && hop < MaxRetargets) {
                addr.ip = (unsigned)payload[0] << 24 | (unsigned)payload[1] << 16 | (unsigned)payload[2] << 8 |
                          payload[3];
                addr.port = (unsigned short)(payload[4] << 8 | payload[5]);
                MsgrSockClose(*s);
                continue;
            } else
                rc = NERR_NetworkError;
        }
        MsgrSockClose(*s);
        return rc;
    }
}

// Writes one request and checks its reply.
DWORD Exchange(const TMsgrCfg &cfg, SOCKET s, const TMsgrBytes &req, unsigned char cmd, unsigned short *group)
{
    DWORD rc = MsgrSendAll(s, req, cfg.timeoutMs);
    if (rc != 0)
        return rc;
    unsigned char type = 0;
    TMsgrBytes payload;
    rc = MsgrRecvPkt(s, cfg.timeoutMs, &type, payload);
    if (rc != 0)
        return rc;
    if (type != 0x00)
        return NERR_NetworkError;
    return SmbCheckReply(payload, cmd, group);
}

} // namespace

DWORD MsgrDeliver(const TMsgrCfg &cfg, const TMsgrTarget &t, const std::string &calling, const std::string &orig,
                  const std::vector<std::string> &blocks)
{
    SOCKET s = INVALID_SOCKET;
    DWORD rc = OpenSession(cfg, t, calling, &s);
    if (rc != 0)
        return rc;
    // The group id of the reply to "start" ties the blocks together; a receiver that answers
    // without one (Samba) expects 0.
    unsigned short group = 0;
    rc = Exchange(cfg, s, SmbMsgStart(orig, t.called), SmbStartCmd, &group);
    for (size_t i = 0; rc == 0 && i < blocks.size(); ++i)
        rc = Exchange(cfg, s, SmbMsgText(group, blocks[i]), SmbTextCmd, nullptr);
    if (rc == 0)
        rc = Exchange(cfg, s, SmbMsgEnd(group), SmbEndCmd, nullptr);
    MsgrSockClose(s);
    return rc;
}
