// Event types: sorted unique list of (type pattern, text pattern) and the line filter.
#include "Log/LogTps.h"

namespace {
// A pattern is "found" in a subject when the regular-expression search from position 0 gives a
// position. An empty pattern is found at position 0 of every subject; a pattern that does not
// compile is found nowhere.
bool Found(const TStr &subject, const TStr &pattern)
{
    if (pattern.Length() == 0)
        return true;
    return subject.FindRegExp(pattern.CStr(), 0) != ~0u;
}
} // namespace

TCmpRes TLogTp::Cmp(const TLogTp &other, unsigned) const
{
    return type.Compare(other.type, 0);
}

TLogTps::TLogTps() : TList<TLogTp>(1, LstUnique, 64)
{
}

bool TLogTps::AddEvtTp(const char *typePat, const char *textPat)
{
    TLogTp *tp = new TLogTp(typePat ? typePat : "", textPat ? textPat : "");
    if (Add(tp) == ~0u) {
        delete tp;
        return false;
    }
    return true;
}

bool TLogTps::IsLogged(const TStr &type, const TStr &text) const
{
    for (unsigned i = 0; i < Count(); i++) {
        const TLogTp *tp = Item(i);
        if (Found(type, tp->Type()) && Found(text, tp->Text()))
            return true;
    }
    return false;
}
