#include "output/master_index.h"

#include "context/context.h"
#include "foundation/fonts.h"
#include "foundation/message_reporter.h"
#include "foundation/unicode_text.h"
#include "foundation/utilities.h"
#include "output/font_markup.h"
#include "output/html_document.h"
#include "output/html_file.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "output/paragraphs.h"
#include "platform/file_status.h"
#include "platform/paths.h"
#include "policies/fc.h"

namespace {

// The contents level and style class of an entry: a level-1 heading.
constexpr int kEntryHeadingLevel = 1;

// The first non-empty of a directory policy and its document fallback.
TextString TextOrFallback(FC& set, Pol primary, Pol fallback) {
    const TextString& text = set.GetText(primary);
    return text.IsEmpty() ? set.GetText(fallback) : text;
}

bool IsUnreservedUrlByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

// The font of an entry line when fonts are written as FONT tags: a copy of
// the current font at the size of a level-1 contents line, bounded by the
// allowed <Hn> sizes, bold unless the contents style asks for normal lines.
FontSpec EntryFont(FC& set, Context& context, bool bold) {
    FontSpec font;
    if (const FontSpec* current = context.GetCurrentFont()) font = *current;
    font.set = 1;
    if (IsRuleSet(set.ruleSetCode)) {
        font.size = font.size + 1;
    } else {
        int base = 3;
        if (set.IsSet(Pol::BaseFontSize))
            base = PointSizeToHTMLSize(set.GetInt(Pol::BaseFontSize) + set.GetInt(Pol::DeltaFontSize));
        int size = base - kEntryHeadingLevel + 1;
        if (size > 6 - set.GetInt(Pol::LargestAllowedHn)) size = 6 - set.GetInt(Pol::LargestAllowedHn);
        if (size < 6 - set.GetInt(Pol::SmallestAllowedHn)) size = 6 - set.GetInt(Pol::SmallestAllowedHn);
        font.size = HTMLSizeToPointSize(size);
    }
    font.bold = bold ? 1 : 0;
    return font;
}

}  // namespace

MasterIndex::MasterIndex() = default;
// A page the run did not end (HTML_EndMasterIndex) is abandoned with its
// document: the earlier page stays.
MasterIndex::~MasterIndex() = default;

void GetDirectoryPageTexts(FC& set, TextString* title, TextString* description, TextString* keywords,
                           TextString* styleSheet, TextString* scriptFile, TextString* pageHeader,
                           TextString* pageFooter) {
    if (title) {
        *title = set.GetText(Pol::DirectoryTitle);
        if (title->IsEmpty()) {
            const TextString& documentTitle = set.GetText(Pol::DocumentTitle);
            // A title made per file names no page of its own.
            if (!documentTitle.FindNoCase("[[FILENAME]]")) *title = documentTitle;
        }
        if (title->IsEmpty()) title->Assign("Directory listing");
    }
    if (keywords) *keywords = TextOrFallback(set, Pol::DirectoryKeywords, Pol::DocumentKeywords);
    if (description) *description = TextOrFallback(set, Pol::DirectoryDescription, Pol::DocumentDescription);
    if (scriptFile) *scriptFile = TextOrFallback(set, Pol::DirectoryScriptFile, Pol::HTMLScriptFile);
    if (pageHeader) *pageHeader = TextOrFallback(set, Pol::DirectoryHeaderFile, Pol::HTMLHeaderFile);
    if (pageFooter) *pageFooter = TextOrFallback(set, Pol::DirectoryFooterFile, Pol::HTMLFooterFile);
    if (styleSheet) *styleSheet = set.GetText(Pol::DocumentStyleSheet);
}

TextString MasterIndexPageName(FC& set, Context& context, const TextString& directory) {
    TextString name;
    if (!context.runParameters.indexFile.IsEmpty()) {
        name = context.runParameters.indexFile;
        // A name with a folder part is a path as the user typed it: taken
        // from the current folder, as a "/LOG=" name is.  A bare name stays
        // beside the output.
        TextString folderPart;
        GetDirectoryPart(name, &folderPart);
        if (!folderPart.IsEmpty() && IsRelativePath(name)) {
            std::string here = CurrentDirectory();
            if (!here.empty() && here.back() != '/') here.push_back('/');
            TextString resolved;
            ResolveRelativePath(TextString(std::string_view(here)), name, &resolved);
            return resolved;
        }
    } else if (set.GetText(Pol::DirectoryFilename).IsEmpty()) {
        name = directory;
        name.Append("dirindex");
        if (set.IsOn(Pol::UseDOSFilenames)) {
            name.Append(".HTM");
        } else if (set.IsOn(Pol::UseHTMExtension)) {
            name.Append(".htm");
        } else if (set.names.outputExtension.IsEmpty() || set.names.outputExtension.Matches(".rtf", 0, 0)) {
            // The page is HTML even when the run writes RTF.
            name.Append(".html");
        } else {
            name.Append(set.names.outputExtension);
        }
    } else {
        name = set.GetText(Pol::DirectoryFilename);
    }
    TextString resolved;
    ResolveRelativePath(set.GetText(Pol::OutputDirectory), name, &resolved);
    return resolved;
}

void HTML_StartMasterIndex(FC& set, Context& context, const TextString& directory, MasterIndex& index) {
    if (!set.IsOn(Pol::MakeDirectory)) return;
    index.pageFileName = MasterIndexPageName(set, context, directory);
    index.listLevel = 0;
    index.entryCount = 0;

    TextString status("Generating Master index file \"");
    status.Append(index.pageFileName);
    status.Append("\"");
    set.ReportStatus(status.buffer);
    set.ReportStatus("");

    auto document = std::make_unique<HTMLFile>();
    if (!document->OpenForWrite(index.pageFileName.buffer, 0, 0)) {
        TextString message("ERROR: Can't open file \"");
        message.Append(index.pageFileName);
        message.Append("\"");
        AppendReason(message, document->openFailure);
        set.ReportMessage(message.buffer, kLevelAlways);
        return;
    }
    index.document = std::move(document);
    index.utf8Page = HTML_PageIsUtf8(&set);
    index.document->writtenLineForm = HTML_LineFormOfPage(&set, index.utf8Page);

    TextString title, description, keywords, styleSheet, scriptFile, pageHeader;
    GetDirectoryPageTexts(set, &title, &description, &keywords, &styleSheet, &scriptFile, &pageHeader, nullptr);
    PageEndOptions options;
    options.navigationBar = 1;
    options.directoryPage = 1;
    HTML_StartDocument(index.document.get(), nullptr, index.pageFileName, title, styleSheet, TextString(), keywords,
                       description, scriptFile, pageHeader, &set, options);
    HTML_SetContentsIndentLevel(index.document.get(), 0, &index.listLevel, &set);
}

TextString MakeIndexLink(const TextString& pageDirectory, const TextString& target) {
    const std::string text = RelativePath(pageDirectory.c_str(), target.c_str());
    TextString out;
    out.ReserveAbout(static_cast<int64_t>(text.size()) + 16);
    static const char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreservedUrlByte(byte)) {
            out.AppendChar(c);
        } else {
            out.AppendChar('%');
            out.AppendChar(kHex[byte >> 4]);
            out.AppendChar(kHex[byte & 15]);
        }
    }
    return out;
}

TextString FormatMasterIndexLine(FC& set, Context& context, const TextString& url, const TextString& text) {
    bool bold = true;
    const int style = set.GetInt(Pol::ContentsStyleCode);
    if (style == 1) {
        bold = false;
    } else if (style != 0) {
        TextString message("UNSUPPORTED CASE: Unknown contents style");
        message.AppendNumber('1', style, 1);
        set.ReportMessage(message.buffer, kLevelAlways);
    }

    TextString prefix, endMarkup, closingSpan;
    if (!context.fontTagSwitch) {
        prefix.Assign("<SPAN CLASS=TOC1>");
        closingSpan.Assign("</SPAN>");
    } else {
        const FontSpec font = EntryFont(set, context, bold);
        GetStartFontMarkup(kFontKindForced, &set, &font, &prefix);
        GetEndFontMarkup(kFontKindForced, &set, &font, &endMarkup);
    }
    TextString line(prefix);
    line.Append("<A HREF=\"");
    line.Append(url);
    line.Append("\">");
    line.Append(text);
    line.Append("</A>");
    line.Append(endMarkup);
    line.Append("<BR>");
    line.Append(closingSpan);
    return line;
}

void HTML_AddMasterIndexEntry(FC& set, Context& context, MasterIndex& index, const TextString& outputPath) {
    if (!index.document || !index.document->IsOpen() || outputPath.IsEmpty()) return;
    TextString pageDirectory;
    GetDirectoryPart(index.pageFileName, &pageDirectory);
    TextString directory, name, extension;
    SplitPath(outputPath, &directory, &name, &extension);

    HTML_SetContentsIndentLevel(index.document.get(), kEntryHeadingLevel - 1, &index.listLevel, &set);
    TextString text = HTML_EscapeAttribute(name + extension);
    if (!index.utf8Page) HTML_WriteCharacterReferences(text);
    TextString line = FormatMasterIndexLine(set, context, MakeIndexLink(pageDirectory, outputPath), text);
    HTML_IndentSource(&set, index.listLevel, &line);
    index.document->WriteLine(&set, index.document.get(), &line, 1);
    ++index.entryCount;
}

void HTML_EndMasterIndex(FC& set, Context& context, MasterIndex& index) {
    if (!set.IsOn(Pol::MakeDirectory)) return;
    if (!index.document) return;
    HTML_SetContentsIndentLevel(index.document.get(), 0, &index.listLevel, &set);
    // The blocks and list levels left in the Context belong to the last
    // converted file (each file clears them when it starts): the page closes
    // only what it opened itself, and its BODY is closed by its own end tag.
    context.documentState.blocks.Clear();
    context.documentState.currentIndentLevel = 0;
    index.document->paragraphOpen = 0;

    TextString pageFooter;
    GetDirectoryPageTexts(set, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &pageFooter);
    PageEndOptions options;
    options.navigationBar = 1;
    HTML_EndDocument(index.document.get(), nullptr, &set, pageFooter, options);
    // A page that could not be written whole is reported; the earlier page
    // stays as it was.
    index.document->CloseChecked(&set, index.pageFileName);
    index.document.reset();
}
