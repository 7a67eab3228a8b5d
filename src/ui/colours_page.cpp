#include "texts/dialog_ids.h"
#include "ui/colour_picker.h"
#include "ui/output_pages.h"

namespace {

struct ColourField {
    int fieldId;
    int swatchId;
    int buttonId;
    int labelId;
    const char* label;
};
constexpr ColourField kColourFields[] = {
    {ColoursPage::kBackground, ColoursPage::kBackgroundSwatch, 1060, 1369, "Background"},
    {ColoursPage::kText, ColoursPage::kTextSwatch, 1061, 1370, "Text"},
    {ColoursPage::kLink, ColoursPage::kLinkSwatch, 1062, 1371, "Link"},
    {ColoursPage::kVisitedLink, ColoursPage::kVisitedSwatch, 1063, 1372, "Visited link"},
    {ColoursPage::kActiveLink, ColoursPage::kActiveSwatch, 1064, 1373, "Active Link"},
};
constexpr int kColoursGroup = 1419;

}  // namespace

ColoursPage::ColoursPage(UiServices& services) : OptionPage(kColoursPageDialogId, kTopicDocumentColours, services) {
    SetCaption("Document colours");
    AddControl(kSuppressColours, ControlKind::kCheckBox, "Suppress all colour markup");
    AddControl(kColoursGroup, ControlKind::kGroupBox, "Colours");
    for (const ColourField& field : kColourFields) {
        AddControl(field.labelId, ControlKind::kLabel, field.label);
        AddControl(field.fieldId, ControlKind::kEdit);
        AddControl(field.swatchId, ControlKind::kColourSwatch);
        AddControl(field.buttonId, ControlKind::kPushButton, "...");
    }

    BindCheck(kSuppressColours, Pol::SuppressAllColourMarkup);
    BindColour(kBackground, Pol::BackgroundColour);
    BindColour(kText, Pol::TextColour);
    BindColour(kLink, Pol::UnvisitedLinkColour);
    BindColour(kVisitedLink, Pol::VisitedLinkColour);
    BindColour(kActiveLink, Pol::ActiveLinkColour);

    for (const ColourField& field : kColourFields)
        On(field.buttonId, NotifyEvent::kClicked, [this, id = field.fieldId] { PickColour(id); });
}

void ColoursPage::RefreshEnabling() {
    const bool colours = Bound(kSuppressColours)->number == 0;
    EnableControl(kColoursGroup, colours);
    for (const ColourField& field : kColourFields) {
        EnableControl(field.labelId, colours);
        EnableControl(field.fieldId, colours);
        EnableControl(field.buttonId, colours);
        EnableControl(field.swatchId, false);
    }
}

void ColoursPage::PaintSwatches() {
    for (const ColourField& field : kColourFields) {
        const TextString& colour = Bound(field.fieldId)->text;
        PaintColourSwatch(*this, field.swatchId, colour, colour);
    }
}
