// The conversion driver of tools/compare_outputs.py: a small program built by
// that script against one build's engine library, for what the program's
// command line does not reach.
//
//   conversion_driver generate FOLDER SCALE
//       writes the pathological inputs (tests/support/pathological_inputs.h),
//       the ordinary shapes of a large input (bench/input_shapes.h) and the
//       policy-file fuzzer's table into FOLDER, made SCALE times smaller
//       than the tests make them;
//   conversion_driver convert INPUT POLICY FORMAT CODE OUTPUT
//       converts INPUT as the fuzzers do (fresh policy sets, the policy file
//       POLICY read first unless it is "-") to output format FORMAT (0 HTML,
//       1 RTF) with special format code CODE, and writes the document to
//       OUTPUT.
//
// Exit status: 0 done, 1 the conversion or a file failed, 2 wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz_conversion.h"
#include "input_shapes.h"
#include "pathological_inputs.h"

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

struct ShapeName {
    input_shapes::Shape shape;
    const char* name;
};

// clang-format off
constexpr ShapeName kShapes[] = {
    {input_shapes::Shape::SpaceAligned, "SpaceAligned"}, {input_shapes::Shape::TabDelimited, "TabDelimited"},
    {input_shapes::Shape::CommaDelimited, "CommaDelimited"}, {input_shapes::Shape::CommaRecords, "CommaRecords"},
    {input_shapes::Shape::Prose, "Prose"}, {input_shapes::Shape::OneLongLine, "OneLongLine"},
    {input_shapes::Shape::ShortLines, "ShortLines"}, {input_shapes::Shape::Utf8Table, "Utf8Table"},
};
// clang-format on

// The size of the shapes the pathological-input tests convert.
constexpr size_t kShapeBytes = 3u << 19;

int Generate(const std::string& folder, size_t scale) {
    bool written = true;
    for (const pathological_inputs::Input& input : pathological_inputs::kInputs)
        written = WriteFile(folder + "/" + input.name + ".txt", input.make(scale)) && written;
    for (const pathological_inputs::Input& input : pathological_inputs::kRecordInputs)
        written = WriteFile(folder + "/" + input.name + ".txt", input.make(scale)) && written;
    for (const ShapeName& shape : kShapes)
        written = WriteFile(folder + "/Shape" + shape.name + ".txt",
                            input_shapes::MakeInput(shape.shape, kShapeBytes / scale)) &&
                  written;
    written = WritePolicyFuzzTable(folder + "/policy_table.txt") && written;
    return written ? 0 : 1;
}

int Convert(const std::string& input, const std::string& policy, int outputFormat, int formatCode,
            const std::string& output) {
    std::string document;
    const ConversionOutcome outcome =
        policy == "-" ? ConvertFileInMemory(input, outputFormat, formatCode, &document)
                      : ConvertWithPolicyFileInMemory(input, policy, outputFormat, formatCode, &document);
    if (!WriteFile(output, document)) return 1;
    return outcome.converted ? 0 : 1;
}

int Usage() {
    std::fputs(
        "usage: conversion_driver generate FOLDER SCALE\n"
        "       conversion_driver convert INPUT POLICY|- FORMAT CODE OUTPUT\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc == 4) {
        const long scale = std::strtol(argv[3], nullptr, 10);
        return scale > 0 ? Generate(argv[2], static_cast<size_t>(scale)) : Usage();
    }
    if (command == "convert" && argc == 7)
        return Convert(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), argv[6]);
    return Usage();
}
