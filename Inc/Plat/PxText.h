// POSIX build: code pages, locale-aware comparison, the user's language and system error
// texts. Included only through qzplat.h.
//
// The "ANSI code page" is the character set of the process locale. The layer calls
// setlocale(LC_ALL, "") once before its first text operation (and from a static initializer),
// then puts LC_NUMERIC back to "C" so that number formatting stays as the Windows C runtime
// does it. A locale whose character set is plain ASCII (the bare C locale) is taken as UTF-8,
// since that is what text on such a system is in practice. The "OEM code page" is the same
// character set as the ANSI one.
#pragma once

#include <cstdarg>

#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_UTF8 65001u

#define MB_ERR_INVALID_CHARS 0x00000008u

#define NORM_IGNORECASE 0x00000001u
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u

// Converts 8-bit text to UTF-16. Code pages: CP_ACP and CP_OEMCP (the locale's character set),
// CP_UTF8, and numeric Windows code pages that iconv knows as "CP<n>" (866, 850, 1251, ...);
// others fail with ERROR_INVALID_PARAMETER. `srcLen` -1 means "up to and including the
// terminator". With `dstLen` 0 returns the number of UTF-16 units needed; a buffer too small
// gives 0 and ERROR_INSUFFICIENT_BUFFER. Invalid input becomes U+FFFD, or with
// MB_ERR_INVALID_CHARS fails with ERROR_NO_UNICODE_TRANSLATION.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen);

// Converts UTF-16 to 8-bit text in the same code pages. A character that the code page cannot
// hold (and an unpaired surrogate) becomes `*defaultChar`, or '?' when that is null, and sets
// `*usedDefault`; for CP_UTF8 both must be null (else ERROR_INVALID_PARAMETER) and such a
// character becomes U+FFFD, as it does for CP_ACP in a UTF-8 locale unless a default character
// is given. Lengths and buffer rules as MultiByteToWideChar.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, LPBOOL usedDefault);

// Compares two texts with the collation of the process locale (strcoll order); with
// NORM_IGNORECASE the texts are case-folded first. Texts that the collation ranks equal but
// that differ are ordered by character value, so that only identical (or, ignoring case,
// case-equal) texts are equal. Any locale id is served by the process locale. Lengths -1 mean
// null-terminated. Returns CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN; 0 with
// ERROR_INVALID_PARAMETER for a null text.
int CompareStringA(LCID locale, DWORD flags, LPCSTR a, int aLen, LPCSTR b, int bLen);

// Converts `len` characters from the ANSI to the OEM code page; both are the locale's character
// set here, so this copies (in place when src equals dst).
BOOL CharToOemBuffA(LPCSTR src, LPSTR dst, DWORD len);

// The user's language from the first non-empty of LC_ALL, LC_MESSAGES and LANG: a value that
// begins with "ru" is Russian (1049), anything else English (1033).
LANGID GetUserDefaultLangID();

// System error texts from the layer's own English and Russian table. Serves
// FORMAT_MESSAGE_FROM_SYSTEM (with or without FORMAT_MESSAGE_IGNORE_INSERTS) into a caller's
// buffer of `size` characters; other sources and FORMAT_MESSAGE_ALLOCATE_BUFFER fail with
// ERROR_INVALID_PARAMETER. Language 0 is the user's language; 1033 and 1049 (any sublanguage of
// English or Russian) choose the table; other languages fail with
// ERROR_RESOURCE_LANG_NOT_FOUND. A code without a text fails with ERROR_MR_MID_NOT_FOUND, a
// text that does not fit with ERROR_INSUFFICIENT_BUFFER. Texts end with CR LF, as on Windows,
// and are in the ANSI code page. Returns the number of characters written, without the
// terminator.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buf, DWORD size,
                     va_list *args);

// The system's text of an error code in a language, into `buf` of `size` characters: the
// system table only on POSIX (the Windows build also consults the network message table).
// Returns the number of characters, 0 when there is no text.
DWORD QzSysMsgText(DWORD code, LANGID lang, LPSTR buf, DWORD size);
