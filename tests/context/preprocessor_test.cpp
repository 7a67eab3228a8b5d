#include "context/preprocessor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/reading_harness.h"
#include "support/temp_folder.h"

namespace {

std::string DataPath(const std::string& name) { return std::string(VENDREL_TEST_DATA_DIR) + "/reading/" + name; }

const TextString& DocumentText(ReadingHarness& harness, int index) {
    return harness.context.documentState.documentTexts[static_cast<size_t>(index)];
}

TabConfig& Table(ReadingHarness& harness) { return *harness.policies.GetCurrentTabConfig(); }

// ---------------------------------------------------------------------------
// Input files with the expected dump of the delivered lines.  With the
// environment variable VENDREL_UPDATE_READING_DATA set, the expected files
// are written instead of compared (review them before committing).

struct FileCase {
    const char* name;
    int format;
    std::vector<const char*> policyLines;
};

class ReadingFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(ReadingFileTest, DeliversTheExpectedLines) {
    const FileCase& c = GetParam();
    ReadingHarness harness(c.format);
    for (const char* line : c.policyLines) harness.SetPolicy(line);
    std::string dump = harness.ReadFile(DataPath(std::string(c.name) + ".txt"));
    EXPECT_FALSE(harness.limitReached);
    const std::string expectedPath = DataPath(std::string(c.name) + ".expected");
    if (std::getenv("VENDREL_UPDATE_READING_DATA")) {
        std::ofstream(expectedPath, std::ios::binary) << dump;
        return;
    }
    EXPECT_EQ(dump, ReadWhole(expectedPath));
}

INSTANTIATE_TEST_SUITE_P(Files, ReadingFileTest,
                         testing::Values(FileCase{"ignore_nested", 0, {}}, FileCase{"unknown_directives", 0, {}},
                                         FileCase{"linerule_split", 0, {}}, FileCase{"document_texts", 0, {}},
                                         FileCase{"escaping_html", 0, {}}, FileCase{"escaping_rtf", 1, {}},
                                         FileCase{"definitions", 0, {}}, FileCase{"form_feed", 0, {}},
                                         FileCase{"lines_to_ignore", 0, {"Lines to ignore at start of file : 3"}},
                                         FileCase{"end_pre", 0, {"Preserve file structure using <PRE> : yes"}},
                                         FileCase{"double_spaced", 0, {"Input file is double spaced : yes"}},
                                         FileCase{"preprocessor_off", 0, {"Use Preprocessor : no"}},
                                         FileCase{"sections", 0, {"Include document section : Intro"}},
                                         FileCase{"special_blocks", 0, {}}, FileCase{"contents", 0, {}},
                                         FileCase{"structure_directives", 0, {}}, FileCase{"change_policy", 0, {}}),
                         [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Keyword matching and removal

TEST(PreprocessorKeywords, LineStartsWithComparesTheStartWithoutCase) {
    struct Case {
        const char* text;
        const char* keyword;
        bool expected;
    };
    // clang-format off
    const Case cases[] = {
        {"$_$_TITLE x", "$_$_TITLE", true},   {"$_$_title x", "$_$_TITLE", true},
        {"$_$_TITLEx", "$_$_TITLE", true},    {" $_$_TITLE", "$_$_TITLE", false},
        {"x $_$_TITLE", "$_$_TITLE", false},  {"$_$_TIT", "$_$_TITLE", false},
        {"", "$_$_TITLE", false},             {"anything", "", false},
        {"$_$_TABLE_BORDERCOLOR red", "$_$_TABLE_BORDER", true},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(LineStartsWith(TextString(c.text), c.keyword), c.expected) << c.text;
}

TEST(PreprocessorKeywords, RemoveDirectiveFromLineIgnoresCase) {
    ReadingHarness harness;
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"$_$_TITLE Report", " Report"},
        {"$_$_title Report", " Report"},
        {"$_$_TiTlE Report $_$_TITLE", " Report $_$_TITLE"},
    };
    for (const Case& c : cases) {
        TextString text(c.text);
        RemoveDirectiveFromLine(harness.policies, text, "$_$_TITLE");
        EXPECT_EQ(text.str(), c.expected);
    }
    EXPECT_TRUE(harness.messages.empty());

    TextString other("no keyword here");
    RemoveDirectiveFromLine(harness.policies, other, "$_$_TITLE");
    EXPECT_EQ(other.str(), "no keyword here");
    EXPECT_EQ(harness.CountMessages(
                  "TAG ERROR: Failed to remove directive \"$_$_TITLE\" from input line (may be case sensitive)"),
              1);
}

TEST(PreprocessorKeywords, TheKeywordTableFollowsTheDirectiveDelimiter) {
    ReadingHarness harness;
    harness.SetPolicy("Directive delimiter : ##");
    harness.ReadText("##TITLE Hash\n$_$_TITLE Dollar\n##title more\nx [[LINERULE 2]] y\n");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "Hash more");
    EXPECT_EQ(harness.context.directives[kDirTitle].str(), "##TITLE");
    ASSERT_EQ(harness.lines.size(), 4u);
    EXPECT_EQ(harness.lines[0].text, "$_$_TITLE Dollar");
    EXPECT_EQ(harness.lines[0].tagCode, -3);
    EXPECT_EQ(harness.lines[2].text, "##LINERULE 2 ");
    EXPECT_EQ(harness.lines[2].tagCode, kStatementLineRule);

    // The end marker the reader adds closes the block under the new prefix.
    harness.SetPolicy("Preserve file structure using <PRE> : yes");
    harness.ReadText("##BEGIN_PRE\ntext\n");
    ASSERT_EQ(harness.lines.size(), 2u);
    EXPECT_EQ(harness.lines[1].text, "##END_PRE");
    EXPECT_EQ(harness.lines[1].tagCode, kStatementEndSpecialBlock);
}

TEST(PreprocessorKeywords, KeywordsLongerThanTheComparedStartOfTheLine) {
    // A prefix of 70 bytes makes every keyword longer than the start of the
    // line that the directive table compares at once.
    const std::string prefix(70, '%');
    ReadingHarness harness;
    harness.SetPolicy(("Directive delimiter : " + prefix).c_str());
    harness.ReadText(prefix + "title Long\n" + prefix + "TITLE more\n" + std::string(69, '%') + "TITLE no\n");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "Long more");
    ASSERT_EQ(harness.lines.size(), 1u);
    EXPECT_EQ(harness.lines[0].text, std::string(69, '%') + "TITLE no");
}

TEST(PreprocessorKeywords, AnEmptyDirectiveDelimiterKeepsTheDefaultPrefix) {
    ReadingHarness harness;
    harness.policies.SetText(Pol::DirectiveDelimiter, "");
    harness.ReadText("TITLE is text\n$_$_TITLE Set\n");
    ASSERT_EQ(harness.lines.size(), 1u);
    EXPECT_EQ(harness.lines[0].text, "TITLE is text");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "Set");
}

// ---------------------------------------------------------------------------
// Directives with effects on the context

TEST(PreprocessorDirectives, DocumentTextsCollectTheirArguments) {
    ReadingHarness harness;
    harness.ReadFile(DataPath("document_texts.txt"));
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "A B");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentKeywords).str(), "alpha,beta");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentDescription).str(), "First second");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentShortcutIcon).str(), "icon.ico");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentStyleSheet).str(), "style.css");
    // Taken from the escaped text.
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentBaseHref).str(), "http://x/?a&amp;b");
    EXPECT_TRUE(harness.messages.empty());
}

TEST(PreprocessorDirectives, TitleTakesTheUnescapedTextAndAnyCase) {
    ReadingHarness harness;
    harness.ReadText("$_$_title Report & Summary\n$_$_Description  x < y\n");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "Report & Summary");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentDescription).str(), "x < y");
    EXPECT_EQ(harness.CountMessages("TAG ERROR"), 0);
}

TEST(PreprocessorDirectives, AllowAndDisallowWorkInAnyCase) {
    ReadingHarness harness;
    harness.ReadText("$_$_disallow Lists\n");
    const Tracker& tracker = harness.context.trackers.input;
    EXPECT_EQ(tracker.permissions[kAllowList1], 0);
    EXPECT_EQ(tracker.permissions[kAllowHeading1], 1);
    ASSERT_EQ(harness.lines.size(), 1u);
    EXPECT_EQ(harness.lines[0].tagCode, kStatementDisallow);

    harness.context.trackers.input.permissions[kAllowList1] = 0;
    harness.ReadText("$_$_allow Lists\n");
    EXPECT_EQ(harness.context.trackers.input.permissions[kAllowList1], 1);
}

TEST(PreprocessorDirectives, StructureDirectivesRecordTagsAndSwitches) {
    ReadingHarness harness;
    harness.ReadFile(DataPath("structure_directives.txt"));
    const DocumentState& state = harness.context.documentState;
    EXPECT_EQ(state.fileSwitches[DocumentState::kTocDirectiveSeen], 1);
    EXPECT_EQ(state.fileSwitches[DocumentState::kContentsListDirectiveSeen], 1);
    EXPECT_EQ(state.fileSwitches[DocumentState::kNewFileDirectiveSeen], 1);

    // NEWFILE is delivered as line 9, so the tags recorded while reading the
    // following lines belong to the line after it.
    ASSERT_EQ(state.tags.Count(), 5);
    const char* names[] = {"NEWFILE", "FILENAME", "HELP_CHAPTER", "HELP_SUBJECT", "HELP_TOPIC_ID"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(state.tags.GetAt(i)->name.str(), names[i]);
        EXPECT_EQ(state.tags.GetAt(i)->position.unit, 0);
    }
    EXPECT_EQ(state.tags.GetAt(0)->position.line, 9);
    EXPECT_EQ(state.tags.GetAt(1)->position.line, 10);

    ASSERT_EQ(state.metaTags.size(), 1u);
    EXPECT_EQ(state.metaTags[0].name.str(), "robots");
    EXPECT_EQ(state.metaTags[0].content.str(), "noindex");
}

TEST(PreprocessorDirectives, MetaTagLinesSplitIntoNameAndContent) {
    struct Case {
        const char* line;
        const char* name;
        const char* content;
    };
    const Case cases[] = {
        {"$_$_META_TAG robots noindex", "robots", "noindex"},
        {"$_$_META_TAG \"robots\" noindex", "robots", "noindex"},
        {"  $_$_META_TAG   \"author name\"   Jo Smith  ", "author name", "Jo Smith"},
        {"$_$_META_TAG", "", ""},
        {"$_$_META_TAG \"", "", "\""},
    };
    for (const Case& c : cases) {
        TextString name, content;
        ParseMetaTagLine(TextString(c.line), name, content);
        EXPECT_EQ(name.str(), c.name) << c.line;
        EXPECT_EQ(content.str(), c.content) << c.line;
    }
}

TEST(PreprocessorDirectives, RecordDirectiveTagUsesTheLineAfterTheCurrentOne) {
    ReadingHarness harness;
    harness.context.trackers.input.position = SourcePosition(0, 7);
    RecordDirectiveTag(harness.policies, "FILENAME", TextString("$_$_FILENAME out, two"));
    harness.context.trackers.input.position = SourcePosition(2, 7);
    RecordDirectiveTag(harness.policies, "FILENAME", TextString("$_$_FILENAME other"));
    const TagList& tags = harness.context.documentState.tags;
    ASSERT_EQ(tags.Count(), 2);
    EXPECT_EQ(tags.GetAt(0)->position.line, 8);
    EXPECT_EQ(tags.GetAt(0)->text.str(), "|out|two");
    EXPECT_EQ(tags.GetAt(1)->position.unit, 0);
    EXPECT_EQ(tags.GetAt(1)->position.line, 0);
}

TEST(PreprocessorDirectives, ChangePolicyActsByCategory) {
    ReadingHarness harness;
    harness.ReadFile(DataPath("change_policy.txt"));
    // Category 2: at once, the line is not delivered.
    EXPECT_EQ(harness.policies.GetInt(Pol::PageWidth), 60);
    // Category 3 and 4: delivered with 1008 for the output side.
    EXPECT_EQ(harness.policies.GetInt(Pol::LinesToIgnoreAtEnd), 0);
    EXPECT_EQ(Table(harness).GetInt(TabPol::BorderSize), 0);
    EXPECT_EQ(harness.CountMessages("POLICY: Changed - Page Width : 60"), 1);
    EXPECT_EQ(harness.CountMessages("POLICY: Changed - Lines to ignore at end of file : 2"), 1);
    EXPECT_EQ(harness.CountMessages("No such policy"), 0);  // a line message
}

TEST(PreprocessorDirectives, ChangePolicyReachesTheContextsOwnSet) {
    ReadingHarness harness;
    harness.ReadText("$_$_CHANGE_POLICY Page Width : 70\n");
    EXPECT_EQ(harness.policies.GetInt(Pol::PageWidth), 70);
    EXPECT_EQ(harness.context.GetPolicies()->GetInt(Pol::PageWidth), 70);
}

// The text of a file never changes a policy that names a file, a folder or
// a file name; the line is reported and changes nothing.
TEST(PreprocessorDirectives, ChangePolicyNeverNamesAFile) {
    struct Case {
        const char* line;
        Pol policy;
    };
    for (const Case& c : {Case{"HTML header file : /etc/passwd", Pol::HTMLHeaderFile},
                          Case{"Input directory : /etc", Pol::InputDirectory},
                          Case{"Link Dictionary file : links.txt", Pol::LinkDictionaryFile},
                          Case{"Output file extension : .php", Pol::OutputFileExtension},
                          Case{"Output log filename : /tmp/x.log", Pol::OutputLogFilename}}) {
        SCOPED_TRACE(c.line);
        ReadingHarness harness;
        const TextString before = harness.policies.GetText(c.policy);
        harness.ReadText(std::string("$_$_CHANGE_POLICY ") + c.line + "\nplain\n");
        EXPECT_FALSE(harness.policies.IsSet(c.policy));
        EXPECT_EQ(harness.policies.GetText(c.policy).str(), before.str());
        EXPECT_EQ(harness.CountMessages(std::string("WARNING: Ignored CHANGE_POLICY line \"") + c.line + "\""), 1);
        ASSERT_EQ(harness.lines.size(), 1u);  // the line is not handed on
        EXPECT_EQ(harness.lines[0].text, "plain");
    }
    // An output policy is handed on to be applied where it stands.
    ReadingHarness harness;
    harness.ReadText("$_$_CHANGE_POLICY Default TABLE border size : 3\nplain\n");
    ASSERT_EQ(harness.lines.size(), 2u);
    EXPECT_EQ(harness.lines[0].tagCode, kStatementChangePolicy);
}

TEST(PreprocessorDirectives, ChangePolicyOfTheDirectiveDelimiterTakesEffect) {
    ReadingHarness harness;
    harness.ReadText("$_$_CHANGE_POLICY Directive delimiter : @@\n@@TITLE New\n$_$_TITLE Old\n");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "New");
    ASSERT_EQ(harness.lines.size(), 1u);
    EXPECT_EQ(harness.lines[0].text, "$_$_TITLE Old");
}

// ---------------------------------------------------------------------------
// Table settings

TEST(PreprocessorTableSettings, EachSettingReachesTheDefaultConfiguration) {
    struct IntCase {
        const char* line;
        TabPol policy;
        int expected;
    };
    const IntCase ints[] = {
        {"$_$_TABLE_BORDER 3", TabPol::BorderSize, 3},
        {"$_$_TABLE_BORDER (none)", TabPol::BorderSize, 0},
        {"$_$_TABLE_BORDER 99999999999", TabPol::BorderSize, 0},
        {"$_$_TABLE_BORDER wide", TabPol::BorderSize, 0},
        {"$_$_TABLE_HEADER_ROWS 2", TabPol::HeaderRows, 2},
        {"$_$_TABLE_HEADER_COLS 1", TabPol::HeaderCols, 1},
        {"$_$_TABLE_CELLPADDING 5", TabPol::CellPadding, 5},
        {"$_$_TABLE_CELLSPACING (NONE)", TabPol::CellSpacing, 0},
        {"$_$_TABLE_MIN_COLUMN_SEPARATION 4", TabPol::MinColumnSeparation, 4},
        {"$_$_TABLE_MIN_COLUMN_SEPARATION (none)", TabPol::MinColumnSeparation, 1},
        {"$_$_TABLE_ALIGN center", TabPol::TableAlignment, 2},
        {"$_$_TABLE_ALIGN middle", TabPol::TableAlignment, 0},
        {"$_$_TABLE_CELL_ALIGN Right", TabPol::CellAlignment, 3},
        {"$_$_TABLE_MAY_BE_SPARSE", TabPol::ExpectSparseTables, 1},
        {"$_$_TABLE_CONVERT_XREFS", TabPol::ConvertXRefs, 1},
        {"$_$_TABLE_COLOUR_ROWS yes", TabPol::ColourDataRows, 1},
        {"$_$_TABLE_COLOR_ROWS NO", TabPol::ColourDataRows, 0},
        {"$_$_TABLE_USE_PERCENTAGES", TabPol::UsePercentageWidths, 1},
        {"$_$_TABLE_ADD_TOTAL_WIDTH no", TabPol::AddTableWidth, 0},
        {"$_$_TABLE_ADD_TOTAL_WIDTH yes", TabPol::AddTableWidth, 1},
    };
    for (const IntCase& c : ints) {
        ReadingHarness harness;
        harness.ReadText(std::string(c.line) + "\n");
        EXPECT_EQ(Table(harness).GetInt(c.policy), c.expected) << c.line;
        EXPECT_TRUE(harness.lines.empty()) << c.line;
    }

    struct TextCase {
        const char* line;
        TabPol policy;
        const char* expected;
    };
    const TextCase texts[] = {
        {"$_$_TABLE_BORDERCOLOR 0000FF", TabPol::BorderColour, "Blue"},
        {"$_$_TABLE_BGCOLOR red", TabPol::TableColour, "red"},
        {"$_$_TABLE_BGCOLOR (none)", TabPol::TableColour, ""},
        {"$_$_TABLE_ODD_ROW_COLOUR (none)", TabPol::OddRowColour, "#F0F0F0"},
        {"$_$_TABLE_ODD_ROW_COLOR 123456", TabPol::OddRowColour, "#123456"},
        {"$_$_TABLE_EVEN_ROW_COLOUR (none)", TabPol::EvenRowColour, "#E0F0E0"},
        {"$_$_TABLE_EVEN_ROW_COLOR #000000", TabPol::EvenRowColour, "Black"},
        {"$_$_TABLE_CAPTION Sales & costs", TabPol::Caption, "Sales &amp; costs"},
        {"$_$_TABLE_DELIMITER ;", TabPol::DelimiterCharacter, ";"},
        {"$_$_TABLE_DELIMITER (None)", TabPol::DelimiterCharacter, ""},
        {"$_$_TABLE_WIDTH 80%", TabPol::Width, "80%"},
    };
    for (const TextCase& c : texts) {
        ReadingHarness harness;
        harness.ReadText(std::string(c.line) + "\n");
        EXPECT_EQ(Table(harness).GetText(c.policy).str(), c.expected) << c.line;
    }
}

TEST(PreprocessorTableSettings, BorderColourIsNotTakenForTheBorderSize) {
    ReadingHarness harness;
    harness.ReadText("$_$_TABLE_BORDERCOLOR 0000FF\n");
    EXPECT_EQ(Table(harness).GetInt(TabPol::BorderSize), 0);
    EXPECT_FALSE(Table(harness).IsSet(TabPol::BorderSize));
}

// The document's own TABLE_MIN_COLUMN_SEPARATION is marked as given (the
// analysis then uses it as it stands); the same value from a policy line, or
// a value the directive refuses, is not.
TEST(PreprocessorTableSettings, OnlyTheSeparationDirectiveGivesTheSeparationAsItStands) {
    const std::pair<const char*, int> cases[] = {
        {"$_$_TABLE_MIN_COLUMN_SEPARATION 1", 1},
        {"$_$_TABLE_MIN_COLUMN_SEPARATION (none)", 1},
        {"$_$_TABLE_MIN_COLUMN_SEPARATION wide", 0},
        {"$_$_CHANGE_POLICY Minimum TABLE column separation : 1", 0},
    };
    for (const auto& [line, given] : cases) {
        ReadingHarness harness;
        harness.ReadText(std::string(line) + "\n");
        EXPECT_EQ(Table(harness).separationAsGiven, given) << line;
    }
}

// ---------------------------------------------------------------------------
// Special blocks and marking

TEST(PreprocessorBlocks, LinesCarryTheBlockTheyWereReadIn) {
    ReadingHarness harness;
    harness.ReadFile(DataPath("special_blocks.txt"));
    std::vector<int> kinds;
    for (const DeliveredLine& line : harness.lines) kinds.push_back(line.specialBlock);
    // a b, PARA, after para, BEGIN_USER_TABLE, u1, u2, END_USER_TABLE, code,
    // END_CODE, END_DIAGRAM, a,b, END_DELIMITED_TABLE, END_COMMA..., END_TAGGED...
    const std::vector<int> expected = {1, 0, 0, 6, 6, 6, 0, 2, 0, 0, 7, 0, 0, 0};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(harness.policies.preprocessor.inSpecialBlock, 0);
}

TEST(PreprocessorBlocks, BeginTableClosesAnOpenHtmlBlock) {
    ReadingHarness harness;
    harness.ReadText("$_$_BEGIN_HTML\n$_$_BEGIN_TABLE\nrow\n");
    EXPECT_EQ(harness.context.trackers.input.inHTML, 0);
    ASSERT_EQ(harness.lines.size(), 2u);
    EXPECT_FALSE(harness.lines[1].flags & kFlagProtected);
    EXPECT_TRUE(harness.lines[1].flags & kFlagNotAnalysed);
}

TEST(PreprocessorBlocks, CheckMissingEndTableClosesTheBlock) {
    ReadingHarness harness;
    AnalysedLine line;
    harness.policies.preprocessor.inSpecialBlock = 1;
    harness.policies.preprocessor.specialBlockKind = kSpecialCode;
    CheckMissingEndTable(harness.policies, line, "PARA");
    EXPECT_EQ(harness.policies.preprocessor.inSpecialBlock, 0);
    EXPECT_EQ(harness.policies.preprocessor.specialBlockKind, 0);
    // Line messages are not shown during a conversion.
    EXPECT_TRUE(harness.messages.empty());
}

TEST(PreprocessorBlocks, IgnoredBlocksRunAcrossIncludedFiles) {
    ReadingHarness harness;
    harness.policies.SetText(Pol::InputDirectory, harness.Folder().c_str());
    harness.WriteFile("part.txt", "$_$_BEGIN_IGNORE\npart hidden\n");
    harness.ReadText("$_$_INCLUDE part.txt\nstill hidden\n$_$_END_IGNORE\nshown\n");
    ASSERT_EQ(harness.lines.size(), 2u);
    EXPECT_EQ(harness.lines[0].tagCode, kStatementEndIgnore);
    EXPECT_EQ(harness.lines[1].text, "shown");
}

// ---------------------------------------------------------------------------
// INCLUDE

class PreprocessorInclude : public testing::Test {
protected:
    ReadingHarness harness;
    void SetUp() override { harness.policies.SetText(Pol::InputDirectory, harness.Folder().c_str()); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const DeliveredLine& line : harness.lines) texts.push_back(line.text);
        return texts;
    }
};

TEST_F(PreprocessorInclude, ReadsTheIncludedFileInPlace) {
    harness.WriteFile("b.txt", "b1\nb2\n");
    harness.ReadText("m1\n$_$_INCLUDE b.txt\nm2\n");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"m1", "b1", "b2", "m2"}));
    EXPECT_EQ(harness.CountStatus("INFO: Opened include file \"b.txt\""), 1);
    EXPECT_EQ(harness.CountMessages("ERROR"), 0);
}

TEST_F(PreprocessorInclude, TakesTheNameFromTheUnescapedText) {
    harness.WriteFile("a&b.txt", "inside\n");
    harness.ReadText("$_$_INCLUDE a&b.txt\n");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"inside"}));
}

TEST_F(PreprocessorInclude, RefusesItselfACycleAMissingFileAndADirectory) {
    harness.WriteFile("b.txt", "b1\n$_$_INCLUDE input.txt\nb2\n");
    harness.WriteFile("sub/c.txt", "c\n");
    harness.ReadText(
        "m1\n$_$_INCLUDE input.txt\n$_$_INCLUDE b.txt\n$_$_INCLUDE missing.txt\n$_$_INCLUDE sub\n"
        "$_$_INCLUDE\nm2\n");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"m1", "b1", "b2", "m2"}));
    EXPECT_EQ(harness.CountMessages("ERROR: Failed to open include file \"input.txt\""), 2);
    EXPECT_EQ(harness.CountMessages("ERROR: Failed to open include file \"missing.txt\""), 1);
    // A folder is refused by name, with the system's reason.
    EXPECT_EQ(harness.CountMessages("/sub\": Is a directory"), 1);
    EXPECT_EQ(harness.CountMessages("ERROR: Failed to open include file \"sub\""), 0);
    EXPECT_EQ(harness.CountMessages("ERROR: Failed to open include file \"\""), 1);
}

TEST_F(PreprocessorInclude, CapsTheNestingDepth) {
    const int files = 40;
    for (int i = 1; i < files; ++i)
        harness.WriteFile("f" + std::to_string(i) + ".txt",
                          "line " + std::to_string(i) + "\n$_$_INCLUDE f" + std::to_string(i + 1) + ".txt\n");
    harness.ReadText("line 0\n$_$_INCLUDE f1.txt\n");
    // The main file and 31 included files are read.
    EXPECT_EQ(harness.lines.size(), 32u);
    EXPECT_EQ(harness.CountMessages("ERROR: Failed to open include file \"f32.txt\""), 1);
    EXPECT_EQ(harness.CountMessages("ERROR: Failed to open include file"), 1);
}

// ---------------------------------------------------------------------------
// Unknown directives and the preprocessor switch

TEST(PreprocessorUnknown, UnknownDirectivesAreConsumedWithAWarning) {
    ReadingHarness harness;
    harness.ReadFile(DataPath("unknown_directives.txt"));
    EXPECT_EQ(harness.CountMessages("WARNING: Unknown directive ignored - \"$_$_BOGUS thing\""), 1);
    EXPECT_EQ(harness.CountMessages("WARNING: Unknown directive ignored - \"$_$_TITEL Misspelt\""), 1);
    EXPECT_EQ(harness.CountMessages("WARNING: Unknown directive ignored - \"$_$_BEGIN_TAGGED_TABLE\""), 1);
    EXPECT_EQ(harness.CountMessages("WARNING: Unknown directive ignored - \"$_$_\""), 1);
    EXPECT_EQ(harness.messages.size(), 4u);
}

TEST(PreprocessorUnknown, IgnoredOrExcludedTextSetsNothingAndWarnsOfNothing) {
    ReadingHarness harness;
    harness.SetPolicy("Include document section : Intro");
    harness.ReadFile(DataPath("sections.txt"));
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "");
    harness.ReadText("$_$_BEGIN_IGNORE\n$_$_BOGUS\n$_$_END_IGNORE\n");
    EXPECT_EQ(harness.CountMessages("Unknown directive"), 0);
}

TEST(PreprocessorUnknown, EachFileStartsWithAFreshState) {
    ReadingHarness harness;
    harness.ReadText("$_$_BEGIN_CODE\n$_$_BEGIN_IGNORE\n");
    EXPECT_EQ(harness.policies.preprocessor.ignoreDepth, 1);
    EXPECT_EQ(harness.policies.preprocessor.specialBlockKind, kSpecialCode);
    harness.ReadText("seen\n");
    ASSERT_EQ(harness.lines.size(), 1u);
    EXPECT_EQ(harness.lines[0].flags, static_cast<uint32_t>(kFlagDefault));
}

TEST(PreprocessorUnknown, SectionsCompareTheirNamesAsWritten) {
    ReadingHarness harness;
    harness.SetPolicy("Include document section : R&D");
    harness.ReadText("$_$_SECTION R&D\nkept\n$_$_SECTION Other\ndropped\n");
    ASSERT_EQ(harness.lines.size(), 1u);
    EXPECT_EQ(harness.lines[0].text, "kept");
    EXPECT_EQ(DocumentText(harness, DocumentState::kDocumentTitle).str(), "");
}

// ---------------------------------------------------------------------------
// The in-line LINERULE split

TEST(PreprocessorLineRule, TheStartTagIsFoundInAnyCase) {
    ReadingHarness harness;
    harness.ReadText("A [[LiNeRuLe 10]] B\n");
    ASSERT_EQ(harness.lines.size(), 3u);
    EXPECT_EQ(harness.lines[0].text, "A ");
    EXPECT_EQ(harness.lines[1].text, "$_$_LINERULE 10 ");
    EXPECT_EQ(harness.lines[1].tagCode, kStatementLineRule);
    EXPECT_EQ(harness.lines[2].text, " B ");
}

TEST(PreprocessorLineRule, ADelimiterOfLettersIsFoundInAnyCase) {
    ReadingHarness harness;
    harness.SetPolicy("Start tag delimiter : Zq");
    harness.SetPolicy("End tag delimiter : qZ");
    harness.ReadText("A zQLINERULE 10qZ B\nplain\n");
    ASSERT_EQ(harness.lines.size(), 4u);
    EXPECT_EQ(harness.lines[0].text, "A ");
    EXPECT_EQ(harness.lines[1].text, "$_$_LINERULE 10 ");
    EXPECT_EQ(harness.lines[2].text, " B ");
    EXPECT_EQ(harness.lines[3].text, "plain");
}

TEST(PreprocessorLineRule, ThePartBeforeTheTagIsEscaped) {
    ReadingHarness harness;
    harness.ReadText("a & b [[LINERULE]]\n");
    ASSERT_EQ(harness.lines.size(), 2u);
    EXPECT_EQ(harness.lines[0].text, "a &amp; b ");
}

// In a table the tag is a cell tag: the line keeps its place and its cells.
TEST(PreprocessorLineRule, TableLinesAreNotCut) {
    {
        ReadingHarness harness;
        harness.wholeFileIsTable = true;
        harness.ReadText("Alpha   one[[LINERULE 25%]]two\nBeta    plain\n");
        ASSERT_EQ(harness.lines.size(), 2u);
        EXPECT_EQ(harness.lines[0].text.rfind("Alpha   one", 0), 0u) << harness.lines[0].text;
        EXPECT_NE(harness.lines[0].text.find("two"), std::string::npos) << harness.lines[0].text;
    }
    {
        ReadingHarness harness;
        harness.ReadText("$_$_BEGIN_TABLE\nAlpha   one[[LINERULE]]two\n$_$_END_TABLE\nx [[LINERULE]] y\n");
        ASSERT_EQ(harness.lines.size(), 5u);
        EXPECT_NE(harness.lines[0].text.find("two"), std::string::npos) << harness.lines[0].text;
        EXPECT_EQ(harness.lines[2].text, "x ");
        EXPECT_EQ(harness.lines[3].tagCode, kStatementLineRule);
    }
}

TEST(PreprocessorLineRule, APrefixHoldingTheTagDoesNotCutForever) {
    ReadingHarness harness;
    harness.SetPolicy("Directive delimiter : z[[LINERULE");
    harness.lineLimit = 1000;
    harness.ReadText("x [[LINERULE y\nplain\n");
    EXPECT_FALSE(harness.limitReached);
    ASSERT_EQ(harness.lines.size(), 2u);
    EXPECT_EQ(harness.lines[0].text, "x [[LINERULE y");
}

// ---------------------------------------------------------------------------
// Bad input never stops the reading

class PreprocessorBadInput : public testing::TestWithParam<int> {};

TEST_P(PreprocessorBadInput, BinaryBytesAreRead) {
    ReadingHarness harness(GetParam());
    std::string content;
    uint32_t seed = 12345;
    for (int i = 0; i < 64 * 1024; ++i) {
        seed = seed * 1103515245u + 12345u;
        content.push_back(static_cast<char>((seed >> 16) & 0xFF));
        if (i % 997 == 0) content += "$_$_";
        if (i % 1499 == 0) content += "[[";
        if (i % 1999 == 0) content += "]]";
    }
    harness.ReadText(content);
    EXPECT_FALSE(harness.limitReached);
    EXPECT_FALSE(harness.lines.empty());
}

TEST_P(PreprocessorBadInput, NulBytesAreRead) {
    ReadingHarness harness(GetParam());
    const char raw[] = "a\0b\n$_$_TITLE x\0y\n\0\0\0\n$_$_\0INCLUDE\n[[\0]]\nend\n";
    harness.ReadText(std::string(raw, sizeof raw - 1));
    EXPECT_FALSE(harness.limitReached);
    ASSERT_FALSE(harness.lines.empty());
    EXPECT_EQ(harness.lines.back().text, "end");
}

TEST_P(PreprocessorBadInput, AVeryLongLineIsRead) {
    ReadingHarness harness(GetParam());
    std::string content(1024 * 1024, 'x');
    content += "\n";
    std::string tags;
    while (tags.size() < 32 * 1024) tags += "[[LINERULE 1]] [[TEXT t]] [[";
    content += tags + "\nend\n";
    harness.ReadText(content);
    EXPECT_FALSE(harness.limitReached);
    ASSERT_FALSE(harness.lines.empty());
    EXPECT_EQ(harness.lines.back().text, "end");
}

TEST_P(PreprocessorBadInput, UnterminatedTagsAreRead) {
    ReadingHarness harness(GetParam());
    harness.ReadText("[[\n[[TEXT\nx [[LINERULE\n]] [[ ]]\n[[[[[[\nend\n");
    EXPECT_FALSE(harness.limitReached);
    ASSERT_FALSE(harness.lines.empty());
    EXPECT_EQ(harness.lines.back().text, "end");
}

TEST_P(PreprocessorBadInput, EveryDirectiveWithoutArgumentIsRead) {
    ReadingHarness harness(GetParam());
    std::string content;
    for (int slot = 0; slot < kDirectiveSlots; ++slot) {
        const char* name = GetDirectiveName(slot);
        if (!*name || std::string(name) == "INCLUDE") continue;
        content += std::string("$_$_") + name + "\n";
        content += std::string("$_$_") + name + " \n";
    }
    content += "$_$_INCLUDE\n$_$_END_IGNORE\n$_$_END_ASCII\n$_$_END_BLOCK\nend\n";
    harness.ReadText(content);
    EXPECT_FALSE(harness.limitReached);
    ASSERT_FALSE(harness.lines.empty());
    EXPECT_EQ(harness.lines.back().text, "end");
}

INSTANTIATE_TEST_SUITE_P(Formats, PreprocessorBadInput, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) { return info.param ? "RTF" : "HTML"; });

}  // namespace
