#include "ui/colour_picker.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "foundation/text_file.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "support/temp_folder.h"
#include "ui/dialog_model.h"
#include "ui/scripted_services.h"

namespace {

// Answers the colour chooser with `picked` (nothing picked while empty),
// noting the colour it was preset with.
class ColourChooserServices : public ScriptedUiServices {
public:
    std::optional<PlatformColour> picked;
    std::optional<PlatformColour> preset;

    bool ChooseColour(PlatformColour& colour) override {
        preset = colour;
        if (!picked) return false;
        colour = *picked;
        return true;
    }
};

constexpr PlatformColour Rgb(unsigned red, unsigned green, unsigned blue) { return red | green << 8 | blue << 16; }

TEST(ColourPickerTest, HexDigitValues) {
    const std::pair<char, int> cases[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15},
                                          {'g', 0}, {'G', 0}, {'#', 0},  {' ', 0},  {'\0', 0}, {'\xe9', 0}};
    for (const auto& [c, value] : cases) EXPECT_EQ(HexDigitValue(c), value) << static_cast<int>(c);
}

TEST(ColourPickerTest, ColourTextsAreReadAsNamesOrDigitByDigit) {
    struct Case {
        const char* text;
        PlatformColour colour;
    };
    const Case cases[] = {
        {"#FF0000", Rgb(0xff, 0, 0)},
        {"ff0000", Rgb(0xff, 0, 0)},
        {"Red", Rgb(0xff, 0, 0)},
        // Names match in exact letter case only: "red" is read digit by
        // digit, a character that is no hex digit counting 0.
        {"red", Rgb(0x0e, 0xd0, 0)},
        {"CYAN", Rgb(0xc0, 0xa0, 0)},
        {"Fuchsia", Rgb(0xff, 0, 0xff)},
        {"Magenta", Rgb(0xff, 0, 0xff)},
        {"Cyan", Rgb(0, 0xff, 0xff)},
        {"Aqua", Rgb(0, 0xff, 0xff)},
        {"Green", Rgb(0, 0x80, 0)},
        {"Navy", Rgb(0, 0, 0x80)},
        {"", Rgb(0xc0, 0xc0, 0xc0)},  // empty is silver
        {"#", Rgb(0, 0, 0)},  // not empty: nothing left to read
        {"#ff#00#ff", Rgb(0xff, 0, 0xff)},  // "#" is dropped everywhere
        {"##1#2#3#4#5#6", Rgb(0x12, 0x34, 0x56)},
        {"fff", Rgb(0xff, 0xf0, 0)},  // missing digits count 0
        {"12345678", Rgb(0x12, 0x34, 0x56)},  // only six digits are read
    };
    for (const Case& c : cases) EXPECT_EQ(ColourTextToRGB(TextString(c.text)), c.colour) << c.text;
}

TEST(ColourPickerTest, APickedColourBecomesItsNameOrSixLowerCaseDigits) {
    struct Case {
        const char* before;
        std::optional<PlatformColour> picked;
        bool chosen;
        const char* after;
    };
    const Case cases[] = {
        {"ff0000", Rgb(0, 0xff, 0xff), true, "Aqua"},  // never "Cyan"
        {"Red", Rgb(0xff, 0, 0xff), true, "Fuchsia"},  // never "Magenta"
        {"Red", Rgb(0xc0, 0xc0, 0xc0), true, "Silver"}, {"Red", Rgb(0xab, 0x0c, 0xef), true, "ab0cef"},
        {"#AB0CEF", std::nullopt, false, "#AB0CEF"},  // cancelled: unchanged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        ColourChooserServices services;
        services.picked = c.picked;
        TextString text(c.before);
        EXPECT_EQ(ChooseColour(services, text), c.chosen);
        EXPECT_EQ(text.str(), c.after);
        ASSERT_TRUE(services.preset.has_value());
        EXPECT_EQ(*services.preset, ColourTextToRGB(TextString(c.before)));
    }
}

// Every name the picker gives is one a colour policy takes back: a picked
// colour saved in a policy file is read again without a warning, and shows
// the colour picked.
TEST(ColourPickerTest, EveryNamedPickedColourLoadsBackFromASavedPolicyFile) {
    TempFolder folder{"colour names"};
    ASSERT_TRUE(folder.Made());
    const std::string path = (folder / "colours.pol").string();
    ASSERT_FALSE(PickedColourNames().empty());
    for (const ColourName& named : PickedColourNames()) {
        SCOPED_TRACE(named.name);
        ColourChooserServices services;
        services.picked = ColourTextToRGB(TextString(named.hex));
        TextString text("Red");
        ASSERT_TRUE(ChooseColour(services, text));
        EXPECT_EQ(text.str(), named.name);
        FC saved;
        saved.SetText(Pol::UnvisitedLinkColour, text.c_str());
        saved.GetDefaultTabConfig()->SetText(TabPol::TableColour, text.c_str());
        TextFile writer;
        ASSERT_TRUE(writer.OpenForWrite(path.c_str(), 0, 0));
        saved.WritePolicyFile(writer, false);
        writer.CloseAll();
        FC loaded;
        TextFile reader;
        ASSERT_TRUE(reader.OpenForRead(path.c_str()));
        testing::internal::CaptureStderr();
        loaded.ReadPolicyFile(reader);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        reader.CloseAll();
        EXPECT_EQ(loaded.GetText(Pol::UnvisitedLinkColour).str(), named.name);
        EXPECT_EQ(loaded.GetDefaultTabConfig()->GetText(TabPol::TableColour).str(), named.name);
        EXPECT_EQ(ColourTextToRGB(loaded.GetText(Pol::UnvisitedLinkColour)), *services.picked);
    }
}

TEST(ColourPickerTest, TheSwatchTakesTheColoursOfItsTexts) {
    constexpr int kSwatch = 1060;
    ScriptedUiServices services;
    DialogModel dialog(151, services);
    dialog.AddControl(kSwatch, ControlKind::kColourSwatch);
    PaintColourSwatch(dialog, kSwatch, TextString("Yellow"), TextString("#000080"));
    EXPECT_EQ(dialog.Control(kSwatch)->fillColour, Rgb(0xff, 0xff, 0));
    EXPECT_EQ(dialog.Control(kSwatch)->textColour, Rgb(0, 0, 0x80));
    PaintColourSwatch(dialog, kSwatch, TextString(""), TextString("Black"));
    EXPECT_EQ(dialog.Control(kSwatch)->fillColour, Rgb(0xc0, 0xc0, 0xc0));
    PaintColourSwatch(dialog, 4242, TextString("Red"), TextString("Red"));  // no such control: nothing
    EXPECT_EQ(dialog.Control(4242), nullptr);
}

}  // namespace
