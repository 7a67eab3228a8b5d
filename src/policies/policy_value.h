// Typed policy values: every named setting of a conversion is one of seven
// kinds (integer, yes/no, text, alignment, colour, font, choice) with a key, a
// default, a current value and two flags (given explicitly; offered by a rule
// set).  A value claims the policy lines whose text begins with its key.
#pragma once

#include <climits>

#include <memory>
#include <vector>

#include "foundation/text_string.h"

class FC;
class MessageReporter;
class TextFile;
class FontSpec;

enum PolicyKind : int {
    kPolicyInt = 1,
    kPolicyBool = 2,
    kPolicyText = 3,
    kPolicyAlignment = 4,
    kPolicyColour = 5,
    kPolicyFont = 6,
    kPolicyChoice = 7,
};

// One policy line as the parser prepares it and the values claim it.
struct PolicyLine {
    MessageReporter* reporter = nullptr;  // where values report; null = no messages
    TextString text;  // the whole line, blanks collapsed, trimmed
    TextString value;  // what follows the first ':' (trimmed)
    TextString alternativeKey;  // a second key matched anywhere in the line
    int checkRepeats = 0;
    int isNone = 0;
    int isYes = 0;
    int isNo = 0;
    int taken = 0;
    int accepted = 1;
    int category = 0;

    // Fills text, value and the value-word flags from a raw line (blanks
    // collapsed, trimmed); resets the claim state.
    void Prepare(const char* line);
    void Report(const char* message, int level) const;
};

class PolicyValue {
public:
    int id = 0;
    int kind = 0;
    // The value of a number (Int, Bool, Alignment, Choice).  It stands here
    // rather than in NumberPolicyValue so that a number read of any value is
    // one load without a look at the kind (policies are read for every line
    // and cell): a text value never writes it, and it stays 0 there.
    int iValue = 0;
    int sectionCode = 0;
    int category = 0;
    int isSet = 0;
    int fromRuleSet = 0;
    TextString key;
    int readCount = 0;

    virtual ~PolicyValue() = default;

    // Stores id, kind and section, then names the value (Name).
    virtual void Init(int id, int kind, int sectionCode, int category, const void* defaultValue, const char* choices,
                      const char* key);
    virtual void SetRuleSetValue(FC& set, const void* value, bool force) = 0;
    virtual void CopyFrom(const PolicyValue& other) = 0;
    virtual void WriteLine(TextFile& sink, bool all) const = 0;
    virtual int GetValueText(PolicyLine& query, TextString& out) const = 0;
    virtual void MergeFrom(bool withFlags, const PolicyValue& other) = 0;
    virtual void ParseLine(PolicyLine& line) = 0;
    virtual void Reset() = 0;

    // The naming step: key, category and default; flags cleared.  Used for
    // values embedded in the policy set and the table configuration.
    virtual void Name(const char* key, int category, const void* defaultValue, const char* choices) = 0;

    // The value as a policy-file value text ("Yes", "12 ", "(none)" ...).
    virtual void FormatValue(TextString& out) const = 0;

    // Reports that the user's value (" : " + the value) was kept against a
    // rule set; only while the set belongs to a run.
    void ReportOverride(FC& set, const TextString& keptValue) const;

protected:
    // Claims the line when its text begins with the key (or holds the
    // alternative key).  Returns false when the line is not ours.
    bool Claim(PolicyLine& line, const char* missingKeyMessage) const;
    // The repeated-line rule; returns false when the line is refused.
    bool PassesRepeatRule(PolicyLine& line) const;
    void WriteKeyAndValue(TextFile& sink, const TextString& valueText) const;
};

// Int, Bool and Alignment values: a number.
class NumberPolicyValue : public PolicyValue {
public:
    int iDefault = 0;

    void Name(const char* key, int category, const void* defaultValue, const char* choices) override;
    void CopyFrom(const PolicyValue& other) override;
    void MergeFrom(bool withFlags, const PolicyValue& other) override;
    void Reset() override;
    void SetRuleSetValue(FC& set, const void* value, bool force) override;
    void WriteLine(TextFile& sink, bool all) const override;
    int GetValueText(PolicyLine& query, TextString& out) const override;
};

// The sizes in points a font policy may give: what both an HTML style and an
// RTF half-point size (at most 3276) can express.
constexpr int kFontPolicySmallest = 1;
constexpr int kFontPolicyLargest = 1638;

class IntPolicyValue : public NumberPolicyValue {
public:
    int minimum = -1;  // range of accepted values; minimum >= maximum means no range
    int maximum = -1;
    // The catalogue's range (POLICY_RANGE): a value outside it is refused as
    // an unreadable one is, and the value in force stays.
    int lowest = INT_MIN;
    int highest = INT_MAX;

    IntPolicyValue() { kind = kPolicyInt; }
    void ParseLine(PolicyLine& line) override;
    void FormatValue(TextString& out) const override;
};

class BoolPolicyValue : public NumberPolicyValue {
public:
    BoolPolicyValue() { kind = kPolicyBool; }
    void ParseLine(PolicyLine& line) override;
    void FormatValue(TextString& out) const override;
};

class AlignmentPolicyValue : public NumberPolicyValue {
public:
    AlignmentPolicyValue() { kind = kPolicyAlignment; }
    void ParseLine(PolicyLine& line) override;
    void FormatValue(TextString& out) const override;
};

// Text, Colour and Font values: a text.
class TextPolicyValue : public PolicyValue {
public:
    TextString tDefault;
    TextString tValue;

    TextPolicyValue() { kind = kPolicyText; }
    void Name(const char* key, int category, const void* defaultValue, const char* choices) override;
    void CopyFrom(const PolicyValue& other) override;
    void MergeFrom(bool withFlags, const PolicyValue& other) override;
    void Reset() override;
    void SetRuleSetValue(FC& set, const void* value, bool force) override;
    void WriteLine(TextFile& sink, bool all) const override;
    int GetValueText(PolicyLine& query, TextString& out) const override;
    void ParseLine(PolicyLine& line) override;
    void FormatValue(TextString& out) const override;
};

class ColourPolicyValue : public TextPolicyValue {
public:
    ColourPolicyValue() { kind = kPolicyColour; }
    void Name(const char* key, int category, const void* defaultValue, const char* choices) override;
    void SetRuleSetValue(FC& set, const void* value, bool force) override;
    void ParseLine(PolicyLine& line) override;
};

class FontPolicyValue : public TextPolicyValue {
public:
    FontPolicyValue() { kind = kPolicyFont; }
    void Name(const char* key, int category, const void* defaultValue, const char* choices) override;
    void SetRuleSetValue(FC& set, const void* value, bool force) override;
    void ParseLine(PolicyLine& line) override;
    // Sets face, bold, italic and size of `font` from the current text when it parses.
    void GetFontSpec(FontSpec& font) const;
};

class ChoicePolicyValue : public NumberPolicyValue {
public:
    TextString tDefaultChoices;
    TextString tChoices;

    ChoicePolicyValue() { kind = kPolicyChoice; }
    void Name(const char* key, int category, const void* defaultValue, const char* choices) override;
    void Reset() override;
    void ParseLine(PolicyLine& line) override;
    void FormatValue(TextString& out) const override;
    int GetValueText(PolicyLine& query, TextString& out) const override;

    int GetChoiceText(TextString& out) const;
    int FindChoice(const TextString& text, int& index) const;
};

// A new value of a kind (1..7); null for an unknown kind.
std::unique_ptr<PolicyValue> MakePolicyValue(int kind);

// Reads a font specification: face, then optionally style and size, separated
// by commas.  A face holding a character that would end the markup it is
// written into is refused (IsUsableFontFace), as an unreadable style or size
// is.
int ParseFontSpec(TextString& face, int& bold, int& italic, int& size, const char* text);
int IsValidFontSpec(const char* text);
// "POLICY: Ignored - Value " + number + " is outside allowed range (" +
// minimum + ":" + maximum + ")": a number refused for its range, given as
// written or as read.
TextString OutsideRangeMessage(const TextString& number, int minimum, int maximum);
void WriteOptionalIntLine(TextFile& sink, bool all, const IntPolicyValue& value);
int IsPolicySectionHeader(const TextString& line);
int ParseAlignmentLetter(const char* word);

// A named section of policy values kept outside the policy set.
class PolicyGroup {
public:
    int defaultInt = -1;
    int reserved = 0;
    TextString defaultText{"**void**"};
    int sectionCode = 0;
    TextString sectionName{"[Unknown]"};
    int count = 0;

    int Add(int id, int kind, int sectionCode, int category, const void* defaultValue, const char* choices,
            const char* key);
    PolicyValue* Find(int id) const;
    void Write(TextFile& sink, bool all) const;
    void SetSection(int code, const char* name);
    void ResetAll();
    void ParseLine(PolicyLine& line);
    int GetInt(int id);
    int SetBool(int id, int b);
    PolicyValue* ValueAt(int index) const {
        return (index >= 0 && index < count) ? values[static_cast<size_t>(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<PolicyValue>> values;
};
