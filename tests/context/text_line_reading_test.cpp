#include "context/text_line_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/text_line.h"
#include "policies/fc.h"

namespace {

using Lines = std::vector<std::string>;

class TextLineAcceptanceTest : public testing::Test {
protected:
    void SetUp() override {
        ResetLineAcceptanceState();
        set.SetContext(&context);
    }
    void TearDown() override { ResetLineAcceptanceState(); }

    // Runs the acceptance test over the lines; returns those delivered.
    Lines Deliver(const Lines& input, FC* policies = nullptr) {
        Lines delivered;
        for (const std::string& text : input) {
            TextLine line;
            line.Assign(text.c_str());
            if (GatherCharsetStatistics(line, policies ? policies : &set) == 1) delivered.push_back(line.str());
        }
        return delivered;
    }
    CharsetStatistics& stats() { return context.documentState.statistics.charset; }

    Context context;
    FC set;
};

TEST_F(TextLineAcceptanceTest, DoubleSpacingAndPageMarkers) {
    set.SetInt(Pol::InputDoubleSpaced, 1);
    EXPECT_EQ(Deliver({"a", "", "b", "", "", "c"}), (Lines{"a", "b", "", "c"}));
    set.SetInt(Pol::InputDoubleSpaced, 0);

    set.SetInt(Pol::InputPageMarkers, 1);
    set.SetInt(Pol::PageMarkerSize, 2);
    EXPECT_EQ(Deliver({"a", "\f", "header", "b", "\f", "h2", "c"}), (Lines{"a", "b", "c"}));
    set.SetInt(Pol::PageMarkerSize, 0);
    EXPECT_EQ(Deliver({"\f", "x"}), (Lines{"\f", "x"}));
}

TEST_F(TextLineAcceptanceTest, ReadingStateDoesNotCarryIntoTheNextFile) {
    set.SetInt(Pol::InputPageMarkers, 1);
    set.SetInt(Pol::PageMarkerSize, 3);
    set.SetInt(Pol::InputDoubleSpaced, 1);
    EXPECT_EQ(Deliver({"a", "\f", "h"}), (Lines{"a"}));  // ends inside a page marker
    GetLineAcceptanceState().lineDrawingState = 1;
    context.StartNewFile("second.txt");
    EXPECT_EQ(GetLineAcceptanceState().lineDrawingState, 0);
    EXPECT_EQ(Deliver({"first", "", "x"}), (Lines{"first", "x"}));

    // A blank dropped at the end of one file does not make the first blank of
    // the next one the kept second blank.
    EXPECT_EQ(Deliver({"y", ""}), (Lines{"y"}));
    ResetLineAcceptanceState();
    EXPECT_EQ(Deliver({"", "z"}), (Lines{"z"}));
}

TEST_F(TextLineAcceptanceTest, SoftLineBreaks) {
    const std::string text(41, 'q');
    // With a context the soft break is counted and the line kept whole.
    EXPECT_EQ(Deliver({text + "=", text + "==", std::string(39, 'q') + "="}),
              (Lines{text + "=", text + "==", std::string(39, 'q') + "="}));
    EXPECT_EQ(stats().softLineBreaks, 1);
    // Without one, MIME input joins the next physical line on.
    FC plain;
    EXPECT_EQ(Deliver({text + "="}, &plain), (Lines{text + "="}));
    plain.SetInt(Pol::InputMIME, 1);
    TextLine line;
    line.Assign((text + "=").c_str());
    EXPECT_EQ(GatherCharsetStatistics(line, &plain), 0);
    EXPECT_EQ(line.str(), text);
}

TEST_F(TextLineAcceptanceTest, CharsetCounters) {
    const struct {
        const char* text;
        int CharsetStatistics::*counter;
        int expected;
    } cases[] = {
        {"\xD3\xD4\xCF\xD0", &CharsetStatistics::koi8rPairs, 1},
        {"\xCE\xCF\xD7\xCF\xC7\xCF", &CharsetStatistics::koi8rPairs, 4},
        {"caf\xC3\xA9 na\xC3\xAFve", &CharsetStatistics::utf8TwoByte, 2},
        {"\xE2\x82\xAC\xE2\x82\xAC", &CharsetStatistics::utf8ThreeByte, 2},
        {"ab\xE2\x82", &CharsetStatistics::utf8ThreeByte, 0},  // third byte beyond the text
        {"\xC3\xA9\x41", &CharsetStatistics::cjkPairs, 0},  // A9 41 lies inside UTF-8
        {"\xB0\xA1\xB0\xA1", &CharsetStatistics::doubleBytePairs, 2},
        {"\x82\x82\x82", &CharsetStatistics::shiftJisLeadPairs, 1},
        {"\xCD\xCD\xCD \xB3 ", &CharsetStatistics::boxDrawingPairs, 4},
        {"\xFD\xFE\xF6", &CharsetStatistics::turkishLetters, 2},  // the last byte is not seen
        {"ab  cd", &CharsetStatistics::nonBlankChars, 3},
        {"aab c", &CharsetStatistics::samplePairs, 1},
    };
    for (const auto& c : cases) {
        context.documentState.statistics.Reset();
        EXPECT_EQ(Deliver({c.text}).size(), 1u);
        EXPECT_EQ(stats().*c.counter, c.expected) << c.text;
    }
    // An encoding given explicitly needs no statistics.
    set.SetText(Pol::CharacterEncoding, "koi8-r");
    Deliver({"\xD3\xD4"});
    EXPECT_EQ(stats().koi8rPairs, 0);
}

TEST_F(TextLineAcceptanceTest, SampleLimitIsTestedOncePerLine) {
    stats().samplePairs = 9999;
    Deliver({"abcdef"});
    EXPECT_EQ(stats().samplePairs, 10004);
    Deliver({"abcdef"});
    EXPECT_EQ(stats().samplePairs, 10004);
    EXPECT_EQ(stats().nonBlankChars, 5);
}

TEST(TextLineReadingTest, ExpandTabs) {
    const struct {
        const char* text;
        int tabWidth;
        bool utf8;
        const char* expanded;
    } cases[] = {
        {"a\tb", 8, false, "a       b"},
        {"ab\tc\td", 4, false, "ab  c   d"},
        {"\xC3\xA9\tx", 4, false, "\xC3\xA9  x"},  // 8-bit text: a byte a position
        {"\xC3\xA9\tx", 4, true, "\xC3\xA9   x"},  // UTF-8: a character a position
        {"\xE6\x9D\xB1\tx", 4, true, "\xE6\x9D\xB1  x"},  // a wide character takes two
        {"no tabs", 4, true, "no tabs"},
    };
    for (const auto& c : cases) {
        Context context;
        FC set;
        set.SetContext(&context);
        set.SetInt(Pol::TabSize, c.tabWidth);
        context.documentState.utf8Text = c.utf8;
        TextLine line;
        line.Assign(c.text);
        ExpandTabs(line, &set);
        EXPECT_EQ(line.str(), c.expanded) << c.text << (c.utf8 ? " (UTF-8)" : "");
    }
    // Without a policy set the line stays as it is.
    TextLine line;
    line.Assign("a\tb");
    ExpandTabs(line, nullptr);
    EXPECT_EQ(line.str(), "a\tb");
}

}  // namespace
