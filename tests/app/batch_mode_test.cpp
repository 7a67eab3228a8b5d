#include "app/batch_mode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/base_dialog.h"
#include "app/conversion_run.h"
#include "app/ui_services.h"
#include "context/context.h"
#include "ui/scripted_services.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class BatchModeTest : public testing::Test {
protected:
    TempFolder temp{"batch_mode"};
    fs::path folder = temp.Path();
    std::string directory;  // with its trailing "/"
    ScriptedUiServices services;
    std::unique_ptr<MainDialog> dialog;

    void SetUp() override {
        ASSERT_TRUE(temp.Made());
        directory = folder.string() + "/";
        TheConsoleStatus().consoleEcho = false;
        dialog = std::make_unique<MainDialog>(services, (folder / "settings").string());
        dialog->settings.viewResults = false;
    }
    void TearDown() override {
        dialog.reset();
        TheConsoleStatus().consoleEcho = true;
    }
    void Write(const std::string& name) { std::ofstream(folder / name) << "Name  Age\nAnn   31\n"; }

    // Parses the words as the program's arguments.
    bool Parse(std::vector<std::string> words) {
        std::vector<char*> argv{const_cast<char*>("vendrel")};
        for (std::string& word : words) argv.push_back(word.data());
        ConverterCommandLineInfo info(*dialog);
        info.ParseArguments(static_cast<int>(argv.size()), argv.data());
        return info.fileWordSeen;
    }
};

TEST_F(BatchModeTest, WordsAreSorted) {
    Write("a.txt");
    Write("b.txt");
    EXPECT_TRUE(Parse({directory + "a.txt", "-rtf", "/TABBED", "P2.POL", directory + "b.txt", "@list"}));
    EXPECT_EQ(dialog->runPolicyFileName.str(), "P2.POL");
    EXPECT_EQ(dialog->GetInputDirectory().str(), directory);
    EXPECT_EQ(dialog->GetOutputDirectory().str(), directory);
    EXPECT_EQ(dialog->GetInputFileSpec().str(), "\"/a.txt\" \"/b.txt\"");
    ASSERT_EQ(dialog->commandLineSpecs.size(), 2u);
    EXPECT_EQ(dialog->commandLineSpecs[1].str(), directory + "b.txt");
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "Steering files not yet supported");
    EXPECT_EQ(dialog->context->runParameters.refusedWords, 1);

    const RunParameters& run = dialog->context->runParameters;
    EXPECT_EQ(run.rtf, 1);
    EXPECT_EQ(run.tabDelimited, 1);
    dialog->ApplyCommandLineSwitches();
    EXPECT_EQ(dialog->GetConversionType(), 2);
    EXPECT_EQ(dialog->GetInputTypeCode(), 7);
}

TEST_F(BatchModeTest, AWildcardAndAPolicyFileLookAlike) {
    Write("c1.txt");
    EXPECT_TRUE(Parse({directory + "c*.txt", directory + "x.pol.txt"}));
    EXPECT_EQ(dialog->GetInputFileSpec().str(), "c*.txt");
    EXPECT_TRUE(dialog->runPolicyFileName.IsEmpty());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text,
              "Unable to locate file \"" + directory + "x.pol.txt\": No such file or directory");
}

}  // namespace
