// The exception classes and the building of their texts.
#include "Lib/Except.h"

#include <cstdio>

EException::EException(const char *file, unsigned line, const char *message)
{
    // The text starts in 32 bytes and grows by 32 until the formatted text and its terminator fit.
    const char *fmt = "[%s] '%s' line %u ";
    const char *msg = message ? message : "";
    const char *path = file ? file : "";
    char *data = text.Alloc(32);
    for (;;) {
        int n = std::snprintf(data, text.Size(), fmt, msg, path, line);
        if (n >= 0 && (unsigned)n < text.Size())
            break;
        // Growing 32 bytes at a time ends at the first multiple of 32 that holds the text; go
        // there at once when the formatter tells the length.
        unsigned next = n >= 0 ? ((unsigned)n / 32 + 1) * 32 : text.Size() + 32;
        data = text.Alloc(next);
    }
}

EException::EException(const EException &other) : TQzBsMem(), text(other.text)
{
}

EException::~EException()
{
}

const char *EException::Text() const
{
    return text.Data() ? text.Data() : "";
}

EOutOfRange::EOutOfRange(const char *file, unsigned line, unsigned index, unsigned count)
    : EException(file, line,
                 (TStr("EOutOfRange(idx=") + TStr(index, NumDec).CStr() + ",cnt=" + TStr(count, NumDec).CStr() + ")")
                     .CStr())
{
}

EBadAlloc::EBadAlloc(const char *file, unsigned line, unsigned size)
    : EException(file, line, (TStr("EBadAlloc(sz=") + TStr(size, NumDec).CStr() + ")").CStr())
{
}

EInvalidArgument::EInvalidArgument(const char *file, unsigned line, const char *condition)
    : EException(file, line, (TStr("EInvalidArgument(") + condition + ")").CStr())
{
}
