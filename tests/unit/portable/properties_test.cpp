#include "config/properties.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ParseCase {
    const char* name;
    std::string content;
    PropertyMap expected;
};

PropertyMap parse(std::string content, bool trace = false) {
    std::vector<char> text(content.begin(), content.end());
    text.push_back('\0');
    PropertyMap options;
    parseProperties(text.data(), options, trace);
    return options;
}

class PropertiesParse : public testing::TestWithParam<ParseCase> {};

TEST_P(PropertiesParse, GivesTheExpectedMap) {
    EXPECT_EQ(parse(GetParam().content), GetParam().expected);
}

const ParseCase parseCases[] = {
    {"LineFeed", "memsize=1024M\n", {{"memsize", "1024M"}}},
    {"CarriageReturnLineFeed", "memsize=1024M\r\nother=1\r\n", {{"memsize", "1024M"}, {"other", "1"}}},
    {"BlanksAndTabsAroundKeyEqualsAndValue", " \t memsize \t = \t 1024M \t \r\n", {{"memsize", "1024M"}}},
    {"EveryWhitespaceByteTrimmed", "\v\f\tkey\v = \f value\v\f\r", {{"key", "value"}}},
    {"WhitespaceInsideStays", "a b = c \t d\n", {{"a b", "c \t d"}}},
    {"CarriageReturnInsideValueStays", "a=b\rc\n", {{"a", "b\rc"}}},
    {"Comment", "#memsize=2G\n", {}},
    {"CommentAfterLeadingWhitespace", " \t#memsize=2G\n", {}},
    {"HashInValueIsText", "key = value # note\n", {{"key", "value # note"}}},
    {"HashInsideKeyIsText", "a#b=1\n", {{"a#b", "1"}}},
    {"LineWithoutEqualsIgnored", "memsize\nother=1\n", {{"other", "1"}}},
    {"SplitAtFirstEquals", "a=b=c\n", {{"a", "b=c"}}},
    {"ValueStartingWithEquals", "memsize==2G\n", {{"memsize", "=2G"}}},
    {"EmptyKey", "=x\n", {{"", "x"}}},
    {"EmptyValue", "memsize=\n", {{"memsize", ""}}},
    {"OnlyEquals", " = \n", {{"", ""}}},
    {"DuplicateKeyKeepsLast", "memsize=1G\nmemsize=2G\n", {{"memsize", "2G"}}},
    {"KeysAreCaseSensitive", "MEMSIZE=1G\nmemsize=2G\n", {{"MEMSIZE", "1G"}, {"memsize", "2G"}}},
    {"LastLineWithoutLineFeed", "a=1\nb=2", {{"a", "1"}, {"b", "2"}}},
    {"EmptyFile", "", {}},
    {"OnlyBlankLinesAndComments", "\n\r\n  \t\n# one\n\t# two\n", {}},
    {"NulEndsTheText", std::string("a=1\nb=2\0c=3\n", 12), {{"a", "1"}, {"b", "2"}}},
    {"NulInsideALineEndsIt", std::string("a=1\0x\nb=2\n", 10), {{"a", "1"}}},
    {"HighBytesAtTheEndsStay", "\x80key\xff = \xa0value\xfe\n", {{"\x80key\xff", "\xa0value\xfe"}}},
    {"NonBreakingSpaceIsNotWhitespace", "\xa0=\xa0\n", {{"\xa0", "\xa0"}}},
};

INSTANTIATE_TEST_SUITE_P(Table, PropertiesParse, testing::ValuesIn(parseCases),
                         [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(PropertiesParse, ParsesIntoAnExistingMapReplacingKeys) {
    PropertyMap options = {{"memsize", "1G"}, {"kept", "yes"}};
    char text[] = "memsize=2G\n";
    parseProperties(text, options, false);
    EXPECT_EQ(options, (PropertyMap{{"memsize", "2G"}, {"kept", "yes"}}));
}

TEST(PropertiesParse, TraceShowsEveryRawLineAndEveryStoredPair) {
    testing::internal::CaptureStderr();
    parse(" a = 1 \n# note\n\nb\n", true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Parsing line:  a = 1 \n"
              "KEY: a --- VALUE: 1\n"
              "Parsing line: # note\n"
              "Parsing line: \n"
              "Parsing line: b\n"
              "Parsing line: \n");
}

TEST(PropertiesParse, WithoutTraceNothingIsPrinted) {
    testing::internal::CaptureStderr();
    parse("a=1\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

struct TrimCase {
    std::string input;
    std::string right;
    std::string left;
    std::string both;
};

TEST(Trim, RemovesTheSixWhitespaceBytesFromTheChosenEnds) {
    const TrimCase cases[] = {
        {"", "", "", ""},
        {" \t\n\v\f\r", "", "", ""},
        {"x", "x", "x", "x"},
        {" \tx y\r\n", " \tx y", "x y\r\n", "x y"},
        {"\v\fx\f\v", "\v\fx", "x\f\v", "x"},
        {"\x80 x \xff", "\x80 x \xff", "\x80 x \xff", "\x80 x \xff"},
        {std::string(" \0 ", 3), std::string(" \0", 2), std::string("\0 ", 2), std::string("\0", 1)},
    };
    for (const TrimCase& c : cases) {
        std::string right = c.input;
        std::string left = c.input;
        std::string both = c.input;
        EXPECT_EQ(trimRight(right), c.right);
        EXPECT_EQ(trimLeft(left), c.left);
        EXPECT_EQ(trim(both), c.both);
    }
}

}  // namespace
