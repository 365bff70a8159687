// Benchmark of the list send: N names (1, 10, 100, 1,000, 5,000) served at once by loopback
// fake receivers that delay every reply by 100 ms. Prints the wall time and the peak memory of
// the sending process for each N. Targets: 1,000 names within twice the time of one name; peak
// memory under 200 MB at 5,000 names.
//
// Each N runs in a fresh process (this program started again with "--one N"), so the peak
// resident size belongs to that N alone; the receivers run in a child process of their own,
// so their memory is not counted. Native build only: it uses fork, poll and /proc.
#include "qzplat.h"

#include "Lib/BStr.h"
#include "Log/LogA.h"
#include "Net/NetSend.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace
{

const int RecvAddrs = 8;     // receivers on 127.0.0.1 .. 127.0.0.8
const int ReplyDelayMs = 100; // every reply waits this long

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void RaiseFileLimit()
{
    rlimit rl;
    if (getrlimit(RLIMIT_NOFILE, &rl) == 0)
    {
        rl.rlim_cur = rl.rlim_max;
        setrlimit(RLIMIT_NOFILE, &rl);
    }
}

// One connection of the fake receiver: bytes received, and replies due at a time.
struct TConn
{
    std::string in;
    std::vector<std::pair<long long, std::string>> due;
};

// Takes every complete session packet out of c.in and schedules its reply: a positive
// session response for a session request, and a success reply echoing the header for an SMB.
void Answer(TConn &c, long long now)
{
    for (;;)
    {
        if (c.in.size() < 4)
            return;
        const unsigned char *p = (const unsigned char *)c.in.data();
        size_t len = ((size_t)(p[1] & 1) << 16) | ((size_t)p[2] << 8) | p[3];
        if (c.in.size() < 4 + len)
            return;
        std::string reply;
        if (p[0] == 0x81)
            reply = std::string("\x82\0\0\0", 4);
        else if (p[0] == 0x00 && len >= 32)
        {
            std::string smb = c.in.substr(4, 32);
            smb[5] = smb[6] = smb[7] = smb[8] = 0; // status: success
            smb[9] = (char)0x80;                   // flags: reply
            smb += std::string("\0\0\0", 3);       // WordCount 0, ByteCount 0
            reply = std::string("\0\0", 2);
            reply += (char)(smb.size() >> 8);
            reply += (char)(smb.size() & 0xff);
            reply += smb;
        }
        if (!reply.empty())
            c.due.push_back({now + ReplyDelayMs, reply});
        c.in.erase(0, 4 + len);
    }
}

// The fake receivers: one poll loop over the listeners and every connection. Never returns.
[[noreturn]] void RunRecv(const std::vector<int> &listeners)
{
    std::map<int, TConn> conns;
    std::vector<pollfd> fds;
    for (;;)
    {
        long long now = NowMs();
        int timeout = 1000;
        fds.clear();
        for (int l : listeners)
            fds.push_back({l, POLLIN, 0});
        for (auto &kv : conns)
        {
            fds.push_back({kv.first, POLLIN, 0});
            for (auto &d : kv.second.due)
                timeout = std::min<long long>(timeout, std::max<long long>(0, d.first - now));
        }
        poll(fds.data(), fds.size(), timeout);
        now = NowMs();
        for (const pollfd &f : fds)
        {
            if (!(f.revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            bool isListener = false;
            for (int l : listeners)
                isListener |= l == f.fd;
            if (isListener)
            {
                int s;
                while ((s = accept(f.fd, nullptr, nullptr)) >= 0)
                    conns[s];
                continue;
            }
            char buf[4096];
            ssize_t n = recv(f.fd, buf, sizeof buf, 0);
            if (n <= 0)
            {
                close(f.fd);
                conns.erase(f.fd);
                continue;
            }
            TConn &c = conns[f.fd];
            c.in.append(buf, (size_t)n);
            Answer(c, now);
        }
        for (auto &kv : conns)
        {
            auto &due = kv.second.due;
            while (!due.empty() && due.front().first <= now)
            {
                send(kv.first, due.front().second.data(), due.front().second.size(), MSG_NOSIGNAL);
                due.erase(due.begin());
            }
        }
    }
}

// Binds the receivers to one port on every receiver address; returns the port.
int Listen(std::vector<int> &listeners)
{
    for (int port = 20139; port < 20239; port++)
    {
        for (int l : listeners)
            close(l);
        listeners.clear();
        bool ok = true;
        for (int a = 1; a <= RecvAddrs && ok; a++)
        {
            int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            int one = 1;
            setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            sockaddr_in sa{};
            sa.sin_family = AF_INET;
            sa.sin_port = htons((uint16_t)port);
            sa.sin_addr.s_addr = htonl(0x7f000000u | (unsigned)a);
            ok = bind(s, (sockaddr *)&sa, sizeof sa) == 0 && listen(s, 4096) == 0;
            listeners.push_back(s);
        }
        if (ok)
            return port;
    }
    return -1;
}

long PeakKb()
{
    FILE *f = fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    while (f && fgets(line, sizeof line, f))
        if (sscanf(line, "VmHWM: %ld kB", &kb) == 1)
            break;
    if (f)
        fclose(f);
    return kb;
}

// One measurement in this process: sends to n names and prints "n ms kb ok".
int RunOne(unsigned n, const char *listFile)
{
    FILE *f = fopen(listFile, "w");
    for (unsigned i = 0; i < n; i++)
        fprintf(f, "127.0.0.%u\r\n", 1 + i % RecvAddrs);
    fclose(f);
    ProcessLog().Start();
    TArray<TStr> names;
    TArray<unsigned long> codes;
    long long t0 = NowMs();
    unsigned rc = NetSendToList(TStr(listFile), TStr("BENCH"), TStr("benchmark message"), &names, &codes);
    long long ms = NowMs() - t0;
    unsigned ok = 0, firstErr = 0;
    for (unsigned i = 0; i < codes.Count(); i++)
        if (codes.Items()[i] == 0)
            ok++;
        else if (!firstErr)
            firstErr = (unsigned)codes.Items()[i];
    ProcessLog().Stop();
    printf("%u %lld %ld %u %u %u\n", n, ms, PeakKb(), ok, rc, firstErr);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    RaiseFileLimit();
    if (argc == 4 && strcmp(argv[1], "--one") == 0)
        return RunOne((unsigned)atoi(argv[2]), argv[3]);

    std::vector<int> listeners;
    int port = Listen(listeners);
    if (port < 0)
    {
        fprintf(stderr, "bench: no free port for the receivers\n");
        return 1;
    }
    pid_t recv = fork();
    if (recv == 0)
        RunRecv(listeners);
    for (int l : listeners)
        close(l);

    // The transport's configuration: our port, no broadcasts, no name server, no DNS.
    setenv("QZSEND_PORT", std::to_string(port).c_str(), 1);
    setenv("QZSEND_BCAST", "none", 1);
    unsetenv("QZSEND_WINS");
    setenv("QZSEND_DNS", "0", 1);
    setenv("QZSEND_TIMEOUT", "30", 1);
    std::string listFile = "/tmp/qzsend-bench-" + std::to_string(getpid()) + ".lst";

    printf("%8s %10s %12s %8s\n", "names", "wall ms", "peak MB", "sent");
    const unsigned sizes[] = {1, 10, 100, 1000, 5000};
    long long oneMs = 0, thousandMs = 0;
    long fiveThousandKb = 0;
    int fails = 0;
    for (unsigned n : sizes)
    {
        std::string cmd = std::string("'") + argv[0] + "' --one " + std::to_string(n) + " '" + listFile + "'";
        FILE *p = popen(cmd.c_str(), "r");
        unsigned got = 0, ok = 0, rc = 0, err = 0;
        long long ms = 0;
        long kb = 0;
        if (!p || fscanf(p, "%u %lld %ld %u %u %u", &got, &ms, &kb, &ok, &rc, &err) != 6)
            fails++;
        if (p)
            pclose(p);
        printf("%8u %10lld %12.1f %8u", n, ms, kb / 1024.0, ok);
        if (ok != n)
            printf("   (list result %u, first failure %u)", rc, err);
        printf("\n");
        fflush(stdout);
        if (n == 1)
            oneMs = ms;
        if (n == 1000)
            thousandMs = ms;
        if (n == 5000)
            fiveThousandKb = kb;
        if (ok != n)
            fails++;
    }
    unlink(listFile.c_str());
    kill(recv, SIGTERM);
    waitpid(recv, nullptr, 0);

    bool timeOk = thousandMs <= 2 * oneMs;
    bool memOk = fiveThousandKb < 200 * 1024;
    printf("1,000 names in %lld ms, one name in %lld ms: %s (target: at most twice)\n", thousandMs, oneMs,
           timeOk ? "met" : "MISSED");
    printf("peak memory at 5,000 names %.1f MB: %s (target: under 200 MB)\n", fiveThousandKb / 1024.0,
           memOk ? "met" : "MISSED");
    return fails == 0 && timeOk && memOk ? 0 : 1;
}
