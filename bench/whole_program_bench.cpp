// The whole program at work: the built `vendrel` run as a child on a
// generated input of every shape of input_shapes.h, as a user runs it
//     vendrel FILE [/TABBED|/COMMA] [/RTF] /OUTPUT=folder/ /SILENT
// one benchmark per shape, to HTML and to RTF, on 10 MiB inputs, and the
// short lines at 2 and 20 MiB besides.  The inputs are written once into a
// temporary folder removed at exit; each run writes its output there and
// the output is removed after it.  Every run is timed by the clock
// (the child's start, reading, conversion, writing and exit), and reported
// with counters:
//   seconds       wall time of one run
//   MB_per_s      input bytes (in millions) a second
//   cpu_seconds   the processor time of the run (the child's user and
//                 system time): steadier than the wall time on a machine
//                 that other work shares
//   MB_per_cpu_s  input bytes (in millions) a second of processor time
//   rise_MB       the child's peak resident set (wait4's ru_maxrss) above
//                 that of a run on an empty file, in millions of bytes
//   rise_x_input  that rise divided by the size of the input
//   rise_per_line the rise per input line, in bytes
//   footing_MB    the peak of the run on an empty file
// Run it pinned to one core, with repetitions, and read the medians (and
// the least figures, "_min", on a machine that other work shares):
//     taskset -c 7 build/release/bench/whole_program_bench
//         --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// (one command line)
// VENDREL_BENCH_PROGRAM in the environment names another program to run in
// place of the one built beside the benchmark; VENDREL_BENCH_BASELINE names
// an earlier build to run beside it, in benchmarks of their own ending in
// "/baseline".  With --benchmark_enable_random_interleaving=true the
// repetitions of the two are run in a random order, so that a change of the
// load on the machine during the sitting weighs on both alike.
// At the end it prints the short lines' peak rise per input byte at 2 and
// 20 MiB (the least of the runs), which should stay near each other: the
// memory a line needs grows with the file alone.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench_folder.h"
#include "input_shapes.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using input_shapes::MakeInput;
using input_shapes::Shape;

constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kDefaultSize = 10 * kMiB;

enum class Output { Html, Rtf };

// The table's reading the program is told of on the command line.
enum class Reading { Aligned, Tabbed, Comma };

struct ShapeCase {
    Shape shape;
    const char* name;
    Reading reading;
};

// clang-format off
constexpr ShapeCase kShapes[] = {
    {Shape::SpaceAligned, "SpaceAligned", Reading::Aligned},
    {Shape::Utf8Table, "Utf8Table", Reading::Aligned},
    {Shape::Prose, "Prose", Reading::Aligned},
    {Shape::TabDelimited, "TabDelimited", Reading::Tabbed},
    {Shape::CommaDelimited, "CommaDelimited", Reading::Comma},
    {Shape::ManyColumns, "ManyColumns", Reading::Tabbed},
    {Shape::TaggedRows, "TaggedRows", Reading::Aligned},
    {Shape::ShortLines, "ShortLines", Reading::Aligned},
    {Shape::OneLongLine, "OneLongLine", Reading::Aligned},
    {Shape::OneCharLines, "OneCharLines", Reading::Aligned},
    {Shape::DenseTags, "DenseTags", Reading::Aligned},
    {Shape::PipeRows, "PipeRows", Reading::Aligned},
};
// clang-format on

// The folder of the generated inputs and the outputs, removed at exit.
const fs::path& Folder() {
    static const bench_files::BenchFolder folder("vendrel_whole_program");
    return folder.Path();
}

struct Input {
    std::string path;
    double bytes = 0;
    double lines = 0;
};

// The input file of a shape and size; written once, by a child process.
// The peak resident set a child reports includes that of this process when
// the child was started (its memory is the parent's until the program is
// loaded), so this process never holds an input: it stays well below the
// program's own footing.
const Input& InputFile(const ShapeCase& shape, size_t bytes) {
    static std::map<std::string, Input> made;
    const std::string name = std::string(shape.name) + "_" + std::to_string(bytes / kMiB) + "mib";
    auto found = made.find(name);
    if (found != made.end()) return found->second;
    Input input;
    input.path = (Folder() / (name + ".txt")).string();
    const pid_t writer = fork();
    if (writer < 0) std::abort();
    if (writer == 0) {
        std::ofstream out(input.path, std::ios::binary);
        if (bytes) out << MakeInput(shape.shape, bytes);
        out.close();
        _exit(out ? 0 : 1);
    }
    int status = 0;
    if (waitpid(writer, &status, 0) != writer || !WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
    input.bytes = static_cast<double>(fs::file_size(input.path));
    input.lines = static_cast<double>(bench_files::CountLines(input.path));
    return made.emplace(name, input).first->second;
}

struct RunResult {
    bool ok = false;
    double seconds = 0;
    double cpuSeconds = 0;
    double peakBytes = 0;
};

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + 1e-6 * static_cast<double>(time.tv_usec);
}

// A program the benchmarks run, and the end of the names of its benchmarks.
struct Contender {
    std::string program;
    std::string suffix;
};

// The program measured and, when one is named, the baseline beside it.
const std::vector<Contender>& Contenders() {
    static const std::vector<Contender> contenders = [] {
        const char* named = std::getenv("VENDREL_BENCH_PROGRAM");
        std::vector<Contender> list = {{named && *named ? named : VENDREL_PROGRAM, ""}};
        if (const char* baseline = std::getenv("VENDREL_BENCH_BASELINE"); baseline && *baseline)
            list.push_back({baseline, "/baseline"});
        return list;
    }();
    return contenders;
}

// One run of `program` on `input`: its wall and processor time and its peak
// resident set.
RunResult RunProgram(const std::string& program, const std::string& input, Reading reading, Output output) {
    const fs::path outputs = Folder() / "out";
    std::error_code error;
    fs::create_directories(outputs, error);
    std::vector<std::string> words = {program, input};
    if (reading == Reading::Tabbed) words.emplace_back("/TABBED");
    if (reading == Reading::Comma) words.emplace_back("/COMMA");
    if (output == Output::Rtf) words.emplace_back("/RTF");
    words.push_back("/OUTPUT=" + outputs.string() + "/");
    words.emplace_back("/SILENT");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // The child's standard output and error go nowhere: a shape's messages
    // are not what is measured.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    int status = 0;
    struct rusage usage {};
    const pid_t waited = wait4(child, &status, 0, &usage);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.ok = waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    result.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    fs::remove_all(outputs, error);
    return result;
}

// The peak resident set of a run of a program on an empty file, its own
// footing, measured once for each output.
double EmptyRunPeak(const Contender& contender, Output output) {
    static std::map<std::pair<std::string, Output>, double> peaks;
    const auto key = std::make_pair(contender.program, output);
    auto found = peaks.find(key);
    if (found != peaks.end()) return found->second;
    static constexpr ShapeCase kEmpty = {Shape::ShortLines, "Empty", Reading::Aligned};
    const std::string& path = InputFile(kEmpty, 0).path;
    double least = 0;
    for (int run = 0; run < 3; ++run) {
        const RunResult result = RunProgram(contender.program, path, Reading::Aligned, output);
        if (result.ok && (least == 0 || result.peakBytes < least)) least = result.peakBytes;
    }
    return peaks[key] = least;
}

// The least rise per byte seen for each program and short-lines size,
// printed at the end.
std::map<std::pair<std::string, size_t>, double>& ShortLinesRise() {
    static std::map<std::pair<std::string, size_t>, double> rise;
    return rise;
}

void RunShape(benchmark::State& state, const Contender& contender, const ShapeCase& shape, Output output,
              size_t bytes) {
    const Input& input = InputFile(shape, bytes);
    const double footing = EmptyRunPeak(contender, output);
    double rise = 0, seconds = 0, cpuSeconds = 0;
    for (auto _ : state) {
        const RunResult result = RunProgram(contender.program, input.path, shape.reading, output);
        if (!result.ok) {
            state.SkipWithError("vendrel failed");
            return;
        }
        state.SetIterationTime(result.seconds);
        seconds += result.seconds;
        cpuSeconds += result.cpuSeconds;
        rise = std::max(rise, result.peakBytes - footing);
    }
    // Rates of the counters would be taken over this process's processor
    // time, which the child's run is not: both are worked out here.
    const double runs = static_cast<double>(state.iterations());
    state.counters["seconds"] = seconds / runs;
    state.counters["MB_per_s"] = input.bytes / 1e6 * runs / seconds;
    state.counters["cpu_seconds"] = cpuSeconds / runs;
    state.counters["MB_per_cpu_s"] = input.bytes / 1e6 * runs / cpuSeconds;
    state.counters["rise_MB"] = rise / 1e6;
    state.counters["rise_x_input"] = rise / input.bytes;
    state.counters["rise_per_line"] = rise / std::max(input.lines, 1.0);
    state.counters["footing_MB"] = footing / 1e6;
    if (shape.shape == Shape::ShortLines && output == Output::Html) {
        double& least = ShortLinesRise()[std::make_pair(contender.suffix, bytes)];
        const double perByte = rise / input.bytes;
        if (least == 0 || perByte < least) least = perByte;
    }
}

void Register(const Contender& contender, const ShapeCase& shape, Output output, size_t bytes) {
    const std::string name = std::string("BM_Program/") + shape.name + "/" + std::to_string(bytes / kMiB) + "MiB/" +
                             (output == Output::Rtf ? "RTF" : "HTML") + contender.suffix;
    benchmark::RegisterBenchmark(name.c_str(),
                                 [&contender, &shape, output, bytes](benchmark::State& state) {
                                     RunShape(state, contender, shape, output, bytes);
                                 })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        // The least of the repetitions besides their median: the run that
        // other work on the machine slowed least.
        ->ComputeStatistics("min", [](const std::vector<double>& values) {
            return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
        });
}

[[maybe_unused]] const bool kRegistered = [] {
    for (const Contender& contender : Contenders()) {
        for (const Output output : {Output::Html, Output::Rtf})
            for (const ShapeCase& shape : kShapes) Register(contender, shape, output, kDefaultSize);
        for (const ShapeCase& shape : kShapes)
            if (shape.shape == Shape::ShortLines)
                for (const size_t size : {2 * kMiB, 20 * kMiB}) Register(contender, shape, Output::Html, size);
    }
    return true;
}();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [key, perByte] : ShortLinesRise())
        std::printf("short lines, %zu MiB, HTML%s: peak rise %.2f bytes per input byte\n", key.second / kMiB,
                    key.first.c_str(), perByte);
    return 0;
}
