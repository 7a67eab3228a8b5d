#include "foundation/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "foundation/unicode_text.h"
#include "platform/paths.h"
#include "platform/regular_file.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/run_files.h"

namespace {

// The reasons of opens that the file stack refuses.
constexpr const char* kIncludeLoop = "an include loop: the file is being read already";

constexpr int kLineFeed = 0x0A;
constexpr int kCarriageReturn = 0x0D;
constexpr size_t kChunkBytes = size_t{64} * 1024;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The offset of the first LF, CR or NUL byte among the `n` bytes at `from`,
// or `n` when there is none.  Sixteen bytes are looked at together while
// that many are left.
size_t FindLineEndOrNul(const char* from, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8(kLineFeed), ret = _mm_set1_epi8(kCarriageReturn), zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, feed), _mm_cmpeq_epi8(v, ret)), _mm_cmpeq_epi8(v, zero));
        if (const int mask = _mm_movemask_epi8(hits))
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (; i < n; ++i)
        if (from[i] == kLineFeed || from[i] == kCarriageReturn || from[i] == '\0') return i;
    return n;
}

// Counts the valid multi-byte sequences and the invalid bytes of UTF-8
// text read in pieces; a sequence cut by the end of one piece is completed
// from the next.
class Utf8Tally {
public:
    size_t valid = 0;
    size_t invalid = 0;

    void Add(const char* text, size_t n) {
        const auto* p = reinterpret_cast<const unsigned char*>(text);
        size_t i = 0;
        // A sequence begun at the end of the last piece.
        while (carryLength > 0 && i < n) {
            carry[carryLength++] = p[i++];
            const int k = unicode::SequenceLength(carry, carryLength);
            if (k < 0 && carryLength < 4) continue;
            if (k > 0) {
                ++valid;
            } else {
                // The lead byte is invalid; the bytes of this piece after
                // it are looked at again.
                ++invalid;
                i = 0;
            }
            carryLength = 0;
        }
        for (; i < n;) {
            if (p[i] < 0x80) {
                // Plain ASCII, many bytes at a time.
                size_t next = i + 1;
#if defined(__SSE2__)
                while (next + 16 <= n &&
                       !_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + next))))
                    next += 16;
#endif
                while (next + 8 <= n) {
                    uint64_t word;
                    std::memcpy(&word, p + next, sizeof word);
                    if (word & 0x8080808080808080ull) break;
                    next += 8;
                }
                while (next < n && p[next] < 0x80) ++next;
                i = next;
                continue;
            }
            // The common two- and three-byte sequences, whose second byte
            // needs no range check, without the call.
            const unsigned c = p[i];
            if (c >= 0xC2 && c <= 0xDF && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
                ++valid;
                i += 2;
                continue;
            }
            if (c >= 0xE1 && c <= 0xEF && c != 0xED && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 &&
                (p[i + 2] & 0xC0) == 0x80) {
                ++valid;
                i += 3;
                continue;
            }
            const int k = unicode::SequenceLength(p + i, n - i);
            if (k < 0) {
                carryLength = n - i;
                std::memcpy(carry, p + i, carryLength);
                return;
            }
            if (k == 0) {
                ++invalid;
                ++i;
            } else {
                ++valid;
                i += static_cast<size_t>(k);
            }
        }
    }
    // The end of the text: a sequence left unfinished is an invalid byte.
    void Finish() {
        if (carryLength > 0) ++invalid;
        carryLength = 0;
    }

private:
    unsigned char carry[4] = {};
    size_t carryLength = 0;
};

// Whether the first bytes of a file are 16-bit text without a byte-order
// mark, told by where its zero bytes stand: the high bytes of its ASCII
// characters (blanks, digits, tabs, line ends) are zero, the low bytes of
// its characters almost never.  Text mostly in ASCII letters has nearly
// every high byte zero: at least 90% of the bytes on one side zero and fewer
// than 10% on the other.  Text in another script (Cyrillic, Greek, CJK) has
// zeros only where it has ASCII characters: there at least
// kSixteenBitMinZeros zero bytes, a tenth of the side, and at most a quarter
// of that share on the other side; 8-bit text has no NUL bytes to speak of,
// and those it has fall on both sides.  0 when neither, 1 low byte first
// (zeros at odd offsets), 2 high byte first.
constexpr size_t kSixteenBitMinZeros = 8;

int SixteenBitOrder(const unsigned char* bytes, size_t n) {
    if (n < 2) return 0;
    size_t zeroEven = 0, zeroOdd = 0;
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] == 0) ++((i & 1) ? zeroOdd : zeroEven);
    const size_t even = (n + 1) / 2, odd = n / 2;
    // `zeros` of `all` bytes on the side of the high bytes, `otherZeros` of
    // `otherAll` on the other.
    const auto highSide = [](size_t zeros, size_t all, size_t otherZeros, size_t otherAll) {
        if (zeros * 10 >= all * 9 && otherZeros * 10 < otherAll) return true;
        return zeros >= kSixteenBitMinZeros && zeros * 10 >= all && otherZeros * all * 4 <= zeros * otherAll;
    };
    if (highSide(zeroOdd, odd, zeroEven, even)) return 1;
    if (highSide(zeroEven, even, zeroOdd, odd)) return 2;
    return 0;
}

}  // namespace

TextFile::~TextFile() { AbandonAll(); }

// ---------------------------------------------------------------------------
// The file stack

int TextFile::CloseAll() {
    while (depth > 0) CloseTopFile();
    ResetFileStack();
    return 1;
}

int TextFile::AbandonAll() {
    abandoning_ = true;
    TextFile::CloseAll();
    abandoning_ = false;
    return 1;
}

std::string TextFile::WriteFailureText() const {
    if (!writeRefusal.empty()) return writeRefusal;
    if (!writeError) return std::string();
    std::string text = SystemErrorText(writeError);
    if (!keptTemporary.empty())
        text += "; the file is cut, and its new content is whole in \"" + keptTemporary + "\"";
    return text;
}

void TextFile::CloseHandle(FILE* handle) {
    auto output = std::find_if(outputStreams.begin(), outputStreams.end(),
                               [handle](const OutputStream& entry) { return entry.stream == handle; });
    if (output != outputStreams.end()) {
        bool keep = writeError == 0 && !abandoning_;
        // A file the run has read since this one was opened (an include
        // naming it) keeps what it holds.
        if (keep && !output->temporary.empty() && TheRunFiles().FindInput(output->target)) {
            keep = false;
            writeError = EEXIST;
            writeRefusal = "the run reads this file, so it is kept as it was";
        }
        const int failure = CloseOutputStream(*output, keep);
        if (failure && !writeError) writeError = failure;
        if (!output->keptTemporary.empty()) keptTemporary = output->keptTemporary;
        if (keep && !failure) TheRunFiles().NoteWritten(output->target);
        outputStreams.erase(output);
    } else {
        std::fclose(handle);
    }
    // The file's buffer, if it was given one, is no longer used.
    for (auto entry = writeBuffers.begin(); entry != writeBuffers.end(); ++entry)
        if (entry->first == handle) {
            writeBuffers.erase(entry);
            break;
        }
}

bool TextFile::OpenForWrite(const char* name, int toConsoleOutput, int binary) {
    if (toConsoleOutput) {
        toConsole = 1;
        isOpen = 1;
        forReading = 0;
        return true;
    }
    if (!outputList) {
        binaryMode = binary ? 1 : 0;
        // Binary mode either way: every line end written is a single LF.
        // An input of the run is never opened for writing.
        if (name && TheRunFiles().FindInput(name)) {
            openFailure = "the run reads this file";
            errno = EEXIST;
            if (depth == 0) isOpen = 0;
            return false;
        }
        int failure = 0;
        OutputStream output = OpenOutputStream(name ? name : "", &failure);
        FILE* handle = output.stream;
        if (handle) outputStreams.push_back(std::move(output));
        // Output files are written in large pieces: the library's default
        // of one disk block a write makes a system call every few lines.
        if (handle) {
            auto buffer = std::make_unique<char[]>(kWriteBufferSize);
            if (std::setvbuf(handle, buffer.get(), _IOFBF, kWriteBufferSize) == 0)
                writeBuffers.emplace_back(handle, std::move(buffer));
        }
        if (handle && !PushFile(handle, name)) {
            // Nothing was written: the target stays as it was.
            CloseOutputStream(outputStreams.back(), false);
            outputStreams.pop_back();
            writeBuffers.erase(std::remove_if(writeBuffers.begin(), writeBuffers.end(),
                                              [handle](const auto& entry) { return entry.first == handle; }),
                               writeBuffers.end());
            handle = nullptr;
        }
        if (!handle) {
            openFailure = failure != 0 ? SystemErrorText(failure) : std::string("the file is being read");
            errno = failure;
            // Files still stacked below stay open and usable.
            if (depth == 0) isOpen = 0;
            return false;
        }
    }
    openFailure.clear();
    isOpen = 1;
    forReading = 0;
    return true;
}

bool TextFile::OpenForRead(const char* name) {
    if (inputList) {
        isOpen = 1;
        forReading = 1;
        linesRead = 0;
        return true;
    }
    auto refuse = [this](std::string why) {
        openFailure = std::move(why);
        return false;
    };
    if (!name || !*name) return refuse("no file name");
    // A file the run wrote holds the run's output, not the user's text.
    if (!TheRunFiles().MayRead(name)) return refuse("the run wrote this file");
    // A file may not include itself, under its own name or any other.
    if (IsFileOpen(name)) return refuse(kIncludeLoop);
    if (depth >= kMaxDepth)
        return refuse("the include depth limit of " + std::to_string(kMaxDepth) + " files is reached");
    std::string canonical = CanonicalPath(name);
    if (!canonical.empty() && IsCanonicalPathOnStack(canonical)) return refuse(kIncludeLoop);

    linesRead = 0;
    OpenedForReading opened = OpenRegularFileForReading(name);
    openFailure = opened.reason;
    if (opened.notRegular) {
        refusal.name = name;
        refusal.reason = std::move(opened.reason);
    }
    FILE* handle = opened.stream.release();
    if (handle) refusal = Refusal();
    if (handle && !PushFile(handle, name)) {
        std::fclose(handle);
        handle = nullptr;
        openFailure = kIncludeLoop;
    }
    if (!handle) {
        if (depth == 0) isOpen = 0;
        return false;
    }
    // No write of the run may replace it now.
    TheRunFiles().NoteRead(name);
    DetectEncoding();
    isOpen = 1;
    forReading = 1;
    return true;
}

bool TextFile::TakeRefusal(std::string* name, std::string* reason) {
    if (refusal.name.empty()) return false;
    if (name) *name = std::move(refusal.name);
    if (reason) *reason = std::move(refusal.reason);
    refusal = Refusal();
    return true;
}

bool TextFile::SwitchToFile(const char* name) {
    CloseTopFile();
    ++switchCount;
    if (switchCount > kMaxSwitches) {
        openFailure = "more than " + std::to_string(kMaxSwitches) + " switches to another file";
        return false;
    }
    return OpenForRead(name);
}

int TextFile::ResetFileStack() {
    // Handles still stacked are closed here too, so none is ever leaked.
    if (!toConsole) {
        for (FILE* handle : fileHandles)
            if (handle) CloseHandle(handle);
    }
    fileNames.clear();
    fileHandles.clear();
    fileStates.clear();
    depth = 0;
    inputList = nullptr;
    outputList = nullptr;
    inputPosition = 0;
    isOpen = 0;
    utf8Text = -1;
    UpdateEncodingFlags();
    return 1;
}

int TextFile::CloseTopFile() {
    if (depth == 0) return 1;
    FILE* handle = fileHandles.back();
    if (!toConsole && handle) CloseHandle(handle);
    fileNames.pop_back();
    fileHandles.pop_back();
    fileStates.pop_back();
    --depth;
    // The file below keeps the encoding it was found to have.
    UpdateEncodingFlags();
    return 1;
}

int TextFile::PushFile(FILE* handle, const char* name) {
    if (!handle || depth >= kMaxDepth) return 0;
    std::string canonical = CanonicalPath(name);
    if (!canonical.empty() && IsCanonicalPathOnStack(canonical)) return 0;
    fileNames.emplace_back(name ? name : "");
    fileHandles.push_back(handle);
    FileState state;
    state.canonicalPath = std::move(canonical);
    fileStates.push_back(std::move(state));
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    UpdateEncodingFlags();
    return 1;
}

bool TextFile::IsFileOpen(const char* name) {
    if (!name) return false;
    return std::find(fileNames.begin(), fileNames.end(), name) != fileNames.end();
}

bool TextFile::IsCanonicalPathOnStack(const std::string& path) const {
    return std::any_of(fileStates.begin(), fileStates.end(),
                       [&](const FileState& state) { return state.canonicalPath == path; });
}

void TextFile::UpdateEncodingFlags() {
    Encoding encoding = depth > 0 ? fileStates.back().encoding : Encoding::Unknown;
    littleEndian16 = encoding == Encoding::LittleEndian16 ? 1 : 0;
    bigEndian16 = encoding == Encoding::BigEndian16 ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Reading

int TextFile::ReadByte() {
    FileState& state = fileStates.back();
    if (!state.pushedBack.empty()) {
        unsigned char c = static_cast<unsigned char>(state.pushedBack.back());
        state.pushedBack.pop_back();
        return c;
    }
    if (!RefillChunk(state)) return EOF;
    return static_cast<unsigned char>(state.chunk[state.chunkPos++]);
}

bool TextFile::RefillChunk(FileState& state) {
    if (state.chunkPos < state.chunkEnd) return true;
    // The files are read from one thread only: no locking per block.
    if (state.chunk.size() < kChunkBytes) state.chunk.resize(kChunkBytes);
    state.chunkPos = 0;
    state.chunkEnd = fread_unlocked(state.chunk.data(), 1, kChunkBytes, fileHandles.back());
    return state.chunkEnd > 0;
}

void TextFile::UnreadByte(int c) {
    if (c != EOF) fileStates.back().pushedBack.push_back(static_cast<char>(c));
}

int TextFile::ReadUnit(bool bigEndian) {
    int first = ReadByte();
    if (first == EOF) return EOF;
    int second = ReadByte();
    if (second == EOF) return EOF;  // a trailing odd byte is no character
    return bigEndian ? (first << 8) | second : (second << 8) | first;
}

void TextFile::UnreadUnit(int unit, bool bigEndian) {
    if (unit == EOF) return;
    int high = (unit >> 8) & 0xFF;
    int low = unit & 0xFF;
    // Given back in reverse, so the first byte of the unit is read first.
    UnreadByte(bigEndian ? low : high);
    UnreadByte(bigEndian ? high : low);
}

// The encoding of the top file, decided from its first block before any
// line is read: a byte-order mark (FF FE, FE FF: 16-bit; EF BB BF: UTF-8;
// the mark is not part of the text); 16-bit text by the zero bytes of its
// first kSixteenBitSample bytes; UTF-8 when "Character encoding" says so or
// the bytes look like it (LooksLikeUtf8); otherwise 8-bit text.  The first
// file of the stack decides the encoding of the text read.
void TextFile::DetectEncoding() {
    FileState& state = fileStates.back();
    RefillChunk(state);
    const auto* bytes = reinterpret_cast<const unsigned char*>(state.chunk.data());
    const size_t n = state.chunkEnd;
    if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        state.encoding = Encoding::Utf8;
        state.chunkPos = 3;
    } else if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        state.encoding = Encoding::LittleEndian16;
        state.chunkPos = 2;
    } else if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        state.encoding = Encoding::BigEndian16;
        state.chunkPos = 2;
    } else if (const int order = SixteenBitOrder(bytes, std::min(n, kSixteenBitSample))) {
        state.encoding = order == 1 ? Encoding::LittleEndian16 : Encoding::BigEndian16;
    } else if (declaredUtf8 || LooksLikeUtf8(state)) {
        state.encoding = Encoding::Utf8;
    } else {
        state.encoding = Encoding::EightBit;
    }
    if (state.encoding == Encoding::LittleEndian16 || state.encoding == Encoding::BigEndian16) pureAscii = 0;
    if (utf8Text < 0) utf8Text = state.encoding == Encoding::EightBit ? 0 : 1;
    UpdateEncodingFlags();
}

// The whole file is looked at: its block already read, then (when the file
// can be read again from there) the rest, after which reading goes back to
// where it was.
bool TextFile::LooksLikeUtf8(FileState& state) {
    Utf8Tally tally;
    tally.Add(state.chunk.data() + state.chunkPos, state.chunkEnd - state.chunkPos);
    FILE* handle = fileHandles.back();
    if (state.chunkEnd == state.chunk.size()) {
        const long resume = std::ftell(handle);
        if (resume >= 0) {
            std::vector<char> block(kChunkBytes);
            for (size_t got; (got = fread_unlocked(block.data(), 1, block.size(), handle)) > 0;)
                tally.Add(block.data(), got);
            if (std::fseek(handle, resume, SEEK_SET) != 0) state.chunkEnd = state.chunkPos;  // read no further
        }
    }
    tally.Finish();
    return tally.valid > 0 && tally.valid >= tally.invalid;
}

void TextFile::Warn(bool& given, const char* what, int line) {
    if (given) return;
    given = true;
    std::string text = "WARNING: ";
    text += what;
    text += " in \"" + fileNames.back() + "\" from line " + std::to_string(line);
    readWarnings.push_back(std::move(text));
}

void TextFile::TakeCarriageReturnEnd(FileState& state) {
    int extra = 0;  // CRs after the first one
    for (;;) {
        const int c = ReadByte();
        if (c == kCarriageReturn) {
            ++extra;
            continue;
        }
        if (c == kLineFeed) return;  // CR ... CR LF: one line end
        UnreadByte(c);
        break;
    }
    // Lone CRs: each ends a line of its own, an empty one.
    state.blankLinesDue += extra;
}

bool TextFile::ReadByteLine(TextString& line) {
    FileState& state = fileStates.back();
    bool any = false;  // a byte of the line was taken
    line.MakeEmpty();
    for (;;) {
        int c;
        if (!state.pushedBack.empty()) {
            c = ReadByte();
        } else {
            if (!RefillChunk(state)) return any;
            const char* from = state.chunk.data() + state.chunkPos;
            const size_t available = state.chunkEnd - state.chunkPos;
            const size_t stop = FindLineEndOrNul(from, available);
            if (!any)
                line.AssignChars(from, static_cast<int>(stop));
            else if (stop > 0)
                line.AppendBytes(from, static_cast<int>(stop));
            state.chunkPos += stop;
            any = true;
            if (stop == available) continue;
            c = static_cast<unsigned char>(state.chunk[state.chunkPos++]);
        }
        if (c == EOF) return any;
        any = true;
        if (c == kLineFeed) return true;
        if (c == kCarriageReturn) {
            TakeCarriageReturnEnd(state);
            return true;
        }
        if (c == '\0') {
            Warn(state.nulWarned, "NUL bytes read as blanks", state.lineNumber + 1);
            c = ' ';
        }
        line.AppendChar(static_cast<char>(c));
    }
}

// Whole 16-bit units through the next line end, decoded to UTF-8.  A
// surrogate without its partner becomes U+FFFD; a NUL unit a blank.
bool TextFile::ReadSixteenBitLine(TextString& line) {
    const bool bigEndian = fileStates.back().encoding == Encoding::BigEndian16;
    FileState& state = fileStates.back();
    line.MakeEmpty();
    int unit = ReadUnit(bigEndian);
    if (unit == EOF) return false;
    std::string text;
    for (; unit != EOF; unit = ReadUnit(bigEndian)) {
        if (unit == kLineFeed) break;
        if (unit == kCarriageReturn) {
            int extra = 0;
            int next;
            while ((next = ReadUnit(bigEndian)) == kCarriageReturn) ++extra;
            if (next != kLineFeed) {
                UnreadUnit(next, bigEndian);
                state.blankLinesDue += extra;
            }
            break;
        }
        uint32_t code = static_cast<uint32_t>(unit);
        if (code == 0) {
            Warn(state.nulWarned, "NUL bytes read as blanks", state.lineNumber + 1);
            code = ' ';
        } else if (IsHighSurrogate(code)) {
            const int next = ReadUnit(bigEndian);
            if (next != EOF && IsLowSurrogate(static_cast<uint32_t>(next))) {
                code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint32_t>(next) - 0xDC00);
            } else {
                UnreadUnit(next, bigEndian);
                code = unicode::kReplacementCharacter;
            }
        } else if (IsLowSurrogate(code)) {
            code = unicode::kReplacementCharacter;
        }
        unicode::AppendUtf8(text, code);
    }
    line.AssignChars(text.data(), static_cast<int>(text.size()));
    return true;
}

void TextFile::ConvertLine(TextString& line) {
    FileState& state = fileStates.back();
    if (state.encoding == Encoding::EightBit) {
        // 8-bit text in 8-bit text stays as it is, unlooked at.
        if (utf8Text == 1) unicode::Windows1252ToUtf8(line);
        return;
    }
    if (!unicode::HasNonAscii(line)) return;
    if (unicode::MendUtf8Line(line))
        Warn(state.invalidWarned, "Bytes that are not UTF-8 read as Windows-1252 characters", state.lineNumber);
    if (utf8Text == 0 && unicode::Utf8ToWindows1252(line))
        Warn(state.lackingWarned, "Characters that Windows-1252 lacks written as \"?\"", state.lineNumber);
}

bool TextFile::ReadRawLine() {
    if (!forReading) return false;
    if (inputList) {
        const char* entry = inputList->TextAt(inputPosition);
        if (!entry) return false;
        AddHistoryLine(new TextString(entry));
        ++inputPosition;
        return true;
    }
    // The line is read straight into its history entry: a dropped history
    // line is filled again rather than a new one made.
    std::unique_ptr<TextString> entry;
    if (!spareLines.empty()) {
        entry = std::move(spareLines.back());
        spareLines.pop_back();
    } else {
        entry = std::make_unique<TextString>();
    }
    if (ReadFileLine(*entry)) {
        AddHistoryLine(entry.release());
        return true;
    }
    KeepSpareLine(std::move(entry));
    return false;
}

bool TextFile::ReadRawLineInto(TextString& to) {
    if (!forReading || inputList) {
        if (!ReadRawLine()) return false;
        HandOnNewestLine(to);
        return true;
    }
    return ReadFileLine(to);
}

bool TextFile::ReadFileLine(TextString& line) {
    while (depth > 0) {
        if (fileStates.back().encoding == Encoding::Unknown) DetectEncoding();
        FileState& state = fileStates.back();
        bool got = false;
        if (state.blankLinesDue > 0) {
            --state.blankLinesDue;
            line.MakeEmpty();
            got = true;
        } else if (state.encoding == Encoding::EightBit || state.encoding == Encoding::Utf8) {
            got = ReadByteLine(line);
        } else {
            got = ReadSixteenBitLine(line);
        }
        if (got) {
            FileState& read = fileStates.back();
            ++read.lineNumber;
            // 8-bit text in 8-bit text stays as it was read.
            if (read.encoding != Encoding::EightBit || utf8Text == 1) ConvertLine(line);
            ++linesRead;
            return true;
        }
        // The end of an included file: go on in the file that included it.
        if (depth == 1) break;
        CloseTopFile();
    }
    return false;
}

bool TextFile::ReadLine(TextString& out) {
    if (!ReadRawLine()) return false;
    const TextString* newest = history.back().get();
    out.AssignChars(newest->buffer, newest->length);
    return true;
}

// ---------------------------------------------------------------------------
// History

const char* TextFile::GetHistoryLine(int n) const {
    if (n < 1 || n > historyCount) return nullptr;
    return history[static_cast<size_t>(n - 1)]->buffer;
}

void TextFile::AddHistoryLine(TextString* line) {
    if (!line) return;
    history.emplace_back(line);
    historyCount = static_cast<int>(history.size());
    if (historyCount > historyLimit) DropOldestLines(historyDrop);
}

int TextFile::DropOldestLines(int n) {
    if (n > 0) {
        n = std::min(n, historyCount);
        // The dropped lines are kept for reuse, as many as one drop gives.
        for (int i = 0; i < n; ++i) KeepSpareLine(std::move(history[static_cast<size_t>(i)]));
        history.erase(history.begin(), history.begin() + n);
        historyCount = static_cast<int>(history.size());
    }
    return historyCount;
}

void TextFile::KeepSpareLine(std::unique_ptr<TextString> line) {
    if (!line || line->capacity > kSpareLineRoom || static_cast<int>(spareLines.size()) >= std::max(historyDrop, 1))
        return;
    line->MakeEmpty();
    spareLines.push_back(std::move(line));
}

void TextFile::HandOnNewestLine(TextString& to) {
    if (history.empty()) {
        to.MakeEmpty();
        return;
    }
    std::unique_ptr<TextString> newest = std::move(history.back());
    history.pop_back();
    historyCount = static_cast<int>(history.size());
    // The texts trade buffers: the line read is not copied, and the room `to`
    // had may serve a later read.  (Traded field by field: each text keeps
    // a buffer it owns or the shared empty one, without the moves' frees.)
    std::swap(to.buffer, newest->buffer);
    std::swap(to.length, newest->length);
    std::swap(to.capacity, newest->capacity);
    KeepSpareLine(std::move(newest));
}

// ---------------------------------------------------------------------------
// Writing

bool TextFile::PutString(const TextString& text) { return PutLine(text.buffer); }

bool TextFile::PutLine(const char* text) { return WriteLine(this, text); }

namespace {

bool WriteLineAsItStands(TextFile* file, const char* text);

}  // namespace

bool WriteLine(TextFile* file, const char* text) {
    if (!file) return false;
    if (!text) text = "";
    const size_t length = std::strlen(text);
    if (file->writtenLineForm && file->writtenLineForm.needed(text, length)) {
        TextString& line = file->formedLine;
        line.AssignChars(text, static_cast<int>(length));
        file->writtenLineForm.apply(line);
        const bool written = WriteLineAsItStands(file, line.buffer);
        // The room of a long line is given back rather than held.
        if (line.capacity > TextFile::kFormedLineRoom) line = TextString();
        return written;
    }
    return WriteLineAsItStands(file, text);
}

namespace {

bool WriteLineAsItStands(TextFile* file, const char* text) {
    if (file->outputList) {
        file->outputList->Add(text);
        return true;
    }
    if (!file->toConsole) {
        if (file->depth == 0) return false;
        FILE* handle = file->fileHandles.back();
        const size_t n = std::strlen(text);
        const bool written = fwrite_unlocked(text, 1, n, handle) == n && putc_unlocked('\n', handle) != EOF;
        if (written && !std::ferror(handle)) return true;
        if (!file->writeError) file->writeError = errno ? errno : EIO;
        return false;
    }
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    return true;
}

}  // namespace
