#include "policies/text_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/string_list.h"
#include "foundation/text_file.h"
#include "foundation/text_line.h"
#include "policies/fc.h"

namespace {

std::vector<std::string> gMessages;
void CaptureMessage(const char* text) { gMessages.emplace_back(text); }

class TextCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        gMessages.clear();
        context.sink.SetMessageCallback(CaptureMessage);
        set.SetContext(&context);
    }

    // Adds one command line to a fresh list and applies the list to `text`;
    // the line record keeps the type the commands gave it.
    std::string Run(const std::string& command, const std::string& text) {
        list.Clear();
        EXPECT_EQ(list.Add(&set, command.c_str()), 1) << command;
        line.Reset(0);
        line.Assign(text.c_str());
        list.Apply(&set, &line, &line, &line);
        return line.str();
    }

    Context context;
    FC set;
    TextCommandList list;
    TextLine line;
};

TEST_F(TextCommandsTest, IgnoreLineContainingStringIgnoresCase) {
    const std::string command = "Text command: ignore_line containing string \"CONFIDENTIAL\"";
    const struct {
        const char* text;
        int type;
    } cases[] = {
        {"This is CONFIDENTIAL", -4},
        {"confidential: do not copy", -4},
        {"  a ConFidential note  ", -4},
        {"Public notice", 0},
        {"CONFIDENTIA L", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(command, c.text), c.text) << c.text;
        EXPECT_EQ(line.lineType, c.type) << c.text;
    }
    EXPECT_TRUE(gMessages.empty());
}

TEST_F(TextCommandsTest, TreatLineStartingWithExactString) {
    const std::string command = "Text command: treat_line starting_with exact_string \"Chapter\" as_Heading_1";
    const struct {
        const char* text;
        int type;
    } cases[] = {
        {"   Chapter 3", 111},
        {"Chapter 3", 111},
        {"See Chapter 3", 0},
        {"chapter 3", 0},  // exact_string compares case-sensitively
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(command, c.text), c.text) << c.text;
        EXPECT_EQ(line.lineType, c.type) << c.text;
        EXPECT_EQ(line.counter, c.type) << c.text;
    }
}

TEST_F(TextCommandsTest, ReplaceAndRemoveText) {
    const struct {
        const char* command;
        const char* text;
        const char* expected;
    } cases[] = {
        {"Text command: replace_text phrase \"colour\" by_string \"color\"", "Colour and colours",
         "color and colours"},
        {"Text command: replace_text phrase \"colour\" by_string \"color\"", "discolour, COLOUR; colour.",
         "discolour, color; color."},
        {"Text command: replace_text string \"secret\" by_character \"x\"", "Secret!", "xxxxxx!"},
        {"TEXT COMMAND: Replace_Text STRING \"ab\" BY_STRING \"abab\"", "xAbx ab", "xababx abab"},
        {"Text command: replace_text exact_string \"ab\" by_string \"-\"", "Ab ab", "Ab -"},
        {"Text command: replace_text exact_phrase \" cat \" by_string \"dog\"", "cat", "dog"},
        {"Text command: replace_text wildcard \"a*\" by_string \"b\"", "a* aa", "b aa"},
        {"Text command: replace_text exact_phrase \"cat\" by_character \"#\"", "cat scatter cat", "### scatter ###"},
        {"Text command: remove_text exact_string \"--\"", "a--b--c", "abc"},
        {"Text command: remove_text phrase \"the\"", "the theme of the day", " theme of  day"},
        {"Text command: remove_text exact_phrase \"cat\"", "a cat scattered", "a  scattered"},
        // A phrase command leaves the blanks around the text as they were.
        {"Text command: replace_text phrase \"colour\" by_string \"color\"", "   colour  ", "   color  "},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.command, c.text), c.expected) << c.command << " on " << c.text;
    EXPECT_TRUE(gMessages.empty());
}

TEST_F(TextCommandsTest, PhraseStartingWithNeedsTheFirstWord) {
    const std::string command = "Text command: ignore_line starting_with phrase \"note\"";
    EXPECT_EQ(Run(command, "  NOTE: read this"), "  NOTE: read this");
    EXPECT_EQ(line.lineType, -4);
    Run(command, "notes and a note");
    EXPECT_EQ(line.lineType, 0);
    Run(command, "a note");
    EXPECT_EQ(line.lineType, 0);
}

TEST_F(TextCommandsTest, CommandsApplyInOrderToTheTextBefore) {
    ASSERT_EQ(list.Add(&set, "Text command: replace_text string \"draft\" by_string \"final\""), 1);
    ASSERT_EQ(list.Add(&set, "Text command: ignore_line containing exact_string \"final\""), 1);
    TextLine target;
    TextLine source;
    source.Assign("Draft text");
    TextString out;
    EXPECT_EQ(list.Apply(&set, &target, &source, &out), 1);
    EXPECT_EQ(out, "final text");
    EXPECT_EQ(source, "Draft text");
    EXPECT_EQ(target.lineType, -4);
}

TEST_F(TextCommandsTest, MetaTagLineAddsTheLineToTheContext) {
    Run("Text command: meta_tag_line \"keywords\" starting_with string \"Keywords:\" remove_match_text",
        "  keywords:  tables,  text ");
    const TextCommand* command = list.GetAt(0);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->metaTagName, "keywords");
    EXPECT_EQ(command->removeMatchText, 1);
    EXPECT_EQ(line, "  keywords:  tables,  text ");
    ASSERT_EQ(context.documentState.metaTags.size(), 1u);
    EXPECT_EQ(context.documentState.metaTags[0].name, "keywords");
    // The match is removed the way it was matched, here without regard to case.
    EXPECT_EQ(context.documentState.metaTags[0].content, "tables, text");

    Run("Text command: meta_tag_line \"author\" containing exact_phrase \"by\"", "Written by Ann");
    ASSERT_EQ(context.documentState.metaTags.size(), 2u);
    EXPECT_EQ(context.documentState.metaTags[1].name, "author");
    EXPECT_EQ(context.documentState.metaTags[1].content, "Written by Ann");

    Run("Text command: meta_tag_line \"author\" containing exact_phrase \"by\"", "Standby");
    EXPECT_EQ(context.documentState.metaTags.size(), 2u);
}

TEST_F(TextCommandsTest, EmptyMatchReportsTwoMessages) {
    EXPECT_EQ(list.Add(&set, "Text command: remove_text exact_string \"\""), 0);
    EXPECT_EQ(list.count, 0);
    const std::vector<std::string> expected = {"POLICY: No Match expression supplied",
                                               "POLICY: text command not processed \"exact_string \"\"\""};
    EXPECT_EQ(gMessages, expected);
}

TEST_F(TextCommandsTest, UnexpectedPositionKeyword) {
    EXPECT_EQ(list.Add(&set, "Text command: ignore_line beginning_with string \"x\""), 0);
    const std::vector<std::string> expected = {"POLICY: Text command error.  Unexpected keyword \"beginning_with\"",
                                               "POLICY: text command not processed \"beginning_with string \"x\"\""};
    EXPECT_EQ(gMessages, expected);
}

TEST_F(TextCommandsTest, FaultyLinesAreReportedAndDropped) {
    const struct {
        const char* line;
        std::vector<std::string> messages;
    } cases[] = {
        {"Link definition: \"a\" = \"b\" + \"c\"", {"POLICY: This is not a text command"}},
        {"Text command: shout_line string \"x\"", {"POLICY: Unknown text command \"shout_line\""}},
        {"Text command: remove_text strings \"x\"",
         {"POLICY: Unknown text data type \"strings\"", "POLICY: text command not processed \"strings \"x\"\""}},
        {"Text command: replace_text string \"x\" by_word \"y\"",
         {"POLICY: Unknown text data type \"by_word\"",
          "POLICY: text command not processed \"string \"x\" by_word \"y\"\""}},
        {"Text command: meta_tag_line \"\" containing string \"x\"",
         {"POLICY: No META tag name supplied",
          "POLICY: text command not processed \"\"\" containing string \"x\"\""}},
        {"Text command: treat_line containing string \"x\" as_heading",
         {"POLICY: text command - unknown line type \"containing string \"x\" as_heading\"",
          "POLICY: text command not processed \"containing string \"x\" as_heading\""}},
        {"Text command: meta_tag_line \"k\" containing string \"x\" keep_match",
         {"POLICY: Text command error.  Unexpected keyword \"keep_match\"",
          "POLICY: text command not processed \"\"k\" containing string \"x\" keep_match\""}},
        // Text left over after a complete command drops the line too.
        {"Text command: treat_line containing string \"x\" as_bullet now",
         {"POLICY: text command not processed \"containing string \"x\" as_bullet now\""}},
    };
    for (const auto& c : cases) {
        gMessages.clear();
        EXPECT_EQ(list.Add(&set, c.line), 0) << c.line;
        EXPECT_EQ(gMessages, c.messages) << c.line;
    }
    EXPECT_EQ(list.count, 0);
}

TEST_F(TextCommandsTest, WriteListsTheLinesAsGivenAndAddAllCopies) {
    const char* lines[] = {
        "Text command: ignore_line   containing string \"CONFIDENTIAL\"",
        "Text command: replace_text phrase \"colour\" by_string \"color\"",
    };
    for (const char* text : lines) ASSERT_EQ(list.Add(&set, text), 1);
    TextCommandList copy;
    EXPECT_EQ(copy.AddAll(&set, list), 2);
    EXPECT_EQ(copy.AddAll(&set, list), 2);  // appended again, nothing merged
    EXPECT_EQ(copy.count, 4);

    StringList written;
    TextFile sink;
    sink.outputList = &written;
    copy.Write(sink);
    ASSERT_EQ(written.count, 4);
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(written.TextAt(i), lines[i % 2]);

    copy.Clear();
    EXPECT_EQ(copy.count, 0);
    EXPECT_EQ(copy.GetAt(0), nullptr);
}

}  // namespace
