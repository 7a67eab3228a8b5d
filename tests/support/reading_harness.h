// ReadingHarness: reads an input file the way the table conversion does
// (a context with the file's policy set attached, an output document as the
// reader, the lines to skip from the policies, positions from a running line
// count, ReadPreprocessedLine until it reports the end) and keeps every
// delivered line, together with the messages and status lines shown while
// reading.  Only one harness may be alive at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "context/context.h"
#include "policies/fc.h"
#include "support/temp_folder.h"

class RecordingDocument;

struct DeliveredLine {
    int number = 0;
    int tagCode = -3;
    uint32_t flags = 0;
    int specialBlock = 0;
    std::string text;  // the line's text (escaped for the output format)
    std::string taggedText;  // the unescaped text
};

// One line as the table conversion hands it on after the line analysis.
struct TypedLine {
    int number = 0;  // the line's place in the delivered input, from 1
    int lineType = 0;
    int preFormatKind = 0;
    uint32_t flags = 0;
    int tagCode = -3;
    std::string text;  // the line's text after the analysis
};

class ReadingHarness {
public:
    // Output format 0 HTML, 1 RTF.
    explicit ReadingHarness(int outputFormat = 0);
    ~ReadingHarness();
    ReadingHarness(const ReadingHarness&) = delete;
    ReadingHarness& operator=(const ReadingHarness&) = delete;

    Context context;
    FC policies;
    std::vector<DeliveredLine> lines;
    std::vector<std::string> messages;  // shown messages
    std::vector<std::string> statusLines;  // status lines
    // Lines queued on the reader before the first read.
    std::vector<std::string> pendingAtStart;
    // Reading stops after this many delivered lines (a guard against a
    // reader that never ends).
    int lineLimit = 200000;
    bool limitReached = false;
    // The file is read as a whole-file table is (format codes 1, 7 and 8).
    bool wholeFileIsTable = false;

    // Parses a policy line ("Use Preprocessor : no") into the policy set.
    void SetPolicy(const char* line);
    // The folder of this harness's files (removed with the harness).
    const std::string& Folder() const { return folder; }
    // Writes `content` (bytes as given) to a file of the folder; returns its path.
    std::string WriteFile(const std::string& name, const std::string& content);
    // Reads the file to its end; returns the dump of the delivered lines.
    std::string ReadFile(const std::string& path);
    // Writes `content` to "input.txt" and reads it.
    std::string ReadText(const std::string& content);

    // One line per delivered line: number, tag code, flags in hexadecimal,
    // then the text between bars; bytes below 32 and from 127 up as \xNN.
    std::string Dump() const;

    // ---- Reading with the line analysis ----
    // Reads the file the way the table conversion does: a ring of 40 linked
    // lines, each line analysed once its successor has been read (the last
    // one at the end of the input), the source positions and definition
    // units counted as the conversion counts them, and "Lines to ignore at
    // end of file" applied.  Every line that leaves the ring, and every line
    // of the final flush, is kept in `typed` in input order, directive and
    // consumed lines included.  Returns TypeDump().
    std::string AnalyseFile(const std::string& path);
    // Writes `content` to "input.txt" and analyses it.
    std::string AnalyseText(const std::string& content);
    std::vector<TypedLine> typed;
    // One line per typed line: number, line type, pre-format kind, flags in
    // hexadecimal, then the text between bars (as in Dump).
    std::string TypeDump() const;
    // The types of the typed lines, in order.
    std::vector<int> Types() const;
    // Number of messages (and status lines) holding `text`.
    int CountMessages(const std::string& text) const;
    int CountStatus(const std::string& text) const;

private:
    TempFolder temp{"vendrel_reading"};
    std::string folder = temp.Path().string();
    // The per-file reset of the table conversion.
    void BeginFile(const std::string& path);
};

// The text with bytes below 32 and from 127 up written as \xNN.
std::string VisibleText(const std::string& text);
