#include "output/file_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/inline_tag_args.h"
#include "context/context.h"
#include "context/wrapped_text_file.h"
#include "foundation/text_line.h"
#include "output/markup/heading_anchors.h"
#include "policies/fc.h"
#include "policies/link_dictionary.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"

namespace {

class FileNamesTest : public testing::Test {
protected:
    void SetUp() override { set.SetContext(&context); }
    std::vector<std::string> Pending(const WrappedTextFile& source) {
        std::vector<std::string> lines;
        for (int i = 0; i < source.pendingLines.count; ++i) lines.push_back(source.pendingLines.TextAt(i));
        return lines;
    }
    Context context;
    FC set;
};

TEST_F(FileNamesTest, OutputListingAndStatisticsNames) {
    struct Case {
        const char* input;
        const char* outputPath;
        const char* runName;
        const char* runSpec;
        int listing, shortExtensions;
        std::vector<std::string> expected;  // output dir, name, extension, listing, second listing, statistics
    };
    const std::vector<Case> cases = {
        {"docs/report.txt",
         "",
         "",
         "",
         1,
         0,
         {"docs/", "report", ".html", "docs/report.lis1", "docs/report.lis", "docs/report.stats"}},
        {"docs/report.txt",
         "",
         "",
         "",
         1,
         1,
         {"docs/", "report", ".html", "docs/report.ls1", "docs/report.lis", "docs/report.sts"}},
        {"IN.ASC", "", "", "", 0, 0, {"", "out", ".html", "", "", ""}},
        {"report.txt", "", "*", "x/*.htm", 0, 0, {"", "report", ".htm", "", "", ""}},
        {"report.txt", "", "given", "*.*", 0, 0, {"", "given", ".html", "", "", ""}},
        // The given output path wins part by part; its extension comes from
        // its last component only.
        {"a/report.txt", "out.d/final", "", "", 0, 0, {"out.d/", "final", ".html", "", "", ""}},
        {"a/report.txt", "out/final.xhtml", "", "", 0, 0, {"out/", "final", ".xhtml", "", "", ""}},
    };
    for (const Case& c : cases) {
        context.runParameters.outputName = c.runName;
        context.runParameters.outputSpec = c.runSpec;
        context.listingSwitch = c.listing;
        context.shortExtensions = c.shortExtensions;
        TextString inputDirectory, outputDirectory, name, extension, listing, secondListing, statistics;
        MakeOutputFileNames(TextString(c.input), TextString(c.outputPath), &set, 0, &inputDirectory,
                            &outputDirectory, &name, &extension, &listing, &secondListing, &statistics);
        const std::vector<std::string> got = {outputDirectory.str(), name.str(),          extension.str(),
                                              listing.str(),         secondListing.str(), statistics.str()};
        EXPECT_EQ(got, c.expected) << c.input << " " << c.outputPath;
    }
}

TEST_F(FileNamesTest, ContentsListPlacement) {
    struct Case {
        int expect, useExisting, add, external, splitLevel, files, directive;
        std::vector<int> mode;  // use existing, separate page, in document, external, directive flags
    };
    const std::vector<Case> cases = {
        {1, 1, 1, 1, 6, 3, 0, {1, 0, 0, 0, 0, 0}}, {0, 1, 1, 1, 6, 3, 0, {0, 0, 0, 1, 0, 0}},
        {0, 1, 1, 0, 6, 3, 0, {0, 1, 0, 0, 0, 0}}, {0, 1, 1, 0, 6, 1, 0, {0, 0, 1, 0, 0, 0}},
        {0, 1, 1, 0, 0, 3, 0, {0, 0, 1, 0, 0, 0}}, {0, 1, 0, 0, 6, 3, 0, {0, 0, 0, 0, 0, 0}},
        {0, 1, 1, 0, 6, 3, 1, {0, 0, 0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        set.SetInt(Pol::ExpectContentsList, c.expect);
        set.SetInt(Pol::UseExistingContentsList, c.useExisting);
        set.SetInt(Pol::AddContentsList, c.add);
        set.SetInt(Pol::GenerateExternalContentsFile, c.external);
        set.SetInt(Pol::SplitLevel, c.splitLevel);
        context.documentState.outputFiles.Clear();
        for (int i = 0; i < c.files; ++i) context.documentState.outputFiles.Add(("f" + std::to_string(i)).c_str());
        context.documentState.fileSwitches[DocumentState::kContentsListDirectiveSeen] = c.directive;
        SetContentsListMode(&set);
        const Context::ContentsListMode& m = context.contentsListMode;
        EXPECT_EQ((std::vector<int>{m.useExisting, m.separatePage, m.inDocument, m.externalFile, m.directiveSeen,
                                    m.atDirective}),
                  c.mode);
    }
}

TEST_F(FileNamesTest, FolioBlocksAndPreUseTheCurrentDirectivePrefix) {
    set.SetText(Pol::DirectiveDelimiter, "##");
    set.SetInt(Pol::PreserveFileStructureWithPre, 1);
    set.ruleSetCode = 1;
    WrappedTextFile source;
    DefineDefaultFolioBlocks(&set, &source);
    const std::vector<std::string> lines = Pending(source);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "##DEFINE_BLOCK DEFAULT_FOLIO_FOOTER");
    EXPECT_EQ(lines[1], "[_[VARIABLE FOLIO_FOOTER_PAGE_NUMBER]_][_[QUAD C]_]");
    EXPECT_EQ(lines[7], "##DEFINE_VARIABLE FOLIO_TEMPLATE,\"[Folio]\"");
    EXPECT_EQ(lines[10], "[_[PAGE_MARKER]_]");
    EXPECT_EQ(lines[11], "##BEGIN_PRE");

    WrappedTextFile plain;
    set.ruleSetCode = 0;
    DefineDefaultFolioBlocks(&set, &plain);
    EXPECT_EQ(Pending(plain), std::vector<std::string>{"##BEGIN_PRE"});
    WrappedTextFile rtf;
    context.outputFormat = 1;
    DefineDefaultFolioBlocks(&set, &rtf);
    EXPECT_TRUE(Pending(rtf).empty());
}

TEST_F(FileNamesTest, FragmentsFileQueuesOnlyDefinitions) {
    MessageRecorder messages(context);
    TempFolder temp("fragments");
    ASSERT_TRUE(temp.Made());
    const std::filesystem::path& folder = temp.Path();
    std::filesystem::create_directories(folder / "alt");
    std::ofstream(folder / "frag.txt") << "$_$_DEFINE_HTML_FRAGMENT X\n<hr>\n$_$_END_BLOCK\nstray text\n"
                                          "$_$_include part.txt\n$_$_UNKNOWN\n";
    std::ofstream(folder / "alt" / "part.txt") << "$_$_DEFINE_TEXT_FRAGMENT Y\n$_$_UNKNOWN\nbody\n$_$_END_BLOCK\n";
    set.SetText(Pol::InputDirectory, (folder.string() + "/").c_str());
    set.SetText(Pol::FragmentsFile, "frag.txt");
    context.fragmentsFolder = (folder / "alt").string().c_str();
    context.fragmentsFolder.Append("/");
    context.documentState.htmlOutput = 1;

    WrappedTextFile source;
    DefineDefaultFolioBlocks(&set, &source);
    EXPECT_EQ(Pending(source),
              (std::vector<std::string>{"$_$_DEFINE_HTML_FRAGMENT X", "<hr>", "$_$_END_BLOCK",
                                        "$_$_DEFINE_TEXT_FRAGMENT Y", "$_$_UNKNOWN", "body", "$_$_END_BLOCK"}));
    EXPECT_EQ(messages.Count("TAG ERROR: fragment file contains : $_$_UNKNOWN"), 2);

    set.SetText(Pol::FragmentsFile, "none.txt");
    WrappedTextFile missing;
    LoadFragmentsFile(&set, &missing);
    EXPECT_TRUE(Pending(missing).empty());
    EXPECT_EQ(messages.Count("ERROR: Can't find file none.txt"), 1);
}

TEST_F(FileNamesTest, TaggedFileNamesNearTheCurrentLine) {
    context.trackers.codeLocation = 1;
    auto addTag = [&](const char* name, const char* value, int line) {
        TextString arguments(name);
        arguments.Append(" ");
        arguments.Append(value);
        ParseTagArguments(set, arguments, name);
        context.documentState.tags.Add(&set, TextString(name), arguments, 0, SourcePosition(0, line));
    };
    addTag("FILENAME", "early.html", 10);
    addTag("NEWFILE", "later.html", 30);
    context.documentState.secondPass = 1;
    context.trackers.codeLocation = 3;
    struct Case {
        int line;
        std::vector<std::string> names;  // name and previous name
    };
    const std::vector<Case> cases = {
        {19, {"early", ""}},  // 9 lines away: taken
        {22, {"later", ""}},  // the following tag is nearer
        {23, {"", "early"}},  // the same value again: only the preceding tag
        {40, {"", "later"}},  // 10 lines away: not taken
        {5, {"early", ""}},  // no preceding tag
    };
    for (const Case& c : cases) {
        context.trackers.output.position = SourcePosition(0, c.line);
        TextString directory, name, extension, previousDirectory, previousName, previousExtension;
        GetTaggedFileDetails(&set, &directory, &name, &extension, &previousDirectory, &previousName,
                             &previousExtension);
        EXPECT_EQ((std::vector<std::string>{name.str(), previousName.str()}), c.names) << c.line;
    }
    context.documentState.secondPass = 0;
    TextString name("kept");
    GetTaggedFileDetails(&set, nullptr, &name, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(name.str(), "kept");
    EXPECT_EQ(set.messageText.str(), "PROGRAM ERROR: GetTaggedFileDetails not called on contents pass");
}

TEST_F(FileNamesTest, SourceAnchorsBecomeLinkDefinitions) {
    context.documentState.htmlOutput = 1;
    TextLine line;
    line.Assign("see <abbr>x</abbr> and <a href=\"t.html\"><b>the text</b></A>, the text again <a>the text</a>");
    TextString out;
    AddAnchorsToLinkDictionary(&set, &line, &out);
    EXPECT_EQ(out.str(), "see <abbr>x</abbr> and <b>the text</b>, the text again the text");
    LinkDictionary* dictionary = set.GetLinkDictionary();
    ASSERT_EQ(dictionary->count, 2);
    EXPECT_EQ(dictionary->GetAt(0)->anchorMarkup.str(), "<a href=\"t.html\">");
    EXPECT_EQ(dictionary->GetAt(0)->occurrence, 1);
    EXPECT_EQ(dictionary->GetAt(1)->occurrence, 3);
}

TEST_F(FileNamesTest, HeadingNumbersAndTitles) {
    set.headingLevels[0].hasPrefix = 1;
    set.contentsLevels[1].hasPrefix = 1;
    struct Case {
        int lineType;
        int noEscaping;
        const char* text;
        const char* number;
        const char* title;
    };
    const std::vector<Case> cases = {
        {102, 1, "2.1 Methods  used", "2.1", "Methods  used"},
        {102, 1, "1)Scope", "1)", "Scope"},
        {102, 1, "a)(b) Scope", "a)(b)", "Scope"},  // two brackets: left alone
        {101, 1, "Chapter 3 Results", "Chapter 3", "Results"},
        {101, 1, "Part One 4 End", "Part One 4", "End"},
        {152, 1, "Part 2  Tools", "Part 2", "Tools"},
        {153, 0, "3.1.1 A & B", "3.1.1", "A &amp; B"},
        {111, 1, "Plain heading", "", "Plain heading"},
    };
    for (const Case& c : cases) {
        TextString text(c.text), number, title;
        SplitHeadingNumber(&set, &c.lineType, c.noEscaping, &text, &number, &title);
        EXPECT_EQ(number.str(), c.number) << c.text;
        EXPECT_EQ(title.str(), c.title) << c.text;
    }
}

}  // namespace
