// Converting one input file through ConvertToTable with its output kept in
// memory.  The fuzzer, the replay of the inputs it found faults with and the
// pathological-input tests all convert through these two routines, so that a
// failing input is replayed exactly as it was found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Output formats of the Context: 0 HTML, 1 RTF.
inline constexpr int kFuzzOutputFormats[] = {0, 1};
// The format codes every input goes through: automatic, table, tab-delimited
// and comma-delimited.
inline constexpr int kFuzzFormatCodes[] = {0, 1, 7, 8};

struct ConversionOutcome {
    bool converted = false;  // ConvertToTable's result
    size_t outputBytes = 0;  // the output lines' lengths plus one line end each
    size_t outputLines = 0;
};

// Converts the file at `inputPath` with a fresh Context and fresh policy
// sets.  The output lines go to an in-memory list (no output file is made);
// messages and status lines are dropped.  When `output` is given it receives
// the output, one line end after each line.
ConversionOutcome ConvertFileInMemory(const std::string& inputPath, int outputFormat, int formatCode,
                                      std::string* output = nullptr);

// Converts the file at `inputPath` as ConvertFileInMemory does, with the
// policies of the policy file at `policyPath` read first (as the program
// reads a policy file named on its command line).
ConversionOutcome ConvertWithPolicyFileInMemory(const std::string& inputPath, const std::string& policyPath,
                                                int outputFormat, int formatCode, std::string* output = nullptr);

// Writes the bytes to `inputPath` and converts that file with one pair of
// output format and format code, chosen by the first byte (its value modulo 8:
// the output format is the quotient by 4, the format code the remainder's
// entry of kFuzzFormatCodes); an empty input is converted to HTML with code 0.
// This is what the fuzzer runs for each input: one conversion per input keeps
// it fast, and the mutations of the first byte reach every pair.
size_t ConvertWithChosenFormat(const std::string& inputPath, const uint8_t* data, size_t size);

// Writes the bytes to `inputPath` and converts that file with every format
// code of kFuzzFormatCodes to every output format.  Returns the output bytes
// of all the conversions together.
size_t ConvertWithEveryFormat(const std::string& inputPath, const uint8_t* data, size_t size);

// The policy-file fuzzer's inputs are policy files, read before a small fixed
// table is converted under them.  WritePolicyFuzzTable writes that table to
// `tablePath` (false when it cannot); the next two write the bytes to
// `policyPath` as the policy file and convert the table under it, with the
// pair the first byte picks (as ConvertWithChosenFormat does) or with every
// pair.  Both return the output bytes.
bool WritePolicyFuzzTable(const std::string& tablePath);
size_t ConvertUnderPolicyFileWithChosenFormat(const std::string& tablePath, const std::string& policyPath,
                                              const uint8_t* data, size_t size);
size_t ConvertUnderPolicyFileWithEveryFormat(const std::string& tablePath, const std::string& policyPath,
                                             const uint8_t* data, size_t size);
