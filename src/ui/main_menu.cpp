#include "ui/main_menu.h"

#include <array>

#include "texts/main_menu_commands.h"
#include "texts/main_menu_layout.h"
#include "texts/menu_texts.h"
#include "ui/menu_model.h"

void BuildMainMenu(MenuModel& menu) {
    Menu& bar = menu.Bar();

    Menu& file = bar.AddDropDown("&File");
    file.AddItem(kCommandConvert, "Convert...");
    file.AddItem(kCommandLoadPolicyFile, "&Load policy file...");
    file.AddItem(kCommandSavePolicyFile, "&Save policy file...");
    file.AddSeparator();
    file.AddItem(kCommandExit, "E&xit");

    Menu& options = bar.AddDropDown("&Conversion options");
    Menu& analysis = options.AddDropDown("&Analysis policies");
    analysis.AddItem(kCommandAnalysisFileStructure, "&File structure");
    analysis.AddItem(kCommandAnalysisTables, "&Tables");
    options.AddSeparator();
    Menu& output = options.AddDropDown("&Output Policies");
    output.AddItem(kCommandOutputTitleAndDescription, "&Title, description etc");
    output.AddItem(kCommandOutputTables, "T&able generation");
    output.AddItem(kCommandOutputColours, "&Document colours");
    output.AddItem(kCommandOutputHyperlinks, "&Hyperlinks");
    output.AddItem(kCommandOutputFonts, "&Fonts");
    output.AddItem(kCommandOutputDocumentSettings, "Document &settings");
    output.AddItem(kCommandOutputRtfSettings, "&RTF settings");
    options.AddSeparator();
    options.AddItem(kCommandReanalyse, "Re-anal&yse the file");
    options.AddItem(kCommandResetToDefaults, "&Reset to defaults");

    Menu& settings = bar.AddDropDown("&Settings");
    settings.AddItem(kCommandSettingsDocumentation, "Do&cumentation");
    settings.AddItem(kCommandSettingsDragAndDrop, "&Drag and drop properties");
    settings.AddItem(kCommandSettingsDiagnostics, "Dia&gnostics");
    settings.AddItem(kCommandSettingsViewers, "&Viewers for results files");
    settings.AddItem(kCommandSettingsPolicyFiles, "Use of &Policy files");
    settings.AddSeparator();
    settings.AddItem(kCommandShowToolTips, "Show &Tool Tips");
    settings.AddItem(kCommandShowStatusDialog, "Show Status Dialog");
    settings.AddItem(kCommandAutoViewResults, "Show results automatically");

    Menu& language = bar.AddDropDown("&Language");
    language.AddItem(kCommandLanguageEnglish, "English");
    language.AddItem(kCommandLanguageGerman, "German");
    language.AddItem(kCommandLanguageSpanish, "Spanish");
    language.AddItem(kCommandLanguageFrench, "French");
    language.AddItem(kCommandLanguagePortuguese, "Portuguese");
    language.AddItem(kCommandLanguageItalian, "Italian");
    language.AddItem(kCommandLanguageSwedish, "Swedish");
    language.AddSeparator();
    language.AddItem(kCommandLanguageOther, "Other...");

    Menu& view = bar.AddDropDown("&View");
    view.AddItem(kCommandViewMessages, "View &messages from last conversion");
    view.AddItem(kCommandViewResults, "View the last &Conversion");

    Menu& help = bar.AddDropDown("&Help");
    help.AddItem(kCommandHelpContents, "&Contents");
    help.AddSeparator();
    help.AddItem(kCommandAbout, "&About...");
    help.AddSeparator();
    Menu& documentation = help.AddDropDown("&HTML documentation");
    documentation.AddItem(kCommandLocalDocumentation, "Local (on your hard drive)");
    documentation.AddItem(kCommandWebDocumentation, "On the Web (need to be online)");
    help.AddSeparator();
    Menu& products = help.AddDropDown("Other products on the Web");
    products.AddItem(kCommandMorvanePage, "Morvane (text to HTML)");
    products.AddItem(kCommandPellionPage, "Pellion (text to RTF)");

    Menu& updates = bar.AddDropDown("&Updates");
    updates.AddItem(kCommandCheckForUpdates, "Check for &Newer versions");
}

void SetMenuItemTextByCommand(Menu* menu, int commandId, int slot) {
    if (menu == nullptr || !menu->HasCommand(commandId)) return;
    menu->SetCommandText(commandId, GetMenuText(slot));
    menu->EnableCommand(commandId, true);
    menu->CheckCommand(commandId, false);
}

void SetMenuItemTextByPosition(Menu* menu, int position, int slot) {
    if (menu == nullptr || position < 0 || slot < 0 || menu->EntryAt(position) == nullptr) return;
    menu->SetTextAt(position, GetMenuText(slot));
}

void ApplyMenuTexts(MenuModel* menu) {
    if (menu == nullptr) return;

    // Every drop-down first, parents before the drop-downs inside them, so
    // that relabelling cannot change what is found.
    std::array<Menu*, kMainMenuPartCount> parts{};
    parts[static_cast<int>(MainMenuPart::kMenuBar)] = &menu->Bar();
    for (const MenuDropDownPlace& place : kMainMenuDropDowns) {
        Menu* parent = parts[static_cast<int>(place.parent)];
        parts[static_cast<int>(place.dropDown)] = parent == nullptr ? nullptr : parent->DropDownAt(place.position);
    }

    auto relabel = [&](const MenuItemLabel& label) {
        Menu* target = parts[static_cast<int>(label.menu)];
        if (label.lookup == MenuItemLookup::kByPosition)
            SetMenuItemTextByPosition(target, label.item, label.slot);
        else
            SetMenuItemTextByCommand(target, label.item, label.slot);
    };
    // The titles of the bar, then the last one moved to its right edge,
    // then the drop-downs.
    for (const MenuItemLabel& label : kMainMenuLabels)
        if (label.menu == MainMenuPart::kMenuBar) relabel(label);
    menu->Bar().SetRightJustifiedAt(kRightJustifiedTitlePosition, true);
    for (const MenuItemLabel& label : kMainMenuLabels)
        if (label.menu != MainMenuPart::kMenuBar) relabel(label);
}
