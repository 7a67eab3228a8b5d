#include "tables/command_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "context/context.h"

namespace {

using Check = std::function<bool(const RunParameters&)>;

// Session lines the Context gathered (no log file is open in these tests).
std::vector<std::string> SessionLines(const Context& context) {
    std::vector<std::string> lines;
    const std::string pending = context.pendingLog.str();
    size_t start = 0;
    while (start < pending.size()) {
        size_t end = pending.find('\n', start);
        if (end == std::string::npos) end = pending.size();
        lines.push_back(pending.substr(start + 9, end - start - 9));  // after "SESSION: "
        start = end + 1;
    }
    return lines;
}

struct Parsed {
    int result;
    std::string rest;
    std::vector<std::string> log;
};

Parsed Parse(Context& context, const char* text, CommandLineSource source = CommandLineSource::kSteeringLine) {
    context.runParameters.consoleEcho = 0;
    TextString line(text);
    const int result = ParseCommandLine(line, context, source);
    return {result, line.str(), SessionLines(context)};
}

TEST(CommandLineTest, UsageTextIsExact) {
    const std::string expected =
        "Command is:  Morvane filespec1 filespec2 [policy_file.pol] [/qualifiers]\n"
        "\n"
        "Recognised qualifiers include\n"
        "   /COMMA               Input file is a comma-delimited table\n"
        "   /CONSOLE             Write HTML output to console\n"
        "   /CONTENTS            Generate contents list (if possible)\n"
        "   /DOS                 Generate DOS compatible 8.3 names\n"
        "   /FRAMES              Generate HTML output in FRAMES\n"
        "   /HELP                Display this useful list of commands (\"/?\" also works)\n"
        "   /HTML                Source file is HTML (as opposed to text)\n"
        "   /INDEX[=filename]    Generate a directory index of all files converted\n"
        "   /LOG[=filename]      Generate a .log file\n"
        "   /LIST[=filename]     Generate .lis and .lis1 diagnostic files\n"
        "   /OUTPUT[=filespec]   Filespec for output file(s)\n"
        "   /POLICY[=filename]   Document policies used in a .pol file\n"
        "   /RTF                 Generate RTF (instead of HTML)\n"
        "   /SILENT              Suppress all output messages (except these :-)\n"
        "   /SIMPLE              Treat file as structure-free \"simple\" file\n"
        "   /TABLE               Input file is plain text table\n"
        "   /TABBED              Input file is tab-delimited table\n"
        "Qualifiers are case insensitive and may be reduced to shortest unique\n"
        "name (e.g \"/lo\" for \"/log\")";
    EXPECT_EQ(CommandLineUsageText().str(), expected);
}

// Every qualifier, written in full and in its shortest form (lower case).
TEST(CommandLineTest, EveryQualifierAndItsShortestForm) {
    struct Case {
        const char* full;
        const char* shortest;
        Check check;
    };
    const std::vector<Case> cases = {
        {"/?", "/?", [](const RunParameters& r) { return r.usageWanted == 1; }},
        {"/HELP", "/he", [](const RunParameters& r) { return r.usageWanted == 1; }},
        {"/HTML", "/ht", [](const RunParameters& r) { return r.sourceIsHTML == 1; }},
        {"/LOG", "/lo",
         [](const RunParameters& r) { return r.logFile == 1 && r.logFileName.str() == "Morvane.log"; }},
        {"/OUTPUT=o/x.html", "/o=o/x.html",
         [](const RunParameters& r) {
             return r.outputSpec.str() == "o/x.html" && r.outputDirectory.str() == "o/" &&
                    r.outputName.str() == "x" && r.outputExtension.str() == ".html";
         }},
        {"/TOC_OUT=t/c.htm", "/toc=t/c.htm",
         [](const RunParameters& r) {
             return r.tocOutput.str() == "t/c.htm" && r.tocDirectory.str() == "t/" && r.tocName.str() == "c" &&
                    r.tocExtension.str() == ".htm";
         }},
        {"/CONTENTS", "/cont", [](const RunParameters& r) { return r.contentsList == 1; }},
        {"/CONSOLE", "/cons", [](const RunParameters& r) { return r.consoleOutput == 1 && r.messages == 0; }},
        {"/CU", "/cu", [](const RunParameters& r) { return r.compositionUnit == 1; }},
        {"/CTX_IN=in.ctx", "/ctx_i=in.ctx",
         [](const RunParameters& r) { return r.contextInput == 1 && r.contextInputFile.str() == "in.ctx"; }},
        {"/CTX_OUT=c/o.ctx", "/ctx_o=c/o.ctx",
         [](const RunParameters& r) {
             return r.contextOutput.str() == "c/o.ctx" && r.contextOutputDirectory.str() == "c/" &&
                    r.contextOutputName.str() == "o" && r.contextOutputExtension.str() == ".ctx";
         }},
        {"/DEBUG", "/de", [](const RunParameters& r) { return r.debug == 1; }},
        {"/DOS", "/do", [](const RunParameters& r) { return r.dosNames == 1; }},
        {"/FRAMES", "/f", [](const RunParameters& r) { return r.frames == 1; }},
        {"/INDEX", "/i", [](const RunParameters& r) { return r.index == 1 && r.indexFile.IsEmpty(); }},
        {"/LIST", "/lis", [](const RunParameters& r) { return r.listFiles == 1; }},
        {"/LINKS", "/lin",
         [](const RunParameters& r) { return r.links == 1 && r.linksFile.str() == "FoundLinks.txt"; }},
        {"/POLICY", "/p",
         [](const RunParameters& r) { return r.documentPolicies == 1 && r.policyDocumentationFile.IsEmpty(); }},
        {"/RTF", "/rt", [](const RunParameters& r) { return r.rtf == 1; }},
        {"/RULESET=SEC", "/ru=SEC", [](const RunParameters& r) { return r.ruleSetName.str() == "SEC"; }},
        {"/SIMPLE", "/sim", [](const RunParameters& r) { return r.simple == 1; }},
        {"/SILENT", "/sil", [](const RunParameters& r) { return r.messages == 0; }},
        {"/COMMA", "/com", [](const RunParameters& r) { return r.commaDelimited == 1; }},
        {"/TABBED", "/tabb", [](const RunParameters& r) { return r.tabDelimited == 1; }},
        {"/TABLE", "/tabl", [](const RunParameters& r) { return r.plainTable == 1; }},
        {"/TAGS", "/tag", [](const RunParameters& r) { return r.tags == 1; }},
    };
    for (const Case& c : cases) {
        for (const char* form : {c.full, c.shortest}) {
            Context context;
            const Parsed parsed = Parse(context, form);
            EXPECT_TRUE(c.check(context.runParameters)) << form;
            EXPECT_TRUE(parsed.log.empty()) << form << ": " << parsed.log.front();
            EXPECT_TRUE(context.runParameters.inputSpec.IsEmpty()) << form;
            EXPECT_EQ(parsed.rest, "") << form;
        }
    }
}

TEST(CommandLineTest, ValuesWordsAndMessages) {
    const std::string unrecognised = "*** Unrecognised, ambiguous or repeated qualifiers : ";
    struct Case {
        const char* line;
        std::vector<std::string> log;
        Check check;
    };
    const std::vector<Case> cases = {
        {"/TAB",
         {unrecognised + "/TAB "},
         [](const RunParameters& r) { return r.tabDelimited == 0 && r.plainTable == 0 && r.inputSpec.IsEmpty(); }},
        {"/lo=logs/run.txt",
         {"Can't use \".txt\" for a log file.  Changing to \".log\""},
         [](const RunParameters& r) { return r.logFile == 1 && r.logFileName.str() == "logs/run.log"; }},
        {"/INDEX=idx.DAT",
         {"Can't use \".DAT\" for an index file.  Changing to \".html\""},
         [](const RunParameters& r) { return r.index == 1 && r.indexFile.str() == "idx.html"; }},
        {"/OUTPUT=rules.pol",
         {"Can't use \".pol\" for an output file.  Changing to \".html\""},
         [](const RunParameters& r) {
             return r.outputSpec.str() == "rules.html" && r.outputExtension.str() == ".html" &&
                    r.policyFile.IsEmpty();
         }},
        {"/CTX_IN",
         {"Value missing for /CTX_IN qualifier"},
         [](const RunParameters& r) { return r.contextInput == 0; }},
        {"/output= a.txt",
         {"Missing value after \"=\" for qualifier /OUTPUT"},
         [](const RunParameters& r) { return r.outputSpec.IsEmpty() && r.inputSpec.str() == "a.txt"; }},
        {"/OUTPUT=\"my dir/x y.html\" a.txt",
         {},
         [](const RunParameters& r) {
             return r.outputSpec.str() == "my dir/x y.html" && r.inputSpec.str() == "a.txt";
         }},
        {"/OUTPUT=\"x.html",
         {"Missing end-quote in qualifier value /OUTPUT"},
         [](const RunParameters& r) { return r.outputSpec.str() == "x.html"; }},
        {"a.txt b.txt rules.pol /RTF",
         {},
         [](const RunParameters& r) {
             return r.inputSpec.str() == "a.txt b.txt" && r.policyFile.str() == "rules.pol" && r.rtf == 1;
         }},
        {"/SILENT /CONSOLE /OUTPUT=o.html /INDEX=i.html",
         {},
         [](const RunParameters& r) {
             return r.messages == 0 && r.outputSpec.IsEmpty() && r.index == 0 && r.indexFile.IsEmpty();
         }},
        // Words that look like paths are file specifications, never qualifiers.
        {"/data/dir/a.txt", {}, [](const RunParameters& r) { return r.inputSpec.str() == "/data/dir/a.txt"; }},
        {"/out/in/a.txt",
         {},
         [](const RunParameters& r) {
             return r.inputSpec.str() == "/out/in/a.txt" && r.outputSpec.IsEmpty() && r.index == 0;
         }},
        {"data/in.txt", {}, [](const RunParameters& r) { return r.inputSpec.str() == "data/in.txt"; }},
        {"/tmp", {}, [](const RunParameters& r) { return r.inputSpec.str() == "/tmp"; }},
        {"/OUTPUT=/data/out/x.html",
         {},
         [](const RunParameters& r) {
             return r.outputSpec.str() == "/data/out/x.html" && r.outputDirectory.str() == "/data/out/";
         }},
        {"/LOGX",
         {"Illegal Qualifier : /LOGX", unrecognised + "/LOGX "},
         [](const RunParameters& r) { return r.logFile == 0; }},
        {"/LOG=chk.log /LOGX",
         {unrecognised + "/LOGX "},
         [](const RunParameters& r) { return r.logFile == 1 && r.logFileName.str() == "chk.log"; }},
        {"/RTF /rtf a.txt",
         {unrecognised + "/rtf "},
         [](const RunParameters& r) { return r.rtf == 1 && r.inputSpec.str() == "a.txt"; }},
        {"-rtf -log=x.log", {}, [](const RunParameters& r) { return r.rtf == 1 && r.logFileName.str() == "x.log"; }},
        {"a@b.txt", {}, [](const RunParameters& r) { return r.inputSpec.str() == "a@b.txt"; }},
    };
    for (const Case& c : cases) {
        Context context;
        const Parsed parsed = Parse(context, c.line);
        EXPECT_EQ(parsed.result, 1) << c.line;
        EXPECT_TRUE(c.check(context.runParameters)) << c.line;
        EXPECT_EQ(parsed.log, c.log) << c.line;
    }
}

TEST(CommandLineTest, CommentLinesAreNotParsed) {
    for (const char* text : {"# a.txt /RTF", "!a.txt /RTF"}) {
        Context context;
        const Parsed parsed = Parse(context, text);
        EXPECT_EQ(parsed.result, 0);
        EXPECT_EQ(context.runParameters.rtf, 0);
        EXPECT_TRUE(context.runParameters.inputSpec.IsEmpty());
        EXPECT_EQ(parsed.log, std::vector<std::string>{"INFO: Steering file: Ignoring comment line \"" +
                                                       std::string(text) + "\""});
    }
    Context context;  // a leading blank is no comment
    EXPECT_EQ(Parse(context, " # a.txt").result, 1);
    EXPECT_EQ(context.runParameters.inputSpec.str(), "# a.txt");
}

TEST(CommandLineTest, ProgramArgumentsKeepBlanksAndRefuseSteeringFiles) {
    Context context;
    Parse(context, "/OUTPUT=/data/my dir/x.html", CommandLineSource::kProgramArgument);
    EXPECT_EQ(context.runParameters.outputSpec.str(), "/data/my dir/x.html");

    // A blank or tab right after "=" leaves the argument without a value.
    for (const char* argument : {"/OUTPUT= x", "/OUTPUT=\tx", "/o= "}) {
        Context blank;
        const Parsed parsed = Parse(blank, argument, CommandLineSource::kProgramArgument);
        EXPECT_EQ(parsed.log, std::vector<std::string>{"Missing value after \"=\" for qualifier /OUTPUT"})
            << argument;
        EXPECT_TRUE(blank.runParameters.outputSpec.IsEmpty()) << argument;
        EXPECT_TRUE(blank.runParameters.inputSpec.IsEmpty()) << argument;
    }

    Context steering;
    const Parsed parsed = Parse(steering, "@list.txt", CommandLineSource::kProgramArgument);
    EXPECT_EQ(parsed.log, std::vector<std::string>{"Steering files not yet supported"});
    EXPECT_TRUE(steering.runParameters.inputSpec.IsEmpty());
}

}  // namespace
