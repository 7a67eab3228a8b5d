#include "foundation/message_reporter.h"

#include <cstdio>

#include "foundation/run_status.h"
#include "foundation/text_file.h"

namespace {

void WriteToStream(FILE* stream, const char* text) {
    std::fputs(text, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

void AppendReason(TextString& message, const std::string& reason) {
    if (reason.empty()) return;
    message.Append(": ");
    message.Append(reason.c_str());
}

namespace {

bool IsShownEscaped(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F; }

// A C1 control written in UTF-8: C2 80 to C2 9F.
bool IsUtf8C1Control(const TextString& text, int i) {
    return static_cast<unsigned char>(text.buffer[i]) == 0xC2 && i + 1 < text.length &&
           static_cast<unsigned char>(text.buffer[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text.buffer[i + 1]) <= 0x9F;
}

}  // namespace

void ShowControlCharacters(TextString& text) {
    int first = 0;
    while (first < text.length && !IsShownEscaped(static_cast<unsigned char>(text.buffer[first])) &&
           !IsUtf8C1Control(text, first))
        ++first;
    if (first == text.length) return;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown(text.buffer, static_cast<size_t>(first));
    for (int i = first; i < text.length; ++i) {
        const auto c = static_cast<unsigned char>(text.buffer[i]);
        if (IsShownEscaped(c)) {
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 15];
        } else if (IsUtf8C1Control(text, i)) {
            const auto code = static_cast<unsigned char>(text.buffer[++i]);
            shown += "\\u00";
            shown += kHex[code >> 4];
            shown += kHex[code & 15];
        } else {
            shown += static_cast<char>(c);
        }
    }
    text.AssignChars(shown.data(), static_cast<int>(shown.size()));
}

TextString MessageExcerpt(const TextString& text) {
    if (text.length <= kMessageExcerptLength) return text;
    // A cut before a UTF-8 continuation byte moves back to its character's
    // first byte.
    int cut = kMessageExcerptLength;
    while (cut > 0 && (static_cast<unsigned char>(text.buffer[cut]) & 0xC0) == 0x80 &&
           kMessageExcerptLength - cut < 3)
        --cut;
    TextString excerpt;
    excerpt.AssignChars(text.buffer, cut);
    excerpt.Append("...");
    return excerpt;
}

// ---------------------------------------------------------------------------
// MessageReporter

MessageReporter::MessageReporter() { MessageReporter::Reset(); }

void MessageReporter::Reset() {
    messageCallback = nullptr;
    statusCallback = nullptr;
    reportingLevel = 0;
    display = 1;
    suppressUrl = 1;
    suppressInfo = 1;
    suppressWarning = 1;
    suppressProgramError = 1;
    suppressTagError = 1;
}

void MessageReporter::CopySettings(const MessageReporter& other) {
    if (&other == this) return;
    Reset();
    messageCallback = other.messageCallback;
    statusCallback = other.statusCallback;
    reportingLevel = other.reportingLevel;
    display = other.display;
    suppressUrl = other.suppressUrl;
    suppressInfo = other.suppressInfo;
    suppressWarning = other.suppressWarning;
    suppressProgramError = other.suppressProgramError;
    suppressTagError = other.suppressTagError;
}

void MessageReporter::SetFilters(int displayMessages, int suppressUrlMessages, int suppressInfoMessages,
                                 int suppressWarningMessages, int suppressProgramErrorMessages,
                                 int suppressTagErrorMessages) {
    display = displayMessages;
    suppressUrl = suppressUrlMessages;
    suppressInfo = suppressInfoMessages;
    suppressWarning = suppressWarningMessages;
    suppressProgramError = suppressProgramErrorMessages;
    suppressTagError = suppressTagErrorMessages;
}

void MessageReporter::ReportText(int level) { OutputMessage(currentText.buffer, level); }

void MessageReporter::ReportTextAsStatus() { OutputStatus(currentText.buffer); }

int MessageReporter::IsSuppressedByLevel(int level) {
    return (level < kLevelAlways - reportingLevel || display == 0) ? 1 : 0;
}

// The class word may stand anywhere in the text, in any case.
int MessageReporter::IsSuppressedByPrefix(const TextString& text) {
    if (text.length == 0) return 0;
    const struct {
        const int& enabled;
        const char* word;
    } filters[] = {
        {suppressUrl, "URL:"},
        {suppressInfo, "INFO:"},
        {suppressWarning, "WARNING:"},
        {suppressProgramError, "PROGRAM ERROR:"},
        {suppressTagError, "TAG ERROR:"},
    };
    for (const auto& filter : filters) {
        if (filter.enabled && text.Find(0, filter.word, nullptr, 0)) return 1;
    }
    return 0;
}

void MessageReporter::OutputMessage(const char* text, int level) { ShowMessage(text, level); }

void MessageReporter::ShowMessage(const char* text, int level) {
    currentText.Assign(OrEmpty(text));
    ShowControlCharacters(currentText);
    TheRunStatus().NoteMessage(currentText.view());
    int byLevel = IsSuppressedByLevel(level);
    int byClass = IsSuppressedByPrefix(currentText);
    if (byLevel || byClass) return;
    if (messageCallback)
        messageCallback(currentText.buffer);
    else
        WriteToStream(stderr, currentText.buffer);
}

void MessageReporter::OutputStatus(const char* text) {
    TheRunStatus().NoteMessage(OrEmpty(text));
    if (reportingLevel <= 0) return;
    currentText.Assign(OrEmpty(text));
    ShowControlCharacters(currentText);
    if (IsSuppressedByPrefix(currentText)) return;
    if (statusCallback)
        statusCallback(currentText.buffer);
    else if (display)
        WriteToStream(stderr, currentText.buffer);
}

// ---------------------------------------------------------------------------
// MessageSink

MessageSink::MessageSink() { MessageSink::Reset(); }

void MessageSink::Reset() {
    MessageReporter::Reset();
    logFileName.MakeEmpty();
    logFile = nullptr;
}

// Logged whenever the class filter lets it through; shown only when the
// level and the display switch allow it as well.
void MessageSink::OutputMessage(const char* text, int level) {
    currentText.Assign(OrEmpty(text));
    ShowControlCharacters(currentText);
    TheRunStatus().NoteMessage(currentText.view());
    int byLevel = IsSuppressedByLevel(level);
    int byClass = IsSuppressedByPrefix(currentText);
    if (!byClass && logFile) WriteLine(logFile, currentText.buffer);
    if (byLevel || byClass) return;
    if (messageCallback)
        messageCallback(currentText.buffer);
    else
        WriteToStream(stderr, currentText.buffer);
}

void MessageSink::OutputStatus(const char* text) {
    TheRunStatus().NoteMessage(OrEmpty(text));
    if (reportingLevel <= 0) return;
    currentText.Assign(OrEmpty(text));
    ShowControlCharacters(currentText);
    if (IsSuppressedByPrefix(currentText)) return;
    if (logFile) WriteLine(logFile, currentText.buffer);
    if (statusCallback)
        statusCallback(currentText.buffer);
    else if (display)
        WriteToStream(stderr, currentText.buffer);
}

int MessageSink::IsLogOpen() { return (logFile && logFile->IsOpen()) ? 1 : 0; }

int MessageSink::WriteToLog(const char* text) {
    if (!IsLogOpen()) return 0;
    return logFile->PutLine(OrEmpty(text)) ? 1 : 0;
}
