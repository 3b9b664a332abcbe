#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "fakes/report_scenarios.h"
#include "report/text_encoding.h"

namespace kestrine {
namespace {

// Counts the texts it is asked about: ASCII text must never need the code page.
class CountingCodePage : public testing::FakeCodePage {
public:
    mutable int calls = 0;
    bool toUtf8(std::string_view ansi, std::string& utf8) const override {
        ++calls;
        return FakeCodePage::toUtf8(ansi, utf8);
    }
};

TEST(JsonText, QuotesBackslashesAndControlCharactersAreEscaped) {
    CountingCodePage codePage;
    EXPECT_EQ(jsonString("ACME X100", codePage), "\"ACME X100\"");
    EXPECT_EQ(jsonString("A\"C\\ME", codePage), "\"A\\\"C\\\\ME\"");
    EXPECT_EQ(jsonString("Access is denied.\r\n\tx", codePage), "\"Access is denied.\\r\\n\\tx\"");
    EXPECT_EQ(jsonString(std::string("a\0b\x01\x1f\x7f", 6), codePage), "\"a\\u0000b\\u0001\\u001F\\u007F\"");
    EXPECT_EQ(jsonString("", codePage), "\"\"");
    EXPECT_EQ(codePage.calls, 0);
}

TEST(JsonText, BytesAbove127GoThroughTheCodePage) {
    const testing::FakeCodePage codePage;
    EXPECT_EQ(jsonString("Caf\xe9 \x80", codePage), "\"Caf\xC3\xA9 \xE2\x82\xAC\"");
    // Characters the code page gives back are escaped like any other.
    EXPECT_EQ(jsonString("\xe9\"\n", codePage), "\"\xC3\xA9\\\"\\n\"");
}

TEST(JsonText, TextTheCodePageRefusesKeepsEveryByteAsACodePoint) {
    const testing::FakeCodePage codePage;
    EXPECT_EQ(jsonString("Caf\xe9\x81\"\n\x80", codePage), "\"Caf\\u00E9\\u0081\\\"\\n\\u0080\"");
}

TEST(MetricLabels, BackslashQuoteAndLineFeedAreEscaped) {
    const testing::FakeCodePage codePage;
    EXPECT_EQ(labelValue("Sys\"tem\\\nX", codePage), "Sys\\\"tem\\\\?X");
    EXPECT_EQ(labelValue("tab\tand\rCR\x01\x1f\x7f~", codePage), "tab?and?CR???~") << "control characters raw";
}

TEST(MetricLabels, BytesAbove127BecomeUtf8EvenWhenTheCodePageRefuses) {
    const testing::FakeCodePage codePage;
    EXPECT_EQ(labelValue("Caf\xe9 \x80", codePage), "Caf\xC3\xA9 \xE2\x82\xAC");
    // Refused: 0x80 is U+0080 and 0xE9 U+00E9, the same code points the JSON output names.
    EXPECT_EQ(labelValue("\x81\x80\xe9\"", codePage), "\xC2\x81\xC2\x80\xC3\xA9\\\"");
}

// Volume labels arrive in UTF-8: taken as they are when well formed, refused otherwise.
TEST(Utf8Labels, WellFormedUtf8PassesAndEverythingElseIsRefused) {
    const Utf8Text utf8;
    std::string out;
    // U+D7FF is the last character before the surrogates.
    EXPECT_TRUE(utf8.toUtf8("Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9 \xF0\x9F\x92\xBE \xED\x9F\xBF", out));
    EXPECT_EQ(out, "Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9 \xF0\x9F\x92\xBE \xED\x9F\xBF");
    for (const char* bad : {"\x80", "\xC0\xAF", "\xC3", "\xE2\x82", "\xED\xA0\x80", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",
                            "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "ok\xC3(", "\xFF"})
        EXPECT_FALSE(utf8.toUtf8(bad, out)) << ::testing::PrintToString(std::string(bad));
    EXPECT_EQ(jsonString("\xCE\xA9\xC3", utf8), "\"\\u00CE\\u00A9\\u00C3\"") << "refused: each byte named";
}

TEST(Numbers, ShortestTextThatReadsBackAsTheSameValue) {
    EXPECT_EQ(decimalNumber(30.5), "30.5");
    EXPECT_EQ(decimalNumber(60.0), "60");
    EXPECT_EQ(decimalNumber(0.1), "0.1");
    EXPECT_EQ(decimalNumber(45.300000000000004), "45.300000000000004");
    EXPECT_EQ(decimalNumber(1e-5), "1e-05");
    EXPECT_EQ(decimalNumber(-2.5), "-2.5");
    // Plain or with an exponent, whichever is shorter; plain on a tie.
    EXPECT_EQ(decimalNumber(0.0), "0");
    EXPECT_EQ(decimalNumber(100.0), "100");
    EXPECT_EQ(decimalNumber(0.0001), "1e-04");
    EXPECT_EQ(decimalNumber(0.00012), "0.00012");
    EXPECT_EQ(decimalNumber(1e20), "1e+20");
    EXPECT_EQ(decimalNumber(270553174016.0), "270553174016");
    EXPECT_EQ(decimalNumber(5e-324), "5e-324");
    EXPECT_EQ(decimalNumber(1.7976931348623157e308), "1.7976931348623157e+308");
    // The same text as std::to_chars, for values of every magnitude.
    std::mt19937_64 bits(12);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::bit_cast<double>(bits());
        if (!std::isfinite(value)) continue;
        char expected[32];
        const std::to_chars_result end = std::to_chars(expected, expected + sizeof expected, value);
        ASSERT_EQ(decimalNumber(value), std::string(expected, end.ptr));
    }
    EXPECT_EQ(decimalNumber(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(decimalNumber(std::numeric_limits<double>::infinity()), "+Inf");
    EXPECT_EQ(decimalNumber(-std::numeric_limits<double>::infinity()), "-Inf");
}

}  // namespace
}  // namespace kestrine
