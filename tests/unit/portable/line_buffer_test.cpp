#include "diagnostics/line_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct Case {
    const char* name;
    std::vector<std::string> chunks;
    Lines lines;
    std::string unfinished;
};

// Captured output keeps every line as written, empty ones too; only the line end goes.
TEST(LineBuffer, ChunksBecomeLines) {
    const Case cases[] = {
        {"nothing", {}, {}, ""},
        {"an empty chunk", {""}, {}, ""},
        {"one line", {"out 1\n"}, {"out 1"}, ""},
        {"CR LF", {"out 1\r\nout 2\r\n"}, {"out 1", "out 2"}, ""},
        {"empty lines stay", {"\n\r\n\n"}, {"", "", ""}, ""},
        {"a line in pieces", {"ou", "t", " 1\n"}, {"out 1"}, ""},
        {"CR and LF in two chunks", {"out 1\r", "\nout 2"}, {"out 1"}, "out 2"},
        {"unfinished", {"a\nb"}, {"a"}, "b"},
        {"unfinished ending in CR", {"prompt\r"}, {}, "prompt"},
        {"a CR inside a line stays", {"a\rb\n"}, {"a\rb"}, ""},
        {"NUL bytes are text too", {std::string("a\0b\n", 4)}, {std::string("a\0b", 3)}, ""},
    };
    for (const Case& c : cases) {
        LineBuffer buffer;
        Lines lines;
        for (const std::string& chunk : c.chunks) {
            buffer.add(chunk.data(), chunk.size(), lines);
        }
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(buffer.hasUnfinished(), !c.unfinished.empty()) << c.name;
        EXPECT_EQ(buffer.takeUnfinished(), c.unfinished) << c.name;
        EXPECT_FALSE(buffer.hasUnfinished()) << c.name;
    }
}

TEST(LineBuffer, ALongLineInManyChunksStaysWhole) {
    LineBuffer buffer;
    Lines lines;
    std::string chunk(4096, 'x');
    for (int i = 0; i < 100; ++i) {
        buffer.add(chunk.data(), chunk.size(), lines);
    }
    buffer.add("\n", 1, lines);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].size(), 409600U);
}

}  // namespace
