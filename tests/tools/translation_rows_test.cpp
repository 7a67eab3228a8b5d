// cmake/translation_rows.cmake: a translation file becomes C++ rows, and a
// line that breaks the format stops the build with the file and line named.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct ScriptResult {
    int status = -1;  // the exit status, -1 when cmake did not exit
    std::string output;  // what cmake printed
    std::string source;  // the generated C++ source
};

ScriptResult RunScript(const fs::path& input, const fs::path& scratch) {
    const fs::path generated = scratch / "rows.cpp";
    const fs::path printed = scratch / "cmake.out";
    fs::remove(generated);
    const std::string command =
        "'" VENDREL_CMAKE "' -DINPUT='" + input.string() + "' -DOUTPUT='" + generated.string() +
        "' -DFUNCTION=GermanMessageRows -DHEADER=texts/message_tables.h -P '" VENDREL_SOURCE_DIR
        "/cmake/translation_rows.cmake' > '" +
        printed.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWhole(printed),
            fs::exists(generated) ? ReadWhole(generated) : std::string()};
}

TEST(TranslationRowsScript, GoodFileBecomesRows) {
    TempFolder temp{"translation_rows"};
    ASSERT_TRUE(temp.Made());
    const struct {
        const char* name;
        const char* content;
        const char* row;  // a row the source must hold
    } cases[] = {
        {"escapes", "# a note\n\n3\tZwei\\nZeilen\\r und \\\\ und\\t\n",
         "{3, \"Zwei\\nZeilen\\r und \\\\ und\\t\"},"},
        {"quotes", "30\tKeine Dateien gefunden \"xxxxxx\"\n", "{30, \"Keine Dateien gefunden \\\"xxxxxx\\\"\"},"},
        {"windows_line_ends", "65\tLinks\r\n66\tRechts\r\n", "{66, \"Rechts\"},"},
        {"no_last_line_end", "53\tFertig", "{53, \"Fertig\"},"},
        {"semicolons_and_brackets", "94\t[a];*.txt;*.asc|${x}|\n", "{94, \"[a];*.txt;*.asc|${x}|\"},"},
        {"only_comments", "# nothing yet\n", "return {};"},
    };
    for (const auto& c : cases) {
        const fs::path input = temp / (std::string(c.name) + ".txt");
        ASSERT_TRUE(WriteWhole(input, c.content));
        const ScriptResult result = RunScript(input, temp.Path());
        EXPECT_EQ(result.status, 0) << c.name << "\n" << result.output;
        EXPECT_NE(result.source.find(c.row), std::string::npos) << c.name << "\n" << result.source;
        EXPECT_NE(result.source.find("std::span<const TextRow> GermanMessageRows()"), std::string::npos) << c.name;
    }
    // A language without a file has no rows of its own.
    const ScriptResult missing = RunScript(temp / "absent.txt", temp.Path());
    EXPECT_EQ(missing.status, 0) << missing.output;
    EXPECT_NE(missing.source.find("return {};"), std::string::npos) << missing.source;
}

TEST(TranslationRowsScript, BadLineStopsWithFileAndLine) {
    TempFolder temp{"translation_rows"};
    ASSERT_TRUE(temp.Made());
    const struct {
        const char* name;
        const char* content;
        int line;
        const char* said;
    } cases[] = {
        {"twice", "3\tEins\n3\tNoch einmal\n", 2, "appears twice"},
        {"descending", "3\tEins\n\n2\tDavor\n", 3, "numbers must ascend"},
        {"no_tab", "# note\n3 Eins\n", 2, "one TAB"},
        {"not_a_number", "3\tEins\nx7\tText\n", 2, "one TAB"},
        {"leading_zero", "03\tEins\n", 1, "one TAB"},
        {"bad_escape", "3\tEins\n4\tFalsch \\q\n", 2, "backslash"},
        {"lone_backslash", "4\tEnde \\\n", 1, "backslash"},
        {"raw_carriage_return", "4\tEins\rZwei\n", 1, "carriage return"},
        {"huge_number", "1234567890\tZu gross\n", 1, "too large"},
    };
    for (const auto& c : cases) {
        const fs::path input = temp / (std::string(c.name) + ".txt");
        ASSERT_TRUE(WriteWhole(input, c.content));
        const ScriptResult result = RunScript(input, temp.Path());
        EXPECT_NE(result.status, 0) << c.name;
        const std::string where = input.string() + ":" + std::to_string(c.line) + ":";
        EXPECT_NE(result.output.find(where), std::string::npos) << c.name << "\n" << result.output;
        EXPECT_NE(result.output.find(c.said), std::string::npos) << c.name << "\n" << result.output;
        EXPECT_EQ(result.source, "") << c.name;
    }
}

}  // namespace
