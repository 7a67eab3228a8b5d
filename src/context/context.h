// Context: the state of one conversion run.  It holds what the application
// shell set for the run (run parameters and file lists), the state of the
// file being converted (pass and output flags, definition, tag and heading
// lists, open blocks, fonts, META tags), the keyword tables, the RTF style
// set, the three position trackers and the logging message sink.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "analysis/heading_list.h"
#include "context/analysis_statistics.h"
#include "context/block_list.h"
#include "context/definitions.h"
#include "context/inline_tag_state.h"
#include "context/keyword_tables.h"
#include "context/option_groups.h"
#include "context/style_set.h"
#include "context/tracker.h"
#include "foundation/fonts.h"
#include "foundation/message_reporter.h"
#include "foundation/string_list.h"
#include "foundation/text_string.h"
#include "policies/output_formats.h"
#include "policies/rule_sets.h"

class AnalysedLine;
class FC;
class OutputDocument;
class TextFile;

// The parsed command line of a run: what the qualifiers and the file
// specifications asked for.  The shell fills it; the policy set copies the
// relevant switches into policies (FC::ApplyRunParameters).
struct RunParameters {
    int usageWanted = 0;
    int sourceIsHTML = 0;
    int logFile = 0;
    int contentsList = 0;
    int consoleOutput = 0;
    int compositionUnit = 0;
    int contextInput = 0;
    int debug = 0;
    int dosNames = 0;
    int frames = 0;
    int index = 0;
    int listFiles = 0;
    int links = 0;
    int documentPolicies = 0;
    int rtf = 0;
    int simple = 0;
    int commaDelimited = 0;
    int tabDelimited = 0;
    int plainTable = 0;
    int tags = 0;
    int outputDirectoryGiven = 0;
    int consoleEcho = 1;  // session lines are echoed to standard error
    // Words of the program's own command line that were reported and
    // ignored: unrecognised, ambiguous or repeated qualifiers and "@" words.
    // Any of them makes the run's exit status 1.
    int refusedWords = 0;
    TextString logFileName;
    TextString outputSpec, outputDirectory, outputName, outputExtension;
    TextString tocOutput, tocDirectory, tocName, tocExtension;
    TextString contextInputFile;
    TextString contextOutput, contextOutputDirectory, contextOutputName, contextOutputExtension;
    TextString indexFile;
    TextString linksFile;
    TextString policyDocumentationFile;
    TextString ruleSetName;
    TextString inputSpec;
    TextString policyFile;
    int value1 = -1;
    int value2 = -1;
    int value3 = 0;
    TextString policyDirectory;  // folder of the policy file of the run
    int value4 = 0;
    int messages = 1;  // messages are displayed (off with /SILENT)
    int switch2 = 1;
    int switch3 = 1;
};

// The per-file state.
class DocumentState {
public:
    int analysisPass = 1;  // definitions and tags may be recorded
    int secondPass = 0;
    int htmlOutput = 0;  // HTML output is being written (on for every format during a conversion)
    int outputInt = 0;
    int rtfOutput = 0;  // RTF output is being written
    int utf8Text = 0;  // the input is read as UTF-8 text (8-bit text otherwise)
    TextFile* annotationOutput = nullptr;  // not owned; never attached in this program
    AnalysisStatistics statistics;
    TextString inputFileName, inputDirectory, inputName, inputExtension;
    TagList tags;
    DefineList defines;
    StringList list1;
    std::array<int, 6> fileSwitches{};
    BlockList blocks;
    BlockList savedBlocks;
    int pendingFontFlag = 0;
    FontSpec pendingFont;
    int currentIndentLevel = 0;  // open list levels of the body text; 0 outside lists
    int pendingVerticalSpace = 0;  // points still to be written; -12 after a paragraph end
    // ---- Document head and paragraphs (output/html_document.cpp, output/paragraphs.cpp) ----
    int documentStarted = 0;  // the head is written and no paragraph has been started since
    int listNestingCount = 0;  // lists of the body text open inside one another
    FontSpec currentFont;
    int index = -1;
    int currentBold = 0;
    int currentItalic = 0;
    int switch1 = 0;
    std::array<TextString, 4> texts;
    StringList outputFiles;
    int outputCounter = 0;
    HeadingList anchors;
    HeadingList contents;
    HeadingList headings;
    std::unique_ptr<StringList> nameValuePairs;
    std::unique_ptr<HeadingList> replacementHeadings;
    StringList list2;
    int headingInt = 0;
    std::array<int, 8> headingSwitches{};  // what the in-line tag handling has met (see below)
    std::vector<MetaTagEntry> metaTags;
    InlineTagState inlineTagState;  // what the in-line tag executors keep for this file
    StringList linksFound;  // display texts of the links made, while /LINKS asks for them
    std::array<TextString, 11> documentTexts;
    std::array<TextString, 12> headerTexts;  // "** UNKNOWN **" for each new file

    // ---- Headings and section numbers (analysis/headings.cpp) ----
    // The document's section numbering and the heading and contents-list
    // state of the line analysis; reset with each file.
    struct HeadingState {
        // Per level 1-6 (index 0-5), -1 = none: the current section number,
        // the numbers before the last accepted heading (so that it can be
        // undone), and the lowest and highest numbers seen.
        std::array<int, 6> current{-1, -1, -1, -1, -1, -1};
        std::array<int, 6> previous{-1, -1, -1, -1, -1, -1};
        std::array<int, 6> lowest{-1, -1, -1, -1, -1, -1};
        std::array<int, 6> highest{-1, -1, -1, -1, -1, -1};
        SourcePosition lastContentsPosition;  // the last contents-list line
        SourcePosition lastChapterPosition;  // the last level-1 heading
        int lastHeadingType = 0;  // the last accepted heading type; 0 while none
        int contentsActive = 0;  // a contents list is being read
        int contentsEnded = 0;  // the contents list has ended; it does not start again
        int contentsLocked = 0;  // contents detection is locked
        int contentsRejected = 0;  // a heading was accepted outside a contents list
        int contentsGate = 0;  // 0 while contents lists may be found
        // Output splits before headings.
        int statementSplitMode = 0;  // HTML output splits only at NEWFILE lines
        int pageCount = 0;  // CHANGE_POLICY lines met by the split test
        int splitLineCount = 0;  // line count at the last split, and at the one before
        int previousSplitLineCount = 0;
        int splitChapter = -1;  // chapter number of the last split

        void Reset() { *this = HeadingState{}; }
    };
    HeadingState headingState;

    // Indexes into headingSwitches.
    static constexpr int kFontTagsUsed = 0;  // the input uses FONT, COLOUR or COLOR tags
    static constexpr int kTextTagsUsed = 1;  // the input uses TEXT, OT or CT tags
    static constexpr int kInlineTagsSeen = 2;

    // Indexes into documentTexts: the texts the directives give the document.
    static constexpr int kDocumentTitle = 0;
    static constexpr int kDocumentDescription = 1;
    static constexpr int kDocumentKeywords = 2;
    static constexpr int kDocumentBaseHref = 3;
    static constexpr int kDocumentShortcutIcon = 4;
    static constexpr int kDocumentStyleSheet = 5;
    // Indexes into fileSwitches: directives met in the file.
    static constexpr int kTocDirectiveSeen = 0;
    static constexpr int kContentsListDirectiveSeen = 1;
    static constexpr int kNewFileDirectiveSeen = 2;

    bool FindOutputFile(const TextString& name, int* index) const;
    void AddMetaTag(Context* context, const char* name, const char* content);
};

class Context {
public:
    Context(const int& productCode, const int& outputFormat);
    Context() : Context(1, 0) {}
    virtual ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // ---- Run parameters and lists ----
    RunParameters runParameters;
    StringList inputFiles;
    StringList policyFiles;
    StringList steeringLines;
    std::array<int, 4> runCounters{};
    TextString runText;
    TextString pendingLog;
    int logInts[2] = {0, 0};

    DocumentState documentState;
    StyleSet styleSet;
    InlineTagKeywordTable inlineTags;
    TrackerSet trackers;
    DirectiveKeywordTable directives;
    MessageSink sink;
    int member10 = 0;
    TagRemovalOptionList optionGroups;
    int productCode = 1;
    int outputFormat = kOutputHTML;  // 0 HTML, 1 RTF
    // Carries out one recognised in-line tag for the output being written
    // (ExecuteTag, output/tag_executors.h).  Whoever creates the writer
    // installs it; the analysis reaches the executors only through it
    // (ExecuteInlineTag, analysis/tag_dispatch.h).  Null: every tag is left
    // to the line's own tag handling.
    using TagExecutor = bool (*)(int mode, AnalysedLine* line, const TextString& tagText, const TextString& name,
                                 const TextString& arguments, OutputDocument* document, FC* policies, int* replace,
                                 TextString* replacement);
    TagExecutor tagExecutor = nullptr;
    // Tables written in this run: "table_" + the counter names the next
    // one.  No per-file reset touches it; each run starts it at 0
    // (ResetRunLists).
    int tableCounter = 0;
    // A block of the table engine is being written (the tidy pass reads it).
    int blockOutputInProgress = 0;

    // ---- State the policy set reads and writes ----
    int ruleSetCode = kRuleSetNone;  // the rule set chosen for the run
    int characterConversion = 1;  // code-page conversion of input characters is on
    int fontTagSwitch = 1;  // fonts are written as FONT tags
    TextString policyFolder;  // folder of the policy file being read
    TextString contentsFolder;  // contents-file parts given for composition units
    TextString contentsName;
    TextString contentsExtension;
    TextString policyFileNameText;  // policy file name given for the run
    TextString fileNameRoot;  // root of the output file names
    TextString noFramesText;  // NOFRAMES_URL fragment value when "NOFRAMES link URL" is empty

    // ---- Output files (output/html_file.cpp, output/file_names.cpp) ----
    TextString firstOutputFileName;  // the run's first output file; set once
    TextString currentOutputFileName;  // the output file being written
    TextString currentDocumentStem;  // stem of the current output file
    TextFile* listingFile = nullptr;  // not owned; the open listing file, if any
    int noWrap = 0;  // generated HTML lines are never wrapped
    int dosFileCounter = 0;  // output files opened while "Use DOS filenames" is on
    TextString lastFileNameValue;  // the last FILENAME value taken (GetTaggedFileDetails)
    TextString fragmentsFolder;  // where the fragments file and its includes are looked for next
    int includeDirectorySwitch = 0;  // include files not found as named are looked for in includeDirectory
    TextString includeDirectory;  // ends in a separator
    // Output naming of the run (MakeOutputFileNames).
    TextString alternativeOutputDirectory;
    int alternativeOutputSwitch = 0;  // the alternative output directory is used
    int listingSwitch = 0;  // write a listing (".lis1") and a statistics file
    int secondListingSwitch = 0;  // write the listings only
    int shortExtensions = 0;  // ".ls1" and ".sts" in place of ".lis1" and ".stats"
    // Where the contents list goes (SetContentsListMode): at most one of the
    // first four is set; a CONTENTS_LIST directive sets the last two.
    struct ContentsListMode {
        int useExisting = 0;
        int separatePage = 0;
        int inDocument = 0;
        int externalFile = 0;
        int directiveSeen = 0;  // the document has a CONTENTS_LIST directive
        int atDirective = 0;  // the list goes where the directive stands
    };
    ContentsListMode contentsListMode;

    // ---- Operations ----
    FC* GetPolicies() const { return ownPolicies.get(); }
    void ResetRunParameters();
    void ResetRunLists();
    void StartNewFile(const char* inputFileName);
    void ResetTagDefaults();
    void ResetStyleSet();
    void RegisterInlineTagKeywords(const FC* policies);
    void RegisterDirectiveKeywords(const FC* policies);
    Tracker* pGetTracker();
    // A line of the run's log, "SESSION: " and the text (kept until the log
    // is open).  While the run's console echo is on, the text is also shown
    // as a message through the sink's filter (the display switch and the
    // classes), and held while the command line is read (see
    // HoldSessionLines).
    void LogSessionLine(const TextString& text);
    // The session lines of the command line wait to be shown until all of
    // it is read: a later qualifier (/SILENT) decides whether they are.
    // ShowHeldSessionLines shows them through the sink's filter as it is
    // then, and shows every later line at once.
    void HoldSessionLines() { sessionLinesHeld = true; }
    void ShowHeldSessionLines();
    FontSpec* GetCurrentFont();
    void AddHeadingEntry(FC* set, const int& lineType, const TextString& text, const TextString& title,
                         const TextString& anchorStem, const SourcePosition& position, const TextString& extra1,
                         const TextString& extra2, const TextString& extra3);
    void AddAnchor(FC* set, const TextString& name, const SourcePosition& position);
    bool FindReferencedSection(FC* set, int lineType, const TextString& reference, TextString& outFileName,
                               TextString& outExtension);
    void ChangeFont(FC* set, const FontSpec& font, int deferred);
    void ApplyPendingFontChange(FC* set);
    void AddMetaTag(const char* name, const char* content) { documentState.AddMetaTag(this, name, content); }

    // Convenience views of the pass flags.
    int IsOutputPass() const { return documentState.htmlOutput || documentState.rtfOutput; }

    // Forgets a line that is about to be reset or deleted, so that no tracker
    // keeps a pointer to it.
    void ForgetLine(const AnalysedLine* line);
    // Makes `line` the tracker's current line (or none); the line learns the
    // context so that it can withdraw itself when it is reset or deleted.
    void SetCurrentLine(Tracker* tracker, AnalysedLine* line);

private:
    std::unique_ptr<FC> ownPolicies;
    bool sessionLinesHeld = false;
    std::vector<TextString> heldSessionLines;
};

// Replays a directive statement on a tracker: contents and HTML sections,
// ALLOW and DISALLOW.
void ApplyStatementToTracker(FC* set, Tracker* tracker, const TextString& line, int statementType);
