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

class RecordingDocument;

struct DeliveredLine {
    int number = 0;
    int tagCode = -3;
    uint32_t flags = 0;
    int specialBlock = 0;
    std::string text;        // the line's text (escaped for the output format)
    std::string taggedText;  // the unescaped text
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
    std::vector<std::string> messages;     // shown messages
    std::vector<std::string> statusLines;  // status lines
    // Lines queued on the reader before the first read.
    std::vector<std::string> pendingAtStart;
    // Reading stops after this many delivered lines (a guard against a
    // reader that never ends).
    int lineLimit = 200000;
    bool limitReached = false;

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
    // Number of messages (and status lines) holding `text`.
    int CountMessages(const std::string& text) const;
    int CountStatus(const std::string& text) const;

private:
    std::string folder;
};

// The text with bytes below 32 and from 127 up written as \xNN.
std::string VisibleText(const std::string& text);
