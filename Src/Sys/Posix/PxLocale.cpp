// POSIX stand-in for the one locale query the console program makes: the language id of the
// user's default locale, which chooses its usage text.
#include "qzplat.h"

int GetLocaleInfoA(LCID locale, DWORD type, LPSTR buf, int size)
{
    if ((locale != LOCALE_USER_DEFAULT && locale != LOCALE_SYSTEM_DEFAULT) || type != LOCALE_ILANGUAGE || size < 0 ||
        (size > 0 && !buf))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char text[8];
    int n = snprintf(text, sizeof text, "%04x", (unsigned)GetUserDefaultLangID()) + 1;
    if (size == 0)
        return n;
    if (size < n)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(buf, text, (size_t)n);
    return n;
}
