#include "service/control_handler.h"

#include <gtest/gtest.h>

#include <string>

#include "core/process_state.h"
#include "core/text_copy.h"
#include "service/lifecycle_control.h"
#include "test_support.h"

namespace {

// The handler without a VM: each lifecycle call logs its line and finds no VM, so the handler's
// own work (reports, flags, event, result) shows on its own.
class ControlHandler : public testing::Test {
protected:
    void SetUp() override {
        data = makeTestDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
        makeDirectory(data + "log");
        useLogOf(data);
        consoleMode = false;
        serviceStatusHandle = nullptr;
        serviceStatus = {};
        nextCheckPoint = 1;
        jvm = nullptr;
        keepRunning = true;
        servicePaused = false;
        shutdownEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        controlEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    void TearDown() override {
        // A pause or continue still pending ends as the supervision loop would end it.
        while (pendingControl != 0) {
            WaitForSingleObject(pauseOrContinueWakeHandle(), 1000);
            reportSupervisedState();
        }
        useLogOf(data);
        CloseHandle(shutdownEvent);
        shutdownEvent = nullptr;
        CloseHandle(controlEvent);
        controlEvent = nullptr;
        keepRunning = true;
        servicePaused = false;
    }

    // What one pass of the supervision loop reports once the pending method's thread has ended.
    void superviseUntilSettled() {
        ASSERT_EQ(WaitForSingleObject(pauseOrContinueWakeHandle(), 5000), WAIT_OBJECT_0);
        reportSupervisedState();
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
};

// The handler only starts the stop, which the service main carries out, so it answers at once
// whatever the application does.
TEST_F(ControlHandler, StopReportsPendingNotesTheTimeClearsTheFlagAndSetsTheEvent) {
    ULONGLONG before = GetTickCount64();
    EXPECT_EQ(serviceControlHandler(SERVICE_CONTROL_STOP, 0, nullptr, nullptr), static_cast<DWORD>(NO_ERROR));
    EXPECT_FALSE(keepRunning);
    EXPECT_EQ(WaitForSingleObject(shutdownEvent, 0), WAIT_OBJECT_0);
    EXPECT_GE(stopArrivedTick, before);
    EXPECT_LE(stopArrivedTick, GetTickCount64());
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_EQ(serviceStatus.dwWaitHint, 5000u);
    EXPECT_EQ(serviceStatus.dwCheckPoint, 1u);
    EXPECT_EQ(GetFileAttributesA((data + "log\\vorna-launcher.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A stop, shutdown or preshutdown while a stop runs leaves that stop's time and reports alone.
TEST_F(ControlHandler, AStopUnderWayIsLeftToGoOn) {
    serviceControlHandler(SERVICE_CONTROL_STOP, 0, nullptr, nullptr);
    WaitForSingleObject(shutdownEvent, 0);
    ULONGLONG arrived = stopArrivedTick;
    Sleep(20);
    for (DWORD control : {DWORD{SERVICE_CONTROL_STOP}, DWORD{SERVICE_CONTROL_SHUTDOWN}, DWORD{SERVICE_CONTROL_PRESHUTDOWN}}) {
        EXPECT_EQ(serviceControlHandler(control, 0, nullptr, nullptr), static_cast<DWORD>(NO_ERROR)) << control;
    }
    EXPECT_EQ(stopArrivedTick, arrived);
    EXPECT_EQ(nextCheckPoint, 2u);
    EXPECT_EQ(WaitForSingleObject(shutdownEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(ControlHandler, ShutdownAndPreshutdownActAsStop) {
    for (DWORD control : {DWORD{SERVICE_CONTROL_SHUTDOWN}, DWORD{SERVICE_CONTROL_PRESHUTDOWN}}) {
        keepRunning = true;
        EXPECT_EQ(serviceControlHandler(control, 0, nullptr, nullptr), static_cast<DWORD>(NO_ERROR));
        EXPECT_FALSE(keepRunning) << control;
        EXPECT_EQ(WaitForSingleObject(shutdownEvent, 0), WAIT_OBJECT_0) << control;
        EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING)) << control;
    }
}

// The handler starts the method and returns; the loop settles the state once the method has
// ended. Without a VM the method cannot be called: the pause is refused, the service runs on.
TEST_F(ControlHandler, PauseReportsPendingUntilItsMethodEndsAndARefusedPauseRunsOn) {
    EXPECT_EQ(serviceControlHandler(SERVICE_CONTROL_PAUSE, 0, nullptr, nullptr), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_PAUSE_PENDING));
    EXPECT_EQ(serviceStatus.dwWaitHint, 5000u);
    EXPECT_EQ(serviceStatus.dwCheckPoint, 1u);
    EXPECT_EQ(serviceStatus.dwControlsAccepted, 0x107u);
    EXPECT_EQ(WaitForSingleObject(controlEvent, 0), WAIT_OBJECT_0) << "the loop is woken";

    superviseUntilSettled();
    EXPECT_FALSE(servicePaused);
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(pendingControl, 0u);

    servicePaused = true;
    EXPECT_EQ(serviceControlHandler(SERVICE_CONTROL_CONTINUE, 0, nullptr, nullptr), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_CONTINUE_PENDING));
    EXPECT_EQ(serviceStatus.dwWaitHint, 5000u);
    EXPECT_EQ(serviceStatus.dwCheckPoint, 2u);
    superviseUntilSettled();
    EXPECT_TRUE(servicePaused);
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_PAUSED));

    EXPECT_TRUE(keepRunning);
    EXPECT_EQ(WaitForSingleObject(shutdownEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(logMessages(),
              "Pausing VORNA...|JVM not active. Can't terminate, pause or continue service.|"
              "Continuing VORNA...|JVM not active. Can't terminate, pause or continue service.|");
}

// One pause or continue at a time, and none once the service stops: the handler refuses it at
// once instead of starting another thread.
TEST_F(ControlHandler, AControlWhileOneIsPendingOrTheServiceStopsIsRefused) {
    ASSERT_EQ(serviceControlHandler(SERVICE_CONTROL_PAUSE, 0, nullptr, nullptr), static_cast<DWORD>(NO_ERROR));
    DWORD checkPoint = serviceStatus.dwCheckPoint;
    for (DWORD control : {DWORD{SERVICE_CONTROL_PAUSE}, DWORD{SERVICE_CONTROL_CONTINUE}}) {
        EXPECT_EQ(serviceControlHandler(control, 0, nullptr, nullptr),
                  static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL)) << control;
    }
    EXPECT_EQ(serviceStatus.dwCheckPoint, checkPoint);
    superviseUntilSettled();

    serviceControlHandler(SERVICE_CONTROL_STOP, 0, nullptr, nullptr);
    EXPECT_EQ(serviceControlHandler(SERVICE_CONTROL_PAUSE, 0, nullptr, nullptr),
              static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL));
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_EQ(logMessages(), "Pausing VORNA...|JVM not active. Can't terminate, pause or continue service.|");
}

TEST_F(ControlHandler, OtherControlsAreAnsweredWithoutAnyWork) {
    for (DWORD control : {DWORD{SERVICE_CONTROL_INTERROGATE}, DWORD{6}, DWORD{128}, DWORD{200}, DWORD{255}}) {
        EXPECT_EQ(serviceControlHandler(control, 0, nullptr, nullptr), static_cast<DWORD>(NO_ERROR)) << control;
    }
    EXPECT_EQ(serviceStatus.dwCurrentState, 0u);
    EXPECT_EQ(nextCheckPoint, 1u);
    EXPECT_TRUE(keepRunning);
    EXPECT_FALSE(servicePaused);
    EXPECT_EQ(GetFileAttributesA((data + "log\\vorna-launcher.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
