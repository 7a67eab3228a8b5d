// Output formats: what a conversion writes (the Context's output format, the
// run parameters', the "format" argument of the routines that depend on it).
#pragma once

enum OutputFormatCode : int {
    kOutputHTML = 0,
    kOutputRTF = 1,
    kOutputText = 2,  // plain text: the line conversion leaves it alone
    // PDF has no writer of its own: the table engine writes it as RTF, the
    // links and emphasis of the text leave it without markup, and the result
    // is shown in the PDF viewer.
    kOutputPDF = 3,
};
