// The process's side of table/platform.h on Windows: local time, the command line as UTF-16,
// binary standard streams, and the cleanup when the console ends the program.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "table/platform.h"
#include "table/platform_windows_text.h"

namespace parlix::platform {

std::tm LocalTime(std::time_t when) {
    std::tm local{};
    ::localtime_s(&local, &when);
    return local;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    // argv holds the arguments in the ANSI code page, which cannot hold every file name.
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(Narrow(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

void UseBinaryStandardStreams() {
    for (std::FILE* stream : {stdin, stdout, stderr}) {
        ::_setmode(::_fileno(stream), _O_BINARY);
    }
}

namespace {

void (*g_cleanup)() noexcept = nullptr;
SRWLOCK g_creating = SRWLOCK_INIT;

// Runs on a thread of its own while the program goes on: it takes the lock for good, so that
// no further file is created, cleans up, and lets the system's handler end the process.
BOOL WINAPI CleanUpAndEnd(DWORD) {
    ::AcquireSRWLockExclusive(&g_creating);
    g_cleanup();
    return FALSE;
}

}  // namespace

void CleanUpOnEnding(void (*cleanup)() noexcept) {
    g_cleanup = cleanup;
    ::SetConsoleCtrlHandler(CleanUpAndEnd, TRUE);
}

void WithCleanupWaiting(const std::function<void()>& steps) {
    ::AcquireSRWLockExclusive(&g_creating);
    struct Release {
        ~Release() { ::ReleaseSRWLockExclusive(&g_creating); }
    } release;
    steps();
}

}  // namespace parlix::platform
