#include "diagnostics/stream_capture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// The sink and flush run on the reader thread; the test reads them after a drain, which the
// reader's event orders after them.
std::string captured;
int flushes = 0;

void keep(const char* data, std::size_t size) {
    captured.append(data, size);
}

void countFlush() {
    ++flushes;
}

bool writeAll(HANDLE pipe, const std::string& text) {
    DWORD written = 0;
    return WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// One capture for the process: a started capture lives as long as the process.
StreamCapture& capture() {
    static StreamCapture* started = [] {
        auto* capture = new StreamCapture();
        EXPECT_TRUE(capture->start("unit-test", keep, countFlush));
        return capture;
    }();
    return *started;
}

TEST(StreamCapture, ADrainReturnsOnceEverythingWrittenBeforeItWasSunk) {
    StreamCapture& pipe = capture();
    for (int round = 0; round < 20; ++round) {
        captured.clear();
        flushes = 0;
        std::string text;
        for (int i = 0; i <= round * 50; ++i) {
            text += "round " + std::to_string(round) + " line " + std::to_string(i) + "\n";
        }
        // More than the pipe holds at once, at the largest rounds: the writer waits for the reader.
        ASSERT_TRUE(writeAll(pipe.writer(), text + "unfinished"));
        ASSERT_TRUE(pipe.drain(5000));
        EXPECT_EQ(captured, text + "unfinished") << "round " << round;
        EXPECT_EQ(flushes, 1);
    }
}

TEST(StreamCapture, WritesOfManyThreadsArriveWholeAndEachThreadsInOrder) {
    StreamCapture& pipe = capture();
    captured.clear();
    const int threads = 4;
    const int lines = 2000;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([&pipe, t] {
            for (int i = 0; i < lines; ++i) {
                writeAll(pipe.writer(), "thread " + std::to_string(t) + " line " + std::to_string(i) + "\n");
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    ASSERT_TRUE(pipe.drain(5000));
    std::vector<int> next(threads, 0);
    std::size_t start = 0;
    for (std::size_t end = captured.find('\n'); end != std::string::npos; end = captured.find('\n', start)) {
        int thread = -1;
        int line = -1;
        ASSERT_EQ(std::sscanf(captured.substr(start, end - start).c_str(), "thread %d line %d", &thread, &line), 2);
        ASSERT_TRUE(thread >= 0 && thread < threads);
        EXPECT_EQ(line, next[thread]++);
        start = end + 1;
    }
    EXPECT_EQ(start, captured.size());
    EXPECT_EQ(next, std::vector<int>(threads, lines));
}

TEST(StreamCapture, NothingWrittenStillDrains) {
    flushes = 0;
    ASSERT_TRUE(capture().drain(5000));
    ASSERT_TRUE(capture().drain(5000));
    EXPECT_EQ(flushes, 2);
}

}  // namespace
