#include "policies/fc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/text_file.h"
#include "policies/link_dictionary.h"
#include "policies/tab_config.h"
#include "policies/text_commands.h"
#include "support/temp_folder.h"

namespace {

std::vector<std::string> WritePolicies(const FC& set, bool all) {
    StringList lines;
    TextFile sink;
    sink.outputList = &lines;
    sink.OpenForWrite("policies", 0, 0);
    set.WritePolicyFile(sink, all);
    std::vector<std::string> out;
    for (int i = 0; i < lines.count; ++i) out.push_back(lines.GetAt(i)->text.str());
    return out;
}

// A temporary folder for policy files.
struct PolicyFolder {
    std::string Write(const std::string& name, const std::string& content) const {
        std::string full = path + "/" + name;
        WriteWhole(full, content);
        return full;
    }
    TempFolder folder{"vendrel_fc"};
    std::string path = folder.Path().string();
};

// Reads a policy file into the set; returns the reader's result.
int ReadFile(FC& set, const std::string& name) {
    TextFile reader;
    if (!reader.OpenForRead(name.c_str())) return -1;
    return set.ReadPolicyFile(reader);
}

int Parse(FC& set, const char* text, int* category = nullptr) {
    TextString line(text);
    int cat = 0;
    int result = set.ParsePolicyLine(line, cat, false);
    if (category) *category = cat;
    return result;
}

std::string ValueText(FC& set, Pol id) {
    TextString out;
    set.Policy(id).FormatValue(out);
    return out.str();
}

}  // namespace

TEST(PolicySet, FreshSetDefaults) {
    FC set;
    struct Case {
        Pol id;
        const char* value;
    };
    // clang-format off
    const Case cases[] = {
        {Pol::OutputLogFilename, "Morvane.log"}, {Pol::ErrorReportingLevel, "5 "}, {Pol::TabSize, "8 "},
        {Pol::StartTagDelimiter, "[["},          {Pol::EndTagDelimiter, "]]"},     {Pol::DirectiveDelimiter, "$_$_"},
        {Pol::PaperSize, "A4"},                  {Pol::HTMLVersion, "HTML 4.0 Transitional"},
        {Pol::LanguageForProofing, "None"},      {Pol::SplitLevel, "-1 "},
        {Pol::DocumentTitle, "Converted from \"[[FILENAME]]\" on [[TIMESTAMP]]"},
        {Pol::DefaultFont, "Times New Roman, Regular, 12"}, {Pol::FixedFont, "Courier New, Regular, 10"},
        {Pol::BaseFontSize, "12 "},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(ValueText(set, c.id), c.value) << GetPolicyDefinition(c.id).key;
    for (int i = 0; i < kPolicyCount; ++i) EXPECT_FALSE(set.Policy(static_cast<Pol>(i)).isSet);

    std::map<int, int> kinds;
    std::map<int, int> categories;
    for (int i = 0; i < kPolicyCount; ++i) {
        kinds[set.Policy(static_cast<Pol>(i)).kind]++;
        categories[set.Policy(static_cast<Pol>(i)).category]++;
    }
    EXPECT_EQ(kPolicyCount, 232);
    EXPECT_EQ(kinds[kPolicyBool], 123);
    EXPECT_EQ(kinds[kPolicyText], 52);
    EXPECT_EQ(kinds[kPolicyInt], 36);
    EXPECT_EQ(kinds[kPolicyColour], 12);
    EXPECT_EQ(kinds[kPolicyFont], 5);
    EXPECT_EQ(kinds[kPolicyChoice], 3);
    EXPECT_EQ(kinds[kPolicyAlignment], 1);
    EXPECT_EQ(categories[1], 14);
    EXPECT_EQ(categories[2], 46);
    EXPECT_EQ(categories[3], 138);
    EXPECT_EQ(categories[4], 34);
    EXPECT_EQ(kTablePolicyCount, 28);
    EXPECT_EQ(set.GetDefaultTabConfig()->GetInt(TabPol::CellSpacing), 2);
    EXPECT_EQ(set.names.outputExtension.str(), ".html");
    EXPECT_EQ(set.generatorText.str(), "qqqqqqqq ?.?");
}

TEST(PolicySet, LineParserClaimsAndRefuses) {
    FC set;
    int category = -1;
    EXPECT_EQ(Parse(set, "page width: 72", &category), 0);
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 72);
    EXPECT_EQ(category, 2);
    EXPECT_TRUE(set.IsSet(Pol::PageWidth));
    for (const char* silent : {"! a comment", "# another", "", "   ", "[Bullets]", "-----------", "[Rule Set]"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(Parse(set, silent, &category), 0) << silent;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << silent;
        EXPECT_EQ(category, 0);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(Parse(set, "Width : 80"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_EQ(Parse(set, "Text color : #FF0000"), 0);
    EXPECT_EQ(set.GetText(Pol::TextColour).str(), "Red");
    EXPECT_EQ(Parse(set, "Background color : navy"), 0);
    EXPECT_EQ(set.GetText(Pol::BackgroundColour).str(), "navy");

    struct Refusal {
        const char* line;
        const char* message;
    };
    const Refusal refusals[] = {
        {"List markup code : 3", "POLICY: Ignored - Value 3 is outside allowed range (0:2)\n"},
        {"Keep it simple : maybe", "ERROR: Don't understand policy value : maybe\n"},
        {"Keep it simple : (none)", "ERROR: Don't understand policy value : (none)\n"},
        {"Page Width : 72 : extra", ""},
        {"Default font : Arial, heavy, 10", ""},  // the warning class is suppressed without a context
        {"Paper size : A5", ""},
        {"Rule set to be used : other", ""},
    };
    for (const Refusal& r : refusals) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(Parse(set, r.line), 2) << r.line;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), r.message) << r.line;
    }
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 72);
    EXPECT_EQ(Parse(set, "Paper size : letter"), 0);
    EXPECT_EQ(set.GetInt(Pol::PaperSize), 2);
    EXPECT_EQ(Parse(set, "Text justification : Centre"), 0);
    EXPECT_EQ(set.GetInt(Pol::TextJustification), 2);

    testing::internal::CaptureStderr();
    EXPECT_EQ(Parse(set, "Page Width"), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "POLICY: Ignored - Missing colon in \"Page Width\"\n");
}

TEST(PolicySet, SpecialKeys) {
    FC set;
    EXPECT_EQ(Parse(set, "Indent position(s) : 4 8 x 12"), 0);
    EXPECT_EQ(set.indentCount, 2);
    EXPECT_EQ(set.indentPositions[0], 4);
    EXPECT_EQ(set.indentPositions[1], 8);
    EXPECT_EQ(set.indentPositions[2], -1);
    EXPECT_EQ(set.GetIndentLevel(9), 1);
    EXPECT_EQ(set.GetIndentLevel(2), 0);

    EXPECT_EQ(Parse(set, "bullet char : 'o'"), 0);
    EXPECT_TRUE(set.IsSet(Pol::RecogniseOBullet));
    EXPECT_EQ(set.bulletCount, -1);
    for (char c : std::string("+#@%&~=")) {
        std::string line = std::string("Bullet Char : '") + c + "'";
        EXPECT_EQ(Parse(set, line.c_str()), 0);
    }
    EXPECT_EQ(set.bulletCount, 7);
    EXPECT_EQ(Parse(set, "Bullet Char : '^'"), 1);  // an eighth own character is not taken
    EXPECT_EQ(set.listSet.bulletChars, 1);

    EXPECT_EQ(Parse(set, "    Heading level 2 = \"\" N.N.N at indent 8"), 0);
    EXPECT_EQ(set.headingLevels[2].indent, 8);
    // A style without a prefix text leaves the set with none; one with a
    // prefix, for headings or contents, gives it one, and a reset or a list
    // copied from a set without any clears it again.
    EXPECT_FALSE(set.numberingPrefixes);
    for (const char* line :
         {"Heading level 4 = \"Part\" N. at indent 0", "Contents level 1 = \"Book\" N at indent 2"}) {
        FC prefixed;
        EXPECT_EQ(Parse(prefixed, line), 0);
        EXPECT_TRUE(prefixed.numberingPrefixes) << line;
        FC taken;
        taken.MergeChangedPolicies(prefixed, 1);
        EXPECT_TRUE(taken.numberingPrefixes) << line;
        taken.CopyPolicies(set);
        EXPECT_FALSE(taken.numberingPrefixes) << line;
        EXPECT_EQ(Parse(prefixed, "Heading level 4 = \"\" N. at indent 0"), 0);
        EXPECT_EQ(prefixed.numberingPrefixes, line[0] == 'C') << line;
    }
    EXPECT_TRUE(set.IsOn(Pol::ExpectSecondWordHeadings));
    EXPECT_EQ(Parse(set, "    Heading level 7 = \"\" N at indent 0"), 2);
    EXPECT_EQ(Parse(set, "We have 9  recognised headings"), 2);
    EXPECT_EQ(Parse(set, "We have 3  recognised headings"), 0);
    EXPECT_EQ(set.recognisedHeadings, 3);

    EXPECT_EQ(Parse(set, "Definition Char : (none)"), 0);
    EXPECT_EQ(set.dashDefinition + set.colonDefinition, 0);
    EXPECT_EQ(Parse(set, "Definition Char : ':' (strong) "), 0);
    EXPECT_EQ(set.colonDefinition, 1);
    EXPECT_EQ(set.colonStrong, 1);

    EXPECT_EQ(Parse(set, "Recognised USENET groups : comp alt"), 0);
    EXPECT_EQ(set.usenetGroups.count, 2);
    EXPECT_EQ(Parse(set, "Include document section(s) : intro Appendix"), 0);
    set.SetSectionName(TextString("appendix"));
    EXPECT_EQ(set.IsSectionIncluded(), 1);
    set.SetSectionName(TextString("body"));
    EXPECT_EQ(set.IsSectionIncluded(), 0);

    int category = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Parse(set, "Rule set to be used : Tarnell", &category), 0);
    EXPECT_EQ(Parse(set, "Rule set to be used : SEC"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING: Changing rule set - Rule set to be used : SEC\n");
    EXPECT_EQ(set.ruleSetCode, 2);
    EXPECT_EQ(category, 3);

    EXPECT_EQ(Parse(set, "DOS filename root : abcdefgh"), 0);
    EXPECT_EQ(set.GetText(Pol::DOSFilenameRoot).str(), "abcde");
    EXPECT_EQ(Parse(set, "Output policy filename : x.pol"), 0);
    EXPECT_EQ(set.GetText(Pol::OutputPolicyFilename).str(), "x.pol");
    EXPECT_FALSE(set.IsSet(Pol::OutputPolicyFile));
    // Special keys match anywhere, so they are offered after the policy keys.
    EXPECT_EQ(Parse(set, "Document Keywords : Link definition, bullet char"), 0);
    EXPECT_EQ(set.GetText(Pol::DocumentKeywords).str(), "Link definition, bullet char");
    EXPECT_EQ(set.GetLinkDefinitionCount(), 0);
    EXPECT_EQ(Parse(set, "Default TABLE color : red"), 0);
    EXPECT_EQ(set.GetDefaultTabConfig()->GetText(TabPol::TableColour).str(), "red");
}

TEST(PolicySet, RuleSetsAndClamps) {
    FC set;
    EXPECT_EQ(Parse(set, "Rule set to be used : Tarnell"), 0);
    set.ApplyRuleSetAndFormatDefaults(0);
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 80);
    EXPECT_EQ(set.GetInt(Pol::TextJustification), 4);
    EXPECT_EQ(set.GetText(Pol::StartTagDelimiter).str(), "[_[");
    EXPECT_EQ(set.GetText(Pol::EndTagDelimiter).str(), "]_]");
    EXPECT_FALSE(set.IsOn(Pol::AttemptTableGeneration));
    EXPECT_EQ(set.GetInt(Pol::IndentationMarkupCode), 2);
    EXPECT_EQ(set.indentOpen.str(), "DIV STYLE=\"margin-left:24pt; margin-right:0pt;\"");
    EXPECT_EQ(set.strongOpen.str(), "<B>");
    EXPECT_EQ(set.GetInt(Pol::HTMLVersion), 2);
    EXPECT_TRUE(set.IsOn(Pol::CreateEmbeddedStyleSheet));
    EXPECT_EQ(set.GetDefaultTabConfig()->GetInt(TabPol::CellSpacing), 0);
    EXPECT_EQ(set.indentMode, 1);

    FC clamps;
    Parse(clamps, "TAB size : 1");
    Parse(clamps, "Automatic centring tolerance : 0");
    Parse(clamps, "Smallest allowed <Hn> tag : 2");
    Parse(clamps, "Largest allowed <Hn> tag : 5");
    clamps.ApplyRuleSetAndFormatDefaults(0);
    EXPECT_EQ(clamps.GetInt(Pol::TabSize), 4);
    EXPECT_EQ(clamps.GetInt(Pol::AutomaticCentringTolerance), 2);
    EXPECT_EQ(clamps.GetInt(Pol::SmallestAllowedHn), 3);
    EXPECT_EQ(clamps.GetInt(Pol::LargestAllowedHn), 3);

    // HTML 3.2 cannot do DIV indentation: warned once, then BLOCKQUOTE.
    FC old;
    Parse(old, "Indentation markup code : 3");
    Parse(old, "HTML version to be targeted : HTML 3.2");
    testing::internal::CaptureStderr();
    old.ApplyRuleSetAndFormatDefaults(0);
    old.ApplyRuleSetAndFormatDefaults(0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: Indentation pattern 3 not supported in HTML 3.2.  Switching to BLOCKQUOTEs\n");
    EXPECT_EQ(old.GetInt(Pol::IndentationMarkupCode), 1);
    EXPECT_EQ(old.indentOpen.str(), "BLOCKQUOTE");
}

TEST(PolicySet, EncodingsThatRuleOutConversionsAndDiagrams) {
    // Encoding; then whether DOS characters, diagrams, line structure and
    // indentation are looked for after the defaults are applied.
    struct Case {
        const char* encoding;
        int dos;
        int diagrams;
        int preserve;
        int indentation;
    };
    // clang-format off
    const Case cases[] = {
        {"", 1, 1, 0, 1},          {"ascii", 1, 1, 0, 1},        {"ISO-8859-1", 1, 1, 0, 1},
        {"iso-8859-2", 0, 1, 0, 1}, {"koi8-r", 0, 0, 0, 1},       {"Big5", 0, 0, 0, 1},
        {"windows-1256", 0, 0, 1, 0}, {"iso-8859-8", 0, 0, 1, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        FC set;
        set.SetInt(Pol::InputDOSCharacters, 1);
        set.SetText(Pol::CharacterEncoding, c.encoding);
        set.ApplyRuleSetAndFormatDefaults(0);
        EXPECT_EQ(set.GetInt(Pol::InputDOSCharacters), c.dos) << c.encoding;
        EXPECT_EQ(set.GetInt(Pol::LookForDiagrams), c.diagrams) << c.encoding;
        EXPECT_EQ(set.GetInt(Pol::PreserveLineStructure), c.preserve) << c.encoding;
        EXPECT_EQ(set.GetInt(Pol::LookForIndentation), c.indentation) << c.encoding;
    }
    // A right-to-left encoding keeps what the user chose.
    FC chosen;
    chosen.SetInt(Pol::PreserveLineStructure, 0);
    chosen.SetInt(Pol::LookForIndentation, 1);
    chosen.SetText(Pol::CharacterEncoding, "windows-1256");
    chosen.ApplyRuleSetAndFormatDefaults(0);
    EXPECT_EQ(chosen.GetInt(Pol::PreserveLineStructure), 0);
    EXPECT_EQ(chosen.GetInt(Pol::LookForIndentation), 1);
}

TEST(PolicySet, KeepItSimpleExpectsUnderlinedHeadingsOnly) {
    FC set;
    set.SetInt(Pol::KeepItSimple, 1);
    set.SetInt(Pol::ExpectRomanNumeralBullets, 1);  // the user's own choice stays
    set.ApplyRuleSetAndFormatDefaults(0);
    EXPECT_EQ(set.GetInt(Pol::ExpectUnderlinedHeadings), 1);
    EXPECT_EQ(set.GetInt(Pol::ExpectRomanNumeralBullets), 1);
    for (Pol id : {Pol::ExpectNumberedBullets, Pol::ExpectAlphabeticBullets, Pol::ExpectCapitalisedHeadings,
                   Pol::ExpectEmbeddedHeadings, Pol::ExpectNumberedHeadings, Pol::UseDLMarkupForDefinitions,
                   Pol::ExpectContentsList, Pol::AttemptTableGeneration})
        EXPECT_EQ(set.GetInt(id), 0) << GetPolicyDefinition(id).key;
    EXPECT_FALSE(set.IsSet(Pol::AttemptTableGeneration));
}

TEST(PolicySet, ContentsListDecisions) {
    // The policies set (-1: left unset), then the list and the external file
    // the defaults decide on.
    struct Case {
        const char* what;
        int unit, split, expect, add, external;
        int wantAdd, wantExternal;
    };
    const Case cases[] = {
        {"a composition unit has both", 1, -1, -1, 0, 0, 1, 1},
        {"a split document gets a list", 0, 2, 0, -1, -1, 1, 0},
        {"an external file needs a list", 0, -1, 0, -1, 1, 1, 1},
        {"an expected list is used, none added", 0, -1, -1, -1, -1, 0, 0},
        {"no list, no external file", 0, -1, 0, 0, -1, 0, 0},
        {"an external file asked for turns the list on", 0, -1, 0, 0, 1, 1, 1},
    };
    for (const Case& c : cases) {
        FC set;
        set.SetInt(Pol::InputIsCompositionUnit, c.unit);
        if (c.split >= 0) set.SetInt(Pol::SplitLevel, c.split);
        if (c.expect >= 0) set.SetInt(Pol::ExpectContentsList, c.expect);
        if (c.add >= 0) set.SetInt(Pol::AddContentsList, c.add);
        if (c.external >= 0) set.SetInt(Pol::GenerateExternalContentsFile, c.external);
        set.ApplyRuleSetAndFormatDefaults(0);
        EXPECT_EQ(set.GetInt(Pol::AddContentsList), c.wantAdd) << c.what;
        EXPECT_EQ(set.GetInt(Pol::GenerateExternalContentsFile), c.wantExternal) << c.what;
    }
}

TEST(PolicySet, ContextFormatDefaults) {
    Context rtf(1, 1);
    FC set;
    set.SetContext(&rtf);
    EXPECT_EQ(set.GetText(Pol::DefaultFont).str(), "Times New Roman, Regular, 10");
    EXPECT_EQ(set.GetText(Pol::FixedFont).str(), "Courier New, Regular, 8");
    EXPECT_EQ(set.GetInt(Pol::BaseFontSize), 10);
    EXPECT_EQ(set.names.outputExtension.str(), ".rtf");
    EXPECT_EQ(set.GetText(Pol::DocumentTitle).str(), "Converted from \"[[FILENAME]]\"");
    EXPECT_EQ(set.generatorText.str(), "Vendrel 4.0");

    Context html(1, 0);
    FC userFont;
    Parse(userFont, "Default font : Arial, Bold, 14");
    userFont.SetContext(&html);
    EXPECT_EQ(userFont.GetText(Pol::DefaultFont).str(), "Arial, Bold, 14");
    EXPECT_EQ(html.fontTagSwitch, 0);  // CSS implements the user's font
}

TEST(PolicySet, CopyAndMerge) {
    FC source;
    Parse(source, "Page Width : 66");
    Parse(source, "Indent position(s) : 2 6");
    Parse(source, "Text command: remove_text exact_string \"DRAFT\"");
    Parse(source, "Link definition: \"Widget\" = \"the widget\" + \"widget.htm\"");
    EXPECT_EQ(source.listSet.indentPositions, 1);

    FC copy;
    copy.CopyPolicies(source);
    EXPECT_EQ(copy.GetInt(Pol::PageWidth), 66);
    EXPECT_TRUE(copy.IsSet(Pol::PageWidth));
    EXPECT_EQ(copy.indentPositions[1], 6);
    EXPECT_EQ(copy.GetLinkDefinitionCount(), 1);
    EXPECT_EQ(copy.GetTextCommands().count, 1);
    EXPECT_EQ(copy.listSet.indentPositions, 0);  // list flags are not copied

    FC merged;
    merged.MergeChangedPolicies(source, 0);
    EXPECT_EQ(merged.GetInt(Pol::PageWidth), 66);
    EXPECT_FALSE(merged.IsSet(Pol::PageWidth));  // values only, without flags
    EXPECT_EQ(merged.indentPositions[1], 6);
    for (const std::string& line : WritePolicies(merged, false))  // none of its policies was set
        EXPECT_EQ(line.find("Page Width"), std::string::npos);
    FC flagged;
    flagged.MergeChangedPolicies(source, 1);
    EXPECT_TRUE(flagged.IsSet(Pol::PageWidth));
    EXPECT_EQ(flagged.listSet.linkDictionary, 1);

    // Merging a set in which nothing was set changes nothing.
    FC untouched;
    std::vector<std::string> before = WritePolicies(untouched, true);
    FC empty;
    untouched.MergeChangedPolicies(empty, 1);
    EXPECT_EQ(WritePolicies(untouched, true), before);
}

TEST(PolicySet, FileNames) {
    FC set;
    set.SetText(Pol::OutputDirectory, "C:\\out\\");
    set.MakeContentsFileName("C:\\docs\\report.txt");
    EXPECT_EQ(set.names.contentsFileName.str(), "C:\\out\\contents_report.html");
    set.SetInt(Pol::UseDOSFilenames, 1);
    set.MakeContentsFileName("C:\\docs\\report.txt");
    EXPECT_EQ(set.names.contentsFileName.str(), "C:\\out\\contents.htm");

    FC plain;
    plain.MakeContentsFileName("/data/notes.backup");
    EXPECT_EQ(plain.names.contentsFileName.str(), "/data/contents_notes.backup.html");
    plain.MakePolicyFileName("/data/report.txt");
    EXPECT_EQ(plain.names.policyFileName.str(), "/data/report.pol");
    EXPECT_EQ(plain.IsBulletChar('*'), 1);
    EXPECT_EQ(plain.IsBulletChar('a'), 0);
    EXPECT_EQ(plain.IsBulletChar('\xB3'), 0);
}

TEST(PolicyFileWriter, FreshAllFileLines) {
    FC set;
    std::vector<std::string> lines = WritePolicies(set, true);
    auto has = [&](const std::string& line) {
        for (const std::string& l : lines)
            if (l == line) return true;
        return false;
    };
    EXPECT_TRUE(has("TAB size" + std::string(34, ' ') + ": 8 "));
    EXPECT_TRUE(has("Error reporting level" + std::string(21, ' ') + ": 5 "));
    EXPECT_TRUE(has("Default TABLE cell spacing" + std::string(16, ' ') + ": 2 "));
    EXPECT_TRUE(has("Default TABLE border size" + std::string(17, ' ') + ": (none)"));
    EXPECT_TRUE(has("Could be blank line separated" + std::string(13, ' ') + ": Yes"));
    EXPECT_TRUE(has("Table extending factor" + std::string(20, ' ') + ": 5 "));
    EXPECT_TRUE(has("Rule set to be used              : (none)"));
    EXPECT_TRUE(has("[Composition Units]"));
    EXPECT_TRUE(has("[Text Substitution]"));
    // Its policies are written whatever the rule set.
    EXPECT_TRUE(has("[Tarnell]"));
    EXPECT_TRUE(has("Add FONT markup" + std::string(27, ' ') + ": No"));
    // Written only when set.
    EXPECT_FALSE(has("Display messages" + std::string(26, ' ') + ": Yes"));
    EXPECT_TRUE(has("We have 0  recognised headings"));
    EXPECT_TRUE(has("Definition Char                  : (none)"));
    EXPECT_TRUE(has("Definition Char                  : '-' (weak)"));
    EXPECT_FALSE(has("Output log filename" + std::string(23, ' ') + ": Morvane.log"));
    for (const std::string& line : lines) EXPECT_EQ(line.find("Default TABLE caption"), std::string::npos);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "[Rule Set]");

    EXPECT_TRUE(WritePolicies(set, false).empty());
}

TEST(PolicyFileWriter, WriteReadWriteIsByteIdentical) {
    PolicyFolder dir;
    FC fresh;
    std::vector<std::string> first = WritePolicies(fresh, true);
    std::string text;
    for (const std::string& line : first) text += line + "\n";
    FC readBack;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadFile(readBack, dir.Write("all.pol", text)), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(WritePolicies(readBack, true), first);

    FC changed;
    for (const char* line : {"Page Width : 66",
                             "Error reporting level : 0",
                             "Rule set to be used : Tarnell",
                             "Text color : red",
                             "Indent position(s) : 3 9",
                             "Hanging paragraph position(s) : 5",
                             "Bullet Char : '+'",
                             "We have 2  recognised headings",
                             "Heading level 0 = \"Chapter\" N. at indent 0",
                             "Heading level 1 = \"\" (a) at indent -4",
                             "Contents level 0 = \"\" N at indent 2",
                             "Recognised USENET groups : comp.lang misc",
                             "Include document section(s) : intro",
                             "Definition Char : ':' (strong)",
                             "Paper size : Legal",
                             "Default font : Arial, Bold, 11",
                             "Default TABLE border size : 3",
                             "Default TABLE colour : #00FF00",
                             "Document Keywords : a, b: c",
                             "Default TABLE caption : Sales by region",
                             "Link definition: \"Widget\" = \"the widget\" + \"widget.htm\"",
                             "Text command: replace_text phrase \"colour\" by_string \"color\"",
                             "Split level : 2",
                             "New Paragraph Offset : (none)",
                             "Input file has page markers : Yes",
                             "Page marker size (in lines) : 3"}) {
        TextString text(line);
        int category = 0;
        changed.ParsePolicyLine(text, category, true);
    }
    changed.ApplyRuleSetAndFormatDefaults(0);  // as the reader does after the last line
    for (bool all : {false, true}) {
        std::vector<std::string> written = WritePolicies(changed, all);
        std::string content;
        for (const std::string& line : written) content += line + "\n";
        FC again;
        testing::internal::CaptureStderr();
        EXPECT_EQ(ReadFile(again, dir.Write(all ? "changed_all.pol" : "changed.pol", content)), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(WritePolicies(again, all), written) << "all=" << all;
        EXPECT_EQ(again.GetInt(Pol::ErrorReportingLevel), 0);
    }
}

// The caption is read from a policy file and written, when set, right after
// the border colour.
TEST(PolicyFileReader, TableCaptionIsReadAndWrittenAfterTheBorderColour) {
    PolicyFolder dir;
    FC set;
    testing::internal::CaptureStderr();
    EXPECT_EQ(
        ReadFile(set, dir.Write("caption.pol", "[Table generation]\nDefault TABLE caption : Sales by region\n")), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(set.GetDefaultTabConfig()->GetText(TabPol::Caption).str(), "Sales by region");
    for (bool all : {false, true}) {
        const std::vector<std::string> lines = WritePolicies(set, all);
        size_t border = lines.size();
        size_t caption = lines.size();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].rfind("Default TABLE border colour", 0) == 0) border = i;
            if (lines[i].rfind("Default TABLE caption", 0) == 0) caption = i;
        }
        ASSERT_LT(caption, lines.size()) << "all=" << all;
        EXPECT_NE(lines[caption].find(": Sales by region"), std::string::npos);
        if (all) {
            EXPECT_EQ(caption, border + 1);
        }
    }
}

TEST(PolicyFileReader, RepeatsIncludesAndFailures) {
    PolicyFolder dir;
    dir.Write("inner.pol", "TAB size : 4\n");
    dir.Write("dictionary.txt", "Link definition: \"Gizmo\" = \"the gizmo\" + \"gizmo.htm\"\n");
    dir.Write("switched.pol", "Min chapter size : 12\n");
    std::string main = dir.Write("main.pol",
                                 "! comment\r\n"
                                 "Page Width : 70\n"
                                 "Page Width : 90\n"
                                 "include file : inner.pol\n"
                                 "Link Dictionary file : dictionary.txt\n"
                                 "include file : missing.pol\n"
                                 "include file : main.pol\n"
                                 "Directory filename : a\n"
                                 "Directory filename : b\n"
                                 "Switch to file : switched.pol\n"
                                 "Page Width : 10\n");
    FC set;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadFile(set, main), 0);
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("POLICY: Ignoring repeated policy \\Page Width\\"), std::string::npos);
    EXPECT_NE(messages.find("** Failed to open policy include file missing.pol ***"), std::string::npos);
    EXPECT_NE(messages.find("** Failed to open policy include file main.pol ***"), std::string::npos);
    EXPECT_EQ(messages.find("Directory filename"), std::string::npos);
    EXPECT_EQ(set.GetInt(Pol::PageWidth), 70);
    EXPECT_EQ(set.GetInt(Pol::TabSize), 4);
    EXPECT_EQ(set.GetInt(Pol::MinChapterSize), 12);
    EXPECT_EQ(set.GetText(Pol::DirectoryFilename).str(), "a");
    EXPECT_EQ(set.GetLinkDefinitionCount(), 1);
    EXPECT_EQ(set.GetText(Pol::LinkDictionaryFile).str(), "dictionary.txt");
}

TEST(PolicyFileReader, BadInputNeverCrashes) {
    PolicyFolder dir;
    std::mt19937 random(42);
    std::string noise;
    for (int i = 0; i < 20000; ++i) noise.push_back(static_cast<char>(random() & 0xFF));
    std::string longLine = "Document Keywords : " + std::string(1 << 20, 'k') + "\n";
    for (const auto& [name, content] :
         std::vector<std::pair<std::string, std::string>>{{"noise.pol", noise},
                                                          {"long.pol", longLine},
                                                          {"empty.pol", ""},
                                                          {"self.pol", "include file : self.pol\n"}}) {
        FC set;
        testing::internal::CaptureStderr();
        int result = ReadFile(set, dir.Write(name, content));
        testing::internal::GetCapturedStderr();
        EXPECT_GE(result, 0) << name;
    }
}

TEST(PolicySet, CopiedLinkDefinitionsAreEscapedOnce) {
    Context context(1, 0);
    FC source;
    source.SetContext(&context);
    source.AddLinkDefinition("less", "a<b & c", "less.htm");
    FC copy;
    copy.SetContext(&context);
    copy.CopyPolicies(source);
    ASSERT_EQ(copy.GetLinkDefinitionCount(), 1);
    EXPECT_EQ(copy.GetLinkDictionary()->GetAt(0)->linkText.str(), "a&lt;b &amp; c");
    StringList lines;
    TextFile sink;
    sink.outputList = &lines;
    sink.OpenForWrite("x", 0, 0);
    copy.WriteLinkDictionary(sink);
    ASSERT_EQ(lines.count, 1);
    EXPECT_EQ(lines.GetAt(0)->text.str(), "Link definition: \"less\" = \"a<b & c\" + \"less.htm\"");
}
