#include "output/markup/entities.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "policies/fc.h"

TEST(EntityTable, HoldsTheHtml40EntitiesAndThreeDecodingRows) {
    const EntityTable& table = GetEntityTable();
    ASSERT_EQ(table.Count(), 255);
    std::set<std::string> names;
    std::set<int> latin1;
    int symbols = 0;
    for (int i = 0; i < table.Count(); ++i) {
        const EntityEntry& entry = table.ByName(i);
        std::string text = entry.text.str();
        ASSERT_GE(text.size(), 4u);
        EXPECT_EQ(text.front(), '&') << text;
        EXPECT_EQ(text.back(), ';') << text;
        for (size_t k = 1; k + 1 < text.size(); ++k) EXPECT_TRUE(IsAsciiAlnum(text[k])) << text;
        names.insert(text);
        if (entry.code >= 160 && entry.code <= 255) latin1.insert(entry.code);
        if (entry.code > 255) ++symbols;
        if (i > 0) {
            EXPECT_LT(std::strcmp(table.ByName(i - 1).text.buffer, entry.text.buffer), 0);
            EXPECT_LE(table.ByCode(i - 1).code, table.ByCode(i).code);
        }
    }
    EXPECT_EQ(names.size(), 255u);
    EXPECT_EQ(latin1.size(), 96u);
    EXPECT_EQ(symbols, 152);
    EXPECT_EQ(table.ByCode(0).code, 34);
    EXPECT_EQ(table.ByCode(254).code, 9830);
}

TEST(EntityTable, LooksUpNamesExactly) {
    const EntityTable& table = GetEntityTable();
    struct Case {
        const char* name;
        int code;
    };
    // clang-format off
    const Case cases[] = {
        {"&amp;", 38}, {"&AMP;", 38}, {"&LT;", 60}, {"&quot;", 34}, {"&sub;", 8834}, {"&sube;", 8838},
        {"&sup;", 8835}, {"&sup2;", 178}, {"&thetasym;", 977}, {"&diams;", 9830}, {"&Aacute;", 193},
        {"&aacute;", 225},
        // Not in the table: prefixes, other cases, missing parts.
        {"&Amp;", -1}, {"&su;", -1}, {"&sup", -1}, {"&l;", -1}, {"&lt", -1}, {"", -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        const EntityEntry* entry = table.FindByName(c.name);
        EXPECT_EQ(entry ? entry->code : -1, c.code) << c.name;
    }
    EXPECT_EQ(table.FindByName(nullptr), nullptr);
}

TEST(EntityTable, CodeLookupGivesTheLowerCaseRow) {
    struct Case {
        int code;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {38, "&amp;"}, {60, "&lt;"}, {62, "&gt;"}, {34, "&quot;"}, {233, "&eacute;"}, {160, "&nbsp;"},
        {8364, "&euro;"}, {9830, "&diams;"}, {300, "&#300;"}, {65, "&#65;"}, {33, "&#33;"}, {9831, "&#9831;"},
        {0, "&#0;"},
    };
    // clang-format on
    for (const Case& c : cases) {
        TextString out("junk");
        EXPECT_EQ(GetEntityText(c.code, &out), 1);
        EXPECT_EQ(out.str(), c.text) << c.code;
    }
}

TEST(Entities, GetEntityCode) {
    struct Case {
        const char* text;
        int result;
        int code;
    };
    // clang-format off
    const Case cases[] = {
        {"&#65;", 1, 65}, {"&LT;", 1, 60}, {"&lt;", 1, 60}, {"&lt", 0, -1}, {"&Amp;", 0, -1},
        {"&#32;", 1, 32}, {"&#65535;", 1, 65535}, {"&#0233;", 1, 233},
        // Numeric references outside 32..65535, surrogates and malformed ones stay unknown.
        {"&#0;", 0, -1}, {"&#31;", 0, -1}, {"&#65536;", 0, -1}, {"&#55296;", 0, -1}, {"&#57343;", 0, -1},
        {"&#99999999;", 0, -1}, {"&#x41;", 0, -1}, {"&#;", 0, -1}, {"&#65", 0, -1}, {"&#-65;", 0, -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        int code = 1234;
        EXPECT_EQ(GetEntityCode(TextString(c.text), &code), c.result) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
    }
}

TEST(Entities, EntityToUTF8) {
    struct Case {
        const char* text;
        int bytes, code, b1, b2, b3;
    };
    // clang-format off
    const Case cases[] = {
        {"&#65;", 1, 65, 65, 0, 0},          {"&eacute;", 2, 233, 195, 169, 0},
        {"&#2048;", 3, 2048, 224, 160, 128}, {"&euro;", 3, 8364, 226, 130, 172},
        {"&nosuch;", 0, -1, -1, -1, -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        int code = 0, b1 = 0, b2 = 0, b3 = 0;
        EXPECT_EQ(EntityToUTF8(TextString(c.text), &code, &b1, &b2, &b3), c.bytes) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
        EXPECT_EQ(b1, c.b1) << c.text;
        EXPECT_EQ(b2, c.b2) << c.text;
        EXPECT_EQ(b3, c.b3) << c.text;
    }
}

TEST(Entities, DecodeEntities) {
    struct Case {
        const char* in;
        int utf8, latin1, plain;
        const char* out;
        int count;
        int multiByte;
    };
    // clang-format off
    const Case cases[] = {
        {"a&amp;b&amp;c", 0, 0, 0, "a&b&c", 2, 0},   {"&LT;&GT;", 0, 0, 0, "<>", 2, 0},
        // Each occurrence is decoded once, left to right.
        {"&amp;lt; &lt;", 0, 0, 0, "&lt; <", 2, 0},  {"&amp;amp;", 0, 0, 0, "&amp;", 1, 0},
        {"&eacute;", 1, 0, 0, "\xC3\xA9", 1, 1},     {"&eacute;", 1, 1, 0, "\xE9", 1, 0},
        {"&eacute;", 0, 0, 0, "\xE9", 1, 0},         {"&#256;", 1, 0, 0, "\xC4\x80", 1, 1},
        {"&#256; &alpha;", 0, 0, 0, "&#256; &alpha;", 0, 0},
        // Control characters and out-of-range references stay as written.
        {"a&#0;b", 0, 0, 0, "a&#0;b", 0, 0},  {"&#9;&#65536;&#55296;", 1, 0, 0, "&#9;&#65536;&#55296;", 0, 0},
        {"&verylongname;", 1, 0, 0, "&verylongname;", 0, 0},  {"&thetasym;", 1, 0, 0, "\xCF\x91", 1, 1},
        {"&nbsp;x", 0, 0, 1, " x", 1, 0},  {"&nbsp;x", 0, 0, 0, "\xA0x", 1, 0},
        {"a&mdash;b&rsquo;", 1, 0, 1, "a--b'", 2, 0},  {"&ndash;&#150;&#151;&lsquo;", 1, 1, 1, "----`", 4, 0},
        {"&yuml;", 1, 1, 1, "\xFF", 1, 0},  {"&yuml;", 1, 0, 1, "\xC3\xBF", 1, 1},
        {"AT&T; x", 0, 0, 0, "AT&T; x", 0, 0},  {"a & b; &lt;", 0, 0, 0, "a & b; <", 1, 0},
        {"x; &amp", 0, 0, 0, "x; &amp", 0, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        TextString in(c.in);
        TextString out("junk");
        int multiByte = 0;
        EntityDecodeOptions options{&in, &out, c.utf8, c.latin1, c.plain, &multiByte};
        int count = DecodeEntities(options);
        EXPECT_EQ(out.str(), c.out) << c.in;
        EXPECT_EQ(count, c.count) << c.in;
        EXPECT_EQ(multiByte, c.multiByte) << c.in;
        EXPECT_EQ(in.str(), c.in);
    }
}

TEST(Entities, DecodeEntitiesInPlaceWithoutFlag) {
    TextString text("Intro &amp; two &#0; &lt;");
    EntityDecodeOptions options;
    options.text = &text;
    options.result = &text;
    EXPECT_EQ(DecodeEntities(options), 2);
    EXPECT_EQ(text.str(), "Intro & two &#0; <");
    EXPECT_EQ(std::strlen(text.buffer), static_cast<size_t>(text.length));
}

namespace {

struct EntityPolicies {
    FC set;
    EntityPolicies(int microsoft, int html40, int ruleSet) {
        set.SetInt(Pol::UseOfMicrosoftEntitiesCode, microsoft);
        set.SetInt(Pol::UseOfHTML40EntitiesCode, html40);
        set.ruleSetCode = ruleSet;
    }
};

}  // namespace

TEST(Entities, IsEntityAllowedByClass) {
    struct Case {
        int microsoft, html40, ruleSet, code, allowed;
    };
    // clang-format off
    const Case cases[] = {
        {0, 0, 2, 233, 1},     {0, 0, 0, 160, 0},    {-1, -1, 0, 129, 0},   {-1, -1, 0, 150, 1},
        {0, 0, 0, 150, 0},     {1, 0, 2, 150, 1},    {1, 0, 0, 128, 0},     {2, 0, 0, 128, 1},
        {2, 0, 2, 128, 0},     {-1, -1, 0, 8212, 1}, {0, 1, 0, 8212, 0},    {-1, -1, 2, 8212, 0},
        {-1, -1, 0, 945, 1},   {0, 2, 0, 945, 0},    {0, 3, 0, 945, 1},     {-1, -1, 0, 977, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        EntityPolicies policies(c.microsoft, c.html40, c.ruleSet);
        EXPECT_EQ(IsEntityAllowed(&policies.set, c.code), c.allowed)
            << c.code << " M=" << c.microsoft << " H=" << c.html40 << " rules=" << c.ruleSet;
    }
    EXPECT_EQ(IsEntityAllowed(nullptr, 8212), 1);

    EntityPolicies policies(0, 0, 0);
    TextString out;
    EXPECT_EQ(GetEntityForCode(&policies.set, 38, &out), 1);
    EXPECT_EQ(out.str(), "&amp;");
    EXPECT_EQ(GetEntityForCode(&policies.set, 8212, &out), 0);
    EXPECT_EQ(out.str(), "&mdash;");
}

// The entity codes that nobody set count as -1, whatever the catalogue's
// default; an HTML 3.2 page keeps its default of 0 for the HTML 4.0 code.
TEST(Entities, UnsetEntityCodesRestrictNothing) {
    FC set;
    for (int code : {8212, 945, 150, 128}) EXPECT_EQ(IsEntityAllowed(&set, code), 1) << code;
    set.SetInt(Pol::HTMLVersion, 1);
    EXPECT_EQ(IsEntityAllowed(&set, 8212), 0);
    EXPECT_EQ(IsEntityAllowed(&set, 150), 1);
    set.SetInt(Pol::UseOfHTML40EntitiesCode, 3);
    EXPECT_EQ(IsEntityAllowed(&set, 945), 1);
    set.SetInt(Pol::UseOfMicrosoftEntitiesCode, 0);
    EXPECT_EQ(IsEntityAllowed(&set, 150), 0);
}

TEST(Entities, AllowedCodesAboveLatin1AreTableEntries) {
    // The allowed-entity classes and the table must name the same characters.
    const EntityTable& table = GetEntityTable();
    EntityPolicies open(-1, -1, 0);
    EntityPolicies specialOnly(-1, 2, 0);
    EntityPolicies strict(-1, -1, 2);
    int allowed = 0, special = 0, underStrict = 0;
    for (int code = 256; code <= 10000; ++code) {
        if (IsEntityAllowed(&open.set, code)) {
            ++allowed;
            EXPECT_NE(table.FindByCode(code), nullptr) << code;
        }
        if (IsEntityAllowed(&specialOnly.set, code)) ++special;
        if (IsEntityAllowed(&strict.set, code)) ++underStrict;
    }
    EXPECT_EQ(allowed, 101);
    EXPECT_EQ(special, 20);
    EXPECT_EQ(underStrict, 0);
}

TEST(Entities, EscapeHTMLCharacters) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"x<y [[FONT <b>]] z>w", "x&lt;y [[FONT <b>]] z&gt;w"},
        {"[[A&B]][[C>D]]&", "[[A&B]][[C>D]]&amp;"},
        {"[[ no end <", "[[ no end &lt;"},
        {"]] <[[", "]] &lt;[["},
        // A start delimiter followed by another before the end is text: the
        // tag is the innermost one.
        {"[[a <b> [[BR]] <c>", "[[a &lt;b&gt; [[BR]] &lt;c&gt;"},
        {"[[ <x>[[ <y>[[FONT <b>]]", "[[ &lt;x&gt;[[ &lt;y&gt;[[FONT <b>]]"},
        {"\xE9t\xE9", "&eacute;t&eacute;"},
        {"[[TEXT \xE9]]", "[[TEXT &eacute;]]"},  // the 8-bit step does not spare tags
        {"\xA0\x96\xA1\xFF", "\xA0\x96&iexcl;&yuml;"},
        {"&amp;", "&amp;amp;"},
    };
    FC set;
    for (const Case& c : cases) {
        TextString text(c.in);
        EscapeHTMLCharacters(&set, &text);
        EXPECT_EQ(text.str(), c.out) << c.in;
    }
}

TEST(Entities, EscapeHTMLCharactersFollowsTheTagDelimiters) {
    FC set;
    set.SetText(Pol::StartTagDelimiter, "<<");
    set.SetText(Pol::EndTagDelimiter, ">>");
    TextString text("<<TAG a&b>> & c [[x<y]]");
    EscapeHTMLCharacters(&set, &text);
    EXPECT_EQ(text.str(), "<<TAG a&b>> &amp; c [[x&lt;y]]");

    set.SetText(Pol::StartTagDelimiter, "");
    text = "[[a<b]]";
    EscapeHTMLCharacters(&set, &text);
    EXPECT_EQ(text.str(), "[[a&lt;b]]");
}
