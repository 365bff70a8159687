// The flow of qzsend: parse the command line, send to one target or a list, and print one
// localized line per target (plus the usage text for an invalid-parameter outcome).
#include "Con/ConRun.h"

#include "Con/CmdLn.h"
#include "Con/OStream.h"
#include "Lib/Res.h"
#include "Net/NetSend.h"
#include "Sys/Mdl.h"

// Text 1 for a success, else text 2 filled with the code and its text. The texts are loaded
// anew for every line.
static TStr ResultText(WTMdl &mdl, unsigned code, const TStr &codeText)
{
    if (code == 0)
        return mdl.LoadStr(StrSent);
    TStr fmt = mdl.LoadStr(StrNotSent);
    TStr line;
    line.Format(fmt.CStr(), code, codeText.CStr());
    return line;
}

// The list branch: the list-level failure line without a prefix, then one line per name.
static void ConRunList(const TConArgs &a, TRes &res, WTMdl &mdl, TOStream &out)
{
    TArray<TStr> names;
    TArray<unsigned long> codes;
    res.Set(NetSendToList(a.target, a.sender, a.msg, &names, &codes));
    if (res.IsError())
        out << ResultText(mdl, res.Code(), ErrorText(res.Code())) << '\n';
    for (unsigned i = 0; i < names.Count() && i < codes.Count(); i++)
    {
        unsigned code = (unsigned)codes.Items()[i];
        out << names.Items()[i] << ": " << ResultText(mdl, code, ErrorText(code)) << '\n';
    }
}

unsigned ConRun(int argc, const char *const *argv, TOStream &out)
{
    TRes res;
    TConArgs a;
    if (!ParseConArgs(argc, argv, a))
        res.Set(ERROR_INVALID_PARAMETER);
    else
    {
        WTMdl mdl(GetModuleHandleA(NULL));
        // An empty message sends nothing and prints nothing.
        if (ExpandEscapes(a.msg, a.esc))
        {
            if (a.targetKind == TgtList)
                ConRunList(a, res, mdl, out);
            else
            {
                res.Set(NetSend(a.target, a.sender, a.msg));
                out << a.target << ": " << ResultText(mdl, res.Code(), res.Text()) << '\n';
            }
        }
    }
    if (res.Code() == ERROR_INVALID_PARAMETER)
        out << UsageText() << '\n';
    return res.Code();
}

TStr UsageText()
{
    unsigned lang = 0;
    int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, NULL, 0);
    if (n > 0)
    {
        TCharBuf buf(n);
        char *p = (char *)buf.Data();
        if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, p, n) > 0)
            lang = (unsigned)strtoul(p, NULL, 10);
    }
    WTMdl mdl(GetModuleHandleA(NULL));
    return mdl.LoadStr(lang == 419 ? StrUsageRu : StrUsageEn);
}
