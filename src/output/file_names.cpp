// File names and queued source lines of one conversion.
#include "output/file_names.h"

#include "analysis/inline_tag_args.h"
#include "context/context.h"
#include "context/wrapped_text_file.h"
#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/text_line.h"
#include "foundation/utilities.h"
#include "platform/file_status.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

void Clear(TextString* text) {
    if (text) text->MakeEmpty();
}

void Set(TextString* out, const TextString& value) {
    if (out) *out = value;
}

bool IsEmpty(const TextString* text) { return !text || text->IsEmpty(); }

TextString Joined(const TextString& directory, const TextString& name, const char* extension) {
    TextString text(directory);
    text.Append(name);
    text.Append(extension);
    return text;
}

// The directive keyword spelled with the current "Directive delimiter".
TextString Directive(FC* policies, const char* keyword) {
    TextString text(policies->GetText(Pol::DirectiveDelimiter));
    text.Append(keyword);
    return text;
}

// Whether `path` names an existing file that is neither a regular file nor
// a folder: a character device takes the output where it stands, and a
// FIFO, socket or block device is refused there, under its own name.
bool NamesSpecialFile(const TextString& path) {
    const FileKind kind = KindOfFile(path.str());
    return kind != FileKind::kMissing && kind != FileKind::kRegular && kind != FileKind::kDirectory;
}

// `name` resolved against `directory`; the name itself when there is no
// directory.
TextString Resolved(const TextString& directory, const TextString& name) {
    if (directory.IsEmpty()) return name;
    TextString path;
    ResolveRelativePath(directory, name, &path);
    return path;
}

// Opens `name` for reading on the reader's stack: first against the input
// directory, then against the context's fragments folder.
bool OpenBesideInput(FC* policies, TextFile& reader, const TextString& name) {
    if (reader.OpenForRead(Resolved(policies->GetText(Pol::InputDirectory), name).buffer)) return true;
    Context* context = policies->context;
    if (context && !context->fragmentsFolder.IsEmpty())
        return reader.OpenForRead(Resolved(context->fragmentsFolder, name).buffer);
    return false;
}

// The n-th blank-separated word of the text (from 1), without enclosing
// double quotes.
TextString Word(const TextString& text, int n) {
    int position = 0;
    for (int index = 1;; ++index) {
        while (position < text.length && IsBlankOrTab(text.buffer[position])) ++position;
        if (position >= text.length) return TextString();
        int end = position;
        while (end < text.length && !IsBlankOrTab(text.buffer[end])) ++end;
        if (index == n) {
            TextString word;
            word.AssignSubstring(text.buffer, position, end - position);
            if (word.length >= 2 && word.buffer[0] == '"' && word.buffer[word.length - 1] == '"')
                word.SubString(1, word.length - 2);
            return word;
        }
        position = end;
    }
}

// Number of occurrences of `text` in `line` that begin at or before `last`.
int CountOccurrences(const TextString& line, const TextString& text, int last) {
    if (text.IsEmpty()) return 0;
    int count = 0;
    int position = 0;
    while (line.Find(position, text.buffer, &position, 1) && position <= last) {
        ++count;
        ++position;
    }
    return count;
}

// The text without its "<...>" markup.
TextString WithoutMarkup(const TextString& text) {
    TextString plain;
    int depth = 0;
    for (int i = 0; i < text.length; ++i) {
        const char c = text.buffer[i];
        if (c == '<') {
            ++depth;
        } else if (c == '>' && depth > 0) {
            --depth;
        } else if (depth == 0) {
            plain.AppendChar(c);
        }
    }
    return plain;
}

// An anchor start: "<a" (any case) followed by a blank, a tab or ">", so
// that "<abbr>" and "<address>" are not taken.
bool FindAnchorStart(const TextString& text, int from, int* position) {
    int at = from;
    while (text.Find(at, "<a", &at, 0)) {
        const char next = text.At(at + 2);
        if (next == ' ' || next == '\t' || next == '>') {
            *position = at;
            return true;
        }
        ++at;
    }
    return false;
}

}  // namespace

void MakeOutputFileNames(const TextString& inputPath, const TextString& outputPath, FC* policies, int,
                         TextString* inputDirectory, TextString* outputDirectory, TextString* outputName,
                         TextString* extension, TextString* listingName, TextString* secondListingName,
                         TextString* statisticsName) {
    Context* context = policies ? policies->context : nullptr;
    TextString directory, name, inputExtension;
    SplitPath(inputPath, &directory, &name, &inputExtension);
    Set(inputDirectory, directory);

    TextString outDirectory(directory);
    if (context && !context->runParameters.outputDirectory.IsEmpty())
        outDirectory = context->runParameters.outputDirectory;
    if (context && context->alternativeOutputSwitch && !context->alternativeOutputDirectory.IsEmpty())
        outDirectory = context->alternativeOutputDirectory;

    TextString outName = outputName ? *outputName : TextString();
    if (outName.IsEmpty()) {
        const TextString& given = context ? context->runParameters.outputName : TextString();
        if (inputPath.Matches("in.asc", 0, 0))
            outName = "out";
        else if (!given.IsEmpty() && !(given == "*"))
            outName = given;
        else
            outName = name;
    }

    const bool diagnostics = policies && policies->IsOn(Pol::GenerateDiagnosticsFiles);
    const bool shortExtensions = context && context->shortExtensions;
    const bool listing = context && context->listingSwitch;
    if (IsEmpty(listingName) && (listing || (context && context->secondListingSwitch) || diagnostics)) {
        Set(listingName, Joined(outDirectory, name, shortExtensions ? ".ls1" : ".lis1"));
        Set(secondListingName, Joined(outDirectory, name, ".lis"));
    }
    if (IsEmpty(statisticsName) && (listing || diagnostics))
        Set(statisticsName, Joined(outDirectory, name, shortExtensions ? ".sts" : ".stats"));

    TextString outExtension = extension ? *extension : TextString();
    if (context) {
        TextString specExtension = context->runParameters.outputExtension;
        if (specExtension.IsEmpty() && !context->runParameters.outputSpec.IsEmpty())
            SplitPath(context->runParameters.outputSpec, nullptr, nullptr, &specExtension);
        if (!specExtension.IsEmpty() && !(specExtension == ".*")) outExtension = specExtension;
    }

    TextString givenDirectory, givenName, givenExtension;
    SplitPath(outputPath, &givenDirectory, &givenName, &givenExtension);
    if (!givenDirectory.IsEmpty()) outDirectory = givenDirectory;
    if (!givenName.IsEmpty()) outName = givenName;
    if (!givenExtension.IsEmpty()) outExtension = givenExtension;
    if (outExtension.IsEmpty()) outExtension = ".html";

    Set(outputDirectory, outDirectory);
    Set(outputName, outName);
    Set(extension, outExtension);
}

void SetContentsListMode(FC* policies) {
    if (!policies || !policies->context) return;
    Context* context = policies->context;
    Context::ContentsListMode& mode = context->contentsListMode;
    mode = Context::ContentsListMode{};
    const bool external = policies->IsOn(Pol::GenerateExternalContentsFile);
    if (policies->IsOn(Pol::ExpectContentsList) && policies->IsOn(Pol::UseExistingContentsList)) {
        mode.useExisting = 1;
    } else if (policies->IsOn(Pol::AddContentsList) || external) {
        if (external)
            mode.externalFile = 1;
        else if (policies->GetInt(Pol::SplitLevel) <= 0 || context->documentState.outputFiles.count < 2)
            mode.inDocument = 1;
        else
            mode.separatePage = 1;
    }
    if (context->documentState.fileSwitches[DocumentState::kContentsListDirectiveSeen]) {
        mode.directiveSeen = 1;
        mode.atDirective = 1;
        mode.inDocument = 0;
        mode.separatePage = 0;
    }
}

void DefineDefaultFolioBlocks(FC* policies, WrappedTextFile* source) {
    if (!policies || !source) return;
    if (policies->context && policies->context->outputFormat == kOutputRTF) return;
    if (IsRuleSet(policies->ruleSetCode)) {
        const char* lines[] = {
            "*DEFINE_BLOCK DEFAULT_FOLIO_FOOTER",
            "[_[VARIABLE FOLIO_FOOTER_PAGE_NUMBER]_][_[QUAD C]_]",
            "*END_BLOCK",
            "*DEFINE_BLOCK DEFAULT_FOLIO_HR",
            "[_[LINERULE]_]",
            "*END_BLOCK",
            "*DEFINE_VARIABLE FOLIO_FORMAT_CODE,0",
            "*DEFINE_VARIABLE FOLIO_TEMPLATE,\"[Folio]\"",
            "*RESET_BLOCK PAGE_HEAD",
            "*RESET_BLOCK PAGHD",
            "[_[PAGE_MARKER]_]",
        };
        // A leading '*' stands for the directive prefix.
        for (const char* line : lines)
            source->AppendPending(line[0] == '*' ? Directive(policies, line + 1).buffer : line);
    }
    if (policies->IsOn(Pol::PreserveFileStructureWithPre))
        source->AppendPending(Directive(policies, "BEGIN_PRE").buffer);
    if (!policies->GetText(Pol::FragmentsFile).IsEmpty()) LoadFragmentsFile(policies, source);
}

void LoadFragmentsFile(FC* policies, WrappedTextFile* source) {
    if (!policies || !source) return;
    const TextString fileName = policies->GetText(Pol::FragmentsFile);
    if (fileName.IsEmpty()) return;
    TextFile reader;
    if (!OpenBesideInput(policies, reader, fileName)) {
        if (policies->ReportRefusedFile(reader)) return;
        TextString message("ERROR: Can't find file ");
        message.Append(fileName);
        AppendReason(message, reader.openFailure);
        policies->ReportMessage(message.buffer, kLevelAlways);
        return;
    }

    Context* context = policies->context;
    const TextString prefix = policies->GetText(Pol::DirectiveDelimiter);
    const TextString opensBlock[] = {Directive(policies, "DEFINE_HTML_FRAGMENT"),
                                     Directive(policies, "DEFINE_TEXT_FRAGMENT")};
    const TextString closesBlock[] = {Directive(policies, "END_BLOCK"), Directive(policies, "RESET_HTML_FRAGMENT"),
                                      Directive(policies, "RESET_TEXT_FRAGMENT")};
    const TextString include = Directive(policies, "INCLUDE");
    bool inBlock = false;
    TextString line;
    while (reader.ReadLine(line)) {
        if (prefix.IsEmpty() || !line.StartsWith(prefix.buffer, 1)) {
            if (inBlock) source->AppendPending(line.buffer);
            continue;
        }
        bool known = false;
        for (const TextString& keyword : opensBlock)
            if (line.StartsWith(keyword.buffer, 0)) known = inBlock = true;
        for (const TextString& keyword : closesBlock)
            if (!known && line.StartsWith(keyword.buffer, 0)) {
                known = true;
                inBlock = false;
            }
        if (known) {
            source->AppendPending(line.buffer);
            continue;
        }
        if (line.StartsWith(include.buffer, 0)) {
            const TextString name = Word(line, 2);
            const bool opened = !name.IsEmpty() && OpenBesideInput(policies, reader, name);
            if (!opened && policies->ReportRefusedFile(reader)) {
                // reported as refused
            } else if (context && (context->documentState.htmlOutput || context->documentState.rtfOutput)) {
                TextString message(opened ? "INFO: Opened include file \""
                                          : "ERROR: Failed to open include file \"");
                message.Append(name);
                message.Append("\"");
                if (!opened) AppendReason(message, reader.openFailure);
                if (opened)
                    policies->ReportStatus(message.buffer);
                else
                    policies->ReportMessage(message.buffer, kLevelAlways);
            }
        } else {
            TextString message("TAG ERROR: fragment file contains : ");
            message.Append(line);
            policies->ReportMessage(message.buffer, kLevelAlways);
        }
        if (inBlock) source->AppendPending(line.buffer);
    }
    reader.CloseAll();
}

void GetTaggedFileDetails(FC* policies, TextString* directory, TextString* name, TextString* extension,
                          TextString* previousDirectory, TextString* previousName, TextString* previousExtension) {
    if (!policies) return;
    Context* context = policies->context;
    if (!context || !context->documentState.secondPass) {
        policies->messageText = "PROGRAM ERROR: GetTaggedFileDetails not called on contents pass";
        return;
    }
    for (TextString* out : {directory, name, extension, previousDirectory, previousName, previousExtension})
        Clear(out);

    const TagList& tags = context->documentState.tags;
    const SourcePosition reference = context->pGetTracker()->position;
    const TextString fileNameTag("FILENAME"), newFileTag("NEWFILE");
    int fileBefore = -1, newBefore = -1, fileAfter = -1, newAfter = -1;
    tags.FindPrevious(fileNameTag, reference, &fileBefore, true);
    tags.FindPrevious(newFileTag, reference, &newBefore, true);
    tags.FindNext(fileNameTag, reference, &fileAfter, false);
    tags.FindNext(newFileTag, reference, &newAfter, false);
    auto lineOf = [&](int index) { return tags.GetAt(index)->position.line; };

    // The preceding tag is the later of the two before (FILENAME on a tie),
    // the following tag the earlier of the two after (NEWFILE on a tie).
    int preceding = fileBefore;
    if (newBefore >= 0 && (preceding < 0 || lineOf(newBefore) > lineOf(preceding))) preceding = newBefore;
    int following = newAfter;
    if (fileAfter >= 0 && (following < 0 || lineOf(fileAfter) < lineOf(following))) following = fileAfter;
    if (preceding < 0 && following < 0) return;

    auto distance = [&](int index) {
        const int difference = lineOf(index) - reference.line;
        return difference < 0 ? -difference : difference;
    };
    int nearest = preceding;
    if (following >= 0 && (preceding < 0 || distance(following) < distance(preceding))) nearest = following;

    auto parse = [&](int index, TextString& value) {
        if (TryGetTagString(*policies, tags.GetAt(index)->text, 1, value)) return true;
        policies->ReportMessage("TAG ERROR: Pailed to parse FILENAME tag", kLevelAlways);
        return false;
    };
    TextString value;
    bool useNearest = false;
    if (distance(nearest) > 9) {
        policies->messageText = "Nearest FILENAME tag too far away";
    } else if (parse(nearest, value)) {
        useNearest = !(value == context->lastFileNameValue);
        context->lastFileNameValue = value;
    }
    if (useNearest && !value.IsEmpty()) {
        SplitPath(value, directory, name, extension);
        return;
    }
    if (preceding < 0) {
        policies->ReportMessage("INFO: Failed to get filename from FILENAME tag", kLevelWarning);
        return;
    }
    TextString previous;
    if (parse(preceding, previous)) SplitPath(previous, previousDirectory, previousName, previousExtension);
}

void AddAnchorsToLinkDictionary(FC* policies, const TextLine* line, TextString* out) {
    if (!out) return;
    out->MakeEmpty();
    if (!line) return;
    TextString text(*line);
    Context* context = policies ? policies->context : nullptr;
    const bool recording = context && (context->documentState.htmlOutput || context->documentState.rtfOutput);

    int from = 0;
    int start = -1;
    while (FindAnchorStart(text, from, &start)) {
        int close = -1, end = -1;
        if (!text.FindChar(start, '>', &close, 1) || !text.Find(close, "</a>", &end, 0)) break;
        TextString openingTag, anchorText;
        openingTag.AssignSubstring(text.buffer, start, close + 1 - start);
        anchorText.AssignSubstring(text.buffer, close + 1, end - close - 1);
        // Cut "</a>" first, so that the opening tag's position stays valid.
        TextString rest;
        rest.AssignSubstring(text.buffer, end + 4, text.length - end - 4);
        text.SubString(0, end);
        text.Append(rest);
        rest.AssignSubstring(text.buffer, close + 1, text.length - close - 1);
        text.SubString(0, start);
        text.Append(rest);

        if (recording) {
            const int occurrence = CountOccurrences(text, anchorText, start);
            const TextString plain = WithoutMarkup(anchorText);
            policies->AddLinkDefinition(plain.buffer, plain.buffer, nullptr, openingTag.buffer, occurrence, start);
        }
        from = start;
    }
    *out = text;
}

void ApplyOutputSpecification(FC* policies, const TextString& defaultDirectory, const TextString& defaultName,
                              const TextString& defaultExtension, TextString* out) {
    TextString specDirectory, specName, specExtension;
    const TextString spec =
        (policies && policies->context) ? policies->context->runParameters.outputSpec : TextString();
    if (!spec.IsEmpty() && NamesSpecialFile(spec)) {
        *out = spec;
        return;
    }
    if (!spec.IsEmpty()) {
        SplitPath(spec, &specDirectory, &specName, &specExtension);
        int position = 0;
        if (specDirectory.Find(0, "[*]", &position, 1)) specDirectory.MakeEmpty();
        if (specName == "*") specName.MakeEmpty();
        if (specExtension.Find(0, ".*", &position, 1)) specExtension.MakeEmpty();
    }
    out->Assign(specDirectory.IsEmpty() ? defaultDirectory.buffer : specDirectory.buffer);
    out->Append(specName.IsEmpty() ? defaultName : specName);
    out->Append(specExtension.IsEmpty() ? defaultExtension : specExtension);
}
