// The launcher's own log writer under load, in a process of its own, standing in for a launcher
// that writes while others try the same file.
//   log-load DATA THREADS LINES RELEASE
// Writes one first line (so the log is open), prints "ready", waits for the file RELEASE.go, then
// writes LINES lines from each of THREADS threads at once through writeLog, prints "written N",
// and keeps the log open until the file RELEASE exists. Lines: "load thread T line NNNNN <payload>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: log-load DATA THREADS LINES RELEASE\n");
        return 64;
    }
    InitializeCriticalSection(&logLock);
    logPath = copyText(std::string(argv[1]) + "log\\vorna-launcher.log");
    int threads = std::atoi(argv[2]);
    int lines = std::atoi(argv[3]);
    std::string release = argv[4];

    writeLog("load begins: %d threads x %d lines", threads, lines);
    if (logFile == nullptr) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    awaitFile(release + ".go");

    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([t, lines] {
            for (int i = 0; i < lines; ++i) {
                writeLog("load thread %d line %05d %s", t, i, payload);
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    std::printf("written %d\n", threads * lines);
    std::fflush(stdout);
    awaitFile(release);
    return 0;
}
