#include "tables/command_line.h"

#include <cstdio>
#include <string>

#include "context/context.h"
#include "foundation/utilities.h"
#include "platform/file_status.h"

namespace {

// A blank-separated word of a line: [start, end).  Blanks inside double
// quotes do not end a word, so a quoted value stays with its qualifier.
struct Word {
    size_t start = 0;
    size_t end = 0;
};

std::vector<Word> SplitWords(const std::string& line, CommandLineSource source) {
    std::vector<Word> words;
    if (source == CommandLineSource::kProgramArgument) {
        if (!line.empty()) words.push_back({0, line.size()});
        return words;
    }
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlankOrTab(line[i])) ++i;
        if (i >= line.size()) break;
        Word word;
        word.start = i;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlankOrTab(line[i]))) {
            if (line[i] == '"') quoted = !quoted;
            ++i;
        }
        word.end = i;
        words.push_back(word);
    }
    return words;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) c = ToUpperAscii(c);
    return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && UpperAscii(text.substr(0, prefix.size())) == UpperAscii(prefix);
}

// A word beginning with "-" is a qualifier word.  A word beginning with "/"
// is one unless it looks like or names a path: a second "/" before any "=",
// or an existing file or directory of that name.
bool IsQualifierWord(const std::string& word) {
    if (word.size() > 1 && word[0] == '-') return true;
    if (word.empty() || word[0] != '/') return false;
    const std::string beforeEquals = word.substr(0, word.find('='));
    if (beforeEquals.find('/', 1) != std::string::npos) return false;
    return KindOfPath(word) == PathKind::kMissing;
}

// The qualifier as typed, up to any "=", trailing blanks removed.
std::string TypedName(const std::string& word) {
    std::string name = word.substr(0, word.find('='));
    while (!name.empty() && IsBlankOrTab(name.back())) name.pop_back();
    return name;
}

// The typed name in "/" form ("-rtf" becomes "/rtf").
std::string CanonicalName(const std::string& word) {
    std::string name = TypedName(word);
    if (!name.empty() && name[0] == '-') name[0] = '/';
    return name;
}

void Log(Context& context, const std::string& text) { context.LogSessionLine(TextString(std::string_view(text))); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Applies the rule for a file named by a qualifier whose extension must not
// be one of `refused` (upper case, with the dot): such a name gets `newExtension`.
TextString CheckedFileName(Context& context, const TextString& value, std::initializer_list<const char*> refused,
                           const char* purpose, const char* newExtension) {
    TextString directory, name, extension;
    SplitPath(value, &directory, &name, &extension);
    const std::string upper = UpperAscii(extension.str());
    for (const char* bad : refused) {
        if (upper != bad) continue;
        Log(context,
            "Can't use " + Quoted(extension.str()) + " for " + purpose + ".  Changing to " + Quoted(newExtension));
        return directory + name + newExtension;
    }
    return value;
}

void SplitInto(const TextString& value, TextString* whole, TextString* directory, TextString* name,
               TextString* extension) {
    *whole = value;
    SplitPath(value, directory, name, extension);
}

void Append(TextString& line, const std::string& text) {
    line.AppendBytes(text.data(), static_cast<int>(text.size()));
}

}  // namespace

QualifierDef::QualifierDef(const char* name, int n) : fullForm("/") {
    fullForm.Append(name);
    minimumLength = n + 1;
    shortForm.AssignChars(fullForm.buffer, minimumLength);
}

const std::vector<QualifierDef>& CommandLineQualifiers() {
    // clang-format off
    static const std::vector<QualifierDef> qualifiers = {
        {"?", 1},      {"HELP", 2},    {"HTML", 2},   {"LOG", 2},     {"OUTPUT", 1}, {"TOC_OUT", 3},
        {"CONTENTS", 4}, {"CONSOLE", 4}, {"CU", 2},   {"CTX_IN", 5},  {"CTX_OUT", 5}, {"DEBUG", 2},
        {"DOS", 2},    {"FRAMES", 1},  {"INDEX", 1},  {"LIST", 3},    {"LINKS", 3},  {"POLICY", 1},
        {"RTF", 2},    {"RULESET", 2}, {"SIMPLE", 3}, {"SILENT", 3},  {"COMMA", 3},  {"TABBED", 4},
        {"TABLE", 4},  {"TAGS", 3},
    };
    // clang-format on
    return qualifiers;
}

const QualifierDef* FindQualifier(const TextString& word) {
    const std::string text = word.str();
    if (!IsQualifierWord(text)) return nullptr;
    const std::string name = CanonicalName(text);
    for (const QualifierDef& qualifier : CommandLineQualifiers()) {
        if (StartsWithNoCase(name, qualifier.shortForm.str()) && StartsWithNoCase(qualifier.fullForm.str(), name))
            return &qualifier;
    }
    return nullptr;
}

void ReportRepeatedQualifier(Context& context, const TextString& word) {
    Log(context, "*** Unrecognised, ambiguous or repeated qualifiers : " + word.str() + " ");
    ++context.runParameters.refusedWords;
}

bool ExtractQualifier(TextString& line, Context& context, const QualifierDef& qualifier, TextString* value,
                      CommandLineSource source) {
    value->MakeEmpty();
    const std::string text = line.str();
    const std::vector<Word> words = SplitWords(text, source);
    const std::string fullForm = qualifier.fullForm.str();
    for (size_t index = 0; index < words.size(); ++index) {
        const Word& word = words[index];
        const std::string wordText = text.substr(word.start, word.end - word.start);
        if (!IsQualifierWord(wordText)) continue;
        const std::string name = CanonicalName(wordText);
        if (!StartsWithNoCase(name, qualifier.shortForm.str())) continue;
        if (!StartsWithNoCase(fullForm, name)) {
            Log(context, "Illegal Qualifier : " + TypedName(wordText));
            continue;
        }
        // The value follows "=" in the same word, or in the next word of a
        // line when it is written "/LOG =x".
        size_t removeEnd = word.end;
        bool hasEquals = false;
        std::string rest;
        size_t restEnd = word.end;
        const size_t equals = wordText.find('=');
        if (equals != std::string::npos) {
            hasEquals = true;
            rest = wordText.substr(equals + 1);
        } else if (index + 1 < words.size() && text[words[index + 1].start] == '=') {
            const Word& next = words[index + 1];
            hasEquals = true;
            rest = text.substr(next.start + 1, next.end - next.start - 1);
            restEnd = removeEnd = next.end;
        }
        if (hasEquals) {
            // A blank or tab right after "=" leaves the qualifier without a
            // value (in a line that ends the word; in one argument of the
            // program's command line the argument goes on after it).
            if (rest.empty() || IsBlankOrTab(rest[0])) {
                if (restEnd < text.size() || !rest.empty())
                    Log(context, "Missing value after " + Quoted("=") + " for qualifier " + fullForm);
            } else if (rest[0] == '"') {
                const size_t close = rest.find('"', 1);
                if (close == std::string::npos) {
                    Log(context, "Missing end-quote in qualifier value " + fullForm);
                    *value = TextString(std::string_view(rest).substr(1));
                } else {
                    *value = TextString(std::string_view(rest).substr(1, close - 1));
                }
            } else {
                *value = TextString(std::string_view(rest));
            }
        }
        TextString changed;
        Append(changed, text.substr(0, word.start));
        changed.AppendChar(' ');
        Append(changed, text.substr(removeEnd));
        line = changed;
        return true;
    }
    return false;
}

TextString CommandLineUsageText() {
    struct UsageLine {
        const char* name;
        const char* valueMark;
        const char* description;
    };
    static const UsageLine lines[] = {
        {"COMMA", "", "Input file is a comma-delimited table"},
        {"CONSOLE", "", "Write HTML output to console"},
        {"CONTENTS", "", "Generate contents list (if possible)"},
        {"DOS", "", "Generate DOS compatible 8.3 names"},
        {"FRAMES", "", "Generate HTML output in FRAMES"},
        {"HELP", "", "Display this useful list of commands (\"/?\" also works)"},
        {"HTML", "", "Source file is HTML (as opposed to text)"},
        {"INDEX", "[=filename]", "Generate a directory index of all files converted"},
        {"LOG", "[=filename]", "Generate a .log file"},
        {"LIST", "[=filename]", "Generate .lis and .lis1 diagnostic files"},
        {"OUTPUT", "[=filespec]", "Filespec for output file(s)"},
        {"POLICY", "[=filename]", "Document policies used in a .pol file"},
        {"RTF", "", "Generate RTF (instead of HTML)"},
        {"SILENT", "", "Suppress all output messages (except these :-)"},
        {"SIMPLE", "", "Treat file as structure-free \"simple\" file"},
        {"TABLE", "", "Input file is plain text table"},
        {"TABBED", "", "Input file is tab-delimited table"},
    };
    std::string text = "Command is:  Morvane filespec1 filespec2 [policy_file.pol] [/qualifiers]\n";
    text += "\nRecognised qualifiers include\n";
    for (const UsageLine& line : lines) {
        std::string start = std::string("   /") + line.name + line.valueMark;
        // The description begins in column 25.
        if (start.size() < 24) start.append(24 - start.size(), ' ');
        text += start + line.description + "\n";
    }
    text += "Qualifiers are case insensitive and may be reduced to shortest unique\n";
    text += "name (e.g \"/lo\" for \"/log\")";
    return TextString(std::string_view(text));
}

namespace {

// ---- What each qualifier sets ----
// A qualifier that is accepted sets its flag (when it has one) and then
// carries out its action (when it has one) with the value it was given.

void SetLogFileName(Context& context, const QualifierDef&, const TextString& value) {
    context.runParameters.logFileName =
        value.IsEmpty() ? TextString("Morvane.log")
                        : CheckedFileName(context, value, {".POL", ".TXT", ".DAT"}, "a log file", ".log");
}

void SetOutputSpec(Context& context, const QualifierDef&, const TextString& value) {
    if (value.IsEmpty()) return;
    RunParameters& run = context.runParameters;
    const TextString checked = CheckedFileName(context, value, {".POL"}, "an output file", ".html");
    SplitInto(checked, &run.outputSpec, &run.outputDirectory, &run.outputName, &run.outputExtension);
}

void SetContentsOutput(Context& context, const QualifierDef&, const TextString& value) {
    RunParameters& run = context.runParameters;
    SplitInto(value, &run.tocOutput, &run.tocDirectory, &run.tocName, &run.tocExtension);
}

void SetContextInput(Context& context, const QualifierDef& qualifier, const TextString& value) {
    RunParameters& run = context.runParameters;
    run.contextInputFile = value;
    if (value.IsEmpty()) {
        Log(context, "Value missing for " + qualifier.fullForm.str() + " qualifier");
        run.contextInput = 0;
    }
}

void SetContextOutput(Context& context, const QualifierDef&, const TextString& value) {
    RunParameters& run = context.runParameters;
    SplitInto(value, &run.contextOutput, &run.contextOutputDirectory, &run.contextOutputName,
              &run.contextOutputExtension);
}

void SetIndexFile(Context& context, const QualifierDef&, const TextString& value) {
    context.runParameters.indexFile =
        value.IsEmpty() ? TextString()
                        : CheckedFileName(context, value, {".POL", ".TXT", ".DAT"}, "an index file", ".html");
}

void SetLinksFile(Context& context, const QualifierDef&, const TextString& value) {
    context.runParameters.linksFile = value.IsEmpty() ? TextString("FoundLinks.txt") : value;
}

void SetPolicyDocumentationFile(Context& context, const QualifierDef&, const TextString& value) {
    context.runParameters.policyDocumentationFile = value;
}

void SetRuleSetName(Context& context, const QualifierDef&, const TextString& value) {
    if (!value.IsEmpty()) context.runParameters.ruleSetName = value;
}

struct QualifierEffect {
    const char* name;  // without the "/"
    int RunParameters::*flag;
    int flagValue;
    void (*action)(Context& context, const QualifierDef& qualifier, const TextString& value);
};

const QualifierEffect kQualifierEffects[] = {
    {"?", &RunParameters::usageWanted, 1, nullptr},
    {"HELP", &RunParameters::usageWanted, 1, nullptr},
    {"HTML", &RunParameters::sourceIsHTML, 1, nullptr},
    {"LOG", &RunParameters::logFile, 1, SetLogFileName},
    {"OUTPUT", nullptr, 0, SetOutputSpec},
    {"TOC_OUT", nullptr, 0, SetContentsOutput},
    {"CONTENTS", &RunParameters::contentsList, 1, nullptr},
    {"CONSOLE", &RunParameters::consoleOutput, 1, nullptr},
    {"CU", &RunParameters::compositionUnit, 1, nullptr},
    {"CTX_IN", &RunParameters::contextInput, 1, SetContextInput},
    {"CTX_OUT", nullptr, 0, SetContextOutput},
    {"DEBUG", &RunParameters::debug, 1, nullptr},
    {"DOS", &RunParameters::dosNames, 1, nullptr},
    {"FRAMES", &RunParameters::frames, 1, nullptr},
    {"INDEX", &RunParameters::index, 1, SetIndexFile},
    {"LIST", &RunParameters::listFiles, 1, nullptr},
    {"LINKS", &RunParameters::links, 1, SetLinksFile},
    {"POLICY", &RunParameters::documentPolicies, 1, SetPolicyDocumentationFile},
    {"RTF", &RunParameters::rtf, 1, nullptr},
    {"RULESET", nullptr, 0, SetRuleSetName},
    {"SIMPLE", &RunParameters::simple, 1, nullptr},
    {"SILENT", &RunParameters::messages, 0, nullptr},
    {"COMMA", &RunParameters::commaDelimited, 1, nullptr},
    {"TABBED", &RunParameters::tabDelimited, 1, nullptr},
    {"TABLE", &RunParameters::plainTable, 1, nullptr},
    {"TAGS", &RunParameters::tags, 1, nullptr},
};

void ApplyQualifierEffect(Context& context, const QualifierDef& qualifier, const std::string& name,
                          const TextString& value) {
    for (const QualifierEffect& effect : kQualifierEffects) {
        if (name != effect.name) continue;
        if (effect.flag) context.runParameters.*effect.flag = effect.flagValue;
        if (effect.action) effect.action(context, qualifier, value);
        return;
    }
}

// Takes every qualifier out of the line, in the order of the qualifier
// table, and applies what it sets.
void TakeQualifiers(TextString& line, Context& context, CommandLineSource source) {
    RunParameters& run = context.runParameters;
    TextString value;
    for (const QualifierDef& qualifier : CommandLineQualifiers()) {
        const std::string name = qualifier.fullForm.str().substr(1);
        if (ExtractQualifier(line, context, qualifier, &value, source))
            ApplyQualifierEffect(context, qualifier, name, value);
        // The usage text goes out once the HTML qualifier has been looked at.
        if (name == "HTML" && run.usageWanted) {
            const TextString usage = CommandLineUsageText();
            std::fwrite(usage.buffer, 1, static_cast<size_t>(usage.length), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        }
    }
}

// What is left of the line after the qualifiers: unaccepted qualifier words
// are reported and dropped; the other words are returned, as file
// specifications and the policy file.
std::vector<std::string> TakeRemainingWords(const TextString& line, Context& context, CommandLineSource source) {
    const std::string text = line.str();
    std::string unrecognised;
    std::vector<std::string> remaining;
    for (const Word& word : SplitWords(text, source)) {
        std::string wordText = text.substr(word.start, word.end - word.start);
        if (source == CommandLineSource::kProgramArgument) {
            const size_t first = wordText.find_first_not_of(" \t");
            if (first == std::string::npos) continue;
            wordText = wordText.substr(first, wordText.find_last_not_of(" \t") - first + 1);
        }
        if (IsQualifierWord(wordText))
            unrecognised += wordText + " ";
        else
            remaining.push_back(wordText);
    }
    if (!unrecognised.empty()) {
        Log(context, "*** Unrecognised, ambiguous or repeated qualifiers : " + unrecognised);
        if (source != CommandLineSource::kSteeringLine) ++context.runParameters.refusedWords;
    }
    return remaining;
}

}  // namespace

int ParseCommandLine(TextString& line, Context& context, CommandLineSource source) {
    if (line.At(0) == '!' || line.At(0) == '#') {
        Log(context, "INFO: Steering file: Ignoring comment line " + Quoted(line.str()));
        return 0;
    }
    RunParameters& run = context.runParameters;
    TakeQualifiers(line, context, source);
    const std::vector<std::string> remaining = TakeRemainingWords(line, context, source);

    // Output to the console writes no index, no messages and no files.
    if (run.consoleOutput) {
        run.index = 0;
        run.indexFile.MakeEmpty();
        run.messages = 0;
        run.outputSpec.MakeEmpty();
        run.outputDirectory.MakeEmpty();
        run.outputName.MakeEmpty();
        run.outputExtension.MakeEmpty();
    }

    // The file specifications and the policy file; the line keeps them.
    TextString rest;
    for (const std::string& word : remaining) {
        if (word[0] == '@' && source != CommandLineSource::kSteeringLine) {
            Log(context, "Steering files not yet supported");
            ++run.refusedWords;
            continue;
        }
        if (!rest.IsEmpty()) rest.AppendChar(' ');
        Append(rest, word);
        TextString directory, name, extension;
        SplitPath(TextString(std::string_view(word)), &directory, &name, &extension);
        if (UpperAscii(extension.str()) == ".POL") {
            run.policyFile = TextString(std::string_view(word));
            continue;
        }
        if (!run.inputSpec.IsEmpty()) run.inputSpec.AppendChar(' ');
        Append(run.inputSpec, word);
    }
    line = rest;
    return 1;
}
