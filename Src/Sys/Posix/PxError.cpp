// The thread's last-error code and the mapping of errno values to Windows error codes.
#include "qzplat.h"

#include <cerrno>

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD code)
{
    lastError = code;
}

DWORD PxErrnoToWin(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSPC: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case ETIMEDOUT: return ERROR_SEM_TIMEOUT;
    case ECONNREFUSED: return ERROR_CONNECTION_REFUSED;
    case ENETUNREACH:
    case ENETDOWN: return ERROR_NETWORK_UNREACHABLE;
    case EHOSTUNREACH:
    case EHOSTDOWN: return ERROR_HOST_UNREACHABLE;
    case ECONNRESET:
    case ECONNABORTED: return ERROR_NETNAME_DELETED;
    case EIO: return ERROR_WRITE_FAULT;
    default: return ERROR_INVALID_FUNCTION;
    }
}
