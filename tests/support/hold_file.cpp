// What other Windows programs do to a file, for the tests to meet for real. Runs until its
// standard input closes, after writing "y" to standard output once it holds the file:
//   hold_file             only runs: a copy of it is a running program
//   hold_file lock PATH   locks one byte in the middle of PATH's first 4 KiB
//   hold_file open PATH   has PATH open for reading, sharing it with readers only

#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (argc == 3) {
        const bool lock = std::strcmp(argv[1], "lock") == 0;
        file = ::CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE,
                             lock ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 2;
        OVERLAPPED at{};
        at.Offset = 2048;
        if (lock && !::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) return 3;
    }
    std::fputs("y", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    return 0;
}
