#include "diagnostics/log_limits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const std::uint64_t mebibyte = 1024ULL * 1024;

struct SizeCase {
    const char* text;
    bool valid;
    std::uint64_t bytes;
};

TEST(LogLimits, SizesAreWholeMebibytesOrGibibytes) {
    const SizeCase cases[] = {
        {"1M", true, mebibyte},
        {"10M", true, 10 * mebibyte},
        {"1G", true, 1024 * mebibyte},
        {"1048576M", true, 1024 * 1024 * mebibyte},
        {"1024G", true, 1024 * 1024 * mebibyte},
        {"1048577M", false, 0},
        {"1025G", false, 0},
        {"99999999999999999999M", false, 0},
        {"0M", false, 0},
        {"10", false, 0},
        {"10m", false, 0},
        {"10K", false, 0},
        {"1T", false, 0},
        {"M", false, 0},
        {"", false, 0},
        {"lotsM", false, 0},
        {"-1M", false, 0},
        {"+1M", false, 0},
        {" 1M", false, 0},
        {"1.5G", false, 0},
    };
    for (const SizeCase& c : cases) {
        std::uint64_t bytes = 0;
        EXPECT_EQ(parseLogSize(c.text, bytes), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

struct CountCase {
    const char* text;
    bool valid;
    unsigned count;
};

TEST(LogLimits, FileCountsAreWholeNumbersUpToTheMost) {
    const CountCase cases[] = {
        {"0", true, 0},
        {"5", true, 5},
        {"999", true, 999},
        {"1000", false, 0},
        {"4294967301", false, 0},
        {"", false, 0},
        {"-1", false, 0},
        {"5 ", false, 0},
        {"five", false, 0},
        {"0x5", false, 0},
    };
    for (const CountCase& c : cases) {
        unsigned count = 77;
        EXPECT_EQ(parseLogFilesKept(c.text, count), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(count, c.count) << c.text;
        }
    }
}

}  // namespace
