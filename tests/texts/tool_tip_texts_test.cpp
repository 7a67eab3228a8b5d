#include "texts/tool_tip_texts.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "foundation/unicode_text.h"
#include "texts/tool_tip_tables.h"

namespace {

const char kNoTip[] = "*** No Tool Tip text for this control ***";

const int kTranslations[] = {kLanguageGerman,     kLanguageSpanish, kLanguageFrench,
                             kLanguagePortuguese, kLanguageItalian, kLanguageSwedish};

const int kEverySwitch[] = {kLanguageKeep,       kLanguageEnglish,
                            kLanguageGerman,     kLanguageSpanish,
                            kLanguageFrench,     ToolTipTexts::kNoLanguage,
                            kLanguagePortuguese, kLanguageItalian,
                            kLanguageSwedish,    9};

// Every control id that has a tip (control ids stay below 10000).
const std::vector<int>& ControlsWithTips() {
    static const std::vector<int> ids = [] {
        std::vector<int> found;
        for (int id = -1; id < 10000; ++id)
            if (ToolTipTexts::TextIndexOf(id) >= 0) found.push_back(id);
        return found;
    }();
    return ids;
}

std::vector<std::string> AllTips(ToolTipTexts& table) {
    std::vector<std::string> tips;
    for (int id : ControlsWithTips()) tips.emplace_back(table.GetText(id));
    return tips;
}

TEST(ToolTipTexts, EveryTextHasItsControlsAndControlsWithoutOneAreAnsweredSo) {
    const std::vector<int>& ids = ControlsWithTips();
    EXPECT_EQ(ids.size(), 106u);
    std::set<int> indexes;
    for (int id : ids) indexes.insert(ToolTipTexts::TextIndexOf(id));
    EXPECT_EQ(indexes.size(), static_cast<size_t>(ToolTipTexts::kTextCount));
    EXPECT_EQ(*indexes.begin(), 0);
    EXPECT_EQ(*indexes.rbegin(), ToolTipTexts::kTextCount - 1);

    ToolTipTexts table;
    table.SetLanguage(kLanguageEnglish);
    for (int id : {2009, 0, -1, 1, 1000, 1002, 9007, 32772}) EXPECT_STREQ(table.GetText(id), kNoTip) << id;
}

TEST(ToolTipTexts, EnglishTextsAreExact) {
    const std::pair<int, const char*> cases[] = {
        {1015, "Start the conversion"},
        {1137, "Default header size in each table. A value of 0 means \"calculate\""},
        {1134, "Default border size. A value of 0 means \"none\""},
        {1600,
         "Character encoding to be used for document.  Should match original character set (default is ascii)"},
        {1128, "Location of the HTML doco on the local disk (file "},
        {1043, "Perform only simple analysis. Don't look for headings etc."},
        {1011, "File containing HTML to be copied into the <HEAD> of each HTML page"},
        {1289, "Name of DDE service, Use if now one of the known DDE services"},
        {9006, "Minimum number of spaces to define a column boundary"},
        {1208, "Convert numbers in the table to hyperlinks to section numbers"},
    };
    ToolTipTexts table;
    table.SetLanguage(kLanguageEnglish);
    for (const auto& [id, text] : cases) EXPECT_STREQ(table.GetText(id), text) << id;
}

TEST(ToolTipTexts, ControlsThatSayTheSameShareOneText) {
    const std::vector<int> groups[] = {
        {1077, 1078, 1079}, {1122, 1001}, {1505, 1121, 1003}, {1520, 1072}, {1128, 1076},
        {1130, 1129, 1237}, {1287, 1286}, {1127, 1075},       {1131, 2077}, {1144, 1150},
        {1145, 1061},       {1147, 1062}, {1151, 1063},
    };
    for (int code : {kLanguageEnglish, kLanguageGerman}) {
        ToolTipTexts table;
        table.SetLanguage(code);
        for (const std::vector<int>& group : groups)
            for (int id : group) {
                EXPECT_EQ(ToolTipTexts::TextIndexOf(id), ToolTipTexts::TextIndexOf(group.front())) << id;
                EXPECT_EQ(table.GetText(id), table.GetText(group.front())) << id;
            }
    }
    ToolTipTexts table;
    table.SetLanguage(kLanguageEnglish);
    EXPECT_STREQ(table.GetText(1079), "Select the output file extension");
    // Different controls with different words keep them apart.
    EXPECT_STRNE(table.GetText(1144), table.GetText(1145));
}

TEST(ToolTipTexts, LanguageCodesAndWhatTheyLoad) {
    struct Case {
        std::vector<int> switches;
        int current;
        const char* tip1015;
    };
    const Case cases[] = {
        // Before any choice nothing is loaded, and choosing "no language" loads nothing.
        {{}, ToolTipTexts::kNoLanguage, ""},
        {{ToolTipTexts::kNoLanguage}, ToolTipTexts::kNoLanguage, ""},
        // Unknown codes load English and are remembered as English.
        {{9}, kLanguageEnglish, "Start the conversion"},
        {{kLanguageGerman, 9}, kLanguageEnglish, "Start the conversion"},
        {{kLanguageGerman, -5}, kLanguageEnglish, "Start the conversion"},
        {{9, kLanguageEnglish}, kLanguageEnglish, "Start the conversion"},
        {{kLanguageGerman, ToolTipTexts::kNoLanguage}, kLanguageEnglish, "Start the conversion"},
        // -1 first: the lookup loads English and records it.
        {{kLanguageKeep}, kLanguageEnglish, "Start the conversion"},
        {{kLanguageKeep, kLanguageKeep}, kLanguageEnglish, "Start the conversion"},
        // -1 after a language keeps it, also through the lookup.
        {{kLanguageGerman, kLanguageKeep}, kLanguageKeep, "Konvertierung beginnen"},
        {{kLanguageKeep, kLanguageSwedish}, kLanguageSwedish, "Starta konverteringen"},
    };
    for (const Case& c : cases) {
        ToolTipTexts table;
        for (int code : c.switches) table.SetLanguage(code);
        const std::string where = c.switches.empty() ? "no switch" : "after " + std::to_string(c.switches.back());
        EXPECT_STREQ(table.GetText(1015), c.tip1015) << where;
        EXPECT_EQ(table.CurrentLanguage(), c.current) << where;
    }
}

TEST(ToolTipTexts, TellingRowsOfEveryTranslation) {
    struct Row {
        int id;
        // German, Spanish, French, Portuguese, Italian, Swedish.
        std::array<const char*, 6> texts;
    };
    const Row rows[] = {
        {1015,
         {"Konvertierung beginnen", "Inicie la conversión", "Commencer la conversion", "Iniciar conversão",
          "Iniziare la conversione", "Starta konverteringen"}},
        {1198,
         {"de: Launch viewer application to load output file",
          "Lanzar aplicación de visualización para cargar el fichero de salida",
          "fr: Launch viewer application to load output file", "pg: Launch viewer application to load output file",
          "Lancia il visore per caricare il file di output", "Kör programmet för granskning av utmatningsfilen"}},
        {1132,
         {"Soll vorformatierter Text in eine Tabelle eingefügt werden, wenn möglich?",
          "Poner texto pre-formateado en tablas HTML si es posible",
          "Placer si possible du texte préformatée dans le tableau?",
          "Inserir texto pré formatado em tabelas HTML (<TABLE>)?",
          "Si deve possibilmente disporre il testo pre-formattato una TABELLA?",
          "Skall för-formaterad text placeras i en tabell om det är möjligt?"}},
        // Portuguese has no text of its own here: English shows.
        {1452,
         {"Präfix vor URL-Dateiangabe. Notwendig in manchen, ein Problem in anderen Browsern",
          "Añadir un prefijo al URL del fichero. Necesario para algunos navegadores; puede causar problemas en "
          "otros.",
          "Ajouter un préfixe à URL du fichier. Nécessaire pour quelques navigateurs, problèmes avec certains",
          "Add a prefix to the file URL.  Needed by some browsers, causes problems in others",
          "Aggiungi un prefisso all'URL del file. Necessario per alcuni browsers, ma causa problemi in altri "
          "browsers",
          "Lägg till ett prefix till filens URL. Krävs av vissa webbläsare, blir problem i andra"}},
    };
    for (size_t language = 0; language < std::size(kTranslations); ++language) {
        ToolTipTexts table;
        table.SetLanguage(kTranslations[language]);
        for (const Row& row : rows)
            EXPECT_STREQ(table.GetText(row.id), row.texts[language])
                << "language " << kTranslations[language] << " control " << row.id;
    }
    // Portuguese after German: English, not the German text before it.
    ToolTipTexts table;
    table.SetLanguage(kLanguageGerman);
    table.SetLanguage(kLanguagePortuguese);
    EXPECT_STREQ(table.GetText(1452), rows[3].texts[3]);
}

// Every row is UTF-8, is keyed by the control that owns its text (a row keyed
// by a control that shows another's text would be lost) and names its text
// once.
TEST(ToolTipTexts, RowsAreUtf8AndKeyedByTheOwnerOfTheirText) {
    const std::pair<int, std::span<const TextRow>> languages[] = {
        {kLanguageEnglish, EnglishToolTipRows()},       {kLanguageGerman, GermanToolTipRows()},
        {kLanguageSpanish, SpanishToolTipRows()},       {kLanguageFrench, FrenchToolTipRows()},
        {kLanguagePortuguese, PortugueseToolTipRows()}, {kLanguageItalian, ItalianToolTipRows()},
        {kLanguageSwedish, SwedishToolTipRows()},
    };
    for (const auto& [code, rows] : languages) {
        ToolTipTexts table;
        table.SetLanguage(code);
        std::set<int> indexes;
        for (const TextRow& row : rows) {
            const std::string where = std::to_string(code) + " control " + std::to_string(row.slot);
            EXPECT_TRUE(indexes.insert(ToolTipTexts::TextIndexOf(row.slot)).second) << where << " twice";
            EXPECT_STREQ(table.GetText(row.slot), row.text) << where;
            TextString text(row.text);
            EXPECT_FALSE(unicode::MendUtf8Line(text)) << where << " is not UTF-8";
            EXPECT_NE(*row.text, '\0') << where;
        }
        if (code == kLanguageEnglish) {
            EXPECT_EQ(indexes.size(), static_cast<size_t>(ToolTipTexts::kTextCount));
        }
    }
}

// Every sequence of three switches: once any language was chosen, every
// control with a tip shows a text, and the texts are those of the language
// in force over English; before that, nothing is loaded.
TEST(ToolTipTexts, NoTipIsEverEmptyInAnyOrderOfSwitches) {
    std::map<int, std::vector<std::string>> reference;
    for (int code : kEverySwitch) {
        ToolTipTexts table;
        table.SetLanguage(code);
        reference[code] = AllTips(table);
    }
    const std::vector<std::string> english = reference[kLanguageEnglish];
    EXPECT_EQ(reference[kLanguageKeep], english);
    EXPECT_EQ(reference[9], english);

    int failures = 0;
    for (int first : kEverySwitch)
        for (int second : kEverySwitch)
            for (int third : kEverySwitch) {
                ToolTipTexts table;
                std::vector<std::string> expected = reference[ToolTipTexts::kNoLanguage];
                int shown = ToolTipTexts::kNoLanguage;
                for (int code : {first, second, third}) {
                    table.SetLanguage(code);
                    // The language whose tips show: -1 keeps it (English
                    // before any), unknown codes show English.
                    if (code == kLanguageKeep) {
                        if (shown == ToolTipTexts::kNoLanguage) shown = kLanguageEnglish;
                    } else if (code != shown) {
                        shown = reference.count(code) && code != ToolTipTexts::kNoLanguage ? code : kLanguageEnglish;
                    }
                    expected = reference[shown];
                    const std::vector<std::string> tips = AllTips(table);
                    bool good = tips == expected;
                    for (const std::string& tip : tips)
                        good = good && tip.empty() == (shown == ToolTipTexts::kNoLanguage);
                    if (!good && ++failures <= 5)
                        ADD_FAILURE() << "switches " << first << ", " << second << ", " << third << " at " << code;
                }
            }
    EXPECT_EQ(failures, 0);
}

TEST(ToolTipTexts, TheProgramsTableIsTheOneTheFunctionsUse) {
    SetToolTipLanguage(kLanguageItalian);
    EXPECT_EQ(TheToolTipTexts().CurrentLanguage(), kLanguageItalian);
    EXPECT_STREQ(GetToolTipText(1015), "Iniziare la conversione");
    EXPECT_STREQ(GetToolTipText(2009), kNoTip);
    SetToolTipLanguage(kLanguageEnglish);
    EXPECT_STREQ(GetToolTipText(1015), "Start the conversion");
}

}  // namespace
