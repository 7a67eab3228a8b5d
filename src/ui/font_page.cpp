#include <cstdlib>
#include <string>

#include "texts/dialog_ids.h"
#include "ui/output_pages.h"

namespace {

constexpr int kRegularWeight = 400;
constexpr int kBoldWeight = 700;
// The size a font text without a readable size presets the chooser with.
constexpr int kDefaultPointSize = 12;

// The sizes of the BASEFONT list.
constexpr const char* kBaseFontSizes[] = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                                          "20", "22", "24", "26", "28", "36", "48", "72"};

// Each font field with the button of its chooser.
struct FontField {
    int fieldId;
    int buttonId;
};
constexpr FontField kFontFields[] = {
    {FontPage::kBodyFont, FontPage::kBodyButton},         {FontPage::kHeadingFont, FontPage::kHeadingButton},
    {FontPage::kTableFont, FontPage::kTableButton},       {FontPage::kFixedFont, FontPage::kFixedButton},
    {FontPage::kContentsFont, FontPage::kContentsButton},
};

// A field of a font text, blanks around it removed; empty when missing.
TextString FontTextField(const TextString& fontText, int n) {
    TextString field;
    if (!fontText.GetField(n, ',', &field)) return TextString();
    field.Trim(0, " \t");
    return field;
}

}  // namespace

FontChoice FontTextToChoice(const TextString& fontText) {
    FontChoice font;
    font.face = FontTextField(fontText, 1);
    const TextString style = FontTextField(fontText, 2);
    const std::string_view styleText = style.view();
    font.weight = styleText == "Bold" || styleText == "Bold Italic" ? kBoldWeight : kRegularWeight;
    font.italic = styleText == "Italic" || styleText == "Bold Italic";
    const TextString size = FontTextField(fontText, 3);
    char* end = nullptr;
    const long points = std::strtol(size.c_str(), &end, 10);
    const bool readable = !size.IsEmpty() && end != nullptr && *end == '\0' && points > 0 && points < 10000;
    font.pointSize = readable ? static_cast<int>(points) : kDefaultPointSize;
    return font;
}

TextString FontChoiceToText(const FontChoice& font) {
    const bool bold = font.weight >= kBoldWeight;
    TextString text(font.face);
    text.Append(bold && font.italic ? ", Bold Italic" : bold ? ", Bold" : font.italic ? ", Italic" : ", Regular");
    text.Append(", ");
    text.Append(std::to_string(font.pointSize).c_str());
    return text;
}

std::span<const PageControl> FontPage::Controls() {
    static constexpr PageControl kControls[] = {
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ROW
#include "texts/pages/fonts.def"
#undef PAGE_CONTROL
    };
    return kControls;
}

FontPage::FontPage(UiServices& services) : OptionPage(kFontPageDialogId, kTopicFonts, services) {
    SetCaption("Fonts");
    AddControls(Controls());
    // A font field is read-only: its text comes from the chooser and from
    // loads, and a change of it is no request for the chooser.
    for (const FontField& field : kFontFields)
        On(field.buttonId, NotifyEvent::kClicked, [this, id = field.fieldId] { ChooseFontFor(id); });
    On(kBaseFontSize, NotifyEvent::kSelectionEnded, [this] { UpdateData(true); });
}

void FontPage::LoadValues(const FC& set) {
    OptionPage::LoadValues(set);
    // A font never set shows the font it falls back on.
    BoundControl* table = MutableBound(kTableFont);
    if (!table->changed && !set.IsSet(Pol::TableFont)) table->text = set.GetText(Pol::DefaultFont);
    BoundControl* contents = MutableBound(kContentsFont);
    if (!contents->changed && !set.IsSet(Pol::ContentsFont)) contents->text = set.GetText(Pol::HeadingFont);
}

void FontPage::OnInitDialog() {
    std::vector<TextString> sizes;
    for (const char* size : kBaseFontSizes) sizes.emplace_back(size);
    SetItems(kBaseFontSize, std::move(sizes));
    OptionPage::OnInitDialog();
}

void FontPage::ChooseFontFor(int fieldId) {
    BoundControl* bound = MutableBound(fieldId);
    const TextString before(bound->text);
    FontChoice font = FontTextToChoice(TextString(ControlText(fieldId)));
    if (Services().ChooseFont(font)) SetControlText(fieldId, FontChoiceToText(font).c_str());
    // Taking the values marks a different text changed; a cancelled choice
    // keeps what was typed.
    UpdateData(true);
    if (bound->text.view() == before.view()) return;
    // The body font carries on into the tables and the headings font into
    // the contents while those were not chosen themselves; the copies are
    // shown, not marked.
    int followerId = 0;
    if (fieldId == kBodyFont) followerId = kTableFont;
    if (fieldId == kHeadingFont) followerId = kContentsFont;
    if (followerId == 0) return;
    BoundControl* follower = MutableBound(followerId);
    if (follower->changed) return;
    follower->text = bound->text;
    SetControlText(followerId, follower->text.c_str());
}
