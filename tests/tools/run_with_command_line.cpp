// Starts PROGRAM with exactly the command line given, as a shell or another program might, and
// passes on its exit code: the program sees argv[0] as that command line spells it.
//   run-with-command-line PROGRAM COMMAND-LINE
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: run-with-command-line PROGRAM COMMAND-LINE\n");
        return 64;
    }
    std::string commandLine = argv[2];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 65;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
