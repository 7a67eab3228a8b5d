#include "foundation/text_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        {"aaaa bbbbbbbbbbbb", 0, 10, true, "aaaa", 5},  // at the blank
        {"aaaaaaaaaaaaaaaaaaaa", 0, 10, true, "aaaaaaaaaa", 10},  // hard break
        {"ab(cdefghijklmn", 0, 10, true, "ab", 2},  // before '('
        {"12,345,678,901", 0, 5, true, "12,34", 5},  // digit commas are no break
        {"abc", 0, 10, true, "abc", 4},  // the text ends in the window
        {"abc", 4, 10, false, "", -1},
        {"abcdefghi)jklmnopq", 0, 12, true, "abcdefghi)", 10},  // after ')'
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
    line.Assign(
        "abcd\x82\xA0"
        "efgh");
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
        EXPECT_EQ(line.rawText->str(), c.raw);
    }
}

}  // namespace
