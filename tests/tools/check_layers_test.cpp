// tools/check_layers.py: the layer rule read from ARCHITECTURE.md holds on the
// source tree, and the check refuses a tree that breaks it.  Small fake trees
// (an ARCHITECTURE.md and a few sources) are built in a temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"
#include "support/tool_script.h"

namespace fs = std::filesystem;

namespace {

ScriptResult RunCheck(const fs::path& root, const fs::path& scratch) {
    return RunToolScript("check_layers.py", {root.string()}, scratch);
}

// The layers of the fake trees: a sub-folder layer (output/markup) between
// its parent and the ground floors, as in the real table, and the dialog
// layer with the front end above it.
constexpr const char* kLayerTable =
    "# Layers\n\n"
    "| Folder | May include |\n"
    "|---|---|\n"
    "| platform | — |\n"
    "| foundation | platform |\n"
    "| output/markup | platform, foundation |\n"
    "| output | platform, foundation, output/markup |\n"
    "| ui | platform, foundation |\n"
    "| gui | platform, foundation, ui |\n\n";

constexpr const char* kExceptionHead =
    "| File | Includes | Reason |\n"
    "|---|---|---|\n";

struct LayerCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files;  // path under src/, content
    const char* exceptions;  // rows of the exception table
    int status;
    const char* said;  // a text the check prints
};

const LayerCase kCases[] = {
    {"DownwardIncludesPass",
     {{"platform/p.h", "#pragma once\n"},
      {"foundation/a.h", "#include \"platform/p.h\"\n"},
      {"output/markup/m.h", "#include \"foundation/a.h\"\n"},
      {"output/w.cpp", "#include \"output/markup/m.h\"\n#include \"w.h\"\n#include <vector>\n"},
      {"output/w.h", "#pragma once\n"}},
     "",
     0,
     "every include keeps the layer rule"},
    {"UpwardIncludeFails",
     {{"platform/p.cpp", "#include <string>\n\n#include \"foundation/a.h\"\n"},
      {"foundation/a.h", "#pragma once\n"}},
     "",
     1,
     "src/platform/p.cpp:3: platform/ may not include \"foundation/a.h\" (foundation/)"},
    {"SubFolderLayerMayNotIncludeItsParent",
     {{"output/markup/m.h", "#include \"output/w.h\"\n"}, {"output/w.h", "#pragma once\n"}},
     "",
     1,
     "output/markup/ may not include \"output/w.h\" (output/)"},
    {"IncludeBesideTheFileIsFoundThere",
     {{"output/markup/m.cpp", "#include \"../w.h\"\n"}, {"output/w.h", "#pragma once\n"}},
     "",
     1,
     "src/output/markup/m.cpp:1: output/markup/ may not include \"../w.h\" (output/)"},
    {"ListedHeaderExceptionPasses",
     {{"platform/p.cpp", "#include \"foundation/a.h\"\n"}, {"foundation/a.h", "#pragma once\n"}},
     "| platform/p.cpp | foundation/a.h | a reason |\n",
     0,
     "every include keeps the layer rule"},
    {"ListedFolderExceptionCoversItsSubFolders",
     {{"foundation/a.cpp", "#include \"output/markup/m.h\"\n"}, {"output/markup/m.h", "#pragma once\n"}},
     "| foundation/a.cpp | output/ | a reason |\n",
     0,
     "every include keeps the layer rule"},
    {"ExceptionOfAnotherFileDoesNotCover",
     {{"platform/p.cpp", "#include \"foundation/a.h\"\n"},
      {"platform/q.cpp", "#include \"foundation/a.h\"\n"},
      {"foundation/a.h", "#pragma once\n"}},
     "| platform/p.cpp | foundation/a.h | a reason |\n",
     1,
     "src/platform/q.cpp:1: platform/ may not include"},
    {"UnneededExceptionIsNamed",
     {{"platform/p.cpp", "#include <string>\n"}, {"foundation/a.h", "#pragma once\n"}},
     "| platform/p.cpp | foundation/a.h | a reason |\n",
     0,
     "the exception for src/platform/p.cpp including foundation/a.h is no longer needed"},
    {"ToolkitHeaderInTheDialogLayerFails",
     {{"ui/d.cpp", "#include <vector>\n#include <wx/wx.h>\n"}},
     "",
     1,
     "src/ui/d.cpp:2: \"wx/wx.h\" is a GUI toolkit's header; only src/gui/ may include one"},
    {"ToolkitHeadersAreKnownByFolderAndByName",
     {{"ui/a.cpp", "#include <QWidget>\n"},
      {"ui/b.cpp", "#include \"Windows.h\"\n"},
      {"foundation/c.cpp", "#include <X11/Xlib.h>\n"},
      {"platform/d.cpp", "#include <afxwin.h>\n"}},
     "",
     1,
     "check_layers: 4 include(s) or call(s) break the layer rule"},
    {"ToolkitHeadersInTheFrontEndPass",
     {{"ui/d.h", "#pragma once\n#include <string>\n"},
      {"gui/w.cpp",
       "#include <wx/wx.h>\n#include <QWidget>\n#include <gtk/gtk.h>\n#include \"windows.h\"\n"
       "#include \"ui/d.h\"\n"}},
     "",
     0,
     "every include keeps the layer rule"},
    {"SystemHeaderOutsidePlatformFails",
     {{"foundation/a.cpp", "#include <vector>\n#include <sys/stat.h>\n"}},
     "",
     1,
     "src/foundation/a.cpp:2: <sys/stat.h> reaches the operating system; only src/platform/ and src/gui/ include "
     "it"},
    {"SystemCallOutsidePlatformFails",
     {{"output/w.cpp",
       "// getenv(\"HOME\") in a comment\nconst char* Home() {\n    return std::getenv(\"HOME\");\n}\n"}},
     "",
     1,
     "src/output/w.cpp:3: getenv is a call of the operating system; only src/platform/ and src/gui/ make one"},
    {"EverySystemHeaderAndCallIsKnown",
     {{"ui/a.cpp", "#include <filesystem>\n#include \"unistd.h\"\n#include <fcntl.h>\n#include <dirent.h>\n"},
      {"ui/b.cpp", "#include <dlfcn.h>\nvoid F() {\n    setenv(\"A\", \"1\", 1);\n    std::system(\"ls\");\n}\n"},
      {"output/c.cpp",
       "void G() {\n    FILE* p = ::popen(\"ls\", \"r\");\n    auto t = std::time(nullptr);\n    "
       "localtime(&t);\n}\n"}},
     "",
     1,
     "check_layers: 10 include(s) or call(s) break the layer rule"},
    {"SystemInterfacesInPlatformAndGuiPass",
     {{"platform/p.cpp",
       "#include <unistd.h>\n#include <sys/stat.h>\nconst char* H() { return std::getenv(\"HOME\"); }\n"},
      {"gui/w.cpp", "#include <dlfcn.h>\nvoid F() { ::popen(\"x\", \"r\"); }\n"}},
     "",
     0,
     "every include keeps the layer rule"},
    {"NamesThatOnlyLookLikeSystemCallsPass",
     {{"foundation/a.cpp",
       "void F(Clock& clock, Clock* value) {\n    clock.time();\n    RunTime(1);\n    value->time(2);\n"
       "    const char* text = \"getenv(x)\";\n    /* system(\"ls\") */\n}\nint Clock::time() { return 0; }\n"}},
     "",
     0,
     "every include keeps the layer rule"},
    {"FileOutsideEveryLayerFails",
     {{"platform/p.h", "#pragma once\n"}, {"extra/x.cpp", "#include \"platform/p.h\"\n"}},
     "",
     2,
     "src/extra/x.cpp: lies in no folder of the layer table"},
};

class CheckLayersTest : public testing::TestWithParam<LayerCase> {};

TEST_P(CheckLayersTest, JudgesTheFakeTree) {
    const LayerCase& c = GetParam();
    TempFolder root("vendrel_layers");
    ASSERT_TRUE(root.Made());
    ASSERT_TRUE(WriteWhole(root / "ARCHITECTURE.md", std::string(kLayerTable) + kExceptionHead + c.exceptions));
    for (const auto& [path, content] : c.files) {
        fs::create_directories((root / "src" / path).parent_path());
        ASSERT_TRUE(WriteWhole(root / "src" / path, content));
    }
    TempFolder scratch("vendrel_layers_out");
    const ScriptResult result = RunCheck(root.Path(), scratch.Path());
    EXPECT_EQ(result.status, c.status) << result.output;
    EXPECT_NE(result.output.find(c.said), std::string::npos) << result.output;
}

INSTANTIATE_TEST_SUITE_P(FakeTrees, CheckLayersTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LayerCase>& info) { return std::string(info.param.name); });

TEST(CheckLayers, DocumentWithoutItsTablesIsRefused) {
    TempFolder root("vendrel_layers");
    ASSERT_TRUE(root.Made());
    fs::create_directories(root / "src" / "platform");
    ASSERT_TRUE(WriteWhole(root / "ARCHITECTURE.md", kLayerTable));
    TempFolder scratch("vendrel_layers_out");
    const ScriptResult result = RunCheck(root.Path(), scratch.Path());
    EXPECT_EQ(result.status, 2) << result.output;
    EXPECT_NE(result.output.find("File | Includes | Reason"), std::string::npos) << result.output;
}

TEST(CheckLayers, TheSourceTreeKeepsTheRule) {
    TempFolder scratch("vendrel_layers_out");
    const ScriptResult result = RunCheck(VENDREL_SOURCE_DIR, scratch.Path());
    EXPECT_EQ(result.status, 0) << result.output;
}

}  // namespace
