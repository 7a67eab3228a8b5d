// MessageReporter: the one filter every message and status line passes
// before anybody sees it.  A text is dropped by its level, by the display
// switch or by one of five message classes; what passes goes to an installed
// callback or, without one, to standard error (messages and status lines
// alike: standard output is left to what the user asked to see there).
//
// MessageSink: the reporter held by a conversion run.  It also copies every
// message and status line that passes the class filter into the run's log
// file, whether or not the text is shown.
#pragma once

#include <string>

#include "foundation/message_levels.h"
#include "foundation/text_string.h"

class TextFile;

// A text quoted in a message (a policy line, a directive's value) is cut to
// its first kMessageExcerptLength characters and "...", so that a line of
// many megabytes gives a message of one line, not a copy of the line.
constexpr int kMessageExcerptLength = 200;
// The text, or its first kMessageExcerptLength characters and "..." when it
// is longer; a UTF-8 character is never cut in two.
TextString MessageExcerpt(const TextString& text);
// Ends a message about something that could not be done with ": " and the
// reason (the system's words, or what refused it), when one is known.
void AppendReason(TextString& message, const std::string& reason);
// The control characters of a message shown as escapes, so that a file name
// or a policy line quoted in it can never move the terminal's cursor or
// change its colours: each C0 control but tab and line feed, and DEL, as
// "\xHH" (ESC is "\x1B"); each C1 control of UTF-8 text (U+0080 to
// U+009F) as "\uHHHH".  Every message and status line passes through it
// before it is shown or logged.
void ShowControlCharacters(TextString& text);

// Receives one shown message or status line.  The dialog program installs the
// status window's append routine; the reporter relies only on the call
// returning.
using MessageCallback = void (*)(const char* text);

class MessageReporter {
public:
    MessageCallback messageCallback = nullptr;
    MessageCallback statusCallback = nullptr;
    TextString currentText;
    int reportingLevel = 0;
    int display = 1;
    int suppressUrl = 1;
    int suppressInfo = 1;
    int suppressWarning = 1;
    int suppressProgramError = 1;
    int suppressTagError = 1;

    MessageReporter();
    virtual ~MessageReporter() = default;
    MessageReporter(const MessageReporter&) = delete;
    MessageReporter& operator=(const MessageReporter&) = delete;

    // Resets the receiver (through its own Reset), then takes the callbacks,
    // the level, the display switch and the five class flags of `other`.
    virtual void CopySettings(const MessageReporter& other);
    // Both callbacks null, level 0, display on, every class suppressed.
    virtual void Reset();
    // OutputMessage of the current text.
    virtual void ReportText(int level);
    virtual void OutputMessage(const char* text, int level);
    // Shows a text as the reporter's OutputMessage does (through the level
    // and class filters, to the callback or standard error) without writing
    // it to a log: for a text that the log holds in a form of its own.
    void ShowMessage(const char* text, int level);
    // OutputStatus of the current text.
    virtual void ReportTextAsStatus();
    virtual void OutputStatus(const char* text);
    // Non-zero when the text contains the class word of an enabled filter.
    virtual int IsSuppressedByPrefix(const TextString& text);
    // Non-zero when level < kLevelAlways - reporting level, or the display switch is off.
    virtual int IsSuppressedByLevel(int level);

    void SetReportingLevel(int level) { reportingLevel = level; }
    void SetFilters(int displayMessages, int suppressUrlMessages, int suppressInfoMessages,
                    int suppressWarningMessages, int suppressProgramErrorMessages, int suppressTagErrorMessages);
    void SetMessageCallback(MessageCallback callback) { messageCallback = callback; }
    void SetStatusCallback(MessageCallback callback) { statusCallback = callback; }
    void SetText(const char* text) { currentText.Assign(text); }
    void AppendText(const char* text) { currentText.Append(text); }
};

class MessageSink : public MessageReporter {
public:
    TextString logFileName;
    TextFile* logFile = nullptr;  // not owned; never opened or closed here

    MessageSink();

    // The reporter's reset, then the log file is detached (not closed).
    void Reset() override;
    void OutputMessage(const char* text, int level) override;
    void OutputStatus(const char* text) override;
    // 1 when a log file is attached and open.
    virtual int IsLogOpen();
    // Writes the text as one line to the open log; 0 when there is none.
    virtual int WriteToLog(const char* text);

    int SetLogFileName(const char* name) {
        logFileName.Assign(name);
        return 1;
    }
    int SetLogFile(TextFile* file) {
        logFile = file;
        return 1;
    }
};
