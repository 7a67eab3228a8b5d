#include "support/recording_document.h"

#include "context/context.h"

RecordingDocument::RecordingDocument() { isOpen = 1; }

int RecordingDocument::WriteLine(FC*, OutputDocument*, TextString* text, int unwrapped) {
    entries.push_back({Call::Line, text ? text->str() : std::string(), unwrapped});
    return 1;
}

int RecordingDocument::WriteText(FC*, OutputDocument*, const char* text) {
    entries.push_back({Call::Text, text ? std::string(text) : std::string(), 0});
    return 1;
}

int RecordingDocument::FlushBuffer(FC*, OutputDocument*, int) {
    ++flushCount;
    return 1;
}

std::vector<std::string> RecordingDocument::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(entries.size());
    for (const Entry& entry : entries) texts.push_back(entry.text);
    return texts;
}

std::string RecordingDocument::Joined(const char* separator) const {
    std::string joined;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) joined += separator;
        joined += entries[i].text;
    }
    return joined;
}

void RecordingDocument::Clear() {
    entries.clear();
    flushCount = 0;
}

namespace {

std::vector<std::string>& RecordedMessages() {
    static std::vector<std::string> messages;
    return messages;
}

void RecordMessage(const char* text) { RecordedMessages().push_back(text ? text : ""); }

}  // namespace

MessageRecorder::MessageRecorder(Context& owner) : context(owner) {
    RecordedMessages().clear();
    context.sink.SetMessageCallback(RecordMessage);
}

MessageRecorder::~MessageRecorder() {
    context.sink.SetMessageCallback(nullptr);
    RecordedMessages().clear();
}

const std::vector<std::string>& MessageRecorder::Messages() const { return RecordedMessages(); }

int MessageRecorder::Count(const std::string& text) const {
    int count = 0;
    for (const std::string& message : RecordedMessages())
        if (message.find(text) != std::string::npos) ++count;
    return count;
}

void MessageRecorder::Clear() { RecordedMessages().clear(); }
