#include "ui/window_layout.h"

#include <algorithm>
#include <map>

#include "ui/about_dialog.h"
#include "ui/analysis_sheet_layout.h"
#include "ui/main_window_layout.h"
#include "ui/output_sheet_layout.h"
#include "ui/settings_sheet_layout.h"
#include "ui/policy_file_dialogs.h"
#include "ui/sheet_model.h"
#include "ui/status_window.h"

namespace {

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::kLabel: return "label";
        case ControlKind::kEdit: return "edit";
        case ControlKind::kComboBox: return "combo box";
        case ControlKind::kList: return "list";
        case ControlKind::kCheckBox: return "check box";
        case ControlKind::kRadioButton: return "radio button";
        case ControlKind::kPushButton: return "push button";
        case ControlKind::kSlider: return "slider";
        case ControlKind::kGroupBox: return "group box";
        case ControlKind::kColourSwatch: return "colour swatch";
        case ControlKind::kTabs: return "tabs";
    }
    return "?";
}

}  // namespace

std::vector<LayoutControl> WindowDescription::Controls() const {
    std::vector<LayoutControl> controls;
    for (const LayoutGroup& group : groups) {
        if (group.boxId != kNoControl) controls.push_back({group.boxId, ControlKind::kGroupBox});
        for (const LayoutRow& row : group.rows)
            controls.insert(controls.end(), row.controls.begin(), row.controls.end());
    }
    return controls;
}

const LayoutGroup* WindowDescription::GroupOf(int id) const {
    for (const LayoutGroup& group : groups) {
        if (group.boxId == id) return &group;
        for (const LayoutRow& row : group.rows) {
            for (const LayoutControl& control : row.controls) {
                if (control.id == id) return &group;
            }
        }
    }
    return nullptr;
}

std::vector<const WindowDescription*> WindowDescriptions() {
    return {&MainWindowLayout(),       &StatusWindowLayout(), &PolicyFileDialogLayout(),
            &SavePolicyDialogLayout(), &AboutDialogLayout(),  &MoreHtmlOptionsLayout()};
}

const WindowDescription* FindWindowDescription(int templateId) {
    for (const WindowDescription* description : WindowDescriptions()) {
        if (description->templateId == templateId) return description;
    }
    return nullptr;
}

std::vector<std::string> DescriptionMismatches(const WindowDescription& description, const DialogModel& model) {
    std::vector<std::string> found;
    const std::string dialog = "dialog " + std::to_string(model.TemplateId()) + ": ";
    if (description.templateId != model.TemplateId()) {
        found.push_back(dialog + "the description is of template " + std::to_string(description.templateId));
    }
    std::map<int, ControlKind> placed;
    for (const LayoutControl& control : description.Controls()) {
        const std::string name = "control " + std::to_string(control.id);
        if (!placed.emplace(control.id, control.kind).second) {
            found.push_back(dialog + name + " is placed twice");
            continue;
        }
        const DialogControl* own = model.Control(control.id);
        if (own == nullptr) {
            found.push_back(dialog + name + " (" + KindName(control.kind) + ") is not in the model");
        } else if (own->kind != control.kind) {
            found.push_back(dialog + name + ": " + KindName(own->kind) + " in the model, " + KindName(control.kind) +
                            " in the description");
        }
    }
    for (const int id : model.ControlIds()) {
        if (placed.count(id) == 0) {
            found.push_back(dialog + "control " + std::to_string(id) + " (" + KindName(model.Control(id)->kind) +
                            ") is missing from the description");
        }
    }
    return found;
}

WindowDescription SheetFrameDescription(int templateId, bool withApply) {
    LayoutRow buttons{{{kIdOk, ControlKind::kPushButton}, {kIdCancel, ControlKind::kPushButton}}, true};
    if (withApply) buttons.controls.push_back({kIdApply, ControlKind::kPushButton});
    buttons.controls.push_back({kIdHelp, ControlKind::kPushButton});
    LayoutControl tabs{kIdTabControl, ControlKind::kTabs};
    tabs.stretch = true;
    tabs.lines = 2;  // tall: the tabs take the window's spare height
    return {templateId, {{kNoControl, {LayoutRow{{tabs}}, buttons}}}};
}

std::vector<const SheetDescription*> SheetDescriptions() {
    return {&OutputSheetLayout(), &AnalysisSheetLayout(), &SettingsSheetLayout()};
}

const SheetDescription* FindSheetDescription(int templateId) {
    for (const SheetDescription* description : SheetDescriptions()) {
        if (description->sheet.templateId == templateId) return description;
    }
    return nullptr;
}

std::vector<std::string> SheetDescriptionMismatches(const SheetDescription& description, const SheetModel& sheet) {
    std::vector<std::string> found = DescriptionMismatches(description.sheet, sheet);
    const size_t pages = static_cast<size_t>(sheet.PageCount());
    if (description.pages.size() != pages) {
        found.push_back("sheet " + std::to_string(sheet.TemplateId()) + ": " + std::to_string(pages) +
                        " pages in the model, " + std::to_string(description.pages.size()) + " in the description");
    }
    for (size_t i = 0; i < std::min(pages, description.pages.size()); ++i) {
        const std::vector<std::string> page =
            DescriptionMismatches(description.pages[i], sheet.Page(static_cast<int>(i)));
        found.insert(found.end(), page.begin(), page.end());
    }
    return found;
}
