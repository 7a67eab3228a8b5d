#include "app/conversion_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/base_dialog.h"
#include "app/ui_services.h"
#include "analysis/analysed_line.h"
#include "context/context.h"
#include "foundation/run_status.h"
#include "platform/output_files.h"
#include "tables/convert_to_table.h"
#include "ui/scripted_services.h"
#include "support/temp_folder.h"
#include "texts/message_texts.h"
#include "texts/ui_texts.h"

namespace {

namespace fs = std::filesystem;

bool HasLine(const StringList& lines, const std::string& text) {
    for (int i = 0; i < lines.count; ++i)
        if (text == lines.TextAt(i)) return true;
    return false;
}

class ConversionRunTest : public testing::Test {
protected:
    TempFolder temp{"conversion_run"};
    fs::path folder = temp.Path();
    std::string directory;  // with its trailing "/"
    ScriptedUiServices services;
    std::unique_ptr<MainDialog> dialog;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        directory = folder.string() + "/";
        TheConsoleStatus().consoleEcho = false;
        TheStatusWindow().Clear();
        dialog = std::make_unique<MainDialog>(services, (folder / "settings").string());
        // No browser is started from a test.
        dialog->settings.viewResults = false;
        dialog->settings.autoDdeUpdates = false;
    }
    void TearDown() override {
        dialog.reset();
        TheConsoleStatus().consoleEcho = true;
    }
    void Write(const std::string& name, const std::string& content) {
        std::ofstream(folder / name, std::ios::binary) << content;
    }
    TextString Path(const std::string& name) const { return TextString((directory + name).c_str()); }
    // A batch run of a.txt to HTML or RTF with the log "run.log" and the
    // index page, the write-fault seam set for `target`; the status
    // window's lines.
    const StringList& RunWithFault(const std::string& target, bool rtf, WriteFault fault) {
        dialog = std::make_unique<MainDialog>(services, (folder / "settings").string());
        dialog->settings.viewResults = false;
        dialog->SetInputDirectory(Path(""));
        dialog->SetOutputDirectory(Path(""));
        dialog->SetInputFileSpec(Path("a.txt"));
        dialog->SetFileName(TextString(rtf ? "a.rtf" : "a.html"));
        dialog->commandLineSpecs = {Path("a.txt")};
        dialog->batchMode = 1;
        RunParameters& run = dialog->context->runParameters;
        run.rtf = rtf ? 1 : 0;
        dialog->commandLineRun = 1;
        if (rtf) dialog->ExtensionChoice = 2;
        run.logFile = 1;
        run.logFileName = "run.log";
        run.index = 1;
        TheStatusWindow().Clear();
        TheRunStatus().Reset();
        SetWriteFault(fault, "/" + target);
        dialog->RunConversion();
        SetWriteFault(WriteFault::kNone, "");
        return TheStatusWindow().Lines;
    }
};

TEST(SplitFileSpecTest, Cases) {
    struct Case {
        const char* spec;
        const char* directory;
        const char* rest;
    };
    const Case cases[] = {
        {"", "", ""},
        {"/a/b/c.txt", "/a/b/", "c.txt"},
        {"c.txt", "", "c.txt"},
        {"/a/\"/x.txt\" \"/y.txt\"", "/a/", "\"/x.txt\" \"/y.txt\""},
        {"/a/my \"best\" notes.txt", "/a/my ", "\"best\" notes.txt"},
    };
    for (const Case& c : cases) {
        TextString directory("junk"), rest("junk");
        BaseDialog::SplitFileSpec(TextString(c.spec), directory, rest);
        EXPECT_EQ(directory.str(), c.directory) << c.spec;
        EXPECT_EQ(rest.str(), c.rest) << c.spec;
    }
}

TEST_F(ConversionRunTest, OutputFileNames) {
    Write("only.txt", "x\n");
    dialog->SetInputDirectory(TextString(directory.c_str()));
    struct Case {
        const char* spec;
        int type;
        const char* name;
        bool result;
    };
    const Case cases[] = {
        {"report.txt", 1, "report.htm", true},
        {"a.b.txt", 2, "a.b.rtf", true},
        {"dir.v2/notes", 0, "dir.v2/notes.html", true},  // the dot of a folder is no extension
        {".profile", 0, ".profile.html", true},
        {"\"/x.txt\" \"/y.txt\"", 0, "*.html", false},
        {" x", 1, "*.htm", false},
        {"*.txt", 0, "only.html", true},  // a wildcard is named by its first match
    };
    for (const Case& c : cases) {
        dialog->ExtensionChoice = c.type;
        TextString name;
        EXPECT_EQ(dialog->MakeOutputFileName(TextString(c.spec), name), c.result) << c.spec;
        EXPECT_EQ(name.str(), c.name) << c.spec;
        EXPECT_EQ(dialog->context->outputFormat, c.type == 2 ? 1 : 0) << c.spec;
    }
    // The format the qualifiers ask for stays.
    dialog->context->runParameters.rtf = 1;
    dialog->ExtensionChoice = MainDialog::kExtensionHtml;
    TextString name;
    dialog->MakeOutputFileName(TextString("a.txt"), name);
    EXPECT_EQ(dialog->context->outputFormat, 1);
}

TEST_F(ConversionRunTest, Directories) {
    Write("file.txt", "x\n");
    EXPECT_TRUE(BaseDialog::CheckDirectory(TextString(), false));  // the current directory
    EXPECT_TRUE(BaseDialog::CheckDirectory(Path(""), false));
    EXPECT_FALSE(BaseDialog::CheckDirectory(Path("missing/"), true));
    EXPECT_FALSE(BaseDialog::CheckDirectory(Path("file.txt"), true));
}

TEST_F(ConversionRunTest, FileHistoryKeepsTenWithoutDuplicates) {
    for (int i = 0; i < 12; ++i) dialog->FillInputFileCombo(TextString(("f" + std::to_string(i)).c_str()));
    const TextString* history = dialog->settings.filesHistory;
    EXPECT_EQ(history[0].str(), "f11");
    EXPECT_EQ(history[9].str(), "f2");
    dialog->FillInputFileCombo(TextString("f5"));
    EXPECT_EQ(history[0].str(), "f5");
    EXPECT_EQ(history[1].str(), "f11");
    EXPECT_EQ(history[6].str(), "f6");
    EXPECT_EQ(history[7].str(), "f4");
    EXPECT_EQ(history[9].str(), "f2");
    dialog->FillInputFileCombo(TextString("F5"));  // case matters
    EXPECT_EQ(history[1].str(), "f5");
    dialog->FillInputFileCombo(TextString());
    EXPECT_EQ(history[0].str(), "F5");
}

TEST_F(ConversionRunTest, LoadingPolicyFiles) {
    EXPECT_FALSE(dialog->LoadPolicyFile());
    EXPECT_EQ(dialog->policyFileLoaded, 0);
    EXPECT_TRUE(services.Messages().empty());

    dialog->runPolicyFileName = Path("none.pol");
    EXPECT_FALSE(dialog->LoadPolicyFile());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "Policy File Error");
    EXPECT_EQ(services.Messages()[0].text,
              "Can't find policy file \"" + directory + "none.pol\": No such file or directory");

    Write("p.pol", "Document Title: From the file\n");
    dialog->runPolicyFileName = Path("p.pol");
    EXPECT_TRUE(dialog->LoadPolicyFile());
    EXPECT_EQ(dialog->policyFileLoaded, 1);
    EXPECT_EQ(dialog->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "From the file");

    // A name that cannot be opened leaves the loaded file and the user's
    // edits; one that opens discards the edits.
    fs::create_directory(temp / "folder.pol");
    for (const char* name : {"none.pol", "folder.pol", "p.pol"}) {
        dialog->WorkingSet().SetText(Pol::DocumentKeywords, "edited", true);
        dialog->policiesEdited = 1;
        dialog->PolicyFileSet().SetText(Pol::DocumentDescription, "kept", true);
        dialog->runPolicyFileName = Path(name);
        const bool opens = std::string(name) == "p.pol";
        EXPECT_EQ(dialog->LoadPolicyFile(), opens) << name;
        EXPECT_EQ(dialog->policyFileLoaded, 1) << name;
        EXPECT_EQ(dialog->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "From the file") << name;
        EXPECT_EQ(dialog->PolicyFileSet().IsSet(Pol::DocumentDescription), !opens) << name;
        EXPECT_EQ(dialog->policiesEdited, opens ? 0 : 1) << name;
        EXPECT_EQ(dialog->WorkingSet().IsSet(Pol::DocumentKeywords), !opens) << name;
    }
}

TEST_F(ConversionRunTest, RunsThatFindNothing) {
    dialog->SetInputDirectory(Path("missing/"));
    dialog->SetOutputDirectory(Path(""));
    dialog->SetInputFileSpec(Path("missing/a.txt"));
    EXPECT_FALSE(dialog->RunConversion());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "Directory Error");
    EXPECT_EQ(services.Messages()[0].text, "Invalid Input Directory");

    services.ClearLog();
    dialog->SetInputDirectory(Path(""));
    dialog->SetInputFileSpec(Path("nothing*.txt"));
    EXPECT_FALSE(dialog->RunConversion());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "File selection error");
    EXPECT_EQ(services.Messages()[0].text, "No files found \"" + directory + "nothing*.txt\"");
    EXPECT_TRUE(HasLine(TheStatusWindow().Lines, "ERROR: No files found \"" + directory + "nothing*.txt\""));
}

TEST_F(ConversionRunTest, ARunOverTwoSpecifications) {
    fs::create_directory(folder / "sub");
    Write("a.txt", "Name  Age\nAnn   31\n");
    Write("sub/b.txt", "Name  Age\nBob   45\n");
    dialog->SetInputDirectory(Path(""));
    dialog->SetOutputDirectory(Path(""));
    dialog->SetInputFileSpec(TextString((directory + "\"/a.txt\" \"/b.txt\"").c_str()));
    dialog->commandLineSpecs = {Path("a.txt"), Path("sub/b.txt")};
    dialog->batchMode = 1;
    EXPECT_TRUE(dialog->RunConversion());
    EXPECT_TRUE(fs::exists(folder / "a.html"));
    EXPECT_TRUE(fs::exists(folder / "sub" / "b.html"));
    EXPECT_EQ(dialog->lastOutputFileName.str(), "b.html");
    // The dialog follows the last file.
    EXPECT_EQ(dialog->GetOutputDirectory().str(), directory + "sub/");
    const StringList& lines = TheStatusWindow().Lines;
    EXPECT_TRUE(HasLine(lines, "Processing : \"a.txt\""));
    EXPECT_TRUE(HasLine(lines, "Processing : \"b.txt\""));
    EXPECT_EQ(std::string(lines.TextAt(lines.count - 1)), GetMessageText(71));
    EXPECT_TRUE(services.Messages().empty());
}

// A desktop whose clipboard takes nothing.
class NoClipboardServices : public ScriptedUiServices {
public:
    bool SetClipboardText(const char*) override { return false; }
};

TEST_F(ConversionRunTest, ClipboardOutputGoesToTheClipboardOrFailsTheRun) {
    Write("a.txt", "Name  Age\nAnn   31\n");
    dialog->SetInputDirectory(Path(""));
    dialog->SetOutputDirectory(Path(""));
    dialog->SetInputFileSpec(Path("a.txt"));
    dialog->SetFileName(TextString("a.html"));
    dialog->OutputKind = MainDialog::kOutputHtmlClipboard;
    EXPECT_TRUE(dialog->RunConversion());
    const std::string& text = services.ClipboardText();
    EXPECT_NE(text.find("Ann"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_FALSE(fs::exists(folder / "a.html"));

    NoClipboardServices refusing;
    MainDialog other(refusing, (folder / "settings2").string());
    other.settings.autoDdeUpdates = false;
    other.SetInputDirectory(Path(""));
    other.SetOutputDirectory(Path(""));
    other.SetInputFileSpec(Path("a.txt"));
    other.SetFileName(TextString("a.html"));
    other.OutputKind = MainDialog::kOutputHtmlClipboard;
    TheStatusWindow().Clear();
    EXPECT_FALSE(other.RunConversion());
    EXPECT_TRUE(HasLine(TheStatusWindow().Lines, "ERROR: Can't put the output on the clipboard"));
}

TEST_F(ConversionRunTest, AMissingMasterPolicyFileKeepsThePoliciesLoaded) {
    Write("a.txt", "Name  Age\nAnn   31\n");
    Write("p.pol", "Document Title: Kept\n");
    dialog->runPolicyFileName = Path("p.pol");
    ASSERT_TRUE(dialog->LoadPolicyFile());
    fs::remove(folder / "p.pol");
    dialog->settings.alwaysReload = true;
    dialog->SetInputDirectory(Path(""));
    dialog->SetOutputDirectory(Path(""));
    dialog->SetInputFileSpec(Path("a.txt"));
    dialog->SetFileName(TextString("a.html"));
    EXPECT_TRUE(dialog->RunConversion());
    EXPECT_TRUE(HasLine(TheStatusWindow().Lines,
                        "ERROR: Can't find master policy file " + directory + "p.pol: No such file or directory"));
    std::ifstream page(folder / "a.html");
    const std::string html((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    EXPECT_NE(html.find("<TITLE>Kept</TITLE>"), std::string::npos) << html;
}

TEST(ConsoleStatusDisplayTest, EachPieceOfAMessageIsALine) {
    ConsoleStatusDisplay window;
    window.consoleEcho = false;
    window.AddMessage("one\ntwo\r\n\nthree");
    ASSERT_EQ(window.Lines.count, 4);
    EXPECT_STREQ(window.Lines.TextAt(1), "two");
    EXPECT_STREQ(window.Lines.TextAt(2), "");
    window.Clear();
    EXPECT_EQ(window.Lines.count, 0);
}

TEST_F(ConversionRunTest, Languages) {
    // The saved language (English) is loaded into the UI texts at start-up.
    EXPECT_STREQ(GetUiText(391), "Drag and drop properties");
    dialog->ChangeLanguage(2);
    EXPECT_EQ(dialog->LanguageCode, 2);
    EXPECT_STREQ(GetUiText(391), "Drag & Drop-Eigenschaften");
    EXPECT_EQ(dialog->settings.language.str(), "German");
    dialog->ChangeLanguage(1);
    EXPECT_EQ(dialog->settings.language.str(), "English");
    dialog.reset();

    // A saved "Other" is English and stays as saved.
    std::ofstream(folder / "settings") << "\\Languages\\Language=Other\n";
    dialog = std::make_unique<MainDialog>(services, (folder / "settings").string());
    EXPECT_EQ(dialog->LanguageCode, 1);
    EXPECT_EQ(dialog->settings.language.str(), "Other");
    EXPECT_STREQ(GetMessageText(48), "Conversion failed");
}

int LinesStartingWith(const StringList& lines, const std::string& start) {
    int count = 0;
    for (int i = 0; i < lines.count; ++i)
        if (std::string(lines.TextAt(i)).rfind(start, 0) == 0) ++count;
    return count;
}

struct WriterCase {
    const char* target;
    bool rtf;
};
const WriterCase kWriterCases[] = {
    {"a.html", false},
    {"a.rtf", true},
    {"run.log", false},
    {"dirindex.html", false},
};

// A write or close that fails, in every writer: one error naming the file,
// a failed run, the file written before stays as it was and no temporary
// file is left beside it.
TEST_F(ConversionRunTest, EveryWriterReportsAFailedWriteOrCloseOnce) {
    Write("a.txt", "Name  Age\nAnn   31\n");
    for (const WriterCase& c : kWriterCases) {
        for (const WriteFault fault : {WriteFault::kWrite, WriteFault::kClose}) {
            SCOPED_TRACE(std::string(c.target) + (fault == WriteFault::kWrite ? " write" : " close"));
            Write(c.target, "earlier\n");
            const StringList& lines = RunWithFault(c.target, c.rtf, fault);
            EXPECT_TRUE(TheRunStatus().Failed());
            EXPECT_EQ(LinesStartingWith(lines, "ERROR: Can't write file \"" + directory + c.target + "\": "), 1);
            EXPECT_EQ(ReadWhole(folder / c.target), "earlier\n");
            for (const auto& entry : fs::directory_iterator(folder))
                EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        }
    }
}

// No temporary file can be made (no free inode, no space): nothing is
// written, the earlier file stays whole.  A document, the index page or
// the log fails the run naming the file; no other log is written in the
// place of one that cannot be opened.
TEST_F(ConversionRunTest, NoRoomForATemporaryLeavesEveryTargetAsItWas) {
    Write("a.txt", "Name  Age\nAnn   31\n");
    for (const WriterCase& c : kWriterCases) {
        SCOPED_TRACE(c.target);
        Write(c.target, "earlier\n");
        const StringList& lines = RunWithFault(c.target, c.rtf, WriteFault::kCreate);
        const bool log = std::string(c.target) == "run.log";
        EXPECT_TRUE(TheRunStatus().Failed());
        const std::string opened = log ? "ERROR: Can't open log file \"" : "ERROR: Can't open file \"";
        EXPECT_EQ(LinesStartingWith(lines, opened + directory + c.target + "\""), 1);
        EXPECT_FALSE(fs::exists(folder / "Morvane.log"));
        EXPECT_EQ(ReadWhole(folder / c.target), "earlier\n");
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

// A line of the text that makes the conversion fail by an exception, as
// running out of memory does.
bool gThrowBadAlloc = true;
void ThrowAtBoom(RingEvent event, const AnalysedLine& line, void*) {
    if (event != RingEvent::Read || !std::strstr(line.buffer, "BOOM")) return;
    if (gThrowBadAlloc) throw std::bad_alloc();
    throw std::runtime_error("the disk caught fire");
}

// A conversion that fails by an exception, whether from the windows or a
// batch run (one road): the file is reported and abandoned (its earlier
// output stays), the run goes on with the next file and fails.
TEST_F(ConversionRunTest, AFileThatFailsByAnExceptionIsAbandonedAndTheRunGoesOn) {
    Write("t.txt", "Name  Age\nBOOM  1\nAnn   31\n");
    Write("z.txt", "Name  Age\nZoe   44\n");
    for (const bool badAlloc : {true, false}) {
        SCOPED_TRACE(badAlloc ? "out of memory" : "another exception");
        Write("t.html", "earlier\n");
        fs::remove(folder / "z.html");
        dialog->SetInputDirectory(Path(""));
        dialog->SetOutputDirectory(Path(""));
        dialog->SetInputFileSpec(TextString("\"/t.txt\" \"/z.txt\""));
        dialog->batchMode = 0;
        TheStatusWindow().Clear();
        TheRunStatus().Reset();
        gThrowBadAlloc = badAlloc;
        SetLineRingObserver(ThrowAtBoom, nullptr);
        const bool converted = dialog->RunConversion();
        SetLineRingObserver(nullptr, nullptr);
        EXPECT_FALSE(converted);
        EXPECT_TRUE(TheRunStatus().Failed());
        const std::string reason = badAlloc ? "not enough memory" : "the disk caught fire";
        // The name as the multi-file form of the windows gives it.
        EXPECT_TRUE(HasLine(TheStatusWindow().Lines, "ERROR: Conversion of \"" + directory + "/t.txt\" failed: " +
                                                         reason + " (the earlier output is kept)"));
        EXPECT_EQ(ReadWhole(folder / "t.html"), "earlier\n");
        EXPECT_NE(ReadWhole(folder / "z.html").find("Zoe"), std::string::npos);
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

}  // namespace
