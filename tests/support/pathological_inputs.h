// The pathological inputs: shapes that once cost time or memory out of
// proportion to their size.  The pathological-input tests convert them at
// full size (scale 1); the byte-for-byte comparison of two builds
// (tools/compare_outputs.py, through tools/conversion_driver.cpp) converts
// them made smaller, so that they run in seconds.  Every generator is
// deterministic: a scale gives the same bytes on every run.
#pragma once

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace pathological_inputs {

// `count` divided by the scale, at least 1.
inline size_t Scaled(size_t count, size_t scale) { return std::max<size_t>(1, count / std::max<size_t>(scale, 1)); }

// "a", "b" ... "z", "aa", "ab" ...: the n-th short word (n from 0).
inline std::string Word(size_t n) {
    std::string word;
    for (++n; n > 0; n = (n - 1) / 26) word.insert(word.begin(), static_cast<char>('a' + (n - 1) % 26));
    return word;
}

// A row 100,000 columns wide over 10,000 short rows.
inline std::string WideRowThenShortRows(size_t scale) {
    std::string text;
    for (size_t i = 0; i < Scaled(100000, scale); ++i) {
        if (i) text += ' ';
        text += Word(i);
    }
    text += '\n';
    for (size_t row = 0; row < Scaled(10000, scale); ++row) text += "x y z\n";
    return text;
}

// A line of 10 MB.
inline std::string TenMegabyteLine(size_t scale) {
    const size_t bytes = Scaled(10u << 20, scale);
    std::string text;
    text.reserve(bytes + 16);
    for (size_t i = 0; text.size() < bytes; ++i) {
        text += Word(i % 5000);
        text += (i % 7 == 6) ? "   " : " ";
    }
    text += '\n';
    return text;
}

// 50,000 lines, rule lines and text lines by turns.
inline std::string AlternatingRuleAndTextLines(size_t scale) {
    std::string text;
    for (size_t i = 0; i < Scaled(25000, scale); ++i) {
        text += "--------------------------------\n";
        text += "Item " + std::to_string(i) + "    " + Word(i) + "    " + std::to_string(i * 7 % 1000) + "\n";
    }
    return text;
}

inline std::string EveryByteValue(size_t scale) {
    std::string text;
    for (size_t round = 0; round < Scaled(64, scale); ++round)
        for (int value = 0; value < 256; ++value) text += static_cast<char>(value);
    return text;
}

inline std::string RandomBytes(size_t scale) {
    std::mt19937 generator(1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text(Scaled(1u << 20, scale), '\0');
    for (char& c : text) c = static_cast<char>(byte(generator));
    return text;
}

inline std::string Nothing(size_t) { return ""; }

// A table whose first row's cell holds `piece` `count` times and "END".
inline std::string CellOfRepeated(std::string_view piece, size_t count) {
    std::string text = "Name    Value\nAlpha   ";
    text.reserve(text.size() + count * piece.size() + 32);
    for (size_t i = 0; i < count; ++i) text += piece;
    text += "END\nBeta    2\n";
    return text;
}

// One table cell holding 400,000 line-break tags: the cell's tags are dealt
// with in one pass, not by rewriting the cell at every tag.
inline std::string CellOfManyTags(size_t scale) { return CellOfRepeated("x[[BR]]", Scaled(400000, scale)); }

// 200,000 tags that run their executors (SPACES writes blanks, SUPER its
// markup), in a table cell and in a line of text: each tag's markup is put in
// its place with the rest of the line left where it is.
inline std::string ManyExecutedTags(const char* head, const char* tail, size_t scale) {
    const size_t tags = Scaled(200000, scale);
    std::string text = head;
    text.reserve(text.size() + tags * 16 + 32);
    for (size_t i = 0; i < tags; ++i) text += i % 2 ? "x[[SUPER 2]]" : "x[[SPACES 1]]";
    text += "END";
    text += tail;
    return text;
}
inline std::string CellOfManyExecutedTags(size_t scale) {
    return ManyExecutedTags("Name    Value\nAlpha   ", "\nBeta    2\n", scale);
}
inline std::string LineOfManyExecutedTags(size_t scale) { return ManyExecutedTags("Some text.\n\n", "\n", scale); }

// 500 tags in a table cell that each expand to 10,000 blanks (the most a
// SPACES tag writes): 60,000 bytes of HTML for each 16 bytes of input, a
// cell of 30 MB held about twice, not once for each step it passes.
constexpr size_t kExpandingTagGrowth = 60000 / 16 + 1;
inline std::string CellOfManyExpandingTags(size_t scale) {
    return CellOfRepeated("[[SPACES 10000]]", Scaled(500, scale));
}

// 200,000 words that the word scan turns into links, on one line and as a
// paragraph of 2,000 lines: the scan builds the converted line in one pass,
// not by rewriting the line at every word it replaces.
inline std::string ManyLinkWords(size_t lines, size_t wordsPerLine) {
    std::string text;
    text.reserve(lines * wordsPerLine * 13 + 16);
    for (size_t line = 0; line < lines; ++line) {
        for (size_t i = 0; i < wordsPerLine; ++i) {
            if (i) text += ' ';
            text += "www.s" + std::to_string((line * wordsPerLine + i) % 1000) + ".com";
        }
        text += '\n';
    }
    text.insert(text.size() - 1, " END");
    return text;
}
inline std::string LineOfManyLinks(size_t scale) { return ManyLinkWords(1, Scaled(200000, scale)); }
inline std::string ParagraphOfManyLinks(size_t scale) { return ManyLinkWords(Scaled(2000, scale), 100); }

// 200,000 emphasised words ("*bold1*") on one line, each replaced by its
// emphasis markup in the same one pass.
inline std::string LineOfEmphasisedWords(size_t scale) {
    std::string text;
    for (size_t i = 0; i < Scaled(200000, scale); ++i) text += "*bold" + std::to_string(i % 1000) + "* ";
    text += "END\n";
    return text;
}

// `piece` `count` times on one line that "END" closes.
inline std::string LineOfRepeated(std::string_view piece, size_t count) {
    std::string text;
    text.reserve(count * piece.size() + 8);
    for (size_t i = 0; i < count; ++i) text += piece;
    text += "END\n";
    return text;
}

// 50,000 emphasis phrases ("*a b*") on one line: each is replaced as the
// phrase scan passes it, not by rebuilding the line at every phrase.
inline std::string LineOfEmphasisPhrases(size_t scale) { return LineOfRepeated("*a b* ", Scaled(50000, scale)); }

// 200,000 start markers that no end follows ("*a"): the search for an end
// is not begun again from every start.
inline std::string LineOfUnclosedEmphasis(size_t scale) { return LineOfRepeated("*a ", Scaled(200000, scale)); }

// 20,000 user tables of one cell, each followed by a line of a table: a
// block every few lines (every block is kept until the input has been read).
inline std::string ManyUserTables(size_t scale) {
    std::string text;
    for (size_t i = 0; i < Scaled(20000, scale); ++i) {
        text += "$_$_BEGIN_USER_TABLE\n$_$_NEW_ROW\n$_$_NEW_CELL\n" + Word(i) + "\n$_$_END_USER_TABLE\n";
        text += "Item " + std::to_string(i) + "    " + Word(i) + "\n";
    }
    return text + "END\n";
}

struct Input {
    const char* name;
    std::string (*make)(size_t scale);
    // A word at the end of the input that the output must hold (null: none
    // is looked for).
    const char* lastWord = nullptr;
    // The most output one input byte may cause, where the input's tags
    // write far more than they take (0: the markup of a table's cells, see
    // the pathological-input tests); the run's memory is then bounded by
    // its output.
    size_t outputGrowth = 0;
};

inline const Input kInputs[] = {
    {"WideRowThenShortRows", WideRowThenShortRows},
    {"TenMegabyteLine", TenMegabyteLine},
    {"AlternatingRuleAndTextLines", AlternatingRuleAndTextLines},
    {"EveryByteValue", EveryByteValue},
    {"RandomBytes", RandomBytes},
    {"EmptyFile", Nothing},
    {"CellOfManyTags", CellOfManyTags, "Beta"},
    {"CellOfManyExecutedTags", CellOfManyExecutedTags, "Beta"},
    {"CellOfManyExpandingTags", CellOfManyExpandingTags, "Beta", kExpandingTagGrowth},
    {"LineOfManyExecutedTags", LineOfManyExecutedTags, "END"},
    {"LineOfManyLinks", LineOfManyLinks, "END"},
    {"ParagraphOfManyLinks", ParagraphOfManyLinks, "END"},
    {"LineOfEmphasisedWords", LineOfEmphasisedWords, "END"},
    {"LineOfEmphasisPhrases", LineOfEmphasisPhrases, "END"},
    {"LineOfUnclosedEmphasis", LineOfUnclosedEmphasis, "END"},
    {"ManyUserTables", ManyUserTables, "END"},
};

// Comma-delimited records whose quoted fields run over line ends: 50 fields
// that open and are never closed, each 999 lines before the next (every open
// field is looked for to the bound of a record, and nothing closes it);
// 50,000 records of two lines; and records of 1,000 lines of 1,000 bytes
// each.  The scale takes fewer records, each as long as before.
inline std::string FieldsNeverClosed(size_t scale) {
    std::string text;
    for (size_t record = 0; record < Scaled(50, scale); ++record) {
        text += "a,\"never closed\n";
        for (int i = 0; i < 999; ++i) text += "b,c" + std::to_string(i) + "\n";
    }
    return text + "END,END\n";
}

inline std::string ManyRecordsOfTwoLines(size_t scale) {
    std::string text;
    for (size_t i = 0; i < Scaled(50000, scale); ++i) text += std::to_string(i) + ",\"first line\nsecond line\",x\n";
    return text + "END,END\n";
}

inline std::string LongestRecords(size_t scale) {
    const std::string line(1000, 'w');
    std::string text;
    for (size_t record = 0; record < Scaled(4, scale); ++record) {
        text += "a,\"" + line + "\n";
        for (int i = 0; i < 998; ++i) text += line + "\n";
        text += line + "\",b\n";
    }
    return text + "END,END\n";
}

inline const Input kRecordInputs[] = {
    {"FieldsNeverClosed", FieldsNeverClosed},
    {"ManyRecordsOfTwoLines", ManyRecordsOfTwoLines},
    {"LongestRecords", LongestRecords},
};

}  // namespace pathological_inputs
