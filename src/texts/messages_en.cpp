// English message texts.
//
// The base language: every slot the program reads has a text here, and the
// table is loaded from these rows before any other language is laid over it.
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/message_tables.h"

namespace {

constexpr TextRow kRows[] = {
    {1, "No file selected"},
    {2, "No analysis necessary"},
    {3, "Directory Error"},
    {4, "File selection error"},
    {5, "Failed to auto-detect default browser"},
    {6, "Policy File Error"},
    {8, "Error launching browser"},
    {9, "Convert Error"},
    {10, "Output File Error"},
    {12, "Input File Error"},
    {13, "No conversion done yet"},
    {14, "Reset to defaults"},
    // Texts of our own for the checks of dialog values and the status
    // window's log file (slots the program's own texts leave free).
    {15, "Enter a whole number."},
    {16, "Enter a number from nnn to xxxxxx."},
    {17, "Enter no more than nnn characters."},
    {18, "Unable to write the file \"ffffff\""},
    {19, "Email error"},
    {22, "Select an output directory.  Must be writable"},
    {24, "Problems using DDE detected"},
    {25, "Problems detected using DDE last time.\n\rDisabling DDE.  Use Settings/Viewers to re-enable"},
    {26, "Must choose a file first"},
    {27, "No analysis needed until policies or files are changed"},
    {28, "Invalid Input Directory"},
    {29, "Invalid Output Directory.\n\rMust be writable"},
    {30, "No files found \"xxxxxx\""},
    {31, "Please use the Settings Menu to locate your browser manually"},
    {32, "Can't find policy file \"xxxxxx\""},
    {45, "No URL supplied.  Cannot launch browser"},
    {46, "No Filename supplied.  Cannot launch viewer"},
    {47, "Command \"ccc url\" failed.\n\r  Error code=nnn"},
    {48, "Conversion failed"},
    {49, "Unable to locate file \"ffffff\""},
    {50, "Must choose a file name"},
    {52, "Must convert a file first"},
    {53, "Done"},
    {58, "Failed to auto-detect email client"},
    {59, "Need to specify a delimiter character"},
    {64, "Auto-Detect"},
    {65, "Left"},
    {66, "Right"},
    {67, "Center"},
    {68, "Justified"},
    {69, "*** Failed to open log file : ffffff ***"},
    {70, "    Opening ffffff instead"},
    {71, "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%"},
    {86, "Text files (*.txt,*.asc)|*.txt;*.asc|Include files (*.inc)|*.inc|All files (*.*)|*.*||"},
    {87, "Policy files (*.pol)|*.pol|All files (*.*)|*.*|"},
    {88, "HTML files (*.htm,*.html)|*.htm;*.html|All files (*.*)|*.*|"},
    {89, "Program files (*.exe)|*.exe|All files (*.*)|*.*|"},
    {90, "Image files (*.jpg,*.gif)|*.jpg;*.gif|All files (*.*)|*.*|"},
    {91, "Log files (*.log)|*.log|All files (*.*)|*.*|"},
    {93, "Style files (*.sty)|*.sty|All files (*.*)|*.*|"},
    {94, "Text files (*.txt,*.asc)|*.txt;*.asc|Comma separated files (*.csv)|*.csv|All files (*.*)|*.*||"},
    {95, "Plain text file"},
    {96, "Tab delimited data file"},
    {97, "Comma delimited data file"},
    {98, "Other delimited data file"},
    {100, "Output HTML to file(s)"},
    {102, "Output HTML to the clipboard"},
    {104, "Output RTF to file"},
    {108, "No delimiter character specified"},
    {109, "Include files (*.inc)|*.inc|All files (*.*)|*.*||"},
    {113, "Icon files (*.ico)|*.ico|All files (*.*)|*.*|"},
    {114, "The file \"ffffff\" exists already. Replace it?"},
};

}  // namespace

std::span<const TextRow> EnglishMessageRows() { return kRows; }
