#include "service/status_report.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/process_state.h"

namespace {

// The handler's thread and the supervision loop report at the same time; every report that
// carries a check point must take a value of its own, so none may be lost between two threads.
TEST(ServiceStatusUnderContention, EveryReportTakesACheckPointOfItsOwn) {
    consoleMode = false;
    serviceStatusHandle = nullptr;
    serviceStatus = {};
    nextCheckPoint = 1;
    const DWORD states[] = {SERVICE_PAUSE_PENDING, SERVICE_PAUSED, SERVICE_CONTINUE_PENDING, SERVICE_RUNNING};
    const int threads = 4;
    const int reports = 20000;

    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> reporters;
    for (int t = 0; t < threads; ++t) {
        reporters.emplace_back([start, state = states[t], reports] {
            WaitForSingleObject(start, INFINITE);
            for (int i = 0; i < reports; ++i) {
                reportServiceStatus(state, NO_ERROR, 0);
            }
        });
    }
    SetEvent(start);
    for (std::thread& reporter : reporters) {
        reporter.join();
    }
    CloseHandle(start);

    // Three of the four states carry a check point; running does not.
    EXPECT_EQ(nextCheckPoint, static_cast<DWORD>(1 + 3 * reports));
}

}  // namespace
