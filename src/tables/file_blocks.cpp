#include "tables/file_blocks.h"

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "context/statement_codes.h"
#include "foundation/line_types.h"
#include "foundation/message_levels.h"
#include "output/output_document.h"
#include "policies/fc.h"
#include "policies/output_formats.h"
#include "tables/preform.h"
#include "tables/user_tables.h"

namespace {

// The name of a user-table directive's keyword slot, as messages name it.
const char* UserTableDirectiveName(int slot) {
    switch (slot) {
        case kDirNewRow: return "NEW_ROW";
        case kDirNewCell: return "NEW_CELL";
        default: return "COLUMN_DETAILS";
    }
}

// The line a message names: where the line stands in the main file.
int MessageLineOf(const AnalysedLine& line) {
    if (line.fileLine > 0) return line.fileLine;
    return line.originPosition.line > 0 ? line.originPosition.line : line.position.line;
}

}  // namespace

LineRole RoleOfLine(const AnalysedLine& line, const FC& set) {
    if (line.lineType == kLineConsumed || line.lineType == kLineIgnored) return LineRole::kDropped;
    const int statement = line.tagCode != kStatementNone ? line.tagCode : line.lineType;
    switch (statement) {
        case kStatementChangePolicy: return LineRole::kPolicy;
        case kStatementLineRule:
        case kStatementPage: return LineRole::kDrawnRule;
        case kStatementBeginUserTable: return LineRole::kUserTableStart;
        case kStatementEndSpecialBlock: return LineRole::kBlockEnd;
        // Definitions (their bodies are consumed lines), the ends of ignored
        // and contents sections, the markers of an HTML block, ALLOW and
        // DISALLOW: their work was done when the file was read.
        case kStatementEndIgnore:
        case kStatementReserved:
        case kStatementBeginContents:
        case kStatementEndContents:
        case kStatementBeginHTML:
        case kStatementEndHTML:
        case kStatementDefineBlock:
        case kStatementEndBlock:
        case kStatementResetBlock:
        case kStatementDefineVariable:
        case kStatementDefineHTMLFragment:
        case kStatementDefineTextFragment:
        case kStatementResetHTMLFragment:
        case kStatementResetTextFragment:
        case kStatementAllow:
        case kStatementDisallow: return LineRole::kDropped;
        default: break;
    }
    if ((statement >= kStatementFirst && statement <= kStatementLast) || statement == kStatementContentsList ||
        statement == kStatementNavigationBar || line.tagCode != kStatementNone)
        return LineRole::kOtherDirective;
    if (line.HasFlag(kFlagProtected)) return LineRole::kPassThrough;
    const Context* context = set.context;
    if (context && set.IsOn(Pol::UsePreprocessor) && UserTableDirectiveOf(set, *context, line.taggedText) >= 0)
        return LineRole::kUserTableDirective;
    return LineRole::kText;
}

FileBlocks::FileBlocks(OutputDocument* writer, FC& set, int code)
    : writer(writer),
      set(set),
      fileCode(code),
      wholeFileIsUserTable(code == kSpecialUserTable || code == kSpecialUserTableAlias) {
    // A file has one block at least, even when it has no line.
    Current(wholeFileIsUserTable);
}

FileBlocks::~FileBlocks() = default;

FileBlocks::Block& FileBlocks::Current(bool userTable, bool fresh) {
    const int code = userTable && !wholeFileIsUserTable ? kSpecialUserTable : fileCode;
    if (fresh || blocks.empty() || blocks.back().code != code) {
        Block block;
        block.first = block.end = lines.size();
        block.code = code;
        blocks.push_back(std::move(block));
    }
    return blocks.back();
}

void FileBlocks::Take(Block& block, const AnalysedLine& line) {
    // Columns are measured in display positions: only a line of UTF-8 text
    // with characters beyond ASCII needs them counted.
    const bool utf8Text = set.context && set.context->documentState.utf8Text;
    block.measures.Note(lines.Add(line, utf8Text), line);
    block.end = lines.size();
}

void FileBlocks::ReportStrayDirective(const AnalysedLine& line) {
    const int slot = UserTableDirectiveOf(set, *set.context, line.taggedText);
    TextString message("WARNING: ");
    message.Append(UserTableDirectiveName(slot));
    message.Append(" outside a user table dropped at line ");
    message.AppendNumber('1', MessageLineOf(line), 0);
    Current(false).warnings.push_back(message.str());
}

bool FileBlocks::AddLine(const AnalysedLine& line) {
    const LineRole role = RoleOfLine(line, set);
    if (role == LineRole::kDropped) return false;
    if (role == LineRole::kPassThrough) {
        Block& block = Current(inUserTable || wholeFileIsUserTable);
        block.passThrough.Add(line, block.end - block.first);
        return true;
    }

    if (wholeFileIsUserTable) {
        // The file is one user table: its own markers are no lines of it.
        if (role == LineRole::kUserTableStart || role == LineRole::kBlockEnd) return false;
        Take(Current(true), line);
        return true;
    }

    // A user table ends with its END_USER_TABLE, or where a directive
    // closed it without one: its lines are those read inside it.
    if (inUserTable && line.specialBlock != kSpecialUserTable) {
        inUserTable = false;
        if (role == LineRole::kBlockEnd) return false;
    }
    if (inUserTable) {
        if (role == LineRole::kBlockEnd || role == LineRole::kUserTableStart) return false;
        Take(Current(true), line);
        return true;
    }

    switch (role) {
        case LineRole::kText:
        case LineRole::kPolicy: Take(Current(false), line); return true;
        case LineRole::kDrawnRule:
            // Drawn where the block may be written as text; a table has no
            // place for it.
            if (fileCode != kSpecialNone) return false;
            Take(Current(false), line);
            return true;
        case LineRole::kUserTableStart:
            // The line opens the table; its rows start on the next line.
            inUserTable = true;
            userTableLine = MessageLineOf(line);
            Current(true, true);
            return true;
        case LineRole::kUserTableDirective: ReportStrayDirective(line); return false;
        default: return false;
    }
}

void FileBlocks::EndOfInput() {
    if (!inUserTable) return;
    TextString message("WARNING: BEGIN_USER_TABLE at line ");
    message.AppendNumber('1', userTableLine, 0);
    message.Append(" has no END_USER_TABLE: the user table runs to the end of the file");
    Current(true).warnings.push_back(message.str());
    inUserTable = false;
}

void FileBlocks::Process() {
    // A block that is all the file's lines takes them over; each of several
    // gets copies of its lines' records, which share the texts of `lines`.
    const bool one = blocks.size() == 1;
    for (Block& block : blocks) {
        PreForm engine(writer, &set, nullptr);
        if (set.context && set.context->outputFormat == kOutputRTF)
            engine.SetRTFWriter(writer);
        else
            engine.SetHTMLWriter(writer);
        if (one) {
            engine.lines = std::move(lines);
        } else {
            for (size_t i = block.first; i < block.end; ++i) engine.lines.AddCopy(lines, i);
        }
        engine.lineCount = static_cast<int>(engine.lines.size());
        engine.TakeMeasures(block.measures);
        engine.passThrough = std::move(block.passThrough);
        for (const std::string& warning : block.warnings) engine.Message(warning.c_str(), kLevelWarning);
        engine.Process(block.code);
        // The texts of the lines written are read no more.
        if (!one) lines.ReleaseTextsBefore(block.end);
        block = Block();
    }
}
