// The transport's packets byte for byte, and the parsing of what receivers and name servers
// answer, including answers that are malformed.
#include "MsgrTestUtil.h"

#include <gtest/gtest.h>

TEST(MsgrWire, EncodesNetBiosNames)
{
    struct Row
    {
        const char *name;
        unsigned char suffix;
        const char *encoded;
    } rows[] = {
        {"RECV1", 0x03, "FCEFEDFGDBCACACACACACACACACACAAD"},
        {"SENDER", 0x00, "FDEFEOEEEFFCCACACACACACACACACAAA"},
        {"", 0x00, "CACACACACACACACACACACACACACACAAA"},
        // A name of more than 15 bytes keeps its first 15; the suffix stays the 16th byte.
        {"ABCDEFGHIJKLMNOPQ", 0x03, "EBECEDEEEFEGEHEIEJEKELEMENEOEPAD"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        TMsgrBytes got;
        NbEncName(got, r.name, r.suffix);
        TMsgrBytes want = {0x20};
        want.insert(want.end(), r.encoded, r.encoded + 32);
        want.push_back(0x00);
        EXPECT_EQ(Hex(got), Hex(want));
    }
}

TEST(MsgrWire, BuildsSessionRequestAndMessageCommands)
{
    struct Row
    {
        const char *what;
        TMsgrBytes got;
        const char *want;
    } rows[] = {
        {"session request", NbSessReq("RECV1", "SENDER"),
         "81000044 20 4643454645444647444243414341434143414341434143414341434143414144 00"
         " 20 46444546454f4545454646434341434143414341434143414341434143414141 00"},
        {"start", SmbMsgStart("BOSS", "RECV1"),
         "00000030 ff534d42d5 00000000 00 0000 0000 0000000000000000 0000 0000 0000 0000 0000 00 0d00"
         " 04 424f5353 00 04 5245435631 00"},
        {"text", SmbMsgText(0x0102, "Hi"),
         "0000002a ff534d42d7 00000000 00 0000 0000 0000000000000000 0000 0000 0000 0000 0000 01 0201 0500"
         " 01 0200 4869"},
        {"end", SmbMsgEnd(0x0102),
         "00000025 ff534d42d6 00000000 00 0000 0000 0000000000000000 0000 0000 0000 0000 0000 01 0201 0000"},
        {"empty block", SmbMsgText(0, ""),
         "00000028 ff534d42d7 00000000 00 0000 0000 0000000000000000 0000 0000 0000 0000 0000 01 0000 0300"
         " 01 0000"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(Hex(r.got), Hex(Bytes(r.want)));
    }
}

TEST(MsgrWire, ChecksReplies)
{
    // A reply: header with command, DOS status (class, code), flags2, then words and bytes.
    auto reply = [](unsigned char cmd, unsigned char cls, unsigned code, unsigned flags2, TMsgrBytes tail) {
        TMsgrBytes p = {0xFF, 'S', 'M', 'B', cmd, cls, 0, (unsigned char)code, (unsigned char)(code >> 8), 0x80,
                        (unsigned char)flags2, (unsigned char)(flags2 >> 8)};
        p.resize(32, 0);
        p.insert(p.end(), tail.begin(), tail.end());
        return p;
    };
    struct Row
    {
        const char *what;
        TMsgrBytes pkt;
        DWORD rc;
        unsigned group;
    } rows[] = {
        {"no words (Samba)", reply(0xD5, 0, 0, 0, {0, 0, 0}), 0, 0},
        {"group id", reply(0xD5, 0, 0, 0, {1, 0x02, 0x03, 0, 0}), 0, 0x0302},
        {"paused", reply(0xD5, 2, 81, 0, {0, 0, 0}), 2281, 0},
        {"not receiving", reply(0xD5, 2, 82, 0, {0, 0, 0}), 2282, 0},
        {"no room", reply(0xD5, 2, 83, 0, {0, 0, 0}), 2282, 0},
        {"no message service", reply(0xD5, 1, 71, 0, {0, 0, 0}), 2282, 0},
        {"other DOS error", reply(0xD5, 1, 87, 0, {0, 0, 0}), 2136, 0},
        {"NT status failure", reply(0xD5, 0x22, 0xC000, 0x4000, {0, 0, 0}), 2136, 0},
        {"wrong command", reply(0xD7, 0, 0, 0, {0, 0, 0}), 2136, 0},
        {"not marked as a reply", [&] {
             TMsgrBytes p = reply(0xD5, 0, 0, 0, {0, 0, 0});
             p[9] = 0;
             return p;
         }(),
         2136, 0},
        {"cut before byte count", reply(0xD5, 0, 0, 0, {1, 2, 3}), 2136, 0},
        {"byte count beyond end", reply(0xD5, 0, 0, 0, {0, 5, 0, 1}), 2136, 0},
        {"too short", TMsgrBytes(20, 0), 2136, 0},
        {"not SMB", Bytes("fe534d42d5000000000000000000000000000000000000000000000000000000000000"), 2136, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        unsigned short group = 0xFFFF;
        EXPECT_EQ(SmbCheckReply(r.pkt, 0xD5, &group), r.rc);
        if (r.rc == 0) {
            EXPECT_EQ(group, r.group);
        }
    }
}

TEST(MsgrWire, BuildsNameQueries)
{
    const char *name = " 20 4643454645444647444243414341434143414341434143414341434143414144 00";
    EXPECT_EQ(Hex(NbNameQuery(0x1234, "RECV1", 0x03, true)),
              Hex(Bytes(std::string("1234 0110 0001 0000 0000 0000") + name + " 0020 0001")));
    EXPECT_EQ(Hex(NbNameQuery(0xBEEF, "RECV1", 0x03, false)),
              Hex(Bytes(std::string("beef 0100 0001 0000 0000 0000") + name + " 0020 0001")));
    EXPECT_EQ(Hex(NbNodeStatusReq(0x0007)),
              Hex(Bytes("0007 0000 0001 0000 0000 0000 20 434b414141414141414141414141414141414141414141414141414141414141"
                        " 00 0021 0001")));
}

TEST(MsgrWire, ParsesNameAnswers)
{
    const std::string q = " 20 4643454645444647444243414341434143414341434143414341434143414144 00 0020 0001 00000000";
    struct Row
    {
        const char *what;
        std::string hex;
        DWORD rc;
        unsigned ip;
    } rows[] = {
        {"positive", "1234 8500 0000 0001 0000 0000" + q + " 0006 0000 0a000102", 0, 0x0A000102},
        {"from a server, two addresses", "1234 8580 0000 0001 0000 0000" + q + " 000c 0000 c0a80001 0000 c0a80002",
         0, 0xC0A80001},
        {"negative", "1234 8583 0000 0000 0000 0000", 2273, 0},
        {"another transaction", "1235 8500 0000 0001 0000 0000" + q + " 0006 0000 0a000102", 2136, 0},
        {"a query, not an answer", "1234 0110 0001 0000 0000 0000" + q, 2136, 0},
        {"address cut off", "1234 8500 0000 0001 0000 0000" + q + " 0006 0000 0a00", 2136, 0},
        {"header only", "1234 8500", 2136, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        TMsgrBytes b = Bytes(r.hex);
        unsigned ip = 0;
        EXPECT_EQ(NbParseNameResp(b.data(), b.size(), 0x1234, &ip), r.rc);
        if (r.rc == 0) {
            EXPECT_EQ(ip, r.ip);
        }
    }
}

TEST(MsgrWire, PicksTheMessengerNameFromNodeStatus)
{
    // Entries: 15 name bytes, suffix, flags (0x8000 = group).
    auto status = [](std::vector<std::pair<std::string, unsigned>> entries) {
        TMsgrBytes b = Bytes("0007 8400 0000 0001 0000 0000 20 434b414141414141414141414141414141414141414141414141414141414141"
                             " 00 0021 0001 00000000");
        size_t len = 1 + 18 * entries.size();
        b.push_back((unsigned char)(len >> 8));
        b.push_back((unsigned char)len);
        b.push_back((unsigned char)entries.size());
        for (auto &e : entries) {
            std::string nm = e.first.substr(0, e.first.size() - 1);
            nm.resize(15, ' ');
            b.insert(b.end(), nm.begin(), nm.end());
            b.push_back((unsigned char)e.first.back());
            b.push_back((unsigned char)(e.second >> 8));
            b.push_back((unsigned char)e.second);
        }
        return b;
    };
    struct Row
    {
        const char *what;
        TMsgrBytes pkt;
        const char *name; // null: none
    } rows[] = {
        {"messenger name first",
         status({{std::string("TESTGRP\x00", 8), 0x8400}, {std::string("RECV1\x00", 6), 0x0400}, {"RECV1\x03", 0x0400},
                 {"USER\x03", 0x0400}}),
         "RECV1"},
        {"workstation name only", status({{std::string("TESTGRP\x00", 8), 0x8400}, {std::string("PC7\x00", 4), 0x0400}}),
         "PC7"},
        {"group names only", status({{std::string("TESTGRP\x00", 8), 0x8400}, {"TESTGRP\x03", 0x8400}}), nullptr},
        {"count beyond the data", [&] {
             TMsgrBytes b = status({{"RECV1\x03", 0x0400}});
             b[b.size() - 19] = 5;
             return b;
         }(),
         nullptr},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        std::string name;
        bool ok = NbParseNodeStatus(r.pkt.data(), r.pkt.size(), 0x0007, name);
        EXPECT_EQ(ok, r.name != nullptr);
        if (ok && r.name) {
            EXPECT_EQ(name, r.name);
        }
    }
}

TEST(MsgrWire, BuildsTheBroadcastDatagram)
{
    const std::string data("A\0B\0hi\0", 7);
    EXPECT_EQ(Hex(MsDgram(0x0042, 0x7F000001, "SENDER", "TESTGRP", data)),
              Hex(Bytes("11 02 0042 7f000001 008a 00a2 0000"
                        " 20 46444546454f4545454646434341434143414341434143414341434143414141 00"
                        " 20 4645454646444645454846434641434143414341434143414341434143414141 00"
                        // SMB header: transaction, flags 0x18, flags2 0x0004
                        " ff534d4225 00000000 18 0400 0000 0000000000000000 0000 0000 0000 0000 0000"
                        // 17 words: counts, flags 2 (no response), timeout, data count 7 at offset 87,
                        // setup count 3: write, priority 1, class 2
                        " 11 0000 0700 0000 0000 00 00 0200 00000000 0000 0000 0000 0700 5700 03 00 0100 0100 0200"
                        " 1900 5c4d41494c534c4f545c4d4553534e475200 41004200686900")));
}

TEST(MsgrWire, CutsMailslotDataToFit)
{
    struct Row
    {
        size_t textLen;
        bool cut;
        size_t size;
    } rows[] = {{10, false, 4 + 1 + 7 + 1 + 10 + 1}, {410, false, 424}, {411, true, 424}, {600, true, 424}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.textLen);
        std::string text(r.textLen, 'x');
        std::vector<size_t> cuts;
        for (size_t i = 1; i <= text.size(); ++i)
            cuts.push_back(i);
        bool cut = !r.cut;
        std::string d = MsMailData("BOSS", "TESTGRP", text, cuts, 424, &cut);
        EXPECT_EQ(cut, r.cut);
        EXPECT_EQ(d.size(), r.size);
        EXPECT_EQ(d.substr(0, 13), std::string("BOSS\0TESTGRP\0", 13));
        EXPECT_EQ(d.back(), '\0');
    }
}
