// The vendrel program on inputs whose texts grow far beyond their size: a
// table cell of many [[SPACES]] tags (its output thousands of times its
// input) and a line of tabs expanded at a large tab size.  Below the limit of
// a text (2 GiB) such a file converts, in memory of about twice its largest
// text; beyond it, the file is reported with what was too large, its earlier
// output is kept and the run goes on with the next file, failing (exit 1).
// Each run's address space is limited in the child (setrlimit) and its peak
// memory read from wait4; the sanitizers' own memory makes both meaningless,
// so the measured runs are skipped in such a build.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryMeasured = false;
#else
constexpr bool kMemoryMeasured = true;
#endif

constexpr unsigned long long kMegabyte = 1ull << 20;
// What every run holds whatever its input (the program, its libraries and
// the policies, and the test's own pages the child starts from), with room
// to spare.
constexpr long long kFixedBytes = 48ll << 20;
// A ceiling on each run's address space, so that a run that does hold many
// copies fails here rather than take the machine's memory.
constexpr unsigned long long kAddressSpace = 4096 * kMegabyte;

// `piece` `count` times.
std::string Repeated(const std::string& piece, size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (size_t i = 0; i < count; ++i) text += piece;
    return text;
}

// A table whose second row's cell holds `tags` tags of 10,000 blanks each:
// "&nbsp;" 10,000 times in HTML, 60,000 bytes of output for 16 of input.
std::string TagDenseCell(size_t tags) { return "Name   Value\nA      " + Repeated("[[SPACES 10000]]", tags) + "\n"; }

// A line of `tabs` tabs (and two more) read at a tab size of 64.
std::string TabLine(size_t tabs) { return "$_$_CHANGE_POLICY TAB size : 64\nA\t" + std::string(tabs, '\t') + "x\n"; }

class VendrelTextLimit : public testing::Test {
protected:
    TempFolder temp{"vendrel_text_limit"};
    fs::path folder = temp.Path();

    void SetUp() override { ASSERT_TRUE(temp.Made()); }

    ProgramRun Run(const std::vector<std::string>& words) const {
        return RunVendrelWithMemoryLimit(folder, words, kMemoryMeasured ? kAddressSpace : 0);
    }
    // The message of a file that failed by a text too large, from the
    // file's name on.
    static std::string TooLargeMessage(const std::string& input, const std::string& what) {
        return "/" + input + "\" failed: " + what +
               " bytes long, more than the 2 GiB a text may hold (the earlier output is kept)";
    }
};

TEST_F(VendrelTextLimit, ACellOfManyExpandingTagsTakesAboutTwiceItsOutput) {
    if (!kMemoryMeasured) GTEST_SKIP() << "the sanitizers' memory is no measure";
    constexpr size_t kTags = 1000;
    ASSERT_TRUE(WriteWhole(folder / "s.txt", TagDenseCell(kTags)));
    const ProgramRun run = Run({"s.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string html = ReadWhole(folder / "s.html");
    // Every tag's blanks are there (but one: the cell's last non-breaking
    // space goes with the line break in front of its end tag).
    size_t blanks = 0;
    for (size_t at = html.find("&nbsp;"); at != std::string::npos; at = html.find("&nbsp;", at + 6)) ++blanks;
    EXPECT_EQ(blanks, kTags * 10000 - 1);
    const auto output = static_cast<long long>(html.size());
    EXPECT_LE(run.peakBytes, 2 * output + output / 5 + kFixedBytes) << "output " << output << " bytes";
}

TEST_F(VendrelTextLimit, ACellBeyondTheLimitFailsItsFileAndTheNextConverts) {
    if (!kMemoryMeasured) GTEST_SKIP() << "a cell of 2 GiB under the sanitizers takes too long";
    // The cell's text reaches 2 GiB before it passes the limit: it is held
    // once, with the input and the output written so far.
    ASSERT_TRUE(WriteWhole(folder / "s.txt", TagDenseCell(36000)));
    ASSERT_TRUE(WriteWhole(folder / "s.html", "old\n"));
    ASSERT_TRUE(WriteWhole(folder / "z.txt", "Z  1\n"));
    const ProgramRun run = Run({"s.txt", "z.txt"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.ErrHas("ERROR: Conversion of \"")) << run.err;
    EXPECT_TRUE(run.ErrHas(TooLargeMessage("s.txt", "a table cell of line 2 would be 2147520000"))) << run.err;
    EXPECT_EQ(ReadWhole(folder / "s.html"), "old\n");
    EXPECT_NE(ReadWhole(folder / "z.html").find("<TD>Z  1</TD>"), std::string::npos);
    EXPECT_LE(run.peakBytes, (2048ll << 20) + (2048ll << 20) / 5 + kFixedBytes);
}

// A line of tabs at each layout: aligned by blanks (the table found in it),
// tab-delimited and comma-delimited.
class VendrelTabLine : public VendrelTextLimit, public testing::WithParamInterface<const char*> {
protected:
    std::vector<std::string> Words(const std::string& input) const {
        std::vector<std::string> words;
        if (*GetParam()) words.emplace_back(GetParam());
        words.push_back(input);
        return words;
    }
};

TEST_P(VendrelTabLine, IsHeldInAboutTwiceTheBlanksItExpandsTo) {
    if (!kMemoryMeasured) GTEST_SKIP() << "the sanitizers' memory is no measure";
    constexpr size_t kTabs = 1000000;  // 64 M blanks from 1 MB of tabs
    ASSERT_TRUE(WriteWhole(folder / "t.txt", TabLine(kTabs)));
    const ProgramRun run = Run(Words("t.txt"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadWhole(folder / "t.html").find('x'), std::string::npos);
    const long long blanks = static_cast<long long>(kTabs + 2) * 64;
    EXPECT_LE(run.peakBytes, 2 * blanks + blanks / 5 + kFixedBytes) << "blanks " << blanks;
}

TEST_P(VendrelTabLine, ExpandedBeyondTheLimitFailsItsFileAndTheNextConverts) {
    // 34 M tabs expand to 2,176,000,065 bytes: refused before they are
    // expanded, so the run holds little more than the line as read.
    ASSERT_TRUE(WriteWhole(folder / "t.txt", TabLine(34000000)));
    ASSERT_TRUE(WriteWhole(folder / "t.html", "old\n"));
    ASSERT_TRUE(WriteWhole(folder / "z.txt", "Z  1\n"));
    std::vector<std::string> words = Words("t.txt");
    words.emplace_back("z.txt");
    const ProgramRun run = Run(words);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.ErrHas("ERROR: Conversion of \"")) << run.err;
    EXPECT_TRUE(run.ErrHas(TooLargeMessage("t.txt", "line 2 with its tabs expanded would be 2176000065")))
        << run.err;
    EXPECT_EQ(ReadWhole(folder / "t.html"), "old\n");
    EXPECT_NE(ReadWhole(folder / "z.html").find("<TD>Z  1</TD>"), std::string::npos);
    if (kMemoryMeasured) {
        EXPECT_LE(run.peakBytes, 8 * 34000000ll + kFixedBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, VendrelTabLine, testing::Values("", "/TABBED", "/COMMA"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             const std::string word = info.param;
                             return word.empty() ? std::string("SpaceAligned") : word.substr(1);
                         });

}  // namespace
