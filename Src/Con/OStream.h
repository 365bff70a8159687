// The console output streams: text goes to the console in its OEM code page.
//
// Texts (zero-terminated or TStr) are copied and converted from the ANSI code page to the OEM
// code page before they are written; numbers and single characters are written unchanged. The
// operators return the stream, so writes chain: out << target << ": " << text << '\n'.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

class TOStream : public TQzBsMem
{
public:
    ~TOStream() override {}
    // An unsigned 32-bit number in decimal.
    virtual TOStream &operator<<(unsigned v);
    // One character, unchanged.
    virtual TOStream &operator<<(char c);
    // A zero-terminated 8-bit text, converted to the OEM code page.
    virtual TOStream &operator<<(const char *s);
    // A string, converted to the OEM code page.
    virtual TOStream &operator<<(const TStr &s);

protected:
    // Writes n bytes as they are.
    virtual void Put(const char *p, unsigned n) = 0;
};

// Standard output, buffered; the buffer is written out at the latest when the process ends.
class TOemOut : public TOStream
{
protected:
    void Put(const char *p, unsigned n) override;
};

// Standard error, each write passed on at once after pending standard output.
class TOemErr : public TOStream
{
protected:
    void Put(const char *p, unsigned n) override;
};
