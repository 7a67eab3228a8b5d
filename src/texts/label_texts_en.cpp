// English label texts: the base every language of the label texts is laid
// over (texts/ui_texts.h, GetLabelText).
// Texts are UTF-8, the encoding of file names, the terminal and the desktop.

#include "texts/label_text_tables.h"
#include "texts/ui_texts.h"

namespace {

constexpr TextRow kRows[] = {
    {kLabelTableAlignment, "Table alignment"},
    {kLabelMirrorMargins, "Mirror Margins"},
};

}  // namespace

std::span<const TextRow> EnglishLabelRows() { return kRows; }
