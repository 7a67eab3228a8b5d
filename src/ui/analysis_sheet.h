// The "Analysis Policies" sheet: how the input file is read, on two pages,
// "File structure" (what the file looks like) and "Table analysis" (how
// tables are found in it).
//
// The main dialog creates the sheet once and keeps it; each opening loads
// the pages from a policy set and shows the page of a topic code (`Open`).
// The pages edit the working set: OK stores the pages when a page reported a
// change, Apply stores them whatever happened, Cancel stores nothing and
// discards what the pages hold unstored.  Every stored policy tells the main
// dialog its kind, so that a changed analysis policy has the file analysed
// again.  OK and Cancel close the window.
//
// Its window opens 30 pixels in from the left and bottom edges of the
// desktop, or where the user last left it.
#pragma once

#include <span>

#include "policies/tab_config.h"
#include "ui/base_sheet.h"
#include "ui/option_page.h"

class FC;

// "File structure": eleven policies of the set itself.
class FileStructPage : public OptionPage {
public:
    // The controls (texts/pages/file_structure.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/file_structure.def"
#undef PAGE_CONTROL
    // The page-marker sizes a field accepts, in lines.
    static constexpr int kFewestMarkerLines = 0;
    static constexpr int kMostMarkerLines = 10000;

    explicit FileStructPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    // Stores the changed values, each telling the main dialog its category;
    // a stored value of any category then asks for a fresh analysis as well,
    // since every value of the page says how the file is to be read.
    void Store(FC& set) override;
};

// "Table analysis": "Attempt TABLE generation" of the set and five values of
// its default table configuration.
class TabAnalPage : public OptionPage {
public:
    // The controls (texts/pages/table_analysis.def).
#define PAGE_CONTROL VENDREL_PAGE_CONTROL_ID
#include "texts/pages/table_analysis.def"
#undef PAGE_CONTROL
    // Both sliders run from "Low" (or "Never") to "High" (or "Always").
    static constexpr int kSliderMin = 0;
    static constexpr int kSliderMax = 10;
    // The separation a field accepts, in spaces; a set holding less shows
    // the least.
    static constexpr int kLeastSeparation = 1;
    static constexpr int kMostSeparation = 1000;

    explicit TabAnalPage(UiServices& services);

    // The page's table.
    static std::span<const PageControl> Controls();

    void Store(FC& set) override;
    void ResetChanged() override;

    // A slider's value as the page holds it, and whether the user moved it.
    int SliderValue(int sliderId) const;
    bool SliderChanged(int sliderId) const;

protected:
    void LoadValues(const FC& set) override;
    void OnInitDialog() override;
    void ExchangeOwn(DataExchange& dx) override;

private:
    struct Slider {
        int controlId;
        TabPol policy;
        int value = 0;
        bool changed = false;
    };
    Slider* FindSlider(int sliderId);
    const Slider* FindSlider(int sliderId) const;
    void SliderMoved(int sliderId);

    Slider sliders_[2] = {{kExtendingFactor, TabPol::ExtendingFactor}, {kMergingFactor, TabPol::MergingFactor}};
};

class SheetAnalysis : public PolicySheet {
public:
    // The pages in tab order: File structure, Table analysis.
    SheetAnalysis(BaseDialog& mainDialog, UiServices& services);

    FileStructPage fileStructure;
    TabAnalPage tableAnalysis;

    // Each page's load: File structure, then Table analysis.
    void LoadPages(FC& set, FC& second) override;
    // Each page's store in the same order.
    void StorePages(FC& target) override;
    // Clears both pages' changed flags.
    void ResetChanged() override;

    // Topic 11 shows File structure, every other topic Table analysis.
    void SetActivePageByTopic(int topic) override;
    void ChangeLanguage(int language) override;

protected:
    void OnInitDialog() override;
};
