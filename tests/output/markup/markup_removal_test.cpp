#include "output/markup/markup_removal.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "context/option_groups.h"
#include "foundation/message_reporter.h"
#include "output/markup/html_tags.h"

namespace {

// Keeps every message handed to it, with its level.
class RecordingReporter : public MessageReporter {
public:
    void OutputMessage(const char* text, int level) override { messages.emplace_back(text, level); }
    std::vector<std::pair<std::string, int>> messages;
};

// Options that touch nothing; each test turns on what it needs.
TagRemovalOptions NoOptions() {
    TagRemovalOptions options;
    options.removeAllTags = 0;
    options.removeAllHTMLTags = 0;
    options.removeNonHTMLTags = 0;
    options.removeMailXTags = 0;
    options.removeOfficeTags = 0;
    options.removeComments = 0;
    options.removeNonStandardTags = 0;
    options.removeNonStandardAttributes = 0;
    options.keepDeprecatedTags = 1;
    options.keepDeprecatedAttributes = 1;
    options.replaceEntitiesByText = 0;
    options.utf8Output = 0;
    return options;
}

std::string Strip(TagRemovalOptions& options, const char* text, RecordingReporter* reporter = nullptr,
                  int* changes = nullptr) {
    TextString in(text), out;
    int n = RemoveMarkup(reporter, &options, &in, &out);
    if (changes) *changes = n;
    return out.str();
}

}  // namespace

TEST(MarkupRemoval, HeadingSettings) {
    TagRemovalOptions options;
    SetHeadingRemovalOptions(options);
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Intro <b>one</b> &amp; two", "Intro one & two"},
        {"<H2 ALIGN=center>Results</H2>", "Results"},
        {"Caf&eacute;&nbsp;Menu", "Caf\xe9 Menu"},
        {"<!-- hidden -->Shown", "Shown"},
        {"<o:p>Office</o:p>", "Office"},
        {"<font color=red>Red</font>", "Red"},
        {"Plain text", "Plain text"},
        // Not markup: left as written.
        {"Mail <john.smith@example.com> now", "Mail <john.smith@example.com> now"},
        {"See <part.one.two>", "See <part.one.two>"},
        {"if a < b > c then", "if a < b > c then"},
        {"x <= y >= z", "x <= y >= z"},
        {"a <<b>> c", "a <<b>> c"},
        {"a <> b", "a <> b"},
        // Unknown tags are cleaned away.
        {"<blah>Text</blah>", "Text"},
    };
    for (const Case& c : cases) {
        RecordingReporter reporter;
        EXPECT_EQ(Strip(options, c.in, &reporter), c.out) << c.in;
    }
}

TEST(MarkupRemoval, CountsSpansAndEntities) {
    TagRemovalOptions options;
    SetHeadingRemovalOptions(options);
    int changes = 0;
    EXPECT_EQ(Strip(options, "Intro <b>one</b> &amp; two", nullptr, &changes), "Intro one & two");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(Strip(options, "no markup at all", nullptr, &changes), "no markup at all");
    EXPECT_EQ(changes, 0);
    // Entities are left alone unless decoding is asked for.
    options.replaceEntitiesByText = 0;
    EXPECT_EQ(Strip(options, "a &amp; b", nullptr, &changes), "a &amp; b");
    EXPECT_EQ(changes, 0);
    options.decodeEntities = 1;
    EXPECT_EQ(Strip(options, "a &amp; b", nullptr, &changes), "a & b");
    EXPECT_EQ(changes, 1);
}

TEST(MarkupRemoval, TagListsChooseWhatIsRemoved) {
    struct Case {
        int html, mail, office, comments;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {1, 0, 0, 0, "<p>a</p><x-tab>b", "a<x-tab>b"},
        {0, 1, 0, 0, "<p>a</p><x-tab>b", "<p>a</p>b"},
        // The first name of the mail list is found like the others.
        {0, 1, 0, 0, "<x-html>mail</x-html>", "mail"},
        {0, 0, 1, 0, "<o:p>x</o:p><w:WordDocument>", "x"},
        {0, 0, 1, 0, "<![endif]-->", ""},
        {0, 0, 0, 1, "<!--note-->a<!-- b -->", "a"},
        {0, 0, 0, 1, "<xyz-->k", "k"},
        {0, 0, 0, 0, "<!--note--><p>", "<!--note--><p>"},
        {1, 0, 0, 0, "<BR/>line<Br>", "line"},
    };
    for (const Case& c : cases) {
        TagRemovalOptions options = NoOptions();
        options.removeAllHTMLTags = c.html;
        options.removeMailXTags = c.mail;
        options.removeOfficeTags = c.office;
        options.removeComments = c.comments;
        EXPECT_EQ(Strip(options, c.in), c.out) << c.in;
    }
}

TEST(MarkupRemoval, RemoveAllTags) {
    TagRemovalOptions options = NoOptions();
    options.removeAllTags = 1;
    EXPECT_EQ(Strip(options, "<zz>x</zz><b>y</b> <mail@example.org>"), "xy <mail@example.org>");
    // A fresh options record removes every tag.
    TextString out;
    RemoveMarkup(nullptr, nullptr, TextString("<q>a</q>"), out);
    EXPECT_EQ(out.str(), "a");
}

TEST(MarkupRemoval, DeprecatedAttributeIsDropped) {
    TagRemovalOptions options = NoOptions();
    options.removeNonStandardTags = 1;
    options.removeNonStandardAttributes = 1;
    options.keepDeprecatedAttributes = 0;
    RecordingReporter reporter;
    EXPECT_EQ(Strip(options, "<p align=center>", &reporter), "<p>");
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].first, "INFO: Removing deprecated tag/attr P/ALIGN");
    EXPECT_EQ(reporter.messages[0].second, 8);

    options.keepDeprecatedAttributes = 1;
    EXPECT_EQ(Strip(options, "<p align=center>"), "<p align=center>");
}

TEST(MarkupRemoval, CleaningRebuildsKnownTags) {
    TagRemovalOptions options = NoOptions();
    options.removeNonStandardTags = 1;
    options.removeNonStandardAttributes = 1;
    RecordingReporter reporter;
    EXPECT_EQ(Strip(options, "<p foo=1  class='a b' title=\"x y\">t</p>", &reporter),
              "<p  class='a b' title=\"x y\">t</p>");
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].first, "INFO: Removing unknown tag/attr P/FOO");

    // Empty-element tags keep their closing slash; attributes without a value stay so.
    EXPECT_EQ(Strip(options, "<br />"), "<br />");
    EXPECT_EQ(Strip(options, "<input type=checkbox checked>"), "<input type=checkbox checked>");
    // Comments and the document type are kept exactly.
    EXPECT_EQ(Strip(options, "<!DOCTYPE html PUBLIC>"), "<!DOCTYPE html PUBLIC>");
}

TEST(MarkupRemoval, TagCase) {
    TagRemovalOptions options = NoOptions();
    options.tagsToUpperCase = 1;
    EXPECT_EQ(Strip(options, "<p class=Note>x</p>"), "<P CLASS=Note>x</P>");
    options.tagsToUpperCase = 0;
    options.tagsToLowerCase = 1;
    EXPECT_EQ(Strip(options, "<TD COLSPAN=2>"), "<td colspan=2>");
    // Without the removal of non-standard tags an unknown tag is not taken away.
    EXPECT_EQ(Strip(options, "<Widget>"), "<Widget>");
}

TEST(MarkupRemoval, DeprecatedTags) {
    TagRemovalOptions options = NoOptions();
    options.removeNonStandardTags = 1;
    options.keepDeprecatedTags = 0;
    RecordingReporter reporter;
    EXPECT_EQ(Strip(options, "<center>c</center>", &reporter), "c");
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].first, "INFO: Removing deprecated tag CENTER (2 times)");

    options.keepDeprecatedTags = 1;
    RecordingReporter kept;
    EXPECT_EQ(Strip(options, "<font size=2>f</font>", &kept), "<font size=2>f</font>");
    ASSERT_EQ(kept.messages.size(), 1u);
    EXPECT_EQ(kept.messages[0].first, "WARNING: Deprecated tag FONT (2 times)");

    // Without the removal of non-standard tags a deprecated tag counts as known.
    options.removeNonStandardTags = 0;
    options.removeNonStandardAttributes = 1;
    options.keepDeprecatedTags = 0;
    EXPECT_EQ(Strip(options, "<u>x</u>"), "<u>x</u>");
}

TEST(MarkupRemoval, RepeatedMessagesAreReportedOnce) {
    TagRemovalOptions options = NoOptions();
    options.removeNonStandardTags = 1;
    RecordingReporter reporter;
    EXPECT_EQ(Strip(options, "<zz>a</zz> <qq> <zz>", &reporter), "a  ");
    ASSERT_EQ(reporter.messages.size(), 2u);
    EXPECT_EQ(reporter.messages[0].first, "INFO: Removing unknown tag ZZ (3 times)");
    EXPECT_EQ(reporter.messages[1].first, "INFO: Removing unknown tag QQ");
}

TEST(MarkupRemoval, EntityDecodingFollowsTheOutputSwitches) {
    struct Case {
        int utf8, latin1, plain;
        const char* out;
    };
    const Case cases[] = {
        {0, 0, 0, "\xe9\xa0x&mdash;"},
        {0, 0, 1, "\xe9 x&mdash;"},
        {1, 1, 1, "\xe9 x--"},
        {1, 0, 0, "\xc3\xa9\xc2\xa0x\xe2\x80\x94"},
    };
    for (const Case& c : cases) {
        TagRemovalOptions options = NoOptions();
        options.replaceEntitiesByText = 1;
        options.utf8Output = c.utf8;
        options.allow8BitAnsi = c.latin1;
        options.allowAnsiAlternatives = c.plain;
        options.multiByteSeen = 0;
        EXPECT_EQ(Strip(options, "&eacute;&nbsp;x&mdash;"), c.out) << c.utf8 << c.latin1 << c.plain;
        EXPECT_EQ(options.multiByteSeen, c.utf8 && !c.latin1 ? 1 : 0);
    }
}

TEST(HtmlTagTable, Html40Rows) {
    const HtmlTagTable& table = GetHtmlTagTable();
    EXPECT_EQ(table.version, 4);
    EXPECT_EQ(table.entries.size(), 80u);
    const HtmlTagEntry* a = table.FindEntry("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->allowed.str(),
              "|id|class|style|title|onclick|ondblclick|onmousedown|onmouseup|onmouseover|onmousemove|onmouseout|"
              "onkeypress|onkeydown|onkeyup|lang|dir|charset|type|name|href|hreflang|rel|rev|accesskey|shape|"
              "coords|tabindex|onfocus|onblur|");
    EXPECT_EQ(a->deprecated.str(), "|");
    EXPECT_EQ(table.FindEntry("body")->deprecated.str(), "|bgcolor|text|link|vlink|alink|background|");
    EXPECT_EQ(table.FindEntry("script")->allowed.str(), "|charset|type|src|defer|");
    EXPECT_EQ(table.FindEntry("br")->allowed.str(), "|id|class|style|title|");
    EXPECT_EQ(table.FindEntry("html")->allowed.str(), "|lang|dir|");
}

TEST(HtmlTagTable, Classify) {
    const HtmlTagTable& table = GetHtmlTagTable();
    struct Case {
        const char* name;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {"p", kHtmlTagKnown},         {"/P", kHtmlTagKnown},      {" Table ", kHtmlTagKnown},
        {"caption", kHtmlTagKnown},   {"font", kHtmlTagDeprecated}, {"/CENTER", kHtmlTagDeprecated},
        {"!DOCTYPE", kHtmlTagSpecial}, {"?xml", kHtmlTagSpecial},  {"blink", kHtmlTagUnknown},
        {"", kHtmlTagUnknown},        {"t", kHtmlTagUnknown},     {"h7", kHtmlTagUnknown},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(table.Classify(c.name), c.expected) << c.name;
}

TEST(HtmlTagTable, CheckAttribute) {
    const HtmlTagTable& table = GetHtmlTagTable();
    struct Case {
        const char* tag;
        const char* attribute;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {"a", "HREF", kHtmlAttrAllowed},       {"body", "bgcolor", kHtmlAttrDeprecated},
        {"p", "href", kHtmlAttrNotAllowed},    {"blink", "x", kHtmlAttrNoEntry},
        {"font", "size", kHtmlAttrNoEntry},    {"br", "id", kHtmlAttrAllowed},
        {"br", "onclick", kHtmlAttrNotAllowed}, {"script", "id", kHtmlAttrNotAllowed},
        {"html", "lang", kHtmlAttrAllowed},    {"html", "onclick", kHtmlAttrNotAllowed},
        {"td", " nowrap ", kHtmlAttrDeprecated}, {"input", "accept", kHtmlAttrAllowed},
        {"input", "accept-charset", kHtmlAttrNotAllowed}, {"form", "accept-charset", kHtmlAttrAllowed},
        {"/td", "colspan", kHtmlAttrAllowed},  {"img", "", kHtmlAttrNotAllowed},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(table.CheckAttribute(c.tag, c.attribute), c.expected) << c.tag << c.attribute;
}
