// The RTF output document: naming, opening, the header, buffered writing and
// the end of the document.
#include "output/rtf_file.h"
#include "foundation/message_reporter.h"
#include "output/file_names.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "foundation/fonts.h"
#include "foundation/text_line.h"
#include "foundation/utilities.h"
#include "output/markup/escaping.h"
#include "output/rtf_paragraphs.h"
#include "platform/file_status.h"
#include "policies/fc.h"

namespace {

// Style table: position, name, style number, based-on, alignment (0 the
// text alignment, 1 left), plain, in table, keep with next, space before,
// space after, group code.
struct StyleRow {
    const char* name;
    int number;
    int basedOn;
    int leftAligned;
    int plain;
    int inTable;
    int keep;
    int before;
    int after;
    int group;
};

// clang-format off
constexpr StyleRow kStyleRows[kStyleCount] = {
    {"Normal", 0, -1, 0, 1, 0, 0, 60, 60, 1},         {"Body", 1, -1, 0, 1, 0, 0, 60, 60, 1},
    {"Short line", 11, 1, 0, 1, 0, 0, 0, 0, 9},       {"Bullet", 12, 1, 0, 1, 0, 0, 30, 0, 9},
    {"Quotes", 13, 1, 1, 1, 0, 0, 0, 0, 5},           {"Hanging list", 14, 1, 0, 1, 0, 0, 60, 60, 9},
    {"Definition", 15, 1, 0, 1, 0, 0, 120, 120, 9},   {"Table", 2, -1, 1, 0, 1, 1, 0, 0, 11},
    {"Preformatted", 3, -1, 1, 1, 0, 1, 0, 0, 6},     {"Diagram", 4, -1, 1, 1, 0, 1, 0, 0, 6},
    {"Code", 5, -1, 1, 1, 0, 1, 0, 0, 6},             {"All Headings", 6, -1, 1, 1, 0, 1, 240, 120, 14},
    {"Heading 1", 61, 6, 1, 1, 0, 1, 240, 120, 14},   {"Heading 2", 62, 6, 1, 1, 0, 1, 180, 120, 14},
    {"Heading 3", 63, 6, 1, 1, 0, 1, 180, 120, 14},   {"Heading 4", 64, 6, 1, 1, 0, 1, 180, 60, 14},
    {"Heading 5", 65, 6, 1, 1, 0, 1, 180, 60, 14},    {"Heading 6", 66, 6, 1, 1, 0, 1, 180, 60, 14},
    {"All TOC", 7, -1, 1, 1, 0, 1, 0, 0, 14},         {"TOC 1", 71, 7, 1, 1, 0, 1, 0, 0, 14},
    {"TOC 2", 72, 7, 1, 1, 0, 1, 0, 0, 14},           {"TOC 3", 73, 7, 1, 1, 0, 1, 0, 0, 14},
    {"TOC 4", 74, 7, 1, 1, 0, 1, 0, 0, 14},           {"TOC 5", 75, 7, 1, 1, 0, 1, 0, 0, 14},
    {"TOC 6", 76, 7, 1, 1, 0, 1, 0, 0, 14},
};
// clang-format on

bool EqualsNoCase(const TextString& a, const char* b) {
    int i = 0;
    for (; b[i]; ++i)
        if (i >= a.length || ToUpperAscii(a.buffer[i]) != ToUpperAscii(b[i])) return false;
    return i == a.length;
}

bool EncodingIs(FC* set, const char* name) { return EqualsNoCase(set->GetText(Pol::CharacterEncoding), name); }

// The first blank-separated word of "Character encoding".
TextString EncodingWord(FC* set) {
    TextString text(set->GetText(Pol::CharacterEncoding));
    text.Trim(0, " \t");
    int end = 0;
    while (end < text.length && text.buffer[end] != ' ' && text.buffer[end] != '\t') ++end;
    text.SubString(0, end);
    return text;
}

bool OneOf(const TextString& word, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (EqualsNoCase(word, name)) return true;
    return false;
}

void Write(RTFFile* document, FC* set, const TextString& text) { document->WriteText(set, document, text.buffer); }

// The text escaped for RTF, then with its in-line tags executed.
TextString InfoText(FC* set, RTFFile* document, const TextString& text, bool executeTags) {
    TextString result(text);
    // Escaped as a line of the body is, before its tags run: what a tag puts
    // in comes escaped already, and is not escaped a second time.  Then in
    // the document's encoding.
    RTF_EscapeText(set, result);
    RTF_WriteValueForPage(set, result);
    if (executeTags && document) {
        AnalysedLine line;
        line.SetText(result.buffer);
        TextString messages;
        int level = -1;
        document->ExecuteLineTags(6, document, &line, set, &messages, &level);
        if (!messages.IsEmpty()) set->ReportMessage(messages.buffer, level > 0 ? level : kLevelAlways);
        result = static_cast<const TextString&>(line);
        if (set->context) set->context->ForgetLine(&line);
    }
    return result;
}

// The output directory in force for a name ("Output directory", defaulted
// to the name's directory) and the name without the "Input directory"
// (its first occurrence).
TextString PrepareName(FC* set, const char* inputName, TextString* name) {
    name->Assign(inputName ? inputName : "");
    if (set->GetText(Pol::OutputDirectory).IsEmpty()) {
        TextString directory;
        GetDirectoryPart(name->buffer, &directory);
        set->SetText(Pol::OutputDirectory, directory.buffer, false);
    }
    // The output directory goes first: it may lie inside the input
    // directory ("in/" and "in/out/").
    const TextString& outputDirectory = set->GetText(Pol::OutputDirectory);
    if (!outputDirectory.IsEmpty() && name->StartsWith(outputDirectory.buffer, 1)) {
        name->SubString(outputDirectory.length, name->length - outputDirectory.length);
        return outputDirectory;
    }
    const TextString& inputDirectory = set->GetText(Pol::InputDirectory);
    int position = 0;
    if (!inputDirectory.IsEmpty() && name->Find(0, inputDirectory.buffer, &position, 1)) {
        TextString rest(*name);
        rest.SubString(position + inputDirectory.length, name->length - position - inputDirectory.length);
        name->SubString(0, position);
        name->Append(rest);
    }
    // A name that still starts with the output directory (the converter
    // passes output directory + name) loses it, so that the directory is
    // not put in front twice.
    if (!outputDirectory.IsEmpty() && name->StartsWith(outputDirectory.buffer, 1))
        name->SubString(outputDirectory.length, name->length - outputDirectory.length);
    return outputDirectory;
}

// Every font number the font table gives to style fonts.
std::set<int> StyleFontNumbers(FC* set) {
    std::set<int> numbers;
    if (!set || !set->context) return numbers;
    const StyleSet& styles = set->context->styleSet;
    for (const FontSpec& font : styles.fonts) numbers.insert(font.fontIndex);
    for (int i = 0; i < styles.FontCount(); ++i) numbers.insert(200 + i);
    return numbers;
}

}  // namespace

RTFFile::RTFFile(FC& set) {
    whiteSpace = "\n\t ";
    breakBefore = "\\([{<!=";
    breakAfter = ")]}>,";
    width = 80;
    if (!set.context) return;

    int textA = 1, textB = 1;  // justified
    switch (set.GetInt(Pol::TextJustification)) {
        case 1:
            textA = 1;
            textB = 0;
            break;
        case 2:
            textA = 0;
            textB = 0;
            break;
        case 3:
            textA = 0;
            textB = 1;
            break;
        default: break;
    }
    if (set.IsOn(Pol::InputJapanese)) {
        textA = 1;
        textB = 0;
    }
    if (EncodingIs(&set, "iso-8859-8") || EncodingIs(&set, "windows-1256")) {
        textA = 0;
        textB = 1;
    }
    StyleSet& styles = set.context->styleSet;
    for (int i = 0; i < kStyleCount; ++i) {
        const StyleRow& row = kStyleRows[i];
        const int a = row.leftAligned ? 1 : textA;
        const int b = row.leftAligned ? 0 : textB;
        styles.styles[static_cast<size_t>(i)].Set(row.number, row.basedOn, row.name, a, b, row.plain, row.inTable,
                                                  row.keep, &styles.fonts[static_cast<size_t>(i)], row.before,
                                                  row.after, row.group);
    }
}

RTFFile::~RTFFile() = default;

int RTFFile::CloseAll() {
    WriteDeferredHead();  // a file closed before its body was written still gets its header
    if (policies) FlushBuffer(policies, this, 1);
    return TextFile::CloseAll();
}

bool RTFFile::IsBuffered(FC* set) const {
    return fileStarted && set && set->context && set->context->documentState.rtfOutput;
}

int RTFFile::GetOutputFileName(const char* inputName, FC* set, TextString* out) {
    if (!out) return 1;
    out->MakeEmpty();
    if (!set) return 1;
    TextString name;
    const TextString outputDirectory = PrepareName(set, inputName, &name);
    ApplyOutputSpecification(set, outputDirectory, name, TextString(".rtf"), out);
    return 1;
}

int RTFFile::OpenAtLine(const char* name, FC* set, AnalysedLine* line, OutputDocument* previous, int flag) {
    return OpenRTFFile(this, name, set, line, dynamic_cast<RTFFile*>(previous), flag);
}

namespace {

// Whether WriteLine turns KOI8-R text into Windows-1251.
bool ConvertsKoi8(FC* set) { return set && !IsUtf8Text(set) && EncodingIs(set, "koi8-r"); }

// Whether WriteLine escapes the characters of an 8-bit encoding for RTF.
// (UTF-8 text is written as "\\uN?" as each line leaves: see
// writtenLineForm.)
bool EscapesLines(FC* set) {
    if (!set || IsUtf8Text(set)) return false;
    const TextString& encoding = set->GetText(Pol::CharacterEncoding);
    return set->IsOn(Pol::InputJapanese) ||
           (!encoding.IsEmpty() && !EncodingIs(set, "ascii") && !EncodingIs(set, "iso-8859-1"));
}

// Whether WriteLine changes the text of a line at all.
bool ConvertsLines(FC* set) { return ConvertsKoi8(set) || EscapesLines(set); }

// Whether no step converts a line for certain, looked at first: without a
// named encoding or Japanese input (the common case) none does.
bool ConvertsNothing(FC* set) {
    return !set || (set->GetText(Pol::CharacterEncoding).IsEmpty() && !set->IsOn(Pol::InputJapanese));
}

}  // namespace

int RTFFile::WriteLine(FC* set, OutputDocument* document, TextString* text, int) {
    if (!text) return 0;
    if (ConvertsNothing(set)) return WriteConverted(set, document, text->buffer, text->length);
    if (ConvertsKoi8(set)) text->ConvertKOI8RToWindows1251();
    if (EscapesLines(set)) {
        TextLine escaped;
        escaped.Assign(text->buffer);
        escaped.EscapeForRTF(set);
        text->Assign(escaped.buffer);
    }
    return WriteConverted(set, document, text->buffer, text->length);
}

int RTFFile::WriteConverted(FC* set, OutputDocument* document, const char* text, int length) {
    if (document && document->fileStarted && IsBuffered(set)) {
        int result = 1;
        if (pending.length > kFlushThreshold) result = FlushBuffer(set, document, 0);
        // The text with the NUL after it, which becomes its newline.
        pending.AppendBytes(text, length + 1);
        pending.buffer[pending.length - 1] = '\n';
        return result;
    }
    if (!pending.IsEmpty()) FlushBuffer(set, document, 1);
    if (!document) return 0;
    // Unwrapped: RTF reads a line end as nothing, so a line broken at a
    // blank would lose that blank.
    return ::WriteLine(document, text) ? 1 : 0;
}

int RTFFile::WriteText(FC* set, OutputDocument* document, const char* text) {
    // A text that no step converts goes to the buffer as it stands (a table
    // cell can hold a whole file).
    const bool asItStands = ConvertsNothing(set);
    const bool japanese = !asItStands && set->IsOn(Pol::InputJapanese) && !IsUtf8Text(set);
    if (asItStands || (!japanese && !ConvertsLines(set))) {
        const char* const line = text ? text : "";
        return WriteConverted(set, document, line, static_cast<int>(std::strlen(line)));
    }
    TextString line(text ? text : "");
    if (japanese) {
        TextLine escaped;
        escaped.Assign(line.buffer);
        escaped.EscapeForRTF(set);
        line.Assign(escaped.buffer);
    }
    if (document && document->fileStarted && IsBuffered(set)) return WriteLine(set, document, &line, 0);
    if (!pending.IsEmpty()) FlushBuffer(set, document, 1);
    return document && ::WriteLine(document, line.buffer) ? 1 : 0;
}

int RTFFile::WriteHandedOver(FC* set, OutputDocument* document, TextString& text) {
    // Only what WriteText would put in the buffer as it stands; a text with
    // a NUL byte ends there as WriteText reads it.
    const bool japanese = set && set->IsOn(Pol::InputJapanese) && !IsUtf8Text(set);
    if (text.length < kHandOverBytes || japanese || ConvertsLines(set) || !document || !document->fileStarted ||
        !IsBuffered(set) || std::memchr(text.buffer, '\0', static_cast<size_t>(text.length)))
        return WriteText(set, document, text.buffer);
    // The tidy pass changes nothing across the end of a line (every form it
    // replaces ends at a line end or holds none), so the lines pending are
    // tidied and written now as they would be with the text after them.
    const int result = FlushBuffer(set, document, 0);
    std::swap(static_cast<TextString&>(pending), text);
    pending.AppendChar('\n');
    return result;
}

namespace {

// The forms the tidy pass rewrites, in the order it rewrites them.
struct TidyForm {
    const char* from;
    const char* to;
};
constexpr TidyForm kTidyForms[] = {
    {"\\b0}\n", "\\b0} \n"}, {"\\i0}\n", "\\i0} \n"}, {"\\line\\cell", "\\cell"}, {"\\par\\cell", "\\cell"},
    {"  \n", " \n"},         {"\\par \n", "\\par\n"}, {"}}}\n", "}}} \n"},
};

// Whether the `form.size()` bytes at `at` are `form` (lower case) in either
// letter case.
bool MatchesNoCase(const char* at, std::string_view form) {
    for (size_t i = 0; i < form.size(); ++i)
        if (ToLowerAscii(at[i]) != form[i]) return false;
    return true;
}

// The forms the tidy pass rewrites within a line, in lower case.  Both start
// with a backslash and a letter that no other form here starts with.
constexpr std::string_view kLineCell = "\\line\\cell";
constexpr std::string_view kParCell = "\\par\\cell";

// Whether one of the forms within a line starts at `p` (before `end`).
bool InLineFormAt(const char* p, const char* end) {
    const std::string_view form = ToLowerAscii(p[1]) == 'l' ? kLineCell : kParCell;
    return static_cast<size_t>(end - p) >= form.size() && MatchesNoCase(p, form);
}

// The first place in [from, end) where a form within a line starts, or
// `end`.  A backslash followed by "l" or "p" in either case is a candidate:
// sixteen places at a time where the processor compares vectors of bytes
// (SSE2), the rest one by one.
const char* FindInLineForm(const char* from, const char* end) {
    const char* p = from;
#if defined(__SSE2__)
    const __m128i fold = _mm_set1_epi8(0x20);
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i l = _mm_set1_epi8('l');
    const __m128i pLetter = _mm_set1_epi8('p');
    for (; end - p > 16; p += 16) {  // the sixteen places and the byte after them
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1)), fold);
        unsigned candidates = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
            _mm_cmpeq_epi8(here, backslash), _mm_or_si128(_mm_cmpeq_epi8(next, l), _mm_cmpeq_epi8(next, pLetter)))));
        for (; candidates != 0; candidates &= candidates - 1) {
            const char* at = p + __builtin_ctz(candidates);
            if (InLineFormAt(at, end)) return at;
        }
    }
#endif
    for (; end - p > 1; ++p) {
        const char next = ToLowerAscii(p[1]);
        if (*p == '\\' && (next == 'l' || next == 'p') && InLineFormAt(p, end)) return p;
    }
    return end;
}

// Whether the tidy pass could change the end of the line [begin, end) that
// a newline follows, the line holding no form within a line.  The forms at
// a line end are each made only from a line that shows one of these
// endings.
bool EndMayChange(const char* begin, const char* end) {
    if (begin == end || (end[-1] != '}' && end[-1] != ' ')) return false;
    constexpr std::string_view kAtEnd[] = {"\\b0}", "\\i0}", "  ", "\\par ", "}}}"};
    for (const std::string_view form : kAtEnd)
        if (static_cast<size_t>(end - begin) >= form.size() && MatchesNoCase(end - form.size(), form)) return true;
    return false;
}

}  // namespace

int RTFFile::FlushBuffer(FC* set, OutputDocument* document, int) {
    if (pending.IsEmpty()) return 1;
    // The buffer is tidied and written line by line, each line ended in
    // place (a line can hold a whole file), and emptied whatever happens.
    // Every form the tidy pass rewrites lies within one line (its newline
    // at most ends it), so tidying line by line is tidying the buffer; only
    // the few lines that hold one are copied for it.
    const bool tidy = IsBuffered(set);
    TextString tidied;
    char* const data = pending.buffer;
    const char* const bufferEnd = data + pending.length;
    const char* nextForm = nullptr;  // the next form within a line, once looked for
    // Lines written to a file or the console as they stand are passed on
    // together: a run of them is one text with newlines inside, which the
    // line writer ends with the last newline.  Not where the writer keeps
    // lines one by one or changes them, nor past a NUL byte (which ends the
    // line it stands in).
    const bool joinLines = document && !document->outputList && !document->writtenLineForm &&
                           strnlen(data, static_cast<size_t>(pending.length)) == static_cast<size_t>(pending.length);
    int result = document ? 1 : 0;
    int runStart = -1;  // the run of lines not yet written: [runStart, runEnd)
    int runEnd = -1;
    auto writeRun = [&]() {
        if (runStart < 0) return;
        data[runEnd] = '\0';
        if (!::WriteLine(document, data + runStart)) result = 0;
        runStart = -1;
    };
    for (int start = 0; result && start < pending.length;) {
        char* const begin = data + start;
        char* lineEnd = static_cast<char*>(std::memchr(begin, '\n', static_cast<size_t>(pending.length - start)));
        const bool ended = lineEnd != nullptr;
        if (!ended) lineEnd = data + pending.length;
        if (tidy && (!nextForm || nextForm < begin)) nextForm = FindInLineForm(begin, bufferEnd);
        if (tidy && (nextForm < lineEnd || (ended && EndMayChange(begin, lineEnd)))) {
            writeRun();
            tidied.MakeEmpty();
            tidied.AppendBytes(begin, static_cast<int>(lineEnd - begin) + (ended ? 1 : 0));
            RTF_TidyBuffer(set, tidied);
            if (ended) tidied.buffer[tidied.length - 1] = '\0';  // its newline, kept last by the tidy pass
            if (result && !::WriteLine(document, tidied.buffer)) result = 0;
        } else if (joinLines) {
            if (runStart < 0) runStart = start;
            runEnd = static_cast<int>(lineEnd - data);
        } else {
            *lineEnd = '\0';
            if (!::WriteLine(document, begin)) result = 0;
        }
        start = static_cast<int>(lineEnd - data) + 1;
    }
    if (result) writeRun();
    pending.MakeEmpty();
    if (pending.capacity > kKeptScratchBytes) static_cast<TextString&>(pending) = TextString();
    return result;
}

int OpenRTFFile(RTFFile* document, const char* inputName, FC* set, AnalysedLine*, RTFFile* previous, int toConsole) {
    if (!document || !set) return 0;
    document->policies = set;
    document->fileStarted = 1;
    if (previous) CloseRTFFile(previous, set);
    if (document->IsOpen()) document->TextFile::CloseAll();
    document->writtenLineForm = RTF_WrittenLineForm(set);
    Context* context = set->context;

    TextString name;
    PrepareName(set, inputName, &name);
    if (set->IsOn(Pol::UseDOSFilenames) && set->GetText(Pol::DOSFilenameRoot).IsEmpty()) {
        TextString root(name);
        if (set->GetInt(Pol::SplitLevel) > 0 && root.length > 5) root.SubString(0, 5);
        set->SetText(Pol::DOSFilenameRoot, root.buffer, false);
        name = root;
    }
    document->currentFileName = name;

    TextString fullName;
    document->GetOutputFileName(inputName, set, &fullName);
    if (!document->outputList) set->ReportStatus((TextString("Generating RTF file ") + fullName).buffer);
    if (context && context->listingFile && context->listingFile->IsOpen()) {
        ::WriteLine(context->listingFile, "");
        ::WriteLine(context->listingFile, (TextString(">>> Start of RTF file ") + fullName + " <<<").buffer);
        ::WriteLine(context->listingFile, "");
    }
    if (context) {
        if (context->firstOutputFileName.IsEmpty()) context->firstOutputFileName = fullName;
        context->currentOutputFileName = fullName;
    }
    const int opened = document->OpenForWrite(fullName.buffer, toConsole, 0) ? 1 : 0;
    if (set->IsOn(Pol::UseDOSFilenames) && context) ++context->dosFileCounter;
    if (!opened) {
        TextString message = TextString("ERROR: Can't open file \"") + fullName + "\"";
        AppendReason(message, document->openFailure);
        set->ReportMessage(message.buffer, kLevelAlways);
        return 0;
    }
    document->headPending = 1;
    if (!document->deferHead) document->WriteDeferredHead();
    return opened;
}

void RTFFile::WriteDeferredHead() {
    if (!headPending || !policies) return;
    headPending = 0;
    WriteRTFHeader(this, policies);
}

namespace {

// The font table: the fixed fonts, the style set's fonts and the fonts the
// in-line tags ask for.
void WriteFontTable(RTFFile* document, FC* set, Context* context, bool japanese) {
    Write(document, set, TextString("{\\fonttbl"));
    Write(document, set, TextString("{\\f1\\froman\\fcharset2\\fprq2 Symbol;}"));
    Write(document, set, TextString("{\\f2\\fmodern Courier New;}"));
    Write(document, set, TextString("{\\f4\\froman\\fcharset0\\fprq2 Times New Roman;}"));
    Write(document, set, TextString("{\\f5\\fswiss\\fcharset0\\fprq2 Arial;}"));
    if (japanese) Write(document, set, TextString("{\\f16\\fmodern\\fcharset128\\fprq1 MS Gothic;}"));
    if (context) {
        StyleSet& styles = context->styleSet;
        for (const FontSpec& font : styles.fonts) RTF_WriteFontEntry(set, document, &font);
        for (int i = 0; i < styles.FontCount(); ++i) {
            FontSpec* font = styles.FontAt(i);
            font->SetFontIndex(200 + i);
            RTF_WriteFontEntry(set, document, font);
        }
    }
    RTF_WriteTagFontEntries(set, document);
    Write(document, set, TextString("}"));
}

// The colour table: the sixteen colours the colour numbers of the writer
// stand for.
void WriteColourTable(RTFFile* document, FC* set) {
    static const char* const kColourLines[] = {
        "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;",
        "\\red0\\green255\\blue255;\\red0\\green255\\blue0;",
        "\\red255\\green0\\blue255;\\red255\\green0\\blue0;",
        "\\red255\\green255\\blue0;\\red255\\green255\\blue255;",
        "\\red0\\green0\\blue128;\\red0\\green128\\blue128;",
        "\\red0\\green128\\blue0;\\red128\\green0\\blue128;",
        "\\red128\\green0\\blue0;\\red128\\green128\\blue0;",
        "\\red128\\green128\\blue128;\\red192\\green192\\blue192;}",
    };
    for (const char* line : kColourLines) Write(document, set, TextString(line));
}

// The style sheet: "Normal", the style set's paragraph styles and the
// character styles.
void WriteStyleSheet(RTFFile* document, FC* set, Context* context, int language) {
    Write(document, set,
          TextString("{\\stylesheet{\\widctlpar \\f4\\fs20\\lang") + TextString(language) + " \\snext0 Normal;}");
    const bool help = set->IsOn(Pol::MakeWindowsHelpSource);
    const bool arabic = EncodingIs(set, "windows-1256");
    if (context) {
        for (int i = 0; i < kStyleCount; ++i) {
            const RTFStyle& style = context->styleSet.styles[static_cast<size_t>(i)];
            TextString line("{\\s");
            line.Append(TextString(style.number));
            if (style.spaceBefore != 0) line.Append(TextString("\\sb") + TextString(style.spaceBefore));
            if (style.spaceAfter != 0) line.Append(TextString("\\sa") + TextString(style.spaceAfter));
            if (help ? style.keepWithNext != 0 : (i >= 12 && i <= 17)) line.Append("\\keepn");
            line.Append("\\widctlpar ");
            if (arabic) line.Append(TextString("\\ltrch \\af") + TextString(style.fontIndex) + " \\rltch ");
            if (style.bold) line.Append("\\b");
            if (style.italic) line.Append("\\i");
            line.Append(TextString("\\f") + TextString(style.fontIndex));
            line.Append(TextString("\\fs") + TextString(style.halfPointSize));
            line.Append("\\kerning28");
            if (style.alignA == 0 && style.alignB == 1)
                line.Append("\\qr");
            else if (style.alignA == 1 && style.alignB == 1)
                line.Append("\\qj");
            else if (style.alignA == 0 && style.alignB == 0)
                line.Append("\\qc");
            line.Append(" \\sbasedon");
            line.Append(TextString(style.basedOn >= 1 ? style.basedOn : 0));
            line.Append(" ");
            line.Append(style.name);
            line.Append(";}");
            Write(document, set, line);
        }
    }
    Write(document, set, TextString("{\\*\\cs10 \\additive Default Paragraph Font;}"));
    Write(document, set, TextString("{\\*\\cs32 \\additive \\ul\\cf2 \\sbasedon10 Hyperlink;}"));
    Write(document, set, TextString("{\\*\\cs33 \\additive \\f5\\fs20\\sbasedon10 footnote reference;}"));
    Write(document, set, TextString("}"));
}

// The document information: title, author, subject, the other document
// policies and the time of creation.
void WriteDocumentInfo(RTFFile* document, FC* set, Context* context) {
    Write(document, set, TextString("{\\info"));
    TextString title;
    if (context) title = context->documentState.documentTexts[DocumentState::kDocumentTitle];
    if (title.IsEmpty()) title = set->GetText(Pol::DocumentTitle);
    Write(document, set, TextString("{\\title ") + InfoText(set, document, title, true) + "}");
    if (set->IsSet(Pol::DocumentAuthor))
        Write(document, set,
              TextString("{\\author ") + InfoText(set, document, set->GetText(Pol::DocumentAuthor), false) + "}");
    Write(document, set, TextString("{\\operator Pellion auto-convert}"));
    TextString subject;
    if (set->IsSet(Pol::DocumentDescription)) subject = set->GetText(Pol::DocumentDescription);
    if (set->IsSet(Pol::DocumentSubject)) subject = set->GetText(Pol::DocumentSubject);
    subject = InfoText(set, document, subject, true);
    if (!subject.IsEmpty()) Write(document, set, TextString("{\\subject ") + subject + "}");
    static const struct {
        const char* keyword;
        Pol policy;
    } kInfoItems[] = {
        {"{\\manager ", Pol::DocumentManager},   {"{\\company ", Pol::DocumentCompanyName},
        {"{\\category ", Pol::DocumentCategory}, {"{\\keywords ", Pol::DocumentKeywords},
        {"{\\comment ", Pol::DocumentComments},
    };
    for (const auto& item : kInfoItems)
        if (set->IsSet(item.policy))
            Write(document, set,
                  TextString(item.keyword) + InfoText(set, document, set->GetText(item.policy), false) + "}");
    std::tm local{};
    GetCurrentLocalTime(&local);
    char created[96];
    std::snprintf(created, sizeof created, "{\\creatim\\yr%04d\\mo%d\\dy%d\\hr%d\\min%d}", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    Write(document, set, TextString(created));
    Write(document, set, TextString("{\\version1}{\\edmins0}{\\nofpages1}"));
    Write(document, set, TextString("}"));
}

// The page: paper size, margins, orientation and the section defaults.
void WritePageSetup(RTFFile* document, FC* set) {
    int paperWidth = 0, paperHeight = 0, top = 0, bottom = 0, left = 0, right = 0;
    RTF_GetPaperSize(set, &paperWidth, &paperHeight);
    RTF_GetMargins(set, &top, &bottom, &left, &right);
    char page[160];
    std::snprintf(page, sizeof page, "\\paperw%d\\paperh%d\\margl%d\\margr%d\\margt%d\\margb%d\\gutter0", paperWidth,
                  paperHeight, left, right, top, bottom);
    Write(document, set, TextString(page));
    Write(document, set,
          TextString("\\widowctrl\\ftnbj\\aenddoc") + (set->IsOn(Pol::MirrorMargins) ? "\\margmirror" : "") +
              "\\formshade");
    Write(document, set, TextString("\\fet0\\sectd"));
    Write(document, set,
          TextString(set->IsOn(Pol::UseLandscapeMode) ? "\\lndscpsxn\\psz9" : "") +
              "\\linex0\\headery709\\footery709\\colsx709\\endnhere");
}

// The numbering of headings, level by level.
void WriteHeadingNumbering(RTFFile* document, FC* set) {
    static const char* const kNumbering[] = {
        "{\\*\\pnseclvl1\\pnucrm\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}",
        "{\\*\\pnseclvl2\\pnucltr\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}",
        "{\\*\\pnseclvl3\\pndec\\pnstart1\\pnindent720\\pnhang{\\pntxta .}}",
        "{\\*\\pnseclvl4\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxta )}}",
        "{\\*\\pnseclvl5\\pndec\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}",
        "{\\*\\pnseclvl6\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}",
        "{\\*\\pnseclvl7\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}",
        "{\\*\\pnseclvl8\\pnlcltr\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}",
        "{\\*\\pnseclvl9\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}",
    };
    for (const char* line : kNumbering) Write(document, set, TextString(line));
}

}  // namespace

void WriteRTFHeader(RTFFile* document, FC* set) {
    if (!document || !set) return;
    Context* context = set->context;
    if (context) {
        FontSpec* base = context->GetCurrentFont();
        if (base && set->IsSet(Pol::BaseFontSize))
            base->SetSize(set->GetInt(Pol::BaseFontSize) + set->GetInt(Pol::DeltaFontSize));
        if (base) base->set = 1;
    }
    TextString languageName;
    set->ChoicePolicy(Pol::LanguageForProofing).GetChoiceText(languageName);
    int language = 1033;
    LanguageNameToId(languageName, &language);
    const bool japanese = set->IsOn(Pol::InputJapanese);

    Write(document, set, TextString(japanese ? "{\\rtf1\\ansi" : "{\\rtf1\\ansi\\ansicpg1252\\uc1"));
    Write(document, set, TextString("\\deff100\\deflang") + TextString(language) + "\\deflangfe1033");

    WriteFontTable(document, set, context, japanese);
    WriteColourTable(document, set);
    WriteStyleSheet(document, set, context, language);
    WriteDocumentInfo(document, set, context);
    WritePageSetup(document, set);
    WriteHeadingNumbering(document, set);

    // The "Body" paragraph and its text group stay open until the end.
    TextString start;
    RTF_StartPara(set, document, kStyleBody, nullptr, start, nullptr);
    Write(document, set, TextString("{") + start + "{");
}

int CloseRTFFile(RTFFile* document, FC* set) {
    if (!document) return 0;
    document->WriteDeferredHead();
    document->WriteText(set, document, "\\par}");
    document->WriteText(set, document, "}}");
    document->FlushBuffer(set, document, 1);
    return 0;
}

void RTF_WriteFontEntry(FC* set, RTFFile* document, const FontSpec* font) {
    if (!set || !document || !font) return;
    const TextString e = EncodingWord(set);
    const bool japanese = set->IsOn(Pol::InputJapanese);
    const bool fixed = !font->proportional;
    const bool serif = font->extraStyle != 0;

    const char* family;
    if (japanese || OneOf(e, {"big5", "gb2312", "iso-2022-kr"}))
        family = "\\fmodern\\fprq1";
    else if (EqualsNoCase(e, "windows-1256"))
        family = fixed ? "\\fbidi \\fmodern\\fprq1" : serif ? "\\fbidi \\froman\\fprq2" : "\\fbidi \\fswiss\\fprq2";
    else if (EqualsNoCase(e, "tis-620"))
        family = "\\fswiss\\fprq2";
    else
        family = fixed ? "\\fmodern\\fprq1" : serif ? "\\froman\\fprq2" : "\\fswiss\\fprq2";

    static const struct {
        std::initializer_list<const char*> names;
        const char* charset;
    } kCharsets[] = {
        {{"big5"}, "\\fcharset136 "},
        {{"gb2312"}, "\\fcharset134 "},
        {{"iso-2022-kr"}, "\\fcharset129 "},
        {{"tis-620"}, "\\fcharset222 "},
        {{"shift_jis", "x-sjis", "ms_Kanji", "iso-2022-jp", "x-euc-jp"}, "\\fcharset128 "},
        {{"windows-1253", "iso-8859-7"}, "\\fcharset161 "},
        {{"windows-1254", "iso-8859-9"}, "\\fcharset162 "},
        {{"iso-8859-8"}, "\\fcharset177 "},
        {{"windows-1256", "iso-8859-6"}, "\\fcharset178 "},
        {{"windows-1251", "koi8-r", "iso-8859-5"}, "\\fcharset204 "},
        {{"iso-8859-4"}, "\\fcharset238 "},
    };
    const char* charset = "\\fcharset0 ";
    for (const auto& entry : kCharsets)
        if (OneOf(e, entry.names)) {
            charset = entry.charset;
            break;
        }

    TextString face;
    if (japanese || EqualsNoCase(e, "iso-2022-jp"))
        face = "MS Gothic";
    else if (EqualsNoCase(e, "gb2312"))
        face = "MS Hei{\\*\\falt SimSun}";
    else if (EqualsNoCase(e, "big5"))
        face = "MingLiU";
    else if (EqualsNoCase(e, "iso-2022-kr"))
        face = "GulimChe";
    else if (EqualsNoCase(e, "tis-620"))
        face = "Tahoma";
    else {
        face = font->faceName;
        int comma = 0;
        if (face.Find(0, ",", &comma, 0)) face.SubString(0, comma);
    }
    TextString line("{\\f");
    line.Append(TextString(font->fontIndex));
    line.Append(family);
    line.Append(charset);
    line.Append(face);
    line.Append(";}");
    Write(document, set, line);
}

int RTF_TagFontNumber(FC* set, int n) {
    const int count = set && set->context ? set->context->documentState.list2.count : 0;
    const std::set<int> used = StyleFontNumbers(set);
    bool collides = false;
    for (int i = 0; i < count && !collides; ++i) collides = used.count(100 + i) != 0;
    if (!collides) return 100 + n;
    return (used.empty() ? 100 : *used.rbegin() + 1) + n;
}

void RTF_WriteTagFontEntries(FC* set, RTFFile* document) {
    if (!set || !set->context || !document) return;
    const StringList& fonts = set->context->documentState.list2;
    for (int n = 0; n < fonts.count; ++n) {
        // The third "-"-separated field is the sans-serif flag.
        const TextString entry(fonts.TextAt(n));
        TextString field;
        int flag = 0;
        if (!entry.GetField(3, '-', &field) || !field.ToInteger('1', &flag)) flag = 0;
        TextString line("{\\f");
        line.Append(TextString(RTF_TagFontNumber(set, n)));
        line.Append(flag ? " \\fswiss" : " \\froman");
        line.Append("\\fcharset0\\fprq2");
        line.Append(flag ? " Arial;{\\*\\falt Geneva;}}" : " Times;{\\*\\falt Times;}}");
        Write(document, set, line);
    }
}

void RTF_GetPaperSize(FC* set, int* width, int* height) {
    int w = 11906, h = 16838;
    if (set) {
        switch (set->GetInt(Pol::PaperSize)) {
            case 2:
                w = 12240;
                h = 15840;
                break;
            case 3:
                w = 12240;
                h = 20160;
                break;
            case 4:
                w = 10438;
                h = 15122;
                break;
            default: break;
        }
        if (set->IsOn(Pol::UseLandscapeMode)) std::swap(w, h);
    }
    if (width) *width = w;
    if (height) *height = h;
}

void RTF_GetMargins(FC* set, int* top, int* bottom, int* left, int* right) {
    const struct {
        Pol policy;
        int* out;
        int fallback;
    } items[] = {{Pol::TopMargin, top, 1440},
                 {Pol::BottomMargin, bottom, 1440},
                 {Pol::LeftMargin, left, 1800},
                 {Pol::RightMargin, right, 1800}};
    for (const auto& item : items) {
        if (!item.out) continue;
        int twips = 0;
        if (set && set->IsSet(item.policy) && CmToTwips(set->GetText(item.policy), &twips))
            *item.out = twips;
        else
            *item.out = item.fallback;
    }
}

int RTF_TidyBuffer(FC*, TextString& buffer) {
    // Each form in one pass over the buffer, whatever the number of its
    // occurrences; letter case is not regarded.
    for (const TidyForm& item : kTidyForms) buffer.ReplaceFrom(0, item.from, item.to, 0, 0, nullptr, nullptr);
    return 1;
}
