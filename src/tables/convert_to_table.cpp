#include "tables/convert_to_table.h"

#include <cerrno>
#include <memory>
#include <vector>

#include "analysis/analysed_line.h"
#include "analysis/inline_tag_args.h"
#include "context/code_locations.h"
#include "context/context.h"
#include "context/definitions.h"
#include "context/preprocessor.h"
#include "context/statement_codes.h"
#include "context/wrapped_text_file.h"
#include "foundation/line_types.h"
#include "foundation/message_reporter.h"
#include "foundation/product_identity.h"
#include "foundation/run_status.h"
#include "foundation/unicode_text.h"
#include "foundation/utilities.h"
#include "output/file_names.h"
#include "output/html_document.h"
#include "output/html_file.h"
#include "output/rtf_file.h"
#include "output/tag_executors.h"
#include "platform/file_status.h"
#include "platform/heap_blocks.h"
#include "policies/fc.h"
#include "policies/output_formats.h"
#include "tables/file_blocks.h"

namespace {

// The special format codes that convert the whole file as a table: a found
// table, a tab-delimited and a comma-delimited one.
bool IsTableFormatCode(int code) {
    return code == kSpecialTable || code == kSpecialDelimitedTable || code == kSpecialCommaDelimitedTable;
}

LineRingObserver gObserver = nullptr;
void* gObserverData = nullptr;

void Notify(RingEvent event, const AnalysedLine& line) {
    if (gObserver) gObserver(event, line, gObserverData);
}

// The reading position of the file: the running count of lines read, the
// current position (definition unit, line) and the position in the main
// file, and whether a block or fragment definition is being collected.
struct ReadingPosition {
    int linesRead = 0;
    SourcePosition current{0, 0};
    SourcePosition mainFile{0, 0};
    bool insideDefinition = false;
};

bool OpensDefinition(int code) {
    return code == kStatementDefineBlock || code == kStatementResetBlock || code == kStatementDefineHTMLFragment ||
           code == kStatementDefineTextFragment || code == kStatementResetHTMLFragment ||
           code == kStatementResetTextFragment;
}

bool ClosesDefinition(int code) {
    return code == kStatementEndBlock || code == kStatementResetBlock || code == kStatementResetHTMLFragment ||
           code == kStatementResetTextFragment;
}

bool IsFragmentCode(int code) { return code >= kStatementDefineHTMLFragment && code <= kStatementResetTextFragment; }

// The keyword slot of a definition statement.
int DirectiveSlotOf(int code) {
    switch (code) {
        case kStatementDefineBlock: return kDirDefineBlock;
        case kStatementResetBlock: return kDirResetBlock;
        case kStatementDefineHTMLFragment: return kDirDefineHTMLFragment;
        case kStatementDefineTextFragment: return kDirDefineTextFragment;
        case kStatementResetHTMLFragment: return kDirResetHTMLFragment;
        case kStatementResetTextFragment: return kDirResetTextFragment;
        default: return kDirDefineVariable;
    }
}

// The argument list of a definition line (its directive keyword removed).
bool ReadDefinitionArguments(FC& set, Context& context, const AnalysedLine& line, TextString& arguments) {
    arguments = line.taggedText;
    return ParseTagArguments(set, arguments, context.directives[DirectiveSlotOf(line.tagCode)].buffer);
}

// The scope of a definition: from where it applies and for which pages.  An
// empty scope text gives the defaults (from the next line, all pages, global).
bool ReadScope(FC& set, TextString& scopeText, SourcePosition& from, int& pageScope, int& global) {
    from = SourcePosition();
    pageScope = 0;
    global = 1;
    if (scopeText.IsEmpty()) return true;
    TextString error;
    int level = -1;
    return ParsePageScope(set, scopeText, from, pageScope, global, error, level);
}

// The definition handling of the line just read: its positions, the block
// and fragment definitions it opens or closes, and the lines of a definition
// being collected.  Errors of definition lines are not reported while the
// file is read.
void HandleDefinitionLine(FC& set, Context& context, ReadingPosition& reading, AnalysedLine& line) {
    const int savedLocation = context.trackers.codeLocation;
    context.trackers.codeLocation = kReadingInput;
    DocumentState& state = context.documentState;

    ++reading.linesRead;
    ++reading.current.line;
    if (reading.current.unit == 0) ++reading.mainFile.line;
    line.SetPosition(&set, reading.current);
    line.SetOriginPosition(&set, reading.mainFile);

    const int code = line.tagCode;
    if (OpensDefinition(code) && !reading.insideDefinition) {
        TextString arguments, name, scopeText;
        SourcePosition from;
        int pageScope = 0, global = 1;
        const bool named = ReadDefinitionArguments(set, context, line, arguments) &&
                           TryGetTagString(set, arguments, 1, name) && !name.IsEmpty();
        if (named) GetTagStringOrDefault(set, arguments, 2, scopeText, "");
        if (named && ReadScope(set, scopeText, from, pageScope, global)) {
            reading.insideDefinition = true;
            if (state.analysisPass)
                state.defines.Add(&set, IsFragmentCode(code) ? kDefinitionFragment : kDefinitionBlock, name, from,
                                  pageScope, global, nullptr);
            ++context.trackers.definitionUnits;
            reading.current = SourcePosition(context.trackers.definitionUnits, 1);
            --reading.mainFile.line;  // the definition line is line 1 of the definition
            line.SetPosition(&set, reading.current);
            line.SetOriginPosition(&set, reading.mainFile);
        } else if (code == kStatementDefineBlock || code == kStatementDefineHTMLFragment ||
                   code == kStatementDefineTextFragment) {
            // Without a usable name or scope the line defines nothing.  It
            // must not open a definition that swallows the lines after it
            // (which stay text), nor be written itself: it is dropped as a
            // consumed line and no longer counts as a directive.
            line.tagCode = kStatementNone;
            line.lineType = kLineIgnored;
            context.trackers.codeLocation = savedLocation;
            return;
        }
    }
    if (OpensDefinition(code)) line.lineType = code;

    if (ClosesDefinition(code)) {
        if (reading.insideDefinition) {
            reading.insideDefinition = false;
            reading.current = reading.mainFile;
        }
        line.lineType = code;
    }

    if (reading.insideDefinition && code != kStatementDefineBlock && code != kStatementEndBlock &&
        code != kStatementDefineHTMLFragment && code != kStatementDefineTextFragment) {
        if (state.analysisPass) state.defines.AppendLine(line.rawText);
        line.lineType = kLineConsumed;
    }

    if (code == kStatementDefineVariable) {
        TextString arguments, name, value, scopeText;
        bool named = false;
        if (ReadDefinitionArguments(set, context, line, arguments)) {
            named = TryGetTagString(set, arguments, 1, name);
            if (named) GetTagStringOrDefault(set, arguments, 2, value, "");
            GetTagStringOrDefault(set, arguments, 3, scopeText, "");
        }
        SourcePosition from;
        int pageScope = 0, global = 1;
        if ((named || !scopeText.IsEmpty()) && ReadScope(set, scopeText, from, pageScope, global)) {
            ++context.trackers.definitionUnits;
            if (state.analysisPass)
                state.defines.Add(&set, kDefinitionVariable, name, from, pageScope, global, &value);
        }
        line.lineType = kStatementDefineVariable;
    }
    context.trackers.codeLocation = savedLocation;
}

TextString PercentLine() { return TextString(std::string(50, '%')); }

// The two status lines that announce the file through the master set.
void AnnounceFile(FC& master, Context& context, const TextString& inputPath) {
    TextString directory, name, extension;
    SplitPath(inputPath, &directory, &name, &extension);
    master.ReportStatus(PercentLine().buffer);
    TextString line("Processing : \"");
    line.Append(name);
    line.Append(extension);
    line.Append("\"");
    if (!context.policyFileNameText.IsEmpty()) {
        TextString policyDirectory, policyName, policyExtension;
        SplitPath(context.policyFileNameText, &policyDirectory, &policyName, &policyExtension);
        if (!policyName.IsEmpty() && !policyExtension.IsEmpty()) {
            line.Append(" using policy file \"");
            line.Append(policyName);
            line.Append(policyExtension);
            line.Append("\"");
        }
    }
    master.ReportStatus(line.buffer);
}

// The slot before `slot` in the ring.
int Before(int slot) { return slot == 0 ? kLineRingSize - 1 : slot - 1; }
int After(int slot) { return slot == kLineRingSize - 1 ? 0 : slot + 1; }

// The ring of analysed lines of one file, with the blocks of the file that
// take the lines leaving it.  Every record is linked after the one read
// before it; the ring owns its records.
class LineRing {
public:
    LineRing(FC& set, FileBlocks& blocks) : set(set), blocks(blocks), slots(kLineRingSize) {
        slots[0] = std::make_unique<AnalysedLine>();
    }
    ~LineRing() {
        // The records withdraw themselves from the trackers as they go.
        for (std::unique_ptr<AnalysedLine>& slot : slots) slot.reset();
    }

    AnalysedLine& Current() { return *slots[static_cast<size_t>(index)]; }

    // After a line was read into the current record: the line before it is
    // analysed (from the second line on), then the ring moves on, handing
    // the oldest line to the engine once it is full.
    void LineRead(int linesRead) {
        AnalysedLine* previous = slots[static_cast<size_t>(Before(index))].get();
        if (previous && linesRead > 1) Analyse(*previous);

        AnalysedLine& current = Current();
        if (!wrapped) {
            slots[static_cast<size_t>(index) + 1] = std::make_unique<AnalysedLine>(&current);
            ++index;
            if (index == kLineRingSize - 1) wrapped = true;
            return;
        }
        const int oldestSlot = After(index);
        AnalysedLine& oldest = *slots[static_cast<size_t>(oldestSlot)];
        HandOn(oldest);
        if (AnalysedLine* newOldest = slots[static_cast<size_t>(After(oldestSlot))].get())
            newOldest->previous = nullptr;
        // The record handed on takes the next line: it is made new again but
        // keeps the buffers of its texts, so that reading a line allocates
        // nothing once the ring is full.
        oldest.Recycle(&current);
        index = oldestSlot;
    }

    // At the end of the input: the last line is analysed, the `ignoreAtEnd`
    // most recent lines are emptied, and the rest go to the engine in order.
    void Flush(int ignoreAtEnd) {
        if (AnalysedLine* last = slots[static_cast<size_t>(Before(index))].get()) Analyse(*last);

        for (int n = 0, slot = Before(index); n < ignoreAtEnd; ++n, slot = Before(slot)) {
            AnalysedLine* line = slots[static_cast<size_t>(slot)].get();
            if (!line) break;
            line->lineType = kLineText;
            line->SetText(nullptr);
        }
        if (wrapped) {
            for (int n = 0, slot = After(index); n < kLineRingSize - 1 - ignoreAtEnd; ++n, slot = After(slot))
                HandOn(*slots[static_cast<size_t>(slot)]);
        } else {
            for (int slot = 0; slot < index - ignoreAtEnd; ++slot) HandOn(*slots[static_cast<size_t>(slot)]);
        }
        // The engine holds its own copies now: the records give back their
        // texts' room before the block is written.
        for (std::unique_ptr<AnalysedLine>& slot : slots)
            if (slot) slot->ReleaseTexts();
    }

private:
    FC& set;
    FileBlocks& blocks;
    std::vector<std::unique_ptr<AnalysedLine>> slots;
    int index = 0;
    bool wrapped = false;

    void Analyse(AnalysedLine& line) {
        line.AnalyseLine(&set);
        Notify(RingEvent::Analysed, line);
    }
    void HandOn(AnalysedLine& line) {
        // No analysis reads this record again (it is the oldest of the ring,
        // or the input has ended): a long line's analysis texts go before
        // the blocks copy the line.
        line.ReleaseAnalysisTexts();
        line.GiveBackCurrentText();
        if (blocks.AddLine(line)) Notify(RingEvent::HandedOn, line);
    }
};

// The effective "Lines to ignore at end of file": at most 20 (with a
// message), and a negative value counts as 0.
int LinesToIgnoreAtEnd(FC& set) {
    int count = set.GetInt(Pol::LinesToIgnoreAtEnd);
    if (count > kMaxLinesIgnoredAtEnd) {
        TextString message("ERROR: Ignore end of file cannot be larger than ");
        message.AppendNumber('1', kMaxLinesIgnoredAtEnd, 0);
        set.ReportMessage(message.buffer, kLevelAlways);
        count = kMaxLinesIgnoredAtEnd;
    }
    return count < 0 ? 0 : count;
}

// The names of one file's output.
struct OutputNames {
    TextString inputDirectory, outputDirectory, outputName, outputExtension;
    TextString listingName, secondListingName, statisticsName;
};

// The output names of `inputPath`, computed in `naming` with the merged
// policies of the run.
void MakeNames(FC& master, FC& run, Context& context, const TextString& inputPath, const TextString& outputLocation,
               FC& naming, OutputNames& names) {
    naming.SetContext(&context);
    naming.ApplyRunParameters(context);
    naming.SetText(Pol::InputDirectory, "", false);
    naming.SetText(Pol::OutputDirectory, "", false);
    naming.MergeChangedPolicies(master, 1);
    if (FC* ruleSet = context.GetPolicies()) naming.MergeChangedPolicies(*ruleSet, 0);
    naming.MergeChangedPolicies(run, 0);
    MakeOutputFileNames(inputPath, outputLocation, &naming, 0, &names.inputDirectory, &names.outputDirectory,
                        &names.outputName, &names.outputExtension, &names.listingName, &names.secondListingName,
                        &names.statisticsName);
}

// The policies that name a file a conversion reads.  (The text of a file
// cannot change them: see the CHANGE_POLICY directive.)
constexpr Pol kPoliciesNamingFilesRead[] = {
    Pol::HTMLHeaderFile,      Pol::HTMLFooterFile,      Pol::HTMLScriptFile,       Pol::FragmentsFile,
    Pol::StyleFile,           Pol::LinkDictionaryFile,  Pol::TextSubstitutionFile, Pol::DirectoryHeaderFile,
    Pol::DirectoryFooterFile, Pol::DirectoryScriptFile,
};

void FindFilesNamedForReading(FC& naming, const Context& context, const TextString& inputDirectory,
                              std::vector<TextString>& found) {
    for (const Pol policy : kPoliciesNamingFilesRead) {
        const TextString& name = naming.GetText(policy);
        if (name.IsEmpty()) continue;
        for (const TextString* folder : {&inputDirectory, &context.policyFolder}) {
            TextString path;
            if (folder->IsEmpty())
                path = name;
            else
                ResolveRelativePath(*folder, name, &path);
            if (KindOfFile(path.str()) == FileKind::kRegular) found.push_back(path);
        }
        if (KindOfFile(name.str()) == FileKind::kRegular) found.push_back(name);
    }
}

// The end of a conversion in which a text would have grown beyond the most
// a text may hold: the output file closes as after a failed write, which
// never replaces its target (the earlier output is kept), without the
// writer's last flush; the file is reported, and the run fails.  The
// conversion stopped in the middle of a stage: the message is shown
// directly, not kept by the line that stage had in hand, and the stage is
// over.
void AbandonTooLarge(OutputDocument& writer, FC& set, Context& context, const TextString& inputPath,
                     const TextTooLarge& failure) {
    if (!writer.writeError) writer.writeError = EFBIG;
    writer.TextFile::CloseAll();
    context.trackers.codeLocation = kNoCodeLocation;
    TextString message("ERROR: Conversion of \"");
    message.Append(inputPath);
    message.Append("\" failed: ");
    message.Append(failure.what());
    message.Append(" (the earlier output is kept)");
    TheRunStatus().NoteFailure();
    set.OutputMessage(message.buffer, kLevelAlways);
}

// Closes the output file; false when a write or the close failed (reported
// once, naming the file).
bool CloseWriter(OutputDocument& writer, FC& set, Context& context) {
    return writer.CloseChecked(&set, context.currentOutputFileName);
}

}  // namespace

TextString OutputFilePath(FC& master, FC& run, Context& context, const TextString& inputPath,
                          const TextString& outputLocation, std::vector<TextString>* namedForReading) {
    OutputNames names;
    FC naming;
    MakeNames(master, run, context, inputPath, outputLocation, naming, names);
    if (namedForReading) FindFilesNamedForReading(naming, context, names.inputDirectory, *namedForReading);
    naming.SetText(Pol::InputDirectory, names.inputDirectory.buffer, false);
    naming.SetText(Pol::OutputDirectory, names.outputDirectory.buffer, false);
    const TextString outputFile = names.outputDirectory + names.outputName;
    TextString path;
    if (context.outputFormat == kOutputRTF)
        RTFFile(naming).GetOutputFileName(outputFile.buffer, &naming, &path);
    else if (context.outputFormat == kOutputHTML)
        HTMLFile().GetOutputFileName(outputFile.buffer, &naming, &path);
    return path;
}

void SetLineRingObserver(LineRingObserver observer, void* data) {
    gObserver = observer;
    gObserverData = data;
}

bool ConvertToTable(FC& master, FC& run, FC& file, Context& context, const TextString& inputPath,
                    const TextString& outputLocation, int specialFormatCode, StringList* outputList) {
    // The analysis has its in-line tags carried out by the writers' executors.
    InstallTagExecutors(context);
    // The block's large texts get pages of their own (see heap_blocks.h).
    KeepLargeBlocksMapped();

    // The output names, computed with the merged policies of the run.
    OutputNames names;
    {
        FC naming;
        MakeNames(master, run, context, inputPath, outputLocation, naming, names);
    }
    const TextString& inputDirectory = names.inputDirectory;
    const TextString& outputDirectory = names.outputDirectory;
    const TextString& outputName = names.outputName;

    // Announce the file.
    AnnounceFile(master, context, inputPath);

    // Reset for the file.
    context.StartNewFile(inputPath.buffer);
    context.ResetStyleSet();
    master.SetFileNameRoot(outputName.buffer);
    master.SetText(Pol::InputDirectory, inputDirectory.buffer, false);
    master.SetText(Pol::OutputDirectory, outputDirectory.buffer, false);
    file.SetContext(&context);
    file.ApplyRunParameters(context);
    file.SetText(Pol::InputDirectory, inputDirectory.buffer, false);
    file.SetText(Pol::OutputDirectory, outputDirectory.buffer, false);
    file.MergeChangedPolicies(master, 1);
    if (FC* ruleSet = context.GetPolicies()) file.MergeChangedPolicies(*ruleSet, 1);
    file.MergeChangedPolicies(run, 1);
    // The preprocessor's state and the keyword tables follow the file's
    // policies (directive prefix, tag delimiters).
    file.ResetRunState(nullptr);
    file.preprocessor.wholeFileIsTable = IsTableFormatCode(specialFormatCode) ? 1 : 0;
    context.RegisterInlineTagKeywords(&file);
    context.RegisterDirectiveKeywords(&file);

    HTMLFile reader;  // only ever opened for reading
    context.ResetTagDefaults();
    context.documentState.statistics.Reset();
    SetContentsListMode(&file);
    context.styleSet.SetDefaultFonts(&file);
    // The default fonts replace what a styles file set when the policies
    // were merged: the styles file is read again on top of them.
    context.ResetStyleSet();
    context.styleSet.ReadStylesFile(&file);
    file.SetText(Pol::InputDirectory, inputDirectory.buffer, false);
    file.SetText(Pol::OutputDirectory, outputDirectory.buffer, false);
    {
        TextString productName, shortVersion, fullVersion;
        GetProductInfo(productName, shortVersion, fullVersion);
        file.generatorText = productName + " " + shortVersion;
    }
    file.fileLabel = inputPath;
    file.ReportStatus(PercentLine().buffer);
    {
        TextString line("Processing \"");
        line.Append(inputPath);
        line.Append("\"");
        file.ReportStatus(line.buffer);
    }

    // Open the input and the output.  The input's encoding is decided as it
    // is opened; the files it includes are read in the same one.
    reader.declaredUtf8 = unicode::NamesUtf8(file.GetText(Pol::CharacterEncoding)) ? 1 : 0;
    if (!reader.OpenForRead(inputPath.buffer)) {
        if (file.ReportRefusedFile(reader)) return false;
        TextString message("ERROR: Error opening ");
        message.Append(inputPath);
        AppendReason(message, reader.openFailure);
        file.ReportMessage(message.buffer, kLevelAlways);
        return false;
    }
    context.documentState.utf8Text = reader.utf8Text == 1 ? 1 : 0;
    ResetHeldBackRemainder();
    reader.linesToSkip = file.GetInt(Pol::LinesToIgnoreAtStart);
    if (reader.linesToSkip < 0) reader.linesToSkip = 0;

    std::unique_ptr<OutputDocument> writer;
    DocumentState& state = context.documentState;
    switch (context.outputFormat) {
        case kOutputHTML:
            writer = std::make_unique<HTMLFile>();
            state.htmlOutput = 1;
            state.outputInt = 0;
            state.rtfOutput = 0;
            break;
        case kOutputRTF:
            writer = std::make_unique<RTFFile>(file);
            state.htmlOutput = 1;
            state.outputInt = 0;
            state.rtfOutput = 1;
            break;
        case kOutputText:
            // No writer writes plain text: the file is refused before it is read.
            file.ReportMessage("UNSUPPORTED CASE: target format in ConvertToTable", kLevelAlways);
            reader.CloseAll();
            return false;
        default: reader.CloseAll(); return false;
    }
    if (outputList) writer->outputList = outputList;
    writer->deferHead = 1;
    TextString outputFile(outputDirectory);
    outputFile.Append(outputName);
    if (!writer->Open(outputFile.buffer, &file, 0)) {
        reader.CloseAll();
        writer->CloseAll();
        return false;
    }

    // The ring, the blocks, the default definitions.  A text that would
    // grow beyond the most a text may hold ends the file's conversion (see
    // AbandonTooLarge).
    try {
        FileBlocks blocks(writer.get(), file, specialFormatCode);
        state.htmlOutput = 1;
        DefineDefaultFolioBlocks(&file, &reader);
        // What the program queued so far is no text of the user's.
        reader.MarkPendingAsOwn();

        // Read, analyse, hand on.
        LineRing ring(file, blocks);
        ReadingPosition reading;
        // The ring's current record is always fresh or just recycled, so the
        // reader need not reset it again.
        while (ReadPreprocessedLine(reader, ring.Current(), file, true)) {
            AnalysedLine& line = ring.Current();
            line.fileLine = reader.MainFileLineNumber();
            HandleDefinitionLine(file, context, reading, line);
            // A line the program added (a rule set's page marker) is no line
            // of the table; its definitions are kept.
            if (reader.lastLineIsOwn && line.tagCode == kStatementNone) line.lineType = kLineConsumed;
            Notify(RingEvent::Read, line);
            ring.LineRead(reading.linesRead);
        }

        // The end of the input: the last lines, then the blocks are written.
        ring.Flush(LinesToIgnoreAtEnd(file));
        blocks.EndOfInput();
        // The head waited for the whole input (see OutputDocument::deferHead).
        writer->WriteDeferredHead();
        blocks.Process();

        // The document foot.  A footer fragment defined anywhere in the
        // input is the page's, as one defined before the table: the lookup
        // from no position sees every definition, and of several the last.
        if (context.outputFormat == kOutputHTML) {
            TextString footer = file.GetText(Pol::HTMLFooterFile);
            int index = -1;
            if (state.defines.FindPreviousDefinition(kDefinitionFragment, TextString("HTML_FOOTER"),
                                                     SourcePosition(), 0, &index, true))
                footer = "*HTML_FOOTER*";
            PageEndOptions options;
            options.pageOption = 1;
            options.navigationBar = 1;
            options.directoryPage = 0;
            HTML_EndDocument(writer.get(), nullptr, &file, footer, options);
        } else if (auto* rtf = dynamic_cast<RTFFile*>(writer.get())) {
            // Closes the paragraph, text and document groups the header opened.
            CloseRTFFile(rtf, &file);
        }
    } catch (const TextTooLarge& failure) {
        reader.CloseAll();
        AbandonTooLarge(*writer, file, context, inputPath, failure);
        return false;
    }

    // Close everything.
    reader.CloseAll();
    return CloseWriter(*writer, file, context);
}
