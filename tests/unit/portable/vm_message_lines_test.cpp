#include "jvmhost/vm_message_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// The VM's unified logging writes one line in several pieces: decorations, then the text.
TEST(VmMessageLines, PiecesMakeOneLineOnceItsEndArrives) {
    VmMessageLines lines;
    EXPECT_EQ(lines.add(7, "[0.012s]"), Lines{});
    EXPECT_EQ(lines.add(7, "[warning][gc] "), Lines{});
    EXPECT_EQ(lines.add(7, "-XX:+PrintGCDetails is deprecated.\n"),
              Lines{"[0.012s][warning][gc] -XX:+PrintGCDetails is deprecated."});
    EXPECT_EQ(lines.takeUnfinished(), Lines{});
}

TEST(VmMessageLines, OnePieceMayHoldSeveralLinesAndBeginTheNext) {
    VmMessageLines lines;
    EXPECT_EQ(lines.add(1, "Error occurred during initialization of VM\r\nagent library failed\n\nto in"),
              (Lines{"Error occurred during initialization of VM", "agent library failed"}));
    EXPECT_EQ(lines.add(1, "it: instrument\n"), Lines{"to init: instrument"});
}

TEST(VmMessageLines, EachThreadsPiecesAreJoinedApart) {
    VmMessageLines lines;
    EXPECT_EQ(lines.add(1, "first "), Lines{});
    EXPECT_EQ(lines.add(2, "second "), Lines{});
    EXPECT_EQ(lines.add(1, "thread\n"), Lines{"first thread"});
    EXPECT_EQ(lines.add(2, "thread\nand more"), Lines{"second thread"});
    EXPECT_EQ(lines.takeUnfinished(), Lines{"and more"});
    EXPECT_EQ(lines.takeUnfinished(), Lines{});
}

TEST(VmMessageLines, DroppedUnfinishedLinesAreGoneForGood) {
    VmMessageLines lines;
    lines.add(1, "Exception ");
    lines.add(1, "in thread \"main\" ");
    lines.add(2, "other");
    lines.dropUnfinished();
    EXPECT_EQ(lines.takeUnfinished(), Lines{});
    EXPECT_EQ(lines.add(1, "Unrecognized option: -Xfoo\n"), Lines{"Unrecognized option: -Xfoo"});
}

TEST(VmMessageLines, EmptyLinesAndPiecesLeaveNothing) {
    VmMessageLines lines;
    EXPECT_EQ(lines.add(3, ""), Lines{});
    EXPECT_EQ(lines.add(3, "\n\r\n\n"), Lines{});
    EXPECT_EQ(lines.takeUnfinished(), Lines{});
}

TEST(VmMessageLines, ALongMessageStaysWhole) {
    VmMessageLines lines;
    std::string longText(100000, 'x');
    EXPECT_EQ(lines.add(4, longText), Lines{});
    EXPECT_EQ(lines.add(4, longText + "\n"), Lines{longText + longText});
}

// HotSpot's warning(): the prefix through the hook, the text and its line end in direct writes.
TEST(VmMessageLines, ADirectWriteEndsTheLineItsOnlyWriterBegan) {
    VmMessageLines lines;
    EXPECT_EQ(lines.add(7, "OpenJDK 64-Bit Server VM warning: "), Lines{});
    EXPECT_EQ(lines.addDirect("Option UseBiasedLocking was deprecated"), Lines{});
    EXPECT_EQ(lines.add(8, "[0.1s] a whole line of another thread\n"), Lines{"[0.1s] a whole line of another thread"});
    EXPECT_EQ(lines.addDirect(" in version 15.0.\n"),
              Lines{"OpenJDK 64-Bit Server VM warning: Option UseBiasedLocking was deprecated in version 15.0."});
    EXPECT_EQ(lines.takeUnfinished(), Lines{});
}

// A direct write that could belong to either of two unfinished lines, or to none, is glued to none.
TEST(VmMessageLines, ADirectWriteOfNoOneKnownMakesLinesOfItsOwn) {
    VmMessageLines lines;
    EXPECT_EQ(lines.addDirect("# A fatal error has been detected\n# SIGSEGV"), Lines{"# A fatal error has been detected"});
    EXPECT_EQ(lines.add(1, "first "), Lines{});
    EXPECT_EQ(lines.add(2, "second "), Lines{});
    EXPECT_EQ(lines.addDirect(" at pc=0\n"), Lines{"# SIGSEGV at pc=0"});
    EXPECT_EQ(lines.add(1, "thread\n"), Lines{"first thread"});
    EXPECT_EQ(lines.add(2, "thread\n"), Lines{"second thread"});
}

}  // namespace
