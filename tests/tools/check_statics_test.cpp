// tools/check_statics.py: no function of src/tables/ or src/output/ keeps
// state in a static, on the source tree; and the check refuses a fake tree
// whose function does, wherever the function stands, while constants,
// class members and statics outside the checked folders pass.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"
#include "support/tool_script.h"

namespace fs = std::filesystem;

namespace {

struct StaticsCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files;  // path under src/, content
    int status;
    const char* said;  // a text the check prints
};

const StaticsCase kCases[] = {
    {"ConstantsPass",
     {{"tables/a.cpp",
       "#include <string>\n"
       "int Count() {\n"
       "    static const int kLimit = 4;\n"
       "    static constexpr char kName[] = \"x\";\n"
       "    static const char* const kWords[] = {\"a\", \"b\"};\n"
       "    static const std::string kText = std::string(\"a\") + \"b\";\n"
       "    static const std::vector<int>& kTable = Table();\n"
       "    return kLimit + static_cast<int>(kText.size());\n"
       "}\n"},
      {"output/b.h",
       "#pragma once\n"
       "class Writer {\n"
       "public:\n"
       "    static int made;\n"
       "    static int Made() { return made; }\n"
       "};\n"
       "static int fileCount = 0;\n"}},
     0,
     "every function-level static in src/tables/, src/output/ is a constant"},
    {"ScratchTextFails",
     {{"tables/a.cpp",
       "void Cut(TextString& text) {\n    if (text.IsEmpty()) return;\n    static TextString out;\n}\n"}},
     1,
     "src/tables/a.cpp:3: a function keeps state in \"static TextString out\""},
    {"PointerToConstIsNoConstant",
     {{"output/a.cpp",
       "const char* Last(const char* now) {\n    static const char* last = nullptr;\n    return last;\n}\n"}},
     1,
     "src/output/a.cpp:2: a function keeps state in \"static const char * last\""},
    {"ConstInsideTemplateArgumentsIsNoConstant",
     {{"output/a.cpp", "void List() {\n    static std::vector<const char*> seen;\n}\n"}},
     1,
     "a function keeps state in \"static std::vector < const char * > seen\""},
    {"MemberFunctionBodiesAndLambdasAreFunctions",
     {{"output/a.h",
       "#pragma once\n"
       "struct Cache {\n"
       "    int Get() {\n"
       "        static std::vector<int> values;\n"
       "        return 0;\n"
       "    }\n"
       "};\n"
       "inline const auto kCounter = [] {\n"
       "    static int calls = 0;\n"
       "    return ++calls;\n"
       "};\n"
       "namespace engine {\n"
       "Table::Table() : rows{1}, columns(2) {\n"
       "    static Buffer buffer;\n"
       "}\n"
       "}  // namespace engine\n"}},
     1,
     "check_statics: 3 function-level static(s)"},
    {"CommentsAndTextsAreNoCode",
     {{"tables/a.cpp",
       "void Say() {\n"
       "    // static TextString out;\n"
       "    /* static int calls; */\n"
       "    Write(\"static int calls;\");\n"
       "    Write(R\"(static int raw;)\");\n"
       "}\n"}},
     0,
     "is a constant"},
    {"OtherFoldersAreNotChecked",
     {{"tables/a.cpp", "int F() { return 1; }\n"},
      {"output/b.cpp", "int G() { return 2; }\n"},
      {"analysis/c.cpp", "void H() {\n    static TextString scratch;\n}\n"}},
     0,
     "is a constant"},
};

class CheckStaticsTest : public testing::TestWithParam<StaticsCase> {};

TEST_P(CheckStaticsTest, JudgesTheFakeTree) {
    const StaticsCase& c = GetParam();
    TempFolder root("vendrel_statics");
    ASSERT_TRUE(root.Made());
    fs::create_directories(root / "src" / "tables");
    fs::create_directories(root / "src" / "output");
    for (const auto& [path, content] : c.files) {
        fs::create_directories((root / "src" / path).parent_path());
        ASSERT_TRUE(WriteWhole(root / "src" / path, content));
    }
    TempFolder scratch("vendrel_statics_out");
    const ScriptResult result = RunToolScript("check_statics.py", {root.Path().string()}, scratch.Path());
    EXPECT_EQ(result.status, c.status) << result.output;
    EXPECT_NE(result.output.find(c.said), std::string::npos) << result.output;
}

INSTANTIATE_TEST_SUITE_P(FakeTrees, CheckStaticsTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<StaticsCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(CheckStatics, AMissingFolderIsRefused) {
    TempFolder root("vendrel_statics");
    ASSERT_TRUE(root.Made());
    fs::create_directories(root / "src" / "tables");
    TempFolder scratch("vendrel_statics_out");
    const ScriptResult result = RunToolScript("check_statics.py", {root.Path().string()}, scratch.Path());
    EXPECT_EQ(result.status, 2) << result.output;
    EXPECT_NE(result.output.find("src/output is no folder"), std::string::npos) << result.output;
}

TEST(CheckStatics, TheSourceTreeKeepsTheRule) {
    TempFolder scratch("vendrel_statics_out");
    const ScriptResult result = RunToolScript("check_statics.py", {VENDREL_SOURCE_DIR}, scratch.Path());
    EXPECT_EQ(result.status, 0) << result.output;
}

}  // namespace
