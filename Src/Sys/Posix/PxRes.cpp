// The executable as the one module: its handle and path, its string tables, and the local
// identity (the user the process runs as and the computer name).
#include "qzplat.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The executable's module handle: the address of this object, so it is unique and never null.
const char exeModule = 0;

std::atomic<PxStrTab *> strTabs{nullptr};

bool IsExe(HMODULE m)
{
    return m == nullptr || m == reinterpret_cast<HMODULE>(const_cast<char *>(&exeModule));
}

DWORD CopyPath(LPSTR buf, DWORD size)
{
    if (!buf || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::vector<char> path(PATH_MAX + 1);
    ssize_t len = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (len < 0) {
        SetLastError(PxErrnoToWin(errno));
        return 0;
    }
    if (static_cast<DWORD>(len) >= size) {
        std::memcpy(buf, path.data(), size - 1);
        buf[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buf, path.data(), static_cast<std::size_t>(len));
    buf[len] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(len);
}

const PxStrRes *FindStr(UINT id, WORD lang)
{
    for (PxStrTab *t = strTabs.load(); t; t = t->next)
        for (unsigned i = 0; i < t->count; ++i)
            if (t->items[i].id == id && (lang == 0 || PRIMARYLANGID(t->items[i].lang) == PRIMARYLANGID(lang)))
                return &t->items[i];
    return nullptr;
}

} // namespace

bool PxAddStrTab(PxStrTab *tab)
{
    tab->next = strTabs.load();
    while (!strTabs.compare_exchange_weak(tab->next, tab)) {
    }
    return true;
}

HMODULE GetModuleHandleA(LPCSTR name)
{
    if (name) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(const_cast<char *>(&exeModule));
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buf, DWORD size)
{
    if (!IsExe(module)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return CopyPath(buf, size);
}

DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR buf, DWORD size)
{
    if (process != nullptr && process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return GetModuleFileNameA(module, buf, size);
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buf, int size)
{
    if (!buf || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buf[0] = 0;
    if (!IsExe(module)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    // The user's language, else English, else whatever language has the string.
    const PxStrRes *s = FindStr(id, GetUserDefaultLangID());
    if (!s)
        s = FindStr(id, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT));
    if (!s)
        s = FindStr(id, 0);
    if (!s) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    std::size_t len = std::strlen(s->text);
    std::size_t n = len < static_cast<std::size_t>(size - 1) ? len : static_cast<std::size_t>(size - 1);
    std::memcpy(buf, s->text, n);
    buf[n] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<int>(n);
}

BOOL GetUserNameA(LPSTR buf, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> work(hint > 0 ? static_cast<std::size_t>(hint) : 1024);
    struct passwd pw;
    struct passwd *found = nullptr;
    int err;
    while ((err = ::getpwuid_r(::geteuid(), &pw, work.data(), work.size(), &found)) == ERANGE)
        work.resize(work.size() * 2);
    if (err != 0 || !found) {
        // A uid without an account entry (common in containers) has no name to give.
        SetLastError(ERROR_NONE_MAPPED);
        return FALSE;
    }
    DWORD need = static_cast<DWORD>(std::strlen(pw.pw_name)) + 1;
    if (!buf || *size < need) {
        *size = need;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buf, pw.pw_name, need);
    *size = need;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetComputerNameA(LPSTR buf, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) != 0) {
        SetLastError(PxErrnoToWin(errno));
        return FALSE;
    }
    std::string name;
    for (const char *p = host; *p && *p != '.' && name.size() < MAX_COMPUTERNAME_LENGTH; ++p)
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    DWORD len = static_cast<DWORD>(name.size());
    if (!buf || *size < len + 1) {
        *size = len + 1;
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(buf, name.c_str(), len + 1);
    *size = len;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
