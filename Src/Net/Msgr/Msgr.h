// Internals of the Messenger transport, shared by its source files and its tests.
//
// The transport serves NetMessageNameAdd, NetMessageBufferSend and NetMessageNameDel (see
// Inc/Plat/QzMsgr.h). Its pieces: the platform part (sockets, waits, error numbers, interface
// broadcast addresses: MsgrPlat.cpp, the only file with platform conditions), the wire formats
// (MsgrWire.cpp, pure functions), text conversion and configuration (MsgrText.cpp,
// MsgrCfg.cpp), socket I/O with time-outs (MsgrNet.cpp), name resolution (MsgrName.cpp), the
// session conversation (MsgrSess.cpp) and the three calls with the alias table (MsgrApi.cpp).
//
// Every function returns a Windows error code (0 = success) where it can fail; nothing throws
// except std::bad_alloc, which the three calls turn into ERROR_NOT_ENOUGH_MEMORY. Nothing here
// keeps a lock across network I/O: each send owns its sockets and buffers.
#pragma once

#include "qzplat.h"

#include <string>
#include <vector>

#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif

typedef std::vector<unsigned char> TMsgrBytes;
typedef std::basic_string<WCHAR> TMsgrWStr;

// An IPv4 address (host byte order) with a port.
struct TMsgrAddr
{
    unsigned ip = 0;
    unsigned short port = 0;
};

// Well-known ports and NetBIOS name suffixes.
inline constexpr unsigned short MsgrSessPort = 139;
inline constexpr unsigned short MsgrNamePort = 137;
inline constexpr unsigned short MsgrDgramPort = 138;
inline constexpr unsigned char NbSufMsgr = 0x03;  // the Messenger service's name
inline constexpr unsigned char NbSufWks = 0x00;   // the workstation: the calling name
// Suffix of the group name a domain broadcast goes to: every member of a group registers
// GROUP<00> to receive one-to-many mailslot messages.
inline constexpr unsigned char NbSufBcast = 0x00;
// Largest text block of one 0xD7 request, and largest mailslot data of one datagram.
inline constexpr size_t MsgrBlockMax = 128;
inline constexpr size_t MsgrMailslotMax = 424;
// Largest reply packet we accept; message replies are a few dozen bytes.
inline constexpr size_t MsgrReplyMax = 4096;
// Upper bound of the alias table.
inline constexpr size_t MsgrAliasMax = 64;

// ---- Platform (MsgrPlat.cpp) -------------------------------------------------------------

// Starts the socket layer once per process (thread-safe). Returns 0 or the start-up's error.
DWORD MsgrSockInit();
// A new non-blocking IPv4 socket of the given type (SOCK_STREAM or SOCK_DGRAM), or
// INVALID_SOCKET with *err set to a Windows code. Counted in MsgrOpenSocks.
SOCKET MsgrSockOpen(int type, DWORD *err);
// Closes a socket from MsgrSockOpen and sets it to INVALID_SOCKET.
void MsgrSockClose(SOCKET &s);
// Sockets opened by the transport (and the test helpers) that are not closed yet.
long MsgrOpenSocks();
// The calling thread's last socket error number (errno or WSAGetLastError).
int MsgrSockErr();
// True when the error number says a non-blocking call would block or a connect is underway.
bool MsgrSockPending(int err);
// A socket error number as a Windows error code (1225, 1231, 1232, 121, 64, ...).
DWORD MsgrSockErrToWin(int err);
// Waits at most ms milliseconds until the socket is readable (or writable). Returns 1 when
// ready, 0 on time-out, -1 on failure (MsgrSockErr says why).
int MsgrSockWait(SOCKET s, bool forWrite, unsigned ms);
// The pending error of a socket (SO_ERROR) as a socket error number.
int MsgrSockPendingErr(SOCKET s);
// The broadcast addresses of the IPv4 interfaces that are up (not loopback), port 0.
std::vector<TMsgrAddr> MsgrIfBcasts();
// The default wire code page: the OEM code page on Windows; elsewhere CP866 for a Russian
// user and CP850 otherwise (the DOS code pages that receivers expect).
UINT MsgrDefCodePage();
// Milliseconds of a monotonic clock.
unsigned long long MsgrNowMs();

// ---- Configuration (MsgrCfg.cpp) -----------------------------------------------------------

struct TMsgrCfg
{
    unsigned short port = MsgrSessPort;
    std::vector<TMsgrAddr> wins;   // at most one name server
    std::vector<TMsgrAddr> bcast;  // broadcast destinations (port 0: the well-known port)
    std::string workgroup = "WORKGROUP";
    UINT codePage = 0;
    unsigned timeoutMs = 10000;
    bool dns = true;
};

// Reads the QZSEND_* variables. Unusable values leave the default in place, except that an
// unusable QZSEND_BCAST means no broadcasts (never an unintended one).
void MsgrLoadCfg(TMsgrCfg &cfg);
// Parses "addr[:port],..." (IPv4 dotted quads); entries that do not parse are skipped.
std::vector<TMsgrAddr> MsgrParseAddrs(const char *s);
// Parses a dotted quad strictly ("1.2.3.4"). Returns false for anything else.
bool MsgrParseIp(const char *s, unsigned &ip);
// The dotted-quad text of an address.
std::string MsgrIpText(unsigned ip);

// ---- Text (MsgrText.cpp) -------------------------------------------------------------------

// Upper case of a UTF-16 text for NetBIOS names (ASCII, Latin-1, Cyrillic).
TMsgrWStr MsgrUpper(const TMsgrWStr &s);
// The text with every line break (CR LF, LF CR, lone CR, lone LF) made CR LF.
TMsgrWStr MsgrCrLf(const WCHAR *s, size_t n);
// Converts UTF-16 text to the code page. cuts (if given) receives the byte offset after every
// character, so that blocks can be cut without splitting one. Returns 0 or the conversion's
// error code.
DWORD MsgrToCp(UINT cp, const TMsgrWStr &s, std::string &out, std::vector<size_t> *cuts);
// Cuts converted text into blocks of at most max bytes, only at the offsets in cuts.
std::vector<std::string> MsgrCutBlocks(const std::string &text, const std::vector<size_t> &cuts, size_t max);
// A name for the wire: upper-cased, converted, at most 15 bytes (cut at a character).
DWORD MsgrWireName(UINT cp, const TMsgrWStr &name, std::string &out);
// The length of a zero-terminated UTF-16 text.
size_t MsgrWLen(const WCHAR *s);

// ---- Wire formats (MsgrWire.cpp) -----------------------------------------------------------

// Appends the 34-byte encoded NetBIOS name: the name (at most 15 bytes) padded with spaces,
// the suffix, each half-byte + 'A', with the length byte in front and the empty scope behind.
void NbEncName(TMsgrBytes &out, const std::string &name, unsigned char suffix);
// The same for 16 raw bytes (the node status name "*" padded with NUL bytes).
void NbEncRaw(TMsgrBytes &out, const unsigned char raw[16]);
// Session request packet: called name with the Messenger suffix, calling name <00>.
TMsgrBytes NbSessReq(const std::string &called, const std::string &calling);
// SMB "start multi-block message", "text block" and "end" requests, each with its session
// message header.
TMsgrBytes SmbMsgStart(const std::string &orig, const std::string &dest);
TMsgrBytes SmbMsgText(unsigned short group, const std::string &block);
TMsgrBytes SmbMsgEnd(unsigned short group);
// Checks the SMB reply (the session packet's payload) to the command cmd. Returns 0 when it
// reports success, the mapped code of its error status, or 2136 when it is not a valid reply.
// *group (if given) receives the first parameter word, 0 when the reply has none.
DWORD SmbCheckReply(const TMsgrBytes &pkt, unsigned char cmd, unsigned short *group);
// NetBIOS name query for name<suffix>: broadcast form (flags 0x0110) or to a server (0x0100).
TMsgrBytes NbNameQuery(unsigned short tid, const std::string &name, unsigned char suffix, bool bcast);
// Parses a name query answer with transaction id tid. Returns 0 with the first address in *ip,
// 2273 for a negative answer, 2136 for anything else (not an answer to us).
DWORD NbParseNameResp(const unsigned char *p, size_t n, unsigned short tid, unsigned *ip);
// Node status request ("*" padded with NUL bytes, type 0x21).
TMsgrBytes NbNodeStatusReq(unsigned short tid);
// Parses a node status answer: the first unique name with the Messenger suffix, else the first
// unique workstation name, trailing spaces removed. Returns false when there is none.
bool NbParseNodeStatus(const unsigned char *p, size_t n, unsigned short tid, std::string &name);
// The mailslot datagram of a domain broadcast: direct group datagram from srcName<00> at
// srcIp to group<suffix>, carrying a mailslot write of data to \MAILSLOT\MESSNGR.
TMsgrBytes MsDgram(unsigned short id, unsigned srcIp, const std::string &srcName, const std::string &group,
                   const std::string &data);
// The mailslot data of a Messenger broadcast: sender, recipient and text, each NUL-terminated,
// with the text cut (at a character boundary from cuts) so that the whole fits in max bytes.
// *cut tells whether the text was cut.
std::string MsMailData(const std::string &from, const std::string &to, const std::string &text,
                       const std::vector<size_t> &cuts, size_t max, bool *cut);
// A transaction or datagram id: a process-wide counter from a time-based start.
unsigned short MsgrNextId();

// ---- Socket I/O (MsgrNet.cpp) --------------------------------------------------------------

// Connects a new stream socket to addr, waiting at most ms. Returns 0 with *s set, or the code.
DWORD MsgrConnect(const TMsgrAddr &addr, unsigned ms, SOCKET *s);
// Writes all bytes, waiting at most ms in all for the socket to take them.
DWORD MsgrSendAll(SOCKET s, const TMsgrBytes &data, unsigned ms);
// Reads one session packet (keep-alives skipped), waiting at most ms in all. Returns 0
// with its type and payload; 64 when the peer closed before a packet began or reset the
// connection; 2136 for a packet cut off or too large; 121 on time-out.
DWORD MsgrRecvPkt(SOCKET s, unsigned ms, unsigned char *type, TMsgrBytes &payload);
// Sends the query to every address (port 0: the name service port) and waits for an answer
// accepted by check (0: accept; 2273: negative, counted; else ignored), retrying tries times
// with waitMs per try. Returns 0 (with the accepted answer's result in *ip), 2273 when every
// address answered negatively or none answered.
struct TMsgrUdpAsk
{
    std::vector<TMsgrAddr> to;
    bool bcast = false;
    unsigned tries = 3;
    unsigned waitMs = 250;
};
DWORD MsgrUdpAsk(const TMsgrUdpAsk &ask, const TMsgrBytes &req,
                 DWORD (*check)(const unsigned char *p, size_t n, void *ctx), void *ctx);

// ---- Names (MsgrName.cpp) ------------------------------------------------------------------

// Where and as what a message goes.
struct TMsgrTarget
{
    TMsgrAddr addr;     // the receiver's session service
    std::string called; // the called name (without suffix), also the destination of the message
};

// Resolves a target name (upper-cased UTF-16) as the configuration says. Returns 0 with *t set,
// 2273 when no way finds it, or 87 for a name that cannot be one.
DWORD MsgrResolve(const TMsgrCfg &cfg, const TMsgrWStr &name, TMsgrTarget *t);
// Asks the host at ip (its name service on port) for its names, waiting at most ms. Returns
// true with the Messenger or workstation name.
bool MsgrNodeStatus(unsigned ip, unsigned short port, unsigned ms, std::string &name);
// The system resolver (getaddrinfo, IPv4), waited for at most ms on a thread of its own (see
// MsgrDns.cpp for a call that outlives the wait). Returns 0 with *ip set, 2273 when the name is
// unknown or the wait ran out, or 8 when no thread could be started.
DWORD MsgrSysResolve(const std::string &host, unsigned ms, unsigned *ip);
// What MsgrSysResolve calls: host to an IPv4 address, 0 or 2273. Tests replace it to make the
// resolver slow or to answer without any network; MsgrSetResolver returns the one it replaced,
// and null restores the system's.
typedef DWORD (*TMsgrResolveFn)(const std::string &host, unsigned *ip);
TMsgrResolveFn MsgrSetResolver(TMsgrResolveFn fn);
// Resolver threads still running, and a wait of at most ms until there are none.
long MsgrResolversRunning();
bool MsgrWaitResolvers(unsigned ms);
// NetBIOS name query for name<03>: unicast to the servers, else broadcast.
DWORD MsgrNbQuery(const std::vector<TMsgrAddr> &to, bool bcast, const std::string &name, unsigned tries,
                  unsigned waitMs, unsigned *ip);

// ---- Session (MsgrSess.cpp) ----------------------------------------------------------------

// Delivers a message: connect, session request, start, every text block, end, reading and
// checking every reply. calling: our computer name; orig: the originator.
DWORD MsgrDeliver(const TMsgrCfg &cfg, const TMsgrTarget &t, const std::string &calling, const std::string &orig,
                  const std::vector<std::string> &blocks);

// ---- The calls (MsgrApi.cpp) ---------------------------------------------------------------

// Registered aliases (for tests: nothing may be left behind).
size_t MsgrAliasCount();
// The computer name for the wire (upper-cased, at most 15 bytes).
DWORD MsgrComputerName(UINT cp, std::string &out);
