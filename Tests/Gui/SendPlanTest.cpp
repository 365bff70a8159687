// The send dialog's window-free decisions: command-line words, prefill, list prefix, history.
#include "Gui/SendPlan.h"
#include "Sys/Mdl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CmdLnWord, SplitsAtSpacesOutsideQuotesAndUnquotes)
{
    struct Row
    {
        const char *cmdLn;
        unsigned n;
        const char *word;
    } rows[] = {
        {"qzsendw.exe PC1 Hello world", 0, "qzsendw.exe"},
        {"qzsendw.exe PC1 Hello world", 1, "PC1"},
        {"qzsendw.exe PC1 Hello world", 3, "world"},
        {"qzsendw.exe PC1 Hello world", 4, ""},
        {"\"C:\\Program Files\\qzsendw.exe\" PC1", 0, "C:\\Program Files\\qzsendw.exe"},
        {"\"C:\\Program Files\\qzsendw.exe\" PC1", 1, "PC1"},
        {"a   b", 1, "b"},                        // runs of spaces separate one pair of words
        {"a b   ", 2, ""},                        // trailing spaces make no word
        {" a b", 0, ""},                          // a leading space ends an empty word 0
        {" a b", 1, "a"},
        {"a\tb c", 1, "c"},                       // tabs are ordinary characters
        {"a\tb c", 0, "a\tb"},
        {"x \"/FROM:John Smith\" hi", 1, "/FROM:John Smith"},
        {"x /FROM:\"John Smith\" hi", 1, "/FROM:\"John Smith\""}, // quotes inside stay
        {"x /FROM:\"John Smith\" hi", 2, "hi"},
        {"x \"\" y", 1, ""},                      // a pair of quotes is an empty word
        {"x \"\" y", 2, "y"},
        {"x \"a\"b\" y", 1, "\"a\"b\" y"},        // three quotes: the rest is one quoted word
        {"", 0, ""},
        {nullptr, 0, ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.cmdLn ? r.cmdLn : "(null)") + " #" + std::to_string(r.n));
        EXPECT_STREQ(CmdLnWord(r.cmdLn, r.n).CStr(), r.word);
    }
}

TEST(PlanPrefill, FollowsTheWordPositions)
{
    const TStr user = UserName();
    struct Row
    {
        const char *cmdLn;
        bool setTarget;
        const char *target;
        bool focusMessage;
        int senderKind;
        const char *sender; // null: the user name
        bool setMessage;
        const char *message;
    } rows[] = {
        {"qzsendw", true, "", false, 0, "", false, ""},
        {"qzsendw PC1 Hello world", true, "PC1", true, 0, "", true, "Hello world"},
        {"qzsendw PC1", true, "PC1", true, 0, "", false, ""},
        // A sender option as word 1: no target; the rest is the message.
        {"qzsendw /FROM:Boss PC1 text", false, "", false, 2, "Boss", true, "PC1 text"},
        {"qzsendw PC1 /FROM:Boss /ESC:~ line1~nline2", true, "PC1", true, 2, "Boss", true, "line1\nline2"},
        {"qzsendw PC1 line1\\nline2", true, "PC1", true, 0, "", true, "line1\nline2"},
        {"qzsendw PC1 /ESC:~ a\\nb~tc", true, "PC1", true, 0, "", true, "a\\nb\tc"},
        {"qzsendw /LIST:c:\\names.txt hi", true, "list:c:\\names.txt", true, 0, "", true, "hi"},
        {"qzsendw -list: hi", true, "list:", false, 0, "", true, "hi"},
        {"qzsendw /DOMAIN:work hi", true, "work*", true, 0, "", true, "hi"},
        {"qzsendw PC1 \"/FROM:John Smith\" hi", true, "PC1", true, 2, "John Smith", true, "hi"},
        {"qzsendw PC1 /FROMUSER hi", true, "PC1", true, 1, nullptr, true, "hi"},
        {"qzsendw /FROMUSER /ESC:# a#nb", false, "", false, 1, nullptr, true, "a\nb"},
        // Options after the message has begun are words; the join stops at the first empty word.
        {"qzsendw PC1 hi /FROM:Boss", true, "PC1", true, 0, "", true, "hi /FROM:Boss"},
        {"qzsendw PC1 one \"\" two", true, "PC1", true, 0, "", true, "one"},
        {"qzsendw PC1 /FROM:Boss", true, "PC1", true, 2, "Boss", false, ""},
        {"qzsendw PC1 \"trailing   \"", true, "PC1", true, 0, "", true, "trailing"},
        {"qzsendw \"\" hi", true, "", false, 0, "", true, "hi"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.cmdLn);
        TPrefill plan;
        plan.message = "stale"; // every field is set afresh
        PlanPrefill(r.cmdLn, TStr("list:"), plan);
        EXPECT_EQ(plan.setTarget, r.setTarget);
        EXPECT_STREQ(plan.targetText.CStr(), r.target);
        EXPECT_EQ(plan.focusMessage, r.focusMessage);
        EXPECT_EQ(plan.senderKind, r.senderKind);
        EXPECT_STREQ(plan.senderText.CStr(), r.sender ? r.sender : user.CStr());
        EXPECT_EQ(plan.setMessage, r.setMessage);
        if (r.setMessage) {
            EXPECT_STREQ(plan.message.CStr(), r.message);
        }
    }
}

TEST(PlanPrefill, PutsTheLanguagesListPrefixBeforeAListFile)
{
    TPrefill plan;
    PlanPrefill("qzsendw /LIST:names.txt hi", TStr("список:"), plan);
    EXPECT_STREQ(plan.targetText.CStr(), "список:names.txt");
}

TEST(IsListTarget, ComparesThePrefixWithoutCaseAndTrimsTheFile)
{
    struct Row
    {
        const char *target;
        const char *prefix;
        bool list;
        const char *file;
    } rows[] = {
        {"list:names.txt", "list:", true, "names.txt"},
        {"LIST:names.txt", "list:", true, "names.txt"},
        {"list:  names.txt\t", "list:", true, "names.txt"},
        {"list:", "list:", true, ""},
        {"list", "list:", false, ""},
        {"mylist:names.txt", "list:", false, ""},
        {"PC1", "list:", false, ""},
        {"список:names.txt", "список:", true, "names.txt"},
        {"list:names.txt", "список:", false, ""}, // with the Russian prefix list: is a name
        {"PC1", "", false, ""},                   // a missing prefix resource matches nothing
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.target) + " / " + r.prefix);
        TStr file("untouched");
        EXPECT_EQ(IsListTarget(TStr(r.target), TStr(r.prefix), file), r.list);
        if (r.list) {
            EXPECT_STREQ(file.CStr(), r.file);
        }
    }
}

TEST(EditText, GivesLoneLineFeedsACarriageReturn)
{
    struct Row
    {
        const char *in, *out;
    } rows[] = {
        {"", ""},
        {"a", "a"},
        {"a\nb", "a\r\nb"},
        {"\na\n", "\r\na\r\n"},
        {"a\r\nb", "a\r\nb"},
        {"a\rb", "a\rb"},
        {"a\n\nb", "a\r\n\r\nb"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.in);
        EXPECT_STREQ(EditText(TStr(r.in)).CStr(), r.out);
    }
}

// The history in an array, searched without regard to case as the combo box does.
class TArrayHist : public THistList
{
public:
    std::vector<std::string> items;
    int selected = -1;

    int Count() override { return static_cast<int>(items.size()); }
    int FindExact(const TStr &text) override
    {
        for (size_t i = 0; i < items.size(); ++i)
            if (Compare(items[i].c_str(), text.CStr(), CmpNoCase).Value() == 0)
                return static_cast<int>(i);
        return -1;
    }
    void Delete(int index) override { items.erase(items.begin() + index); }
    void Insert(int index, const TStr &text) override { items.insert(items.begin() + index, text.CStr()); }
    void Select(int index) override { selected = index; }
};

TEST(HistAdd, KeepsTheNewestFirstWithoutDuplicatesAndAtMostTen)
{
    struct Row
    {
        const char *name;
        std::vector<std::string> before;
        const char *target;
        std::vector<std::string> after;
    } rows[] = {
        {"first entry", {}, "PC1", {"PC1"}},
        {"new target on top", {"PC1", "PC2"}, "PC3", {"PC3", "PC1", "PC2"}},
        {"same target moves up", {"PC1", "PC2", "PC3"}, "PC3", {"PC3", "PC1", "PC2"}},
        {"other case replaces", {"PC1", "pc2"}, "PC2", {"PC2", "PC1"}},
        {"eleventh drops oldest",
         {"t9", "t8", "t7", "t6", "t5", "t4", "t3", "t2", "t1", "t0"},
         "t10",
         {"t10", "t9", "t8", "t7", "t6", "t5", "t4", "t3", "t2", "t1"}},
        {"known one of ten keeps all",
         {"t9", "t8", "t7", "t6", "t5", "t4", "t3", "t2", "t1", "t0"},
         "T0",
         {"T0", "t9", "t8", "t7", "t6", "t5", "t4", "t3", "t2", "t1"}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TArrayHist hist;
        hist.items = r.before;
        HistAdd(hist, TStr(r.target));
        EXPECT_EQ(hist.items, r.after);
        EXPECT_EQ(hist.selected, 0);
    }
}

TEST(HistLoadEntry, AppendsStoredEntriesOnceAndSkipsGaps)
{
    struct Row
    {
        const char *name;
        std::vector<std::string> stored; // TargetName0, 1, ... ("" for a missing value)
        std::vector<std::string> shown;
    } rows[] = {
        {"in order", {"PC3", "PC2", "PC1"}, {"PC3", "PC2", "PC1"}},
        {"gaps close up", {"", "PC2", "", "PC1"}, {"PC2", "PC1"}},
        {"a target stored twice is shown once", {"PC1", "PC3", "pc3", "PC2", "PC3"}, {"PC1", "PC3", "PC2"}},
        {"nothing stored", {"", ""}, {}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TArrayHist hist;
        for (const std::string &text : r.stored)
            HistLoadEntry(hist, TStr(text.c_str()));
        EXPECT_EQ(hist.items, r.shown);
    }
}

} // namespace
