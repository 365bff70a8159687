// The transport against Samba's smbd as a real receiver on loopback: two receivers started by
// the tests' fixture (scripts/smbd-recv.sh), the first with CP850, the second with CP866. What
// arrives is read from the files their message command writes.
#include "FakeRecv.h"
#include "MsgrTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct TRecv
{
    const char *dir;
    const char *ip;
};
const TRecv Recv1 = {QZ_SMBD_DIR1, QZ_SMBD_IP1};
const TRecv Recv2 = {QZ_SMBD_DIR2, QZ_SMBD_IP2};

std::string ReadFile(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void Clear(const TRecv &r)
{
    std::error_code ec;
    for (const auto &e : fs::directory_iterator(fs::path(r.dir) / "msgs", ec))
        fs::remove(e.path(), ec);
}

// Waits (at most 20 s) for the receiver's message command to leave a message and its meta
// line; the command runs in the background, so there is nothing to wait on but the files.
bool Received(const TRecv &r, std::string &text, std::string &meta)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        std::error_code ec;
        for (const auto &e : fs::directory_iterator(fs::path(r.dir) / "msgs", ec)) {
            if (e.path().extension() != ".msg")
                continue;
            fs::path m = e.path();
            m.replace_extension(".meta");
            meta = ReadFile(m);
            if (meta.empty() || meta.back() != '\n')
                continue;
            text = ReadFile(e.path());
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The originator as Samba's %f shows it: every byte outside [A-Za-z0-9_] becomes '_'.
std::string SambaName(std::string s)
{
    for (char &c : s)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            c = '_';
    return s;
}

DWORD Send(const TRecv &r, const TMsgrWStr &text, const char16_t *alias)
{
    TMsgrWStr to(r.ip, r.ip + std::strlen(r.ip)), a = alias ? W(alias) : TMsgrWStr();
    if (alias) {
        EXPECT_EQ(NetMessageNameAdd(nullptr, a.c_str()), 0u);
    }
    DWORD rc = NetMessageBufferSend(nullptr, to.c_str(), alias ? a.c_str() : nullptr, (LPBYTE)text.data(),
                                    (DWORD)(text.size() * 2));
    if (alias) {
        EXPECT_EQ(NetMessageNameDel(nullptr, a.c_str()), 0u);
    }
    return rc;
}

class MsgrInterop : public testing::Test
{
protected:
    void SetUp() override
    {
        FakeSetEnv("QZSEND_PORT", QZ_SMBD_PORT);
        FakeSetEnv("QZSEND_BCAST", "none");
        FakeSetEnv("QZSEND_WINS", "");
        FakeSetEnv("QZSEND_DNS", "0");
        FakeSetEnv("QZSEND_TIMEOUT", "10");
        Clear(Recv1);
        Clear(Recv2);
        socks0 = MsgrOpenSocks();
    }
    void TearDown() override { EXPECT_EQ(MsgrOpenSocks(), socks0); }
    long socks0 = 0;
};

TEST_F(MsgrInterop, MessagesArriveIntact)
{
    std::string long2000;
    for (int i = 0; long2000.size() < 2000; ++i)
        long2000 += "line " + std::to_string(i) + " of a long message; ";
    long2000.resize(2000);
    struct Row
    {
        const char *what;
        const TRecv *recv;
        const char *cp;
        TMsgrWStr text;
        const char16_t *alias;
        std::string want;     // UTF-8, as Samba writes it
        std::string wantFrom; // empty: the computer name
    } rows[] = {
        {"ASCII", &Recv1, "850", W(u"Hello from qzsend"), nullptr, "Hello from qzsend", ""},
        {"2000 bytes", &Recv1, "850", TMsgrWStr(long2000.begin(), long2000.end()), nullptr, long2000, ""},
        {"line breaks", &Recv1, "850", W(u"one\ntwo\r\nthree\rfour"), nullptr, "one\ntwo\nthree\nfour", ""},
        {"originator", &Recv1, "850", W(u"from the boss"), u"boss", "from the boss", "BOSS"},
        {"Latin-1 in CP850", &Recv1, "850", W(u"Grüße, café"), nullptr, u8"Grüße, café", ""},
        {"Cyrillic in CP866", &Recv2, "866", W(u"Привет, мир! Ёлка."), u"Вася", u8"Привет, мир! Ёлка.",
         SambaName(u8"ВАСЯ")}, // Samba hides each byte of the UTF-8 name
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        FakeSetEnv("QZSEND_CODEPAGE", r.cp);
        Clear(*r.recv);
        ASSERT_EQ(Send(*r.recv, r.text, r.alias), 0u);
        std::string text, meta;
        ASSERT_TRUE(Received(*r.recv, text, meta));
        EXPECT_EQ(text, r.want);
        EXPECT_EQ(meta.substr(0, meta.find(' ')), "from=" + (r.wantFrom.empty() ? SambaName(OwnName()) : r.wantFrom));
    }
}

TEST_F(MsgrInterop, TwoReceiversAtOnce)
{
    FakeSetEnv("QZSEND_CODEPAGE", "850");
    DWORD rc1 = 1, rc2 = 1;
    std::thread t1([&] { rc1 = Send(Recv1, W(u"to the first"), nullptr); });
    std::thread t2([&] { rc2 = Send(Recv2, W(u"to the second"), nullptr); });
    t1.join();
    t2.join();
    EXPECT_EQ(rc1, 0u);
    EXPECT_EQ(rc2, 0u);
    std::string text, meta;
    ASSERT_TRUE(Received(Recv1, text, meta));
    EXPECT_EQ(text, "to the first");
    ASSERT_TRUE(Received(Recv2, text, meta));
    EXPECT_EQ(text, "to the second");
}

TEST_F(MsgrInterop, ReceiverWithoutListenerIsRefused)
{
    // The receivers listen on their own addresses only: another loopback address refuses.
    TMsgrWStr to = W(u"127.0.4.99"), text = W(u"x");
    EXPECT_EQ(NetMessageBufferSend(nullptr, to.c_str(), nullptr, (LPBYTE)text.data(), 2), 1225u);
}

} // namespace
