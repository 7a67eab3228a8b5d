#include "foundation/text_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/regular_file.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The path of an existing file with every link and "." or ".." resolved, so
// that two spellings of one file compare equal; empty when it cannot be
// resolved.
std::string CanonicalPath(const char* name) {
    if (!name || !*name) return std::string();
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical(std::filesystem::path(name), error);
    return error ? std::string() : path.string();
}

bool IsHighSurrogate(int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

constexpr int kLineFeed = 0x0A;
constexpr int kCarriageReturn = 0x0D;

// The offset of the first line feed or NUL byte among the `n` bytes at
// `from`, or `n` when there is neither.  Sixteen bytes are looked at
// together while that many are left.
size_t FindLineFeedOrNul(const char* from, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8(kLineFeed), zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, feed), _mm_cmpeq_epi8(v, zero)));
        if (hits) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    for (; i < n; ++i)
        if (from[i] == kLineFeed || from[i] == '\0') return i;
    return n;
}

}  // namespace

TextFile::~TextFile() { CloseAll(); }

// ---------------------------------------------------------------------------
// The file stack

int TextFile::CloseAll() {
    while (depth > 0) CloseTopFile();
    ResetFileStack();
    return 1;
}

void TextFile::CloseHandle(FILE* handle) {
    std::fclose(handle);
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
        FILE* handle = (name && *name) ? std::fopen(name, "wb") : nullptr;
        // Output files are written in large pieces: the library's default
        // of one disk block a write makes a system call every few lines.
        if (handle) {
            auto buffer = std::make_unique<char[]>(kWriteBufferSize);
            if (std::setvbuf(handle, buffer.get(), _IOFBF, kWriteBufferSize) == 0)
                writeBuffers.emplace_back(handle, std::move(buffer));
        }
        if (handle && !PushFile(handle, name)) {
            CloseHandle(handle);
            handle = nullptr;
        }
        if (!handle) {
            // Files still stacked below stay open and usable.
            if (depth == 0) isOpen = 0;
            return false;
        }
    }
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
    if (!name || !*name) return false;
    // A file may not include itself, under its own name or any other.
    if (IsFileOpen(name)) return false;
    if (depth >= kMaxDepth) return false;
    std::string canonical = CanonicalPath(name);
    if (!canonical.empty() && IsCanonicalPathOnStack(canonical)) return false;

    linesRead = 0;
    OpenedForReading opened = OpenRegularFileForReading(name);
    if (opened.notRegular) {
        refusal.name = name;
        refusal.reason = std::move(opened.reason);
    }
    FILE* handle = opened.stream.release();
    if (handle) refusal = Refusal();
    if (handle && !PushFile(handle, name)) {
        std::fclose(handle);
        handle = nullptr;
    }
    if (!handle) {
        if (depth == 0) isOpen = 0;
        return false;
    }
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
    if (switchCount > kMaxSwitches) return false;
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
    constexpr size_t kChunkBytes = 64 * 1024;
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

// The first two bytes of a file decide its encoding: FF FE is 16-bit low
// byte first, FE FF high byte first, anything else 8-bit.  The mark is not
// part of the text, but it is a character above 0x7F, so the input is no
// longer pure ASCII.
void TextFile::DetectEncoding() {
    FileState& state = fileStates.back();
    int first = ReadByte();
    int second = first == EOF ? EOF : ReadByte();
    if (first == 0xFF && second == 0xFE) {
        state.encoding = Encoding::LittleEndian16;
        pureAscii = 0;
    } else if (first == 0xFE && second == 0xFF) {
        state.encoding = Encoding::BigEndian16;
        pureAscii = 0;
    } else {
        state.encoding = Encoding::EightBit;
        UnreadByte(second);
        UnreadByte(first);
    }
    UpdateEncodingFlags();
}

// Up to kMaxLineBytes bytes through the next LF.  The LF, and a CR before
// it, are removed; a NUL byte ends the text.  When a line is cut at the
// limit and its line end follows at once, the line end is taken with it, so
// no empty line appears.
bool TextFile::ReadEightBitLine(TextString& line) {
    line.MakeEmpty();
    const int limit = kMaxLineBytes;
    bool endedWithLineFeed = false;
    bool holdsNoNul = false;
    FileState& state = fileStates.back();
    // Most lines end within the block already read: such a line is taken
    // from it at once when its line feed lies within the limit.
    if (state.pushedBack.empty() && state.chunkPos < state.chunkEnd) {
        const char* from = state.chunk.data() + state.chunkPos;
        const size_t window = std::min(static_cast<size_t>(limit), state.chunkEnd - state.chunkPos);
        const size_t stop = FindLineFeedOrNul(from, window);
        if (stop < window && from[stop] == kLineFeed) {
            // No NUL byte before the line feed: nothing to cut off below.
            line.AssignChars(from, static_cast<int>(stop));
            state.chunkPos += stop + 1;
            endedWithLineFeed = true;
            holdsNoNul = true;
        } else if (const void* feed = std::memchr(from, kLineFeed, window)) {
            const size_t n = static_cast<size_t>(static_cast<const char*>(feed) - from);
            line.AssignChars(from, static_cast<int>(n));
            state.chunkPos += n + 1;
            endedWithLineFeed = true;
        }
    }
    if (!endedWithLineFeed) {
        int c = ReadByte();
        if (c == EOF) return false;
        if (c == kLineFeed) {
            endedWithLineFeed = true;
        } else {
            line.AppendChar(static_cast<char>(c));
            for (;;) {
                if (line.length == limit) {
                    int next = ReadByte();
                    if (next == kLineFeed) {
                        endedWithLineFeed = true;
                    } else if (next == kCarriageReturn) {
                        int after = ReadByte();
                        if (after != kLineFeed) {
                            UnreadByte(after);
                            UnreadByte(next);
                        }
                    } else {
                        UnreadByte(next);
                    }
                    break;
                }
                if (!state.pushedBack.empty()) {
                    c = ReadByte();
                    if (c == EOF) break;
                    if (c == kLineFeed) {
                        endedWithLineFeed = true;
                        break;
                    }
                    line.AppendChar(static_cast<char>(c));
                    continue;
                }
                // The bytes up to the line feed, or as many as the line still
                // takes, straight from the chunk.
                if (!RefillChunk(state)) break;
                const char* from = state.chunk.data() + state.chunkPos;
                const size_t available =
                    std::min(static_cast<size_t>(limit - line.length), state.chunkEnd - state.chunkPos);
                const void* feed = std::memchr(from, kLineFeed, available);
                if (feed) {
                    const size_t n = static_cast<size_t>(static_cast<const char*>(feed) - from);
                    line.AppendBytes(from, static_cast<int>(n));
                    state.chunkPos += n + 1;
                    endedWithLineFeed = true;
                    break;
                }
                line.AppendBytes(from, static_cast<int>(available));
                state.chunkPos += available;
            }
        }
    }
    int n = line.length;
    if (endedWithLineFeed && n > 0 && line.buffer[n - 1] == '\r') --n;
    if (const void* nul = (n > 0 && !holdsNoNul) ? std::memchr(line.buffer, '\0', static_cast<size_t>(n)) : nullptr)
        n = static_cast<int>(static_cast<const char*>(nul) - line.buffer);
    if (n < line.length) line.AssignChars(line.buffer, n);
    return true;
}

// Whole 16-bit units through the next LF unit, at most kMaxLineBytes16
// bytes, converted to UTF-8.  Line ends are removed as for 8-bit lines.  A
// line cut at the limit never splits a surrogate pair.
bool TextFile::ReadSixteenBitLine(std::string& line) {
    bool bigEndian = fileStates.back().encoding == Encoding::BigEndian16;
    line.clear();
    int unit = ReadUnit(bigEndian);
    if (unit == EOF) return false;
    std::vector<int> units;
    bool endedWithLineFeed = false;
    while (unit != EOF) {
        if (unit == kLineFeed) {
            endedWithLineFeed = true;
            break;
        }
        units.push_back(unit);
        if (static_cast<int>(units.size()) * 2 == kMaxLineBytes16) {
            int next = ReadUnit(bigEndian);
            if (next == kLineFeed) {
                endedWithLineFeed = true;
            } else if (next == kCarriageReturn) {
                int after = ReadUnit(bigEndian);
                if (after != kLineFeed) {
                    UnreadUnit(after, bigEndian);
                    UnreadUnit(next, bigEndian);
                }
            } else {
                UnreadUnit(next, bigEndian);
            }
            if (!endedWithLineFeed && IsHighSurrogate(units.back())) {
                UnreadUnit(units.back(), bigEndian);
                units.pop_back();
            }
            break;
        }
        unit = ReadUnit(bigEndian);
    }
    if (endedWithLineFeed && !units.empty() && units.back() == kCarriageReturn) units.pop_back();

    TextString text;
    text.Reserve(static_cast<int>(units.size()) * 2);
    for (int u : units) {
        char high = static_cast<char>((u >> 8) & 0xFF);
        char low = static_cast<char>(u & 0xFF);
        text.AppendChar(bigEndian ? high : low);
        text.AppendChar(bigEndian ? low : high);
    }
    if (!text.ConvertUTF16ToUTF8(bigEndian ? 1 : 0)) pureAscii = 0;
    line.assign(text.buffer, static_cast<size_t>(text.length));
    return true;
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
    while (depth > 0) {
        if (fileStates.back().encoding == Encoding::Unknown) DetectEncoding();
        bool got = false;
        if (fileStates.back().encoding == Encoding::EightBit) {
            got = ReadEightBitLine(*entry);
        } else if (ReadSixteenBitLine(lineBuffer)) {
            entry->AssignChars(lineBuffer.data(), static_cast<int>(lineBuffer.size()));
            got = true;
        }
        if (got) {
            AddHistoryLine(entry.release());
            ++linesRead;
            return true;
        }
        // The end of an included file: go on in the file that included it.
        if (depth == 1) break;
        CloseTopFile();
    }
    spareLines.push_back(std::move(entry));
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
        for (int i = 0; i < n && static_cast<int>(spareLines.size()) < std::max(historyDrop, 1); ++i)
            spareLines.push_back(std::move(history[static_cast<size_t>(i)]));
        history.erase(history.begin(), history.begin() + n);
        historyCount = static_cast<int>(history.size());
    }
    return historyCount;
}

// ---------------------------------------------------------------------------
// Writing

bool TextFile::PutString(const TextString& text) { return PutLine(text.buffer); }

bool TextFile::PutLine(const char* text) { return WriteLine(this, text); }

bool WriteLine(TextFile* file, const char* text) {
    if (!file) return false;
    if (!text) text = "";
    if (file->outputList) {
        file->outputList->Add(text);
        return true;
    }
    if (!file->toConsole) {
        if (file->depth == 0) return false;
        FILE* handle = file->fileHandles.back();
        const size_t n = std::strlen(text);
        const bool written = fwrite_unlocked(text, 1, n, handle) == n && putc_unlocked('\n', handle) != EOF;
        return written && !std::ferror(handle);
    }
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    return true;
}
