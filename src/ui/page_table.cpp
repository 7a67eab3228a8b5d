#include "ui/page_table.h"

namespace {

// The category every table-configuration item reports: an output change.
constexpr int kTableItemCategory = 4;

}  // namespace

// ---- PolicyRef ----

int PolicyRef::Number(const FC& set) const {
    if (!isTable_) return set.GetInt(plain_);
    const TabConfig* config = set.GetDefaultTabConfig();
    return config == nullptr ? 0 : config->GetInt(table_);
}

const TextString& PolicyRef::Text(const FC& set) const {
    static const TextString kNone;
    if (!isTable_) return set.GetText(plain_);
    const TabConfig* config = set.GetDefaultTabConfig();
    return config == nullptr ? kNone : config->GetText(table_);
}

bool PolicyRef::IsSet(const FC& set) const {
    if (!isTable_) return set.IsSet(plain_);
    const TabConfig* config = set.GetDefaultTabConfig();
    return config != nullptr && config->IsSet(table_);
}

void PolicyRef::SetNumber(FC& set, int value) const {
    if (!isTable_) {
        set.SetInt(plain_, value, true);
        return;
    }
    if (TabConfig* config = set.GetDefaultTabConfig()) config->SetInt(table_, value, true);
}

void PolicyRef::SetText(FC& set, const char* text) const {
    if (!isTable_) {
        set.SetText(plain_, text, true);
        return;
    }
    if (TabConfig* config = set.GetDefaultTabConfig()) config->SetText(table_, text, true);
}

int PolicyRef::Category() const { return isTable_ ? kTableItemCategory : GetPolicyDefinition(plain_).category; }

int PolicyRef::CatalogueCategory() const {
    return isTable_ ? GetTablePolicyDefinition(table_).category : GetPolicyDefinition(plain_).category;
}

const PageControl* FindPageControl(std::span<const PageControl> controls, int id) {
    for (const PageControl& control : controls)
        if (control.id == id) return &control;
    return nullptr;
}

LayoutRow Line(std::initializer_list<int> ids, bool buttons) {
    LayoutRow row;
    for (int id : ids) row.controls.push_back({id});
    row.buttons = buttons;
    return row;
}

WindowDescription PageLayout(int templateId, std::span<const PageControl> controls,
                             std::vector<LayoutGroup> groups) {
    for (LayoutGroup& group : groups)
        for (LayoutRow& row : group.rows)
            for (LayoutControl& placed : row.controls) {
                const PageControl* control = FindPageControl(controls, placed.id);
                if (control == nullptr) continue;
                placed.kind = control->kind;
                placed.stretch = control->cell.stretch;
                placed.lines = control->cell.lines;
                placed.widthChars = control->cell.widthChars;
                placed.readOnly = control->cell.readOnly;
            }
    return {templateId, std::move(groups)};
}
