#include "jvmhost/java_main_thread.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(JavaThreadResult, TextOfEveryCode) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {0, "Success. No error.\n"},
        {1, "Could not attach to JVM\n"},
        {2, "Failed to load class\n"},
        {3, "Failed to locate main method\n"},
        {4, "Failed to locate string array class\n"},
        {5, "Java Exception thrown\n"},
        {6, "Unknown error code (6)\n"},
        {259, "Unknown error code (259)\n"},
        {0xFFFFFFFFu, "Unknown error code (-1)\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        printJavaThreadResult(c.code);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.text) << c.code;
    }
}

}  // namespace
