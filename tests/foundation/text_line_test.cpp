#include "foundation/text_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"

namespace {

using Lines = std::vector<std::string>;

struct Piece {
    bool cut = false;
    std::string text;
    int nextStart = -1;
};

Piece Cut(const std::string& text, int start, int width, int checkDoubleByte = 0) {
    TextLine line;
    line.Assign(text.c_str());
    TextString out("junk");
    Piece piece;
    piece.cut = line.CutWrappedPiece(width, start, "\n\t ", ")]}>,;", "([{<!=+-\"", &out, &piece.nextStart,
                                     checkDoubleByte, 0);
    piece.text = out.str();
    return piece;
}

// Cuts the whole text into pieces as the writer does; fails when it stalls.
Lines Wrap(const std::string& text, int width) {
    Lines pieces;
    int start = 0;
    for (Piece piece = Cut(text, 0, width); piece.cut; piece = Cut(text, start, width)) {
        pieces.push_back(piece.text);
        if (piece.nextStart <= start) {
            ADD_FAILURE() << "wrapping stalls at " << start;
            break;
        }
        start = piece.nextStart;
    }
    return pieces;
}

TEST(TextLineWrapTest, CutWrappedPieceCases) {
    const struct {
        const char* text;
        int start, width;
        bool cut;
        const char* piece;
        int nextStart;
    } cases[] = {
        {"aaaa bbbbbbbbbbbb", 0, 10, true, "aaaa", 5},           // at the blank
        {"aaaaaaaaaaaaaaaaaaaa", 0, 10, true, "aaaaaaaaaa", 10},  // hard break
        {"ab(cdefghijklmn", 0, 10, true, "ab", 2},               // before '('
        {"12,345,678,901", 0, 5, true, "12,34", 5},              // digit commas are no break
        {"abc", 0, 10, true, "abc", 4},                          // the text ends in the window
        {"abc", 4, 10, false, "", -1},
        {"abcdefghi)jklmnopq", 0, 12, true, "abcdefghi)", 10},   // after ')'
        {"abcdefghi).klmnopq", 0, 12, true, "abcdefghi).k", 12},  // not before '.'
        {"ab cdefghijklmnopqrstu(vwxyz", 0, 25, true, "ab cdefghijklmnopqrstu", 22},  // blank too far back
        {"aaaa bbbb", 4, 10, true, "bbbb", 10},  // one leading blank dropped
        {"ab\xE6\x9D\xB1\xE4\xBA\xAC", 0, 4, true, "ab", 2},  // a hard break keeps a UTF-8 character whole
    };
    for (const auto& c : cases) {
        Piece piece = Cut(c.text, c.start, c.width);
        EXPECT_EQ(piece.cut, c.cut) << c.text;
        EXPECT_EQ(piece.text, c.piece) << c.text;
        EXPECT_EQ(piece.nextStart, c.nextStart) << c.text;
    }
    EXPECT_EQ(Wrap("the quick brown fox jumps over the lazy dog", 10),
              (Lines{"the quick", "brown fox", "jumps over", "the lazy", "dog"}));
    EXPECT_EQ(Wrap("\u6771\u4eac\u30bf", 4), (Lines{"\u6771", "\u4eac", "\u30bf"}));
}

// A width below one would cut empty pieces forever; it counts as one.
TEST(TextLineWrapTest, WidthBelowOneStillAdvances) {
    EXPECT_EQ(Wrap("abc", 0), (Lines{"a", "b", "c"}));
    EXPECT_EQ(Wrap("abc", -3), (Lines{"a", "b", "c"}));
}

TEST(TextLineWrapTest, DoubleByteCharacterStaysWhole) {
    TextLine line;
    line.Assign("abcd\x82\xA0" "efgh");
    int pos = -1, inside = 5;
    EXPECT_EQ(line.FindBreakPoint(0, 5, " ", "", "", &pos, &inside, 1, 0), 'd');
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(inside, 0);
    // A lead byte at the start stays, so that the piece is never empty.
    EXPECT_EQ(Cut("\x82\xA0\x82\xA0", 0, 1, 1).text, "\x82");
}

TEST(TextLineTest, EscapeForRTFAndPreprocessLine) {
    TextLine line;
    line.Assign("caf\xE9");
    line.EscapeForRTF(nullptr);
    EXPECT_EQ(line.str(), "caf\\'e9");
    line.Assign("\xE9t\xE9 {\xFF}");
    line.EscapeForRTF(nullptr);
    EXPECT_EQ(line.str(), "\\'e9t\\'e9 {\\'ff}");

    const struct {
        const char *in, *out, *raw;
    } cases[] = {{"abc\r", "abc", "abc"}, {"\r\r", "\r", "\r"}, {"a\rb", "a\rb", "old"}, {"", "", "old"}};
    for (const auto& c : cases) {
        line.rawText.Assign("old");
        line.Assign(c.in);
        line.PreprocessLine(nullptr);
        EXPECT_EQ(line.str(), c.out);
        EXPECT_EQ(line.rawText.str(), c.raw);
    }
}

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
            if (line.GatherCharsetStatistics(policies ? policies : &set) == 1) delivered.push_back(line.str());
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
    EXPECT_EQ(line.GatherCharsetStatistics(&plain), 0);
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
        {"\xC3\xA9\x41", &CharsetStatistics::cjkPairs, 0},     // A9 41 lies inside UTF-8
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

}  // namespace
