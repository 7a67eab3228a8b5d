// End-to-end conversions compared byte for byte with the expected output in
// tests/data/golden.  The inputs are tests/data/golden/*.txt and the files of
// examples/.  An input may have a file of options beside it, or in
// tests/data/golden for an example (same name, ".args"): "code N" converts it
// with special format code N (1, a table, by default, as the program does),
// "format rtf" writes RTF instead of HTML, "policy NAME" reads the policy file
// NAME (beside the input) first.
// Set VENDREL_REGENERATE_GOLDEN=1 to write the expected files from the
// current output instead of comparing.  An input may also have a ".cells"
// file beside it: the table read back from the output must hold the rows and
// cells it lists (TablesHoldTheRowsAndCellsAReaderCounts).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "policies/fc.h"
#include "support/temp_folder.h"
#include "tables/convert_to_table.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGoldenFolder = fs::path(VENDREL_TEST_DATA_DIR) / "golden";
const fs::path kExamplesFolder = fs::path(VENDREL_TEST_DATA_DIR) / ".." / ".." / "examples";

void IgnoreText(const char*) {}

// The messages of the conversion being run.
std::string gMessages;
void KeepMessage(const char* text) {
    gMessages += text;
    gMessages += '\n';
}

void ReplaceAll(std::string& text, const std::string& find, const std::string& with) {
    if (find.empty()) return;
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + with.size()))
        text.replace(at, find.size(), with);
}

std::vector<fs::path> GoldenInputs() {
    std::vector<fs::path> inputs;
    for (const fs::path& folder : {kGoldenFolder, kExamplesFolder})
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.path().extension() == ".txt") inputs.push_back(entry.path());
    return inputs;
}

// The head's lines are written whole, each on one line.  After the head,
// outside pre-formatted text, the HTML has no line over 90 columns (except
// lines holding a link target) and never three newlines in a row.
void ExpectTidyLayout(const std::string& html) {
    std::istringstream lines(html);
    std::string line;
    bool inPre = false;
    int blankRun = 0;
    while (std::getline(lines, line) && line.find("</HEAD>") == std::string::npos) {
        EXPECT_EQ(line.find('"') == std::string::npos ? 0u : std::count(line.begin(), line.end(), '"') % 2, 0u)
            << "a head line cut inside a quoted text: " << line;
    }
    while (std::getline(lines, line)) {
        if (line.find("<PRE>") != std::string::npos) inPre = true;
        if (line.find("</PRE>") != std::string::npos) inPre = false;
        if (inPre) continue;
        if (line.find("HREF") == std::string::npos) {
            EXPECT_LE(line.size(), 90u) << line;
        }
        blankRun = line.empty() ? blankRun + 1 : 0;
        EXPECT_LT(blankRun, 2) << "three newlines in a row before: " << line;
    }
}

struct GoldenOptions {
    int code = 1;
    bool rtf = false;
    std::string policy;  // a policy file beside the input, or empty
};

GoldenOptions ReadOptions(const fs::path& input) {
    GoldenOptions options;
    fs::path args = fs::path(input).replace_extension(".args");
    if (!fs::exists(args)) args = kGoldenFolder / args.filename();
    std::ifstream in(args);
    std::string word;
    while (in >> word) {
        if (word == "code")
            in >> options.code;
        else if (word == "format") {
            in >> word;
            options.rtf = word == "rtf";
        } else if (word == "policy") {
            in >> options.policy;
        }
    }
    return options;
}

// Converts a copy of the input in a fresh folder with the default policies;
// the folder and today's date are replaced by "@FOLDER@" and "@DATE@", and
// the creation time of an RTF document by "@TIME@".  The messages of the
// conversion are left in gMessages, the folder replaced there too.
std::string ConvertCopy(const fs::path& input, const GoldenOptions& options) {
    TempFolder temp("vendrel_golden");
    if (!temp.Made()) return "cannot make a folder";
    const std::string folder = temp.Path().string();
    const fs::path copy = fs::path(folder) / input.filename();
    fs::copy_file(input, copy);

    Context context;
    gMessages.clear();
    context.sink.SetMessageCallback(KeepMessage);
    context.sink.SetStatusCallback(IgnoreText);
    context.outputFormat = options.rtf ? 1 : 0;
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    if (!options.policy.empty()) {
        TextFile reader;
        if (!reader.OpenForRead((input.parent_path() / options.policy).c_str()))
            return "cannot read the policy file";
        run.ReadPolicyFile(reader);
    }
    TextString before;
    GetDateText(&before);
    const bool converted = ConvertToTable(master, run, file, context, TextString(copy.string().c_str()),
                                          TextString(), options.code, nullptr);
    TextString after;
    GetDateText(&after);

    std::string output = converted ? ReadWhole(fs::path(copy).replace_extension(options.rtf ? ".rtf" : ".html"))
                                   : "conversion failed";
    ReplaceAll(output, folder, "@FOLDER@");
    ReplaceAll(gMessages, folder, "@FOLDER@");
    ReplaceAll(output, before.str(), "@DATE@");
    ReplaceAll(output, after.str(), "@DATE@");
    if (options.rtf) output = std::regex_replace(output, std::regex(R"(\\creatim[^}]*)"), "\\creatim@TIME@");
    return output;
}

TEST(GoldenConversionTest, DefaultPoliciesGiveTheExpectedHTML) {
    const bool regenerate = std::getenv("VENDREL_REGENERATE_GOLDEN") != nullptr;
    const std::vector<fs::path> inputs = GoldenInputs();
    ASSERT_GE(inputs.size(), 2u);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const GoldenOptions options = ReadOptions(input);
        const std::string actual = ConvertCopy(input, options);
        EXPECT_NE(actual.find(options.rtf ? "{\\rtf" : "</HTML>"), std::string::npos);
        const fs::path expected =
            kGoldenFolder / fs::path(input.filename()).replace_extension(options.rtf ? ".rtf" : ".html");
        // The messages, when there are any, are kept beside the output.
        const fs::path messages = fs::path(expected).replace_extension(".messages");
        std::string reported = gMessages;
        ReplaceAll(reported, kGoldenFolder.string(), "@GOLDEN@");
        if (regenerate) {
            std::ofstream(expected, std::ios::binary) << actual;
            if (!reported.empty()) std::ofstream(messages, std::ios::binary) << reported;
            continue;
        }
        EXPECT_EQ(reported, fs::exists(messages) ? ReadWhole(messages) : std::string());
        if (!options.rtf) ExpectTidyLayout(actual);
        ASSERT_TRUE(fs::exists(expected)) << "run with VENDREL_REGENERATE_GOLDEN=1 to create " << expected;
        EXPECT_EQ(actual, ReadWhole(expected));
    }
}

}  // namespace

namespace {

// Every block writer escapes "&", "<" and the 8-bit "é" exactly once: the
// table cells, code, pre-formatted text, mail header and ordinary text.
TEST(GoldenConversionTest, EveryBlockWriterEscapesOnce) {
    for (const char* name : {"escape_table", "escape_code", "escape_pre", "escape_mail", "escape_text"}) {
        SCOPED_TRACE(name);
        const fs::path input = kGoldenFolder / (std::string(name) + ".txt");
        const std::string html = ConvertCopy(input, ReadOptions(input));
        const size_t body = html.find("<BODY");
        ASSERT_NE(body, std::string::npos);
        const std::string text = html.substr(body);
        EXPECT_NE(text.find("&amp;"), std::string::npos);
        EXPECT_NE(text.find("&lt;"), std::string::npos);
        EXPECT_NE(text.find("&eacute;"), std::string::npos);
        for (const char* twice : {"&amp;amp;", "&amp;lt;", "&amp;eacute;", "&amp;gt;"})
            EXPECT_EQ(text.find(twice), std::string::npos) << twice;
        EXPECT_EQ(text.find("caf\xe9"), std::string::npos);
    }
}

}  // namespace

namespace {

// With FONT markup on, every table cell opens and closes its own FONT tags,
// properly nested: a colour set in one cell never reaches the next.
TEST(GoldenConversionTest, FontMarkupIsBalancedInEveryCell) {
    const fs::path input = kGoldenFolder / "font_cells.txt";
    const std::string html = ConvertCopy(input, ReadOptions(input));
    const std::regex cellPattern(R"(<T([DH])[^>]*>([\s\S]*?)</T\1>)", std::regex::icase);
    const std::regex fontTag(R"(<(/?)FONT\b)", std::regex::icase);
    int cells = 0;
    for (std::sregex_iterator cell(html.begin(), html.end(), cellPattern), end; cell != end; ++cell) {
        ++cells;
        const std::string content = (*cell)[2];
        int depth = 0;
        int opened = 0;
        for (std::sregex_iterator tag(content.begin(), content.end(), fontTag); tag != end; ++tag) {
            if ((*tag)[1].length() == 0) {
                ++depth;
                ++opened;
            } else {
                --depth;
                EXPECT_GE(depth, 0) << content;
            }
        }
        EXPECT_EQ(depth, 0) << content;
        EXPECT_GE(opened, 1) << content;
        if (content.find("plain") != std::string::npos) {
            EXPECT_EQ(content.find("COLOR"), std::string::npos) << content;
        }
    }
    EXPECT_EQ(cells, 8);
}

}  // namespace

namespace {

// A table as a reader counts it: its rows, each a header row or not, with
// the texts of its cells.
struct ReadRow {
    bool header = false;
    std::vector<std::string> cells;
    bool operator==(const ReadRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ReadRow& row) {
    out << (row.header ? "header" : "row");
    for (const std::string& cell : row.cells) out << " [" << cell << "]";
    return out;
}

// Blanks and line ends in a row become one blank; none at the ends.
std::string Squeezed(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The rows of the tables of an HTML document, in order.
std::vector<ReadRow> HtmlRows(const std::string& html) {
    std::vector<ReadRow> rows;
    std::string tables;
    for (size_t start = html.find("<TABLE"); start != std::string::npos; start = html.find("<TABLE", start + 1)) {
        const size_t end = html.find("</TABLE>", start);
        if (end == std::string::npos) break;
        tables += html.substr(start, end - start);
    }
    const std::regex rowPattern(R"(<TR\b[^>]*>([\s\S]*?)</TR>)");
    const std::regex cellPattern(R"(<(T[DH])\b[^>]*>([\s\S]*?)</\1>)");
    const std::regex tag(R"(<[^>]*>)");
    for (std::sregex_iterator row(tables.begin(), tables.end(), rowPattern), none; row != none; ++row) {
        ReadRow read;
        const std::string cells = (*row)[1];
        for (std::sregex_iterator cell(cells.begin(), cells.end(), cellPattern); cell != none; ++cell) {
            read.header = (*cell)[1] == "TH";
            std::string text = std::regex_replace((*cell)[2].str(), tag, " ");
            for (const auto& [entity, character] : {std::pair<const char*, const char*>{"&nbsp;", " "},
                                                    {"&lt;", "<"},
                                                    {"&gt;", ">"},
                                                    {"&quot;", "\""},
                                                    {"&amp;", "&"}})
                ReplaceAll(text, entity, character);
            read.cells.push_back(Squeezed(text));
        }
        rows.push_back(read);
    }
    return rows;
}

// A character as UTF-8.
std::string Utf8Of(unsigned code) {
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// The text of RTF: control words and braces dropped, escaped characters
// kept, a Unicode character ("\uN" and the one character that stands for
// it; a character beyond the basic plane as its two surrogates) as UTF-8.
std::string RtfText(const std::string& rtf) {
    std::string out;
    unsigned highSurrogate = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{' || c == '}') continue;
        if (c != '\\' || i + 1 >= rtf.size()) {
            out += c;
            continue;
        }
        const char next = rtf[++i];
        if (next == 'u' && i + 1 < rtf.size() &&
            (std::isdigit(static_cast<unsigned char>(rtf[i + 1])) || rtf[i + 1] == '-')) {
            size_t used = 0;
            const int value = std::stoi(rtf.substr(i + 1), &used);
            const unsigned code = static_cast<unsigned>(value < 0 ? value + 65536 : value) & 0xFFFF;
            if (code >= 0xD800 && code < 0xDC00) {
                highSurrogate = code;
            } else if (code >= 0xDC00 && code < 0xE000 && highSurrogate != 0) {
                out += Utf8Of(0x10000 + ((highSurrogate - 0xD800) << 10) + (code - 0xDC00));
                highSurrogate = 0;
            } else {
                out += Utf8Of(code);
            }
            i += used;
            if (i + 1 < rtf.size() && rtf[i + 1] == ' ') ++i;
            if (i + 1 < rtf.size()) ++i;  // the character for readers without Unicode
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(next))) {
            while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
            if (i < rtf.size() && rtf[i] == '-') ++i;
            while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
            if (i >= rtf.size() || rtf[i] != ' ') --i;  // a blank after a control word belongs to it
            out += ' ';
        } else if (next == '\'' && i + 2 < rtf.size()) {
            out += static_cast<char>(std::stoi(rtf.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += next;
        }
    }
    return out;
}

// The rows of a definition list, the RTF form of a table of two columns:
// each term stands on a line ending in "\tab", its definition on the lines
// after it up to the "\par" that ends the item.
std::vector<ReadRow> RtfDefinitionRows(const std::string& rtf) {
    std::vector<ReadRow> rows;
    std::istringstream lines(rtf);
    std::string line;
    ReadRow* open = nullptr;
    std::string definition;
    while (std::getline(lines, line)) {
        const size_t tab = line.rfind("\\tab");
        if (tab != std::string::npos && tab + 4 == line.size()) {
            rows.push_back(ReadRow{false, {Squeezed(RtfText(line.substr(0, tab)))}});
            open = &rows.back();
            definition.clear();
        } else if (open && line.compare(0, 4, "\\par") == 0) {
            open->cells.push_back(Squeezed(RtfText(definition)));
            open = nullptr;
        } else if (open) {
            definition += line + " ";
        }
    }
    return rows;
}

// The rows of the tables of an RTF document: each row runs from "\trowd"
// to "\row", and each of its cells is written on a line of its own ending
// in "\cell" (bold, "\b ", in a header row).  A document without rows
// holds a definition list.
std::vector<ReadRow> RtfRows(const std::string& rtf) {
    if (rtf.find("\\trowd") == std::string::npos) return RtfDefinitionRows(rtf);
    std::vector<ReadRow> rows;
    for (size_t at = rtf.find("\\trowd"); at != std::string::npos; at = rtf.find("\\trowd", at + 1)) {
        const size_t end = rtf.find("\\row", at);
        if (end == std::string::npos) break;
        std::istringstream lines(rtf.substr(at, end - at));
        ReadRow read;
        std::string line;
        while (std::getline(lines, line)) {
            const size_t cell = line.find("\\cell");
            if (cell == std::string::npos || line.compare(cell, 6, "\\cellx") == 0) continue;
            read.header = line.find("\\b ") != std::string::npos;
            read.cells.push_back(Squeezed(RtfText(line.substr(0, cell))));
        }
        rows.push_back(read);
    }
    return rows;
}

// The rows a ".cells" file lists: a line a row, "header" or "row" and then
// the cells, all parted by tabs (an empty cell is an empty field, also the
// last one of a line).
std::vector<ReadRow> ExpectedRows(const fs::path& file) {
    std::vector<ReadRow> rows;
    std::istringstream lines(ReadWhole(file));
    std::string line;
    while (std::getline(lines, line)) {
        // Every tab parts two fields: a line ending in a tab ends with an
        // empty cell.
        ReadRow row;
        size_t tab = line.find('\t');
        row.header = line.compare(0, tab, "header") == 0;
        while (tab != std::string::npos) {
            const size_t next = line.find('\t', tab + 1);
            row.cells.push_back(
                line.substr(tab + 1, next == std::string::npos ? std::string::npos : next - tab - 1));
            tab = next;
        }
        rows.push_back(row);
    }
    return rows;
}

// The words of letters and digits of a text.
std::set<std::string> Words(const std::string& text) {
    std::set<std::string> words;
    std::string word;
    for (const char c : text + " ") {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += c;
        } else if (!word.empty()) {
            words.insert(word);
            word.clear();
        }
    }
    return words;
}

// Whether `line` begins with the directive `name` ("$_$_" and the name).
bool IsDirective(const std::string& line, const char* name) {
    return line.rfind(std::string("$_$_") + name, 0) == 0;
}

// The golden inputs with a ".cells" file beside them (an input whose name
// ends in "_rtf" and has none shares the file of the name without it) come
// out as tables with exactly the rows and cells the file lists, and every
// word of letters and digits of the input is in a cell, but for its
// directive lines and the lines of its definitions and HTML blocks.
TEST(GoldenConversionTest, TablesHoldTheRowsAndCellsAReaderCounts) {
    int checked = 0;
    for (const fs::path& input : GoldenInputs()) {
        std::string stem = input.stem().string();
        fs::path cells = kGoldenFolder / (stem + ".cells");
        if (!fs::exists(cells) && stem.size() > 4 && stem.compare(stem.size() - 4, 4, "_rtf") == 0)
            cells = kGoldenFolder / (stem.substr(0, stem.size() - 4) + ".cells");
        if (!fs::exists(cells)) continue;
        SCOPED_TRACE(input.string());
        ++checked;
        const GoldenOptions options = ReadOptions(input);
        const std::string output = ConvertCopy(input, options);
        const std::vector<ReadRow> rows = options.rtf ? RtfRows(output) : HtmlRows(output);
        EXPECT_EQ(rows, ExpectedRows(cells));

        std::string cellTexts;
        for (const ReadRow& row : rows)
            for (const std::string& cell : row.cells) cellTexts += cell + " ";
        const std::set<std::string> inCells = Words(cellTexts);
        std::istringstream lines(ReadWhole(input));
        std::string line;
        bool inDefinition = false, inHtml = false;
        while (std::getline(lines, line)) {
            if (IsDirective(line, "DEFINE_BLOCK") || IsDirective(line, "DEFINE_HTML_FRAGMENT") ||
                IsDirective(line, "DEFINE_TEXT_FRAGMENT"))
                inDefinition = true;
            if (IsDirective(line, "END_BLOCK")) inDefinition = false;
            if (IsDirective(line, "BEGIN_HTML")) inHtml = true;
            if (IsDirective(line, "END_HTML")) inHtml = false;
            const size_t text = line.find_first_not_of(' ');
            if (inDefinition || inHtml || (text != std::string::npos && line.compare(text, 4, "$_$_") == 0))
                continue;
            for (const std::string& word : Words(line))
                EXPECT_EQ(inCells.count(word), 1u) << word << " of: " << line;
        }
    }
    EXPECT_GE(checked, 30);
}

}  // namespace
