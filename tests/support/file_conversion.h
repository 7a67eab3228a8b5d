// Converting the bytes of one file with the engine, in the test's own
// process: as the program converts a file it is given, without the program
// around it.
#pragma once

#include <string>

struct FileConversion {
    std::string output;  // the document written; "conversion failed" or a reason when none was
    std::string messages;  // the messages of the conversion, each ended by a newline
};

// Converts `bytes` as the file `name` of a fresh folder, which is removed
// afterwards, with the special format code `code` (1: a table; 7: a
// delimited one), to RTF or HTML, under the "Character encoding" `encoding`
// when one is given.
FileConversion ConvertFileBytes(const std::string& bytes, bool rtf = false, int code = 1,
                                const char* encoding = nullptr, const char* name = "table.txt");
