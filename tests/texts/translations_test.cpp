// The six translations, checked on each language's own rows: the texts in
// use are all there, each is valid UTF-8 and differs from the English one
// unless the language's reviewed list says why not, the tokens callers fill
// in and the parts the platform reads (filter patterns, access keys, line
// breaks) are kept, and the rows that were given from the start stay exactly
// as they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/translation_rows.h"
#include "texts/main_menu_layout.h"
#include "texts/message_slots.h"

namespace {

using Table = TranslationTable;

// A row the language leaves unset (the slot shows English), and a slot whose
// text in that language is free.
const char kUnset[] = "(unset)";
const char kNotGiven[] = "(free)";

struct TellingRow {
    Table table;
    int key;
    // German, Spanish, French, Portuguese, Italian, Swedish.
    std::array<const char*, 6> texts;
};

// The rows every translation started from, byte for byte.
const TellingRow kTellingRows[] = {
    {TranslationTable::kMessages,
     3,
     {"Falsches Verzeichnis", "Error en el Directorio", "Erreur de répertoire", "Erro de Diretório",
      "Cartella sbagliata", "Katalogfel"}},
    {TranslationTable::kMessages,
     30,
     {"Keine Dateien gefunden \"xxxxxx\"", "Ficheros no encontrados \"xxxxxx\"", "Aucun fichier trouvé \"xxxxxx\"",
      "Nenhum arquivo encontrado \"xxxxxx\"", "Nessun file trovato \"xxxxxx\"", "Inga filer hittades \"xxxxxx\""}},
    {TranslationTable::kMessages,
     47,
     {"Kommando \"ccc url\" nicht erfolgreich. \n\r  Fehlercode=nnn",
      "Fallo del comando \"ccc url\".\n\r  Código de error=nnn",
      "La commande \"ccc url\" a échoué.\n Error code=nnn", "Comando \"ccc url\" falhou. \n\r Código de erro=nnn",
      "Comando \"ccc url\" fallito.\n\rCodice d'errore=nnn",
      "Kommandot \"ccc url\" misslyckades.\n\r   Error code=nnn"}},
    {TranslationTable::kMessages,
     49,
     {"Kann die Datei \"ffffff\" nicht finden", "Fichero no encontrado \"ffffff\"",
      "Impossible de localiser le fichier \"ffffff\"", "Arquivo não localizado \"ffffff\"",
      "File non localizzato \"ffffff\"", "Kan inte lokalisera filen \"ffffff\""}},
    {TranslationTable::kMessages, 65, {"Links", "Izquierda", "Gauche", "Esquerda", "Sinistra", "Vänster"}},
    {TranslationTable::kMessages,
     68,
     {"\"Blocksatz\"", "Justificado", "Justifié", "Justificado", "Justified", "Justerbar"}},
    {TranslationTable::kMessages,
     71,
     {"%%%%%%%%%%%%%%%%% Konvertierung fertig %%%%%%%%%%%%%%%%%",
      "%%%%%%%%%%%%%%%%%%% Conversión completa %%%%%%%%%%%%%%%%%%",
      "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%",
      "%%%%%%%%%%%%%%%%%%% Conversão completa %%%%%%%%%%%%%%%%%%",
      "%%%%%%%%%%%%%%%%%%% Conversione completa %%%%%%%%%%%%%%%%%%",
      "%%%%%%%%%%%%%%%%%%% Konvertering färdig %%%%%%%%%%%%%%%%%%"}},
    {TranslationTable::kMessages,
     87,
     {"Regeldateien (*.pol)|*.pol|Alle Dateien (*.*)|*.*|",
      "Ficheros de política de uso (*.pol)|*.pol|Todos los ficheros (*.*)|*.*|",
      "Fichiers de réglages (*.pol)|*.pol|All files (*.*)|*.*|",
      "Arquivos de Parâmetro (*.pol)|*.pol|Todos os arquivos (*.*)|*.*|",
      "File di struttura (*.pol)|*.pol|Tutti i file (*.*)|*.*||", "Regelfiler (*.pol)|*.pol|Alla filer (*.*)|*.*|"}},
    {TranslationTable::kMessages,
     94,
     {"Text Dateien (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Alle Dateien (*.*)|*.*||",
      "Ficheros de texto (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Todos los ficheros "
      "(*.*)|*.*||",
      kUnset,
      "Arquivos de texto (*.txt,*.asc)|*.txt;*.asc|Comma-separated files (*.csv)|*.csv|Todos os arquivos "
      "(*.*)|*.*||",
      "File di testo (*.txt,*.asc)|*.txt;*.asc|Comma separated files (*.csv)|*.csv|Tutti i file (*.*)|*.*||",
      "Textfiler (*.txt,*.asc)|*.txt;*.asc|Komma-separerade filer (*.csv)|*.csv|Alla filer (*.*)|*.*||"}},
    {TranslationTable::kMessages,
     108,
     {"de: No delimiter character specified", "Carácter de delimitación no especificado",
      "Aucune délimitation des caractères n'est spécifiée", "pg: No delimiter character specified",
      "Nessun carattere delimitatore specificato", "Inget avgränsningstecken specificerat"}},
    {TranslationTable::kUi,
     3,
     {"Über qqqqqqqq", "Sobre qqqqqqqq", "A propos de qqqqqqqq", "Sobre qqqqqqqq", "Informazioni su qqqqqqqq",
      "Om qqqqqqqq"}},
    {TranslationTable::kUi,
     67,
     {"Titel des Dokuments", "Título del Documento", kNotGiven, "Título do Documento", kNotGiven, kNotGiven}},
    {TranslationTable::kUi,
     217,
     {"qqqqqqqq Basisdatei", "Política de uso de qqqqqqqq", "Fichier des règles de conversion de qqqqqqqq",
      "Arquivo de Parâmetros qqqqqqqq", "File di struttura di qqqqqqqq", "qqqqqqqq Regelfil"}},
    {TranslationTable::kUi,
     285,
     {"Tabellenerkennung und -erzeugung versuchen", "Reconocer y generar tablas",
      "Identification et génération de TABLE", "Tentar reconhecimento e criação de TABELA",
      "Tentativo di riconoscimento e generazione della tabella", "Tillåt erkännande och generering av TABLE"}},
    {TranslationTable::kUi,
     391,
     {"Drag & Drop-Eigenschaften", "Opciones del Tira-y-Suelta", "Propriétés du glisser déposer",
      "Opções de arrastar e soltar", "Proprietà del Drag'n'Drop", "Egenskaper för Dra'o'Släpp"}},
    {TranslationTable::kUi, 436, {"Title:", "Título", "Titre:", "Título", "Titolo:", "Titel :"}},
    {TranslationTable::kUi,
     525,
     {"Analyse Regeldaten", "Opciones de Análisis", "Réglages pour l'analyse", "Opções de Análise",
      "Analisi di struttura", "Analysregler"}},
    {TranslationTable::kUi,
     526,
     {"Ausgabe Regeldaten", "Opciones de Salida", "Réglages de sortie", "Opções de Destino", "Strutture dell'output",
      "Resultatregler"}},
    {TranslationTable::kUi,
     527,
     {"Settings", "Configuración", "Configurations du programme", "Opções do Programa", "Impostazioni del programma",
      "Programinställningar"}},
    {TranslationTable::kUi, 528, {"OK", "Aceptar", "OK", "OK", "OK", "OK"}},
    {TranslationTable::kUi, 529, {"Abbrechen", "Cancelar", "Annuler", "Cancelar", "Annulla", "Avbryt"}},
    {TranslationTable::kUi, 530, {"Anwenden", "Aplicar", "Appliquer", "Aplicar", "Applica", "Applicera"}},
    {TranslationTable::kUi, 531, {"Hilfe", "Ayuda", "Aide", "Ajuda", "Aiuto", "Hjälp"}},
    {TranslationTable::kMenus, 10, {"&Datei", "&Fichero", kUnset, "&Arquivo", "&File", "&Arkiv"}},
    {TranslationTable::kMenus,
     20,
     {"&Optionen Konvertierung", "&Opciones de conversión", "&Options de conversion", "Opções de Con&versão",
      "&Opzioni di conversione", "&Konvertering"}},
    {TranslationTable::kMenus,
     68,
     {"Eins&tellungen", "&Configuración", "&Configuration", "&Opções", "&Impostazioni", "&Inställningar"}},
    {TranslationTable::kMenus, 80, {"&Sprache", "&Idioma", "&Langue", "Idio&ma", "&Linguaggio", "&Språk"}},
    {TranslationTable::kMenus, 81, {"Englisch", "Inglés", "Anglais", "Inglês", "Inglese", "Engelska"}},
    {TranslationTable::kMenus, 88, {"Andere...", "Otro...", "Autre...", "Outro...", "Altro...", "Annat..."}},
    {TranslationTable::kMenus, 95, {"&Zeigen", "&Ver", "&Voir", "&Exibir", "&Visione", "&Granska"}},
    {TranslationTable::kMenus, 100, {"&Hilfe", "&Ayuda", "&Aide", "A&juda", "&Aiuto", "&Hjälp"}},
    {TranslationTable::kMenus,
     125,
     {"&Updates", "Actua&lizaciones", "Actualiser (&Updates)", "&Updates", "&Aggiornamenti", "&Uppdateringar"}},
    {TranslationTable::kTips,
     1015,
     {"Konvertierung beginnen", "Inicie la conversión", "Commencer la conversion", "Iniciar conversão",
      "Iniziare la conversione", "Starta konverteringen"}},
    {TranslationTable::kTips,
     1132,
     {"Soll vorformatierter Text in eine Tabelle eingefügt werden, wenn möglich?",
      "Poner texto pre-formateado en tablas HTML si es posible",
      "Placer si possible du texte préformatée dans le tableau?",
      "Inserir texto pré formatado em tabelas HTML (<TABLE>)?",
      "Si deve possibilmente disporre il testo pre-formattato una TABELLA?",
      "Skall för-formaterad text placeras i en tabell om det är möjligt?"}},
    {TranslationTable::kTips,
     1198,
     {"de: Launch viewer application to load output file",
      "Lanzar aplicación de visualización para cargar el fichero de salida",
      "fr: Launch viewer application to load output file", "pg: Launch viewer application to load output file",
      "Lancia il visore per caricare il file di output", "Kör programmet för granskning av utmatningsfilen"}},
    {TranslationTable::kTips,
     1452,
     {"Präfix vor URL-Dateiangabe. Notwendig in manchen, ein Problem in anderen Browsern",
      "Añadir un prefijo al URL del fichero. Necesario para algunos navegadores; puede causar problemas en otros.",
      "Ajouter un préfixe à URL du fichier. Nécessaire pour quelques navigateurs, problèmes avec certains", kUnset,
      "Aggiungi un prefisso all'URL del file. Necessario per alcuni browsers, ma causa problemi in altri browsers",
      "Lägg till ett prefix till filens URL. Krävs av vissa webbläsare, blir problem i andra"}},
};

int LanguageIndex(int code) { return code - kLanguageGerman; }

// The telling row of a language for a key; nullptr when there is none.
const char* TellingText(Table table, int code, int key) {
    for (const TellingRow& row : kTellingRows)
        if (row.table == table && row.key == key) {
            const char* text = row.texts[static_cast<size_t>(LanguageIndex(code))];
            return text == kNotGiven ? nullptr : text;
        }
    return nullptr;
}

bool IsUnsetTellingRow(Table table, int code, int key) { return TellingText(table, code, key) == kUnset; }

std::string Where(Table table, int code, int key) {
    return std::string(TranslationFolderName(code)) + "/" + TranslationTableName(table) + " " + std::to_string(key);
}

std::map<int, std::string> EnglishTexts(Table table) {
    std::map<int, std::string> texts;
    for (const TextRow& row : LanguageRows(table, kLanguageEnglish)) texts.emplace(row.slot, row.text);
    return texts;
}

// Strict UTF-8: no stray continuation bytes, no overlong forms, no UTF-16
// surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        int length = 0;
        uint32_t code = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            code = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            code = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            code = byte & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(length) > text.size()) return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += static_cast<size_t>(length);
    }
    return true;
}

TEST(TranslationRows, Utf8CheckerTellsGoodFromBad) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"Vänster", true},
        {"\xE2\x80\x9E"
         "C\xE2\x80\x9C",
         true},
        {"\xF0\x9F\x98\x80", true},
        {"V\xE4nster", false},
        {"\xC3", false},
        {"\xC0\xAF", false},
        {"\xED\xA0\x80", false},
        {"\x80", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
}

int CountOf(std::string_view text, std::string_view token) {
    int count = 0;
    for (size_t at = text.find(token); at != std::string_view::npos; at = text.find(token, at + token.size()))
        ++count;
    return count;
}

// The reviewed list of a language; the test is skipped while the language
// has none, i.e. until its translation lands.
#define REVIEWED_LIST_OR_SKIP(code, list)                                                                      \
    std::string listError;                                                                                     \
    const std::optional<SameAsEnglish> list = ReadSameAsEnglish(code, listError);                              \
    if (!list) GTEST_SKIP() << TranslationFolderName(code) << ": no same_as_english.txt yet (not translated)"; \
    EXPECT_EQ(listError, "")

class EachTranslation : public testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Languages, EachTranslation, testing::ValuesIn(kTranslationCodes),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(TranslationFolderName(info.param));
                         });

TEST_P(EachTranslation, EveryTextInUseIsThereAndNothingElse) {
    const int code = GetParam();
    REVIEWED_LIST_OR_SKIP(code, list);
    for (Table table : kTranslationTables) {
        const std::map<int, std::string> english = EnglishTexts(table);
        for (const auto& [key, text] : english) {
            const bool present = OwnText(table, code, key).has_value();
            EXPECT_EQ(present, !IsUnsetTellingRow(table, code, key)) << Where(table, code, key);
        }
        // A number outside the texts in use is a slip of the translator.
        for (const TextRow& row : LanguageRows(table, code))
            EXPECT_TRUE(english.contains(row.slot)) << Where(table, code, row.slot) << " is not a text in use";
    }
}

TEST_P(EachTranslation, EveryTextDiffersFromEnglishUnlessListed) {
    const int code = GetParam();
    REVIEWED_LIST_OR_SKIP(code, list);
    for (Table table : kTranslationTables) {
        for (const auto& [key, englishText] : EnglishTexts(table)) {
            const std::optional<std::string> own = OwnText(table, code, key);
            const bool listed = list->contains({table, key});
            const bool same = !own || *own == englishText;
            EXPECT_EQ(same, listed) << Where(table, code, key)
                                    << (listed ? " is listed but translated" : " equals the English text");
        }
    }
    // Nothing is listed that is not a text in use.
    for (const auto& [entry, reason] : *list)
        EXPECT_TRUE(EnglishTexts(entry.first).contains(entry.second)) << Where(entry.first, code, entry.second);
}

TEST_P(EachTranslation, UnsetTellingRowsAreListedAsSuch) {
    const int code = GetParam();
    REVIEWED_LIST_OR_SKIP(code, list);
    for (const TellingRow& row : kTellingRows) {
        if (row.texts[static_cast<size_t>(LanguageIndex(code))] != kUnset) continue;
        const auto entry = list->find({row.table, row.key});
        ASSERT_NE(entry, list->end()) << Where(row.table, code, row.key);
        EXPECT_EQ(entry->second, "unset telling row") << Where(row.table, code, row.key);
    }
}

// The checks below hold for whatever rows a language has, so they run on
// every language at once.

TEST(TranslationRows, TellingRowsAreKeptExactly) {
    for (const TellingRow& row : kTellingRows)
        for (int code : kTranslationCodes) {
            const char* expected = row.texts[static_cast<size_t>(LanguageIndex(code))];
            if (expected == kNotGiven) continue;
            const std::optional<std::string> own = OwnText(row.table, code, row.key);
            if (expected == kUnset) {
                EXPECT_FALSE(own.has_value()) << Where(row.table, code, row.key) << " is to stay unset";
            } else {
                EXPECT_EQ(own.value_or("(missing)"), expected) << Where(row.table, code, row.key);
            }
        }
}

TEST(TranslationRows, EveryTextIsValidUtf8AndNotEmpty) {
    for (int code : kTranslationCodes)
        for (Table table : kTranslationTables)
            for (const TextRow& row : LanguageRows(table, code)) {
                EXPECT_TRUE(IsValidUtf8(row.text)) << Where(table, code, row.slot);
                EXPECT_NE(*row.text, '\0') << Where(table, code, row.slot);
            }
}

// Callers fill the first case-sensitive occurrence of each token, so a
// translation keeps every token of its English text exactly once.
TEST(TranslationRows, PlaceholdersAppearExactlyOnce) {
    const struct {
        Table table;
        const char* token;
    } tokens[] = {
        {Table::kMessages, "xxxxxx"}, {Table::kMessages, "ffffff"}, {Table::kMessages, "ccc"},
        {Table::kMessages, "url"},    {Table::kMessages, "nnn"},    {Table::kUi, "qqqqqqqq"},
    };
    int checked = 0;
    for (const auto& [table, token] : tokens) {
        for (const auto& [key, english] : EnglishTexts(table)) {
            if (CountOf(english, token) == 0) continue;
            ASSERT_EQ(CountOf(english, token), 1) << "English " << TranslationTableName(table) << " " << key;
            for (int code : kTranslationCodes) {
                const std::optional<std::string> own = OwnText(table, code, key);
                if (!own) continue;
                ++checked;
                EXPECT_EQ(CountOf(*own, token), 1) << Where(table, code, key) << " \"" << token << "\"";
            }
        }
    }
    EXPECT_GT(checked, 0);
    // "ccc url" stays together in its quotes.
    for (int code : kTranslationCodes) {
        const std::optional<std::string> own = OwnText(Table::kMessages, code, kMsgCommandFailed);
        if (own) {
            EXPECT_NE(own->find("\"ccc url\""), std::string::npos) << Where(Table::kMessages, code, 47);
        }
    }
}

std::string LineBreaks(std::string_view text) {
    std::string breaks;
    for (char c : text)
        if (c == '\n' || c == '\r') breaks += c;
    return breaks;
}

TEST(TranslationRows, LineBreaksStayAsInEnglish) {
    for (Table table : kTranslationTables)
        for (const auto& [key, english] : EnglishTexts(table))
            for (int code : kTranslationCodes) {
                const std::optional<std::string> own = OwnText(table, code, key);
                // A telling row is checked as given (French 47 has LF only).
                if (!own || TellingText(table, code, key)) continue;
                EXPECT_EQ(LineBreaks(*own), LineBreaks(english)) << Where(table, code, key);
            }
}

TEST(TranslationRows, ConversionCompleteKeepsItsFrameOfPercentSigns) {
    const struct {
        int code;
        size_t before, after;
    } frames[] = {
        {kLanguageGerman, 17, 17},     {kLanguageSpanish, 19, 18}, {kLanguageFrench, 19, 18},
        {kLanguagePortuguese, 19, 18}, {kLanguageItalian, 19, 18}, {kLanguageSwedish, 19, 18},
    };
    for (const auto& frame : frames) {
        const std::optional<std::string> own = OwnText(Table::kMessages, frame.code, kMsgConversionComplete);
        ASSERT_TRUE(own) << TranslationFolderName(frame.code);
        const size_t first = own->find_first_not_of('%');
        const size_t last = own->find_last_not_of('%');
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(first, frame.before) << *own;
        EXPECT_EQ(own->size() - 1 - last, frame.after) << *own;
        EXPECT_EQ((*own)[first], ' ') << *own;
        EXPECT_EQ((*own)[last], ' ') << *own;
    }
}

// A filter: pairs of description and pattern, then its trailing "|"s.
struct Filter {
    std::vector<std::string> fields;
    int trailingBars = 0;
};

Filter SplitFilter(std::string_view text) {
    Filter filter;
    while (!text.empty() && text.back() == '|') {
        text.remove_suffix(1);
        ++filter.trailingBars;
    }
    size_t from = 0;
    for (size_t bar = text.find('|'); bar != std::string_view::npos; bar = text.find('|', from)) {
        filter.fields.emplace_back(text.substr(from, bar - from));
        from = bar + 1;
    }
    filter.fields.emplace_back(text.substr(from));
    return filter;
}

TEST(TranslationRows, FiltersKeepTheirEntriesPatternsAndTrailingBars) {
    int filters = 0;
    for (const auto& [key, english] : EnglishTexts(Table::kMessages)) {
        if (english.find('|') == std::string::npos) continue;
        ++filters;
        const Filter base = SplitFilter(english);
        for (int code : kTranslationCodes) {
            const std::optional<std::string> own = OwnText(Table::kMessages, code, key);
            if (!own) continue;
            const Filter filter = SplitFilter(*own);
            ASSERT_EQ(filter.fields.size(), base.fields.size()) << Where(Table::kMessages, code, key);
            for (size_t i = 1; i < base.fields.size(); i += 2)
                EXPECT_EQ(filter.fields[i], base.fields[i]) << Where(Table::kMessages, code, key);
            for (size_t i = 0; i < base.fields.size(); i += 2)
                EXPECT_FALSE(filter.fields[i].empty()) << Where(Table::kMessages, code, key);
            // The Italian policy-file filter was given with "||".
            if (!TellingText(Table::kMessages, code, key)) {
                EXPECT_EQ(filter.trailingBars, base.trailingBars) << Where(Table::kMessages, code, key);
            }
        }
    }
    EXPECT_EQ(filters, 10);
}

// The access key of a menu text, folded to lower case (ASCII and the
// Latin-1 letters); empty when the text has no "&".
std::string AccessKey(std::string_view text) {
    const size_t amp = text.find('&');
    if (amp == std::string_view::npos || amp + 1 >= text.size()) return {};
    std::string key(1, text[amp + 1]);
    const auto lead = static_cast<unsigned char>(key[0]);
    if (lead < 0x80) {
        key[0] = static_cast<char>(std::tolower(lead));
        return key;
    }
    key += text.substr(amp + 2, 1);
    const auto trail = static_cast<unsigned char>(key[1]);
    if (lead == 0xC3 && trail >= 0x80 && trail <= 0x9E && trail != 0x97) key[1] = static_cast<char>(trail + 0x20);
    return key;
}

TEST(TranslationRows, AccessKeysAreFoldedForComparison) {
    EXPECT_EQ(AccessKey("E&xit"), "x");
    EXPECT_EQ(AccessKey("&Datei"), "d");
    EXPECT_EQ(AccessKey("&Über"), "ü");
    EXPECT_EQ(AccessKey("Åters&täll"), "t");
    EXPECT_EQ(AccessKey("Andere..."), "");
}

TEST(TranslationRows, MenuTextsKeepOneAccessKeyWhereEnglishHasOne) {
    for (const auto& [key, english] : EnglishTexts(Table::kMenus))
        for (int code : kTranslationCodes) {
            const std::optional<std::string> own = OwnText(Table::kMenus, code, key);
            if (own) {
                EXPECT_EQ(CountOf(*own, "&"), CountOf(english, "&")) << Where(Table::kMenus, code, key);
            }
        }
}

TEST(TranslationRows, AccessKeysAreUniqueWithinEachDropDown) {
    for (int code : kTranslationCodes) {
        // What each menu shows in the language: its own text, or English.
        std::map<MainMenuPart, std::vector<int>> slotsOf;
        for (const MenuItemLabel& label : kMainMenuLabels) slotsOf[label.menu].push_back(label.slot);
        for (const auto& [menu, slots] : slotsOf) {
            std::map<std::string, int> owner;
            for (int slot : slots) {
                const std::string text =
                    OwnText(Table::kMenus, code, slot).value_or(EnglishTexts(Table::kMenus).at(slot));
                const std::string key = AccessKey(text);
                if (key.empty()) continue;
                const auto [it, fresh] = owner.emplace(key, slot);
                // Telling rows may share a key (Italian "&Aiuto" and
                // "&Aggiornamenti").
                if (!fresh &&
                    !(TellingText(Table::kMenus, code, slot) && TellingText(Table::kMenus, code, it->second)))
                    ADD_FAILURE() << Where(Table::kMenus, code, slot) << " repeats the access key \"" << key
                                  << "\" of menu text " << it->second;
            }
        }
    }
}

}  // namespace
