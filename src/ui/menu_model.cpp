#include "ui/menu_model.h"

MenuObserver::~MenuObserver() = default;

MenuEntry& Menu::Add(MenuEntryKind kind, int commandId, const char* text) {
    MenuEntry& entry = entries_.emplace_back();
    entry.kind = kind;
    entry.commandId = commandId;
    entry.text = text;
    Changed(EntryCount() - 1);
    return entry;
}

void Menu::AddItem(int commandId, const char* text) { Add(MenuEntryKind::kItem, commandId, text); }

void Menu::AddSeparator() { Add(MenuEntryKind::kSeparator, 0, ""); }

Menu& Menu::AddDropDown(const char* text) {
    // The drop-down exists before the observer hears of its entry.
    auto dropDown = std::make_unique<Menu>(model_);
    Menu& added = *dropDown;
    MenuEntry& entry = entries_.emplace_back();
    entry.kind = MenuEntryKind::kDropDown;
    entry.text = text;
    entry.dropDown = std::move(dropDown);
    Changed(EntryCount() - 1);
    return added;
}

const MenuEntry* Menu::EntryAt(int position) const {
    if (position < 0 || position >= EntryCount()) return nullptr;
    return &entries_[static_cast<size_t>(position)];
}

Menu* Menu::DropDownAt(int position) const {
    const MenuEntry* entry = EntryAt(position);
    return entry == nullptr ? nullptr : entry->dropDown.get();
}

void Menu::SetTextAt(int position, const char* text) {
    if (position < 0 || position >= EntryCount()) return;
    MenuEntry& entry = entries_[static_cast<size_t>(position)];
    if (entry.kind == MenuEntryKind::kSeparator) return;
    entry.text = text;
    Changed(position);
}

void Menu::SetRightJustifiedAt(int position, bool rightJustified) {
    if (position < 0 || position >= EntryCount()) return;
    entries_[static_cast<size_t>(position)].rightJustified = rightJustified;
    Changed(position);
}

template <class MenuType>
std::pair<MenuType*, int> Menu::FindCommand(MenuType& menu, int commandId) {
    for (size_t i = 0; i < menu.entries_.size(); ++i) {
        const MenuEntry& entry = menu.entries_[i];
        if (entry.kind == MenuEntryKind::kItem && entry.commandId == commandId) return {&menu, static_cast<int>(i)};
        if (entry.kind == MenuEntryKind::kDropDown) {
            MenuType& dropDown = *entry.dropDown;
            auto below = FindCommand(dropDown, commandId);
            if (below.first != nullptr) return below;
        }
    }
    return {nullptr, -1};
}

const MenuEntry* Menu::CommandItem(int commandId) const {
    auto [menu, position] = FindCommand(*this, commandId);
    return menu == nullptr ? nullptr : menu->EntryAt(position);
}

bool Menu::SetCommandText(int commandId, const char* text) {
    auto [menu, position] = FindCommand(*this, commandId);
    if (menu == nullptr) return false;
    menu->SetTextAt(position, text);
    return true;
}

bool Menu::CheckCommand(int commandId, bool checked) {
    auto [menu, position] = FindCommand(*this, commandId);
    if (menu == nullptr) return false;
    menu->entries_[static_cast<size_t>(position)].checked = checked;
    menu->Changed(position);
    return true;
}

bool Menu::EnableCommand(int commandId, bool enabled) {
    auto [menu, position] = FindCommand(*this, commandId);
    if (menu == nullptr) return false;
    menu->entries_[static_cast<size_t>(position)].enabled = enabled;
    menu->Changed(position);
    return true;
}

void Menu::Changed(int position) {
    if (model_.Observer() != nullptr) model_.Observer()->OnMenuEntryChanged(model_, *this, position);
}

bool MenuModel::IsChecked(int commandId) const {
    const MenuEntry* item = CommandItem(commandId);
    return item != nullptr && item->checked;
}

bool MenuModel::IsEnabled(int commandId) const {
    const MenuEntry* item = CommandItem(commandId);
    return item != nullptr && item->enabled;
}

void MenuModel::DrawMenuBar() {
    if (observer_ != nullptr) observer_->OnMenuBarDrawn(*this);
}
