// The main of every test program. Under Wine a crashing program can exit with code 0, so in
// the Windows build an unhandled exception ends the process with a non-zero code before Wine's
// own handler can swallow it.
#include "qzplat.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
static LONG WINAPI QzTestCrashFilter(EXCEPTION_POINTERS *info)
{
    fprintf(stderr, "test program crashed: exception 0x%08lx\n",
            info && info->ExceptionRecord ? (unsigned long)info->ExceptionRecord->ExceptionCode : 0ul);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
#endif

int main(int argc, char **argv)
{
#ifdef _WIN32
    SetUnhandledExceptionFilter(QzTestCrashFilter);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
