// A fake Messenger receiver for tests: listener threads on a loopback address that record the
// exact bytes a sender writes and answer as a receiver would, or misbehave on purpose (refuse,
// hang, reset, close, a negative session response, an error status, garbage, a packet cut off,
// a retarget, keep-alives without end, a reply that trickles in). Beside it a fake name service on UDP that answers name queries and node status
// queries from a table and records every datagram it gets (domain broadcasts included).
//
// Everything binds to the address given (127.x.y.z) and an ephemeral port; nothing leaves the
// machine. Works in both builds (Winsock under Wine).
#pragma once

#include "Net/Msgr/Msgr.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

enum class TFakeAct
{
    Answer,    // behave
    Hang,      // read on, answer nothing
    Reset,     // abort the connection (RST)
    Close,     // close it in order (FIN) without answering
    NegSess,   // negative session response with error byte b1
    ErrStatus, // SMB reply with DOS error class b1 and code
    Garbage,   // bytes that are no session packet
    Truncated, // a reply whose header promises more than is sent, then close
    Retarget,  // session retarget to retargetIp:retargetPort
    KeepAlive, // keep-alives instead of the reply, until the sender gives up (at most 8 s)
    Trickle,   // the right reply, one byte every 50 ms
};

struct TFakeFault
{
    TFakeAct act = TFakeAct::Answer;
    unsigned step = 0; // 0: the session request, 1: "start", 2 and on: the blocks, then "end"
    unsigned char b1 = 0;
    unsigned short code = 0;
    unsigned retargetIp = 0;
    unsigned short retargetPort = 0;
};

// A message as the fake received it.
struct TFakeMsg
{
    std::string called;  // decoded called name of the session request, trailing spaces removed
    std::string calling; // decoded calling name
    std::string from, to, text;
    size_t blocks = 0;
};

class TFakeRecv
{
public:
    explicit TFakeRecv(const char *ip = "127.0.0.1");
    ~TFakeRecv();
    TFakeRecv(const TFakeRecv &) = delete;
    TFakeRecv &operator=(const TFakeRecv &) = delete;

    unsigned short Port() const { return mPort; }
    unsigned Ip() const { return mIp; }
    // Stops listening: connections to Port() are refused from now on.
    void Refuse();
    void SetFault(const TFakeFault &f);
    // The group id answered to "start"; -1 answers without one, as Samba does.
    void SetGroup(int group) { mGroup = group; }
    // Waits at most ms until n conversations have ended; returns how many have.
    size_t WaitConvs(size_t n, unsigned ms);
    // The bytes received on each ended conversation, in the order they ended.
    std::vector<TMsgrBytes> Convs();

    // Splits a conversation into its packets (4-byte header included).
    static std::vector<TMsgrBytes> Packets(const TMsgrBytes &conv);
    // Decodes a conversation into a message; false when it is not a complete one.
    static bool Decode(const TMsgrBytes &conv, TFakeMsg &m);
    // Decodes a 34-byte encoded NetBIOS name at p: the 15 name bytes (trailing spaces removed)
    // and the suffix.
    static bool DecodeName(const unsigned char *p, size_t n, std::string &name, unsigned char &suffix);

private:
    void AcceptLoop();
    void Serve(SOCKET s);

    unsigned mIp = 0;
    unsigned short mPort = 0;
    SOCKET mListen = INVALID_SOCKET;
    std::atomic<bool> mStop{false};
    std::atomic<int> mGroup{0x0102};
    std::mutex mLock;
    std::condition_variable mCv;
    TFakeFault mFault;
    std::vector<TMsgrBytes> mConvs;
    std::vector<std::thread> mThreads;
    std::thread mAccept;
};

// The fake name service and datagram sink.
class TFakeNbns
{
public:
    explicit TFakeNbns(const char *ip = "127.0.0.1");
    ~TFakeNbns();
    TFakeNbns(const TFakeNbns &) = delete;
    TFakeNbns &operator=(const TFakeNbns &) = delete;

    unsigned short Port() const { return mPort; }
    // Answers queries for name<03> with ip; ip 0 answers "name not found".
    void Answer(const std::string &name, unsigned ip);
    // The names listed in a node status answer: name, suffix, group flag.
    struct TEntry
    {
        std::string name;
        unsigned char suffix;
        bool group;
    };
    void SetStatus(const std::vector<TEntry> &entries);
    // Waits at most ms until n datagrams have arrived; returns how many have.
    size_t WaitDgrams(size_t n, unsigned ms);
    std::vector<TMsgrBytes> Dgrams();

private:
    void Loop();

    unsigned mIp = 0;
    unsigned short mPort = 0;
    SOCKET mSock = INVALID_SOCKET;
    std::atomic<bool> mStop{false};
    std::mutex mLock;
    std::condition_variable mCv;
    std::map<std::string, unsigned> mAnswers;
    std::vector<TEntry> mStatus;
    std::vector<TMsgrBytes> mDgrams;
    std::thread mThread;
};

// Sets an environment variable for the rest of the process (the transport reads its
// configuration from there at every send).
void FakeSetEnv(const char *name, const char *value);
