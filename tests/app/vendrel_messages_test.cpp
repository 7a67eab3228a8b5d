// What the real program says when it refuses a value or cannot open a file:
// a directive's number outside its range is reported with the range and
// the value in force stays; every message about a file that could not be
// opened ends with the reason (the system's words, an include loop, the
// depth limit); a long line is quoted once, cut.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const char* const kTable = "Name    Value\nAlpha   one\nBeta    two\nGamma   three\n";

class MessagesTest : public testing::Test {
protected:
    TempFolder temp{"vendrel_messages"};
    fs::path folder = temp.Path();

    void SetUp() override { ASSERT_TRUE(temp.Made()); }
    void Write(const std::string& name, const std::string& content) const {
        ASSERT_TRUE(WriteWhole(folder / name, content));
    }
    ProgramRun Run(const std::string& arguments, const std::string& prefix = "") const {
        return RunVendrel(folder, arguments, prefix);
    }
};

// Each table directive's number outside the range of what it sets gives the
// range message of a policy line and leaves the value set before it.
TEST_F(MessagesTest, DirectiveNumbersOutsideTheirRangeAreReportedAndChangeNothing) {
    const struct {
        const char* before;  // a value in force, given first
        const char* directive;
        const char* message;
        const char* kept;  // in the TABLE tag
    } cases[] = {
        {"$_$_TABLE_BORDER 3", "$_$_TABLE_BORDER 2147483647",
         "POLICY: Ignored - Value 2147483647 is outside allowed range (-1:1000)", " BORDER=3 "},
        {"$_$_TABLE_BORDER 3", "$_$_TABLE_BORDER 4294967296",
         "POLICY: Ignored - Value 4294967296 is outside allowed range (-1:1000)", " BORDER=3 "},
        {"$_$_TABLE_CELLPADDING 6", "$_$_TABLE_CELLPADDING 5000",
         "POLICY: Ignored - Value 5000 is outside allowed range (-1:1000)", " CELLPADDING=6"},
        {"$_$_TABLE_CELLSPACING 1", "$_$_TABLE_CELLSPACING -2",
         "POLICY: Ignored - Value -2 is outside allowed range (-1:1000)", " CELLSPACING=1 "},
        {"$_$_TABLE_WIDTH 60%", "$_$_TABLE_WIDTH 200%",
         "POLICY: Ignored - Value 200 is outside allowed range (0:100)", " WIDTH=\"60%\" "},
        {"$_$_TABLE_WIDTH 640", "$_$_TABLE_WIDTH 100001",
         "POLICY: Ignored - Value 100001 is outside allowed range (0:100000)", " WIDTH=\"640\" "},
        {"$_$_TABLE_HEADER_ROWS 1", "$_$_TABLE_HEADER_ROWS 100001",
         "POLICY: Ignored - Value 100001 is outside allowed range (-1:100000)", "<TH"},
        {"$_$_TABLE_MIN_COLUMN_SEPARATION 2", "$_$_TABLE_MIN_COLUMN_SEPARATION 1001",
         "POLICY: Ignored - Value 1001 is outside allowed range (-1:1000)", "<TD>Alpha</TD>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directive);
        Write("t.txt", std::string(c.before) + "\n" + c.directive + "\n" + kTable);
        const ProgramRun run = Run("t.txt");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.ErrHas(c.message + std::string("\n"))) << run.err;
        const std::string page = ReadWhole(folder / "t.html");
        const std::string table = page.substr(page.find("<TABLE"));
        EXPECT_NE(table.find(c.kept), std::string::npos) << table;
    }
}

// A file that cannot be opened is reported with the system's reason.
TEST_F(MessagesTest, FilesThatCannotBeOpenedAreReportedWithTheReason) {
    Write("a.txt", kTable);
    Write("b.txt", kTable);
    fs::create_directory(folder / "a.html");
    fs::create_directory(folder / "sub");
    fs::create_symlink("loop2.txt", folder / "loop1.txt");
    fs::create_symlink("loop1.txt", folder / "loop2.txt");
    const std::string longName(300, 'n');
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"a.txt", "ERROR: Output file \"" + (folder / "a.html").string() + "\" is a directory: \"" +
                      (folder / "a.txt").string() + "\" not converted"},
        {"a.txt /RTF /OUTPUT=" + longName + ".rtf",
         "ERROR: Can't open file \"" + (folder / longName).string() + ".rtf\": File name too long"},
        {"b.txt /INDEX=sub", "ERROR: Index page \"" + (folder / "sub").string() + "\" is a directory: not written"},
        {"loop1.txt", "Unable to locate file \"loop1.txt\": Too many levels of symbolic links"},
        {"nothere.txt", "Unable to locate file \"nothere.txt\": No such file or directory"},
        {"'none*.txt'", "Unable to locate file \"none*.txt\": No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ProgramRun run = Run(c.arguments);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(run.ErrHas(c.message + "\n")) << run.err;
    }
    // A folder named as the log is refused before anything is written.
    const ProgramRun run = Run("b.txt /LOG=sub");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.ErrHas("ERROR: Log file \"" + (folder / "sub").string() + "\" is a directory: not written\n"))
        << run.err;
}

// An include that would read a file already being read, or nest deeper than
// the limit, says which; a loop of symbolic links gives the system's words.
TEST_F(MessagesTest, IncludeLoopsAndTheDepthLimitSayWhich) {
    Write("a.txt", kTable);
    Write("loop.pol", "include file : back.pol\n");
    Write("back.pol", "include file : loop.pol\n");
    for (int i = 1; i <= 40; ++i)
        Write("deep" + std::to_string(i) + ".pol", "include file : deep" + std::to_string(i + 1) + ".pol\n");
    Write("deep41.pol", "Page Width : 70\n");
    fs::create_symlink("link2.pol", folder / "link1.pol");
    fs::create_symlink("link1.pol", folder / "link2.pol");
    Write("links.pol", "include file : link1.pol\n");
    Write("self.txt", "$_$_INCLUDE self.txt\n" + std::string(kTable));
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"a.txt loop.pol",
         "** Failed to open policy include file loop.pol ***: an include loop: the file is being read already"},
        {"a.txt deep1.pol",
         "** Failed to open policy include file deep33.pol ***: the include depth limit of 32 files is reached"},
        {"a.txt links.pol",
         "** Failed to open policy include file link1.pol ***: Too many levels of symbolic links"},
        {"self.txt",
         "ERROR: Failed to open include file \"self.txt\": an include loop: the file is being read already"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ProgramRun run = Run(c.arguments);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(run.ErrHas(std::string(c.message) + "\n")) << run.err;
    }
}

// Files the user may not read or write: the system's "Permission denied".
TEST_F(MessagesTest, FilesTheUserMayNotOpenSaySo) {
    std::string asUser;
    if (!AsUserWhoMayNotDoEverything(&asUser)) GTEST_SKIP() << "setpriv is not installed";
    fs::permissions(fs::path(testing::TempDir()), fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(folder, fs::perms::all);
    Write("a.txt", kTable);
    Write("a.html", "read-only\n");
    fs::permissions(folder / "a.html", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Write("secret.pol", "Page Width : 70\n");
    fs::permissions(folder / "secret.pol", fs::perms::owner_write);
    Write("main.pol", "include file : secret.pol\n");
    if (asUser.empty() && ::access((folder / "a.html").c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user may write all";

    ProgramRun run = Run("a.txt", asUser);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.ErrHas("ERROR: Can't open file \"" + (folder / "a.html").string() + "\": Permission denied\n"))
        << run.err;
    EXPECT_EQ(ReadWhole(folder / "a.html"), "read-only\n");

    fs::remove(folder / "a.html");
    run = Run("a.txt main.pol", asUser);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.ErrHas("** Failed to open policy include file secret.pol ***: Permission denied\n")) << run.err;
}

// A policy line of megabytes without a line end is quoted once, cut to its
// first 200 characters; so is a refused directive value.
TEST_F(MessagesTest, ALongLineIsQuotedOnceAndCut) {
    const std::string line = "Page Width " + std::string(4 * 1024 * 1024, 'x');
    Write("a.txt", "$_$_TABLE_WIDTH " + std::string(1024 * 1024, 'w') + "\n" + kTable);
    Write("long.pol", line);
    const ProgramRun run = Run("a.txt long.pol");
    EXPECT_EQ(run.status, 0) << run.err.substr(0, 2000);
    EXPECT_LT(run.err.size(), 4000u) << run.err.substr(0, 4000);
    const std::string quoted = "POLICY: Ignored - Missing colon in \"" + line.substr(0, 200) + "...\"\n";
    EXPECT_NE(run.err.find(quoted), std::string::npos) << run.err.substr(0, 2000);
    EXPECT_EQ(run.err.find(line.substr(0, 200)), run.err.rfind(line.substr(0, 200))) << run.err.substr(0, 2000);
    EXPECT_TRUE(run.ErrHas("TAG ERROR: Invalid value - \"" + std::string(200, 'w') + "...\n")) << run.err;
}

// Each line of a policy file is quoted in one message at most, however many
// reasons there are to refuse it.
TEST_F(MessagesTest, EachPolicyLineIsQuotedOnce) {
    Write("a.txt", kTable);
    Write("p.pol", "Page Width seventy\n[Unknown section]\nNo such policy : 3\n");
    const ProgramRun run = Run("a.txt p.pol");
    for (const char* line : {"Page Width seventy", "[Unknown section]", "No such policy : 3"}) {
        SCOPED_TRACE(line);
        const size_t first = run.err.find(line);
        ASSERT_NE(first, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(line, first + 1), std::string::npos) << run.err;
    }
    EXPECT_TRUE(run.ErrHas("POLICY: Ignored - Missing colon in \"Page Width seventy\"\n")) << run.err;
    EXPECT_TRUE(run.ErrHas("POLICY: Ignored - \\[Unknown section]\\\n")) << run.err;
    EXPECT_TRUE(run.ErrHas("POLICY: Ignored - \\No such policy : 3\\\n")) << run.err;
}

// An entity that no policy restricts draws no warning; the warnings come
// with the restricting policy, or with the HTML 3.2 page, which knows no
// HTML 4.0 entities.
TEST_F(MessagesTest, EntitiesWarnOnlyWhereAPolicyRestrictsThem) {
    Write("a.txt", std::string(kTable) + "Delta   [[ENTITY 8212]] [[ENTITY 945]] [[ENTITY 150]]\n");
    const std::string warning = "\" is not supported by all target browsers";
    const struct {
        const char* policies;
        std::vector<const char*> warned;
    } cases[] = {
        {"", {}},
        {"Use of HTML 4.0 entities code : 2\n", {"945"}},
        {"Use of Microsoft entities code : 0\n", {"150"}},
        {"HTML version to be targeted : HTML 3.2\n", {"8212", "945"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.policies);
        Write("p.pol", c.policies);
        const ProgramRun run = Run("a.txt p.pol");
        EXPECT_EQ(run.status, 0) << run.err;
        for (const char* code : {"8212", "945", "150"}) {
            const bool warned = std::find(c.warned.begin(), c.warned.end(), std::string(code)) != c.warned.end();
            EXPECT_EQ(run.ErrHas("WARNING: Entity \"&#" + std::string(code) + ";" + warning), warned) << code << "\n"
                                                                                                      << run.err;
        }
    }
}

// A blank right after "=" leaves the qualifier without its value, and says
// so; the output keeps its own name.
TEST_F(MessagesTest, ABlankAfterEqualsIsAMissingValue) {
    Write("a.txt", kTable);
    const ProgramRun run = Run("a.txt '/OUTPUT= x'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.ErrHas("Missing value after \"=\" for qualifier /OUTPUT")) << run.err;
    EXPECT_TRUE(fs::exists(folder / "a.html"));
    EXPECT_FALSE(fs::exists(folder / " x.html"));
}

// Every INFO message passes the message filter: the note that the results
// are not shown without a desktop is hidden with the other INFO messages.
TEST_F(MessagesTest, InfoMessagesAreHiddenWhenAsked) {
    Write("a.txt", kTable);
    const std::string note = "INFO: No desktop display";
    ProgramRun run = Run("a.txt");
    EXPECT_TRUE(run.ErrHas(note) || run.out.find(note) != std::string::npos) << run.err;
    Write("p.pol", "Suppress INFO messages : Yes\n");
    run = Run("a.txt p.pol");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(run.ErrHas(note)) << run.err;
    EXPECT_EQ(run.out.find(note), std::string::npos) << run.out;
}

}  // namespace
