// The launcher's own log writer in a process of its own, standing in for a launcher that holds
// or writes the log while others try the same file. DATA is the data directory, as in the registry.
//   log-load hold DATA RELEASE
//     writes one line (the log is then open), prints "ready", keeps the log open until the file
//     RELEASE exists
//   log-load write DATA THREADS LINES RELEASE
//     prints "ready", waits for the file RELEASE.go, then writes LINES lines from each of THREADS
//     threads, all started at once so that their first calls meet at the lazy open, prints
//     "written N" and keeps the log open until RELEASE exists. Lines: "load thread T line NNNNN ..."
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/process_state.h"
#include "core/text_copy.h"
#include "diagnostics/log_writer.h"

namespace {

const char payload[] = "abcdefghijklmnopqrstuvwxyz-ABCDEFGHIJKLMNOPQRSTUVWXYZ-0123456789";

// Bounded, so that a test that dies early leaves nothing behind for long.
void awaitFile(const std::string& path) {
    for (int i = 0; i < 12000 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(10);
    }
}

void say(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

int hold(const std::string& release) {
    writeLog("log-load holds the log");
    if (!logFile->open()) {
        return 1;
    }
    say("ready");
    awaitFile(release);
    return 0;
}

int write(int threads, int lines, const std::string& release) {
    say("ready");
    awaitFile(release + ".go");
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([t, lines, start] {
            WaitForSingleObject(start, INFINITE);
            for (int i = 0; i < lines; ++i) {
                writeLog("load thread %d line %05d %s", t, i, payload);
            }
        });
    }
    SetEvent(start);
    for (std::thread& writer : writers) {
        writer.join();
    }
    std::printf("written %d\n", threads * lines);
    std::fflush(stdout);
    awaitFile(release);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    bool holding = argc == 4 && std::strcmp(argv[1], "hold") == 0;
    bool writing = argc == 6 && std::strcmp(argv[1], "write") == 0;
    if (!holding && !writing) {
        std::fprintf(stderr, "usage: log-load hold DATA RELEASE | write DATA THREADS LINES RELEASE\n");
        return 64;
    }
    InitializeCriticalSection(&logLock);
    logPath = copyText(std::string(argv[2]) + "log\\vorna-launcher.log");
    logFile = new RollingFile(logPath);
    if (holding) {
        return hold(argv[3]);
    }
    return write(std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
}
