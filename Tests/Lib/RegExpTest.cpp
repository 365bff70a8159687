// Regular-expression search: the dialect, the search shortcuts and the compile errors.
#include "Lib/BStr.h"
#include "Lib/RegExp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const unsigned NotFound = (unsigned)-1;

// Collects the messages of the error hook while a test runs.
std::vector<std::string> *hookMessages = nullptr;

void CollectMessage(const char *msg)
{
    if (hookMessages)
        hookMessages->push_back(msg);
}

class RegExpFixture : public testing::Test {
protected:
    std::vector<std::string> messages;
    TRegErrHook previous = nullptr;

    void SetUp() override
    {
        hookMessages = &messages;
        previous = SetRegErrHook(CollectMessage);
    }
    void TearDown() override
    {
        SetRegErrHook(previous);
        hookMessages = nullptr;
    }
};

TEST_F(RegExpFixture, FindsTheLeftmostMatch)
{
    struct TCase {
        const char *pattern;
        const char *text;
        unsigned start;
        unsigned want;
    };
    const TCase cases[] = {
        {"b+c", "aabbc", 0, 2},
        {"^b", "ab", 0, NotFound},
        {"^b", "ab", 1, 1},
        {"x|bc", "abc", 0, 1},
        {"[0-9]+$", "log17", 0, 3},
        {"a.c", "abc", 0, 0},
        {"A", "a", 0, NotFound},
        // Anchors: ^ only where the search started, $ only at the end, also mid-pattern.
        {"^c", "abc", 2, 2},
        {"c", "abcabc", 3, 5},
        {"$", "abc", 0, 3},
        {"b$", "abab", 0, 3},
        {"a^b", "ab", 0, NotFound},
        {"", "abc", 0, 0},
        {"", "abc", 3, 3},
        {"x*", "abc", 1, 1},
        // Bracket sets: members ] and - at the edges, negation, ranges in byte order.
        {"[]x]", "ab]", 0, 2},
        {"[-x]", "ab-", 0, 2},
        {"[x-]", "ab-", 0, 2},
        {"[^a-c]", "abcd", 0, 3},
        {"[^]]", "]]x", 0, 2},
        {"[a-a]", "ba", 0, 1},
        {"[\xe0-\xef]", "ab\xe9", 0, 2},
        {"[^\x01-\x7f]", "ab\xe9", 0, 2},
        {"[\\]", "a\\", 0, 1},
        // Escapes make special characters literal.
        {"\\.", "a.b", 0, 1},
        {"2\\*3", "22*3", 0, 1},
        {"\\(x\\)", "a(x)", 0, 1},
        // Repetition is greedy and backtracks.
        {"a.*b", "axxbyyb", 0, 0},
        {"a.*b$", "axxbyy", 0, NotFound},
        {"x?yz", "xxyz", 0, 1},
        {"ab?c", "xac", 0, 1},
        {"ab+c", "xac", 0, NotFound},
        {"b*d", "abbbc", 0, NotFound},
        {"b*c", "abbbc", 0, 1},
        {"b*c", "cbbbc", 0, 0},
        {"(ab)+c", "xababc", 0, 1},
        {"(ab)*c", "xababc", 0, 1},
        {"(a|ab)(c|bcd)d*$", "abcd", 0, 0},
        {"(x|y)?z", "az", 0, 1},
        {"to+(o|k)", "tooook", 0, 0},
        {"a|b|c", "xxc", 0, 2},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)", "xabcdefghi", 0, 1},
        // Log-style patterns: event codes and texts.
        {"^NS", "NS!", 0, 0},
        {"!$", "NS!", 0, 2},
        {"^(NS|TH)[A-Z]!?$", "THR", 0, 0},
        {"^(NS|TH)[A-Z]!?$", "THRX", 0, NotFound},
        // A start behind the text finds nothing.
        {"", "abc", 4, NotFound},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(std::string("pattern '") + c.pattern + "' text '" + c.text + "' start " +
                     std::to_string(c.start));
        TStr s(c.text);
        EXPECT_EQ(c.want, s.FindRegExp(c.pattern, c.start));
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RegExpFixture, CompileErrorsFailWithTheirMessage)
{
    struct TCase {
        std::string pattern;
        const char *message;
    };
    const TCase cases[] = {
        {"a**", "nested *?+"},
        {"a?+", "nested *?+"},
        {"(ab", "unmatched ()"},
        {"ab)", "unmatched ()"},
        {"a|b)", "unmatched ()"},
        {"[z-a]", "invalid [] range"},
        {"[abc", "unmatched []"},
        {"[]", "unmatched []"},
        {"ab\\", "trailing \\"},
        {"*a", "?+* follows nothing"},
        {"a|?", "?+* follows nothing"},
        {"(+a)", "?+* follows nothing"},
        {"(a*)*", "*+ operand could be empty"},
        {"()+", "*+ operand could be empty"},
        {"^*", "*+ operand could be empty"},
        {"(a|)+", "*+ operand could be empty"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "too many ()"},
        {std::string(40000, 'a'), "regexp too big"},
        // A literal of n characters compiles to n + 11 bytes (magic byte, branch, literal node
        // with its terminator, end): 32756 characters reach the limit of 32767 bytes.
        {std::string(32756, 'a'), "regexp too big"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.pattern.substr(0, 40));
        messages.clear();
        TStr s("a**(ab[z-a]*a()");
        EXPECT_EQ(NotFound, s.FindRegExp(c.pattern.c_str(), 0));
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ(c.message, messages[0]);
    }
}

TEST_F(RegExpFixture, MissingArguments)
{
    EXPECT_EQ(NotFound, RegSearch(nullptr, "abc"));
    EXPECT_EQ(NotFound, RegSearch("a", nullptr));
    EXPECT_EQ((std::vector<std::string>{"NULL argument", "NULL parameter"}), messages);
    TStr s("abc");
    EXPECT_EQ(NotFound, s.FindRegExp(nullptr, 0));
}

// Optional operands and a programme one byte below the size limit still compile.
TEST_F(RegExpFixture, LargestPatternsAndOptionalEmptyOperands)
{
    std::string big(32755, 'a');
    EXPECT_EQ(1u, RegSearch(big.c_str(), ("b" + big).c_str()));
    EXPECT_EQ(0u, RegSearch("(a*)?b", "b"));
    EXPECT_EQ(0u, RegSearch("()", "b"));
    EXPECT_TRUE(messages.empty());
}

// A repeated group recurses once per repetition; a text long enough to exhaust the stack
// ends the search without a match instead.
TEST_F(RegExpFixture, DeepRepetitionFailsInsteadOfOverflowing)
{
    std::string shortText, longText;
    for (int i = 0; i < 200; ++i)
        shortText += "ab";
    for (int i = 0; i < 100000; ++i)
        longText += "ab";
    EXPECT_EQ(0u, RegSearch("(ab)*c", (shortText + "c").c_str()));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(NotFound, RegSearch("(ab)*c", (longText + "c").c_str()));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ("recursion too deep", messages[0]);
    // Simple operands repeat without recursion, whatever the length.
    messages.clear();
    EXPECT_EQ(0u, RegSearch("(a|b)[ab]*c$", (longText + "c").c_str()));
    EXPECT_TRUE(messages.empty());
}

} // namespace
