// Tests of the editors' text rules: Windows-1252 through Qt's strings, case-blind order, decimal reading.
#include "editors/common/ui/Text.h"

#include <QString>

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(EditorUiText, EveryByteComesBackFromQtText)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(FromQString(ToQString(all)), all);
    EXPECT_EQ(ToQString("\x80").at(0).unicode(), 0x20AC);
    EXPECT_EQ(ToQString("\x81").at(0).unicode(), 0x81);
    EXPECT_EQ(ToQString("\x9F").at(0).unicode(), 0x178);
}

TEST(EditorUiText, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(FromQString(QString::fromUtf8("\xE2\x82\xAC caf\xC3\xA9")), "\x80 caf\xE9");
    EXPECT_EQ(FromQString(QString::fromUtf8("\xCE\xA9x")), "?x");           // Greek omega
    EXPECT_EQ(FromQString(QString::fromUtf8("a\xF0\x9F\x98\x80z")), "a?z"); // one '?' for a surrogate pair
}

TEST(EditorUiText, CompareNoCaseOrdersAsTheSortedLists)
{
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"abc", "ABD", -1},
        {"Alpha", "alpha", 0},
        {"(Hidden)", "Any", -1},
        {"a", "ab", -1},
        {"Zebra", "apple", 1},
        {"\xC9t\xE9", "\xE9T\xC9", 0},
        {"Electrical Hazard", "electrical hazard", 0},
    };
    for (const Case& c : cases) {
        const int r = CompareNoCase(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    }
}

TEST(EditorUiText, ReadDecimalReadsLeadingDigitsOnly)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"930", 930},
        {"0930", 930},
        {"  42x", 42},
        {"x", 0},
        {"", 0},
        {"-7", -7},
        {"+5", 5},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"12 34", 12},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadDecimal(c.text), c.value) << '"' << c.text << '"';
}

TEST(EditorUiText, LineEndsOfMultiLineTextSurviveAnEdit)
{
    bool crlf = false;
    EXPECT_EQ(LinesForEdit("a\r\nb\r\n", &crlf), "a\nb\n");
    EXPECT_TRUE(crlf);
    EXPECT_EQ(LinesFromEdit("a\nb\n", crlf), "a\r\nb\r\n");
    EXPECT_EQ(LinesForEdit("a\nb", &crlf), "a\nb");
    EXPECT_FALSE(crlf);
    EXPECT_EQ(LinesFromEdit("a\nb", crlf), "a\nb");
    // Text without a line break gets the platform's CR LF for the lines typed into it.
    LinesForEdit("one line", &crlf);
    EXPECT_EQ(LinesFromEdit("one\ntwo", crlf), "one\r\ntwo");
}

} // namespace
