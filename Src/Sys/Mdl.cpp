// String resources of a module, and the user and computer names.
#include "Sys/Mdl.h"

#include "Log/LogA.h"

#include <cstring>

namespace {

// Resource strings hold at most 65535 UTF-16 units, so no text of a module needs more bytes
// than this; the doubling stops there even if the loader misbehaves.
const unsigned MaxStrBuf = 1u << 20;

} // namespace

TStr WTMdl::LoadStr(unsigned id) const
{
    unsigned size = 64;
    TCharBuf buf(size);
    int len = LoadStringA(module, id, buf.Data(), static_cast<int>(size));
    // A length of size-1 means the text may have been cut: load again into twice the room.
    while (len >= static_cast<int>(size) - 1 && size < MaxStrBuf) {
        size *= 2;
        buf.Alloc(size);
        len = LoadStringA(module, id, buf.Data(), static_cast<int>(size));
    }
    if (len <= 0)
        return TStr();
    return TStr(buf.Data(), static_cast<unsigned>(len));
}

TStr QueryName(TNameQuery query, const char *what, unsigned bufSize, unsigned sizeIn)
{
    // One extra zero byte so that the text is terminated whatever the query leaves behind.
    TCharBuf buf(bufSize + 1);
    std::memset(buf.Data(), 0, bufSize + 1);
    DWORD len = sizeIn;
    if (!query(buf.Data(), &len)) {
        unsigned err = static_cast<unsigned>(GetLastError());
        if (err != 0) {
            ProcessLog().Write(EvtIdErr, "%s() returned (rc=%u,len=%u).", what, err, static_cast<unsigned>(len));
            return TStr();
        }
    }
    ProcessLog().Write(EvtIdOk, "%s() returned (nm=%s,len=%u).", what, buf.Data(), static_cast<unsigned>(len));
    return TStr(buf.Data());
}

TStr UserName()
{
    return QueryName(&GetUserNameA, "GetUserName", 256, 256);
}

TStr ComputerName()
{
    return QueryName(&GetComputerNameA, "GetComputerName", 17, 16);
}
