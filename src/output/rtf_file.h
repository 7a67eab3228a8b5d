// RTFFile: the output document that writes one RTF file.  It forms the output
// file name, opens the file and writes the RTF header (font table, colour
// table, stylesheet, document information, page setup, heading numbering),
// sets the 25 paragraph styles of the context's style set, collects the RTF
// text in its pending buffer (RTF output is always buffered while the output
// pass runs) and ends the document (CloseRTFFile).
//
// Lines are written unwrapped: RTF drops a line end that falls between two
// words, so breaking a line at a blank would lose the blank.
#pragma once

#include "output/output_document.h"
#include "foundation/text_string.h"

class FC;
class FontSpec;
class AnalysedLine;

class RTFFile : public OutputDocument {
public:
    // A buffered write flushes first when more than this many characters
    // are pending.
    static constexpr int kFlushThreshold = 1024;

    FC* policies = nullptr;  // not owned; attached when the file is opened
    int paragraphKind = 1;  // the current RTFParagraphKind
    int indentLevel = 0;  // the current indent level
    int indentStep = 360;  // twips per indent level
    // Writes the RTF header (fonts, styles, document information) when it is
    // still pending.
    void WriteDeferredHead() override;

    // Builds the document and sets the 25 styles of the set's context's
    // style set from the style fonts and the alignment policies.
    explicit RTFFile(FC& set);
    // Owners call Close (or CloseRTFFile) first so that the buffer is written.
    ~RTFFile() override;

    // Flushes the buffer when a policy set is attached, then closes every
    // file.
    int CloseAll() override;
    int Close() { return CloseAll(); }

    // Output directory (or the output specification's) + name + ".rtf" (or
    // the specification's extension).  Returns 1.
    int GetOutputFileName(const char* inputName, FC* set, TextString* out) override;
    // OpenRTFFile with no previous document.
    int OpenAtLine(const char* name, FC* set, AnalysedLine* line, OutputDocument* previous, int flag) override;

    // Buffered while the output pass runs (the line and a newline are
    // appended; a buffer already past 1024 characters is flushed first);
    // otherwise the pending text is flushed and the line written.
    int WriteLine(FC* set, OutputDocument* document, TextString* text, int unwrapped) override;
    // As WriteLine; header lines and other whole lines go through here.
    int WriteText(FC* set, OutputDocument* document, const char* text) override;
    // As WriteText, for a text the caller is done with: a large one that
    // goes to the buffer as it stands becomes the buffer (the text pending
    // before it is written first), so that a table cell holding a whole
    // file is not copied again.  `text` is left with some other text.
    int WriteHandedOver(FC* set, OutputDocument* document, TextString& text);
    // Texts from this size on are handed over rather than copied.
    static constexpr int kHandOverBytes = 1 << 16;
    // Tidies (RTF_TidyBuffer) and writes the buffer line by line; stops at
    // the first failed write.  The buffer is emptied in any case.
    int FlushBuffer(FC* set, OutputDocument* document, int final) override;
    // The end of WriteLine: the converted line (`length` bytes at `text`,
    // followed by a NUL) to the buffer, or written out.
    int WriteConverted(FC* set, OutputDocument* document, const char* text, int length);

    // True while this document's output is buffered.
    bool IsBuffered(FC* set) const;

    // The pending buffer's text (for tests and the tidy pass).
    const TextString& Buffered() const { return pending; }
};

// Opens the output file for `inputName` and writes the header; a previous
// document is ended first.  Nonzero on success; 0 (with "ERROR: Can't open
// file \"name\"") when the file cannot be opened.
int OpenRTFFile(RTFFile* document, const char* inputName, FC* set, AnalysedLine* line, RTFFile* previous,
                int toConsole);
// Writes the header; leaves three groups open (document, paragraph, text).
void WriteRTFHeader(RTFFile* document, FC* set);
// Ends the document: "\par}" and "}}", then flushes.  Returns 0.
int CloseRTFFile(RTFFile* document, FC* set);

// One font-table line for the font (its font index, family, charset, face).
void RTF_WriteFontEntry(FC* set, RTFFile* document, const FontSpec* font);
// The font-table lines of the fonts registered by in-line FONT tags.
void RTF_WriteTagFontEntries(FC* set, RTFFile* document);
// The font-table number of registered tag font n (from 0): 100 + n unless
// that range would collide with a style font number, in which case the tag
// fonts are numbered after the highest style font.  Every reference to a
// tag font must use this number.
int RTF_TagFontNumber(FC* set, int n);

// Paper width and height in twips ("Paper size", "Use Landscape mode").
void RTF_GetPaperSize(FC* set, int* width, int* height);
// Page margins in twips (default 1440 top and bottom, 1800 left and right).
void RTF_GetMargins(FC* set, int* top, int* bottom, int* left, int* right);
// The buffer tidy pass: blanks after "\b0}", "\i0}", "}}}" at line ends,
// "\line\cell" and "\par\cell" to "\cell", doubled blanks before line ends
// reduced, "\par " at a line end to "\par".  Returns 1.
int RTF_TidyBuffer(FC* set, TextString& buffer);
