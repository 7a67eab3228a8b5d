#include "tables/file_specs.h"

#include <cstdio>
#include <string>

#include "context/context.h"
#include "foundation/file_spec.h"
#include "foundation/message_reporter.h"
#include "foundation/text_file.h"
#include "foundation/utilities.h"
#include "platform/regular_file.h"
#include "tables/command_line.h"

namespace {

// Session lines that the steering lines' own Context gathered are handed to
// the run's Context, so they reach its log and console.
void ForwardSessionLines(Context& from, Context& to) {
    static const std::string kPrefix = "SESSION: ";
    const std::string pending = from.pendingLog.str();
    from.pendingLog.MakeEmpty();
    if (pending.empty()) return;
    size_t start = 0;
    while (start <= pending.size()) {
        size_t end = pending.find('\n', start);
        if (end == std::string::npos) end = pending.size();
        std::string line = pending.substr(start, end - start);
        if (line.compare(0, kPrefix.size(), kPrefix) == 0) line.erase(0, kPrefix.size());
        to.LogSessionLine(TextString(std::string_view(line)));
        start = end + 1;
    }
}

bool ExpandSteeringFile(const TextString& steeringFileName, Context& context) {
    TextFile file;
    if (!file.OpenForRead(steeringFileName.buffer)) {
        TextString message("ERROR: Can't open ");
        message.Append(steeringFileName);
        message.AppendChar('"');
        AppendReason(message, file.openFailure);
        file.TakeRefusal(nullptr, nullptr);
        context.LogSessionLine(message);
        return false;
    }
    Context lineContext(context.productCode, 0);
    TextString line;
    while (file.ReadLine(line)) {
        lineContext.runParameters.messages = context.runParameters.messages;
        lineContext.runParameters.consoleEcho = 0;  // the run's Context echoes the forwarded lines
        const TextString steeringLine = line;
        const int parsed = ParseCommandLine(line, lineContext, CommandLineSource::kSteeringLine);
        ForwardSessionLines(lineContext, context);
        if (parsed)
            AddMatchingFiles(context, lineContext.runParameters.inputSpec, lineContext.runParameters.policyFile,
                             steeringLine);
        lineContext.ResetRunParameters();
    }
    file.CloseAll();
    return true;
}

}  // namespace

bool ExpandFileSpecs(bool steeringFile, const TextString& steeringFileName, const TextString& fileSpec,
                     const TextString& policyFileName, Context& context, bool splitOnBlanks) {
    if (steeringFile) return ExpandSteeringFile(steeringFileName, context);

    const std::string spec = fileSpec.str();
    const TextString noSteeringLine;
    if (spec.find('"') != std::string::npos) {
        // Fields between double quotes alternate: unquoted, quoted, unquoted...
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            const size_t quote = spec.find('"', start);
            fields.push_back(spec.substr(start, quote == std::string::npos ? std::string::npos : quote - start));
            if (quote == std::string::npos) break;
            start = quote + 1;
        }
        for (size_t i = 1; i < fields.size(); i += 2)
            AddMatchingFiles(context, TextString(std::string_view(fields[0] + fields[i])), policyFileName,
                             noSteeringLine);
    } else if (splitOnBlanks && spec.find(' ') != std::string::npos) {
        size_t start = 0;
        while (start < spec.size()) {
            size_t end = spec.find(' ', start);
            if (end == std::string::npos) end = spec.size();
            if (end > start)
                AddMatchingFiles(context, TextString(std::string_view(spec).substr(start, end - start)),
                                 policyFileName, noSteeringLine);
            start = end + 1;
        }
    } else {
        AddMatchingFiles(context, fileSpec, policyFileName, noSteeringLine);
    }
    return true;
}

void AddMatchingFiles(Context& context, const TextString& fileSpec, const TextString& policyFileName,
                      const TextString& steeringLine) {
    if (fileSpec.IsEmpty()) return;
    TextString match;
    GetMatchingFileName(&context.sink, fileSpec, 0, &match);
    if (match.IsEmpty()) return;
    // A match that is not a regular file goes on to be refused, by name, when
    // it is opened for converting.
    if (const OpenedForReading check = OpenRegularFileForReading(match.buffer); !check.stream && !check.notRegular) {
        TextString message("ERROR: Can't find or open ");
        message.Append(fileSpec);
        AppendReason(message, check.reason);
        context.LogSessionLine(message);
        return;
    }
    for (int index = 1; !match.IsEmpty(); ++index) {
        TextString directory, name, extension;
        SplitPath(match, &directory, &name, &extension);
        const TextString namepart = name + extension;
        if (!(namepart.Matches(".", 1, 0) || namepart.Matches("..", 1, 0))) {
            context.inputFiles.Add(match.buffer);
            context.policyFiles.Add(policyFileName.buffer);
            context.steeringLines.Add(steeringLine.buffer);
        }
        GetMatchingFileName(&context.sink, fileSpec, index, &match);
    }
}
