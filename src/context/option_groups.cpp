#include "context/option_groups.h"

#include <iterator>
#include <string_view>

#include "context/code_locations.h"
#include "context/context.h"
#include "policies/fc.h"

// ---------------------------------------------------------------------------
// Option groups

namespace {

enum GroupSlot : int { kGroupSkiv = 1, kGroupMailTidy = 2, kGroupFormatting = 3, kGroupHeaders = 4 };

struct OptionDefinition {
    int group;
    int id;
    int kind;
    int defaultNumber;
    const char* defaultText;  // Text values only
    const char* key;  // kept exactly as policy files write it
};

constexpr int kBool = kPolicyBool;
constexpr int kInt = kPolicyInt;
constexpr int kText = kPolicyText;

// Every option value in the order it is added to its group.
constexpr OptionDefinition kOptionDefinitions[] = {
    {kGroupSkiv, kOptRemoveAllTags, kBool, 1, nullptr, "Remove all tags"},
    {kGroupSkiv, kOptRemoveAllHTMLTags, kBool, 0, nullptr, "Remove all HTML tags"},
    {kGroupSkiv, kOptRemoveNonHTMLTags, kBool, 1, nullptr, "Remove all non-HTML tags"},
    {kGroupSkiv, kOptRemoveMailXTags, kBool, 1, nullptr, "Remove all x-tags used in mail messages"},
    {kGroupSkiv, kOptRemoveOfficeTags, kBool, 1, nullptr, "Remove Microsoft Office tags"},
    {kGroupSkiv, kOptRemoveComments, kBool, 0, nullptr, "Remove HTML-style comments"},
    {kGroupSkiv, kOptRemoveHeadSection, kBool, 0, nullptr, "Remove HTML <HEAD> section"},
    {kGroupSkiv, kOptRemoveScriptSection, kBool, 0, nullptr, "Remove HTML <SCRIPT> section"},
    {kGroupSkiv, kOptRemoveStyleSheet, kBool, 0, nullptr, "Remove style sheet"},
    {kGroupSkiv, kOptRemoveFontTags, kBool, 0, nullptr, "Remove HTML <FONT> tags"},
    {kGroupSkiv, kOptRemoveSpanSection, kBool, 0, nullptr, "Remove HTML <SPAN> section"},
    {kGroupSkiv, kOptRemoveEmphasisTags, kBool, 0, nullptr, "Remove empahsis tags"},
    {kGroupSkiv, kOptReplaceHyperlinks, kBool, 0, nullptr, "Replace hyperlinks by the display value"},
    {kGroupSkiv, kOptRemoveImageTags, kBool, 0, nullptr, "Remove HTML <IMG> tags"},
    {kGroupSkiv, kOptRemoveNonStandardTags, kBool, 0, nullptr, "Remove non-standard tags"},
    {kGroupSkiv, kOptRemoveNonStandardAttributes, kBool, 0, nullptr, "Remove non-standard tag attributes"},
    {kGroupSkiv, kOptKeepDeprecatedTags, kBool, 1, nullptr, "Keep deprecated tags"},
    {kGroupSkiv, kOptKeepDeprecatedAttributes, kBool, 1, nullptr, "Keep deprecated tag attributes"},
    {kGroupSkiv, kOptReplaceEntities, kBool, 0, nullptr, "Replace entities by text"},
    {kGroupSkiv, kOptAllow8BitAnsi, kBool, 1, nullptr, "Allow 8-bit ANSI values in output"},
    {kGroupSkiv, kOptAllowAnsiAlternatives, kBool, 1, nullptr, "Allow ANSI alternatives (e.g. space for &nbsp;)"},
    {kGroupSkiv, kOptTagsToLowerCase, kBool, 0, nullptr, "Convert tags to lower case"},
    {kGroupSkiv, kOptTagsToUpperCase, kBool, 0, nullptr, "Convert tags to upper case"},
    {kGroupSkiv, kOptUnicodeMarker, kBool, 0, nullptr, "May add Unicode marker to output file"},
    {kGroupFormatting, kOptSentenceGap, kBool, 0, nullptr, "Insert gap between sentences"},
    {kGroupFormatting, kOptRightJustify, kBool, 0, nullptr, "Right justify the output text"},
    {kGroupFormatting, kOptImageMarker, kBool, 0, nullptr, "Replace <IMG> tags by a text marker"},
    {kGroupFormatting, kOptOmitLocalLinks, kBool, 0, nullptr, "Omit local hyperlinks from the output"},
    {kGroupFormatting, kOptOmitEmailLinks, kBool, 0, nullptr, "Omit email hyperlinks from the output"},
    {kGroupFormatting, kOptRemoveRules, kBool, 0, nullptr, "Remove all horizontal rules and lines"},
    {kGroupFormatting, kOptURLReferences, kBool, 1, nullptr, "Add URL references at end of file"},
    {kGroupFormatting, kOptHighlightEmphasis, kBool, 1, nullptr, "Highlight *bold* and _italic_ text"},
    {kGroupFormatting, kOptImposePageWidth, kBool, 1, nullptr, "Impose a page width on the output"},
    {kGroupFormatting, kOptTargetPageWidth, kInt, 72, nullptr, "Target Page width"},
    {kGroupFormatting, kOptDialogueLines, kBool, 0, nullptr, "Look for dialogue lines"},
    {kGroupFormatting, kOptDialogueChecks, kBool, 0, nullptr, "Apply extra dialogue checks"},
    {kGroupFormatting, kOptDialogueBreaks, kBool, 0, nullptr, "Break lines where dialogue starts in the middle"},
    {kGroupFormatting, kOptPreserveShortLines, kBool, 1, nullptr, "Preserve short lines"},
    {kGroupFormatting, kOptShortLinesEndParagraphs, kBool, 1, nullptr, "Treat short lines as paragraph endings"},
    {kGroupFormatting, kOptPreserveWhiteSpace, kBool, 0, nullptr,
     "Preserve all white space from the original source"},
    {kGroupFormatting, kOptTableBorders, kBool, 0, nullptr, "Add border to all tables"},
    {kGroupFormatting, kOptAdjustTableWidth, kBool, 1, nullptr, "Adjust table to page width"},
    {kGroupFormatting, kOptParseTables, kBool, 1, nullptr, "Attempt to parse tables"},
    {kGroupFormatting, kOptNoNestedTableBorders, kBool, 1, nullptr, "Suppress borders on nested tables"},
    {kGroupFormatting, kOptTextForOmittedLinks, kText, 0, "[removed link]", "Text to replace omitted links by"},
    {kGroupFormatting, kOptFirstLineIndent, kInt, 0, nullptr, "First line indent for paragraphs"},
    {kGroupHeaders, kOptByLineAsAuthor, kBool, 0, nullptr, "Allow by-line to be used for Author field"},
    {kGroupMailTidy, kOptMailSeparator, kBool, 0, nullptr, "Insert separator betweeen email messages"},
    {kGroupMailTidy, kOptHTMLMailNotes, kBool, 0, nullptr, "Add notes when email converted from HTML"},
    {kGroupMailTidy, kOptDiscardNotes, kBool, 0, nullptr, "Add notes when components are discarded"},
    {kGroupMailTidy, kOptSimplifyMailHeaders, kBool, 0, nullptr, "Simnpliy the mail headers"},
    {kGroupMailTidy, kOptHeaderDetailLevel, kBool, 0, nullptr, "Level of header details wanted (0-10)"},
    {kGroupMailTidy, kOptDiscardNonAnsiMessages, kBool, 0, nullptr, "Discard any non-ANSI messages (e.g. Chinese)"},
};
static_assert(std::size(kOptionDefinitions) == 53);

constexpr int kOptionCategory = 4;

}  // namespace

TagRemovalOptionList::TagRemovalOptionList() {
    skiv.SetSection(1, "[Skiv]");
    mailTidy.SetSection(2, "[Mail Tidy]");
    formatting.SetSection(4, "[Text formatting]");
    headers.SetSection(4, "[Text headers/footers]");
    for (const OptionDefinition& option : kOptionDefinitions) {
        PolicyGroup* group = &skiv;
        if (option.group == kGroupMailTidy) group = &mailTidy;
        if (option.group == kGroupFormatting) group = &formatting;
        if (option.group == kGroupHeaders) group = &headers;
        // The values of "[Skiv]" carry its section code; all others carry 4,
        // whatever their group's own code.
        int sectionCode = option.group == kGroupSkiv ? 1 : 4;
        const void* defaultValue = option.kind == kText ? static_cast<const void*>(option.defaultText)
                                                        : static_cast<const void*>(&option.defaultNumber);
        group->Add(option.id, option.kind, sectionCode, kOptionCategory, defaultValue, nullptr, option.key);
    }
}

void TagRemovalOptionList::ResetAll() {
    skiv.ResetAll();
    mailTidy.ResetAll();
    formatting.ResetAll();
    headers.ResetAll();
}

// ---------------------------------------------------------------------------
// The tag remover's options record

void TagRemovalOptions::Reset() { *this = TagRemovalOptions(); }

// ---------------------------------------------------------------------------
// Font changes

void Context::ChangeFont(FC* set, const FontSpec& font, int deferred) {
    DocumentState& state = documentState;
    // While output is written, only documents that change fonts in-line
    // (FONT, COLOUR or COLOR tags) get font changes at all.
    if (IsOutputPass() && !state.headingSwitches[DocumentState::kFontTagsUsed]) return;

    if (deferred) {
        if (state.pendingFontFlag) {
            const char* message = "INFO: Unimplemented font change being discarded";
            if (set)
                set->ReportMessage(message, kLevelAlways);
            else
                sink.OutputMessage(message, kLevelAlways);
        }
        state.pendingFontFlag = 1;
        state.pendingFont = font;
        return;
    }

    // The caller's font may be the pending font itself: work from a copy
    // (assignment keeps the font's own "set" mark).
    FontSpec newFont;
    newFont = font;
    state.pendingFontFlag = 0;
    state.pendingFont.Reset();
    for (BlockList* list : {&state.blocks, &state.savedBlocks}) {
        for (int i = 0; i < list->Count(); ++i) {
            BlockEntry* block = list->GetAt(i);
            block->fontChanged = 1;
            block->blockFont = newFont;
        }
    }
    state.currentFont = newFont;
    state.currentBold = newFont.bold;
    state.currentItalic = newFont.italic;
}

void Context::ApplyPendingFontChange(FC* set) {
    DocumentState& state = documentState;
    if (!state.pendingFontFlag) return;
    FontSpec font(state.pendingFont);
    state.pendingFontFlag = 0;
    state.pendingFont.Reset();
    ChangeFont(set, font, 0);
}

// ---------------------------------------------------------------------------
// ALLOW and DISALLOW

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlankOrTab(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankOrTab(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsWord(std::string_view field, const char* word) {
    std::string_view expected(word);
    if (field.size() != expected.size()) return false;
    for (size_t i = 0; i < field.size(); ++i)
        if (ToUpperAscii(field[i]) != ToUpperAscii(expected[i])) return false;
    return true;
}

void SetPermissions(Tracker* tracker, int first, int last, int value) {
    for (int slot = first; slot <= last; ++slot) tracker->permissions[static_cast<size_t>(slot)] = value;
}

}  // namespace

void ApplyAllowDirective(FC* set, Tracker* tracker, const char* directiveText, int allow) {
    if (!tracker || !directiveText) return;
    Context* context = set ? set->context : nullptr;
    const int value = allow ? 1 : 0;

    // The directive keyword as the context's keyword table has it; without a
    // context, the set's directive prefix (or the default one) and the name.
    TextString keyword;
    if (context) {
        keyword = context->directives[allow ? kDirAllow : kDirDisallow];
    } else {
        keyword.Assign(set ? set->GetText(Pol::DirectiveDelimiter).buffer : "$_$_");
        keyword.Append(GetDirectiveName(allow ? kDirAllow : kDirDisallow));
    }

    // Take the first occurrence of the keyword out of the line, whatever its
    // case, so that "$_$_allow Lists" reads like "$_$_ALLOW Lists".
    TextString rest(directiveText);
    int position = -1;
    if (keyword.length > 0 && rest.Find(0, keyword.buffer, &position, 0)) {
        TextString remainder(rest.buffer + position + keyword.length);
        rest.SubString(0, position);
        rest.Append(remainder);
    }

    std::string_view fields = TrimBlanks(rest.view());
    while (!fields.empty()) {
        size_t comma = fields.find(',');
        std::string_view field = TrimBlanks(fields.substr(0, comma));
        fields = comma == std::string_view::npos ? std::string_view() : fields.substr(comma + 1);
        if (field.empty()) continue;  // "Headings,,Lists" or a trailing comma names nothing

        if (EqualsWord(field, "Headings")) {
            SetPermissions(tracker, kAllowHeading1, kAllowHeading3, value);
        } else if (EqualsWord(field, "Lists")) {
            SetPermissions(tracker, kAllowList1, kAllowList4, value);
        } else if (EqualsWord(field, "All")) {
            SetPermissions(tracker, kAllowHeading1, kAllowList4, value);
        } else if (EqualsWord(field, "Reset")) {
            SetPermissions(tracker, kAllowHeading1, kAllowList4, 1 - value);
        } else if (context && context->trackers.codeLocation == kAnalysingLines && context->IsOutputPass()) {
            // Only the line analysis of a file being written reports the
            // word; the other passes over the same line stay silent.
            TextString message(allow ? "TAG ERROR: Unknown ALLOW command : \""
                                     : "TAG ERROR: Unknown DISALLOW command : \"");
            message.AppendBytes(field.data(), static_cast<int>(field.size()));
            message.AppendChar('"');
            set->ReportMessage(message.buffer, kLevelAlways);
        }
    }
}
