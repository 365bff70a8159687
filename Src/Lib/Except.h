// The library's exceptions: programming errors that the library detects (a bad index, a
// missing item, a zero count, a failed growth). Operating-system failures never travel as
// exceptions; they are error codes in TRes.
//
// The text of an exception is "[<message>] '<file>' line <line> " (note the final blank).
#pragma once

#include "Lib/BStr.h"

class EException : public TQzBsMem {
public:
    EException(const char *file, unsigned line, const char *message);
    EException(const EException &other);
    EException &operator=(const EException &) = delete;
    ~EException() override;

    virtual const char *Text() const;

private:
    TCharBuf text;
};

class EOutOfRange : public EException {
public:
    EOutOfRange(const char *file, unsigned line, unsigned index, unsigned count);
};

class EBadAlloc : public EException {
public:
    EBadAlloc(const char *file, unsigned line, unsigned size);
};

class EInvalidArgument : public EException {
public:
    EInvalidArgument(const char *file, unsigned line, const char *condition);
};

// Throw sites name their own source file and line.
#define QZ_THROW_OUT_OF_RANGE(index, count) throw EOutOfRange(__FILE__, __LINE__, (index), (count))
#define QZ_THROW_BAD_ALLOC(size) throw EBadAlloc(__FILE__, __LINE__, (size))
// Throws EInvalidArgument whose text is the source text of the detected bad state, as written
// at the check (so write it without blanks: QZ_THROW_INVALID_ARG_IF(cnt==0)).
#define QZ_THROW_INVALID_ARG_IF(badState)                                                               \
    do {                                                                                                 \
        if (badState)                                                                                    \
            throw EInvalidArgument(__FILE__, __LINE__, #badState);                                       \
    } while (0)
