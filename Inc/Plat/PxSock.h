// POSIX build: the BSD socket headers and the few Winsock names that the Messenger transport
// uses, so that its code reads the same in both builds. Included only through qzplat.h.
//
// A socket is a file descriptor; closesocket closes it; WSAGetLastError is errno. The
// transport maps errors to Windows codes itself (Src/Net/Msgr), from either kind of number.
#pragma once

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

typedef int SOCKET;
#define INVALID_SOCKET (-1)
#define SOCKET_ERROR (-1)

inline int closesocket(SOCKET s) { return close(s); }
inline int WSAGetLastError() { return errno; }
