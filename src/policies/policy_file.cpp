// Policy files: the reader (comments, include and switch directives, link
// dictionary files), the line parser every source of policy lines uses, and
// the writer that turns a policy set back into a file the reader reads again.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "context/context.h"
#include "foundation/message_reporter.h"
#include "foundation/run_status.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "platform/output_files.h"
#include "policies/fc.h"
#include "policies/link_dictionary.h"
#include "policies/tab_config.h"
#include "policies/text_commands.h"

namespace {

bool Contains(const TextString& text, const char* word) { return text.FindNoCase(word) != nullptr; }

// The special keys of the parser: lines whose key is a list or a structure
// of the set rather than a single policy.
enum class Special {
    None,
    RuleSet,
    IndentPositions,
    HangingPositions,
    DefinitionChar,
    BulletChar,
    RecognisedHeadings,
    HeadingLevel,
    ContentsLevel,
    UsenetGroups,
    DocumentSections,
    LinkDefinition,
    TextCommand,
};

// Takes a line that holds a special key into the set (`which` tells the keys
// that share a handler apart).
using SpecialHandler = void (*)(FC& set, PolicyLine& line, const TextString& original, Special which);

// One step of the parser's offering sequence: a catalogue policy, a table
// policy of the default configuration, or a special key.
struct OfferStep {
    enum Kind { Catalogue, Table, SpecialKey } kind;
    Pol policy = Pol::Count;
    TabPol tablePolicy = TabPol::Count;
    Special special = Special::None;
    const char* key = nullptr;
    SpecialHandler take = nullptr;
};

const char* KeyOf(const OfferStep& step) { return step.key; }

bool StartsWithNoCase(const char* text, const char* prefix) {
    size_t n = std::strlen(prefix);
    return std::strlen(text) >= n && CompareTextN(text, prefix, static_cast<int>(n), 1) == 0;
}

struct AlternativeKey {
    const char* alternative;
    const char* key;
};

const AlternativeKey kAlternativeKeys[] = {
    {"HTML Header", "HTML header file"},
    {"HTML Footer", "HTML footer file"},
    {"HTML Fragments File", "Fragments file"},
    {"Recognise 'o' as a bullet", "Recognise 'o' as a bullet"},
    {"Recognise '-' as a bullet", "Recognise '-' as a bullet"},
    {"Allow email begining with numbers", "Allow email beginning with numbers"},
    {"Default TABLE color", "Default TABLE colour"},
    {"Default TABLE border color", "Default TABLE border colour"},
    {"Color data rows", "Colour data rows"},
    {"Default TABLE odd row color", "Default TABLE odd row colour"},
    {"Default TABLE even row color", "Default TABLE even row colour"},
    {"Header frame background color", "Header frame background colour"},
    {"Header frame text color", "Header frame text colour"},
    {"Contents frame background color", "Contents frame background colour"},
    {"Contents frame text color", "Contents frame text colour"},
    {"Footer frame background color", "Footer frame background colour"},
    {"Footer frame text color", "Footer frame text colour"},
    {"Background color", "Background Colour"},
    {"Text color", "Text Colour"},
    {"Unvisited link color", "Unvisited Link Colour"},
    {"Visited link color", "Visited Link Colour"},
    {"Active link color", "Active Link Colour"},
    {"Suppress all colour markup", "Suppress all colour markup"},
    {"Suppress all font markup", "Suppress all font markup"},
    {"Scope COLOR tags globally", "Scope COLOUR tags globally"},
};

// Lines without a colon that are not reported as missing one.
bool IsExcusedFromColon(const TextString& line) {
    return line.Matches("!", 1, 0) || line.CountChar('[') > 0 || line.CountChar(']') > 0 || line.length == 0 ||
           IsPolicySectionHeader(line) || line.FindNoCase(" recognised headings") != nullptr ||
           line.FindNoCase("Contents level") != nullptr || line.FindNoCase("Heading level") != nullptr;
}

// Reads up to five blank-separated numbers of `value` into the six slots;
// returns how many were read.
int ReadPositions(const TextString& value, std::array<int, 6>& slots) {
    slots.fill(-1);
    TextString word;
    int count = 0;
    for (int n = 1; count < 5 && value.GetField(n, ' ', &word); ++n) {
        if (word.length == 0) continue;
        int number = 0;
        if (!word.ToInteger('1', &number)) break;
        slots[static_cast<size_t>(count++)] = number;
    }
    return count;
}

void AddWords(StringList& list, const TextString& value) {
    TextString word;
    for (int n = 1; value.GetField(n, ' ', &word); ++n)
        if (word.length > 0) list.Add(word.buffer);
}

// ---------------------------------------------------------------------------
// The special keys: each handler takes a line whose text holds its key (the
// line's claim state is untouched when it does not take it).

void TakeLinkDefinition(FC& set, PolicyLine& line, const TextString& original, Special) {
    TextString phrase, linkText, url;
    original.GetField(2, '"', &phrase);
    original.GetField(4, '"', &linkText);
    original.GetField(6, '"', &url);
    set.AddLinkDefinition(phrase.buffer, linkText.buffer, url.buffer);
    line.taken = 1;
    line.category = 4;
    set.listSet.linkDictionary = 1;
    Context* context = set.context;
    if (context &&
        (context->documentState.htmlOutput || context->documentState.outputInt ||
         context->documentState.rtfOutput) &&
        set.GetLinkDictionary()->rulesBuilt)
        set.GetLinkDictionary()->BuildRules(&set);
}

void TakeTextCommand(FC& set, PolicyLine& line, const TextString& original, Special) {
    if (set.GetTextCommands().Add(&set, original.buffer)) {
        line.taken = 1;
        line.category = 1;
        set.listSet.textCommands = 1;
    }
}

void TakeRuleSet(FC& set, PolicyLine& line, const TextString&, Special) {
    line.taken = 1;
    line.category = 3;
    int code = -1;
    if (Contains(line.value, "Tarnell"))
        code = kRuleSetTarnell;
    else if (Contains(line.value, "SEC"))
        code = kRuleSetSec;
    else if (Contains(line.value, "none"))
        code = kRuleSetNone;
    if (code < 0) {
        line.accepted = 0;
        return;
    }
    if (set.ruleSetCode != kRuleSetNone && code != set.ruleSetCode) {
        TextString message("WARNING: Changing rule set - ");
        message.Append(MessageExcerpt(line.text));
        set.ReportMessage(message.buffer, kLevelAlways);
    }
    set.ruleSetCode = code;
    set.ruleSetChosen = 1;
    if (set.context) set.context->ruleSetCode = code;
}

void TakeIndentPositions(FC& set, PolicyLine& line, const TextString&, Special) {
    line.taken = 1;
    line.category = 1;
    if (Contains(line.text, "none")) {
        set.indentPositions.fill(-1);
        set.indentCount = 0;
        set.indentMode = 0;
    } else {
        set.indentCount = ReadPositions(line.value, set.indentPositions);
    }
    set.listSet.indentPositions = 1;
}

void TakeHangingPositions(FC& set, PolicyLine& line, const TextString&, Special) {
    line.taken = 1;
    line.category = 1;
    if (Contains(line.text, "none")) {
        set.hangingPositions.fill(-1);
        set.hangingCount = 0;
    } else {
        set.hangingCount = ReadPositions(line.value, set.hangingPositions);
    }
    set.listSet.hangingPositions = 1;
}

void TakeDocumentSections(FC& set, PolicyLine& line, const TextString&, Special) {
    line.taken = 1;
    set.listSet.sectionFilter = 1;
    if (Contains(line.text, "none")) {
        set.sectionFilter.Clear();
    } else {
        AddWords(set.sectionFilter, line.value);
        line.category = 3;
    }
}

void TakeDefinitionChar(FC& set, PolicyLine& line, const TextString&, Special) {
    bool found = false;
    if (Contains(line.text, "':'")) {
        set.colonDefinition = 1;
        set.colonStrong = Contains(line.text, "strong") ? 1 : 0;
        found = true;
    }
    if (Contains(line.text, "none")) {
        set.colonDefinition = set.dashDefinition = set.colonStrong = set.dashStrong = 0;
        found = true;
    }
    if (Contains(line.text, "'-'")) {
        set.dashDefinition = 1;
        set.dashStrong = Contains(line.text, "strong") ? 1 : 0;
        found = true;
    }
    if (found) {
        line.taken = 1;
        line.category = 1;
        set.listSet.definitionChars = 1;
    }
}

void TakeUsenetGroups(FC& set, PolicyLine& line, const TextString&, Special) {
    line.taken = 1;
    line.category = 4;
    set.listSet.usenetGroups = 1;
    if (Contains(line.text, "none"))
        set.usenetGroups.Clear();
    else
        AddWords(set.usenetGroups, line.value);
}

void TakeRecognisedHeadings(FC& set, PolicyLine& line, const TextString&, Special) {
    line.taken = 1;
    line.category = 1;
    TextString word;
    int number = 0;
    if (line.text.GetField(3, ' ', &word) && word.ToInteger('1', &number) && number >= 0 && number <= 6) {
        set.recognisedHeadings = number;
        set.listSet.headingNumbering = 1;
    } else {
        line.accepted = 0;
    }
}

// "Heading level" and "Contents level": the numbering style of one level.
void TakeLevelStyle(FC& set, PolicyLine& line, const TextString&, Special which) {
    TextString word;
    if (!line.text.GetField(3, ' ', &word)) {
        line.taken = 1;
        return;
    }
    int level = -1;
    if (!word.ToInteger('1', &level) || level < 0 || level > 5) {
        line.taken = 1;
        line.accepted = 0;
        return;
    }
    int equals = -1;
    TextString styleText;
    if (line.text.FindChar(0, '=', &equals, 1)) styleText.Assign(line.text.buffer + equals + 1);
    styleText.Trim(0, " ");
    HeadingLevelSpec& spec = which == Special::HeadingLevel ? set.headingLevels[static_cast<size_t>(level)]
                                                            : set.contentsLevels[static_cast<size_t>(level)];
    HeadingLevelSpec parsed;
    if (!parsed.Parse(level, styleText)) return;
    spec = parsed;
    set.CountNumberingPrefixes();
    line.taken = 1;
    line.category = 1;
    set.listSet.headingNumbering = 1;
    if (parsed.indent != -1) set.SetInt(Pol::ExpectSecondWordHeadings, 1, true);
}

void TakeBulletChar(FC& set, PolicyLine& line, const TextString&, Special) {
    if (Contains(line.text, "none")) {
        set.bulletCount = -1;
        line.taken = 1;
        line.category = 1;
        set.listSet.bulletChars = 1;
        return;
    }
    if (set.bulletCount >= 7) return;
    TextString quoted;
    line.taken = 1;
    line.category = 1;
    if (!line.text.GetField(2, '\'', &quoted) || quoted.length == 0) {
        line.accepted = 0;
        return;
    }
    char c = quoted.buffer[0];
    if (c == 'o') {
        set.SetInt(Pol::RecogniseOBullet, 1, true);
    } else if (c == '-') {
        set.SetInt(Pol::RecogniseDashBullet, 1, true);
    } else {
        if (set.bulletCount < 0) set.bulletCount = 0;
        set.bulletChars[static_cast<size_t>(set.bulletCount++)] = static_cast<unsigned char>(c);
    }
    set.listSet.bulletChars = 1;
}

// The special keys in the order they are offered, each with its handler.
struct SpecialKey {
    Special which;
    const char* key;
    SpecialHandler take;
};

const SpecialKey kSpecialKeys[] = {
    {Special::LinkDefinition, "Link definition", TakeLinkDefinition},
    {Special::TextCommand, "Text command", TakeTextCommand},
    {Special::RuleSet, "Rule set to be used", TakeRuleSet},
    {Special::IndentPositions, "Indent position(s)", TakeIndentPositions},
    {Special::HangingPositions, "Hanging paragraph position(s)", TakeHangingPositions},
    {Special::DocumentSections, "Include document section", TakeDocumentSections},
    {Special::DefinitionChar, "Definition Char", TakeDefinitionChar},
    {Special::UsenetGroups, "Recognised USENET groups", TakeUsenetGroups},
    {Special::RecognisedHeadings, " recognised headings", TakeRecognisedHeadings},
    {Special::HeadingLevel, "Heading level", TakeLevelStyle},
    {Special::ContentsLevel, "Contents level", TakeLevelStyle},
    {Special::BulletChar, "bullet char", TakeBulletChar},
};

// The fixed offering sequence: every policy of the catalogue in the writer's
// order, with the table policies of the default configuration after
// "Attempt TABLE generation", and then the special keys.  The special keys
// match anywhere in a line, so they come after the catalogue keys (which
// match only at its start): a line such as "Document Keywords : Link
// definition" belongs to its policy, not to the link dictionary.  Where one
// key begins with another, the longer is moved in front of the shorter so
// that it is offered first ("Output policy filename" before "Output policy
// file").
const std::vector<OfferStep>& OfferSequence() {
    static const std::vector<OfferStep> sequence = [] {
        std::vector<OfferStep> steps;
        for (int i = 0; i < kPolicyCount; ++i) {
            const PolicyDefinition& definition = GetPolicyDefinition(static_cast<Pol>(i));
            steps.push_back({OfferStep::Catalogue, definition.id, TabPol::Count, Special::None, definition.key});
            if (definition.id == Pol::AttemptTableGeneration) {
                for (TabPol id : TablePoliciesInWriterOrder())
                    steps.push_back(
                        {OfferStep::Table, Pol::Count, id, Special::None, GetTablePolicyDefinition(id).key});
            }
        }
        for (size_t i = 0; i < steps.size(); ++i) {
            for (size_t j = i + 1; j < steps.size(); ++j) {
                if (std::strlen(KeyOf(steps[j])) > std::strlen(KeyOf(steps[i])) &&
                    StartsWithNoCase(KeyOf(steps[j]), KeyOf(steps[i]))) {
                    OfferStep moved = steps[j];
                    steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(j));
                    steps.insert(steps.begin() + static_cast<std::ptrdiff_t>(i), moved);
                }
            }
        }
        for (const SpecialKey& special : kSpecialKeys)
            steps.push_back(
                {OfferStep::SpecialKey, Pol::Count, TabPol::Count, special.which, special.key, special.take});
        return steps;
    }();
    return sequence;
}

// Offers the line to one catalogue policy, then applies what the set derives
// from that policy's value.
void OfferToCatalogue(FC& set, PolicyLine& line, Pol policy) {
    PolicyValue& value = set.Policy(policy);
    value.ParseLine(line);
    if (policy == Pol::ExpectNumberedBullets || policy == Pol::ExpectAlphabeticBullets ||
        policy == Pol::ExpectRomanNumeralBullets) {
        if (set.IsOn(policy)) set.bulletsExpected = 1;
    }
    if (policy == Pol::DOSFilenameRoot) {
        TextString& root = set.TextPolicy(Pol::DOSFilenameRoot).tValue;
        if (root.length > 5) root.SubString(0, 5);
    }
}

// Offers the line to one table policy of the default configuration; a table
// layout it takes is applied at once.
void OfferToTablePolicy(FC& set, PolicyLine& line, TabPol tablePolicy) {
    PolicyValue& value = set.GetDefaultTabConfig()->Policy(tablePolicy);
    value.ParseLine(line);
    if (line.taken && tablePolicy == TabPol::TableLayout && line.accepted) {
        if (line.isNone)
            value.isSet = 0;
        else
            set.SetTableLayout(line.value.buffer);
    }
}

// Offers the line along the offering sequence until one step takes it.
void OfferAlongSequence(FC& set, PolicyLine& line, const TextString& original) {
    for (const OfferStep& step : OfferSequence()) {
        if (line.taken) break;
        switch (step.kind) {
            case OfferStep::Catalogue: OfferToCatalogue(set, line, step.policy); break;
            case OfferStep::Table: OfferToTablePolicy(set, line, step.tablePolicy); break;
            case OfferStep::SpecialKey:
                if (Contains(line.text, step.key)) step.take(set, line, original, step.special);
                break;
        }
    }
}

// Alternative spellings of keys, each offered to its own policy.
void OfferAlternativeKeys(FC& set, PolicyLine& line) {
    for (const AlternativeKey& alternative : kAlternativeKeys) {
        if (line.taken) break;
        line.alternativeKey.Assign(alternative.alternative);
        PolicyValue* value = set.FindPolicy(alternative.key);
        if (!value) {
            for (int i = 0; i < kTablePolicyCount; ++i) {
                PolicyValue& candidate = set.GetDefaultTabConfig()->Policy(static_cast<TabPol>(i));
                if (candidate.key.Matches(alternative.key, 0, 0)) value = &candidate;
            }
        }
        if (value) value->ParseLine(line);
    }
    line.alternativeKey.MakeEmpty();
}

}  // namespace

// ---------------------------------------------------------------------------
// The line parser

int FC::ParsePolicyLine(TextString& given, int& category, bool checkRepeats, bool* lineReported) {
    // Prepare the line: its reporter is the context's sink, else one of our own.
    static MessageReporter ownReporter;  // stays at its reset defaults
    PolicyLine line;
    line.Prepare(given.buffer);
    line.checkRepeats = checkRepeats ? 1 : 0;
    if (context) {
        line.reporter = &LoadReporter();
    } else {
        line.reporter = &ownReporter;
    }
    const TextString original(given);
    category = 0;
    if (lineReported) *lineReported = false;

    // Comments and empty lines are nothing; a line without its colon is reported.
    if (line.text.length == 0 || line.text.buffer[0] == '!' || line.text.buffer[0] == '#') return 0;
    if (line.text.CountChar(':') == 0 && !IsExcusedFromColon(line.text)) {
        TextString message("POLICY: Ignored - Missing colon in \"");
        message.Append(MessageExcerpt(line.text));
        message.AppendChar('"');
        ReportMessage(message.buffer, kLevelAlways);
        if (lineReported) *lineReported = true;
    }

    // The context's option groups, then the offering sequence, then the
    // alternative spellings.
    if (context) {
        context->optionGroups.skiv.ParseLine(line);
        context->optionGroups.formatting.ParseLine(line);
        context->optionGroups.mailTidy.ParseLine(line);
    }
    OfferAlongSequence(*this, line, original);
    OfferAlternativeKeys(*this, line);

    // A section header is taken as nothing.
    if (!line.taken && IsPolicySectionHeader(line.text)) {
        line.taken = 1;
        line.category = 0;
    }
    category = line.category;
    if (!line.taken) return 1;
    return line.accepted ? 0 : 2;
}

// ---------------------------------------------------------------------------
// The reader

bool FC::ReportRefusedFile(TextFile& reader) {
    std::string name, reason;
    if (!reader.TakeRefusal(&name, &reason)) return false;
    TextString message("ERROR: Can't read \"");
    message.Append(name.c_str());
    message.Append("\": ");
    message.Append(reason.c_str());
    OutputMessage(message.buffer, kLevelAlways);
    TheRunStatus().NoteFailure();
    return true;
}

int FC::ReadPolicyFile(TextFile& reader) {
    int result = 1;
    TextString folder, name, extension;
    const char* fileName = reader.GetTopFileName();
    SplitPath(TextString(fileName ? fileName : ""), &folder, &name, &extension);
    if (context) context->policyFolder = folder;

    auto openNested = [&](const TextString& value, bool isDictionary) {
        TextString resolved;
        ResolveRelativePath(folder, value, &resolved);
        bool opened = reader.OpenForRead(resolved.buffer);
        // The name beside the policy file says why it failed, unless it is
        // only missing there and the input directory says more.
        std::string reason = reader.openFailure;
        if (!opened && context && GetText(Pol::InputDirectory).length > 0) {
            ResolveRelativePath(GetText(Pol::InputDirectory), value, &resolved);
            opened = reader.OpenForRead(resolved.buffer);
            if (reason == SystemErrorText(ENOENT)) reason = reader.openFailure;
        }
        if (!opened && ReportRefusedFile(reader)) {
            result = 0;
        } else if (!opened) {
            TextString message(isDictionary ? "** Failed to open Link Dictionary file "
                                            : "** Failed to open policy include file ");
            message.Append(value);
            message.Append(" ***");
            AppendReason(message, reason);
            ReportMessage(message.buffer, kLevelAlways);
            TheRunStatus().NoteFailure();
            result = 0;
        }
    };

    TextString line;
    while (reader.ReadLine(line)) {
        while (line.length > 0 && (line.buffer[line.length - 1] == '\r' || line.buffer[line.length - 1] == '\n'))
            line.SubString(0, line.length - 1);
        bool comment = line.length > 0 && line.buffer[0] == '!';
        TextString value;
        int colon = -1;
        if (line.FindChar(0, ':', &colon, 1)) {
            value.Assign(line.buffer + colon + 1);
            value.Trim(0, " ");
        }
        bool none = value.Matches("(none)", 0, 0) || value.Matches("none", 0, 0);
        if (comment) continue;

        // The parser reports a missing colon; each line is quoted in one
        // message at most.
        TextString given(line);
        int category = 0;
        bool lineReported = false;
        int parsed = ParsePolicyLine(given, category, true, &lineReported);

        // A link dictionary file is opened whether or not the policy of the
        // same name took the line.
        if (line.FindNoCase("Link Dictionary File") && !none && value.length > 0) {
            openNested(value, true);
            continue;
        }
        if (parsed == 0) continue;
        if (line.FindNoCase("Switch to file")) {
            if (none || value.length == 0) continue;
            TextString resolved;
            ResolveRelativePath(folder, value, &resolved);
            if (!reader.SwitchToFile(resolved.buffer)) {
                if (!ReportRefusedFile(reader)) {
                    TextString message("** Failed to open policy include file ");
                    message.Append(value);
                    message.Append(" ***");
                    AppendReason(message, reader.openFailure);
                    ReportMessage(message.buffer, kLevelAlways);
                }
                TheRunStatus().NoteFailure();
                result = 0;
            }
            continue;
        }
        if (line.FindNoCase("include file")) {
            if (!none && value.length > 0) openNested(value, false);
            continue;
        }
        if (line.FindNoCase("Link Dictionary File")) continue;  // its value is none
        TextString trimmed(line);
        trimmed.Trim(0, " ");
        if (trimmed.length > 0) {
            if (!lineReported) {
                TextString message("POLICY: Ignored - \\");
                message.Append(MessageExcerpt(line));
                message.AppendChar('\\');
                ReportMessage(message.buffer, kLevelAlways);
            }
            result = 0;
        }
    }
    if (context) context->styleSet.ReadStylesFile(this);
    ApplyRuleSetAndFormatDefaults(0);
    return result;
}

// ---------------------------------------------------------------------------
// The writer's sections

namespace {

// Writes a policy set section by section.  Every section writer says
// whether it wrote its heading.
class PolicyFileWriter {
public:
    PolicyFileWriter(const FC& set, TextFile& sink, bool all) : set_(set), sink_(sink), all_(all) {}

    // One section of the file.
    struct Section {
        PolicySection section;  // NotWritten for the rule set, which has no catalogue policies
        const char* name;
        bool (PolicyFileWriter::*write)(const Section&);
        // The first five sections count whether or not they are written, so
        // that they keep their single empty line.
        bool countedWhenSkipped;
    };

    void Write();

private:
    static const Section kSections[];  // in the order they are written

    const FC& set_;
    TextFile& sink_;
    bool all_;
    int sectionsWritten_ = 0;

    void Heading(const char* name) {
        ++sectionsWritten_;
        sink_.PutLine("");
        if (sectionsWritten_ > 5) sink_.PutLine("");
        sink_.PutLine(name);
        sink_.PutLine("");
    }
    template <typename Ids>
    bool AnySet(const Ids& ids) const {
        for (Pol id : ids)
            if (set_.IsSet(id)) return true;
        return false;
    }
    void WritePolicy(Pol id) {
        const PolicyDefinition& definition = GetPolicyDefinition(id);
        if (definition.onlyWhenSet && !set_.IsSet(id)) return;
        if (definition.optionalInt && id != Pol::ErrorReportingLevel)
            WriteOptionalIntLine(sink_, all_, dynamic_cast<const IntPolicyValue&>(set_.Policy(id)));
        else
            set_.Policy(id).WriteLine(sink_, all_);
    }
    static std::vector<Pol> SectionPolicies(PolicySection section) {
        std::vector<Pol> ids;
        for (int i = 0; i < kPolicyCount; ++i)
            if (GetPolicyDefinition(static_cast<Pol>(i)).section == section) ids.push_back(static_cast<Pol>(i));
        return ids;
    }
    // A plain section: heading when anything is to be written, then its policies.
    bool PlainSection(PolicySection section, const char* name, bool extra = false) {
        std::vector<Pol> ids = SectionPolicies(section);
        if (!all_ && !AnySet(ids) && !extra) return false;
        Heading(name);
        for (Pol id : ids) WritePolicy(id);
        return true;
    }
    // A group of policies preceded by an empty line when anything of it is written.
    void SubGroup(std::initializer_list<Pol> ids, bool blankLine) {
        if (!all_ && !AnySet(ids)) return;
        if (blankLine) sink_.PutLine("");
        for (Pol id : ids) WritePolicy(id);
    }
    // A list line: its key, then the list's words, or "(none)".
    void ListLine(const char* key, const StringList& list) {
        TextString line(key);
        if (list.count == 0) {
            line.Append("(none)");
        } else {
            TextString joined;
            list.Join(&joined, " ");
            line.Append(joined);
        }
        sink_.PutLine(line.buffer);
    }

    bool Plain(const Section& section) { return PlainSection(section.section, section.name); }
    bool RuleSet(const Section& section);
    bool GeneralAnalysis(const Section& section);
    void PositionLines();
    void DefinitionLines();
    void ParagraphAndAnalysisGroups(const std::vector<Pol>& ids);
    bool Bullets(const Section& section);
    bool Headings(const Section& section);
    void HeadingNumberingLines();
    bool CompositionUnits(const Section& section);
    bool Hyperlinks(const Section& section);
    bool FileGeneration(const Section& section);
    bool Preprocessor(const Section& section);
    bool TableGeneration(const Section& section);
    bool LinkDictionary(const Section& section);
    bool TextSubstitution(const Section& section);
};

using W = PolicyFileWriter;
const W::Section W::kSections[] = {
    {PolicySection::NotWritten, "[Rule Set]", &W::RuleSet, true},
    {PolicySection::Messages, "[Messages]", &W::Plain, true},
    // Whatever the rule set: a saved file keeps the markup policies a file
    // or the user gave ("Add FONT markup" without a rule set).
    {PolicySection::Tarnell, "[Tarnell]", &W::Plain, true},
    {PolicySection::Tagging, "[Tagging]", &W::Plain, true},
    {PolicySection::GeneralAnalysis, "[General Analysis]", &W::GeneralAnalysis, true},
    {PolicySection::Bullets, "[Bullets]", &W::Bullets, false},
    {PolicySection::Headings, "[Headings]", &W::Headings, false},
    {PolicySection::PreFormatted, "[Pre-formatted text]", &W::Plain, false},
    {PolicySection::AddedHTML, "[Added HTML]", &W::Plain, false},
    {PolicySection::AddedRTF, "[Added RTF]", &W::Plain, false},
    {PolicySection::CompositionUnits, "[Composition Units]", &W::CompositionUnits, false},
    {PolicySection::Frames, "[Frames]", &W::Plain, false},
    {PolicySection::Hyperlinks, "[Hyperlinks]", &W::Hyperlinks, false},
    {PolicySection::FileGeneration, "[File generation]", &W::FileGeneration, false},
    {PolicySection::Contents, "[Contents]", &W::Plain, false},
    {PolicySection::DirectoryPage, "[Directory Page]", &W::Plain, false},
    {PolicySection::Preprocessor, "[Preprocessor]", &W::Preprocessor, false},
    {PolicySection::Style, "[Style]", &W::Plain, false},
    {PolicySection::PageFormatting, "[Page Formatting]", &W::Plain, false},
    {PolicySection::TableGeneration, "[Table generation]", &W::TableGeneration, false},
    {PolicySection::LinkDictionary, "[Link Dictionary]", &W::LinkDictionary, false},
    {PolicySection::TextSubstitution, "[Text Substitution]", &W::TextSubstitution, false},
};

void PolicyFileWriter::Write() {
    if (set_.context) {
        set_.context->optionGroups.skiv.Write(sink_, all_);
        set_.context->optionGroups.formatting.Write(sink_, all_);
        set_.context->optionGroups.mailTidy.Write(sink_, all_);
    }
    for (const Section& section : kSections)
        if (!(this->*section.write)(section) && section.countedWhenSkipped) ++sectionsWritten_;
}

bool PolicyFileWriter::RuleSet(const Section& section) {
    if (!all_ && !set_.ruleSetChosen) return false;
    Heading(section.name);
    switch (set_.ruleSetCode) {
        case kRuleSetNone: sink_.PutLine("Rule set to be used              : (none)"); break;
        case kRuleSetTarnell: sink_.PutLine("Rule set to be used              : Tarnell"); break;
        case kRuleSetSec: sink_.PutLine("Rule set to be used              : SEC"); break;
        default: set_.ReportMessage("UNSUPPORTED CASE: Unexpected Rule Set", kLevelAlways); break;
    }
    return true;
}

bool PolicyFileWriter::GeneralAnalysis(const Section& section) {
    std::vector<Pol> ids = SectionPolicies(section.section);
    const PolicyListFlags& listSet = set_.listSet;
    bool lists = listSet.indentPositions || listSet.hangingPositions || listSet.definitionChars;
    if (!all_ && !AnySet(ids) && !lists) return false;
    Heading(section.name);
    PositionLines();
    DefinitionLines();
    SubGroup({Pol::PageWidth, Pol::TabSize, Pol::TextJustification}, true);
    ParagraphAndAnalysisGroups(ids);
    return true;
}

// The indent and hanging paragraph positions.
void PolicyFileWriter::PositionLines() {
    if (all_ || set_.listSet.indentPositions) {
        if (set_.indentCount <= 0) {
            sink_.PutLine("Indent position(s)               : (none)");
        } else {
            TextString line("Indent position(s)               : ");
            for (int i = 0; i < set_.indentCount && i < 6; ++i)
                line.AppendNumber('1', set_.indentPositions[static_cast<size_t>(i)], 1);
            sink_.PutLine(line.buffer);
        }
    }
    if (all_ || set_.listSet.hangingPositions) {
        if (set_.IsOn(Pol::LookForHangingParagraphs) && set_.hangingCount > 0) {
            TextString line("Hanging paragraph position(s)    : ");
            for (int i = 0; i < set_.hangingCount && i < 6; ++i)
                line.AppendNumber('1', set_.hangingPositions[static_cast<size_t>(i)], 1);
            sink_.PutLine(line.buffer);
        } else {
            sink_.PutLine("Hanging paragraph position(s)    : (none)");
        }
    }
}

// "Search for definitions" and the definition characters.
void PolicyFileWriter::DefinitionLines() {
    if (!all_ && !set_.IsSet(Pol::SearchForDefinitions) && !set_.listSet.definitionChars) return;
    sink_.PutLine("");
    WritePolicy(Pol::SearchForDefinitions);
    if (all_ || set_.listSet.definitionChars) {
        // "(none)" first, so that a character that is off stays off when read back.
        sink_.PutLine("Definition Char                  : (none)");
        if (set_.dashDefinition)
            sink_.PutLine(set_.dashStrong ? "Definition Char                  : '-' (strong) "
                                          : "Definition Char                  : '-' (weak)");
        if (set_.colonDefinition)
            sink_.PutLine(set_.colonStrong ? "Definition Char                  : ':' (strong) "
                                           : "Definition Char                  : ':' (weak) ");
    }
}

// The input and paragraph policies, then the analysis policies from "Keep it
// simple" to "Minimum ruler length".
void PolicyFileWriter::ParagraphAndAnalysisGroups(const std::vector<Pol>& ids) {
    std::vector<Pol> paragraphs = {Pol::ExpectBlankLinesBetweenParas,
                                   Pol::NewParagraphOffset,
                                   Pol::PreserveNewParagraphOffset,
                                   Pol::InputJapanese,
                                   Pol::InputDOSCharacters,
                                   Pol::InputPCLCodes,
                                   Pol::InputUnicode,
                                   Pol::InputMIME,
                                   Pol::InputDoubleSpaced,
                                   Pol::InputChangeBars,
                                   Pol::InputPageMarkers};
    // The marker size goes with the markers, and is kept when given
    // without them.
    if (set_.IsOn(Pol::InputPageMarkers) || set_.IsSet(Pol::PageMarkerSize))
        paragraphs.push_back(Pol::PageMarkerSize);
    if (all_ || AnySet(paragraphs)) {
        sink_.PutLine("");
        for (Pol id : paragraphs) WritePolicy(id);
    }
    std::vector<Pol> analysis;
    bool inRange = false;
    for (Pol id : ids) {
        if (id == Pol::KeepItSimple) inRange = true;
        if (inRange) analysis.push_back(id);
        if (id == Pol::MinimumRulerLength) inRange = false;
    }
    if (all_ || AnySet(analysis)) {
        sink_.PutLine("");
        for (Pol id : analysis) WritePolicy(id);
    }
}

bool PolicyFileWriter::Bullets(const Section& section) {
    if (!PlainSection(section.section, section.name, set_.listSet.bulletChars != 0)) return false;
    if (!all_ && !set_.listSet.bulletChars) return true;
    sink_.PutLine("");
    if (set_.bulletCount <= 0) sink_.PutLine("Bullet Char                      : (none)");
    if (set_.ownBulletSwitch) {
        for (int i = 0; i < set_.bulletCount && i < 8; ++i) {
            TextString line("Bullet Char                      : '");
            line.AppendChar(static_cast<char>(set_.bulletChars[static_cast<size_t>(i)]));
            line.AppendChar('\'');
            sink_.PutLine(line.buffer);
        }
    }
    return true;
}

// [Headings]: "Expect Second Word Headings" is written once, with the
// numbering lines when they are written, else with the other policies.
bool PolicyFileWriter::Headings(const Section& section) {
    std::vector<Pol> ids = SectionPolicies(section.section);
    bool numbering = all_ || set_.listSet.headingNumbering;
    if (!all_ && !AnySet(ids) && !set_.listSet.headingNumbering) return false;
    Heading(section.name);
    for (Pol id : ids)
        if (!(numbering && id == Pol::ExpectSecondWordHeadings)) WritePolicy(id);
    if (numbering) HeadingNumberingLines();
    return true;
}

void PolicyFileWriter::HeadingNumberingLines() {
    WritePolicy(Pol::ExpectSecondWordHeadings);
    sink_.PutLine("");
    TextString count("We have ");
    count.AppendNumber('1', set_.recognisedHeadings, 1);
    count.Append(" recognised headings");
    sink_.PutLine(count.buffer);
    for (int pass = 0; pass < 2; ++pass) {
        for (int level = 0; level < set_.recognisedHeadings && level < 6; ++level) {
            TextString line(pass == 0 ? "    Heading level " : "    Contents level ");
            line.AppendNumber('1', level, 0);
            line.Append(" = ");
            TextString style;
            const HeadingLevelSpec& spec = pass == 0 ? set_.headingLevels[static_cast<size_t>(level)]
                                                     : set_.contentsLevels[static_cast<size_t>(level)];
            spec.Format(level, &style);
            line.Append(style);
            sink_.PutLine(line.buffer);
        }
    }
}

bool PolicyFileWriter::CompositionUnits(const Section& section) {
    if (!all_ && !set_.IsOn(Pol::InputIsCompositionUnit)) return false;
    Heading(section.name);
    WritePolicy(Pol::InputIsCompositionUnit);
    return true;
}

bool PolicyFileWriter::Hyperlinks(const Section& section) {
    if (!PlainSection(section.section, section.name, set_.listSet.usenetGroups != 0)) return false;
    if (all_ || set_.listSet.usenetGroups) ListLine("Recognised USENET groups         : ", set_.usenetGroups);
    return true;
}

bool PolicyFileWriter::FileGeneration(const Section& section) {
    std::vector<Pol> ids = SectionPolicies(section.section);
    if (!all_ && !AnySet(ids)) return false;
    Heading(section.name);
    SubGroup({Pol::HTMLVersion, Pol::UseHTMExtension, Pol::OutputFileExtension}, false);
    SubGroup({Pol::UseDOSFilenames, Pol::DOSFilenameRoot}, true);
    std::vector<Pol> rest(std::find(ids.begin(), ids.end(), Pol::SplitLevel), ids.end());
    if (all_ || AnySet(rest)) {
        sink_.PutLine("");
        for (Pol id : rest) WritePolicy(id);
    }
    return true;
}

bool PolicyFileWriter::Preprocessor(const Section& section) {
    if (!PlainSection(section.section, section.name, set_.listSet.sectionFilter != 0)) return false;
    if (all_ || set_.listSet.sectionFilter) ListLine("Include document section(s)      : ", set_.sectionFilter);
    return true;
}

// "Attempt TABLE generation", then the policies of the default table configuration.
bool PolicyFileWriter::TableGeneration(const Section& section) {
    const TabConfig* table = set_.GetDefaultTabConfig();
    bool anyTableSet = false;
    for (TabPol id : TablePoliciesInWriterOrder()) anyTableSet = anyTableSet || table->IsSet(id);
    if (!all_ && !set_.IsSet(Pol::AttemptTableGeneration) && !anyTableSet) return false;
    Heading(section.name);
    WritePolicy(Pol::AttemptTableGeneration);
    for (TabPol id : TablePoliciesInWriterOrder()) {
        const PolicyValue& value = table->Policy(id);
        if (GetTablePolicyDefinition(id).onlyWhenSet && !table->IsSet(id)) continue;
        if (GetTablePolicyDefinition(id).optionalInt)
            WriteOptionalIntLine(sink_, all_, dynamic_cast<const IntPolicyValue&>(value));
        else
            value.WriteLine(sink_, all_);
    }
    return true;
}

// The file policy, then the definitions themselves, with or without the heading.
bool PolicyFileWriter::LinkDictionary(const Section& section) {
    bool written = all_ || set_.IsSet(Pol::LinkDictionaryFile);
    if (written) {
        Heading(section.name);
        WritePolicy(Pol::LinkDictionaryFile);
    }
    set_.WriteLinkDictionary(sink_);
    return written;
}

// The file policy, then the text commands themselves, with or without the heading.
bool PolicyFileWriter::TextSubstitution(const Section& section) {
    bool written = all_ || set_.IsSet(Pol::TextSubstitutionFile);
    if (written) {
        Heading(section.name);
        WritePolicy(Pol::TextSubstitutionFile);
    }
    set_.GetTextCommands().Write(sink_);
    return written;
}

}  // namespace

// ---------------------------------------------------------------------------
// The writer

void FC::WritePolicyFile(TextFile& sink, bool all) const { PolicyFileWriter(*this, sink, all).Write(); }
