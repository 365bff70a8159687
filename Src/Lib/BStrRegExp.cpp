// TStr::FindRegExp: the string's side of the regular-expression search.
#include "Lib/BStr.h"
#include "Lib/RegExp.h"

unsigned TStr::FindRegExp(const char *pattern, unsigned start) const
{
    // A start beyond the text would search memory behind it; there is nothing to find there.
    if (start > length)
        return (unsigned)-1;
    unsigned at = RegSearch(pattern, text + start);
    return at == (unsigned)-1 ? at : start + at;
}
