#include "context/context.h"

#include <cstdio>
#include <cstring>

#include "analysis/analysed_line.h"
#include "context/code_locations.h"
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "foundation/run_status.h"
#include "foundation/text_line.h"
#include "foundation/utilities.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

// The level session lines are shown at: that of errors, shown at every
// reporting level.
constexpr int kSessionLineLevel = kLevelAlways;

}  // namespace

// ---------------------------------------------------------------------------
// Trackers

void Tracker::Reset() {
    value0 = 0;
    value1 = 1;
    permissions.fill(1);
    counter = 0;
    position.Clear();
    outerPosition.Clear();
    currentLine = nullptr;
    inContents = 0;
    inHTML = 0;
    int1 = 0;
    int2 = 0;
    text.MakeEmpty();
}

void TrackerSet::Reset() {
    blockClosed = 0;
    for (int& value : ints1) value = 0;
    list.Clear();
    listText.MakeEmpty();
    int2 = 0;
    text2.MakeEmpty();
    definitionUnits = 0;
    for (int& value : ints3) value = 0;
    position.Clear();
    text3.MakeEmpty();
    ruleWidth.Assign("800");
    ruleWidthPercent.Assign("100%");
    ruleHeight.Assign("2");
    ruleAlignment.Assign("CENTER");
    for (int& value : ints4) value = 0;
    text4.MakeEmpty();
    text5.MakeEmpty();
    for (int& value : ints5) value = 0;
    pendingFont.Reset();
    secondFont.Reset();
    input.Reset();
    analysis.Reset();
    output.Reset();
    codeLocation = kNoCodeLocation;
}

// ---------------------------------------------------------------------------
// Construction

Context::Context(const int& product, const int& format) : ownPolicies(std::make_unique<FC>()) {
    documentState.nameValuePairs.reset();
    documentState.replacementHeadings.reset();
    documentState.outputFiles.Clear();
    documentState.metaTags.clear();
    ResetRunParameters();
    ResetRunLists();
    pendingLog.MakeEmpty();
    logInts[0] = logInts[1] = 0;
    ResetStyleSet();
    StartNewFile("");
    ResetTagDefaults();
    RegisterInlineTagKeywords(nullptr);
    RegisterDirectiveKeywords(nullptr);
    sink.Reset();
    productCode = product;
    outputFormat = format;
    optionGroups.ResetAll();
    if (outputFormat == kOutputRTF) {
        documentState.pendingFont.SetSize(10);
        documentState.currentFont.SetSize(10);
    }
    member10 = 0;
}

Context::~Context() {
    sink.SetLogFile(nullptr);
    ownPolicies.reset();
}

void Context::ResetRunParameters() { runParameters = RunParameters{}; }

void Context::ResetRunLists() {
    inputFiles.Clear();
    policyFiles.Clear();
    steeringLines.Clear();
    runCounters.fill(0);
    runText.MakeEmpty();
    // Each run numbers its tables from "table_0".
    tableCounter = 0;
}

void Context::StartNewFile(const char* inputFileName) {
    if (ownPolicies) ownPolicies->ResetPolicies(nullptr);
    DocumentState& state = documentState;
    state.annotationOutput = nullptr;
    state.analysisPass = 1;
    state.secondPass = 0;
    state.htmlOutput = 0;
    state.outputInt = 0;
    state.rtfOutput = 0;
    state.statistics.Reset();

    state.inputFileName.Assign(inputFileName ? inputFileName : "");
    SplitPath(state.inputFileName, &state.inputDirectory, &state.inputName, &state.inputExtension);

    for (TextString& text : state.texts) text.MakeEmpty();
    for (size_t i = 0; i < 4 && i < state.documentTexts.size(); ++i) state.documentTexts[i].MakeEmpty();
    state.defines.Clear();
    state.tags.Clear();
    state.list1.Clear();
    state.blocks.Clear();
    state.savedBlocks.Clear();
    state.currentFont.Reset();
    state.pendingFont.Reset();
    if (outputFormat == kOutputRTF) {
        state.pendingFont.SetSize(10);
        state.currentFont.SetSize(10);
    }
    state.list2.Clear();

    state.index = -1;
    state.switch1 = 0;
    state.pendingFontFlag = 0;
    state.currentBold = 0;
    state.currentItalic = 0;
    state.headingSwitches.fill(0);
    state.fileSwitches.fill(0);

    state.outputFiles.Clear();
    state.outputCounter = 0;
    state.headingInt = 0;
    state.currentIndentLevel = 0;
    state.pendingVerticalSpace = 0;
    state.documentStarted = 0;
    state.listNestingCount = 0;

    state.anchors.Reset();
    state.contents.Reset();
    state.headings.Reset();
    state.nameValuePairs.reset();
    state.replacementHeadings.reset();

    for (TextString& text : state.documentTexts) text.MakeEmpty();
    for (TextString& text : state.headerTexts) text.Assign("** UNKNOWN **");
    state.metaTags.clear();
    state.inlineTagState = InlineTagState();
    state.linksFound.Clear();
    state.headingState.Reset();  // section numbering and contents-list state

    // Reading state never carries from one input file to the next.
    ResetLineAcceptanceState();
    ResetTagDefaults();
}

void Context::ResetTagDefaults() { trackers.Reset(); }

void Context::ResetStyleSet() {
    styleSet.ClearFonts();
    styleSet.loaded = 0;
    styleSet.refused = 0;
}

// ---------------------------------------------------------------------------
// Keyword tables

namespace {

// clang-format off
const char* const kDirectiveNames[kDirectiveSlots] = {
    "ALLOW", "BASEHREF", "BEGIN_ASCII", "BEGIN_CODE", "BEGIN_CONTENTS", "BEGIN_COMMA_DELIMITED_TABLE",
    "BEGIN_DELIMITED_TABLE", "BEGIN_DIAGRAM", "BEGIN_HTML", "BEGIN_IGNORE", "BEGIN_INV_PYRAMID", "BEGIN_LIST",
    "BEGIN_PRE", "BEGIN_TABLE", "BEGIN_TAGGED_TABLE", "BEGIN_USER_TABLE", "BEGIN_UNDERWRITER", "CHANGE_INDENT",
    "CHANGE_POLICY", "COL_DEFN", "CONTENTS_LIST", "COMPOSITION_UNIT", "DATA_CELL", "DEFINE_BLOCK",
    "COLUMN_DETAILS", "DEFINE_HTML_FRAGMENT", "DEFINE_TEXT_FRAGMENT", "DEFINE_VARIABLE", "DESCRIPTION",
    "DISALLOW", "EMBED_BLOCK", "END_ASCII", "END_BLOCK", "END_CODE", "END_CONTENTS", "END_COMMA_DELIMITED_TABLE",
    "END_DELIMITED_TABLE", "END_DIAGRAM", "END_HTML", "END_IGNORE", "END_INV_PYRAMID", "END_LIST", "END_PRE",
    "END_TABLE", "END_TAGGED_TABLE", "END_USER_TABLE", "END_UNDERWRITER", "FILENAME", "HEAD_CELL",
    "HELP_CHAPTER", "HELP_SUBJECT", "HELP_TOPIC_ID", "HTML_LINE", "INSERT_BLOCK", "INCLUDE", "KEYWORDS",
    "LINERULE", "LINKPOINT", "LIST_ITEM", "META_TAG", "NAVIGATION_BAR", "NEWFILE", "NEW_CELL", "NEW_ROW", "PAGE",
    "PARA", "RESET_BLOCK", "RESET_HTML_FRAGMENT", "RESET_TEXT_FRAGMENT", "RESTORE_CONTEXT", "SAVE_CONTEXT",
    "SECTION", "SHORTCUT_ICON", "STYLE_SHEET", "TABLE_ADD_TOTAL_WIDTH", "TABLE_ALIGN", "TABLE_BGCOLOR",
    "TABLE_BORDER", "TABLE_BORDERCOLOR", "TABLE_CAPTION", "TABLE_CELLPADDING", "TABLE_CELLSPACING",
    "TABLE_CELL_ALIGN", "TABLE_COLOR_ROWS", "TABLE_COLOUR_ROWS", "TABLE_CONVERT_XREFS", "TABLE_DELIMITER",
    "TABLE_EVEN_ROW_COLOR", "TABLE_EVEN_ROW_COLOUR", "TABLE_HEADER_COLS", "TABLE_HEADER_ROWS",
    "TABLE_HIDE_COLUMN", "", "TABLE_LAYOUT", "TABLE_MAY_BE_SPARSE", "TABLE_MIN_COLUMN_SEPARATION",
    "TABLE_ODD_ROW_COLOR", "TABLE_ODD_ROW_COLOUR", "TABLE_OF_CONTENTS", "TABLE_USE_PERCENTAGES", "TABLE_WIDTH",
    "TITLE", "TOC",
};
// clang-format on

// clang-format off
const char* const kInlineTagNames[kInlineTagSlots] = {
    "BR",          "CAAD",       "CAD",          "CANCEL_HANG", "CANCEL_LEAD",   "",         "COLOR",
    "COLOUR",      "CURRENCY",   "DOT_LEADERS",  "EM",          "END_HEADING",   "END_REDLINE", "ENTITY",
    "EXTRA_LEADING", "FO",       "FONT",         "FRACTION",    "GOTO",          "GUTTER",   "HEADING",
    "HTML",        "HTML_COMMENT", "HYPERLINK",  "IGNORE_THIS", "LEADING",       "LINERULE", "LINKPOINT",
    "NB",          "NULL_CHAR",  "PAGE",         "PAGE_MARKER", "PARA",          "QUAD",     "SOURCE_FILE",
    "SPACES",      "START_REDLINE", "STUB_INDENT", "SUB",       "SUPER",         "TEXT",     "TIMESTAMP",
    "TOCLINK",     "TU",         "TU2",          "VALIGN",      "VERSION",       "VERTICAL_ALIGNMENT", "WS",
};
// clang-format on

}  // namespace

const char* GetDirectiveName(int slot) { return (slot >= 0 && slot < kDirectiveSlots) ? kDirectiveNames[slot] : ""; }

const char* GetInlineTagName(int slot) { return (slot >= 0 && slot < kInlineTagSlots) ? kInlineTagNames[slot] : ""; }

void DirectiveKeywordTable::Register(const FC* policies, bool force) {
    if (registered && !force) return;
    registered = 1;
    TextString prefix(policies ? policies->GetText(Pol::DirectiveDelimiter).buffer : "$_$_");
    for (int slot = 0; slot < kDirectiveSlots; ++slot) {
        TextString& keyword = keywords[static_cast<size_t>(slot)];
        if (kDirectiveNames[slot][0] == '\0') {
            keyword.MakeEmpty();
            continue;
        }
        keyword = prefix;
        keyword.Append(kDirectiveNames[slot]);
    }
}

void InlineTagKeywordTable::Register(const FC* policies) {
    startDelimiter.Assign(policies ? policies->GetText(Pol::StartTagDelimiter).buffer : "[[");
    endDelimiter.Assign(policies ? policies->GetText(Pol::EndTagDelimiter).buffer : "]]");
    startLength = startDelimiter.length;
    endLength = endDelimiter.length;
    for (int slot = 0; slot < kInlineTagSlots; ++slot) {
        const char* name = kInlineTagNames[slot];
        auto& open = opening[static_cast<size_t>(slot)];
        auto& whole = complete[static_cast<size_t>(slot)];
        auto& close = closing[static_cast<size_t>(slot)];
        open.MakeEmpty();
        whole.MakeEmpty();
        close.MakeEmpty();
        if (name[0] == '\0') continue;
        close.Assign(name);
        close.Append(endDelimiter);
        if (slot == 15) continue;  // only the closing form of "FO" is used
        open = startDelimiter;
        open.Append(name);
        whole = open;
        whole.Append(endDelimiter);
    }
}

void Context::RegisterInlineTagKeywords(const FC* policies) { inlineTags.Register(policies); }

// The directive table follows the "Directive delimiter" of the policies it is
// given, file by file, as the in-line tag table follows the tag delimiters.
void Context::RegisterDirectiveKeywords(const FC* policies) { directives.Register(policies, policies != nullptr); }

// ---------------------------------------------------------------------------
// Trackers, session lines, fonts

Tracker* Context::pGetTracker() {
    switch (trackers.codeLocation) {
        case kReadingInput: return &trackers.input;
        case kAnalysingLines: return &trackers.analysis;
        case kWritingOutput: return &trackers.output;
        default:
            sink.OutputMessage("PROGRAM ERROR: Unknown Code location in Context::pGetTracker", kLevelAlways);
            return &trackers.output;
    }
}

void Context::ForgetLine(const AnalysedLine* line) {
    for (Tracker* tracker : {&trackers.input, &trackers.analysis, &trackers.output})
        if (tracker->currentLine == line) tracker->currentLine = nullptr;
}

void Context::SetCurrentLine(Tracker* tracker, AnalysedLine* line) {
    if (!tracker) return;
    tracker->currentLine = line;
    if (line) line->trackingContext = this;
}

// A session line is a message (a qualifier refused, a log file that could
// not be opened): shown only as the message filter lets it, at the level of
// errors, where /SILENT and "Display messages" keep it off the console.
void Context::LogSessionLine(const TextString& text) {
    TheRunStatus().NoteMessage(text.view());
    if (runParameters.consoleEcho) {
        if (sessionLinesHeld)
            heldSessionLines.push_back(text);
        else
            sink.ShowMessage(text.buffer, kSessionLineLevel);
    }
    if (pendingLog.length > 0) pendingLog.AppendChar('\n');
    pendingLog.Append("SESSION: ");
    pendingLog.Append(text);
    if (sink.WriteToLog(pendingLog.buffer)) pendingLog.MakeEmpty();
}

void Context::ShowHeldSessionLines() {
    sessionLinesHeld = false;
    for (const TextString& line : heldSessionLines) sink.ShowMessage(line.buffer, kSessionLineLevel);
    heldSessionLines.clear();
}

FontSpec* Context::GetCurrentFont() {
    BlockEntry* innermost = documentState.blocks.Innermost();
    if (innermost && innermost->blockFont.set) return &innermost->blockFont;
    if (documentState.currentFont.set) return &documentState.currentFont;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Headings and anchors

namespace {

bool IsHeadingListType(int type) {
    return (type >= kLineNumberedHeading && type <= kLineNumberedHeadingLast) ||
           (type >= kLineUnderlinedHeading && type <= kLineUnderlinedHeadingLast) ||
           type == kLineCapitalisedHeading || type == kLineEmbeddedHeading ||
           (type >= kLineKeyPhraseHeading && type <= kLineKeyPhraseHeadingLast) || type == kLineMailHeading;
}

}  // namespace

void Context::AddHeadingEntry(FC* set, const int& lineType, const TextString& text, const TextString& title,
                              const TextString& anchorStem, const SourcePosition& position, const TextString& extra1,
                              const TextString& extra2, const TextString& extra3) {
    HeadingList* list = nullptr;
    if (IsHeadingListType(lineType))
        list = &documentState.headings;
    else if (lineType >= kLineContents && lineType <= kLineContentsLast)
        list = &documentState.contents;
    if (!list) {
        TextString message("UNSUPPORTED CASE: Unexpected contents line type : ");
        message.AppendNumber('1', lineType, 0);
        if (set)
            set->ReportMessage(message.buffer, kLevelAlways);
        else
            sink.OutputMessage(message.buffer, kLevelAlways);
        return;
    }
    list->Add(set, lineType, text, title, anchorStem, position, extra1, extra2, extra3);
    int level = GetHeadingLevel(lineType);
    if (level > 0) {
        if (list->lowestLevel < 0 || level < list->lowestLevel) list->lowestLevel = level;
        if (list->highestLevel < 0 || level > list->highestLevel) list->highestLevel = level;
    }
}

void Context::AddAnchor(FC* set, const TextString& name, const SourcePosition& position) {
    TextString empty;
    documentState.anchors.Add(set, -3, name, name, name, position, empty, empty, empty);
}

bool Context::FindReferencedSection(FC* set, int lineType, const TextString& reference, TextString& outFileName,
                                    TextString& outExtension) {
    outExtension.MakeEmpty();
    outFileName.MakeEmpty();
    int adjustment = 0;
    int n = reference.length;
    const char* r = reference.buffer;
    if (n >= 1 && r[n - 1] == '.') adjustment = 1;
    if (n >= 2 && (r[n - 2] == '-' || r[n - 2] == '.') && r[n - 1] == '0') adjustment = 1;
    if (n >= 4 && r[n - 3] == '-' && r[n - 2] == '0' && r[n - 1] == '0') adjustment = 1;
    bool secondWords = set && set->IsOn(Pol::ExpectSecondWordHeadings);
    HeadingList& headings = documentState.headings;
    for (int i = 0; i < headings.Count(); ++i) {
        const HeadingListEntry* entry = headings.GetAt(i);
        if (entry->lineType + adjustment != lineType) continue;
        bool hit = entry->number.length == reference.length && entry->number.Matches(reference.buffer, 0, 0);
        if (!hit && secondWords)
            hit = entry->secondNumber.length == reference.length &&
                  entry->secondNumber.Matches(reference.buffer, 0, 0);
        if (hit) {
            outFileName = entry->fileName;
            if (set) outExtension = set->names.outputExtension;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------
// Statements replayed on a tracker

void ApplyStatementToTracker(FC* set, Tracker* tracker, const TextString& line, int statementType) {
    if (!tracker) return;
    switch (statementType) {
        case kStatementBeginContents: tracker->inContents = 1; break;
        case kStatementEndContents: tracker->inContents = 0; break;
        case kStatementBeginHTML: tracker->inHTML = 1; break;
        case kStatementEndHTML: tracker->inHTML = 0; break;
        case kStatementAllow: ApplyAllowDirective(set, tracker, line.buffer, 1); break;
        case kStatementDisallow: ApplyAllowDirective(set, tracker, line.buffer, 0); break;
        default: break;
    }
}
