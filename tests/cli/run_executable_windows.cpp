#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <vector>

#include "cli/run_executable.h"
#include "table/platform.h"
#include "test_support.h"

namespace parlix::testing {

const char* const kNullDevice = "NUL";

namespace {

std::wstring Wide(const std::string& text) {
    return platform::NativePath(text).native();
}

// One argument as CommandLineToArgvW and the C runtime read it back: quoted when it holds
// blanks or quotes, backslashes doubled only before a quote.
std::wstring Quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring quoted = L"\"";
    for (auto at = arg.begin();; ++at) {
        std::size_t backslashes = 0;
        for (; at != arg.end() && *at == L'\\'; ++at) {
            ++backslashes;
        }
        if (at == arg.end()) {
            quoted.append(backslashes * 2, L'\\');
            break;
        }
        quoted.append(*at == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted.push_back(*at);
    }
    return quoted + L"\"";
}

// A file the started program inherits as one of its standard streams.
HANDLE Inherited(const std::wstring& path, DWORD access, DWORD creation) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         creation, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ExecutableResult RunExecutable(const std::string& folder, const std::vector<std::string>& args) {
    const TempDir streams;
    const std::string out = streams.File("out");
    const std::string err = streams.File("err");
    std::wstring program = Wide(PARLIX_BUILD_EXECUTABLE);
    for (wchar_t& c : program) {
        c = c == L'/' ? L'\\' : c;
    }
    std::wstring commandLine = Quoted(program);
    for (const std::string& arg : args) {
        commandLine += L" " + Quoted(Wide(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = Inherited(Wide(out), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = Inherited(Wide(err), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    int status = -1;
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         Wide(folder).c_str(), &startup, &process)) {
        DWORD code = 0;
        if (::WaitForSingleObject(process.hProcess, 60'000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.hProcess, 1);
        } else if (::GetExitCodeProcess(process.hProcess, &code)) {
            status = static_cast<int>(code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        ::CloseHandle(handle);
    }
    return {status, ReadBytes(out), ReadBytes(err)};
}

}  // namespace parlix::testing
