// Table configuration: the table policies that shape the conversion of one
// table, the per-column configurations of a TABLE_LAYOUT, the table-analysis
// state that the table engine fills in, and the table font.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "foundation/fonts.h"
#include "foundation/text_string.h"
#include "policies/policy_value.h"

class FC;

enum class TabPol : int {
#define TABLE_POLICY(id, key, kind, category, number, text, writer, flags) id,
#include "policies/tab_config.def"
#undef TABLE_POLICY
    Count
};
constexpr int kTablePolicyCount = static_cast<int>(TabPol::Count);

struct TablePolicyDefinition {
    TabPol id;
    const char* key;
    int kind;
    int category;
    int defaultNumber;
    const char* defaultText;
    int writerPosition;  // 0: neither written nor offered by the parser
    bool optionalInt;  // written "(none)" when 0 or less
    bool onlyWhenSet;  // written only when set (always offered)
};
const TablePolicyDefinition& GetTablePolicyDefinition(TabPol id);
// The value lies within the range the catalogue gives the table policy (any
// value for a policy without one).
bool TablePolicyAllows(TabPol id, int value);
// The range the catalogue gives the table policy; false for a policy without
// one.
bool GetTablePolicyRange(TabPol id, int* minimum, int* maximum);

// A table's width ("Default TABLE width", TABLE_WIDTH) is a whole number of
// pixels, or of per cent followed by "%", up to these.  It is written into
// the TABLE tag as it stands, so no other text is ever taken for one.
constexpr int kMaxTableWidthPixels = 100000;
constexpr int kMaxTableWidthPercent = 100;
// Reads a width of that form ("640", "50%"): true, with the number (INT_MAX
// when it is too large for an int) and whether it is a percentage.  False
// for any other text (a sign, a blank, a second "%", anything else).
bool ReadTableWidth(const TextString& text, int* number, bool* percent);
// The width has that form and lies within 0 and the largest width.
bool IsTableWidth(const TextString& text);
// The table policies in the writer's (and the parser's) order.
const std::vector<TabPol>& TablePoliciesInWriterOrder();

// One laid-out column.
class ColConfig {
public:
    int valid = 0;
    int firstColumn = -1;
    int lastColumn = -1;
    int alignment = 1;
    std::unique_ptr<FontSpec> font;
    TextString text1, text2, text3, text4;  // column texts kept for the table engine
    int hidden = 0;
    int vAlignment = -1;  // vertical alignment of the column's cells: 1 top, 2 bottom, 3 centre; -1 none
    int fallbackWidth = -1;  // width used for RTF output when `width` is 0
    TextString text5;
    int gutterWidth = -1;  // points reserved for gutter text at the column's right; -1 none
    int stubWidth = -1;  // points of the stub cell written before the column's cells; -1 none
    TextString text6;
    int stubIndent = -1;  // the smallest positive STUB_INDENT of the column's cells; -1 none
    int lastChar = 0;
    int firstChar = 0;
    int width = 0;
    int spacing = 0;
    int offset = 0;

    ColConfig() = default;
    ColConfig(const ColConfig& other);
    ColConfig& operator=(const ColConfig& other);
    // A column from a TABLE_LAYOUT argument: the 1-based column number.
    explicit ColConfig(const TextString& text);

    void Reset();
    int GetCharWidth() const;
    int GetWidth(int format) const;
    int GetSpacing(int format) const;
    int GetOffset(int format) const;
};

class TabConfig {
public:
    TabConfig();
    TabConfig(const TabConfig& other);
    TabConfig& operator=(const TabConfig& other);
    ~TabConfig();

    PolicyValue& Policy(TabPol id) { return *policies[static_cast<size_t>(id)]; }
    const PolicyValue& Policy(TabPol id) const { return *policies[static_cast<size_t>(id)]; }
    int GetInt(TabPol id) const;  // Int, Bool and Alignment values
    const TextString& GetText(TabPol id) const;  // Text and Colour values
    bool IsSet(TabPol id) const { return Policy(id).isSet != 0; }
    void SetInt(TabPol id, int value, bool markSet = true);
    void SetText(TabPol id, const char* text, bool markSet = true);

    void CopyFrom(const TabConfig& other);
    int RegisterTabConfigPolicies(bool fresh);
    void ParseTableLayoutTag(FC& set, const TextString& text);
    void HideColumn(int column);
    void SetColumnCount(int n, const TabConfig* source);

    int columnCount = 0;
    // Table-analysis state, set and read by the table engine.
    int centreTable = 0;  // the table is centred
    int totalWidth = 0;  // total table width (points) that percentage widths refer to; 0 unknown
    int widthIsPercent = 0;  // the layout's specified width is a percentage
    int specifiedWidth = 0;  // the layout's specified width; 0 none
    std::vector<std::unique_ptr<ColConfig>> columns;
    int dotLeadersUsed = 0;  // a cell asked for dot leaders
    int stubIndentUsed = 0;  // a cell of the first column carries a stub indent
    int largestStubIndent = 0;  // the largest stub indent of the first column's cells
    int extraWidth = 0;  // points added to the sum of the column widths (user tables)
    int indentPosition = -1;  // the table's indent position (characters); -1 from the block
    int defaultVAlignment = 1;  // 0/1 top, 2 bottom, 3 centre
    int smallestStubIndent = -1;  // the smallest positive stub indent; -1 none
    int lastGap = 6;  // points after the last column (RTF)
    int rowsCarryVAlign = 0;  // user tables: rows carry their own vertical alignment
    int reservedState = 0;
    // "Minimum TABLE column separation" was set by the document's own
    // TABLE_MIN_COLUMN_SEPARATION directive: the block analysis uses it as
    // given, neither raised for a short block nor retried wider.
    int separationAsGiven = 0;
    FontSpec tableFont;

    ColConfig* Column(int index) const {
        return (index >= 0 && index < columnCount) ? columns[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<PolicyValue>> policies;
    void ResetAnalysisState();
};

// The hook for table-begin tags: BEGIN_DELIMITED_TABLE, BEGIN_COMMA_DELIMITED_TABLE
// and BEGIN_USER_TABLE change nothing; any other name is reported.
void SetTabConfigFromTag(TabConfig& config, FC& set, const char* tagName, const TextString& tagText);
