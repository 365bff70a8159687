// Text for the wire: line breaks as CR LF, conversion from UTF-16 to the wire code page with
// the character boundaries kept (blocks are cut after conversion, never inside a character),
// and NetBIOS names upper-cased and at most 15 bytes long.
#include "Net/Msgr/Msgr.h"

size_t MsgrWLen(const WCHAR *s)
{
    size_t n = 0;
    while (s && s[n])
        ++n;
    return n;
}

TMsgrWStr MsgrUpper(const TMsgrWStr &s)
{
    TMsgrWStr out(s);
    for (WCHAR &c : out) {
        unsigned u = (unsigned)c;
        if (u >= 'a' && u <= 'z')
            u -= 32;
        else if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
            u -= 32;
        else if (u == 0xFF)
            u = 0x178;
        else if (u >= 0x430 && u <= 0x44F)
            u -= 32;
        else if (u >= 0x450 && u <= 0x45F)
            u -= 80;
        c = (WCHAR)u;
    }
    return out;
}

TMsgrWStr MsgrCrLf(const WCHAR *s, size_t n)
{
    TMsgrWStr out;
    out.reserve(n + n / 8);
    for (size_t i = 0; i < n; ++i) {
        WCHAR c = s[i];
        if (c != '\r' && c != '\n') {
            out.push_back(c);
            continue;
        }
        // CR LF and LF CR are one break each; any other CR or LF is a break of its own.
        if (i + 1 < n && (s[i + 1] == '\r' || s[i + 1] == '\n') && s[i + 1] != c)
            ++i;
        out.push_back('\r');
        out.push_back('\n');
    }
    return out;
}

namespace {

bool IsHighSurrogate(WCHAR c) { return (unsigned)c >= 0xD800 && (unsigned)c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return (unsigned)c >= 0xDC00 && (unsigned)c <= 0xDFFF; }

DWORD Convert(UINT cp, const WCHAR *s, size_t n, std::string &out)
{
    out.clear();
    if (n == 0)
        return 0;
    if (n > 0x3FFFFFFF)
        return ERROR_INVALID_PARAMETER;
    // UTF-8 takes no replacement-character arguments; single- and double-byte pages get '?'.
    bool utf8 = cp == CP_UTF8;
    BOOL used = FALSE;
    int need = WideCharToMultiByte(cp, 0, s, (int)n, nullptr, 0, utf8 ? nullptr : "?", utf8 ? nullptr : &used);
    if (need <= 0)
        return GetLastError() ? GetLastError() : ERROR_INVALID_PARAMETER;
    out.resize((size_t)need);
    int got = WideCharToMultiByte(cp, 0, s, (int)n, &out[0], need, utf8 ? nullptr : "?", utf8 ? nullptr : &used);
    if (got <= 0)
        return GetLastError() ? GetLastError() : ERROR_INVALID_PARAMETER;
    out.resize((size_t)got);
    return 0;
}

} // namespace

DWORD MsgrToCp(UINT cp, const TMsgrWStr &s, std::string &out, std::vector<size_t> *cuts)
{
    DWORD rc = Convert(cp, s.data(), s.size(), out);
    if (rc != 0 || !cuts)
        return rc;
    cuts->clear();
    // Characters of the UTF-16 text (a surrogate pair is one).
    size_t chars = 0;
    for (size_t i = 0; i < s.size(); ++i, ++chars)
        if (IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1]))
            ++i;
    if (out.size() == chars) {
        // One byte per character, the usual case of the DOS code pages: every byte is a boundary.
        cuts->reserve(chars);
        for (size_t i = 1; i <= chars; ++i)
            cuts->push_back(i);
        return 0;
    }
    // A multi-byte page: convert character by character to learn where each one ends.
    std::string one;
    size_t at = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        size_t len = (IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) ? 2 : 1;
        rc = Convert(cp, s.data() + i, len, one);
        if (rc != 0)
            return rc;
        at += one.size();
        cuts->push_back(at);
        i += len - 1;
    }
    if (at != out.size()) {
        // A stateful page whose pieces differ from the whole: cut by the pieces' own bytes.
        out.clear();
        for (size_t i = 0; i < s.size(); ++i) {
            size_t len = (IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) ? 2 : 1;
            Convert(cp, s.data() + i, len, one);
            out += one;
            i += len - 1;
        }
    }
    return 0;
}

std::vector<std::string> MsgrCutBlocks(const std::string &text, const std::vector<size_t> &cuts, size_t max)
{
    std::vector<std::string> blocks;
    size_t start = 0, lastFit = 0;
    for (size_t c : cuts) {
        if (c - start > max) {
            // The character ending at c does not fit: end the block at the last boundary that did
            // (a single character wider than a block, impossible for real code pages, goes alone).
            size_t end = lastFit > start ? lastFit : c;
            blocks.push_back(text.substr(start, end - start));
            start = end;
        }
        lastFit = c;
    }
    if (start < text.size())
        blocks.push_back(text.substr(start));
    return blocks;
}

DWORD MsgrWireName(UINT cp, const TMsgrWStr &name, std::string &out)
{
    std::vector<size_t> cuts;
    DWORD rc = MsgrToCp(cp, MsgrUpper(name), out, &cuts);
    if (rc != 0)
        return rc;
    if (out.size() > 15) {
        size_t keep = 0;
        for (size_t c : cuts)
            if (c <= 15)
                keep = c;
        out.resize(keep);
    }
    return 0;
}
