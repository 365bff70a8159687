// The command-line parsers: option recognition at fixed positions, unquoting, the message
// words, and the escape expansion.
#include "Con/CmdLn.h"
#include "Sys/Mdl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct ArgsCase
{
    std::vector<const char *> args; // after the program name
    const char *target;
    int targetKind;
    const char *sender; // nullptr: the process user's name
    int senderKind;
    const char *esc;
    const char *msg; // joined words, before expansion
};

TEST(CmdLn, PositionsOfTheConsoleProgram)
{
    const ArgsCase cases[] = {
        {{"pc1", "hello", "world"}, "pc1", TgtName, "", SndNone, "\\", "hello world"},
        {{"pc1", "/from:boss", "hi"}, "pc1", TgtName, "boss", SndText, "\\", "hi"},
        {{"pc1", "-FROM:boss", "hi"}, "pc1", TgtName, "boss", SndText, "\\", "hi"},
        {{"pc1", "hi", "/FROM:boss"}, "pc1", TgtName, "", SndNone, "\\", "hi /FROM:boss"},
        {{"pc1", "/ESC:#", "/FROM:boss", "hi"}, "pc1", TgtName, "", SndNone, "#", "/FROM:boss hi"},
        {{"pc1", "/FROM:boss", "/ESC:#", "a#nb"}, "pc1", TgtName, "boss", SndText, "#", "a#nb"},
        {{"pc1", "/FROM:boss"}, "pc1", TgtName, "boss", SndText, "\\", ""},
        {{"pc1", "/FROM:\"the boss\"", "x"}, "pc1", TgtName, "the boss", SndText, "\\", "x"},
        {{"pc1", "/FROMUSERX", "x"}, "pc1", TgtName, nullptr, SndUser, "\\", "x"},
        {{"pc1", "-fromuser", "-esc:", "x"}, "pc1", TgtName, nullptr, SndUser, "", "x"},
        {{"pc1", "/FROM", "x"}, "pc1", TgtName, "", SndNone, "\\", "/FROM x"},
        {{"pc1", "/ESC:\"#\"", "x"}, "pc1", TgtName, "", SndNone, "\"#\"", "x"},
        {{"/DOMAIN:", "hi"}, "*", TgtName, "", SndNone, "\\", "hi"},
        {{"/domain:work", "hi"}, "work*", TgtName, "", SndNone, "\\", "hi"},
        {{"/DOMAIN", "hi"}, "/DOMAIN", TgtName, "", SndNone, "\\", "hi"},
        {{"/DOMAINX", "hi"}, "/DOMAINX", TgtName, "", SndNone, "\\", "hi"},
        {{"/LIST:names.txt", "hi"}, "names.txt", TgtList, "", SndNone, "\\", "hi"},
        {{"-list:names.txt", "hi"}, "names.txt", TgtList, "", SndNone, "\\", "hi"},
        {{"/LIST:", "hi"}, "", TgtList, "", SndNone, "\\", "hi"},
        {{"/LIST:\"my list.txt\"", "hi"}, "my list.txt", TgtList, "", SndNone, "\\", "hi"},
        {{"\"pc1\"", "hi"}, "pc1", TgtName, "", SndNone, "\\", "hi"},
        {{"\"a\"b\"", "hi"}, "\"a\"b\"", TgtName, "", SndNone, "\\", "hi"},
        {{"\"\"", "hi"}, "", TgtName, "", SndNone, "\\", "hi"},
        {{"pc1", "", "hi"}, "pc1", TgtName, "", SndNone, "\\", " hi"},
    };
    TStr user = UserName();
    for (const ArgsCase &c : cases)
    {
        std::vector<const char *> argv{"qzsend"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string trace;
        for (const char *a : c.args)
            trace += std::string("[") + a + "] ";
        SCOPED_TRACE(trace);
        TConArgs a;
        ASSERT_TRUE(ParseConArgs((int)argv.size(), argv.data(), a));
        EXPECT_STREQ(c.target, a.target.CStr());
        EXPECT_EQ(c.targetKind, a.targetKind);
        EXPECT_STREQ(c.sender ? c.sender : user.CStr(), a.sender.CStr());
        EXPECT_EQ(c.senderKind, a.senderKind);
        EXPECT_STREQ(c.esc, a.esc.CStr());
        EXPECT_STREQ(c.msg, a.msg.CStr());
        EXPECT_EQ(strlen(c.msg), a.msg.Length());
    }
}

TEST(CmdLn, TooFewArgumentsAreNotParsed)
{
    const char *one[] = {"qzsend", "pc1"};
    const char *none[] = {"qzsend"};
    TConArgs a;
    EXPECT_FALSE(ParseConArgs(2, one, a));
    EXPECT_FALSE(ParseConArgs(1, none, a));
    EXPECT_STREQ("", a.target.CStr());
}

TEST(CmdLn, IsOptionNeedsPrefixAndWholeName)
{
    const struct
    {
        const char *opt, *arg;
        bool is;
    } cases[] = {
        {OptList, "/LIST:x", true},     {OptList, "-list:", true},     {OptList, "/LIST", false},
        {OptList, "LIST:x", false},     {OptList, "\\LIST:x", false},  {OptList, "/LISTx", false},
        {OptFromUser, "/FromUser", true}, {OptFromUser, "/FROMUSE", false}, {OptFrom, "/FROMUSER", false},
        {OptEsc, "-Esc:##", true},      {OptEsc, "", false},           {OptDomain, "/D", false},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(std::string(c.opt) + " in " + c.arg);
        EXPECT_EQ(c.is, IsOption(c.opt, TStr(c.arg)));
    }
}

TEST(CmdLn, ParsersLeaveUnmatchedValuesAlone)
{
    TStr sender("keep"), esc("\\");
    EXPECT_EQ(SndNone, ParseSender(sender, TStr("word")));
    EXPECT_STREQ("keep", sender.CStr());
    EXPECT_FALSE(ParseEsc(esc, TStr("/ESC")));
    EXPECT_STREQ("\\", esc.CStr());
}

TEST(CmdLn, ExpandEscapes)
{
    const struct
    {
        const char *msg, *esc, *out;
    } cases[] = {
        {"a\\nb", "\\", "a\nb"},
        {"a\\Nb", "\\", "a\nb"},
        {"\\t|\\r|\\T|\\R", "\\", "\t|\r|\t|\r"},
        {"\\\\n", "\\", "\\\n"},
        {"\\x\\", "\\", "\\x\\"},
        {"Disk\\nfull", "\\", "Disk\nfull"},
        {"print it", "", "p\ri\n\t i\t"},
        {"a##nb", "##", "a\nb"},
        {"a#nb", "##", "a#nb"},
        {"axNbXt", "X", "a\nb\t"},
        {"\\\\nn", "\\", "\\\nn"},
        {"no escapes", "\\", "no escapes"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(std::string(c.msg) + " with [" + c.esc + "]");
        TStr msg(c.msg);
        EXPECT_TRUE(ExpandEscapes(msg, TStr(c.esc)));
        EXPECT_STREQ(c.out, msg.CStr());
        EXPECT_EQ(strlen(c.out), msg.Length());
    }
    TStr empty;
    EXPECT_FALSE(ExpandEscapes(empty, TStr("\\")));
}

} // namespace
