#include "fuzz_conversion.h"

#include <cstdio>

#include "context/context.h"
#include "foundation/string_list.h"
#include "foundation/text_file.h"
#include "output/tag_executors.h"
#include "policies/fc.h"
#include "tables/convert_to_table.h"

namespace {

void DropText(const char*) {}

bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* handle = std::fopen(path.c_str(), "wb");
    if (!handle) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, handle) == size;
    return std::fclose(handle) == 0 && written;
}

// A table with a header, a tab-delimited row, a tag and a long cell: enough
// for the table, font and width policies of a fuzzed policy file to have
// something to act on.
constexpr char kPolicyFuzzTable[] =
    "Quarterly figures\n\n"
    "Name      Units   Price    Region\n"
    "Alpha     12      3.50     North [[BR]] coast\n"
    "Beta      7       12.00    South\n"
    "Gamma\t130\t0.25\tEast and a longer cell than the others\n\n"
    "1. A heading\n\nSome prose after the table, long enough to wrap at a page width.\n";

int ChosenPair(const uint8_t* data, size_t size) { return size > 0 ? data[0] % 8 : 0; }

ConversionOutcome Convert(const std::string& inputPath, const std::string* policyPath, int outputFormat,
                          int formatCode, std::string* output) {
    ConversionOutcome outcome;
    Context context(1, outputFormat);
    InstallTagExecutors(context);
    context.sink.SetMessageCallback(DropText);
    context.sink.SetStatusCallback(DropText);
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    if (policyPath) {
        TextFile reader;
        if (reader.OpenForRead(policyPath->c_str())) {
            master.ReadPolicyFile(reader);
            reader.CloseAll();
        }
    }
    StringList lines;
    outcome.converted =
        ConvertToTable(master, run, file, context, TextString(inputPath.c_str()), TextString(), formatCode, &lines);
    for (int i = 0; i < lines.count; ++i) {
        const StringListEntry* entry = lines.GetAt(i);
        const size_t length = static_cast<size_t>(entry->text.length);
        outcome.outputBytes += length + 1;
        if (output) {
            output->append(entry->text.buffer, length);
            output->push_back('\n');
        }
    }
    outcome.outputLines = static_cast<size_t>(lines.count);
    return outcome;
}

}  // namespace

ConversionOutcome ConvertFileInMemory(const std::string& inputPath, int outputFormat, int formatCode,
                                      std::string* output) {
    return Convert(inputPath, nullptr, outputFormat, formatCode, output);
}

ConversionOutcome ConvertWithPolicyFileInMemory(const std::string& inputPath, const std::string& policyPath,
                                                int outputFormat, int formatCode, std::string* output) {
    return Convert(inputPath, &policyPath, outputFormat, formatCode, output);
}

size_t ConvertWithEveryFormat(const std::string& inputPath, const uint8_t* data, size_t size) {
    if (!WriteWholeFile(inputPath, data, size)) return 0;
    size_t total = 0;
    for (int outputFormat : kFuzzOutputFormats)
        for (int formatCode : kFuzzFormatCodes)
            total += ConvertFileInMemory(inputPath, outputFormat, formatCode).outputBytes;
    return total;
}

size_t ConvertWithChosenFormat(const std::string& inputPath, const uint8_t* data, size_t size) {
    if (!WriteWholeFile(inputPath, data, size)) return 0;
    const int choice = ChosenPair(data, size);
    return ConvertFileInMemory(inputPath, kFuzzOutputFormats[choice / 4], kFuzzFormatCodes[choice % 4]).outputBytes;
}

bool WritePolicyFuzzTable(const std::string& tablePath) {
    return WriteWholeFile(tablePath, reinterpret_cast<const uint8_t*>(kPolicyFuzzTable),
                          sizeof kPolicyFuzzTable - 1);
}

size_t ConvertUnderPolicyFileWithChosenFormat(const std::string& tablePath, const std::string& policyPath,
                                              const uint8_t* data, size_t size) {
    if (!WriteWholeFile(policyPath, data, size)) return 0;
    const int choice = ChosenPair(data, size);
    return ConvertWithPolicyFileInMemory(tablePath, policyPath, kFuzzOutputFormats[choice / 4],
                                         kFuzzFormatCodes[choice % 4])
        .outputBytes;
}

size_t ConvertUnderPolicyFileWithEveryFormat(const std::string& tablePath, const std::string& policyPath,
                                             const uint8_t* data, size_t size) {
    if (!WriteWholeFile(policyPath, data, size)) return 0;
    size_t total = 0;
    for (int outputFormat : kFuzzOutputFormats)
        for (int formatCode : kFuzzFormatCodes)
            total += ConvertWithPolicyFileInMemory(tablePath, policyPath, outputFormat, formatCode).outputBytes;
    return total;
}
