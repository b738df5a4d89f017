#include "diagnostics/log_writer.h"

#include <windows.h>
#include <share.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/process_state.h"
#include "test_support.h"

namespace {

std::string stampOf(std::time_t moment) {
    char text[80];
    std::size_t length = formatLogTimestamp(*std::localtime(&moment), text, sizeof text);
    return std::string(text, length);
}

class LogWriter : public testing::Test {
protected:
    void SetUp() override {
        data = makeTestDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
        makeDirectory(data + "log");
        useLogOf(data);
        log = data + "log\\vorna-launcher.log";
    }
    void TearDown() override { useLogOf(data); }

    std::string data;
    std::string log;
};

TEST(LogTimestamp, DayMonthYearTwentyFourHourTimeAndTag) {
    const struct {
        int year, month, day, hour, minute, second;
        const char* stamp;
    } cases[] = {
        {2017, 2, 3, 9, 5, 7, "03.02.2017 09:05:07 [VORNA] "},
        {2016, 12, 9, 14, 3, 27, "09.12.2016 14:03:27 [VORNA] "},
        {2000, 1, 1, 0, 0, 0, "01.01.2000 00:00:00 [VORNA] "},
        {2099, 12, 31, 23, 59, 59, "31.12.2099 23:59:59 [VORNA] "},
    };
    for (const auto& c : cases) {
        std::tm moment = {};
        moment.tm_year = c.year - 1900;
        moment.tm_mon = c.month - 1;
        moment.tm_mday = c.day;
        moment.tm_hour = c.hour;
        moment.tm_min = c.minute;
        moment.tm_sec = c.second;
        char text[80];
        std::size_t length = formatLogTimestamp(moment, text, sizeof text);
        EXPECT_EQ(std::string(text, length), c.stamp);
    }
}

TEST_F(LogWriter, WritesOneStampedLineWithCrLfAndTheCallersArguments) {
    std::time_t before = std::time(nullptr);
    writeLog("Error: JavaHome for %s %s not found.", "JDK", "1.8");
    std::time_t after = std::time(nullptr);

    std::string content = readFile(log);
    const std::string message = "Error: JavaHome for JDK 1.8 not found.\r\n";
    ASSERT_EQ(content.size(), 28 + message.size()) << content;
    std::string stamp = content.substr(0, 28);
    EXPECT_TRUE(stamp == stampOf(before) || stamp == stampOf(after)) << stamp;
    EXPECT_EQ(content.substr(28), message);
}

TEST_F(LogWriter, AppendsToWhatTheFileHeld) {
    writeFile(log, "earlier line\r\n");
    writeLog("VORN Service Startup");
    writeLog("VORN Service Shutdown");
    std::string content = readFile(log);
    EXPECT_EQ(content.substr(0, 14), "earlier line\r\n");
    EXPECT_TRUE(std::regex_match(content, std::regex("earlier line\r\n"
                                                     "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d \\[VORNA\\] "
                                                     "VORN Service Startup\r\n"
                                                     "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d \\[VORNA\\] "
                                                     "VORN Service Shutdown\r\n")))
        << content;
}

TEST_F(LogWriter, AFormatEndingInLineFeedGivesAnEmptyLine) {
    writeLog("StartServiceCtrlDispatcher failure, error code = %d\n", 1063);
    std::string content = readFile(log);
    EXPECT_EQ(content.substr(28), "StartServiceCtrlDispatcher failure, error code = 1063\r\n\r\n");
}

TEST_F(LogWriter, MissingLogDirectoryDropsTheLineUntilTheDirectoryExists) {
    RemoveDirectoryA((data + "log").c_str());

    testing::internal::CaptureStderr();
    writeLog("first");
    writeLog("second");
    std::string errors = testing::internal::GetCapturedStderr();
    const std::string failure = "Error while opening log file '" + log + "': ERROR_PATH_NOT_FOUND (3)\n";
    EXPECT_EQ(errors, failure + failure);
    EXPECT_EQ(GetFileAttributesA(log.c_str()), INVALID_FILE_ATTRIBUTES);

    makeDirectory(data + "log");
    writeLog("third");
    EXPECT_EQ(readFile(log).substr(28), "third\r\n");
}

TEST_F(LogWriter, AFileHeldByAnotherWriterIsASharingViolation) {
    FILE* other = _fsopen(log.c_str(), "a", _SH_DENYWR);
    ASSERT_NE(other, nullptr);
    std::fputs("other writer\n", other);
    std::fflush(other);

    testing::internal::CaptureStderr();
    writeLog("refused");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error while opening log file '" + log + "': ERROR_SHARING_VIOLATION (32)\n");
    std::fclose(other);
    EXPECT_EQ(readFile(log), "other writer\r\n");

    writeLog("accepted");
    EXPECT_EQ(readFile(log).substr(14 + 28), "accepted\r\n");
}

TEST_F(LogWriter, AReaderCanOpenTheLogWhileItIsWritten) {
    writeLog("line one");
    FILE* reader = _fsopen(log.c_str(), "r", _SH_DENYNO);
    ASSERT_NE(reader, nullptr);
    writeLog("line two");
    char line[256];
    ASSERT_NE(std::fgets(line, sizeof line, reader), nullptr);
    EXPECT_STREQ(line + 28, "line one\n");
    ASSERT_NE(std::fgets(line, sizeof line, reader), nullptr);
    EXPECT_STREQ(line + 28, "line two\n");
    std::fclose(reader);
}

TEST_F(LogWriter, AFailedOpenReleasesTheLockForOtherThreads) {
    RemoveDirectoryA((data + "log").c_str());
    testing::internal::CaptureStderr();
    writeLog("dropped");
    HANDLE other = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { writeLog("also dropped"); return 0; }, nullptr, 0, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(WaitForSingleObject(other, 5000), WAIT_OBJECT_0);
    CloseHandle(other);
    testing::internal::GetCapturedStderr();
}

TEST_F(LogWriter, LinesFromManyThreadsStayWholeAndNoneIsLost) {
    const int threads = 8;
    const int linesPerThread = 2000;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < linesPerThread; ++i) {
                writeLog("thread %d line %05d %s", t, i, "payload-payload-payload-payload-payload");
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }

    std::istringstream content(readFile(log));
    const std::regex shape(
        "\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d \\[VORNA\\] thread (\\d) line (\\d{5}) "
        "payload-payload-payload-payload-payload\r");
    std::set<std::pair<int, int>> seen;
    std::string line;
    int count = 0;
    while (std::getline(content, line)) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, shape)) << "line " << count << ": " << line;
        seen.emplace(std::stoi(match[1]), std::stoi(match[2]));
        ++count;
    }
    EXPECT_EQ(count, threads * linesPerThread);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(threads * linesPerThread));
}

}  // namespace
