#include "diagnostics/system_error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string printed(std::uint32_t code) {
    testing::internal::CaptureStderr();
    printSystemError(code);
    return testing::internal::GetCapturedStderr();
}

TEST(SystemError, NamesEveryCodeOfTheTable) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {3, "ERROR_PATH_NOT_FOUND (3)\n"},
        {5, "ERROR_ACCESS_DENIED (5)\n"},
        {6, "ERROR_INVALID_HANDLE (6)\n"},
        {32, "ERROR_SHARING_VIOLATION (32)\n"},
        {87, "ERROR_INVALID_PARAMETER (87)\n"},
        {1051, "ERROR_DEPENDENT_SERVICES_RUNNING (1051)\n"},
        {1052, "ERROR_INVALID_SERVICE_CONTROL (1052)\n"},
        {1053, "ERROR_SERVICE_REQUEST_TIMEOUT (1053)\n"},
        {1054, "ERROR_SERVICE_NO_THREAD (1054)\n"},
        {1055, "ERROR_SERVICE_DATABASE_LOCKED (1055)\n"},
        {1056, "ERROR_SERVICE_ALREADY_RUNNING (1056)\n"},
        {1058, "ERROR_SERVICE_DISABLED (1058)\n"},
        {1061, "ERROR_SERVICE_CANNOT_ACCEPT_CTRL (1061)\n"},
        {1062, "ERROR_SERVICE_NOT_ACTIVE (1062)\n"},
        {1068, "ERROR_SERVICE_DEPENDENCY_FAIL (1068)\n"},
        {1069, "ERROR_SERVICE_LOGON_FAILED (1069)\n"},
        {1072, "ERROR_SERVICE_MARKED_FOR_DELETE (1072)\n"},
        {1075, "ERROR_SERVICE_DEPENDENCY_DELETED (1075)\n"},
        {1115, "ERROR_SHUTDOWN_IN_PROGRESS (1115)\n"},
        // Everything else, common codes and the gaps between listed ones included.
        {0, "Unknown error code (0)\n"},
        {2, "Unknown error code (2)\n"},
        {4, "Unknown error code (4)\n"},
        {1057, "Unknown error code (1057)\n"},
        {1060, "Unknown error code (1060)\n"},
        {1073, "Unknown error code (1073)\n"},
        {1116, "Unknown error code (1116)\n"},
        // %d reads the code as signed.
        {2147483647u, "Unknown error code (2147483647)\n"},
        {2147483648u, "Unknown error code (-2147483648)\n"},
        {0xFFFFFFFFu, "Unknown error code (-1)\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(printed(c.code), c.text) << "code " << c.code;
    }
}

}  // namespace
