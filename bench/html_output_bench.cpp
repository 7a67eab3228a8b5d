// HTML output: the tidy passes over one table cell and over one buffer of
// table rows, and the buffered writer taking table rows through its flushes
// to a file.  Reports bytes per second of HTML handled.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "context/context.h"
#include "output/html_file.h"
#include "output/html_tidy.h"
#include "policies/fc.h"

namespace {

// One row of a table as the table engine writes it: six cells, one per line.
std::string Row(unsigned n) {
    const unsigned h = n * 2654435761u;
    char row[400];
    std::snprintf(row, sizeof row,
                  "<TR>\n<TD>Name %u</TD>\n<TD>%04u-%02u-%02u</TD>\n<TD ALIGN=\"RIGHT\">%u.%02u</TD>\n"
                  "<TD ALIGN=\"RIGHT\">%u</TD>\n<TD ALIGN=\"RIGHT\">%u.%u</TD>\n<TD>City %u</TD>\n</TR>",
                  h % 997, 1990 + (h >> 4) % 35, 1 + (h >> 9) % 12, 1 + (h >> 13) % 28, (h >> 3) % 1000000,
                  (h >> 7) % 100, (h >> 11) % 100000, (h >> 5) % 10000000, (h >> 2) % 10, (h >> 17) % 10);
    return row;
}

struct Setup {
    Context context;
    FC set;
    Setup() {
        set.SetContext(&context);
        context.documentState.htmlOutput = 1;
    }
};

void BM_TidyCell(benchmark::State& state) {
    Setup s;
    const TextString cell("<TD ALIGN=\"RIGHT\">804470.79<BR></TD>");
    TidyBuffer buffer;
    for (auto _ : state) {
        HTML_ScanTidyBuffer(&s.set, &buffer, cell);
        HTML_TidyEmphasis(&s.set, &buffer);
        benchmark::DoNotOptimize(buffer.text.buffer);
    }
    state.SetBytesProcessed(state.iterations() * cell.length);
}

// Scans and tidies one buffer of `text` per iteration, as the writer's
// flush does.
void TidyBufferLoop(benchmark::State& state, Setup& s, const std::string& text) {
    const TextString html(text.c_str());
    TidyBuffer buffer;
    for (auto _ : state) {
        HTML_ScanTidyBuffer(&s.set, &buffer, html);
        HTML_TidyMarkup(&s.set, &buffer);
        benchmark::DoNotOptimize(buffer.text.buffer);
    }
    state.SetBytesProcessed(state.iterations() * html.length);
}

void BM_TidyRowBuffer(benchmark::State& state) {
    Setup s;
    std::string text;
    for (unsigned n = 1; text.size() < 1400; ++n) text += Row(n) + "\n";
    TidyBufferLoop(state, s, text);
}

// Running text: paragraphs with emphasis, line breaks and blank lines, as
// the line converter writes them; the blank lines bring in the pattern
// passes.
void BM_TidyParagraphs(benchmark::State& state) {
    Setup s;
    std::string text;
    for (unsigned n = 1; text.size() < 1400; ++n) {
        text += "<P>The quarterly figures for region " + std::to_string(n) +
                " were <EM>well above</EM> the forecast,\nand the board\n\n  \nwill meet again in May.</P>\n\n";
    }
    TidyBufferLoop(state, s, text);
}

// 10,000 rows (about 1.6 MB of HTML) through the buffered writer.
void BM_WriteTableRows(benchmark::State& state) {
    Setup s;
    std::vector<std::string> lines;
    size_t bytes = 0;
    for (unsigned n = 1; n <= 10000; ++n) {
        const std::string row = Row(n);
        size_t start = 0;
        for (size_t end; (end = row.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(row.substr(start, end - start));
        lines.push_back(row.substr(start));
        bytes += row.size() + 1;
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vendrel_html_output_bench_" + std::to_string(::getpid()) + ".html"))
                                 .string();
    for (auto _ : state) {
        HTMLFile file;
        file.OpenForWrite(path.c_str(), 0, 0);
        file.fileStarted = 1;
        file.policies = &s.set;
        for (const std::string& line : lines) file.WriteText(&s.set, &file, line.c_str());
        file.Close();
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

}  // namespace

BENCHMARK(BM_TidyCell);
BENCHMARK(BM_TidyRowBuffer);
BENCHMARK(BM_TidyParagraphs);
BENCHMARK(BM_WriteTableRows)->Unit(benchmark::kMillisecond);
