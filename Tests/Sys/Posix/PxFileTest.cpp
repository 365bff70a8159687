// Files: dispositions, access rights, reading and writing, the file pointer, size, flush and
// delete, with the Windows error codes callers test.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

class PxFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/pxfiletest.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = dir + "/f.txt";
    }
    void TearDown() override
    {
        unlink(path.c_str());
        rmdir(dir.c_str());
    }
    void Put(const std::string &text)
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        ASSERT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr));
        ASSERT_EQ(n, text.size());
        ASSERT_TRUE(CloseHandle(h));
    }
    std::string Get()
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return "<missing>";
        char buf[256];
        DWORD n = 0;
        EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
        CloseHandle(h);
        return std::string(buf, n);
    }
    std::string dir, path;
};

} // namespace

TEST_F(PxFile, Dispositions)
{
    struct Row {
        DWORD disposition;
        bool exists;
        DWORD lastError; // after the call; the handle is valid when this is 0 or 183
        const char *after;
    } rows[] = {
        {CREATE_NEW, false, 0, ""},          {CREATE_NEW, true, 80, "old"},
        {CREATE_ALWAYS, false, 0, ""},       {CREATE_ALWAYS, true, 183, ""},
        {OPEN_EXISTING, false, 2, "<missing>"}, {OPEN_EXISTING, true, 0, "old"},
        {OPEN_ALWAYS, false, 0, ""},         {OPEN_ALWAYS, true, 183, "old"},
        {TRUNCATE_EXISTING, false, 2, "<missing>"}, {TRUNCATE_EXISTING, true, 0, ""},
        {0, true, 87, "old"},                {6, false, 87, "<missing>"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << "disposition " << r.disposition << (r.exists ? " existing" : " new"));
        unlink(path.c_str());
        if (r.exists)
            Put("old");
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, r.disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(GetLastError(), r.lastError);
        if (r.lastError == 0 || r.lastError == 183) {
            EXPECT_TRUE(GetHandleInformation(h, nullptr));
            EXPECT_TRUE(CloseHandle(h));
        } else {
            EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        }
        EXPECT_EQ(Get(), r.after);
    }
}

TEST_F(PxFile, OpenFailures)
{
    std::string sub = dir + "/no/such/file";
    struct Row {
        const char *what;
        std::string name;
        DWORD access, disposition, code;
    } rows[] = {
        {"missing file", path, GENERIC_READ, OPEN_EXISTING, 2},
        {"missing folder", sub, GENERIC_READ, OPEN_EXISTING, 3},
        {"missing folder, create", sub, GENERIC_WRITE, OPEN_ALWAYS, 3},
        {"empty name", "", GENERIC_READ, OPEN_EXISTING, 3},
        {"folder", dir, GENERIC_READ, OPEN_EXISTING, 5},
        {"folder for writing", dir, GENERIC_WRITE, OPEN_EXISTING, 5},
        {"truncate without write access", path, GENERIC_READ, TRUNCATE_EXISTING, 87},
    };
    Put("x");
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        if (r.code == 2)
            unlink(path.c_str());
        SetLastError(0);
        EXPECT_EQ(CreateFileA(r.name.c_str(), r.access, 0, nullptr, r.disposition, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), r.code);
    }
}

TEST_F(PxFile, ReadWritePointerAndSize)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    EXPECT_TRUE(WriteFile(h, "hello", 5, &n, nullptr));
    EXPECT_EQ(GetFileSize(h, nullptr), 5u);
    EXPECT_EQ(SetFilePointer(h, 1, nullptr, FILE_BEGIN), 1u);
    EXPECT_TRUE(WriteFile(h, "E", 1, &n, nullptr));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), 5u);
    EXPECT_TRUE(WriteFile(h, "!\r\n", 3, &n, nullptr));
    EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_CURRENT), 6u);
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(h, -10, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), 131u);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), 87u);
    // A 64-bit position: the high half goes in and comes back through the pointer.
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(h, 16, &high, FILE_BEGIN), 16u);
    EXPECT_EQ(high, 1);
    high = 0;
    EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), 16u);
    EXPECT_EQ(high, 1);
    DWORD sizeHigh = 9;
    EXPECT_EQ(GetFileSize(h, &sizeHigh), 8u);
    EXPECT_EQ(sizeHigh, 0u);
    EXPECT_TRUE(FlushFileBuffers(h));
    // Without read access reading fails; the write-only handle is still usable afterwards.
    char c;
    SetLastError(0);
    EXPECT_FALSE(ReadFile(h, &c, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), 5u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(Get(), "hEllo!\r\n");

    h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buf[16];
    EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr)); // a short read at the end is success
    EXPECT_EQ(std::string(buf, n), "\r\n");
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(n, 0u);
    struct Row {
        const char *what;
        bool ok;
    } denied[] = {
        {"write", WriteFile(h, "x", 1, &n, nullptr) != FALSE},
        {"flush", FlushFileBuffers(h) != FALSE},
    };
    for (const Row &r : denied) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(r.ok);
    }
    EXPECT_EQ(GetLastError(), 5u);
    EXPECT_TRUE(CloseHandle(h));
    // A closed handle is refused by every file call.
    SetLastError(0);
    EXPECT_FALSE(ReadFile(h, buf, 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), 6u);
    EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_FALSE(FlushFileBuffers(h));
    EXPECT_EQ(GetLastError(), 6u);
}

TEST_F(PxFile, Delete)
{
    Put("x");
    HANDLE open = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileA(path.c_str())); // allowed while open with delete sharing
    EXPECT_TRUE(CloseHandle(open));
    struct Row {
        const char *what;
        std::string name;
        DWORD code;
    } rows[] = {
        {"deleted", path, 2}, {"missing folder", dir + "/no/f", 3}, {"folder", dir, 5}, {"empty", "", 3},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        SetLastError(0);
        EXPECT_FALSE(DeleteFileA(r.name.c_str()));
        EXPECT_EQ(GetLastError(), r.code);
    }
}
