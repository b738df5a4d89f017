// The log figure: lines per second that THREADS threads write at once through the launcher's
// writeLog, against the floor, raw fprintf and fflush of lines of the same length under one lock,
// in the same process; and, to tell where a difference comes from, the floor that also reads the
// calendar clock (time) for every line, as writeLog does. Rounds rotate which goes first.
//   log-throughput DATA THREADS LINES ROUNDS
// Prints one line a round: "round=R ours=LINES_PER_S floor=LINES_PER_S clock=LINES_PER_S".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/process_state.h"
#include "core/text_copy.h"
#include "diagnostics/log_writer.h"

namespace {

const char payload[] = "abcdefghijklmnopqrstuvwxyz-ABCDEFGHIJKLMNOPQRSTUVWXYZ-0123456789";

// Lines per second of threads x lines calls of write(thread, line), all threads started at once.
double linesPerSecond(int threads, int lines, const std::function<void(int, int)>& write) {
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([&, t] {
            WaitForSingleObject(start, INFINITE);
            for (int i = 0; i < lines; ++i) {
                write(t, i);
            }
        });
    }
    LARGE_INTEGER frequency;
    LARGE_INTEGER begin;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    SetEvent(start);
    for (std::thread& writer : writers) {
        writer.join();
    }
    QueryPerformanceCounter(&end);
    CloseHandle(start);
    double seconds = static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
    return threads * lines / seconds;
}

double oursRate(const std::string& data, int threads, int lines) {
    std::string path = data + "log\\vorna-launcher.log";
    DeleteFileA(path.c_str());
    logPath = copyText(path);
    logFile = new RollingFile(path);
    double rate = linesPerSecond(threads, lines, [](int t, int i) {
        writeLog("bench thread %d line %06d %s", t, i, payload);
    });
    delete logFile;
    logFile = nullptr;
    return rate;
}

double floorRate(const std::string& data, int threads, int lines, bool readClock) {
    std::string path = data + "log\\floor.log";
    DeleteFileA(path.c_str());
    FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        return 0;
    }
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    // The time stamp's place is taken by text of its length.
    double rate = linesPerSecond(threads, lines, [&](int t, int i) {
        EnterCriticalSection(&lock);
        if (readClock) {
            volatile std::time_t now = std::time(nullptr);
            (void)now;
        }
        std::fprintf(file, "dd.mm.yyyy HH:MM:SS [VORNA] bench thread %d line %06d %s\n", t, i, payload);
        std::fflush(file);
        LeaveCriticalSection(&lock);
    });
    DeleteCriticalSection(&lock);
    std::fclose(file);
    return rate;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: log-throughput DATA THREADS LINES ROUNDS\n");
        return 64;
    }
    InitializeCriticalSection(&logLock);
    std::string data = argv[1];
    int threads = std::atoi(argv[2]);
    int lines = std::atoi(argv[3]);
    int rounds = std::atoi(argv[4]);
    for (int round = 0; round < rounds; ++round) {
        double rates[3] = {};
        for (int step = 0; step < 3; ++step) {
            int kind = (round + step) % 3;
            rates[kind] = kind == 0 ? oursRate(data, threads, lines) : floorRate(data, threads, lines, kind == 2);
        }
        std::printf("round=%d ours=%.1f floor=%.1f clock=%.1f\n", round, rates[0], rates[1], rates[2]);
        std::fflush(stdout);
    }
    return 0;
}
