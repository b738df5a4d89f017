#include "diagnostics/rolled_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Numbers = std::vector<unsigned>;

TEST(RolledFiles, NamesCarryTheNumberBeforeTheExtension) {
    EXPECT_EQ(rolledFileName("vorna-output.log", 1), "vorna-output.1.log");
    EXPECT_EQ(rolledFileName("vorna-launcher.log", 123456), "vorna-launcher.123456.log");
    EXPECT_EQ(rolledFileName("plain", 2), "plain.2");
}

struct NameCase {
    const char* candidate;
    unsigned number;
};

TEST(RolledFiles, OnlyTheFilesOwnRolledNamesAreRecognised) {
    const NameCase cases[] = {
        {"vorna-output.1.log", 1},
        {"vorna-output.42.log", 42},
        {"VORNA-OUTPUT.7.LOG", 7},
        {"vorna-output.999999999.log", 999999999},
        {"vorna-output.log", 0},
        {"vorna-output..log", 0},
        {"vorna-output.0.log", 0},
        {"vorna-output.07.log", 0},
        {"vorna-output.1000000000.log", 0},
        {"vorna-output.1a.log", 0},
        {"vorna-output.-1.log", 0},
        {"vorna-output.1.txt", 0},
        {"vorna-output.1.log.bak", 0},
        {"vorna-outputs.1.log", 0},
        {"vorna-launcher.1.log", 0},
        {"vorna-output-1.log", 0},
        {"", 0},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(rolledFileNumber("vorna-output.log", c.candidate), c.number) << c.candidate;
    }
}

TEST(RolledFiles, EachRollTakesTheNextNumberAndTheOldestGoFirst) {
    EXPECT_EQ(nextRolledFileNumber({}), 1U);
    EXPECT_EQ(nextRolledFileNumber({3, 1, 2}), 4U);
    // Files an administrator deleted leave gaps; numbers still only grow.
    EXPECT_EQ(nextRolledFileNumber({9}), 10U);

    EXPECT_EQ(rolledFilesBeyond({}, 5), Numbers{});
    EXPECT_EQ(rolledFilesBeyond({1, 2, 3}, 5), Numbers{});
    EXPECT_EQ(rolledFilesBeyond({4, 1, 6, 2, 5, 3}, 5), Numbers{1});
    EXPECT_EQ(rolledFilesBeyond({10, 8, 9}, 1), (Numbers{8, 9}));
    EXPECT_EQ(rolledFilesBeyond({2, 1}, 0), (Numbers{1, 2}));
}

}  // namespace
