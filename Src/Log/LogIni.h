// The section format of the ".wli" file, parsed into sections of key/value entries:
//     [Prms]
//     FlshSec=5
//     [Evts]
//     .=
// Headers are a line beginning with "[" and ending with "]"; every other non-empty line is an
// entry of the current section, split at its first "=". There is no comment syntax.
#pragma once

#include "Lib/BStr.h"
#include "qzgen.h"

// One entry. Sort key 1 orders by key without regard to case and, among such equal keys, in
// file order; key 2 compares the key alone (used to find the first entry of a key).
class TLogIniVal : public TQzBsMem
{
public:
    TLogIniVal(const char *k, unsigned kLen, const char *v, unsigned vLen, unsigned order)
        : key(k, kLen), val(v, vLen), seq(order) {}

    const TStr &Key() const { return key; }
    const TStr &Val() const { return val; }
    TCmpRes Cmp(const TLogIniVal &other, unsigned sortKey) const;

private:
    TStr key;
    TStr val;
    unsigned seq;
};

class TLogIniSection : public TQzBsMem
{
public:
    explicit TLogIniSection(const char *nm, unsigned len = 0) : name(nm, len), vals(1, 0, 64) {}

    const TStr &Name() const { return name; }
    // Entries sorted by key (case-blind), equal keys in file order.
    const TList<TLogIniVal> &Vals() const { return vals; }
    // The first entry (in file order) whose key equals key without regard to case, or NULL.
    const TLogIniVal *Find(const char *key) const;
    void AddVal(TLogIniVal *v) { vals.Add(v); }
    TCmpRes Cmp(const TLogIniSection &other, unsigned sortKey) const;

private:
    TStr name;
    TList<TLogIniVal> vals;
};

class TLogIni : public TQzBsMem
{
public:
    TLogIni();

    // Reads and parses the file; 0, or the Windows error of the open or read (the parsed
    // sections are then empty).
    unsigned Read(const char *path);
    // Parses a text of len bytes (a NUL byte ends a line like CR or LF).
    void Parse(const char *text, unsigned len);
    // The section of this name (without regard to case), or NULL.
    const TLogIniSection *Section(const char *name) const;
    // Whether the parsed text held at least one section header line.
    bool HasHeader() const { return header; }
    // Whether the parsed text held no entry and no header.
    bool IsEmpty() const { return sects.Count() == 0; }

private:
    TLogIniSection *Sect(const char *name, unsigned len);

    TList<TLogIniSection> sects;
    unsigned nextSeq;
    bool header;
};

// Reads a whole file, opened for reading shared for reading only, into buf (terminated with a
// NUL after its size bytes). 0 or the Windows error code of the open or read.
unsigned LogReadFile(const char *path, TCharBuf &buf, unsigned &size);
