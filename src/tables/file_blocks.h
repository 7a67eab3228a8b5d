// The blocks of one input file.  The lines that leave the ring of analysed
// lines are sorted here: the lines of the table, the CHANGE_POLICY lines
// that apply where they stand, the user's HTML written as it stands, the
// user tables marked by BEGIN_USER_TABLE and END_USER_TABLE, and the lines
// that did their work when they were read (definitions, directives, the
// lines a rule set adds) and go to no block.  A file without user tables
// is one block; each user table ends the block before it and the lines
// after it start a new one.  Every block is kept until the whole input is
// read (the document head waits for it) and then written in file order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tables/block_lines.h"

class AnalysedLine;
class FC;
class OutputDocument;

// What a line that leaves the ring is to the blocks of its file.
enum class LineRole {
    kText,  // a line of the block: text, blank, a rule line ...
    kPolicy,  // a CHANGE_POLICY line: applies where it stands, no line of the layout
    kDrawnRule,  // a LINERULE or PAGE directive line: a rule where text is written
    kPassThrough,  // the user's HTML (HTML_LINE, a line of a BEGIN_HTML block)
    kUserTableStart,  // BEGIN_USER_TABLE
    kBlockEnd,  // the end of a special block (END_USER_TABLE and the other END_ lines)
    kUserTableDirective,  // NEW_ROW, NEW_CELL or COLUMN_DETAILS
    kOtherDirective,  // a directive line that has done its work when it was read
    kDropped,  // no line of any block: a definition's, consumed or ignored, or the program's own
};

// The role of `line` in a conversion with the policy set `set` (its
// Context's directive keywords, "Use Preprocessor").
LineRole RoleOfLine(const AnalysedLine& line, const FC& set);

class FileBlocks {
public:
    // The blocks of a file converted with special format code `code` into
    // `writer`, with the policies of `set`.
    FileBlocks(OutputDocument* writer, FC& set, int code);
    ~FileBlocks();
    FileBlocks(const FileBlocks&) = delete;
    FileBlocks& operator=(const FileBlocks&) = delete;

    // Takes a line that left the ring; false when it goes to no block.
    bool AddLine(const AnalysedLine& line);
    // The input has ended: a user table still open is reported.
    void EndOfInput();
    // Writes every block, in file order.
    void Process();

    size_t BlockCount() const { return blocks.size(); }

private:
    // A block before it is written: a run of the file's lines, with what
    // stands among them.  A file may hold many blocks (a user table every
    // few lines), so a block costs no more than this until it is written:
    // its lines are kept with those of every other block, and its engine
    // is made only to write it.
    struct Block {
        size_t first = 0;  // its lines in `lines`
        size_t end = 0;
        int code = 0;  // the special format code it is written with
        LineMeasures measures;
        PassThroughLines passThrough;
        std::vector<std::string> warnings;
    };
    OutputDocument* writer;
    FC& set;
    const int fileCode;
    // The whole file is one user table (format codes 5 and 6).
    const bool wholeFileIsUserTable;
    // The lines of every block, in file order.
    BlockLines lines;
    std::vector<Block> blocks;
    bool inUserTable = false;
    int userTableLine = 0;  // the line of the open user table's BEGIN_USER_TABLE

    // The block that takes the lines now: a new one when the newest is of
    // another kind (`userTable`) or `fresh` is asked for.
    Block& Current(bool userTable, bool fresh = false);
    // Adds the line to the current block.
    void Take(Block& block, const AnalysedLine& line);
    // A NEW_ROW, NEW_CELL or COLUMN_DETAILS line outside a user table.
    void ReportStrayDirective(const AnalysedLine& line);
};
