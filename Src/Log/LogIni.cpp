// Parsing the section format of the ".wli" file.
#include "Log/LogIni.h"

#include "qzplat.h"

TCmpRes TLogIniVal::Cmp(const TLogIniVal &other, unsigned sortKey) const
{
    TCmpRes r = key.Compare(other.key, CmpNoCase);
    if (r.Value() != 0 || sortKey != 1)
        return r;
    return CmpNum(seq, other.seq);
}

const TLogIniVal *TLogIniSection::Find(const char *key) const
{
    // A linear scan with key 2 gives the first of equal keys in list order, which sort key 1
    // keeps in file order: the first entry of a key in the file wins.
    TLogIniVal probe(key, 0, "", 0, 0);
    return vals.Find(&probe, 2, FndEq);
}

TCmpRes TLogIniSection::Cmp(const TLogIniSection &other, unsigned) const
{
    return name.Compare(other.name, CmpNoCase);
}

TLogIni::TLogIni() : sects(1, LstUnique, 64), nextSeq(0), header(false)
{
}

const TLogIniSection *TLogIni::Section(const char *name) const
{
    TLogIniSection probe(name);
    return sects.Find(&probe, 1, FndEq);
}

TLogIniSection *TLogIni::Sect(const char *name, unsigned len)
{
    // A maximum length of 0 means "no limit" to TStr, so an empty name is passed as "".
    TLogIniSection *s = new TLogIniSection(len ? name : "", len);
    if (sects.Add(s) != ~0u)
        return s;
    TLogIniSection *old = sects.Find(s, 1, FndEq);
    delete s;
    return old;
}

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool IsEol(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}
} // namespace

void TLogIni::Parse(const char *text, unsigned len)
{
    sects.Clear();
    nextSeq = 0;
    header = false;
    TStr cur;
    unsigned i = 0;
    while (i < len) {
        unsigned b = i;
        while (i < len && !IsEol(text[i]))
            i++;
        unsigned e = i;
        // Every CR, LF (and NUL, which we treat as a line break) after the line is skipped.
        while (i < len && IsEol(text[i]))
            i++;
        if (e == b)
            continue;
        if (text[b] == '[' && text[e - 1] == ']' && e - b >= 2) {
            unsigned nb = b + 1, ne = e - 1;
            while (nb < ne && IsBlank(text[nb]))
                nb++;
            while (ne > nb && IsBlank(text[ne - 1]))
                ne--;
            if (ne == nb)
                cur.Clear();
            else
                cur.Assign(text + nb, ne - nb);
            Sect(cur.CStr(), cur.Length());
            header = true;
            continue;
        }
        unsigned eq = b;
        // A line beginning with "=" keeps the whole line as its key.
        if (text[b] != '=')
            while (eq < e && text[eq] != '=')
                eq++;
        else
            eq = e;
        TLogIniSection *s = Sect(cur.CStr(), cur.Length());
        unsigned vb = eq < e ? eq + 1 : e;
        // TStr takes a maximum length of 0 as "no limit": empty parts are passed as "".
        s->AddVal(new TLogIniVal(eq > b ? text + b : "", eq - b, vb < e ? text + vb : "", e - vb, nextSeq++));
    }
}

unsigned TLogIni::Read(const char *path)
{
    sects.Clear();
    TCharBuf buf;
    unsigned size = 0;
    unsigned rc = LogReadFile(path, buf, size);
    if (rc != 0)
        return rc;
    Parse(static_cast<const char *>(buf.Data()), size);
    return 0;
}

unsigned LogReadFile(const char *path, TCharBuf &buf, unsigned &size)
{
    size = 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return (unsigned)GetLastError();
    unsigned rc = 0;
    DWORD fsz = GetFileSize(h, NULL);
    if (fsz == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        rc = (unsigned)GetLastError();
    } else {
        char *p = static_cast<char *>(buf.Alloc((unsigned)fsz + 1));
        while (size < (unsigned)fsz) {
            DWORD got = 0;
            if (!ReadFile(h, p + size, (DWORD)((unsigned)fsz - size), &got, NULL)) {
                rc = (unsigned)GetLastError();
                break;
            }
            if (got == 0)
                break; // the file shrank while we read it
            size += (unsigned)got;
        }
        p[size] = '\0';
    }
    CloseHandle(h);
    if (rc != 0)
        size = 0;
    return rc;
}
