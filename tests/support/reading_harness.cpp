#include "support/reading_harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <unordered_map>

#include "analysis/analysed_line.h"
#include "context/preprocessor.h"
#include "context/wrapped_text_file.h"
#include "foundation/text_line.h"
#include "output/tag_executors.h"
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

ReadingHarness::ReadingHarness(int outputFormat) : context(1, outputFormat) {
    policies.SetContext(&context);
    InstallTagExecutors(context);
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
}

void ReadingHarness::SetPolicy(const char* line) {
    TextString text(line);
    int category = 0;
    policies.ParsePolicyLine(text, category, false);
}

std::string ReadingHarness::WriteFile(const std::string& name, const std::string& content) {
    std::string path = folder + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteWhole(path, content);
    return path;
}

std::string ReadingHarness::ReadFile(const std::string& path) {
    BeginFile(path);

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
        delivered.taggedText = line.taggedText->str();
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

std::string ReadingHarness::ReadText(const std::string& content) {
    return ReadFile(WriteFile("input.txt", content));
}

// ---------------------------------------------------------------------------
// Reading with the line analysis

namespace {

constexpr int kRingSize = 40;

// The count of lines read and the positions of the table conversion: the
// current position (definition unit, line), the main-file position, and
// whether a block or fragment definition is being collected.
struct LineCounters {
    int linesRead = 0;
    SourcePosition current{0, 0};
    SourcePosition mainFile{0, 0};
    bool insideDefinition = false;
};

bool OpensDefinition(int code) {
    return code == 1017 || code == 1021 || code == 1025 || code == 1026 || code == 1027 || code == 1028;
}
bool ClosesDefinition(int code) { return code == 1018 || code == 1021 || code == 1027 || code == 1028; }

// The definition handling of the read loop for the line just read: its
// positions, and the types of definition lines and their bodies.  The
// definitions themselves are not recorded: line typing does not look them up.
void CountLine(FC& policies, Context& context, LineCounters& counters, AnalysedLine& line) {
    ++counters.linesRead;
    ++counters.current.line;
    if (counters.current.unit == 0) ++counters.mainFile.line;
    line.SetPosition(&policies, counters.current);
    line.SetOriginPosition(&policies, counters.mainFile);

    const int code = line.tagCode;
    if (OpensDefinition(code)) {
        if (!counters.insideDefinition) {
            counters.insideDefinition = true;
            ++context.trackers.definitionUnits;
            counters.current = SourcePosition(context.trackers.definitionUnits, 1);
            --counters.mainFile.line;  // the definition line is line 1 of the definition
            line.SetPosition(&policies, counters.current);
            line.SetOriginPosition(&policies, counters.mainFile);
        }
        line.lineType = code;
    }
    if (ClosesDefinition(code)) {
        if (counters.insideDefinition) {
            counters.insideDefinition = false;
            counters.current = counters.mainFile;
        }
        line.lineType = code;
    }
    if (counters.insideDefinition && code != 1017 && code != 1018 && code != 1025 && code != 1026)
        line.lineType = -1;
    if (code == 1024) line.lineType = 1024;
}

}  // namespace

void ReadingHarness::BeginFile(const std::string& path) {
    lines.clear();
    typed.clear();
    limitReached = false;

    // The per-file reset of the table conversion.
    context.StartNewFile(path.c_str());
    context.ResetTagDefaults();
    policies.ResetRunState(nullptr);
    policies.preprocessor.wholeFileIsTable = wholeFileIsTable ? 1 : 0;
    context.RegisterInlineTagKeywords(&policies);
    context.RegisterDirectiveKeywords(&policies);
    ResetHeldBackRemainder();
}

std::string ReadingHarness::AnalyseFile(const std::string& path) {
    BeginFile(path);

    RecordingDocument reader;
    reader.isOpen = 0;
    if (!reader.OpenForRead(path.c_str())) return "cannot open " + path + "\n";
    reader.linesToSkip = policies.GetInt(Pol::LinesToIgnoreAtStart);
    for (const std::string& text : pendingAtStart) reader.AppendPending(text.c_str());
    context.documentState.htmlOutput = 1;
    if (context.outputFormat == 1) context.documentState.rtfOutput = 1;

    // The ring owns its lines; each is linked after the one read before it.
    std::vector<std::unique_ptr<AnalysedLine>> ring(kRingSize);
    std::unordered_map<const AnalysedLine*, int> numbers;
    int index = 0;
    bool wrapped = false;
    ring[0] = std::make_unique<AnalysedLine>();
    LineCounters counters;

    auto keep = [&](const AnalysedLine& line) {
        TypedLine entry;
        auto found = numbers.find(&line);
        entry.number = found != numbers.end() ? found->second : 0;
        entry.lineType = line.lineType;
        entry.preFormatKind = line.preFormatKind;
        entry.flags = line.flags;
        entry.tagCode = line.tagCode;
        entry.text = line.str();
        typed.push_back(std::move(entry));
    };
    auto before = [](int slot) { return slot == 0 ? kRingSize - 1 : slot - 1; };

    while (ReadPreprocessedLine(reader, *ring[static_cast<size_t>(index)], policies)) {
        AnalysedLine& current = *ring[static_cast<size_t>(index)];
        CountLine(policies, context, counters, current);
        numbers[&current] = counters.linesRead;

        AnalysedLine* previous = ring[static_cast<size_t>(before(index))].get();
        if (previous && counters.linesRead > 1) previous->AnalyseLine(&policies);

        if (!wrapped) {
            ring[static_cast<size_t>(index + 1)] = std::make_unique<AnalysedLine>(&current);
            ++index;
            if (index == kRingSize - 1) wrapped = true;
        } else {
            const int oldestSlot = (index + 1) % kRingSize;
            std::unique_ptr<AnalysedLine> oldest = std::move(ring[static_cast<size_t>(oldestSlot)]);
            keep(*oldest);
            AnalysedLine* newOldest = ring[static_cast<size_t>((oldestSlot + 1) % kRingSize)].get();
            if (newOldest) newOldest->previous = nullptr;
            numbers.erase(oldest.get());
            oldest.reset();
            ring[static_cast<size_t>(oldestSlot)] = std::make_unique<AnalysedLine>(&current);
            index = oldestSlot;
        }
        if (counters.linesRead >= lineLimit) {
            limitReached = true;
            break;
        }
    }

    // The end of the input: the slot at the index holds the empty record of
    // the failed read; the line before it is analysed now.
    AnalysedLine* last = ring[static_cast<size_t>(before(index))].get();
    if (last) last->AnalyseLine(&policies);

    int ignoreAtEnd = policies.GetInt(Pol::LinesToIgnoreAtEnd);
    if (ignoreAtEnd > 20) {
        policies.ReportMessage("ERROR: Ignore end of file cannot be larger than 20", 10);
        ignoreAtEnd = 20;
    }
    for (int n = 0, slot = before(index); n < ignoreAtEnd; ++n, slot = before(slot)) {
        AnalysedLine* line = ring[static_cast<size_t>(slot)].get();
        if (!line) break;
        line->lineType = 0;
        line->SetText(nullptr);
    }
    if (ignoreAtEnd < 0) ignoreAtEnd = 0;

    if (wrapped) {
        for (int n = 0, slot = (index + 1) % kRingSize; n < kRingSize - 1 - ignoreAtEnd;
             ++n, slot = (slot + 1) % kRingSize)
            if (ring[static_cast<size_t>(slot)]) keep(*ring[static_cast<size_t>(slot)]);
    } else {
        for (int slot = 0; slot < index - ignoreAtEnd; ++slot) keep(*ring[static_cast<size_t>(slot)]);
    }

    // The lines go before the reader; none may stay the current line of a
    // tracker.
    for (auto& line : ring)
        if (line) context.ForgetLine(line.get());
    ring.clear();
    reader.CloseAll();
    return TypeDump();
}

std::string ReadingHarness::AnalyseText(const std::string& content) {
    return AnalyseFile(WriteFile("input.txt", content));
}

std::string ReadingHarness::TypeDump() const {
    std::string dump;
    for (const TypedLine& line : typed) {
        char head[80];
        std::snprintf(head, sizeof head, "%d %d %d %x |", line.number, line.lineType, line.preFormatKind,
                      static_cast<unsigned>(line.flags));
        dump += head;
        dump += VisibleText(line.text);
        dump += "|\n";
    }
    return dump;
}

std::vector<int> ReadingHarness::Types() const {
    std::vector<int> types;
    for (const TypedLine& line : typed) types.push_back(line.lineType);
    return types;
}

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
