#include "support/file_conversion.h"

#include <filesystem>
#include <fstream>

#include "context/context.h"
#include "policies/fc.h"
#include "support/temp_folder.h"
#include "tables/convert_to_table.h"

namespace {

// The messages of the conversion being run.
std::string gMessages;
void KeepMessage(const char* text) {
    gMessages += text;
    gMessages += '\n';
}
void IgnoreText(const char*) {}

}  // namespace

FileConversion ConvertFileBytes(const std::string& bytes, bool rtf, int code, const char* encoding,
                                const char* name) {
    namespace fs = std::filesystem;
    TempFolder folder("vendrel_conversion");
    if (!folder.Made()) return {"cannot make a folder", ""};
    const fs::path input = folder / name;
    std::ofstream(input, std::ios::binary) << bytes;
    Context context;
    gMessages.clear();
    context.sink.SetMessageCallback(KeepMessage);
    context.sink.SetStatusCallback(IgnoreText);
    context.outputFormat = rtf ? 1 : 0;
    FC master, run, file;
    master.SetContext(&context);
    run.SetContext(&context);
    if (encoding) master.SetText(Pol::CharacterEncoding, encoding, true);
    const bool converted =
        ConvertToTable(master, run, file, context, TextString(input.string().c_str()), TextString(), code, nullptr);
    return {converted ? ReadWhole(fs::path(input).replace_extension(rtf ? ".rtf" : ".html")) : "conversion failed",
            gMessages};
}
