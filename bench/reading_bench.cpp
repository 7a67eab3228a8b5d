// Reading speed: a generated 10 MB text file read through the preprocessor
// the way the table conversion reads its input.  Reports bytes per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "context/wrapped_text_file.h"
#include "output/output_document.h"
#include "output/tag_executors.h"
#include "policies/fc.h"

namespace {

// An output document that is only ever read through.
class ReadOnlyDocument : public OutputDocument {
public:
    int WriteLine(FC*, OutputDocument*, TextString*, int) override { return 1; }
    int WriteText(FC*, OutputDocument*, const char*) override { return 1; }
    int FlushBuffer(FC*, OutputDocument*, int) override { return 1; }
};

// Text with the mix a converted document has: prose, table rows, blank
// lines, directives and in-line tags.
std::string MakeInput(size_t bytes) {
    static const char* const kLines[] = {
        "The quick brown fox jumps over the lazy dog; 12 & 13 < 14 > 11.",
        "Region      Sales     Costs    Margin",
        "North        1,200      800       400",
        "",
        "$_$_TITLE Quarterly report",
        "A line with an [[TEXT in-line]] tag and a [[LINERULE 50%]] rule.",
        "$_$_BEGIN_IGNORE",
        "hidden text",
        "$_$_END_IGNORE",
        "    indented code(x) { return x * 2; }",
    };
    std::string text;
    text.reserve(bytes + 128);
    size_t i = 0;
    while (text.size() < bytes) {
        text += kLines[i % (sizeof kLines / sizeof kLines[0])];
        text += '\n';
        ++i;
    }
    return text;
}

const std::string& InputPath() {
    static const std::string path = [] {
        std::string name = (std::filesystem::temp_directory_path() / "vendrel_reading_bench.txt").string();
        std::ofstream out(name, std::ios::binary);
        out << MakeInput(10u * 1024u * 1024u);
        return name;
    }();
    return path;
}

void BM_ReadPreprocessed(benchmark::State& state) {
    const std::string& path = InputPath();
    const auto size = static_cast<int64_t>(std::filesystem::file_size(path));
    int64_t lines = 0;
    for (auto _ : state) {
        Context context(1, 0);
        InstallTagExecutors(context);
        FC policies;
        policies.SetContext(&context);
        policies.SetInt(Pol::DisplayMessages, 0);
        context.StartNewFile(path.c_str());
        context.RegisterInlineTagKeywords(&policies);
        context.RegisterDirectiveKeywords(&policies);
        ResetHeldBackRemainder();
        ReadOnlyDocument reader;
        if (!reader.OpenForRead(path.c_str())) {
            state.SkipWithError("cannot open the input");
            return;
        }
        context.documentState.htmlOutput = 1;
        AnalysedLine line;
        while (ReadPreprocessedLine(reader, line, policies)) ++lines;
        context.ForgetLine(&line);
        reader.CloseAll();
        policies.SetContext(nullptr);
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(BM_ReadPreprocessed)->Unit(benchmark::kMillisecond);
