#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/fonts.h"
#include "policies/tab_config.h"
#include "support/engine_fixture.h"

namespace {

class CellTagsTest : public EngineFixture {
protected:
    std::unique_ptr<PreForm> engine;
    TabConfig* config = nullptr;
    std::unique_ptr<TableCell> cell;

    void SetUp() override {
        EngineFixture::SetUp();
        context.trackers.codeLocation = 3;
        engine = EngineWithLines({"a"});
        config = set.GetDefaultTabConfig();
        engine->tabConfig = config;
        FreshCell(false, 0);
    }
    // A cell of the third row (index 2) in the given column (index).
    void FreshCell(bool header, int column) {
        cell = std::make_unique<TableCell>(&set, SourcePosition(0, 7), nullptr);
        cell->row = 2;
        cell->column = column;
        cell->isHeaderCell = header ? 1 : 0;
        engine->messageText.MakeEmpty();
    }
    std::string Tags(const char* text) {
        TextString out(text);
        engine->ProcessCellTags(cell.get(), &out, cell->position);
        return out.str();
    }
};

struct TagCase {
    const char* text;
    const char* expected;
    const char* messages;
    bool header = false;
    int column = 0;
};

TEST_F(CellTagsTest, EachTagOfAnHtmlCellGivesItsTextAndMessages) {
    const std::vector<TagCase> cases = {
        {"a[[BR]]b[[br]]", "a<BR>b<BR>", ""},
        {"x[[EM]]y", "x--y", ""},
        {"x[[eM]]y[[Null_Char]][[cancel_LEAD]]", "x--y", ""},  // names in any letter case
        {"x[[DOT_LEADERS]]", "x ", ""},
        {"[[QUAD C]]x", "<BR>x", ""},
        {"[[QUAD C]][[QUAD Z]]x", "<BR><BR>x",
         "TAG ERROR: Duplicate QUAD tag in table cell: [[QUAD Z]]\n           "
         "TAG ERROR: Invalid QUAD tag in table cell: [[QUAD Z]]"},
        {"[[CURRENCY $]]5[[GUTTER]]", "5",
         "TAG ERROR: CURRENCY tag not valid in a table cell: [[CURRENCY $]]\n           "
         "TAG ERROR: GUTTER tag not valid in a table cell: [[GUTTER]]"},
        {"a[[NULL_CHAR]][[CANCEL_HANG]][[CANCEL_LEAD]][[TOCLINK no]]", "a", ""},
        {" x [[WS]] ", "x", ""},
        {" a [[WS]] b ", "a  b", ""},
        {"  [[WS]]  x [[WS]]", "x", ""},
        {"  [[WS]]   ", "", ""},
        {"x [[WS]]   ", "x", ""},
        {"a[[BR]] [[WS]] y ", "a<BR>  y", ""},
        {"[[VALIGN B]][[VALIGN]]", "",
         "TAG ERROR: Duplicate VALIGN tag in table cell: [[VALIGN]]\n           "
         "TAG ERROR: Invalid VALIGN tag in table cell: [[VALIGN]]"},
        {"[[VALIGN B]][[VALIGN T]]", "", "TAG ERROR: Duplicate VALIGN tag in table cell: [[VALIGN T]]"},
        // The first letter of the first argument, blanks before it passed over.
        {"[[VALIGN c]]", "", ""},
        {"[[valign \" \tbottom\"]]", "", ""},
        {"[[VALIGN x]]", "", "TAG ERROR: Invalid VALIGN tag in table cell: [[VALIGN x]]"},
        {"[[VALIGN \"  \"]]", "", "TAG ERROR: Invalid VALIGN tag in table cell: [[VALIGN \"  \"]]"},
        {"[[VALIGN ,T]]", "", "TAG ERROR: Invalid VALIGN tag in table cell: [[VALIGN ,T]]"},
        {"[[VALIGN a=t]]", "", ""},
        {"[[BASELINE]]", "", "TAG ERROR: BASELINE tag is only valid inside a HEAD_CELL"},
        {"[[BASELINE]]", "", "", true},
        {"[[VERTICAL_ALIGNMENT B]]", "", "TAG ERROR: VERTICAL_ALIGNMMENT tag only allowed in header cells"},
        {"[[VERTICAL_ALIGNMENT X]]", "", "TAG ERROR: Failed to parse - [[VERTICAL_ALIGNMENT X]]", true},
        {"[[VERTICAL_ALIGNMENT B]][[VERTICAL_ALIGNMENT C]]", "",
         "WARNING: Vertical alignment multiply defined for header cell", true},
        {"[[STUB_INDENT 4]]", "", "TAG ERROR: STUB_INDENT tag only allowed in data cells", true},
        {"[[STUB_INDENT 4]]", "", "TAG ERROR: STUB_INDENT tag only allowed in column 1, not at [3,2]", false, 1},
        {"[[STUB_INDENT 4]][[STUB_INDENT 2]]", "", "WARNING: STUB_INDENT multiply defined"},
        {"[[TU red]]", "<HR NOSHADE STYLE=\"color:red;\">", ""},
        {"[[TU2 pink]]", "<HR NOSHADE>", "WARNING: \"pink\" is not a standard HTML colour"},
        {"[[LINERULE 25%]]", "<BR><HR NOSHADE ALIGN=\"LEFT\" WIDTH=\"25%\">", ""},
        {"[[LINERULE 80%, 8, 0, L, Navy]]", "<BR><HR NOSHADE SIZE=8 STYLE=\"color:Navy;\">", ""},
        {"H[[SUPER 2]]O", "H<SUP>2</SUP>O", ""},
        {"[[COLOUR red]]x[[FONT 0, Arial]]", "x", ""},
        {"[[TEXT a,  b]]", "a,  b", ""},
        // A tag of the tag table that this program does not carry out is
        // reported and goes; an unknown name stays as text.
        {"[[LEADING 12]]", "", "TAG ERROR: Unrecognised tag \"LEADING\" : [[LEADING 12]]"},
        {"[[FONT]]x", "x", "TAG ERROR: Invalid FONT tag in table cell: [[FONT]]"},
        {"[[]]x", "x", ""},
        // The scan never takes the same text twice: literal delimiters,
        // unknown tags and a stray start delimiter all end it.
        {"[[OT]]", "[[", ""},
        {"[[OT]]EM[[CT]] [[OT]]", "[[EM]] [[", ""},
        {"[[ZZ]][[ZZ]]", "[[ZZ]][[ZZ]]",
         "TAG ERROR: Unrecognised tag \"ZZ\" : [[ZZ]]\n           TAG ERROR: Unrecognised tag \"ZZ\" : [[ZZ]]"},
        {"a [[ b[[EM]]", "a [[ b--", ""},
        {"a[[EM]][ [[BR]][", "a--[ <BR>[", ""},
        {"[[EM[[ [[BR]]", "[[EM[[ <BR>", ""},
    };
    for (const TagCase& c : cases) {
        SCOPED_TRACE(c.text);
        FreshCell(c.header, c.column);
        EXPECT_EQ(Tags(c.text), c.expected);
        EXPECT_EQ(engine->messageText.str(), c.messages);
    }
}

// Tags a cell hands to the executors, next to tags the cell handles itself,
// in cells one after another of one engine: what one cell's tags leave
// behind must not show in the next.  Every tag is written, or reported, as
// it always was.
TEST_F(CellTagsTest, TagsOfSuccessiveCellsComeOutAsTheyStand) {
    const std::string longTag = "[[ZZ " + std::string(300, 'a') + "]]";
    const std::string unknownZZ = "TAG ERROR: Unrecognised tag \"ZZ\" : [[ZZ]]";
    struct Case {
        std::string text;
        std::string expected;
        std::string messages;  // the engine's, for the cell
        std::string reported = {};  // one message reported through the policy set
        bool rtf = false;
    };
    const std::vector<Case> cases = {
        {"[[ZZ]]a", "[[ZZ]]a", unknownZZ},
        {"a", "a", ""},
        {"a[[zz 1, 2]]b", "a[[zz 1, 2]]b", "TAG ERROR: Unrecognised tag \"zz\" : [[zz 1, 2]]"},
        {"ab[[ZZ x=1]]", "ab[[ZZ x=1]]", "TAG ERROR: Unrecognised tag \"ZZ\" : [[ZZ x=1]]"},
        {"[[ZZ a|b]]", "[[ZZ a|b]]", "TAG ERROR: Unrecognised tag \"ZZ\" : [[ZZ a|b]]"},
        // No marker character is free: the tag cannot be read and goes.
        {"[[ZZ |#?/\\+^&*=~]]x", "x", "", "PROGRAM ERROR: Can't parse tag ZZ= |#?/\\+^&*=~"},
        {"[[VALIGN |#?/\\+^&*=~]]x", "x", "", "PROGRAM ERROR: Can't parse tag VALIGN= |#?/\\+^&*=~"},
        {longTag, longTag, "TAG ERROR: Unrecognised tag \"ZZ\" : " + longTag},
        {"[[VALIGN T]]a[[ZZ]]b[[SUPER 2]]c[[BR]]", "a[[ZZ]]b<SUP>2</SUP>c<BR>", unknownZZ},
        {"[[BR]][[COLOUR red]]x[[ZZ]]", "<BR>x[[ZZ]]", unknownZZ},
        // Tags run by their executors after a WS tag has trimmed the text.
        {"  a [[WS]] [[SUPER 2]]  ", "a  <SUP>2</SUP>", ""},
        {"  [[WS]]a[[ZZ]]  ", "a[[ZZ]]", unknownZZ},
        {"a [[ZZ [[SUPER 2]]", "a [[ZZ <SUP>2</SUP>", ""},
        {"[[EM]]", "--", ""},
        {"a[[ZZ 1]]b[[BR]]", "a[[ZZ 1]]b\\par ", "TAG ERROR: Unrecognised tag \"ZZ\" : [[ZZ 1]]", "", true},
        {"[[VALIGN B]]", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        engine->htmlOutput = c.rtf ? 0 : 1;
        engine->rtfOutput = c.rtf ? 1 : 0;
        FreshCell(false, 0);
        messages.Clear();
        EXPECT_EQ(Tags(c.text.c_str()), c.expected);
        EXPECT_EQ(engine->messageText.str(), c.messages);
        if (!c.reported.empty()) {
            EXPECT_EQ(messages.Count(c.reported), 1);
        }
    }
    EXPECT_EQ(cell->vAlignmentOverride, 2);

    // Delimiters of the policy set's own: an unknown tag's markup characters
    // are written as text.
    engine->htmlOutput = 1;
    engine->rtfOutput = 0;
    set.SetText(Pol::StartTagDelimiter, "<<");
    set.SetText(Pol::EndTagDelimiter, ">>");
    FreshCell(false, 0);
    EXPECT_EQ(Tags("a<<ZZ 1>>b<<BR>>c[[BR]]"), "a&lt;&lt;ZZ 1&gt;&gt;b<BR>c[[BR]]");
    EXPECT_EQ(engine->messageText.str(), "TAG ERROR: Unrecognised tag \"ZZ\" : <<ZZ 1>>");
}

TEST_F(CellTagsTest, EachExecutedTagIsReplacedWhereItStands) {
    // Text before a tag that reads like it (a literal tag, a tag written
    // earlier) is never taken for it; and a cell of many tags that write
    // much markup gets every tag's markup in order.
    EXPECT_EQ(Tags("[[OT]]SUPER 2[[CT]] H[[SUPER 2]]O"), "[[SUPER 2]] H<SUP>2</SUP>O");
    EXPECT_EQ(Tags("H[[SUPER 2]]O[[SUPER 2]]"), "H<SUP>2</SUP>O<SUP>2</SUP>");
    std::string many, expected;
    for (int i = 0; i < 200; ++i) {
        many += "[[SPACES 500]]" + std::to_string(i);
        for (int k = 0; k < 500; ++k) expected += "&nbsp;";
        expected += std::to_string(i);
    }
    EXPECT_EQ(Tags(many.c_str()), expected);
    // WS tags trim the ends of the whole text, wherever they stand.
    EXPECT_EQ(Tags(("  " + many + "[[WS]] " + many + "[[WS]]  ").c_str()), expected + " " + expected);
    EXPECT_EQ(engine->messageText.str(), "");
}

TEST_F(CellTagsTest, TagsSetTheFieldsOfTheCellAndTheConfiguration) {
    Tags("[[TU2]][[DOT_LEADERS]][[QUAD R]][[NULL_CHAR]][[VALIGN C]][[TOCLINK No]][[STUB_INDENT 6]][[BR]]");
    EXPECT_EQ(cell->tuMode, 2);
    EXPECT_EQ(cell->dotLeaders, 1);
    EXPECT_EQ(cell->quadAlignment, 3);
    EXPECT_EQ(cell->noCharacter, 1);
    EXPECT_EQ(cell->vAlignmentOverride, 3);
    EXPECT_EQ(cell->contentsLinkMode, 2);
    EXPECT_EQ(cell->stubIndent, 6);
    EXPECT_EQ(cell->holdsBreak, 1);
    EXPECT_EQ(cell->lineBreakCount, 2);
    EXPECT_EQ(config->dotLeadersUsed, 1);
    EXPECT_EQ(config->stubIndentUsed, 1);
    EXPECT_EQ(config->smallestStubIndent, 6);
    EXPECT_EQ(config->largestStubIndent, 6);

    // A smaller indent lowers the smallest and leaves the largest.
    FreshCell(false, 0);
    Tags("[[STUB_INDENT 2]]");
    EXPECT_EQ(config->smallestStubIndent, 2);
    EXPECT_EQ(config->largestStubIndent, 6);

    // The second vertical alignment of a header cell wins.
    FreshCell(true, 0);
    Tags("[[BASELINE]][[VERTICAL_ALIGNMENT B]][[VERTICAL_ALIGNMENT C]][[TOCLINK]]");
    EXPECT_EQ(cell->baseline, 1);
    EXPECT_EQ(cell->vAlignment, 3);
    EXPECT_EQ(cell->contentsLinkMode, 1);
}

TEST_F(CellTagsTest, InvalidTocLinkIsReportedWithItsRow) {
    Tags("[[TOCLINK maybe]]x");
    EXPECT_EQ(messages.Count("TAG_ERROR: Invalid TOCLINK value \"maybe\" in row 3 "), 1);
    EXPECT_EQ(cell->contentsLinkMode, 0);
}

TEST_F(CellTagsTest, UserTableCellsAreNumberedFromOne) {
    engine->isUserTable = 1;
    FreshCell(false, 2);
    Tags("[[STUB_INDENT 4]]");
    EXPECT_EQ(engine->messageText.str(), "TAG ERROR: STUB_INDENT tag only allowed in column 1, not at [2,2]");
    FreshCell(false, 1);
    Tags("[[STUB_INDENT 4]]");
    EXPECT_EQ(cell->stubIndent, 4);
}

TEST_F(CellTagsTest, RtfCellsGetRtfBreaksAndRules) {
    engine->htmlOutput = 0;
    engine->rtfOutput = 1;
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"a[[BR]]b", "a\\par b"},
        {"[[QUAD R]]x", "\\par x"},
        {"x[[DOT_LEADERS]][[TU]]", "x"},
        {"[[LINERULE 10]]", "\\line{\\pard\\plain \\s1\\tqr\\intbl\\tx200{\\strike\\tab}\\par}"},
    };
    for (const auto& [text, expected] : cases) {
        FreshCell(false, 0);
        EXPECT_EQ(Tags(text), expected) << text;
    }
}

TEST_F(CellTagsTest, ModeOneChangesTheConfigurationAndSkipsTags) {
    struct Case {
        const char* tag;
        int kept;
        const char* text;  // the scratch text afterwards, around "x" and "y"
        const char* messages;
        int consumed = 1;
    };
    const std::vector<Case> cases = {
        {"[[FONT 0, Arial, 14]]", 1, nullptr, ""},
        {"[[COLOUR blue]]", 1, nullptr, ""},
        {"[[COLOR bad!]]", 1, nullptr, "TAG ERROR: Invalid COLOR tag in table cell: [[COLOR bad!]]"},
        {"[[LEADING 16]]", 1, nullptr, ""},
        {"[[TU]]", 1, nullptr, ""},
        {"[[SUPER 2]]", 1, nullptr, ""},
        {"[[FOLIO 1, 2]]", 1, nullptr, ""},
        {"[[WS]]", 1, nullptr, ""},
        {"[[GUTTER]]", 1, nullptr, ""},
        {"[[LINERULE]]", 0, "xy", ""},
        {"[[EM]]", 0, "x--y", ""},
        {"[[FONT x]]", 0, "xy", "TAG ERROR: Invalid FONT tag in table cell: [[FONT x]]", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        FreshCell(false, 0);
        const std::string whole = std::string("x") + c.tag + "y";
        AnalysedLine scratch;
        scratch.SetText(whole.c_str());
        const int tagEnd = static_cast<int>(whole.size()) - 2;
        int next = -1, keep = -1;
        EXPECT_EQ(engine->ProcessCellTag(1, cell.get(), &scratch, &next, 1, tagEnd, TextString(c.tag), &keep),
                  c.consumed);
        EXPECT_EQ(keep, c.kept);
        EXPECT_EQ(scratch.str(), c.text ? c.text : whole);
        EXPECT_EQ(next, c.kept ? tagEnd + 1 : (c.text ? static_cast<int>(std::string(c.text).size()) - 1 : 1));
        EXPECT_EQ(engine->messageText.str(), c.messages);
    }
    EXPECT_EQ(config->tableFont.faceName.str(), "Arial");
    EXPECT_EQ(config->tableFont.size, 14);
    EXPECT_EQ(config->tableFont.colour.str(), "blue");
    EXPECT_EQ(config->tableFont.lineHeight, 16);
}

TEST_F(CellTagsTest, WsPlacementSetsTheQuadAlignment) {
    struct Case {
        const char* text;
        int quad;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"[[WS]]x", 3, "INFO: WS tags interpreted as QUAD=R in row 3"},
        {"<B>x</B> [[WS]][[FONT 0, A]]", 1, "INFO: WS tags interpreted as QUAD=L in row 3"},
        {"[[ws]] x [[WS 2]]", 2, "INFO: WS tags interpreted as QUAD=C in row 3"},
        {"a[[WS]]b", 0, "INFO: Middle WS tags not implemented.  Row 3"},
        {"x [[WS", 0, "WARNING: Failed to interpret WS tag placement in row 3"},
        {"x [[BR]]", 0, ""},
        // A WS tag after another tag's opening; no WS tag after an opening.
        {"[[BR]]x [[Ws]]", 1, "INFO: WS tags interpreted as QUAD=L in row 3"},
        {"[[BR]]x [ [WS]", 0, ""},
        {"x [[WSX]]", 0, "WARNING: Failed to interpret WS tag placement in row 3"},
    };
    for (const Case& c : cases) {
        FreshCell(false, 0);
        TextString text(c.text);
        engine->ProcessWSTags(cell.get(), &text);
        EXPECT_EQ(cell->quadAlignment, c.quad) << c.text;
        EXPECT_EQ(engine->messageText.str(), c.message) << c.text;
        EXPECT_EQ(text.str(), c.text);
    }
}

TEST_F(CellTagsTest, CellFontAndLinkWrapTheText) {
    set.SetInt(Pol::AddFontMarkup, 1);
    FontSpec font;
    font.SetFaceName(TextString("Arial"));
    font.set = 1;
    cell->linkAnchor = "toc_a_1";

    TextString text("a[[EM]]");
    engine->ApplyCellFontAndLink(cell.get(), &text, &font, cell->position, 1);
    const std::string out = text.str();
    EXPECT_EQ(out.rfind("<A HREF=\"#toc_a_1\"><FONT FACE=\"Arial\"", 0), 0u) << out;
    EXPECT_NE(out.find(">a--</FONT></A>"), std::string::npos) << out;

    // A rule inside the cell closes the cell's font and opens it again.
    cell->font = &font;
    text = "[[TU]]";
    engine->ProcessCellTags(cell.get(), &text, cell->position);
    EXPECT_EQ(text.str().rfind("</FONT><HR NOSHADE><FONT FACE=\"Arial\"", 0), 0u) << text.str();

    // Without the link flag, or with TOCLINK no, there is no link.
    FreshCell(false, 0);
    cell->linkAnchor = "toc_a_1";
    text = "b[[TOCLINK no]]";
    engine->ApplyCellFontAndLink(cell.get(), &text, nullptr, cell->position, 1);
    EXPECT_EQ(text.str(), "b");
    text = "c";
    engine->ApplyCellFontAndLink(cell.get(), &text, nullptr, cell->position, 0);
    EXPECT_EQ(text.str(), "c");
    text = "";
    engine->ApplyCellFontAndLink(cell.get(), &text, &font, cell->position, 1);
    EXPECT_EQ(text.str(), "");
}

// Delimiters made of letters are found in either case; the quick test that
// lets cells without tags through must find them the same way.
TEST_F(CellTagsTest, LetterDelimitersAreFoundInEitherCase) {
    set.SetText(Pol::StartTagDelimiter, "q(");
    set.SetText(Pol::EndTagDelimiter, ")q");
    EXPECT_EQ(Tags("aQ(BR)Qb"), "a<BR>b");
    EXPECT_EQ(Tags("aq(BR)qb"), "a<BR>b");
    EXPECT_EQ(Tags("a(BR)b"), "a(BR)b");

    TextString text("Q(WS)Q x");
    engine->ProcessWSTags(cell.get(), &text);
    EXPECT_EQ(cell->quadAlignment, 3);
    EXPECT_EQ(text.str(), "Q(WS)Q x");
}

// Without font markup the changes around a cell write nothing; the one
// thing they still do, clearing a pending font, is kept.
TEST_F(CellTagsTest, CellFontChangesWithoutFontMarkup) {
    FontSpec font;
    font.SetFaceName(TextString("Arial"));
    font.set = 1;
    struct Case {
        int addMarkup;
        int fontTags;
        int pending;
        bool marked;
        int pendingAfter;
    };
    const std::vector<Case> cases = {
        {0, 1, 0, false, 0}, {0, 1, 1, false, 0}, {1, 0, 1, false, 1}, {0, 0, 1, false, 1}, {1, 1, 1, true, 0},
    };
    for (const Case& c : cases) {
        set.SetInt(Pol::AddFontMarkup, c.addMarkup);
        context.fontTagSwitch = c.fontTags;
        context.documentState.pendingFontFlag = c.pending;
        TextString text("x");
        engine->ApplyCellFontAndLink(cell.get(), &text, &font, cell->position, 0);
        const std::string out = text.str();
        if (c.marked)
            EXPECT_EQ(out.rfind("<FONT FACE=\"Arial\"", 0), 0u) << out;
        else
            EXPECT_EQ(out, "x") << c.addMarkup << c.fontTags << c.pending;
        EXPECT_EQ(context.documentState.pendingFontFlag, c.pendingAfter) << c.addMarkup << c.fontTags << c.pending;
    }
}

}  // namespace
