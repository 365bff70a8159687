// Loading the log's parameters from the ".wli" file, in the section format or the line format.
#include "Log/LogLdr.h"

#include "Log/LogIni.h"
#include "Log/LogPrms.h"
#include "Log/WliLog.h"

#include <climits>

int LogStrToInt(const char *s, bool *digits)
{
    bool any = false;
    long long v = 0;
    bool neg = false;
    if (s) {
        while (*s == ' ' || *s == '\t')
            s++;
        if (*s == '+' || *s == '-')
            neg = *s++ == '-';
        for (; *s >= '0' && *s <= '9'; s++) {
            any = true;
            if (v <= (long long)INT_MAX + 1)
                v = v * 10 + (*s - '0');
        }
    }
    if (neg)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    if (digits)
        *digits = any;
    return (int)v;
}

unsigned TLogPrmsLdr::Load()
{
    TLogPrms &prms = log->Prms();
    prms.SetDefaults();
    TCharBuf buf;
    unsigned size = 0;
    unsigned rc = LogReadFile(log->WliPath().CStr(), buf, size);
    if (rc != 0)
        return rc;
    const char *t = static_cast<const char *>(buf.Data());
    unsigned i = 0;
    while (i < size) {
        // Collect the first four characters of the line that are not spaces.
        char got[5];
        unsigned n = 0;
        for (; i < size && t[i] != '\r' && t[i] != '\n'; i++)
            if (t[i] != ' ' && n < 4)
                got[n++] = t[i];
        got[n] = '\0';
        while (i < size && (t[i] == '\r' || t[i] == '\n'))
            i++;
        if (n == 0)
            continue;
        if (got[0] == '+')
            prms.AddEvtTp(got + 1, "");
        else if (got[0] == '!' && Compare(got + 1, "IMM", CmpNoCase).Value() == 0)
            prms.SetFlshLns(1);
    }
    return 0;
}

unsigned TLogPrmsLdr2::Load()
{
    log->Prms().SetDefaults();
    TLogIni ini;
    unsigned rc = ini.Read(log->WliPath().CStr());
    if (rc != 0)
        return rc;
    // A file without a single section header cannot select anything in this format (entries
    // outside a section are ignored), so it is taken as a file in the line format ("+STT",
    // "!IMM"), which would otherwise never be read: the line loader runs only after this one
    // fails, and a readable file never failed here.
    if (!ini.HasHeader() && !ini.IsEmpty())
        return ERROR_BAD_FORMAT;
    Apply(ini);
    return 0;
}

void TLogPrmsLdr2::Apply(const TLogIni &ini)
{
    TLogPrms &prms = log->Prms();
    if (const TLogIniSection *s = ini.Section("Prms")) {
        const TLogIniVal *v;
        if ((v = s->Find("TmFrmt")))
            prms.SetTmFrmt(v->Val().CStr());
        if ((v = s->Find("PID")))
            prms.SetPid(v->Val().Compare("On", CmpNoCase).Value() == 0);
        if ((v = s->Find("TID")))
            prms.SetTid(v->Val().Compare("On", CmpNoCase).Value() == 0);
        if ((v = s->Find("StrtMd"))) {
            if (v->Val().Compare("APPEND", CmpNoCase).Value() == 0)
                prms.SetStrtMd(LogAppend);
            else if (v->Val().Compare("OVRWRT", CmpNoCase).Value() == 0)
                prms.SetStrtMd(LogOvrwrt);
            else if (v->Val().Compare("NEW", CmpNoCase).Value() == 0)
                prms.SetStrtMd(LogNew);
        }
        if ((v = s->Find("FlshSec")))
            prms.SetFlshSec(LogStrToInt(v->Val().CStr()));
        if ((v = s->Find("FlshLns")))
            prms.SetFlshLns(LogStrToInt(v->Val().CStr()));
        if ((v = s->Find("PrmsRd"))) {
            bool digits = false;
            int sec = LogStrToInt(v->Val().CStr(), &digits);
            if (digits)
                log->SetPrmsRd(sec);
        }
    }
    if (const TLogIniSection *s = ini.Section("Evts")) {
        // In key order (case-blind); AddEvtTp refuses a type pattern added before.
        for (unsigned i = 0; i < s->Vals().Count(); i++) {
            const TLogIniVal *v = s->Vals().Item(i);
            prms.AddEvtTp(v->Key().CStr(), v->Val().CStr());
        }
    }
}
