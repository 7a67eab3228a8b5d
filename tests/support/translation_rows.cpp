#include "support/translation_rows.h"

#include <fstream>
#include <regex>

#include "texts/label_text_tables.h"
#include "texts/menu_text_tables.h"
#include "texts/message_tables.h"
#include "texts/tool_tip_tables.h"
#include "texts/ui_text_tables.h"

const char* TranslationTableName(TranslationTable table) {
    switch (table) {
        case TranslationTable::kMessages: return "messages";
        case TranslationTable::kUi: return "ui";
        case TranslationTable::kMenus: return "menus";
        case TranslationTable::kTips: return "tips";
        case TranslationTable::kLabels: return "labels";
    }
    return "?";
}

const char* TranslationFolderName(int code) {
    switch (code) {
        case kLanguageGerman: return "de";
        case kLanguageSpanish: return "es";
        case kLanguageFrench: return "fr";
        case kLanguagePortuguese: return "pt";
        case kLanguageItalian: return "it";
        case kLanguageSwedish: return "sv";
        default: return "en";
    }
}

namespace {

using RowsFunction = std::span<const TextRow> (*)();

struct LanguageRowFunctions {
    int code;
    RowsFunction messages, ui, menus, tips, labels;
};

constexpr LanguageRowFunctions kRowFunctions[] = {
    {kLanguageEnglish, EnglishMessageRows, EnglishUiRows, EnglishMenuRows, EnglishToolTipRows, EnglishLabelRows},
    {kLanguageGerman, GermanMessageRows, GermanUiRows, GermanMenuRows, GermanToolTipRows, GermanLabelRows},
    {kLanguageSpanish, SpanishMessageRows, SpanishUiRows, SpanishMenuRows, SpanishToolTipRows, SpanishLabelRows},
    {kLanguageFrench, FrenchMessageRows, FrenchUiRows, FrenchMenuRows, FrenchToolTipRows, FrenchLabelRows},
    {kLanguagePortuguese, PortugueseMessageRows, PortugueseUiRows, PortugueseMenuRows, PortugueseToolTipRows,
     PortugueseLabelRows},
    {kLanguageItalian, ItalianMessageRows, ItalianUiRows, ItalianMenuRows, ItalianToolTipRows, ItalianLabelRows},
    {kLanguageSwedish, SwedishMessageRows, SwedishUiRows, SwedishMenuRows, SwedishToolTipRows, SwedishLabelRows},
};

}  // namespace

std::span<const TextRow> LanguageRows(TranslationTable table, int code) {
    for (const LanguageRowFunctions& language : kRowFunctions) {
        if (language.code != code) continue;
        switch (table) {
            case TranslationTable::kMessages: return language.messages();
            case TranslationTable::kUi: return language.ui();
            case TranslationTable::kMenus: return language.menus();
            case TranslationTable::kTips: return language.tips();
            case TranslationTable::kLabels: return language.labels();
        }
    }
    return {};
}

std::optional<std::string> OwnText(TranslationTable table, int code, int key) {
    for (const TextRow& row : LanguageRows(table, code))
        if (row.slot == key) return std::string(row.text);
    return std::nullopt;
}

std::optional<SameAsEnglish> ReadSameAsEnglish(int code, std::string& error) {
    const std::string path = std::string(VENDREL_SOURCE_DIR) + "/src/texts/translations/" +
                             TranslationFolderName(code) + "/same_as_english.txt";
    std::ifstream in(path);
    if (!in) return std::nullopt;
    static const std::regex kEntry(R"(^(messages|ui|menus|tips|labels) ([0-9]+) # (\S.*)$)");
    SameAsEnglish list;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::smatch match;
        if (!std::regex_match(line, match, kEntry)) {
            error += path + ":" + std::to_string(number) + ": not \"<table> <number> # <reason>\"\n";
            continue;
        }
        TranslationTable table = TranslationTable::kMessages;
        for (TranslationTable candidate : kTranslationTables)
            if (match[1] == TranslationTableName(candidate)) table = candidate;
        if (!list.emplace(std::pair{table, std::stoi(match[2])}, match[3]).second)
            error += path + ":" + std::to_string(number) + ": listed twice\n";
    }
    return list;
}
