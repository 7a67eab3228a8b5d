#include "ui/status_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/base_dialog.h"
#include "app/conversion_run.h"
#include "context/context.h"
#include "platform/output_files.h"
#include "ui/scripted_services.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"

namespace {

namespace fs = std::filesystem;

// Answers the save chooser with `chosenPath`
// (nothing chosen while it is empty), noting the name it was offered.
class SaveChooserServices : public ScriptedUiServices {
public:
    std::string chosenPath;
    std::vector<std::string> offered;
    std::vector<std::string> filters;

    bool ChooseFile(bool forSaving, const char*, const char* filter, TextString& path) override {
        EXPECT_TRUE(forSaving);
        offered.push_back(path.str());
        filters.push_back(filter);
        if (chosenPath.empty()) return false;
        path = chosenPath.c_str();
        return true;
    }
};

// A line of `length` characters.
std::string Line(size_t length, char c = 'x') { return std::string(length, c); }

std::string Joined(const StringList& lines) {
    std::string text;
    for (int i = 0; i < lines.count; ++i) text.append(lines.TextAt(i)).append("\n");
    return text;
}

class StatusWindowTest : public testing::Test {
protected:
    TempFolder temp{"status_window"};
    SaveChooserServices services;
    StatusWindow window{services};

    void SetUp() override { ASSERT_TRUE(temp.Made()); }

    // An owner with its settings in the temporary folder.
    std::unique_ptr<MainDialog> MakeOwner() {
        auto owner = std::make_unique<MainDialog>(services, (temp / "settings").string());
        window.SetOwner(owner.get(), 0);
        return owner;
    }

    // Lines of 99 characters, then one line that brings Text to `length`.
    void FillTextTo(int length) {
        for (int i = 0; i < 60; ++i) window.AddMessage(Line(99, static_cast<char>('A' + i % 26)).c_str());
        window.AddMessage(Line(static_cast<size_t>(length - 60 * 100 - 1)).c_str());
        ASSERT_EQ(window.Text.length, length);
    }
};

TEST_F(StatusWindowTest, EachPieceOfAMessageIsALineAndTheTextJoinsThemByLineFeeds) {
    window.AddMessage("no window");
    EXPECT_STREQ(window.ControlText(StatusWindow::kMessageEdit), "");  // only the members change
    window.Clear();
    window.CreateWindow();
    window.AddMessage("one\ntwo\n\nthree");
    window.AddMessage("four");
    ASSERT_EQ(window.Lines.count, 5);
    EXPECT_STREQ(window.Lines.TextAt(2), "");
    EXPECT_STREQ(window.Lines.TextAt(3), "three");
    EXPECT_EQ(window.Text.str(), "one\ntwo\n\nthree\nfour\n");
    EXPECT_EQ(window.ControlText(StatusWindow::kMessageEdit), window.Text.str());
    EXPECT_EQ(window.Control(StatusWindow::kMessageEdit)->caret, window.Text.length);

    window.Clear();
    EXPECT_EQ(window.Lines.count, 0);
    EXPECT_TRUE(window.Text.IsEmpty());
    EXPECT_STREQ(window.ControlText(StatusWindow::kMessageEdit), "");
}

// At 19,999 characters a message is appended; at 20,000 the text is rebuilt
// from the last 50 lines, the new message's among them.
TEST_F(StatusWindowTest, TheTextIsRebuiltFromTheLastFiftyLinesFromTwentyThousandCharacters) {
    struct Case {
        int length;
        bool rebuilt;
    };
    for (const Case c : {Case{19999, false}, Case{20000, true}}) {
        SCOPED_TRACE(c.length);
        window.Clear();
        FillTextTo(c.length);
        const std::string before = window.Text.str();
        window.AddMessage("last\nword");
        ASSERT_EQ(window.Lines.count, 63);
        if (!c.rebuilt) {
            EXPECT_EQ(window.Text.str(), before + "last\nword\n");
        } else {
            std::string expected;
            for (int i = 13; i < 63; ++i) expected.append(window.Lines.TextAt(i)).append("\n");
            EXPECT_EQ(window.Text.str(), expected);
            EXPECT_EQ(window.Text.str().substr(0, 99), Line(99, static_cast<char>('A' + 13)));
        }
    }
}

TEST_F(StatusWindowTest, SaveAfterARebuildWritesEveryLine) {
    FillTextTo(20000);
    window.AddMessage("after");
    services.chosenPath = (temp / "run.log").string();
    window.CreateWindow();
    window.Notify(StatusWindow::kSaveButton, NotifyEvent::kClicked);
    EXPECT_TRUE(services.Messages().empty());
    EXPECT_EQ(ReadWhole(temp / "run.log"), Joined(window.Lines));
    EXPECT_EQ(window.Lines.count, 62);
    ASSERT_EQ(services.filters.size(), 1u);
    EXPECT_EQ(services.filters[0], "Log files (*.log)|*.log|All files (*.*)|*.*|");
}

TEST_F(StatusWindowTest, OnlyANameWithoutAnyDotGetsTheLogExtension) {
    if (temp.Path().string().find('.') != std::string::npos) GTEST_SKIP() << "the temporary folder's path has a dot";
    struct Case {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {
        {"run", "run.log"},
        {"run.txt", "run.txt"},
        {"notes.d/run", "notes.d/run"},
        {"notes.d/run.", "notes.d/run."},
    };
    fs::create_directory(temp / "notes.d");
    window.AddMessage("a line");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        services.chosenPath = (temp / c.chosen).string();
        window.SaveToFile();
        EXPECT_EQ(ReadWhole(temp / c.written), "a line\n");
    }
    EXPECT_FALSE(fs::exists(temp / "notes.d/run.log"));
    EXPECT_TRUE(services.Messages().empty());
}

// The chooser never asks before a file is replaced; the program asks once,
// about the name with its extension, and No keeps the file.
TEST_F(StatusWindowTest, SavingOverAFileAsksOnceWhetherToReplaceIt) {
    window.AddMessage("a line");
    ASSERT_TRUE(WriteWhole(temp / "run.log", "earlier\n"));
    for (const MessageAnswer answer : {MessageAnswer::kNo, MessageAnswer::kYes}) {
        services.ClearLog();
        services.QueueAnswer(answer);
        services.chosenPath = (temp / "run").string();
        window.SaveToFile();
        ASSERT_EQ(services.Messages().size(), 1u);
        EXPECT_EQ(services.Messages()[0].text,
                  "The file \"" + (temp / "run.log").string() + "\" exists already. Replace it?");
        EXPECT_EQ(ReadWhole(temp / "run.log"), answer == MessageAnswer::kYes ? "a line\n" : "earlier\n");
    }
}

TEST_F(StatusWindowTest, TheSaveChooserOffersTheInputFileNameWithLog) {
    auto owner = MakeOwner();
    window.SaveToFile();  // no input file yet: nothing offered
    owner->context->documentState.inputFileName = "/data/in.put/report.txt";
    window.SaveToFile();
    const std::vector<std::string> expected = {"", "/data/in.put/report.log"};
    EXPECT_EQ(services.offered, expected);
    window.SetOwner(nullptr, 0);
}

// A save that cannot be written gives one message naming the file and the
// reason, and writes nothing: a file that was there stays as it was.
TEST_F(StatusWindowTest, ASaveThatCannotWriteItsFileSaysSoOnceAndWritesNothing) {
    struct Case {
        const char* name;
        WriteFault fault;
        const char* earlier;  // content there before, or null
        const char* reason;
    };
    const Case cases[] = {
        {"missing/run.log", WriteFault::kNone, nullptr, "No such file or directory"},
        {"full.log", WriteFault::kWrite, "earlier\n", "No space left on device"},
        {"broken.log", WriteFault::kClose, "earlier\n", "Input/output error"},
    };
    window.AddMessage("a line");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.ClearLog();
        const fs::path path = temp / c.name;
        if (c.earlier) {
            ASSERT_TRUE(WriteWhole(path, c.earlier));
        }
        services.chosenPath = path.string();
        // The user agrees to replace a file that is there.
        if (c.earlier) services.QueueAnswer(MessageAnswer::kYes);
        SetWriteFault(c.fault, std::string("/") + c.name);
        window.SaveToFile();
        SetWriteFault(WriteFault::kNone, "");
        ASSERT_EQ(services.Messages().size(), c.earlier ? 2u : 1u);
        EXPECT_EQ(services.Messages().back().text,
                  "Unable to write the file \"" + path.string() + "\": " + c.reason);
        if (c.earlier) {
            EXPECT_EQ(ReadWhole(path), c.earlier);
        } else {
            EXPECT_FALSE(fs::exists(path));
        }
    }
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(temp.Path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

TEST_F(StatusWindowTest, NothingChosenWritesNothing) {
    window.AddMessage("a line");
    window.SaveToFile();
    EXPECT_TRUE(services.Messages().empty());
    EXPECT_TRUE(fs::is_empty(temp.Path()));
}

// The window of 300 x 200 pixels on the 1024 x 768 desktop of the console
// services.
TEST_F(StatusWindowTest, PlacementTakesTheStoredPositionOnlyWhenBothValuesAreSet) {
    struct Case {
        bool owned;
        int storedLeft;
        int storedTop;
        int left;
        int top;
    };
    const Case cases[] = {
        {false, 10, 20, 694, 538},  // no owner: no stored position
        {true, -1, -1, 694, 538},  {true, -5, 20, 694, 538}, {true, 10, -1, 694, 538},
        {true, 0, 0, 0, 0},        {true, 10, 20, 10, 20},
    };
    auto owner = std::make_unique<MainDialog>(services, (temp / "settings").string());
    window.SetWindowSize(300, 200);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.storedLeft) + "," + std::to_string(c.storedTop));
        owner->settings.windowPositions[kStatusLeft] = c.storedLeft;
        owner->settings.windowPositions[kStatusTop] = c.storedTop;
        window.SetOwner(c.owned ? owner.get() : nullptr, 0);
        window.Place();
        EXPECT_EQ(window.Rect().left, c.left);
        EXPECT_EQ(window.Rect().top, c.top);
        EXPECT_EQ(window.Rect().width, 300);
        EXPECT_EQ(window.Rect().height, 200);
    }
    window.SetOwner(nullptr, 0);
}

TEST_F(StatusWindowTest, ShowingPlacesShowsAndRaisesTheWindow) {
    window.SetWindowSize(300, 200);
    window.Show();  // no window yet: placed only
    EXPECT_FALSE(window.IsVisible());
    window.CreateWindow();
    window.MoveWindow(1, 2);
    window.Show();
    EXPECT_TRUE(window.IsVisible());
    EXPECT_EQ(window.Rect().left, 694);
    window.Hide();
    EXPECT_FALSE(window.IsVisible());
}

TEST_F(StatusWindowTest, CloseAndTheCloseBoxStoreThePositionAndHide) {
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Close");
        auto owner = MakeOwner();
        window.CreateWindow();
        window.Show();
        window.MoveWindow(120 + closeBox, 80);
        if (closeBox) {
            window.Notify(kWholeDialog, NotifyEvent::kCloseBox);
        } else {
            window.Notify(kIdOk, NotifyEvent::kClicked);
        }
        EXPECT_FALSE(window.IsVisible());
        EXPECT_TRUE(window.HasWindow());
        EXPECT_EQ(owner->settings.windowPositions[kStatusLeft], 120 + closeBox);
        EXPECT_EQ(owner->settings.windowPositions[kStatusTop], 80);
        window.SetOwner(nullptr, 0);
    }
}

TEST_F(StatusWindowTest, TheClearButtonEmptiesTheTextAndTheControl) {
    window.CreateWindow();
    window.AddMessage("one\ntwo");
    window.Notify(StatusWindow::kClearButton, NotifyEvent::kClicked);
    EXPECT_EQ(window.Lines.count, 0);
    EXPECT_TRUE(window.Text.IsEmpty());
    EXPECT_STREQ(window.ControlText(StatusWindow::kMessageEdit), "");
}

TEST_F(StatusWindowTest, TheCheckBoxWritesTheAutoDismissSettingWhenOwned) {
    window.CreateWindow();
    window.SetChecked(StatusWindow::kCloseAutomaticallyCheck, true);
    window.Notify(StatusWindow::kCloseAutomaticallyCheck, NotifyEvent::kClicked);  // no owner
    EXPECT_EQ(window.CloseAutomatically, 1);

    auto owner = MakeOwner();
    EXPECT_FALSE(window.IsChecked(StatusWindow::kCloseAutomaticallyCheck));  // the owner's switch, pushed
    for (const bool checked : {true, false}) {
        window.SetChecked(StatusWindow::kCloseAutomaticallyCheck, checked);
        window.Notify(StatusWindow::kCloseAutomaticallyCheck, NotifyEvent::kClicked);
        EXPECT_EQ(window.CloseAutomatically, checked ? 1 : 0);
        EXPECT_EQ(owner->settings.autoDismissStatusDialog, checked);
    }
    window.SetOwner(nullptr, 0);
}

// The language switch of the main dialog relabels the attached window when
// it exists, and so does showing it after a switch; a window-less model is
// left alone.  (No language translates the window's labels yet: the test
// marks them to see them relabelled.)
TEST_F(StatusWindowTest, ALanguageSwitchRelabelsTheWindowOnlyWhenItExists) {
    auto owner = MakeOwner();
    owner->ChangeLanguage(1);
    AttachStatusWindow(&window);
    const auto mark = [this] {
        window.SetCaption("marked");
        window.SetControlText(StatusWindow::kClearButton, "marked");
    };
    const auto relabelled = [this] {
        return window.Caption().str() == "Status window" &&
               window.ControlText(StatusWindow::kClearButton) == std::string("Clear");
    };

    mark();
    owner->ChangeLanguage(2);
    EXPECT_FALSE(relabelled());
    EXPECT_EQ(window.ShownLanguage, -1);

    window.CreateWindow();
    mark();
    owner->ChangeLanguage(1);
    EXPECT_TRUE(relabelled());
    EXPECT_EQ(window.ShownLanguage, 1);

    // Showing relabels only when the owner's language is not the one shown.
    mark();
    window.Show();
    EXPECT_FALSE(relabelled());
    owner->LanguageCode = 2;
    window.Show();
    EXPECT_TRUE(relabelled());
    EXPECT_EQ(window.ShownLanguage, 2);

    AttachStatusWindow(nullptr);
    window.SetOwner(nullptr, 0);
    owner->ChangeLanguage(1);
}

// A run from the main dialog clears the attached window, shows it, feeds it
// every status line and, with the auto-dismiss setting, hides it when every
// file converted.
TEST_F(StatusWindowTest, TheRunFeedsTheAttachedWindow) {
    ASSERT_TRUE(WriteWhole(temp / "a.txt", "Name  Age\nAnn   31\n"));
    auto owner = MakeOwner();
    owner->settings.viewResults = false;
    owner->settings.autoDdeUpdates = false;
    const std::string folder = temp.Path().string() + "/";
    owner->SetInputDirectory(TextString(folder.c_str()));
    owner->SetOutputDirectory(TextString(folder.c_str()));
    owner->SetInputFileSpec(TextString((folder + "a.txt").c_str()));
    owner->SetFileName(TextString("a.html"));
    ConsoleStatusDisplay& console = TheConsoleStatus();
    console.Clear();
    AttachStatusWindow(&window);
    window.CreateWindow();
    for (const bool autoDismiss : {false, true}) {
        SCOPED_TRACE(autoDismiss ? "auto-dismiss" : "stays");
        window.AddMessage("from before");
        owner->settings.autoDismissStatusDialog = autoDismiss;
        EXPECT_TRUE(owner->RunConversion());
        EXPECT_EQ(window.IsVisible(), !autoDismiss);
        EXPECT_STRNE(window.Lines.TextAt(0), "from before");
        EXPECT_EQ(window.Text.str().find("from before"), std::string::npos);
        EXPECT_NE(window.Text.str().find("Conversion complete"), std::string::npos) << window.Text.str();
        EXPECT_EQ(window.ControlText(StatusWindow::kMessageEdit), window.Text.str());
    }
    EXPECT_EQ(console.Lines.count, 0);
    AttachStatusWindow(nullptr);
    window.SetOwner(nullptr, 0);
}

// Attached, the window receives the run's status lines in place of the
// console; detached, the console has them again.
TEST_F(StatusWindowTest, AnAttachedWindowTakesTheRunsStatusLines) {
    ConsoleStatusDisplay& console = TheConsoleStatus();
    console.consoleEcho = false;
    console.Clear();
    AttachStatusWindow(&window);
    EXPECT_EQ(&TheStatusWindow(), static_cast<StatusDisplay*>(&window));
    StatusMessageCallback("to the window");
    AttachStatusWindow(nullptr);
    StatusMessageCallback("to the console");
    console.consoleEcho = true;

    ASSERT_EQ(window.Lines.count, 1);
    EXPECT_STREQ(window.Lines.TextAt(0), "to the window");
    ASSERT_EQ(console.Lines.count, 1);
    EXPECT_STREQ(console.Lines.TextAt(0), "to the console");
    EXPECT_EQ(&TheStatusWindow(), static_cast<StatusDisplay*>(&console));
    console.Clear();

    // A window that goes while attached leaves the console in its place.
    {
        StatusWindow shortLived(services);
        AttachStatusWindow(&shortLived);
    }
    EXPECT_EQ(&TheStatusWindow(), static_cast<StatusDisplay*>(&console));
}

}  // namespace
