// English menu texts.
//
// The base language: every slot the main dialog's menu is relabelled from has
// a text here, and the table is loaded from these rows before any other
// language is laid over it.  "&" marks the access key of an entry.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/menu_text_tables.h"

namespace {

constexpr TextRow kRows[] = {
    // The menu-bar titles.
    {10, "&File"},
    {20, "&Conversion options"},
    {68, "&Settings"},
    {80, "&Language"},
    {95, "&View"},
    {100, "&Help"},
    {125, "&Updates"},
    // File.
    {11, "&Convert"},
    {12, "&Load policy file"},
    {13, "&Save policies to file"},
    {15, "E&xit"},
    // Conversion options.
    {30, "&Analysis policies"},
    {40, "&Output Policies"},
    {27, "Re-anal&yse the file"},
    {28, "&Reset to defaults"},
    // Analysis policies.
    {34, "&File structure"},
    {38, "&Tables"},
    // Output policies.
    {42, "&Title, description etc"},
    {50, "T&ables"},
    {43, "Document &colours"},
    {51, "H&yperlinks"},
    {55, "F&onts"},
    {44, "Document &properties"},
    {45, "&RTF Settings"},
    // Settings.
    {69, "Do&cumentation..."},
    {70, "Dia&gnostics..."},
    {71, "&Drag and drop properties..."},
    {72, "&Viewers for results files..."},
    {73, "Use of &Policy files..."},
    {75, "Show &Tool Tips"},
    {76, "Show &Status Dialog"},
    {77, "&Automatically view results"},
    // Language.
    {81, "English"},
    {84, "German"},
    {87, "French"},
    {85, "Italian"},
    {82, "Spanish"},
    {86, "Swedish"},
    {83, "Portuguese"},
    {88, "Other..."},
    // View.
    {96, "&Messages from last conversion"},
    {97, "Results of last &Conversion"},
    // Help.
    {101, "&Contents"},
    {110, "&HTML Documentation"},
    {115, "Other products"},
    {107, "&About"},
    // HTML documentation.
    {111, "&Local (on your hard disk)"},
    {112, "On the &web (online)"},
    // Updates.
    {126, "Check for &newer versions"},
};

}  // namespace

std::span<const TextRow> EnglishMenuRows() { return kRows; }
