// Whole-file table conversion: generated space-aligned tables (a header, a
// dashed rule and rows of a name, a date, three numbers and a city) converted
// to HTML through ConvertToTable; one table in ASCII, one in UTF-8 (names
// and cities with accents, Cyrillic, Greek and wide CJK characters, aligned
// by the positions their characters take).  Reports bytes per second and the peak
// memory one conversion needs, measured in a child process so that earlier
// iterations and the generated input do not count:
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

std::string MakeTable(size_t bytes, size_t lines, bool utf8 = false) {
    std::string text;
    text.reserve(bytes ? bytes + 256 : lines * 90);
    text += "Name                   Joined          Amount    Count     Balance  City\n";
    text += "---------------------- ---------- ------------ -------- ------------ --------------\n";
    for (unsigned n = 1; bytes ? text.size() < bytes : n <= lines; ++n) {
        text += utf8 ? MakeUtf8Row(n) : MakeRow(n);
        text += '\n';
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

// The input file of a size (in bytes) or of a number of lines; written once.
std::string InputPath(const std::string& name, size_t bytes, size_t lines, bool utf8 = false) {
    static std::map<std::string, std::string> made;
    auto found = made.find(name);
    if (found != made.end()) return found->second;
    const std::string path = (Folder() / (name + ".txt")).string();
    {
        std::ofstream out(path, std::ios::binary);
        out << MakeTable(bytes, lines, utf8);
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

void RunConversion(benchmark::State& state, const std::string& path) {
    const auto size = static_cast<int64_t>(fs::file_size(path));
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
}

void BM_ConvertTable1MB(benchmark::State& state) { RunConversion(state, InputPath("table_1mb", 1u << 20, 0)); }
void BM_ConvertTable10MB(benchmark::State& state) { RunConversion(state, InputPath("table_10mb", 10u << 20, 0)); }
void BM_ConvertUtf8Table10MB(benchmark::State& state) {
    RunConversion(state, InputPath("table_utf8_10mb", 10u << 20, 0, true));
}
void BM_ConvertTable1MLines(benchmark::State& state) {
    RunConversion(state, InputPath("table_1m_lines", 0, 1000000));
    state.counters["lines_per_s"] = benchmark::Counter(1e6, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_ConvertTable1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertTable10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertUtf8Table10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertTable1MLines)->Unit(benchmark::kMillisecond)->Iterations(1);
