// Windows build: the system's text of an error code. Included only through qzplat.h.
//
// The system message table does not hold the texts of the network codes 2100-2999 (the
// messaging failures among them); those live in the network message table, netmsg.dll, which
// is consulted when the system table has no text for such a code.
#pragma once

inline DWORD QzSysMsgText(DWORD code, LANGID lang, LPSTR buf, DWORD size)
{
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD n = FormatMessageA(flags, NULL, code, lang, buf, size, NULL);
    if (n != 0 || code < 2100 || code > 2999)
        return n;
    HMODULE netmsg = LoadLibraryExA("netmsg.dll", NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!netmsg)
        return 0;
    n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, netmsg, code, lang, buf, size,
                       NULL);
    FreeLibrary(netmsg);
    return n;
}
