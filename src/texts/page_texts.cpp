#include "texts/page_texts.h"

#include "texts/label_text_tables.h"
#include "texts/ui_text_tables.h"

namespace {

const char* RowText(std::span<const TextRow> rows, int slot) {
    for (const TextRow& row : rows)
        if (row.slot == slot) return row.text;
    return "";
}

}  // namespace

const char* EnglishLabelOf(const LabelRef& label) {
    switch (label.source) {
        case LabelSource::kNone: return "";
        case LabelSource::kTablePair:
        case LabelSource::kUiTextBeside: return RowText(EnglishUiRows(), label.slot);
        case LabelSource::kLabelTextBeside: return RowText(EnglishLabelRows(), label.slot);
        case LabelSource::kEnglishOnly: return label.english;
    }
    return "";
}
