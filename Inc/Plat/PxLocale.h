// POSIX build: locale information, as far as the console program asks for it. Included only
// through qzplat.h (after PxText.h, whose LCID and GetUserDefaultLangID it uses).
#pragma once

#ifndef LOCALE_ILANGUAGE
#define LOCALE_ILANGUAGE 0x00000001u
#endif

// Serves LOCALE_ILANGUAGE of LOCALE_USER_DEFAULT (or LOCALE_SYSTEM_DEFAULT): the user's
// language id (GetUserDefaultLangID) as four hexadecimal digits, "0419" for Russian and "0409"
// for English. With `size` 0 returns the number of characters needed including the terminator;
// a buffer too small fails with 122. Other items or locales fail with 87 (1004 on Windows).
int GetLocaleInfoA(LCID locale, DWORD type, LPSTR buf, int size);
