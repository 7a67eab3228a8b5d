// The directive table: what each preprocessor directive does when its line
// is read.  Rows are tested in order and the first whose keyword begins the
// line wins, so where one keyword begins with another the earlier row must
// be the longer one (TABLE_BORDERCOLOR before TABLE_BORDER).
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "context/wrapped_text_file.h"
#include "foundation/message_reporter.h"
#include "foundation/utilities.h"
#include "policies/fc.h"
#include "policies/policy_value.h"
#include "policies/tab_config.h"

namespace {

// One directive line being carried out.
struct DirectiveCall {
    WrappedTextFile& reader;
    AnalysedLine& line;
    FC& policies;
    Context& context;
    TextString& text;  // the unescaped text
    int& htmlLineFlag;
    const char* keyword = "";
    int result = 1;

    PreprocessorState& State() { return policies.preprocessor; }
    Tracker& InputTracker() { return context.trackers.input; }

    // The line with its keyword removed, trimmed; from the unescaped text or
    // from the escaped one (the line's current text).
    TextString Argument(bool unescaped) {
        TextString argument(unescaped ? text : static_cast<const TextString&>(line));
        RemoveDirectiveFromLine(policies, argument, keyword);
        argument.Trim(0, " ");
        return argument;
    }

    void Deliver(int code) {
        if (code != kStatementNone) line.tagCode = code;
        result = 0;
    }

    void LineMessage(const TextString& message) { line.LineMessage(context, message, kLevelAlways); }

    void OpenBlock(int kind) {
        State().inSpecialBlock = 1;
        State().specialBlockKind = kind;
    }

    void CloseBlock() {
        State().inSpecialBlock = 0;
        State().specialBlockKind = kSpecialNone;
        Deliver(kStatementEndSpecialBlock);
    }

    void DeliverChecked(int code, const char* name) {
        CheckMissingEndTable(policies, line, name);
        Deliver(code);
    }
};

using DirectiveAction = void (*)(DirectiveCall&);

struct DirectiveRow {
    int slot;
    DirectiveAction apply;
};

bool IsNone(const TextString& value) { return value.Matches("(none)", 0, 0); }
bool IsNo(const TextString& value) { return value.Matches("no", 0, 0); }

// Appends `addition` to `target` with `separator` first when the target
// already holds text.
void AppendWithSeparator(TextString& target, const TextString& addition, char separator) {
    if (target.length > 0) target.AppendChar(separator);
    target.Append(addition);
    target.Trim(0, " ");
}

// ---- Settings of the table configuration ----

// The usual message of a directive whose value is refused.
TextString InvalidValueMessage(const TextString& value) {
    TextString message("TAG ERROR: Invalid value - \"");
    message.Append(MessageExcerpt(value));
    return message;
}
void ReportInvalidValue(DirectiveCall& call, const TextString& value) {
    call.LineMessage(InvalidValueMessage(value));
}

// A number outside the range of what it sets is refused with the range
// message of a policy line, which is shown; the value in force stays.
void ReportOutsideRange(DirectiveCall& call, const TextString& number, int minimum, int maximum) {
    call.policies.ReportMessage(OutsideRangeMessage(number, minimum, maximum).buffer, kLevelAlways);
}

// A whole number as written: an optional sign and digits, nothing else.
bool IsWholeNumberText(const TextString& text) {
    std::string_view digits = text.view();
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(),
                                          [](char c) { return IsAsciiDigit(static_cast<unsigned char>(c)); });
}

void SetAlignment(DirectiveCall& call, void (FC::*setter)(int)) {
    TextString value = call.Argument(false);
    int code = 0;
    if (!IsNone(value)) {
        code = ParseAlignmentLetter(value.buffer);
        if (code == 0) {
            ReportInvalidValue(call, value);
            return;
        }
    }
    (call.policies.*setter)(code);
}

// A number for a table setting.  One that cannot be read changes nothing;
// one outside the range of the table policy it sets (a whole number beyond
// int among them) is refused with the range message.
void SetNumber(DirectiveCall& call, void (FC::*setter)(int), const char* noneValue,
               std::optional<TabPol> policy = std::nullopt) {
    TextString value = call.Argument(false);
    if (noneValue && IsNone(value)) value.Assign(noneValue);
    int minimum = 0, maximum = 0;
    const bool ranged = policy && GetTablePolicyRange(*policy, &minimum, &maximum);
    int number = 0;
    if (!value.ToInteger('1', &number)) {
        if (ranged && IsWholeNumberText(value))
            ReportOutsideRange(call, value, minimum, maximum);
        else
            ReportInvalidValue(call, value);
        return;
    }
    if (ranged && (number < minimum || number > maximum)) {
        TextString read;
        read.AppendNumber('1', number, 0);
        ReportOutsideRange(call, read, minimum, maximum);
        return;
    }
    (call.policies.*setter)(number);
}

// A table width: a number of pixels or a percentage (see ReadTableWidth).
// Any other text is refused, as it would be written into the TABLE tag.
void SetTableWidth(DirectiveCall& call) {
    TextString value = call.Argument(false);
    if (IsNone(value)) value.Assign("");
    int number = 0;
    bool percent = false;
    if (!value.IsEmpty() && !ReadTableWidth(value, &number, &percent)) {
        // Shown, unlike the other refused values: the text was meant to
        // reach the page.
        call.policies.ReportMessage(InvalidValueMessage(value).buffer, kLevelAlways);
        return;
    }
    const int largest = percent ? kMaxTableWidthPercent : kMaxTableWidthPixels;
    if (number > largest) {
        TextString digits(value);
        if (percent) digits.SubString(0, digits.length - 1);
        ReportOutsideRange(call, digits, 0, largest);
        return;
    }
    call.policies.SetTableWidth(value.buffer);
}

void SetTextValue(DirectiveCall& call, void (FC::*setter)(const char*), const char* noneValue) {
    TextString value = call.Argument(false);
    if (IsNone(value)) value.Assign(noneValue);
    (call.policies.*setter)(value.buffer);
}

void SetSwitch(DirectiveCall& call, void (FC::*setter)(int)) {
    TextString value = call.Argument(false);
    (call.policies.*setter)(IsNo(value) ? 0 : 1);
}

// ---- Rows with more to do than one line ----

void Include(DirectiveCall& call) {
    TextString name;
    call.text.GetField(2, ' ', &name);
    TextString folder(call.policies.GetText(Pol::InputDirectory));
    if (folder.length > 0 && folder.buffer[folder.length - 1] != '/' && folder.buffer[folder.length - 1] != '\\')
        folder.AppendChar('/');
    TextString path;
    if (folder.length > 0)
        ResolveRelativePath(folder, name, &path);
    else
        path = name;

    if (name.length > 0 && call.reader.OpenForRead(path.buffer)) {
        TextString message("INFO: Opened include file \"");
        message.Append(name);
        message.AppendChar('"');
        call.policies.ReportStatus(message.buffer);
        return;
    }
    if (call.policies.ReportRefusedFile(call.reader)) return;
    TextString message("ERROR: Failed to open include file \"");
    message.Append(name);
    message.AppendChar('"');
    AppendReason(message, call.reader.openFailure);
    call.policies.ReportMessage(message.buffer, kLevelAlways);
}

// The set that only learns the category of a CHANGE_POLICY line.  It has a
// context of its own whose reporter is silent, so that a line is reported
// once, by the set that takes it.
FC& ScratchPolicySet() {
    static Context scratchContext;
    static FC scratch;
    static bool ready = false;
    if (!ready) {
        scratch.SetContext(&scratchContext);
        scratch.SetInt(Pol::DisplayMessages, 0);
        ready = true;
    }
    return scratch;
}

// The policies that name a file, a folder or a file name.  The text of a
// file cannot change them, so that it cannot make the run read or write
// other files.
// clang-format off
constexpr Pol kFileNamingPolicies[] = {
    Pol::HTMLScriptFile,    Pol::HTMLHeaderFile,        Pol::HTMLFooterFile,         Pol::FragmentsFile,
    Pol::StyleFile,         Pol::LinkDictionaryFile,    Pol::TextSubstitutionFile,   Pol::OutputFileExtension,
    Pol::DOSFilenameRoot,   Pol::OutputFrameName,       Pol::ExternalContentsFilename, Pol::DirectoryFilename,
    Pol::DirectoryScriptFile, Pol::DirectoryHeaderFile, Pol::DirectoryFooterFile,    Pol::InputDirectory,
    Pol::OutputDirectory,   Pol::OutputPolicyFilename,  Pol::OutputLogFilename,
};
// clang-format on

void ChangePolicy(DirectiveCall& call) {
    const TextString argument = call.Argument(true);
    TextString probe(argument);
    int category = 0;
    FC& scratch = ScratchPolicySet();
    scratch.ResetPolicies();  // what the line sets is then all that is set
    scratch.SetInt(Pol::DisplayMessages, 0);
    const int refused = scratch.ParsePolicyLine(probe, category, false);
    const bool namesFile = std::any_of(std::begin(kFileNamingPolicies), std::end(kFileNamingPolicies),
                                       [&scratch](Pol id) { return scratch.IsSet(id); });
    if (refused == 1 || namesFile) {
        TextString message("WARNING: Ignored CHANGE_POLICY line \"");
        message.Append(MessageExcerpt(argument));
        message.AppendChar('"');
        // A line that names a file is refused on purpose: the user is told.
        if (namesFile)
            call.policies.ReportMessage(message.buffer, kLevelAlways);
        else
            call.LineMessage(message);
        return;
    }
    if (refused == 2) {
        // A value that cannot be read, or is outside the policy's range,
        // changes nothing.
        TextString message("POLICY: Ignored - \\");
        message.Append(MessageExcerpt(argument));
        message.AppendChar('\\');
        call.policies.ReportMessage(message.buffer, kLevelAlways);
        return;
    }
    switch (category) {
        case 1:
        case 2: {
            TextString line(argument);
            int taken = 0;
            call.policies.ParsePolicyLine(line, taken, false);
            call.policies.ApplyRuleSetAndFormatDefaults(0);
            break;
        }
        case 3:
        case 4: call.Deliver(kStatementChangePolicy); break;
        default: call.policies.ReportMessage("UNSUPPORTED CASE : Valid Policy Type", kLevelAlways); return;
    }
    if (category > 3) return;
    TextString message("POLICY: Changed - ");
    message.Append(MessageExcerpt(argument));
    call.policies.ReportMessage(message.buffer, kLevelWarning);
    FC* own = call.context.GetPolicies();
    if (own && own != &call.policies) {
        TextString line(argument);
        int taken = 0;
        own->ParsePolicyLine(line, taken, false);
    }
}

void BeginUserTable(DirectiveCall& call) {
    PreprocessorState& state = call.State();
    if (state.inSpecialBlock && state.specialBlockKind == kSpecialUserTable) {
        call.LineMessage(
            TextString("TAG ERROR: Ignoring BEGIN_USER_TABLE inside table.\n           - could be a duplicate\n"
                       "           - could be a missing END tag"));
        return;
    }
    CheckMissingEndTable(call.policies, call.line, "BEGIN_USER_TABLE");
    call.Deliver(kStatementBeginUserTable);
    call.OpenBlock(kSpecialUserTable);
    call.policies.SetTabConfigFromTag(call.text, "BEGIN_USER_TABLE", call.text);
}

void BeginTable(DirectiveCall& call) {
    if (call.InputTracker().inHTML) {
        call.LineMessage(TextString("TAG ERROR: END_HTML not seen before BEGIN_TABLE"));
        call.InputTracker().inHTML = 0;
    }
    call.OpenBlock(kSpecialTable);
}

void MetaTag(DirectiveCall& call) {
    call.line.tagCode = kStatementMetaTag;
    TextString name, content;
    ParseMetaTagLine(call.text, name, content);
    // A status line of the run, shown and logged as the message filter lets
    // it (not under /SILENT).
    call.policies.ReportStatus(
        ("Meta Tag line - " + MessageExcerpt(name).str() + "=" + MessageExcerpt(content).str()).c_str());
    call.context.AddMetaTag(name.buffer, content.buffer);
}

void HtmlLine(DirectiveCall& call) {
    TextString argument = call.Argument(true);
    call.line.AssignChars(argument.buffer, argument.length);
    call.line.plainText = argument;
    call.line.inputText = argument;
    call.htmlLineFlag = 1;
    call.Deliver(kStatementNone);
}

TextString& DocumentText(DirectiveCall& call, int index) {
    return call.context.documentState.documentTexts[static_cast<size_t>(index)];
}

void SetFileSwitch(DirectiveCall& call, int index) {
    call.context.documentState.fileSwitches[static_cast<size_t>(index)] = 1;
}

const DirectiveRow kDirectiveRows[] = {
    {kDirInclude, Include},
    {kDirChangePolicy, ChangePolicy},
    {kDirBeginPre, [](DirectiveCall& c) { c.OpenBlock(kSpecialPreformatted); }},
    {kDirEndPre, [](DirectiveCall& c) { c.CloseBlock(); }},
    {kDirTitle,
     [](DirectiveCall& c) {
         // The title built by TITLE lines is kept trimmed with single blanks,
         // so only the added text needs collapsing; collapsing the whole
         // title each time would make many TITLE lines take quadratic time.
         TextString addition = c.Argument(true);
         addition.CollapseBlanks();
         AppendWithSeparator(DocumentText(c, DocumentState::kDocumentTitle), addition, ' ');
     }},
    {kDirShortcutIcon,
     [](DirectiveCall& c) { DocumentText(c, DocumentState::kDocumentShortcutIcon) = c.Argument(false); }},
    {kDirStyleSheet,
     [](DirectiveCall& c) { DocumentText(c, DocumentState::kDocumentStyleSheet) = c.Argument(false); }},
    {kDirKeywords,
     [](DirectiveCall& c) {
         AppendWithSeparator(DocumentText(c, DocumentState::kDocumentKeywords), c.Argument(false), ',');
     }},
    {kDirBaseHref, [](DirectiveCall& c) { DocumentText(c, DocumentState::kDocumentBaseHref) = c.Argument(false); }},
    {kDirDescription,
     [](DirectiveCall& c) {
         AppendWithSeparator(DocumentText(c, DocumentState::kDocumentDescription), c.Argument(true), ' ');
     }},
    {kDirBeginContents,
     [](DirectiveCall& c) {
         PreprocessorState& state = c.State();
         if (!state.contentsListSeen) {
             state.inContentsList = 1;
             state.contentsListEnded = 0;
         }
         state.contentsListSeen = 1;
         c.InputTracker().inContents = 1;
         c.Deliver(kStatementBeginContents);
     }},
    {kDirEndContents,
     [](DirectiveCall& c) {
         c.State().inContentsList = 0;
         c.State().contentsListEnded = 1;
         c.InputTracker().inContents = 0;
         c.Deliver(kStatementEndContents);
     }},
    {kDirBeginHTML,
     [](DirectiveCall& c) {
         c.InputTracker().inHTML = 1;
         c.Deliver(kStatementBeginHTML);
     }},
    {kDirEndHTML,
     [](DirectiveCall& c) {
         c.InputTracker().inHTML = 0;
         c.Deliver(kStatementEndHTML);
     }},
    {kDirHTMLLine, HtmlLine},
    {kDirBeginCode, [](DirectiveCall& c) { c.OpenBlock(kSpecialCode); }},
    {kDirEndCode, [](DirectiveCall& c) { c.CloseBlock(); }},
    {kDirBeginDiagram, [](DirectiveCall& c) { c.OpenBlock(kSpecialDiagram); }},
    {kDirEndDiagram, [](DirectiveCall& c) { c.CloseBlock(); }},
    {kDirDefineVariable, [](DirectiveCall& c) { c.Deliver(kStatementDefineVariable); }},
    {kDirDefineBlock, [](DirectiveCall& c) { c.Deliver(kStatementDefineBlock); }},
    {kDirDefineHTMLFragment,
     [](DirectiveCall& c) {
         c.State().inHtmlFragmentDefinition = 1;
         c.Deliver(kStatementDefineHTMLFragment);
     }},
    {kDirDefineTextFragment,
     [](DirectiveCall& c) {
         c.State().inTextFragmentDefinition = 1;
         c.Deliver(kStatementDefineTextFragment);
     }},
    {kDirEndBlock,
     [](DirectiveCall& c) {
         c.State().inHtmlFragmentDefinition = 0;
         c.State().inTextFragmentDefinition = 0;
         c.Deliver(kStatementEndBlock);
     }},
    {kDirInsertBlock, [](DirectiveCall& c) { c.Deliver(kStatementInsertBlock); }},
    {kDirEmbedBlock, [](DirectiveCall& c) { c.Deliver(kStatementEmbedBlock); }},
    {kDirResetBlock, [](DirectiveCall& c) { c.Deliver(kStatementResetBlock); }},
    {kDirResetHTMLFragment, [](DirectiveCall& c) { c.Deliver(kStatementResetHTMLFragment); }},
    {kDirResetTextFragment, [](DirectiveCall& c) { c.Deliver(kStatementResetTextFragment); }},
    {kDirSaveContext, [](DirectiveCall& c) { c.Deliver(kStatementSaveContext); }},
    {kDirRestoreContext, [](DirectiveCall& c) { c.Deliver(kStatementRestoreContext); }},
    {kDirBeginTable, BeginTable},
    {kDirEndTable, [](DirectiveCall& c) { c.CloseBlock(); }},
    {kDirEndTaggedTable, [](DirectiveCall& c) { c.CloseBlock(); }},
    {kDirBeginUserTable, BeginUserTable},
    {kDirEndUserTable, [](DirectiveCall& c) { c.CloseBlock(); }},
    {kDirBeginDelimitedTable,
     [](DirectiveCall& c) {
         c.OpenBlock(kSpecialDelimitedTable);
         c.policies.SetTabConfigFromTag(c.text, "BEGIN_DELIMITED_TABLE", c.text);
     }},
    {kDirEndDelimitedTable, [](DirectiveCall& c) { c.CloseBlock(); }},
    {kDirBeginCommaDelimitedTable,
     [](DirectiveCall& c) {
         c.OpenBlock(kSpecialCommaDelimitedTable);
         c.policies.SetTabConfigFromTag(c.text, "BEGIN_COMMA_DELIMITED_TABLE", c.text);
     }},
    {kDirEndCommaDelimitedTable, [](DirectiveCall& c) { c.CloseBlock(); }},
    // Table settings.
    {kDirTableAlign, [](DirectiveCall& c) { SetAlignment(c, &FC::SetTableAlignment); }},
    {kDirTableBorderColor, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableBorderColour, ""); }},
    {kDirTableBorder, [](DirectiveCall& c) { SetNumber(c, &FC::SetTableBorderSize, "0", TabPol::BorderSize); }},
    {kDirTableHeaderRows, [](DirectiveCall& c) { SetNumber(c, &FC::SetTableHeaderRows, "0", TabPol::HeaderRows); }},
    {kDirTableHeaderCols, [](DirectiveCall& c) { SetNumber(c, &FC::SetTableHeaderCols, "0", TabPol::HeaderCols); }},
    {kDirTableHideColumn, [](DirectiveCall& c) { SetNumber(c, &FC::HideTableColumn, nullptr); }},
    {kDirTableCellPadding,
     [](DirectiveCall& c) { SetNumber(c, &FC::SetTableCellPadding, "0", TabPol::CellPadding); }},
    {kDirTableCellSpacing,
     [](DirectiveCall& c) { SetNumber(c, &FC::SetTableCellSpacing, "0", TabPol::CellSpacing); }},
    {kDirTableCellAlign, [](DirectiveCall& c) { SetAlignment(c, &FC::SetTableCellAlignment); }},
    {kDirTableMinColumnSeparation,
     [](DirectiveCall& c) { SetNumber(c, &FC::SetMinColumnSeparation, "1", TabPol::MinColumnSeparation); }},
    {kDirTableMayBeSparse, [](DirectiveCall& c) { c.policies.SetExpectSparseTable(1); }},
    {kDirTableConvertXRefs, [](DirectiveCall& c) { c.policies.SetConvertTableXRefs(1); }},
    {kDirTableBgColor, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableColour, ""); }},
    {kDirTableColourRows, [](DirectiveCall& c) { SetSwitch(c, &FC::SetColourDataRows); }},
    {kDirTableColorRows, [](DirectiveCall& c) { SetSwitch(c, &FC::SetColourDataRows); }},
    {kDirTableOddRowColour, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableOddRowColour, "F0F0F0"); }},
    {kDirTableOddRowColor, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableOddRowColour, "F0F0F0"); }},
    {kDirTableEvenRowColour, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableEvenRowColour, "E0F0E0"); }},
    {kDirTableEvenRowColor, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableEvenRowColour, "E0F0E0"); }},
    {kDirTableUsePercentages, [](DirectiveCall& c) { SetSwitch(c, &FC::SetUsePercentageWidths); }},
    {kDirTableAddTotalWidth, [](DirectiveCall& c) { SetSwitch(c, &FC::SetAddTableWidth); }},
    {kDirTableCaption, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableCaption, ""); }},
    {kDirTableDelimiter, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableDelimiter, ""); }},
    {kDirTableWidth, [](DirectiveCall& c) { SetTableWidth(c); }},
    {kDirTableLayout, [](DirectiveCall& c) { SetTextValue(c, &FC::SetTableLayout, ""); }},
    // Structure of the document.
    {kDirPara, [](DirectiveCall& c) { c.DeliverChecked(kStatementPara, "PARA"); }},
    {kDirLinkPoint, [](DirectiveCall& c) { c.DeliverChecked(kStatementLinkPoint, "LINKPOINT"); }},
    {kDirMetaTag, MetaTag},
    {kDirAllow, [](DirectiveCall& c) { c.DeliverChecked(kStatementAllow, "ALLOW"); }},
    {kDirDisallow, [](DirectiveCall& c) { c.DeliverChecked(kStatementDisallow, "DISALLOW"); }},
    {kDirTOC,
     [](DirectiveCall& c) {
         SetFileSwitch(c, DocumentState::kTocDirectiveSeen);
         c.DeliverChecked(kStatementToc, "TOC");
     }},
    {kDirContentsList,
     [](DirectiveCall& c) {
         SetFileSwitch(c, DocumentState::kContentsListDirectiveSeen);
         c.DeliverChecked(kStatementContentsList, "CONTENTS_LIST");
     }},
    {kDirHelpChapter, [](DirectiveCall& c) { RecordDirectiveTag(c.policies, "HELP_CHAPTER", c.text); }},
    {kDirHelpSubject, [](DirectiveCall& c) { RecordDirectiveTag(c.policies, "HELP_SUBJECT", c.text); }},
    {kDirHelpTopicId, [](DirectiveCall& c) { RecordDirectiveTag(c.policies, "HELP_TOPIC_ID", c.text); }},
    {kDirNavigationBar, [](DirectiveCall& c) { c.DeliverChecked(kStatementNavigationBar, "NAVIGATION_BAR"); }},
    {kDirLineRule, [](DirectiveCall& c) { c.Deliver(kStatementLineRule); }},
    {kDirChangeIndent, [](DirectiveCall& c) { c.Deliver(kStatementChangeIndent); }},
    {kDirNewFile,
     [](DirectiveCall& c) {
         SetFileSwitch(c, DocumentState::kNewFileDirectiveSeen);
         RecordDirectiveTag(c.policies, "NEWFILE", c.text);
         c.Deliver(kStatementNewFile);
     }},
    {kDirFilename, [](DirectiveCall& c) { RecordDirectiveTag(c.policies, "FILENAME", c.text); }},
    {kDirBeginList, [](DirectiveCall& c) { c.DeliverChecked(kStatementBeginList, "BEGIN_LIST"); }},
    {kDirEndList, [](DirectiveCall& c) { c.DeliverChecked(kStatementEndList, "END_LIST"); }},
    {kDirListItem, [](DirectiveCall& c) { c.DeliverChecked(kStatementListItem, "LIST_ITEM"); }},
    {kDirPage, [](DirectiveCall& c) { c.DeliverChecked(kStatementPage, "PAGE"); }},
    // Read by the table conversion itself.
    {kDirNewRow, [](DirectiveCall& c) { c.Deliver(kStatementNone); }},
    {kDirNewCell, [](DirectiveCall& c) { c.Deliver(kStatementNone); }},
    {kDirColumnDetails, [](DirectiveCall& c) { c.Deliver(kStatementNone); }},
};

}  // namespace

bool ApplyDirectiveTable(WrappedTextFile& reader, AnalysedLine& line, FC& policies, Context& context,
                         TextString& text, int& htmlLineFlag, int& result) {
    // The keywords are compared with the start of the text in upper case,
    // made once for the whole table (as LineStartsWith compares: case-blind,
    // a NUL byte in the text matching no keyword byte), last byte first, as
    // most keywords share their first bytes (the prefix).  The table builds
    // every keyword from C texts, so its length is that of its C text.  A
    // keyword longer than that start is compared by LineStartsWith itself.
    constexpr int kStartBytes = 64;
    char start[kStartBytes];
    const int startLength = text.length < kStartBytes ? text.length : kStartBytes;
    for (int i = 0; i < startLength; ++i) start[i] = ToUpperAscii(text.buffer[i]);
    auto startsWithKeyword = [&](const TextString& keyword) {
        const int n = keyword.length;
        if (n == 0 || n > text.length) return false;
        if (n > kStartBytes) return LineStartsWith(text, keyword.buffer);
        if (start[n - 1] != ToUpperAscii(keyword.buffer[n - 1])) return false;
        for (int i = 0; i < n - 1; ++i)
            if (start[i] != ToUpperAscii(keyword.buffer[i])) return false;
        return true;
    };
    for (const DirectiveRow& row : kDirectiveRows) {
        const TextString& keyword = context.directives[row.slot];
        if (!startsWithKeyword(keyword)) continue;
        DirectiveCall call{reader, line, policies, context, text, htmlLineFlag, keyword.buffer, 1};
        row.apply(call);
        result = call.result;
        return true;
    }
    return false;
}

void ParseMetaTagLine(const TextString& text, TextString& name, TextString& content) {
    name.MakeEmpty();
    content.MakeEmpty();
    TextString rest(text);
    rest.Trim(0, " ");
    // The first word is the keyword.
    int cut = 0;
    while (cut < rest.length && !IsBlankOrTab(rest.buffer[cut])) ++cut;
    rest.Assign(rest.buffer + cut);
    rest.Trim(0, " ");

    int quote = -1;
    if (!rest.FindChar(0, '"', &quote, 1)) {
        rest.GetField(1, ' ', &name);
        if (name.length > 0) rest.Replace(name.buffer, "", 1, 1);
    } else {
        rest.GetField(2, '"', &name);
        if (name.length > 0) rest.Replace(name.buffer, "", 1, 1);
        rest.Replace("\"\"", "", 1, 1);
    }
    rest.Trim(0, " ");
    content = rest;
}
