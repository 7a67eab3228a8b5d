// The blocks of a file: which lines reach a table, the user's HTML written
// where it stands, fragments defined anywhere, and the user tables that cut
// a file into blocks.  Each case converts a small file as the program does.
#include "tables/file_blocks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "policies/fc.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"
#include "tables/convert_to_table.h"

namespace {

void IgnoreStatus(const char*) {}

// The table every case is built around.
const std::string kTable =
    "Name   Age  City\n"
    "-----  ---  ----\n"
    "Alice  30   Paris\n"
    "Bob    25   Rome\n"
    "Carol  41   Oslo\n";

std::string Fragment(const std::string& name, const std::string& body) {
    return "$_$_DEFINE_HTML_FRAGMENT " + name + "\n" + body + "\n$_$_END_BLOCK\n";
}

int CountOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

using Lines = std::vector<std::string>;

// `lines` with `more` standing before line `index`.
Lines Insert(const Lines& lines, size_t index, const Lines& more) {
    Lines out(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(index));
    out.insert(out.end(), more.begin(), more.end());
    out.insert(out.end(), lines.begin() + static_cast<std::ptrdiff_t>(index), lines.end());
    return out;
}

class FileBlocksTest : public testing::Test {
protected:
    Context context;
    MessageRecorder messages{context};
    FC master, run, file;
    TempFolder temp{"vendrel_blocks"};

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        master.SetContext(&context);
        run.SetContext(&context);
        context.sink.SetStatusCallback(IgnoreStatus);
    }
    void TearDown() override { context.sink.SetStatusCallback(nullptr); }

    // The document `content` gives with special format code `code`, in HTML
    // or (`rtf`) in RTF.
    std::string Convert(const std::string& content, int code = 1, bool rtf = false) {
        messages.Clear();
        context.outputFormat = rtf ? 1 : 0;
        const std::string input = (temp.Path() / "input.txt").string();
        std::ofstream(input, std::ios::binary) << content;
        if (!ConvertToTable(master, run, file, context, TextString(input.c_str()), TextString(), code, nullptr))
            return "conversion failed";
        return ReadWhole(temp.Path() / (rtf ? "input.rtf" : "input.html"));
    }

    // Every message of the conversion, one after the other.
    std::string AllMessages() const {
        std::string all;
        for (const std::string& message : messages.Messages()) all += message + "\n";
        return all;
    }
};

// The HTML of the tables of a document, their numbers left out.
std::vector<std::string> Tables(const std::string& html) {
    std::vector<std::string> tables;
    const std::regex table(R"(<TABLE[\s\S]*?</TABLE>)");
    for (std::sregex_iterator it(html.begin(), html.end(), table), none; it != none; ++it)
        tables.push_back(std::regex_replace(it->str(), std::regex(R"(table_\d+)"), "table_N"));
    return tables;
}

// The RTF from the first table row on, its creation time left out.
std::string RtfRows(const std::string& rtf) {
    const size_t rows = rtf.find("\\trowd");
    return rows == std::string::npos ? std::string() : rtf.substr(rows);
}

// Whatever stands around it, in HTML and RTF and in each kind of table, a
// table is the table its own lines make: definitions, the user's HTML and
// directive lines add nothing to it, and none of their words reach the page
// as text.
TEST_F(FileBlocksTest, OnlyTheTablesOwnLinesMakeTheTable) {
    struct Shape {
        const char* name;
        int code;
        std::vector<std::string> lines;
    };
    const std::vector<Shape> shapes = {
        {"aligned",
         1,
         {"Name   Age  City", "-----  ---  ----", "Alice  30   Paris", "Bob    25   Rome", "Carol  41   Oslo"}},
        {"wide gaps",
         1,
         {"Name      Age   City", "Alice     30    Paris", "Bob       25    Rome", "Carol     41    Oslo"}},
        {"two header lines",
         1,
         {"Item     Qty  Unit", "Name     No.  Price", "=======  ===  =====", "Apple    3    1.20",
          "Pear     12   0.80", "Plum     7    2.10", "Fig      44   9.99"}},
        {"tabbed", 7, {"Name\tAge\tCity", "Alice\t30\tParis", "Bob\t25\tRome", "Carol\t41\tOslo"}},
        {"comma", 8, {"Name,Age,City", "Alice,30,Paris", "Bob,25,Rome", "Carol,41,Oslo"}},
    };
    struct Extra {
        const char* name;
        Lines (*add)(const Lines&);
    };
    const std::vector<Extra> extras = {
        {"fragments above",
         [](const Lines& l) {
             return Insert(l, 0,
                           {"$_$_DEFINE_HTML_FRAGMENT HTML_HEADER", "<P>A   wide   header   line</P>",
                            "$_$_END_BLOCK", "$_$_DEFINE_HTML_FRAGMENT HTML_FOOTER", "<P>x</P>", "$_$_END_BLOCK"});
         }},
        {"fragment among the rows",
         [](const Lines& l) {
             return Insert(l, 2, {"$_$_DEFINE_HTML_FRAGMENT HTML_HEADER", "a b c d e f g h", "$_$_END_BLOCK"});
         }},
        {"fragment below",
         [](const Lines& l) {
             return Insert(l, l.size(),
                           {"$_$_DEFINE_HTML_FRAGMENT HTML_FOOTER", "<P>Foot,\tfoot</P>", "$_$_END_BLOCK"});
         }},
        {"block and text fragment",
         [](const Lines& l) {
             return Insert(l, 2,
                           {"$_$_DEFINE_BLOCK NOTE", "stored   body\twith,gaps", "$_$_END_BLOCK",
                            "$_$_DEFINE_TEXT_FRAGMENT TF", "one two three", "$_$_END_BLOCK"});
         }},
        {"HTML block",
         [](const Lines& l) {
             return Insert(l, 2, {"$_$_BEGIN_HTML", "<DIV>a, b\tc</DIV>", "$_$_END_HTML"});
         }},
        {"empty HTML block",
         [](const Lines& l) {
             return Insert(l, 3, {"$_$_BEGIN_HTML", "$_$_END_HTML"});
         }},
        {"HTML lines",
         [](const Lines& l) {
             Lines out = Insert(l, 0, {"$_$_HTML_LINE <B>a long bold line, above it</B>"});
             out.push_back("$_$_HTML_LINE <I>below</I>");
             return Insert(out, 3, {"$_$_HTML_LINE <HR>"});
         }},
        {"variables, resets and other directives",
         [](const Lines& l) {
             return Insert(l, 2,
                           {"$_$_DEFINE_VARIABLE v,\"a   b,c\"", "$_$_RESET_BLOCK NOTE", "$_$_RESET_HTML_FRAGMENT X",
                            "$_$_SAVE_CONTEXT", "$_$_RESTORE_CONTEXT", "$_$_CHANGE_INDENT 2",
                            "$_$_INSERT_BLOCK NOTE", "$_$_LINERULE 50%", "$_$_PAGE"});
         }},
    };
    auto join = [](const Lines& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    };
    for (const Shape& shape : shapes) {
        const std::string alone = join(shape.lines);
        const std::vector<std::string> html = Tables(Convert(alone, shape.code));
        ASSERT_EQ(html.size(), 1u) << shape.name;
        const std::string rtf = RtfRows(Convert(alone, shape.code, true));
        ASSERT_FALSE(rtf.empty()) << shape.name;
        for (const Extra& extra : extras) {
            SCOPED_TRACE(std::string(shape.name) + ", " + extra.name);
            const std::string text = join(extra.add(shape.lines));
            const std::string page = Convert(text, shape.code);
            EXPECT_EQ(Tables(page), html);
            EXPECT_EQ(page.find("$_$_"), std::string::npos);
            const std::string rtfPage = Convert(text, shape.code, true);
            EXPECT_EQ(RtfRows(rtfPage), rtf);
            EXPECT_EQ(rtfPage.find("$_$_"), std::string::npos);
        }
    }
}

// The user's HTML is written as it stands, outside the table: before it
// when it stands above or among the table's lines, after it when below; RTF
// has no place for it.
TEST_F(FileBlocksTest, TheUsersHtmlIsWrittenAsItStandsOutsideTheTable) {
    const std::string text = "$_$_HTML_LINE <B>top & bold</B>\n" + kTable.substr(0, 34) +
                             "$_$_BEGIN_HTML\n<DIV CLASS=\"a\">in &amp; out</DIV>\n$_$_END_HTML\n" +
                             kTable.substr(34) + "\n$_$_HTML_LINE <I>after</I>\n";
    const std::string html = Convert(text);
    const size_t table = html.find("<TABLE");
    const size_t end = html.find("</TABLE>");
    ASSERT_NE(table, std::string::npos);
    const size_t top = html.find("\n<B>top & bold</B>\n");
    const size_t inside = html.find("\n<DIV CLASS=\"a\">in &amp; out</DIV>\n");
    const size_t after = html.find("\n<I>after</I>\n");
    ASSERT_NE(top, std::string::npos);
    ASSERT_NE(inside, std::string::npos);
    ASSERT_NE(after, std::string::npos);
    EXPECT_LT(top, inside);
    EXPECT_LT(inside, table);
    EXPECT_GT(after, end);
    EXPECT_EQ(html.find("HTML_LINE"), std::string::npos);

    const std::string rtf = Convert(text, 1, true);
    for (const char* dropped : {"top", "bold", "DIV", "after", "HTML"})
        EXPECT_EQ(rtf.find(dropped), std::string::npos);
    EXPECT_NE(rtf.find("Carol"), std::string::npos);
}

// In a block written as text (the automatic kind of a file) the user's HTML
// keeps its place among the lines.
TEST_F(FileBlocksTest, TextKeepsTheUsersHtmlInPlace) {
    const std::string html = Convert("First words of the text.\n$_$_HTML_LINE <HR CLASS=\"x\">\nLast words.\n", 0);
    const size_t first = html.find("First words");
    const size_t rule = html.find("\n<HR CLASS=\"x\">\n");
    const size_t last = html.find("Last words");
    ASSERT_NE(rule, std::string::npos) << html;
    EXPECT_LT(first, rule);
    EXPECT_LT(rule, last);
}

// HTML_HEADER and HTML_FOOTER fragments count wherever they are defined; of
// two the last wins, and a reset after it leaves none.
TEST_F(FileBlocksTest, FragmentsDefinedAnywhereFrameThePage) {
    struct Case {
        const char* name;
        std::string text;
        const char* header;  // null: none
        const char* footer;
    };
    const std::string middle = kTable.substr(0, 34);
    const std::string rest = kTable.substr(34);
    const std::vector<Case> cases = {
        {"above", Fragment("HTML_HEADER", "<P>H1</P>") + Fragment("HTML_FOOTER", "<P>F1</P>") + kTable, "<P>H1</P>",
         "<P>F1</P>"},
        {"among the rows",
         middle + Fragment("HTML_FOOTER", "<P>F1</P>") + Fragment("HTML_HEADER", "<P>H1</P>") + rest, "<P>H1</P>",
         "<P>F1</P>"},
        {"below", kTable + Fragment("HTML_FOOTER", "<P>F1</P>") + Fragment("HTML_HEADER", "<P>H1</P>"), "<P>H1</P>",
         "<P>F1</P>"},
        {"two: the last", Fragment("HTML_FOOTER", "<P>F1</P>") + kTable + Fragment("HTML_FOOTER", "<P>F2</P>"),
         nullptr, "<P>F2</P>"},
        {"reset after it",
         Fragment("HTML_HEADER", "<P>H1</P>") + Fragment("HTML_FOOTER", "<P>F1</P>") + kTable +
             "$_$_RESET_HTML_FRAGMENT HTML_FOOTER\n$_$_RESET_HTML_FRAGMENT HTML_HEADER\n",
         nullptr, nullptr},
        {"defined again after a reset",
         Fragment("HTML_FOOTER", "<P>F1</P>") + "$_$_RESET_HTML_FRAGMENT HTML_FOOTER\n" + kTable +
             Fragment("HTML_FOOTER", "<P>F3</P>"),
         nullptr, "<P>F3</P>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string html = Convert(c.text);
        const size_t body = html.find("<BODY");
        const size_t table = html.find("<TABLE");
        const size_t end = html.find("</TABLE>");
        const size_t close = html.find("</BODY>");
        ASSERT_NE(table, std::string::npos);
        for (const char* each : {"<P>H1</P>", "<P>F1</P>", "<P>F2</P>", "<P>F3</P>"}) {
            const bool header = c.header && std::string(c.header) == each;
            const bool footer = c.footer && std::string(c.footer) == each;
            const size_t at = html.find(each);
            EXPECT_EQ(CountOf(html, each), header || footer ? 1 : 0) << each;
            if (header) {
                EXPECT_GT(at, body);
                EXPECT_LT(at, table);
            }
            if (footer) {
                EXPECT_GT(at, end);
                EXPECT_LT(at, close);
            }
        }
        EXPECT_EQ(Tables(html), Tables(Convert(kTable)));
    }
}

// A user table ends the table before it and the lines after it make a table
// of their own, each as it would be alone, in file order.
TEST_F(FileBlocksTest, AUserTableCutsTheFileIntoBlocksInFileOrder) {
    const std::string userTable =
        "$_$_BEGIN_USER_TABLE\n$_$_NEW_ROW head\n$_$_NEW_CELL\nName\n$_$_NEW_CELL\nAge\n"
        "$_$_NEW_ROW\n$_$_NEW_CELL\nDora\n$_$_NEW_CELL\n52\n$_$_END_USER_TABLE\n";
    const std::string after = "Item   Qty  Shelf\n----   ---  -----\nPens   12   A1\nInk    3    B2\n";
    const std::string html = Convert(kTable + userTable + after);
    const std::vector<std::string> tables = Tables(html);
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[0], Tables(Convert(kTable))[0]);
    EXPECT_NE(tables[1].find("<TH WIDTH=40 ALIGN=\"LEFT\">Name</TH>"), std::string::npos) << tables[1];
    EXPECT_NE(tables[1].find(">Dora</TD>"), std::string::npos);
    EXPECT_EQ(tables[2], Tables(Convert(after))[0]);
    EXPECT_EQ(html.find("$_$_"), std::string::npos);
    EXPECT_LT(html.find("table_0"), html.find("TAGGED TABLE"));

    // Two user tables side by side leave no empty table between them; a
    // policy line between them applies to the second.
    const std::string two =
        Convert(userTable + "\n$_$_CHANGE_POLICY Default TABLE cell padding : 7\n\n" + userTable);
    const std::vector<std::string> both = Tables(two);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_NE(both[0].find("CELLPADDING=0"), std::string::npos);
    EXPECT_NE(both[1].find("CELLPADDING=7"), std::string::npos);

    // The same in RTF: three tables of rows, the user table's head row bold.
    const std::string rtf = Convert(kTable + userTable + after, 1, true);
    EXPECT_LT(rtf.find("Carol"), rtf.find("Dora"));
    EXPECT_LT(rtf.find("Dora"), rtf.find("Pens"));
    EXPECT_NE(rtf.find("\\b Name\\b0"), std::string::npos);
    EXPECT_EQ(rtf.find("$_$_"), std::string::npos);
}

// An unclosed user table runs to the end of the file, with one warning
// naming its line (as an editor counts them); NEW_ROW, NEW_CELL and
// COLUMN_DETAILS outside a user table are dropped, each with a warning
// naming its line.
TEST_F(FileBlocksTest, MisplacedUserTableLinesAreReportedByTheirLines) {
    const std::string text = "$_$_TITLE Staff\n" + Fragment("NOTE", "a") + kTable +
                             "$_$_NEW_ROW head\n$_$_NEW_CELL\n$_$_COLUMN_DETAILS 1,,,3,2cm\n"
                             "$_$_BEGIN_USER_TABLE\n$_$_NEW_ROW\n$_$_NEW_CELL\nDora\n";
    for (const bool rtf : {false, true}) {
        SCOPED_TRACE(rtf ? "RTF" : "HTML");
        const std::string page = Convert(text, 1, rtf);
        const std::string all = AllMessages();
        EXPECT_EQ(CountOf(all, "WARNING: NEW_ROW outside a user table dropped at line 10"), 1) << all;
        EXPECT_EQ(CountOf(all, "WARNING: NEW_CELL outside a user table dropped at line 11"), 1) << all;
        EXPECT_EQ(CountOf(all, "WARNING: COLUMN_DETAILS outside a user table dropped at line 12"), 1) << all;
        EXPECT_EQ(CountOf(all,
                          "WARNING: BEGIN_USER_TABLE at line 13 has no END_USER_TABLE: the user table runs to "
                          "the end of the file"),
                  1)
            << all;
        EXPECT_EQ(CountOf(all, "WARNING: "), 4) << all;
        EXPECT_NE(page.find("Dora"), std::string::npos);
        EXPECT_EQ(page.find("$_$_"), std::string::npos);
    }
    // The table above keeps its columns.
    EXPECT_EQ(Tables(Convert(text))[0], Tables(Convert(kTable))[0]);
}

// A file converted as one user table keeps its lines together; its own
// markers and definitions are no cells, the user's HTML is written before it.
TEST_F(FileBlocksTest, AWholeFileUserTableKeepsItsLines) {
    const std::string text = "$_$_NEW_ROW head\n$_$_NEW_CELL\nItem\n" + Fragment("NOTE", "hidden") +
                             "$_$_HTML_LINE <B>note</B>\n$_$_NEW_ROW\n$_$_NEW_CELL\nApples\n";
    const std::string html = Convert(text, 5);
    ASSERT_EQ(Tables(html).size(), 1u);
    EXPECT_NE(html.find(">Item</TH>"), std::string::npos) << html;
    EXPECT_NE(html.find(">Apples</TD>"), std::string::npos);
    EXPECT_LT(html.find("<B>note</B>"), html.find("<TABLE"));
    EXPECT_EQ(html.find("hidden"), std::string::npos);
    EXPECT_EQ(AllMessages().find("Ignoring directive"), std::string::npos) << AllMessages();
}

// The lines a rule set adds to every file (its definitions and its page
// marker) are no rows of the table.
TEST_F(FileBlocksTest, TheLinesARuleSetAddsAreNoRows) {
    for (const char* ruleSet : {"Tarnell", "SEC"}) {
        SCOPED_TRACE(ruleSet);
        FC ruled;
        ruled.SetContext(&context);
        TextString line(("Rule set to be used : " + std::string(ruleSet)).c_str());
        int category = 0;
        ruled.ParsePolicyLine(line, category, true);
        const std::string input = (temp.Path() / "input.txt").string();
        std::ofstream(input, std::ios::binary) << kTable;
        context.outputFormat = 0;
        ASSERT_TRUE(
            ConvertToTable(master, ruled, file, context, TextString(input.c_str()), TextString(), 1, nullptr));
        const std::string html = ReadWhole(temp.Path() / "input.html");
        EXPECT_EQ(html.find("PAGE_MARKER"), std::string::npos);
        EXPECT_EQ(CountOf(html, "<TR"), 4) << html;
        EXPECT_EQ(CountOf(html, "<TH"), 3);
        EXPECT_EQ(CountOf(html, "<TD"), 9);
    }
}

// What each kind of line is to the blocks.
TEST_F(FileBlocksTest, EveryLineHasItsRole) {
    file.SetContext(&context);
    context.RegisterDirectiveKeywords(&file);
    struct Case {
        const char* text;
        int tagCode;
        int lineType;
        bool protectedLine;
        LineRole role;
    };
    const Case cases[] = {
        {"Alice  30", kStatementNone, kLineText, false, LineRole::kText},
        {"", kStatementNone, kLineBlank, false, LineRole::kText},
        {"-----  ---", kStatementNone, kLineRuler, false, LineRole::kText},
        {"inside a definition", kStatementNone, kLineConsumed, false, LineRole::kDropped},
        {"ignored", kStatementNone, kLineIgnored, false, LineRole::kDropped},
        {"$_$_CHANGE_POLICY a : b", kStatementChangePolicy, kStatementChangePolicy, false, LineRole::kPolicy},
        {"$_$_LINERULE", kStatementLineRule, kStatementLineRule, false, LineRole::kDrawnRule},
        {"$_$_PAGE", kStatementPage, kStatementPage, false, LineRole::kDrawnRule},
        {"$_$_BEGIN_USER_TABLE", kStatementBeginUserTable, kStatementBeginUserTable, false,
         LineRole::kUserTableStart},
        {"$_$_END_USER_TABLE", kStatementEndSpecialBlock, kStatementEndSpecialBlock, false, LineRole::kBlockEnd},
        {"$_$_DEFINE_BLOCK X", kStatementDefineBlock, kStatementDefineBlock, false, LineRole::kDropped},
        {"$_$_DEFINE_HTML_FRAGMENT X", kStatementDefineHTMLFragment, kStatementDefineHTMLFragment, false,
         LineRole::kDropped},
        {"$_$_END_BLOCK", kStatementEndBlock, kStatementEndBlock, false, LineRole::kDropped},
        {"$_$_BEGIN_HTML", kStatementBeginHTML, kStatementBeginHTML, false, LineRole::kDropped},
        {"$_$_END_HTML", kStatementEndHTML, kStatementEndHTML, true, LineRole::kDropped},
        {"$_$_CHANGE_POLICY a : b", kStatementChangePolicy, kStatementChangePolicy, true, LineRole::kPolicy},
        {"$_$_SAVE_CONTEXT", kStatementSaveContext, kStatementSaveContext, false, LineRole::kOtherDirective},
        {"$_$_CONTENTS_LIST", kStatementContentsList, kStatementContentsList, false, LineRole::kOtherDirective},
        {"<B>raw</B>", kStatementNone, kLineText, true, LineRole::kPassThrough},
        {"$_$_HTML_LINE <B>x</B>", kStatementNone, kLineText, true, LineRole::kPassThrough},
        {"$_$_NEW_ROW head", kStatementNone, kLineText, false, LineRole::kUserTableDirective},
        {"$_$_new_cell", kStatementNone, kLineText, false, LineRole::kUserTableDirective},
        {"$_$_COLUMN_DETAILS 1", kStatementNone, kLineText, false, LineRole::kUserTableDirective},
        {"$_$_NEW_ROWS", kStatementNone, kLineText, false, LineRole::kText},
        {"NEW_ROW", kStatementNone, kLineText, false, LineRole::kText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AnalysedLine line;
        line.SetText(c.text);
        line.taggedText = TextString(c.text);
        line.tagCode = c.tagCode;
        line.lineType = c.lineType;
        line.SetFlag(kFlagProtected, c.protectedLine);
        EXPECT_EQ(RoleOfLine(line, file), c.role);
    }
    // Without the preprocessor a directive is text.
    file.SetInt(Pol::UsePreprocessor, 0);
    AnalysedLine line;
    line.SetText("$_$_NEW_ROW");
    line.taggedText = TextString("$_$_NEW_ROW");
    EXPECT_EQ(RoleOfLine(line, file), LineRole::kText);
}

}  // namespace
