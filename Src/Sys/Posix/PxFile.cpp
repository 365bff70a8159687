// Files through kernel handles: CreateFileA, ReadFile, WriteFile, SetFilePointer, GetFileSize,
// FlushFileBuffers, DeleteFileA.
#include "PxObj.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct PxFile : PxObj {
    PxFile(int f, bool r, bool w) : PxObj(PxKind::File), fd(f), canRead(r), canWrite(w) {}
    ~PxFile() override { ::close(fd); }
    const int fd;
    const bool canRead;
    const bool canWrite;
};

std::shared_ptr<PxFile> FindFile(HANDLE h)
{
    PxKrnl &k = PxK();
    std::lock_guard<std::mutex> g(k.lock);
    auto o = PxFindLocked(k, h);
    if (!o || o->kind != PxKind::File) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return std::static_pointer_cast<PxFile>(o);
}

// The Windows code of a failed path operation: a missing file is 2, but a missing folder on the
// way to it is 3, as on Windows.
DWORD PathError(int err, const char *name)
{
    if (err == ENOENT) {
        std::string dir(name);
        std::size_t slash = dir.find_last_of('/');
        if (slash != std::string::npos && slash > 0) {
            dir.resize(slash);
            struct stat st;
            if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return ERROR_PATH_NOT_FOUND;
        }
    }
    return PxErrnoToWin(err);
}

BOOL Fail(DWORD code)
{
    SetLastError(code);
    return FALSE;
}

} // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE)
{
    if (!name || !*name) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    bool r = (access & GENERIC_READ) != 0 || (access & GENERIC_WRITE) == 0;
    bool w = (access & GENERIC_WRITE) != 0;
    int mode = (r && w) ? O_RDWR : w ? O_WRONLY : O_RDONLY;
    mode |= O_CLOEXEC;

    int fd = -1;
    bool existed = false;
    switch (disposition) {
    case CREATE_NEW:
        fd = ::open(name, mode | O_CREAT | O_EXCL, 0666);
        break;
    case OPEN_EXISTING:
        fd = ::open(name, mode);
        break;
    case TRUNCATE_EXISTING:
        if (!w) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        fd = ::open(name, mode | O_TRUNC);
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        // Create exclusively first, so that "it existed" is known without a race; if another
        // process deletes the file between the two opens, try again.
        for (int tries = 0; fd < 0 && tries < 8; ++tries) {
            fd = ::open(name, mode | O_CREAT | O_EXCL, 0666);
            if (fd >= 0 || errno != EEXIST)
                break;
            fd = ::open(name, mode | (disposition == CREATE_ALWAYS ? O_TRUNC : 0));
            if (fd >= 0)
                existed = true;
            else if (errno != ENOENT)
                break;
        }
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (fd < 0) {
        SetLastError(PathError(errno, name));
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto f = std::make_shared<PxFile>(fd, r, w);
    PxKrnl &k = PxK();
    HANDLE h;
    {
        std::lock_guard<std::mutex> g(k.lock);
        h = PxAddHandleLocked(k, std::move(f));
    }
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL ReadFile(HANDLE h, LPVOID buf, DWORD n, LPDWORD done, LPOVERLAPPED overlapped)
{
    if (done)
        *done = 0;
    if (overlapped)
        return Fail(ERROR_INVALID_PARAMETER);
    auto f = FindFile(h);
    if (!f)
        return FALSE;
    if (!f->canRead)
        return Fail(ERROR_ACCESS_DENIED);
    DWORD total = 0;
    while (total < n) {
        ssize_t got = ::read(f->fd, static_cast<char *>(buf) + total, n - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail(errno == EISDIR ? ERROR_ACCESS_DENIED : PxErrnoToWin(errno));
        if (got == 0)
            break;
        total += static_cast<DWORD>(got);
        if (done)
            *done = total;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE h, LPCVOID buf, DWORD n, LPDWORD done, LPOVERLAPPED overlapped)
{
    if (done)
        *done = 0;
    if (overlapped)
        return Fail(ERROR_INVALID_PARAMETER);
    auto f = FindFile(h);
    if (!f)
        return FALSE;
    if (!f->canWrite)
        return Fail(ERROR_ACCESS_DENIED);
    DWORD total = 0;
    while (total < n) {
        ssize_t put = ::write(f->fd, static_cast<const char *>(buf) + total, n - total);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return Fail(PxErrnoToWin(errno));
        total += static_cast<DWORD>(put);
        if (done)
            *done = total;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE h, LONG distance, LONG *distanceHigh, DWORD method)
{
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (method > FILE_END) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    auto f = FindFile(h);
    if (!f)
        return INVALID_SET_FILE_POINTER;
    long long dist = distanceHigh
                         ? static_cast<long long>((static_cast<unsigned long long>(static_cast<DWORD>(*distanceHigh))
                                                   << 32) |
                                                  static_cast<DWORD>(distance))
                         : static_cast<long long>(distance);
    off_t pos = ::lseek(f->fd, static_cast<off_t>(dist), whence[method]);
    if (pos < 0) {
        SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : PxErrnoToWin(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<unsigned long long>(pos) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(pos);
}

DWORD GetFileSize(HANDLE h, LPDWORD sizeHigh)
{
    auto f = FindFile(h);
    if (!f)
        return INVALID_FILE_SIZE;
    struct stat st;
    if (::fstat(f->fd, &st) != 0) {
        SetLastError(PxErrnoToWin(errno));
        return INVALID_FILE_SIZE;
    }
    unsigned long long size = static_cast<unsigned long long>(st.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL FlushFileBuffers(HANDLE h)
{
    auto f = FindFile(h);
    if (!f)
        return FALSE;
    if (!f->canWrite)
        return Fail(ERROR_ACCESS_DENIED);
    // Devices such as /dev/null cannot be synchronised (EINVAL); there is nothing to commit.
    if (::fsync(f->fd) != 0 && errno != EINVAL)
        return Fail(PxErrnoToWin(errno));
    return TRUE;
}

BOOL DeleteFileA(LPCSTR name)
{
    if (!name || !*name)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (::unlink(name) != 0)
        return Fail(PathError(errno, name));
    return TRUE;
}
