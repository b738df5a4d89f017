#include "service/status_report.h"

#include <gtest/gtest.h>

#include "core/process_state.h"

namespace {

struct Report {
    DWORD state;
    DWORD exitCode;
    DWORD waitHint;
    DWORD controls;
    DWORD checkPoint;
    DWORD specific = 0;
};

// A whole run, as the service reports it: each row is one report and what the record then holds.
TEST(ServiceStatus, ReportRulesOverAWholeRun) {
    const Report run[] = {
        {SERVICE_START_PENDING, 0, 5000, 0, 1},
        {SERVICE_RUNNING, 0, 0, 0x107, 0},
        {SERVICE_PAUSE_PENDING, 0, 5000, 0x107, 2},
        {SERVICE_RUNNING, 0, 0, 0x107, 0},
        {SERVICE_PAUSED, 0, 0, 0x107, 3},
        {SERVICE_PAUSED, 0, 0, 0x107, 4},
        {SERVICE_CONTINUE_PENDING, 0, 0, 0x107, 5},
        {SERVICE_RUNNING, 0, 0, 0x107, 0},
        {SERVICE_STOP_PENDING, 0, 0, 0x107, 6},
        {SERVICE_STOPPED, 1067, 0, 0x107, 0},
        {SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR, 0, 0x107, 0, static_cast<DWORD>(-6)},
        {SERVICE_STOPPED, 0, 0, 0x107, 0},
    };
    SERVICE_STATUS status = {};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwServiceSpecificExitCode = 99;
    DWORD checkPoint = 1;
    for (const Report& report : run) {
        fillServiceStatus(status, checkPoint, report.state, report.exitCode, report.waitHint, report.specific);
        SCOPED_TRACE(testing::Message() << "state " << report.state << " check point " << report.checkPoint);
        EXPECT_EQ(status.dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
        EXPECT_EQ(status.dwCurrentState, report.state);
        EXPECT_EQ(status.dwControlsAccepted, report.controls);
        EXPECT_EQ(status.dwWin32ExitCode, report.exitCode);
        EXPECT_EQ(status.dwServiceSpecificExitCode, report.specific);
        EXPECT_EQ(status.dwCheckPoint, report.checkPoint);
        EXPECT_EQ(status.dwWaitHint, report.waitHint);
    }
    EXPECT_EQ(checkPoint, 7u);
}

// Once stopping, a service never shows running or paused again, and nothing follows stopped.
TEST(ServiceStatus, ReportsNeverGoBack) {
    const DWORD states[] = {SERVICE_STOPPED,         SERVICE_START_PENDING, SERVICE_STOP_PENDING, SERVICE_RUNNING,
                            SERVICE_CONTINUE_PENDING, SERVICE_PAUSE_PENDING, SERVICE_PAUSED};
    for (DWORD last : states) {
        for (DWORD next : states) {
            bool expected = last == SERVICE_STOPPED        ? false
                            : last == SERVICE_STOP_PENDING ? next == SERVICE_STOP_PENDING || next == SERVICE_STOPPED
                                                           : true;
            EXPECT_EQ(reportMayFollow(last, next), expected) << last << " then " << next;
        }
    }
}

TEST(ServiceStatus, AReportThatWouldGoBackIsNeitherSentNorCounted) {
    consoleMode = false;
    serviceStatusHandle = nullptr;
    serviceStatus = {};
    nextCheckPoint = 1;
    EXPECT_TRUE(reportServiceStatus(SERVICE_RUNNING, 0, 0));
    EXPECT_TRUE(reportServiceStatus(SERVICE_STOP_PENDING, 0, 0));
    EXPECT_FALSE(reportServiceStatus(SERVICE_RUNNING, 0, 0));
    EXPECT_FALSE(reportServiceStatus(SERVICE_PAUSED, 0, 0));
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
    EXPECT_TRUE(reportServiceStatus(SERVICE_STOP_PENDING, 0, 3000));
    EXPECT_EQ(serviceStatus.dwCheckPoint, 2u);
    EXPECT_TRUE(reportServiceStatus(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR, 0, 3));
    EXPECT_FALSE(reportServiceStatus(SERVICE_STOP_PENDING, 0, 0));
    EXPECT_FALSE(reportServiceStatus(SERVICE_STOPPED, 0, 0));
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(serviceStatus.dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
    EXPECT_EQ(serviceStatus.dwServiceSpecificExitCode, 3u);
    EXPECT_EQ(nextCheckPoint, 3u);
}

TEST(ServiceStatus, NothingIsReportedOrChangedInConsoleMode) {
    consoleMode = true;
    serviceStatus = {};
    nextCheckPoint = 1;
    reportServiceStatus(SERVICE_PAUSED, 0, 0);
    EXPECT_EQ(serviceStatus.dwCurrentState, 0u);
    EXPECT_EQ(nextCheckPoint, 1u);
    consoleMode = false;
}

TEST(ServiceStatus, ServiceModeFillsTheProcessRecordEvenWhenTheReportFails) {
    consoleMode = false;
    serviceStatusHandle = nullptr;
    serviceStatus = {};
    nextCheckPoint = 1;
    reportServiceStatus(SERVICE_START_PENDING, 0, 5000);
    EXPECT_EQ(serviceStatus.dwCurrentState, static_cast<DWORD>(SERVICE_START_PENDING));
    EXPECT_EQ(serviceStatus.dwCheckPoint, 1u);
    reportServiceStatus(SERVICE_PAUSED, 0, 0);
    EXPECT_EQ(serviceStatus.dwCheckPoint, 2u);
    EXPECT_EQ(nextCheckPoint, 3u);
}

}  // namespace
