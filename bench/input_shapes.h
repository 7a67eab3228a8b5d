// Generated inputs of the shapes a converted file takes, for the benchmark
// (table_bench.cpp) and the pathological-input tests: deterministic,
// so that every run converts the same bytes.
//   SpaceAligned    a table of a header, a dashed rule and rows of a name, a
//                   date, three numbers and a city, columns aligned by blanks
//   TabDelimited    the same fields parted by tabs
//   CommaDelimited  parted by commas, a quoted field with a comma now and then
//   CommaRecords    the comma-delimited table with a quoted note field that
//                   runs over two to four lines in every fourth record
//   Prose           paragraphs of ordinary sentences wrapped at 72 characters
//   OneLongLine     short words on a single line
//   ShortLines      lines of one or two short words, 8 bytes on average
//   Utf8Table       the space-aligned table in UTF-8 (names and cities with
//                   accents, Cyrillic, Greek and wide CJK characters, aligned
//                   by the positions their characters take)
//   WideTabbed      a tab-delimited header of 1,024 fields over rows of one
//                   short field: a table as wide as a delimited one gets
//   ManyColumns     a tab-delimited table of 400 columns of short numbers
//   TaggedRows      the space-aligned table with an in-line tag opening
//                   every row's first cell
//   OneCharLines    lines of a single character, 2 bytes with the line end
//   DenseTags       a space-aligned table whose cells are dense with in-line
//                   tags the program does not know
//   UserTables      the space-aligned table with a user table of two rows
//                   of two cells after every tenth row: a block every few
//                   lines
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/unicode_text.h"

namespace input_shapes {

enum class Shape {
    SpaceAligned,
    TabDelimited,
    CommaDelimited,
    CommaRecords,
    Prose,
    OneLongLine,
    ShortLines,
    Utf8Table,
    WideTabbed,
    ManyColumns,
    TaggedRows,
    OneCharLines,
    DenseTags,
    UserTables,
    PipeRows
};

// The fields of the wide table's header.
inline constexpr int kWideTableFields = 1024;

// The columns of the table of short numbers.
inline constexpr int kManyColumns = 400;

// The tag opening the first cell of every row of the tagged table.
inline constexpr const char* kRowTag = "[[VALIGN top]]";

// One row of the table, 70 to 90 characters wide, columns aligned by blanks;
// `lead` opens the first cell, which is widened by its length.
inline std::string MakeRow(unsigned n, const char* lead = "") {
    static const char* const kFirst[] = {"Alice",  "Bartholomew", "Chen",    "Dolores",   "Emil", "Fatima",
                                         "Gregor", "Hanna",       "Ibrahim", "Josephine", "Kofi", "Lena"};
    static const char* const kLast[] = {"Johnson", "Okafor",   "Li",     "Smith-Barnes", "Novak", "Haddad",
                                        "Ivanov",  "Petersen", "Garcia", "Tanaka",       "Mensah"};
    static const char* const kCities[] = {"London",       "Rio de Janeiro", "Oslo",          "Cape Town", "Montreal",
                                          "Kuala Lumpur", "Lyon",           "San Francisco", "Accra",     "Tokyo"};
    unsigned h = n * 2654435761u;
    char name[80];
    std::snprintf(name, sizeof name, "%s%s %s", lead, kFirst[h % 12], kLast[(h >> 8) % 11]);
    char row[200];
    std::snprintf(row, sizeof row, "%-*s %04u-%02u-%02u %9u.%02u %8u %10u.%u  %s",
                  22 + static_cast<int>(std::strlen(lead)), name, 1990 + (h >> 4) % 35, 1 + (h >> 9) % 12,
                  1 + (h >> 13) % 28, (h >> 3) % 1000000, (h >> 7) % 100, (h >> 11) % 100000, (h >> 5) % 10000000,
                  (h >> 2) % 10, kCities[(h >> 17) % 10]);
    return row;
}

// The header and the dashed rule of the space-aligned table, the first
// column widened by `widen` characters.
inline void AppendTableHead(std::string& text, size_t widen) {
    const std::string blanks(widen, ' '), dashes(widen, '-');
    text += "Name                   " + blanks + "Joined          Amount    Count     Balance  City\n";
    text += "----------------------" + dashes + " ---------- ------------ -------- ------------ --------------\n";
}

// A row of four cells of 22 characters, each dense with unknown tags.
inline std::string MakeDenseTagRow(unsigned n) {
    std::string row;
    for (unsigned cell = 0; cell < 4; ++cell) {
        const unsigned h = (n * 4 + cell) * 2654435761u;
        char text[40];
        std::snprintf(text, sizeof text, "[[Q%c]]%c[[ZZ %u]]%c[[X]]%c", 'A' + h % 26, 'a' + (h >> 5) % 26,
                      (h >> 9) % 10, 'a' + (h >> 13) % 26, 'a' + (h >> 17) % 26);
        if (cell) row += "  ";
        row += text;
    }
    return row;
}

// `text` followed by blanks up to `width` display positions.
inline std::string Padded(const std::string& text, int width) {
    const int taken = unicode::DisplayWidth(text.data(), static_cast<int>(text.size()));
    return text + std::string(static_cast<size_t>(std::max(width - taken, 0)), ' ');
}

// The same row in UTF-8.
inline std::string MakeUtf8Row(unsigned n) {
    static const char* const kFirst[] = {"Zo\u00eb",      "J\u00fcrgen",
                                         "\u674e",        "Dolores",
                                         "\u00c9mile",    "\u0424\u0430\u0442\u0438\u043c\u0430",
                                         "Gr\u00e9goire", "\u0391\u03bd\u03bd\u03b1",
                                         "Ibrahim",       "Jos\u00e9phine",
                                         "\u5c0f\u6797",  "Ren\u00e9e"};
    static const char* const kLast[] = {"M\u00fcller",  "Okafor",         "\u738b",
                                        "Smith-Barnes", "Nov\u00e1k",     "\u0418\u0432\u0430\u043d\u043e\u0432",
                                        "Petersen",     "Garc\u00eda",    "\u7530\u4e2d",
                                        "Mensah",       "\u00d8stergaard"};
    static const char* const kCities[] = {"Z\u00fcrich",    "S\u00e3o Paulo",
                                          "\u6771\u4eac",   "Cape Town",
                                          "Montr\u00e9al",  "\u041c\u043e\u0441\u043a\u0432\u0430",
                                          "Lyon",           "\u0391\u03b8\u03ae\u03bd\u03b1",
                                          "K\u00f8benhavn", "\u5317\u4eac"};
    unsigned h = n * 2654435761u;
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, "%04u-%02u-%02u %9u.%02u %8u %10u.%u  ", 1990 + (h >> 4) % 35,
                  1 + (h >> 9) % 12, 1 + (h >> 13) % 28, (h >> 3) % 1000000, (h >> 7) % 100, (h >> 11) % 100000,
                  (h >> 5) % 10000000, (h >> 2) % 10);
    return Padded(std::string(kFirst[h % 12]) + " " + kLast[(h >> 8) % 11], 22) + " " + numbers +
           kCities[(h >> 17) % 10];
}

// The same fields as a row of a Markdown table written without padding
// (its bars stand elsewhere on every line), the names in UTF-8.
inline std::string MakePipeRow(unsigned n) {
    static const char* const kNames[] = {"Zo\u00eb M\u00fcller",  "Chen Li",
                                         "\u674e \u738b",         "Dolores Smith-Barnes",
                                         "\u00c9mile Nov\u00e1k", "Kofi Mensah"};
    const unsigned h = n * 2654435761u;
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, " | %04u-%02u-%02u | %u.%02u | %u | ", 1990 + (h >> 4) % 35,
                  1 + (h >> 9) % 12, 1 + (h >> 13) % 28, (h >> 3) % 1000000, (h >> 7) % 100, (h >> 11) % 100000);
    return std::string("| ") + kNames[h % 6] + numbers + (h % 7 == 0 ? "a \\| b" : "ok") + " |";
}

// The fields of one row of the space-aligned table, without their padding,
// joined by a delimiter.
inline std::string MakeDelimitedRow(unsigned n, char delimiter) {
    static const char* const kNames[] = {"Alice Johnson",        "Bartholomew Okafor", "Chen Li",
                                         "Dolores Smith-Barnes", "Emil Novak",         "Fatima Haddad",
                                         "Gregor Ivanov",        "Hanna Petersen",     "Ibrahim Garcia",
                                         "Josephine Tanaka",     "Kofi Mensah"};
    static const char* const kCities[] = {"London",       "Rio de Janeiro", "Oslo",          "Cape Town", "Montreal",
                                          "Kuala Lumpur", "Lyon",           "San Francisco", "Accra",     "Tokyo"};
    const unsigned h = n * 2654435761u;
    char row[160];
    std::snprintf(row, sizeof row, "%s%c%04u-%02u-%02u%c%u.%02u%c%u%c%u.%u%c%s", kNames[h % 11], delimiter,
                  1990 + (h >> 4) % 35, 1 + (h >> 9) % 12, 1 + (h >> 13) % 28, delimiter, (h >> 3) % 1000000,
                  (h >> 7) % 100, delimiter, (h >> 11) % 100000, delimiter, (h >> 5) % 10000000, (h >> 2) % 10,
                  delimiter, kCities[(h >> 17) % 10]);
    std::string out = row;
    // Now and then a comma-delimited field holds a comma, and is quoted.
    if (delimiter == ',' && n % 5 == 0) out += ",\"Smith, J\"";
    return out;
}

// Ordinary sentences, wrapped at 72 characters, in paragraphs of 3 to 8
// lines parted by blank lines.
inline void AppendProse(std::string& text, size_t bytes) {
    static const char* const kWords[] = {"the",      "report",   "shows",     "that",  "our",      "customers",
                                         "in",       "each",     "region",    "were",  "served",   "well",
                                         "during",   "a",        "difficult", "year,", "and",      "results",
                                         "improved", "steadily", "across",    "most",  "of",       "market.",
                                         "We",       "expect",   "growth",    "to",    "continue."};
    constexpr unsigned kWordCount = sizeof kWords / sizeof kWords[0];
    unsigned h = 1;
    std::string line;
    int linesInParagraph = 0;
    int paragraphLength = 4;
    while (text.size() < bytes) {
        h = h * 1103515245u + 12345u;
        const char* word = kWords[(h >> 16) % kWordCount];
        if (line.size() + 1 + std::strlen(word) > 72) {
            text += line;
            text += '\n';
            line.clear();
            if (++linesInParagraph == paragraphLength) {
                text += '\n';
                linesInParagraph = 0;
                paragraphLength = 3 + static_cast<int>((h >> 8) % 6);
            }
        }
        if (!line.empty()) line += ' ';
        line += word;
    }
}

// Short words parted by single blanks (and a wider gap now and then), all
// on one line.
inline void AppendOneLongLine(std::string& text, size_t bytes) {
    for (unsigned n = 0; text.size() < bytes; ++n) {
        const unsigned h = n * 2654435761u;
        text += static_cast<char>('a' + h % 26);
        text += static_cast<char>('a' + (h >> 8) % 26);
        if ((h >> 12) % 3) text += static_cast<char>('a' + (h >> 16) % 26);
        text += (n % 7 == 6) ? "   " : " ";
    }
    text += '\n';
}

// Lines of one or two short words, 8 bytes long on average with the line end.
inline void AppendShortLines(std::string& text, size_t bytes) {
    for (unsigned n = 0; text.size() < bytes; ++n) {
        const unsigned h = n * 2654435761u;
        char line[24];
        if ((h >> 7) % 3)
            std::snprintf(line, sizeof line, "%c%c%c %u\n", 'a' + h % 26, 'a' + (h >> 5) % 26, 'a' + (h >> 20) % 26,
                          (h >> 9) % 10000);
        else
            std::snprintf(line, sizeof line, "%c%c%c%c%c\n", 'a' + h % 26, 'a' + (h >> 5) % 26, 'a' + (h >> 10) % 26,
                          'a' + (h >> 15) % 26, 'a' + (h >> 20) % 26);
        text += line;
    }
}

// An input of `shape` of at least `bytes` bytes, in whole lines.
inline std::string MakeInput(Shape shape, size_t bytes) {
    std::string text;
    text.reserve(bytes + 256);
    switch (shape) {
        case Shape::SpaceAligned:
        case Shape::Utf8Table:
        case Shape::TaggedRows: {
            const char* lead = shape == Shape::TaggedRows ? kRowTag : "";
            AppendTableHead(text, std::strlen(lead));
            for (unsigned n = 1; text.size() < bytes; ++n) {
                text += shape == Shape::Utf8Table ? MakeUtf8Row(n) : MakeRow(n, lead);
                text += '\n';
            }
            break;
        }
        case Shape::TabDelimited:
        case Shape::CommaDelimited:
        case Shape::CommaRecords: {
            const char delimiter = shape == Shape::TabDelimited ? '\t' : ',';
            for (const char* field : {"Name", "Joined", "Amount", "Count", "Balance", "City"}) {
                if (text.size()) text += delimiter;
                text += field;
            }
            text += '\n';
            for (unsigned n = 1; text.size() < bytes; ++n) {
                text += MakeDelimitedRow(n, delimiter);
                if (shape == Shape::CommaRecords && n % 4 == 0) {
                    text += ",\"Note on the account";
                    for (unsigned line = 0; line < 1 + n % 3; ++line)
                        text += "\nchecked on day " + std::to_string(n);
                    text += '"';
                }
                text += '\n';
            }
            break;
        }
        case Shape::WideTabbed:
            for (int i = 0; i < kWideTableFields; ++i) {
                if (i) text += '\t';
                text += "h" + std::to_string(i);
            }
            text += '\n';
            while (text.size() < bytes) text += "x\n";
            break;
        case Shape::ManyColumns:
            for (int i = 0; i < kManyColumns; ++i) {
                if (i) text += '\t';
                text += "c" + std::to_string(i + 1);
            }
            text += '\n';
            for (unsigned n = 1; text.size() < bytes; ++n) {
                for (int i = 0; i < kManyColumns; ++i) {
                    if (i) text += '\t';
                    const unsigned h = (n * kManyColumns + static_cast<unsigned>(i)) * 2654435761u;
                    text += std::to_string((h >> 12) % 1000);
                }
                text += '\n';
            }
            break;
        case Shape::OneCharLines:
            for (unsigned n = 0; text.size() < bytes; ++n) {
                text += static_cast<char>('a' + (n * 2654435761u >> 16) % 26);
                text += '\n';
            }
            break;
        case Shape::DenseTags:
            for (unsigned n = 0; text.size() < bytes; ++n) {
                text += MakeDenseTagRow(n);
                text += '\n';
            }
            break;
        case Shape::UserTables:
            AppendTableHead(text, 0);
            for (unsigned n = 1; text.size() < bytes; ++n) {
                text += MakeRow(n);
                text += '\n';
                if (n % 10 != 0) continue;
                text += "$_$_BEGIN_USER_TABLE\n$_$_NEW_ROW head\n$_$_NEW_CELL\nNote\n$_$_NEW_CELL\nRow\n";
                text += "$_$_NEW_ROW\n$_$_NEW_CELL\nchecked\n$_$_NEW_CELL\n" + std::to_string(n) + "\n";
                text += "$_$_END_USER_TABLE\n";
            }
            break;
        case Shape::PipeRows:
            text += "| Name | Joined | Amount | Count | Note |\n|---|---|---|---|---|\n";
            for (unsigned n = 1; text.size() < bytes; ++n) {
                text += MakePipeRow(n);
                text += '\n';
            }
            break;
        case Shape::Prose: AppendProse(text, bytes); break;
        case Shape::OneLongLine: AppendOneLongLine(text, bytes); break;
        case Shape::ShortLines: AppendShortLines(text, bytes); break;
    }
    return text;
}

}  // namespace input_shapes
