// Test doubles for the output writers.
//
// RecordingDocument is an output document that keeps every WriteLine and
// WriteText call, in order, instead of writing a file.  MessageRecorder
// collects the messages a Context's sink shows while it is alive.
#pragma once

#include <string>
#include <vector>

#include "output/output_document.h"

class Context;

class RecordingDocument : public OutputDocument {
public:
    enum class Call { Line, Text };
    struct Entry {
        Call call;
        std::string text;
        int option = 0;  // the `unwrapped` argument of WriteLine; 0 for WriteText
    };

    std::vector<Entry> entries;
    int flushCount = 0;

    // The document counts as an open file.
    RecordingDocument();

    int WriteLine(FC* set, OutputDocument* document, TextString* text, int unwrapped) override;
    int WriteText(FC* set, OutputDocument* document, const char* text) override;
    int FlushBuffer(FC* set, OutputDocument* document, int final) override;

    // Every text written, in order, whichever call wrote it.
    std::vector<std::string> Texts() const;
    // The texts joined by `separator`.
    std::string Joined(const char* separator = "|") const;
    void Clear();
};

// Installs a message callback on the context's sink and keeps what it
// receives; removes the callback again when destroyed.  Only one recorder may
// be alive at a time.
class MessageRecorder {
public:
    explicit MessageRecorder(Context& context);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<std::string>& Messages() const;
    // Number of messages that contain `text`.
    int Count(const std::string& text) const;
    void Clear();

private:
    Context& context;
};
