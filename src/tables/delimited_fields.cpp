// The fields of a delimited table and the records of a comma-delimited one.
//
// Bounds that keep any input linear:
// - a record runs over at most kMaxRecordLines lines: a quote still open at
//   the end of the last of them (or of the block, or before a directive
//   line: of a conversion only CHANGE_POLICY lines reach the block) is taken
//   as it stands, and the record is its first line alone;
// - a record that fails so is looked for from each of its lines once more,
//   but none of them can open a record (see QuotedFieldRunsOn), so every line
//   is read at most twice.
#include "tables/delimited_fields.h"

#include <algorithm>
#include <cstring>

#include "tables/preform.h"

namespace {

constexpr int kMaxRecordLines = 1000;

}  // namespace

bool DelimitedFieldReader::NextInQuotes(int* start, int* end, bool* unquote) {
    if (done) return false;
    const int first = position;
    bool quoteMet = false;
    int i = first;
    // Up to the first quote or the delimiter (most fields hold no
    // quote); from a quote on, byte by byte.  The field's first
    // delimiter is found as it is without quotes, and the quote after
    // it once for all the fields up to it: each byte is looked at no
    // more than twice.
    if (nextQuote < i) nextQuote = FindByte(i, '"');
    const int delimiterAt = FindByte(i, delimiter);
    i = std::min(delimiterAt, nextQuote);
    bool inQuote = false;
    while (i < length) {
        const char c = text[i];
        if (inQuote) {
            if (c == '"') {
                if (i + 1 < length && text[i + 1] == '"') {
                    i += 2;
                    continue;
                }
                inQuote = false;
            }
            ++i;
            continue;
        }
        if (c == delimiter) break;
        if (c == '"') inQuote = quoteMet = true;
        ++i;
    }
    if (i >= length)
        done = true;
    else
        position = i + 1;
    *start = first;
    *end = i;
    *unquote = i - first >= 2 && quoteMet && text[first] == '"' && text[i - 1] == '"';
    return true;
}

int DelimitedFieldReader::FindByte(int from, char byte) const {
    const void* found = std::memchr(text + from, byte, static_cast<size_t>(length - from));
    return found ? static_cast<int>(static_cast<const char*>(found) - text) : length;
}

bool DelimitedFieldReader::Next(TextString* out) {
    int start = 0;
    int end = 0;
    bool unquote = false;
    if (!NextRange(&start, &end, &unquote)) {
        if (out) out->MakeEmpty();
        return false;
    }
    if (out) CopyField(start, end, unquote, out);
    return true;
}

void DelimitedFieldReader::CopyField(int start, int end, bool unquote, TextString* out) const {
    if (!unquote) {
        out->AssignChars(text + start, end - start);
        return;
    }
    out->MakeEmpty();
    for (int k = start + 1; k < end - 1; ++k) {
        out->AppendChar(text[k]);
        if (text[k] == '"' && k + 1 < end - 1 && text[k + 1] == '"') ++k;
    }
}

int CountDelimitedFields(std::string_view text, char delimiter) {
    // Without quotes (or without a quote on the line) every delimiter
    // separates: one field more than delimiters.
    if (!DelimiterHonoursQuotes(delimiter) || text.find('"') == std::string_view::npos)
        return 1 + static_cast<int>(std::count(text.begin(), text.end(), delimiter));
    DelimitedFieldReader reader(text.data(), static_cast<int>(text.size()), delimiter, true);
    int fields = 0;
    while (reader.Next(nullptr)) ++fields;
    return fields;
}

DelimitedFieldReader LineFields(const PreFormLine& line, char delimiter, TextString& scratch) {
    const unsigned char* runs = delimiter == '\t' ? line.TabRunsOfRaw() : nullptr;
    if (runs) return DelimitedFieldReader(line.Layout(), runs);
    const LineText raw = line.Raw(scratch);
    return DelimitedFieldReader(raw.buffer, raw.length, delimiter, DelimiterHonoursQuotes(delimiter));
}

int GetDelimitedField(const char* text, int fieldNumber, char delimiter, TextString* out) {
    if (out) out->MakeEmpty();
    if (!text || fieldNumber < 1) return 0;
    DelimitedFieldReader reader(text, static_cast<int>(std::strlen(text)), delimiter, true);
    for (int n = 1; n < fieldNumber; ++n)
        if (!reader.Next(nullptr)) return 0;
    return reader.Next(out) ? 1 : 0;
}

bool QuotedFieldRunsOn(std::string_view text, bool inField) {
    // A line read from outside a field opens none without a quote (most
    // lines of a table hold none).
    if (!inField && text.find('"') == std::string_view::npos) return false;
    bool inQuote = inField;
    bool quoteOpensField = inField;  // the open quote (if any) was the first character of its field
    bool atFieldStart = !inField;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuote) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"')
                    ++i;
                else
                    inQuote = false;
            }
            continue;
        }
        if (c == ',') {
            atFieldStart = true;
            continue;
        }
        if (c == '"') {
            inQuote = true;
            quoteOpensField = atFieldStart;
        }
        atFieldStart = false;
    }
    return inQuote && quoteOpensField;
}

// ---------------------------------------------------------------------------
// Records

void PreForm::FindRecords() {
    for (PreFormLine* line : lines) line->continuesRecord = 0;
    if (!isDelimited || !DelimiterHonoursQuotes(delimiter)) return;
    TextString& raw = scratchBuffers.rawLine;
    bool warned = false;
    const size_t count = lines.size();
    for (size_t first = 0; first < count; ++first) {
        const PreFormLine& opening = *lines[first];
        if (!IsTableTextLine(opening) || !QuotedFieldRunsOn(opening.Raw(raw).view(), false)) continue;
        // The record runs on until a line closes the field (and opens no
        // other that runs on).
        size_t last = first + 1;
        bool closed = false;
        for (; last < count && last - first < kMaxRecordLines; ++last) {
            const PreFormLine& next = *lines[last];
            if (!IsTableTextLine(next)) break;
            if (!QuotedFieldRunsOn(next.Raw(raw).view(), true)) {
                closed = true;
                break;
            }
        }
        if (closed) {
            for (size_t k = first + 1; k <= last; ++k) lines[k]->continuesRecord = 1;
            first = last;
            continue;
        }
        // Taken as it stands: the line is a record of its own.
        if (!warned) {
            TextString message("WARNING: Quoted field not closed, taken as it stands at line ");
            message.AppendNumber('1', lines.OriginOf(opening).line, 0);
            Message(message.buffer, kLevelWarning);
            warned = true;
        }
    }
}

LineText PreForm::RecordRaw(int lineIndex, TextString& scratch) const {
    const auto first = static_cast<size_t>(lineIndex);
    const LineText opening = lines[first]->Raw(scratch);
    if (first + 1 >= lines.size() || !lines[first + 1]->continuesRecord) return opening;
    if (opening.buffer != scratch.buffer) scratch.AssignChars(opening.buffer, opening.length);
    TextString& raw = scratchBuffers.rawLine;
    for (size_t k = first + 1; k < lines.size() && lines[k]->continuesRecord; ++k) {
        scratch.AppendChar('\n');
        const LineText more = lines[k]->Raw(raw);
        scratch.AppendBytes(more.buffer, more.length);
    }
    return LineText{scratch.buffer, scratch.length};
}
