// Small helpers of the transport tests: bytes from hex text, hex text of bytes (readable
// failure output), UTF-16 texts from char16_t literals in both builds, and the own computer
// name as receivers see it.
#pragma once

#include "Net/Msgr/Msgr.h"

#include <string>

// Bytes from hex digits; spaces are ignored.
inline TMsgrBytes Bytes(const std::string &hex)
{
    TMsgrBytes b;
    int hi = -1;
    for (char c : hex) {
        int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (v < 0)
            continue;
        if (hi < 0)
            hi = v;
        else {
            b.push_back((unsigned char)(hi << 4 | v));
            hi = -1;
        }
    }
    return b;
}

inline std::string Hex(const TMsgrBytes &b)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (unsigned char c : b) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

inline std::string Hex(const std::string &b) { return Hex(TMsgrBytes(b.begin(), b.end())); }

// A UTF-16 text of the platform's WCHAR type from a char16_t literal.
inline TMsgrWStr W(const char16_t *s)
{
    TMsgrWStr w;
    for (; *s; ++s)
        w.push_back((WCHAR)*s);
    return w;
}

// The computer name as a receiver sees it: upper case, at most 15 bytes.
inline std::string OwnName()
{
    char buf[64];
    DWORD size = sizeof buf;
    if (!GetComputerNameA(buf, &size))
        return "";
    std::string s(buf, size);
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 32);
    return s.substr(0, 15);
}
