// Table configuration: the 28 table policies, the per-column configurations
// of a TABLE_LAYOUT, the table-analysis state and the table font.
#include "policies/output_formats.h"
#include "policies/tab_config.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "analysis/inline_tag_args.h"
#include "policies/catalogue_tokens.h"
#include "policies/fc.h"

// ---------------------------------------------------------------------------
// The table policy catalogue

namespace {

using namespace catalogue_tokens;

const TablePolicyDefinition kTablePolicies[] = {
#define TABLE_POLICY(id, key, kind, category, number, text, writer, flags) \
    {TabPol::id,                                                           \
     key,                                                                  \
     kind,                                                                 \
     category,                                                             \
     number,                                                               \
     text,                                                                 \
     writer,                                                               \
     (flags) == WriteFlag::OptionalInt,                                    \
     (flags) == WriteFlag::WhenSet},
#include "policies/tab_config.def"
#undef TABLE_POLICY
};
static_assert(sizeof(kTablePolicies) / sizeof(kTablePolicies[0]) == kTablePolicyCount,
              "one definition per table policy");

struct TablePolicyRange {
    TabPol id;
    int minimum;
    int maximum;
};
const TablePolicyRange kTablePolicyRanges[] = {
#define TABLE_POLICY(id, key, kind, category, number, text, writer, flags)
#define TABLE_POLICY_RANGE(id, minimum, maximum) {TabPol::id, minimum, maximum},
#include "policies/tab_config.def"
#undef TABLE_POLICY_RANGE
#undef TABLE_POLICY
};

bool IsNumberKind(int kind) { return kind == kPolicyInt || kind == kPolicyBool || kind == kPolicyAlignment; }

// HTML widths are given in pixels, about 1.34 per character-width unit.
int ScaleForHtml(int value) {
    const int64_t scaled = static_cast<int64_t>(value) * 134 / 100;
    return static_cast<int>(std::clamp<int64_t>(scaled, INT_MIN, INT_MAX));
}

}  // namespace

bool GetTablePolicyRange(TabPol id, int* minimum, int* maximum) {
    for (const TablePolicyRange& range : kTablePolicyRanges)
        if (range.id == id) {
            *minimum = range.minimum;
            *maximum = range.maximum;
            return true;
        }
    return false;
}

bool TablePolicyAllows(TabPol id, int value) {
    int minimum = 0, maximum = 0;
    return !GetTablePolicyRange(id, &minimum, &maximum) || (value >= minimum && value <= maximum);
}

bool ReadTableWidth(const TextString& text, int* number, bool* percent) {
    const std::string_view width = text.view();
    *percent = !width.empty() && width.back() == '%';
    const std::string_view digits = *percent ? width.substr(0, width.size() - 1) : width;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                       [](char c) { return IsAsciiDigit(static_cast<unsigned char>(c)); }))
        return false;
    int64_t value = 0;
    for (const char c : digits) value = std::min<int64_t>(value * 10 + (c - '0'), INT_MAX);
    *number = static_cast<int>(value);
    return true;
}

bool IsTableWidth(const TextString& text) {
    int number = 0;
    bool percent = false;
    return ReadTableWidth(text, &number, &percent) &&
           number <= (percent ? kMaxTableWidthPercent : kMaxTableWidthPixels);
}

const TablePolicyDefinition& GetTablePolicyDefinition(TabPol id) {
    static const TablePolicyDefinition kNone{TabPol::Count, "", 0, 0, 0, "", 0, false, false};
    const int index = static_cast<int>(id);
    if (index < 0 || index >= kTablePolicyCount) return kNone;
    return kTablePolicies[index];
}

const std::vector<TabPol>& TablePoliciesInWriterOrder() {
    static const std::vector<TabPol> order = [] {
        std::vector<const TablePolicyDefinition*> written;
        for (const TablePolicyDefinition& definition : kTablePolicies)
            if (definition.writerPosition > 0) written.push_back(&definition);
        std::stable_sort(written.begin(), written.end(),
                         [](const TablePolicyDefinition* a, const TablePolicyDefinition* b) {
                             return a->writerPosition < b->writerPosition;
                         });
        std::vector<TabPol> ids;
        ids.reserve(written.size());
        for (const TablePolicyDefinition* definition : written) ids.push_back(definition->id);
        return ids;
    }();
    return order;
}

// ---------------------------------------------------------------------------
// ColConfig

ColConfig::ColConfig(const ColConfig& other) { *this = other; }

ColConfig& ColConfig::operator=(const ColConfig& other) {
    if (this == &other) return *this;
    valid = other.valid;
    firstColumn = other.firstColumn;
    lastColumn = other.lastColumn;
    alignment = other.alignment;
    font = other.font ? std::make_unique<FontSpec>(*other.font) : nullptr;
    text1 = other.text1;
    text2 = other.text2;
    text3 = other.text3;
    text4 = other.text4;
    hidden = other.hidden;
    vAlignment = other.vAlignment;
    fallbackWidth = other.fallbackWidth;
    text5 = other.text5;
    gutterWidth = other.gutterWidth;
    stubWidth = other.stubWidth;
    text6 = other.text6;
    stubIndent = other.stubIndent;
    lastChar = other.lastChar;
    firstChar = other.firstChar;
    width = other.width;
    spacing = other.spacing;
    offset = other.offset;
    return *this;
}

// The text is the 1-based column number of a TABLE_LAYOUT argument; the
// column is valid only when it reads as a number.
ColConfig::ColConfig(const TextString& text) {
    int position = -1;
    if (text.ToInteger('1', &position)) {
        valid = 1;
        firstColumn = position - 1;
        lastColumn = position - 1;
    }
}

void ColConfig::Reset() {
    alignment = 1;
    font.reset();
    text1.MakeEmpty();
    text2.MakeEmpty();
    text3.MakeEmpty();
    text4.MakeEmpty();
    hidden = 0;
    vAlignment = -1;
    fallbackWidth = -1;
    text5.MakeEmpty();
    gutterWidth = -1;
    stubWidth = -1;
    text6.MakeEmpty();
    stubIndent = -1;
    lastChar = 0;
    firstChar = 0;
    width = 0;
    spacing = 0;
    offset = 0;
}

int ColConfig::GetCharWidth() const { return lastChar > 0 ? lastChar - firstChar + 1 : 0; }

int ColConfig::GetWidth(int format) const {
    switch (format) {
        case kOutputHTML: return ScaleForHtml(width);
        case kOutputRTF: {
            const int result = width != 0 ? width : fallbackWidth;
            return result > 0 ? result : 50;
        }
        default: return width;
    }
}

int ColConfig::GetSpacing(int format) const { return format == kOutputHTML ? ScaleForHtml(spacing) : spacing; }

int ColConfig::GetOffset(int format) const { return format == kOutputHTML ? ScaleForHtml(offset) : offset; }

// ---------------------------------------------------------------------------
// TabConfig

TabConfig::TabConfig() {
    policies.reserve(kTablePolicyCount);
    for (const TablePolicyDefinition& definition : kTablePolicies)
        policies.push_back(MakePolicyValue(definition.kind));
    RegisterTabConfigPolicies(true);
}

TabConfig::TabConfig(const TabConfig& other) : TabConfig() { CopyFrom(other); }

TabConfig& TabConfig::operator=(const TabConfig& other) {
    CopyFrom(other);
    return *this;
}

TabConfig::~TabConfig() = default;

int TabConfig::GetInt(TabPol id) const {
    const PolicyValue& value = Policy(id);
    if (!IsNumberKind(value.kind)) return 0;
    return static_cast<const NumberPolicyValue&>(value).iValue;
}

const TextString& TabConfig::GetText(TabPol id) const {
    static const TextString kEmpty;
    const PolicyValue& value = Policy(id);
    if (IsNumberKind(value.kind)) return kEmpty;
    return static_cast<const TextPolicyValue&>(value).tValue;
}

void TabConfig::SetInt(TabPol id, int value, bool markSet) {
    PolicyValue& policy = Policy(id);
    if (!IsNumberKind(policy.kind)) return;
    static_cast<NumberPolicyValue&>(policy).iValue = value;
    if (markSet) policy.isSet = 1;
}

void TabConfig::SetText(TabPol id, const char* text, bool markSet) {
    PolicyValue& policy = Policy(id);
    if (IsNumberKind(policy.kind)) return;
    static_cast<TextPolicyValue&>(policy).tValue.Assign(text ? text : "");
    if (markSet) policy.isSet = 1;
}

// Makes this configuration equal to `other`: policy values with their set
// flags, analysis state, table font and columns.  A source without columns
// leaves this one without columns too, so no layout of an earlier table
// survives the copy.
void TabConfig::CopyFrom(const TabConfig& other) {
    if (this == &other) return;
    for (size_t i = 0; i < policies.size(); ++i) policies[i]->CopyFrom(*other.policies[i]);
    centreTable = other.centreTable;
    totalWidth = other.totalWidth;
    widthIsPercent = other.widthIsPercent;
    specifiedWidth = other.specifiedWidth;
    dotLeadersUsed = other.dotLeadersUsed;
    stubIndentUsed = other.stubIndentUsed;
    largestStubIndent = other.largestStubIndent;
    extraWidth = other.extraWidth;
    indentPosition = other.indentPosition;
    defaultVAlignment = other.defaultVAlignment;
    smallestStubIndent = other.smallestStubIndent;
    lastGap = other.lastGap;
    rowsCarryVAlign = other.rowsCarryVAlign;
    reservedState = other.reservedState;
    separationAsGiven = other.separationAsGiven;
    tableFont = other.tableFont;
    SetColumnCount(other.columnCount, &other);
}

int TabConfig::RegisterTabConfigPolicies(bool /*fresh*/) {
    for (const TablePolicyDefinition& definition : kTablePolicies) {
        PolicyValue& value = *policies[static_cast<size_t>(definition.id)];
        if (IsNumberKind(definition.kind))
            value.Name(definition.key, definition.category, &definition.defaultNumber, nullptr);
        else
            value.Name(definition.key, definition.category, definition.defaultText, nullptr);
    }
    for (const TablePolicyRange& range : kTablePolicyRanges) {
        auto& value = dynamic_cast<IntPolicyValue&>(*policies[static_cast<size_t>(range.id)]);
        value.lowest = range.minimum;
        value.highest = range.maximum;
    }
    tableFont.Reset();
    // The columns are owned by the vector, so a fresh configuration and a
    // reused one are cleared alike.
    columns.clear();
    columnCount = 0;
    ResetAnalysisState();
    separationAsGiven = 0;
    return -1;
}

void TabConfig::ResetAnalysisState() {
    centreTable = 0;
    totalWidth = 0;
    widthIsPercent = 0;
    specifiedWidth = 0;
    dotLeadersUsed = 0;
    stubIndentUsed = 0;
    largestStubIndent = 0;
    extraWidth = 0;
    indentPosition = -1;
    defaultVAlignment = 1;
    smallestStubIndent = -1;
    lastGap = 6;
    rowsCarryVAlign = 0;
    reservedState = 0;
}

void TabConfig::ParseTableLayoutTag(FC& set, const TextString& text) {
    // A policy value holds only the arguments; a tag or directive holds the
    // name as well.  Both are read as a tag.
    TextString tagText(text);
    if (!tagText.FindNoCase("TABLE_LAYOUT")) tagText.Insert(0, "TABLE_LAYOUT ");

    TextString name, arguments, error;
    int level = -1;
    int count = -1;
    if (!RecogniseTag(set, tagText, name, arguments, error, level) || !name.Matches("TABLE_LAYOUT", 0, 0) ||
        !TryGetTagInteger(set, arguments, 1, count) || count < 0) {
        set.ReportMessage("TAG ERROR: Failed to parse TABLE_LAYOUT", kLevelAlways);
        return;
    }

    std::vector<std::unique_ptr<ColConfig>> built;
    for (int i = 1; i <= count; ++i) {
        TextString argument;
        if (!TryGetTagString(set, arguments, i + 1, argument)) break;
        auto column = std::make_unique<ColConfig>(argument);
        if (!column->valid) break;
        built.push_back(std::move(column));
    }
    if (static_cast<int>(built.size()) != count) {
        set.ReportMessage("TAG ERROR: Failed to parse table layout", kLevelAlways);
        return;
    }
    columns = std::move(built);
    columnCount = count;
}

void TabConfig::HideColumn(int column) {
    if (column < 1 || column > columnCount) return;
    if (ColConfig* config = Column(column - 1)) config->hidden = 1;
}

// Makes `n` columns: copies of the source's first columns, reset ones for
// any the source does not have.  The new columns are built before the old
// ones go, so the source may be this configuration itself.
void TabConfig::SetColumnCount(int n, const TabConfig* source) {
    if (n < 0) n = 0;
    std::vector<std::unique_ptr<ColConfig>> made;
    made.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const ColConfig* from = source ? source->Column(i) : nullptr;
        made.push_back(from ? std::make_unique<ColConfig>(*from) : std::make_unique<ColConfig>());
    }
    columns = std::move(made);
    columnCount = n;
}

// ---------------------------------------------------------------------------
// Table-begin tags

void SetTabConfigFromTag(TabConfig& /*config*/, FC& set, const char* tagName, const TextString& tagText) {
    const char* name = tagName ? tagName : "";
    // The delimited and user tables take their configuration from the
    // policies already in force; the tag itself carries nothing to store.
    if (std::strcmp(name, "BEGIN_DELIMITED_TABLE") == 0 || std::strcmp(name, "BEGIN_COMMA_DELIMITED_TABLE") == 0 ||
        std::strcmp(name, "BEGIN_USER_TABLE") == 0)
        return;
    TextString message("TAG ERROR: Setting table config from tag ");
    message.Append(name);
    message.Append("\n\t");
    message.Append(tagText);
    set.ReportMessage(message.buffer, kLevelAlways);
}
