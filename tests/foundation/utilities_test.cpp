#include "foundation/utilities.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

TEST(Utilities, GetDirectoryPartKeepsLastSeparator) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"docs/back\\slash.txt", "docs/"},  // "\" is part of the name
        {"back\\slash.txt", ""},
        {"a.txt", ""},
        {"", ""},
        {"/usr/share/doc/x.txt", "/usr/share/doc/"},
        {"DISK:[dir.sub]file.txt", "DISK:[dir.sub]"},
        {"/", "/"},
    };
    for (const Case& c : cases) {
        TextString out("junk");
        GetDirectoryPart(c.path, &out);
        EXPECT_EQ(out.str(), c.expected) << c.path;
        TextString again("junk");
        GetDirectoryPart(TextString(c.path), &again);
        EXPECT_EQ(again.str(), c.expected) << c.path;
    }
}

TEST(Utilities, SplitPathGivesDirectoryNameAndExtension) {
    struct Case {
        const char* path;
        const char* directory;
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"/docs/report.final.txt", "/docs/", "report.final", ".txt"},
        {"README", "", "README", ""},
        {"", "", "", ""},
        {"/home/user/notes.TXT", "/home/user/", "notes", ".TXT"},
        {"dir.d/file", "dir.d/", "file", ""},  // a dot in the directory is not an extension
        {"a\\b/c.x", "a\\b/", "c", ".x"},
        {"dir/back\\slash.txt", "dir/", "back\\slash", ".txt"},
        {"dir/*.txt", "dir/", "*", ".txt"},
        {".profile", "", "", ".profile"},
        // A name ending in '.' has the extension "." so that nothing is lost.
        {"report.", "", "report", "."},
        {"/tmp/", "/tmp/", "", ""},
    };
    for (const Case& c : cases) {
        TextString directory("x"), name("x"), extension("x");
        SplitPath(TextString(c.path), &directory, &name, &extension);
        EXPECT_EQ(directory.str(), c.directory) << c.path;
        EXPECT_EQ(name.str(), c.name) << c.path;
        EXPECT_EQ(extension.str(), c.extension) << c.path;
    }
}

TEST(Utilities, IsRelativePathKnowsDrivesAndLeadingSlash) {
    struct Case {
        const char* path;
        bool relative;
    };
    // clang-format off
    const Case cases[] = {
        {"x.pol", true}, {"sub/x.pol", true}, {"..\\x.pol", true}, {"", true},
        {"\\x.pol", true},  // no drive: relative to the current drive
        {"/etc/x.pol", false}, {"C:\\x.pol", false}, {"d:\\a\\b", false},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(IsRelativePath(TextString(c.path)), c.relative) << c.path;
}

TEST(Utilities, ResolveRelativePathNames) {
    struct Case {
        const char* base;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"/a/b/", "../c/x.pol", "/a/c/x.pol"},
        {"/a/b/", "sub/x.pol", "/a/b/sub/x.pol"},
        {"/a/b/", "x.pol", "/a/b/x.pol"},
        {"/a/b/", "/etc/x.pol", "/etc/x.pol"},
        {"/a/b/", "../back\\slash.pol", "/a/back\\slash.pol"},
        {"/a/b/", "..\\c\\x.pol", "/a/b/..\\c\\x.pol"},  // "\" separates nothing
        {"/a/b/", "../../x.pol", "/x.pol"},
    };
    for (const Case& c : cases) {
        TextString out("junk");
        ResolveRelativePath(TextString(c.base), TextString(c.name), &out);
        EXPECT_EQ(out.str(), c.expected) << c.base << " + " << c.name;
    }
}

TEST(Utilities, ResolveRelativePathNeverClimbsAboveTheRoot) {
    struct Case {
        const char* base;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        // Surplus parent steps stop at the root of an absolute base.
        {"/a/b/", "../../../../x.pol", "/x.pol"},
        {"/", "../x.pol", "/x.pol"},
        // A parent step inside the name cancels the level before it.
        {"/a/b/", "sub/../x.pol", "/a/b/x.pol"},
        // Absolute names with parent steps resolve on their own.
        {"/a/b/", "/x/../y.pol", "/y.pol"},
        // Relative bases keep the steps they cannot take.
        {"docs/", "../x.pol", "x.pol"},
        {"docs/", "../../x.pol", "../x.pol"},
        {"", "../x.pol", "../x.pol"},
    };
    for (const Case& c : cases) {
        TextString out("junk");
        ResolveRelativePath(TextString(c.base), TextString(c.name), &out);
        EXPECT_EQ(out.str(), c.expected) << c.base << " + " << c.name;
    }
}

TEST(Utilities, MakeShortNameUsesSignedChecksum) {
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"abcdefgh", "abcdefgh"},  // 8 characters: left alone
        {"", ""},
        {"abcdefghi", "abc00324"},  // sum of (c - 65) is 324
        {"abcdefgh\xE9", "abc00196"},  // 0xE9 counts as -23: 284 + (-88)
        {"         ", "   -0029"},  // negative sum -297: "-00297" cut to five
    };
    for (const Case& c : cases) {
        TextString name(c.name);
        MakeShortName(&name);
        EXPECT_EQ(name.str(), c.expected) << c.name;
    }
    TextString longName(std::string(200, 'z'));  // 200 * 57 = 11400
    MakeShortName(&longName);
    EXPECT_EQ(longName.str(), "zzz01400");
}

TEST(Utilities, DateTextForm) {
    struct Case {
        int day, month, year;
        const char* expected;
    };
    const Case cases[] = {
        {7, 12, 2026, "7-Dec-2026"},
        {1, 1, 1999, "1-Jan-1999"},
        {31, 5, 2024, "31-May-2024"},
        {1, 13, 2000, "1-?\?\?-2000"},
    };
    for (const Case& c : cases) {
        TextString out;
        FormatDateText(c.day, c.month, c.year, &out);
        EXPECT_EQ(out.str(), c.expected);
    }
    TextString today;
    GetDateText(&today);
    EXPECT_TRUE(std::regex_match(
        today.str(), std::regex("[1-9][0-9]?-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-[0-9]{4}")))
        << today.str();
}

TEST(Utilities, LanguageNameToIdIgnoresCaseOnly) {
    struct Case {
        const char* name;
        int id;
        int known;
    };
    const Case cases[] = {
        {"english (united states)", 1033, 1},
        {"No language", 1024, 1},
        {"ENGLISH (CARRIBEAN)", 9225, 1},
        {"French (Canadia)", 3084, 1},
        {"Macedonian (FYROM)", 1071, 1},
        {"Japanese", 1033, 1},
        {"Portuguese (Brazilian)", 1046, 1},
        {"Spanish (Peurto Rico)", 20490, 1},
        {"Spanish (Venezuela)", 8202, 1},
        {"Spanish (Traditional Sort)", 1034, 1},
        {"Klingon", 1033, 0},
        {"Spanish (Puerto Rico)", 1033, 0},
        {"French (Canadian)", 1033, 0},
        {"English", 1033, 0},
        {"", 1033, 0},
    };
    for (const Case& c : cases) {
        int id = -5;
        EXPECT_EQ(LanguageNameToId(TextString(c.name), &id), c.known) << c.name;
        EXPECT_EQ(id, c.id) << c.name;
    }
}

TEST(Utilities, CmToTwipsRoundsAndRefusesOutOfRange) {
    struct Case {
        const char* text;
        int result;
        int twips;
    };
    const Case cases[] = {
        {"2.54", 1, 1440},          {"1", 1, 567},  {"0", 1, 0}, {"-1", 1, -566},  // the integer part, towards zero
        {"3000000", 1, 1700787402}, {"abc", 0, -7}, {"", 0, -7}, {"1.2.3", 0, -7},
        {"3800000", 0, -7},  // beyond the range of int
        {"-3800000", 0, -7},
    };
    for (const Case& c : cases) {
        int twips = -7;
        EXPECT_EQ(CmToTwips(TextString(c.text), &twips), c.result) << c.text;
        EXPECT_EQ(twips, c.twips) << c.text;
    }
    int twips = -7;
    EXPECT_EQ(CmToTwips(TextString(std::string(400, '9')), &twips), 0);  // overflows a double
    EXPECT_EQ(twips, -7);
}

TEST(Utilities, SplitAtSeparatorsFields) {
    struct Case {
        const char* text;
        const char* separators;
        int dropNames;
        const char* out;
        const char* textAfter;
    };
    const Case cases[] = {
        {" a, b ,c", ",;", 0, "|a|b|c", "|a| b |c"},
        {" a;b,c", ";,", 0, "|a|b,c", "|a|b,c"},
        {" a;b", ",;", 0, "|a|b", "|a|b"},
        {" a,b", ";", 0, "|a|b", "|a|b"},  // no given separator: comma
        {" \"a,b\",c", ",", 0, "|a,b|c", "|\"a,b\"|c"},
        {" \"say \"\"hi\"\"\",x", ",", 0, "|say \"hi\"|x", "|\"say \"\"hi\"\"\"|x"},
        {" face=\"Arial\", size=12", ",", 1, "|Arial|12", "|face=\"Arial\"| size=12"},
        {" face=\"Arial\", size=12", ",", 0, "|face=\"Arial|size=12", "|face=\"Arial\"| size=12"},
        {" \"a=b\"", ",", 1, "|a=b", "|\"a=b\""},
        {" a|b,c", ",", 0, "#a|b#c", "#a|b#c"},  // '|' taken: next marker
        {" a,,b", ",", 0, "|a||b", "|a||b"},
        {" ", ",", 0, "|", "|"},
    };
    for (const Case& c : cases) {
        TextString text(c.text);
        TextString out("junk");
        EXPECT_EQ(SplitAtSeparators(&text, c.separators, c.dropNames, &out), 1) << c.text;
        EXPECT_EQ(out.str(), c.out) << c.text;
        EXPECT_EQ(text.str(), c.textAfter) << c.text;
    }

    TextString full(" |#?/\\+^&*=~,x");
    TextString out("junk");
    EXPECT_EQ(SplitAtSeparators(&full, ",", 0, &out), 0);
    EXPECT_EQ(full.str(), " |#?/\\+^&*=~,x");
    EXPECT_EQ(out.str(), "");
}

TEST(Utilities, CountCharacterClassesCounters) {
    struct Case {
        const char* text;
        CharacterClassCounts expected;
    };
    //                         chars span blanks inner rule punct letters digits changes marks repeats
    const Case cases[] = {
        {"", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"   ", {3, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"  ab-- c1  ", {11, 7, 5, 1, 2, 2, 3, 1, 3, 0, 0}},
        {"aAbb. x", {7, 7, 1, 1, 0, 1, 5, 0, 3, 1, 1}},
        {"ab c", {4, 4, 1, 1, 0, 0, 3, 0, 3, 0, 0}},
        {"<a&b>?:/.*=_~\t", {14, 14, 0, 0, 4, 12, 2, 0, 0, 7, 0}},
        {"\xE9t\xE9", {3, 3, 0, 0, 0, 2, 1, 0, 0, 0, 0}},  // bytes above 127 are not letters
    };
    for (const Case& c : cases) {
        int n[11];
        for (int& v : n) v = -1;
        CountCharacterClasses(c.text, &n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7], &n[8], &n[9], &n[10]);
        const CharacterClassCounts& e = c.expected;
        const int expected[11] = {e.characters,    e.span,        e.blanks,       e.innerBlanks,
                                  e.ruleMarks,     e.punctuation, e.letters,      e.digits,
                                  e.letterChanges, e.marks,       e.letterRepeats};
        for (int i = 0; i < 11; ++i) EXPECT_EQ(n[i], expected[i]) << "'" << c.text << "' counter " << i;
    }
}

TEST(Utilities, IsMostlyPunctuationByRegion) {
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"", false},
        {"---", true},
        {"a-", false},
        {"--a", false},
        {"- -", true},
        {"....", false},  // marks alone do not make punctuation
        {"----", true},
        {"+-----+-----+", true},
        {"| a | b |", false},
        {"|  a  |  b  |", true},
        {"This is a sentence of ordinary words.", false},
        {"-----------------------------", true},
        {"==== Title text here ====", true},
        {"| 12 | 34 | 56 | 78 | 90 |", false},
        // Twenty characters or more: punctuation of a quarter of the span
        // at most, and at most half the characters, is never mostly
        // punctuation; just over it, the blanks between words count.
        {"abcdefghijklmnop----", false},
        {"abcdefghijklmno-----", false},
        {"a a a a a a a a -----", false},
        {"a a a a a a a a ------", true},
        {"a a a a a a a a ------          ", true},  // the span, not the length
        {"          a a a a a a a a ------", true},
        {"a a a a a a a a -----           ", false},
        {"a.b.c.d.e.f.g.h.i.j.k.l", false},  // mostly marks: they do not count
        {"..........----------abcd", true},
        {"ab----------------------", true},
    };
    for (const Case& c : cases) EXPECT_EQ(IsMostlyPunctuation(c.text), c.expected) << "'" << c.text << "'";
}

TEST(Utilities, IsRuleLineRunsAndBlanks) {
    struct Case {
        const char* text;
        bool expected;
    };
    // clang-format off
    const Case cases[] = {
        {"--", true}, {"--- ===", true}, {" -", true}, {"___", true}, {"-- ", true}, {"== ==", true},
        {" --", true}, {"-", false}, {"-=", false}, {"- -  -", false}, {"", false}, {" ", false},
        {"--x", false}, {"***", false}, {"=-", false}, {"  -", false}, {"--\t--", false},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(IsRuleLine(c.text), c.expected) << "'" << c.text << "'";
}
