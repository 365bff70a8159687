// The three network messaging calls of Windows: register a message alias, send a message,
// remove the alias. Included only through qzplat.h, in both builds.
//
// Our own transport (Src/Net/Msgr, library qzmsgr) serves these calls on every platform: the
// Messenger service behind them is gone from Windows since Vista and does not exist on Linux or
// in Wine. The transport speaks the Messenger protocol itself (NetBIOS session service on TCP,
// mailslot datagrams for domain broadcasts, NetBIOS name service for names). With the CMake
// option QZ_SYSTEM_MESSENGER the Windows programs call the system's netapi32 instead.
//
// Configuration of the transport, by environment variable (read at every send):
//   QZSEND_PORT       TCP port of the session service (default 139).
//   QZSEND_WINS       NetBIOS name server "addr[:port]" (default: none).
//   QZSEND_BCAST      broadcast addresses "addr[:port],..." for name queries and domain
//                     broadcasts; unset: every IPv4 interface's broadcast address; "none" (or,
//                     off Windows, set but empty): no broadcasts at all. A port given here or in
//                     QZSEND_WINS replaces 137 for name queries and 138 for domain broadcasts.
//   QZSEND_WORKGROUP  the workgroup that the target "*" means (default WORKGROUP).
//   QZSEND_CODEPAGE   code page of the text on the wire, "866" or "CP866" (default: CP866 for a
//                     Russian user, CP850 otherwise; Windows build: the OEM code page). A code
//                     page that the conversion does not serve keeps the default.
//   QZSEND_TIMEOUT    seconds, fractions allowed, for connecting, for each whole reply and for
//                     the system resolver's answer (default 10).
//   QZSEND_DNS        "0", "off" or "no" keeps names away from the system resolver (default on).
#pragma once

#if defined(_WIN32) && defined(QZ_SYSTEM_MESSENGER)

#include <lm.h>

#else

#ifndef NET_API_STATUS
#define NET_API_STATUS DWORD
#endif
#ifndef NET_API_FUNCTION
#define NET_API_FUNCTION
#endif

// Results of the messaging calls besides the system codes (0, 5, 50, 87, 121, 1225, 1231,
// 1232, ...).
#ifndef NERR_Success
#define NERR_Success 0
#endif
#ifndef NERR_NetworkError
#define NERR_NetworkError 2136 // general network failure, or a reply that makes no sense
#endif
#ifndef NERR_NameNotFound
#define NERR_NameNotFound 2273 // name not resolved, or not present at the receiver
#endif
#ifndef NERR_AlreadyExists
#define NERR_AlreadyExists 2276 // the alias is already registered
#endif
#ifndef NERR_TooManyNames
#define NERR_TooManyNames 2277 // the alias table is full
#endif
#ifndef NERR_PausedRemote
#define NERR_PausedRemote 2281 // the receiver's messaging service is paused
#endif
#ifndef NERR_BadReceive
#define NERR_BadReceive 2282 // sent, but the receiver did not take the message
#endif
#ifndef NERR_NotLocalName
#define NERR_NotLocalName 2285 // the alias to remove is not registered
#endif
#ifndef NERR_TruncatedBroadcast
#define NERR_TruncatedBroadcast 2289 // a broadcast was cut to fit one datagram
#endif

// Registers `msgname` (at most 15 characters) as a message alias of this process. `servername`
// must be null, empty or the local computer's name (else 50). Returns 0, 87 (null, empty or too
// long name), 2276 (already registered; names compare case-blind) or 2277 (table full).
NET_API_STATUS NET_API_FUNCTION NetMessageNameAdd(LPCWSTR servername, LPCWSTR msgname);

// Sends the UTF-16 text `buf` of `buflen` bytes to `msgname`: a computer or alias name, an IPv4
// address, a DNS name, "NAME*" (broadcast to the group NAME) or "*" (the own workgroup).
// `fromname` names the originator when it is a registered alias; otherwise the computer name is
// sent. Blocks until the receiver has answered every request or a time-out has run out.
// Returns 0, 50 (another server), 87, 121, 1225, 1231, 1232, 64, 2136, 2273, 2281, 2282 or 2289,
// or the code of a local failure (4 no socket left, 5 access denied, 8 no memory or thread).
NET_API_STATUS NET_API_FUNCTION NetMessageBufferSend(LPCWSTR servername, LPCWSTR msgname, LPCWSTR fromname,
                                                     LPBYTE buf, DWORD buflen);

// Removes the alias `msgname`. Returns 0, 87 or 2285 (not registered).
NET_API_STATUS NET_API_FUNCTION NetMessageNameDel(LPCWSTR servername, LPCWSTR msgname);

#endif
