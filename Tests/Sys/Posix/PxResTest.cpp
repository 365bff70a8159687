// The module, string resources and identity: LoadStringA with language choice and cutting, the
// executable's path, the user and the computer name.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

const PxStrRes testStrings[] = {
    {9001, 1033, "Hello"},
    {9001, 1049, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"}, // Привет
    {9002, 1033, "English only"},
    {9003, 1049, "\xd0\xa2\xd0\xbe\xd0\xbb\xd1\x8c\xd0\xba\xd0\xbe"}, // Только
};
PxStrTab testTab = {testStrings, 4, nullptr};
const bool registered = PxAddStrTab(&testTab);

// Sets the language variables for one scope and restores them afterwards.
class TLangEnv {
public:
    explicit TLangEnv(const char *lang)
    {
        for (const char *v : vars) {
            const char *old = getenv(v);
            saved.push_back(old ? std::make_pair(true, std::string(old)) : std::make_pair(false, std::string()));
            unsetenv(v);
        }
        setenv("LANG", lang, 1);
    }
    ~TLangEnv()
    {
        for (std::size_t i = 0; i < saved.size(); ++i)
            if (saved[i].first)
                setenv(vars[i], saved[i].second.c_str(), 1);
            else
                unsetenv(vars[i]);
    }

private:
    static constexpr const char *vars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::pair<bool, std::string>> saved;
};

std::string Load(UINT id, int size = 64)
{
    std::string buf(static_cast<std::size_t>(size), '#');
    int n = LoadStringA(GetModuleHandleA(nullptr), id, &buf[0], size);
    EXPECT_EQ(buf[static_cast<std::size_t>(n)], '\0');
    return buf.substr(0, static_cast<std::size_t>(n));
}

} // namespace

TEST(PxRes, LoadStringChoosesTheUsersLanguageWithEnglishFallback)
{
    ASSERT_TRUE(registered);
    struct Row {
        const char *lang;
        UINT id;
        const char *text;
    } rows[] = {
        {"en_US.UTF-8", 9001, "Hello"},
        {"ru_RU.UTF-8", 9001, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"},
        {"ru_RU.UTF-8", 9002, "English only"},
        {"de_DE.UTF-8", 9003, "\xd0\xa2\xd0\xbe\xd0\xbb\xd1\x8c\xd0\xba\xd0\xbe"},
        {"C", 9001, "Hello"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.lang << " " << r.id);
        TLangEnv env(r.lang);
        EXPECT_EQ(Load(r.id), r.text);
    }
}

TEST(PxRes, LoadStringCutsAtExactlyTheBufferSize)
{
    TLangEnv env("ru_RU.UTF-8");
    // "Привет" is 12 bytes; a cut keeps size-1 bytes, even inside a character, so that the caller
    // sees the length that tells it to load again.
    struct Row {
        int size;
        int len;
    } rows[] = {{13, 12}, {12, 11}, {4, 3}, {1, 0}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.size);
        EXPECT_EQ(Load(9001, r.size), std::string("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82", r.len));
    }
}

TEST(PxRes, LoadStringFailures)
{
    char buf[8] = "xxxxxxx";
    SetLastError(0);
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 4242, buf, sizeof buf), 0);
    EXPECT_EQ(GetLastError(), 1814u);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(LoadStringA(nullptr, 9002, buf, sizeof buf), 7); // null is the executable too
    SetLastError(0);
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 9001, nullptr, 10), 0);
    EXPECT_EQ(GetLastError(), 87u);
    SetLastError(0);
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 9001, buf, 0), 0);
    EXPECT_EQ(GetLastError(), 87u);
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), 126u);
}

TEST(PxRes, ModuleFileNameIsTheExecutablePath)
{
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    ASSERT_GT(n, 0u);
    std::string path(buf, n);
    EXPECT_EQ(path.size(), std::strlen(buf));
    EXPECT_EQ(path[0], '/');
    // The path names the running executable itself.
    struct stat named, running;
    ASSERT_EQ(stat(buf, &named), 0);
    ASSERT_EQ(stat("/proc/self/exe", &running), 0);
    EXPECT_EQ(named.st_dev, running.st_dev);
    EXPECT_EQ(named.st_ino, running.st_ino);
    char ex[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameExA(GetCurrentProcess(), nullptr, ex, sizeof ex), n);
    EXPECT_EQ(std::string(ex), path);
    EXPECT_EQ(GetModuleFileNameExA(GetCurrentProcess(), GetModuleHandleA(nullptr), ex, sizeof ex), n);
    // Too small: the start of the path, terminated, the buffer size as result and error 122.
    char small[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
    EXPECT_EQ(GetLastError(), 122u);
    EXPECT_EQ(std::string(small), path.substr(0, 4));
    HANDLE m = CreateMutexA(nullptr, FALSE, nullptr);
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameExA(m, nullptr, ex, sizeof ex), 0u);
    EXPECT_EQ(GetLastError(), 6u);
    CloseHandle(m);
}

TEST(PxRes, UserNameIsTheProcessOwner)
{
    struct passwd *pw = getpwuid(geteuid());
    if (!pw)
        GTEST_SKIP() << "the test user has no account entry";
    const std::string want = pw->pw_name;
    char buf[UNLEN + 1];
    DWORD size = sizeof buf;
    ASSERT_TRUE(GetUserNameA(buf, &size));
    EXPECT_EQ(std::string(buf), want);
    EXPECT_EQ(size, want.size() + 1);
    // One character short: 122 and the size needed, terminator included.
    size = static_cast<DWORD>(want.size());
    SetLastError(0);
    EXPECT_FALSE(GetUserNameA(buf, &size));
    EXPECT_EQ(GetLastError(), 122u);
    EXPECT_EQ(size, want.size() + 1);
}

TEST(PxRes, ComputerNameIsTheFirstHostLabelUpperCasedAndCut)
{
    // Host names are set in a UTS namespace of a child process, so the machine's name is not
    // touched; without the right to make one the test is skipped.
    struct Row {
        const char *host;
        const char *want;
    } rows[] = {
        {"pc1", "PC1"},
        {"Work-Station.example.org", "WORK-STATION"},
        {"abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNO"},
        {"exactly15chars0.lan", "EXACTLY15CHARS0"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.host);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (unshare(CLONE_NEWUTS) != 0 || sethostname(r.host, std::strlen(r.host)) != 0)
                _exit(77);
            char buf[MAX_COMPUTERNAME_LENGTH + 2] = {};
            DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
            bool ok = GetComputerNameA(buf, &size) && size == std::strlen(r.want) && std::strcmp(buf, r.want) == 0;
            // Too small by one: 111 and the size needed with the terminator.
            DWORD tight = static_cast<DWORD>(std::strlen(r.want));
            ok = ok && !GetComputerNameA(buf, &tight) && GetLastError() == 111 && tight == std::strlen(r.want) + 1;
            _exit(ok ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 77)
            GTEST_SKIP() << "cannot make a UTS namespace";
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}
