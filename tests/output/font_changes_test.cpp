#include "output/font_changes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/block_list.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

using Texts = std::vector<std::string>;

class FontChangesTest : public ::testing::Test {
protected:
    Context context;
    FC set;
    RecordingDocument document;
    BlockList& blocks = context.documentState.blocks;
    std::unique_ptr<MessageRecorder> messages;

    void SetUp() override {
        set.SetContext(&context);
        context.trackers.codeLocation = 3;
        messages = std::make_unique<MessageRecorder>(context);
    }
    // Opens the blocks; the innermost gets the item count and font flag.
    void OpenBlocks(BlockList& list, const std::vector<const char*>& tags, int itemCount, int fontChanged = 0) {
        list.Clear();
        for (const char* tag : tags) {
            TextString text(tag);
            list.Add(&set, &document, text);
        }
        if (BlockEntry* innermost = list.Innermost()) {
            innermost->itemCount = itemCount;
            innermost->fontChanged = fontChanged;
        }
        messages->Clear();
    }
    // "font paragraph item definition" as four digits.
    std::string EndFont(int policyBlock, BlockList& list) {
        int flags[4] = {-1, -1, -1, -1};
        HTML_EndFont(&set, &document, &list, policyBlock, &flags[0], &flags[1], &flags[2], &flags[3]);
        std::string text;
        for (int flag : flags) text += std::to_string(flag);
        return text;
    }
};

TEST_F(FontChangesTest, FontChangeDependsOnTheInnermostBlock) {
    const struct {
        std::vector<const char*> tags;
        int itemCount, fontChanged, listMarkup, kind;
        bool allowed;
    } cases[] = {
        {{}, 0, 0, 0, 2, true},
        {{}, 0, 0, 0, 0, false},
        {{"<BODY>"}, 0, 0, 0, 0, false},
        {{"<BODY>"}, 0, 0, 0, 2, true},
        {{"<BODY>", "<P>"}, 0, 0, 2, 0, true},
        {{"<BODY>", "<TABLE>"}, 0, 0, 2, 0, true},
        {{"<BODY>", "<H2>"}, 0, 0, 2, 3, true},
        {{"<BODY>", "<UL>"}, 0, 0, 0, 0, false},  // no item counted yet
        {{"<BODY>", "<UL>"}, 1, 0, 0, 0, true},
        {{"<BODY>", "<OL>"}, 3, 0, 0, 0, true},
        {{"<BODY>", "<UL>"}, 1, 0, 1, 0, false},  // list markup 1 allows only DL
        {{"<BODY>", "<DL>"}, 1, 0, 1, 0, true},
        {{"<BODY>", "<DL>"}, 2, 0, 1, 0, false},
        {{"<BODY>", "<UL>"}, 1, 0, 2, 0, false},
        {{"<BODY>", "<BLOCKQUOTE>"}, 1, 0, 0, 0, true},
        {{"<BODY>", "<BLOCKQUOTE>"}, 1, 1, 0, 0, false},
        {{"<BODY>", "<UL>", "<LI>"}, 1, 0, 0, 0, false},
    };
    int row = 0;
    for (const auto& c : cases) {
        OpenBlocks(blocks, c.tags, c.itemCount, c.fontChanged);
        set.SetInt(Pol::ListMarkupCode, c.listMarkup);
        EXPECT_EQ(FontChangeMarkup(&set, c.kind), c.allowed) << "row " << row++;
    }
}

TEST_F(FontChangesTest, EndFontChoosesBetweenFontAndParagraph) {
    const struct {
        std::vector<const char*> tags;
        int itemCount, listMarkup, paragraphOpen, policyBlock;
        const char* flags;
        const char* message;
    } cases[] = {
        {{"<BODY>", "<UL>"}, 1, 0, 0, 0, "1000", nullptr},
        {{"<BODY>", "<UL>"}, 1, 2, 0, 0, "0100", nullptr},
        {{"<BODY>", "<UL>"},
         1,
         1,
         0,
         0,
         "0100",
         "PROGRAM ERROR: Attempted </FONT> in illegal location. Using </P> instead"},
        {{"<BODY>", "<OL>"}, 0, 0, 1, 0, "0000", nullptr},  // the paragraph flag is not consulted
        {{"<BODY>", "<DL>"}, 4, 0, 0, 0, "0100", nullptr},
        {{"<BODY>", "<P>"}, 0, 0, 1, 0, "0100", "PROGRAM ERROR: End Font calculated inside a <P> tag"},
        {{"<BODY>", "<H1>"}, 0, 0, 0, 0, "1000", nullptr},
        {{"<BODY>"}, 0, 0, 0, 0, "0000", nullptr},
        {{"<BODY>"}, 0, 0, 1, 0, "0100", nullptr},
        {{}, 0, 0, 0, 0, "0000", nullptr},
        {{"<BODY>", "<BLOCKQUOTE>"}, 2, 0, 0, 1, "0100", nullptr},
    };
    int row = 0;
    for (const auto& c : cases) {
        OpenBlocks(blocks, c.tags, c.itemCount);
        set.SetInt(Pol::ListMarkupCode, c.listMarkup);
        document.paragraphOpen = c.paragraphOpen;
        EXPECT_EQ(EndFont(c.policyBlock, blocks), c.flags) << "row " << row;
        EXPECT_EQ(messages->Messages(), c.message ? Texts{c.message} : Texts{}) << "row " << row;
        ++row;
    }
}

TEST_F(FontChangesTest, ListThatDisagreesWithTheContextIsReportedAsInconsistent) {
    // The font is to end in a heading of another list, while the Context's
    // own list (empty) allows no font markup.
    BlockList other;
    OpenBlocks(other, {"<H3>"}, 0);
    EXPECT_EQ(EndFont(0, other), "1000");
    EXPECT_EQ(messages->Messages(), Texts{"WARNING: Inconsistent END_FONT calculations"});
}

}  // namespace
