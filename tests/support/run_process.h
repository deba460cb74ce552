#pragma once

// Runs a program as a separate process, the way a user or a script runs it, and keeps what it
// printed.

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace korrin::testing {

struct ProcessResult {
    int status = -1;  // the exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32
inline std::wstring Utf16(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                              static_cast<int>(wide.size()))));
    return wide;
}

// arg quoted so that the C runtime's parser gives it back unchanged: backslashes double only
// before a quote.
inline std::wstring QuotedArgument(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t ch : arg) {
        if (ch == L'\\') {
            ++backslashes;
        } else {
            if (ch == L'"') quoted.append(backslashes + 1, L'\\');
            backslashes = 0;
        }
        quoted += ch;
    }
    quoted.append(backslashes, L'\\');
    return quoted + L"\"";
}

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::string& scratchFolder) {
    const std::string outPath = scratchFolder + "/.stdout";
    const std::string errPath = scratchFolder + "/.stderr";
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
        return ::CreateFileW(Utf16(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherited, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring line = QuotedArgument(Utf16(program));
    for (const std::string& a : args) line += L" " + QuotedArgument(Utf16(a));
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(Utf16(program).c_str(), line.data(), nullptr, nullptr,
                                          TRUE, 0, nullptr, nullptr, &startup, &process);
    ::CloseHandle(startup.hStdInput);
    ::CloseHandle(startup.hStdOutput);
    ::CloseHandle(startup.hStdError);
    if (!started) throw std::runtime_error("cannot start " + program);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    ProcessResult result;
    result.status = static_cast<int>(code);
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}
#else

// Runs program with args; standard output and error go through files in scratchFolder.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::string& scratchFolder) {
    const std::string outPath = scratchFolder + "/.stdout";
    const std::string errPath = scratchFolder + "/.stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0) {
    }

    ProcessResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return result;
}
#endif

}  // namespace korrin::testing
