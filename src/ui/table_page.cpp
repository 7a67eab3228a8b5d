#include "texts/dialog_ids.h"
#include "ui/colour_picker.h"
#include "ui/output_pages.h"

namespace {

// The three items of coloured rows share one load: they are shown together
// and read only while none of them was changed.
constexpr int kRowColourItems[] = {TablePage::kColourRows, TablePage::kOddRows, TablePage::kEvenRows};

// Everything of the page but the "Attempt TABLE generation" box itself, the
// swatches and the hidden group; enabled only while tables are generated.
// The box stays shown and enabled, so that a page a policy file turned off
// can be turned on again.
constexpr int kTableControls[] = {1133, 1136, 1137, 1138, 1142, 1139, 1143, 1135, 1134, 1170, 1171,
                                  1420, 1140, 1144, 1150, 1141, 1145, 1061, 1256, 1146, 1147, 1062,
                                  1148, 1151, 1063, 1271, 1273, 1274, 1272, 1270, 1208};
// The labels, fields and buttons of the row colours; they need "Colour data
// rows" on as well.
constexpr int kRowColourControls[] = {1146, 1148, 1147, 1151, 1062, 1063};
constexpr int kSwatches[] = {TablePage::kBackgroundSwatch, TablePage::kBorderSwatch, TablePage::kOddSwatch,
                             TablePage::kEvenSwatch};
constexpr int kHiddenControls[] = {TablePage::kConvertXRefs, 1209};

struct ColourField {
    int fieldId;
    int swatchId;
    int buttonId;
};
constexpr ColourField kColourFields[] = {
    {TablePage::kBackground, TablePage::kBackgroundSwatch, TablePage::kBackgroundButton},
    {TablePage::kBorderColour, TablePage::kBorderSwatch, TablePage::kBorderButton},
    {TablePage::kOddRows, TablePage::kOddSwatch, TablePage::kOddButton},
    {TablePage::kEvenRows, TablePage::kEvenSwatch, TablePage::kEvenButton},
};

}  // namespace

TablePage::TablePage(UiServices& services) : OptionPage(kTablePageDialogId, kTopicTableGeneration, services) {
    SetCaption("Table generation");
    AddControl(kAttemptTables, ControlKind::kCheckBox, "Attempt TABLE recognition and generation");
    AddControl(1133, ControlKind::kGroupBox, "Default <TABLE> tag attributes");
    AddControl(1136, ControlKind::kLabel, "Number of header rows");
    AddControl(kHeaderRows, ControlKind::kEdit);
    AddControl(1138, ControlKind::kLabel, "CELLPADDING");
    AddControl(kCellPadding, ControlKind::kEdit);
    AddControl(1139, ControlKind::kLabel, "CELLSPACING");
    AddControl(kCellSpacing, ControlKind::kEdit);
    AddControl(1135, ControlKind::kLabel, "BORDER size");
    AddControl(kBorderSize, ControlKind::kEdit);
    AddControl(1170, ControlKind::kLabel, "Table width");
    AddControl(kTableWidth, ControlKind::kEdit);
    AddControl(1420, ControlKind::kGroupBox, "Colours");
    AddControl(1140, ControlKind::kLabel, "Background");
    AddControl(kBackground, ControlKind::kEdit);
    AddControl(kBackgroundSwatch, ControlKind::kColourSwatch);
    AddControl(kBackgroundButton, ControlKind::kPushButton, "...");
    AddControl(1141, ControlKind::kLabel, "Border colour");
    AddControl(kBorderColour, ControlKind::kEdit);
    AddControl(kBorderSwatch, ControlKind::kColourSwatch);
    AddControl(kBorderButton, ControlKind::kPushButton, "...");
    AddControl(kColourRows, ControlKind::kCheckBox, "Colour odd and even rows differently");
    AddControl(1146, ControlKind::kLabel, "Odd Rows");
    AddControl(kOddRows, ControlKind::kEdit);
    AddControl(kOddSwatch, ControlKind::kColourSwatch);
    AddControl(kOddButton, ControlKind::kPushButton, "...");
    AddControl(1148, ControlKind::kLabel, "Even Rows");
    AddControl(kEvenRows, ControlKind::kEdit);
    AddControl(kEvenSwatch, ControlKind::kColourSwatch);
    AddControl(kEvenButton, ControlKind::kPushButton, "...");
    AddControl(1271, ControlKind::kGroupBox, "Cell attributes");
    AddControl(1273, ControlKind::kLabel, "Table alignment");
    AddControl(kTableAlignment, ControlKind::kList);
    AddControl(1272, ControlKind::kLabel, "Table cell alignment");
    AddControl(kCellAlignment, ControlKind::kList);
    AddControl(kConvertXRefs, ControlKind::kCheckBox,
               "Convert any section cross references in the table into hyperlinks");
    AddControl(1209, ControlKind::kGroupBox);

    BindCheck(kAttemptTables, Pol::AttemptTableGeneration);
    BindNumber(kHeaderRows, TabPol::HeaderRows, -1, 100000);
    BindNumber(kCellPadding, TabPol::CellPadding, -1, 1000);
    BindNumber(kCellSpacing, TabPol::CellSpacing, -1, 1000);
    BindNumber(kBorderSize, TabPol::BorderSize, -1, 1000);
    BindText(kTableWidth, TabPol::Width, CompareWhen::kOnEveryEdit);
    BindColour(kBackground, TabPol::TableColour);
    BindColour(kBorderColour, TabPol::BorderColour);
    BindCheck(kColourRows, TabPol::ColourDataRows);
    BindColour(kOddRows, TabPol::OddRowColour);
    BindColour(kEvenRows, TabPol::EvenRowColour);
    BindAlignmentList(kTableAlignment, TabPol::TableAlignment);
    BindAlignmentList(kCellAlignment, TabPol::CellAlignment);
    BindCheck(kConvertXRefs, TabPol::ConvertXRefs);

    for (const ColourField& field : kColourFields)
        On(field.buttonId, NotifyEvent::kClicked, [this, id = field.fieldId] { PickColour(id); });
}

void TablePage::LoadValues(const FC& set) { LoadBindings(set, kRowColourItems); }

void TablePage::RefreshEnabling() {
    const bool tables = Bound(kAttemptTables)->number != 0;
    EnableAll(kTableControls, tables);
    EnableAll(kRowColourControls, tables && Bound(kColourRows)->number != 0);
    EnableAll(kSwatches, false);
    HideAlways(kHiddenControls);
}

void TablePage::PaintSwatches() {
    for (const ColourField& field : kColourFields) {
        const TextString& colour = Bound(field.fieldId)->text;
        PaintColourSwatch(*this, field.swatchId, colour, colour);
    }
}

void TablePage::FillTextLists() {
    for (int id : {kTableAlignment, kCellAlignment}) {
        const int selection = Selection(id);
        SetItems(id, AlignmentListItems());
        SetSelection(id, selection);
    }
}
