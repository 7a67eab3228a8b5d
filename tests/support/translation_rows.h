// A translation's own rows, read the way the program carries them (the rows
// the build makes of src/texts/translations/<lang>/<table>.txt), and its
// reviewed list of texts that stay English (same_as_english.txt, read from
// the source tree).  Tests of the translations check these rows themselves,
// not a loaded table, which keeps English underneath and so hides a missing
// text.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "texts/language_texts.h"

enum class TranslationTable { kMessages, kUi, kMenus, kTips, kLabels };

inline constexpr TranslationTable kTranslationTables[] = {TranslationTable::kMessages, TranslationTable::kUi,
                                                          TranslationTable::kMenus, TranslationTable::kTips,
                                                          TranslationTable::kLabels};
inline constexpr int kTranslationCodes[] = {kLanguageGerman,     kLanguageSpanish, kLanguageFrench,
                                            kLanguagePortuguese, kLanguageItalian, kLanguageSwedish};

// "messages", "ui", "menus", "tips", "labels": the file name of the table.
const char* TranslationTableName(TranslationTable table);
// "de", "es", "fr", "pt", "it", "sv".
const char* TranslationFolderName(int code);

// The rows of a language (English included) for a table.
std::span<const TextRow> LanguageRows(TranslationTable table, int code);
// The text of `key` in the language's own rows, if it has one.
std::optional<std::string> OwnText(TranslationTable table, int code, int key);

// The reviewed list of a translation, keyed by table and number, each with
// its reason; nullopt when the language has no list yet (its translation has
// not been done).  `error` receives a line that breaks the list's format.
using SameAsEnglish = std::map<std::pair<TranslationTable, int>, std::string>;
std::optional<SameAsEnglish> ReadSameAsEnglish(int code, std::string& error);
