#include "analysis/fragment_variables.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "foundation/utilities.h"
#include "output/tag_executors.h"
#include "policies/fc.h"
#include "policies/policy_value.h"
#include "support/recording_document.h"

namespace {

class FragmentVariablesTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        InstallTagExecutors(context);
        recorder = std::make_unique<MessageRecorder>(context);
    }
    void SetPageWidth(int width) {
        static_cast<IntPolicyValue*>(context.optionGroups.formatting.Find(kOptTargetPageWidth))->iValue = width;
    }
    void SetHeaderTexts(std::initializer_list<const char*> texts) {
        size_t i = 0;
        for (const char* text : texts) context.documentState.headerTexts[i++] = text;
    }
    // The line's text after its fragment variables are expanded.
    std::string Expand(const std::string& text, int* count = nullptr) {
        AnalysedLine line;
        line.SetText(text.c_str());
        const int expanded = ExpandInlineTags(set, line, SourcePosition());
        if (count) *count = expanded;
        return line.str();
    }
    // `body` as a framed text-header line of the page width.
    static std::string Framed(const std::string& body, size_t width = 72) {
        std::string line = "| " + body;
        if (line.size() < width - 2) line.resize(width - 2, ' ');
        return line + " |";
    }
    int TagErrors() const { return recorder->Count("TAG ERROR: "); }

    Context context;
    FC set;
    std::unique_ptr<MessageRecorder> recorder;
};

TEST_F(FragmentVariablesTest, TextHeaderKinds) {
    SetHeaderTexts({"The title", "A. Writer", "http://top/", "http://last/", "top@x.org", "last@x.org", "unused",
                    "in.txt", "1234", "out.html", "5678", "Staff"});
    const std::pair<const char*, std::string> cases[] = {
        {"BOX_TOP", "/" + std::string(70, '-') + "\\"},
        {"box_bottom", "\\" + std::string(70, '-') + "/"},
        {"TITLE", Framed("Title        : The title")},
        {"AUTHOR", Framed("Author       : A. Writer")},
        {"TOP_URL", Framed("URL          : http://top/")},
        {"LAST_URL", Framed("URL          : http://last/")},
        {"URL", Framed("URL          : ")},
        {"TOP_EMAIL", Framed("Email        : top@x.org")},
        {"LAST_EMAIL", Framed("Email        : last@x.org")},
        {"IN_FILENAME", Framed("File name    : in.txt")},
        {"OUT_FILENAME", Framed("File name    : out.html")},
        {"IN_FILESIZE", Framed("File size    : 1234")},
        {"OUT_FILESIZE", Framed("File size    : 5678")},
        {"BOX_MIDDLE", Framed(std::string(40, ' '))},
        {"Comment", Framed("Hand  made, too")},
    };
    for (const auto& [kind, expected] : cases) {
        EXPECT_EQ(Expand(std::string("[[TEXT_HEADER ") + kind + "  Hand  made, too ]]"), expected) << kind;
        EXPECT_EQ(expected.size(), 72u) << kind;
    }
    // An empty comment gives no value, and no error.
    EXPECT_EQ(Expand("a[[TEXT_HEADER COMMENT   ]]b"), "ab");
    EXPECT_EQ(TagErrors(), 0);
}

TEST_F(FragmentVariablesTest, PageWidthOfTheBox) {
    SetPageWidth(200);  // beyond the 64 dashes the rule starts from
    EXPECT_EQ(Expand("[[TEXT_HEADER BOX_TOP]]"), "/" + std::string(198, '-') + "\\");
    for (int width : {4, 0, -3}) {  // taken as 5
        SetPageWidth(width);
        EXPECT_EQ(Expand("[[TEXT_HEADER BOX_TOP]][[TEXT_HEADER BOX_BOTTOM]]"), "/---\\\\---/") << width;
        EXPECT_EQ(Expand("[[TEXT_HEADER COMMENT x]]"), "| x |") << width;
    }
    SetPageWidth(20);  // lines of 16 characters or more are not padded
    SetHeaderTexts({"x"});
    EXPECT_EQ(Expand("[[TEXT_HEADER TITLE]]"), "| Title        : x |");
    SetHeaderTexts({"A longer title"});
    EXPECT_EQ(Expand("[[TEXT_HEADER TITLE]]"), "| Title        : A longer title |");
}

TEST_F(FragmentVariablesTest, MissingAuthorTakesTheStandIn) {
    context.documentState.headerTexts[11] = "Staff";
    for (const char* author : {"", "** UNKNOWN **"}) {
        context.documentState.headerTexts[1] = author;
        EXPECT_EQ(Expand("[[TEXT_HEADER AUTHOR]]"), Framed("Author       : Staff")) << author;
    }
    context.documentState.headerTexts[1] = "** unknown **";  // compared case-sensitively
    EXPECT_EQ(Expand("[[TEXT_HEADER AUTHOR]]"), Framed("Author       : ** unknown **"));
}

TEST_F(FragmentVariablesTest, VersionAndDates) {
    const std::string version = Expand("[[TEXT_HEADER VERSION]]");
    ASSERT_NE(version.find('\n'), std::string::npos);
    EXPECT_EQ(version.substr(0, version.find('\n')), Framed("Converted by : Vendrel 4.0"));
    const std::string second = version.substr(version.find('\n') + 1);
    EXPECT_EQ(second.substr(0, 17), "|              : ");
    EXPECT_EQ(second.size(), 72u);

    TextString today;
    GetDateText(&today);
    EXPECT_EQ(Expand("[[TEXT_HEADER TIMESTAMP]]"), Framed("Create date  : " + today.str()));

    // IN_FILEDATE: the input file's modification date, not a header text.
    std::string path = testing::TempDir() + "fragment_date_XXXXXX";
    const int fd = mkstemp(path.data());
    ASSERT_GE(fd, 0);
    close(fd);
    std::tm when{};
    when.tm_year = 2021 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 15;
    when.tm_hour = 12;
    when.tm_isdst = -1;
    const utimbuf times{std::mktime(&when), std::mktime(&when)};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
    context.documentState.inputFileName = path.c_str();
    EXPECT_EQ(Expand("[[TEXT_HEADER IN_FILEDATE]]"), Framed("Create date  : 15-Mar-2021"));
    std::remove(path.c_str());
    EXPECT_EQ(Expand("[[TEXT_HEADER IN_FILEDATE]]"), Framed("Create date  : "));  // unknown
}

TEST_F(FragmentVariablesTest, UnknownTagsAreRemovedWithATagError) {
    EXPECT_EQ(Expand("a [[NO_SUCH thing]] b[[]]"), "a  b");
    EXPECT_EQ(recorder->Count("TAG ERROR: Unknown fragment tag \"[[NO_SUCH thing]]\""), 1);
    EXPECT_EQ(Expand("a[[TEXT_HEADER SIDEWAYS]]b[[TEXT_HEADER]]"), "ab");
    EXPECT_EQ(recorder->Count("TAG ERROR: Unknown TEXT_HEADER tag type \"[[TEXT_HEADER SIDEWAYS]]\""), 1);
    EXPECT_EQ(TagErrors(), 4);
}

TEST_F(FragmentVariablesTest, RulesNoFramesLinkAndExecutors) {
    EXPECT_EQ(Expand("<HR [[RULEWIDTH]] [[RULEWIDTHPC]] [[ruleheight]] [[RuleAlign]]>"), "<HR 800 100% 2 CENTER>");
    context.trackers.ruleAlignment = "LEFT";
    EXPECT_EQ(Expand("[[RULEALIGN]]"), "LEFT");

    EXPECT_EQ(Expand("<[[NOFRAMES_URL]]>"), "<>");
    context.noFramesText = "plain.html";
    EXPECT_EQ(Expand("[[NOFRAMES_URL]]"), "plain.html");
    set.SetText(Pol::NoFramesLinkURL, "x[[RULEHEIGHT]]y");  // a value's own tags are expanded too
    EXPECT_EQ(Expand("[[NOFRAMES_URL]]"), "x2y");

    context.documentState.htmlOutput = 1;
    set.generatorText = "Vendrel 4.0";
    TextString today;
    GetDateText(&today);
    EXPECT_EQ(Expand("[[VERSION]]|[[timestamp]]|[[SOURCE_FILE]]"), "Vendrel 4.0|" + today.str() + "|source file");
    EXPECT_NE(Expand("[[LINERULE]]").find("<HR"), std::string::npos);
    // Outside HTML output the executor removes LINERULE.
    context.documentState.htmlOutput = 0;
    EXPECT_EQ(Expand("<[[LINERULE 50%, 3]]>"), "<>");
    EXPECT_EQ(TagErrors(), 0);
}

TEST_F(FragmentVariablesTest, ScanningFollowsTheDelimiters) {
    int count = -1;
    EXPECT_EQ(Expand("[[RULEHEIGHT]] [[RULEHEIGHT", &count), "2 [[RULEHEIGHT");  // no end: left
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Expand("x ]] [[RULEHEIGHT]] ]]"), "x ]] 2 ]]");
    EXPECT_EQ(Expand("a[[RULEHEIGHT [[RULEALIGN]]b"), "a2b");  // up to the first end delimiter

    TextString text("[[rulealign]] [[RULEALIGN]] [[RULEALIGN]]");
    ExpandInlineTag(set, text, TextString("[[RULEALIGN]]"));  // the first exact occurrence only
    EXPECT_EQ(text.str(), "[[rulealign]] CENTER [[RULEALIGN]]");

    context.inlineTags.startDelimiter = "{{";
    context.inlineTags.endDelimiter = "}}";
    EXPECT_EQ(Expand("[[RULEHEIGHT]] {{RULEHEIGHT}}"), "[[RULEHEIGHT]] 2");
    context.inlineTags.startDelimiter = "%%";  // equal delimiters still frame a tag
    context.inlineTags.endDelimiter = "%%";
    EXPECT_EQ(Expand("%%RULEHEIGHT%% and %%RULEALIGN%%"), "2 and CENTER");
    EXPECT_EQ(TagErrors(), 0);
}

TEST_F(FragmentVariablesTest, ExpansionIsCappedPerLine) {
    context.documentState.headerTexts[0] = "T [[TEXT_HEADER TITLE]]";
    int count = -1;
    const std::string nested = Expand("[[TEXT_HEADER TITLE]]", &count);
    EXPECT_EQ(count, kMaxFragmentExpansionsPerLine);
    EXPECT_EQ(TagErrors(), 1);
    EXPECT_EQ(nested.find("[[TEXT_HEADER TITLE]]"), nested.rfind("[[TEXT_HEADER TITLE]]"));  // one left

    std::string many;
    for (int i = 0; i < kMaxFragmentExpansionsPerLine + 2; ++i) many += "[[RULEHEIGHT]]";
    EXPECT_EQ(Expand(many), std::string(kMaxFragmentExpansionsPerLine, '2') + "[[RULEHEIGHT]][[RULEHEIGHT]]");
    EXPECT_EQ(TagErrors(), 2);
}

TEST_F(FragmentVariablesTest, NeighbouringOutputFiles) {
    set.names.outputExtension = ".htm";
    const std::string line =
        "[[PREV_PAGE]] [[CURRENT_PAGE]] [[NEXT_PAGE]] [[CONTENTS_TOP]] [[CONTENTS_NEXT_SECTION]]";
    // A document written as one file (no file list) is the only page, named
    // as written, its name fit for an address between quotes.
    context.currentOutputFileName = "out/R&D \"report\".htm";
    const std::string single = "R&amp;D &quot;report&quot;.htm";
    EXPECT_EQ(Expand(line), single + " " + single + " " + single + " " + single + " " + single);
    EXPECT_EQ(recorder->Count("ERROR"), 0);

    StringList& files = context.documentState.outputFiles;  // the last is the file being written
    files.Add("book");
    EXPECT_EQ(Expand(line), "book.htm book.htm book.htm book.htm book.htm");
    files.Add("book_1");
    EXPECT_EQ(Expand(line), "book.htm book_1.htm book_1.htm book.htm book.htm");

    // The contents link of the current line's heading.
    AnalysedLine heading;
    heading.SetText("2.1 Getting started");
    heading.SetLineType(102);
    heading.sectionLevels = {2, 1, -1, -1, -1, -1};
    context.trackers.codeLocation = 3;
    context.SetCurrentLine(&context.trackers.output, &heading);
    const std::string link = Expand("[[contents_next_section]]");
    EXPECT_EQ(link.rfind("book.htm#TOC_", 0), 0u) << link;
    EXPECT_GT(link.size(), 13u);
    context.SetCurrentLine(&context.trackers.output, nullptr);
    EXPECT_EQ(recorder->Count("ERROR"), 0);
}

}  // namespace
