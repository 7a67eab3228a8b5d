#include "policies/link_dictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/string_list.h"
#include "foundation/text_file.h"
#include "output/markup/escaping.h"
#include "output/markup/rtf_links.h"
#include "policies/fc.h"

namespace {

std::vector<std::string> gMessages;
void CaptureMessage(const char* text) { gMessages.emplace_back(text); }

const SourcePosition kNoPosition;

// The three quoted texts of a "Link definition" line, as the policy reader
// takes them.
std::vector<std::string> QuotedTexts(const std::string& line) {
    std::vector<std::string> texts;
    size_t open = line.find('"');
    while (open != std::string::npos) {
        size_t close = line.find('"', open + 1);
        if (close == std::string::npos) break;
        texts.push_back(line.substr(open + 1, close - open - 1));
        open = line.find('"', close + 1);
    }
    return texts;
}

class LinkDictionaryTest : public testing::Test {
protected:
    void SetUp() override {
        gMessages.clear();
        context.sink.SetMessageCallback(CaptureMessage);
        set.SetInt(Pol::DisplayMessages, 0);  // a detached set would print to the error stream
    }

    // Attaches the set to the context with the given output format.
    void Attach(int format) {
        context.outputFormat = format;
        set.SetContext(&context);
        set.SetInt(Pol::ErrorReportingLevel, 10);
        set.SetInt(Pol::DisplayMessages, 1);
    }

    std::string Match(LinkDictionary& dictionary, const char* word, int* result = nullptr) {
        TextString out("junk");
        int matched = dictionary.MatchLinkWord(&set, TextString(word), &out);
        if (result) *result = matched;
        return out.str();
    }

    std::string Apply(LinkDictionary& dictionary, const SourcePosition& position, const char* sourceLine,
                      int occurrence, int firstColumn, int lastColumn, const char* text) {
        TextString source(sourceLine ? sourceLine : "");
        TextString in(text);
        TextString out;
        EXPECT_EQ(dictionary.ApplyToLine(&set, &position, sourceLine ? &source : nullptr, occurrence, firstColumn,
                                         lastColumn, &in, &out),
                  1);
        return out.str();
    }

    Context context;
    FC set;
};

TEST_F(LinkDictionaryTest, SecondDefinitionOfAPhraseUpdatesTheFirst) {
    Attach(0);
    EXPECT_EQ(set.AddLinkDefinition("Widget", "the widget", "widget.htm"), 1);
    EXPECT_TRUE(gMessages.empty());
    EXPECT_EQ(set.AddLinkDefinition("  widget ", "a widget", "gadget.htm"), 1);

    EXPECT_EQ(set.GetLinkDefinitionCount(), 1);
    const std::vector<std::string> expected = {"INFO: Link definition being updated for \"a widget\""};
    EXPECT_EQ(gMessages, expected);
    const LinkDefinition* entry = set.GetLinkDictionary()->GetAt(0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->phrase, "Widget");
    EXPECT_EQ(entry->linkText, "a widget");
    EXPECT_EQ(entry->url, "gadget.htm");
}

TEST_F(LinkDictionaryTest, WriteGivesBackTheDefinitionLine) {
    const std::string line = "Link definition: \"Widget\" = \"the widget\" + \"widget.htm\"";
    std::vector<std::string> texts = QuotedTexts(line);
    ASSERT_EQ(texts.size(), 3u);
    set.AddLinkDefinition(texts[0].c_str(), texts[1].c_str(), texts[2].c_str());
    // Positional anchors belong to one source line and are not written.
    set.AddLinkDefinition("cat", "cat", "c.htm", "<a href=\"c.htm\">", 1, 0);

    StringList written;
    TextFile sink;
    sink.outputList = &written;
    set.WriteLinkDictionary(sink);
    ASSERT_EQ(written.count, 1);
    EXPECT_STREQ(written.TextAt(0), line.c_str());
}

TEST_F(LinkDictionaryTest, MatchLinkWordInHTML) {
    Attach(0);
    set.SetInt(Pol::OpenLinksInNewWindow, 1);
    LinkDictionary dictionary;
    int result = -1;
    EXPECT_EQ(Match(dictionary, "Widget", &result), "Widget");  // no definitions at all
    EXPECT_EQ(result, 0);

    dictionary.Add(&set, "Widget", "the widget", "widget.htm", nullptr, -1, -1);
    dictionary.Add(&set, "Home", "home page", "http://example.com/", nullptr, -1, -1);
    dictionary.Add(&set, "100%", "all", "all.htm", nullptr, -1, -1);  // refused as a pattern
    const struct {
        const char* word;
        const char* expected;
        int result;
    } cases[] = {
        {"gizmo", "gizmo", 0},
        {"", "", 0},
        {"100%", "100%", 0},
        {"WIDGET", "<A HREF=\"widget.htm\">the widget</A>", 1},
        // Only addresses of other sites open in the new window.
        {"home", "<A HREF=\"http://example.com/\" TARGET=\"other\">home page</A>", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Match(dictionary, c.word, &result), c.expected) << c.word;
        EXPECT_EQ(result, c.result) << c.word;
    }
}

TEST_F(LinkDictionaryTest, RTFLinksPointAtTheURL) {
    Attach(1);
    const TextString url("http://example.com/w");
    TextString shown("the {widget}");
    RTF_EscapeText(&set, shown);

    for (int help = 0; help <= 1; ++help) {
        set.SetInt(Pol::MakeWindowsHelpSource, help);
        LinkDictionary dictionary;
        dictionary.Add(&set, "Widget", "the {widget}", url.buffer, nullptr, -1, -1);
        EXPECT_EQ(dictionary.GetAt(0)->linkText, shown);
        TextString expected;
        if (help)
            RTF_FormatLink(&set, 2, 0, url, shown, expected);
        else
            RTF_FormatHyperlinkField(&set, 2, url, shown, expected);
        ASSERT_NE(expected.FindNoCase("example.com/w"), nullptr);
        int result = 0;
        EXPECT_EQ(Match(dictionary, "widget", &result), expected.str()) << help;
        EXPECT_EQ(result, 1);
    }
}

TEST_F(LinkDictionaryTest, CountsFollowAnUpdate) {
    LinkDictionary dictionary;
    dictionary.Add(&set, "cat", "cat", "c.htm", "<a href=\"c.htm\">", 1, 5);
    EXPECT_EQ(dictionary.positionalCount, 1);
    EXPECT_EQ(dictionary.globalCount, 0);

    dictionary.Add(&set, "Cat", "feline", "f.htm", nullptr, -1, -1);
    EXPECT_EQ(dictionary.count, 1);
    EXPECT_EQ(dictionary.globalCount, 1);
    EXPECT_EQ(dictionary.positionalCount, 0);
    const LinkDefinition* entry = dictionary.GetAt(0);
    EXPECT_EQ(entry->global, 1);
    EXPECT_TRUE(entry->anchorMarkup.IsEmpty());
    EXPECT_EQ(entry->url, "f.htm");

    dictionary.Add(&set, "CAT", "kitty", "k.htm", nullptr, -1, -1);
    EXPECT_EQ(dictionary.count, 1);
    EXPECT_EQ(dictionary.globalCount, 1);
    EXPECT_EQ(dictionary.positionalCount, 0);
    // No positional entry is left, so lines pass unchanged.
    EXPECT_EQ(Apply(dictionary, kNoPosition, nullptr, -1, -1, -1, "a cat"), "a cat");
    EXPECT_EQ(Match(dictionary, "cat"), "<A HREF=\"k.htm\">kitty</A>");
}

TEST_F(LinkDictionaryTest, UpdateEscapesTheLinkTextAsANewEntry) {
    const struct {
        int format;
        const char* linkText;
        const char* escaped;
    } cases[] = {
        {0, "A & B <c>", "A &amp; B &lt;c&gt;"},
        {1, "a{b}\\", "a\\'7bb\\'7d\\\\"},
    };
    for (const auto& c : cases) {
        Attach(c.format);
        LinkDictionary fresh;
        fresh.Add(&set, "Q", c.linkText, "q.htm", nullptr, -1, -1);
        LinkDictionary updated;
        updated.Add(&set, "Q", "first", "q.htm", nullptr, -1, -1);
        updated.Add(&set, "q", c.linkText, "q.htm", nullptr, -1, -1);
        EXPECT_EQ(fresh.GetAt(0)->linkText, c.escaped) << c.format;
        EXPECT_EQ(updated.GetAt(0)->linkText, c.escaped) << c.format;
    }
}

TEST_F(LinkDictionaryTest, ApplyToLineWithoutPositionalEntriesCopies) {
    LinkDictionary dictionary;
    EXPECT_EQ(Apply(dictionary, kNoPosition, "cat", -1, -1, -1, "a cat sat"), "a cat sat");
    dictionary.Add(&set, "cat", "cat", "c.htm", nullptr, -1, -1);
    EXPECT_EQ(Apply(dictionary, kNoPosition, "cat", -1, -1, -1, "a cat sat"), "a cat sat");
}

TEST_F(LinkDictionaryTest, ApplyToLinePutsAnchorsBack) {
    // Without a context the entries carry no position, so they belong to
    // the unset position.
    LinkDictionary dictionary;
    dictionary.Add(&set, "cat", "cat", "c.htm", "<a href=\"c.htm\">", 2, 10);
    dictionary.Add(&set, "dog", "Dog", "d.htm", "<a href=\"d.htm\">", 1, 6);
    EXPECT_EQ(dictionary.positionalCount, 2);

    const struct {
        SourcePosition position;
        const char* sourceLine;
        int occurrence, firstColumn, lastColumn;
        const char* text;
        const char* expected;
    } cases[] = {
        {kNoPosition, nullptr, -1, -1, -1, "cat | dog cat",
         "cat | <a href=\"d.htm\">Dog</a> <a href=\"c.htm\">cat</a>"},
        {kNoPosition, nullptr, 1, -1, -1, "cat | dog cat",
         "<a href=\"c.htm\">cat</a> | <a href=\"d.htm\">Dog</a> cat"},
        {SourcePosition(0, 3), nullptr, -1, -1, -1, "cat | dog cat", "cat | dog cat"},
        // A cell of the line: the anchor stands on the first "cat" inside
        // columns 6 to 12 of the source line.
        {kNoPosition, "cat | dog cat", -1, 6, 12, "dog cat", "<a href=\"d.htm\">Dog</a> <a href=\"c.htm\">cat</a>"},
        {kNoPosition, "cat | dog cat", -1, 0, 4, "cat", "cat"},
        // The phrase is not in the text.
        {kNoPosition, nullptr, -1, -1, -1, "bird", "bird"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Apply(dictionary, c.position, c.sourceLine, c.occurrence, c.firstColumn, c.lastColumn, c.text),
                  c.expected)
            << c.text << " " << c.firstColumn;
}

TEST_F(LinkDictionaryTest, AnchorsOnTheSameWordDoNotNest) {
    LinkDictionary dictionary;
    dictionary.Add(&set, "cat", "cat", "1.htm", "<a href=\"1.htm\">", 1, 0);
    dictionary.Add(&set, "cat", "cat", "2.htm", "<a href=\"2.htm\">", 1, 0);
    EXPECT_EQ(Apply(dictionary, kNoPosition, nullptr, 1, -1, -1, "cat x"), "<a href=\"1.htm\">cat</a> x");
}

TEST_F(LinkDictionaryTest, AddAllCopiesAndClearEmpties) {
    LinkDictionary other;
    other.Add(&set, "Widget", "the widget", "widget.htm", nullptr, -1, -1);
    other.Add(&set, "cat", "cat", "c.htm", "<a href=\"c.htm\">", 2, 4);
    LinkDictionary dictionary;
    EXPECT_EQ(dictionary.AddAll(&set, other), 2);
    EXPECT_EQ(dictionary.GetAt(1)->occurrence, -1);
    // Adding a dictionary to itself updates its global entries in place.
    EXPECT_EQ(dictionary.AddAll(&set, dictionary), 2);
    EXPECT_EQ(dictionary.count, 3);
    EXPECT_EQ(dictionary.globalCount, 1);
    EXPECT_EQ(dictionary.positionalCount, 2);

    EXPECT_EQ(Match(dictionary, "Widget"), "<A HREF=\"widget.htm\">the widget</A>");
    dictionary.Clear();
    EXPECT_EQ(dictionary.count + dictionary.globalCount + dictionary.positionalCount + dictionary.rulesBuilt, 0);
    EXPECT_EQ(Match(dictionary, "Widget"), "Widget");
}

}  // namespace
