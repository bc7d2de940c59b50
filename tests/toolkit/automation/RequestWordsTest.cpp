#include "toolkit/automation/RequestWords.h"

#include <gtest/gtest.h>

namespace {

TEST(RequestWords, SplitsOnBlanksAndUnquotesQuotedWords) {
    auto split = SplitRequest("  set  \"Mixer \\\"A\\\"\" sld\\x \"\" \"C:\\\\\" ");
    EXPECT_EQ(split.error, "");
    EXPECT_EQ(split.words, (std::vector<std::string>{"set", "Mixer \"A\"", "sld\\x", "", "C:\\"}));
    EXPECT_EQ(SplitRequest("a \"b\\n\"").error, "a backslash escapes only \\\" and \\\\");
    EXPECT_EQ(SplitRequest("a \"b\"c").error, "no blank after a quoted word");
}

TEST(RequestWords, QuotesAndReadsNumbers) {
    EXPECT_EQ(QuoteText("a\"b\\c\td\r\n"), "\"a\\\"b\\\\c\\td\\r\\n\"");
    EXPECT_EQ(ParseInt("-12"), -12);
    EXPECT_FALSE(ParseInt("12a"));
    EXPECT_FALSE(ParseInt(""));
    EXPECT_FALSE(ParseInt("99999999999"));
}

} // namespace
