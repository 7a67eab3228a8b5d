// End-to-end conversions of small files to RTF (output format 1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/fonts.h"
#include "output/rtf_file.h"
#include "policies/fc.h"
#include "support/rtf_braces.h"
#include "support/temp_folder.h"
#include "tables/convert_to_table.h"

namespace {

namespace fs = std::filesystem;

void IgnoreText(const char*) {}

const char kSample[] =
    "Plain words in a first paragraph, with braces {kept} and a back\\slash.\n"
    "A second line of the same paragraph.\n"
    "\n"
    "Then a *strong* word in the next paragraph.\n"
    "\n"
    "See http://example.com/a\\b for more.\n";

// Converts the text to RTF in a fresh folder; the RTF text, or "" when the
// conversion failed.
std::string gMessages;
void KeepMessage(const char* text) {
    gMessages += text;
    gMessages += '\n';
}

struct RTFConversion {
    std::optional<TempFolder> folder;  // a fresh one for every conversion
    fs::path output;
    int code = 0;  // the special format code
    std::vector<std::string> policyLines;  // policy lines for the run
    std::string messages;  // the conversion's messages

    std::string Convert(const std::string& text) {
        folder.emplace("vendrel_rtf");
        if (!folder->Made()) return "";
        const fs::path input = *folder / "sample.txt";
        std::ofstream(input, std::ios::binary) << text;

        Context context;
        gMessages.clear();
        context.sink.SetMessageCallback(KeepMessage);
        context.sink.SetStatusCallback(IgnoreText);
        context.outputFormat = 1;
        FC master, run, file;
        master.SetContext(&context);
        run.SetContext(&context);
        for (const std::string& line : policyLines) {
            TextString policy(line.c_str());
            int category = 0;
            run.ParsePolicyLine(policy, category, true);
        }
        // Code 0, automatic classification: prose is written as ordinary text.
        const bool converted = ConvertToTable(master, run, file, context, TextString(input.string().c_str()),
                                              TextString(), code, nullptr);
        messages = gMessages;
        if (!converted) return "";
        output = fs::path(input).replace_extension(".rtf");
        return ReadWhole(output);
    }
};

TEST(RTFConversionTest, SmallFileBecomesWellFormedRTF) {
    RTFConversion conversion;
    const std::string rtf = conversion.Convert(kSample);
    ASSERT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
    for (const char* html : {"<P>", "<BR>", "</"}) EXPECT_EQ(rtf.find(html), std::string::npos) << html;
    EXPECT_TRUE(RtfBracesBalance(rtf)) << rtf;
    // The text is escaped once; each line ends once; emphasis is a group.
    EXPECT_NE(rtf.find("braces \\'7bkept\\'7d and a back\\\\slash."), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("paragraph.\\par\n\\par\nThen"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\b strong\\b0}"), std::string::npos) << rtf;
    // The link target and its shown text are escaped once.
    EXPECT_NE(rtf.find(" HYPERLINK http://example.com/a\\\\b }"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(" http://example.com/a\\\\b}}} for more."), std::string::npos) << rtf;
}

// Reads the converted sample back with unrtf: every word arrives intact.
TEST(RTFConversionTest, UnrtfReadsTheWordsBack) {
    if (std::system("command -v unrtf >/dev/null 2>&1") != 0) GTEST_SKIP() << "unrtf is not on PATH";
    RTFConversion conversion;
    ASSERT_FALSE(conversion.Convert(kSample).empty());
    const std::string command = "unrtf --text '" + conversion.output.string() + "' 2>/dev/null";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[512];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) text.append(chunk, n);
        pclose(pipe);
    }
    for (const char* words : {"Plain words in a first paragraph, with braces {kept} and a back\\slash.",
                              "A second line of the same paragraph.", "Then a strong word in the next paragraph.",
                              "See http://example.com/a\\b for more."})
        EXPECT_NE(text.find(words), std::string::npos) << words << "\n" << text;
}

// The \cellx edges of the rows, in twips from the margin.
std::vector<long> CellEdges(const std::string& rtf) {
    std::vector<long> edges;
    for (size_t at = rtf.find("\\cellx"); at != std::string::npos; at = rtf.find("\\cellx", at + 1))
        edges.push_back(std::strtol(rtf.c_str() + at + 6, nullptr, 10));
    return edges;
}

// A table far wider than the page is narrowed to the printable width (paper
// width less the margins: 11906 - 2 x 1800 in portrait A4, 16838 - 2 x 1800 in
// landscape), every column's text still in the file; a narrow table keeps its
// widths.
TEST(RTFConversionTest, WideTablesAreFittedToThePage) {
    std::string wide = "USER       PID %CPU %MEM    VSZ   RSS TTY      STAT START   TIME COMMAND\n";
    for (int i = 0; i < 8; ++i)
        wide += "root      " + std::to_string(1000 + i) +
                "  0.0  0.1 169584 13280 ?        Ss   09:14   0:03 /usr/lib/systemd/systemd-service-number-" +
                std::to_string(i) + " --system --deserialize=" + std::to_string(40 + i) +
                " --log-target=journal-or-kmsg --unit=default.target\n";
    struct Case {
        const char* landscape;
        long printable;
    };
    for (const Case& c : {Case{"Use Landscape mode : No", 8306}, Case{"Use Landscape mode : Yes", 13238}}) {
        SCOPED_TRACE(c.landscape);
        RTFConversion conversion;
        conversion.code = 1;
        conversion.policyLines = {c.landscape};
        const std::string rtf = conversion.Convert(wide);
        const std::vector<long> edges = CellEdges(rtf);
        ASSERT_FALSE(edges.empty()) << rtf;
        EXPECT_LE(*std::max_element(edges.begin(), edges.end()), c.printable);
        EXPECT_GT(*std::max_element(edges.begin(), edges.end()), c.printable / 2);
        for (const char* text : {"USER", "COMMAND", "1007", "169584", "Ss", "09:14", "--deserialize=47"})
            EXPECT_NE(rtf.find(text), std::string::npos) << text;
        EXPECT_EQ(conversion.messages.find("wider than the page"), std::string::npos) << conversion.messages;
    }

    const std::string narrow = "Name    Age   City\nAnn     31    Oslo\nBob     45    Rome\nCid     52    Bern\n";
    RTFConversion portrait, landscape;
    portrait.code = landscape.code = 1;
    landscape.policyLines = {"Use Landscape mode : Yes"};
    const std::vector<long> edges = CellEdges(portrait.Convert(narrow));
    ASSERT_FALSE(edges.empty());
    EXPECT_EQ(edges, CellEdges(landscape.Convert(narrow)));
    EXPECT_LT(edges.back(), 8306 / 2);
}

// The widths of the columns of the first row, in twips (the cell edges
// less the gap of 216 twips each column has beside its text).
std::vector<long> FirstRowWidths(const std::string& rtf) {
    const std::vector<long> edges = CellEdges(rtf.substr(0, rtf.find("\\row")));
    std::vector<long> widths;
    long before = -108;  // the table's left edge
    for (const long edge : edges) {
        widths.push_back(edge - before - 216);
        before = edge;
    }
    return widths;
}

// The width in twips of a word of the RTF table font (10 points).
long WordTwips(const char* word, bool bold) {
    return SumCharWidths(word, 0, bold ? 1 : 0, 0, 0, 0) * 10 * 20 / 1000;
}

// Where the page has room, no column is narrower than the longest word of
// its titles: the header rows (bold), or the first line of a table without
// them.  A column wide enough for its title keeps its width.
TEST(RTFConversionTest, ColumnsAreAsWideAsTheWordsOfTheirTitles) {
    const std::string table =
        "USER      PID  %CPU  %MEM  COMMAND\n"
        "root        1   0.0   0.1  init\n"
        "alice    1822   1.2   2.3  firefox\n"
        "bob      2051   0.3   0.5  bash\n";
    struct Case {
        std::string text;
        bool bold;
    };
    const size_t rule = table.find('\n') + 1;
    const std::string ruled = table.substr(0, rule) + "----      ---  ----  ----  -------\n" + table.substr(rule);
    for (const Case& c : {Case{table, false}, Case{ruled, true}}) {
        SCOPED_TRACE(c.bold ? "header row" : "first line");
        RTFConversion conversion;
        conversion.code = 1;
        const std::vector<long> widths = FirstRowWidths(conversion.Convert(c.text));
        ASSERT_EQ(widths.size(), 5u);
        const char* titles[] = {"USER", "PID", "%CPU", "%MEM", "COMMAND"};
        for (size_t k = 0; k < widths.size(); ++k) EXPECT_GE(widths[k], WordTwips(titles[k], c.bold)) << titles[k];
    }
    // A wide table in landscape has room for its titles as well.
    std::string wide = "USER      PID   %CPU  %MEM  VSZ     RSS    TTY   STAT  START  TIME  COMMAND\n";
    for (int i = 0; i < 8; ++i)
        wide += "root      " + std::to_string(1000 + i) +
                "  0.0   0.1   169584  13280  ?     Ss    09:14  0:03  /usr/lib/systemd/systemd-service-number-" +
                std::to_string(i) + " --log-target=journal-or-kmsg --unit=default.target\n";
    RTFConversion landscape;
    landscape.code = 1;
    landscape.policyLines = {"Use Landscape mode : Yes"};
    const std::vector<long> widths = FirstRowWidths(landscape.Convert(wide));
    const char* titles[] = {"USER", "PID", "%CPU", "%MEM", "VSZ", "RSS", "TTY", "STAT", "START", "TIME", "COMMAND"};
    ASSERT_EQ(widths.size(), std::size(titles));
    long total = 0;
    for (size_t k = 0; k < widths.size(); ++k) {
        EXPECT_GE(widths[k], WordTwips(titles[k], false)) << titles[k];
        total += widths[k] + 216;
    }
    EXPECT_LE(total - 108, 13238);
    EXPECT_EQ(landscape.messages.find("wider than the page"), std::string::npos) << landscape.messages;
}

// A table too wide for the page gets as many of its titles whole as the
// room allows; a column whose longest word breaks at any width it may get
// (a long path) gives up room for them below the width it keeps for its
// words otherwise (720 twips).
TEST(RTFConversionTest, AColumnOfLongWordsGivesRoomToTheTitles) {
    std::string text;
    for (int k = 0; k < 10; ++k) text += "%MW" + std::to_string(k) + "  ";
    text += "PATH\n";
    for (int row = 0; row < 4; ++row) {
        for (int k = 0; k < 10; ++k) {
            const std::string number = std::to_string(row * 7 + k);
            text += std::string(4 - number.size(), ' ') + number + "  ";
        }
        text += "/usr/lib/a-very-long-path-name-without-any-blank-in-it-at-all-" + std::to_string(row) + "\n";
    }
    RTFConversion conversion;
    conversion.code = 1;
    const std::vector<long> widths = FirstRowWidths(conversion.Convert(text));
    ASSERT_EQ(widths.size(), 11u);
    long total = 0;
    int whole = 0;
    for (size_t k = 0; k < widths.size(); ++k) {
        total += widths[k] + 216;
        if (k < 10 && widths[k] >= WordTwips(("%MW" + std::to_string(k)).c_str(), false)) ++whole;
    }
    EXPECT_LE(total - 108, 8306);
    EXPECT_LT(widths.back(), 720);
    EXPECT_GE(whole, 4);
}

// The words of the titles are measured without their in-line tags, cell by
// cell, and the title cells are written with them all the same; a title
// line that holds a whole file (a cell the writer takes over rather than
// copies) is written whole, tagged or not.
TEST(RTFConversionTest, TitlesAreMeasuredWithoutTheirTagsAndWrittenWithThem) {
    const std::string rule = "----      ---  ----  -------\n";
    const std::string rows = "root        1   0.0  init\nalice    1822   1.2  firefox\nbob      2051   0.3  bash\n";
    std::string words;
    for (int i = 0; words.size() < RTFFile::kHandOverBytes; ++i) words += "w" + std::to_string(i % 97) + " ";
    words.pop_back();
    struct Case {
        const char* name;
        std::string text;
        std::string cell;  // the line of the title's last cell as written
        std::vector<const char*> titles;  // the title words as measured
        bool bold;  // the titles are a header row
    };
    const std::vector<const char*> titles = {"USER", "PID", "%CPU", "COMMAND"};
    const std::string plain = "USER      PID  %CPU  COMMAND\n";
    const std::string tagged = "USER      PID  %CPU  COM[[BR]]MAND\n";
    const Case cases[] = {
        {"plain titles", plain + rows, "COMMAND\\cell", titles, false},
        {"a tag inside a title word", tagged + rows, "COM\\par MAND\\cell", titles, false},
        {"a plain header row", plain + rule + rows, "{\\b COMMAND\\b0 \\cell}", titles, true},
        {"a tagged header row", tagged + rule + rows, "{\\b COM\\par MAND\\b0 \\cell}", titles, true},
        {"a large title line", words + "\n", "\\intbl " + words + "\\cell", {"w96"}, false},
        {"a large tagged title line", "[[BR]]" + words + "\n", "\\intbl \\par " + words + "\\cell", {"w96"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RTFConversion conversion;
        conversion.code = 1;
        const std::string rtf = conversion.Convert(c.text);
        EXPECT_NE(rtf.find("\n" + c.cell + "\n"), std::string::npos) << rtf.substr(rtf.find("\\trowd"), 1000);
        const std::vector<long> widths = FirstRowWidths(rtf);
        ASSERT_EQ(widths.size(), c.titles.size());
        for (size_t k = 0; k < widths.size(); ++k)
            EXPECT_GE(widths[k], WordTwips(c.titles[k], c.bold)) << c.titles[k];
        // The tag takes no room of its own.
        if (c.text.find("COM[[BR]]MAND") != std::string::npos) {
            EXPECT_LT(widths.back(), WordTwips("COM[[BR]]MAND", c.bold));
        }
    }
}

// The cells that pad a short line of a delimited table are the empty cells
// of their columns: in a column of numbers, right-aligned.
TEST(RTFConversionTest, TheCellsPaddingAShortRowAreAlignedAsTheirColumns) {
    RTFConversion conversion;
    conversion.code = 7;
    const std::string rtf = conversion.Convert("Item\tQty\tPrice\nApple\t1\t2\nNote\nPear\t4\t5\n");
    const std::string row = "\\intbl Note\\cell\n{\\qr  \\cell}\n{\\qr  \\cell}\n}\\nowidctlpar";
    EXPECT_NE(rtf.find(row), std::string::npos) << rtf;
}

// The table caption is a centred paragraph of the "Body" style in the table
// font, kept with the table and written before its first row: for a table,
// a two-column table written as a definition list, and a user table.  A
// table without a caption gets none.
TEST(RTFConversionTest, TheTableCaptionIsACentredParagraphBeforeTheFirstRow) {
    const std::string caption = "$_$_TABLE_CAPTION Sales by region\n";
    struct Case {
        const char* name;
        int code;
        std::string text;
        const char* firstRow;  // what the table's rows begin with
    };
    const std::vector<Case> cases = {
        {"table", 1,
         "Region    Q1     Q2\n------    --     --\nNorth     12     15\nSouth      9     10\n"
         "East      11     13\nWest       8      9\n",
         "\\trowd"},
        {"definition list", 1, "Name    Value\n----    -----\nAlpha   1\nBeta    2\nGamma   3\nDelta   4\n",
         "\\s14"},
        {"user table", 5,
         "$_$_NEW_ROW head\n$_$_NEW_CELL\nItem\n$_$_NEW_CELL\nQty\n$_$_NEW_ROW data\n$_$_NEW_CELL\nApples\n"
         "$_$_NEW_CELL\n3\n",
         "\\trowd"},
    };
    const std::string paragraph = "\\keepn\\qc Sales by region\\par}";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RTFConversion conversion;
        conversion.code = c.code;
        const std::string rtf = conversion.Convert(caption + c.text);
        EXPECT_TRUE(RtfBracesBalance(rtf)) << rtf;
        const size_t at = rtf.find(paragraph);
        ASSERT_NE(at, std::string::npos) << rtf;
        EXPECT_EQ(rtf.find(paragraph, at + 1), std::string::npos) << "written twice";
        const size_t line = rtf.rfind('\n', at) + 1;
        EXPECT_EQ(rtf.compare(line, 17, "{\\pard\\plain \\s1\\"), 0) << rtf.substr(line, at - line);
        EXPECT_LT(at, rtf.find(c.firstRow, line)) << rtf;

        RTFConversion without;
        without.code = c.code;
        EXPECT_EQ(without.Convert(c.text).find("\\qc "), std::string::npos);
    }
}

// Columns that cannot be narrowed enough keep their least widths and one
// warning says so.
TEST(RTFConversionTest, ATableThatCannotFitIsReportedOnce) {
    std::string text;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 30; ++column) text += "word" + std::to_string(column % 10) + "    ";
        text += "\n";
    }
    RTFConversion conversion;
    conversion.code = 1;
    const std::string rtf = conversion.Convert(text);
    EXPECT_NE(rtf.find("word9"), std::string::npos);
    const std::string warning = "WARNING: Table is wider than the page";
    const size_t first = conversion.messages.find(warning);
    EXPECT_NE(first, std::string::npos) << conversion.messages;
    EXPECT_EQ(conversion.messages.find(warning, first + 1), std::string::npos) << conversion.messages;
    EXPECT_EQ(conversion.messages.find("ERROR"), std::string::npos) << conversion.messages;
}

}  // namespace

// The header waits for the input, so a TITLE directive reaches the RTF title.
TEST(RTFConversionHead, TitleDirectiveReachesTheInfoGroup) {
    TempFolder temp("vendrel_rtf_head");
    ASSERT_TRUE(temp.Made());
    const std::string folder = temp.Path().string();
    const std::string input = folder + "/titled.txt";
    std::ofstream(input) << "Body text.\n\n$_$_TITLE Annual Figures\n";
    Context context(1, 1);
    FC master, run, file;
    ASSERT_TRUE(ConvertToTable(master, run, file, context, TextString(input.c_str()), TextString(""), 1, nullptr));
    const std::string rtf = ReadWhole(temp / "titled.rtf");
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(rtf.find("{\\title Annual Figures}"), std::string::npos);
    EXPECT_LT(rtf.find("{\\title"), rtf.find("Body text."));
}
