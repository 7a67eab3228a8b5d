#include "ui/policy_file_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/base_dialog.h"
#include "app/batch_mode.h"
#include "foundation/run_status.h"
#include "foundation/text_file.h"
#include "platform/output_files.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/dialog_owner.h"
#include "support/message_lines.h"
#include "support/page_actions.h"
#include "support/recording_program.h"
#include "support/temp_folder.h"
#include "texts/dialog_ids.h"
#include "texts/main_menu_commands.h"
#include "texts/language_texts.h"
#include "texts/ui_texts.h"
#include "ui/main_window.h"
#include "ui/settings_sheet.h"
#include "ui/scripted_services.h"

namespace {

namespace fs = std::filesystem;

constexpr char kTitleFile[] = "Document Title: From the file\n";
constexpr char kKeywordsFile[] = "Document Keywords: staff, cities\n";

class PolicyFileDialogTest : public DialogOwnerTest {
protected:
    void SetUp() override {
        DialogOwnerTest::SetUp();
        ASSERT_TRUE(WriteWhole(folder / "title.pol", kTitleFile));
        ASSERT_TRUE(WriteWhole(folder / "keywords.pol", kKeywordsFile));
    }
    // The owner's history as texts, up to the first empty entry.
    std::vector<std::string> History() const {
        std::vector<std::string> entries;
        for (const TextString& entry : owner->settings.policyHistory) {
            if (entry.IsEmpty()) break;
            entries.push_back(entry.str());
        }
        return entries;
    }
    std::vector<std::string> ComboItems(const DialogModel& dialog) const {
        std::vector<std::string> items;
        for (const TextString& item : dialog.Control(kPolicyFileCombo)->items) items.push_back(item.str());
        return items;
    }
};

TEST_F(PolicyFileDialogTest, OpensOnTheOwnersFileWithItsHistoryAndTheProductInTheCaption) {
    owner->runPolicyFileName = TextPathOf("title.pol");
    owner->settings.policyHistory[0] = "a.pol";
    owner->settings.policyHistory[2] = "b.pol";  // an unused entry between two is passed over
    PolicyFileDialog dialog(*owner);
    dialog.CreateWindow();
    EXPECT_EQ(dialog.Caption().str(), "Vendrel Policy File");
    EXPECT_EQ(std::string(dialog.ControlText(kPolicyFileCombo)), PathOf("title.pol"));
    EXPECT_EQ(ComboItems(dialog), (std::vector<std::string>{"a.pol", "b.pol"}));
    EXPECT_TRUE(dialog.ToolTips().HasWindow());
    EXPECT_GT(dialog.ToolTips().ToolCount(), 0);
    dialog.DestroyWindow();
    EXPECT_EQ(dialog.ToolTips().ToolCount(), 0);

    owner->settings.displayToolTips = false;
    PolicyFileDialog quiet(*owner);
    quiet.CreateWindow();
    EXPECT_EQ(quiet.ToolTips().ToolCount(), 0);
    EXPECT_EQ(std::string(quiet.ControlText(kPolicyFileLabel)), "Load policy file");
}

TEST_F(PolicyFileDialogTest, IsPlacedAQuarterOfItsSizeAwayAndKeptOnTheDesktop) {
    struct Case {
        WindowRect from;
        int desktopWidth;
        int desktopHeight;
        int left;
        int top;
    };
    const Case cases[] = {
        {{100, 100, 400, 200}, 1024, 768, 200, 150},
        // Off the top left: at least 1.
        {{-400, -200, 400, 200}, 1024, 768, 1, 1},
        // Off the right and the bottom, which keeps room for the task bar.
        {{900, 600, 400, 200}, 1024, 768, 623, 537},
        // Just fitting: left + width equals the width, and top + height + 30
        // the height.
        {{600, 500, 400, 200}, 1100, 780, 700, 550},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.left);
        services.SetDesktopSize(c.desktopWidth, c.desktopHeight);
        PolicyFileDialog dialog(*owner);
        dialog.SetWindowSize(c.from.width, c.from.height);
        dialog.MoveWindow(c.from.left, c.from.top);
        dialog.CreateWindow();
        EXPECT_EQ(dialog.Rect().left, c.left);
        EXPECT_EQ(dialog.Rect().top, c.top);
        EXPECT_EQ(dialog.Rect().width, c.from.width);
        EXPECT_EQ(dialog.Rect().height, c.from.height);
    }
}

TEST_F(PolicyFileDialogTest, ATypedFileLoadsAndAFailingOneKeepsThePreviousText) {
    PolicyFileDialog dialog(*owner);
    dialog.CreateWindow();
    dialog.SetControlText(kPolicyFileCombo, PathOf("title.pol").c_str());
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kFocusLost);
    EXPECT_EQ(owner->runPolicyFileName.str(), PathOf("title.pol"));
    EXPECT_EQ(owner->policyFileLoaded, 1);
    EXPECT_EQ(owner->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "From the file");
    EXPECT_EQ(History(), std::vector<std::string>{PathOf("title.pol")});
    EXPECT_EQ(ComboItems(dialog), std::vector<std::string>{PathOf("title.pol")});

    // Losing the focus again without a change loads nothing again.
    owner->PolicyFileSet().SetText(Pol::DocumentTitle, "Kept");
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kFocusLost);
    EXPECT_EQ(owner->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "Kept");

    dialog.SetControlText(kPolicyFileCombo, PathOf("missing.pol").c_str());
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kFocusLost);
    EXPECT_EQ(MessageLines(services),
              std::vector<std::string>{"Policy File Error: Can't find policy file \"" + PathOf("missing.pol") +
                                       "\": No such file or directory"});
    EXPECT_EQ(dialog.PolicyFileText.str(), PathOf("title.pol"));
    EXPECT_EQ(std::string(dialog.ControlText(kPolicyFileCombo)), PathOf("title.pol"));
    EXPECT_EQ(owner->runPolicyFileName.str(), PathOf("title.pol"));
    EXPECT_EQ(History(), std::vector<std::string>{PathOf("title.pol")});
}

TEST_F(PolicyFileDialogTest, AnEmptiedFieldUnloadsThePolicyFileAndStaysEmpty) {
    owner->runPolicyFileName = TextPathOf("title.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    PolicyFileDialog dialog(*owner);
    dialog.CreateWindow();
    dialog.SetControlText(kPolicyFileCombo, "");
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kFocusLost);
    EXPECT_TRUE(services.Messages().empty());
    EXPECT_EQ(dialog.PolicyFileText.str(), "");
    EXPECT_EQ(owner->runPolicyFileName.str(), "");
    EXPECT_EQ(owner->policyFileLoaded, 0);
    EXPECT_FALSE(owner->PolicyFileSet().IsSet(Pol::DocumentTitle));
}

TEST_F(PolicyFileDialogTest, AHistoryPickResetsTheSetsBeforeLoading) {
    owner->settings.policyHistory[0] = TextPathOf("keywords.pol");
    owner->settings.policyHistory[1] = TextPathOf("missing.pol");
    owner->runPolicyFileName = TextPathOf("title.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    owner->WorkingSet().SetText(Pol::DocumentTitle, "Edited");
    owner->SecondSet().SetText(Pol::DocumentTitle, "Second");
    owner->policiesEdited = 1;

    PolicyFileDialog dialog(*owner);
    dialog.CreateWindow();
    // The user lets the changes go.
    services.QueueAnswer(MessageAnswer::kNo);
    dialog.SetSelection(kPolicyFileCombo, 0);
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kSelectionEnded);
    EXPECT_FALSE(dialog.IsBusy());
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{"Save Changes: Save changes made to your policy?"});
    services.ClearLog();
    EXPECT_EQ(owner->runPolicyFileName.str(), PathOf("keywords.pol"));
    EXPECT_EQ(owner->PolicyFileSet().GetText(Pol::DocumentKeywords).str(), "staff, cities");
    // Nothing of the file before, nor of the user's changes, is left.
    EXPECT_FALSE(owner->PolicyFileSet().IsSet(Pol::DocumentTitle));
    EXPECT_FALSE(owner->WorkingSet().IsSet(Pol::DocumentTitle));
    EXPECT_FALSE(owner->SecondSet().IsSet(Pol::DocumentTitle));
    EXPECT_EQ(owner->policiesEdited, 0);
    EXPECT_EQ(owner->policyFileLoaded, 1);

    dialog.SetSelection(kPolicyFileCombo, 1);
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kSelectionEnded);
    EXPECT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(dialog.PolicyFileText.str(), "");
    EXPECT_EQ(std::string(dialog.ControlText(kPolicyFileCombo)), "");
    EXPECT_EQ(owner->runPolicyFileName.str(), "");
    EXPECT_EQ(owner->policyFileLoaded, 0);
    EXPECT_FALSE(owner->PolicyFileSet().IsSet(Pol::DocumentKeywords));

    // No entry selected: nothing happens.
    owner->runPolicyFileName = "unchanged";
    dialog.SetSelection(kPolicyFileCombo, kNoSelection);
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kSelectionEnded);
    EXPECT_EQ(owner->runPolicyFileName.str(), "unchanged");
}

// Scripted services whose message boxes take the focus from the dialog's
// file field, as a desktop's do.
class FocusTakingServices : public ScriptedUiServices {
public:
    std::function<void()> onMessage;
    MessageAnswer ShowMessage(const char* caption, const char* text, MessageButtons buttons, MessageIcon icon,
                              int defaultButton) override {
        if (onMessage) onMessage();
        return ScriptedUiServices::ShowMessage(caption, text, buttons, icon, defaultButton);
    }
};

TEST_F(PolicyFileDialogTest, AFocusLostWhileAPickedFileLoadsLoadsNothing) {
    FocusTakingServices desktop;
    MainDialog busyOwner(desktop, PathOf("busy settings"));
    busyOwner.settings.policyHistory[0] = TextPathOf("missing.pol");
    PolicyFileDialog dialog(busyOwner);
    dialog.CreateWindow();
    std::vector<bool> busyAtMessage;
    desktop.onMessage = [&] {
        busyAtMessage.push_back(dialog.IsBusy());
        // The field holds another name meanwhile: were the loss of focus
        // taken, it would be loaded (and fail with a second message).
        dialog.SetControlText(kPolicyFileCombo, PathOf("other missing.pol").c_str());
        dialog.Notify(kPolicyFileCombo, NotifyEvent::kFocusLost);
    };
    dialog.SetSelection(kPolicyFileCombo, 0);
    dialog.Notify(kPolicyFileCombo, NotifyEvent::kSelectionEnded);
    EXPECT_EQ(busyAtMessage, std::vector<bool>{true});
    EXPECT_FALSE(dialog.IsBusy());
    EXPECT_EQ(dialog.PolicyFileText.str(), "");
}

TEST_F(PolicyFileDialogTest, BrowsingLoadsTheChosenFileAndAFailureKeepsThePreviousOne) {
    services.QueueFile(PathOf("title.pol").c_str());
    services.QueueFile(PathOf("missing.pol").c_str());
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kFile);
    PolicyFileDialog dialog(*owner);
    dialog.CreateWindow();
    dialog.Notify(kPolicyFileBrowse, NotifyEvent::kClicked);
    EXPECT_EQ(owner->runPolicyFileName.str(), PathOf("title.pol"));
    EXPECT_EQ(std::string(dialog.ControlText(kPolicyFileCombo)), PathOf("title.pol"));
    EXPECT_EQ(History(), std::vector<std::string>{PathOf("title.pol")});

    dialog.Notify(kPolicyFileBrowse, NotifyEvent::kClicked);
    EXPECT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(owner->runPolicyFileName.str(), PathOf("title.pol"));
    EXPECT_EQ(std::string(dialog.ControlText(kPolicyFileCombo)), PathOf("title.pol"));

    dialog.Notify(kPolicyFileBrowse, NotifyEvent::kClicked);
    EXPECT_EQ(owner->runPolicyFileName.str(), PathOf("title.pol"));

    std::vector<ServiceCall> choosers;
    for (const ServiceCall& call : services.Log())
        if (call.kind == ServiceCallKind::kChooseFile) choosers.push_back(call);
    ASSERT_EQ(choosers.size(), 3u);
    EXPECT_FALSE(choosers[0].forSaving);
    EXPECT_EQ(choosers[0].text, "Policy files (*.pol)|*.pol|All files (*.*)|*.*|");
    EXPECT_EQ(choosers[1].path, PathOf("title.pol"));
}

TEST_F(PolicyFileDialogTest, ResetEmptiesTheFieldAndForgetsTheFile) {
    owner->runPolicyFileName = TextPathOf("title.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    services.QueueRun().Press(kPolicyFileReset).Press(kIdOk);
    EXPECT_EQ(RunPolicyFileDialog(*owner), kIdOk);
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{"Reset to defaults: Done"});
    EXPECT_EQ(owner->runPolicyFileName.str(), "");
    EXPECT_EQ(owner->policyFileLoaded, 0);
    EXPECT_FALSE(owner->PolicyFileSet().IsSet(Pol::DocumentTitle));
}

TEST_F(PolicyFileDialogTest, CloseKeepsTheListAsTheHistoryAndCancelLeavesIt) {
    owner->settings.policyHistory[0] = "old.pol";
    services.QueueRun()
        .SetText(kPolicyFileCombo, PathOf("title.pol").c_str())
        .Notify(kPolicyFileCombo, NotifyEvent::kFocusLost);
    EXPECT_EQ(RunPolicyFileDialog(*owner), kIdCancel);
    // A loaded file goes on top of the history at once.
    EXPECT_EQ(History(), (std::vector<std::string>{PathOf("title.pol"), "old.pol"}));

    owner->settings.policyHistory[1].MakeEmpty();
    services.QueueRun().Press(kIdOk);
    EXPECT_EQ(RunPolicyFileDialog(*owner), kIdOk);
    EXPECT_EQ(History(), (std::vector<std::string>{PathOf("title.pol")}));
}

TEST_F(PolicyFileDialogTest, SavingFromItPutsTheSavedFileInItsList) {
    owner->WorkingSet().SetText(Pol::DocumentTitle, "Edited");
    owner->policiesEdited = 1;
    services.QueueRun().Press(kPolicyFileSaveOptions).Press(kIdOk);
    services.QueueRun().SetText(kSavePolicyFileName, PathOf("saved").c_str()).Press(kIdOk);
    EXPECT_EQ(RunPolicyFileDialog(*owner), kIdOk);
    EXPECT_EQ(services.PendingRuns(), 0);
    EXPECT_TRUE(fs::exists(folder / "saved.pol"));
    EXPECT_EQ(History(), std::vector<std::string>{PathOf("saved.pol")});
}

TEST_F(PolicyFileDialogTest, HelpShowsTheUserGuidesSection) {
    ASSERT_TRUE(WriteRecordingProgram(folder / "browser", folder / "argv.txt"));
    ASSERT_TRUE(WriteWhole(folder / "guide.html", "<h2 id=\"policy-file-dialogs\">"));
    owner->settings.browserCommand = TextPathOf("browser");
    owner->settings.htmlDoco = TextPathOf("guide.html");
    services.QueueRun().Press(kIdHelpCommand);
    RunPolicyFileDialog(*owner);
    const std::string received = ReceivedArguments(folder / "argv.txt");
    EXPECT_EQ(received.rfind("1\n[file://", 0), 0u) << received;
    EXPECT_NE(received.find("%20owner"), std::string::npos) << received;  // the folder's name is "dialog owner..."
    EXPECT_NE(received.find("/guide.html#policy-file-dialogs]\n"), std::string::npos) << received;
    EXPECT_TRUE(services.Messages().empty());
}

TEST(PolicyFileGuideTest, TheUserGuideHasTheSectionHelpShows) {
    const std::string guide = ReadWhole(fs::path(VENDREL_SOURCE_DIR) / "docs" / "vdrdoco.html");
    ASSERT_FALSE(guide.empty());
    EXPECT_NE(guide.find(std::string("<h2 id=\"") + kPolicyFileGuideSection + "\">"), std::string::npos);
}

TEST_F(PolicyFileDialogTest, LabelsFollowTheLanguage) {
    owner->ChangeLanguage(kLanguageGerman);
    PolicyFileDialog policy(*owner);
    policy.CreateWindow();
    EXPECT_EQ(policy.ShownLanguage(), kLanguageGerman);
    EXPECT_EQ(policy.Caption().str(), "Vendrel Basisdatei");
    SavePolicyDialog save(*owner);
    save.CreateWindow();
    EXPECT_EQ(save.ShownLanguage(), kLanguageGerman);
    EXPECT_STREQ(save.ControlText(kSavePolicyChangedOnly), "Nur geänderte Regeln speichern (empfohlen)");
}

// ---- Saving ----

class SavePolicyDialogTest : public PolicyFileDialogTest {
protected:
    // Saves through the dialog, as a user would: the name typed, the choice
    // made, Save pressed.  Returns the id that ended the dialog.
    int Save(const std::string& name, int choice = kSaveChangedOnly) {
        services.QueueRun()
            .SetText(kSavePolicyFileName, name.c_str())
            .ChooseRadio(kSavePolicyChangedOnly, kSavePolicyAll,
                         choice == kSaveAll ? kSavePolicyAll : kSavePolicyChangedOnly)
            .Press(kIdOk);
        return RunSavePolicyDialog(*owner);
    }
};

TEST_F(SavePolicyDialogTest, AnEmptyNameAsksForOneAndACancelledChooserKeepsTheDialogOpen) {
    SavePolicyDialog dialog(*owner);
    dialog.CreateWindow();
    EXPECT_EQ(std::string(dialog.ControlText(kSavePolicyFileName)), "");
    EXPECT_TRUE(dialog.IsChecked(kSavePolicyChangedOnly));
    services.QueueNothingChosen(ScriptedUiServices::Chooser::kFile);
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_FALSE(dialog.IsEnded());
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{"Output File Error: Must choose a file name"});
    ASSERT_EQ(services.Log().back().kind, ServiceCallKind::kChooseFile);
    EXPECT_TRUE(services.Log().back().forSaving);

    // The chooser's name, without an extension, gets ".pol".
    services.QueueFile(PathOf("chosen").c_str());
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.Result(), kIdOk);
    EXPECT_TRUE(fs::exists(folder / "chosen.pol"));
}

TEST_F(SavePolicyDialogTest, AMissingExtensionBecomesPolAfterTheBaseName) {
    fs::create_directory(folder / "dir.d");
    struct Case {
        const char* typed;
        const char* written;
    };
    const Case cases[] = {
        {"plain", "plain.pol"},
        {"notes.txt", "notes.txt"},
        {"dir.d/inside", "dir.d/inside.pol"},
        {"mine.POL", "mine.POL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(Save(PathOf(c.typed)), kIdOk);
        EXPECT_TRUE(fs::exists(folder / c.written));
        EXPECT_EQ(owner->settings.policyHistory[0].str(), PathOf(c.written));
    }
    EXPECT_FALSE(fs::exists(folder / "dir.pol"));
    // The settings' default policy file is never written by saving.
    EXPECT_EQ(owner->settings.defaultPolicyFile.str(), "");
}

TEST_F(SavePolicyDialogTest, TheChooserAddsPolAndAsksBeforeReplacingAFile) {
    ASSERT_TRUE(WriteWhole(folder / "there.pol", "Document Title: Before\n"));
    SavePolicyDialog dialog(*owner);
    dialog.CreateWindow();

    services.QueueFile(PathOf("new").c_str());
    dialog.Notify(kSavePolicyBrowse, NotifyEvent::kClicked);
    EXPECT_EQ(std::string(dialog.ControlText(kSavePolicyFileName)), PathOf("new.pol"));
    EXPECT_TRUE(services.Messages().empty());

    services.QueueFile(PathOf("there").c_str());
    services.QueueAnswer(MessageAnswer::kNo);
    dialog.Notify(kSavePolicyBrowse, NotifyEvent::kClicked);
    EXPECT_EQ(std::string(dialog.ControlText(kSavePolicyFileName)), PathOf("new.pol"));
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].text, "The file \"" + PathOf("there.pol") + "\" exists already. Replace it?");
    EXPECT_EQ(services.Messages()[0].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(services.Messages()[0].number, 2);  // "No" is the default

    services.QueueFile(PathOf("there.pol").c_str());
    services.QueueAnswer(MessageAnswer::kYes);
    dialog.Notify(kSavePolicyBrowse, NotifyEvent::kClicked);
    EXPECT_EQ(std::string(dialog.ControlText(kSavePolicyFileName)), PathOf("there.pol"));
    EXPECT_EQ(ReadWhole(folder / "there.pol"), "Document Title: Before\n");
}

// The name offered is the loaded file's; Save over a file that is there
// asks the replace question once, whether the name was typed, offered or
// chosen in the chooser (which asked already).
TEST_F(SavePolicyDialogTest, SavingOverAFileThatIsThereAsksOnce) {
    owner->runPolicyFileName = TextPathOf("title.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    owner->WorkingSet().SetText(Pol::DocumentKeywords, "edited", true);
    owner->policiesEdited = 1;
    SavePolicyDialog dialog(*owner);
    dialog.CreateWindow();
    EXPECT_EQ(std::string(dialog.ControlText(kSavePolicyFileName)), PathOf("title.pol"));
    const std::string question = "Vendrel: The file \"" + PathOf("title.pol") + "\" exists already. Replace it?";

    // No: nothing is written, and the dialog stays open for another name.
    services.QueueAnswer(MessageAnswer::kNo);
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_FALSE(dialog.IsEnded());
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{question});
    EXPECT_EQ(ReadWhole(folder / "title.pol"), kTitleFile);
    ASSERT_EQ(services.Messages()[0].number, 2);  // "No" is the default

    // Yes: replaced.
    services.ClearLog();
    services.QueueAnswer(MessageAnswer::kYes);
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{question});
    EXPECT_NE(ReadWhole(folder / "title.pol").find("edited"), std::string::npos);

    // Typed: the same question.  Chosen in the chooser: asked there only.
    ASSERT_TRUE(WriteWhole(folder / "there.pol", "Document Title: Before\n"));
    services.ClearLog();
    services.QueueAnswer(MessageAnswer::kNo);
    EXPECT_EQ(Save(PathOf("there")), kIdCancel);
    EXPECT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(ReadWhole(folder / "there.pol"), "Document Title: Before\n");
    services.ClearLog();
    services.QueueFile(PathOf("there.pol").c_str());
    services.QueueAnswer(MessageAnswer::kYes);
    services.QueueRun().Press(kSavePolicyBrowse).Press(kIdOk);
    EXPECT_EQ(RunSavePolicyDialog(*owner), kIdOk);
    EXPECT_EQ(services.Messages().size(), 1u);
    EXPECT_NE(ReadWhole(folder / "there.pol").find("edited"), std::string::npos);
}

TEST_F(SavePolicyDialogTest, ChangedOnlyWritesOnlySetPoliciesEvenAfterAnAnalysis) {
    owner->AnalysedFileSet().SetInt(Pol::PageWidth, 132);
    owner->fileAnalysed = 1;
    owner->WorkingSet().SetText(Pol::DocumentTitle, "Staff list");
    owner->policiesEdited = 1;

    ASSERT_EQ(Save(PathOf("changed.pol")), kIdOk);
    const std::string changed = ReadWhole(folder / "changed.pol");
    EXPECT_NE(changed.find("Document Title"), std::string::npos);
    EXPECT_NE(changed.find("Staff list"), std::string::npos);
    EXPECT_EQ(changed.find("Page Width"), std::string::npos) << changed;

    ASSERT_EQ(Save(PathOf("all.pol"), kSaveAll), kIdOk);
    const std::string all = ReadWhole(folder / "all.pol");
    EXPECT_NE(all.find("Staff list"), std::string::npos);
    const size_t width = all.find("Page Width");
    ASSERT_NE(width, std::string::npos);
    EXPECT_EQ(all.substr(width, all.find('\n', width) - width).find("132") != std::string::npos, true);
    EXPECT_GT(all.size(), changed.size() * 10);
}

TEST_F(SavePolicyDialogTest, EditsAndTheLoadedFileAreSavedOnlyWhenTheirFlagsAreSet) {
    owner->runPolicyFileName = TextPathOf("keywords.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    owner->WorkingSet().SetText(Pol::DocumentTitle, "Staff list");
    struct Case {
        int loaded;
        int edited;
        bool keywords;
        bool title;
    };
    const Case cases[] = {{1, 1, true, true}, {1, 0, true, false}, {0, 1, false, true}, {0, 0, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loaded * 10 + c.edited);
        owner->policyFileLoaded = c.loaded;
        owner->policiesEdited = c.edited;
        fs::remove(folder / "flags.pol");
        ASSERT_EQ(Save(PathOf("flags.pol")), kIdOk);
        const std::string text = ReadWhole(folder / "flags.pol");
        EXPECT_EQ(text.find("staff, cities") != std::string::npos, c.keywords) << text;
        EXPECT_EQ(text.find("Staff list") != std::string::npos, c.title) << text;
    }
}

TEST_F(SavePolicyDialogTest, ASavedFileLoadsBackToTheSamePolicies) {
    ASSERT_TRUE(WriteWhole(folder / "rich.pol",
                           "Document Title: Staff list\n"
                           "Document Keywords: staff, cities\n"
                           "Page Width: 96\n"
                           "Indent position(s): 4 8\n"
                           "Bullet Char: '+'\n"
                           "Rule set to be used: Tarnell\n"));
    owner->runPolicyFileName = TextPathOf("rich.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    owner->WorkingSet().SetText(Pol::DocumentDescription, "Who works where");
    owner->policiesEdited = 1;
    ASSERT_EQ(Save(PathOf("first.pol")), kIdOk);

    owner->runPolicyFileName = TextPathOf("first.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    ASSERT_EQ(Save(PathOf("second.pol")), kIdOk);

    const std::string first = ReadWhole(folder / "first.pol");
    EXPECT_NE(first.find("Who works where"), std::string::npos);
    EXPECT_NE(first.find("Tarnell"), std::string::npos);
    EXPECT_EQ(first, ReadWhole(folder / "second.pol"));
    EXPECT_EQ(owner->PolicyFileSet().GetInt(Pol::PageWidth), 96);
    EXPECT_EQ(owner->PolicyFileSet().GetText(Pol::DocumentDescription).str(), "Who works where");
    EXPECT_TRUE(services.Messages().empty());
}

TEST_F(SavePolicyDialogTest, AFileThatCannotBeWrittenIsToldOnceAndTheDialogStaysOpen) {
    ASSERT_TRUE(WriteWhole(folder / "kept.pol", "Document Title: Before\n"));
    owner->WorkingSet().SetText(Pol::DocumentTitle, "Edited");
    owner->policiesEdited = 1;
    SavePolicyDialog dialog(*owner);
    dialog.CreateWindow();

    const std::string unwritable = PathOf("no such folder/p.pol");
    dialog.SetControlText(kSavePolicyFileName, unwritable.c_str());
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_FALSE(dialog.IsEnded());
    ASSERT_EQ(services.Messages().size(), 1u);
    EXPECT_EQ(services.Messages()[0].caption, "Output File Error");
    EXPECT_EQ(services.Messages()[0].text.rfind("Unable to write the file \"" + unwritable + "\": ", 0), 0u);
    EXPECT_TRUE(History().empty());

    // A write that fails leaves the earlier file as it was (the user agreed
    // to replace it).
    SetWriteFault(WriteFault::kWrite, "kept.pol");
    dialog.SetControlText(kSavePolicyFileName, PathOf("kept.pol").c_str());
    services.QueueAnswer(MessageAnswer::kYes);
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    SetWriteFault(WriteFault::kNone, "");
    EXPECT_FALSE(dialog.IsEnded());
    ASSERT_EQ(services.Messages().size(), 3u);
    EXPECT_EQ(services.Messages()[1].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(services.Messages()[2].caption, "Output File Error");
    EXPECT_EQ(ReadWhole(folder / "kept.pol"), "Document Title: Before\n");

    // Saving again: the user was asked about this file already.
    dialog.Notify(kIdOk, NotifyEvent::kClicked);
    EXPECT_EQ(services.Messages().size(), 3u);
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_NE(ReadWhole(folder / "kept.pol").find("Edited"), std::string::npos);
    // No temporary file is left behind.
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().filename().string().rfind(".kept.pol", 0), 0u) << entry.path();
}

// ---- From the main window ----

class PolicyFilesFromTheWindowTest : public PolicyFileDialogTest {
protected:
    std::unique_ptr<MainWindow> window;
    void SetUp() override {
        PolicyFileDialogTest::SetUp();
        window = std::make_unique<MainWindow>(services, PathOf("window settings"));
        window->Show();
        services.ClearLog();
    }
    void TearDown() override {
        window.reset();
        PolicyFileDialogTest::TearDown();
    }
    // The template ids of the modal runs so far.
    std::vector<int> ModalRuns() const {
        std::vector<int> runs;
        for (const ServiceCall& call : services.Log())
            if (call.kind == ServiceCallKind::kRunModal) runs.push_back(call.number);
        return runs;
    }
};

TEST_F(PolicyFilesFromTheWindowTest, FileLoadPolicyFileLoadsIntoTheWindowsField) {
    services.QueueRun()
        .SetText(kPolicyFileCombo, PathOf("title.pol").c_str())
        .Notify(kPolicyFileCombo, NotifyEvent::kFocusLost)
        .Press(kIdOk);
    EXPECT_TRUE(window->OnCommand(kCommandLoadPolicyFile));
    EXPECT_EQ(ModalRuns(), std::vector<int>{kPolicyFileDialogId});
    EXPECT_EQ(std::string(window->Dialog().ControlText(MainWindow::kPolicyCombo)), PathOf("title.pol"));
    EXPECT_EQ(window->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "From the file");
    EXPECT_EQ(window->settings.policyHistory[0].str(), PathOf("title.pol"));
    EXPECT_EQ(window->settings.defaultPolicyFile.str(), "");
}

TEST_F(PolicyFilesFromTheWindowTest, ANameThatCannotBeOpenedLeavesThePoliciesTheEditsAndTheName) {
    using Pols = SettingsPolicyPage;
    DialogModel& main = window->Dialog();
    // A policy file loaded in the window, and an edit stored from a sheet.
    main.SetControlText(MainWindow::kPolicyCombo, PathOf("title.pol").c_str());
    main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kFocusLost);
    ASSERT_EQ(window->policyFileLoaded, 1);
    window->WorkingSet().SetText(Pol::DocumentKeywords, "edited keywords", true);
    window->policiesEdited = 1;
    window->settings.autoDdeUpdates = false;
    fs::create_directory(folder / "a folder.pol");

    auto settingsPage = [&] {
        EXPECT_TRUE(window->OnCommand(kCommandSettingsPolicyFiles));
        Pols& page = window->SettingsSheet()->policy;
        SetCheck(page, Pols::kUseDefault, true);
        return &page;
    };
    const struct {
        const char* road;
        std::function<void(const std::string&)> give;
    } roads[] = {
        {"typed into the window",
         [&](const std::string& name) {
             main.SetControlText(MainWindow::kPolicyCombo, name.c_str());
             main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kEditChanged);
             main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kFocusLost);
         }},
        {"browsed to in the window",
         [&](const std::string& name) {
             services.QueueFile(name.c_str());
             main.Notify(MainWindow::kPolicyButton, NotifyEvent::kClicked);
         }},
        {"typed into the policy-file dialog",
         [&](const std::string& name) {
             services.QueueRun()
                 .SetText(kPolicyFileCombo, name.c_str())
                 .Notify(kPolicyFileCombo, NotifyEvent::kFocusLost)
                 .Press(kIdOk);
             window->OnCommand(kCommandLoadPolicyFile);
         }},
        {"browsed to in the policy-file dialog",
         [&](const std::string& name) {
             services.QueueFile(name.c_str());
             services.QueueRun().Press(kPolicyFileBrowse).Press(kIdOk);
             window->OnCommand(kCommandLoadPolicyFile);
         }},
        {"typed into the settings page",
         [&](const std::string& name) {
             TypeInto(*settingsPage(), Pols::kFile, name.c_str());
             Press(*window->SettingsSheet(), kIdCancel);
         }},
        {"OK on the settings page",
         [&](const std::string& name) {
             settingsPage()->SetControlText(Pols::kFile, name.c_str());
             Press(*window->SettingsSheet(), kIdOk);
             EXPECT_TRUE(window->SettingsSheet()->IsShown());
             Press(*window->SettingsSheet(), kIdCancel);
         }},
    };
    for (const auto& road : roads) {
        for (const std::string& name : {PathOf("missing.pol"), PathOf("a folder.pol")}) {
            services.ClearLog();
            // Asked first about the edits, the user lets them go; the file
            // does not open, and so they stay.
            services.QueueAnswer(MessageAnswer::kNo);
            road.give(name);
            const std::string what = std::string(road.road) + ": " + name;
            ASSERT_EQ(services.Messages().size(), 2u) << what;
            EXPECT_EQ(services.Messages()[0].caption, "Save Changes") << what;
            EXPECT_EQ(services.Messages()[1].caption, "Policy File Error") << what;
            EXPECT_EQ(window->runPolicyFileName.str(), PathOf("title.pol")) << what;
            EXPECT_EQ(std::string(main.ControlText(MainWindow::kPolicyCombo)), PathOf("title.pol")) << what;
            EXPECT_EQ(window->policyFileLoaded, 1) << what;
            EXPECT_EQ(window->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "From the file") << what;
            EXPECT_EQ(window->policiesEdited, 1) << what;
            EXPECT_EQ(window->WorkingSet().GetText(Pol::DocumentKeywords).str(), "edited keywords") << what;
            EXPECT_EQ(window->settings.defaultPolicyFile.str(), "") << what;
        }
    }

    // The next conversion uses both.
    ASSERT_TRUE(WriteWhole(folder / "a.txt", "Name  Age\nAnn   31\n"));
    main.SetControlText(MainWindow::kFileSpecCombo, PathOf("a.txt").c_str());
    main.Notify(MainWindow::kFileSpecCombo, NotifyEvent::kFocusLost);
    ASSERT_TRUE(window->Convert());
    const std::string html = ReadWhole(folder / "a.html");
    EXPECT_NE(html.find("From the file"), std::string::npos) << html;
    EXPECT_NE(html.find("edited keywords"), std::string::npos) << html;
}

TEST_F(PolicyFilesFromTheWindowTest, AnEmptiedWindowFieldUnloadsThePolicyFileAndStaysEmpty) {
    DialogModel& main = window->Dialog();
    for (const std::string& text : {PathOf("title.pol"), std::string()}) {
        main.SetControlText(MainWindow::kPolicyCombo, text.c_str());
        main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kFocusLost);
    }
    EXPECT_TRUE(services.Messages().empty());
    EXPECT_STREQ(main.ControlText(MainWindow::kPolicyCombo), "");
    EXPECT_EQ(window->runPolicyFileName.str(), "");
    EXPECT_EQ(window->policyFileLoaded, 0);
    EXPECT_FALSE(window->PolicyFileSet().IsSet(Pol::DocumentTitle));
}

TEST_F(PolicyFilesFromTheWindowTest, FileSavePolicyFileWritesTheEditedPolicies) {
    window->WorkingSet().SetText(Pol::DocumentTitle, "Edited");
    window->policiesEdited = 1;
    services.QueueRun().SetText(kSavePolicyFileName, PathOf("menu").c_str()).Press(kIdOk);
    EXPECT_TRUE(window->OnCommand(kCommandSavePolicyFile));
    EXPECT_EQ(ModalRuns(), std::vector<int>{kSavePolicyDialogId});
    EXPECT_NE(ReadWhole(folder / "menu.pol").find("Edited"), std::string::npos);
    EXPECT_EQ(window->settings.policyHistory[0].str(), PathOf("menu.pol"));
}

TEST_F(PolicyFilesFromTheWindowTest, YesOnClosingSavesAndAnUnwritableNameKeepsTheSaveOpen) {
    window->WorkingSet().SetText(Pol::DocumentTitle, "Edited");
    window->policiesEdited = 1;
    services.QueueAnswer(MessageAnswer::kYes);
    services.QueueRun()
        .SetText(kSavePolicyFileName, PathOf("missing folder/lost.pol").c_str())
        .Press(kIdOk)
        .SetText(kSavePolicyFileName, PathOf("kept.pol").c_str())
        .Press(kIdOk);
    EXPECT_TRUE(window->OnCommand(kCommandExit));
    EXPECT_EQ(ModalRuns(), std::vector<int>{kSavePolicyDialogId});
    EXPECT_TRUE(services.RefusedSteps().empty());
    ASSERT_EQ(services.Messages().size(), 2u);  // the question, then the unwritable folder
    EXPECT_EQ(services.Messages()[1].caption, "Output File Error");
    EXPECT_NE(ReadWhole(folder / "kept.pol").find("Edited"), std::string::npos);
    EXPECT_FALSE(window->WindowExists());
}

// Every road that loads a policy file over the policies the user changed and
// kept asks first, before anything is reset or the file in use changes:
// Cancel leaves the field, the file and the changes; No lets the changes go;
// Yes saves them to the file they belong to (the one in use, never the one
// about to be loaded) and then loads.
TEST_F(PolicyFilesFromTheWindowTest, ALoadThatWouldDiscardTheUsersChangesAsksFirstOnEveryRoad) {
    using Pols = SettingsPolicyPage;
    DialogModel& main = window->Dialog();
    window->settings.autoDdeUpdates = false;
    window->settings.policyHistory[0] = TextPathOf("keywords.pol");
    const std::string keywords = PathOf("keywords.pol");
    auto settingsPage = [&] {
        EXPECT_TRUE(window->OnCommand(kCommandSettingsPolicyFiles));
        Pols& page = window->SettingsSheet()->policy;
        SetCheck(page, Pols::kUseDefault, true);
        return &page;
    };
    // Where keywords.pol stands in the list of policy files.
    auto listed = [&] {
        int index = 0;
        for (const TextString& entry : window->settings.policyHistory) {
            if (entry.str() == keywords) return index;
            if (!entry.IsEmpty()) ++index;
        }
        ADD_FAILURE() << "keywords.pol is not listed";
        return 0;
    };
    // Each road gives the name of keywords.pol; `saving` queues the save
    // dialog's run, in the order the dialogs open.
    const struct {
        const char* road;
        std::function<void(const std::function<void()>& saving)> give;
    } roads[] = {
        {"typed into the window",
         [&](const std::function<void()>& saving) {
             saving();
             main.SetControlText(MainWindow::kPolicyCombo, keywords.c_str());
             main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kEditChanged);
             main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kFocusLost);
         }},
        {"picked in the window",
         [&](const std::function<void()>& saving) {
             saving();
             main.SetSelection(MainWindow::kPolicyCombo, listed());
             main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kSelectionEnded);
         }},
        {"browsed to in the window",
         [&](const std::function<void()>& saving) {
             saving();
             services.QueueFile(keywords.c_str());
             main.Notify(MainWindow::kPolicyButton, NotifyEvent::kClicked);
         }},
        {"typed into the policy-file dialog",
         [&](const std::function<void()>& saving) {
             services.QueueRun()
                 .SetText(kPolicyFileCombo, keywords.c_str())
                 .Notify(kPolicyFileCombo, NotifyEvent::kFocusLost)
                 .Press(kIdOk);
             saving();
             window->OnCommand(kCommandLoadPolicyFile);
         }},
        {"picked in the policy-file dialog",
         [&](const std::function<void()>& saving) {
             services.QueueRun().Select(kPolicyFileCombo, listed()).Press(kIdOk);
             saving();
             window->OnCommand(kCommandLoadPolicyFile);
         }},
        {"browsed to in the policy-file dialog",
         [&](const std::function<void()>& saving) {
             services.QueueFile(keywords.c_str());
             services.QueueRun().Press(kPolicyFileBrowse).Press(kIdOk);
             saving();
             window->OnCommand(kCommandLoadPolicyFile);
         }},
        {"typed into the settings page",
         [&](const std::function<void()>& saving) {
             Pols* page = settingsPage();
             saving();
             TypeInto(*page, Pols::kFile, keywords.c_str());
             Press(*window->SettingsSheet(), kIdCancel);
         }},
        {"OK on the settings page",
         [&](const std::function<void()>& saving) {
             settingsPage()->SetControlText(Pols::kFile, keywords.c_str());
             saving();
             Press(*window->SettingsSheet(), kIdOk);
             if (window->SettingsSheet()->IsShown()) Press(*window->SettingsSheet(), kIdCancel);
         }},
    };
    for (const auto& road : roads) {
        for (const MessageAnswer answer : {MessageAnswer::kCancel, MessageAnswer::kNo, MessageAnswer::kYes}) {
            const std::string what = std::string(road.road) + ", answer " + std::to_string(static_cast<int>(answer));
            SCOPED_TRACE(what);
            // title.pol in use, and a change of the user's kept over it.
            ASSERT_TRUE(WriteWhole(folder / "title.pol", kTitleFile));
            window->policiesEdited = 0;
            main.SetControlText(MainWindow::kPolicyCombo, PathOf("title.pol").c_str());
            main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kFocusLost);
            ASSERT_EQ(window->runPolicyFileName.str(), PathOf("title.pol"));
            window->WorkingSet().SetText(Pol::DocumentDescription, "changed by the user", true);
            window->policiesEdited = 1;
            window->settings.defaultPolicyFile.MakeEmpty();
            services.ClearLog();

            services.QueueAnswer(answer);
            road.give([&] {
                if (answer != MessageAnswer::kYes) return;
                // The name offered is the file in use: saved over it.
                services.QueueRun().Press(kIdOk);
                services.QueueAnswer(MessageAnswer::kYes);
            });
            EXPECT_TRUE(services.RefusedSteps().empty());
            ASSERT_FALSE(services.Messages().empty());
            EXPECT_EQ(services.Messages()[0].caption, "Save Changes");
            EXPECT_EQ(services.Messages()[0].buttons, MessageButtons::kYesNoCancel);
            EXPECT_EQ(services.Messages()[0].number, 1);
            const std::string title = ReadWhole(folder / "title.pol");
            EXPECT_EQ(title.find("changed by the user") != std::string::npos, answer == MessageAnswer::kYes)
                << title;
            EXPECT_EQ(ReadWhole(folder / "keywords.pol"), kKeywordsFile);
            if (answer == MessageAnswer::kCancel) {
                EXPECT_EQ(services.Messages().size(), 1u);
                EXPECT_EQ(window->runPolicyFileName.str(), PathOf("title.pol"));
                EXPECT_EQ(std::string(main.ControlText(MainWindow::kPolicyCombo)), PathOf("title.pol"));
                EXPECT_EQ(window->PolicyFileSet().GetText(Pol::DocumentTitle).str(), "From the file");
                EXPECT_EQ(window->policiesEdited, 1);
                EXPECT_EQ(window->WorkingSet().GetText(Pol::DocumentDescription).str(), "changed by the user");
                EXPECT_EQ(window->settings.defaultPolicyFile.str(), "");
            } else {
                EXPECT_EQ(window->runPolicyFileName.str(), keywords);
                EXPECT_EQ(window->PolicyFileSet().GetText(Pol::DocumentKeywords).str(), "staff, cities");
                EXPECT_EQ(window->policiesEdited, 0);
                EXPECT_FALSE(window->WorkingSet().IsSet(Pol::DocumentDescription));
            }
        }
    }
}

// The question is not asked from inside the change of focus: it waits until
// the focus has gone where the user sent it.  Reset asks nothing.
TEST_F(PolicyFilesFromTheWindowTest, TheLoadQuestionWaitsForTheFocusAndResetAsksNothing) {
    DialogModel& main = window->Dialog();
    window->policiesEdited = 1;
    services.HoldFieldWork(true);
    main.SetControlText(MainWindow::kPolicyCombo, PathOf("title.pol").c_str());
    main.Notify(MainWindow::kPolicyCombo, NotifyEvent::kFocusLost);
    EXPECT_TRUE(services.Messages().empty());
    services.QueueAnswer(MessageAnswer::kNo);
    services.SettleFocus();
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{"Save Changes: Save changes made to your policy?"});
    EXPECT_EQ(window->runPolicyFileName.str(), PathOf("title.pol"));

    window->policiesEdited = 1;
    services.ClearLog();
    main.Notify(MainWindow::kResetButton, NotifyEvent::kClicked);
    EXPECT_EQ(MessageLines(services), std::vector<std::string>{"Reset to defaults: Done"});
    EXPECT_EQ(window->policiesEdited, 0);
}

// Exit asks about changed policies with Yes, No and Cancel (No the default,
// Cancel for Escape): Cancel, and Yes with the save dialog cancelled or
// failing, keep the program open with its changes.
TEST_F(PolicyFilesFromTheWindowTest, CancelOnExitAndASaveThatDidNotHappenKeepTheWindowOpen) {
    window->WorkingSet().SetText(Pol::DocumentTitle, "Edited");
    window->policiesEdited = 1;
    const struct {
        const char* why;
        std::function<void()> answer;
    } stays[] = {
        {"Cancel", [&] { services.QueueAnswer(MessageAnswer::kCancel); }},
        {"Yes, then Cancel in the save dialog",
         [&] {
             services.QueueAnswer(MessageAnswer::kYes);
             services.QueueRun().SetText(kSavePolicyFileName, PathOf("never.pol").c_str()).Press(kIdCancel);
         }},
        {"Yes, and the save fails",
         [&] {
             services.QueueAnswer(MessageAnswer::kYes);
             services.QueueRun().SetText(kSavePolicyFileName, PathOf("no folder/never.pol").c_str()).Press(kIdOk);
         }},
    };
    for (const auto& stay : stays) {
        SCOPED_TRACE(stay.why);
        services.ClearLog();
        stay.answer();
        EXPECT_TRUE(window->OnCommand(kCommandExit));
        EXPECT_TRUE(services.RefusedSteps().empty());
        ASSERT_FALSE(services.Messages().empty());
        EXPECT_EQ(services.Messages()[0].buttons, MessageButtons::kYesNoCancel);
        EXPECT_EQ(services.Messages()[0].number, 2);
        EXPECT_TRUE(window->WindowExists());
        EXPECT_FALSE(window->Dialog().IsEnded());
        EXPECT_EQ(window->policiesEdited, 1);
        EXPECT_FALSE(fs::exists(folder / "never.pol"));
    }
    // No closes without saving.
    services.QueueAnswer(MessageAnswer::kNo);
    EXPECT_TRUE(window->OnCommand(kCommandExit));
    EXPECT_FALSE(window->WindowExists());
}

// ---- Saved and hand-written files read back by a batch run ----

// The value of every policy a set writes with "Save all", by key.
std::map<std::string, std::string> WrittenValues(const FC& set, const std::string& scratchPath) {
    TextFile file;
    EXPECT_TRUE(file.OpenForWrite(scratchPath.c_str(), 0, 0));
    set.WritePolicyFile(file, true);
    file.CloseAll();
    std::map<std::string, std::string> values;
    std::istringstream lines(ReadWhole(scratchPath));
    for (std::string line; std::getline(lines, line);) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        auto trimmed = [](std::string text) {
            text.erase(0, text.find_first_not_of(' '));
            text.erase(text.find_last_not_of(' ') + 1);
            return text;
        };
        values[trimmed(line.substr(0, colon))] = trimmed(line.substr(colon + 1));
    }
    return values;
}

class PolicyRoundTripTest : public SavePolicyDialogTest {
protected:
    // Converts a small table as "vendrel t.txt <policy file>" does and
    // returns the run's main dialog; `lines` gets the status lines from the
    // policy file's loading on.
    std::unique_ptr<MainDialog> ReadInABatchRun(const std::string& policyFile, std::vector<std::string>& lines) {
        EXPECT_TRUE(WriteWhole(folder / "t.txt", "Name    Age   City\nAnn     31    Oslo\n"));
        auto run = std::make_unique<MainDialog>(services, PathOf("batch settings"));
        run->settings.viewResults = false;
        std::string program = "vendrel", input = PathOf("t.txt"), policies = policyFile;
        char* argv[] = {program.data(), input.data(), policies.data()};
        ConverterCommandLineInfo info(*run);
        info.ParseArguments(3, argv);
        TheRunStatus().Reset();
        EXPECT_EQ(RunFromCommandLine(*run, info.fileWordSeen), kExitConverted);
        const StringList& shown = TheConsoleStatus().Lines;
        lines.clear();
        for (int i = 0; i < shown.count; ++i) lines.emplace_back(shown.TextAt(i));
        return run;
    }

    // Reads `file` through a batch run and checks that no line of it was
    // refused and that the policy-file set holds every value the file
    // names, as `source` has it.
    void ExpectReadBack(const std::string& file, const FC& source) {
        std::vector<std::string> lines;
        const std::unique_ptr<MainDialog> run = ReadInABatchRun(file, lines);
        ASSERT_FALSE(lines.empty());
        for (const std::string& line : lines) EXPECT_EQ(line.rfind("POLICY:", 0), std::string::npos) << line;
        const auto loaded = WrittenValues(run->PolicyFileSet(), PathOf("loaded.txt"));
        const auto wanted = WrittenValues(source, PathOf("wanted.txt"));
        const std::vector<std::string> keys = KeysOfFile(file);
        ASSERT_FALSE(keys.empty());
        for (const std::string& key : keys) EXPECT_EQ(loaded.at(key), wanted.at(key)) << key;
    }

    // The policies a file names, by their keys.
    std::vector<std::string> KeysOfFile(const std::string& file) {
        const auto catalogue = WrittenValues(FC(), PathOf("catalogue.txt"));
        std::vector<std::string> keys;
        std::istringstream lines(ReadWhole(file));
        for (std::string line; std::getline(lines, line);) {
            std::string key = line.substr(0, line.find(':'));
            key.erase(key.find_last_not_of(' ') + 1);
            if (catalogue.count(key) != 0) keys.push_back(key);
        }
        return keys;
    }
};

// Every value of the file differs from its default, the two the program
// itself gives a value to (minimising and the omitted head) and the window's
// extension among them: none is refused as a repeat, each is in force.
constexpr char kHandWritten[] =
    "Minimise HTML file size : Yes\n"
    "Omit <HEAD> and <BODY> from output : Yes\n"
    "Use .HTM extension : Yes\n"
    "Document Title : By hand\n"
    "TAB size : 6\n"
    "Text Colour : Navy\n"
    "Text justification : right\n"
    "Paper size : Legal\n"
    "Default font : Arial, Bold, 14\n"
    "Default TABLE border size : 3\n";

TEST_F(PolicyRoundTripTest, AHandWrittenFileIsReadWithoutRefusals) {
    ASSERT_TRUE(WriteWhole(folder / "hand.pol", kHandWritten));
    FC source;
    TextFile reader;
    ASSERT_TRUE(reader.OpenForRead(PathOf("hand.pol").c_str()));
    source.ReadPolicyFile(reader);
    reader.CloseAll();
    const auto defaults = WrittenValues(FC(), PathOf("defaults.txt"));
    const auto given = WrittenValues(source, PathOf("given.txt"));
    const std::vector<std::string> keys = KeysOfFile(PathOf("hand.pol"));
    ASSERT_EQ(keys.size(), 10u);
    for (const std::string& key : keys) EXPECT_NE(given.at(key), defaults.at(key)) << key;
    ExpectReadBack(PathOf("hand.pol"), source);
}

// "Save policies" and "Save all" write what a batch run then reads back
// whole: the user's changes, the loaded file's values and, with "Save all",
// every other value in force.
TEST_F(PolicyRoundTripTest, SavedFilesAreReadWithoutRefusals) {
    ASSERT_TRUE(WriteWhole(folder / "hand.pol", kHandWritten));
    owner->runPolicyFileName = TextPathOf("hand.pol");
    ASSERT_TRUE(owner->LoadPolicyFile());
    owner->WorkingSet().SetText(Pol::DocumentDescription, "Who works where");
    owner->WorkingSet().SetInt(Pol::PageWidth, 96);
    owner->policiesEdited = 1;
    FC source;
    source.MergeChangedPolicies(owner->PolicyFileSet(), 1);
    source.MergeChangedPolicies(owner->WorkingSet(), 1);
    owner->OfferOutputChoice(source);

    ASSERT_EQ(Save(PathOf("changed.pol")), kIdOk);
    ExpectReadBack(PathOf("changed.pol"), source);
    ASSERT_EQ(Save(PathOf("all.pol"), kSaveAll), kIdOk);
    ExpectReadBack(PathOf("all.pol"), source);

    // Saved from a window that changed nothing, the file holds no policy the
    // program gave a value of its own.
    owner->ResetToDefaults();
    ASSERT_EQ(Save(PathOf("nothing.pol")), kIdOk);
    const std::string nothing = ReadWhole(folder / "nothing.pol");
    EXPECT_EQ(nothing.find("Minimise"), std::string::npos) << nothing;
    EXPECT_EQ(nothing.find("Omit <HEAD>"), std::string::npos) << nothing;
}

// ---- Every policy a file gives, loaded, saved and loaded again ----

// The policy line that gives `value` (a scratch copy, changed here) a value
// other than its default, as a user would write it.
// An Int the writer writes "(none)" for when it is 0 or less is given a
// positive value: 0 and "(none)" say the same.
std::string OtherValueLine(PolicyValue& value, bool noneAtZero) {
    // Texts with a form of their own.
    const std::map<std::string, std::string> kFormed = {{"Default table layout", "2, 5, 9"}};
    if (const auto formed = kFormed.find(value.key.str()); formed != kFormed.end())
        return formed->first + " : " + formed->second;
    switch (value.kind) {
        case kPolicyInt: {
            auto& number = static_cast<IntPolicyValue&>(value);
            number.iValue = number.iDefault < number.highest ? number.iDefault + 1 : number.iDefault - 1;
            if (noneAtZero && number.iValue <= 0) number.iValue = number.iDefault + 2;
            break;
        }
        case kPolicyBool: value.iValue = value.iValue != 0 ? 0 : 1; break;
        // The next alignment (left, centre ...) or choice (counted from 1).
        case kPolicyAlignment:
        case kPolicyChoice: value.iValue = static_cast<NumberPolicyValue&>(value).iDefault + 1; break;
        case kPolicyColour: {
            auto& text = static_cast<TextPolicyValue&>(value);
            text.tValue = text.tDefault == TextString("Navy") ? "Teal" : "Navy";
            break;
        }
        case kPolicyFont: static_cast<TextPolicyValue&>(value).tValue = "Arial, Bold, 11"; break;
        default: static_cast<TextPolicyValue&>(value).tValue = "given"; break;
    }
    TextString text;
    value.FormatValue(text);
    return value.key.str() + " : " + text.str();
}

// The lines of `got` that are not those of `wanted`, each after the line
// wanted ("wanted -> got").
std::vector<std::string> Differences(const std::vector<std::string>& wanted, const std::vector<std::string>& got) {
    std::vector<std::string> differences;
    for (size_t i = 0; i < std::max(wanted.size(), got.size()); ++i) {
        const std::string one = i < wanted.size() ? wanted[i] : "(none)";
        const std::string other = i < got.size() ? got[i] : "(none)";
        if (one != other) differences.push_back(one + " -> " + other);
    }
    return differences;
}

// A policy line for each policy of both catalogues that a policy file
// gives, at a value other than its default.
std::vector<std::string> EveryOtherValueLine() {
    std::vector<std::string> lines;
    FC scratch;
    for (int i = 0; i < kPolicyCount; ++i) {
        const auto id = static_cast<Pol>(i);
        const PolicyDefinition& definition = GetPolicyDefinition(id);
        if (definition.section != PolicySection::NotWritten)
            lines.push_back(OtherValueLine(scratch.Policy(id), definition.optionalInt));
    }
    for (TabPol id : TablePoliciesInWriterOrder())
        lines.push_back(
            OtherValueLine(scratch.GetDefaultTabConfig()->Policy(id), GetTablePolicyDefinition(id).optionalInt));
    return lines;
}

// What a set holds of every policy of both catalogues: each value as a file
// gives it, and whether it was given.
std::vector<std::string> Holdings(FC& set) {
    std::vector<std::string> held;
    auto add = [&](const PolicyValue& value) {
        TextString text;
        value.FormatValue(text);
        held.push_back(value.key.str() + (value.isSet ? " (given) : " : " : ") + text.str());
    };
    for (int i = 0; i < kPolicyCount; ++i) {
        const auto id = static_cast<Pol>(i);
        // The run's and the window's own are not the file's.
        if (GetPolicyDefinition(id).section != PolicySection::NotWritten) add(set.Policy(id));
    }
    for (TabPol id : TablePoliciesInWriterOrder()) add(set.GetDefaultTabConfig()->Policy(id));
    return held;
}

class EveryPolicyRoundTripTest : public SavePolicyDialogTest {
protected:
    // Loads the policy file `name` into the owner; the status lines of the
    // load.
    std::vector<std::string> Load(const std::string& name) {
        owner->runPolicyFileName = TextPathOf(name);
        EXPECT_TRUE(owner->LoadPolicyFile()) << name;
        std::vector<std::string> lines;
        const StringList& shown = TheStatusWindow().Lines;
        for (int i = 0; i < shown.count; ++i) lines.emplace_back(shown.TextAt(i));
        return lines;
    }
    // Saves what is in force over the loaded file, as the user does: the
    // name offered is the loaded file's, and the user agrees to replace it.
    void SaveOverTheLoadedFile(int choice = kSaveChangedOnly) {
        services.QueueAnswer(MessageAnswer::kYes);
        services.QueueRun()
            .ChooseRadio(kSavePolicyChangedOnly, kSavePolicyAll,
                         choice == kSaveAll ? kSavePolicyAll : kSavePolicyChangedOnly)
            .Press(kIdOk);
        ASSERT_EQ(RunSavePolicyDialog(*owner), kIdOk);
    }
    // Every line the reader refused or warned of.
    static std::vector<std::string> Complaints(const std::vector<std::string>& lines) {
        std::vector<std::string> complaints;
        for (const std::string& line : lines)
            if (line.rfind("POLICY:", 0) == 0 || line.find("WARNING") != std::string::npos ||
                line.find("ERROR") != std::string::npos)
                complaints.push_back(line);
        return complaints;
    }
};

// A file giving any one policy at a value other than its default, loaded and
// saved over itself, loads again to the very policies that were in force:
// the one it gives still given (among them those of "[Tarnell]" without a
// rule set, and the few no section of the file lists, such as "Display
// messages"), every other one as it was.
TEST_F(EveryPolicyRoundTripTest, AFileGivingAnyOnePolicyLoadsBackToThePoliciesItGave) {
    const std::vector<std::string> lines = EveryOtherValueLine();
    ASSERT_GT(lines.size(), 200u);
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        ASSERT_TRUE(WriteWhole(folder / "one.pol", line + "\n"));
        EXPECT_EQ(Complaints(Load("one.pol")), std::vector<std::string>{});
        const std::vector<std::string> inForce = Holdings(owner->PolicyFileSet());
        SaveOverTheLoadedFile();
        EXPECT_EQ(Complaints(Load("one.pol")), std::vector<std::string>{});
        EXPECT_EQ(Differences(inForce, Holdings(owner->PolicyFileSet())), std::vector<std::string>{})
            << ReadWhole(folder / "one.pol");
    }
}

// A file giving every policy, with the user's changes over it: saved
// (changed policies only, and all) and loaded again, the policies are those
// that were in force, the user's changes included.
TEST_F(EveryPolicyRoundTripTest, EveryPolicyGivenAndChangedLoadsBackAsItWasInForce) {
    std::string given;
    for (const std::string& line : EveryOtherValueLine()) given += line + "\n";
    for (const int choice : {kSaveChangedOnly, kSaveAll}) {
        SCOPED_TRACE(choice);
        ASSERT_TRUE(WriteWhole(folder / "every.pol", given));
        ASSERT_EQ(Complaints(Load("every.pol")), std::vector<std::string>{});
        // The user's changes, kept from a sheet.
        owner->WorkingSet().SetInt(Pol::DisplayMessages, 1);
        owner->WorkingSet().SetInt(Pol::AddFontMarkup, 0);
        owner->WorkingSet().SetText(Pol::DocumentTitle, "Changed by the user");
        owner->WorkingSet().GetDefaultTabConfig()->SetInt(TabPol::BorderSize, 7);
        owner->policiesEdited = 1;
        FC inForce;
        inForce.CopyPolicies(owner->PolicyFileSet());
        inForce.MergeChangedPolicies(owner->WorkingSet(), 1);
        const std::vector<std::string> wanted = Holdings(inForce);
        SaveOverTheLoadedFile(choice);
        EXPECT_EQ(Complaints(Load("every.pol")), std::vector<std::string>{});
        EXPECT_EQ(Differences(wanted, Holdings(owner->PolicyFileSet())), std::vector<std::string>{});
    }
}

}  // namespace
