#include "ui/desktop_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "texts/language_texts.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"

namespace {

TEST(DesktopFileFilterTest, TheProgramsFiltersBecomeTheChoosersForm) {
    const struct {
        const char* filter;
        bool fold;
        const char* wanted;
    } cases[] = {
        // Trailing "|", one or two, never reach the chooser.
        {"Log files (*.log)|*.log|All files (*.*)|*.*|", false, "Log files (*.log)|*.log|All files (*.*)|*"},
        {"Policy files (*.pol)|*.pol||", false, "Policy files (*.pol)|*.pol"},
        // Letter case folded for an open chooser; digits, dots and
        // wildcards stay.
        {"Text (*.txt,*.asc)|*.txt;*.ASC|Files|*.*||", true,
         "Text (*.txt,*.asc)|*.[tT][xX][tT];*.[aA][sS][cC]|Files|*"},
        {"Old|*.v2||", true, "Old|*.[vV]2"},
        // A pair without patterns, or blanks between patterns, are dropped.
        {"Empty||Text|*.txt; ;*.text|Lone", false, "Text|*.txt;*.text"},
        // A letter outside ASCII is left as it is.
        {"Notes|*.nöt|", true, "Notes|*.[nN]ö[tT]"},
        {"", true, ""},
        {"|||", true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DesktopFileFilter(c.filter, c.fold), c.wanted) << c.filter;
    }
    EXPECT_EQ(DesktopFileFilter(nullptr, true), "");
}

TEST(DesktopMessageTextTest, EachLineBreakBecomesOne) {
    const struct {
        const char* text;
        const char* wanted;
    } cases[] = {
        {"one\r\ntwo", "one\ntwo"},
        {"one\ntwo", "one\ntwo"},
        {"one\rtwo", "one\ntwo"},
        {"a\r\n\r\nb", "a\n\nb"},
        {"end\r", "end\n"},
        {"", ""},
        // The program's own break, "\n\r", is one break, and two of them two.
        {"Invalid Output Directory.\n\rMust be writable", "Invalid Output Directory.\nMust be writable"},
        {"a\n\r\n\rb", "a\n\nb"},
        {"a\n\nb", "a\n\nb"},
        {"a\r\rb", "a\n\nb"},
    };
    for (const auto& c : cases) EXPECT_EQ(DesktopMessageText(c.text), c.wanted) << c.text;
    EXPECT_EQ(DesktopMessageText(nullptr), "");
}

// The message texts broken with "\n\r" show no blank line, in any language.
TEST(DesktopMessageTextTest, TheProgramsTextsShowNoBlankLine) {
    for (int language = kLanguageEnglish; language <= kLanguageSwedish; ++language) {
        SetMessageLanguage(language);
        for (const int slot : {kMsgDdeDisabled, kMsgInvalidOutputDirectory, kMsgCommandFailed}) {
            const std::string shown = DesktopMessageText(GetMessageText(slot));
            EXPECT_EQ(shown.find("\n\n"), std::string::npos) << language << " " << slot << ": " << shown;
            EXPECT_EQ(shown.find('\r'), std::string::npos) << language << " " << slot;
        }
    }
    SetMessageLanguage(kLanguageEnglish);
}

}  // namespace
