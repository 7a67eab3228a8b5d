#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysed_line.h"
#include "analysis/lists.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/reading_harness.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"

namespace {

std::string DataPath(const std::string& name) { return std::string(VENDREL_TEST_DATA_DIR) + "/analysis/" + name; }

std::string Repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// The typed line that holds `text` (the first one), or null.
const TypedLine* Find(const ReadingHarness& harness, const std::string& text) {
    for (const TypedLine& line : harness.typed)
        if (line.text.find(text) != std::string::npos) return &line;
    return nullptr;
}

int TypeOf(const ReadingHarness& harness, const std::string& text) {
    const TypedLine* line = Find(harness, text);
    return line ? line->lineType : -99;
}

// ---------------------------------------------------------------------------
// Input files with the expected dump of the typed lines.  With the
// environment variable VENDREL_UPDATE_ANALYSIS_DATA set, the expected files
// are written instead of compared (review them before committing).

struct FileCase {
    const char* name;  // of the expected dump
    const char* input;  // of the input file
    std::vector<const char*> policyLines;
};

class LineTypingFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(LineTypingFileTest, TypesTheLinesAsExpected) {
    const FileCase& c = GetParam();
    ReadingHarness harness;
    for (const char* line : c.policyLines) harness.SetPolicy(line);
    const std::string dump = harness.AnalyseFile(DataPath(std::string(c.input) + ".txt"));
    EXPECT_FALSE(harness.limitReached);
    const std::string expectedPath = DataPath(std::string(c.name) + ".expected");
    if (std::getenv("VENDREL_UPDATE_ANALYSIS_DATA")) {
        std::ofstream(expectedPath, std::ios::binary) << dump;
        return;
    }
    EXPECT_EQ(dump, ReadWhole(expectedPath));
}

const char* const kNoContents = "Expect Contents List : No";

INSTANTIATE_TEST_SUITE_P(
    Files, LineTypingFileTest,
    testing::Values(
        FileCase{"numbered_headings", "numbered_headings", {kNoContents}},
        FileCase{"contents_by_default", "numbered_headings", {}},
        FileCase{"refused_headings", "refused_headings", {kNoContents}},
        FileCase{"undone_heading", "undone_heading", {kNoContents, "Expect Numbered bullets : No"}},
        FileCase{"undone_heading_as_item", "undone_heading", {kNoContents}},
        FileCase{"underlined_headings", "underlined_headings", {kNoContents}},
        FileCase{"rule_after_blank", "rule_after_blank", {}}, FileCase{"bullets", "bullets", {}},
        FileCase{"list_blank", "list_blank", {}}, FileCase{"lettered_items", "lettered_items", {}},
        FileCase{"definitions", "definitions", {}}, FileCase{"quotes", "quotes", {}},
        FileCase{"mail_header", "mail_header", {}}, FileCase{"code_line", "code_line", {}},
        FileCase{"code_line_expected", "code_line", {"Expect code samples : Yes"}},
        FileCase{"define_block", "define_block", {}},
        FileCase{"key_phrases", "key_phrases", {"Heading key phrases : \"Summary|Abstract, 1\", \"Appendix, 2\""}},
        FileCase{"allow_disallow", "allow_disallow", {kNoContents}}, FileCase{"bar_lines", "bar_lines", {}}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The line's own tests, on lines chained by hand

class LineTypingTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    std::vector<std::unique_ptr<AnalysedLine>> lines;

    void SetUp() override { set.SetContext(&context); }
    void TearDown() override { set.SetContext(nullptr); }

    // Appends a line with the given text and type to the chain; its position
    // is its place in the chain.
    AnalysedLine* Add(const std::string& text, int type = 0) {
        AnalysedLine* before = lines.empty() ? nullptr : lines.back().get();
        lines.push_back(before ? std::make_unique<AnalysedLine>(before) : std::make_unique<AnalysedLine>());
        AnalysedLine* line = lines.back().get();
        line->SetText(text.c_str());
        line->lineType = type;
        line->position = SourcePosition(0, static_cast<int>(lines.size()));
        return line;
    }
};

TEST_F(LineTypingTest, HeaderNamesMatchWholeNamesWithoutRegardToCase) {
    for (const char* name : {"From", "from", "FROM", "x-mailer", "Newsgroups", "Messages", "Subj"})
        EXPECT_TRUE(AnalysedLine::IsMailHeaderName(name, static_cast<int>(std::string(name).size()))) << name;
    // A bar in the name must not join two neighbouring names of the list.
    for (const char* name : {"Fro", "Frome", "Date|Delivered-To", "Reply-To|", "", "From ", "|"})
        EXPECT_FALSE(AnalysedLine::IsMailHeaderName(name, static_cast<int>(std::string(name).size()))) << name;

    const std::pair<const char*, bool> texts[] = {{"From: Jane <jane@example.org>", true},
                                                  {"FROM: Jane", true},
                                                  {"From Jane", false},
                                                  {"From : Jane", false},
                                                  {": x", false}};
    for (const auto& [text, header] : texts) {
        lines.clear();
        AnalysedLine* line = Add(text);
        EXPECT_EQ(line->CheckMailHeaderLine(TextString(text)), header) << text;
        EXPECT_EQ(line->HasFlag(kFlagHeaderLine) && line->HasFlag(kFlagPreformatted), header) << text;
        EXPECT_EQ(line->preFormatKind, header ? 7 : 0) << text;
    }
}

TEST_F(LineTypingTest, ABarLineHasOneBarAtItsStartOrEnd) {
    struct Case {
        const char* text;
        bool bar;
        const char* after;
    };
    const Case cases[] = {
        {"| framed on the left", true, "  framed on the left"},
        {"framed on the right |", true, "framed on the right  "},
        {"   | indented", true, "     indented"},
        {"| framed on both sides |", false, "| framed on both sides |"},
        {"a|b", false, "a|b"},
        {"| opens with a second | inside", false, "| opens with a second | inside"},
        {"a|b closes |", false, "a|b closes |"},
        {"\t| a tab before |", false, "\t| a tab before |"},
        {"|no blank after", false, "|no blank after"},
        {"no blank before|", false, "no blank before|"},
        {"|", false, "|"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        lines.clear();
        AnalysedLine* line = Add(c.text);
        line->SetFlag(kFlagPreformatted, true);
        line->preFormatKind = 5;
        EXPECT_EQ(line->CheckBarLine(), c.bar) << c.text;
        EXPECT_EQ(line->str(), c.after) << c.text;
        EXPECT_EQ(line->HasFlag(kFlagBarLine), c.bar) << c.text;
        if (!c.bar) continue;
        // Every copy of the text loses the bar; the blanks are measured again
        // and the pre-formatted mark is gone.
        for (const SharedText* copy : {&line->rawText, &line->taggedText, &line->plainText, &line->inputText})
            EXPECT_EQ(copy->View(), c.after) << c.text;
        EXPECT_FALSE(line->HasFlag(kFlagPreformatted));
        EXPECT_EQ(line->preFormatKind, 0);
        std::string after(c.after);
        EXPECT_EQ(line->leadingBlanks, static_cast<int>(after.find_first_not_of(' ')));
        EXPECT_EQ(line->trimmedLength, static_cast<int>(after.find_last_not_of(' ') + 1));
    }
}

TEST_F(LineTypingTest, QuotedTextBeginsWithAQuoteMark) {
    struct Case {
        const char* text;
        bool quoted;
    };
    const Case cases[] = {
        {"> quoted", true},
        {"   > indented quote", true},
        {">> nested", true},
        {"ab> initials before the mark", true},
        {"!exclaimed", true},
        {"]bracketed", true},
        {"foo->bar()", false},  // an arrow
        {"x:> smiley", false},  // an arrow too
        {"<b> tag", false},  // a tag ends there
        {"a > b", false},  // a comparison beyond the first word
        {"abcde> too far", false},
        {"plain text", false},
        {"text with ! inside", false},
        {"   !after blanks", true},
        {"\t]after a tab", true},
        {"", false},
        {"   \t ", false},
        {"quote mark > at the end >", false},
    };
    for (const Case& c : cases) {
        lines.clear();
        Add("Before.");
        AnalysedLine* line = Add(c.text);
        line->plainText = TextString(c.text);
        EXPECT_EQ(line->IsQuotedLine(), c.quoted) << c.text;
    }
}

TEST_F(LineTypingTest, ALoneQuoteMarkNeedsQuotedTextAroundIt) {
    for (int aroundIt : {0, 1, 2}) {
        lines.clear();
        Add(aroundIt == 2 ? "> quoted" : "Text before.", aroundIt == 2 ? 235 : 0);
        AnalysedLine* mark = Add(">");
        if (aroundIt == 1) Add("more text");
        EXPECT_EQ(mark->IsQuotedLine(), aroundIt != 0) << aroundIt;
    }
}

TEST_F(LineTypingTest, CentringNeedsACentredOrBlankLineBeforeAndNoOffCentreLineAfter) {
    const std::string centred = std::string(30, ' ') + std::string(20, 'c');  // balance 0 in 80 columns
    struct Case {
        std::string before;  // empty: a blank line
        std::string line;
        std::string after;  // empty: no next line
        bool lineCentred;
        bool beforeCentred;
    };
    const Case cases[] = {
        {"", centred, "", true, false},
        {"Some text of the paragraph.", centred, "", false, false},
        {"", std::string(5, ' ') + std::string(70, 'w'), "", false, false},  // too few leading blanks
        {centred, centred, "This line starts at the margin and runs on.", false, false},
        {centred, centred, centred, true, true},
    };
    for (const Case& c : cases) {
        lines.clear();
        AnalysedLine* before = Add(c.before, c.before.empty() ? 1 : 0);
        before->SetFlag(kFlagCentred, c.before == centred);
        AnalysedLine* line = Add(c.line);
        if (!c.after.empty()) Add(c.after);
        line->CheckCentring(&set);
        EXPECT_EQ(line->HasFlag(kFlagCentred), c.lineCentred) << c.before << "/" << c.after;
        EXPECT_EQ(before->HasFlag(kFlagCentred), c.beforeCentred) << c.before << "/" << c.after;
    }
}

TEST_F(LineTypingTest, BlockDefinitionsReportNestingAndASurplusEnd) {
    MessageRecorder messages(context);
    AnalysedLine* open = Add("$_$_DEFINE_BLOCK One");
    open->tagCode = 1017;
    AnalysedLine* nested = Add("$_$_DEFINE_HTML_FRAGMENT Two");
    nested->tagCode = 1025;
    AnalysedLine* body = Add("- body line");
    AnalysedLine* close = Add("$_$_END_BLOCK");
    close->tagCode = 1018;
    AnalysedLine* surplus = Add("$_$_END_BLOCK");
    surplus->tagCode = 1018;
    AnalysedLine* after = Add("- after");

    for (auto& line : lines) line->AnalyseLine(&set);
    EXPECT_EQ(open->lineType, 1017);
    EXPECT_EQ(nested->lineType, 1025);
    EXPECT_EQ(body->lineType, -1);
    EXPECT_EQ(close->lineType, 1018);
    EXPECT_EQ(surplus->lineType, 1018);
    EXPECT_EQ(after->lineType, 210);
    EXPECT_EQ(messages.Count("TAG ERROR: recursive DEFINE_BLOCK detected."), 1);
    EXPECT_EQ(messages.Count("TAG ERROR: END_BLOCK not expected here."), 1);
    EXPECT_EQ(context.trackers.codeLocation, 0);
}

TEST_F(LineTypingTest, PlainTextOutputTypesEveryLineAsText) {
    Context plainContext(1, 2);
    set.SetContext(&plainContext);
    AnalysedLine* blank = Add("", 1);
    AnalysedLine* bullet = Add("- item");
    for (auto& line : lines) line->AnalyseLine(&set);
    EXPECT_EQ(blank->lineType, 0);
    EXPECT_EQ(bullet->lineType, 0);
}

TEST_F(LineTypingTest, UnderTheSpecialRuleSetsTheTextTestsAreOff) {
    for (int ruleSet : {1, 2}) {
        lines.clear();
        set.ruleSetCode = ruleSet;
        Add("Text before.");
        AnalysedLine* code = Add("foo(bar);");
        AnalysedLine* bar = Add("| framed on the left");
        AnalysedLine* header = Add("From: Jane");
        Add("End.");
        for (size_t i = 0; i + 1 < lines.size(); ++i) lines[i]->AnalyseLine(&set);
        EXPECT_FALSE(code->HasFlag(kFlagCodeLine)) << ruleSet;
        EXPECT_FALSE(bar->HasFlag(kFlagBarLine)) << ruleSet;
        EXPECT_FALSE(header->HasFlag(kFlagHeaderLine)) << ruleSet;
    }
    set.ruleSetCode = 0;
}

// ---------------------------------------------------------------------------
// Typing through the reading harness

TEST(LineTypingRead, ASingleQuotedLineInRunningTextIsText) {
    ReadingHarness harness;
    harness.AnalyseText(
        "Some text of a paragraph\n>not really a quote\nand more of the paragraph.\n\n> a quote\n> of two lines\n");
    EXPECT_EQ(TypeOf(harness, "not really"), 0);
    EXPECT_EQ(TypeOf(harness, "&gt; a quote"), 235);
    EXPECT_EQ(TypeOf(harness, "of two lines"), 235);
}

TEST(LineTypingRead, KeywordHeadingsReadTheNumberAfterTheKeyword) {
    ReadingHarness harness;
    harness.SetPolicy("Expect Contents List : No");
    harness.policies.headingLevels[2].prefix = "Part";
    harness.policies.CountNumberingPrefixes();
    harness.AnalyseText(
        "Chapter 1 The start\nText.\n\nSection 1.1 More\nText.\n\nSubject Chapter 2 Later\nText.\n\nPart 3 "
        "Last\nText.\n"
        "\n4Chapter 9 Odd\nText.\n");
    EXPECT_EQ(TypeOf(harness, "Chapter 1"), 101);
    EXPECT_EQ(TypeOf(harness, "Section 1.1"), 102);
    EXPECT_EQ(TypeOf(harness, "Subject Chapter 2"), 101);
    EXPECT_EQ(TypeOf(harness, "Part 3"), 101);
    // A first word that is a number already is not read a second time for
    // the number after it.
    EXPECT_EQ(TypeOf(harness, "4Chapter"), 101);
    EXPECT_EQ(harness.context.documentState.headingState.current[0], 4);
}

// A keyword or prefix before a word without a digit makes no heading; a
// second keyword still passes the number test on to the third word.
TEST(LineTypingRead, KeywordsBeforeWordsWithoutNumbers) {
    ReadingHarness harness;
    harness.SetPolicy("Expect Contents List : No");
    harness.policies.headingLevels[2].prefix = "Part";
    harness.policies.CountNumberingPrefixes();
    harness.AnalyseText(
        "Chapter Two 3 ideas\nText.\n\nPart Seven of a line long enough\nText.\n\nSection Chapter 1 Start\nText.\n\n"
        "Part 2 of a line long enough to be read sixteen bytes at a time\nText.\n");
    EXPECT_EQ(TypeOf(harness, "Chapter Two"), 0);
    EXPECT_EQ(TypeOf(harness, "Part Seven"), 0);
    EXPECT_EQ(TypeOf(harness, "Section Chapter 1"), 101);
    EXPECT_EQ(TypeOf(harness, "Part 2"), 101);
}

// The first word is read for a section number when it holds a digit,
// wherever the digit stands in it; a digit in a later word makes no heading.
TEST(LineTypingRead, TheFirstWordIsReadForANumberWhereverItsDigitStands) {
    const struct {
        const char* line;
        int type;
    } cases[] = {
        {"1 Start", 101},
        {"2. Dotted", 211},
        {"3.1 Deeper", 0},
        {"(1) Parenthesised", 101},
        {"A4 Lettered", 0},
        {"Part5 Joined", 0},
        {"abcdefghijklmnopqrstu6 Long", 0},
        {"  7 Indented", 0},
        {"abc 9 Later", 0},
        {"abc def", 0},
    };
    for (const auto& c : cases) {
        ReadingHarness harness;
        harness.SetPolicy("Expect Contents List : No");
        harness.AnalyseText(std::string(c.line) + "\nText.\n");
        EXPECT_EQ(TypeOf(harness, c.line), c.type) << c.line;
    }
}

// The words of a line are found the same way whether the line fits the
// sixteen bytes that short lines are read in at once or not: lines of 15 to
// 18 bytes, with their second or third word at the edge, and with tabs.
TEST(LineTypingRead, WordsAreFoundAlikeOnEitherSideOfSixteenBytes) {
    const struct {
        const char* line;
        int type;
    } cases[] = {
        {"Chapter 1 Opens", 101},    {"Chapter 1 Starts", 101}, {"Chapter 1 Started", 101},
        {"Chapter 1 Starting", 101}, {"Chapter 1", 101},        {"Chapter 1 ", 101},
        {"Chapter\t1 Tabbed", 101},  {"Part 1 Of The En", 101}, {"Part 1 Of The End", 101},
        {"Part Seven Of It", 0},     {"Part Seven Of Its", 0},  {"Section Chapter 1", 101},
        {"Section Chapter 1 ", 101}, {"Sectio Chapter 1", 0},   {"Chapter Two 1 ab", 0},
        {"abcdefghijklmno 1", 0},    {"abcdefghijklmnop 1", 0}, {"abc def ghi jkl m", 0},
    };
    for (const auto& c : cases) {
        ReadingHarness harness;
        harness.SetPolicy("Expect Contents List : No");
        harness.policies.headingLevels[2].prefix = "Part";
        harness.policies.CountNumberingPrefixes();
        harness.AnalyseText(std::string(c.line) + "\nText.\n");
        std::string shown(c.line);
        for (char& ch : shown)
            if (ch == '\t') ch = ' ';
        EXPECT_EQ(TypeOf(harness, shown.substr(0, 7).c_str()), c.type) << c.line;
    }
}

TEST(LineTypingRead, ALevelOneNumberInRunningTextIsNoHeading) {
    ReadingHarness harness;
    harness.SetPolicy("Expect Contents List : No");
    harness.AnalyseText("1 Start\nText.\n\nSome running text and\nmore text that goes on\n2 apples were eaten.\n");
    EXPECT_EQ(TypeOf(harness, "1 Start"), 101);
    EXPECT_EQ(TypeOf(harness, "2 apples"), 0);
}

TEST(LineTypingRead, TheFirstLineOrTheFirstHeadingMayGiveTheTitle) {
    {
        ReadingHarness harness;
        harness.SetPolicy("Use first line as Title : Yes");
        harness.AnalyseText("  Annual Report  \n\n1 Introduction\nText.\n");
        EXPECT_EQ(harness.context.documentState.documentTexts[DocumentState::kDocumentTitle].str(), "Annual Report");
    }
    {
        ReadingHarness harness;
        harness.SetPolicy("Use first heading as Title : Yes");
        harness.SetPolicy("Expect Contents List : No");
        harness.AnalyseText("Opening words.\n\n1 Introduction to it\nText.\n\n2 Scope\nText.\n");
        EXPECT_EQ(harness.context.documentState.documentTexts[DocumentState::kDocumentTitle].str(),
                  "Introduction to it");
    }
}

TEST(LineTypingRead, ParagraphAndLineStructurePolicies) {
    {
        ReadingHarness harness;
        harness.SetPolicy("Treat each line as a paragraph : Yes");
        harness.AnalyseText("First line.\nSecond line.\n\nGlossary\n\nTerm - the meaning of it\n");
        EXPECT_EQ(TypeOf(harness, "First line."), 3);
        EXPECT_EQ(TypeOf(harness, "Second line."), 3);
        EXPECT_EQ(TypeOf(harness, "Term - the"), 3);
    }
    {
        ReadingHarness harness;
        harness.SetPolicy("Preserve line structure : Yes");
        harness.AnalyseText("First line.\nSecond line.\n\n- item\n");
        EXPECT_NE(Find(harness, "First line.")->flags & kFlagKeepLineBreak, 0u);
        EXPECT_NE(Find(harness, "Second line.")->flags & kFlagKeepLineBreak, 0u);
        EXPECT_EQ(Find(harness, "- item")->flags & kFlagKeepLineBreak, 0u);
    }
}

TEST(LineTypingRead, ShortLinesByPageWidthOrByTheShortLineLength) {
    struct Case {
        std::vector<const char*> policies;
        int length;
        bool isShort;
    };
    const Case cases[] = {
        {{}, 39, true},
        {{}, 40, false},
        {{"Keep it simple : Yes"}, 59, true},
        {{"Keep it simple : Yes"}, 60, false},
        {{"Short line length : 50"}, 50, true},
        {{"Short line length : 50"}, 51, false},
        {{"Look for short lines : No"}, 10, false},
    };
    for (const Case& c : cases) {
        ReadingHarness harness;
        for (const char* policy : c.policies) harness.SetPolicy(policy);
        std::string text(static_cast<size_t>(c.length), 'w');
        for (int i = 5; i < c.length - 1; i += 6) text[static_cast<size_t>(i)] = ' ';
        harness.AnalyseText("Before it.\n\n" + text + "\n\nAfter it with enough words to be a long line of text.\n");
        const TypedLine* line = Find(harness, text);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ((line->flags & kFlagShortLine) != 0, c.isShort) << c.length;
    }
}

TEST(LineTypingRead, BlankLinesInsideAListItemShowWhatTheyHold) {
    ReadingHarness harness;
    harness.AnalyseText("$_$_LIST_ITEM 1\n\n[[HTML <br>]]\n[[COLOUR red]]\n\n$_$_END_LIST\nText after the list.\n");
    // Nothing in it (217), only HTML markup (219), another tag (218).
    const std::vector<int> expected{1006, 217, 219, 218, 217, 1005, 0};
    EXPECT_EQ(harness.Types(), expected);
}

TEST(LineTypingRead, EmphasisMarksAreFoundAnywhereInTheLine) {
    // The marks are looked for many bytes at a time: at the start, past the
    // first sixteen bytes, among the last bytes of a line, and in a short one.
    const std::string a20(20, 'a'), b40(40, 'b');
    const struct {
        std::string text;
        std::string after;
    } cases[] = {
        {"*bold*", "<STRONG>bold</STRONG>"},
        {a20 + " *bold* x", a20 + " <STRONG>bold</STRONG> x"},
        {"x _it_ " + b40, "x <EM>it</EM> " + b40},
        {b40 + " _last_", b40 + " <EM>last</EM>"},
        {b40 + " no marks", b40 + " no marks"},
        // Short lines are looked at in place: marks at their first and last
        // bytes, on either side of sixteen bytes.
        {"*a* b", "<STRONG>a</STRONG> b"},
        {"abcdefghij _xy_", "abcdefghij <EM>xy</EM>"},
        {"abcdefghijk _xy_", "abcdefghijk <EM>xy</EM>"},
        {"abcdefghijkl _xy_", "abcdefghijkl <EM>xy</EM>"},
    };
    for (const auto& c : cases) {
        ReadingHarness harness;
        harness.SetPolicy("Search for emphasis : yes");
        harness.AnalyseText(c.text + "\n");
        ASSERT_FALSE(harness.typed.empty()) << c.text;
        EXPECT_EQ(harness.typed[0].text, c.after) << c.text;
    }
}

TEST(LineTypingRead, AHeadingTagClosesTheOpenListItem) {
    ReadingHarness harness;
    harness.AnalyseText("$_$_LIST_ITEM 2\n[[HEADING 2, Title]]\n\nText after it.\n");
    const std::vector<int> types = harness.Types();
    ASSERT_EQ(types.size(), 4u);
    EXPECT_NE(harness.typed[1].flags & kFlagHasHeadingTag, 0u);
    EXPECT_EQ(types[2], 1);  // no longer inside the item
    EXPECT_EQ(TrackerListItemNumber(harness.context.trackers.analysis), 0);
}

TEST(LineTypingRead, AHeadingTagIsFoundWithTheDelimiterInForce) {
    // The opening looked for is kept from line to line and made again when
    // the delimiter changes: to one of another length, or of the same
    // length, or one that starts like the one before.
    const struct {
        const char* delimiter;
        const char* line;
        bool heading;
    } cases[] = {
        {"[[", "[[HEADING 2, Title]]", true},    {"<<", "<<HEADING 2, Title>>", true},
        {"<<", "[[HEADING 2, Title]]", false},   {"<", "<HEADING 2, Title>", true},
        {"<<<", "<<HEADING 2, Title>>", false},  {"<<<", "<<<HEADING 2, Title>>>", true},
        {"[[", "<<<HEADING 2, Title>>>", false}, {"[[", "A [[heading 1, x]] late", true},
    };
    for (const auto& c : cases) {
        ReadingHarness harness;
        harness.policies.SetText(Pol::StartTagDelimiter, c.delimiter);
        harness.AnalyseText(std::string(c.line) + "\n");
        ASSERT_FALSE(harness.typed.empty()) << c.delimiter << " " << c.line;
        EXPECT_EQ((harness.typed[0].flags & kFlagHasHeadingTag) != 0, c.heading) << c.delimiter << " " << c.line;
    }
}

TEST(LineTypingRead, AUserTableOutsideTheItemIndentEndsTheItem) {
    struct Case {
        const char* indent;
        int itemAfter;
    };
    for (const Case& c : {Case{"40", 2}, Case{"60", 0}}) {
        ReadingHarness harness;
        harness.AnalyseText(std::string("$_$_LIST_ITEM 2\n$_$_BEGIN_USER_TABLE 1, ") + c.indent +
                            "\na b\n$_$_END_USER_TABLE\nText.\n");
        EXPECT_EQ(TrackerListItemNumber(harness.context.trackers.analysis), c.itemAfter) << c.indent;
    }
}

// ---------------------------------------------------------------------------
// The ring of lines

TEST(LineTypingRing, EveryLineLeavesTheRingOnceAndInOrder) {
    for (int count : {1, 2, 38, 39, 40, 41, 79, 80, 81, 250}) {
        ReadingHarness harness;
        std::string text;
        for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + " of the file\n";
        harness.AnalyseText(text);
        ASSERT_EQ(harness.typed.size(), static_cast<size_t>(count)) << count;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(harness.typed[static_cast<size_t>(i)].number, i + 1) << count;
            EXPECT_EQ(harness.typed[static_cast<size_t>(i)].text, "line " + std::to_string(i + 1) + " of the file");
        }
    }
}

TEST(LineTypingRing, TheLastLineIsAnalysedAtTheEndOfTheInput) {
    // The ruler is the last line: its analysis at the end turns the line
    // above it into an underlined heading.
    ReadingHarness harness;
    harness.SetPolicy("Expect Contents List : No");
    std::string text;
    for (int i = 0; i < 45; ++i) text += "Text line number " + std::to_string(i) + " goes here.\n";
    text += "\nClosing Words\n=============\n";
    harness.AnalyseText(text);
    ASSERT_GE(harness.typed.size(), 2u);
    EXPECT_EQ(harness.typed[harness.typed.size() - 2].lineType, 112);
    EXPECT_EQ(harness.typed.back().lineType, -2);
}

TEST(LineTypingRing, LinesToIgnoreAtTheEndNeverLeaveTheRing) {
    struct Case {
        int ignore;
        int lines;
        int kept;
        int messages;
    };
    const Case cases[] = {{3, 10, 7, 0}, {3, 60, 57, 0}, {25, 60, 40, 1}, {25, 10, 0, 1}, {0, 10, 10, 0}};
    for (const Case& c : cases) {
        ReadingHarness harness;
        harness.SetPolicy(("Lines to ignore at end of file : " + std::to_string(c.ignore)).c_str());
        std::string text;
        for (int i = 1; i <= c.lines; ++i) text += "line " + std::to_string(i) + "\n";
        harness.AnalyseText(text);
        EXPECT_EQ(static_cast<int>(harness.typed.size()), c.kept) << c.ignore << " " << c.lines;
        if (!harness.typed.empty()) {
            EXPECT_EQ(harness.typed.back().text, "line " + std::to_string(c.kept));
        }
        EXPECT_EQ(harness.CountMessages("ERROR: Ignore end of file cannot be larger than 20"), c.messages);
    }
}

// ---------------------------------------------------------------------------
// Bad input never breaks the analysis

TEST(LineTypingBadInput, HugeOrOddLinesAreTypedWithoutHarm) {
    const std::vector<std::string> inputs = {
        Repeated("- ", 10000),
        Repeated("* ", 10000),
        Repeated("o ", 10000),
        Repeated("1. ", 5000),
        Repeated("iv) ", 3000),
        Repeated("1.", 1000) + "1 Title",
        Repeated("1.", 1000) + " Title",
        Repeated("9", 1000) + " Title",
        "[[]]",
        "[[[[[[]]]]]]",
        Repeated("[[", 2000),
        Repeated("]]", 2000),
        Repeated("]][[", 1000),
        "$_$_",
        Repeated("|", 5000),
        Repeated(":", 5000),
        Repeated("> ", 5000),
        Repeated("=", 10000),
        Repeated("_*", 5000),
    };
    for (const std::string& input : inputs) {
        for (const char* before : {"", "Text before.\n\n", "1 Heading\n\n- item\n"}) {
            ReadingHarness harness;
            harness.lineLimit = 10000;
            harness.AnalyseText(std::string(before) + input + "\n" + input + "\nText after.\n");
            EXPECT_FALSE(harness.limitReached) << input.substr(0, 20);
            ASSERT_FALSE(harness.typed.empty()) << input.substr(0, 20);
            for (const TypedLine& line : harness.typed) {
                EXPECT_FALSE(line.lineType >= 101 && line.lineType <= 106) << input.substr(0, 20);
            }
        }
    }
}

TEST(LineTypingBadInput, DeepSectionNumbersAreNoHeadings) {
    ReadingHarness harness;
    harness.SetPolicy("Expect Contents List : No");
    std::string deep = "1";
    for (int i = 2; i <= 1000; ++i) deep += "." + std::to_string(i % 10);
    harness.AnalyseText("1 Start\nText.\n\n" + deep + " Deep\nText.\n\n1.1.1.1.1.1.1 Seven\nText.\n");
    EXPECT_EQ(TypeOf(harness, "1 Start"), 101);
    EXPECT_EQ(TypeOf(harness, " Deep"), 0);
    EXPECT_EQ(TypeOf(harness, "Seven"), 0);
}

}  // namespace
