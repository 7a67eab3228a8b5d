#include "ui/folder_chooser.h"

#include <gtest/gtest.h>

#include "ui/scripted_services.h"

namespace {

constexpr const char kTitle[] = "Select an output directory.  Must be writable";

TEST(BrowseForFolderTest, AChosenFolderIsReturned) {
    ScriptedUiServices services;
    services.QueueFolder("C:\\out");
    TextString path("C:\\before\\");
    EXPECT_TRUE(BrowseForFolder(services, kTitle, path));
    EXPECT_STREQ(path.c_str(), "C:\\out");
    ASSERT_EQ(services.Log().size(), 1u);
    EXPECT_EQ(services.Log()[0].kind, ServiceCallKind::kChooseFolder);
    EXPECT_EQ(services.Log()[0].caption, kTitle);
    // The chooser starts from the whole desktop, not from the old path.
    EXPECT_EQ(services.Log()[0].path, "");
}

TEST(BrowseForFolderTest, NoChoiceLeavesThePathAlone) {
    ScriptedUiServices services;
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kFolder);  // cancelled
    services.QueueFolder("");  // chosen, but no path
    for (int attempt = 0; attempt < 3; ++attempt) {  // the third finds the queue empty
        TextString path("C:\\before\\");
        EXPECT_FALSE(BrowseForFolder(services, kTitle, path)) << attempt;
        EXPECT_STREQ(path.c_str(), "C:\\before\\") << attempt;
    }
}

}  // namespace
