#include "platform/IniDocument.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseIniIntegerTest, AcceptsSignedDecimalAndBothHexNotations) {
    EXPECT_EQ(ParseIniInteger("0"), 0);
    EXPECT_EQ(ParseIniInteger("42"), 42);
    EXPECT_EQ(ParseIniInteger("+42"), 42);
    EXPECT_EQ(ParseIniInteger("-42"), -42);
    EXPECT_EQ(ParseIniInteger("007"), 7);
    EXPECT_EQ(ParseIniInteger(" \t-3 \t"), -3);
    EXPECT_EQ(ParseIniInteger("0x1F"), 31);
    EXPECT_EQ(ParseIniInteger("0XfF"), 255);
    EXPECT_EQ(ParseIniInteger("$10"), 16);
    EXPECT_EQ(ParseIniInteger("-$10"), -16);
    EXPECT_EQ(ParseIniInteger("-0x10"), -16);
}

TEST(ParseIniIntegerTest, RejectsAnythingThatIsNotAWholeInteger) {
    for (const char* junk : {"", " ", "abc", "12abc", "1 2", "- 5", "+", "-", "0x", "$", "0x1G",
                             "$-1", "1.5", "1e3", "٣"}) {
        SCOPED_TRACE(junk);
        EXPECT_EQ(ParseIniInteger(junk), std::nullopt);
    }
    EXPECT_EQ(ParseIniInteger(std::string_view("1\0", 2)), std::nullopt);
}

TEST(ParseIniIntegerTest, TakesTheWhole32BitRangeAndNothingBeyond) {
    EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseIniInteger("0x7FFFFFFF"), 2147483647);
    EXPECT_EQ(ParseIniInteger("-$80000000"), INT32_MIN);
    EXPECT_EQ(ParseIniInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("99999999999999999999999999"), std::nullopt);
}

TEST(IniDocumentTest, ReadsTrimmedValuesCaseInsensitivelyFirstOneWinning) {
    auto doc = IniDocument::Parse("[ Analog Input ]\n"
                                  "  Top \t=  12  \n"
                                  "TOP=99\n"
                                  "[analog input]\n"
                                  "Left=5\n");
    EXPECT_EQ(doc.Find("ANALOG INPUT", "top"), "12");
    EXPECT_EQ(doc.Find("Analog Input", "Left"), std::nullopt);
    EXPECT_EQ(doc.SectionNames(), std::vector<std::string>{"Analog Input"});
    EXPECT_EQ(doc.KeyNames("analog input"), std::vector<std::string>{"Top"});
}

TEST(IniDocumentTest, KeysBeforeTheFirstSectionOrUnderABrokenHeaderBelongToNoSection) {
    auto doc = IniDocument::Parse("Top=1\n"
                                  "[Varnel PRO]\n"
                                  "Top=2\n"
                                  "[Analog Input\n"
                                  "Left=3\n");
    EXPECT_EQ(doc.Find("Varnel PRO", "Top"), "2");
    EXPECT_EQ(doc.Find("Varnel PRO", "Left"), std::nullopt);
    EXPECT_EQ(doc.Find("Analog Input", "Left"), std::nullopt);
    EXPECT_EQ(doc.Find("", "Top"), std::nullopt);
}

TEST(IniDocumentTest, AByteOrderMarkDoesNotHideTheFirstSection) {
    auto doc = IniDocument::Parse("\xEF\xBB\xBF[Varnel PRO]\nTop=1\n");
    EXPECT_EQ(doc.Find("Varnel PRO", "Top"), "1");
    doc.Set("Varnel PRO", "Top", "2");
    EXPECT_EQ(doc.Text(), "\xEF\xBB\xBF[Varnel PRO]\nTop=2\n");
}

TEST(IniDocumentTest, ANewKeyFollowsTheLastKeyOfItsSectionBeforeCommentsAndBlankLines) {
    auto doc = IniDocument::Parse("[A]\n"
                                  "x=1\n"
                                  "junk\n"
                                  "y=2\n"
                                  "; about B\n"
                                  "\n"
                                  "[B]\n");
    EXPECT_TRUE(doc.Set("a", "z", "3"));
    EXPECT_TRUE(doc.Set("B", "w", "4"));
    EXPECT_EQ(doc.Text(), "[A]\nx=1\njunk\ny=2\nz=3\n; about B\n\n[B]\nw=4\n");
}

TEST(IniDocumentTest, AChangedValueKeepsTheKeysSpellingAndSpacing) {
    auto doc = IniDocument::Parse("[A]\r\n  TOP =  1  \r\nEmpty=\r\n");
    EXPECT_TRUE(doc.Set("A", "Top", "250"));
    EXPECT_TRUE(doc.Set("A", "empty", "x"));
    EXPECT_FALSE(doc.Set("A", "top", "250"));
    EXPECT_EQ(doc.Text(), "[A]\r\n  TOP =  250\r\nEmpty=x\r\n");
}

TEST(IniDocumentTest, ANewSectionGoesAtTheEndAfterABlankLineEvenWithoutAFinalLineEnd) {
    auto doc = IniDocument::Parse("[A]\r\nx=1");
    doc.Set("B", "y", "2");
    EXPECT_EQ(doc.Text(), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");

    auto empty = IniDocument::Parse("");
    empty.Set("B", "y", "2");
    EXPECT_EQ(empty.Text(), "[B]\ny=2\n");

    auto endsBlank = IniDocument::Parse("[A]\nx=1\n\n");
    endsBlank.Set("B", "y", "2");
    EXPECT_EQ(endsBlank.Text(), "[A]\nx=1\n\n[B]\ny=2\n");
}

TEST(IniDocumentTest, RemovesTheFirstKeyOrTheWholeFirstSection) {
    auto doc = IniDocument::Parse("[A]\nx=1\nx=2\n; c\n[B]\ny=1\n");
    EXPECT_TRUE(doc.RemoveKey("A", "X"));
    EXPECT_EQ(doc.Find("A", "x"), "2");
    EXPECT_FALSE(doc.RemoveKey("A", "nope"));
    EXPECT_TRUE(doc.RemoveSection("a"));
    EXPECT_FALSE(doc.RemoveSection("A"));
    EXPECT_EQ(doc.Text(), "[B]\ny=1\n");
}

TEST(IniDocumentTest, RefusesNamesAndValuesThatWouldNotReadBackAsWritten) {
    EXPECT_TRUE(IniDocument::IsValidSectionName("Varnel PRO"));
    EXPECT_TRUE(IniDocument::IsValidKeyName("chkLink12"));
    EXPECT_TRUE(IniDocument::IsValidValue("Größe = 5; [x]"));
    EXPECT_FALSE(IniDocument::IsValidSectionName("A]B"));
    EXPECT_FALSE(IniDocument::IsValidSectionName(" A"));
    EXPECT_FALSE(IniDocument::IsValidSectionName("A\nB"));
    for (const char* key : {"", "a=b", "[a", ";a", "#a", " a", "a\t", "a\rb"}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(IniDocument::IsValidKeyName(key));
    }
    EXPECT_FALSE(IniDocument::IsValidValue("1\n[Evil]"));
    EXPECT_FALSE(IniDocument::IsValidValue(std::string_view("a\0b", 3)));
}

} // namespace
