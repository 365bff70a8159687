// Window-free decisions of the send dialog: command-line words, prefill, list prefix, history.
#include "Gui/SendPlan.h"

#include "Con/CmdLn.h"

#include <cstring>

TStr CmdLnWord(const char *cmdLn, unsigned n)
{
    TStr word;
    if (!cmdLn)
        return word;
    const size_t len = strlen(cmdLn);
    size_t pos = 0;
    for (unsigned index = 0; pos < len; ++index) {
        const size_t start = pos;
        bool quoted = false;
        while (pos < len && (quoted || cmdLn[pos] != ' ')) {
            if (cmdLn[pos] == '"')
                quoted = !quoted;
            ++pos;
        }
        if (index == n) {
            // A command line that begins with a space has an empty word 0; Assign with a
            // length of 0 would take the whole rest, so an empty word stays empty here.
            if (pos > start)
                word.Assign(cmdLn + start, static_cast<unsigned>(pos - start));
            word.Unquote();
            return word;
        }
        while (pos < len && cmdLn[pos] == ' ')
            ++pos;
    }
    return word;
}

void PlanPrefill(const char *cmdLn, const TStr &listPrefix, TPrefill &plan)
{
    plan = TPrefill();
    TStr target, sender, esc("\\");
    bool targetParsed = false;
    unsigned next = 2;

    int senderKind = ParseSender(sender, CmdLnWord(cmdLn, 1));
    if (senderKind == SndNone) {
        // Word 1 is the target; an absent word 1 sets the target box to the empty string.
        int targetKind = ParseTarget(target, CmdLnWord(cmdLn, 1));
        targetParsed = true;
        plan.setTarget = true;
        plan.targetText = targetKind == TgtList ? listPrefix + target.CStr() : target;
        senderKind = ParseSender(sender, CmdLnWord(cmdLn, 2));
        next = senderKind != SndNone ? 3 : 2;
    }
    if (ParseEsc(esc, CmdLnWord(cmdLn, next)))
        ++next;
    plan.senderKind = senderKind;
    plan.senderText = sender;

    TStr msg;
    for (unsigned i = next;; ++i) {
        TStr word = CmdLnWord(cmdLn, i);
        if (word.Length() == 0)
            break;
        msg.Append(word);
        msg.Append(" ");
    }
    msg.TrimRight();
    if (ExpandEscapes(msg, esc)) {
        plan.setMessage = true;
        plan.message = msg;
    }
    plan.focusMessage = targetParsed && target.Length() > 0;
}

TStr EditText(const TStr &msg)
{
    TStr text;
    const char *s = msg.CStr();
    unsigned from = 0;
    for (unsigned i = 0; i < msg.Length(); ++i)
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) {
            if (i > from)
                text.Append(TStr(s + from, i - from));
            text.Append("\r\n");
            from = i + 1;
        }
    if (msg.Length() > from)
        text.Append(TStr(s + from, msg.Length() - from));
    return text;
}

bool IsListTarget(const TStr &target, const TStr &listPrefix, TStr &file)
{
    if (listPrefix.Length() == 0 || target.Compare(listPrefix, CmpNoCase | CmpPrefix).Value() != 0)
        return false;
    file = target.CStr() + listPrefix.Length();
    file.Trim();
    return true;
}

void HistLoadEntry(THistList &hist, const TStr &text)
{
    if (text.Length() > 0 && hist.FindExact(text) < 0)
        hist.Insert(hist.Count(), text);
}

void HistAdd(THistList &hist, const TStr &target)
{
    int found = hist.FindExact(target);
    if (found >= 0)
        hist.Delete(found);
    hist.Insert(0, target);
    hist.Select(0);
    for (int count = hist.Count(); count > HistMax; count = hist.Count())
        hist.Delete(count - 1);
}
