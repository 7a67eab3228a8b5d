// Whole-file conversion to HTML through ConvertToTable (format code 1, as
// the program converts), one benchmark per input shape and size (1, 10 and
// 50 MB; the 50 MB inputs are converted once):
//   SpaceAligned    a table of a header, a dashed rule and rows of a name, a
//                   date, three numbers and a city, columns aligned by blanks
//   TabDelimited    the same fields parted by tabs
//   CommaDelimited  parted by commas, a quoted field with a comma now and then
//   Prose           paragraphs of ordinary sentences wrapped at 72 characters
//   OneLongLine     short words on a single line
//   ShortLines      lines of one or two short words, 8 bytes on average
//   Utf8Table       the space-aligned table in UTF-8 (names and cities with
//                   accents, Cyrillic, Greek and wide CJK characters, aligned
//                   by the positions their characters take)
// The inputs are generated once per run into a temporary folder.  Reports
// bytes and lines per second and the peak memory one conversion needs,
// measured in a child process so that earlier iterations and the generated
// input do not count:
//   peak_MB       the rise of the resident set over the conversion
//   peak_x_input  that rise divided by the size of the input file
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "context/context.h"
#include "foundation/unicode_text.h"
#include "policies/fc.h"
#include "tables/convert_to_table.h"

namespace {

namespace fs = std::filesystem;

void IgnoreText(const char*) {}

// One row of the table, 70 to 90 characters wide, columns aligned by blanks.
std::string MakeRow(unsigned n) {
    static const char* const kFirst[] = {"Alice", "Bartholomew", "Chen", "Dolores", "Emil", "Fatima", "Gregor",
                                         "Hanna", "Ibrahim", "Josephine", "Kofi", "Lena"};
    static const char* const kLast[] = {"Johnson", "Okafor", "Li", "Smith-Barnes", "Novak", "Haddad", "Ivanov",
                                        "Petersen", "Garcia", "Tanaka", "Mensah"};
    static const char* const kCities[] = {"London", "Rio de Janeiro", "Oslo", "Cape Town", "Montreal",
                                          "Kuala Lumpur", "Lyon", "San Francisco", "Accra", "Tokyo"};
    unsigned h = n * 2654435761u;
    char name[40];
    std::snprintf(name, sizeof name, "%s %s", kFirst[h % 12], kLast[(h >> 8) % 11]);
    char row[160];
    std::snprintf(row, sizeof row, "%-22s %04u-%02u-%02u %9u.%02u %8u %10u.%u  %s", name, 1990 + (h >> 4) % 35,
                  1 + (h >> 9) % 12, 1 + (h >> 13) % 28, (h >> 3) % 1000000, (h >> 7) % 100, (h >> 11) % 100000,
                  (h >> 5) % 10000000, (h >> 2) % 10, kCities[(h >> 17) % 10]);
    return row;
}

// `text` followed by blanks up to `width` display positions.
std::string Padded(const std::string& text, int width) {
    const int taken = unicode::DisplayWidth(text.data(), static_cast<int>(text.size()));
    return text + std::string(static_cast<size_t>(std::max(width - taken, 0)), ' ');
}

// The same row in UTF-8.
std::string MakeUtf8Row(unsigned n) {
    static const char* const kFirst[] = {"Zo\u00eb", "J\u00fcrgen", "\u674e", "Dolores", "\u00c9mile", "\u0424\u0430\u0442\u0438\u043c\u0430",
                                         "Gr\u00e9goire", "\u0391\u03bd\u03bd\u03b1", "Ibrahim", "Jos\u00e9phine", "\u5c0f\u6797", "Ren\u00e9e"};
    static const char* const kLast[] = {"M\u00fcller", "Okafor", "\u738b", "Smith-Barnes", "Nov\u00e1k", "\u0418\u0432\u0430\u043d\u043e\u0432",
                                        "Petersen", "Garc\u00eda", "\u7530\u4e2d", "Mensah", "\u00d8stergaard"};
    static const char* const kCities[] = {"Z\u00fcrich", "S\u00e3o Paulo", "\u6771\u4eac", "Cape Town", "Montr\u00e9al",
                                          "\u041c\u043e\u0441\u043a\u0432\u0430", "Lyon", "\u0391\u03b8\u03ae\u03bd\u03b1", "K\u00f8benhavn", "\u5317\u4eac"};
    unsigned h = n * 2654435761u;
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, "%04u-%02u-%02u %9u.%02u %8u %10u.%u  ", 1990 + (h >> 4) % 35,
                  1 + (h >> 9) % 12, 1 + (h >> 13) % 28, (h >> 3) % 1000000, (h >> 7) % 100, (h >> 11) % 100000,
                  (h >> 5) % 10000000, (h >> 2) % 10);
    return Padded(std::string(kFirst[h % 12]) + " " + kLast[(h >> 8) % 11], 22) + " " + numbers +
           kCities[(h >> 17) % 10];
}

// The input shapes.  Each generator appends whole lines to `text` until it
// holds `bytes`; all are deterministic, so that every run converts the same
// bytes.
enum class Shape { SpaceAligned, TabDelimited, CommaDelimited, Prose, OneLongLine, ShortLines, Utf8Table };

// The fields of one row of the space-aligned table, without their padding,
// joined by a delimiter.
std::string MakeDelimitedRow(unsigned n, char delimiter) {
    static const char* const kNames[] = {"Alice Johnson", "Bartholomew Okafor", "Chen Li", "Dolores Smith-Barnes",
                                         "Emil Novak", "Fatima Haddad", "Gregor Ivanov", "Hanna Petersen",
                                         "Ibrahim Garcia", "Josephine Tanaka", "Kofi Mensah"};
    static const char* const kCities[] = {"London", "Rio de Janeiro", "Oslo", "Cape Town", "Montreal",
                                          "Kuala Lumpur", "Lyon", "San Francisco", "Accra", "Tokyo"};
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
void AppendProse(std::string& text, size_t bytes) {
    static const char* const kWords[] = {"the", "report", "shows", "that", "our", "customers", "in", "each",
                                         "region", "were", "served", "well", "during", "a", "difficult",
                                         "year,", "and", "results", "improved", "steadily", "across", "most",
                                         "of", "market.", "We", "expect", "growth", "to", "continue."};
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
void AppendOneLongLine(std::string& text, size_t bytes) {
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
void AppendShortLines(std::string& text, size_t bytes) {
    for (unsigned n = 0; text.size() < bytes; ++n) {
        const unsigned h = n * 2654435761u;
        char line[24];
        if ((h >> 7) % 3)
            std::snprintf(line, sizeof line, "%c%c %u\n", 'a' + h % 26, 'a' + (h >> 5) % 26, (h >> 9) % 1000);
        else
            std::snprintf(line, sizeof line, "%c%c%c%c\n", 'a' + h % 26, 'a' + (h >> 5) % 26, 'a' + (h >> 10) % 26,
                          'a' + (h >> 15) % 26);
        text += line;
    }
}

std::string MakeInput(Shape shape, size_t bytes) {
    std::string text;
    text.reserve(bytes + 256);
    switch (shape) {
    case Shape::SpaceAligned:
    case Shape::Utf8Table:
        text += "Name                   Joined          Amount    Count     Balance  City\n";
        text += "---------------------- ---------- ------------ -------- ------------ --------------\n";
        for (unsigned n = 1; text.size() < bytes; ++n) {
            text += shape == Shape::Utf8Table ? MakeUtf8Row(n) : MakeRow(n);
            text += '\n';
        }
        break;
    case Shape::TabDelimited:
    case Shape::CommaDelimited: {
        const char delimiter = shape == Shape::TabDelimited ? '\t' : ',';
        for (const char* field : {"Name", "Joined", "Amount", "Count", "Balance", "City"}) {
            if (text.size()) text += delimiter;
            text += field;
        }
        text += '\n';
        for (unsigned n = 1; text.size() < bytes; ++n) {
            text += MakeDelimitedRow(n, delimiter);
            text += '\n';
        }
        break;
    }
    case Shape::Prose: AppendProse(text, bytes); break;
    case Shape::OneLongLine: AppendOneLongLine(text, bytes); break;
    case Shape::ShortLines: AppendShortLines(text, bytes); break;
    }
    return text;
}

// The folder of the generated inputs and their outputs, removed at exit.
struct BenchFolder {
    fs::path path;
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "vendrel_table_bench_XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path = pattern;
    }
    ~BenchFolder() {
        std::error_code error;
        fs::remove_all(path, error);
    }
};

const fs::path& Folder() {
    static const BenchFolder folder;
    return folder.path;
}

// The input file of a shape and size (in bytes); written once.
std::string InputPath(Shape shape, const std::string& name, size_t bytes) {
    static std::map<std::string, std::string> made;
    auto found = made.find(name);
    if (found != made.end()) return found->second;
    const std::string path = (Folder() / (name + ".txt")).string();
    {
        std::ofstream out(path, std::ios::binary);
        out << MakeInput(shape, bytes);
    }
    made[name] = path;
    return path;
}

bool ConvertOnce(const std::string& path) {
    Context context(1, 0);
    context.sink.SetStatusCallback(IgnoreText);
    context.sink.SetMessageCallback(IgnoreText);
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    master.SetInt(Pol::DisplayMessages, 0);
    return ConvertToTable(master, run, file, context, TextString(path.c_str()), TextString(), 1, nullptr);
}

// The resident size of this process in bytes (/proc/self/statm is exact
// where the figures of /proc/self/status are approximate).
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = -1;
    statm >> pages >> resident;
    return resident < 0 ? -1 : static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The rise of the resident set over one conversion, in bytes, measured in a
// fresh child: it hands back the heap the parent left free, restarts its
// high-water mark and reports its resident size; the parent reads the
// child's peak from its exit status.
double PeakRise(const std::string& path) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        close(fds[0]);
        malloc_trim(0);
        if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        const double before = ResidentBytes();
        if (write(fds[1], &before, sizeof before) != sizeof before) _exit(1);
        _exit(ConvertOnce(path) ? 0 : 1);
    }
    close(fds[1]);
    double before = -1;
    if (read(fds[0], &before, sizeof before) != sizeof before) before = -1;
    close(fds[0]);
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || before < 0)
        return -1;
    return static_cast<double>(usage.ru_maxrss) * 1024.0 - before;
}

size_t CountLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    size_t lines = 0;
    char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        lines += static_cast<size_t>(std::count(block, block + in.gcount(), '\n'));
    return lines;
}

// One conversion of the input per iteration, and its peak memory once.
//   lines_per_s          input lines converted a second
//   bytes_per_line_over  (short lines only) the peak rise above three times
//                        the input, per input line
void RunConversion(benchmark::State& state, Shape shape, const std::string& name, size_t bytes) {
    const std::string path = InputPath(shape, name, bytes);
    const auto size = static_cast<int64_t>(fs::file_size(path));
    const double lines = static_cast<double>(CountLines(path));
    const double rise = PeakRise(path);
    for (auto _ : state) {
        if (!ConvertOnce(path)) {
            state.SkipWithError("the conversion failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["input_MB"] = static_cast<double>(size) / 1e6;
    state.counters["peak_MB"] = rise / 1e6;
    state.counters["peak_x_input"] = rise / static_cast<double>(size);
    state.counters["lines_per_s"] = benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
    if (shape == Shape::ShortLines)
        state.counters["bytes_per_line_over"] = (rise - 3.0 * static_cast<double>(size)) / lines;
}

struct ShapeName {
    Shape shape;
    const char* name;
};

constexpr ShapeName kShapes[] = {
    {Shape::SpaceAligned, "SpaceAligned"}, {Shape::TabDelimited, "TabDelimited"},
    {Shape::CommaDelimited, "CommaDelimited"}, {Shape::Prose, "Prose"},
    {Shape::OneLongLine, "OneLongLine"}, {Shape::ShortLines, "ShortLines"},
    {Shape::Utf8Table, "Utf8Table"},
};

// Every shape at 1, 10 and 50 MB; the 50 MB inputs are converted once.
[[maybe_unused]] const bool kRegistered = [] {
    for (const ShapeName& shape : kShapes) {
        for (const size_t megabytes : {1u, 10u, 50u}) {
            const std::string name = std::string("BM_Convert/") + shape.name + "/" + std::to_string(megabytes) + "MB";
            const std::string file = std::string(shape.name) + "_" + std::to_string(megabytes) + "mb";
            const size_t bytes = megabytes << 20;
            auto* bench = benchmark::RegisterBenchmark(
                name.c_str(), [shape = shape.shape, file, bytes](benchmark::State& state) {
                    RunConversion(state, shape, file, bytes);
                });
            bench->Unit(benchmark::kMillisecond);
            if (megabytes == 50) bench->Iterations(1);
        }
    }
    return true;
}();

}  // namespace
