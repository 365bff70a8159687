// Text for the wire (line breaks, code pages, blocks cut at characters, names) and the
// configuration variables.
#include "FakeRecv.h"
#include "MsgrTestUtil.h"

#include <gtest/gtest.h>

TEST(MsgrText, MakesEveryLineBreakCrLf)
{
    struct Row
    {
        const char16_t *in;
        const char16_t *out;
    } rows[] = {
        {u"a\nb", u"a\r\nb"},       {u"a\r\nb", u"a\r\nb"},         {u"a\rb", u"a\r\nb"},
        {u"a\n\rb", u"a\r\nb"},     {u"a\n\nb", u"a\r\n\r\nb"},     {u"a\r\r", u"a\r\n\r\n"},
        {u"\r\n\r\n", u"\r\n\r\n"}, {u"\n\r\n", u"\r\n\r\n"},       {u"", u""},
        {u"no break", u"no break"},
    };
    for (const Row &r : rows) {
        TMsgrWStr in = W(r.in);
        SCOPED_TRACE(Hex(std::string(in.begin(), in.end())));
        EXPECT_TRUE(MsgrCrLf(in.data(), in.size()) == W(r.out));
    }
}

TEST(MsgrText, ConvertsToTheWireCodePage)
{
    struct Row
    {
        UINT cp;
        const char16_t *in;
        const char *hex;
        std::vector<size_t> cuts;
    } rows[] = {
        {866, u"Привет", "8fe0a8a2a5e2", {1, 2, 3, 4, 5, 6}},
        {866, u"Ёж€", "f0a63f", {1, 2, 3}}, // the euro sign has no place in CP866
        {850, u"Ä é", "8e2082", {1, 2, 3}},
        {65001, u"aé€", "61c3a9e282ac", {1, 3, 6}},
        {65001, u"x\U0001F600", "78f09f9880", {1, 5}}, // a surrogate pair is one character
        {850, u"", "", {}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.hex);
        std::string out;
        std::vector<size_t> cuts;
        ASSERT_EQ(MsgrToCp(r.cp, W(r.in), out, &cuts), 0u);
        EXPECT_EQ(Hex(out), r.hex);
        EXPECT_EQ(cuts, r.cuts);
    }
}

TEST(MsgrText, CutsBlocksOnlyBetweenCharacters)
{
    struct Row
    {
        const char *what;
        TMsgrWStr text;
        UINT cp;
        std::vector<size_t> sizes;
    } rows[] = {
        {"300 single bytes", TMsgrWStr(300, (WCHAR)'a'), 850, {128, 128, 44}},
        {"exactly one block", TMsgrWStr(128, (WCHAR)'a'), 850, {128}},
        {"one more", TMsgrWStr(129, (WCHAR)'a'), 850, {128, 1}},
        {"two-byte characters after one byte", W(u"a") + TMsgrWStr(100, (WCHAR)0xE9), 65001, {127, 74}},
        {"empty", TMsgrWStr(), 850, {}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        std::string out;
        std::vector<size_t> cuts;
        ASSERT_EQ(MsgrToCp(r.cp, r.text, out, &cuts), 0u);
        std::vector<std::string> blocks = MsgrCutBlocks(out, cuts, 128);
        std::vector<size_t> sizes;
        std::string joined;
        for (const std::string &b : blocks) {
            sizes.push_back(b.size());
            joined += b;
        }
        EXPECT_EQ(sizes, r.sizes);
        EXPECT_EQ(joined, out);
    }
}

TEST(MsgrText, MakesWireNames)
{
    struct Row
    {
        UINT cp;
        const char16_t *in;
        const char *hex;
    } rows[] = {
        {850, u"boss", "424f5353"},
        {866, u"ёлка", "f08b8a80"},        // upper case ЁЛКА in CP866
        {850, u"é x", "902058"},           // É in CP850
        {850, u"abcdefghijklmnopq", "4142434445464748494a4b4c4d4e4f"},
        {65001, u"ééééééééé", "c389c389c389c389c389c389c389"}, // cut at a character, 14 bytes
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.hex);
        std::string out;
        ASSERT_EQ(MsgrWireName(r.cp, W(r.in), out), 0u);
        EXPECT_EQ(Hex(out), r.hex);
    }
}

TEST(MsgrCfg, ParsesAddresses)
{
    struct Row
    {
        const char *in;
        std::vector<std::pair<unsigned, unsigned>> out;
    } rows[] = {
        {"127.0.0.1", {{0x7F000001, 0}}},
        {"127.0.0.1:1137, 10.1.2.255", {{0x7F000001, 1137}, {0x0A0102FF, 0}}},
        {"256.0.0.1,1.2.3,1.2.3.4.5,01.2.3.4,1.2.3.4:0,1.2.3.4:70000,1.2.3.4:x", {}},
        {"name.example,127.0.0.9", {{0x7F000009, 0}}},
        {"", {}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.in);
        std::vector<std::pair<unsigned, unsigned>> got;
        for (const TMsgrAddr &a : MsgrParseAddrs(r.in))
            got.push_back({a.ip, a.port});
        EXPECT_EQ(got, r.out);
    }
}

TEST(MsgrCfg, ReadsTheEnvironment)
{
    struct Row
    {
        const char *port, *wins, *bcast, *wg, *cp, *timeout, *dns;
        unsigned short wantPort;
        size_t wantWins, wantBcast;
        const char *wantWg;
        UINT wantCp;
        unsigned wantMs;
        bool wantDns;
    } rows[] = {
        {"1139", "127.0.0.5:1137", "127.0.0.1,127.0.0.2", "TESTGRP", "866", "0.25", "0", 1139, 1, 2, "TESTGRP", 866,
         250, false},
        {"x", "", "none", "", "CP850", "3", "on", 139, 0, 0, "WORKGROUP", 850, 3000, true},
        // Unusable values keep the defaults; an unusable broadcast list means no broadcasts.
        {"0", "bogus", "bogus", "", "cpx", "-1", "", 139, 0, 0, "WORKGROUP", MsgrDefCodePage(), 10000, true},
        {"65536", "1.2.3.4,5.6.7.8", "NONE", "", "0", "0", "off", 139, 1, 0, "WORKGROUP", MsgrDefCodePage(), 10000,
         false},
        // A code page that no conversion serves keeps the default.
        {"1", "", "none", "", "CP12345", "1.5", "no", 1, 0, 0, "WORKGROUP", MsgrDefCodePage(), 1500, false},
        {"2", "", "none", "", "65001", "", "", 2, 0, 0, "WORKGROUP", 65001, 10000, true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.port);
        FakeSetEnv("QZSEND_PORT", r.port);
        FakeSetEnv("QZSEND_WINS", r.wins);
        FakeSetEnv("QZSEND_BCAST", r.bcast);
        FakeSetEnv("QZSEND_WORKGROUP", r.wg);
        FakeSetEnv("QZSEND_CODEPAGE", r.cp);
        FakeSetEnv("QZSEND_TIMEOUT", r.timeout);
        FakeSetEnv("QZSEND_DNS", r.dns);
        TMsgrCfg cfg;
        MsgrLoadCfg(cfg);
        EXPECT_EQ(cfg.port, r.wantPort);
        EXPECT_EQ(cfg.wins.size(), r.wantWins);
        EXPECT_EQ(cfg.bcast.size(), r.wantBcast);
        EXPECT_EQ(cfg.workgroup, r.wantWg);
        EXPECT_EQ(cfg.codePage, r.wantCp);
        EXPECT_EQ(cfg.timeoutMs, r.wantMs);
        EXPECT_EQ(cfg.dns, r.wantDns);
    }
}
