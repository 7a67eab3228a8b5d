// The vendrel program run as a user runs it, on a temporary folder with its
// own settings folder (XDG_CONFIG_HOME): files named on the command line are
// converted beside them, status lines go to standard error, and the exit
// status says whether every file converted.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/batch_mode.h"
#include "policies/fc.h"
#include "policies/policy_value.h"
#include "policies/tab_config.h"
#include "support/document_text.h"
#include "support/recording_program.h"
#include "support/scoped_tmpfs.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// How often `part` stands in `text`.
size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The settings file as name -> list of values (a name saved twice shows up
// with two values).
std::map<std::string, std::vector<std::string>> ParseSettings(const std::string& text) {
    std::map<std::string, std::vector<std::string>> settings;
    for (const std::string& line : Lines(text)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string name = line.substr(0, equals);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        settings[name].push_back(line.substr(equals + 1));
    }
    return settings;
}

const char* const kTable = "Name    Age   City\nAnn     31    Oslo\nBob     45    Rome\n";
const char* const kCompleteLine = "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%";

class VendrelTest : public testing::Test {
protected:
    TempFolder temp{"vendrel_app"};
    fs::path folder = temp.Path();
    std::string runIn;  // the folder below `folder` the program runs in ("" for the folder itself)
    std::string out, err;

    void SetUp() override { ASSERT_TRUE(temp.Made()); }
    void TearDown() override {
        std::error_code error;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove(Capture(".out"), error);
        fs::remove(Capture(".err"), error);
    }

    // The program's output is kept beside the folder, so that a folder the
    // program may not write to can be tested too.
    fs::path Capture(const char* suffix) const { return folder.string() + suffix; }
    fs::path SettingsFile() const { return folder / "cfg" / "Halvex" / "Vendrel" / "settings"; }

    void Write(const std::string& name, const std::string& content) {
        std::ofstream(folder / name, std::ios::binary) << content;
    }
    void WriteSettings(const std::string& lines) {
        fs::create_directories(SettingsFile().parent_path());
        std::ofstream(SettingsFile(), std::ios::binary) << lines;
    }

    std::string Command(const std::string& arguments, const std::string& environment) const {
        return "cd '" + (folder / runIn).string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" +
               (folder / "cfg").string() + "' " + environment + " '" VENDREL_BINARY "' " + arguments;
    }

    // Runs the program in the folder with the arguments and no desktop;
    // returns its exit status, or -1 when it did not exit normally.
    int Run(const std::string& arguments, const std::string& environment = "") {
        const std::string command = Command(arguments, environment) + " > '" + Capture(".out").string() + "' 2> '" +
                                    Capture(".err").string() + "'";
        const int status = std::system(command.c_str());
        out = ReadWhole(Capture(".out"));
        err = ReadWhole(Capture(".err"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool ErrHas(const std::string& text) const { return err.find(text) != std::string::npos; }

    // Starts the program as Run does, without waiting; its process id.
    pid_t Start(const std::string& arguments) {
        std::string command = Command(arguments, "");
        // The shell and env become the program: the id is the program's own.
        command.replace(command.find("&& env "), 7, "&& exec env ");
        command += " > '" + Capture(".out").string() + "' 2> '" + Capture(".err").string() + "'";
        std::string shell = "sh", option = "-c";
        char* words[] = {shell.data(), option.data(), command.data(), nullptr};
        pid_t pid = -1;
        if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, words, environ) != 0) return -1;
        return pid;
    }
    // Waits for a started program; its wait status.
    int Wait(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        err = ReadWhole(Capture(".err"));
        return status;
    }
};

// Whether a hidden file beginning with `prefix` appeared in `folder` and was
// seen growing while `pid` ran: the run is then writing its temporary file.
// False when the program ended first or after 40 seconds.
bool SeenGrowing(const fs::path& folder, const std::string& prefix, pid_t pid) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    uintmax_t seen = 0;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) != 0) return false;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().filename().string().rfind(prefix, 0) != 0) continue;
            std::error_code error;
            const uintmax_t size = fs::file_size(entry.path(), error);
            if (error) continue;
            if (seen > 0 && size > seen) return true;
            if (size > 0) seen = size;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// A table big enough that its document is written for a while: tens of MB
// for an optimised program, a tenth of that for one built with the
// sanitizers, which takes about ten times as long for each row.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kBigTableRows = 100000;
#else
constexpr int kBigTableRows = 1000000;
#endif
std::string BigTable() {
    std::string table = "Name        Value    City      Code\n";
    table.reserve(static_cast<size_t>(kBigTableRows) * 40);
    char row[64];
    for (int i = 0; i < kBigTableRows; ++i) {
        const int n =
            std::snprintf(row, sizeof row, "row%-8d %8d    city%-5d C%05d\n", i, i * 7, i % 977, i % 99991);
        table.append(row, static_cast<size_t>(n));
    }
    return table;
}

TEST_F(VendrelTest, ConvertsBesideTheInputWithTheStatusOnStandardError) {
    Write("a.txt", kTable);
    fs::create_directory(folder / "elsewhere");
    for (const std::string& argument : {std::string("a.txt"), (folder / "a.txt").string()}) {
        SCOPED_TRACE(argument);
        fs::remove(folder / "a.html");
        // An absolute path is given from another folder.
        runIn = argument[0] == '/' ? "elsewhere" : "";
        EXPECT_EQ(Run(argument[0] == '/' ? "'" + argument + "'" : argument), 0) << err;
        EXPECT_EQ(ReadWhole(folder / "a.txt"), kTable);
        const std::string html = ReadWhole(folder / "a.html");
        EXPECT_NE(html.find("<TD>Oslo</TD>"), std::string::npos) << html;
        const std::vector<std::string> status = Lines(err);
        ASSERT_FALSE(status.empty());
        EXPECT_NE(std::find(status.begin(), status.end(), std::string(50, '%')), status.end()) << err;
        EXPECT_TRUE(ErrHas("Processing : \"a.txt\"")) << err;
        // The complete line closes the run; only the note that results are
        // not shown without a desktop follows it.
        const auto complete = std::find(status.begin(), status.end(), kCompleteLine);
        ASSERT_NE(complete, status.end()) << err;
        EXPECT_LE(status.end() - complete, 2) << err;
        EXPECT_EQ(out.find("Processing"), std::string::npos) << out;
    }
}

// The README's examples, converted as it says: every cell in its place.
TEST_F(VendrelTest, TheExamplesConvert) {
    struct Case {
        const char* name;
        const char* qualifier;
        std::vector<const char*> parts;
    };
    const Case cases[] = {
        {"quarterly_report",
         "",
         {"<TH ALIGN=\"LEFT\">Region</TH>", "<TD ALIGN=\"RIGHT\">15,100</TD>", "<TD>Total</TD>"}},
        {"stock_tabbed", " /TABBED", {"<TD>Paper, A4 (box)</TD>", "<TD>Markup &amp; Co</TD>"}},
        {"flights_comma", " /COMMA", {"<TD>VN 310</TD>", "<TD ALIGN=\"RIGHT\">Seats free</TD>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = std::string(c.name) + ".txt";
        const fs::path example = fs::path(VENDREL_TEST_DATA_DIR) / ".." / ".." / "examples" / file;
        const std::string input = ReadWhole(example);
        ASSERT_FALSE(input.empty());
        fs::copy_file(example, folder / file);
        EXPECT_EQ(Run(file + c.qualifier), 0) << err;
        const std::string html = ReadWhole(folder / (std::string(c.name) + ".html"));
        for (const char* part : c.parts) EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
        EXPECT_EQ(ReadWhole(folder / file), input);
    }
}

TEST_F(VendrelTest, LogFiles) {
    Write("a.txt", kTable);
    ASSERT_EQ(Run("a.txt /LOG"), 0) << err;
    EXPECT_NE(ReadWhole(folder / "Morvane.log").find("Processing : \"a.txt\""), std::string::npos);

    ASSERT_EQ(Run("a.txt /LOG=run.txt"), 0) << err;
    EXPECT_FALSE(fs::exists(folder / "run.txt"));
    EXPECT_NE(ReadWhole(folder / "run.log").find("SESSION: "), std::string::npos);

    // A log that cannot be opened fails the run, whose files are still
    // converted; no other file is written in its place.
    fs::remove(folder / "Morvane.log");
    fs::remove(folder / "a.html");
    EXPECT_EQ(Run("a.txt /LOG=missing/deeper/x.log"), 1) << err;
    EXPECT_TRUE(ErrHas("ERROR: Can't open log file \"missing/deeper/x.log\": No such file or directory")) << err;
    EXPECT_FALSE(fs::exists(folder / "Morvane.log"));
    EXPECT_TRUE(fs::exists(folder / "a.html"));
}

TEST_F(VendrelTest, RtfOutput) {
    Write("a.txt", kTable);
    EXPECT_EQ(Run("-rtf a.txt"), 0) << err;
    EXPECT_EQ(ReadWhole(folder / "a.rtf").rfind("{\\rtf", 0), 0u);
    EXPECT_FALSE(fs::exists(folder / "a.html"));
}

TEST_F(VendrelTest, EveryMatchOfEverySpecificationInOrder) {
    fs::create_directory(folder / "sub");
    Write("b.txt", kTable);
    Write("sub/c2.txt", kTable);
    Write("sub/c1.txt", kTable);
    // "?" is a wildcard too: each match gets its own output.
    EXPECT_EQ(Run("b.txt 'sub/c?.txt'"), 0) << err;
    const size_t b = err.find("Processing : \"b.txt\"");
    const size_t c1 = err.find("Processing : \"c1.txt\"");
    const size_t c2 = err.find("Processing : \"c2.txt\"");
    ASSERT_NE(c2, std::string::npos) << err;
    EXPECT_LT(b, c1);
    EXPECT_LT(c1, c2);
    for (const char* name : {"b.html", "sub/c1.html", "sub/c2.html"}) EXPECT_TRUE(fs::exists(folder / name)) << name;
}

TEST_F(VendrelTest, PolicyFiles) {
    Write("a.txt", kTable);
    Write("P2.POL", "Document Title: Title from P2\n");
    Write("other.pol", "Document Title: Title from other\n");
    EXPECT_EQ(Run("a.txt P2.POL"), 0) << err;
    EXPECT_NE(ReadWhole(folder / "a.html").find("<TITLE>Title from P2</TITLE>"), std::string::npos);

    // The default policy file of the settings wins over the command line's,
    // and one warning names both.
    const std::string other = (folder / "other.pol").string();
    WriteSettings("\\DefaultPolicy\\File=" + other + "\n");
    EXPECT_EQ(Run("a.txt P2.POL"), 0) << err;
    EXPECT_NE(ReadWhole(folder / "a.html").find("<TITLE>Title from other</TITLE>"), std::string::npos);
    EXPECT_EQ(Count(err, "WARNING: "), 1u) << err;
    EXPECT_TRUE(ErrHas("WARNING: The default policy file \"" + other +
                       "\" of the settings is used instead of \"P2.POL\" named on the command line\n"))
        << err;
    // Naming the default policy file itself replaces nothing.
    EXPECT_EQ(Run("a.txt other.pol"), 0) << err;
    EXPECT_FALSE(ErrHas("WARNING: ")) << err;

    // A policy file that cannot be read: converted with the defaults, but
    // the exit status says the policies were not applied.
    WriteSettings("");
    EXPECT_EQ(Run("a.txt nothing.pol"), 1);
    EXPECT_TRUE(ErrHas("Policy File Error: Can't find policy file \"nothing.pol\"")) << err;
    EXPECT_TRUE(fs::exists(folder / "a.html"));
    EXPECT_EQ(ReadWhole(folder / "a.html").find("Title from"), std::string::npos);
}

TEST_F(VendrelTest, FailuresGiveTheirMessagesAndANonZeroExitAtOnce) {
    struct Case {
        const char* arguments;
        const char* file;  // the input written, or null for none
        const char* blockedAs;  // a folder in the place of the output file, or null
        const char* message;
    };
    const Case cases[] = {
        {"missing.txt", nullptr, nullptr, "Vendrel: Unable to locate file \"missing.txt\""},
        {"adir", nullptr, "adir", "File selection error: No files found"},
        {"report.txt", "Some text\n", "report.html", "report.html\" is a directory: \""},
        {"page.html", "Already HTML\n", nullptr, "ERROR: Output file would overwrite the input file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        if (c.file) Write(c.arguments, c.file);
        if (c.blockedAs) fs::create_directory(folder / c.blockedAs);
        // No terminal to wait on: standard input is closed.
        EXPECT_EQ(Run(std::string(c.arguments) + " < /dev/null"), 1);
        EXPECT_TRUE(ErrHas(c.message)) << err;
        EXPECT_TRUE(ErrHas("Convert Error: Conversion failed")) << err;
        EXPECT_EQ(err.find(kCompleteLine) != std::string::npos, c.file != nullptr) << err;
        if (c.file) {
            EXPECT_EQ(ReadWhole(folder / c.arguments), c.file);
        }
    }
}

TEST_F(VendrelTest, AnUnwritableOutputFolderIsReported) {
    Write("notes.txt", "Some text\n");
    // Root may write anyway: the run is then made as "nobody".
    std::string asUser;
    if (::geteuid() == 0 && std::system("setpriv --version > /dev/null 2>&1") == 0)
        asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    fs::permissions(folder, asUser.empty() ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms(0555));
    std::ofstream probe(folder / "probe");
    if (probe && asUser.empty()) GTEST_SKIP() << "the folder stays writable for this user";
    EXPECT_EQ(Run("notes.txt", asUser), 1);
    EXPECT_TRUE(ErrHas("Directory Error: Invalid Output Directory. Must be writable")) << err;
}

TEST_F(VendrelTest, AnEmptyInputGivesAWarningAndAnEmptyDocument) {
    Write("empty.txt", "");
    EXPECT_EQ(Run("empty.txt"), 0) << err;
    EXPECT_TRUE(ErrHas("WARNING: File is empty")) << err;
    const std::string html = ReadWhole(folder / "empty.html");
    EXPECT_NE(html.find("<HEAD>"), std::string::npos);
    EXPECT_NE(html.find("</HTML>"), std::string::npos);
    EXPECT_EQ(html.find("<TABLE"), std::string::npos);
}

// Anything but a regular file is refused wherever a file is read: a FIFO
// would block for ever, /dev/zero and /dev/urandom never end.  Each case
// ends at once with one message naming the file and exit status 1.
TEST_F(VendrelTest, FilesThatAreNotRegularAreRefusedWhereverTheyAreRead) {
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_directory(folder / "folder");
    struct Special {
        std::string name;  // as written in the command, directive or policy
        std::string reason;  // the system's words
    };
    const Special specials[] = {{"pipe", "Not a regular file"},
                                {"/dev/zero", "Not a regular file"},
                                {"/dev/urandom", "Not a regular file"},
                                {"folder", "Is a directory"}};
    struct Place {
        const char* what;
        const char* policyKey;  // the policy naming the file, or null
    };
    const Place places[] = {{"input", nullptr},
                            {"include directive", nullptr},
                            {"policy file", nullptr},
                            {"policy include", "include file"},
                            {"switch to file", "Switch to file"},
                            {"link dictionary", "Link Dictionary file"},
                            {"style file", "Style file"},
                            {"header", "HTML header file"},
                            {"footer", "HTML footer file"},
                            {"fragments", "Fragments file"}};
    Write("a.txt", kTable);
    for (const Special& special : specials) {
        const std::string path = special.name[0] == '/' ? special.name : (folder / special.name).string();
        for (const Place& place : places) {
            SCOPED_TRACE(special.name + " as " + place.what);
            std::string arguments = "a.txt";
            std::string expected = "ERROR: Can't read \"";
            if (std::string(place.what) == "input") {
                arguments = "'" + path + "'";
                // A folder named as the input is no file to convert at all.
                if (special.name == "folder") expected = "ERROR: No files found \"" + path;
            } else if (std::string(place.what) == "include directive") {
                Write("inc.txt", "Some text\n$_$_INCLUDE " + special.name + "\nMore text\n");
                arguments = "inc.txt";
            } else if (std::string(place.what) == "policy file") {
                fs::remove(folder / "x.pol");
                fs::create_symlink(path, folder / "x.pol");
                arguments = "a.txt x.pol";
                expected = "Policy File Error: Can't find policy file \"x.pol\": " + special.reason;
            } else {
                Write("x.pol", std::string(place.policyKey) + ": " + special.name + "\n");
                arguments = "a.txt x.pol";
            }
            if (expected == "ERROR: Can't read \"") expected += "\": " + special.reason;
            // The refusal must not depend on a timeout; this one only stops a
            // hang from stopping the suite.
            EXPECT_EQ(Run(arguments + " < /dev/null", "timeout 60"), 1) << err;
            if (expected.starts_with("ERROR: Can't read")) {
                EXPECT_TRUE(ErrHas(expected.substr(0, expected.find('"') + 1))) << err;
                EXPECT_TRUE(ErrHas(special.name + "\": " + special.reason)) << err;
            } else {
                EXPECT_TRUE(ErrHas(expected)) << err;
            }
            fs::remove(folder / "x.pol");
        }
    }
}

// A number outside a policy's range is refused as an unreadable one is: the
// line is reported and the value in force before it stays.
TEST_F(VendrelTest, NumbersOutsideAPolicysRangeAreRefused) {
    const std::string table = "Name\tValue\nAlpha\t1\n";
    Write("plain.txt", table);
    ASSERT_EQ(Run("plain.txt"), 0) << err;
    const std::string plain = ReadWhole(folder / "plain.html");

    Write("t.txt", "$_$_CHANGE_POLICY TAB size : 2147483647\n" + table);
    EXPECT_EQ(Run("t.txt < /dev/null", "timeout 60"), 0) << err;
    EXPECT_TRUE(ErrHas("POLICY: Ignored - \\TAB size : 2147483647\\")) << err;
    EXPECT_FALSE(ErrHas("POLICY: Changed - TAB size")) << err;
    std::string html = ReadWhole(folder / "t.html");
    EXPECT_NE(html.find("<TD>Alpha</TD>"), std::string::npos) << html;

    Write("p.txt", table);
    Write("big.pol", "TAB size : 2147483647\nBase FONT Size in pts : 12\n");
    EXPECT_EQ(Run("p.txt big.pol < /dev/null", "timeout 60"), 0) << err;
    EXPECT_TRUE(ErrHas("POLICY: Ignored - \\TAB size : 2147483647\\")) << err;
    EXPECT_NE(ReadWhole(folder / "p.html").find("<TD>Alpha</TD>"), std::string::npos);

    // A directive's number: not written as given, and never ignored
    // silently, 2^31 and above included.
    const std::string tagged = "$_$_BEGIN_TABLE\nName    Value\nAlpha   1\n$_$_END_TABLE\n";
    Write("d.txt", "$_$_TABLE_BORDER 3\n$_$_TABLE_BORDER 2147483647\n$_$_TABLE_CELLPADDING 4294967296\n" + tagged);
    EXPECT_EQ(Run("d.txt < /dev/null", "timeout 60"), 0) << err;
    html = ReadWhole(folder / "d.html");
    EXPECT_NE(html.find("BORDER=3"), std::string::npos) << html;
    EXPECT_EQ(html.find("2147483647"), std::string::npos) << html;
    EXPECT_EQ(html.find("4294967296"), std::string::npos) << html;
    EXPECT_NE(html.find("<TD>Alpha</TD>"), std::string::npos) << html;
}

// Every integer policy, and every font policy's size, at the ends of int,
// through a policy file and through CHANGE_POLICY lines, converts a small
// table to HTML, to RTF and as a tab-delimited table (the sanitizer build
// fails on any overflow).
TEST_F(VendrelTest, EveryIntegerPolicyAtTheEndsOfIntConverts) {
    std::vector<std::string> keys;
    for (int i = 0; i < kPolicyCount; ++i) {
        const PolicyDefinition& definition = GetPolicyDefinition(static_cast<Pol>(i));
        if (definition.kind == kPolicyInt) keys.emplace_back(definition.key);
    }
    for (int i = 0; i < kTablePolicyCount; ++i) {
        const TablePolicyDefinition& definition = GetTablePolicyDefinition(static_cast<TabPol>(i));
        if (definition.kind == kPolicyInt) keys.emplace_back(definition.key);
    }
    ASSERT_GT(keys.size(), 40u);
    const std::string table = "Name\tValue\tCity\nAlpha\t1\tOslo\nBeta\t22\tRome\n";
    for (const char* value : {"-2147483648", "-1", "0", "2147483647"}) {
        std::string policies, changes;
        for (const std::string& key : keys) {
            policies += key + " : " + value + "\n";
            changes += "$_$_CHANGE_POLICY " + key + " : " + value + "\n";
        }
        // The font policies' sizes too.
        for (int i = 0; i < kPolicyCount; ++i) {
            const PolicyDefinition& definition = GetPolicyDefinition(static_cast<Pol>(i));
            if (definition.kind != kPolicyFont) continue;
            const std::string line = std::string(definition.key) + " : Arial, Bold, " + value + "\n";
            policies += line;
            changes += "$_$_CHANGE_POLICY " + line;
        }
        Write("ends.pol", policies);
        Write("plain.txt", table);
        Write("changed.txt", changes + table);
        for (const char* arguments : {"plain.txt ends.pol", "changed.txt"}) {
            for (const char* format : {"", " /RTF", " /TABBED"}) {
                SCOPED_TRACE(std::string(arguments) + format + " at " + value);
                const std::string input = std::string(arguments).substr(0, std::string(arguments).find('.'));
                const fs::path output = folder / (input + (std::string(format) == " /RTF" ? ".rtf" : ".html"));
                fs::remove(output);
                // (An error reporting level of -1 keeps even the status lines back.)
                EXPECT_EQ(Run(std::string(arguments) + format + " < /dev/null", "timeout 100"), 0) << err;
                EXPECT_NE(ReadWhole(output).find("Alpha"), std::string::npos) << err;
                EXPECT_FALSE(ErrHas("runtime error")) << err;
            }
        }
    }
}

TEST_F(VendrelTest, MasterIndexPage) {
    Write("a.txt", kTable);
    Write("b.txt", kTable);
    EXPECT_EQ(Run("a.txt b.txt /INDEX"), 0) << err;
    const std::string page = ReadWhole(folder / "dirindex.html");
    EXPECT_EQ(page.rfind("<!DOCTYPE", 0), 0u) << page;
    for (const char* part : {"<HEAD>", "</HEAD>", "<TITLE>Directory listing</TITLE>",
                             "<A HREF=\"a.html\">a.html</A>", "<A HREF=\"b.html\">b.html</A>"})
        EXPECT_NE(page.find(part), std::string::npos) << part << "\n" << page;
    const size_t body = page.find("</BODY>");
    ASSERT_NE(body, std::string::npos) << page;
    EXPECT_EQ(page.find("</BODY>", body + 1), std::string::npos) << page;
    EXPECT_EQ(page.substr(page.size() - 8), "</HTML>\n");
}

// A file named in letters beyond ASCII: the index page shows its output's
// name and links to it, and the RTF title names it, in the characters of its
// name.
TEST_F(VendrelTest, NamesBeyondAsciiShowAsTheyAreNamed) {
    const std::string stem = "Z\u00fcrich \u041c\u043e\u0441\u043a\u0432\u0430 \u6771\u4eac \U00020000";
    Write(stem + ".txt", kTable);
    ASSERT_EQ(Run("'" + stem + ".txt' /INDEX"), 0) << err;
    ASSERT_TRUE(fs::exists(folder / (stem + ".html")));
    const std::string page = ReadWhole(folder / "dirindex.html");
    const std::optional<PageLink> link = FirstLink(page);
    ASSERT_TRUE(link) << page;
    EXPECT_TRUE(fs::exists(folder / PercentDecoded(link->href))) << page;
    EXPECT_EQ(HtmlText(link->text), stem + ".html");
    // The page declares no charset: a browser reads its bytes as 8-bit text.
    auto ascii = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0; });
    };
    EXPECT_TRUE(ascii(page)) << page;

    ASSERT_EQ(Run("-rtf '" + stem + ".txt'"), 0) << err;
    std::string title;
    for (const std::string& line : Lines(ReadWhole(folder / (stem + ".rtf"))))
        if (line.rfind("{\\title ", 0) == 0) title = line;
    EXPECT_NE(RtfText(title).find(stem + ".txt"), std::string::npos) << title;
    EXPECT_TRUE(ascii(title)) << title;
}

TEST_F(VendrelTest, WithoutFilesAndWithoutADisplayTheUsageSaysNoDisplayIsSet) {
    // Nobody asked for the usage text: it goes to standard error.
    EXPECT_EQ(Run(""), 2);
    EXPECT_EQ(out, "");
    EXPECT_TRUE(ErrHas("Command is:")) << err;
    EXPECT_EQ(Lines(err).back(), kNoDisplayLine) << err;
    // A bad qualifier does not change that no file was named.
    EXPECT_EQ(Run("/RFT"), 2);

    Write("a.txt", kTable);
    EXPECT_EQ(Run("a.txt /?"), 0);
    EXPECT_NE(out.find("Recognised qualifiers include"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(folder / "a.html"));
}

// A display named but not there (or not to be opened) is no display: the
// usage and the one line, never the toolkit's own start-up complaint; a
// batch run there that asks for its status window writes its lines to
// standard error.
TEST_F(VendrelTest, ADisplayThatCannotBeOpenedIsNoDisplay) {
    for (const char* display : {"DISPLAY=:97531", "WAYLAND_DISPLAY=vendrel-no-such-display"}) {
        SCOPED_TRACE(display);
        EXPECT_EQ(Run("", display), 2);
        const std::vector<std::string> lines = Lines(err);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), kNoWindowLine) << err;
        EXPECT_TRUE(ErrHas("Command is:")) << err;
        for (const char* toolkit : {"Gtk", "GTK", "wx", "display"})
            EXPECT_FALSE(ErrHas(toolkit)) << toolkit << ": " << err;
    }
    Write("a.txt", kTable);
    WriteSettings("\\DragAndDrop\\ViewStatusWindow=Yes\n\\DragAndDrop\\ViewResults=No\n");
    EXPECT_EQ(Run("a.txt", "DISPLAY=:97531"), 0) << err;
    EXPECT_TRUE(ErrHas(kCompleteLine)) << err;
    EXPECT_TRUE(fs::exists(folder / "a.html"));
}

// The windows live in a module the program loads only when a window is
// wanted.  The program alone, without its module or beside a module that
// cannot load, behaves as a build without windows: the usage and the one
// line, a batch run's lines on standard error, never the loader's words.
TEST_F(VendrelTest, WithoutAWorkingWindowsModuleTheProgramBehavesAsWithoutWindows) {
    Write("a.txt", kTable);
    WriteSettings("\\DragAndDrop\\ViewStatusWindow=Yes\n\\DragAndDrop\\ViewResults=No\n");
    fs::create_directory(folder / "bin");
    const fs::path program = folder / "bin" / "vendrel";
    ASSERT_TRUE(fs::copy_file(VENDREL_BINARY, program));
    for (const bool brokenModule : {false, true}) {
        SCOPED_TRACE(brokenModule ? "a broken module beside the program" : "no module");
        if (brokenModule) {
            ASSERT_TRUE(WriteWhole(folder / "bin" / VENDREL_FRONT_END_MODULE_FILE, "not a module\n"));
        }
        const std::string run = "env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" + (folder / "cfg").string() +
                                "' DISPLAY=:97531 '" + program.string() + "' ";
        const std::string capture = " > '" + Capture(".out").string() + "' 2> '" + Capture(".err").string() + "'";
        int status = std::system(("cd '" + folder.string() + "' && " + run + capture).c_str());
        err = ReadWhole(Capture(".err"));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << err;
        const std::vector<std::string> lines = Lines(err);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), kNoWindowLine) << err;
        status = std::system(("cd '" + folder.string() + "' && " + run + "a.txt" + capture).c_str());
        err = ReadWhole(Capture(".err"));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << err;
        EXPECT_TRUE(ErrHas(kCompleteLine)) << err;
        for (const char* loader : {".so", "dlopen", "shared object", "symbol"}) {
            EXPECT_FALSE(ErrHas(loader)) << loader << ": " << err;
        }
    }
}

// Words of the command line: "@" marks a steering file only at the start of
// a word, "\" is an ordinary character of a file name, and after "--" no
// word is a qualifier (a ".pol" word still names the policy file).
TEST_F(VendrelTest, OrdinaryFileNamesConvert) {
    struct Case {
        const char* arguments;
        const char* input;
        const char* output;
    };
    const Case cases[] = {
        {"a@b.txt", "a@b.txt", "a@b.html"},
        {"'report@2024.txt'", "report@2024.txt", "report@2024.html"},
        {"'back\\slash.txt'", "back\\slash.txt", "back\\slash.html"},
        {"-- -dash.txt", "-dash.txt", "-dash.html"},
        {"-- -rtf", "-rtf", "-rtf.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        Write(c.input, kTable);
        EXPECT_EQ(Run(c.arguments), 0) << err;
        EXPECT_NE(ReadWhole(folder / c.output).find("<TD>Oslo</TD>"), std::string::npos);
        EXPECT_FALSE(ErrHas("Steering files")) << err;
        EXPECT_FALSE(ErrHas("Unrecognised")) << err;
        EXPECT_EQ(ReadWhole(folder / c.input), kTable);
    }
    Write("T.POL", "Document Title: From T\n");
    EXPECT_EQ(Run("-- -dash.txt T.POL"), 0) << err;
    EXPECT_NE(ReadWhole(folder / "-dash.html").find("<TITLE>From T</TITLE>"), std::string::npos);
}

// Standard output carries only what the user asked to see there; a word
// that is reported and ignored makes the exit status 1 and the files are
// converted all the same.
TEST_F(VendrelTest, RefusedWordsAreReportedOnStandardErrorWithExitOne) {
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"a.txt /RFT", "*** Unrecognised, ambiguous or repeated qualifiers : /RFT"},
        {"a.txt /RTX", "Illegal Qualifier : /RTX"},
        {"a.txt -rtf /RT", "*** Unrecognised, ambiguous or repeated qualifiers : /RT"},
        {"a.txt @steering.txt", "Steering files not yet supported"},
    };
    Write("a.txt", kTable);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        fs::remove(folder / "a.html");
        fs::remove(folder / "a.rtf");
        EXPECT_EQ(Run(c.arguments), 1) << err;
        EXPECT_EQ(out, "");
        EXPECT_TRUE(ErrHas(c.message)) << err;
        EXPECT_TRUE(fs::exists(folder / "a.html") || fs::exists(folder / "a.rtf"));
    }
    // Messages of the log-file check go to standard error as well.
    EXPECT_EQ(Run("a.txt /LOG=run.txt"), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_TRUE(ErrHas("Can't use \".txt\" for a log file")) << err;
    // With help asked for, the usage text is on standard output; the
    // refused word still counts.
    EXPECT_EQ(Run("a.txt /? /RFT"), 1);
    EXPECT_NE(out.find("Recognised qualifiers include"), std::string::npos) << out;
}

TEST_F(VendrelTest, MetaTagLinesAndCommentsStayInTheirPlace) {
    Write("m.txt",
          "$_$_META_TAG author=Ann\n"
          "Name    Age   City\n"
          "Ann     31    Oslo [[HTML_COMMENT --> <script>x</script> <!-- ]]\n");
    EXPECT_EQ(Run("m.txt"), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_TRUE(ErrHas("Meta Tag line - ")) << err;
    const std::string html = ReadWhole(folder / "m.html");
    // The whole text stays inside one comment: its first "-->" is its own end.
    const std::string comment = "<!-- - -> <script>x</script> <!- - -->";
    const size_t start = html.find(comment);
    ASSERT_NE(start, std::string::npos) << html;
    EXPECT_EQ(html.find("-->", start), start + comment.size() - 3);
}

// Under /SILENT nothing of the run is shown, wherever the qualifier stands:
// neither the messages of the qualifiers before it nor the meta-tag lines;
// the log keeps them, and a refused word still fails the run.
TEST_F(VendrelTest, SilentShowsNoMessageAndTheLogKeepsThem) {
    Write("m.txt", "$_$_META_TAG author Ann\nName    Age\nAnn     31\n");
    EXPECT_EQ(Run("m.txt /LOG=run.txt /RFT /SILENT"), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    const std::string log = ReadWhole(folder / "run.log");
    for (const char* line :
         {"SESSION: Can't use \".txt\" for a log file.  Changing to \".log\"",
          "SESSION: *** Unrecognised, ambiguous or repeated qualifiers : /RFT", "Meta Tag line - author=Ann"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    // Without it they are shown, the qualifiers' messages first.
    EXPECT_EQ(Run("m.txt /LOG=run.txt /RFT"), 1);
    EXPECT_LT(err.find("Can't use \".txt\""), err.find("Meta Tag line - author=Ann")) << err;
}

TEST_F(VendrelTest, SettingsAreSavedWithEverySettingOnce) {
    Write("a.txt", kTable);
    ASSERT_EQ(Run("a.txt"), 0) << err;
    const auto settings = ParseSettings(ReadWhole(SettingsFile()));
    for (const auto& [name, values] : settings) EXPECT_EQ(values.size(), 1u) << name;
    for (const char* name : {"\\draganddrop\\viewresults", "\\addurlprefix", "\\dialogs\\displaytooltips"}) {
        ASSERT_EQ(settings.count(name), 1u) << name;
        EXPECT_TRUE(settings.at(name)[0] == "Yes" || settings.at(name)[0] == "No") << name;
    }
    for (const char* list : {"\\files", "\\indir", "\\policy", "\\htmlscript"})
        for (int i = 0; i < 10; ++i) EXPECT_EQ(settings.count(std::string(list) + "\\mru0" + std::to_string(i)), 1u);
    // The run's file is on top of the files history.
    EXPECT_EQ(settings.at("\\files\\mru00")[0], (folder / "a.txt").string());

    // Five runs at once leave a file that still parses with each name once.
    std::vector<std::thread> runs;
    for (int i = 0; i < 5; ++i) {
        Write("f" + std::to_string(i) + ".txt", kTable);
        runs.emplace_back([this, i] {
            const std::string command = Command("f" + std::to_string(i) + ".txt", "") + " > /dev/null 2>&1";
            EXPECT_EQ(std::system(command.c_str()), 0);
        });
    }
    for (std::thread& run : runs) run.join();
    const auto after = ParseSettings(ReadWhole(SettingsFile()));
    EXPECT_EQ(after.size(), settings.size());
    for (const auto& [name, values] : after) EXPECT_EQ(values.size(), 1u) << name;
}

TEST_F(VendrelTest, ABatchRunNeitherTakesNorWritesTheWindowsKeptChoices) {
    // The window was last closed on ".rtf" and RTF output.
    WriteSettings("\\Options\\ConversionType=2\n\\Options\\OutputType=1\n");
    Write("a.txt", kTable);
    ASSERT_EQ(Run("a.txt"), 0) << err;
    EXPECT_TRUE(fs::exists(folder / "a.html"));
    EXPECT_FALSE(fs::exists(folder / "a.rtf"));
    const auto settings = ParseSettings(ReadWhole(SettingsFile()));
    EXPECT_EQ(settings.at("\\options\\conversiontype"), std::vector<std::string>{"2"});
    EXPECT_EQ(settings.at("\\options\\outputtype"), std::vector<std::string>{"1"});
}

TEST_F(VendrelTest, ResultsAreShownThroughTheBrowserCommand) {
    const fs::path record = folder / "arguments.txt";
    const fs::path script = folder / "browser.sh";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << record.string()
                          << ".part' && mv '" << record.string() << ".part' '" << record.string() << "'\n";
    fs::permissions(script, fs::perms::owner_all);
    WriteSettings("\\BrowserCommand=" + script.string() + "\n");

    // The opener gets one argument: the file's address, percent-encoded
    // (the temporary folder's own name needs no encoding).
    struct Case {
        const char* name;
        const char* encoded;
    };
    const Case cases[] = {
        {"my \"best\" notes", "my%20%22best%22%20notes"},
        {"100%#1?", "100%25%231%3F"},
        {"back\\slash", "back%5Cslash"},
        {"Z\xC3\xBCrich", "Z%C3%BCrich"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(record);
        const std::string name = c.name;
        Write(name + ".txt", kTable);
        std::string quoted = "'";
        for (char ch : name) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
        ASSERT_EQ(Run(quoted + ".txt'", "DISPLAY=:99"), 0) << err;
        for (int i = 0; i < 100 && !fs::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(ReadWhole(record), "file://" + folder.string() + "/" + c.encoded + ".html\n");
    }

    // Nothing is started after a failed run.
    fs::remove(record);
    fs::create_directory(folder / "blocked.html");
    Write("blocked.txt", kTable);
    EXPECT_EQ(Run("blocked.txt < /dev/null", "DISPLAY=:99"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(record));
}

// The viewer is handed the file the run wrote, in the folder it wrote it to;
// a bare output name stays beside the input.
TEST_F(VendrelTest, TheViewerGetsTheFileTheRunWrote) {
    const fs::path record = folder / "arguments.txt";
    const fs::path viewer = folder / "viewer.sh";
    ASSERT_TRUE(WriteRecordingProgram(viewer, record));
    WriteSettings("\\BrowserCommand=" + viewer.string() + "\n\\ViewRTFCommand=" + viewer.string() + "\n");
    fs::create_directory(folder / "in");
    fs::create_directory(folder / "out");
    Write("in/t.txt", kTable);
    const std::string address = "file://" + folder.string();
    struct Case {
        std::string arguments;
        std::string shown;  // what the viewer gets
        std::string written;  // the file under the test folder
    };
    const Case cases[] = {
        {"in/t.txt /OUTPUT=" + (folder / "out").string() + "/", address + "/out/t.html", "out/t.html"},
        {"in/t.txt /OUTPUT=out/", address + "/out/t.html", "out/t.html"},
        {"in/t.txt /OUTPUT=out/renamed.htm", address + "/out/renamed.htm", "out/renamed.htm"},
        {"in/t.txt /OUTPUT=out/ /RTF", (folder / "out" / "t.rtf").string(), "out/t.rtf"},
        {"in/t.txt /OUTPUT=single.htm", address + "/in/single.htm", "in/single.htm"},
        {"in/t.txt", address + "/in/t.html", "in/t.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        fs::remove(record);
        fs::remove(folder / c.written);
        ASSERT_EQ(Run(c.arguments, "DISPLAY=:99"), 0) << err;
        EXPECT_TRUE(fs::exists(folder / c.written));
        for (int i = 0; i < 100 && !fs::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(ReceivedArguments(record), "1\n[" + c.shown + "]\n");
    }
}

// A browser command may carry arguments, and a stored program path may hold
// blanks.
TEST_F(VendrelTest, BrowserCommandsWithArgumentsAndBlanks) {
    const fs::path record = folder / "arguments.txt";
    fs::create_directory(folder / "my browser");
    const fs::path browser = folder / "my browser" / "run";
    ASSERT_TRUE(WriteRecordingProgram(browser, record));
    Write("a.txt", kTable);
    const std::string address = "file://" + folder.string() + "/a.html";
    struct Case {
        std::string command;
        std::string received;
    };
    const Case cases[] = {
        {browser.string(), "1\n[" + address + "]\n"},
        {"'" + browser.string() + "' --private-window", "2\n[--private-window]\n[" + address + "]\n"},
        {"\"" + browser.string() + "\" --new-tab \"a b\"", "3\n[--new-tab]\n[a b]\n[" + address + "]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        fs::remove(record);
        WriteSettings("\\BrowserCommand=" + c.command + "\n");
        ASSERT_EQ(Run("a.txt", "DISPLAY=:99"), 0) << err;
        for (int i = 0; i < 100 && !fs::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(ReceivedArguments(record), c.received);
    }
}

// The index page goes where the documents go, also from a wildcard in
// another folder.
TEST_F(VendrelTest, TheIndexPageGoesWhereTheDocumentsGo) {
    fs::create_directory(folder / "o");
    fs::create_directory(folder / "src");
    Write("src/df.txt", kTable);
    EXPECT_EQ(Run("'src/*.txt' /OUTPUT=o/ /INDEX"), 0) << err;
    EXPECT_TRUE(fs::exists(folder / "o" / "df.html"));
    EXPECT_NE(ReadWhole(folder / "o" / "dirindex.html").find("<A HREF=\"df.html\">"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(folder / "src" / "o"));
    EXPECT_EQ(Run("'src/*.txt' /OUTPUT=o/ /INDEX=list.html"), 0) << err;
    EXPECT_NE(ReadWhole(folder / "o" / "list.html").find("<A HREF=\"df.html\">"), std::string::npos) << err;
}

// A policy file's value of the two policies the program gives a value of
// its own is the one a run uses; without it, the output is minimised and
// keeps its head.
TEST_F(VendrelTest, APolicyFileDecidesMinimisingAndTheHead) {
    Write("t.txt", kTable);
    struct Case {
        const char* policies;  // null: no policy file
        bool indented;
        bool head;
    };
    const Case cases[] = {
        {nullptr, false, true},
        {"Minimise HTML file size : No\n", true, true},
        {"Minimise HTML file size : Yes\nOmit <HEAD> and <BODY> from output : Yes\n", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.policies ? c.policies : "(none)");
        if (c.policies) Write("p.pol", c.policies);
        ASSERT_EQ(Run(c.policies ? "t.txt p.pol" : "t.txt"), 0) << err;
        EXPECT_FALSE(ErrHas("POLICY:")) << err;
        const std::string html = ReadWhole(folder / "t.html");
        EXPECT_EQ(html.find("\n  <TR>") != std::string::npos, c.indented) << html;
        EXPECT_EQ(html.find("<HEAD>") != std::string::npos, c.head) << html;
        EXPECT_NE(html.find("<TD>Oslo</TD>"), std::string::npos) << html;
    }
}

// A run saves what it changed (the files history, the current folder) and
// leaves every other line of the settings file as it stood.
TEST_F(VendrelTest, ARunLeavesEverySettingsLineItDidNotChange) {
    const std::vector<std::string> kept = {
        "\\BrowserCommand=/opt/my browser/run --new-window",
        "\\addurlprefix=no",
        "\\DragAndDrop\\ViewResults=No",
        "\\Unknown\\Setting=100%",
        "\\Dialogs\\Main\\Left=15\r",
        "\\Options\\OutputType=7",
    };
    std::string lines = "\\Files\\MRU00=/old/a.txt\n";
    for (const std::string& line : kept) lines += line + "\n";
    WriteSettings(lines);
    Write("a.txt", kTable);
    ASSERT_EQ(Run("a.txt"), 0) << err;
    const std::string after = ReadWhole(SettingsFile());
    size_t at = 0;
    for (const std::string& line : kept) {
        const size_t found = after.find("\n" + line + "\n", at);
        ASSERT_NE(found, std::string::npos) << line << "\n" << after;
        at = found + 1;
    }
    const auto settings = ParseSettings(after);
    EXPECT_EQ(settings.at("\\files\\mru00")[0], (folder / "a.txt").string());
    EXPECT_EQ(settings.at("\\files\\mru01")[0], "/old/a.txt");
    for (const auto& [name, values] : settings) EXPECT_EQ(values.size(), 1u) << name;
}

// ---------------------------------------------------------------------------
// Nothing lost, nothing hidden: what a run writes, and how it ends.

const char* const kOtherTable = "Name    Age   City\nCid     52    Lima\n";

// The whole content of every regular file of the folder (not below it),
// by name: what a run must leave as it was.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink())
            files[entry.path().filename().string()] = ReadWhole(entry.path());
    return files;
}

// Hidden files left in the folder (temporary files of a run).
std::vector<std::string> HiddenFiles(const fs::path& folder) {
    std::vector<std::string> hidden;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string()[0] == '.') hidden.push_back(entry.path().filename().string());
    return hidden;
}

TEST_F(VendrelTest, NoNamedFileIsEverReplaced) {
    struct Case {
        std::string arguments;
        std::vector<std::pair<const char*, const char*>> files;  // written before the run
        std::vector<std::string> messages;
        std::vector<const char*> converted;  // documents the run writes
    };
    const auto at = [this](const char* name) { return "\"" + (folder / name).string() + "\""; };
    const std::string overwrites = "ERROR: Output file would overwrite the input file ";
    const std::vector<Case> cases = {
        {"notes.md /LOG=notes.md",
         {{"notes.md", kTable}},
         {"ERROR: Log file " + at("notes.md") + " would overwrite the input file " + at("notes.md") +
          ": not written"},
         {"notes.html"}},
        {"notes /LOG=notes",
         {{"notes", kTable}},
         {"ERROR: Log file " + at("notes") + " would overwrite the input file"},
         {"notes.html"}},
        {"notes.md /INDEX=notes.md",
         {{"notes.md", kTable}},
         {"ERROR: Index page " + at("notes.md") + " would overwrite the input file"},
         {"notes.html"}},
        {"b.txt b.html",
         {{"b.txt", kTable}, {"b.html", "<p>hand-written</p>\n"}},
         {overwrites + at("b.html") + ": " + at("b.txt") + " not converted",
          overwrites + at("b.html") + ": " + at("b.html") + " not converted"},
         {}},
        {"'*.txt' /INDEX",
         {{"a.txt", kTable}, {"dirindex.txt", kOtherTable}},
         {"ERROR: Index page " + at("dirindex.html") + " would overwrite the output of " + at("dirindex.txt")},
         {"a.html", "dirindex.html"}},
        {"a.txt /LOG=a.html",
         {{"a.txt", kTable}},
         {"ERROR: Log file " + at("a.html") + " would overwrite the output of " + at("a.txt")},
         {"a.html"}},
        {"a.txt b.txt /OUTPUT=" + (folder / "one.html").string(),
         {{"a.txt", kTable}, {"b.txt", kOtherTable}},
         {"ERROR: Output file " + at("one.html") + " is written for " + at("a.txt") + ": " + at("b.txt") +
          " not converted"},
         {"one.html"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file()) fs::remove(entry.path());
        for (const auto& [name, content] : c.files) Write(name, content);
        const auto before = Contents(folder);
        EXPECT_EQ(Run(c.arguments + " < /dev/null"), 1) << err;
        for (const std::string& message : c.messages) EXPECT_TRUE(ErrHas(message)) << message << "\n" << err;
        for (const auto& [name, content] : before) EXPECT_EQ(ReadWhole(folder / name), content) << name;
        for (const char* name : c.converted)
            EXPECT_NE(ReadWhole(folder / name).find("<TD>"), std::string::npos) << name;
        EXPECT_TRUE(HiddenFiles(folder).empty());
    }
    // The first of two documents for one path wrote it.
    EXPECT_NE(ReadWhole(folder / "one.html").find("Oslo"), std::string::npos);
}

TEST_F(VendrelTest, AFailedFileDoesNotStopTheRun) {
    Write("a.txt", kTable);
    Write("c.txt", kOtherTable);
    Write("a.html", "<p>mine</p>\n");
    // Missing, refused as its own output, blocked by a folder: each second
    // of three.
    struct Case {
        const char* arguments;
        const char* message;
    };
    fs::create_directory(folder / "blocked.html");
    Write("blocked.txt", kTable);
    const Case cases[] = {
        {"c.txt nothere.txt", "Unable to locate file \"nothere.txt\""},
        {"a.html c.txt", "ERROR: Output file would overwrite the input file"},
        {"c.txt blocked.txt b.txt", "blocked.html\" is a directory: \""},
    };
    Write("b.txt", kOtherTable);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        fs::remove(folder / "c.html");
        fs::remove(folder / "b.html");
        EXPECT_EQ(Run(std::string(c.arguments) + " < /dev/null"), 1) << err;
        EXPECT_TRUE(ErrHas(c.message)) << err;
        EXPECT_TRUE(fs::exists(folder / "c.html")) << err;
        EXPECT_EQ(ReadWhole(folder / "a.html"), "<p>mine</p>\n");
    }
    EXPECT_TRUE(fs::exists(folder / "b.html"));
}

TEST_F(VendrelTest, ASecondRunOverEverythingConvertsAgain) {
    Write("a.txt", kTable);
    Write("b.txt", kOtherTable);
    ASSERT_EQ(Run("'*'"), 0) << err;
    Write("a.html", "stale\n");
    EXPECT_EQ(Run("'*'"), 0) << err;
    EXPECT_TRUE(ErrHas("INFO: \"" + (folder / "a.html").string() + "\" is the output of \"" +
                       (folder / "a.txt").string() + "\", not an input"))
        << err;
    EXPECT_NE(ReadWhole(folder / "a.html").find("Oslo"), std::string::npos);
    EXPECT_EQ(ReadWhole(folder / "a.txt"), kTable);
    // The same file reached twice is converted once.
    EXPECT_EQ(Run("a.txt ./a.txt '*.txt'"), 0) << err;
    EXPECT_EQ(Count(err, "Processing : \"a.txt\""), 1u) << err;
}

TEST_F(VendrelTest, FailuresThatWereOnlyReportedFailTheRun) {
    Write("a.txt", kTable);
    Write("inc.txt", "$_$_INCLUDE nothere.inc\n" + std::string(kTable));
    Write("inc.pol", "Include file: nothere.pol\n");
    fs::create_directory(folder / "d.pol");
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"inc.txt", "ERROR: Failed to open include file \"nothere.inc\""},
        {"a.txt inc.pol", "** Failed to open policy include file nothere.pol"},
        {"a.txt d.pol", "Policy File Error: Can't find policy file \"d.pol\": Is a directory"},
        {"a.txt /INDEX=sub/", "ERROR: Can't open file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(Run(std::string(c.arguments) + " < /dev/null"), 1) << err;
        EXPECT_TRUE(ErrHas(c.message)) << err;
    }
    // Whether messages are shown never changes the status.
    EXPECT_EQ(Run("inc.txt /SILENT < /dev/null"), 1) << err;
    EXPECT_EQ(Run("a.txt /SILENT"), 0) << err;
}

TEST_F(VendrelTest, TheLogAndTheIndexPageGoToTheOutputFolder) {
    Write("a.txt", kTable);
    Write("Morvane.log", "earlier log\n");
    Write("dirindex.html", "earlier index\n");
    fs::create_directory(folder / "out");
    EXPECT_EQ(Run("a.txt /OUTPUT=out/ /LOG /INDEX"), 0) << err;
    EXPECT_EQ(ReadWhole(folder / "Morvane.log"), "earlier log\n");
    EXPECT_EQ(ReadWhole(folder / "dirindex.html"), "earlier index\n");
    EXPECT_NE(ReadWhole(folder / "out" / "Morvane.log").find("a.txt"), std::string::npos);
    EXPECT_NE(ReadWhole(folder / "out" / "dirindex.html").find("<A HREF=\"a.html\">"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "out" / "a.html"));
}

TEST_F(VendrelTest, OutputOntoALinkKeepsTheLink) {
    Write("a.txt", kTable);
    Write("real.html", "earlier\n");
    fs::permissions(folder / "real.html", fs::perms(0640));
    fs::create_symlink("real.html", folder / "link.html");
    EXPECT_EQ(Run("a.txt /OUTPUT=" + (folder / "link.html").string()), 0) << err;
    EXPECT_TRUE(fs::is_symlink(folder / "link.html"));
    EXPECT_NE(ReadWhole(folder / "real.html").find("Oslo"), std::string::npos);
    // The new file has the mode of the one it replaced.
    EXPECT_EQ(fs::status(folder / "real.html").permissions(), fs::perms(0640));
    EXPECT_TRUE(HiddenFiles(folder).empty());
}

// Targets that are links to /dev/full: written in place (a device is never
// replaced), every write failure reported once.
TEST_F(VendrelTest, WriteFailuresOnADeviceAreReported) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    Write("a.txt", kTable);
    struct Case {
        const char* link;
        const char* arguments;
    };
    const Case cases[] = {
        {"a.html", "a.txt"},
        {"a.rtf", "a.txt /RTF"},
        {"run.log", "a.txt /LOG=run.log"},
        {"dirindex.html", "a.txt /INDEX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        fs::create_symlink("/dev/full", folder / c.link);
        EXPECT_EQ(Run(std::string(c.arguments) + " < /dev/null"), 1) << err;
        const std::string message = "ERROR: Can't write file \"" + (folder / c.link).string() + "\": ";
        EXPECT_EQ(Count(err, message + "No space left on device"), 1u) << err;
        EXPECT_EQ(Count(err, "ERROR: "), 1u) << err;
        EXPECT_TRUE(fs::is_symlink(folder / c.link));
        fs::remove(folder / c.link);
    }
}

// A disk that fills up: the temporary file is removed and the earlier
// outputs stay.  Needs a small tmpfs, which only root may mount.
TEST_F(VendrelTest, AFullDiskLeavesTheEarlierOutputs) {
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    const ScopedTmpfs tmpfs(disk, "size=256k");
    if (!tmpfs.Mounted()) GTEST_SKIP() << ScopedTmpfs::kNotMounted;
    Write("a.txt", kTable);
    ASSERT_EQ(Run("a.txt /OUTPUT=disk/ /INDEX"), 0) << err;
    ASSERT_EQ(Run("a.txt /OUTPUT=disk/ /RTF"), 0) << err;
    const auto before = Contents(disk);
    ASSERT_EQ(before.size(), 3u);
    {
        // Everything left is taken.
        std::ofstream filler(disk / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }
    for (const char* arguments : {"a.txt /OUTPUT=disk/ /INDEX", "a.txt /OUTPUT=disk/ /RTF"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(Run(std::string(arguments) + " < /dev/null"), 1) << err;
        EXPECT_GE(Count(err, "ERROR: Can't write file \""), 1u) << err;
        EXPECT_TRUE(ErrHas("No space left on device")) << err;
        for (const auto& [name, content] : before) EXPECT_EQ(ReadWhole(disk / name), content) << name;
        EXPECT_TRUE(HiddenFiles(disk).empty());
    }
}

// Cases that need a user who cannot read or write everything: run as
// "nobody" when the tests run as root.
TEST_F(VendrelTest, FilesTheUserMayNotReadOrWrite) {
    std::string asUser;
    if (::geteuid() == 0) {
        if (std::system("setpriv --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "setpriv is not installed";
        asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        fs::permissions(folder, fs::perms::all);
        fs::permissions(fs::path(testing::TempDir()), fs::perms::others_exec, fs::perm_options::add);
    }
    fs::create_directories(folder / "cfg");
    fs::permissions(folder / "cfg", fs::perms::all);
    fs::create_directory(folder / "in");
    fs::create_directory(folder / "out");
    fs::permissions(folder / "out", fs::perms::all);
    Write("in/a.txt", kTable);
    Write("p.pol", "Document Title: Secret\n");
    Write("a.txt", kTable);
    Write("a.html", "read-only\n");
    fs::permissions(folder / "p.pol", fs::perms::owner_write);
    fs::permissions(folder / "a.html", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder / "in", fs::perms(0555));
    fs::permissions(folder, fs::perms(0777));
    {
        std::ofstream probe(folder / "in" / "probe");
        if (probe && asUser.empty()) GTEST_SKIP() << "this user may write everywhere";
    }
    fs::remove(folder / "in" / "probe");

    // A read-only input folder, a writable output folder.
    EXPECT_EQ(Run("in/a.txt /OUTPUT=out/", asUser), 0) << err;
    EXPECT_TRUE(fs::exists(folder / "out" / "a.html")) << err;
    // An unreadable policy file.
    EXPECT_EQ(Run("in/a.txt /OUTPUT=out/ p.pol < /dev/null", asUser), 1) << err;
    EXPECT_TRUE(ErrHas("Policy File Error: Can't find policy file \"p.pol\": Permission denied")) << err;
    // An existing output the user may not write: refused, unchanged.
    EXPECT_EQ(Run("a.txt < /dev/null", asUser), 1) << err;
    EXPECT_TRUE(ErrHas("ERROR: Can't open file")) << err;
    EXPECT_EQ(ReadWhole(folder / "a.html"), "read-only\n");
    fs::permissions(folder / "in", fs::perms::owner_all);
}

// A settings file the user may not read: one warning naming it and the
// reason, the run converts with the defaults, and the file stays byte for
// byte as it was.
TEST_F(VendrelTest, AnUnreadableSettingsFileIsLeftAsItWas) {
    std::string asUser;
    if (::geteuid() == 0) {
        if (std::system("setpriv --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "setpriv is not installed";
        asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        fs::permissions(fs::path(testing::TempDir()), fs::perms::others_exec, fs::perm_options::add);
    }
    const std::string content = "\\BrowserCommand=/opt/browser\n\\Files\\MRU00=/old/a.txt\n";
    WriteSettings(content);
    for (fs::path at = SettingsFile().parent_path(); at != folder.parent_path(); at = at.parent_path())
        fs::permissions(at, fs::perms::all);
    fs::permissions(SettingsFile(), fs::perms::owner_write);
    {
        std::ifstream probe(SettingsFile());
        if (probe && asUser.empty()) GTEST_SKIP() << "this user may read everything";
    }
    Write("a.txt", kTable);
    EXPECT_EQ(Run("a.txt", asUser), 0) << err;
    EXPECT_TRUE(fs::exists(folder / "a.html"));
    EXPECT_EQ(Count(err, "WARNING: "), 1u) << err;
    EXPECT_TRUE(ErrHas("WARNING: Can't read the program settings in " + SettingsFile().string() +
                       ": Permission denied; the defaults are used and nothing is saved\n"))
        << err;
    fs::permissions(SettingsFile(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadWhole(SettingsFile()), content);
    EXPECT_FALSE(fs::exists(SettingsFile().string() + ".lock"));
}

// ---------------------------------------------------------------------------
// Killed, stopped, out of room: the earlier output stays whole.

// A run killed while its temporary file grows: the output, which has a
// second hard link, is untouched under both names.  The killed run's
// temporary stays (nothing can remove it).
TEST_F(VendrelTest, AKilledRunLeavesBothLinksOfTheOutputWhole) {
    Write("big.txt", BigTable());
    Write("big.html", "OLD\n");
    fs::create_hard_link(folder / "big.html", folder / "keep.html");
    const pid_t pid = Start("big.txt");
    ASSERT_GT(pid, 0);
    const bool growing = SeenGrowing(folder, ".big.html.", pid);
    ::kill(pid, SIGKILL);
    const int status = Wait(pid);
    ASSERT_TRUE(growing) << "the run ended before its temporary file was seen growing\n" << err;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(ReadWhole(folder / "big.html"), "OLD\n");
    EXPECT_EQ(ReadWhole(folder / "keep.html"), "OLD\n");
    EXPECT_EQ(HiddenFiles(folder).size(), 1u);
}

// SIGTERM, SIGINT and SIGHUP remove the temporary file being written and end
// the run as the signal does; the earlier output stays.
TEST_F(VendrelTest, ATerminatedRunLeavesNoTemporaryFile) {
    Write("big.txt", BigTable());
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        Write("big.html", "OLD\n");
        const pid_t pid = Start("big.txt");
        ASSERT_GT(pid, 0);
        const bool growing = SeenGrowing(folder, ".big.html.", pid);
        ::kill(pid, signal);
        const int status = Wait(pid);
        ASSERT_TRUE(growing) << "the run ended before its temporary file was seen growing\n" << err;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(ReadWhole(folder / "big.html"), "OLD\n");
        EXPECT_TRUE(HiddenFiles(folder).empty());
    }
}

// A file system without a free inode takes no temporary file: the earlier
// documents stay as they were and the run fails naming them.  Needs a small
// tmpfs, which only root may mount.
TEST_F(VendrelTest, NoFreeInodeLeavesTheEarlierOutputs) {
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    // The folder itself and the two documents: every inode taken.
    const ScopedTmpfs tmpfs(disk, "nr_inodes=3");
    if (!tmpfs.Mounted()) GTEST_SKIP() << ScopedTmpfs::kNotMounted;
    Write("a.txt", kTable);
    Write("disk/a.html", "earlier page\n");
    Write("disk/dirindex.html", "earlier index\n");
    ASSERT_EQ(ReadWhole(disk / "dirindex.html"), "earlier index\n");
    EXPECT_EQ(Run("a.txt /OUTPUT=disk/ /INDEX < /dev/null"), 1) << err;
    EXPECT_EQ(Count(err, "ERROR: Can't open file \""), 2u) << err;
    EXPECT_TRUE(ErrHas("disk/a.html\"")) << err;
    EXPECT_TRUE(ErrHas("disk/dirindex.html\"")) << err;
    EXPECT_EQ(ReadWhole(disk / "a.html"), "earlier page\n");
    EXPECT_EQ(ReadWhole(disk / "dirindex.html"), "earlier index\n");
    EXPECT_TRUE(HiddenFiles(disk).empty());
}

// The longest names a folder takes are written, new or replacing: the
// temporary file's name is shortened to fit.
TEST_F(VendrelTest, TheLongestNamesAreWritten) {
    for (const size_t length : {size_t{250}, size_t{255}}) {
        SCOPED_TRACE(length);
        const std::string stem(length - 5, 'n');
        Write(stem + ".txt", kTable);
        for (int run = 0; run < 2; ++run) {
            EXPECT_EQ(Run(stem + ".txt < /dev/null"), 0) << err;
            EXPECT_NE(ReadWhole(folder / (stem + ".html")).find("<TD>Oslo</TD>"), std::string::npos);
        }
        EXPECT_TRUE(HiddenFiles(folder).empty());
        fs::remove(folder / (stem + ".txt"));
        fs::remove(folder / (stem + ".html"));
    }
}

// A wildcard takes no hidden file (a killed run's temporary file, say)
// unless the pattern itself begins with a dot.
TEST_F(VendrelTest, AWildcardTakesHiddenFilesOnlyWhenAskedTo) {
    Write("a.txt", kTable);
    Write(".a.html.Xy12Zq", "<p>left by a killed run\n");
    Write(".notes.txt", kTable);
    EXPECT_EQ(Run("'*'"), 0) << err;
    EXPECT_TRUE(fs::exists(folder / "a.html"));
    EXPECT_FALSE(ErrHas(".notes.txt")) << err;
    std::vector<std::string> hidden = HiddenFiles(folder);
    std::sort(hidden.begin(), hidden.end());
    EXPECT_EQ(hidden, (std::vector<std::string>{".a.html.Xy12Zq", ".notes.txt"}));
    fs::remove(folder / ".a.html.Xy12Zq");
    EXPECT_EQ(Run("'.*.txt'"), 0) << err;
    EXPECT_TRUE(fs::exists(folder / ".notes.html"));
}

// A FIFO, a socket or a directory where a document, the log or the index
// page goes is refused at once, naming it; a character device is written.
TEST_F(VendrelTest, OutputsThatAreNotFilesAreRefusedWithoutWaiting) {
    Write("a.txt", kTable);
    struct Case {
        const char* name;
        const char* kind;  // "FIFO", "socket", "directory" or "device" (a link to /dev/null)
        const char* arguments;
        std::string message;
    };
    const auto at = [this](const char* name) { return "\"" + (folder / name).string() + "\""; };
    const Case cases[] = {
        {"a.html", "FIFO", "a.txt",
         "ERROR: Output file " + at("a.html") + " is a FIFO: " + at("a.txt") + " not converted"},
        {"a.html", "socket", "a.txt",
         "ERROR: Output file " + at("a.html") + " is a socket: " + at("a.txt") + " not converted"},
        {"run.log", "FIFO", "a.txt /LOG=run.log", "ERROR: Log file " + at("run.log") + " is a FIFO: not written"},
        {"run.log", "directory", "a.txt /LOG=run.log",
         "ERROR: Log file " + at("run.log") + " is a directory: not written"},
        {"list.html", "FIFO", "a.txt /INDEX=list.html",
         "ERROR: Index page " + at("list.html") + " is a FIFO: not written"},
        {"a.html", "device", "a.txt", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " as " + c.kind);
        const fs::path path = folder / c.name;
        const std::string kind = c.kind;
        fs::remove(folder / "a.html");
        int server = -1;
        if (kind == "FIFO") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else if (kind == "directory") {
            fs::create_directory(path);
        } else if (kind == "device") {
            fs::create_symlink("/dev/null", path);
        } else {
            server = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(path.string().size(), sizeof address.sun_path);
            std::strcpy(address.sun_path, path.c_str());
            ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        }
        // The refusal must not depend on a timeout; this one only stops a
        // hang from stopping the suite.
        EXPECT_EQ(Run(std::string(c.arguments) + " < /dev/null", "timeout 60"), c.message.empty() ? 0 : 1) << err;
        if (!c.message.empty()) {
            EXPECT_TRUE(ErrHas(c.message + "\n")) << err;
        }
        EXPECT_EQ(fs::symlink_status(path).type(), kind == "FIFO"        ? fs::file_type::fifo
                                                   : kind == "directory" ? fs::file_type::directory
                                                   : kind == "device"    ? fs::file_type::symlink
                                                                         : fs::file_type::socket);
        if (server >= 0) ::close(server);
        fs::remove(path);
    }
}

// The settings file: read only when it is a regular file of at most 1 MiB
// (one warning naming it otherwise, the defaults, nothing saved); a
// read-only one is not replaced; a link is followed; a user's lines stay.
TEST_F(VendrelTest, SettingsFilesAreReadAndSavedOnlyAsTheUserKeepsThem) {
    Write("a.txt", kTable);
    const std::string path = SettingsFile().string();
    const std::string notRead = "WARNING: Can't read the program settings in " + path;
    const std::string comments = "# kept by hand\n\\AddURLPrefix=No\nsee the README\n";
    struct Case {
        const char* kind;
        std::string warning;  // the one warning, empty for none
    };
    const Case cases[] = {
        {"FIFO", notRead + ": Not a regular file; the defaults are used and nothing is saved"},
        {"zero", notRead + ": Not a regular file; the defaults are used and nothing is saved"},
        {"large", notRead + ": File too large; the defaults are used and nothing is saved"},
        {"read-only", "WARNING: Can't save the program settings in " + path + ": the file is read-only"},
        {"link", ""},
        {"comments", ""},
    };
    const std::string large = "\\AddURLPrefix=No\n" + std::string(size_t{1} << 20, '#') + "\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        fs::remove_all(SettingsFile().parent_path());
        fs::create_directories(SettingsFile().parent_path());
        const std::string kind = c.kind;
        if (kind == "FIFO") {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else if (kind == "zero") {
            fs::create_symlink("/dev/zero", path);
        } else if (kind == "large") {
            WriteSettings(large);
        } else if (kind == "link") {
            Write("my-settings", comments);
            fs::create_symlink(folder / "my-settings", path);
        } else {
            WriteSettings(comments);
            if (kind == "read-only") fs::permissions(path, fs::perms(0444));
        }
        EXPECT_EQ(Run("a.txt < /dev/null", "timeout 60"), 0) << err;
        EXPECT_NE(ReadWhole(folder / "a.html").find("Oslo"), std::string::npos);
        EXPECT_EQ(Count(err, "WARNING: "), c.warning.empty() ? 0u : 1u) << err;
        if (!c.warning.empty()) {
            EXPECT_TRUE(ErrHas(c.warning + "\n")) << err;
        }
        // Read only where it is a file: the test must not block either.
        const bool file = kind != "FIFO" && kind != "zero";
        const std::string saved = file ? ReadWhole(kind == "link" ? folder / "my-settings" : SettingsFile()) : "";
        if (kind == "FIFO") {
            EXPECT_EQ(fs::status(path).type(), fs::file_type::fifo);
        } else if (kind == "zero") {
            EXPECT_TRUE(fs::is_symlink(path));
        } else if (kind == "large") {
            EXPECT_EQ(saved, large);
        } else if (kind == "read-only") {
            EXPECT_EQ(saved, comments);
            EXPECT_EQ(fs::status(path).permissions(), fs::perms(0444));
        } else {
            // The run's files history is saved, every line of the user's
            // stays where it stood.
            EXPECT_EQ(saved.rfind(comments, 0), 0u) << saved;
            EXPECT_NE(saved.find("\\Files\\MRU00=" + (folder / "a.txt").string() + "\n"), std::string::npos);
            EXPECT_EQ(fs::is_symlink(path), kind == "link");
        }
        for (const auto& entry : fs::directory_iterator(SettingsFile().parent_path()))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

}  // namespace
