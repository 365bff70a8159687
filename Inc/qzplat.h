// The platform header: the only header of the system that includes system headers.
//
// The system is written against the Windows API. In the Windows build this header includes
// <windows.h> and the few others that the system needs. Everywhere else it declares our own
// implementation of exactly the subset of the Windows API that the system calls; those
// functions live in Src/Sys/Posix and keep the Windows names, arguments and results as far as
// the callers rely on them (GetLastError gives Windows error codes).
//
// The POSIX declarations are split by area into Inc/Plat/Px*.h so that each area can be read
// on its own; nothing but this header includes them.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <psapi.h>
#include <lmcons.h>
#include <shellapi.h>
#include "Plat/WinText.h"
#else
#include "Plat/PxTypes.h"
#include "Plat/PxHeap.h"
#include "Plat/PxText.h"
#include "Plat/PxLocale.h"
#include "Plat/PxKernel.h"
#include "Plat/PxFile.h"
#include "Plat/PxMsg.h"
#include "Plat/PxTime.h"
#include "Plat/PxRes.h"
#include "Plat/PxSock.h"
#endif

// The network messaging calls: both builds serve them with our own transport unless the
// Windows build is configured to use the system's netapi32.
#include "Plat/QzMsgr.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
