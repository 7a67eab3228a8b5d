#include "analysis/analysed_line.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "context/code_locations.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/output_formats.h"
#include "support/reading_harness.h"

namespace {

// A line carrying analysis in every field that Reset and CopyAnalysis touch.
void FillAnalysis(AnalysedLine& line) {
    line.SetText("  source  ");
    line.lineType = 230;
    line.firstWordLength = 6;
    line.position = SourcePosition(0, 12);
    line.tagCode = 1003;
    line.mark = 7;
    line.flags = kFlagCentred | kFlagCodeLine;
    line.sectionLevels = {2, 3, 1, -1, -1, -1};
    line.annotation = std::make_unique<TextString>("*** note");
    line.firstPairPresent = 1;
    line.firstFind = std::make_unique<TextString>("*");
    line.firstReplacement = std::make_unique<TextString>("<B>");
    line.secondReplacement = std::make_unique<TextString>("</B>");
}

TEST(AnalysedLine, ResetKeepsTextAndOwnedTextsOnlyWhenAsked) {
    for (int keep : {0, 1}) {
        AnalysedLine line;
        FillAnalysis(line);
        line.Reset(keep);
        EXPECT_EQ(line.str(), keep ? "  source  " : "");
        EXPECT_EQ(line.inputText->str(), "  source  ");
        EXPECT_EQ(line.taggedText->str(), "");
        EXPECT_EQ(line.lineType, 0);
        EXPECT_EQ(line.trimmedLength, -1);
        EXPECT_EQ(line.tagCode, -3);
        EXPECT_EQ(line.flags, static_cast<uint32_t>(kFlagDefault));
        EXPECT_EQ(line.sectionLevels[0], -1);
        EXPECT_FALSE(line.position.IsValid());
        EXPECT_EQ(line.firstPairPresent, 0);
        EXPECT_EQ(line.annotation != nullptr, keep == 1);
    }
}

TEST(AnalysedLine, CopyAnalysisCopiesDeeplyAndKeepsTheCurrentText) {
    AnalysedLine source;
    FillAnalysis(source);
    AnalysedLine copy;
    copy.Assign("own text");
    copy.CopyAnalysis(&source);
    EXPECT_EQ(copy.str(), "own text");
    EXPECT_EQ(copy.rawText->str(), "  source  ");
    EXPECT_EQ(copy.plainText->str(), "  source  ");
    EXPECT_EQ(copy.lineType, 230);
    EXPECT_EQ(copy.firstWordLength, 6);
    EXPECT_EQ(copy.leadingBlanks, 2);
    EXPECT_EQ(copy.position.line, 12);
    EXPECT_EQ(copy.flags, source.flags);
    EXPECT_EQ(copy.sectionLevels, source.sectionLevels);
    ASSERT_TRUE(copy.annotation && copy.firstFind && copy.firstReplacement && copy.secondReplacement);
    EXPECT_EQ(copy.secondFind, nullptr);
    EXPECT_NE(copy.annotation.get(), source.annotation.get());
    source.annotation->Assign("changed");
    source.firstReplacement.reset();
    EXPECT_EQ(copy.annotation->str(), "*** note");
    EXPECT_EQ(copy.firstReplacement->str(), "<B>");

    copy.CopyAnalysis(nullptr);
    EXPECT_EQ(copy.str(), "own text");
    EXPECT_EQ(copy.lineType, 0);
    EXPECT_EQ(copy.annotation, nullptr);
    source.CopyAnalysis(&source);
    EXPECT_EQ(source.annotation->str(), "changed");
}

TEST(AnalysedLine, ARecycledRecordIsANewOneWithItsBuffers) {
    Context context;
    AnalysedLine before, after, used;
    FillAnalysis(used);
    used.inputText = "input";
    used.plainText = "plain";
    used.trimmedLength = 8;
    used.leadingBlanks = 2;
    used.preFormatKind = 7;
    used.extraWrapWidth = 3;
    used.specialBlock = 2;
    used.counter = 4;
    used.originPosition = SourcePosition(1, 2);
    used.secondPairPresent = 1;
    used.firstPairStart = used.secondPairStart = 5;
    used.secondFind = std::make_unique<TextString>("x");
    used.LinkAfter(&before);
    used.next = &after;
    context.SetCurrentLine(&context.trackers.analysis, &used);

    AnalysedLine previous;
    used.Recycle(&previous);
    EXPECT_EQ(previous.next, &used);
    const AnalysedLine fresh(&previous);
    EXPECT_EQ(context.trackers.analysis.currentLine, nullptr);
    EXPECT_EQ(used.trackingContext, nullptr);
    EXPECT_EQ(used.previous, &previous);
    EXPECT_EQ(used.next, nullptr);
    for (const auto& [own, anew] : {std::pair{&used.rawText, &fresh.rawText},
                                    {&used.taggedText, &fresh.taggedText},
                                    {&used.plainText, &fresh.plainText},
                                    {&used.inputText, &fresh.inputText}})
        EXPECT_EQ(own->View(), anew->View());
    EXPECT_EQ(used.str(), fresh.str());
    EXPECT_GT(used.rawText->BufferSize(), 0);  // the buffers stay
    const auto numbers = [](const AnalysedLine& l) {
        return std::vector<int>{l.lineType,
                                l.counter,
                                l.firstWordLength,
                                l.mark,
                                static_cast<int>(l.flags),
                                l.trimmedLength,
                                l.leadingBlanks,
                                l.preFormatKind,
                                l.extraWrapWidth,
                                l.position.unit,
                                l.position.line,
                                l.originPosition.unit,
                                l.originPosition.line,
                                l.tagCode,
                                l.specialBlock,
                                l.firstPairPresent,
                                l.firstPairStart,
                                l.secondPairPresent,
                                l.secondPairStart,
                                l.sectionLevels[0],
                                l.sectionLevels[5],
                                l.annotation != nullptr,
                                l.firstFind != nullptr,
                                l.firstReplacement != nullptr,
                                l.secondFind != nullptr,
                                l.secondReplacement != nullptr};
    };
    EXPECT_EQ(numbers(used), numbers(fresh));
    // The reader does not reset such a record again: resetting it would
    // change nothing.
    AnalysedLine again(&previous);
    again.Reset(0);
    EXPECT_EQ(numbers(again), numbers(fresh));
    EXPECT_EQ(again.str() + again.rawText->str() + again.taggedText->str() + again.plainText->str() +
                  again.inputText->str(),
              "");
}

// Only a line made as an analysed line (or a kind of one) is told one; a
// plain line copied from an analysed one, or assigned one, stays plain.
TEST(AnalysedLine, OnlyAnAnalysedLineIsToldOne) {
    struct Kind : AnalysedLine {};
    AnalysedLine analysed;
    Kind derived;
    TextLine plain;
    TextLine copied(analysed);
    TextLine assigned;
    assigned = derived;
    const struct {
        const char* name;
        TextLine* line;
        bool analysedLine;
    } cases[] = {{"analysed", &analysed, true}, {"derived", &derived, true},    {"plain", &plain, false},
                 {"copied", &copied, false},    {"assigned", &assigned, false}, {"none", nullptr, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(AsAnalysedLine(c.line) != nullptr, c.analysedLine) << c.name;
        if (c.analysedLine) {
            EXPECT_EQ(AsAnalysedLine(c.line), c.line) << c.name;
        }
    }
}

TEST(AnalysedLine, SetTextMeasuresBlanks) {
    const struct {
        const char* text;
        int leading, trimmed;
    } cases[] = {{"   ", 0, 0}, {"", 0, 0}, {"  ab  ", 2, 4}, {"\tab", 0, 3}};
    for (const auto& c : cases) {
        AnalysedLine line;
        line.SetText(c.text);
        EXPECT_EQ(line.leadingBlanks, c.leading) << c.text;
        EXPECT_EQ(line.trimmedLength, c.trimmed) << c.text;
        for (const std::string_view t : {line.view(), line.rawText.View(), line.taggedText.View(),
                                         line.plainText.View(), line.inputText.View()})
            EXPECT_EQ(t, c.text);
    }
    AnalysedLine line;
    line.SetText("own");
    line.SetText(line.taggedText->buffer);
    EXPECT_EQ(line.inputText->str(), "own");
    line.SetText(nullptr);
    EXPECT_EQ(line.rawText->str() + line.inputText->str(), "");
}

TEST(AnalysedLine, SetPositionRecordsTheTrackerPositionWithoutMessages) {
    Context context;
    FC set;
    set.SetContext(&context);
    static int shown = 0;
    context.sink.SetMessageCallback([](const char*) { ++shown; });

    AnalysedLine line;
    line.SetPosition(&set, SourcePosition(-1, 4));
    EXPECT_FALSE(line.position.IsValid());
    context.trackers.codeLocation = 2;
    line.SetPosition(&set, SourcePosition(0, 4));
    EXPECT_EQ(context.trackers.analysis.position.line, 4);
    context.trackers.codeLocation = 0;
    line.SetPosition(&set, SourcePosition(1, 9));
    line.SetOriginPosition(&set, SourcePosition(0, 3));
    EXPECT_EQ(context.trackers.output.position.line, 9);
    EXPECT_EQ(line.position.line, 9);
    EXPECT_EQ(line.originPosition.line, 3);
    EXPECT_EQ(shown, 0);
    context.sink.SetMessageCallback(nullptr);
}

TEST(AnalysedLine, TrackerForgetsAResetOrDeletedLine) {
    Context context;
    auto line = std::make_unique<AnalysedLine>();
    context.SetCurrentLine(&context.trackers.input, line.get());
    line->Reset(1);
    EXPECT_EQ(context.trackers.input.currentLine, nullptr);
    context.SetCurrentLine(&context.trackers.output, line.get());
    line.reset();
    EXPECT_EQ(context.trackers.output.currentLine, nullptr);
}

TEST(AnalysedLine, TextIndent) {
    const struct {
        const char* text;
        int nextType, nextLeading, expected;
    } cases[] = {{"  1.  Hello", 216, 8, 8}, {"  1.  Hello", 0, 5, 5},  {"  1.  Hello", 1, 5, 6},
                 {"  1.  Hello", -1, 0, 6},  {"Term  text", 230, 3, 6}, {"   single", 4, 0, 3}};
    for (const auto& c : cases) {
        AnalysedLine line;
        line.SetText(c.text);
        AnalysedLine following(&line);
        following.SetText((std::string(static_cast<size_t>(c.nextLeading), ' ') + "more").c_str());
        following.lineType = c.nextType;
        if (c.nextType < 0) line.next = nullptr;
        EXPECT_EQ(line.GetTextIndent(), c.expected) << c.text << " / " << c.nextType;
    }
}

TEST(AnalysedLine, PreprocessLine) {
    const struct {
        int ruleSet;
        const char* input;
        const char* expected;
        int type;
    } cases[] = {
        {0, "\f", "\f", 0},
        {0, "\fText", "[[NEW_PAGE]]Text", 0},
        {0, "ends in return\r", "ends in return", 0},
        {0, "  <S> kept  ", "  <S> kept  ", 0},
        {1, "  <S>   <C>  ", "", -1},
        {2, " <TABLE>", "", -1},
        {1, "<R>new</R> text <Page>", "[[START_REDLINE]]new[[END_REDLINE]] text", 0},
    };
    for (const auto& c : cases) {
        FC set;
        set.ruleSetCode = c.ruleSet;
        AnalysedLine line;
        line.Assign(c.input);
        line.PreprocessLine(&set);
        EXPECT_EQ(line.str(), c.expected) << c.input;
        EXPECT_EQ(line.lineType, c.type) << c.input;
    }
}

TEST(AnalysedLine, ALongLineReadsAsAShortOneDoesWhereItsCopiesShareABuffer) {
    // Long enough for the line's copies to share one buffer: the texts
    // delivered are those of the same line made of short pieces.
    const std::string words(SharedText::kShareFrom + 100, 'w');
    const struct {
        std::string line, text, tagged;
    } cases[] = {
        {"  " + words + "   ", "  " + words + "   ", "  " + words + "   "},
        {words + " & " + words, words + " &amp; " + words, words + " & " + words},
        {words + "\x1B(0lqqk\x1B(B", words + "+--+", words + "+--+"},
        {words + "\t" + words, words + std::string(8 - words.size() % 8, ' ') + words,
         words + std::string(8 - words.size() % 8, ' ') + words},
    };
    for (const auto& c : cases) {
        ReadingHarness harness;
        harness.ReadText(c.line + "\nnext\n");
        ASSERT_EQ(harness.lines.size(), 2u);
        EXPECT_EQ(harness.lines[0].text, c.text) << c.line.substr(c.line.size() - 20);
        EXPECT_EQ(harness.lines[0].taggedText, c.tagged) << c.line.substr(c.line.size() - 20);
    }
}

TEST(AnalysedLine, ACurrentTextEqualToTheTaggedTextIsGivenBackForIt) {
    const std::string words(AnalysedLine::kKeptTextRoom + 100, 'w');
    const struct {
        std::string text, tagged;
        bool givenBack;
    } cases[] = {
        {words, words, true},
        {words + "&amp;", words + "&", false},
        {"short", "short", false},
    };
    for (const auto& c : cases) {
        AnalysedLine line;
        line.SetText(c.tagged.c_str());
        line.AssignChars(c.text.data(), static_cast<int>(c.text.size()));
        line.GiveBackCurrentText();
        EXPECT_EQ(line.textIsTagged, c.givenBack) << c.text.size();
        EXPECT_EQ(line.view(), c.givenBack ? "" : c.text) << c.text.size();
        EXPECT_EQ(line.taggedText.View(), c.tagged) << c.text.size();
        line.Reset(0);
        EXPECT_FALSE(line.textIsTagged);
    }
}

TEST(AnalysedLine, ReadingEscapesAndConvertsWhereverTheBytesStand) {
    // HTML escaping, Windows punctuation and terminal escapes are each
    // looked for many bytes at a time before anything is changed: bytes at
    // the start, past the first sixteen, among the last ones and in short
    // lines are all found, and a line-drawing mode runs on into a line
    // without an escape.
    const std::string a20(20, 'a');
    ReadingHarness harness;
    harness.ReadText("x & y\n" + a20 + "<\n>" + a20 + "\n" + a20 + a20 +
                     "\x92"
                     "s\nit\x92s\n" +
                     a20 + "\xE9\n" + a20 + "\x1B(0lqqk\nqk\n\x1B(Bqk\n" + a20 + " plain\n");
    const std::vector<std::string> expected{"x &amp; y",  a20 + "&lt;",     "&gt;" + a20, a20 + a20 + "&#8217;s",
                                            "it&#8217;s", a20 + "&eacute;", a20 + "+--+", "-+",
                                            "qk",         a20 + " plain"};
    ASSERT_EQ(harness.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(harness.lines[i].text, expected[i]) << i;
}

}  // namespace

namespace {

// The current text's length without its trailing blanks.
int TrimmedLengthOf(std::string_view text) {
    size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return static_cast<int>(n);
}

}  // namespace

// The reading-time tidy measures a line's blanks after the escaping for the
// output format, which may lengthen the text: a line the escaping leaves
// alone keeps the measure taken before it.
TEST(AnalysedLine, TheTidyMeasuresTheEscapedText) {
    const struct {
        int format;
        const char* text;
        const char* escaped;
    } cases[] = {
        {kOutputHTML, "plain  ", "plain  "},
        {kOutputHTML, "  a & b  ", "  a &amp; b  "},
        {kOutputHTML, "x<y\t", "x&lt;y\t"},
        {kOutputHTML, "   ", "   "},
        {kOutputHTML, "", ""},
        {kOutputRTF, "plain  ", "plain  "},
        {kOutputRTF, "a{b}  ", "a\\'7bb\\'7d  "},
        {kOutputRTF, " \\ ", " \\\\ "},
    };
    for (const auto& c : cases) {
        Context context;
        context.outputFormat = c.format;
        context.trackers.codeLocation = kReadingInput;
        FC set;
        set.SetContext(&context);
        AnalysedLine line;
        line.SetText(c.text);
        line.TidyLine(&set);
        EXPECT_EQ(line.view(), c.escaped) << c.format << " '" << c.text << "'";
        EXPECT_EQ(line.trimmedLength, TrimmedLengthOf(line.view())) << c.format << " '" << c.text << "'";
    }
}
