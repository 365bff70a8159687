// The console streams of qzsend.
#include "Con/OStream.h"

TOStream &TOStream::operator<<(unsigned v)
{
    TStr s(v, NumDec);
    Put(s.CStr(), s.Length());
    return *this;
}

TOStream &TOStream::operator<<(char c)
{
    Put(&c, 1);
    return *this;
}

TOStream &TOStream::operator<<(const char *s)
{
    TStr oem(s);
    oem.ToOem();
    Put(oem.CStr(), oem.Length());
    return *this;
}

TOStream &TOStream::operator<<(const TStr &s)
{
    TStr oem(s);
    oem.ToOem();
    Put(oem.CStr(), oem.Length());
    return *this;
}

void TOemOut::Put(const char *p, unsigned n)
{
    fwrite(p, 1, n, stdout);
}

void TOemErr::Put(const char *p, unsigned n)
{
    fflush(stdout);
    fwrite(p, 1, n, stderr);
    fflush(stderr);
}
