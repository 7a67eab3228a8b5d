#include <gtest/gtest.h>

#include <string>

#include "context/context.h"
#include "foundation/fonts.h"
#include "output/font_markup.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

TEST(FontChangeMarkupTest, EndsTheOldFontAndStartsTheNewOneOnlyWhenTheyDiffer) {
    Context context;
    FC set;
    set.SetContext(&context);
    MessageRecorder messages(context);
    context.documentState.htmlOutput = 1;
    set.SetInt(Pol::AddFontMarkup, 1);
    set.SetInt(Pol::AddFontSizeMarkup, 0);
    FontSpec from, to;
    from.faceName.Assign("Arial");
    from.set = 1;
    to.CopyValues(from);
    to.set = 1;

    TextString end("stale"), start("stale");
    GetChangeFontMarkup(0, &set, &from, &to, &end, &start, nullptr);
    EXPECT_EQ(end.str() + "|" + start.str(), "|");
    to.bold = 1;
    GetChangeFontMarkup(0, &set, &from, &to, &end, &start, nullptr);
    EXPECT_EQ(end.str() + "|" + start.str(), "</FONT>|<FONT FACE=\"Arial\"><STRONG>");
    GetChangeFontMarkup(0, &set, nullptr, nullptr, &end, &start, nullptr);
    EXPECT_EQ(end.str() + "|" + start.str(), "|");

    context.documentState.htmlOutput = 0;
    GetChangeFontMarkup(0, &set, &from, &to, &end, &start, nullptr);
    EXPECT_EQ(end.str() + "|" + start.str(), "|");
    EXPECT_EQ(messages.Count("UNSUPPORTED CASE: output format in GetChangeFontMarkup"), 1);
}

}  // namespace
