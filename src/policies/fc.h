// FC: the policy set of a conversion.  It holds every named policy of the
// catalogue, the lists that policy files add (indent and hanging positions,
// definition and bullet characters, heading numbering, newsgroups, document
// sections, link definitions, text commands), the default table configuration
// and its queue, and the small per-run state that writers and the
// preprocessor share.  Nearly every engine routine takes an FC first.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "foundation/message_levels.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"
#include "policies/heading_level_spec.h"
#include "policies/policy_value.h"
#include "policies/rule_sets.h"

class Context;
class MessageSink;
class LinkDictionary;
class TabConfig;
class TextCommandList;
class TextFile;
class TextLine;
class SourcePosition;

// Every policy of the catalogue, in the writer's order.
enum class Pol : int {
#define POLICY(id, key, kind, category, number, text, section, flags) id,
#include "policies/policy_catalogue.def"
#undef POLICY
    Count
};
constexpr int kPolicyCount = static_cast<int>(Pol::Count);

// The policy-file sections, in the order the writer writes them.
enum class PolicySection : int {
    Messages,
    Tarnell,
    Tagging,
    GeneralAnalysis,
    Bullets,
    Headings,
    PreFormatted,
    AddedHTML,
    AddedRTF,
    CompositionUnits,
    Frames,
    Hyperlinks,
    FileGeneration,
    Contents,
    DirectoryPage,
    Preprocessor,
    Style,
    PageFormatting,
    TableGeneration,
    LinkDictionary,
    TextSubstitution,
    NotWritten,
};

struct PolicyDefinition {
    Pol id;
    const char* key;
    int kind;
    int category;
    int defaultNumber;
    const char* defaultText;
    PolicySection section;
    bool optionalInt;  // an Int written "(none)" when 0 or less
    bool onlyWhenSet;  // written only when set, also when every policy is written
};
const PolicyDefinition& GetPolicyDefinition(Pol id);

// The 78 language names of "Language (for proofing)", joined by commas.
const char* GetProofingLanguageChoices();

// Flags that say which of the set's own lists a policy file supplied.
struct PolicyListFlags {
    int indentPositions = 0;
    int hangingPositions = 0;
    int definitionChars = 0;
    int sectionFilter = 0;
    int linkDictionary = 0;
    int textCommands = 0;
    int bulletChars = 0;
    int headingNumbering = 0;
    int usenetGroups = 0;
};

// The preprocessor's state for the file being read: ignored blocks, the
// current document section, the special block (table, code, diagram,
// pre-formatted text) that is open, open fragment definitions and the
// contents list.  Cleared for each file by FC::ResetRunState.
struct PreprocessorState {
    int ignoreDepth = 0;  // nesting of BEGIN_IGNORE / BEGIN_ASCII blocks (one counter)
    // Where the outermost ignored block began, for the messages that name
    // its lines: the file, its line, and whether it is a BEGIN_ASCII block.
    TextString ignoreStartFile;
    int ignoreStartLine = 0;
    int ignoreStartIsAscii = 0;
    int unclosedBlockReported = 0;  // the end of the input found it still open
    int sectionIncluded = 1;  // the current document section is converted
    int inSpecialBlock = 0;  // between the start and end directive of a special block
    int specialBlockKind = 0;  // 1 table, 2 code, 3 diagram, 4 pre-formatted, 6 user, 7 delimited, 8 comma
    int inHtmlFragmentDefinition = 0;
    int inTextFragmentDefinition = 0;
    int inContentsList = 0;
    int contentsListSeen = 0;
    int contentsListEnded = 0;
    // The whole file is converted as a table (set by the conversion for the
    // file after the reset): its in-line LINERULE tags are cell tags.
    int wholeFileIsTable = 0;

    void Reset() { *this = PreprocessorState{}; }
};

// Names of the files of the run.
struct PolicyFileNames {
    TextString outputExtension{".html"};
    TextString contentsFileName;
    TextString policyFileName;
    TextString sectionName;
};

class FC {
public:
    FC();
    FC(const FC&) = delete;
    FC& operator=(const FC&) = delete;
    virtual ~FC();

    // ---- Policy access ----
    PolicyValue& Policy(Pol id) { return *policies[static_cast<size_t>(id)]; }
    const PolicyValue& Policy(Pol id) const { return *policies[static_cast<size_t>(id)]; }
    IntPolicyValue& IntPolicy(Pol id);
    BoolPolicyValue& BoolPolicy(Pol id);
    TextPolicyValue& TextPolicy(Pol id);  // Text, Colour and Font
    ChoicePolicyValue& ChoicePolicy(Pol id);
    NumberPolicyValue& NumberPolicy(Pol id);  // Int, Bool, Alignment, Choice
    int GetInt(Pol id) const;  // Int, Bool, Alignment and Choice values
    bool IsOn(Pol id) const { return GetInt(id) != 0; }
    const TextString& GetText(Pol id) const;  // Text, Colour and Font values
    bool IsSet(Pol id) const { return Policy(id).isSet != 0; }
    void SetInt(Pol id, int value, bool markSet = true);
    void SetText(Pol id, const char* text, bool markSet = true);
    // Finds the policy whose key equals `key` (ignoring case); null when none.
    PolicyValue* FindPolicy(const char* key);

    // ---- Reset, copy and merge ----
    void ResetPolicies(const char* keep = nullptr);
    void ResetRunState(const char* keep = nullptr);
    void CopyPolicies(const FC& other);
    // Works out `numberingPrefixes` from the numbering styles (wherever
    // they change).
    void CountNumberingPrefixes();
    void MergeChangedPolicies(const FC& other, int withFlags);
    void CopyReporterSettings(const FC& other);
    void ClearOwnedLists();

    // ---- Context, rule sets and format defaults ----
    void SetContext(Context* context);
    void ApplyRuleSetAndFormatDefaults(int force);
    void ApplyRunParameters(Context& context);
    // The output format of the run the set belongs to; HTML when it belongs
    // to none.
    int RunOutputFormat() const;
    // Gives the document of the run the set belongs to a META tag; nothing
    // when it belongs to none.
    void AddMetaTag(const char* name, const char* content);

    // ---- File names, sections, bullets ----
    void MakeContentsFileName(const char* inputName);
    void MakePolicyFileName(const char* inputName);
    void SetSectionName(const TextString& name);
    int IsSectionIncluded() const;
    void SetFileNameRoot(const char* path);
    int IsBulletChar(char c) const;
    int GetIndentLevel(int column) const;

    // ---- Messages ----
    // A message does not change the set: it goes to the run status and the
    // context's sink (or the console), so a const set may report.
    void ReportMessage(const char* text, int level) const;
    // Reports the file `reader` last refused because it is not a regular file
    // (a directory, FIFO, device or socket) as one "ERROR: " message naming
    // it, and counts it against the run.  False when there is no refusal.
    bool ReportRefusedFile(TextFile& reader);
    // Gives the sink this set's reporting level and message-class filters.
    void LoadMessageFilters(MessageSink& sink) const;
    void OutputMessage(const char* text, int level) const;
    void ReportStatus(const char* text);
    // Reports the set's own message text.
    void ReportMessage(int level) const { ReportMessage(TextString(messageText).buffer, level); }

    // ---- Table configurations ----
    TabConfig* GetDefaultTabConfig() const { return defaultTabConfig.get(); }
    TabConfig* GetCurrentTabConfig() const;
    TabConfig* GetOldestTabConfig() const;
    void CreateNewTabConfig();
    int GetTableExtendingFactor() const;
    void SetTableBorderSize(int value);
    void SetTableHeaderRows(int value);
    void SetTableHeaderCols(int value);
    void SetTableCellSpacing(int value);
    void SetTableCellPadding(int value);
    // The document's TABLE_MIN_COLUMN_SEPARATION: the separation is used as
    // given (TabConfig::separationAsGiven).
    void SetMinColumnSeparation(int value);
    void SetConvertTableXRefs(int value);
    void SetExpectSparseTable(int value);
    void SetTableCellAlignment(int value);
    void SetTableAlignment(int value);
    void SetColourDataRows(int value);
    void SetAddTableWidth(int value);
    void SetUsePercentageWidths(int value);
    void SetTableColour(const char* colour);
    void SetTableBorderColour(const char* colour);
    void SetTableOddRowColour(const char* colour);
    void SetTableEvenRowColour(const char* colour);
    void SetTableCaption(const char* text);
    void SetTableDelimiter(const char* text);
    void SetTableWidth(const char* text);
    void SetTableLayout(const char* text);
    void HideTableColumn(int column);
    void SetTabConfigFromTag(const TextString& line, const char* tagName, const TextString& arguments);

    // ---- Link dictionary and text commands ----
    int AddLinkDefinition(const char* phrase, const char* linkText, const char* url, const char* anchorMarkup,
                          int occurrence, int column);
    int AddLinkDefinition(const char* phrase, const char* linkText, const char* url);
    int MatchLinkWord(const TextString& word, TextString* out);
    int ApplyLinkDefinitions(const SourcePosition* position, const TextString* sourceLine, int occurrence,
                             int firstColumn, int lastColumn, const TextString* text, TextString* out);
    int ApplyTextCommands(TextLine* target, const TextLine* source, TextString* out);
    void WriteLinkDictionary(TextFile& sink) const;
    int GetLinkDefinitionCount() const;
    LinkDictionary* GetLinkDictionary() const { return linkDictionary.get(); }
    TextCommandList& GetTextCommands() const { return *textCommands; }

    // ---- Policy files ----
    int ReadPolicyFile(TextFile& reader);
    // With `lineReported`, learns whether the line itself was quoted in a
    // message (its missing colon), so that a reader does not quote it again.
    int ParsePolicyLine(TextString& line, int& category, bool checkRepeats, bool* lineReported = nullptr);
    void WritePolicyFile(TextFile& sink, bool all) const;

    // ---- The set's own lists ----
    int indentMode = 0;
    int indentCount = 1;
    std::array<int, 6> indentPositions{0, -1, -1, -1, -1, -1};
    int hangingCount = 0;
    std::array<int, 6> hangingPositions{-1, -1, -1, -1, -1, -1};
    int dashDefinition = 1;  // '-' is a definition character
    int dashStrong = 0;
    int colonDefinition = 1;  // ':' is a definition character
    int colonStrong = 0;
    int bulletDerived = 0;
    int bulletsExpected = 1;  // bullets are recognised at all
    int ownBulletSwitch = 1;  // the set's own bullet characters are in use
    int bulletCount = -1;  // number of own bullet characters; -1 none given
    std::array<unsigned char, 8> bulletChars{};
    std::array<HeadingLevelSpec, 6> headingLevels;
    std::array<HeadingLevelSpec, 6> contentsLevels;
    int recognisedHeadings = 0;  // heading levels with a numbering style
    // Whether a heading or contents numbering style has a prefix text
    // ("Part" of '"Part" N.'): while none has, no word of a line is such a
    // prefix and the line typing looks for none.  Worked out by
    // CountNumberingPrefixes wherever the styles change.
    bool numberingPrefixes = false;
    StringList usenetGroups;
    StringList sectionFilter;

    // ---- Per-run state ----
    int ruleSetCode = kRuleSetNone;
    TextString strongOpen, strongClose, emphasisOpen, emphasisClose;
    int ruleSetChosen = 0;
    PolicyListFlags listSet;
    Context* context = nullptr;  // not owned
    TextString fileLabel{"unknown"};
    PolicyFileNames names;
    TextString generatorText{"qqqqqqqq ?.?"};
    TextString messageText;  // callers compose a message here before ReportMessage
    StringList indentationLevels;
    TextString indentOpen, indentClose;
    PreprocessorState preprocessor;

private:
    std::vector<std::unique_ptr<PolicyValue>> policies;
    std::unique_ptr<TextCommandList> textCommands;
    std::unique_ptr<LinkDictionary> linkDictionary;
    std::unique_ptr<TabConfig> defaultTabConfig;
    std::vector<std::unique_ptr<TabConfig>> tabConfigQueue;

    void NamePolicies();
    // The set's own lists, in the order of PolicyListFlags.
    // clang-format off
    enum OwnList : int {
        kIndentList, kHangingList, kDefinitionCharList, kBulletCharList, kHeadingNumberingList, kUsenetList,
        kSectionList, kLinkList, kTextCommandList, kOwnListCount
    };
    // clang-format on
    void TakeList(int list, const FC& other);
    // Loads the context's message sink from the message policies.
    MessageSink& LoadReporter() const;
    void RecomputeBulletsExpected();
    void SetOutputExtension();
    void ApplyRuleSetValues(int force);
    // The steps of ApplyRuleSetAndFormatDefaults.
    void ApplyFormatDefaults(bool rtf);
    void ApplyKeepItSimple();
    void ApplyCharacterEncoding();
    void ApplyContentsDecisions(int splitLevel);
    void ChooseIndentationMarkup(int version);
    void ChooseFontMarkup(bool rtf, int version);
    static const TextString& NoText();
};

// The value readers are called for nearly every line, word and cell: they
// are inline and cast nothing, so that a read is a few loads.  A number read
// of a text value gives its number, which stays 0 (policy_value.h).
inline int FC::GetInt(Pol id) const { return Policy(id).iValue; }

inline const TextString& FC::GetText(Pol id) const {
    const PolicyValue& value = Policy(id);
    switch (value.kind) {
        case kPolicyText:
        case kPolicyColour:
        case kPolicyFont: return static_cast<const TextPolicyValue&>(value).tValue;
        default: return NoText();
    }
}
