#include "policies/policy_value.h"

#include <cstring>

#include "foundation/fonts.h"
#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "policies/alignments.h"
#include "policies/colour_values.h"
#include "policies/fc.h"

namespace {

bool EqualsNoCase(const TextString& text, const char* word) { return text.Matches(word, 0, 0); }

const char* AlignmentName(int code) {
    switch (code) {
        case kAlignmentLeft: return "left";
        case kAlignmentCentre: return "center";
        case kAlignmentRight: return "right";
        case kAlignmentJustified: return "justified";
        default: return "(none)";
    }
}

// Keys whose repeated lines are dropped without a message.
bool IsQuietlyRepeatedKey(const TextString& key) {
    return key.Matches("Use .HTM extension", 1, 0) || key.Matches("Make Directory", 1, 0) ||
           key.Matches("Directory filename", 1, 0);
}

// A value quoted in a message, cut when it is long.
void AppendQuoted(TextString& out, const char* text) {
    out.AppendChar('"');
    out.Append(MessageExcerpt(TextString(text)));
    out.AppendChar('"');
}

// The value kinds share these steps; each passes the field that holds its
// current value.
template <class Kind, class Field>
void CopyCurrentValue(Kind& self, const PolicyValue& other, Field field) {
    const auto* source = dynamic_cast<const Kind*>(&other);
    if (!source) return;
    self.*field = source->*field;
    self.isSet = source->isSet;
}

template <class Kind, class Field>
void MergeCurrentValue(Kind& self, bool withFlags, const PolicyValue& other, Field field) {
    const auto* source = dynamic_cast<const Kind*>(&other);
    if (!source || !source->isSet) return;
    self.*field = source->*field;
    if (withFlags) {
        self.isSet = source->isSet;
        self.fromRuleSet = source->fromRuleSet;
    }
}

// A rule set offers a value: it is stored unless the user set the policy
// (then the user's value, described by `describeKept`, is reported as kept).
template <class Store, class Describe>
void OfferRuleSetValue(PolicyValue& value, FC& set, bool force, Store store, Describe describeKept) {
    if (value.fromRuleSet && !force) return;
    if (!value.isSet || force) {
        store();
        value.isSet = 1;
    } else {
        TextString kept(" : ");
        describeKept(kept);
        value.ReportOverride(set, kept);
    }
    value.fromRuleSet = 1;
}

}  // namespace

// ---------------------------------------------------------------------------
// PolicyLine

void PolicyLine::Prepare(const char* line) {
    text.Assign(line);
    for (int i = 0; i < text.length; ++i)
        if (text.buffer[i] == '\t') text.buffer[i] = ' ';
    text.CollapseBlanks();
    text.Trim(0, " ");
    value.MakeEmpty();
    int colon = -1;
    if (text.FindChar(0, ':', &colon, 1)) {
        value.Assign(text.buffer + colon + 1);
        value.Trim(0, " ");
    }
    alternativeKey.MakeEmpty();
    isNone = EqualsNoCase(value, "(none)") || EqualsNoCase(value, "none");
    isYes = EqualsNoCase(value, "Yes") || EqualsNoCase(value, "true");
    isNo = EqualsNoCase(value, "no") || EqualsNoCase(value, "false");
    taken = 0;
    accepted = 1;
    category = 0;
}

void PolicyLine::Report(const char* message, int level) const {
    if (reporter) reporter->OutputMessage(message, level);
}

// ---------------------------------------------------------------------------
// Shared steps

bool PolicyValue::Claim(PolicyLine& line, const char* missingKeyMessage) const {
    if (line.taken) return false;
    if (key.length == 0) {
        line.Report(missingKeyMessage, kLevelAlways);
        return false;
    }
    bool mine = line.text.StartsWith(key.buffer, 0);
    if (!mine && line.alternativeKey.length > 0) mine = line.text.FindNoCase(line.alternativeKey.buffer) != nullptr;
    if (!mine) return false;
    line.taken = 1;
    line.category = category;
    return true;
}

bool PolicyValue::PassesRepeatRule(PolicyLine& line) const {
    if (!isSet) return true;
    if (fromRuleSet && line.checkRepeats) {
        TextString message("INFO: Ruleset overrided : ");
        message.Append(MessageExcerpt(line.text));
        line.Report(message.buffer, kLevelAlways);
        return true;
    }
    if (line.checkRepeats) {
        if (IsQuietlyRepeatedKey(key)) return false;
        TextString message("POLICY: Ignoring repeated policy \\");
        message.Append(key);
        message.AppendChar('\\');
        line.Report(message.buffer, kLevelAlways);
        line.accepted = 0;
        return false;
    }
    return true;
}

void PolicyValue::WriteKeyAndValue(TextFile& sink, const TextString& valueText) const {
    TextString line(key);
    if (line.length >= 42) {
        line.Append("  ");
    } else {
        while (line.length < 42) line.AppendChar(' ');
    }
    line.Append(": ");
    line.Append(valueText);
    sink.PutLine(line.buffer);
}

void PolicyValue::ReportOverride(FC& set, const TextString& keptValue) const {
    if (!set.context) return;
    TextString message("INFO: Ruleset overrided - ");
    message.Append(key);
    message.Append(keptValue);
    set.ReportMessage(message.buffer, kLevelAlways);
}

void PolicyValue::Init(int newId, int newKind, int newSection, int newCategory, const void* defaultValue,
                       const char* choices, const char* newKey) {
    id = newId;
    kind = newKind;
    sectionCode = newSection;
    Name(newKey, newCategory, defaultValue, choices);
}

std::unique_ptr<PolicyValue> MakePolicyValue(int kind) {
    switch (kind) {
        case kPolicyInt: return std::make_unique<IntPolicyValue>();
        case kPolicyBool: return std::make_unique<BoolPolicyValue>();
        case kPolicyText: return std::make_unique<TextPolicyValue>();
        case kPolicyAlignment: return std::make_unique<AlignmentPolicyValue>();
        case kPolicyColour: return std::make_unique<ColourPolicyValue>();
        case kPolicyFont: return std::make_unique<FontPolicyValue>();
        case kPolicyChoice: return std::make_unique<ChoicePolicyValue>();
        default: return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Number values (Int, Bool, Alignment; Choice shares copy and merge)

void NumberPolicyValue::Name(const char* newKey, int newCategory, const void* defaultValue, const char*) {
    key.Assign(newKey);
    category = newCategory;
    iDefault = iValue = defaultValue ? *static_cast<const int*>(defaultValue) : 0;
    isSet = 0;
    fromRuleSet = 0;
}

void NumberPolicyValue::CopyFrom(const PolicyValue& other) {
    CopyCurrentValue(*this, other, &NumberPolicyValue::iValue);
}

void NumberPolicyValue::MergeFrom(bool withFlags, const PolicyValue& other) {
    MergeCurrentValue(*this, withFlags, other, &NumberPolicyValue::iValue);
}

void NumberPolicyValue::Reset() {
    iValue = iDefault;
    isSet = 0;
    fromRuleSet = 0;
}

void NumberPolicyValue::SetRuleSetValue(FC& set, const void* value, bool force) {
    OfferRuleSetValue(
        *this, set, force, [&] { iValue = *static_cast<const int*>(value); },
        [&](TextString& kept) {
            if (kind == kPolicyInt) {
                kept.AppendNumber('1', iValue, 0);
            } else if (kind == kPolicyBool) {
                kept.Append(iValue ? "Yes" : "No");
            } else {
                TextString number(iValue);
                AppendQuoted(kept, number.buffer);
            }
        });
}

void NumberPolicyValue::WriteLine(TextFile& sink, bool all) const {
    if (!all && !isSet) return;
    TextString valueText;
    FormatValue(valueText);
    WriteKeyAndValue(sink, valueText);
}

int NumberPolicyValue::GetValueText(PolicyLine& query, TextString& out) const {
    if (!Claim(query, "PROGRAM ERROR: Missing text policy text")) return 0;
    FormatValue(out);
    if (kind == kPolicyInt) out.Trim(1, " ");  // no trailing blank in answers
    return 1;
}

void IntPolicyValue::ParseLine(PolicyLine& line) {
    if (!Claim(line, "PROGRAM ERROR: Missing Int policy text")) return;
    if (!PassesRepeatRule(line)) return;
    if (line.isNone) {
        iValue = -1;
        isSet = 1;
        return;
    }
    int number = 0;
    if (!line.value.ToInteger('1', &number)) {
        line.accepted = 0;
        isSet = 0;
        return;
    }
    if (minimum < maximum && (number < minimum || number > maximum)) {
        TextString written;
        written.AppendNumber('1', number, 0);
        line.Report(OutsideRangeMessage(written, minimum, maximum).buffer, kLevelAlways);
        line.accepted = 0;
        isSet = 0;
        return;
    }
    if (number < lowest || number > highest) {
        line.accepted = 0;
        return;
    }
    iValue = number;
    isSet = 1;
}

void IntPolicyValue::FormatValue(TextString& out) const {
    out.MakeEmpty();
    out.AppendNumber('1', iValue, 1);
}

void BoolPolicyValue::ParseLine(PolicyLine& line) {
    if (!Claim(line, "PROGRAM ERROR: Missing Bool policy text")) return;
    if (!PassesRepeatRule(line)) return;
    if (line.isYes || line.isNo) {
        iValue = line.isYes ? 1 : 0;
        isSet = 1;
        return;
    }
    TextString message("ERROR: Don't understand policy value : ");
    message.Append(MessageExcerpt(line.value));
    line.Report(message.buffer, kLevelAlways);
    line.accepted = 0;
}

void BoolPolicyValue::FormatValue(TextString& out) const { out.Assign(iValue ? "Yes" : "No"); }

void AlignmentPolicyValue::ParseLine(PolicyLine& line) {
    if (!Claim(line, "PROGRAM ERROR: Missing text policy text")) return;
    if (!PassesRepeatRule(line)) return;
    if (line.isNone) {
        iValue = 0;
        return;
    }
    iValue = ParseAlignmentLetter(line.value.buffer);
    line.accepted = iValue != 0;
    isSet = iValue != 0;
}

void AlignmentPolicyValue::FormatValue(TextString& out) const { out.Assign(AlignmentName(iValue)); }

// ---------------------------------------------------------------------------
// Text values (Text, Colour, Font)

void TextPolicyValue::Name(const char* newKey, int newCategory, const void* defaultValue, const char*) {
    key.Assign(newKey);
    category = newCategory;
    tDefault.Assign(static_cast<const char*>(defaultValue));
    tValue.Assign(static_cast<const char*>(defaultValue));
    isSet = 0;
    fromRuleSet = 0;
}

void TextPolicyValue::CopyFrom(const PolicyValue& other) {
    CopyCurrentValue(*this, other, &TextPolicyValue::tValue);
}

void TextPolicyValue::MergeFrom(bool withFlags, const PolicyValue& other) {
    MergeCurrentValue(*this, withFlags, other, &TextPolicyValue::tValue);
}

void TextPolicyValue::Reset() {
    tValue = tDefault;
    isSet = 0;
    fromRuleSet = 0;
}

void TextPolicyValue::SetRuleSetValue(FC& set, const void* value, bool force) {
    OfferRuleSetValue(
        *this, set, force, [&] { tValue.Assign(static_cast<const char*>(value)); },
        [&](TextString& kept) { AppendQuoted(kept, tValue.buffer); });
}

void TextPolicyValue::WriteLine(TextFile& sink, bool all) const {
    if (!all && !isSet) return;
    TextString valueText;
    FormatValue(valueText);
    WriteKeyAndValue(sink, valueText);
}

int TextPolicyValue::GetValueText(PolicyLine& query, TextString& out) const {
    if (!Claim(query, "PROGRAM ERROR: Missing text policy text")) return 0;
    FormatValue(out);
    return 1;
}

void TextPolicyValue::ParseLine(PolicyLine& line) {
    if (!Claim(line, "PROGRAM ERROR: Missing text policy text")) return;
    if (!PassesRepeatRule(line)) return;
    if (line.isNone)
        tValue.MakeEmpty();
    else
        tValue = line.value;
    isSet = 1;
}

void TextPolicyValue::FormatValue(TextString& out) const {
    if (tValue.length == 0)
        out.Assign("(none)");
    else
        out = tValue;
}

namespace {

TextString NotStandardColourMessage(const TextString& colour) {
    TextString message("WARNING: ");
    AppendQuoted(message, colour.buffer);
    message.Append(" is not a standard HTML colour");
    return message;
}

TextString InvalidFontMessage(const char* font) {
    TextString message("WARNING: ");
    AppendQuoted(message, font);
    message.Append(" is not a valid font specification");
    return message;
}

}  // namespace

void ColourPolicyValue::Name(const char* newKey, int newCategory, const void* defaultValue, const char* choices) {
    TextPolicyValue::Name(newKey, newCategory, defaultValue, choices);
    // Defaults are kept in the normalised form that parsing gives, so that a
    // written default reads back as the same text.
    TextString normalised;
    if (tDefault.length > 0 && NormaliseHTMLColour(tDefault, &normalised)) tDefault = tValue = normalised;
}

void ColourPolicyValue::SetRuleSetValue(FC& set, const void* value, bool force) {
    OfferRuleSetValue(
        *this, set, force,
        [&] {
            tValue.Assign(static_cast<const char*>(value));
            TextString normalised;
            if (tValue.length == 0) return;
            if (NormaliseHTMLColour(tValue, &normalised))
                tValue = normalised;
            else
                set.ReportMessage(NotStandardColourMessage(tValue).buffer, kLevelWarning);
        },
        [&](TextString& kept) { AppendQuoted(kept, tValue.buffer); });
}

void ColourPolicyValue::ParseLine(PolicyLine& line) {
    if (!Claim(line, "PROGRAM ERROR: Missing text policy text")) return;
    if (!PassesRepeatRule(line)) return;
    if (line.isNone) {
        tValue.MakeEmpty();
        isSet = 1;
        return;
    }
    tValue = line.value;
    if (tValue.length > 0) {
        TextString normalised;
        if (NormaliseHTMLColour(tValue, &normalised)) {
            tValue = normalised;
        } else {
            line.Report(NotStandardColourMessage(tValue).buffer, kLevelWarning);
            line.accepted = 0;
        }
    }
    isSet = line.accepted;
}

void FontPolicyValue::Name(const char* newKey, int newCategory, const void* defaultValue, const char*) {
    key.Assign(newKey);
    category = newCategory;
    const char* text = static_cast<const char*>(defaultValue);
    if (IsValidFontSpec(text))
        tValue.Assign(text);
    else
        tValue.MakeEmpty();
    tDefault = tValue;
    isSet = 0;
    fromRuleSet = 0;
}

void FontPolicyValue::SetRuleSetValue(FC& set, const void* value, bool force) {
    const char* text = static_cast<const char*>(value);
    OfferRuleSetValue(
        *this, set, force,
        [&] {
            if (IsValidFontSpec(text))
                tValue.Assign(text);
            else
                set.ReportMessage(InvalidFontMessage(text).buffer, kLevelAlways);
        },
        [&](TextString& kept) { AppendQuoted(kept, tValue.buffer); });
}

void FontPolicyValue::ParseLine(PolicyLine& line) {
    if (!Claim(line, "PROGRAM ERROR: Missing text policy text")) return;
    if (!PassesRepeatRule(line)) return;
    if (line.isNone) {
        tValue.MakeEmpty();
        isSet = 1;
        return;
    }
    if (IsValidFontSpec(line.value.buffer)) {
        // A size beyond what HTML and RTF can express is refused as an
        // unreadable value is, and the font in force stays.
        TextString face;
        int bold = 0, italic = 0, size = kFontPolicySmallest;
        if (ParseFontSpec(face, bold, italic, size, line.value.buffer) &&
            (size < kFontPolicySmallest || size > kFontPolicyLargest)) {
            line.accepted = 0;
            return;
        }
        tValue = line.value;
        isSet = 1;
        return;
    }
    line.Report(InvalidFontMessage(line.value.buffer).buffer, kLevelAlways);
    line.accepted = 0;
    isSet = 0;
}

void FontPolicyValue::GetFontSpec(FontSpec& font) const {
    TextString face;
    int bold = 0, italic = 0, size = 12;
    if (!ParseFontSpec(face, bold, italic, size, tValue.buffer)) return;
    font.SetFaceName(face);
    font.SetBold(bold);
    font.SetItalic(italic);
    font.SetSize(size);
}

// ---------------------------------------------------------------------------
// Choice values

void ChoicePolicyValue::Name(const char* newKey, int newCategory, const void* defaultValue, const char* choices) {
    NumberPolicyValue::Name(newKey, newCategory, defaultValue, choices);
    tDefaultChoices.Assign(choices);
    tChoices.Assign(choices);
}

void ChoicePolicyValue::Reset() {
    NumberPolicyValue::Reset();
    tChoices = tDefaultChoices;
}

void ChoicePolicyValue::ParseLine(PolicyLine& line) {
    if (!Claim(line, "PROGRAM ERROR: Missing text policy text")) return;
    if (!PassesRepeatRule(line)) return;
    // A choice item that reads like the none word ("None" of the language
    // list) is that item, so that a written choice reads back unchanged.
    int index = -1;
    if (FindChoice(line.value, index)) {
        iValue = index;
        isSet = 1;
        return;
    }
    if (line.isNone) {
        iValue = -1;
        isSet = 1;
        return;
    }
    line.accepted = 0;
    isSet = 0;
}

void ChoicePolicyValue::FormatValue(TextString& out) const { GetChoiceText(out); }

int ChoicePolicyValue::GetValueText(PolicyLine& query, TextString& out) const {
    if (!Claim(query, "PROGRAM ERROR: Missing text policy text")) return 0;
    return GetChoiceText(out);
}

int ChoicePolicyValue::GetChoiceText(TextString& out) const {
    out.Assign("(none)");
    if (iValue == -1) return 1;
    if (iValue > 0) {
        TextString item;
        if (tChoices.GetField(iValue, ',', &item)) {
            out = item;
            return 1;
        }
    }
    return 0;
}

int ChoicePolicyValue::FindChoice(const TextString& text, int& index) const {
    TextString wanted(text);
    wanted.Trim(0, " ");
    wanted.CollapseBlanks();
    TextString item;
    for (int n = 1; tChoices.GetField(n, ',', &item); ++n) {
        item.CollapseBlanks();
        if (item.length == wanted.length && item.Matches(wanted.buffer, 0, 0)) {
            index = n;
            return 1;
        }
    }
    index = -1;
    return 0;
}

// ---------------------------------------------------------------------------
// Free helpers

int ParseFontSpec(TextString& face, int& bold, int& italic, int& size, const char* text) {
    if (!text) return 0;
    TextString work(" ");
    work.Append(text);
    TextString fields;
    if (!SplitAtSeparators(&work, ",", 0, &fields) || fields.length == 0) return 0;
    char marker = fields.buffer[0];
    TextString faceText, styleText, sizeText;
    bool hasFace = fields.GetField(2, marker, &faceText);
    bool hasStyle = fields.GetField(3, marker, &styleText);
    bool hasSize = fields.GetField(4, marker, &sizeText);
    faceText.Trim(0, " ");
    if (!hasFace || faceText.length == 0 || !IsUsableFontFace(faceText)) return 0;
    int newBold = 0, newItalic = 0, newSize = 12;
    if (hasStyle) {
        styleText.Trim(0, " ");
        if (styleText.length == 0 || EqualsNoCase(styleText, "normal") || EqualsNoCase(styleText, "regular")) {
        } else if (EqualsNoCase(styleText, "bold")) {
            newBold = 1;
        } else if (EqualsNoCase(styleText, "italic")) {
            newItalic = 1;
        } else if (EqualsNoCase(styleText, "bold italic") || EqualsNoCase(styleText, "italic bold")) {
            newBold = newItalic = 1;
        } else {
            return 0;
        }
    }
    if (hasSize) {
        sizeText.Trim(0, " ");
        if (!sizeText.ToInteger('1', &newSize)) return 0;
    }
    face = faceText;
    bold = newBold;
    italic = newItalic;
    size = newSize;
    return 1;
}

int IsValidFontSpec(const char* text) {
    if (!text) return 0;
    TextString face;
    int bold = 0, italic = 0, size = 12;
    return ParseFontSpec(face, bold, italic, size, text);
}

TextString OutsideRangeMessage(const TextString& number, int minimum, int maximum) {
    TextString message("POLICY: Ignored - Value ");
    message.Append(MessageExcerpt(number));
    message.Append(" is outside allowed range (");
    message.AppendNumber('1', minimum, 0);
    message.AppendChar(':');
    message.AppendNumber('1', maximum, 0);
    message.AppendChar(')');
    return message;
}

void WriteOptionalIntLine(TextFile& sink, bool all, const IntPolicyValue& value) {
    if (!all && !value.isSet) return;
    if (value.iValue > 0) {
        value.WriteLine(sink, true);
        return;
    }
    // Same layout as the value's own line, with "(none)" as the value.
    TextString line(value.key);
    if (line.length >= 42)
        line.Append("  ");
    else
        while (line.length < 42) line.AppendChar(' ');
    line.Append(": (none)");
    sink.PutLine(line.buffer);
}

int IsPolicySectionHeader(const TextString& line) {
    // clang-format off
    static const char* const kHeadings[] = {
        "[General Analysis]", "[Analysis]",   "[Bullets]",          "[Contents]",           "[Debug]",
        "[Directory Page]",   "[Headings]",   "[Added HTML]",       "[Added RTF]",          "[Composition Units]",
        "[Hyperlinks]",       "[File generation]", "[Frames]",      "[Tarnell]",            "[Messages]",
        "[Page Formatting]",  "[Pre-formatted text]", "[Preprocessor]", "[Rule Set]",       "[Style]",
        "[Tagging]",          "[Link Dictionary]", "[Switch to file]", "[Table generation]",
        // Written by the policy-file writer, so every file it writes reads back.
        "[Text Substitution]",
    };
    // clang-format on
    for (const char* heading : kHeadings)
        if (line.length == static_cast<int>(std::strlen(heading)) && line.Matches(heading, 0, 0)) return 1;
    return line.FindNoCase("-----") != nullptr ? 1 : 0;
}

// ---------------------------------------------------------------------------
// PolicyGroup

int PolicyGroup::Add(int newId, int newKind, int newSection, int newCategory, const void* defaultValue,
                     const char* choices, const char* newKey) {
    if (Find(newId)) return 0;
    std::unique_ptr<PolicyValue> value = MakePolicyValue(newKind);
    if (!value) return 0;
    value->Init(newId, newKind, newSection, newCategory, defaultValue, choices, newKey);
    auto at = values.begin();
    while (at != values.end() && (*at)->id <= newId) ++at;
    values.insert(at, std::move(value));
    count = static_cast<int>(values.size());
    return 1;
}

PolicyValue* PolicyGroup::Find(int wanted) const {
    for (const auto& value : values)
        if (value->id == wanted) return value.get();
    return nullptr;
}

void PolicyGroup::Write(TextFile& sink, bool all) const {
    if (!all) {
        bool anySet = false;
        for (const auto& value : values) anySet = anySet || value->isSet;
        if (!anySet) return;
    }
    sink.PutLine("");
    sink.PutLine("");
    sink.PutLine(sectionName.buffer);
    sink.PutLine("");
    for (const auto& value : values) value->WriteLine(sink, all);
}

void PolicyGroup::SetSection(int code, const char* name) {
    sectionCode = code;
    sectionName.Assign(name);
}

void PolicyGroup::ResetAll() {
    for (auto& value : values) value->Reset();
}

void PolicyGroup::ParseLine(PolicyLine& line) {
    if (line.taken) return;
    if (line.text.length == sectionName.length && line.text.Matches(sectionName.buffer, 0, 0)) {
        line.taken = 1;
        line.category = 2;
        return;
    }
    for (auto& value : values) {
        value->ParseLine(line);
        if (line.taken) return;
    }
}

int PolicyGroup::GetInt(int wanted) {
    PolicyValue* value = Find(wanted);
    if (!value || value->kind != kPolicyInt) return defaultInt;
    auto* number = static_cast<IntPolicyValue*>(value);
    number->readCount++;
    return number->iValue;
}

int PolicyGroup::SetBool(int wanted, int b) {
    PolicyValue* value = Find(wanted);
    if (!value || value->kind != kPolicyBool) return 0;
    static_cast<BoolPolicyValue*>(value)->iValue = b;
    return 1;
}

int ParseAlignmentLetter(const char* word) {
    if (!word) return kAlignmentNone;
    switch (ToUpperAscii(word[0])) {
        case 'L': return kAlignmentLeft;
        case 'C': return kAlignmentCentre;
        case 'R': return kAlignmentRight;
        case 'J': return kAlignmentJustified;
        default: return kAlignmentNone;
    }
}
