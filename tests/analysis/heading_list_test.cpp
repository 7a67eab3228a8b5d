#include "analysis/heading_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"

namespace {

std::vector<std::string>* gMessages = nullptr;
void Collect(const char* text) {
    if (gMessages) gMessages->push_back(text);
}

// A context with its policy set attached; collects what the sink shows.
class HeadingFixture : public testing::Test {
protected:
    HeadingFixture() : context(1, 0) {
        set.SetContext(&context);
        gMessages = &messages;
        context.sink.SetMessageCallback(Collect);
    }
    ~HeadingFixture() override { gMessages = nullptr; }

    HeadingList& Headings() { return context.documentState.headings; }
    void AddHeading(int type, const char* text, const char* stem, int unit, int line) {
        TextString none;
        Headings().Add(&set, type, TextString(text), TextString(text), TextString(stem), SourcePosition(unit, line),
                       none, none, none);
    }
    int FindIndex(const char* text, int unit, int line, int* count = nullptr) {
        int index = -2;
        int matches = -2;
        HeadingListEntry* entry =
            Headings().Find(&set, TextString(text), TextString(text), SourcePosition(unit, line), &index, &matches);
        EXPECT_EQ(entry, Headings().GetAt(index));
        if (count) *count = matches;
        return index;
    }

    Context context;
    FC set;
    std::vector<std::string> messages;
};

std::string Anchor(const HeadingListEntry* entry) {
    TextString name;
    entry->GetAnchorName(name);
    return name.str();
}

}  // namespace

TEST_F(HeadingFixture, DuplicateHeadingIsReportedAndNumbered) {
    AddHeading(101, "1 Introduction", "intro", 0, 3);
    EXPECT_TRUE(messages.empty());
    AddHeading(101, "1 Introduction", "intro", 0, 20);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "WARNING: 1 duplicate heading(s) \"1 Introduction\" found at 0/3 and 0/20");
    ASSERT_EQ(Headings().Count(), 2);
    EXPECT_EQ(Headings().GetAt(0)->anchorStem.str(), "intro");
    EXPECT_EQ(Headings().GetAt(1)->anchorStem.str(), "intro_1");
    EXPECT_EQ(Headings().GetAt(1)->duplicates, 1);
    EXPECT_EQ(Anchor(Headings().GetAt(0)), "toc_intro_1");
    EXPECT_EQ(Anchor(Headings().GetAt(1)), "toc_intro_1_2");

    // A long title is shortened to 17 characters and "...".
    AddHeading(111, "A rather long heading title", "long", 1, 4);
    AddHeading(111, "A rather long heading title", "long", 1, 9);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "WARNING: 1 duplicate heading(s) \"A rather long hea...\" found at 1/4 and 1/9");
}

TEST_F(HeadingFixture, SameHeadingAtSamePositionIsAddedOnce) {
    AddHeading(111, "Summary", "summary", 0, 12);
    AddHeading(111, "Summary", "summary", 0, 12);
    EXPECT_EQ(Headings().Count(), 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(HeadingFixture, NearMatchIsPreferredToFarOne) {
    AddHeading(111, "Results", "r", 0, 3);  // 7 lines from line 10: far
    AddHeading(111, "Results", "r", 0, 16);  // 6 lines from line 10: near
    int count = 0;
    EXPECT_EQ(FindIndex("Results", 0, 10, &count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(FindIndex("results", 0, 2, &count), 0);
    // Both far: the last far match.
    EXPECT_EQ(FindIndex("Results", 0, 40), 1);
    // Another unit, or no position at all: every match is near.
    EXPECT_EQ(FindIndex("Results", 1, 40), 0);
    EXPECT_EQ(FindIndex("Results", -1, -1), 0);
    EXPECT_EQ(FindIndex("Conclusions", 0, 10, &count), -1);
    EXPECT_EQ(count, 0);
}

TEST_F(HeadingFixture, FarMatchIsTakenWhenNothingIsNear) {
    AddHeading(111, "Method", "m", 0, 3);
    AddHeading(111, "Other", "o", 0, 10);
    EXPECT_EQ(FindIndex("Method", 0, 10), 0);
}

TEST_F(HeadingFixture, FindFallsBackToTheTitle) {
    TextString none;
    Headings().Add(&set, 102, TextString("2.1 Network Setup"), TextString("2.1 Network Setup"),
                   TextString("netsetup"), SourcePosition(0, 5), none, none, none);
    int index = -2, count = -2;
    // The text is not known; the title names the anchor stem.
    EXPECT_NE(Headings().Find(&set, TextString("Nothing like it"), TextString("NetSetup"), SourcePosition(0, 5),
                              &index, &count),
              nullptr);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(count, 1);
}

TEST_F(HeadingFixture, EntryFields) {
    context.documentState.outputFiles.Add("chapter1");
    context.documentState.inputName.Assign("report");
    TextString none;
    Headings().Add(&set, 102, TextString("  2.1   <b>Network</b>\tSetup "), TextString(" 2.1  Network Setup "),
                   TextString(" net  setup "), SourcePosition(0, 7), TextString("a"), TextString("b"),
                   TextString("c"));
    const HeadingListEntry* entry = Headings().GetAt(0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->lineType, 102);
    EXPECT_EQ(entry->text.str(), "2.1 <b>Network</b> Setup");
    EXPECT_EQ(entry->title.str(), "2.1 Network Setup");
    EXPECT_EQ(entry->titleWithoutNumber.str(), "Network Setup");
    EXPECT_EQ(entry->anchorStem.str(), "net setup");
    EXPECT_EQ(entry->normalisedText.str(), "2.1 bnetwork/b setup");
    EXPECT_EQ(entry->normalisedPlainText.str(), "2.1 network setup");
    EXPECT_EQ(entry->normalisedTitleWithoutNumber.str(), "network setup");
    EXPECT_EQ(entry->number.str(), "2.1");
    EXPECT_EQ(entry->secondNumber.str(), "Network");
    EXPECT_EQ(entry->fileName.str(), "chapter1");
    EXPECT_EQ(entry->unitName.str(), "report");
    EXPECT_EQ(entry->extra3.str(), "c");
    EXPECT_EQ(entry->mark, 0);
    EXPECT_EQ(entry->id, 1);

    // Only numbered headings lose their first word.
    Headings().Add(&set, 111, TextString("2.2 Other"), TextString("2.2 Other"), TextString("o"),
                   SourcePosition(0, 30), none, none, none);
    EXPECT_EQ(Headings().GetAt(1)->titleWithoutNumber.str(), "2.2 Other");
    EXPECT_EQ(Headings().GetAt(1)->id, 2);

    // The markup-free text finds the heading.
    EXPECT_EQ(FindIndex("2.1 Network Setup", 0, 7), 0);
}

TEST_F(HeadingFixture, SpecialRuleSetsPrefixTheStemWithTheFileName) {
    context.documentState.outputFiles.Add("part2");
    set.ruleSetCode = 1;
    AddHeading(111, "Scope", "scope", 0, 1);
    EXPECT_EQ(Headings().GetAt(0)->anchorStem.str(), "part2_scope");
    EXPECT_EQ(Anchor(Headings().GetAt(0)), "toc_part2_scope_1");
}

TEST(HeadingList, NormaliseText) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Results (Draft)", "results draft"},
        {"results draft", "results draft"},
        {"The *Big* `Deal`", "the big deal"},
        {"Fish &amp; Chips", "fish chips"},
        {"O'Brien's  \"Notes\"", "obriens notes"},
        {"\x93Quoted\x94 [1]", "quoted 1"},
        {"Caf&eacute;&nbsp;au&nbsp;lait", "caf\xe9 au lait"},
        {"  spaced \t out  ", "spaced out"},
        {"snake_case_name", "snakecasename"},
        {"", ""},
    };
    for (const Case& c : cases) {
        TextString out("junk");
        HeadingList::NormaliseText(nullptr, TextString(c.in), out);
        EXPECT_EQ(out.str(), c.out) << c.in;
    }
}

TEST(HeadingList, ContentsTypeToHeadingType) {
    const int cases[][2] = {{151, 101}, {153, 103}, {156, 106}, {150, 150}, {157, 157}, {101, 101}, {0, 0}};
    for (const auto& c : cases) EXPECT_EQ(HeadingList::ContentsTypeToHeadingType(c[0]), c[1]) << c[0];
}

TEST(HeadingList, MatchLevelsAndKeyKinds) {
    HeadingList list;
    TextString none;
    list.Add(nullptr, 102, TextString("2.1 Network Setup"), TextString("2.1 Network Setup"), TextString("netsetup"),
             SourcePosition(0, 5), none, none, none);
    const HeadingListEntry* entry = list.GetAt(0);
    ASSERT_NE(entry, nullptr);
    struct Case {
        const char* key;
        int level, kind;
        bool expected;
    };
    const Case cases[] = {
        {"2.1 Network Setup", 0, 0, true},
        {"network setup", 0, 0, false},
        {"network setup", 0, 1, false},
        {"network setup", 0, 2, true},
        {"NetSetup", 0, 0, false},
        {"NetSetup", 0, 1, true},
        {"2.1networksetup", 0, 0, false},
        {"2.1networksetup", 1, 0, true},
        {"2.1 network", 1, 0, false},
        {"network", 1, 0, false},
        {"network", 2, 0, true},
        {"2.1 network setup guide", 2, 0, false},
        {"2.1 network setup guide", 3, 0, true},
        {"Setup of the Network", 3, 0, false},
        {"Setup of the Network", 4, 0, true},
        {"Network printers", 4, 0, false},
        {"", 4, 2, false},
        // Small words alone are no overlap.
        {"the and of", 4, 0, false},
    };
    for (const Case& c : cases) {
        TextString key(c.key), normalised;
        HeadingList::NormaliseText(nullptr, key, normalised);
        EXPECT_EQ(entry->Matches(c.level, c.kind, key, normalised), c.expected)
            << c.key << " level " << c.level << " kind " << c.kind;
    }
}

TEST(HeadingList, WordOverlapNeedsMostWords) {
    HeadingList list;
    TextString none;
    list.Add(nullptr, 111, TextString("Installing the client software on a server"),
             TextString("Installing the client software on a server"), TextString("s"), SourcePosition(0, 1), none,
             none, none);
    const HeadingListEntry* entry = list.GetAt(0);
    auto overlap = [&](const char* key) {
        TextString raw(key), normalised;
        HeadingList::NormaliseText(nullptr, raw, normalised);
        return entry->Matches(4, 0, raw, normalised);
    };
    // Five title words found, two key words left.
    EXPECT_TRUE(overlap("server: client software installing on a new box"));
    // Every key word is a title word.
    EXPECT_TRUE(overlap("Client server"));
    // Three key words left over.
    EXPECT_FALSE(overlap("client software installing on a new blue box"));
    EXPECT_FALSE(overlap("nothing in common"));
}

TEST(HeadingList, FindByPosition) {
    HeadingList list;
    TextString none;
    const SourcePosition positions[] = {{0, 5}, {0, 10}, {1, 2}, {0, 20}};
    for (const SourcePosition& p : positions)
        list.Add(nullptr, 111, TextString("H"), TextString("H"), TextString("h"), p, none, none, none);
    struct Case {
        int unit, line, index;
    };
    const Case cases[] = {{0, 12, 1}, {0, 10, 1}, {0, 4, -1}, {0, 25, 3}, {1, 100, 2}, {1, 1, -1}, {2, 5, -1}};
    for (const Case& c : cases) {
        int index = -2;
        HeadingListEntry* entry = list.FindByPosition(SourcePosition(c.unit, c.line), &index);
        EXPECT_EQ(index, c.index) << c.unit << "/" << c.line;
        EXPECT_EQ(entry, list.GetAt(c.index));
    }
}

TEST(HeadingList, FindMatchesRange) {
    HeadingList list;
    TextString none;
    for (int line : {1, 30, 60})
        list.Add(nullptr, 111, TextString("Same"), TextString("Same"), TextString("s"), SourcePosition(0, line),
                 none, none, none);
    int nearIndex = 0, farIndex = 0, count = 0;
    list.FindMatches(nullptr, 0, 0, TextString("same"), SourcePosition(0, 31), 1, 5, &nearIndex, &farIndex, &count);
    EXPECT_EQ(nearIndex, 1);
    EXPECT_EQ(farIndex, 2);
    EXPECT_EQ(count, 2);
    // A range whose end lies before its start is one entry long.
    list.FindMatches(nullptr, 0, 0, TextString("same"), SourcePosition(0, 31), 2, 1, &nearIndex, &farIndex, &count);
    EXPECT_EQ(nearIndex, -1);
    EXPECT_EQ(farIndex, 2);
    EXPECT_EQ(count, 1);
    HeadingList empty;
    empty.FindMatches(nullptr, 0, 0, TextString("same"), SourcePosition(), 0, -1, &nearIndex, &farIndex, &count);
    EXPECT_EQ(nearIndex, -1);
    EXPECT_EQ(farIndex, -1);
    EXPECT_EQ(count, 0);
}

TEST(PageMarkerList, Lookups) {
    PageMarkerList list;
    list.AddMarker("Page", "Cover", "p1", 1, 1, SourcePosition(0, 1));
    list.AddMarker("Page", "Intro", "p1", 2, 2, SourcePosition(0, 10));
    list.AddMarker("Figure", "Chart", "p2", 7, 1, SourcePosition(0, 20));
    list.AddMarker("Page", "Appendix", "p2", 3, 1, SourcePosition(1, 5));

    // FindAt: the last marker at or before the position, if name and number agree.
    EXPECT_EQ(list.FindAt(nullptr, "page", 2, SourcePosition(0, 15)), list.GetAt(1));
    EXPECT_EQ(list.FindAt(nullptr, "Page", 1, SourcePosition(0, 15)), nullptr);
    EXPECT_EQ(list.FindAt(nullptr, "Page", 2, SourcePosition(0, 25)), nullptr);
    EXPECT_EQ(list.FindAt(nullptr, "Page", 3, SourcePosition(1, 1)), nullptr);

    // FindOnPage; the list's first entry as the only match.
    EXPECT_EQ(list.FindOnPage(nullptr, "p1", 9, "Cover"), list.GetAt(0));
    EXPECT_EQ(list.FindOnPage(nullptr, "p1", 1, nullptr), list.GetAt(0));
    EXPECT_EQ(list.FindOnPage(nullptr, "p1", 2, ""), list.GetAt(1));
    EXPECT_EQ(list.FindOnPage(nullptr, "p2", 1, nullptr), list.GetAt(3));  // two sub-number matches: the last
    EXPECT_EQ(list.FindOnPage(nullptr, "p2", 1, "Chart"), list.GetAt(2));  // a unique text match wins
    EXPECT_EQ(list.FindOnPage(nullptr, "p1", 9, "cover"), nullptr);  // text case counts
    EXPECT_EQ(list.FindOnPage(nullptr, "p9", 1, "Cover"), nullptr);

    int count = -1;
    EXPECT_EQ(list.FindByText(nullptr, "INTRO", &count), list.GetAt(1));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(list.FindByText(nullptr, "Missing", &count), nullptr);
    EXPECT_EQ(count, 0);

    EXPECT_EQ(list.GetNumberAt("Page", SourcePosition(0, 12)), 2);
    EXPECT_EQ(list.GetNumberAt("page", SourcePosition(1, 1)), 1);  // nothing in force: the first marker's
    EXPECT_EQ(list.GetNumberAt("", SourcePosition(0, 30)), 7);
    EXPECT_EQ(list.GetNumberAt("Table", SourcePosition(0, 30)), -1);
}

TEST(PageMarkerList, ValuesAndNames) {
    Context context(1, 0);
    FC set;
    set.SetContext(&context);
    context.documentState.inputName.Assign("book");
    PageMarkerList list;
    EXPECT_EQ(list.GetValueAt(&set, "Columns", SourcePosition(0, 5)), 1);
    list.AddValue("Columns", 2, SourcePosition(0, 10));
    list.AddValue("Columns", 3, SourcePosition(0, 20));
    list.AddValue("Rows", 9, SourcePosition(0, 1));
    EXPECT_EQ(list.GetValueAt(&set, "columns", SourcePosition(0, 25)), 3);
    EXPECT_EQ(list.GetValueAt(&set, "Columns", SourcePosition(0, 15)), 2);
    EXPECT_EQ(list.GetValueAt(&set, "Width", SourcePosition(0, 15)), 1);

    TextString name;
    list.GetNameAt(&set, SourcePosition(0, 5), name);
    EXPECT_EQ(name.str(), "book");
    list.AddMarker("Front", "", "", 1, 1, SourcePosition(0, 10));
    list.AddMarker("Body", "", "", 2, 1, SourcePosition(0, 30));
    list.GetNameAt(&set, SourcePosition(0, 40), name);
    EXPECT_EQ(name.str(), "Body");
    list.GetNameAt(&set, SourcePosition(0, 5), name);
    EXPECT_EQ(name.str(), "Front");
    list.GetNameAt(&set, SourcePosition(3, 5), name);
    EXPECT_EQ(name.str(), "book");
}
