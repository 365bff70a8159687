// TRes, the error texts of system codes and the registry of the library's own codes.
#include "Lib/Res.h"

#include "qzgen.h"

#include <cstring>
#include <mutex>

namespace {

const unsigned AppCodeBit = 0x20000000u;
const unsigned FirstAppCode = 0x20000001u;
const int ErrCodeSortKey = 129;

// A registered code and its text (a process-heap copy owned by the record).
struct ErrCode {
    unsigned code;
    char *text;

    ErrCode(unsigned code, const char *text) : code(code), text(StrDup(text)) {}
    ErrCode(const ErrCode &) = delete;
    ErrCode &operator=(const ErrCode &) = delete;
    ~ErrCode() { MemFree(text); }

    TCmpRes Cmp(const ErrCode &other, unsigned) const { return CmpNum(code, other.code); }
};

// The registry is created by the first registration and lives until the process ends (texts
// of registered codes may be asked for by static objects being destroyed). The lock makes
// registration from several threads safe; it is never destroyed either.
TList<ErrCode> *registry = nullptr;

std::mutex &RegistryLock()
{
    static std::mutex *lock = new std::mutex;
    return *lock;
}

TStr RegisteredText(unsigned code)
{
    std::lock_guard<std::mutex> hold(RegistryLock());
    if (!registry)
        return TStr();
    ErrCode probe(code, nullptr);
    ErrCode *rec = registry->Find(&probe, ErrCodeSortKey, FndEq);
    return TStr(rec ? rec->text : nullptr);
}

TStr SystemText(unsigned code)
{
    // The system writes at most 511 characters into a zeroed 512-byte buffer; a longer text,
    // like a missing one, gives no text at all.
    char buf[512];
    std::memset(buf, 0, sizeof buf);
    unsigned n = (unsigned)QzSysMsgText(code, GetUserDefaultLangID(), buf, 511);
    if (n == 0 || n > 511)
        return TStr();
    buf[n] = '\0';
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n'))
        buf[--n] = '\0';
    return TStr(buf);
}

} // namespace

TRes::TRes() : word(0)
{
    Set(0, nullptr, SevSuccess);
}

TRes::TRes(unsigned code, const char *context, unsigned severity) : word(0)
{
    Set(code, context, severity);
}

void TRes::Set(unsigned code, const char *ctx, unsigned severity)
{
    word = code;
    text = ErrorText(code);
    context = ctx;
    SetSeverity(word != 0 ? severity : SevSuccess);
}

void TRes::Set(unsigned code)
{
    Set(code, nullptr, SevError);
}

void TRes::SetSeverity(unsigned severity)
{
    unsigned bits = (severity >= 1 && severity <= 3) ? severity : 0;
    word = (word & 0x3FFFFFFFu) | (bits << 30);
}

TStr ErrorText(unsigned code)
{
    return (code & AppCodeBit) ? RegisteredText(code) : SystemText(code);
}

unsigned RegisterErrCode(const char *text)
{
    std::lock_guard<std::mutex> hold(RegistryLock());
    if (!registry) {
        registry = new TList<ErrCode>(ErrCodeSortKey, 0, 64);
    } else {
        for (unsigned i = 0; i < registry->Count(); ++i) {
            ErrCode *rec = registry->Item(i);
            bool same = (rec->text && text) ? std::strcmp(rec->text, text) == 0 : rec->text == text;
            if (same)
                return rec->code;
        }
    }
    unsigned code = registry->Count() == 0 ? FirstAppCode : registry->Item(registry->Count() - 1)->code + 1;
    registry->Add(new ErrCode(code, text));
    return code;
}
