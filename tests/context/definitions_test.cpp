#include "context/definitions.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"

namespace {

std::vector<std::string> gMessages;
void CaptureMessage(const char* text) { gMessages.emplace_back(text); }

class DefinitionsTest : public testing::Test {
protected:
    void SetUp() override {
        gMessages.clear();
        context.sink.SetMessageCallback(CaptureMessage);
        set.SetContext(&context);
        context.trackers.codeLocation = 1;
    }
    DefineList& defines() { return context.documentState.defines; }
    TagList& tags() { return context.documentState.tags; }
    void Define(const char* name, const char* value, SourcePosition at = SourcePosition(0, 1)) {
        const TextString text(value);
        defines().Add(&set, kDefinitionVariable, name, at, 0, 0, &text);
    }

    Context context;
    FC set;
};

TEST_F(DefinitionsTest, AddsAreRefusedOutsideTheAnalysisPass) {
    context.documentState.analysisPass = 0;
    Define("A", "1");
    tags().Add(&set, "T", "", 0, SourcePosition(0, 5));
    EXPECT_EQ(defines().Count() + tags().Count(), 0);
    const std::vector<std::string> expected = {"PROGRAM ERROR: DefineList::Add called during non-analysis pass",
                                               "PROGRAM ERROR: TagList::Add called during non-analysis pass"};
    EXPECT_EQ(gMessages, expected);
}

// Positions: given, tracker, expected; for definitions, tags and META tags.
struct PlacementCase {
    SourcePosition given, tracker, expected;
};

TEST_F(DefinitionsTest, EntriesWithoutALineGoAfterTheTrackersLine) {
    const PlacementCase definitions[] = {
        {{0, 5}, {0, 40}, {0, 5}}, {{3, 0}, {2, 7}, {2, 8}}, {{0, 0}, {0, 1}, {0, 1}}};
    for (const auto& c : definitions) {
        defines().Clear();
        context.trackers.input.position = c.tracker;
        Define("V", "x", c.given);
        EXPECT_EQ(defines().GetAt(0)->scope.start.Compare(c.expected), 0) << c.tracker.line;
    }
    const PlacementCase tagCases[] = {{{1, 0}, {0, 40}, {1, 0}},
                                      {{0, -1}, {2, 7}, {2, 8}},
                                      {{0, -1}, {-1, -1}, {0, 0}},
                                      {{-1, 4}, {0, 4}, {0, 0}}};
    for (const auto& c : tagCases) {
        tags().Clear();
        context.trackers.input.position = c.tracker;
        tags().Add(&set, "LINKPOINT", "anchor", 3, c.given);
        EXPECT_EQ(tags().GetAt(0)->position.Compare(c.expected), 0) << c.given.unit << "/" << c.given.line;
    }
    // META tags: inside an included unit they follow the including line.
    const PlacementCase metaCases[] = {
        {{-1, -1}, {0, 4}, {0, 5}}, {{0, 9}, {2, 3}, {0, 10}}, {{-1, -1}, {-1, -1}, {0, 0}}};
    for (const auto& c : metaCases) {
        context.documentState.metaTags.clear();
        context.trackers.input.outerPosition = c.given;
        context.trackers.input.position = c.tracker;
        context.AddMetaTag("  key   words ", "\ttables,  \t text  ");
        const MetaTagEntry& tag = context.documentState.metaTags.at(0);
        EXPECT_EQ(tag.name, "key words");
        EXPECT_EQ(tag.content, "tables, text");
        EXPECT_EQ(tag.position.Compare(c.expected), 0) << c.tracker.unit << "/" << c.tracker.line;
    }
    EXPECT_TRUE(gMessages.empty());
}

TEST_F(DefinitionsTest, OnlyBlocksAndFragmentsCollectBodyLines) {
    const TextString text("ignored");
    EXPECT_EQ(defines().AppendLine("nowhere"), 0);
    defines().Add(&set, kDefinitionBlock, "B", SourcePosition(0, 2), 1, 7, &text);
    EXPECT_EQ(defines().AppendLine("first") + defines().AppendLine("second"), 2);
    const DefinitionEntry* block = defines().GetAt(0);
    EXPECT_TRUE(block->text.IsEmpty());
    ASSERT_EQ(block->lines.count, 2);
    EXPECT_STREQ(block->lines.TextAt(1), "second");
    defines().Add(&set, kDefinitionFragment, "F", SourcePosition(0, 3), 2, 0, nullptr);
    EXPECT_EQ(defines().AppendLine("<HR>"), 1);
    Define("V", "value");
    EXPECT_EQ(defines().GetAt(2)->text, "value");
    EXPECT_EQ(defines().AppendLine("lost"), 0);
    EXPECT_EQ(defines().GetAt(2)->lines.count + defines().GetAt(1)->lines.count, 1);
}

TEST_F(DefinitionsTest, LookupsFindTheNearestVisibleDefinition) {
    Define("Colour", "ten", SourcePosition(0, 10));
    Define("colour", "twenty", SourcePosition(0, 20));
    defines().Add(&set, kDefinitionBlock, "COLOUR", SourcePosition(0, 14), 0, 0, nullptr);
    Define("COLOUR", "other unit", SourcePosition(1, 15));
    Define("COLOUR", "twenty again", SourcePosition(0, 20));  // 4: later at the same line
    defines().Add(&set, kDefinitionFragment, "COLOUR", SourcePosition(0, 12), 1, 0, nullptr);  // 5

    const struct {
        int line;
        bool next, inclusive;
        int expected;
    } cases[] = {{15, false, false, 0}, {15, true, false, 4}, {10, false, false, -1}, {10, false, true, 0},
                 {20, true, false, -1}, {20, true, true, 4},  {25, false, false, 4},  {5, true, false, 0}};
    for (const auto& c : cases) {
        int index = 99;
        const SourcePosition at(0, c.line);
        const bool found = c.next ? defines().FindNextDefinition(1, "COLOUR", at, 0, &index, c.inclusive)
                                  : defines().FindPreviousDefinition(1, "COLOUR", at, 0, &index, c.inclusive);
        EXPECT_EQ(found, c.expected >= 0) << c.line << " next " << c.next;
        EXPECT_EQ(index, c.expected) << c.line << " next " << c.next;
    }
    int index = -1;
    EXPECT_TRUE(defines().FindNextDefinition(1, "COLOUR", SourcePosition(1, 1), 0, &index, false));
    EXPECT_EQ(index, 3);
    // A fragment visible to the first kind of lookup only.
    EXPECT_TRUE(defines().FindPreviousDefinition(2, "colour", SourcePosition(0, 15), 1, &index, true));
    EXPECT_EQ(index, 5);
    EXPECT_FALSE(defines().FindPreviousDefinition(2, "colour", SourcePosition(0, 15), 2, &index, true));
    EXPECT_EQ(index, -1);
}

TEST_F(DefinitionsTest, FolioVariables) {
    const std::string big = std::to_string(INT_MAX);
    const struct {
        std::vector<std::pair<const char*, const char*>> definitions;
        const char* name;
        const char* output;
        bool resolved;
    } cases[] = {
        {{{"PAGE_NUMBER", "7"}}, "FOLIO_FOOTER_PAGE_NUMBER", "7", true},
        {{{"PAGE_NUMBER", "7"}}, "folio_header_page_number", "8", true},
        {{{"PAGE_NUMBER", "4"}, {"FOLIO_FORMAT_CODE", "2"}}, "FOLIO_FOOTER_PAGE_NUMBER", "IV", true},
        {{{"PAGE_NUMBER", "4"}, {"FOLIO_FORMAT_CODE", "3"}}, "FOLIO_FOOTER_PAGE_NUMBER", "d", true},
        {{{"PAGE_NUMBER", "3"}, {"FOLIO_TEMPLATE", "- [FOLIO] -"}, {"FOLIO_FORMAT_CODE", "2"}},
         "FOLIO_HEADER_PAGE_NUMBER",
         "- IV -",
         true},
        {{{"PAGE_NUMBER", "3"}, {"FOLIO_TEMPLATE", "- [folio] -"}, {"FOLIO_HEADER_TEMPLATE", "[folio]/[folio]"}},
         "FOLIO_HEADER_PAGE_NUMBER",
         "4/4",
         true},
        {{{"PAGE_NUMBER", "blank"}, {"FOLIO_TEMPLATE", "Page [folio]"}}, "FOLIO_FOOTER_PAGE_NUMBER", "", true},
        {{{"PAGE_NUMBER", "0"}}, "FOLIO_FOOTER_PAGE_NUMBER", "", true},
        {{{"PAGE_NUMBER", "-3"}}, "FOLIO_HEADER_PAGE_NUMBER", "", true},
        {{{"PAGE_NUMBER", "seven"}}, "FOLIO_FOOTER_PAGE_NUMBER", "FOLIO_FOOTER_PAGE_NUMBER", false},
        {{{"PAGE_NUMBER", "99999999999"}}, "FOLIO_FOOTER_PAGE_NUMBER", "FOLIO_FOOTER_PAGE_NUMBER", false},
        {{{"PAGE_NUMBER", "5"}, {"FOLIO_FORMAT_CODE", "ii"}},
         "FOLIO_FOOTER_PAGE_NUMBER",
         "FOLIO_FOOTER_PAGE_NUMBER",
         false},
        {{{"PAGE_NUMBER", big.c_str()}}, "FOLIO_HEADER_PAGE_NUMBER", "", true},  // no following page
        {{}, "FOLIO_HEADER_TEMPLATE", "[folio]", true},
        {{}, "FOLIO_HEADER_FORMAT_CODE", "0", true},
        {{{"FOLIO_FOOTER_PAGE_NUMBER", "by hand"}}, "FOLIO_FOOTER_PAGE_NUMBER", "by hand", true},
        {{}, "MY_VARIABLE", "MY_VARIABLE", false},
    };
    for (const auto& c : cases) {
        defines().Clear();
        for (const auto& [name, value] : c.definitions) Define(name, value);
        TextString out("stale");
        const std::string label = std::string(c.name) + (c.definitions.empty() ? "" : c.definitions[0].second);
        EXPECT_EQ(ResolveFolioVariable(&defines(), &set, c.name, SourcePosition(0, 50), out), c.resolved) << label;
        EXPECT_EQ(out.str(), c.output) << label;
    }

    // A definition is looked for at or before the position, then after it.
    defines().Clear();
    Define("PAGE_NUMBER", "2", SourcePosition(0, 10));
    Define("PAGE_NUMBER", "3", SourcePosition(0, 30));
    for (const auto& [line, expected] : {std::pair{5, "2"}, {29, "2"}, {30, "3"}}) {
        TextString out;
        EXPECT_TRUE(ResolveFolioVariable(&defines(), &set, "PAGE_NUMBER", SourcePosition(0, line), out));
        EXPECT_EQ(out.str(), expected) << line;
    }
}

TEST_F(DefinitionsTest, FolioWithoutDefinitionsReportsInnerThenOuterName) {
    TextString out;
    EXPECT_FALSE(ResolveFolioVariable(&defines(), &set, "FOLIO_FOOTER_PAGE_NUMBER", SourcePosition(0, 5), out));
    EXPECT_EQ(out, "FOLIO_FOOTER_PAGE_NUMBER");
    const std::vector<std::string> expected = {"TAG ERROR: Failed to resolve variable PAGE_NUMBER",
                                               "TAG ERROR: Failed to resolve variable FOLIO_FOOTER_PAGE_NUMBER"};
    EXPECT_EQ(gMessages, expected);

    // The class word is the one its suppression policy filters.
    gMessages.clear();
    set.SetInt(Pol::SuppressTAGERRORMessages, 1);
    EXPECT_FALSE(ResolveFolioVariable(&defines(), &set, "FOLIO_HEADER_PAGE_NUMBER", SourcePosition(0, 5), out));
    EXPECT_TRUE(gMessages.empty());
}

TEST_F(DefinitionsTest, TagLookups) {
    const std::pair<const char*, SourcePosition> added[] = {{"PAGE", {0, 10}}, {"GOTO", {0, 15}}, {"page", {1, 12}},
                                                            {"PAGE", {0, 20}}, {"Page", {0, 20}}, {"PAGE", {0, 30}}};
    for (const auto& [name, at] : added) tags().Add(&set, name, "", 0, at);

    const struct {
        const char* name;
        int line;
        bool previous, inclusive;
        int expected;
    } cases[] = {
        {"page", 15, false, false, 3},  {"page", 20, false, false, 5}, {"page", 20, false, true, 3},
        {"page", 30, false, false, -1}, {"", 12, false, false, 1},     {"page", 20, true, false, 0},
        {"page", 20, true, true, 4},    {"page", 10, true, false, -1}, {"", 18, true, false, 1},
        {"page", 99, true, false, 5},
    };
    for (const auto& c : cases) {
        int index = 99;
        const SourcePosition at(0, c.line);
        const bool found = c.previous ? tags().FindPrevious(c.name, at, &index, c.inclusive)
                                      : tags().FindNext(c.name, at, &index, c.inclusive);
        EXPECT_EQ(found, c.expected >= 0) << c.name << " " << c.line << " previous " << c.previous;
        EXPECT_EQ(index, c.expected) << c.name << " " << c.line << " previous " << c.previous;
    }
    // FindNextAfter walks the list in any unit.
    const struct {
        const char* name;
        int after, expected;
    } after[] = {{"PAGE", 0, 2}, {"", 0, 1}, {"GOTO", 1, -1}, {"PAGE", 5, -1}, {"PAGE", -7, 0}};
    for (const auto& c : after) {
        int index = 99;
        EXPECT_EQ(tags().FindNextAfter(c.name, c.after, &index), c.expected >= 0) << c.name << " " << c.after;
        EXPECT_EQ(index, c.expected) << c.name << " " << c.after;
    }
}

TEST_F(DefinitionsTest, FindOutputFileIgnoresCase) {
    context.documentState.outputFiles.Add("index.html");
    context.documentState.outputFiles.Add("Part2.HTML");
    int index = 99;
    EXPECT_TRUE(context.documentState.FindOutputFile("PART2.html", &index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(context.documentState.FindOutputFile("part2.htm", &index));
    EXPECT_EQ(index, -1);
}

}  // namespace
