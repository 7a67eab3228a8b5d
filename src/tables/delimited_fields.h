// The fields of a delimited table: reading the fields of a line, and the
// records of a comma-delimited table, whose quoted fields may run over line
// ends (as spreadsheets and databases export a field that holds line breaks).
#pragma once

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

#include "foundation/text_string.h"
#include "tables/block_lines.h"

// Walks the fields of a delimited text from left to right.  With quotes
// honoured, a '"' outside quotes opens a quoted part, in which the delimiter
// does not separate; inside it a doubled '"' stands for one and a single '"'
// closes it.  A field that met a quote and both begins and ends with '"'
// loses those two characters and has each doubled '"' made single.  Any
// other byte (a line feed of a record too) is a byte of its field.  The walk
// is linear in the text length.
class DelimitedFieldReader {
public:
    // (Quotes are honoured only when the text holds one: most lines of a
    // comma-delimited table hold none, and their fields are found as the
    // delimiter is.)
    DelimitedFieldReader(const char* text, int length, char delimiter, bool honourQuotes)
        : text(text), length(text ? length : 0), delimiter(delimiter), quotes(false), done(text == nullptr) {
        const void* quote =
            honourQuotes && text ? std::memchr(text, '"', static_cast<size_t>(this->length)) : nullptr;
        quotes = quote != nullptr;
        if (quote) nextQuote = static_cast<int>(static_cast<const char*>(quote) - text);
    }
    // The tab-delimited fields of a raw text kept as the tab runs of its
    // layout text (see TabRuns), read in the layout text: each field is the
    // piece between two runs.  The ranges are in the layout text.
    DelimitedFieldReader(LineText layout, const unsigned char* runs)
        : text(layout.buffer), length(layout.length), delimiter('\t'), quotes(false), done(false), tabs(runs) {}

    // The text the ranges of NextRange are in.
    LineText Text() const { return LineText{text, length}; }

    // The next field into `out` (empty for an empty field; `out` may be
    // null to pass over it); false when the text holds no further field.
    bool Next(TextString* out);
    // The next field as it stands in the text, its bytes from `*start` up
    // to `*end`, and whether Next would unquote it (`*unquote`); false when
    // the text holds no further field.
    bool NextRange(int* start, int* end, bool* unquote) {
        if (tabs) return NextInLayout(start, end, unquote);
        return quotes ? NextInQuotes(start, end, unquote) : NextAtDelimiter(start, end, unquote);
    }
    // The field NextRange gave into `out`, unquoted as it said.
    void CopyField(int start, int end, bool unquote, TextString* out) const;
    // The number of fields still to be read when it is known without
    // reading them (fields read in a layout text); 0 otherwise.
    int FieldsKnown() const {
        return tabs && !done ? static_cast<int>(std::min<size_t>(tabs->Left(), INT_MAX - 1)) + 1 : 0;
    }
    // Whether the text holds no further field (Next would give false).
    bool AtEnd() const { return done; }

private:
    const char* text;
    int length;
    char delimiter;
    bool quotes;
    int position = 0;
    // Where the first quote at or after `position` is, when not before it
    // (the text's length when there is none).
    int nextQuote = -1;
    bool done;
    // The runs still to be read, when the fields are read in a layout text.
    std::optional<TabRuns::Walk> tabs;

    // A text with quotes honoured.
    bool NextInQuotes(int* start, int* end, bool* unquote);
    // Where the first `byte` at or after `from` is (the length when none).
    int FindByte(int from, char byte) const;
    // The field ends where the next run starts, the next field where it
    // ends.
    // A text without quotes (or with quotes not honoured): the field ends
    // at the next delimiter.
    bool NextAtDelimiter(int* start, int* end, bool* unquote) {
        if (done) return false;
        const void* found = std::memchr(text + position, delimiter, static_cast<size_t>(length - position));
        *start = position;
        *unquote = false;
        if (found) {
            *end = static_cast<int>(static_cast<const char*>(found) - text);
            position = *end + 1;
        } else {
            *end = length;
            done = true;
        }
        return true;
    }
    bool NextInLayout(int* start, int* end, bool* unquote) {
        if (done) return false;
        size_t runStart = 0;
        size_t runEnd = 0;
        *start = position;
        *unquote = false;
        if (tabs->Next(&runStart, &runEnd)) {
            *end = static_cast<int>(runStart);
            position = static_cast<int>(runEnd);
        } else {
            *end = length;
            done = true;
        }
        return true;
    }
};

// The fields of `line`'s raw text, delimited by `delimiter` (quotes
// honoured as DelimiterHonoursQuotes says).  Tabs delimiting a raw text
// kept as its tab runs, the fields are read in the layout text; any other
// raw text rebuilt is rebuilt into `scratch`.
DelimitedFieldReader LineFields(const PreFormLine& line, char delimiter, TextString& scratch);

// Whether quotes group the fields of a table with this delimiter: only a
// comma-delimited table's.
inline bool DelimiterHonoursQuotes(char delimiter) { return delimiter == ','; }

// The number of fields of a delimited text, quotes honoured as the reader
// honours them.
int CountDelimitedFields(std::string_view text, char delimiter);

// Field `fieldNumber` (from 1) of a delimited line, quotes honoured: 1 when
// the field exists (also when empty), 0 when the line has fewer fields.
int GetDelimitedField(const char* text, int fieldNumber, char delimiter, TextString* out);

// Whether a comma-delimited line ends inside a quoted field that began with
// the first character of its field, so that the field, and the record with
// it, runs on over the line end.  `inField`: the line is read from inside
// such a field, carried over from the line before.  A quote opened inside a
// field (`ab"c`) ends with the line, as it always has.
//
// Each quote of a line turns the reading from outside a quote to inside or
// back, a doubled quote inside a field turning it twice: a line read from
// inside a field and left inside one holds an even number of quotes, and
// read from outside it would end outside.  FindRecords relies on it.
bool QuotedFieldRunsOn(std::string_view text, bool inField);
