// Pathological inputs converted end to end through ConvertToTable, to HTML and
// to RTF, as an automatic block (code 0) and as a table (code 1, what the
// program uses): a row 100,000 columns wide over 10,000 short rows (and a
// delimited header of 2,000 fields over 200,000 short rows), a 10 MB
// single line, 50,000 alternating rule and text lines, binary bytes, an
// empty file, a cell of 400,000 tags, 200,000 words that become links (on
// one line and as a paragraph), 200,000 emphasised words, 50,000 emphasis
// phrases and 200,000 unclosed emphasis markers on one line, 20,000 user
// tables among table lines; and each ordinary shape of a large
// input (tables aligned by blanks, by tabs, by commas, prose, one long line,
// many short lines, a UTF-8 table) at 1.5 MB.  Each must finish (CTest gives
// these tests their own, longer time-out) and its output must stay linear in
// its input.
//
// The bound is kGrowth x input + kFixed bytes:
// - kFixed (64 KB) covers what every document carries whatever its input:
//   the HTML head and foot, the RTF header with its font, colour and style
//   tables.
// - kGrowth (64) covers the densest markup one input byte can cause: a
//   one-character cell ("a" and its separating blank, two bytes) written as
//   an indented "<TD ...>" with width and alignment attributes, "<BR>" and
//   "</TD>", or as an RTF cell definition with borders and "\cellx" plus the
//   cell text and "\cell", stays below 128 bytes; an escaped byte ("&#nnn;",
//   "\'xx") is far below that.  The cells that padding short rows fills in
//   (at most 200,000 per table, some 40 bytes each) fit in what the wide row
//   of that case (about 480 KB) allows.
// An output that grows with rows x columns, or with the square of a line's
// length, breaks the bound by orders of magnitude on these inputs.
// Timing is never asserted: the benchmarks under bench/ measure speed.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <tuple>

#include "context/preprocessor.h"
#include "fuzz_conversion.h"
#include "input_shapes.h"
#include "support/pathological_inputs.h"
#include "support/temp_folder.h"

namespace pathological_inputs {
void PrintTo(const Input& test, std::ostream* out) { *out << test.name; }
}  // namespace pathological_inputs

namespace {

namespace fs = std::filesystem;

constexpr size_t kGrowth = 64;
constexpr size_t kFixed = 64u << 10;

// The most memory the test process has held at once, in bytes (a test runs
// in a process of its own: what one conversion raises it by is that
// conversion's peak).  The sanitizers' own memory makes it no measure.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPeakMeasured = false;
#else
constexpr bool kPeakMeasured = true;
#endif
constexpr long long kFixedMemory = 32ll << 20;
long long PeakBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

using pathological_inputs::Input;

// One conversion per test: the case, the output format (0 HTML, 1 RTF) and
// the format code (0 automatic, 1 table), so that each has its own time-out
// and they run in parallel.
using PathologicalConversion = std::tuple<Input, int, int>;

class PathologicalInput : public testing::TestWithParam<PathologicalConversion> {
protected:
    TempFolder temp{"vendrel_pathological"};
    std::string folder = temp.Path().string();

    void SetUp() override { ASSERT_TRUE(temp.Made()); }
};

TEST_P(PathologicalInput, ConvertsWithOutputLinearInItsInput) {
    const auto& [test, outputFormat, formatCode] = GetParam();
    const std::string input = test.make(1);
    const std::string path = folder + "/input.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(input.data(), static_cast<std::streamsize>(input.size()));
        ASSERT_TRUE(out.good());
    }
    // The output is kept only where its last word is looked for.
    std::string output;
    const long long peakBefore = PeakBytes();
    const ConversionOutcome outcome =
        ConvertFileInMemory(path, outputFormat, formatCode, test.lastWord ? &output : nullptr);
    const long long peak = PeakBytes() - peakBefore;
    EXPECT_TRUE(outcome.converted);
    EXPECT_GT(outcome.outputLines, 0u);
    const size_t growth = test.outputGrowth > 0 ? test.outputGrowth : kGrowth;
    EXPECT_LE(outcome.outputBytes, growth * input.size() + kFixed) << "input " << input.size() << " bytes";
    // An output far larger than its input comes with memory bounded by it:
    // its lines in the in-memory list and in the copy taken here (twice the
    // output), and what the conversion holds beside them while a line is
    // made and written (about twice the longest line).
    if (test.outputGrowth > 0 && kPeakMeasured) {
        const auto bytes = static_cast<long long>(outcome.outputBytes);
        EXPECT_LE(peak, 4 * bytes + bytes / 4 + kFixedMemory) << "output " << bytes << " bytes";
        RecordProperty("peak_bytes", std::to_string(peak));
    }
    // Nothing of the input is lost: its last word is in the output.
    if (test.lastWord) {
        EXPECT_NE(output.find("END"), std::string::npos);
        EXPECT_NE(output.find(test.lastWord), std::string::npos);
    }
    RecordProperty("input_bytes", std::to_string(input.size()));
    RecordProperty("output_bytes", std::to_string(outcome.outputBytes));
}

std::string ConversionName(const testing::TestParamInfo<PathologicalConversion>& info) {
    const auto& [test, outputFormat, formatCode] = info.param;
    return std::string(test.name) + (outputFormat ? "_RTF" : "_HTML") + "_Code" + std::to_string(formatCode);
}

INSTANTIATE_TEST_SUITE_P(Pathological, PathologicalInput,
                         testing::Combine(testing::ValuesIn(pathological_inputs::kInputs), testing::Values(0, 1),
                                          testing::Values(0, 1)),
                         ConversionName);

// The ordinary shapes of a large input, at about 1.5 MB: each converts
// completely (its first and last words are in the output), and its output
// grows in proportion to its input: the whole input gives at most a little
// more than twice the output of its first half.  A cost per line or per
// byte that grows with what came before breaks that by far.
using input_shapes::Shape;

struct ShapeCase {
    const char* name;
    Shape shape;
};

void PrintTo(const ShapeCase& test, std::ostream* out) { *out << test.name; }

// clang-format off
const ShapeCase kShapes[] = {
    {"SpaceAligned", Shape::SpaceAligned}, {"TabDelimited", Shape::TabDelimited},
    {"CommaDelimited", Shape::CommaDelimited}, {"Prose", Shape::Prose},
    {"OneLongLine", Shape::OneLongLine}, {"ShortLines", Shape::ShortLines},
    {"Utf8Table", Shape::Utf8Table}, {"PipeRows", Shape::PipeRows},
};
// clang-format on

constexpr size_t kShapeBytes = 3u << 19;  // 1.5 MB
// Whole input against its first half: twice the output, and some room for
// what one table more or less (a column width, a header row) changes.
constexpr double kHalfToWhole = 2.2;

// The input of a shape, with a first and a last word of its own.
std::string ShapeInput(Shape shape, size_t bytes) {
    std::string text = input_shapes::MakeInput(shape, bytes);
    text.insert(0, "Firstword\n");
    if (shape == Shape::OneLongLine) text.pop_back();  // the last word stays on the one line
    text += " Lastword\n";
    return text;
}

// The input cut after the line end nearest its middle (a single line is cut
// at a blank instead).
std::string FirstHalf(const std::string& text) {
    size_t cut = text.find('\n', text.size() / 2);
    if (cut == std::string::npos || cut + 1 >= text.size()) cut = text.find(' ', text.size() / 2);
    return text.substr(0, cut) + "\n";
}

using ShapeConversion = std::tuple<ShapeCase, int, int>;

class PathologicalShape : public testing::TestWithParam<ShapeConversion> {
protected:
    std::string folder;

    void SetUp() override {
        folder = testing::TempDir() + "vendrel_shape_XXXXXX";
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(folder, error);
    }

    std::string Write(const std::string& name, const std::string& text) const {
        const std::string path = folder + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return out.good() ? path : std::string();
    }
};

TEST_P(PathologicalShape, ConvertsWholeWithOutputInProportionToItsInput) {
    const auto& [test, outputFormat, formatCode] = GetParam();
    const std::string input = ShapeInput(test.shape, kShapeBytes);
    const std::string whole = Write("whole.txt", input);
    const std::string half = Write("half.txt", FirstHalf(input));
    ASSERT_FALSE(whole.empty());
    ASSERT_FALSE(half.empty());

    std::string output;
    const ConversionOutcome outcome = ConvertFileInMemory(whole, outputFormat, formatCode, &output);
    EXPECT_TRUE(outcome.converted);
    EXPECT_NE(output.find("Firstword"), std::string::npos);
    EXPECT_NE(output.find("Lastword"), std::string::npos);
    EXPECT_LE(outcome.outputBytes, kGrowth * input.size() + kFixed) << "input " << input.size() << " bytes";

    const ConversionOutcome halfOutcome = ConvertFileInMemory(half, outputFormat, formatCode);
    EXPECT_TRUE(halfOutcome.converted);
    EXPECT_LE(static_cast<double>(outcome.outputBytes), kHalfToWhole * static_cast<double>(halfOutcome.outputBytes))
        << "half " << halfOutcome.outputBytes << " bytes, whole " << outcome.outputBytes << " bytes";
    RecordProperty("input_bytes", std::to_string(input.size()));
    RecordProperty("output_bytes", std::to_string(outcome.outputBytes));
}

std::string ShapeConversionName(const testing::TestParamInfo<ShapeConversion>& info) {
    const auto& [test, outputFormat, formatCode] = info.param;
    return std::string(test.name) + (outputFormat ? "_RTF" : "_HTML") + "_Code" + std::to_string(formatCode);
}

INSTANTIATE_TEST_SUITE_P(Pathological, PathologicalShape,
                         testing::Combine(testing::ValuesIn(kShapes), testing::Values(0, 1), testing::Values(0, 1)),
                         ShapeConversionName);

// Comma-delimited records whose quoted fields run over line ends
// (pathological_inputs::kRecordInputs), converted as a comma-delimited table:
// each line is read a fixed number of times, and the last word stays.
using RecordConversion = std::tuple<Input, int>;

class PathologicalRecords : public testing::TestWithParam<RecordConversion> {
protected:
    TempFolder temp{"vendrel_records"};
    void SetUp() override { ASSERT_TRUE(temp.Made()); }
};

TEST_P(PathologicalRecords, ConvertWithOutputLinearInTheirInput) {
    const auto& [test, outputFormat] = GetParam();
    const std::string input = test.make(1);
    const std::string path = temp.Path().string() + "/input.csv";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(input.data(), static_cast<std::streamsize>(input.size()));
        ASSERT_TRUE(out.good());
    }
    std::string output;
    const ConversionOutcome outcome = ConvertFileInMemory(path, outputFormat, kSpecialCommaDelimitedTable, &output);
    EXPECT_TRUE(outcome.converted);
    EXPECT_LE(outcome.outputBytes, kGrowth * input.size() + kFixed) << "input " << input.size() << " bytes";
    EXPECT_NE(output.find("END"), std::string::npos);
}

std::string RecordConversionName(const testing::TestParamInfo<RecordConversion>& info) {
    const auto& [test, outputFormat] = info.param;
    return std::string(test.name) + (outputFormat ? "_RTF" : "_HTML");
}

INSTANTIATE_TEST_SUITE_P(Pathological, PathologicalRecords,
                         testing::Combine(testing::ValuesIn(pathological_inputs::kRecordInputs),
                                          testing::Values(0, 1)),
                         RecordConversionName);

// A delimited header of 2,000 fields (the table keeps 1,024 columns) over
// rows of one short field each, as a tab- and as a comma-delimited table:
// the empty cells that pad the rows are merged once past the padding limit,
// so that twice the rows give at most a little more than twice the output.
// (The time such a table takes is the benchmark's: its wide shape.)
constexpr int kWideFields = 2000;
constexpr int kWideRows = 100000;
constexpr double kTwiceTheRows = 2.1;

std::string WideHeaderOverShortRows(char delimiter, int rows) {
    std::string text;
    for (int i = 0; i < kWideFields; ++i) {
        if (i) text += delimiter;
        text += "h" + std::to_string(i);
    }
    text += '\n';
    text.reserve(text.size() + 2 * static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) text += "x\n";
    return text;
}

using WideTableConversion = std::tuple<char, int>;  // the delimiter, the output format

class PathologicalWideTable : public testing::TestWithParam<WideTableConversion> {
protected:
    TempFolder temp{"vendrel_wide"};
    void SetUp() override { ASSERT_TRUE(temp.Made()); }

    // The output bytes of the table with `rows` rows.
    size_t OutputBytes(int rows) {
        const auto& [delimiter, outputFormat] = GetParam();
        const std::string path = temp.Path().string() + "/wide.txt";
        {
            const std::string input = WideHeaderOverShortRows(delimiter, rows);
            std::ofstream out(path, std::ios::binary);
            out.write(input.data(), static_cast<std::streamsize>(input.size()));
            if (!out.good()) return 0;
        }
        const int code = delimiter == ',' ? kSpecialCommaDelimitedTable : kSpecialDelimitedTable;
        const ConversionOutcome outcome = ConvertFileInMemory(path, outputFormat, code);
        EXPECT_TRUE(outcome.converted);
        return outcome.outputBytes;
    }
};

TEST_P(PathologicalWideTable, TwiceTheRowsGiveAtMostAboutTwiceTheOutput) {
    const size_t once = OutputBytes(kWideRows);
    const size_t twice = OutputBytes(2 * kWideRows);
    ASSERT_GT(once, 0u);
    EXPECT_LE(static_cast<double>(twice), kTwiceTheRows * static_cast<double>(once))
        << kWideRows << " rows " << once << " bytes, " << 2 * kWideRows << " rows " << twice << " bytes";
    RecordProperty("output_bytes", std::to_string(once) + " / " + std::to_string(twice));
}

std::string WideTableConversionName(const testing::TestParamInfo<WideTableConversion>& info) {
    const auto& [delimiter, outputFormat] = info.param;
    return std::string(delimiter == ',' ? "Comma" : "Tab") + (outputFormat ? "_RTF" : "_HTML");
}

INSTANTIATE_TEST_SUITE_P(Pathological, PathologicalWideTable,
                         testing::Combine(testing::Values('\t', ','), testing::Values(0, 1)),
                         WideTableConversionName);

}  // namespace
