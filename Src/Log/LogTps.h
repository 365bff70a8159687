// Event types: the selection of the log. A line is written only if some event type's type
// pattern is found in the line's type code and its text pattern in the line's text (regular
// expressions, searched anywhere unless anchored).
#pragma once

#include "Lib/BStr.h"
#include "qzgen.h"

// One event type: a plain record of two patterns, owned by the list that holds it.
class TLogTp
{
public:
    TLogTp(const char *typePat, const char *textPat) : type(typePat), text(textPat) {}

    const TStr &Type() const { return type; }
    const TStr &Text() const { return text; }
    // Key 1 orders by the type pattern, case-sensitive and locale-aware.
    TCmpRes Cmp(const TLogTp &other, unsigned key) const;

private:
    TStr type;
    TStr text;
};

// The configured event types, sorted and unique by type pattern.
class TLogTps : public TList<TLogTp>
{
public:
    TLogTps();

    // Adds an event type; false (and no change) when an equal type pattern is present.
    bool AddEvtTp(const char *typePat, const char *textPat);
    // Whether some event type selects a line of this type code and text. The regular
    // expression engine is not reentrant: callers hold the log lock.
    bool IsLogged(const TStr &type, const TStr &text) const;
};
