// Strings and buffers: the 8-bit string TStr (ANSI code page text with its own length, grown
// in steps of 32 bytes), the owned heap buffers TBuf and TCharBuf, the comparison result
// TCmpRes and the comparison helpers.
#pragma once

#include "Lib/QzBsMem.h"

// Comparison flags (other bits are ignored by the comparisons).
enum : unsigned {
    CmpNoCase = 0x01, // ignore case
    CmpPrefix = 0x02, // compare only as many characters as the second text has
    ReplAll = 0x10,   // Replace: every occurrence instead of the first
};

// Kinds of the number constructors of TStr.
enum : unsigned { NumDec = 0, NumHex = 1, NumBin = 2 };

// An owned block on the process heap; `size` is what MemSize reports for it.
class TBuf : public TQzBsMem {
public:
    TBuf() : data(nullptr), size(0) {}
    explicit TBuf(unsigned n);
    TBuf(const TBuf &) = delete;
    TBuf &operator=(const TBuf &) = delete;
    ~TBuf() override;

    // Frees the current block and takes a new one of n bytes (contents undefined).
    char *Alloc(unsigned n);
    // Resizes the block (or takes a new one), keeping its contents.
    char *ReAlloc(unsigned n);
    void Free();
    // Exchanges the blocks of two buffers.
    void Swap(TBuf &other);

    char *Data() const { return data; }
    unsigned Size() const { return size; }

protected:
    char *data;
    unsigned size;
};

class TCharBuf : public TBuf {
public:
    TCharBuf() {}
    explicit TCharBuf(unsigned n) : TBuf(n) {}
    // Takes a block of the other's size and copies it; a buffer without a block copies as one
    // without a block.
    TCharBuf(const TCharBuf &other);
    TCharBuf &operator=(const TCharBuf &) = delete;
};

// The result of a comparison: -1, 0 or 1.
class TCmpRes : public TQzBsMem {
public:
    TCmpRes() : value(0) {}
    TCmpRes(int v) : value(v < 0 ? -1 : v > 0 ? 1 : 0) {}

    int Value() const { return value; }
    bool operator==(int v) const { return value == v; }
    bool operator!=(int v) const { return value != v; }

private:
    int value;
};

// The string base class: a text and its length. Its own operations do nothing; TStr gives
// them meaning.
class BTStr : public TQzBsMem {
public:
    BTStr() : text(nullptr), length(0) {}
    BTStr(const BTStr &) = delete;
    BTStr &operator=(const BTStr &) = delete;
    ~BTStr() override {}

    virtual void Assign(const char *, unsigned = 0) {}
    virtual void Assign(const BTStr &) {}
    virtual void Insert(const char *, unsigned, unsigned = 0) {}
    virtual const char *Format(const char *, ...) QZ_PRINTF_FMT(2, 3) { return text; }

    const char *CStr() const { return text; }
    unsigned Length() const { return length; }

protected:
    char *text;
    unsigned length;
};

class TStr : public BTStr {
public:
    TStr();
    TStr(const char *s, unsigned maxLen = 0);
    TStr(const TStr &other);
    TStr(const BTStr &other);
    // Numbers: NumDec decimal, NumHex "0x" and lowercase hex digits, NumBin binary digits; no
    // leading zeros; any other kind gives the empty string. The signed forms write a negative
    // value with a minus sign in decimal and as its unsigned bits otherwise. The long forms
    // keep the low 32 bits (they exist because DWORD is a long on Windows).
    TStr(unsigned value, unsigned kind);
    TStr(int value, unsigned kind);
    TStr(unsigned long value, unsigned kind) : TStr((unsigned)value, kind) {}
    TStr(long value, unsigned kind) : TStr((int)value, kind) {}
    ~TStr() override;

    TStr &operator=(const char *s);
    TStr &operator=(const BTStr &other);
    TStr &operator=(const TStr &other);

    // The first min(maxLen, length of s) characters of s (maxLen 0: all); a null s is empty.
    void Assign(const char *s, unsigned maxLen = 0) override;
    void Assign(const BTStr &other) override;
    // Inserts the first n characters of s (n 0: all of s) at pos. pos beyond the length throws
    // EOutOfRange instead of writing outside the text.
    void Insert(const char *s, unsigned pos, unsigned n = 0) override;
    // printf-style formatting into the string; returns the text.
    const char *Format(const char *fmt, ...) override QZ_PRINTF_FMT(2, 3);
    const char *FormatV(const char *fmt, va_list args);

    void Append(const char *s);
    void Append(const BTStr &other);

    void Clear();
    // Removes n characters at pos (n 0: up to the end); throws EOutOfRange(pos, length) when
    // pos or pos + n lies beyond the text.
    void Erase(unsigned pos, unsigned n = 0);
    void CutRight(unsigned n);
    void TrimLeft();
    void TrimRight();
    void Trim();
    void Unquote();
    // Converts the text in place from the ANSI to the OEM code page.
    void ToOem();

    // Position of the pattern at or after start, or (unsigned)-1; flags: CmpNoCase.
    unsigned Find(const char *pattern, unsigned start = 0, unsigned flags = 0) const;
    // Replaces the first (or with ReplAll every) occurrence of what at or after start; returns the
    // number of replacements. An empty what replaces nothing.
    unsigned Replace(const char *what, const char *with, unsigned start = 0, unsigned flags = 0);
    // Regular-expression search from start: position of the leftmost match or (unsigned)-1.
    unsigned FindRegExp(const char *pattern, unsigned start = 0) const;

    TCmpRes Compare(const char *s, unsigned flags = 0) const;
    TCmpRes Compare(const BTStr &other, unsigned flags = 0) const;

private:
    // Makes room for n characters and a terminator (see the growth rule in BStr.cpp).
    void Reserve(unsigned n);
    bool Holds(const char *p) const { return p >= buf.Data() && p < buf.Data() + buf.Size(); }

    TCharBuf buf;
};

// A copy of a with b appended.
TStr operator+(const TStr &a, const char *b);

// Compares two texts (see TStr::Compare); a null text equals only a null or empty one and
// sorts before any other.
TCmpRes Compare(const char *a, const char *b, unsigned flags = 0);
TCmpRes CmpNum(unsigned a, unsigned b);
// Compares two characters as two one-character texts with the locale-aware comparison;
// identical characters are always equal.
TCmpRes CmpChar(char a, char b, unsigned flags = 0);

// A heap copy of s (free it with MemFree); null for a null s.
char *StrDup(const char *s);
// Copies count characters of src from start (count 0: up to the end; cut at the end of src)
// and a terminator into dst. Returns the count copied, or (unsigned)-1 when it cannot copy
// (a null text, or start beyond the end of src).
unsigned CopySubStr(char *dst, const char *src, unsigned start, unsigned count);
// Position of the first exact occurrence of what in text at or after start, or (unsigned)-1
// (also when start is at or beyond the end of text).
unsigned FindSubStr(const char *text, const char *what, unsigned start);
