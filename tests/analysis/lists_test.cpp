#include "analysis/lists.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

// The text with a NUL byte shown as "\\0".
std::string VisibleBytes(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\0' ? std::string("\\0") : std::string(1, c);
    return out;
}

struct Line {
    std::string text;
    int type = 0;
    uint32_t flags = 0;
};

class ListsTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    std::unique_ptr<MessageRecorder> messages;
    std::vector<std::unique_ptr<AnalysedLine>> lines;

    using Check = std::function<int(AnalysedLine&)>;
    const Check bullet = [this](AnalysedLine& l) { return l.CheckBulletLine(&set); };
    const Check definition = [this](AnalysedLine& l) { return l.CheckDefinitionLine(&set); };
    const Check ruler = [this](AnalysedLine& l) { return l.CheckRulerLine(&set); };
    static Check Void(void (AnalysedLine::*test)(FC*), FC* set) {
        return [test, set](AnalysedLine& l) { return (l.*test)(set), 0; };
    }

    void SetUp() override {
        set.SetContext(&context);
        set.SetInt(Pol::ErrorReportingLevel, 9);
        context.trackers.codeLocation = 2;
        messages = std::make_unique<MessageRecorder>(context);
    }
    Tracker& tracker() { return *context.pGetTracker(); }

    AnalysedLine* Add(const Line& line) {
        AnalysedLine* before = lines.empty() ? nullptr : lines.back().get();
        lines.push_back(before ? std::make_unique<AnalysedLine>(before) : std::make_unique<AnalysedLine>());
        AnalysedLine* added = lines.back().get();
        added->SetText(line.text.c_str());
        added->lineType = line.type;
        added->flags |= line.flags;
        return added;
    }
    // Builds the chain, runs the check on line `at` (the last by default) and
    // gives "result:type type ...".
    std::string Run(const std::vector<Line>& chain, const Check& check, int at = -1) {
        lines.clear();
        for (const Line& line : chain) Add(line);
        std::string out = std::to_string(check(*lines[at < 0 ? lines.size() - 1 : static_cast<size_t>(at)])) + ":";
        for (const auto& line : lines) out += (out.back() == ':' ? "" : " ") + std::to_string(line->lineType);
        return out;
    }
    int Score(const std::string& text, int mode) {
        lines.clear();
        return PreformattedScore(&set, Add({text}), nullptr, mode);
    }
};

TEST_F(ListsTest, Bullets) {
    const struct {
        const char* text;
        int type;
    } cases[] = {
        {"- apples", 210}, {"* one", 210},    {"o two", 210},    {"O two", 0},        {"   - indented", 210},
        {"+ plus", 210},   {"- - x", 210},    {"(*) star", 210}, {"a) alpha", 212},   {"iv) four", 213},
        {"IV) Four", 215}, {"B. Bravo", 214}, {"(c) see", 212},  {"12) twelve", 211}, {"123. many", 0},
        {"- - - - -", 0},  {"* * * two", 0},  {"* *", 0},        {"-- double", 0},    {"Plain text", 0},
        {"", 0},           {"o", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Run({{c.text}}, bullet), std::to_string(c.type) + ":0") << c.text;

    // More than 6 columns past the last indent position is no bullet.
    set.indentCount = 2;
    set.indentPositions = {0, 4, -1, -1, -1, -1};
    EXPECT_EQ(Run({{"          * deep"}}, bullet), "210:0");
    EXPECT_EQ(Run({{"           * too deep"}}, bullet), "0:0");

    // Own bullet characters, beyond the room for them too.
    EXPECT_EQ(Run({{"x marks"}}, bullet), "0:0");
    set.bulletCount = 100;
    set.bulletChars[0] = 'x';
    EXPECT_EQ(Run({{"x marks"}}, bullet), "210:0");
    EXPECT_EQ(Run({{"xylophone"}}, bullet), "0:0");
}

TEST_F(ListsTest, BulletPermissionsAndPolicies) {
    tracker().permissions[kPermissionBullets] = 0;
    for (const char* text : {"- apples", "* one", "(*) star"}) EXPECT_EQ(Run({{text}}, bullet), "0:0") << text;
    EXPECT_EQ(Run({{"1. one"}}, bullet), "211:0");
    tracker().permissions.fill(1);
    for (auto [slot, text] : {std::pair{kPermissionNumberedItems, "1. one"},
                              {kPermissionRomanItems, "iv) four"},
                              {kPermissionAlphabeticItems, "B. Bravo"}}) {
        tracker().permissions[static_cast<size_t>(slot)] = 0;
        EXPECT_EQ(Run({{text}}, bullet), "0:0") << text;
    }
    EXPECT_EQ(Run({{"* one"}}, bullet), "210:0");
    tracker().permissions.fill(1);

    set.SetInt(Pol::ExpectAlphabeticBullets, 0);
    EXPECT_EQ(Run({{"a) alpha"}}, bullet), "0:0");
    set.bulletsExpected = 0;
    EXPECT_EQ(Run({{"- apples"}}, bullet), "0:0");
    set.bulletsExpected = 1;
    set.SetInt(Pol::LookForBullets, 0);
    EXPECT_EQ(Run({{"- apples"}}, bullet), "0:0");
}

TEST_F(ListsTest, HugeLinesNeverCrash) {
    for (const char* piece : {"* ", "- ", "o ", "1. ", "a) ", "-", ".", "= ", "|  ", "+-", ": "}) {
        std::string text;
        for (int i = 0; i < 10000; ++i) text += piece;
        lines.clear();
        Add({"", 1});
        AnalysedLine& line = *Add({text});
        for (const Check& check :
             {bullet, definition, ruler, Void(&AnalysedLine::CheckHangingColumns, &set),
              Void(&AnalysedLine::CheckListContinuation, &set), Void(&AnalysedLine::TidyPreformatting, &set)})
            check(line);
        EXPECT_EQ(PreformattedScore(&set, &line, lines[0].get(), 0), 0) << piece;  // too long to score
    }
}

TEST_F(ListsTest, BlankLinesBeforeABulletJoinTheList) {
    auto relabel = [](AnalysedLine& l) { return l.MarkListBlanksBeforeItem(), 0; };
    EXPECT_EQ(Run({{"- one", 210}, {"", 1}, {"", 1}, {"- two"}}, relabel), "0:210 217 217 0");
    EXPECT_EQ(Run({{"- one", 216}, {"", 1}, {"", 1}, {"", 1}, {"- two"}}, relabel), "0:216 217 217 217 0");
    EXPECT_EQ(Run({{"- one", 210}, {"", 1}, {"", 1}, {"", 1}, {"", 1}, {"- two"}}, relabel), "0:210 1 1 1 1 0");
    EXPECT_EQ(Run({{"Text"}, {"", 1}, {"- two"}}, relabel), "0:0 1 0");
}

TEST_F(ListsTest, Definitions) {
    const struct {
        std::vector<Line> chain;
        const char* result;
    } cases[] = {
        {{{"", 1}, {"Term - the meaning"}}, "230:1 0"},
        {{{"", 1}, {"Note: read this"}}, "230:1 0"},
        {{{"", 1}, {"= heading"}}, "230:1 0"},  // "= " needs no particular start
        {{{"1 Heading", 101}, {"Term - meaning"}}, "230:101 0"},
        {{{"A - b", 230}, {"Term - meaning"}}, "230:230 0"},
        {{{"Running text"}, {"Term - meaning"}}, "-3:0 0"},
        {{{"", 1}, {"Plain text"}}, "-3:1 0"},
        {{{"", 1}, {"(a) - bracket first"}}, "-3:1 0"},
        {{{"", 1}, {"Term - typed", 3}}, "-3:1 3"},
        {{{"", 1}, {std::string(19, 'a') + " - x"}}, "230:1 0"},  // below a quarter of the page width
        {{{"", 1}, {std::string(20, 'a') + " - x"}}, "-3:1 0"},
        {{{"", 1}, {"Term: " + std::string(40, 'x') + " - y"}}, "230:1 0"},  // the first separator decides
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.chain, definition), c.result) << c.chain.back().text;
    Run({{"", 1}, {"Term - the meaning"}}, definition);
    EXPECT_TRUE(lines.back()->HasFlag(kFlagDefinitionSeparator));

    // The wide form reaches to half the page width (at most 50), and lets the
    // test look after running text when blank lines are not expected.
    set.dashStrong = 1;
    EXPECT_EQ(Run({{"", 1}, {std::string(39, 'a') + " - x"}}, definition), "230:1 0");
    EXPECT_EQ(Run({{"", 1}, {std::string(40, 'a') + " - x"}}, definition), "-3:1 0");
    set.SetInt(Pol::PageWidth, 200);
    EXPECT_EQ(Run({{"", 1}, {std::string(51, 'a') + " - x"}}, definition), "-3:1 0");
    EXPECT_EQ(Run({{"- item", 210}, {"Term - meaning"}}, definition), "230:210 0");
    EXPECT_EQ(Run({{"Running text"}, {"Term - meaning"}}, definition), "-3:0 0");
    set.SetInt(Pol::ExpectBlankLinesBetweenParas, 0);
    EXPECT_EQ(Run({{"Running text"}, {"Term - meaning"}}, definition), "230:0 0");

    set.dashDefinition = set.colonDefinition = 0;
    EXPECT_EQ(Run({{"", 1}, {"Term - a: b"}}, definition), "-3:1 0");
    set.dashDefinition = 1;
    // Lines that are not analysed, only when definitions are allowed there.
    EXPECT_EQ(Run({{"", 1}, {"Term - meaning", 0, kFlagNotAnalysed}}, definition), "230:1 0");
    set.SetInt(Pol::AllowDefinitionsInsidePre, 0);
    EXPECT_EQ(Run({{"", 1}, {"Term - meaning", 0, kFlagNotAnalysed}}, definition), "-3:1 0");
    EXPECT_TRUE(lines.back()->HasFlag(kFlagDefinitionSeparator));
}

TEST_F(ListsTest, HangingParagraphsAndColumns) {
    const Check hanging = Void(&AnalysedLine::CheckHangingParagraph, &set);
    EXPECT_EQ(Run({{"Term    The text"}, {"        runs on"}}, hanging), "0:160 161");
    EXPECT_EQ(Run({{"Term    The text"}, {"      runs on"}}, hanging), "0:0 0");
    EXPECT_EQ(Run({{"Term    The text"}, {"        - dash"}}, hanging), "0:0 0");
    EXPECT_EQ(Run({{"Term    The text", 211}, {"        runs on"}}, hanging), "0:211 0");
    EXPECT_EQ(Run({{"*   The item"}, {"    runs on"}}, hanging), "0:210 216");
    EXPECT_EQ(Run({{"", 1}, {"Name    Value", 3, kFlagPreformatted}, {"        more"}}, hanging), "0:1 160 161");
    EXPECT_EQ(
        Run({{"a  b", 0, kFlagPreformatted}, {"Name    Value", 3, kFlagPreformatted}, {"        more"}}, hanging),
        "0:0 3 0");
    set.SetInt(Pol::LookForHangingParagraphs, 0);
    EXPECT_EQ(Run({{"Term    The text"}, {"        runs on"}}, hanging), "0:0 0");
    set.SetInt(Pol::LookForHangingParagraphs, 1);
    set.SetInt(Pol::NewParagraphOffset, 4);
    EXPECT_EQ(Run({{"Term    The text"}, {"        runs on"}}, hanging), "0:0 0");

    const Check columns = Void(&AnalysedLine::CheckHangingColumns, &set);
    EXPECT_EQ(Run({{"Term        text at twelve"}}, columns), "0:0");
    set.hangingCount = 2;
    set.hangingPositions = {20, 12, -1, -1, -1, -1};
    EXPECT_EQ(Run({{"Term        text at twelve"}}, columns), "0:160");
    set.hangingPositions[0] = 13;
    EXPECT_EQ(Run({{"          ab text"}}, columns), "0:0");  // only 3 columns after the first word
}

TEST_F(ListsTest, Rulers) {
    const struct {
        const char* text;
        const char* result;
        uint32_t flags;
    } cases[] = {
        {"--------", "4:1 0", kFlagUniformRuler},
        {"- - - - - -", "4:1 0", kFlagUniformRuler},  // a ruler, not a bullet
        {"   ========", "4:1 0", kFlagUniformRuler},
        {".....", "4:1 0", kFlagUniformRuler},
        {"-+-+-+-+", "4:1 0", kFlagPreformatted | kFlagPreformattedByScore},
        {"*** === ***", "4:1 0", kFlagPreformatted | kFlagPreformattedByScore},
        {"....", "-3:1 0", 0},  // a dotted line needs five dots, all alike
        {"..--..", "-3:1 0", 0},
        {"--", "-3:1 0", 0},
        {"---- x", "-3:1 0", 0},
        {"-- ++", "-3:1 0", 0},  // no blank before '+'
    };
    const uint32_t rulerFlags = kFlagUniformRuler | kFlagPreformatted | kFlagPreformattedByScore;
    for (const auto& c : cases) {
        EXPECT_EQ(Run({{"", 1}, {c.text}}, ruler), c.result) << c.text;
        EXPECT_EQ(lines.back()->flags & rulerFlags, c.flags) << c.text;
        EXPECT_EQ(lines.back()->preFormatKind, (c.flags & kFlagPreformatted) ? 10 : 0) << c.text;
    }
    EXPECT_EQ(Run({{"", 1}, {"--------", 3}}, ruler), "-3:1 3");
    lines.back()->lineType = 0;
    lines.back()->plainText = "----";  // the working copy does not cover the line
    EXPECT_EQ(lines.back()->CheckRulerLine(&set), -3);

    // Under a heading: the heading is underlined, a ruler above it goes too.
    EXPECT_EQ(Run({{"=======", 4}, {"1 Introduction", 101}, {"=============="}}, ruler), "-2:-2 101 0");
    EXPECT_TRUE(lines[1]->HasFlag(kFlagUnderlined));
}

TEST_F(ListsTest, UnderlinedHeadingsAndText) {
    for (auto [underline, type] : {std::pair{"************", 111},
                                   {"============", 112},
                                   {"------------", 113},
                                   {"~~~~~~~~~~~~", 113},
                                   {"............", 114}}) {
        EXPECT_EQ(Run({{"------------", 4}, {"Introduction"}, {underline}}, ruler),
                  "-2:-2 " + std::to_string(type) + " 0")
            << underline;
        EXPECT_TRUE(lines[1]->HasFlag(kFlagUnderlined));
    }
    set.SetInt(Pol::UseFirstHeadingAsTitle, 1);
    Run({{"  Getting started  "}, {"  ==============="}}, ruler);
    Run({{"Second heading"}, {"=============="}}, ruler);
    EXPECT_EQ(context.documentState.documentTexts[DocumentState::kDocumentTitle].str(), "Getting started");

    // Without the permission or the policy, the text is only underlined.
    tracker().permissions[kPermissionUnderlinedHeadings] = 0;
    EXPECT_EQ(Run({{"Introduction"}, {"============"}}, ruler), "-2:0 0");
    EXPECT_TRUE(lines[0]->HasFlag(kFlagUnderlined));
    tracker().permissions.fill(1);
    set.SetInt(Pol::ExpectUnderlinedHeadings, 0);
    EXPECT_EQ(Run({{"Some text here"}, {"--------------"}}, ruler), "-2:0 0");
    EXPECT_EQ(Run({{"Some text here"}, {std::string(80, '-')}}, ruler), "4:0 0");  // spans the page
    EXPECT_EQ(Run({{"Some text here"}, {std::string(30, ' ') + "------"}}, ruler), "4:0 0");  // far off
    EXPECT_EQ(Run({{"ab"}, {"---"}}, ruler), "4:0 0");  // too short to underline
    set.SetInt(Pol::LookForUnderlinedText, 0);
    EXPECT_EQ(Run({{"Some text here"}, {"--------------"}}, ruler), "4:0 0");
}

TEST_F(ListsTest, Continuations) {
    const Check list = Void(&AnalysedLine::CheckListContinuation, &set);
    const Check defined = Void(&AnalysedLine::CheckDefinitionContinuation, &set);
    const struct {
        std::vector<Line> chain;
        const Check* check;
        const char* result;
    } cases[] = {
        {{{"- item", 210}, {"  more"}}, &list, "0:210 216"},
        {{{"    - item", 210}, {"  less"}}, &list, "0:210 0"},
        {{{"    more", 216}, {"    again"}}, &list, "0:216 216"},
        {{{"    <tags>", 219}, {"   less"}}, &list, "0:219 0"},
        {{{"text"}, {"  more"}}, &list, "0:0 0"},
        {{{"- item", 210}, {"  more", 0, kFlagNotAnalysed}}, &list, "0:210 0"},
        // After list blanks: "- apples are red" gives 0 + 1 + (9 - 2) = 4 + 4.
        {{{"- apples are red", 210}, {"", 217}, {"", 218}, {"    more"}}, &list, "0:210 217 218 216"},
        {{{"- apples are red", 210}, {"", 217}, {"  more"}}, &list, "0:210 217 0"},
        {{{"- apples", 210}, {"", 217}, {"   more"}}, &list, "0:210 217 0"},  // no third word
        {{{"  more", 216}, {"", 217}, {"  again"}}, &list, "0:216 217 216"},
        {{{"Term    text", 160}, {"        more"}}, &defined, "0:160 161"},
        {{{"Term    text", 160}, {"     more"}}, &defined, "0:160 0"},
        {{{"    more", 161}, {"    again"}}, &defined, "0:161 161"},
        {{{"more", 161}, {"again"}}, &defined, "0:161 0"},
        {{{"Term - meaning", 230}, {"  more"}}, &defined, "0:230 231"},
        {{{"  Term - meaning", 230}, {"more"}}, &defined, "0:230 0"},
        {{{"  more", 231}, {"    again"}}, &defined, "0:231 231"},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.chain, *c.check), c.result) << c.chain.front().text;

    // The first word's length kept by the reading-time conversion counts.
    lines.clear();
    Add({"- apples are red", 210})->firstWordLength = 3;
    Add({"", 217});
    Add({"      more"})->CheckListContinuation(&set);
    EXPECT_EQ(lines.back()->lineType, 216);

    // Back at the margin under a paragraph offset; not with a high score.
    set.SetInt(Pol::NewParagraphOffset, 3);
    EXPECT_EQ(Run({{"   - item", 210}, {"margin"}}, list), "0:210 216");
    EXPECT_EQ(Run({{"   more", 231}, {"margin"}}, defined), "0:231 231");
    lines.back()->lineType = 0;
    lines.back()->preFormatKind = 5;
    EXPECT_EQ(defined(*lines.back()), 0);
    EXPECT_EQ(lines.back()->lineType, 0);
}

TEST_F(ListsTest, ParagraphStartsWithoutBlankLines) {
    const Check space = Void(&AnalysedLine::CheckWhiteSpace, &set);
    set.SetInt(Pol::NewParagraphOffset, 3);
    const std::vector<Line> start = {{"Running text"}, {"   A new paragraph"}};
    EXPECT_EQ(Run(start, space), "0:0 3");
    for (auto [next, result] : {std::pair{"text", "0:0 3 0"}, {"   text", "0:0 3 0"}, {"     text", "0:0 0 0"}}) {
        std::vector<Line> chain = start;
        chain.push_back({next});
        EXPECT_EQ(Run(chain, space, 1), result) << next;
    }
    EXPECT_EQ(Run({{"Running text"}, {"          deep"}}, space), "0:0 0");
    EXPECT_EQ(Run({{" Running text"}, {"   indented"}}, space), "0:0 0");
    EXPECT_EQ(Run({{"Term text", 160}, {"", -4}, {"   runs on"}}, space), "0:160 -4 161");
    EXPECT_EQ(Run({{"- item", 210}, {"   more"}}, space), "0:210 0");  // after a list item
    set.SetInt(Pol::ExpectBlankLinesBetweenParas, 0);
    EXPECT_EQ(Run({{"   First", 3}, {"   Second"}}, space), "0:3 3");
    set.SetInt(Pol::LookForWhiteSpace, 0);
    EXPECT_EQ(Run(start, space), "0:0 0");

    // A short line after a long one: the next line starts a paragraph,
    // unless an earlier step has given it its type.
    const Check shortLine = Void(&AnalysedLine::CheckShortPreviousLine, &set);
    const std::string longText(60, 'a');
    EXPECT_EQ(Run({{longText}, {"short end."}, {"Next", -3}}, shortLine, 1), "0:0 0 3");
    EXPECT_EQ(Run({{longText}, {"short end."}, {"Ignored", -4}}, shortLine, 1), "0:0 0 -4");
    EXPECT_EQ(Run({{std::string(50, 'a')}, {"short end."}, {"Next"}}, shortLine, 1), "0:0 0 0");
    set.SetInt(Pol::ExpectBlankLinesBetweenParas, 1);
    EXPECT_EQ(Run({{longText}, {"short end."}, {"Next"}}, shortLine, 1), "0:0 0 0");
}

TEST_F(ListsTest, PreformattedScores) {
    const struct {
        std::string text;
        int mode1, mode0;
    } cases[] = {
        {"Plain running text, nothing more.", 0, 0},
        {"int  x   =  5;   // comment", 7, 3},
        {"a  b  c  d  e  f", 7, 7},
        {"a  b  c  d", 3, 0},
        {"a   b   c", 7, 3},
        {"| a | b | c |", 6, 7},
        {"+---+---+", 6, 7},
        {"Name      Value", 7, 9},
        {std::string(50, ' ') + "far right", 4, 2},
        {std::string(30, ' ') + "a third in", 3, 1},
        {std::string(21, ' ') + "indented", 2, 1},
        {std::string(250, 'x'), 0, 0},  // too long to be scored
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Score(c.text, 1), c.mode1) << c.text;
        EXPECT_EQ(Score(c.text, 0), c.mode0) << c.text;
    }
    lines.clear();
    EXPECT_EQ(PreformattedScore(&set, Add({"int  x   =  5;", 0, kFlagProtected}), nullptr, 1), 0);
    set.SetInt(Pol::TextJustification, 4);  // justified text spreads its blanks
    EXPECT_EQ(Score("a  b  c  d", 1), 0);
    EXPECT_EQ(Score("a    b    c    d", 0), 3);

    // Against the neighbour.
    auto neighbour = [this](const std::vector<Line>& chain, int mode = 1) {
        Run(chain, [](AnalysedLine&) { return 0; });
        return PreformattedScore(&set, lines.back().get(), lines[lines.size() - 2].get(), mode);
    };
    const uint32_t pre = kFlagPreformatted;
    lines.clear();
    AnalysedLine* code = Add({"        code();", 0, pre});
    code->preFormatKind = 7;
    EXPECT_EQ(PreformattedScore(&set, Add({"        more();"}), code, 1), 7);  // same deep indentation
    EXPECT_EQ(PreformattedScore(&set, Add({"more();"}), code, 1), 5);  // kind - 2
    EXPECT_EQ(neighbour({{"1 Heading", 101}, {"=====", -2, pre}, {"text"}}), 0);
    EXPECT_EQ(neighbour({{"        if (x)", 0, pre}, {"        call();"}, {"        done"}}), 3);
    EXPECT_EQ(neighbour({{"        if (x)", 0, pre}, {"        a();"}, {"        b();"}, {"        done"}}), 3);
    EXPECT_EQ(neighbour({{"", 1}, {"text"}, {"", 1}}), 0);
    EXPECT_EQ(neighbour({{"aa  bb  cc  dd  ee  ff"}, {"gg  hh  ii  jj  kk  ll"}}, 0), 3);  // shared blanks
    EXPECT_EQ(neighbour({{"aa  bb  cc  dd  ee  ff"}, {"gg  hh  ii  jj  kk"}}, 0), 0);  // too few runs
    EXPECT_EQ(neighbour({{"aa  bb  cc  dd  ee  ff"}, {"ggg  hh  ii  jj  kk  ll"}}, 0), 0);
    set.SetInt(Pol::TextJustification, 1);
    EXPECT_EQ(neighbour({{"+-----+"}, {"|"}}), 7);  // diagrams
    EXPECT_EQ(neighbour({{"+-----+"}, {"x"}}), 5);
    EXPECT_EQ(neighbour({{"+-----+"}, {"plain words"}}), 0);
    set.SetInt(Pol::LookForDiagrams, 0);
    EXPECT_EQ(neighbour({{"+-----+"}, {"x"}}), 0);
}

// The record gives its first score again only while nothing the score reads
// has changed: after each change below it gives what a fresh score gives.
TEST_F(ListsTest, AScoreRecordFollowsEveryChangeTheScoreReads) {
    const uint32_t pre = kFlagPreformatted;
    const struct {
        const char* change;
        std::function<void(AnalysedLine& twoAbove, AnalysedLine& above, AnalysedLine& neighbour, AnalysedLine& line)>
            apply;
    } cases[] = {
        {"nothing", [](auto&, auto&, auto&, auto&) {}},
        {"the line's type", [](auto&, auto&, auto&, AnalysedLine& l) { l.lineType = kLineDefinition; }},
        {"the line protected", [](auto&, auto&, auto&, AnalysedLine& l) { l.SetFlag(kFlagProtected, true); }},
        {"the neighbour's type", [](auto&, auto&, AnalysedLine& n, auto&) { n.lineType = kLineUnderline; }},
        {"the neighbour pre-formatted", [](auto&, auto&, AnalysedLine& n, auto&) { n.SetFlag(pre, false); }},
        {"the neighbour's kind", [](auto&, auto&, AnalysedLine& n, auto&) { n.preFormatKind = 9; }},
        {"the line above's type", [](auto&, AnalysedLine& a, auto&, auto&) { a.lineType = kLineNumberedHeading; }},
        {"the line above pre-formatted", [](auto&, AnalysedLine& a, auto&, auto&) { a.SetFlag(pre, false); }},
        {"the line two above pre-formatted", [](AnalysedLine& t, auto&, auto&, auto&) { t.SetFlag(pre, true); }},
        {"the line's text", [](auto&, auto&, auto&, AnalysedLine& l) { l.Assign("            x"); }},
    };
    for (const auto& c : cases) {
        for (const bool neighbourPreformatted : {true, false}) {
            lines.clear();
            AnalysedLine* twoAbove = Add({"        int a;", kLineText});
            AnalysedLine* above = Add({"        int b;", kLineText, pre});
            AnalysedLine* neighbour = Add({"        int c;", kLineText, neighbourPreformatted ? pre : 0u});
            neighbour->preFormatKind = neighbourPreformatted ? 7 : 0;
            AnalysedLine* line = Add({"        int d;", kLineText});
            PreformattedScoreRecord record;
            EXPECT_EQ(record.Score(&set, line, neighbour, 1), PreformattedScore(&set, line, neighbour, 1));
            c.apply(*twoAbove, *above, *neighbour, *line);
            EXPECT_EQ(record.Score(&set, line, neighbour, 1), PreformattedScore(&set, line, neighbour, 1))
                << c.change << (neighbourPreformatted ? ", after a pre-formatted neighbour" : "");
        }
    }
}

// Lines shorter than sixteen bytes without their outer blanks (most lines of
// a list of words) are measured byte by byte: runs of blanks of each length,
// bars, repeated rule marks and runs of '+' score as in a longer line.
TEST_F(ListsTest, PreformattedScoresOfShortLines) {
    const struct {
        std::string text;
        int mode1, mode0, justified1, justified0;
    } cases[] = {
        {"a", 0, 0, 0, 0},
        {"|", 0, 0, 0, 0},
        {"+", 0, 0, 0, 0},
        {"-", 0, 0, 0, 0},
        {"=", 0, 0, 0, 0},
        {"a b", 0, 0, 0, 0},
        {"a  b", 0, 0, 0, 0},
        {"a   b", 7, 0, 7, 0},
        {"a    b", 7, 0, 7, 0},
        {"a     b", 7, 0, 7, 0},
        {"a      b", 7, 9, 7, 9},
        {"a  b  c", 0, 0, 0, 0},
        {"a  b  c  d", 3, 0, 0, 0},
        {"a  b  c  d  e", 7, 3, 0, 0},
        {"||", 6, 0, 6, 0},
        {"|a|b|", 6, 0, 6, 0},
        {"+--+", 6, 0, 6, 0},
        {"++", 0, 0, 0, 0},
        {"a+b", 0, 0, 0, 0},
        {"--", 0, 0, 0, 0},
        {"==", 0, 0, 0, 0},
        {"-=-", 0, 0, 0, 0},
        {"a|b|c|d|e", 6, 7, 6, 7},
        {"| | |", 6, 0, 6, 0},
        {" a  b", 0, 0, 0, 0},
        {"a  b ", 0, 0, 0, 0},
        {"\ta  b\t", 0, 0, 0, 0},
        {"a\t\tb", 0, 0, 0, 0},
        {"a b c d e f g", 0, 0, 0, 0},
        {"x--y==z", 0, 0, 0, 0},
        {"a  b  c  d  e  f", 7, 7, 0, 0},
        {"a  b  c  d  e f", 7, 3, 0, 0},
        {"a   b  c  d  e f", 7, 3, 7, 0},
        {"+-+-+-+-+-+-+-+", 6, 7, 6, 7},
        {"+-+-+-+-+-+-+-+-", 6, 7, 6, 7},
        {"|  |  |  |  |", 7, 7, 6, 7},
        {"a      b      c", 7, 9, 7, 9},
        {"kxe 281", 0, 0, 0, 0},
        {"aaaaa", 0, 0, 0, 0},
        {"nmo 4726", 0, 0, 0, 0},
        {"=-=-=-=", 0, 0, 0, 0},
        {"a  +  b", 0, 0, 0, 0},
        {"-- --", 0, 0, 0, 0},
        {"|| ||", 6, 7, 6, 7},
        {"a- -b", 0, 0, 0, 0},
        {"---", 0, 0, 0, 0},
        {"----", 6, 0, 6, 0},
        {"-----", 6, 7, 6, 7},
        {"===", 0, 0, 0, 0},
        {"====", 6, 0, 6, 0},
        {"+ + +", 6, 0, 6, 0},
        {"++ ++ ++", 6, 0, 6, 0},
        {"|||", 6, 7, 6, 7},
        {"-|-", 0, 0, 0, 0},
        {"a   b   c", 7, 3, 7, 0},
        {"a   b   c   d", 7, 7, 7, 0},
        {"a    b    c", 7, 3, 7, 0},
        {"a    b    c    d", 7, 7, 7, 3},
        {"a     b     c", 7, 3, 7, 3},
    };
    for (const auto& c : cases) {
        set.SetInt(Pol::TextJustification, 1);
        EXPECT_EQ(Score(c.text, 1), c.mode1) << "'" << c.text << "'";
        EXPECT_EQ(Score(c.text, 0), c.mode0) << "'" << c.text << "'";
        set.SetInt(Pol::TextJustification, 4);  // justified text spreads its blanks
        EXPECT_EQ(Score(c.text, 1), c.justified1) << "'" << c.text << "' justified";
        EXPECT_EQ(Score(c.text, 0), c.justified0) << "'" << c.text << "' justified";
    }
}

TEST_F(ListsTest, PreformattedScoresOfLongLinesLookAcross64ByteBlocks) {
    // The shape is measured 64 bytes at a time: runs of blanks and the bar
    // pairs that straddle a block boundary count as one.
    const std::string x62(62, 'x'), x60(60, 'x'), x61(61, 'x'), x63(63, 'x');
    const struct {
        std::string text;
        int mode1, mode0;
    } cases[] = {
        {x62 + "   y", 7, 0},  // a run of 3 over bytes 62..64
        {x61 + "   y", 7, 0},  // a run of 3 that ends with the first block
        {x62 + "  y", 0, 0},  // a run of 2 over the boundary is not 3
        {x60 + "      y", 7, 9},  // a run of 6 over the boundary
        {x60 + "     y", 7, 0},  // 5 is not 6
        {x63 + "||x", 6, 0},  // a bar pair over the boundary
        {x63 + "--x", 0, 0},  // a dash pair: one bar
        {x63 + "+x", 0, 0},  // a lone plus
        {std::string(70, 'x') + "  b  c  d  e", 7, 3},
        {std::string(130, 'x') + "  b  c  d  e  f", 7, 7},  // a third block
        {std::string(64, 'x') + std::string(64, ' ') + "y", 7, 9},  // a whole block of blanks
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Score(c.text, 1), c.mode1) << c.text;
        EXPECT_EQ(Score(c.text, 0), c.mode0) << c.text;
    }
}

TEST_F(ListsTest, ARunOfThreeBlanksAnywhereInTheShapeScoresSeven) {
    // Mode 1 looks for the run sixteen bytes at a time: runs across a block
    // boundary, in the last bytes and in a short text count; blanks outside
    // the trimmed text or after a NUL byte do not.
    const struct {
        std::string tagged;
        int mode1;
    } cases[] = {
        {"a   b", 7},
        {std::string(13, 'x') + "   y", 7},
        {std::string(14, 'x') + "   y", 7},
        {std::string(15, 'x') + "   y", 7},
        {std::string(30, 'x') + "   y", 7},
        {std::string(17, 'x') + "  y  z", 0},
        {"   " + std::string(20, 'x'), 0},
        {std::string(20, 'x') + "   ", 0},
        {std::string("x   ") + '\0' + "z", 7},
        {std::string(20, 'x') + '\0' + "   z", 0},
        {std::string(5, 'x') + '\0' + "   z", 0},
    };
    for (const auto& c : cases) {
        lines.clear();
        AnalysedLine* line = Add({"text"});
        line->taggedText = TextString(std::string_view(c.tagged));
        EXPECT_EQ(PreformattedScore(&set, line, nullptr, 1), c.mode1) << VisibleBytes(c.tagged);
    }
}

TEST_F(ListsTest, TheShapeOfAShortTextEndsAtANulByte) {
    // Bars and runs of blanks are measured up to a NUL byte: a run that
    // reaches it ends there and counts, a '+' before it is the last of its
    // run, and nothing after it counts.
    const struct {
        std::string tagged;
        int mode1, mode0;
    } cases[] = {
        {std::string("|") + '\0' + "||", 0, 0},      {std::string("||") + '\0' + "||", 6, 0},
        {std::string("+") + '\0' + "+", 0, 0},       {std::string("++") + '\0' + "+-+", 0, 0},
        {std::string("a  ") + '\0' + "   b", 0, 0},  {std::string("a  b  c  d") + '\0' + "xx", 3, 0},
        {std::string("a      ") + '\0' + "b", 7, 9}, {std::string("a  b  c  d  e") + '\0', 7, 3},
    };
    for (const auto& c : cases) {
        lines.clear();
        AnalysedLine* line = Add({"text"});
        line->taggedText = TextString(std::string_view(c.tagged));
        EXPECT_EQ(PreformattedScore(&set, line, nullptr, 1), c.mode1) << VisibleBytes(c.tagged);
        EXPECT_EQ(PreformattedScore(&set, line, nullptr, 0), c.mode0) << VisibleBytes(c.tagged);
    }
}

TEST_F(ListsTest, PreformattedTidy) {
    const Check tidy = Void(&AnalysedLine::TidyPreformatting, &set);
    Run({{"", 1}, {"Name      Value"}}, tidy);
    EXPECT_TRUE(lines[1]->HasFlag(kFlagPreformatted) && lines[1]->HasFlag(kFlagPreformattedByScore));
    EXPECT_EQ(lines[1]->preFormatKind, 7);
    // A line marked by an earlier score keeps its mark and kind.
    AnalysedLine& line = *lines[1];
    line.SetText("Plain text");
    line.SetFlag(kFlagPreformatted, false);
    line.TidyPreformatting(&set);
    EXPECT_TRUE(line.HasFlag(kFlagPreformatted));
    EXPECT_EQ(line.preFormatKind, 7);
    // Long lines, HTML blocks and other types lose the mark.
    line.SetText((std::string(111, 'x') + "  y").c_str());
    line.TidyPreformatting(&set);
    EXPECT_FALSE(line.HasFlag(kFlagPreformatted));
    EXPECT_EQ(line.preFormatKind, 0);
    line.SetText("Name      Value");
    tracker().inHTML = 1;
    line.TidyPreformatting(&set);
    EXPECT_FALSE(line.HasFlag(kFlagPreformatted));
    tracker().inHTML = 0;
    for (auto [type, flags, result] : {std::tuple{210, 0u, false}, {0, kFlagBarLine, false}, {1032, 0u, true}}) {
        Run({{"Name      Value", type, flags}}, tidy);
        EXPECT_EQ(lines[0]->HasFlag(kFlagPreformatted), result) << type;
    }
    // A continuation takes the mark from the line above as well.
    Run({{"Name      Value", 160, kFlagPreformatted}, {"          more", 161, kFlagPreformatted}}, tidy);
    EXPECT_FALSE(lines[0]->HasFlag(kFlagPreformatted) || lines[1]->HasFlag(kFlagPreformatted));
    set.SetInt(Pol::LookForPreformattedText, 0);
    Run({{"Name      Value"}}, tidy);
    EXPECT_FALSE(lines[0]->HasFlag(kFlagPreformatted));
}

TEST_F(ListsTest, SummariesAndPreviousLines) {
    LineSummary summary;
    summary.lineType = 99;
    SummariseLine(&set, nullptr, summary);
    EXPECT_TRUE(summary.line == nullptr && summary.lineType == 1 && summary.leadingBlanks == -1 &&
                summary.trimmedLength == -1 && !summary.preformatted);

    AnalysedLine* line = Add({"  Item   ", 216, kFlagPreformatted});
    line->inputText = "Item text ";
    SummariseLine(&set, line, summary);
    EXPECT_TRUE(summary.line == line && summary.leadingBlanks == 2 && summary.trimmedLength == 6 &&
                summary.inputTrimmedLength == 9 && summary.preformatted && summary.isListItem);
    for (auto [type, open, boundary] :
         {std::tuple{1004, 0, true}, {1006, 0, true}, {1005, 0, false}, {1005, 2, true}, {1007, 2, false}}) {
        line->lineType = type;
        TrackerListItemNumber(tracker()) = open;
        SummariseLine(&set, line, summary);
        EXPECT_EQ(summary.isListBoundary, boundary) << type << " " << open;
    }

    // The previous line skips one ignored line.
    lines.clear();
    for (int type : {0, -2, 0, -1, -4, 0}) Add({"x", type});
    EXPECT_EQ(GetAnalysisPreviousLine(lines[2].get()), lines[0].get());
    EXPECT_EQ(GetAnalysisPreviousLine(lines[5].get()), lines[3].get());
    EXPECT_EQ(GetAnalysisPreviousLine(lines[0].get()), nullptr);
    EXPECT_EQ(GetAnalysisPreviousLine(lines[1].get()), lines[0].get());
}

TEST_F(ListsTest, ListItemNumbers) {
    EXPECT_EQ(GetListItemNumber(&set, "[[LIST_ITEM 3]]"), 3);
    EXPECT_EQ(GetListItemNumber(&set, "[[list_item 2, B]]"), 2);
    EXPECT_EQ(GetListItemNumber(&set, "$_$_LIST_ITEM 4"), 4);
    EXPECT_TRUE(messages->Messages().empty());

    const struct {
        const char* tag;
        const char* message;
    } faults[] = {
        {"[[LIST_ITEM]]", "TAG ERROR: Failed to parse: [[LIST_ITEM]]"},
        {"[[LIST_ITEM x]]", "TAG ERROR: Failed to parse: [[LIST_ITEM x]]"},
        {"[[BR]]", "TAG ERROR: Failed to parse: [[BR]]"},
        {"[[NO_SUCH_TAG 3]]", "TAG ERROR: Unrecognised tag \"NO_SUCH_TAG\" : [[NO_SUCH_TAG 3]]"},
        {"[[LIST_ITEM [[BR]] 3]]", "TAG ERROR: Incomplete tag, or nested tag"},
    };
    for (const auto& f : faults) {
        messages->Clear();
        EXPECT_EQ(GetListItemNumber(&set, f.tag), 0) << f.tag;
        EXPECT_EQ(messages->Count(f.message), 1) << f.tag;
    }
}

}  // namespace
