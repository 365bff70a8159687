// The three messaging calls against the fake receiver and name service on loopback: the exact
// bytes of a conversation, names, originators, aliases, every failure a receiver can cause,
// domain broadcasts and many sends at once. Nothing leaves 127.0.0.1.
#include "FakeRecv.h"
#include "MsgrTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

const char *const RecvName = " 20 4643454645444647444243414341434143414341434143414341434143414144 00";
const char *const SmbZeros = " 00000000 00 0000 0000 0000000000000000 0000 0000 0000 0000 0000 ";

std::string Num(unsigned v) { return std::to_string(v); }

class MsgrSend : public testing::Test
{
protected:
    TFakeRecv recv;
    TFakeNbns nbns;
    long socks0 = 0;
    size_t aliases0 = 0;

    void SetUp() override
    {
        ASSERT_NE(recv.Port(), 0);
        ASSERT_NE(nbns.Port(), 0);
        FakeSetEnv("QZSEND_PORT", Num(recv.Port()).c_str());
        FakeSetEnv("QZSEND_WINS", ("127.0.0.1:" + Num(nbns.Port())).c_str());
        FakeSetEnv("QZSEND_BCAST", "none");
        FakeSetEnv("QZSEND_DNS", "0");
        FakeSetEnv("QZSEND_CODEPAGE", "850");
        FakeSetEnv("QZSEND_TIMEOUT", "5");
        FakeSetEnv("QZSEND_WORKGROUP", "TESTGRP");
        nbns.Answer("RECV1", 0x7F000001);
        socks0 = MsgrOpenSocks();
        aliases0 = MsgrAliasCount();
    }

    void TearDown() override
    {
        EXPECT_EQ(MsgrOpenSocks(), socks0) << "a socket was left open";
        EXPECT_EQ(MsgrAliasCount(), aliases0) << "an alias was left registered";
    }

    static DWORD Send(const char16_t *to, const char16_t *from, const TMsgrWStr &text)
    {
        TMsgrWStr t = W(to), f = from ? W(from) : TMsgrWStr();
        return NetMessageBufferSend(nullptr, t.c_str(), from ? f.c_str() : nullptr, (LPBYTE)text.data(),
                                    (DWORD)(text.size() * 2));
    }

    // Registers an alias for the length of a send, as the engine does.
    static DWORD SendAs(const char16_t *to, const char16_t *alias, const TMsgrWStr &text)
    {
        TMsgrWStr a = W(alias);
        EXPECT_EQ(NetMessageNameAdd(nullptr, a.c_str()), 0u);
        DWORD rc = Send(to, alias, text);
        EXPECT_EQ(NetMessageNameDel(nullptr, a.c_str()), 0u);
        return rc;
    }
};

TEST_F(MsgrSend, ShortMessageExactBytes)
{
    ASSERT_EQ(SendAs(u"RECV1", u"boss", W(u"Hi")), 0u);
    ASSERT_EQ(recv.WaitConvs(1, 10000), 1u);
    TMsgrBytes conv = recv.Convs()[0];
    ASSERT_GE(conv.size(), 72u);
    EXPECT_EQ(Hex(TMsgrBytes(conv.begin(), conv.begin() + 38)), Hex(Bytes(std::string("81000044") + RecvName)));
    EXPECT_EQ(Hex(TMsgrBytes(conv.begin() + 72, conv.end())),
              Hex(Bytes(std::string("00000030 ff534d42d5") + SmbZeros + "00 0d00 04 424f5353 00 04 5245435631 00" +
                        "0000002a ff534d42d7" + SmbZeros + "01 0201 0500 01 0200 4869" + "00000025 ff534d42d6" +
                        SmbZeros + "01 0201 0000")));
    std::string calling;
    unsigned char suffix = 0xFF;
    ASSERT_TRUE(TFakeRecv::DecodeName(&conv[38], 34, calling, suffix));
    EXPECT_EQ(calling, OwnName());
    EXPECT_EQ(suffix, 0x00);
}

TEST_F(MsgrSend, LongMessageExactBytes)
{
    recv.SetGroup(-1); // answers "start" without a group id, as Samba does: the blocks use 0
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "0123456789";
    ASSERT_EQ(Send(u"RECV1", nullptr, TMsgrWStr(text.begin(), text.end())), 0u);
    ASSERT_EQ(recv.WaitConvs(1, 10000), 1u);
    TMsgrBytes conv = recv.Convs()[0];
    ASSERT_GE(conv.size(), 72u);
    const std::string own = OwnName();
    std::vector<TMsgrBytes> pk = TFakeRecv::Packets(TMsgrBytes(conv.begin() + 72, conv.end()));
    ASSERT_EQ(pk.size(), 5u);
    EXPECT_EQ(Hex(pk[1]), Hex(Bytes(std::string("000000a8 ff534d42d7") + SmbZeros + "01 0000 8300 01 8000")) +
                              Hex(text.substr(0, 128)));
    EXPECT_EQ(Hex(pk[2]), Hex(Bytes(std::string("000000a8 ff534d42d7") + SmbZeros + "01 0000 8300 01 8000")) +
                              Hex(text.substr(128, 128)));
    EXPECT_EQ(Hex(pk[3]), Hex(Bytes(std::string("00000054 ff534d42d7") + SmbZeros + "01 0000 2f00 01 2c00")) +
                              Hex(text.substr(256)));
    EXPECT_EQ(Hex(pk[4]), Hex(Bytes(std::string("00000025 ff534d42d6") + SmbZeros + "01 0000 0000")));
    TFakeMsg m;
    ASSERT_TRUE(TFakeRecv::Decode(conv, m));
    EXPECT_EQ(m.from, own);
    EXPECT_EQ(m.to, "RECV1");
}

TEST_F(MsgrSend, DeliversWhatReceiversExpect)
{
    struct Row
    {
        const char *what;
        const char16_t *to;
        const char16_t *alias;
        const char *cp;
        const char16_t *text;
        const char *called;
        const char *from; // null: the computer name
        const char *textHex;
        size_t blocks;
    } rows[] = {
        {"line breaks", u"RECV1", u"boss", "850", u"one\ntwo\rthree\r\n", "RECV1", "BOSS",
         "6f6e650d0a74776f0d0a74687265650d0a", 1},
        {"Cyrillic in CP866", u"recv1", u"Вася", "866", u"Привет", "RECV1", "\x82\x80\x91\x9f", "8fe0a8a2a5e2", 1},
        {"empty text", u"RECV1", nullptr, "850", u"", "RECV1", nullptr, "", 0},
        {"an address is called by its text", u"127.0.0.1", nullptr, "850", u"ip", "127.0.0.1", nullptr, "6970", 1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        FakeSetEnv("QZSEND_CODEPAGE", r.cp);
        TFakeRecv one;
        FakeSetEnv("QZSEND_PORT", Num(one.Port()).c_str());
        const long socks = MsgrOpenSocks();
        DWORD rc = r.alias ? SendAs(r.to, r.alias, W(r.text)) : Send(r.to, nullptr, W(r.text));
        ASSERT_EQ(rc, 0u);
        EXPECT_EQ(MsgrOpenSocks(), socks);
        ASSERT_EQ(one.WaitConvs(1, 10000), 1u);
        TFakeMsg m;
        ASSERT_TRUE(TFakeRecv::Decode(one.Convs()[0], m));
        EXPECT_EQ(m.called, r.called);
        EXPECT_EQ(m.to, r.called);
        EXPECT_EQ(m.calling, OwnName());
        EXPECT_EQ(m.from, r.from ? std::string(r.from) : OwnName());
        EXPECT_EQ(Hex(m.text), r.textHex);
        EXPECT_EQ(m.blocks, r.blocks);
    }
}

TEST_F(MsgrSend, OriginatorIsARegisteredAliasElseTheComputer)
{
    struct Row
    {
        const char16_t *registered; // null: none
        const char16_t *from;       // null: none
        const char *want;           // null: the computer name
    } rows[] = {
        {u"boss", u"boss", "BOSS"},
        {u"Boss", u"BOSS", "BOSS"}, // aliases compare case-blind
        {nullptr, u"nobody", nullptr},
        {nullptr, nullptr, nullptr},
        {u"boss", u"", nullptr},
    };
    size_t n = 0;
    for (const Row &r : rows) {
        SCOPED_TRACE(n);
        TMsgrWStr reg = r.registered ? W(r.registered) : TMsgrWStr();
        if (r.registered) {
            ASSERT_EQ(NetMessageNameAdd(nullptr, reg.c_str()), 0u);
        }
        EXPECT_EQ(Send(u"RECV1", r.from, W(u"x")), 0u);
        if (r.registered) {
            EXPECT_EQ(NetMessageNameDel(nullptr, reg.c_str()), 0u);
        }
        ASSERT_EQ(recv.WaitConvs(++n, 10000), n);
        TFakeMsg m;
        ASSERT_TRUE(TFakeRecv::Decode(recv.Convs()[n - 1], m));
        EXPECT_EQ(m.from, r.want ? std::string(r.want) : OwnName());
    }
}

TEST_F(MsgrSend, KeepsTheAliasTable)
{
    const std::string own = OwnName();
    TMsgrWStr ownW(own.begin(), own.end());
    TMsgrWStr local = W(u"\\\\") + ownW;
    TMsgrWStr other = W(u"\\\\OTHERPC");
    struct Row
    {
        const char *what;
        bool add;
        const WCHAR *server;
        TMsgrWStr name;
        bool nullName;
        DWORD rc;
    } rows[] = {
        {"add", true, nullptr, W(u"boss"), false, 0},
        {"add again, other case", true, nullptr, W(u"BOSS"), false, 2276},
        {"add on the local computer by name", true, local.c_str(), W(u"boss2"), false, 0},
        {"add on another computer", true, other.c_str(), W(u"boss3"), false, 50},
        {"add empty", true, nullptr, W(u""), false, 87},
        {"add 16 characters", true, nullptr, W(u"ABCDEFGHIJKLMNOP"), false, 87},
        {"add none", true, nullptr, TMsgrWStr(), true, 87},
        {"delete, other case", false, nullptr, W(u"Boss"), false, 0},
        {"delete again", false, nullptr, W(u"boss"), false, 2285},
        {"delete by the local name", false, ownW.c_str(), W(u"BOSS2"), false, 0},
        {"delete none", false, nullptr, TMsgrWStr(), true, 87},
        {"delete never added", false, nullptr, W(u"ghost"), false, 2285},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        const WCHAR *name = r.nullName ? nullptr : r.name.c_str();
        EXPECT_EQ(r.add ? NetMessageNameAdd(r.server, name) : NetMessageNameDel(r.server, name), r.rc);
    }
    // The table is bounded.
    std::vector<TMsgrWStr> names;
    DWORD rc = 0;
    for (int i = 0; i < 1000 && rc == 0; ++i) {
        std::string s = "N" + Num((unsigned)i);
        names.push_back(TMsgrWStr(s.begin(), s.end()));
        rc = NetMessageNameAdd(nullptr, names.back().c_str());
    }
    EXPECT_EQ(rc, 2277u);
    EXPECT_EQ(names.size(), MsgrAliasMax - aliases0 + 1);
    names.pop_back();
    for (const TMsgrWStr &s : names)
        EXPECT_EQ(NetMessageNameDel(nullptr, s.c_str()), 0u);
}

TEST_F(MsgrSend, RefusesBadArguments)
{
    TMsgrWStr to = W(u"RECV1"), text = W(u"hi");
    EXPECT_EQ(NetMessageBufferSend(nullptr, nullptr, nullptr, (LPBYTE)text.data(), 4), 87u);
    EXPECT_EQ(NetMessageBufferSend(nullptr, W(u"").c_str(), nullptr, (LPBYTE)text.data(), 4), 87u);
    EXPECT_EQ(NetMessageBufferSend(nullptr, to.c_str(), nullptr, (LPBYTE)text.data(), 3), 87u);
    EXPECT_EQ(NetMessageBufferSend(nullptr, to.c_str(), nullptr, nullptr, 4), 87u);
    EXPECT_EQ(NetMessageBufferSend(W(u"\\\\OTHERPC").c_str(), to.c_str(), nullptr, (LPBYTE)text.data(), 4), 50u);
    EXPECT_EQ(Send(u"ABCDEFGHIJKLMNOP*", nullptr, text), 87u);
    EXPECT_EQ(recv.WaitConvs(1, 0), 0u) << "nothing may have been sent";
}

TEST_F(MsgrSend, FailuresGiveTheirCodes)
{
    struct Row
    {
        const char *what;
        TFakeAct act;
        unsigned step;
        unsigned char b1;
        unsigned short code;
        DWORD rc;
    } rows[] = {
        {"hang at the session request", TFakeAct::Hang, 0, 0, 0, 121},
        {"hang at a text block", TFakeAct::Hang, 2, 0, 0, 121},
        {"reset at start", TFakeAct::Reset, 1, 0, 0, 64},
        {"closed at the session request", TFakeAct::Close, 0, 0, 0, 64},
        {"called name not present", TFakeAct::NegSess, 0, 0x82, 0, 2273},
        {"not listening on the called name", TFakeAct::NegSess, 0, 0x80, 0, 2273},
        {"insufficient resources", TFakeAct::NegSess, 0, 0x83, 0, 2282},
        {"unspecified session error", TFakeAct::NegSess, 0, 0x8F, 0, 2136},
        {"paused", TFakeAct::ErrStatus, 1, 0x02, 81, 2281},
        {"not receiving", TFakeAct::ErrStatus, 2, 0x02, 82, 2282},
        {"no message service", TFakeAct::ErrStatus, 1, 0x01, 71, 2282},
        {"error at end", TFakeAct::ErrStatus, 3, 0x01, 87, 2136},
        {"garbage", TFakeAct::Garbage, 1, 0, 0, 2136},
        {"garbage for a session response", TFakeAct::Garbage, 0, 0, 0, 2136},
        {"truncated session response", TFakeAct::Truncated, 0, 0, 0, 2136},
        {"truncated reply", TFakeAct::Truncated, 2, 0, 0, 2136},
        // The time-out covers a whole reply: neither keep-alives nor a trickle extend it.
        {"keep-alives instead of a session response", TFakeAct::KeepAlive, 0, 0, 0, 121},
        {"keep-alives instead of a reply", TFakeAct::KeepAlive, 2, 0, 0, 121},
        {"a reply that trickles in", TFakeAct::Trickle, 1, 0, 0, 121},
    };
    FakeSetEnv("QZSEND_TIMEOUT", "0.3");
    size_t convs = 0;
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        TFakeFault f;
        f.act = r.act;
        f.step = r.step;
        f.b1 = r.b1;
        f.code = r.code;
        recv.SetFault(f);
        EXPECT_EQ(SendAs(u"RECV1", u"boss", W(u"Hello")), r.rc);
        EXPECT_EQ(MsgrOpenSocks(), socks0);
        EXPECT_EQ(MsgrAliasCount(), aliases0);
        // The conversation ended at the failing step: nothing was written after it.
        ASSERT_EQ(recv.WaitConvs(++convs, 10000), convs);
        EXPECT_EQ(TFakeRecv::Packets(recv.Convs()[convs - 1]).size(), r.step + 1);
    }
}

TEST_F(MsgrSend, RefusedConnection)
{
    recv.Refuse();
    socks0 = MsgrOpenSocks(); // the fake's listener is gone
    EXPECT_EQ(Send(u"RECV1", nullptr, W(u"x")), 1225u);
}

TEST_F(MsgrSend, FollowsARetarget)
{
    TFakeRecv other;
    TFakeFault f;
    f.act = TFakeAct::Retarget;
    f.retargetIp = 0x7F000001;
    f.retargetPort = other.Port();
    recv.SetFault(f);
    EXPECT_EQ(Send(u"RECV1", nullptr, W(u"moved")), 0u);
    ASSERT_EQ(other.WaitConvs(1, 10000), 1u);
    TFakeMsg m;
    ASSERT_TRUE(TFakeRecv::Decode(other.Convs()[0], m));
    EXPECT_EQ(m.text, "moved");
}

TEST_F(MsgrSend, ResolvesNames)
{
    nbns.Answer("GONE", 0);
    struct Row
    {
        const char *what;
        const char16_t *to;
        bool bcast; // ask by broadcast instead of the name server
        DWORD rc;
        unsigned short flags; // of the query the name service got
    } rows[] = {
        {"name server", u"recv1", false, 0, 0x0100},
        {"broadcast", u"RECV1", true, 0, 0x0110},
        {"name server says no", u"GONE", false, 2273, 0x0100},
        {"nobody answers a broadcast", u"NOBODY", true, 2273, 0x0110},
    };
    FakeSetEnv("QZSEND_TIMEOUT", "0.3");
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        const std::string ns = "127.0.0.1:" + Num(nbns.Port());
        FakeSetEnv("QZSEND_WINS", r.bcast ? "" : ns.c_str());
        FakeSetEnv("QZSEND_BCAST", r.bcast ? ns.c_str() : "none");
        const size_t before = nbns.Dgrams().size();
        EXPECT_EQ(Send(r.to, nullptr, W(u"x")), r.rc);
        std::vector<TMsgrBytes> d = nbns.Dgrams();
        ASSERT_GT(d.size(), before);
        ASSERT_GE(d[before].size(), 4u);
        EXPECT_EQ((unsigned)(d[before][2] << 8 | d[before][3]), r.flags);
    }
    // Without any way to ask, a name is not found and nothing is sent anywhere.
    FakeSetEnv("QZSEND_WINS", "");
    FakeSetEnv("QZSEND_BCAST", "none");
    const size_t before = nbns.Dgrams().size();
    EXPECT_EQ(Send(u"RECV1", nullptr, W(u"x")), 2273u);
    EXPECT_EQ(nbns.Dgrams().size(), before);
}

// A system resolver under the test's control: names beginning with FAST are found at once (at
// 127.0.0.1), names beginning with NO are unknown, any other name answers only when the test
// lets it go (at most 60 s, so that a fault cannot hang the run).
struct TTestDns
{
    std::mutex lock;
    std::condition_variable cv;
    bool released = false;
    bool returned = false;
} gDns;

DWORD TestResolver(const std::string &host, unsigned *ip)
{
    if (host.compare(0, 4, "FAST") == 0) {
        *ip = 0x7F000001;
        return 0;
    }
    if (host.compare(0, 2, "NO") == 0)
        return NERR_NameNotFound;
    std::unique_lock<std::mutex> g(gDns.lock);
    gDns.cv.wait_for(g, std::chrono::seconds(60), [] { return gDns.released; });
    gDns.returned = true;
    *ip = 0x7F000001;
    return 0;
}

TEST_F(MsgrSend, SystemResolverIsBoundedByTheTimeout)
{
    struct TRestore
    {
        TMsgrResolveFn old = MsgrSetResolver(TestResolver);
        ~TRestore() { MsgrSetResolver(old); }
    } restore;
    {
        std::lock_guard<std::mutex> g(gDns.lock);
        gDns.released = gDns.returned = false;
    }
    FakeSetEnv("QZSEND_DNS", "1");
    FakeSetEnv("QZSEND_WINS", "");
    FakeSetEnv("QZSEND_TIMEOUT", "0.2");
    struct Row
    {
        const char16_t *to;
        DWORD rc;
        const char *called;
    } rows[] = {
        {u"fast.example.test", 0, "FAST"}, // a DNS name is called by its first label
        {u"fastpc", 0, "FASTPC"},          // a NetBIOS name the name service did not find
        {u"no.example.test", 2273, nullptr},
    };
    size_t convs = 0;
    for (const Row &r : rows) {
        SCOPED_TRACE(Hex(std::string(r.to, r.to + 4)));
        EXPECT_EQ(Send(r.to, nullptr, W(u"x")), r.rc);
        EXPECT_EQ(MsgrResolversRunning(), 0) << "a resolver thread outlived a call answered in time";
        if (r.called) {
            ASSERT_EQ(recv.WaitConvs(++convs, 10000), convs);
            TFakeMsg m;
            ASSERT_TRUE(TFakeRecv::Decode(recv.Convs()[convs - 1], m));
            EXPECT_EQ(m.called, r.called);
        }
    }

    // A resolver that does not answer: the send gives up after the time-out, without waiting for
    // it, and its late answer is dropped; its thread ends by itself once the resolver returns.
    EXPECT_EQ(Send(u"slow.example.test", nullptr, W(u"x")), 2273u);
    {
        std::lock_guard<std::mutex> g(gDns.lock);
        EXPECT_FALSE(gDns.returned) << "the send waited for the resolver";
        gDns.released = true;
    }
    gDns.cv.notify_all();
    EXPECT_TRUE(MsgrWaitResolvers(60000));
    EXPECT_TRUE(gDns.returned);
    EXPECT_EQ(recv.WaitConvs(convs + 1, 0), convs) << "the late answer was used";
}

TEST_F(MsgrSend, AsksAnAddressForItsName)
{
    nbns.SetStatus({{"TESTGRP", 0x00, true}, {"RECV1", 0x00, false}, {"RECV1", 0x03, false}});
    std::string name;
    EXPECT_TRUE(MsgrNodeStatus(0x7F000001, nbns.Port(), 1000, name));
    EXPECT_EQ(name, "RECV1");
    nbns.SetStatus({{"TESTGRP", 0x00, true}});
    EXPECT_FALSE(MsgrNodeStatus(0x7F000001, nbns.Port(), 300, name));
}

TEST_F(MsgrSend, BroadcastDatagram)
{
    FakeSetEnv("QZSEND_BCAST", ("127.0.0.1:" + Num(nbns.Port())).c_str());
    struct Row
    {
        const char16_t *to;
        const char *group;
        size_t textLen;
        DWORD rc;
        size_t dataLen;
    } rows[] = {
        {u"*", "TESTGRP", 2, 0, 16},
        {u"grp*", "GRP", 2, 0, 12},
        {u"*", "TESTGRP", 600, 2289, 424},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.group);
        const size_t before = nbns.Dgrams().size();
        TMsgrWStr text(r.textLen, (WCHAR)'h');
        EXPECT_EQ(SendAs(r.to, u"boss", text), r.rc);
        ASSERT_EQ(nbns.WaitDgrams(before + 1, 10000), before + 1);
        const TMsgrBytes d = nbns.Dgrams()[before];
        ASSERT_GT(d.size(), 82u + 87u);
        // Direct group datagram, first fragment, from 127.0.0.1 port 138.
        EXPECT_EQ(Hex(TMsgrBytes(d.begin(), d.begin() + 2)), "1102");
        EXPECT_EQ(Hex(TMsgrBytes(d.begin() + 4, d.begin() + 10)), "7f000001008a");
        EXPECT_EQ((size_t)(d[10] << 8 | d[11]), d.size() - 14);
        std::string name;
        unsigned char suffix = 0xFF;
        ASSERT_TRUE(TFakeRecv::DecodeName(&d[14], 34, name, suffix));
        EXPECT_EQ(name, OwnName());
        ASSERT_TRUE(TFakeRecv::DecodeName(&d[48], 34, name, suffix));
        EXPECT_EQ(name, r.group);
        EXPECT_EQ(suffix, NbSufBcast);
        const std::string want = std::string("BOSS") + '\0' + r.group + '\0' +
                                 std::string(r.dataLen - 7 - std::string(r.group).size(), 'h') + '\0';
        EXPECT_EQ(Hex(TMsgrBytes(d.begin() + 82 + 87, d.end())), Hex(want));
        const unsigned dl = (unsigned)r.dataLen;
        EXPECT_EQ(Hex(TMsgrBytes(d.begin() + 82, d.begin() + 82 + 87)),
                  Hex(Bytes("ff534d4225 00000000 18 0400 0000 0000000000000000 0000 0000 0000 0000 0000 11 0000")) +
                      Hex(TMsgrBytes{(unsigned char)dl, (unsigned char)(dl >> 8)}) +
                      Hex(Bytes("0000 0000 00 00 0200 00000000 0000 0000 0000")) +
                      Hex(TMsgrBytes{(unsigned char)dl, (unsigned char)(dl >> 8)}) +
                      Hex(Bytes("5700 03 00 0100 0100 0200")) +
                      Hex(TMsgrBytes{(unsigned char)(dl + 18), (unsigned char)((dl + 18) >> 8)}) +
                      Hex(Bytes("5c4d41494c534c4f545c4d4553534e475200")));
    }
    FakeSetEnv("QZSEND_BCAST", "none");
    EXPECT_EQ(Send(u"*", nullptr, W(u"x")), 1231u);
}

TEST_F(MsgrSend, ManySendsAtOnce)
{
    const unsigned count = 200;
    std::vector<DWORD> rcs(count, 0xFFFFFFFF);
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < count; ++i)
        threads.emplace_back([i, &rcs] {
            const std::string t = "message " + std::to_string(i);
            rcs[i] = Send(u"127.0.0.1", nullptr, TMsgrWStr(t.begin(), t.end()));
        });
    for (std::thread &t : threads)
        t.join();
    for (unsigned i = 0; i < count; ++i)
        EXPECT_EQ(rcs[i], 0u) << i;
    ASSERT_EQ(recv.WaitConvs(count, 30000), count);
    std::vector<bool> seen(count, false);
    for (const TMsgrBytes &c : recv.Convs()) {
        TFakeMsg m;
        ASSERT_TRUE(TFakeRecv::Decode(c, m));
        ASSERT_EQ(m.text.compare(0, 8, "message "), 0);
        unsigned i = (unsigned)std::stoul(m.text.substr(8));
        ASSERT_LT(i, count);
        EXPECT_FALSE(seen[i]);
        seen[i] = true;
    }
}

} // namespace
