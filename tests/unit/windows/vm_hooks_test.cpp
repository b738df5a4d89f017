#include "jvmhost/vm_hooks.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <thread>

#include "core/process_state.h"
#include "test_support.h"

namespace {

// The VM hands its hook a va_list of the Windows kind, as this variadic caller does.
jint vmPrints(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    jint written = vmMessageHook(nullptr, format, arguments);
    va_end(arguments);
    return written;
}

class VmHooks : public testing::Test {
protected:
    void SetUp() override {
        data = makeTestDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
        makeDirectory(data + "log");
        useLogOf(data);
        consoleMode = false;
        serviceStatusHandle = nullptr;
        serviceStatus = {};
        nextCheckPoint = 1;
        exitStatus = 0;
    }
    void TearDown() override {
        flushVmMessages();
        useLogOf(data);
        exitStatus = 0;
    }

    // The log's messages, each ended by "|".
    std::string logMessages() {
        std::string content = readFile(data + "log\\vorna-launcher.log");
        std::string messages;
        for (std::size_t start = 0; start < content.size();) {
            std::size_t end = content.find("\r\n", start);
            messages += content.substr(start + 28, end - start - 28) + "|";
            start = end + 2;
        }
        return messages;
    }

    std::string data;
};

TEST_F(VmHooks, MessagesAreFormattedAndLoggedLineByLineOnceEachLineIsWhole) {
    EXPECT_EQ(vmPrints("Invalid maximum heap size: %s\n", "-Xmxlots"), 36);
    EXPECT_EQ(vmPrints("[%.3fs][%s]", 0.012, "warning"), 17);
    EXPECT_EQ(logMessages(), "Invalid maximum heap size: -Xmxlots|");
    vmPrints(" %d%% done\nError: %s", 50, "unfinished");
    EXPECT_EQ(logMessages(), "Invalid maximum heap size: -Xmxlots|[0.012s][warning] 50% done|");
    flushVmMessages();
    EXPECT_EQ(logMessages(), "Invalid maximum heap size: -Xmxlots|[0.012s][warning] 50% done|Error: unfinished|");
}

TEST_F(VmHooks, AMessageOfAnyLengthStaysWhole) {
    std::string text(70000, 'v');
    EXPECT_EQ(vmPrints("%s and %s\n", text.c_str(), text.c_str()), 140006);
    EXPECT_EQ(logMessages(), text + " and " + text + "|");
}

TEST_F(VmHooks, EachThreadsUnfinishedLineIsKeptApart) {
    vmPrints("main thread: ");
    std::thread([] { vmPrints("VM thread: %s", "starts\n"); }).join();
    vmPrints("goes on\n");
    EXPECT_EQ(logMessages(), "VM thread: starts|main thread: goes on|");
}

TEST_F(VmHooks, ExitIsLoggedReportedAndBecomesTheProcessStatus) {
    const struct {
        jint status;
        DWORD exitCode;
        DWORD specific;
    } cases[] = {{0, NO_ERROR, 0}, {3, ERROR_SERVICE_SPECIFIC_ERROR, 3}, {-2, ERROR_SERVICE_SPECIFIC_ERROR, 0xFFFFFFFE}};
    for (const auto& c : cases) {
        serviceStatus = {};
        vmPrints("pending text");
        vmExitHook(c.status);
        EXPECT_EQ(exitStatus, c.status);
        EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED)) << c.status;
        EXPECT_EQ(serviceStatus.dwWin32ExitCode, c.exitCode) << c.status;
        EXPECT_EQ(serviceStatus.dwServiceSpecificExitCode, c.specific) << c.status;
    }
    EXPECT_EQ(logMessages(), "pending text|Java VM exiting with status 0.|pending text|Java VM exiting with status 3.|"
                             "pending text|Java VM exiting with status -2.|");
}

TEST_F(VmHooks, AbortIsLoggedAndReportedAsAnAbortedProcess) {
    vmPrints("# A fatal error has been detected");
    vmAbortHook();
    EXPECT_EQ(exitStatus, 1);
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(serviceStatus.dwWin32ExitCode, static_cast<DWORD>(ERROR_PROCESS_ABORTED));
    EXPECT_EQ(logMessages(), "# A fatal error has been detected|Java VM aborted.|");
}

}  // namespace
