#include "policies/fc.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "context/context.h"
#include "foundation/message_reporter.h"
#include "foundation/product_identity.h"
#include "foundation/run_status.h"
#include "foundation/utilities.h"
#include "policies/catalogue_tokens.h"
#include "policies/colour_values.h"
#include "policies/link_dictionary.h"
#include "policies/output_formats.h"
#include "policies/tab_config.h"
#include "policies/text_commands.h"

namespace {

using namespace catalogue_tokens;

const PolicyDefinition kCatalogue[] = {
#define POLICY(id, key, kind, category, number, text, section, flags) \
    {Pol::id, key, kind, category, number, text, PolicySection::section, (flags) == OPT, (flags) == SET},
#include "policies/policy_catalogue.def"
#undef POLICY
};
static_assert(sizeof kCatalogue / sizeof kCatalogue[0] == kPolicyCount);

struct PolicyRange {
    Pol id;
    int minimum;
    int maximum;
};
const PolicyRange kPolicyRanges[] = {
#define POLICY(id, key, kind, category, number, text, section, flags)
#define POLICY_RANGE(id, minimum, maximum) {Pol::id, minimum, maximum},
#include "policies/policy_catalogue.def"
#undef POLICY_RANGE
#undef POLICY
};

// The five font policies and their defaults by output format.
struct FontDefault {
    Pol id;
    const char* html;
    const char* rtf;
};
const FontDefault kFontDefaults[] = {
    {Pol::DefaultFont, "Times New Roman, Regular, 12", "Times New Roman, Regular, 10"},
    {Pol::HeadingFont, "Arial, Regular, 12", "Arial, Regular, 10"},
    {Pol::ContentsFont, "Arial, Regular, 12", "Arial, Regular, 10"},
    {Pol::TableFont, "Times New Roman, Regular, 12", "Times New Roman, Regular, 10"},
    {Pol::FixedFont, "Courier New, Regular, 10", "Courier New, Regular, 8"},
};

bool EqualsNoCase(const TextString& text, const char* word) { return text.Matches(word, 0, 0); }

// Splits a file name into its folder (without the separator) and the
// separator found; the search stops before the first character.
void SplitFolder(const char* name, TextString* folder, char* separator, int* nameStart) {
    int length = static_cast<int>(std::strlen(name));
    folder->MakeEmpty();
    *separator = 0;
    *nameStart = 0;
    for (int i = length - 1; i >= 1; --i) {
        char c = name[i];
        if (c == '/' || c == '\\' || c == ']') {
            folder->AssignChars(name, i);
            *separator = c;
            *nameStart = i + 1;
            return;
        }
    }
}

bool EndsWithSeparator(const TextString& text) {
    if (text.length == 0) return false;
    char c = text.buffer[text.length - 1];
    return c == '/' || c == '\\' || c == ']';
}

}  // namespace

const PolicyDefinition& GetPolicyDefinition(Pol id) { return kCatalogue[static_cast<int>(id)]; }

const char* GetProofingLanguageChoices() {
    static const TextString choices(
        "None,Afrikaans,Albanian,Basque,Belarusian,Bulgarian,Catalan,Croatian,Czech,Danish,Dutch (Belgian),"
        "Dutch (Standard),English (Australia),English (Canada),English (Carribean),English (Ireland),"
        "English (Jamaica),English (New Zealand),English (South Africa),English (United Kingdom),"
        "English (United States),Estonian,Finnish,French (Belgian),French (Canadia),French (Luxembourg),"
        "French (Standard),French (Swiss),German (Austria),German (Liechtenstein),German (Luxembourg),"
        "German (Standard),German (Swiss),Greek,Hungarian,Icelandic,Indonesian,Italian (Standard),"
        "Italian (Swiss),Japanese,Korean,Latvian,Lithuanian,Macedonian (FYROM),Malay (Malaysia),"
        "Norwegian (Bokmal),Norwegian (Nynorsk),Polish,Portuguese (Brazilian),Portuguese (Standard),Romanian,"
        "Russian,Serbian (Cyrillic),Slovak,Slovenian,Spanish (Argentina),Spanish (Bolivia),Spanish (Chile),"
        "Spanish (Colombia),Spanish (Costa Rica),Spanish (Dominican Republic),Spanish (Ecuador),"
        "Spanish (El Salvador),Spanish (Guatemala),Spanish (Honduras),Spanish (International Sort),"
        "Spanish (Mexico),Spanish (Nicaragua),Spanish (Panama),Spanish (Paraguay),Spanish (Peru),"
        "Spanish (Peurto Rico),Spanish (Traditional Sort),Spanish (Uruguay),Spanish (Venezuela),Swedish,"
        "Turkish,Ukrainian");
    return choices.buffer;
}

// ---------------------------------------------------------------------------
// Construction and access

FC::FC()
    : textCommands(std::make_unique<TextCommandList>()),
      linkDictionary(std::make_unique<LinkDictionary>()),
      defaultTabConfig(std::make_unique<TabConfig>()) {
    policies.reserve(kPolicyCount);
    for (const PolicyDefinition& definition : kCatalogue) policies.push_back(MakePolicyValue(definition.kind));
    ResetPolicies(nullptr);
}

FC::~FC() { ClearOwnedLists(); }

IntPolicyValue& FC::IntPolicy(Pol id) { return dynamic_cast<IntPolicyValue&>(Policy(id)); }
BoolPolicyValue& FC::BoolPolicy(Pol id) { return dynamic_cast<BoolPolicyValue&>(Policy(id)); }
TextPolicyValue& FC::TextPolicy(Pol id) { return dynamic_cast<TextPolicyValue&>(Policy(id)); }
ChoicePolicyValue& FC::ChoicePolicy(Pol id) { return dynamic_cast<ChoicePolicyValue&>(Policy(id)); }
NumberPolicyValue& FC::NumberPolicy(Pol id) { return dynamic_cast<NumberPolicyValue&>(Policy(id)); }

// What a text read gives for a policy that holds no text.
const TextString& FC::NoText() {
    static const TextString empty;
    return empty;
}

void FC::SetInt(Pol id, int value, bool markSet) {
    auto* number = dynamic_cast<NumberPolicyValue*>(&Policy(id));
    if (!number) return;
    number->iValue = value;
    if (markSet) number->isSet = 1;
}

void FC::SetText(Pol id, const char* text, bool markSet) {
    auto* value = dynamic_cast<TextPolicyValue*>(&Policy(id));
    if (!value) return;
    value->tValue.Assign(text);
    if (markSet) value->isSet = 1;
}

PolicyValue* FC::FindPolicy(const char* key) {
    for (auto& value : policies)
        if (value->key.length == static_cast<int>(std::strlen(key)) && value->key.Matches(key, 0, 0))
            return value.get();
    return nullptr;
}

// ---------------------------------------------------------------------------
// Reset, copy and merge

void FC::NamePolicies() {
    bool rtf = context && context->outputFormat == kOutputRTF;
    TextString title;
    for (const PolicyDefinition& definition : kCatalogue) {
        PolicyValue& value = Policy(definition.id);
        const char* key = definition.key;
        if (definition.kind == Text || definition.kind == Colour || definition.kind == Font) {
            const char* text = definition.defaultText;
            if (definition.id == Pol::DocumentTitle) {
                // "Converted from "[[FILENAME]]" on [[TIMESTAMP]]" with the current delimiters.
                const TextString& start = GetText(Pol::StartTagDelimiter);
                const TextString& end = GetText(Pol::EndTagDelimiter);
                title.Assign("Converted from \"");
                title.Append(start);
                title.Append("FILENAME");
                title.Append(end);
                title.Append("\" on ");
                title.Append(start);
                title.Append("TIMESTAMP");
                title.Append(end);
                text = title.buffer;
            }
            for (const FontDefault& font : kFontDefaults)
                if (font.id == definition.id) text = rtf ? font.rtf : font.html;
            if (definition.id == Pol::ContentsFont) key = rtf ? "Table of Contents font" : "Table of contents font";
            value.Name(key, definition.category, text, nullptr);
        } else {
            int number = definition.defaultNumber;
            if (definition.id == Pol::BaseFontSize && rtf) number = 10;
            const char* choices = definition.defaultText;
            if (definition.id == Pol::LanguageForProofing) choices = GetProofingLanguageChoices();
            value.Name(key, definition.category, &number, choices);
        }
    }
    for (const PolicyRange& range : kPolicyRanges) {
        IntPolicyValue& value = IntPolicy(range.id);
        value.lowest = range.minimum;
        value.highest = range.maximum;
    }
    IntPolicy(Pol::ListMarkupCode).minimum = 0;
    IntPolicy(Pol::ListMarkupCode).maximum = 2;
}

void FC::ResetPolicies(const char* keep) {
    if (!keep) ClearOwnedLists();
    ruleSetChosen = 0;
    listSet = PolicyListFlags{};
    ruleSetCode = kRuleSetNone;
    indentClose.Assign("DIV");
    indentOpen.Assign("DIV STYLE=\"margin-left:24pt; margin-right:0pt;\"");
    if (!keep) defaultTabConfig->RegisterTabConfigPolicies(false);
    linkDictionary->Clear();
    textCommands->Clear();

    NamePolicies();
    indentMode = 0;
    indentCount = 1;
    indentPositions = {0, -1, -1, -1, -1, -1};
    hangingCount = 0;
    hangingPositions = {-1, -1, -1, -1, -1, -1};
    indentationLevels.Clear();
    dashDefinition = 1;
    dashStrong = 0;
    colonDefinition = 1;
    colonStrong = 0;
    bulletDerived = 0;
    bulletsExpected = 1;
    ownBulletSwitch = 1;
    bulletCount = -1;
    bulletChars.fill(0xFF);
    for (HeadingLevelSpec& spec : headingLevels) spec.Reset();
    for (HeadingLevelSpec& spec : contentsLevels) spec.Reset();
    numberingPrefixes = false;
    recognisedHeadings = 0;
    usenetGroups.Clear();
    sectionFilter.Clear();

    fileLabel.Assign("unknown");
    ResetRunState(keep);
    if (keep || !context) {
        generatorText.Assign("qqqqqqqq ?.?");
    } else {
        TextString name, version, full;
        GetProductInfo(name, version, full);
        generatorText = name + " " + version;
    }
    if (context) LoadReporter();
    tabConfigQueue.clear();
    ApplyRuleSetAndFormatDefaults(0);
}

void FC::SetOutputExtension() {
    if (context && context->outputFormat == kOutputRTF) {
        names.outputExtension.Assign(".rtf");
    } else if (IsOn(Pol::UseDOSFilenames)) {
        names.outputExtension.Assign(".HTM");
        SetInt(Pol::UseHTMExtension, 1, false);
    } else if (IsOn(Pol::UseHTMExtension)) {
        names.outputExtension.Assign(".htm");
    } else if (GetText(Pol::OutputFileExtension).length > 0) {
        names.outputExtension = GetText(Pol::OutputFileExtension);
    } else {
        names.outputExtension.Assign(".html");
    }
}

void FC::ResetRunState(const char* keep) {
    names.contentsFileName.MakeEmpty();
    names.policyFileName.MakeEmpty();
    names.sectionName.MakeEmpty();
    indentationLevels.Clear();
    preprocessor.Reset();
    if (keep || !context)
        names.outputExtension.Assign(".html");
    else
        SetOutputExtension();
}

void FC::CopyPolicies(const FC& other) {
    if (&other == this) return;
    ResetPolicies(nullptr);
    ruleSetCode = other.ruleSetCode;
    indentOpen = other.indentOpen;
    indentClose = other.indentClose;
    for (int i = 0; i < kPolicyCount; ++i)
        policies[static_cast<size_t>(i)]->CopyFrom(*other.policies[static_cast<size_t>(i)]);
    for (int i = 0; i < kTablePolicyCount; ++i)
        defaultTabConfig->Policy(static_cast<TabPol>(i))
            .CopyFrom(other.defaultTabConfig->Policy(static_cast<TabPol>(i)));

    for (int list = 0; list < kOwnListCount; ++list) TakeList(list, other);
    RecomputeBulletsExpected();
    ApplyRuleSetAndFormatDefaults(0);
}

void FC::MergeChangedPolicies(const FC& other, int withFlags) {
    if (&other == this) return;
    if (other.ruleSetChosen) {
        ruleSetCode = other.ruleSetCode;
        if (withFlags) ruleSetChosen = 1;
    }
    for (int i = 0; i < kPolicyCount; ++i)
        policies[static_cast<size_t>(i)]->MergeFrom(withFlags != 0, *other.policies[static_cast<size_t>(i)]);
    for (int i = 0; i < kTablePolicyCount; ++i)
        defaultTabConfig->Policy(static_cast<TabPol>(i))
            .MergeFrom(withFlags != 0, other.defaultTabConfig->Policy(static_cast<TabPol>(i)));
    if (other.IsSet(Pol::UseDOSFilenames)) names.outputExtension = other.names.outputExtension;

    // Each list only when the other set's policy file supplied it.
    int* given[kOwnListCount] = {&listSet.indentPositions, &listSet.hangingPositions, &listSet.definitionChars,
                                 &listSet.bulletChars,     &listSet.headingNumbering, &listSet.usenetGroups,
                                 &listSet.sectionFilter,   &listSet.linkDictionary,   &listSet.textCommands};
    // clang-format off
    const int* otherGiven[kOwnListCount] = {
        &other.listSet.indentPositions, &other.listSet.hangingPositions, &other.listSet.definitionChars,
        &other.listSet.bulletChars,     &other.listSet.headingNumbering, &other.listSet.usenetGroups,
        &other.listSet.sectionFilter,   &other.listSet.linkDictionary,   &other.listSet.textCommands};
    // clang-format on
    for (int list = 0; list < kOwnListCount; ++list) {
        if (!*otherGiven[list]) continue;
        if (list == kIndentList && other.indentCount <= 0) continue;
        TakeList(list, other);
        if (withFlags) *given[list] = 1;
    }
    if (context) context->styleSet.ReadStylesFile(this);
    ApplyRuleSetAndFormatDefaults(0);
}

// Takes one of the set's own lists from another set.
void FC::TakeList(int list, const FC& other) {
    switch (list) {
        case kIndentList:
            indentMode = other.indentMode;
            indentCount = other.indentCount;
            indentPositions = other.indentPositions;
            break;
        case kHangingList:
            hangingCount = other.hangingCount;
            hangingPositions = other.hangingPositions;
            break;
        case kDefinitionCharList:
            dashDefinition = other.dashDefinition;
            dashStrong = other.dashStrong;
            colonDefinition = other.colonDefinition;
            colonStrong = other.colonStrong;
            break;
        case kBulletCharList:
            bulletCount = other.bulletCount;
            bulletChars = other.bulletChars;
            ownBulletSwitch = other.ownBulletSwitch;
            break;
        case kHeadingNumberingList:
            headingLevels = other.headingLevels;
            contentsLevels = other.contentsLevels;
            numberingPrefixes = other.numberingPrefixes;
            recognisedHeadings = other.recognisedHeadings;
            break;
        case kUsenetList: usenetGroups.Assign(&other.usenetGroups); break;
        case kSectionList: sectionFilter.Assign(&other.sectionFilter); break;
        case kLinkList:
            linkDictionary->Clear();
            linkDictionary->AddAll(this, *other.linkDictionary);
            break;
        case kTextCommandList:
            textCommands->Clear();
            textCommands->AddAll(this, *other.textCommands);
            break;
        default: break;
    }
}

void FC::CopyReporterSettings(const FC& other) {
    if (context && other.context && context != other.context) context->sink.CopySettings(other.context->sink);
}

void FC::ClearOwnedLists() {
    if (linkDictionary) linkDictionary->Clear();
    if (textCommands) textCommands->Clear();
    sectionFilter.Clear();
    tabConfigQueue.clear();
}

void FC::RecomputeBulletsExpected() {
    bulletsExpected =
        (IsOn(Pol::ExpectNumberedBullets) || IsOn(Pol::ExpectAlphabeticBullets) || IsOn(Pol::RecogniseOBullet) ||
         IsOn(Pol::RecogniseDashBullet) || IsOn(Pol::ExpectRomanNumeralBullets) || bulletCount > 0)
            ? 1
            : 0;
}

void FC::CountNumberingPrefixes() {
    const auto anyPrefix = [](const auto& levels) {
        return std::any_of(levels.begin(), levels.end(),
                           [](const HeadingLevelSpec& spec) { return spec.prefix.length > 0; });
    };
    numberingPrefixes = anyPrefix(headingLevels) || anyPrefix(contentsLevels);
}

// ---------------------------------------------------------------------------
// Context, rule sets and format defaults

void FC::SetContext(Context* newContext) {
    context = newContext;
    if (context) {
        TextString name, version, full;
        GetProductInfo(name, version, full);
        generatorText = name + " " + version;
    }
    ApplyRuleSetAndFormatDefaults(0);
}

int FC::RunOutputFormat() const { return context ? context->outputFormat : kOutputHTML; }

void FC::AddMetaTag(const char* name, const char* content) {
    if (context) context->AddMetaTag(name, content);
}

void FC::ApplyRunParameters(Context& run) {
    RunParameters& parameters = run.runParameters;
    // The value always; the "set" flag only when the parameter is on.
    auto apply = [&](Pol id, int on) {
        SetInt(id, on ? 1 : 0, false);
        if (on) Policy(id).isSet = 1;
    };
    apply(Pol::MakeDirectory, parameters.index);
    apply(Pol::UseDOSFilenames, parameters.dosNames);
    if (parameters.dosNames)
        names.outputExtension.Assign(".HTM");
    else if (GetText(Pol::OutputFileExtension).length > 0)
        names.outputExtension = GetText(Pol::OutputFileExtension);
    else
        names.outputExtension.Assign(".html");
    apply(Pol::KeepItSimple, parameters.simple);
    apply(Pol::OutputPolicyFile, parameters.documentPolicies);
    apply(Pol::CreateLogFile, parameters.logFile);
    if (parameters.logFile) SetText(Pol::OutputLogFilename, parameters.logFileName.buffer, true);
    apply(Pol::PlaceDocumentInFrames, parameters.frames);
    apply(Pol::ShowTagsInOutput, parameters.tags);
    SetInt(Pol::DisplayMessages, parameters.messages ? 1 : 0, false);
    if (!parameters.messages) Policy(Pol::DisplayMessages).isSet = 1;
    if (parameters.contentsList)
        SetInt(Pol::AddContentsList, 1, true);
    else if (!IsSet(Pol::AddContentsList))
        SetInt(Pol::AddContentsList, 0, false);
    if (parameters.rtf) {
        run.outputFormat = kOutputRTF;
        ApplyRuleSetAndFormatDefaults(0);
    }
    if (parameters.compositionUnit) SetInt(Pol::InputIsCompositionUnit, 1, true);
    if (parameters.outputDirectory.length > 0)
        SetText(Pol::OutputDirectory, parameters.outputDirectory.buffer, true);
    if (parameters.ruleSetName.length > 0) {
        TextString line("Rule set to be used : ");
        line.Append(parameters.ruleSetName);
        int category = 0;
        if (ParsePolicyLine(line, category, false) != 0) {
            TextString message("CTX.Command ERROR: Unrecognised RuleSet \"");
            message.Append(parameters.ruleSetName);
            message.AppendChar('"');
            ReportMessage(message.buffer, kLevelAlways);
            parameters.ruleSetName.MakeEmpty();
        } else {
            ApplyRuleSetAndFormatDefaults(0);
        }
    }
}

void FC::ApplyRuleSetValues(int force) {
    bool forced = force != 0;
    auto number = [&](Pol id, int value) { Policy(id).SetRuleSetValue(*this, &value, forced); };
    auto text = [&](Pol id, const char* value) { Policy(id).SetRuleSetValue(*this, value, forced); };
    auto table = [&](TabPol id, int value) { defaultTabConfig->Policy(id).SetRuleSetValue(*this, &value, forced); };

    indentMode = 1;
    indentCount = 1;
    indentPositions = {0, -1, -1, -1, -1, -1};
    listSet.indentPositions = 1;

    number(Pol::PageWidth, 80);
    number(Pol::TextJustification, 4);
    number(Pol::FirstLineIndentation, 0);
    for (Pol id : {Pol::KeepItSimple,
                   Pol::ExpectNumberedHeadings,
                   Pol::ExpectUnderlinedHeadings,
                   Pol::ExpectCapitalisedHeadings,
                   Pol::ExpectEmbeddedHeadings,
                   Pol::UseNumberedSequenceInFileNames,
                   Pol::ExpectNumberedBullets,
                   Pol::ExpectAlphabeticBullets,
                   Pol::ExpectRomanNumeralBullets,
                   Pol::ExpectCodeSamples,
                   Pol::LookForWhiteSpace,
                   Pol::LookForMailHeaders,
                   Pol::LookForPreformattedText,
                   Pol::LookForDiagrams,
                   Pol::LookForCharacterEncodings,
                   Pol::LookForIndentation,
                   Pol::LookForShortLines,
                   Pol::LookForBullets,
                   Pol::LookForQuotedText,
                   Pol::LookForUnderlinedText,
                   Pol::LookForHorizontalRulers,
                   Pol::LookForHangingParagraphs,
                   Pol::SearchForDefinitions,
                   Pol::AttemptTableGeneration,
                   Pol::SearchForEmphasis,
                   Pol::BreakUpLongHTMLLines,
                   Pol::ExpectContentsList,
                   Pol::MonitorTagGeneration})
        number(id, 0);
    for (Pol id :
         {Pol::IgnoreMultipleBlankLines, Pol::MinimiseHTMLFileSize, Pol::RemoveRedundantTags, Pol::AddContentsList})
        number(id, 1);
    table(TabPol::AddTableWidth, 1);
    table(TabPol::UsePercentageWidths, 1);
    table(TabPol::CellSpacing, 0);
    table(TabPol::CellPadding, 0);
    text(Pol::StartTagDelimiter, "[_[");
    text(Pol::EndTagDelimiter, "]_]");
    for (Pol id : {Pol::CreateNEWSLinks, Pol::CreateGopherLinks, Pol::CreateTelnetLinks, Pol::CreateFTPLinks})
        number(id, 0);
    number(Pol::CrossRefsAtLevel, 0);
    number(Pol::ContentsStyleCode, 1);
    number(Pol::UseEmAndStrongMarkup, 0);
    number(Pol::PInsideListUsageCode, 1);
    number(Pol::SuppressURLMessages, 1);
    for (Pol id : {Pol::SuppressINFOMessages, Pol::SuppressWARNINGMessages, Pol::SuppressTAGERRORMessages,
                   Pol::SuppressProgramERRORMessages})
        number(id, 0);
    number(Pol::BaseFontSize, 10);
    number(Pol::DeltaFontSize, 0);
    number(Pol::FontStretchFactor, 0);
    for (Pol id : {Pol::AddFontMarkup, Pol::AddFontSizeMarkup, Pol::ApplyFontToEmptyCells, Pol::LabelStyleClasses,
                   Pol::AddFontStyleMarkup})
        number(id, 1);

    if (ruleSetCode == kRuleSetTarnell) {
        number(Pol::HTMLVersion, 2);
        number(Pol::ListMarkupCode, 1);
        number(Pol::IndentationMarkupCode, 2);
        number(Pol::UseIncrementalIndentation, 1);
        number(Pol::UseOfMicrosoftEntitiesCode, -1);
        number(Pol::UseOfHTML40EntitiesCode, 1);
        number(Pol::CreateEmbeddedStyleSheet, 1);
    } else {
        number(Pol::AvoidTagBreaks, 1);
        number(Pol::CreateMailtoLinks, 0);
        number(Pol::CreateHyperlinks, 0);
        number(Pol::HTMLVersion, 1);
        number(Pol::ListMarkupCode, 1);
        number(Pol::IndentationMarkupCode, -1);
        number(Pol::UseOfMicrosoftEntitiesCode, -1);
        number(Pol::UseOfHTML40EntitiesCode, 0);
        number(Pol::UseIncrementalIndentation, 0);
        number(Pol::CreateEmbeddedStyleSheet, 0);
    }
}

// The defaults that follow from the rule set, the output format and the
// policies already set, in the order in which they depend on each other: each
// step reads what the steps before it settled.
void FC::ApplyRuleSetAndFormatDefaults(int force) {
    // 1-2: the rule set.
    if (ruleSetCode == kRuleSetNone && context) ruleSetCode = context->ruleSetCode;
    if (IsRuleSet(ruleSetCode))
        ApplyRuleSetValues(force);
    else if (ruleSetCode != kRuleSetNone)
        ReportMessage("UNSUPPORTED CASE: Unexpected Rule Set", kLevelAlways);

    // 3: defaults that depend on the output format.
    bool rtf = context && context->outputFormat == kOutputRTF;
    ApplyFormatDefaults(rtf);

    // 4: clamps.
    if (GetInt(Pol::AutomaticCentringTolerance) < 2) SetInt(Pol::AutomaticCentringTolerance, 2, false);
    if (GetInt(Pol::TabSize) < 2) SetInt(Pol::TabSize, 4, false);
    int splitLevel = GetInt(Pol::SplitLevel);
    if (!IsSet(Pol::AddNavigationBar)) SetInt(Pol::AddNavigationBar, splitLevel > 0 ? 1 : 0, false);
    if (!IsSet(Pol::ContentsAnchorsLevel) && splitLevel > GetInt(Pol::ContentsAnchorsLevel))
        SetInt(Pol::ContentsAnchorsLevel, splitLevel, false);

    // 5: an unset title names only the file once the set belongs to a run.
    if (!IsSet(Pol::DocumentTitle) && context) {
        TextString title("Converted from \"");
        title.Append(GetText(Pol::StartTagDelimiter));
        title.Append("FILENAME");
        title.Append(GetText(Pol::EndTagDelimiter));
        title.AppendChar('"');
        SetText(Pol::DocumentTitle, title.buffer, false);
    }

    // 6: keep it simple.
    ApplyKeepItSimple();

    // 7: character encodings that rule out code-page conversion.
    ApplyCharacterEncoding();

    // 8: the output extension.
    SetOutputExtension();

    // 9: contents decisions.
    ApplyContentsDecisions(splitLevel);

    // 10: the range of heading tags.
    auto clamp = [&](Pol id) {
        int value = GetInt(id);
        if (value < 1) SetInt(id, 1, false);
        if (value > 6) SetInt(id, 6, false);
    };
    clamp(Pol::SmallestAllowedHn);
    clamp(Pol::LargestAllowedHn);
    if (GetInt(Pol::SmallestAllowedHn) < GetInt(Pol::LargestAllowedHn)) {
        SetInt(Pol::SmallestAllowedHn, 3, false);
        SetInt(Pol::LargestAllowedHn, 3, false);
    }

    // 11: indentation markup.
    int version = GetInt(Pol::HTMLVersion);
    ChooseIndentationMarkup(version);

    // 12-14: font markup and the style sheet it needs.
    ChooseFontMarkup(rtf, version);

    // 15: emphasis markup.
    if (IsOn(Pol::UseEmAndStrongMarkup)) {
        strongOpen.Assign("<STRONG>");
        strongClose.Assign("</STRONG>");
        emphasisOpen.Assign("<EM>");
        emphasisClose.Assign("</EM>");
    } else {
        strongOpen.Assign("<B>");
        strongClose.Assign("</B>");
        emphasisOpen.Assign("<I>");
        emphasisClose.Assign("</I>");
    }

    // 16-17: bullets and list markup.
    RecomputeBulletsExpected();
    int listCode = GetInt(Pol::ListMarkupCode);
    int pCode = GetInt(Pol::PInsideListUsageCode);
    if (listCode == 1) {
        if (pCode == 0) SetInt(Pol::PInsideListUsageCode, 1, true);
        if (pCode == 2) SetInt(Pol::PInsideListUsageCode, 3, true);
    } else {
        SetInt(Pol::PInsideListUsageCode, listCode == 2 ? 0 : 1, false);
    }

    // 18-20.
    if (IsOn(Pol::InputPCLCodes) && context) context->characterConversion = 0;
    if (version == 1) {
        SetInt(Pol::UseIncrementalIndentation, 0, false);
        SetInt(Pol::UseOfHTML40EntitiesCode, 0, false);
    }
    if (rtf && !IsSet(Pol::BaseFontSize)) SetInt(Pol::BaseFontSize, 10, false);
}

// RTF output has no definitions, no contents list and justified text by
// default; the fonts and the base font size not set take the format's
// defaults.
void FC::ApplyFormatDefaults(bool rtf) {
    if (rtf) {
        SetInt(Pol::SearchForDefinitions, 0, false);
        dashDefinition = 0;
        colonDefinition = 0;
        SetInt(Pol::AddContentsList, 0, false);
        if (!IsSet(Pol::TextJustification)) SetInt(Pol::TextJustification, 4, false);
    }
    for (const FontDefault& font : kFontDefaults) {
        if (IsSet(font.id)) continue;
        const PolicyDefinition& definition = GetPolicyDefinition(font.id);
        Policy(font.id).Name(definition.key, definition.category, rtf ? font.rtf : font.html, nullptr);
    }
    if (!IsSet(Pol::BaseFontSize)) SetInt(Pol::BaseFontSize, rtf ? 10 : 12, false);
}

// "Keep it simple" looks for underlined headings only and for no other
// structure; set explicitly, it also turns the table generation off.
void FC::ApplyKeepItSimple() {
    if (!IsOn(Pol::KeepItSimple)) return;
    if (!IsSet(Pol::ExpectUnderlinedHeadings)) SetInt(Pol::ExpectUnderlinedHeadings, 1, false);
    for (Pol id : {Pol::ExpectNumberedBullets, Pol::ExpectAlphabeticBullets, Pol::ExpectRomanNumeralBullets,
                   Pol::ExpectCapitalisedHeadings, Pol::ExpectEmbeddedHeadings})
        if (!IsSet(id)) SetInt(id, 0, false);
    SetInt(Pol::ExpectNumberedHeadings, 0, false);
    SetInt(Pol::UseDLMarkupForDefinitions, 0, false);
    SetInt(Pol::ExpectContentsList, 0, false);
    if (IsSet(Pol::KeepItSimple)) {
        SetInt(Pol::AttemptTableGeneration, 0, false);
        Policy(Pol::AttemptTableGeneration).isSet = 0;
    }
}

// A character encoding other than ASCII or Latin-1 rules out the DOS and PCL
// code-page conversions; the multi-byte and non-Latin encodings also rule out
// line-drawing diagrams, and the right-to-left ones keep the line structure.
void FC::ApplyCharacterEncoding() {
    const TextString& encoding = GetText(Pol::CharacterEncoding);
    if (encoding.length == 0 || EqualsNoCase(encoding, "ascii") || EqualsNoCase(encoding, "iso-8859-1")) return;
    SetInt(Pol::InputDOSCharacters, 0, false);
    SetInt(Pol::InputPCLCodes, 0, false);
    if (context) context->characterConversion = 0;
    // clang-format off
    static const char* const kNoDiagrams[] = {
        "x-sjis",      "big5",        "csbig5",       "gb2312",       "csgb2312",     "x-euc-tw",
        "shift_jis",   "csShiftJIS",  "ms_Kanji",     "x-euc-jp",     "euc-kr",       "iso-2022-kr",
        "iso-2022-jp", "tis-620",     "iso-8859-7",   "iso-8859-8",   "koi8-r",       "UTF-8",
        "windows-1251", "windows-1253", "windows-1254", "windows-1256"};
    // clang-format on
    for (const char* name : kNoDiagrams) {
        if (!EqualsNoCase(encoding, name)) continue;
        SetInt(Pol::LookForDiagrams, 0, false);
        if (EqualsNoCase(encoding, "iso-8859-8") || EqualsNoCase(encoding, "windows-1256")) {
            if (!IsSet(Pol::PreserveLineStructure)) SetInt(Pol::PreserveLineStructure, 1, false);
            if (!IsSet(Pol::LookForIndentation)) SetInt(Pol::LookForIndentation, 0, false);
        }
        break;
    }
}

// Whether the document gets a contents list and whether it goes to a file of
// its own: a composition unit always has both; otherwise a split document
// gets a list, an existing list is used only when one is expected, and an
// external contents file needs a contents list.
void FC::ApplyContentsDecisions(int splitLevel) {
    if (IsOn(Pol::InputIsCompositionUnit)) {
        SetInt(Pol::AddContentsList, 1, false);
        SetInt(Pol::GenerateExternalContentsFile, 1, false);
        return;
    }
    if (splitLevel > 0 && !IsSet(Pol::AddContentsList)) SetInt(Pol::AddContentsList, 1, false);
    if (!IsOn(Pol::ExpectContentsList)) SetInt(Pol::UseExistingContentsList, 0, false);
    if (IsOn(Pol::ExpectContentsList) && IsOn(Pol::UseExistingContentsList) && !IsSet(Pol::AddContentsList))
        SetInt(Pol::AddContentsList, 0, false);
    if (!IsOn(Pol::AddContentsList)) {
        if (IsSet(Pol::GenerateExternalContentsFile) && IsOn(Pol::GenerateExternalContentsFile))
            SetInt(Pol::AddContentsList, 1, false);
        else
            SetInt(Pol::GenerateExternalContentsFile, 0, false);
    }
    if (IsOn(Pol::AddContentsList) && splitLevel > 0 && !IsSet(Pol::GenerateExternalContentsFile))
        SetInt(Pol::GenerateExternalContentsFile, 0, false);
}

// The markup that opens and closes one indentation level.  HTML 4.0 offers
// BLOCKQUOTE, an empty list, a styled DIV or a DIV of the "indent" class;
// HTML 3.2 has no DIV styles and falls back to BLOCKQUOTE.
void FC::ChooseIndentationMarkup(int version) {
    int code = GetInt(Pol::IndentationMarkupCode);
    const char* divStyle = "DIV STYLE=\"margin-left:24pt; margin-right:0pt;\"";
    auto setIndent = [&](const char* open, const char* close) {
        indentOpen.Assign(open);
        indentClose.Assign(close);
    };
    if (version > 1) {
        if (IsSet(Pol::IndentationMarkupCode) && code != 0) {
            if (code == 1) {
                setIndent("BLOCKQUOTE", "BLOCKQUOTE");
            } else if (code == -1) {
                setIndent("UL DUMMY", "UL DUMMY");
            } else if (code == 3) {
                setIndent("DIV CLASS=\"indent\"", "DIV");
            } else {
                SetInt(Pol::IndentationMarkupCode, 2, false);
                setIndent(divStyle, "DIV");
            }
        } else if (ruleSetCode == kRuleSetTarnell) {
            setIndent(divStyle, "DIV");
            SetInt(Pol::IndentationMarkupCode, 2, false);
        } else {
            setIndent("BLOCKQUOTE", "BLOCKQUOTE");
            SetInt(Pol::IndentationMarkupCode, 1, false);
        }
    } else if (code == -1) {
        setIndent("UL DUMMY", "UL DUMMY");
    } else {
        setIndent("BLOCKQUOTE", "BLOCKQUOTE");
        if (code > 1) {
            TextString message("WARNING: Indentation pattern ");
            message.AppendNumber('1', code, 0);
            message.Append(" not supported in HTML 3.2.  Switching to BLOCKQUOTEs");
            ReportMessage(message.buffer, kLevelAlways);
            SetInt(Pol::IndentationMarkupCode, 1, false);
        }
    }
}

// Whether fonts are written as FONT tags or through the embedded style sheet,
// and when that sheet is needed.
void FC::ChooseFontMarkup(bool rtf, int version) {
    // 12: whether fonts are written as FONT tags.
    // A font counts as the user's when it was set to something other than its
    // format default: a written "all" policy file sets every font to its
    // default, and reading it back must not change how fonts are marked up.
    bool anyFontSet = false;
    for (const FontDefault& font : kFontDefaults)
        anyFontSet = anyFontSet || (IsSet(font.id) && !GetText(font.id).Matches(rtf ? font.rtf : font.html, 0, 0));
    bool css = IsOn(Pol::UseCSSForFonts);
    if (context) {
        context->fontTagSwitch = (anyFontSet && css && version > 1) ? 0 : 1;
        if (IsOn(Pol::SuppressAllFontMarkup)) context->fontTagSwitch = 0;
    }

    // 13: the embedded style sheet.
    if (ruleSetCode != kRuleSetSec && GetInt(Pol::IndentationMarkupCode) > 1)
        SetInt(Pol::CreateEmbeddedStyleSheet, 1, false);
    // A headings colour set to "(none)" gives no colour, and needs no sheet.
    if (IsSet(Pol::HeadingsColour) && GetText(Pol::HeadingsColour).length > 0 && css)
        SetInt(Pol::CreateEmbeddedStyleSheet, 1, false);

    // 14: FONT markup.
    int htmlSize = PointSizeToHTMLSize(ClampedSum(GetInt(Pol::BaseFontSize), GetInt(Pol::DeltaFontSize)));
    if (htmlSize != 3 && context && (context->documentState.htmlOutput || context->outputFormat == kOutputHTML)) {
        SetInt(Pol::AddFontMarkup, 1, false);
        SetInt(Pol::AddFontSizeMarkup, 1, false);
    }
    if (!anyFontSet) return;
    if (version <= 1) {
        SetInt(Pol::AddFontMarkup, 1, false);
        SetInt(Pol::AddFontSizeMarkup, 1, false);
    } else if (css) {
        SetInt(Pol::AddFontMarkup, 0, false);
        SetInt(Pol::AddFontSizeMarkup, 0, false);
        SetInt(Pol::CreateEmbeddedStyleSheet, 1, false);
    } else {
        SetInt(Pol::AddFontMarkup, 1, false);
        SetInt(Pol::AddFontSizeMarkup, 1, false);
        SetInt(Pol::CreateEmbeddedStyleSheet, 0, false);
    }
}

// ---------------------------------------------------------------------------
// File names, sections, bullets

void FC::MakeContentsFileName(const char* inputName) {
    if (!inputName) inputName = "";
    if (GetText(Pol::ExternalContentsFilename).length > 0) {
        names.contentsFileName = GetText(Pol::ExternalContentsFilename);
        return;
    }
    TextString folder;
    char separator = 0;
    int nameStart = 0;
    SplitFolder(inputName, &folder, &separator, &nameStart);
    int length = static_cast<int>(std::strlen(inputName));
    int dot = -1;
    for (int i = length - 1; i >= nameStart; --i) {
        if (inputName[i] == '.') {
            dot = i;
            break;
        }
    }
    TextString base;
    if (dot >= 0 && dot >= length - 5)
        base.AssignChars(inputName + nameStart, dot - nameStart);
    else
        base.Assign(inputName + nameStart);

    // The input's own folder loses its separator in the split: put it back, so
    // that the contents file lands inside that folder.
    TextString start;
    if (GetText(Pol::OutputDirectory).length > 0) {
        start = GetText(Pol::OutputDirectory);
    } else if (folder.length > 0) {
        start = folder;
        start.AppendChar(separator);
    }
    auto usable = [](const TextString& text) {
        return text.length > 0 && text.CountChar('%') == 0 && text.CountChar('*') == 0;
    };
    TextString name;
    if (IsOn(Pol::InputIsCompositionUnit)) {
        name = (context && usable(context->contentsFolder)) ? context->contentsFolder : start;
        if (context && usable(context->contentsName))
            name.Append(context->contentsName);
        else
            name.Append(inputName);
        if (context && usable(context->contentsExtension))
            name.Append(context->contentsExtension);
        else
            name.Append(".toc");
    } else if (IsOn(Pol::UseDOSFilenames)) {
        name = start;
        name.Append("contents.htm");
    } else {
        name = start;
        name.Append("contents_");
        name.Append(base);
        name.Append(names.outputExtension);
    }
    names.contentsFileName = name;
}

void FC::MakePolicyFileName(const char* inputName) {
    if (GetText(Pol::OutputPolicyFilename).length > 0) {
        names.policyFileName = GetText(Pol::OutputPolicyFilename);
        return;
    }
    TextString inputFolder, inputBase, inputExtension;
    SplitPath(TextString(inputName ? inputName : ""), &inputFolder, &inputBase, &inputExtension);
    TextString givenFolder, givenBase, givenExtension;
    if (context && context->policyFileNameText.length > 0)
        SplitPath(context->policyFileNameText, &givenFolder, &givenBase, &givenExtension);
    TextString name;
    if (givenFolder.length > 0)
        name = givenFolder;
    else if (GetText(Pol::OutputDirectory).length > 0)
        name = GetText(Pol::OutputDirectory);
    else
        name = inputFolder;
    if (name.length > 0 && !EndsWithSeparator(name)) name.AppendChar('/');
    name.Append(givenBase.length > 0 ? givenBase : inputBase);
    name.Append(givenExtension.length > 0 ? givenExtension.buffer : ".pol");
    names.policyFileName = name;
}

void FC::SetSectionName(const TextString& name) { names.sectionName = name; }

int FC::IsSectionIncluded() const {
    const TextString& section = names.sectionName;
    if (!IsOn(Pol::UsePreprocessor) || section.length == 0) return 1;
    if (EqualsNoCase(section, "all")) return 1;
    for (int i = 0; i < sectionFilter.count; ++i) {
        const TextString& entry = sectionFilter.GetAt(i)->text;
        if (EqualsNoCase(entry, section.buffer) || EqualsNoCase(entry, "all")) return 1;
    }
    return 0;
}

void FC::SetFileNameRoot(const char* path) {
    TextString root;
    int nameStart = 0;
    TextString folder;
    char separator = 0;
    SplitFolder(path ? path : "", &folder, &separator, &nameStart);
    root.Assign(path ? path + nameStart : "");
    if (IsOn(Pol::UseDOSFilenames) && IsSet(Pol::DOSFilenameRoot) && GetText(Pol::DOSFilenameRoot).length > 0)
        root = GetText(Pol::DOSFilenameRoot);
    if (context) context->fileNameRoot = root;
}

int FC::IsBulletChar(char c) const {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '!' || c == '(' || c == ')' || IsAsciiDigit(u) || c == '>' || IsAsciiLetter(u) || c == '[' ||
        c == ']' || c == '{' || c == '|' || c == '}' || u == 0xB3)
        return 0;
    return 1;
}

int FC::GetIndentLevel(int column) const {
    int passed = 0;
    for (int position : indentPositions) {
        if (position < 0 || position > column) break;
        ++passed;
    }
    return passed - 1 < 0 ? 0 : passed - 1;
}

// ---------------------------------------------------------------------------
// Messages

void FC::LoadMessageFilters(MessageSink& sink) const {
    sink.SetReportingLevel(GetInt(Pol::ErrorReportingLevel));
    sink.SetFilters(GetInt(Pol::DisplayMessages), GetInt(Pol::SuppressURLMessages),
                    GetInt(Pol::SuppressINFOMessages), GetInt(Pol::SuppressWARNINGMessages),
                    GetInt(Pol::SuppressProgramERRORMessages), GetInt(Pol::SuppressTAGERRORMessages));
}

MessageSink& FC::LoadReporter() const {
    LoadMessageFilters(context->sink);
    return context->sink;
}

void FC::ReportMessage(const char* text, int level) const {
    if (!text) return;
    // Reported, whether or not it is shown or logged.
    TheRunStatus().NoteMessage(text);
    if (context) {
        int location = context->trackers.codeLocation;
        if (location >= 1 && location <= 3) {
            Tracker* tracker = context->pGetTracker();
            if (tracker->position.unit == 0 && tracker->currentLine) {
                // A message about a line of the main input file belongs to that
                // line: the line asks the sink whether its class is suppressed
                // and keeps nothing, so during a conversion it is neither shown
                // nor logged.
                context->sink.IsSuppressedByPrefix(TextString(text));
                return;
            }
        }
    }
    OutputMessage(text, level);
}

void FC::OutputMessage(const char* text, int level) const {
    if (!text) return;
    if (context) {
        MessageSink& sink = LoadReporter();
        TextString copy(text);  // the text may be the sink's own current text
        sink.OutputMessage(copy.buffer, level);
        return;
    }
    if (IsOn(Pol::DisplayMessages)) {
        std::fputs(text, stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}

void FC::ReportStatus(const char* text) {
    if (!text) return;
    if (context) {
        MessageSink& sink = LoadReporter();
        TextString copy(text);
        sink.OutputStatus(copy.buffer);
        return;
    }
    if (IsOn(Pol::DisplayMessages)) {
        std::fputs(text, stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}

// ---------------------------------------------------------------------------
// Table configurations

TabConfig* FC::GetCurrentTabConfig() const {
    return tabConfigQueue.empty() ? defaultTabConfig.get() : tabConfigQueue.back().get();
}

TabConfig* FC::GetOldestTabConfig() const {
    return tabConfigQueue.empty() ? defaultTabConfig.get() : tabConfigQueue.front().get();
}

void FC::CreateNewTabConfig() {
    if (context && (context->documentState.htmlOutput || context->documentState.rtfOutput)) return;
    tabConfigQueue.push_back(std::make_unique<TabConfig>(*defaultTabConfig));
}

int FC::GetTableExtendingFactor() const {
    return defaultTabConfig ? defaultTabConfig->GetInt(TabPol::ExtendingFactor) : 5;
}

void FC::SetTableBorderSize(int value) { GetCurrentTabConfig()->SetInt(TabPol::BorderSize, value); }
void FC::SetTableHeaderRows(int value) { GetCurrentTabConfig()->SetInt(TabPol::HeaderRows, value); }
void FC::SetTableHeaderCols(int value) { GetCurrentTabConfig()->SetInt(TabPol::HeaderCols, value); }
void FC::SetTableCellSpacing(int value) { GetCurrentTabConfig()->SetInt(TabPol::CellSpacing, value); }
void FC::SetTableCellPadding(int value) { GetCurrentTabConfig()->SetInt(TabPol::CellPadding, value); }
void FC::SetMinColumnSeparation(int value) {
    TabConfig* config = GetCurrentTabConfig();
    config->SetInt(TabPol::MinColumnSeparation, value);
    config->separationAsGiven = 1;
}
void FC::SetConvertTableXRefs(int value) { GetCurrentTabConfig()->SetInt(TabPol::ConvertXRefs, value); }
void FC::SetExpectSparseTable(int value) { GetCurrentTabConfig()->SetInt(TabPol::ExpectSparseTables, value); }
void FC::SetTableCellAlignment(int value) { GetCurrentTabConfig()->SetInt(TabPol::CellAlignment, value); }
void FC::SetTableAlignment(int value) { GetCurrentTabConfig()->SetInt(TabPol::TableAlignment, value); }
void FC::SetColourDataRows(int value) { GetCurrentTabConfig()->SetInt(TabPol::ColourDataRows, value); }
void FC::SetAddTableWidth(int value) { GetCurrentTabConfig()->SetInt(TabPol::AddTableWidth, value); }
void FC::SetUsePercentageWidths(int value) { GetCurrentTabConfig()->SetInt(TabPol::UsePercentageWidths, value); }
void FC::SetTableCaption(const char* text) { GetCurrentTabConfig()->SetText(TabPol::Caption, text); }
void FC::SetTableDelimiter(const char* text) { GetCurrentTabConfig()->SetText(TabPol::DelimiterCharacter, text); }
void FC::SetTableWidth(const char* text) { GetCurrentTabConfig()->SetText(TabPol::Width, text); }

namespace {

// Stores a colour normalised to HTML form; a colour that is not standard is
// reported and still stored.
void SetTableColourPolicy(FC& set, TabPol id, const char* colour) {
    TextString given(colour ? colour : "");
    TextString normalised;
    if (!NormaliseHTMLColour(given, &normalised)) {
        set.messageText.Assign("WARNING: \"");
        set.messageText.Append(MessageExcerpt(given));
        set.messageText.Append("\" is not a standard HTML colour");
        set.ReportMessage(set.messageText.buffer, kLevelWarning);
    }
    set.GetCurrentTabConfig()->SetText(id, normalised.buffer);
}

}  // namespace

void FC::SetTableColour(const char* colour) { SetTableColourPolicy(*this, TabPol::TableColour, colour); }
void FC::SetTableBorderColour(const char* colour) { SetTableColourPolicy(*this, TabPol::BorderColour, colour); }
void FC::SetTableOddRowColour(const char* colour) { SetTableColourPolicy(*this, TabPol::OddRowColour, colour); }
void FC::SetTableEvenRowColour(const char* colour) { SetTableColourPolicy(*this, TabPol::EvenRowColour, colour); }

void FC::SetTableLayout(const char* text) {
    TabConfig* config = GetCurrentTabConfig();
    config->SetText(TabPol::TableLayout, text);
    config->ParseTableLayoutTag(*this, TextString(text ? text : ""));
}

void FC::HideTableColumn(int column) {
    TabConfig* config = GetCurrentTabConfig();
    if (config == defaultTabConfig.get()) {
        messageText.Assign("TAG ERROR: HIDE_COLUMN only allowed inside tables");
        ReportMessage(messageText.buffer, kLevelAlways);
        return;
    }
    config->HideColumn(column);
}

void FC::SetTabConfigFromTag(const TextString& line, const char* tagName, const TextString&) {
    ::SetTabConfigFromTag(*GetCurrentTabConfig(), *this, tagName, line);
}

// ---------------------------------------------------------------------------
// Link dictionary and text commands

int FC::AddLinkDefinition(const char* phrase, const char* linkText, const char* url, const char* anchorMarkup,
                          int occurrence, int column) {
    if (!linkDictionary) return 0;
    return linkDictionary->Add(this, phrase, linkText, url, anchorMarkup, occurrence, column);
}

int FC::AddLinkDefinition(const char* phrase, const char* linkText, const char* url) {
    return AddLinkDefinition(phrase, linkText, url, nullptr, -1, -1);
}

int FC::MatchLinkWord(const TextString& word, TextString* out) {
    if (!linkDictionary) return 0;
    return linkDictionary->MatchLinkWord(this, word, out);
}

int FC::ApplyLinkDefinitions(const SourcePosition* position, const TextString* sourceLine, int occurrence,
                             int firstColumn, int lastColumn, const TextString* text, TextString* out) {
    if (!linkDictionary) return 0;
    return linkDictionary->ApplyToLine(this, position, sourceLine, occurrence, firstColumn, lastColumn, text, out);
}

int FC::ApplyTextCommands(TextLine* target, const TextLine* source, TextString* out) {
    return textCommands->Apply(this, target, source, out);
}

void FC::WriteLinkDictionary(TextFile& sink) const {
    if (linkDictionary) linkDictionary->Write(sink);
}

int FC::GetLinkDefinitionCount() const { return linkDictionary ? linkDictionary->count : 0; }
