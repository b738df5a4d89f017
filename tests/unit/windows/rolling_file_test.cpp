#include "diagnostics/rolling_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/handle_owner.h"
#include "core/process_state.h"
#include "diagnostics/log_writer.h"
#include "test_support.h"

namespace {

// Lines of 20 bytes, numbered: what was written can be told apart and put back in order.
std::string numberedLine(int number) {
    char line[32];
    std::snprintf(line, sizeof line, "line %06d ......\r\n", number);
    return line;
}

std::string numberedLines(int first, int count) {
    std::string lines;
    for (int i = first; i < first + count; ++i) {
        lines += numberedLine(i);
    }
    return lines;
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class RollingFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder = makeTestDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
        path = folder + "vorna-output.log";
        logSizeLimit = 100;
        logFilesKept = 5;
    }
    void TearDown() override {
        logSizeLimit = 10 * 1024 * 1024;
        logFilesKept = 5;
    }

    std::string rolled(unsigned number) const { return folder + "vorna-output." + std::to_string(number) + ".log"; }

    // The rolled-over files from the first on, while they exist, then the current file.
    std::string everything(unsigned first = 1) const {
        std::string content;
        for (unsigned number = first; exists(rolled(number)); ++number) {
            content += readFile(rolled(number));
        }
        return content + readFile(path);
    }

    std::string folder;
    std::string path;
};

TEST_F(RollingFileTest, WritesRollOverAtTheLimitAndNothingIsLost) {
    RollingFile file(path);
    ASSERT_TRUE(file.open());
    // Five lines fit in 100 bytes; the sixth rolls the file over.
    for (int i = 0; i < 23; ++i) {
        ASSERT_TRUE(file.write(numberedLine(i)));
    }
    EXPECT_EQ(everything(), numberedLines(0, 23));
    EXPECT_EQ(readFile(rolled(1)), numberedLines(0, 5));
    EXPECT_EQ(readFile(rolled(4)), numberedLines(15, 5));
    EXPECT_FALSE(exists(rolled(5)));
    EXPECT_EQ(readFile(path), numberedLines(20, 3));
    EXPECT_EQ(file.takeRollFailure(), "");
}

TEST_F(RollingFileTest, AWriteIsNeverSplitAndOneBeyondTheLimitGetsAFileOfItsOwn) {
    RollingFile file(path);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write(numberedLines(0, 3)));
    ASSERT_TRUE(file.write(numberedLines(3, 8)));
    ASSERT_TRUE(file.write(numberedLine(11)));
    EXPECT_EQ(readFile(rolled(1)), numberedLines(0, 3));
    EXPECT_EQ(readFile(rolled(2)), numberedLines(3, 8));
    EXPECT_EQ(readFile(path), numberedLine(11));
}

TEST_F(RollingFileTest, OnlyTheNewestRolledFilesAreKept) {
    logFilesKept = 2;
    RollingFile file(path);
    ASSERT_TRUE(file.open());
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(file.write(numberedLine(i)));
    }
    // Seven roll-overs: files 6 and 7 are kept.
    EXPECT_FALSE(exists(rolled(5)));
    EXPECT_EQ(everything(6), numberedLines(25, 15));
    EXPECT_FALSE(exists(rolled(8)));
}

TEST_F(RollingFileTest, NoRolledFileKeptEmptiesTheFileInPlace) {
    logFilesKept = 0;
    RollingFile file(path);
    ASSERT_TRUE(file.open());
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(file.write(numberedLine(i)));
    }
    EXPECT_FALSE(exists(rolled(1)));
    EXPECT_EQ(readFile(path), numberedLines(10, 2));
}

// The numbering goes on from the files an earlier run left; the file's content stays.
TEST_F(RollingFileTest, ALaterRunAppendsAndNumbersOnFromTheFilesThere) {
    writeFile(rolled(7), numberedLines(0, 5));
    writeFile(path, numberedLines(5, 4));
    RollingFile file(path);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write(numberedLine(9)));
    ASSERT_TRUE(file.write(numberedLine(10)));
    EXPECT_EQ(readFile(rolled(8)), numberedLines(5, 5));
    EXPECT_EQ(everything(7), numberedLines(0, 11));
}

// A log viewer that keeps the file open shares reading and writing, not deleting: a rename
// would fail, the copy and the emptying in place do not.
TEST_F(RollingFileTest, AViewerHoldingTheFileDoesNotStopTheRollOver) {
    RollingFile file(path);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write(numberedLine(0)));
    KernelHandle viewer(fileHandleOrNull(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(viewer);
    for (int i = 1; i < 12; ++i) {
        ASSERT_TRUE(file.write(numberedLine(i)));
    }
    EXPECT_EQ(everything(), numberedLines(0, 12));
    EXPECT_TRUE(exists(rolled(2)));
}

// An old file held open without sharing its deletion cannot go; it goes at the first roll-over
// after it was let go, and the count is back at its limit.
TEST_F(RollingFileTest, ARolledFileHeldOpenGoesOnceItIsLetGo) {
    logFilesKept = 1;
    RollingFile file(path);
    ASSERT_TRUE(file.open());
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(file.write(numberedLine(i)));
    }
    KernelHandle reader(fileHandleOrNull(CreateFileA(rolled(1).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    ASSERT_TRUE(reader);
    for (int i = 6; i < 11; ++i) {
        ASSERT_TRUE(file.write(numberedLine(i)));
    }
    EXPECT_TRUE(exists(rolled(1)));
    EXPECT_TRUE(exists(rolled(2)));
    reader.reset();
    for (int i = 11; i < 16; ++i) {
        ASSERT_TRUE(file.write(numberedLine(i)));
    }
    EXPECT_FALSE(exists(rolled(1)));
    EXPECT_FALSE(exists(rolled(2)));
    EXPECT_EQ(everything(3), numberedLines(10, 6));
}

TEST_F(RollingFileTest, ASecondWriterIsRefused) {
    RollingFile first(path);
    ASSERT_TRUE(first.open());
    RollingFile second(path);
    EXPECT_FALSE(second.open());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(second.write(numberedLine(0)));
}

// A process the application starts inherits every inheritable handle of ours; one that outlives
// the service and holds the log would keep the next start from opening it (as a second writer).
// The child here is held suspended at its start, its inherited handles taken.
TEST(LogHandles, AChildProcessDoesNotInheritTheLog) {
    std::string data = makeTestDirectory("log-inheritance");
    makeDirectory(data + "log");
    useLogOf(data);
    writeLog("before the child");

    char self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, self, MAX_PATH), 0U);
    std::string commandLine = std::string("\"") + self + "\" --gtest_list_tests";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(self, &commandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &child));
    KernelHandle process(child.hProcess);
    KernelHandle thread(child.hThread);

    // As the next start of the service would: its own writer of the same log.
    useLogOf(data);
    writeLog("after the child");
    TerminateProcess(process.get(), 0);
    std::string log = readFile(data + "log\\vorna-launcher.log");
    EXPECT_NE(log.find("after the child"), std::string::npos) << log;
    useLogOf(data);
}

}  // namespace
