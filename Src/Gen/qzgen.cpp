// The compiled part of the generic containers header: the number-and-string record.
#include "qzgen.h"

TCmpRes GTNumStr::Cmp(const GTNumStr &other, unsigned key) const
{
    switch (key) {
    case 1:
        return CmpNum(num, other.num);
    case 2:
        return str.Compare(other.str, 0);
    default:
        return TCmpRes();
    }
}
