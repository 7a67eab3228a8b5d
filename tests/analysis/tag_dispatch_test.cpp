#include "analysis/tag_dispatch.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

class TagDispatchTest : public testing::Test {
protected:
    void SetUp() override { set.SetContext(&context); }

    Context context;
    FC set;
};

// What the stand-in executor saw of its last call.
struct SeenCall {
    int calls = 0;
    int mode = -1;
    AnalysedLine* line = nullptr;
    std::string tag, name, arguments;
    OutputDocument* document = nullptr;
    FC* policies = nullptr;
};
SeenCall seen;

// A stand-in for the writers' executors: replaces a "BR" or "SUPER" tag by
// "<x>", leaves every other name to the line.
bool StandInExecutor(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                     const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                     TextString* replacement) {
    seen = {seen.calls + 1, mode, line, tagText.str(), name.str(), arguments.str(), document, policies};
    if (!name.Matches("BR", 0, 0) && !name.Matches("SUPER", 0, 0)) return false;
    if (replace) *replace = 1;
    if (replacement) *replacement = "<x>";
    return true;
}

TEST_F(TagDispatchTest, TagsReachTheInstalledExecutorOnly) {
    FC detached;  // a policy set without a context
    struct Case {
        const char* what;
        FC* policies;
        bool install;
        const char* name;
        int calls;
        bool handled;
        int replace;
        const char* replacement;
    };
    const Case cases[] = {
        {"no policy set", nullptr, true, "BR", 0, false, 0, ""},
        {"no context", &detached, true, "BR", 0, false, 0, ""},
        {"nothing installed", &set, false, "BR", 0, false, 0, ""},
        {"handled", &set, true, "BR", 1, true, 1, "<x>"},
        {"left to the line", &set, true, "Y", 1, false, -1, "junk"},
    };
    for (const Case& c : cases) {
        context.tagExecutor = c.install ? StandInExecutor : nullptr;
        seen = SeenCall();
        AnalysedLine line;
        RecordingDocument document;
        int replace = -1;
        TextString replacement("junk");
        const bool handled = ExecuteInlineTag(3, &line, TextString("[[T a]]"), TextString(c.name), TextString(",a"),
                                              &document, c.policies, &replace, &replacement);
        EXPECT_EQ(handled, c.handled) << c.what;
        EXPECT_EQ(replace, c.replace) << c.what;
        EXPECT_EQ(replacement.str(), c.replacement) << c.what;
        ASSERT_EQ(seen.calls, c.calls) << c.what;
        if (c.calls == 0) continue;
        // Every argument is handed on as given.
        EXPECT_EQ(seen.mode, 3);
        EXPECT_EQ(seen.line, &line);
        EXPECT_EQ(seen.tag, "[[T a]]");
        EXPECT_EQ(seen.name, c.name);
        EXPECT_EQ(seen.arguments, ",a");
        EXPECT_EQ(seen.document, &document);
        EXPECT_EQ(seen.policies, c.policies);
    }
    // The outputs may be left out.
    context.tagExecutor = StandInExecutor;
    EXPECT_TRUE(ExecuteInlineTag(0, nullptr, TextString("[[BR]]"), TextString("BR"), TextString(), nullptr, &set,
                                 nullptr, nullptr));
}

TEST_F(TagDispatchTest, TheLineHandsItsTagsToTheInstalledExecutor) {
    MessageRecorder messages(context);
    TextString text;
    int level = -1;
    AnalysedLine line;
    context.tagExecutor = StandInExecutor;
    seen = SeenCall();
    EXPECT_TRUE(line.ExecuteTag(0, nullptr, TextString("[[BR]]"), set, text, level));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.line, &line);
    // Without an executor the tag is left to the line's own handling and
    // counts as not executed.
    context.tagExecutor = nullptr;
    EXPECT_FALSE(line.ExecuteTag(0, nullptr, TextString("[[BR]]"), set, text, level));
}

TEST_F(TagDispatchTest, HeadingTextTagsTakeTheExecutorsMarkup) {
    struct Case {
        bool install;
        const char* text;
        const char* expected;
    };
    // Without an executor SUPER keeps its tag; other tags become one blank.
    const Case cases[] = {
        {false, "a[[SUPER 2]]b[[FONT 1, Arial]]c", "a[[SUPER 2]]b c"},
        {true, "a[[SUPER 2]]b[[FONT 1, Arial]]c", "a<x>b c"},
    };
    for (const Case& c : cases) {
        context.tagExecutor = c.install ? StandInExecutor : nullptr;
        TextString out;
        ConvertTaggedText(&set, true, TextString(c.text), out);
        EXPECT_EQ(out.str(), c.expected) << c.text;
    }
}

TEST_F(TagDispatchTest, ColoursAreNormalisedAndChecked) {
    MessageRecorder messages(context);
    struct ColourCase {
        const char* tag;
        bool ok;
        const char* colour;
    };
    const ColourCase cases[] = {
        {"[[COLOUR red]]", true, "red"},
        {"[[COLOUR #ff0000]]", true, "Red"},
        {"[[COLOUR Black]]", true, ""},
        {"[[COLOUR rgb, 1, 0, 0]]", true, "Red"},
        {"[[COLOUR rgb, 0, 128, 255]]", true, "#0080FF"},
        {"[[COLOUR chartreuse]]", true, "chartreuse"},
        {"[[COLOUR \"red\"\" x\"]]", false, ""},
        {"[[COLOUR]]", false, ""},
    };
    for (const ColourCase& c : cases) {
        TextString name, arguments, error, colour("junk");
        int level = -1;
        RecogniseTag(set, TextString(c.tag), name, arguments, error, level);
        EXPECT_EQ(GetTagColour(&set, nullptr, name, arguments, colour), c.ok) << c.tag;
        EXPECT_EQ(colour.str(), c.colour) << c.tag;
    }
    EXPECT_EQ(messages.Count("WARNING: \"chartreuse\" is not a standard HTML colour"), 1);

    set.ruleSetCode = 2;
    TextString name, arguments, error, colour;
    int level = -1;
    RecogniseTag(set, TextString("[[COLOR #FFFFFF]]"), name, arguments, error, level);
    EXPECT_FALSE(GetTagColour(&set, nullptr, name, arguments, colour));
    EXPECT_EQ(messages.Count("TAG ERROR: \"white\" text not allowed against white background"), 1);
}

}  // namespace
