#include "context/block_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

using Texts = std::vector<std::string>;

class BlockListTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    BlockList& blocks = context.documentState.blocks;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.trackers.codeLocation = 3;  // writing output
        messages = std::make_unique<MessageRecorder>(context);
    }
    void Open(std::vector<const char*> tags) {
        for (const char* tag : tags) {
            TextString text(tag);
            blocks.Add(&set, &document, text);
        }
    }
    void Close(const char* tag) {
        TextString text(tag);
        blocks.Decrement(&set, &document, text);
    }
    int Type(const char* start, const char* end) {
        TextString startTag(start ? start : ""), endTag(end ? end : "");
        return BlockList::GetBlockType(&set, start ? &startTag : nullptr, end ? &endTag : nullptr);
    }
    std::vector<int> Types() const {
        std::vector<int> types;
        for (int i = 0; i < blocks.Count(); ++i) types.push_back(blocks.GetAt(i)->type);
        return types;
    }
    void UseBoldFont() {
        set.SetInt(Pol::AddFontMarkup, 1);
        FontSpec& font = context.documentState.currentFont;
        font.faceName.Assign("Arial");
        font.bold = 1;
        font.set = 1;
    }
};

TEST_F(BlockListTest, ClassifiesTagsBySubstringAndPriority) {
    const struct {
        const char* start;
        const char* end;
        int type;
    } cases[] = {
        {"<BODY BGCOLOR=\"White\">", nullptr, kBlockBody},
        {"<OL type=\"a\">", nullptr, kBlockOrderedList},
        {"<ul>", nullptr, kBlockUnorderedList},
        {"<DL COMPACT>", nullptr, kBlockDefinitionList},
        {"<LINK REL=x>", nullptr, kBlockListItem},
        {"<TABLE BORDER=1>", nullptr, kBlockTable},
        {"<PRE>", nullptr, kBlockParagraph},
        {"<BLOCKQUOTE>", nullptr, kBlockIndent},
        {"<HR>", nullptr, kBlockHeading},
        {"<P><H1>", nullptr, kBlockHeading},
        {"<TR>", nullptr, kBlockUnknown},
        {"<TR>", "</UL>", kBlockUnorderedList},
        {"<OL>", "</UL>", kBlockOrderedList},
        {nullptr, "  </p>", kBlockParagraph},
        {nullptr, "</BLOCKQUOTE>", kBlockIndent},
        {nullptr, "<UL>", kBlockUnknown},
    };
    for (const auto& c : cases) EXPECT_EQ(Type(c.start, c.end), c.type) << (c.start ? c.start : c.end);
}

TEST_F(BlockListTest, AddWritesTheTagAndRecordsTheBlock) {
    context.trackers.output.position = SourcePosition(0, 42);
    UseBoldFont();
    Open({"  <TABLE   BORDER=1\t\tWIDTH=2>  "});
    EXPECT_EQ(document.Texts(), Texts{"  <TABLE   BORDER=1\t\tWIDTH=2>  "});
    EXPECT_EQ(document.entries[0].call, RecordingDocument::Call::Text);
    const BlockEntry* entry = blocks.Innermost();
    EXPECT_EQ(entry->type, kBlockTable);
    EXPECT_EQ(entry->tagText.str(), "<TABLE BORDER=1\tWIDTH=2>");
    EXPECT_EQ(entry->position.line, 42);
    EXPECT_EQ(entry->blockFont.bold + entry->openingFont.bold, 2);
    EXPECT_EQ(entry->writerValue1 * 10 + entry->writerValue2, -31);
    EXPECT_TRUE(messages->Messages().empty());
}

TEST_F(BlockListTest, RefusalsAndReportsWhenOpening) {
    Open({" \t "});  // written, not pushed
    TextString tag("<BODY>");
    blocks.Add(&set, nullptr, tag);
    EXPECT_EQ(blocks.Count(), 0);
    Open({"<TR>"});  // reported, written and pushed
    EXPECT_EQ(document.Texts(), (Texts{" \t ", "<TR>"}));
    EXPECT_EQ(Types(), std::vector<int>{kBlockUnknown});
    EXPECT_EQ(messages->Messages(), (Texts{"UNSUPPORTED CASE: Unknown block start tag ;  \t ",
                                           "PROGRAM ERROR: File pointer null in BlockList::Add",
                                           "UNSUPPORTED CASE: Unknown block start tag ; <TR>"}));
}

TEST_F(BlockListTest, MisplacedHeadingsAndTablesAreReportedAndOpened) {
    const struct {
        std::vector<const char*> outer;
        const char* tag;
        int omitHeadAndBody;
        const char* message;  // null: silent
    } cases[] = {
        {{"<BODY>"}, "<H2>", 0, nullptr},
        {{"<BODY>", "<BLOCKQUOTE>"}, "<H2>", 0, nullptr},
        {{"<BODY>", "<OL>"}, "<H2>", 0, "PROGRAM ERROR: HEADING added to invalid block type 2"},
        {{}, "<H2>", 0, "PROGRAM ERROR: HEADING added to invalid block type 0"},
        {{"<BODY>", "<UL>", "<LI>"}, "<TABLE>", 0, "WARNING: TABLE added to non-BODY block type 5"},
        {{"<BODY>", "<UL>", "<LI>"}, "<TABLE>", 1, nullptr},
        {{"<BODY>", "<P>"}, "<TABLE>", 0, "WARNING: TABLE added to non-BODY block type 7"},
        {{"<BODY>", "<DL>"}, "<TABLE>", 0, nullptr},
        {{"<BODY>", "<BLOCKQUOTE>"}, "<TABLE>", 0, nullptr},
        {{}, "<TABLE>", 0, nullptr},
    };
    for (const auto& c : cases) {
        blocks.Clear();
        set.SetInt(Pol::OmitHeadAndBody, c.omitHeadAndBody);
        Open(c.outer);
        messages->Clear();
        Open({c.tag});
        EXPECT_EQ(messages->Messages(), c.message ? Texts{c.message} : Texts{}) << c.tag << c.outer.size();
        EXPECT_EQ(blocks.Count(), static_cast<int>(c.outer.size()) + 1);
    }
}

TEST_F(BlockListTest, CountingBlockCountsParagraphsAndTables) {
    Open({"<BODY>", "<UL>"});
    BlockEntry* list = blocks.Innermost();
    list->counting = 1;
    list->writerValue4 = 5;
    Open({"<P>"});
    Close("</P>");
    Open({"<TABLE>"});
    EXPECT_EQ(list->itemCount, 2);
    Close("</TABLE>");
    Open({"<LI>"});
    EXPECT_EQ(list->itemCount + list->writerValue4, 0);
}

TEST_F(BlockListTest, MismatchIsReportedTwiceAndOnlyTheInnermostBlockCloses) {
    Close("</BODY>");  // empty list: nothing written, nothing reported
    TextString end("</BODY>");
    Open({"<BODY>", "<OL>", "<LI>"});
    blocks.Decrement(&set, nullptr, end);
    EXPECT_EQ(messages->Messages(), Texts{"PROGRAM ERROR: File pointer null in BlockList::Decrement"});
    Close("</LI>");
    messages->Clear();
    document.Clear();
    Close("</BODY>");
    EXPECT_EQ(messages->Count("PROGRAM ERROR: Requested end tag </BODY> doesn't match block tag :<OL>"), 2);
    EXPECT_EQ(messages->Messages().size(), 2u);
    EXPECT_EQ(Types(), std::vector<int>{kBlockBody});
    EXPECT_EQ(document.Texts(), Texts{"</BODY>"});
    EXPECT_EQ(document.entries[0].call, RecordingDocument::Call::Line);
    EXPECT_EQ(context.trackers.blockClosed, 1);
}

TEST_F(BlockListTest, DummyIndentationIsWrittenAsAPlainList) {
    set.SetInt(Pol::IndentationMarkupCode, -1);
    set.indentOpen.Assign("UL DUMMY");
    set.indentClose.Assign("UL DUMMY");
    EXPECT_EQ(Type("<UL>", nullptr), kBlockUnorderedList);
    Open({"<BODY>", "<UL DUMMY>"});
    EXPECT_EQ(blocks.Innermost()->type, kBlockIndent);
    Close("</UL DUMMY>");
    EXPECT_EQ(document.Texts(), (Texts{"<BODY>", "<UL>", "</UL>"}));
    EXPECT_TRUE(messages->Messages().empty());
}

TEST_F(BlockListTest, RightToLeftEncodingsCloseTheirDivBeforeTheBody) {
    const struct {
        const char* encoding;
        const char* written;
    } cases[] = {{"windows-1256", "</DIV></BODY>"}, {"ISO-8859-8", "</DIV></BODY>"}, {"windows-1252", "</BODY>"}};
    for (const auto& c : cases) {
        set.SetText(Pol::CharacterEncoding, c.encoding);
        document.Clear();
        Open({"<BODY>"});
        Close("</BODY>");
        EXPECT_EQ(document.Texts(), (Texts{"<BODY>", c.written})) << c.encoding;
    }
}

TEST_F(BlockListTest, ClosingDutiesAndIndentation) {
    UseBoldFont();
    context.documentState.currentIndentLevel = 1;
    Open({"<BODY>", "<UL>"});
    blocks.Innermost()->itemCount = 1;  // a font may end inside a list of one item
    Open({"<P>"});
    document.Clear();
    Close("</P>");  // in a body or paragraph block the font ends at the current depth,
    Close("</UL>");  // elsewhere one level deeper
    set.SetInt(Pol::MinimiseHTMLFileSize, 1);
    Close("  </BODY>");  // no paragraph open: the body owes nothing
    EXPECT_EQ(document.Texts(),
              (Texts{"  </STRONG></FONT>", "  </P>", "    </STRONG></FONT>", "  </UL>", "</BODY>"}));
    EXPECT_TRUE(messages->Messages().empty());

    context.documentState.htmlOutput = 0;  // without HTML output only the end tag
    Open({"<P>"});
    document.Clear();
    Close(" </P>");
    EXPECT_EQ(document.Texts(), Texts{" </P>"});
}

TEST_F(BlockListTest, ClosingAnOuterBlockOverAnOpenParagraphEndsTheParagraph) {
    Open({"<BODY>", "<UL>", "<LI>", "<P>"});
    document.paragraphOpen = 1;
    document.Clear();
    Close("</LI>");
    EXPECT_EQ(messages->Messages(), (Texts{"PROGRAM ERROR: Requested end tag </LI> doesn't match block tag :<P>",
                                           "PROGRAM ERROR: End Font calculated inside a <P> tag"}));
    EXPECT_EQ(document.Texts(), (Texts{"</P>", "</LI>"}));
    EXPECT_EQ(Types(), (std::vector<int>{kBlockBody, kBlockUnorderedList}));
    EXPECT_EQ(document.paragraphOpen, 0);
    EXPECT_EQ(context.documentState.pendingVerticalSpace, -12);
}

TEST_F(BlockListTest, ChangedFontPassesToTheBlockBelow) {
    Open({"<BODY>", "<TABLE>"});
    blocks.Innermost()->fontChanged = 1;
    blocks.Innermost()->blockFont.colour.Assign("Red");
    Close("</TABLE>");
    EXPECT_EQ(blocks.Innermost()->fontChanged, 1);
    EXPECT_EQ(blocks.Innermost()->blockFont.colour.str(), "Red");
}

TEST_F(BlockListTest, CurrentBlockLooksThroughAParagraph) {
    blocks.CountItem();  // nothing to count in
    EXPECT_EQ(blocks.GetCurrent(), nullptr);
    Open({"<P>"});
    blocks.CountItem();  // a paragraph alone counts itself
    EXPECT_EQ(blocks.GetCurrent()->itemCount, 1);
    blocks.Clear();
    Open({"<BODY>", "<OL>", "<P>"});
    blocks.CountItem();
    EXPECT_EQ(blocks.GetCurrent(), blocks.GetAt(1));
    EXPECT_EQ(blocks.GetAt(1)->itemCount, 1);
    EXPECT_EQ(blocks.Innermost()->itemCount, 0);
}

}  // namespace
