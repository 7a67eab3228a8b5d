#include "output/html_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "context/context.h"
#include "output/tag_executors.h"
#include "policies/fc.h"
#include "support/recording_document.h"
#include "support/temp_folder.h"

namespace {

std::string Words(int count, const char* word = "word") {
    std::string text;
    for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::string(word);
    return text;
}

class HTMLFileTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        InstallTagExecutors(context);
        ASSERT_TRUE(temp.Made());
    }

    // Starts `writer` with its lines going to `lines`.
    void StartInto(HTMLFile& writer, StringList& lines) {
        writer.outputList = &lines;
        writer.OpenForWrite("", 0, 0);
        writer.fileStarted = 1;
        writer.policies = &set;
    }
    // A started writer whose lines go to `written`; buffered when `buffered`.
    void Start(bool buffered) {
        StartInto(file, written);
        context.documentState.htmlOutput = buffered ? 1 : 0;
    }
    int Write(const std::string& text, int unwrapped = 0) {
        TextString line(text.c_str());
        return file.WriteLine(&set, &file, &line, unwrapped);
    }
    std::vector<std::string> Written() const {
        std::vector<std::string> lines;
        for (int i = 0; i < written.count; ++i) lines.push_back(written.TextAt(i));
        return lines;
    }

    Context context;
    FC set;
    HTMLFile file;
    StringList written;
    TempFolder temp{"html_file"};
    std::filesystem::path folder = temp.Path();
};

TEST_F(HTMLFileTest, BufferedLinesWaitUntilMoreThan1024CharactersArePending) {
    Start(true);
    // Ten lines of 101 characters with their newlines, then one of 14: 1024.
    for (int i = 0; i < 10; ++i) Write(std::string(100, static_cast<char>('a' + i)));
    Write(std::string(13, 'k'));
    ASSERT_EQ(file.pending.length, 1024);
    Write("x");
    EXPECT_EQ(written.count, 0);
    ASSERT_EQ(file.pending.length, 1026);
    Write("y");
    // The flush wrote from the front while more than 341 characters were
    // left (the lines of 'a' to 'g'); the newest output waits.
    ASSERT_EQ(written.count, 7);
    EXPECT_EQ(Written().back(), std::string(100, 'g'));
    EXPECT_EQ(file.pending.str().substr(0, 101), std::string(100, 'h') + "\n");
    EXPECT_EQ(file.pending.length, 3 * 101 + 14 + 4);
}

TEST_F(HTMLFileTest, AFlushThatIsNotFinalKeepsUpTo341Characters) {
    Start(true);
    Write(std::string(300, 'a'));
    Write(std::string(40, 'b'));  // 301 + 41 = 342 pending
    EXPECT_EQ(file.FlushBuffer(&set, &file, 0), 1);
    EXPECT_EQ(Written(), std::vector<std::string>{std::string(300, 'a')});
    EXPECT_EQ(file.pending.str(), std::string(40, 'b') + "\n");
    // 41 characters are not more than 341: kept whole.
    file.FlushBuffer(&set, &file, 0);
    EXPECT_EQ(written.count, 1);
    file.FlushBuffer(&set, &file, 1);
    EXPECT_EQ(written.count, 2);
    EXPECT_TRUE(file.pending.IsEmpty());
}

TEST_F(HTMLFileTest, LongLinesWrapAt90ColumnsOnlyAtBlanks) {
    Start(false);
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string longWord(120, 'w');
    const std::string punctuated = "f(x)[y]{z}," + std::string(100, 'p');
    const std::vector<Case> cases = {
        {Words(18), {Words(18)}},  // 89 columns: one line
        {Words(19), {Words(18), "word"}},
        // No blank: no cut, also not at punctuation.
        {longWord, {longWord}},
        {punctuated, {punctuated}},
        {"a " + longWord + " b", {"a", longWord, "b"}},
        // Continuation lines keep the indent and still fit the width.
        {"    " + Words(30), {"    " + Words(17), "    " + Words(13)}},
        // An indent wider than the width is not a break point.
        {std::string(95, ' ') + "a b", {std::string(95, ' ') + "a", std::string(95, ' ') + "b"}},
        // Trailing blanks do not make an empty continuation line.
        {Words(18) + "     ", {Words(18)}},
    };
    for (const Case& c : cases) {
        written.Clear();
        Write(c.text);
        EXPECT_EQ(Written(), c.lines) << c.text;
        for (const std::string& line : Written()) {
            if (line.find(' ', line.find_first_not_of(' ')) != std::string::npos) {
                EXPECT_LE(line.size(), 90u);
            }
        }
    }
    // The caller may ask for a whole line.
    written.Clear();
    Write(Words(40), 1);
    EXPECT_EQ(Written(), std::vector<std::string>{Words(40)});
}

TEST_F(HTMLFileTest, BufferedLinksAndUnwrappedOutputStayWhole) {
    const std::string link = "<A HREF=\"x.html\">" + Words(30) + "</A>";
    const std::string lower = "<a href=\"x.html\">" + Words(30) + "</a>";
    Start(true);
    Write(link);
    Write(lower);
    Write(Words(30));
    file.FlushBuffer(&set, &file, 1);
    EXPECT_EQ(Written(), (std::vector<std::string>{link, lower, Words(18), Words(12)}));

    // "Break up long HTML lines" off: buffered output is written whole, but an
    // unbuffered line is still wrapped.
    written.Clear();
    set.SetInt(Pol::BreakUpLongHTMLLines, 0);
    Write(Words(30));
    file.FlushBuffer(&set, &file, 1);
    context.documentState.htmlOutput = 0;
    Write(Words(30));
    EXPECT_EQ(Written(), (std::vector<std::string>{Words(30), Words(18), Words(12)}));
}

TEST_F(HTMLFileTest, PreformattedContentIsWrittenAsItIs) {
    // clang-format off
    const std::vector<std::string> lines = {
        "<PRE>" + Words(25), "", "    " + Words(25), "   ", "</PRE>", Words(19),
        "<pre class=\"x\">",     Words(20), "</pre>", "<PREFIX>" + Words(19),
    };
    // clang-format on
    // clang-format off
    const std::vector<std::string> expected = {
        "<PRE>" + Words(25), "", "    " + Words(25), "   ", "</PRE>", Words(18), "word",
        "<pre class=\"x\">",     Words(20), "</pre>", "<PREFIX>" + Words(16), Words(3),
    };
    // clang-format on
    for (bool buffered : {true, false}) {
        written.Clear();
        file.insidePre = 0;
        Start(buffered);
        for (const std::string& line : lines) Write(line);
        file.FlushBuffer(&set, &file, 1);
        EXPECT_EQ(Written(), expected) << (buffered ? "buffered" : "unbuffered");
    }
}

// A file takes the lines that fit the width several at a time; it gets the
// same lines as a string list, which takes them one by one: short and long
// lines, links, empty lines and pre-formatted sections, over many flushes.
TEST_F(HTMLFileTest, AFileGetsTheLinesAStringListGets) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) {
        lines.push_back("<TD>" + std::to_string(i) + "</TD>");
        if (i % 7 == 0) lines.push_back(Words(25 + i % 3));
        if (i % 11 == 0) lines.push_back("<A HREF=\"x.html\">" + Words(20) + "</A>");
        if (i % 13 == 0) lines.push_back("");
        if (i % 17 == 0) lines.insert(lines.end(), {"<PRE>", Words(30), "</PRE>"});
    }
    Start(true);
    const std::string path = (folder / "lines.html").string();
    HTMLFile toFile;
    ASSERT_TRUE(toFile.OpenForWrite(path.c_str(), 0, 0));
    toFile.fileStarted = 1;
    toFile.policies = &set;
    for (const std::string& line : lines) {
        Write(line);
        TextString text(line.c_str());
        EXPECT_EQ(toFile.WriteLine(&set, &toFile, &text, 0), 1);
    }
    file.Close();
    toFile.Close();
    std::string expected;
    for (const std::string& line : Written()) expected += line + "\n";
    std::ifstream in(path, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(got, expected);
    EXPECT_GT(written.count, static_cast<int>(lines.size()));  // long lines were wrapped
}

TEST_F(HTMLFileTest, LongBufferedLinesComeOutAsUnbufferedOnes) {
    // Lines long enough to be wrapped in the buffer itself, at its front and
    // after shorter lines, before short and long ones and inside a PRE
    // section come out as the unbuffered writer writes them.
    const std::vector<std::vector<std::string>> cases = {
        {Words(1500)},
        {"a", "b", Words(1500), "c"},
        {Words(10), Words(1500), Words(2000), "d"},
        {Words(1000), std::string(3000, 'x'), Words(900, "longer-word")},
        {"<PRE>", Words(1500), "</PRE>", Words(1500)},
    };
    for (const std::vector<std::string>& lines : cases) {
        HTMLFile unbuffered;
        StringList expected;
        StartInto(unbuffered, expected);
        written.Clear();
        Start(false);
        for (const std::string& line : lines) {
            TextString text(line.c_str());
            unbuffered.WriteLine(&set, &unbuffered, &text, 0);
        }
        context.documentState.htmlOutput = 1;
        for (const std::string& line : lines) Write(line);
        file.FlushBuffer(&set, &file, 1);
        std::vector<std::string> want;
        for (int i = 0; i < expected.count; ++i) want.push_back(expected.TextAt(i));
        EXPECT_EQ(Written(), want) << lines.size() << " lines, the first " << lines.front().substr(0, 20);
        EXPECT_TRUE(file.pending.IsEmpty());
    }
    // A buffered long line that holds a link stays whole.
    const std::string linked = "<A HREF=\"x.html\">" + Words(1200) + "</A>";
    written.Clear();
    for (const std::string& line : {std::string("e"), linked, std::string("f")}) Write(line);
    file.FlushBuffer(&set, &file, 1);
    EXPECT_EQ(Written(), (std::vector<std::string>{"e", linked, "f"}));
}

TEST_F(HTMLFileTest, UnbufferedWritesComeAfterEverythingBuffered) {
    Start(true);
    for (int i = 0; i < 5; ++i) Write("line " + std::to_string(i));
    context.documentState.htmlOutput = 0;
    Write("after");
    file.WriteText(&set, &file, "text");
    EXPECT_EQ(Written(),
              (std::vector<std::string>{"line 0", "line 1", "line 2", "line 3", "line 4", "after", "text"}));
}

TEST_F(HTMLFileTest, OutputFileNames) {
    struct Case {
        const char* input;
        const char* inputDirectory;
        const char* outputDirectory;
        const char* outputSpec;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"report", "", "out/", "", "out/report.html"},
        {"docs/report", "", "", "", "docs/report.html"},
        {"in/report", "in/", "out/", "", "out/report.html"},
        // The input directory only goes as a prefix.
        {"x/in/report", "in/", "out/", "", "out/x/in/report.html"},
        {"report", "", "out/", "*.*", "out/report.html"},
        {"report", "", "out/", "[*]spec/*.htm", "out/report.htm"},
        {"report", "", "out/", "other/name.xhtml", "other/name.xhtml"},
        {"report", "", "out/", "name", "out/name.html"},
        // The extension comes from the last path component only.
        {"report", "", "out/", "v1.2/name", "v1.2/name.html"},
        {"report", "", "dir.d/", "", "dir.d/report.html"},
    };
    for (const Case& c : cases) {
        set.SetText(Pol::InputDirectory, c.inputDirectory);
        set.SetText(Pol::OutputDirectory, c.outputDirectory);
        context.runParameters.outputSpec = c.outputSpec;
        TextString name;
        EXPECT_EQ(file.GetOutputFileName(c.input, &set, &name), 1);
        EXPECT_EQ(name.str(), c.expected) << c.input << " " << c.outputSpec;
    }
}

TEST_F(HTMLFileTest, OpeningNamesTheStemAndReportsTheFile) {
    MessageRecorder messages(context);
    const std::string directory = folder.string() + "/";
    set.SetText(Pol::OutputDirectory, directory.c_str());
    set.SetInt(Pol::UseDOSFilenames, 1);
    set.SetInt(Pol::SplitLevel, 1);
    ASSERT_EQ(file.Open("annualreport", &set, 1), 1);
    EXPECT_EQ(file.currentFileName.str(), "annua");
    EXPECT_EQ(set.GetText(Pol::DOSFilenameRoot).str(), "annua");
    EXPECT_EQ(context.currentOutputFileName.str(), directory + "annualreport" + set.names.outputExtension.str());
    EXPECT_EQ(context.firstOutputFileName, context.currentOutputFileName);
    EXPECT_EQ(context.dosFileCounter, 1);
    file.Close();
    // The console flag is not passed on: the named file was written.
    EXPECT_TRUE(std::filesystem::exists(context.currentOutputFileName.buffer));

    // The root is taken: the next file keeps its own name as the stem.
    HTMLFile next;
    ASSERT_EQ(next.Open("summary", &set, 0), 1);
    EXPECT_EQ(next.currentFileName.str(), "summary");
    EXPECT_EQ(context.firstOutputFileName.str(), directory + "annualreport" + set.names.outputExtension.str());
    next.Close();
}

TEST_F(HTMLFileTest, FailedOpensAndWritesAreReported) {
    MessageRecorder messages(context);
    const std::string missing = folder.string() + "/missing/";
    set.SetText(Pol::OutputDirectory, missing.c_str());
    EXPECT_EQ(file.Open("report", &set, 0), 0);
    EXPECT_EQ(messages.Count("ERROR: Can't open file \"" + missing + "report.html\""), 1);
    EXPECT_EQ(Write("text"), 0);

    // The output file would be the input file: refused before it is emptied.
    const std::string input = folder.string() + "/same.html";
    std::ofstream(input) << "input text\n";
    context.documentState.inputFileName = input.c_str();
    set.SetText(Pol::OutputDirectory, (folder.string() + "/").c_str());
    HTMLFile same;
    EXPECT_EQ(same.Open("same", &set, 0), 0);
    EXPECT_EQ(messages.Count("ERROR: Output file would overwrite the input file \"" + input + "\""), 1);
    std::ifstream in(input);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "input text");

    // A device that takes no data: the failure shows when the file is closed.
    if (std::filesystem::exists("/dev/full")) {
        HTMLFile full;
        ASSERT_TRUE(full.OpenForWrite("/dev/full", 0, 0));
        full.fileStarted = 1;
        full.policies = &set;
        TextString line("text");
        full.WriteLine(&set, &full, &line, 0);
        full.Close();
        EXPECT_EQ(messages.Count("ERROR: Can't write file"), 1);
    }
}

}  // namespace

// Lines the caller knows to be plain table text skip the writer's scan; what
// comes out must not change, whatever is buffered around them (text the tidy
// passes do change, blank lines, a PRE section).
TEST_F(HTMLFileTest, PlainLinesComeOutAsIfWrittenAsText) {
    const std::vector<std::pair<std::string, bool>> lines = {
        {"  <TR>", true},
        {"    <TD ALIGN=\"RIGHT\">12.50</TD>", true},
        {"<P>", false},
        {"</P>", false},
        {"    <TD>a</TD>", true},
        {"   ", false},
        {"", false},
        {"    <TD>b</TD>", true},
        {"<PRE>", false},
        {"    <TD>c</TD>", true},
        {"</PRE>", false},
        {"    <TD>x&nbsp;y</TD>", false},
        {"  </TR>", true},
    };
    auto run = [&](bool usePlain) {
        HTMLFile writer;
        StringList out;
        StartInto(writer, out);
        context.documentState.htmlOutput = 1;
        for (int round = 0; round < 40; ++round)
            for (const auto& [text, plain] : lines) {
                const TextString line(text.c_str());
                if (usePlain && plain && round % 3 == 0) {
                    writer.WritePlainLine(&set, &writer, line);
                } else if (usePlain && plain) {
                    // Put together in the writer's own buffer, found buffering
                    // line by line or once for many lines.
                    char* space = nullptr;
                    if (round % 3 == 1) {
                        space = writer.PlainLineSpace(&set, &writer, line.length, nullptr);
                    } else {
                        EXPECT_TRUE(writer.IsBuffered(&set, &writer));
                        space = writer.BufferedPlainLineSpace(&set, line.length);
                    }
                    EXPECT_NE(space, nullptr);
                    if (!space) continue;
                    std::memcpy(space, line.buffer, static_cast<size_t>(line.length));
                    writer.EndPlainLine(line.length);
                } else
                    writer.WriteText(&set, &writer, line.buffer);
            }
        writer.FlushBuffer(&set, &writer, 1);
        std::vector<std::string> result;
        for (int i = 0; i < out.count; ++i) result.push_back(out.TextAt(i));
        return result;
    };
    const std::vector<std::string> asText = run(false);
    ASSERT_GT(asText.size(), 100u);
    EXPECT_EQ(run(true), asText);
}

// A file's buffer of plain lines that all fit the width is flushed as one
// run found from the back of the buffer; the file must come out as the same
// lines written as text make it, and each flush keep what it keeps for the
// tidy passes: lines up to and beyond the width, many tiny lines kept at
// once, text the tidy passes change, a text of two lines, a PRE section.
TEST_F(HTMLFileTest, PlainLinesFlushedAsOneRunComeOutAsText) {
    const std::string kFlushAll = "(flush all)";
    std::vector<std::pair<std::string, bool>> lines;  // the line, whether it is plain
    for (int i = 0; i < 40; ++i)
        lines.emplace_back("    <TD>" + std::string(static_cast<size_t>(i % 9) * 9, 'c') + "</TD>", true);
    for (const int width : {89, 90, 91, 120}) lines.emplace_back(std::string(static_cast<size_t>(width), 'w'), true);
    for (int i = 0; i < 300; ++i) lines.emplace_back(std::string(static_cast<size_t>(i % 3 + 1), 't'), true);
    lines.emplace_back("", false);  // the tidy passes take out an empty line
    // After a flush of all, wide lines, then more short ones kept at once
    // than the writer keeps the starts of.
    lines.emplace_back(kFlushAll, false);
    for (int i = 0; i < 8; ++i) lines.emplace_back(std::string(90, 'v'), true);
    for (int i = 0; i < 160; ++i) lines.emplace_back("s", true);
    lines.emplace_back("<P>", false);
    lines.emplace_back("two\nlines", false);
    for (int i = 0; i < 50; ++i) lines.emplace_back("  <TR>", true);
    lines.emplace_back("<PRE>", false);
    lines.emplace_back("    <TD>in pre</TD>", true);
    lines.emplace_back("</PRE>", false);
    for (int i = 0; i < 60; ++i)
        lines.emplace_back("    <TD ALIGN=\"RIGHT\">" + std::to_string(i * 37) + "</TD>", true);
    struct Run {
        std::string file;
        std::vector<std::string> kept;  // the buffer after each flush
    };
    auto run = [&](bool usePlain, const char* name) {
        const std::filesystem::path path = folder / name;
        HTMLFile writer;
        EXPECT_TRUE(writer.OpenForWrite(path.string().c_str(), 0, 0));
        writer.fileStarted = 1;
        writer.policies = &set;
        context.documentState.htmlOutput = 1;
        Run result;
        for (int round = 0; round < 12; ++round)
            for (const auto& [text, plain] : lines) {
                const TextString line(text.c_str());
                const int before = writer.pending.length;
                if (text == kFlushAll) {
                    writer.FlushBuffer(&set, &writer, 1);
                    continue;
                }
                if (!usePlain || !plain) {
                    writer.WriteText(&set, &writer, line.buffer);
                } else if (round % 2 == 0) {
                    writer.WritePlainLine(&set, &writer, line);
                } else {
                    char* space = writer.BufferedPlainLineSpace(&set, line.length);
                    std::memcpy(space, line.buffer, static_cast<size_t>(line.length));
                    writer.EndPlainLine(line.length);
                }
                if (writer.pending.length <= before) result.kept.push_back(writer.pending.str());
            }
        writer.FlushBuffer(&set, &writer, 1);
        writer.Close();
        std::ifstream in(path, std::ios::binary);
        result.file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return result;
    };
    const Run asText = run(false, "text.html");
    ASSERT_GT(asText.file.size(), 20000u);
    ASSERT_GT(asText.kept.size(), 50u);
    const Run asPlain = run(true, "plain.html");
    EXPECT_EQ(asPlain.file, asText.file);
    EXPECT_EQ(asPlain.kept, asText.kept);
}
