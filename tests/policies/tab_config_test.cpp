#include "policies/tab_config.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

#include "foundation/string_list.h"
#include "foundation/text_file.h"
#include "policies/fc.h"

namespace {

// What FC reports while `action` runs (without a Context it writes to
// standard error).
template <typename Action>
std::string Reported(Action action) {
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
}

// First (= last) column index of each laid-out column; every one valid.
void ExpectColumns(const TabConfig& config, const std::vector<int>& indexes, const char* what) {
    ASSERT_EQ(config.columnCount, static_cast<int>(indexes.size())) << what;
    ASSERT_EQ(config.columns.size(), indexes.size()) << what;
    for (int i = 0; i < config.columnCount; ++i) {
        EXPECT_EQ(config.Column(i)->firstColumn, indexes[i]) << what << " column " << i;
        EXPECT_EQ(config.Column(i)->lastColumn, indexes[i]) << what << " column " << i;
        EXPECT_EQ(config.Column(i)->valid, 1) << what << " column " << i;
    }
}

constexpr std::array<int, 4> kAnalysisAReset{0, 0, 0, 0};
constexpr std::array<int, 10> kAnalysisBReset{0, 0, 0, 0, -1, 1, -1, 6, 0, 0};

// The fourteen analysis-state ints in declared order: the four before the
// columns and the ten after them.
std::array<int, 4> StateBeforeColumns(const TabConfig& c) {
    return {c.centreTable, c.totalWidth, c.widthIsPercent, c.specifiedWidth};
}
std::array<int, 10> StateAfterColumns(const TabConfig& c) {
    return {c.dotLeadersUsed,    c.stubIndentUsed,     c.largestStubIndent, c.extraWidth,      c.indentPosition,
            c.defaultVAlignment, c.smallestStubIndent, c.lastGap,           c.rowsCarryVAlign, c.reservedState};
}
void SetState(TabConfig& c, const std::array<int, 4>& a, const std::array<int, 10>& b) {
    c.centreTable = a[0], c.totalWidth = a[1], c.widthIsPercent = a[2], c.specifiedWidth = a[3];
    c.dotLeadersUsed = b[0], c.stubIndentUsed = b[1], c.largestStubIndent = b[2], c.extraWidth = b[3];
    c.indentPosition = b[4], c.defaultVAlignment = b[5], c.smallestStubIndent = b[6], c.lastGap = b[7];
    c.rowsCarryVAlign = b[8], c.reservedState = b[9];
}

}  // namespace

TEST(TabConfig, NewConfigurationHoldsTheCatalogueDefaults) {
    TabConfig config;
    for (int i = 0; i < kTablePolicyCount; ++i) {
        const TabPol id = static_cast<TabPol>(i);
        const TablePolicyDefinition& definition = GetTablePolicyDefinition(id);
        const PolicyValue& value = config.Policy(id);
        EXPECT_EQ(value.key.str(), definition.key);
        EXPECT_EQ(value.kind, definition.kind) << definition.key;
        EXPECT_EQ(value.category, definition.category) << definition.key;
        EXPECT_EQ(value.isSet, 0) << definition.key;
        if (definition.kind == kPolicyColour && definition.defaultText[0] != '\0') {
            // Colour defaults are kept normalised, as a policy line would give them.
            EXPECT_EQ(config.GetText(id).str(), std::string("#") + definition.defaultText) << definition.key;
        } else if (definition.kind == kPolicyText || definition.kind == kPolicyColour) {
            EXPECT_EQ(config.GetText(id).str(), definition.defaultText) << definition.key;
        } else {
            EXPECT_EQ(config.GetInt(id), definition.defaultNumber) << definition.key;
        }
    }
    EXPECT_EQ(config.columnCount, 0);
    EXPECT_EQ(StateBeforeColumns(config), kAnalysisAReset);
    EXPECT_EQ(StateAfterColumns(config), kAnalysisBReset);
}

// The "[Table generation]" lines of a new configuration in the writer's
// order, the optional Ints written "(none)" when 0 or less.
TEST(TabConfig, NewConfigurationWritesItsDefaults) {
    const std::vector<TabPol>& order = TablePoliciesInWriterOrder();
    ASSERT_EQ(order.size(), 27u);  // all but DOT_LEADERS colouring
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(GetTablePolicyDefinition(order[i]).writerPosition, static_cast<int>(i) + 1);

    TabConfig config;
    StringList lines;
    TextFile sink;
    sink.outputList = &lines;
    for (TabPol id : order) {
        if (GetTablePolicyDefinition(id).onlyWhenSet) continue;  // the caption: written only when set
        if (GetTablePolicyDefinition(id).optionalInt)
            WriteOptionalIntLine(sink, true, static_cast<const IntPolicyValue&>(config.Policy(id)));
        else
            config.Policy(id).WriteLine(sink, true);
    }
    ASSERT_EQ(lines.count, 26);
    auto valueOf = [&](const std::string& key) {
        for (int i = 0; i < lines.count; ++i) {
            std::string line = lines.TextAt(i);
            if (line.rfind(key, 0) != 0) continue;
            std::string value = line.substr(line.find(": ") + 2);
            while (!value.empty() && value.back() == ' ') value.pop_back();
            return value;
        }
        return std::string("missing");
    };
    EXPECT_EQ(valueOf("Default TABLE cell spacing"), "2");
    EXPECT_EQ(valueOf("Default TABLE cell padding"), "2");
    EXPECT_EQ(valueOf("Default TABLE border size"), "(none)");
    EXPECT_EQ(valueOf("Table extending factor"), "5");
    EXPECT_EQ(valueOf("Could be blank line separated"), "Yes");
    EXPECT_EQ(std::string(lines.TextAt(0)).rfind("Use <CODE>..</CODE> markup", 0), 0u);
}

TEST(TabConfig, RegisterReturnsToTheCatalogueState) {
    FC set;
    TabConfig config;
    config.SetInt(TabPol::CellSpacing, 9);
    config.SetText(TabPol::TableColour, "Red");
    config.lastGap = 0;
    config.separationAsGiven = 1;
    config.tableFont.SetFaceName(TextString("Arial"));
    config.ParseTableLayoutTag(set, TextString("2, 1, 10"));
    ASSERT_EQ(config.columnCount, 2);

    EXPECT_EQ(config.RegisterTabConfigPolicies(false), -1);
    EXPECT_EQ(config.separationAsGiven, 0);
    EXPECT_EQ(config.GetInt(TabPol::CellSpacing), 2);
    EXPECT_FALSE(config.IsSet(TabPol::CellSpacing));
    EXPECT_EQ(config.GetText(TabPol::TableColour).str(), "");
    EXPECT_EQ(StateAfterColumns(config), kAnalysisBReset);
    EXPECT_EQ(config.tableFont.faceName.str(), FontSpec().faceName.str());
    EXPECT_EQ(config.columnCount, 0);
    EXPECT_TRUE(config.columns.empty());
}

TEST(TabConfig, LayoutTextsThatParse) {
    FC set;
    struct Case {
        const char* text;
        std::vector<int> indexes;
    };
    const std::vector<Case> cases = {
        {"3, 1, 20, 40", {0, 19, 39}},
        {"TABLE_LAYOUT 3, 1, 20, 40", {0, 19, 39}},
        {"[[TABLE_LAYOUT 2,5,9]]", {4, 8}},
        {"$_$_TABLE_LAYOUT 2 5 9", {4, 8}},
        {"table_layout 1, 7", {6}},
        {"1, 4, 8", {3}},  // arguments beyond the count are not read
        {"0", {}},
    };
    for (const Case& c : cases) {
        TabConfig config;
        const std::string shown = Reported([&] { config.ParseTableLayoutTag(set, TextString(c.text)); });
        EXPECT_EQ(shown, "") << c.text;
        ExpectColumns(config, c.indexes, c.text);
    }
}

TEST(TabConfig, LayoutFailuresKeepTheOldColumns) {
    FC set;
    const char* const kLayout = "TAG ERROR: Failed to parse table layout";
    const char* const kTag = "TAG ERROR: Failed to parse TABLE_LAYOUT";
    struct Case {
        const char* text;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {"3, 1, 20", kLayout}, {"2, 1, x", kLayout}, {"2, , 4", kLayout}, {"three", kTag}, {"", kTag},
        {"[[TABLE_LAYOUT [[2, 1, 2]]", kTag},
        // A negative count would otherwise clear the columns and leave a
        // negative column count behind.
        {"-1", kTag},
        // A text that names another tag is not a layout.
        {"[[FONT TABLE_LAYOUT 1, 2]]", kTag},
    };
    // clang-format on
    for (const Case& c : cases) {
        TabConfig config;
        config.ParseTableLayoutTag(set, TextString("2, 5, 9"));
        const std::string shown = Reported([&] { config.ParseTableLayoutTag(set, TextString(c.text)); });
        EXPECT_NE(shown.find(c.message), std::string::npos) << c.text << ": " << shown;
        EXPECT_EQ(shown.find(c.message == kLayout ? kTag : kLayout), std::string::npos) << c.text;
        ExpectColumns(config, {4, 8}, c.text);
    }
}

TEST(TabConfig, HideColumnIgnoresNumbersOutOfRange) {
    FC set;
    TabConfig config;
    config.HideColumn(1);  // no columns yet
    config.ParseTableLayoutTag(set, TextString("3, 1, 20, 40"));
    for (int column : {0, -1, 4, 1000}) config.HideColumn(column);
    config.HideColumn(3);
    EXPECT_EQ(config.Column(0)->hidden + config.Column(1)->hidden, 0);
    EXPECT_EQ(config.Column(2)->hidden, 1);
}

TEST(TabConfig, CopyIsDeep) {
    FC set;
    TabConfig original;
    original.ParseTableLayoutTag(set, TextString("3, 1, 20, 40"));
    original.HideColumn(1);
    original.HideColumn(3);
    for (int i = 0; i < 3; ++i) {
        original.Column(i)->font = std::make_unique<FontSpec>();
        original.Column(i)->font->SetFaceName(TextString("Courier New"));
        original.Column(i)->text5 = "kept";
    }
    original.SetInt(TabPol::HeaderRows, 2);
    original.SetText(TabPol::Width, "80%");
    SetState(original, {1, 2, 3, 4}, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
    original.tableFont.SetFaceName(TextString("Arial"));
    original.separationAsGiven = 1;

    TabConfig copy(original);
    EXPECT_EQ(copy.separationAsGiven, 1);
    ExpectColumns(copy, {0, 19, 39}, "copy");
    EXPECT_EQ(copy.Column(0)->hidden, 1);
    EXPECT_EQ(copy.Column(1)->hidden, 0);
    EXPECT_EQ(copy.Column(2)->hidden, 1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(copy.Column(i)->font, nullptr);
        EXPECT_NE(copy.Column(i)->font.get(), original.Column(i)->font.get());
        EXPECT_EQ(copy.Column(i)->font->faceName.str(), "Courier New");
        EXPECT_EQ(copy.Column(i)->text5.str(), "kept");
    }
    EXPECT_EQ(copy.GetInt(TabPol::HeaderRows), 2);
    EXPECT_TRUE(copy.IsSet(TabPol::HeaderRows));
    EXPECT_EQ(copy.GetText(TabPol::Width).str(), "80%");
    EXPECT_FALSE(copy.IsSet(TabPol::CellSpacing));
    EXPECT_EQ(StateBeforeColumns(copy), StateBeforeColumns(original));
    EXPECT_EQ(StateAfterColumns(copy), StateAfterColumns(original));
    EXPECT_EQ(copy.tableFont.faceName.str(), "Arial");

    copy.Column(0)->font->SetFaceName(TextString("Times New Roman"));
    copy.HideColumn(2);
    EXPECT_EQ(original.Column(0)->font->faceName.str(), "Courier New");
    EXPECT_EQ(original.Column(1)->hidden, 0);
}

// Assignment makes the configurations equal, also when the source has no
// layout; assignment to itself keeps everything.
TEST(TabConfig, Assignment) {
    FC set;
    TabConfig config;
    config.ParseTableLayoutTag(set, TextString("2, 3, 6"));
    config.Column(1)->font = std::make_unique<FontSpec>();
    config.SetInt(TabPol::BorderSize, 4);
    TabConfig& same = config;
    config = same;
    ExpectColumns(config, {2, 5}, "self");
    EXPECT_NE(config.Column(1)->font, nullptr);
    EXPECT_TRUE(config.IsSet(TabPol::BorderSize));

    config = TabConfig();
    EXPECT_EQ(config.columnCount, 0);
    EXPECT_TRUE(config.columns.empty());
    EXPECT_FALSE(config.IsSet(TabPol::BorderSize));
}

TEST(TabConfig, SetColumnCount) {
    FC set;
    TabConfig source;
    source.ParseTableLayoutTag(set, TextString("2, 3, 6"));
    TabConfig target;
    target.SetColumnCount(1, &source);
    ExpectColumns(target, {2}, "first of the source");

    // A source with fewer columns than asked for gives reset ones for the rest.
    target.SetColumnCount(3, &source);
    ASSERT_EQ(target.columnCount, 3);
    EXPECT_EQ(target.Column(1)->firstColumn, 5);
    EXPECT_EQ(target.Column(2)->valid, 0);
    EXPECT_EQ(target.Column(2)->firstColumn, -1);

    source.SetColumnCount(2, &source);  // the configuration itself as source
    ExpectColumns(source, {2, 5}, "own source");

    target.SetColumnCount(-3, nullptr);
    EXPECT_EQ(target.columnCount, 0);
    EXPECT_TRUE(target.columns.empty());
}

TEST(TabConfig, TableBeginTags) {
    FC set;
    for (const char* name : {"BEGIN_DELIMITED_TABLE", "BEGIN_COMMA_DELIMITED_TABLE", "BEGIN_USER_TABLE"}) {
        TabConfig config;
        config.ParseTableLayoutTag(set, TextString("1, 4"));
        const std::string shown =
            Reported([&] { SetTabConfigFromTag(config, set, name, TextString("$_$_BEGIN_USER_TABLE")); });
        EXPECT_EQ(shown, "") << name;
        ExpectColumns(config, {3}, name);
    }
    TabConfig config;
    std::string shown =
        Reported([&] { SetTabConfigFromTag(config, set, "BEGIN_TABLE", TextString("[[BEGIN_TABLE]]")); });
    EXPECT_NE(shown.find("TAG ERROR: Setting table config from tag BEGIN_TABLE\n\t[[BEGIN_TABLE]]"),
              std::string::npos)
        << shown;
    // Names are compared exactly.
    shown = Reported([&] { SetTabConfigFromTag(config, set, "begin_user_table", TextString("x")); });
    EXPECT_NE(shown.find("TAG ERROR: Setting table config from tag begin_user_table\n\tx"), std::string::npos);
}

// ---------------------------------------------------------------------------
// ColConfig

TEST(ColConfig, FromLayoutTextAndReset) {
    struct Case {
        const char* text;
        int valid;
        int index;
    };
    const Case cases[] = {{"20", 1, 19}, {"1", 1, 0}, {" 3 ", 1, 2}, {"x", 0, -1}, {"", 0, -1}, {"2b", 0, -1}};
    for (const Case& c : cases) {
        ColConfig column{TextString(c.text)};
        EXPECT_EQ(column.valid, c.valid) << c.text;
        EXPECT_EQ(column.firstColumn, c.index) << c.text;
        EXPECT_EQ(column.lastColumn, c.index) << c.text;
    }

    ColConfig column(TextString("7"));
    column.alignment = 3;
    column.font = std::make_unique<FontSpec>();
    column.text6 = "b";
    column.hidden = 1;
    column.fallbackWidth = 40;
    column.offset = 3;
    column.Reset();  // keeps validity and span
    EXPECT_EQ(column.valid, 1);
    EXPECT_EQ(column.firstColumn, 6);
    EXPECT_EQ(column.lastColumn, 6);
    EXPECT_EQ(column.alignment, 1);
    EXPECT_EQ(column.font, nullptr);
    EXPECT_TRUE(column.text6.IsEmpty());
    EXPECT_EQ(column.hidden, 0);
    EXPECT_EQ(column.fallbackWidth, -1);
    EXPECT_EQ(column.offset, 0);
}

TEST(ColConfig, WidthsByFormat) {
    struct Case {
        int width, fallback, html, rtf, other;
    };
    // clang-format off
    const Case cases[] = {
        {30, -1, 40, 30, 30}, {0, -1, 0, 50, 0},       {0, 25, 0, 25, 0},
        {0, 0, 0, 50, 0},     {-5, 25, -6, 50, -5},    {100, -1, 134, 100, 100},
        // Scaling does not overflow.
        {2000000000, -1, 2147483647, 2000000000, 2000000000},
    };
    // clang-format on
    for (const Case& c : cases) {
        ColConfig column;
        column.width = c.width;
        column.fallbackWidth = c.fallback;
        EXPECT_EQ(column.GetWidth(0), c.html) << c.width << "/" << c.fallback;
        EXPECT_EQ(column.GetWidth(1), c.rtf) << c.width << "/" << c.fallback;
        EXPECT_EQ(column.GetWidth(2), c.other) << c.width << "/" << c.fallback;
    }
    ColConfig column;
    column.spacing = 10;
    column.offset = 3;
    EXPECT_EQ(column.GetSpacing(0), 13);
    EXPECT_EQ(column.GetSpacing(1), 10);
    EXPECT_EQ(column.GetOffset(0), 4);
    EXPECT_EQ(column.GetOffset(1), 3);
    EXPECT_EQ(column.GetCharWidth(), 0);
    column.firstChar = 5;
    column.lastChar = 9;
    EXPECT_EQ(column.GetCharWidth(), 5);
}

TEST(ColConfig, CopiesAreDeep) {
    ColConfig original(TextString("4"));
    original.font = std::make_unique<FontSpec>();
    original.font->SetFaceName(TextString("Arial"));
    original.text3 = "t3";
    original.stubWidth = 8;

    ColConfig copy(original);
    ASSERT_NE(copy.font, nullptr);
    EXPECT_NE(copy.font.get(), original.font.get());
    EXPECT_EQ(copy.firstColumn, 3);
    EXPECT_EQ(copy.text3.str(), "t3");
    EXPECT_EQ(copy.stubWidth, 8);
    copy.font->SetFaceName(TextString("Symbol"));
    EXPECT_EQ(original.font->faceName.str(), "Arial");

    copy = ColConfig();  // a source without a font leaves none
    EXPECT_EQ(copy.font, nullptr);
    ColConfig& same = original;
    original = same;
    ASSERT_NE(original.font, nullptr);
    EXPECT_EQ(original.font->faceName.str(), "Arial");
}

// A table width is a whole number of pixels or per cent; nothing else is
// ever written into the TABLE tag as one.
TEST(TabConfig, TableWidths) {
    const struct {
        const char* text;
        bool read;
        int number;
        bool percent;
        bool usable;
    } cases[] = {
        {"640", true, 640, false, true},
        {"50%", true, 50, true, true},
        {"0", true, 0, false, true},
        {"100%", true, 100, true, true},
        {"101%", true, 101, true, false},
        {"100000", true, 100000, false, true},
        {"100001", true, 100001, false, false},
        {"99999999999", true, INT_MAX, false, false},
        {"", false, 0, false, false},
        {"%", false, 0, false, false},
        {"-5", false, 0, false, false},
        {"+5", false, 0, false, false},
        {"5 %", false, 0, false, false},
        {"50%%", false, 0, false, false},
        {"50\" onmouseover=\"alert(1)", false, 0, false, false},
    };
    for (const auto& c : cases) {
        int number = -1;
        bool percent = false;
        EXPECT_EQ(ReadTableWidth(TextString(c.text), &number, &percent), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(number, c.number) << c.text;
            EXPECT_EQ(percent, c.percent) << c.text;
        }
        EXPECT_EQ(IsTableWidth(TextString(c.text)), c.usable) << c.text;
    }
}
