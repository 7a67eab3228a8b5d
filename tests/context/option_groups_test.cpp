#include "context/option_groups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "output/output_document.h"
#include "policies/fc.h"

namespace {

std::vector<std::string>* gOptionMessages = nullptr;
void CollectOptionMessage(const char* text) {
    if (gOptionMessages) gOptionMessages->push_back(text);
}

// A context with a policy set attached and its shown messages captured.
class OptionsFixture : public testing::Test {
protected:
    OptionsFixture() {
        set.SetContext(&context);
        gOptionMessages = &messages;
        context.sink.SetMessageCallback(CollectOptionMessage);
    }
    ~OptionsFixture() override { gOptionMessages = nullptr; }

    Context context;
    FC set;
    std::vector<std::string> messages;
};

// An output document that writes nothing, so that blocks can be opened.
class NullDocument : public OutputDocument {
public:
    int WriteLine(FC*, OutputDocument*, TextString*, int) override { return 1; }
    int WriteText(FC*, OutputDocument*, const char*) override { return 1; }
    int FlushBuffer(FC*, OutputDocument*, int) override { return 1; }
};

FontSpec MakeFont(const char* face, int bold, int italic) {
    FontSpec font;
    font.SetFaceName(face);
    font.SetBold(bold);
    font.SetItalic(italic);
    return font;
}

std::vector<int> Permissions(const Tracker& tracker) {
    return std::vector<int>(tracker.permissions.begin(), tracker.permissions.begin() + 7);
}

int NumberOf(const PolicyGroup& group, int id) { return static_cast<NumberPolicyValue*>(group.Find(id))->iValue; }

}  // namespace

TEST(TagRemovalOptionList, GroupsKeepTheirKeysVerbatimSortedById) {
    TagRemovalOptionList list;
    EXPECT_EQ(NumberOf(list.skiv, kOptRemoveAllTags), 1);
    EXPECT_EQ(list.formatting.GetInt(kOptTargetPageWidth), 72);
    EXPECT_EQ(static_cast<TextPolicyValue*>(list.formatting.Find(106))->tValue.str(), "[removed link]");

    const struct {
        const PolicyGroup* group;
        const char* name;
        int code, count, valueCode;
    } groups[] = {{&list.skiv, "[Skiv]", 1, 24, 1},
                  {&list.mailTidy, "[Mail Tidy]", 2, 6, 4},
                  {&list.formatting, "[Text formatting]", 4, 22, 4},
                  {&list.headers, "[Text headers/footers]", 4, 1, 4}};
    for (const auto& g : groups) {
        EXPECT_EQ(g.group->sectionName.str(), g.name);
        EXPECT_EQ(g.group->sectionCode, g.code);
        ASSERT_EQ(g.group->count, g.count) << g.name;
        for (int i = 0; i < g.count; ++i) {
            EXPECT_EQ(g.group->ValueAt(i)->sectionCode, g.valueCode) << g.group->ValueAt(i)->key;
            EXPECT_EQ(g.group->ValueAt(i)->category, 4);
            if (i > 0) {
                EXPECT_LT(g.group->ValueAt(i - 1)->id, g.group->ValueAt(i)->id);
            }
        }
    }
    const struct {
        const PolicyGroup* group;
        int id;
        const char* key;
    } keys[] = {{&list.skiv, 21, "Remove empahsis tags"},
                {&list.skiv, 26, "Allow ANSI alternatives (e.g. space for &nbsp;)"},
                {&list.mailTidy, 200, "Insert separator betweeen email messages"},
                {&list.mailTidy, 203, "Simnpliy the mail headers"},
                {&list.headers, 150, "Allow by-line to be used for Author field"}};
    for (const auto& k : keys) EXPECT_EQ(k.group->Find(k.id)->key.str(), k.key);
    EXPECT_EQ(list.skiv.ValueAt(17)->key.str(), "Convert tags to upper case");  // id 27 before 28

    PolicyLine line;
    line.Prepare("Remove empahsis tags: Yes");
    list.skiv.ParseLine(line);
    EXPECT_EQ(NumberOf(list.skiv, kOptRemoveEmphasisTags), 1);
    list.ResetAll();
    EXPECT_EQ(NumberOf(list.skiv, kOptRemoveEmphasisTags), 0);
}

TEST(TagRemovalOptions, ResetRestoresTheFreshRecord) {
    TagRemovalOptions options;
    options.removeAllTags = 0;
    options.multiByteSeen = 1;
    options.linkReplacement.Assign("x");
    options.Reset();
    EXPECT_EQ(options.removeAllTags + options.keepDeprecatedAttributes + options.utf8Output, 3);
    EXPECT_EQ(options.replaceEntitiesByText + options.tagsToLowerCase + options.multiByteSeen, 0);
    EXPECT_EQ(options.linkReplacement.str(), "[link removed]");
}

TEST_F(OptionsFixture, DeferredChangeReportsOnceAndAppliesTheLastFont) {
    context.ChangeFont(&set, MakeFont("Arial", 0, 0), 1);
    context.ChangeFont(&set, MakeFont("Verdana", 1, 0), 1);
    EXPECT_EQ(messages, std::vector<std::string>{"INFO: Unimplemented font change being discarded"});
    EXPECT_EQ(context.documentState.pendingFont.faceName.str(), "Verdana");
    EXPECT_FALSE(context.documentState.currentFont.set);

    context.ApplyPendingFontChange(&set);
    EXPECT_EQ(context.documentState.pendingFontFlag, 0);
    EXPECT_EQ(context.documentState.currentFont.faceName.str(), "Verdana");
    EXPECT_EQ(context.documentState.currentBold, 1);
    context.ApplyPendingFontChange(&set);  // nothing pending: nothing reported
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(OptionsFixture, ImmediateChangeReachesOpenAndSavedBlocks) {
    NullDocument document;
    context.trackers.codeLocation = 3;
    TextString body("<BODY>"), para("<P>"), table("<TABLE>");
    context.documentState.blocks.Add(&set, &document, body);
    context.documentState.blocks.Add(&set, &document, para);
    context.documentState.savedBlocks.Add(&set, &document, table);

    context.ChangeFont(&set, MakeFont("Arial", 0, 1), 1);
    context.ChangeFont(&set, MakeFont("Tahoma", 1, 1), 0);
    EXPECT_EQ(context.documentState.pendingFontFlag, 0);
    EXPECT_TRUE(context.documentState.pendingFont.faceName.IsEmpty());
    for (BlockList* list : {&context.documentState.blocks, &context.documentState.savedBlocks}) {
        ASSERT_GT(list->Count(), 0);
        for (int i = 0; i < list->Count(); ++i) {
            EXPECT_EQ(list->GetAt(i)->fontChanged, 1);
            EXPECT_EQ(list->GetAt(i)->blockFont.faceName.str(), "Tahoma");
        }
    }
    EXPECT_EQ(context.documentState.currentItalic, 1);
    EXPECT_EQ(context.GetCurrentFont()->faceName.str(), "Tahoma");

    // Passing the pending font itself still applies it.
    context.ChangeFont(&set, MakeFont("Garamond", 0, 0), 1);
    context.ChangeFont(&set, context.documentState.pendingFont, 0);
    EXPECT_EQ(context.documentState.currentFont.faceName.str(), "Garamond");
}

TEST_F(OptionsFixture, OutputIgnoresFontChangesUnlessTheDocumentUsesFontTags) {
    context.documentState.htmlOutput = 1;
    context.ChangeFont(&set, MakeFont("Arial", 1, 0), 0);
    context.ChangeFont(&set, MakeFont("Arial", 1, 0), 1);
    EXPECT_TRUE(context.documentState.currentFont.faceName.IsEmpty());
    EXPECT_EQ(context.documentState.pendingFontFlag, 0);

    context.documentState.headingSwitches[DocumentState::kFontTagsUsed] = 1;
    context.ChangeFont(&set, MakeFont("Arial", 1, 0), 0);
    EXPECT_EQ(context.documentState.currentFont.faceName.str(), "Arial");
}

TEST_F(OptionsFixture, AllowAndDisallowSwitchTheSevenPermissions) {
    const std::vector<int> all(7, 1), none(7, 0), headings{1, 1, 1, 0, 0, 0, 0}, lists{0, 0, 0, 1, 1, 1, 1};
    const struct {
        const char* line;
        int allow;
        std::vector<int> expected;
    } steps[] = {
        {"$_$_DISALLOW Headings, Lists", 0, none}, {"$_$_ALLOW All", 1, all},    {"$_$_DISALLOW Lists", 0, headings},
        {"$_$_allow lists ,HEADINGS", 1, all},     {"$_$_ALLOW Reset", 1, none}, {"$_$_DISALLOW reset", 0, all},
        {"  $_$_DISALLOW   Headings  ", 0, lists}, {"$_$_ALLOW", 1, lists},      {"$_$_ALLOW , ,", 1, lists},
        {"$_$_DISALLOW Lists,,Headings", 0, none},
    };
    Tracker tracker;
    tracker.permissions[8] = 7;
    for (const auto& step : steps) {
        ApplyAllowDirective(&set, &tracker, step.line, step.allow);
        EXPECT_EQ(Permissions(tracker), step.expected) << step.line;
    }
    EXPECT_EQ(tracker.permissions[8], 7);
    EXPECT_TRUE(messages.empty());

    // The keyword comes from the context's keyword table.
    set.SetText(Pol::DirectiveDelimiter, "##");
    context.RegisterDirectiveKeywords(&set);
    ApplyAllowDirective(&set, &tracker, "##allow Headings", 1);
    EXPECT_EQ(Permissions(tracker), headings);
    ApplyAllowDirective(nullptr, &tracker, "$_$_ALLOW Lists, Nonsense", 1);
    EXPECT_EQ(Permissions(tracker), all);
}

TEST_F(OptionsFixture, UnknownWordIsReportedOnlyByLineAnalysisWhileWriting) {
    const struct {
        int location, html, rtf;
        bool reported;
    } cases[] = {{2, 1, 0, true}, {2, 0, 1, true}, {2, 0, 0, false}, {1, 1, 0, false}, {3, 1, 1, false}};
    for (const auto& c : cases) {
        messages.clear();
        context.trackers.codeLocation = c.location;
        context.documentState.htmlOutput = c.html;
        context.documentState.rtfOutput = c.rtf;
        Tracker tracker;
        ApplyAllowDirective(&set, &tracker, "$_$_ALLOW Tables, Lists", 1);
        ApplyAllowDirective(&set, &tracker, "$_$_DISALLOW Headings, Bogus", 0);
        EXPECT_EQ(Permissions(tracker), (std::vector<int>{0, 0, 0, 1, 1, 1, 1}));
        std::vector<std::string> expected;
        if (c.reported)
            expected = {"TAG ERROR: Unknown ALLOW command : \"Tables\"",
                        "TAG ERROR: Unknown DISALLOW command : \"Bogus\""};
        EXPECT_EQ(messages, expected) << "code location " << c.location;
    }
}
