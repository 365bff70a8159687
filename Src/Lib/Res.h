// Results and error texts: TRes holds a code with its severity and text; ErrorText gives the
// text of any code in the user's language; RegisterErrCode hands out the library's own codes
// (bit 29 set, from 0x20000001) for failures that have no system code.
#pragma once

#include "Lib/BStr.h"

// Severities, as in the top two bits of Windows status codes.
enum : unsigned { SevSuccess = 0, SevInfo = 1, SevWarning = 2, SevError = 3 };

class TRes : public TQzBsMem {
public:
    // Success: code 0, severity 0, empty text and context.
    TRes();
    // As Set with the three values.
    explicit TRes(unsigned code, const char *context = nullptr, unsigned severity = SevError);

    // Keeps the code's low 30 bits and the severity in the top two bits (severity 0 whatever
    // was passed when the code is 0), the code's text and the context.
    void Set(unsigned code, const char *context, unsigned severity);
    // The same with an empty context and severity 3: any non-zero code is an error.
    void Set(unsigned code);

    unsigned Code() const { return word & 0x3FFFFFFFu; }
    unsigned Severity() const { return word >> 30; }
    // Writes the severity bits from 1, 2 or 3; any other value clears them.
    void SetSeverity(unsigned severity);
    bool IsError() const { return Severity() == SevError; }
    bool IsOk() const { return Severity() != SevError; }
    const TStr &Text() const { return text; }
    const TStr &Context() const { return context; }

private:
    unsigned word;
    TStr context;
    TStr text;
};

// The text of a code: for a system code the system's message in the user's default language
// without its final line break (empty when the system has none); for a registered code the
// registered text (empty when the code was never registered).
TStr ErrorText(unsigned code);

// The registered code of a text, registering it on first use. Registering is serialised, so
// it may be called from any thread.
unsigned RegisterErrCode(const char *text);
