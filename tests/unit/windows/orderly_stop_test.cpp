#include "service/orderly_stop.h"

#include <gtest/gtest.h>

#include <string>

#include "core/process_state.h"
#include "test_support.h"

namespace {

// The stop without a VM: gracefulShutdown's call logs its line and finds no VM, and the VM's
// shutdown has nothing to do, so the stop's own waits and reports show on their own. The Java
// main thread is a thread that runs until the test ends it.
class OrderlyStop : public testing::Test {
protected:
    void SetUp() override {
        data = makeTestDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
        makeDirectory(data + "log");
        useLogOf(data);
        consoleMode = false;
        serviceStatusHandle = nullptr;
        serviceStatus = {};
        serviceStatus.dwCurrentState = SERVICE_STOP_PENDING;
        nextCheckPoint = 2;
        jvm = nullptr;
        mainEnds = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        jvmThread = CreateThread(nullptr, 0, waitForEvent, mainEnds, 0, nullptr);
    }
    void TearDown() override {
        endMain();
        CloseHandle(jvmThread);
        jvmThread = nullptr;
        CloseHandle(mainEnds);
        useLogOf(data);
    }

    static DWORD WINAPI waitForEvent(LPVOID event) { return WaitForSingleObject(event, INFINITE); }

    void endMain() {
        SetEvent(mainEnds);
        WaitForSingleObject(jvmThread, INFINITE);
    }

    std::string logMessages() {
        std::string content = readFile(data + "log\\vorna-launcher.log");
        std::string messages;
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find("\r\n", start);
            messages += content.substr(start + 28, end - start - 28) + "|";
            start = end + 2;
        }
        return messages;
    }

    std::string data;
    HANDLE mainEnds = nullptr;
};

// A stop that comes as main ends by itself: there is no application left to shut down.
TEST_F(OrderlyStop, AfterMainHasEndedCallsNoShutdownAndEndsAtOnce) {
    endMain();
    stopArrivedTick = GetTickCount64();
    runOrderlyStop();
    EXPECT_LT(GetTickCount64() - stopArrivedTick, 2000u);
    EXPECT_EQ(GetFileAttributesA((data + "log\\vorna-launcher.log").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(nextCheckPoint, 2u);
}

// Main ends soon after gracefulShutdown has returned: the stop waits for it, no longer.
TEST_F(OrderlyStop, WaitsForTheEndOfMain) {
    stopArrivedTick = GetTickCount64();
    HANDLE ender = CreateThread(
        nullptr, 0,
        [](LPVOID event) -> DWORD {
            Sleep(300);
            return SetEvent(event);
        },
        mainEnds, 0, nullptr);
    runOrderlyStop();
    EXPECT_EQ(WaitForSingleObject(jvmThread, 0), WAIT_OBJECT_0);
    EXPECT_LT(GetTickCount64() - stopArrivedTick, 2000u);
    EXPECT_EQ(logMessages(), "Shutting down VORNA...|JVM not active. Can't terminate, pause or continue service.|");
    WaitForSingleObject(ender, INFINITE);
    CloseHandle(ender);
}

// A main that never ends is given up when the stop's 29 s are over (here the control came 26 s
// ago), with stop pending reported meanwhile, the step named in the log and a thread dump asked
// for (without a VM here: the log says there is none).
TEST_F(OrderlyStop, GivesUpOnAMainThatNeverEndsWhenTheTimeIsUp) {
    ULONGLONG began = GetTickCount64();
    stopArrivedTick = began - 26000;
    runOrderlyStop();
    ULONGLONG took = GetTickCount64() - began;
    EXPECT_GE(took, 2900u);
    EXPECT_LT(took, 10000u);
    EXPECT_EQ(WaitForSingleObject(jvmThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    std::string messages = logMessages();
    std::string last = "Timeout while waiting for \"main\" method to end.|"
                       "Thread dump (\"main\" still runs at the end of the stop) not written: there is no Java VM.|";
    ASSERT_GE(messages.size(), last.size()) << messages;
    EXPECT_EQ(messages.substr(messages.size() - last.size()), last) << messages;
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_EQ(serviceStatus.dwWaitHint, 5000u);
    EXPECT_GE(nextCheckPoint, 3u);
}

}  // namespace
