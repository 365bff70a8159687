// The module wrapper that loads string resources in the user's language, and the local user and
// computer names, each query recorded in the process log.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

// A loaded module, given at construction; not owned (destroying the wrapper releases nothing).
class WTMdl : public TQzBsMem {
public:
    explicit WTMdl(HINSTANCE module) : module(module) {}
    ~WTMdl() override {}

    // The text of string resource `id` (the resource loader chooses the language); the empty
    // text when the module has no such string. Texts of any length are returned whole.
    TStr LoadStr(unsigned id) const;

protected:
    HINSTANCE module;
};

// The name of the user the process runs as; the empty text (and a "WI!" line) on failure.
TStr UserName();
// The local computer's name; the empty text (and a "WI!" line) on failure.
TStr ComputerName();

// The shape of GetUserNameA and GetComputerNameA.
typedef BOOL(WINAPI *TNameQuery)(LPSTR buf, LPDWORD size);

// The common part of UserName and ComputerName: calls `query` with a zero-filled buffer of
// bufSize characters and the size variable set to sizeIn, writes the "WI." or "WI!" line named
// after `what` ("GetUserName", "GetComputerName") and returns the name, or the empty text when
// the query failed with a last error other than 0. The name is written into the line as it
// is: a percent sign in it is never read as a formatting instruction.
TStr QueryName(TNameQuery query, const char *what, unsigned bufSize, unsigned sizeIn);
