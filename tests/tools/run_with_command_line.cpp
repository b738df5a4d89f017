// Starts PROGRAM with exactly the command line given, as a shell or another program might, and
// passes on its exit code: the program sees argv[0] as that command line spells it. Once the
// program has ended, prints "exit=CODE" with its whole exit code: Wine hands a Linux parent only
// the low 8 bits of a Windows exit code. Every way it ends writes a line.
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
    CloseHandle(process.hThread);
    DWORD code = 0;
    bool ended = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                 GetExitCodeProcess(process.hProcess, &code);
    DWORD error = GetLastError();
    CloseHandle(process.hProcess);
    if (!ended) {
        std::fprintf(stderr, "waiting for the program failed: %lu\n", error);
        return 66;
    }
    std::printf("exit=%lu\n", code);
    return static_cast<int>(code);
}
