// Font changes, font markup around rules and the end-font decision as the
// block list uses it.  The decision tables of FontChangeMarkup and
// HTML_EndFont themselves are tested in font_changes_test.cpp.
#include "output/html_change_font.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/block_list.h"
#include "context/context.h"
#include "output/html_write_rule.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

using Texts = std::vector<std::string>;

class FontChangeTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    BlockList& blocks = context.documentState.blocks;
    std::unique_ptr<MessageRecorder> messages;
    FontSpec arial, arialBold;

    void SetUp() override {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
        context.fontTagSwitch = 1;
        set.SetInt(Pol::AddFontMarkup, 1);
        set.SetInt(Pol::AddFontSizeMarkup, 0);
        arial.SetFaceName(TextString("Arial"));
        arial.set = 1;
        arialBold = arial;
        arialBold.SetBold(1);
        messages = std::make_unique<MessageRecorder>(context);
    }
    void OpenBlocks(const std::vector<const char*>& tags, int itemCount = 0, int fontChanged = 0) {
        blocks.Clear();
        for (const char* tag : tags) {
            TextString text(tag);
            blocks.Add(&set, &document, text);
        }
        if (BlockEntry* innermost = blocks.Innermost()) {
            innermost->itemCount = itemCount;
            innermost->fontChanged = fontChanged;
        }
        document.Clear();
        messages->Clear();
    }
};

const char* const kChange = "</FONT><FONT FACE=\"Arial\"><STRONG>";

TEST_F(FontChangeTest, ChangeFontFollowsTheInnermostBlockAndWarnsOnlyOutsideBodyAndLists) {
    const struct {
        std::vector<const char*> tags;
        int itemCount, fontChanged, kind;
        int result;
        const char* message;
    } cases[] = {
        {{"<BODY>", "<P>"}, 0, 0, 1, 1, nullptr},
        {{"<BODY>"}, 0, 0, 2, 1, nullptr},  // kind 2 goes anywhere
        {{"<BODY>"}, 0, 0, 1, 0, nullptr},
        {{"<BODY>", "<UL>"}, 0, 0, 1, 0, nullptr},  // no item yet
        {{"<BODY>", "<UL>"}, 1, 0, 1, 1, nullptr},
        {{"<BODY>", "<DL>"}, 0, 0, 1, 0, nullptr},
        {{"<BODY>", "<H2>", "<UL>"}, 0, 0, 3, 1, nullptr},  // kind 3 inside an open heading
        {{"<BODY>", "<H2>", "<UL>"}, 0, 0, 1, 0, nullptr},
        {{}, 0, 0, 1, 0, "WARNING: Not executing FONT in Context/block type 1/0"},
        {{"<BODY>", "<UL>", "<LI>"}, 0, 0, 1, 0, "WARNING: Not executing FONT in Context/block type 1/5"},
        {{"<BODY>", "<BLOCKQUOTE>"}, 1, 1, 0, 0, "WARNING: Not executing FONT in Context/block type 0/8"},
    };
    int row = 0;
    for (const auto& c : cases) {
        OpenBlocks(c.tags, c.itemCount, c.fontChanged);
        TextString out("stale");
        EXPECT_EQ(HTML_ChangeFont(c.kind, &set, &arial, &arialBold, &out), c.result) << "row " << row;
        EXPECT_EQ(out.str(), c.result ? kChange : "") << "row " << row;
        EXPECT_EQ(messages->Messages(), c.message ? Texts{c.message} : Texts{}) << "row " << row;
        ++row;
    }
}

TEST_F(FontChangeTest, RuleClosesAndReopensTheCurrentFontWhereFontMarkupIsAllowed) {
    context.documentState.currentFont = arial;
    context.documentState.currentIndentLevel = 1;
    const TextString rule("<HR NOSHADE>");

    OpenBlocks({"<BODY>", "<P>"});
    blocks.Innermost()->blockFont = arial;
    HTML_WriteRule(&set, &document, 0, rule);
    EXPECT_EQ(document.Joined(), "  </FONT><HR NOSHADE><FONT FACE=\"Arial\">");

    OpenBlocks({"<BODY>"});
    HTML_WriteRule(&set, &document, 0, rule);
    EXPECT_EQ(document.Joined(), "  <HR NOSHADE>");
    EXPECT_TRUE(messages->Messages().empty());

    document.isOpen = 0;
    HTML_WriteRule(&set, &document, 0, rule);
    EXPECT_EQ(document.Joined(), "  <HR NOSHADE>");
    EXPECT_EQ(messages->Messages(), Texts{"PROGRAM ERROR: File not open in HTML_WriteRule!"});
}

TEST_F(FontChangeTest, ClosingAListWithOneItemEndsTheFontOrFallsBackToTheParagraph) {
    context.documentState.currentFont = arial;
    for (int listMarkup : {0, 1}) {
        set.SetInt(Pol::ListMarkupCode, listMarkup);
        OpenBlocks({"<BODY>", "<UL>"}, 1);
        TextString end("</UL>");
        blocks.Decrement(&set, &document, end);
        if (listMarkup == 0) {
            EXPECT_EQ(document.Joined(), "  </FONT>|</UL>");
            EXPECT_TRUE(messages->Messages().empty());
        } else {
            EXPECT_EQ(document.Joined(), "</UL>");  // no paragraph was open
            EXPECT_EQ(messages->Messages(),
                      Texts{"PROGRAM ERROR: Attempted </FONT> in illegal location. Using </P> instead"});
        }
    }
}

}  // namespace
