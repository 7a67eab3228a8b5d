// Every tag of the in-line tag table in a table cell of a converted file,
// given an argument that would be live markup if it were written as it
// stands: the page holds no element or attribute that came from the
// argument, no tag is left in the cell as its own text, a tag that writes
// its argument shows it exactly as typed, and a tag that means nothing in a
// cell is reported once.  The same for RTF: the document's groups stay
// whole and the cell reads back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "context/keyword_tables.h"
#include "support/document_text.h"
#include "support/file_conversion.h"
#include "support/rtf_braces.h"

namespace {

// Markup in HTML and in RTF, a blank and a double quote.
const std::string kHostile = "<img src=x onerror=alert(1)> \\par}{ \"q\"";
// The same without the quote, for an argument written between quotes.
const std::string kQuotable = "<img src=x onerror=alert(1)> \\par}{";

// The file `lines` above a three-column table whose third column holds
// `cell` in its first data row, converted.
FileConversion Convert(const std::string& lines, const std::string& cell, bool rtf) {
    return ConvertFileBytes(lines + "Name   Age  City\n" + "-----  ---  ----\n" + "Alice  30   " + cell + "\n" +
                                "Bob    25   Rome\n" + "Carol  41   Oslo\n",
                            rtf);
}

// ---- Reading HTML as a browser reads its markup ----

struct HtmlPiece {
    enum class Kind { kText, kStart, kEnd, kComment, kOther } kind;
    std::string name;  // of an element, upper case
    std::vector<std::string> attributes;  // their names, upper case
    std::string text;  // of text and comments
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The pieces of a page: "<" followed by a letter opens an element, "</" ends
// one, "<!--" opens a comment; any other "<" is text.
std::vector<HtmlPiece> ReadHtml(const std::string& page) {
    std::vector<HtmlPiece> pieces;
    std::string text;
    auto endText = [&]() {
        if (!text.empty()) pieces.push_back({HtmlPiece::Kind::kText, "", {}, text});
        text.clear();
    };
    size_t i = 0;
    while (i < page.size()) {
        const bool letterNext = i + 1 < page.size() && std::isalpha(static_cast<unsigned char>(page[i + 1]));
        const bool endNext =
            i + 2 < page.size() && page[i + 1] == '/' && std::isalpha(static_cast<unsigned char>(page[i + 2]));
        if (page[i] != '<' || (!letterNext && !endNext && page.compare(i, 2, "<!") != 0)) {
            text += page[i++];
            continue;
        }
        endText();
        if (page.compare(i, 4, "<!--") == 0) {
            const size_t close = page.find("-->", i + 4);
            const size_t end = close == std::string::npos ? page.size() : close;
            pieces.push_back({HtmlPiece::Kind::kComment, "", {}, page.substr(i + 4, end - i - 4)});
            i = close == std::string::npos ? page.size() : close + 3;
            continue;
        }
        if (page[i + 1] == '!') {
            const size_t close = page.find('>', i);
            pieces.push_back({HtmlPiece::Kind::kOther, "", {}, ""});
            i = close == std::string::npos ? page.size() : close + 1;
            continue;
        }
        HtmlPiece piece{endNext ? HtmlPiece::Kind::kEnd : HtmlPiece::Kind::kStart, "", {}, ""};
        i += endNext ? 2 : 1;
        while (i < page.size() && !IsSpace(page[i]) && page[i] != '>' && page[i] != '/') piece.name += page[i++];
        piece.name = Upper(piece.name);
        while (i < page.size() && page[i] != '>') {
            if (IsSpace(page[i]) || page[i] == '/') {
                ++i;
                continue;
            }
            std::string attribute;
            while (i < page.size() && !IsSpace(page[i]) && page[i] != '>' && page[i] != '=' && page[i] != '/')
                attribute += page[i++];
            piece.attributes.push_back(Upper(attribute));
            while (i < page.size() && IsSpace(page[i])) ++i;
            if (i >= page.size() || page[i] != '=') continue;
            ++i;
            while (i < page.size() && IsSpace(page[i])) ++i;
            if (i < page.size() && (page[i] == '"' || page[i] == '\'')) {
                const size_t close = page.find(page[i], i + 1);
                i = close == std::string::npos ? page.size() : close + 1;
            } else {
                while (i < page.size() && !IsSpace(page[i]) && page[i] != '>') ++i;
            }
        }
        ++i;
        pieces.push_back(piece);
    }
    endText();
    return pieces;
}

std::string Squeezed(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (IsSpace(c)) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The text a reader sees in the pieces.
std::string ShownText(const std::vector<HtmlPiece>& pieces) {
    std::string text;
    for (const HtmlPiece& piece : pieces)
        if (piece.kind == HtmlPiece::Kind::kText) text += piece.text;
    return Squeezed(HtmlText(text));
}

// The pieces of the third cell of the row whose first cell reads `first`.
std::vector<HtmlPiece> ThirdCell(const std::vector<HtmlPiece>& pieces, const std::string& first) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].kind != HtmlPiece::Kind::kStart || pieces[i].name != "TR") continue;
        std::vector<std::vector<HtmlPiece>> cells;
        for (size_t k = i + 1; k < pieces.size(); ++k) {
            const HtmlPiece& piece = pieces[k];
            if (piece.name == "TR") break;
            if (piece.kind == HtmlPiece::Kind::kStart && (piece.name == "TD" || piece.name == "TH")) {
                cells.emplace_back();
            } else if (piece.kind == HtmlPiece::Kind::kEnd && (piece.name == "TD" || piece.name == "TH")) {
                continue;
            } else if (!cells.empty()) {
                cells.back().push_back(piece);
            }
        }
        if (cells.size() == 3 && ShownText(cells[0]) == first) return cells[2];
    }
    return {};
}

// The line of the third cell of the RTF row that begins with `first`: each
// cell is written on a line of its own, ending in "\cell" (and in "}" when
// the cell is a group).
std::string RtfThirdCellLine(const std::string& rtf, const std::string& first) {
    size_t at = rtf.find("\\intbl " + first + "\\cell");
    for (int n = 0; n < 2 && at != std::string::npos; ++n) at = rtf.find('\n', at + 1);
    if (at == std::string::npos) return "";
    const size_t end = rtf.find('\n', at + 1);
    return rtf.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
}

// The text a reader sees in a cell's line.
std::string RtfCellText(const std::string& line) {
    const size_t end = line.rfind("\\cell");
    return Squeezed(RtfText(line.substr(0, end == std::string::npos ? line.size() : end)));
}

struct TagCase {
    std::string name;
    std::string tag;  // the tag as it stands in the cell
    std::optional<std::string> shows;  // what the cell shows between "a" and "b"; unset: not the argument
    bool rejected = false;  // means nothing in a cell: reported once and removed
    std::optional<std::string> rtfShows = std::nullopt;  // in RTF, where it differs
};

// The names of the in-line tag table, and the tags the executors and the
// cells carry out besides them; each with the hostile argument, or where
// the tag reads its text elsewhere, with the argument where it is read.
std::vector<TagCase> Cases() {
    std::set<std::string> names;
    for (int slot = 0; slot < kInlineTagSlots; ++slot)
        if (const char* name = GetInlineTagName(slot); name && *name) names.insert(name);
    for (const char* name :
         {"CHANGE_INDENT", "CT", "OT", "DEFINE_VARIABLE", "FILENAME", "DEBUG", "POPUP", "RESTORE_CONTEXT",
          "SAVE_CONTEXT", "STYLE", "VARIABLE", "NEW_PAGE", "TOC", "RULESET", "CONTENTS_LIST", "BASELINE", "FOLIO"})
        names.insert(name);
    names.erase("HTML");  // raw HTML by design
    const std::set<std::string> rejected = {"GOTO", "HYPERLINK",     "LINKPOINT", "POPUP",  "PAGE_MARKER",
                                            "TOC",  "CONTENTS_LIST", "CURRENCY",  "GUTTER", "END_HEADING"};
    std::vector<TagCase> cases;
    for (const std::string& name : names) {
        TagCase c{name, "[[" + name + " " + kHostile + "]]", std::nullopt, rejected.count(name) != 0};
        if (c.rejected) c.shows = "";
        if (name == "SUPER" || name == "SUB" || name == "SOURCE_FILE" || name == "TEXT") c.shows = kHostile;
        if (name == "FRACTION") {
            c.tag = "[[FRACTION " + kHostile + "/2]]";
            c.shows = kHostile + "/2";
        }
        if (name == "HEADING") {
            c.tag = "[[HEADING 2, \"" + kQuotable + "\"]]";
            c.shows = kQuotable;
            c.rejected = true;
        }
        if (name == "VARIABLE") {
            c.tag = "[[VARIABLE x]]";
            c.shows = kQuotable;
        }
        if (name == "OT") c.shows = "[[";
        if (name == "CT") c.shows = "]]";
        if (name == "NEW_PAGE") {
            c.shows = " ";  // a page break in a cell is a blank
            c.rtfShows = "";  // and removed in RTF
        }
        cases.push_back(c);
    }
    return cases;
}

const char kDefinition[] = "$_$_DEFINE_VARIABLE x,\"<img src=x onerror=alert(1)> \\par}{\"\n";

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

void ExpectReportedOnce(const TagCase& c, const std::string& messages) {
    if (!c.rejected) return;
    EXPECT_EQ(Count(messages, "TAG ERROR: " + c.name + " tag not valid in a table cell: "), 1) << messages;
}

TEST(CellTagsPageTest, NoTagInAnHtmlCellWritesItsInputAsMarkup) {
    for (const TagCase& c : Cases()) {
        SCOPED_TRACE(c.tag);
        const FileConversion converted = Convert(kDefinition, "a" + c.tag + "b", false);
        ASSERT_FALSE(converted.output.empty());
        const std::vector<HtmlPiece> pieces = ReadHtml(converted.output);
        for (const HtmlPiece& piece : pieces) {
            if (piece.kind != HtmlPiece::Kind::kStart) continue;
            EXPECT_NE(piece.name, "IMG");
            for (const std::string& attribute : piece.attributes) {
                EXPECT_NE(attribute, "SRC") << piece.name;
                EXPECT_NE(attribute.rfind("ON", 0), 0u) << piece.name << " " << attribute;
            }
        }
        const std::vector<HtmlPiece> cell = ThirdCell(pieces, "Alice");
        ASSERT_FALSE(cell.empty()) << converted.output;
        const std::string shown = ShownText(cell);
        if (c.shows) {
            EXPECT_EQ(shown, Squeezed("a" + *c.shows + "b"));
        } else {
            EXPECT_EQ(shown.find("onerror"), std::string::npos) << shown;
        }
        if (c.name != "OT") {
            EXPECT_EQ(shown.find("[["), std::string::npos) << shown;
        }
        // A comment's text stays a comment, and reads as it was given.
        if (c.name == "HTML_COMMENT") {
            const auto comment = std::find_if(
                cell.begin(), cell.end(), [](const HtmlPiece& p) { return p.kind == HtmlPiece::Kind::kComment; });
            ASSERT_NE(comment, cell.end());
            EXPECT_EQ(Squeezed(comment->text), Squeezed(kHostile));
        }
        ExpectReportedOnce(c, converted.messages);
    }
}

TEST(CellTagsPageTest, NoTagInAnRtfCellBreaksTheDocumentsGroups) {
    for (const TagCase& c : Cases()) {
        SCOPED_TRACE(c.tag);
        const FileConversion converted = Convert(kDefinition, "a" + c.tag + "b", true);
        ASSERT_EQ(converted.output.rfind("{\\rtf", 0), 0u);
        EXPECT_TRUE(RtfBracesBalance(converted.output));
        const std::string line = RtfThirdCellLine(converted.output, "Alice");
        ASSERT_NE(line.find("\\cell"), std::string::npos) << converted.output;
        // The cell opens no group it does not close, and closes none it
        // did not open.
        EXPECT_TRUE(RtfBracesBalance(line)) << line;
        const std::string shown = RtfCellText(line);
        if (const std::optional<std::string>& shows = c.rtfShows ? c.rtfShows : c.shows) {
            EXPECT_EQ(shown, Squeezed("a" + *shows + "b"));
        } else {
            EXPECT_EQ(shown.find("onerror"), std::string::npos) << shown;
        }
        if (c.name != "OT") {
            EXPECT_EQ(shown.find("[["), std::string::npos) << shown;
        }
        ExpectReportedOnce(c, converted.messages);
    }
}

}  // namespace
