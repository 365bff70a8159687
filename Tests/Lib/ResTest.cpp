// TRes, ErrorText and the registry of the library's own codes.
#include "Lib/Res.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A known system code has a text; which words it has depends on the system (Wine's texts
// differ from ours), so only its shape is checked.
void ExpectSystemText(const TStr &text)
{
    ASSERT_GT(text.Length(), 0u);
    char last = text.CStr()[text.Length() - 1];
    EXPECT_NE(last, '\n');
    EXPECT_NE(last, '\r');
}

TEST(ResTest, DefaultIsSuccess)
{
    TRes res;
    EXPECT_EQ(res.Code(), 0u);
    EXPECT_EQ(res.Severity(), 0u);
    EXPECT_TRUE(res.IsOk());
    EXPECT_FALSE(res.IsError());
    EXPECT_STREQ(res.Context().CStr(), "");
}

TEST(ResTest, SetKeepsCodeSeverityAndText)
{
    struct Case {
        unsigned code, severity;
        bool viaFullSet;
        unsigned expectCode, expectSeverity;
        bool ok;
    } cases[] = {
        {87, 0, false, 87, 3, false},
        {87, 2, true, 87, 2, true},
        {87, 1, true, 87, 1, true},
        {0, 3, true, 0, 0, true},
        {0, 0, false, 0, 0, true},
        {2, 7, true, 2, 0, true},
        {0xC0000005u, 3, true, 5, 3, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " sev " + std::to_string(c.severity));
        TRes res;
        if (c.viaFullSet)
            res.Set(c.code, "", c.severity);
        else
            res.Set(c.code);
        EXPECT_EQ(res.Code(), c.expectCode);
        EXPECT_EQ(res.Severity(), c.expectSeverity);
        EXPECT_EQ(res.IsOk(), c.ok);
        EXPECT_EQ(res.IsError(), !c.ok);
    }

    TRes err(87);
    EXPECT_TRUE(err.IsError());
    ExpectSystemText(err.Text());
    EXPECT_STREQ(err.Text().CStr(), ErrorText(87).CStr());

    err.SetSeverity(1);
    EXPECT_TRUE(err.IsOk());
    EXPECT_EQ(err.Code(), 87u);
    err.SetSeverity(2);
    EXPECT_TRUE(err.IsOk());
    err.SetSeverity(5);
    EXPECT_EQ(err.Severity(), 0u);
    EXPECT_EQ(err.Code(), 87u);

    TRes withContext(5, "ctx", 2);
    EXPECT_STREQ(withContext.Context().CStr(), "ctx");
    EXPECT_EQ(withContext.Severity(), 2u);
}

TEST(ResTest, SystemTexts)
{
    for (unsigned code : {0u, 2u, 5u, 87u, 1460u}) {
        SCOPED_TRACE(code);
        ExpectSystemText(ErrorText(code));
    }
    // A code that no system knows has no text.
    EXPECT_STREQ(ErrorText(0x1FFFFFF0u).CStr(), "");
    EXPECT_STREQ(ErrorText(9997u).CStr(), "");
}

// The registry is process-wide and other modules of the library may have registered their
// texts while the program started; codes are handed out without gaps, so the next free code is
// the first one without a text.
unsigned NextFreeCode()
{
    unsigned code = 0x20000001u;
    while (ErrorText(code).Length() != 0)
        ++code;
    return code;
}

TEST(ResTest, RegisteredCodes)
{
    unsigned next = NextFreeCode();
    EXPECT_STREQ(ErrorText(next).CStr(), "");
    unsigned first = RegisterErrCode("First registered text");
    EXPECT_EQ(first, next);
    unsigned second = RegisterErrCode("Second registered text");
    EXPECT_EQ(second, next + 1);
    EXPECT_EQ(RegisterErrCode("First registered text"), first);
    EXPECT_EQ(RegisterErrCode("first registered text"), next + 2) << "texts are compared with case";

    struct Case {
        unsigned code;
        const char *text;
    } cases[] = {
        {next, "First registered text"},
        {next + 1, "Second registered text"},
        {next + 2, "first registered text"},
        {next + 3, ""},
        {0x3FFFFFFFu, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_STREQ(ErrorText(c.code).CStr(), c.text);
    }

    TRes res(second);
    EXPECT_EQ(res.Code(), second);
    EXPECT_STREQ(res.Text().CStr(), "Second registered text");
    EXPECT_TRUE(res.IsError());
}

} // namespace
