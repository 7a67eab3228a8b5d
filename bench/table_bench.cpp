// Whole-file conversion to HTML through ConvertToTable (format code 1, as
// the program converts; the comma-delimited records with code 8, as
// "/COMMA" converts them, and the wide table with code 7, as "/TABBED"
// does), one benchmark per input shape and size (1, 10 and
// 50 MB; the 50 MB inputs are converted once).  The shapes are those of
// input_shapes.h.
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
#include "context/preprocessor.h"
#include "foundation/unicode_text.h"
#include "platform/heap_blocks.h"
#include "policies/fc.h"
#include "tables/convert_to_table.h"
#include "bench_folder.h"
#include "input_shapes.h"

namespace {

namespace fs = std::filesystem;
using input_shapes::MakeInput;
using input_shapes::Shape;

void IgnoreText(const char*) {}

// The folder of the generated inputs and their outputs, removed at exit.
const fs::path& Folder() {
    static const bench_files::BenchFolder folder("vendrel_table_bench");
    return folder.Path();
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

// The format code a shape is converted with: the comma-delimited records
// as "/COMMA" reads them, the wide table as "/TABBED" does, the rest as the
// program converts a file.
int FormatCode(Shape shape) {
    if (shape == Shape::CommaRecords) return kSpecialCommaDelimitedTable;
    if (shape == Shape::WideTabbed) return kSpecialDelimitedTable;
    return kSpecialTable;
}

bool ConvertOnce(const std::string& path, Shape shape) {
    Context context(1, 0);
    context.sink.SetStatusCallback(IgnoreText);
    context.sink.SetMessageCallback(IgnoreText);
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    master.SetInt(Pol::DisplayMessages, 0);
    return ConvertToTable(master, run, file, context, TextString(path.c_str()), TextString(), FormatCode(shape),
                          nullptr);
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
// fresh child: it hands back the heap and the page runs the parent left
// free, restarts its high-water mark and reports its resident size; the
// parent reads the child's peak from its exit status.
double PeakRise(const std::string& path, Shape shape) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        close(fds[0]);
        malloc_trim(0);
        ReleaseKeptPageRuns();
        if (FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        const double before = ResidentBytes();
        if (write(fds[1], &before, sizeof before) != sizeof before) _exit(1);
        _exit(ConvertOnce(path, shape) ? 0 : 1);
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

// One conversion of the input per iteration, and its peak memory once.
//   lines_per_s          input lines converted a second
//   bytes_per_line_over  (short lines only) the peak rise above three times
//                        the input, per input line
void RunConversion(benchmark::State& state, Shape shape, const std::string& name, size_t bytes) {
    const std::string path = InputPath(shape, name, bytes);
    const auto size = static_cast<int64_t>(fs::file_size(path));
    const double lines = static_cast<double>(bench_files::CountLines(path));
    const double rise = PeakRise(path, shape);
    for (auto _ : state) {
        if (!ConvertOnce(path, shape)) {
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

// clang-format off
constexpr ShapeName kShapes[] = {
    {Shape::SpaceAligned, "SpaceAligned"}, {Shape::TabDelimited, "TabDelimited"},
    {Shape::CommaDelimited, "CommaDelimited"}, {Shape::CommaRecords, "CommaRecords"}, {Shape::Prose, "Prose"},
    {Shape::OneLongLine, "OneLongLine"}, {Shape::ShortLines, "ShortLines"},
    {Shape::Utf8Table, "Utf8Table"}, {Shape::WideTabbed, "WideTabbed"},
    {Shape::UserTables, "UserTables"},
};
// clang-format on

// Every shape at 1, 10 and 50 MB; the 50 MB inputs are converted once.
[[maybe_unused]] const bool kRegistered = [] {
    for (const ShapeName& shape : kShapes) {
        for (const size_t megabytes : {1u, 10u, 50u}) {
            const std::string name =
                std::string("BM_Convert/") + shape.name + "/" + std::to_string(megabytes) + "MB";
            const std::string file = std::string(shape.name) + "_" + std::to_string(megabytes) + "mb";
            const size_t bytes = megabytes << 20;
            auto* bench = benchmark::RegisterBenchmark(name.c_str(),
                                                       [shape = shape.shape, file, bytes](benchmark::State& state) {
                                                           RunConversion(state, shape, file, bytes);
                                                       });
            bench->Unit(benchmark::kMillisecond);
            if (megabytes == 50) bench->Iterations(1);
        }
    }
    return true;
}();

}  // namespace
