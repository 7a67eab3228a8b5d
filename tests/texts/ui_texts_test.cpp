#include "texts/ui_texts.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "foundation/product_identity.h"
#include "texts/dialog_ids.h"
#include "texts/dialog_texts.h"
#include "texts/ui_slots.h"
#include "support/language_switches.h"

namespace {

const int kTranslations[] = {kLanguageGerman,     kLanguageSpanish, kLanguageFrench,
                             kLanguagePortuguese, kLanguageItalian, kLanguageSwedish};

// Every code a language switch may be given: keep, "no language", the seven
// languages and one the program has no texts for.
const int kEverySwitch[] = {kLanguageKeep,       kLanguageEnglish,
                            kLanguageGerman,     kLanguageSpanish,
                            kLanguageFrench,     UiTextTable::kNoLanguage,
                            kLanguagePortuguese, kLanguageItalian,
                            kLanguageSwedish,    9};

const int kEveryDialogId[] = {kAboutDialogId,
                              kStatusWindowDialogId,
                              kAddedHTMLPageDialogId,
                              kHyperlinksPageDialogId,
                              kPolicyFileDialogId,
                              kSavePolicyDialogId,
                              kColoursPageDialogId,
                              kTablePageDialogId,
                              kTabAnalPageDialogId,
                              kFontPageDialogId,
                              kSettingsDragPageDialogId,
                              kSettingsViewerPageDialogId,
                              kSettingsPolicyPageDialogId,
                              kSettingsDocoPageDialogId,
                              kSettingsMessagesPageDialogId,
                              kRTFDocumentPageDialogId,
                              kFileStructPageDialogId,
                              kRTFSettingsPageDialogId,
                              kMoreHtmlOptionsDialogId,
                              kMainDialogId};

// The slots the program reads: every slot of the per-dialog table and the
// ones looked up directly.
std::set<int> SlotsTheProgramReads() {
    std::set<int> slots = {kUiAboutCaption,
                           kUiPolicyFileCaption,
                           kUiTabAddedHtml,
                           kUiTabColours,
                           kUiTabFonts,
                           kUiTabHyperlinks,
                           kUiTabRtfDocumentDetails,
                           kUiTabRtfSettings,
                           kUiTabTableGeneration,
                           kUiTabFileStructure,
                           kUiTabTableAnalysis,
                           kUiTabDocumentation,
                           kUiTabDragAndDrop,
                           kUiTabMessages,
                           kUiTabPolicyFiles,
                           kUiTabViewers,
                           kUiAnalysisSheetCaption,
                           kUiOutputSheetCaption,
                           kUiSettingsSheetCaption,
                           kUiSheetOk,
                           kUiSheetCancel,
                           kUiSheetApply,
                           kUiSheetHelp};
    for (int id : kEveryDialogId) {
        const DialogTextEntry* entry = FindDialogTexts(id);
        if (!entry) continue;
        if (entry->captionSlot != kNoCaptionSlot) slots.insert(entry->captionSlot);
        for (const DialogTextItem& item : entry->items) slots.insert(item.slot);
    }
    return slots;
}

TEST(UiTexts, NothingIsLoadedUntilALanguageIsChosen) {
    UiTextTable table;
    EXPECT_STREQ(table.GetText(UiTextTable::kSlotCount), "???");
    EXPECT_STREQ(table.GetText(-1), "???");
    EXPECT_STREQ(table.GetText(654), "");
    EXPECT_STREQ(table.GetText(kUiAboutCaption), "");
    EXPECT_EQ(table.CurrentLanguage(), UiTextTable::kNoLanguage);

    // "No language" as the first choice is the current code: nothing loads.
    table.SetLanguage(UiTextTable::kNoLanguage);
    EXPECT_STREQ(table.GetText(kUiAboutCaption), "");
    EXPECT_STREQ(table.GetText(kUiHomePageAddress), "");

    table.SetLanguage(kLanguageEnglish);
    EXPECT_EQ(table.CurrentLanguage(), kLanguageEnglish);
    EXPECT_STREQ(table.GetText(kUiAboutCaption), "About qqqqqqqq");
    EXPECT_STREQ(table.GetText(654), "");
    EXPECT_STREQ(table.GetText(UiTextTable::kSlotCount), "???");

    // The same code again changes nothing.
    const std::vector<std::string> before = AllSlotTexts(table);
    table.SetLanguage(kLanguageEnglish);
    EXPECT_EQ(AllSlotTexts(table), before);
    EXPECT_EQ(table.CurrentLanguage(), kLanguageEnglish);
}

TEST(UiTexts, EnglishTextsAreExact) {
    struct Case {
        int slot;
        const char* text;
    };
    const Case cases[] = {
        {4, "qqqqqqqq Version n.nn - Mmmm 19xx release"},
        {164, "http://  and www references"},
        {178, "Allow \"weak\" FTP links"},
        {217, "qqqqqqqq Policy File"},
        {388, "<FONT>...</FONT> tags"},
        {406, "Add \"file://localhost/\" prefix"},
        {436, "Title :"},
        {466, "Expect \"C\"-like code samples"},
        {531, "Help"},
        {567, "Allow \"generated by Morvane\" comment in code"},
        {571, "Charset"},
    };
    UiTextTable table;
    table.SetLanguage(kLanguageEnglish);
    for (const Case& c : cases) EXPECT_STREQ(table.GetText(c.slot), c.text) << "slot " << c.slot;
    EXPECT_NE(*table.GetText(5), '\0');
}

TEST(UiTexts, TellingRowsOfEveryTranslation) {
    struct Row {
        int slot;
        // German, Spanish, French, Portuguese, Italian, Swedish.
        std::array<const char*, 6> texts;
    };
    const Row rows[] = {
        {3,
         {"Über qqqqqqqq", "Sobre qqqqqqqq", "A propos de qqqqqqqq", "Sobre qqqqqqqq", "Informazioni su qqqqqqqq",
          "Om qqqqqqqq"}},
        {217,
         {"qqqqqqqq Basisdatei", "Política de uso de qqqqqqqq", "Fichier des règles de conversion de qqqqqqqq",
          "Arquivo de Parâmetros qqqqqqqq", "File di struttura di qqqqqqqq", "qqqqqqqq Regelfil"}},
        {285,
         {"Tabellenerkennung und -erzeugung versuchen", "Reconocer y generar tablas",
          "Identification et génération de TABLE", "Tentar reconhecimento e criação de TABELA",
          "Tentativo di riconoscimento e generazione della tabella", "Tillåt erkännande och generering av TABLE"}},
        {391,
         {"Drag & Drop-Eigenschaften", "Opciones del Tira-y-Suelta", "Propriétés du glisser déposer",
          "Opções de arrastar e soltar", "Proprietà del Drag'n'Drop", "Egenskaper för Dra'o'Släpp"}},
        {436, {"Title:", "Título", "Titre:", "Título", "Titolo:", "Titel :"}},
        {525,
         {"Analyse Regeldaten", "Opciones de Análisis", "Réglages pour l'analyse", "Opções de Análise",
          "Analisi di struttura", "Analysregler"}},
        {526,
         {"Ausgabe Regeldaten", "Opciones de Salida", "Réglages de sortie", "Opções de Destino",
          "Strutture dell'output", "Resultatregler"}},
        {527,
         {"Settings", "Configuración", "Configurations du programme", "Opções do Programa",
          "Impostazioni del programma", "Programinställningar"}},
        {528, {"OK", "Aceptar", "OK", "OK", "OK", "OK"}},
        {529, {"Abbrechen", "Cancelar", "Annuler", "Cancelar", "Annulla", "Avbryt"}},
        {530, {"Anwenden", "Aplicar", "Appliquer", "Aplicar", "Applica", "Applicera"}},
        {531, {"Hilfe", "Ayuda", "Aide", "Ajuda", "Aiuto", "Hjälp"}},
    };
    for (size_t language = 0; language < std::size(kTranslations); ++language) {
        UiTextTable table;
        table.SetLanguage(kTranslations[language]);
        for (const Row& row : rows)
            EXPECT_STREQ(table.GetText(row.slot), row.texts[language])
                << "language " << kTranslations[language] << " slot " << row.slot;
    }
}

TEST(UiTexts, TitleLabelsInGermanSpanishAndPortuguese) {
    struct Case {
        std::vector<int> switches;
        const char* title67;
        const char* title436;
    };
    const Case cases[] = {
        {{kLanguageGerman}, "Titel des Dokuments", "Title:"},
        {{kLanguageEnglish, kLanguageGerman}, "Titel des Dokuments", "Title:"},
        {{kLanguageSpanish}, "Título del Documento", "Título"},
        {{kLanguageFrench, kLanguagePortuguese}, "Título do Documento", "Título"},
        // French's own title label replaces the German before it.
        {{kLanguageGerman, kLanguageFrench}, "Titre du document", "Titre:"},
    };
    for (const Case& c : cases) {
        UiTextTable table;
        for (int code : c.switches) table.SetLanguage(code);
        EXPECT_STREQ(table.GetText(67), c.title67) << "after " << c.switches.back();
        EXPECT_STREQ(table.GetText(436), c.title436) << "after " << c.switches.back();
    }
}

TEST(UiTexts, TheProductsAddressesInEveryLanguage) {
    TextString home;
    GetProductHomePage(home);
    TextString folder;
    TextString page;
    GetDocumentationAddress(folder, page);
    TextString mail;
    GetContactEmailAddress(mail);
    // The mail address is at the maker's domain, the host of the web site.
    const std::string domain = mail.str().substr(mail.str().find('@') + 1);
    EXPECT_NE(home.str().find("://www." + domain + "/"), std::string::npos) << home.str() << " " << mail.str();

    for (int code : kEverySwitch) {
        UiTextTable table;
        table.SetLanguage(kLanguageGerman);
        table.SetLanguage(code);
        EXPECT_EQ(table.GetText(kUiHomePageAddress), home.str()) << code;
        EXPECT_EQ(table.GetText(kUiDocumentationAddress), (folder + page).str()) << code;
        EXPECT_EQ(table.GetText(kUiContactEmailAddress), mail.str()) << code;
    }
}

// Every sequence of three switches: once any language was chosen, each slot
// holds exactly what the last loading language gives over English, and no
// slot the program reads is empty; before that, nothing is loaded.
TEST(UiTexts, NoSlotTheProgramReadsIsEverEmptyInAnyOrderOfSwitches) {
    const std::set<int> read = SlotsTheProgramReads();
    ASSERT_EQ(read.size(), 224u);
    EXPECT_EQ(CountSwitchOrdersBreakingTheLoadRule<UiTextTable>(kEverySwitch, read), 0);
}

TEST(UiTexts, TheProgramsTableIsTheOneTheFunctionsUse) {
    EXPECT_STREQ(GetUiText(-1), "???");
    SetUiLanguage(kLanguageSwedish);
    EXPECT_EQ(TheUiTextTable().CurrentLanguage(), kLanguageSwedish);
    EXPECT_STREQ(GetUiText(kUiSheetHelp), "Hjälp");
    SetUiLanguage(kLanguageEnglish);
    EXPECT_STREQ(GetUiText(kUiSheetHelp), "Help");
}

}  // namespace
