// TextFile: line-oriented text input and output.
//
// For reading it keeps a stack of open files, so that an included file is
// read to its end and reading then resumes in the file that included it.
// The encoding of each file is decided when it is opened (see
// DetectEncoding): 16-bit text, UTF-8 text or 8-bit text.  The first file
// of the stack decides whether the text read is UTF-8 or 8-bit; every file
// stacked on it is converted to that (16-bit text is decoded to UTF-8
// first).  The most recent lines read are kept in a history.  For writing,
// each line goes to the top file, to an attached StringList, or to standard
// output.
//
// Files are opened in binary mode: line ends are handled here, not by the
// C library.  LF, CR LF and a lone CR each end a line (CRs directly before
// an LF belong to its line end); lines of any length are read whole.  A NUL
// byte is read as a blank.  What reading finds worth a warning waits in
// `readWarnings` for the caller.  Writing ends every line with a single LF.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/string_list.h"
#include "foundation/text_string.h"
#include "platform/output_files.h"

class TextFile {
public:
    // The bytes at the start of a file looked at for 16-bit text without a
    // byte-order mark.
    static constexpr size_t kSixteenBitSample = 4096;
    // Deepest nesting of stacked files.
    static constexpr int kMaxDepth = 32;
    // The buffer of a file opened for writing, in bytes.
    static constexpr size_t kWriteBufferSize = size_t{64} * 1024;
    // Most switches that succeed in one object's life.
    static constexpr int kMaxSwitches = 9;

    int toConsole = 0;  // output goes to standard output; nothing is opened or closed
    int depth = 0;  // number of files on the stack
    int maxDepth = 0;  // deepest nesting reached
    std::vector<std::string> fileNames;  // index depth - 1 is the top
    std::vector<FILE*> fileHandles;
    // The buffers of the files opened for writing, each freed when its file
    // is closed.
    std::vector<std::pair<FILE*, std::unique_ptr<char[]>>> writeBuffers;
    // The files opened for writing, each with what closing it has to do
    // (see platform/output_files.h).
    std::vector<OutputStream> outputStreams;
    // The error number of the first failed write or close of a file opened
    // for writing; 0 while none failed.  A file closed after a failure
    // never replaces its target.
    int writeError = 0;
    // Why a file written whole was kept from its target when no system call
    // failed (the run reads the target); set with writeError.
    std::string writeRefusal;
    // A copy into a target that failed midway left the target cut: the
    // temporary file that holds the whole new content (kept).
    std::string keptTemporary;
    // Why the last open that failed did (OpenForRead, OpenForWrite,
    // SwitchToFile): the system's words, or what the file stack refused (a
    // file being read already, the depth limit), for the caller's message.
    // Emptied by an open that succeeds.
    std::string openFailure;
    int isOpen = 0;
    int forReading = 0;
    int littleEndian16 = 0;  // the top file is 16-bit, low byte first
    int bigEndian16 = 0;  // the top file is 16-bit, high byte first
    int pureAscii = 1;  // cleared once a 16-bit file brings a character above 0x7F
    // "Character encoding" names UTF-8: a file that is not 16-bit is UTF-8
    // text.  Set before the first file is opened.
    int declaredUtf8 = 0;
    // Whether the text read is UTF-8 (1) or 8-bit (0); -1 until the first
    // file opened decides it.  A caller may set it beforehand, so that the
    // files it reads are converted to the encoding of another reader's text.
    int utf8Text = -1;
    // Warnings about the files read, in the order met, for the caller to
    // report and clear.
    std::vector<std::string> readWarnings;
    int switchCount = 0;
    int linesRead = 0;  // lines read from files since the last OpenForRead
    std::vector<std::unique_ptr<TextString>> history;  // oldest first
    int historyCount = 0;
    int historyLimit = 100;
    int historyDrop = 90;
    StringList* inputList = nullptr;  // not owned; read from instead of files when set
    StringList* outputList = nullptr;  // not owned; lines written are added to it when set
    int inputPosition = 0;  // next entry of inputList
    int binaryMode = 0;  // the last file opened for writing asked for binary mode
    // Brings each line written that holds what `needed` looks for (the
    // characters beyond ASCII, the control characters) to the form the
    // document writes them in; without one, lines are written as they stand.
    // The look is the form's own, so that a line it would leave as it is
    // costs one scan and no copy.
    struct LineForm {
        bool (*needed)(const char* text, size_t length) = nullptr;
        void (*apply)(TextString& line) = nullptr;
        explicit operator bool() const { return apply != nullptr; }
    };
    LineForm writtenLineForm;
    // The room in which a line is brought to that form, reused line after
    // line up to kFormedLineRoom bytes.
    TextString formedLine;
    static constexpr int kFormedLineRoom = 64 * 1024;

    TextFile() = default;
    // Abandons what it still writes (AbandonAll): a file reaches its target
    // only when its owner closes it, so a conversion cut short (by an
    // exception, say) leaves every earlier output as it was.
    virtual ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Closes every stacked file, then resets the stack; a file written
    // without failure replaces its target.  Returns 1.
    virtual int CloseAll();
    // Closes every stacked file as CloseAll does, except that no file being
    // written reaches its target: each target stays as it was, and the
    // temporary goes.  Returns 1.
    int AbandonAll();
    // What the message about a failed write of the file says after its name:
    // the system's words for writeError (and the temporary kept after a
    // copy that failed midway), or writeRefusal; empty without a failure.
    std::string WriteFailureText() const;
    // Opens `name` for writing (or only notes console / list output).
    virtual bool OpenForWrite(const char* name, int toConsoleOutput, int binary);
    // Opens `name` for reading on top of the stack.  Refuses an empty name, a
    // file that is already on the stack (by name or by canonical path), a
    // stack that is already kMaxDepth deep, and anything that is not a
    // regular file (see TakeRefusal).
    virtual bool OpenForRead(const char* name);
    // The last file refused by OpenForRead because it is not a regular file
    // (a directory, FIFO, device or socket), with the system's reason; the
    // refusal is forgotten once taken or when a later open succeeds.
    bool TakeRefusal(std::string* name, std::string* reason);
    // Closes the top file and opens `name` in its place; at most nine
    // switches succeed per object.
    virtual bool SwitchToFile(const char* name);
    // Closes any stacked handle, forgets the stack and the attached lists.
    virtual int ResetFileStack();
    // Closes the top file and resumes the one below it.  Returns 1.
    virtual int CloseTopFile();
    // Pushes an opened file.  Returns 1, or 0 when the stack is full or the
    // file (by canonical path) is already on it; the caller then keeps the
    // handle.
    virtual int PushFile(FILE* handle, const char* name);
    // Closes a handle of the stack, and frees its write buffer.
    void CloseHandle(FILE* handle);
    // Some stacked name equals `name` exactly.
    virtual bool IsFileOpen(const char* name);
    // Reads the next line; `out` receives it.
    virtual bool ReadLine(TextString& out);
    // Reads the next line into the history.  False at the end of all input.
    virtual bool ReadRawLine();
    virtual bool PutString(const TextString& text);
    virtual bool PutLine(const char* text);
    virtual int IsOpen() { return isOpen; }

    // Text of history line n, 1 = oldest; null outside 1 .. historyCount.
    const char* GetHistoryLine(int n) const;
    // Takes ownership of `line`; beyond historyLimit the historyDrop oldest
    // lines are dropped.
    void AddHistoryLine(TextString* line);
    // Drops the n oldest lines; returns the new count.
    int DropOldestLines(int n);
    // Hands the newest history line on: its text moves into `to` (whose
    // text is dropped) and the line leaves the history, so that a long line
    // is never held twice.  `to` is emptied when the history is empty.
    void HandOnNewestLine(TextString& to);
    // Reads the next line into `to` (its room reused), as ReadRawLine and
    // HandOnNewestLine leave it but without passing through the history.
    // False at the end of all input (`to` may be emptied then).
    bool ReadRawLineInto(TextString& to);
    // Name of the top file, or null when none is open.
    const char* GetTopFileName() const { return depth > 0 ? fileNames.back().c_str() : nullptr; }
    // The lines read so far from the file opened first (a line of a file it
    // includes counts as the line that included it); 0 when none is open.
    int MainFileLineNumber() const { return fileStates.empty() ? 0 : fileStates.front().lineNumber; }
    // The number of the last line read from the top file (1 for its first
    // line); 0 when none is open or nothing was read from it yet.
    int TopLineNumber() const { return depth > 0 ? fileStates.back().lineNumber : 0; }

private:
    enum class Encoding { Unknown, EightBit, Utf8, LittleEndian16, BigEndian16 };
    struct FileState {
        Encoding encoding = Encoding::Unknown;
        int lineNumber = 0;  // lines read from the file so far
        int blankLinesDue = 0;  // lines ended by a run of lone CRs, still to deliver
        bool nulWarned = false;  // each warning is given once per file
        bool invalidWarned = false;
        bool lackingWarned = false;
        std::string canonicalPath;  // empty when it cannot be resolved
        std::string pushedBack;  // bytes read ahead and given back, next byte last
        // Bytes read from the file in blocks and not yet taken, from
        // chunkPos up to the end of the chunk.
        std::vector<char> chunk;
        size_t chunkPos = 0;
        size_t chunkEnd = 0;
    };
    std::vector<FileState> fileStates;
    // Set while AbandonAll closes the files.
    bool abandoning_ = false;
    struct Refusal {
        std::string name;  // empty when there is none
        std::string reason;
    };
    Refusal refusal;
    // History lines dropped, kept to be filled again by later reads.
    std::vector<std::unique_ptr<TextString>> spareLines;
    // A spare line keeps at most this much room: the room of a long line is
    // given back rather than held for lines to come.
    static constexpr int kSpareLineRoom = 64 * 1024;
    // Keeps `line`, emptied, as a spare when there is room for it.
    void KeepSpareLine(std::unique_ptr<TextString> line);

    int ReadByte();
    // Fills the top file's chunk when it is used up; false at the end of
    // the file.
    bool RefillChunk(FileState& state);
    void UnreadByte(int c);
    void DetectEncoding();
    // True when the rest of the file (from the chunk's start) holds at least
    // one valid multi-byte sequence and at least as many of them as invalid
    // bytes.  (Read as UTF-8, an invalid byte is still read as the
    // Windows-1252 character it is, while read as 8-bit text a real UTF-8
    // character is garbled, and 8-bit text seldom holds a valid sequence by
    // chance: a tie is UTF-8 text with a few Windows characters pasted in.)
    bool LooksLikeUtf8(FileState& state);
    // Reads the bytes through the next line end; false at the end of the
    // file.  NUL bytes become blanks.
    bool ReadByteLine(TextString& line);
    // The next line of the open files into `line`, counted; false at the
    // end of all input.
    bool ReadFileLine(TextString& line);
    // After a CR: takes the CRs and the LF that belong to the same line end.
    void TakeCarriageReturnEnd(FileState& state);
    bool ReadSixteenBitLine(TextString& line);
    int ReadUnit(bool bigEndian);
    void UnreadUnit(int unit, bool bigEndian);
    // Brings a line of the top file to the encoding of the text read.
    void ConvertLine(TextString& line);
    // Notes the warning `what` about the top file, first met on `line`,
    // unless it was given for the file already.
    void Warn(bool& given, const char* what, int line);
    void UpdateEncodingFlags();
    bool IsCanonicalPathOnStack(const std::string& path) const;
};

// Writes `text` and a line end to the file's output list, its top file or
// standard output.  False for a null file, with nothing open, or when the
// stream reports an error.
bool WriteLine(TextFile* file, const char* text);
