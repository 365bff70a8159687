// The option parsers and the escape expansion shared by both programs, and the console
// program's positional reading of its arguments.
#include "Con/CmdLn.h"

#include "Sys/Mdl.h"

bool IsOption(const char *optName, const TStr &arg)
{
    // The comparison covers the prefix character and the name only; an argument shorter than
    // that never matches because its terminator differs.
    static const char prefixes[] = {'/', '-'};
    for (char p : prefixes)
    {
        TStr opt;
        char head[2] = {p, 0};
        opt = head;
        opt.Append(optName);
        if (arg.Compare(opt.CStr(), CmpPrefix | CmpNoCase).Value() == 0)
            return true;
    }
    return false;
}

// The text after "/" + optName: the option's value.
static TStr OptValue(const char *optName, const TStr &arg)
{
    unsigned skip = 1 + (unsigned)strlen(optName);
    return TStr(arg.CStr() + skip);
}

int ParseTarget(TStr &target, const TStr &arg)
{
    int kind = TgtName;
    if (IsOption(OptDomain, arg))
    {
        // A name ending in "*" is the messaging service's domain broadcast; "*" alone is the
        // workstation's own domain.
        target = OptValue(OptDomain, arg);
        target.Append("*");
    }
    else if (IsOption(OptList, arg))
    {
        target = OptValue(OptList, arg);
        kind = TgtList;
    }
    else
        target = arg;
    target.Unquote();
    return kind;
}

int ParseSender(TStr &sender, const TStr &arg)
{
    int kind = SndNone;
    // "FROMUSER" is tested first; neither option can match where the other does.
    if (IsOption(OptFromUser, arg))
    {
        sender = UserName();
        kind = SndUser;
    }
    else if (IsOption(OptFrom, arg))
    {
        sender = OptValue(OptFrom, arg);
        kind = SndText;
    }
    sender.Unquote();
    return kind;
}

bool ParseEsc(TStr &esc, const TStr &arg)
{
    if (!IsOption(OptEsc, arg))
        return false;
    esc = OptValue(OptEsc, arg);
    return true;
}

bool ExpandEscapes(TStr &msg, const TStr &esc)
{
    static const struct
    {
        char letter;
        const char *ctl;
    } passes[] = {{'n', "\n"}, {'r', "\r"}, {'t', "\t"}};
    for (const auto &p : passes)
    {
        char tail[2] = {p.letter, 0};
        TStr what = esc + tail;
        msg.Replace(what.CStr(), p.ctl, 0, CmpNoCase | ReplAll);
    }
    return msg.Length() != 0;
}

bool ParseConArgs(int argc, const char *const *argv, TConArgs &args)
{
    if (argc < 3)
        return false;
    args.esc = "\\";
    args.targetKind = ParseTarget(args.target, TStr(argv[1]));
    args.senderKind = ParseSender(args.sender, TStr(argv[2]));
    // The escape option follows a sender option, or takes the sender's place; past the last
    // argument it counts as an empty argument, which is no option.
    int escPos = args.senderKind != SndNone ? 3 : 2;
    bool hasEsc = ParseEsc(args.esc, TStr(escPos < argc ? argv[escPos] : ""));
    int first = 2 + (args.senderKind != SndNone ? 1 : 0) + (hasEsc ? 1 : 0);
    args.msg.Clear();
    for (int i = first; i < argc; i++)
    {
        if (i > first)
            args.msg.Append(" ");
        args.msg.Append(argv[i]);
    }
    return true;
}
