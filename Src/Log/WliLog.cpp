// TWliLog: paths next to the executable and parameters from the ".wli" file.
#include "Log/WliLog.h"

#include "Log/LogLdr.h"

TWliLog::TWliLog() : prmsRd(60)
{
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameExA(GetCurrentProcess(), NULL, exe, MAX_PATH);
    // Without the executable's full path (failure or a truncated path) the paths stay empty:
    // nothing is read and Start refuses to log, rather than using files in the current folder.
    if (n == 0 || n >= MAX_PATH)
        return;
    exe[n] = '\0';
    unsigned base = 0, dot = (unsigned)n;
    for (unsigned i = 0; i < (unsigned)n; i++)
        if (exe[i] == '\\' || exe[i] == '/' || exe[i] == ':')
            base = i + 1;
    for (unsigned i = (unsigned)n; i > base; i--)
        if (exe[i - 1] == '.') {
            dot = i - 1;
            break;
        }
    TStr stem(exe, dot);
    SetPaths((stem + ".wli").CStr(), (stem + ".log").CStr());
}

void TWliLog::SetPaths(const char *wli, const char *log)
{
    wliPath = wli;
    Prms().SetLogPath(log);
}

unsigned TWliLog::SetPrmsRd(int sec)
{
    if (sec == 0)
        return ERROR_INVALID_PARAMETER;
    prmsRd = sec;
    return 0;
}

unsigned TWliLog::LoadPrms()
{
    unsigned rc = Lock(1000);
    if (rc != 0)
        return rc;
    try {
        TLogPrmsLdr2 ldr2(this);
        rc = ldr2.Load();
        if (rc != 0) {
            TLogPrmsLdr ldr(this);
            rc = ldr.Load();
        }
    } catch (...) {
        // Out of memory while parsing: keep the log usable (defaults) and the lock released.
        Prms().SetDefaults();
        rc = ERROR_INTERNAL_ERROR;
    }
    Unlock();
    return rc;
}

unsigned TWliLog::Start()
{
    LoadPrms();
    unsigned rc = Lock(5000);
    if (rc != 0)
        return rc;
    rc = LogStart();
    Unlock();
    return rc;
}
