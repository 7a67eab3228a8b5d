#include "foundation/fonts.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

std::array<int, 9> CompareFlags(const FontSpec& a, const FontSpec& b) {
    std::array<int, 9> f{};
    a.Compare(b, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8]);
    return f;
}

}  // namespace

// ---------------------------------------------------------------------------
// FontSpec

TEST(FontSpec, ConstructionResetAndCopies) {
    FontSpec font;
    EXPECT_EQ(font.fontIndex, -1);
    EXPECT_EQ(font.size, 12);
    EXPECT_EQ(font.lineHeight, 14);
    EXPECT_EQ(font.proportional, 1);
    EXPECT_EQ(font.set, 0);

    font.SetFaceName("Courier New");
    font.SetAlternateFace("Courier");
    font.SetColour("red");
    font.SetSize(20);
    font.SetBold(1);
    font.SetProportional(0);
    font.SetFontIndex(3);

    // A copy is always marked set; assignment carries the flag over.
    FontSpec unset;
    EXPECT_EQ(FontSpec(unset).set, 1);
    FontSpec assigned;
    assigned = font;
    EXPECT_EQ(assigned.set, 1);
    assigned = unset;
    EXPECT_EQ(assigned.set, 0);

    FontSpec copy(font);
    EXPECT_EQ(copy.faceName.str(), "Courier New");
    EXPECT_EQ(copy.GetAlternateFace().str(), "Courier");
    EXPECT_EQ(copy.colour.str(), "red");
    EXPECT_EQ(copy.widthFactor, 1.45);
    EXPECT_EQ(copy.size + copy.fontIndex + copy.proportional + copy.bold, 20 + 3 + 0 + 1);

    // CopyValues and Reset leave the set flag alone.
    FontSpec target;
    target.CopyValues(font);
    EXPECT_EQ(target.set, 0);
    EXPECT_EQ(target.faceName.str(), "Courier New");
    font.Reset();
    EXPECT_EQ(font.set, 1);
    EXPECT_TRUE(font.faceName.IsEmpty() && font.alternateFace.IsEmpty() && font.colour.IsEmpty());
    EXPECT_EQ(font.widthFactor, 1.0);
    EXPECT_EQ(font.bold, 0);
    EXPECT_EQ(font.fontIndex, -1);
}

TEST(FontSpec, SetFaceNameLooksUpWidthFactor) {
    struct Case {
        const char* face;
        double expected;  // starting from Courier New's 1.45
    };
    // clang-format off
    const Case cases[] = {
        {"Arial", 1.1},           {"ARIAL NARROW", 0.85},  {"Comic Sans MS", 1.2},
        {"corida new", 0.7},      {"Wingdings", 2.0},      {"ms serif", 0.95},
        {"Times New Roman", 1.0}, {"Arial Unicode", 1.45}, {"arial ", 1.45},
        {"", 1.45},               {"Courier", 1.45},
    };
    // clang-format on
    for (const Case& c : cases) {
        FontSpec font;
        font.SetFaceName("Courier New");
        font.SetFaceName(c.face);
        EXPECT_DOUBLE_EQ(font.widthFactor, c.expected) << c.face;
        EXPECT_EQ(font.faceName.str(), c.face);
        EXPECT_EQ(font.set, 1);
    }
    double factor = 0;
    EXPECT_EQ(LookUpFaceWidthFactor("Lucida Console", &factor), 1);
    EXPECT_DOUBLE_EQ(factor, 1.4);
    EXPECT_EQ(LookUpFaceWidthFactor("Helvetica", &factor), 0);
    EXPECT_EQ(LookUpFaceWidthFactor(nullptr, &factor), 0);
}

TEST(FontSpec, SetColourStoresBlackAsEmpty) {
    struct Case {
        const char* given;
        const char* stored;
    };
    // clang-format off
    const Case cases[] = {
        {"black", ""},         {"BLACK", ""},         {"#000000", ""},
        {"000000", ""},        {"#000001", "#000001"}, {"Blacks", "Blacks"},
        {"navy", "navy"},      {"", ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        FontSpec font;
        font.SetColour("stale");
        font.SetColour(c.given);
        EXPECT_EQ(font.colour.str(), c.stored) << c.given;
    }
}

TEST(FontSpec, SetLineHeightRaisesToSizeFirst) {
    FontSpec font;
    font.SetLineHeight(30);  // 14 is not below 12: takes the value
    EXPECT_EQ(font.lineHeight, 30);
    font.SetLineHeight(10);
    EXPECT_EQ(font.lineHeight, 10);
    font.SetLineHeight(9);  // 10 is below 12: raised to the size, value ignored
    EXPECT_EQ(font.lineHeight, 12);
    font.SetLineHeight(9);
    EXPECT_EQ(font.lineHeight, 9);
}

TEST(FontSpec, CompareFillsNineFlagsInOrder) {
    FontSpec base;
    base.SetFaceName("Arial");
    base.SetAlternateFace("Helvetica");
    base.SetColour("red");

    FontSpec same(base);
    same.SetFaceName("ARIAL");
    EXPECT_EQ(CompareFlags(base, same), (std::array<int, 9>{1, 1, 1, 1, 1, 1, 1, 1, 1}));

    // Changing one member clears exactly its flag.
    struct Case {
        void (*change)(FontSpec&);
        int flag;
    };
    const Case cases[] = {
        {[](FontSpec& f) { f.SetFaceName("Helvetica"); }, 0},
        {[](FontSpec& f) { f.SetAlternateFace("HELVETICA"); }, 1},
        {[](FontSpec& f) { f.SetColour("Red"); }, 2},
        {[](FontSpec& f) { f.SetSize(13); }, 3},
        {[](FontSpec& f) { f.widthFactor = 1.2; }, 4},
        {[](FontSpec& f) { f.spare = 5; }, 5},
        {[](FontSpec& f) { f.lineHeight = 20; }, 6},
        {[](FontSpec& f) { f.SetBold(1); }, 7},
        {[](FontSpec& f) { f.SetItalic(1); }, 8},
    };
    for (const Case& c : cases) {
        FontSpec other(base);
        c.change(other);
        std::array<int, 9> expected{1, 1, 1, 1, 1, 1, 1, 1, 1};
        expected[c.flag] = 0;
        EXPECT_EQ(CompareFlags(base, other), expected) << "flag " << c.flag;
    }
    // Null flag pointers are skipped.
    int italicEqual = -1;
    base.Compare(same, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &italicEqual);
    EXPECT_EQ(italicEqual, 1);
}

// ---------------------------------------------------------------------------
// FontMetrics

TEST(FontMetrics, WidthRows) {
    const FontMetrics& m = GetFontMetrics();
    EXPECT_EQ(&m, &GetFontMetrics());
    struct Case {
        int code;
        std::array<int, 4> widths;
    };
    // clang-format off
    const Case cases[] = {
        {' ', {250, 250, 250, 250}}, {'A', {722, 722, 611, 667}}, {'M', {889, 944, 833, 889}},
        {225, {889, 1000, 889, 944}}, {10, {70, 70, 70, 70}},      {13, {70, 70, 70, 70}},
        {27, {70, 70, 70, 70}},       {0, {0, 0, 0, 0}},           {9, {0, 0, 0, 0}},
        {127, {0, 0, 0, 0}},          {128, {0, 0, 0, 0}},         {160, {0, 0, 0, 0}},
        {252, {0, 0, 0, 0}},          {255, {0, 0, 0, 0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (int style = 0; style < 4; ++style) {
            EXPECT_EQ(m.GetCharWidth(static_cast<char>(c.code), style), c.widths[style])
                << "code " << c.code << " style " << style;
        }
    }
    EXPECT_EQ(m.GetCharWidth('A', -1), 0);
    EXPECT_EQ(m.GetCharWidth('A', 4), 0);
    EXPECT_EQ(m.GetDefaultWidth(), 56);

    // Every StandardEncoding code (32-126 and the assigned ones from 161) has a width.
    int assigned = 0;
    for (int code = 0; code < 256; ++code) {
        if (m.GetCharWidth(static_cast<char>(code), 0) > 0) ++assigned;
    }
    EXPECT_EQ(assigned, 149 + 3);
}

TEST(FontMetrics, KerningPairs) {
    const FontMetrics& m = GetFontMetrics();
    const auto& pairs = m.GetKerningPairs();
    ASSERT_EQ(pairs.size(), 173u);
    int aboveAscii = 0;
    for (size_t i = 0; i < pairs.size(); ++i) {
        EXPECT_NE(pairs[i].adjustment, 0);
        if (i > 0) {
            EXPECT_LT(pairs[i - 1].key, pairs[i].key);
        }
        if (pairs[i].key / 256 > 127 || pairs[i].key % 256 > 127) ++aboveAscii;
    }
    EXPECT_EQ(aboveAscii, 4);

    struct Case {
        char first;
        char second;
        int adjustment;
    };
    // clang-format off
    const Case cases[] = {
        {' ', 'A', -55}, {'A', 'T', -111}, {'A', 'V', -135}, {'F', ',', -80}, {'L', 'T', -92},
        {'\xaa', 'A', -80}, {'f', '\xf5', -50},  // quotedblleft-A, f-dotlessi
        {'V', 'A', -135}, {'A', 'A', 0}, {'T', 'A', -93}, {'Z', 'Z', 0}, {'\xff', '\xff', 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(m.GetKerning(c.first, c.second), c.adjustment)
            << static_cast<int>(static_cast<unsigned char>(c.first)) << "-"
            << static_cast<int>(static_cast<unsigned char>(c.second));
    }
}

TEST(FontMetrics, AddKerningPairKeepsKeyOrderNewestFirst) {
    FontMetrics m;
    EXPECT_EQ(m.GetKerning('A', 'B'), 0);  // empty table
    m.AddKerningPair('b', 'a', 1);
    m.AddKerningPair('\xe1', 'a', 2);  // key above every ASCII key
    m.AddKerningPair('a', 'b', 3);
    m.AddKerningPair('b', 'a', 4);  // equal key: goes in front
    std::vector<int> keys;
    std::vector<int> adjustments;
    for (const auto& pair : m.GetKerningPairs()) {
        keys.push_back(pair.key);
        adjustments.push_back(pair.adjustment);
    }
    EXPECT_EQ(keys, (std::vector<int>{'a' * 256 + 'b', 'b' * 256 + 'a', 'b' * 256 + 'a', 0xe1 * 256 + 'a'}));
    EXPECT_EQ(adjustments, (std::vector<int>{3, 4, 1, 2}));
    EXPECT_EQ(m.GetKerning('\xe1', 'a'), 2);
    EXPECT_EQ(m.GetKerning('a', 'b'), 3);
    EXPECT_EQ(m.GetKerning('a', '\xe1'), 0);

    // Fill replaces whatever was there.
    m.Fill();
    EXPECT_EQ(m.GetKerningPairs().size(), 173u);
    EXPECT_EQ(m.GetKerning('a', 'b'), 0);
}

// ---------------------------------------------------------------------------
// Text measures

TEST(TextMeasures, SumCharWidths) {
    struct Case {
        const char* text;
        int fixedPitch, bold, italic, skipEntities, kerning;
        int expected;
    };
    const Case cases[] = {
        {"AV", 0, 0, 0, 0, 1, 722 + 722 - 135},
        {"AV", 0, 0, 0, 0, 0, 1444},
        {"A", 0, 1, 0, 0, 0, 722},
        {"A", 0, 0, 1, 0, 0, 611},
        {"A", 0, 1, 1, 0, 0, 667},
        {"M", 0, 1, 0, 0, 0, 944},
        {"", 0, 0, 0, 0, 1, 0},
        // Fixed pitch measures every character as 'M' (kerning still applies).
        {"il.", 1, 0, 0, 0, 0, 3 * 889},
        {"il.", 1, 1, 0, 0, 0, 3 * 944},
        {"AV", 1, 0, 0, 0, 1, 2 * 889 - 135},
        // Characters without a width count 56; bytes above 127 index as unsigned.
        {"\t", 0, 0, 0, 0, 0, 56},
        {"\x80\xff", 0, 0, 0, 0, 1, 2 * 56},
        {"\xe1", 0, 0, 0, 0, 0, 889},
        {"\xe1", 0, 1, 0, 0, 0, 1000},
        {"\xaa"
         "A",
         0, 0, 0, 0, 1, 444 + 722 - 80},
        {"\r\n", 0, 0, 0, 0, 0, 140},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SumCharWidths(c.text, c.fixedPitch, c.bold, c.italic, c.skipEntities, c.kerning), c.expected)
            << "case " << (&c - cases);
    }
    EXPECT_EQ(SumCharWidths(nullptr, 0, 0, 0, 1, 1), 0);
}

TEST(TextMeasures, EntitySkipping) {
    auto plain = [](const char* text) { return SumCharWidths(text, 0, 0, 0, 0, 1); };
    auto skipping = [](const char* text) { return SumCharWidths(text, 0, 0, 0, 1, 1); };
    EXPECT_EQ(skipping("&amp;"), 778);
    EXPECT_EQ(skipping("&;"), 778);
    EXPECT_EQ(skipping("&abcdef;"), 778);  // ';' seven characters on
    EXPECT_EQ(skipping("&abcdefg;"), plain("&abcdefg;"));
    EXPECT_EQ(skipping("&verylongname;"), plain("&verylongname;"));
    EXPECT_EQ(skipping("& amp;"), plain("& amp;"));
    EXPECT_EQ(skipping("&amp"), plain("&amp"));
    EXPECT_EQ(skipping("&"), 778);
    // The text around the entity is measured normally, without kerning into
    // or out of the entity.
    EXPECT_EQ(skipping("A&lt;V"), 722 + 778 + 722);
    EXPECT_EQ(skipping("AV&eacute;AV"), 2 * 1309 + 778);
    EXPECT_EQ(skipping("&amp;&amp;"), 2 * 778);
    EXPECT_EQ(SumCharWidths("&amp;", 0, 1, 0, 1, 1), 833);
}

TEST(TextMeasures, EstimateTextWidth) {
    EXPECT_EQ(EstimateTextWidth("M", 10, 0, 0, 0, 0, 0), 177);
    EXPECT_EQ(EstimateTextWidth("M", 10, 10, 0, 0, 0, 0), 194);
    EXPECT_EQ(EstimateTextWidth("M", 10, -50, 0, 0, 0, 0), 88);
    EXPECT_EQ(EstimateTextWidth("AV", 12, 0, 0, 0, 0, 0), 314);  // 1309 * 0.24 = 314.16
    EXPECT_EQ(EstimateTextWidth("M", 10, 0, 0, 1, 0, 0), 188);
    EXPECT_EQ(EstimateTextWidth("&amp;", 10, 0, 0, 0, 0, 1), 155);
    EXPECT_EQ(EstimateTextWidth(static_cast<const char*>(nullptr), 10, 10, 0, 0, 0, 0), 0);

    TextString text("M");
    EXPECT_EQ(EstimateTextWidth(text, 10, 10, 0, 0, 0, 0), 194);
    EXPECT_EQ(EstimatePlainTextWidth(TextString("AV"), 10, 0), 261);
    EXPECT_EQ(EstimatePlainTextWidth(TextString("&amp;"), 10, 0), EstimateTextWidth("&amp;", 10, 0, 0, 0, 0, 0));

    EXPECT_EQ(EstimateTextWidthPoints("M", 10, 0, 0, 0, 0, 0), 177 / 20 + 1);
    EXPECT_EQ(EstimateTextWidthPoints(text, 10, 10, 0, 0, 0, 0), 194 / 20 + 1);
    EXPECT_EQ(EstimateTextWidthPoints("", 10, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(EstimateTextWidthPoints("MMMMM", 8, 0, 0, 0, 0, 0), 711 / 20 + 1);
}

// A font name is written as it stands into style sheets, FONT tags and the
// RTF font table: one that could end what holds it is not usable.
TEST(FontSpec, UsableFontFaces) {
    for (const char* face : {"Arial", "Times New Roman", "Gill Sans MT", "Noto Sans CJK JP", "Caf\xc3\xa9", ""})
        EXPECT_TRUE(IsUsableFontFace(TextString(face))) << face;
    for (const char* face :
         {"x</STYLE>", "a>b", "a{b", "a}b", "a;b", "a\"b", "a'b", "a\\b", "a\tb", "a\nb", "a\x7f"})
        EXPECT_FALSE(IsUsableFontFace(TextString(face))) << face;
}
