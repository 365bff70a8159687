// The sending engine through the real transport against the fake receiver on loopback: a list
// with more names than one system wait covers, one of them unreachable, results in file order.
#include "Net/NetSend.h"

#include "FakeRecv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{

TEST(NetSendRecv, ListWithAnUnreachableName)
{
    TFakeRecv recv("127.0.0.2");
    FakeSetEnv("QZSEND_PORT", std::to_string(recv.Port()).c_str());
    FakeSetEnv("QZSEND_BCAST", "none");
    FakeSetEnv("QZSEND_WINS", "");
    FakeSetEnv("QZSEND_DNS", "0");
    FakeSetEnv("QZSEND_TIMEOUT", "10");

    // Nothing listens on 127.0.0.3 at the receiver's port.
    const unsigned cnt = 70, bad = 5;
    std::string bytes;
    for (unsigned i = 0; i < cnt; i++)
        bytes += i == bad ? "127.0.0.3\r\n" : "127.0.0.2\r\n";
    const char *file = "netsend-recv-test.lst";
    FILE *f = fopen(file, "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);

    TArray<TStr> names;
    TArray<unsigned long> codes;
    EXPECT_EQ(0u, NetSendToList(TStr(file), TStr("boss"), TStr("one\ntwo"), &names, &codes));
    remove(file);
    ASSERT_EQ(cnt, names.Count());
    ASSERT_EQ(cnt, codes.Count());
    for (unsigned i = 0; i < cnt; i++)
    {
        SCOPED_TRACE(i);
        EXPECT_STREQ(i == bad ? "127.0.0.3" : "127.0.0.2", names.Items()[i].CStr());
        if (i == bad)
            EXPECT_NE(0u, codes.Items()[i]);
        else
            EXPECT_EQ(0u, codes.Items()[i]);
    }
    ASSERT_EQ(cnt - 1, recv.WaitConvs(cnt - 1, 10000));
    for (const TMsgrBytes &conv : recv.Convs())
    {
        TFakeMsg m;
        ASSERT_TRUE(TFakeRecv::Decode(conv, m));
        EXPECT_EQ("BOSS", m.from);
        EXPECT_EQ("one\r\ntwo", m.text);
    }
}

} // namespace
