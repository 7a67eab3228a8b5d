#include "support/reading_harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "analysis/analysed_line.h"
#include "context/preprocessor.h"
#include "context/wrapped_text_file.h"
#include "foundation/text_line.h"
#include "support/recording_document.h"

namespace {

std::vector<std::string>* gMessages = nullptr;
std::vector<std::string>* gStatus = nullptr;

void KeepMessage(const char* text) {
    if (gMessages) gMessages->push_back(text ? text : "");
}

void KeepStatus(const char* text) {
    if (gStatus) gStatus->push_back(text ? text : "");
}

std::string MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vendrel_reading_XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    return made ? std::string(made) : std::string();
}

int Count(const std::vector<std::string>& texts, const std::string& text) {
    int count = 0;
    for (const std::string& entry : texts)
        if (entry.find(text) != std::string::npos) ++count;
    return count;
}

}  // namespace

std::string VisibleText(const std::string& text) {
    std::string shown;
    for (unsigned char c : text) {
        if (c < 32 || c >= 127) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            shown += code;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

ReadingHarness::ReadingHarness(int outputFormat) : context(1, outputFormat), folder(MakeFolder()) {
    policies.SetContext(&context);
    gMessages = &messages;
    gStatus = &statusLines;
    context.sink.SetMessageCallback(KeepMessage);
    context.sink.SetStatusCallback(KeepStatus);
}

ReadingHarness::~ReadingHarness() {
    context.sink.SetMessageCallback(nullptr);
    context.sink.SetStatusCallback(nullptr);
    gMessages = nullptr;
    gStatus = nullptr;
    policies.SetContext(nullptr);
    std::error_code error;
    if (!folder.empty()) std::filesystem::remove_all(folder, error);
}

void ReadingHarness::SetPolicy(const char* line) {
    TextString text(line);
    int category = 0;
    policies.ParsePolicyLine(text, category, false);
}

std::string ReadingHarness::WriteFile(const std::string& name, const std::string& content) {
    std::string path = folder + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string ReadingHarness::ReadFile(const std::string& path) {
    lines.clear();
    limitReached = false;

    // The per-file reset of the table conversion.
    context.StartNewFile(path.c_str());
    context.ResetTagDefaults();
    policies.ResetRunState(nullptr);
    context.RegisterInlineTagKeywords(&policies);
    context.RegisterDirectiveKeywords(&policies);
    ResetHeldBackRemainder();

    RecordingDocument reader;
    reader.isOpen = 0;
    if (!reader.OpenForRead(path.c_str())) return "cannot open " + path + "\n";
    reader.linesToSkip = policies.GetInt(Pol::LinesToIgnoreAtStart);
    for (const std::string& text : pendingAtStart) reader.AppendPending(text.c_str());
    context.documentState.htmlOutput = 1;
    if (context.outputFormat == 1) context.documentState.rtfOutput = 1;

    AnalysedLine line;
    int count = 0;
    while (ReadPreprocessedLine(reader, line, policies)) {
        ++count;
        line.position = SourcePosition(0, count);
        line.originPosition = line.position;
        context.trackers.input.position = line.position;
        DeliveredLine delivered;
        delivered.number = count;
        delivered.tagCode = line.tagCode;
        delivered.flags = line.flags;
        delivered.specialBlock = line.specialBlock;
        delivered.text = line.str();
        delivered.taggedText = line.taggedText.str();
        lines.push_back(std::move(delivered));
        if (count >= lineLimit) {
            limitReached = true;
            break;
        }
    }
    context.ForgetLine(&line);
    reader.CloseAll();
    return Dump();
}

std::string ReadingHarness::ReadText(const std::string& content) { return ReadFile(WriteFile("input.txt", content)); }

std::string ReadingHarness::Dump() const {
    std::string dump;
    for (const DeliveredLine& line : lines) {
        char head[64];
        std::snprintf(head, sizeof head, "%d %d %x |", line.number, line.tagCode, static_cast<unsigned>(line.flags));
        dump += head;
        dump += VisibleText(line.text);
        dump += "|\n";
    }
    return dump;
}

int ReadingHarness::CountMessages(const std::string& text) const { return Count(messages, text); }
int ReadingHarness::CountStatus(const std::string& text) const { return Count(statusLines, text); }
